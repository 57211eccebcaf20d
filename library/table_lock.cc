#include "library/table_lock.h"

#include <atomic>
#include <chrono>

namespace zolt {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> g_wait_ms{kTableLockWaitMs};

std::timed_mutex& ThreadMutex() {
  // An object, so that unloading the library frees it.
  static std::timed_mutex mutex;
  return mutex;
}

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

Code Busy(Env& env, Refusal* why, const std::string& path, int wait_ms) {
  return RefuseWith(env, why, Code::kLockBusy,
                    "waiting for the table lock, which another station or "
                    "program held for more than " +
                        std::to_string(wait_ms) + " ms:",
                    path, FileError::kSharing);
}

}  // namespace

void SetTableLockWait(int wait_ms) { g_wait_ms = wait_ms; }

Code TableLock::Acquire(Env& env, const std::string& data_folder,
                        Refusal* why) {
  const int wait_ms = g_wait_ms;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(wait_ms);
  thread_lock_ = std::unique_lock<std::timed_mutex>(ThreadMutex(),
                                                    std::defer_lock);
  if (!thread_lock_.try_lock_until(deadline)) {
    return RefuseWith(env, why, Code::kLockBusy,
                      "waiting for another call of this program, which held "
                      "the tables for more than " +
                          std::to_string(wait_ms) + " ms");
  }
  const std::string lock_path = JoinPath(env, data_folder, kTableLockName);
  const std::string table_path = JoinPath(env, data_folder, "PINTable.dat");
  // At most twice round: a station under the table file's lock that finds
  // PINTable.lck made meanwhile goes over to it.
  for (int round = 0; round < 2; ++round) {
    std::string path = lock_path;
    FileError e = env.LockFile(lock_path, LockPlace::kLockFile,
                               RemainingMs(deadline), &file_lock_);
    if (e == FileError::kNone && file_lock_->created()) {
      // Stations that could not make the lock file may be selling under
      // the table file's lock: wait them out before going on.
      std::unique_ptr<FileLock> table;
      if (env.LockFile(table_path, LockPlace::kTableFile, RemainingMs(deadline),
                       &table) == FileError::kSharing) {
        return Busy(env, why, table_path, wait_ms);
      }
    } else if (e == FileError::kDenied) {
      // No lock file can be made here by this station: the table file's.
      path = table_path;
      e = env.LockFile(table_path, LockPlace::kTableFile, RemainingMs(deadline),
                       &file_lock_);
      if (e == FileError::kNone && round == 0 && env.FileExists(lock_path)) {
        file_lock_.reset();
        continue;
      }
      if (e == FileError::kNotFound || e == FileError::kDenied) {
        // This station may make nothing in the data folder and may not
        // write PINTable.dat (or there is none): it can only read.
        mode_ = Mode::kReadOnly;
        return Code::kOk;
      }
    }
    switch (e) {
      case FileError::kNone:
        mode_ = Mode::kHeld;
        return Code::kOk;
      case FileError::kNoLocks:
        mode_ = Mode::kNoLocks;
        return Code::kOk;
      case FileError::kSharing:
        return Busy(env, why, path, wait_ms);
      default:
        return RefuseWith(env, why, Code::kUndetermined, "locking", path, e);
    }
  }
  return RefuseWith(env, why, Code::kUndetermined,
                    "locking (PINTable.lck came and went)", lock_path);
}

TableLock::~TableLock() {
  file_lock_.reset();  // the file first, then the threads of this process
}

}  // namespace zolt
