#include "uMainForm.h"

#include <shellapi.h>
#include <commdlg.h>
#include "ComCtrls.h"
#include "Menus.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "uDataForm.h"
#include "uNavForm.h"
#include "uPasswordForm.h"

TMainForm* MainForm = nullptr;
const char* const WebSiteAddress = "https://tovani.example.com/";

TOVANI_IMPLEMENT_CLASS(TMainForm, TForm)

namespace {

const char* const ContactText = "Tovani软件 服务电话: 400-000-0000";

}  // namespace

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {
  SetName("MainForm");
  SetCaption("Tovani订单管理软件");
  SetFormStyle(fsMDIForm);
  SetWindowState(wsMaximized);
  SetShowHint(true);
  Font()->SetName("宋体");
  Font()->SetSize(9);

  MainMenu1 = new TMainMenu(this);
  MainMenu1->SetName("MainMenu1");
  TMenuItem* root = MainMenu1->Items();
  miSystem = AddItem(root, "miSystem", "系统(&S)", nullptr);
  miPwd = AddItem(miSystem, "miPwd", "更改密码", &TMainForm::miPwdClick);
  miUsers = AddItem(miSystem, "miUsers", "用户管理", &TMainForm::miUsersClick);
  N3 = AddItem(miSystem, "N3", "-", nullptr);
  N4 = AddItem(miSystem, "N4", "备份数据库", &TMainForm::N4Click);
  N5 = AddItem(miSystem, "N5", "-", nullptr);
  N6 = AddItem(miSystem, "N6", "退出系统", &TMainForm::N6Click);
  N6->SetImageIndex(19);
  miData = AddItem(root, "miData", "资料(&D)", nullptr);
  miProduct = AddItem(miData, "miProduct", "产品管理", &TMainForm::miProductClick);
  miCustomer = AddItem(miData, "miCustomer", "客户管理", &TMainForm::miCustomerClick);
  N9 = AddItem(miData, "N9", "-", nullptr);
  N10 = AddItem(miData, "N10", "产品分类", &TMainForm::N10Click);
  N11 = AddItem(miData, "N11", "资料设置", &TMainForm::N11Click);
  miBusiness = AddItem(root, "miBusiness", "业务(&B)", nullptr);
  N12 = AddItem(miBusiness, "N12", "报价管理", &TMainForm::N12Click);
  miSale = AddItem(miBusiness, "miSale", "销售管理", &TMainForm::miSaleClick);
  N14 = AddItem(miBusiness, "N14", "-", nullptr);
  miSaleStat = AddItem(miBusiness, "miSaleStat", "销售统计", &TMainForm::miSaleStatClick);
  miWindow = AddItem(root, "miWindow", "窗口(&W)", nullptr);
  N1 = AddItem(miWindow, "N1", "关闭当前窗口", &TMainForm::N1Click);
  miHelp = AddItem(root, "miHelp", "帮助(&H)", nullptr);
  N2 = AddItem(miHelp, "N2", "访问官方网站", &TMainForm::N2Click);
  SetMenu(MainMenu1);
  SetWindowMenu(miWindow);

  ApplicationEvents = new TApplicationEvents(this);
  ApplicationEvents->SetName("ApplicationEvents");
  ApplicationEvents->OnHint = [this](TObject* Sender) { ApplicationEventsHint(Sender); };

  StatusBar = new TStatusBar(this);
  StatusBar->SetName("StatusBar");
  StatusBar->SetParent(this);
  for (Integer width : {150, 400, 150}) StatusBar->Panels()->Add()->SetWidth(width);

  SetStatusText(1, "提示: 就绪");
  SetStatusText(2, ContactText);
  OnShow = [this](TObject* Sender) { FormShow(Sender); };
}

TMainForm::~TMainForm() {
  if (MainForm == this) MainForm = nullptr;
  LeaveFocus(this);
  // Children go while this form's members still exist: Notification uses them.
  DestroyComponents();
}

TMenuItem* TMainForm::AddItem(TMenuItem* Parent, const char* Name, const char* Caption,
                              void (TMainForm::*Handler)(TObject*)) {
  auto* item = new TMenuItem(this);
  item->SetName(Name);
  item->SetCaption(Caption);
  if (Handler) item->OnClick = [this, Handler](TObject* Sender) { (this->*Handler)(Sender); };
  Parent->Add(item);
  return item;
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

// Commands whose windows are not part of the program yet test their
// permission only.
void TMainForm::miUsersClick(TObject*) { CheckPermission("用户管理"); }
void TMainForm::miProductClick(TObject*) { CheckPermission("产品管理"); }
void TMainForm::miCustomerClick(TObject*) { CheckPermission("客户管理"); }
void TMainForm::N10Click(TObject*) { CheckPermission("产品分类管理"); }
void TMainForm::N11Click(TObject*) { CheckPermission("资料设置"); }
void TMainForm::N12Click(TObject*) { CheckPermission("报价管理"); }
void TMainForm::miSaleClick(TObject*) { CheckPermission("销售管理"); }
void TMainForm::miSaleStatClick(TObject*) { CheckPermission("销售统计"); }

// ---------------------------------------------------------------------------
// Backup

namespace {

// The save dialog of the backup: default extension "mdb", filter
// "数据库文件(*.mdb)|*.mdb", starting in InitialDir.
bool RunSaveDialog(HWND Owner, const String& InitialDir, String& FileName) {
  std::u16string file(4096, u'\0');
  std::u16string dir = Utf8ToUtf16(InitialDir);
  static const char16_t filter[] = u"数据库文件(*.mdb)\0*.mdb\0";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = Owner;
  ofn.lpstrFilter = reinterpret_cast<LPCWSTR>(filter);
  ofn.lpstrFile = reinterpret_cast<LPWSTR>(file.data());
  ofn.nMaxFile = DWORD(file.size());
  ofn.lpstrInitialDir = reinterpret_cast<LPCWSTR>(dir.c_str());
  ofn.lpstrDefExt = reinterpret_cast<LPCWSTR>(u"mdb");
  ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&ofn)) return false;
  file.resize(file.find(u'\0'));
  FileName = Utf16ToUtf8(file);
  return true;
}

}  // namespace

void TMainForm::N4Click(TObject*) {
  String fileName;
  if (!RunSaveDialog(Handle(), DataForm->AppPath + "bak", fileName)) return;
  BackupTo(fileName);
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
