#include "platform/env/files_windows.h"

namespace zolt {
namespace {

thread_local DWORD t_last_error = 0;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

DWORD LastError() { return t_last_error; }
void RememberError(DWORD err) { t_last_error = err; }

FileError Refuse(FileError e, DWORD err) {
  RememberError(err);
  return e;
}

FileError CauseOf(DWORD err) {
  RememberError(err);
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
      return FileError::kNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:         // 123: wildcards or other bad characters
    case ERROR_BAD_PATHNAME:         // 161
    case ERROR_INVALID_DRIVE:        // 15
    case ERROR_BAD_NETPATH:          // 53: \\server unreachable
    case ERROR_BAD_NET_NAME:         // 67: share missing
    case ERROR_FILENAME_EXCED_RANGE:  // 206
    case ERROR_DIRECTORY:            // 267: a component is not a folder
      return FileError::kBadPath;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileError::kDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileError::kSharing;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return FileError::kExists;
    default:
      return FileError::kOther;
  }
}

bool IsTransient(DWORD err) {
  return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION;
}

bool IsReparseHandle(HANDLE file, bool* known) {
  // The attributes of the open file alone: GetFileInformationByHandleEx
  // (Vista and later, bound at run time), else the older call, which also
  // asks for the volume and takes far longer on some systems.
  using TagInfoFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
  static const TagInfoFn tag_info = reinterpret_cast<TagInfoFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFileInformationByHandleEx")));
  struct {
    DWORD attributes;
    DWORD reparse_tag;
  } tag;
  constexpr int kFileAttributeTagInfo = 9;
  if (tag_info != nullptr && tag_info(file, kFileAttributeTagInfo, &tag, sizeof tag)) {
    *known = true;
    return IsReparsePoint(tag.attributes);
  }
  BY_HANDLE_FILE_INFORMATION info;
  *known = GetFileInformationByHandle(file, &info) != 0;
  return *known && IsReparsePoint(info.dwFileAttributes);
}

FileError OpenNoReparse(const std::string& path, DWORD access, DWORD share,
                        DWORD creation, HANDLE* file) {
  const DWORD err = Retrying([&] {
    *file = CreateFileA(path.c_str(), access, share, nullptr, creation,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                        nullptr);
    return *file != INVALID_HANDLE_VALUE;
  });
  if (err == ERROR_FILE_NOT_FOUND) {
    // "Not found" of a name that is there (a reparse point whose target
    // is gone, say) is no missing file.
    const DWORD attrs = AttributesOf(path);
    if (IsReparsePoint(attrs)) return Refuse(FileError::kLink, err);
    if (attrs != INVALID_FILE_ATTRIBUTES) return Refuse(FileError::kOther, err);
  }
  if (err != ERROR_SUCCESS) return CauseOf(err);
  bool known = false;
  const bool reparse = IsReparseHandle(*file, &known);
  if (!known) {
    const DWORD e = GetLastError();
    CloseHandle(*file);
    return CauseOf(e == ERROR_SUCCESS ? ERROR_CANT_ACCESS_FILE : e);
  }
  if (reparse) {
    CloseHandle(*file);
    return Refuse(FileError::kLink, ERROR_CANT_ACCESS_FILE);
  }
  return FileError::kNone;
}

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

bool IsFolder(DWORD attrs) {
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsReadOnlyFile(DWORD attrs) {
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attrs & FILE_ATTRIBUTE_READONLY) != 0;
}

bool IsReparsePoint(DWORD attrs) {
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string FolderOf(const std::string& path) {
  size_t end = path.find_last_of("\\/");
  if (end == std::string::npos) {
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : "";
  }
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  if (end == 0) return "\\";
  if (end == 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  return path.substr(0, end);
}

}  // namespace zolt
