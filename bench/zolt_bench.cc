// Benchmarks of the library's calls on real files in a temporary folder:
// the hot query and the hot sale on current tables, the first call of a day
// (rebuild), and the full-day search (PINExpiry 0 at 23:59 with every
// earlier slot taken). The same source builds against any revision of the
// library (scripts/bench.sh), on Linux and for Windows under Wine.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "library/pin_tables.h"
#include "library/zolt.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

// A station and a data folder with valid settings, at 23:59 of a day in the
// years the library serves.
struct Site {
  TempDir dir;
  TestEnv env;
  std::string data;

  explicit Site(int expiry) {
    data = dir.MakeDir("data");
    const std::string station = dir.MakeDir("station");
    dir.WriteFile("station/OstrelZOLTDLL.dta",
                  "[Preferences]\r\nVendor=190\r\nLocation=1\r\nSeason=1\r\n"
                  "PINcrypt=7\r\nPINExpiry=" + std::to_string(expiry) +
                      "\r\nPathtopintable=" + data + "\r\n");
    env.SetExecutablePath(JoinPath(env, station, "pos.exe"));
    env.SetTime(At(2014, 6, 15, 23, 59));
  }

  // The table files copied one by one, each target removed first: copying
  // over an existing file is not done alike by every standard library.
  void SaveTables(const std::string& to) { CopyFiles(data, to); }
  void RestoreTables(const std::string& from) { CopyFiles(from, data); }
  static void CopyFiles(const std::string& from, const std::string& to) {
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from)) {
      if (!e.is_regular_file()) continue;
      const fs::path target = fs::path(to) / e.path().filename();
      fs::remove(target);
      fs::copy_file(e.path(), target);
    }
  }
};

void BM_HotSale(benchmark::State& state) {
  Site site(0);
  char expiry[kExpiryBufferSize];
  QuerySoldOut(site.env, 1);  // builds today's tables
  const std::string saved = site.dir.Join("saved");
  site.SaveTables(saved);
  int issued = 0;
  bool failed = false;
  for (auto _ : state) {
    if (++issued == 1000) {  // keep free slots: restore the fresh tables
      state.PauseTiming();
      site.RestoreTables(saved);
      issued = 0;
      state.ResumeTiming();
    }
    if (IssuePin(site.env, 1, expiry) <= 0) failed = true;
  }
  if (failed) state.SkipWithError("a sale failed");
}
BENCHMARK(BM_HotSale)->Unit(benchmark::kMicrosecond);

void BM_HotQuery(benchmark::State& state) {
  Site site(0);
  QuerySoldOut(site.env, 1);
  bool failed = false;
  for (auto _ : state) {
    if (QuerySoldOut(site.env, 1) <= 0) failed = true;
  }
  if (failed) state.SkipWithError("a query failed");
}
BENCHMARK(BM_HotQuery)->Unit(benchmark::kMicrosecond);

void BM_FirstCallOfDay(benchmark::State& state) {
  Site site(0);
  char expiry[kExpiryBufferSize];
  int days = 0;
  bool failed = false;
  for (auto _ : state) {
    // Every call meets the tables of the day before and rebuilds both
    // (the days go forward: tables are never rebuilt backwards).
    ++days;
    site.env.SetTime(At(2001 + days / 336 % 15, days / 28 % 12 + 1, days % 28 + 1, 23, 59));
    if (IssuePin(site.env, 1, expiry) <= 0) failed = true;
  }
  if (failed) state.SkipWithError("a sale failed");
}
BENCHMARK(BM_FirstCallOfDay)->Unit(benchmark::kMicrosecond);

void BM_ComputeTable(benchmark::State& state) {
  Site site(0);
  LibrarySettings settings;
  settings.Vendor = 190;
  settings.Location = 1;
  settings.Season = 1;
  settings.PINcrypt = 7;
  int32_t values[kSlotCount];
  for (auto _ : state) {
    ComputeTable(site.env, settings, values);
    benchmark::DoNotOptimize(values);
  }
}
BENCHMARK(BM_ComputeTable)->Unit(benchmark::kMicrosecond);

void BM_FullDaySearch(benchmark::State& state) {
  Site site(0);
  char expiry[kExpiryBufferSize];
  // Sell every slot of the day: the query then reads all 1440 slots from
  // 23:59 back to 00:00 in both files and finds none free (-500).
  while (QuerySoldOut(site.env, 1) > 0 && IssuePin(site.env, 1, expiry) > 0) {
  }
  bool failed = false;
  for (auto _ : state) {
    if (QuerySoldOut(site.env, 1) != -500) failed = true;
  }
  if (failed) state.SkipWithError("the day is not sold out");
}
BENCHMARK(BM_FullDaySearch)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zolt

BENCHMARK_MAIN();
