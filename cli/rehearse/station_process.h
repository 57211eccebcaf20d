// One station process of a simulation (zolt station-process, see
// station_worker.cc) with a thread that reads its JSON lines as they come,
// so that the parent can follow progress, release it, and kill it at any
// moment knowing everything it printed before.
#ifndef ZOLT_CLI_REHEARSE_STATION_PROCESS_H_
#define ZOLT_CLI_REHEARSE_STATION_PROCESS_H_

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/process/child_process.h"

namespace zolt::cli {

// How to start a station: a program and the arguments before the station
// process's own (a Windows zolt.exe runs through Wine as "wine zolt.exe").
struct StationLauncher {
  std::string program;
  std::vector<std::string> leading_args;
  bool windows_paths = false;  // the station's paths as Wine shows them
};

// This zolt itself.
StationLauncher SelfLauncher();

class StationProcess {
 public:
  // Null when the process cannot be started (*error says why).
  static std::unique_ptr<StationProcess> Start(
      const StationLauncher& launcher, const std::vector<std::string>& args,
      std::string* error);
  ~StationProcess();

  // Waits for {"ready":true}; false when it did not come in time or the
  // process ended first.
  bool WaitReady(int timeout_ms);
  void Go();  // one byte on its standard input releases it
  void Kill();
  // Waits for the end of its output and of the process: its exit code, or
  // -1 when a kill ended it.
  int Finish();

  // The lines printed so far, parsed (lines that are no JSON are skipped).
  std::vector<nlohmann::json> Events();
  int sales_seen();
  bool ended();  // its output has ended

 private:
  explicit StationProcess(std::unique_ptr<ChildProcess> child);
  void ReadAll();

  std::unique_ptr<ChildProcess> child_;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string pending_;  // a line not yet complete
  std::vector<nlohmann::json> events_;
  bool ready_ = false, ended_ = false;
  int sales_ = 0;
};

}  // namespace zolt::cli

#endif  // ZOLT_CLI_REHEARSE_STATION_PROCESS_H_
