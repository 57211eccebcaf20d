// posix_spawn with two pipes; the parent ignores SIGPIPE so that writing to a
// killed child cannot end it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/process/child_process.h"

extern char** environ;

namespace zolt {
namespace {

class LinuxChild final : public ChildProcess {
 public:
  LinuxChild(pid_t pid, int in_fd, int out_fd, int err_fd)
      : pid_(pid), in_fd_(in_fd), out_fd_(out_fd), err_fd_(err_fd) {}

  ~LinuxChild() override {
    if (!reaped_) {
      Kill();
      Wait();
    }
    close(in_fd_);
    close(out_fd_);
    if (err_fd_ >= 0) close(err_fd_);
  }

  bool Write(const std::string& bytes) override {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = write(in_fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  bool Read(std::string* out) override { return ReadFrom(out_fd_, out); }

  bool ReadErrors(std::string* out) override {
    return err_fd_ >= 0 && ReadFrom(err_fd_, out);
  }

  void Kill() override {
    if (!reaped_) kill(pid_, SIGKILL);
  }

  int Wait() override {
    if (!reaped_) {
      int status = 0;
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      reaped_ = true;
      exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return exit_code_;
  }

 private:
  static bool ReadFrom(int fd, std::string* out) {
    char buf[65536];
    for (;;) {
      ssize_t n = read(fd, buf, sizeof(buf));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      out->append(buf, static_cast<size_t>(n));
      return true;
    }
  }

  pid_t pid_;
  int in_fd_, out_fd_, err_fd_;
  bool reaped_ = false;
  int exit_code_ = -1;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(
    const std::string& program, const std::vector<std::string>& args,
    std::string* error, bool capture_errors) {
  signal(SIGPIPE, SIG_IGN);
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 ||
      (capture_errors && pipe2(err, O_CLOEXEC) != 0)) {
    if (error) *error = std::strerror(errno);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      if (fd >= 0) close(fd);
    }
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  if (capture_errors) posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr,
                              argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  if (err[1] >= 0) close(err[1]);
  if (rc != 0) {
    if (error) *error = std::strerror(rc);
    close(in[1]);
    close(out[0]);
    if (err[0] >= 0) close(err[0]);
    return nullptr;
  }
  return std::make_unique<LinuxChild>(pid, in[1], out[0], err[0]);
}

}  // namespace zolt
