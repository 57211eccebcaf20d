// Compare_Settings: marks every library-side value that differs from the
// product's, and says where the product file and the PIN tables live.
#include "setup/frm_main.h"

namespace zolt::setup {

bool FrmMain::Compare_Settings() {
  bool agree = true;

  // The data path is shown, not counted: the stations may reach the same
  // folder under another name.
  if (Text("txtDataPath", 0) != Text("txtPINTablePath")) {
    Ctl("txtPINTablePath").SetBackColor(kColorMismatch);
  }

  // Set once, so that an unchanged window does not flicker.
  Ctl("lblWarn").SetBackColor(paths_.IsLocalDataPath(Text("txtPINTablePath"))
                                  ? kColorWarning
                                  : ui::kColorWindowBackground);

  ShowComputerName(Text("txtPath2OstrelINI"),
                   "on: Unknown Computer.    Confirm path if mapped drive");

  for (const char* box : {"txtSeason", "txtPINEncrypt", "txtPINExpiry",
                          "txtLocation", "txtVendor"}) {
    if (Text(box, 0) != Text(box, 1)) {
      Ctl(box, 1).SetBackColor(kColorMismatch);
      agree = false;
    }
  }

  if (!agree) {
    Ctl("lblsettingsmsg", 1)
        .SetText("The DLL will not work. Files need to match");
    Ctl("fraSettingsOstrel", 1).SetBackColor(kColorUnusable);
  }
  return agree;
}

}  // namespace zolt::setup
