#pragma once
// The installation chooser: the game's registered installation, the Orvane62 modification's fixed folder
// when a drive holds it, and the folders the user added, kept in the settings file QMZ.ini (sections
// "MAIN", "Path" and "Name"). One entry can be the default; the dialog then confirms it by itself
// 125 ms after it opens, so later starts skip the choice.

#include <QDialog>

#include <memory>
#include <string>

class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace qmz {

class TIniFile;
class TWsStringGrid;

class TformChooseDir : public QDialog {
  Q_OBJECT

 public:
  // The dialog's results beside QDialog's Rejected (0): closed by the title bar or Escape.
  enum ModalResult { mrOk = 1, mrAbort = 3 };

  // settingsFile: the settings file to use; empty means QMZ.ini in the program's folder. confirmDefault:
  // false shows the default entry selected but waits for the user (its installation failed to load).
  explicit TformChooseDir(QWidget* parent = nullptr, std::string settingsFile = {}, bool confirmDefault = true);
  ~TformChooseDir() override;

  static std::string DefaultSettingsFile();
  const std::string& SettingsFile() const { return settingsFile_; }
  // The settings file's object: made by FormCreate, gone once the dialog has closed.
  TIniFile* SettingsIni() const { return settingsIni_.get(); }

  // The "Folder" cell of the selected row; empty when no row is selected.
  std::string SelectedFolder() const;
  int DefaultRow() const { return defaultRow_; }
  // True when the dialog was closed by the default entry confirming itself, not by the user.
  bool ConfirmedByDefault() const { return confirmedByDefault_; }

  // Saves the user's entries and the default. False when the settings file could not be written (or the
  // dialog has closed); the file then keeps its previous content.
  bool WriteSettings();

  // Components, named as in the dialog's description.
  QPlainTextEdit* Memo1 = nullptr;
  TWsStringGrid* sgPath = nullptr;
  QPushButton* btAdd = nullptr;
  QPushButton* btDel = nullptr;
  QPushButton* btOk = nullptr;
  QPushButton* btAbort = nullptr;
  QPushButton* btDefault = nullptr;
  QTimer* Timer1 = nullptr;

  void FormCreate();
  // Shown: the grid takes the input focus, so Enter and the arrow keys act on the list at once.
  void FormShow();
  void FormClose();
  void btOkClick();
  void btAbortClick();
  void sgPathKeyPress(QKeyEvent* event);
  void btAddClick();
  void btDelClick();
  void btDefaultClick();
  void Timer1Timer();
  void Memo1DblClick();

  // Every way of closing ends here, so FormClose runs whichever way the dialog is left.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void AddEntry(const std::string& title, const std::string& folder, bool fixed);
  bool IsFixedRow(int row) const;
  bool HasFolder(int row) const;
  void Notice(const QString& text);
  void SaveAndClose(int result);

  std::string settingsFile_;
  std::unique_ptr<TIniFile> settingsIni_;
  int defaultRow_ = -1;
  bool confirmDefault_ = true;
  bool confirmedByDefault_ = false;
};

}  // namespace qmz
