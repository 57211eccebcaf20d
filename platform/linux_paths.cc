#include "platform/linux_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <thread>

namespace zolt {
namespace {

// Another holder of a table file is waited for as briefly as on Windows:
// kMaxTries attempts kRetryPauseMs apart.
constexpr int kMaxTries = 10;
constexpr int kRetryPauseMs = 10;

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

FileError CauseOfWrite(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG: return FileError::kBadPath;
    case EACCES:
    case EPERM:
    case EROFS: return FileError::kDenied;
    case EWOULDBLOCK: return FileError::kSharing;
    default: return FileError::kOther;
  }
}

}  // namespace

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

namespace {

// fsync of the folder, so that a rename reaches the disk with the data.
// File systems that cannot sync a folder are taken at their word.
bool SyncFolder(const std::string& folder) {
  int fd = open(folder.empty() ? "." : folder.c_str(),
                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  bool ok = fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP ||
            errno == EROFS || errno == EBADF;
  close(fd);
  return ok;
}

// A name for a temporary file no other writer is using (O_EXCL proves it).
int CreateTemporary(const std::string& folder, mode_t mode,
                    std::string* temp) {
  static std::atomic<uint64_t> counter{0};
  for (int attempt = 0; attempt < 16; ++attempt) {
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    const uint64_t seed =
        (static_cast<uint64_t>(getpid()) << 40) ^
        static_cast<uint64_t>(ts.tv_sec) * 1000000007ull ^
        static_cast<uint64_t>(ts.tv_nsec) ^ (++counter << 20);
    *temp = (folder.empty() ? std::string() : folder + "/") +
            TemporaryFileName(seed);
    int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Writes the file itself: the fallback when no temporary file can be made
// or renamed (a folder we may not create files in). The new contents go
// over the old ones and the tail is cut after, so that a reader never meets
// an empty file.
FileError RewriteInPlace(const std::string& path, const std::string& contents,
                         mode_t mode) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY, mode);
  if (fd < 0) return CauseOfWrite(errno);
  if (HeldElsewhere(fd)) {
    close(fd);
    return FileError::kSharing;
  }
  bool ok = WriteAll(fd, contents) &&
            ftruncate(fd, static_cast<off_t>(contents.size())) == 0 &&
            fdatasync(fd) == 0;
  int err = errno;
  close(fd);
  return ok ? FileError::kNone : CauseOfWrite(err);
}

}  // namespace

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

bool HasNoWriteBits(const std::string& path) {
  struct stat st;
  return stat(path.empty() ? "." : path.c_str(), &st) == 0 &&
         (st.st_mode & kWriteBits) == 0;
}

bool FolderOfIsReadOnly(const std::string& path) {
  return HasNoWriteBits(FolderOf(path));
}

FileError WriteAt(int fd, uint64_t offset, std::string_view bytes,
                  uint64_t expected_size) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return FileError::kOther;
  if ((st.st_mode & kWriteBits) == 0) return FileError::kDenied;
  if (static_cast<uint64_t>(st.st_size) != expected_size) return FileError::kOther;
  if (HeldElsewhere(fd)) return FileError::kSharing;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done,
                       static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return CauseOfWrite(errno);
    }
    done += static_cast<size_t>(n);
  }
  return fdatasync(fd) == 0 ? FileError::kNone : CauseOfWrite(errno);
}

FileError WriteReplacing(const std::string& path, const std::string& contents) {
  const std::string folder = FolderOf(path);
  const bool folder_read_only = HasNoWriteBits(folder);
  struct stat st;
  mode_t mode = 0666;  // the umask applies to a new file
  bool exists = stat(path.c_str(), &st) == 0;
  if (exists) {
    if (S_ISDIR(st.st_mode)) return FileError::kDenied;
    if ((st.st_mode & kWriteBits) == 0) return FileError::kDenied;
    mode = st.st_mode & 07777;
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
      bool held = HeldElsewhere(fd);
      close(fd);
      if (held) return FileError::kSharing;
    }
  } else {
    if (errno != ENOENT) return CauseOfWrite(errno);
    struct stat fst;
    if (!folder.empty() &&
        (stat(folder.c_str(), &fst) != 0 || !S_ISDIR(fst.st_mode))) {
      return FileError::kBadPath;
    }
    if (folder_read_only) return FileError::kDenied;
  }

  if (!folder_read_only) {
    std::string temp;
    int fd = CreateTemporary(folder, mode, &temp);
    if (fd >= 0) {
      bool ok = WriteAll(fd, contents) && (!exists || fchmod(fd, mode) == 0) &&
                fdatasync(fd) == 0;
      close(fd);
      if (ok && rename(temp.c_str(), path.c_str()) == 0) {
        return SyncFolder(folder) ? FileError::kNone : FileError::kOther;
      }
      unlink(temp.c_str());
    }
  }
  FileError e = RewriteInPlace(path, contents, mode);
  if (e == FileError::kNone && !exists && !SyncFolder(folder)) {
    return FileError::kOther;
  }
  return e;
}

}  // namespace zolt
