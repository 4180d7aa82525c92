#include "frxUnicodeUtils.h"

#include <windows.h>
#undef GetObject

#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "gtest.h"

namespace {
std::vector<WideString> Lines(const TfrxWideStrings& l) {
  std::vector<WideString> v;
  for (Integer i = 0; i < l.Count(); ++i) v.push_back(l.Get(i));
  return v;
}
}  // namespace

TEST(frxWideStrings, SplitsAndJoinsText) {
  struct Case {
    WideString text;
    std::vector<WideString> lines;
  } cases[] = {
      {u"a\r\n\r\nb", {u"a", u"", u"b"}},
      {u"a\r\n", {u"a"}},
      {u"", {}},
      {u"\n\r", {u"", u""}},
      {u"a\rb\nc\u2028d", {u"a", u"b", u"c", u"d"}},
      {u"a\r\n\u2028b", {u"a", u"b"}},
      {u"客户\r\n名称", {u"客户", u"名称"}},
  };
  TfrxWideStrings l;
  for (const auto& c : cases) {
    l.SetTextStr(c.text);
    EXPECT_EQ(Lines(l), c.lines);
  }
  l.Clear();
  l.Add(u"a");
  l.Add(u"b");
  EXPECT_EQ(l.GetTextStr(), u"a\r\nb\r\n");
}

TEST(frxWideStrings, ListOperations) {
  TfrxWideStrings l;
  TObject tag;
  l.Add(u"x");
  l.AddObject(u"y", &tag);
  l.Insert(1, u"Y");  // replaces, keeps the object
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.Get(1), u"Y");
  EXPECT_EQ(l.GetObject(1), &tag);
  l.Insert(2, u"z");  // appends
  EXPECT_EQ(l.Count(), 3);
  for (Integer bad : {-1, 4}) {
    try {
      l.Insert(bad, u"w");
      ADD_FAILURE() << bad;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Wide String Out of Bounds");
    }
  }
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Get(-1), u"");
  EXPECT_EQ(l.Get(3), u"");
  EXPECT_EQ(l.GetObject(3), nullptr);
  l.PutObject(7, &tag);
  EXPECT_EQ(l.IndexOf(u"Y"), 1);
  EXPECT_EQ(l.IndexOf(u"y"), -1);
  l.Delete(0);
  EXPECT_EQ(l.Get(0), u"Y");
  EXPECT_THROW(l.Delete(5), EListError);
}

TEST(frxWideStrings, StreamsAndFiles) {
  TfrxWideStrings l;
  l.SetTextStr(u"第一行\r\nline 2");
  TMemoryStream m;
  l.SaveToStream(&m);
  EXPECT_EQ(m.Size(), Int64(l.GetTextStr().size() * 2));  // no FF FE
  // Read back without the prefix, the bytes are taken as 8-bit text.
  m.SetPosition(0);
  TfrxWideStrings back;
  back.LoadFromStream(&m);
  EXPECT_NE(Lines(back), Lines(l));

  TStringStream bom(std::string("\xff\xfe", 2) + std::string("a\0\r\0\n\0\x2d\x4e", 8));
  back.LoadFromStream(&bom);
  EXPECT_EQ(Lines(back), (std::vector<WideString>{u"a", u"中"}));
  TStringStream utf8("中文\nb");
  back.LoadFromStream(&utf8);
  EXPECT_EQ(Lines(back), (std::vector<WideString>{u"中文", u"b"}));
  TStringStream two(std::string("\xff\xfe", 2));
  back.LoadFromStream(&two);  // two bytes or fewer: 8-bit text
  EXPECT_EQ(back.Count(), 1);

  m.SetPosition(0);
  frxReadWideText(&back, &m);
  EXPECT_EQ(Lines(back), Lines(l));

  char16_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, reinterpret_cast<LPWSTR>(dir));
  String file;
  for (const char16_t* p = dir; *p; ++p) file += char(*p);
  file += "frxwide_test.txt";
  l.SaveToFile(file);
  TfrxWideStrings f;
  f.LoadFromFile(file);  // no prefix: read as 8-bit text, as the bytes are
  EXPECT_NE(Lines(f), Lines(l));
  EXPECT_EQ(f.Get(0).substr(0, 2), u",{");  // 第 is 2C 7B in UTF-16LE
  DeleteFileA(file.c_str());
}

TEST(frxWideStrings, AssignsWithStringLists) {
  TStringList s;
  TObject tag;
  s.Add("甲");
  s.AddObject("乙", &tag);
  TfrxWideStrings w;
  w.Assign(&s);
  EXPECT_EQ(Lines(w), (std::vector<WideString>{u"甲", u"乙"}));
  EXPECT_EQ(w.GetObject(1), &tag);
  w.Add(u"\U0001F600");
  TStringList back;
  back.Assign(&w);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Strings(2), "\U0001F600");
  EXPECT_EQ(back.Objects(1), &tag);
  TfrxWideStrings copy;
  copy.Assign(&w);
  EXPECT_EQ(Lines(copy), Lines(w));
  EXPECT_THROW(copy.Assign(nullptr), EConvertError);
}

TEST(frxWideStrings, CharsetsAndCodePages) {
  EXPECT_EQ(frxCharsetToLocale(134), 2052u);
  EXPECT_EQ(frxCharsetToLocale(204), 1049u);
  EXPECT_EQ(frxCharsetToLocale(0), GetThreadLocale());
  EXPECT_EQ(frxCharsetToCodePage(134), 936u);
  EXPECT_EQ(frxCharsetToCodePage(0), 1252u);
  EXPECT_EQ(frxCharsetToCodePage(1), 65001u);
  EXPECT_EQ(frxCharsetToCodePage(77), 2u);
  EXPECT_EQ(frxCharsetToCodePage(255), 1u);
  EXPECT_THROW(frxCharsetToCodePage(99), EOSError);

  EXPECT_EQ(frxAnsiToWide("\xd6\xd0\xce\xc4", 134), u"中文");
  EXPECT_EQ(frxWideToAnsi(u"中文", 0, 936), "\xd6\xd0\xce\xc4");
  EXPECT_EQ(frxAnsiToWide("中文"), u"中文");  // the program's own 8-bit text
  EXPECT_EQ(frxWideToAnsi(u"中文"), "中文");
  EXPECT_EQ(frxAnsiToWide(""), u"");
}

TEST(frxWideStrings, FormResourceProperties) {
  TfrxWideStrings l;
  l.SetTextStr(u"客户\r\n\U0001F600 x");
  TMemoryStream m;
  {
    TWriter w(&m);
    l.DefineProperties(&w);  // writes "UTF8"
    TfrxWideStrings empty;
    empty.DefineProperties(&w);  // an empty list writes nothing
    w.WriteStr("Strings");
    w.WriteListBegin();
    w.WriteString("旧");
    w.WriteListEnd();
  }
  m.SetPosition(0);
  TReader r(&m);
  TfrxWideStrings a, b;
  a.Add(u"old");
  r.ReadProperty(&a);
  EXPECT_EQ(Lines(a), Lines(l));
  r.ReadProperty(&b);
  EXPECT_EQ(Lines(b), (std::vector<WideString>{u"旧"}));
}
