// The design of the window DLLTestAPP: every control with its caption,
// position (twips), font and group, as the window opens before start-up.
#ifndef ZOLT_TESTAPP_DLLTESTAPP_FORM_H_
#define ZOLT_TESTAPP_DLLTESTAPP_FORM_H_

#include <memory>

#include "ui/form.h"

namespace zolt::testapp {

inline constexpr char kWindowTitle[] = "Ostrel DLL Test Application";

std::unique_ptr<ui::Form> BuildDLLTestAPPForm();

}  // namespace zolt::testapp

#endif  // ZOLT_TESTAPP_DLLTESTAPP_FORM_H_
