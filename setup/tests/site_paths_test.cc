// The Windows path rules and their Linux counterparts, both tested on every
// build, and the site numbers of the product configuration.
#include "setup/site_paths.h"

#include <gtest/gtest.h>

#include "setup/site_numbers.h"

namespace zolt::setup {
namespace {

using Kind = PathLocation::Kind;

TEST(SitePathsTest, LocateTellsWhichComputerHoldsAPath) {
  const struct {
    PathStyle style;
    const char* path;
    Kind kind;
    const char* server_part;
  } cases[] = {
      {PathStyle::kWindows, "\\\\server\\share\\ostrel", Kind::kNetwork,
       "\\\\server\\"},
      {PathStyle::kWindows, "\\\\server", Kind::kNetwork, ""},
      {PathStyle::kWindows, "\\\\\\x", Kind::kNetwork, "\\\\\\"},
      {PathStyle::kWindows, "C:\\ostrel", Kind::kThisComputer, ""},
      {PathStyle::kWindows, "c:\\ostrel", Kind::kThisComputer, ""},
      {PathStyle::kWindows, "C:/ostrel", Kind::kUnknown, ""},
      {PathStyle::kWindows, "Z:\\ostrel", Kind::kUnknown, ""},
      {PathStyle::kWindows, "C:", Kind::kUnknown, ""},
      {PathStyle::kWindows, "", Kind::kUnknown, ""},
      {PathStyle::kLinux, "//server/share/ostrel", Kind::kNetwork, "//server/"},
      {PathStyle::kLinux, "//server", Kind::kNetwork, ""},
      {PathStyle::kLinux, "/srv/ostrel", Kind::kThisComputer, ""},
      {PathStyle::kLinux, "/", Kind::kThisComputer, ""},
      {PathStyle::kLinux, "/mnt", Kind::kUnknown, ""},
      {PathStyle::kLinux, "/mnt/share/ostrel", Kind::kUnknown, ""},
      {PathStyle::kLinux, "/mntdata/ostrel", Kind::kThisComputer, ""},
      {PathStyle::kLinux, "/media/usb", Kind::kUnknown, ""},
      {PathStyle::kLinux, "/net/server/ostrel", Kind::kUnknown, ""},
      {PathStyle::kLinux, "/run/media/user/disk", Kind::kUnknown, ""},
      {PathStyle::kLinux, "/run/user/1000/gvfs/smb-share:server=s/x",
       Kind::kUnknown, ""},
      {PathStyle::kLinux, "ostrel", Kind::kUnknown, ""},
      {PathStyle::kLinux, "", Kind::kUnknown, ""},
      {PathStyle::kLinux, "C:\\ostrel", Kind::kUnknown, ""},
  };
  for (const auto& c : cases) {
    const PathLocation where = SitePaths(c.style).Locate(c.path);
    EXPECT_EQ(where.kind, c.kind) << c.path;
    EXPECT_EQ(where.server_part, c.server_part) << c.path;
  }
}

TEST(SitePathsTest, LocalDataPathKeepsTheCapitalCRuleOnWindows) {
  const SitePaths windows(PathStyle::kWindows), linux(PathStyle::kLinux);
  EXPECT_TRUE(windows.IsLocalDataPath("C:\\data"));
  EXPECT_FALSE(windows.IsLocalDataPath("c:\\data"));
  EXPECT_FALSE(windows.IsLocalDataPath("\\\\server\\data"));
  EXPECT_FALSE(windows.IsLocalDataPath("D:\\data"));
  EXPECT_TRUE(linux.IsLocalDataPath("/var/lib/ostrel"));
  EXPECT_FALSE(linux.IsLocalDataPath("/mnt/ostrel"));
  EXPECT_FALSE(linux.IsLocalDataPath("//server/data"));
  EXPECT_FALSE(linux.IsLocalDataPath("x"));
}

TEST(SitePathsTest, ProductInstallFolderIsTheWholeTextOnly) {
  const SitePaths windows(PathStyle::kWindows), linux(PathStyle::kLinux);
  EXPECT_EQ(windows.DefaultOstrelFolder(), "c:\\program files\\ostrel");
  EXPECT_TRUE(windows.IsProductInstallFolder(windows.DefaultOstrelFolder()));
  EXPECT_TRUE(windows.IsProductInstallFolder("C:\\Program Files\\OSTREL"));
  EXPECT_FALSE(windows.IsProductInstallFolder("C:\\program files\\ostrel\\"));
  EXPECT_FALSE(windows.IsProductInstallFolder("C:/program files/ostrel"));
  EXPECT_FALSE(windows.IsProductInstallFolder("D:\\program files\\ostrel"));
  EXPECT_EQ(windows.ProductInstallFolderText(), "C:\\program files\\ostrel");

  EXPECT_EQ(linux.DefaultOstrelFolder(), "/opt/ostrel");
  EXPECT_TRUE(linux.IsProductInstallFolder("/opt/ostrel"));
  EXPECT_FALSE(linux.IsProductInstallFolder("/opt/ostrel/"));
  EXPECT_FALSE(linux.IsProductInstallFolder("/OPT/OSTREL"));
  EXPECT_EQ(windows.Join("a", "b"), "a\\b");
  EXPECT_EQ(linux.Join("a/", "b"), "a//b");
}

TEST(SiteNumberTextTest, WholeNumbersShowInDecimalAnythingElseIsMissing) {
  const struct {
    const char* value;
    const char* shown;
  } cases[] = {
      {"190", "190"},  {"0190", "190"},  {"+190", "190"},  {"-5", "-5"},
      {"0", "0"},      {"2147483647", "2147483647"}, {"-2147483648", "-2147483648"},
      {"2147483648", "x"},  // would not reach the library as itself
      {"4294967486", "x"}, {"190abc", "x"}, {"19 0", "x"}, {"190.0", "x"},
      {"1e2", "x"}, {"", "x"}, {"+", "x"}, {"x", "x"}, {"&HBE", "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SiteNumberText(c.value), c.shown) << "'" << c.value << "'";
  }
}

}  // namespace
}  // namespace zolt::setup
