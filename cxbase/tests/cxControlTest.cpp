// The control base under Xvfb, driven by messages: dialog codes, focusing on
// click, popup menus, the own drag-and-drop state machine, the own scroll
// bars, wheel lines and the middle-button autoscroll mode.
#include <memory>

#include "TestPng.h"
#include "TestWindows.h"
#include "cxControls.h"
#include "gtest.h"

namespace {

class TRecordingDnD : public TcxDragAndDropObject {
 public:
  using TcxDragAndDropObject::TcxDragAndDropObject;
  static inline int StartedCount = 0;
  static inline std::vector<bool> Drops;

 protected:
  void Started() override {
    ++StartedCount;
    TcxDragAndDropObject::Started();
  }
  void AfterDrop(bool Accepted) override { Drops.push_back(Accepted); }
  TCursor CursorFor(bool) override { return crHandPoint; }
};

// Scrolls a content of ContentW x ContentH pixels.
class TTestControl : public TcxControl {
 public:
  explicit TTestControl(TComponent* AOwner) : TcxControl(AOwner) {
    SetDragAndDropObjectFactory([](TcxControl* c) { return new TRecordingDnD(c); });
  }
  int ContentW = 0, ContentH = 0, Left0 = 0, Top0 = 0;
  bool AllowHide = true;
  bool DragAllowed = false;
  std::vector<std::pair<TScrollBarKind, TScrollCode>> Scrolls;
  int MouseDowns = 0;
  std::function<void()> OnDown;
  TcxControlScrollBar* H() { return HScrollBar(); }
  TcxControlScrollBar* V() { return VScrollBar(); }
  using TcxControl::DoMouseWheel;

 protected:
  void DefineScrollBars() override {
    TRect cb = GetClientBounds();
    SetupScrollBar(sbHorizontal, 0, ContentW - 1, 1, cb.Width(), Left0, true, AllowHide);
    SetupScrollBar(sbVertical, 0, ContentH - 1, 1, cb.Height(), Top0, true, AllowHide);
  }
  bool PageInPixels(TScrollBarKind) override { return true; }
  void ScrollContent(TScrollBarKind Kind, TScrollCode Code, Integer&) override { Scrolls.push_back({Kind, Code}); }
  bool CanStartDragAndDrop(TPoint) override { return DragAllowed; }
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    ++MouseDowns;
    TcxControl::MouseDown(Button, Shift, X, Y);
  }
  void Paint() override {
    cxCanvas()->FillRectColor(GetClientBounds(), clWindow);
    TcxControl::Paint();
  }
};

class TMenuLike : public TComponent, public IcxPopupMenuComponent {
 public:
  std::vector<TPoint> Shown;
  bool IsShortCutKey(TMessage&) override { return false; }
  void Popup(Integer X, Integer Y) override { Shown.push_back(TPoint(X, Y)); }
};

struct ControlFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TTestControl* C = nullptr;
  TEdit* Other = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 420, 320);
    Other = new TEdit(Form.get());
    Other->SetBounds(300, 10, 80, 24);
    Other->SetParent(Form.get());
    C = new TTestControl(Form.get());
    C->SetBounds(10, 10, 200, 150);
    C->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  void Send(UINT msg, int x, int y, WPARAM keys = 0) { SendMessageW(C->Handle(), msg, keys, MAKELPARAM(x, y)); }
};

void CtrlKey(bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VK_CONTROL;
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof(in));
  // The key state follows once the input went through the display server.
  for (int i = 0; i < 100 && (GetAsyncKeyState(VK_CONTROL) < 0) != down; ++i) PumpMessages(1);
}

}  // namespace

TEST_F(ControlFixture, DialogCodesFollowTheWantedKeys) {
  struct { TcxWantedKeys keys; LRESULT code; } cases[] = {
      {{}, 0},
      {{wkArrows, wkTab}, DLGC_WANTARROWS | DLGC_WANTTAB},
      {{wkAllKeys, wkChars}, DLGC_WANTALLKEYS | DLGC_WANTCHARS},
  };
  for (auto& c : cases) {
    C->SetWantedKeys(c.keys);
    EXPECT_EQ(SendMessageW(C->Handle(), WM_GETDLGCODE, 0, 0), c.code);
  }
  C->SetWantedKeys({wkArrows, wkTab});
  CtrlKey(true);
  EXPECT_EQ(SendMessageW(C->Handle(), WM_GETDLGCODE, 0, 0), LRESULT(DLGC_WANTARROWS));   // no Tab with Ctrl held
  CtrlKey(false);
}

TEST_F(ControlFixture, FocusOnClick) {
  Other->SetFocus();
  C->SetFocusOnClick(false);
  Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  Send(WM_LBUTTONUP, 20, 20);
  EXPECT_EQ(C->MouseDowns, 1);   // OnMouseDown still runs
  EXPECT_FALSE(C->Focused());
  C->SetFocusOnClick(true);
  Send(WM_LBUTTONDBLCLK, 20, 20, MK_LBUTTON);   // a double click does not focus
  Send(WM_LBUTTONUP, 20, 20);
  EXPECT_FALSE(C->Focused());
  Send(WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  Send(WM_LBUTTONUP, 20, 20);
  EXPECT_TRUE(C->Focused());
  EXPECT_EQ(C->MouseDownPos(), TPoint(20, 20));
}

TEST_F(ControlFixture, DestroyedInsideOnMouseDown) {
  bool after = false;
  C->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) {
    delete C;
    C = nullptr;
  };
  C->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { after = true; };
  HWND h = C->Handle();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(C, nullptr);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_FALSE(after);
}

TEST_F(ControlFixture, PopupMenus) {
  TMenuLike menu;
  TComponent neither;
  C->AssignPopupMenu(&neither);   // neither a popup menu nor a popup-menu component
  EXPECT_EQ(C->PopupMenuComponent(), nullptr);
  C->AssignPopupMenu(&menu);
  EXPECT_EQ(C->PopupMenuComponent(), &menu);
  SendMessageW(C->Handle(), WM_CONTEXTMENU, WPARAM(C->Handle()), MAKELPARAM(-1, -1));   // the menu key
  ASSERT_EQ(menu.Shown.size(), 1u);
  EXPECT_EQ(menu.Shown[0], C->ClientToScreen(TPoint(0, 0)));
  TPoint inside = C->ClientToScreen(TPoint(30, 40));
  SendMessageW(C->Handle(), WM_CONTEXTMENU, WPARAM(C->Handle()), MAKELPARAM(inside.X, inside.Y));
  ASSERT_EQ(menu.Shown.size(), 2u);
  EXPECT_EQ(menu.Shown[1], inside);
  TPoint outside = C->ClientToScreen(TPoint(-5, 40));   // on a border: left to the platform
  SendMessageW(C->Handle(), WM_CONTEXTMENU, WPARAM(C->Handle()), MAKELPARAM(outside.X, outside.Y));
  EXPECT_EQ(menu.Shown.size(), 2u);
  {
    TPopupMenu gone;
    C->AssignPopupMenu(&gone);
  }
  EXPECT_EQ(C->PopupMenuComponent(), nullptr);   // freed: forgotten
}

TEST_F(ControlFixture, OwnDragAndDrop) {
  TRecordingDnD::StartedCount = 0;
  TRecordingDnD::Drops.clear();
  C->DragAllowed = true;
  Send(WM_LBUTTONDOWN, 50, 50, MK_LBUTTON);
  EXPECT_EQ(C->DragAndDropState(), dasPending);
  Send(WM_LBUTTONUP, 50, 50);
  EXPECT_EQ(C->DragAndDropState(), dasNone);
  EXPECT_EQ(TRecordingDnD::StartedCount, 0);   // never started

  Screen->SetCursor(crDefault);
  Send(WM_LBUTTONDOWN, 50, 50, MK_LBUTTON);
  Send(WM_MOUSEMOVE, 52, 51, MK_LBUTTON);   // inside the drag-detect area
  EXPECT_EQ(C->DragAndDropState(), dasPending);
  TPoint start = C->ClientToScreen(TPoint(80, 80));   // the drag starts where the cursor is
  SetCursorPos(start.X, start.Y);
  Send(WM_MOUSEMOVE, 80, 80, MK_LBUTTON);
  EXPECT_EQ(C->DragAndDropState(), dasActive);
  EXPECT_EQ(TRecordingDnD::StartedCount, 1);
  Send(WM_MOUSEMOVE, 90, 90, MK_LBUTTON);
  EXPECT_EQ(C->DragAndDropObject()->CurMousePos(), TPoint(90, 90));
  EXPECT_EQ(C->DragAndDropObject()->PrevMousePos(), TPoint(80, 80));
  EXPECT_EQ(Screen->Cursor(), crHandPoint);
  SendMessageW(C->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(C->DragAndDropState(), dasNone);
  ASSERT_EQ(TRecordingDnD::Drops.size(), 1u);
  EXPECT_FALSE(TRecordingDnD::Drops[0]);
  EXPECT_EQ(Screen->Cursor(), crDefault);   // the cursor saved at the start
  Send(WM_LBUTTONUP, 90, 90);

  Send(WM_LBUTTONDOWN, 50, 50, MK_LBUTTON);
  Send(WM_MOUSEMOVE, 80, 80, MK_LBUTTON);
  Send(WM_LBUTTONUP, 80, 80);
  ASSERT_EQ(TRecordingDnD::Drops.size(), 2u);
  EXPECT_TRUE(TRecordingDnD::Drops[1]);
}

TEST_F(ControlFixture, ScrollBarsSettle) {
  // Nothing to scroll: hidden, or shown disabled when the bar may not hide.
  C->ContentW = 50;
  C->ContentH = 50;
  C->RefreshScrollBars();
  EXPECT_FALSE(C->H()->IsShown());
  EXPECT_FALSE(C->V()->IsShown());
  C->AllowHide = false;
  C->RefreshScrollBars();
  EXPECT_TRUE(C->H()->IsShown());
  EXPECT_FALSE(C->H()->Enabled());
  EXPECT_TRUE(C->SizeGrip()->Visible());
  C->AllowHide = true;

  // Both bars only because each takes room from the other: neither.
  const TSize bars = cxSystemScrollBarSizes();
  C->ContentW = 200 - bars.cx / 2;
  C->ContentH = 150 - bars.cy / 2;
  C->RefreshScrollBars();
  EXPECT_FALSE(C->H()->IsShown());
  EXPECT_FALSE(C->V()->IsShown());

  // Really needed: both, with the grip in the corner.
  C->ContentW = 1000;
  C->ContentH = 1000;
  C->RefreshScrollBars();
  ASSERT_TRUE(C->H()->IsShown());
  ASSERT_TRUE(C->V()->IsShown());
  EXPECT_TRUE(C->SizeGrip()->Visible());
  EXPECT_EQ(C->H()->BoundsRect(), TRect(0, 150 - bars.cy, 200 - bars.cx, 150));
  EXPECT_EQ(C->V()->BoundsRect(), TRect(200 - bars.cx, 0, 200, 150 - bars.cy));
  EXPECT_EQ(C->SizeGrip()->BoundsRect(), TRect(200 - bars.cx, 150 - bars.cy, 200, 150));
  EXPECT_EQ(C->V()->PageSize(), 150 - bars.cy);
  EXPECT_EQ(C->GetClientBounds(), TRect(0, 0, 200 - bars.cx, 150 - bars.cy));
  WriteWindowPng(Form.get(), "cxcontrol_scrollbars");

  // A vertical style hides the horizontal bar even when it is needed.
  C->SetScrollBars(ssVertical);
  EXPECT_FALSE(C->H()->IsShown());
  EXPECT_TRUE(C->V()->IsShown());
  EXPECT_FALSE(C->SizeGrip()->Visible());

  // Scrolling a bar scrolls the content.
  SendMessageW(C->V()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, C->V()->Height() - 3));
  SendMessageW(C->V()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, C->V()->Height() - 3));
  ASSERT_FALSE(C->Scrolls.empty());
  EXPECT_EQ(C->Scrolls[0].first, sbVertical);
  EXPECT_EQ(C->Scrolls[0].second, scLineDown);
}

TEST_F(ControlFixture, WheelScrollsTheSystemsLines) {
  UINT saved = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &saved, 0);
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 3, nullptr, 0);
  C->ContentH = 1000;
  C->RefreshScrollBars();
  ASSERT_TRUE(C->V()->IsShown());
  EXPECT_TRUE(C->DoMouseWheel({}, 120, TPoint()));
  EXPECT_EQ(C->Scrolls.size(), 3u);
  EXPECT_TRUE(C->DoMouseWheel({}, -480, TPoint()));   // the delta's size is not used
  EXPECT_EQ(C->Scrolls.size(), 6u);
  EXPECT_EQ(C->Scrolls[0].second, scLineUp);
  EXPECT_EQ(C->Scrolls[5].second, scLineDown);
  SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, saved, nullptr, 0);
  C->ContentH = 10;
  C->RefreshScrollBars();
  EXPECT_FALSE(C->DoMouseWheel({}, 120, TPoint()));   // no vertical bar: not handled
}

TEST_F(ControlFixture, MiddleClickAutoscroll) {
  C->ContentH = 1000;
  C->RefreshScrollBars();
  ASSERT_TRUE(C->V()->IsShown());
  bool scrollingAfterRelease = false, scrollingAtEnd = true;
  int probes = 0;
  C->OnMouseMove = [&](TObject*, TShiftState, Integer X, Integer) {
    if (X == 1) scrollingAfterRelease = C->IsScrollingContent(), ++probes;
  };
  TPoint centre = C->ClientToScreen(TPoint(100, 70));
  SetCursorPos(centre.X, centre.Y);
  HWND h = C->Handle();
  // A middle click that never leaves the neutral zone keeps the mode ...
  PostMessageW(h, WM_MBUTTONUP, 0, MAKELPARAM(100, 70));
  PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));   // a probe: dispatched while the mode runs
  // ... moving out and releasing ends it.
  SetCursorPos(centre.X, centre.Y + 100);
  PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(100, 170));
  PostMessageW(h, WM_MBUTTONUP, 0, MAKELPARAM(100, 170));
  C->RunAutoScroll();
  scrollingAtEnd = C->IsScrollingContent();
  EXPECT_EQ(probes, 1);
  EXPECT_TRUE(scrollingAfterRelease);
  EXPECT_FALSE(scrollingAtEnd);
  EXPECT_EQ(GetCapture(), nullptr);
  // Esc ends it as well.
  SetCursorPos(centre.X, centre.Y);
  PostMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0);
  C->RunAutoScroll();
  EXPECT_FALSE(C->IsScrollingContent());
}

namespace {
// A control dragged with an image of itself.
class TImageControl : public TcxControl {
 public:
  using TcxControl::TcxControl;
  using TcxControl::DoEndDrag;

 protected:
  bool HasDragImages() override { return true; }
  TSize GetDragImageSize() override { return TSize(20, 10); }
  void PaintDragImage(TcxCanvas* ACanvas, const TRect& R) override {
    ACanvas->FillRectColor(R, clWhite);
    ACanvas->FillRectColor(TRect(2, 2, 18, 8), clRed);
  }
};
}  // namespace

TEST(cxControlDragImages, MadeFromThePaintedImage) {
  TcxControl plain;
  EXPECT_EQ(plain.GetDragImages(), nullptr);
  TImageControl c;
  TCustomImageList* images = c.GetDragImages();
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(images->Count(), 1);
  EXPECT_EQ(images->Width(), 20);
  EXPECT_EQ(images->Height(), 10);
  EXPECT_EQ(c.GetDragImages(), images);   // made once
  c.DoEndDrag(nullptr, 0, 0);   // freed when the drag ends
  EXPECT_NE(c.GetDragImages(), nullptr);
}

TEST_F(ControlFixture, ScrollBarSizesFollowTheSystem) {
  C->ContentH = 1000;
  C->RefreshScrollBars();
  ASSERT_TRUE(C->V()->IsShown());
  C->V()->SetWidth(5);
  PostMessageW(C->Handle(), DXM_CHECKSCROLLBARSIZES, 0, 0);
  PumpMessages(1);
  EXPECT_EQ(C->V()->Width(), GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(C->V()->Left(), 200 - GetSystemMetrics(SM_CXVSCROLL));
}

TEST_F(ControlFixture, CopyCursorWhileCtrlIsHeld) {
  auto* drag = new TcxDragControlObject(C);
  EXPECT_EQ(drag->GetDragCursor(true, 0, 0), crDrag);
  CtrlKey(true);
  EXPECT_EQ(drag->GetDragCursor(true, 0, 0), crcxDragCopy);
  EXPECT_EQ(drag->GetDragCursor(false, 0, 0), crNoDrop);   // not over an accepting target
  CtrlKey(false);
  drag->Finished(nullptr, 0, 0, false);   // frees itself
  // The control hands the platform its own drag object.
  C->OnStartDrag = [&](TObject*, TDragObject*& d) { EXPECT_EQ(d, nullptr); };
  C->BeginDrag(true);
  EXPECT_TRUE(C->Dragging());
  C->EndDrag(false);
  EXPECT_FALSE(C->Dragging());
}

namespace {
// A descendant's own drag object: it shows its own cursor and tells how
// the drag ended (then frees itself as its base does).
class TOwnDragObject : public TcxDragControlObject {
 public:
  using TcxDragControlObject::TcxDragControlObject;
  static inline std::vector<TCursor> Cursors;
  static inline std::vector<std::pair<TObject*, bool>> Ends;
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override {
    TCursor c = Accepted ? crHandPoint : crNo;
    Cursors.push_back(c);
    return c;
  }
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override {
    Ends.push_back({Target, Accepted});
    TcxDragControlObject::Finished(Target, X, Y, Accepted);
  }
};

class TOwnDragControl : public TcxControl {
 public:
  using TcxControl::TcxControl;

 protected:
  TcxDragControlObjectFactory GetDragObjectClass() override {
    return [](TcxControl* AControl) { return new TOwnDragObject(AControl); };
  }
};
}  // namespace

// A control with automatic drag mode, pressed and pulled onto an edit that
// accepts it: the drag runs with the descendant's drag object.
TEST(cxControlDrag, DescendantChoosesTheDragObjectOfARealDrag) {
  TForm form(nullptr);
  form.SetBounds(80, 80, 420, 240);
  auto* source = new TOwnDragControl(&form);
  source->SetBounds(10, 10, 200, 150);
  source->SetParent(&form);
  source->SetDragMode(dmAutomatic);
  auto* target = new TEdit(&form);
  target->SetBounds(260, 20, 120, 24);
  target->SetParent(&form);
  TObject* dropped = nullptr;
  target->OnDragOver = [&](TObject*, TObject* Source, Integer, Integer, TDragState, bool& Accept) {
    Accept = Source == source;
  };
  target->OnDragDrop = [&](TObject*, TObject* Source, Integer, Integer) { dropped = Source; };
  form.Show();
  PumpMessages(1);

  // The cursor already stands over the edit: the drag starts there once the
  // pressed mouse has left the drag-detect area.
  TPoint over = target->ClientToScreen(TPoint(60, 12));
  SetCursorPos(over.X, over.Y);
  HWND h = source->Handle();
  PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 40));
  PostMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 100));
  PostMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(121, 100));
  PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(121, 100));
  PumpMessages(3);
  EXPECT_FALSE(source->Dragging());
  ASSERT_EQ(TOwnDragObject::Ends.size(), 1u);
  EXPECT_EQ(TOwnDragObject::Ends[0].first, target);
  EXPECT_TRUE(TOwnDragObject::Ends[0].second);
  EXPECT_EQ(dropped, source);
  ASSERT_FALSE(TOwnDragObject::Cursors.empty());
  EXPECT_EQ(TOwnDragObject::Cursors.back(), crHandPoint);
}
