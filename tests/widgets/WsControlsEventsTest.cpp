#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
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

// Notes every operation and notification, and what Qt's own handling then sees; the operations named in
// `keep` do not hand their event on.
class Recorder : public TWsCustomControl {
 public:
  using TWsCustomControl::TWsCustomControl;
  std::vector<std::string> lines;
  std::set<std::string> keep;
  bool wantKeys = false;
  unsigned addCodes = 0, removeCodes = 0;
  int ownFrom = 0;  // points left of this x are not the control's

  std::vector<std::string> Take() { return std::exchange(lines, {}); }

 protected:
  bool Pass(const std::string& name) {
    lines.push_back(name);
    return keep.count(name) == 0;
  }
  void TextChanged() override {
    if (Pass("TextChanged")) TWsCustomControl::TextChanged();
  }
  bool WantKey(int key, Qt::KeyboardModifiers shift, const QString& text) override {
    return wantKeys || TWsCustomControl::WantKey(key, shift, text);
  }
  bool HitTest(int x, int /*y*/) override { return x >= ownFrom; }
  void GetDlgCode(unsigned& code) override { code = (code | addCodes) & ~removeCodes; }
  void DoSetFocus(QWidget* previous) override {
    if (Pass("DoSetFocus:" + Name(previous))) TWsCustomControl::DoSetFocus(previous);
  }
  void DoKillFocus(QWidget* next) override {
    if (Pass("DoKillFocus:" + Name(next))) TWsCustomControl::DoKillFocus(next);
  }
  bool DoEraseBackground(QPainter& canvas, std::intptr_t param) override {
    if (!Pass("DoEraseBackground")) {
      canvas.fillRect(rect(), Qt::red);
      return true;
    }
    return TWsCustomControl::DoEraseBackground(canvas, param);
  }
  void FocusChanged(QWidget* control) override {
    if (Pass("FocusChanged:" + Name(control))) TWsCustomControl::FocusChanged(control);
  }
  void VisibleChanged() override {
    if (Pass("VisibleChanged")) TWsCustomControl::VisibleChanged();
  }
  void EnabledChanged() override {
    if (Pass("EnabledChanged")) TWsCustomControl::EnabledChanged();
  }
  void FontChanged() override {
    if (Pass("FontChanged")) TWsCustomControl::FontChanged();
  }
  void ParentFontChanged() override {
    if (Pass("ParentFontChanged")) TWsCustomControl::ParentFontChanged();
  }
  void ParentShowHintChanged() override {
    if (Pass("ParentShowHintChanged")) TWsCustomControl::ParentShowHintChanged();
  }
  void CursorChanged() override {
    if (Pass("CursorChanged")) TWsCustomControl::CursorChanged();
  }
  void ShowingChanged(bool showing) override {
    if (Pass(showing ? "Showing" : "Hiding")) TWsCustomControl::ShowingChanged(showing);
  }
  void ShowHintChanged() override {
    if (Pass("ShowHintChanged")) TWsCustomControl::ShowHintChanged();
  }
  void ControlsListChanging(QWidget* control, bool inserting) override {
    Pass(std::string("Changing") + (inserting ? "+" : "-") + (control == probe ? "probe" : "?"));
  }
  void ControlsListChanged(QWidget* control, bool inserting) override {
    if (Pass(std::string("Changed") + (inserting ? "+" : "-") + (control == probe ? "probe" : "?")))
      TWsCustomControl::ControlsListChanged(control, inserting);
  }
  // What Qt's own handling delivers.
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::EnabledChange) lines.push_back("qt:enabled");
    TWsCustomControl::changeEvent(event);
  }
  void childEvent(QChildEvent* event) override {
    if (event->child() == probe) lines.push_back(event->added() ? "qt:child+" : "qt:child-");
    TWsCustomControl::childEvent(event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    lines.push_back("key:" + QKeySequence(event->key()).toString().toStdString());
  }
  void mousePressEvent(QMouseEvent*) override { lines.push_back("press"); }
  void paintEvent(QPaintEvent*) override {
    lines.push_back("paint");
    QPainter(this).fillRect(0, 0, width() / 2, height(), Qt::green);
  }

 public:
  QWidget* probe = nullptr;

 private:
  static std::string Name(QWidget* w) { return w ? w->objectName().toStdString() : "none"; }
};

using Lines = std::vector<std::string>;

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
  r->probe = new QWidget;
  r->probe->setParent(r);
  EXPECT_EQ(r->Take(), (Lines{"Changing+probe", "Changed+probe", "qt:child+"}));
  r->keep.insert("Changed-probe");
  r->probe->setParent(nullptr);
  EXPECT_EQ(r->Take(), (Lines{"Changing-probe", "Changed-probe"}));
  delete r->probe;
}

TEST(WsExControlTest, FocusKeysMousePointsAndTheBackgroundGoThroughTheOperations) {
  QWidget form;
  auto* outer = new Recorder(&form);
  outer->setGeometry(0, 0, 200, 100);
  auto* a = new Recorder(outer);
  auto* b = new Recorder(outer);
  a->setObjectName("a");
  b->setObjectName("b");
  b->move(0, 50);
  for (Recorder* r : {a, b}) {
    r->resize(40, 30);
    r->setFocusPolicy(Qt::StrongFocus);
  }
  int shortcuts = 0;
  QObject::connect(new QShortcut(QKeySequence(QStringLiteral("Alt+X")), &form), &QShortcut::activated,
                   [&shortcuts] { ++shortcuts; });
  form.show();
  QApplication::setActiveWindow(&form);
  a->setFocus();
  for (Recorder* r : {outer, a, b}) r->Take();
  b->setFocus();
  EXPECT_EQ(a->Take(), (Lines{"DoKillFocus:b", "FocusChanged:b"}));
  EXPECT_EQ(b->Take(), (Lines{"DoSetFocus:a", "FocusChanged:b"}));

  QTest::keyClick(b, 'x', Qt::AltModifier);
  EXPECT_EQ(shortcuts, 1);
  b->wantKeys = true;
  QTest::keyClick(b, 'x', Qt::AltModifier);
  EXPECT_EQ(shortcuts, 1) << "a wanted key is no shortcut";
  EXPECT_EQ(b->Take(), (Lines{"key:Alt", "key:Alt", "key:X"})) << "the first X went to the shortcut";

  QTest::keyClick(b, Qt::Key_Tab);
  EXPECT_TRUE(a->hasFocus()) << "Qt moves on with Tab";
  a->addCodes = dlgcodes::WantTab;
  a->removeCodes = dlgcodes::WantArrows;
  a->Take();
  outer->Take();
  QTest::keyClick(a, Qt::Key_Tab);
  QTest::keyClick(a, Qt::Key_Left);
  QTest::keyClick(a, Qt::Key_1);
  EXPECT_TRUE(a->hasFocus());
  EXPECT_EQ(a->Take(), (Lines{"key:Tab", "key:1"}));
  EXPECT_EQ(outer->Take(), Lines{"key:Left"}) << "an unwanted arrow goes to the parent";

  a->ownFrom = 10;
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(outer->Take(), Lines{"press"});
  QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(15, 5));
  EXPECT_TRUE(outer->Take().empty());
  EXPECT_EQ(a->Take(), Lines{"press"});

  a->keep.insert("DoEraseBackground");
  const QImage image = a->grab().toImage();
  EXPECT_EQ(a->Take(), (Lines{"DoEraseBackground", "paint"}));
  EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::green));
  EXPECT_EQ(image.pixelColor(35, 5), QColor(Qt::red)) << "erased before the paint";
}

// The tree view's base routes its events the same way.
class TreeRecorder : public TWsExTreeView {
 public:
  using TWsExTreeView::TWsExTreeView;
  Lines lines;

 protected:
  void CursorChanged() override { lines.push_back("CursorChanged"); }
  void ParentFontChanged() override {
    lines.push_back("ParentFontChanged");
    TWsExTreeView::ParentFontChanged();
  }
};

TEST(WsExControlTest, TheTreeViewsBaseHasTheSameNotifications) {
  QWidget parent;
  auto* tree = new TreeRecorder(&parent);
  tree->setCursor(Qt::CrossCursor);
  QFont font = parent.font();
  font.setPointSize(font.pointSize() + 3);
  parent.setFont(font);
  EXPECT_EQ(tree->lines, (Lines{"CursorChanged", "ParentFontChanged"}));
  EXPECT_EQ(tree->font().pointSize(), font.pointSize());
}

}  // namespace
}  // namespace qmz
