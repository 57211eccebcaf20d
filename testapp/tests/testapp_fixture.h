// The window DLLTestAPP over the form model, a scripted Dialogs and a
// library binding, loaded as at start-up.
#ifndef ZOLT_TESTAPP_TESTS_TESTAPP_FIXTURE_H_
#define ZOLT_TESTAPP_TESTS_TESTAPP_FIXTURE_H_

#include <memory>
#include <string>
#include <vector>

#include "testapp/dlltestapp.h"
#include "testapp/dlltestapp_form.h"
#include "ui/testing/scripted_dialogs.h"

namespace zolt::testapp {

inline constexpr char kCrLf[] = "\r\n";

class TestWindow {
 public:
  explicit TestWindow(ZoltDll& dll)
      : form_(BuildDLLTestAPPForm()), app_(*form_, dialogs_, dll) {
    form_->Load();
  }

  ui::Form& form() { return *form_; }
  ui::ScriptedDialogs& dialogs() { return dialogs_; }
  DLLTestAPP& app() { return app_; }

  std::string Text(const std::string& name) { return form_->Get(name).text(); }
  void Select(const std::string& name, int index) {
    form_->Click({name, index});
  }
  // One press of GET PIN with this answer in the "How many PINs?" box.
  void GetPin(const std::string& answer) {
    dialogs_.AnswerInputBox(answer);
    form_->Click("cmdGetPIN");
  }
  // The prompts of the message boxes with this title, in order.
  std::vector<std::string> Boxes(const std::string& title) {
    std::vector<std::string> prompts;
    for (const auto& call : dialogs_.MsgBoxes()) {
      if (call.title == title) prompts.push_back(call.prompt);
    }
    return prompts;
  }

 private:
  ui::ScriptedDialogs dialogs_;
  std::unique_ptr<ui::Form> form_;
  DLLTestAPP app_;
};

}  // namespace zolt::testapp

#endif  // ZOLT_TESTAPP_TESTS_TESTAPP_FIXTURE_H_
