// What a crash rehearsal found after its kills, and its report: the kills
// by the moment they fell on, and every fault after them.
#ifndef ZOLT_CLI_REHEARSE_CRASH_REPORT_H_
#define ZOLT_CLI_REHEARSE_CRASH_REPORT_H_

#include <string>
#include <vector>

namespace zolt::cli {

struct CrashOutcome {
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

  int FaultCount() const {
    return torn + unmarked + reissued + next_failed + ended_on_its_own;
  }
  bool Faulty() const { return FaultCount() > 0; }
  void Fault(const std::string& what) {
    if (faults.size() < 10) faults.push_back(what);
  }
};

// Prints the report on stdout, as JSON or in words.
void PrintCrashReport(const CrashOutcome& out, unsigned seed, double seconds,
                      bool json);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_REHEARSE_CRASH_REPORT_H_
