// A modal input box: a prompt, OK and Cancel, and one line of text.
#ifndef ZOLT_UI_WIN32_WIN32_INPUT_BOX_H_
#define ZOLT_UI_WIN32_WIN32_INPUT_BOX_H_

#include <windows.h>

#include <string>

namespace zolt::ui {

// Shows the box over owner (disabled meanwhile) until OK, Enter, Cancel,
// Escape or the close box. Returns the text on OK, "" otherwise.
std::string ShowInputBox(HWND owner, HINSTANCE instance, const std::string& prompt,
                         const std::string& title, const std::string& default_answer);

}  // namespace zolt::ui

#endif  // ZOLT_UI_WIN32_WIN32_INPUT_BOX_H_
