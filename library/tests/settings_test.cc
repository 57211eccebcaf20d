#include "library/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "library/tests/site.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;
using test::Site;
using test::SiteSettings;

constexpr char kNone[] = "";

// The outcome of one load for one caller: its code and the notice captions.
struct Outcome {
  Code code;
  std::vector<std::string> captions;
};

Outcome Load(Site& site, Caller caller, int32_t size = 1,
             LibrarySettings* out = nullptr) {
  site.env.ClearNotices();
  LibrarySettings settings;
  Code code = LoadSettings(site.env, caller, size, &settings);
  Outcome o{code, {}};
  for (const auto& n : site.env.notices()) {
    o.captions.push_back(n.caption);
    // Every notice shows the settings file's path as its text.
    EXPECT_EQ(n.text, settings.settings_path);
  }
  if (out != nullptr) *out = settings;
  return o;
}

std::vector<std::string> Captions(const char* caption) {
  if (caption[0] == '\0') return {};
  return {caption};
}

TEST(SettingsTest, PathIsTheExecutablesFolderWithTheSeparatorDoubled) {
  Site site;
  const char sep = site.env.PathSeparator();
  EXPECT_EQ(SettingsPath(site.env),
            site.station() + sep + sep + "OstrelZOLTDLL.dta");
  site.env.SetExecutablePath("pos.exe");
  EXPECT_EQ(SettingsPath(site.env), std::string(1, sep) + "OstrelZOLTDLL.dta");
  // No executable path at all: the root of the current drive.
  site.env.SetExecutablePath("");
  EXPECT_EQ(SettingsPath(site.env), std::string(1, sep) + "OstrelZOLTDLL.dta");
}

// Each row: the [Preferences] lines, the basket size, and what each export's
// order of checks makes of them.
struct ValidationCase {
  const char* name;
  std::string preferences;
  int32_t size;
  Code zolt;
  const char* zolt_notice;
  Code query;
  const char* query_notice;
};

std::string Prefs(const std::string& vendor, const std::string& location,
                  const std::string& season, const std::string& crypt,
                  const std::string& expiry) {
  return "Vendor=" + vendor + "\r\nLocation=" + location + "\r\nSeason=" +
         season + "\r\nPINcrypt=" + crypt + "\r\nPINExpiry=" + expiry + "\r\n";
}

TEST(SettingsTest, ChecksRunInEachExportsOrder) {
  const Code ok = Code::kOk;
  const char* box = kNoticeExpiry;
  const ValidationCase cases[] = {
      {"valid", Prefs("190", "800", "7", "42", "10"), 1, ok, kNone, ok, kNone},
      {"bounds", Prefs("180", "0", "0", "1", "0"), 3, ok, kNone, ok, kNone},
      {"upper bounds", Prefs("200", "800", "255", "255", "1439"), 2, ok, kNone,
       ok, kNone},
      {"empty section", "", 1, Code::kVendor, kNone, Code::kVendor, kNone},
      {"letters after digits", Prefs("190abc", " 12x", "7", "42", "10"), 1, ok,
       kNone, ok, kNone},
      {"vendor 179", Prefs("179", "1", "7", "42", "10"), 1, Code::kVendor,
       kNone, Code::kVendor, kNone},
      {"vendor 201", Prefs("201", "1", "7", "42", "10"), 1, Code::kVendor,
       kNone, Code::kVendor, kNone},
      {"vendor wraps to 190", Prefs("4294967486", "1", "7", "42", "10"), 1,
       Code::kVendor, kNone, Code::kVendor, kNone},
      {"location 801", Prefs("190", "801", "7", "42", "10"), 1,
       Code::kLocation, kNone, Code::kLocation, kNone},
      {"location -1", Prefs("190", "-1", "7", "42", "10"), 1, Code::kLocation,
       kNone, Code::kLocation, kNone},
      {"vendor and location", Prefs("0", "900", "7", "42", "10"), 1,
       Code::kVendor, kNone, Code::kLocation, kNone},
      {"pins off", Prefs("190", "1", "7", "42", "1"), 1, Code::kPinsOff, box,
       Code::kPinsOff, kNone},
      {"pins off, bad season", Prefs("190", "1", "300", "42", "1"), 1,
       Code::kPinsOff, box, Code::kPinsOff, kNone},
      {"expiry 2", Prefs("190", "1", "7", "42", "2"), 1, Code::kPinExpiry, box,
       Code::kPinExpiry, box},
      {"expiry 9", Prefs("190", "1", "7", "42", "9"), 1, Code::kPinExpiry, box,
       Code::kPinExpiry, box},
      {"expiry 1440", Prefs("190", "1", "7", "42", "1440"), 1,
       Code::kPinExpiry, box, Code::kPinExpiry, box},
      {"expiry -5", Prefs("190", "1", "7", "42", "-5"), 1, Code::kPinExpiry,
       box, Code::kPinExpiry, box},
      {"season 300, expiry 5", Prefs("190", "1", "300", "42", "5"), 1,
       Code::kPinExpiry, box, Code::kSeason, kNone},
      {"season 256", Prefs("190", "1", "256", "42", "10"), 1, Code::kSeason,
       kNone, Code::kSeason, kNone},
      {"season -1", Prefs("190", "1", "-1", "42", "10"), 1, Code::kSeason,
       kNone, Code::kSeason, kNone},
      {"pincrypt 0", Prefs("190", "1", "7", "0", "10"), 1, Code::kPinCrypt,
       kNone, Code::kPinCrypt, kNone},
      {"pincrypt 256", Prefs("190", "1", "7", "256", "10"), 1,
       Code::kPinCrypt, kNone, Code::kPinCrypt, kNone},
      {"size 0", Prefs("190", "1", "7", "42", "10"), 0, Code::kSize, kNone,
       Code::kSize, kNone},
      {"size 4", Prefs("190", "1", "7", "42", "10"), 4, Code::kSize, kNone,
       Code::kSize, kNone},
      {"size 0, bad pincrypt", Prefs("190", "1", "7", "0", "10"), 0,
       Code::kPinCrypt, kNone, Code::kPinCrypt, kNone},
      {"keys in other case", "VENDOR=190\r\nlocation=5\r\nPINCrypt=9\r\n", 1,
       ok, kNone, ok, kNone},
  };
  for (const ValidationCase& c : cases) {
    SCOPED_TRACE(c.name);
    Site site;
    site.WritePreferences(c.preferences);
    Outcome z = Load(site, Caller::kZoltResult, c.size);
    EXPECT_EQ(z.code, c.zolt);
    EXPECT_EQ(z.captions, Captions(c.zolt_notice));
    Outcome q = Load(site, Caller::kSoldOutQuery, c.size);
    EXPECT_EQ(q.code, c.query);
    EXPECT_EQ(q.captions, Captions(c.query_notice));
  }
}

TEST(SettingsTest, ReadsTheValuesAndDefaultsThePathToTheSettingsFile) {
  Site site;
  site.WritePreferences(Prefs("181", "513", "254", "17", "1439") +
                        "Pathtopintable=" + std::string(300, 'p') + "\r\n");
  LibrarySettings s;
  ASSERT_EQ(Load(site, Caller::kZoltResult, 1, &s).code, Code::kOk);
  EXPECT_EQ(s.Vendor, 181);
  EXPECT_EQ(s.Location, 513);
  EXPECT_EQ(s.Season, 254);
  EXPECT_EQ(s.PINcrypt, 17);
  EXPECT_EQ(s.PINExpiry, 1439);
  EXPECT_EQ(s.Pathtopintable, std::string(255, 'p'));  // a 256-byte buffer

  SiteSettings no_path;
  no_path.with_path = false;
  site.WriteSettings(no_path);
  ASSERT_EQ(Load(site, Caller::kSoldOutQuery, 1, &s).code, Code::kOk);
  EXPECT_EQ(s.Pathtopintable, s.settings_path);
  EXPECT_EQ(s.settings_path, SettingsPath(site.env));
}

TEST(SettingsTest, MissingFileGivesMinus400WithItsNotice) {
  for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
    Site site;
    Outcome o = Load(site, caller);
    EXPECT_EQ(o.code, Code::kSettingsMissing);
    EXPECT_EQ(o.captions, Captions(kNoticeMissing));
    ASSERT_EQ(site.env.notices().size(), 1u);
    EXPECT_EQ(site.env.notices()[0].text, SettingsPath(site.env));
    // The library never creates the file it expects.
    EXPECT_FALSE(fs::exists(site.StationFile("OstrelZOLTDLL.dta")));
  }
}

TEST(SettingsTest, OnlyTheDtaNameCounts) {
  Site site;
  site.root().WriteFile("station/ostrelZOLTDLL.ini",
                        "[Preferences]\r\n" + Prefs("190", "1", "7", "42", "10"));
  EXPECT_EQ(Load(site, Caller::kZoltResult).code, Code::kSettingsMissing);

  // The setup program writes the name in lower case; it is the same file.
  site.root().WriteFile("station/ostrelzoltdll.dta",
                        "[Preferences]\r\n" + Prefs("190", "1", "7", "42", "10"));
  EXPECT_EQ(Load(site, Caller::kZoltResult).code, Code::kOk);
  EXPECT_EQ(Load(site, Caller::kSoldOutQuery).code, Code::kOk);
}

TEST(SettingsTest, CausesOfAFailedOpenForWriting) {
  struct Case {
    FileError cause;
    Code code;
    const char* notice;
  } cases[] = {
      {FileError::kNotFound, Code::kSettingsMissing, kNoticeMissing},
      {FileError::kDenied, Code::kSettingsDenied, kNoticeDenied},
      {FileError::kSharing, Code::kSettingsOpen, kNone},
      {FileError::kBadPath, Code::kSettingsOpen, kNone},
      {FileError::kOther, Code::kSettingsOpen, kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FileErrorName(c.cause));
    Site site;
    site.WriteSettings({});
    site.env.FailCheckWritable("OstrelZOLTDLL.dta", c.cause);
    for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
      Outcome o = Load(site, caller);
      EXPECT_EQ(o.code, c.code);
      EXPECT_EQ(o.captions, Captions(c.notice));
    }
  }
}

TEST(SettingsTest, ExecutableBelowAFileIsAnInvalidPath) {
  // The "folder" of the settings file is a plain file: no box, -1.
  Site site;
  site.root().WriteFile("station/notafolder", "x");
  site.env.SetExecutablePath(site.StationFile("notafolder") +
                             site.env.PathSeparator() + "pos.exe");
  Outcome o = Load(site, Caller::kZoltResult);
  EXPECT_EQ(o.code, Code::kSettingsOpen);
  EXPECT_TRUE(o.captions.empty());
}

#ifndef _WIN32
TEST(SettingsTest, FileWithoutWriteBitsIsDenied) {
  Site site;
  site.WriteSettings({});
  fs::permissions(site.StationFile("OstrelZOLTDLL.dta"),
                  fs::perms::owner_write | fs::perms::group_write |
                      fs::perms::others_write,
                  fs::perm_options::remove);
  for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
    Outcome o = Load(site, caller);
    EXPECT_EQ(o.code, Code::kSettingsDenied);
    EXPECT_EQ(o.captions, Captions(kNoticeDenied));
  }
}
#endif

}  // namespace
}  // namespace zolt
