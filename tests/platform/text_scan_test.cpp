#include "platform/text_scan.h"

#include <gtest/gtest.h>

#include <vector>

namespace vestora {
namespace {

TEST(TextScanner, ReadsNumbersAcrossWhiteSpaceAndLineEnds) {
  TextScanner s("  1.5 -2\n\t3e2\r\n+4.25 .5 7.");
  float a, b, c, d, e, f;
  ASSERT_TRUE(s.readFloat(a) && s.readFloat(b) && s.readFloat(c) && s.readFloat(d) &&
              s.readFloat(e) && s.readFloat(f));
  EXPECT_EQ(a, 1.5f);
  EXPECT_EQ(b, -2.0f);
  EXPECT_EQ(c, 300.0f);
  EXPECT_EQ(d, 4.25f);
  EXPECT_EQ(e, 0.5f);
  EXPECT_EQ(f, 7.0f);
  EXPECT_FALSE(s.readFloat(a));
}

TEST(TextScanner, NumberStopsAtTheFirstCharacterThatCannotContinueIt) {
  TextScanner s("12abc 1e+ 2");
  float f = 0;
  ASSERT_TRUE(s.readFloat(f));
  EXPECT_EQ(f, 12.0f);
  EXPECT_FALSE(s.readFloat(f));  // "abc"
  std::string_view word;
  ASSERT_TRUE(s.readWord(word));
  EXPECT_EQ(word, "abc");
  ASSERT_TRUE(s.readFloat(f));  // "1e+" reads as 1, the dangling exponent is left
  EXPECT_EQ(f, 1.0f);
}

TEST(TextScanner, IntegersAndLimits) {
  TextScanner s("-1 +7 2147483647 2147483648 x");
  int a, b, c, d;
  ASSERT_TRUE(s.readInt(a) && s.readInt(b) && s.readInt(c));
  EXPECT_EQ(a, -1);
  EXPECT_EQ(b, 7);
  EXPECT_EQ(c, 2147483647);
  EXPECT_FALSE(s.readInt(d));  // does not fit in 32 bits
}

TEST(TextScanner, HugeAndTinyFloatsSaturateLikeTheCLibrary) {
  TextScanner s("1e60 -1e60 1e-60");
  float a, b, c;
  ASSERT_TRUE(s.readFloat(a) && s.readFloat(b) && s.readFloat(c));
  EXPECT_EQ(a, std::numeric_limits<float>::max());
  EXPECT_EQ(b, -std::numeric_limits<float>::max());
  EXPECT_EQ(c, 0.0f);
}

TEST(LineReader, EveryLineEndStyle) {
  LineReader r("a\nb\r\nc\rd\n\ne");
  std::vector<std::string> lines;
  std::string_view line;
  while (r.next(line)) lines.emplace_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
  EXPECT_EQ(r.lineNumber(), 6);
  r.rewind();
  ASSERT_TRUE(r.next(line));
  EXPECT_EQ(line, "a");
  EXPECT_EQ(r.lineNumber(), 1);
}

TEST(LineReader, BlankLinesAreKept) {
  LineReader r("\n\n\n");
  int n = 0;
  std::string_view line;
  while (r.next(line)) {
    EXPECT_TRUE(line.empty());
    ++n;
  }
  EXPECT_EQ(n, 3);
}

TEST(TextScan, FirstWordAndRest) {
  std::string_view rest;
  EXPECT_EQ(firstWord("  g  head", &rest), "g");
  EXPECT_EQ(rest, "  head");
  EXPECT_EQ(firstWord("\tusemtl\tskin x", &rest), "usemtl");
  EXPECT_EQ(firstWord(rest), "skin");
  EXPECT_EQ(firstWord("   ", &rest), "");
}

TEST(TextScan, WholeTokenParsing) {
  float f;
  int i;
  EXPECT_TRUE(parseFloat("-0.25", f));
  EXPECT_EQ(f, -0.25f);
  EXPECT_FALSE(parseFloat("1.0x", f));
  EXPECT_FALSE(parseFloat("", f));
  EXPECT_TRUE(parseInt("+12", i));
  EXPECT_EQ(i, 12);
  EXPECT_FALSE(parseInt("12/3", i));
  EXPECT_FALSE(parseInt("-", i));
}

}  // namespace
}  // namespace vestora
