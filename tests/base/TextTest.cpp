#include "base/Text.h"

#include <gtest/gtest.h>

namespace tazu {
namespace {

TEST(Text, CaseMappingIsAsciiOnly) {
  EXPECT_EQ(UpperCase("anna-Marie 2\xe9"), "ANNA-MARIE 2\xe9");
  EXPECT_EQ(LowerCase("BUT_AFR"), "but_afr");
  EXPECT_TRUE(SameText("Sounds_afr", "SOUNDS_AFR"));
  EXPECT_FALSE(SameText("a", "ab"));
  EXPECT_LT(CompareText("frame1", "FRAME2"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_TRUE(Contains("subindex2_3", "subindex"));
}

}  // namespace
}  // namespace tazu
