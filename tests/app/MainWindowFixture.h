#pragma once
// A main window on a generated installation, with the loader's user and the boxes scripted.

#include <unistd.h>

#include <QStringList>
#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindowDialogs.h"
#include "app/QmzApplication.h"
#include "app/uFormGrid.h"
#include "app/uFormMain.h"
#include "samplegen/SampleGen.h"
#include "util/GuiFixture.h"
#include "util/ScriptedUser.h"
#include "util/StatusRecorder.h"
#include "util/TempDir.h"

namespace qmz::test {

// The boxes as a script: what was shown is recorded; Confirm answers from confirms (none left: No),
// InputBox from inputs (none left: the default, as Cancel gives).
struct ScriptedDialogs : MainWindowDialogs {
  std::vector<std::string> errors, confirms, infos, messages, warnings, prompts;
  std::deque<bool> answers;
  std::deque<std::string> inputs;
  bool cancelTransfer = false;
  int transfers = 0;

  void ErrorBox(const std::string& text) override { errors.push_back(text); }
  bool Confirm(const std::string& text) override {
    confirms.push_back(text);
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& def) override {
    prompts.push_back(caption + "|" + prompt);
    if (inputs.empty()) return def;
    std::string a = inputs.front();
    inputs.pop_front();
    return a;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Information(const std::string& text) override { infos.push_back(text); }
  void Warning(const std::string& text) override { warnings.push_back(text); }
  void BeginTransfer(const std::string&) override { ++transfers; }
  bool TransferCancelled() override { return cancelTransfer; }
  void EndTransfer() override {}
};

class MainWindowTest : public GuiFixture<QmzApplication> {
 protected:
  static const samplegen::Manifest& Install() {
    static TempDir dir;
    static const samplegen::Manifest manifest = samplegen::Generate(dir.Path(), samplegen::Options::ForSize("small"));
    return manifest;
  }

  // A window whose instance key and progress block are this test's own.
  std::unique_ptr<TformMain> MakeWindow(QStringList arguments = {}, const QString& key = {},
                                        const std::string& mappingName = {}) {
    static std::atomic<int> counter{0};
    const std::string unique = std::to_string(getpid()) + "_" + std::to_string(counter++);
    MainWindowSetup setup;
    setup.Journal = journal.get();
    setup.ProgramFolder = folder.Str() + "/";
    setup.Arguments = std::move(arguments);
    setup.InstanceKey = key.isEmpty() ? QString::fromStdString("QMZ_TEST_" + unique) : key;
    setup.StatusMappingName = mappingName.empty() ? "QMZ_TEST_MMF_" + unique : mappingName;
    setup.LoaderUserInterface = [this](QWidget*) {
      struct Forward : TLoaderUserInterface {
        ScriptedUser& u;
        explicit Forward(ScriptedUser& user) : u(user) {}
        std::optional<std::string> chooseInstallation() override {
          if (onChoose) onChoose();
          return u.chooseInstallation();
        }
        bool askYesNo(const std::string& t) override { return u.askYesNo(t); }
        std::string inputText(const std::string& c, const std::string& p) override { return u.inputText(c, p); }
        void showWarning(const std::string& t) override { u.showWarning(t); }
        std::function<void()> onChoose;
      };
      auto f = std::make_unique<Forward>(user);
      f->onChoose = onChoose;
      return std::unique_ptr<TLoaderUserInterface>(std::move(f));
    };
    setup.Dialogs = [this](QWidget*) {
      struct Forward : MainWindowDialogs {
        ScriptedDialogs& d;
        explicit Forward(ScriptedDialogs& dialogs) : d(dialogs) {}
        void ErrorBox(const std::string& t) override { d.ErrorBox(t); }
        bool Confirm(const std::string& t) override { return d.Confirm(t); }
        std::string InputBox(const std::string& c, const std::string& p, const std::string& x) override {
          return d.InputBox(c, p, x);
        }
        void ShowMessage(const std::string& t) override { d.ShowMessage(t); }
        void Information(const std::string& t) override { d.Information(t); }
        void Warning(const std::string& t) override { d.Warning(t); }
        void BeginTransfer(const std::string& t) override { d.BeginTransfer(t); }
        bool TransferCancelled() override { return d.TransferCancelled(); }
        void EndTransfer() override { d.EndTransfer(); }
      };
      return std::unique_ptr<MainWindowDialogs>(std::make_unique<Forward>(dialogs));
    };
    return std::make_unique<TformMain>(std::move(setup));
  }

  // Creation and the start-up sequence, without waiting for the timer.
  std::unique_ptr<TformMain> StartWindow(QStringList arguments = {}) {
    auto w = MakeWindow(std::move(arguments));
    EXPECT_TRUE(w->FormCreate());
    w->SetFormGrid(grid.get());
    w->StartUpTimerTimer();
    return w;
  }

  // Journal texts in order.
  std::vector<std::string> Lines() const {
    std::vector<std::string> r;
    for (const auto& rec : journal->Buffer()) r.push_back(rec.Text);
    return r;
  }
  int IndexOfLine(const std::string& text) const {
    const auto lines = Lines();
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == text) return int(i);
    return -1;
  }

  TempDir folder;
  std::unique_ptr<TJournal> journal = std::make_unique<TJournal>(folder.Str(), "DebugOut", true, true, false, false);
  ScriptedUser user = [] {
    ScriptedUser u;
    u.chooser = Install().installDir.string();
    return u;
  }();
  ScriptedDialogs dialogs;
  std::unique_ptr<TformGrid> grid = std::make_unique<TformGrid>();
  std::function<void()> onChoose;
};

}  // namespace qmz::test
