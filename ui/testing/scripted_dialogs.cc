#include "ui/testing/scripted_dialogs.h"

#include "ui/run_time_error.h"

namespace zolt::ui {

int ScriptedDialogs::MsgBox(const std::string& prompt, int style,
                            const std::string& title) {
  Call call;
  call.kind = Kind::kMsgBox;
  call.prompt = prompt;
  call.style = style;
  call.title = title;
  if ((style & kMsgBoxButtonMask) == kMsgBoxOkOnly) {
    call.answer = kMsgBoxResultOk;
  } else if (!msg_box_answers_.empty()) {
    call.answer = msg_box_answers_.front();
    msg_box_answers_.pop_front();
  } else {
    ++unscripted_;
    call.answer = kMsgBoxResultNo;
  }
  calls_.push_back(call);
  if (msg_box_hook_) msg_box_hook_(call);
  return call.answer;
}

std::string ScriptedDialogs::InputBox(const std::string& prompt,
                                      const std::string& title,
                                      const std::string& default_answer) {
  Call call;
  call.kind = Kind::kInputBox;
  call.prompt = prompt;
  call.title = title;
  call.default_answer = default_answer;
  calls_.push_back(call);
  if (input_answers_.empty()) {
    ++unscripted_;
    return "";
  }
  std::string answer = input_answers_.front();
  input_answers_.pop_front();
  return answer;
}

FileOpenResult ScriptedDialogs::ShowOpen(const FileOpenRequest& request) {
  Call call;
  call.kind = Kind::kShowOpen;
  call.open = request;
  calls_.push_back(call);
  if (open_answers_.empty()) {
    ++unscripted_;
    FileOpenResult cancelled;
    cancelled.error = kErrorDialogCancelled;
    cancelled.filter_index = request.filter_index;
    return cancelled;
  }
  FileOpenResult r = open_answers_.front();
  open_answers_.pop_front();
  return r;
}

void ScriptedDialogs::DoEvents() {
  Call call;
  call.kind = Kind::kDoEvents;
  calls_.push_back(call);
  if (do_events_hook_) do_events_hook_();
}

void ScriptedDialogs::Repaint(const ControlKey& control) {
  Call call;
  call.kind = Kind::kRepaint;
  call.control = control;
  calls_.push_back(call);
}

std::vector<ScriptedDialogs::Call> ScriptedDialogs::CallsOf(Kind kind) const {
  std::vector<Call> out;
  for (const Call& c : calls_) {
    if (c.kind == kind) out.push_back(c);
  }
  return out;
}

std::vector<ControlKey> ScriptedDialogs::Repaints() const {
  std::vector<ControlKey> out;
  for (const Call& c : calls_) {
    if (c.kind == Kind::kRepaint) out.push_back(c.control);
  }
  return out;
}

}  // namespace zolt::ui
