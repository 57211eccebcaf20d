// Threads of one point-of-sale program selling at once against one data
// folder: the in-process mutex and the file lock keep them from taking one
// slot twice, and two threads that check the settings file at the same
// instant wait for each other instead of failing with -1. (Station
// processes are rehearsed by zolt simulate.)
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/show/strict_table_file.h"
#include "library/pin_tables.h"
#include "library/table_lock.h"
#include "library/zolt.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "tests/station/station.h"

namespace zolt {
namespace {

TEST(ThreadsTest, ThreadsOfOneStationNeverIssueASlotTwice) {
  TempDir root;
  test::Station station(root.MakeDir("station"), root.MakeDir("station/data"));
  station.Write();
  constexpr int kThreads = 8;
  constexpr int kSalesPerThread = 60;  // fewer than the day offers
  constexpr int32_t kPinCrypt = 7;     // the station's
  SetTableLockWait(120000);  // independent of the machine's load
  std::vector<std::vector<int32_t>> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      TestEnv env;  // a clock per thread; the files are shared
      env.SetExecutablePath(station.Path("pos.exe"));
      env.SetTime(At(2014, 6, 15, 23, 59));
      for (int sale = 0; sale < kSalesPerThread; ++sale) {
        char expiry[kExpiryBufferSize];
        results[static_cast<size_t>(t)].push_back(IssuePin(env, sale % 3 + 1, expiry));
      }
    });
  }
  for (auto& t : threads) t.join();
  SetTableLockWait(kTableLockWaitMs);

  // Within one date no two slots share a value, so distinct values are
  // distinct slots; the day's fresh table holds no taken mark of its own.
  std::set<int32_t> values;
  for (const auto& thread_results : results) {
    for (int32_t pin : thread_results) {
      ASSERT_GT(pin, 0) << "a sale failed";
      const int32_t size = (pin / 100000 - 2) / 2;
      EXPECT_TRUE(values.insert(pin % 100000 - kPinCrypt * size).second) << pin;
    }
  }
  EXPECT_EQ(values.size(), static_cast<size_t>(kThreads * kSalesPerThread));
  for (const char* name : {"PINTable.dat", "DLLPINTable.dat"}) {
    const StrictTableFile f = ReadStrictTableFile(root.ReadFile(std::string("station/data/") + name));
    ASSERT_TRUE(f.ok) << name << ": " << f.error;
    size_t marks = 0;
    for (const auto& [slot, text] : f.entries) marks += text == TableText(kTakenMark);
    EXPECT_EQ(marks, values.size()) << name;
  }
}

}  // namespace
}  // namespace zolt
