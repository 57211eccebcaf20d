// The window's handlers against a scripted library binding.
#include <algorithm>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "testapp/result_messages.h"
#include "testapp/tests/fake_zolt_dll.h"
#include "testapp/tests/testapp_fixture.h"
#include "ui/conversions.h"
#include "ui/run_time_error.h"

namespace zolt::testapp {
namespace {

using Kind = ui::ScriptedDialogs::Kind;

const std::string kGood = ResultCodeMessage(412345);
const std::string kNineBlanks(9, ' ');

class DLLTestAPPTest : public ::testing::Test {
 protected:
  FakeZoltDll dll_;
  TestWindow w_{dll_};
};

TEST_F(DLLTestAPPTest, StartUpShowsVersionAndFormatWithoutLoadingTheLibrary) {
  EXPECT_EQ(w_.form().caption(), "Ostrel DLL Test Application V8");
  EXPECT_EQ(w_.Text("lblVersion"), "Version 8.1.028");
  EXPECT_EQ(w_.Text("lblCounter"), "0");
  EXPECT_EQ(w_.Text("lblVersionFormat"),
            std::string("check_SoldOut_Condition(lVendor, lLocation, lSize)") +
                kCrLf + kCrLf + "ZoltResult(lVendor, lLocation, lSize, sExpiryTime)");
  EXPECT_TRUE(w_.dialogs().calls().empty());
  EXPECT_TRUE(dll_.calls.empty());
}

TEST_F(DLLTestAPPTest, Version8FormatWarnsButCallsStayTheSame) {
  w_.Select("optVersionFormat", 1);
  EXPECT_EQ(w_.Text("lblVersionFormat"),
            std::string("check_SoldOut_Condition(lSize)") + kCrLf + kCrLf +
                "ZoltResult(lSize, sExpiryTime)");
  ASSERT_EQ(w_.dialogs().MsgBoxes().size(), 1u);
  EXPECT_EQ(w_.dialogs().MsgBoxes()[0].prompt,
            "Version 8 was never released... do not use version 8 dlls");
  EXPECT_EQ(w_.dialogs().MsgBoxes()[0].style, ui::kMsgBoxOkOnly);
  EXPECT_EQ(w_.dialogs().MsgBoxes()[0].title, kProgramTitle);

  w_.Select("optSize", 2);
  w_.GetPin("1");
  ASSERT_EQ(dll_.calls.size(), 2u);
  for (const auto& c : dll_.calls) {
    EXPECT_EQ(c.vendor, 199);
    EXPECT_EQ(c.location, 1);
    EXPECT_EQ(c.size, 3);
  }

  w_.Select("optVersionFormat", 0);  // back, without a box
  EXPECT_EQ(w_.dialogs().MsgBoxes().size(), 1u);
  EXPECT_EQ(w_.Text("lblVersionFormat").substr(0, 50),
            "check_SoldOut_Condition(lVendor, lLocation, lSize)");
}

// How many PINs each answer requests (every query positive); -1: the
// answer overflows and leaves through the error handler.
TEST(DLLTestAPPAnswerTest, AnswerDecidesTheNumberOfPins) {
  struct Case {
    const char* answer;
    int pins;
  } cases[] = {
      {"", 1},  // Cancel
      {"abc", 1},     {"2x", 1},          {"3", 3},         {" 2 ", 2},
      {"2.5", 2},     {"3.5", 4},         {"1440", 1440},   {"1441", 1440},
      {"5000", 1440}, {"2147483647", 1440}, {"0", 0},       {"-3", 0},
      {"-32768", 0},  {"0.4", 0},         {"3000000000", -1}, {"-2147483649", -1},
      {"-32769", -1}, {"-40000", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    FakeZoltDll dll;
    TestWindow w(dll);
    w.form().Get("lblPIN").SetText("old");
    w.GetPin(c.answer);
    EXPECT_EQ(dll.queries(), std::max(c.pins, 0));
    EXPECT_EQ(dll.issued(), std::max(c.pins, 0));
    EXPECT_EQ(w.Text("lblCounter"), c.pins > 0 ? std::to_string(c.pins) : "1");
    if (c.pins <= 0) EXPECT_EQ(w.Text("lblPIN"), c.pins < 0 ? "old" : "");
    EXPECT_EQ(w.Boxes(kProgramTitle),
              c.pins == -1 ? std::vector<std::string>{"Error: 6   Overflow"}
                           : std::vector<std::string>{});
    auto input = w.dialogs().CallsOf(Kind::kInputBox);
    ASSERT_EQ(input.size(), 1u);
    EXPECT_EQ(input[0].prompt, "How many PINs?");
    EXPECT_EQ(input[0].title, "How Many PINs?");
    EXPECT_EQ(input[0].default_answer, "1");
  }
}

TEST_F(DLLTestAPPTest, ExpiryIsSharedAcrossTheRunAndCarriedOverAfterIt) {
  dll_.Issues({412345, "10:05 AM \n"});
  dll_.Issues({-111});
  w_.GetPin("2");
  ASSERT_EQ(dll_.calls.size(), 4u);
  // The buffer carries the 9 characters and a zero: blanks at the first
  // call, then what the previous call left.
  EXPECT_EQ(dll_.calls[1].buffer_in, kNineBlanks + std::string(1, '\0'));
  EXPECT_EQ(dll_.calls[3].buffer_in, "10:05 AM " + std::string(1, '\0'));
  EXPECT_EQ(w_.Text("lblExpiry"), "10:05 AM ");
  // The next run starts again from blanks.
  w_.GetPin("1");
  EXPECT_EQ(dll_.calls[5].buffer_in, kNineBlanks + std::string(1, '\0'));
  EXPECT_EQ(w_.Text("lblExpiry"), " 11:55 PM");
  // A run that ends at the query keeps the expiry shown.
  dll_.Query(-1);
  w_.dialogs().AnswerMsgBox(ui::kMsgBoxResultYes);
  w_.GetPin("1");
  EXPECT_EQ(w_.Text("lblExpiry"), " 11:55 PM");
}

// The first line of lblPIN decides the message (and the alert) of every
// pass; -111 while the query is positive leaves the expiry blank.
TEST(DLLTestAPPFirstLineTest, FirstResultDecidesEveryPassMessage) {
  const std::string date = ResultCodeMessage(-111);
  const struct {
    const char* name;
    std::vector<int32_t> issued;
    std::string pins, message;
    std::string alert;  // after every pass; empty: none
  } cases[] = {
      {"good first", {412345, -111, -106}, "412345\r\n-111\r\n-106\r\n", kGood, ""},
      {"error first", {-106, 412345, 612345}, "-106\r\n412345\r\n612345\r\n",
       ResultCodeMessage(-106), "Error: -106\r\n\r\n" + ResultCodeMessage(-106)},
      {"date error", {-111, -111, -111}, "-111\r\n-111\r\n-111\r\n", date,
       "Error: -111\r\n\r\n" + date},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeZoltDll dll;
    TestWindow w(dll);
    w.form().Get("lblExpiry").SetText("from before");
    for (int32_t r : c.issued) dll.Issues({r});
    w.GetPin("3");
    EXPECT_EQ(w.Text("lblPIN"), c.pins);
    EXPECT_EQ(w.Text("lblMsgBox"), c.message);
    EXPECT_EQ(w.Boxes("ALERT"), std::vector<std::string>(
                                    c.alert.empty() ? 0 : 3, c.alert));
    EXPECT_EQ(w.Text("lblCounter"), "3");
    if (c.issued[0] == -111) EXPECT_EQ(w.Text("lblExpiry"), kNineBlanks);
  }
}

TEST_F(DLLTestAPPTest, SoldOutAnsweredYesEndsTheRunAtOnce) {
  dll_.Query(1000);
  dll_.Query(-500);
  w_.dialogs().AnswerMsgBox(ui::kMsgBoxResultYes);
  w_.GetPin("5");
  EXPECT_EQ(w_.Text("lblPIN"), "-500");
  EXPECT_EQ(w_.Text("lblMsgBox"), "-500");
  EXPECT_EQ(w_.Text("lblExpiry"), "SOLD OUT");
  EXPECT_EQ(w_.Text("lblCounter"), "1");  // the pass before
  EXPECT_EQ(w_.Boxes("Quit"), std::vector<std::string>{"Sold out PINS at  -500"});
  EXPECT_EQ(w_.dialogs().MsgBoxes()[0].style, ui::kMsgBoxYesNo);
  EXPECT_TRUE(w_.Boxes("ALERT").empty());
  EXPECT_EQ(dll_.queries(), 2);

  // The sold-out pass: message, PINs, pump, SOLD OUT, pump, repaint, pump.
  std::vector<std::string> steps;
  for (const auto& c : w_.dialogs().calls()) {
    if (c.kind == Kind::kRepaint) steps.push_back(c.control.name);
    if (c.kind == Kind::kDoEvents) steps.push_back("pump");
    if (c.kind == Kind::kMsgBox) steps.push_back("box");
  }
  EXPECT_EQ(steps, (std::vector<std::string>{
                       "lblMsgBox", "lblPIN", "lblExpiry",  // first pass
                       "lblMsgBox", "lblPIN", "pump", "pump", "lblExpiry",
                       "pump", "box"}));
}

// A query that is not positive ends the run: -1, -104 and -500 ask whether
// to quit first (Yes: no message, no alert, no pass counted); 0 shows its
// message quietly; otherwise the pass index jumps to the last.
TEST(DLLTestAPPQueryTest, NonPositiveQueryEndsTheRun) {
  const std::string case_else = "\r\n\r\nCase Else triggered. This error is "
                                "not listed in this application";
  const int kYes = ui::kMsgBoxResultYes, kNo = ui::kMsgBoxResultNo;
  const struct {
    int32_t code;
    int answer;  // 0: no question
    const char* quit;
    std::string message;
    bool alert;
    const char* counter;
  } cases[] = {
      {-1, kNo, "Error -1 at -1", ResultCodeMessage(-1), true, "2"},
      {-1, kYes, "Error -1 at -1", "-1", false, "1"},
      {-104, kNo, "Error -104  at -104", ResultCodeMessage(-104), true, "2"},
      {-104, kYes, "Error -104  at -104", "-104", false, "1"},
      {-500, kNo, "Sold out PINS at  -500", "available PINs Sold Out.", true, "2"},
      {0, 0, nullptr, "Error: 0" + case_else, false, "2"},
      {-300, 0, nullptr, "Error: -300" + case_else, true, "2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + (c.answer == kYes ? " yes" : ""));
    FakeZoltDll dll;
    TestWindow w(dll);
    dll.Query(c.code);
    if (c.answer != 0) w.dialogs().AnswerMsgBox(c.answer);
    w.GetPin("2");
    EXPECT_EQ(w.Boxes("Quit"), c.quit ? std::vector<std::string>{c.quit}
                                      : std::vector<std::string>{});
    EXPECT_EQ(w.Text("lblPIN"), std::to_string(c.code));
    EXPECT_EQ(w.Text("lblMsgBox"), c.message);
    EXPECT_EQ(w.Boxes("ALERT"),
              c.alert ? std::vector<std::string>{"Error: " +
                                                 std::to_string(c.code) +
                                                 "\r\n\r\n" + c.message}
                      : std::vector<std::string>{});
    EXPECT_EQ(w.Text("lblCounter"), c.counter);
    EXPECT_EQ(dll.queries(), 1);
    EXPECT_EQ(dll.issued(), 0);
  }
}

TEST_F(DLLTestAPPTest, CounterShowsClicksThenThePassIndex) {
  std::vector<std::string> seen;
  dll_.before_call = [&] { seen.push_back(w_.Text("lblCounter")); };
  w_.GetPin("2");
  EXPECT_EQ(w_.Text("lblCounter"), "2");
  w_.GetPin("0");
  EXPECT_EQ(w_.Text("lblCounter"), "2");  // the second click, no pass
  w_.GetPin("1");
  // During the third run: click count 3, then pass index 1.
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "1", "1", "1", "3", "3"}));
  EXPECT_EQ(w_.Text("lblCounter"), "1");
  EXPECT_EQ(w_.app().click_counter(), 3);
}

TEST_F(DLLTestAPPTest, OtherRunTimeErrorsShowNumberAndDescription) {
  dll_.Issues({412345});
  int calls = 0;
  dll_.before_call = [&] {
    if (++calls == 3) {
      throw ui::RunTimeError(ui::kErrorDllEntryPoint,
                             "Can't find DLL entry point ZoltResult");
    }
  };
  w_.GetPin("3");
  EXPECT_EQ(w_.Boxes(kProgramTitle),
            std::vector<std::string>{
                "Error: 453   Can't find DLL entry point ZoltResult"});
  EXPECT_EQ(w_.Text("lblPIN"), "412345\r\n");  // labels keep what they show
  EXPECT_EQ(w_.Text("lblCounter"), "1");
}

TEST_F(DLLTestAPPTest, EscapeReleasedClosesTheWindow) {
  w_.form().KeyUp("cmdGetPIN", 'A', 0);
  w_.form().KeyUp({}, ui::kKeyReturn, 0);
  EXPECT_FALSE(w_.form().closed());
  w_.form().KeyUp("cmdGetPIN", ui::kKeyEscape, 0);
  EXPECT_TRUE(w_.form().closed());
}

// The message of every code the library returns (the old-library rows
// -99, -425 and -450 left out), a positive PIN and a fraction.
TEST(ResultCodeMessageTest, EveryLibraryCode) {
  const std::string good =
      "Write it down. It looks good.\r\n\r\ncall 555 010-4477 when you have "
      "a few numbers to test.";
  const std::string date = "System Date Error.\r\n";
  const struct {
    double v;
    std::string text;
  } cases[] = {
      {-1, "undetermined error call support."},
      {-100, "Season Out of Bounds."},
      {-101, "Location out of bounds."},
      {-102, "Vendor number out of bounds."},
      {-103, "PINCrypt number out of bounds."},
      {-104, "2 use out of bounds."},
      {-105, "Selection number out of bounds.\r\n\r\nNOTE: this may be an error "
             "produced by Version 8 dll\r\nbecause you passed the vendor number "
             "to the\r\nselection number in the version 8 dll."},
      {-106, "PIN Expiry number out of bounds.\r\nPIN Expiry must be 0 (zero) "
             "or it must be greater than 10 and less than 1439"},
      {-111, date + "Year out of bounds. Must be 2001-2015"},
      {-112, date + "Month out of bounds. Must be 1-12"},
      {-113, date + "Day out of bounds. Must be 1-31"},
      {-400, "File 'ostrel.ini' not found.\r\nostrel.ini needs to be located."},
      {-500, "available PINs Sold Out."},
      {-600, "Permission to delete the file PINTable.dat has been denied.Your "
             "System administrator needs to check permissions on this computer."},
      {1, good},
      {0.5, good},
  };
  for (const auto& c : cases) EXPECT_EQ(ResultCodeMessage(c.v), c.text) << c.v;
  for (double v : {0.0, -300.0, -375.0, -430.0, -610.0, -620.0, -630.0, -2.0}) {
    EXPECT_EQ(ResultCodeMessage(v),
              "Error: " + ui::NumberText(v) +
                  "\r\n\r\nCase Else triggered. This error is not listed in "
                  "this application");
  }
}

}  // namespace
}  // namespace zolt::testapp
