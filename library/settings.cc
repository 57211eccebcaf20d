#include "library/settings.h"

#include "library/number_text.h"
#include "profile/profile.h"

namespace zolt {

const char kNoticeMissing[] = "Expecting OstrelZOLTDLL.dta In Path Below";
const char kNoticeDenied[] =
    "No Permission To Write OstrelZOLTDLL.dta In Path Below";
const char kNoticeExpiry[] =
    "You must use a PIN Expiry set for 0 or greater than 10 minutes.";

namespace {

constexpr char kSettingsName[] = "OstrelZOLTDLL.dta";
constexpr char kSection[] = "Preferences";

bool Within(int32_t v, int32_t low, int32_t high) {
  return v >= low && v <= high;
}

bool ExpiryValid(int32_t expiry) {
  return expiry == 0 || expiry == 1 || Within(expiry, 10, 1439);
}

}  // namespace

std::string SettingsPath(Env& env) {
  std::string exe = env.ExecutablePath();
  size_t cut = exe.rfind(env.PathSeparator());
  std::string folder = cut == std::string::npos ? "" : exe.substr(0, cut + 1);
  return folder + env.PathSeparator() + kSettingsName;
}

Code LoadSettings(Env& env, Caller caller, int32_t basket_size,
                  LibrarySettings* s, Refusal* why) {
  s->settings_path = SettingsPath(env);
  const std::string& path = s->settings_path;

  // The check that the file may be written and its read: one open.
  std::string bytes;
  const FileError opened = env.ReadIfWritable(path, &bytes);
  switch (opened) {
    case FileError::kNone:
      break;
    case FileError::kNotFound:
      RefuseWith(env, why, Code::kSettingsMissing, "opening the settings file",
                 path, opened);
      env.Notify(kNoticeMissing, path);
      return Code::kSettingsMissing;
    case FileError::kDenied:
      RefuseWith(env, why, Code::kSettingsDenied,
                 "opening the settings file for writing", path, opened);
      env.Notify(kNoticeDenied, path);
      return Code::kSettingsDenied;
    default:
      return RefuseWith(env, why, Code::kSettingsOpen,
                        "opening the settings file for writing", path, opened);
  }

  const ProfileFile file = ProfileFile::Parse(bytes);
  s->Vendor = ParseDecimal(file.GetString(kSection, "Vendor", "0"));
  s->Location = ParseDecimal(file.GetString(kSection, "Location", "0"));
  s->Season = ParseDecimal(file.GetString(kSection, "Season", "0"));
  s->PINcrypt = ParseDecimal(file.GetString(kSection, "PINcrypt", "0"));
  s->PINExpiry = ParseDecimal(file.GetString(kSection, "PINExpiry", "0"));
  s->Pathtopintable = file.GetString(kSection, "Pathtopintable", path);

  const bool vendor_ok = Within(s->Vendor, 180, 200);
  const bool location_ok = Within(s->Location, 0, 800);
  const bool season_ok = Within(s->Season, 0, 255);
  if (caller == Caller::kZoltResult) {
    if (!vendor_ok) return Code::kVendor;
    if (!location_ok) return Code::kLocation;
    if (s->PINExpiry == 1) {
      env.Notify(kNoticeExpiry, path);
      return Code::kPinsOff;
    }
    if (!ExpiryValid(s->PINExpiry)) {
      env.Notify(kNoticeExpiry, path);
      return Code::kPinExpiry;
    }
    if (!season_ok) return Code::kSeason;
  } else {
    if (!location_ok) return Code::kLocation;
    if (!vendor_ok) return Code::kVendor;
    if (s->PINExpiry == 1) return Code::kPinsOff;
    if (!season_ok) return Code::kSeason;
    if (!ExpiryValid(s->PINExpiry)) {
      env.Notify(kNoticeExpiry, path);
      return Code::kPinExpiry;
    }
  }
  if (!Within(s->PINcrypt, 1, 255)) return Code::kPinCrypt;
  if (!Within(basket_size, 1, 3)) return Code::kSize;
  return Code::kOk;
}

}  // namespace zolt
