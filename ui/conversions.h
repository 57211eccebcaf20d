// The numeric text conversions the programs' handlers rely on, with the
// rules of the language they were first written in: what counts as numeric,
// conversion to 32- and 16-bit integers (rounding half to even, overflow as
// error 6), the lenient leading-number reader, and number-to-text.
#ifndef ZOLT_UI_CONVERSIONS_H_
#define ZOLT_UI_CONVERSIONS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zolt::ui {

// True for a decimal number with optional blanks (spaces, tabs) around it,
// an optional sign, digits with at most one decimal point (at least one
// digit), and an optional exponent (E or D, optional sign, digits). Commas
// between digits before the decimal point are thousands separators. Empty
// text, text with anything else, hexadecimal (&H) and currency forms are not
// numeric.
bool IsNumeric(std::string_view text);

// The value of numeric text as a double. Throws RunTimeError 13 (type
// mismatch) when IsNumeric is false.
double NumericValue(std::string_view text);

// Rounds to the nearest whole number, a half to the even one.
double RoundHalfEven(double value);

// Numeric text to a 32-bit (16-bit) integer, rounded half to even. Throws
// RunTimeError 6 (overflow) when the rounded value does not fit, 13 when the
// text is not numeric.
int32_t ToLong(std::string_view text);
int16_t ToInteger(std::string_view text);

// The number at the start of text: spaces, tabs and line feeds are skipped
// wherever they stand; an optional sign, digits, a decimal point, digits and
// an exponent are read up to the first character that cannot continue the
// number. 0 when no digit is read.
double LeadingNumber(std::string_view text);

// Decimal text without a leading blank: "-500", "123456", "0.5".
std::string NumberText(double value);
std::string NumberText(int64_t value);
inline std::string NumberText(int32_t value) {
  return NumberText(static_cast<int64_t>(value));
}
inline std::string NumberText(int16_t value) {
  return NumberText(static_cast<int64_t>(value));
}

}  // namespace zolt::ui

#endif  // ZOLT_UI_CONVERSIONS_H_
