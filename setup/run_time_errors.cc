#include "setup/run_time_errors.h"

#include <new>
#include <stdexcept>

namespace zolt::setup {

ui::RunTimeError PathFileAccessError(const std::string& path, FileError cause,
                                     const std::string& doing) {
  return ui::RunTimeError(kErrorPathFileAccess,
                          "Path/File access error: cannot " + doing + " '" +
                              path + "' (" + FileErrorName(cause) + ")");
}

ui::RunTimeError AsRunTimeError(const std::exception& e) {
  if (auto* known = dynamic_cast<const ui::RunTimeError*>(&e)) return *known;
  if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
    return ui::RunTimeError(kErrorOutOfMemory, "Out of memory");
  }
  if (dynamic_cast<const std::out_of_range*>(&e) != nullptr) {
    return ui::RunTimeError(kErrorNoSuchControl, e.what());
  }
  return ui::RunTimeError(kErrorInvalidCall, e.what());
}

}  // namespace zolt::setup
