// The lock that keeps stations sharing a data folder from taking the same
// slot: an in-process mutex for calls on several threads, then an advisory
// lock on PINTable.lck in the data folder for other processes and stations.
// It is held across the refresh of the tables, the search and the mark.
//
// One bound, kTableLockWaitMs, covers the whole wait of a call (the mutex
// and the file locks together). A rebuild, the longest piece of work under
// the lock, takes milliseconds on a local disk and well under a second on a
// slow share, so a holder that keeps the lock longer is stuck (a hung
// station, a lock left on a server): the call refuses (kLockBusy) rather
// than sell beside a live holder.
//
// Where no PINTable.lck can be made (a data folder that takes no new file
// from this station), a byte range past the contents of PINTable.dat is
// locked instead. Stations that use each kind stay mutually exclusive: a
// station holding the table file's lock looks again for PINTable.lck and
// goes over to it once it exists, and a station that has just made
// PINTable.lck first waits out any holder of the table file's lock.
//
// Only where the file system positively keeps no locks does the call go on
// unlocked, as stations always did before the lock existed. Where neither
// lock can be had because this station may write neither PINTable.lck nor
// PINTable.dat, the call goes on as a reader: it answers from the tables
// and refuses wherever it would write. Every other failure refuses the
// call. Stations that do not know the lock still share the tables with
// those that do.
#ifndef ZOLT_LIBRARY_TABLE_LOCK_H_
#define ZOLT_LIBRARY_TABLE_LOCK_H_

#include <memory>
#include <mutex>
#include <string>

#include "library/refusal.h"
#include "library/result_code.h"
#include "platform/env/env.h"

namespace zolt {

constexpr int kTableLockWaitMs = 5000;
constexpr char kTableLockName[] = "PINTable.lck";

class TableLock {
 public:
  // How the call may go on once Acquire returned kOk.
  enum class Mode {
    kHeld,      // the lock is held: read, write, tidy the data folder
    kNoLocks,   // the file system keeps no locks: read and write, unlocked
    kReadOnly,  // no lock to be had, nothing this station may write: read
  };

  TableLock() = default;
  ~TableLock();
  TableLock(const TableLock&) = delete;
  TableLock& operator=(const TableLock&) = delete;

  // Takes both parts for the data folder. kOk (see mode()); kLockBusy when
  // another thread or station kept the lock past the bound; the
  // undetermined failure when it failed otherwise. The cause of a refusal
  // goes into *why.
  Code Acquire(Env& env, const std::string& data_folder, Refusal* why);

  Mode mode() const { return mode_; }
  // Whether the lock is held (only a holder may tidy the data folder).
  bool held() const { return mode_ == Mode::kHeld; }

 private:
  std::unique_lock<std::timed_mutex> thread_lock_;
  std::unique_ptr<FileLock> file_lock_;
  Mode mode_ = Mode::kReadOnly;
};

// The bound of each call's wait, kTableLockWaitMs unless set. The exports
// never set it; zolt's rehearsals and the tests' proofs that the lock
// prevents duplicates set it long, so that they do not depend on how busy
// the machine is.
void SetTableLockWait(int wait_ms);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_TABLE_LOCK_H_
