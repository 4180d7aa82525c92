// The script engine's XML model: reading, writing, attributes, lookup.
#include "Streams.h"
#include "fs_xml.h"
#include "gtest.h"

namespace {

void Load(TfsXMLDocument& doc, const String& text) {
  TStringStream s(text);
  doc.LoadFromStream(&s);
}

String Save(TfsXMLDocument& doc) {
  TStringStream s;
  doc.SaveToStream(&s);
  return s.DataString();
}

}  // namespace

TEST(ScriptXml, ReadsElementsAndDropsCharacterData) {
  TfsXMLDocument doc;
  Load(doc, "<?xml version=\"1.0\"?>\r\n<a>text<b x=\"1\"/> more <c></c></a>trailing");
  TfsXMLItem* a = doc.Root();
  EXPECT_EQ(a->Name, "a");
  ASSERT_EQ(a->Count(), 2);
  EXPECT_EQ(a->Items(0)->Name, "b");
  EXPECT_EQ(a->Items(0)->Prop("x"), "1");
  EXPECT_EQ(a->Items(1)->Name, "c");
  EXPECT_EQ(a->Items(1)->Count(), 0);
}

TEST(ScriptXml, EndTagsAndFormatErrors) {
  TfsXMLDocument doc;
  Load(doc, "<?xml version=\"1.0\"?><a><b></B></A>");
  EXPECT_EQ(doc.Root()->Items(0)->Name, "b");

  // A stream that ends inside open elements closes them without complaint.
  Load(doc, "<?xml version=\"1.0\"?><a><b>");
  ASSERT_EQ(doc.Root()->Count(), 1);
  EXPECT_EQ(doc.Root()->Items(0)->Name, "b");

  const char* bad[] = {
      "<?xml version=\"1.0\"?><a><b></c></a>",   // mismatched end tag
      "<a></a>",                                 // no header
      "<?xml version=\"1.0\"?><a <b>",           // < inside a tag
      "<?xml version=\"1.0\"?><a x=\"1\"",       // end of stream inside a tag
  };
  for (const char* text : bad) {
    try {
      Load(doc, text);
      ADD_FAILURE() << text;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Invalid file format") << text;
    }
  }
}

TEST(ScriptXml, CommentEndsOnlyAtTwoHyphens) {
  TfsXMLDocument doc;
  Load(doc, "<?xml version=\"1.0\"?><a><!-- x <b/> --->still comment <c/> --><d/></a>");
  ASSERT_EQ(doc.Root()->Count(), 1);
  EXPECT_EQ(doc.Root()->Items(0)->Name, "d");
}

TEST(ScriptXml, WritesTagsAndIndentation) {
  TfsXMLDocument doc;
  doc.Root()->Name = "a";
  doc.Root()->SetProp("k", "v");
  doc.Root()->Add()->Name = "b";
  EXPECT_EQ(Save(doc), "<?xml version=\"1.0\"?><a k=\"v\"><b/></a>");
  doc.IndentOutput = true;
  EXPECT_EQ(Save(doc), "<?xml version=\"1.0\"?>\r\n<a k=\"v\">\r\n  <b/>\r\n</a>\r\n");

  // Round trip through the reader.
  TfsXMLDocument back;
  Load(back, Save(doc));
  EXPECT_EQ(back.Root()->Prop("K"), "v");
  EXPECT_EQ(back.Root()->Items(0)->Name, "b");
}

TEST(ScriptXml, AttributesEscapeAndLookUpByWholeName) {
  TfsXMLItem item;
  item.SetProp("text", "a<b\"c\r\n&d");
  EXPECT_EQ(item.Text, "text=\"a&#60;b&#34;c&#13;&#10;&d\"");
  EXPECT_EQ(item.Prop("text"), "a<b\"c\r\n&d");
  item.SetProp("pos", "1:5");
  item.SetProp("text", "x");
  EXPECT_EQ(item.Text, "text=\"x\" pos=\"1:5\"");
  EXPECT_EQ(item.Prop("POS"), "1:5");
  EXPECT_EQ(item.Prop("os"), "");
  EXPECT_EQ(item.Prop("missing"), "");

  EXPECT_EQ(UnescapeXMLText("a&quot;b"), "a\"b");
  EXPECT_EQ(EscapeXMLText("a&quot;b"), "a&#34;b");
  EXPECT_EQ(UnescapeXMLText("&#65;&amp;&#20013;"), "A&amp;\xE4\xB8\xAD");
  EXPECT_EQ(UnescapeXMLText("&#65"), "&#65");   // no semicolon: kept
  EXPECT_THROW(UnescapeXMLText("&#6x;"), EConvertError);
}

TEST(ScriptXml, TreeOperations) {
  TfsXMLItem root;
  root.Name = "root";
  TfsXMLItem* types = root.FindItem("types");
  EXPECT_EQ(root.Count(), 1);
  EXPECT_EQ(root.FindItem("TYPES"), types);
  EXPECT_EQ(root.Find("Types"), 0);
  EXPECT_EQ(root.Find("none"), -1);

  TfsXMLItem* a = root.Add();
  a->Name = "a";
  a->Data = 7;
  a->Add()->Name = "a1";
  TfsXMLItem* b = root.Add();
  b->Name = "b";
  b->AddItem(a->Items(0));   // moves from a to b
  EXPECT_EQ(a->Count(), 0);
  EXPECT_EQ(b->Items(0)->Parent(), b);
  EXPECT_EQ(b->Items(0)->Root(), &root);
  root.InsertItem(0, b);
  EXPECT_EQ(root.Items(0), b);

  TfsXMLItem copy;
  copy.CopyTree(&root);
  EXPECT_EQ(copy.Count(), 3);
  EXPECT_EQ(copy.Items(2)->Data, 7);
  EXPECT_EQ(copy.Items(0)->Items(0)->Name, "a1");
  EXPECT_THROW(copy.Items(3), EListError);

  delete b;   // leaves its parent
  EXPECT_EQ(root.Count(), 2);
  copy.CopyTree(nullptr);
  EXPECT_EQ(copy.Count(), 0);
}

TEST(ScriptXml, RefusesRunawayNesting) {
  String text = "<?xml version=\"1.0\"?>";
  for (int i = 0; i < 5000; ++i) text += "<a>";
  TfsXMLDocument doc;
  EXPECT_THROW(Load(doc, text), Exception);
}
