// The renderers' smoke test of the setup program, shared by both programs.
// The site it runs on (tests/smoke_site.cmake) has a library settings file
// whose season differs from the product's: the window must open with the
// red marks, and after "Write a new ..." show both frames green.
#ifndef ZOLT_SETUP_SMOKE_CHECK_H_
#define ZOLT_SETUP_SMOKE_CHECK_H_

#include <ostream>
#include <string>

#include "ui/form.h"

namespace zolt::setup {

// The switch that runs the program unattended: every box answered at once,
// the two checks below, a picture of the window after each, then exit.
inline constexpr char kSmokeTestSwitch[] = "--smoke-test=";

// The path prefix of the pictures when argument is the smoke-test switch,
// else "". The pictures are prefix + "-red" and prefix + "-green", with the
// renderer's extension.
std::string SmokeTestPicturePrefix(const std::string& argument);

// After start-up: the product side green, the library side red with its
// season marked. Writes what it sees to log.
bool CheckRedStart(ui::Form& form, std::ostream& log);

// Clicks "Write a new ..." and checks that both frames are green and the
// library side now holds the product's settings.
bool WriteAndCheckGreen(ui::Form& form, std::ostream& log);

}  // namespace zolt::setup

#endif  // ZOLT_SETUP_SMOKE_CHECK_H_
