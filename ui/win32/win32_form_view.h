// The Win32 renderer of a form: a top-level window whose client area has
// the form's size (15 twips to a pixel) and one child window per control
// (CreateWindowEx), kept in sync with the model. Messages reach this object
// through GWLP_USERDATA; clicks (WM_COMMAND), key presses and releases (seen
// in the message loop, so the window previews every control's keys), text
// edits and the close box go to the model.
#ifndef ZOLT_UI_WIN32_WIN32_FORM_VIEW_H_
#define ZOLT_UI_WIN32_WIN32_FORM_VIEW_H_

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/form.h"

namespace zolt::ui {

class Win32FormView final : public FormObserver {
 public:
  // Creates the window (hidden) and its controls. The form must outlive the
  // view.
  Win32FormView(Form& form, HINSTANCE instance);
  ~Win32FormView() override;
  Win32FormView(const Win32FormView&) = delete;
  Win32FormView& operator=(const Win32FormView&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND WindowOf(const ControlKey& key) const;

  // Shows the window and gives the keyboard to the first control in tab
  // order that takes it (ui/tab_order.h).
  void Show(int show_command);
  // Runs the message loop until the window has closed; returns the exit code.
  int RunMessageLoop();
  // Handles the messages waiting now (DoEvents).
  void PumpPendingMessages();
  // Draws a control (and what lies under it, for a transparent one) now.
  void RepaintNow(const ControlKey& key);

  // FormObserver
  void OnControlChanged(const Control& control, Property what) override;
  void OnFormChanged(Property what) override;
  void OnCloseRequested() override;

 private:
  struct Child {
    const Control* control;
    HWND hwnd;
    int id;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // Key preview and dialog navigation; true when the message was used.
  bool PreTranslate(MSG& msg);
  // Tab and arrow keys in the form's own order; true when the key was used.
  bool Navigate(int key);
  void FocusControl(const Control* control);

  void CreateChild(const Control& control);
  void StackChildren();
  void Apply(Child& child, Property what);
  void ApplyStyle(Child& child);
  void UpdateToolTip(Child& child);
  Child* ChildOf(HWND hwnd);
  Child* ChildById(int id);
  ControlKey SourceOf(HWND hwnd);
  void ClickFromUser(Child& child);

  void PaintContainer(HWND hwnd, const Control& control);
  void PaintGraphic(HWND hwnd, const Control& control);
  void DrawButton(const DRAWITEMSTRUCT& item, const Control& control);
  LRESULT ControlColor(HDC dc, HWND child_hwnd);

  COLORREF ColorOf(Color c) const;
  HBRUSH BrushOf(Color c);
  HFONT FontOf(const Font& f);
  Color ContainerBackColor(const Control& control) const;

  Form& form_;
  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HWND tool_tip_ = nullptr;
  std::vector<Child> children_;
  std::map<ControlKey, size_t> index_;
  std::map<COLORREF, HBRUSH> brushes_;
  std::map<std::string, HFONT> fonts_;
  bool syncing_ = false;
  bool closed_ = false;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_WIN32_WIN32_FORM_VIEW_H_
