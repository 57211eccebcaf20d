// The window's handlers against a scripted library binding.
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

TEST_F(DLLTestAPPTest, StartUpSetsTitleVersionSizeCounterAndFormat) {
  EXPECT_EQ(w_.form().caption(), "Ostrel DLL Test Application V8");
  EXPECT_EQ(w_.Text("lblVersion"), "Version 8.1.028");
  EXPECT_TRUE(w_.form().Get("optSize", 0).value());
  EXPECT_TRUE(w_.form().Get("optVersionFormat", 0).value());
  EXPECT_EQ(w_.Text("lblCounter"), "0");
  EXPECT_EQ(w_.Text("lblVersionFormat"),
            std::string("check_SoldOut_Condition(lVendor, lLocation, lSize)") +
                kCrLf + kCrLf + "ZoltResult(lVendor, lLocation, lSize, sExpiryTime)");
  EXPECT_TRUE(w_.dialogs().calls().empty());
  EXPECT_TRUE(dll_.calls.empty());  // the library is not loaded at start-up
}

TEST(DLLTestAPPVersionTest, RevisionHasAtLeastThreeDigits) {
  FakeZoltDll dll;
  for (auto [revision, text] : {std::pair{0, "Version 3.2.000"},
                                {7, "Version 3.2.007"},
                                {1234, "Version 3.2.1234"}}) {
    auto form = BuildDLLTestAPPForm();
    ui::ScriptedDialogs dialogs;
    DLLTestAPP app(*form, dialogs, dll, {3, 2, revision});
    form->Load();
    EXPECT_EQ(form->Get("lblVersion").text(), text);
    EXPECT_EQ(form->caption(), "Ostrel DLL Test Application V3");
  }
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

TEST(DLLTestAPPSizeTest, TheSelectedOptionGivesTheSize) {
  for (int option = 0; option < 3; ++option) {
    FakeZoltDll dll;
    TestWindow w(dll);
    w.Select("optSize", option);
    w.GetPin("1");
    ASSERT_EQ(dll.calls.size(), 2u);
    EXPECT_EQ(dll.calls[0].size, option + 1);
    EXPECT_EQ(dll.calls[1].size, option + 1);
  }
}

// How many PINs each answer requests (every query positive).
TEST(DLLTestAPPAnswerTest, AnswerDecidesTheNumberOfPins) {
  struct Case {
    const char* answer;
    int pins;
  } cases[] = {
      {"", 1},        // Cancel
      {"abc", 1},     {"2x", 1},      {"3", 3},       {" 2 ", 2},
      {"2.5", 2},     {"3.5", 4},     {"1440", 1440}, {"1441", 1440},
      {"5000", 1440}, {"2147483647", 1440},           {"0", 0},
      {"-3", 0},      {"-32768", 0},  {"0.4", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    FakeZoltDll dll;
    TestWindow w(dll);
    w.form().Get("lblPIN").SetText("old");
    w.GetPin(c.answer);
    EXPECT_EQ(dll.queries(), c.pins);
    EXPECT_EQ(dll.issued(), c.pins);
    EXPECT_EQ(w.Text("lblCounter"), c.pins > 0 ? std::to_string(c.pins) : "1");
    if (c.pins == 0) {
      EXPECT_EQ(w.Text("lblPIN"), "");  // still emptied
    }
    EXPECT_TRUE(w.dialogs().MsgBoxes().empty());
    auto input = w.dialogs().CallsOf(Kind::kInputBox);
    ASSERT_EQ(input.size(), 1u);
    EXPECT_EQ(input[0].prompt, "How many PINs?");
    EXPECT_EQ(input[0].title, "How Many PINs?");
    EXPECT_EQ(input[0].default_answer, "1");
  }
}

TEST(DLLTestAPPAnswerTest, AnswersBeyondTheConversionsLeaveThroughTheHandler) {
  for (const char* answer : {"3000000000", "-2147483649", "-32769", "-40000"}) {
    SCOPED_TRACE(answer);
    FakeZoltDll dll;
    TestWindow w(dll);
    w.form().Get("lblPIN").SetText("old");
    w.GetPin(answer);
    EXPECT_TRUE(dll.calls.empty());
    EXPECT_EQ(w.Boxes(kProgramTitle),
              std::vector<std::string>{"Error: 6   Overflow"});
    EXPECT_EQ(w.Text("lblPIN"), "old");
    EXPECT_EQ(w.Text("lblCounter"), "1");
  }
}

TEST_F(DLLTestAPPTest, PinsAreListedAndTheGoodMessageShown) {
  dll_.Issues({412345, "10:05 AM \n"});
  dll_.Issues({499999, " 11:55 PM \n"});
  w_.GetPin("2");
  EXPECT_EQ(w_.Text("lblPIN"), std::string("412345") + kCrLf + "499999" + kCrLf);
  EXPECT_EQ(w_.Text("lblExpiry"), " 11:55 PM");
  EXPECT_EQ(w_.Text("lblMsgBox"), kGood);
  EXPECT_EQ(w_.Text("lblCounter"), "2");
  EXPECT_TRUE(w_.dialogs().MsgBoxes().empty());
  // Each pass repaints the message, the PINs and the expiry, in that order.
  EXPECT_EQ(w_.dialogs().Repaints(),
            (std::vector<ui::ControlKey>{"lblMsgBox", "lblPIN", "lblExpiry",
                                         "lblMsgBox", "lblPIN", "lblExpiry"}));
}

TEST_F(DLLTestAPPTest, ExpiryTextIsNineCharactersSharedAcrossTheRun) {
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
}

TEST_F(DLLTestAPPTest, FirstLineDecidesEveryPassMessage) {
  dll_.Issues({412345});
  dll_.Issues({-111});
  dll_.Issues({-106});
  w_.GetPin("3");
  EXPECT_EQ(w_.Text("lblPIN"),
            std::string("412345") + kCrLf + "-111" + kCrLf + "-106" + kCrLf);
  EXPECT_EQ(w_.Text("lblMsgBox"), kGood);
  EXPECT_TRUE(w_.dialogs().MsgBoxes().empty());
}

TEST_F(DLLTestAPPTest, AFirstErrorAlertsAfterEveryPass) {
  dll_.Issues({-106});
  dll_.Issues({412345});
  dll_.Issues({612345});
  w_.Select("optSize", 1);
  w_.GetPin("3");
  const std::string message = ResultCodeMessage(-106);
  EXPECT_EQ(w_.Text("lblMsgBox"), message);
  EXPECT_EQ(w_.Boxes("ALERT"),
            std::vector<std::string>(3, "Error: -106\r\n\r\n" + message));
  EXPECT_EQ(w_.Text("lblCounter"), "3");
}

TEST_F(DLLTestAPPTest, SystemDateErrorWhileTheQueryIsPositive) {
  w_.form().Get("lblExpiry").SetText("from before");
  for (int i = 0; i < 3; ++i) dll_.Issues({-111});
  w_.GetPin("3");
  EXPECT_EQ(w_.Text("lblPIN"), "-111\r\n-111\r\n-111\r\n");
  EXPECT_EQ(w_.Text("lblExpiry"), kNineBlanks);  // untouched by the library
  EXPECT_EQ(w_.Text("lblMsgBox"),
            "System Date Error.\r\nYear out of bounds. Must be 2001-2015");
  EXPECT_EQ(w_.Boxes("ALERT").size(), 3u);
  EXPECT_EQ(w_.Boxes("ALERT")[0],
            "Error: -111\r\n\r\nSystem Date Error.\r\nYear out of bounds. Must be "
            "2001-2015");
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

TEST_F(DLLTestAPPTest, SoldOutAnsweredNoAlertsAndEndsAfterThePass) {
  dll_.Query(-500);
  w_.dialogs().AnswerMsgBox(ui::kMsgBoxResultNo);
  w_.GetPin("5");
  EXPECT_EQ(w_.Text("lblPIN"), "-500");
  EXPECT_EQ(w_.Text("lblMsgBox"), "available PINs Sold Out.");
  EXPECT_EQ(w_.Boxes("ALERT"), std::vector<std::string>{
                                   "Error: -500\r\n\r\navailable PINs Sold Out."});
  EXPECT_EQ(w_.Text("lblCounter"), "5");  // the index jumped to the last
  EXPECT_EQ(dll_.queries(), 1);
  EXPECT_EQ(dll_.issued(), 0);
}

TEST_F(DLLTestAPPTest, QueryOfZeroEndsWithoutAlert) {
  dll_.Query(0);
  w_.GetPin("4");
  EXPECT_EQ(w_.Text("lblPIN"), "0");
  EXPECT_EQ(w_.Text("lblMsgBox"),
            "Error: 0\r\n\r\nCase Else triggered. This error is not listed in "
            "this application");
  EXPECT_TRUE(w_.dialogs().MsgBoxes().empty());
  EXPECT_EQ(dll_.queries(), 1);
}

// The two codes that ask whether to quit before the message.
TEST(DLLTestAPPQuitTest, MinusOneAndMinus104AskToQuit) {
  struct Case {
    int32_t code;
    int answer;
    const char* prompt;
  } cases[] = {
      {-1, ui::kMsgBoxResultNo, "Error -1 at -1"},
      {-1, ui::kMsgBoxResultYes, "Error -1 at -1"},
      {-104, ui::kMsgBoxResultNo, "Error -104  at -104"},
      {-104, ui::kMsgBoxResultYes, "Error -104  at -104"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.prompt + std::string(c.answer == ui::kMsgBoxResultYes ? " yes" : " no"));
    FakeZoltDll dll;
    TestWindow w(dll);
    dll.Query(c.code);
    w.dialogs().AnswerMsgBox(c.answer);
    w.GetPin("2");
    EXPECT_EQ(w.Boxes("Quit"), std::vector<std::string>{c.prompt});
    EXPECT_EQ(w.Text("lblPIN"), std::to_string(c.code));
    if (c.answer == ui::kMsgBoxResultYes) {
      EXPECT_EQ(w.Text("lblMsgBox"), std::to_string(c.code));
      EXPECT_TRUE(w.Boxes("ALERT").empty());
      EXPECT_EQ(w.Text("lblCounter"), "1");  // the click count, no pass done
    } else {
      EXPECT_EQ(w.Text("lblMsgBox"), ResultCodeMessage(c.code));
      EXPECT_EQ(w.Boxes("ALERT"),
                std::vector<std::string>{"Error: " + std::to_string(c.code) +
                                         "\r\n\r\n" + ResultCodeMessage(c.code)});
      EXPECT_EQ(w.Text("lblCounter"), "2");
    }
  }
}

TEST_F(DLLTestAPPTest, PinsTurnedOffFallToCaseElse) {
  dll_.Query(-300);
  w_.GetPin("3");
  EXPECT_EQ(w_.Text("lblPIN"), "-300");
  const std::string message =
      "Error: -300\r\n\r\nCase Else triggered. This error is not listed in this "
      "application";
  EXPECT_EQ(w_.Text("lblMsgBox"), message);
  EXPECT_EQ(w_.Boxes("ALERT"), std::vector<std::string>{"Error: -300\r\n\r\n" + message});
  EXPECT_EQ(dll_.queries(), 1);
}

TEST_F(DLLTestAPPTest, ExpiryIsCarriedOverUntilAPositiveQuery) {
  w_.GetPin("1");
  EXPECT_EQ(w_.Text("lblExpiry"), " 11:55 PM");
  dll_.Query(-1);
  w_.dialogs().AnswerMsgBox(ui::kMsgBoxResultYes);
  w_.GetPin("1");
  EXPECT_EQ(w_.Text("lblExpiry"), " 11:55 PM");  // not cleared at the start
  dll_.Issues({-111});
  w_.GetPin("1");
  EXPECT_EQ(w_.Text("lblExpiry"), kNineBlanks);
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

TEST_F(DLLTestAPPTest, LibraryThatCannotLoadShowsTheLongError48) {
  dll_.before_call = [] {
    throw ui::RunTimeError(ui::kErrorDllLoad, "Error in loading DLL");
  };
  w_.GetPin("3");
  EXPECT_EQ(w_.Boxes(kProgramTitle),
            std::vector<std::string>{
                "Error: 48   Error in loading DLL\r\n\r\nThe OstrelZOLTDLL.dll "
                "must be located in the System directory  or the application "
                "directory calling the OstrelZOLTDLL.dll"});
  EXPECT_EQ(w_.Text("lblCounter"), "1");
  EXPECT_EQ(w_.Text("lblPIN"), "");
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

TEST(ResultCodeMessageTest, EveryRow) {
  struct Case {
    double v;
    const char* text;
  } cases[] = {
      {-1, "undetermined error call support."},
      {-99, "Out of Bounds Calculation."},
      {-100, "Season Out of Bounds."},
      {-101, "Location out of bounds."},
      {-102, "Vendor number out of bounds."},
      {-103, "PINCrypt number out of bounds."},
      {-104, "2 use out of bounds."},
      {-105,
       "Selection number out of bounds.\r\n\r\nNOTE: this may be an error "
       "produced by Version 8 dll\r\nbecause you passed the vendor number to "
       "the\r\nselection number in the version 8 dll."},
      {-106,
       "PIN Expiry number out of bounds.\r\nPIN Expiry must be 0 (zero) or it "
       "must be greater than 10 and less than 1439"},
      {-111, "System Date Error.\r\nYear out of bounds. Must be 2001-2015"},
      {-112, "System Date Error.\r\nMonth out of bounds. Must be 1-12"},
      {-113, "System Date Error.\r\nDay out of bounds. Must be 1-31"},
      {-400, "File 'ostrel.ini' not found.\r\nostrel.ini needs to be located."},
      {-425,
       "ostrelpath.ini does not exist\r\nNOTE: this error is from an old dll. "
       "The Version 10 dll you should be using does not use ostrelpath.ini"},
      {-450,
       "ostrelpath.ini does not contain a value for ostrelpath\r\nNOTE: this "
       "error is from an old dll. The Version 10 dll you should be using does "
       "not use ostrelpath.ini"},
      {-500, "available PINs Sold Out."},
      {-600,
       "Permission to delete the file PINTable.dat has been denied.Your System "
       "administrator needs to check permissions on this computer."},
      {1, "Write it down. It looks good.\r\n\r\ncall 555 010-4477 when you have "
          "a few numbers to test."},
      {0.5, "Write it down. It looks good.\r\n\r\ncall 555 010-4477 when you "
            "have a few numbers to test."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResultCodeMessage(c.v), c.text) << c.v;
  }
  for (double v : {0.0, -300.0, -375.0, -430.0, -610.0, -620.0, -630.0, -2.0}) {
    EXPECT_EQ(ResultCodeMessage(v),
              "Error: " + ui::NumberText(v) +
                  "\r\n\r\nCase Else triggered. This error is not listed in "
                  "this application");
  }
}

}  // namespace
}  // namespace zolt::testapp
