// An Env that forwards every call to another one, so that a wrapper overrides
// only what it changes (the simulated clock of the demo, the test doubles).
// WriteFileAtomic and WriteInPlace are not forwarded: they run here, over
// this wrapper's own file operations, so that a wrapper of those sees every
// step of a write.
#ifndef ZOLT_PLATFORM_ENV_ENV_WRAPPER_H_
#define ZOLT_PLATFORM_ENV_ENV_WRAPPER_H_

#include <string>

#include "platform/env/env.h"

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
  int LastOsError() override { return target_.LastOsError(); }
  std::string OsErrorText(int code) override {
    return target_.OsErrorText(code);
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
  FileError OpenForWrite(const std::string& path, Creation creation,
                         std::unique_ptr<WritableFile>* file) override {
    return target_.OpenForWrite(path, creation, file);
  }
  FileError RenameFile(const std::string& from, const std::string& to,
                       bool replace) override {
    return target_.RenameFile(from, to, replace);
  }
  FileError SyncFolder(const std::string& folder) override {
    return target_.SyncFolder(folder);
  }
  FileError LockFile(const std::string& path, LockPlace place, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override {
    return target_.LockFile(path, place, timeout_ms, lock);
  }
  std::size_t MaxPathLength() const override {
    return target_.MaxPathLength();
  }

 private:
  Env& target_;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_ENV_ENV_WRAPPER_H_
