// The window DLLTestAPP: its start-up, the choice of calling format, the
// GET PIN run with its messages and error handler, and Escape. Acts only on
// the form model, a Dialogs and the library binding, so every handler runs
// headless in tests.
#ifndef ZOLT_TESTAPP_DLLTESTAPP_H_
#define ZOLT_TESTAPP_DLLTESTAPP_H_

#include <cstdint>
#include <string>

#include "testapp/modDeclareZOLTDLL.h"
#include "testapp/version.h"
#include "ui/dialogs.h"
#include "ui/form.h"

namespace zolt::testapp {

// The title of message boxes that name none of their own.
inline constexpr char kProgramTitle[] = "ZOLTDLLTestAPP";

// The program identifies itself to the library with these on every call.
inline constexpr int32_t kVendor = 199;
inline constexpr int32_t kLocation = 1;

inline constexpr int16_t kMaxPins = 1440;

struct ProgramVersion {
  int major = ZOLTDLLTESTAPP_VERSION_MAJOR;
  int minor = ZOLTDLLTESTAPP_VERSION_MINOR;
  int revision = ZOLTDLLTESTAPP_VERSION_REVISION;
};

class DLLTestAPP final : public ui::FormEvents {
 public:
  // Registers itself for the form's events; form, dialogs and dll must
  // outlive it.
  DLLTestAPP(ui::Form& form, ui::Dialogs& dialogs, ZoltDll& dll,
             ProgramVersion version = {});
  ~DLLTestAPP() override;

  void Form_Load();
  void optVersionFormat_Click(int index);
  void cmdGetPIN_Click();
  void Form_KeyUp(int key_code, int shift);
  void Form_Unload() {}

  int16_t click_counter() const { return click_counter_; }

  // ui::FormEvents
  void OnLoad() override { Form_Load(); }
  void OnClick(const ui::ControlKey& control) override;
  void OnKeyUp(const ui::ControlKey&, int key_code, int shift) override {
    Form_KeyUp(key_code, shift);
  }
  void OnUnload() override { Form_Unload(); }

 private:
  // Steps 4 to 8 of a run; run-time failures leave as ui::RunTimeError.
  void GetPinRun(int32_t lSize);
  // ZoltResult through a byte buffer of the size every caller owes the
  // library; sExpiryTime (9 characters) goes in and comes back.
  int32_t CallZoltResult(int32_t lSize, std::string& sExpiryTime);
  // The Yes/No "Quit" box of the error branches; true when the user quits.
  bool AskQuit(const std::string& prompt);
  void ReportRunError(int number, const std::string& description);
  void SetText(const char* name, const std::string& text);

  ui::Form& form_;
  ui::Dialogs& dialogs_;
  ZoltDll& dll_;
  ProgramVersion version_;
  int16_t click_counter_ = 0;
};

}  // namespace zolt::testapp

#endif  // ZOLT_TESTAPP_DLLTESTAPP_H_
