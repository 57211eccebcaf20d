// The library side of frmMain: the library settings file beside the setup
// program read into the right-hand frame.
#include <string>

#include "setup/frm_main.h"
#include "setup/run_time_errors.h"

namespace zolt::setup {

void FrmMain::Clear_DLL_Info() {
  const ui::ControlKey boxes[] = {
      {"txtPINTablePath"}, {"txtSeason", 1},   {"txtPINEncrypt", 1},
      {"txtPINExpiry", 1}, {"txtLocation", 1}, {"txtVendor", 1},
  };
  for (const ui::ControlKey& box : boxes) {
    form_.Get(box).SetText(kMissing).SetBackColor(kColorNeutralBox);
  }
}

void FrmMain::Read_DLL_Info() {
  // Only texts change: a box that a comparison marked keeps its red until
  // Clear_DLL_Info.
  auto failure = Attempt([&] {
    Ctl("txtPINTablePath")
        .SetText(
            ReadSetting(DllSettingsPath(), "Preferences", "Pathtopintable"));
    Ctl("txtSeason", 1)
        .SetText(ReadSetting(DllSettingsPath(), "Preferences", "Season"));
    Ctl("txtVendor", 1)
        .SetText(ReadSetting(DllSettingsPath(), "Preferences", "Vendor"));
    Ctl("txtLocation", 1)
        .SetText(ReadSetting(DllSettingsPath(), "Preferences", "Location"));
    Ctl("txtPINExpiry", 1)
        .SetText(ReadSetting(DllSettingsPath(), "Preferences", "PINExpiry"));
    ShowExpiryMeaning(1);
    Ctl("txtPINEncrypt", 1)
        .SetText(ReadSetting(DllSettingsPath(), "Preferences", "PINCrypt"));
  });
  if (failure) {
    Box("Read INI Error " + std::to_string(failure->number()) + kCrLf + kCrLf +
        failure->description());
  }
}

void FrmMain::cmdReadDLLINI_Click() {
  Read_DLL_Info();
  Ctl("cmdSaveDllSettings").SetEnabled(Validate_DLL_Info());
  Compare_Settings();
}

}  // namespace zolt::setup
