#include "library/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace zolt {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

struct Case {
  std::string text;
  int32_t expected;
};

TEST(NumberTextTest, DecimalReadsTheLeadingNumber) {
  const Case cases[] = {
      {"190", 190},   {"  190", 190}, {"\t 42", 42},  {"+7", 7},   {"-5", -5},  {"007", 7},
      {"\r\n\v\f 9", 9},  // every blank before the number
      {"190abc", 190},  // stops at the first other character
      {"12 34", 12},  {"1.9", 1},
      {"0x10", 0},      // no hexadecimal in the settings
      {"", 0},        {"abc", 0},     {"-", 0},
      {"- 5", 0},       // no blank between sign and digits
      {"2147483647", kMax},
      {"2147483648", kMax},  // saturates instead of wrapping
      {"4294967486", kMax},  // must not read as 190
      {"99999999999999999999", kMax}, {"-2147483648", kMin}, {"-4294967486", kMin},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text), c.expected) << '"' << c.text << '"';
}

TEST(NumberTextTest, HexReadsTheLeadingNumber) {
  const Case cases[] = {
      {"270E", 9998}, {"270e", 9998}, {"0x270F", 9999}, {"0X1a", 26}, {"  FF", 255},
      {"+A", 10},     {"-1", -1},     {"abc", 0xABC},
      {"12G4", 0x12},   // stops at the first non-hexadecimal character
      {"0x", 0},        // a prefix without digits reads the 0
      {"0x0A", 10},     // a prefix before the digit 0
      {"0xg", 0},     {"", 0},        {"xyz", 0},       {"FFFF", 0xFFFF},
      {"7FFFFFFF", kMax},
      {"80000000", kMax},  // beyond 32 bits: saturates
      {"FFFFFFFFF", kMax}, {"-80000000", kMin},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseHex(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
}  // namespace zolt
