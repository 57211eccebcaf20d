// The library settings file "OstrelZOLTDLL.dta" beside the calling program:
// finding it, checking that it may be written, reading the six settings and
// validating them in the calling export's order.
#ifndef ZOLT_LIBRARY_SETTINGS_H_
#define ZOLT_LIBRARY_SETTINGS_H_

#include <cstdint>
#include <string>

#include "library/refusal.h"
#include "library/result_code.h"
#include "platform/env/env.h"

namespace zolt {

// What one call loaded. Lives for that call only.
struct LibrarySettings {
  int32_t Vendor = 0;
  int32_t Location = 0;
  int32_t Season = 0;
  int32_t PINcrypt = 0;
  int32_t PINExpiry = 0;
  std::string Pathtopintable;
  std::string settings_path;  // the file read; also the text of the notices
};

// The settings file's path: the executable's folder (up to and including its
// last separator) followed by separator + "OstrelZOLTDLL.dta", so the
// separator appears twice. With no executable path: separator + name.
std::string SettingsPath(Env& env);

// Loads and validates the settings for `caller` and the basket size it was
// given. On kOk fills *settings; otherwise returns the failing check's code
// after any notice that goes with it.
// The cause of a refusal of the settings file goes into *why (when not
// null).
Code LoadSettings(Env& env, Caller caller, int32_t basket_size,
                  LibrarySettings* settings, Refusal* why = nullptr);

// The notices' captions.
extern const char kNoticeMissing[];
extern const char kNoticeDenied[];
extern const char kNoticeExpiry[];

}  // namespace zolt

#endif  // ZOLT_LIBRARY_SETTINGS_H_
