#include "platform/LocalTime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace qmz::platform {

LocalDateTime LocalNow() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  return {tm.tm_year + 1900,
          tm.tm_mon + 1,
          tm.tm_mday,
          tm.tm_hour,
          tm.tm_min,
          tm.tm_sec,
          static_cast<int>(ts.tv_nsec / 1000000)};
}

std::string FormatDate(const LocalDateTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.Year, t.Month, t.Day);
  return buf;
}

std::string FormatTimeStamp(const LocalDateTime& t) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.Hour, t.Minute, t.Second);
  return FormatDate(t) + ' ' + buf;
}

double ToDateTime(const LocalDateTime& t) {
  using namespace std::chrono;
  const sys_days day{year{t.Year} / month{static_cast<unsigned>(t.Month)} /
                     std::chrono::day{static_cast<unsigned>(t.Day)}};
  const sys_days epoch{year{1899} / December / 30};
  const double days = static_cast<double>((day - epoch).count());
  const double ms = ((t.Hour * 60.0 + t.Minute) * 60.0 + t.Second) * 1000.0 + t.Millisecond;
  return days + ms / 86400000.0;
}

LocalDateTime FromDateTime(double dateTime) {
  using namespace std::chrono;
  // Outside 0001-01-01 .. 9999-12-31 (or not a number at all) no date exists; clamping keeps the
  // conversions below defined for any stored value.
  constexpr double kFirstDay = -693593.0, kLastDay = 2958465.0;
  dateTime = std::isfinite(dateTime) ? std::clamp(dateTime, kFirstDay, kLastDay + 86399999.0 / 86400000.0) : 0.0;
  const double total = std::round(dateTime * 86400000.0);
  auto days = static_cast<long long>(std::floor(total / 86400000.0));
  auto ms = static_cast<long long>(total - double(days) * 86400000.0);
  const year_month_day ymd{sys_days{year{1899} / December / 30} + std::chrono::days{days}};
  LocalDateTime t;
  t.Year = int(ymd.year());
  t.Month = int(unsigned(ymd.month()));
  t.Day = int(unsigned(ymd.day()));
  t.Hour = int(ms / 3600000);
  t.Minute = int(ms / 60000 % 60);
  t.Second = int(ms / 1000 % 60);
  t.Millisecond = int(ms % 1000);
  return t;
}

}  // namespace qmz::platform
