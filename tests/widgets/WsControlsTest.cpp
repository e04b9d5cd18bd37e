#include <gtest/gtest.h>

#include <QApplication>
#include <QChildEvent>
#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QEnterEvent>
#include <QListWidget>
#include <QPainter>
#include <QTest>
#include <QToolTip>
#include <string>
#include <vector>

#include "widgets/WsControls.h"
#include "widgets/WsThemes.h"

namespace qmz {
namespace {

TEST(WsColorTest, PlainSystemAndMarkerValues) {
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::Button, QColor(1, 2, 3));
  EXPECT_EQ(ToQColor(0x00332211, palette), QColor(0x11, 0x22, 0x33));
  EXPECT_EQ(ToQColor(colors::BtnFace, palette), QColor(1, 2, 3));
  EXPECT_EQ(ColorToRgb(colors::BtnFace, palette), RgbColor(1, 2, 3));
  EXPECT_EQ(ToQColor(colors::None, palette).alpha(), 0);
  EXPECT_FALSE(ToQColor(colors::Default, palette).isValid());
  EXPECT_EQ(FromQColor(QColor(0x11, 0x22, 0x33)), 0x00332211u);
  // A font with its colour is the same only when both are (the setters' "unchanged" test).
  WsFont font, coloured, bold;
  coloured.color = 0x000000FF;
  bold.font.setBold(true);
  EXPECT_TRUE(font == WsFont());
  EXPECT_FALSE(font == coloured);
  EXPECT_FALSE(font == bold);
}

// System colours by the platform's numbers resolve to the palette's nearest role; unknown numbers are black.
TEST(WsColorTest, SystemColourNumbersResolveToPaletteRoles) {
  QPalette palette;
  for (int role = 0; role < QPalette::NColorRoles; ++role) {
    palette.setColor(QPalette::Active, QPalette::ColorRole(role), QColor(role, 1, 2));
    palette.setColor(QPalette::Disabled, QPalette::ColorRole(role), QColor(role, 3, 4));
  }
  using R = QPalette;
  // scroll bar, desktop, active caption, inactive caption, menu, window, frame, menu text, window text, caption
  // text, active and inactive border, work space, highlight, highlight text, button face, shadow, grey text,
  // button text, inactive caption text, button highlight, dark shadow, light, info text, info background,
  // (none), hot light, gradient captions, menu highlight, menu bar
  const int roles[] = {R::Mid,    R::Dark,      R::Highlight,  R::Midlight,    R::Window,
                       R::Base,   R::Shadow,    R::WindowText, R::Text,        R::HighlightedText,
                       R::Button, R::Button,    R::Dark,       R::Highlight,   R::HighlightedText,
                       R::Button, R::Dark,      -R::Text,      R::ButtonText,  -R::Text,
                       R::Light,  R::Shadow,    R::Midlight,   R::ToolTipText, R::ToolTipBase,
                       -100,      R::Highlight, R::Highlight,  R::Midlight,    R::Highlight,
                       R::Window, -100};
  for (int index = 0; index < int(std::size(roles)); ++index) {
    const int role = roles[index];
    const QColor expected = role == -100 ? QColor(Qt::black)
                            : role < 0   ? palette.color(QPalette::Disabled, QPalette::ColorRole(-role))
                                         : palette.color(QPalette::Active, QPalette::ColorRole(role));
    EXPECT_EQ(ToQColor(colors::SystemFlag | WsColor(index), palette), expected) << "system colour " << index;
  }
}

struct EventLog {
  std::vector<std::string> lines;
  void Attach(TWsPersistentProperty& p) {
    p.OnChanging = [this](TWsPersistentProperty*) { lines.push_back("Changing"); };
    p.OnChanged = [this](TWsPersistentProperty*) { lines.push_back("Changed"); };
    p.OnChangingProperty = [this](TWsPersistentProperty*, const std::string& n) { lines.push_back("-" + n); };
    p.OnChangedProperty = [this](TWsPersistentProperty*, const std::string& n) { lines.push_back("+" + n); };
  }
};

// Nested updates fire one pair; unbalanced ends silence nothing; unchanged values fire nothing; Assign is one.
TEST(WsPersistentPropertyTest, EachChangeFiresOnePairOfEvents) {
  TWsHotTrackOptions options, source;
  EventLog log;
  log.Attach(options);
  options.BeginUpdate();
  options.BeginUpdate();
  options.SetEnabled(true);
  options.EndUpdate();
  options.EndUpdate();
  options.EndUpdate();
  EXPECT_EQ(options.UpdateCount(), 0);
  options.SetColor(0x000000FF);
  options.SetColor(options.Color());
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Changing", "-Enabled", "+Enabled", "Changed", "Changing", "-Color",
                                                 "+Color", "Changed"}));
  log.lines.clear();
  source.SetColor(0x000000FF);
  source.SetFrameVisible(true);
  source.SetFrameColor(0x00112233);
  options.Assign(source);
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Changing", "-Enabled", "+Enabled", "-FrameVisible", "+FrameVisible",
                                                 "-FrameColor", "+FrameColor", "Changed"}));
  EXPECT_FALSE(options.Enabled());
  EXPECT_EQ(options.FrameColor(), 0x00112233u);
}

// The hint window that shows now, if any.
QWidget* ShownHintWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->inherits("QTipLabel") && w->isVisible()) return w;
  return nullptr;
}

TEST(WsExControlTest, HintColourFollowsTheChainOfParentsAndStaysWithItsOwnControl) {
  struct Case {
    WsColor parentHint;
    QColor expected;
  };
  const QColor app = WsExControl::ApplicationHintColor();
  for (const Case& c : {Case{colors::None, app}, Case{0x000000FF, QColor(255, 0, 0)}, Case{colors::Default, app}}) {
    TWsCustomControl parent;
    parent.SetHintColor(c.parentHint);
    auto* child = new TWsCustomControl(&parent);
    EXPECT_EQ(child->EffectiveHintColor(), c.expected) << std::hex << c.parentHint;
  }
  TWsCustomControl own;
  own.SetHintColor(0x0000FF00);
  EXPECT_EQ(own.EffectiveHintColor(), QColor(0, 255, 0));
  // The hint window takes a control's colour only while it shows that control's hint.
  const QColor tipBase = QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase);
  TWsCustomControl red;
  red.SetHintColor(0x000000FF);
  red.setToolTip("red");
  QLabel plain("plain");
  plain.setToolTip("plain");
  for (QWidget* w : {static_cast<QWidget*>(&red), static_cast<QWidget*>(&plain)}) w->show();
  const auto hover = [](QWidget* w) {
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(w, &help);
    QWidget* tip = ShownHintWindow();
    return tip ? tip->palette().color(QPalette::Inactive, QPalette::ToolTipBase) : QColor();
  };
  EXPECT_EQ(hover(&red), QColor(255, 0, 0));
  EXPECT_EQ(QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase), tipBase);
  EXPECT_EQ(hover(&plain), tipBase) << "the hint window, still open, shows another control's hint";
  QToolTip::hideText();
}

TEST(WsExControlTest, FrameHighlightingFollowsTheMouse) {
  TWsCustomControl control;
  control.resize(40, 30);
  control.SetColor(0x0000FF00);
  control.SetFrameHighlighting(true);
  int enters = 0, leaves = 0;
  control.OnMouseEnter = [&](QWidget* sender) { enters += sender == &control; };
  control.OnMouseLeave = [&](QWidget* sender) { leaves += sender == &control; };

  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(&control, &enter);
  EXPECT_TRUE(control.MouseOver());
  QImage image = control.grab().toImage();
  EXPECT_EQ(image.pixelColor(0, 0), ToQColor(0x00733800));
  EXPECT_EQ(image.pixelColor(1, 1), ToQColor(0x00733800));

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&control, &leave);
  EXPECT_FALSE(control.MouseOver());
  image = control.grab().toImage();
  EXPECT_EQ(image.pixelColor(0, 0), ToQColor(0x00808080));
  EXPECT_EQ(image.pixelColor(1, 1), QColor(0, 255, 0));
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
}

TEST(WsExControlTest, ParentColourChangeReachesChildrenThatFollowIt) {
  TWsCustomControl parent;
  auto* follower = new TWsCustomControl(&parent);
  auto* own = new TWsCustomControl(&parent);
  follower->SetParentColor(true);
  own->SetColor(0x00000001);
  int notified = 0;
  own->OnParentColorChange = [&](QWidget*) { ++notified; };
  parent.SetColor(0x00ABCDEF);
  EXPECT_EQ(follower->Color(), 0x00ABCDEFu);
  EXPECT_TRUE(follower->ParentColor());
  EXPECT_EQ(own->Color(), 0x00000001u);
  EXPECT_EQ(notified, 1);
}

// A control that overrides none of the operations keeps Qt's handling of size, colour, children and keys.
class PlainControl : public TWsCustomControl {
 public:
  using TWsCustomControl::TWsCustomControl;
  std::vector<std::string> seen;

 protected:
  void resizeEvent(QResizeEvent*) override { seen.push_back("resize"); }
  void childEvent(QChildEvent* event) override {
    if (event->added()) seen.push_back("child");
  }
  void keyPressEvent(QKeyEvent* event) override {
    seen.push_back("key " + QKeySequence(event->key()).toString().toStdString());
  }
};

TEST(WsExControlTest, PlainControlKeepsQtsHandlingOfSizeColourChildrenAndKeys) {
  QWidget form;
  auto* plain = new PlainControl(&form);
  auto* next = new QLineEdit(&form);
  plain->setFocusPolicy(Qt::StrongFocus);
  form.show();
  QApplication::setActiveWindow(&form);
  plain->setFocus();
  plain->seen.clear();
  plain->resize(50, 20);
  new QWidget(plain);
  QTest::keyClick(plain, Qt::Key_Left);
  QTest::keyClick(plain, Qt::Key_Tab);
  EXPECT_EQ(plain->seen, (std::vector<std::string>{"resize", "child", "key Left"}));
  EXPECT_TRUE(next->hasFocus()) << "Tab moves on";
  plain->SetColor(0x000000FF);
  EXPECT_EQ(plain->palette().color(QPalette::Window), QColor(255, 0, 0));
}

// A parent whose background is a pattern, so a child showing it can be told from a plain fill.
class StripedParent : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::blue);
    painter.fillRect(QRect(0, 0, width(), 25), Qt::red);
  }
};

class BackgroundChild : public TWsCustomControl {
 public:
  using TWsCustomControl::TWsCustomControl;
  WsColor fill = colors::BtnFace;
  QRect area;                // none: the whole client rectangle
  bool brushColour = false;  // the form that takes the painter's brush colour

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect target = area.isNull() ? rect() : area;
    if (!brushColour) return DrawThemedBackground(this, painter, target, fill, true);
    painter.setBrush(ToQColor(fill));
    DrawThemedBackground(this, painter, target, true);
  }
};

class PlainBackgroundChild : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    DrawThemedBackground(this, painter, rect(), RgbColor(0x10, 0x20, 0x30), true);
  }
};

TEST(WsThemesTest, ParentBackgroundOnlyWithThemesAndTheParentsColour) {
  StripedParent parent;
  parent.resize(100, 100);
  QPalette palette = parent.palette();
  palette.setColor(QPalette::Window, QColor(0x10, 0x20, 0x30));
  parent.setPalette(palette);
  auto* child = new BackgroundChild(&parent);
  child->setGeometry(10, 20, 30, 30);  // straddles the parent's red/blue edge at y = 25
  child->SetParentBackground(true);

  struct Case {
    bool themes;
    WsColor fill;
    QRect area;
    bool brushColour;
    QColor top, bottom;
  };
  const QColor own(0x33, 0x22, 0x11), parents(0x10, 0x20, 0x30), unpainted(Qt::magenta);
  const WsColor same = RgbColor(0x10, 0x20, 0x30);
  const QRect whole = WholeAreaRect, part(0, 8, 30, 22);
  for (const Case& c :
       {Case{true, same, {}, false, Qt::red, Qt::blue}, Case{false, same, {}, false, parents, parents},
        Case{true, 0x00112233, {}, false, own, own},
        // the marker: the parent's whole background, nothing clipped; as a rectangle to fill, empty
        Case{true, same, whole, false, Qt::red, Qt::blue}, Case{false, same, whole, false, unpainted, unpainted},
        Case{true, same, part, false, unpainted, Qt::blue}, Case{false, 0x00112233, {}, true, own, own},
        Case{true, same, {}, true, Qt::red, Qt::blue}}) {
    SetThemeServicesEnabled(c.themes);
    child->fill = c.fill;
    child->area = c.area;
    child->brushColour = c.brushColour;
    QImage image(child->size(), QImage::Format_ARGB32);
    image.fill(unpainted);
    child->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const std::string what = std::to_string(c.themes) + " " + std::to_string(c.fill) + " " +
                             std::to_string(c.area.left()) + " " + std::to_string(c.brushColour);
    EXPECT_EQ(image.pixelColor(5, 1), c.top) << what;
    EXPECT_EQ(image.pixelColor(5, 10), c.bottom) << what;
  }
  SetThemeServicesEnabled(true);
  // A control of Qt's own wants its parent's background unless it fills its own.
  PlainBackgroundChild plain(&parent);
  plain.setGeometry(child->geometry());
  for (const bool fills : {false, true}) {
    plain.setAutoFillBackground(fills);
    QImage image(plain.size(), QImage::Format_ARGB32);
    plain.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(image.pixelColor(5, 1), fills ? parents : QColor(Qt::red));
  }
}

TEST(SetBevelKindTest, BoxUnderTheMouseIsFlatWithoutResizingAndTheBackgroundMakesAllSoft) {
  QWidget form;
  auto* edit = new QLineEdit(&form);
  auto* inner = new QWidget(&form);
  auto* list = new QListWidget(inner);  // nested: every box of the form counts
  auto* combo = new QComboBox(&form);
  auto* label = new QLabel(&form);

  const QImage soft = edit->grab().toImage();
  const QSize softHint = edit->sizeHint();
  SetBevelKind(&form, list, Qt::NoModifier, 0, 0);
  EXPECT_EQ(GetBevelKind(list), BevelKind::bkFlat);
  EXPECT_EQ(GetBevelKind(edit), BevelKind::bkNone);
  SetBevelKind(&form, edit, Qt::NoModifier, 0, 0);
  EXPECT_NE(edit->grab().toImage(), soft) << "the flat bevel shows";
  EXPECT_EQ(edit->sizeHint(), softHint) << "and takes no room of its own";

  SetBevelKind(&form, label, Qt::NoModifier, 0, 0);
  for (QWidget* box : {static_cast<QWidget*>(edit), static_cast<QWidget*>(list), static_cast<QWidget*>(combo)})
    EXPECT_EQ(GetBevelKind(box), BevelKind::bkSoft);
}

}  // namespace
}  // namespace qmz
