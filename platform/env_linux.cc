// The Linux Env. Map of this file:
//  - ResolveName: the case-insensitive match of a path's last component.
//  - CauseOf: errno to FileError.
//  - LinuxEnv: the Env methods.
// Windows marks a file read-only with an attribute that even an administrator
// must respect; here a file (or folder) without any write bit plays that
// part, so that a read-only settings or table file, or data folder, behaves
// alike when the station runs as root.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/env.h"
#include "platform/linux_paths.h"

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

bool NoWriteBits(const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// errno after a failed open/unlink/stat of `path`, as the Windows causes.
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
    default: return FileError::kOther;
  }
}

// ENOENT for a file whose folder is missing is a bad path, as on Windows.
FileError MissingCause(const std::string& path) {
  std::string folder = FolderOf(path);
  struct stat st;
  if (folder.empty()) return FileError::kNotFound;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return FileError::kBadPath;
  }
  return FileError::kNotFound;
}

FileError FailureOf(const std::string& path, int err) {
  return err == ENOENT ? MissingCause(path) : CauseOf(err);
}

// An open-file-description lock (fcntl F_OFD_SETLK): it belongs to the open
// file, so two opens in one process exclude each other like two processes,
// and closing the file releases it. NFS and SMB mounts carry these locks to
// the server, so stations on other machines see them too.
class OfdLock final : public FileLock {
 public:
  explicit OfdLock(int fd) : fd_(fd) {}
  ~OfdLock() override { close(fd_); }

 private:
  int fd_;
};

// A helper thread given up on still runs this code until its wait ends,
// which may be long after the call returned: the shared object that holds
// it stays loaded for the rest of the process, so that a program that
// unloads the library meanwhile does not pull the code from under the
// thread. (In a program linked with it statically this changes nothing.)
void KeepThisCodeLoaded() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&KeepThisCodeLoaded), &info) != 0 &&
      info.dli_fname != nullptr) {
    (void)dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
}

bool TryOfdLock(int fd) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 0;  // the whole file
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// Opens `path`, or, when no entry is spelled so, the entry of its folder
// whose name matches without regard to case. *real is the path opened (or
// tried last). The folder is searched only after a miss, so an exact name
// costs one system call.
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

// The checks of a file opened for writing as the settings check opens it:
// a regular file with write bits that no other holder keeps locked. *st
// receives its status.
FileError CheckOpened(int fd, struct stat* status) {
  struct stat& st = *status;
  if (fstat(fd, &st) != 0) return FileError::kOther;
  if (S_ISDIR(st.st_mode)) return FileError::kDenied;
  if (!S_ISREG(st.st_mode)) return FileError::kOther;  // a device, pipe or socket
  if (NoWriteBits(st)) return FileError::kDenied;
  // Held by another process or thread: the sharing violation of Windows.
  for (int attempt = 1;; ++attempt) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return FileError::kNone;
    if (errno != EWOULDBLOCK) return FileError::kOther;
    if (attempt == kMaxTries) return FileError::kSharing;
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryPauseMs));
  }
}

// Reads an open regular file, whose status is *status, to its end (within
// kMaxReadBytes).
FileError ReadAll(int fd, const struct stat& st, std::string* contents) {
  if (!S_ISREG(st.st_mode)) {
    return S_ISDIR(st.st_mode) ? FileError::kDenied : FileError::kOther;
  }
  if (st.st_size > kMaxReadBytes) return FileError::kOther;
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
      return CauseOf(err);
    }
    have += static_cast<size_t>(n);
    if (n == 0 || have < want) break;
    if (want > static_cast<size_t>(kMaxReadBytes)) {  // grew while being read
      contents->clear();
      return FileError::kOther;
    }
    want *= 2;
    contents->resize(want);
  }
  contents->resize(have);
  return FileError::kNone;
}

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

  FileError CheckWritable(const std::string& path) override {
    std::string real;
    // O_NONBLOCK: a named pipe in the file's place must not hold the call
    // until some reader opens it (it fails with ENXIO, "other", instead).
    int fd = OpenCased(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, &real);
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
    int fd = OpenCased(path, O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, &real);
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
      if (S_ISDIR(st.st_mode) || NoWriteBits(st) || FolderOfIsReadOnly(real)) {
        return FileError::kDenied;
      }
    }
    if (unlink(real.c_str()) != 0) return FailureOf(real, errno);
    return FileError::kNone;
  }

  bool ListFolder(const std::string& folder,
                  std::vector<std::string>* names) override {
    if (names != nullptr) names->clear();
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
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
    // a settings or table file would hold the call or never end.
    int fd = OpenCased(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, &real);
    if (fd < 0) return FailureOf(real, errno);
    struct stat st {};
    FileError result = fstat(fd, &st) == 0 ? ReadAll(fd, st, contents)
                                           : FileError::kOther;
    close(fd);
    return result;
  }

  FileError WriteFileAtomic(const std::string& path,
                            const std::string& contents) override {
    return WriteReplacing(ResolveName(path), contents);
  }

  FileError WriteInPlace(const std::string& path, std::uint64_t offset,
                         std::string_view bytes,
                         std::uint64_t expected_size) override {
    std::string real;
    int fd = OpenCased(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, &real);
    if (fd < 0) return FailureOf(real, errno);
    FileError result = WriteAt(fd, offset, bytes, expected_size);
    close(fd);
    return result;
  }

  FileError LockFile(const std::string& path, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override {
    lock->reset();
    int fd = OpenLockFile(path);
    if (fd < 0) return CauseOf(errno);
    if (TryOfdLock(fd)) {
      *lock = std::make_unique<OfdLock>(fd);
      return FileError::kNone;
    }
    const bool busy = errno == EAGAIN || errno == EACCES || errno == EINTR;
    if (!busy) {  // ENOLCK, EINVAL: a file system without these locks
      close(fd);
      return FileError::kOther;
    }
    if (timeout_ms <= 0) {
      close(fd);
      return FileError::kSharing;
    }
    return WaitInKernel(fd, timeout_ms, lock);
  }

  std::size_t MaxPathLength() const override { return PATH_MAX - 1; }

 private:
  // Opens the lock file for reading and writing (a write lock needs both),
  // making it when missing with read and write for everyone, whatever the
  // umask: a station of another user, or one on a folder that later turns
  // read-only, must still be able to open it. A folder without write bits
  // gets no new file, as for a station that may not write there. Only a
  // regular file will do. On failure errno tells why.
  static int OpenLockFile(const std::string& path) {
    constexpr int kFlags = O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    std::string real;
    int fd = OpenCased(path, kFlags, &real);
    if (fd < 0 && errno == ENOENT) {
      if (FolderOfIsReadOnly(real)) {
        errno = EACCES;
        return -1;
      }
      fd = open(real.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
      if (fd >= 0) {
        (void)fchmod(fd, 0666);
      } else if (errno == EEXIST) {
        fd = open(real.c_str(), kFlags);  // made by another station just now
      }
    }
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      close(fd);
      errno = EINVAL;
      return -1;
    }
    return fd;
  }

  // A held lock is waited for in the kernel (F_OFD_SETLKW), which hands a
  // released lock to a waiter at once. Polling instead lets the station that
  // just let go take the lock again before any poller looks, over and over,
  // so that a poller can starve past the bound while the lock is busy but
  // healthy. The wait runs on a helper thread so that the caller can give up
  // at the bound; a helper that was given up closes its file (and with it
  // any lock it got) when its wait ends.
  struct KernelWait {
    std::mutex mutex;
    std::condition_variable done_cv;
    bool done = false;
    bool got = false;
    bool abandoned = false;
  };

  static FileError WaitInKernel(int fd, int timeout_ms,
                                std::unique_ptr<FileLock>* lock) {
    auto wait = std::make_shared<KernelWait>();
    try {
      std::thread([wait, fd] {
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        int r;
        do {
          r = fcntl(fd, F_OFD_SETLKW, &fl);
        } while (r != 0 && errno == EINTR);
        std::lock_guard<std::mutex> hold(wait->mutex);
        wait->done = true;
        wait->got = r == 0;
        if (wait->abandoned) {
          close(fd);
        } else {
          wait->done_cv.notify_all();
        }
      }).detach();
    } catch (...) {  // no thread to be had: no lock to be had
      close(fd);
      return FileError::kOther;
    }
    std::unique_lock<std::mutex> hold(wait->mutex);
    if (!wait->done_cv.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                                [&] { return wait->done; })) {
      wait->abandoned = true;  // the helper closes fd when its wait ends
      KeepThisCodeLoaded();
      return FileError::kSharing;
    }
    if (!wait->got) {
      close(fd);
      return FileError::kOther;
    }
    *lock = std::make_unique<OfdLock>(fd);
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
