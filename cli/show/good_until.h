// The minute a PIN is good until, as the expiry text of its sale tells the
// customer (the library's own ExpiryText, read back).
#ifndef ZOLT_CLI_SHOW_GOOD_UNTIL_H_
#define ZOLT_CLI_SHOW_GOOD_UNTIL_H_

#include <cstdint>

#include "platform/env/env.h"

namespace zolt::cli {

// The date of `sale` at the hour and minute of its expiry text (never past
// 11:55 PM of that day, as the text is capped there); second 0.
LocalTime GoodUntil(const LocalTime& sale, int32_t pin_expiry);

// Minutes from a to b (negative when b lies before a).
long MinutesBetween(const LocalTime& a, const LocalTime& b);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_SHOW_GOOD_UNTIL_H_
