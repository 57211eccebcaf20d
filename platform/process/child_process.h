// A child process with pipes for its standard input and output (its standard
// error is the parent's, or a third pipe): started, fed bytes, read, killed
// or waited for.
// zolt's station simulator starts copies of zolt itself through it; Linux
// uses posix_spawn, Windows CreateProcessA.
#ifndef ZOLT_PLATFORM_PROCESS_CHILD_PROCESS_H_
#define ZOLT_PLATFORM_PROCESS_CHILD_PROCESS_H_

#include <memory>
#include <string>
#include <vector>

namespace zolt {

class ChildProcess {
 public:
  // Starts `program` (a path) with `args`. Null when it cannot be started;
  // *error (when given) then says why. With `capture_errors` its standard
  // error goes to a pipe that ReadErrors reads.
  static std::unique_ptr<ChildProcess> Start(
      const std::string& program, const std::vector<std::string>& args,
      std::string* error = nullptr, bool capture_errors = false);

  // Kills a child that is still running and reaps it.
  virtual ~ChildProcess() = default;

  // Writes to the child's standard input. False when the child is gone.
  virtual bool Write(const std::string& bytes) = 0;

  // Waits for output and appends what arrived to *out. False at the end of
  // the output (the child closed it or ended). Safe to call from one other
  // thread while the owner calls Kill.
  virtual bool Read(std::string* out) = 0;

  // The same for its standard error, when captured (false at once when
  // not). Read the output to its end first: a child that fills this pipe
  // meanwhile waits.
  virtual bool ReadErrors(std::string* out) = 0;

  // Ends the child at once (SIGKILL; TerminateProcess), wherever it is.
  virtual void Kill() = 0;

  // Waits for the child to end: its exit code, or -1 when a kill ended it.
  virtual int Wait() = 0;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROCESS_CHILD_PROCESS_H_
