#include "uUserForm.h"

#include "ADODB.h"
#include "ActnList.h"
#include "ComCtrls.h"
#include "DBActns.h"
#include "DatabaseFile.h"
#include "ExtCtrls.h"
#include "cxDBCheckListBox.h"
#include "Strings.h"
#include "SysUtils.h"
#include "uDataForm.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TUserForm, TForm)
TOVANI_PUBLISHED(TUserForm) {
  Method("FormCreate", &TUserForm::FormCreate);
  Method("ToolButton1Click", &TUserForm::ToolButton1Click);
  Method("DataSetInsert1Execute", &TUserForm::DataSetInsert1Execute);
  Method("DataSetDelete1Execute", &TUserForm::DataSetDelete1Execute);
  Method("d_UsersAfterInsert", &TUserForm::d_UsersAfterInsert);
  Method("d_UsersBeforePost", &TUserForm::d_UsersBeforePost);
}

String UserNameRefusal(const String& Name, const Variant& UserId) {
  if (Trim(Name) == AdminUserName) return Format("不能使用用户名\"%s\".", {String(AdminUserName)});
  TADOQuery* q = DataForm->Query;
  q->Close();
  q->SQL()->SetText("select count(*) from Users where U_Name = :name and U_ID <> :id");
  q->Parameters()->ParamByName("name")->SetValue(Name);
  q->Parameters()->ParamByName("id")->SetValue(UserId.IsNull() || UserId.IsEmpty() ? Variant(-1) : UserId);
  q->Open();
  bool taken = q->Fields().Fields(0)->AsInteger() > 0;
  q->Close();
  return taken ? Format("用户名\"%s\"已经存在.", {Name}) : String();
}

TUserForm::TUserForm(TComponent* AOwner) : TForm(AOwner) {}

TUserForm::~TUserForm() { LeaveFocus(this); }

void TUserForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "OP", OP);
  BindComponent(this, "d_Users", d_Users);
  BindComponent(this, "ds_Users", ds_Users);
}

void TUserForm::FormCreate(TObject*) {
  TADOQuery* q = DataForm->Query;
  q->Close();
  q->SQL()->SetText("select * from OP order by OP_ID");
  q->Open();
  for (q->First(); !q->Eof(); q->Next()) OP->GetItems()->Add()->SetText(q->FieldByName("OP_Name")->AsString());
  q->Close();
  d_Users->Open();
}

void TUserForm::ToolButton1Click(TObject*) { Close(); }

void TUserForm::DataSetInsert1Execute(TObject*) { d_Users->Append(); }

void TUserForm::DataSetDelete1Execute(TObject*) {
  if (d_Users->IsEmpty()) return;
  if (MsgConfirm(Handle(), "真的要删除记录吗？") != IDOK) return;
  d_Users->Delete();
}

void TUserForm::d_UsersAfterInsert(TDataSet* DataSet) {
  for (int k = 1; k <= 9; ++k) DataSet->FieldByName("U_P" + IntToStr(k))->SetAsBoolean(false);
}

void TUserForm::d_UsersBeforePost(TDataSet* DataSet) {
  String refusal = UserNameRefusal(DataSet->FieldByName("U_Name")->AsString(), DataSet->FieldByName("U_ID")->Value());
  if (refusal.empty()) return;
  MsgError(Handle(), refusal);
  Abort();
}
