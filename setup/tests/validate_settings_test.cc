// Validate_Ostrel_Info and Validate_DLL_Info.
#include <string>

#include "setup/site_paths.h"
#include "setup/tests/setup_fixture.h"

namespace zolt::setup {
namespace {

std::string PinsOffBox() {
  return "PIN Expiry is set to 1 which indicates\r\nthat PINs are turned off "
         "inside Ostrel.\r\n\r\nVerify that the client has a Ostrel Version 8";
}

class ValidateTest : public SetupTest {
 protected:
  void SetUp() override {
    WriteProduct({});
    WriteLibrary({});
    Start();
    ClearBoxes();
  }
  // The product's install folder as a site might type it.
  std::string InstallFolderMixedCase() const {
    return SitePaths::For(env_).style() == PathStyle::kWindows
               ? "c:\\Program Files\\OSTREL"
               : "/opt/ostrel";
  }
  std::string PathWarningBox() const {
    const std::string folder =
        "'" + SitePaths::For(env_).ProductInstallFolderText() + "'";
    return Lines({"WARNING! ", "", folder,
                  "is not a valid path UNLESS there is",
                  "ONLY ONE POS COMPUTER and", "it has ostrel installed.", "",
                  "Ostrel data needs to be located in a different folder",
                  "other than " + folder,
                  "when there is more than one computer involved."});
  }
  void SetProduct(const char* box, const std::string& text) {
    form().Get(box, 0).SetText(text);
  }
};

TEST_F(ValidateTest, PinsOffThenPathWarningThenRed) {
  SetProduct("txtPINExpiry", "1");
  SetProduct("txtDataPath", InstallFolderMixedCase());
  EXPECT_FALSE(frm().Validate_Ostrel_Info());
  const auto boxes = dialogs_.MsgBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].prompt, PinsOffBox());
  EXPECT_EQ(boxes[0].style, ui::kMsgBoxOkOnly);
  EXPECT_EQ(boxes[1].prompt, PathWarningBox());
  EXPECT_EQ(boxes[1].style, ui::kMsgBoxExclamation);
  EXPECT_EQ(boxes[1].title, "Path Warning!");
  EXPECT_EQ(Text("lblsettingsmsg", 0), "ostrel settings are incorrect");
  EXPECT_EQ(Back("fraSettingsOstrel", 0), kColorUnusable);

  // The path warning alone is advice: the side stays usable.
  ClearBoxes();
  SetProduct("txtPINExpiry", "30");
  EXPECT_TRUE(frm().Validate_Ostrel_Info());
  EXPECT_EQ(Prompts(), std::vector<std::string>{PathWarningBox()});
  EXPECT_EQ(Back("fraSettingsOstrel", 0), kColorUsable);

  // A folder below it is no warning (the path rules have their own tests).
  ClearBoxes();
  SetProduct("txtDataPath",
             InstallFolderMixedCase() + env_.PathSeparator() + "data");
  EXPECT_TRUE(frm().Validate_Ostrel_Info());
  EXPECT_TRUE(Prompts().empty());
}

// Only the exact text "1" turns PINs off, and only on the product side.
TEST_F(ValidateTest, OnlyTheExactTextOneTurnsPinsOff) {
  for (const char* expiry : {" 1", "01", "1 ", "10"}) {
    SetProduct("txtPINExpiry", expiry);
    EXPECT_TRUE(frm().Validate_Ostrel_Info()) << "'" << expiry << "'";
  }
  form().Get("txtPINExpiry", 1).SetText("1");
  EXPECT_TRUE(frm().Validate_DLL_Info());
  EXPECT_TRUE(Prompts().empty());
}

TEST_F(ValidateTest, EveryMissingBoxFailsItsSideAndUpperCaseXDoesNot) {
  for (const char* box : {"txtDataPath", "txtSeason", "txtPINEncrypt",
                          "txtPINExpiry", "txtLocation", "txtVendor"}) {
    SetUp();
    form().Get(box, 0).SetText("X");
    EXPECT_TRUE(frm().Validate_Ostrel_Info()) << box;
    form().Get(box, 0).SetText("x");
    EXPECT_FALSE(frm().Validate_Ostrel_Info()) << box;

    const ui::ControlKey library_box = std::string(box) == "txtDataPath"
                                           ? ui::ControlKey("txtPINTablePath")
                                           : ui::ControlKey(box, 1);
    EXPECT_TRUE(frm().Validate_DLL_Info()) << box;
    form().Get(library_box).SetText("x");
    EXPECT_FALSE(frm().Validate_DLL_Info()) << box;
    EXPECT_EQ(Text("lblsettingsmsg", 1), "DLL settings are incorrect");
    EXPECT_EQ(Back("fraSettingsOstrel", 1), kColorUnusable);
    EXPECT_TRUE(Prompts().empty())
        << box << ": a missing path is not looked for";
  }
}

TEST_F(ValidateTest, MissingPinTableFolderIsReportedButPasses) {
  const std::string missing = Join(temp_.path(), "gone");
  form().Get("txtPINTablePath").SetText(missing);
  EXPECT_TRUE(frm().Validate_DLL_Info());
  EXPECT_EQ(Text("lblsettingsmsg", 1), "DLL settings seem to be OK");
  EXPECT_EQ(Back("fraSettingsOstrel", 1), kColorUsable);
  const auto FolderBox = [](const std::string& path, const std::string& ext) {
    return Lines(
        {"The datapath '" + path,
         "to dllpintable.dat inside ostrelzoltdll" + ext +
             " does not exist on this computer.",
         "", "Check that the path indicated below exists on this computer.",
         "Check for:    " + path, "",
         "The dll will return -610 errors with the data path above.",
         "This path needs to be fixed in the ostrelzoltdll" + ext + " file."});
  };
  EXPECT_EQ(Prompts(), std::vector<std::string>{FolderBox(missing, ".ini")});

  // A file is not a folder; an empty path is not the marker.
  ClearBoxes();
  Click("optWindowsVersion", 1);
  const std::string file = temp_.WriteFile("a-file", "");
  for (const std::string& path : {file, std::string()}) {
    form().Get("txtPINTablePath").SetText(path);
    EXPECT_TRUE(frm().Validate_DLL_Info());
  }
  EXPECT_EQ(Prompts(), (std::vector<std::string>{FolderBox(file, ".dta"),
                                                 FolderBox("", ".dta")}));
}

}  // namespace
}  // namespace zolt::setup
