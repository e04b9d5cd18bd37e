#pragma once
// The loader's questions to the user as this program's dialogs: the installation chooser, the
// no-installation Yes/No box, the "Manual override" input box and the warning boxes. The main window
// hands one to the loading constructor of TSvData.

#include <string>

#include "gamedata/LoaderUserInterface.h"

class QWidget;

namespace qmz {

class LoaderDialogs : public TLoaderUserInterface {
 public:
  // parent: the window the boxes belong to (may be null); settingsFile: the chooser's settings file,
  // empty for QMZ.ini in the program's folder.
  explicit LoaderDialogs(QWidget* parent = nullptr, std::string settingsFile = {});

  // The default entry confirms itself only at the first chooser: a later one waits for the user.
  std::optional<std::string> chooseInstallation() override;
  bool choseDefault() const override { return choseDefault_; }
  bool askYesNo(const std::string& text) override;
  std::string inputText(const std::string& caption, const std::string& prompt) override;
  void showWarning(const std::string& text) override;
  bool stopRequested() override { return stop_; }

  // Asks the running load to stop at its next check (the window is closing).
  void RequestStop() { stop_ = true; }

 private:
  QWidget* parent_;
  std::string settingsFile_;
  bool stop_ = false;
  bool offerDefault_ = true;
  bool choseDefault_ = false;
};

}  // namespace qmz
