// What the reliability tests share about a point-of-sale station: its
// settings file, the clock it runs at and a strict reading of the table
// files it leaves behind.
#ifndef ZOLT_TESTS_RELIABILITY_STATION_H_
#define ZOLT_TESTS_RELIABILITY_STATION_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cli/strict_table_file.h"
#include "library/pin_tables.h"
#include "platform/env.h"

namespace zolt::reliability {

// The site every station of these tests belongs to.
constexpr int32_t kVendor = 190;
constexpr int32_t kLocation = 800;
constexpr int32_t kSeason = 7;
constexpr int32_t kPinCrypt = 42;

// The settings file's bytes: the site above, this lifetime and data folder.
std::string SettingsText(const std::string& data_folder, int32_t expiry);
// Writes <station_folder>/OstrelZOLTDLL.dta.
void WriteSettingsFile(const std::string& station_folder,
                       const std::string& data_folder, int32_t expiry);

// A date as YYYYMMDD, and back (at the given hour and minute).
int32_t DateNumber(const LocalTime& t);
LocalTime FromDateNumber(int32_t yyyymmdd, int hour, int minute);
// The day after; after 2015-12-31 comes 2001-01-01 again, so that every date
// lies in the years in which PINs are issued.
LocalTime NextDay(const LocalTime& t);

// The slot value of an issued PIN: its last five digits less PINcrypt x size.
int32_t ValueOfPin(int32_t pin, int32_t pin_crypt);

// The table the library builds for the site on this date, and which slot
// holds each PIN value (every value that is not a mark lies in one slot).
struct DayTable {
  std::vector<int32_t> values;     // kSlotCount entries
  std::map<int32_t, int> slot_of;  // value -> slot, marks left out
};
DayTable ComputeDayTable(const LocalTime& date);

// The strict reading of a table file, shared with zolt's crash rehearsal.
using ::zolt::ReadStrictTableFile;
using ::zolt::StrictTableFile;

}  // namespace zolt::reliability

#endif  // ZOLT_TESTS_RELIABILITY_STATION_H_
