// The main window's boxes as the user sees them: the program's line breaks as lines, and text from outside
// (a page, a file, the game's data) as its characters, never as markup.

#include <gtest/gtest.h>

#include <functional>

#include "app/MainWindowDialogs.h"
#include "util/ModalAnswer.h"

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
    const test::ShownLabel shown = test::LabelOfModalBox(QStringLiteral("bold"), show);
    EXPECT_EQ(shown.text.toStdString(), text) << name;
    EXPECT_LT(shown.width, 3000) << name;
  }
}

}  // namespace
}  // namespace qmz
