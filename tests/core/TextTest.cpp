#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/Text.h"

namespace tavro::text {
namespace {

TEST(Utf8Validity, AcceptsUtf8AndRejectsLegacyBytes) {
  EXPECT_TRUE(IsValidUtf8("plain ascii"));
  EXPECT_TRUE(IsValidUtf8("Jeux/\xC3\xA9t\xC3\xA9"));                // été
  EXPECT_TRUE(IsValidUtf8("\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0"));  // ゲーム
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8E\xAE"));                      // a four-byte character
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));                              // Windows-1252 é
  EXPECT_FALSE(IsValidUtf8("\xC3"));                                 // cut short at the end
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));                             // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));                         // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));                     // past U+10FFFF
}

TEST(TrimSpaces, RemovesBlanksOnlyAtBothEnds) {
  EXPECT_EQ(TrimSpaces("  -f -g  "), "-f -g");
  EXPECT_EQ(TrimSpaces("\t-g\t"), "\t-g\t");
  EXPECT_EQ(TrimSpaces("    "), "");
  EXPECT_EQ(TrimSpaces(""), "");
}

TEST(Patterns, MatchEveryMaskWithoutRegardToCase) {
  EXPECT_TRUE(MatchAnyMask("Game.WUX", SplitPattern("*.wux;*.wud")));
  EXPECT_TRUE(MatchAnyMask("game.wud", SplitPattern("*.wux;*.wud")));
  EXPECT_FALSE(MatchAnyMask("game.wua", SplitPattern("*.wux;*.wud")));
  EXPECT_FALSE(MatchAnyMask("game.wud.txt", SplitPattern("*.wux;*.wud")));
  EXPECT_TRUE(MatchAnyMask("a.rpx", SplitPattern("*.rpx")));
  EXPECT_TRUE(MatchAnyMask("x.rpx", SplitPattern(" *.RPX ; ")));
  EXPECT_TRUE(MatchMask("abc", "a?c"));
  EXPECT_FALSE(MatchMask("ac", "a?c"));
  EXPECT_TRUE(MatchMask("a.b.c.wud", "*.*.wud"));
  EXPECT_FALSE(MatchAnyMask("anything", SplitPattern("")));
  EXPECT_TRUE(
      MatchAnyMask("*x.wud", SplitPattern("*.wux;*.wud")));  // a star in the name is a letter
}

TEST(ReplaceAll, ReplacesNonOverlappingOccurrencesFromTheStart) {
  EXPECT_EQ(ReplaceAll("Disc.wud.Copy.wud", ".wud", ""), "Disc.Copy");
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("Game.WUD", ".wud", ""), "Game.WUD");
}

TEST(FitRunsForBox, ShortensOnlyTooWideRunsInTheirMiddle) {
  // A run fits in 10 characters, counted as characters, not bytes.
  const auto fits = [](std::string_view run) {
    return std::count_if(run.begin(), run.end(), [](char c) { return (c & 0xC0) != 0x80; }) <= 10;
  };
  EXPECT_EQ(FitRunsForBox("short words\nstay whole", fits), "short words\nstay whole");
  EXPECT_EQ(FitRunsForBox("Alert! abcdefghijklmnopqrstuvwxyz end", fits),
            "Alert! abcde\xE2\x80\xA6wxyz end");
  EXPECT_EQ(FitRunsForBox("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9xxxxxx", fits),
            "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xE2\x80\xA6xxxx");
  // Nothing fits: the ellipsis alone.
  EXPECT_EQ(FitRunsForBox("abc", [](std::string_view run) { return run.size() <= 1; }),
            "\xE2\x80\xA6");
}

TEST(NoCaseOrder, SortsLettersTogether) {
  EXPECT_TRUE(LessNoCase("apple", "Banana"));
  EXPECT_FALSE(LessNoCase("Banana", "apple"));
  EXPECT_TRUE(EqualsNoCase("C:", "c:"));
  EXPECT_FALSE(EqualsNoCase("C:", "d:"));
}

}  // namespace
}  // namespace tavro::text
