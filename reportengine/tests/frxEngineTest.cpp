// The report engine over a real SQLite query: pages with headers and
// footers, double pass, checks of the band tree and datasets, groups with
// totals, master/detail, keep-together, columns, splitting, and the
// prepared pages read back as page objects.
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "Graphics.h"
#include "Strings.h"
#include "Streams.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxAggregate.h"
#include "frxClass.h"
#include "frxDBSet.h"
#include "frxEngine.h"
#include "frxPreviewPages.h"
#include "frxUtils.h"
#include "frxUnicodeUtils.h"
#include "frxXML.h"
#include "frxpngimage.h"
#include "gtest.h"

namespace {

class EngineFixture : public ::testing::Test {
 protected:
  // Rows: id 1..n, grp = (id - 1) / GroupSize + 1, amount = id.
  void MakeData(Integer Rows, Integer GroupSize = 5) {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-engine-tests";
    ::mkdir(dir.c_str(), 0755);
    Path = dir + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".mdb";
    std::remove(Path.c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE Items (I_ID INTEGER PRIMARY KEY, I_Grp INTEGER, I_Name TEXT(50), I_Amount DOUBLE);"
                 "CREATE TABLE Lines (L_ID INTEGER PRIMARY KEY, L_Item INTEGER, L_Text TEXT(50));",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (Integer i = 1; i <= Rows; ++i) {
      std::string sql = "INSERT INTO Items VALUES (" + std::to_string(i) + "," +
                        std::to_string((i - 1) / GroupSize + 1) + ",'商品" + std::to_string(i) + "'," +
                        std::to_string(i) + ")";
      sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    Conn = std::make_unique<TADOConnection>();
    Conn->SetLoginPrompt(false);
    Conn->SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Path);
    Conn->Open();
    Query = std::make_unique<TADOQuery>();
    Query->SetConnection(Conn.get());
    Query->SQL()->SetText("SELECT * FROM Items ORDER BY I_ID");
    Query->Open();
    Data = std::make_unique<TfrxDBDataset>();
    Data->SetName("Items");
    Data->SetDataSet(Query.get());
    Report->DataSets()->Add(Data.get());
  }
  void SetUp() override {
    frxRegisterEngine();
    Report = std::make_unique<TfrxReport>();
    Report->EngineOptions()->NewSilentMode = simSilent;
    Page = new TfrxReportPage(Report.get());
    Page->SetName("Page1");
  }
  void TearDown() override {
    Report.reset();
    LinesData.reset();
    Lines.reset();
    Data.reset();
    Query.reset();
    Conn.reset();
    if (!Path.empty()) std::remove(Path.c_str());
  }
  template <class T>
  T* AddBand(const String& Name, Extended Top, Extended Height) {
    auto* b = new T(Page);
    b->SetName(Name);
    b->SetTop(Top);
    b->SetHeight(Height);
    return b;
  }
  TfrxMemoView* AddMemo(TfrxComponent* Band, const String& Name, const String& Text, Extended Left = 0,
                        Extended Width = 200, Extended Height = 18) {
    auto* m = new TfrxMemoView(Band);
    m->SetName(Name);
    m->SetBounds(Left, 0, Width, Height);
    m->SetTextUtf8(Text);
    return m;
  }
  TfrxMasterData* AddMaster(Extended Top = 100, Extended Height = 20) {
    auto* b = AddBand<TfrxMasterData>("MasterData1", Top, Height);
    b->SetDataSet(Data.get());
    return b;
  }
  TfrxPreviewPages* Pages() { return static_cast<TfrxPreviewPages*>(Report->PreviewPages()); }
  // Texts of the memos of a prepared page, in output order.
  std::vector<String> Texts(Integer PageIndex) {
    std::vector<String> out;
    TfrxComponent* p = Pages()->GetPage(PageIndex);
    TList* all = p->AllObjects();
    for (Integer i = 0; i < all->Count(); ++i)
      if (auto* m = dynamic_cast<TfrxCustomMemoView*>(static_cast<TObject*>(all->Items(i)))) out.push_back(m->TextUtf8());
    return out;
  }
  Integer CountText(Integer PageIndex, const String& Prefix) {
    Integer n = 0;
    for (const String& s : Texts(PageIndex)) n += s.compare(0, Prefix.size(), Prefix) == 0;
    return n;
  }
  bool HasText(Integer PageIndex, const String& Text) {
    for (const String& s : Texts(PageIndex))
      if (s == Text) return true;
    return false;
  }

  std::string Path;
  std::unique_ptr<TADOConnection> Conn;
  std::unique_ptr<TADOQuery> Query;
  std::unique_ptr<TfrxDBDataset> Data;
  std::unique_ptr<TADOQuery> Lines;
  std::unique_ptr<TfrxDBDataset> LinesData;
  std::unique_ptr<TfrxReport> Report;
  TfrxReportPage* Page = nullptr;
};

TEST_F(EngineFixture, ListWithHeadersAndFootersOnEveryPage) {
  MakeData(100);
  // A4: 297 - 20 mm printable = 1046.9 units; header 30, footer 30: 986.9
  // left for 20-unit rows: 49 rows a page.
  auto* ph = AddBand<TfrxPageHeader>("PageHeader1", 0, 30);
  AddMemo(ph, "Head", "商品清单");
  auto* pf = AddBand<TfrxPageFooter>("PageFooter1", 500, 30);
  AddMemo(pf, "Foot", "第[Page#]页 共[TotalPages#]页");
  auto* md = AddMaster(100, 20);
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  auto* title = AddBand<TfrxReportTitle>("Title", 50, 25);
  AddMemo(title, "TitleText", "标题");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 3);
  for (Integer p = 0; p < 3; ++p) {
    EXPECT_TRUE(HasText(p, "商品清单")) << p;
    EXPECT_EQ(CountText(p, "第"), 1) << p;
  }
  EXPECT_TRUE(HasText(0, "标题"));
  EXPECT_FALSE(HasText(1, "标题"));
  const Integer rows0 = CountText(0, "商品"), rows1 = CountText(1, "商品"), rows2 = CountText(2, "商品");
  EXPECT_EQ(rows0 + rows1 + rows2 - 3, 100);
  EXPECT_EQ(rows1 - 1, 49);
  // A single pass leaves the total-pages macro to the drawing code.
  EXPECT_TRUE(HasText(1, "第2页 共[TotalPages#]页"));
}

TEST_F(EngineFixture, DoublePassKnowsTheTotalPages) {
  MakeData(60);
  Report->EngineOptions()->DoublePass = true;
  auto* pf = AddBand<TfrxPageFooter>("PageFooter1", 500, 30);
  AddMemo(pf, "Foot", "[Page]/[TotalPages]");
  auto* md = AddMaster(100, 20);
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 2);
  EXPECT_TRUE(HasText(0, "1/2"));
  EXPECT_TRUE(HasText(1, "2/2"));
}

TEST_F(EngineFixture, TemplateErrorsBuildNothing) {
  MakeData(3);
  struct TCase {
    std::function<void()> Build;
    String Expected;
  } cases[] = {
      {[&] { Report->SetDataSet(Data.get()); Page->SetDataSet(Data.get()); },
       "Cannot use the same dataset for Report.DataSet and Page.DataSet"},
      {[&] { Page->SetDataSet(Data.get()); AddMaster(); }, "Cannot use the same dataset for Page.DataSet and Band.DataSet"},
      {[&] { AddBand<TfrxGroupFooter>("GF1", 10, 10); AddMaster(100); }, "GF1"},
      {[&] { AddBand<TfrxHeader>("H1", 10, 10); AddBand<TfrxFooter>("F0", 20, 10); AddMaster(100); }, "H1"},
  };
  for (auto& c : cases) {
    Report.reset();
    SetUp();
    Report->DataSets()->Add(Data.get());
    c.Build();
    EXPECT_FALSE(Report->PrepareReport());
    EXPECT_NE(Report->Errors()->Text().find(c.Expected), String::npos) << Report->Errors()->Text();
    EXPECT_EQ(Pages()->GetPageCount(), 0);
  }
}

TEST_F(EngineFixture, PrintIfEmpty) {
  auto* title = AddBand<TfrxReportTitle>("Title", 0, 20);
  AddMemo(title, "T", "x");
  ASSERT_TRUE(Report->PrepareReport());
  EXPECT_EQ(Pages()->GetPageCount(), 1);
  Report->EngineOptions()->PrintIfEmpty = false;
  ASSERT_TRUE(Report->PrepareReport());
  EXPECT_EQ(Pages()->GetPageCount(), 0);
}

TEST_F(EngineFixture, GroupsWithTotalsRunningTotalsAndHiddenSingleFooters) {
  MakeData(11, 5);  // groups 1..5, 6..10, 11
  auto* gh = AddBand<TfrxGroupHeader>("GroupHeader1", 50, 20);
  gh->Condition = "Items.\"I_Grp\"";
  AddMemo(gh, "G", "组[Items.\"I_Grp\"]");
  auto* md = AddMaster(100, 20);
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  auto* gf = AddBand<TfrxGroupFooter>("GroupFooter1", 150, 20);
  AddMemo(gf, "Sum", "小计[SUM(<Items.\"I_Amount\">,MasterData1)]");
  AddMemo(gf, "Run", "累计[SUM(<Items.\"I_Amount\">,MasterData1,2)]", 210);
  AddMemo(gf, "Cnt", "条数[COUNT(MasterData1)]", 420);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  auto t = Texts(0);
  std::vector<String> sums, runs, counts;
  for (const String& s : t) {
    if (s.rfind("小计", 0) == 0) sums.push_back(s);
    if (s.rfind("累计", 0) == 0) runs.push_back(s);
    if (s.rfind("条数", 0) == 0) counts.push_back(s);
  }
  EXPECT_EQ(sums, (std::vector<String>{"小计15", "小计40", "小计11"}));
  EXPECT_EQ(runs, (std::vector<String>{"累计15", "累计55", "累计66"}));
  EXPECT_EQ(counts, (std::vector<String>{"条数5", "条数5", "条数1"}));
  EXPECT_EQ(CountText(0, "组"), 3);

  // The run reloads the template: its objects are new ones.
  static_cast<TfrxGroupFooter*>(Report->FindObject("GroupFooter1"))->HideIfSingleDataRecord = true;
  ASSERT_TRUE(Report->PrepareReport());
  EXPECT_EQ(CountText(0, "小计"), 2);
}

TEST_F(EngineFixture, RowCountBandsAndLineNumbers) {
  auto* md = AddBand<TfrxMasterData>("MasterData1", 100, 20);
  md->SetRowCount(3);
  AddMemo(md, "L", "行[Line]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(Texts(0), (std::vector<String>{"行1", "行2", "行3"}));
}

TEST_F(EngineFixture, KeepTogetherMovesTheWholeRecordBlock) {
  MakeData(3);
  Page->SetPaperHeight(20 + 120 / fr01cm);  // 120 units of printable height
  auto* md = AddMaster(0, 30);
  md->KeepTogether = true;
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  auto* detail = AddBand<TfrxDetailData>("Detail1", 60, 50);
  detail->SetRowCount(1);
  AddMemo(detail, "D", "明细[Items.\"I_ID\"]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  // Record 1 with its detail takes 80; record 2's master still fits below
  // it, its detail does not: the block moves to the next page whole.
  ASSERT_GE(Pages()->GetPageCount(), 2);
  EXPECT_TRUE(HasText(0, "商品1"));
  EXPECT_TRUE(HasText(0, "明细1"));
  EXPECT_FALSE(HasText(0, "商品2"));
  EXPECT_TRUE(HasText(1, "商品2"));
  EXPECT_TRUE(HasText(1, "明细2"));
}

TEST_F(EngineFixture, MasterWithoutDetailRecordsPrintsNothingForIt) {
  MakeData(2);
  Lines = std::make_unique<TADOQuery>();
  Lines->SetConnection(Conn.get());
  Lines->SQL()->SetText("SELECT * FROM Lines");
  Lines->Open();
  LinesData = std::make_unique<TfrxDBDataset>();
  LinesData->SetName("Lines");
  LinesData->SetDataSet(Lines.get());
  Report->DataSets()->Add(LinesData.get());
  auto* md = AddMaster(100, 20);
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  auto* dd = AddBand<TfrxDetailData>("Detail1", 150, 20);
  dd->SetDataSet(LinesData.get());
  AddMemo(dd, "D", "[Lines.\"L_Text\"]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(CountText(0, "商品"), 0);
  static_cast<TfrxMasterData*>(Report->FindObject("MasterData1"))->PrintIfDetailEmpty = true;
  ASSERT_TRUE(Report->PrepareReport());
  EXPECT_EQ(CountText(0, "商品"), 2);
}

TEST_F(EngineFixture, PageColumnsReprintTheColumnHeader) {
  MakeData(30);
  Page->SetPaperHeight(20 + 100 / fr01cm);  // 100 units: header 20 + 4 rows of 20
  Page->SetColumns(3);
  auto* ch = AddBand<TfrxColumnHeader>("ColumnHeader1", 0, 20);
  AddMemo(ch, "CH", "列头", 0, 50);
  auto* md = AddMaster(50, 20);
  AddMemo(md, "Name", "[Items.\"I_Name\"]", 0, 50);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  // 4 rows a column, 3 columns a page: 12 rows a page.
  ASSERT_EQ(Pages()->GetPageCount(), 3);
  EXPECT_EQ(CountText(0, "列头"), 3);
  EXPECT_EQ(CountText(0, "商品"), 12);
  TfrxComponent* p = Pages()->GetPage(0);
  // The fifth row starts the second column at the column's position.
  std::vector<TfrxComponent*> rows;
  TList* objs = p->Objects();
  for (Integer i = 0; i < objs->Count(); ++i)
    if (frxIsKindOf(static_cast<TObject*>(objs->Items(i)), "TfrxMasterData")) rows.push_back(static_cast<TfrxComponent*>(objs->Items(i)));
  ASSERT_GE(rows.size(), 5u);
  EXPECT_NEAR(rows[4]->Left(), (210 - 20) / 3.0 * fr01cm, 0.01);
  EXPECT_NEAR(rows[4]->Top(), 20, 0.01);
}

TEST_F(EngineFixture, AnObjectTallerThanAPageIsPlacedClipped) {
  Page->SetPaperHeight(20 + 100 / fr01cm);
  auto* md = AddBand<TfrxMasterData>("MasterData1", 0, 250);
  md->SetRowCount(1);
  auto* shape = new TfrxShapeView(md);
  shape->SetName("Big");
  shape->SetBounds(0, 0, 100, 250);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_GE(Pages()->GetPageCount(), 1);
  EXPECT_LE(Pages()->GetPageCount(), 3);
}

TEST_F(EngineFixture, StretchedMemosPushObjectsBelowThem) {
  auto* md = AddBand<TfrxMasterData>("MasterData1", 0, 60);
  md->SetRowCount(1);
  md->Stretched = true;
  auto* m = AddMemo(md, "Long", "一\n二\n三\n四\n五", 0, 100, 20);
  m->SetStretchMode(smActualHeight);
  auto* below = AddMemo(md, "Below", "下", 0, 100, 20);
  below->SetTop(30);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  TfrxComponent* p = Pages()->GetPage(0);
  auto* bm = static_cast<TfrxComponent*>(p->FindObject("Below"));
  auto* lm = static_cast<TfrxComponent*>(p->FindObject("Long"));
  ASSERT_TRUE(bm && lm);
  EXPECT_NEAR(bm->Top(), 30 + (lm->Height() - 20), 0.01);
  EXPECT_NEAR(bm->Parent()->Height(), bm->Top() + 20, 0.01);
}

}  // namespace

namespace {

TEST_F(EngineFixture, NestedGroupsCloseInnerFirstWithThePreviousRecord) {
  MakeData(4, 2);  // I_Grp 1,1,2,2
  auto* g1 = AddBand<TfrxGroupHeader>("G1", 10, 20);
  g1->Condition = "Items.\"I_Grp\"";
  AddMemo(g1, "G1Text", "H1:[Items.\"I_Grp\"]");
  auto* g2 = AddBand<TfrxGroupHeader>("G2", 40, 20);
  g2->Condition = "<Items.\"I_ID\"> div 2";  // 0,1,1,2: breaks inside G1 too
  AddMemo(g2, "G2Text", "H2:[Items.\"I_ID\"]");
  auto* md = AddMaster(100, 20);
  AddMemo(md, "Name", "R:[Items.\"I_ID\"]");
  auto* f2 = AddBand<TfrxGroupFooter>("F2", 150, 20);
  AddMemo(f2, "F2Text", "F2:[Items.\"I_ID\"]");
  auto* f1 = AddBand<TfrxGroupFooter>("F1", 200, 20);
  AddMemo(f1, "F1Text", "F1:[Items.\"I_ID\"]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(Texts(0), (std::vector<String>{"H1:1", "H2:1", "R:1", "F2:1", "H2:2", "R:2", "F2:2", "F1:2", "H1:2",
                                           "H2:3", "R:3", "F2:3", "H2:4", "R:4", "F2:4", "F1:4"}));
}

TEST_F(EngineFixture, DrillDownGroupsShowOnlyTheirHeadersUntilExpanded) {
  MakeData(4, 2);
  auto* gh = AddBand<TfrxGroupHeader>("GroupHeader1", 10, 20);
  gh->Condition = "Items.\"I_Grp\"";
  gh->DrillDown = true;
  AddMemo(gh, "G", "组[Items.\"I_Grp\"]");
  auto* md = AddMaster(100, 20);
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  auto* gf = AddBand<TfrxGroupFooter>("GroupFooter1", 150, 20);
  AddMemo(gf, "F", "尾[Items.\"I_Grp\"]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(Texts(0), (std::vector<String>{"组1", "组2"}));
  // The printed header carries its running line number for the preview.
  TfrxXMLItem* page = Pages()->XML()->Root()->FindItem("previewpages")->Items(0);
  EXPECT_EQ(page->Items(1)->GetProp("Tag"), "2");
  Report->DrillState()->Add("GroupHeader1.2");
  ASSERT_TRUE(Report->PrepareReport());
  EXPECT_EQ(Texts(0), (std::vector<String>{"组1", "组2", "商品3", "商品4", "尾2"}));
}

TEST_F(EngineFixture, HeadersReprintedOnNewPagesAndTwoColumnRows) {
  MakeData(60);
  auto* h = AddBand<TfrxHeader>("Header1", 50, 20);
  h->ReprintOnNewPage = true;
  AddMemo(h, "HT", "表头");
  auto* md = AddMaster(100, 20);
  AddMemo(md, "Name", "[Items.\"I_Name\"]", 0, 100);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 2);
  EXPECT_EQ(Texts(0).front(), "表头");
  EXPECT_EQ(Texts(1).front(), "表头");

  // Two records side by side: 60 rows in 30 rows of two.
  auto* band = static_cast<TfrxDataBand*>(Report->FindObject("MasterData1"));
  band->Columns = 2;
  band->ColumnWidth = 150;
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 1);
  TfrxComponent* p = Pages()->GetPage(0);
  auto* r1 = p->FindObject("Name");
  ASSERT_TRUE(r1);
  std::vector<TfrxComponent*> rows;
  for (Integer i = 0; i < p->Objects()->Count(); ++i)
    if (frxIsKindOf(static_cast<TObject*>(p->Objects()->Items(i)), "TfrxMasterData"))
      rows.push_back(static_cast<TfrxComponent*>(p->Objects()->Items(i)));
  ASSERT_EQ(rows.size(), 60u);
  EXPECT_NEAR(rows[0]->Top(), rows[1]->Top(), 0.01);
  EXPECT_NEAR(rows[1]->Left() - rows[0]->Left(), 150, 0.01);
  EXPECT_NEAR(rows[2]->Top() - rows[0]->Top(), 20, 0.01);
}

TEST_F(EngineFixture, StartNewPageBreaksBeforeEveryRecordButTheFirst) {
  MakeData(3);
  auto* md = AddMaster(100, 20);
  md->StartNewPage = true;
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 3);
  EXPECT_EQ(Texts(2), (std::vector<String>{"商品3"}));
}

}  // namespace

namespace {

TEST_F(EngineFixture, VerticalColumnsPrintAsSlicesOnPagesAcross) {
  Page->SetPaperWidth(20 + 700 / fr01cm);  // 700 units wide
  auto* vh = AddBand<TfrxHeader>("VHeader", 0, 0);
  vh->Vertical = true;
  vh->SetLeft(0);
  vh->SetWidth(100);
  auto* vd = AddBand<TfrxMasterData>("VData", 0, 0);
  vd->Vertical = true;
  vd->SetLeft(100);
  vd->SetWidth(100);
  vd->SetRowCount(12);
  auto* row = AddBand<TfrxMasterData>("Rows", 100, 20);
  row->SetRowCount(2);
  AddMemo(row, "Head", "头", 0, 100);
  AddMemo(row, "Cell", "[Line]", 100, 100);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 2);
  EXPECT_EQ(Texts(0), (std::vector<String>{"头", "1", "2", "3", "4", "5", "6", "头", "1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(Texts(1),
            (std::vector<String>{"头", "7", "8", "9", "10", "11", "12", "头", "7", "8", "9", "10", "11", "12"}));
  TfrxComponent* p = Pages()->GetPage(1);
  TList* all = p->AllObjects();
  Extended lastLeft = -1;
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(all->Items(i));
    if (auto* m = dynamic_cast<TfrxCustomMemoView*>(c); m && m->TextUtf8() == "12") lastLeft = m->Left();
  }
  EXPECT_NEAR(lastLeft, 600, 0.01);
}

TEST_F(EngineFixture, SubreportsPrintBesideAndOnTheirParentBand) {
  auto* md = AddBand<TfrxMasterData>("MasterData1", 100, 40);
  md->SetRowCount(1);
  AddMemo(md, "Own", "主");
  auto* sub = new TfrxSubreport(md);
  sub->SetName("Sub");
  sub->SetBounds(300, 0, 200, 40);
  auto* page2 = new TfrxReportPage(Report.get());
  page2->SetName("Page2");
  sub->SetPage(page2);
  auto* inner = new TfrxMasterData(page2);
  inner->SetName("Inner");
  inner->SetTop(10);
  inner->SetHeight(20);
  inner->SetRowCount(3);
  auto* im = new TfrxMemoView(inner);
  im->SetName("InnerText");
  im->SetBounds(0, 0, 100, 18);
  im->SetTextUtf8("子[Line]");
  auto* after = AddBand<TfrxMasterData>("After", 300, 20);
  after->SetRowCount(1);
  AddMemo(after, "AfterText", "后");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 1);
  EXPECT_EQ(Texts(0), (std::vector<String>{"主", "子1", "子2", "子3", "后"}));
  // The band after the subreport continues below the subreport's end.
  TfrxComponent* p = Pages()->GetPage(0);
  auto* afterBand = p->FindObject("AfterText")->Parent();
  EXPECT_NEAR(afterBand->Top(), 60, 0.01);

  static_cast<TfrxSubreport*>(Report->FindObject("Sub"))->PrintOnParent = true;
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(Texts(0), (std::vector<String>{"主", "子1", "子2", "子3", "后"}));
  // Merged into the parent band: one band holds them all.
  p = Pages()->GetPage(0);
  Integer bands = 0;
  for (Integer i = 0; i < p->Objects()->Count(); ++i) bands += frxIsKindOf(static_cast<TObject*>(p->Objects()->Items(i)), "TfrxBand");
  EXPECT_EQ(bands, 2);
}

}  // namespace

namespace {

TEST_F(EngineFixture, KeepFooterTakesTheLastRecordAlongAndOutOfThePageTotal) {
  MakeData(5);
  Page->SetPaperHeight(20 + 125 / fr01cm);  // 125 units: a footer of 20 and five rows of 20
  auto* pf = AddBand<TfrxPageFooter>("PageFooter1", 500, 20);
  AddMemo(pf, "PageSum", "页计[SUM(<Items.\"I_Amount\">,MasterData1)]");
  auto* md = AddMaster(100, 20);
  md->KeepFooter = true;
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  auto* f = AddBand<TfrxFooter>("Footer1", 150, 20);
  AddMemo(f, "Total", "合计");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 2);
  EXPECT_EQ(Texts(0), (std::vector<String>{"商品1", "商品2", "商品3", "商品4", "页计10"}));
  EXPECT_EQ(Texts(1), (std::vector<String>{"商品5", "合计", "页计5"}));
}

TEST_F(EngineFixture, EndlessPagesGrowAndPagesContinueOnThePreviousOne) {
  Page->EndlessHeight = true;
  auto* md = AddBand<TfrxMasterData>("MasterData1", 100, 20);
  md->SetRowCount(100);
  AddMemo(md, "L", "[Line]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 1);
  EXPECT_NEAR(Pages()->GetPageSize(0).Bottom, std::nearbyint(20 * fr01cm + 2000), 1);

  auto* page = static_cast<TfrxReportPage*>(Report->FindObject("Page1"));
  page->EndlessHeight = false;
  static_cast<TfrxDataBand*>(Report->FindObject("MasterData1"))->SetRowCount(3);
  auto* second = new TfrxReportPage(Report.get());
  second->SetName("Page2");
  second->PrintOnPreviousPage = true;
  auto* more = new TfrxMasterData(second);
  more->SetName("More");
  more->SetTop(100);
  more->SetHeight(20);
  more->SetRowCount(2);
  AddMemo(more, "M", "续[Line]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 1);
  EXPECT_EQ(Texts(0), (std::vector<String>{"1", "2", "3", "续1", "续2"}));
  EXPECT_NEAR(Pages()->GetPage(0)->FindObject("M")->Parent()->Top(), 60, 0.01);
}

}  // namespace

namespace {

TEST_F(EngineFixture, DrawnPagesShowTheTotalPageCount) {
  MakeData(100);
  auto* pf = AddBand<TfrxPageFooter>("PageFooter1", 500, 30);
  auto* foot = AddMemo(pf, "Foot", "第[Page#]页 共[TotalPages#]页");
  foot->Frame()->SetTyp(TfrxFrameTypes{ftTop});
  auto* md = AddMaster(100, 20);
  AddMemo(md, "Name", "[Items.\"I_Name\"]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 2);
  TBitmap bmp(800, 1130, pf24bit);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(TRect(0, 0, 800, 1130));
  Pages()->DrawPage(1, bmp.Canvas(), 1, 1, 0, 0);
  auto* m = static_cast<TfrxCustomMemoView*>(Pages()->GetPage(1)->FindObject("Foot"));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->TextUtf8(), "第2页 共2页");
  // The footer's top rule lies at the footer's top on the paper.
  const Integer y = Integer(std::nearbyint(10 * fr01cm + m->AbsTop()));
  EXPECT_EQ(bmp.Canvas()->Pixels(Integer(10 * fr01cm) + 50, y), clBlack);
  // Text was drawn in the first row's box.
  bool ink = false;
  for (Integer x = 40; x < 140 && !ink; ++x)
    for (Integer yy = 40; yy < 56 && !ink; ++yy) ink = bmp.Canvas()->Pixels(x, yy) != clWhite;
  EXPECT_TRUE(ink);
  TPNGObject png;
  png.Assign(&bmp);
  png.SaveToFile(String(TOVANI_TEST_BINARY_DIR) + "/prepared-page-2.png");
}

}  // namespace

namespace {

TEST_F(EngineFixture, AHeaderTallerThanThePageDoesNotStartPagesForever) {
  Page->SetPaperHeight(20 + 100 / fr01cm);
  auto* ph = AddBand<TfrxPageHeader>("PageHeader1", 0, 150);
  AddMemo(ph, "Head", "高表头");
  auto* md = AddBand<TfrxMasterData>("MasterData1", 200, 20);
  md->SetRowCount(10);
  AddMemo(md, "L", "[Line]");
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_GE(Pages()->GetPageCount(), 10);
  EXPECT_LE(Pages()->GetPageCount(), 11);
}

}  // namespace

namespace {

TEST_F(EngineFixture, StopReportEndsTheRunWithThePagesBuiltSoFar) {
  auto* md = AddBand<TfrxMasterData>("MasterData1", 100, 20);
  md->SetRowCount(1000);
  AddMemo(md, "L", "[Line]");
  Integer seen = 0;
  Report->OnBeforePrint = [&](TfrxReportComponent* c) {
    if (c->Name() == "MasterData1" && ++seen == 60) Report->Engine()->StopReport();
  };
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_EQ(Pages()->GetPageCount(), 2);  // 52 rows a page
  EXPECT_EQ(Texts(1).back(), "60");
}

}  // namespace

namespace {

// Templates that would never end: a subreport showing the page it is on,
// two subreport pages showing each other, a data band of no height over
// two thousand million rows. Each ends the run with an error naming it.
TEST_F(EngineFixture, EndlessTemplatesEndWithAnError) {
  auto subreportPage = [&](const String& Name) {
    auto* p = new TfrxReportPage(Report.get());
    p->SetName(Name);
    auto* b = new TfrxMasterData(p);
    b->SetName(Name + "Data");
    b->SetTop(10);
    b->SetHeight(20);
    b->SetRowCount(1);
    return p;
  };
  auto addSubreport = [](TfrxReportPage* On, const String& Name, TfrxReportPage* Shows) {
    auto* s = new TfrxSubreport(static_cast<TfrxComponent*>(On->FindObject(On->Name() + "Data")));
    s->SetName(Name);
    s->SetBounds(0, 0, 100, 20);
    s->SetPage(Shows);
  };
  auto mainSubreport = [&](TfrxReportPage* Shows) {
    auto* md = AddBand<TfrxMasterData>("MasterData1", 100, 40);
    md->SetRowCount(1);
    auto* s = new TfrxSubreport(md);
    s->SetName("Sub");
    s->SetBounds(0, 0, 100, 20);
    s->SetPage(Shows);
  };
  struct TCase {
    const char* What;
    std::function<void()> Build;
    String Expected;
  } cases[] = {
      {"a subreport showing its own page",
       [&] {
         auto* p2 = subreportPage("Page2");
         mainSubreport(p2);
         addSubreport(p2, "Self", p2);
       },
       "Page2"},
      {"two pages showing each other",
       [&] {
         auto* p2 = subreportPage("Page2");
         auto* p3 = subreportPage("Page3");
         mainSubreport(p2);
         addSubreport(p2, "To3", p3);
         addSubreport(p3, "To2", p2);
       },
       "Page2"},
      {"a band of no height over RowCount 2147483647",
       [&] {
         auto* md = AddBand<TfrxMasterData>("Endless", 100, 0);
         md->SetRowCount(2147483647);
       },
       "Endless"},
  };
  for (auto& c : cases) {
    Report.reset();
    SetUp();
    c.Build();
    EXPECT_FALSE(Report->PrepareReport()) << c.What;
    EXPECT_NE(Report->Errors()->Text().find(c.Expected), String::npos) << c.What << ": " << Report->Errors()->Text();
  }

  // Bands of no height with an end are no error.
  Report.reset();
  SetUp();
  AddBand<TfrxMasterData>("Short", 100, 0)->SetRowCount(2000);
  EXPECT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
}

}  // namespace

namespace {

// A memo of 100,000 characters stretched over pages: the parts on the pages
// put together give the whole text, also after the prepared pages were
// saved and loaded again.
TEST_F(EngineFixture, ALongMemoSplitOverPagesKeepsEveryCharacter) {
  String text;
  for (Integer i = 0; text.size() < 100000 * 2; ++i) {
    text += i % 7 == 6 ? "订单备注" : "Order " + std::to_string(i) + " 数量";
    if (i % 500 == 499) text += "\n";
  }
  auto* md = AddBand<TfrxMasterData>("MasterData1", 100, 20);
  md->SetRowCount(1);
  md->Stretched = true;
  md->AllowSplit = true;
  AddMemo(md, "Long", text, 0, 400, 20)->SetStretchMode(smActualHeight);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  ASSERT_GT(Pages()->GetPageCount(), 10);
  auto joined = [&] {
    String all;
    for (Integer p = 0; p < Pages()->GetPageCount(); ++p)
      for (const String& s : Texts(p)) all += s;
    all.erase(std::remove_if(all.begin(), all.end(), [](char c) { return c == '\r' || c == '\n'; }), all.end());
    return all;
  };
  String expected = text;
  expected.erase(std::remove(expected.begin(), expected.end(), '\n'), expected.end());
  EXPECT_EQ(joined(), expected);
  TMemoryStream saved;
  Pages()->SaveToStream(&saved);
  saved.SetPosition(0);
  Pages()->LoadFromStream(&saved);
  EXPECT_EQ(joined(), expected);
  // The template is as it was: a second run gives the same pages.
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(joined(), expected);
  static_cast<TfrxMemoView*>(Report->FindObject("Long"))->SetTextUtf8(text + text);
  ASSERT_TRUE(Report->PrepareReport()) << Report->Errors()->Text();
  EXPECT_EQ(joined(), expected + expected);
}

}  // namespace
