// The program entry: the application object, the single-instance check, the run journal, the main
// window and the message loop; the journal last of all.

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>
#include <memory>

#include "app/QmzApplication.h"
#include "app/SingleInstance.h"
#include "app/uFormGrid.h"
#include "app/uFormMain.h"
#include "gamedata/uformChooseDir_LoaderDialogs.h"
#include "platform/ExePath.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = qmz::platform::ExecutableFolder();
  int result = 0;
  {
    qmz::QmzApplication app(argc, argv);
    // A second start hands over to the running instance before its journal would empty that one's file.
    // The program keeps its settings and journal in its own folder, so one instance runs per folder.
    auto instance = std::make_shared<qmz::SingleInstance>(qmz::SingleInstance::KeyForFolder(folder));
    if (!instance->Acquire()) return 0;
    qmz::CreateRunJournal(folder);
    app.setApplicationName(QStringLiteral("Starvagant Kestrelmark"));
    app.setApplicationDisplayName(QStringLiteral("Starvagant Kestrelmark"));
    // Closing the main window ends the program, also while the route-list window is open.
    app.setQuitOnLastWindowClosed(false);

    qmz::MainWindowSetup setup;
    setup.Journal = qmz::Journal;
    setup.Instance = instance;  // our copy keeps the lock until the very end
    setup.ProgramFolder = folder;
    setup.Arguments = app.arguments().mid(1);
    setup.LoaderUserInterface = [folder](QWidget* parent) {
      return std::make_unique<qmz::LoaderDialogs>(parent, folder + "QMZ.ini");
    };
    auto formMain = std::make_unique<qmz::TformMain>(std::move(setup));
    if (formMain->FormCreate()) {
      auto formGrid = std::make_unique<qmz::TformGrid>();
      formMain->SetFormGrid(formGrid.get());
      QObject::connect(formMain.get(), &qmz::TformMain::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
      CloseOnTerminationSignals(formMain.get());
      formMain->show();
      result = app.exec();
      formMain->SetFormGrid(nullptr);
    }
    formMain.reset();
  }
  qmz::FreeRunJournal();
  return result;
}
