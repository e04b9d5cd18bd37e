#pragma once
// The application object. Qt lets no exception pass through its event dispatch, so notify catches what
// an event handler lets escape and hands it to the installed unhandled-exception handler, the way the
// main window expects an application-level handler to work: one handler at a time, set and put back by
// its owner.

#include <QApplication>

#include <exception>
#include <functional>
#include <string>

#include "widgets/WsControls.h"

namespace qmz {

// The class name of an exception as a user reads it: without namespaces ("EConvertError",
// "runtime_error").
std::string ExceptionClassName(const std::exception& E);

class QmzApplication : public QApplication {
  Q_OBJECT

 public:
  // The controls hand what their events raise to HandleException for as long as the object lives.
  QmzApplication(int& argc, char** argv);
  ~QmzApplication() override;

  bool notify(QObject* receiver, QEvent* event) override;

  // The handler that receives escaped exceptions; an empty handler shows the default error box.
  const ExceptionHandler& OnException() const { return onException_; }
  void SetOnException(ExceptionHandler handler) { onException_ = std::move(handler); }

  // Passes E to the installed handler, or to the default error box.
  void HandleException(QObject* Sender, const std::exception& E);

  // Runs an event handler of ours. What it lets escape goes to the installed handler right here, so no
  // exception ever unwinds through Qt's own frames (which would leak the event being delivered); notify
  // stays the backstop for handlers that are not run this way.
  static void RunHandler(QObject* Sender, const std::function<void()>& handler);

  // The default error box: the exception's message, nothing else.
  static void ShowDefaultError(const std::exception& E);
  // Replaces the default error box (tests).
  static void SetDefaultErrorBox(std::function<void(const std::exception&)> box);

  // The running application object, when it is one of ours.
  static QmzApplication* Instance();

 private:
  ExceptionHandler onException_;
  int handling_ = 0;  // an exception raised while one is being handled goes to the default box
};

}  // namespace qmz
