#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tazu {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateOutsideQuotes) {
  EXPECT_EQ(SplitCommandLine(""), Args{});
  EXPECT_EQ(SplitCommandLine(" \t  "), Args{});
  EXPECT_EQ(SplitCommandLine("a b"), (Args{"a", "b"}));
  EXPECT_EQ(SplitCommandLine("  a \t\tb\t"), (Args{"a", "b"}));
  EXPECT_EQ(SplitCommandLine("a\tb c"), (Args{"a", "b", "c"}));
  // Only space and tab separate.
  EXPECT_EQ(SplitCommandLine("a\nb"), (Args{"a\nb"}));
}

TEST(SplitCommandLine, QuotesGroupAndDisappear) {
  EXPECT_EQ(SplitCommandLine("\"a b\" c"), (Args{"a b", "c"}));
  EXPECT_EQ(SplitCommandLine("a\"b c\"d"), (Args{"ab cd"}));
  EXPECT_EQ(SplitCommandLine("\"a\tb\""), (Args{"a\tb"}));
  // An unclosed quote runs to the end.
  EXPECT_EQ(SplitCommandLine("\"a b"), (Args{"a b"}));
  EXPECT_EQ(SplitCommandLine("a \"b c  "), (Args{"a", "b c  "}));
}

TEST(SplitCommandLine, EmptyQuotedArguments) {
  EXPECT_EQ(SplitCommandLine("\"\""), (Args{""}));
  EXPECT_EQ(SplitCommandLine("\"\" \"\""), (Args{"", ""}));
  EXPECT_EQ(SplitCommandLine("a \"\" b"), (Args{"a", "", "b"}));
  EXPECT_EQ(SplitCommandLine("a \""), (Args{"a", ""}));
  // Quotes that open and close inside a word add nothing.
  EXPECT_EQ(SplitCommandLine("a\"\"b"), (Args{"ab"}));
}

TEST(SplitCommandLine, BackSlashesBeforeQuotes) {
  // 2n back-slashes and a quote: n back-slashes, the quote toggles.
  EXPECT_EQ(SplitCommandLine(R"(a\\"b c")"), (Args{R"(a\b c)"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\\"b c")"), (Args{R"(a\\b c)"}));
  // 2n+1 back-slashes and a quote: n back-slashes and a literal quote.
  EXPECT_EQ(SplitCommandLine(R"(a\"b c)"), (Args{R"(a"b)", "c"}));
  EXPECT_EQ(SplitCommandLine(R"(a\\\"b c)"), (Args{R"(a\"b)", "c"}));
  EXPECT_EQ(SplitCommandLine(R"("a\"b c")"), (Args{R"(a"b c)"}));
}

TEST(SplitCommandLine, BackSlashesElsewhereAreLiteral) {
  EXPECT_EQ(SplitCommandLine(R"(C:\Kids\menu x\\y)"), (Args{R"(C:\Kids\menu)", R"(x\\y)"}));
  // Trailing back-slashes, with and without quotes after them.
  EXPECT_EQ(SplitCommandLine(R"(a\ b\\)"), (Args{R"(a\)", R"(b\\)"}));
  EXPECT_EQ(SplitCommandLine(R"("C:\Kids\\" next)"), (Args{R"(C:\Kids\)", "next"}));
  EXPECT_EQ(SplitCommandLine(R"("C:\Kids\" next)"), (Args{R"(C:\Kids" next)"}));
}

TEST(SplitCommandLine, DoubledQuoteInsideQuotesIsLiteralAndQuotingGoesOn) {
  EXPECT_EQ(SplitCommandLine(R"("a""b c")"), (Args{R"(a"b c)"}));
  EXPECT_EQ(SplitCommandLine(R"(a"b"" c d)"), (Args{R"(ab" c d)"}));
  EXPECT_EQ(SplitCommandLine(R"("""")"), (Args{R"(")"}));
  EXPECT_EQ(SplitCommandLine(R"("""" x)"), (Args{R"(")", "x"}));
  // Outside quotes the first quote opens, so a doubled quote there is empty.
  EXPECT_EQ(SplitCommandLine(R"(x"" y)"), (Args{"x", "y"}));
}

TEST(SplitCommandLine, TheLaunchersParameterString) {
  const std::string parameters = R"("*C:\Kids\#" "*Anna#" "*#" "*#" "*TRUE#" "*AFR#")";
  EXPECT_EQ(SplitCommandLine(parameters),
            (Args{R"(*C:\Kids\#)", "*Anna#", "*#", "*#", "*TRUE#", "*AFR#"}));
  // An empty learner name still gives six fields.
  EXPECT_EQ(SplitCommandLine(R"("*C:\Kids\#" "*#" "*#" "*#" "*TRUE#" "*ENG#")").size(), 6u);
}

TEST(SplitCommandLine, ALearnersNameHoldingAQuoteShiftsTheQuoting) {
  // The field is written unescaped, so its quote closes the quoted part early and every
  // later separator falls inside quotes: the name's field swallows the rest. A Windows
  // program reads the same, which is what matters here.
  const std::string parameters = R"("*C:\Kids\#" "*An"na#" "*#" "*#" "*TRUE#" "*AFR#")";
  EXPECT_EQ(SplitCommandLine(parameters), (Args{R"(*C:\Kids\#)", "*Anna# *# *# *TRUE# *AFR#"}));
}

TEST(QuoteArgument, PlainArgumentsStayAsTheyAre) {
  EXPECT_EQ(QuoteArgument("abc"), "abc");
  EXPECT_EQ(QuoteArgument(R"(C:\Kids\)"), R"(C:\Kids\)");
  EXPECT_EQ(QuoteArgument(""), "\"\"");
  EXPECT_EQ(QuoteArgument("a b"), "\"a b\"");
  EXPECT_EQ(QuoteArgument(R"(C:\My Kids\)"), R"("C:\My Kids\\")");
  EXPECT_EQ(QuoteArgument(R"(a"b)"), R"("a\"b")");
}

TEST(QuoteArgument, SplitReadsBackWhatWasJoined) {
  const std::vector<Args> cases = {
      {"a", "b c", ""},
      {R"(C:\Kids\)", R"(C:\My Kids\)", R"(\\server\share\)"},
      {R"(")", R"(\")", R"(\\")", R"(a\\\"b)", "\t", " lead", "trail "},
      {"*An\"na#", "*#", "", "", R"(x\)"},
  };
  for (const Args& args : cases) {
    EXPECT_EQ(SplitCommandLine(JoinCommandLine(args)), args) << JoinCommandLine(args);
  }
}

}  // namespace
}  // namespace tazu
