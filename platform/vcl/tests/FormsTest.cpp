// Forms under Xvfb: a form read from its form file with its handlers bound,
// modal forms, the focus chain with Enter and Tab, MDI children.
#include <memory>
#include "Forms.h"
#include "StdCtrls.h"
#include "ActnList.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Menus.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

class TOrderForm : public TForm {
  TOVANI_CLASS(TOrderForm, TForm)
 public:
  explicit TOrderForm(TComponent* owner = nullptr) : TForm(owner) {}
  int Saves = 0;
  bool Created = false;
  void btnSaveClick(TObject*) { ++Saves; }
  void FormCreate(TObject*) { Created = true; }
  template <class T>
  T* Find(const char* name) {
    return dynamic_cast<T*>(FindComponent(name));
  }
};

const char* const kOrderFormText = R"(object OrderForm: TOrderForm
  Left = 100
  Top = 80
  BorderStyle = bsDialog
  Caption = '订单'
  ClientHeight = 120
  ClientWidth = 300
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  OnCreate = FormCreate
  PixelsPerInch = 96
  TextHeight = 12
  object Label1: TLabel
    Left = 8
    Top = 12
    Width = 36
    Height = 12
    Caption = '客户：'
    FocusControl = edName
  end
  object edName: TEdit
    Left = 60
    Top = 8
    Width = 150
    Height = 20
    TabOrder = 0
    Text = '张三'
  end
  object btnSave: TButton
    Left = 60
    Top = 60
    Width = 75
    Height = 25
    Caption = '保存'
    Default = True
    TabOrder = 1
    OnClick = btnSaveClick
  end
  object btnClose: TButton
    Left = 150
    Top = 60
    Width = 75
    Height = 25
    Cancel = True
    Caption = '关闭'
    ModalResult = 2
    TabOrder = 2
  end
end
)";

}  // namespace

TOVANI_IMPLEMENT_CLASS_FACTORY(TOrderForm, TForm)
TOVANI_PUBLISHED(TOrderForm) {
  Method("btnSaveClick", &TOrderForm::btnSaveClick);
  Method("FormCreate", &TOrderForm::FormCreate);
}

TEST(Forms, AFormIsBuiltFromItsFormFileWithItsHandlersBound) {
  RegisterFormResource("TOrderForm", kOrderFormText);
  std::unique_ptr<TOrderForm> f(TCustomForm::Create<TOrderForm>(nullptr));
  EXPECT_TRUE(f->Created);
  EXPECT_EQ(f->Caption(), "订单");
  EXPECT_EQ(f->BorderStyle(), bsDialog);
  EXPECT_EQ(f->Color(), clBtnFace);
  EXPECT_EQ(f->Font()->Charset(), 134);
  EXPECT_EQ(f->Font()->Name(), "宋体");
  EXPECT_EQ(f->ClientWidth(), 300);
  auto* ed = f->Find<TEdit>("edName");
  auto* save = f->Find<TButton>("btnSave");
  auto* close = f->Find<TButton>("btnClose");
  auto* label = f->Find<TLabel>("Label1");
  ASSERT_TRUE(ed && save && close && label);
  EXPECT_EQ(ed->Parent(), f.get());
  EXPECT_EQ(ed->Text(), "张三");
  EXPECT_EQ(label->FocusControl(), ed);
  // Children take the form's font.
  EXPECT_EQ(ed->Font()->Height(), -12);
  EXPECT_TRUE(ed->ParentFont());
  EXPECT_EQ(close->ModalResult(), mrCancel);
  EXPECT_EQ(save->TabOrder(), 1);

  f->Show();
  PumpMessages();
  // Centred on the screen by its Position.
  TRect area = Screen->WorkAreaRect();
  EXPECT_NEAR(f->Left() + f->Width() / 2, area.Left + area.Width() / 2, 2);
  SendMessageW(save->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(f->Saves, 1);
  // Enter in the edit presses the default button.
  ed->SetFocus();
  PumpMessages();
  EXPECT_TRUE(ed->Focused());
  PostMessageW(ed->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  PumpMessages();
  EXPECT_EQ(f->Saves, 2);
  WriteWindowPng(f.get(), "forms_order_form");
}

TEST(Forms, BadFormFilesGiveClearErrors) {
  RegisterFormResource("TOrderForm", "object OrderForm: TOrderForm\n  NoSuchProperty = 1\nend\n");
  try {
    std::unique_ptr<TOrderForm> f(TCustomForm::Create<TOrderForm>(nullptr));
    FAIL() << "no error";
  } catch (const EReadError& e) {
    EXPECT_NE(String(e.Message()).find("NoSuchProperty"), String::npos) << e.Message();
  }
  RegisterFormResource("TOrderForm", "object OrderForm: TOrderForm\n  object X: TNoSuchControl\n  end\nend\n");
  EXPECT_THROW(std::unique_ptr<TOrderForm>(TCustomForm::Create<TOrderForm>(nullptr)), Exception);
  RegisterFormResource("TOrderForm", kOrderFormText);
}

TEST(Forms, ShowModalRunsUntilModalResultAndAsksCloseQuery) {
  RegisterFormResource("TOrderForm", kOrderFormText);
  std::unique_ptr<TOrderForm> f(TCustomForm::Create<TOrderForm>(nullptr));
  auto* close = f->Find<TButton>("btnClose");
  int queries = 0;
  std::vector<TCloseAction> actions;
  f->OnCloseQuery = [&](TObject*, bool& canClose) {
    // The first attempt is refused: the form stays.
    canClose = ++queries > 1;
    if (!canClose) PostMessageW(close->Handle(), BM_CLICK, 0, 0);
  };
  f->OnClose = [&](TObject*, TCloseAction& a) { actions.push_back(a); };
  f->OnShow = [&](TObject*) { PostMessageW(close->Handle(), BM_CLICK, 0, 0); };
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(queries, 2);
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0], caHide);
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(IsWindowVisible(f->Handle()));
  // A visible form cannot be made modal.
  f->OnShow = nullptr;
  f->Show();
  EXPECT_THROW(f->ShowModal(), EInvalidOperation);
  f->Hide();
  // ModalResult set in code (here by a message handler) ends the loop too.
  f->OnCloseQuery = nullptr;
  auto old = f->WindowProc;
  f->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER + 9) f->SetModalResult(mrOk);
    old(m);
  };
  f->OnShow = [&](TObject*) { PostMessageW(f->Handle(), WM_USER + 9, 0, 0); };
  EXPECT_EQ(f->ShowModal(), mrOk);
  f->WindowProc = old;
}

TEST(Forms, EnterMovesThroughTheControlsWithSelectNext) {
  std::unique_ptr<TForm> f(new TForm(nullptr));
  f->SetBounds(100, 100, 300, 200);
  TEdit* edits[3];
  std::vector<String> log;
  for (int i = 0; i < 3; ++i) {
    edits[i] = new TEdit(f.get());
    edits[i]->SetName("Edit" + std::to_string(i));
    edits[i]->SetBounds(10, 10 + i * 30, 100, 21);
    edits[i]->SetParent(f.get());
    edits[i]->OnEnter = [&log, i](TObject*) { log.push_back("enter" + std::to_string(i)); };
    edits[i]->OnExit = [&log, i](TObject*) { log.push_back("exit" + std::to_string(i)); };
  }
  // The program's keyboard style: Enter goes to the next control.
  f->SetKeyPreview(true);
  f->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) {
      f->SelectNext(f->ActiveControl(), true, true);
      key = 0;
    }
  };
  f->Show();
  PumpMessages();
  edits[0]->SetFocus();
  PumpMessages();
  EXPECT_EQ(f->ActiveControl(), edits[0]);
  log.clear();
  PostMessageW(edits[0]->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  PumpMessages();
  EXPECT_EQ(f->ActiveControl(), edits[1]);
  EXPECT_TRUE(edits[1]->Focused());
  std::vector<String> expected = {"exit0", "enter1"};
  EXPECT_EQ(log, expected);
  // Tab does the same through the form's dialog keys; Shift+Tab would go back.
  PostMessageW(edits[1]->Handle(), WM_KEYDOWN, VK_TAB, 1);
  PumpMessages();
  EXPECT_EQ(f->ActiveControl(), edits[2]);
  // From the last control it wraps to the first.
  f->SelectNext(edits[2], true, true);
  PumpMessages();
  EXPECT_EQ(f->ActiveControl(), edits[0]);
  // Tab order decides, not creation order; disabled controls are skipped.
  edits[2]->SetTabOrder(0);
  edits[1]->SetEnabled(false);
  f->SelectNext(edits[0], true, true);
  PumpMessages();
  EXPECT_EQ(f->ActiveControl(), edits[2]);
  EXPECT_THROW(edits[1]->SetFocus(), EInvalidOperation);
}

namespace {
// Types as the keyboard does: into whatever window has the focus.
void TypeKeys(const std::u16string& text, bool enter) {
  std::vector<INPUT> in;
  auto key = [&](WORD vk, WORD scan, DWORD flags) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.wScan = scan;
    i.ki.dwFlags = flags;
    in.push_back(i);
  };
  for (char16_t c : text) {
    key(0, WORD(c), KEYEVENTF_UNICODE);
    key(0, WORD(c), KEYEVENTF_UNICODE | KEYEVENTF_KEYUP);
  }
  if (enter) {
    key(VK_RETURN, 0, 0);
    key(VK_RETURN, 0, KEYEVENTF_KEYUP);
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

struct TDialogForm {
  std::unique_ptr<TForm> Form{new TForm(nullptr)};
  TEdit* Edits[2];
  TButton* Ok;
  TDialogForm() {
    Form->SetBounds(120, 120, 300, 160);
    Form->SetCaption("登录");
    auto* label = new TLabel(Form.get());
    label->SetCaption("密码");
    label->SetParent(Form.get());
    for (int i = 0; i < 2; ++i) {
      Edits[i] = new TEdit(Form.get());
      Edits[i]->SetBounds(60, 10 + i * 30, 120, 21);
      Edits[i]->SetParent(Form.get());
    }
    Ok = new TButton(Form.get());
    Ok->SetCaption("确定");
    Ok->SetBounds(60, 80, 75, 25);
    Ok->SetDefault(true);
    Ok->SetModalResult(mrOk);
    Ok->SetParent(Form.get());
  }
};
}  // namespace

TEST(Forms, AShownFormHasItsFirstControlFocusedSoTypingReachesIt) {
  TDialogForm d;
  d.Form->Show();
  PumpMessages();
  EXPECT_EQ(d.Form->ActiveControl(), d.Edits[0]);
  EXPECT_EQ(GetFocus(), d.Edits[0]->Handle());
  TypeKeys(u"ab", false);
  PumpMessages();
  EXPECT_EQ(d.Edits[0]->Text(), "ab");
  d.Form->Hide();
}

TEST(Forms, AModalFormFocusesItsActiveControlAndEnterPressesTheDefaultButton) {
  TDialogForm d;
  auto old = d.Form->WindowProc;
  d.Form->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER + 7) TypeKeys(u"3627", true);
    // Typing that went nowhere must not leave the test waiting.
    if (m.Msg == WM_TIMER && m.WParam == 77) d.Form->SetModalResult(mrCancel);
    old(m);
  };
  d.Form->OnShow = [&](TObject*) {
    // Chosen before the window shows, as a form file's ActiveControl is.
    d.Form->SetActiveControl(d.Edits[1]);
    PostMessageW(d.Form->Handle(), WM_USER + 7, 0, 0);
    SetTimer(d.Form->Handle(), 77, 5000, nullptr);
  };
  EXPECT_EQ(d.Form->ShowModal(), mrOk);
  KillTimer(d.Form->Handle(), 77);
  EXPECT_EQ(d.Edits[1]->Text(), "3627");
  EXPECT_EQ(d.Edits[0]->Text(), "");
  d.Form->WindowProc = old;
}

namespace {
class TCustomerWindow : public TForm {
 public:
  explicit TCustomerWindow(TComponent* owner) : TForm(owner) {
    SetFormStyle(fsMDIChild);
    SetCaption("客户");
  }
};
class TProductWindow : public TForm {
 public:
  explicit TProductWindow(TComponent* owner) : TForm(owner) {
    SetFormStyle(fsMDIChild);
    SetCaption("产品");
  }
};

// What the program's commands do: an existing child of the class is brought
// to the front instead of making a second one.
template <class T>
T* OpenChild(TForm* frame) {
  for (Integer i = 0; i < frame->MDIChildCount(); ++i)
    if (auto* existing = dynamic_cast<T*>(frame->MDIChildren(i))) {
      existing->BringToFront();
      return existing;
    }
  return TCustomForm::Create<T>(frame);
}
}  // namespace

TEST(Forms, MdiParentWithTwoChildrenAndSingleInstanceActivation) {
  auto* frame = new TForm(nullptr);
  frame->SetFormStyle(fsMDIForm);
  frame->SetCaption("订单管理");
  frame->SetBounds(20, 20, 640, 480);
  Application->SetMainForm(frame);
  frame->Show();
  PumpMessages();
  ASSERT_NE(frame->ClientHandle(), nullptr);

  auto* customers = OpenChild<TCustomerWindow>(frame);
  auto* products = OpenChild<TProductWindow>(frame);
  PumpMessages();
  EXPECT_EQ(frame->MDIChildCount(), 2);
  EXPECT_EQ(frame->ActiveMDIChild(), products);
  EXPECT_EQ(GetParent(customers->Handle()), frame->ClientHandle());
  EXPECT_TRUE(customers->Visible());

  // Asking again activates the existing window.
  EXPECT_EQ(OpenChild<TCustomerWindow>(frame), customers);
  PumpMessages();
  EXPECT_EQ(frame->MDIChildCount(), 2);
  EXPECT_EQ(frame->ActiveMDIChild(), customers);
  WriteWindowPng(frame, "forms_mdi");

  // A child that frees itself on close goes away.
  bool destroyed = false;
  products->OnDestroy = [&](TObject*) { destroyed = true; };
  products->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
  products->Close();
  PumpMessages();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(frame->MDIChildCount(), 1);
  // The frame asks its children before it closes.
  customers->OnCloseQuery = [](TObject*, bool& can) { can = false; };
  EXPECT_FALSE(frame->CloseQuery());
  Application->SetMainForm(nullptr);
  delete frame;
}

namespace {
class TMainWindow : public TForm {
  TOVANI_CLASS(TMainWindow, TForm)
 public:
  explicit TMainWindow(TComponent* owner = nullptr) : TForm(owner) {}
  int Exits = 0;
  int Adds = 0;
  void miExitClick(TObject*) { ++Exits; }
  void actAddExecute(TObject*) { ++Adds; }
};

const char* const kMainWindowText = R"(object MainWindow: TMainWindow
  Left = 0
  Top = 0
  Caption = '订单管理'
  ClientHeight = 300
  ClientWidth = 500
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = '宋体'
  Font.Style = [fsBold]
  Menu = MainMenu1
  object StatusBar1: TStatusBar
    Left = 0
    Top = 281
    Width = 500
    Height = 19
    Panels = <
      item
        Width = 200
      end
      item
        Text = '就绪'
        Width = 50
      end>
  end
  object PageControl1: TPageControl
    Left = 0
    Top = 0
    Width = 500
    Height = 281
    ActivePage = TabSheet2
    Align = alClient
    TabOrder = 1
    object TabSheet1: TTabSheet
      Caption = '客户'
      object Panel1: TPanel
        Left = 0
        Top = 0
        Width = 492
        Height = 41
        Align = alTop
        BevelOuter = bvLowered
        Caption = '客户列表'
        TabOrder = 0
      end
    end
    object TabSheet2: TTabSheet
      Caption = '产品'
      ImageIndex = 1
    end
  end
  object MainMenu1: TMainMenu
    object miFile: TMenuItem
      Caption = '文件(&F)'
      object miAdd: TMenuItem
        Action = actAdd
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object miExit: TMenuItem
        Caption = '退出(&X)'
        ShortCut = 16472
        OnClick = miExitClick
      end
    end
  end
  object ActionList1: TActionList
    object actAdd: TAction
      Caption = '新增'
      ShortCut = 112
      OnExecute = actAddExecute
    end
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 500
  end
end
)";
}  // namespace

TOVANI_IMPLEMENT_CLASS_FACTORY(TMainWindow, TForm)
TOVANI_PUBLISHED(TMainWindow) {
  Method("miExitClick", &TMainWindow::miExitClick);
  Method("actAddExecute", &TMainWindow::actAddExecute);
}

TEST(Forms, MenusActionsPagesAndPanelsComeFromTheFormFile) {
  RegisterFormResource("TMainWindow", kMainWindowText);
  std::unique_ptr<TMainWindow> f(TCustomForm::Create<TMainWindow>(nullptr));
  auto* menu = dynamic_cast<TMainMenu*>(f->FindComponent("MainMenu1"));
  auto* pages = dynamic_cast<TPageControl*>(f->FindComponent("PageControl1"));
  auto* status = dynamic_cast<TStatusBar*>(f->FindComponent("StatusBar1"));
  auto* panel = dynamic_cast<TPanel*>(f->FindComponent("Panel1"));
  auto* add = dynamic_cast<TMenuItem*>(f->FindComponent("miAdd"));
  ASSERT_TRUE(menu && pages && status && panel && add);
  EXPECT_EQ(f->Menu(), menu);
  EXPECT_TRUE(f->Font()->Style().Contains(fsBold));
  ASSERT_EQ(menu->Items()->Count(), 1);
  EXPECT_EQ(menu->Items()->Items(0)->Count(), 3);
  EXPECT_EQ(add->Caption(), "新增");   // from its action
  EXPECT_EQ(add->ShortCut(), VK_F1);
  EXPECT_EQ(status->Panels()->Count(), 2);
  EXPECT_EQ(status->Panels()->Items(1)->Text(), "就绪");
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->ActivePage()->Name(), "TabSheet2");
  EXPECT_EQ(panel->Parent()->Name(), "TabSheet1");
  EXPECT_EQ(panel->BevelOuter(), bvLowered);
  f->Show();
  PumpMessages();
  EXPECT_EQ(GetMenu(f->Handle()), menu->Handle());
  EXPECT_EQ(GetMenuItemCount(menu->Handle()), 1);
  // The menu's command and its shortcut reach the handlers.
  SendMessageW(f->Handle(), WM_COMMAND, MAKEWPARAM(add->Command(), 0), 0);
  EXPECT_EQ(f->Adds, 1);
  auto* exit = dynamic_cast<TMenuItem*>(f->FindComponent("miExit"));
  SendMessageW(f->Handle(), WM_COMMAND, MAKEWPARAM(exit->Command(), 0), 0);
  EXPECT_EQ(f->Exits, 1);
  f->SetFocus();
  PumpMessages();
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_F1, 1);
  PumpMessages();
  EXPECT_EQ(f->Adds, 2);
  WriteWindowPng(f.get(), "forms_main_window");
}

namespace {
class TPaymentForm : public TForm {
  TOVANI_CLASS(TPaymentForm, TForm)
 public:
  explicit TPaymentForm(TComponent* owner = nullptr) : TForm(owner) {}
};
}  // namespace
TOVANI_IMPLEMENT_CLASS_FACTORY(TPaymentForm, TForm)

TEST(Forms, FormFilesBuiltIntoTheProgramAreFoundByClass) {
  // TPaymentForm.dfm is built into this test program by tovani_form_resources.
  EXPECT_NE(FindFormResource("TPaymentForm").find("收款; 现金"), String::npos);
  std::unique_ptr<TPaymentForm> f(TCustomForm::Create<TPaymentForm>(nullptr));
  EXPECT_EQ(f->Caption(), "收款; 现金");
  auto* ed = dynamic_cast<TEdit*>(f->FindComponent("edAmount"));
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->Text(), "100.00");
  f->OnShow = [&](TObject*) { PostMessageW(ed->Handle(), WM_KEYDOWN, VK_RETURN, 1); };
  EXPECT_EQ(f->ShowModal(), mrOk);   // Enter presses the default OK button
}
