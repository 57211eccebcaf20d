// The number conversions of the settings and table files. Both read a leading
// number after optional blanks and a sign and stop at the first other
// character; text without digits gives 0. Values beyond 32 bits saturate at
// the nearest bound instead of wrapping, so a vendor of 4294967486 is out of
// range rather than 190.
#ifndef ZOLT_LIBRARY_NUMBER_TEXT_H_
#define ZOLT_LIBRARY_NUMBER_TEXT_H_

#include <cstdint>
#include <string_view>

namespace zolt {

// Decimal, as the settings keys and LastPINRunDay are stored.
int32_t ParseDecimal(std::string_view text);

// Hexadecimal with an optional 0x prefix, as table values are stored.
int32_t ParseHex(std::string_view text);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_NUMBER_TEXT_H_
