#pragma once
// The loader's user as a script, and exact journal-line checks.

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "util/StatusRecorder.h"
#include "gamedata/LoaderUserInterface.h"
#include "support/mRunJournal.h"

namespace qmz::test {

// The user as a script: the chooser's answer (nullopt: closed without OK), the Yes/No answers and the
// typed paths, in order (none left: an empty answer). Everything the loader showed is recorded.
class ScriptedUser : public TLoaderUserInterface {
 public:
  std::optional<std::string> chooser;
  std::deque<bool> yesNo;
  std::deque<std::string> inputs;
  std::function<bool()> stop;  // asked by stopRequested
  std::vector<std::string> questions, prompts, warnings;

  std::optional<std::string> chooseInstallation() override { return chooser; }
  bool askYesNo(const std::string& text) override {
    questions.push_back(text);
    if (yesNo.empty()) throw std::logic_error("unexpected question");
    const bool answer = yesNo.front();
    yesNo.pop_front();
    return answer;
  }
  std::string inputText(const std::string& caption, const std::string& prompt) override {
    prompts.push_back(caption + "|" + prompt);
    std::string answer = inputs.empty() ? std::string() : inputs.front();
    if (!inputs.empty()) inputs.pop_front();
    return answer;
  }
  void showWarning(const std::string& text) override { warnings.push_back(text); }
  bool stopRequested() override { return stop && stop(); }
};

// A line of exactly this text (End lines carry the elapsed time after it), of any level when level
// is none.
inline bool HasLine(const TJournal& journal, std::string_view text, std::optional<TJournalLevel> level = {}) {
  for (const auto& r : journal.Buffer()) {
    if (level && r.Level != *level) continue;
    if (r.Text == text) return true;
    if ((r.Level == jlEnd || r.Level == jlEnd2) && r.Text.size() > text.size() &&
        r.Text.compare(0, text.size(), text) == 0 && r.Text.compare(text.size(), 16, " - Elapsed time:") == 0)
      return true;
  }
  return false;
}

inline bool HasText(const TJournal& journal, std::string_view part) {
  for (const auto& r : journal.Buffer())
    if (r.Text.find(part) != std::string::npos) return true;
  return false;
}

}  // namespace qmz::test
