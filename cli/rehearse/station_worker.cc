// The station process that `zolt simulate` starts: a point-of-sale station
// that sells baskets through the core and prints, one flushed JSON line per
// event, what happened, so that a parent that kills it at any moment still
// knows every PIN it handed out:
//   {"ready":true}                      started with --wait, waiting for a byte
//   {"day":20150615}                    a day begins
//   {"day":20150615,"size":1,"result":412345,"us":812}   one sale (ZoltResult)
//   {"done":true}                       every day sold
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/common/command_line.h"
#include "cli/rehearse/commands.h"
#include "cli/rehearse/simulated_site.h"
#include "cli/common/station_env.h"
#include "library/settings.h"
#include "library/table_lock.h"
#include "library/zolt.h"

namespace zolt::cli {
namespace {

struct WorkerOptions {
  CommonOptions common;
  int sales = 1;
  std::vector<int> sizes = {1, 2, 3};
  int days = 1;  // 0: day after day until killed
  bool wait = false;
  int lock_wait_ms = kTableLockWaitMs;
};

void PrintLine(const std::string& line) {
  // One write per line: a kill never leaves half a line in the pipe.
  const std::string out = line + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
}

int RunWorker(const WorkerOptions& o) {
  const Context c = CheckOptions(o.common, /*freeze_clock=*/false);
  if (o.sizes.empty()) throw UsageError("--sizes: no basket size");
  // How long a call waits for the table lock: the library's bound unless a
  // rehearsal asks for longer.
  SetTableLockWait(o.lock_wait_ms);
  if (o.wait) {
    PrintLine("{\"ready\":true}");
    char go;
    if (std::fread(&go, 1, 1, stdin) != 1) return kExitFailure;
  }
  std::optional<LocalTime> day = c.at;
  for (int d = 0; o.days == 0 || d < o.days; ++d) {
    StationEnv today(Env::Default(), c.station, day, /*print_notices=*/true);
    const std::string date = std::to_string(DateNumber(today.Now()));
    PrintLine("{\"day\":" + date + "}");
    for (int sale = 0; sale < o.sales; ++sale) {
      const int size = o.sizes[static_cast<size_t>(sale) % o.sizes.size()];
      char expiry[kExpiryBufferSize + 1];
      const auto start = std::chrono::steady_clock::now();
      const int32_t r = IssuePin(today, size, expiry);
      const long long us =
          std::chrono::duration_cast<std::chrono::microseconds>(
              std::chrono::steady_clock::now() - start)
              .count();
      PrintLine("{\"day\":" + date + ",\"size\":" + std::to_string(size) +
                ",\"result\":" + std::to_string(r) +
                ",\"us\":" + std::to_string(us) + "}");
    }
    if (day) {
      const LocalTime next = NextIssueDay(*day);
      LibrarySettings settings;
      if (LoadSettings(today, Caller::kSoldOutQuery, 1, &settings) == Code::kOk) {
        BeginAgainWhenGoneRound(*day, next, settings.Pathtopintable);
      }
      day = next;
    }
  }
  PrintLine("{\"done\":true}");
  return kExitOk;
}

}  // namespace

void AddStationWorkerCommand(CLI::App& app, int* exit_status) {
  auto options = std::make_shared<WorkerOptions>();
  CLI::App* cmd = app.add_subcommand(
      "station-process", "one station of zolt simulate (internal)");
  cmd->group("");  // not listed in --help
  AddCommonOptions(cmd, &options->common);
  cmd->add_option("--sales", options->sales)->check(CLI::Range(0, 1000000));
  cmd->add_option("--sizes", options->sizes)
      ->delimiter(',')
      ->check(CLI::Range(1, 3));
  cmd->add_option("--days", options->days)->check(CLI::Range(0, 100000));
  cmd->add_flag("--wait", options->wait);
  cmd->add_option("--lock-wait", options->lock_wait_ms)
      ->check(CLI::Range(0, 3600000));
  cmd->callback([options, exit_status] { *exit_status = RunWorker(*options); });
}

}  // namespace zolt::cli
