#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <iterator>

#include "platform/testing/os_testing.h"

namespace zolt {

std::string HostPath(const std::string& path) { return path; }

bool FakeClockWorks() { return true; }
namespace {

void* ToHandle(int fd) { return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1); }
int ToFd(void* handle) { return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1); }

}  // namespace

bool SetReadOnly(const std::string& path, bool read_only) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = read_only ? mode & ~static_cast<mode_t>(0222) : mode | S_IWUSR;
  return chmod(path.c_str(), mode) == 0;
}

ProcessResources CountProcessResources() {
  namespace fs = std::filesystem;
  auto count = [](const char* folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), {}));
  };
  // Listing /proc/self/fd opens one descriptor of its own, the same each time.
  return {count("/proc/self/task"), count("/proc/self/fd")};
}

FileHolder::FileHolder(const std::string& path, bool /*share_reading*/) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return;
  }
  handle_ = ToHandle(fd);
}

FileHolder::~FileHolder() {
  if (handle_ != nullptr) close(ToFd(handle_));
}

}  // namespace zolt
