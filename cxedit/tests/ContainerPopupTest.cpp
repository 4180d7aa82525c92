// Editor popups: the open list and the hooks that close popups on a click
// elsewhere, an application switch or the owner being hidden, and the
// Alt-key filter; a popup that takes the focus gives it back.
#include <memory>

#include "StdCtrls.h"
#include "TestWindows.h"
#include "cxContainer.h"
#include "gtest.h"

namespace {
class TTestPopup : public TcxCustomPopupWindow {
 public:
  explicit TTestPopup(TWinControl* AOwner) : TcxCustomPopupWindow(AOwner) {
    SetModalMode(false);
    SetBounds(0, 0, 120, 80);
    OnClosed = [this](TObject*) { ++Closed; };
  }
  Integer Closed = 0;
  bool Consumes = false;
  bool ConsumesClosingClick(HWND, UINT, TShiftState, TPoint) override { return Consumes; }
};

void ClickAt(TWinControl* AControl, int x, int y) {
  TPoint p = AControl->ClientToScreen(TPoint(x, y));
  SetCursorPos(p.X, p.Y);
  PumpMessages(1);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  PumpMessages(3);
}

struct PopupFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TEdit* Owner = nullptr;
  TEdit* Other = nullptr;
  Integer OwnerClicks = 0, OtherClicks = 0;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(40, 40, 400, 300);
    Owner = new TEdit(Form.get());
    Owner->SetBounds(10, 10, 150, 24);
    Owner->SetParent(Form.get());
    Owner->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++OwnerClicks; };
    Other = new TEdit(Form.get());
    Other->SetBounds(10, 200, 150, 24);
    Other->SetParent(Form.get());
    Other->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++OtherClicks; };
    Form->Show();
    PumpMessages(2);
    Owner->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override {
    Form.reset();
    PumpMessages(1);
  }
  std::unique_ptr<TTestPopup> Open(TWinControl* AOwner, bool ACapture = false) {
    auto p = std::make_unique<TTestPopup>(AOwner);
    p->SetCaptureFocus(ACapture);
    p->SetOwnerParent(AOwner->Parent());
    p->SetOwnerBounds(AOwner->BoundsRect());
    p->Popup(nullptr);
    PumpMessages(1);
    return p;
  }
};
}  // namespace

TEST_F(PopupFixture, ClickElsewhereClosesAndTheClickArrives) {
  auto p = Open(Owner);
  ASSERT_TRUE(p->IsOpen());
  EXPECT_TRUE(cxPopupHooksInstalled());
  EXPECT_TRUE(IsWindowVisible(p->Handle()));
  // Below the owner, and the focus stayed in the owner.
  EXPECT_EQ(p->BoundsRect().TopLeft(), Form->ClientToScreen(TPoint(10, 34)));
  EXPECT_EQ(GetFocus(), Owner->Handle());
  // A click inside the popup keeps it open.
  ClickAt(p.get(), 20, 20);
  EXPECT_TRUE(p->IsOpen());
  ClickAt(Other, 20, 10);
  EXPECT_FALSE(p->IsOpen());
  EXPECT_FALSE(IsWindowVisible(p->Handle()));
  EXPECT_EQ(p->Closed, 1);
  EXPECT_EQ(OtherClicks, 1);
  EXPECT_FALSE(cxPopupHooksInstalled());
  // A click on the owner closes the popup and reaches the owner.
  p->Popup(nullptr);
  PumpMessages(1);
  ASSERT_TRUE(p->IsOpen());
  ClickAt(Owner, 20, 10);
  EXPECT_FALSE(p->IsOpen());
  EXPECT_EQ(OwnerClicks, 1);
  // A popup that consumes its closing click keeps the click from the control.
  p->Consumes = true;
  p->Popup(nullptr);
  PumpMessages(1);
  ClickAt(Other, 20, 10);
  EXPECT_FALSE(p->IsOpen());
  EXPECT_EQ(OtherClicks, 1);
}

TEST_F(PopupFixture, NestedPopupsStayOpenOnClicksInside) {
  auto outer = Open(Owner);
  auto* inner = new TEdit(outer.get());
  inner->SetBounds(5, 5, 100, 24);
  inner->SetParent(outer.get());
  PumpMessages(1);
  auto nested = Open(inner);
  ASSERT_TRUE(outer->IsOpen() && nested->IsOpen());
  ClickAt(nested.get(), 30, 30);
  EXPECT_TRUE(outer->IsOpen());
  EXPECT_TRUE(nested->IsOpen());
  EXPECT_TRUE(cxHasWindow(outer.get(), nested->Handle(), true));
  EXPECT_FALSE(cxHasWindow(outer.get(), nested->Handle(), false));
  // Hiding the outer popup's owner closes it and everything opened after it.
  Owner->Hide();
  PumpMessages(1);
  EXPECT_FALSE(outer->IsOpen());
  EXPECT_FALSE(nested->IsOpen());
  EXPECT_EQ(TcxCustomPopupWindow::OpenPopupCount(), 0);
}

TEST_F(PopupFixture, ApplicationSwitchAndAltKeys) {
  auto p = Open(Owner);
  ASSERT_TRUE(p->IsOpen());
  // Alt+Down reaches a popup that does not run modally; Alt+A does not.
  for (WPARAM key : {WPARAM(VK_DOWN), WPARAM('A')}) {
    PostMessageW(Owner->Handle(), WM_SYSKEYDOWN, key, 0x20000000);
    MSG m{};
    ASSERT_TRUE(PeekMessageW(&m, Owner->Handle(), 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, key == VK_DOWN ? UINT(WM_SYSKEYDOWN) : UINT(WM_NULL)) << key;
  }
  // Another application becomes active: the popup closes.
  SendMessageW(Form->Handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(p->IsOpen());
  // Closing by request, posted.
  p->Popup(nullptr);
  PumpMessages(1);
  TcxCustomPopupWindow::PostCloseRequest(p.get());
  PumpMessages(1);
  EXPECT_FALSE(p->IsOpen());
  // A popup whose owner is not shown does not open.
  Other->Hide();
  auto q = Open(Other);
  EXPECT_FALSE(q->IsOpen());
}

TEST_F(PopupFixture, FocusTakingPopupGivesTheFocusBack) {
  auto p = std::make_unique<TTestPopup>(Owner);
  auto* field = new TEdit(p.get());
  field->SetBounds(5, 5, 100, 24);
  field->SetParent(p.get());
  p->SetOwnerParent(Form.get());
  p->SetOwnerBounds(Owner->BoundsRect());
  p->Popup(field);
  PumpMessages(2);
  ASSERT_TRUE(p->IsOpen());
  EXPECT_EQ(p->FocusedControl(), field);
  EXPECT_EQ(GetFocus(), field->Handle());
  EXPECT_TRUE(p->Focused());
  p->ClosePopup();
  PumpMessages(2);
  EXPECT_EQ(GetFocus(), Owner->Handle());
  // The owner-window hook maps a window in the popup to the owner.
  EXPECT_EQ(cxGetOwnerWindow(field->Handle()), Owner->Handle());
  EXPECT_EQ(cxGetOwnerWindow(Other->Handle()), Other->Handle());
}

TEST_F(PopupFixture, FocusTakingPopupClosesWhenDeactivated) {
  auto p = std::make_unique<TTestPopup>(Owner);
  auto* field = new TEdit(p.get());
  field->SetBounds(5, 5, 100, 24);
  field->SetParent(p.get());
  p->SetOwnerParent(Form.get());
  p->SetOwnerBounds(Owner->BoundsRect());
  p->Popup(field);
  PumpMessages(2);
  ASSERT_TRUE(p->IsOpen());
  // While deactivation is locked the popup stays.
  p->LockDeactivate(true);
  SetActiveWindow(Form->Handle());
  PumpMessages(2);
  EXPECT_TRUE(p->IsOpen());
  p->LockDeactivate(false);
  SetActiveWindow(p->Handle());
  PumpMessages(2);
  SetActiveWindow(Form->Handle());
  PumpMessages(2);
  EXPECT_FALSE(p->IsOpen());
  EXPECT_EQ(p->Closed, 1);
}
