#include "testapp/dlltestapp.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "OstrelZOLTDLL.h"
#include "testapp/result_messages.h"
#include "ui/conversions.h"
#include "ui/run_time_error.h"

namespace zolt::testapp {
namespace {

constexpr char kCrLf[] = "\r\n";
constexpr size_t kExpiryChars = 9;

std::string Num(int64_t v) { return ui::NumberText(v); }

}  // namespace

DLLTestAPP::DLLTestAPP(ui::Form& form, ui::Dialogs& dialogs, ZoltDll& dll,
                       ProgramVersion version)
    : form_(form), dialogs_(dialogs), dll_(dll), version_(version) {
  form_.SetEvents(this);
}

DLLTestAPP::~DLLTestAPP() { form_.SetEvents(nullptr); }

void DLLTestAPP::SetText(const char* name, const std::string& text) {
  form_.Get(name).SetText(text);
}

void DLLTestAPP::OnClick(const ui::ControlKey& control) {
  if (control.name == "optVersionFormat") {
    optVersionFormat_Click(control.index);
  } else if (control.name == "cmdGetPIN") {
    cmdGetPIN_Click();
  }
}

void DLLTestAPP::Form_Load() {
  form_.SetCaption(form_.caption() + " V" + Num(version_.major));
  char revision[16];
  std::snprintf(revision, sizeof revision, "%03d", version_.revision);
  SetText("lblVersion", "Version " + Num(version_.major) + "." +
                            Num(version_.minor) + "." + revision);
  form_.Get("optSize", 0).SetValue(true);
  click_counter_ = 0;
  SetText("lblCounter", Num(click_counter_));
  form_.Get("optVersionFormat", 0).SetValue(true);  // runs its click
  SetText("lblVersionFormat",
          std::string("check_SoldOut_Condition(lVendor, lLocation, lSize)") +
              kCrLf + kCrLf + "ZoltResult(lVendor, lLocation, lSize, sExpiryTime)");
}

void DLLTestAPP::optVersionFormat_Click(int index) {
  if (index == 0) {
    SetText("lblVersionFormat",
            std::string("check_SoldOut_Condition(lVendor, lLocation, lSize)") +
                kCrLf + kCrLf +
                "ZoltResult(lVendor, lLocation, lSize, sExpiryTime)");
  } else if (index == 1) {
    SetText("lblVersionFormat", std::string("check_SoldOut_Condition(lSize)") +
                                    kCrLf + kCrLf + "ZoltResult(lSize, sExpiryTime)");
    dialogs_.MsgBox("Version 8 was never released... do not use version 8 dlls",
                    ui::kMsgBoxOkOnly, kProgramTitle);
  }
}

void DLLTestAPP::cmdGetPIN_Click() {
  // The count stops at the largest 16-bit value instead of failing.
  if (click_counter_ < std::numeric_limits<int16_t>::max()) ++click_counter_;
  SetText("lblCounter", Num(click_counter_));

  int32_t lSize = 1;
  if (form_.Get("optSize", 0).value()) lSize = 1;
  if (form_.Get("optSize", 1).value()) lSize = 2;
  if (form_.Get("optSize", 2).value()) lSize = 3;

  try {
    GetPinRun(lSize);
  } catch (const ui::RunTimeError& e) {
    ReportRunError(e.number(), e.description());
  } catch (const std::bad_alloc&) {
    ReportRunError(7, "Out of memory");
  }
}

void DLLTestAPP::ReportRunError(int number, const std::string& description) {
  std::string text = "Error: " + Num(number) + "   " + description;
  if (number == ui::kErrorDllLoad) {
    text += std::string(kCrLf) + kCrLf +
            "The OstrelZOLTDLL.dll must be located in the System directory  "
            "or the application directory calling the OstrelZOLTDLL.dll";
  }
  dialogs_.MsgBox(text, ui::kMsgBoxOkOnly, kProgramTitle);
}

bool DLLTestAPP::AskQuit(const std::string& prompt) {
  return dialogs_.MsgBox(prompt, ui::kMsgBoxYesNo, "Quit") ==
         ui::kMsgBoxResultYes;
}

int32_t DLLTestAPP::CallZoltResult(int32_t lSize, std::string& sExpiryTime) {
  // The 9 characters and a terminating zero, in a buffer of the size the
  // library may fill; afterwards the first 9 bytes come back, whatever the
  // library wrote there.
  char buffer[ZOLT_EXPIRY_BUFFER_SIZE + 4] = {};
  std::memcpy(buffer, sExpiryTime.data(), kExpiryChars);
  const int32_t r = dll_.ZoltResult(kVendor, kLocation, lSize, buffer);
  sExpiryTime.assign(buffer, kExpiryChars);
  return r;
}

void DLLTestAPP::GetPinRun(int32_t lSize) {
  ui::Control& lblPIN = form_.Get("lblPIN");
  ui::Control& lblMsgBox = form_.Get("lblMsgBox");
  ui::Control& lblExpiry = form_.Get("lblExpiry");

  std::string sExpiryTime(kExpiryChars, ' ');
  std::string answer = dialogs_.InputBox("How many PINs?", "How Many PINs?", "1");
  int16_t pins = 1;
  if (ui::IsNumeric(answer)) {
    if (ui::ToLong(answer) > kMaxPins) answer = Num(kMaxPins);
    pins = ui::ToInteger(answer);
  }
  lblPIN.SetText("");

  for (int16_t i = 1; i <= pins; ++i) {
    const int32_t s = dll_.check_SoldOut_Condition(kVendor, kLocation, lSize);
    if (s > 0) {
      lblMsgBox.SetText("SoldOut Test returned: " + Num(s));
      const std::string before = lblPIN.text();
      const int32_t r = CallZoltResult(lSize, sExpiryTime);
      lblPIN.SetText(before + Num(r) + kCrLf);
      lblExpiry.SetText(sExpiryTime);
      lblMsgBox.SetText(Num(s));
      dialogs_.Repaint(lblMsgBox.key());
      dialogs_.Repaint(lblPIN.key());
      dialogs_.Repaint(lblExpiry.key());
    } else {
      i = pins;  // this pass is the last
      if (s == ZOLT_E_SOLD_OUT) {
        lblMsgBox.SetText(Num(s));
        dialogs_.Repaint(lblMsgBox.key());
        lblPIN.SetText(Num(s));
        dialogs_.Repaint(lblPIN.key());
        dialogs_.DoEvents();
        lblExpiry.SetText("SOLD OUT");
        dialogs_.DoEvents();
        dialogs_.Repaint(lblExpiry.key());
        dialogs_.DoEvents();
        if (AskQuit("Sold out PINS at  " + Num(s))) return;
      } else {
        lblPIN.SetText(Num(s));
      }
    }
    // Only a result that stands alone in lblPIN (the sold-out branch) can
    // match these.
    if (lblPIN.text() == "-1") {
      lblMsgBox.SetText(Num(s));
      dialogs_.Repaint(lblMsgBox.key());
      dialogs_.DoEvents();
      if (AskQuit("Error -1 at " + Num(s))) return;
    }
    if (lblPIN.text() == "-104") {
      lblMsgBox.SetText(Num(s));
      dialogs_.Repaint(lblMsgBox.key());
      dialogs_.DoEvents();
      if (AskQuit("Error -104  at " + Num(s))) return;
    }
    // The first line decides the message of every pass.
    const double v = ui::LeadingNumber(lblPIN.text());
    lblMsgBox.SetText(ResultCodeMessage(v));
    if (v < 0) {
      dialogs_.MsgBox("Error: " + ui::NumberText(v) + kCrLf + kCrLf +
                          lblMsgBox.text(),
                      ui::kMsgBoxOkOnly, "ALERT");
    }
    SetText("lblCounter", Num(i));
  }
}

void DLLTestAPP::Form_KeyUp(int key_code, int /*shift*/) {
  if (key_code == ui::kKeyEscape) form_.Close();
}

}  // namespace zolt::testapp
