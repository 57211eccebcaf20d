// Path and file helpers of the Linux Env (Linux only).
#ifndef ZOLT_PLATFORM_ENV_LINUX_PATHS_H_
#define ZOLT_PLATFORM_ENV_LINUX_PATHS_H_

#include <sys/types.h>

#include <string>

#include "platform/env/env.h"

namespace zolt {

// The folder part of a path: everything before the last '/', "/" for a file
// in the root, "" for a bare name.
std::string FolderOf(const std::string& path);

// The path to use for `path`: itself when its last component exists as
// spelled, otherwise the first entry of its folder whose name matches without
// regard to ASCII case, otherwise `path` unchanged (a new file keeps the
// spelling it was given).
std::string ResolveName(const std::string& path);
// The second half of that: the case-insensitive match in the folder, for a
// path already known to be missing as spelled.
std::string MatchCase(const std::string& path);

// Opens `path`, or, when no entry is spelled so, the entry of its folder
// whose name matches without regard to case. *real is the path opened (or
// tried last). The folder is searched only after a miss, so an exact name
// costs one system call. O_NOFOLLOW in `flags` refuses a link (ELOOP).
int OpenCased(const std::string& path, int flags, std::string* real);

// errno after a failed open/unlink/stat of `path`, as the Windows causes
// (ENOENT for a file whose folder is missing is a bad path). Remembers
// `err` as this thread's last error (LastOsError).
FileError FailureOf(const std::string& path, int err);
// The same without the path: ENOENT is a bad path.
FileError CauseOfWrite(int err);
// This thread's last error of the Env, and setting it.
int LastErrno();
void RememberErrno(int err);

// Whether another process holds an exclusive flock on the open file, after
// the brief retries a sharing violation gets on Windows.
bool HeldElsewhere(int fd);

// Windows marks a file or folder read-only with an attribute that even an
// administrator must honour; here a file or folder without any write bit
// plays that part, so that stations running as root see what others see.
bool HasNoWriteBits(const std::string& path);
// Whether files may be made and removed in the folder that holds `path`.
bool FolderOfIsReadOnly(const std::string& path);

// The permission bits of a new file in `folder`: read and write for its
// owner, and for the group and for others as far as the folder lets them
// read and write (write in the folder gives read and write on the file), so
// that every account that may write the folder may write the file.
mode_t NewFileMode(const std::string& folder);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_ENV_LINUX_PATHS_H_
