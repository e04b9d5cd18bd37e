#pragma once
#include <string>

namespace qmz::platform {

// A point of local wall-clock time, broken down.
struct LocalDateTime {
  int Year = 1899;
  int Month = 12;
  int Day = 30;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

LocalDateTime LocalNow();

// "yyyy-mm-dd hh:mm:ss", 24-hour clock. The time separator is always ':' whatever the locale,
// so journal lines look the same on every machine.
std::string FormatTimeStamp(const LocalDateTime& t);

// "yyyy-mm-dd".
std::string FormatDate(const LocalDateTime& t);

// The time as days since 30 December 1899 with the time of day as fraction (the date format of
// stored records).
double ToDateTime(const LocalDateTime& t);

// The inverse of ToDateTime, to the nearest millisecond. Values beyond the years 1 to 9999 are clamped
// to them; a value that is not a number gives 30 December 1899.
LocalDateTime FromDateTime(double dateTime);

}  // namespace qmz::platform
