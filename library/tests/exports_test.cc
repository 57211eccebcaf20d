// The two exported functions themselves, on the real Env: their settings
// file lies beside this test program, so each test writes it there and
// removes it afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "OstrelZOLTDLL.h"
#include "platform/env.h"
#include "platform/testing/temp_dir.h"
#include "tests/station/station.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

class ExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove(settings_);
  }
  void TearDown() override { fs::remove(settings_); }

  void WriteSettings(int vendor) {
    layout_.Set("Vendor", std::to_string(vendor));
    layout_.Write();
  }

  const fs::path settings_ =
      fs::path(Env::Default().ExecutablePath()).parent_path() / "OstrelZOLTDLL.dta";
  TempDir data_;
  test::Station layout_{settings_.parent_path().string(), data_.path()};
};

TEST_F(ExportsTest, VendorAndLocationArgumentsAreNotRead) {
  WriteSettings(179);  // a vendor the settings check refuses
  char buffer[16] = {};
  EXPECT_EQ(ZoltResult(190, 800, 1, buffer), ZOLT_E_VENDOR);
  EXPECT_EQ(check_SoldOut_Condition(190, 800, 1), ZOLT_E_VENDOR);

  WriteSettings(190);
  // Answers within one minute of the real clock agree whatever the arguments.
  int32_t answers[3];
  LocalTime before, after;
  do {
    before = Env::Default().Now();
    answers[0] = check_SoldOut_Condition(0, 0, 2);
    answers[1] = check_SoldOut_Condition(190, 800, 2);
    answers[2] = check_SoldOut_Condition(-7, 123456, 2);
    after = Env::Default().Now();
  } while (before.minute != after.minute);
  EXPECT_GT(answers[0], 0);
  EXPECT_TRUE(answers[1] == answers[0] && answers[2] == answers[0]);

  if (before.year > 2015) {
    // The machine's clock lies outside the years in which PINs are issued.
    EXPECT_EQ(ZoltResult(-1, 99999, 1, buffer), ZOLT_E_YEAR);
  }
}

}  // namespace
}  // namespace zolt
