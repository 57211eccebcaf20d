// zolt tables: a picture of the day, one row per hour and one cell per
// minute, as the next library call would find the tables. Changes nothing.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/common/command_line.h"
#include "cli/show/commands.h"
#include "cli/show/day_summary.h"
#include "cli/show/day_view.h"
#include "cli/common/output.h"
#include "cli/show/settings_view.h"
#include "cli/common/station_env.h"
#include "cli/show/unreadable_input.h"
#include "library/code_meaning.h"

namespace zolt::cli {
namespace {

// One cell: the character without colour, and the colour code with it.
struct Cell {
  char plain;
  const char* colour;
};

Cell CellOf(const SlotView& s) {
  switch (s.state) {
    case SlotState::kFree:
      return s.in_window ? Cell{'o', "\033[1;32m"} : Cell{'.', "\033[32m"};
    case SlotState::kTaken:
      return s.in_window ? Cell{'X', "\033[1;31m"} : Cell{'x', "\033[31m"};
    case SlotState::kVoid:
      return {'#', "\033[90m"};
    case SlotState::kPast:
      return {'-', "\033[2m"};
  }
  return {'?', ""};
}

void PrintPicture(const DayView& d, bool colour) {
  const char* window_on = colour ? "\033[7m" : "";  // reverse video
  const char* off = colour ? "\033[0m" : "";
  std::string tens;
  for (int m = 0; m < 60; m += 10) tens += std::to_string(m / 10) + "         ";
  while (tens.back() == ' ') tens.pop_back();
  std::printf("       %s\n       ", tens.c_str());
  for (int m = 0; m < 60; ++m) std::printf("%d", m % 10);
  std::printf("\n");
  for (int hour = 0; hour < 24; ++hour) {
    std::string row;
    for (int m = 0; m < 60; ++m) {
      const SlotView& s = d.slots[static_cast<size_t>(hour * 60 + m)];
      const Cell c = CellOf(s);
      if (colour) {
        row += c.colour;
        if (s.in_window) row += window_on;
        row += c.plain;
        row += off;
      } else {
        row += c.plain;
      }
    }
    std::printf("  %02d   %s\n", hour, row.c_str());
  }
  const SlotView& last = d.slots[kSlotCount - 1];
  std::printf("  slot 1440 (24:00, never searched): %s\n",
              SlotStateName(last.state));
  std::printf(
      "\n  %s free   %s free in the search window (sellable now)   %s taken"
      "   %s taken, in the window   %s void   %s past (behind the window)\n",
      colour ? "\033[32m.\033[0m" : ".", colour ? "\033[1;32m\033[7mo\033[0m" : "o",
      colour ? "\033[31mx\033[0m" : "x", colour ? "\033[1;31m\033[7mX\033[0m" : "X",
      colour ? "\033[90m#\033[0m" : "#", colour ? "\033[2m-\033[0m" : "-");
}

int RunTables(const CommonOptions& options) {
  const Context c = CheckOptions(options, /*freeze_clock=*/true);
  StationEnv env(Env::Default(), c.station, c.at, /*print_notices=*/false);
  const SettingsView settings = ReadSettingsView(env);
  std::string unreadable = UnreadableInput(env, settings, nullptr);
  if (!unreadable.empty()) throw InputError(unreadable);
  if (!settings.exists) throw SiteError(settings.path + ": no settings file");
  const DayView day = ReadDayView(env, settings.values);
  unreadable = UnreadableInput(env, settings, &day);
  auto finish = [&](int status) {
    if (unreadable.empty()) return status;
    PrintError("tables", unreadable);
    return kExitUsage;
  };

  if (c.json) {
    nlohmann::ordered_json j;
    j["schema"] = kJsonSchema;
    j["command"] = "tables";
    j["station"] = c.station;
    j["time"] = IsoTime(*c.at);
    j["tables"] = TablesJson(day);
    if (day.have_slots) {
      nlohmann::ordered_json& slots = j["slots"];
      slots = nlohmann::ordered_json::array();
      for (int slot = 0; slot < kSlotCount; ++slot) {
        const SlotView& s = day.slots[static_cast<size_t>(slot)];
        slots.push_back({{"slot", slot},
                         {"time", FormatMinute(slot)},
                         {"text", s.text},
                         {"value", s.value},
                         {"state", SlotStateName(s.state)},
                         {"in_window", s.in_window}});
      }
    }
    PrintJson(j);
    return finish(day.have_slots ? kExitOk : kExitFailure);
  }

  std::printf("Tables of %s at %s, station %s\n", FormatDate(*c.at).c_str(),
              FormatMinute(day.minute).c_str(), c.station.c_str());
  PrintTablesText(day);
  if (!day.have_slots) return finish(kExitFailure);
  std::printf("\n");
  PrintPicture(day, UseColour());
  return finish(kExitOk);
}

}  // namespace

void AddTablesCommand(CLI::App& app, int* exit_status) {
  auto options = std::make_shared<CommonOptions>();
  CLI::App* cmd = app.add_subcommand("tables", "a picture of the day: every minute slot free, taken, void or past (changes nothing)");
  Describe(cmd,
      "Show a picture of the day: 24 rows (hours) of 60 cells (minutes), "
      "each slot free, taken, void or past, the current search window "
      "highlighted, with a legend and the counts; with --json all 1441 slots "
      "with value and state. When the next call would rebuild the tables, "
      "shows the tables that rebuild would make. Changes nothing on disk.");
  AddCommonOptions(cmd, options.get());
  cmd->callback([options, exit_status] { *exit_status = RunTables(*options); });
}

}  // namespace zolt::cli
