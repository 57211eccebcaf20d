#include "platform/env.h"

namespace zolt {

const char* FileErrorName(FileError e) {
  switch (e) {
    case FileError::kNone: return "none";
    case FileError::kNotFound: return "file not found";
    case FileError::kBadPath: return "path not found";
    case FileError::kDenied: return "access denied";
    case FileError::kSharing: return "sharing violation";
    case FileError::kOther: return "other error";
  }
  return "unknown";
}

std::unique_ptr<FileLock> Env::LockFile(const std::string&, int) {
  return nullptr;
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
