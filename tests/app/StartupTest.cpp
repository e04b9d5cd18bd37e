// The main window: start-up, status display, error handling, boxes, and its controls as a player meets them.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QPointer>
#include <QProgressDialog>
#include <algorithm>
#include <functional>
#include <stdexcept>

#include "MainWindowFixture.h"
#include "gamedata/uformChooseDir.h"
#include "gamedata/uformChooseDir_LoaderDialogs.h"
#include "app/ModelAdapter.h"
#include "app/SingleInstance.h"
#include "platform/ExePath.h"
#include "support/dwDrives.h"
#include "support/dwWinSystem.h"
#include "util/ModalAnswer.h"
#include "util/MouseMove.h"
#include "util/ScopedEnv.h"
#include "widgets/WsStringGrid.h"

namespace qmz::test {
namespace {

TEST_F(MainWindowTest, StartUpFillsTheListsAndShowsTheVersion) {
  auto w = StartWindow();
  ASSERT_TRUE(w->StartupDone());
  EXPECT_EQ(w->ExitCode(), 0);
  const auto log = StartupLog(*w);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "Starvagant Kestrelmark");
  EXPECT_EQ(log[1], "QMZ Version 1.0.0.0");
  // The loader's steps follow in the log.
  EXPECT_NE(std::find(log.begin(), log.end(), "Checking Starvagant installation...."), log.end());

  EXPECT_EQ(w->VersionText(), ":: V1.0.0 build 0");
  EXPECT_EQ(w->StatusText(), " Ready");
  for (auto* bases : {w->lbFromBase, w->lbDestBase, w->lbInfBase}) EXPECT_EQ(bases->count(), Install().dockableBases);
  EXPECT_EQ(w->lbFromSystem->count(), Install().systems);
  for (auto* any : {w->lbFromAny, w->lbDestAny}) {
    ASSERT_EQ(any->count(), 1);
    EXPECT_EQ(any->item(0)->text(), "Anywhere");
    EXPECT_EQ(*TagOf(any->item(0)), (IndexTag{0, 4}));
  }
  EXPECT_EQ(w->lbFromRegion->count(), 0);
  // Both pages show their base list, tab 0 is selected, the start-up log is gone.
  EXPECT_EQ(w->plFrom->ActivePage(), w->pageFromBase);
  EXPECT_EQ(w->plDest->ActivePage(), w->pageDestBase);
  EXPECT_EQ(w->tbRoutes->SelectedTab(), w->tbRoutes->Tabs()[0]);
  EXPECT_EQ(w->plRoutes->ActivePage(), w->pageSource);
  EXPECT_FALSE(w->panStartup->isVisible());
  EXPECT_TRUE(grid->isVisible());
  EXPECT_TRUE(w->windowTitle().startsWith("Starvagant Kestrelmark - QMZ ["));

  EXPECT_TRUE(HasLine(*journal, "Created SVData Struct: True", jlInfo));
  EXPECT_TRUE(HasLine(*journal, "Passed: True ", jlWarning));
  EXPECT_TRUE(HasLine(*journal, "Form available", jlStart));
}

TEST_F(MainWindowTest, EachDebugSwitchAddsOneJournalLine) {
  const struct {
    QStringList args;
    int lines;
  } cases[] = {{{}, 2}, {{"/debug"}, 3}, {{"/DEBUG", "/Debug"}, 4}, {{"-debug", "debug", "/debugx"}, 2}};
  for (const auto& c : cases) {
    journal = std::make_unique<TJournal>(folder.Str(), "DebugOut", true, true, true, false);
    auto w = StartWindow(c.args);
    EXPECT_EQ(CountLines(*journal, jlWarning, "Journaling Status changed"), c.lines) << c.args.join(' ').toStdString();
  }
}

// A load the chooser's Cancel fails, or a close while the chooser would show stops, closes the window;
// the partial model fills no list, and nothing under the loader is freed before it returns.
TEST_F(MainWindowTest, FailedOrClosedLoadClosesTheWindowAndFillsNothing) {
  for (const bool closing : {false, true}) {
    SCOPED_TRACE(closing);
    journal = std::make_unique<TJournal>(folder.Str(), "DebugOut", true, true, false, false);
    user.chooser = closing ? std::optional(Install().installDir.string()) : std::nullopt;
    std::unique_ptr<TformMain> w = CreatedWindow();
    if (closing) onChoose = [&] { w->close(); };
    w->StartUpTimerTimer();
    EXPECT_TRUE(w->Closed());
    EXPECT_FALSE(w->StartupDone());
    const int created = IndexOfLine("Created SVData Struct: False");
    ASSERT_GE(created, 0);
    if (closing) EXPECT_LT(IndexOfLine("Closing Application"), created);
    else EXPECT_EQ(IndexOfLine("Closing Application"), created + 1);
    EXPECT_EQ(w->ExitCode(), 1) << "a start that ends without its window is no success";
    EXPECT_TRUE(HasLine(*journal, "Passed: False ", jlWarning));
    EXPECT_EQ(w->lbFromBase->count(), 0);
    EXPECT_EQ(w->lbFromAny->count(), 0);
    EXPECT_FALSE(HasLine(*journal, "Setting up Origin"));
    onChoose = nullptr;
  }
}

// Creation starts the 250 ms timer; its first tick runs the start-up sequence once and stops it.
TEST_F(MainWindowTest, TheStartUpTimerRunsTheSequenceOnce) {
  auto w = CreatedWindow();
  EXPECT_TRUE(w->StartUpTimer->isActive());
  EXPECT_EQ(w->StartUpTimer->interval(), 250);
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->StartupDone(); }, 20000));
  EXPECT_FALSE(w->StartUpTimer->isActive());
  EXPECT_EQ(test::CountLines(*journal, jlStart, "Starting up"), 1);
  w->close();
}

// Every journal opens with the system information block, its lines in this order at level Data.
TEST_F(MainWindowTest, JournalOpensWithTheSystemInformation) {
  auto w = CreatedWindow();
  const int at = IndexOfLine("System Information");
  ASSERT_GE(at, 0);
  const auto& lines = journal->Buffer();
  EXPECT_EQ(lines[std::size_t(at)].Level, jlStart);
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const char drive = GetExeDrive();
  std::string writeProtected = "n/a";  // a program outside every drive has no drive to test
  try {
    writeProtected = IsDriveWriteProtected(drive) ? "True" : "False";
  } catch (const EAssertionFailed&) {
  }
  // The whole line, or only its start where the value may change between two looks (free space).
  const std::pair<std::string, bool> expected[] = {
      {"System = " + GetOSName(), true},
      {"ServicePack = " + GetServicePackText(), true},
      {"Language = " + GetSystemLanguageName(), true},
      {std::string("User is Admin = ") + (IsAdmin() ? "True" : "False"), true},
      {"Application = " + platform::ExecutablePath(), true},
      {"Screen count = " + std::to_string(QGuiApplication::screens().size()), true},
      {Format("Screen Resolution = %d x %d", screen->geometry().width(), screen->geometry().height()), true},
      {Format("WorkSpace Resolution = %d x %d", screen->availableGeometry().width(),
              screen->availableGeometry().height()),
       true},
      {"Disk is write protected = " + writeProtected, true},
      {"Free Space on drive = ", false},
      {"Filesystem = " + GetDriveFileSystem(drive), true},
  };
  ASSERT_GE(lines.size(), std::size_t(at) + 1 + std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const auto& line = lines[std::size_t(at) + 1 + i];
    EXPECT_EQ(line.Level, jlData) << line.Text;
    if (expected[i].second) EXPECT_EQ(line.Text, expected[i].first);
    else EXPECT_EQ(line.Text.rfind(expected[i].first, 0), 0u) << line.Text;
  }
  w->close();
}

// The chooser left with OK and no row: the loader's question and input box reach the user through the
// window, and the folder typed in loads.
TEST_F(MainWindowTest, AFolderTypedByHandAfterAnEmptyChoiceLoads) {
  user.chooser = std::string();
  user.yesNo = {true};
  user.inputs = {Install().installDir.string()};
  std::unique_ptr<TformMain> w = StartWindow();
  EXPECT_TRUE(w->StartupDone());
  EXPECT_EQ(user.questions.size(), 1u);
  EXPECT_EQ(user.prompts,
            (std::vector<std::string>{"Manual override|Please enter the path to your Starvagant installation"}));
  EXPECT_GT(w->lbFromBase->count(), 0);
  w->close();
}

TEST_F(MainWindowTest, ADefaultThatNoLongerLoadsBringsTheChooserBack) {
  const std::string gone = folder.Str() + "/gone";
  const std::string settings = folder.Str() + "/QMZ.ini";
  // The player's answer in the chooser that comes back: the generated entry, or the title bar's close.
  for (const bool pick : {true, false}) {
    SCOPED_TRACE(pick);
    journal = std::make_unique<TJournal>(folder.Str(), "DebugOut", true, true, false, false);
    test::WriteWholeFile(settings, "[MAIN]\nPathNum=2\nDefault=1\nDefaultPath=" + gone + "\n[Path]\nPath_0=" + gone +
                                       "\nPath_1=" + Install().installDir.string() +
                                       "\n[Name]\nName_0=Gone\n"
                                       "Name_1=Generated\n");
    loaderUser = [&](QWidget* parent) { return std::make_unique<LoaderDialogs>(parent, settings); };
    std::string warning;
    bool waited = false;
    AnswerModal<QMessageBox>([&](QMessageBox* box) {
      warning = box->text().toStdString();
      AnswerModal<TformChooseDir>([&](TformChooseDir* d) {
        waited = !d->Timer1->isActive();
        if (!pick) {
          d->close();
          return;
        }
        d->sgPath->SetSelectedRow(d->sgPath->RowCount() - 1);
        QTest::mouseClick(d->btOk, Qt::LeftButton);
      });
      box->button(QMessageBox::Ok)->click();
    });
    auto w = StartWindow();
    EXPECT_NE(warning.find("Filepath: " + gone), std::string::npos);
    EXPECT_TRUE(waited);
    EXPECT_EQ(w->StartupDone(), pick);
    EXPECT_EQ(w->Closed(), !pick);
    EXPECT_EQ(CountLines(*journal, jlInfo, "Created SVData Struct: False"), pick ? 1 : 2);
    if (!pick) w->close();
    w.reset();
  }
}

TEST_F(MainWindowTest, ADefaultWhoseLoadFailsWithAnErrorBringsTheChooserBack) {
  const std::string settings = folder.Str() + "/QMZ.ini";
  test::WriteWholeFile(settings, "[MAIN]\nPathNum=1\nDefault=1\nDefaultPath=" + Install().installDir.string() +
                                     "\n[Path]\nPath_0=" + Install().installDir.string() +
                                     "\n[Name]\nName_0=Generated\n");
  // The first load raises an error part-way, as a damaged file could make a step do.
  struct FailingOnce : LoaderDialogs {
    using LoaderDialogs::LoaderDialogs;
    bool stopRequested() override {
      if (failed) return LoaderDialogs::stopRequested();
      failed = true;
      // The chooser that comes back is confirmed by the player.
      AnswerModal<TformChooseDir>([](TformChooseDir* d) { QTest::mouseClick(d->btOk, Qt::LeftButton); });
      throw std::runtime_error("damaged");
    }
    bool failed = false;
  };
  loaderUser = [&](QWidget* parent) { return std::make_unique<FailingOnce>(parent, settings); };
  auto w = StartWindow();
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find("damaged"), std::string::npos);
  EXPECT_TRUE(w->StartupDone());
  EXPECT_TRUE(HasLine(*journal, "Created SVData Struct: True", jlInfo));
  w->close();
}

TEST_F(MainWindowTest, TheStartupLogCoversTheWindowFromTheStart) {
  auto w = CreatedWindow();
  w->StartUpTimer->stop();
  const auto covers = [&] { return w->panStartup->geometry() == w->centralWidget()->rect(); };
  EXPECT_TRUE(covers());
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  EXPECT_TRUE(w->panStartup->isVisible());
  EXPECT_TRUE(covers());
  w->resize(700, 500);
  QCoreApplication::processEvents();
  EXPECT_TRUE(covers());
  w->close();
}

TEST_F(MainWindowTest, SecondInstanceAsksTheFirstToShowItselfAndEnds) {
  const QString key = QStringLiteral("QMZ_TEST_INSTANCE_%1").arg(getpid());
  auto first = CreatedWindow({}, key);
  first->StartUpTimer->stop();
  ASSERT_FALSE(first->isVisible());
  auto second = MakeWindow({}, key);
  EXPECT_FALSE(second->FormCreate());
  EXPECT_TRUE(QTest::qWaitFor([&] { return first->isVisible(); }, 5000));
  EXPECT_FALSE(second->isVisible());
}

// The lock lies in the user's private folder: names another user takes in the shared folder stop nothing; a
// private folder not the user's own, or a lock that is no file, refuses the start with the reason (as root,
// chown plays the other user).
TEST(SingleInstance, TheLockLivesInThePrivateFolderAndARefusalSaysWhy) {
  TempDir dir;
  const auto shared = dir.Path() / "tmp", runtime = dir.Path() / "runtime";
  for (const auto& [folder, mode] : {std::pair(shared, 01777), std::pair(runtime, 0700)}) {
    std::filesystem::create_directories(folder);
    ASSERT_EQ(chmod(folder.c_str(), mode), 0);
  }
  ScopedEnv tmp("TMPDIR", shared.c_str());
  const bool root = geteuid() == 0;
  const QString key = QStringLiteral("QMZ_TEST_LOCK_%1").arg(getpid());
  {
    ScopedEnv xdg("XDG_RUNTIME_DIR", runtime.c_str());
    // Every name another user could make in the shared folder: the key itself, with and without our uid.
    for (const QString& name : {key + QStringLiteral(".lock"), key + QStringLiteral("-%1.lock").arg(geteuid())}) {
      const std::string path = (shared / name.toStdString()).string();
      WriteWholeFile(path, "4242\nQMZ\nelsewhere\n");
      if (root) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
      }
    }
    SingleInstance first(key);
    ASSERT_EQ(first.Acquire(), SingleInstance::Result::Acquired) << first.Problem().toStdString();
    EXPECT_TRUE(first.LockFilePath().startsWith(QString::fromStdString(runtime.string()) + QLatin1Char('/')));
    SingleInstance second(key);
    EXPECT_EQ(second.Acquire(), SingleInstance::Result::OtherInstance);

    std::filesystem::create_directory(runtime / (key.toStdString() + "-dir.lock"));
    SingleInstance blocked(key + QStringLiteral("-dir"));
    EXPECT_EQ(blocked.Acquire(), SingleInstance::Result::Refused);
    EXPECT_TRUE(blocked.Problem().endsWith(QStringLiteral("it is not a regular file")))
        << blocked.Problem().toStdString();
  }
  // Without a session folder it is the user's own one in the shared folder; one another user made first (or a
  // link at its place) refuses the start with the reason.
  ScopedEnv xdg("XDG_RUNTIME_DIR", nullptr);
  const auto foreign = shared / ("qmz-" + std::to_string(geteuid()));
  if (root) {
    std::filesystem::create_directory(foreign);
    ASSERT_EQ(chmod(foreign.c_str(), 0777), 0);
    ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  } else {
    std::filesystem::create_directory_symlink(runtime, foreign);
  }
  SingleInstance taken(key);
  EXPECT_EQ(taken.Acquire(), SingleInstance::Result::Refused);
  EXPECT_TRUE(taken.Problem().contains(QString::fromStdString(foreign.string()))) << taken.Problem().toStdString();
  EXPECT_TRUE(!root || taken.Problem().endsWith(QStringLiteral("belongs to another user")));
}

TEST_F(MainWindowTest, StatusDisplayFollowsTheRules) {
  auto w = CreatedWindow();
  w->StartUpTimer->stop();
  w->lbStartup->setPlainText("one\ntwo");
  w->SetStatus("Loading", 0, 60, 5);

  // Position -1 (passed unsigned) changes nothing, not even the journal.
  const auto before = journal->Buffer().size();
  w->SetStatus("ignored", 0, 10, 4294967295u, true, false, true);
  EXPECT_EQ(journal->Buffer().size(), before);
  EXPECT_EQ(w->StatusText(), " Loading");
  EXPECT_EQ(w->Progress->value(), 5);

  // An empty text moves the gauge and keeps the text; the keep value leaves the maximum.
  w->SetStatus("", 0, TformMain::KeepMax, 9);
  EXPECT_EQ(w->StatusText(), " Loading");
  EXPECT_EQ(w->Progress->maximum(), 60);
  EXPECT_EQ(w->Progress->value(), 9);

  // Replacing echoes into the journal and rewrites the last line only.
  w->SetStatus("three", 0, 1, 0, false, true, true);
  EXPECT_EQ(w->lbStartup->toPlainText(), "one\nthree");
  EXPECT_EQ(w->Progress->value(), 9);
  EXPECT_TRUE(HasLine(*journal, "three", jlAction));
  // A log of one line: that line is replaced.
  const QString twoLines = w->lbStartup->toPlainText();
  w->lbStartup->setPlainText("only");
  w->SetStatus("replaced", 0, 1, 0, false, true);
  EXPECT_EQ(w->lbStartup->toPlainText(), "replaced");
  w->lbStartup->setPlainText(twoLines);

  // A channel message from the loader's side: maximum 60, position 7, added to the log.
  SendStatusMessage("Step seven", 0, 60, 7, w->StatusWindow(), w->StatusMapping(), true, false, false);
  EXPECT_EQ(w->Progress->maximum(), 60);
  EXPECT_EQ(w->Progress->value(), 7);
  EXPECT_EQ(w->StatusText(), " Step seven");
  EXPECT_TRUE(w->lbStartup->toPlainText().endsWith("\nStep seven"));

  // A block without a terminating zero gives its whole contents, not a byte more.
  {
    platform::SharedMemoryView view(w->StatusMapping());
    ASSERT_TRUE(view.Valid());
    std::fill(view.Data(), view.Data() + view.Size(), 'x');
  }
  const TStatusParams params = PackStatusMessage({0, 60, 8, false, false, false});
  platform::SendMessage(w->StatusWindow(), WM_STATUSMESSAGE, params.WParam, params.LParam);
  EXPECT_EQ(w->StatusText(), " " + QString(int(kStatusMappingSize), QLatin1Char('x')));
}

TEST_F(MainWindowTest, ProgressBlockOthersCouldOpenIsRefusedWithAJournalLine) {
  const std::string name = "QMZ_TEST_MMF_OPEN_" + std::to_string(getpid());
  const std::string posixName = platform::SharedMemoryObjectName(name);
  const int fd = shm_open(posixName.c_str(), O_CREAT | O_EXCL | O_RDWR, 0666);
  ASSERT_GE(fd, 0);
  fchmod(fd, 0666);
  ASSERT_EQ(ftruncate(fd, off_t(kStatusMappingSize)), 0);
  close(fd);
  auto w = MakeWindow({}, {}, name);
  ASSERT_TRUE(w->FormCreate());
  EXPECT_EQ(w->StatusMapping(), platform::SharedMemoryHandle(0));
  EXPECT_TRUE(HasText(*journal, "Shared memory block " + posixName + " not used"));
  shm_unlink(posixName.c_str());
}

TEST_F(MainWindowTest, ExceptionFromAButtonReachesTheHandlerWithTheSender) {
  auto w = StartWindow();
  // Only the throwing handler: the button's own one would show the about box.
  QObject::disconnect(w->btInfo, &QAbstractButton::clicked, nullptr, nullptr);
  w->ConnectHandler(w->btInfo, [] { throw std::runtime_error("boom"); });
  QTest::mouseClick(w->btInfo, Qt::LeftButton);
  EXPECT_TRUE(HasLine(*journal, "   EXCEPTION  : <runtime_error>  \"boom\"  raised by [QPushButton] btInfo", jlError));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].rfind("An Error occured\n\r\rboom\n\r\r", 0), 0u);
  EXPECT_NE(dialogs.errors[0].find(journal->FileName()), std::string::npos);
  // Answered No: no input boxes, no agent lines.
  EXPECT_EQ(dialogs.confirms.size(), 1u);
  EXPECT_TRUE(dialogs.prompts.empty());
  EXPECT_FALSE(HasText(*journal, "Quality Feedback Agent"));

  // An unnamed object is no component: the shorter form.
  QObject plain;
  w->HandleApplicationException(&plain, std::invalid_argument("bad"));
  EXPECT_TRUE(HasLine(*journal, "   EXCEPTION  : <invalid_argument> \"bad\"  raised by [QObject]", jlError));

  // What escapes a handler not run guarded is caught by the application object all the same.
  QTimer::singleShot(0, w->btBeenden, [] { throw std::logic_error("late"); });
  QTest::qWait(1);
  QCoreApplication::processEvents();
  EXPECT_TRUE(HasLine(*journal, "   EXCEPTION  : <logic_error>  \"late\"  raised by [QPushButton] btBeenden", jlError));

  // After the close the handler is no longer installed: the default box takes the exception.
  w->close();
  std::vector<std::string> shown;
  QmzApplication::SetDefaultErrorBox([&](const std::exception& e) { shown.push_back(e.what()); });
  QmzApplication::Instance()->HandleException(w->btInfo, std::runtime_error("after"));
  QmzApplication::SetDefaultErrorBox({});
  EXPECT_EQ(shown, std::vector<std::string>{"after"});
  EXPECT_EQ(dialogs.errors.size(), 3u);
}

// What is no exception of the runtime still reaches a handler, as an unknown one; an exception the
// handler raises itself ends in the default box instead of coming back to it.
TEST(QmzApplicationTest, UnknownAndHandlerExceptionsEndInAHandlerOrTheDefaultBox) {
  QmzApplication* app = QmzApplication::Instance();
  ASSERT_NE(app, nullptr);
  const ExceptionHandler old = app->OnException();
  std::vector<std::string> handled, shown;
  app->SetOnException([&](QObject*, const std::exception& e) {
    handled.emplace_back(e.what());
    if (handled.back() == "twice") throw std::runtime_error("inner");
  });
  QmzApplication::SetDefaultErrorBox([&](const std::exception& e) { shown.emplace_back(e.what()); });
  QObject target;
  QTimer::singleShot(0, &target, [] { throw 7; });
  QTest::qWait(1);
  QCoreApplication::processEvents();
  QmzApplication::RunHandler(&target, [] { throw 'x'; });
  QmzApplication::RunHandler(&target, [] { throw std::runtime_error("twice"); });
  app->SetOnException(old);
  QmzApplication::SetDefaultErrorBox({});
  EXPECT_EQ(handled, (std::vector<std::string>{"Unknown exception", "Unknown exception", "twice"}));
  EXPECT_EQ(shown, std::vector<std::string>{"inner"});
}

// An error of the start-up sequence runs its finally part: the window closes, its handler is taken back,
// and the error reaches the handler installed before (the default box), not the window's.
TEST_F(MainWindowTest, AnErrorDuringStartUpClosesTheWindowAndGoesToTheHandlerBefore) {
  loaderUser = [](QWidget*) { return std::unique_ptr<TLoaderUserInterface>(); };
  auto w = CreatedWindow();
  std::vector<std::string> shown;
  QmzApplication::SetDefaultErrorBox([&](const std::exception& e) { shown.emplace_back(e.what()); });
  QmzApplication::RunHandler(w->StartUpTimer, [&] { w->StartUpTimerTimer(); });
  QmzApplication::SetDefaultErrorBox({});
  EXPECT_EQ(shown, std::vector<std::string>{"No installation chooser is available"});
  EXPECT_TRUE(dialogs.errors.empty());
  EXPECT_TRUE(w->Closed());
  const int passed = IndexOfLine("Passed: False ");
  ASSERT_GE(passed, 0);
  EXPECT_LT(passed, IndexOfLine("Closing Application"));
  EXPECT_LT(IndexOfLine("Closing Application"), IndexOfLine("Form available"));
}

TEST(MainWindowDialogs, LineBreaksOfTheProgramsTextsKeepTheirEmptyLines) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\n\rb", "a\nb"},       {"a\r\nb", "a\nb"},   {"a\rb", "a\nb"},         {"a\n\r\rb", "a\n\nb"},
      {"a\r\n\r\nb", "a\n\nb"}, {"a\n\nb", "a\n\nb"}, {"a\n\r\n\rb", "a\n\nb"}, {"end\n\r", "end\n"},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(DialogText(text).toStdString(), shown) << text;
}

TEST(MainWindowDialogs, EveryBoxShowsMarkupAsItsCharacters) {
  const std::string text = "<b>bold</b> <img src='missing.png' width=30000>";
  auto dialogs = MakeQtDialogs(nullptr);
  const std::pair<const char*, std::function<void()>> boxes[] = {
      {"ErrorBox", [&] { dialogs->ErrorBox(text); }},
      {"Confirm", [&] { dialogs->Confirm(text); }},
      {"InputBox", [&] { dialogs->InputBox("Caption", text, "x"); }},
      {"ShowMessage", [&] { dialogs->ShowMessage(text); }},
      {"Information", [&] { dialogs->Information(text); }},
      {"Warning", [&] { dialogs->Warning(text); }},
      {"Question", [&] { dialogs->Question("Caption", text); }},
      {"InformationBox", [&] { dialogs->InformationBox("Caption", text); }},
  };
  for (const auto& [name, show] : boxes) {
    const test::ShownLabel shown = test::LabelOfModalBox(QStringLiteral("bold"), show);
    EXPECT_EQ(shown.text.toStdString(), text) << name;
    EXPECT_LT(shown.width, 3000) << name;
  }
}

// The transfer box shows the text as plain characters while the upload runs, its Cancel button is what
// TransferCancelled reports, and the end of the transfer takes the box away.
TEST(MainWindowDialogs, TransferBoxShowsItsTextAndReportsItsCancelButton) {
  QWidget parent;
  auto dialogs = MakeQtDialogs(&parent);
  dialogs->BeginTransfer("Sending <b>x</b>...");
  QPointer<QProgressDialog> box = parent.findChild<QProgressDialog*>();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->labelText(), "Sending <b>x</b>...");
  ASSERT_NE(box->findChild<QLabel*>(), nullptr);
  EXPECT_EQ(box->findChild<QLabel*>()->textFormat(), Qt::PlainText);
  EXPECT_FALSE(dialogs->TransferCancelled());
  auto* cancel = box->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_TRUE(dialogs->TransferCancelled());
  dialogs->EndTransfer();
  EXPECT_TRUE(box.isNull());
  // A new transfer starts uncancelled.
  dialogs->BeginTransfer("again");
  EXPECT_FALSE(dialogs->TransferCancelled());
  dialogs->EndTransfer();
}

class MainWindowWidgetsTest : public StartedWindowTest {
 protected:
  void SetUp() override {
    StartedWindowTest::SetUp();
    w->show();
    QApplication::processEvents();
  }
  QPoint TabCentre(int i) const { return w->tbRoutes->Tabs()[i]->GetDisplayRect().center(); }
};

TEST_F(MainWindowWidgetsTest, TabBarPaintsWithItsOwnColoursAndMovesTabsWithTheirPages) {
  TWsTabBar* bar = w->tbRoutes;
  TWsTabBarItem* first = bar->Tabs()[0];
  ASSERT_TRUE(first->Selected());
  const QRect selected = first->GetDisplayRect();
  const QImage image = bar->grab().toImage();
  EXPECT_EQ(image.pixelColor(selected.right() - 2, selected.top() + 2), QColor(Qt::white));
  EXPECT_EQ(image.pixelColor(bar->width() - 4, 4), bar->palette().color(QPalette::Button));

  // "Commodity" dragged onto the first place; every tab still shows its own page.
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, TabCentre(2));
  MoveMouse(bar, TabCentre(2) + QPoint(0, -1), Qt::LeftButton);
  MoveMouse(bar, TabCentre(0), Qt::LeftButton);
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, TabCentre(0));
  const std::vector<std::pair<QString, QWidget*>> expected = {{"Commodity", w->pageCommodity},
                                                              {"From Origin", w->pageSource},
                                                              {"to Destination", w->pageDest},
                                                              {"Information", w->pageInformation}};
  for (int i = 0; i < int(expected.size()); ++i) {
    ASSERT_EQ(bar->Tabs()[i]->Caption(), expected[i].first);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, TabCentre(i));
    EXPECT_TRUE(expected[i].second->isVisible()) << expected[i].first.toStdString();
  }
}

TEST_F(MainWindowWidgetsTest, GaugeShowsAnEmptyRangeEmptyAndFillsPastItsMaximum) {
  const auto barShare = [this] {
    const QImage image = w->Progress->grab().toImage();
    int bar = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) bar += image.pixelColor(x, y) == QColor(Qt::darkBlue);
    return double(bar) / (image.width() * image.height());
  };
  w->SetStatus("Starting calculation", 0, 0, 0);
  EXPECT_EQ(barShare(), 0.0) << "no busy indicator";
  w->SetStatus("", 0, 10, 4);
  EXPECT_GT(barShare(), 0.3);
  EXPECT_LT(barShare(), 0.5);
  w->SetStatus("", 0, 10, 25);
  EXPECT_EQ(w->Progress->value(), 10);
  EXPECT_GT(barShare(), 0.9);
}

TEST_F(MainWindowWidgetsTest, HoveringTheControlsMovesAndSizesNothing) {
  const QList<QWidget*> all = w->panBackTop->findChildren<QWidget*>();
  const auto layout = [&] {
    std::vector<QRect> r;
    for (QWidget* c : all) r.emplace_back(c->mapTo(w.get(), QPoint()), c->size());
    return r;
  };
  const std::vector<QRect> before = layout();
  for (QWidget* control : std::initializer_list<QWidget*>{w->edMoney, w->btCalculate, w->edLevel, w->cbUnlawful,
                                                          w->lbFromBase, w->lbOrigin, w->gbOptions}) {
    MoveMouse(control, {2, 2});
    QApplication::processEvents();
    const std::vector<QRect> now = layout();
    for (int i = 0; i < all.size(); ++i)
      EXPECT_EQ(now[i], before[i]) << "hovering " << control->objectName().toStdString() << " changes "
                                   << all[i]->metaObject()->className() << " " << all[i]->objectName().toStdString();
  }
}

TEST_F(MainWindowWidgetsTest, SmallestWindowStillFitsEveryControl) {
  w->resize(300, 300);
  QApplication::processEvents();
  QWidget* buttons[] = {w->btFromBase, w->btFromSystem, w->btFromRegion, w->btFromAny};
  for (int i = 0; i < 4; ++i) {
    EXPECT_GE(buttons[i]->width(), buttons[i]->sizeHint().width()) << i;
    if (i > 0) {
      EXPECT_GT(buttons[i]->x(), buttons[i - 1]->geometry().right()) << i;
    }
  }
  EXPECT_GE(w->lbOrigin->width(), 150);
  EXPECT_EQ(w->tbRoutes->ScrollButtonStateOf(0), ScrollButtonState::Hidden) << "every tab shows";
}

}  // namespace
}  // namespace qmz::test
