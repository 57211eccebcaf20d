// zolt sell: baskets sold at the station as a point-of-sale program sells
// them (the query, then the issue), through the core with the station's
// settings. Writes the real tables at the clock's time; a rehearsal at
// another time sells on a scratch copy unless --live.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/show/answers.h"
#include "cli/common/command_line.h"
#include "cli/rehearse/commands.h"
#include "cli/show/day_summary.h"
#include "cli/show/day_view.h"
#include "cli/common/refusal_words.h"
#include "cli/show/good_until.h"
#include "cli/common/output.h"
#include "cli/common/scratch_copy.h"
#include "cli/show/settings_view.h"
#include "cli/common/station_env.h"
#include "library/code_meaning.h"
#include "library/zolt.h"

namespace zolt::cli {
namespace {

struct SellOptions {
  CommonOptions common;
  int size = 1;
  int count = 1;
  bool live = false;
  bool keep_copy = false;
};

// Whether --at names a time other than the clock's minute.
bool Rehearsal(const Context& c) {
  return c.at && FormatTime(*c.at) != FormatTime(Env::Default().Now());
}

// The station to sell at: the named one, or for a rehearsal at another
// time (not --live) a scratch copy of it and its tables in *copy.
std::string SellingStation(const SellOptions& o, const Context& c,
                           std::optional<ScratchCopy>* copy) {
  if (!Rehearsal(c) || o.live) return c.station;
  StationEnv live(Env::Default(), c.station, c.at, false);
  copy->emplace(c.station, ReadSettingsView(live).values.Pathtopintable);
  if (o.keep_copy) (*copy)->Keep();
  return (*copy)->station();
}

// Says where a rehearsal sells, before its first sale.
void AnnounceRehearsal(const SellOptions& o, const Context& c,
                       const ScratchCopy& copy, nlohmann::ordered_json& j) {
  j["rehearsal"] = {{"copy", copy.root()}, {"kept", o.keep_copy}};
  if (!c.json) {
    std::printf(
        "Rehearsal at %s on a scratch copy of the station and its data "
        "folder in %s: the live site is not touched (--live sells on it)\n",
        FormatTime(*c.at).c_str(), copy.root().c_str());
  }
}

// The export that said no, its code, and the cause, as j["stopped"].
void ReportStop(const Context& c, Caller failed, int32_t result,
                const Refusal& cause, nlohmann::ordered_json& j) {
  j["stopped"] = {{"export", ExportName(failed)},
                  {"code", result},
                  {"meaning", CodeMeaning(result)},
                  {"cause", RefusalJson(cause)}};
  if (!c.json) {
    std::printf("%s: %d: %s\n", ExportName(failed), result,
                MeaningBesideCause(result, cause).c_str());
    const std::string words = DescribeRefusal(cause);
    if (!words.empty()) std::printf("  cause: %s\n", words.c_str());
  }
}

// One basket as a point-of-sale program sells it: the query, then the
// issue. False when either said no (reported as the stop).
bool SellBasket(const SellOptions& o, const Context& c, StationEnv& env,
                const std::string& station, nlohmann::ordered_json& j) {
  Refusal cause;
  const int32_t query = QuerySoldOut(env, o.size, &cause);
  int32_t result = query;
  Caller failed = Caller::kSoldOutQuery;
  char expiry[kExpiryBufferSize + 1] = {};
  const LocalTime sale_time = env.Now();
  if (query > 0) {
    result = IssuePin(env, o.size, expiry, &cause);
    failed = Caller::kZoltResult;
  }
  if (result <= 0) {
    ReportStop(c, failed, result, cause, j);
    return false;
  }
  StationEnv settings_env(Env::Default(), station, c.at, false);
  const int32_t expiry_minutes =
      ReadSettingsView(settings_env).values.PINExpiry;
  j["sales"].push_back(
      {{"size", o.size},
       {"query", query},
       {"pin", result},
       {"good_until", IsoTime(GoodUntil(sale_time, expiry_minutes))},
       {"expiry_text", expiry}});
  if (!c.json) {
    std::printf("%06d  good until %s\n", result, ShownExpiry(expiry).c_str());
    std::fflush(stdout);
  }
  return true;
}

// The scratch copy's tables once the rehearsal has sold.
void ShowCopyAfter(const SellOptions& o, const Context& c,
                   const std::string& station, nlohmann::ordered_json& j) {
  StationEnv after(Env::Default(), station, c.at, false);
  const DayView day = ReadDayView(after, ReadSettingsView(after).values);
  j["rehearsal"]["tables_after"] = TablesJson(day);
  if (!c.json) {
    std::printf("The copy's tables after the rehearsal:\n");
    PrintTablesText(day);
    std::printf(o.keep_copy ? "The copy is kept: %s\n"
                            : "The copy is removed.\n",
                station.c_str());
  }
}

int RunSell(const SellOptions& o) {
  const Context c = CheckOptions(o.common, /*freeze_clock=*/false);
  std::optional<ScratchCopy> copy;
  const std::string station = SellingStation(o, c, &copy);
  // The library's notices go to stderr at once, on both systems: a console
  // tool must not wait on a message box.
  StationEnv env(Env::Default(), station, c.at, /*print_notices=*/true);
  nlohmann::ordered_json j;
  j["schema"] = kJsonSchema;
  j["command"] = "sell";
  j["station"] = c.station;
  j["rehearsal"] = nullptr;
  if (copy) AnnounceRehearsal(o, c, *copy, j);
  j["sales"] = nlohmann::ordered_json::array();
  int status = kExitOk;
  for (int i = 0; i < o.count; ++i) {
    if (!SellBasket(o, c, env, station, j)) {
      status = kExitFailure;
      break;
    }
  }
  if (copy) ShowCopyAfter(o, c, station, j);
  if (c.json) PrintJson(j);
  return status;
}

}  // namespace

void AddSellCommand(CLI::App& app, int* exit_status) {
  auto options = std::make_shared<SellOptions>();
  CLI::App* cmd = app.add_subcommand("sell", "sell baskets as a point-of-sale program does (writes the real tables; at another --at time, a scratch copy)");
  Describe(cmd,
      "Sell baskets at the station as a point-of-sale program does: for each "
      "basket check_SoldOut_Condition, then ZoltResult, through the library "
      "core with this station's settings. Prints each PIN with its expiry "
      "time, or the code, its meaning and its cause, and stops at the first "
      "failure. At the clock's time it WRITES THE REAL TABLES: every PIN it "
      "prints is used up for the day at every station of the site. With "
      "--at at another time it is a rehearsal: it sells on a scratch copy "
      "of the station's settings file and its data folder's tables, says "
      "where, and shows the copy's tables afterwards; the live site is not "
      "touched. --live sells at the --at time on the live site instead, "
      "which is DANGEROUS: it dates the site's tables to that day, and the "
      "next real call rebuilds them and drops every station's marks.");
  cmd->add_option("--size", options->size,
                  "the basket size: 1 small, 2 medium, 3 large (default 1)")
      ->type_name("1|2|3")
      ->check(CLI::Range(1, 3).description(""));
  cmd->add_option("--count", options->count,
                  "how many baskets to sell (default 1)")
      ->type_name("N")
      ->check(CLI::Range(1, 100000).description(""));
  AddCommonOptions(cmd, &options->common);
  cmd->add_flag("--live", options->live,
                "DANGEROUS: sell at the --at time on the live tables instead "
                "of a scratch copy");
  cmd->add_flag("--keep-copy", options->keep_copy,
                "keep the scratch copy of a rehearsal and say where it is");
  cmd->callback([options, exit_status] { *exit_status = RunSell(*options); });
}

}  // namespace zolt::cli
