// Input that zolt cannot show as the library's files: a folder where the
// settings file or a table file belongs, a binary or unreadable table
// file. The read-only commands still report what the library would do
// with it, then name the first such file on stderr and exit with 2.
#ifndef ZOLT_CLI_SHOW_UNREADABLE_INPUT_H_
#define ZOLT_CLI_SHOW_UNREADABLE_INPUT_H_

#include <string>

#include "cli/show/day_view.h"
#include "cli/show/settings_view.h"
#include "platform/env/env.h"

namespace zolt::cli {

// "" when everything could be read, else one line naming the file.
std::string UnreadableInput(Env& env, const SettingsView& settings,
                            const DayView* day);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_SHOW_UNREADABLE_INPUT_H_
