// The dialogs a program opens, behind an interface so that handlers run
// headless against a scripted implementation (ui/testing/scripted_dialogs.h)
// and natively against a renderer's (ui/qt, ui/win32).
#ifndef ZOLT_UI_DIALOGS_H_
#define ZOLT_UI_DIALOGS_H_

#include <string>

#include "ui/control.h"

namespace zolt::ui {

// Message box styles: one button set plus at most one icon, added together
// (the values of the MB_ constants, which the programs' texts name).
inline constexpr int kMsgBoxOkOnly = 0;
inline constexpr int kMsgBoxYesNo = 4;
inline constexpr int kMsgBoxButtonMask = 7;
inline constexpr int kMsgBoxCritical = 16;
inline constexpr int kMsgBoxQuestion = 32;
inline constexpr int kMsgBoxExclamation = 48;
inline constexpr int kMsgBoxInformation = 64;
inline constexpr int kMsgBoxIconMask = 0x70;

// The button that closed a message box.
inline constexpr int kMsgBoxResultOk = 1;
inline constexpr int kMsgBoxResultYes = 6;
inline constexpr int kMsgBoxResultNo = 7;

// File-open flags (OFN_ values).
inline constexpr int kOpenHideReadOnly = 0x4;
inline constexpr int kOpenFileMustExist = 0x1000;

// The file-open dialog's settings. filter holds description|pattern pairs
// joined by '|' ("All Files (*.*)|*.*|ini Files (*.ini)|*.ini");
// filter_index counts the pairs from 1.
struct FileOpenRequest {
  std::string title;
  std::string filter;
  std::string default_ext;  // with or without the leading dot
  std::string file_name;    // the name the dialog starts with
  std::string initial_dir;
  int filter_index = 1;
  int flags = 0;
};

// What the dialog returned: error 0 with the chosen file's full path (and
// the filter chosen), or kErrorDialogCancelled (32755) when the user
// cancelled.
struct FileOpenResult {
  int error = 0;
  std::string file_name;
  int filter_index = 1;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal message box; style as above. An empty title shows the program's
  // title. Returns the button pressed (kMsgBoxResultOk for OK-only boxes).
  virtual int MsgBox(const std::string& prompt, int style,
                     const std::string& title) = 0;

  // A modal input box with one line of text, starting with default_answer.
  // Returns the text entered, or "" when the user cancelled.
  virtual std::string InputBox(const std::string& prompt,
                               const std::string& title,
                               const std::string& default_answer) = 0;

  // The modal file-open dialog.
  virtual FileOpenResult ShowOpen(const FileOpenRequest& request) = 0;

  // Lets the window handle the events pending (clicks, keys, paints) before
  // the handler goes on. Handlers may be re-entered from here.
  virtual void DoEvents() = 0;

  // Draws one control now, without waiting for the event loop.
  virtual void Repaint(const ControlKey& control) = 0;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_DIALOGS_H_
