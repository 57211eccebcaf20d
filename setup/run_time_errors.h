// How the setup program's handlers turn a failure into the error number and
// description that their message boxes show.
#ifndef ZOLT_SETUP_RUN_TIME_ERRORS_H_
#define ZOLT_SETUP_RUN_TIME_ERRORS_H_

#include <exception>
#include <optional>
#include <string>

#include "platform/env/env.h"
#include "ui/run_time_error.h"

namespace zolt::setup {

// Error numbers of the setup program's own failures.
inline constexpr int kErrorInvalidCall =
    5;  // "Invalid procedure call or argument"
inline constexpr int kErrorOutOfMemory = 7;      // "Out of memory"
inline constexpr int kErrorPathFileAccess = 75;  // "Path/File access error"
inline constexpr int kErrorNoSuchControl =
    340;  // "Control array element doesn't exist"

// A failure of a file operation on path, as error 75 with a description that
// names the file and the cause.
ui::RunTimeError PathFileAccessError(const std::string& path, FileError cause,
                                     const std::string& doing);

// Any exception as a run-time error: a RunTimeError as it is, a missing
// control as 340, memory as 7, anything else as 5 with its text.
ui::RunTimeError AsRunTimeError(const std::exception& e);

// Runs body and returns the failure it raised, or nothing when it ran
// through.
template <typename Body>
std::optional<ui::RunTimeError> Attempt(Body&& body) {
  try {
    body();
    return std::nullopt;
  } catch (const std::exception& e) {
    return AsRunTimeError(e);
  }
}

}  // namespace zolt::setup

#endif  // ZOLT_SETUP_RUN_TIME_ERRORS_H_
