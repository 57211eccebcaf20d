// The window against the real library, loaded by name by modDeclareZOLTDLL
// from this test program's folder: a station laid out by run_in_station.cmake
// with the settings file beside the program. Sale times come from the
// simulated-clock build of the library (ZOLT_SIMULATED_TIME), except where
// the real year is the point.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "gtest/gtest.h"
#include "testapp/tests/testapp_fixture.h"

namespace zolt::testapp {
namespace {

namespace fs = std::filesystem;

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value == nullptr ? "" : value);
#else
  if (value == nullptr) {
    unsetenv(name);
  } else {
    setenv(name, value, 1);
  }
#endif
}

class RealLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* station = std::getenv("ZOLT_STATION");
    if (station == nullptr || *station == '\0') {
      GTEST_SKIP() << "run through run_in_station.cmake (ZOLT_STATION unset)";
    }
    station_ = station;
    // A data folder of its own for every test: fresh PIN tables.
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    data_ = station_ / (std::string("data_") + info->name());
    fs::remove_all(data_);
    fs::create_directories(data_);
    WriteSettings(0);
    SetEnv("ZOLT_SIMULATED_TIME", "2010-06-15 10:00");
  }

  void TearDown() override { SetEnv("ZOLT_SIMULATED_TIME", nullptr); }

  void WriteSettings(int pin_expiry, const std::string& data_path = "") {
    std::ofstream out(station_ / "OstrelZOLTDLL.dta", std::ios::binary);
    out << "[Preferences]\r\nVendor=190\r\nLocation=1\r\nSeason=1\r\n"
        << "PINcrypt=7\r\nPINExpiry=" << pin_expiry << "\r\n"
        << "Pathtopintable=" << (data_path.empty() ? data_.string() : data_path)
        << "\r\n";
  }

  fs::path station_;
  fs::path data_;
  modDeclareZOLTDLL dll_;
};

const std::regex kPinLine("^[468][0-9]{5}\r\n$");

// One PIN per size with its first digit; PINExpiry 0 lasts until midnight,
// 60 gives a clock time in nine characters.
TEST_F(RealLibraryTest, OnePinPerSizeWithItsDigitAndExpiry) {
  for (const int expiry : {0, 60}) {
    WriteSettings(expiry);
    TestWindow w(dll_);
    for (int option = 0; option < 3; ++option) {
      w.Select("optSize", option);
      w.GetPin("1");
      const std::string pin = w.Text("lblPIN");
      EXPECT_TRUE(std::regex_match(pin, kPinLine)) << pin;
      EXPECT_EQ(pin[0], "468"[option]);
      EXPECT_EQ(w.Text("lblExpiry"), expiry == 0 ? " 11:55 PM" : "10:55 AM ");
      EXPECT_EQ(w.Text("lblMsgBox").substr(0, 29), "Write it down. It looks good.");
    }
    EXPECT_TRUE(w.dialogs().MsgBoxes().empty());
  }
}

TEST_F(RealLibraryTest, SoldOutAfterTheWindowIsUsedUp) {
  // Just after midnight with PINExpiry 0 the window is slots 0 to 2.
  SetEnv("ZOLT_SIMULATED_TIME", "2010-06-15 00:02");
  TestWindow w(dll_);
  w.dialogs().AnswerMsgBox(ui::kMsgBoxResultNo);
  w.GetPin("5000");
  EXPECT_EQ(w.Text("lblPIN"), "-500");
  EXPECT_EQ(w.Text("lblExpiry"), "SOLD OUT");
  EXPECT_EQ(w.Text("lblMsgBox"), "available PINs Sold Out.");
  EXPECT_EQ(w.Boxes("Quit"), std::vector<std::string>{"Sold out PINS at  -500"});
  EXPECT_EQ(w.Boxes("ALERT"),
            std::vector<std::string>{"Error: -500\r\n\r\navailable PINs Sold Out."});
  EXPECT_EQ(w.Text("lblCounter"), "1440");
  const int issued =
      static_cast<int>(w.dialogs().Repaints().size() - 3) / 3;  // 3 per PIN
  EXPECT_GE(issued, 1);
  EXPECT_LE(issued, 3);

  // Still sold out: Yes ends the next run at once.
  w.dialogs().AnswerMsgBox(ui::kMsgBoxResultYes);
  w.GetPin("1");
  EXPECT_EQ(w.Boxes("Quit").size(), 2u);
  EXPECT_EQ(w.Boxes("ALERT").size(), 1u);
  EXPECT_EQ(w.Text("lblCounter"), "2");  // the click count: no pass ended
}

TEST_F(RealLibraryTest, RealYearGivesSystemDateErrorOnEveryPass) {
  SetEnv("ZOLT_SIMULATED_TIME", nullptr);  // the machine's clock, after 2015
  TestWindow w(dll_);
  w.GetPin("2");
  EXPECT_EQ(w.Text("lblPIN"), "-111\r\n-111\r\n");
  EXPECT_EQ(w.Text("lblExpiry"), std::string(9, ' '));
  EXPECT_EQ(w.Text("lblMsgBox"),
            "System Date Error.\r\nYear out of bounds. Must be 2001-2015");
  EXPECT_EQ(w.Boxes("ALERT").size(), 2u);
}

// PINs turned off (-300) and a missing data folder (-430) fall to Case Else.
TEST_F(RealLibraryTest, PinsTurnedOffAndMissingDataFolderFallToCaseElse) {
  for (const bool pins_off : {true, false}) {
    WriteSettings(pins_off ? 1 : 0, pins_off ? "" : (data_ / "missing").string());
    TestWindow w(dll_);
    w.GetPin("3");
    const std::string code = pins_off ? "-300" : "-430";
    EXPECT_EQ(w.Text("lblPIN"), code);
    EXPECT_EQ(w.Boxes("ALERT"),
              std::vector<std::string>{
                  "Error: " + code + "\r\n\r\nError: " + code +
                  "\r\n\r\nCase Else triggered. This error is not listed in "
                  "this application"});
    EXPECT_EQ(w.Text("lblCounter"), "3");
  }
}

TEST_F(RealLibraryTest, LibraryNotFoundGivesError48AndTriesAgain) {
  modDeclareZOLTDLL missing("NoSuchZoltLibrary.bin");
  TestWindow w(missing);
  w.GetPin("1");
  w.GetPin("1");
  const std::string box =
      "Error: 48   Error in loading DLL\r\n\r\nThe OstrelZOLTDLL.dll must be "
      "located in the System directory  or the application directory calling "
      "the OstrelZOLTDLL.dll";
  EXPECT_EQ(w.Boxes(kProgramTitle), (std::vector<std::string>{box, box}));
  EXPECT_FALSE(missing.load_error().empty());
}

}  // namespace
}  // namespace zolt::testapp
