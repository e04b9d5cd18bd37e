// The loader's dialogs.

#include "gamedata/uformChooseDir_LoaderDialogs.h"

#include <QInputDialog>
#include <QMessageBox>

#include "gamedata/uformChooseDir.h"
#include "widgets/WsPlainText.h"

namespace qmz {

LoaderDialogs::LoaderDialogs(QWidget* parent, std::string settingsFile)
    : parent_(parent), settingsFile_(std::move(settingsFile)) {}

std::optional<std::string> LoaderDialogs::chooseInstallation() {
  TformChooseDir chooser(parent_, settingsFile_, offerDefault_);
  offerDefault_ = false;
  const int result = chooser.exec();
  choseDefault_ = chooser.ConfirmedByDefault();
  if (result != TformChooseDir::mrOk) return std::nullopt;
  // An empty folder cell stays empty: the loader then asks for the folder instead of reading the root.
  return chooser.SelectedFolder();
}

bool LoaderDialogs::askYesNo(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, "Warning", BoxLines(text), QMessageBox::Yes | QMessageBox::No, parent_);
  box.setObjectName("LoaderQuestion");
  box.setTextFormat(Qt::PlainText);
  return box.exec() == QMessageBox::Yes;
}

std::string LoaderDialogs::inputText(const std::string& caption, const std::string& prompt) {
  QInputDialog box(parent_);
  box.setObjectName("LoaderInput");
  box.setWindowTitle(QString::fromStdString(caption));
  box.setLabelText(QString::fromStdString(prompt));
  box.setTextValue(QString());
  MakeLabelsPlain(&box);
  if (box.exec() != QDialog::Accepted) return {};
  return box.textValue().toStdString();
}

void LoaderDialogs::showWarning(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, "Warning", BoxLines(text), QMessageBox::Ok, parent_);
  box.setObjectName("LoaderWarning");
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace qmz
