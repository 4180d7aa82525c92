#include "frxXMLSerializer.h"

#include <cfloat>

#include <memory>

#include "Graphics.h"
#include "ReportTestObjects.h"
#include "Streams.h"
#include "Strings.h"
#include "frxClass.h"
#include "frxUnicodeUtils.h"
#include "frxXML.h"
#include "gtest.h"

namespace {

String SaveReport(TfrxComponent* c) {
  TStringStream s;
  c->SaveToStream(&s);
  return s.DataString();
}

void LoadReport(TfrxComponent* c, const String& xml) {
  // A report shows its load errors; the tests read them from its list.
  if (c->Is<TfrxReport>()) static_cast<TfrxReport*>(c)->EngineOptions()->NewSilentMode = simSilent;
  TStringStream s(xml);
  c->LoadFromStream(&s);
}

const String kDecl = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";

// A report with nesting, fonts, a string list, a collection kept as
// defined property, a variant, an enumeration and references in both
// directions.
struct RichReport : ::testing::Test {
  std::unique_ptr<TfrxReport> report = std::make_unique<TfrxReport>();
  void SetUp() override {
    report->SetName("Report1");
    // Every loaded report has its data page, first among the pages.
    (new TfrxDataPage(report.get()))->SetName("Data");
    auto* page = new TfrxTestBox(report.get());
    page->SetName("Page1");
    page->SetBounds(0, 0, 793.7, 1122.52);
    page->Font()->SetName("宋体");
    auto* band = new TfrxTestBox(page);
    band->SetName("Band1");
    band->SetBounds(0, 18.9, 718.11, 22.68);
    auto* memo = new TfrxTestView(band);
    memo->SetName("Memo1");
    memo->SetBounds(3.78, 0, 94.49, 18.9);
    memo->Caption = "客户名称 \"A&B\" <x>";
    memo->Kind = tkThird;
    memo->Flag = false;
    memo->Count = -5;
    memo->Data = Variant("值");
    memo->Lines()->SetText("第一行\r\nline 2\r\n");
    memo->Frame()->SetTyp({ftLeft, ftTop});
    memo->Frame()->LeftLine()->SetColor(clBlue);
    memo->SetRestrictions({rfDontMove, rfDontEdit});
    TfrxVariable* v = memo->Vars()->Add();
    v->SetName("Total");
    v->SetValue(Variant("[Sum]"));
    auto* other = new TfrxTestView(band);
    other->SetName("Memo2");
    TFont f;
    f.Assign(other->Font());
    f.SetStyle({fsItalic});
    f.SetColor(clGreen);
    other->SetFont(&f);
    other->SetLink(memo);   // a reference backwards
    memo->SetLink(other);   // and one forwards
  }
};

}  // namespace

TEST_F(RichReport, TreeIsWrittenAndReadBackToTheSameBytes) {
  report->EngineOptions()->NewSilentMode = simSilent;   // as the copy's
  String first = SaveReport(report.get());
  TfrxReport copy;
  LoadReport(&copy, first);
  EXPECT_EQ(copy.Errors()->Count(), 0) << copy.Errors()->Text();
  String second = SaveReport(&copy);
  EXPECT_EQ(first, second);

  auto* memo = static_cast<TfrxTestView*>(copy.FindObject("Memo1"));
  auto* other = static_cast<TfrxTestView*>(copy.FindObject("Memo2"));
  ASSERT_TRUE(memo && other);
  EXPECT_EQ(memo->Parent()->Name(), "Band1");
  EXPECT_EQ(memo->Caption, "客户名称 \"A&B\" <x>");
  EXPECT_EQ(memo->Kind, tkThird);
  EXPECT_FALSE(memo->Flag);
  EXPECT_EQ(memo->Count, -5);
  EXPECT_EQ(VarToStr(memo->Data), "值");
  EXPECT_EQ(memo->Lines()->Text(), "第一行\r\nline 2\r\n");
  EXPECT_EQ(memo->Restrictions(), (TfrxRestrictions{rfDontMove, rfDontEdit}));
  EXPECT_EQ(memo->Frame()->LeftLine()->Color(), clBlue);
  ASSERT_EQ(memo->Vars()->Count(), 1);
  EXPECT_EQ(VarToStr(memo->Vars()->Variables("total")), "[Sum]");
  EXPECT_EQ(memo->Link(), other);
  EXPECT_EQ(other->Link(), memo);
  EXPECT_TRUE(memo->ParentFont());
  EXPECT_EQ(memo->Font()->Name(), "宋体");   // from the page
  EXPECT_FALSE(other->ParentFont());
  EXPECT_EQ(other->Font()->Style(), TFontStyles{fsItalic});
  EXPECT_EQ(other->Font()->Color(), clGreen);
  EXPECT_DOUBLE_EQ(memo->Width(), 94.49);
}

TEST_F(RichReport, WrittenFormKeepsDefaultsOutAndTextsInCodePage936) {
  String xml = SaveReport(report.get());
  // The report element carries the report's own settings, its children follow.
  EXPECT_EQ(xml.substr(0, kDecl.size() + 12), kDecl + "<TfrxReport ");
  EXPECT_NE(xml.find(">\r\n  <TfrxTestBox"), String::npos);
  // Only the page has a font of its own among the boxes; defaults such as
  // Visible, ParentFont and Count=0 are not written.
  EXPECT_NE(xml.find("  <TfrxTestBox Name=\"Page1\" Left=\"0\" Top=\"0\" Width=\"793.7\" Height=\"1122.52\" "
                     "Font.Charset=\"1\" Font.Color=\"0\" Font.Height=\"-13\" Font.Name=\"\xCB\xCE\xCC\xE5\" "
                     "Font.Style=\"0\" ParentFont=\"False\">"),
            String::npos)
      << xml;
  EXPECT_EQ(xml.find("Visible="), String::npos);
  EXPECT_NE(xml.find("Caption=\"\xBF\xCD\xBB\xA7\xC3\xFB\xB3\xC6 &#34;A&#38;B&#34; &#60;x&#62;\""), String::npos);
  EXPECT_NE(xml.find("Restrictions=\"20\""), String::npos);
  EXPECT_NE(xml.find("Kind=\"tkThird\" Data=\"\xD6\xB5\" Link=\"Memo2\" Lines.Text=\"\xB5\xDA\xD2\xBB\xD0\xD0&#13;&#10;line 2\""),
            String::npos);
  EXPECT_NE(xml.find(" PropData=\""), String::npos);
  EXPECT_NE(xml.find("<TfrxTestView Name=\"Memo2\""), String::npos);
}

TEST_F(RichReport, WriteDefaultsWritesEveryStoredValue) {
  auto* memo = static_cast<TfrxTestView*>(report->FindObject("Memo1"));
  TfrxXMLSerializer xs(nullptr);
  xs.SetRootComponent(report.get());
  xs.WriteDefaults = true;
  String text = xs.ComponentToText(memo);
  EXPECT_NE(text.find(" Flag=\"False\""), String::npos);
  EXPECT_NE(text.find(" Visible=\"True\""), String::npos);
  EXPECT_NE(text.find(" ParentFont=\"True\""), String::npos);
  EXPECT_EQ(text.find("Font.Name"), String::npos);   // stored only without ParentFont
}

TEST(frxXMLSerializer, OneLineFormsOfObjects) {
  TfrxReport report;
  auto* view = new TfrxTestView(&report);
  view->SetName("V");
  TfrxXMLSerializer xs(nullptr);
  xs.SetRootComponent(&report);
  // Floats are written even when they hold their default.
  EXPECT_EQ(xs.ComponentToText(view), "TfrxTestView Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\"");

  TfrxComponent* made = xs.CreateComponentFromText(&report, "TfrxTestView l=\"1,5\" t=\"2.5\" Name=\"W\" Link=\"V\"", false);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Parent(), &report);
  EXPECT_DOUBLE_EQ(made->Left(), 1.5);
  EXPECT_DOUBLE_EQ(made->Top(), 2.5);
  EXPECT_EQ(made->Name(), "W");
  EXPECT_EQ(static_cast<TfrxTestView*>(made)->Link(), view);
  EXPECT_FALSE(made->IsLoading());

  TfrxComponent* unlinked = xs.CreateComponentFromText(&report, "TfrxTestView Link=\"V\"", true);
  EXPECT_EQ(static_cast<TfrxTestView*>(unlinked)->Link(), nullptr);

  EXPECT_EQ(xs.CreateComponentFromText(&report, "   ", false), nullptr);
  EXPECT_THROW(xs.CreateComponentFromText(&report, "TNoSuchClass Left=\"1\"", false), EClassNotFound);

  TStringStream out;
  TfrxXMLSerializer writer(&out);
  writer.WriteComponent(view);
  EXPECT_EQ(out.DataString(), "<TfrxTestView Left=\"0\" Top=\"0\" Width=\"0\" Height=\"0\"/>");
}

TEST(frxXMLSerializer, FloatsReadBackExactly) {
  TfrxReport report;
  auto* view = new TfrxTestView(&report);
  view->SetName("V");
  view->SetLeft(DBL_MAX);
  view->SetTop(1.0 / 3);
  TfrxXMLSerializer xs(nullptr);
  xs.SetRootComponent(&report);
  TfrxComponent* made = xs.CreateComponentFromText(&report, xs.ComponentToText(view), false);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Left(), DBL_MAX) << xs.ComponentToText(view);
  EXPECT_EQ(made->Top(), 1.0 / 3);
  EXPECT_EQ(xs.LoadErrors()->Count(), 0) << xs.LoadErrors()->Text();
}

TEST(frxXMLSerializer, AttributesReachNestedObjectsAndIgnoreUnknownNames) {
  TfrxTestView view;
  TfrxXMLSerializer xs(nullptr);
  xs.AttributesToObject(
      " Font.Style=\"3\" Font.Name=\"\xBA\xDA\xCC\xE5\" Nothing.Name=\"x\" Frame.Nothing.Width=\"9\" "
      "ReadOnly=\"1\" Flag=\"0\" Kind=\"1\" Width=\"12,75\" Frame.Width=\"2.5\"",
      &view);
  EXPECT_EQ(xs.LoadErrors()->Count(), 0) << xs.LoadErrors()->Text();
  EXPECT_EQ(view.Font()->Style(), (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(view.Font()->Name(), "黑体");
  EXPECT_FALSE(view.Flag);
  EXPECT_EQ(view.Kind, tkSecond);
  EXPECT_DOUBLE_EQ(view.Width(), 12.75);
  EXPECT_DOUBLE_EQ(view.Frame()->Width(), 2.5);
  EXPECT_DOUBLE_EQ(view.Frame()->RightLine()->Width(), 2.5);
}

TEST(frxXMLSerializer, BadValuesAreRecordedOnceAndLeaveThePropertyAlone) {
  TfrxTestView view;
  view.Kind = tkSecond;
  view.Count = 4;
  TfrxXMLSerializer xs(nullptr);
  xs.AttributesToObject(" Kind=\"tkFourth\" Count=\"x1\" Caption=\"ok\" Count=\"x1\" Kind=\"9\"", &view);
  EXPECT_EQ(view.Kind, tkSecond);
  EXPECT_EQ(view.Count, 4);
  EXPECT_EQ(view.Caption, "ok");
  EXPECT_EQ(xs.LoadErrors()->Count(), 3) << xs.LoadErrors()->Text();
  EXPECT_GE(xs.LoadErrors()->IndexOf("Invalid value tkFourth of property TfrxTestView.Kind"), 0);
}

TEST(frxXMLSerializer, UnknownClassesAreReportedByNameAndSkippedWithTheirSubtree) {
  TfrxReport report;
  LoadReport(&report, kDecl +
                          "<TfrxReport>"
                          "<TfrxWhatever Name=\"A\"><TfrxTestView Name=\"Inside\"/></TfrxWhatever>"
                          "<TfrxTestView Name=\"Kept\" Left=\"5\"/>"
                          "<TfrxWhatever Name=\"B\"/>"
                          "<inherited Name=\"NotThere\"/>"
                          "</TfrxReport>");
  EXPECT_EQ(report.Errors()->Text(), "不明的类别 TfrxWhatever\r\n");
  EXPECT_EQ(report.FindObject("Inside"), nullptr);
  ASSERT_NE(report.FindObject("Kept"), nullptr);
  EXPECT_EQ(report.FindObject("Kept")->Left(), 5);
  // "Kept" and the data page every loaded report gets.
  EXPECT_EQ(report.Objects()->Count(), 2);
}

// A text object holding a band (or anything) is refused with its subtree:
// it could be prepared but not kept in prepared pages.
TEST(frxXMLSerializer, TextObjectsHoldNoObjects) {
  TfrxReport report;
  LoadReport(&report, kDecl +
                          "<TfrxReport><TfrxReportPage Name=\"Page1\">"
                          "<TfrxMasterData Name=\"Data1\" Height=\"20\" RowCount=\"1\">"
                          "<TfrxMemoView Name=\"Memo1\" Width=\"50\" Height=\"10\">"
                          "<TfrxMasterData Name=\"Inner\" Height=\"20\"><TfrxMemoView Name=\"Deep\"/></TfrxMasterData>"
                          "</TfrxMemoView>"
                          "<TfrxMemoView Name=\"Memo2\"/>"
                          "</TfrxMasterData></TfrxReportPage></TfrxReport>");
  EXPECT_EQ(report.Errors()->Text(), "Memo1 中不能放入 TfrxMasterData Inner\r\n");
  ASSERT_NE(report.FindObject("Memo1"), nullptr);
  EXPECT_EQ(report.FindObject("Memo1")->Objects()->Count(), 0);
  EXPECT_EQ(report.FindObject("Inner"), nullptr);
  EXPECT_EQ(report.FindObject("Deep"), nullptr);
  EXPECT_NE(report.FindObject("Memo2"), nullptr);
}

TEST(frxXMLSerializer, MalformedDocumentsRaise) {
  TfrxTestBox box;
  EXPECT_THROW(LoadReport(&box, "<TfrxReport>"), TfrxInvalidXMLException);
  // A report keeps the error in its list instead.
  TfrxReport report;
  LoadReport(&report, "<TfrxReport>");
  EXPECT_EQ(report.Errors()->Count(), 1);
}

TEST(frxXMLSerializer, ReferencesToMissingObjectsStayNil) {
  TfrxReport report;
  LoadReport(&report, kDecl +
                          "<TfrxReport>"
                          "<TfrxTestView Name=\"A\" Link=\"Gone\"/>"
                          "<TfrxTestView Name=\"B\" Link=\"nil\"/>"
                          "<TfrxTestView Name=\"C\" Link=\"a\"/>"
                          "</TfrxReport>");
  EXPECT_EQ(static_cast<TfrxTestView*>(report.FindObject("A"))->Link(), nullptr);
  EXPECT_EQ(static_cast<TfrxTestView*>(report.FindObject("B"))->Link(), nullptr);
  EXPECT_EQ(static_cast<TfrxTestView*>(report.FindObject("C"))->Link(), report.FindObject("A"));
  EXPECT_EQ(report.Errors()->Count(), 0);
}

TEST(frxXMLSerializer, AnAncestorLeavesEqualValuesOut) {
  TfrxTestView obj, anc;
  anc.Caption = "base";
  anc.Count = 3;
  anc.SetLeft(10);
  anc.Lines()->SetText("x\r\n");
  obj.Count = 3;
  obj.SetLeft(10.0000001);
  obj.Lines()->SetText("x\r\n");
  obj.Flag = true;
  anc.Flag = false;
  TfrxXMLSerializer xs(nullptr);
  // Caption empty next to "base" writes nothing: reading it back keeps
  // whatever the object had before.
  EXPECT_EQ(xs.ObjectToAttributes(&obj, "", &anc), " Flag=\"True\"");
}

TEST(frxXMLSerializer, StringListLosesOnlyItsFinalLineBreak) {
  TfrxTestView obj;
  obj.Lines()->SetText("a\r\nb\r\n");
  TfrxXMLSerializer xs(nullptr);
  String text = xs.ObjectToAttributes(&obj);
  EXPECT_NE(text.find(" Lines.Text=\"a&#13;&#10;b\""), String::npos) << text;
  TfrxTestView back;
  xs.AttributesToObject(text, &back);
  EXPECT_EQ(back.Lines()->Count(), 2);
}

TEST(frxXMLSerializer, UtfEightDocumentsAreReadWithoutConversion) {
  TfrxTestView view;
  TfrxXMLSerializer xs(nullptr);
  xs.LegacyStrings = false;
  xs.AttributesToObject(" Caption=\"客户\"", &view);
  EXPECT_EQ(view.Caption, "客户");
}

TEST(frxXMLSerializer, BrokenPropDataIsIgnored) {
  TfrxTestView view;
  TfrxXMLSerializer xs(nullptr);
  xs.AttributesToObject(" PropData=\"04566172730E01\" Caption=\"after\"", &view);
  EXPECT_EQ(view.Caption, "after");
  EXPECT_EQ(xs.LoadErrors()->Count(), 0);
  xs.AttributesToObject(" PropData=\"zz\"", &view);
  EXPECT_EQ(xs.LoadErrors()->Count(), 0);
}

namespace {

// The serializer recognises memo views by their class chain; this test class
// answers to TfrxCustomMemoView without being one.
TClass FakeMemoClass() {
  static TClassInfo info{"TfrxCustomMemoView", TfrxReportComponent::StaticClass(), nullptr};
  return &info;
}

class TfrxTestTextView : public TfrxReportComponent {
  TOVANI_CLASS(TfrxTestTextView, TfrxReportComponent)
 public:
  explicit TfrxTestTextView(TComponent* AOwner = nullptr) : TfrxReportComponent(AOwner) {}
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}
  TfrxWideStrings* Memo() const { return FMemo.get(); }
  void SetMemo(TfrxWideStrings* v) { FMemo->Assign(v); }
  bool AutoWidth = false;

 private:
  std::unique_ptr<TfrxWideStrings> FMemo = std::make_unique<TfrxWideStrings>();
};

}  // namespace

TClass TfrxTestTextView::StaticClass() {
  static TClassInfo info{"TfrxTestTextView", FakeMemoClass(), []() -> TObject* { return new TfrxTestTextView(); }};
  return &info;
}

TOVANI_PUBLISHED(TfrxTestTextView) {
  Property("AutoWidth", &TfrxTestTextView::AutoWidth).Default(false);
  Property("Memo", &TfrxTestTextView::Memo, &TfrxTestTextView::SetMemo);
}

TEST(frxXMLSerializer, MemoTextsAreUtf8WithoutTheirFinalLineBreak) {
  TfrxTestTextView memo;
  TfrxXMLSerializer xs(nullptr);
  EXPECT_EQ(xs.ObjectToAttributes(&memo), " Text=\"\"");   // an empty text is still written
  memo.Memo()->SetText(u"客户\r\n\"名称\"\r\n");
  EXPECT_EQ(xs.ObjectToAttributes(&memo), " Text=\"客户&#13;&#10;&#34;名称&#34;\"");

  TfrxTestTextView back;
  xs.AttributesToObject(" Text=\"客户&#13;&#10;&#34;名称&#34;\"", &back);
  EXPECT_EQ(back.Memo()->Text(), u"客户\r\n\"名称\"\r\n");
  xs.AttributesToObject(" u=\"一\"", &back);
  EXPECT_EQ(back.Memo()->Text(), u"一\r\n");
  xs.AttributesToObject(" x=\"\xB6\xFE\"", &back);   // 8-bit text in code page 936
  EXPECT_EQ(back.Memo()->Text(), u"二\r\n");

  // Equal to the ancestor's text: left out.
  TfrxTestTextView anc;
  anc.Memo()->SetText(u"二\r\n");
  EXPECT_EQ(xs.ObjectToAttributes(&back, "", &anc), "");
}

TEST(frxXMLSerializer, AutoWidthMemosGiveNoWidthDifference) {
  TfrxTestTextView memo, tmpl;
  memo.SetWidth(50);
  EXPECT_EQ(memo.BaseDifferenceText(&tmpl), " w=\"50\"");
  memo.AutoWidth = true;
  EXPECT_EQ(memo.BaseDifferenceText(&tmpl), "");
}
