#include <windows.h>
#include <tlhelp32.h>

#include "platform/testing/os_testing.h"

namespace zolt {

std::string HostPath(const std::string& path) {
  // Wine's own export; on Windows itself there is no host path.
  using UnixName = char*(__cdecl*)(const wchar_t*);
  const auto unix_name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"),
                     "wine_get_unix_file_name")));
  if (unix_name == nullptr) return path;
  const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
  char* name = unix_name(wide.c_str());
  if (name == nullptr) return path;
  std::string out = name;
  HeapFree(GetProcessHeap(), 0, name);
  return out;
}

bool FakeClockWorks() { return false; }

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
