#include "ui/win32/win32_input_box.h"

namespace zolt::ui {
namespace {

constexpr char kInputBoxClass[] = "ZoltInputBox";
constexpr int kEditId = 100;

struct InputBoxState {
  HWND edit = nullptr;
  bool done = false;
  bool accepted = false;
  std::string text;
};

LRESULT CALLBACK InputBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (state != nullptr) {
    switch (msg) {
      case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
          const int n = GetWindowTextLengthA(state->edit);
          std::string text(static_cast<size_t>(n) + 1, '\0');
          GetWindowTextA(state->edit, text.data(), n + 1);
          text.resize(static_cast<size_t>(n));
          state->text = text;
          state->accepted = true;
          state->done = true;
          return 0;
        }
        if (LOWORD(wp) == IDCANCEL) {
          state->done = true;
          return 0;
        }
        break;
      case WM_CLOSE:
        state->done = true;
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

std::string ShowInputBox(HWND owner, HINSTANCE instance, const std::string& prompt,
                         const std::string& title, const std::string& default_answer) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = InputBoxProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kInputBoxClass;
    RegisterClassExA(&wc);
    registered = true;
  }
  InputBoxState state;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT r = {0, 0, 360, 130};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  // Centred on the screen, as the classic input box opens.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 3;
  HWND box = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kInputBoxClass,
                             title.c_str(), style, x, y, width, height, owner, nullptr,
                             instance, &state);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto add = [&](const char* cls, const char* text, DWORD s, DWORD ex, int left,
                 int top, int w, int h, int id) {
    HWND c = CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | s, left, top, w, h,
                             box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             instance, nullptr);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return c;
  };
  add("STATIC", prompt.c_str(), SS_LEFT | SS_NOPREFIX, 0, 10, 10, 255, 75, -1);
  add("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 275, 10, 75, 23, IDOK);
  add("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, 275, 40, 75, 23, IDCANCEL);
  state.edit = add("EDIT", default_answer.c_str(), WS_TABSTOP | ES_AUTOHSCROLL,
                   WS_EX_CLIENTEDGE, 10, 98, 340, 21, kEditId);

  if (owner != nullptr) EnableWindow(owner, FALSE);
  ShowWindow(box, SW_SHOW);
  SetFocus(state.edit);
  SendMessageA(state.edit, EM_SETSEL, 0, -1);

  MSG msg;
  while (!state.done) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
      break;
    }
    if (IsDialogMessageA(box, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (owner != nullptr) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  DestroyWindow(box);
  return state.accepted ? state.text : "";
}

}  // namespace zolt::ui
