#include "platform/env/linux_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace zolt {
namespace {

// Another holder of a table file is waited for as briefly as on Windows:
// kMaxTries attempts kRetryPauseMs apart.
constexpr int kMaxTries = 10;
constexpr int kRetryPauseMs = 10;

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

thread_local int t_last_errno = 0;

FileError CauseOf(int err) {
  switch (err) {
    case ENOENT: return FileError::kNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return FileError::kBadPath;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return FileError::kDenied;  // as Windows answers for a folder
    case EWOULDBLOCK: return FileError::kSharing;
    case ELOOP: return FileError::kLink;  // O_NOFOLLOW met a symbolic link
    case EEXIST: return FileError::kExists;
    default: return FileError::kOther;
  }
}

}  // namespace

int LastErrno() { return t_last_errno; }
void RememberErrno(int err) { t_last_errno = err; }

FileError FailureOf(const std::string& path, int err) {
  RememberErrno(err);
  if (err != ENOENT) return CauseOf(err);
  // ENOENT for a file whose folder is missing is a bad path, as on Windows.
  std::string folder = FolderOf(path);
  struct stat st;
  if (folder.empty()) return FileError::kNotFound;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return FileError::kBadPath;
  }
  return FileError::kNotFound;
}

FileError CauseOfWrite(int err) {
  RememberErrno(err);
  return err == ENOENT ? FileError::kBadPath : CauseOf(err);
}

bool HeldElsewhere(int fd) {
  for (int attempt = 1;; ++attempt) {
    if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
      flock(fd, LOCK_UN);
      return false;
    }
    if (errno != EWOULDBLOCK || attempt == kMaxTries) {
      return errno == EWOULDBLOCK;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryPauseMs));
  }
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ResolveName(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) return path;
  return MatchCase(path);
}

std::string MatchCase(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : FolderOf(path);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return path;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return path;
  std::string found;
  while (struct dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  if (found.empty()) return path;
  return path.substr(0, slash + 1) + found;
}

int OpenCased(const std::string& path, int flags, std::string* real) {
  *real = path;
  int fd = open(path.c_str(), flags);
  if (fd >= 0 || errno != ENOENT) return fd;
  std::string other = MatchCase(path);
  if (other == path) {
    errno = ENOENT;
    return -1;
  }
  *real = other;
  return open(other.c_str(), flags);
}

bool HasNoWriteBits(const std::string& path) {
  struct stat st;
  return stat(path.empty() ? "." : path.c_str(), &st) == 0 &&
         (st.st_mode & kWriteBits) == 0;
}

bool FolderOfIsReadOnly(const std::string& path) {
  return HasNoWriteBits(FolderOf(path));
}

mode_t NewFileMode(const std::string& folder) {
  struct stat st;
  if (stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return 0644;
  mode_t mode = S_IRUSR | S_IWUSR;
  if (st.st_mode & S_IWGRP) mode |= S_IRGRP | S_IWGRP;
  else if (st.st_mode & S_IRGRP) mode |= S_IRGRP;
  if (st.st_mode & S_IWOTH) mode |= S_IROTH | S_IWOTH;
  else if (st.st_mode & S_IROTH) mode |= S_IROTH;
  return mode;
}

}  // namespace zolt
