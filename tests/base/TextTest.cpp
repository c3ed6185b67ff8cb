#include "base/Text.h"

#include <gtest/gtest.h>

#include <utility>

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
  // Bytes above 0x7F are left alone: different UTF-8 names must not match.
  EXPECT_FALSE(SameText("\xc3\xa9", "\xc3\x89"));
  EXPECT_NE(CompareText("\xe9", "\xc9"), 0);
}

TEST(Text, AnsiCaseMappingCoversEveryWindows1252Letter) {
  for (int lower = 0xE0; lower <= 0xFE; ++lower) {
    if (lower == 0xF7) continue;  // the division sign has no capital
    const char l = static_cast<char>(lower), u = static_cast<char>(lower - 0x20);
    EXPECT_EQ(AnsiUpperChar(l), u) << std::hex << lower;
    EXPECT_EQ(AnsiLowerChar(u), l) << std::hex << lower;
  }
  const std::pair<char, char> pairs[] = {
      {'\x9a', '\x8a'}, {'\x9c', '\x8c'}, {'\x9e', '\x8e'}, {'\xff', '\x9f'}, {'z', 'Z'}};
  for (const auto& [l, u] : pairs) {
    EXPECT_EQ(AnsiUpperChar(l), u) << std::hex << +static_cast<unsigned char>(l);
    EXPECT_EQ(AnsiLowerChar(u), l) << std::hex << +static_cast<unsigned char>(u);
  }
  EXPECT_EQ(AnsiUpperChar('\xf7'), '\xf7');
  EXPECT_EQ(AnsiLowerChar('\xd7'), '\xd7');
  EXPECT_EQ(AnsiUpperCase("jos\xe9 \x9ato"), "JOS\xc9 \x8aTO");
  // The comparison of its own folds the same letters, and orders like CompareText.
  EXPECT_EQ(AnsiCompareText("ren\xe9 \x9ao", "REN\xc9 \x8aO"), 0);
  EXPECT_EQ(AnsiCompareText("\x9c\xff", "\x8c\x9f"), 0);
  EXPECT_NE(AnsiCompareText("\xe9", "\xe8"), 0);
  EXPECT_LT(AnsiCompareText("frame1", "FRAME2"), 0);
  EXPECT_LT(AnsiCompareText("ab", "abc"), 0);
  EXPECT_GT(AnsiCompareText("b", "A"), 0);
}

}  // namespace
}  // namespace tazu
