#include "app/QmzApplication.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <typeinfo>

namespace qmz {

std::string ExceptionClassName(const std::exception& E) {
  const char* mangled = typeid(E).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : mangled;
  const auto colons = name.rfind("::");
  return colons == std::string::npos ? name : name.substr(colons + 2);
}

QmzApplication::QmzApplication(int& argc, char** argv) : QApplication(argc, argv) {
  SetApplicationHandleException([this](QObject* Sender, const std::exception& E) { HandleException(Sender, E); });
}

QmzApplication::~QmzApplication() { SetApplicationHandleException({}); }

QmzApplication* QmzApplication::Instance() { return qobject_cast<QmzApplication*>(QCoreApplication::instance()); }

bool QmzApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    HandleException(receiver, e);
  } catch (...) {
    HandleException(receiver, std::runtime_error("Unknown exception"));
  }
  return false;
}

void QmzApplication::HandleException(QObject* Sender, const std::exception& E) {
  // A handler that itself fails must not recurse into itself; its failure gets the plain box.
  if (handling_ > 0 || !onException_) {
    ShowDefaultError(E);
    return;
  }
  ++handling_;
  try {
    onException_(Sender, E);
  } catch (const std::exception& inner) {
    ShowDefaultError(inner);
  } catch (...) {
  }
  --handling_;
}

void QmzApplication::RunHandler(QObject* Sender, const std::function<void()>& handler) {
  if (!Instance()) {
    handler();
    return;
  }
  // The application object installed HandleException as the controls' handler.
  HandExceptionsToApplication(Sender, handler);
}

namespace {
std::function<void(const std::exception&)>& DefaultErrorBox() {
  static std::function<void(const std::exception&)> box;
  return box;
}
}  // namespace

void QmzApplication::SetDefaultErrorBox(std::function<void(const std::exception&)> box) {
  DefaultErrorBox() = std::move(box);
}

void QmzApplication::ShowDefaultError(const std::exception& E) {
  if (DefaultErrorBox()) {
    DefaultErrorBox()(E);
    return;
  }
  ShowExceptionBox(E);
}

}  // namespace qmz
