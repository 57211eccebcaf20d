// The version resource of a Windows executable or DLL, as Explorer shows it
// under Details: what an installer checks before trusting a DLL.
#ifndef ZOLT_PLATFORM_PROCESS_FILE_VERSION_H_
#define ZOLT_PLATFORM_PROCESS_FILE_VERSION_H_

#include <map>
#include <string>

namespace zolt {

struct FileVersion {
  std::string file_version;     // fixed part, "a.b.c.d"
  std::string product_version;  // fixed part, "a.b.c.d"
  // The string table's values by name (FileVersion, ProductVersion,
  // ProductName, OriginalFilename, ...), of its first language.
  std::map<std::string, std::string> strings;
};

// Reads the resource of the file at `path`. False when the file has none;
// always false on Linux, whose shared libraries carry no such resource.
bool ReadFileVersion(const std::string& path, FileVersion* version);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROCESS_FILE_VERSION_H_
