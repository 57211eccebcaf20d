// A point-of-sale station for the library's tests: a real temporary folder
// with the station's folder (where the fake executable and its settings file
// live) and a shared data folder, a TestEnv whose executable lies in the
// station, and an independent model of the tables the library should build.
#ifndef ZOLT_LIBRARY_TESTS_SITE_H_
#define ZOLT_LIBRARY_TESTS_SITE_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/env/env.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "tests/station/station.h"

namespace zolt::test {

// The [Preferences] of a station's settings file.
struct SiteSettings {
  int32_t vendor = 190;
  int32_t location = 800;
  int32_t season = 7;
  int32_t pincrypt = 42;
  int32_t expiry = 10;
  bool with_path = true;  // false: no Pathtopintable key at all
};

class Site {
 public:
  Site() { env.SetExecutablePath(StationFile("pos.exe")); }

  TestEnv env;

  const std::string& station() const { return station_; }
  const TempDir& root() const { return root_; }
  std::string StationFile(const std::string& name) const { return In(station_, name); }
  std::string DataFile(const std::string& name) const { return In(data_, name); }

  // Writes OstrelZOLTDLL.dta with these settings (tests/station),
  // Pathtopintable naming the data folder.
  void WriteSettings(const SiteSettings& s);
  // Writes the settings file with "[Preferences]\r\n" + body.
  void WritePreferences(const std::string& body) {
    layout_.Put("OstrelZOLTDLL.dta", "[Preferences]\r\n" + body);
  }

  // Bytes of a data folder file, or "<missing>".
  std::string ReadData(const std::string& name) const { return root_.ReadFile("data/" + name); }
  void WriteData(const std::string& name, const std::string& bytes) const {
    root_.WriteFile("data/" + name, bytes);
  }
  bool DataExists(const std::string& name) const { return root_.Exists("data/" + name); }

 private:
  static std::string In(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
  }
  TempDir root_;
  std::string station_ = root_.MakeDir("station");
  std::string data_ = root_.MakeDir("data");
  test::Station layout_{station_, data_};
};

// CRC-16/ARC the textbook way (reflected polynomial 0xA001, bit by bit), so
// the library's parity form is checked against a different computation.
uint16_t ReferenceCrc16Arc(const std::vector<uint8_t>& bytes);

// The table the library must build for these settings when every slot is
// computed on `date`: generator values, void marks above 64770, and later
// duplicates of a value turned into taken marks (the plain pairwise rule).
std::vector<int32_t> ReferenceTable(const SiteSettings& s, const LocalTime& date);
// Same, with the date of each slot's computation given separately.
std::vector<int32_t> ReferenceTable(const SiteSettings& s, const std::vector<LocalTime>& dates);

inline bool IsMarkValue(int32_t v) { return v == 9998 || v == 9999; }

// The bytes of freshly built table files for `table` built on `date`:
// [Other] with LastPINRunDay and LastPINRunDate, then DLLPINTable.dat with
// every slot, PINTable.dat with the marks only.
std::string FreshLibraryFile(const std::vector<int32_t>& table, const LocalTime& date);
std::string FreshMarksFile(const std::vector<int32_t>& table, const LocalTime& date);

// Table files written by hand, as a station without the date key writes
// them: "[Other]\r\nLastPINRunDay=<day>\r\n[PINTable]\r\n" + entries
// ("12=ABCD\r\n..."); no [Other] when day < 0.
std::string TableFile(int day, const std::string& entries);

}  // namespace zolt::test

#endif  // ZOLT_LIBRARY_TESTS_SITE_H_
