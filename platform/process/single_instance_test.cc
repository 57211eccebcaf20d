#include "platform/process/single_instance.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace zolt {
namespace {

std::string UniqueName() {
  return "zolt-single-instance-test-" +
         std::to_string(
             std::chrono::steady_clock::now().time_since_epoch().count());
}

TEST(SingleInstanceTest, SecondClaimFailsWhileFirstIsHeldAndSucceedsAfter) {
  const std::string name = UniqueName();
  auto first = SingleInstance::Claim(name);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(SingleInstance::Claim(name), nullptr);
  EXPECT_EQ(SingleInstance::Claim(name), nullptr);
  first.reset();
  auto again = SingleInstance::Claim(name);
  EXPECT_NE(again, nullptr);
}

TEST(SingleInstanceTest, DifferentNamesDoNotBlockEachOther) {
  const std::string name = UniqueName();
  auto a = SingleInstance::Claim(name + "-a");
  auto b = SingleInstance::Claim(name + "-b");
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
}

}  // namespace
}  // namespace zolt
