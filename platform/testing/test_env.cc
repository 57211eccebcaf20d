#include "platform/testing/test_env.h"

#include <cctype>

namespace zolt {

LocalTime At(int year, int month, int day, int hour, int minute, int second) {
  return {year, month, day, hour, minute, second};
}

std::string TestEnv::Key(const std::string& path) {
  size_t cut = path.find_last_of("/\\");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

FileError TestEnv::Injected(const std::map<std::string, FileError>& failures,
                            const std::string& path) const {
  auto it = failures.find(Key(path));
  return it == failures.end() ? FileError::kNone : it->second;
}

void TestEnv::FailRemove(const std::string& name, FileError error) {
  fail_remove_[Key(name)] = error;
}
void TestEnv::FailCheckWritable(const std::string& name, FileError error) {
  fail_check_[Key(name)] = error;
}
void TestEnv::FailWrite(const std::string& name, FileError error) {
  fail_write_[Key(name)] = error;
}
void TestEnv::ClearFailures() {
  fail_remove_.clear();
  fail_check_.clear();
  fail_write_.clear();
}

int TestEnv::reads(const std::string& name) const {
  auto it = reads_.find(Key(name));
  return it == reads_.end() ? 0 : it->second;
}
int TestEnv::writes(const std::string& name) const {
  auto it = writes_.find(Key(name));
  return it == writes_.end() ? 0 : it->second;
}
void TestEnv::ResetCounts() {
  reads_.clear();
  writes_.clear();
  writes_in_place_.clear();
}

std::string TestEnv::ExecutablePath() {
  return exe_path_set_ ? exe_path_ : EnvWrapper::ExecutablePath();
}

LocalTime TestEnv::Now() {
  ++clock_reads_;
  if (times_.empty()) return EnvWrapper::Now();
  LocalTime t = times_[next_time_];
  if (next_time_ + 1 < times_.size()) ++next_time_;
  return t;
}

void TestEnv::Notify(const std::string& caption, const std::string& text) {
  notices_.push_back({caption, text});
}

FileError TestEnv::CheckWritable(const std::string& path) {
  FileError e = Injected(fail_check_, path);
  return e != FileError::kNone ? e : EnvWrapper::CheckWritable(path);
}

FileError TestEnv::RemoveFile(const std::string& path) {
  FileError e = Injected(fail_remove_, path);
  return e != FileError::kNone ? e : EnvWrapper::RemoveFile(path);
}

FileError TestEnv::ReadFile(const std::string& path, std::string* contents) {
  ++reads_[Key(path)];
  return EnvWrapper::ReadFile(path, contents);
}

FileError TestEnv::ReadIfWritable(const std::string& path,
                                  std::string* contents) {
  ++reads_[Key(path)];
  FileError e = Injected(fail_check_, path);
  if (e != FileError::kNone) {
    contents->clear();
    return e;
  }
  return EnvWrapper::ReadIfWritable(path, contents);
}

FileError TestEnv::WriteInPlace(const std::string& path, std::uint64_t offset,
                                std::string_view bytes,
                                std::uint64_t expected_size) {
  ++writes_[Key(path)];
  ++writes_in_place_[Key(path)];
  FileError e = Injected(fail_write_, path);
  return e != FileError::kNone
             ? e
             : EnvWrapper::WriteInPlace(path, offset, bytes, expected_size);
}

int TestEnv::writes_in_place(const std::string& name) const {
  auto it = writes_in_place_.find(Key(name));
  return it == writes_in_place_.end() ? 0 : it->second;
}

FileError TestEnv::WriteFileAtomic(const std::string& path,
                                   const std::string& contents,
                                   Expect expect) {
  ++writes_[Key(path)];
  FileError e = Injected(fail_write_, path);
  return e != FileError::kNone
             ? e
             : EnvWrapper::WriteFileAtomic(path, contents, expect);
}

}  // namespace zolt
