// What zolt status asks about the site beyond one station: the data
// folder's clock as the file server keeps it, and whether the data folder
// lies on a network share at all.
#ifndef ZOLT_PLATFORM_PROBES_SITE_PROBES_H_
#define ZOLT_PLATFORM_PROBES_SITE_PROBES_H_

#include <string>

namespace zolt {

// The clock of the data folder's file server against this machine's.
struct ServerClock {
  bool measured = false;
  double offset_seconds = 0;  // the server's clock less this machine's
  bool leftover_removed = false;  // a probe a killed run left was removed
  std::string error;          // why it was not measured
};

// Creates the file `probe_name` in `folder`, reads the modification time
// the file server gave it, and removes it at once (on Windows it is opened
// to be deleted when closed, so even a killed run leaves nothing). A file of
// that name left by a killed run is removed first. The offset compares that
// time with this machine's clock read just before and after the creation.
ServerClock MeasureServerClock(const std::string& folder,
                               const std::string& probe_name);

// Where a folder lies.
struct FolderLocation {
  enum class Kind { kLocal, kNetwork, kUnknown } kind = Kind::kUnknown;
  std::string detail;  // the file system ("ext4", "nfs") or drive type
};

// Linux: the file system type of the folder (statfs); Windows: a UNC path
// or a drive the system reports as remote is on the network.
FolderLocation LocateFolder(const std::string& folder);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROBES_SITE_PROBES_H_
