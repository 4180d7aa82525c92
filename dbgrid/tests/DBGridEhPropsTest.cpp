// The grid in form files (its published properties, persistent columns with
// titles and footers), automatic column fitting, column moving and the
// column values inherited from the grid's defaults.
#include <memory>

#include "DBGridEh.h"
#include "DBActns.h"
#include "FormFile.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "Menus.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

const char* const GridForm = R"(object Form1: TForm
  Left = 40
  Top = 40
  Width = 500
  Height = 300
  object DBGridEh1: TDBGridEh
    Left = 0
    Top = 0
    Width = 480
    Height = 260
    ColumnDefValues.Title.TitleButton = True
    FooterRowCount = 1
    Options = [dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs, dgRowSelect, dgConfirmDelete, dgCancelOnExit]
    OptionsEh = [dghFixed3D, dghHighlightFocus, dghClearSelection, dghAutoSortMarking, dghDialogFind]
    ReadOnly = True
    SumList.Active = True
    Columns = <
      item
        FieldName = 'Name'
        Footer.DisplayFormat = #20849' # '#26465
        Footer.ValueType = fvtCount
        Title.Caption = #21517#31216
        Width = 111
      end
      item
        FieldName = 'Qty'
        Footers = <
          item
            ValueType = fvtSum
          end>
        Layout = tlCenter
      end>
  end
end
)";

class PropsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data = std::make_unique<TMemDataSet>();
    Data->FieldDefs().Add("Name", ftString, 20);
    Data->FieldDefs().Add("Qty", ftInteger);
    Data->CreateDataSet();
    for (int i = 1; i <= 3; ++i) Data->AppendRecord({Variant(String("名") + IntToStr(i)), Variant(i * 10)});
    Source = std::make_unique<TDataSource>();
    Source->SetDataSet(Data.get());
    Form.reset(new TForm(nullptr));
  }
  TDBGridEh* LoadForm() {
    ReadComponentFromText(GridForm, Form.get());
    auto* g = dynamic_cast<TDBGridEh*>(Form->FindComponent("DBGridEh1"));
    if (g) g->SetDataSource(Source.get());
    Form->Show();
    PumpMessages();
    return g;
  }
  std::unique_ptr<TMemDataSet> Data;
  std::unique_ptr<TDataSource> Source;
  std::unique_ptr<TForm> Form;
};

TEST_F(PropsFixture, FormTextMakesTheGridWithItsColumnsAndFooters) {
  TDBGridEh* g = LoadForm();
  ASSERT_NE(g, nullptr);
  EXPECT_TRUE(g->ReadOnly());
  EXPECT_TRUE(g->Options().Contains(dgRowSelect));
  EXPECT_FALSE(g->Options().Contains(dgEditing));
  EXPECT_TRUE(g->OptionsEh().Contains(dghAutoSortMarking));
  EXPECT_EQ(g->FooterRowCount(), 1);
  EXPECT_TRUE(g->SumList()->Active());
  ASSERT_EQ(g->Columns()->Count(), 2);
  EXPECT_TRUE(g->Columns()->IsCustomized());
  TColumnEh* name = g->Columns()->Item(0);
  TColumnEh* qty = g->Columns()->Item(1);
  EXPECT_EQ(name->Title()->Caption(), "名称");
  EXPECT_EQ(name->Width(), 111);
  EXPECT_EQ(name->Field(), Data->FieldByName("Name"));
  // The title button comes from the grid's column defaults.
  EXPECT_TRUE(qty->Title()->TitleButton());
  EXPECT_EQ(qty->Layout(), tlCenter);
  EXPECT_EQ(qty->Title()->Caption(), "Qty");
  EXPECT_EQ(g->GetFooterValue(0, name), "共 3 条");
  EXPECT_EQ(g->GetFooterValue(0, qty), "60");
}

TEST_F(PropsFixture, WrittenTextKeepsOnlyWhatDiffersAndReadsBack) {
  TDBGridEh* g = LoadForm();
  ASSERT_NE(g, nullptr);
  // Assigned but equal to the inherited colour: not written.
  g->Columns()->Item(1)->SetColor(g->Color());
  String text = ComponentToText(Form.get());
  EXPECT_NE(text.find("Columns = <"), String::npos) << text;
  EXPECT_NE(text.find("FieldName = 'Qty'"), String::npos) << text;
  EXPECT_NE(text.find("Width = 111"), String::npos) << text;
  EXPECT_NE(text.find("ValueType = fvtSum"), String::npos) << text;
  EXPECT_EQ(text.find("      Color ="), String::npos) << text;
  EXPECT_EQ(text.find("DropDownRows"), String::npos) << text;
  EXPECT_EQ(text.find("        Title.TitleButton"), String::npos) << text;   // only the grid default says so

  std::unique_ptr<TForm> copy(new TForm(nullptr));
  ReadComponentFromText(text, copy.get());
  auto* g2 = dynamic_cast<TDBGridEh*>(copy->FindComponent("DBGridEh1"));
  ASSERT_NE(g2, nullptr);
  ASSERT_EQ(g2->Columns()->Count(), 2);
  EXPECT_EQ(g2->Columns()->Item(0)->Footer()->ValueType(), fvtCount);
  EXPECT_EQ(g2->Columns()->Item(0)->Footer()->DisplayFormat(), "共 # 条");
  EXPECT_EQ(g2->Columns()->Item(1)->Footers()->Count(), 1);
  EXPECT_TRUE(g2->ColumnDefValues()->Title()->TitleButton());
}

TEST_F(PropsFixture, DefaultColumnsAreNotWritten) {
  auto* g = new TDBGridEh(Form.get());
  g->SetName("Plain");
  g->SetParent(Form.get());
  g->SetDataSource(Source.get());
  ASSERT_EQ(g->Columns()->Count(), 2);
  String text = ComponentToText(Form.get());
  EXPECT_EQ(text.find("Columns"), String::npos) << text;
}

TEST_F(PropsFixture, ColumnValuesInheritTheGridDefaultsUntilSet) {
  TDBGridEh* g = LoadForm();
  TColumnEh* c = g->Columns()->Item(0);
  EXPECT_FALSE(c->ToolTips());
  g->ColumnDefValues()->SetToolTips(true);
  g->ColumnDefValues()->SetDblClickNextVal(true);
  g->ColumnDefValues()->SetAlwaysShowEditButton(true);
  EXPECT_TRUE(c->ToolTips());
  EXPECT_TRUE(c->DblClickNextVal());
  EXPECT_TRUE(c->AlwaysShowEditButton());
  c->SetToolTips(false);
  EXPECT_FALSE(c->ToolTips());
  EXPECT_TRUE(g->Columns()->Item(1)->ToolTips());
}

TEST_F(PropsFixture, FittedColumnsFillTheWidthAndGiveBackTheirWidths) {
  TDBGridEh* g = LoadForm();
  TColumnEh* name = g->Columns()->Item(0);
  TColumnEh* qty = g->Columns()->Item(1);
  qty->SetWidth(60);
  qty->SetMaxWidth(80);
  g->SetAutoFitColWidths(true);
  PumpMessages();
  // Lines between the columns and the indicator take their pixels.
  Integer avail = g->ClientWidth() - g->ColWidths(0) - 2 - 1;
  EXPECT_EQ(qty->Width(), 80);   // held back by MaxWidth
  EXPECT_EQ(name->Width() + qty->Width(), avail);
  EXPECT_EQ(g->ScrollBars(), ssNone);
  g->SetAutoFitColWidths(false);
  EXPECT_EQ(name->Width(), 111);
  EXPECT_EQ(qty->Width(), 60);
  EXPECT_EQ(g->ScrollBars(), ssHorizontal);
}

TEST_F(PropsFixture, MovedGridColumnMovesTheColumnAndTellsOfIt) {
  TDBGridEh* g = LoadForm();
  TColumnEh* name = g->Columns()->Item(0);
  Integer from = -1, to = -1;
  g->OnColumnMoved = [&](TObject*, Integer f, Integer t) {
    from = f;
    to = t;
  };
  int widthEvents = 0;
  g->OnColWidthsChanged = [&](TObject*) { ++widthEvents; };
  g->MoveColumn(1, 2);
  EXPECT_EQ(g->Columns()->Item(1), name);
  EXPECT_EQ(from, 0);
  EXPECT_EQ(to, 1);
  EXPECT_EQ(g->ColWidths(2), 111);
  EXPECT_GE(widthEvents, 1);
}

TEST_F(PropsFixture, RowSizingAndMultiSelectSwitches) {
  TDBGridEh* g = LoadForm();
  g->SetRowSizingAllowed(true);
  EXPECT_TRUE(g->GridOptions().Contains(geoRowSizing));
  g->SetOptions(g->Options() + dgMultiSelect);
  EXPECT_TRUE(g->GridOptions().Contains(geoRowSizing));
  Data->First();
  g->SelectedRows()->SetCurrentRowSelected(true);
  EXPECT_EQ(g->SelectedRows()->Count(), 1);
  g->SetOptions(g->Options() - dgMultiSelect);
  EXPECT_EQ(g->SelectedRows()->Count(), 0);
}

TEST_F(PropsFixture, FittingReadFromTheFormTextStartsFromTheStoredWidths) {
  String text = GridForm;
  text.replace(text.find("    FooterRowCount"), 0, "    AutoFitColWidths = True\n");
  ReadComponentFromText(text, Form.get());
  auto* g = dynamic_cast<TDBGridEh*>(Form->FindComponent("DBGridEh1"));
  ASSERT_NE(g, nullptr);
  g->SetDataSource(Source.get());
  Form->Show();
  PumpMessages();
  TColumnEh* name = g->Columns()->Item(0);
  TColumnEh* qty = g->Columns()->Item(1);
  Integer avail = g->ClientWidth() - g->ColWidths(0) - 2 - 1;
  EXPECT_EQ(name->Width() + qty->Width(), avail);
  EXPECT_GT(name->Width(), qty->Width());   // 111 asked against Qty's default width
  g->SetAutoFitColWidths(false);
  EXPECT_EQ(name->Width(), 111);
}

TEST_F(PropsFixture, FilterRowSettingsInTheFormText) {
  String text = GridForm;
  text.replace(text.find("    FooterRowCount"), 0, "    STFilter.Local = True\n    STFilter.Visible = True\n");
  ReadComponentFromText(text, Form.get());
  auto* g = dynamic_cast<TDBGridEh*>(Form->FindComponent("DBGridEh1"));
  ASSERT_NE(g, nullptr);
  g->SetDataSource(Source.get());
  EXPECT_TRUE(g->STFilter()->Visible());
  EXPECT_TRUE(g->STFilter()->Local());
  EXPECT_EQ(g->TitleOffset(), 2);
  g->Columns()->Item(1)->STFilter()->SetVisible(false);
  String written = ComponentToText(Form.get());
  EXPECT_NE(written.find("STFilter.Visible = True"), String::npos) << written;
  EXPECT_NE(written.find("STFilter.Visible = False"), String::npos) << written;   // the column's
  // A typed condition shows as the parser read it.
  g->Columns()->Item(1)->STFilter()->SetEnteredText("in (1,2)");
  EXPECT_EQ(g->Columns()->Item(1)->STFilter()->GetFilterText(), "In (1,2)");
  EXPECT_THROW(g->Columns()->Item(1)->STFilter()->SetEnteredText("> 'x"), Exception);
  EXPECT_EQ(g->Columns()->Item(1)->STFilter()->EnteredText(), "in (1,2)");
}

TEST_F(PropsFixture, LeavingMultiSortMarkingKeepsTheFirstMark) {
  TDBGridEh* g = LoadForm();
  g->SetOptionsEh(g->OptionsEh() + dghMultiSortMarking);
  TColumnEh* name = g->Columns()->Item(0);
  TColumnEh* qty = g->Columns()->Item(1);
  qty->Title()->SetSortMarker(smDownEh);
  name->Title()->SetSortMarker(smUpEh);
  ASSERT_EQ(g->SortMarkedColumns().Count(), 2);
  g->SetOptionsEh(g->OptionsEh() - dghMultiSortMarking);
  ASSERT_EQ(g->SortMarkedColumns().Count(), 1);
  EXPECT_EQ(g->SortMarkedColumns()[0], qty);
  EXPECT_EQ(name->Title()->SortMarker(), smNoneEh);
  EXPECT_EQ(name->Title()->SortIndex(), 0);
}

LPARAM At(Integer X, Integer Y) { return MAKELPARAM(X, Y); }

void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  EndMenu();
}

TEST_F(PropsFixture, DraggedRowHeightBecomesTheRowHeight) {
  TDBGridEh* g = LoadForm();
  g->SetRowSizingAllowed(true);
  g->SetRowLines(1);
  PumpMessages();
  Integer top = g->TitleOffset();
  TRect first = g->CellClientRect(0, top);
  Integer x = (first.Left + first.Right) / 2, y = first.Bottom;
  g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
  g->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(x, y + 12));
  g->Perform(WM_LBUTTONUP, 0, At(x, y + 12));
  EXPECT_EQ(g->RowLines(), 0);
  EXPECT_EQ(g->RowHeight(), first.Height() + 12);
  EXPECT_EQ(g->CellClientRect(1, top + 2).Height(), first.Height() + 12);
}

TEST_F(PropsFixture, DoubleClickOnASizingEdgeFitsTheColumnToItsTexts) {
  Data->First();
  Data->Edit();
  Data->FieldByName("Name")->SetAsString("一个相当长的名字放在这里");
  Data->Post();
  TDBGridEh* g = LoadForm();
  g->SetOptionsEh(g->OptionsEh() + dghDblClickOptimizeColWidth);
  TColumnEh* name = g->Columns()->Item(0);
  TRect title = g->CellClientRect(1, 0);
  g->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, At(title.Right - 1, (title.Top + title.Bottom) / 2));
  g->Perform(WM_LBUTTONUP, 0, At(title.Right - 1, (title.Top + title.Bottom) / 2));
  g->Canvas()->Font()->Assign(name->Font());
  EXPECT_EQ(name->Width(), g->Canvas()->TextWidth("一个相当长的名字放在这里") + 4);
  EXPECT_EQ(Data->RecNo(), 1);   // the view stays where it was
}

TEST_F(PropsFixture, RightClickPopsUpTheColumnsMenu) {
  TDBGridEh* g = LoadForm();
  TPopupMenu menu(Form.get());
  menu.Items()->Add(new TMenuItem(&menu));
  int popups = 0;
  menu.OnPopup = [&](TObject*) {
    ++popups;
    // Closes the menu once its modal loop runs.
    SetTimer(nullptr, 0, 10, CloseMenuSoon);
  };
  g->Columns()->Item(1)->SetPopupMenu(&menu);
  TRect cell = g->CellClientRect(2, g->TitleOffset());
  g->Perform(WM_RBUTTONDOWN, MK_RBUTTON, At(cell.Left + 3, cell.Top + 3));
  LRESULT r = g->Perform(WM_RBUTTONUP, 0, At(cell.Left + 3, cell.Top + 3));
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(menu.PopupComponent(), g);
  TRect other = g->CellClientRect(1, g->TitleOffset());
  g->Perform(WM_RBUTTONUP, 0, At(other.Left + 3, other.Top + 3));
  EXPECT_EQ(popups, 1);
}

TEST_F(PropsFixture, DatasetActionsWithoutASourceActOnTheGridsSource) {
  TDBGridEh* g = LoadForm();
  Data->First();
  TDataSetNext next;
  EXPECT_TRUE(g->UpdateAction(&next));
  EXPECT_TRUE(next.Enabled());
  EXPECT_TRUE(g->ExecuteAction(&next));
  EXPECT_EQ(Data->RecNo(), 2);
  TDataSource other;
  next.SetDataSource(&other);
  EXPECT_FALSE(g->ExecuteAction(&next));
  EXPECT_EQ(Data->RecNo(), 2);
}

}  // namespace

// What a property store keeps of the columns: the column order as one text
// of quoted field names, and widths that respect automatic fitting.
TEST(ColumnStorage, ColumnOrderTextAndRestoredWidths) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  auto* g = new TDBGridEh(form.get());
  g->SetParent(form.get());
  g->SetBounds(0, 0, 400, 200);
  auto names = [&] {
    String s;
    for (Integer i = 0; i < g->Columns()->Count(); ++i) s += g->Columns()->Item(i)->FieldName() + " ";
    return s;
  };
  auto setColumns = [&](std::initializer_list<const char*> fields) {
    g->Columns()->Clear();
    for (const char* f : fields) g->Columns()->Add()->SetFieldName(f);
  };
  std::unique_ptr<TStoragePropertyInterceptor> order(CreateInterceptorForTargetEh(g->Columns()));
  ASSERT_TRUE(order && order->Is<TColumnsEhPropertyInterceptor>());

  setColumns({"ID", "NAME", "PRICE"});
  EXPECT_EQ(GetStrProp(order.get(), "ColumnsIndex"), R"("ID","NAME","PRICE")");
  struct Case {
    const char* text;
    const char* order;
  } cases[] = {
      {R"("PRICE","ID")", "PRICE ID NAME "},
      {R"("NOPE","PRICE","ID")", "PRICE NAME ID "},   // unknown items are skipped, the rest take their places
      {R"("id","PRICE")", "ID PRICE NAME "},          // names compare with their letter case
      {"", "ID NAME PRICE "},
  };
  for (const Case& c : cases) {
    setColumns({"ID", "NAME", "PRICE"});
    SetStrProp(order.get(), "ColumnsIndex", c.text);
    EXPECT_EQ(names(), c.order) << c.text;
  }
  // With two columns of one field only the first found moves.
  setColumns({"A", "B", "B"});
  g->Columns()->Item(2)->Title()->SetCaption("second");
  SetStrProp(order.get(), "ColumnsIndex", R"("B")");
  EXPECT_EQ(names(), "B A B ");
  EXPECT_EQ(g->Columns()->Item(2)->Title()->Caption(), "second");
  // A name with a quote reads back as written.
  setColumns({"A", R"(say "hi")"});
  String text = GetStrProp(order.get(), "ColumnsIndex");
  setColumns({"A", R"(say "hi")"});
  g->Columns()->Item(1)->SetIndex(0);
  SetStrProp(order.get(), "ColumnsIndex", text);
  EXPECT_EQ(names(), R"(A say "hi" )");

  // A restored width is the pre-fit width while the grid fits its columns.
  setColumns({"ID", "NAME"});
  TColumnEh* id = g->Columns()->Item(0);
  std::unique_ptr<TStoragePropertyInterceptor> width(CreateInterceptorForTargetEh(id));
  ASSERT_TRUE(width && width->Is<TColumnEhPropertyInterceptor>());
  SetOrdProp(width.get(), "Width", 120);
  EXPECT_EQ(id->Width(), 120);
  g->SetAutoFitColWidths(true);
  SetOrdProp(width.get(), "Width", 300);
  EXPECT_EQ(id->PreFitWidth(), 300);
  g->SetAutoFitColWidths(false);
  EXPECT_EQ(id->Width(), 300);
}
