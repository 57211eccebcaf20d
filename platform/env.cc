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

FileError Env::LockFile(const std::string&, int,
                        std::unique_ptr<FileLock>* lock) {
  lock->reset();
  return FileError::kOther;
}

std::string TemporaryFileName(std::uint64_t seed) {
  // splitmix64: neighbouring seeds give unrelated names.
  std::uint64_t z = seed + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  static constexpr char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string name = "~zt";
  for (int i = 0; i < 6; ++i) {
    name += kChars[z % 36];
    z /= 36;
  }
  return name + ".tmp";
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
  for (std::size_t i = prefix.size(); i < name.size() - suffix.size(); ++i) {
    if (!alnum(name[i])) return false;
  }
  return true;
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
