#include <gtest/gtest.h>

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>

#include "samplegen/SampleGen.h"
#include "gamedata/uSVIni_IniFile.h"
#include "gamedata/uSvFunctions.h"
#include "gamedata/uformChooseDir.h"
#include "gamedata/uformChooseDir_LoaderDialogs.h"
#include "platform/ExePath.h"
#include "platform/GamePath.h"
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "util/ModalAnswer.h"
#include "util/ScopedEnv.h"
#include "util/StatusRecorder.h"
#include "util/QtTestApplication.h"
#include "util/TempDir.h"
#include "widgets/WsPlainText.h"
#include "widgets/WsStringGrid.h"

QMZ_QT_TEST_APPLICATION("test_gamedata_ui")

using namespace qmz;
namespace fs = std::filesystem;

namespace {

using test::AnswerModal;

class ChooseDir : public ::testing::Test {
 protected:
  void SetUp() override {
    samplegen::Options options = samplegen::Options::ForSize("small");
    options.winePrefix = true;
    manifest = samplegen::Generate(dir.Path() / "sample", options);
    env = std::make_unique<test::ScopedEnv>("WINEPREFIX", manifest.winePrefix.string().c_str());
    Reset();
    settings = (dir.Path() / "QMZ.ini").string();
  }
  void TearDown() override {
    env.reset();
    Reset();
  }
  static void Reset() {
    platform::ResetProcessRegistry();
    platform::ResetGamePathCache();
  }
  std::string Read(const char* section, const std::string& key) {
    return platform::ReadProfileString(settings, section, key, "<none>");
  }
  static std::string Cell(TformChooseDir& d, int col, int row) { return d.sgPath->GetCell(col, row); }
  // Answers the boxes of Add: the title typed, the folder browsed to (the dialog's own check of it runs),
  // then whatever answers what follows the folder's choice. Notes the boxes' titles and first text.
  void AnswerAdd(const std::string& title, const fs::path& folder, std::function<void()> then = {}) {
    AnswerModal<QInputDialog>([=, this](QInputDialog* box) {
      seen = {box->windowTitle().toStdString(), box->textValue().toStdString()};
      box->setTextValue(QString::fromStdString(title));
      AnswerModal<QFileDialog>([=, this](QFileDialog* browse) {
        seen.push_back(browse->windowTitle().toStdString());
        if (then) then();
        browse->setDirectory(QString::fromStdString(folder.parent_path().string()));
        browse->selectFile(QString::fromStdString(folder.string()));
        static_cast<QDialog*>(browse)->accept();
      });
      box->accept();
    });
  }

  test::TempDir dir;
  samplegen::Manifest manifest;
  std::unique_ptr<test::ScopedEnv> env;
  std::string settings;
  std::vector<std::string> seen;
};

}  // namespace

TEST_F(ChooseDir, FixedRowsComeFromTheRegistryAndTheModFolderAndStayOutOfTheFile) {
  {
    TformChooseDir d(nullptr, settings);
    ASSERT_EQ(d.sgPath->RowCount(), 1);
    EXPECT_EQ(Cell(d, 0, 0), "Starvagant Folder");
    EXPECT_EQ(Cell(d, 1, 0), GetGameInstallDir());
    EXPECT_FALSE(GetGameInstallDir().empty());
    EXPECT_FALSE(d.Timer1->isActive());  // no default: the dialog waits
  }
  EXPECT_EQ(TformChooseDir(nullptr).SettingsFile(), platform::ExecutableFolder() + "QMZ.ini");
  test::WriteWholeFile(settings,
                       "[MAIN]\nPathNum=2\nDefault=-1\n[Path]\nPath_0=/games/a\nPath_1=/games/b\n"
                       "[Name]\nName_0=Starvagant Folder\nName_1=Mod B\n[Other]\nKeep=1\n");
  {
    TformChooseDir d(nullptr, settings);
    ASSERT_EQ(d.sgPath->RowCount(), 3);
    EXPECT_EQ(Cell(d, 0, 1), "Starvagant Folder");
    QTest::mouseClick(d.btOk, Qt::LeftButton);
    EXPECT_EQ(d.result(), TformChooseDir::mrOk);
  }
  // An entry titled like the game's row is the user's, and is kept; other sections stay.
  EXPECT_EQ(Read("MAIN", "PathNum"), "2");
  EXPECT_EQ(Read("Name", "Name_0"), "Starvagant Folder");
  EXPECT_EQ(Read("Other", "Keep"), "1");
  {
    TformChooseDir d(nullptr, settings);
    d.sgPath->SetSelectedRow(0);
    QTest::mouseClick(d.btDel, Qt::LeftButton);  // the fixed row goes for this run only
    ASSERT_EQ(d.sgPath->RowCount(), 2);
    QTest::mouseClick(d.btAbort, Qt::LeftButton);
    EXPECT_EQ(d.result(), TformChooseDir::mrAbort);
    EXPECT_EQ(Read("MAIN", "PathNum"), "2");
    EXPECT_EQ(TformChooseDir(nullptr, settings).sgPath->RowCount(), 3);
  }
  fs::create_directories(manifest.winePrefix / "drive_c" / "ORVANE62");
  Reset();
  TformChooseDir d(nullptr, settings);
  ASSERT_EQ(d.sgPath->RowCount(), 4);
  EXPECT_EQ(Cell(d, 0, 1), "Orvane62 Mod");
  EXPECT_EQ(Cell(d, 1, 1), "C:\\ORVANE62\\Starvagant\\");
}

TEST_F(ChooseDir, AddDeleteAndDefaultByTheButtons) {
  const std::string folder = manifest.installDir.string();
  TformChooseDir d(nullptr, settings);
  d.show();

  // Cancel on the title gives the proposed title and goes on to the folder, whose Cancel adds nothing.
  AnswerModal<QInputDialog>([this](QInputDialog* box) {
    AnswerModal<QFileDialog>([this](QFileDialog* browse) {
      seen.push_back(browse->windowTitle().toStdString());
      browse->reject();
    });
    box->reject();
  });
  QTest::mouseClick(d.btAdd, Qt::LeftButton);
  EXPECT_EQ(seen, std::vector<std::string>{"Select a main starvagant Folder"});
  EXPECT_EQ(d.sgPath->RowCount(), 1);
  AnswerModal<QInputDialog>([folder](QInputDialog* box) {
    box->setTextValue("Typed, then cancelled");
    AnswerModal<QFileDialog>([folder](QFileDialog* browse) {
      browse->setDirectory(QString::fromStdString(fs::path(folder).parent_path().string()));
      browse->selectFile(QString::fromStdString(folder));
      static_cast<QDialog*>(browse)->accept();
    });
    box->reject();
  });
  QTest::mouseClick(d.btAdd, Qt::LeftButton);
  ASSERT_EQ(d.sgPath->RowCount(), 2);
  EXPECT_EQ(Cell(d, 0, 1), "New Entry");
  d.sgPath->SetSelectedRow(1);
  QTest::mouseClick(d.btDel, Qt::LeftButton);
  ASSERT_EQ(d.sgPath->RowCount(), 1);

  AnswerAdd("Mine", folder);
  QTest::mouseClick(d.btAdd, Qt::LeftButton);
  EXPECT_EQ(seen, (std::vector<std::string>{"Titel for Entry", "New Entry", "Select a main starvagant Folder"}));
  ASSERT_EQ(d.sgPath->RowCount(), 2);
  EXPECT_EQ(Cell(d, 0, 1), "Mine");
  EXPECT_EQ(fs::path(Cell(d, 1, 1)), fs::path(folder));

  d.sgPath->SetSelectedRow(1);
  AnswerModal<QMessageBox>([](QMessageBox* box) {
    EXPECT_EQ(box->windowTitle(), "Set default Entry");
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    box->button(QMessageBox::Yes)->click();
  });
  QTest::mouseClick(d.btDefault, Qt::LeftButton);
  EXPECT_EQ(d.DefaultRow(), 1);
  QTest::keyClick(d.sgPath, Qt::Key_Return);  // Enter in the grid: as "Use this one"
  EXPECT_EQ(d.result(), TformChooseDir::mrOk);
  EXPECT_EQ(Read("MAIN", "Default"), "1");
  EXPECT_EQ(Read("MAIN", "PathNum"), "1");
  EXPECT_EQ(Read("Name", "Name_0"), "Mine");
}

TEST_F(ChooseDir, TheDefaultConfirmsItselfAndKeepsNamingTheSameInstallation) {
  const std::string folder = manifest.installDir.string();
  test::WriteWholeFile(settings, "[MAIN]\nPathNum=2\nDefault=-1\n[Path]\nPath_0=/games/a\nPath_1=" + folder +
                                     "\n[Name]\nName_0=A\nName_1=Mine\n");
  {
    TformChooseDir d(nullptr, settings);
    d.sgPath->SetSelectedRow(2);
    AnswerModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    d.btDefaultClick();
    d.sgPath->SetSelectedRow(1);
    d.btDelClick();  // a row above the default
    EXPECT_EQ(d.DefaultRow(), 1);
    d.btOkClick();
  }
  EXPECT_EQ(Read("MAIN", "Default"), "1");
  EXPECT_EQ(Read("MAIN", "DefaultPath"), folder);

  // The mod folder appears: the rows shift, the default still finds its entry and confirms it alone.
  fs::create_directories(manifest.winePrefix / "drive_c" / "ORVANE62");
  Reset();
  TformChooseDir d(nullptr, settings);
  EXPECT_EQ(d.Timer1->interval(), 125);
  EXPECT_TRUE(d.Timer1->isActive());
  EXPECT_EQ(d.sgPath->GetSelectedRow(), 2);
  EXPECT_EQ(d.exec(), TformChooseDir::mrOk);
  EXPECT_EQ(d.SelectedFolder(), folder);
  EXPECT_FALSE(d.Timer1->isActive());
  EXPECT_EQ(d.SettingsIni(), nullptr);  // confirmed by itself, the dialog closed as by "Use this one"

  // Older files name the default by its row (the loader's test reads one); past the last row it is ignored.
  test::WriteWholeFile(settings, "[MAIN]\nPathNum=1\nDefault=5\n[Path]\nPath_0=/a\n[Name]\nName_0=A\n");
  TformChooseDir older(nullptr, settings);
  EXPECT_EQ(older.DefaultRow(), -1);
  EXPECT_FALSE(older.Timer1->isActive());
}

TEST_F(ChooseDir, AFailedSaveLeavesTheFileWholeALinkIsSavedAtItsTarget) {
  const std::string before = "[MAIN]\nPathNum=1\nDefault=-1\n[Path]\nPath_0=/a\n[Name]\nName_0=A\n";
  test::WriteWholeFile(settings, before);
  TformChooseDir d(nullptr, settings);
  d.sgPath->AddRow();
  d.sgPath->SetCell(1, 2, "two\nlines");  // a line break cannot be stored in the file
  EXPECT_FALSE(d.WriteSettings());
  EXPECT_EQ(test::ReadWholeFile(settings), before);

  const fs::path target = dir.Path() / "kept" / "QMZ.ini";
  fs::create_directories(target.parent_path());
  fs::rename(settings, target);
  fs::create_symlink(target, settings);
  d.sgPath->SetCell(1, 2, "/games/new");
  ASSERT_TRUE(d.WriteSettings());
  EXPECT_TRUE(fs::is_symlink(settings));
  EXPECT_EQ(platform::ReadProfileString(target.string(), "Path", "Path_1", ""), "/games/new");

  // A save refused by the file system is reported; the choice still counts.
  test::WriteWholeFile(dir.Path() / "plain", "");
  TformChooseDir refused(nullptr, (dir.Path() / "plain" / "QMZ.ini").string());
  std::string shown;
  AnswerModal<QMessageBox>([&](QMessageBox* box) {
    shown = box->text().toStdString();
    box->button(QMessageBox::Ok)->click();
  });
  QTest::mouseClick(refused.btOk, Qt::LeftButton);
  EXPECT_EQ(shown, "The settings file " + (dir.Path() / "plain" / "QMZ.ini").string() + " could not be written.");
  EXPECT_EQ(refused.result(), TformChooseDir::mrOk);

  // A damaged huge entry count gives the entries the file holds, not millions of empty rows.
  test::WriteWholeFile(settings, "[MAIN]\nPathNum=2000000000\n[Path]\nPath_0=/a\nPath_2=/c\n[Name]\nName_1=B\n");
  TformChooseDir huge(nullptr, settings);
  ASSERT_EQ(huge.sgPath->RowCount(), 4);
  EXPECT_EQ(Cell(huge, 1, 3), "/c");
}

TEST_F(ChooseDir, TheLoaderGetsTheChoice) {
  LoaderDialogs ui(nullptr, settings);
  // The manual path as typed; Cancel gives nothing.
  AnswerModal<QInputDialog>([](QInputDialog* box) {
    EXPECT_EQ(box->windowTitle(), "Manual override");
    EXPECT_TRUE(box->textValue().isEmpty());
    box->setTextValue("..\\game");
    box->accept();
  });
  EXPECT_EQ(ui.inputText("Manual override", "Please enter the path"), "..\\game");
  AnswerModal<QInputDialog>([](QInputDialog* box) {
    box->setTextValue("typed");
    box->reject();
  });
  EXPECT_EQ(ui.inputText("Manual override", "Please enter the path"), "");
  // Closed without a button: no choice, nothing saved.
  AnswerModal<TformChooseDir>([](TformChooseDir* d) { d->close(); });
  EXPECT_EQ(ui.chooseInstallation(), std::nullopt);
  EXPECT_FALSE(fs::exists(settings));
  AnswerModal<TformChooseDir>([](TformChooseDir* d) { QTest::mouseClick(d->btAbort, Qt::LeftButton); });
  EXPECT_EQ(ui.chooseInstallation(), std::nullopt);
  EXPECT_TRUE(fs::exists(settings));

  // An entry without a folder is no default: the chooser waits. OK with every row deleted gives no
  // folder, so the loader asks instead of reading the root folder.
  test::WriteWholeFile(settings, "[MAIN]\nPathNum=1\nDefault=1\n[Name]\nName_0=Nothing here\n");
  AnswerModal<TformChooseDir>([](TformChooseDir* d) {
    EXPECT_FALSE(d->Timer1->isActive());
    EXPECT_EQ(d->sgPath->GetSelectedRow(), 1);
    while (d->sgPath->RowCount() > 0) QTest::mouseClick(d->btDel, Qt::LeftButton);
    QTest::mouseClick(d->btOk, Qt::LeftButton);
  });
  EXPECT_EQ(ui.chooseInstallation(), std::string());
  EXPECT_FALSE(ui.choseDefault());

  // The default entry is confirmed by itself at the first chooser of a run, and the whole installation
  // loads from it; a later chooser of the same run waits for the user.
  test::WriteWholeFile(settings, "[MAIN]\nPathNum=1\nDefault=1\n[Path]\nPath_0=" + manifest.installDir.string() +
                                     "\n[Name]\nName_0=Generated\n");
  LoaderDialogs fresh(nullptr, settings);
  auto journal = test::MemoryJournal();
  TSvData data(journal.get(), 0, 0, fresh);
  EXPECT_TRUE(data.DataValid);
  EXPECT_TRUE(fresh.choseDefault());
  EXPECT_EQ(data.SVPath, manifest.installDir.string() + "\\");
  AnswerModal<TformChooseDir>([](TformChooseDir* d) {
    EXPECT_FALSE(d->Timer1->isActive());
    EXPECT_EQ(d->sgPath->GetSelectedRow(), 1);
    QTest::mouseClick(d->btOk, Qt::LeftButton);
  });
  EXPECT_EQ(fresh.chooseInstallation(), manifest.installDir.string());
  EXPECT_FALSE(fresh.choseDefault());
}

TEST_F(ChooseDir, ARowWithoutAFolderCannotBeUsedAndEscapeClosesNothing) {
  test::TempDir emptyPrefix;
  test::ScopedEnv noGame("WINEPREFIX", emptyPrefix.Str().c_str());
  Reset();
  test::WriteWholeFile(settings,
                       "[MAIN]\nPathNum=2\nDefault=-1\n[Path]\nPath_1=/games/b\n[Name]\nName_0=Blank\n"
                       "Name_1=B\n");
  TformChooseDir d(nullptr, settings);
  d.show();
  // Shown, the grid has the focus, so Enter acts on the list at once.
  EXPECT_EQ(d.focusWidget(), d.sgPath);
  d.btAbort->setFocus();
  d.FormShow();
  EXPECT_EQ(d.focusWidget(), d.sgPath);
  ASSERT_EQ(Cell(d, 1, 0), "not Found");
  for (int row : {0, 1}) {
    d.sgPath->SetSelectedRow(row);
    std::string shown;
    AnswerModal<QMessageBox>([&](QMessageBox* box) {
      shown = box->text().toStdString();
      box->button(QMessageBox::Ok)->click();
    });
    if (row == 0) QTest::mouseClick(d.btOk, Qt::LeftButton);
    else QTest::keyClick(d.sgPath, Qt::Key_Return);
    EXPECT_EQ(shown, "This entry has no folder. Please choose another entry or add one.") << row;
    EXPECT_TRUE(d.isVisible()) << row;
    EXPECT_EQ(d.result(), 0) << row;
  }
  // Escape, in the grid or the dialog, closes nothing either.
  QTest::keyClick(d.sgPath, Qt::Key_Escape);
  QTest::keyClick(&d, Qt::Key_Escape);
  EXPECT_TRUE(d.isVisible());
  d.sgPath->SetSelectedRow(2);
  QTest::mouseClick(d.btOk, Qt::LeftButton);
  EXPECT_EQ(d.result(), TformChooseDir::mrOk);
  EXPECT_EQ(d.SelectedFolder(), "/games/b");
}

TEST_F(ChooseDir, TheSelectionFollowsAddingAndDeletingAFolderWithALineBreakIsRefused) {
  test::WriteWholeFile(settings,
                       "[MAIN]\nPathNum=3\n[Path]\nPath_0=/a\nPath_1=/b\nPath_2=/c\n[Name]\nName_0=A\n"
                       "Name_1=B\nName_2=C\n");
  TformChooseDir d(nullptr, settings);
  d.show();
  const auto selectedTitle = [&] {
    const int row = d.sgPath->GetSelectedRow();
    return row < 0 ? std::string("<none>") : Cell(d, 0, row);
  };
  d.sgPath->SetSelectedRow(1);
  QTest::mouseClick(d.btDel, Qt::LeftButton);  // A goes, the next row is selected
  EXPECT_EQ(selectedTitle(), "B");
  d.sgPath->SetSelectedRow(2);
  QTest::mouseClick(d.btDel, Qt::LeftButton);  // the last row goes, the new last one is selected
  EXPECT_EQ(selectedTitle(), "B");

  AnswerAdd("Added", dir.Path());
  QTest::mouseClick(d.btAdd, Qt::LeftButton);
  EXPECT_EQ(selectedTitle(), "Added");
  const fs::path odd = dir.Path() / "two\nlines";
  fs::create_directories(odd);
  std::string shown;
  AnswerAdd("Odd", odd, [&] {
    AnswerModal<QMessageBox>([&](QMessageBox* notice) {
      shown = notice->text().toStdString();
      notice->button(QMessageBox::Ok)->click();
    });
  });
  QTest::mouseClick(d.btAdd, Qt::LeftButton);
  EXPECT_NE(shown.find("line break"), std::string::npos);
  EXPECT_EQ(d.sgPath->RowCount(), 3);
  EXPECT_EQ(selectedTitle(), "Added");
  EXPECT_TRUE(d.WriteSettings());

  while (d.sgPath->RowCount() > 0) QTest::mouseClick(d.btDel, Qt::LeftButton);
  EXPECT_EQ(selectedTitle(), "<none>");
  const QModelIndex blank = d.sgPath->model()->index(0, 0);
  EXPECT_FALSE(d.sgPath->selectionModel()->isSelected(blank));
}

// The dialog reads its settings through one settings-file object, made with the rows and freed when the
// dialog closes, whichever way it is left. A double click in the memo does nothing.
TEST_F(ChooseDir, TheSettingsFileObjectLivesUntilTheDialogClosesTheMemosDoubleClickDoesNothing) {
  const std::string stored = "[MAIN]\nPathNum=1\nDefault=-1\n[Path]\nPath_0=/a\n[Name]\nName_0=A\n";
  const std::pair<const char*, std::function<void(TformChooseDir&)>> ways[] = {
      {"Use this one", [](TformChooseDir& d) { QTest::mouseClick(d.btOk, Qt::LeftButton); }},
      {"Close QMZ", [](TformChooseDir& d) { QTest::mouseClick(d.btAbort, Qt::LeftButton); }},
      {"title bar", [](TformChooseDir& d) { d.close(); }},
  };
  for (const auto& [way, leave] : ways) {
    test::WriteWholeFile(settings, stored);
    TformChooseDir d(nullptr, settings);
    ASSERT_NE(d.SettingsIni(), nullptr) << way;
    EXPECT_EQ(d.SettingsIni()->FileName(), settings) << way;
    d.show();
    leave(d);
    EXPECT_FALSE(d.isVisible()) << way;
    EXPECT_EQ(d.SettingsIni(), nullptr) << way;
    // Closed, the dialog has no settings file any more: a late save changes nothing.
    const std::string left = test::ReadWholeFile(settings);
    EXPECT_FALSE(d.WriteSettings()) << way;
    EXPECT_EQ(test::ReadWholeFile(settings), left) << way;
  }
  test::WriteWholeFile(settings, stored);

  TformChooseDir d(nullptr, settings);
  d.show();
  d.sgPath->SetSelectedRow(1);
  const QString text = d.Memo1->toPlainText();
  QTest::mouseDClick(d.Memo1->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 8));
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.result(), 0);
  EXPECT_EQ(d.Memo1->toPlainText(), text);
  EXPECT_EQ(d.sgPath->GetSelectedRow(), 1);
  EXPECT_NE(d.SettingsIni(), nullptr);
  EXPECT_EQ(test::ReadWholeFile(settings), stored);
}

// The loader separates lines with LF CR, Qt's boxes take plain line feeds (an empty line stays); a folder
// name or a game file can hold anything, markup is shown as its characters.
TEST(LoaderDialogsText, PlainLineFeedsAndMarkupAsItsCharacters) {
  EXPECT_EQ(BoxLines("a\n\r\rb\n\rc\n\r"), "a\n\nb\nc\n");
  EXPECT_EQ(BoxLines("x\r\ny\r\n\r\nz"), "x\ny\n\nz");
  const std::string text = "C:\\<b>bold</b>\\<img src='missing.png' width=30000>";
  LoaderDialogs dialogs(nullptr, "unused.ini");
  const std::pair<const char*, std::function<void()>> boxes[] = {
      {"askYesNo", [&] { dialogs.askYesNo(text); }},
      {"inputText", [&] { dialogs.inputText("Caption", text); }},
      {"showWarning", [&] { dialogs.showWarning(text); }},
  };
  for (const auto& [name, show] : boxes) {
    const test::ShownLabel shown = test::LabelOfModalBox(QStringLiteral("bold"), show);
    EXPECT_EQ(shown.text.toStdString(), text) << name;
    EXPECT_LT(shown.width, 3000) << name;
  }
}
