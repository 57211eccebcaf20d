#include <windows.h>
#include <tlhelp32.h>

#include "platform/testing/os_testing.h"

namespace zolt {

bool SetReadOnly(const std::string& path, bool read_only) {
  DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return false;
  attrs = read_only ? attrs | FILE_ATTRIBUTE_READONLY
                    : attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesA(path.c_str(), attrs) != 0;
}

ProcessResources CountProcessResources() {
  ProcessResources r;
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles)) r.files = static_cast<int>(handles);
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    THREADENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++r.threads;
    }
    CloseHandle(snapshot);
  }
  return r;
}

FileHolder::FileHolder(const std::string& path, bool share_reading) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, share_reading ? FILE_SHARE_READ : 0, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) handle_ = h;
}

FileHolder::~FileHolder() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

}  // namespace zolt
