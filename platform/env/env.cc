#include "platform/env/env.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace zolt {
namespace {

constexpr char kNameChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// The two check characters of a temporary name's four free ones.
std::string CheckOf(std::string_view four) {
  std::uint32_t h = 0x5A17;
  for (char c : four) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    h = (h * 31 + static_cast<unsigned char>(lower)) % 1296;
  }
  return {kNameChars[h % 36], kNameChars[h / 36]};
}

std::string FolderPrefixOf(const std::string& path, char separator) {
  const size_t end = separator == '\\' ? path.find_last_of("\\/")
                                       : path.rfind('/');
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

std::string FolderOf(const std::string& path, char separator) {
  std::string prefix = FolderPrefixOf(path, separator);
  if (prefix.size() > 1) prefix.pop_back();
  return prefix;
}

// A seed no other writer of this process uses at the same instant; the
// name's uniqueness is proven by making the file new.
std::uint64_t TemporarySeed() {
  static std::atomic<std::uint64_t> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
  return static_cast<std::uint64_t>(now) * 1000000007ull ^
         static_cast<std::uint64_t>(wall) ^
         (std::hash<std::thread::id>{}(std::this_thread::get_id()) << 20) ^
         (++counter << 52);
}

// Writes `contents` into a new temporary file beside `path`, flushed.
// kNone with *temp set; kDenied when the folder takes no new file.
FileError WriteTemporary(Env& env, const std::string& path,
                         const std::string& contents, std::string* temp) {
  const std::string prefix = FolderPrefixOf(path, env.PathSeparator());
  std::unique_ptr<WritableFile> file;
  FileError e = FileError::kExists;
  for (int attempt = 0; attempt < 16 && e == FileError::kExists; ++attempt) {
    *temp = prefix + TemporaryFileName(TemporarySeed());
    e = env.OpenForWrite(*temp, Creation::kNew, &file);
  }
  if (e != FileError::kNone) return e;
  e = file->Write(0, contents);
  if (e == FileError::kNone) e = file->Sync();
  file.reset();
  if (e != FileError::kNone) env.RemoveFile(*temp);
  return e;
}

// The fallback where no temporary file can be made: the new bytes over the
// old ones, the tail cut after (a reader never meets an empty file), then
// flushed. Not atomic.
FileError RewriteInPlace(Env& env, const std::string& path,
                         const std::string& contents, bool exists) {
  std::unique_ptr<WritableFile> file;
  FileError e = env.OpenForWrite(
      path, exists ? Creation::kExisting : Creation::kNew, &file);
  if (e != FileError::kNone) return e;
  e = file->Write(0, contents);
  if (e == FileError::kNone) e = file->Truncate(contents.size());
  if (e == FileError::kNone) e = file->Sync();
  file.reset();
  if (e == FileError::kNone && !exists) {
    e = env.SyncFolder(FolderOf(path, env.PathSeparator()));
  }
  return e;
}

}  // namespace

const char* FileErrorName(FileError e) {
  switch (e) {
    case FileError::kNone: return "none";
    case FileError::kNotFound: return "file not found";
    case FileError::kBadPath: return "path not found";
    case FileError::kDenied: return "access denied";
    case FileError::kSharing: return "sharing violation";
    case FileError::kLink: return "a symbolic link";
    case FileError::kExists: return "file exists";
    case FileError::kNoLocks: return "no locks on this file system";
    case FileError::kOther: return "other error";
  }
  return "unknown";
}

FileError Env::LockFile(const std::string&, LockPlace, int,
                        std::unique_ptr<FileLock>* lock) {
  lock->reset();
  return FileError::kNoLocks;
}

FileError Env::WriteFileAtomic(const std::string& path,
                               const std::string& contents, Expect expect) {
  // The target as it stands: an existing one must be a file we may write
  // (the checks of OpenForWrite), and is closed again before the rename.
  std::string target = path;
  bool exists = false;
  {
    std::unique_ptr<WritableFile> file;
    const FileError e = OpenForWrite(path, Creation::kExisting, &file);
    if (e == FileError::kNone) {
      exists = true;
      target = file->path();
    } else if (e != FileError::kNotFound) {
      return e;
    }
  }
  if (exists && expect == Expect::kNew) return FileError::kExists;
  if (!exists && expect == Expect::kExisting) return FileError::kNotFound;

  std::string temp;
  FileError e = WriteTemporary(*this, target, contents, &temp);
  if (e == FileError::kDenied) {
    return RewriteInPlace(*this, target, contents, exists);
  }
  if (e != FileError::kNone) return e;
  e = RenameFile(temp, target, /*replace=*/exists);
  if (e == FileError::kNone) {
    return SyncFolder(FolderOf(target, PathSeparator()));
  }
  RemoveFile(temp);
  // Windows refuses to rename over a file another program holds open
  // without delete sharing; that file may still be written in place.
  if (exists && (e == FileError::kDenied || e == FileError::kSharing)) {
    return RewriteInPlace(*this, target, contents, exists);
  }
  return e;
}

FileError Env::WriteInPlace(const std::string& path, std::uint64_t offset,
                            std::string_view bytes,
                            std::uint64_t expected_size) {
  std::unique_ptr<WritableFile> file;
  FileError e = OpenForWrite(path, Creation::kExisting, &file);
  if (e != FileError::kNone) return e;
  std::uint64_t size = 0;
  e = file->Size(&size);
  if (e != FileError::kNone) return e;
  if (size != expected_size || offset > size) return FileError::kOther;
  e = file->Write(offset, bytes);
  return e == FileError::kNone ? file->Sync() : e;
}

std::string TemporaryFileName(std::uint64_t seed) {
  // splitmix64: neighbouring seeds give unrelated names.
  std::uint64_t z = seed + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  std::string four;
  for (int i = 0; i < 4; ++i) {
    four += kNameChars[z % 36];
    z /= 36;
  }
  return "~zt" + four + CheckOf(four) + ".tmp";
}

bool IsTemporaryFileName(std::string_view name) {
  auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  auto alnum = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
           (c >= 'A' && c <= 'Z');
  };
  if (name.size() != kTemporaryNameLength) return false;
  const std::string_view prefix = "~zt", suffix = ".tmp";
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (lower(name[i]) != prefix[i]) return false;
  }
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (lower(name[name.size() - suffix.size() + i]) != suffix[i]) return false;
  }
  const std::string_view six = name.substr(prefix.size(), 6);
  for (char c : six) {
    if (!alnum(c)) return false;
  }
  const std::string check = CheckOf(six.substr(0, 4));
  return lower(six[4]) == check[0] && lower(six[5]) == check[1];
}

std::string JoinPath(const Env& env, const std::string& folder,
                     const std::string& name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  path += env.PathSeparator();
  path += name;
  return path;
}

}  // namespace zolt
