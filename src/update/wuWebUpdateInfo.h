#pragma once
// The dialog that shows the update information page before a download.

#include <QDialog>
#include <string>

class QCheckBox;
class QFrame;
class QPushButton;
class QTextBrowser;

namespace qmz {

class Tfrm_ShowInfoUpdate : public QDialog {
  Q_OBJECT

 public:
  explicit Tfrm_ShowInfoUpdate(QWidget* parent = nullptr);

  void SetCaptions(const std::string& ok, const std::string& cancel, const std::string& checkForUpdate);
  // Shows the page read from url as the text it is: the browser never fetches, and never renders what a
  // server sent as markup.
  void Navigate(const std::string& url, const std::string& pageText);
  QString NavigatedUrl() const { return url_; }

  QFrame* Panel1;
  QTextBrowser* WebBrowser;
  QFrame* Panel2;
  QCheckBox* chk_FutureUpdate;
  QFrame* Panel_Bottom;
  QPushButton* btn_OK;
  QPushButton* btn_Cancel;

  void Panel_BottomResize();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString url_;
};

}  // namespace qmz
