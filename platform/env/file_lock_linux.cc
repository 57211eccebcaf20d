// The Linux form of Env::LockFile: open-file-description locks (fcntl
// F_OFD_SETLK), polled. They belong to the open file, so two opens in one
// process exclude each other like two processes, closing the file releases
// them, and NFS and SMB mounts carry them to the server.
//
// The wait is polled in the calling thread, so that a wait that gives up
// leaves nothing behind (no helper thread, no open file). Polling alone
// would let a station that has just let go take the lock again before a
// sleeping poller looks, over and over; so a waiter that has waited a while
// takes a second byte, the priority byte, and while another holds it nobody
// else takes the lock. The waiter with the priority byte is thus served at
// the next release, then lets the byte go for the next one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/env/file_lock.h"
#include "platform/env/linux_paths.h"

namespace zolt {
namespace {

using Clock = std::chrono::steady_clock;

// The bytes locked. In the lock file: byte 0 (stations of the version
// before this lock the whole file, which covers both bytes). In a table
// file: bytes far past its contents, where the Windows build's locks, which
// block reading the bytes they cover, block nothing.
struct Range {
  off_t lock;
  off_t priority;
};
constexpr Range kLockFileRange{0, 1};
constexpr Range kTableFileRange{0x7FFFFFF0, 0x7FFFFFF1};

// How long a waiter polls before it asks for the priority byte.
constexpr auto kPriorityAfter = std::chrono::milliseconds(2);
constexpr auto kLongestPause = std::chrono::microseconds(1000);

class OfdLock final : public FileLock {
 public:
  OfdLock(int fd, bool created) : fd_(fd), created_(created) {}
  ~OfdLock() override { close(fd_); }
  bool created() const override { return created_; }

 private:
  int fd_;
  bool created_;
};

bool SetLock(int fd, off_t at, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = at;
  fl.l_len = 1;
  int r;
  do {
    r = fcntl(fd, F_OFD_SETLK, &fl);
  } while (r != 0 && errno == EINTR);
  return r == 0;
}

// Whether another open file holds the byte (a failed query counts as free:
// the attempt on the lock itself then reports the cause).
bool HeldByOther(int fd, off_t at) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = at;
  fl.l_len = 1;
  return fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
}

bool Busy(int err) { return err == EAGAIN || err == EACCES; }

// The answer of a lock call that neither got the lock nor found it busy.
FileError LockFailure(int err) {
  RememberErrno(err);
  // The file system positively keeps no locks. EINVAL (a kernel without
  // open-file-description locks) is not that: no lock, no sale.
  if (err == ENOLCK || err == EOPNOTSUPP || err == ENOTSUP) {
    return FileError::kNoLocks;
  }
  return FileError::kOther;
}

// Opens the lock file, making it when missing with read and write for
// everyone, whatever the umask: a station of another user, or one on a
// folder that later turns read-only, must still be able to open it. kDenied
// only when it is missing and cannot be made; an existing one that cannot
// be opened (or is no regular file) is kOther.
FileError OpenLockFile(const std::string& path, int* fd, bool* created) {
  constexpr int kFlags = O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW;
  *created = false;
  std::string real;
  *fd = OpenCased(path, kFlags, &real);
  if (*fd < 0 && errno == ENOENT) {
    if (FolderOfIsReadOnly(real)) {
      RememberErrno(EACCES);
      return FileError::kDenied;
    }
    *fd = open(real.c_str(), kFlags | O_CREAT | O_EXCL, 0666);
    if (*fd >= 0) {
      *created = true;
      (void)fchmod(*fd, 0666);
    } else if (errno == EEXIST) {
      *fd = open(real.c_str(), kFlags);  // made by another station just now
    } else if (errno == EACCES || errno == EPERM || errno == EROFS) {
      RememberErrno(errno);
      return FileError::kDenied;
    }
  }
  if (*fd < 0) {
    const FileError e = FailureOf(real, errno);
    return e == FileError::kLink ? e : FileError::kOther;
  }
  struct stat st;
  if (fstat(*fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(*fd);
    RememberErrno(EINVAL);
    return FileError::kOther;
  }
  return FileError::kNone;
}

// Opens an existing table file for a lock of its own: kNotFound when it is
// missing, kDenied when this station may not write it.
FileError OpenTableFile(const std::string& path, int* fd) {
  std::string real;
  *fd = OpenCased(path, O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW,
                  &real);
  if (*fd < 0) return FailureOf(real, errno);
  struct stat st;
  if (fstat(*fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(*fd);
    RememberErrno(EINVAL);
    return FileError::kOther;
  }
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    close(*fd);
    RememberErrno(EACCES);
    return FileError::kDenied;
  }
  return FileError::kNone;
}

}  // namespace

FileError LockOsFile(const std::string& path, LockPlace place, int timeout_ms,
                    std::unique_ptr<FileLock>* lock) {
  lock->reset();
  int fd = -1;
  bool created = false;
  FileError e = place == LockPlace::kLockFile ? OpenLockFile(path, &fd, &created)
                                              : OpenTableFile(path, &fd);
  if (e != FileError::kNone) return e;
  const Range range = place == LockPlace::kLockFile ? kLockFileRange
                                                    : kTableFileRange;
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline =
      start + std::chrono::milliseconds(timeout_ms > 0 ? timeout_ms : 0);
  bool priority = false;
  auto pause = std::chrono::microseconds(50);
  for (;;) {
    if (priority || !HeldByOther(fd, range.priority)) {
      if (SetLock(fd, range.lock, F_WRLCK)) {
        if (priority) SetLock(fd, range.priority, F_UNLCK);
        *lock = std::make_unique<OfdLock>(fd, created);
        return FileError::kNone;
      }
      if (!Busy(errno)) {
        const int err = errno;
        close(fd);
        return LockFailure(err);
      }
    }
    const Clock::time_point now = Clock::now();
    if (now >= deadline) {
      close(fd);  // with it any priority byte it held
      RememberErrno(EAGAIN);
      return FileError::kSharing;
    }
    if (!priority && now - start >= kPriorityAfter) {
      priority = SetLock(fd, range.priority, F_WRLCK);
    }
    std::this_thread::sleep_for(pause);
    if (pause < kLongestPause) pause *= 2;
  }
}

}  // namespace zolt
