// The spin button's keys, hot state, glyphs and classic look, and the spin edit's look properties, editor
// lock, range on leaving and Ctrl+Enter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <QTest>

#include "widgets/WsSpin.h"

namespace qmz {
namespace {

QImage Rendered(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32);
  image.fill(Qt::magenta);  // what the control leaves unpainted shows as magenta
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

// The application style for one test; "Windows" is the classic look.
class ScopedStyle {
 public:
  explicit ScopedStyle(const QString& name) : old_(QApplication::style()->name()) { QApplication::setStyle(name); }
  ~ScopedStyle() { QApplication::setStyle(old_); }

 private:
  QString old_;
};

class ScopedLocale {
 public:
  explicit ScopedLocale(const QLocale& locale) { QLocale::setDefault(locale); }
  ~ScopedLocale() { QLocale::setDefault(QLocale::c()); }
};

// Space clicks the focused half, the arrows focus and click theirs in either layout; the focused half follows
// only while the pair takes the focus itself.
TEST(WsSpinButton, KeysClickTheHalvesAndTheFocusedHalfFollowsOnlyWithTabStop) {
  QWidget form;
  auto* pair = new TWsSpinButton(&form);
  std::string clicks;
  pair->OnUpClick = [&](QWidget* sender) { clicks += sender == pair ? "u" : "?"; };
  pair->OnDownClick = [&](QWidget* sender) { clicks += sender == pair ? "d" : "?"; };
  form.show();
  QApplication::setActiveWindow(&form);
  pair->setFocus();
  for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Space, Qt::Key_Up, Qt::Key_Space, Qt::Key_A})
    QTest::keyClick(pair, key);
  EXPECT_EQ(clicks, "duuu") << "without TabStop the up half stays the focused one";
  EXPECT_EQ(pair->FocusedButton(), pair->UpButton());

  pair->SetTabStop(true);
  pair->setFocus();
  clicks.clear();
  for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Space, Qt::Key_Up, Qt::Key_Space}) QTest::keyClick(pair, key);
  EXPECT_EQ(clicks, "dduu");
  pair->SetDirection(TSpinDirection::spHorizontal);
  QTest::keyClick(pair, Qt::Key_Down);
  QTest::keyClick(pair, Qt::Key_Space);
  EXPECT_EQ(clicks, "dduudd");
  EXPECT_EQ(pair->FocusedButton(), pair->DownButton());
  EXPECT_EQ(pair->sizeHint(), QSize(20, 25));
  pair->SetDirection(TSpinDirection::spVertical);
  EXPECT_EQ(pair->sizeHint(), QSize(15, 25));
  EXPECT_EQ(pair->width(), 15);
}

// Hot while the mouse is over a half: the themed half shows it, and after leaving looks as before; pressed is
// a look of its own.
TEST(WsSpinButton, HalfIsHotWhileTheMouseIsOverItAndThemedStatesLookApart) {
  TWsSpinButton pair;
  TWsTimerSpeedButton* down = pair.DownButton();
  const QImage normal = Rendered(*down);
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QApplication::sendEvent(down, &enter);
  EXPECT_TRUE(down->Hot());
  EXPECT_FALSE(pair.UpButton()->Hot());
  const QImage hot = Rendered(*down);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(down, &leave);
  EXPECT_FALSE(down->Hot());
  EXPECT_EQ(Rendered(*down), normal);
  down->setDown(true);
  const QImage pressed = Rendered(*down);
  down->setDown(false);
  EXPECT_NE(pressed, normal);
  EXPECT_NE(hot, pressed);
  // Side by side the halves draw the left and the right part.
  pair.SetDirection(TSpinDirection::spHorizontal);
  pair.resize(40, 20);
  pair.show();
  EXPECT_NE(Rendered(*pair.DownButton()), Rendered(*pair.UpButton()));
  pair.setMinimumWidth(0);
  pair.resize(5, 20);
  EXPECT_EQ(pair.width(), 20) << "widened without Qt's minimum as well";
}

bool IsBlack(const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(Qt::black); }

// Classic horizontal halves show scroll arrows, left on the down half and right on the up half, shifted while
// pressed; flat halves lose their frame and transparent ones their fill.
TEST(WsSpinButton, ClassicHorizontalHalvesShowArrowsAndFlatOrTransparentHalvesDropFrameOrFill) {
  ScopedStyle classic(QStringLiteral("Windows"));
  TWsSpinButton pair;
  pair.SetDirection(TSpinDirection::spHorizontal);
  pair.resize(40, 20);
  pair.show();
  TWsTimerSpeedButton* down = pair.DownButton();
  TWsTimerSpeedButton* up = pair.UpButton();
  ASSERT_EQ(down->geometry(), QRect(0, 0, 20, 20));
  ASSERT_EQ(up->geometry(), QRect(21, 0, 20, 20));
  // A 20 x 20 half: the left arrow's tip at (6, 9), its base from (12, 3) to (12, 15); the right one mirrored.
  const QImage left = Rendered(*down);
  const QImage right = Rendered(*up);
  EXPECT_TRUE(IsBlack(left, 11, 5));
  EXPECT_FALSE(IsBlack(left, 7, 5));
  EXPECT_TRUE(IsBlack(right, 7, 5));
  EXPECT_FALSE(IsBlack(right, 11, 5));
  down->setDown(true);
  EXPECT_TRUE(IsBlack(Rendered(*down), 12, 6)) << "pressed, the arrow moves one pixel down and right";
  down->setDown(false);
  down->setEnabled(false);
  EXPECT_FALSE(IsBlack(Rendered(*down), 11, 5)) << "disabled, the arrow is grey";
  down->setEnabled(true);

  const QColor face = down->palette().color(QPalette::Button);
  EXPECT_NE(left.pixelColor(0, 0), face) << "a framed half";
  down->SetFlat(true);
  EXPECT_TRUE(down->Flat());
  EXPECT_EQ(Rendered(*down).pixelColor(0, 0), face);
  down->SetTransparent(true);
  EXPECT_TRUE(down->Transparent());
  const QImage clear = Rendered(*down);
  EXPECT_EQ(clear.pixelColor(0, 0), QColor(Qt::magenta));
  EXPECT_EQ(clear.pixelColor(3, 9), QColor(Qt::magenta));
  EXPECT_TRUE(IsBlack(clear, 11, 5));
}

// The down half's glyph: images side by side, the first normal, the second disabled; none restores the arrow.
TEST(WsSpinButton, DownGlyphShowsItsImagesByStateAndNoneRestoresTheBuiltInArrow) {
  ScopedStyle classic(QStringLiteral("Windows"));
  TWsSpinButton pair;
  pair.resize(15, 40);
  pair.show();
  QPixmap glyph(18, 6);
  glyph.fill(Qt::black);  // bottom-left pixel: the transparent colour
  {
    QPainter painter(&glyph);
    painter.fillRect(1, 0, 8, 5, Qt::red);
    painter.fillRect(10, 0, 8, 5, Qt::blue);
  }
  pair.SetDownGlyph(glyph);
  pair.SetDownNumGlyphs(2);
  EXPECT_EQ(pair.DownNumGlyphs(), 2);
  EXPECT_EQ(pair.DownGlyph().size(), QSize(18, 6));
  TWsTimerSpeedButton* down = pair.DownButton();
  const QPoint centre = down->rect().center();
  EXPECT_EQ(Rendered(*down).pixelColor(centre), QColor(Qt::red));
  down->setEnabled(false);
  EXPECT_EQ(Rendered(*down).pixelColor(centre), QColor(Qt::blue));
  down->setEnabled(true);
  pair.SetDownGlyph(QPixmap());
  EXPECT_EQ(pair.DownNumGlyphs(), 1);
  EXPECT_EQ(pair.DownGlyph().toImage().convertToFormat(QImage::Format_RGB32),
            LoadSpinGlyph("WsSpinDown").convertToFormat(QImage::Format_RGB32));
}

// The look properties: each is read back and shows.
TEST(WsSpinEdit, LookPropertiesReadBackAndShow) {
  QWidget form;
  form.setAutoFillBackground(true);
  QPalette red = form.palette();
  red.setColor(QPalette::Window, Qt::red);
  form.setPalette(red);
  form.resize(300, 120);
  auto* edit = new TWsSpinEdit(&form);
  edit->setGeometry(150, 40, 100, 26);
  form.show();
  const auto shown = [&](QPoint at) { return form.grab().toImage().pixelColor(edit->mapTo(&form, at)); };
  const QPoint inText(50, 13);
  EXPECT_NE(shown(inText), QColor(Qt::red));
  edit->SetTransparent(true);
  EXPECT_TRUE(edit->Transparent());
  EXPECT_EQ(shown(inText), QColor(Qt::red)) << "the parent shows through";
  edit->SetTransparent(false);
  EXPECT_NE(shown(inText), QColor(Qt::red));

  edit->SetFlat(true);
  edit->SetFlatLineColor(Qt::blue);
  EXPECT_EQ(edit->FlatLineColor(), QColor(Qt::blue));
  EXPECT_EQ(shown(QPoint(10, edit->height() - 1)), QColor(Qt::blue));
  EXPECT_NE(shown(QPoint(edit->width() - edit->Button()->width() - 2, edit->height() - 1)), QColor(Qt::blue))
      << "the line ends before the buttons";

  for (const auto& [align, qt] :
       {std::pair{TEditAlign::eaRight, Qt::AlignRight}, std::pair{TEditAlign::eaCenter, Qt::AlignHCenter},
        std::pair{TEditAlign::eaLeft, Qt::AlignLeft}}) {
    edit->SetEditAlign(align);
    EXPECT_EQ(edit->EditAlign(), align);
    EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, qt);
  }

  edit->SetDirection(TSpinDirection::spHorizontal);
  EXPECT_EQ(edit->Direction(), TSpinDirection::spHorizontal);
  EXPECT_EQ(edit->Button()->Direction(), TSpinDirection::spHorizontal);
  EXPECT_EQ(edit->Button()->geometry().right(), edit->width() - 1) << "the wider pair stays at the right edge";
  EXPECT_EQ(edit->Button()->width(), 20);

  edit->SetSpinFlat(true);
  edit->SetSpinTransparent(true);
  EXPECT_TRUE(edit->SpinFlat());
  EXPECT_TRUE(edit->SpinTransparent());
  for (TWsTimerSpeedButton* half : {edit->Button()->UpButton(), edit->Button()->DownButton()}) {
    EXPECT_TRUE(half->Flat());
    EXPECT_TRUE(half->Transparent());
  }
}

TEST(WsSpinEdit, LabelFollowsMarginFontAndTransparency) {
  QWidget form;
  auto* edit = new TWsSpinEdit(&form);
  edit->setGeometry(150, 50, 80, 22);
  edit->SetLabelCaption("Cargo");
  QLabel* label = edit->Label();
  ASSERT_NE(label, nullptr);
  QFont big = edit->LabelFont();
  big.setPointSize(big.pointSize() * 2);
  edit->SetLabelFont(big);
  edit->SetLabelMargin(10);
  EXPECT_EQ(edit->LabelMargin(), 10);
  EXPECT_EQ(label->font(), big);
  const int tw = QFontMetrics(big).horizontalAdvance("Cargo");
  EXPECT_EQ(label->pos(), QPoint(150 - tw - 10, 50));
  EXPECT_TRUE(label->autoFillBackground());
  edit->SetLabelTransparent(true);
  EXPECT_TRUE(edit->LabelTransparent());
  EXPECT_FALSE(label->autoFillBackground());
}

// EditorEnabled off: nothing typed, deleted, cut or pasted; steps still work and select the new value.
TEST(WsSpinEdit, EditorDisabledTakesOnlySteps) {
  QWidget form;
  auto* edit = new TWsSpinEdit(&form);
  form.show();
  QApplication::setActiveWindow(&form);
  edit->setFocus();
  edit->SetEditorEnabled(false);
  EXPECT_FALSE(edit->EditorEnabled());
  edit->setText("12");
  edit->end(false);
  QTest::keyClicks(edit, "34");
  QTest::keyClick(edit, Qt::Key_Backspace);
  edit->home(false);
  QTest::keyClick(edit, Qt::Key_Delete);
  edit->selectAll();
  QTest::keyClick(edit, 'x', Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "12");
  QChar refused = QLatin1Char('5');
  EXPECT_FALSE(edit->AcceptsChar(refused));
  QChar tab(9);
  EXPECT_TRUE(edit->AcceptsChar(tab));
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->text(), "13");
  edit->SetValue(20);
  EXPECT_EQ(edit->selectedText(), "20");
  edit->SetEditorEnabled(true);
  edit->end(false);
  QTest::keyClick(edit, '5');
  EXPECT_EQ(edit->text(), "205");
}

// Ctrl+Enter is Up; separators of other kinds are refused or, where they double as a number's, taken as one.
TEST(WsSpinEdit, CtrlEnterStepsUpAndSeparatorsFollowTheKind) {
  TWsSpinEdit edit;
  int enters = 0;
  edit.OnKeyPress = [&](QWidget*, QChar& key) { enters += key == QChar(13); };
  edit.SetValue(4);
  QTest::keyClick(&edit, Qt::Key_Return, Qt::ControlModifier);
  QTest::keyClick(&edit, Qt::Key_Enter, Qt::ControlModifier);
  EXPECT_EQ(edit.Value(), 6);
  EXPECT_EQ(enters, 0);
  // The key-press event sees each character first and may change or drop it.
  edit.OnKeyPress = [](QWidget*, QChar& key) { key = key == QLatin1Char('7') ? QChar() : QChar(u'9'); };
  edit.end(false);
  QTest::keyClicks(&edit, "78");
  EXPECT_EQ(edit.text(), "69");
  struct Case {
    QLocale locale;
    TWsSpinType type;
    const char* keys;
    QString expected;
  };
  const Case cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates), TWsSpinType::sptNormal, "1:2/3", "123"},
      {QLocale(QLocale::English, QLocale::UnitedStates), TWsSpinType::sptTime, "1:2/3", "1:23"},
      // German dates are separated by ".", the thousands separator, which the float kind takes as decimal.
      {QLocale(QLocale::German, QLocale::Germany), TWsSpinType::sptFloat, "1.5", "1,5"},
      {QLocale(QLocale::German, QLocale::Germany), TWsSpinType::sptNormal, "1.5", "15"},
  };
  for (const Case& c : cases) {
    ScopedLocale locale(c.locale);
    TWsSpinEdit box;
    box.SetSpinType(c.type);
    box.SetPrecision(2);
    box.setText("");
    QTest::keyClicks(&box, c.keys);
    EXPECT_EQ(box.text(), c.expected) << c.locale.name().toStdString() << " " << c.keys;
  }
}

// Leaving a date or time field brings it into [MinDateValue, MaxDateValue]; a time of day is not dated.
TEST(WsSpinEdit, DateAndTimeComeIntoTheirRangeOnLeaving) {
  ScopedLocale locale(QLocale(QLocale::German, QLocale::Germany));
  const auto day = [](int y, int m, int d) { return DateTimeFromQt(QDateTime(QDate(y, m, d), QTime())); };
  struct Case {
    TWsSpinType type;
    TDateTime min, max;
    QString typed, shown;
  };
  const TDateTime h8 = 8 / 24.0, h18 = 18 / 24.0;
  const Case cases[] = {
      {TWsSpinType::sptDate, day(2024, 1, 1), day(2024, 12, 31), "15.03.25", "31.12.24"},
      {TWsSpinType::sptDate, day(2024, 1, 1), day(2024, 12, 31), "15.03.23", "01.01.24"},
      {TWsSpinType::sptDate, day(2024, 1, 1), day(2024, 12, 31), "15.03.24", "15.03.24"},
      {TWsSpinType::sptDate, 0, 0, "15.03.99", "15.03.99"},
      {TWsSpinType::sptTime, h8, h18, "20:00:00", "18:00:00"},
      {TWsSpinType::sptTime, h8, h18, "7:30:00", "8:00:00"},
      {TWsSpinType::sptTime, h8, h18, "9:15:00", "9:15:00"},
  };
  for (const Case& c : cases) {
    TWsSpinEdit edit;
    edit.SetSpinType(c.type);
    edit.SetMinDateValue(c.min);
    edit.SetMaxDateValue(c.max);
    edit.setText(c.typed);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &out);
    EXPECT_EQ(edit.text(), c.shown) << c.typed.toStdString();
  }
  // The hex kind takes the integer range, and is written again on every leave.
  TWsSpinEdit hex;
  hex.SetSpinType(TWsSpinType::sptHex);
  hex.SetMinValue(1);
  hex.SetMaxValue(0x10);
  for (const auto& [typed, shown] : {std::pair{"0xff", "0x10"}, std::pair{"0x0", "0x1"}, std::pair{"0xa", "0xA"}}) {
    hex.setText(typed);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&hex, &out);
    EXPECT_EQ(hex.text(), shown);
  }
}

// With AutoFocus the mouse entering takes the focus; the label shows and hides with the edit; the version is
// fixed; a spin button forgets a focus control that goes.
TEST(WsSpinEdit, AutoFocusLabelVisibilityVersionAndAForgottenFocusControl) {
  QWidget form;
  auto* other = new QLineEdit(&form);
  auto* edit = new TWsSpinEdit(&form);
  edit->move(0, 40);
  edit->SetLabelCaption("Level");
  form.show();
  QApplication::setActiveWindow(&form);
  other->setFocus();
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QApplication::sendEvent(edit, &enter);
  EXPECT_TRUE(other->hasFocus());
  edit->SetAutoFocus(true);
  EXPECT_TRUE(edit->AutoFocus());
  QApplication::sendEvent(edit, &enter);
  EXPECT_TRUE(edit->hasFocus());
  edit->hide();
  EXPECT_FALSE(edit->Label()->isVisible());
  edit->show();
  EXPECT_TRUE(edit->Label()->isVisible());
  EXPECT_EQ(edit->Version(), "1.0.0.0");
  EXPECT_EQ(edit->GetVersionNumber(), 0x01030000u);

  TWsSpinButton pair;
  auto* target = new QLineEdit;
  pair.SetFocusControl(target);
  delete target;
  EXPECT_EQ(pair.FocusControl(), nullptr);
}

// Page keys step by the page increments of the number kinds only; IncrementHours 0 makes the hour field step
// minutes, and Down never goes below midnight.
TEST(WsSpinEdit, PageKeysStepNumbersByThePageIncrementAndHoursCanStepMinutes) {
  ScopedLocale locale(QLocale::c());
  struct Case {
    TWsSpinType type;
    QString start;
    Qt::Key key;
    QString expected;
  };
  const Case cases[] = {
      {TWsSpinType::sptFloat, "1", Qt::Key_PageUp, "3.5"},
      {TWsSpinType::sptFloat, "1", Qt::Key_PageDown, "-1.5"},
      {TWsSpinType::sptNormal, "0", Qt::Key_PageDown, "-5"},
      {TWsSpinType::sptHex, "0x1", Qt::Key_PageUp, "0x1"},
      {TWsSpinType::sptTime, "9:05:00", Qt::Key_Up, "9:20:00"},
      {TWsSpinType::sptTime, "9:05:00", Qt::Key_Down, "8:50:00"},
      {TWsSpinType::sptTime, "0:10:00", Qt::Key_Down, "0:10:00"},
      {TWsSpinType::sptTime, "0:10:00", Qt::Key_PageUp, "0:10:00"},
      {TWsSpinType::sptFloat, "1", Qt::Key_Up, "1.1"},
      {TWsSpinType::sptFloat, "1", Qt::Key_Down, "0.9"},
      {TWsSpinType::sptNormal, "12", Qt::Key_Delete, "2"},
      {TWsSpinType::sptHex, "0x12", Qt::Key_Delete, "0x12"},
  };
  for (const Case& c : cases) {
    TWsSpinEdit edit;
    edit.SetSpinType(c.type);
    edit.SetIncrementPage(5);
    edit.SetIncrementFloatPage(2.5);
    edit.SetIncrementHours(0);
    edit.SetIncrementMinutes(15);
    edit.setText(c.start);
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, c.key);
    EXPECT_EQ(edit.text(), c.expected) << c.start.toStdString() << " key " << c.key;
  }
}

}  // namespace
}  // namespace qmz
