// The Windows Env. Map of this file:
//  - CauseOf: GetLastError() to FileError.
//  - Retrying: bounded retries of sharing and lock violations.
//  - Folder and attribute helpers.
//  - Replacing a file: temporary file + MoveFileExA, or an in-place rewrite.
//  - WindowsEnv: the Env methods.
// Paths and texts stay 8-bit ANSI end to end: only the A functions are used.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"

namespace zolt {
namespace {

// A shared data folder on a network drive meets transient sharing and lock
// violations (antivirus scanners, another station's read of the same table).
// Those are retried: at most kMaxTries attempts, kRetryPauseMs apart, so a
// call waits at most (kMaxTries - 1) * kRetryPauseMs = 90 ms per operation
// before it reports the cause. Other failures are reported at once.
constexpr int kMaxTries = 10;
constexpr DWORD kRetryPauseMs = 10;

// A file larger than this is not read into memory: the library's files are a
// few tens of kilobytes, and a 32-bit process must not exhaust its address
// space on a stray huge file.
constexpr ULONGLONG kMaxReadBytes = 64ull * 1024 * 1024;

FileError CauseOf(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
      return FileError::kNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:         // 123: wildcards or other bad characters
    case ERROR_BAD_PATHNAME:         // 161
    case ERROR_INVALID_DRIVE:        // 15
    case ERROR_BAD_NETPATH:          // 53: \\server unreachable
    case ERROR_BAD_NET_NAME:         // 67: share missing
    case ERROR_FILENAME_EXCED_RANGE:  // 206
    case ERROR_DIRECTORY:            // 267: a component is not a folder
      return FileError::kBadPath;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileError::kDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileError::kSharing;
    default:
      return FileError::kOther;
  }
}

bool IsTransient(DWORD err) {
  return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION;
}

// Runs `attempt` (which returns true on success and leaves GetLastError() set
// on failure) until it succeeds, fails for a lasting reason, or has been
// tried kMaxTries times. Returns ERROR_SUCCESS or the last error.
template <typename Attempt>
DWORD Retrying(Attempt attempt, bool retry_denied = false) {
  DWORD err = ERROR_SUCCESS;
  for (int i = 0; i < kMaxTries; ++i) {
    if (i > 0) Sleep(kRetryPauseMs);
    if (attempt()) return ERROR_SUCCESS;
    err = GetLastError();
    if (!IsTransient(err) && !(retry_denied && err == ERROR_ACCESS_DENIED)) {
      break;
    }
  }
  return err;
}

// Opens an existing file with the bounded retries of a sharing violation.
// ERROR_SUCCESS with *file set, or the last error.
DWORD OpenExisting(const std::string& path, DWORD access, DWORD share,
                   HANDLE* file) {
  return Retrying([&] {
    *file = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    return *file != INVALID_HANDLE_VALUE;
  });
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The folder that holds `path`, without trailing separators, or "" for a bare
// name (the current folder). "\x" gives "\" and "C:\x" gives "C:\".
std::string FolderOf(const std::string& path) {
  size_t end = path.find_last_of("\\/");
  if (end == std::string::npos) {
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : "";
  }
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  if (end == 0) return "\\";
  if (end == 2 && path[1] == ':') return path.substr(0, 2) + "\\";
  return path.substr(0, end);
}

DWORD AttributesOf(const std::string& path) {
  return GetFileAttributesA(path.c_str());
}

bool IsFolder(DWORD attrs) {
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsReadOnlyFile(DWORD attrs) {
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attrs & FILE_ATTRIBUTE_READONLY) != 0;
}

bool WriteAll(HANDLE file, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(
        data.size() - done > 1u << 20 ? 1u << 20 : data.size() - done);
    DWORD written = 0;
    if (!::WriteFile(file, data.data() + done, chunk, &written, nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// The folder part of `path` with its separator ("" for a bare name).
std::string FolderPrefixOf(const std::string& path) {
  size_t end = path.find_last_of("\\/");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

// Rewrites the file itself: the fallback when the temporary file or the
// rename is refused (a folder that lets us write the file but not create
// others, a target held open without delete sharing). Not atomic.
FileError RewriteInPlace(const std::string& path, const std::string& contents) {
  HANDLE file = INVALID_HANDLE_VALUE;
  DWORD err = Retrying([&] {
    file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE;
  });
  if (err != ERROR_SUCCESS) {
    return err == ERROR_FILE_NOT_FOUND ? FileError::kBadPath : CauseOf(err);
  }
  // Write first, cut the tail after: a reader never sees an empty file.
  bool ok = WriteAll(file, contents) && SetEndOfFile(file) &&
            FlushFileBuffers(file);
  err = ok ? ERROR_SUCCESS : GetLastError();
  CloseHandle(file);
  return ok ? FileError::kNone : CauseOf(err);
}

// Writes `contents` to a new temporary file beside `path`, flushed to disk.
// Returns its name, or "" when it could not be made. The name is drawn from
// the process and thread ids, the tick count and a counter; CREATE_NEW
// proves that no other writer uses it.
std::string WriteTemporary(const std::string& path, const std::string& contents,
                           DWORD attributes) {
  static volatile LONG counter = 0;
  std::string temp;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE;
       ++attempt) {
    const unsigned long long seed =
        (static_cast<unsigned long long>(GetCurrentProcessId()) << 40) ^
        (static_cast<unsigned long long>(GetCurrentThreadId()) << 20) ^
        (static_cast<unsigned long long>(GetTickCount()) * 1000000007ull) ^
        (static_cast<unsigned long long>(InterlockedIncrement(&counter))
         << 52);
    temp = FolderPrefixOf(path) + TemporaryFileName(seed);
    file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
      break;
    }
  }
  if (file == INVALID_HANDLE_VALUE) return "";
  bool ok = WriteAll(file, contents) && FlushFileBuffers(file);
  CloseHandle(file);
  if (!ok) {
    DeleteFileA(temp.c_str());
    return "";
  }
  return temp;
}

FileError ReplaceContents(const std::string& path, const std::string& contents) {
  DWORD attrs = AttributesOf(path);
  DWORD temp_attrs = FILE_ATTRIBUTE_NORMAL;
  if (attrs != INVALID_FILE_ATTRIBUTES) {
    if (attrs & FILE_ATTRIBUTE_DIRECTORY) return FileError::kDenied;
    if (attrs & FILE_ATTRIBUTE_READONLY) return FileError::kDenied;
    // The replacement keeps the target's hidden, system and archive marks.
    DWORD kept = attrs & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE);
    if (kept != 0) temp_attrs = kept;
  } else {
    // A missing folder is never created; other causes are the target's own.
    DWORD err = GetLastError();
    if (err != ERROR_FILE_NOT_FOUND) return CauseOf(err);
    std::string folder = FolderOf(path);
    if (!folder.empty() && !IsFolder(AttributesOf(folder))) {
      return FileError::kBadPath;
    }
  }

  std::string temp = WriteTemporary(path, contents, temp_attrs);
  if (temp.empty()) return RewriteInPlace(path, contents);
  // Another station reading the target without delete sharing refuses the
  // rename with a sharing violation or access denied: retry both briefly.
  DWORD err = Retrying(
      [&] {
        return MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING |
                               MOVEFILE_WRITE_THROUGH) != 0;
      },
      /*retry_denied=*/true);
  if (err == ERROR_SUCCESS) return FileError::kNone;
  DeleteFileA(temp.c_str());
  return RewriteInPlace(path, contents);
}

// Reads an open file to its end (within kMaxReadBytes).
FileError ReadAll(HANDLE file, std::string* contents) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
      static_cast<ULONGLONG>(size.QuadPart) > kMaxReadBytes) {
    return FileError::kOther;
  }
  contents->reserve(static_cast<size_t>(size.QuadPart));
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file, buf, sizeof(buf), &n, nullptr)) {
      DWORD err = GetLastError();
      contents->clear();
      return CauseOf(err);
    }
    if (n == 0) return FileError::kNone;
    if (contents->size() + n > kMaxReadBytes) {  // grew while being read
      contents->clear();
      return FileError::kOther;
    }
    contents->append(buf, n);
  }
}

// A byte-range lock on the first byte of the lock file; closing the handle
// releases it. Handles of one process exclude each other as well.
class WindowsFileLock final : public FileLock {
 public:
  explicit WindowsFileLock(HANDLE file) : file_(file) {}
  ~WindowsFileLock() override {
    OVERLAPPED ov = {};
    UnlockFileEx(file_, 0, 1, 0, &ov);
    CloseHandle(file_);
  }

 private:
  HANDLE file_;
};

class WindowsEnv final : public Env {
 public:
  char PathSeparator() const override { return '\\'; }

  std::string ExecutablePath() override {
    // Room for long paths; a truncated path counts as no path.
    std::string buf(32768, '\0');
    DWORD n = GetModuleFileNameA(nullptr, buf.data(),
                                 static_cast<DWORD>(buf.size()));
    if (n == 0 || n >= buf.size()) return "";
    buf.resize(n);
    return buf;
  }

  LocalTime Now() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth,  st.wDay,
            st.wHour, st.wMinute, st.wSecond};
  }

  void Notify(const std::string& caption, const std::string& text) override {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
  }

  FileError CheckWritable(const std::string& path) override {
    // A read-only file refuses writing even to an administrator; checked
    // first so that the answer does not depend on the account.
    if (IsReadOnlyFile(AttributesOf(path))) return FileError::kDenied;
    HANDLE file;
    DWORD err = OpenExisting(path, GENERIC_WRITE, 0, &file);
    if (err == ERROR_SUCCESS) CloseHandle(file);
    return err == ERROR_SUCCESS ? FileError::kNone : CauseOf(err);
  }

  FileError RemoveFile(const std::string& path) override {
    DWORD attrs = AttributesOf(path);
    if (IsFolder(attrs) || IsReadOnlyFile(attrs)) return FileError::kDenied;
    DWORD err = Retrying([&] { return DeleteFileA(path.c_str()) != 0; });
    return err == ERROR_SUCCESS ? FileError::kNone : CauseOf(err);
  }

  bool ListFolder(const std::string& folder,
                  std::vector<std::string>* names) override {
    if (names != nullptr) names->clear();
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    if (names != nullptr) {
      do {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") names->push_back(name);
      } while (FindNextFileA(find, &data));
    }
    FindClose(find);
    return true;
  }

  bool FolderExists(const std::string& path) override {
    return IsFolder(AttributesOf(path));
  }

  bool FileExists(const std::string& path) override {
    DWORD attrs = AttributesOf(path);
    return attrs != INVALID_FILE_ATTRIBUTES &&
           (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  FileError ReadFile(const std::string& path, std::string* contents) override {
    contents->clear();
    HANDLE file;
    DWORD err = OpenExisting(path, GENERIC_READ, kShareAll, &file);
    if (err != ERROR_SUCCESS) return CauseOf(err);
    FileError result = ReadAll(file, contents);
    CloseHandle(file);
    return result;
  }

  FileError ReadIfWritable(const std::string& path,
                           std::string* contents) override {
    contents->clear();
    if (IsReadOnlyFile(AttributesOf(path))) return FileError::kDenied;
    HANDLE file;
    DWORD err = OpenExisting(path, GENERIC_READ | GENERIC_WRITE, 0, &file);
    if (err != ERROR_SUCCESS) return CauseOf(err);
    if (ReadAll(file, contents) != FileError::kNone) contents->clear();
    CloseHandle(file);
    return FileError::kNone;
  }

  FileError WriteFileAtomic(const std::string& path,
                            const std::string& contents) override {
    return ReplaceContents(path, contents);
  }

  FileError WriteInPlace(const std::string& path, std::uint64_t offset,
                         std::string_view bytes,
                         std::uint64_t expected_size) override {
    const DWORD attrs = AttributesOf(path);
    if (attrs == INVALID_FILE_ATTRIBUTES) return CauseOf(GetLastError());
    if (IsFolder(attrs) || IsReadOnlyFile(attrs)) return FileError::kDenied;
    // Other stations may go on reading (and the platform's writer writing)
    // beside us; a holder that shares only reading refuses us.
    HANDLE file;
    DWORD err = OpenExisting(path, GENERIC_WRITE, kShareAll, &file);
    if (err != ERROR_SUCCESS) return CauseOf(err);
    LARGE_INTEGER size, at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    FileError result = FileError::kNone;
    if (!GetFileSizeEx(file, &size) ||
        static_cast<std::uint64_t>(size.QuadPart) != expected_size) {
      result = FileError::kOther;  // changed since it was read
    } else if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
               !WriteAll(file, std::string(bytes)) || !FlushFileBuffers(file)) {
      result = CauseOf(GetLastError());
      if (result == FileError::kNone) result = FileError::kOther;
    }
    CloseHandle(file);
    return result;
  }

  FileError LockFile(const std::string& path, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override {
    lock->reset();
    // Read access is enough for a byte-range lock: a lock file that may no
    // longer be written (a folder turned read-only) still serves.
    HANDLE file = CreateFileA(
        path.c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
      file = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) return CauseOf(GetLastError());
    // Polled, with pauses of at most 2 ms: a station that has just let go
    // could otherwise take the lock again before a slowly polling one looks,
    // over and over. (An overlapped wait would queue the request, but it
    // cannot be withdrawn reliably on every system this DLL runs on.)
    const DWORD start = GetTickCount();
    DWORD pause = 0;
    for (;;) {
      OVERLAPPED ov = {};
      if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                     0, 1, 0, &ov)) {
        *lock = std::make_unique<WindowsFileLock>(file);
        return FileError::kNone;
      }
      DWORD err = GetLastError();
      if (err != ERROR_LOCK_VIOLATION && err != ERROR_IO_PENDING) {
        CloseHandle(file);
        return FileError::kOther;  // no locks on this file system
      }
      if (GetTickCount() - start >= static_cast<DWORD>(timeout_ms)) {
        CloseHandle(file);
        return FileError::kSharing;
      }
      Sleep(pause);
      if (pause < 2) ++pause;
    }
  }

  std::size_t MaxPathLength() const override { return MAX_PATH - 1; }
};

}  // namespace

Env& Env::Default() {
  // An object, not a heap pointer: the DLL can be unloaded (FreeLibrary),
  // and it must leave nothing behind when it is.
  static WindowsEnv env;
  return env;
}

}  // namespace zolt
