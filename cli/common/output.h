// Writing a command's answer: one JSON document, or text that may carry
// colour codes when it goes to a terminal.
#ifndef ZOLT_CLI_COMMON_OUTPUT_H_
#define ZOLT_CLI_COMMON_OUTPUT_H_

#include <nlohmann/json.hpp>

namespace zolt::cli {

// The document on standard output, indented, with a final line feed.
void PrintJson(const nlohmann::ordered_json& document);

// True when standard output is a terminal that shows colours and NO_COLOR
// is not set.
bool UseColour();

}  // namespace zolt::cli

#endif  // ZOLT_CLI_COMMON_OUTPUT_H_
