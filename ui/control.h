// One control of a form: a label, text box, button, option, frame, picture
// box, shape or image, addressed by name and index (control arrays share a
// name). Every property is plain data that a renderer draws; setters tell the
// owning form, which forwards the change to its observers (the renderers).
//
// Positions are twips (15 to a pixel), relative to the client area of the
// container: the form itself, or a frame or picture box of the same form.
#ifndef ZOLT_UI_CONTROL_H_
#define ZOLT_UI_CONTROL_H_

#include <compare>
#include <string>

#include "ui/colors.h"

namespace zolt::ui {

class Form;

inline constexpr int kNoIndex = -1;  // a control that is not an array element
inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
  return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) /
         kTwipsPerPixel;
}

// Name plus array index; kNoIndex for a single control. An empty name stands
// for the form itself (as a container, or as the source of a key event).
struct ControlKey {
  std::string name;
  int index = kNoIndex;

  ControlKey() = default;
  ControlKey(std::string n, int i = kNoIndex) : name(std::move(n)), index(i) {}
  ControlKey(const char* n, int i = kNoIndex) : name(n), index(i) {}

  bool is_form() const { return name.empty(); }
  // "optSize(0)", "cmdGetPIN", or "(form)".
  std::string ToString() const;

  friend bool operator==(const ControlKey&, const ControlKey&) = default;
  friend auto operator<=>(const ControlKey&, const ControlKey&) = default;
};

enum class ControlKind {
  kLabel,
  kTextBox,
  kButton,
  kOption,
  kCheckBox,
  kFrame,       // container with a border and a caption
  kPictureBox,  // container with an optional picture, a border and a tool tip
  kShape,       // a rectangle drawn in the fore colour, transparent inside
  kImage,       // a picture without border
};

bool IsContainerKind(ControlKind kind);

struct Font {
  std::string name = "MS Sans Serif";
  double points = 8.25;
  bool bold = false;

  friend bool operator==(const Font&, const Font&) = default;
};

enum class Alignment { kLeft, kRight, kCenter };
enum class BackStyle { kTransparent, kOpaque };
enum class BorderStyle { kNone, kFixedSingle };

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const Rect&, const Rect&) = default;
};

// What changed, for observers.
enum class Property {
  kText,
  kRect,
  kForeColor,
  kBackColor,
  kBackStyle,
  kBorderStyle,
  kFont,
  kAlignment,
  kVisible,
  kEnabled,
  kValue,
  kToolTip,
  kPicture,
};

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind kind() const { return kind_; }
  const ControlKey& key() const { return key_; }
  // The container's key; empty name for the form.
  const ControlKey& container() const { return container_; }
  Form& form() const { return *form_; }

  const Rect& rect() const { return rect_; }
  const std::string& text() const { return text_; }  // caption or text
  Color fore_color() const { return fore_color_; }
  Color back_color() const { return back_color_; }
  BackStyle back_style() const { return back_style_; }
  BorderStyle border_style() const { return border_style_; }
  const Font& font() const { return font_; }
  Alignment alignment() const { return alignment_; }
  bool visible() const { return visible_; }
  bool enabled() const { return enabled_; }
  bool value() const { return value_; }  // option selected, check box ticked
  const std::string& tool_tip() const { return tool_tip_; }
  // A name the renderer maps to a picture: "icon:information",
  // "icon:question", "icon:exclamation", "icon:application", or empty.
  const std::string& picture() const { return picture_; }
  // Options are exclusive among the options of one container that carry the
  // same group name (empty by default: one group per container).
  const std::string& option_group() const { return option_group_; }

  Control& SetRect(const Rect& r);
  Control& SetText(const std::string& text);
  Control& SetForeColor(Color c);
  Control& SetBackColor(Color c);
  Control& SetBackStyle(BackStyle s);
  Control& SetBorderStyle(BorderStyle s);
  Control& SetFont(const Font& f);
  Control& SetFontSize(double points);
  Control& SetFontBold(bool bold);
  Control& SetAlignment(Alignment a);
  Control& SetVisible(bool v);
  Control& SetEnabled(bool e);
  // Selecting an option deselects the others of its group and, when the
  // option was not selected before, raises its Click event (as assigning
  // Value = True does in the language these programs were written in).
  Control& SetValue(bool v);
  Control& SetToolTip(const std::string& tip);
  Control& SetPicture(const std::string& picture);
  Control& SetOptionGroup(const std::string& group);  // design time only

 private:
  friend class Form;
  Control(Form* form, ControlKind kind, ControlKey key, ControlKey container,
          const Rect& rect, std::string text);
  void Changed(Property p);

  Form* form_;
  ControlKind kind_;
  ControlKey key_;
  ControlKey container_;
  Rect rect_;
  std::string text_;
  Color fore_color_;
  Color back_color_;
  BackStyle back_style_ = BackStyle::kOpaque;
  BorderStyle border_style_;
  Font font_;
  Alignment alignment_ = Alignment::kLeft;
  bool visible_ = true;
  bool enabled_ = true;
  bool value_ = false;
  std::string tool_tip_;
  std::string picture_;
  std::string option_group_;
};

}  // namespace zolt::ui

#endif  // ZOLT_UI_CONTROL_H_
