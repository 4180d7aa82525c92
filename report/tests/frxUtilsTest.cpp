#include "frxUtils.h"

#include <memory>

#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "ReportTestObjects.h"
#include "frxXMLSerializer.h"
#include "gtest.h"

TEST(frxUtils, Crc32OfStreamsKeepsThePosition) {
  struct Case {
    String data;
    Cardinal crc;
  } cases[] = {
      {"", 0},
      {"abc", 0x352441C2},
      {"123456789", 0xCBF43926},
      {String(10000, 'x'), 0},   // filled below from a second pass
  };
  for (auto& c : cases) {
    TStringStream s(c.data);
    s.SetPosition(Int64(c.data.size() / 2));
    Cardinal crc = frxStreamChecksum32(&s);
    if (c.data.size() < 100) EXPECT_EQ(crc, c.crc) << c.data;
    EXPECT_EQ(s.Position(), Int64(c.data.size() / 2));
  }
  TStringStream a(String(10000, 'x')), b(String(9999, 'x') + "y");
  EXPECT_NE(frxStreamChecksum32(&a), frxStreamChecksum32(&b));
}

TEST(frxUtils, HexTextOfStreams) {
  TStringStream s(String("\x00\x7F\xAB\xFF", 4));
  s.SetPosition(3);
  EXPECT_EQ(frxStreamToHex(&s), "007FABFF");
  TMemoryStream m;
  frxHexToStream("4a6B7", &m);   // either case; the odd digit is ignored
  EXPECT_EQ(m.Size(), 2);
  m.SetPosition(0);
  char buf[2];
  m.ReadBuffer(buf, 2);
  EXPECT_EQ(String(buf, 2), "Jk");
  EXPECT_THROW(frxHexToStream("4G", &m), EConvertError);
}

TEST(frxUtils, PageNumbers) {
  struct Case {
    String text;
    Integer last;
    std::vector<Integer> pages;
  } cases[] = {
      {"1,3,5-7", 0, {1, 3, 5, 6, 7}},
      {"9-", 11, {9, 10, 11}},
      {"2, 4 - 5", 0, {2, 4, 5}},
      {"5-3,8", 0, {8}},
      {"", 5, {}},
      {"  ", 5, {}},
      {"4", 0, {4}},
  };
  for (auto& c : cases) {
    std::vector<Integer> list{99};
    frxParsePageNumbers(c.text, list, c.last);
    EXPECT_EQ(list, c.pages) << c.text;
  }
  std::vector<Integer> list;
  EXPECT_THROW(frxParsePageNumbers("1,x", list, 3), EConvertError);
  // A range that would fill memory is refused instead of allocated.
  EXPECT_THROW(frxParsePageNumbers("1-2000000000", list, 3), EConvertError);
}

TEST(frxUtils, NumbersWithoutLocale) {
  EXPECT_EQ(frxFloatToText(3), "3");
  EXPECT_EQ(frxFloatToText(2.5), "2.50");
  EXPECT_EQ(frxFloatToText(-0.125), "-0.13");
  EXPECT_DOUBLE_EQ(frxParseFloat("1 234,5"), 1234.5);
  EXPECT_DOUBLE_EQ(frxParseFloat("12.25"), 12.25);
  EXPECT_THROW(frxParseFloat("abc"), EConvertError);
  TFormatSettings saved = FormatSettings();
  FormatSettings().DecimalSeparator = ',';
  EXPECT_DOUBLE_EQ(frxParseFloat("1.5"), 1.5);
  FormatSettings() = saved;
}

TEST(frxUtils, SplitString) {
  TStringList list;
  frxSplitString("a;;b;", &list, ';');
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
  frxSplitString("", &list, ';');
  EXPECT_EQ(list.Count(), 0);
}

TEST(frxUtils, BracketedExpressions) {
  struct Case {
    String text;
    Integer start;
    String result;
    Integer newStart, end;
  } cases[] = {
      {"[a[b]c]", 1, "a[b]c", 1, 7},
      {"x [a] y", 3, "a", 3, 5},
      {"x [a] y", 1, "", 1, 1},                      // no bracket at the start position
      {"[a ']' b]", 1, "a ']' b", 1, 9},             // brackets inside quotes do not count
      {"[\"]\" [x]]", 1, "\"]\" [x]", 1, 9},
      {"[客户]", 1, "客户", 1, 8},                   // whole characters
      {"<%a%>", 1, "a", 1, 5},
  };
  for (auto& c : cases) {
    Integer start = c.start, end = 0;
    String open = c.text[0] == '<' ? "<%" : "[", close = c.text[0] == '<' ? "%>" : "]";
    EXPECT_EQ(frxExtractBracketed(c.text, open, close, start, end), c.result) << c.text;
    EXPECT_EQ(start, c.newStart) << c.text;
    EXPECT_EQ(end, c.end) << c.text;
  }
  Integer start = 1, end = 0;
  EXPECT_EQ(frxExtractBracketedWide(u"[客户[x]]", u"[", u"]", start, end), u"客户[x]");
  EXPECT_EQ(end, 7);
}

TEST(frxUtils, RectAreas) {
  TfrxRectArea a(0, 0, 10, 10), b(9.99995, 5, 20, 20), c(5, 9, 15, 30);
  EXPECT_FALSE(a.OverlapsHorizontally(&b));   // touching within 1e-4 is no overlap
  EXPECT_TRUE(a.OverlapsHorizontally(&c));
  EXPECT_TRUE(a.OverlapsVertically(&c));
  EXPECT_EQ(a.HorizontalOverlap(&b), nullptr);
  std::unique_ptr<TfrxRectArea> o(a.HorizontalOverlap(&c));
  ASSERT_TRUE(o);
  EXPECT_EQ(o->Left, 5);
  EXPECT_EQ(o->Right, 10);
  EXPECT_EQ(o->Top, 0);

  TfrxReport report;
  auto* box = new TfrxTestBox(&report);
  box->SetBounds(10, 20, 0, 0);
  auto* v = new TfrxTestView(box);
  v->SetBounds(1, 2, 3, 4);
  std::unique_ptr<TfrxRectArea> r(TfrxRectArea::CreateFromComponent(v));
  EXPECT_EQ(r->Left, 11);
  EXPECT_EQ(r->Bottom, 26);
}

TEST(frxUtils, ComponentLookupAndReferenceNames) {
  TComponent form;
  form.SetName("frxTestForm1");
  auto* ds = new TComponent(&form);
  ds->SetName("Query1");
  auto* report = new TfrxReport(&form);
  report->SetName("Report1");
  auto* view = new TfrxTestView(report);
  view->SetName("Memo1");
  RegisterGlobalRoot(&form);

  EXPECT_EQ(frxLookupComponent(report, "Memo1"), view);
  EXPECT_EQ(frxLookupComponent(report, "Query1"), ds);   // the report's form
  EXPECT_EQ(frxLookupComponent(report, "frxTestForm1.Query1"), ds);
  EXPECT_EQ(frxLookupComponent(report, "frxTestForm1.Nothing"), nullptr);
  EXPECT_EQ(frxLookupComponent(report, "NoForm.Query1"), nullptr);

  EXPECT_EQ(frxComponentReferenceText(report, view), "Memo1");
  EXPECT_EQ(frxComponentReferenceText(report, ds), "Query1");
  EXPECT_EQ(frxComponentReferenceText(report, nullptr), "");
  TComponent other;
  other.SetName("Other");
  auto* foreign = new TComponent(&other);
  foreign->SetName("X");
  EXPECT_EQ(frxComponentReferenceText(report, foreign), "");   // neither a form nor a data module
  UnregisterGlobalRoot(&form);
}

TEST(frxUtils, CollectionsInTheClassLibrarysOwnFormat) {
  // Outside the XML serializer a collection is written as the class library
  // writes it, and read back the same way.
  TfrxVariables vars;
  vars.SetVariables("A", Variant("x"));
  TMemoryStream m;
  TWriter w(&m);
  frxStoreCollection(&vars, &w, nullptr);
  m.SetPosition(0);
  TReader r(&m);
  TfrxVariables back;
  frxLoadCollection(&back, &r, nullptr);
  ASSERT_EQ(back.Count(), 1);
  EXPECT_EQ(back.Items(0)->Name(), "A");
  EXPECT_EQ(frxDecodeHighChars(frxEncodeHighChars("\xB1\xA8x\x01")), "\xB1\xA8x\x01");
  EXPECT_EQ(frxDecodeHighChars("a\x01"), "a\x01");
  EXPECT_EQ(frxEncodeHighChars("\xB1"), "\x01\x31");
}

TEST(frxUtils, TempFilesAndProgramFolder) {
  String folder = frxProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  EXPECT_EQ(frxProgramFileName().substr(0, folder.size()), folder);
  String name = frxNewTempFile("");
  EXPECT_FALSE(name.empty());
  TFileStream f(name, fmOpenRead);
  EXPECT_EQ(f.Size(), 0);
}
