#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/probes/site_probes.h"

namespace zolt {
namespace {

double Seconds(const timespec& t) { return t.tv_sec + t.tv_nsec / 1e9; }

double Now() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return Seconds(t);
}

struct FileSystem {
  unsigned long magic;
  const char* name;
  bool network;
};

// The file systems a data folder may meet; statfs's f_type values.
constexpr FileSystem kFileSystems[] = {
    {0xEF53, "ext2/ext3/ext4", false},   {0x58465342, "xfs", false},
    {0x9123683E, "btrfs", false},        {0x01021994, "tmpfs", false},
    {0x794C7630, "overlay", false},      {0x4D44, "vfat", false},
    {0x5346544E, "ntfs", false},         {0x2011BAB0, "exfat", false},
    {0x2FC12FC1, "zfs", false},          {0x3153464A, "jfs", false},
    {0x52654973, "reiserfs", false},     {0xF2F52010, "f2fs", false},
    {0x6969, "nfs", true},               {0x517B, "smb", true},
    {0xFF534D42, "cifs", true},          {0xFE534D42, "smb2", true},
    {0x5346414F, "afs", true},           {0x00C36400, "ceph", true},
    {0x01021997, "9p", true},            {0x73757245, "coda", true},
    {0x564C, "ncp", true},               {0x47504653, "gpfs", true},
    {0x0BD00BD0, "lustre", true},        {0x01161970, "gfs2", true},
    {0x7461636F, "ocfs2", true},
};

}  // namespace

ServerClock MeasureServerClock(const std::string& folder,
                               const std::string& probe_name) {
  ServerClock c;
  const std::string path = folder + "/" + probe_name;
  if (unlink(path.c_str()) == 0) c.leftover_removed = true;
  const double before = Now();
  const int fd = open(path.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    c.error = "cannot create " + path + ": " + std::strerror(errno);
    return c;
  }
  struct stat st {};
  const bool stated = fstat(fd, &st) == 0;
  const int stat_errno = errno;
  const double after = Now();
  close(fd);
  if (unlink(path.c_str()) != 0) {
    c.error = "cannot remove " + path + ": " + std::strerror(errno);
    return c;
  }
  if (!stated) {
    c.error = "cannot read the time of " + path + ": " + std::strerror(stat_errno);
    return c;
  }
  c.measured = true;
  c.offset_seconds = Seconds(st.st_mtim) - (before + after) / 2;
  return c;
}

FolderLocation LocateFolder(const std::string& folder) {
  FolderLocation l;
  struct statfs fs {};
  if (statfs(folder.c_str(), &fs) != 0) {
    l.detail = std::strerror(errno);
    return l;
  }
  const unsigned long magic = static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFUL;
  for (const FileSystem& f : kFileSystems) {
    if (f.magic == magic) {
      l.kind = f.network ? FolderLocation::Kind::kNetwork
                         : FolderLocation::Kind::kLocal;
      l.detail = f.name;
      return l;
    }
  }
  // FUSE and the rest may be either (sshfs or a local disk).
  char hex[32];
  std::snprintf(hex, sizeof(hex), "file system type 0x%lX", magic);
  l.detail = hex;
  return l;
}

}  // namespace zolt
