// The program entry: the application object, the single-instance check, the run journal, the main
// window and the message loop; the journal last of all.

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "app/QmzApplication.h"
#include "app/SingleInstance.h"
#include "app/uFormGrid.h"
#include "app/uFormMain.h"
#include "gamedata/uformChooseDir_LoaderDialogs.h"
#include "platform/ExePath.h"
#include "platform/ExitCode.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"

namespace {

constexpr int kExitFailure = 1;

// SIGTERM and SIGINT (a session ending, Ctrl+C in the terminal) close the main window the ordinary way,
// so the journal gets its closing lines. The signal handler only writes a byte; the window closes when
// the event loop reads it.
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

void CloseOnTerminationSignals(QWidget* window) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
  QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
    char byte = 0;
    [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
    window->close();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

// Why the program ends without a window or before its window closed normally: said on standard error and
// in the journal, the only places left to say it.
void ReportEndedStart(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  qmz::Log(text, qmz::jlError, qmz::Journal);
}

// The main window's life: created, started up, run until it closes. The result is the process's exit code.
int RunMainWindow(qmz::QmzApplication& app, const std::shared_ptr<qmz::SingleInstance>& instance,
                  const std::string& folder) {
  qmz::MainWindowSetup setup;
  setup.Journal = qmz::Journal;
  setup.Instance = instance;
  setup.ProgramFolder = folder;
  setup.Arguments = app.arguments().mid(1);
  setup.LoaderUserInterface = [folder](QWidget* parent) {
    return std::make_unique<qmz::LoaderDialogs>(parent, folder + "QMZ.ini");
  };
  auto formMain = std::make_unique<qmz::TformMain>(std::move(setup));
  if (!formMain->FormCreate()) return kExitFailure;
  auto formGrid = std::make_unique<qmz::TformGrid>();
  formMain->SetFormGrid(formGrid.get());
  QObject::connect(formMain.get(), &qmz::TformMain::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  CloseOnTerminationSignals(formMain.get());
  formMain->show();
  int result = app.exec();
  formMain->SetFormGrid(nullptr);
  if (result == 0) result = formMain->ExitCode();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = qmz::platform::ExecutableFolder();
  int result = 0;
  {
    qmz::QmzApplication app(argc, argv);
    // Only the name: a display name would be appended to every window's caption.
    app.setApplicationName(QStringLiteral("Starvagant Kestrelmark"));
    // Closing the main window ends the program, also while the route-list window is open.
    app.setQuitOnLastWindowClosed(false);
    // A second start hands over to the running instance before its journal would empty that one's file.
    // The program keeps its settings and journal in its own folder, so one instance runs per folder.
    // Our copy keeps the lock until the very end, so no new start runs beside this one as it winds down.
    auto instance = std::make_shared<qmz::SingleInstance>(qmz::SingleInstance::KeyForFolder(folder));
    const qmz::SingleInstance::Result acquired = instance->Acquire();
    if (acquired == qmz::SingleInstance::Result::OtherInstance) return 0;
    qmz::CreateRunJournal(folder);
    if (acquired == qmz::SingleInstance::Result::Refused) {
      ReportEndedStart("QMZ does not start: its lock against a second start cannot be taken: " +
                       instance->Problem().toStdString());
      result = kExitFailure;
    } else {
      try {
        result = RunMainWindow(app, instance, folder);
      } catch (const std::exception& e) {
        ReportEndedStart("QMZ ends after an unhandled error: " + qmz::EscapeOutsideText(e.what()));
        result = kExitFailure;
      } catch (...) {
        ReportEndedStart("QMZ ends after an unhandled error");
        result = kExitFailure;
      }
    }
  }
  // The journal's closing line names the code the process ends with.
  qmz::platform::SetProcessExitCode(result);
  qmz::FreeRunJournal();
  return result;
}
