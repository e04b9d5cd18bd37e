#include "widgets/WsPlainText.h"

#include <QLabel>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace qmz {

QString BoxLines(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\n' && c != '\r') {
      lines += c;
      continue;
    }
    lines += '\n';
    // The pair of the two different break characters is one break; a repeated one is another.
    if (i + 1 < text.size() && (text[i + 1] == '\n' || text[i + 1] == '\r') && text[i + 1] != c) ++i;
  }
  return QString::fromUtf8(lines.data(), qsizetype(lines.size()));
}

QMessageBox::StandardButton PlainMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                            const QString& text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, caption, QString(), buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  return QMessageBox::StandardButton(box.exec());
}

void MakeLabelsPlain(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) label->setTextFormat(Qt::PlainText);
  for (QLabel* label : widget->findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
}

void AppendPlainText(QTextEdit* edit, const QString& text) {
  QTextCursor cursor(edit->document());
  cursor.movePosition(QTextCursor::End);
  // The first paragraph is the document's empty one, as with append.
  if (!edit->document()->isEmpty()) cursor.insertBlock();
  cursor.insertText(text);
}

}  // namespace qmz
