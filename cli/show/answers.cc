#include "cli/show/answers.h"

#include "cli/common/refusal_words.h"
#include "cli/show/read_only_overlay_env.h"
#include "library/zolt.h"

namespace zolt::cli {

Answer Ask(StationEnv& env, Caller caller, int32_t size) {
  Answer a;
  a.caller = caller;
  a.size = size;
  env.ClearNotices();
  ReadOnlyOverlayEnv overlay(env);
  if (caller == Caller::kZoltResult) {
    char buffer[kExpiryBufferSize + 1] = {};
    a.result = IssuePin(overlay, size, buffer, &a.cause);
    if (a.result > 0) a.expiry = buffer;
  } else {
    a.result = QuerySoldOut(overlay, size, &a.cause);
  }
  a.notices = env.notices();
  env.ClearNotices();
  return a;
}

std::vector<Answer> AskEveryExport(StationEnv& env) {
  std::vector<Answer> out;
  for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
    for (int32_t size = 1; size <= 3; ++size) {
      out.push_back(Ask(env, caller, size));
    }
  }
  return out;
}

std::string ShownExpiry(const std::string& text) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == ' ')) --end;
  size_t start = 0;
  while (start < end && text[start] == ' ') ++start;
  return text.substr(start, end - start);
}

}  // namespace zolt::cli
