#include "widgets/WsSpin_Locale.h"

#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace qmz::spinlocale {

namespace {

QChar FirstSeparator(const QString& format, QChar fallback) {
  bool quoted = false;
  for (QChar c : format) {
    if (c == QLatin1Char('\'')) {
      quoted = !quoted;
      continue;
    }
    if (!quoted && !c.isLetter() && !c.isSpace()) return c;
  }
  return fallback;
}

QChar SingleChar(const QString& text, QChar fallback) { return text.size() == 1 ? text.at(0) : fallback; }

// Digits of |value| rounded to `significant` digits and the decimal exponent of the first one.
void Digits(double value, int significant, std::string& digits, int& exponent) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific,
                                    significant - 1);
  const std::string text(buffer, result.ptr);
  const std::size_t e = text.find('e');
  digits.clear();
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') digits += text[i];
  }
  exponent = std::stoi(text.substr(e + 1));
}

QString General(double value, int precision, int expDigits, QChar decimal) {
  if (value == 0) return QStringLiteral("0");
  std::string digits;
  int exponent = 0;
  Digits(value, precision, digits, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  QString out = value < 0 ? QStringLiteral("-") : QString();
  const int pointAt = exponent + 1;  // digits before the decimal mark
  if (pointAt > precision || pointAt < -3) {
    out += QLatin1Char(digits[0]);
    if (digits.size() > 1) out += decimal + QString::fromLatin1(digits.substr(1));
    QString exp = QString::number(std::abs(exponent));
    while (exp.size() < expDigits) exp.prepend(QLatin1Char('0'));
    out += QString(QLatin1Char('E')) + QLatin1Char(exponent < 0 ? '-' : '+') + exp;
    return out;
  }
  if (pointAt <= 0) {
    out += QLatin1Char('0') + QString(decimal) + QString(-pointAt, QLatin1Char('0')) + QString::fromLatin1(digits);
    return out;
  }
  const std::string whole = digits.size() > std::size_t(pointAt) ? digits.substr(0, pointAt)
                                                                 : digits + std::string(pointAt - digits.size(), '0');
  out += QString::fromLatin1(whole);
  if (digits.size() > std::size_t(pointAt)) out += decimal + QString::fromLatin1(digits.substr(pointAt));
  return out;
}

}  // namespace

Separators Current() {
  const QLocale locale;
  Separators s;
  s.decimal = SingleChar(locale.decimalPoint(), QLatin1Char('.'));
  s.thousands = SingleChar(locale.groupSeparator(), QLatin1Char(','));
  s.date = FirstSeparator(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
  s.time = FirstSeparator(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
  return s;
}

QString ShortDateFormat() { return QLocale().dateFormat(QLocale::ShortFormat); }

std::array<DateField, 3> DateFieldOrder() {
  std::array<DateField, 3> order{DateField::Day, DateField::Month, DateField::Year};
  int count = 0;
  bool seen[3] = {false, false, false};
  for (QChar c : ShortDateFormat()) {
    int field = -1;
    if (c == QLatin1Char('d')) field = 0;
    else if (c == QLatin1Char('M')) field = 1;
    else if (c == QLatin1Char('y')) field = 2;
    if (field < 0 || seen[field] || count == 3) continue;
    seen[field] = true;
    order[count++] = DateField(field);
  }
  if (count != 3) return {DateField::Day, DateField::Month, DateField::Year};
  return order;
}

bool MonthFirst() {
  const QString upper = ShortDateFormat().toUpper();
  const int m = upper.indexOf(QLatin1Char('M'));
  const int d = upper.indexOf(QLatin1Char('D'));
  return m >= 0 && (d < 0 || m < d);
}

std::optional<int> ParseInt(const QString& text) {
  const std::string s = text.trimmed().toStdString();
  if (s.empty()) return std::nullopt;
  const std::size_t start = s[0] == '+' ? 1 : 0;
  if (start == 1 && (s.size() == 1 || s[1] == '-')) return std::nullopt;
  std::int64_t value = 0;
  const auto result = std::from_chars(s.data() + start, s.data() + s.size(), value);
  if (result.ec != std::errc() || result.ptr != s.data() + s.size()) return std::nullopt;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return int(value);
}

std::optional<double> ParseFloat(const QString& text) {
  const QChar decimal = Current().decimal;
  QString t = text.trimmed();
  if (decimal != QLatin1Char('.')) {
    if (t.contains(QLatin1Char('.'))) return std::nullopt;
    t.replace(decimal, QLatin1Char('.'));
  }
  std::string s = t.toStdString();
  if (s.empty()) return std::nullopt;
  std::size_t start = 0;
  if (s[0] == '+') start = 1;
  if (start < s.size() && (s[start] == '+' || s[start] == ' ')) return std::nullopt;
  double value = 0;
  const auto result = std::from_chars(s.data() + start, s.data() + s.size(), value);
  if (result.ec != std::errc() || result.ptr != s.data() + s.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

QString FormatFloat(double value, int precision) {
  const QChar decimal = Current().decimal;
  if (!std::isfinite(value)) return QStringLiteral("0");
  if (precision < 0) return General(value, 4, 4, decimal);
  if (precision == 0) return General(value, 15, 0, decimal);
  if (value == 0) return QStringLiteral("0") + decimal + QString(precision, QLatin1Char('0'));
  std::string digits;
  int exponent = 0;
  Digits(value, 15, digits, exponent);
  if (exponent + 1 > 15) return General(value, 15, 0, decimal);
  // Rounded to 15 significant digits first, then shown with the requested decimals.
  const std::string roundedText = std::string(value < 0 ? "-" : "") + digits.substr(0, 1) + "." + digits.substr(1) +
                                  "e" + std::to_string(exponent);
  double rounded = value;
  std::from_chars(roundedText.data(), roundedText.data() + roundedText.size(), rounded);
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed,
                                    qMin(precision, 30));
  QString out = QString::fromLatin1(buffer, int(result.ptr - buffer));
  if (precision > 30) out += QString(precision - 30, QLatin1Char('0'));
  out.replace(QLatin1Char('.'), decimal);
  return out;
}

}  // namespace qmz::spinlocale
