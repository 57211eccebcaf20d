// Validate_Ostrel_Info and Validate_DLL_Info: is each side usable? Each
// colours its frame green or red and sets the frame's verdict line.
#include <string>

#include "setup/frm_main.h"
#include "setup/run_time_errors.h"

namespace zolt::setup {

bool FrmMain::Validate_Ostrel_Info() {
  bool result = true;
  if (IsMissing("txtDataPath", 0)) result = false;
  if (IsMissing("txtSeason", 0)) result = false;
  if (IsMissing("txtPINEncrypt", 0)) result = false;
  if (IsMissing("txtPINExpiry", 0)) result = false;
  if (Text("txtPINExpiry", 0) == "1") {
    result = false;
    Box(std::string("PIN Expiry is set to 1 which indicates") + kCrLf +
        "that PINs are turned off inside Ostrel." + kCrLf + kCrLf +
        "Verify that the client has a Ostrel Version 8");
  }
  if (IsMissing("txtLocation", 0)) result = false;
  if (IsMissing("txtVendor", 0)) result = false;

  // Advice, not a failure: the product's own folder only works for a site
  // with a single computer.
  if (paths_.IsProductInstallFolder(Text("txtDataPath", 0))) {
    const std::string folder = "'" + paths_.ProductInstallFolderText() + "'";
    Box(std::string("WARNING! ") + kCrLf + kCrLf + folder + kCrLf +
            "is not a valid path UNLESS there is" + kCrLf +
            "ONLY ONE POS COMPUTER and" + kCrLf + "it has ostrel installed." +
            kCrLf + kCrLf +
            "Ostrel data needs to be located in a different folder" + kCrLf +
            "other than " + folder + kCrLf +
            "when there is more than one computer involved.",
        ui::kMsgBoxExclamation, "Path Warning!");
  }

  if (result) {
    Ctl("lblsettingsmsg", 0).SetText("ostrel settings seem to be OK");
    Ctl("fraSettingsOstrel", 0).SetBackColor(kColorUsable);
  } else {
    Ctl("lblsettingsmsg", 0).SetText("ostrel settings are incorrect");
    Ctl("fraSettingsOstrel", 0).SetBackColor(kColorUnusable);
  }
  return result;
}

bool FrmMain::Validate_DLL_Info() {
  bool result = true;
  auto failure = Attempt([&] {
    if (IsMissing("txtPINTablePath")) result = false;
    for (const char* box : {"txtSeason", "txtPINEncrypt", "txtPINExpiry",
                            "txtLocation", "txtVendor"}) {
      if (IsMissing(box, 1)) result = false;
    }
    // Reported, not counted: the folder may only be missing on this
    // computer.
    if (!IsMissing("txtPINTablePath")) {
      const std::string path = Text("txtPINTablePath");
      if (!env_.FolderExists(path)) {
        const std::string& ext = decl_.SettingsExt;
        Box("The datapath '" + path + kCrLf +
            "to dllpintable.dat inside ostrelzoltdll" + ext +
            " does not exist on this computer." + kCrLf + kCrLf +
            "Check that the path indicated below exists on this computer." +
            kCrLf + "Check for:    " + path + kCrLf + kCrLf +
            "The dll will return -610 errors with the data path above." +
            kCrLf + "This path needs to be fixed in the ostrelzoltdll" + ext +
            " file.");
      }
    }
    if (result) {
      Ctl("lblsettingsmsg", 1).SetText("DLL settings seem to be OK");
      Ctl("fraSettingsOstrel", 1).SetBackColor(kColorUsable);
    } else {
      Ctl("lblsettingsmsg", 1).SetText("DLL settings are incorrect");
      Ctl("fraSettingsOstrel", 1).SetBackColor(kColorUnusable);
    }
  });
  if (failure) {
    Box("Validate_DLL_Info Error: " + std::to_string(failure->number()) +
        kCrLf + failure->description());
    return false;
  }
  return result;
}

}  // namespace zolt::setup
