// zolt simulate: N station processes selling M baskets each at the same
// moment against one data folder, then a report of what they issued. With
// --crash, a crash rehearsal instead (crash_rehearsal.h).
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/common/command_line.h"
#include "cli/rehearse/commands.h"
#include "cli/rehearse/crash_rehearsal.h"
#include "cli/common/output.h"
#include "cli/common/scratch_copy.h"
#include "cli/rehearse/simulate_report.h"
#include "cli/rehearse/simulated_site.h"
#include "cli/rehearse/station_process.h"
#include "library/table_lock.h"
#include "platform/process/terminal.h"

namespace zolt::cli {
namespace {

constexpr int kReadyTimeoutMs = 300000;

struct SimulateOptions {
  CommonOptions common;
  int stations = 8;
  int sales = 200;
  std::string data;
  std::vector<int> sizes = {1, 2, 3};
  int lock_wait_ms = kTableLockWaitMs;
  int crash = 0;
  unsigned seed = 1;
  int wine_stations = 0;
  std::string wine_zolt;
  std::string wine = "wine";
  bool live = false;
};

std::string JoinSizes(const std::vector<int>& sizes) {
  std::string s;
  for (int v : sizes) s += (s.empty() ? "" : ",") + std::to_string(v);
  return s;
}

void DrawProgress(int done, int total) {
  constexpr int kWidth = 40;
  const int filled = total == 0 ? kWidth : done * kWidth / total;
  std::fprintf(stderr, "\r[%s%s] %d/%d sales", std::string(filled, '#').c_str(),
               std::string(kWidth - filled, '.').c_str(), done, total);
  std::fflush(stderr);
}

// Where the stations sell: a fresh temporary site (data ""), the --data
// folder itself with --live, or else a scratch copy of its tables, since
// a folder the installer names may be a live site's.
struct SaleFolder {
  std::string live_data;  // the --data folder, absolute; "" without one
  std::optional<ScratchCopy> copy;
  std::string data;
};

void ChooseSaleFolder(const SimulateOptions& o, bool json, SaleFolder* f) {
  f->live_data = o.data.empty() ? "" : AbsolutePath(o.data);
  if (!f->live_data.empty() && !Env::Default().FolderExists(f->live_data)) {
    throw UsageError("--data: " + f->live_data + ": no such folder");
  }
  if (!f->live_data.empty() && !o.live) f->copy.emplace("", f->live_data);
  f->data = f->copy ? f->copy->data() : f->live_data;
  if (f->copy && !json) {
    std::printf("Rehearsal on a scratch copy of the tables of %s in %s: the "
                "live folder is not touched (--live sells in it)\n",
                f->live_data.c_str(), f->copy->data().c_str());
  }
}

int RunCrash(const SimulateOptions& o, const Context& c, const SiteSettings& site,
             const std::string& data) {
  CrashOptions crash;
  crash.kills = o.crash;
  crash.seed = o.seed;
  crash.data = data;
  crash.at = c.at;
  crash.json = c.json;
  return RunCrashRehearsal(site, crash);
}

// Station `i` (from 0): this zolt for the first --stations, then the
// Windows zolt.exe under Wine.
StationLauncher LauncherOf(const SimulateOptions& o, int i) {
  if (i >= o.stations) return {o.wine, {AbsolutePath(o.wine_zolt)}, true};
  return SelfLauncher();
}

std::vector<std::string> StationArgs(const SimulateOptions& o,
                                     const StationLauncher& launcher,
                                     const std::string& folder) {
  std::vector<std::string> args = {
      "--station", launcher.windows_paths ? WinePath(folder) : folder,
      "--sales",   std::to_string(o.sales),
      "--sizes",   JoinSizes(o.sizes),
      "--lock-wait", std::to_string(o.lock_wait_ms),
      "--wait"};
  if (!o.common.at.empty()) {
    args.push_back("--at");
    args.push_back(o.common.at);
  }
  return args;
}

struct Stations {
  std::vector<std::unique_ptr<StationProcess>> processes;
  std::vector<bool> windows;  // runs under Wine
};

// Starts every station and waits until all are ready for the release;
// false when one cannot start (said on stderr).
bool StartStations(const SimulateOptions& o, SimulatedSite& sim, Stations* s) {
  const int total_stations = o.stations + o.wine_stations;
  for (int i = 0; i < total_stations; ++i) {
    const StationLauncher launcher = LauncherOf(o, i);
    const std::string folder = sim.AddStation(launcher.windows_paths);
    std::string error;
    auto station =
        StationProcess::Start(launcher, StationArgs(o, launcher, folder), &error);
    if (!station) {
      sim.Keep();
      std::fprintf(stderr, "zolt: simulate: cannot start %s: %s\n",
                   launcher.program.c_str(), error.c_str());
      return false;
    }
    s->processes.push_back(std::move(station));
    s->windows.push_back(launcher.windows_paths);
  }
  for (size_t i = 0; i < s->processes.size(); ++i) {
    if (!s->processes[i]->WaitReady(kReadyTimeoutMs)) {
      std::fprintf(stderr, "zolt: simulate: station %zu did not start\n",
                   i + 1);
      return false;
    }
  }
  return true;
}

// A progress bar on a terminal until every sale is seen or every station
// has ended.
void FollowProgress(Stations& s, int total_sales) {
  if (!IsTerminal(StdStream::kErr)) return;
  for (;;) {
    int done = 0;
    for (auto& p : s.processes) done += p->sales_seen();
    DrawProgress(done, total_sales);
    if (done >= total_sales) break;
    bool all_ended = true;
    for (auto& p : s.processes) all_ended &= p->ended();
    if (all_ended) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::fprintf(stderr, "\n");
}

// What the stations did once all have ended, and the verdict on it.
struct SimulationOutcome {
  std::vector<Sale> sales;
  std::vector<std::string> station_faults;
  int issued_here = 0, issued_under_wine = 0;
  double seconds = 0;
  SimulationTally tally;
  bool fault = false;
};

// Waits for every station to end and gathers its sales; a station that
// did not end well, or before it was done, is a station fault.
void GatherSales(Stations& s, SimulationOutcome* out) {
  for (size_t i = 0; i < s.processes.size(); ++i) {
    const int code = s.processes[i]->Finish();
    bool finished = false;
    for (const nlohmann::json& e : s.processes[i]->Events()) {
      if (e.contains("done")) finished = true;
      if (!e.contains("result")) continue;
      Sale sale;
      sale.station = static_cast<int>(i) + 1;
      sale.day = e.value("day", 0);
      sale.size = e.value("size", 0);
      sale.result = e.value("result", 0);
      sale.us = e.value("us", 0LL);
      if (sale.result > 0) {
        ++(s.windows[i] ? out->issued_under_wine : out->issued_here);
      }
      out->sales.push_back(sale);
    }
    if (code != 0 || !finished) {
      out->station_faults.push_back("station " + std::to_string(i + 1) +
                                    " ended with exit status " +
                                    std::to_string(code) +
                                    (finished ? "" : " before it was done"));
    }
  }
}

void PrintSimulateJson(const SimulateOptions& o, const Context& c,
                       const SaleFolder& f, const SimulatedSite& sim,
                       const SimulationOutcome& out) {
  nlohmann::ordered_json j;
  j["schema"] = kJsonSchema;
  j["command"] = "simulate";
  j["stations"] = {{"this_zolt", o.stations}, {"wine", o.wine_stations}};
  j["issued_by"] = {{"this_zolt", out.issued_here},
                    {"wine", out.issued_under_wine}};
  j["sales_per_station"] = o.sales;
  j["time"] = c.at ? nlohmann::ordered_json(IsoTime(*c.at))
                   : nlohmann::ordered_json();
  j["data"] = sim.data();
  j["copy_of"] = f.copy ? nlohmann::ordered_json(f.live_data)
                        : nlohmann::ordered_json();
  j["seconds"] = out.seconds;
  j["report"] = TallyJson(out.tally);
  j["station_faults"] = out.station_faults;
  j["fault"] = out.fault;
  PrintJson(j);
}

void PrintSimulateText(const SimulateOptions& o, const SaleFolder& f,
                       const SimulatedSite& sim, const SimulationOutcome& out) {
  std::printf("%d stations (%d of this zolt, %d under Wine) x %d sales at "
              "%s, data folder %s: %.1f s\n\n",
              o.stations + o.wine_stations, o.stations, o.wine_stations,
              o.sales, o.common.at.empty() ? "the clock" : o.common.at.c_str(),
              sim.data().c_str(), out.seconds);
  PrintTally(out.tally);
  if (o.wine_stations > 0) {
    std::printf("Issued by       %d by this zolt, %d under Wine\n",
                out.issued_here, out.issued_under_wine);
  }
  for (const std::string& fault : out.station_faults) {
    std::printf("Station fault   %s\n", fault.c_str());
  }
  if (out.fault && f.data.empty()) {
    std::printf("The site is kept for a look: %s\n", sim.root().c_str());
  } else if (f.data.empty()) {
    std::printf("The temporary site is removed.\n");
  } else if (f.copy) {
    std::printf(out.fault ? "The copy is kept for a look: %s\n"
                          : "The copy is removed.\n",
                f.copy->root().c_str());
  }
}

int RunSimulate(const SimulateOptions& o) {
  const Context c = CheckOptions(o.common, /*freeze_clock=*/false);
  const SiteSettings site =
      o.common.station.empty() ? BuiltInSite() : SiteOfStation(c.station);
  SaleFolder folder;
  ChooseSaleFolder(o, c.json, &folder);
  if (o.crash > 0) return RunCrash(o, c, site, folder.data);
  if (o.sizes.empty()) throw UsageError("--sizes: no basket size");
  if (o.wine_stations > 0 && o.wine_zolt.empty()) {
    throw UsageError("--wine-stations needs --wine-zolt (the zolt.exe to run)");
  }

  SimulatedSite sim(site, folder.data);
  Stations stations;
  if (!StartStations(o, sim, &stations)) return kExitFailure;
  const auto start = std::chrono::steady_clock::now();
  for (auto& s : stations.processes) s->Go();
  FollowProgress(stations, (o.stations + o.wine_stations) * o.sales);
  SimulationOutcome out;
  GatherSales(stations, &out);
  out.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  out.tally = TallySales(out.sales, site.values, sim.data());
  out.fault = out.tally.Faulty() || !out.station_faults.empty();
  if (out.fault && folder.data.empty()) sim.Keep();
  if (out.fault && folder.copy) folder.copy->Keep();

  if (c.json) {
    PrintSimulateJson(o, c, folder, sim, out);
  } else {
    PrintSimulateText(o, folder, sim, out);
  }
  return out.fault ? kExitFailure : kExitOk;
}

// The options in the order --help lists them: the sales, the crashes, the
// Wine stations.
void AddSaleOptions(CLI::App* cmd, SimulateOptions* o) {
  cmd->add_option("--stations", o->stations,
                  "station processes (default 8)")
      ->type_name("N")
      ->check(CLI::Range(1, 64).description(""));
  cmd->add_option("--sales", o->sales, "baskets each station sells (default 200)")
      ->type_name("M")
      ->check(CLI::Range(1, 100000).description(""));
  cmd->add_option("--data", o->data,
                  "sell against a scratch copy of this data folder's tables")
      ->type_name("DIR");
  cmd->add_flag("--live", o->live,
                "DANGEROUS: sell in the --data folder itself, changing its "
                "tables (a live site's PINs are used up and its tables may "
                "be dated to the rehearsal's day)");
  cmd->add_option("--sizes", o->sizes,
                  "basket sizes the stations sell in turn (default 1,2,3)")
      ->type_name("LIST")
      ->delimiter(',')
      ->check(CLI::Range(1, 3).description(""));
  cmd->add_option("--lock-wait", o->lock_wait_ms,
                  "how long each call waits for the table lock, in ms "
                  "(default: the library's 5000)")
      ->type_name("MS")
      ->check(CLI::Range(0, 3600000).description(""));
}

void AddCrashOptions(CLI::App* cmd, SimulateOptions* o) {
  cmd->add_option("--crash", o->crash,
                  "rehearse N crashes of a station instead (needs --at)")
      ->type_name("N")
      ->check(CLI::Range(1, 100000).description(""));
  cmd->add_option("--seed", o->seed,
                  "seed of the crash moments (default 1: the same kills "
                  "every run)")
      ->type_name("S");
}

void AddWineOptions(CLI::App* cmd, SimulateOptions* o) {
  cmd->add_option("--wine-stations", o->wine_stations,
                  "further stations that run a Windows zolt.exe under Wine "
                  "on the same data folder (a mixed site)")
      ->type_name("K")
      ->check(CLI::Range(0, 64).description(""));
  cmd->add_option("--wine-zolt", o->wine_zolt,
                  "the zolt.exe the Wine stations run")
      ->type_name("FILE");
  cmd->add_option("--wine", o->wine,
                  "the program that runs zolt.exe (default: wine)")
      ->type_name("PROGRAM");
}

}  // namespace

void AddSimulateCommand(CLI::App& app, int* exit_status) {
  auto o = std::make_shared<SimulateOptions>();
  CLI::App* cmd = app.add_subcommand("simulate", "many stations selling at once, or a station killed again and again");
  Describe(cmd,
      "Rehearse a busy site: N station processes, released at the same "
      "moment, each sell M baskets through the library core against one data "
      "folder (a fresh temporary site; with --data a scratch copy of that "
      "folder's tables, or with --live the folder itself), with a "
      "progress bar on a terminal. Reports the PINs issued, every duplicate, "
      "refusals by code, call latency (p50, p99, max) and whether every "
      "issued slot is marked taken in both table files; exits 1 on any "
      "duplicate or other fault. The stations sell with the settings of "
      "--station when it is given, else with a built-in site (Vendor 190, "
      "Location 800, Season 7, PINcrypt 42, PINExpiry 0). With --crash N, "
      "rehearses crashes instead: one station is killed N times at random "
      "moments while it rebuilds and sells.");
  AddSaleOptions(cmd, o.get());
  AddCrashOptions(cmd, o.get());
  AddWineOptions(cmd, o.get());
  AddCommonOptions(cmd, &o->common, kAllCommonOptions,
                   "the station whose settings the stations sell with "
                   "(default: a built-in site)");
  cmd->callback([o, exit_status] { *exit_status = RunSimulate(*o); });
}

}  // namespace zolt::cli
