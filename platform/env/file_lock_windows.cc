// The Windows form of Env::LockFile: byte-range locks (LockFileEx), polled
// with pauses of at most 2 ms. (An overlapped wait would queue the request,
// but it cannot be withdrawn reliably on every system this DLL runs on.)
// Polling alone would let a station that has just let go take the lock
// again before a slowly polling one looks, over and over; so a waiter that
// has waited a while takes a second byte, the priority byte, and while
// another holds it no other waiter takes the lock. A first attempt does not
// look at it (each lock call is a round trip to the file server; the old
// polled lock already served 8 stations x 200 sales within 344 ms). The
// same bytes as the Linux build's, so that both kinds of station on one
// folder exclude each other.
#include <windows.h>

#include "platform/env/file_lock.h"
#include "platform/env/files_windows.h"

namespace zolt {
namespace {

// The bytes locked. In the lock file: byte 0. In a table file: bytes far
// past its contents, since a byte-range lock here also blocks reading the
// bytes it covers.
struct Range {
  DWORD lock;
  DWORD priority;
};
constexpr Range kLockFileRange{0, 1};
constexpr Range kTableFileRange{0x7FFFFFF0, 0x7FFFFFF1};

constexpr DWORD kPriorityAfterMs = 2;

class WindowsFileLock final : public FileLock {
 public:
  WindowsFileLock(HANDLE file, DWORD at, bool created)
      : file_(file), at_(at), created_(created) {}
  ~WindowsFileLock() override {
    OVERLAPPED ov = {};
    ov.Offset = at_;
    UnlockFileEx(file_, 0, 1, 0, &ov);
    CloseHandle(file_);
  }
  bool created() const override { return created_; }

 private:
  HANDLE file_;
  DWORD at_;
  bool created_;
};

bool LockByte(HANDLE file, DWORD at) {
  OVERLAPPED ov = {};
  ov.Offset = at;
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                    0, 1, 0, &ov) != 0;
}

void UnlockByte(HANDLE file, DWORD at) {
  OVERLAPPED ov = {};
  ov.Offset = at;
  UnlockFileEx(file, 0, 1, 0, &ov);
}

// Whether another holder has the byte: a lock of it for a moment.
bool HeldByOther(HANDLE file, DWORD at) {
  if (!LockByte(file, at)) return GetLastError() == ERROR_LOCK_VIOLATION;
  UnlockByte(file, at);
  return false;
}

bool Busy(DWORD err) {
  return err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING;
}

// Opens the lock file, making it when missing. Read access is enough for a
// byte-range lock: a lock file that may no longer be written (a folder
// turned read-only) still serves. kDenied only when it is missing and
// cannot be made; an existing one that cannot be opened is kOther.
FileError OpenLockFile(const std::string& path, HANDLE* file, bool* created) {
  *created = false;
  *file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                      nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                      nullptr);
  if (*file != INVALID_HANDLE_VALUE) {
    *created = GetLastError() != ERROR_ALREADY_EXISTS;
  } else {
    const DWORD err = GetLastError();
    const DWORD attrs = AttributesOf(path);
    if (attrs == INVALID_FILE_ATTRIBUTES) {
      return err == ERROR_ACCESS_DENIED || err == ERROR_WRITE_PROTECT
                 ? Refuse(FileError::kDenied, err)
                 : CauseOf(err);
    }
    if (IsFolder(attrs)) return Refuse(FileError::kOther, err);
    *file = CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr,
                        OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                        nullptr);
    if (*file == INVALID_HANDLE_VALUE) {
      const FileError e = CauseOf(GetLastError());
      return e == FileError::kLink ? e : FileError::kOther;
    }
  }
  bool known = false;
  if (IsReparseHandle(*file, &known) || !known) {
    CloseHandle(*file);
    return Refuse(known ? FileError::kLink : FileError::kOther, ERROR_CANT_ACCESS_FILE);
  }
  return FileError::kNone;
}

// Opens an existing table file for a lock of its own: kNotFound when it is
// missing, kDenied when this station may not write it.
FileError OpenTableFile(const std::string& path, HANDLE* file) {
  const DWORD attrs = AttributesOf(path);
  if (IsReparsePoint(attrs)) return Refuse(FileError::kLink, ERROR_CANT_ACCESS_FILE);
  if (IsReadOnlyFile(attrs)) return Refuse(FileError::kDenied, ERROR_ACCESS_DENIED);
  return OpenNoReparse(path, GENERIC_READ | GENERIC_WRITE, kShareAll,
                       OPEN_EXISTING, file);
}

}  // namespace

FileError LockOsFile(const std::string& path, LockPlace place, int timeout_ms,
                      std::unique_ptr<FileLock>* lock) {
  lock->reset();
  HANDLE file = INVALID_HANDLE_VALUE;
  bool created = false;
  const FileError e = place == LockPlace::kLockFile
                          ? OpenLockFile(path, &file, &created)
                          : OpenTableFile(path, &file);
  if (e != FileError::kNone) return e;
  const Range range = place == LockPlace::kLockFile ? kLockFileRange
                                                    : kTableFileRange;
  const DWORD start = GetTickCount();
  const DWORD bound = timeout_ms > 0 ? static_cast<DWORD>(timeout_ms) : 0;
  bool priority = false;
  DWORD pause = 0;
  // The first attempt does not ask for the priority byte: each lock call
  // costs a round trip to the file server, and a free lock is the rule.
  // Waiters then defer to the one of them that holds it.
  for (bool first = true;; first = false) {
    if (first || priority || !HeldByOther(file, range.priority)) {
      if (LockByte(file, range.lock)) {
        if (priority) UnlockByte(file, range.priority);
        *lock = std::make_unique<WindowsFileLock>(file, range.lock, created);
        return FileError::kNone;
      }
      const DWORD err = GetLastError();
      if (!Busy(err)) {
        CloseHandle(file);
        RememberError(err);
        // The file system positively keeps no locks.
        return err == ERROR_NOT_SUPPORTED || err == ERROR_INVALID_FUNCTION
                   ? FileError::kNoLocks
                   : FileError::kOther;
      }
    }
    const DWORD waited = GetTickCount() - start;
    if (waited >= bound) {
      CloseHandle(file);  // with it any priority byte it held
      RememberError(ERROR_LOCK_VIOLATION);
      return FileError::kSharing;
    }
    if (!priority && waited >= kPriorityAfterMs) {
      priority = LockByte(file, range.priority);
    }
    Sleep(pause);
    if (pause < 2) ++pause;
  }
}

}  // namespace zolt
