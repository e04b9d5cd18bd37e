#include "update/wuWebUpdateInfo.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <string_view>

#include "support/SysUtils.h"

namespace qmz {

Tfrm_ShowInfoUpdate::Tfrm_ShowInfoUpdate(QWidget* parent) : QDialog(parent) {
  setObjectName("frm_ShowInfoUpdate");
  setWindowTitle("wuWebUpdate");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  // 530 x 453 with the frame and the caption: the panels get the 522 pixels inside.
  resize(522, 426);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* browserLayout = new QVBoxLayout(Panel1);
  browserLayout->setContentsMargins(2, 2, 2, 2);
  WebBrowser = new QTextBrowser(Panel1);
  WebBrowser->setObjectName("WebBrowser");
  WebBrowser->setOpenLinks(false);
  browserLayout->addWidget(WebBrowser);
  layout->addWidget(Panel1, 1);

  Panel2 = new QFrame(this);
  Panel2->setObjectName("Panel2");
  Panel2->setFrameStyle(QFrame::Box | QFrame::Plain);
  Panel2->setFixedHeight(31);
  chk_FutureUpdate = new QCheckBox(Panel2);
  chk_FutureUpdate->setObjectName("chk_FutureUpdate");
  chk_FutureUpdate->setGeometry(8, 6, 497, 17);
  chk_FutureUpdate->setChecked(true);
  layout->addWidget(Panel2);

  Panel_Bottom = new QFrame(this);
  Panel_Bottom->setObjectName("Panel_Bottom");
  Panel_Bottom->setFixedHeight(41);
  btn_OK = new QPushButton(Panel_Bottom);
  btn_OK->setObjectName("btn_OK");
  btn_Cancel = new QPushButton(Panel_Bottom);
  btn_Cancel->setObjectName("btn_Cancel");
  for (QPushButton* button : {btn_OK, btn_Cancel}) {
    button->setGeometry(0, 10, 75, 25);
    button->setCursor(Qt::PointingHandCursor);
  }
  btn_OK->setDefault(true);
  connect(btn_OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
  Panel_Bottom->installEventFilter(this);
  layout->addWidget(Panel_Bottom);

  SetCaptions("&OK", "&Cancel", "C&heck for updates in the future");
}

void Tfrm_ShowInfoUpdate::SetCaptions(const std::string& ok, const std::string& cancel,
                                      const std::string& checkForUpdate) {
  btn_OK->setText(QString::fromStdString(ok));
  btn_Cancel->setText(QString::fromStdString(cancel));
  chk_FutureUpdate->setText(QString::fromStdString(checkForUpdate));
}

void Tfrm_ShowInfoUpdate::Navigate(const std::string& url, const std::string& pageText) {
  url_ = QString::fromStdString(url);
  // Made safe like all text from outside (a mark that reverses the writing direction would let "gnp.exe"
  // pass for "exe.png"), but line by line: the page keeps its lines and tabs.
  std::string shown;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= pageText.size(); ++i) {
    if (i < pageText.size() && pageText[i] != '\n' && pageText[i] != '\t') continue;
    std::string_view piece(pageText.data() + start, i - start);
    if (i < pageText.size() && pageText[i] == '\n' && piece.ends_with('\r')) piece.remove_suffix(1);
    shown += EscapeOutsideText(piece);
    if (i < pageText.size()) shown += pageText[i];
    start = i + 1;
  }
  WebBrowser->setPlainText(QString::fromUtf8(shown));
}

void Tfrm_ShowInfoUpdate::Panel_BottomResize() {
  const int width = Panel_Bottom->width();
  btn_OK->move((width - (btn_OK->width() + btn_Cancel->width() + 6)) / 2, btn_OK->y());
  btn_Cancel->move(btn_OK->x() + btn_OK->width() + 3, btn_Cancel->y());
}

bool Tfrm_ShowInfoUpdate::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Panel_Bottom && event->type() == QEvent::Resize) Panel_BottomResize();
  return QDialog::eventFilter(watched, event);
}

}  // namespace qmz
