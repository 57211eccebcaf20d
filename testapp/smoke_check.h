// The check of the renderers' smoke tests, shared by both programs: after
// one press of GET PIN against the real library the window must list one
// PIN of the selected size.
#ifndef ZOLT_TESTAPP_SMOKE_CHECK_H_
#define ZOLT_TESTAPP_SMOKE_CHECK_H_

#include <ostream>
#include <string>

#include "ui/form.h"

namespace zolt::testapp {

// The switch that runs a program unattended: press GET PIN once, answer
// every box at once, save the window's picture to the path given, exit.
inline constexpr char kSmokeTestSwitch[] = "--smoke-test=";

// The picture path when argument is the smoke-test switch, else "".
std::string SmokeTestPicture(const std::string& argument);

// Presses GET PIN (the input box answers 1), writes what the window shows
// to log, and returns true when lblPIN holds exactly one six-digit PIN.
bool PressGetPinAndCheck(ui::Form& form, std::ostream& log);

}  // namespace zolt::testapp

#endif  // ZOLT_TESTAPP_SMOKE_CHECK_H_
