// The main window's boxes as the user sees them: the program's line breaks as lines, and text from outside
// (a page, a file, the game's data) as its characters, never as markup.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>
#include <functional>

#include "app/MainWindowDialogs.h"

namespace qmz {
namespace {

TEST(MainWindowDialogs, LineBreaksOfTheProgramsTextsKeepTheirEmptyLines) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\n\rb", "a\nb"},       {"a\r\nb", "a\nb"},   {"a\rb", "a\nb"},         {"a\n\r\rb", "a\n\nb"},
      {"a\r\n\r\nb", "a\n\nb"}, {"a\n\nb", "a\n\nb"}, {"a\n\r\n\rb", "a\n\nb"}, {"end\n\r", "end\n"},
  };
  for (const auto& [text, shown] : cases) EXPECT_EQ(DialogText(text).toStdString(), shown) << text;
}

TEST(MainWindowDialogs, EveryBoxShowsMarkupAsItsCharacters) {
  const std::string text = "<b>bold</b> <img src='missing.png' width=30000>";
  auto dialogs = MakeQtDialogs(nullptr);
  const std::pair<const char*, std::function<void()>> boxes[] = {
      {"ErrorBox", [&] { dialogs->ErrorBox(text); }},
      {"Confirm", [&] { dialogs->Confirm(text); }},
      {"InputBox", [&] { dialogs->InputBox("Caption", text, "x"); }},
      {"ShowMessage", [&] { dialogs->ShowMessage(text); }},
      {"Information", [&] { dialogs->Information(text); }},
      {"Warning", [&] { dialogs->Warning(text); }},
      {"Question", [&] { dialogs->Question("Caption", text); }},
      {"InformationBox", [&] { dialogs->InformationBox("Caption", text); }},
  };
  for (const auto& [name, show] : boxes) {
    SCOPED_TRACE(name);
    // Notes the label that carries the text once the box shows, then closes the box.
    QString shown;
    int width = 0;
    QTimer user;
    user.setInterval(10);
    QObject::connect(&user, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      for (const QLabel* label : box->findChildren<QLabel*>()) {
        if (!label->text().contains(QStringLiteral("bold"))) continue;
        shown = label->text();
        width = label->sizeHint().width();
      }
      box->done(0);
    });
    user.start();
    show();
    EXPECT_EQ(shown.toStdString(), text);
    EXPECT_LT(width, 3000);
  }
}

}  // namespace
}  // namespace qmz
