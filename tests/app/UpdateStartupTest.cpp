// The start-up's update step against an HTTP server on 127.0.0.1; the about box, default reset and priority.

#include <sys/resource.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "MainWindowFixture.h"
#include "app/SingleInstance.h"
#include "app/core/uFormMain_SmallCommands.h"
#include "app/uFormImpressum.h"
#include "BuildConfig.h"
#include "platform/ProfileFile.h"
#include "util/LocalServer.h"
#include "util/HeapBytes.h"
#include "util/ModalAnswer.h"
#include "util/ChildProcess.h"
#include "util/NiceValues.h"

namespace qmz::test {

namespace fs = std::filesystem;

// Notes what the desktop was asked to open instead of opening it.
class OpenRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened.push_back(url); }
};

namespace {

// Whether want appears in have in this order (other lines between them allowed).
bool InOrder(const std::vector<std::string>& have, const std::vector<std::string>& want) {
  std::size_t next = 0;
  for (const std::string& line : have)
    if (next < want.size() && line == want[next]) ++next;
  return next == want.size();
}

class UpdateStartupTest : public MainWindowTest {
 protected:
  UpdateStartupTest() {
    WriteWholeFile(site_ / "qmz_update.zip", std::string(3000, 'z'));
    Page("new.html", "1.0.1", "/qmz_update.zip");
    Page("same.html", "1.0.0.0", "/qmz_update.zip");
    Page("broken.html", "1.0.1", "/status404/qmz_update.zip");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder_, "open");
    // The route-list window's save dialog, answered as a user would once it shows.
    saveUser_.setInterval(10);
    QObject::connect(&saveUser_, &QTimer::timeout, [this] { AnswerSaveDialog(); });
    saveUser_.start();
  }
  ~UpdateStartupTest() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

  void Page(const std::string& name, const std::string& version, const std::string& download) {
    WriteWholeFile(site_ / name, UpdatePage(version, download, "../qmz_update.zip",
                                            "<META NAME=\"wuAuthor\" CONTENT=\"Kestrel\">\n"));
  }
  void SetUpdateUrl(const std::string& url) {
    ASSERT_TRUE(platform::WriteProfileString(folder.Str() + "/QMZ.ini", "MAIN", "UpdateURL", url));
  }

  // Notes the proposal ("file|filter"), then types the next answer over it and presses OK, or cancels
  // (nullopt or no answer left).
  void AnswerSaveDialog() {
    QFileDialog* dlg = grid->DlgSave;
    if (!dlg->isVisible()) return;
    saveProposals_.push_back(dlg->selectedFiles().value(0).toStdString() + "|" +
                             dlg->selectedNameFilter().toStdString());
    std::optional<std::string> answer;
    if (!saveAnswers_.empty()) {
      answer = saveAnswers_.front();
      saveAnswers_.pop_front();
    }
    auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!answer || !name) {
      EXPECT_TRUE(name != nullptr) << "the save dialog has no file name box";
      dlg->reject();
      return;
    }
    name->setText(QString::fromStdString(*answer));
    static_cast<QDialog*>(dlg)->accept();  // as OK would
  }

  TempDir siteDir_;
  fs::path site_ = siteDir_.Path() / "site";
  OpenRecorder recorder_;
  QTimer saveUser_;
  std::deque<std::optional<std::string>> saveAnswers_;
  std::vector<std::string> saveProposals_;
};

const std::vector<std::string> kInfoLines = {"   Product name  : QMZ", "   Author        : Kestrel",
                                             "   Local version : 1.0.0.0", "   Web version   : 1.0.1"};

TEST_F(UpdateStartupTest, EveryOutcomeButASuccessfulDownloadLetsTheStartUpGoOn) {
  UpdateServer server(site_);
  const std::string proposed = folder.Str() + "/qmz_update.zip";
  const std::string chosen = folder.Str() + "/chosen.zip";
  // One start-up with these answers: its log holds log in order and none of notInLog; nothing is downloaded.
  const auto start = [&](const char* name, const std::string& url, std::deque<bool> confirm,
                         std::deque<std::optional<std::string>> save, const std::vector<std::string>& log,
                         const std::vector<std::string>& notInLog, std::size_t warnings) {
    SCOPED_TRACE(name);
    SetUpdateUrl(url);
    dialogs = {};
    dialogs.answers = std::move(confirm);
    saveAnswers_ = std::move(save);
    auto w = StartWindow();
    EXPECT_TRUE(w->StartupDone());
    EXPECT_FALSE(w->Closed());
    const auto have = StartupLog(*w);
    EXPECT_TRUE(InOrder(have, log));
    for (const auto& line : notInLog) EXPECT_EQ(std::find(have.begin(), have.end(), line), have.end()) << line;
    EXPECT_EQ(dialogs.warnings.size(), warnings);
    EXPECT_TRUE(dialogs.infos.empty());
    EXPECT_FALSE(fs::exists(proposed));
    EXPECT_FALSE(fs::exists(chosen));
    EXPECT_TRUE(recorder_.opened.empty());
  };
  start("same version", server.Url("/same.html"), {}, {},
        {"Checking for an update version - please stay calm....", "   Web version   : 1.0.0.0",
         "   No update has been found - you allready have the newest version"},
        {"   Now downloading file: " + proposed}, 0);
  start("answered No", server.Url("/new.html"), {false}, {}, kInfoLines,
        {"   Update aborted", "   Now downloading file: " + proposed}, 0);
  start("file dialog cancelled", server.Url("/new.html"), {true}, {std::nullopt}, {kInfoLines[3], "   Update aborted"},
        {"   Update has been downloaded sucessfully"}, 1);
  ASSERT_EQ(dialogs.confirms.size(), 1u);
  EXPECT_EQ(dialogs.confirms[0],
            "There is an update available for this version of QMZ\n\r\rYou are currently using "
            "version    : 1.0.0.0\n\rVersion available from Internet is : 1.0.1\n\r\rDo you "
            "like to update to the newest version now ?");
  // The page's "../qmz_update.zip" is proposed in the program's folder under its plain name.
  ASSERT_EQ(saveProposals_.size(), 1u);
  EXPECT_EQ(saveProposals_[0], proposed + "|Alle Dateien (*)");
  EXPECT_EQ(dialogs.warnings[0], "The file you entered can\u00b4t be created. Download cancelled");
  start("download fails", server.Url("/broken.html"), {true}, {chosen},
        {"   Update will be stored at: " + chosen, "   Now downloading file: " + chosen,
         "   After the download this application will be terminated",
         "   for you to install the newly downloaded version",
         "   The document specified \"" + server.Url("/broken.html") + "\" can not be downloaded"},
        {"   Update has been downloaded sucessfully"}, 0);
  start("unreachable", "http://127.0.0.1:1/updates/qmz.html", {}, {},
        {"   The document specified \"http://127.0.0.1:1/updates/qmz.html\" can not be downloaded"},
        {"   Product name  : QMZ"}, 0);
  start("switched off", "", {}, {}, {}, {"Checking for an update version - please stay calm...."}, 0);
  EXPECT_TRUE(HasLine(*journal, "No update information page configured - no update information"));
}

TEST_F(UpdateStartupTest, SuccessfulDownloadOpensTheFileAndClosesInsteadOfLoading) {
  UpdateServer server(site_);
  SetUpdateUrl(server.Url("/new.html"));
  const std::string chosen = folder.Str() + "/chosen.zip";
  dialogs.answers = {true};
  saveAnswers_ = {chosen};
  auto w = StartWindow();
  EXPECT_TRUE(w->Closed());
  EXPECT_FALSE(w->StartupDone());
  EXPECT_EQ(w->Data(), nullptr);
  EXPECT_EQ(ReadWholeFile(chosen), std::string(3000, 'z'));
  ASSERT_EQ(recorder_.opened.size(), 1);
  EXPECT_EQ(recorder_.opened[0], QUrl::fromLocalFile(QString::fromStdString(chosen)));
  EXPECT_TRUE(InOrder(StartupLog(*w), {"   Update will be stored at: " + chosen, "   Now downloading file: " + chosen,
                                       "   Update has been downloaded sucessfully"}));
  ASSERT_EQ(dialogs.infos.size(), 1u);
  EXPECT_EQ(dialogs.infos[0].rfind("The Update has been downloaded sucessfully\n\r\r", 0), 0u);
  EXPECT_TRUE(HasLine(*journal, "   Update has been downloaded sucessfully", jlAction));
  EXPECT_TRUE(HasLine(*journal, "Passed: False ", jlWarning));
  EXPECT_FALSE(HasText(*journal, "Created SVData Struct"));
}

// A file of that name is replaced (after the save dialog's own question); when the desktop cannot open the
// download, the window says so, and closes all the same.
TEST_F(UpdateStartupTest, ADownloadReplacesAnExistingFileAndClosesThoughItCannotBeOpened) {
  UpdateServer server(site_);
  SetUpdateUrl(server.Url("/new.html"));
  const std::string chosen = folder.Str() + "/chosen.zip";
  WriteWholeFile(chosen, "an older download");
  bool replaceAsked = false;
  AnswerModal<QMessageBox>([&](QMessageBox* box) {
    replaceAsked = true;
    box->button(QMessageBox::Yes)->click();
  });
  // A handler without such a method: the desktop reports that it cannot open the file.
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder_, "noSuchMethod");
  dialogs.answers = {true};
  saveAnswers_ = {chosen};
  auto w = StartWindow();
  EXPECT_TRUE(replaceAsked);
  EXPECT_EQ(ReadWholeFile(chosen), std::string(3000, 'z'));
  EXPECT_TRUE(
      InOrder(StartupLog(*w), {"   Update has been downloaded sucessfully", "   Downloaded file cannot be executed"}));
  EXPECT_TRUE(HasLine(*journal, "   Downloaded file cannot be executed", jlAction));
  EXPECT_EQ(w->Progress->maximum(), 0);
  EXPECT_EQ(w->Progress->value(), 0);
  EXPECT_TRUE(w->Closed());
  EXPECT_EQ(w->Data(), nullptr);
}

TEST_F(UpdateStartupTest, PageTextIsShownAsItIsAndEscapedInTheJournal) {
  const std::string version = "9.<font size=6 color=red>SPOOF</font><img src='missing.png' width=30000>";
  std::string page = "<META NAME=\"wuProduct\" CONTENT=\"<b>QMZ</b>\">\n";
  page += "<META NAME=\"wuAuthor\" CONTENT=\"Kes\x1b[31mtrel\xe2\x80\xae\xff\">\n";
  page += "<META NAME=\"wuVersion\" CONTENT=\"" + version + "\">\n";
  WriteWholeFile(site_ / "markup.html", page);
  UpdateServer server(site_);
  SetUpdateUrl(server.Url("/markup.html"));
  auto w = StartWindow();
  EXPECT_TRUE(w->StartupDone());
  EXPECT_TRUE(InOrder(StartupLog(*w), {"   Product name  : <b>QMZ</b>", "   Web version   : " + version}));
  EXPECT_TRUE(HasLine(*journal, "   Author        : Kes\\x1b[31mtrel\\u202e\\xff", jlAction));
  ASSERT_EQ(dialogs.confirms.size(), 1u);
  EXPECT_NE(dialogs.confirms[0].find(version), std::string::npos);

  // The status bar shows such a line as its characters: no picture is read, the window is not widened.
  const fs::path picture = siteDir_.Path() / "picture.png";
  WriteWholeFile(picture, "");
  fs::resize_file(picture, 128 * 1024 * 1024);
  const std::string line = "   Web version   : <img src='" + picture.string() + "' width=30000>";
  w->show();
  const std::size_t before = HeapBytes();
  w->SetStatus(line, 0, 0, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(w->StatusText().toStdString(), " " + line);
  const auto* panel = w->findChild<QLabel*>(QStringLiteral("StatusPanel3"));
  ASSERT_NE(panel, nullptr);
  EXPECT_LT(panel->sizeHint().width(), 3000);
  EXPECT_LT(HeapBytes(), before + 16 * 1024 * 1024);
  w->close();
}

TEST_F(UpdateStartupTest, ClosingDuringASilentPageFetchEndsAtOnceAndKeepsTheInstanceLock) {
  UpdateServer server(site_);
  SetUpdateUrl(server.Url("/silent/new.html"));
  const QString key = QStringLiteral("QMZ_TEST_SILENT_%1").arg(getpid());
  auto w = CreatedWindow({}, key);
  QElapsedTimer sinceClose;
  QTimer::singleShot(300, w.get(), [&] {
    sinceClose.start();
    w->close();
  });
  w->StartUpTimerTimer();
  ASSERT_TRUE(sinceClose.isValid());
  EXPECT_LT(sinceClose.elapsed(), 2000);
  EXPECT_TRUE(w->Closed());
  EXPECT_EQ(w->Data(), nullptr);
  // A new start while this one winds down finds it still running.
  SingleInstance second(key);
  EXPECT_EQ(second.Acquire(), SingleInstance::Result::OtherInstance);
  EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, InfoShowsTheAboutBoxAndClearDefaultForgetsTheDefault) {
  auto w = StartWindow();
  bool shown = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<TformImpressum*>(top); box && box->isVisible()) {
        shown = true;
        box->reject();
      }
  });
  QTest::mouseClick(w->btInfo, Qt::LeftButton);
  EXPECT_TRUE(shown);

  const std::string ini = folder.Str() + "/QMZ.ini";
  ASSERT_TRUE(platform::WriteProfileString(ini, "MAIN", "Default", "2"));
  ASSERT_TRUE(platform::WriteProfileString(ini, "MAIN", "PathNum", "2"));
  QTest::mouseClick(w->btClearDefault, Qt::LeftButton);
  EXPECT_EQ(platform::ReadProfileString(ini, "MAIN", "Default", "none"), "none");
  EXPECT_EQ(platform::ReadProfileString(ini, "MAIN", "PathNum", ""), "2");

  QTest::mouseClick(w->btBeenden, Qt::LeftButton);
  EXPECT_TRUE(w->Closed());
}

// Both places switch every thread of the process, also one started before; the class of each modifier is
// PrioritySwitch's. Idle only where the process can come back to normal: elsewhere it stays at normal.
TEST_F(MainWindowTest, PressesOnControlsAndStartupLogSwitchThePriority) {
  auto w = StartWindow();
  QWidget* controls = w->gbControls;
  QWidget* startupLog = w->lbStartup->viewport();
  const int idle = platform::NormalPriorityReachable() ? 19 : 0;
  struct Case {
    QWidget* target;
    Qt::KeyboardModifiers modifiers;
    int nice;
  };
  const Case cases[] = {
      {controls, Qt::ControlModifier, idle},
      {startupLog, Qt::NoModifier, 0},
      {startupLog, Qt::ControlModifier, idle},
      {controls, Qt::NoModifier, 0},
  };
  ParkedThread before;
  for (const Case& c : cases) {
    QTest::mousePress(c.target, Qt::LeftButton, c.modifiers, QPoint(5, 5));
    QTest::mouseRelease(c.target, Qt::LeftButton, c.modifiers, QPoint(5, 5));
    EXPECT_TRUE(EveryThreadAt(c.nice)) << int(c.modifiers);
  }
}

// An ordinary user's process (no privilege, nice limit 0) could not come back from idle: the Ctrl+click on the
// Controls box and the route display leave idle out, the journal says why once, and a plain click still finds
// the process at normal. Shown in a child that becomes such a user.
TEST_F(MainWindowTest, AnOrdinaryUsersProcessIsNeverLeftAtIdle) {
  auto w = StartWindow();
  const int code = RunInChild(
      [&] {
    if (!BecomeOrdinaryUser(0)) return 90;
    ParkedThread before;
    QTest::mouseClick(w->gbControls, Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    if (!EveryThreadAt(0)) return 1;
    QTest::mouseClick(w->gbControls, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    if (!EveryThreadAt(0)) return 2;
    w->SetShowRoutesEnabled(true);  // as after a calculation
    QTest::mouseClick(w->btShowRoutes, Qt::LeftButton);
    if (!EveryThreadAt(0) || w->StatusText().toStdString() != " Finished - Printed 0 Routes") return 3;
    QTest::mouseClick(w->lbStartup->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
    if (!EveryThreadAt(0)) return 4;
    if (CountLines(*journal, jlWarning, "Process priority not lowered to idle, because ") != 1) return 5;
    return 0;
      },
      98);
  EXPECT_EQ(code, 0);
}

TEST(PrioritySwitch, ModifiersChooseTheClassAndNeverRealTime) {
  using platform::PriorityClass;
  struct Case {
    bool shift, ctrl, alt;
    std::optional<PriorityClass> priority;
    const char* text;
  };
  const Case cases[] = {
      {false, false, false, PriorityClass::Normal, "ProcessPriority Changed()- NORMAL"},
      {true, false, false, PriorityClass::High, "ProcessPriority Changed()- HIGH"},
      {true, true, false, PriorityClass::High, "ProcessPriority Changed()- REALTIME"},
      {false, true, false, PriorityClass::Idle, "ProcessPriority Changed()- IDLE"},
      {false, false, true, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    const auto choice = PriorityForModifiers(c.shift, c.ctrl, c.alt);
    ASSERT_EQ(choice.has_value(), c.priority.has_value());
    if (choice) {
      EXPECT_EQ(choice->priority, *c.priority);
      EXPECT_EQ(choice->debugText, c.text);
    }
  }
}

TEST(AboutBox, ShowsTheVersionLineOncePerShowingCentredAndOpensItsLinks) {
  // The desktop is asked to open the links; here they are noted instead.
  OpenRecorder recorder;
  const QString webScheme = QUrl(QMZ_WEBSITE).scheme();
  for (const QString& scheme : {QStringLiteral("mailto"), webScheme})
    QDesktopServices::setUrlHandler(scheme, &recorder, "open");
  TformImpressum box;
  const QString expected = QString::asprintf("Version V%d.%d.%d  (Build %d)", QMZ_VERSION_MAJOR, QMZ_VERSION_MINOR,
                                             QMZ_VERSION_PATCH, QMZ_VERSION_BUILD);
  for (int showing = 0; showing < 2; ++showing) {
    box.show();
    EXPECT_EQ(box.labVersion->text(), expected);
    const QPoint offCentre = box.frameGeometry().center() - box.screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2);
    QTest::mouseClick(box.btOk, Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    box.move(0, 0);  // moved away: the next showing centres it again
  }
  // A link opens on a left click only: not on another button, nor when the left button is let go off it.
  for (QLabel* link : {box.labMail, box.labWebsite}) {
    QTest::mouseClick(link, Qt::RightButton);
    QTest::mouseClick(link, Qt::MiddleButton);
    QTest::mousePress(link, Qt::LeftButton);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
  }
  EXPECT_TRUE(recorder.opened.isEmpty());
  QTest::mouseClick(box.labMail, Qt::LeftButton);
  QTest::mouseClick(box.labWebsite, Qt::LeftButton);
  for (const QString& scheme : {QStringLiteral("mailto"), webScheme}) QDesktopServices::unsetUrlHandler(scheme);
  ASSERT_EQ(recorder.opened.size(), 2);
  EXPECT_EQ(recorder.opened[0], QUrl(QStringLiteral("mailto:") + QMZ_CONTACT_EMAIL));
  EXPECT_EQ(recorder.opened[1], QUrl(QMZ_WEBSITE));
  EXPECT_FALSE(box.Image1->pixmap().isNull());
}

}  // namespace
}  // namespace qmz::test

#include "UpdateStartupTest.moc"
