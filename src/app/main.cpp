// The program entry: the run journal first, then the application object, the main window and the
// message loop; the journal last of all.

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <memory>

#include "app/MainWindowDialogs.h"
#include "app/QmzApplication.h"
#include "app/uFormMain.h"
#include "gamedata/LoaderUserInterface.h"
#include "platform/ExePath.h"
#include "platform/ProfileFile.h"
#include "support/SysUtils.h"

namespace {

// The loader's user until the installation chooser window joins the program: the default entry of
// QMZ.ini when there is one, else a folder dialog.
class PlainLoaderUser : public qmz::TLoaderUserInterface {
 public:
  PlainLoaderUser(QWidget* parent, std::string iniFile) : parent_(parent), iniFile_(std::move(iniFile)) {}

  std::optional<std::string> chooseInstallation() override {
    const std::string def = qmz::platform::ReadProfileString(iniFile_, "MAIN", "Default", "");
    if (!def.empty()) {
      const std::string path = qmz::platform::ReadProfileString(iniFile_, "Path", "Path_" + def, "");
      if (!path.empty()) return path;
    }
    const QString dir = QFileDialog::getExistingDirectory(parent_, QStringLiteral("Starvagant installation"));
    if (dir.isEmpty()) return std::nullopt;
    return dir.toStdString();
  }
  bool askYesNo(const std::string& text) override {
    return QMessageBox::warning(parent_, QStringLiteral("QMZ"), qmz::DialogText(text),
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  }
  std::string inputText(const std::string& caption, const std::string& prompt) override {
    return QInputDialog::getText(parent_, qmz::DialogText(caption), qmz::DialogText(prompt)).toStdString();
  }
  void showWarning(const std::string& text) override {
    QMessageBox::warning(parent_, QStringLiteral("QMZ"), qmz::DialogText(text));
  }

 private:
  QWidget* parent_;
  std::string iniFile_;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = qmz::platform::ExecutableFolder();
  qmz::CreateRunJournal(folder);
  int result = 0;
  {
    qmz::QmzApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Starvagant Kestrelmark"));
    app.setApplicationDisplayName(QStringLiteral("Starvagant Kestrelmark"));

    qmz::MainWindowSetup setup;
    setup.Journal = qmz::Journal;
    setup.ProgramFolder = folder;
    setup.Arguments = app.arguments().mid(1);
    setup.LoaderUserInterface = [folder](QWidget* parent) {
      return std::make_unique<PlainLoaderUser>(parent, folder + "QMZ.ini");
    };
    auto formMain = std::make_unique<qmz::TformMain>(std::move(setup));
    if (formMain->FormCreate()) {
      formMain->show();
      result = app.exec();
    }
    formMain.reset();
  }
  qmz::FreeRunJournal();
  return result;
}
