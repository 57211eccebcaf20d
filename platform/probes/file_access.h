// Questions about write access that are answered without opening, creating
// or changing anything: zolt predicts with them what the library's writes
// and deletions would meet, while it writes nothing itself.
#ifndef ZOLT_PLATFORM_PROBES_FILE_ACCESS_H_
#define ZOLT_PLATFORM_PROBES_FILE_ACCESS_H_

#include <string>

namespace zolt {

// A file the library may not write or delete: the read-only attribute on
// Windows, no write bit at all on Linux (as the Env treats it). False for a
// missing file and for a folder.
bool IsReadOnlyFile(const std::string& path);

// Whether this process may create files in the folder (and delete them):
// access(W_OK | X_OK) on Linux; on Windows the folder's security checked
// against the process's token, true when that cannot be told.
bool MayCreateIn(const std::string& folder);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROBES_FILE_ACCESS_H_
