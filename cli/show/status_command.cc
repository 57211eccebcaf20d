// zolt status: what each export would answer at this station now, and why,
// and what the site around it does to PINs: with nothing changed on disk
// (the clock check alone makes a file in the data folder and removes it).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/show/answers.h"
#include "cli/common/command_line.h"
#include "cli/show/commands.h"
#include "cli/show/day_summary.h"
#include "cli/show/day_view.h"
#include "cli/common/refusal_words.h"
#include "cli/show/good_until.h"
#include "cli/common/output.h"
#include "cli/show/settings_view.h"
#include "cli/show/site_checks.h"
#include "cli/common/station_env.h"
#include "cli/show/unreadable_input.h"
#include "library/code_meaning.h"
#include "library/number_text.h"
#include "library/table_lock.h"
#include "platform/probes/file_access.h"

namespace zolt::cli {
namespace {

using nlohmann::ordered_json;

struct StatusOptions {
  CommonOptions common;
  bool health = false;
  bool no_clock_check = false;
};

// The settings file check: a token, and words for people.
const char* FileCheckToken(const SettingsView& v) {
  switch (v.check) {
    case FileError::kNone: return "writable";
    case FileError::kNotFound: return "missing";
    case FileError::kDenied: return v.exists ? "read-only" : "not-a-file";
    case FileError::kSharing: return "held-open";
    default: return "cannot-open";
  }
}

std::string FileCheckText(const SettingsView& v) {
  switch (v.check) {
    case FileError::kNone: return "present, may be written";
    case FileError::kNotFound: return "missing";
    case FileError::kDenied:
      return v.exists ? "present, but may not be written"
                      : "not a file that may be written";
    case FileError::kSharing: return "held open by another program";
    default: return "cannot be opened for writing";
  }
}

// The first failing check of an export, or null.
const CheckStep* FirstFailing(const std::vector<CheckStep>& steps) {
  for (const CheckStep& s : steps) {
    if (!s.ok) return &s;
  }
  return nullptr;
}

std::string ChecksText(const std::vector<CheckStep>& steps) {
  std::string names;
  for (const CheckStep& s : steps) {
    if (!names.empty()) names += ", ";
    names += s.what;
  }
  const CheckStep* first = FirstFailing(steps);
  if (first == nullptr) return names + ": all pass";
  return names + ": " + first->what + " fails (" +
         std::to_string(ToInt(first->code)) + ")";
}

ordered_json ChecksJson(const std::vector<CheckStep>& steps) {
  ordered_json j;
  j["order"] = ordered_json::array();
  for (const CheckStep& s : steps) j["order"].push_back(s.what);
  const CheckStep* first = FirstFailing(steps);
  j["first_failing"] = first ? ordered_json(first->what) : ordered_json();
  j["code"] = first ? ToInt(first->code) : 0;
  return j;
}

struct FolderView {
  std::string path;
  bool found = false;
  bool writable = false;
  std::string lock;       // a token
  std::string lock_text;  // for people
};

FolderView ViewFolder(Env& env, const std::string& folder) {
  FolderView f;
  f.path = folder;
  f.found = env.ListFolder(folder, nullptr);
  if (!f.found) {
    f.lock = "no-folder";
    f.lock_text = "none (no folder)";
    return f;
  }
  f.writable = MayCreateIn(folder);
  const std::string lock = JoinPath(env, folder, kTableLockName);
  if (env.FolderExists(lock)) {
    f.lock = "folder";
    f.lock_text = "unusable (a folder in its place): every call is refused (-1)";
  } else if (!env.FileExists(lock)) {
    f.lock = f.writable ? "not-made" : "cannot-make";
    f.lock_text = f.writable ? "not made yet (the first call makes it)"
                             : "cannot be made here: calls lock PINTable.dat instead";
  } else {
    std::unique_ptr<FileLock> held;
    const FileError e = env.LockFile(lock, LockPlace::kLockFile, 0, &held);
    f.lock = e == FileError::kNone      ? "free"
             : e == FileError::kSharing ? "held"
             : e == FileError::kNoLocks ? "no-locks"
                                        : "cannot-lock";
    f.lock_text = e == FileError::kNone      ? "free"
                  : e == FileError::kSharing ? "held by a station now"
                  : e == FileError::kNoLocks
                      ? "the file system keeps no locks: calls go on unlocked"
                      : std::string("cannot be locked (") + FileErrorName(e) +
                            "): every call is refused (-1)";
  }
  return f;
}

std::string AnswerMeaning(const Answer& a, const DayView& day,
                          int32_t pin_crypt) {
  if (a.result <= 0) return CodeMeaning(a.result);
  if (a.caller == Caller::kZoltResult) {
    return "a PIN, good until " + ShownExpiry(a.expiry);
  }
  // The core is PINcrypt x size + the slot's value: name the slot.
  const int32_t value = a.result - pin_crypt * a.size;
  for (int slot = day.minute; day.have_slots && slot >= 0; --slot) {
    const SlotView& s = day.slots[static_cast<size_t>(slot)];
    if (s.state == SlotState::kFree && s.value == value) {
      return "not sold out: the PIN core of slot " + FormatMinute(slot);
    }
  }
  return "not sold out: a PIN core";
}

// An answer a working site gives: a PIN or core, sold out, PINs off.
bool Works(const Answer& a) {
  return a.result > 0 || a.result == ToInt(Code::kSoldOut) ||
         a.result == ToInt(Code::kPinsOff);
}

// Words broken into lines of at most `width` characters, each indented.
std::string Wrapped(const std::string& words, size_t indent, size_t width) {
  std::string out, line;
  size_t start = 0;
  while (start < words.size()) {
    size_t end = words.find(' ', start);
    if (end == std::string::npos) end = words.size();
    const std::string word = words.substr(start, end - start);
    if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
      out += std::string(indent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  if (!line.empty()) out += std::string(indent, ' ') + line + "\n";
  return out;
}

const char* VerdictLabel(Verdict v) {
  switch (v) {
    case Verdict::kOk: return "ok  ";
    case Verdict::kWarn: return "WARN";
    case Verdict::kFail: return "FAIL";
    case Verdict::kNotChecked: return "--  ";
  }
  return "";
}

// Everything status reports, gathered in the order the reads happen.
struct StatusReport {
  Context c;
  SettingsView settings;
  FolderView folder;
  DayView day;
  std::vector<Answer> answers;
  std::vector<SiteCheck> site;
  std::vector<CheckStep> zolt_steps, query_steps;
  bool simulated = false;
  bool works = true;
};

void GatherStatus(const StatusOptions& o, StationEnv& env, StatusReport* r) {
  r->settings = ReadSettingsView(env);
  r->folder = ViewFolder(env, r->settings.values.Pathtopintable);
  r->day = ReadDayView(env, r->settings.values);
  r->answers = AskEveryExport(env);
  SiteCheckInput site_in;
  site_in.settings = r->settings.values;
  site_in.station_time = *r->c.at;
  site_in.simulated = r->simulated;
  site_in.measure_clock = !o.no_clock_check;
  site_in.folder_found = r->folder.found;
  site_in.day = &r->day;
  r->site = CheckSite(site_in);
  for (const Answer& a : r->answers) r->works &= Works(a);
  for (const SiteCheck& s : r->site) r->works &= s.verdict != Verdict::kFail;
  r->zolt_steps = CheckSteps(r->settings, Caller::kZoltResult, 1);
  r->query_steps = CheckSteps(r->settings, Caller::kSoldOutQuery, 1);
}

ordered_json SettingsJson(const StatusReport& r) {
  ordered_json s;
  s["path"] = r.settings.path;
  s["exists"] = r.settings.exists;
  s["file_check"] = FileCheckToken(r.settings);
  s["file_code"] = ToInt(r.settings.file_code);
  for (const SettingLine& l : r.settings.lines) {
    ordered_json line = {{"key", l.key},
                         {"present", l.present},
                         {"value", l.text},
                         {"ok", l.ok},
                         {"valid", l.valid}};
    if (l.key != "Pathtopintable") line["number"] = ParseDecimal(l.text);
    s["values"].push_back(line);
  }
  s["checks"]["ZoltResult"] = ChecksJson(r.zolt_steps);
  s["checks"]["check_SoldOut_Condition"] = ChecksJson(r.query_steps);
  return s;
}

ordered_json AnswerJson(const StatusReport& r, const Answer& a) {
  ordered_json one = {{"size", a.size}, {"result", a.result}};
  if (a.result > 0 && a.caller == Caller::kZoltResult) {
    one["good_until"] = IsoTime(GoodUntil(*r.c.at, r.settings.values.PINExpiry));
    one["expiry_text"] = a.expiry;
  }
  one["meaning"] = AnswerMeaning(a, r.day, r.settings.values.PINcrypt);
  one["cause"] = RefusalJson(a.cause);
  one["notices"] = ordered_json::array();
  for (const Notice& n : a.notices) {
    one["notices"].push_back({{"caption", n.caption}, {"text", n.text}});
  }
  return one;
}

void PrintStatusJson(const StatusReport& r) {
  ordered_json j;
  j["schema"] = kJsonSchema;
  j["command"] = "status";
  j["station"] = r.c.station;
  j["time"] = IsoTime(*r.c.at);
  j["simulated"] = r.simulated;
  j["settings"] = SettingsJson(r);
  j["data_folder"] = {{"path", r.folder.path},
                      {"found", r.folder.found},
                      {"writable", r.folder.writable},
                      {"lock", r.folder.lock}};
  for (const SiteCheck& check : r.site) {
    ordered_json one = {{"verdict", VerdictToken(check.verdict)}};
    one.update(check.data);
    one["text"] = check.text;
    one["advice"] = check.advice;
    j["site"][check.name] = one;
  }
  j["tables"] = TablesJson(r.day);
  for (const Answer& a : r.answers) {
    j["answers"][ExportName(a.caller)].push_back(AnswerJson(r, a));
  }
  j["works"] = r.works;
  PrintJson(j);
}

void PrintSettingsText(const StatusReport& r) {
  const SettingsView& settings = r.settings;
  std::printf("Settings file  %s\n  %s\n", settings.path.c_str(),
              FileCheckText(settings).c_str());
  if (settings.file_code != Code::kOk) {
    std::printf("  every call stops here with %d: %s\n",
                ToInt(settings.file_code),
                CodeMeaning(ToInt(settings.file_code)).c_str());
  }
  int width = 6;
  for (const SettingLine& l : settings.lines) {
    width = std::max(width, static_cast<int>(l.text.size()));
  }
  for (const SettingLine& l : settings.lines) {
    std::printf("  %-15s %-*s  %-4s valid: %s%s\n", l.key.c_str(), width,
                l.text.c_str(), l.ok ? "ok" : "BAD", l.valid.c_str(),
                l.present ? "" : " (key missing: default)");
  }
  std::printf("  checks of ZoltResult: %s\n", ChecksText(r.zolt_steps).c_str());
  std::printf("  checks of check_SoldOut_Condition: %s\n\n",
              ChecksText(r.query_steps).c_str());
}

void PrintFolderAndSiteText(const StatusReport& r) {
  const FolderView& folder = r.folder;
  std::printf("Data folder    %s\n  %s; lock file %s: %s\n\n",
              folder.path.c_str(),
              !folder.found      ? "cannot be found or listed"
              : folder.writable  ? "found, listable, files may be created"
                                 : "found, listable, files may NOT be created",
              kTableLockName, folder.lock_text.c_str());
  std::printf("Site\n");
  for (const SiteCheck& check : r.site) {
    std::printf("  %s  %s\n", VerdictLabel(check.verdict), check.text.c_str());
    if (!check.advice.empty()) {
      std::fputs(Wrapped(check.advice, 8, 78).c_str(), stdout);
    }
  }
  std::printf("\n");
}

void PrintAnswersText(const StatusReport& r) {
  std::printf("\nAnswers now\n");
  for (const Answer& a : r.answers) {
    std::printf("  %-32s %7d  %s\n",
                (std::string(ExportName(a.caller)) + "(size " +
                 std::to_string(a.size) + ")")
                    .c_str(),
                a.result,
                a.result <= 0
                    ? MeaningBesideCause(a.result, a.cause).c_str()
                    : AnswerMeaning(a, r.day, r.settings.values.PINcrypt).c_str());
    const std::string cause = DescribeRefusal(a.cause);
    if (!cause.empty()) {
      std::printf("  %-32s          cause: %s\n", "", cause.c_str());
    }
    for (const Notice& n : a.notices) {
      std::printf("  %-32s          would show the box \"%s\" (%s)\n", "",
                  n.caption.c_str(), n.text.c_str());
    }
  }
}

void PrintStatusText(const StatusOptions& o, const StatusReport& r) {
  std::printf("Station   %s\nTime      %s%s\n\n", r.c.station.c_str(),
              FormatTime(*r.c.at).c_str(),
              r.simulated ? " (simulated)" : " (the clock)");
  PrintSettingsText(r);
  PrintFolderAndSiteText(r);
  PrintTablesText(r.day);
  PrintAnswersText(r);
  if (o.health) {
    std::printf("\nHealth    %s\n",
                r.works ? "works (PINs, sold out or PINs off; no site check "
                          "failed)"
                        : "does NOT work");
  }
}

int RunStatus(const StatusOptions& o) {
  StatusReport r;
  r.c = CheckOptions(o.common, /*freeze_clock=*/true);
  r.simulated = !o.common.at.empty();
  StationEnv env(Env::Default(), r.c.station, r.c.at, /*print_notices=*/false);
  GatherStatus(o, env, &r);
  bool all_pins = true;
  for (const Answer& a : r.answers) all_pins &= a.result > 0;
  const bool ok = o.health ? r.works : r.works && all_pins;
  const std::string unreadable = UnreadableInput(env, r.settings, &r.day);
  if (r.c.json) {
    PrintStatusJson(r);
  } else {
    PrintStatusText(o, r);
  }
  if (unreadable.empty()) return ok ? kExitOk : kExitFailure;
  PrintError("status", unreadable);
  return kExitUsage;
}

}  // namespace

void AddStatusCommand(CLI::App& app, int* exit_status) {
  auto o = std::make_shared<StatusOptions>();
  CLI::App* cmd = app.add_subcommand("status", "what each export would answer at this station now, and the site's checks (changes nothing)");
  Describe(cmd,
      "Show what each export would answer at this station now: the settings "
      "with their checks, the data folder, the site's checks (this "
      "station's clock against the data folder's server, a data folder on "
      "this station's own disk, the tables' date against this station's), "
      "both PIN tables and the answer of ZoltResult and "
      "check_SoldOut_Condition for sizes 1 to 3, with the cause of each "
      "refusal. Changes nothing on disk: no table is rebuilt or marked, no "
      "lock file made. To read the server's clock it creates the file "
      "zolt-clock-probe.tmp in the data folder and removes it at once (not "
      "with --at or --no-clock-check). Exits 1 unless every answer is a PIN "
      "and no site check fails; with --health, exits 0 for a site that "
      "works, sold out and PINs off included.");
  AddCommonOptions(cmd, &o->common);
  cmd->add_flag("--health", o->health,
                "exit 0 for a site that works: every answer a PIN, sold out "
                "(-500) or PINs off (-300), and no site check failed");
  cmd->add_flag("--no-clock-check", o->no_clock_check,
                "do not read the server's clock (makes no file in the data "
                "folder)");
  cmd->callback([o, exit_status] { *exit_status = RunStatus(*o); });
}

}  // namespace zolt::cli
