#include "ui/unattended_dialogs.h"

#include "ui/run_time_error.h"

namespace zolt::ui {
namespace {

// One line per box: line breaks shown as "|".
std::string OneLine(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    out += c == '\n' ? '|' : c;
  }
  return out;
}

}  // namespace

int UnattendedDialogs::MsgBox(const std::string& prompt, int style,
                              const std::string& title) {
  ++boxes_;
  const bool question = (style & kMsgBoxButtonMask) != kMsgBoxOkOnly;
  log_ << "message box [" << title << "] " << OneLine(prompt) << " -> "
       << (question ? "No" : "OK") << std::endl;
  return question ? kMsgBoxResultNo : kMsgBoxResultOk;
}

std::string UnattendedDialogs::InputBox(const std::string& prompt,
                                        const std::string& title,
                                        const std::string& default_answer) {
  log_ << "input box [" << title << "] " << OneLine(prompt) << " (default "
       << default_answer << ") -> " << input_answer_ << std::endl;
  return input_answer_;
}

FileOpenResult UnattendedDialogs::ShowOpen(const FileOpenRequest& request) {
  log_ << "file dialog in " << request.initial_dir << " -> cancelled"
       << std::endl;
  FileOpenResult r;
  r.error = kErrorDialogCancelled;
  r.filter_index = request.filter_index;
  return r;
}

}  // namespace zolt::ui
