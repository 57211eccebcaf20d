// A test Env that counts every file operation passing through it and fails
// a chosen one with a chosen error, once or from then on (a failing disk, a
// share gone away, a machine that lost its power). Wrapped around the Env
// a call runs on, it lets a test sweep one fault through every operation of
// the call. The whole writes of Env (WriteFileAtomic, WriteInPlace) run
// over this wrapper's own operations, so each of their steps counts.
#ifndef ZOLT_PLATFORM_TESTING_FAULT_ENV_H_
#define ZOLT_PLATFORM_TESTING_FAULT_ENV_H_

#include <memory>
#include <string>
#include <vector>

#include "platform/env/env_wrapper.h"

namespace zolt {

class FaultEnv : public EnvWrapper {
 public:
  enum class Op {
    kCheckWritable, kReadIfWritable, kReadFile, kRemoveFile, kListFolder,
    kFolderExists, kFileExists, kOpenForWrite, kSize, kWrite, kTruncate,
    kSync, kRenameFile, kSyncFolder, kLockFile,
  };
  struct Record {
    Op op;
    std::string path;
  };

  explicit FaultEnv(Env& target) : EnvWrapper(target) {}

  // Starts counting from 0 again: the operation at `index` fails with
  // `error` (and with `persistent` every one after it too); index -1 fails
  // none. For the queries that answer yes or no, failing means "no".
  void Arm(int index, FileError error, bool persistent);
  const std::vector<Record>& ops() const { return ops_; }

  // Every error an operation of this kind can report.
  static std::vector<FileError> ErrorsOf(Op op);
  static const char* Name(Op op);

  int LastOsError() override { return failed_last_ ? 0 : EnvWrapper::LastOsError(); }

  FileError CheckWritable(const std::string& path) override;
  FileError ReadIfWritable(const std::string& path, std::string* contents) override;
  FileError ReadFile(const std::string& path, std::string* contents) override;
  FileError RemoveFile(const std::string& path) override;
  bool ListFolder(const std::string& folder, std::vector<std::string>* names) override;
  bool FolderExists(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  FileError OpenForWrite(const std::string& path, Creation creation,
                         std::unique_ptr<WritableFile>* file) override;
  FileError RenameFile(const std::string& from, const std::string& to,
                       bool replace) override;
  FileError SyncFolder(const std::string& folder) override;
  FileError LockFile(const std::string& path, LockPlace place, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override;

  // kNone, or the error the next operation must fail with; records it.
  FileError Next(Op op, const std::string& path);

 private:
  int armed_ = -1;
  FileError error_ = FileError::kNone;
  bool persistent_ = false;
  bool failed_last_ = false;
  std::vector<Record> ops_;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_TESTING_FAULT_ENV_H_
