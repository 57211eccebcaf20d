// zolt verify PIN: what staff ask of a customer's PIN: is it one of this
// site's, was it issued, for which date, until when is it good, and is it
// still good at the time asked.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/common/command_line.h"
#include "cli/commands.h"
#include "cli/show/answers.h"
#include "cli/show/good_until.h"
#include "cli/common/output.h"
#include "cli/show/settings_view.h"
#include "cli/common/date_number.h"
#include "cli/common/station_env.h"
#include "cli/show/unreadable_input.h"
#include "library/code_meaning.h"
#include "library/expiry_text.h"
#include "library/number_text.h"
#include "library/pin_tables.h"
#include "library/table_file.h"

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

// The six digits of a PIN as staff may type it ("642 995", "642-995"), or a
// UsageError about its form.
std::string Digits(const std::string& typed) {
  std::string digits;
  for (char ch : typed) {
    if (ch == ' ' || ch == '-') continue;
    if (ch < '0' || ch > '9') {
      throw UsageError("\"" + typed +
                       "\" is not a PIN: a PIN is six digits (spaces and "
                       "dashes between them are allowed)");
    }
    digits += ch;
  }
  if (digits.size() != 6) {
    throw UsageError("\"" + typed + "\" has " + std::to_string(digits.size()) +
                     " digits: a PIN has six");
  }
  return digits;
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

std::string Duration(long minutes) {
  if (minutes < 60) return std::to_string(minutes) + " min";
  return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) +
         " min";
}

// What the marks file says of a slot of `date`: true issued, false not,
// and *why (when it cannot tell) the reason.
std::optional<bool> Issued(Env& env, const LibrarySettings& s,
                           const LocalTime& date, int slot,
                           std::string* tables_date, std::string* why) {
  TableFile marks;
  const std::string path = JoinPath(env, s.Pathtopintable, "PINTable.dat");
  if (!env.FileExists(path)) {
    *why = "there are no tables in the data folder";
    return std::nullopt;
  }
  marks.Load(env, path);
  const std::string run_date = marks.RunDate("");
  *tables_date = run_date.size() == 8 ? run_date.substr(0, 4) + "-" +
                                            run_date.substr(4, 2) + "-" +
                                            run_date.substr(6, 2)
                                      : run_date;
  if (run_date != std::to_string(DateNumber(date))) {
    *why = "the tables belong to " +
           (tables_date->empty() ? std::string("no date") : *tables_date) +
           ", not to " + FormatDate(date) +
           " (a rebuild drops the marks of the day before)";
    return std::nullopt;
  }
  const int32_t mark = ParseHex(marks.Slot(slot, "0"));
  return mark != 0 && mark != kVoidMark;
}

int RunVerify(const VerifyOptions& o) {
  const Context c = CheckOptions(o.common, /*freeze_clock=*/true);
  const std::string pin = Digits(o.pin);
  StationEnv env(Env::Default(), c.station, c.at, false);
  const SettingsView settings = ReadSettingsView(env);
  const std::string unreadable = UnreadableInput(env, settings, nullptr);
  if (!unreadable.empty()) throw InputError(unreadable);
  if (!settings.exists) throw SiteError(settings.path + ": no settings file");
  const LibrarySettings& s = settings.values;
  for (const CheckStep& step : CheckSteps(settings, Caller::kZoltResult, 1)) {
    if (!step.ok && step.code != Code::kPinsOff &&
        step.code != Code::kPinExpiry) {
      throw SiteError(settings.path + ": " + CodeMeaning(ToInt(step.code)) +
                      " (" + std::to_string(ToInt(step.code)) + ")");
    }
  }

  const LocalTime asked = *c.at;
  const int now_minute = asked.hour * 60 + asked.minute;
  const int size_digit = pin[0] - '0';
  const int32_t size = (size_digit - 2) / 2;
  const int32_t value = std::stoi(pin.substr(1)) - s.PINcrypt * size;
  const bool well_formed = (size_digit == 4 || size_digit == 6 ||
                            size_digit == 8) &&
                           value >= 0 && value <= kLargestPinValue &&
                           value != kTakenMark && value != kVoidMark;
  const LocalTime yesterday = PreviousDay(asked);
  const int slot_today =
      well_formed ? SlotOfValue(c.station, s, asked, value) : -1;
  const int slot_before =
      well_formed ? SlotOfValue(c.station, s, yesterday, value) : -1;
  // A slot of today not reached yet is not sold yet; the day before's slot
  // of the same value is then the one a customer can hold.
  const bool today_sold = slot_today >= 0 && slot_today <= now_minute;
  const bool use_today = today_sold || (slot_today >= 0 && slot_before < 0);
  const int slot = use_today ? slot_today : slot_before;
  const LocalTime date = use_today ? asked : yesterday;

  nlohmann::ordered_json j;
  j["schema"] = kJsonSchema;
  j["command"] = "verify";
  j["pin"] = std::stoi(pin);
  j["asked_at"] = IsoTime(asked);
  j["belongs"] = slot >= 0;
  std::string text;
  bool good = false;
  if (slot < 0) {
    text = pin + " is not a PIN of this site on " + FormatDate(asked) +
           " or the day before\n";
    if (well_formed) {
    } else if (size_digit != 4 && size_digit != 6 && size_digit != 8) {
      text += "  its first digit " + pin.substr(0, 1) +
              " is no basket size (4 small, 6 medium, 8 large)\n";
    }
  } else {
    const bool ahead = use_today && slot_today > now_minute;
    LocalTime sale = date;
    sale.hour = slot / 60;
    sale.minute = slot % 60;
    sale.second = 59;  // the latest a sale in that minute was told
    const bool expiry_valid =
        s.PINExpiry == 0 || (s.PINExpiry >= 10 && s.PINExpiry <= 1439);
    std::string tables_date, why;
    const std::optional<bool> issued =
        ahead ? std::optional<bool>(false)
              : Issued(env, s, date, slot, &tables_date, &why);
    j["date"] = FormatDate(date);
    j["size"] = size;
    j["slot"] = slot;
    j["time"] = FormatMinute(slot);
    j["value"] = TableText(value);
    j["ahead_of_time"] = ahead;
    j["issued"] = issued ? nlohmann::ordered_json(*issued)
                         : nlohmann::ordered_json();
    j["tables_date"] = tables_date.empty() ? nlohmann::ordered_json()
                                           : nlohmann::ordered_json(tables_date);
    text = pin + " is a PIN of " + FormatDate(date) + ": basket size " +
           std::to_string(size) + ", slot " + std::to_string(slot) + " (" +
           FormatMinute(slot) + "), table value " + TableText(value) + "\n";
    if (ahead) {
      text += "  not issued: its minute lies ahead of " +
              FormatMinute(now_minute) + ", so it is not sold yet\n";
    } else if (!issued) {
      text += "  issued: cannot tell from the tables: " + why + "\n";
    } else {
      text += *issued ? "  issued: its slot is marked taken in the tables of " +
                            FormatDate(date) + "\n"
                      : "  NOT issued: its slot is not marked taken in the "
                        "tables of " + FormatDate(date) + "\n";
    }
    if (!expiry_valid) {
      j["good_until"] = nullptr;
      j["minutes_left"] = nullptr;
      text += "  PINExpiry " + std::to_string(s.PINExpiry) +
              ": the library issues no PIN with it\n";
    } else if (!ahead) {
      const LocalTime until = GoodUntil(sale, s.PINExpiry);
      const long left = MinutesBetween(asked, until);
      j["good_until"] = IsoTime(until);
      j["minutes_left"] = left;
      const std::string shown = ShownExpiry(ExpiryText(sale, s.PINExpiry));
      text += "  good until " + shown +
              (left >= 0 ? ", still good at " + FormatTime(asked) + " (" +
                               Duration(left) + " left)\n"
                         : ", expired " + Duration(-left) + " ago (at " +
                               FormatTime(asked) + ")\n");
      good = issued.value_or(false) && left >= 0;
    }
  }
  if (slot_before >= 0 && slot >= 0 && use_today) {
    j["day_before"] = {{"date", FormatDate(yesterday)},
                       {"slot", slot_before},
                       {"time", FormatMinute(slot_before)}};
    text += "  the same PIN is also slot " + std::to_string(slot_before) +
            " (" + FormatMinute(slot_before) + ") of " + FormatDate(yesterday) +
            ": across midnight one value stands for two slots\n";
  }
  j["good"] = good;
  text += good ? "  answer: GOOD\n" : "  answer: not good\n";
  if (c.json) {
    PrintJson(j);
  } else {
    std::fputs(text.c_str(), stdout);
  }
  return good ? kExitOk : kExitFailure;
}

}  // namespace

void AddVerifyCommand(CLI::App& app, int* exit_status) {
  auto options = std::make_shared<VerifyOptions>();
  CLI::App* cmd = app.add_subcommand("verify", "whether a customer's PIN was issued and is still good (changes nothing)");
  Describe(cmd,
      "Tell whether a PIN is one of this site's at the time of --at "
      "(default: now): its date (today, or the day before for a PIN sold "
      "before midnight), basket size, minute slot and table value; whether "
      "it was issued (its slot is marked taken in the tables of that date; "
      "when the tables belong to another date, verify says it cannot tell); "
      "until when it is good, and whether it is still good at the time "
      "asked. Spaces and dashes between the digits are allowed. Exits 0 "
      "only for a PIN that was issued and is still good; 1 for one that is "
      "not issued, expired, cannot be told or not of this site; 2 for "
      "input that is not a PIN. Changes nothing on disk.");
  cmd->add_option("PIN", options->pin, "the six-digit PIN")->required();
  AddCommonOptions(cmd, &options->common);
  cmd->callback([options, exit_status] { *exit_status = RunVerify(*options); });
}

}  // namespace zolt::cli
