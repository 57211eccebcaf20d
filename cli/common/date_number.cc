#include "cli/common/date_number.h"

namespace zolt::cli {

int32_t DateNumber(const LocalTime& t) {
  return t.year * 10000 + t.month * 100 + t.day;
}

LocalTime FromDateNumber(int32_t yyyymmdd, int hour, int minute) {
  LocalTime t;
  t.year = yyyymmdd / 10000;
  t.month = yyyymmdd / 100 % 100;
  t.day = yyyymmdd % 100;
  t.hour = hour;
  t.minute = minute;
  return t;
}

}  // namespace zolt::cli
