#include "cli/show/settings_view.h"

#include <string>
#include <vector>

#include "library/number_text.h"
#include "library/pin_tables.h"
#include "profile/profile.h"

namespace zolt::cli {
namespace {

constexpr char kSection[] = "Preferences";

bool Within(int32_t v, int32_t low, int32_t high) {
  return v >= low && v <= high;
}

bool ExpiryInRange(int32_t e) { return e == 0 || Within(e, 10, 1439); }

}  // namespace

const char* ExportName(Caller caller) {
  return caller == Caller::kZoltResult ? "ZoltResult"
                                       : "check_SoldOut_Condition";
}

SettingsView ReadSettingsView(Env& env) {
  SettingsView v;
  v.path = SettingsPath(env);
  v.exists = env.FileExists(v.path);
  v.check = env.CheckWritable(v.path);
  switch (v.check) {
    case FileError::kNone: v.file_code = Code::kOk; break;
    case FileError::kNotFound: v.file_code = Code::kSettingsMissing; break;
    case FileError::kDenied: v.file_code = Code::kSettingsDenied; break;
    default: v.file_code = Code::kSettingsOpen; break;
  }
  const ProfileFile file = ProfileFile::Load(env, v.path);
  auto read = [&](const char* key, const std::string& def) {
    SettingLine line;
    line.key = key;
    // A value no file can hold marks a missing key.
    const std::string probe = file.GetString(kSection, key, "\x01");
    line.present = probe != "\x01";
    line.text = file.GetString(kSection, key, def);
    return line;
  };
  LibrarySettings& s = v.values;
  s.settings_path = v.path;
  SettingLine vendor = read("Vendor", "0");
  SettingLine location = read("Location", "0");
  SettingLine season = read("Season", "0");
  SettingLine crypt = read("PINcrypt", "0");
  SettingLine expiry = read("PINExpiry", "0");
  SettingLine folder = read("Pathtopintable", v.path);
  s.Vendor = ParseDecimal(vendor.text);
  s.Location = ParseDecimal(location.text);
  s.Season = ParseDecimal(season.text);
  s.PINcrypt = ParseDecimal(crypt.text);
  s.PINExpiry = ParseDecimal(expiry.text);
  s.Pathtopintable = folder.text;

  vendor.valid = "180 to 200";
  vendor.ok = Within(s.Vendor, 180, 200);
  location.valid = "0 to 800";
  location.ok = Within(s.Location, 0, 800);
  season.valid = "0 to 255";
  season.ok = Within(s.Season, 0, 255);
  crypt.valid = "1 to 255";
  crypt.ok = Within(s.PINcrypt, 1, 255);
  expiry.valid = "0 (until midnight), 1 (PINs off), 10 to 1439 minutes";
  expiry.ok = ExpiryInRange(s.PINExpiry);
  folder.valid = "a folder that can be listed";
  // The longest folder whose table paths fit the platform's limit; only
  // Windows's is within reach of a setting's 255 characters.
  const size_t longest = env.MaxPathLength() - sizeof("\\DLLPINTable.dat") + 1;
  if (longest < 255) {
    folder.valid += ", at most " + std::to_string(longest) + " characters";
  }
  std::vector<std::string> leftovers;
  folder.ok = CheckDataFolder(env, s, &leftovers) == Code::kOk;
  v.lines = {vendor, location, season, crypt, expiry, folder};
  return v;
}

std::vector<CheckStep> CheckSteps(const SettingsView& view, Caller caller,
                                  int32_t basket_size) {
  const LibrarySettings& s = view.values;
  const CheckStep vendor{"Vendor", Code::kVendor, Within(s.Vendor, 180, 200)};
  const CheckStep location{"Location", Code::kLocation,
                           Within(s.Location, 0, 800)};
  const CheckStep off{"PINExpiry is not 1", Code::kPinsOff, s.PINExpiry != 1};
  const CheckStep expiry{"PINExpiry", Code::kPinExpiry,
                         s.PINExpiry == 1 || ExpiryInRange(s.PINExpiry)};
  const CheckStep season{"Season", Code::kSeason, Within(s.Season, 0, 255)};
  const CheckStep crypt{"PINcrypt", Code::kPinCrypt, Within(s.PINcrypt, 1, 255)};
  const CheckStep size{"basket size", Code::kSize, Within(basket_size, 1, 3)};
  if (caller == Caller::kZoltResult) {
    return {vendor, location, off, expiry, season, crypt, size};
  }
  return {location, vendor, off, season, expiry, crypt, size};
}

}  // namespace zolt::cli
