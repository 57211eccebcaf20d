#include "tests/reliability/station.h"

#include <fstream>

#include "library/settings.h"
#include "platform/testing/test_env.h"

namespace zolt::reliability {

std::string SettingsText(const std::string& data_folder, int32_t expiry) {
  return "[Preferences]\r\nVendor=" + std::to_string(kVendor) +
         "\r\nLocation=" + std::to_string(kLocation) +
         "\r\nSeason=" + std::to_string(kSeason) +
         "\r\nPINcrypt=" + std::to_string(kPinCrypt) +
         "\r\nPINExpiry=" + std::to_string(expiry) +
         "\r\nPathtopintable=" + data_folder + "\r\n";
}

void WriteSettingsFile(const std::string& station_folder,
                       const std::string& data_folder, int32_t expiry) {
  std::ofstream out(station_folder + "/OstrelZOLTDLL.dta", std::ios::binary);
  out << SettingsText(data_folder, expiry);
}

int32_t DateNumber(const LocalTime& t) {
  return t.year * 10000 + t.month * 100 + t.day;
}

LocalTime FromDateNumber(int32_t yyyymmdd, int hour, int minute) {
  return At(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100, hour,
            minute);
}

LocalTime NextDay(const LocalTime& t) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  const bool leap = t.year % 4 == 0;  // enough for 2001..2015
  int last = kDays[t.month - 1] + (t.month == 2 && leap ? 1 : 0);
  LocalTime next = t;
  if (++next.day > last) {
    next.day = 1;
    if (++next.month > 12) {
      next.month = 1;
      if (++next.year > 2015) next.year = 2001;
    }
  }
  return next;
}

int32_t ValueOfPin(int32_t pin, int32_t pin_crypt) {
  const int32_t size = (pin / 100000 - 2) / 2;
  return pin % 100000 - pin_crypt * size;
}

DayTable ComputeDayTable(const LocalTime& date) {
  TestEnv env;
  env.SetTime(date);
  LibrarySettings s;
  s.Vendor = kVendor;
  s.Location = kLocation;
  s.Season = kSeason;
  s.PINcrypt = kPinCrypt;
  DayTable table;
  table.values.resize(kSlotCount);
  ComputeTable(env, s, table.values.data());
  for (int slot = 0; slot < kSlotCount; ++slot) {
    int32_t v = table.values[static_cast<size_t>(slot)];
    if (v != kTakenMark && v != kVoidMark) table.slot_of[v] = slot;
  }
  return table;
}

}  // namespace zolt::reliability
