#include "uPriceListEditForm.h"

#include "ADODB.h"
#include "DBCtrls.h"
#include "DBGridEh.h"
#include "DateUtils.h"
#include "StdCtrls.h"
#include "uDataForm.h"
#include "uSaleData.h"

TPriceListEditForm* PriceListEditForm = nullptr;

TOVANI_IMPLEMENT_CLASS_FACTORY(TPriceListEditForm, TForm)
TOVANI_PUBLISHED(TPriceListEditForm) {
  Method("FormCreate", &TPriceListEditForm::FormCreate);
  Method("d_PriceListAfterInsert", &TPriceListEditForm::d_PriceListAfterInsert);
  Method("ds_PriceList_dDataChange", &TPriceListEditForm::ds_PriceList_dDataChange);
  Method("FPNOKeyPress", &TPriceListEditForm::FPNOKeyPress);
  Method("FPriceKeyPress", &TPriceListEditForm::FPriceKeyPress);
  Method("Button1Click", &TPriceListEditForm::Button1Click);
  Method("Button3Click", &TPriceListEditForm::Button3Click);
  Method("Button4Click", &TPriceListEditForm::Button4Click);
  Method("Button5Click", &TPriceListEditForm::Button5Click);
  Method("Button6Click", &TPriceListEditForm::Button6Click);
}

namespace {
// The editor classes of the form file, linked into the program with it.
[[maybe_unused]] const TClass GEditorClasses[] = {TDBEdit::StaticClass(), TDBMemo::StaticClass()};

bool Editing(TDataSet* d) { return d->State() == dsEdit || d->State() == dsInsert || d->State() == dsSetKey; }
}  // namespace

void LinkPriceListEditFormEditors();

TPriceListEditForm::TPriceListEditForm(TComponent* AOwner) : TForm(AOwner) { LinkPriceListEditFormEditors(); }

TPriceListEditForm::~TPriceListEditForm() {
  if (PriceListEditForm == this) PriceListEditForm = nullptr;
  LeaveFocus(this);
}

void TPriceListEditForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "DBEdit1", DBEdit1);
  BindComponent(this, "cxDBDateEdit1", cxDBDateEdit1);
  BindComponent(this, "cxDBLookupComboBox1", cxDBLookupComboBox1);
  BindComponent(this, "DBMemo1", DBMemo1);
  BindComponent(this, "FPNO", FPNO);
  BindComponent(this, "FPrice", FPrice);
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "Button1", Button1);
  BindComponent(this, "Button2", Button2);
  BindComponent(this, "Button3", Button3);
  BindComponent(this, "Button4", Button4);
  BindComponent(this, "Button5", Button5);
  BindComponent(this, "Button6", Button6);
  BindComponent(this, "d_PriceList", d_PriceList);
  BindComponent(this, "ds_PriceList", ds_PriceList);
  BindComponent(this, "d_Customers", d_Customers);
  BindComponent(this, "ds_Customers", ds_Customers);
  BindComponent(this, "d_PriceList_d", d_PriceList_d);
  BindComponent(this, "ds_PriceList_d", ds_PriceList_d);
  BindComponent(this, "d_Products", d_Products);
  BindComponent(this, "ds_Products", ds_Products);
}

void TPriceListEditForm::FormCreate(TObject*) {
  d_Customers->Open();
  d_Products->Open();
  // One empty entry of the editor's own (kept in the cache, never written).
  d_Customers->Insert();
  d_Customers->Post();
  d_PriceList->Parameters()->ParamByName("PL_ID")->SetValue(Variant(0));
  d_PriceList->Open();
  d_PriceList_d->Open();
}

void TPriceListEditForm::NewPriceList() {
  d_PriceList->Insert();
  d_PriceList->Post();
}

void TPriceListEditForm::EditPriceList(const Variant& Id) {
  d_PriceList->Parameters()->ParamByName("PL_ID")->SetValue(Id);
  d_PriceList->Requery();
}

void TPriceListEditForm::d_PriceListAfterInsert(TDataSet* DataSet) {
  DataSet->FieldByName("PL_ID")->SetAsInteger(DataForm->NextAutoID("PriceList"));
  DataSet->FieldByName("PL_Date")->SetAsDateTime(Date());
  String number;
  DataForm->NextDocumentNo("PriceList", "PL_NO", number);
  DataSet->FieldByName("PL_NO")->SetAsString(number);
}

void TPriceListEditForm::ds_PriceList_dDataChange(TObject*, TField* Field) {
  if (!Field || Field->FieldName() != "P_ID") return;
  TField* price = d_PriceList_d->FieldByName("PLD_Price");
  if (!Field->IsNull() && d_Products->Locate("P_ID", Field->Value(), {}))
    price->SetValue(d_Products->FieldByName("P_Price")->Value());
  else
    price->Clear();
}

void TPriceListEditForm::PostLine() {
  if (Editing(d_PriceList_d)) d_PriceList_d->Post();
}

void TPriceListEditForm::FPNOKeyPress(TObject*, char32_t& Key) {
  if (Key == U'\r' && FPrice->CanFocus()) FPrice->SetFocus();
}

void TPriceListEditForm::FPriceKeyPress(TObject*, char32_t& Key) {
  if (Key == U'\r') {
    PostLine();
  } else if (Key == U'+') {
    Key = 0;
    PostLine();
    d_PriceList_d->Append();
    if (FPNO->CanFocus()) FPNO->SetFocus();
  }
}

void TPriceListEditForm::Button3Click(TObject*) { d_PriceList_d->Append(); }

void TPriceListEditForm::Button4Click(TObject*) { PostLine(); }

void TPriceListEditForm::Button5Click(TObject*) {
  if (Editing(d_PriceList_d)) d_PriceList_d->Cancel();
}

void TPriceListEditForm::Button6Click(TObject*) {
  if (d_PriceList_d->IsEmpty()) return;
  if (MsgConfirm(Handle(), "确定要删除吗？") == IDOK) d_PriceList_d->Delete();
}

void TPriceListEditForm::Button1Click(TObject*) {
  // Header and lines in one transaction; on failure the error is shown and
  // the editor stays open with everything still in its caches.
  SaveDocument(PriceListTables, d_PriceList, d_PriceList_d);
  SetModalResult(mrOk);
}
