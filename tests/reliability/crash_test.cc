// A station killed (SIGKILL) at random moments while it rebuilds the tables
// for a new day and while it marks slots, many times over. After every kill
// the table files must read strictly (whole lines only, a file dated a day
// always holds that day's complete table), and the next call must succeed
// without handing out a slot that the killed station reported as issued.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "library/zolt.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "tests/reliability/station.h"
#include "tests/reliability/station_process.h"

namespace zolt::reliability {
namespace {

namespace fs = std::filesystem;

constexpr int kIterations = 250;
constexpr int kSalesPerDay = 3;
// Kills land within this many microseconds of the start: on an ordinary
// disk a station's start, a day's rebuild and its three sales take about as
// long, so kills fall into each of them.
constexpr int kLongestDelayUs = 60000;

class DayTables {
 public:
  const DayTable& For(int32_t date) {
    auto it = tables_.find(date);
    if (it == tables_.end()) {
      it = tables_.emplace(date, ComputeDayTable(FromDateNumber(date, 23, 59)))
               .first;
    }
    return it->second;
  }

 private:
  std::map<int32_t, DayTable> tables_;
};

// A table file that is present must read strictly and hold the complete
// table of the day it is dated: every slot in DLLPINTable.dat, every mark of
// the build in PINTable.dat; issued slots may carry "270E" on top.
void ExpectSoundTable(const std::string& name, const std::string& bytes,
                      bool library_file, DayTables& days, int iteration) {
  SCOPED_TRACE(name + " after kill " + std::to_string(iteration));
  TableFile f = ReadTableFile(bytes);
  ASSERT_TRUE(f.ok) << f.error;
  ASSERT_NE(f.run_date, 0) << "no LastPINRunDate";
  const DayTable& day = days.For(f.run_date);
  if (library_file) {
    ASSERT_EQ(f.entries.size(), static_cast<size_t>(kSlotCount));
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const int32_t built = day.values[static_cast<size_t>(slot)];
    const std::string want = TableText(built);
    auto it = f.entries.find(slot);
    const bool mark = built == kTakenMark || built == kVoidMark;
    if (it == f.entries.end()) {
      ASSERT_TRUE(!library_file && !mark) << "slot " << slot << " missing";
      continue;
    }
    ASSERT_TRUE(it->second == want || it->second == "270E")
        << "slot " << slot << " holds " << it->second << ", built " << want;
  }
}

int CountTemporaryFiles(const std::string& folder) {
  int n = 0;
  for (const auto& e : fs::directory_iterator(folder)) {
    if (e.path().filename().string().rfind('.', 0) == 0) ++n;
  }
  return n;
}

TEST(CrashTest, KilledStationsLeaveSoundTablesAndNoSlotIsIssuedTwice) {
  TempDir root;
  const std::string data = root.MakeDir("data");
  const std::string station = root.MakeDir("station");
  WriteSettingsFile(station, data, 0);
  DayTables days;
  std::mt19937 random(20140615);  // fixed seed: the same kills every run
  std::uniform_int_distribution<int> delay_us(0, kLongestDelayUs);

  int32_t next_date = 20140101;
  int killed = 0, killed_in_rebuild = 0, killed_in_sales = 0;
  int reported_pins = 0, next_calls = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kIterations; ++i) {
    StationProcess child(
        STATION_SIM, {"--station", station, "--date", std::to_string(next_date),
                      "--sales", std::to_string(kSalesPerDay), "--days", "0"});
    ASSERT_TRUE(child.ok());
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    child.Kill();
    int exit_code;
    StationReport r = ParseStationReport(child.Finish(&exit_code));
    ASSERT_EQ(exit_code, -9) << "the station ended on its own";
    ++killed;
    if (r.last_day == 0) {
      continue;  // killed before it began: nothing was written
    }
    const std::vector<int32_t>& issued = r.pins_by_day[r.last_day];
    reported_pins += static_cast<int>(r.pins.size());
    ++(issued.empty() ? killed_in_rebuild : killed_in_sales);

    const std::string dll_bytes = root.ReadFile("data/DLLPINTable.dat");
    const std::string pin_bytes = root.ReadFile("data/PINTable.dat");
    if (dll_bytes != "<missing>") {
      ExpectSoundTable("DLLPINTable.dat", dll_bytes, true, days, i);
    }
    if (pin_bytes != "<missing>") {
      ExpectSoundTable("PINTable.dat", pin_bytes, false, days, i);
    }
    if (HasFatalFailure()) return;

    // The slots the station reported for its last day are marked in both
    // files, and the next call on that day neither fails nor reissues one.
    const DayTable& day = days.For(r.last_day);
    std::set<int> reported;
    for (int32_t pin : issued) {
      reported.insert(day.slot_of.at(ValueOfPin(pin, kPinCrypt)));
    }
    if (!reported.empty()) {
      TableFile dll = ReadTableFile(dll_bytes), pin = ReadTableFile(pin_bytes);
      ASSERT_EQ(dll.run_date, r.last_day);
      ASSERT_EQ(pin.run_date, r.last_day);
      for (int slot : reported) {
        EXPECT_EQ(dll.entries[slot], "270E") << "slot " << slot;
        EXPECT_EQ(pin.entries[slot], "270E") << "slot " << slot;
      }
    }
    TestEnv env;
    env.SetExecutablePath(station + "/pos.exe");
    env.SetTime(FromDateNumber(r.last_day, 23, 59));
    char expiry[kExpiryBufferSize];
    int32_t next = IssuePin(env, 1, expiry);
    ++next_calls;
    ASSERT_GT(next, 0) << "next call after kill " << i;
    auto slot = day.slot_of.find(ValueOfPin(next, kPinCrypt));
    ASSERT_NE(slot, day.slot_of.end());
    EXPECT_EQ(reported.count(slot->second), 0u)
        << "slot " << slot->second << " issued again after kill " << i;

    next_date = DateNumber(NextDay(FromDateNumber(r.last_day, 0, 0)));
  }
  const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
  std::printf(
      "crash: %d kills in %lld ms (%d during a day's rebuild or first sale, "
      "%d after a sale of the day), %d PINs reported by killed stations, %d "
      "next calls succeeded, %d temporary files left by writes cut short\n",
      killed, ms, killed_in_rebuild, killed_in_sales, reported_pins,
      next_calls, CountTemporaryFiles(data));
}

}  // namespace
}  // namespace zolt::reliability
