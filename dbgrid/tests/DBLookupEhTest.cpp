// The lookup grid (key locate, special row, typing search) and the lookup
// combo box in the statistics window's configuration: key C_ID, list fields
// C_NO;C_Name over the customers.
#include <memory>

#include "Clipbrd.h"
#include "DBLookupEh.h"
#include "DBLookupGridsEh.h"
#include "FormFile.h"
#include "Forms.h"
#include "MemDataSet.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "gtest.h"

namespace {

class CustomersFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Data.FieldDefs().Add("C_ID", ftInteger);
    Data.FieldDefs().Add("C_NO", ftString, 10);
    Data.FieldDefs().Add("C_Name", ftString, 40);
    Data.CreateDataSet();
    Data.AppendRecord({Variant(1), Variant("K001"), Variant("北京华联")});
    Data.AppendRecord({Variant(2), Variant("K002"), Variant("上海东方")});
    Data.AppendRecord({Variant(3), Variant("K010"), Variant("广州南方")});
    Data.AppendRecord({Variant(4), Variant("A001"), Variant("Alpha")});
    Data.First();
    Source.SetDataSet(&Data);
    Form.reset(new TForm(nullptr));
    Form->SetBounds(50, 50, 420, 300);
  }
  void TearDown() override { Form.reset(); }
  Integer CurrentId() { return Data.FieldByName("C_ID")->AsInteger(); }
  TMemDataSet Data;
  TDataSource Source;
  std::unique_ptr<TForm> Form;
};

// ---------------------------------------------------------------------------
// The lookup grid

class TTestLookupGrid : public TDBLookupGridEh {
 public:
  using TDBLookupGridEh::TDBLookupGridEh;
  void Press(Word Key) { KeyDown(Key, {}); }
};

class LookupGridFixture : public CustomersFixture {
 protected:
  void SetUp() override {
    CustomersFixture::SetUp();
    Grid = new TTestLookupGrid(Form.get());
    Grid->SetParent(Form.get());
    Grid->SetBounds(0, 0, 300, 200);
    Grid->SetListSource(&Source);
    Grid->SetKeyField("C_ID");
    Grid->SetListField("C_NO;C_Name");
    Form->Show();
    PumpMessages();
  }
  TTestLookupGrid* Grid = nullptr;
};

TEST_F(LookupGridFixture, KeyLocatesTheRecordAndGivesTheListFieldText) {
  EXPECT_TRUE(Grid->ListActive());
  EXPECT_EQ(Grid->Columns()->Count(), 2);
  Grid->SetKeyValue(Variant(3));
  EXPECT_EQ(CurrentId(), 3);
  EXPECT_EQ(Grid->Text(), "K010");
  Grid->SetListFieldIndex(1);
  EXPECT_EQ(Grid->Text(), "广州南方");
  // An index outside the list fields falls back to the first.
  Grid->SetListFieldIndex(5);
  EXPECT_EQ(Grid->Text(), "K010");
  // A key missing from the list: no text, the list at its start.
  Grid->SetKeyValue(Variant(99));
  EXPECT_EQ(Grid->Text(), "");
  EXPECT_EQ(CurrentId(), 1);
  // Several key fields take one value per field; anything else finds
  // nothing and raises nothing.
  Grid->SetKeyField("C_ID;C_NO");
  Grid->SetKeyValue(VarArrayOf({Variant(2), Variant("K002")}));
  EXPECT_EQ(CurrentId(), 2);
  EXPECT_EQ(Grid->Text(), "K002");
  EXPECT_NO_THROW(Grid->SetKeyValue(Variant(4)));
  EXPECT_EQ(Grid->Text(), "");
  EXPECT_FALSE(Grid->LocateKey());
  // Unknown list fields are refused.
  EXPECT_THROW(Grid->SetListField("C_NO;Nothing"), EDatabaseError);
  PumpMessages();
  WriteWindowPng(Grid, "lookup_grid");
}

// The list's default columns size and move as persistent ones do: the
// list dataset's fields keep their display widths.
TEST_F(LookupGridFixture, DefaultColumnsSizeAndMoveWithoutTouchingTheListFields) {
  TColumnEh* no = Grid->Columns()->Item(0);
  ASSERT_FALSE(no->Stored());
  TField* field = Data.FieldByName("C_NO");
  const Integer glyphs = field->DisplayWidth();
  no->SetWidth(no->Width() + 40);
  EXPECT_EQ(field->DisplayWidth(), glyphs);
  EXPECT_NE(no->AssignedValues() & cvWidth, 0u);
  EXPECT_FALSE(no->Stored());
  ASSERT_EQ(Grid->Columns()->Count(), 2);
  no->SetIndex(1);
  EXPECT_EQ(Grid->ListField(), "C_Name;C_NO");
  EXPECT_EQ(Grid->Columns()->Item(1), no);
  EXPECT_FALSE(no->Stored());
  EXPECT_EQ(field->DisplayWidth(), glyphs);
}

TEST_F(LookupGridFixture, WheelScrollsWithoutChangingTheKey) {
  Grid->SetKeyValue(Variant(1));
  Grid->SetRowCount(2);
  Integer before = CurrentId();
  EXPECT_TRUE(Grid->DoMouseWheelDown({}, TPoint(5, 5)));
  EXPECT_NE(CurrentId(), before);
  EXPECT_TRUE(VariantsEqualEh(Grid->KeyValue(), Variant(1)));
}

TEST_F(LookupGridFixture, RowCountHoldsWholeRows) {
  Grid->SetRowCount(0);
  EXPECT_EQ(Grid->RowCount(), 1);
  Grid->SetRowCount(150);
  EXPECT_EQ(Grid->RowCount(), 100);
  Grid->SetRowCount(3);
  Integer h3 = Grid->Height();
  Grid->SetRowCount(4);
  EXPECT_EQ(Grid->Height() - h3, Grid->GetDataRowHeight());
  // A height in between ends on whole rows.
  Grid->SetHeight(h3 + Grid->GetDataRowHeight() / 2);
  EXPECT_EQ(Grid->RowCount(), 3);
  EXPECT_EQ(Grid->Height(), h3);
  Grid->SetHeight(h3 + 2 * Grid->GetDataRowHeight() + 1);
  EXPECT_EQ(Grid->RowCount(), 5);
}

TEST_F(LookupGridFixture, SpecialRowStandsForKeysOutsideTheList) {
  Grid->SpecRow()->SetCellsText("<无>;(none)");
  Grid->SpecRow()->SetValue(Variant::Null());
  Grid->SpecRow()->SetVisible(true);
  Grid->SetListFieldIndex(1);
  Grid->SetKeyValue(Variant(99));
  EXPECT_TRUE(Grid->SpecRow()->Selected());
  EXPECT_EQ(Grid->Text(), "(none)");
  PumpMessages();
  WriteWindowPng(Grid, "lookup_grid_special_row");
  // Down from the special row: the first record; Up from it: the special
  // row again.
  Grid->Press(VK_DOWN);
  EXPECT_FALSE(Grid->SpecRow()->Selected());
  EXPECT_TRUE(VariantsEqualEh(Grid->KeyValue(), Variant(1)));
  EXPECT_EQ(Grid->Text(), "北京华联");
  Grid->Press(VK_DOWN);
  EXPECT_TRUE(VariantsEqualEh(Grid->KeyValue(), Variant(2)));
  Grid->Press(VK_UP);
  Grid->Press(VK_UP);
  EXPECT_TRUE(Grid->SpecRow()->Selected());
  EXPECT_TRUE(Grid->KeyValue().IsNull());
}

TEST_F(LookupGridFixture, TypingSearchesByPrefixWithinTwoSeconds) {
  DWORD now = 100000;
  auto savedClock = TDBLookupGridEh::SearchTickSource;
  TDBLookupGridEh::SearchTickSource = [&now] { return now; };
  for (char32_t c : U"k01") {
    if (!c) break;
    Grid->ProcessSearchKey(c);
    now += 500;
  }
  EXPECT_EQ(Grid->SearchText(), "k01");
  EXPECT_TRUE(VariantsEqualEh(Grid->KeyValue(), Variant(3)));
  // A pause of more than two seconds starts again.
  now += 2001;
  Grid->ProcessSearchKey(U'a');
  EXPECT_EQ(Grid->SearchText(), "a");
  EXPECT_TRUE(VariantsEqualEh(Grid->KeyValue(), Variant(4)));
  // A letter that matches nothing keeps the key.
  Grid->ProcessSearchKey(U'q');
  EXPECT_TRUE(VariantsEqualEh(Grid->KeyValue(), Variant(4)));
  // The search text takes at most 32 characters.
  for (int i = 0; i < 40; ++i) Grid->ProcessSearchKey(U'x');
  EXPECT_EQ(Utf8Length(Grid->SearchText()), 32u);
  Grid->ProcessSearchKey(8);
  EXPECT_EQ(Grid->SearchText(), "");
  // A list field that is no text field does not search.
  Grid->SetListField("C_ID");
  Grid->ProcessSearchKey(U'2');
  EXPECT_EQ(Grid->SearchText(), "");
  TDBLookupGridEh::SearchTickSource = savedClock;
}

// ---------------------------------------------------------------------------
// The combo box

class TTestCombo : public TDBLookupComboboxEh {
 public:
  using TDBLookupComboboxEh::TDBLookupComboboxEh;
  void Press(Word Key, TShiftState Shift = {}) { KeyDown(Key, Shift); }
  void Char(char32_t Key) { KeyPress(Key); }
};

class ComboFixture : public CustomersFixture {
 protected:
  void SetUp() override {
    CustomersFixture::SetUp();
    Combo = new TTestCombo(Form.get());
    Combo->SetParent(Form.get());
    Combo->SetBounds(10, 10, 160, 22);
    Combo->SetListSource(&Source);
    Combo->SetKeyField("C_ID");
    Combo->SetListField("C_NO;C_Name");
    Combo->DropDownBox()->SetWidth(300);
    Other = new TEdit(Form.get());
    Other->SetParent(Form.get());
    Other->SetBounds(200, 10, 100, 22);
    Combo->OnChange = [this](TObject*) { ++Changes; };
    Form->Show();
    PumpMessages();
    Combo->SetFocus();
    PumpMessages();
  }
  void Type(const std::u16string& text) {
    for (char16_t ch : text) {
      SendMessageW(Combo->Handle(), WM_CHAR, WPARAM(ch), 1);
      PumpMessages(1);
    }
  }
  Integer Key() { return Combo->KeyValue().IsNull() ? -1 : Combo->KeyValue().AsInteger(); }
  TTestCombo* Combo = nullptr;
  TEdit* Other = nullptr;
  int Changes = 0;
};

TEST_F(CustomersFixture, FormFilesSetTheComboBox) {
  TForm form(nullptr);
  auto* source = new TDataSource(&form);
  source->SetName("ds_Customers");
  source->SetDataSet(&Data);
  ReadFormText(&form,
               "object StatForm: TForm\n"
               "  object cbCustomer: TDBLookupComboboxEh\n"
               "    Left = 8\n"
               "    Top = 8\n"
               "    DropDownBox.Width = 300\n"
               "    KeyField = 'C_ID'\n"
               "    ListField = 'C_NO;C_Name'\n"
               "    ListSource = ds_Customers\n"
               "  end\n"
               "end\n");
  auto* combo = dynamic_cast<TDBLookupComboboxEh*>(form.FindComponent("cbCustomer"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->KeyField(), "C_ID");
  EXPECT_EQ(combo->ListField(), "C_NO;C_Name");
  EXPECT_EQ(combo->ListSource(), source);
  EXPECT_EQ(combo->DropDownBox()->Width(), 300);
  EXPECT_TRUE(combo->ListActive());
}

TEST_F(ComboFixture, KeyValueShowsTheFirstListField) {
  EXPECT_TRUE(Combo->ListActive());
  Combo->SetValue(Variant(2));
  EXPECT_EQ(Combo->Text(), "K002");
  EXPECT_TRUE(VariantsEqualEh(Combo->Value(), Variant(2)));
  Combo->SetListFieldIndex(1);
  EXPECT_EQ(Combo->Text(), "上海东方");
}

TEST_F(ComboFixture, DropDownListTypingCompletesToARecord) {
  Changes = 0;
  Type(u"k0");
  EXPECT_EQ(Combo->Text(), "K001");
  EXPECT_EQ(Key(), 1);
  EXPECT_EQ(Combo->SelStart(), 2);
  EXPECT_EQ(Combo->SelLength(), 2);
  Type(u"1");
  EXPECT_EQ(Combo->Text(), "K010");
  EXPECT_EQ(Key(), 3);
  EXPECT_EQ(Combo->SelStart(), 3);
  EXPECT_EQ(Changes, 2);   // once per completed text, none for the unchanged "K001"
  // A letter that matches nothing changes nothing.
  Type(u"z");
  EXPECT_EQ(Combo->Text(), "K010");
  EXPECT_EQ(Key(), 3);
  PumpMessages();
  WriteWindowPng(Form.get(), "lookup_combo_completed");
}

TEST_F(ComboFixture, DropDownStyleCompletesAndKeepsUnknownText) {
  Combo->SetStyle(csDropDownEh);
  Type(u"A0");
  EXPECT_EQ(Combo->Text(), "A001");
  EXPECT_EQ(Key(), 4);
  EXPECT_EQ(Combo->SelStart(), 2);
  EXPECT_EQ(Combo->SelLength(), 2);
  // Text the list lacks: no key, and posting keeps it as the value.
  SendMessageW(Combo->Handle(), EM_SETSEL, 0, -1);
  Type(u"Zeta");
  EXPECT_EQ(Combo->Text(), "Zeta");
  EXPECT_TRUE(Combo->KeyValue().IsNull());
  Other->SetFocus();
  PumpMessages();
  EXPECT_EQ(VarToStr(Combo->Value()), "Zeta");
}

TEST_F(ComboFixture, PastedAndCutTextIsLocatedInTheList) {
  // A fixed list takes pasted text as typed search text.
  Clipboard()->SetAsText("k01");
  Combo->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Combo->Text(), "K010");
  EXPECT_EQ(Key(), 3);
  // Free text pastes, then finds the record showing exactly that text.
  Combo->SetStyle(csDropDownEh);
  SendMessageW(Combo->Handle(), EM_SETSEL, 0, -1);
  Clipboard()->SetAsText("A001");
  Combo->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(Combo->Text(), "A001");
  EXPECT_EQ(Key(), 4);
  SendMessageW(Combo->Handle(), EM_SETSEL, 3, 4);
  Combo->Perform(WM_CUT, 0, 0);
  EXPECT_EQ(Combo->Text(), "A00");
  EXPECT_TRUE(Combo->KeyValue().IsNull()) << "no record shows the text left";
}

TEST_F(ComboFixture, AltDeleteChoosesTheSpecialRowAndDeleteClears) {
  Combo->DropDownBox()->SpecRow()->SetCellsText("<全部>");
  Combo->DropDownBox()->SpecRow()->SetValue(Variant(0));
  Combo->DropDownBox()->SpecRow()->SetVisible(true);
  Combo->SetKeyValue(Variant(2));
  Combo->Press(VK_DELETE, {ssAlt});
  EXPECT_EQ(Key(), 0);
  EXPECT_EQ(Combo->Text(), "<全部>");
  // Delete in the list style clears the key.
  Combo->SetKeyValue(Variant(3));
  Combo->Press(VK_DELETE);
  EXPECT_EQ(Key(), -1);
  EXPECT_EQ(Combo->Text(), "");
}

TEST_F(ComboFixture, UpAndDownStepThroughTheList) {
  Combo->SetKeyValue(Variant(2));
  Combo->Press(VK_DOWN);
  EXPECT_EQ(Key(), 3);
  Combo->Press(VK_UP);
  Combo->Press(VK_UP);
  EXPECT_EQ(Key(), 1);
  // Not in the list: the first record.
  Combo->SetKeyValue(Variant(77));
  Combo->Press(VK_DOWN);
  EXPECT_EQ(Key(), 1);
}

TEST_F(ComboFixture, DropDownEscKeepsTheKeyEnterTakesIt) {
  Combo->SetKeyValue(Variant(1));
  Changes = 0;
  Combo->DropDown();
  PumpMessages();
  TPopupDataGridEh* g = Combo->DropDownGrid();
  ASSERT_TRUE(Combo->ListVisible());
  EXPECT_TRUE(g->Visible());
  EXPECT_EQ(g->RowCount(), 4);   // fewer records than Rows (7)
  EXPECT_EQ(g->Width(), 300);
  EXPECT_EQ(g->Columns()->Count(), 2);
  EXPECT_TRUE(VariantsEqualEh(g->KeyValue(), Variant(1)));
  PumpMessages();
  WriteWindowPng(g, "lookup_combo_dropdown");
  Combo->Press(VK_DOWN);
  EXPECT_TRUE(VariantsEqualEh(g->KeyValue(), Variant(2)));
  EXPECT_EQ(Key(), 1);
  Combo->Char(27);
  EXPECT_FALSE(Combo->ListVisible());
  EXPECT_FALSE(g->Visible());
  EXPECT_EQ(Key(), 1);
  EXPECT_EQ(Combo->Text(), "K001");
  EXPECT_EQ(Changes, 0);
  // Enter takes the grid's key.
  Combo->DropDown();
  Combo->Press(VK_DOWN);
  Combo->Press(VK_DOWN);
  Combo->Char(U'\r');
  EXPECT_FALSE(Combo->ListVisible());
  EXPECT_EQ(Key(), 3);
  EXPECT_EQ(Combo->Text(), "K010");
  EXPECT_EQ(Changes, 1);
}

TEST_F(ComboFixture, DropDownMouseChoosesAndResizingIsRemembered) {
  Combo->SetKeyValue(Variant(1));
  Combo->DropDown();
  PumpMessages();
  TPopupDataGridEh* g = Combo->DropDownGrid();
  ASSERT_TRUE(Combo->ListVisible());
  // Row 3 of the list (no titles, no special row).
  Integer y = g->GetDataRowHeight() * 2 + g->GetDataRowHeight() / 2;
  g->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(20, y));
  EXPECT_TRUE(VariantsEqualEh(g->KeyValue(), Variant(3)));
  EXPECT_EQ(Key(), 1);
  // Released outside: closed without the choice.
  g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, y));
  g->Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, -40));
  EXPECT_FALSE(Combo->ListVisible());
  EXPECT_EQ(Key(), 1);
  // Released on a row: closed with it.
  Combo->DropDown();
  PumpMessages();
  g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, y));
  g->Perform(WM_LBUTTONUP, 0, MAKELPARAM(20, y));
  EXPECT_FALSE(Combo->ListVisible());
  EXPECT_EQ(Key(), 3);
  EXPECT_EQ(Combo->Text(), "K010");
  // A drop-down the user resized keeps its rows and width.
  Combo->DropDown();
  PumpMessages();
  g->SetBounds(g->Left(), g->Top(), 320, g->Height() - g->GetDataRowHeight());
  PumpMessages();
  Integer rows = g->RowCount();
  Combo->CloseUp(false);
  EXPECT_EQ(Combo->DropDownBox()->Rows(), rows);
  EXPECT_EQ(Combo->DropDownBox()->Width(), 320);
  EXPECT_EQ(rows, 3);
}

TEST_F(CustomersFixture, BoundComboWritesTheKeyIntoTheMasterField) {
  TMemDataSet orders;
  orders.FieldDefs().Add("O_ID", ftInteger);
  orders.FieldDefs().Add("O_CID", ftInteger);
  orders.CreateDataSet();
  orders.AppendRecord({Variant(1), Variant(2)});
  orders.AppendRecord({Variant(2), Variant::Null()});
  orders.First();
  TDataSource ordersSource;
  ordersSource.SetDataSet(&orders);
  auto* combo = new TDBLookupComboboxEh(Form.get());
  combo->SetParent(Form.get());
  combo->SetBounds(10, 10, 160, 22);
  combo->SetListSource(&Source);
  combo->SetKeyField("C_ID");
  combo->SetListField("C_NO;C_Name");
  combo->SetDataSource(&ordersSource);
  combo->SetDataField("O_CID");
  Form->Show();
  PumpMessages();
  EXPECT_EQ(combo->Text(), "K002");
  orders.Next();
  EXPECT_EQ(combo->Text(), "");
  // A choice goes into the current order's field.
  combo->SetValue(Variant(3));
  EXPECT_EQ(orders.FieldByName("O_CID")->AsInteger(), 3);
  EXPECT_EQ(combo->Text(), "K010");
  orders.First();
  EXPECT_EQ(combo->Text(), "K002");
  // Typing the list text into the number field's box chooses by text.
  combo->SetFocus();
  for (char16_t ch : std::u16string(u"k01")) {
    SendMessageW(combo->Handle(), WM_CHAR, WPARAM(ch), 1);
    PumpMessages(1);
  }
  EXPECT_EQ(combo->Text(), "K010");
  EXPECT_EQ(combo->KeyValue().AsInteger(), 3);
  combo->SetDataSource(nullptr);
}

TEST_F(CustomersFixture, LookupFieldGivesKeyListAndResultField) {
  TMemDataSet orders;
  orders.FieldDefs().Add("O_ID", ftInteger);
  orders.FieldDefs().Add("O_CID", ftInteger);
  for (int i = 0; i < 2; ++i) orders.FieldDefs()[i].CreateField()->SetDataSet(&orders);
  auto* name = new TStringField();
  name->SetFieldName("CustName");
  name->SetFieldKind(fkLookup);
  name->SetLookupDataSet(&Data);
  name->SetKeyFields("O_CID");
  name->SetLookupKeyFields("C_ID");
  name->SetLookupResultField("C_Name");
  name->SetDataSet(&orders);
  orders.Open();
  orders.AppendRecord({Variant(1), Variant(4)});
  orders.First();
  TDataSource ordersSource;
  ordersSource.SetDataSet(&orders);
  auto* combo = new TDBLookupComboboxEh(Form.get());
  combo->SetParent(Form.get());
  combo->SetBounds(10, 10, 160, 22);
  combo->SetDataSource(&ordersSource);
  combo->SetDataField("CustName");
  Form->Show();
  PumpMessages();
  EXPECT_TRUE(combo->LookupMode());
  EXPECT_EQ(combo->KeyField(), "");
  EXPECT_EQ(combo->ListSource(), nullptr);
  EXPECT_TRUE(combo->ListActive());
  EXPECT_EQ(combo->Text(), "Alpha");
  EXPECT_THROW(combo->SetKeyField("C_NO"), EDatabaseError);
  EXPECT_THROW(combo->SetListSource(&Source), EDatabaseError);
  combo->SetValue(Variant(2));
  EXPECT_EQ(orders.FieldByName("O_CID")->AsInteger(), 2);
  EXPECT_EQ(orders.FieldByName("CustName")->AsString(), "上海东方");
  EXPECT_EQ(combo->Text(), "上海东方");
  // A plain field again: lookup mode ends.
  combo->SetDataField("O_CID");
  EXPECT_FALSE(combo->LookupMode());
  combo->SetDataSource(nullptr);
}

// A lookup grid placed from a form file and bound to a lookup field: the
// field brings the list, key and result field, and a row chosen with the
// keyboard writes its key into the order through the master link.
TEST_F(CustomersFixture, LookupGridFromAFormWritesTheKeyThroughItsLookupField) {
  TForm form(nullptr);
  form.SetBounds(60, 60, 360, 260);
  TMemDataSet orders;
  orders.FieldDefs().Add("O_ID", ftInteger);
  orders.FieldDefs().Add("O_CID", ftInteger);
  for (int i = 0; i < 2; ++i) orders.FieldDefs()[i].CreateField()->SetDataSet(&orders);
  auto* name = new TStringField();
  name->SetFieldName("CustName");
  name->SetFieldKind(fkLookup);
  name->SetLookupDataSet(&Data);
  name->SetKeyFields("O_CID");
  name->SetLookupKeyFields("C_ID");
  name->SetLookupResultField("C_Name");
  name->SetDataSet(&orders);
  orders.Open();
  orders.AppendRecord({Variant(1), Variant(4)});
  orders.AppendRecord({Variant(2), Variant(1)});
  orders.First();
  auto* source = new TDataSource(&form);
  source->SetName("ds_Orders");
  source->SetDataSet(&orders);
  ReadFormText(&form,
               "object OrderForm: TForm\n"
               "  object lgCustomer: TDBLookupGridEh\n"
               "    Left = 8\n"
               "    Top = 8\n"
               "    Width = 300\n"
               "    DataField = 'CustName'\n"
               "    DataSource = ds_Orders\n"
               "    RowCount = 5\n"
               "    ShowTitles = True\n"
               "    SpecRow.Visible = True\n"
               "    Columns = <\n"
               "      item\n"
               "        FieldName = 'C_Name'\n"
               "        SpecCell.Text = '（不选）'\n"
               "        SpecCell.Color = clYellow\n"
               "      end>\n"
               "  end\n"
               "end\n");
  auto* grid = dynamic_cast<TDBLookupGridEh*>(form.FindComponent("lgCustomer"));
  ASSERT_NE(grid, nullptr);
  form.Show();
  PumpMessages();
  EXPECT_TRUE(grid->LookupMode());
  EXPECT_EQ(grid->KeyField(), "C_ID");
  ASSERT_NE(grid->ListSource(), nullptr);
  EXPECT_EQ(grid->ListSource()->DataSet(), &Data);
  EXPECT_EQ(grid->RowCount(), 5);
  EXPECT_TRUE(grid->CanModify());
  EXPECT_TRUE(VariantsEqualEh(grid->KeyValue(), Variant(4)));
  EXPECT_EQ(grid->Text(), "Alpha");
  EXPECT_THROW(grid->SetKeyField("C_NO"), EDatabaseError);
  EXPECT_THROW(grid->SetListSource(&Source), EDatabaseError);
  auto* col = dynamic_cast<TDBLookupGridColumnEh*>(grid->Columns()->Item(0));
  ASSERT_NE(col, nullptr);
  EXPECT_EQ(col->SpecCell()->Text(), "（不选）");
  EXPECT_TRUE(col->SpecCell()->TextAssigned());
  EXPECT_FALSE(col->SpecCell()->FontAssigned());
  // Up from Alpha (the last customer) chooses the one before it: its key
  // goes into the order, and comes back as the grid's key.
  grid->SetFocus();
  PumpMessages();
  grid->Perform(WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(orders.State(), dsEdit);
  EXPECT_EQ(orders.FieldByName("O_CID")->AsInteger(), 3);
  EXPECT_EQ(orders.FieldByName("CustName")->AsString(), "广州南方");
  EXPECT_TRUE(VariantsEqualEh(grid->KeyValue(), Variant(3)));
  EXPECT_EQ(grid->Text(), "广州南方");
  orders.Post();
  // The next order's key moves the selection.
  orders.Next();
  EXPECT_TRUE(VariantsEqualEh(grid->KeyValue(), Variant(1)));
  EXPECT_EQ(grid->Text(), "北京华联");
  // A read-only grid changes nothing.
  grid->SetListReadOnly(true);
  EXPECT_FALSE(grid->CanModify());
  grid->Perform(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(orders.FieldByName("O_CID")->AsInteger(), 1);
  grid->SetListReadOnly(false);
  PumpMessages();
  WriteWindowPng(grid, "lookup_grid_bound");
  // Both sides written back to a form file.
  String text = ComponentToText(grid);
  EXPECT_NE(text.find("DataField = 'CustName'"), String::npos) << text;
  EXPECT_NE(text.find("SpecCell.Text"), String::npos) << text;
  EXPECT_EQ(text.find("KeyField"), String::npos) << "the lookup field defines it";
  grid->SetDataSource(nullptr);
  EXPECT_FALSE(grid->LookupMode());
}

}   // namespace

// ---------------------------------------------------------------------------
// The drop-down grid's events as a form file names them

namespace {

class TDropDownEventsForm : public TForm {
  TOVANI_CLASS(TDropDownEventsForm, TForm)
 public:
  explicit TDropDownEventsForm(TComponent* AOwner = nullptr) : TForm(AOwner) {}
  int CellParams = 0, TitleClicks = 0;
  void ListCellParams(TObject*, TColumnEh*, TFont*, TColor& Background, TGridDrawState) {
    ++CellParams;
    Background = clYellow;
  }
  void ListTitleClick(TObject*, Integer, TColumnEh*) { ++TitleClicks; }
};

}   // namespace

TOVANI_IMPLEMENT_CLASS_FACTORY(TDropDownEventsForm, TForm)
TOVANI_PUBLISHED(TDropDownEventsForm) {
  Method("ListCellParams", &TDropDownEventsForm::ListCellParams);
  Method("ListTitleClick", &TDropDownEventsForm::ListTitleClick);
}

namespace {

// The handlers land in the drop-down grids (a column's is made by the
// first access), fire from there, and are written back.
TEST(DropDownBoxEvents, FormFilesNameTheDropDownGridsHandlers) {
  std::unique_ptr<TDropDownEventsForm> form(static_cast<TDropDownEventsForm*>(
      ReadComponentFromText("object DropDownEventsForm: TDropDownEventsForm\n"
                            "  object Grid: TDBGridEh\n"
                            "    Columns = <\n"
                            "      item\n"
                            "        FieldName = 'O_CID'\n"
                            "        OnDropDownBoxGetCellParams = ListCellParams\n"
                            "      end\n"
                            "      item\n"
                            "        FieldName = 'O_ID'\n"
                            "      end>\n"
                            "  end\n"
                            "  object Combo: TDBLookupComboboxEh\n"
                            "    OnDropDownBoxTitleBtnClick = ListTitleClick\n"
                            "  end\n"
                            "end\n",
                            nullptr)));
  ASSERT_NE(form, nullptr);
  auto* grid = dynamic_cast<TDBGridEh*>(form->FindComponent("Grid"));
  auto* combo = dynamic_cast<TDBLookupComboboxEh*>(form->FindComponent("Combo"));
  ASSERT_NE(grid, nullptr);
  ASSERT_NE(combo, nullptr);
  TColumnEh* withHandler = grid->Columns()->Item(0);
  TColumnEh* without = grid->Columns()->Item(1);
  ASSERT_TRUE(withHandler->DropDownGridMade());
  EXPECT_FALSE(without->DropDownGridMade());
  ASSERT_TRUE(bool(withHandler->GetDropDownGrid()->OnGetCellParams));
  TColor background = clWhite;
  withHandler->GetDropDownGrid()->OnGetCellParams(nullptr, withHandler, nullptr, background, {});
  EXPECT_EQ(form->CellParams, 1);
  EXPECT_EQ(background, clYellow);
  ASSERT_TRUE(bool(combo->GetDropDownGrid()->OnTitleBtnClick));
  combo->OnDropDownBoxTitleBtnClick()(nullptr, 1, nullptr);
  EXPECT_EQ(form->TitleClicks, 1);
  const String text = ComponentToText(form.get());
  EXPECT_NE(text.find("OnDropDownBoxGetCellParams = ListCellParams"), String::npos) << text;
  EXPECT_NE(text.find("OnDropDownBoxTitleBtnClick = ListTitleClick"), String::npos) << text;
  // Clearing the event in code clears it in the drop-down grid.
  withHandler->SetOnDropDownBoxGetCellParams(nullptr);
  EXPECT_FALSE(bool(withHandler->GetDropDownGrid()->OnGetCellParams));
}

}   // namespace
