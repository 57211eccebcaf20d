// The cause of a refusal as people at a site need it: the library core
// fills a Refusal for each call; where it names no step, the file operation
// that failed last before the call refused is named instead, with what the
// system answers about that file now. FailureWitness sits between the core
// and its Env (the station's, or the read-only overlay) and keeps that
// operation.
#ifndef ZOLT_CLI_FAILURE_WITNESS_H_
#define ZOLT_CLI_FAILURE_WITNESS_H_

#include <nlohmann/json.hpp>
#include <string>

#include "library/refusal.h"
#include "platform/env_wrapper.h"

namespace zolt::cli {

class FailureWitness : public EnvWrapper {
 public:
  explicit FailureWitness(Env& target) : EnvWrapper(target) {}

  // The last failed operation as a refusal with `code`; an empty step when
  // no operation failed.
  Refusal LastFailure(Code code) const;

  FileError CheckWritable(const std::string& path) override;
  FileError ReadIfWritable(const std::string& path,
                           std::string* contents) override;
  FileError RemoveFile(const std::string& path) override;
  FileError ReadFile(const std::string& path, std::string* contents) override;
  FileError WriteFileAtomic(const std::string& path,
                            const std::string& contents) override;
  FileError WriteInPlace(const std::string& path, std::uint64_t offset,
                         std::string_view bytes,
                         std::uint64_t expected_size) override;
  FileError LockFile(const std::string& path, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override;

 private:
  enum class Op { kOpenSettings, kRead, kWrite, kMark, kRemove, kLock };
  FileError Saw(Op op, const std::string& path, FileError result);

  bool failed_ = false;
  Op op_ = Op::kRead;
  std::string path_;
  FileError error_ = FileError::kNone;
};

// The cause of `result`: the core's refusal when it names a step, else the
// witness's; nothing for a PIN or a core.
Refusal CauseOf(int32_t result, const Refusal& from_core,
                const FailureWitness& witness);

// The code's meaning for people; where the cause is named, without the
// list of possible causes (-1: "undetermined failure: no PIN was issued").
std::string MeaningBesideCause(int32_t code, const Refusal& cause);

// "not-found", "bad-path", "denied", "sharing", "other" ("" for none).
const char* FileErrorToken(FileError e);

// The refusal as data: step, path, error, os_error and, for people, text;
// null when it names no step.
nlohmann::ordered_json RefusalJson(const Refusal& r);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_FAILURE_WITNESS_H_
