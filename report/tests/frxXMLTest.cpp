#include "frxXML.h"

#include <cfloat>

#include <windows.h>
#undef GetProp
#undef SetProp

#include <memory>

#include "SysUtils.h"
#include "Currency.h"
#include "DateUtils.h"
#include "Streams.h"
#include "Variant.h"
#include "gtest.h"

namespace {

String Save(TfrxXMLDocument& doc) {
  TStringStream s;
  doc.SaveToStream(&s);
  return s.DataString();
}

void Load(TfrxXMLDocument& doc, const String& text) {
  TStringStream s(text);
  doc.LoadFromStream(&s);
}

const String kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

}  // namespace

TEST(frxXMLEscape, EscapesTheSixBytesAndNothingElse) {
  struct Case {
    String in, out;
  } cases[] = {
      {"a&b", "a&#38;b"},
      {"say \"hi\"", "say &#34;hi&#34;"},
      {"<tag>", "&#60;tag&#62;"},
      {"l1\r\nl2", "l1&#13;&#10;l2"},
      {"&quot;", "&#34;"},
      {"x&quot;y&amp;", "x&#34;y&#38;amp;"},
      {"\t'", "\t'"},
      {"\xB0\xA1 中文", "\xB0\xA1 中文"},
      // Long texts go the same way as short ones.
      {String(40, 'x') + "&" + String(40, 'y'), String(40, 'x') + "&#38;" + String(40, 'y')},
  };
  for (const auto& c : cases) EXPECT_EQ(frxEscapeXMLText(c.in), c.out) << c.in;
  EXPECT_EQ(frxUnescapeXMLText(frxEscapeXMLText("&quot;")), "\"");
}

TEST(frxXMLEscape, Unescapes) {
  struct Case {
    String in, out;
  } cases[] = {
      {"&#65;", "A"},      {"&amp;", "&"},       {"&lt;&gt;", "<>"},   {"&quot;", "\""},
      {"&foo;", "&foo;"},  {"&#300;", ","},      {"a&", "a&"},         {"&amp;lt;", "&lt;"},
      {"&apos;", "&apos;"}, {"&AMP;", "&AMP;"},  {"&#", "&#"},
      // A reference without its ";" stays text.
      {"&#65 rest", "&#65 rest"}, {"中&#38;文", "中&文"},
  };
  for (const auto& c : cases) EXPECT_EQ(frxUnescapeXMLText(c.in), c.out) << c.in;
  EXPECT_THROW(frxUnescapeXMLText("&#6x;"), EConvertError);
}

TEST(frxXMLEscape, VariantsAsAttributeText) {
  struct Case {
    Variant v;
    String text;
  } cases[] = {
      {Variant(int16_t(-5)), "-5"},
      {Variant(Integer(123456)), "123456"},
      {Variant(Int64(1) << 40), "1099511627776"},
      {Variant(2.5), "2.5"},
      {Variant(true), "1"},
      {Variant(false), "0"},
      {Variant(String("a\"<b>&")), "a&#34;&#60;b&#62;&#38;"},
      {Variant(std::u16string(u"中")), "中"},
      {Variant(), ""},
      {Variant::Null(), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(frxVariantToXMLText(c.v), c.text) << c.text;
  EXPECT_EQ(frxVariantToXMLText(VarFromDateTime(EncodeDate(2024, 3, 5) + 0.5)), "2024-03-05");
}

TEST(frxXMLEscape, DoublesReadBackExactly) {
  // The short form where it is exact, 17 digits where it is not.
  struct Case {
    double v;
    const char* text;
  } cases[] = {
      {2.5, "2.5"},
      {0.1, "0.1"},
      {-1e-5, "-0.00001"},
      {1.0 / 3, nullptr},
      {DBL_MAX, nullptr},
      {-DBL_MAX, nullptr},
      {DBL_MIN, nullptr},
      {5e-324, nullptr},
      {0.1 + 0.2, nullptr},
  };
  for (const auto& c : cases) {
    String text = frxFloatToXMLText(c.v);
    if (c.text) EXPECT_EQ(text, c.text);
    Extended back = 0;
    EXPECT_TRUE(TryStrToFloat(text, back)) << text;
    EXPECT_EQ(back, c.v) << text;
    EXPECT_EQ(frxVariantToXMLText(Variant(c.v)), text);
  }
}

TEST(frxXMLItem, PropsKeepOrderAndFindNamesCaseInsensitively) {
  TfrxXMLItem item;
  item.SetProp("Name", "Memo1");
  EXPECT_EQ(item.AttrText(), "Name=\"Memo1\"");
  item.SetProp("Left", "1.5");
  EXPECT_EQ(item.AttrText(), "Name=\"Memo1\" Left=\"1.5\"");
  item.SetProp("Name", "a<b");
  EXPECT_EQ(item.AttrText(), "Name=\"a&#60;b\" Left=\"1.5\"");
  EXPECT_EQ(item.GetProp("name"), "a<b");
  EXPECT_EQ(item.GetProp("LEFT"), "1.5");
  EXPECT_EQ(item.GetProp("Top"), "");
  // "ame" is not "Name": only whole names after a blank match.
  EXPECT_EQ(item.GetProp("ame"), "");
}

TEST(frxXMLItem, TreeOperations) {
  TfrxXMLItem root;
  TfrxXMLItem* a = root.Add();
  a->SetName("Band");
  TfrxXMLItem* b = root.FindItem("memo");
  EXPECT_EQ(root.Count(), 2);
  EXPECT_EQ(b->Name(), "memo");
  EXPECT_EQ(root.FindItem("BAND"), a);
  EXPECT_EQ(root.Find("band"), 0);
  EXPECT_EQ(root.Find("none"), -1);

  TfrxXMLItem other;
  other.AddItem(b);  // moves it
  EXPECT_EQ(root.Count(), 1);
  EXPECT_EQ(b->Parent(), &other);
  root.InsertItem(0, b);
  EXPECT_EQ(root.IndexOf(b), 0);
  EXPECT_EQ(other.Count(), 0);
  delete a;  // leaves the parent's list
  EXPECT_EQ(root.Count(), 1);
  EXPECT_THROW(root.Items(5), EListError);
}

TEST(frxXMLDocument, WritesIndentedAndPlainBytes) {
  TfrxXMLDocument doc;
  doc.Root()->SetName("R");
  TfrxXMLItem* c = doc.Root()->Add();
  c->SetName("C");
  c->SetProp("a", "1");
  c->Add()->SetName("G");
  doc.SetIndented(true);
  EXPECT_EQ(Save(doc), kDecl + "\r\n<R>\r\n  <C a=\"1\">\r\n    <G/>\r\n  </C>\r\n</R>\r\n");
  doc.SetIndented(false);
  EXPECT_EQ(Save(doc), kDecl + "<R><C a=\"1\"><G/></C></R>");
}

TEST(frxXMLDocument, LargeDocumentRoundTrips) {
  TfrxXMLDocument doc;
  doc.Root()->SetName("TfrxReport");
  for (int i = 0; i < 2000; ++i) {
    TfrxXMLItem* m = doc.Root()->Add();
    m->SetName("TfrxMemoView");
    m->SetProp("Name", "Memo" + std::to_string(i));
    m->SetProp("Text", "客户 \"" + std::to_string(i) + "\"\r\n&");
  }
  String text = Save(doc);
  EXPECT_GT(text.size(), 8192u);
  TfrxXMLDocument back;
  Load(back, text);
  ASSERT_EQ(back.Root()->Count(), 2000);
  EXPECT_EQ(back.Root()->Items(1234)->GetProp("Text"), "客户 \"1234\"\r\n&");
  EXPECT_TRUE(back.LegacyVersion());
  EXPECT_EQ(Save(back), text);
}

TEST(frxXMLDocument, ReadsTheDialect) {
  TfrxXMLDocument doc;
  Load(doc,
       "<!-- c -- > still comment --><?xml version=\"1.0\"?>\r\n<Root a=\"1\">text\r\n"
       "<E/><F b=\"2\"/><G c=\"3\" /><H></h><!-- <x> --></ROOT>trailing <junk");
  TfrxXMLItem* r = doc.Root();
  EXPECT_EQ(r->Name(), "Root");
  EXPECT_EQ(r->AttrText(), "a=\"1\"");
  ASSERT_EQ(r->Count(), 4);
  EXPECT_EQ(r->Items(0)->Name(), "E");
  EXPECT_EQ(r->Items(1)->AttrText(), "b=\"2\"");
  EXPECT_EQ(r->Items(2)->AttrText(), "c=\"3\" ");  // the blank before "/" stays
  EXPECT_EQ(r->Items(3)->Name(), "H");
}

TEST(frxXMLDocument, LoadsTruncatedAndEmptyDocuments) {
  TfrxXMLDocument doc;
  Load(doc, kDecl + "<R><A><B x=\"1\"/>");
  ASSERT_EQ(doc.Root()->Count(), 1);
  EXPECT_EQ(doc.Root()->Items(0)->Items(0)->GetProp("x"), "1");
}

TEST(frxXMLDocument, RefusesBrokenDocuments) {
  const String bad[] = {
      "<R/>",                          // no declaration
      kDecl + "<R><A></B></R>",       // mismatched end tag
      kDecl + "<R <A/></R>",          // "<" inside a tag
      kDecl + "<R><A b=\"1\"",        // ends inside a tag
      kDecl + String(5000, '<'),
      kDecl,                           // no root element
      kDecl + "</R>",                  // a closing tag for a root
      kDecl + "<!-- only a comment -->",
  };
  for (const auto& text : bad) {
    TfrxXMLDocument doc;
    try {
      Load(doc, text);
      ADD_FAILURE() << "accepted: " << text.substr(0, 60);
    } catch (const TfrxInvalidXMLException& e) {
      EXPECT_STREQ(e.what(), "Invalid file format");
    }
  }
  // Deep nesting is refused instead of exhausting the stack.
  String deep = kDecl;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  TfrxXMLDocument doc;
  EXPECT_THROW(Load(doc, deep), TfrxInvalidXMLException);
}

TEST(frxXMLDocument, LeavesTheStreamAfterTheRoot) {
  String text = kDecl + "<R><A/></R>";
  TStringStream s(text + String(10000, ' ') + "rest");
  TfrxXMLDocument doc;
  doc.LoadFromStream(&s);
  EXPECT_EQ(s.Position(), Int64(text.size()));
}

TEST(frxXMLDocument, SwapsPagesOutAndIn) {
  TfrxXMLDocument doc;
  doc.Root()->SetName("preparedreport");
  TfrxXMLItem* pages = doc.Root()->Add();
  pages->SetName("previewpages");
  std::vector<TfrxXMLItem*> page;
  for (int i = 0; i < 3; ++i) {
    TfrxXMLItem* p = pages->Add();
    p->SetName("page" + std::to_string(i));
    p->SetSwappable(true);
    if (i == 1) p->SetProp("a", "1");
    TfrxXMLItem* m = p->Add();
    m->SetName("TfrxMemoView");
    m->SetProp("Text", "page " + std::to_string(i));
    page.push_back(p);
  }
  const String full = Save(doc);
  EXPECT_NE(full.find("<page0 ld=\"0\"><TfrxMemoView Text=\"page 0\"/></page0>"), String::npos);
  EXPECT_NE(full.find("<page1 a=\"1\" ld=\"0\">"), String::npos);

  doc.UnloadItem(page[0]);
  doc.UnloadItem(page[1]);
  EXPECT_FALSE(page[0]->Loaded());
  EXPECT_EQ(page[0]->Count(), 0);
  EXPECT_EQ(page[1]->AttrText(), "a=\"1\"");
  EXPECT_FALSE(doc.TempFileName().empty());
  // Saving writes the swapped-out pages whole and leaves them swapped out.
  EXPECT_EQ(Save(doc), full);
  EXPECT_FALSE(page[0]->Loaded());

  doc.LoadItem(page[1]);
  EXPECT_TRUE(page[1]->Loaded());
  ASSERT_EQ(page[1]->Count(), 1);
  EXPECT_EQ(page[1]->Items(0)->GetProp("Text"), "page 1");
  EXPECT_EQ(page[1]->AttrText(), "a=\"1\"");

  String temp = doc.TempFileName();
  doc.Clear();
  EXPECT_EQ(GetFileAttributesA(temp.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(frxXMLDocument, PartialLoadLeavesPagesInTheSource) {
  TfrxXMLDocument doc;
  doc.Root()->SetName("preparedreport");
  for (int i = 0; i < 2; ++i) {
    TfrxXMLItem* p = doc.Root()->Add();
    p->SetName("page");
    p->SetSwappable(true);
    if (i == 1) p->SetProp("n", "2");
    p->Add()->SetName("obj" + std::to_string(i));
  }
  const String text = Save(doc);

  TfrxXMLDocument partial;
  partial.LoadFromStream(new TStringStream(text), true);  // the document owns it
  TfrxXMLItem* p0 = partial.Root()->Items(0);
  TfrxXMLItem* p1 = partial.Root()->Items(1);
  EXPECT_FALSE(p0->Loaded());
  EXPECT_TRUE(p0->Swappable());
  EXPECT_EQ(p0->AttrText(), "");
  EXPECT_EQ(p1->AttrText(), "n=\"2\"");
  EXPECT_EQ(p1->Count(), 0);
  // A page swapped out to the temp file and a page still in the source stay
  // readable side by side.
  partial.LoadItem(p0);
  ASSERT_EQ(p0->Count(), 1);
  partial.UnloadItem(p0);
  partial.LoadItem(p1);
  ASSERT_EQ(p1->Count(), 1);
  EXPECT_EQ(p1->Items(0)->Name(), "obj1");
  EXPECT_EQ(Save(partial), text);

  TfrxXMLDocument whole;
  Load(whole, text);
  EXPECT_TRUE(whole.Root()->Items(0)->Loaded());
  EXPECT_EQ(whole.Root()->Items(0)->Count(), 1);
  EXPECT_EQ(whole.Root()->Items(1)->AttrText(), "n=\"2\"");
}
