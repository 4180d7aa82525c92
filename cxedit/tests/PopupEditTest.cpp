// The popup editor hosting a panel of the form in its popup: the panel is
// borrowed while the popup is open and given back afterwards; the popup
// takes the focus and runs its modal loop, which the tests drive with
// posted messages.
#include <memory>

#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "cxPopupEdit.h"
#include "gtest.h"

namespace {
// A modal popup that a test failed to close would block the run: after a
// few seconds every open popup is closed.
TcxPopupEdit* GDoomed = nullptr;
void CALLBACK DestroyDoomed(HWND, UINT, UINT_PTR AId, DWORD) {
  KillTimer(nullptr, AId);
  delete GDoomed;
  GDoomed = nullptr;
}

void CALLBACK CloseStrayPopups(HWND, UINT, UINT_PTR, DWORD) {
  while (TcxCustomPopupWindow::OpenPopupCount() > 0) TcxCustomPopupWindow::OpenPopup(0)->ClosePopup();
}

struct PopupEditFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxPopupEdit* E = nullptr;
  TPanel* Panel = nullptr;
  TEdit* Field = nullptr;
  TButton* Ok = nullptr;
  TButton* Cancel = nullptr;
  TEdit* Other = nullptr;
  UINT_PTR Timer = 0;
  std::vector<String> Log;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 480, 360);
    E = new TcxPopupEdit(Form.get());
    E->SetAutoSize(false);
    E->SetBounds(20, 20, 200, 24);
    E->SetParent(Form.get());
    Panel = new TPanel(Form.get());
    Panel->SetBounds(250, 100, 180, 90);
    Panel->SetParent(Form.get());
    Panel->SetVisible(false);
    Field = new TEdit(Form.get());
    Field->SetBounds(8, 8, 160, 24);
    Field->SetParent(Panel);
    Ok = new TButton(Form.get());
    Ok->SetBounds(8, 50, 70, 26);
    Ok->SetCaption("确定");
    Ok->SetModalResult(mrOk);
    Ok->SetParent(Panel);
    Cancel = new TButton(Form.get());
    Cancel->SetBounds(90, 50, 70, 26);
    Cancel->SetCaption("取消");
    Cancel->SetModalResult(mrCancel);
    Cancel->SetParent(Panel);
    Other = new TEdit(Form.get());
    Other->SetBounds(20, 300, 150, 24);
    Other->SetParent(Form.get());
    TcxPopupEditProperties* p = E->Properties();
    p->SetPopupControl(Panel);
    p->OnInitPopup = [this](TObject*) { Log.push_back("init"); };
    p->OnPopup = [this](TObject*) { Log.push_back("popup"); };
    p->OnCloseUp = [this](TObject*) { Log.push_back("closeup"); };
    p->OnClosePopup = [this](TObject*, Integer R) { Log.push_back("reason " + IntToStr(R)); };
    Form->Show();
    PumpMessages(2);
    E->SetFocus();
    PumpMessages(1);
    Timer = SetTimer(nullptr, 0, 4000, &CloseStrayPopups);
  }
  void TearDown() override {
    KillTimer(nullptr, Timer);
    Form.reset();
    PumpMessages(1);
  }
  HWND Inner() { return E->InnerTextEdit()->Handle(); }
  void PostKey(HWND H, Word K) {
    PostMessageW(H, WM_KEYDOWN, K, 1);
    PostMessageW(H, WM_KEYUP, K, 0xC0000001);
  }
  // Posted while the popup is open: a control moved into the popup may
  // have a new window.
  void Click(TButton* B) { PostMessageW(B->Handle(), BM_CLICK, 0, 0); }
  void ExpectPanelHome() {
    EXPECT_EQ(Panel->Parent(), Form.get());
    EXPECT_EQ(Panel->BoundsRect(), TRect(250, 100, 430, 190));
    EXPECT_FALSE(Panel->Visible());
    EXPECT_EQ(Panel->Align(), alNone);
  }
  String Joined() {
    String s;
    for (auto& l : Log) s += (s.empty() ? "" : ",") + l;
    Log.clear();
    return s;
  }
};
}  // namespace

TEST_F(PopupEditFixture, HostsThePanelTakesTheFocusAndGivesItBack) {
  // Shown by F4; the modal loop runs until Esc in the panel's field.
  bool checked = false;
  E->Properties()->OnPopup = [&](TObject*) {
    Log.push_back("popup");
    checked = true;
    EXPECT_EQ(Panel->Parent(), E->PopupWindow());
    EXPECT_TRUE(Panel->Visible());
    EXPECT_EQ(Panel->Align(), alClient);
    EXPECT_TRUE(E->DroppedDown());
    // The popup's loop runs next: the field has the focus, and the keys go
    // to it.
    EXPECT_EQ(GetFocus(), Field->Handle());
    PostMessageW(Field->Handle(), WM_CHAR, WPARAM(U'甲'), 1);
    PostKey(Field->Handle(), VK_ESCAPE);
  };
  PostKey(Inner(), VK_F4);
  PumpMessages(3);
  EXPECT_TRUE(checked);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(E->CloseUpReason(), pcrCancel);
  EXPECT_EQ(Field->Text(), "甲");
  EXPECT_EQ(Joined(), "init,popup,reason 3,closeup");
  ExpectPanelHome();
  EXPECT_EQ(GetFocus(), Inner());
  EXPECT_EQ(TcxCustomPopupWindow::OpenPopupCount(), 0);
}

TEST_F(PopupEditFixture, ModalResultsCloseWithTheirReasons) {
  struct Case {
    TButton* Button;
    TcxPopupCloseReason Reason;
  };
  for (const Case& c : {Case{Ok, pcrAccept}, Case{Cancel, pcrCancel}}) {
    E->Properties()->OnPopup = [&](TObject*) { Click(c.Button); };
    E->SetDroppedDown(true);
    PumpMessages(3);
    EXPECT_FALSE(E->DroppedDown());
    EXPECT_EQ(E->CloseUpReason(), c.Reason);
    ExpectPanelHome();
  }
  // A close query that refuses keeps the popup open until it agrees.
  bool allow = false;
  Integer asked = 0;
  E->Properties()->OnCloseQuery = [&](TObject*, bool& CanClose) {
    ++asked;
    CanClose = allow;
    allow = true;
  };
  E->Properties()->OnPopup = [&](TObject*) {
    Click(Ok);
    Click(Ok);
  };
  E->SetDroppedDown(true);
  PumpMessages(3);
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(E->CloseUpReason(), pcrAccept);
}

TEST_F(PopupEditFixture, ClosedFromInsideAndTypedInto) {
  // A control inside closes the popup later with a reason of its own.
  Ok->OnClick = [this](TObject*) { E->ClosePopup(pcrAccept); };
  Ok->SetModalResult(mrNone);
  E->Properties()->OnPopup = [this](TObject*) { Click(Ok); };
  PostMessageW(Inner(), WM_CHAR, WPARAM(U'乙'), 1);   // typing opens it
  PumpMessages(3);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(E->CloseUpReason(), pcrAccept);
  // The typed character went to the focused field of the popup, not into
  // the editor's text.
  EXPECT_EQ(Field->Text(), "乙");
  EXPECT_EQ(E->Text(), "");
  ExpectPanelHome();
  // A character posted for a popup that is closed is dropped.
  PostMessageW(E->PopupWindow()->Handle(), DXM_POPUPCHAR, WPARAM(U'丙'), 0);
  PumpMessages(1);
  EXPECT_EQ(Field->Text(), "乙");
}

TEST_F(PopupEditFixture, SizesAndPicture) {
  // Auto-sized: the panel's size plus the popup's frame.
  E->SetDroppedDown(true);
  bool shot = false;
  E->Properties()->OnPopup = [&](TObject*) {
    TcxCustomEditPopupWindow* w = E->PopupWindow();
    TRect ext;
    w->ViewInfo()->GetClientExtent(ext);
    EXPECT_EQ(w->Width(), 180 + ext.Left + ext.Right);
    // At least the minimum height of a sizeable popup.
    EXPECT_EQ(w->Height(), std::max<Integer>(100, 90 + ext.Top + ext.Bottom));
    PumpMessages(1);
    WriteWindowPng(w, "cxPopupEdit_popup");
    shot = true;
    w->SetModalResult(mrCancel);
  };
  PumpMessages(3);
  EXPECT_TRUE(shot);
  WriteWindowPng(E, "cxPopupEdit_closed");
  // Not auto-sized and narrower than the minimum: the minimum width.
  E->Properties()->SetPopupAutoSize(false);
  E->Properties()->SetPopupWidth(50);
  E->Properties()->OnPopup = [&](TObject*) {
    EXPECT_EQ(E->PopupWindow()->Width(), 100);
    E->PopupWindow()->SetModalResult(mrCancel);
  };
  E->SetDroppedDown(true);
  PumpMessages(3);
  EXPECT_FALSE(E->DroppedDown());
}

TEST_F(PopupEditFixture, CircularAndFreedPopupControls) {
  // A panel that holds the editor cannot be its popup control; that is
  // found when the popup opens.
  auto* holder = new TPanel(Form.get());
  holder->SetBounds(10, 120, 220, 60);
  holder->SetParent(Form.get());
  auto* inner = new TcxPopupEdit(Form.get());
  inner->SetBounds(5, 5, 200, 24);
  inner->SetParent(holder);
  inner->Properties()->SetPopupControl(holder);
  PumpMessages(1);
  try {
    inner->DropDown();
    FAIL() << "no error";
  } catch (EcxEditError& e) {
    EXPECT_EQ(e.Message(), "Circular referencing is not allowed");
  }
  PumpMessages(2);
  EXPECT_FALSE(inner->DroppedDown());
  EXPECT_EQ(holder->Parent(), Form.get());
  // Freeing the popup control leaves nothing to open.
  delete Panel;
  Panel = nullptr;
  EXPECT_EQ(E->Properties()->PopupControl(), nullptr);
  E->SetDroppedDown(true);
  PumpMessages(2);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(Joined(), "init");
}

TEST_F(PopupEditFixture, FormAsPopupControlAndEditorDestroyedWhileOpen) {
  auto* form2 = new TForm(Form.get());
  form2->SetBounds(0, 0, 150, 80);
  form2->SetBorderStyle(bsSingle);
  auto* e2 = new TcxPopupEdit(Form.get());
  e2->SetBounds(20, 60, 200, 24);
  e2->SetParent(Form.get());
  e2->Properties()->SetPopupControl(form2);
  PumpMessages(1);
  e2->SetFocus();
  bool borderless = false;
  e2->Properties()->OnPopup = [&](TObject*) {
    borderless = form2->BorderStyle() == bsNone && form2->Parent() == e2->PopupWindow();
    // Destroyed while its popup is open (from the popup's loop): the form
    // goes back first.
    GDoomed = e2;
    SetTimer(nullptr, 0, 50, &DestroyDoomed);
  };
  e2->SetDroppedDown(true);
  PumpMessages(3);
  EXPECT_EQ(GDoomed, nullptr);
  EXPECT_TRUE(borderless);
  EXPECT_EQ(form2->Parent(), nullptr);
  EXPECT_EQ(form2->BorderStyle(), bsSingle);
  EXPECT_EQ(TcxCustomPopupWindow::OpenPopupCount(), 0);
}
