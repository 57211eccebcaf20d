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
#include "cli/show/commands.h"
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

// The station's settings, when they let the library issue PINs at all
// (PINs off and a bad PINExpiry still tell which PIN is which); otherwise
// an InputError or SiteError.
SettingsView UsableSettings(StationEnv& env) {
  SettingsView settings = ReadSettingsView(env);
  const std::string unreadable = UnreadableInput(env, settings, nullptr);
  if (!unreadable.empty()) throw InputError(unreadable);
  if (!settings.exists) throw SiteError(settings.path + ": no settings file");
  for (const CheckStep& step : CheckSteps(settings, Caller::kZoltResult, 1)) {
    if (!step.ok && step.code != Code::kPinsOff &&
        step.code != Code::kPinExpiry) {
      throw SiteError(settings.path + ": " + CodeMeaning(ToInt(step.code)) +
                      " (" + std::to_string(ToInt(step.code)) + ")");
    }
  }
  return settings;
}

// Where a PIN belongs: its size and table value, and the slot of today or
// of the day before that holds the value (slot -1: neither).
struct PinPlace {
  int size_digit = 0;
  int32_t size = 0, value = 0;
  bool well_formed = false;
  int slot_today = -1, slot_before = -1, slot = -1;
  bool use_today = false;
  LocalTime asked, yesterday, date;
  int now_minute = 0;
};

PinPlace PlacePin(const std::string& station, const LibrarySettings& s,
                  const LocalTime& asked, const std::string& pin) {
  PinPlace p;
  p.asked = asked;
  p.now_minute = asked.hour * 60 + asked.minute;
  p.size_digit = pin[0] - '0';
  p.size = (p.size_digit - 2) / 2;
  p.value = std::stoi(pin.substr(1)) - s.PINcrypt * p.size;
  p.well_formed = (p.size_digit == 4 || p.size_digit == 6 || p.size_digit == 8) &&
                  p.value >= 0 && p.value <= kLargestPinValue &&
                  p.value != kTakenMark && p.value != kVoidMark;
  p.yesterday = PreviousDay(asked);
  p.slot_today = p.well_formed ? SlotOfValue(station, s, asked, p.value) : -1;
  p.slot_before = p.well_formed ? SlotOfValue(station, s, p.yesterday, p.value) : -1;
  // A slot of today not reached yet is not sold yet; the day before's slot
  // of the same value is then the one a customer can hold.
  const bool today_sold = p.slot_today >= 0 && p.slot_today <= p.now_minute;
  p.use_today = today_sold || (p.slot_today >= 0 && p.slot_before < 0);
  p.slot = p.use_today ? p.slot_today : p.slot_before;
  p.date = p.use_today ? asked : p.yesterday;
  return p;
}

// The answer being built: the JSON and the text say the same.
struct VerifyAnswer {
  nlohmann::ordered_json j;
  std::string text;
  bool good = false;
};

void TellIssued(const PinPlace& p, bool ahead, const std::optional<bool>& issued,
                const std::string& why, VerifyAnswer* out) {
  if (ahead) {
    out->text += "  not issued: its minute lies ahead of " + FormatMinute(p.now_minute) +
                 ", so it is not sold yet\n";
  } else if (!issued) {
    out->text += "  issued: cannot tell from the tables: " + why + "\n";
  } else {
    out->text += *issued ? "  issued: its slot is marked taken in the tables of " +
                               FormatDate(p.date) + "\n"
                         : "  NOT issued: its slot is not marked taken in the "
                           "tables of " + FormatDate(p.date) + "\n";
  }
}

void TellGoodUntil(const PinPlace& p, const LibrarySettings& s, bool ahead,
                   const std::optional<bool>& issued, VerifyAnswer* out) {
  const bool expiry_valid = s.PINExpiry == 0 || (s.PINExpiry >= 10 && s.PINExpiry <= 1439);
  if (!expiry_valid) {
    out->j["good_until"] = nullptr;
    out->j["minutes_left"] = nullptr;
    out->text += "  PINExpiry " + std::to_string(s.PINExpiry) +
                 ": the library issues no PIN with it\n";
    return;
  }
  if (ahead) return;
  LocalTime sale = p.date;
  sale.hour = p.slot / 60;
  sale.minute = p.slot % 60;
  sale.second = 59;  // the latest a sale in that minute was told
  const LocalTime until = GoodUntil(sale, s.PINExpiry);
  const long left = MinutesBetween(p.asked, until);
  out->j["good_until"] = IsoTime(until);
  out->j["minutes_left"] = left;
  const std::string shown = ShownExpiry(ExpiryText(sale, s.PINExpiry));
  out->text += "  good until " + shown +
               (left >= 0 ? ", still good at " + FormatTime(p.asked) + " (" +
                                Duration(left) + " left)\n"
                          : ", expired " + Duration(-left) + " ago (at " +
                                FormatTime(p.asked) + ")\n");
  out->good = issued.value_or(false) && left >= 0;
}

// A PIN of this site: its date, slot and value, whether it was issued and
// until when it is good.
void TellSlot(Env& env, const LibrarySettings& s, const std::string& pin,
              const PinPlace& p, VerifyAnswer* out) {
  const bool ahead = p.use_today && p.slot_today > p.now_minute;
  std::string tables_date, why;
  const std::optional<bool> issued =
      ahead ? std::optional<bool>(false) : Issued(env, s, p.date, p.slot, &tables_date, &why);
  nlohmann::ordered_json& j = out->j;
  j["date"] = FormatDate(p.date);
  j["size"] = p.size;
  j["slot"] = p.slot;
  j["time"] = FormatMinute(p.slot);
  j["value"] = TableText(p.value);
  j["ahead_of_time"] = ahead;
  j["issued"] = issued ? nlohmann::ordered_json(*issued) : nlohmann::ordered_json();
  j["tables_date"] = tables_date.empty() ? nlohmann::ordered_json()
                                         : nlohmann::ordered_json(tables_date);
  out->text = pin + " is a PIN of " + FormatDate(p.date) + ": basket size " +
              std::to_string(p.size) + ", slot " + std::to_string(p.slot) + " (" +
              FormatMinute(p.slot) + "), table value " + TableText(p.value) + "\n";
  TellIssued(p, ahead, issued, why, out);
  TellGoodUntil(p, s, ahead, issued, out);
}

void TellNotOfSite(const std::string& pin, const PinPlace& p, VerifyAnswer* out) {
  out->text = pin + " is not a PIN of this site on " + FormatDate(p.asked) +
              " or the day before\n";
  if (!p.well_formed && p.size_digit != 4 && p.size_digit != 6 && p.size_digit != 8) {
    out->text += "  its first digit " + pin.substr(0, 1) +
                 " is no basket size (4 small, 6 medium, 8 large)\n";
  }
}

int RunVerify(const VerifyOptions& o) {
  const Context c = CheckOptions(o.common, /*freeze_clock=*/true);
  const std::string pin = Digits(o.pin);
  StationEnv env(Env::Default(), c.station, c.at, false);
  const SettingsView settings = UsableSettings(env);
  const LibrarySettings& s = settings.values;
  const PinPlace p = PlacePin(c.station, s, *c.at, pin);

  VerifyAnswer out;
  out.j["schema"] = kJsonSchema;
  out.j["command"] = "verify";
  out.j["pin"] = std::stoi(pin);
  out.j["asked_at"] = IsoTime(p.asked);
  out.j["belongs"] = p.slot >= 0;
  if (p.slot < 0) {
    TellNotOfSite(pin, p, &out);
  } else {
    TellSlot(env, s, pin, p, &out);
  }
  if (p.slot_before >= 0 && p.slot >= 0 && p.use_today) {
    out.j["day_before"] = {{"date", FormatDate(p.yesterday)},
                           {"slot", p.slot_before},
                           {"time", FormatMinute(p.slot_before)}};
    out.text += "  the same PIN is also slot " + std::to_string(p.slot_before) + " (" +
                FormatMinute(p.slot_before) + ") of " + FormatDate(p.yesterday) +
                ": across midnight one value stands for two slots\n";
  }
  out.j["good"] = out.good;
  out.text += out.good ? "  answer: GOOD\n" : "  answer: not good\n";
  if (c.json) {
    PrintJson(out.j);
  } else {
    std::fputs(out.text.c_str(), stdout);
  }
  return out.good ? kExitOk : kExitFailure;
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
