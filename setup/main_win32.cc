// MakeZOLTconfigurationFile for Windows: the window frmMain drawn with the
// Win32 API.
#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "platform/env/env.h"
#include "platform/process/single_instance.h"
#include "setup/frm_main.h"
#include "setup/mod_declarations.h"
#include "setup/smoke_check.h"
#include "ui/unattended_dialogs.h"
#include "ui/win32/win32_dialogs.h"
#include "ui/win32/win32_form_view.h"
#include "ui/win32/win32_picture.h"

namespace {

// Lets the window draw what the model shows, then saves its picture.
bool SavePicture(zolt::ui::Win32FormView& view, const std::string& path,
                 std::ostream& log) {
  for (int i = 0; i < 10; ++i) {
    view.PumpPendingMessages();
    Sleep(50);
  }
  const bool saved = zolt::ui::SaveWindowPicture(view.hwnd(), path);
  if (!saved) log << "cannot save " << path << std::endl;
  return saved;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  using namespace zolt;
  std::string pictures;
  for (int i = 1; i < __argc; ++i) {
    if (pictures.empty()) pictures = setup::SmokeTestPicturePrefix(__argv[i]);
  }

  // Held for the whole run: a later copy's claim fails while this one lives.
  const std::unique_ptr<SingleInstance> claim =
      SingleInstance::Claim("MakeZOLTconfigurationFile");

  std::unique_ptr<ui::Form> form = setup::MakeFrmMainForm();
  ui::Win32FormView view(*form, instance);
  ui::Win32Dialogs native(view, setup::kAppTitle);
  // A GUI program has no console: the smoke test's log is a file.
  std::ofstream log;
  if (!pictures.empty()) log.open(pictures + ".log");
  ui::UnattendedDialogs unattended(native, log);
  ui::Dialogs& dialogs = pictures.empty()
                             ? static_cast<ui::Dialogs&>(native)
                             : static_cast<ui::Dialogs&>(unattended);
  const int show = pictures.empty() ? show_command : SW_SHOWNORMAL;
  setup::FrmMainHost host;
  host.another_copy_running = [&claim] { return claim == nullptr; };
  host.show_window = [&view, show] { view.Show(show); };
  setup::FrmMain window(*form, dialogs, Env::Default(), host);
  form->Load();
  if (window.ended()) {
    if (!pictures.empty()) log << "another copy is running" << std::endl;
    return pictures.empty() ? 0 : 3;
  }

  if (!pictures.empty()) {
    bool ok = setup::CheckRedStart(*form, log);
    ok &= SavePicture(view, pictures + "-red.bmp", log);
    ok &= setup::WriteAndCheckGreen(*form, log);
    ok &= SavePicture(view, pictures + "-green.bmp", log);
    form->Close();
    return ok ? 0 : 1;
  }
  return view.RunMessageLoop();
}
