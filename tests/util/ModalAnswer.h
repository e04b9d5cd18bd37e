#pragma once
// Answers a modal dialog from inside the exec() that shows it, as a user at the screen would.

#include <QApplication>
#include <QDialog>
#include <QLabel>
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

// The label that carries a marker text in the modal box a call shows: what it reads and how wide it asks
// to be (markup taken as markup shows up in both). The box is closed once it shows.
struct ShownLabel {
  QString text;
  int width = 0;
};

inline ShownLabel LabelOfModalBox(const QString& marker, const std::function<void()>& show) {
  ShownLabel shown;
  QTimer user;  // lives only while show runs
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    for (const QLabel* label : box->findChildren<QLabel*>())
      if (label->text().contains(marker)) shown = {label->text(), label->sizeHint().width()};
    box->done(0);
  });
  user.start(10);
  show();
  return shown;
}

}  // namespace qmz::test
