#include <windows.h>

#include <vector>

#include "platform/probes/file_access.h"

namespace zolt {

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attrs = GetFileAttributesA(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attrs & FILE_ATTRIBUTE_READONLY) != 0;
}

bool MayCreateIn(const std::string& folder) {
  const DWORD attrs = GetFileAttributesA(folder.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES ||
      (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION |
                                    GROUP_SECURITY_INFORMATION |
                                    DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  GetFileSecurityA(folder.c_str(), what, nullptr, 0, &needed);
  if (needed == 0) return true;  // no security to check (FAT, a share)
  std::vector<char> descriptor(needed);
  if (!GetFileSecurityA(folder.c_str(), what, descriptor.data(), needed,
                        &needed)) {
    return true;
  }
  HANDLE token = nullptr, impersonation = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE,
                        &token)) {
    return true;
  }
  bool may = true;
  if (DuplicateToken(token, SecurityImpersonation, &impersonation)) {
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE,
                               FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    DWORD wanted = FILE_ADD_FILE;
    MapGenericMask(&wanted, &mapping);
    PRIVILEGE_SET privileges;
    DWORD privileges_size = sizeof(privileges);
    DWORD granted = 0;
    BOOL allowed = FALSE;
    if (AccessCheck(descriptor.data(), impersonation, wanted, &mapping,
                    &privileges, &privileges_size, &granted, &allowed)) {
      may = allowed != FALSE;
    }
    CloseHandle(impersonation);
  }
  CloseHandle(token);
  return may;
}

}  // namespace zolt
