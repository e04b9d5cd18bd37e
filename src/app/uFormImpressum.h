#pragma once
// The about box: picture, product name, version line, author links and the reminder.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

namespace qmz {

class TformImpressum : public QDialog {
  Q_OBJECT

 public:
  explicit TformImpressum(QWidget* owner = nullptr);

  QFrame* Bevel1;
  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* labVersion;
  QLabel* labName;
  QLabel* labWebsite;
  QLabel* labMail;
  QTextEdit* RichEdit2;
  QPushButton* btOk;
  QTextEdit* RichEdit1;
  QTextEdit* RichEdit3;

  void FormShow();
  void btOkClick();
  void labMailClick();
  void labWebsiteClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Opens an address with the desktop's "open"; a failure is ignored.
  void OpenAddress(const QUrl& url);
  // The box stands in the middle of the screen it shows on.
  void CentreOnScreen();

  const QString versionPattern_ = "Version %s";
};

}  // namespace qmz
