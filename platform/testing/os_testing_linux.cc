#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/testing/os_testing.h"

extern char** environ;

namespace zolt {
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

FileHolder::FileHolder(const std::string& path) {
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

ChildProcess::ChildProcess(const std::string& program,
                           const std::vector<std::string>& args) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    process_ = ToHandle(pid);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  output_ = ToHandle(out[0]);
}

ChildProcess::~ChildProcess() {
  if (process_ != nullptr) {
    kill(ToFd(process_), SIGKILL);
    Wait();
  }
  if (output_ != nullptr) close(ToFd(output_));
}

bool ChildProcess::WaitForLine(const std::string& line) {
  for (;;) {
    size_t end;
    while ((end = buffered_.find('\n')) != std::string::npos) {
      std::string got = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      if (!got.empty() && got.back() == '\r') got.pop_back();
      if (got == line) return true;
    }
    char buf[256];
    ssize_t n = read(ToFd(output_), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffered_.append(buf, static_cast<size_t>(n));
  }
}

int ChildProcess::Wait() {
  if (process_ == nullptr) return -1;
  int status = 0;
  while (waitpid(ToFd(process_), &status, 0) < 0 && errno == EINTR) {
  }
  process_ = nullptr;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zolt
