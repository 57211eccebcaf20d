// frmMain: construction, event dispatch, start-up, the Windows-version
// choice, the help pictures and Exit. The product side, the library side,
// the comparison, the checks and the writers live in their own files.
#include "setup/frm_main.h"

#include <exception>

#include "profile/profile.h"
#include "setup/frm_main_layout.h"
#include "setup/run_time_errors.h"
#include "setup/version.h"

namespace zolt::setup {

using ui::ControlKey;

std::unique_ptr<ui::Form> MakeFrmMainForm() {
  auto form = std::make_unique<ui::Form>("frmMain", kFrmMainCaption,
                                         kFrmMainWidth, kFrmMainHeight);
  BuildFrmMain(*form);
  return form;
}

FrmMain::FrmMain(ui::Form& form, ui::Dialogs& dialogs, Env& env,
                 FrmMainHost host)
    : dialogs_(dialogs),
      env_(env),
      host_(std::move(host)),
      paths_(SitePaths::For(env)),
      form_(form) {
  // Fixed on the form: the dialog's title names ostrel.ini whatever the
  // extension in force.
  cdPath_.title = "Browse for ostrel.ini file";
  form_.SetEvents(this);
}

FrmMain::~FrmMain() { form_.SetEvents(nullptr); }

std::string FrmMain::ProgramFolder() {
  const std::string exe = env_.ExecutablePath();
  const size_t cut = exe.find_last_of(paths_.separator());
  return cut == std::string::npos ? std::string() : exe.substr(0, cut);
}

std::string FrmMain::DllSettingsPath() {
  return paths_.Join(ProgramFolder(), "ostrelzoltdll" + decl_.SettingsExt);
}

std::string FrmMain::OstrelSettingsPath() {
  return paths_.Join(Text("txtPath2OstrelINI"), "ostrel" + decl_.SettingsExt);
}

std::string FrmMain::ReadSetting(const std::string& file, const char* section,
                                 const char* key) {
  return ProfileFile::Load(env_, file).GetString(section, key, kMissing, 256);
}

int FrmMain::Box(const std::string& prompt, int style,
                 const std::string& title) {
  return dialogs_.MsgBox(prompt, style, title);
}

void FrmMain::EndProgram() {
  ended_ = true;
  form_.Close();
}

// --- Events. ---

void FrmMain::OnLoad() {
  try {
    Form_Load();
  } catch (const std::exception& e) {
    ReportEscapedFailure(e);
  }
}

void FrmMain::OnClick(const ControlKey& control) {
  try {
    const std::string& name = control.name;
    if (name == "optWindowsVersion") {
      optWindowsVersion_Click(control.index);
    } else if (name == "Picture1" || name == "Picture2" || name == "Picture3") {
      HelpPicture_Click(control);
    } else if (name == "cmdExit") {
      cmdExit_Click();
    } else if (name == "cmdBrowse") {
      cmdBrowse_Click();
    } else if (name == "cmdReadOstrelINI") {
      cmdReadOstrelINI_Click();
    } else if (name == "cmdReadDLLINI") {
      cmdReadDLLINI_Click();
    } else if (name == "cmdSaveDllSettings") {
      cmdSaveDllSettings_Click();
    } else if (name == "cmdSaveManualSettings") {
      cmdSaveManualSettings_Click();
    }
  } catch (const std::exception& e) {
    ReportEscapedFailure(e);
  }
}

void FrmMain::OnKeyPress(const ControlKey& control, int key_ascii) {
  try {
    if (control == ControlKey("txtPINTablePath")) {
      txtPINTablePath_KeyPress(key_ascii);
    }
  } catch (const std::exception& e) {
    ReportEscapedFailure(e);
  }
}

// A failure that no handler on its way reported: shown, and the window
// stays usable rather than the program ending under the user.
void FrmMain::ReportEscapedFailure(const std::exception& e) {
  const ui::RunTimeError error = AsRunTimeError(e);
  Box("Run-time error '" + std::to_string(error.number()) + "':" + kCrLf +
          kCrLf + error.description(),
      ui::kMsgBoxCritical);
}

// --- Start-up. ---

void FrmMain::Form_Load() {
  if (host_.another_copy_running && host_.another_copy_running()) {
    EndProgram();
    return;
  }
  decl_.SettingsExt = kExtIni;
  const std::string folder = ProgramFolder();
  ui::Control& version = Ctl("lblVersion");
  version.SetText("Version " + std::to_string(kVersionMajor) + "." +
                  std::to_string(kVersionMinor) + "." +
                  std::to_string(kVersionRevision));
  version.SetText(version.text() + "  creating ostrelzoltdll" +
                  decl_.SettingsExt + " in " + folder);

  auto failure = Attempt([&] {
    Ctl("txtPath2CreateDLLini").SetText(folder);
    if (host_.show_window) host_.show_window();
    dialogs_.DoEvents();
    if (ended_) return;  // Exit was clicked meanwhile

    // The product folder that the last library settings file recorded.
    const std::string ostrel_folder =
        ProfileFile::Load(env_, DllSettingsPath())
            .GetString("Preferences", "OstrelPath",
                       paths_.DefaultOstrelFolder(), 256);
    Ctl("txtPath2OstrelINI").SetText(ostrel_folder);
    cdPath_.initial_dir = ostrel_folder;

    Clear_Ostrel_Info();
    Clear_DLL_Info();
    Read_Ostrel_Info();
    Ctl("cmdSaveDllSettings").SetEnabled(Validate_Ostrel_Info());
    Read_DLL_Info();
    Validate_DLL_Info();
    Compare_Settings();
    dialogs_.DoEvents();
    if (ended_) return;

    const std::string& ext = decl_.SettingsExt;
    Ctl("lblInstructions")
        .SetText(
            "            Make sure that both information boxes below are "
            "green. This indicates that the dll settings match the installed "
            "ostrel settings. If the DLL box on the right is red you will "
            "need to make a new settings file, (see #2). When both boxes are "
            "green, you can use the ostrelZOLTdll" +
            ext + " file created in " + folder +
            " (wherever you are running this program from)." + kCrLf + kCrLf +
            "     Make sure the ostrelzoltdll" + ext +
            " file created by this program is in the directory where your "
            "POS executable file and the ostrelZOLTDLL.DLL file is located.");
    Ctl("Picture1", 1)
        .SetToolTip("Browse for the ostrel" + ext +
                    " file which is located in the ostrel data path that you "
                    "should be sharing on the server or main ostrel "
                    "computer.");
    Ctl("Picture1", 0)
        .SetToolTip(
            "Make sure both boxes are green, indicating the DLL settings "
            "match the Ostrel settings. If not, click button at #2 to make a "
            "new dll settings file");
    Ctl("Picture2")
        .SetToolTip(
            "If the DLL (right) box is red, Click on this button to make a "
            "new dll settings file.");
    Ctl("Picture3")
        .SetToolTip("Copy the ostrelzoltdll" + ext +
                    " file to the directory where your POS executable file "
                    "and the ostrelZOLTDLL.DLL file is located.");
  });
  if (failure) {
    Box("Form Load Error " + std::to_string(failure->number()) + kCrLf + kCrLf +
        failure->description());
  }
}

// --- The Windows-version choice, help pictures and Exit. ---

void FrmMain::optWindowsVersion_Click(int index) {
  const std::string ext = index == 0 ? kExtIni : kExtDta;
  auto failure = Attempt([&] {
    for (const ExtensionCaption& c : ExtensionCaptions(ext)) {
      form_.Get(c.control).SetText(c.caption);
    }
    decl_.SettingsExt = ext;
  });
  if (failure) {
    Box("Error #" + std::to_string(failure->number()) + kCrLf + kCrLf +
            failure->description() + kCrLf + kCrLf +
            "Source: optWindowsVersion_Click",
        ui::kMsgBoxInformation);
  }
}

void FrmMain::HelpPicture_Click(const ControlKey& picture) {
  Box(form_.Get(picture).tool_tip());
}

void FrmMain::cmdExit_Click() {
  if (!Compare_Settings()) {
    const int answer =
        Box(std::string("DLL config file does not match Ostrel.") + kCrLf +
                kCrLf + "Do you wish to save a new dll settings file?",
            ui::kMsgBoxYesNo, "Save new ZOLTdll settings file?");
    if (answer == ui::kMsgBoxResultYes) {
      // The user asked to leave: a failure of the writer is shown, and the
      // program still ends.
      try {
        cmdSaveDllSettings_Click();
      } catch (const std::exception& e) {
        ReportEscapedFailure(e);
      }
    }
  }
  dialogs_.DoEvents();
  EndProgram();
}

}  // namespace zolt::setup
