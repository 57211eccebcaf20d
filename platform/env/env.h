// The operating system as the rest of the system sees it: files, folders,
// deletion with its cause, the clock, the running program's path and the
// library's notices (message boxes). One implementation per OS (env_windows.cc,
// env_linux.cc) and test doubles (testing/test_env.h). Nothing above platform/
// includes an OS header.
//
// Paths are 8-bit ANSI text, as the programs that share these files use them.
// On Linux the last component of a path is matched without regard to case
// when the exact name is not present (see ResolveName), as Windows does.
#ifndef ZOLT_PLATFORM_ENV_ENV_H_
#define ZOLT_PLATFORM_ENV_ENV_H_

#include <cstdint>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zolt {

// Local date and time as the platform's clock reports it.
struct LocalTime {
  int year = 0;    // four digits
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

// Why a file operation failed. The library tells these apart (result codes
// -400/-375/-1 and -610/-620/-600); anything it does not positively
// recognise refuses the call.
enum class FileError {
  kNone = 0,
  kNotFound,   // the file is missing, its folder exists
  kBadPath,    // the folder is missing, or a component is not a folder
  kDenied,     // access denied (on Linux also a file without write bits)
  kSharing,    // held open elsewhere without sharing / locked
  kLink,       // a symbolic link (Windows: a reparse point) where a file of
               // the data folder must be: it is never followed or changed
  kExists,     // a file that was to be made new is already there
  kNoLocks,    // the file system keeps no locks
  kOther,
};

const char* FileErrorName(FileError e);

// An exclusive advisory lock on a file, held until the object is destroyed.
class FileLock {
 public:
  virtual ~FileLock() = default;
  // Whether taking the lock made its lock file (kLockFile).
  virtual bool created() const { return false; }
};

// An open file, for writing (and reading back its size). Closed when
// destroyed. Data written is on disk only once Sync returned kNone.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // The path that was opened: on Linux the spelling found on disk, which
  // may differ in case from the one asked for.
  virtual const std::string& path() const = 0;
  virtual FileError Size(std::uint64_t* size) = 0;
  virtual FileError Write(std::uint64_t offset, std::string_view bytes) = 0;
  virtual FileError Truncate(std::uint64_t size) = 0;
  virtual FileError Sync() = 0;
};

// What OpenForWrite may do about a missing file.
enum class Creation {
  kExisting,  // open only an existing file (kNotFound otherwise)
  kNew,       // make a new file; kExists when one is there (in any case)
};

// What the caller knows of a file it replaces (WriteFileAtomic).
enum class Expect {
  kAny,       // missing or there
  kExisting,  // it must be there: a missing file is not made (kNotFound)
  kNew,       // it must not be there: an existing one is left (kExists)
};

// Where a lock is taken (LockFile).
enum class LockPlace {
  kLockFile,   // the whole lock file, made when missing
  kTableFile,  // a byte range past the contents of an existing file
};

class Env {
 public:
  virtual ~Env() = default;

  // The Env of the running process. Never null; lives as long as the process.
  static Env& Default();

  // Separator that joins a folder and a name: '\\' on Windows, '/' on Linux.
  virtual char PathSeparator() const = 0;

  // Full path of the running program's executable, or "" when it cannot be
  // obtained (GetModuleFileNameA(NULL) on Windows, /proc/self/exe on Linux).
  virtual std::string ExecutablePath() = 0;

  // The local date and time now.
  virtual LocalTime Now() = 0;

  // A library configuration notice: a modal MessageBoxA(NULL, text, caption,
  // MB_OK) on Windows; one line on stderr and to syslog on Linux (never
  // blocks). Returns when the user has closed the box.
  virtual void Notify(const std::string& caption, const std::string& text) = 0;

  // The operating system's error number behind this thread's last failed
  // operation of this Env (errno, GetLastError()), 0 when there is none
  // (a refusal of the Env's own, an injected failure), and its wording.
  virtual int LastOsError() = 0;
  virtual std::string OsErrorText(int code) = 0;

  // Opens an existing file for writing without creating, truncating or
  // sharing it, and closes it at once. kNone when that worked. Unlike every
  // other file operation here it follows a symbolic link, as the platform's
  // own open does: it checks the settings file where the program's folder
  // puts it.
  virtual FileError CheckWritable(const std::string& path) = 0;

  // Deletes a file. kNone on success, else the cause. A symbolic link
  // (reparse point) is refused (kLink) and left alone.
  virtual FileError RemoveFile(const std::string& path) = 0;

  // True when a search for any entry of the folder (the pattern "\*.*")
  // finds one: the folder exists and can be listed. When names is not null
  // it receives the name of every entry (".", ".." left out).
  virtual bool ListFolder(const std::string& folder,
                          std::vector<std::string>* names) = 0;

  virtual bool FolderExists(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;

  // Reads a whole regular file. kNotFound / kBadPath when it is missing;
  // kLink for a symbolic link (never followed); any other failure (a read
  // error, a file over 64 MiB, a folder, a device) is reported as such and
  // never as a missing file. The contents are left empty on any failure.
  virtual FileError ReadFile(const std::string& path, std::string* contents) = 0;

  // CheckWritable and ReadFile through one open: the file is opened for
  // reading and writing without creating, truncating or sharing it, and
  // read when that worked. The result is CheckWritable's; contents that
  // cannot be read (a file over 64 MiB) are left empty. Follows links as
  // CheckWritable does.
  virtual FileError ReadIfWritable(const std::string& path,
                                   std::string* contents) = 0;

  // Opens a regular file for writing, never through a symbolic link in its
  // last component (kLink), never a folder (kDenied). A read-only file is
  // refused (kDenied), one that another program holds open without sharing
  // writing gives kSharing (after bounded retries). kNew makes the file
  // with permissions that let every account that may write the folder
  // write the file too; a folder that takes no new file gives kDenied, a
  // missing folder kBadPath.
  virtual FileError OpenForWrite(const std::string& path, Creation creation,
                                 std::unique_ptr<WritableFile>* file) = 0;

  // Renames the file `from` to `to` in the same folder: over an existing
  // `to` when `replace`, else only where no file of that name (in any
  // case) is there (kExists). On Windows the renamed file is flushed, so
  // that the rename is on disk when this returns; on Linux it is on disk
  // after SyncFolder.
  virtual FileError RenameFile(const std::string& from, const std::string& to,
                               bool replace) = 0;

  // Makes the folder's entries (files made, renamed and removed in it)
  // durable. A file system that cannot sync a folder says so
  // (EINVAL/ENOTSUP) and is taken at its word; any other failure is
  // reported.
  virtual FileError SyncFolder(const std::string& folder) = 0;

  // Replaces a file's contents atomically, from OpenForWrite, RenameFile
  // and SyncFolder: a temporary file in the same folder (named as
  // IsTemporaryFileName describes), flushed to disk and renamed over the
  // target, the folder then synced. Only where the folder takes no new file
  // (or, on Windows, the rename is refused because the target is held open)
  // is the file rewritten in place instead, also flushed. kNone only when
  // the contents have reached the disk; any other failure leaves the target
  // as it was. `expect` says whether the target must exist or must not.
  // A missing folder is never created (kBadPath).
  virtual FileError WriteFileAtomic(const std::string& path,
                                    const std::string& contents,
                                    Expect expect);

  // Writes `bytes` at `offset` of an existing file (at its end when offset
  // is its size), flushed to disk, provided the file is still
  // `expected_size` bytes long (kOther when it is not: it changed since it
  // was read). The refusals are OpenForWrite's.
  virtual FileError WriteInPlace(const std::string& path, std::uint64_t offset,
                                 std::string_view bytes,
                                 std::uint64_t expected_size);

  // Takes an exclusive advisory lock, waiting at most `timeout_ms` for
  // other holders to let go. kLockFile locks the whole file at `path`,
  // made when missing (readable and writable for everyone, never deleted);
  // kTableFile locks a byte range past the contents of an existing file
  // (kNotFound when missing), where a lock blocks no reader. Other
  // processes and other calls of this process that lock the same place
  // wait for it; a waiter that has waited a while is served before new
  // comers. Never a link (kLink). kNone with *lock set when held; kSharing
  // when other holders kept it the whole time; kNoLocks when the file
  // system keeps no locks; kDenied when the lock file cannot be made or
  // opened; any other cause as it is. A wait that gives up leaves no
  // thread or open file behind.
  virtual FileError LockFile(const std::string& path, LockPlace place,
                             int timeout_ms, std::unique_ptr<FileLock>* lock);

  // The longest path the platform's file functions take (MAX_PATH less its
  // terminating zero on Windows).
  virtual std::size_t MaxPathLength() const = 0;
};

// Temporary files of WriteFileAtomic are named "~zt" + six letters or digits
// + ".tmp", in the target's folder: never longer than the table names, so
// that a temporary path fits wherever its target's path fits, and the same
// on every platform, so that any station can recognise what a write cut
// short (a station killed mid-write) left behind. The last two of the six
// characters check the first four, so that a file someone else named in
// this shape is told apart (all but one in 1296 of them).
constexpr std::size_t kTemporaryNameLength = 13;
bool IsTemporaryFileName(std::string_view name);
// A temporary file name made from `seed`.
std::string TemporaryFileName(std::uint64_t seed);

// Joins a folder and a name with the platform separator the way the system
// always has: folder + separator + name, with no check for a separator that
// the folder already ends with.
std::string JoinPath(const Env& env, const std::string& folder,
                     const std::string& name);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_ENV_ENV_H_
