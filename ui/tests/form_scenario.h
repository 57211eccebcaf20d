// The part of a window scenario (a case file, see setup/tests/scenarios and
// testapp/tests/scenarios) that any form answers: click C, fill C TEXT (sets
// a box's text), type C TEXT (a key press, then the text), answer N (the
// next message box's button), input TEXT (the next input box's answer),
// pick PATH / pick-error N (the next file dialog's), clear-boxes, and
//   expect WHAT = VALUE     (or: expect WHAT has TEXT)
// where WHAT is text:C, back:C (a colour number), enabled:C, shown:C,
// style:C (0 transparent, 1 opaque), caption, closed, boxes (how
// many message boxes), box:I, box-style:I, box-title:I (I from 1), inputs,
// input:I, input-title:I, input-default:I, opens, open:FIELD, calls,
// do-events, unscripted, unused-answers, or what the program's runner adds.
// A control C is NAME or NAME:INDEX; 1 and 0 stand for true and false.
#ifndef ZOLT_UI_TESTS_FORM_SCENARIO_H_
#define ZOLT_UI_TESTS_FORM_SCENARIO_H_

#include <functional>
#include <string>

#include "ui/form.h"
#include "ui/testing/scripted_dialogs.h"

namespace zolt::ui::test {

ControlKey Key(const std::string& text);

class FormScenario {
 public:
  using Expand = std::function<std::string(const std::string&)>;
  // The program's own answer to "expect WHAT"; false when it has none.
  using Probe = std::function<bool(const std::string& what, std::string* value)>;

  FormScenario(ScriptedDialogs& dialogs, Expand expand, Probe probe)
      : dialogs_(dialogs), expand_(std::move(expand)), probe_(std::move(probe)) {}

  // The form the actions and checks go to (set once the window exists).
  void SetForm(Form* form) { form_ = form; }

  // Carries out one line; false when it is none of the common directives.
  bool Step(const std::string& line);

 private:
  std::string Value(const std::string& what);

  ScriptedDialogs& dialogs_;
  Expand expand_;
  Probe probe_;
  Form* form_ = nullptr;
};

}  // namespace zolt::ui::test

#endif  // ZOLT_UI_TESTS_FORM_SCENARIO_H_
