#include <windows.h>

#include "platform/testing/os_testing.h"

namespace zolt {

bool SetReadOnly(const std::string& path, bool read_only) {
  DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return false;
  attrs = read_only ? attrs | FILE_ATTRIBUTE_READONLY
                    : attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesA(path.c_str(), attrs) != 0;
}

FileHolder::FileHolder(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) handle_ = h;
}

FileHolder::~FileHolder() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

}  // namespace zolt
