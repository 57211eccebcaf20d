// Keyboard navigation over the form model, for renderers whose toolkit ties
// its own tab order to something else (the Win32 dialog manager walks the
// z-order, which here follows stacking, not the order controls were added).
//
// The tab order is the order controls were added. A tab stop is a text box,
// button, check box or option that the user can see and use; of a group of
// options only the selected one is a stop (the first usable one when none is
// selected), so Tab enters a group once and the arrow keys move inside it.
#ifndef ZOLT_UI_TAB_ORDER_H_
#define ZOLT_UI_TAB_ORDER_H_

#include "ui/form.h"

namespace zolt::ui {

bool IsTabStop(const Form& form, const Control& control);

// The next tab stop after `from` (the first when `from` is null), or the one
// before it when `backwards`, wrapping around; `from` itself when it is the
// only stop; null when there is none.
const Control* NextTabStop(const Form& form, const Control* from,
                           bool backwards);

// The next usable option of the same group as `option` (same container,
// same group name), wrapping around; `option` itself when it is alone.
const Control& NextOptionInGroup(const Form& form, const Control& option,
                                 bool backwards);

}  // namespace zolt::ui

#endif  // ZOLT_UI_TAB_ORDER_H_
