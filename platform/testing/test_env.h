// Test doubles for Env. TestEnv forwards to another Env (EnvWrapper) and adds a scripted clock, a chosen
// executable path, recorded notices, injected failures and per-file counts of
// reads and writes. Files are real (use TempDir for a folder of one's own).
#ifndef ZOLT_PLATFORM_TESTING_TEST_ENV_H_
#define ZOLT_PLATFORM_TESTING_TEST_ENV_H_

#include <map>
#include <string>
#include <vector>

#include "platform/env/env.h"
#include "platform/env/env_wrapper.h"

namespace zolt {

LocalTime At(int year, int month, int day, int hour, int minute,
             int second = 0);

class TestEnv : public EnvWrapper {
 public:
  struct Notice {
    std::string caption;
    std::string text;
  };

  explicit TestEnv(Env& target = Env::Default()) : EnvWrapper(target) {}

  // The clock: a fixed time, or a script of times that successive readings
  // take one by one (the last one then stays).
  void SetTime(const LocalTime& t) { times_ = {t}; next_time_ = 0; }
  void SetTimes(std::vector<LocalTime> times) {
    times_ = std::move(times);
    next_time_ = 0;
  }
  int clock_reads() const { return clock_reads_; }

  // The executable path the Env reports; "" stands for a path that cannot be
  // obtained.
  void SetExecutablePath(std::string path) {
    exe_path_ = std::move(path);
    exe_path_set_ = true;
  }

  // The platform's path limit as the Env reports it; 0: the real one.
  void SetMaxPathLength(std::size_t n) { max_path_ = n; }
  std::size_t MaxPathLength() const override {
    return max_path_ != 0 ? max_path_ : EnvWrapper::MaxPathLength();
  }

  const std::vector<Notice>& notices() const { return notices_; }
  void ClearNotices() { notices_.clear(); }

  // Failures injected by file name (the last path component, matched without
  // regard to case): the operation fails with `error` and touches nothing.
  // FailWrite covers both kinds of write; FailCheckWritable covers the
  // check of ReadIfWritable too.
  void FailRemove(const std::string& name, FileError error);
  void FailCheckWritable(const std::string& name, FileError error);
  void FailWrite(const std::string& name, FileError error);
  void ClearFailures();

  // How often a file (by name, as above) was read or written since the last
  // ResetCounts.
  int reads(const std::string& name) const;
  int writes(const std::string& name) const;
  void ResetCounts();

  std::string ExecutablePath() override;
  LocalTime Now() override;
  void Notify(const std::string& caption, const std::string& text) override;
  FileError CheckWritable(const std::string& path) override;
  FileError RemoveFile(const std::string& path) override;
  FileError ReadFile(const std::string& path, std::string* contents) override;
  FileError ReadIfWritable(const std::string& path,
                           std::string* contents) override;
  FileError WriteFileAtomic(const std::string& path,
                            const std::string& contents,
                            Expect expect) override;
  FileError WriteInPlace(const std::string& path, std::uint64_t offset,
                         std::string_view bytes,
                         std::uint64_t expected_size) override;
  // Writes by WriteInPlace only (writes() counts both kinds).
  int writes_in_place(const std::string& name) const;

 private:
  static std::string Key(const std::string& path);
  FileError Injected(const std::map<std::string, FileError>& failures,
                     const std::string& path) const;

  std::vector<LocalTime> times_;
  size_t next_time_ = 0;
  int clock_reads_ = 0;
  std::string exe_path_;
  bool exe_path_set_ = false;
  std::size_t max_path_ = 0;
  std::vector<Notice> notices_;
  std::map<std::string, FileError> fail_remove_, fail_check_, fail_write_;
  std::map<std::string, int> reads_, writes_, writes_in_place_;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_TESTING_TEST_ENV_H_
