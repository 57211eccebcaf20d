#include "tests/reliability/station.h"

#include <algorithm>
#include <fstream>
#include <sstream>

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

namespace {

bool AllDigits(const std::string& s, size_t max_len) {
  if (s.empty() || s.size() > max_len) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsTableText(const std::string& s) {
  if (s.size() != 4) return false;
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

TableFile Fail(std::string why) {
  TableFile f;
  f.error = std::move(why);
  return f;
}

}  // namespace

TableFile ReadTableFile(const std::string& bytes) {
  if (bytes.empty()) return Fail("empty file");
  if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) {
    return Fail("last line has no CRLF (a partial line)");
  }
  TableFile f;
  std::string section;
  bool seen_other = false, seen_table = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find("\r\n", pos);
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 2;
    if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
      return Fail("stray CR, LF or NUL in line \"" + line + "\"");
    }
    if (line == "[Other]" || line == "[PINTable]") {
      bool& seen = line == "[Other]" ? seen_other : seen_table;
      if (seen) return Fail("section twice: " + line);
      seen = true;
      section = line;
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) return Fail("not key=value: \"" + line + "\"");
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (section == "[Other]") {
      if (key == "LastPINRunDay" && AllDigits(value, 2)) {
        f.run_day = std::stoi(value);
      } else if (key == "LastPINRunDate" && AllDigits(value, 8)) {
        f.run_date = std::stoi(value);
      } else {
        return Fail("odd [Other] line \"" + line + "\"");
      }
    } else if (section == "[PINTable]") {
      if (!AllDigits(key, 4) || std::stoi(key) >= kSlotCount ||
          !IsTableText(value)) {
        return Fail("odd [PINTable] line \"" + line + "\"");
      }
      if (!f.entries.emplace(std::stoi(key), value).second) {
        return Fail("slot twice: " + key);
      }
    } else {
      return Fail("line before any section: \"" + line + "\"");
    }
  }
  if (f.run_day == 0) return Fail("no build day");
  if (f.run_date != 0 && f.run_date % 100 != f.run_day) {
    return Fail("day and date disagree");
  }
  f.ok = true;
  return f;
}

StationReport ParseStationReport(const std::string& output) {
  StationReport r;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string what;
    int32_t day = 0, n = 0;
    long ms = 0;
    words >> what;
    if (what == "day" && (words >> day)) {
      r.last_day = day;
      r.pins_by_day[day];
    } else if ((what == "pin" || what == "code") && (words >> day >> n)) {
      if (what == "pin") {
        r.pins.push_back(n);
        r.pins_by_day[day].push_back(n);
      } else {
        r.codes.push_back(n);
      }
      if (words >> ms) r.longest_call_ms = std::max(r.longest_call_ms, ms);
    } else if (what == "done") {
      r.finished = true;
    }
  }
  return r;
}

}  // namespace zolt::reliability
