// An Env that forwards every call to another one, so that a wrapper overrides
// only what it changes (the simulated clock of the demo, the test doubles).
#ifndef ZOLT_PLATFORM_ENV_WRAPPER_H_
#define ZOLT_PLATFORM_ENV_WRAPPER_H_

#include <string>

#include "platform/env.h"

namespace zolt {

class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}
  Env& target() const { return target_; }

  char PathSeparator() const override { return target_.PathSeparator(); }
  std::string ExecutablePath() override { return target_.ExecutablePath(); }
  LocalTime Now() override { return target_.Now(); }
  void Notify(const std::string& caption, const std::string& text) override {
    target_.Notify(caption, text);
  }
  FileError CheckWritable(const std::string& path) override {
    return target_.CheckWritable(path);
  }
  FileError RemoveFile(const std::string& path) override {
    return target_.RemoveFile(path);
  }
  bool ListFolder(const std::string& folder,
                  std::vector<std::string>* names) override {
    return target_.ListFolder(folder, names);
  }
  bool FolderExists(const std::string& path) override {
    return target_.FolderExists(path);
  }
  bool FileExists(const std::string& path) override {
    return target_.FileExists(path);
  }
  FileError ReadFile(const std::string& path, std::string* contents) override {
    return target_.ReadFile(path, contents);
  }
  FileError ReadIfWritable(const std::string& path,
                           std::string* contents) override {
    return target_.ReadIfWritable(path, contents);
  }
  FileError WriteFileAtomic(const std::string& path,
                            const std::string& contents) override {
    return target_.WriteFileAtomic(path, contents);
  }
  FileError WriteInPlace(const std::string& path, std::uint64_t offset,
                         std::string_view bytes,
                         std::uint64_t expected_size) override {
    return target_.WriteInPlace(path, offset, bytes, expected_size);
  }
  FileError LockFile(const std::string& path, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override {
    return target_.LockFile(path, timeout_ms, lock);
  }
  std::size_t MaxPathLength() const override {
    return target_.MaxPathLength();
  }

 private:
  Env& target_;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_ENV_WRAPPER_H_
