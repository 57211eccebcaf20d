#include "library/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "library/tests/site.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;
using test::Site;

// The outcome of one load for one caller: its code and the notice captions.
struct Outcome {
  Code code;
  std::vector<std::string> captions;
  bool operator==(const Outcome&) const = default;
};

Outcome Load(Site& site, Caller caller, int32_t size = 1, LibrarySettings* out = nullptr) {
  site.env.ClearNotices();
  LibrarySettings settings;
  Outcome o{LoadSettings(site.env, caller, size, &settings), {}};
  for (const auto& n : site.env.notices()) {
    o.captions.push_back(n.caption);
    // Every notice shows the settings file's path as its text.
    EXPECT_EQ(n.text, settings.settings_path);
  }
  if (out != nullptr) *out = settings;
  return o;
}

Outcome Want(Code code, const char* caption = nullptr) {
  return {code, caption ? std::vector<std::string>{caption} : std::vector<std::string>{}};
}

// "Vendor Location Season PINcrypt PINExpiry", blank-separated, as lines.
std::string Prefs(const std::string& values) {
  std::istringstream in(values);
  std::string out, value;
  for (const char* key : {"Vendor", "Location", "Season", "PINcrypt", "PINExpiry"}) {
    if (in >> value) out += std::string(key) + "=" + value + "\r\n";
  }
  return out;
}

TEST(SettingsTest, PathIsTheExecutablesFolderWithTheSeparatorDoubled) {
  Site site;
  const std::string sep(1, site.env.PathSeparator());
  EXPECT_EQ(SettingsPath(site.env), site.station() + sep + sep + "OstrelZOLTDLL.dta");
  // A bare name, or no executable path at all: the root of the current drive.
  for (const char* exe : {"pos.exe", ""}) {
    site.env.SetExecutablePath(exe);
    EXPECT_EQ(SettingsPath(site.env), sep + "OstrelZOLTDLL.dta");
  }
}

TEST(SettingsTest, ChecksRunInEachExportsOrder) {
  using enum Code;
  // The -300 and -106 boxes; no other failed check shows one.
  const char* box = kNoticeExpiry;
  struct Case {
    const char* name;
    std::string preferences;
    int32_t size;
    Code zolt, query;
    const char* zolt_box = nullptr;
    const char* query_box = nullptr;
  } cases[] = {
      {"valid", Prefs("190 800 7 42 10"), 1, kOk, kOk},
      {"bounds", Prefs("180 0 0 1 0"), 3, kOk, kOk},
      {"upper bounds", Prefs("200 800 255 255 1439"), 2, kOk, kOk},
      {"empty section", "", 1, kVendor, kVendor},
      {"letters after digits", Prefs("190abc 12x 7 42 10"), 1, kOk, kOk},
      {"vendor 179", Prefs("179 1 7 42 10"), 1, kVendor, kVendor},
      {"vendor 201", Prefs("201 1 7 42 10"), 1, kVendor, kVendor},
      {"vendor wraps to 190", Prefs("4294967486 1 7 42 10"), 1, kVendor, kVendor},
      {"location 801", Prefs("190 801 7 42 10"), 1, kLocation, kLocation},
      {"location -1", Prefs("190 -1 7 42 10"), 1, kLocation, kLocation},
      {"vendor and location", Prefs("0 900 7 42 10"), 1, kVendor, kLocation},
      {"pins off", Prefs("190 1 7 42 1"), 1, kPinsOff, kPinsOff, box},
      {"pins off, bad season", Prefs("190 1 300 42 1"), 1, kPinsOff, kPinsOff, box},
      {"expiry 2", Prefs("190 1 7 42 2"), 1, kPinExpiry, kPinExpiry, box, box},
      {"expiry 9", Prefs("190 1 7 42 9"), 1, kPinExpiry, kPinExpiry, box, box},
      {"expiry 1440", Prefs("190 1 7 42 1440"), 1, kPinExpiry, kPinExpiry, box, box},
      {"expiry -5", Prefs("190 1 7 42 -5"), 1, kPinExpiry, kPinExpiry, box, box},
      {"season 300, expiry 5", Prefs("190 1 300 42 5"), 1, kPinExpiry, kSeason, box},
      {"season 256", Prefs("190 1 256 42 10"), 1, kSeason, kSeason},
      {"season -1", Prefs("190 1 -1 42 10"), 1, kSeason, kSeason},
      {"pincrypt 0", Prefs("190 1 7 0 10"), 1, kPinCrypt, kPinCrypt},
      {"pincrypt 256", Prefs("190 1 7 256 10"), 1, kPinCrypt, kPinCrypt},
      {"size 0", Prefs("190 1 7 42 10"), 0, kSize, kSize},
      {"size 4", Prefs("190 1 7 42 10"), 4, kSize, kSize},
      {"size 0, bad pincrypt", Prefs("190 1 7 0 10"), 0, kPinCrypt, kPinCrypt},
      {"keys in other case", "VENDOR=190\r\nlocation=5\r\nPINCrypt=9\r\n", 1, kOk, kOk},
  };
  Site site;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    site.WritePreferences(c.preferences);
    EXPECT_EQ(Load(site, Caller::kZoltResult, c.size), Want(c.zolt, c.zolt_box));
    EXPECT_EQ(Load(site, Caller::kSoldOutQuery, c.size), Want(c.query, c.query_box));
  }
}

TEST(SettingsTest, ReadsTheValuesAndDefaultsThePathToTheSettingsFile) {
  Site site;
  site.WritePreferences(Prefs("181 513 254 17 1439") + "Pathtopintable=" +
                        std::string(300, 'p') + "\r\n");
  LibrarySettings s;
  ASSERT_EQ(Load(site, Caller::kZoltResult, 1, &s).code, Code::kOk);
  EXPECT_EQ(std::vector<int32_t>({s.Vendor, s.Location, s.Season, s.PINcrypt, s.PINExpiry}),
            std::vector<int32_t>({181, 513, 254, 17, 1439}));
  EXPECT_EQ(s.Pathtopintable, std::string(255, 'p'));  // a 256-byte buffer

  site.WritePreferences(Prefs("190 800 7 42 10"));
  ASSERT_EQ(Load(site, Caller::kSoldOutQuery, 1, &s).code, Code::kOk);
  EXPECT_EQ(s.Pathtopintable, s.settings_path);
  EXPECT_EQ(s.settings_path, SettingsPath(site.env));
}

TEST(SettingsTest, OnlyTheDtaNameCounts) {
  Site site;
  site.root().WriteFile("station/ostrelZOLTDLL.ini", "[Preferences]\r\n" + Prefs("190 1 7 42 10"));
  EXPECT_EQ(Load(site, Caller::kZoltResult), Want(Code::kSettingsMissing, kNoticeMissing));
  // The library never creates the file it expects.
  EXPECT_FALSE(fs::exists(site.StationFile("OstrelZOLTDLL.dta")));

  // The setup program writes the name in lower case; it is the same file.
  site.root().WriteFile("station/ostrelzoltdll.dta", "[Preferences]\r\n" + Prefs("190 1 7 42 10"));
  EXPECT_EQ(Load(site, Caller::kZoltResult).code, Code::kOk);
  EXPECT_EQ(Load(site, Caller::kSoldOutQuery).code, Code::kOk);
}

TEST(SettingsTest, CausesOfAFailedOpenForWriting) {
  struct Case {
    const char* name;
    FileError cause;  // kNone: a real file system situation below
    Code code;
    const char* notice;
  } cases[] = {
      {"missing", FileError::kNotFound, Code::kSettingsMissing, kNoticeMissing},
      {"denied", FileError::kDenied, Code::kSettingsDenied, kNoticeDenied},
      {"sharing", FileError::kSharing, Code::kSettingsOpen, nullptr},
      {"bad path", FileError::kBadPath, Code::kSettingsOpen, nullptr},
      {"other", FileError::kOther, Code::kSettingsOpen, nullptr},
      // The "folder" of the settings file is a plain file: no box, -1.
      {"executable below a file", FileError::kNone, Code::kSettingsOpen, nullptr},
#ifndef _WIN32
      {"no write bits", FileError::kNone, Code::kSettingsDenied, kNoticeDenied},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Site site;
    site.WriteSettings({});
    const std::string file = site.StationFile("OstrelZOLTDLL.dta");
    if (c.cause != FileError::kNone) {
      site.env.FailCheckWritable("OstrelZOLTDLL.dta", c.cause);
    } else if (c.code == Code::kSettingsOpen) {
      site.env.SetExecutablePath(file + site.env.PathSeparator() + "pos.exe");
    } else {
      fs::permissions(file, fs::perms::owner_write | fs::perms::group_write |
                                fs::perms::others_write, fs::perm_options::remove);
    }
    for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
      EXPECT_EQ(Load(site, caller), Want(c.code, c.notice));
    }
  }
  // A file that is really missing: -400 with its box for both callers.
  Site site;
  for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
    EXPECT_EQ(Load(site, caller), Want(Code::kSettingsMissing, kNoticeMissing));
    EXPECT_EQ(site.env.notices()[0].text, SettingsPath(site.env));
  }
}

}  // namespace
}  // namespace zolt
