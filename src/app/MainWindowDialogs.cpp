#include "app/MainWindowDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

#include "widgets/WsPlainText.h"

namespace qmz {

QString DialogText(const std::string& text) { return BoxLines(text); }

namespace {

class QtDialogs : public MainWindowDialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}

  void ErrorBox(const std::string& text) override { Box(QMessageBox::Critical, {}, text); }
  bool Confirm(const std::string& text) override {
    return Box(QMessageBox::Question, {}, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  }
  std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& def) override {
    QInputDialog box(parent_);
    box.setWindowTitle(DialogText(caption));
    box.setLabelText(DialogText(prompt));
    box.setTextValue(QString::fromUtf8(def));
    MakeLabelsPlain(&box);
    return box.exec() == QDialog::Accepted ? box.textValue().toStdString() : def;
  }
  void ShowMessage(const std::string& text) override { Box(QMessageBox::Information, {}, text); }
  void Information(const std::string& text) override { Box(QMessageBox::Information, {}, text); }
  void Warning(const std::string& text) override { Box(QMessageBox::Warning, {}, text); }
  bool Question(const std::string& caption, const std::string& text) override {
    return Box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
  }
  void InformationBox(const std::string& caption, const std::string& text) override {
    Box(QMessageBox::Information, caption, text);
  }

  void BeginTransfer(const std::string& text) override {
    cancelled_ = false;
    progress_ = new QProgressDialog(DialogText(text), QObject::tr("Cancel"), 0, 0, parent_);
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setMinimumDuration(0);
    MakeLabelsPlain(progress_);
    QObject::connect(progress_, &QProgressDialog::canceled, [this] { cancelled_ = true; });
    progress_->show();
  }
  bool TransferCancelled() override {
    // The dialog is modal: only its own button and repaints get through.
    QCoreApplication::processEvents();
    return cancelled_;
  }
  void EndTransfer() override { delete progress_.data(); }

 private:
  // Under the program's name when the box has no caption of its own.
  QMessageBox::StandardButton Box(QMessageBox::Icon icon, const std::string& caption, const std::string& text,
                                  QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    const QString title = caption.empty() ? QApplication::applicationDisplayName() : DialogText(caption);
    return PlainMessageBox(parent_, icon, title, DialogText(text), buttons, defaultButton);
  }

  QWidget* parent_;
  QPointer<QProgressDialog> progress_;
  bool cancelled_ = false;
};

}  // namespace

std::unique_ptr<MainWindowDialogs> MakeQtDialogs(QWidget* parent) { return std::make_unique<QtDialogs>(parent); }

}  // namespace qmz
