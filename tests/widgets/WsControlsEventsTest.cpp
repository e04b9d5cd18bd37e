#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QTest>
#include <set>
#include <string>
#include <vector>

#include "widgets/WsControls.h"
#include "widgets/WsTreeView.h"

namespace qmz {
namespace {

using Lines = std::vector<std::string>;

// Notes every operation and notification and what Qt's own handling then sees; those named in `keep` do not
// hand their event on.
class Recorder : public TWsCustomControl {
 public:
  using TWsCustomControl::TWsCustomControl;
  Lines lines;
  std::set<std::string> keep;
  bool wantKeys = false;
  unsigned addCodes = 0, removeCodes = 0;
  int ownFrom = 0;  // points left of this x are not the control's
  QWidget* probe = nullptr;

  Lines Take() { return std::exchange(lines, {}); }

 protected:
  bool Pass(const std::string& name) {
    lines.push_back(name);
    return keep.count(name) == 0;
  }
#define NOTE(op)                           \
  void op() override {                     \
    if (Pass(#op)) TWsCustomControl::op(); \
  }
  NOTE(TextChanged)
  NOTE(VisibleChanged)
  NOTE(EnabledChanged)
  NOTE(FontChanged)
  NOTE(ParentFontChanged)
  NOTE(ParentShowHintChanged)
  NOTE(CursorChanged)
  NOTE(ShowHintChanged)
#undef NOTE
  static std::string Name(QWidget* w) { return w ? w->objectName().toStdString() : "none"; }
  void DoSetFocus(QWidget* w) override { Pass("DoSetFocus:" + Name(w)), TWsCustomControl::DoSetFocus(w); }
  void DoKillFocus(QWidget* w) override { Pass("DoKillFocus:" + Name(w)), TWsCustomControl::DoKillFocus(w); }
  void FocusChanged(QWidget* w) override { Pass("FocusChanged:" + Name(w)); }
  void MouseEnter(QWidget* w) override {
    if (Pass("MouseEnter:" + Name(w))) TWsCustomControl::MouseEnter(w);
  }
  void MouseLeave(QWidget* w) override {
    if (Pass("MouseLeave:" + Name(w))) TWsCustomControl::MouseLeave(w);
  }
  void ShowingChanged(bool showing) override {
    if (Pass(showing ? "Showing" : "Hiding")) TWsCustomControl::ShowingChanged(showing);
  }
  void ControlsListChanging(QWidget*, bool in) override { Pass(std::string("Changing") + (in ? "+" : "-")); }
  void ControlsListChanged(QWidget* c, bool in) override {
    Pass(std::string("Changed") + (in ? "+" : "-") + (c == probe ? "probe" : "?"));
    TWsCustomControl::ControlsListChanged(c, in);
  }
  bool WantKey(int key, Qt::KeyboardModifiers shift, const QString& text) override {
    return wantKeys || TWsCustomControl::WantKey(key, shift, text);
  }
  bool HitTest(int x, int /*y*/) override { return x >= ownFrom; }
  void GetDlgCode(unsigned& code) override { code = (code | addCodes) & ~removeCodes; }
  bool DoEraseBackground(QPainter& canvas, std::intptr_t param) override {
    if (Pass("DoEraseBackground")) return TWsCustomControl::DoEraseBackground(canvas, param);
    canvas.fillRect(rect(), Qt::red);
    return true;
  }
  // What Qt's own handling delivers.
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::EnabledChange) lines.push_back("qt:enabled");
    TWsCustomControl::changeEvent(event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    lines.push_back("key:" + QKeySequence(event->key()).toString().toStdString());
  }
  void mousePressEvent(QMouseEvent*) override { lines.push_back("press"); }
  void paintEvent(QPaintEvent*) override { lines.push_back("paint"); }
};

TEST(WsExControlTest, QtsEventsDriveTheNotificationsWhoseDefaultsHandThemOnToQt) {
  Recorder parent;
  auto* r = new Recorder(&parent);
  parent.Take();
  r->setEnabled(false);
  EXPECT_EQ(r->Take(), (Lines{"EnabledChanged", "qt:enabled"}));
  r->keep.insert("EnabledChanged");
  r->setEnabled(true);
  EXPECT_EQ(r->Take(), Lines{"EnabledChanged"}) << "an override without the base keeps the event from Qt";
  r->setWindowTitle("text");
  r->setCursor(Qt::CrossCursor);
  EXPECT_EQ(r->Take(), (Lines{"TextChanged", "CursorChanged"}));
  parent.setToolTip("hint");
  EXPECT_EQ(parent.Take(), Lines{"ShowHintChanged"});
  EXPECT_EQ(r->Take(), Lines{"ParentShowHintChanged"});
  QWidget plain;
  auto* inPlain = new Recorder(&plain);
  plain.setToolTip("hint");
  EXPECT_EQ(inPlain->Take(), Lines{"ParentShowHintChanged"}) << "whatever the parent";
  QFont font = parent.font();
  font.setPointSize(font.pointSize() + 3);
  parent.setFont(font);
  EXPECT_EQ(r->Take(), (Lines{"ParentFontChanged", "FontChanged"}));
  font.setBold(true);
  r->setFont(font);
  EXPECT_EQ(r->Take(), Lines{"FontChanged"});
  parent.show();
  r->Take();
  r->hide();
  r->show();
  EXPECT_EQ(r->Take(), (Lines{"Hiding", "VisibleChanged", "Showing", "VisibleChanged"}));
  QWidget probe;
  r->probe = &probe;
  probe.setParent(r);
  probe.setParent(nullptr);
  EXPECT_EQ(r->Take(), (Lines{"Changing+", "Changed+probe", "Changing-", "Changed-probe"}));
  // Enter and leave name the control whose area the mouse crossed; the events come in the base's order.
  r->setObjectName("r");
  r->OnMouseEnter = [r](QWidget*) { r->lines.push_back(r->MouseOver() ? "OnMouseEnter:over" : "OnMouseEnter"); };
  r->OnMouseLeave = [r](QWidget*) { r->lines.push_back(r->MouseOver() ? "OnMouseLeave:over" : "OnMouseLeave"); };
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QApplication::sendEvent(r, &enter);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(r, &leave);
  EXPECT_EQ(r->Take(), (Lines{"MouseEnter:r", "OnMouseEnter:over", "MouseLeave:r", "OnMouseLeave"}));
}

TEST(WsExControlTest, FocusKeysMousePointsAndTheBackgroundGoThroughTheOperations) {
  QWidget form;
  auto* outer = new Recorder(&form);
  outer->resize(200, 100);
  auto* a = new Recorder(outer);
  auto* b = new Recorder(outer);
  a->setObjectName("a");
  b->setObjectName("b");
  b->move(0, 50);
  for (Recorder* r : {a, b}) r->resize(40, 30), r->setFocusPolicy(Qt::StrongFocus);
  int shortcuts = 0;
  QObject::connect(new QShortcut(QKeySequence("Alt+X"), &form), &QShortcut::activated, [&] { ++shortcuts; });
  form.show();
  QApplication::setActiveWindow(&form);
  a->setFocus();
  for (Recorder* r : {outer, a, b}) r->Take();
  b->setFocus();
  EXPECT_EQ(a->Take(), (Lines{"DoKillFocus:b", "FocusChanged:b"}));
  EXPECT_EQ(b->Take(), (Lines{"DoSetFocus:a", "FocusChanged:b"}));

  QTest::keyClick(b, 'x', Qt::AltModifier);
  b->wantKeys = true;
  QTest::keyClick(b, 'x', Qt::AltModifier);
  EXPECT_EQ(shortcuts, 1) << "a wanted key is no shortcut";
  EXPECT_EQ(b->Take(), (Lines{"key:Alt", "key:Alt", "key:X"}));

  QTest::keyClick(b, Qt::Key_Tab);
  EXPECT_TRUE(a->hasFocus()) << "Qt moves on with Tab";
  a->addCodes = dlgcodes::WantTab;
  a->removeCodes = dlgcodes::WantArrows;
  for (Recorder* r : {outer, a}) r->Take();
  for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Left, Qt::Key_1}) QTest::keyClick(a, key);
  EXPECT_EQ(a->Take(), (Lines{"key:Tab", "key:1"}));
  EXPECT_EQ(outer->Take(), Lines{"key:Left"}) << "an unwanted arrow goes to the parent";

  a->ownFrom = 10;
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(15, 5));
  EXPECT_EQ(outer->Take(), Lines{"press"});
  EXPECT_EQ(a->Take(), Lines{"press"});

  a->keep.insert("DoEraseBackground");
  const QImage image = a->grab().toImage();
  EXPECT_EQ(a->Take(), (Lines{"DoEraseBackground", "paint"}));
  EXPECT_EQ(image.pixelColor(35, 5), QColor(Qt::red)) << "what the erase painted shows";
}

// The tree view's base routes its events the same way, those of its items' area (the viewport) included.
class TreeRecorder : public TWsExTreeView {
 public:
  using TWsExTreeView::TWsExTreeView;
  Lines lines;

 protected:
  void CursorChanged() override { lines.push_back("CursorChanged"); }
  void ParentFontChanged() override { lines.push_back("ParentFontChanged"), TWsExTreeView::ParentFontChanged(); }
  bool HitTest(int x, int /*y*/) override { return x >= 60; }
  bool DoEraseBackground(QPainter& canvas, std::intptr_t /*param*/) override {
    canvas.fillRect(canvas.window(), Qt::red);
    return true;
  }
};

TEST(WsExControlTest, TheTreeViewsBaseHasTheSameNotificationsAlsoOverItsItems) {
  Recorder parent;
  parent.resize(200, 200);
  auto* tree = new TreeRecorder(&parent);
  tree->setGeometry(0, 0, 150, 150);
  tree->addTopLevelItem(new QTreeWidgetItem(QStringList{"node"}));
  tree->setCursor(Qt::CrossCursor);
  QFont font = parent.font();
  font.setPointSize(font.pointSize() + 3);
  parent.setFont(font);
  EXPECT_EQ(tree->lines, (Lines{"CursorChanged", "ParentFontChanged"}));

  parent.show();
  parent.Take();
  const int rowY = tree->visualItemRect(tree->topLevelItem(0)).center().y();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(20, rowY));
  EXPECT_EQ(parent.Take(), Lines{"press"}) << "not the tree's point";
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(80, rowY));
  EXPECT_EQ(parent.Take(), Lines{});
  EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
  const QPoint below = tree->viewport()->geometry().bottomLeft() + QPoint(70, -5);
  EXPECT_EQ(tree->grab().toImage().pixelColor(below), QColor(Qt::red)) << "the items' area is erased";
}

}  // namespace
}  // namespace qmz
