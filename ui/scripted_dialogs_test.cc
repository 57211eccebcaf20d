#include "ui/testing/scripted_dialogs.h"

#include "gtest/gtest.h"
#include "ui/run_time_error.h"

namespace zolt::ui {
namespace {

TEST(ScriptedDialogsTest, OnlyQuestionsConsumeAnswers) {
  ScriptedDialogs d;
  d.AnswerMsgBox(kMsgBoxResultYes);
  EXPECT_EQ(d.MsgBox("note", kMsgBoxOkOnly + kMsgBoxExclamation, "T"),
            kMsgBoxResultOk);
  EXPECT_EQ(d.MsgBox("quit?", kMsgBoxYesNo, "Quit"), kMsgBoxResultYes);
  EXPECT_EQ(d.MsgBox("again?", kMsgBoxYesNo, "Quit"), kMsgBoxResultNo);
  EXPECT_EQ(d.unscripted(), 1);
  ASSERT_EQ(d.MsgBoxes().size(), 3u);
  EXPECT_EQ(d.MsgBoxes()[1].title, "Quit");
  EXPECT_EQ(d.MsgBoxes()[0].style, kMsgBoxExclamation);
}

TEST(ScriptedDialogsTest, UnscriptedInputAndFileDialogsCancel) {
  ScriptedDialogs d;
  d.AnswerInputBox("7");
  EXPECT_EQ(d.InputBox("How many?", "T", "1"), "7");
  EXPECT_EQ(d.InputBox("How many?", "T", "1"), "");
  FileOpenRequest request;
  request.filter_index = 3;
  FileOpenResult r = d.ShowOpen(request);
  EXPECT_EQ(r.error, kErrorDialogCancelled);
  EXPECT_EQ(d.unscripted(), 2);
  EXPECT_EQ(d.CallsOf(ScriptedDialogs::Kind::kShowOpen)[0].open.filter_index, 3);
}

TEST(ScriptedDialogsTest, RecordsPumpAndRepaintsInOrderAndRunsHooks) {
  ScriptedDialogs d;
  int pumped = 0;
  d.OnDoEvents([&] { ++pumped; });
  d.Repaint({"lblPIN"});
  d.DoEvents();
  d.Repaint({"optSize", 2});
  EXPECT_EQ(pumped, 1);
  ASSERT_EQ(d.calls().size(), 3u);
  EXPECT_EQ(d.calls()[1].kind, ScriptedDialogs::Kind::kDoEvents);
  EXPECT_EQ(d.Repaints(),
            (std::vector<ControlKey>{{"lblPIN"}, {"optSize", 2}}));
}

}  // namespace
}  // namespace zolt::ui
