// Writing the library settings file: from the product side, with the
// erasing of the PIN tables, and the manual save.
#include <filesystem>
#include <functional>
#include <string>

#include "setup/tests/setup_fixture.h"

namespace zolt::setup {
namespace {

namespace fs = std::filesystem;

class WriteTest : public SetupTest {
 protected:
  // Both sides read, the library side differing as `library` says; the
  // day's PIN tables in the data folder when `tables` is set.
  void StartWith(const LibrarySettingsText& library, bool tables = true) {
    WriteProduct({});
    WriteLibrary(library);
    if (tables) MakeTables();
    Start();
    ClearBoxes();
  }
  void MakeTables() {
    temp_.WriteFile("data/DLLPINTable.dat", "[PINTable]\r\n");
    temp_.WriteFile("data/PINTable.dat", "[PINTable]\r\n");
  }
  // Typing a PIN table folder shows the manual save button.
  void Type(const std::string& path) {
    form().KeyPress("txtPINTablePath", 'a');
    form().EditText("txtPINTablePath", path);
  }
  bool ButtonShown() {
    return form().ShownToUser(form().Get("cmdSaveManualSettings"));
  }
  bool TableExists(const char* name) const {
    return temp_.Exists(std::string("data/") + name);
  }
  std::vector<std::string> SuccessBoxes(const std::string& ext = ".ini") const {
    return {Lines({"This program is getting ostrel settings from",
                   Join(product_dir_, "ostrel" + ext), "",
                   "ostrelzoltdll" + ext + " has been created or modified in",
                   program_dir_}),
            Lines({"Copy the new ostrelzoltdll" + ext + " file located in '" +
                       program_dir_ + "'",
                   "to the directory where your POS executable file and the "
                   "ostrelZOLTDLL.DLL file is located."})};
  }
  std::vector<std::string> Then(std::vector<std::string> a,
                                const std::vector<std::string>& b) const {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
  // The file a write produces: the product's values (or `value` for each)
  // and the PIN table folder.
  std::string Written(const std::string& pintable = kAbsent,
                      const std::string& value = "") const {
    auto v = [&](const char* real) {
      return value.empty() ? std::string(real) : value;
    };
    return "[Preferences]\r\nOstrelPath=" + product_dir_ +
           "\r\nPathtopintable=" + (pintable == kAbsent ? data_dir_ : pintable) +
           "\r\nVendor=" + v("190") + "\r\nLocation=" + v("417") +
           "\r\nSeason=" + v("3") + "\r\nPINExpiry=" + v("30") +
           "\r\nPINCrypt=" + v("11") + "\r\n";
  }
};

TEST_F(WriteTest, RefusedProductCheckWritesNothing) {
  LibrarySettingsText library;
  library.season = "4";
  StartWith(library);
  const std::string before = LibraryFile();
  form().Get("txtPINExpiry", 0).SetText("1");
  Click("cmdSaveDllSettings");
  EXPECT_EQ(Prompts().back(),
            "cannot create a dll settings file with the ostrel information "
            "provided");
  EXPECT_EQ(Prompts().size(), 2u) << "after the product check's own box";
  EXPECT_EQ(LibraryFile(), before);
  EXPECT_TRUE(TableExists("PINTable.dat"));
  EXPECT_EQ(Back("txtSeason", 1), kColorMismatch) << "nothing re-read";
}

TEST_F(WriteTest,
       SeasonChangeErasesBothTablesInOrderThenASecondWriteErasesNone) {
  LibrarySettingsText library;
  library.season = "4";
  library.ostrel_path = kAbsent;
  StartWith(library);
  // Start-up found no OstrelPath: point the window at the product again.
  form().Get("txtPath2OstrelINI").SetText(product_dir_);
  Click("cmdReadOstrelINI");
  ClearBoxes();

  Click("cmdSaveDllSettings");
  EXPECT_EQ(
      Prompts(),
      Then(SuccessBoxes(),
           {"erasing DLLPINTable.dat because of security settings changing",
            "erasing PINTable.dat because of security settings changing"}));
  EXPECT_FALSE(TableExists("DLLPINTable.dat"));
  EXPECT_FALSE(TableExists("PINTable.dat"));
  EXPECT_EQ(LibraryFile(),
            "[Preferences]\r\nPathtopintable=" + data_dir_ +
                "\r\nVendor=190\r\nLocation=417\r\nSeason=3\r\nPINExpiry=30\r\n"
                "PINCrypt=11\r\nOstrelPath=" +
                product_dir_ + "\r\n")
      << "existing keys in place, the new one at the end";
  // The library side is read again, grey, and its check stands.
  EXPECT_EQ(Text("txtSeason", 1), "3");
  EXPECT_EQ(Back("txtSeason", 1), kColorNeutralBox);
  EXPECT_EQ(Back("fraSettingsOstrel", 1), kColorUsable);
  EXPECT_EQ(Text("lblsettingsmsg", 1), "DLL settings seem to be OK");

  MakeTables();
  ClearBoxes();
  Click("cmdSaveDllSettings");
  EXPECT_EQ(Prompts(), SuccessBoxes());
  EXPECT_TRUE(TableExists("DLLPINTable.dat"));
  EXPECT_TRUE(TableExists("PINTable.dat"));
}

TEST_F(WriteTest, OnlySeasonOrPinCryptCountAsSecurityChanges) {
  const struct {
    const char* name;
    void (*change)(LibrarySettingsText&);
    bool erases;
  } cases[] = {
      {"season", [](LibrarySettingsText& s) { s.season = "2"; }, true},
      {"crypt", [](LibrarySettingsText& s) { s.crypt = "10"; }, true},
      {"vendor", [](LibrarySettingsText& s) { s.vendor = "191"; }, false},
      {"location", [](LibrarySettingsText& s) { s.location = "1"; }, false},
      {"expiry", [](LibrarySettingsText& s) { s.expiry = "0"; }, false},
  };
  for (const auto& c : cases) {
    LibrarySettingsText library;
    c.change(library);
    frm_.reset();
    StartWith(library);
    Click("cmdSaveDllSettings");
    EXPECT_EQ(TableExists("PINTable.dat"), !c.erases) << c.name;
    EXPECT_EQ(Prompts().size(), c.erases ? 4u : 2u) << c.name;
    EXPECT_EQ(LibraryFile(), Written()) << c.name;
  }
}

// Tables are looked for where the old settings pointed; a missing or
// undeletable one is named and the other still erased.
TEST_F(WriteTest, TableProblemsAreNamedAndTheOtherTableStillErased) {
  const std::string old_data = temp_.MakeDir("old");
  const std::string dll_table = Join(data_dir_, "DLLPINTable.dat");
  const std::string erasing = " because of security settings changing";
  const struct {
    const char* name;
    std::string pintable;  // where the old settings kept the tables
    std::function<void()> prepare;
    std::vector<std::string> boxes;  // after the write's own two
    bool dll_table_left;
  } cases[] = {
      {"missing", data_dir_, [&] { fs::remove(dll_table); },
       {"Can't find " + dll_table, "erasing PINTable.dat" + erasing}, false},
      {"old folder", old_data, [&] { temp_.WriteFile("old/PINTable.dat", ""); },
       {"Can't find " + Join(old_data, "DLLPINTable.dat"),
        "erasing PINTable.dat" + erasing},
       true},
      {"undeletable", data_dir_,
       [&] { env_.FailRemove("DLLPINTable.dat", FileError::kSharing); },
       {"erasing DLLPINTable.dat" + erasing,
        "Can't erase " + dll_table +
            "\r\n\r\nCause: sharing violation.\r\nDelete it once no POS "
            "station is using it: until then the stations hand out PINs made "
            "with the old settings.",
        "erasing PINTable.dat" + erasing},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LibrarySettingsText library;
    library.crypt = "12";
    library.pintable = c.pintable;
    frm_.reset();
    StartWith(library);  // the day's tables in the new data folder
    c.prepare();
    Click("cmdSaveDllSettings");
    EXPECT_EQ(Prompts(), Then(SuccessBoxes(), c.boxes));
    EXPECT_EQ(TableExists("DLLPINTable.dat"), c.dll_table_left);
    EXPECT_FALSE(temp_.Exists(
        (c.pintable == old_data ? "old" : "data") + std::string("/PINTable.dat")));
    EXPECT_EQ(LibraryFile(), Written());
  }
}

TEST_F(WriteTest, FirstWriteWithoutLibraryFileLooksInTheMarkerFolder) {
  WriteProduct({});
  // No library file: start-up looks for the product in the default folder,
  // so the installer browses to it.
  Start();
  ui::FileOpenResult picked;
  picked.file_name = Join(product_dir_, "ostrel.ini");
  dialogs_.AnswerShowOpen(picked);
  Click("cmdBrowse");
  ASSERT_EQ(Back("txtSeason", 1), kColorMismatch);
  ClearBoxes();
  Click("cmdSaveDllSettings");
  EXPECT_EQ(Prompts(),
            Then(SuccessBoxes(), {"Can't find " + Join("x", "DLLPINTable.dat"),
                                  "Can't find " + Join("x", "PINTable.dat")}));
  EXPECT_EQ(LibraryFile(), Written());
  EXPECT_EQ(Back("fraSettingsOstrel", 1), kColorUsable);
}

TEST_F(WriteTest, DtaOptionWritesTheDtaFileAndNamesItEverywhere) {
  LibrarySettingsText library;
  library.vendor = "191";
  StartWith(library);
  Click("optWindowsVersion", 1);
  WriteProduct({}, ".dta");
  Click("cmdSaveDllSettings");
  EXPECT_EQ(Prompts(), SuccessBoxes(".dta"));
  EXPECT_EQ(LibraryFile(".dta"), Written());
  EXPECT_NE(LibraryFile(".ini"), Written()) << "the .ini file is left alone";
}

// A library settings file that cannot be written is a failure: its box
// alone, the old file whole, no table erased; the manual save keeps its
// button.
TEST_F(WriteTest, FailedWriteIsReportedAndNothingIsErased) {
  const struct {
    bool read_only_file, manual;
    const char* box;
    const char* cause;
  } cases[] = {
      {true, false, "Write DLL .ini Settings Error 75", "access denied"},
      {false, false, "Write DLL .ini Settings Error 75", "sharing violation"},
      {false, true, "Write DLL INI Settings Error 75", "access denied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cause + std::string(c.manual ? " manual" : ""));
    LibrarySettingsText library;
    library.season = "4";
    frm_.reset();
    StartWith(library);
    const std::string path = Join(program_dir_, "ostrelzoltdll.ini");
    const std::string before = LibraryFile();
    if (c.read_only_file) {
      fs::permissions(path,
                      fs::perms::owner_write | fs::perms::group_write |
                          fs::perms::others_write,
                      fs::perm_options::remove);
    } else {
      env_.FailWrite("ostrelzoltdll.ini", c.manual ? FileError::kDenied
                                                   : FileError::kSharing);
    }
    if (c.manual) Type(data_dir_);
    Click(c.manual ? "cmdSaveManualSettings" : "cmdSaveDllSettings");
    EXPECT_EQ(Prompts(), std::vector<std::string>{
                             std::string(c.box) +
                             "\r\n\r\nPath/File access error: cannot write '" +
                             path + "' (" + c.cause + ")"});
    EXPECT_EQ(LibraryFile(), before);
    EXPECT_TRUE(TableExists("DLLPINTable.dat"));
    EXPECT_TRUE(TableExists("PINTable.dat"));
    EXPECT_EQ(Back("txtSeason", 1), kColorMismatch)
        << "the old settings still show";
    EXPECT_EQ(ButtonShown(), c.manual);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    env_.ClearFailures();
  }
}

class ManualSaveTest : public WriteTest {
 protected:
  void SetUp() override {
    LibrarySettingsText library;
    library.location = "1";
    StartWith(library);
  }
};

TEST_F(ManualSaveTest, AnyKeyShowsTheButtonAndASaveHidesIt) {
  EXPECT_FALSE(ButtonShown());
  const std::string typed = temp_.MakeDir("typed");
  Type(typed);
  EXPECT_TRUE(ButtonShown());
  Click("cmdSaveManualSettings");
  EXPECT_EQ(Prompts(),
            std::vector<std::string>{"Manual Settings ini file saved"});
  EXPECT_FALSE(ButtonShown());
  EXPECT_EQ(LibraryFile(), Written(typed));
  EXPECT_EQ(Text("txtPINTablePath"), typed) << "not read again";
  EXPECT_TRUE(TableExists("PINTable.dat")) << "nothing erased";

  // An empty path and missing product values are written as they stand.
  frm().Clear_Ostrel_Info();
  Type("");
  Click("cmdSaveManualSettings");
  EXPECT_EQ(LibraryFile(), Written("", "x"));
}

TEST_F(ManualSaveTest, MissingFolderIsRefusedAndNothingWritten) {
  const std::string before = LibraryFile();
  const std::string missing = Join(temp_.path(), "nowhere");
  Click("optWindowsVersion", 1);  // the words "ini file" stay
  Type(missing);
  Click("cmdSaveManualSettings");
  EXPECT_EQ(Prompts(), std::vector<std::string>{
                           Lines({"Manually entered path", missing,
                                  "to ostrel data is not a valid path.", "",
                                  "ini file settings not saved."})});
  EXPECT_EQ(Back("fraSettingsOstrel", 1), kColorUnusable);
  EXPECT_FALSE(ButtonShown());
  EXPECT_EQ(LibraryFile(), before);
  EXPECT_EQ(LibraryFile(".dta"), "<missing>");
}

}  // namespace
}  // namespace zolt::setup
