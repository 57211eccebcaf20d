// The Linux Env. Map of this file:
//  - CheckOpened, ReadAll: the settings check and reading a file.
//  - LinuxWritableFile: an open file for writing.
//  - LinuxEnv: the Env methods (the lock is file_lock_linux.cc, the path
//    helpers linux_paths.cc).
// Windows marks a file read-only with an attribute that even an administrator
// must honour; here a file (or folder) without any write bit plays that
// part, so that a read-only settings or table file, or data folder, behaves
// alike when the station runs as root. No file of the data folder is ever
// opened, written or removed through a symbolic link (O_NOFOLLOW, lstat).
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>

#include "platform/env/env.h"
#include "platform/env/file_lock.h"
#include "platform/env/linux_paths.h"

namespace zolt {
namespace {

// No file of the system comes near this; a larger one is not read at all
// rather than filling the memory of a point-of-sale station.
constexpr off_t kMaxReadBytes = 64 * 1024 * 1024;

// Another holder of the settings file (a second thread of the same point-of-
// sale program checking it at the same instant) is waited for briefly, as
// the Windows Env retries a sharing violation: at most kMaxTries attempts,
// kRetryPauseMs apart, 90 ms in all, before the call reports it.
constexpr int kMaxTries = 10;
constexpr int kRetryPauseMs = 10;

constexpr int kOpenFlags = O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

bool NoWriteBits(const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The Env's own refusal, with the errno that stands for it.
FileError Refuse(FileError e, int err) {
  RememberErrno(err);
  return e;
}

// The checks of a file opened for writing as the settings check opens it:
// a regular file with write bits that no other holder keeps locked. *st
// receives its status.
FileError CheckOpened(int fd, struct stat* status) {
  struct stat& st = *status;
  if (fstat(fd, &st) != 0) return CauseOfWrite(errno);
  if (S_ISDIR(st.st_mode)) return Refuse(FileError::kDenied, EISDIR);
  // A device, pipe or socket.
  if (!S_ISREG(st.st_mode)) return Refuse(FileError::kOther, EINVAL);
  if (NoWriteBits(st)) return Refuse(FileError::kDenied, EACCES);
  // Held by another process or thread: the sharing violation of Windows.
  for (int attempt = 1;; ++attempt) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return FileError::kNone;
    if (errno != EWOULDBLOCK) return CauseOfWrite(errno);
    if (attempt == kMaxTries) return Refuse(FileError::kSharing, EWOULDBLOCK);
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryPauseMs));
  }
}

// Reads an open regular file, whose status is *status, to its end (within
// kMaxReadBytes). Anything else is a failure, never an empty file.
FileError ReadAll(int fd, const struct stat& st, std::string* contents) {
  if (S_ISDIR(st.st_mode)) return Refuse(FileError::kDenied, EISDIR);
  if (!S_ISREG(st.st_mode)) return Refuse(FileError::kOther, EINVAL);
  if (st.st_size > kMaxReadBytes) return Refuse(FileError::kOther, EFBIG);
  // One read more than the size tells the end without another call, unless
  // the file grew meanwhile.
  size_t want = static_cast<size_t>(st.st_size) + 1;
  contents->resize(want);
  size_t have = 0;
  for (;;) {
    ssize_t n = read(fd, contents->data() + have, want - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      contents->clear();
      return CauseOfWrite(err);
    }
    have += static_cast<size_t>(n);
    if (n == 0 || have < want) break;
    if (want > static_cast<size_t>(kMaxReadBytes)) {  // grew while being read
      contents->clear();
      return Refuse(FileError::kOther, EFBIG);
    }
    want *= 2;
    contents->resize(want);
  }
  contents->resize(have);
  return FileError::kNone;
}

class LinuxWritableFile final : public WritableFile {
 public:
  LinuxWritableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~LinuxWritableFile() override { close(fd_); }

  const std::string& path() const override { return path_; }

  FileError Size(std::uint64_t* size) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return CauseOfWrite(errno);
    *size = static_cast<std::uint64_t>(st.st_size);
    return FileError::kNone;
  }

  FileError Write(std::uint64_t offset, std::string_view bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done,
                         static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return CauseOfWrite(errno);
      }
      done += static_cast<size_t>(n);
    }
    return FileError::kNone;
  }

  FileError Truncate(std::uint64_t size) override {
    return ftruncate(fd_, static_cast<off_t>(size)) == 0 ? FileError::kNone
                                                          : CauseOfWrite(errno);
  }

  FileError Sync() override {
    return fdatasync(fd_) == 0 ? FileError::kNone : CauseOfWrite(errno);
  }

 private:
  int fd_;
  std::string path_;
};

class LinuxEnv final : public Env {
 public:
  char PathSeparator() const override { return '/'; }

  std::string ExecutablePath() override {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return "";
    return std::string(buf, static_cast<size_t>(n));
  }

  LocalTime Now() override {
    time_t t = time(nullptr);
    struct tm tm {};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
            tm.tm_hour,        tm.tm_min,     tm.tm_sec};
  }

  void Notify(const std::string& caption, const std::string& text) override {
    std::fprintf(stderr, "OstrelZOLTDLL: %s: %s\n", caption.c_str(),
                 text.c_str());
    syslog(LOG_USER | LOG_WARNING, "OstrelZOLTDLL: %s: %s", caption.c_str(),
           text.c_str());
  }

  int LastOsError() override { return LastErrno(); }

  std::string OsErrorText(int code) override {
    char buf[256];
    return strerror_r(code, buf, sizeof buf);  // the GNU form returns the text
  }

  FileError CheckWritable(const std::string& path) override {
    std::string real;
    // O_NONBLOCK: a named pipe in the file's place must not hold the call
    // until some reader opens it (it fails with ENXIO, "other", instead).
    int fd = OpenCased(path, O_WRONLY | kOpenFlags, &real);
    if (fd < 0) return FailureOf(real, errno);
    struct stat st;
    FileError result = CheckOpened(fd, &st);
    close(fd);
    return result;
  }

  FileError ReadIfWritable(const std::string& path,
                           std::string* contents) override {
    contents->clear();
    std::string real;
    int fd = OpenCased(path, O_RDWR | kOpenFlags, &real);
    if (fd < 0) return FailureOf(real, errno);
    struct stat st;
    FileError result = CheckOpened(fd, &st);
    if (result == FileError::kNone && ReadAll(fd, st, contents) != FileError::kNone) {
      contents->clear();
    }
    close(fd);
    return result;
  }

  FileError RemoveFile(const std::string& path) override {
    std::string real = ResolveName(path);
    struct stat st;
    if (lstat(real.c_str(), &st) == 0) {
      if (S_ISLNK(st.st_mode)) return Refuse(FileError::kLink, ELOOP);
      if (S_ISDIR(st.st_mode)) return Refuse(FileError::kDenied, EISDIR);
      if (NoWriteBits(st) || FolderOfIsReadOnly(real)) {
        return Refuse(FileError::kDenied, EACCES);
      }
    }
    if (unlink(real.c_str()) != 0) return FailureOf(real, errno);
    return FileError::kNone;
  }

  bool ListFolder(const std::string& folder,
                  std::vector<std::string>* names) override {
    if (names != nullptr) names->clear();
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
      RememberErrno(errno);
      return false;
    }
    // A folder always holds "." and "..", so it has entries once listed.
    while (names != nullptr) {
      struct dirent* entry = readdir(dir);
      if (entry == nullptr) break;
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names->push_back(name);
    }
    closedir(dir);
    return true;
  }

  bool FolderExists(const std::string& path) override {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool FileExists(const std::string& path) override {
    struct stat st;
    std::string real = ResolveName(path);
    return stat(real.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  FileError ReadFile(const std::string& path, std::string* contents) override {
    contents->clear();
    std::string real;
    // Only regular files are read: a named pipe or a device in the place of
    // a table file would hold the call or never end.
    int fd = OpenCased(path, O_RDONLY | O_NOFOLLOW | kOpenFlags, &real);
    if (fd < 0) return FailureOf(real, errno);
    struct stat st {};
    FileError result = fstat(fd, &st) == 0 ? ReadAll(fd, st, contents)
                                           : CauseOfWrite(errno);
    close(fd);
    return result;
  }

  FileError OpenForWrite(const std::string& path, Creation creation,
                         std::unique_ptr<WritableFile>* file) override {
    file->reset();
    return creation == Creation::kExisting ? OpenExisting(path, file)
                                           : OpenNew(path, file);
  }

  FileError RenameFile(const std::string& from, const std::string& to,
                       bool replace) override {
    const std::string target = ResolveName(to);
    if (replace) {
      return rename(from.c_str(), target.c_str()) == 0 ? FileError::kNone
                                                       : FailureOf(target, errno);
    }
    struct stat st;
    if (lstat(target.c_str(), &st) == 0) return Refuse(FileError::kExists, EEXIST);
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, target.c_str(),
                  RENAME_NOREPLACE) == 0) {
      return FileError::kNone;
    }
    if (errno != EINVAL && errno != ENOSYS) return FailureOf(target, errno);
    // A file system without RENAME_NOREPLACE: a hard link is made only
    // where no name is, then the temporary name goes.
    if (link(from.c_str(), target.c_str()) == 0) {
      unlink(from.c_str());
      return FileError::kNone;
    }
    if (errno != EPERM && errno != EOPNOTSUPP) return FailureOf(target, errno);
    // Nor hard links: under the table lock nobody made the name since the
    // look above.
    return rename(from.c_str(), target.c_str()) == 0 ? FileError::kNone
                                                     : FailureOf(target, errno);
  }

  FileError SyncFolder(const std::string& folder) override {
    int fd = open(folder.empty() ? "." : folder.c_str(),
                  O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return CauseOfWrite(errno);
    FileError result = FileError::kNone;
    // A file system that cannot sync a folder says so; it is taken at its
    // word. Every other failure leaves the folder's changes unsure.
    if (fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP &&
        errno != EOPNOTSUPP) {
      result = CauseOfWrite(errno);
    }
    close(fd);
    return result;
  }

  FileError LockFile(const std::string& path, LockPlace place, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override {
    return LockOsFile(path, place, timeout_ms, lock);
  }

  std::size_t MaxPathLength() const override { return PATH_MAX - 1; }

 private:
  static FileError OpenExisting(const std::string& path,
                                std::unique_ptr<WritableFile>* file) {
    std::string real;
    int fd = OpenCased(path, O_RDWR | O_NOFOLLOW | kOpenFlags, &real);
    if (fd < 0) return FailureOf(real, errno);
    struct stat st;
    FileError e = FileError::kNone;
    if (fstat(fd, &st) != 0) {
      e = CauseOfWrite(errno);
    } else if (!S_ISREG(st.st_mode)) {
      e = Refuse(FileError::kOther, EINVAL);
    } else if (NoWriteBits(st)) {
      e = Refuse(FileError::kDenied, EACCES);
    } else if (HeldElsewhere(fd)) {
      e = Refuse(FileError::kSharing, EWOULDBLOCK);
    }
    if (e != FileError::kNone) {
      close(fd);
      return e;
    }
    *file = std::make_unique<LinuxWritableFile>(fd, real);
    return FileError::kNone;
  }

  static FileError OpenNew(const std::string& path,
                           std::unique_ptr<WritableFile>* file) {
    const std::string folder = FolderOf(path);
    struct stat st;
    if (stat(folder.empty() ? "." : folder.c_str(), &st) != 0 ||
        !S_ISDIR(st.st_mode)) {
      return Refuse(FileError::kBadPath, ENOENT);
    }
    if (NoWriteBits(st)) return Refuse(FileError::kDenied, EACCES);
    // The same name in another case is the same file to Windows stations.
    if (MatchCase(path) != path) return Refuse(FileError::kExists, EEXIST);
    const mode_t mode = NewFileMode(folder);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | kOpenFlags,
                  mode);
    if (fd < 0) return CauseOfWrite(errno);
    // The umask does not decide who may write the shared tables: the
    // folder does. A folder of a group gives the file to that group.
    (void)fchmod(fd, mode);
    struct stat now;
    if ((mode & S_IWGRP) != 0 && fstat(fd, &now) == 0 && now.st_gid != st.st_gid) {
      (void)fchown(fd, static_cast<uid_t>(-1), st.st_gid);
      (void)fchmod(fd, mode);  // a change of group may clear bits
    }
    *file = std::make_unique<LinuxWritableFile>(fd, path);
    return FileError::kNone;
  }
};

}  // namespace

Env& Env::Default() {
  // An object, not a heap pointer: the library can be unloaded (dlclose),
  // and it must leave nothing behind when it is.
  static LinuxEnv env;
  return env;
}

}  // namespace zolt
