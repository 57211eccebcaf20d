// What each export would answer at the station now, for each basket size:
// the real core run on a fresh read-only overlay per call, so that no answer
// sees another's effects and nothing on disk changes.
#ifndef ZOLT_CLI_SHOW_ANSWERS_H_
#define ZOLT_CLI_SHOW_ANSWERS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "cli/common/station_env.h"
#include "library/refusal.h"
#include "library/result_code.h"

namespace zolt::cli {

struct Answer {
  Caller caller;
  int32_t size = 0;
  int32_t result = 0;
  std::string expiry;  // ZoltResult's text for a PIN, as written
  std::vector<Notice> notices;  // the message boxes the call would show
  Refusal cause;                // why it refused (the core names it)
};

// ZoltResult for sizes 1 to 3, then check_SoldOut_Condition for the same.
std::vector<Answer> AskEveryExport(StationEnv& env);

// One call of one export on a fresh overlay.
Answer Ask(StationEnv& env, Caller caller, int32_t size);

// The expiry text without its trailing blank and line feed.
std::string ShownExpiry(const std::string& text);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_SHOW_ANSWERS_H_
