// The Dialogs of the Win32 renderer: MessageBoxA, the input box,
// GetOpenFileNameA, the message pump and immediate repaints.
#ifndef ZOLT_UI_WIN32_WIN32_DIALOGS_H_
#define ZOLT_UI_WIN32_WIN32_DIALOGS_H_

#include <string>

#include "ui/dialogs.h"

namespace zolt::ui {

class Win32FormView;

class Win32Dialogs final : public Dialogs {
 public:
  // program_title: the title of boxes that name none. The view must outlive
  // this object.
  Win32Dialogs(Win32FormView& view, std::string program_title);

  int MsgBox(const std::string& prompt, int style,
             const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title,
                       const std::string& default_answer) override;
  FileOpenResult ShowOpen(const FileOpenRequest& request) override;
  void DoEvents() override;
  void Repaint(const ControlKey& control) override;

 private:
  Win32FormView& view_;
  std::string program_title_;
};

// "a|b|c|d" as the common dialog's filter: "a\0b\0c\0d\0\0".
std::string ToOpenFileFilter(const std::string& filter);

}  // namespace zolt::ui

#endif  // ZOLT_UI_WIN32_WIN32_DIALOGS_H_
