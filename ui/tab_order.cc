#include "ui/tab_order.h"

#include <vector>

namespace zolt::ui {
namespace {

bool SameGroup(const Control& a, const Control& b) {
  return a.kind() == ControlKind::kOption && b.kind() == ControlKind::kOption &&
         a.container() == b.container() && a.option_group() == b.option_group();
}

// The usable options of the group of `option`, in tab order.
std::vector<const Control*> GroupOf(const Form& form, const Control& option) {
  std::vector<const Control*> group;
  for (const auto& c : form.controls()) {
    if (SameGroup(*c, option) && form.UsableByUser(*c)) group.push_back(c.get());
  }
  return group;
}

// Steps through `items` from `from` (or from before the start), wrapping.
template <typename Items, typename Pick>
const Control* Step(const Items& items, const Control* from, bool backwards,
                    Pick pick) {
  const int n = static_cast<int>(items.size());
  int start = backwards ? 0 : n - 1;  // so that the first step lands on an end
  for (int i = 0; i < n; ++i) {
    if (&*items[i] == from) start = i;
  }
  for (int k = 1; k <= n; ++k) {
    const int i = ((start + (backwards ? -k : k)) % n + n) % n;
    if (pick(*items[i])) return &*items[i];
  }
  return nullptr;
}

}  // namespace

bool IsTabStop(const Form& form, const Control& control) {
  switch (control.kind()) {
    case ControlKind::kTextBox:
    case ControlKind::kButton:
    case ControlKind::kCheckBox:
      return form.UsableByUser(control);
    case ControlKind::kOption: {
      if (!form.UsableByUser(control)) return false;
      const std::vector<const Control*> group = GroupOf(form, control);
      for (const Control* c : group) {
        if (c->value()) return c == &control;
      }
      return group.front() == &control;
    }
    default:
      return false;
  }
}

const Control* NextTabStop(const Form& form, const Control* from,
                           bool backwards) {
  return Step(form.controls(), from, backwards,
              [&form](const Control& c) { return IsTabStop(form, c); });
}

const Control& NextOptionInGroup(const Form& form, const Control& option,
                                 bool backwards) {
  const std::vector<const Control*> group = GroupOf(form, option);
  const Control* next =
      Step(group, &option, backwards, [](const Control&) { return true; });
  return next != nullptr ? *next : option;
}

}  // namespace zolt::ui
