// File helpers of the Windows Env (Windows only): causes of failures,
// bounded retries of sharing violations, attributes, opening without
// passing through a reparse point.
#ifndef ZOLT_PLATFORM_ENV_FILES_WINDOWS_H_
#define ZOLT_PLATFORM_ENV_FILES_WINDOWS_H_

#include <windows.h>

#include <string>

#include "platform/env/env.h"

namespace zolt {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// GetLastError() to FileError. Remembers `err` as this thread's last error
// (Env::LastOsError).
FileError CauseOf(DWORD err);
DWORD LastError();
void RememberError(DWORD err);
// The Env's own refusal, with the Windows error that stands for it.
FileError Refuse(FileError e, DWORD err);

// A shared data folder on a network drive meets transient sharing and lock
// violations (antivirus scanners, another station's read of the same table).
// Those are retried: at most kMaxTries attempts, kRetryPauseMs apart, so a
// call waits at most (kMaxTries - 1) * kRetryPauseMs = 90 ms per operation
// before it reports the cause. Other failures are reported at once.
constexpr int kMaxTries = 10;
constexpr DWORD kRetryPauseMs = 10;

bool IsTransient(DWORD err);

// Runs `attempt` (which returns true on success and leaves GetLastError() set
// on failure) until it succeeds, fails for a lasting reason, or has been
// tried kMaxTries times. Returns ERROR_SUCCESS or the last error.
template <typename Attempt>
DWORD Retrying(Attempt attempt, bool retry_denied = false) {
  DWORD err = ERROR_SUCCESS;
  for (int i = 0; i < kMaxTries; ++i) {
    if (i > 0) Sleep(kRetryPauseMs);
    if (attempt()) return ERROR_SUCCESS;
    err = GetLastError();
    if (!IsTransient(err) && !(retry_denied && err == ERROR_ACCESS_DENIED)) {
      break;
    }
  }
  return err;
}

// Opens an existing file with the bounded retries of a sharing violation,
// never through a reparse point: the reparse point itself is opened and
// refused (kLink). kNone with *file set, or the cause.
FileError OpenNoReparse(const std::string& path, DWORD access, DWORD share,
                        DWORD creation, HANDLE* file);

// Whether an open handle is a reparse point (false when that cannot be
// told, with GetLastError set: the caller refuses then).
bool IsReparseHandle(HANDLE file, bool* known);

DWORD AttributesOf(const std::string& path);
bool IsFolder(DWORD attrs);
bool IsReadOnlyFile(DWORD attrs);
bool IsReparsePoint(DWORD attrs);

// The folder that holds `path`, without trailing separators, or "" for a bare
// name (the current folder). "\x" gives "\" and "C:\x" gives "C:\".
std::string FolderOf(const std::string& path);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_ENV_FILES_WINDOWS_H_
