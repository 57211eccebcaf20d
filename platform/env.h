// The operating system as the rest of the system sees it: files, folders,
// deletion with its cause, the clock, the running program's path and the
// library's notices (message boxes). One implementation per OS (env_windows.cc,
// env_linux.cc) and test doubles (testing/test_env.h). Nothing above platform/
// includes an OS header.
//
// Paths are 8-bit ANSI text, as the programs that share these files use them.
// On Linux the last component of a path is matched without regard to case
// when the exact name is not present (see ResolveName), as Windows does.
#ifndef ZOLT_PLATFORM_ENV_H_
#define ZOLT_PLATFORM_ENV_H_

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
// -400/-375/-1 and -610/-620/-600).
enum class FileError {
  kNone = 0,
  kNotFound,   // the file is missing, its folder exists
  kBadPath,    // the folder is missing, or a component is not a folder
  kDenied,     // access denied (on Linux also a file without write bits)
  kSharing,    // held open elsewhere without sharing / locked
  kOther,
};

const char* FileErrorName(FileError e);

// An exclusive advisory lock on a file, held until the object is destroyed.
class FileLock {
 public:
  virtual ~FileLock() = default;
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

  // Opens an existing file for writing without creating, truncating or
  // sharing it, and closes it at once. kNone when that worked.
  virtual FileError CheckWritable(const std::string& path) = 0;

  // Deletes a file. kNone on success, else the cause.
  virtual FileError RemoveFile(const std::string& path) = 0;

  // True when a search for any entry of the folder (the pattern "\*.*")
  // finds one: the folder exists and can be listed. When names is not null
  // it receives the name of every entry (".", ".." left out).
  virtual bool ListFolder(const std::string& folder,
                          std::vector<std::string>* names) = 0;

  virtual bool FolderExists(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;

  // Reads a whole file. kNotFound / kBadPath when it is missing; the contents
  // are left empty on any failure.
  virtual FileError ReadFile(const std::string& path, std::string* contents) = 0;

  // CheckWritable and ReadFile through one open: the file is opened for
  // reading and writing without creating, truncating or sharing it, and
  // read when that worked. The result is CheckWritable's; contents that
  // cannot be read (a file over 64 MiB) are left empty.
  virtual FileError ReadIfWritable(const std::string& path,
                                   std::string* contents) = 0;

  // Replaces a file's contents atomically: a temporary file in the same folder
  // (named as IsTemporaryFileName describes), flushed to disk and renamed
  // over the target, the folder then synced where the platform allows;
  // falling back to an in-place rewrite, also flushed, when the temporary
  // file or the rename is refused. kNone only when the contents have reached
  // the disk. Creates a missing file but never a missing folder (kBadPath).
  // A read-only file is refused (kDenied), a file held open elsewhere
  // without sharing (kSharing), and either is left unchanged.
  virtual FileError WriteFileAtomic(const std::string& path,
                                    const std::string& contents) = 0;

  // Writes `bytes` at `offset` of an existing file (at its end when offset
  // is its size), flushed to disk, provided the file is still
  // `expected_size` bytes long (kOther when it is not: it changed since it
  // was read). The refusals are WriteFileAtomic's.
  virtual FileError WriteInPlace(const std::string& path, std::uint64_t offset,
                                 std::string_view bytes,
                                 std::uint64_t expected_size) = 0;

  // Takes an exclusive advisory lock on the file at `path` (created when
  // missing, so that every station may open it later; never deleted),
  // waiting at most `timeout_ms` for another holder to let go. Other
  // processes and other calls of this process that lock the same file wait
  // for it. kNone with *lock set when held; kSharing when another holder
  // kept it the whole time; any other cause when no lock can be had at all
  // (a folder that may not be written, a file system without locks).
  virtual FileError LockFile(const std::string& path, int timeout_ms,
                             std::unique_ptr<FileLock>* lock);

  // The longest path the platform's file functions take (MAX_PATH less its
  // terminating zero on Windows).
  virtual std::size_t MaxPathLength() const = 0;
};

// Temporary files of WriteFileAtomic are named "~zt" + six letters or digits
// + ".tmp", in the target's folder: never longer than the table names, so
// that a temporary path fits wherever its target's path fits, and the same
// on every platform, so that any station can recognise what a write cut
// short (a station killed mid-write) left behind.
constexpr std::size_t kTemporaryNameLength = 13;
bool IsTemporaryFileName(std::string_view name);
// A temporary file name made from `seed` (which the platform draws from its
// process, thread, clock and a counter).
std::string TemporaryFileName(std::uint64_t seed);

// Joins a folder and a name with the platform separator the way the system
// always has: folder + separator + name, with no check for a separator that
// the folder already ends with.
std::string JoinPath(const Env& env, const std::string& folder,
                     const std::string& name);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_ENV_H_
