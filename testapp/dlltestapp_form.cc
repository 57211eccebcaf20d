#include "testapp/dlltestapp_form.h"

namespace zolt::testapp {

using ui::Alignment;
using ui::ControlKind;

std::unique_ptr<ui::Form> BuildDLLTestAPPForm() {
  auto form = std::make_unique<ui::Form>("DLLTestAPP", kWindowTitle, 8460, 6135);
  ui::Form& f = *form;
  // GET PIN comes first in the tab order, so it has the keyboard at start.
  f.Add(ControlKind::kButton, "cmdGetPIN", {720, 1440, 1695, 735}, "GET PIN");
  // The two option arrays are separate groups on the same window.
  const char* sizes[] = {"Small Basket", "Medium", "Large"};
  for (int i = 0; i < 3; ++i) {
    f.Add(ControlKind::kOption, {"optSize", i}, {840, 120 + 360 * i, 1695, 255},
          sizes[i])
        .SetOptionGroup("size");
  }
  f.Add(ControlKind::kLabel, "lblCounter", {960, 1200, 1335, 375}, "counter");
  f.Add(ControlKind::kLabel, "lblPIN", {480, 2280, 2175, 1215})
      .SetFontSize(12)
      .SetAlignment(Alignment::kCenter);
  f.Add(ControlKind::kLabel, "lblExpiry", {0, 3600, 3135, 255})
      .SetFontSize(9.75)
      .SetAlignment(Alignment::kCenter);
  f.Add(ControlKind::kLabel, "lblMsgBox", {360, 4080, 2535, 1455});
  f.Add(ControlKind::kLabel, "lblVersion", {1320, 5760, 1815, 255}, "version");
  f.Add(ControlKind::kOption, {"optVersionFormat", 0}, {3240, 360, 4695, 255},
        "Use Version 5,6,7, and/or 10  format for calls")
      .SetOptionGroup("format");
  f.Add(ControlKind::kOption, {"optVersionFormat", 1}, {3240, 720, 2775, 255},
        "Use Version 8 format for calls")
      .SetOptionGroup("format");
  f.Add(ControlKind::kLabel, "lblVersionFormat", {3240, 1320, 4215, 2175},
        "Version formats");
  return form;
}

}  // namespace zolt::testapp
