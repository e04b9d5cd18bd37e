#pragma once
// Text from outside the program (the update page, route files, game data, the journal) must never reach a
// widget that would take it for markup: a label or box that guesses rich text would fetch images, resize the
// window or show what the text only pretends to be. These show it as the characters it is.

#include <QMessageBox>
#include <QString>
#include <string_view>

class QTextEdit;
class QWidget;

namespace qmz {

// The line breaks the program's texts carry (LF CR, CR LF, a lone LF or CR) as one break each, so that
// "\n\r\r" and "\r\n\r\n" both leave an empty line.
QString BoxLines(std::string_view text);

// A modal message box that shows caption and text as plain text; the button pressed.
QMessageBox::StandardButton PlainMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                            const QString& text, QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// Every label of widget (a dialog's prompt, say) shows plain text from now on.
void MakeLabelsPlain(QWidget* widget);

// Adds text as a new paragraph at the end of edit, as plain text (QTextEdit::append guesses markup).
void AppendPlainText(QTextEdit* edit, const QString& text);

}  // namespace qmz
