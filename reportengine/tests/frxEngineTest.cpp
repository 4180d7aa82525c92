// The report engine over a real SQLite query: pages with headers and
// footers, double pass, checks of the band tree and datasets, groups with
// totals, master/detail, keep-together, columns, splitting, and the
// prepared pages read back as page objects.
#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ADODB.h"
#include "Strings.h"
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
