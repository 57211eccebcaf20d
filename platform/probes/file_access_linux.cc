#include <sys/stat.h>
#include <unistd.h>

#include "platform/probes/file_access.h"
#include "platform/env/linux_paths.h"

namespace zolt {

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  if (stat(ResolveName(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    return false;
  }
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool MayCreateIn(const std::string& folder) {
  return access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace zolt
