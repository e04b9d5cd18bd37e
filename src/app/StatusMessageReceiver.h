#pragma once
// The receiving end of the loader's progress channel: a message receiver (the stand-in for the main
// window's handle) that reads the text of the shared block, bounded by the block's size, and passes it on
// as a signal that the status display connects to.

#include <QObject>
#include <QString>

#include "platform/SharedMemory.h"
#include "platform/WindowMessages.h"
#include "support/mGlobalFunctions.h"

namespace qmz {

class StatusMessageReceiver : public QObject {
  Q_OBJECT

 public:
  explicit StatusMessageReceiver(QObject* parent = nullptr);
  ~StatusMessageReceiver() override;

  // The handle the loader sends to.
  platform::WindowHandle Window() const { return window_; }
  // The block the text is read from; 0: messages arrive without a text and are not passed on.
  void SetMapping(platform::SharedMemoryHandle mapping) { mapping_ = mapping; }

 signals:
  void statusMessage(const QString& text, const qmz::TStatusMessage& message);

 private:
  platform::WindowHandle window_ = 0;
  platform::SharedMemoryHandle mapping_ = 0;
};

}  // namespace qmz
