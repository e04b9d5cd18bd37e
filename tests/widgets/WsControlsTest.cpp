#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolTip>
#include <string>
#include <vector>

#include "widgets/WsControls.h"

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

// Nested updates fire one pair; unbalanced ends silence nothing; unchanged values fire nothing.
TEST(WsPersistentPropertyTest, EachChangeFiresOnePairOfEvents) {
  TWsHotTrackOptions options;
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

}  // namespace
}  // namespace qmz
