// The MDI main window: menus, status bar, and the services through which
// every window of the program is opened (permission test, one MDI child per
// class, modal dialogs), the database backup and the web-site command.
#pragma once
#include <map>
#include "Forms.h"

class TMainMenu;
class TMenuItem;
class TStatusBar;
class TSaveDialog;
class TfrxReport;

class TMainForm : public TForm {
  TOVANI_CLASS(TMainForm, TForm)
 public:
  explicit TMainForm(TComponent* AOwner = nullptr);
  ~TMainForm() override;
  void Loaded() override;

  TMainMenu* MainMenu1 = nullptr;
  TMenuItem *miSystem = nullptr, *miPwd = nullptr, *miUsers = nullptr, *N3 = nullptr, *N4 = nullptr,
            *N5 = nullptr, *N6 = nullptr;
  TMenuItem *miData = nullptr, *miProduct = nullptr, *miCustomer = nullptr, *N9 = nullptr, *N10 = nullptr,
            *N11 = nullptr;
  TMenuItem *miBusiness = nullptr, *N12 = nullptr, *miSale = nullptr, *N14 = nullptr, *miSaleStat = nullptr;
  TMenuItem *miWindow = nullptr, *N1 = nullptr;
  TMenuItem *miHelp = nullptr, *N2 = nullptr;
  TApplicationEvents* ApplicationEvents = nullptr;
  // Three panels (widths 150, 400, 150): 0 the current user, 1 the hint,
  // 2 the contact text.
  TStatusBar* StatusBar = nullptr;
  // The backup's file dialog ("数据库文件(*.mdb)|*.mdb", extension "mdb").
  TSaveDialog* SaveDialog = nullptr;

  // Texts of the status bar panels.
  String StatusText(Integer Panel) const;
  void SetStatusText(Integer Panel, const String& Text);

  // Panel 0 := "当前用户：" + the logged-in user's name.
  void ShowCurrentUser();

  // The permission test of every command: answers true when Operation is
  // empty or the user has it; otherwise shows "您没有"%s"的操作权限.".
  bool CheckPermission(const String& Operation);

  // Shows the MDI child of class T (or derived) when one is open, without a
  // permission test; otherwise tests the permission and makes a new MDI
  // child, stored in Variable. Variable is cleared when that child is
  // destroyed, so it never points to a closed window.
  template <class T>
  void OpenChildForm(const String& Operation, T*& Variable) {
    if (TCustomForm* open = FindChildForm(T::StaticClass())) {
      ShowChild(open);
      return;
    }
    if (!CheckPermission(Operation)) return;
    T* form = TCustomForm::Create<T>(this);
    AdoptChild(form, reinterpret_cast<TCustomForm**>(&Variable));
    Variable = form;
  }

  // Tests the permission, then shows a new dialog of class T modally (no
  // owner, dialog border, centred on the main window) and frees it, also
  // when an exception passes.
  template <class T>
  void OpenModalForm(const String& Operation) {
    if (!CheckPermission(Operation)) return;
    std::unique_ptr<T> form(TCustomForm::Create<T>(nullptr));
    ShowModalDialog(form.get());
  }

  // Tests the permission, then builds the report afresh and shows it in
  // the preview window, from which the user prints.
  void PrintReport(const String& Operation, TfrxReport* Report);

  // OnClose of every MDI child: the navigation window stays, others are freed.
  void ChildFormClose(TObject* Sender, TCloseAction& Action);

  // Backup of data.mdb to FileName: asks before overwriting an existing
  // file, copies with the database's online backup and reports the result.
  // Answers true when the copy was made.
  bool BackupTo(const String& FileName);

  void FormShow(TObject* Sender);
  void ApplicationEventsHint(TObject* Sender);
  void miPwdClick(TObject* Sender);
  void miUsersClick(TObject* Sender);
  void N4Click(TObject* Sender);
  void N6Click(TObject* Sender);
  void miProductClick(TObject* Sender);
  void miCustomerClick(TObject* Sender);
  void N10Click(TObject* Sender);
  void N11Click(TObject* Sender);
  void N12Click(TObject* Sender);
  void miSaleClick(TObject* Sender);
  void miSaleStatClick(TObject* Sender);
  void N1Click(TObject* Sender);
  void N2Click(TObject* Sender);

  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TCustomForm* FindChildForm(TClass Class);
  void ShowChild(TCustomForm* Form);
  void AdoptChild(TCustomForm* Form, TCustomForm** Variable);
  void ShowModalDialog(TCustomForm* Form);

  // The global variable of each open MDI child, cleared when it goes.
  std::map<TComponent*, TCustomForm**> FChildVariables;
};

extern TMainForm* MainForm;

// The address "访问官方网站" opens.
extern const char* const WebSiteAddress;
