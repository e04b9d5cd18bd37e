#include "app/MainWindowDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

namespace qmz {

QString DialogText(const std::string& text) {
  QString s = QString::fromUtf8(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.remove(QLatin1Char('\r'));
  return s;
}

namespace {

class QtDialogs : public MainWindowDialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}

  void ErrorBox(const std::string& text) override {
    QMessageBox::critical(parent_, QApplication::applicationDisplayName(), DialogText(text));
  }
  bool Confirm(const std::string& text) override {
    return QMessageBox::question(parent_, QApplication::applicationDisplayName(), DialogText(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  }
  std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& def) override {
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, DialogText(caption), DialogText(prompt), QLineEdit::Normal,
                                                 QString::fromUtf8(def), &ok);
    return ok ? answer.toStdString() : def;
  }
  void ShowMessage(const std::string& text) override {
    QMessageBox::information(parent_, QApplication::applicationDisplayName(), DialogText(text));
  }
  void Information(const std::string& text) override {
    QMessageBox::information(parent_, QApplication::applicationDisplayName(), DialogText(text));
  }
  void Warning(const std::string& text) override {
    QMessageBox::warning(parent_, QApplication::applicationDisplayName(), DialogText(text));
  }
  bool Question(const std::string& caption, const std::string& text) override {
    return QMessageBox::question(parent_, DialogText(caption), DialogText(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  }
  void InformationBox(const std::string& caption, const std::string& text) override {
    QMessageBox::information(parent_, DialogText(caption), DialogText(text));
  }

  void BeginTransfer(const std::string& text) override {
    cancelled_ = false;
    progress_ = new QProgressDialog(DialogText(text), QObject::tr("Cancel"), 0, 0, parent_);
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setMinimumDuration(0);
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
  QWidget* parent_;
  QPointer<QProgressDialog> progress_;
  bool cancelled_ = false;
};

}  // namespace

std::unique_ptr<MainWindowDialogs> MakeQtDialogs(QWidget* parent) { return std::make_unique<QtDialogs>(parent); }

}  // namespace qmz
