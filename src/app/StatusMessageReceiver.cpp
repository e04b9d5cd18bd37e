#include "app/StatusMessageReceiver.h"

namespace qmz {

StatusMessageReceiver::StatusMessageReceiver(QObject* parent) : QObject(parent) {
  window_ = platform::RegisterMessageReceiver([this](std::uint32_t msg, platform::WParam w, platform::LParam l) {
    if (msg == WM_STATUSMESSAGE && mapping_ != 0)
      emit statusMessage(QString::fromStdString(ReadStatusText(mapping_)), UnpackStatusMessage(w, l));
    return platform::MessageResult(0);
  });
}

StatusMessageReceiver::~StatusMessageReceiver() { platform::UnregisterMessageReceiver(window_); }

}  // namespace qmz
