#include "library/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "library/tests/site.h"
#include "profile/tests/diff/script_format.h"

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
  std::ifstream in(std::string(ZOLT_LIBRARY_TESTS_DIR) + "/settings_checks.txt");
  Site site;
  int rows = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    for (char& c : line) c = c == '|' ? '\t' : c;
    const std::vector<std::string> f = profile_diff::SplitFields(line);
    SCOPED_TRACE(f.at(0));
    ++rows;
    site.WritePreferences(f.at(1)[0] == '=' ? f[1].substr(1) : Prefs(f[1]));
    const int32_t size = std::stoi(f.at(2));
    const std::string boxes = f.size() > 5 ? f[5] : "";
    EXPECT_EQ(Load(site, Caller::kZoltResult, size),
              Want(static_cast<Code>(std::stoi(f.at(3))), boxes.find('z') != std::string::npos ? kNoticeExpiry : nullptr));
    EXPECT_EQ(Load(site, Caller::kSoldOutQuery, size),
              Want(static_cast<Code>(std::stoi(f.at(4))), boxes.find('q') != std::string::npos ? kNoticeExpiry : nullptr));
  }
  EXPECT_EQ(rows, 26);
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
