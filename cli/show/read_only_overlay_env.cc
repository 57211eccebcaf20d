#include "cli/show/read_only_overlay_env.h"

#include <algorithm>
#include <cctype>

#include "platform/probes/file_access.h"

namespace zolt::cli {
namespace {

std::string LastComponentLower(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return name;
}

// A lock that holds nothing: the lock file the real call would create.
class NoLock final : public FileLock {};

}  // namespace

bool ReadOnlyOverlayEnv::Touched(const std::string& name) const {
  const std::string want = LastComponentLower(name);
  return std::any_of(changes_.begin(), changes_.end(), [&](const Change& c) {
    return LastComponentLower(c.path) == want;
  });
}

std::string ReadOnlyOverlayEnv::FolderOf(const std::string& path) const {
  const size_t cut = PathSeparator() == '\\' ? path.find_last_of("/\\")
                                             : path.rfind('/');
  if (cut == std::string::npos) return ".";
  return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

FileError ReadOnlyOverlayEnv::Record(Change::Kind kind,
                                     const std::string& path, FileError result,
                                     const ProbeAnswer& probe) {
  Change c{kind, path, result};
  if (result != FileError::kNone && probe.error == result) {
    c.os_error = probe.os_error;
    c.os_text = probe.os_text;
  }
  judged_ = true;
  judged_error_ = c.os_error;
  changes_.push_back(c);
  return result;
}

FileError ReadOnlyOverlayEnv::RemoveFile(const std::string& path) {
  FileError result = FileError::kNone;
  ProbeAnswer probe;
  auto it = files_.find(path);
  if (it != files_.end()) {
    if (!it->second) result = FileError::kNotFound;
  } else if (EnvWrapper::FolderExists(path) || IsReadOnlyFile(path)) {
    result = FileError::kDenied;  // as the Env answers for both
  } else if (!EnvWrapper::FileExists(path)) {
    result = EnvWrapper::FolderExists(FolderOf(path)) ? FileError::kNotFound
                                                      : FileError::kBadPath;
  } else if (!MayCreateIn(FolderOf(path))) {
    result = FileError::kDenied;
  } else {
    probe = ProbeRemove(path);  // an immutable file, a share's rights
    result = probe.error;
  }
  if (result == FileError::kNone) files_[path] = std::nullopt;
  return Record(Change::Kind::kRemove, path, result, probe);
}

bool ReadOnlyOverlayEnv::FileExists(const std::string& path) {
  auto it = files_.find(path);
  if (it != files_.end()) return it->second.has_value();
  return EnvWrapper::FileExists(path);
}

FileError ReadOnlyOverlayEnv::ReadFile(const std::string& path,
                                       std::string* contents) {
  judged_ = false;
  auto it = files_.find(path);
  if (it == files_.end()) return EnvWrapper::ReadFile(path, contents);
  contents->clear();
  if (!it->second) return FileError::kNotFound;
  *contents = *it->second;
  return FileError::kNone;
}

FileError ReadOnlyOverlayEnv::WriteFileAtomic(const std::string& path,
                                              const std::string& contents,
                                              Expect expect) {
  FileError result = FileError::kNone;
  ProbeAnswer probe;
  const std::string folder = FolderOf(path);
  auto it = files_.find(path);
  const bool exists = it != files_.end() ? it->second.has_value()
                                         : EnvWrapper::FileExists(path);
  if (!EnvWrapper::FolderExists(folder)) {
    result = FileError::kBadPath;
  } else if (exists && expect == Expect::kNew) {
    result = FileError::kExists;
  } else if (!exists && expect == Expect::kExisting) {
    result = FileError::kNotFound;
  } else if (it == files_.end() &&
             (EnvWrapper::FolderExists(path) || IsReadOnlyFile(path))) {
    result = FileError::kDenied;
  } else if (!exists && !MayCreateIn(folder)) {
    // An existing file is rewritten in place when no temporary file can be
    // made beside it; a new one needs the folder.
    result = FileError::kDenied;
  } else if (it == files_.end() && exists) {
    // Whether the system lets the existing file be opened for writing.
    probe = ProbeWrite(path);
    result = probe.error;
  }
  if (result == FileError::kNone) files_[path] = contents;
  return Record(Change::Kind::kWrite, path, result, probe);
}

FileError ReadOnlyOverlayEnv::WriteInPlace(const std::string& path,
                                           std::uint64_t offset,
                                           std::string_view bytes,
                                           std::uint64_t expected_size) {
  FileError result = FileError::kNone;
  ProbeAnswer probe;
  auto it = files_.find(path);
  std::string now;
  if (it != files_.end()) {
    if (!it->second) result = FileError::kNotFound;
    else now = *it->second;
  } else if (EnvWrapper::FolderExists(path) || IsReadOnlyFile(path)) {
    result = FileError::kDenied;
  } else {
    probe = ProbeWrite(path);
    result = probe.error;
    if (result == FileError::kNone) result = EnvWrapper::ReadFile(path, &now);
  }
  if (result == FileError::kNone && (now.size() != expected_size || offset > now.size())) {
    result = FileError::kOther;  // the file changed since it was read
  }
  if (result == FileError::kNone) {
    const size_t at = static_cast<size_t>(offset);
    now.replace(at, std::min(bytes.size(), now.size() - at), bytes);
    files_[path] = now;
  }
  return Record(Change::Kind::kWrite, path, result, probe);
}

FileError ReadOnlyOverlayEnv::LockFile(const std::string& path,
                                       LockPlace place, int timeout_ms,
                                       std::unique_ptr<FileLock>* lock) {
  judged_ = false;
  // An existing file is locked for real (locking changes nothing in it), so
  // that a station holding it is waited for as the call would wait.
  if (place == LockPlace::kTableFile || EnvWrapper::FileExists(path) ||
      EnvWrapper::FolderExists(path)) {
    return EnvWrapper::LockFile(path, place, timeout_ms, lock);
  }
  if (!MayCreateIn(FolderOf(path))) {
    lock->reset();
    return FileError::kDenied;  // none can be made: the call locks the table
  }
  *lock = std::make_unique<NoLock>();
  return FileError::kNone;
}

}  // namespace zolt::cli
