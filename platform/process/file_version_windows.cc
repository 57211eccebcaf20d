#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/process/file_version.h"

namespace zolt {
namespace {

std::string Dotted(DWORD most, DWORD least) {
  char buf[64];
  std::snprintf(buf, sizeof(buf), "%lu.%lu.%lu.%lu",
                static_cast<unsigned long>(HIWORD(most)),
                static_cast<unsigned long>(LOWORD(most)),
                static_cast<unsigned long>(HIWORD(least)),
                static_cast<unsigned long>(LOWORD(least)));
  return buf;
}

}  // namespace

bool ReadFileVersion(const std::string& path, FileVersion* version) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return false;
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return false;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  if (VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed),
                     &len) &&
      fixed != nullptr) {
    version->file_version =
        Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    version->product_version =
        Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  }
  struct Translation {
    WORD language, code_page;
  }* translations = nullptr;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &len) ||
      len < sizeof(Translation)) {
    return true;
  }
  char block[64];
  std::snprintf(block, sizeof(block), "\\StringFileInfo\\%04x%04x\\",
                translations->language, translations->code_page);
  for (const char* name : {"FileVersion", "ProductVersion", "ProductName",
                           "OriginalFilename", "FileDescription",
                           "CompanyName", "LegalCopyright"}) {
    char* value = nullptr;
    if (VerQueryValueA(info.data(), (std::string(block) + name).c_str(),
                       reinterpret_cast<void**>(&value), &len) &&
        value != nullptr) {
      version->strings[name] = value;
    }
  }
  return true;
}

}  // namespace zolt
