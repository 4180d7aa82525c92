#include "uMainForm.h"

#include <shellapi.h>
#include "ComCtrls.h"
#include "Dialogs.h"
#include "Menus.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "uClassesForm.h"
#include "uCustomerForm.h"
#include "uDataSettingsForm.h"
#include "uDataForm.h"
#include "uNavForm.h"
#include "uPasswordForm.h"
#include "uPriceListForm.h"
#include "uProductForm.h"
#include "uSaleForm.h"
#include "uSaleStatForm.h"
#include "uUserForm.h"

TMainForm* MainForm = nullptr;
const char* const WebSiteAddress = "https://tovani.example.com/";

TOVANI_IMPLEMENT_CLASS(TMainForm, TForm)
TOVANI_PUBLISHED(TMainForm) {
  Method("FormShow", &TMainForm::FormShow);
  Method("ApplicationEventsHint", &TMainForm::ApplicationEventsHint);
  Method("miPwdClick", &TMainForm::miPwdClick);
  Method("miUsersClick", &TMainForm::miUsersClick);
  Method("N4Click", &TMainForm::N4Click);
  Method("N6Click", &TMainForm::N6Click);
  Method("miProductClick", &TMainForm::miProductClick);
  Method("miCustomerClick", &TMainForm::miCustomerClick);
  Method("N10Click", &TMainForm::N10Click);
  Method("N11Click", &TMainForm::N11Click);
  Method("N12Click", &TMainForm::N12Click);
  Method("miSaleClick", &TMainForm::miSaleClick);
  Method("miSaleStatClick", &TMainForm::miSaleStatClick);
  Method("N1Click", &TMainForm::N1Click);
  Method("N2Click", &TMainForm::N2Click);
}

namespace {

const char* const ContactText = "Tovani软件 服务电话: 400-000-0000";

}  // namespace

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {}

TMainForm::~TMainForm() {
  if (MainForm == this) MainForm = nullptr;
  LeaveFocus(this);
  // Children go while this form's members still exist: Notification uses them.
  DestroyComponents();
}

void TMainForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "MainMenu1", MainMenu1);
  struct {
    const char* Name;
    TMenuItem* TMainForm::*Field;
  } const items[] = {
      {"miSystem", &TMainForm::miSystem}, {"miPwd", &TMainForm::miPwd},
      {"miUsers", &TMainForm::miUsers},   {"N3", &TMainForm::N3},
      {"N4", &TMainForm::N4},             {"N5", &TMainForm::N5},
      {"N6", &TMainForm::N6},             {"miData", &TMainForm::miData},
      {"miProduct", &TMainForm::miProduct}, {"miCustomer", &TMainForm::miCustomer},
      {"N9", &TMainForm::N9},             {"N10", &TMainForm::N10},
      {"N11", &TMainForm::N11},           {"miBusiness", &TMainForm::miBusiness},
      {"N12", &TMainForm::N12},           {"miSale", &TMainForm::miSale},
      {"N14", &TMainForm::N14},           {"miSaleStat", &TMainForm::miSaleStat},
      {"miWindow", &TMainForm::miWindow}, {"N1", &TMainForm::N1},
      {"miHelp", &TMainForm::miHelp},     {"N2", &TMainForm::N2},
  };
  for (const auto& item : items) BindComponent(this, item.Name, this->*item.Field);
  BindComponent(this, "ApplicationEvents", ApplicationEvents);
  BindComponent(this, "StatusBar", StatusBar);
  BindComponent(this, "SaveDialog", SaveDialog);
  SetStatusText(2, ContactText);
}

String TMainForm::StatusText(Integer Panel) const {
  if (Panel < 0 || Panel >= StatusBar->Panels()->Count()) return String();
  return StatusBar->Panels()->Items(Panel)->Text();
}

void TMainForm::SetStatusText(Integer Panel, const String& Text) {
  if (Panel < 0 || Panel >= StatusBar->Panels()->Count()) return;
  StatusBar->Panels()->Items(Panel)->SetText(Text);
}

void TMainForm::ShowCurrentUser() {
  SetStatusText(0, "当前用户：" + DataForm->UserName());
}

bool TMainForm::CheckPermission(const String& Operation) {
  if (Operation.empty() || DataForm->HasPermission(Operation)) return true;
  MsgError(Handle(), Format("您没有\"%s\"的操作权限.", {Operation}));
  return false;
}

void TMainForm::PrintReport(const String& Operation, TfrxReport* Report) {
  if (!CheckPermission(Operation)) return;
  Report->ShowReport(true);
}

TCustomForm* TMainForm::FindChildForm(TClass Class) {
  for (Integer i = 0; i < MDIChildCount(); ++i) {
    TCustomForm* child = MDIChildren(i);
    if (child->InheritsFrom(Class)) return child;
  }
  return nullptr;
}

void TMainForm::ShowChild(TCustomForm* Form) {
  Form->Show();
  Form->BringToFront();
}

void TMainForm::AdoptChild(TCustomForm* Form, TCustomForm** Variable) {
  Form->OnClose = [this](TObject* Sender, TCloseAction& Action) { ChildFormClose(Sender, Action); };
  Form->SetPosition(poDesigned);
  Form->SetWindowState(wsMaximized);
  Form->SetFormStyle(fsMDIChild);
  FChildVariables[Form] = Variable;
  Form->Show();
}

void TMainForm::ShowModalDialog(TCustomForm* Form) {
  Form->SetBorderStyle(bsDialog);
  Form->SetPosition(poMainFormCenter);
  Form->ShowModal();
}

void TMainForm::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  auto it = FChildVariables.find(AComponent);
  if (it == FChildVariables.end()) return;
  if (*it->second == AComponent) *it->second = nullptr;
  FChildVariables.erase(it);
}

void TMainForm::ChildFormClose(TObject* Sender, TCloseAction& Action) {
  auto* form = dynamic_cast<TObject*>(Sender);
  Action = form && form->Is<TNavForm>() ? caNone : caFree;
}

void TMainForm::FormShow(TObject*) { OpenChildForm("", NavForm); }

void TMainForm::ApplicationEventsHint(TObject*) {
  String hint = Application->Hint();
  SetStatusText(1, hint.empty() ? String("提示: 就绪") : "提示: " + hint);
}

void TMainForm::N1Click(TObject*) {
  if (TCustomForm* child = ActiveMDIChild()) child->Close();
}

void TMainForm::N6Click(TObject*) { Close(); }

void TMainForm::N2Click(TObject*) {
  std::u16string url = Utf8ToUtf16(WebSiteAddress);
  ShellExecuteW(Handle(), reinterpret_cast<LPCWSTR>(u"open"), reinterpret_cast<LPCWSTR>(url.c_str()), nullptr,
                nullptr, SW_SHOWNORMAL);
}

void TMainForm::miPwdClick(TObject*) { OpenModalForm<TPasswordForm>(""); }
void TMainForm::miCustomerClick(TObject*) { OpenChildForm("客户管理", CustomerForm); }
void TMainForm::miProductClick(TObject*) { OpenChildForm("产品管理", ProductForm); }
void TMainForm::N10Click(TObject*) { OpenModalForm<TClassesForm>("产品分类管理"); }
void TMainForm::N11Click(TObject*) { OpenModalForm<TDataSettingsForm>("资料设置"); }
void TMainForm::N12Click(TObject*) { OpenChildForm("报价管理", PriceListForm); }
void TMainForm::miUsersClick(TObject*) { OpenModalForm<TUserForm>("用户管理"); }
void TMainForm::miSaleClick(TObject*) { OpenChildForm("销售管理", SaleForm); }
void TMainForm::miSaleStatClick(TObject*) { OpenChildForm("销售统计", SaleStatForm); }

// ---------------------------------------------------------------------------
// Backup

void TMainForm::N4Click(TObject*) {
  SaveDialog->SetInitialDir(DataForm->AppPath + "bak");
  if (!SaveDialog->Execute()) return;
  BackupTo(SaveDialog->FileName());
}

bool TMainForm::BackupTo(const String& FileName) {
  std::u16string w = Utf8ToUtf16(FileName);
  bool exists = GetFileAttributesW(reinterpret_cast<LPCWSTR>(w.c_str())) != INVALID_FILE_ATTRIBUTES;
  if (exists && MsgConfirm(Handle(), "文件已经存在, 是否覆盖文件?") != IDOK) return false;
  // The database's own online backup: a consistent copy while the program
  // keeps its connection open (a plain file copy could catch a write
  // half-done).
  if (DataForm->BackupDatabase(FileName)) {
    MsgInfo(Handle(), "备份成功.");
    return true;
  }
  MsgError(Handle(), "备份失败.");
  return false;
}
