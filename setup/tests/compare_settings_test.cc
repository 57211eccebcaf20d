// Compare_Settings: the marks, the result, lblWarn and the computer name.
#include <string>

#include "setup/site_paths.h"
#include "setup/tests/setup_fixture.h"

namespace zolt::setup {
namespace {

TEST_F(SetupTest, EachDifferingSettingMarksItsBoxButOnlyPinSettingsDisagree) {
  const struct {
    const char* box;
    void (*change)(LibrarySettingsText&);
  } cases[] = {
      {"txtSeason", [](LibrarySettingsText& s) { s.season = "4"; }},
      {"txtPINEncrypt", [](LibrarySettingsText& s) { s.crypt = "12"; }},
      {"txtPINExpiry", [](LibrarySettingsText& s) { s.expiry = "30 "; }},
      {"txtLocation", [](LibrarySettingsText& s) { s.location = "0417"; }},
      {"txtVendor", [](LibrarySettingsText& s) { s.vendor = "190.0"; }},
      // The PIN table folder is marked but does not count as differing.
      {"txtPINTablePath",
       [](LibrarySettingsText& s) { s.pintable = "elsewhere"; }},
  };
  WriteProduct({});
  for (const auto& c : cases) {
    LibrarySettingsText library;
    c.change(library);
    // "30 " is read back trimmed; quotes keep a blank that counts.
    if (library.expiry == "30 ") library.expiry = "\"30 \"";
    if (library.pintable == "elsewhere") {
      library.pintable = temp_.MakeDir("elsewhere");
    }
    WriteLibrary(library);
    frm_.reset();
    Start();
    const bool agrees = std::string(c.box) == "txtPINTablePath";
    EXPECT_EQ(frm().Compare_Settings(), agrees) << c.box;
    EXPECT_EQ(Back("txtPINTablePath") == kColorMismatch, agrees) << c.box;
    for (const char* box : {"txtSeason", "txtPINEncrypt", "txtPINExpiry",
                            "txtLocation", "txtVendor"}) {
      EXPECT_EQ(Back(box, 1) == kColorMismatch, std::string(box) == c.box)
          << c.box << " changed, looking at " << box;
      EXPECT_EQ(Back(box, 0), kColorNeutralBox) << "product side untouched";
    }
    if (agrees) {
      EXPECT_EQ(Back("fraSettingsOstrel", 1), kColorUsable);
      ClearBoxes();
      Click("cmdExit");
      EXPECT_TRUE(Prompts().empty()) << "agreeing PIN settings: no question";
      continue;
    }
    EXPECT_EQ(Back("fraSettingsOstrel", 1), kColorUnusable);
    EXPECT_EQ(Text("lblsettingsmsg", 1),
              "The DLL will not work. Files need to match");
    EXPECT_EQ(Back("fraSettingsOstrel", 0), kColorUsable);
  }
}

TEST_F(SetupTest, WarnLabelTurnsRedForAPinTablePathLocalToThisComputer) {
  WriteProduct({});
  WriteLibrary({});
  Start();
  const SitePaths paths = SitePaths::For(env_);
  const std::string sep(1, env_.PathSeparator());
  const std::string network = sep + sep + "server" + sep + "share";
  const struct {
    std::string path;
    bool red;
  } cases[] = {
      {network, false},
      {paths.style() == PathStyle::kWindows ? "C:\\data" : "/srv/ostrel", true},
      {paths.style() == PathStyle::kWindows ? "c:\\data" : "/mnt/ostrel",
       false},
  };
  for (const auto& c : cases) {
    form().Get("txtPINTablePath").SetText(c.path);
    frm().Compare_Settings();
    EXPECT_EQ(Back("lblWarn"),
              c.red ? ui::kColorPureRed : ui::kColorWindowBackground)
        << c.path;
  }
}

TEST_F(SetupTest, ComputerNameFollowsTheProductFolder) {
  WriteProduct({});
  WriteLibrary({});
  Start();
  const bool windows = SitePaths::For(env_).style() == PathStyle::kWindows;
  const std::string sep(1, env_.PathSeparator());
  const struct {
    std::string folder;
    std::string caption;
    ui::BackStyle style;
  } cases[] = {
      {sep + sep + "srv" + sep + "ostrel", "on: " + sep + sep + "srv" + sep,
       ui::BackStyle::kTransparent},
      {sep + sep + "srv", "on: ", ui::BackStyle::kTransparent},
      {windows ? "c:\\ostrel" : "/var/ostrel", "on: This Computer",
       ui::BackStyle::kTransparent},
      {windows ? "Z:\\ostrel" : "/media/usb/ostrel",
       "on: Unknown Computer.    Confirm path if mapped drive",
       ui::BackStyle::kOpaque},
  };
  for (const auto& c : cases) {
    form().Get("txtPath2OstrelINI").SetText(c.folder);
    frm().Compare_Settings();
    EXPECT_EQ(Text("lblComputerName"), c.caption) << c.folder;
    EXPECT_EQ(form().Get("lblComputerName").back_style(), c.style) << c.folder;
  }
}

}  // namespace
}  // namespace zolt::setup
