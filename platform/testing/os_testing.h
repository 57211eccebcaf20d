// What tests do to real files and processes beyond the Env: mark a file or
// folder read-only, hold a file open the way another program would, and run
// a helper program (another "station") beside the test.
#ifndef ZOLT_PLATFORM_TESTING_OS_TESTING_H_
#define ZOLT_PLATFORM_TESTING_OS_TESTING_H_

#include <string>
#include <vector>

namespace zolt {

// The read-only attribute on Windows; on Linux all write bits off (or the
// owner's back on), which the Linux Env treats alike for files and folders.
bool SetReadOnly(const std::string& path, bool read_only);

// Holds a file open as another program that shares only reading would
// (on Linux: with an exclusive flock), until destroyed.
class FileHolder {
 public:
  explicit FileHolder(const std::string& path);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool ok() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};

// A program started with its standard output on a pipe; killed when
// destroyed if it still runs.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool ok() const { return process_ != nullptr; }
  // Reads output until a line equal to `line`; false when the output ends.
  bool WaitForLine(const std::string& line);
  // Waits for the program to end; its exit code.
  int Wait();

 private:
  void* process_ = nullptr;
  void* output_ = nullptr;
  std::string buffered_;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_TESTING_OS_TESTING_H_
