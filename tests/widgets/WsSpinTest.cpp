#include <gtest/gtest.h>

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "widgets/WsSpin.h"
#include "util/MouseMove.h"
#include "widgets/WsThemeLib.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace qmz {
namespace {

// Sets the user's locale for one test.
class ScopedLocale {
 public:
  explicit ScopedLocale(const QLocale& locale) { QLocale::setDefault(locale); }
  ~ScopedLocale() { QLocale::setDefault(QLocale::c()); }
};

void LeaveField(QWidget* edit) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(edit, &out);
}

TEST(WsSpinEdit, UnreadableTextReadsAsTheMinimumAndRangesApplyWhenLeavingAndAfterLoading) {
  TWsSpinEdit edit;
  EXPECT_EQ(edit.text(), "0");
  edit.SetMinValue(3);
  edit.SetMinFloatValue(2.5);
  edit.setText("abc");
  EXPECT_EQ(edit.Value(), 3);
  EXPECT_EQ(edit.FloatValue(), 3.0);  // the integer minimum, not MinFloatValue
  edit.setText("");
  EXPECT_EQ(edit.FloatValue(), 3.0);
  edit.setText("99999999999");
  EXPECT_EQ(edit.Value(), 3);  // beyond 32 bits is no number
  // Leaving rewrites the text only when it clamps; a text that is no number stays as the player left it.
  constexpr TWsSpinType normal = TWsSpinType::sptNormal;
  constexpr TWsSpinType real = TWsSpinType::sptFloat;
  struct Case {
    TWsSpinType type;
    int min, max;  // the float kind takes them as its float bounds as well
    QString typed;
    QString shown;
  };
  const Case cases[] = {
      {normal, 0, 0, "-50", "-50"},   // no range
      {normal, 0, 0, "-", "-"},       // no range, no number
      {normal, 1, 10, "20", "10"},    // above the maximum
      {normal, 1, 10, "-3", "1"},     // below the minimum
      {normal, 1, 10, "", ""},        // no number reads as the minimum, in range ...
      {normal, 1, 0, "", "0"},        // ... or above a maximum below it
      {normal, 1, 0, "0", "1"},       // a maximum below the minimum: below it the minimum ...
      {normal, 1, 0, "5", "0"},       // ... above it the maximum
      {normal, 1, 0, "123456", "0"},  // ... however far
      {normal, 5, 3, "4", "5"},       // other inverted ranges likewise, below ...
      {normal, 5, 3, "7", "3"},       // ... and above
      {real, 0, 0, "", ""},           // an emptied money box
      {real, 0, 0, "-", "-"},         // a lone minus
      {real, 1, 10, "", ""},          // no number, in range as the minimum
      {real, 1, 10, "20", "10"},      // the float range
  };
  for (const Case& c : cases) {
    TWsSpinEdit box;
    box.SetSpinType(c.type);
    box.SetMinValue(c.min);
    box.SetMaxValue(c.max);
    box.SetMinFloatValue(c.min);
    box.SetMaxFloatValue(c.max);
    box.setText(c.typed);
    LeaveField(&box);
    EXPECT_EQ(box.text(), c.shown) << c.min << ".." << c.max << " typed " << c.typed.toStdString();
  }
  // A minimum of 1 over a maximum of 0 reads 1 after loading; Up then always gives 0, Down always 1.
  TWsSpinEdit box;
  box.BeginLoad();
  box.SetMinValue(1);
  box.SetMaxValue(0);
  box.SetValue(0);
  EXPECT_EQ(box.text(), "0");  // no range check while loading
  box.EndLoad();
  EXPECT_EQ(box.text(), "1");
  box.UpClick(nullptr);
  EXPECT_EQ(box.Value(), 0);
  box.UpClick(nullptr);
  EXPECT_EQ(box.FloatValue(), 0.0);
  box.DownClick(nullptr);
  EXPECT_EQ(box.text(), "1");
}

TEST(WsSpinEdit, FloatTextsFollowPrecisionAndLocale) {
  ScopedLocale locale(QLocale(QLocale::German, QLocale::Germany));
  TWsSpinEdit edit;
  edit.SetSpinType(TWsSpinType::sptFloat);
  edit.SetFloatValue(1000000);
  EXPECT_EQ(edit.text(), "1000000");
  edit.SetFloatValue(0.1);
  EXPECT_EQ(edit.text(), "0,1");
  edit.SetPrecision(2);
  EXPECT_EQ(edit.text(), "0,10");
  edit.SetPrecision(-1);
  edit.SetFloatValue(123456.0);
  EXPECT_EQ(edit.text(), "1,235E+0005");
  edit.setText("2,5");
  EXPECT_EQ(edit.FloatValue(), 2.5);
  edit.setText("2.5");  // not this locale's separator
  EXPECT_EQ(edit.FloatValue(), 0.0);
}

// ReadOnly stops the button steps and the plain arrow steps; the page keys and the smart steps step anyway.
TEST(WsSpinEdit, ReadOnlyEditRefusesButtonStepsOnlyAndTheKeyFilterFollowsTheSpinType) {
  TWsSpinEdit edit;
  edit.setText("7");
  edit.SetReadOnly(true);
  edit.UpClick(nullptr);
  QTest::keyClick(&edit, Qt::Key_Up);
  EXPECT_EQ(edit.text(), "7");
  QTest::keyClick(&edit, Qt::Key_PageUp);
  EXPECT_EQ(edit.text(), "17");
  edit.SetIncrementSmart(true);
  edit.setCursorPosition(2);
  QTest::keyClick(&edit, Qt::Key_Up);
  EXPECT_EQ(edit.text(), "18");
  edit.SetReadOnly(false);
  QTest::keyClick(&edit, Qt::Key_PageDown);
  EXPECT_EQ(edit.text(), "17");  // with IncrementSmart the page keys take the smart step: the units digit
  ScopedLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
  struct Case {
    TWsSpinType type;
    int precision;
    bool isSigned;
    QString start;
    const char* keys;
    QString expected;
  };
  const Case cases[] = {
      {TWsSpinType::sptNormal, 0, false, "", "12a.3", "123"}, {TWsSpinType::sptNormal, 0, false, "5", "-+", "5"},
      {TWsSpinType::sptNormal, 0, true, "5", "-", "-5"},      {TWsSpinType::sptNormal, 0, true, "5", "--", "5"},
      {TWsSpinType::sptFloat, 0, false, "", "1.5", "15"},      // Precision 0: no decimals
      {TWsSpinType::sptFloat, 2, false, "", "1,234", "1.23"},  // thousands typed as decimal, two decimals only
      {TWsSpinType::sptHex, 0, false, "0x", "1fG", "0x1f"},
  };
  for (const Case& c : cases) {
    TWsSpinEdit edit;
    edit.SetSpinType(c.type);
    edit.SetPrecision(c.precision);
    edit.SetSigned(c.isSigned);
    edit.setText(c.start);
    edit.end(false);
    QTest::keyClicks(&edit, c.keys);
    EXPECT_EQ(edit.text(), c.expected) << c.keys;
  }
}

// Alt+key sends no character; Ctrl+Alt and AltGr compose one, which the box's filter then judges.
TEST(WsSpinEdit, AltTypesNothingComposedCharactersPassTheFilterAndShortcutsStillWork) {
  struct Case {
    bool isFloat;
    char key;
    Qt::KeyboardModifiers modifiers;
    QString expected;
  };
  const Qt::KeyboardModifiers alt = Qt::AltModifier, ctrlAlt = Qt::ControlModifier | alt;
  const Qt::KeyboardModifiers altGr = Qt::GroupSwitchModifier;
  const Case cases[] = {
      {true, '7', alt, "5"},  // the money box: no "57"
      {false, '7', alt | Qt::ShiftModifier, "5"},
      {false, '-', alt, "5"},  // no sign toggle either
      {true, '7', ctrlAlt, "57"},
      {false, '@', ctrlAlt, "5"},  // AltGr+Q of a German keyboard
      {false, '7', altGr, "57"},
      {false, '7', altGr | alt, "57"},
      {false, 'y', altGr, "5"},
  };
  QWidget form;
  auto* edit = new TWsSpinEdit(&form);
  edit->SetSigned(true);
  form.show();
  QApplication::setActiveWindow(&form);
  edit->setFocus();
  for (const Case& c : cases) {
    edit->SetSpinType(c.isFloat ? TWsSpinType::sptFloat : TWsSpinType::sptNormal);
    edit->setText("5");
    edit->end(false);
    QTest::keyClick(edit, c.key, c.modifiers);
    EXPECT_EQ(edit->text(), c.expected) << c.key << " with modifiers " << c.modifiers.toInt();
  }
  int fired = 0;
  QObject::connect(new QShortcut(QKeySequence(QStringLiteral("Alt+X")), &form), &QShortcut::activated,
                   [&fired] { ++fired; });
  QTest::keyClick(edit, 'x', Qt::AltModifier);
  EXPECT_EQ(fired, 1);
  QTest::keyClick(edit, 'a', Qt::ControlModifier);
  EXPECT_EQ(edit->selectedText(), "5");
  QTest::keyClick(edit, 'c', Qt::ControlModifier);
  edit->end(false);
  QTest::keyClick(edit, 'v', Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "55");
}

TEST(WsSpinEdit, SmartStepTakesTheDigitLeftOfTheCaret) {
  struct Case {
    int caret;
    QString expected;
  };
  const Case cases[] = {{2, "133.45"}, {5, "123.55"}, {4, "124.45"}, {0, "123.95"}};
  for (const Case& c : cases) {
    TWsSpinEdit edit;
    edit.SetSpinType(TWsSpinType::sptFloat);
    edit.SetPrecision(2);
    edit.SetIncrementFloat(0.5);
    edit.SetIncrementSmart(true);
    edit.setText("123.45");
    edit.setCursorPosition(c.caret);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), c.expected) << "caret " << c.caret;
    EXPECT_EQ(edit.cursorPosition(), c.caret);
  }
}

TEST(WsSpinEdit, HexKeepsItsPrefixAndReadsDefensively) {
  TWsSpinEdit edit;
  edit.SetSpinType(TWsSpinType::sptHex);
  EXPECT_EQ(edit.text(), "0x0");
  edit.setText("0xFF");
  EXPECT_EQ(edit.HexValue(), 255);
  edit.UpClick(nullptr);
  EXPECT_EQ(edit.text(), "0x100");
  edit.setCursorPosition(2);
  QTest::keyClick(&edit, Qt::Key_Backspace);
  edit.setCursorPosition(0);
  QTest::keyClick(&edit, Qt::Key_Delete);
  edit.setSelection(2, 3);
  QTest::keyClick(&edit, Qt::Key_Backspace);  // over a selection too
  EXPECT_EQ(edit.text(), "0x100");
  const std::pair<QString, int> reads[] =
      {{"FF", 255}, {"0x", 0}, {"", 0}, {"0xFFFFFFFF", -1}, {"0x1FFFFFFFF0", int(0xFFFFFFF0u)}, {"0x12zz", 0x12}};
  for (const auto& [text, value] : reads) {
    edit.setText(text);
    EXPECT_EQ(edit.HexValue(), value) << text.toStdString();
  }
  edit.setText("0xFFFFFFFF");
  edit.UpClick(nullptr);
  EXPECT_EQ(edit.text(), "0x0");
}

// The field to step is the first, second or third by the caret; month-first formats put the month first.
TEST(WsSpinEdit, DateAndTimeStepTheFieldOfTheCaretAndNeverBelowZero) {
  struct Case {
    QLocale locale;
    int caret;
    QDate expected;
  };
  const QDate start(2024, 2, 29);
  const Case cases[] = {
      {QLocale(QLocale::German, QLocale::Germany), 0, QDate(2024, 3, 1)},         // dd.MM.yy: day
      {QLocale(QLocale::German, QLocale::Germany), 4, QDate(2024, 3, 29)},        // month
      {QLocale(QLocale::German, QLocale::Germany), 7, QDate(2025, 2, 28)},        // year, from 29 February
      {QLocale(QLocale::English, QLocale::UnitedStates), 0, QDate(2024, 3, 29)},  // M/d/yy: month first
      {QLocale(QLocale::English, QLocale::UnitedStates), 2, QDate(2024, 3, 1)},
      {QLocale(QLocale::Swedish, QLocale::Sweden), 0, QDate(2024, 3, 29)},  // yyyy-MM-dd: M before d, month first
      {QLocale(QLocale::Swedish, QLocale::Sweden), 5, QDate(2024, 3, 1)},   // then the day
      {QLocale(QLocale::Swedish, QLocale::Sweden), 8, QDate(2025, 2, 28)},  // the third is always the year
  };
  for (const Case& c : cases) {
    ScopedLocale locale(c.locale);
    TWsSpinEdit edit;
    edit.SetSpinType(TWsSpinType::sptDate);
    edit.SetDateValue(DateTimeFromQt(QDateTime(start, QTime())));
    edit.setCursorPosition(c.caret);
    edit.UpClick(nullptr);
    EXPECT_EQ(DateTimeToQt(edit.DateValue()).date(), c.expected)
        << c.locale.name().toStdString() << " caret " << c.caret << " text " << edit.text().toStdString();
  }
  ScopedLocale locale(QLocale::c());
  const struct {
    int minutes, caret;
    bool up;
    QString expected;
  } times[] = {{545, 0, true, "10:05:00"},
               {545, 3, true, "9:06:00"},
               {545, 6, true, "9:05:01"},
               {0, 6, false, "0:00:00"}};
  for (const auto& c : times) {
    TWsSpinEdit edit;
    edit.SetSpinType(TWsSpinType::sptTime);
    edit.SetTimeValue(c.minutes / 1440.0);
    edit.setCursorPosition(c.caret);
    c.up ? edit.UpClick(nullptr) : edit.DownClick(nullptr);
    EXPECT_EQ(edit.text(), c.expected) << c.caret;
  }
}

// A time without its second separator steps seconds behind the first one; ShowSeconds writes the stored time.
TEST(WsSpinEdit, TimeWithoutSecondsStepsSecondsAndShowSecondsWritesTheStoredTime) {
  ScopedLocale locale(QLocale::c());
  TWsSpinEdit edit;
  edit.SetSpinType(TWsSpinType::sptTime);
  edit.setText("9:05");
  edit.setCursorPosition(3);
  edit.UpClick(nullptr);
  EXPECT_EQ(edit.text(), "9:05:01");
  edit.SetTimeValue((9 * 3600 + 5 * 60 + 30) / 86400.0);
  edit.setText("11:00:00");  // typed, never stored
  edit.SetShowSeconds(false);
  EXPECT_EQ(edit.text(), "9:05");
}

// A box is never lower than its text needs.
TEST(WsSpinEdit, BoxKeepsItsMinimumHeight) {
  TWsSpinEdit edit;
  edit.show();
  const int fontHeight = QFontMetrics(edit.font()).height();
  const int minimum = fontHeight + qMin(QFontMetrics(QApplication::font()).height(), fontHeight) / 4 + 2 + 4;
  edit.resize(80, 5);
  EXPECT_EQ(edit.height(), minimum);
  edit.resize(80, minimum + 9);
  EXPECT_EQ(edit.height(), minimum + 9);
  // A layout that would make the box lower gives it its minimum, with the buttons at its right edge.
  QWidget form;
  auto* layout = new QFormLayout(&form);
  auto* boxed = new TWsSpinEdit(&form);
  layout->addRow(QStringLiteral("Level"), boxed);
  form.resize(240, 10);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  EXPECT_EQ(boxed->height(), minimum);
  EXPECT_GE(boxed->Button()->geometry().right(), boxed->width() - 6);
}

TEST(WsSpinEdit, EnterMovesOnWithReturnIsTabElseReachesOnKeyPress) {
  QWidget form;
  auto* edit = new TWsSpinEdit(&form);
  auto* next = new QLineEdit(&form);
  form.show();
  QApplication::setActiveWindow(&form);
  edit->setFocus();
  QChar seen;
  edit->OnKeyPress = [&](QWidget*, QChar& key) { seen = key; };
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(seen, QChar(13));
  EXPECT_TRUE(edit->hasFocus());
  edit->SetReturnIsTab(true);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(next->hasFocus());
}

TEST(WsSpinEdit, LabelStandsLeftOfTheEditAndFollowsEnabling) {
  QWidget form;
  auto* edit = new TWsSpinEdit(&form);
  edit->setGeometry(100, 50, 80, 22);
  edit->SetLabelCaption("Money");
  QLabel* label = edit->Label();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->parentWidget(), &form);
  const int tw = QFontMetrics(edit->LabelFont()).horizontalAdvance("Money");
  EXPECT_EQ(label->pos(), QPoint(100 - tw - 4, 50));
  edit->SetLabelPosition(TLabelPosition::lpTopLeft);
  EXPECT_EQ(label->pos(), QPoint(100, 50 - label->height() - 4));
  edit->setEnabled(false);
  EXPECT_FALSE(label->isEnabled());
  edit->SetLabelAlwaysEnabled(true);
  EXPECT_TRUE(label->isEnabled());
  edit->SetLabelAlwaysEnabled(false);
  EXPECT_TRUE(label->isEnabled()) << "switched off, the label stays as it is until the edit's Enabled changes";
  edit->setEnabled(true);
  edit->setEnabled(false);
  EXPECT_FALSE(label->isEnabled());
}

TEST(WsSpinEdit, ButtonHalvesStepAndHandTheFocusToTheEdit) {
  QWidget form;
  auto* other = new QLineEdit(&form);
  auto* edit = new TWsSpinEdit(&form);
  edit->setGeometry(0, 30, 80, 22);
  form.show();
  QApplication::setActiveWindow(&form);
  other->setFocus();
  edit->SetValue(41);
  TWsTimerSpeedButton* up = edit->Button()->UpButton();
  QTest::mouseClick(up, Qt::LeftButton, {}, up->rect().center());
  EXPECT_EQ(edit->Value(), 42);
  EXPECT_TRUE(edit->hasFocus());
  EXPECT_TRUE(edit->isModified());
  TWsTimerSpeedButton* down = edit->Button()->DownButton();
  QTest::mouseClick(down, Qt::LeftButton, {}, down->rect().center());
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(edit->Value(), 40);
}

// Tabbing into the edit selects the whole text only with AutoSelect; without it the caret stays where it was.
TEST(WsSpinEdit, TabIntoTheEditSelectsAllOnlyWithAutoSelect) {
  QWidget form;
  auto* other = new QLineEdit(&form);
  auto* edit = new TWsSpinEdit(&form);
  edit->setGeometry(0, 30, 80, 22);
  form.show();
  QApplication::setActiveWindow(&form);
  edit->SetValue(123);
  for (bool autoSelect : {true, false}) {
    edit->SetAutoSelect(autoSelect);
    edit->setCursorPosition(1);
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Tab);
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), autoSelect ? "123" : "") << autoSelect;
    EXPECT_EQ(edit->cursorPosition(), autoSelect ? 3 : 1) << autoSelect;
  }
}

// A held half repeats after a first interval, then every next; moved off the half it stops until release.
TEST(WsSpinButton, HeldHalfRepeatsOnlyWhileThePressIsOverItAndARepeatThatThrowsStopsTheTimer) {
  TWsSpinButton button;
  int ups = 0, downs = 0;
  button.OnUpClick = [&ups](QWidget*) { ++ups; };
  button.OnDownClick = [&downs](QWidget*) { ++downs; };
  TWsTimerSpeedButton* up = button.UpButton();
  QTest::mousePress(up, Qt::LeftButton, {}, up->rect().center());
  ASSERT_NE(up->RepeatTimer(), nullptr);
  EXPECT_TRUE(up->RepeatTimer()->isActive());
  EXPECT_EQ(up->RepeatTimer()->interval(), 400);
  for (int i = 0; i < 3; ++i) up->RepeatTick();
  EXPECT_EQ(up->RepeatTimer()->interval(), 100);
  EXPECT_EQ(ups, 3);
  QTest::mouseRelease(up, Qt::LeftButton, {}, up->rect().center());
  EXPECT_EQ(ups, 4);  // the release over the half is the ordinary click
  EXPECT_FALSE(up->RepeatTimer()->isActive());
  EXPECT_EQ(downs, 0);

  TWsTimerSpeedButton* down = button.DownButton();
  QTest::mousePress(down, Qt::LeftButton, {}, down->rect().center());
  down->RepeatTick();
  test::MoveMouse(down, {200, 200}, Qt::LeftButton);
  down->RepeatTick();
  down->RepeatTick();
  EXPECT_TRUE(down->RepeatTimer()->isActive());
  QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(200, 200));
  EXPECT_EQ(downs, 1);
  EXPECT_FALSE(down->RepeatTimer()->isActive());
  // A repeat that throws stops the timer and passes the error on.
  QTest::mousePress(up, Qt::LeftButton, {}, up->rect().center());
  button.OnUpClick = [](QWidget*) { throw std::runtime_error("step failed"); };
  EXPECT_THROW(up->RepeatTick(), std::runtime_error);
  EXPECT_FALSE(up->RepeatTimer()->isActive());
  button.OnUpClick = nullptr;
  QTest::mouseRelease(up, Qt::LeftButton, {}, up->rect().center());
}

TEST(WsSpinButton, InjectedIntervalsRepeatThroughTheEventLoop) {
  TWsSpinButton button;
  int ups = 0;
  button.OnUpClick = [&ups](QWidget*) { ++ups; };
  TWsTimerSpeedButton* up = button.UpButton();
  up->SetRepeatIntervals(1, 1);
  QTest::mousePress(up, Qt::LeftButton, {}, up->rect().center());
  for (int spins = 0; spins < 10000 && ups < 3; ++spins) QTest::qWait(1);
  QTest::mouseRelease(up, Qt::LeftButton, {}, up->rect().center());
  EXPECT_GE(ups, 4);
  EXPECT_EQ(up->RepeatTimer()->interval(), 1);
}

TEST(WsSpinButton, NarrowPairIsWidenedAndHalvesShareAMiddleLine) {
  TWsSpinButton button;
  button.resize(5, 25);
  EXPECT_EQ(button.width(), 15);
  EXPECT_EQ(button.UpButton()->geometry(), QRect(0, 0, 15, 12));
  EXPECT_EQ(button.DownButton()->geometry(), QRect(0, 11, 15, 14));
  button.SetDirection(TSpinDirection::spHorizontal);
  button.resize(5, 25);
  EXPECT_EQ(button.width(), 20);
  EXPECT_EQ(button.DownButton()->ButtonKind(), TWsTimerSpeedButton::KindHorzDown);
  EXPECT_EQ(button.UpButton()->geometry().left(), 11);
}

TEST(WsSpinButton, BuiltInGlyphsAreOliveFramedTrianglesAndThemedUnlessTheStyleIsClassic) {
  const QImage up = LoadSpinGlyph("WsSpinUp");
  const QImage down = LoadSpinGlyph("WsSpinDown");
  ASSERT_EQ(up.size(), QSize(9, 6));
  EXPECT_EQ(up.pixelColor(4, 1), QColor(Qt::black));  // pointing up and down, not swapped
  EXPECT_EQ(down.pixelColor(4, 4), QColor(Qt::black));
  EXPECT_TRUE(LoadSpinGlyph("Other").isNull());
  TWsSpinButton button;
  button.SetUpGlyph(QPixmap(18, 6));
  button.SetUpNumGlyphs(2);
  button.SetUpGlyph(QPixmap());
  EXPECT_EQ(button.UpNumGlyphs(), 1);
  EXPECT_EQ(button.UpGlyph().size(), QSize(9, 6));
  // The plain Windows style is the classic look: the buttons then paint their own bitmaps.
  const QString style = QApplication::style()->name();
  EXPECT_TRUE(IsThemeActive());
  TWsSpinButton plain;
  QImage themed(plain.size(), QImage::Format_ARGB32);
  plain.render(&themed);
  QApplication::setStyle(QStringLiteral("Windows"));
  EXPECT_FALSE(IsThemeActive());
  QImage classic(plain.size(), QImage::Format_ARGB32);
  plain.render(&classic);  // the olive-keyed glyph path
  QApplication::setStyle(style);
  EXPECT_NE(themed, classic);
  QPainter painter(&classic);
  ThemeData theme = OpenThemeData(&plain, "spin");
  EXPECT_FALSE(DrawThemeBackground(theme, painter, 7, spinstates::Normal, plain.rect()));
}

QImage Rendered(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32);
  image.fill(Qt::magenta);  // what the control leaves unpainted must compare equal too
  widget.render(&image);
  return image;
}

// Bound when the application starts, once however often asked, and freed at exit; unbound, the classic look.
TEST(WsThemeLib, BindsOnceAtStartUpAndTheSpinButtonsDrawThroughAnOpenedHandle) {
  EXPECT_TRUE(ThemeLibraryLoaded());
  InitThemeLibrary();
  TWsSpinButton button;
  const QImage themed = Rendered(button);
  ThemeData theme = OpenThemeData(&button, "spin");
  ASSERT_TRUE(bool(theme));
  QImage drawn(button.size(), QImage::Format_ARGB32);
  QPainter painter(&drawn);
  EXPECT_TRUE(DrawThemeBackground(theme, painter, spinparts::Up, spinstates::Normal, button.rect()));
  CloseThemeData(theme);
  EXPECT_FALSE(DrawThemeBackground(theme, painter, spinparts::Up, spinstates::Normal, button.rect()));
  FreeThemeLibrary();
  EXPECT_FALSE(ThemeLibraryLoaded());
  EXPECT_FALSE(bool(OpenThemeData(&button, "spin")));
  EXPECT_NE(Rendered(button), themed) << "classic while unbound, though a style is active";
  InitThemeLibrary();
  EXPECT_EQ(Rendered(button), themed);
}

// Themed halves have no disabled look; a press hands the focus to the spin button when its focus control
// already has it.
TEST(WsSpinButton, DisabledThemedHalvesLookNormalAndAPressFocusesTheButtonWhenItsControlHasTheFocus) {
  TWsSpinButton button;
  const QImage normal = Rendered(button);
  button.setEnabled(false);
  EXPECT_EQ(Rendered(button), normal);

  QWidget form;
  auto* edit = new QLineEdit(&form);
  auto* pair = new TWsSpinButton(&form);
  pair->move(0, 40);
  pair->SetFocusControl(edit);
  pair->SetTabStop(true);
  form.show();
  QApplication::setActiveWindow(&form);
  pair->setFocus();
  QTest::mouseClick(pair->UpButton(), Qt::LeftButton);
  EXPECT_TRUE(edit->hasFocus()) << "the focus control takes the focus it lacks";
  QTest::mouseClick(pair->DownButton(), Qt::LeftButton);
  EXPECT_TRUE(pair->hasFocus());
  EXPECT_EQ(pair->FocusedButton(), pair->DownButton());
}

}  // namespace
}  // namespace qmz
