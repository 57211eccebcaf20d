// The toolkit-free form model: a window's controls with every property a
// renderer needs, the events a program handles, and the observers that keep
// native widgets in sync. Programs are written against Form and Dialogs only,
// so their handlers run headless in tests.
//
// Design time: the program's form builder adds every control (containers
// before the controls inside them) with its design properties. Run time: the
// program reads and sets properties through Control; a renderer forwards the
// user's actions through Click, KeyPress, KeyUp, EditText and Closed.
#ifndef ZOLT_UI_FORM_H_
#define ZOLT_UI_FORM_H_

#include <memory>
#include <string>
#include <vector>

#include "ui/colors.h"
#include "ui/control.h"
#include "ui/form_events.h"

namespace zolt::ui {

class Form {
 public:
  // client_width and client_height in twips.
  Form(std::string name, std::string caption, int client_width,
       int client_height);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }
  const std::string& caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  int client_width() const { return client_width_; }
  int client_height() const { return client_height_; }
  Color back_color() const { return back_color_; }
  void SetBackColor(Color c);
  // The font that controls added afterwards start with.
  const Font& font() const { return font_; }
  void SetFont(const Font& f) { font_ = f; }

  // Adds a control with the defaults of its kind. Its key must be new and
  // its container (empty key: the form) must be a frame or picture box added
  // before. Throws std::invalid_argument otherwise (a fault of the builder).
  Control& Add(ControlKind kind, const ControlKey& key, const Rect& rect,
               const std::string& text = {}, const ControlKey& container = {});

  // The control with this key; throws std::out_of_range when there is none.
  Control& Get(const ControlKey& key);
  const Control& Get(const ControlKey& key) const;
  Control& Get(const std::string& name, int index = kNoIndex) {
    return Get(ControlKey(name, index));
  }
  Control& Get(const char* name, int index = kNoIndex) {
    return Get(ControlKey(name, index));
  }
  // nullptr when there is none.
  Control* Find(const ControlKey& key);

  // Every control in the order added, which is also the tab order.
  const std::vector<std::unique_ptr<Control>>& controls() const {
    return controls_;
  }
  // The controls directly inside a container, in the order added.
  std::vector<const Control*> ChildrenOf(const ControlKey& container) const;

  // Events to the program. The handler must outlive the form or be reset.
  void SetEvents(FormEvents* events) { events_ = events; }
  void AddObserver(FormObserver* observer);
  void RemoveObserver(FormObserver* observer);

  // --- Forwarded by renderers (and by tests acting as the user). ---
  void Load();
  // A click of the user: ignored on a hidden or disabled control (or one in
  // a hidden or disabled container); selects an option (raising Click when
  // it was not selected); toggles a check box; raises Click.
  void Click(const ControlKey& key);
  void KeyPress(const ControlKey& source, int key_ascii);
  void KeyUp(const ControlKey& source, int key_code, int shift);
  // The user changed the text of a text box.
  void EditText(const ControlKey& key, const std::string& text);
  // The window has closed (close box, or after OnCloseRequested): raises
  // Unload once.
  void Closed();

  // --- For the program. ---
  // Closes the window: the renderer closes it and reports Closed; headless
  // (no observer) the form is closed at once.
  void Close();
  bool closed() const { return closed_; }
  // True when the control and every container around it are visible
  // (enabled) - what the user can see (use).
  bool ShownToUser(const Control& control) const;
  bool UsableByUser(const Control& control) const;

 private:
  friend class Control;
  void ControlChanged(const Control& control, Property what);
  void OptionSelected(Control& option);

  std::string name_;
  std::string caption_;
  int client_width_;
  int client_height_;
  Color back_color_ = kColorButtonFace;
  Font font_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<FormObserver*> observers_;
  FormEvents* events_ = nullptr;
  bool closed_ = false;
  bool unloaded_ = false;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_FORM_H_
