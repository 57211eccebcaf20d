// The product side of frmMain: the product configuration file (ostrel.ini or
// ostrel.dta) read into the left-hand frame, the browse for that file, and
// the computer-name label that says where it lives.
#include <string>

#include "setup/frm_main.h"
#include "setup/run_time_errors.h"
#include "setup/site_numbers.h"

namespace zolt::setup {

namespace {

// The browse accepts only the product file itself: the separator, "ostrel"
// and either extension, case counting.
constexpr size_t kProductFileNameLength = 11;  // "\ostrel.ini"

}  // namespace

void FrmMain::Clear_Ostrel_Info() {
  for (const char* box : {"txtDataPath", "txtSeason", "txtPINEncrypt",
                          "txtPINExpiry", "txtLocation", "txtVendor"}) {
    Ctl(box, 0).SetText(kMissing);
  }
}

void FrmMain::Read_Ostrel_Info() {
  auto failure = Attempt([&] {
    ui::Control& data_path = Ctl("txtDataPath", 0);
    data_path.SetText(
        ReadSetting(OstrelSettingsPath(), "Preferences", "DataPath"));
    // The product may store its data folder with a trailing forward slash;
    // one is dropped so that the path compares with the library's.
    if (!data_path.text().empty() && data_path.text().back() == '/') {
      data_path.SetText(
          data_path.text().substr(0, data_path.text().size() - 1));
    }
    Ctl("txtSeason", 0)
        .SetText(ReadSetting(OstrelSettingsPath(), "Security", "Season"));
    Ctl("txtVendor", 0)
        .SetText(SiteNumberText(
            ReadSetting(OstrelSettingsPath(), kSiteSection, kSiteVendorKey)));
    Ctl("txtLocation", 0)
        .SetText(SiteNumberText(
            ReadSetting(OstrelSettingsPath(), kSiteSection, kSiteLocationKey)));
    Ctl("txtPINExpiry", 0)
        .SetText(ReadSetting(OstrelSettingsPath(), "Other", "PINExpiry"));
    ShowExpiryMeaning(0);
    Ctl("txtPINEncrypt", 0)
        .SetText(ReadSetting(OstrelSettingsPath(), "Other", "PINCrypt"));
  });
  if (failure) {
    Box("Read INI Error " + std::to_string(failure->number()) + kCrLf + kCrLf +
        failure->description());
  }
}

void FrmMain::ShowExpiryMeaning(int side) {
  ui::Control& minutes = Ctl("lblMinutes", side);
  minutes.SetText("minutes");
  const std::string& expiry = Text("txtPINExpiry", side);
  if (expiry == "0") minutes.SetText("PINS last until midnight");
  if (expiry == "1") minutes.SetText("PINS are turned off and will not work");
}

void FrmMain::ShowComputerName(const std::string& path,
                               const std::string& unknown_caption) {
  // Transparent unless the path lies on no known computer, where the red
  // background shows; each property is set once.
  ui::Control& label = Ctl("lblComputerName");
  const PathLocation where = paths_.Locate(path);
  label.SetBackStyle(where.kind == PathLocation::Kind::kUnknown
                         ? ui::BackStyle::kOpaque
                         : ui::BackStyle::kTransparent);
  switch (where.kind) {
    case PathLocation::Kind::kNetwork:
      label.SetText("on: " + where.server_part);
      break;
    case PathLocation::Kind::kThisComputer:
      label.SetText("on: This Computer");
      break;
    case PathLocation::Kind::kUnknown:
      label.SetText(unknown_caption);
      break;
  }
}

void FrmMain::cmdBrowse_Click() {
  auto failure = Attempt([&] {
    cdPath_.filter =
        "All Files (*.*)|*.*|Config Files"
        "(*.cfg)|*.cfg|ini Files (*.ini)|*.ini|dta Files (*.dta)|*.dta";
    cdPath_.default_ext = ".ini";
    cdPath_.file_name = "ostrel.ini";
    cdPath_.filter_index = 3;
    cdPath_.flags = ui::kOpenFileMustExist | ui::kOpenHideReadOnly;
    const ui::FileOpenResult picked = dialogs_.ShowOpen(cdPath_);
    if (picked.error != 0) {
      throw ui::RunTimeError(picked.error,
                             picked.error == ui::kErrorDialogCancelled
                                 ? "Cancel was selected."
                                 : "The file dialog failed.");
    }
    cdPath_.file_name = picked.file_name;
    cdPath_.filter_index = picked.filter_index;

    const std::string& chosen = picked.file_name;
    const std::string sep(1, paths_.separator());
    const std::string tail =
        chosen.size() > kProductFileNameLength
            ? chosen.substr(chosen.size() - kProductFileNameLength)
            : chosen;
    if (tail == sep + "ostrel" + kExtIni || tail == sep + "ostrel" + kExtDta) {
      Ctl("txtPath2OstrelINI")
          .SetText(chosen.substr(0, chosen.size() - kProductFileNameLength));
      Clear_Ostrel_Info();
      Read_Ostrel_Info();
      Ctl("cmdSaveDllSettings").SetEnabled(Validate_Ostrel_Info());
      Compare_Settings();
    } else {
      Box("You need to select 'ostrel" + decl_.SettingsExt +
          "' as the source file.");
    }
    ShowComputerName(chosen, "on: Unknown Computer.    Confirm path");
  });
  if (failure && failure->number() != ui::kErrorDialogCancelled) {
    Box("Error: " + std::to_string(failure->number()) + kCrLf + kCrLf +
        failure->description());
  }
}

void FrmMain::cmdReadOstrelINI_Click() {
  Read_Ostrel_Info();
  Ctl("cmdSaveDllSettings").SetEnabled(Validate_Ostrel_Info());
  Compare_Settings();
}

}  // namespace zolt::setup
