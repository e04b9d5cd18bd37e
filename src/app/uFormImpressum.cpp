#include "app/uFormImpressum.h"

#include <QDesktopServices>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

#include "BuildConfig.h"
#include "app/JpegImage.h"
#include "platform/ExePath.h"
#include "support/SysUtils.h"
#include "support/mGlobalFunctions.h"

// The picture lives in the static library's resources, which are linked only when referenced.
static void InitImpressumResources() { Q_INIT_RESOURCE(app); }

namespace qmz {

namespace {

QFont NarrowFont(int pixels, bool bold) {
  QFont font("Arial Narrow");
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QLabel* CentredLabel(QWidget* parent, const char* name, const QString& text, const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignCenter);
  label->setFont(font);
  return label;
}

QTextEdit* TextBox(QWidget* parent, const char* name, const QString& text) {
  auto* box = new QTextEdit(parent);
  box->setObjectName(name);
  box->setReadOnly(true);
  box->setPlainText(text);
  return box;
}

}  // namespace

TformImpressum::TformImpressum(QWidget* owner) : QDialog(owner) {
  InitImpressumResources();
  setObjectName("formImpressum");
  setWindowTitle("Impressum");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  setFixedSize(511, 587);

  auto* layout = new QVBoxLayout(this);
  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  auto* bevelLayout = new QVBoxLayout(Bevel1);
  bevelLayout->setContentsMargins(2, 2, 2, 2);
  Image1 = new QLabel(Bevel1);
  Image1->setObjectName("Image1");
  Image1->setFixedSize(500, 100);
  Image1->setScaledContents(true);
  QFile picture(":/qmz/impressum.jpg");
  if (picture.open(QIODevice::ReadOnly)) Image1->setPixmap(QPixmap::fromImage(DecodeJpeg(picture.readAll())));
  bevelLayout->addWidget(Image1, 0, Qt::AlignCenter);
  layout->addWidget(Bevel1);

  Label1 = CentredLabel(this, "Label1", "Kestrelmark", NarrowFont(32, true));
  Label2 = CentredLabel(this, "Label2", "A Calculator for profitable traderuns in Starvagant(Tm)",
                        NarrowFont(16, true));
  labVersion = CentredLabel(this, "labVersion", versionPattern_, NarrowFont(13, true));
  labName = CentredLabel(this, "labName", "Written by the QMZ developers for the Starvagant community", QFont());
  Label2->setWordWrap(true);
  for (QLabel* label : {Label1, Label2, labVersion, labName}) layout->addWidget(label);

  auto* links = new QHBoxLayout();
  labWebsite = CentredLabel(this, "labWebsite", QString(QMZ_WEBSITE), NarrowFont(16, false));
  labMail = CentredLabel(this, "labMail", QString(QMZ_CONTACT_EMAIL), NarrowFont(16, false));
  for (QLabel* label : {labWebsite, labMail}) {
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    links->addWidget(label);
  }
  layout->addLayout(links);

  RichEdit2 = TextBox(this, "RichEdit2",
                      "REMINDER\n\n"
                      "    Please remind yourself that this tool possibly takes away much fun \n"
                      "    from the game. Maybe you should first-of-all try to find your own way\n"
                      "    trough the mod without calculated routes !\n");
  RichEdit2->setStyleSheet("background: white;");
  layout->addWidget(RichEdit2, 1);

  btOk = new QPushButton("OK", this);
  btOk->setObjectName("btOk");
  btOk->setFixedWidth(281);
  btOk->setDefault(true);
  connect(btOk, &QPushButton::clicked, this, &TformImpressum::btOkClick);
  layout->addWidget(btOk, 0, Qt::AlignCenter);

  RichEdit1 = TextBox(this, "RichEdit1",
                      "Starvagant is a trademark of its owners. QMZ reads the game's files and never changes them.");
  RichEdit3 = TextBox(this, "RichEdit3", "Built with Qt, libcurl and libjpeg.");
  for (QTextEdit* box : {RichEdit1, RichEdit3}) {
    box->setEnabled(false);
    box->setFixedHeight(40);
    layout->addWidget(box);
  }
}

void TformImpressum::FormShow() {
  const std::string version = FormatVersion(platform::ExecutablePath(), "V%M.%N.%R  (Build %B)");
  labVersion->setText(QString::fromStdString(Format(versionPattern_.toStdString(), version)));
}

void TformImpressum::btOkClick() { accept(); }

void TformImpressum::labMailClick() { OpenAddress(QUrl(QStringLiteral("mailto:") + QMZ_CONTACT_EMAIL)); }

void TformImpressum::labWebsiteClick() { OpenAddress(QUrl(QString(QMZ_WEBSITE))); }

void TformImpressum::OpenAddress(const QUrl& url) { QDesktopServices::openUrl(url); }

void TformImpressum::CentreOnScreen() {
  const QScreen* where = screen();
  if (!where) return;
  QRect frame = frameGeometry();
  frame.moveCenter(where->availableGeometry().center());
  move(frame.topLeft());
}

void TformImpressum::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen();
  FormShow();
}

bool TformImpressum::eventFilter(QObject* watched, QEvent* event) {
  // A click: the left button let go over the label it was pressed on (the release goes to that label).
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto* release = static_cast<QMouseEvent*>(event);
    const auto* label = qobject_cast<QWidget*>(watched);
    if (release->button() == Qt::LeftButton && label && label->rect().contains(release->position().toPoint())) {
      if (watched == labMail) labMailClick();
      if (watched == labWebsite) labWebsiteClick();
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace qmz
