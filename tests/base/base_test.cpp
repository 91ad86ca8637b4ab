#include <gtest/gtest.h>

#include "platform/base/clock.h"
#include "platform/base/error.h"
#include "platform/base/text.h"
#include "platform/base/variant.h"

using namespace yz;

TEST(Text, CountsCharactersNotBytes) {
  std::string s = "长期医嘱ab";
  EXPECT_EQ(text::Length(s), 6u);
  EXPECT_EQ(text::Substr(s, 2, 2), "医嘱");
  EXPECT_EQ(text::Right(s, 3), "嘱ab");
  EXPECT_EQ(text::Right(s, 10), s);
  EXPECT_EQ(text::Substr(s, 5, 20), "b");
  EXPECT_EQ(text::Substr(s, 9, 2), "");
  // Invalid bytes count as one character each and never run past the end.
  std::string bad = "a\xE5\x8C";
  EXPECT_EQ(text::Length(bad), 3u);
  EXPECT_EQ(text::Right(bad, 1), "\x8C");
}

TEST(Text, TrimCaseAndQuotes) {
  EXPECT_EQ(text::Trim("  ONCE \t"), "ONCE");
  EXPECT_EQ(text::Upper("ab医c"), "AB医C");
  EXPECT_TRUE(text::SameText("Order_Code", "ORDER_code"));
  EXPECT_EQ(text::SqlLiteral("O'Brien"), "'O''Brien'");
}

TEST(Text, GbkRoundTripAndInvalidBytes) {
  std::string u = "返回信息";
  std::string g = text::ToGbk(u);
  EXPECT_EQ(g, "\xB7\xB5\xBB\xD8\xD0\xC5\xCF\xA2");
  EXPECT_EQ(text::FromGbk(g), u);
  // A lone lead byte and an invalid pair are replaced, the rest survives.
  std::string r = text::FromGbk("ab\xFF\x81");
  EXPECT_TRUE(text::IsValidUtf8(r));
  EXPECT_EQ(r.substr(0, 2), "ab");
  EXPECT_EQ(text::ToGbk("a\xFF" "b"), "a?b");
}

TEST(Number, ShortestFormWithoutExponent) {
  struct Case {
    double v;
    const char* text;
  } cases[] = {{1500, "1500"},     {0.25, "0.25"},   {28.33, "28.33"}, {1234567890, "1234567890"},
               {0.1 + 0.2, "0.3"}, {-2.5, "-2.5"},   {0, "0"},         {1e-5, "0.00001"},
               {1.0 / 3, "0.333333333333333"}, {2e-10, "0.0000000002"}};
  for (auto& c : cases) EXPECT_EQ(FormatNumber(c.v), c.text) << c.v;
}

TEST(Number, ParseIntegerDecimalAndHex) {
  int64_t v;
  ASSERT_TRUE(ParseInteger("0x8000000D", &v));
  EXPECT_EQ(v, 0x8000000DLL);
  ASSERT_TRUE(ParseInteger("$FF", &v));
  EXPECT_EQ(v, 255);
  ASSERT_TRUE(ParseInteger(" -12 ", &v));
  EXPECT_EQ(v, -12);
  EXPECT_FALSE(ParseInteger("12a", &v));
  EXPECT_FALSE(ParseInteger("", &v));
  EXPECT_FALSE(ParseInteger("0x", &v));
}

TEST(DateTimeTest, FormatPatterns) {
  auto t = DateTime::FromParts(2024, 5, 6, 8, 7, 9);
  EXPECT_EQ(t.Format("yyyy-mm-dd hh:nn:ss"), "2024-05-06 08:07:09");
  EXPECT_EQ(t.Format("m-d"), "5-6");
  EXPECT_EQ(t.Format("hh:mm"), "08:07");
  EXPECT_EQ(t.Format("yyyy\"年\"mm\"月\""), "2024年05月");
  EXPECT_EQ(t.ToString(), "2024-05-06 08:07:09");
  EXPECT_EQ(t.DatePart().ToString(), "2024-05-06");
}

TEST(DateTimeTest, ParseAndArithmetic) {
  auto a = DateTime::Parse("2024-05-06 08:07");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->ToString(), "2024-05-06 08:07:00");
  EXPECT_EQ((*a + 1.0).Format("yyyy-mm-dd"), "2024-05-07");
  EXPECT_EQ(DateTime::Parse("2024-12-31")->Days() + 1, DateTime::Parse("2025-01-01")->Days());
  EXPECT_EQ(DateTime::Parse("1899-12-30")->Days(), 0);
  EXPECT_FALSE(DateTime::Parse("2024-02-30"));
  EXPECT_FALSE(DateTime::Parse("2024-05-06 25:00"));
  EXPECT_FALSE(DateTime::Parse("abc"));
  EXPECT_THROW(DateTime::ParseOrThrow("x"), ConvertError);
  // A time just short of midnight does not round into a wrong text.
  EXPECT_EQ(DateTime(45000.999999999).Format("hh:nn:ss"), "00:00:00");
}

TEST(VariantTest, Conversions) {
  EXPECT_EQ(Variant().ToString(), "");
  EXPECT_EQ(Variant(2.5).ToInt(), 3);
  EXPECT_EQ(Variant(-2.5).ToInt(), -3);
  EXPECT_EQ(Variant("12").ToInt(), 12);
  EXPECT_EQ(Variant(28.33).ToString(), "28.33");
  EXPECT_THROW(Variant("abc").ToInt(), ConvertError);
  EXPECT_EQ(Variant(DateTime::FromParts(2024, 1, 2)).ToString(), "2024-01-02");
  EXPECT_EQ(Variant("2024-01-02 10:00").ToDateTime(), DateTime::FromParts(2024, 1, 2, 10));
  EXPECT_TRUE(Variant(1) == Variant(1.0));
  EXPECT_FALSE(Variant("1") == Variant(1));
  EXPECT_TRUE(Variant::Unassigned().IsNull());
  EXPECT_FALSE(Variant() == Variant::Unassigned());
  EXPECT_LT(Variant::Compare(Variant(), Variant(0)), 0);
  EXPECT_EQ(Variant::Compare(Variant("10"), Variant(10)), 0);
  EXPECT_LT(Variant::Compare(Variant("abc"), Variant("ABD"), true), 0);
}

TEST(ClockTest, ManualClockMovesBoth) {
  ManualClock c(DateTime::FromParts(2024, 5, 6, 23, 59, 59));
  SetClock(&c);
  c.Advance(1000);
  EXPECT_EQ(GetClock().Now().ToString(), "2024-05-07");
  EXPECT_EQ(GetClock().Milliseconds(), 1000);
  SetClock(nullptr);
}
