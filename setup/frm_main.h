// frmMain, the setup program's one window: the product's PIN settings on the
// left, the library's on the right, the checks that colour them and the
// buttons that write a new library settings file.
//
// Every handler acts on the form model, a Dialogs and an Env only, so the
// whole program runs headless in tests. The operations keep the names the
// site tools have always used (Read_Ostrel_Info, Compare_Settings, ...).
// Handlers that report their own failures catch them; the others let them
// pass to their caller, and OnClick/OnKeyPress/OnLoad report whatever still
// escapes instead of letting it end the program.
#ifndef ZOLT_SETUP_FRM_MAIN_H_
#define ZOLT_SETUP_FRM_MAIN_H_

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/env/env.h"
#include "setup/mod_declarations.h"
#include "setup/site_paths.h"
#include "ui/dialogs.h"
#include "ui/form.h"

namespace zolt::setup {

// What the program's entry point lends the window.
struct FrmMainHost {
  // True when another copy of the program is already running; start-up then
  // ends the program before the window is shown. Unset: never.
  std::function<bool()> another_copy_running;
  // Shows the window without waiting for it to close. Unset: nothing to do
  // (headless).
  std::function<void()> show_window;
};

// The window as designed, before start-up: every control of frmMain.
std::unique_ptr<ui::Form> MakeFrmMainForm();

class FrmMain final : public ui::FormEvents {
 public:
  // Handles the events of form (made by MakeFrmMainForm), which must
  // outlive this object, as must dialogs and env.
  FrmMain(ui::Form& form, ui::Dialogs& dialogs, Env& env,
          FrmMainHost host = {});
  ~FrmMain() override;
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  ui::Form& form() { return form_; }
  const std::string& SettingsExt() const { return decl_.SettingsExt; }
  // The file-open dialog's settings as the last browse left them.
  const ui::FileOpenRequest& cdPath() const { return cdPath_; }
  // True once the program has ended: a second copy at start-up, or Exit.
  bool ended() const { return ended_; }
  // The folder that holds the running program, without a trailing
  // separator: the library settings file is read and written there.
  std::string ProgramFolder();
  // Where the library settings file is: program folder + "ostrelzoltdll" +
  // SettingsExt.
  std::string DllSettingsPath();

  // --- Events (ui::FormEvents). ---
  void OnLoad() override;
  void OnClick(const ui::ControlKey& control) override;
  void OnKeyPress(const ui::ControlKey& control, int key_ascii) override;

  // --- Event handlers. ---
  void Form_Load();
  void optWindowsVersion_Click(int index);
  // Picture1(i), Picture2 and Picture3: the picture's help text in a box.
  void HelpPicture_Click(const ui::ControlKey& picture);
  void cmdExit_Click();
  void cmdBrowse_Click();
  void cmdReadOstrelINI_Click();
  void cmdReadDLLINI_Click();
  void cmdSaveDllSettings_Click();
  void cmdSaveManualSettings_Click();
  void txtPINTablePath_KeyPress(int key_ascii);

  // --- Operations. ---
  void Clear_Ostrel_Info();
  void Read_Ostrel_Info();
  void Clear_DLL_Info();
  void Read_DLL_Info();
  bool Compare_Settings();
  bool Validate_Ostrel_Info();
  bool Validate_DLL_Info();
  // Writes the product side into the library settings file. Reports its own
  // failure and returns false when the file could not be written.
  bool Write_DLL_Settings();

 private:
  using KeyValues = std::vector<std::pair<std::string, std::string>>;

  ui::Control& Ctl(const char* name, int index = ui::kNoIndex) {
    return form_.Get(name, index);
  }
  const std::string& Text(const char* name, int index = ui::kNoIndex) {
    return Ctl(name, index).text();
  }
  bool IsMissing(const char* name, int index = ui::kNoIndex) {
    return Text(name, index) == kMissing;
  }
  int Box(const std::string& prompt, int style = ui::kMsgBoxOkOnly,
          const std::string& title = {});
  void EndProgram();

  // One GetPrivateProfileStringA with the default "x" and a 256-character
  // buffer.
  std::string ReadSetting(const std::string& file, const char* section,
                          const char* key);
  std::string OstrelSettingsPath();
  // "minutes", or what a PIN expiry of "0" or "1" means.
  void ShowExpiryMeaning(int side);
  // The computer-name label for a path; unknown_caption is the caption of a
  // path on no known computer.
  void ShowComputerName(const std::string& path,
                        const std::string& unknown_caption);
  // Writes the keys into [Preferences] of the library settings file and
  // flushes it; throws a RunTimeError when the file cannot be written.
  void WriteLibrarySettings(const KeyValues& keys);
  bool SecuritySettingsChanged();
  void EraseOldPINTables();
  void ReportEscapedFailure(const std::exception& e);

  ui::Dialogs& dialogs_;
  Env& env_;
  FrmMainHost host_;
  SitePaths paths_;
  ModDeclarations decl_;
  ui::Form& form_;
  ui::FileOpenRequest cdPath_;
  bool ended_ = false;
};

}  // namespace zolt::setup

#endif  // ZOLT_SETUP_FRM_MAIN_H_
