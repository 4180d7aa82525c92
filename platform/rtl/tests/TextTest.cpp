// Text routines: 1-based string functions, integer text, UTF-8 stepping,
// code page 936 and Chinese collation.
#include <algorithm>
#include "CodePage.h"
#include "Collation.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "gtest.h"

TEST(Strings, OneBasedCopyPosDeleteInsert) {
  EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Copy("abcdef", 0, 2), "ab");       // index below 1 counts as 1
  EXPECT_EQ(Copy("abcdef", 5, 100), "ef");     // clipped
  EXPECT_EQ(Copy("abcdef", 7, 1), "");
  EXPECT_EQ(Copy("abcdef", 2, -1), "");
  EXPECT_EQ(Copy("abc", 1, INT32_MAX), "abc");  // no overflow on a huge count
  EXPECT_EQ(Pos("cd", "abcdcd"), 3);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(PosEx("cd", "abcdcd", 4), 5);
  EXPECT_EQ(PosEx("cd", "abcdcd", 0), 0);
  EXPECT_EQ(PosEx("cd", "abcdcd", 7), 0);

  String s = "abcdef";
  Delete(s, 2, 2);
  EXPECT_EQ(s, "adef");
  Delete(s, 0, 2);     // out of range: nothing
  Delete(s, 9, 2);
  EXPECT_EQ(s, "adef");
  Delete(s, 3, 100);
  EXPECT_EQ(s, "ad");
  Insert("XY", s, 2);
  EXPECT_EQ(s, "aXYd");
  Insert("<", s, -5);
  Insert(">", s, 100);
  EXPECT_EQ(s, "<aXYd>");
}

TEST(Strings, TrimCaseCompareQuote) {
  EXPECT_EQ(Trim(" \t\r\n 中文 x\x01"), "中文 x");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(UpperCase("abc中z"), "ABC中Z");
  EXPECT_EQ(LowerCase("ÄBC"), "Äbc");   // ASCII only
  EXPECT_EQ(AnsiUpperCase("äbc中ß"), "ÄBC中SS");
  EXPECT_EQ(AnsiLowerCase("ÄBC"), "äbc");
  EXPECT_TRUE(SameText("Hello", "hELLO"));
  EXPECT_FALSE(SameText("Hello", "Hell"));
  EXPECT_LT(CompareStr("A", "a"), 0);
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "ABCD"), 0);
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");

  const char* text = "'it''s' rest";
  const char* p = text;
  EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), "it's");
  EXPECT_STREQ(p, " rest");
  const char* open = "'unterminated";
  p = open;
  EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), "unterminated");
  EXPECT_EQ(*p, '\0');
  p = text + 8;   // not at a quote
  EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), "");
  EXPECT_EQ(p, text + 8);
}

TEST(Strings, StringReplaceFlags) {
  EXPECT_EQ(StringReplace("aXbxc", "x", "-"), "aXb-c");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", rfIgnoreCase), "a-bxc");
  EXPECT_EQ(StringReplace("aXbxc", "x", "-", {rfReplaceAll, rfIgnoreCase}), "a-b-c");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");   // no rescanning
  EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
  EXPECT_EQ(StringOfChar('-', 3), "---");
  EXPECT_EQ(StringOfChar('-', -3), "");
}

TEST(Integers, ToText) {
  EXPECT_EQ(IntToStr(-42), "-42");
  EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(IntToStr(UINT64_MAX), "18446744073709551615");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(-1), 2), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(IntToHex(0, 0), "0");
  EXPECT_EQ(IntToHex(1, 1000000000).size(), 32u);   // bounded
}

TEST(Integers, Parse) {
  struct Case {
    const char* text;
    bool ok;
    Integer value;
  };
  const Case cases[] = {
      {"123", true, 123},          {"  -45", true, -45},       {"+7", true, 7},
      {"$FF", true, 255},          {"0x1f", true, 31},         {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},     {"2147483647", true, INT32_MAX},
      {"-2147483648", true, INT32_MIN},
      {"2147483648", false, 0},    {"$100000000", false, 0},   {"", false, 0},
      {"12 ", false, 0},           {"1.5", false, 0},          {"abc", false, 0},
      {"-", false, 0},             {"$", false, 0},            {"0x", false, 0},
      {"99999999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    Integer v = -999;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
    EXPECT_EQ(StrToIntDef(c.text, -999), c.ok ? c.value : -999) << c.text;
  }
  try {
    StrToInt("12a");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
  }
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
  EXPECT_THROW(StrToInt64(""), EConvertError);
}

TEST(Utf8, Stepping) {
  const String s = "a中\xF0\x9F\x98\x80" "b";   // a, 中 (3 bytes), an emoji (4 bytes), b
  EXPECT_EQ(Utf8Length(s), 4u);
  EXPECT_EQ(Utf8NextChar(s, 0), 1u);
  EXPECT_EQ(Utf8NextChar(s, 1), 4u);
  EXPECT_EQ(Utf8NextChar(s, 4), 8u);
  EXPECT_EQ(Utf8PrevChar(s, 8), 4u);
  EXPECT_EQ(Utf8PrevChar(s, 4), 1u);
  EXPECT_EQ(Utf8CharStart(s, 6), 4u);
  EXPECT_EQ(Utf8CharAt(s, 1), "中");
  EXPECT_EQ(Utf8CharAt(s, 9), "");
  EXPECT_EQ(Utf8Left(s, 2), "a中");
  size_t p = 1;
  EXPECT_EQ(Utf8Decode(s, p), U'中');
  EXPECT_EQ(p, 4u);
  EXPECT_EQ(Utf8Encode(0x1F600), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8Encode(0xD800), "\xEF\xBF\xBD");
  EXPECT_TRUE(Utf8IsValid(s));
}

TEST(Utf8, MalformedBytesStepOneAtATime) {
  const String cases[] = {"\xE4\xB8", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xFF"};
  for (const String& bad : cases) {
    EXPECT_FALSE(Utf8IsValid(bad));
    EXPECT_EQ(Utf8Length(bad), bad.size());
    EXPECT_EQ(Utf8PrevChar(bad, bad.size()), bad.size() - 1);
    size_t p = 0;
    EXPECT_EQ(Utf8Decode(bad, p), U'\xFFFD');
    EXPECT_EQ(p, 1u);
  }
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\xFFFD" "b");
  // Quoted in messages: malformed bytes escaped, characters kept.
  EXPECT_EQ(Utf8Escaped("a\xFF中\xE4\xB8"), "a\\xFF中\\xE4\\xB8");
  EXPECT_EQ(Utf8Escaped("订单 \\x"), "订单 \\x");
  EXPECT_TRUE(Utf8IsValid(Utf8Escaped("\xC0\x80\xED\xA0\x80")));
}

TEST(Utf8, Utf16RoundTrip) {
  const String s = "订单 No.1 \xF0\x9F\x98\x80";
  const std::u16string u = Utf8ToUtf16(s);
  EXPECT_EQ(u, u"订单 No.1 \U0001F600");
  EXPECT_EQ(Utf16ToUtf8(u), s);
  EXPECT_EQ(Utf16ToUtf8(u.c_str()), s);
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(Utf16ToUtf8(lone), "a\xEF\xBF\xBD" "b");
}

TEST(CodePage, GbkRoundTrip) {
  const String text = "中文订单 ABC ￥123";
  const std::string gbk = Utf8ToGbk(text);
  EXPECT_EQ(gbk.substr(0, 4), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(GbkToUtf8(gbk), text);
  EXPECT_EQ(GbkToUtf16(gbk), Utf8ToUtf16(text));
  EXPECT_EQ(Utf16ToGbk(Utf8ToUtf16(text)), gbk);
  EXPECT_EQ(CodePageToUtf8(gbk, 936), text);
}

TEST(CodePage, InvalidInputIsSubstituted) {
  // A lead byte without its trail byte, and one before a space.
  EXPECT_EQ(GbkToUtf8("a\x81"), "a\xEF\xBF\xBD");
  EXPECT_EQ(GbkToUtf8("\x81 x"), "\xEF\xBF\xBD x");
  // Characters GBK lacks, malformed UTF-8 and a lone surrogate become "?".
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80z"), "a?z");
  EXPECT_EQ(Utf8ToGbk("a\xFFz"), "a?z");
  const char16_t lone[] = {u'a', 0xDC00, u'z'};
  EXPECT_EQ(Utf16ToGbk(std::u16string(lone, 3)), "a?z");
  EXPECT_EQ(GbkToUtf8(""), "");
  EXPECT_THROW(CodePageToUtf8("x", 12345), EConvertError);
}

TEST(Collation, ChineseNamesSortByPinyin) {
  std::vector<String> names = {"张三", "王五", "李四", "Zed", "adam", "Bob"};
  std::sort(names.begin(), names.end(), [](const String& a, const String& b) { return AnsiCompareStr(a, b) < 0; });
  const std::vector<String> expected = {"adam", "Bob", "Zed", "李四", "王五", "张三"};
  EXPECT_EQ(names, expected);

  std::vector<String> byKey = {"张三", "王五", "李四", "Zed", "adam", "Bob"};
  std::sort(byKey.begin(), byKey.end(),
            [](const String& a, const String& b) { return CollationSortKey(a) < CollationSortKey(b); });
  EXPECT_EQ(byKey, expected);
}

TEST(Collation, CaseSensitivity) {
  EXPECT_EQ(AnsiCompareText("abc", "ABC"), 0);
  EXPECT_NE(AnsiCompareStr("abc", "ABC"), 0);
  EXPECT_TRUE(AnsiSameStr("中文", "中文"));
  EXPECT_TRUE(AnsiSameText("Abc", "aBC"));
  EXPECT_EQ(AnsiCompareStr("a", "b"), -1);
  EXPECT_EQ(AnsiCompareStr("b", "a"), 1);
  EXPECT_EQ(CollationSortKey("abc", true), CollationSortKey("ABC", true));
  EXPECT_NE(CollationSortKey("abc"), CollationSortKey("ABC"));
  EXPECT_LT(CollationSortKey(""), CollationSortKey("a"));
}
