// The lookup combo box over real SQLite queries, set up as the sales-order
// editor's customer box: the shown text of a key, completion of typed text,
// the drop-down list with its columns, keys and clicks that write the key
// into the order's field, clearing, the list field and the settings that
// are refused.
#include <memory>

#include "FormFile.h"
#include "StdCtrls.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "Utf8.h"
#include "cxDBLookupComboBox.h"
#include "cxFilterControlUtils.h"
#include "LookupTestData.h"
#include "MemDataSet.h"
#include "gtest.h"

namespace {

struct ComboFixture : ::testing::Test {
  std::unique_ptr<TLookupTestData> Data;
  std::unique_ptr<TADOQuery> Orders, Customers;
  TDataSource OrdersSource, CustomersSource;
  std::unique_ptr<TForm> Form;
  TcxDBLookupComboBox* Box = nullptr;
  TEdit* Other = nullptr;

  void Open(int ACustomers) {
    Data = std::make_unique<TLookupTestData>(ACustomers);
    Orders = Data->Query("select * from Orders where O_ID = 1", ltBatchOptimistic);
    Customers = Data->Query("select C_ID, C_NO, C_Name from Customers");
    OrdersSource.SetDataSet(Orders.get());
    CustomersSource.SetDataSet(Customers.get());
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 480, 360);
    Box = new TcxDBLookupComboBox(Form.get());
    Box->SetBounds(20, 20, 160, 24);
    Box->SetParent(Form.get());
    Other = new TEdit(Form.get());
    Other->SetBounds(20, 280, 100, 24);
    Other->SetParent(Form.get());
    TcxLookupComboBoxProperties* p = Box->Properties();
    Box->DataBinding()->SetDataSource(&OrdersSource);
    Box->DataBinding()->SetDataField("C_ID");
    p->SetDropDownWidth(300);
    p->SetImmediatePost(true);
    p->SetKeyFieldNames("C_ID");
    TcxLookupDBGridColumn* no = p->ListColumns()->Add();
    no->SetCaption("编号");
    no->SetWidth(80);
    no->SetFieldName("C_NO");
    TcxLookupDBGridColumn* name = p->ListColumns()->Add();
    name->SetCaption("客户名称");
    name->SetWidth(200);
    name->SetFieldName("C_Name");
    p->ListOptions()->SetGridLines(glNone);
    p->ListOptions()->SetSyncMode(true);
    p->SetListSource(&CustomersSource);
    Form->Show();
    PumpMessages(2);
  }
  void TearDown() override {
    Form.reset();
    OrdersSource.SetDataSet(nullptr);
    CustomersSource.SetDataSet(nullptr);
  }
  HWND Inner() { return Box->InnerTextEdit()->Handle(); }
  void Type(const String& S) {
    for (size_t pos = 0; pos < S.size();) PostMessageW(Inner(), WM_CHAR, Utf8Decode(S, pos), 1);
    PumpMessages(3);
  }
  void Key(Word K) {
    PostMessageW(Inner(), WM_KEYDOWN, K, 1);
    PostMessageW(Inner(), WM_KEYUP, K, 0xC0000001);
    PumpMessages(3);
  }
  Integer OrderCustomer() {
    TField* f = Orders->FieldByName("C_ID");
    return f->IsNull() ? -1 : f->AsInteger();
  }
};

}  // namespace

TEST_F(ComboFixture, ShowsTheListTextOfTheKey) {
  Open(5);
  EXPECT_EQ(Box->EditValue().AsInteger(), 20);
  EXPECT_EQ(Box->Text(), "C02");   // the first list column, the number
  TcxLookupComboBoxProperties* p = Box->Properties();
  EXPECT_EQ(p->ListFieldNames(), "C_NO;C_Name");
  p->SetListFieldIndex(1);
  EXPECT_EQ(Box->Text(), "李四");
  p->SetListFieldIndex(7);
  EXPECT_EQ(p->ListFieldIndex(), 1);
  // A key no customer has shows nothing.
  Orders->Edit();
  Orders->FieldByName("C_ID")->SetAsInteger(99);
  PumpMessages(1);
  EXPECT_EQ(Box->Text(), "");
  Orders->Cancel();
  PumpMessages(1);
  EXPECT_EQ(Box->Text(), "李四");
  // The list may not come from the edited dataset.
  EXPECT_THROW(p->SetListSource(&OrdersSource), EDatabaseError);
  WriteWindowPng(Box, "lookup_combo_box");
}

TEST_F(ComboFixture, TypingCompletesAndFiltersTheOpenList) {
  Open(20);
  Box->SetFocus();
  PumpMessages(1);
  Box->SelectAll();
  Type("c1");
  // The typed letters take the record's case; the rest is offered selected.
  EXPECT_EQ(Box->Text(), "C10");
  EXPECT_EQ(Box->SelText(), "0");
  EXPECT_TRUE(Box->DroppedDown());
  EXPECT_EQ(Box->Properties()->Grid()->RowCount(), 10);   // C10 .. C19
  Type("5");
  EXPECT_EQ(Box->Text(), "C15");
  EXPECT_EQ(Box->Properties()->Grid()->RowCount(), 1);
  // A character no number continues with is discarded; the list keeps its rows.
  Type("x");
  EXPECT_EQ(Box->Text(), "C15");
  EXPECT_EQ(Box->Properties()->Grid()->RowCount(), 1);
  Key(VK_RETURN);
  EXPECT_FALSE(Box->DroppedDown());
  EXPECT_EQ(OrderCustomer(), 150);   // written at once with ImmediatePost
  EXPECT_EQ(Customers->FieldByName("C_NO")->AsString(), "C15");   // sync mode
}

TEST_F(ComboFixture, DropDownListWithColumnsAndChoosingByMouse) {
  Open(20);
  Box->SetFocus();
  PumpMessages(1);
  Key(VK_F4);
  ASSERT_TRUE(Box->DroppedDown());
  TcxCustomLookupDBGrid* grid = Box->Properties()->Grid();
  EXPECT_EQ(grid->Parent(), Box->PopupWindow());
  EXPECT_EQ(grid->ViewInfo()->ColumnCount(), 2);
  EXPECT_EQ(grid->ViewInfo()->VisibleRowCount(), 8);
  EXPECT_TRUE(grid->VScrollBarVisible());
  EXPECT_EQ(Box->PopupWindow()->Width(), 300);
  EXPECT_EQ(grid->FocusedRowIndex(), 1);   // on the editor's value, C02
  WriteWindowPng(Box->PopupWindow(), "lookup_combo_box_dropdown");
  // A press and release on the fourth row chooses it.
  TcxLookupGridRowViewInfo* row = grid->ViewInfo()->FindRow(3);
  ASSERT_NE(row, nullptr);
  const TPoint p(row->Bounds.Left + 10, (row->Bounds.Top + row->Bounds.Bottom) / 2);
  SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  SendMessageW(grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.X, p.Y));
  PumpMessages(2);
  EXPECT_FALSE(Box->DroppedDown());
  EXPECT_EQ(Box->Text(), "C04");
  EXPECT_EQ(OrderCustomer(), 40);
}

TEST_F(ComboFixture, KeysInTheClosedBoxAndClearing) {
  Open(3);
  Box->Properties()->SetClearKey(VK_DELETE);
  Box->SetFocus();
  PumpMessages(1);
  Key(VK_DOWN);
  EXPECT_FALSE(Box->DroppedDown());
  EXPECT_EQ(Box->Text(), "C03");
  EXPECT_EQ(OrderCustomer(), 30);   // ImmediatePost
  Box->Properties()->SetImmediatePost(false);
  Key(VK_UP);
  EXPECT_EQ(Box->Text(), "C02");
  EXPECT_EQ(OrderCustomer(), 30);   // written only when the editor posts
  Other->SetFocus();
  PumpMessages(2);
  EXPECT_EQ(OrderCustomer(), 20);
  // With three customers the drop-down shows three rows.
  Box->SetFocus();
  Key(VK_F4);
  ASSERT_TRUE(Box->DroppedDown());
  EXPECT_EQ(Box->Properties()->Grid()->ViewInfo()->VisibleRowCount(), 3);
  EXPECT_FALSE(Box->Properties()->Grid()->VScrollBarVisible());
  Key(VK_ESCAPE);
  // The clear key empties the value.
  Key(VK_DELETE);
  EXPECT_TRUE(Box->EditValue().IsNull());
  EXPECT_EQ(Box->Text(), "");
  Other->SetFocus();
  PumpMessages(2);
  EXPECT_EQ(OrderCustomer(), -1);
}

TEST_F(ComboFixture, KeyFieldsGridModeAndTheTextOfKeys) {
  Open(5);
  TcxLookupComboBoxProperties* p = Box->Properties();
  // A text that matches no record gives the null key: one Null per key field.
  Variant v;
  Box->DisplayToEditValue(Variant("C9"), v, true);
  EXPECT_TRUE(v.IsNull());
  Box->DisplayToEditValue(Variant("c04"), v, true);   // a whole text, any case
  EXPECT_EQ(v.AsInteger(), 40);
  p->SetKeyFieldNames("C_ID;C_NO");
  Box->DisplayToEditValue(Variant("C9"), v, true);
  ASSERT_TRUE(v.IsArray());
  EXPECT_EQ(v.HighBound() - v.LowBound() + 1, 2);
  EXPECT_TRUE(v.GetElement(0).IsNull() && v.GetElement(1).IsNull());
  // Free text where the key is the list text: the value is the typed text.
  p->SetKeyFieldNames("C_NO");
  p->SetDropDownListStyle(lsEditList);
  EXPECT_TRUE(p->EditValueIsText());
  Box->DisplayToEditValue(Variant("新客户"), v, true);
  EXPECT_EQ(VarToStr(v), "新客户");
  p->SetDropDownListStyle(lsEditFixedList);
  EXPECT_FALSE(p->EditValueIsText());
  p->SetKeyFieldNames("C_ID");

  // Grid mode: texts are located in the list dataset once and cached, a
  // missing key with an empty text; every change of the settings empties
  // the cache.
  p->SetGridMode(true);
  ASSERT_NE(p->LookupList(), nullptr);
  String text;
  p->GetKeyDisplayText(Variant(30), text);
  EXPECT_EQ(text, "C03");
  p->GetKeyDisplayText(Variant(99), text);
  EXPECT_EQ(text, "");
  Integer index = -1;
  EXPECT_TRUE(p->LookupList()->Find(Variant(99), index));
  EXPECT_TRUE(p->LookupList()->Find(Variant(30), index));
  EXPECT_EQ(p->LookupList()->GetItem(index).DisplayText, "C03");
  p->SetListFieldIndex(1);
  EXPECT_FALSE(p->LookupList()->Find(Variant(99), index));   // only the box's own key again
  EXPECT_EQ(Box->Text(), "李四");
  p->GetKeyDisplayText(Variant(30), text);
  EXPECT_EQ(text, "王五");
  // The grid-mode search runs in the dataset and honours the case setting.
  EXPECT_NE(p->FindRecordByText(1, "赵", true), -1);
  p->SetListFieldIndex(0);
  EXPECT_NE(p->FindRecordByText(0, "c05", false), -1);
  p->SetCaseSensitiveSearch(true);
  EXPECT_EQ(p->FindRecordByText(0, "c05", false), -1);
  p->SetGridMode(false);
  EXPECT_EQ(p->LookupList(), nullptr);
}

TEST(LookupComboBoxStreaming, TheSalesFormsCustomerBox) {
  TLookupTestData data(5);
  auto orders = data.Query("select * from Orders where o_id = 1", ltBatchOptimistic);
  auto customers = data.Query("select C_ID, C_NO, C_Name from Customers", ltBatchOptimistic);
  TForm form(nullptr);
  const String text =
      "object F: TForm\n"
      "  Left = 0\n"
      "  Top = 0\n"
      "  object ds_Orders: TDataSource\n"
      "  end\n"
      "  object ds_Customers: TDataSource\n"
      "  end\n"
      "  object FCustomer: TcxDBLookupComboBox\n"
      "    Left = 64\n"
      "    Top = 40\n"
      "    DataBinding.DataField = 'C_ID'\n"
      "    DataBinding.DataSource = ds_Orders\n"
      "    Properties.DropDownListStyle = lsEditFixedList\n"
      "    Properties.DropDownWidth = 300\n"
      "    Properties.ImmediatePost = True\n"
      "    Properties.KeyFieldNames = 'C_ID'\n"
      "    Properties.ListColumns = <\n"
      "      item\n"
      "        Caption = '编号'\n"
      "        Width = 80\n"
      "        FieldName = 'C_NO'\n"
      "      end\n"
      "      item\n"
      "        Caption = '客户名称'\n"
      "        Width = 200\n"
      "        FieldName = 'C_Name'\n"
      "      end>\n"
      "    Properties.ListOptions.GridLines = glNone\n"
      "    Properties.ListOptions.SyncMode = True\n"
      "    Properties.ListSource = ds_Customers\n"
      "    TabOrder = 0\n"
      "    Width = 145\n"
      "  end\n"
      "end\n";
  ReadComponentFromText(text, &form);
  auto* box = dynamic_cast<TcxDBLookupComboBox*>(form.FindComponent("FCustomer"));
  ASSERT_NE(box, nullptr);
  TcxLookupComboBoxProperties* p = box->Properties();
  EXPECT_EQ(p->DropDownWidth(), 300);
  EXPECT_EQ(p->DropDownListStyle(), lsEditFixedList);
  EXPECT_TRUE(p->ImmediatePost());
  EXPECT_EQ(p->KeyFieldNames(), "C_ID");
  EXPECT_EQ(p->ListFieldNames(), "C_NO;C_Name");
  ASSERT_EQ(p->ListColumns()->Count(), 2);
  EXPECT_EQ(p->ListColumns()->Items(1)->Caption(), "客户名称");
  EXPECT_EQ(p->ListColumns()->Items(1)->Width(), 200);
  EXPECT_EQ(p->ListOptions()->GridLines(), glNone);
  EXPECT_TRUE(p->ListOptions()->SyncMode());
  // The data sources get their datasets after loading, as the program's
  // data module does.
  auto* ordersSource = static_cast<TDataSource*>(form.FindComponent("ds_Orders"));
  auto* customersSource = static_cast<TDataSource*>(form.FindComponent("ds_Customers"));
  EXPECT_EQ(p->ListSource(), customersSource);
  customersSource->SetDataSet(customers.get());
  ordersSource->SetDataSet(orders.get());
  form.SetBounds(80, 80, 300, 200);
  form.Show();
  PumpMessages(2);
  EXPECT_EQ(box->Text(), "C02");
  EXPECT_EQ(SendMessageW(box->Handle(), CM_GETDATALINK, 0, 0), LRESULT(box->DataBinding()->DataLink()));
  ordersSource->SetDataSet(nullptr);
  customersSource->SetDataSet(nullptr);
}

TEST(LookupComboBoxRegistration, EditorRegistryAndFilterRows) {
  TcxLookupComboBoxProperties props;
  const TcxCustomFilterEditHelper* helper =
      cxGetFilterEditsController()->FindHelper(TcxLookupComboBoxProperties::StaticClass());
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(helper->GetFilterEditorClass(), TcxLookupComboBox::StaticClass());
  const TcxFilterEditOperators ops = cxFilterOperatorBit(1) | cxFilterOperatorBit(2) | cxFilterOperatorBit(9) |
                                     cxFilterOperatorBit(10);
  EXPECT_EQ(helper->GetAllowedOperators(&props, nullptr, false), ops);
  EXPECT_EQ(helper->GetAllowedOperators(&props, nullptr, true), ops);
  EXPECT_FALSE(helper->AcceptsProperties(&props));   // no lookup field defines it
}

TEST(LookupComboBoxLookupField, TheLookupFieldDefinesTheList) {
  TLookupTestData data(5);
  auto customers = data.Query("select C_ID, C_NO, C_Name from Customers");
  TMemDataSet orders;
  orders.FieldDefs().Add("O_ID", ftInteger);
  orders.FieldDefs().Add("C_ID", ftInteger);
  for (int i = 0; i < 2; ++i) orders.FieldDefs()[i].CreateField()->SetDataSet(&orders);
  auto* custNo = new TStringField();
  custNo->SetFieldName("CustNo");
  custNo->SetSize(20);
  custNo->SetFieldKind(fkLookup);
  custNo->SetLookupDataSet(customers.get());
  custNo->SetKeyFields("C_ID");
  custNo->SetLookupKeyFields("C_ID");
  custNo->SetLookupResultField("C_NO");
  custNo->SetDataSet(&orders);
  orders.Open();
  orders.AppendRecord({Variant(1), Variant(30)});
  TDataSource source;
  source.SetDataSet(&orders);
  TForm form(nullptr);
  form.SetBounds(80, 80, 300, 200);
  auto* box = new TcxDBLookupComboBox(&form);
  box->SetParent(&form);
  TcxLookupComboBoxProperties* p = box->Properties();
  TcxLookupDBGridColumn* name = p->ListColumns()->Add();
  name->SetFieldName("C_Name");
  name->SetWidth(200);
  box->DataBinding()->SetDataSource(&source);
  box->DataBinding()->SetDataField("CustNo");
  form.Show();
  PumpMessages(2);
  // The result column comes first, the user's column stays; the lookup's
  // key fields and list dataset are used.
  EXPECT_TRUE(p->IsDefinedByLookup());
  EXPECT_EQ(p->ListFieldNames(), "C_NO;C_Name");
  EXPECT_EQ(p->ListFieldIndex(), 0);
  EXPECT_EQ(p->KeyFieldNames(), "C_ID");
  EXPECT_EQ(p->ListSource(), nullptr);
  EXPECT_EQ(p->Grid()->DataSource()->DataSet(), customers.get());
  EXPECT_EQ(p->UsesDataDisplayFormat(true), evsKey);
  EXPECT_EQ(p->UsesDataDisplayFormat(false), evsText);
  EXPECT_EQ(box->Text(), "C03");
  // What the lookup field defines may not be set by hand.
  EXPECT_THROW(p->SetKeyFieldNames("C_NO"), EDatabaseError);
  EXPECT_THROW(p->SetListFieldIndex(1), EDatabaseError);
  EXPECT_THROW(p->SetListSource(&source), EDatabaseError);
  source.SetDataSet(nullptr);
}
