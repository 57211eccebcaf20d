// The library side: Read_DLL_Info, Clear_DLL_Info and "re-read dll
// Settings".
#include <string>

#include "setup/tests/setup_fixture.h"

namespace zolt::setup {
namespace {

TEST_F(SetupTest, LibraryFileOfTheOtherExtensionIsNotRead) {
  WriteProduct({});
  WriteLibrary({}, ".dta");
  Start();
  EXPECT_EQ(Text("txtSeason", 1), "x");
  EXPECT_EQ(Text("txtPINTablePath"), "x");

  Click("optWindowsVersion", 1);
  Click("cmdReadDLLINI");
  EXPECT_EQ(Text("txtSeason", 1), "3");
  EXPECT_EQ(Text("txtPINTablePath"), data_dir_);

  temp_.WriteFile("program/ostrelzoltdll.dta", "");
  LibrarySettingsText ini;
  ini.season = "8";
  WriteLibrary(ini, ".ini");
  Click("cmdReadDLLINI");
  EXPECT_EQ(Text("txtSeason", 1), "x")
      << "the .ini file is not read under .dta";
}

TEST_F(SetupTest, LibraryKeysAreReadAsTheyStand) {
  WriteProduct({});
  const std::string sep(1, env_.PathSeparator());
  temp_.WriteFile("program/ostrelzoltdll.ini",
                  "[preferences]\r\nPathtopintable=" + data_dir_ + sep +
                      "\r\nSeason=3\r\nVendor=190\r\nLocation=417\r\n"
                      "PINExpiry=0\r\nPINcrypt=11\r\n");
  Start();
  EXPECT_EQ(Text("txtPINTablePath"), data_dir_ + sep) << "nothing is trimmed";
  EXPECT_EQ(Text("txtPINEncrypt", 1), "11") << "the library's spelling";
  EXPECT_EQ(Text("lblMinutes", 1), "PINS last until midnight");
}

TEST_F(SetupTest, RedMarksSurviveAReReadUntilTheSideIsCleared) {
  WriteProduct({});
  LibrarySettingsText library;
  library.season = "4";
  WriteLibrary(library);
  Start();
  ASSERT_EQ(Back("txtSeason", 1), kColorMismatch);

  WriteLibrary({});  // the season now agrees
  Click("cmdReadDLLINI");
  EXPECT_EQ(Text("txtSeason", 1), "3");
  EXPECT_EQ(Back("txtSeason", 1), kColorMismatch);
  // Validate_DLL_Info made the frame green; the agreeing comparison leaves it.
  EXPECT_EQ(Back("fraSettingsOstrel", 1), kColorUsable);

  frm().Clear_DLL_Info();
  EXPECT_EQ(Back("txtSeason", 1), kColorNeutralBox);
  EXPECT_EQ(Text("txtSeason", 1), "x");
}

TEST_F(SetupTest, ReReadDllSettingsSetsTheWriteButtonFromTheLibrarySide) {
  WriteProduct({});
  WriteLibrary({});
  Start();
  ASSERT_TRUE(form().Get("cmdSaveDllSettings").enabled());
  LibrarySettingsText broken;
  broken.vendor = kAbsent;
  WriteLibrary(broken);
  Click("cmdReadDLLINI");
  EXPECT_FALSE(form().Get("cmdSaveDllSettings").enabled())
      << "the library side decides here, although the product side is fine";
  Click("cmdReadOstrelINI");
  EXPECT_TRUE(form().Get("cmdSaveDllSettings").enabled());
}

}  // namespace
}  // namespace zolt::setup
