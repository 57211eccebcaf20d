#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/env/linux_paths.h"
#include "platform/probes/write_probe.h"

namespace zolt {
namespace {

ProbeAnswer Failed(FileError error, int err) {
  return {error, err, SystemErrorText(err)};
}

FileError CauseOf(const std::string& path, int err) {
  switch (err) {
    case ENOENT: {
      struct stat st;
      const std::string folder = FolderOf(path);
      return folder.empty() || (stat(folder.c_str(), &st) == 0 &&
                                S_ISDIR(st.st_mode))
                 ? FileError::kNotFound
                 : FileError::kBadPath;
    }
    case ENOTDIR:
    case ENAMETOOLONG: return FileError::kBadPath;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ELOOP: return FileError::kDenied;
    case EWOULDBLOCK: return FileError::kSharing;
    default: return FileError::kOther;
  }
}

}  // namespace

std::string SystemErrorText(int os_error) { return std::strerror(os_error); }

ProbeAnswer ProbeWrite(const std::string& path) {
  const std::string real = ResolveName(path);
  const int fd = open(real.c_str(),
                      O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int err = errno;
    return Failed(CauseOf(real, err), err);
  }
  close(fd);
  return {};
}

ProbeAnswer ProbeRemove(const std::string& path) {
  const std::string real = ResolveName(path);
  struct stat st;
  if (lstat(real.c_str(), &st) != 0) {
    const int err = errno;
    return Failed(CauseOf(real, err), err);
  }
  const std::string folder = FolderOf(real);
  if (access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) {
    const int err = errno;
    return Failed(FileError::kDenied, err);
  }
  if (S_ISREG(st.st_mode)) {
    const int fd = open(real.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK |
                                          O_CLOEXEC | O_NOCTTY);
    int flags = 0;
    if (fd >= 0) {
      const bool known = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
      close(fd);
      if (known && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0) {
        return Failed(FileError::kDenied, EPERM);
      }
    }
  }
  return {};
}

}  // namespace zolt
