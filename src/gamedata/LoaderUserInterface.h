#pragma once
// Everything the loading constructor of TSvData asks of the user. The data store has no widgets: the
// application implements this with its dialogs, tests with a scripted fake. Texts come with the line
// breaks the loader puts into them (LF CR).

#include <optional>
#include <string>
#include <utility>

namespace qmz {

class TLoaderUserInterface {
 public:
  virtual ~TLoaderUserInterface() = default;

  // Shows the installation chooser modally. nullopt: it was left any other way than with OK (the
  // loading ends). Otherwise the "Folder" cell of the selected row, or an empty text when no row was
  // selected (the loader then asks for a folder by hand).
  virtual std::optional<std::string> chooseInstallation() = 0;

  // True when the last chooseInstallation was answered by the default entry by itself, without the user;
  // a load of that folder that fails then asks again instead of ending the program.
  virtual bool choseDefault() const { return false; }

  // Warning box with the buttons Yes and No; true for Yes.
  virtual bool askYesNo(const std::string& text) = 0;

  // Input box with an empty default; the answer, or an empty text for Cancel.
  virtual std::string inputText(const std::string& caption, const std::string& prompt) = 0;

  // Warning box with the button OK.
  virtual void showWarning(const std::string& text) = 0;

  // Asked between the loading steps and once per item of the parsers' loops: true stops the loading
  // as the model's StopLoading does. The owner cannot reach the model before its constructor returns,
  // so a window closed during loading says so here.
  virtual bool stopRequested() { return false; }
};

// A user who always chooses one installation folder and answers every other question with No or
// nothing: what runs the loader without windows (benchmarks, fuzzing).
class FixedInstallationUser : public TLoaderUserInterface {
 public:
  explicit FixedInstallationUser(std::string folder) : folder_(std::move(folder)) {}
  std::optional<std::string> chooseInstallation() override { return folder_; }
  bool askYesNo(const std::string&) override { return false; }
  std::string inputText(const std::string&, const std::string&) override { return {}; }
  void showWarning(const std::string&) override {}

 private:
  std::string folder_;
};

}  // namespace qmz
