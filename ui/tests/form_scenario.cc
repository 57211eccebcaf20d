#include "ui/tests/form_scenario.h"

#include <gtest/gtest.h>

#include <vector>

namespace zolt::ui::test {

ControlKey Key(const std::string& text) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return ControlKey(text);
  return ControlKey(text.substr(0, colon), std::stoi(text.substr(colon + 1)));
}

bool FormScenario::Step(const std::string& line) {
  const size_t space = line.find(' ');
  const std::string verb = line.substr(0, space);
  const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
  const size_t second = rest.find(' ');
  const std::string arg = rest.substr(0, second);
  const std::string text = second == std::string::npos ? "" : expand_(rest.substr(second + 1));
  if (verb == "expect") {  // "WHAT = VALUE" or "WHAT has TEXT"
    const size_t has = rest.find(" has "), eq = rest.find(" =");
    if (has != std::string::npos && has < eq) {
      const std::string part = expand_(rest.substr(has + 5));
      EXPECT_NE(Value(rest.substr(0, has)).find(part), std::string::npos) << line;
    } else {
      const std::string want = rest.size() > eq + 3 ? expand_(rest.substr(eq + 3)) : "";
      EXPECT_EQ(Value(rest.substr(0, eq)), want) << line;
    }
  } else if (verb == "click") {
    form_->Click(Key(arg));
  } else if (verb == "fill") {
    form_->Get(Key(arg)).SetText(text);
  } else if (verb == "type") {  // a key press, then the text the box then holds
    form_->KeyPress(Key(arg), 'a');
    form_->EditText(Key(arg), text);
  } else if (verb == "answer") {
    dialogs_.AnswerMsgBox(std::stoi(rest));
  } else if (verb == "input") {
    dialogs_.AnswerInputBox(expand_(rest));
  } else if (verb == "pick") {
    FileOpenResult picked;
    picked.file_name = expand_(rest);
    picked.filter_index = 3;
    dialogs_.AnswerShowOpen(picked);
  } else if (verb == "pick-error") {
    FileOpenResult failed;
    failed.error = std::stoi(rest);
    dialogs_.AnswerShowOpen(failed);
  } else if (verb == "clear-boxes") {
    dialogs_.ClearCalls();
  } else {
    return false;
  }
  return true;
}

std::string FormScenario::Value(const std::string& what) {
  std::string value;
  if (probe_(what, &value)) return value;
  const size_t colon = what.find(':');
  const std::string kind = what.substr(0, colon);
  const std::string arg = colon == std::string::npos ? "" : what.substr(colon + 1);
  using Kind = ScriptedDialogs::Kind;
  const std::vector<ScriptedDialogs::Call> boxes = dialogs_.MsgBoxes();
  const std::vector<ScriptedDialogs::Call> inputs = dialogs_.CallsOf(Kind::kInputBox);
  const std::vector<ScriptedDialogs::Call> opens = dialogs_.CallsOf(Kind::kShowOpen);
  auto nth = [&](const std::vector<ScriptedDialogs::Call>& calls) {
    const size_t i = std::stoul(arg);
    return i >= 1 && i <= calls.size() ? calls[i - 1] : ScriptedDialogs::Call{Kind::kMsgBox, "<none>"};
  };
  if (kind == "text") return form_->Get(Key(arg)).text();
  if (kind == "back") return std::to_string(form_->Get(Key(arg)).back_color());
  if (kind == "enabled") return std::to_string(form_->Get(Key(arg)).enabled());
  if (kind == "shown") return std::to_string(form_->ShownToUser(form_->Get(Key(arg))));
  if (kind == "style") return std::to_string(static_cast<int>(form_->Get(Key(arg)).back_style()));
  if (kind == "caption") return form_->caption();
  if (kind == "closed") return std::to_string(form_->closed());
  if (kind == "boxes") return std::to_string(boxes.size());
  if (kind == "box") return nth(boxes).prompt;
  if (kind == "box-style") return std::to_string(nth(boxes).style);
  if (kind == "box-title") return nth(boxes).title;
  if (kind == "inputs") return std::to_string(inputs.size());
  if (kind == "input") return nth(inputs).prompt;
  if (kind == "input-title") return nth(inputs).title;
  if (kind == "input-default") return nth(inputs).default_answer;
  if (kind == "opens") return std::to_string(opens.size());
  if (kind == "calls") return std::to_string(dialogs_.calls().size());
  if (kind == "do-events") return std::to_string(dialogs_.CallsOf(Kind::kDoEvents).size());
  if (kind == "unscripted") return std::to_string(dialogs_.unscripted());
  if (kind == "unused-answers") return std::to_string(dialogs_.unused_answers());
  if (kind == "open" && !opens.empty()) {
    const FileOpenRequest& r = opens.back().open;
    if (arg == "title") return r.title;
    if (arg == "filter") return r.filter;
    if (arg == "default-ext") return r.default_ext;
    if (arg == "file-name") return r.file_name;
    if (arg == "filter-index") return std::to_string(r.filter_index);
    if (arg == "flags") return std::to_string(r.flags);
    if (arg == "initial-dir") return r.initial_dir;
  }
  ADD_FAILURE() << "nothing answers expect " << what;
  return "";
}

}  // namespace zolt::ui::test
