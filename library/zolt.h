// The two operations behind the exports, on a given Env: issue a PIN for a
// basket sold, and tell whether one could be issued now.
#ifndef ZOLT_LIBRARY_ZOLT_H_
#define ZOLT_LIBRARY_ZOLT_H_

#include <cstdint>

#include "library/refusal.h"
#include "platform/env/env.h"

namespace zolt {

// Bytes of the caller's expiry buffer the library may write, zero included.
constexpr int kExpiryBufferSize = 12;

// Issues a PIN: the six-digit PIN, or a negative result code. On success the
// expiry text (at most kExpiryBufferSize bytes with its zero) is written to
// expiry_text; on failure expiry_text is untouched. expiry_text may be null,
// in which case no text is written.
// When `why` is not null it receives the cause of a negative result (its
// code kOk after a PIN).
int32_t IssuePin(Env& env, int32_t basket_size, char* expiry_text,
                 Refusal* why = nullptr);

// The PIN core of the newest free slot for this size, or a negative code.
// Marks nothing. `why` as for IssuePin.
int32_t QuerySoldOut(Env& env, int32_t basket_size, Refusal* why = nullptr);

// The six-digit PIN for a slot value: the size digit (2 x size + 2) followed
// by PINcrypt x size + value in five digits.
int32_t FormPin(int32_t basket_size, int32_t pin_crypt, int32_t value);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_ZOLT_H_
