// Many stations selling at once against one data folder, in the last minute
// of a day with PINExpiry 0, so that every sale searches the whole day and
// the stations run out of slots together. With the table lock no slot may be
// issued twice, and every issued slot must carry the taken mark in both
// files. The same run without the lock shows what the lock prevents.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "library/table_lock.h"
#include "library/zolt.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "tests/reliability/station.h"
#include "tests/reliability/station_process.h"

namespace zolt::reliability {
namespace {

constexpr int kStations = 8;
constexpr int kSalesPerStation = 200;
constexpr int32_t kSaleDate = 20140615;  // at 23:59

struct SiteOutcome {
  int issued = 0;
  int duplicates = 0;       // issued PINs whose slot was issued before
  int unknown_values = 0;   // PINs that match no slot of the day's table
  int sold_out = 0;
  std::map<int32_t, int> other_codes;
  int unmarked_in_dll = 0;  // issued slots without "270E" in DLLPINTable.dat
  int unmarked_in_pin = 0;  // ... in PINTable.dat
  bool tables_parse = false;
  int free_slots = 0;       // slots 0..1439 the day's table offers
  long long milliseconds = 0;
  long longest_call_ms = 0;
};

// Reads the results of all stations against the day's table and the files.
void Tally(const std::vector<int32_t>& pins, const std::vector<int32_t>& codes,
           const TempDir& root, SiteOutcome* out) {
  const DayTable table = ComputeDayTable(FromDateNumber(kSaleDate, 23, 59));
  for (int slot = 0; slot < kSlotCount - 1; ++slot) {
    int32_t v = table.values[static_cast<size_t>(slot)];
    if (v != kTakenMark && v != kVoidMark) ++out->free_slots;
  }
  TableFile dll = ReadTableFile(root.ReadFile("data/DLLPINTable.dat"));
  TableFile pin = ReadTableFile(root.ReadFile("data/PINTable.dat"));
  out->tables_parse = dll.ok && pin.ok;

  std::set<int> slots;
  for (int32_t p : pins) {
    ++out->issued;
    auto it = table.slot_of.find(ValueOfPin(p, kPinCrypt));
    if (it == table.slot_of.end()) {
      ++out->unknown_values;
      continue;
    }
    if (!slots.insert(it->second).second) ++out->duplicates;
  }
  for (int slot : slots) {
    if (dll.entries[slot] != "270E") ++out->unmarked_in_dll;
    if (pin.entries[slot] != "270E") ++out->unmarked_in_pin;
  }
  for (int32_t c : codes) {
    if (c == -500) {
      ++out->sold_out;
    } else {
      ++out->other_codes[c];
    }
  }
}

// kStations simulator processes, released at one moment, each selling
// kSalesPerStation baskets from its own station folder.
SiteOutcome RunStations(bool locked) {
  TempDir root;
  const std::string data = root.MakeDir("data");
  std::vector<std::unique_ptr<StationProcess>> stations;
  for (int i = 0; i < kStations; ++i) {
    std::string folder = root.MakeDir("station" + std::to_string(i));
    WriteSettingsFile(folder, data, 0);
    std::vector<std::string> args = {
        "--station", folder, "--date", std::to_string(kSaleDate),
        "--time", "2359", "--sales", std::to_string(kSalesPerStation),
        "--wait"};
    if (!locked) args.push_back("--unlocked");
    stations.push_back(std::make_unique<StationProcess>(STATION_SIM, args));
    EXPECT_TRUE(stations.back()->ok());
  }
  for (auto& s : stations) EXPECT_TRUE(s->WaitReady());

  const auto start = std::chrono::steady_clock::now();
  for (auto& s : stations) s->Go();
  std::vector<int32_t> pins, codes;
  long longest = 0;
  for (auto& s : stations) {
    int exit_code;
    StationReport r = ParseStationReport(s->Finish(&exit_code));
    EXPECT_EQ(exit_code, 0);
    EXPECT_TRUE(r.finished);
    pins.insert(pins.end(), r.pins.begin(), r.pins.end());
    longest = std::max(longest, r.longest_call_ms);
    codes.insert(codes.end(), r.codes.begin(), r.codes.end());
  }
  SiteOutcome out;
  out.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - start)
                         .count();
  out.longest_call_ms = longest;
  Tally(pins, codes, root, &out);
  return out;
}

void Print(const char* title, const SiteOutcome& o) {
  std::printf(
      "%s: %d stations x %d sales in %lld ms (slowest call %ld ms): %d issued of %d free slots, "
      "%d duplicates, %d sold out (-500), %d other codes, %d PINs of no "
      "slot, issued slots unmarked: %d in DLLPINTable.dat, %d in "
      "PINTable.dat\n",
      title, kStations, kSalesPerStation, o.milliseconds, o.longest_call_ms,
      o.issued,
      o.free_slots, o.duplicates, o.sold_out,
      static_cast<int>(o.other_codes.size()), o.unknown_values,
      o.unmarked_in_dll, o.unmarked_in_pin);
  for (auto [code, n] : o.other_codes) {
    std::printf("  code %d: %d times\n", code, n);
  }
}

TEST(MultiStationTest, LockedStationsNeverIssueASlotTwice) {
  SiteOutcome o = RunStations(/*locked=*/true);
  Print("locked", o);
  EXPECT_TRUE(o.tables_parse);
  EXPECT_EQ(o.duplicates, 0);
  EXPECT_EQ(o.unknown_values, 0);
  EXPECT_TRUE(o.other_codes.empty());
  // 1600 sales ask for more than the day offers: every free slot is sold
  // exactly once, every later sale is told the PINs are sold out.
  EXPECT_EQ(o.issued, o.free_slots);
  EXPECT_EQ(o.issued + o.sold_out, kStations * kSalesPerStation);
  EXPECT_EQ(o.unmarked_in_dll, 0);
  EXPECT_EQ(o.unmarked_in_pin, 0);
}

// What the stations did before the lock existed. Reported, not judged: the
// count depends on the machine's timing.
TEST(MultiStationTest, UnlockedStationsShowWhatTheLockPrevents) {
  SiteOutcome o = RunStations(/*locked=*/false);
  Print("unlocked", o);
  RecordProperty("unlocked_duplicates", o.duplicates);
  EXPECT_EQ(o.unknown_values, 0);
}

// Threads of one point-of-sale program selling at once: the in-process
// mutex and the file lock keep them from taking one slot twice.
TEST(MultiStationTest, ThreadsOfOneStationNeverIssueASlotTwice) {
  TempDir root;
  const std::string data = root.MakeDir("data");
  const std::string station = root.MakeDir("station");
  WriteSettingsFile(station, data, 0);

  constexpr int kThreads = 8;
  constexpr int kSalesPerThread = 60;  // fewer than the day offers
  SetTableLockWaitForTesting(120000);  // independent of the machine's load
  std::vector<std::vector<int32_t>> pins(kThreads), codes(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      TestEnv env;  // a clock per thread; the files are shared
      env.SetExecutablePath(station + "/pos.exe");
      env.SetTime(FromDateNumber(kSaleDate, 23, 59));
      for (int sale = 0; sale < kSalesPerThread; ++sale) {
        char expiry[kExpiryBufferSize];
        int32_t r = IssuePin(env, sale % 3 + 1, expiry);
        (r > 0 ? pins : codes)[static_cast<size_t>(t)].push_back(r);
      }
    });
  }
  for (auto& t : threads) t.join();
  SetTableLockWaitForTesting(kTableLockWaitMs);

  std::vector<int32_t> all_pins, all_codes;
  for (int t = 0; t < kThreads; ++t) {
    all_pins.insert(all_pins.end(), pins[t].begin(), pins[t].end());
    all_codes.insert(all_codes.end(), codes[t].begin(), codes[t].end());
  }
  SiteOutcome o;
  Tally(all_pins, all_codes, root, &o);
  std::printf("threads: %d threads x %d sales sharing one settings file: "
              "%d issued, %d duplicates, %d failed\n",
              kThreads, kSalesPerThread, o.issued, o.duplicates,
              static_cast<int>(all_codes.size()));
  EXPECT_EQ(o.duplicates, 0);
  // Two threads that check the settings file at the same instant wait for
  // each other instead of failing with -1.
  EXPECT_TRUE(all_codes.empty());
  EXPECT_EQ(o.issued, kThreads * kSalesPerThread);
  EXPECT_EQ(o.unmarked_in_dll, 0);
  EXPECT_EQ(o.unmarked_in_pin, 0);
}

}  // namespace
}  // namespace zolt::reliability
