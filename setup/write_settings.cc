// Writing the library settings file: from the product side
// (cmdSaveDllSettings, with the erasing of the day's PIN tables when the
// season or the PIN-crypt number changes) or with a typed PIN-table folder
// (cmdSaveManualSettings).
//
// The file is changed in memory and written out at the flush in one atomic
// replace, so a failure leaves the old file whole. A file that cannot be
// written is reported as such: no success box follows and no PIN table is
// erased, since the stations would go on using the old settings.
#include <string>

#include "profile/profile.h"
#include "setup/frm_main.h"
#include "setup/run_time_errors.h"

namespace zolt::setup {

namespace {

// The PIN table files of the shared data folder, in the order they are
// erased.
constexpr const char* kPINTableFiles[] = {"DLLPINTable.dat", "PINTable.dat"};

}  // namespace

void FrmMain::WriteLibrarySettings(const KeyValues& keys) {
  const std::string path = DllSettingsPath();
  ProfileFile file = ProfileFile::Load(env_, path);
  // A missing file is created; one that exists but cannot be read must not
  // be replaced by a file holding only these keys.
  const FileError load = file.load_error();
  if (load != FileError::kNone && load != FileError::kNotFound &&
      load != FileError::kBadPath) {
    throw PathFileAccessError(path, load, "read");
  }
  for (const auto& [key, value] : keys) {
    file.SetString("Preferences", key, value);
  }
  const FileError saved = file.Save(env_, path);
  if (saved != FileError::kNone) {
    throw PathFileAccessError(path, saved, "write");
  }
}

bool FrmMain::Write_DLL_Settings() {
  auto failure = Attempt([&] {
    WriteLibrarySettings({
        {"OstrelPath", Text("txtPath2OstrelINI")},
        {"Pathtopintable", Text("txtDataPath", 0)},
        {"Vendor", Text("txtVendor", 0)},
        {"Location", Text("txtLocation", 0)},
        {"Season", Text("txtSeason", 0)},
        {"PINExpiry", Text("txtPINExpiry", 0)},
        {"PINCrypt", Text("txtPINEncrypt", 0)},
    });
  });
  if (!failure) return true;
  Box("Write DLL " + decl_.SettingsExt + " Settings Error " +
      std::to_string(failure->number()) + kCrLf + kCrLf +
      failure->description());
  return false;
}

bool FrmMain::SecuritySettingsChanged() {
  // The marks of the last comparison: the library settings as last read
  // differ from the product's in the season or the PIN-crypt number.
  return Ctl("txtSeason", 1).back_color() == kColorMismatch ||
         Ctl("txtPINEncrypt", 1).back_color() == kColorMismatch;
}

void FrmMain::EraseOldPINTables() {
  // The folder of the library settings as last read: that is where the
  // stations built today's tables with the old settings.
  const std::string folder = Text("txtPINTablePath");
  for (const char* name : kPINTableFiles) {
    const std::string table = paths_.Join(folder, name);
    if (!env_.FileExists(table)) {
      Box("Can't find " + table);
      continue;
    }
    Box(std::string("erasing ") + name +
        " because of security settings changing");
    const FileError removed = env_.RemoveFile(table);
    if (removed != FileError::kNone) {
      Box("Can't erase " + table + kCrLf + kCrLf +
          "Cause: " + FileErrorName(removed) + "." + kCrLf +
          "Delete it once no POS station is using it: until then the "
          "stations hand out PINs made with the old settings.");
    }
    dialogs_.DoEvents();
  }
}

void FrmMain::cmdSaveDllSettings_Click() {
  if (!Validate_Ostrel_Info()) {
    Box("cannot create a dll settings file with the ostrel information "
        "provided");
    return;
  }
  if (!Write_DLL_Settings()) return;

  const std::string& ext = decl_.SettingsExt;
  const std::string program_folder = ProgramFolder();
  Box(std::string("This program is getting ostrel settings from") + kCrLf +
      paths_.Join(Text("txtPath2OstrelINI"), "ostrel" + ext) + kCrLf + kCrLf +
      "ostrelzoltdll" + ext + " has been created or modified in" + kCrLf +
      program_folder);
  Box("Copy the new ostrelzoltdll" + ext + " file located in '" +
      program_folder + "'" + kCrLf +
      "to the directory where your POS executable file and the "
      "ostrelZOLTDLL.DLL file is located.");

  if (SecuritySettingsChanged()) EraseOldPINTables();

  Clear_DLL_Info();
  Read_DLL_Info();
  Validate_DLL_Info();
}

void FrmMain::cmdSaveManualSettings_Click() {
  auto failure = Attempt([&] {
    const std::string typed = Text("txtPINTablePath");
    if (!typed.empty() && !env_.FolderExists(typed)) {
      Box(std::string("Manually entered path") + kCrLf + typed + kCrLf +
          "to ostrel data is not a valid path." + kCrLf + kCrLf +
          "ini file settings not saved.");
      Ctl("fraSettingsOstrel", 1).SetBackColor(kColorUnusable);
      Ctl("cmdSaveManualSettings").SetVisible(false);
      return;
    }
    WriteLibrarySettings({
        {"OstrelPath", Text("txtPath2OstrelINI")},
        {"Pathtopintable", typed},
        {"Vendor", Text("txtVendor", 0)},
        {"Location", Text("txtLocation", 0)},
        {"Season", Text("txtSeason", 0)},
        {"PINExpiry", Text("txtPINExpiry", 0)},
        {"PINCrypt", Text("txtPINEncrypt", 0)},
    });
    Box("Manual Settings ini file saved");
    Ctl("cmdSaveManualSettings").SetVisible(false);
  });
  if (failure) {
    // The button stays, so the user can fix the cause and save again.
    Box("Write DLL INI Settings Error " + std::to_string(failure->number()) +
        kCrLf + kCrLf + failure->description());
  }
}

void FrmMain::txtPINTablePath_KeyPress(int /*key_ascii*/) {
  Ctl("cmdSaveManualSettings").SetVisible(true);
}

}  // namespace zolt::setup
