#include "library/table_lock.h"

#include <atomic>
#include <chrono>

namespace zolt {
namespace {

std::atomic<int> g_wait_ms{kTableLockWaitMs};

std::timed_mutex& ThreadMutex() {
  // An object, so that unloading the library frees it.
  static std::timed_mutex mutex;
  return mutex;
}

}  // namespace

void SetTableLockWait(int wait_ms) { g_wait_ms = wait_ms; }

Code TableLock::Acquire(Env& env, const std::string& data_folder) {
  const int wait_ms = g_wait_ms;
  thread_lock_ = std::unique_lock<std::timed_mutex>(ThreadMutex(),
                                                    std::defer_lock);
  if (!thread_lock_.try_lock_for(std::chrono::milliseconds(wait_ms))) {
    return Code::kLockBusy;
  }
  FileError e = env.LockFile(JoinPath(env, data_folder, kTableLockName),
                             wait_ms, &file_lock_);
  return e == FileError::kSharing ? Code::kLockBusy : Code::kOk;
}

TableLock::~TableLock() {
  file_lock_.reset();  // the file first, then the threads of this process
}

}  // namespace zolt
