// The container on a form: view info rectangles and colours per border
// style, window regions, hot tracking, colours and fonts kept in step with
// the normal style, and an inner control placed and clipped.
#include <memory>

#include "StdCtrls.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxContainer.h"
#include "gtest.h"

namespace {
class TTestContainer : public TcxContainer {
 public:
  using TcxContainer::TcxContainer;
  using TcxContainer::SetInnerControl;
  using TcxContainer::FAlignLockCount;
  using TcxContainer::KeyDown;
};

struct ContainerFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TTestContainer* C = nullptr;
  TEdit* Other = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 420, 300);
    Form->SetColor(clBtnFace);
    Other = new TEdit(Form.get());
    Other->SetBounds(250, 20, 100, 24);
    Other->SetParent(Form.get());
    C = new TTestContainer(Form.get());
    C->SetBounds(20, 20, 160, 60);
    C->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
    Other->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  TcxContainerViewInfo* VI() {
    C->UpdateState(TPoint(-1, -1), 0, {}, false);
    return C->ViewInfo();
  }
  // The window region's bounding box and whether a point is in it.
  bool InRegion(int x, int y) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    bool has = GetWindowRgn(C->Handle(), rgn) != ERROR;
    bool in = !has || PtInRegion(rgn, x, y);
    DeleteObject(rgn);
    return in;
  }
};
}  // namespace

TEST_F(ContainerFixture, ViewInfoRectanglesPerBorderStyle) {
  struct Case {
    TcxContainerBorderStyle Style;
    bool Transparent;
    Integer Inset;                        // BorderRect inset on every side
    TcxContainerBorderStyle Drawn;        // the border style in force
    Integer Visible;                      // visible bounds inset (window region)
  };
  const Case cases[] = {
      {cbsNone, false, 0, cbsNone, 0},       {cbsSingle, false, 1, cbsSingle, 0},
      {cbsThick, false, 2, cbsThick, 0},     {cbsFlat, false, 2, cbsFlat, 0},
      {cbs3D, false, 2, cbs3D, 0},           {cbsUltraFlat, false, 1, cbsSingle, 0},
      {cbsOffice11, false, 1, cbsSingle, 0}, {cbsSingle, true, 2, cbsSingle, 1},
      {cbsNone, true, 2, cbsNone, 2},        {cbs3D, true, 2, cbs3D, 0},
  };
  for (const Case& k : cases) {
    C->Style()->SetBorderStyle(k.Style);
    C->Style()->SetTransparentBorder(k.Transparent);
    TcxContainerViewInfo* vi = VI();
    EXPECT_EQ(vi->BorderStyle, k.Drawn) << k.Style << k.Transparent;
    EXPECT_EQ(vi->BorderRect, TRect(k.Inset, k.Inset, 160 - k.Inset, 60 - k.Inset)) << k.Style << k.Transparent;
    EXPECT_EQ(vi->ClientRect, vi->BorderRect);
    EXPECT_EQ(vi->BorderWidth, cxContainerBorderWidth(k.Drawn));
    TRect visible;
    C->GetVisibleBounds(visible);
    EXPECT_EQ(visible, TRect(k.Visible, k.Visible, 160 - k.Visible, 60 - k.Visible)) << k.Style << k.Transparent;
    EXPECT_EQ(InRegion(0, 0), k.Visible == 0) << k.Style << k.Transparent;
  }
  // Edges: only the named sides carry the border.
  C->Style()->SetBorderStyle(cbsSingle);
  C->Style()->SetTransparentBorder(false);
  C->Style()->SetEdges({bLeft, bBottom});
  EXPECT_EQ(VI()->BorderRect, TRect(1, 0, 160, 59));
  C->Style()->SetEdges(cxBordersAll);
  // A shadow takes 3 pixels right and below; the region holds the offset copy.
  C->Style()->SetShadow(true);
  EXPECT_EQ(VI()->BorderRect, TRect(1, 1, 156, 56));
  EXPECT_TRUE(VI()->Shadow);
  EXPECT_TRUE(InRegion(158, 58));   // in the shadow
  EXPECT_FALSE(InRegion(1, 58));    // left of the shadow, below the frame
  TRect track;
  C->GetTrackingBounds(track);
  EXPECT_EQ(track, TRect(0, 0, 157, 57));
  WriteWindowPng(C, "cxContainer_shadow");
}

TEST_F(ContainerFixture, BorderColoursAndHotTracking) {
  C->Style()->SetBorderStyle(cbsUltraFlat);
  C->Style()->SetTransparentBorder(false);
  C->Style()->SetBorderColor(clRed);   // not used by the ultra-flat look
  TcxContainerViewInfo* vi = VI();
  EXPECT_EQ(vi->BorderColor, clBtnShadow);
  EXPECT_EQ(vi->ContainerState, TcxContainerStateFlags{csfNormal});
  // The mouse over it with no button or key held: hot, highlighted.
  C->UpdateState(TPoint(10, 10), 0, {}, true);
  EXPECT_TRUE(C->ViewInfo()->ContainerState.Contains(csfHotTracked));
  EXPECT_EQ(C->ViewInfo()->BorderColor, clHighlight);
  EXPECT_EQ(C->ViewInfo()->HotState, chsSelected);
  EXPECT_EQ(C->GetActiveStyle(), C->StyleHot());
  // Never while a mouse button or a modifier is held.
  for (TShiftState shift : {TShiftState{ssLeft}, TShiftState{ssCtrl}, TShiftState{ssShift}}) {
    C->UpdateState(TPoint(10, 10), 1, shift, true);
    EXPECT_FALSE(C->ViewInfo()->ContainerState.Contains(csfHotTracked));
  }
  // Without hot tracking the state is never hot.
  C->Style()->SetHotTrack(false);
  C->UpdateState(TPoint(10, 10), 0, {}, true);
  EXPECT_FALSE(C->ViewInfo()->ContainerState.Contains(csfHotTracked));
  EXPECT_EQ(C->ViewInfo()->HotState, chsNone);
  // Other border styles take the active style's colour; disabled controls
  // the disabled style's.
  C->Style()->SetBorderStyle(cbsSingle);
  EXPECT_EQ(VI()->BorderColor, clRed);
  C->SetEnabled(false);
  EXPECT_EQ(VI()->ContainerState, TcxContainerStateFlags{csfDisabled});
  EXPECT_EQ(VI()->BorderColor, clBtnShadow);
  EXPECT_EQ(VI()->BackgroundColor, clBtnFace);
}

TEST_F(ContainerFixture, ColoursAndFontsFollowTheNormalStyle) {
  // A colour set on the control is the style's own; one from the parent is not.
  EXPECT_FALSE(C->Style()->AssignedValues().Contains(csvColor));
  C->SetColor(clYellow);
  EXPECT_TRUE(C->Style()->AssignedValues().Contains(csvColor));
  EXPECT_EQ(C->Style()->Color(), clYellow);
  EXPECT_EQ(VI()->BackgroundColor, clYellow);
  C->Style()->RestoreDefaultValues();
  C->SetParentColor(true);
  Form->SetColor(clAqua);
  EXPECT_FALSE(C->Style()->AssignedValues().Contains(csvColor));
  // The style's colour comes to the control.
  C->Style()->SetColor(clLime);
  EXPECT_EQ(C->Color(), clLime);
  // A font set on the control goes into the style without becoming its own.
  TFont f;
  f.SetName("宋体");
  f.SetSize(16);
  C->SetFont(&f);
  EXPECT_EQ(C->Style()->Font()->Size(), 16);
  EXPECT_FALSE(C->Style()->AssignedValues().Contains(csvFont));
  // A font the style owns takes the control off its parent's font.
  C->SetParentFont(true);
  C->Style()->Font()->SetSize(11);
  EXPECT_TRUE(C->Style()->AssignedValues().Contains(csvFont));
  EXPECT_EQ(C->Font()->Size(), 11);
  EXPECT_FALSE(C->ParentFont());
}

TEST_F(ContainerFixture, InnerControlIsPlacedClippedAndPainted) {
  auto* edit = new TEdit(C);
  edit->SetAutoSize(false);
  edit->SetParent(C);
  C->SetInnerControl(edit);
  C->Style()->SetBorderStyle(cbsSingle);
  C->Style()->SetTransparentBorder(false);
  C->Style()->SetColor(TColor(0xE0FFFF));
  C->Style()->SetTextColor(clNavy);
  edit->SetText("订单 Tovani");
  PumpMessages(1);
  TcxContainerViewInfo* vi = VI();
  EXPECT_EQ(edit->BoundsRect(), vi->ClientRect);
  EXPECT_EQ(edit->Color(), TColor(0xE0FFFF));
  EXPECT_EQ(edit->Font()->Color(), clNavy);
  // Keyboard messages to the container go to the inner control.
  C->Perform(WM_CHAR, WPARAM(U'X'), 0);
  EXPECT_NE(edit->Text().find('X'), String::npos);
  PumpMessages(1);
  WriteWindowPng(C, "cxContainer_inner_control");
  EXPECT_EQ(ClientPixel(C, 0, 30), ColorToRGB(clWindowFrame));
  // A child partly outside the client rectangle gets a region of its
  // visible part; once it fits again the region goes.
  C->FAlignLockCount = 1;
  auto* child = new TEdit(C);
  child->SetAutoSize(false);
  child->SetParent(C);
  child->HandleNeeded();
  child->SetBounds(100, 5, 100, 30);
  C->FAlignLockCount = 0;
  TcxContainerInnerControlClip clip;
  C->GetInnerControlClip(vi->ClientRect, child, clip);
  EXPECT_FALSE(clip.IsInside);
  EXPECT_EQ(clip.Rect, TRect(0, 0, 59, 30));
  child->SetBounds(100, 6, 100, 30);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(child->Handle(), rgn), ERROR);
  child->SetBounds(10, 5, 50, 30);
  EXPECT_EQ(GetWindowRgn(child->Handle(), rgn), ERROR);
  DeleteObject(rgn);
  // Freeing the inner control leaves the container without one.
  delete edit;
  EXPECT_EQ(C->InnerControl(), nullptr);
}

namespace {
class TInnerMemo : public TMemo, public IcxContainerInnerControl {
 public:
  using TMemo::TMemo;
  TcxContainer* Container = nullptr;
  TWinControl* GetControl() override { return this; }
  TcxContainer* GetControlContainer() override { return Container; }
};

// A container whose inner memo scrolls: the own bars lie over the memo's.
class TMemoContainer : public TcxContainer {
 public:
  explicit TMemoContainer(TComponent* AOwner) : TcxContainer(AOwner) {
    UpdateScrollBarControls();
    Memo = new TInnerMemo(this);
    Memo->Container = this;
    Memo->SetScrollBars(ssBoth);
    Memo->SetWordWrap(false);
    Memo->SetParent(this);
    SetInnerControl(Memo);
  }
  TInnerMemo* Memo;

 protected:
  bool HasScrollBars() override { return true; }
};
}  // namespace

TEST_F(ContainerFixture, FocusStaysInTheInnerControlAndTabMoves) {
  auto* edit = new TEdit(C);
  edit->SetAutoSize(false);
  edit->SetParent(C);
  C->SetInnerControl(edit);
  C->UpdateState(TPoint(-1, -1), 0, {}, false);
  // Focusing the container focuses its inner control.
  C->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_TRUE(C->Focused());
  EXPECT_TRUE(VI()->ContainerState.Contains(csfActive));
  // A click on the container's frame leaves the focus in the inner control.
  SendMessageW(C->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
  SendMessageW(C->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
  PumpMessages(1);
  EXPECT_EQ(GetFocus(), edit->Handle());
  // Tab with Ctrl or Alt is not the container's; a plain Tab moves on.
  Word key = VK_TAB;
  C->KeyDown(key, {ssCtrl});
  EXPECT_EQ(key, VK_TAB);
  EXPECT_EQ(GetFocus(), edit->Handle());
  key = VK_TAB;
  C->KeyDown(key, {});
  PumpMessages(1);
  EXPECT_EQ(GetFocus(), Other->Handle());
  EXPECT_FALSE(C->Focused());
}

TEST_F(ContainerFixture, OwnScrollBarsCoverTheInnerControlsBars) {
  auto* mc = new TMemoContainer(Form.get());
  mc->SetBounds(20, 100, 220, 120);
  mc->SetParent(Form.get());
  mc->Style()->SetBorderStyle(cbsSingle);
  mc->Style()->SetTransparentBorder(false);
  String text;
  for (int i = 0; i < 30; ++i) text += "第 " + std::to_string(i) + " 行 a fairly long line of memo text to scroll\r\n";
  mc->Memo->SetText(text);
  PumpMessages(1);
  mc->UpdateState(TPoint(-1, -1), 0, {}, false);
  mc->UpdateScrollBars();
  ASSERT_TRUE(cxScrollBarInfoAvailable());
  ASSERT_NE(mc->HScrollBar(), nullptr);
  EXPECT_TRUE(mc->VScrollBar()->Visible());
  EXPECT_TRUE(mc->HScrollBar()->Visible());
  SCROLLBARINFO info;
  ASSERT_TRUE(cxGetScrollBarInfo(mc->Memo->Handle(), OBJID_VSCROLL, info));
  EXPECT_EQ(mc->VScrollBar()->BoundsRect().TopLeft(), mc->ScreenToClient(TPoint(info.rcScrollBar.left, info.rcScrollBar.top)));
  EXPECT_TRUE(mc->SizeGripVisible());
  EXPECT_EQ(mc->SizeGripRect().Width(), mc->VScrollBar()->Width());
  EXPECT_GT(mc->VScrollBar()->Max(), 0);
  EXPECT_EQ(cxContainerOfControl(mc->Memo), mc);
  EXPECT_TRUE(mc->VScrollBar()->Enabled());
  PumpMessages(2);
  WriteWindowPng(mc, "cxContainer_memo_scroll_bars");
}
