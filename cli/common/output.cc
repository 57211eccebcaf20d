#include "cli/common/output.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/process/terminal.h"

namespace zolt::cli {

void PrintJson(const nlohmann::ordered_json& document) {
  // Texts from the files are Windows-1252 bytes, not UTF-8: replace what
  // is not UTF-8 rather than fail.
  const std::string text =
      document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

bool UseColour() {
  const char* no_color = std::getenv("NO_COLOR");
  if (no_color != nullptr && no_color[0] != '\0') return false;
  return IsTerminal(StdStream::kOut) && EnableColourCodes(StdStream::kOut);
}

}  // namespace zolt::cli
