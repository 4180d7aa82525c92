// The in-cell editor's drop-downs: pick lists and key lists completed as
// typed and chosen by keys, the lookup grid over a list dataset, the
// calendar, the up-down buttons, pasting into list columns and the list of
// recent texts; and the column's drop-down box.
#include <memory>

#include "Clipbrd.h"
#include "DBGridEh.h"
#include "DBLookupEh.h"
#include "DBLookupGridsEh.h"
#include "DateUtils.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "SysUtils.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "ToolCtrlsEh.h"
#include "gtest.h"

namespace {

class TDropGrid : public TDBGridEh {
 public:
  using TDBGridEh::TDBGridEh;
  TDBGridInplaceEdit* Editor() { return static_cast<TDBGridInplaceEdit*>(InplaceEditor()); }
};

class DropDownFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Products.FieldDefs().Add("ID", ftInteger);
    Products.FieldDefs().Add("Name", ftString, 20);
    Products.CreateDataSet();
    Products.AppendRecord({Variant(10), Variant(String("钢笔"))});
    Products.AppendRecord({Variant(20), Variant(String("墨水"))});
    Products.AppendRecord({Variant(30), Variant(String("铅笔"))});
    Lines.FieldDefs().Add("PID", ftInteger);
    Lines.FieldDefs().Add("Kind", ftString, 20);
    Lines.FieldDefs().Add("Status", ftString, 4);
    Lines.FieldDefs().Add("Day", ftDate);
    Lines.FieldDefs().Add("Qty", ftInteger);
    for (int i = 0; i < 5; ++i) Lines.FieldDefs()[i].CreateField()->SetDataSet(&Lines);
    auto* name = new TStringField();
    name->SetFieldName("PName");
    name->SetSize(20);
    name->SetFieldKind(fkLookup);
    name->SetLookupDataSet(&Products);
    name->SetKeyFields("PID");
    name->SetLookupKeyFields("ID");
    name->SetLookupResultField("Name");
    name->SetDataSet(&Lines);
    Lines.Open();
    Lines.AppendRecord({Variant(10), Variant(String("苹果")), Variant(String("A")), Variant::FromDate(46000),
                        Variant(10)});
    Lines.First();
    Source.SetDataSet(&Lines);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 560, 300);
    Grid = new TDropGrid(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 540, 260);
    Grid->Font()->SetName("宋体");
    Grid->Font()->SetHeight(-12);
    Grid->SetDataSource(&Source);
    // Persistent columns keep their lists across layouts.
    Grid->BeginLayout();
    Grid->Columns()->Clear();
    for (const char* f : {"PName", "Kind", "Status", "Day", "Qty", "PID"}) Grid->Columns()->Add()->SetFieldName(f);
    Grid->EndLayout();
    Column("Kind")->PickList()->SetCommaText("苹果,香蕉,橙子");
    Column("Status")->PickList()->SetCommaText("新建,完成");
    Column("Status")->KeyList()->SetCommaText("A,B");
    Form->Show();
    PumpMessages();
  }
  void TearDown() override { Form.reset(); }
  TColumnEh* Column(const char* field) { return Grid->ColumnByFieldName(field); }
  TDBGridInplaceEdit* Edit(const char* field) {
    Grid->SetSelectedIndex(Column(field)->Index());
    Grid->SetFocus();
    Grid->SetEditorMode(true);
    PumpMessages();
    return Grid->Editor();
  }
  void Type(TDBGridInplaceEdit* ed, const std::u16string& text) {
    for (char16_t ch : text) ed->Perform(WM_CHAR, WPARAM(ch), 0);
  }
  void Key(TDBGridInplaceEdit* ed, Word key, bool alt = false) {
    SendMessageW(ed->Handle(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? LPARAM(1) << 29 : 0);
    if (key == VK_RETURN || key == VK_ESCAPE) SendMessageW(ed->Handle(), WM_CHAR, key, 0);
    PumpMessages();
  }
  TMemDataSet Products, Lines;
  TDataSource Source;
  std::unique_ptr<TForm> Form;
  TDropGrid* Grid = nullptr;
};

TEST_F(DropDownFixture, PickListsCompleteAsTypedAndOpenByKeys) {
  TDBGridInplaceEdit* ed = Edit("Kind");
  ASSERT_EQ(ed->EditStyle(), TDBGridInplaceEdit::esPickList);
  ed->SelectAll();
  Type(ed, u"香");
  EXPECT_EQ(ed->Text(), "香蕉");
  EXPECT_EQ(ed->SelText(), "蕉");
  // In a plain pick list a character that starts no entry is typed.
  ed->SelectAll();
  Type(ed, u"梨");
  EXPECT_EQ(ed->Text(), "梨");

  // Alt+Down opens the list; Down moves in it and the editor follows; Enter
  // takes the entry.
  Key(ed, VK_DOWN, true);
  ASSERT_TRUE(ed->ListVisible());
  ASSERT_TRUE(ed->PickListBox() && IsWindowVisible(ed->PickListBox()->Handle()));
  EXPECT_EQ(ed->PickListBox()->Items()->Count(), 3);
  WriteWindowPng(Form.get(), "dbgrid_picklist_dropped");
  Key(ed, VK_DOWN);
  Key(ed, VK_DOWN);
  EXPECT_EQ(ed->Text(), "香蕉");
  Key(ed, VK_RETURN);
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_FALSE(IsWindowVisible(ed->PickListBox()->Handle()));
  EXPECT_EQ(Grid->EditText(), "香蕉");
  Lines.Post();
  EXPECT_EQ(Lines.FieldByName("Kind")->AsString(), "香蕉");

  // Escape closes without taking anything.
  ed = Edit("Kind");
  Key(ed, VK_DOWN, true);
  Key(ed, VK_DOWN);
  Key(ed, VK_ESCAPE);
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "香蕉");
}

TEST_F(DropDownFixture, KeyListsTakeOnlyTheirEntries) {
  TDBGridInplaceEdit* ed = Edit("Status");
  EXPECT_EQ(ed->Text(), "新建");
  ed->SelectAll();
  Type(ed, u"x");
  EXPECT_EQ(ed->Text(), "新建") << "a character that starts no entry changes nothing";
  Type(ed, u"完");
  EXPECT_EQ(ed->Text(), "完成");
  Lines.Post();
  EXPECT_EQ(Lines.FieldByName("Status")->AsString(), "B");
  // Pasting text that starts an entry takes the entry; other text is ignored.
  ed = Edit("Status");
  Clipboard()->SetAsText("zz");
  ed->SelectAll();
  ed->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(ed->Text(), "完成");
  Clipboard()->SetAsText("新");
  ed->SelectAll();
  ed->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(ed->Text(), "新建");
  EXPECT_EQ(TDBGridInplaceEdit::FindListItem(Column("Status")->PickList(), "完", 2), 1);
  EXPECT_EQ(TDBGridInplaceEdit::FindListItem(Column("Status")->PickList(), "完", 0), -1);
}

TEST_F(DropDownFixture, LookupGridListsTheDatasetAndWritesTheKey) {
  TColumnEh* col = Column("PName");
  col->SetDropDownShowTitles(true);
  TDBGridInplaceEdit* ed = Edit("PName");
  ASSERT_EQ(ed->EditStyle(), TDBGridInplaceEdit::esLookup);
  Key(ed, VK_DOWN, true);
  ASSERT_TRUE(ed->ListVisible());
  TPopupDataGridEh* lg = ed->LookupGrid();
  ASSERT_TRUE(lg && IsWindowVisible(lg->Handle()));
  EXPECT_EQ(lg, col->GetDropDownGrid());
  EXPECT_EQ(lg->Name(), "DataList");
  EXPECT_EQ(lg->RowCount(), 3) << "three records: three rows, not the seven asked for";
  EXPECT_GE(lg->Width(), ed->Width());
  EXPECT_EQ(lg->KeyValue(), Variant(10));
  WriteWindowPng(lg, "dbgrid_lookup_dropped");
  Key(ed, VK_DOWN);
  EXPECT_EQ(ed->Text(), "墨水");
  Key(ed, VK_RETURN);
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(Grid->EditKeyValue(), Variant(20));
  Lines.Post();
  EXPECT_EQ(Lines.FieldByName("PID")->AsInteger(), 20);

  // Pasting a name the list does not have, without OnNotInList, is ignored.
  ed = Edit("PName");
  Clipboard()->SetAsText("橡皮");
  ed->SelectAll();
  ed->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(ed->Text(), "墨水");
  Clipboard()->SetAsText("铅");
  ed->SelectAll();
  ed->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(ed->Text(), "铅笔");
  EXPECT_EQ(Grid->EditKeyValue(), Variant(30));
}

TEST_F(DropDownFixture, CalendarAndUpDownButtonsChangeTheValue) {
  TDBGridInplaceEdit* ed = Edit("Day");
  ASSERT_EQ(ed->EditStyle(), TDBGridInplaceEdit::esDate);
  Key(ed, VK_DOWN, true);
  ASSERT_TRUE(ed->ListVisible());
  ASSERT_TRUE(ed->Calendar());
  EXPECT_EQ(ed->Calendar()->Date(), TDateTime(46000));
  ed->Calendar()->SetDate(46010);
  ed->CloseUp(true);
  EXPECT_FALSE(ed->ListVisible());
  Lines.Post();
  EXPECT_EQ(Lines.FieldByName("Day")->AsDateTime(), TDateTime(46010));

  TColumnEh* qty = Column("Qty");
  qty->SetButtonStyle(cbsUpDown);
  qty->SetIncrement(5);
  ed = Edit("Qty");
  ASSERT_EQ(ed->EditStyle(), TDBGridInplaceEdit::esUpDown);
  ed->StepValue(false);
  EXPECT_EQ(Lines.FieldByName("Qty")->AsInteger(), 15);
  ed->StepValue(true);
  ed->StepValue(true);
  EXPECT_EQ(Lines.FieldByName("Qty")->AsInteger(), 5);
}

TEST_F(DropDownFixture, RecentTextsOpenUnderTheEditor) {
  TColumnEh* kind = Column("Kind");
  kind->PickList()->Clear();
  kind->MRUList()->SetActive(true);
  kind->MRUList()->AddText("红色");
  kind->MRUList()->AddText("红黄");
  kind->MRUList()->AddText("蓝色");
  TDBGridInplaceEdit* ed = Edit("Kind");
  ed->SelectAll();
  Type(ed, u"红");
  ASSERT_TRUE(ed->MRUListBox());
  EXPECT_TRUE(kind->MRUList()->DroppedDown());
  EXPECT_EQ(ed->MRUListBox()->Items()->Count(), 2);
  // The list is sorted (pinyin: huang before se).
  Key(ed, VK_DOWN);
  Key(ed, VK_RETURN);
  EXPECT_FALSE(kind->MRUList()->DroppedDown());
  EXPECT_EQ(ed->Text(), "红黄");
}

TEST(ColumnDropDownBox, ReachesTheColumnsDropDownGrid) {
  TDBGridEh grid(nullptr);
  TColumnEh* c = grid.Columns()->Add();
  EXPECT_FALSE(c->DropDownGridMade());
  TDBGridColumnsEh* cols = c->DropDownBox()->Columns();
  ASSERT_TRUE(cols);
  EXPECT_TRUE(c->DropDownGridMade());
  EXPECT_EQ(c->DropDownBox()->Columns(), cols);
  EXPECT_EQ(c->DropDownBox()->Options(), Byte(1u << dlgColLinesEh));
  c->DropDownBox()->SetSortLocal(true);
  EXPECT_TRUE(c->GetDropDownGrid()->SortLocal());
  // A box whose source has default columns clears the target's.
  TColumnEh* other = grid.Columns()->Add();
  other->DropDownBox()->Columns()->Add()->SetFieldName("X");
  other->DropDownBox()->Assign(c->DropDownBox());
  EXPECT_FALSE(other->DropDownBox()->Columns()->IsCustomized());
  // A box without a host answers nothing and ignores writes.
  TColumnDropDownBoxEh lone;
  EXPECT_EQ(lone.Columns(), nullptr);
  lone.SetSortLocal(true);
  EXPECT_FALSE(lone.SortLocal());
}

}  // namespace

namespace {

// A filter cell with a value list: the list's texts and keys, a typed text
// filtering on its key, and the drop-down with its special entries.
TEST_F(DropDownFixture, FilterCellValueListFromAListSource) {
  TDataSource products;
  products.SetDataSet(&Products);
  Grid->STFilter()->SetVisible(true);
  TColumnEh* pid = Column("PID");
  TSTColumnFilterEh* f = pid->STFilter();
  f->SetKeyField("ID");
  f->SetListField("Name");
  f->SetListSource(&products);
  ASSERT_TRUE(f->HasValueList());
  // The lists are read when the list opens, and read afresh when it opens
  // again, without repeating their entries.
  Products.Close();
  Products.Open();
  Products.Close();
  Products.Open();
  EXPECT_EQ(f->ListTexts()->CommaText(), "钢笔,墨水,铅笔");
  EXPECT_EQ(f->ListKeys()->CommaText(), "10,20,30");

  f->SetEnteredText("墨水");
  EXPECT_EQ(f->MatchedKeyValue(), Variant(20));
  EXPECT_EQ(f->GetFirstValue(), Variant(20));
  EXPECT_EQ(f->GetFilterText(), "墨水");
  f->SetEnteredText("橡皮");
  EXPECT_EQ(f->Expression().FirstOperator, froNull) << "a text no record shows filters for a Null key";
  f->SetEnteredText("");
  EXPECT_EQ(f->Expression().FirstOperator, froNone);

  Grid->EditFilterCell(pid->Index());
  TInplaceFilterEditEh* ed = Grid->FilterEdit();
  ASSERT_TRUE(ed && ed->EditButton()->Visible());
  Grid->FillFilterList();
  std::vector<String> items;
  for (Integer i = 0; i < ed->Items()->Count(); ++i) items.push_back(ed->Items()->Strings(i));
  EXPECT_EQ(items, (std::vector<String>{"(Clear filter)", "(All)", "(Not empty)", "(Empty)", "钢笔", "墨水", "铅笔"}));
  // Picking "(Not empty)" writes its condition instead of the entry's text.
  ed->Perform(WM_KEYDOWN, VK_DOWN, LPARAM(1) << 29);   // Alt+Down
  PumpMessages();
  TPopupListboxEh* lb = ed->GetPopupListbox();
  ASSERT_TRUE(IsWindowVisible(lb->Handle()));
  lb->SetItemIndex(2);
  ASSERT_TRUE(lb->OnMouseUp);
  lb->OnMouseUp(lb, mbLeft, {}, 2, 2);   // a click on the entry
  EXPECT_FALSE(ed->ListVisible());
  EXPECT_EQ(ed->Text(), "<>Null");
  WriteWindowPng(Grid, "dbgrid_filter_value_list");
}

}  // namespace

namespace {

// The lookup combo box's drop-down box may name a list source of its own,
// which serves the drop-down while the control has the focus.
TEST_F(DropDownFixture, LookupComboDropDownBoxListSourceServesTheFocusedControl) {
  TMemDataSet few;
  few.FieldDefs().Add("ID", ftInteger);
  few.FieldDefs().Add("Name", ftString, 20);
  few.CreateDataSet();
  few.AppendRecord({Variant(30), Variant(String("铅笔"))});
  TDataSource all, some;
  all.SetDataSet(&Products);
  some.SetDataSet(&few);
  auto* combo = new TDBLookupComboboxEh(Form.get());
  combo->SetParent(Form.get());
  combo->SetBounds(10, 200, 200, 22);
  combo->SetListSource(&all);
  combo->SetKeyField("ID");
  combo->SetListField("Name");
  combo->DropDownBox()->SetListSource(&some);
  EXPECT_TRUE(combo->DropDownBox()->AutoFitColWidths());
  EXPECT_EQ(combo->DropDownBox()->Columns(), combo->GetDropDownGrid()->Columns());
  PumpMessages();
  EXPECT_FALSE(combo->UsesDropDownBoxListSource());
  combo->SetFocus();
  PumpMessages();
  EXPECT_TRUE(combo->UsesDropDownBoxListSource());
  combo->DropDown();
  EXPECT_EQ(combo->GetDropDownGrid()->ListSource(), &some);
  EXPECT_EQ(combo->GetDropDownGrid()->RowCount(), 1);
  combo->CloseUp(false);
  Grid->SetFocus();
  PumpMessages();
  EXPECT_FALSE(combo->UsesDropDownBoxListSource());
}

}  // namespace

namespace {

// Moving a default column of a lookup list reorders the list fields and
// the special row's texts with it.
TEST_F(DropDownFixture, MovingALookupListColumnReordersTheListFields) {
  TDataSource products;
  products.SetDataSet(&Products);
  auto* list = new TDBLookupGridEh(Form.get());
  list->SetParent(Form.get());
  list->SetBounds(10, 120, 300, 100);
  list->SetKeyField("ID");
  list->SetListField("ID;Name");
  list->SetListFieldIndex(1);
  list->SpecRow()->SetCellsText("0;(无)");
  list->SpecRow()->SetVisible(true);
  list->SetListSource(&products);
  PumpMessages();
  ASSERT_TRUE(list->ListActive());
  ASSERT_EQ(list->Columns()->Count(), 2);
  ASSERT_TRUE(list->Columns()->Item(1)->Is<TDBLookupGridColumnEh>());
  list->Columns()->Item(1)->SetIndex(0);
  EXPECT_EQ(list->ListField(), "Name;ID");
  EXPECT_EQ(list->ListFieldIndex(), 0);
  EXPECT_EQ(list->SpecRow()->CellsText(), "(无);0");
  EXPECT_EQ(list->Columns()->Item(0)->FieldName(), "Name");
}

}  // namespace
