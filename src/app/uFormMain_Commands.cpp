// The main window's small commands outside the route calculation: the about box, the Exit button,
// forgetting the default installation, the hidden priority switch; and the binding of the update check's
// events.

#include <QEvent>
#include <QMouseEvent>

#include "app/StatusMessageReceiver.h"
#include "app/core/uFormMain_SmallCommands.h"
#include "app/uFormImpressum.h"
#include "app/uFormMain.h"
#include "support/DbgMonIntf.h"

namespace qmz {

namespace {

// Tells of every mouse press on a control, with the modifier keys held, and lets the control have it too.
class MousePressFilter : public QObject {
 public:
  MousePressFilter(QObject* watched, std::function<void(Qt::KeyboardModifiers)> onPress)
      : QObject(watched), onPress_(std::move(onPress)) {
    watched->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    // The second press of a double click is a press too.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
      onPress_(static_cast<QMouseEvent*>(event)->modifiers());
    return false;
  }

 private:
  std::function<void(Qt::KeyboardModifiers)> onPress_;
};

}  // namespace

void TformMain::SetUpUpdateAndCommands() {
  // The update check as the window keeps it: every event but the one after the information dialog, which
  // the window never lets show; no end of the application by the component, the window closes itself.
  WebUpdate.SetVersion(WebUpdate.Version());
  WebUpdate.Options = uoRunUpdate | uoOverwrite;
  WebUpdate.OnBeforeGetInfo = [this](TwuWebUpdate& s) { WebUpdateBeforeGetInfo(s); };
  WebUpdate.OnAfterGetInfo = [this](TwuWebUpdate& s) { WebUpdateAfterGetInfo(s); };
  WebUpdate.OnNoUpdateFound = [this](TwuWebUpdate& s) { WebUpdateNoUpdateFound(s); };
  WebUpdate.OnUpdateAvailable = [this](TwuWebUpdate& s, const std::string& a, const std::string& n, bool& c) {
    WebUpdateUpdateAvailable(s, a, n, c);
  };
  WebUpdate.OnBeforeShowInfo = [this](TwuWebUpdate& s, bool& show, bool& check) {
    WebUpdateBeforeShowInfo(s, show, check);
  };
  WebUpdate.OnGetClientFileName = [this](TwuWebUpdate& s, std::string& f) { WebUpdateGetClientFileName(s, f); };
  WebUpdate.OnClientFileExists = [this](TwuWebUpdate& s, std::string& f, bool& o) {
    WebUpdateClientFileExists(s, f, o);
  };
  WebUpdate.OnBeforeDownload = [this](TwuWebUpdate& s, const std::string& f) { WebUpdateBeforeDownload(s, f); };
  WebUpdate.OnDownload = [this](TwuWebUpdate& s, std::int64_t t, std::int64_t d) { WebUpdateDownload(s, t, d); };
  WebUpdate.OnAfterDownload = [this](TwuWebUpdate& s, const std::string& f) { WebUpdateAfterDownload(s, f); };
  WebUpdate.OnCannotExecute = [this](TwuWebUpdate& s) { WebUpdateCannotExecute(s); };
  WebUpdate.OnDownloadError = [this](TwuWebUpdate& s) { WebUpdateDownloadError(s); };

  // The priority switch sits on the Controls group box and on the start-up log (whose text area takes
  // the presses).
  new MousePressFilter(gbControls, [this](Qt::KeyboardModifiers m) { gbControlsMouseDown(m); });
  new MousePressFilter(lbStartup->viewport(), [this](Qt::KeyboardModifiers m) { lbStartupMouseDown(m); });

  // The debug viewer knows this program by the window the progress channel reaches.
  SetDebugSenderWindow(receiver_->Window(), journal_);
}

void TformMain::btInfoClick() {
  TformImpressum box(this);
  box.exec();
}

void TformMain::btBeendenClick() { close(); }

void TformMain::btClearDefaultClick() { ClearDefaultInstallation(setup_.ProgramFolder + "QMZ.ini"); }

void TformMain::gbControlsMouseDown(Qt::KeyboardModifiers Shift) {
  SwitchPriority(Shift.testFlag(Qt::ShiftModifier), Shift.testFlag(Qt::ControlModifier),
                 Shift.testFlag(Qt::AltModifier), journal_);
}

void TformMain::lbStartupMouseDown(Qt::KeyboardModifiers Shift) { gbControlsMouseDown(Shift); }

}  // namespace qmz
