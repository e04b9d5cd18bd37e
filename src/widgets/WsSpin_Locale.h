#pragma once
// The user's number, date and time conventions as the spin edit reads and writes them (from QLocale()).

#include <QChar>
#include <QString>
#include <array>
#include <optional>

namespace qmz::spinlocale {

enum class DateField { Day, Month, Year };

struct Separators {
  QChar decimal;
  QChar thousands;
  QChar date;
  QChar time;
};

Separators Current();
QString ShortDateFormat();
// The order of day, month and year in the short date format.
std::array<DateField, 3> DateFieldOrder();
// True when, upper-cased, the first "M" of the short date format stands before the first "D".
bool MonthFirst();

// Decimal integer with optional sign and surrounding blanks, within 32 bits.
std::optional<int> ParseInt(const QString& text);
// A number with the locale's decimal separator (no thousands separators, exponent allowed); finite only.
std::optional<double> ParseFloat(const QString& text);
// Float texts: Precision < 0 general with 4 digits and a 4-digit exponent, 0 shortest (15 digits),
// > 0 fixed with that many decimals (15 significant digits).
QString FormatFloat(double value, int precision);

}  // namespace qmz::spinlocale
