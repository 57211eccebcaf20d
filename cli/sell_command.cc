// zolt sell: baskets sold at the station as a point-of-sale program sells
// them (the query, then the issue), through the core with the station's
// settings. Writes the real tables.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/answers.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/settings_view.h"
#include "cli/station_env.h"
#include "library/code_meaning.h"
#include "library/zolt.h"

namespace zolt::cli {
namespace {

struct SellOptions {
  CommonOptions common;
  int size = 1;
  int count = 1;
};

int RunSell(const SellOptions& o) {
  const Context c = CheckOptions(o.common, /*freeze_clock=*/false);
  // The library's notices go to stderr at once, on both systems: a console
  // tool must not wait on a message box.
  StationEnv env(Env::Default(), c.station, c.at, /*print_notices=*/true);
  nlohmann::ordered_json j;
  j["station"] = c.station;
  j["sales"] = nlohmann::ordered_json::array();
  int status = kExitOk;
  for (int i = 0; i < o.count; ++i) {
    const int32_t query = QuerySoldOut(env, o.size);
    int32_t result = query;
    Caller failed = Caller::kSoldOutQuery;
    char expiry[kExpiryBufferSize + 1] = {};
    if (query > 0) {
      result = IssuePin(env, o.size, expiry);
      failed = Caller::kZoltResult;
    }
    if (result <= 0) {
      j["stopped"] = {{"export", ExportName(failed)},
                      {"code", result},
                      {"meaning", CodeMeaning(result)}};
      if (!c.json) {
        std::printf("%s: %d: %s\n", ExportName(failed), result,
                    CodeMeaning(result).c_str());
      }
      status = kExitFailure;
      break;
    }
    j["sales"].push_back({{"size", o.size},
                          {"query", query},
                          {"pin", result},
                          {"expiry", expiry}});
    if (!c.json) {
      std::printf("%06d  good until %s\n", result,
                  ShownExpiry(expiry).c_str());
      std::fflush(stdout);
    }
  }
  if (c.json) PrintJson(j);
  return status;
}

}  // namespace

void AddSellCommand(CLI::App& app, int* exit_status) {
  auto options = std::make_shared<SellOptions>();
  CLI::App* cmd = app.add_subcommand("sell", "sell baskets as a point-of-sale program does (writes the real tables)");
  Describe(cmd,
      "Sell baskets at the station as a point-of-sale program does: for each "
      "basket check_SoldOut_Condition, then ZoltResult, through the library "
      "core with this station's settings and the --at time. Prints each PIN "
      "with its expiry time, or the code and its meaning, and stops at the "
      "first failure. WRITES THE REAL TABLES: every PIN it prints is used "
      "up for the day at every station of the site.");
  cmd->add_option("--size", options->size,
                  "the basket size: 1 small, 2 medium, 3 large (default 1)")
      ->type_name("1|2|3")
      ->check(CLI::Range(1, 3).description(""));
  cmd->add_option("--count", options->count,
                  "how many baskets to sell (default 1)")
      ->type_name("N")
      ->check(CLI::Range(1, 100000).description(""));
  AddCommonOptions(cmd, &options->common);
  cmd->callback([options, exit_status] { *exit_status = RunSell(*options); });
}

}  // namespace zolt::cli
