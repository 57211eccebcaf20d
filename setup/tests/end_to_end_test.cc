// From the product configuration to an issued PIN: the setup window reads a
// product file and writes ostrelzoltdll.dta; that file, copied beside this
// program, makes the real PIN library (loaded by name from this program's
// folder, as a POS program loads it) issue the PIN that the product's
// settings give. run_station.cmake lays out the station and sets the
// library's simulated sale time.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "OstrelZOLTDLL.h"
#include "library/slot_pin.h"
#include "platform/process/library_loader.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "setup/frm_main.h"
#include "ui/testing/scripted_dialogs.h"

namespace zolt::setup {
namespace {

namespace fs = std::filesystem;

using ZoltResultFn = int32_t(ZOLT_CALL*)(int32_t, int32_t, int32_t, char*);

// The sale time that run_station.cmake gives the library.
constexpr LocalTime kSaleTime = {2012, 6, 15, 10, 30, 0};

// The product's settings.
constexpr int32_t kVendor = 187, kLocation = 642, kSeason = 7, kCrypt = 23;

std::string FolderOf(const std::string& path) {
  return fs::path(path).parent_path().string();
}

TEST(SetupEndToEndTest, WrittenDtaMakesTheLibraryIssueTheProductsPin) {
  Env& real = Env::Default();
  const std::string station = FolderOf(real.ExecutablePath());
  const std::string library_name = SharedLibraryFileName("OstrelZOLTDLL");
  if (!real.FileExists(JoinPath(real, station, library_name))) {
    GTEST_SKIP() << "run through run_station.cmake (no library beside me)";
  }

  TempDir temp;
  const std::string product = temp.MakeDir("product");
  const std::string setup_folder = temp.MakeDir("setup");
  const std::string data = temp.MakeDir("data");
  temp.WriteFile(
      "product/ostrel.dta",
      "[Preferences]\r\nDataPath=" + data +
          "\r\n[Security]\r\nSeason=7\r\n[Other]\r\nPINExpiry=0\r\n"
          "PINCrypt=23\r\n[Site]\r\nVendor=0187\r\nLocation=642\r\n");

  // The installer's steps: Windows Vista, browse to the product file, write.
  TestEnv env;
  env.SetExecutablePath(
      JoinPath(env, setup_folder, "MakeZOLTconfigurationFile.exe"));
  ui::ScriptedDialogs dialogs;
  auto window = MakeFrmMainForm();
  FrmMain frm(*window, dialogs, env);
  window->Load();
  frm.form().Click({"optWindowsVersion", 1});
  ui::FileOpenResult picked;
  picked.file_name = JoinPath(env, product, "ostrel.dta");
  dialogs.AnswerShowOpen(picked);
  frm.form().Click("cmdBrowse");
  ASSERT_TRUE(frm.form().Get("cmdSaveDllSettings").enabled());
  frm.form().Click("cmdSaveDllSettings");
  ASSERT_TRUE(temp.Exists("setup/ostrelzoltdll.dta"));
  EXPECT_EQ(frm.form().Get("fraSettingsOstrel", 0).back_color(), kColorUsable);
  EXPECT_EQ(frm.form().Get("fraSettingsOstrel", 1).back_color(), kColorUsable);
  EXPECT_EQ(frm.form().Get("txtVendor", 1).text(), "187");

  // The copy beside the station, under the name as the setup wrote it.
  const fs::path installed = fs::path(station) / "ostrelzoltdll.dta";
  for (const char* old : {"OstrelZOLTDLL.dta", "ostrelzoltdll.dta"}) {
    fs::remove(fs::path(station) / old);
  }
  fs::copy_file(temp.Join("setup/ostrelzoltdll.dta"), installed);

  std::string why;
  auto library = LoadLibraryByName(library_name, &why);
  ASSERT_NE(library, nullptr) << why;
  auto zolt_result =
      reinterpret_cast<ZoltResultFn>(library->FindSymbol("ZoltResult"));
  ASSERT_NE(zolt_result, nullptr);

  // The newest slot of the sale minute, if the generator gives it a usable
  // value that no earlier slot of the day had (a later duplicate is taken).
  const int slot = kSaleTime.hour * 60 + kSaleTime.minute;
  const int32_t value =
      SlotPinForDate(slot, kSeason, kCrypt, kVendor, kLocation, kSaleTime);
  ASSERT_LE(value, 64770);
  for (int earlier = 0; earlier < slot; ++earlier) {
    ASSERT_NE(
        SlotPinForDate(earlier, kSeason, kCrypt, kVendor, kLocation, kSaleTime),
        value)
        << "choose another sale time";
  }
  const int32_t size = ZOLT_SIZE_MEDIUM;
  const int32_t expected = (2 * size + 2) * 100000 + kCrypt * size + value;

  char expiry[ZOLT_EXPIRY_BUFFER_SIZE] = {};
  EXPECT_EQ(zolt_result(0, 0, size, expiry), expected);
  fs::remove(installed);
}

}  // namespace
}  // namespace zolt::setup
