#pragma once
// Answers a modal dialog from inside the exec() that shows it, as a user at the screen would.

#include <QApplication>
#include <QTimer>

#include <functional>

namespace qmz::test {

// Answers the next modal dialog of type T once it is open (polled, so it works from inside exec()).
template <typename T>
void AnswerModal(std::function<void(T*)> answer) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      answer(dialog);
    }
  });
  timer->start(5);
}

}  // namespace qmz::test
