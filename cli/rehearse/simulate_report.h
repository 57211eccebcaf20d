// What a simulation's stations did, judged against the day's table and the
// table files they left: PINs issued, duplicates (each listed), refusals by
// code, call latency, and whether every issued slot carries the taken mark
// in both files.
#ifndef ZOLT_CLI_REHEARSE_SIMULATE_REPORT_H_
#define ZOLT_CLI_REHEARSE_SIMULATE_REPORT_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "library/settings.h"

namespace zolt::cli {

struct Sale {
  int station = 0;
  int32_t day = 0;  // YYYYMMDD
  int size = 0;
  int32_t result = 0;
  long long us = 0;  // the call's duration
};

struct Duplicate {
  int32_t day = 0;
  int slot = 0;
  std::vector<std::pair<int32_t, int>> pins;  // PIN, station
};

struct SimulationTally {
  int sales = 0;
  int issued = 0;
  std::vector<Duplicate> duplicates;
  int foreign_pins = 0;  // PINs that no slot of their day holds
  std::map<int32_t, int> refusals;  // code -> how often
  double p50_ms = 0, p99_ms = 0, max_ms = 0;
  bool tables_read = false;  // both files read strictly
  std::string tables_error;
  int unmarked_in_pin = 0, unmarked_in_dll = 0;  // issued slots of the
                                                 // files' day without mark
  int marked_checked = 0;  // issued slots of the files' day

  bool Faulty() const {
    return !duplicates.empty() || foreign_pins > 0 || unmarked_in_pin > 0 ||
           unmarked_in_dll > 0 || (issued > 0 && !tables_read);
  }
};

SimulationTally TallySales(const std::vector<Sale>& sales,
                           const LibrarySettings& site,
                           const std::string& data_folder);

nlohmann::ordered_json TallyJson(const SimulationTally& t);
void PrintTally(const SimulationTally& t);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_REHEARSE_SIMULATE_REPORT_H_
