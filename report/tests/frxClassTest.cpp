#include "frxClass.h"

#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "ReportTestObjects.h"
#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "frxXML.h"
#include "gtest.h"

namespace {

String Names(TList* list) {
  String s;
  for (void* p : *list) s += (s.empty() ? "" : ",") + static_cast<TfrxComponent*>(p)->Name();
  return s;
}

// report
//   Page (box)
//     Band (box)
//       Memo1, Memo2
//     Memo3
struct TreeFixture : ::testing::Test {
  std::unique_ptr<TfrxReport> report = std::make_unique<TfrxReport>();
  TfrxTestBox* page = new TfrxTestBox(report.get());
  TfrxTestBox* band = new TfrxTestBox(page);
  TfrxTestView* memo1 = new TfrxTestView(band);
  TfrxTestView* memo2 = new TfrxTestView(band);
  TfrxTestView* memo3 = new TfrxTestView(page);
  void SetUp() override {
    page->SetName("Page");
    band->SetName("Band");
    memo1->SetName("Memo1");
    memo2->SetName("Memo2");
    memo3->SetName("Memo3");
  }
};

}  // namespace

TEST_F(TreeFixture, ObjectsAreOwnedByTheReportAndListedDepthFirst) {
  EXPECT_EQ(memo1->Owner(), report.get());
  EXPECT_EQ(memo1->Parent(), band);
  EXPECT_EQ(memo1->GetReport(), report.get());
  EXPECT_EQ(Names(band->Objects()), "Memo1,Memo2");
  EXPECT_EQ(Names(report->AllObjects()), "Page,Band,Memo1,Memo2,Memo3");
  EXPECT_EQ(report->FindObject("mEmO2"), memo2);
  EXPECT_EQ(report->FindObject("Nothing"), nullptr);

  memo3->SetParent(band);
  EXPECT_EQ(Names(page->Objects()), "Band");
  EXPECT_EQ(Names(band->Objects()), "Memo1,Memo2,Memo3");

  delete band;   // takes its children with it
  EXPECT_EQ(Names(report->AllObjects()), "Page");
  EXPECT_EQ(report->ComponentCount(), 1);
}

TEST_F(TreeFixture, RenamingFollowsTheReportRules) {
  memo1->SetName("MEMO1");   // only the letter case differs: ignored
  EXPECT_EQ(memo1->Name(), "Memo1");
  try {
    memo1->SetName("memo2");
    FAIL() << "a duplicate name was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "prDupl");   // the string table has no text for it
  }
  EXPECT_EQ(memo1->Name(), "Memo1");

  memo2->SetAncestorFlag(true);
  try {
    memo2->SetName("Other");
    FAIL() << "an inherited object was renamed";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Could not rename Memo2, it was introduced in the ancestor report");
  }
}

TEST_F(TreeFixture, UniqueNamesFillTheFirstGap) {
  auto* a = new TfrxTestMemoView(band);
  a->SetName("TestMemo1");
  auto* b = new TfrxTestMemoView(band);
  b->SetName("TestMemo3");
  auto* c = new TfrxTestMemoView(band);
  c->AssignUniqueName();
  EXPECT_EQ(c->Name(), "TestMemo2");
  auto* d = new TfrxTestMemoView(band);
  d->AssignUniqueName();
  EXPECT_EQ(d->Name(), "TestMemo4");
  EXPECT_EQ(memo1->BaseName(), "Test");
}

TEST_F(TreeFixture, BoundsRestrictionsOnlyHoldInTheDesigner) {
  memo1->SetRestrictions({rfDontMove, rfDontSize});
  memo1->SetLeft(10);   // a report run takes every value
  memo1->SetWidth(50);
  EXPECT_EQ(memo1->Left(), 10);
  EXPECT_EQ(memo1->Width(), 50);
  memo1->SetIsDesigning(true);
  memo1->SetBounds(20, 30, 60, 70);
  EXPECT_EQ(memo1->Left(), 10);
  EXPECT_EQ(memo1->Top(), 0);
  EXPECT_EQ(memo1->Width(), 50);
  EXPECT_EQ(memo1->Height(), 0);
}

TEST_F(TreeFixture, AbsolutePositionsAddTheParents) {
  page->SetBounds(5, 7, 100, 100);
  band->SetBounds(1, 20, 100, 30);
  memo1->SetBounds(3, 4, 10, 10);
  EXPECT_DOUBLE_EQ(memo1->AbsLeft(), 9);
  EXPECT_DOUBLE_EQ(memo1->AbsTop(), 31);
  TfrxFloatRect r = memo1->GetAbsBounds();
  EXPECT_DOUBLE_EQ(r.Right, 19);
  EXPECT_DOUBLE_EQ(r.Bottom, 41);

  memo1->BeforePrint();
  memo1->SetBounds(0, 0, 1, 1);
  memo1->AfterPrint();
  EXPECT_DOUBLE_EQ(memo1->Width(), 10);
  EXPECT_DOUBLE_EQ(memo1->Top(), 4);
}

TEST_F(TreeFixture, ChildrenFollowTheirParentsFont) {
  EXPECT_EQ(memo1->Font()->Name(), "Arial");
  EXPECT_EQ(memo1->Font()->Size(), 10);
  EXPECT_EQ(memo1->Font()->Height(), -13);

  band->Font()->SetName("Tahoma");   // a change of the font itself turns ParentFont off
  EXPECT_FALSE(band->ParentFont());
  EXPECT_EQ(memo1->Font()->Name(), "Tahoma");
  EXPECT_TRUE(memo1->ParentFont());

  TFont bold;
  bold.Assign(memo2->Font());
  bold.SetStyle({fsBold});
  memo2->SetFont(&bold);
  EXPECT_FALSE(memo2->ParentFont());
  band->Font()->SetSize(14);
  EXPECT_EQ(memo1->Font()->Size(), 14);
  EXPECT_EQ(memo2->Font()->Size(), 10);   // has a font of its own

  memo2->SetParentFont(true);
  EXPECT_EQ(memo2->Font()->Size(), 14);
  EXPECT_FALSE(memo2->Font()->Style().Contains(fsBold));
}

TEST_F(TreeFixture, ClearKeepsInheritedChildrenButEmptiesThem) {
  band->SetAncestor(true);
  page->Clear();
  EXPECT_EQ(Names(report->AllObjects()), "Page,Band");
  page->Clear();
  band->SetAncestor(false);
  page->Clear();
  EXPECT_EQ(Names(report->AllObjects()), "Page");
}

TEST_F(TreeFixture, DifferenceTextListsWhatDiffersFromTheTemplate) {
  auto* tmpl = new TfrxTestView(page);
  tmpl->SetBounds(10, 20, 30, 40);
  memo1->SetBounds(10.00005, 20, 31.5, 40);
  EXPECT_EQ(memo1->BaseDifferenceText(tmpl), " w=\"31.5\"");

  memo1->SetVisible(false);
  memo1->SetTag(7);
  EXPECT_EQ(memo1->BaseDifferenceText(tmpl), " w=\"31.5\" Visible=\"0\" Tag=\"7\"");

  // A different font counts only where the object has a font of its own.
  band->Font()->SetColor(clRed);
  EXPECT_TRUE(memo1->ParentFont());
  EXPECT_EQ(memo1->BaseDifferenceText(tmpl), " w=\"31.5\" Visible=\"0\" Tag=\"7\"");
  TFont f;
  f.Assign(memo1->Font());
  f.SetName("宋体");
  f.SetStyle({fsBold, fsUnderline});
  memo1->SetFont(&f);
  EXPECT_EQ(memo1->BaseDifferenceText(tmpl),
            " w=\"31.5\" Visible=\"0\" Font.Name=\"\xCB\xCE\xCC\xE5\" Font.Color=\"255\" Font.Style=\"5\""
            " ParentFont=\"0\" Tag=\"7\"");
}

TEST_F(TreeFixture, FullDifferenceTextIsTheOneLineFormAndTheDifferences) {
  auto* tmpl = new TfrxTestView(page);
  memo1->SetBounds(1, 2, 3, 4);
  memo1->Caption = "A";
  EXPECT_EQ(memo1->FullDifferenceText(nullptr),
            "Left=\"1\" Top=\"2\" Width=\"3\" Height=\"4\" Caption=\"A\"");
  EXPECT_EQ(memo1->FullDifferenceText(tmpl).substr(0, 8), "Left=\"1\"");
  EXPECT_NE(memo1->FullDifferenceText(tmpl).find("  l=\"1\" t=\"2\" w=\"3\" h=\"4\""), String::npos);
}

TEST_F(TreeFixture, AssignCopiesPropertiesAndCopyFromTheChildrenToo) {
  memo1->SetBounds(1, 2, 3, 4);
  memo1->Caption = "客户";
  memo1->Lines()->SetText("a\r\nb\r\n");
  TfrxReport other;
  auto* copy = new TfrxTestView(&other);
  copy->SetName("Copy");
  copy->Assign(memo1);
  EXPECT_EQ(copy->Name(), "Copy");
  EXPECT_EQ(copy->Caption, "客户");
  EXPECT_EQ(copy->Lines()->Text(), "a\r\nb\r\n");
  EXPECT_DOUBLE_EQ(copy->Height(), 4);

  auto* box = new TfrxTestBox(&other);
  box->CopyFrom(band);
  EXPECT_EQ(Names(box->Objects()), "Memo1,Memo2");
  EXPECT_EQ(box->Objects()->Count(), 2);
  EXPECT_EQ(static_cast<TfrxTestView*>(box->Objects()->Items(0))->Caption, "客户");
}

TEST(frxDialogComponent, IsNotStoredInPreparedPagesAndKeepsItsPositionAsIntegers) {
  TfrxReport report;
  auto* page = new TfrxDataPage(&report);
  auto* dc = new TfrxDialogComponent(page);
  dc->SetName("Query1");
  EXPECT_FALSE(dc->frComponentStyle().Contains(csPreviewVisible));
  EXPECT_EQ(dc->Width(), 28);
  dc->SetLeft(10.6);
  dc->SetTop(3.2);
  TStringStream s;
  report.SaveToStream(&s);
  EXPECT_NE(s.DataString().find("PropData=\""), String::npos);

  TfrxReport copy;
  s.SetPosition(0);
  copy.LoadFromStream(&s);
  auto* read = static_cast<TfrxComponent*>(copy.FindObject("Query1"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Left(), 11);
  EXPECT_EQ(read->Top(), 3);
}

// ---------------------------------------------------------------------------
// Options

TEST(frxEngineOptions, SilentModeIsAViewOfNewSilentMode) {
  TfrxEngineOptions o;
  EXPECT_FALSE(o.SilentMode());
  o.SetSilentMode(true);
  EXPECT_TRUE(o.SilentMode());
  EXPECT_EQ(o.NewSilentMode, simSilent);
  o.NewSilentMode = simReThrow;
  EXPECT_FALSE(o.SilentMode());
  o.SetSilentMode(false);
  EXPECT_EQ(o.NewSilentMode, simMessageBoxes);
}

TEST(frxEngineOptions, ClearResetsTwoValuesAndAssignCopiesThePublishedOnes) {
  TfrxEngineOptions a, b;
  a.ConvertNulls = false;
  a.DoublePass = true;
  a.MaxMemSize = 99;
  a.TempDir = "C:\\tmp";
  a.NewSilentMode = simReThrow;
  a.DestroyForms = false;
  b.Assign(&a);
  EXPECT_EQ(b.MaxMemSize, 99);
  EXPECT_EQ(b.TempDir, "C:\\tmp");
  EXPECT_EQ(b.NewSilentMode, simReThrow);
  EXPECT_TRUE(b.DoublePass);
  EXPECT_TRUE(b.DestroyForms);   // not published, not copied
  a.Clear();
  EXPECT_TRUE(a.ConvertNulls);
  EXPECT_FALSE(a.DoublePass);
  EXPECT_EQ(a.MaxMemSize, 99);
}

TEST(frxPreviewOptions, ClearResetsOutlineCacheAndThumbnailsOnly) {
  TfrxPreviewOptions o;
  EXPECT_EQ(o.Buttons, frxDefaultPreviewButtons);
  EXPECT_FALSE(o.Buttons.Contains(pbNoClose));
  o.Modal = false;
  o.Zoom = 2;
  o.OutlineWidth = 10;
  o.OutlineVisible = true;
  o.Clear();
  EXPECT_FALSE(o.Modal);
  EXPECT_EQ(o.Zoom, 2);
  EXPECT_EQ(o.OutlineWidth, 120);
  EXPECT_FALSE(o.OutlineVisible);
  TfrxPreviewOptions copy;
  copy.Assign(&o);
  EXPECT_FALSE(copy.Modal);
  EXPECT_EQ(copy.Zoom, 2);
}

TEST(frxPrintOptions, DefaultsAndClear) {
  TfrxPrintOptions o;
  EXPECT_EQ(o.Printer, "预设");
  EXPECT_EQ(o.Copies, 1);
  o.Copies = 3;
  o.PageNumbers = "1-2";
  o.PrintPages = ppEven;
  TfrxPrintOptions copy;
  copy.Assign(&o);
  EXPECT_EQ(copy.Copies, 3);
  EXPECT_EQ(copy.PrintPages, ppEven);
  o.Clear();
  EXPECT_EQ(o.Copies, 1);
  EXPECT_EQ(o.PageNumbers, "");
  EXPECT_EQ(o.PrintPages, ppAll);
}

TEST(frxReportOptions, ClearKeepsTheDescriptionOfAnInformationOnlyReport) {
  TfrxReportOptions o;
  o.Author = "张三";
  o.Password = "pw";
  o.Description()->Add("line");
  o.VersionMajor = "2";
  o.Info = true;
  o.Clear();
  EXPECT_EQ(o.Author, "张三");
  EXPECT_EQ(o.Description()->Count(), 1);
  EXPECT_EQ(o.Password, "");
  o.Info = false;
  o.Clear();
  EXPECT_EQ(o.Author, "");
  EXPECT_EQ(o.Description()->Count(), 0);
  EXPECT_EQ(o.VersionMajor, "");
  EXPECT_GT(o.CreateDate, 0);
}

TEST(frxReportOptions, PasswordCheckAsksOnceAndReportsAWrongAnswer) {
  TfrxReport report;
  report.EngineOptions()->NewSilentMode = simSilent;
  TfrxReportOptions* o = report.ReportOptions();
  EXPECT_TRUE(o->CheckPassword());   // no password
  o->Password = "secret";
  int asked = 0;
  String answer = "wrong";
  frxPasswordQuery = [&](String& typed) {
    ++asked;
    typed = answer;
    return true;
  };
  EXPECT_FALSE(o->CheckPassword());
  EXPECT_EQ(report.Errors()->Text(), "Invalid password\r\n");
  answer = "secret";
  EXPECT_TRUE(o->CheckPassword());
  EXPECT_TRUE(o->CheckPassword());   // accepted before: not asked again
  EXPECT_EQ(asked, 2);

  report.EngineOptions()->NewSilentMode = simReThrow;
  o->PrevPassword.clear();
  answer = "no";
  EXPECT_THROW(o->CheckPassword(), Exception);
  frxPasswordQuery = nullptr;
}

// ---------------------------------------------------------------------------
// Styles

TEST(frxStyles, NamesAreUniqueRegardlessOfCase) {
  TfrxStyles styles;
  TfrxStyleItem* a = styles.Add();
  a->SetName("Title");
  TfrxStyleItem* b = styles.Add();
  EXPECT_THROW(b->SetName("TITLE"), Exception);
  try {
    b->SetName("title");
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Duplicate name");
  }
  EXPECT_EQ(b->Name(), "");
  b->SetName("Body");
  EXPECT_EQ(styles.Find("body"), b);
  EXPECT_EQ(styles.Find("none"), nullptr);
  TStringList list;
  list.Add("old");
  styles.GetList(&list);
  EXPECT_EQ(list.Text(), "Title\r\nBody\r\n");
  EXPECT_EQ(a->Color(), clNone);
  EXPECT_EQ(a->Font()->Name(), "Arial");
}

TEST(frxStyles, SheetWrittenAndReadBack) {
  TfrxStyles styles;
  styles.SetName("报表样式");
  TfrxStyleItem* a = styles.Add();
  a->SetName("Title");
  a->SetColor(clYellow);
  a->Font()->SetStyle({fsBold});
  a->Frame()->SetTyp({ftLeft, ftBottom});
  a->Frame()->BottomLine()->SetWidth(2);
  styles.Add()->SetName("正文");
  TStringStream s;
  styles.SaveToStream(&s);
  const String& xml = s.DataString();
  EXPECT_EQ(xml.substr(0, 65),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<style Name=\"\xB1\xA8\xB1\xED\xD1\xF9\xCA\xBD\">\r\n");
  EXPECT_NE(xml.find("  <item Name=\"Title\" Color=\"65535\" Font.Charset=\"1\" Font.Color=\"0\" "
                     "Font.Height=\"-13\" Font.Name=\"Arial\" Font.Style=\"1\" Frame.Typ=\"9\" "
                     "Frame.BottomLine.Width=\"2\"/>"),
            String::npos)
      << xml;

  TfrxStyles read;
  s.SetPosition(0);
  read.LoadFromStream(&s);
  EXPECT_EQ(read.Name(), "报表样式");
  ASSERT_EQ(read.Count(), 2);
  EXPECT_EQ(read.Items(1)->Name(), "正文");
  EXPECT_EQ(read.Items(0)->Color(), clYellow);
  EXPECT_TRUE(read.Items(0)->Font()->Style().Contains(fsBold));
  EXPECT_EQ(read.Items(0)->Frame()->Typ(), (TfrxFrameTypes{ftLeft, ftBottom}));
  EXPECT_EQ(read.Items(0)->Frame()->BottomLine()->Width(), 2);
  EXPECT_EQ(read.Items(0)->Frame()->TopLine()->Width(), 1);
}

TEST(frxStyles, AnotherRootLoadsNothing) {
  TfrxStyles styles;
  styles.Add()->SetName("Old");
  TStringStream s("<?xml version=\"1.0\"?><styles><item Name=\"X\"/></styles>");
  styles.LoadFromStream(&s);
  EXPECT_EQ(styles.Count(), 0);
}

TEST(frxFrame, SidesFollowTheFrameAndAreStoredWhereTheyDiffer) {
  TfrxFrame f;
  f.SetWidth(3);
  EXPECT_EQ(f.LeftLine()->Width(), 3);
  EXPECT_FALSE(f.LeftLine()->IsWidthStored());
  f.LeftLine()->SetStyle(fsDot);
  EXPECT_TRUE(f.LeftLine()->IsStyleStored());
  TfrxFrame g;
  g.Assign(&f);
  EXPECT_EQ(g.LeftLine()->Style(), fsDot);
  EXPECT_EQ(g.RightLine()->Width(), 3);
}

TEST(frxComponent, FormResourcesKeepTheReportTree) {
  TComponent form;
  form.SetName("frxTestResourceForm");
  auto* report = new TfrxReport(&form);
  report->SetName("Report1");
  auto* page = new TfrxTestBox(report);
  page->SetName("Page1");
  auto* memo = new TfrxTestView(page);
  memo->SetName("Memo1");
  memo->Caption = "客户";
  memo->SetLeft(2.5);
  memo->Vars()->SetVariables("V", Variant("x"));
  TMemoryStream stream;
  WriteComponentToStream(&stream, &form);

  TComponent copy;
  stream.SetPosition(0);
  ReadComponentFromStream(&stream, &copy);
  auto* report2 = static_cast<TfrxReport*>(copy.FindComponent("Report1"));
  ASSERT_NE(report2, nullptr);
  EXPECT_EQ(Names(report2->AllObjects()), "Page1,Memo1");
  auto* memo2 = static_cast<TfrxTestView*>(report2->FindObject("Memo1"));
  EXPECT_EQ(memo2->Owner(), report2);
  EXPECT_EQ(memo2->Parent()->Name(), "Page1");
  EXPECT_EQ(memo2->Caption, "客户");
  EXPECT_EQ(memo2->Left(), 2.5);
  EXPECT_EQ(VarToStr(memo2->Vars()->Variables("v")), "x");

  // A report that does not keep its objects in the form writes none.
  report->StoreInDFM = false;
  TMemoryStream bare;
  WriteComponentToStream(&bare, &form);
  EXPECT_LT(bare.Size(), stream.Size());
}

TEST(frxDialogControl, PassesItsStateToTheControl) {
  TfrxReport report;
  auto* group = new TfrxTestGroupControl(&report);
  auto* button = new TfrxTestButtonControl(group);
  EXPECT_EQ(button->BaseName(), "TestButton");
  // Without a dialog page the outer control lives in the hidden parent form,
  // the inner one in the outer control's window.
  EXPECT_EQ(group->Control()->Parent(), frxParentForm());
  EXPECT_EQ(button->Control()->Parent(), group->Control());

  button->SetBounds(10.4, 20.6, 75.5, 25);
  EXPECT_EQ(button->Control()->Left(), 10);
  EXPECT_EQ(button->Control()->Top(), 21);
  EXPECT_EQ(button->Control()->Width(), 76);   // halves to the even neighbour
  button->SetVisible(false);
  EXPECT_FALSE(button->Control()->Visible());
  button->SetEnabled(false);
  EXPECT_FALSE(button->Enabled());
  button->SetHint("提示");
  EXPECT_EQ(button->Control()->Hint(), "提示");

  // A caption that shows the name follows renames; one set by hand stays.
  button->SetCaption("Button1");
  button->SetName("Button1");
  button->SetName("OkButton");
  EXPECT_EQ(button->Caption(), "OkButton");
  button->SetCaption("确定");
  button->SetName("Ok2");
  EXPECT_EQ(button->Caption(), "确定");

  group->Font()->SetName("Tahoma");
  EXPECT_EQ(group->Control()->Font()->Name(), "Tahoma");
  EXPECT_EQ(button->Font()->Name(), "Tahoma");   // ParentFont of the report object

  button->SetParent(&report);
  EXPECT_EQ(button->Control()->Parent(), frxParentForm());
  delete group;
  EXPECT_EQ(report.Objects()->Count(), 1);
}

TEST(frxDialogControl, WrittenAndReadWithItsControlProperties) {
  TfrxReport report;
  auto* button = new TfrxTestButtonControl(&report);
  button->SetName("B1");
  button->SetEnabled(false);
  button->SetHint("h");
  TStringStream s;
  report.SaveToStream(&s);
  EXPECT_NE(s.DataString().find("Enabled=\"False\" Hint=\"h\" ShowHint=\"False\""), String::npos) << s.DataString();
  TfrxReport copy;
  s.SetPosition(0);
  copy.LoadFromStream(&s);
  auto* b = static_cast<TfrxTestButtonControl*>(copy.FindObject("B1"));
  ASSERT_NE(b, nullptr);
  EXPECT_FALSE(b->Enabled());
  EXPECT_EQ(b->Hint(), "h");
}

namespace {

// Alignment recognises views by
// their class chain; this test class answers to TfrxView without being one.
TClass FakeViewClass() {
  static TClassInfo info{"TfrxView", TfrxReportComponent::StaticClass(), nullptr};
  return &info;
}

class TfrxTestAlignView : public TfrxReportComponent {
  TOVANI_CLASS(TfrxTestAlignView, TfrxReportComponent)
 public:
  explicit TfrxTestAlignView(TComponent* AOwner = nullptr) : TfrxReportComponent(AOwner) {}
  void Draw(TCanvas*, Extended, Extended, Extended, Extended) override {}
  TfrxAlign Align = baNone;
};

}  // namespace

TClass TfrxTestAlignView::StaticClass() {
  static TClassInfo info{"TfrxTestAlignView", FakeViewClass(), nullptr};
  return &info;
}

TOVANI_PUBLISHED(TfrxTestAlignView) { Property("Align", &TfrxTestAlignView::Align); }

TEST(frxComponent, AlignChildrenPlacesViewsAgainstTheirNeighbours) {
  TfrxReport report;
  auto* box = new TfrxTestBox(&report);
  box->SetBounds(0, 0, 100, 50);
  auto view = [&](Extended l, Extended t, Extended w, Extended h, TfrxAlign a) {
    auto* v = new TfrxTestAlignView(box);
    v->SetBounds(l, t, w, h);
    v->Align = a;
    return v;
  };
  auto* a = view(5, 0, 20, 10, baLeft);      // first row
  auto* b = view(50, 0, 10, 10, baLeft);
  auto* c = view(70, 0, 10, 10, baRight);
  auto* f = view(0, 20, 10, 10, baNone);     // second row
  auto* d = view(30, 20, 5, 10, baWidth);
  auto* e = view(80, 20, 10, 10, baNone);
  auto* g = view(1, 200, 40, 5, baCenter);   // rows of their own
  auto* h = view(1, 300, 5, 10, baBottom);
  auto* i = view(1, 400, 5, 5, baClient);
  box->AlignChildren();
  EXPECT_EQ(a->Left(), 0);
  EXPECT_EQ(b->Left(), 20);
  EXPECT_EQ(c->Left(), 90);
  EXPECT_EQ(d->Left(), 10);
  EXPECT_EQ(d->Width(), 70);
  EXPECT_EQ(e->Left(), 80);
  EXPECT_EQ(f->Left(), 0);
  EXPECT_EQ(g->Left(), 30);
  EXPECT_EQ(h->Top(), 40);
  EXPECT_EQ(i->Left(), 0);
  EXPECT_EQ(i->Top(), 0);
  EXPECT_EQ(i->Width(), 100);
  EXPECT_EQ(i->Height(), 50);
}
