// Asking the system whether a write or a deletion the library would make
// could be made, without making it: zolt's read-only rehearsal of a call
// (cli/show/read_only_overlay_env.h) meets through these the refusals the real
// call would meet, which mode bits alone do not show (an immutable file, a
// read-only mount, a symbolic link the library refuses, a share's rights).
#ifndef ZOLT_PLATFORM_PROBES_WRITE_PROBE_H_
#define ZOLT_PLATFORM_PROBES_WRITE_PROBE_H_

#include <string>

#include "platform/env/env.h"

namespace zolt {

// The system's answer: kNone, or the cause as the Env reports it, with the
// error number (errno; GetLastError()) and the system's words for it.
struct ProbeAnswer {
  FileError error = FileError::kNone;
  int os_error = 0;
  std::string os_text;
};

// Opens an existing file for writing, without creating, truncating or
// following a symbolic link, and closes it at once: nothing in the file or
// its times changes. kNotFound / kBadPath when it is missing.
ProbeAnswer ProbeWrite(const std::string& path);

// Whether the file could be deleted: Linux: the folder takes deletions and
// the file is not immutable or append-only; Windows: the file opens with
// delete access (and is closed at once).
ProbeAnswer ProbeRemove(const std::string& path);

// The system's words for an error number of this platform.
std::string SystemErrorText(int os_error);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROBES_WRITE_PROBE_H_
