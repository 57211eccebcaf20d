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

#include "library/table_lock.h"
#include "library/zolt.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "tests/reliability/station.h"

namespace zolt::reliability {
namespace {

TEST(ThreadsTest, ThreadsOfOneStationNeverIssueASlotTwice) {
  TempDir root;
  const std::string data = root.MakeDir("data");
  const std::string station = root.MakeDir("station");
  WriteSettingsFile(station, data, 0);
  constexpr int kThreads = 8;
  constexpr int kSalesPerThread = 60;  // fewer than the day offers
  const LocalTime sale_time = FromDateNumber(20140615, 23, 59);
  SetTableLockWaitForTesting(120000);  // independent of the machine's load
  std::vector<std::vector<int32_t>> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      TestEnv env;  // a clock per thread; the files are shared
      env.SetExecutablePath(station + "/pos.exe");
      env.SetTime(sale_time);
      for (int sale = 0; sale < kSalesPerThread; ++sale) {
        char expiry[kExpiryBufferSize];
        results[static_cast<size_t>(t)].push_back(
            IssuePin(env, sale % 3 + 1, expiry));
      }
    });
  }
  for (auto& t : threads) t.join();
  SetTableLockWaitForTesting(kTableLockWaitMs);

  const DayTable table = ComputeDayTable(sale_time);
  const StrictTableFile dll = ReadStrictTableFile(root.ReadFile("data/DLLPINTable.dat"));
  const StrictTableFile pin = ReadStrictTableFile(root.ReadFile("data/PINTable.dat"));
  ASSERT_TRUE(dll.ok && pin.ok) << dll.error << pin.error;
  std::set<int> slots;
  for (const auto& thread_results : results) {
    for (int32_t r : thread_results) {
      ASSERT_GT(r, 0) << "a sale failed";
      auto it = table.slot_of.find(ValueOfPin(r, kPinCrypt));
      ASSERT_NE(it, table.slot_of.end()) << r << " is no PIN of the day";
      EXPECT_TRUE(slots.insert(it->second).second)
          << "slot " << it->second << " issued twice";
      EXPECT_EQ(dll.entries.at(it->second), "270E");
      EXPECT_EQ(pin.entries.at(it->second), "270E");
    }
  }
  EXPECT_EQ(slots.size(), static_cast<size_t>(kThreads * kSalesPerThread));
}

}  // namespace
}  // namespace zolt::reliability
