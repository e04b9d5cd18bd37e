#pragma once
// A main window on a generated installation, with the loader's user and the boxes scripted.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QStringList>
#include <atomic>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/MainWindowDialogs.h"
#include "app/QmzApplication.h"
#include "app/uFormGrid.h"
#include "app/uFormMain.h"
#include "util/GeneratedModel.h"
#include "util/ScriptedUser.h"
#include "util/StatusRecorder.h"
#include "util/TempDir.h"

namespace qmz::test {

// What the boxes showed, and their answers: Confirm from answers (none left: No), InputBox from inputs
// (none left: the default, as Cancel gives).
struct ScriptedDialogs {
  std::vector<std::string> errors, confirms, infos, messages, warnings, prompts;
  std::deque<bool> answers;
  std::deque<std::string> inputs;
  bool failInformation = false;  // the information box raises instead of showing
};

// The window owns its boxes; these write into the fixture's script.
class DialogsFor : public MainWindowDialogs {
 public:
  explicit DialogsFor(ScriptedDialogs& d) : d_(d) {}
  void ErrorBox(const std::string& t) override { d_.errors.push_back(t); }
  bool Confirm(const std::string& t) override {
    d_.confirms.push_back(t);
    const bool yes = !d_.answers.empty() && d_.answers.front();
    if (!d_.answers.empty()) d_.answers.pop_front();
    return yes;
  }
  std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& def) override {
    d_.prompts.push_back(caption + "|" + prompt);
    if (d_.inputs.empty()) return def;
    std::string a = d_.inputs.front();
    d_.inputs.pop_front();
    return a;
  }
  void ShowMessage(const std::string& t) override { d_.messages.push_back(t); }
  void Information(const std::string& t) override {
    if (d_.failInformation) throw std::runtime_error("information box failed");
    d_.infos.push_back(t);
  }
  void Warning(const std::string& t) override { d_.warnings.push_back(t); }
  void BeginTransfer(const std::string&) override {}
  bool TransferCancelled() override { return false; }
  void EndTransfer() override {}

 private:
  ScriptedDialogs& d_;
};

// The loader's user of the window: the fixture's script, and a hook run when the chooser would show.
struct UserFor : TLoaderUserInterface {
  UserFor(ScriptedUser& user, std::function<void()> onChoose) : u(user), onChoose(std::move(onChoose)) {}
  std::optional<std::string> chooseInstallation() override {
    if (onChoose) onChoose();
    return u.chooseInstallation();
  }
  bool askYesNo(const std::string& t) override { return u.askYesNo(t); }
  std::string inputText(const std::string& c, const std::string& p) override { return u.inputText(c, p); }
  void showWarning(const std::string& t) override { u.showWarning(t); }
  ScriptedUser& u;
  std::function<void()> onChoose;
};

// The application object is made once for the program (AppEnvironment.cpp).
class MainWindowTest : public ::testing::Test {
 protected:
  static const samplegen::Manifest& Install() { return SmallInstall(); }

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
    setup.LoaderUserInterface = [this](QWidget* parent) -> std::unique_ptr<TLoaderUserInterface> {
      if (loaderUser) return loaderUser(parent);
      return std::make_unique<UserFor>(user, onChoose);
    };
    setup.Dialogs = [this](QWidget*) { return std::make_unique<DialogsFor>(dialogs); };
    return std::make_unique<TformMain>(std::move(setup));
  }

  // Creation with the route-list window; StartWindow runs the start-up sequence too, without the timer.
  std::unique_ptr<TformMain> CreatedWindow(QStringList arguments = {}, const QString& key = {}) {
    auto w = MakeWindow(std::move(arguments), key);
    EXPECT_TRUE(w->FormCreate());
    w->SetFormGrid(grid.get());
    return w;
  }
  std::unique_ptr<TformMain> StartWindow(QStringList arguments = {}) {
    auto w = CreatedWindow(std::move(arguments));
    w->StartUpTimerTimer();
    return w;
  }

  static std::vector<std::string> StartupLog(const TformMain& w) {
    std::vector<std::string> r;
    for (const QString& line : w.lbStartup->toPlainText().split(QLatin1Char('\n'))) r.push_back(line.toStdString());
    return r;
  }

  // Where a journal line of exactly this text is, -1 if none.
  int IndexOfLine(const std::string& text) const {
    const auto& lines = journal->Buffer();
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].Text == text) return int(i);
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
  // When set, the loader's user instead of the script (the real dialogs, say).
  std::function<std::unique_ptr<TLoaderUserInterface>(QWidget*)> loaderUser;
};

// A started window, closed after the test; the route-list window shows no modal box.
class StartedWindowTest : public MainWindowTest {
 protected:
  void SetUp() override {
    grid->ShowMessage = [](const QString&, const QString&) {};
    w = StartWindow();
    ASSERT_TRUE(w->StartupDone());
  }
  void TearDown() override { w->close(); }

  std::unique_ptr<TformMain> w;
};

}  // namespace qmz::test
