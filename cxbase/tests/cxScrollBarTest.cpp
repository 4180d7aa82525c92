// The painted scroll bar: parameters, geometry, repeat timing driven by its
// timer's messages, thumb tracking with the tolerance rectangle, and a PNG.
#include <memory>

#include "TestPng.h"
#include "TestWindows.h"
#include "cxControls.h"
#include "gtest.h"

namespace {
struct BarFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxScrollBar* Bar = nullptr;
  int Changes = 0;
  std::vector<TScrollCode> Codes;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 400, 300);
    Bar = new TcxScrollBar(Form.get());
    Bar->SetParent(Form.get());
    Bar->OnChange = [this](TObject*) { ++Changes; };
    Bar->OnScroll = [this](TObject*, TScrollCode c, Integer&) { Codes.push_back(c); };
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  void Send(UINT msg, int x, int y, WPARAM keys = 0) { SendMessageW(Bar->Handle(), msg, keys, MAKELPARAM(x, y)); }
  void CursorAt(int x, int y) {
    TPoint p = Bar->ClientToScreen(TPoint(x, y));
    SetCursorPos(p.X, p.Y);
  }
  void Tick() { SendMessageW(cxTimerWindowHandle(), WM_TIMER, Bar->RepeatTimer()->Id(), 0); }
};
}  // namespace

TEST_F(BarFixture, ParametersAreCheckedAndClamped) {
  EXPECT_EQ(Bar->Width(), 121);
  EXPECT_EQ(Bar->Height(), GetSystemMetrics(SM_CYHSCROLL));
  Bar->SetPosition(500);
  EXPECT_EQ(Bar->Position(), 100);
  EXPECT_EQ(Changes, 1);
  Bar->SetPosition(100);   // unchanged: no OnChange
  EXPECT_EQ(Changes, 1);
  EXPECT_THROW(Bar->SetMax(-5), EInvalidOperation);
  EXPECT_THROW(Bar->SetScrollParams(0, 10, true, 20, 0), EInvalidOperation);
  EXPECT_EQ(Bar->Max(), 100);
  EXPECT_EQ(Bar->Position(), 100);
  Bar->SetKind(sbVertical);   // Width and Height swap
  EXPECT_EQ(Bar->Width(), GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_EQ(Bar->Height(), 121);
}

TEST_F(BarFixture, Geometry) {
  Bar->SetKind(sbVertical);
  Bar->SetBounds(0, 0, 17, 200);
  Bar->SetScrollParams(0, 99, true, 10, 45);
  TcxScrollBarViewInfo* vi = Bar->ViewInfo();
  const int a = std::min(GetSystemMetrics(SM_CXVSCROLL), 100);
  EXPECT_EQ(vi->StartArrowRect, TRect(0, 0, 17, a));
  EXPECT_EQ(vi->EndArrowRect, TRect(0, 200 - a, 17, 200));
  const int l = 200 - 2 * a;
  const int size = std::max(cxMulDiv(10, l, 100), vi->MinThumbSize);
  EXPECT_EQ(vi->ThumbLength(), size);
  EXPECT_EQ(vi->ThumbStart(), a + cxMulDiv(l - size, 45, 90));
  if (a == 17) {   // the figures of a 17-pixel system arrow
    EXPECT_EQ(size, 17);
    EXPECT_EQ(vi->ThumbStart(), 17 + 75);
  }
  EXPECT_EQ(vi->TrackBeforeRect, TRect(0, a, 17, vi->ThumbStart()));
  EXPECT_EQ(vi->TrackAfterRect, TRect(0, vi->ThumbStart() + size, 17, 200 - a));
  EXPECT_EQ(Bar->PartAt(TPoint(5, vi->ThumbStart() + 1)), sbaThumb);
  EXPECT_EQ(Bar->PartAt(TPoint(5, 1)), sbaStartArrow);
  EXPECT_EQ(Bar->PartAt(TPoint(5, 199)), sbaEndArrow);
  EXPECT_EQ(Bar->PartAt(TPoint(50, 50)), sbaNone);
  EXPECT_EQ(Bar->PositionFromThumb(), 45);

  // A page covering the whole range: no division by zero, thumb at the start.
  Bar->SetScrollParams(1, 100, true, 100, 50);
  EXPECT_EQ(vi->ThumbStart(), a);
  EXPECT_EQ(vi->ThumbLength(), l);
  EXPECT_EQ(Bar->PositionFromThumb(), 1);

  // PageSize 0: the system thumb size, placed by Position over the range.
  Bar->SetScrollParams(0, 100, true, 0, 50);
  const int t = GetSystemMetrics(SM_CYVTHUMB);
  EXPECT_EQ(vi->ThumbLength(), t);
  EXPECT_EQ(vi->ThumbStart(), a + cxMulDiv(l - t, 50, 100));

  // Too short for a thumb: arrows of half the length each, no thumb.
  Bar->SetBounds(0, 0, 17, 20);
  EXPECT_EQ(vi->StartArrowRect.Height(), std::min(GetSystemMetrics(SM_CXVSCROLL), 10));
  if (GetSystemMetrics(SM_CXVSCROLL) >= 10) {
    EXPECT_EQ(vi->EndArrowRect, TRect(0, 10, 17, 20));
  }
  EXPECT_FALSE(vi->HasThumb());
  EXPECT_EQ(Bar->PartAt(TPoint(5, 10)), sbaEndArrow);
}

TEST_F(BarFixture, ArrowsRepeatAfter400ThenEvery60Milliseconds) {
  Bar->SetBounds(10, 10, 200, 17);
  Bar->SetScrollParams(0, 100, true, 10, 0);
  const int endArrow = 200 - 3;
  CursorAt(endArrow, 8);
  Send(WM_LBUTTONDOWN, endArrow, 8, MK_LBUTTON);
  EXPECT_EQ(Bar->Position(), 1);   // once at once
  EXPECT_EQ(Bar->PressedPart(), sbaEndArrow);
  ASSERT_TRUE(Bar->RepeatTimer()->Running());
  EXPECT_EQ(Bar->RepeatTimer()->Interval(), 400u);
  Tick();
  EXPECT_EQ(Bar->Position(), 2);
  EXPECT_EQ(Bar->RepeatTimer()->Interval(), 60u);
  Tick();
  EXPECT_EQ(Bar->Position(), 3);
  // Moving off the arrow pauses the repetition; moving back resumes it.
  CursorAt(100, 8);
  Send(WM_MOUSEMOVE, 100, 8, MK_LBUTTON);
  EXPECT_FALSE(Bar->RepeatTimer()->Running());
  CursorAt(endArrow, 8);
  Send(WM_MOUSEMOVE, endArrow, 8, MK_LBUTTON);
  EXPECT_TRUE(Bar->RepeatTimer()->Running());
  Tick();
  EXPECT_EQ(Bar->Position(), 4);
  Send(WM_LBUTTONUP, endArrow, 8);
  EXPECT_FALSE(Bar->RepeatTimer()->Running());
  EXPECT_EQ(Bar->PressedPart(), sbaNone);
  EXPECT_EQ(Codes.back(), scEndScroll);
  // A page click moves by LargeChange.
  Bar->SetLargeChange(10);
  TRect after = Bar->ViewInfo()->TrackAfterRect;
  CursorAt(after.Left + 2, 8);
  Send(WM_LBUTTONDOWN, after.Left + 2, 8, MK_LBUTTON);
  EXPECT_EQ(Bar->Position(), 14);
  Send(WM_LBUTTONUP, after.Left + 2, 8);
  WriteWindowPng(Form.get(), "cxscrollbar");
}

TEST_F(BarFixture, ThumbTrackingSnapsBackOutsideTheTolerance) {
  Bar->SetBounds(10, 10, 300, 17);
  Bar->SetScrollParams(0, 100, true, 10, 0);
  TcxScrollBarViewInfo* vi = Bar->ViewInfo();
  const int x0 = vi->ThumbRect.Left + 2;
  Send(WM_LBUTTONDOWN, x0, 8, MK_LBUTTON);
  ASSERT_EQ(Bar->PressedPart(), sbaThumb);
  Send(WM_MOUSEMOVE, x0 + 60, 8, MK_LBUTTON);
  const int tracked = Bar->Position();
  EXPECT_GT(tracked, 0);
  EXPECT_EQ(Changes, 0);   // tracking changes the value silently
  EXPECT_EQ(Codes.back(), scTrack);
  Send(WM_MOUSEMOVE, x0 + 60, 8 + 200, MK_LBUTTON);   // 200 pixels away: beyond 136
  EXPECT_EQ(Bar->Position(), 0);
  Send(WM_MOUSEMOVE, x0 + 60, 8 + 100, MK_LBUTTON);   // back inside the tolerance
  EXPECT_EQ(Bar->Position(), tracked);
  Send(WM_LBUTTONUP, x0 + 60, 8 + 100);
  EXPECT_EQ(Bar->Position(), tracked);
  ASSERT_GE(Codes.size(), 2u);
  EXPECT_EQ(Codes[Codes.size() - 2], scPosition);

  Bar->SetUnlimitedTracking(true);
  const int x1 = vi->ThumbRect.Left + 2;
  Send(WM_LBUTTONDOWN, x1, 8, MK_LBUTTON);
  Send(WM_MOUSEMOVE, x1 + 300, 8 + 200, MK_LBUTTON);
  EXPECT_EQ(Bar->Position(), 91);   // keeps following, to the end of the track (Max - PageSize + 1)
  Send(WM_LBUTTONUP, x1 + 300, 8 + 200);
  EXPECT_EQ(vi->ThumbRect.Right, vi->TrackEnd());
}

TEST(cxLookAndFeel, ValuesFollowTheMasterChain) {
  auto master = std::make_unique<TcxLookAndFeel>(nullptr);
  TcxLookAndFeel slave(nullptr);
  std::vector<TcxLookAndFeelValues> changes;
  slave.OnChanged = [&](TcxLookAndFeel*, TcxLookAndFeelValues v) { changes.push_back(v); };
  EXPECT_EQ(slave.Kind(), lfUltraFlat);   // the root's
  EXPECT_FALSE(slave.NativeStyle());
  slave.SetMaster(master.get());
  changes.clear();
  master->SetKind(lfFlat);
  EXPECT_EQ(slave.Kind(), lfFlat);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_TRUE(changes[0].Contains(lfvKind));
  slave.SetKind(lfStandard);   // assigned here: the master no longer decides
  changes.clear();
  master->SetKind(lfOffice11);
  EXPECT_EQ(slave.Kind(), lfStandard);
  EXPECT_TRUE(changes.empty());
  master.reset();   // the slave falls back to the root and still hears it
  changes.clear();
  cxRootLookAndFeel()->SetNativeStyle(true);
  EXPECT_TRUE(slave.NativeStyle());
  EXPECT_EQ(changes.size(), 1u);
  cxRootLookAndFeel()->SetNativeStyle(false);
  slave.Reset();
  EXPECT_EQ(slave.Kind(), lfUltraFlat);
}
