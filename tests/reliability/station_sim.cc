// A point-of-sale station for the reliability tests: sells baskets through
// the library core at a simulated sale time and prints, one flushed line
// each, what happened, so that a parent that kills it at any moment still
// knows every PIN it handed out.
//
//   station_sim --station DIR --date YYYYMMDD [--time HHMM] [--sales N]
//               [--days N] [--unlocked] [--wait]
//
// The station's executable lies in DIR (its settings file is read from
// there). Each day it prints "day YYYYMMDD", then "pin YYYYMMDD PIN" or
// "code YYYYMMDD CODE", each followed by the call's milliseconds, for each
// of N sales (sizes 1, 2, 3 in turn), and moves
// on to the next day; --days 0 never stops. "done" ends the run. --unlocked
// takes no table lock, as stations did before the lock existed. --wait
// prints "ready" and waits for a byte on standard input before selling, so
// that a parent can start many stations at the same moment.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "library/table_lock.h"
#include "library/zolt.h"
#include "platform/testing/test_env.h"
#include "tests/reliability/station.h"

namespace {

struct Options {
  std::string station;
  int32_t date = 20140615;
  int hhmm = 2359;
  int sales = 1;
  int days = 1;
  bool unlocked = false;
  bool wait = false;
};

void PrintLine(const std::string& line) {
  // One write per line: a kill never leaves half a line in the pipe.
  std::string out = line + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
}

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool has_value = i + 1 < argc;
    if (a == "--station" && has_value) {
      o->station = argv[++i];
    } else if (a == "--date" && has_value) {
      o->date = std::atoi(argv[++i]);
    } else if (a == "--time" && has_value) {
      o->hhmm = std::atoi(argv[++i]);
    } else if (a == "--sales" && has_value) {
      o->sales = std::atoi(argv[++i]);
    } else if (a == "--days" && has_value) {
      o->days = std::atoi(argv[++i]);
    } else if (a == "--unlocked") {
      o->unlocked = true;
    } else if (a == "--wait") {
      o->wait = true;
    } else {
      return false;
    }
  }
  return !o->station.empty();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace zolt;
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    std::fprintf(stderr,
                 "usage: station_sim --station DIR --date YYYYMMDD [--time "
                 "HHMM] [--sales N] [--days N] [--unlocked] [--wait]\n");
    return 2;
  }
  if (o.unlocked) SetTableLockingForTesting(false);
  // Stations that never stop selling queue far longer than real ones; the
  // proof must not depend on how busy the test machine is.
  SetTableLockWaitForTesting(120000);

  TestEnv env;
  env.SetExecutablePath(o.station + "/pos.exe");
  LocalTime day = reliability::FromDateNumber(o.date, o.hhmm / 100,
                                              o.hhmm % 100);
  if (o.wait) {
    PrintLine("ready");
    char go;
    if (std::fread(&go, 1, 1, stdin) != 1) return 3;
  }

  for (int d = 0; o.days == 0 || d < o.days; ++d, day = reliability::NextDay(day)) {
    env.SetTime(day);
    const std::string date = std::to_string(reliability::DateNumber(day));
    PrintLine("day " + date);
    for (int sale = 0; sale < o.sales; ++sale) {
      char expiry[kExpiryBufferSize];
      const auto start = std::chrono::steady_clock::now();
      int32_t r = IssuePin(env, sale % 3 + 1, expiry);
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
      PrintLine((r > 0 ? "pin " : "code ") + date + " " + std::to_string(r) +
                " " + std::to_string(ms));
    }
  }
  PrintLine("done");
  return 0;
}
