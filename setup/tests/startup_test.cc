// Start-up, the Windows-version choice, the help pictures and Exit.
#include <string>

#include "setup/frm_main_layout.h"
#include "setup/mod_declarations.h"
#include "setup/site_paths.h"
#include "setup/tests/setup_fixture.h"
#include "ui/run_time_error.h"

namespace zolt::setup {
namespace {

using ui::ScriptedDialogs;

TEST_F(SetupTest, StartUpWithAgreeingSidesShowsBothFramesGreen) {
  WriteProduct({});
  WriteLibrary({});
  int reads_when_shown = -1;
  FrmMainHost host;
  host.show_window = [&] {
    reads_when_shown = env_.reads("ostrelzoltdll.ini");
  };
  Start(host);

  EXPECT_EQ(reads_when_shown, 0) << "the window shows before any file is read";
  EXPECT_EQ(Text("lblVersion"),
            "Version 8.4.7  creating ostrelzoltdll.ini in " + program_dir_);
  EXPECT_EQ(Text("txtPath2CreateDLLini"), program_dir_);
  EXPECT_EQ(Text("txtPath2OstrelINI"), product_dir_);
  EXPECT_EQ(frm().cdPath().initial_dir, product_dir_);
  for (int side : {0, 1}) {
    EXPECT_EQ(Back("fraSettingsOstrel", side), kColorUsable) << side;
    EXPECT_EQ(Back("txtSeason", side), kColorNeutralBox) << side;
  }
  EXPECT_EQ(Text("lblsettingsmsg", 0), "ostrel settings seem to be OK");
  EXPECT_EQ(Text("lblsettingsmsg", 1), "DLL settings seem to be OK");
  EXPECT_TRUE(form().Get("cmdSaveDllSettings").enabled());
  EXPECT_TRUE(Prompts().empty());
  EXPECT_EQ(dialogs_.CallsOf(ScriptedDialogs::Kind::kDoEvents).size(), 2u);

  // The instructions name the folder the file is created in.
  EXPECT_NE(Text("lblInstructions").find("file created in " + program_dir_ + " ("),
            std::string::npos);
}

TEST_F(SetupTest, WithoutLibraryFileTheDefaultProductFolderIsUsed) {
  // Even with a product file in the test's product folder: nothing names it.
  WriteProduct({});
  Start();
  const std::string default_folder = SitePaths::For(env_).DefaultOstrelFolder();
  EXPECT_EQ(Text("txtPath2OstrelINI"), default_folder);
  for (const char* box : {"txtDataPath", "txtSeason", "txtPINEncrypt",
                          "txtPINExpiry", "txtLocation", "txtVendor"}) {
    EXPECT_EQ(Text(box, 0), "x") << box;
  }
  EXPECT_EQ(Text("txtPINTablePath"), "x");
  EXPECT_EQ(Text("lblMinutes", 1), "minutes");
  // Both sides missing everything agree; both checks still fail.
  EXPECT_EQ(Back("txtSeason", 1), kColorNeutralBox);
  EXPECT_EQ(Text("lblsettingsmsg", 0), "ostrel settings are incorrect");
  EXPECT_EQ(Text("lblsettingsmsg", 1), "DLL settings are incorrect");
  EXPECT_FALSE(form().Get("cmdSaveDllSettings").enabled());
  EXPECT_TRUE(Prompts().empty());
}

TEST_F(SetupTest, SecondCopyEndsBeforeShowingOrReadingAnything) {
  WriteLibrary({});
  bool shown = false;
  FrmMainHost host;
  host.another_copy_running = [] { return true; };
  host.show_window = [&] { shown = true; };
  Start(host);
  EXPECT_TRUE(frm().ended());
  EXPECT_TRUE(form().closed());
  EXPECT_FALSE(shown);
  EXPECT_EQ(env_.reads("ostrelzoltdll.ini"), 0);
  EXPECT_EQ(Text("lblVersion"), "Version");
  EXPECT_TRUE(dialogs_.calls().empty());
}

TEST_F(SetupTest, FormLoadErrorStopsStartUpAndKeepsDesignTexts) {
  WriteProduct({});
  WriteLibrary({});
  dialogs_.OnDoEvents([] { throw ui::RunTimeError(7, "Out of memory"); });
  Start();
  EXPECT_EQ(Prompts(),
            std::vector<std::string>{"Form Load Error 7\r\n\r\nOut of memory"});
  EXPECT_EQ(dialogs_.MsgBoxes()[0].style, ui::kMsgBoxOkOnly);
  EXPECT_EQ(dialogs_.MsgBoxes()[0].title, "");
  // Steps before the failure ran, the rest did not.
  EXPECT_EQ(Text("txtPath2CreateDLLini"), program_dir_);
  EXPECT_EQ(Text("txtPath2OstrelINI"), "path");
  EXPECT_EQ(Text("lblInstructions"), "instructions");
  EXPECT_FALSE(form().closed()) << "the window stays open as far as it got";
}

TEST_F(SetupTest, WindowsVersionSwitchesCaptionsButNotStartUpTexts) {
  WriteProduct({});
  WriteLibrary({});
  Start();
  const std::string version = Text("lblVersion");
  const std::string instructions = Text("lblInstructions");

  Click("optWindowsVersion", 1);
  EXPECT_EQ(frm().SettingsExt(), ".dta");
  EXPECT_EQ(Text("cmdBrowse"), "Browse for ostrel.dta");
  EXPECT_EQ(Text("cmdSaveDllSettings"), "Write a new ostrelZOLTDLL.dta file");
  EXPECT_EQ(Text("fraSettingsOstrel", 1), "ostrelZOLTDLL.dta settings");
  EXPECT_EQ(Text("lblVersion"), version);
  EXPECT_EQ(Text("lblInstructions"), instructions);
  // Nothing is re-read: the library side still shows the .ini file.
  EXPECT_EQ(Text("txtSeason", 1), "3");

  // The help texts keep the extension of start-up.
  Click("Picture1", 1);
  Click("Picture1", 0);
  Click("Picture2");
  Click("Picture3");
  const auto boxes = dialogs_.MsgBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].prompt,
            "Browse for the ostrel.ini file which is located in the ostrel "
            "data path that you should be sharing on the server or main "
            "ostrel computer.");
  EXPECT_EQ(boxes[3].prompt, form().Get("Picture3").tool_tip());
  for (const auto& box : boxes) {
    EXPECT_EQ(box.style, ui::kMsgBoxOkOnly);
    EXPECT_EQ(box.title, "");
  }

  Click("optWindowsVersion", 0);
  EXPECT_EQ(frm().SettingsExt(), ".ini");
  for (const auto& c : ExtensionCaptions(".ini")) {
    EXPECT_EQ(form().Get(c.control).text(), c.caption) << c.control.ToString();
  }
}

// Exit asks only when the sides differ, writes on Yes, and always ends.
TEST_F(SetupTest, ExitAsksOnlyWhenTheSidesDifferAndAlwaysEnds) {
  const struct {
    const char* library_season;
    int answer;  // 0: no question expected
  } cases[] = {{"3", 0}, {"4", ui::kMsgBoxResultNo}, {"4", ui::kMsgBoxResultYes}};
  WriteProduct({});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    LibrarySettingsText library;
    library.season = c.library_season;
    WriteLibrary(library);
    Start();
    const std::string before = LibraryFile();
    ClearBoxes();
    if (c.answer != 0) dialogs_.AnswerMsgBox(c.answer);
    Click("cmdExit");
    EXPECT_TRUE(frm().ended());
    EXPECT_TRUE(form().closed());
    EXPECT_EQ(dialogs_.unscripted(), 0);
    EXPECT_EQ(dialogs_.unused_answers(), 0u);
    const auto boxes = dialogs_.MsgBoxes();
    ASSERT_EQ(boxes.empty(), c.answer == 0);
    if (c.answer != 0) {
      EXPECT_EQ(boxes[0].prompt,
                "DLL config file does not match Ostrel.\r\n\r\nDo you wish to "
                "save a new dll settings file?");
      EXPECT_EQ(boxes[0].title, "Save new ZOLTdll settings file?");
      EXPECT_EQ(boxes[0].style, ui::kMsgBoxYesNo);
    }
    const bool writes = c.answer == ui::kMsgBoxResultYes;
    EXPECT_EQ(LibraryFile() != before, writes);
    if (writes) EXPECT_NE(LibraryFile().find("Season=3\r\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace zolt::setup
