// zolt verify PIN: which basket size, minute slot and table value a PIN of
// this station's site belongs to on a date, whether its slot is taken in
// the tables, and the expiry text a sale in that minute got.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/day_view.h"
#include "cli/output.h"
#include "cli/settings_view.h"
#include "cli/station_env.h"
#include "cli/unreadable_input.h"
#include "library/code_meaning.h"
#include "library/expiry_text.h"
#include "library/pin_tables.h"

namespace zolt::cli {
namespace {

struct VerifyOptions {
  CommonOptions common;
  std::string pin;
};

LocalTime PreviousDay(LocalTime t) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  if (--t.day >= 1) return t;
  if (--t.month < 1) {
    t.month = 12;
    --t.year;
  }
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  t.day = kDays[t.month - 1] + (t.month == 2 && leap ? 1 : 0);
  return t;
}

// The slot of the date's table that holds `value`, or -1. Of slots with one
// generated value only the lowest keeps it, so there is at most one.
int SlotOfValue(const std::string& station, const LibrarySettings& s,
                const LocalTime& date, int32_t value) {
  StationEnv clock(Env::Default(), station, date, false);
  std::vector<int32_t> values(kSlotCount);
  ComputeTable(clock, s, values.data());
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (values[static_cast<size_t>(slot)] == value) return slot;
  }
  return -1;
}

std::string ExpiryRange(const LocalTime& date, int slot, int32_t expiry) {
  LocalTime sale = date;
  sale.hour = slot / 60;
  sale.minute = slot % 60;
  sale.second = 0;
  const std::string first = ExpiryText(sale, expiry);
  sale.second = 59;
  const std::string last = ExpiryText(sale, expiry);
  auto shown = [](std::string t) {
    while (!t.empty() && (t.back() == '\n' || t.back() == ' ')) t.pop_back();
    while (!t.empty() && t.front() == ' ') t.erase(0, 1);
    return t;
  };
  if (first == last) return shown(first);
  return shown(first) + " to " + shown(last) + " (by the second of the sale)";
}

int RunVerify(const VerifyOptions& o) {
  const Context c = CheckOptions(o.common, /*freeze_clock=*/true);
  const std::string& pin = o.pin;
  bool digits = pin.size() == 6;
  for (char ch : pin) digits = digits && ch >= '0' && ch <= '9';
  if (!digits) {
    throw UsageError("verify: \"" + pin +
                     "\" is not a PIN of this site on that date: a PIN has "
                     "six digits");
  }
  StationEnv env(Env::Default(), c.station, c.at, false);
  const SettingsView settings = ReadSettingsView(env);
  const std::string unreadable = UnreadableInput(env, settings, nullptr);
  if (!unreadable.empty()) throw UsageError("verify: " + unreadable);
  if (!settings.exists) {
    throw UsageError("verify: " + settings.path + ": no settings file");
  }
  const LibrarySettings& s = settings.values;
  for (const CheckStep& step : CheckSteps(settings, Caller::kZoltResult, 1)) {
    if (!step.ok && step.code != Code::kPinsOff &&
        step.code != Code::kPinExpiry) {
      std::fprintf(stderr, "zolt: verify: %s: %s (%d)\n",
                   settings.path.c_str(), CodeMeaning(ToInt(step.code)).c_str(),
                   ToInt(step.code));
      return kExitFailure;
    }
  }

  const LocalTime date = *c.at;
  const int size_digit = pin[0] - '0';
  const int32_t size = (size_digit - 2) / 2;
  const int32_t core = std::stoi(pin.substr(1));
  const int32_t value = core - s.PINcrypt * size;
  const bool well_formed = (size_digit == 4 || size_digit == 6 ||
                            size_digit == 8) &&
                           value >= 0 && value <= kLargestPinValue &&
                           value != kTakenMark && value != kVoidMark;
  const int slot = well_formed ? SlotOfValue(c.station, s, date, value) : -1;
  const LocalTime before = PreviousDay(date);
  const int slot_before =
      well_formed ? SlotOfValue(c.station, s, before, value) : -1;

  nlohmann::ordered_json j;
  j["pin"] = pin;
  j["date"] = FormatDate(date);
  j["belongs"] = slot >= 0;
  std::string text;
  if (slot >= 0) {
    const DayView day = ReadDayView(env, s);
    const bool taken =
        day.have_slots &&
        day.slots[static_cast<size_t>(slot)].state == SlotState::kTaken;
    const bool ahead = slot > day.minute;
    const bool expiry_valid =
        s.PINExpiry == 0 || (s.PINExpiry >= 10 && s.PINExpiry <= 1439);
    const std::string expiry =
        expiry_valid ? ExpiryRange(date, slot, s.PINExpiry) : "";
    j["size"] = size;
    j["slot"] = slot;
    j["time"] = FormatMinute(slot);
    j["value"] = TableText(value);
    j["taken"] = taken;
    j["ahead_of_time"] = ahead;
    j["expiry"] = expiry;
    char line[256];
    std::snprintf(line, sizeof(line),
                  "%s is a PIN of %s: basket size %d, slot %d (%s), table "
                  "value %s\n",
                  pin.c_str(), FormatDate(date).c_str(), size, slot,
                  FormatMinute(slot).c_str(), TableText(value).c_str());
    text = line;
    text += taken ? "  its slot is marked taken in today's tables (issued)\n"
                  : "  its slot is not marked taken in today's tables "
                    "(not issued)\n";
    if (ahead) {
      text += "  its minute lies ahead of " + FormatMinute(day.minute) +
              ": not sold yet\n";
    }
    if (!expiry.empty()) {
      text += "  a sale in that minute was told: good until " + expiry + "\n";
    } else {
      text += "  PINExpiry " + std::to_string(s.PINExpiry) +
              ": the library issues no PIN with it\n";
    }
  } else {
    text = pin + " is not a PIN of this site on " + FormatDate(date) + "\n";
  }
  if (slot_before >= 0) {
    j["day_before"] = {{"date", FormatDate(before)},
                       {"slot", slot_before},
                       {"time", FormatMinute(slot_before)}};
    const std::string where = "slot " + std::to_string(slot_before) + " (" +
                              FormatMinute(slot_before) + ") of " +
                              FormatDate(before);
    text += slot >= 0 ? "  the same PIN is also " + where +
                            ": across midnight one value stands for two "
                            "slots\n"
                      : "  it is the PIN of " + where +
                            ", the day before\n";
  }
  if (c.json) {
    PrintJson(j);
  } else {
    std::fputs(text.c_str(), stdout);
  }
  return slot >= 0 ? kExitOk : kExitFailure;
}

}  // namespace

void AddVerifyCommand(CLI::App& app, int* exit_status) {
  auto options = std::make_shared<VerifyOptions>();
  CLI::App* cmd = app.add_subcommand("verify", "which basket size, slot and value a PIN belongs to (changes nothing)");
  Describe(cmd,
      "Tell which basket size, minute slot and table value a six-digit PIN "
      "belongs to on the date of --at (default: today) with this station's "
      "settings, whether that slot is marked taken in today's tables, and "
      "the expiry text a sale in that minute got; or that it is not a PIN "
      "of this site on that date. Changes nothing on disk.");
  cmd->add_option("PIN", options->pin, "the six-digit PIN")->required();
  AddCommonOptions(cmd, &options->common);
  cmd->callback([options, exit_status] { *exit_status = RunVerify(*options); });
}

}  // namespace zolt::cli
