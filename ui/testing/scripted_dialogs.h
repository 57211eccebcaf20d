// A Dialogs for headless tests: records every box, event pump and repaint
// in order, and answers from a script.
//
//   ScriptedDialogs dialogs;
//   dialogs.AnswerInputBox("5000");
//   dialogs.AnswerMsgBox(kMsgBoxResultNo);   // for the next question
//   ... run the handler ...
//   EXPECT_EQ(dialogs.MsgBoxes().size(), 2);
//
// Only boxes that ask a question (a style with more than the OK button)
// consume an answer from the message box script; OK boxes answer OK. A box,
// input box or file dialog with nothing scripted for it takes the default
// answer (No, Cancel and cancelled) and counts as unscripted, so tests can
// check that nothing asked more than expected.
#ifndef ZOLT_UI_TESTING_SCRIPTED_DIALOGS_H_
#define ZOLT_UI_TESTING_SCRIPTED_DIALOGS_H_

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs.h"

namespace zolt::ui {

class ScriptedDialogs : public Dialogs {
 public:
  enum class Kind { kMsgBox, kInputBox, kShowOpen, kDoEvents, kRepaint };

  // One recorded call.
  struct Call {
    Kind kind = Kind::kMsgBox;
    std::string prompt;          // MsgBox, InputBox
    std::string title;           // MsgBox, InputBox
    int style = 0;               // MsgBox
    std::string default_answer;  // InputBox
    FileOpenRequest open;        // ShowOpen
    ControlKey control;          // Repaint
    int answer = 0;              // MsgBox: the button returned
  };

  void AnswerMsgBox(int button) { msg_box_answers_.push_back(button); }
  void AnswerInputBox(const std::string& text) { input_answers_.push_back(text); }
  void AnswerShowOpen(const FileOpenResult& r) { open_answers_.push_back(r); }
  // Runs at every DoEvents (for example a click that arrives meanwhile).
  void OnDoEvents(std::function<void()> hook) { do_events_hook_ = std::move(hook); }
  // Runs at every MsgBox, before it answers (the box is "open").
  void OnMsgBox(std::function<void(const Call&)> hook) {
    msg_box_hook_ = std::move(hook);
  }

  int MsgBox(const std::string& prompt, int style,
             const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& default_answer) override;
  FileOpenResult ShowOpen(const FileOpenRequest& request) override;
  void DoEvents() override;
  void Repaint(const ControlKey& control) override;

  const std::vector<Call>& calls() const { return calls_; }
  std::vector<Call> CallsOf(Kind kind) const;
  std::vector<Call> MsgBoxes() const { return CallsOf(Kind::kMsgBox); }
  std::vector<ControlKey> Repaints() const;
  int unscripted() const { return unscripted_; }
  // Answers scripted but never asked for.
  size_t unused_answers() const {
    return msg_box_answers_.size() + input_answers_.size() + open_answers_.size();
  }
  void ClearCalls() { calls_.clear(); }

 private:
  std::vector<Call> calls_;
  std::deque<int> msg_box_answers_;
  std::deque<std::string> input_answers_;
  std::deque<FileOpenResult> open_answers_;
  std::function<void()> do_events_hook_;
  std::function<void(const Call&)> msg_box_hook_;
  int unscripted_ = 0;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_TESTING_SCRIPTED_DIALOGS_H_
