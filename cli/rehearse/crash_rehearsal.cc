#include "cli/rehearse/crash_rehearsal.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "cli/common/command_line.h"
#include "cli/common/station_env.h"
#include "cli/rehearse/crash_report.h"
#include "cli/rehearse/station_process.h"
#include "cli/show/strict_table_file.h"
#include "library/pin_tables.h"
#include "library/zolt.h"

namespace zolt::cli {
namespace {

constexpr int kSalesPerDay = 3;
constexpr int kReadyTimeoutMs = 300000;

class DayTables {
 public:
  explicit DayTables(const LibrarySettings& site) : site_(site) {}
  const DayTable& For(int32_t date) {
    auto it = tables_.find(date);
    if (it == tables_.end()) {
      it = tables_.emplace(date, ComputeDayTable(site_, FromDateNumber(date, 12, 0)))
               .first;
    }
    return it->second;
  }

 private:
  LibrarySettings site_;
  std::map<int32_t, DayTable> tables_;
};

// Empty when the file reads strictly and holds the complete table of the
// day it is dated (issued slots may carry "270E" on top); else why not.
std::string Unsound(const std::string& bytes, bool library_file,
                    DayTables& days, StrictTableFile* out) {
  *out = ReadStrictTableFile(bytes);
  if (!out->ok) return out->error;
  if (out->run_date == 0) return "no LastPINRunDate";
  const DayTable& day = days.For(out->run_date);
  if (library_file && out->entries.size() != static_cast<size_t>(kSlotCount)) {
    return std::to_string(out->entries.size()) + " slots, not 1441";
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const int32_t built = day.values[static_cast<size_t>(slot)];
    const bool mark = built == kTakenMark || built == kVoidMark;
    auto it = out->entries.find(slot);
    if (it == out->entries.end()) {
      if (library_file || mark) return "slot " + std::to_string(slot) + " missing";
      continue;
    }
    if (it->second != TableText(built) && it->second != "270E") {
      return "slot " + std::to_string(slot) + " holds " + it->second +
             ", built " + TableText(built);
    }
  }
  return "";
}

int CountTemporaryFiles(const std::string& folder) {
  int n = 0;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    std::string name = e.path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (name != "pintable.dat" && name != "dllpintable.dat" &&
        name != "pintable.lck") {
      ++n;
    }
  }
  return n;
}

std::string ReadOr(const std::string& path, bool* present) {
  std::string bytes;
  *present = Env::Default().ReadFile(path, &bytes) == FileError::kNone;
  return bytes;
}

std::vector<std::string> WorkerArgs(const std::string& station,
                                    const LocalTime& day, int days) {
  return {"--station", station,
          "--at",      FormatTime(day),
          "--sales",   std::to_string(kSalesPerDay),
          "--days",    std::to_string(days),
          "--wait"};
}

// A station process ready to sell from `day` on, waiting for its release;
// null when it cannot start (said on stderr).
std::unique_ptr<StationProcess> StartStation(const std::string& station,
                                             const LocalTime& day, int days) {
  std::string error;
  auto child =
      StationProcess::Start(SelfLauncher(), WorkerArgs(station, day, days), &error);
  if (!child || !child->WaitReady(kReadyTimeoutMs)) {
    std::fprintf(stderr, "zolt: simulate: cannot start a station: %s\n",
                 error.c_str());
    return nullptr;
  }
  return child;
}

// How long a day's rebuild and its sales take here, at least 5 ms, timed
// on one station left to sell its day. False when it cannot start.
bool TimeOneDay(const std::string& station, const LocalTime& day,
                long long* max_delay_us) {
  auto calibration = StartStation(station, day, 1);
  if (!calibration) return false;
  const auto start = std::chrono::steady_clock::now();
  calibration->Go();
  calibration->Finish();
  *max_delay_us = std::max<long long>(
      5000, std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start)
                .count());
  return true;
}

// When the kills fall after the release: evenly within the longest delay,
// and the same ones for the same seed.
class KillMoments {
 public:
  KillMoments(unsigned seed, long long max_delay_us)
      : random_(seed), delay_us_(0, max_delay_us) {}
  std::chrono::microseconds Next() {
    return std::chrono::microseconds(delay_us_(random_));
  }

 private:
  std::mt19937 random_;
  std::uniform_int_distribution<long long> delay_us_;
};

// What every kill shares: the one station, the table files it writes, the
// day tables they are judged against, and the tally so far.
struct CrashRun {
  CrashRun(const SiteSettings& site, const std::string& station,
           const std::string& data)
      : site(site),
        station(station),
        data(data),
        pin_path(JoinPath(Env::Default(), data, "PINTable.dat")),
        dll_path(JoinPath(Env::Default(), data, "DLLPINTable.dat")),
        days(site.values) {}

  const SiteSettings& site;
  std::string station, data, pin_path, dll_path;
  DayTables days;
  CrashOutcome out;
};

// The last day a killed station began (0: none) and the PINs it reported
// for that day.
struct DayReached {
  int32_t day = 0;
  std::vector<int32_t> pins;
};

DayReached LastDayReached(const std::vector<nlohmann::json>& events,
                          int* pins_reported) {
  DayReached last;
  for (const nlohmann::json& e : events) {
    if (!e.contains("day")) continue;
    const int32_t d = e["day"].get<int32_t>();
    if (d != last.day) last.pins.clear();
    last.day = d;
    const int32_t r = e.value("result", 0);
    if (r > 0) {
      last.pins.push_back(r);
      ++*pins_reported;
    }
  }
  return last;
}

// Reads both table files as the kill left them (*pin_file, *dll_file); each
// present one that does not read soundly counts as torn.
void CheckFilesSound(CrashRun& run, const std::string& kill,
                     StrictTableFile* pin_file, StrictTableFile* dll_file) {
  bool pin_present, dll_present;
  const std::string pin_bytes = ReadOr(run.pin_path, &pin_present);
  const std::string dll_bytes = ReadOr(run.dll_path, &dll_present);
  for (auto [present, bytes, library, file, name] :
       {std::tuple{pin_present, &pin_bytes, false, pin_file, "PINTable.dat"},
        std::tuple{dll_present, &dll_bytes, true, dll_file, "DLLPINTable.dat"}}) {
    if (!present) continue;
    const std::string why = Unsound(*bytes, library, run.days, file);
    if (!why.empty()) {
      ++run.out.torn;
      run.out.Fault(kill + name + ": " + why);
    }
  }
}

// The slots of the day's table that the reported PINs came from.
std::set<int> ReportedSlots(const DayTable& table, const std::vector<int32_t>& pins,
                            int32_t pin_crypt) {
  std::set<int> reported;
  for (int32_t p : pins) {
    auto it = table.slot_of.find(ValueOfPin(p, pin_crypt));
    if (it != table.slot_of.end()) reported.insert(it->second);
  }
  return reported;
}

void CheckSlotsMarked(const std::set<int>& reported, int32_t day,
                      const StrictTableFile& pin_file,
                      const StrictTableFile& dll_file, const std::string& kill,
                      CrashOutcome& out) {
  for (int slot : reported) {
    for (const StrictTableFile* f : {&pin_file, &dll_file}) {
      auto it = f->entries.find(slot);
      if (f->run_date != day || it == f->entries.end() || it->second != "270E") {
        ++out.unmarked;
        out.Fault(kill + "slot " + std::to_string(slot) +
                  " was reported issued but is not marked");
      }
    }
  }
}

// One more sale at the station on `day`, as the next customer's would be.
void CheckNextSale(CrashRun& run, const std::string& kill, int32_t day,
                   const DayTable& table, const std::set<int>& reported) {
  StationEnv next_env(Env::Default(), run.station, FromDateNumber(day, 23, 59),
                      false);
  char expiry[kExpiryBufferSize + 1];
  const int32_t next = IssuePin(next_env, 1, expiry);
  if (next <= 0) {
    ++run.out.next_failed;
    run.out.Fault(kill + "the next sale failed with " + std::to_string(next));
  } else {
    auto it = table.slot_of.find(ValueOfPin(next, run.site.values.PINcrypt));
    if (it != table.slot_of.end() && reported.count(it->second) > 0) {
      ++run.out.reissued;
      run.out.Fault(kill + "slot " + std::to_string(it->second) + " issued again");
    }
  }
}

// What a kill on `last.day` must leave: both table files read soundly, the
// slots the station reported for that day are marked in both, and the next
// sale on that day does not hand out one of them again.
void JudgeWhatItLeft(CrashRun& run, const std::string& kill,
                     const DayReached& last) {
  StrictTableFile pin_file, dll_file;
  CheckFilesSound(run, kill, &pin_file, &dll_file);
  const DayTable& table = run.days.For(last.day);
  const std::set<int> reported =
      ReportedSlots(table, last.pins, run.site.values.PINcrypt);
  CheckSlotsMarked(reported, last.day, pin_file, dll_file, kill, run.out);
  CheckNextSale(run, kill, last.day, table, reported);
}

// Kill number `number`: starts the station on *day, kills it at the next
// moment and judges what it left; *day then moves on past the day it
// reached. False when the station cannot start.
bool RehearseKill(CrashRun& run, int number, KillMoments& moments,
                  LocalTime* day) {
  auto child = StartStation(run.station, *day, 0);
  if (!child) return false;
  child->Go();
  std::this_thread::sleep_for(moments.Next());
  child->Kill();
  const int code = child->Finish();
  CrashOutcome& out = run.out;
  ++out.kills;
  const int faults_before = out.FaultCount();
  const std::string kill = "kill " + std::to_string(number) + ": ";
  if (code != -1) {
    ++out.ended_on_its_own;
    out.Fault(kill + "the station ended by itself");
  }
  const DayReached last = LastDayReached(child->Events(), &out.pins_reported);
  if (last.day == 0) {
    ++out.before_start;
    return true;
  }
  ++(last.pins.empty() ? out.in_rebuild : out.in_sales);
  JudgeWhatItLeft(run, kill, last);
  if (out.FaultCount() > faults_before) ++out.faulty_kills;
  const LocalTime reached = FromDateNumber(last.day, 23, 59);
  *day = NextIssueDay(reached);
  BeginAgainWhenGoneRound(reached, *day, run.data);
  return true;
}

}  // namespace

int RunCrashRehearsal(const SiteSettings& site, const CrashOptions& o) {
  if (!o.at || o.at->year < 2001 || o.at->year > 2015) {
    throw UsageError(
        "--crash needs --at within 2001 to 2015, the years the library "
        "issues PINs for");
  }
  SimulatedSite sim(site, o.data);
  const std::string station = sim.AddStation(false);
  CrashRun run(site, station, sim.data());

  // The kills fall within the time a day's rebuild and its sales take here.
  LocalTime day = *o.at;
  day.hour = 23;
  day.minute = 59;
  if (!TimeOneDay(station, day, &run.out.max_delay_us)) return kExitFailure;
  day = NextIssueDay(day);

  KillMoments moments(o.seed, run.out.max_delay_us);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < o.kills; ++i) {
    if (!RehearseKill(run, i + 1, moments, &day)) return kExitFailure;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  run.out.leftover_temporary_files = CountTemporaryFiles(sim.data());
  if (run.out.Faulty() && o.data.empty()) sim.Keep();
  PrintCrashReport(run.out, o.seed, seconds, o.json);
  return run.out.Faulty() ? kExitFailure : kExitOk;
}

}  // namespace zolt::cli
