#pragma once
// Runs a call that shows a modal box, and closes the box once it shows, noting the label that carries a
// marker text: what it reads and how wide it asks to be (markup taken as markup shows up in both).

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <functional>

namespace qmz::test {

struct ShownLabel {
  QString text;
  int width = 0;
};

inline ShownLabel LabelOfModalBox(const QString& marker, const std::function<void()>& show) {
  ShownLabel shown;
  QTimer user;
  user.setInterval(10);
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    for (const QLabel* label : box->findChildren<QLabel*>()) {
      if (!label->text().contains(marker)) continue;
      shown.text = label->text();
      shown.width = label->sizeHint().width();
    }
    box->done(0);
  });
  user.start();
  show();
  return shown;
}

}  // namespace qmz::test
