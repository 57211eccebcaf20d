#include "cli/common/scratch_copy.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "cli/common/command_line.h"
#include "cli/common/station_env.h"
#include "library/settings.h"
#include "platform/probes/file_access.h"
#include "profile/profile.h"

namespace zolt::cli {
namespace fs = std::filesystem;
namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return s;
}

void MakeReadOnly(const fs::path& p) {
  std::error_code ec;
  fs::permissions(p,
                  fs::perms::owner_write | fs::perms::group_write |
                      fs::perms::others_write,
                  fs::perm_options::remove, ec);
}

// A copy's files may have lost their write permission with the live ones:
// give it back so that the copy can be removed.
void RemoveCopy(const std::string& root) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add,
                    ec);
  }
  fs::remove_all(root, ec);
}

}  // namespace

ScratchCopy::ScratchCopy(const std::string& station,
                         const std::string& data_folder) {
  std::mt19937_64 random(static_cast<uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count()));
  std::error_code ec;
  const fs::path base = fs::temp_directory_path(ec);
  if (ec) throw SiteError("no temporary folder for a scratch copy");
  for (int tries = 0;; ++tries) {
    const fs::path p =
        base / ("zolt-rehearsal-" + std::to_string(random() % 1000000000));
    if (fs::create_directory(p, ec)) {
      root_ = p.string();
      break;
    }
    if (tries > 100) throw SiteError("cannot make a scratch copy in " + base.string());
  }
  const fs::path data = fs::path(root_) / "data";
  const bool have_data =
      !data_folder.empty() && Env::Default().FolderExists(data_folder);
  data_ = have_data ? data.string() : (fs::path(root_) / "no-data-folder").string();
  if (have_data) {
    fs::create_directories(data);
    for (const auto& e : fs::directory_iterator(data_folder, ec)) {
      const std::string name = Lower(e.path().filename().string());
      if (!e.is_regular_file() ||
          (name != "pintable.dat" && name != "dllpintable.dat")) {
        continue;
      }
      fs::copy_file(e.path(), data / e.path().filename(), ec);
      if (ec) {
        RemoveCopy(root_);
        throw SiteError("cannot copy " + e.path().string() + ": " + ec.message());
      }
      if (IsReadOnlyFile(e.path().string())) MakeReadOnly(data / e.path().filename());
    }
  }
  if (station.empty()) return;
  station_ = (fs::path(root_) / "station").string();
  fs::create_directories(station_);
  StationEnv live(Env::Default(), station, std::nullopt, false);
  const std::string settings = SettingsPath(live);
  std::string bytes;
  if (live.ReadFile(settings, &bytes) != FileError::kNone) return;
  ProfileFile file = ProfileFile::Parse(bytes);
  const char kAbsent[] = "\x01";
  if (file.GetString("Preferences", "Pathtopintable", kAbsent) != kAbsent) {
    file.SetString("Preferences", "Pathtopintable", data_);
    bytes = file.Serialize();
  }
  const fs::path copy = fs::path(station_) / "OstrelZOLTDLL.dta";
  std::ofstream(copy, std::ios::binary) << bytes;
  if (IsReadOnlyFile(settings)) MakeReadOnly(copy);
}

ScratchCopy::~ScratchCopy() {
  if (!keep_) RemoveCopy(root_);
}

}  // namespace zolt::cli
