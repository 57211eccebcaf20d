// A Dialogs for a program that runs without a user (the renderers' smoke
// tests): every box is answered at once and written to a log, so that no
// modal box can block; pumping and repainting go to the real renderer.
#ifndef ZOLT_UI_UNATTENDED_DIALOGS_H_
#define ZOLT_UI_UNATTENDED_DIALOGS_H_

#include <ostream>
#include <string>
#include <utility>

#include "ui/dialogs.h"

namespace zolt::ui {

class UnattendedDialogs final : public Dialogs {
 public:
  // native: pumps and repaints; log: one line per box.
  UnattendedDialogs(Dialogs& native, std::ostream& log,
                    std::string input_answer = "1")
      : native_(native), log_(log), input_answer_(std::move(input_answer)) {}

  // OK boxes answer OK, questions No; the input box gives input_answer; the
  // file dialog is cancelled.
  int MsgBox(const std::string& prompt, int style,
             const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& default_answer) override;
  FileOpenResult ShowOpen(const FileOpenRequest& request) override;
  void DoEvents() override { native_.DoEvents(); }
  void Repaint(const ControlKey& control) override { native_.Repaint(control); }

  int boxes() const { return boxes_; }

 private:
  Dialogs& native_;
  std::ostream& log_;
  std::string input_answer_;
  int boxes_ = 0;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_UNATTENDED_DIALOGS_H_
