// Path and file helpers of the Linux Env (Linux only).
#ifndef ZOLT_PLATFORM_LINUX_PATHS_H_
#define ZOLT_PLATFORM_LINUX_PATHS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/env.h"

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

// Whether another process holds an exclusive flock on the open file, after
// the brief retries a sharing violation gets on Windows.
bool HeldElsewhere(int fd);

// WriteInPlace on an open file: the size check, the refusals of
// WriteReplacing, the write at `offset` and its flush.
FileError WriteAt(int fd, uint64_t offset, std::string_view bytes,
                  uint64_t expected_size);

// Windows marks a file or folder read-only with an attribute that even an
// administrator must respect; here a file or folder without any write bit
// plays that part, so that stations running as root see what others see.
bool HasNoWriteBits(const std::string& path);
// Whether files may be made and removed in the folder that holds `path`.
bool FolderOfIsReadOnly(const std::string& path);

// Replaces the file at `path` with `contents`: a temporary file in the same
// folder, flushed to disk and renamed over the target, then the folder
// synced; when the temporary file or the rename is refused, the file is
// rewritten in place and flushed. The target's permission bits are kept. A
// file without write bits, or a new file in a folder without them, is
// refused (kDenied); a file that another process holds with an exclusive
// flock (the Linux form of a file held open without sharing) gives
// kSharing; a missing folder gives kBadPath.
FileError WriteReplacing(const std::string& path, const std::string& contents);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_LINUX_PATHS_H_
