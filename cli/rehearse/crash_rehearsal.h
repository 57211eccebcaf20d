// A crash rehearsal: one station, killed again and again at random moments
// while it rebuilds the day's tables and sells. After every kill both table
// files must read strictly (whole lines; a file dated a day holds that
// day's complete table), every PIN the killed station reported must be
// marked in both files, and the next sale must not hand out one of them.
#ifndef ZOLT_CLI_REHEARSE_CRASH_REHEARSAL_H_
#define ZOLT_CLI_REHEARSE_CRASH_REHEARSAL_H_

#include <optional>
#include <string>

#include "cli/rehearse/simulated_site.h"

namespace zolt::cli {

struct CrashOptions {
  int kills = 0;
  unsigned seed = 1;
  std::string data;             // "" for a fresh one
  std::optional<LocalTime> at;  // the first day; required
  bool json = false;
};

// Runs the rehearsal and prints its report: the exit status (1 on a fault).
int RunCrashRehearsal(const SiteSettings& site, const CrashOptions& options);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_REHEARSE_CRASH_REHEARSAL_H_
