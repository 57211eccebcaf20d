#include "library/slot_pin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "library/tests/site.h"
#include "platform/testing/test_env.h"

namespace zolt {
namespace {

uint16_t CrcOf(const std::vector<int32_t>& values) {
  return Crc16Arc(values.data(), values.size());
}

TEST(SlotPinTest, CrcGivesThePublishedCheckValueAndMatchesTheBitwiseForm) {
  // CRC-16/ARC of the ASCII bytes "123456789" is 0xBB3D.
  EXPECT_EQ(CrcOf({'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0xBB3D);
  EXPECT_EQ(Crc16Arc(nullptr, 0), 0);
  // Only the low byte of each value counts.
  std::mt19937 random(20);
  for (int round = 0; round < 200; ++round) {
    std::vector<int32_t> values(1 + random() % 12);
    std::vector<uint8_t> bytes;
    for (int32_t& v : values) {
      v = static_cast<int32_t>(random());  // high bits and signs included
      bytes.push_back(static_cast<uint8_t>(v));
    }
    ASSERT_EQ(CrcOf(values), test::ReferenceCrc16Arc(bytes)) << "round " << round;
  }
}

TEST(SlotPinTest, OddParityCountsTheLowEightBits) {
  for (auto [value, parity] : {std::pair{0, 0}, {1, 1}, {3, 0}, {7, 1}, {0x80, 1}, {0xFE, 1},
                               {0xFF, 0}, {0x100, 0}, {0x1FF, 0}, {0x301, 1}, {-1, 0}, {-2, 1}}) {
    EXPECT_EQ(OddParity(value), parity) << "value " << value;
  }
}

TEST(SlotPinTest, MessageBytesAreLaidOutInOrder) {
  const LocalTime date = At(2010, 6, 15, 12, 0);  // 10 + 6 + 15 = 31
  struct Case {
    int32_t slot, location;
    std::vector<int32_t> message;
  } cases[] = {
      {0, 0, {190, 0, 0, 7, 1, 42, 0, 0, 31}},
      {255, 800, {190, 32, 3, 7, 1, 42, 255, 0, 31}},
      {256, 800, {190, 32, 3, 7, 1, 42, 0, 1, 31}},
      {1440, 800, {190, 32, 3, 7, 1, 42, 160, 5, 31}},
      {719, 257, {190, 1, 1, 7, 1, 42, 207, 2, 31}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SlotPinForDate(c.slot, 7, 42, 190, c.location, date), CrcOf(c.message))
        << "slot " << c.slot << " location " << c.location;
  }
}

TEST(SlotPinTest, DatesWithTheSameDaySumGiveTheSameValues) {
  // 2 January and 1 February: (year - 2000) + month + day is 13 for both.
  int differing_next_day = 0;
  for (int slot = 0; slot <= 1440; ++slot) {
    const int32_t jan2 = SlotPinForDate(slot, 9, 200, 181, 17, At(2010, 1, 2, 0, 0));
    ASSERT_EQ(jan2, SlotPinForDate(slot, 9, 200, 181, 17, At(2010, 2, 1, 0, 0))) << slot;
    differing_next_day += jan2 != SlotPinForDate(slot, 9, 200, 181, 17, At(2010, 1, 3, 0, 0));
  }
  EXPECT_EQ(differing_next_day, 1441);
}

TEST(SlotPinTest, EachComputationReadsTheClock) {
  TestEnv env;
  env.SetTimes({At(2010, 6, 15, 23, 59, 59), At(2010, 6, 16, 0, 0, 0)});
  EXPECT_EQ(SlotPin(env, 300, 7, 42, 190, 800),
            SlotPinForDate(300, 7, 42, 190, 800, At(2010, 6, 15, 0, 0)));
  EXPECT_EQ(SlotPin(env, 300, 7, 42, 190, 800),
            SlotPinForDate(300, 7, 42, 190, 800, At(2010, 6, 16, 0, 0)));
  EXPECT_EQ(env.clock_reads(), 2);
}

}  // namespace
}  // namespace zolt
