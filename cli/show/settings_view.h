// The station's settings file as an installer wants to see it: whether the
// library gets past its file check (-400, -375, -1), every setting with its
// value and valid range, and each export's checks in the order it makes
// them. The values are read as the library reads them; the codes the
// exports return come from the core itself (see answers.h).
#ifndef ZOLT_CLI_SHOW_SETTINGS_VIEW_H_
#define ZOLT_CLI_SHOW_SETTINGS_VIEW_H_

#include <string>
#include <vector>

#include "library/result_code.h"
#include "library/settings.h"
#include "platform/env/env.h"

namespace zolt::cli {

struct SettingLine {
  std::string key;
  bool present = false;  // the key is in [Preferences]
  std::string text;      // as read (up to 255 characters), or the default
  std::string valid;     // the valid values, in words
  bool ok = false;
};

// One check of an export, in its order.
struct CheckStep {
  std::string what;  // "Vendor", "PINExpiry is not 1", "basket size", ...
  Code code;         // what the export returns when it fails
  bool ok;
};

struct SettingsView {
  std::string path;
  bool exists = false;
  FileError check = FileError::kNone;  // opening it for writing
  Code file_code = Code::kOk;          // -400, -375, -1, or kOk
  LibrarySettings values;              // as read (also when a check fails)
  std::vector<SettingLine> lines;      // the six keys the library reads
};

SettingsView ReadSettingsView(Env& env);

// The checks of `caller` for a basket size, in its order. The first that
// fails decides the export's code.
std::vector<CheckStep> CheckSteps(const SettingsView& view, Caller caller,
                                  int32_t basket_size);

// "ZoltResult" or "check_SoldOut_Condition".
const char* ExportName(Caller caller);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_SHOW_SETTINGS_VIEW_H_
