#include "ui/control.h"

#include <utility>

#include "ui/form.h"

namespace zolt::ui {

std::string ControlKey::ToString() const {
  if (name.empty()) return "(form)";
  if (index == kNoIndex) return name;
  return name + "(" + std::to_string(index) + ")";
}

bool IsContainerKind(ControlKind kind) {
  return kind == ControlKind::kFrame || kind == ControlKind::kPictureBox;
}

Control::Control(Form* form, ControlKind kind, ControlKey key,
                 ControlKey container, const Rect& rect, std::string text)
    : form_(form),
      kind_(kind),
      key_(std::move(key)),
      container_(std::move(container)),
      rect_(rect),
      text_(std::move(text)),
      font_(form->font()) {
  // The design defaults of each kind.
  switch (kind) {
    case ControlKind::kTextBox:
      fore_color_ = kColorWindowText;
      back_color_ = kColorWindowBackground;
      border_style_ = BorderStyle::kFixedSingle;
      break;
    case ControlKind::kFrame:
    case ControlKind::kPictureBox:
      fore_color_ = kColorButtonText;
      back_color_ = kColorButtonFace;
      border_style_ = BorderStyle::kFixedSingle;
      break;
    case ControlKind::kShape:
      fore_color_ = kColorWindowText;
      back_color_ = kColorWindowBackground;
      back_style_ = BackStyle::kTransparent;
      border_style_ = BorderStyle::kFixedSingle;
      break;
    case ControlKind::kImage:
      fore_color_ = kColorButtonText;
      back_color_ = kColorButtonFace;
      back_style_ = BackStyle::kTransparent;
      border_style_ = BorderStyle::kNone;
      break;
    case ControlKind::kLabel:
    case ControlKind::kButton:
    case ControlKind::kOption:
    case ControlKind::kCheckBox:
      fore_color_ = kColorButtonText;
      back_color_ = kColorButtonFace;
      border_style_ = BorderStyle::kNone;
      break;
  }
}

void Control::Changed(Property p) { form_->ControlChanged(*this, p); }

Control& Control::SetRect(const Rect& r) {
  if (!(rect_ == r)) {
    rect_ = r;
    Changed(Property::kRect);
  }
  return *this;
}

Control& Control::SetText(const std::string& text) {
  if (text_ != text) {
    text_ = text;
    Changed(Property::kText);
  }
  return *this;
}

Control& Control::SetForeColor(Color c) {
  if (fore_color_ != c) {
    fore_color_ = c;
    Changed(Property::kForeColor);
  }
  return *this;
}

Control& Control::SetBackColor(Color c) {
  if (back_color_ != c) {
    back_color_ = c;
    Changed(Property::kBackColor);
  }
  return *this;
}

Control& Control::SetBackStyle(BackStyle s) {
  if (back_style_ != s) {
    back_style_ = s;
    Changed(Property::kBackStyle);
  }
  return *this;
}

Control& Control::SetBorderStyle(BorderStyle s) {
  if (border_style_ != s) {
    border_style_ = s;
    Changed(Property::kBorderStyle);
  }
  return *this;
}

Control& Control::SetFont(const Font& f) {
  if (!(font_ == f)) {
    font_ = f;
    Changed(Property::kFont);
  }
  return *this;
}

Control& Control::SetFontSize(double points) {
  Font f = font_;
  f.points = points;
  return SetFont(f);
}

Control& Control::SetFontBold(bool bold) {
  Font f = font_;
  f.bold = bold;
  return SetFont(f);
}

Control& Control::SetAlignment(Alignment a) {
  if (alignment_ != a) {
    alignment_ = a;
    Changed(Property::kAlignment);
  }
  return *this;
}

Control& Control::SetVisible(bool v) {
  if (visible_ != v) {
    visible_ = v;
    Changed(Property::kVisible);
  }
  return *this;
}

Control& Control::SetEnabled(bool e) {
  if (enabled_ != e) {
    enabled_ = e;
    Changed(Property::kEnabled);
  }
  return *this;
}

Control& Control::SetValue(bool v) {
  if (value_ == v) return *this;
  value_ = v;
  if (kind_ == ControlKind::kOption && v) {
    form_->OptionSelected(*this);  // deselects the group, notifies, clicks
  } else {
    Changed(Property::kValue);
  }
  return *this;
}

Control& Control::SetToolTip(const std::string& tip) {
  if (tool_tip_ != tip) {
    tool_tip_ = tip;
    Changed(Property::kToolTip);
  }
  return *this;
}

Control& Control::SetPicture(const std::string& picture) {
  if (picture_ != picture) {
    picture_ = picture;
    Changed(Property::kPicture);
  }
  return *this;
}

Control& Control::SetOptionGroup(const std::string& group) {
  option_group_ = group;
  return *this;
}

}  // namespace zolt::ui
