// A station simulator running as a child process (Linux): started with pipes
// for its standard input and output, released with one byte, killed or
// waited for, and its output collected.
#ifndef ZOLT_TESTS_RELIABILITY_STATION_PROCESS_H_
#define ZOLT_TESTS_RELIABILITY_STATION_PROCESS_H_

#include <string>
#include <vector>

namespace zolt::reliability {

class StationProcess {
 public:
  // Starts `program` with `args`. ok() tells whether that worked.
  StationProcess(const std::string& program,
                 const std::vector<std::string>& args);
  ~StationProcess();  // kills a child that is still running
  StationProcess(const StationProcess&) = delete;
  StationProcess& operator=(const StationProcess&) = delete;

  bool ok() const { return pid_ > 0; }
  // Reads output until the child prints "ready" (started with --wait).
  bool WaitReady();
  // Lets a waiting child start selling.
  void Go();
  // SIGKILL, at once.
  void Kill();
  // Reads the rest of the output, reaps the child and returns everything it
  // printed. *exit_code is its exit code, or -signal when a signal ended it.
  std::string Finish(int* exit_code);

 private:
  int pid_ = -1;
  int in_fd_ = -1;   // the child's standard input
  int out_fd_ = -1;  // the child's standard output
  std::string output_;
};

}  // namespace zolt::reliability

#endif  // ZOLT_TESTS_RELIABILITY_STATION_PROCESS_H_
