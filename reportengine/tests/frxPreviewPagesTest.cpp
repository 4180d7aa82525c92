// The prepared report: stored differences, cut and paste, anchors, logical
// page numbers, the outline and dictionary, the picture cache, the file
// saved, cleared and loaded, clicks on addresses, aggregates beyond the
// column storage, and the dot-matrix objects.
#include <cstdio>
#include <memory>

#include "Graphics.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "frxAggregate.h"
#include "frxClass.h"
#include "frxDMPClass.h"
#include "frxDsgnIntf.h"
#include "frxEngine.h"
#include "frxPreviewPages.h"
#include "frxUnicodeUtils.h"
#include "frxXML.h"
#include "gtest.h"

namespace {

class PagesFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    frxRegisterEngine();
    Report = std::make_unique<TfrxReport>();
    Report->EngineOptions()->NewSilentMode = simSilent;
    Page = NewPage("Page1");
  }
  TfrxReportPage* NewPage(const String& Name) {
    auto* p = new TfrxReportPage(Report.get());
    p->SetName(Name);
    return p;
  }
  // A band of Rows records, each Height high, with one memo of Text.
  TfrxMasterData* AddRows(TfrxReportPage* P, const String& Name, Integer Rows, Extended Height, const String& Text) {
    auto* b = new TfrxMasterData(P);
    b->SetName(Name);
    b->SetTop(100);
    b->SetHeight(Height);
    b->SetRowCount(Rows);
    auto* m = new TfrxMemoView(b);
    m->SetName(Name + "Memo");
    m->SetBounds(10, 0, 300, Height);
    m->SetTextUtf8(Text);
    return b;
  }
  TfrxPreviewPages* Pages() { return static_cast<TfrxPreviewPages*>(Report->PreviewPages()); }
  std::vector<String> Texts(Integer Index) {
    std::vector<String> out;
    TList* all = Pages()->GetPage(Index)->AllObjects();
    for (Integer i = 0; i < all->Count(); ++i)
      if (auto* m = dynamic_cast<TfrxCustomMemoView*>(static_cast<TObject*>(all->Items(i)))) out.push_back(m->TextUtf8());
    return out;
  }
  std::unique_ptr<TfrxReport> Report;
  TfrxReportPage* Page = nullptr;
};

TEST_F(PagesFixture, ObjectsAreStoredAsDifferencesFromTheirTemplates) {
  AddRows(Page, "Rows", 2, 20, "行[Line]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  TfrxXMLItem* page = Pages()->XML()->Root()->FindItem("previewpages")->Items(0);
  ASSERT_EQ(page->Count(), 2);
  TfrxXMLItem* memo = page->Items(1)->Items(0);
  // Only the text differs from the template memo.
  EXPECT_EQ(Trim(memo->AttrText()), "u=\"行2\"");
  EXPECT_EQ(page->Items(0)->Name(), page->Items(1)->Name());
}

TEST_F(PagesFixture, CutAndPasteKeepTheDistancesBetweenObjects) {
  AddRows(Page, "Rows", 60, 20, "[Line]");
  ASSERT_TRUE(Report->PrepareReport());
  ASSERT_EQ(Pages()->GetPageCount(), 2);
  TfrxPreviewPages* p = Pages();
  p->CurPage = 0;
  const Integer n = p->PageObjectCount();
  EXPECT_EQ(p->CutObjects(n - 2), 2);
  EXPECT_EQ(p->PageObjectCount(), n - 2);
  p->CurPage = 1;
  const Integer before = p->PageObjectCount();
  p->PasteObjects(0, 500);
  ASSERT_EQ(p->PageObjectCount(), before + 2);
  TfrxXMLItem* page = p->XML()->Root()->FindItem("previewpages")->Items(1);
  TfrxXMLItem* a = page->Items(before);
  TfrxXMLItem* b = page->Items(before + 1);
  EXPECT_EQ(a->GetProp("t"), "500");
  EXPECT_EQ(b->GetProp("t"), "520");
}

TEST_F(PagesFixture, AnchorsLogicalPageNumbersAndPageEdits) {
  Report->EngineOptions()->DoublePass = true;
  AddRows(Page, "Rows", 120, 20, "[Page]/[TotalPages]");  // 3 pages
  TfrxReportPage* second = NewPage("Page2");
  second->ResetPageNumbers = true;
  AddRows(second, "More", 60, 20, "[Page]/[TotalPages]");  // 2 pages
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 5);
  EXPECT_EQ(Texts(0).front(), "1/3");
  EXPECT_EQ(Texts(2).back(), "3/3");
  EXPECT_EQ(Texts(3).front(), "1/2");
  EXPECT_EQ(Texts(4).back(), "2/2");

  TfrxPreviewPages* p = Pages();
  p->CurPage = 2;
  p->AddAnchor("第三页");
  EXPECT_EQ(p->GetAnchorPage("第三页"), 3);
  EXPECT_EQ(p->GetAnchorPage("没有"), 1);

  p->DeletePage(0);
  EXPECT_EQ(p->GetPageCount(), 4);
  Report->PreviewPages()->Clear();
  EXPECT_EQ(p->GetPageCount(), 0);
  p->DeletePage(0);  // nothing to delete
  EXPECT_EQ(p->GetPageCount(), 0);
}

TEST_F(PagesFixture, OutlineEntriesNestAndDictionaryNamesStayUnique) {
  TfrxOutline* o = static_cast<TfrxOutline*>(Report->PreviewPages()->Outline());
  Report->PreviewPages()->CurPage = 0;
  o->AddItem("A", 10);
  o->AddItem("A1", 20);  // nested under A
  o->LevelUp();
  o->LevelUp();
  o->LevelUp();  // stays at the root
  o->AddItem("B", 30);
  o->LevelRoot();
  EXPECT_EQ(o->ItemCount(), 2);
  String text;
  Integer page = 7, top = 0;
  o->ReadItem(1, text, page, top);
  EXPECT_EQ(text, "B");
  EXPECT_EQ(top, 30);
  o->EnterItem(0);
  EXPECT_EQ(o->ItemCount(), 1);

  TfrxDictionary d;
  EXPECT_EQ(d.MakeUniqueName("m"), "m1");
  for (Integer i = 1; i <= 20; ++i) d.Register("m" + IntToStr(i), "Page0.x", nullptr);
  EXPECT_EQ(d.MakeUniqueName("m"), "m21");
  TfrxDictionary only;
  only.Register("m5000", "Page0.x", nullptr);
  EXPECT_EQ(only.MakeUniqueName("m"), "m5001");
  EXPECT_EQ(d.FindTemplate("never"), nullptr);
}

TEST_F(PagesFixture, BandOutlineTextsBecomeEntries) {
  auto* b = AddRows(Page, "Rows", 3, 20, "[Line]");
  b->OutlineText = "'项' + IntToStr(<Line>)";
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  TfrxCustomOutline* o = Report->PreviewPages()->Outline();
  o->LevelRoot();
  ASSERT_EQ(o->ItemCount(), 3);
  String text;
  Integer page = -1, top = -1;
  o->ReadItem(2, text, page, top);
  EXPECT_EQ(text, "项3");
  EXPECT_EQ(page, 0);
  EXPECT_EQ(top, 40);
}

TEST_F(PagesFixture, PreparedReportFileSavedClearedAndLoadedEqual) {
  auto* b = AddRows(Page, "Rows", 70, 20, "记录[Line]");
  b->OutlineText = "IntToStr(<Line>)";
  auto* pic = new TfrxPictureView(b);
  pic->SetName("Pic");
  pic->SetBounds(320, 0, 16, 16);
  TBitmap bmp(12, 9, pf24bit);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(TRect(0, 0, 12, 9));
  pic->Picture()->Assign(&bmp);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  TfrxPreviewPages* p = Pages();
  EXPECT_EQ(p->PictureCache()->Count(), 1);
  const Integer pages = p->GetPageCount();
  ASSERT_EQ(pages, 2);
  std::vector<std::vector<String>> texts{Texts(0), Texts(1)};
  const String outline = [&] {
    TMemoryStream s;
    TfrxXMLItem* o = p->XML()->Root()->FindItem("outline");
    return IntToStr(o->Count()) + o->Items(o->Count() - 1)->AttrText();
  }();

  String file = String(TOVANI_TEST_BINARY_DIR) + "/prepared.fp3";
  p->SaveToFile(file);
  p->Clear();
  EXPECT_EQ(p->GetPageCount(), 0);
  ASSERT_TRUE(p->LoadFromFile(file));
  ASSERT_EQ(p->GetPageCount(), pages);
  EXPECT_EQ(Texts(0), texts[0]);
  EXPECT_EQ(Texts(1), texts[1]);
  TfrxXMLItem* o = p->XML()->Root()->FindItem("outline");
  EXPECT_EQ(IntToStr(o->Count()) + o->Items(o->Count() - 1)->AttrText(), outline);
  EXPECT_EQ(p->XML()->Root()->FindItem("logicalpagenumbers")->Count(), 2);
  auto* again = dynamic_cast<TfrxPictureView*>(p->GetPage(1)->FindObject("Pic"));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->ImageIndex, 1);
  ASSERT_TRUE(again->Picture()->Graphic());
  EXPECT_EQ(again->Picture()->Width(), 12);
  EXPECT_EQ(again->Picture()->Height(), 9);
  EXPECT_FALSE(p->LoadFromFile(file + ".missing"));
  std::remove(file.c_str());
}

TEST_F(PagesFixture, AddFromAnEmptyStoreTakesThePagesWhole) {
  AddRows(Page, "Rows", 3, 20, "甲[Line]");
  ASSERT_TRUE(Report->PrepareReport());
  TfrxReport other;
  ASSERT_EQ(other.PreviewPages()->GetPageCount(), 0);
  other.PreviewPages()->AddFrom(Report.get());
  ASSERT_EQ(other.PreviewPages()->GetPageCount(), 1);
  TList* all = other.PreviewPages()->GetPage(0)->AllObjects();
  Integer memos = 0;
  for (Integer i = 0; i < all->Count(); ++i) memos += frxIsKindOf(static_cast<TObject*>(all->Items(i)), "TfrxMemoView");
  EXPECT_EQ(memos, 3);
}

TEST_F(PagesFixture, OnlyWebAndMailAddressesGoToTheDesktop) {
  AddRows(Page, "Rows", 1, 20, "x");
  std::vector<String> opened;
  for (const char* url : {"http://example.com", "mailto:a@b.cn", "file:///c:/windows/system32/cmd.exe",
                          "calc.exe", "HTTPS://x.cn"}) {
    static_cast<TfrxMemoView*>(Report->FindObject("RowsMemo"))->SetURL(url);
    ASSERT_TRUE(Report->PrepareReport());
    Pages()->OnOpenURL = [&](const String& u) { opened.push_back(u); };
    TfrxComponent* m = Pages()->GetPage(0)->FindObject("RowsMemo");
    ASSERT_TRUE(m);
    const Integer x = Integer(m->AbsLeft() + 10 * fr01cm) + 5;
    const Integer y = Integer(m->AbsTop() + 10 * fr01cm) + 5;
    Pages()->MouseOverObject(0, x, y, 0, 0, true, false, 1, 0, 0);
  }
  EXPECT_EQ(opened, (std::vector<String>{"http://example.com", "mailto:a@b.cn", "HTTPS://x.cn"}));
}

TEST_F(PagesFixture, VerticalColumnsBeyondTheirStorageAreKept) {
  Report->EngineOptions()->DestroyForms = false;
  auto* b = AddRows(Page, "Rows", 2, 20, "[Line]");
  auto* f = new TfrxFooter(Page);
  f->SetName("Footer1");
  f->SetTop(200);
  f->SetHeight(20);
  auto* m = new TfrxMemoView(f);
  m->SetName("Total");
  m->SetTextUtf8("[SUM(<Line>,Rows)]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(Texts(0).back(), "3");
  auto* engine = static_cast<TfrxEngine*>(Report->Engine());
  TfrxAggregateList* agg = engine->Aggregates();
  ASSERT_EQ(agg->Count(), 1);
  agg->ResetTotals(f);
  Report->Engine()->CurLine = 7;
  agg->AddRecord(b, 1500);
  agg->AddRecord(b, 3);
  EXPECT_EQ(agg->FindTotal(f, 1500, 0, nullptr, "<Line>", "SUM").AsInteger(), 7);
  EXPECT_EQ(agg->FindTotal(f, 3, 0, nullptr, "<Line>", "SUM").AsInteger(), 7);
  EXPECT_EQ(agg->FindTotal(f, 2, 0, nullptr, "<Line>", "SUM").AsInteger(), 0);
}

TEST(frxDMP, ObjectsSnapToTheCharacterGrid) {
  frxRegisterEngine();
  TfrxDMPPage page;
  auto* band = new TfrxMasterData(&page);
  band->SetTop(40);
  EXPECT_NEAR(band->Top(), 34, 1e-9);
  band->SetHeight(30);
  EXPECT_NEAR(band->Height(), 34, 1e-9);
  auto* memo = new TfrxDMPMemoView(band);
  memo->SetLeft(100);
  EXPECT_NEAR(memo->Left(), 96, 1e-9);
  memo->SetLeft(105);
  EXPECT_NEAR(memo->Left(), 105.6, 1e-9);
  memo->SetAlign(baRight);
  memo->SetLeft(105);
  EXPECT_NEAR(memo->Left(), 96, 1e-9);
  auto* line = new TfrxDMPLineView(band);
  line->SetTop(40);
  EXPECT_NEAR(line->Top(), 42.5, 1e-9);
  line->SetLeft(-5);
  EXPECT_NEAR(line->Left(), -4.8, 1e-9);
  EXPECT_EQ(memo->Font()->Name(), "Courier New");
  EXPECT_EQ(memo->GapX, 0);

  page.ResetToPrinterDefaults();
  EXPECT_NEAR(page.LeftMargin, 2.54, 0.001);
  EXPECT_NEAR(page.PaperWidth() * fr01cm, 82 * 9.6, 1e-6);

  // The page's style reaches every object that follows it.
  auto* own = new TfrxDMPMemoView(band);
  own->SetFontStyle(TfrxDMPFontStyles{fsxItalic});
  page.SetFontStyle(TfrxDMPFontStyles{fsxBold});
  EXPECT_TRUE(memo->Font()->Style().Contains(fsBold));
  EXPECT_TRUE(own->Font()->Style().Contains(fsItalic));
  EXPECT_FALSE(own->Font()->Style().Contains(fsBold));

  TfrxDMPMemoView tmpl;
  TfrxDMPMemoView printed;
  printed.SetFontStyle(TfrxDMPFontStyles{fsxBold, fsx15cpi});
  EXPECT_NE(printed.DifferenceText(&tmpl).find(" FontStyle=\"257\""), String::npos);

  TfrxObjectCollection* reg = frxObjectRegistry();
  Integer found = 0;
  for (Integer i = 0; i < reg->Count(); ++i)
    if (reg->Items(i)->ObjectClass == TfrxDMPCommand::StaticClass()) {
      ++found;
      EXPECT_EQ(reg->Items(i)->Category, 8);
      EXPECT_EQ(reg->Items(i)->ImageIndex, 21);
    }
  EXPECT_EQ(found, 1);
}

}  // namespace

namespace {

TEST_F(PagesFixture, DamagedFilesRaiseAndLeaveTheStoreEmpty) {
  AddRows(Page, "Rows", 3, 20, "x");
  ASSERT_TRUE(Report->PrepareReport());
  TMemoryStream good;
  Pages()->SaveToStream(&good);
  const String text(static_cast<const char*>(good.Memory()), size_t(good.Size()));
  for (const String& damaged : {String("not a prepared report"), text.substr(0, text.size() / 2),
                                String("<?xml version=\"1.0\"?><preparedreport><previewpages><page0><NoSuchClass "
                                       "l=\"1\"/></page0></previewpages></preparedreport>")}) {
    TMemoryStream s;
    s.WriteBuffer(damaged.data(), LongInt(damaged.size()));
    s.SetPosition(0);
    try {
      Pages()->LoadFromStream(&s);
      // What did load is read back on demand; unknown classes raise there.
      for (Integer i = 0; i < Pages()->GetPageCount(); ++i) Pages()->GetPage(i);
      ADD_FAILURE() << "no error for " << damaged.substr(0, 40);
    } catch (const Exception&) {
    }
  }
}

}  // namespace

namespace {

TEST_F(PagesFixture, PagesSwappedToTheTempFileReadBackAndSave) {
  Report->EngineOptions()->UseFileCache = true;
  Report->EngineOptions()->MaxMemSize = 0;  // every page beyond the second goes out
  AddRows(Page, "Rows", 260, 20, "行[Line]");  // 5 pages
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  TfrxPreviewPages* p = Pages();
  ASSERT_EQ(p->GetPageCount(), 5);
  TfrxXMLItem* pages = p->XML()->Root()->FindItem("previewpages");
  Integer swapped = 0;
  for (Integer i = 0; i < pages->Count(); ++i) swapped += !pages->Items(i)->Loaded();
  EXPECT_GT(swapped, 0);
  EXPECT_EQ(Texts(2).front(), "行105");
  TMemoryStream s;
  p->SaveToStream(&s);
  p->Clear();
  s.SetPosition(0);
  p->LoadFromStream(&s);
  ASSERT_EQ(p->GetPageCount(), 5);
  EXPECT_EQ(Texts(3).front(), "行157");
  EXPECT_EQ(Texts(4).back(), "行260");
}

}  // namespace

namespace {

// Without the file cache, finished pages are packed as their text in memory:
// they read back the same, stay packed when only read, and save as the same
// file; the first pass of a two-pass report leaves no packed copies behind.
TEST_F(PagesFixture, FinishedPagesArePackedInMemoryAndReadBackUnchanged) {
  Report->EngineOptions()->DoublePass = true;
  AddRows(Page, "Rows", 260, 20, "行[Line] / [TotalPages]");  // 5 pages, two passes
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  TfrxPreviewPages* p = Pages();
  ASSERT_EQ(p->GetPageCount(), 5);
  EXPECT_TRUE(p->XML()->TempFileName().empty());
  TfrxXMLItem* pages = p->XML()->Root()->FindItem("previewpages");
  Integer packed = 0;
  for (Integer i = 0; i < pages->Count(); ++i) packed += !pages->Items(i)->Loaded();
  EXPECT_GE(packed, 1);
  ASSERT_FALSE(pages->Items(2)->Loaded());
  Report->PreviewOptions()->PagesInCache = 1;  // each page built again from its packed text
  for (Integer round = 0; round < 2; ++round) {
    EXPECT_EQ(Texts(2).front(), "行105 / 5");
    EXPECT_FALSE(pages->Items(2)->Loaded());
    EXPECT_EQ(Texts(3).front(), "行157 / 5");
  }
  EXPECT_EQ(Texts(4).back(), "行260 / 5");

  auto saved = [&] {
    TMemoryStream out;
    p->SaveToStream(&out);
    return String(static_cast<const char*>(out.Memory()), size_t(out.Size()));
  };
  const String packedFile = saved();
  EXPECT_EQ(packedFile.find("行1 / 5\""), packedFile.rfind("行1 / 5\""));  // no page of the first pass
  // The same report kept whole in memory (a file cache it never reaches)
  // saves as the same file.
  Report->EngineOptions()->UseFileCache = true;
  Report->EngineOptions()->MaxMemSize = 1000;
  ASSERT_TRUE(Report->PrepareReport());
  EXPECT_TRUE(p->XML()->Root()->FindItem("previewpages")->Items(2)->Loaded());
  EXPECT_EQ(saved(), packedFile);
}

}  // namespace
