#include "setup/frm_main_layout.h"

#include "setup/mod_declarations.h"

namespace zolt::setup {
namespace {

using ui::Alignment;
using ui::BackStyle;
using ui::BorderStyle;
using ui::ControlKey;
using ui::ControlKind;
using ui::Form;
using ui::Rect;

constexpr int kNo = ui::kNoIndex;

// A caption on the white form or on a coloured frame: the background shows
// through, so the labels inside a frame follow its green or red.
ui::Control& AddLabel(Form& form, const ControlKey& key, const Rect& rect,
                      const std::string& caption,
                      const ControlKey& container = {}) {
  return form.Add(ControlKind::kLabel, key, rect, caption, container)
      .SetBackStyle(BackStyle::kTransparent);
}

// A value box of one side: empty and light grey on the form.
void AddValueBox(Form& form, const ControlKey& key, const Rect& rect,
                 const ControlKey& frame) {
  form.Add(ControlKind::kTextBox, key, rect, "", frame)
      .SetBackColor(kColorNeutralBox);
}

// A help picture: an icon on white that shows its tool tip when clicked.
ui::Control& AddHelpPicture(Form& form, const ControlKey& key, const Rect& rect,
                            const std::string& tip) {
  return form.Add(ControlKind::kPictureBox, key, rect)
      .SetPicture("icon:question")
      .SetBackColor(ui::kColorWhite)
      .SetBorderStyle(BorderStyle::kNone)
      .SetToolTip(tip);
}

// The letter beside the icon of a help picture, as the instructions number
// the steps.
void AddHelpLetter(Form& form, int index, const std::string& letter,
                   const ControlKey& picture) {
  AddLabel(form, {"Label7", index}, {495, 90, 240, 315}, letter, picture)
      .SetFont({"MS Sans Serif", 12, true})
      .SetForeColor(ui::kColorPureBlue);
}

// The rows of one side; the product side's labels start at 0, the
// library side's at 120, and its boxes 120 further right.
void AddSettingRows(Form& form, int side, const ControlKey& frame) {
  const int label_left = side == 0 ? 0 : 120;
  const int box_left = side == 0 ? 1440 : 1560;
  struct Row {
    const char* label;
    const char* caption;
    const char* box;
    int top;
  };
  const Row rows[] = {
      {"lblVendor", "Vendor", "txtVendor", 960},
      {"Vendor", "Location", "txtLocation", 1320},
      {"lblSeason", "Season", "txtSeason", 1680},
      {"lblPINEncrypt", "PIN Encryption", "txtPINEncrypt", 2040},
      {"lblPINExpiry", "PIN Expiry", "txtPINExpiry", 2400},
  };
  for (const Row& row : rows) {
    AddLabel(form, {row.label, side}, {label_left, row.top, 1335, 255},
             row.caption, frame)
        .SetAlignment(Alignment::kRight);
    AddValueBox(form, {row.box, side}, {box_left, row.top, 855, 285}, frame);
  }
  AddLabel(form, {"lblMinutes", side},
           {side == 0 ? 2520 : 2640, 2400, 2295, 255}, "minutes", frame);
}

void AddProductFrame(Form& form) {
  const ControlKey frame("fraSettingsOstrel", 0);
  form.Add(ControlKind::kFrame, frame, {240, 3720, 5295, 3975},
           "ostrel.ini settings")
      .SetBackColor(kColorUnusable);
  form.Add(ControlKind::kButton, "cmdReadOstrelINI", {2880, 960, 1695, 255},
           "re-read Settings", frame);
  AddLabel(form, {"lblsettingsmsg", 0}, {2760, 1200, 1935, 1095},
           "ostrel settings", frame)
      .SetFontSize(13.5)
      .SetAlignment(Alignment::kCenter);
  AddSettingRows(form, 0, frame);
  AddLabel(form, {"Label2", 0}, {0, 2760, 1335, 255}, "ostrel Data Path", frame)
      .SetAlignment(Alignment::kRight);
  AddValueBox(form, {"txtDataPath", 0}, {1440, 2760, 3735, 285}, frame);
  // Red (opaque) only when the product file lies on no known computer.
  AddLabel(form, "lblComputerName", {1440, 3120, 3495, 495},
           "on: computer name here", frame)
      .SetBackColor(kColorWarning);
}

void AddLibraryFrame(Form& form) {
  const ControlKey frame("fraSettingsOstrel", 1);
  form.Add(ControlKind::kFrame, frame, {5880, 3720, 5655, 3975},
           "ostrelZOLTDLL.ini settings")
      .SetBackColor(kColorUsable);
  form.Add(ControlKind::kButton, "cmdReadDLLINI", {3000, 960, 1695, 255},
           "re-read dll Settings", frame);
  AddLabel(form, {"lblsettingsmsg", 1}, {2880, 1200, 1935, 1215},
           "dll settings", frame)
      .SetFontSize(13.5)
      .SetAlignment(Alignment::kCenter);
  AddSettingRows(form, 1, frame);
  AddLabel(form, {"Label2", 1}, {0, 2760, 1455, 255}, "dllpintable.dat Path",
           frame)
      .SetAlignment(Alignment::kRight);
  form.Add(ControlKind::kTextBox, "txtPINTablePath", {1560, 2760, 3975, 285},
           "", frame)
      .SetBackColor(kColorNeutralBox);
  form.Add(ControlKind::kLabel, "lblWarn", {360, 3120, 5175, 615},
           "Make sure every POS station is pointed to the same Data Path. If "
           "this computer is a second POS station, make sure this path is not "
           "local to this computer, and it uses a path to the same files as "
           "all POS stations.",
           frame)
      .SetBackColor(ui::kColorWindowBackground);
  form.Add(ControlKind::kButton, "cmdSaveManualSettings",
           {3720, 3120, 1575, 615}, "Save these settings", frame)
      .SetBackColor(kColorUnusable)
      .SetVisible(false);
}

}  // namespace

std::vector<ExtensionCaption> ExtensionCaptions(const std::string& ext) {
  return {
      {"cmdBrowse", "Browse for ostrel" + ext},
      {"cmdSaveDllSettings", "Write a new ostrelZOLTDLL" + ext + " file"},
      {"Label3",
       "Path to ostrel" + ext + "  (this is where we will copy settings from)"},
      {"Label5", "Path that the ostrelzoltdll" + ext +
                     " file will be created in.... (where this program is)"},
      {{"fraSettingsOstrel", 0}, "ostrel" + ext + " settings"},
      {{"fraSettingsOstrel", 1}, "ostrelZOLTDLL" + ext + " settings"},
  };
}

void BuildFrmMain(Form& form) {
  form.SetBackColor(ui::kColorWhite);
  const auto captions = ExtensionCaptions(kExtIni);
  auto caption_of = [&captions](const ControlKey& key) {
    for (const auto& c : captions) {
      if (c.control == key) return c.caption;
    }
    return std::string();
  };

  // Exit comes first in the tab order.
  form.Add(ControlKind::kButton, "cmdExit", {240, 7800, 1095, 495}, "Exit");

  // The banner, with its frame drawn behind it and the picture beside it.
  form.Add(ControlKind::kShape, "Shape1", {120, 120, 10095, 735})
      .SetForeColor(ui::kColorPureBlue);
  form.Add(ControlKind::kLabel, "Label1", {240, 240, 9855, 495},
           "Ostrel ZOLT DLL Configuration Program for Version 10 and 20 DLLs")
      .SetFont({"MS Sans Serif", 13.5, true})
      .SetAlignment(Alignment::kCenter)
      .SetForeColor(ui::kColorPureBlue)
      .SetBackColor(ui::kColorLightGreen);
  form.Add(ControlKind::kImage, "Image1", {10320, 240, 1875, 555})
      .SetPicture("icon:application");
  AddLabel(form, "lblInstructions", {360, 960, 8775, 1335},
           kDesignInstructions);

  // The two main buttons, each with its help picture on its corner.
  form.Add(ControlKind::kButton, "cmdBrowse", {10200, 1200, 1815, 525},
           caption_of("cmdBrowse"))
      .SetBackColor(ui::kColorGrey);
  AddHelpPicture(form, {"Picture1", 1}, {9840, 840, 735, 495},
                 kDesignTipBrowse);
  AddHelpLetter(form, 0, "A", {"Picture1", 1});
  form.Add(ControlKind::kButton, "cmdSaveDllSettings", {10080, 1920, 2055, 975},
           caption_of("cmdSaveDllSettings"))
      .SetBackColor(ui::kColorLightGreen);
  AddHelpPicture(form, "Picture2", {9960, 1800, 495, 495}, kDesignTipVerify)
      .SetPicture("icon:information");
  AddHelpPicture(form, "Picture3", {0, 1920, 495, 495}, kDesignTipCopy)
      .SetPicture("icon:information");

  form.Add(ControlKind::kOption, {"optWindowsVersion", 0},
           {5640, 2400, 2055, 375}, "Windows XP")
      .SetBackColor(ui::kColorWhite)
      .SetValue(true);
  form.Add(ControlKind::kOption, {"optWindowsVersion", 1},
           {8040, 2400, 2055, 375}, "Windows Vista")
      .SetBackColor(ui::kColorWhite);

  AddLabel(form, "Label3", {240, 2835, 2775, 375}, caption_of("Label3"));
  form.Add(ControlKind::kTextBox, "txtPath2OstrelINI", {240, 3240, 5295, 375},
           "path");
  AddLabel(form, "Label5", {5880, 3000, 5655, 255}, caption_of("Label5"));
  form.Add(ControlKind::kTextBox, "txtPath2CreateDLLini",
           {5880, 3240, 5655, 375}, "path");

  AddProductFrame(form);
  AddLibraryFrame(form);

  // Between the two frames, over both.
  AddHelpPicture(form, {"Picture1", 0}, {5400, 4920, 735, 495},
                 kDesignTipBrowse);
  AddHelpLetter(form, 1, "B", {"Picture1", 0});

  AddLabel(form, "Label6", {5640, 7800, 6375, 615},
           "NOTE: ostrel database path is not used in this version of the "
           "dll. We are not recording PIN sales originating from POS stations "
           "in ostrel.. and rely on the POS reporting to generate basket sales "
           "reports.");
  AddLabel(form, "lblVersion", {240, 8520, 11805, 225}, "Version")
      .SetAlignment(Alignment::kCenter);
}

}  // namespace zolt::setup
