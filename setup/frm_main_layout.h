// The design of frmMain: every control with its design-time caption,
// position (twips), colours, font and tool tip, as the window opens before
// start-up fills it.
#ifndef ZOLT_SETUP_FRM_MAIN_LAYOUT_H_
#define ZOLT_SETUP_FRM_MAIN_LAYOUT_H_

#include <string>
#include <vector>

#include "ui/form.h"

namespace zolt::setup {

inline constexpr char kFrmMainCaption[] = "ostrel Point of Sale Integration";
inline constexpr int kFrmMainWidth = 12390;  // client area, twips
inline constexpr int kFrmMainHeight = 8895;

// The design-time captions and tool tips that start-up replaces.
inline constexpr char kDesignInstructions[] = "instructions";
inline constexpr char kDesignTipBrowse[] = "Find the ostrel.ini file";
inline constexpr char kDesignTipVerify[] =
    "click here to verify you have a good file";
inline constexpr char kDesignTipCopy[] = "Save the path into ostrelpath.ini";

// Adds every control of frmMain to an empty form and sets the form's own
// properties (white background).
void BuildFrmMain(ui::Form& form);

// The captions that name the settings-file extension, in the order the
// Windows-version choice sets them, for ext ".ini" or ".dta".
struct ExtensionCaption {
  ui::ControlKey control;
  std::string caption;
};
std::vector<ExtensionCaption> ExtensionCaptions(const std::string& ext);

}  // namespace zolt::setup

#endif  // ZOLT_SETUP_FRM_MAIN_LAYOUT_H_
