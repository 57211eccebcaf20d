#include "cli/common/refusal_words.h"

#include "library/code_meaning.h"

namespace zolt::cli {
const char* FileErrorToken(FileError e) {
  switch (e) {
    case FileError::kNone: return "";
    case FileError::kNotFound: return "not-found";
    case FileError::kBadPath: return "bad-path";
    case FileError::kDenied: return "denied";
    case FileError::kSharing: return "sharing";
    case FileError::kLink: return "link";
    case FileError::kExists: return "exists";
    case FileError::kNoLocks: return "no-locks";
    case FileError::kOther: return "other";
  }
  return "other";
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
