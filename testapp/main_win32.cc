// ZOLTDLLTestAPP for Windows: the window DLLTestAPP drawn with the Win32 API.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "testapp/dlltestapp.h"
#include "testapp/dlltestapp_form.h"
#include "testapp/modDeclareZOLTDLL.h"
#include "testapp/smoke_check.h"
#include "ui/unattended_dialogs.h"
#include "ui/win32/win32_dialogs.h"
#include "ui/win32/win32_form_view.h"
#include "ui/win32/win32_picture.h"

namespace {

// Presses GET PIN, lets the window draw, saves its picture and closes it.
// What the window showed and every box go to <picture>.log.
int RunSmokeTest(zolt::ui::Form& form, zolt::ui::Win32FormView& view,
                 zolt::ui::Dialogs& native, const std::string& picture) {
  std::ofstream log(picture + ".log");
  zolt::ui::UnattendedDialogs unattended(native, log);
  zolt::testapp::modDeclareZOLTDLL dll;
  zolt::testapp::DLLTestAPP window(form, unattended, dll);
  form.Load();
  view.Show(SW_SHOWNORMAL);
  view.PumpPendingMessages();
  const bool ok = zolt::testapp::PressGetPinAndCheck(form, log);
  for (int i = 0; i < 10; ++i) {  // let the display catch up
    view.PumpPendingMessages();
    Sleep(50);
  }
  const bool saved = zolt::ui::SaveWindowPicture(view.hwnd(), picture);
  if (!saved) log << "cannot save " << picture << std::endl;
  form.Close();
  return ok && saved ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  using namespace zolt;
  std::string picture;
  for (int i = 1; i < __argc; ++i) {
    if (picture.empty()) picture = testapp::SmokeTestPicture(__argv[i]);
  }

  std::unique_ptr<ui::Form> form = testapp::BuildDLLTestAPPForm();
  ui::Win32FormView view(*form, instance);
  ui::Win32Dialogs native(view, testapp::kProgramTitle);
  if (!picture.empty()) return RunSmokeTest(*form, view, native, picture);

  testapp::modDeclareZOLTDLL dll;
  testapp::DLLTestAPP window(*form, native, dll);
  form->Load();
  view.Show(show_command);
  return view.RunMessageLoop();
}
