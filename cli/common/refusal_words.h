// The cause of a refusal in zolt's output: the core names the step, the
// file and the system's answer in a Refusal; these give it to people and
// to JSON.
#ifndef ZOLT_CLI_COMMON_REFUSAL_WORDS_H_
#define ZOLT_CLI_COMMON_REFUSAL_WORDS_H_

#include <nlohmann/json.hpp>
#include <string>

#include "library/refusal.h"

namespace zolt::cli {

// The code's meaning for people; where the cause is named, without the
// list of possible causes (-1: "undetermined failure: no PIN was issued").
std::string MeaningBesideCause(int32_t code, const Refusal& cause);

// "not-found", "bad-path", "denied", "sharing", "link", "exists",
// "no-locks", "other" ("" for none).
const char* FileErrorToken(FileError e);

// The refusal as data: step, path, error, os_error and, for people, text;
// null when it names no step.
nlohmann::ordered_json RefusalJson(const Refusal& r);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_COMMON_REFUSAL_WORDS_H_
