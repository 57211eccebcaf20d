// The text that tells the customer until when a PIN is good.
#ifndef ZOLT_LIBRARY_EXPIRY_TEXT_H_
#define ZOLT_LIBRARY_EXPIRY_TEXT_H_

#include <cstdint>
#include <string>

#include "platform/env/env.h"

namespace zolt {

// " 11:55 PM \n" when the PIN lasts until midnight (PINExpiry 0, or the span
// reaches the next day); otherwise the sale time plus the span, as
// "hh:mm AM \n" / "hh:mm PM \n". The span is (PINExpiry - 5) x 0.0006954 of a
// day, a little over a minute per minute of lifetime.
std::string ExpiryText(const LocalTime& sale_time, int32_t pin_expiry);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_EXPIRY_TEXT_H_
