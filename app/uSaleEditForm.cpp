#include "uSaleEditForm.h"

#include <memory>
#include "ADODB.h"
#include "ActnList.h"
#include "DBActns.h"
#include "DBCtrls.h"
#include "DBGridEh.h"
#include "DBSumLst.h"
#include "DateUtils.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "uDataForm.h"
#include "uSaleData.h"
#include "uSaleListForm.h"

TSaleEditForm* SaleEditForm = nullptr;

TOVANI_IMPLEMENT_CLASS_FACTORY(TSaleEditForm, TForm)
TOVANI_PUBLISHED(TSaleEditForm) {
  Method("FormCreate", &TSaleEditForm::FormCreate);
  Method("FormKeyDown", &TSaleEditForm::FormKeyDown);
  Method("FBeiZhuKeyPress", &TSaleEditForm::FBeiZhuKeyPress);
  Method("d_OrdersAfterInsert", &TSaleEditForm::d_OrdersAfterInsert);
  Method("d_Orders_dAfterOpen", &TSaleEditForm::d_Orders_dAfterOpen);
  Method("d_Orders_dBeforeInsert", &TSaleEditForm::d_Orders_dBeforeInsert);
  Method("d_Orders_dAfterInsert", &TSaleEditForm::d_Orders_dAfterInsert);
  Method("d_Orders_dBeforePost", &TSaleEditForm::d_Orders_dBeforePost);
  Method("ds_Orders_dDataChange", &TSaleEditForm::ds_Orders_dDataChange);
  Method("Button1Click", &TSaleEditForm::Button1Click);
  Method("actSearchExecute", &TSaleEditForm::actSearchExecute);
}

namespace {
// The editor classes of the form file, linked into the program with it.
[[maybe_unused]] const TClass GEditorClasses[] = {TDataSetInsert::StaticClass(), TDataSetDelete::StaticClass(),
                                                 TDataSetPost::StaticClass(), TDataSetCancel::StaticClass()};
// The product values a line keeps a copy of.
const char* const CopiedProductFields[] = {"P_NO", "P_Name", "P_Color", "P_Unit", "P_Size", "P_GWeight", "P_NWeight"};
}  // namespace

void LinkSaleEditFormEditors();

TSaleEditForm::TSaleEditForm(TComponent* AOwner) : TForm(AOwner) { LinkSaleEditFormEditors(); }

TSaleEditForm::~TSaleEditForm() {
  if (SaleEditForm == this) SaleEditForm = nullptr;
  LeaveFocus(this);
}

void TSaleEditForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "pnl2", pnl2);
  BindComponent(this, "pnl1", pnl1);
  BindComponent(this, "Panel1", Panel1);
  BindComponent(this, "DBText1", DBText1);
  BindComponent(this, "DBText3", DBText3);
  BindComponent(this, "cxDBDateEdit1", cxDBDateEdit1);
  BindComponent(this, "cxDBCheckBox1", cxDBCheckBox1);
  BindComponent(this, "FCustomer", FCustomer);
  BindComponent(this, "FProduct", FProduct);
  BindComponent(this, "FPrice", FPrice);
  BindComponent(this, "FQty", FQty);
  BindComponent(this, "FBeiZhu", FBeiZhu);
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "Button2", Button2);
  BindComponent(this, "ActionList1", ActionList1);
  BindComponent(this, "actSearch", actSearch);
  BindComponent(this, "d_Orders", d_Orders);
  BindComponent(this, "ds_Orders", ds_Orders);
  BindComponent(this, "d_Orders_d", d_Orders_d);
  BindComponent(this, "ds_Orders_d", ds_Orders_d);
  BindComponent(this, "d_Customers", d_Customers);
  BindComponent(this, "ds_Customers", ds_Customers);
  BindComponent(this, "d_Products", d_Products);
  BindComponent(this, "ds_Products", ds_Products);
}

void TSaleEditForm::FormCreate(TObject*) {
  d_Customers->Open();
  d_Products->Open();
  // One empty entry, so that the customer box can be cleared; it stays in
  // the cache and is never written.
  d_Customers->Insert();
  d_Customers->FieldByName("C_NO")->Clear();
  d_Customers->FieldByName("C_Name")->Clear();
  d_Customers->Post();
  // No order yet: NewOrder inserts one, EditOrder reads one.
  d_Orders->Parameters()->ParamByName("o_id")->SetValue(Variant(0));
  d_Orders->Open();
  d_Orders_d->Open();
}

void TSaleEditForm::NewOrder() {
  d_Orders->Insert();
  d_Orders->Post();
  d_Orders->Edit();
}

void TSaleEditForm::EditOrder(const Variant& Id) {
  d_Orders->Parameters()->ParamByName("o_id")->SetValue(Id);
  d_Orders->Requery();
  d_Orders->Edit();
  DBGridEh1->SumList()->RecalcAll();
}

void TSaleEditForm::d_OrdersAfterInsert(TDataSet* DataSet) {
  DataSet->FieldByName("O_IsBack")->SetAsBoolean(false);
  DataSet->FieldByName("O_Enabled")->SetAsBoolean(true);
  DataSet->FieldByName("U_ID")->SetValue(DataForm->User->FieldByName("U_ID")->Value());
  DataSet->FieldByName("O_OrderDate")->SetAsDateTime(Date());
  DataSet->FieldByName("O_ID")->SetAsInteger(DataForm->NextAutoID("Orders"));
  String number;
  DataForm->NextDocumentNo("Orders", "O_NO", number);
  DataSet->FieldByName("O_NO")->SetAsString(number);
}

void TSaleEditForm::d_Orders_dAfterOpen(TDataSet* DataSet) { DataForm->SetMoneyFormats(DataSet); }

void TSaleEditForm::FocusControl(TWinControl* Control) {
  if (Control && Showing() && Control->CanFocus()) Control->SetFocus();
}

void TSaleEditForm::d_Orders_dBeforeInsert(TDataSet*) {
  if (d_Orders->FieldByName("C_ID")->AsInteger() != 0) return;
  FocusControl(FCustomer);
  MsgError(Handle(), "未选择客户.");
  Abort();
}

void TSaleEditForm::d_Orders_dAfterInsert(TDataSet*) { FocusControl(FProduct); }

void TSaleEditForm::ds_Orders_dDataChange(TObject*, TField* Field) {
  if (!Field) return;   // another record, not a changed value
  const String& name = Field->FieldName();
  TDataSet* lines = d_Orders_d;
  if (name == "P_ID") {
    if (Field->IsNull()) {
      lines->FieldByName("OD_Price")->Clear();
      for (const char* f : CopiedProductFields) lines->FieldByName(f)->Clear();
      // (the cleared price has recomputed the amount)
      return;
    }
    if (d_Products->Locate("P_ID", Field->Value(), {})) {
      lines->FieldByName("OD_Price")->SetValue(d_Products->FieldByName("P_Price")->Value());
      for (const char* f : CopiedProductFields) lines->FieldByName(f)->SetValue(d_Products->FieldByName(f)->Value());
    }
  }
  if (name == "P_ID" || name == "OD_Price" || name == "OD_Qty") {
    TField* price = lines->FieldByName("OD_Price");
    TField* qty = lines->FieldByName("OD_Qty");
    double p = price->IsNull() ? 0.0 : price->AsCurrency().ToDouble();
    double q = qty->IsNull() ? 0.0 : qty->AsFloat();
    // Rounded to four decimals, halves to even.
    lines->FieldByName("OD_JE")->SetAsCurrency(Currency(p * q));
  }
}

void TSaleEditForm::d_Orders_dBeforePost(TDataSet* DataSet) {
  auto refuse = [&](const char* text) {
    MsgError(Handle(), text);
    Abort();
  };
  if (DataSet->FieldByName("P_ID")->AsInteger() == 0) refuse("未选择产品.");
  if (DataSet->FieldByName("OD_Price")->AsCurrency() <= Currency(0)) refuse("单价不正确.");
  if (DataSet->FieldByName("OD_Qty")->AsFloat() <= 0) refuse("数量不正确.");
}

void TSaleEditForm::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  // In the note field Enter saves the line (FBeiZhuKeyPress).
  TWinControl* focused = ActiveControl();
  HWND focus = GetFocus();
  bool inNote = focused == FBeiZhu || (FBeiZhu->HandleAllocated() && focus &&
                                       (focus == FBeiZhu->Handle() || IsChild(FBeiZhu->Handle(), focus)));
  if (!inNote) SelectNext(focused, true, true);
}

void TSaleEditForm::FBeiZhuKeyPress(TObject*, char32_t& Key) {
  if (Key == U'\r') {
    if (d_Orders_d->State() == dsEdit || d_Orders_d->State() == dsInsert || d_Orders_d->State() == dsSetKey)
      d_Orders_d->Post();
  } else if (Key == U'+') {
    Key = 0;
    d_Orders_d->Append();
  }
}

void TSaleEditForm::Button1Click(TObject*) {
  if (d_Orders->FieldByName("C_ID")->AsInteger() == 0) {
    MsgInfo(Handle(), "未指定客户.");
    return;
  }
  // A line still being edited is posted with its checks; the footer's sum
  // then covers every line.
  d_Orders_d->CheckBrowseMode();
  TDBSumCollection* sums = DBGridEh1->SumList()->SumCollection();
  Currency total = sums->Count() > 0 ? static_cast<TDBSum*>(sums->Items(0))->AggregateValue() : Currency();
  if (d_Orders->State() != dsEdit && d_Orders->State() != dsInsert) d_Orders->Edit();
  d_Orders->FieldByName("O_JE")->SetAsCurrency(total);
  // Header and lines in one transaction; on failure the error is shown and
  // the editor stays open with everything still in its caches.
  SaveDocument(OrderTables, d_Orders, d_Orders_d);
  SetModalResult(mrOk);
}

void TSaleEditForm::actSearchExecute(TObject*) {
  std::unique_ptr<TSaleListForm> picker(TCustomForm::Create<TSaleListForm>(nullptr));
  if (picker->ShowModal() == mrOk && !picker->d_Orders->IsEmpty())
    d_Orders->Locate("O_ID", picker->d_Orders->FieldByName("O_ID")->Value(), {});
  LeaveFocus(picker.get());
}
