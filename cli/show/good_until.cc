#include "cli/show/good_until.h"

#include <cstdio>
#include <cstring>

#include "library/expiry_text.h"

namespace zolt::cli {
namespace {

// Days since 0001-01-01 (proleptic Gregorian), for differences.
long DayNumber(int y, int m, int d) {
  if (m < 3) {
    --y;
    m += 12;
  }
  return 365L * y + y / 4 - y / 100 + y / 400 + (153 * (m - 3) + 2) / 5 + d;
}

}  // namespace

LocalTime GoodUntil(const LocalTime& sale, int32_t pin_expiry) {
  LocalTime until = sale;
  until.second = 0;
  int hour = 23, minute = 55;
  char half[3] = {};
  const std::string text = ExpiryText(sale, pin_expiry);
  if (std::sscanf(text.c_str(), " %d:%d %2s", &hour, &minute, half) == 3) {
    hour %= 12;
    if (std::strcmp(half, "PM") == 0) hour += 12;
  }
  until.hour = hour;
  until.minute = minute;
  return until;
}

long MinutesBetween(const LocalTime& a, const LocalTime& b) {
  const long days = DayNumber(b.year, b.month, b.day) -
                    DayNumber(a.year, a.month, a.day);
  return days * 1440 + (b.hour * 60 + b.minute) - (a.hour * 60 + a.minute);
}

}  // namespace zolt::cli
