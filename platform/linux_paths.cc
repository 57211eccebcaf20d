#include "platform/linux_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace zolt {
namespace {

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

FileError CauseOfWrite(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG: return FileError::kBadPath;
    case EACCES:
    case EPERM:
    case EROFS: return FileError::kDenied;
    default: return FileError::kOther;
  }
}

FileError RewriteInPlace(const std::string& path, const std::string& contents) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return CauseOfWrite(errno);
  bool ok = WriteAll(fd, contents);
  int err = errno;
  close(fd);
  return ok ? FileError::kNone : CauseOfWrite(err);
}

}  // namespace

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ResolveName(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) return path;
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : FolderOf(path);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return path;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return path;
  std::string found;
  while (struct dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  if (found.empty()) return path;
  return path.substr(0, slash + 1) + found;
}

FileError WriteReplacing(const std::string& path, const std::string& contents) {
  struct stat st;
  mode_t mode = 0;
  bool exists = stat(path.c_str(), &st) == 0;
  if (exists) {
    if (S_ISDIR(st.st_mode)) return FileError::kDenied;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      return FileError::kDenied;
    }
    mode = st.st_mode & 07777;
  } else {
    std::string folder = FolderOf(path);
    struct stat fst;
    if (!folder.empty() &&
        (stat(folder.c_str(), &fst) != 0 || !S_ISDIR(fst.st_mode))) {
      return FileError::kBadPath;
    }
    mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }

  size_t slash = path.rfind('/');
  std::string tmpl = (slash == std::string::npos ? std::string()
                                                   : path.substr(0, slash + 1)) +
                     "." +
                     (slash == std::string::npos ? path : path.substr(slash + 1)) +
                     ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    // A folder we may not create files in: write the file itself, as the
    // platform's own writer would.
    return RewriteInPlace(path, contents);
  }
  bool ok = WriteAll(fd, contents) && fchmod(fd, mode) == 0 &&
            fdatasync(fd) == 0;
  close(fd);
  if (ok && rename(name.data(), path.c_str()) == 0) return FileError::kNone;
  unlink(name.data());
  return RewriteInPlace(path, contents);
}

}  // namespace zolt
