#include "gtest.h"
#include "FormFile.h"
#include "Streaming.h"
#include "Streams.h"
#include "TestComponents.h"
#include <memory>

namespace {

// Form1
//   Panel1 (with a child panel Inner1 and a reference to Panel2)
//   Panel2
void BuildTree(TTestForm& form) {
  form.SetName("Form1");
  auto* p1 = new TTestPanel(&form);
  p1->SetName("Panel1");
  auto* p2 = new TTestPanel(&form);
  p2->SetName("Panel2");
  auto* inner = new TTestPanel(&form);
  inner->SetName("Inner1");
  inner->SetParentComponent(p1);
  inner->SetCaption("it's\r\nline 2");

  p1->SetCaption("订单管理 \"A\"");
  p1->SetShape(shCircle);
  p1->SetOptions({toBold, toUnderline});
  p1->SetRatio(0.1);
  p1->SetPrice(Currency::FromRaw(123456));
  p1->SetBig(Int64(1) << 40);
  p1->SetEnabled(false);
  p1->SetTag(-5);
  p1->Font()->SetName("Arial");
  p1->Font()->SetSize(12);
  p1->Font()->SetStyle({toItalic});
  p1->Lines()->Add("第一行");
  p1->Lines()->Add("");
  p1->Lines()->Add("three");
  auto* item = static_cast<TTestItem*>(p1->Items()->Add());
  item->SetCaption("名称");
  item->SetWidth(100);
  static_cast<TTestItem*>(p1->Items()->Add())->SetVisible(false);
  p1->SetBuddy(p2);
  p1->SetSecret(String("\x01\x02 binary-ish"));
  SetMethodProp(p1, "OnClick", TMethod{{}, &form, "PanelClick"});
  p2->SetRatio(-2.5e-300);
  p2->SetValue(VarArrayOf({Variant(7), Variant("七"), Variant::Null()}));
  inner->SetValue(Variant(1.5));
}

String ToBinary(TComponent* c) {
  TMemoryStream s;
  WriteComponentToStream(&s, c);
  String r(size_t(s.Size()), '\0');
  s.SetPosition(0);
  s.ReadBuffer(r.data(), LongInt(r.size()));
  return r;
}

void FromBinary(const String& bytes, TComponent* into) {
  TStringStream s(bytes);
  ReadComponentFromStream(&s, into);
}

void CheckTree(TTestForm& form) {
  ASSERT_EQ(form.ComponentCount(), 3);
  auto* p1 = dynamic_cast<TTestPanel*>(form.FindComponent("Panel1"));
  auto* p2 = dynamic_cast<TTestPanel*>(form.FindComponent("Panel2"));
  auto* inner = dynamic_cast<TTestPanel*>(form.FindComponent("Inner1"));
  ASSERT_TRUE(p1 && p2 && inner);
  EXPECT_EQ(form.Name(), "Form1");
  EXPECT_EQ(p1->Caption(), "订单管理 \"A\"");
  EXPECT_EQ(p1->Shape(), shCircle);
  EXPECT_EQ(p1->Options(), (TTestOptions{toBold, toUnderline}));
  EXPECT_DOUBLE_EQ(p1->Ratio(), 0.1);
  EXPECT_EQ(p1->Price().Raw(), 123456);
  EXPECT_EQ(p1->Big(), Int64(1) << 40);
  EXPECT_FALSE(p1->Enabled());
  EXPECT_EQ(p1->Tag(), -5);
  EXPECT_EQ(p1->Font()->Name(), "Arial");
  EXPECT_EQ(p1->Font()->Size(), 12);
  EXPECT_EQ(p1->Font()->Style(), (TTestOptions{toItalic}));
  EXPECT_EQ(p1->Lines()->Text(), "第一行\r\n\r\nthree\r\n");
  ASSERT_EQ(p1->Items()->Count(), 2);
  EXPECT_EQ(p1->Items()->Items(0)->Caption(), "名称");
  EXPECT_EQ(p1->Items()->Items(0)->Width(), 100);
  EXPECT_TRUE(p1->Items()->Items(0)->Visible());
  EXPECT_FALSE(p1->Items()->Items(1)->Visible());
  EXPECT_EQ(p1->Secret(), String("\x01\x02 binary-ish"));
  EXPECT_EQ(p1->Buddy(), p2);
  EXPECT_TRUE(p1->BuddyWhenLoaded);   // references are resolved before Loaded
  EXPECT_EQ(p1->LoadedCalls, 1);
  EXPECT_FALSE(p1->ComponentState().Contains(csLoading));
  EXPECT_EQ(inner->GetParentComponent(), p1);
  EXPECT_EQ(inner->Caption(), "it's\r\nline 2");
  EXPECT_DOUBLE_EQ(p2->Ratio(), -2.5e-300);
  ASSERT_TRUE(p2->Value().IsArray());
  EXPECT_EQ(p2->Value().GetElement(0).AsInteger(), 7);
  EXPECT_EQ(p2->Value().GetElement(1).AsString(), "七");
  EXPECT_TRUE(p2->Value().GetElement(2).IsNull());
  EXPECT_DOUBLE_EQ(inner->Value().AsDouble(), 1.5);
  EXPECT_TRUE(p1->Value().IsEmpty());
  ASSERT_TRUE(p1->OnClick);
  p1->OnClick(p1);
  EXPECT_EQ(form.Clicks, 1);   // bound to the new form's handler
}

TEST(Streaming, BinaryRoundTripIsIdentical) {
  TTestForm original;
  BuildTree(original);
  String bytes = ToBinary(&original);
  ASSERT_EQ(bytes.substr(0, 4), "TPF0");

  TTestForm copy;
  FromBinary(bytes, &copy);
  CheckTree(copy);
  EXPECT_EQ(ToBinary(&copy), bytes);
}

TEST(Streaming, TextRoundTripIsIdentical) {
  TTestForm original;
  BuildTree(original);
  String text = ComponentToText(&original);
  EXPECT_NE(text.find("object Form1: TTestForm"), String::npos) << text;
  EXPECT_NE(text.find("Caption = '订单管理 \"A\"'"), String::npos) << text;
  EXPECT_NE(text.find("Options = [toBold, toUnderline]"), String::npos) << text;
  EXPECT_NE(text.find("Font.Style = [toItalic]"), String::npos) << text;
  EXPECT_NE(text.find("Caption = 'it''s'#13#10'line 2'"), String::npos) << text;
  EXPECT_NE(text.find("OnClick = PanelClick"), String::npos) << text;
  EXPECT_NE(text.find("Buddy = Panel2"), String::npos) << text;
  EXPECT_NE(text.find("Price = 12.3456c"), String::npos) << text;
  EXPECT_NE(text.find("    object Inner1: TTestPanel"), String::npos) << text;   // nested in Panel1

  TTestForm copy;
  ReadComponentFromText(text, &copy);
  CheckTree(copy);
  EXPECT_EQ(ComponentToText(&copy), text);
  // text -> binary -> text is the identity too
  EXPECT_EQ(ObjectBinaryToText(ObjectTextToBinary(text)), text);
  EXPECT_EQ(ObjectTextToBinary(text), ToBinary(&copy));
}

TEST(Streaming, HandWrittenFormFile) {
  const char* text = R"(
object Form1: TTestForm
  Tag = $10
  Pending = 3
  object Panel1: TTestPanel
    Caption = '第' + '一' +
      #20010'面板'
    Ratio = 1.5e2
    Price = -0.5c
    Lines.Strings = (
      'a'
      'b')
    Items = <
      item
        Caption = 'x'
      end
      item [3]
        Width = -7
      end>
    SecretData = 'kept'
    Buddy = Form1.Panel1
    OnClick = panelclick
  end
end
)";
  TTestForm form;
  ReadComponentFromText(text, &form);
  auto* p = static_cast<TTestPanel*>(form.FindComponent("Panel1"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(form.Tag(), 16);
  EXPECT_EQ(p->Caption(), "第一个面板");
  EXPECT_DOUBLE_EQ(p->Ratio(), 150);
  EXPECT_EQ(p->Price().Raw(), -5000);
  EXPECT_EQ(p->Lines()->CommaText(), "a,b");
  ASSERT_EQ(p->Items()->Count(), 2);
  EXPECT_EQ(p->Items()->Items(1)->Width(), -7);
  EXPECT_EQ(p->Secret(), "kept");
  EXPECT_EQ(p->Buddy(), p);
  ASSERT_TRUE(p->OnClick);
  p->OnClick(p);
  EXPECT_EQ(form.Clicks, 4);   // Pending set 3, then one click
}

TEST(Streaming, ReadingIntoNothingCreatesTheRootByClass) {
  TTestForm original;
  BuildTree(original);
  std::unique_ptr<TComponent> made(ReadComponentFromText(ComponentToText(&original), nullptr));
  ASSERT_NE(dynamic_cast<TTestForm*>(made.get()), nullptr);
  CheckTree(*static_cast<TTestForm*>(made.get()));
}

template <class E>
String ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return String("wrong class: ") + e.what();
  }
  return "no error";
}

TEST(Streaming, ErrorsNameWhatIsWrong) {
  struct Case { const char* text; const char* error; };
  const Case cases[] = {
      {"object F: TTestForm\n object P: TNoSuchPanel\n end\nend", "Class TNoSuchPanel not found"},
      {"object F: TTestForm\n object P: TTestPanel\n  Colour = 5\n end\nend",
       "Error reading P.Colour: Property Colour does not exist"},
      {"object F: TTestForm\n object P: TTestPanel\n  Font.Colour = 5\n end\nend",
       "Error reading P.Font.Colour: Property Colour does not exist"},
      {"object F: TTestForm\n object P: TTestPanel\n  Nope.Size = 5\n end\nend",
       "Error reading P.Nope.Size: Property Nope does not exist"},
      {"object F: TTestForm\n object P: TTestPanel\n  Shape = shHexagon\n end\nend", "Invalid property value"},
      {"object F: TTestForm\n object P: TTestPanel\n  Caption = 5\n end\nend", "Invalid property value"},
      {"object F: TTestForm\n object P: TTestPanel\n  Tag = 99999999999\n end\nend", "Invalid property value"},
      {"object F: TTestForm\n object P: TTestPanel\n  OnClick = NoHandler\n end\nend",
       "Error reading P.OnClick: Method 'NoHandler' not found"},
      {"object F: TTestForm\n object P: TTestPanel\n end\n object P: TTestPanel\n end\nend",
       "A component named P already exists"},
      {"object F: TTestForm\n inherited Missing: TTestPanel\n end\nend", "Ancestor for 'Missing' not found"},
  };
  for (const Case& c : cases) {
    TTestForm form;
    String err = ErrorOf<Exception>([&] { ReadComponentFromText(c.text, &form); });
    EXPECT_EQ(err, c.error) << c.text;
    EXPECT_FALSE(form.ComponentState().Contains(csLoading));
  }
  TTestForm form;
  EXPECT_THROW(ReadComponentFromText("object F: TTestForm\n object P: TNoSuchPanel\n end\nend", &form),
               EClassNotFound);
  EXPECT_THROW(ReadComponentFromText("object F: TTestForm\n object P: TTestPanel\n  Colour = 5\n end\nend", &form),
               EReadError);
}

TEST(Streaming, TextSyntaxErrorsGiveTheLine) {
  struct Case { const char* text; const char* error; };
  const Case cases[] = {
      {"object F: TTestForm\n  Caption = 'open\nend", "Unterminated string on line 2"},
      {"object F: TTestForm\n  Caption 'x'\nend", "'=' expected on line 2"},
      {"object F: TTestForm\n  Tag = \nend", "'end' expected on line 3"},   // 'end' was taken as the value
      {"object F: TTestForm\n  Data = {0A0}\nend", "Invalid binary value on line 2"},
      {"object F: TTestForm\n  Data = {0G}\nend", "Invalid binary value on line 2"},
      {"object F: TTestForm\n  Options = [a b]\nend", "',' expected on line 2"},
      {"object F: TTestForm\n  Caption = #99999999\nend", "Invalid string constant on line 2"},
      {"object F: TTestForm\n  Caption = 'x'\n", "'end' expected on line 3"},
      {"thing F: TTestForm\nend", "'object' expected on line 1"},
      {"object F: TTestForm\nend\nextra", "End of file expected on line 3"},
  };
  for (const Case& c : cases) {
    String err = ErrorOf<EParserError>([&] { ObjectTextToBinary(c.text); });
    EXPECT_EQ(err, c.error) << c.text;
  }
}

TEST(Streaming, CorruptStreamsNeverCrash) {
  TTestForm original;
  BuildTree(original);
  String bytes = ToBinary(&original);
  // Every truncation fails with a stream error, and so does every single
  // flipped byte that makes the stream invalid.
  for (size_t n = 0; n < bytes.size(); ++n) {
    TTestForm form;
    EXPECT_THROW(FromBinary(bytes.substr(0, n), &form), EStreamError) << n;
    EXPECT_THROW(ObjectBinaryToText(bytes.substr(0, n)), EStreamError) << n;
  }
  for (size_t i = 4; i < bytes.size(); ++i) {
    String bad = bytes;
    bad[i] = char(0xFF - (unsigned char)bad[i]);
    TTestForm form;
    try {
      FromBinary(bad, &form);
    } catch (const Exception&) {
    }
    try {
      ObjectBinaryToText(bad);
    } catch (const Exception&) {
    }
  }
  // a huge length is refused before anything is allocated for it
  String huge = String("TPF0") + '\x07' + "TTestForm" + '\x01' + "F" + '\x07' + "Caption" + '\x0C' +
                String("\xFF\xFF\xFF\x7F", 4);
  TTestForm form;
  EXPECT_THROW(FromBinary(huge, &form), EReadError);
  // deep nesting is refused instead of exhausting the stack
  String deep = "TPF0";
  deep += String("\x07" "TTestForm" "\x01" "F" "\x03" "Tag", 1 + 9 + 2 + 4);
  deep += String(100000, '\x01');
  EXPECT_THROW(ObjectBinaryToText(deep), EReadError);
  String deepText = "object F: TTestForm\n  Tag = " + String(100000, '(') + "\nend";
  EXPECT_THROW(ObjectTextToBinary(deepText), EParserError);
}

TEST(Streaming, ASecondInstanceOfARootGetsAUniqueName) {
  TComponent app;
  auto* f1 = new TTestForm(&app);
  auto* f2 = new TTestForm(&app);
  auto* f3 = new TTestForm(&app);
  const char* text = "object SaleForm: TTestForm\nend";
  ReadComponentFromText(text, f1);
  ReadComponentFromText(text, f2);
  ReadComponentFromText(text, f3);
  EXPECT_EQ(f1->Name(), "SaleForm");
  EXPECT_EQ(f2->Name(), "SaleForm_1");
  EXPECT_EQ(f3->Name(), "SaleForm_2");
}

TEST(Streaming, UnresolvedReferenceStaysNil) {
  TTestForm form;
  ReadComponentFromText("object F: TTestForm\n object P: TTestPanel\n  Buddy = Gone\n end\nend", &form);
  auto* p = static_cast<TTestPanel*>(form.FindComponent("P"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->Buddy(), nullptr);
}

TEST(Streaming, ReferencesToAnotherRootResolveThroughTheGlobalLookup) {
  TTestForm data;
  data.SetName("DataMod");
  auto* shared = new TTestPanel(&data);
  shared->SetName("Shared");
  RegisterGlobalRoot(&data);
  TTestForm form;
  ReadComponentFromText("object F: TTestForm\n object P: TTestPanel\n  Buddy = DataMod.Shared\n end\nend", &form);
  auto* p = static_cast<TTestPanel*>(form.FindComponent("P"));
  EXPECT_EQ(p->Buddy(), shared);
  EXPECT_NE(ComponentToText(&form).find("Buddy = DataMod.Shared"), String::npos);
  UnregisterGlobalRoot(&data);
}

}  // namespace

TEST(Streaming, PlaceOfAComponentWithoutBoundsIsKept) {
  // Components that are no controls keep where the designer put them as
  // "Left" and "Top" (negative places included), and write them back.
  const char* text =
      "object Form1: TTestForm\n"
      "  object Panel1: TTestPanel\n"
      "    Left = -24\n"
      "    Top = 300\n"
      "  end\n"
      "  object Panel2: TTestPanel\n"
      "  end\n"
      "end\n";
  TTestForm form;
  ReadComponentFromText(text, &form);
  auto* p1 = form.FindComponent("Panel1");
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(p1->DesignInfo(), Integer((300u << 16) | uint16_t(-24)));
  EXPECT_EQ(form.FindComponent("Panel2")->DesignInfo(), 0);
  String written = ComponentToText(&form);
  EXPECT_NE(written.find("    Left = -24\r\n    Top = 300\r\n  end"), String::npos) << written;
  EXPECT_EQ(written.find("Left", written.find("Panel2")), String::npos) << written;
}

TEST(Streaming, NumbersAtTheEdgesOfTheirRanges) {
  auto panel = [](const String& props) {
    return "object F: TTestForm\n object P: TTestPanel\n" + props + "\n end\nend";
  };
  // Currency: read exactly, refused beyond its range.
  struct Money {
    const char* text;
    Int64 raw;
  } money[] = {
      {"922337203685477.5807c", INT64_MAX},
      {"-922337203685477.5808c", INT64_MIN},
      {"0.00005c", 0},   // half to even
      {"0.00015c", 2},
      {"1.5e3c", 15000000},
  };
  for (const Money& m : money) {
    TTestForm form;
    ReadComponentFromText(panel(String("  Price = ") + m.text), &form);
    auto* p = static_cast<TTestPanel*>(form.FindComponent("P"));
    EXPECT_EQ(p->Price().Raw(), m.raw) << m.text;
    // and written back as exactly that amount
    TTestForm back;
    ReadComponentFromText(ComponentToText(&form), &back);
    EXPECT_EQ(static_cast<TTestPanel*>(back.FindComponent("P"))->Price().Raw(), m.raw) << ComponentToText(&form);
  }
  for (const char* bad : {"1e300c", "922337203685477.5808c", "-922337203685477.5809c"}) {
    String err = ErrorOf<EParserError>([&] { ObjectTextToBinary(panel(String("  Price = ") + bad)); });
    EXPECT_EQ(err, String("Currency value out of range: ") + bad + " on line 3") << bad;
  }
  // A float property given a number a double cannot hold as currency.
  TTestForm refused;
  EXPECT_EQ(ErrorOf<EReadError>([&] { ReadComponentFromText(panel("  Price = 1e300"), &refused); }),
            "Invalid property value");

  // Doubles beyond their range are infinite (as infinity is written), tiny
  // ones zero.
  struct Real {
    const char* text;
    double value;
  } reals[] = {{"1E5000", HUGE_VAL}, {"-1e400", -HUGE_VAL}, {"1e-400", 0.0}, {"1.5e308", 1.5e308}};
  for (const Real& r : reals) {
    TTestForm form;
    ReadComponentFromText(panel(String("  Ratio = ") + r.text), &form);
    EXPECT_EQ(static_cast<TTestPanel*>(form.FindComponent("P"))->Ratio(), r.value) << r.text;
  }
  TTestForm infinite;
  ReadComponentFromText(panel("  Ratio = -1E5000"), &infinite);
  TTestForm again;
  ReadComponentFromText(ComponentToText(&infinite), &again);
  EXPECT_EQ(static_cast<TTestPanel*>(again.FindComponent("P"))->Ratio(), -HUGE_VAL);

  // The extremes of Int64 are written as text that reads back.
  for (Int64 big : {INT64_MIN, INT64_MAX, Int64(-1)}) {
    TTestForm form;
    auto* p = new TTestPanel(&form);
    p->SetName("P");
    p->SetBig(big);
    TTestForm back;
    ReadComponentFromText(ComponentToText(&form), &back);
    EXPECT_EQ(static_cast<TTestPanel*>(back.FindComponent("P"))->Big(), big);
  }
  EXPECT_EQ(ErrorOf<EParserError>([&] { ObjectTextToBinary(panel("  Big = -9223372036854775809")); }),
            "Invalid integer -9223372036854775809 on line 3");

  // A collection index or child position the binary form cannot hold.
  EXPECT_EQ(ErrorOf<EParserError>([&] {
              ObjectTextToBinary(panel("  Items = <\n  item [5000000000]\n  end>"));
            }),
            "Invalid integer 5000000000 on line 4");
  EXPECT_EQ(ErrorOf<EParserError>([&] {
              ObjectTextToBinary("object F: TTestForm\n object P: TTestPanel [-4294967297]\n end\nend");
            }),
            "Invalid integer -4294967297 on line 2");
  TTestForm indexed;
  ReadComponentFromText(panel("  Items = <\n  item [2147483647]\n  end>"), &indexed);
  EXPECT_EQ(static_cast<TTestPanel*>(indexed.FindComponent("P"))->Items()->Count(), 1);
}

TEST(Streaming, StringsKeepTheirBytes) {
  // A value that is not UTF-8 (code page bytes, say) comes back byte for byte.
  TTestForm form;
  auto* p = new TTestPanel(&form);
  p->SetName("P");
  const String bytes = "\xE4\xB8 a'\xFF\r\xC3";
  p->SetCaption(bytes);
  String text = ComponentToText(&form);
  TTestForm back;
  ReadComponentFromText(text, &back);
  EXPECT_EQ(static_cast<TTestPanel*>(back.FindComponent("P"))->Caption(), bytes) << text;
  EXPECT_EQ(ComponentToText(&back), text);
}

TEST(Streaming, AComponentIsNotReadInsideItsOwnChildren) {
  const char* text =
      "object F: TTestForm\n"
      " object A: TTestPanel\n"
      "  object B: TTestPanel\n"
      "   inherited A: TTestPanel\n"
      "   end\n"
      "  end\n"
      " end\n"
      "end";
  TTestForm form;
  EXPECT_EQ(ErrorOf<EReadError>([&] { ReadComponentFromText(text, &form); }),
            "Invalid parent: 'A' is read inside its own children");
  // Read again at its own place, an inherited component is fine.
  TTestForm ok;
  ReadComponentFromText("object F: TTestForm\n object A: TTestPanel\n end\n inherited A: TTestPanel\n"
                        "  Caption = 'x'\n end\nend",
                        &ok);
  EXPECT_EQ(static_cast<TTestPanel*>(ok.FindComponent("A"))->Caption(), "x");
}

TEST(Streaming, MessagesQuoteStreamBytesAsText) {
  // Names read from a binary stream that are no UTF-8 are quoted escaped.
  auto stream = [](const String& childClass, const String& prop) {
    String b = "TPF0";
    b += "\x09TTestForm\x01" "F" + String(1, '\0');
    b += char(childClass.size()) + childClass + "\x01P";
    b += char(prop.size()) + prop + "\x02\x05" + String(3, '\0');
    return b;
  };
  struct Case {
    String bytes;
    const char* error;
  } cases[] = {
      {stream("T\xFF\xFEst", "Tag"), "Class T\\xFF\\xFEst not found"},
      {stream("TTestPanel", "\xE4x"), "Error reading P.\\xE4x: Property \\xE4x does not exist"},
  };
  for (const Case& c : cases) {
    TTestForm form;
    EXPECT_EQ(ErrorOf<Exception>([&] { FromBinary(c.bytes, &form); }), c.error);
  }
}

