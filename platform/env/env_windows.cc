// The Windows Env. Map of this file:
//  - ReadAll: reading an open file.
//  - WindowsWritableFile: an open file for writing.
//  - WindowsEnv: the Env methods (the file helpers are files_windows.cc, the
//    lock file_lock_windows.cc).
// Paths and texts stay 8-bit ANSI end to end: only the A functions are used.
// No file of the data folder is opened, written or removed through a
// reparse point (a symbolic link, a junction): each open opens the reparse
// point itself (FILE_FLAG_OPEN_REPARSE_POINT) and refuses it.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/env/env.h"
#include "platform/env/file_lock.h"
#include "platform/env/files_windows.h"

namespace zolt {
namespace {

// A file larger than this is not read into memory: the library's files are a
// few tens of kilobytes, and a 32-bit process must not exhaust its address
// space on a stray huge file.
constexpr ULONGLONG kMaxReadBytes = 64ull * 1024 * 1024;

// Reads an open file to its end (within kMaxReadBytes).
FileError ReadAll(HANDLE file, std::string* contents) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size)) return CauseOf(GetLastError());
  if (size.QuadPart < 0 ||
      static_cast<ULONGLONG>(size.QuadPart) > kMaxReadBytes) {
    return Refuse(FileError::kOther, ERROR_FILE_TOO_LARGE);
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
      return Refuse(FileError::kOther, ERROR_FILE_TOO_LARGE);
    }
    contents->append(buf, n);
  }
}

class WindowsWritableFile final : public WritableFile {
 public:
  // `size`: the file's size when it was opened, -1 when not known yet.
  WindowsWritableFile(HANDLE file, std::string path, LONGLONG size)
      : file_(file), path_(std::move(path)), size_(size) {}
  ~WindowsWritableFile() override { CloseHandle(file_); }

  const std::string& path() const override { return path_; }

  FileError Size(std::uint64_t* size) override {
    if (size_ < 0) {
      LARGE_INTEGER s;
      if (!GetFileSizeEx(file_, &s)) return CauseOf(GetLastError());
      size_ = s.QuadPart;
    }
    *size = static_cast<std::uint64_t>(size_);
    return FileError::kNone;
  }

  FileError Write(std::uint64_t offset, std::string_view bytes) override {
    size_ = -1;
    if (!Seek(offset)) return Failure();
    size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(
          bytes.size() - done > (1u << 20) ? 1u << 20 : bytes.size() - done);
      DWORD written = 0;
      if (!::WriteFile(file_, bytes.data() + done, chunk, &written, nullptr) ||
          written == 0) {
        return Failure();
      }
      done += written;
    }
    return FileError::kNone;
  }

  FileError Truncate(std::uint64_t size) override {
    size_ = -1;
    return Seek(size) && SetEndOfFile(file_) ? FileError::kNone : Failure();
  }

  FileError Sync() override {
    return FlushFileBuffers(file_) ? FileError::kNone : Failure();
  }

 private:
  bool Seek(std::uint64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) != 0;
  }
  static FileError Failure() {
    const DWORD err = GetLastError();
    const FileError e = CauseOf(err);
    return e == FileError::kNone ? FileError::kOther : e;
  }

  HANDLE file_;
  std::string path_;
  LONGLONG size_;
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

  int LastOsError() override { return static_cast<int>(LastError()); }

  std::string OsErrorText(int code) override {
    char buf[512];
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, buf, sizeof buf, nullptr);
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' ||
                     buf[n - 1] == ' ' || buf[n - 1] == '.')) {
      --n;
    }
    return n > 0 ? std::string(buf, n) : "error " + std::to_string(code);
  }

  FileError CheckWritable(const std::string& path) override {
    // A read-only file refuses writing even to an administrator; checked
    // first so that the answer does not depend on the account.
    if (IsReadOnlyFile(AttributesOf(path))) {
      return Refuse(FileError::kDenied, ERROR_ACCESS_DENIED);
    }
    HANDLE file;
    DWORD err = Retrying([&] {
      file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
      return file != INVALID_HANDLE_VALUE;
    });
    if (err != ERROR_SUCCESS) return CauseOf(err);
    CloseHandle(file);
    return FileError::kNone;
  }

  FileError RemoveFile(const std::string& path) override {
    DWORD attrs = AttributesOf(path);
    if (IsReparsePoint(attrs)) return Refuse(FileError::kLink, ERROR_CANT_ACCESS_FILE);
    if (IsFolder(attrs) || IsReadOnlyFile(attrs)) {
      return Refuse(FileError::kDenied, ERROR_ACCESS_DENIED);
    }
    DWORD err = Retrying([&] { return DeleteFileA(path.c_str()) != 0; });
    return err == ERROR_SUCCESS ? FileError::kNone : CauseOf(err);
  }

  bool ListFolder(const std::string& folder,
                  std::vector<std::string>* names) override {
    if (names != nullptr) names->clear();
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      RememberError(GetLastError());
      return false;
    }
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
    FileError e = OpenNoReparse(path, GENERIC_READ, kShareAll, OPEN_EXISTING, &file);
    if (e != FileError::kNone) return e;
    e = ReadAll(file, contents);
    CloseHandle(file);
    return e;
  }

  FileError ReadIfWritable(const std::string& path,
                           std::string* contents) override {
    contents->clear();
    if (IsReadOnlyFile(AttributesOf(path))) {
      return Refuse(FileError::kDenied, ERROR_ACCESS_DENIED);
    }
    HANDLE file;
    DWORD err = Retrying([&] {
      file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      return file != INVALID_HANDLE_VALUE;
    });
    if (err != ERROR_SUCCESS) return CauseOf(err);
    if (ReadAll(file, contents) != FileError::kNone) contents->clear();
    CloseHandle(file);
    return FileError::kNone;
  }

  FileError OpenForWrite(const std::string& path, Creation creation,
                         std::unique_ptr<WritableFile>* file) override {
    file->reset();
    HANDLE handle;
    LONGLONG size = 0;  // a new file's; an existing one's asked for
    if (creation == Creation::kNew) {
      const std::string folder = FolderOf(path);
      if (!folder.empty() && !IsFolder(AttributesOf(folder))) {
        return Refuse(FileError::kBadPath, ERROR_PATH_NOT_FOUND);
      }
      // Others may read a new file, not write it, while it is being made.
      handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle == INVALID_HANDLE_VALUE) return CauseOf(GetLastError());
    } else {
      // A read-only file refuses writing even to an administrator.
      const DWORD attrs = AttributesOf(path);
      if (IsReparsePoint(attrs)) return Refuse(FileError::kLink, ERROR_CANT_ACCESS_FILE);
      if (IsFolder(attrs) || IsReadOnlyFile(attrs)) {
        return Refuse(FileError::kDenied, ERROR_ACCESS_DENIED);
      }
      // Other stations may go on reading (and the platform's writer
      // writing) beside us; a holder that shares only reading refuses us.
      const FileError e = OpenNoReparse(path, GENERIC_READ | GENERIC_WRITE,
                                        kShareAll, OPEN_EXISTING, &handle);
      if (e != FileError::kNone) return e;
      size = -1;
    }
    *file = std::make_unique<WindowsWritableFile>(handle, path, size);
    return FileError::kNone;
  }

  FileError RenameFile(const std::string& from, const std::string& to,
                       bool replace) override {
    // Another station reading the target without delete sharing refuses the
    // rename with a sharing violation or access denied: retry both briefly.
    const DWORD flags =
        MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    DWORD err = Retrying(
        [&] { return MoveFileExA(from.c_str(), to.c_str(), flags) != 0; },
        /*retry_denied=*/replace);
    if (err != ERROR_SUCCESS) return CauseOf(err);
    // The rename is on disk with the file's own flush; a file system that
    // gives MOVEFILE_WRITE_THROUGH no meaning (or a share) still has it so.
    HANDLE file;
    FileError e = OpenNoReparse(to, GENERIC_WRITE, kShareAll, OPEN_EXISTING, &file);
    if (e != FileError::kNone) return e;
    const bool flushed = FlushFileBuffers(file) != 0;
    err = GetLastError();
    CloseHandle(file);
    return flushed ? FileError::kNone : CauseOf(err);
  }

  FileError SyncFolder(const std::string&) override {
    // Each rename and new file reaches the disk with its own flush.
    return FileError::kNone;
  }

  FileError LockFile(const std::string& path, LockPlace place, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override {
    return LockOsFile(path, place, timeout_ms, lock);
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
