#include "ui/form.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace zolt::ui {

Form::Form(std::string name, std::string caption, int client_width,
           int client_height)
    : name_(std::move(name)),
      caption_(std::move(caption)),
      client_width_(client_width),
      client_height_(client_height) {}

void Form::SetCaption(const std::string& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  for (FormObserver* o : observers_) o->OnFormChanged(Property::kText);
}

void Form::SetBackColor(Color c) {
  if (back_color_ == c) return;
  back_color_ = c;
  for (FormObserver* o : observers_) o->OnFormChanged(Property::kBackColor);
}

Control& Form::Add(ControlKind kind, const ControlKey& key, const Rect& rect,
                   const std::string& text, const ControlKey& container) {
  if (key.is_form() || Find(key) != nullptr) {
    throw std::invalid_argument("control key empty or taken: " +
                                key.ToString());
  }
  if (!container.is_form()) {
    const Control* c = Find(container);
    if (c == nullptr || !IsContainerKind(c->kind())) {
      throw std::invalid_argument("no container " + container.ToString() +
                                  " for " + key.ToString());
    }
  }
  controls_.push_back(std::unique_ptr<Control>(
      new Control(this, kind, key, container, rect, text)));
  return *controls_.back();
}

Control* Form::Find(const ControlKey& key) {
  for (auto& c : controls_) {
    if (c->key() == key) return c.get();
  }
  return nullptr;
}

Control& Form::Get(const ControlKey& key) {
  Control* c = Find(key);
  if (c == nullptr) {
    throw std::out_of_range("no control " + key.ToString() + " on " + name_);
  }
  return *c;
}

const Control& Form::Get(const ControlKey& key) const {
  return const_cast<Form*>(this)->Get(key);
}

std::vector<const Control*> Form::ChildrenOf(const ControlKey& container) const {
  std::vector<const Control*> children;
  for (const auto& c : controls_) {
    if (c->container() == container) children.push_back(c.get());
  }
  return children;
}

void Form::AddObserver(FormObserver* observer) {
  observers_.push_back(observer);
}

void Form::RemoveObserver(FormObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                   observers_.end());
}

void Form::ControlChanged(const Control& control, Property what) {
  // A copy: an observer may remove itself while being told.
  const std::vector<FormObserver*> observers = observers_;
  for (FormObserver* o : observers) o->OnControlChanged(control, what);
}

void Form::OptionSelected(Control& option) {
  for (auto& other : controls_) {
    if (other.get() != &option && other->kind() == ControlKind::kOption &&
        other->value_ && other->container() == option.container() &&
        other->option_group() == option.option_group()) {
      other->value_ = false;
      ControlChanged(*other, Property::kValue);
    }
  }
  ControlChanged(option, Property::kValue);
  if (events_ != nullptr) events_->OnClick(option.key());
}

void Form::Load() {
  if (events_ != nullptr) events_->OnLoad();
}

bool Form::ShownToUser(const Control& control) const {
  for (const Control* c = &control;;) {
    if (!c->visible()) return false;
    if (c->container().is_form()) return true;
    c = &Get(c->container());
  }
}

bool Form::UsableByUser(const Control& control) const {
  if (!ShownToUser(control)) return false;
  for (const Control* c = &control;;) {
    if (!c->enabled()) return false;
    if (c->container().is_form()) return true;
    c = &Get(c->container());
  }
}

void Form::Click(const ControlKey& key) {
  if (closed_) return;
  Control& control = Get(key);
  if (!UsableByUser(control)) return;
  switch (control.kind()) {
    case ControlKind::kOption:
      // Selecting raises Click; an option already selected stays quiet.
      control.SetValue(true);
      return;
    case ControlKind::kCheckBox:
      control.SetValue(!control.value());
      break;
    default:
      break;
  }
  if (events_ != nullptr) events_->OnClick(key);
}

void Form::KeyPress(const ControlKey& source, int key_ascii) {
  if (closed_) return;
  if (events_ != nullptr) events_->OnKeyPress(source, key_ascii);
}

void Form::KeyUp(const ControlKey& source, int key_code, int shift) {
  if (closed_) return;
  if (events_ != nullptr) events_->OnKeyUp(source, key_code, shift);
}

void Form::EditText(const ControlKey& key, const std::string& text) {
  Get(key).SetText(text);
}

void Form::Close() {
  if (closed_) return;
  if (observers_.empty()) {
    Closed();
    return;
  }
  const std::vector<FormObserver*> observers = observers_;
  for (FormObserver* o : observers) o->OnCloseRequested();
}

void Form::Closed() {
  closed_ = true;
  if (unloaded_) return;
  unloaded_ = true;
  if (events_ != nullptr) events_->OnUnload();
}

}  // namespace zolt::ui
