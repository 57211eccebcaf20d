// The lock that keeps stations sharing a data folder from taking the same
// slot: an in-process mutex for calls on several threads, then an advisory
// lock on PINTable.lck in the data folder for other processes and stations.
// It is held across the refresh of the tables, the search and the mark.
//
// Each part is waited for at most kTableLockWaitMs. A rebuild, the longest
// piece of work under the lock, takes milliseconds on a local disk and well
// under a second on a slow share, so a holder that keeps the lock longer than
// the wait is stuck (a hung station, a lock left on a server). A call that
// cannot get a busy lock in time refuses (kLockBusy) rather than sell beside
// a live holder. Only when the lock cannot be had at all (a data folder that
// may not be written and holds no PINTable.lck yet, a file system without
// locks) does the call go on without it, as stations always did before the
// lock existed; it then still issues a PIN only once its mark is written.
// Stations that do not know the lock still share the tables with those that
// do.
#ifndef ZOLT_LIBRARY_TABLE_LOCK_H_
#define ZOLT_LIBRARY_TABLE_LOCK_H_

#include <memory>
#include <mutex>
#include <string>

#include "library/result_code.h"
#include "platform/env.h"

namespace zolt {

constexpr int kTableLockWaitMs = 5000;
constexpr char kTableLockName[] = "PINTable.lck";

class TableLock {
 public:
  TableLock() = default;
  ~TableLock();
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

  // Takes both parts for the data folder. kOk when held, or when no lock
  // file can be had at all (held() is then false); kLockBusy when another
  // thread or station kept either part past the bound.
  Code Acquire(Env& env, const std::string& data_folder);

  // Whether the lock file is held (only a holder may tidy the data folder).
  bool held() const { return file_lock_ != nullptr; }

 private:
  std::unique_lock<std::timed_mutex> thread_lock_;
  std::unique_ptr<FileLock> file_lock_;
};

// The wait for each part of the lock, kTableLockWaitMs unless set. The
// exports never set it; zolt's rehearsals and the tests' proofs that the
// lock prevents duplicates set it long, so that they do not depend on how
// busy the machine is.
void SetTableLockWait(int wait_ms);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_TABLE_LOCK_H_
