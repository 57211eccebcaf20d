#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/process/single_instance.h"

namespace zolt {
namespace {

// The user's runtime folder when the session has one (private to the user),
// else /tmp with the user id in the name.
std::string LockFilePath(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (runtime != nullptr && runtime[0] == '/' && stat(runtime, &st) == 0 &&
      S_ISDIR(st.st_mode) && st.st_uid == getuid()) {
    return std::string(runtime) + "/" + name + ".lock";
  }
  return "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

std::unique_ptr<SingleInstance> SingleInstance::Claim(const std::string& name) {
  const std::string path = LockFilePath(name);
  // O_NOFOLLOW: a link planted in /tmp by someone else is not followed.
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return std::unique_ptr<SingleInstance>(new SingleInstance(-1));
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const bool held = errno == EWOULDBLOCK;
    close(fd);
    if (held) return nullptr;
    return std::unique_ptr<SingleInstance>(new SingleInstance(-1));
  }
  return std::unique_ptr<SingleInstance>(new SingleInstance(fd));
}

SingleInstance::~SingleInstance() {
  // The file stays: removing it could let a third copy lock a new file while
  // a second one still waits on the old.
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

}  // namespace zolt
