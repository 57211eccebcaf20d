#include "library/expiry_text.h"

#include <cmath>
#include <cstdio>

namespace zolt {
namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kSpanDaysPerMinute = 0.0006954;
constexpr char kUntilMidnight[] = " 11:55 PM \n";

}  // namespace

std::string ExpiryText(const LocalTime& sale_time, int32_t pin_expiry) {
  if (pin_expiry == 0) return kUntilMidnight;
  const double sale_seconds =
      sale_time.hour * 3600.0 + sale_time.minute * 60.0 + sale_time.second;
  // The end time is rounded to the whole second, as a date value turns into
  // hours, minutes and seconds.
  const double end = std::floor(
      sale_seconds + (pin_expiry - 5) * kSpanDaysPerMinute * kSecondsPerDay +
      0.5);
  if (end >= kSecondsPerDay || end < 0) return kUntilMidnight;
  const int total = static_cast<int>(end);
  const int hour = total / 3600;
  const int minute = (total / 60) % 60;
  const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%02d:%02d %s \n", hour12, minute,
                hour < 12 ? "AM" : "PM");
  return buf;
}

}  // namespace zolt
