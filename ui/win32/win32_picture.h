// A picture of a window as the screen shows it (frame included), saved as
// a 24-bit BMP file: the renderer's smoke tests keep one.
#ifndef ZOLT_UI_WIN32_WIN32_PICTURE_H_
#define ZOLT_UI_WIN32_WIN32_PICTURE_H_

#include <windows.h>

#include <string>

namespace zolt::ui {

bool SaveWindowPicture(HWND hwnd, const std::string& bmp_path);

}  // namespace zolt::ui

#endif  // ZOLT_UI_WIN32_WIN32_PICTURE_H_
