// zolt status: what each export would answer at this station now, and why,
// with nothing changed on disk.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/answers.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/day_summary.h"
#include "cli/day_view.h"
#include "cli/output.h"
#include "cli/settings_view.h"
#include "cli/station_env.h"
#include "cli/unreadable_input.h"
#include "library/code_meaning.h"
#include "library/table_lock.h"
#include "platform/file_access.h"

namespace zolt::cli {
namespace {

using nlohmann::ordered_json;

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

// The first failing check of an export, or "all pass".
std::string ChecksText(const std::vector<CheckStep>& steps, Code* first) {
  std::string names;
  for (const CheckStep& s : steps) {
    if (!names.empty()) names += ", ";
    names += s.what;
  }
  for (const CheckStep& s : steps) {
    if (!s.ok) {
      *first = s.code;
      return names + ": " + s.what + " fails (" +
             std::to_string(ToInt(s.code)) + ")";
    }
  }
  *first = Code::kOk;
  return names + ": all pass";
}

struct FolderView {
  std::string path;
  bool found = false;
  bool writable = false;
  std::string lock;
};

FolderView ViewFolder(Env& env, const std::string& folder) {
  FolderView f;
  f.path = folder;
  f.found = env.ListFolder(folder, nullptr);
  if (!f.found) {
    f.lock = "none (no folder)";
    return f;
  }
  f.writable = MayCreateIn(folder);
  const std::string lock = JoinPath(env, folder, kTableLockName);
  if (env.FolderExists(lock)) {
    f.lock = "unusable (a folder in its place): calls go on unlocked";
  } else if (!env.FileExists(lock)) {
    f.lock = f.writable ? "not made yet (the first call makes it)"
                        : "cannot be made: calls go on unlocked";
  } else {
    std::unique_ptr<FileLock> held;
    const FileError e = env.LockFile(lock, LockPlace::kLockFile, 0, &held);
    f.lock = e == FileError::kNone      ? "free"
             : e == FileError::kSharing ? "held by a station now"
                                        : "cannot be locked: calls go on unlocked";
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

int RunStatus(const CommonOptions& options) {
  const Context c = CheckOptions(options, /*freeze_clock=*/true);
  StationEnv env(Env::Default(), c.station, c.at, /*print_notices=*/false);
  const SettingsView settings = ReadSettingsView(env);
  const FolderView folder = ViewFolder(env, settings.values.Pathtopintable);
  const DayView day = ReadDayView(env, settings.values);
  const std::vector<Answer> answers = AskEveryExport(env);
  bool any_failure = false;
  for (const Answer& a : answers) any_failure |= a.result <= 0;
  const std::string unreadable = UnreadableInput(env, settings, &day);
  auto finish = [&] {
    if (unreadable.empty()) return any_failure ? kExitFailure : kExitOk;
    std::fflush(stdout);
    std::fprintf(stderr, "zolt: %s\n", unreadable.c_str());
    return kExitUsage;
  };

  Code zolt_first, query_first;
  const std::string zolt_checks = ChecksText(
      CheckSteps(settings, Caller::kZoltResult, 1), &zolt_first);
  const std::string query_checks = ChecksText(
      CheckSteps(settings, Caller::kSoldOutQuery, 1), &query_first);

  if (c.json) {
    ordered_json j;
    j["station"] = c.station;
    j["time"] = FormatTime(*c.at);
    j["simulated"] = !options.at.empty();
    ordered_json& s = j["settings"];
    s["path"] = settings.path;
    s["exists"] = settings.exists;
    s["file_check"] = FileCheckText(settings);
    s["file_code"] = ToInt(settings.file_code);
    for (const SettingLine& l : settings.lines) {
      s["values"].push_back({{"key", l.key},
                             {"present", l.present},
                             {"value", l.text},
                             {"valid", l.valid},
                             {"ok", l.ok}});
    }
    s["checks"]["ZoltResult"] = zolt_checks;
    s["checks"]["check_SoldOut_Condition"] = query_checks;
    j["data_folder"] = {{"path", folder.path},
                        {"found", folder.found},
                        {"writable", folder.writable},
                        {"lock", folder.lock}};
    j["tables"] = TablesJson(day);
    for (const Answer& a : answers) {
      ordered_json one = {{"size", a.size},
                          {"result", a.result},
                          {"meaning", AnswerMeaning(a, day,
                                                    settings.values.PINcrypt)}};
      if (!a.expiry.empty()) one["expiry"] = a.expiry;
      for (const Notice& n : a.notices) {
        one["notices"].push_back({{"caption", n.caption}, {"text", n.text}});
      }
      j["answers"][ExportName(a.caller)].push_back(one);
    }
    PrintJson(j);
    return finish();
  }

  std::printf("Station   %s\nTime      %s%s\n\n", c.station.c_str(),
              FormatTime(*c.at).c_str(),
              options.at.empty() ? " (the clock)" : " (simulated)");
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
  std::printf("  checks of ZoltResult: %s\n", zolt_checks.c_str());
  std::printf("  checks of check_SoldOut_Condition: %s\n\n",
              query_checks.c_str());

  std::printf("Data folder    %s\n  %s; lock file %s: %s\n\n",
              folder.path.c_str(),
              !folder.found      ? "cannot be found or listed"
              : folder.writable  ? "found, listable, files may be created"
                                 : "found, listable, files may NOT be created",
              kTableLockName, folder.lock.c_str());
  PrintTablesText(day);
  std::printf("\nAnswers now\n");
  for (const Answer& a : answers) {
    std::printf("  %-32s %7d  %s\n",
                (std::string(ExportName(a.caller)) + "(size " +
                 std::to_string(a.size) + ")")
                    .c_str(),
                a.result,
                AnswerMeaning(a, day, settings.values.PINcrypt).c_str());
    for (const Notice& n : a.notices) {
      std::printf("  %-32s          would show the box \"%s\" (%s)\n", "",
                  n.caption.c_str(), n.text.c_str());
    }
  }
  return finish();
}

}  // namespace

void AddStatusCommand(CLI::App& app, int* exit_status) {
  auto options = std::make_shared<CommonOptions>();
  CLI::App* cmd = app.add_subcommand("status", "what each export would answer at this station now (changes nothing)");
  Describe(cmd,
      "Show what each export would answer at this station now: the settings "
      "with their checks, the data folder, both PIN tables and the answer of "
      "ZoltResult and check_SoldOut_Condition for sizes 1 to 3. Changes "
      "nothing on disk: no table is rebuilt or marked, no lock file made.");
  AddCommonOptions(cmd, options.get());
  cmd->callback([options, exit_status] { *exit_status = RunStatus(*options); });
}

}  // namespace zolt::cli
