// What tests do to real files beyond the Env: mark a file or folder
// read-only, and hold a file open the way another program would.
#ifndef ZOLT_PLATFORM_TESTING_OS_TESTING_H_
#define ZOLT_PLATFORM_TESTING_OS_TESTING_H_

#include <string>

namespace zolt {

// The read-only attribute on Windows; on Linux all write bits off (or the
// owner's back on), which the Linux Env treats alike for files and folders.
bool SetReadOnly(const std::string& path, bool read_only);

// The path of a file as this machine's own (Linux) programs name it: the
// path itself on Linux; under Wine the Unix path of a Windows path.
std::string HostPath(const std::string& path);

// Whether the libfaketime wrapper can shift this build's clock (not a
// Windows program's under Wine, where it hangs the loader).
bool FakeClockWorks();

// The threads and open files (handles on Windows) of this process.
struct ProcessResources {
  int threads = 0;
  int files = 0;
  bool operator==(const ProcessResources&) const = default;
};
ProcessResources CountProcessResources();

// Holds a file open as another program that shares only reading would, or
// (with `share_reading` false) one that shares nothing, as a virus scanner
// or a backup agent may (on Linux both with an exclusive flock), until
// destroyed.
class FileHolder {
 public:
  explicit FileHolder(const std::string& path, bool share_reading = true);
  ~FileHolder();
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;
  bool ok() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_TESTING_OS_TESTING_H_
