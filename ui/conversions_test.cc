#include "ui/conversions.h"

#include <optional>
#include <string>

#include "gtest/gtest.h"
#include "ui/run_time_error.h"

namespace zolt::ui {
namespace {

TEST(ConversionsTest, IsNumeric) {
  struct Case {
    const char* text;
    bool numeric;
  } cases[] = {
      {"1", true},         {"  42 ", true},    {"\t-7", true},
      {"+3", true},        {"1.5", true},      {".5", true},
      {"5.", true},        {"1e3", true},      {"2D-1", true},
      {"1,440", true},     {"", false},        {" ", false},
      {"-", false},        {".", false},       {"abc", false},
      {"12abc", false},    {"1 2", false},     {"1.2.3", false},
      {"1e", false},       {"&H10", false},    {",5", false},
      {"1,", false},       {"--1", false},     {"1\n", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNumeric(c.text), c.numeric) << "'" << c.text << "'";
  }
}

// nullopt: overflow (error 6).
TEST(ConversionsTest, ToLongAndToIntegerRoundHalfEvenAndOverflow) {
  struct Case {
    const char* text;
    std::optional<int32_t> as_long;
    std::optional<int16_t> as_integer;
  } cases[] = {
      {"1", 1, 1},          {"0.5", 0, 0},
      {"1.5", 2, 2},        {"2.5", 2, 2},
      {"-2.5", -2, -2},     {"2.5000001", 3, 3},
      {"1,440", 1440, 1440}, {"32767", 32767, 32767},
      {"32767.5", 32768, std::nullopt}, {"-32768", -32768, -32768},
      {"-32769", -32769, std::nullopt}, {"2147483647", 2147483647, std::nullopt},
      {"2147483648", std::nullopt, std::nullopt},
      {"-2147483648", -2147483647 - 1, std::nullopt},
      {"-2147483649", std::nullopt, std::nullopt},
      {"1e400", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.as_long) {
      EXPECT_EQ(ToLong(c.text), *c.as_long);
    } else {
      try {
        ToLong(c.text);
        ADD_FAILURE() << "no overflow";
      } catch (const RunTimeError& e) {
        EXPECT_EQ(e.number(), kErrorOverflow);
        EXPECT_EQ(e.description(), "Overflow");
      }
    }
    if (c.as_integer) {
      EXPECT_EQ(ToInteger(c.text), *c.as_integer);
    } else {
      EXPECT_THROW(ToInteger(c.text), RunTimeError);
    }
  }
  try {
    ToLong("x");
    ADD_FAILURE() << "no type mismatch";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(e.number(), kErrorTypeMismatch);
  }
}

TEST(ConversionsTest, LeadingNumber) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},        {"abc", 0},   {"-500", -500}, {"412345\r\n612345\r\n", 412345},
      {" 1 2\t3\n4", 1234},  // blanks, tabs and line feeds are skipped
      {"1\r2", 1},           // a carriage return stops the number
      {"  -  7", -7}, {"3.25x", 3.25}, {"1e3", 1000}, {"1e", 1},
      {"2.5.1", 2.5}, {"+", 0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.value) << "'" << c.text << "'";
  }
}

TEST(ConversionsTest, NumberText) {
  EXPECT_EQ(NumberText(-500.0), "-500");
  EXPECT_EQ(NumberText(0.5), "0.5");
  EXPECT_EQ(NumberText(int32_t{-2147483647 - 1}), "-2147483648");
  EXPECT_EQ(NumberText(int16_t{7}), "7");
}

}  // namespace
}  // namespace zolt::ui
