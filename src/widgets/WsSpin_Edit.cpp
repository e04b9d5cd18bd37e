// TWsSpinEdit: construction, value access and stepping.
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <cmath>
#include <cstdint>
#include <limits>

#include "widgets/WsSpin.h"
#include "widgets/WsSpin_Locale.h"

namespace qmz {

namespace {

constexpr qint64 kMsPerDay = 86400000;
const QDate kDateBase(1899, 12, 30);

int Saturate(qint64 value) {
  return int(qBound<qint64>(qint64(std::numeric_limits<int>::min()), value, qint64(std::numeric_limits<int>::max())));
}

qint64 TimeOfDayMs(TDateTime value) {
  const double fraction = std::fabs(value - std::trunc(value));
  return qBound<qint64>(0, qint64(std::llround(fraction * kMsPerDay)), kMsPerDay - 1);
}

TDateTime Compose(qint64 days, qint64 ms) {
  const double fraction = double(ms) / kMsPerDay;
  return days < 0 ? double(days) - fraction : double(days) + fraction;
}

// Day, month and year in the locale's field order; two numbers mean this year. Two-digit years fall within
// fifty years around today.
std::optional<QDate> ParseDate(const QString& text) {
  QList<QString> numbers;
  QString current;
  for (QChar c : text.trimmed() + QLatin1Char(' ')) {
    if (c.isDigit()) {
      current += c;
    } else if (!current.isEmpty()) {
      numbers << current;
      current.clear();
    }
  }
  if (numbers.size() < 2 || numbers.size() > 3 || numbers.back().size() > 4) return std::nullopt;
  const QDate today = QDate::currentDate();
  int day = 0, month = 0, year = today.year();
  int index = 0;
  for (spinlocale::DateField field : spinlocale::DateFieldOrder()) {
    if (field == spinlocale::DateField::Year && numbers.size() == 2) continue;
    const QString& digits = numbers[index++];
    if (digits.size() > 4) return std::nullopt;
    int n = digits.toInt();
    if (field == spinlocale::DateField::Day) {
      day = n;
    } else if (field == spinlocale::DateField::Month) {
      month = n;
    } else {
      if (digits.size() <= 2) {
        const int base = today.year() - 50;
        n += base / 100 * 100;
        if (n < base) n += 100;
      }
      year = n;
    }
  }
  const QDate date(year, month, day);
  if (!date.isValid()) return std::nullopt;
  return date;
}

// Hours, minutes and optional seconds separated by the locale's time separator.
std::optional<qint64> ParseTime(const QString& text, QChar separator) {
  const QStringList parts = text.trimmed().split(separator);
  if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
  qint64 limits[3] = {23, 59, 59};
  qint64 ms = 0;
  for (int i = 0; i < parts.size(); ++i) {
    const std::optional<int> n = spinlocale::ParseInt(parts[i]);
    if (!n || *n < 0 || *n > limits[i] || parts[i].trimmed().startsWith(QLatin1Char('+'))) return std::nullopt;
    ms += qint64(*n) * (i == 0 ? 3600000 : i == 1 ? 60000 : 1000);
  }
  return ms;
}

}  // namespace

TDateTime DateTimeFromQt(const QDateTime& value) {
  return Compose(kDateBase.daysTo(value.date()), value.time().msecsSinceStartOfDay());
}

QDateTime DateTimeToQt(TDateTime value) {
  // Years 1 to 9999 are all a date can show; anything beyond (or no number) is held at those ends.
  constexpr double kFirstDay = -693593;
  constexpr double kLastDay = 2958465.99998;
  value = std::isfinite(value) ? qBound(kFirstDay, value, kLastDay) : 0.0;
  return QDateTime(kDateBase.addDays(qint64(std::trunc(value))),
                   QTime::fromMSecsSinceStartOfDay(int(TimeOfDayMs(value))));
}

TWsSpinEdit::TWsSpinEdit(QWidget* parent) : QLineEdit(parent) {
  button_ = new TWsSpinButton(this);
  button_->resize(15, 17);
  button_->SetFocusControl(this);
  button_->OnUpClick = [this](QWidget* sender) { UpClick(sender); };
  button_->OnDownClick = [this](QWidget* sender) { DownClick(sender); };
  labelFont_ = QApplication::font();
  setText(QStringLiteral("0"));
  normalPalette_ = palette();
  monthFirst_ = spinlocale::MonthFirst();
  ApplyMinHeight();
  ApplyEditRect();
  PlaceButton();
}

TWsSpinEdit::~TWsSpinEdit() { delete label_; }

void TWsSpinEdit::EndLoad() {
  if (!loading_) return;
  loading_ = false;
  normalPalette_ = palette();
  switch (spinType_) {
    case TWsSpinType::sptDate:
      setText(QLocale().toString(DateTimeToQt(dateValue_).date(), QLocale::ShortFormat));
      break;
    case TWsSpinType::sptTime:
      SetTimeValue(timeValue_);
      break;
    case TWsSpinType::sptHex:
      SetHexValue(hexValue_);
      break;
    default:
      break;
  }
  ReformatValue();
  SetFlat(!flat_);
  SetFlat(!flat_);
  PlaceButton();
  UpdateLabel();
  ComputeMonthFirst();
  if (!isEnabled() && label_ != nullptr && !labelAlwaysEnabled_) label_->setEnabled(false);
}

// ----- ranges ---------------------------------------------------------------------------------------------

int TWsSpinEdit::ClampValue(int value) const {
  if (minValue_ == 0 && maxValue_ == 0) return value;
  if (value < minValue_) return minValue_;
  if (value > maxValue_) return maxValue_;
  return value;
}

double TWsSpinEdit::ClampFloatValue(double value) const {
  if (maxFloatValue_ == minFloatValue_) return value;
  if (value < minFloatValue_) return minFloatValue_;
  if (value > maxFloatValue_) return maxFloatValue_;
  return value;
}

TDateTime TWsSpinEdit::ClampDateValue(TDateTime value) const {
  if (maxDateValue_ == minDateValue_) return value;
  if (value < minDateValue_) return minDateValue_;
  if (value > maxDateValue_) return maxDateValue_;
  return value;
}

// ----- value access ---------------------------------------------------------------------------------------

int TWsSpinEdit::Value() const { return spinlocale::ParseInt(text()).value_or(minValue_); }

void TWsSpinEdit::SetValue(int value) {
  setText(QString::number(loading_ ? value : ClampValue(value)));
  if (!editorEnabled_ && autoSelect_) selectAll();
}

// An unreadable text reads as the integer minimum, also here: the level box (minimum 1) is read as a float.
double TWsSpinEdit::FloatValue() const { return spinlocale::ParseFloat(text()).value_or(double(minValue_)); }

void TWsSpinEdit::SetFloatValue(double value) {
  setText(spinlocale::FormatFloat(loading_ ? value : ClampFloatValue(value), precision_));
}

TDateTime TWsSpinEdit::DateValue() const {
  const QString t = text();
  if (t.isEmpty() || t == QLatin1String("0")) return DateTimeFromQt(QDateTime::currentDateTime());
  const std::optional<QDate> date = ParseDate(t);
  if (!date) return minDateValue_;
  return Compose(kDateBase.daysTo(*date), TimeOfDayMs(dateValue_));
}

void TWsSpinEdit::SetDateValue(TDateTime value) {
  dateValue_ = value;
  if (loading_) return;
  dateValue_ = ClampDateValue(value);
  const int caret = cursorPosition();
  setText(QLocale().toString(DateTimeToQt(dateValue_).date(), QLocale::ShortFormat));
  setCursorPosition(qMin(caret, int(text().size())));
}

TDateTime TWsSpinEdit::TimeValue() const {
  const QChar separator = spinlocale::Current().time;
  const QString t = showSeconds_ ? text() : text() + separator + QStringLiteral("00");
  const std::optional<qint64> ms = ParseTime(t, separator);
  if (!ms) return 0;
  return Compose(qint64(std::trunc(timeValue_)), *ms);
}

void TWsSpinEdit::SetTimeValue(TDateTime value) {
  timeValue_ = value;
  if (loading_) return;
  const QChar separator = spinlocale::Current().time;
  const qint64 ms = TimeOfDayMs(value);
  QString t = QString::number(ms / 3600000) + separator +
              QStringLiteral("%1").arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'));
  if (showSeconds_) t += separator + QStringLiteral("%1").arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'));
  const int caret = cursorPosition();
  setText(t);
  setCursorPosition(qMin(caret, int(t.size())));
}

int TWsSpinEdit::HexValue() const {
  // Digits after the "0x" prefix when there is one; reading stops at the first non-digit, and the value
  // keeps its low 32 bits, so no text overflows it.
  QString t = text().trimmed();
  if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) t = t.mid(2);
  std::uint32_t result = 0;
  for (QChar c : t) {
    const char16_t u = c.toLower().unicode();
    std::uint32_t digit = 0;
    if (u >= u'0' && u <= u'9') digit = u - u'0';
    else if (u >= u'a' && u <= u'f') digit = u - u'a' + 10;
    else break;
    result = (result << 4) | digit;
  }
  return int(result);
}

void TWsSpinEdit::SetHexValue(int value) {
  hexValue_ = value;
  if (loading_) return;
  setText(QStringLiteral("0x") + QString::number(std::uint32_t(value), 16).toUpper());
}

void TWsSpinEdit::SetSpinType(TWsSpinType value) {
  if (spinType_ == value) return;
  spinType_ = value;
  if (!loading_) ReformatValue();
}

void TWsSpinEdit::ReformatValue() {
  switch (spinType_) {
    case TWsSpinType::sptNormal:
      SetValue(Value());
      break;
    case TWsSpinType::sptFloat:
      SetFloatValue(FloatValue());
      break;
    case TWsSpinType::sptDate:
      SetDateValue(DateValue());
      break;
    case TWsSpinType::sptTime:
      SetTimeValue(TimeValue());
      break;
    case TWsSpinType::sptHex:
      SetHexValue(HexValue());
      break;
  }
}

void TWsSpinEdit::SetPrecision(int value) {
  if (precision_ == value) return;
  precision_ = value;
  if (spinType_ == TWsSpinType::sptFloat && !loading_) SetFloatValue(FloatValue());
}

void TWsSpinEdit::SetShowSeconds(bool value) {
  if (showSeconds_ == value) return;
  showSeconds_ = value;
  if (spinType_ == TWsSpinType::sptTime) SetTimeValue(timeValue_);
}

void TWsSpinEdit::ComputeMonthFirst() { monthFirst_ = spinlocale::MonthFirst(); }

// ----- stepping ---------------------------------------------------------------------------------------------

int TWsSpinEdit::SelStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

void TWsSpinEdit::RestoreCaret(int caret, int selLength) {
  caret = qBound(0, caret, int(text().size()));
  if (selLength > 0) setSelection(caret, qMin(selLength, int(text().size()) - caret));
  else setCursorPosition(caret);
}

void TWsSpinEdit::Beep() const { QApplication::beep(); }

void TWsSpinEdit::UpClick(QObject*) { Step(true); }
void TWsSpinEdit::DownClick(QObject*) { Step(false); }

void TWsSpinEdit::Step(bool up) {
  const QString oldText = text();
  const int caret = SelStart();
  const int selLength = int(selectedText().size());
  ComputeMonthFirst();
  if (readOnly_) {
    Beep();
    return;
  }
  const int sign = up ? 1 : -1;
  switch (spinType_) {
    case TWsSpinType::sptNormal:
      if (incrementSmart_) SmartStep(up);
      else SetValue(Saturate(qint64(Value()) + sign * qint64(increment_)));
      break;
    case TWsSpinType::sptFloat:
      if (incrementSmart_) SmartStep(up);
      else SetFloatValue(FloatValue() + sign * incrementFloat_);
      break;
    case TWsSpinType::sptDate:
      StepDate(up);
      break;
    case TWsSpinType::sptTime:
      StepTime(up);
      break;
    case TWsSpinType::sptHex:
      SetHexValue(int(std::uint32_t(HexValue()) + std::uint32_t(sign * qint64(increment_))));
      break;
  }
  FinishStep(oldText, caret, selLength);
}

void TWsSpinEdit::FinishStep(const QString& oldText, int caret, int selLength) {
  const QString newText = text();
  if (newText != oldText) setModified(true);
  const bool hadMinus = oldText.contains(QLatin1Char('-'));
  const bool hasMinus = newText.contains(QLatin1Char('-'));
  if (hadMinus && !hasMinus) --caret;
  else if (!hadMinus && hasMinus) ++caret;
  RestoreCaret(caret, selLength);
}

// One unit of the digit left of the caret; at the start of the number the ordinary increment.
void TWsSpinEdit::SmartStep(bool up) {
  if (spinType_ != TWsSpinType::sptNormal && spinType_ != TWsSpinType::sptFloat) return;
  const QString t = text();
  const int length = int(t.size());
  const int caret = SelStart();
  const int right = length - caret;
  const int separatorAt = int(t.indexOf(spinlocale::Current().decimal)) + 1;
  int decimals = length - separatorAt;
  const bool isFloat = spinType_ == TWsSpinType::sptFloat;
  double amount = 0;
  if (caret == 0 || (t.contains(QLatin1Char('-')) && caret == 1)) {
    amount = isFloat ? incrementFloat_ : increment_;
  } else {
    if (separatorAt == 0) decimals = -1;
    if (right < decimals) {
      if (!isFloat) return;
      amount = std::pow(10.0, -(decimals - right));
    } else {
      const int exponent = right - decimals - 1;
      amount = exponent < 1 ? 1.0 : std::pow(10.0, qMin(exponent, 18));
    }
  }
  StepBy(up ? amount : -amount);
}

void TWsSpinEdit::StepBy(double amount) {
  if (spinType_ == TWsSpinType::sptFloat) {
    SetFloatValue(FloatValue() + amount);
  } else {
    const double sum = double(Value()) + amount;
    SetValue(Saturate(qint64(qBound(-9.0e18, sum, 9.0e18))));
  }
}

bool TWsSpinEdit::CaretBeforeFirstSeparator(const QString& separator, int& p1, int& p2) const {
  const QString t = text();
  p1 = int(t.indexOf(separator)) + 1;
  p2 = p1 > 0 ? int(t.indexOf(separator, p1)) + 1 : 0;
  return SelStart() < p1;
}

void TWsSpinEdit::StepDate(bool up) {
  const int sign = up ? 1 : -1;
  int p1 = 0, p2 = 0;
  const bool first = CaretBeforeFirstSeparator(QString(spinlocale::Current().date), p1, p2);
  const int caret = SelStart();
  // First and second field are month and day in the order of MonthFirst; the third is always the year.
  const int fieldIndex = first ? 0 : p2 > caret ? 1 : 2;
  spinlocale::DateField field = spinlocale::DateField::Year;
  if (fieldIndex < 2) {
    const bool month = (fieldIndex == 0) == monthFirst_;
    field = month ? spinlocale::DateField::Month : spinlocale::DateField::Day;
  }
  const TDateTime current = DateValue();
  const QDateTime dt = DateTimeToQt(current);
  switch (field) {
    case spinlocale::DateField::Day:
      SetDateValue(current + sign);
      break;
    case spinlocale::DateField::Month:
      SetDateValue(DateTimeFromQt(dt.addMonths(sign)));
      break;
    case spinlocale::DateField::Year:
      // 29 February steps to 28 February of a year without one; the time of day is dropped.
      SetDateValue(double(kDateBase.daysTo(dt.date().addYears(sign))));
      break;
  }
}

void TWsSpinEdit::StepTime(bool up) {
  int p1 = 0, p2 = 0;
  const bool first = CaretBeforeFirstSeparator(QString(spinlocale::Current().time), p1, p2);
  const int caret = SelStart();
  double amount = 0;
  if (first) amount = incrementHours_ != 0 ? incrementHours_ / 24.0 : incrementMinutes_ / 1440.0;
  // Without a second separator (p2 = 0) everything behind the first one is the seconds' field.
  else if (p2 <= caret && showSeconds_) amount = 1 / 86400.0;
  else amount = incrementMinutes_ / 1440.0;
  const TDateTime current = TimeValue();
  if (up) {
    SetTimeValue(current + amount);
  } else if (current >= amount - 1e-9) {
    SetTimeValue(current - amount);
  }
}

}  // namespace qmz
