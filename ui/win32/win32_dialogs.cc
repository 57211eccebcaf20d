#include "ui/win32/win32_dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <vector>

#include "ui/run_time_error.h"
#include "ui/win32/win32_form_view.h"
#include "ui/win32/win32_input_box.h"

namespace zolt::ui {

Win32Dialogs::Win32Dialogs(Win32FormView& view, std::string program_title)
    : view_(view), program_title_(std::move(program_title)) {}

int Win32Dialogs::MsgBox(const std::string& prompt, int style,
                         const std::string& title) {
  // The box styles are the MB_ values themselves, and so are the answers.
  HWND owner = view_.hwnd();
  const int pressed = MessageBoxA(
      owner, prompt.c_str(), (title.empty() ? program_title_ : title).c_str(),
      static_cast<UINT>(style & (kMsgBoxButtonMask | kMsgBoxIconMask)) |
          (owner == nullptr ? MB_TASKMODAL : 0));
  return pressed == 0 ? kMsgBoxResultOk : pressed;
}

std::string Win32Dialogs::InputBox(const std::string& prompt,
                                   const std::string& title,
                                   const std::string& default_answer) {
  return ShowInputBox(view_.hwnd(), GetModuleHandleA(nullptr), prompt,
                      title.empty() ? program_title_ : title, default_answer);
}

std::string ToOpenFileFilter(const std::string& filter) {
  std::string out = filter;
  for (char& c : out) {
    if (c == '|') c = '\0';
  }
  out.push_back('\0');
  out.push_back('\0');
  return out;
}

FileOpenResult Win32Dialogs::ShowOpen(const FileOpenRequest& request) {
  std::vector<char> file(4096, '\0');
  std::strncpy(file.data(), request.file_name.c_str(), file.size() - 1);
  const std::string filter = ToOpenFileFilter(request.filter);
  std::string ext = request.default_ext;
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);

  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = view_.hwnd();
  ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(request.filter_index);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = request.initial_dir.empty() ? nullptr : request.initial_dir.c_str();
  ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.Flags = static_cast<DWORD>(request.flags) | OFN_EXPLORER;

  FileOpenResult result;
  result.filter_index = request.filter_index;
  if (!GetOpenFileNameA(&ofn)) {
    result.error = kErrorDialogCancelled;
    return result;
  }
  result.file_name = file.data();
  result.filter_index = static_cast<int>(ofn.nFilterIndex);
  return result;
}

void Win32Dialogs::DoEvents() { view_.PumpPendingMessages(); }

void Win32Dialogs::Repaint(const ControlKey& control) { view_.RepaintNow(control); }

}  // namespace zolt::ui
