// Browsing for the product configuration file.
#include <string>

#include "setup/tests/setup_fixture.h"
#include "ui/run_time_error.h"

namespace zolt::setup {
namespace {

class BrowseTest : public SetupTest {
 protected:
  void StartWithBothFiles() {
    WriteProduct({});
    WriteLibrary({});
    Start();
    ClearBoxes();
  }
  void Pick(const std::string& path) {
    ui::FileOpenResult r;
    r.file_name = path;
    r.filter_index = 3;
    dialogs_.AnswerShowOpen(r);
    Click("cmdBrowse");
  }
};

TEST_F(BrowseTest, DialogIsPreparedTheSameWhateverTheExtension) {
  StartWithBothFiles();
  Click("optWindowsVersion", 1);
  Click("cmdBrowse");  // cancelled
  const auto opens = dialogs_.CallsOf(ui::ScriptedDialogs::Kind::kShowOpen);
  ASSERT_EQ(opens.size(), 1u);
  const ui::FileOpenRequest& r = opens[0].open;
  EXPECT_EQ(r.title, "Browse for ostrel.ini file");
  EXPECT_EQ(r.filter,
            "All Files (*.*)|*.*|Config Files(*.cfg)|*.cfg|ini Files "
            "(*.ini)|*.ini|dta Files (*.dta)|*.dta");
  EXPECT_EQ(r.default_ext, ".ini");
  EXPECT_EQ(r.file_name, "ostrel.ini");
  EXPECT_EQ(r.filter_index, 3);
  EXPECT_EQ(r.flags, 4096 | 4);
  EXPECT_EQ(r.initial_dir, product_dir_);
}

// Either extension is accepted, but the file of the extension in force is
// read from the picked folder.
TEST_F(BrowseTest, AcceptedFileMovesTheProductFolderAndReReads) {
  for (const char* picked : {"ostrel.ini", "ostrel.dta"}) {
    SCOPED_TRACE(picked);
    StartWithBothFiles();
    const std::string other = temp_.MakeDir(std::string("other") + picked);
    ProductSettings moved;
    moved.season = "5";
    temp_.WriteFile("other" + std::string(picked) + "/" + picked,
                    ProductFileText(moved));
    Pick(Join(other, picked));
    const bool read = std::string(picked) == "ostrel.ini";
    EXPECT_EQ(Text("txtPath2OstrelINI"), other);
    EXPECT_EQ(Text("txtSeason", 0), read ? "5" : "x");
    EXPECT_EQ(form().Get("cmdSaveDllSettings").enabled(), read);
    EXPECT_TRUE(Prompts().empty());
  }
}

TEST_F(BrowseTest, WrongNameIsRefusedButStillNamesItsComputer) {
  StartWithBothFiles();
  const std::string folder_before = Text("txtPath2OstrelINI");
  const struct {
    std::string picked;
    const char* ext;
  } cases[] = {
      {Join(product_dir_, "OSTREL.INI"), ".ini"},
      {Join(product_dir_, "myostrel.ini"), ".ini"},
      {Join(product_dir_, "ostrel.cfg"), ".dta"},
      {"ostrel.ini", ".ini"},  // too short to hold the separator
  };
  for (const auto& c : cases) {
    Click("optWindowsVersion", std::string(c.ext) == ".ini" ? 0 : 1);
    ClearBoxes();
    // A product folder on no known computer: the refusal must set the
    // label from the picked path, not keep an old value.
    form().Get("lblComputerName").SetText("stale");
    Pick(c.picked);
    EXPECT_EQ(Prompts(), std::vector<std::string>{"You need to select 'ostrel" +
                                                  std::string(c.ext) +
                                                  "' as the source file."})
        << c.picked;
    EXPECT_EQ(Text("txtPath2OstrelINI"), folder_before);
    EXPECT_EQ(Text("txtSeason", 0), "3");
    EXPECT_NE(Text("lblComputerName"), "stale");
  }
}

TEST_F(BrowseTest, PathOnNoKnownComputerShowsTheShortRedCaption) {
  StartWithBothFiles();
  // A relative path is on no known computer on either platform.
  Pick(Join("elsewhere", "ostrel.ini"));
  const ui::Control& label = form().Get("lblComputerName");
  EXPECT_EQ(label.text(), "on: Unknown Computer.    Confirm path");
  EXPECT_EQ(label.back_style(), ui::BackStyle::kOpaque);
  EXPECT_EQ(label.back_color(), ui::kColorPureRed);
  // The comparison of a later re-read gives the longer text.
  Click("cmdReadOstrelINI");
  EXPECT_EQ(label.text(),
            "on: Unknown Computer.    Confirm path if mapped drive");
}

// A refused (cancelled) browse changes and shows nothing; another dialog
// failure is reported.
TEST_F(BrowseTest, CancelChangesNothingAndOtherFailuresAreReported) {
  StartWithBothFiles();
  form().Get("lblComputerName").SetText("before");
  Click("cmdBrowse");  // unscripted: cancelled
  ui::FileOpenResult failed;
  failed.error = 20476;
  dialogs_.AnswerShowOpen(failed);
  Click("cmdBrowse");
  EXPECT_EQ(Prompts(), std::vector<std::string>{
                           "Error: 20476\r\n\r\nThe file dialog failed."});
  EXPECT_EQ(Text("lblComputerName"), "before");
  EXPECT_EQ(Text("txtPath2OstrelINI"), product_dir_);
}

}  // namespace
}  // namespace zolt::setup
