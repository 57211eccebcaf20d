// The site a simulation runs on: a temporary folder with one station folder
// per station process (each with its own settings file, as each point-of-
// sale program has one beside it) and one shared data folder, plus what the
// report needs to know about the day's tables.
#ifndef ZOLT_CLI_REHEARSE_SIMULATED_SITE_H_
#define ZOLT_CLI_REHEARSE_SIMULATED_SITE_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cli/common/date_number.h"
#include "library/settings.h"
#include "platform/env/env.h"

namespace zolt::cli {

// The settings of the site the simulation sells for: the ones of the
// station named by --station when one was named, else a built-in one.
struct SiteSettings {
  std::string bytes;  // the settings file, without Pathtopintable
  LibrarySettings values;
};
SiteSettings BuiltInSite();
// Throws UsageError when the station's settings file cannot be read.
SiteSettings SiteOfStation(const std::string& station_folder);

class SimulatedSite {
 public:
  // Makes a fresh folder under the system's temporary folder; `data` (when
  // not empty) is used as the data folder instead of one inside it.
  SimulatedSite(const SiteSettings& site, const std::string& data);
  // Removes the temporary folder unless Keep() was called.
  ~SimulatedSite();
  SimulatedSite(const SimulatedSite&) = delete;
  SimulatedSite& operator=(const SimulatedSite&) = delete;

  const std::string& root() const { return root_; }
  const std::string& data() const { return data_; }
  // A new station folder whose settings name the data folder; with
  // `windows_paths` the paths are written as Wine shows the Linux root.
  std::string AddStation(bool windows_paths);
  void Keep() { keep_ = true; }

 private:
  SiteSettings site_;
  std::string root_, data_;
  int stations_ = 0;
  bool keep_ = false;
};

// "Z:\path\as\wine\shows\it" for a Linux path.
std::string WinePath(const std::string& linux_path);

// The day's table for the site: the value of each slot and, for every
// value that is no mark, its slot.
struct DayTable {
  std::vector<int32_t> values;
  std::map<int32_t, int> slot_of;
};
DayTable ComputeDayTable(const LibrarySettings& site, const LocalTime& date);

// The day after; after 2015-12-31 comes 2001-01-01, so that a rehearsal
// running day after day stays in the years the library issues PINs for.
LocalTime NextIssueDay(const LocalTime& t);
// When going round from 2015 to 2001 (`next` before `day`), the site
// begins again: the tables in `data_folder` are removed, since the library
// never rebuilds tables for an earlier date.
void BeginAgainWhenGoneRound(const LocalTime& day, const LocalTime& next,
                             const std::string& data_folder);

// The slot value of a PIN: its last five digits less PINcrypt x size.
int32_t ValueOfPin(int32_t pin, int32_t pin_crypt);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_REHEARSE_SIMULATED_SITE_H_
