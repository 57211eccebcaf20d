// The events a program handles, and the observer through which a renderer
// follows the form model.
#ifndef ZOLT_UI_FORM_EVENTS_H_
#define ZOLT_UI_FORM_EVENTS_H_

#include "ui/control.h"

namespace zolt::ui {

// Key codes of the key events (virtual-key codes; for key press the
// character code).
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyReturn = 13;

// Shift state bits of key events.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// Implemented by a program's window (DLLTestAPP, frmMain). Every event names
// its source; key events of a control reach the form's handler too, with the
// control as source (the form previews keys), so that the window sees a key
// whichever control has the keyboard. The form itself is the empty key.
class FormEvents {
 public:
  virtual ~FormEvents() = default;
  virtual void OnLoad() {}
  virtual void OnClick(const ControlKey& /*control*/) {}
  virtual void OnKeyPress(const ControlKey& /*control*/, int /*key_ascii*/) {}
  virtual void OnKeyUp(const ControlKey& /*control*/, int /*key_code*/,
                       int /*shift*/) {}
  virtual void OnUnload() {}
};

// Implemented by renderers: told after every change of the model.
class FormObserver {
 public:
  virtual ~FormObserver() = default;
  virtual void OnControlChanged(const Control& control, Property what) = 0;
  // The form's caption or back colour changed.
  virtual void OnFormChanged(Property what) = 0;
  // The program asked the window to close (Form::Close). The renderer closes
  // its window and then calls Form::Closed.
  virtual void OnCloseRequested() = 0;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_FORM_EVENTS_H_
