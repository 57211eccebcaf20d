#include "cli/failure_witness.h"

#include <algorithm>
#include <cctype>

#include "library/code_meaning.h"
#include "platform/write_probe.h"

namespace zolt::cli {
namespace {

std::string NameOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return name;
}

// "the PIN table", "the library table", ... for the library's files.
std::string FileWords(const std::string& path) {
  const std::string name = NameOf(path);
  if (name == "pintable.dat") return "the PIN table";
  if (name == "dllpintable.dat") return "the library table";
  if (name == "pintable.lck") return "the lock file";
  if (name == "ostrelzoltdll.dta") return "the settings file";
  return "the file";
}

}  // namespace

const char* FileErrorToken(FileError e) {
  switch (e) {
    case FileError::kNone: return "";
    case FileError::kNotFound: return "not-found";
    case FileError::kBadPath: return "bad-path";
    case FileError::kDenied: return "denied";
    case FileError::kSharing: return "sharing";
    case FileError::kOther: return "other";
  }
  return "other";
}

FileError FailureWitness::Saw(Op op, const std::string& path,
                              FileError result) {
  // A missing table is read as an empty one, and a missing lock file is
  // made: neither refuses a call.
  if (result == FileError::kNone ||
      (op == Op::kRead && result == FileError::kNotFound)) {
    return result;
  }
  failed_ = true;
  op_ = op;
  path_ = path;
  error_ = result;
  return result;
}

Refusal FailureWitness::LastFailure(Code code) const {
  Refusal r;
  r.code = code;
  if (!failed_) return r;
  const std::string file = FileWords(path_);
  switch (op_) {
    case Op::kOpenSettings: r.step = "opening " + file; break;
    case Op::kRead: r.step = "reading " + file; break;
    case Op::kWrite: r.step = "writing " + file; break;
    case Op::kMark: r.step = "writing the taken mark into " + file; break;
    case Op::kRemove: r.step = "deleting " + file; break;
    case Op::kLock: r.step = "locking the data folder with " + file; break;
  }
  r.path = path_;
  r.error = error_;
  if (op_ == Op::kLock && error_ == FileError::kSharing) {
    r.os_text = "held by another station for longer than the wait";
    return r;
  }
  // What the system answers about the file now.
  ProbeAnswer probe;
  if (op_ == Op::kRemove) {
    probe = ProbeRemove(path_);
  } else if (op_ != Op::kRead && op_ != Op::kLock) {
    probe = ProbeWrite(path_);
  }
  if (probe.error == error_) {
    r.os_error = probe.os_error;
    r.os_text = probe.os_text;
  }
  return r;
}

FileError FailureWitness::CheckWritable(const std::string& path) {
  return Saw(Op::kOpenSettings, path, EnvWrapper::CheckWritable(path));
}

FileError FailureWitness::ReadIfWritable(const std::string& path,
                                         std::string* contents) {
  return Saw(Op::kOpenSettings, path,
             EnvWrapper::ReadIfWritable(path, contents));
}

FileError FailureWitness::RemoveFile(const std::string& path) {
  return Saw(Op::kRemove, path, EnvWrapper::RemoveFile(path));
}

FileError FailureWitness::ReadFile(const std::string& path,
                                   std::string* contents) {
  return Saw(Op::kRead, path, EnvWrapper::ReadFile(path, contents));
}

FileError FailureWitness::WriteFileAtomic(const std::string& path,
                                          const std::string& contents) {
  return Saw(Op::kWrite, path, EnvWrapper::WriteFileAtomic(path, contents));
}

FileError FailureWitness::WriteInPlace(const std::string& path,
                                       std::uint64_t offset,
                                       std::string_view bytes,
                                       std::uint64_t expected_size) {
  return Saw(Op::kMark, path,
             EnvWrapper::WriteInPlace(path, offset, bytes, expected_size));
}

FileError FailureWitness::LockFile(const std::string& path, int timeout_ms,
                                   std::unique_ptr<FileLock>* lock) {
  const FileError e = EnvWrapper::LockFile(path, timeout_ms, lock);
  // Only a busy lock refuses a call; a folder without locks is sold in
  // without one.
  return e == FileError::kSharing ? Saw(Op::kLock, path, e) : e;
}

Refusal CauseOf(int32_t result, const Refusal& from_core,
                const FailureWitness& witness) {
  if (result > 0) return Refusal{};
  if (!from_core.step.empty()) return from_core;
  return witness.LastFailure(static_cast<Code>(result));
}

std::string MeaningBesideCause(int32_t code, const Refusal& cause) {
  std::string meaning = CodeMeaning(code);
  const size_t list = meaning.find(" (");
  if (!cause.step.empty() && list != std::string::npos) meaning.resize(list);
  return meaning;
}

nlohmann::ordered_json RefusalJson(const Refusal& r) {
  if (r.step.empty()) return nullptr;
  nlohmann::ordered_json j;
  j["step"] = r.step;
  j["path"] = r.path;
  j["error"] = FileErrorToken(r.error);
  j["os_error"] = r.os_error;
  j["text"] = DescribeRefusal(r);
  return j;
}

}  // namespace zolt::cli
