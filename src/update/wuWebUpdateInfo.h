#pragma once
// The dialog that shows the update information page before a download.

#include <QDialog>
#include <string>
#include <vector>

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
  // Shows the page read from url (its lines as fetched); the browser never fetches by itself.
  void Navigate(const std::string& url, const std::vector<std::string>& pageLines);
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
