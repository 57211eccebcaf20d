// Benchmarks of the library's calls on real files in a temporary folder:
// the hot call on current tables, the first call of a day (rebuild), and the
// longest search (PINExpiry 0 at 23:59 with every earlier slot taken).
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
    dir.MakeDir("station");
    dir.WriteFile("station/OstrelZOLTDLL.dta",
                  "[Preferences]\r\nVendor=190\r\nLocation=1\r\nSeason=1\r\n"
                  "PINcrypt=7\r\nPINExpiry=" + std::to_string(expiry) +
                      "\r\nPathtopintable=" + data + "\r\n");
    env.SetExecutablePath(dir.Join("station/pos"));
    env.SetTime(At(2014, 6, 15, 23, 59));
  }

  void SaveTables(const std::string& to) {
    fs::copy(data, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  void RestoreTables(const std::string& from) {
    fs::copy(from, data, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
};

void BM_HotZoltResult(benchmark::State& state) {
  Site site(0);
  char expiry[kExpiryBufferSize];
  QuerySoldOut(site.env, 1);  // builds today's tables
  const std::string saved = site.dir.Join("saved");
  site.SaveTables(saved);
  int issued = 0;
  for (auto _ : state) {
    if (++issued == 1000) {  // keep free slots: restore the fresh tables
      state.PauseTiming();
      site.RestoreTables(saved);
      issued = 0;
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(IssuePin(site.env, 1, expiry));
  }
}
BENCHMARK(BM_HotZoltResult)->Unit(benchmark::kMicrosecond);

void BM_HotQuery(benchmark::State& state) {
  Site site(0);
  QuerySoldOut(site.env, 1);
  for (auto _ : state) benchmark::DoNotOptimize(QuerySoldOut(site.env, 1));
}
BENCHMARK(BM_HotQuery)->Unit(benchmark::kMicrosecond);

void BM_FirstCallOfDay(benchmark::State& state) {
  Site site(0);
  char expiry[kExpiryBufferSize];
  int day = 1;
  for (auto _ : state) {
    // Every call meets tables of another day and rebuilds both.
    day = day % 28 + 1;
    site.env.SetTime(At(2014, 6, day, 23, 59));
    benchmark::DoNotOptimize(IssuePin(site.env, 1, expiry));
  }
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

void BM_WorstCaseSearch(benchmark::State& state) {
  Site site(0);
  char expiry[kExpiryBufferSize];
  // Take every slot from 23:59 back to 00:01: the query then walks the whole
  // day to the one free slot left, slot 0 (or finds none).
  while (QuerySoldOut(site.env, 1) > 0) {
    IssuePin(site.env, 1, expiry);
    site.env.SetTime(At(2014, 6, 15, 23, 59));
  }
  for (auto _ : state) benchmark::DoNotOptimize(QuerySoldOut(site.env, 1));
}
BENCHMARK(BM_WorstCaseSearch)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zolt

BENCHMARK_MAIN();
