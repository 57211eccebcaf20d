#include "setup/site_numbers.h"

#include <cstdint>
#include <limits>

#include "setup/mod_declarations.h"

namespace zolt::setup {

std::string SiteNumberText(std::string_view value) {
  size_t i = 0;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  if (i == value.size()) return kMissing;
  // The library holds these numbers in 32-bit integers; a value that does not
  // fit would reach it as a different number.
  const int64_t limit =
      negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
               : std::numeric_limits<int32_t>::max();
  int64_t magnitude = 0;
  for (; i < value.size(); ++i) {
    char c = value[i];
    if (c < '0' || c > '9') return kMissing;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > limit) return kMissing;
  }
  return std::to_string(negative ? -magnitude : magnitude);
}

}  // namespace zolt::setup
