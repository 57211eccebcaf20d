#include "tests/reliability/station_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace zolt::reliability {

StationProcess::StationProcess(const std::string& program,
                               const std::vector<std::string>& args) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(),
                  environ) == 0) {
    pid_ = pid;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  in_fd_ = in[1];
  out_fd_ = out[0];
  signal(SIGPIPE, SIG_IGN);  // a killed child must not take the parent along
}

StationProcess::~StationProcess() {
  if (pid_ > 0) {
    Kill();
    int code;
    Finish(&code);
  }
  if (in_fd_ >= 0) close(in_fd_);
  if (out_fd_ >= 0) close(out_fd_);
}

bool StationProcess::WaitReady() {
  char buf[256];
  while (output_.find("ready\n") == std::string::npos) {
    ssize_t n = read(out_fd_, buf, sizeof(buf));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    output_.append(buf, static_cast<size_t>(n));
  }
  return true;
}

void StationProcess::Go() {
  char go = 'g';
  (void)!write(in_fd_, &go, 1);
}

void StationProcess::Kill() {
  if (pid_ > 0) kill(pid_, SIGKILL);
}

std::string StationProcess::Finish(int* exit_code) {
  char buf[65536];
  for (;;) {
    ssize_t n = read(out_fd_, buf, sizeof(buf));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    output_.append(buf, static_cast<size_t>(n));
  }
  *exit_code = -1;
  if (pid_ > 0) {
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) *exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) *exit_code = -WTERMSIG(status);
    pid_ = -1;
  }
  return output_;
}

}  // namespace zolt::reliability
