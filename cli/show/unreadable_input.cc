#include "cli/show/unreadable_input.h"

namespace zolt::cli {

std::string UnreadableInput(Env& env, const SettingsView& settings,
                            const DayView* day) {
  if (env.FolderExists(settings.path)) {
    return settings.path + ": a folder, not a settings file";
  }
  if (day == nullptr) return "";
  for (const TableFileView* f : {&day->pin, &day->dll}) {
    if (f->kind == "folder") return f->path + ": a folder, not a table file";
    if (f->kind == "binary") {
      return f->path + ": a binary file, not a table file";
    }
    if (f->kind == "unreadable") return f->path + ": cannot be read";
  }
  return "";
}

}  // namespace zolt::cli
