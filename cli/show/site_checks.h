// What zolt status checks about the site beyond this station's settings:
// this station's clock against the data folder's file server, whether the
// data folder lies on the network, and the tables' date against this
// station's date. Each is what most often makes PINs fail at a site with
// no error anywhere.
#ifndef ZOLT_CLI_SHOW_SITE_CHECKS_H_
#define ZOLT_CLI_SHOW_SITE_CHECKS_H_

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/show/day_view.h"
#include "library/settings.h"
#include "platform/env/env.h"

namespace zolt::cli {

// The file status makes in the data folder to read the server's clock.
constexpr char kClockProbeName[] = "zolt-clock-probe.tmp";
// Past this offset PINs of one minute may be sold at another.
constexpr int kClockWarnSeconds = 30;

enum class Verdict { kOk, kWarn, kFail, kNotChecked };
const char* VerdictToken(Verdict v);  // "ok", "warn", "fail", "not-checked"

struct SiteCheck {
  std::string name;  // "clock", "data_folder_location", "tables_date"
  Verdict verdict = Verdict::kNotChecked;
  std::string text;    // for people: what was found, one line
  std::string advice;  // for people: what it means and what to do, or ""
  nlohmann::ordered_json data = nlohmann::ordered_json::object();
};

struct SiteCheckInput {
  LibrarySettings settings;
  LocalTime station_time;   // the time status answers for
  bool simulated = false;   // --at given: the clock is not this station's
  bool measure_clock = true;
  bool folder_found = false;
  const DayView* day = nullptr;
};

std::vector<SiteCheck> CheckSite(const SiteCheckInput& in);

// The offset a clock may have before it fails: the PIN lifetime, or ten
// minutes (the shortest lifetime the library takes) for PINs that last
// until midnight or settings that issue none.
int ClockFailSeconds(int32_t pin_expiry);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_SHOW_SITE_CHECKS_H_
