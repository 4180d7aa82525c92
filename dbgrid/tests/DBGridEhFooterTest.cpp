// Footers and the grid's sum list, column default values and scaling.
#include <functional>
#include <memory>

#include "DBEhTestSupport.h"
#include "DBGridEh.h"
#include "Forms.h"
#include "ImgList.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

class TScalableGrid : public TDBGridEh {
 public:
  using TDBGridEh::TDBGridEh;
  using TDBGridEh::ChangeScale;
};

class FooterFixture : public GridFormFixture<TScalableGrid> {
 protected:
  void SetUp() override { MakeGrid({{"Qty", ftInteger}, {"Price", ftFloat}, {"Name", ftString, 20}}, 400, 260); }
  void Add(Variant qty, double price, const String& name) {
    Data->AppendRecord({qty, Variant(price), Variant(name)});
  }
  // A grid showing Qty, Price, Name with the sum list on.
  void Bind() {
    Grid->SumList()->SetActive(true);
    Grid->SetDataSource(Source.get());
    Data->First();
  }
  TColumnEh* Col(const String& name) { return Grid->ColumnByFieldName(name); }
};

TEST_F(FooterFixture, FooterTextsByValueType) {
  Add(Variant(1), 1.5, "一");
  Add(Variant(2), 2.25, "二");
  Add(Variant(4), 0.25, "三");
  Bind();
  struct Case {
    const char* field;
    TFooterValueType type;
    const char* format;
    const char* footerField;
    const char* expected;
  } cases[] = {
      {"Qty", fvtSum, "", "", "7"},
      {"Qty", fvtAvg, "", "", "2"},          // 2.3333 shown as an integer
      {"Qty", fvtAvg, "0.00", "", "2.33"},
      {"Price", fvtSum, "", "", "4"},
      {"Price", fvtAvg, "0.000", "", "1.333"},
      {"Name", fvtSum, "", "", "0"},          // no sum of texts
      {"Name", fvtCount, "", "", "3"},
      {"Name", fvtCount, "共 # 条", "", "共 3 条"},
      {"Name", fvtSum, "", "qty", "7"},       // the footer's own field, any case
      {"Name", fvtFieldValue, "", "Name", "一"},
      {"Price", fvtFieldValue, "0.00", "Price", "1.50"},
  };
  for (const Case& c : cases) {
    TColumnFooterEh* f = Col(c.field)->Footer();
    f->SetFieldName(c.footerField);
    f->SetDisplayFormat(c.format);
    f->SetValueType(c.type);
    EXPECT_EQ(Grid->GetFooterValue(0, Col(c.field)), c.expected) << c.field << " " << int(c.type) << " " << c.format;
    f->SetValueType(fvtNon);
  }
  TColumnFooterEh* f = Col("Name")->Footer();
  f->SetValueType(fvtStaticText);
  f->SetValue("合计");
  EXPECT_EQ(Grid->GetFooterValue(0, Col("Name")), "合计");
  // Persistent columns outlive the closing of their dataset.
  Grid->Columns()->RebuildColumns();
  f = Col("Name")->Footer();
  f->SetFieldName("Name");
  f->SetValueType(fvtFieldValue);
  EXPECT_EQ(Grid->GetFooterValue(0, Col("Name")), "一");
  Data->Close();
  EXPECT_EQ(Grid->GetFooterValue(0, Col("Name")), "");
}

TEST_F(FooterFixture, IntegerSumsDoNotWrapAt32Bits) {
  for (int i = 0; i < 3; ++i) Add(Variant(2000000000), 0, "x");
  Bind();
  Col("Qty")->Footer()->SetValueType(fvtSum);
  EXPECT_EQ(Grid->GetFooterValue(0, Col("Qty")), "6000000000");
}

TEST_F(FooterFixture, SumItemsFollowTheValueTypeAndTheData) {
  Add(Variant(3), 0, "a");
  Bind();
  TDBSumCollection* sums = Grid->SumList()->SumCollection();
  TColumnFooterEh* f = Col("Qty")->Footer();
  f->SetValueType(fvtSum);
  ASSERT_EQ(sums->Count(), 1);
  EXPECT_EQ(sums->GetSumItem(0)->FieldName(), "Qty");
  f->SetValueType(fvtCount);
  ASSERT_EQ(sums->Count(), 1);
  EXPECT_EQ(sums->GetSumItem(0)->GroupOperation(), goCount);
  EXPECT_EQ(sums->GetSumItem(0)->FieldName(), "");
  f->SetValueType(fvtSum);
  // Posting a record keeps the sum current.
  Add(Variant(5), 0, "b");
  EXPECT_EQ(Grid->GetFooterValue(0, Col("Qty")), "8");
  Data->Edit();
  Data->FieldByName("Qty")->SetAsInteger(10);
  Data->Post();
  EXPECT_EQ(Grid->GetFooterValue(0, Col("Qty")), "13");
  // A static text needs no aggregate.
  f->SetValueType(fvtStaticText);
  EXPECT_EQ(sums->Count(), 0);
  // Freeing a column frees its footers' aggregates.
  Col("Price")->Footer()->SetValueType(fvtAvg);
  EXPECT_EQ(sums->Count(), 1);
  Grid->Columns()->Clear();
  EXPECT_EQ(sums->Count(), 0);
}

TEST_F(FooterFixture, FooterRowsUseFootersThenFooter) {
  Add(Variant(1), 2, "a");
  Add(Variant(2), 3, "b");
  Bind();
  TColumnEh* qty = Col("Qty");
  TColumnFooterEh* item = qty->Footers()->Add();
  item->SetValueType(fvtStaticText);
  item->SetValue("合计:");
  qty->Footer()->SetValueType(fvtSum);
  EXPECT_EQ(qty->GetFooterForRow(0), item);
  EXPECT_EQ(qty->GetFooterForRow(1), qty->Footer());
  Grid->SetFooterRowCount(2);
  Grid->SetFooterColor(TColor(RGB(255, 240, 200)));
  Grid->SetOptionsEh(Grid->OptionsEh() - dghFooter3D);
  PumpMessages();
  EXPECT_EQ(Grid->ContraRowCount(), 2);
  EXPECT_EQ(Grid->GetFooterValue(1, qty), "3");
  WriteWindowPng(Grid, "dbgrid_footers");
  // The footer rows are painted in the footer colour below the data rows.
  Integer firstFooter = Grid->RowCount();
  TRect r = Grid->CellClientRect(1 + 2, firstFooter + 1);
  EXPECT_EQ(ClientPixel(Grid, r.Right - 3, r.Bottom - 3), COLORREF(RGB(255, 240, 200)));
  // Dropping the footer rows removes them at once.
  Grid->SetFooterRowCount(0);
  EXPECT_EQ(Grid->ContraRowCount(), 0);
}

TEST_F(FooterFixture, ColumnDefaultsAreInherited) {
  Add(Variant(1), 2, "a");
  Bind();
  TColumnDefValuesEh* defs = Grid->ColumnDefValues();
  Col("Price")->SetLayout(tlBottom);
  defs->SetLayout(tlCenter);
  EXPECT_EQ(Col("Qty")->Layout(), tlCenter);
  EXPECT_EQ(Col("Price")->Layout(), tlBottom);
  // Title colours follow the grid's fixed colour until assigned.
  Grid->SetFixedColor(clYellow);
  EXPECT_EQ(Col("Qty")->Title()->Color(), clYellow);
  defs->Title()->SetColor(clRed);
  EXPECT_EQ(Col("Qty")->Title()->Color(), clRed);
  defs->Footer()->SetToolTips(true);
  EXPECT_TRUE(Col("Qty")->Footer()->ToolTips());
  Col("Name")->Footer()->SetToolTips(false);
  EXPECT_FALSE(Col("Name")->Footer()->ToolTips());
  // Copying defaults leaves the layout, the required mark and the footer.
  TDBGridEh other(nullptr);
  other.ColumnDefValues()->SetHighlightRequired(true);
  other.ColumnDefValues()->SetEndEllipsis(true);
  defs->Assign(other.ColumnDefValues());
  EXPECT_EQ(defs->Layout(), tlCenter);
  EXPECT_FALSE(defs->HighlightRequired());
  EXPECT_TRUE(defs->Footer()->ToolTips());
  EXPECT_TRUE(defs->EndEllipsis());
  EXPECT_TRUE(Col("Name")->EndEllipsis());
}

TEST_F(FooterFixture, ChangeScaleRoundsCumulatively) {
  Grid->BeginLayout();
  for (int i = 0; i < 3; ++i) Grid->Columns()->Add()->SetWidth(5);
  Grid->EndLayout();
  Grid->TitleFont()->SetSize(8);
  Grid->Font()->SetSize(10);
  Grid->ChangeScale(3, 2);
  EXPECT_EQ(Grid->Columns()->Item(0)->Width(), 8);
  EXPECT_EQ(Grid->Columns()->Item(1)->Width(), 7);
  EXPECT_EQ(Grid->Columns()->Item(2)->Width(), 8);
  EXPECT_EQ(Grid->TitleFont()->Size(), 15);   // from the grid font's size
}

}   // namespace

namespace {

// Data cells: cell parameters, check boxes, buttons shown in the cell and
// the mark of a required field left empty.
TEST_F(FooterFixture, DataCellsDrawTheirKinds) {
  Data->FieldByName("Name")->SetRequired(true);
  Add(Variant(1), 2.5, "a");
  Add(Variant(0), 3.5, "b");
  Bind();
  Grid->Columns()->RebuildColumns();
  TColumnEh* qty = Col("Qty");
  qty->SetCheckboxes(true);
  TColumnEh* price = Col("Price");
  price->SetAlwaysShowEditButton(true);
  price->SetButtonStyle(cbsEllipsis);
  TColumnEh* name = Col("Name");
  name->SetHighlightRequired(true);
  Grid->OnGetCellParams = [&](TObject*, TColumnEh* c, TFont*, TColor& bg, TGridDrawState) {
    if (c == price) bg = TColor(RGB(200, 220, 255));
  };
  Data->Last();
  Data->Edit();
  Data->FieldByName("Name")->Clear();
  Grid->Invalidate();
  PumpMessages();
  WriteWindowPng(Grid, "dbgrid_cellkinds");
  auto count = [&](TRect r, auto pred) {
    int n = 0;
    for (int x = r.Left; x < r.Right; ++x)
      for (int y = r.Top; y < r.Bottom; ++y) n += pred(ClientPixel(Grid, x, y)) ? 1 : 0;
    return n;
  };
  // A check box: dark frame pixels in the middle of the cell.
  TRect box = Grid->CellClientRect(1, 1);
  Integer cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
  EXPECT_GT(count(TRect(cx - 7, cy - 7, cx + 7, cy + 7),
                  [](COLORREF p) { return GetRValue(p) < 140 && GetGValue(p) < 140 && GetBValue(p) < 140; }),
            8);
  // The first record's price cell takes its colour from OnGetCellParams,
  // and its ellipsis button sits at the right in the button face.
  TRect pr = Grid->CellClientRect(2, 1);
  EXPECT_EQ(ClientPixel(Grid, pr.Left + 3, pr.Bottom - 2), COLORREF(RGB(200, 220, 255)));
  EXPECT_NE(ClientPixel(Grid, pr.Right - 3, pr.Top + 3), COLORREF(RGB(200, 220, 255)));
  // The required field emptied in the edited record is marked in red.
  TRect nr = Grid->CellClientRect(3, 2);
  EXPECT_GT(count(TRect(nr.Left, nr.Bottom - 3, nr.Right, nr.Bottom),
                  [](COLORREF p) { return p == RGB(255, 0, 0); }),
            3);
  Data->Cancel();
}

}   // namespace

namespace {

// A list of solid 8 x 8 images, one per colour.
std::unique_ptr<TImageList> SolidImages(std::initializer_list<TColor> Colors) {
  auto list = std::make_unique<TImageList>();
  list->SetSize(8, 8);
  for (TColor c : Colors) {
    TBitmap b;
    b.SetWidth(8);
    b.SetHeight(8);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect(TRect(0, 0, 8, 8));
    list->Add(&b, nullptr);
  }
  return list;
}

int CountPixels(TWinControl* W, TRect R, const std::function<bool(COLORREF)>& Pred) {
  int n = 0;
  for (int x = R.Left; x < R.Right; ++x)
    for (int y = R.Top; y < R.Bottom; ++y) n += Pred(ClientPixel(W, x, y)) ? 1 : 0;
  return n;
}

bool IsRed(COLORREF p) { return GetRValue(p) > 200 && GetGValue(p) < 60 && GetBValue(p) < 60; }
bool IsBlue(COLORREF p) { return GetBValue(p) > 200 && GetRValue(p) < 60 && GetGValue(p) < 60; }
bool IsDark(COLORREF p) { return GetRValue(p) < 100 && GetGValue(p) < 100 && GetBValue(p) < 100; }

}  // namespace

TEST_F(FooterFixture, ImagesInCellsAndTitlesAndHiddenDuplicates) {
  Add(Variant(1), 1, "同");
  Add(Variant(0), 1, "同");
  Add(Variant(1), 1, "同");
  Add(Variant(5), 1, "异");
  Bind();
  Grid->Columns()->RebuildColumns();
  auto images = SolidImages({clRed, clBlue});
  TColumnEh* qty = Col("Qty");
  qty->SetImageList(images.get());   // whole-number values are the image indexes; 5 has none
  EXPECT_EQ(qty->GetCellKind(), cckImage);
  TColumnEh* price = Col("Price");
  price->SetImageList(images.get());
  price->SetShowImageAndText(true);
  Grid->SetTitleImages(images.get());
  Col("Name")->Title()->SetImageIndex(1);
  Col("Name")->SetHideDuplicates(true);
  Data->First();
  Grid->Invalidate();
  PumpMessages();
  WriteWindowPng(Grid, "dbgrid_images");
  Integer q = Grid->DataToRawColumn(qty->Index()), p = Grid->DataToRawColumn(price->Index()),
          n = Grid->DataToRawColumn(Col("Name")->Index());
  Integer top = Grid->TitleOffset();
  EXPECT_GT(CountPixels(Grid, Grid->CellClientRect(q, top), IsBlue), 30);       // value 1
  EXPECT_GT(CountPixels(Grid, Grid->CellClientRect(q, top + 1), IsRed), 30);    // value 0
  EXPECT_EQ(CountPixels(Grid, Grid->CellClientRect(q, top + 3), IsRed) +
                CountPixels(Grid, Grid->CellClientRect(q, top + 3), IsBlue), 0);   // 5: no image
  // Beside its text the price shows the image of its value (1, blue) in a strip.
  TRect pc = Grid->CellClientRect(p, top);
  EXPECT_GT(CountPixels(Grid, TRect(pc.Left, pc.Top, pc.Left + 12, pc.Bottom), IsBlue), 30);
  EXPECT_GT(CountPixels(Grid, TRect(pc.Left + 12, pc.Top, pc.Right, pc.Bottom), IsDark), 0);
  // The title shows its image instead of the caption.
  EXPECT_GT(CountPixels(Grid, Grid->CellClientRect(n, 0), IsBlue), 30);
  // The repeated name is written only in the first of its rows.
  EXPECT_GT(CountPixels(Grid, Grid->CellClientRect(n, top), IsDark), 0);
  EXPECT_EQ(CountPixels(Grid, Grid->CellClientRect(n, top + 1), IsDark), 0);
  EXPECT_EQ(CountPixels(Grid, Grid->CellClientRect(n, top + 2), IsDark), 0);
  EXPECT_GT(CountPixels(Grid, Grid->CellClientRect(n, top + 3), IsDark), 0);
}
