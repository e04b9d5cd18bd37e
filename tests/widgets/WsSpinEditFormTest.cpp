// The spin edit on its form: the attached label's places, form loading, a new parent and a new font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLocale>

#include "widgets/WsSpin.h"

namespace qmz {
namespace {

TEST(WsSpinEdit, LabelStandsWhereItsPositionSays) {
  QWidget form;
  auto* edit = new TWsSpinEdit(&form);
  edit->setGeometry(100, 60, 80, 30);
  edit->SetLabelCaption("Cargo");
  edit->SetLabelMargin(5);
  const QLabel* label = edit->Label();
  const int lh = label->height(), lw = label->width();
  const int tw = QFontMetrics(edit->LabelFont()).horizontalAdvance("Cargo");
  const int left = 100 - tw - 5, middle = 60 + (30 - lh) / 2, above = 60 - lh - 5, below = 60 + 30 + 5;
  using P = TLabelPosition;
  const std::pair<P, QPoint> places[] = {
      {P::lpLeftTop, {left, 60}},
      {P::lpLeftCenter, {left, middle}},
      {P::lpLeftBottom, {left, 90 - lh}},
      {P::lpTopLeft, {100, above}},
      {P::lpBottomLeft, {100, below}},
      {P::lpLeftTopLeft, {95, 60}},
      {P::lpLeftCenterLeft, {95, middle}},
      {P::lpLeftBottomLeft, {95, 90 - lh}},
      {P::lpTopCenter, {100 + (80 - lw) / 2, above}},
      {P::lpBottomCenter, {100 + (80 - lw) / 2, below}},
  };
  for (const auto& [position, at] : places) {
    edit->SetLabelPosition(position);
    EXPECT_EQ(edit->LabelPosition(), position);
    EXPECT_EQ(label->pos(), at) << int(position);
  }
  // Moving the shown edit takes the label along; so does a new parent.
  form.show();
  edit->move(120, 60);
  EXPECT_EQ(label->pos(), QPoint(120 + (80 - lw) / 2, below));
  QWidget other;
  edit->setParent(&other);
  EXPECT_EQ(label->parentWidget(), &other);
  EXPECT_EQ(label->pos(), QPoint(120 + (80 - lw) / 2, below));
}

// While loading nothing is formatted, clamped or placed; the end of loading does it once, by the kind.
TEST(WsSpinEdit, LoadingFormatsTheStoredValueOnceAtItsEnd) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  struct Case {
    TWsSpinType type;
    void (*store)(TWsSpinEdit&);
    QString shown;
  };
  const Case cases[] = {
      {TWsSpinType::sptDate,
       [](TWsSpinEdit& e) { e.SetDateValue(DateTimeFromQt(QDateTime(QDate(2024, 3, 15), QTime(10, 0)))); }, "15.03.24"},
      {TWsSpinType::sptTime, [](TWsSpinEdit& e) { e.SetTimeValue(9.5 / 24); }, "9:30:00"},
      {TWsSpinType::sptHex, [](TWsSpinEdit& e) { e.SetHexValue(255); }, "0xFF"},
  };
  for (const Case& c : cases) {
    QWidget form;
    auto* edit = new TWsSpinEdit(&form);
    edit->BeginLoad();
    EXPECT_TRUE(edit->Loading());
    edit->SetSpinType(c.type);
    c.store(*edit);
    edit->SetLabelCaption("Start");
    edit->setEnabled(false);
    EXPECT_EQ(edit->text(), "0");
    EXPECT_TRUE(edit->Label()->isEnabled()) << "enabling waits for the end of loading too";
    edit->EndLoad();
    EXPECT_EQ(edit->text(), c.shown);
    EXPECT_FALSE(edit->Label()->isEnabled());
  }
  QLocale::setDefault(QLocale::c());
}

// A larger font makes the box higher; the flat look keeps its inset with it.
TEST(WsSpinEdit, NewFontRaisesTheMinimumHeight) {
  TWsSpinEdit edit;
  const int before = edit.minimumHeight();
  QFont big = edit.font();
  big.setPointSize(big.pointSize() * 3);
  edit.setFont(big);
  EXPECT_GT(edit.minimumHeight(), before + QFontMetrics(big).height() / 2);
  EXPECT_GE(edit.height(), edit.minimumHeight());
}

}  // namespace
}  // namespace qmz
