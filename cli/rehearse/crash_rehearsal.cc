#include "cli/rehearse/crash_rehearsal.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "cli/common/command_line.h"
#include "cli/common/output.h"
#include "cli/common/station_env.h"
#include "cli/rehearse/station_process.h"
#include "cli/show/strict_table_file.h"
#include "library/pin_tables.h"
#include "library/zolt.h"

namespace zolt::cli {
namespace {

constexpr int kSalesPerDay = 3;
constexpr int kReadyTimeoutMs = 300000;

struct Outcome {
  int kills = 0;
  int before_start = 0;     // killed before it began a day
  int in_rebuild = 0;       // in a day's rebuild or its first sale
  int in_sales = 0;         // after a sale of the day
  int pins_reported = 0;
  int torn = 0;             // table files that did not read soundly
  int unmarked = 0;         // reported PINs without the mark in a file
  int reissued = 0;         // next sales that handed out a reported slot
  int next_failed = 0;      // next sales that failed
  int ended_on_its_own = 0; // stations that ended before the kill
  int leftover_temporary_files = 0;
  int faulty_kills = 0;     // kills after which something was wrong
  std::vector<std::string> faults;  // the first few, in words
  long long max_delay_us = 0;

  bool Faulty() const {
    return torn + unmarked + reissued + next_failed + ended_on_its_own > 0;
  }
  void Fault(const std::string& what) {
    if (faults.size() < 10) faults.push_back(what);
  }
};

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

}  // namespace

int RunCrashRehearsal(const SiteSettings& site, const CrashOptions& o) {
  if (!o.at || o.at->year < 2001 || o.at->year > 2015) {
    throw UsageError(
        "--crash needs --at within 2001 to 2015, the years the library "
        "issues PINs for");
  }
  SimulatedSite sim(site, o.data);
  const std::string station = sim.AddStation(false);
  const std::string pin_path = JoinPath(Env::Default(), sim.data(), "PINTable.dat");
  const std::string dll_path = JoinPath(Env::Default(), sim.data(), "DLLPINTable.dat");
  DayTables days(site.values);
  Outcome out;
  std::string error;

  // How long a day's rebuild and its sales take here: kills fall within it.
  LocalTime day = *o.at;
  day.hour = 23;
  day.minute = 59;
  {
    auto calibration = StationProcess::Start(SelfLauncher(),
                                             WorkerArgs(station, day, 1), &error);
    if (!calibration || !calibration->WaitReady(kReadyTimeoutMs)) {
      std::fprintf(stderr, "zolt: simulate: cannot start a station: %s\n",
                   error.c_str());
      return kExitFailure;
    }
    const auto start = std::chrono::steady_clock::now();
    calibration->Go();
    calibration->Finish();
    out.max_delay_us = std::max<long long>(
        5000, std::chrono::duration_cast<std::chrono::microseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count());
    day = NextIssueDay(day);
  }

  std::mt19937 random(o.seed);
  std::uniform_int_distribution<long long> delay_us(0, out.max_delay_us);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < o.kills; ++i) {
    auto child =
        StationProcess::Start(SelfLauncher(), WorkerArgs(station, day, 0), &error);
    if (!child || !child->WaitReady(kReadyTimeoutMs)) {
      std::fprintf(stderr, "zolt: simulate: cannot start a station: %s\n",
                   error.c_str());
      return kExitFailure;
    }
    child->Go();
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us(random)));
    child->Kill();
    const int code = child->Finish();
    ++out.kills;
    const int faults_before = out.torn + out.unmarked + out.reissued +
                              out.next_failed + out.ended_on_its_own;
    if (code != -1) {
      ++out.ended_on_its_own;
      out.Fault("kill " + std::to_string(i + 1) + ": the station ended by itself");
    }
    int32_t last_day = 0;
    std::vector<int32_t> pins;
    for (const nlohmann::json& e : child->Events()) {
      if (!e.contains("day")) continue;
      const int32_t d = e["day"].get<int32_t>();
      if (d != last_day) pins.clear();
      last_day = d;
      const int32_t r = e.value("result", 0);
      if (r > 0) {
        pins.push_back(r);
        ++out.pins_reported;
      }
    }
    if (last_day == 0) {
      ++out.before_start;
      continue;
    }
    ++(pins.empty() ? out.in_rebuild : out.in_sales);

    const std::string kill = "kill " + std::to_string(i + 1) + ": ";
    bool pin_present, dll_present;
    const std::string pin_bytes = ReadOr(pin_path, &pin_present);
    const std::string dll_bytes = ReadOr(dll_path, &dll_present);
    StrictTableFile pin_file, dll_file;
    for (auto [present, bytes, library, file, name] :
         {std::tuple{pin_present, &pin_bytes, false, &pin_file, "PINTable.dat"},
          std::tuple{dll_present, &dll_bytes, true, &dll_file, "DLLPINTable.dat"}}) {
      if (!present) continue;
      const std::string why = Unsound(*bytes, library, days, file);
      if (!why.empty()) {
        ++out.torn;
        out.Fault(kill + name + ": " + why);
      }
    }

    // The slots the station reported for its last day are marked in both
    // files, and the next sale on that day does not hand out one again.
    const DayTable& table = days.For(last_day);
    std::set<int> reported;
    for (int32_t p : pins) {
      auto it = table.slot_of.find(ValueOfPin(p, site.values.PINcrypt));
      if (it != table.slot_of.end()) reported.insert(it->second);
    }
    for (int slot : reported) {
      for (const StrictTableFile* f : {&pin_file, &dll_file}) {
        auto it = f->entries.find(slot);
        if (f->run_date != last_day || it == f->entries.end() ||
            it->second != "270E") {
          ++out.unmarked;
          out.Fault(kill + "slot " + std::to_string(slot) +
                    " was reported issued but is not marked");
        }
      }
    }
    StationEnv next_env(Env::Default(), station, FromDateNumber(last_day, 23, 59),
                        false);
    char expiry[kExpiryBufferSize + 1];
    const int32_t next = IssuePin(next_env, 1, expiry);
    if (next <= 0) {
      ++out.next_failed;
      out.Fault(kill + "the next sale failed with " + std::to_string(next));
    } else {
      auto it = table.slot_of.find(ValueOfPin(next, site.values.PINcrypt));
      if (it != table.slot_of.end() && reported.count(it->second) > 0) {
        ++out.reissued;
        out.Fault(kill + "slot " + std::to_string(it->second) + " issued again");
      }
    }
    if (out.torn + out.unmarked + out.reissued + out.next_failed +
            out.ended_on_its_own >
        faults_before) {
      ++out.faulty_kills;
    }
    const LocalTime reached = FromDateNumber(last_day, 23, 59);
    day = NextIssueDay(reached);
    BeginAgainWhenGoneRound(reached, day, sim.data());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  out.leftover_temporary_files = CountTemporaryFiles(sim.data());
  if (out.Faulty() && o.data.empty()) sim.Keep();

  if (o.json) {
    nlohmann::ordered_json j = {
        {"schema", kJsonSchema},
        {"command", "simulate"},
        {"kills", out.kills},
        {"kills_survived", out.kills - out.faulty_kills},
        {"seed", o.seed},
        {"longest_delay_ms", static_cast<double>(out.max_delay_us) / 1000.0},
        {"killed_before_start", out.before_start},
        {"killed_in_rebuild_or_first_sale", out.in_rebuild},
        {"killed_after_a_sale", out.in_sales},
        {"pins_reported", out.pins_reported},
        {"torn_files", out.torn},
        {"unmarked_pins", out.unmarked},
        {"reissued_slots", out.reissued},
        {"failed_next_sales", out.next_failed},
        {"ended_on_their_own", out.ended_on_its_own},
        {"leftover_temporary_files", out.leftover_temporary_files},
        {"seconds", seconds},
        {"faults", out.faults},
        {"fault", out.Faulty()}};
    PrintJson(j);
  } else {
    std::printf(
        "%d kills survived of %d (seed %u, within %.1f ms of the release): "
        "%d before a day began, %d in a rebuild or first sale, %d after a "
        "sale; %.1f s\n",
        out.kills - out.faulty_kills, out.kills, o.seed,
        static_cast<double>(out.max_delay_us) / 1000.0, out.before_start,
        out.in_rebuild, out.in_sales, seconds);
    std::printf("PINs reported by killed stations  %d\n", out.pins_reported);
    std::printf("Torn table files                  %d\n", out.torn);
    std::printf("Reported PINs without their mark  %d\n", out.unmarked);
    std::printf("Slots issued again                %d\n", out.reissued);
    std::printf("Next sales that failed            %d\n", out.next_failed);
    std::printf("Leftover temporary files          %d\n",
                out.leftover_temporary_files);
    for (const std::string& f : out.faults) std::printf("  %s\n", f.c_str());
    std::printf("Verdict                           %s\n",
                out.Faulty() ? "FAULT" : "sound");
  }
  return out.Faulty() ? kExitFailure : kExitOk;
}

}  // namespace zolt::cli
