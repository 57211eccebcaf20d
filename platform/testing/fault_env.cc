#include "platform/testing/fault_env.h"

namespace zolt {
namespace {

using enum FileError;

// An open file whose every step is an operation of the FaultEnv.
class FaultFile final : public WritableFile {
 public:
  FaultFile(FaultEnv* env, std::unique_ptr<WritableFile> file)
      : env_(env), file_(std::move(file)) {}
  const std::string& path() const override { return file_->path(); }
  FileError Size(std::uint64_t* size) override {
    const FileError e = env_->Next(FaultEnv::Op::kSize, path());
    return e != kNone ? e : file_->Size(size);
  }
  FileError Write(std::uint64_t offset, std::string_view bytes) override {
    const FileError e = env_->Next(FaultEnv::Op::kWrite, path());
    return e != kNone ? e : file_->Write(offset, bytes);
  }
  FileError Truncate(std::uint64_t size) override {
    const FileError e = env_->Next(FaultEnv::Op::kTruncate, path());
    return e != kNone ? e : file_->Truncate(size);
  }
  FileError Sync() override {
    const FileError e = env_->Next(FaultEnv::Op::kSync, path());
    return e != kNone ? e : file_->Sync();
  }

 private:
  FaultEnv* env_;
  std::unique_ptr<WritableFile> file_;
};

}  // namespace

void FaultEnv::Arm(int index, FileError error, bool persistent) {
  armed_ = index;
  error_ = error;
  persistent_ = persistent;
  ops_.clear();
}

FileError FaultEnv::Next(Op op, const std::string& path) {
  const int index = static_cast<int>(ops_.size());
  ops_.push_back({op, path});
  failed_last_ = armed_ >= 0 && (index == armed_ || (persistent_ && index > armed_));
  return failed_last_ ? error_ : kNone;
}

std::vector<FileError> FaultEnv::ErrorsOf(Op op) {
  switch (op) {
    case Op::kCheckWritable:
    case Op::kReadIfWritable: return {kNotFound, kBadPath, kDenied, kSharing, kOther};
    case Op::kReadFile:
    case Op::kRemoveFile: return {kNotFound, kBadPath, kDenied, kSharing, kLink, kOther};
    case Op::kListFolder:
    case Op::kFolderExists:
    case Op::kFileExists: return {kOther};
    case Op::kOpenForWrite:
      return {kNotFound, kBadPath, kDenied, kSharing, kLink, kExists, kOther};
    case Op::kSize:
    case Op::kWrite:
    case Op::kTruncate:
    case Op::kSync: return {kDenied, kOther};
    case Op::kRenameFile: return {kNotFound, kBadPath, kDenied, kSharing, kExists, kOther};
    case Op::kSyncFolder: return {kBadPath, kOther};
    case Op::kLockFile: return {kNotFound, kDenied, kSharing, kLink, kNoLocks, kOther};
  }
  return {kOther};
}

const char* FaultEnv::Name(Op op) {
  switch (op) {
    case Op::kCheckWritable: return "CheckWritable";
    case Op::kReadIfWritable: return "ReadIfWritable";
    case Op::kReadFile: return "ReadFile";
    case Op::kRemoveFile: return "RemoveFile";
    case Op::kListFolder: return "ListFolder";
    case Op::kFolderExists: return "FolderExists";
    case Op::kFileExists: return "FileExists";
    case Op::kOpenForWrite: return "OpenForWrite";
    case Op::kSize: return "Size";
    case Op::kWrite: return "Write";
    case Op::kTruncate: return "Truncate";
    case Op::kSync: return "Sync";
    case Op::kRenameFile: return "RenameFile";
    case Op::kSyncFolder: return "SyncFolder";
    case Op::kLockFile: return "LockFile";
  }
  return "?";
}

FileError FaultEnv::CheckWritable(const std::string& path) {
  const FileError e = Next(Op::kCheckWritable, path);
  return e != kNone ? e : EnvWrapper::CheckWritable(path);
}

FileError FaultEnv::ReadIfWritable(const std::string& path, std::string* contents) {
  const FileError e = Next(Op::kReadIfWritable, path);
  if (e == kNone) return EnvWrapper::ReadIfWritable(path, contents);
  contents->clear();
  return e;
}

FileError FaultEnv::ReadFile(const std::string& path, std::string* contents) {
  const FileError e = Next(Op::kReadFile, path);
  if (e == kNone) return EnvWrapper::ReadFile(path, contents);
  contents->clear();
  return e;
}

FileError FaultEnv::RemoveFile(const std::string& path) {
  const FileError e = Next(Op::kRemoveFile, path);
  return e != kNone ? e : EnvWrapper::RemoveFile(path);
}

bool FaultEnv::ListFolder(const std::string& folder, std::vector<std::string>* names) {
  if (Next(Op::kListFolder, folder) != kNone) {
    if (names != nullptr) names->clear();
    return false;
  }
  return EnvWrapper::ListFolder(folder, names);
}

bool FaultEnv::FolderExists(const std::string& path) {
  return Next(Op::kFolderExists, path) == kNone && EnvWrapper::FolderExists(path);
}

bool FaultEnv::FileExists(const std::string& path) {
  return Next(Op::kFileExists, path) == kNone && EnvWrapper::FileExists(path);
}

FileError FaultEnv::OpenForWrite(const std::string& path, Creation creation,
                                 std::unique_ptr<WritableFile>* file) {
  file->reset();
  FileError e = Next(Op::kOpenForWrite, path);
  if (e != kNone) return e;
  std::unique_ptr<WritableFile> opened;
  e = EnvWrapper::OpenForWrite(path, creation, &opened);
  if (e == kNone) *file = std::make_unique<FaultFile>(this, std::move(opened));
  return e;
}

FileError FaultEnv::RenameFile(const std::string& from, const std::string& to,
                               bool replace) {
  const FileError e = Next(Op::kRenameFile, to);
  return e != kNone ? e : EnvWrapper::RenameFile(from, to, replace);
}

FileError FaultEnv::SyncFolder(const std::string& folder) {
  const FileError e = Next(Op::kSyncFolder, folder);
  return e != kNone ? e : EnvWrapper::SyncFolder(folder);
}

FileError FaultEnv::LockFile(const std::string& path, LockPlace place,
                             int timeout_ms, std::unique_ptr<FileLock>* lock) {
  const FileError e = Next(Op::kLockFile, path);
  if (e == kNone) return EnvWrapper::LockFile(path, place, timeout_ms, lock);
  lock->reset();
  return e;
}

}  // namespace zolt
