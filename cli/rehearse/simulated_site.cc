#include "cli/rehearse/simulated_site.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "cli/common/command_line.h"
#include "cli/show/settings_view.h"
#include "cli/common/station_env.h"
#include "library/pin_tables.h"
#include "profile/profile.h"

namespace zolt::cli {
namespace fs = std::filesystem;

SiteSettings BuiltInSite() {
  SiteSettings s;
  s.bytes =
      "[Preferences]\r\nVendor=190\r\nLocation=800\r\nSeason=7\r\n"
      "PINcrypt=42\r\nPINExpiry=0\r\n";
  s.values.Vendor = 190;
  s.values.Location = 800;
  s.values.Season = 7;
  s.values.PINcrypt = 42;
  s.values.PINExpiry = 0;
  return s;
}

SiteSettings SiteOfStation(const std::string& station_folder) {
  StationEnv env(Env::Default(), station_folder, std::nullopt, false);
  const SettingsView view = ReadSettingsView(env);
  std::string bytes;
  if (!view.exists ||
      env.ReadFile(view.path, &bytes) != FileError::kNone) {
    throw UsageError(view.path + ": the settings file cannot be read");
  }
  SiteSettings s;
  ProfileFile file = ProfileFile::Parse(bytes);
  file.RemoveKey("Preferences", "Pathtopintable");
  s.bytes = file.Serialize();
  s.values = view.values;
  return s;
}

std::string WinePath(const std::string& linux_path) {
  std::string p = "Z:" + linux_path;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  return p;
}

SimulatedSite::SimulatedSite(const SiteSettings& site, const std::string& data)
    : site_(site) {
  std::mt19937_64 random(static_cast<uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count()));
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path p = base / ("zolt-simulate-" + std::to_string(random() % 1000000000));
    if (fs::create_directory(p)) {
      root_ = p.string();
      break;
    }
  }
  data_ = data.empty() ? (fs::path(root_) / "data").string() : data;
  fs::create_directories(data_);
}

SimulatedSite::~SimulatedSite() {
  if (keep_) return;
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string SimulatedSite::AddStation(bool windows_paths) {
  const fs::path folder =
      fs::path(root_) / ("station" + std::to_string(++stations_));
  fs::create_directories(folder);
  ProfileFile file = ProfileFile::Parse(site_.bytes);
  file.SetString("Preferences", "Pathtopintable",
                 windows_paths ? WinePath(data_) : data_);
  std::ofstream out(folder / "OstrelZOLTDLL.dta", std::ios::binary);
  out << file.Serialize();
  return folder.string();
}

DayTable ComputeDayTable(const LibrarySettings& site, const LocalTime& date) {
  StationEnv clock(Env::Default(), "", date, false);
  DayTable t;
  t.values.resize(kSlotCount);
  ComputeTable(clock, site, t.values.data());
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const int32_t v = t.values[static_cast<size_t>(slot)];
    if (v != kTakenMark && v != kVoidMark) t.slot_of[v] = slot;
  }
  return t;
}

LocalTime NextIssueDay(const LocalTime& t) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  const bool leap = t.year % 4 == 0;  // enough for 2001..2015
  const int last = kDays[t.month - 1] + (t.month == 2 && leap ? 1 : 0);
  LocalTime next = t;
  if (++next.day > last) {
    next.day = 1;
    if (++next.month > 12) {
      next.month = 1;
      if (++next.year > 2015) next.year = 2001;
    }
  }
  return next;
}

void BeginAgainWhenGoneRound(const LocalTime& day, const LocalTime& next,
                             const std::string& data_folder) {
  if (DateNumber(next) >= DateNumber(day)) return;
  Env& env = Env::Default();
  for (const char* name : {kPinTableName, kDllTableName}) {
    env.RemoveFile(JoinPath(env, data_folder, name));
  }
}

int32_t ValueOfPin(int32_t pin, int32_t pin_crypt) {
  const int32_t size = (pin / 100000 - 2) / 2;
  return pin % 100000 - pin_crypt * size;
}

}  // namespace zolt::cli
