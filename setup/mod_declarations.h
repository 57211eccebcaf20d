// modDeclarations: what the whole setup program shares - the settings-file
// extension in force, the colour values that mark each side of the window,
// the missing-value marker and the program's title.
#ifndef ZOLT_SETUP_MOD_DECLARATIONS_H_
#define ZOLT_SETUP_MOD_DECLARATIONS_H_

#include <string>

#include "ui/colors.h"

namespace zolt::setup {

// The extensions of the two Windows-version choices: the product file is
// "ostrel" + extension, the library settings file "ostrelzoltdll" + extension.
inline constexpr char kExtIni[] = ".ini";  // "Windows XP", every start
inline constexpr char kExtDta[] = ".dta";  // "Windows Vista"

// Colour values (0x00BBGGRR).
inline constexpr ui::Color kColorUsable = ui::kColorLightGreen;     // 8454016
inline constexpr ui::Color kColorUnusable = ui::kColorLightRed;     // 8421631
inline constexpr ui::Color kColorMismatch = ui::kColorLightRed;     // 8421631
inline constexpr ui::Color kColorNeutralBox = ui::kColorLightGrey;  // 14737632
inline constexpr ui::Color kColorWarning = ui::kColorPureRed;       // 255

// A value box holding exactly this text stands for a missing value: every
// read passes it as its default, the clearing steps write it and the checks
// reject it.
inline constexpr char kMissing[] = "x";

// The title of message boxes that have none of their own.
inline constexpr char kAppTitle[] = "MakeZOLTconfigurationFile";

inline constexpr char kCrLf[] = "\r\n";

// The program-wide state that does not live in a control.
struct ModDeclarations {
  // ".ini" or ".dta"; changed only by the Windows-version choice.
  std::string SettingsExt = kExtIni;
};

}  // namespace zolt::setup

#endif  // ZOLT_SETUP_MOD_DECLARATIONS_H_
