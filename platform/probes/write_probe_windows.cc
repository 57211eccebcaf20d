#include <windows.h>

#include "platform/probes/write_probe.h"

namespace zolt {
namespace {

FileError CauseOf(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND: return FileError::kNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE: return FileError::kBadPath;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return FileError::kDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileError::kSharing;
    default: return FileError::kOther;
  }
}

// Opens the file with `access`, sharing everything so that no station is
// disturbed, and closes it at once.
ProbeAnswer Open(const std::string& path, DWORD access) {
  HANDLE h = CreateFileA(path.c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    return {CauseOf(err), static_cast<int>(err),
            SystemErrorText(static_cast<int>(err))};
  }
  CloseHandle(h);
  return {};
}

}  // namespace

std::string SystemErrorText(int os_error) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(os_error), 0,
      reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n > 0 && text != nullptr ? std::string(text, n)
                                              : "error " + std::to_string(os_error);
  if (text != nullptr) LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' ||
                          out.back() == ' ' || out.back() == '.')) {
    out.pop_back();
  }
  return out;
}

ProbeAnswer ProbeWrite(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES &&
      (attrs & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return {FileError::kDenied, ERROR_ACCESS_DENIED,
            "a link, not a file: " + SystemErrorText(ERROR_ACCESS_DENIED)};
  }
  return Open(path, GENERIC_WRITE);
}

ProbeAnswer ProbeRemove(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES &&
      (attrs & FILE_ATTRIBUTE_READONLY) != 0) {
    return {FileError::kDenied, ERROR_ACCESS_DENIED,
            SystemErrorText(ERROR_ACCESS_DENIED)};
  }
  return Open(path, DELETE);
}

}  // namespace zolt
