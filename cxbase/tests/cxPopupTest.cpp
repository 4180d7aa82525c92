// Popup placement against a set work area, sizing to children with frames,
// closing on deactivation, and the sizing frame's ring region.
#include <memory>

#include "TestWindows.h"
#include "ExtCtrls.h"
#include "cxControls.h"
#include "gtest.h"

namespace {
// A popup that keeps to a work area the test sets.
class TTestPopup : public TcxPopupWindow {
 public:
  TRect WorkArea{0, 0, 1000, 800};

 protected:
  TRect WorkAreaAt(const TPoint&) override { return WorkArea; }
};

TPoint Place(TTestPopup& p, const TRect& owner, int w, int h) {
  p.SetOwnerBounds(owner);   // no owner parent: screen coordinates
  p.SetBounds(0, 0, w, h);
  TPoint pos;
  p.CalcPosition(pos);
  return pos;
}
}  // namespace

TEST(cxPopupWindow, PlacementFlipsAndClamps) {
  TTestPopup p;
  // Below the owner when it fits.
  EXPECT_EQ(Place(p, TRect(100, 100, 200, 120), 150, 200), TPoint(100, 120));
  // 50 pixels below the owner, 300 above: opens above.
  EXPECT_EQ(Place(p, TRect(100, 700, 200, 750), 150, 200), TPoint(100, 500));
  // Only 40 pixels above: stays below (running off the bottom) and the left
  // edge is still kept on the work area.
  p.WorkArea = TRect(0, 660, 1000, 800);
  EXPECT_EQ(Place(p, TRect(950, 700, 1000, 750), 150, 200), TPoint(850, 750));
  p.WorkArea = TRect(0, 0, 1000, 800);
  // Wider than the work area: starts at its left edge.
  EXPECT_EQ(Place(p, TRect(100, 100, 200, 120), 1200, 50).X, 0);
  // Above by request, flipped below when there is no room above.
  p.SetAlignVert(pvaTop);
  EXPECT_EQ(Place(p, TRect(100, 30, 200, 50), 150, 200), TPoint(100, 50));
  // Right alignment ends at the owner's right edge.
  p.SetAlignVert(pvaBottom);
  p.SetAlignHorz(phaRight);
  EXPECT_EQ(Place(p, TRect(300, 100, 400, 120), 150, 50), TPoint(250, 120));
  // Centred: clamped on both axes, never flipped.
  p.SetAlignHorz(phaCenter);
  p.SetAlignVert(pvaCenter);
  EXPECT_EQ(Place(p, TRect(0, 0, 20, 20), 100, 100), TPoint(0, 0));
  EXPECT_EQ(Place(p, TRect(980, 780, 1000, 800), 100, 100), TPoint(900, 700));
  // Horizontal flow: to the right of the owner, flipped to the left when the
  // right side has less room.
  p.SetDirection(pflHorizontal);
  p.SetAlignHorz(phaRight);
  p.SetAlignVert(pvaTop);
  EXPECT_EQ(Place(p, TRect(100, 100, 200, 120), 150, 50), TPoint(200, 100));
  EXPECT_EQ(Place(p, TRect(900, 100, 950, 120), 150, 50), TPoint(750, 100));
  EXPECT_EQ(Place(p, TRect(100, 790, 200, 800), 150, 50), TPoint(200, 750));   // cross axis clamped
}

TEST(cxPopupWindow, SizesToChildrenInsideTheFrame) {
  TTestPopup p;
  auto* child = new TPanel(&p);
  child->SetBounds(0, 0, 60, 30);
  child->SetParent(&p);
  p.SetPopupBorderStyle(pwf3D);
  p.SetBorderSpace(2);
  p.AdjustSizeToControls();
  EXPECT_EQ(child->Left(), 4);
  EXPECT_EQ(child->Top(), 4);
  EXPECT_EQ(p.Width(), 68);
  EXPECT_EQ(p.Height(), 38);
  EXPECT_EQ(p.GetClientBounds(), TRect(4, 4, 64, 34));
  p.SetPopupBorderStyle(pwfSingle);   // the children move back first
  EXPECT_EQ(child->Left(), 0);
  p.AdjustSizeToControls();
  EXPECT_EQ(child->Left(), 3);
  EXPECT_EQ(p.Width(), 66);
}

TEST(cxPopupWindow, PopsUpAndClosesWhenTheApplicationIsLeft) {
  TForm owner(nullptr);
  owner.SetBounds(100, 100, 300, 200);
  owner.Font()->SetSize(14);
  owner.Show();
  TTestPopup p;
  p.WorkArea = cxWorkAreaAtPoint(TPoint(150, 150));
  auto* child = new TPanel(&p);
  child->SetBounds(0, 0, 80, 40);
  child->SetParent(&p);
  p.SetOwnerParent(&owner);
  p.SetOwnerBounds(TRect(10, 10, 110, 30));
  p.SetPopupBorderStyle(pwfSingle);
  p.Popup();
  PumpMessages(1);
  EXPECT_TRUE(p.Visible());
  EXPECT_EQ(p.Font()->Size(), 14);
  TPoint below = owner.ClientToScreen(TPoint(10, 30));
  EXPECT_EQ(TPoint(p.Left(), p.Top()), below);
  EXPECT_EQ(ClientPixel(&p, 0, 0), ColorToRGB(clWindowText));   // the single frame
  SendMessageW(p.Handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(p.Visible());
}

TEST(cxSizeFrame, RingRegion) {
  TcxSizeFrame wide(10);
  wide.HandleNeeded();
  wide.SetFrameBounds(TRect(50, 50, 65, 65));   // 2 x 10 is not less than 15: the full rectangle
  EXPECT_EQ(wide.RegionUpdates(), 0);
  EXPECT_TRUE(wide.Region()->PtInRegion(TPoint(7, 7)));

  TcxSizeFrame frame(2);
  frame.HandleNeeded();
  frame.SetFrameBounds(TRect(0, 0, 100, 50));
  EXPECT_EQ(frame.RegionUpdates(), 1);
  TcxRegion* r = frame.Region();
  EXPECT_TRUE(r->PtInRegion(TPoint(0, 0)));
  EXPECT_TRUE(r->PtInRegion(TPoint(1, 25)));
  EXPECT_FALSE(r->PtInRegion(TPoint(2, 25)));
  EXPECT_TRUE(r->PtInRegion(TPoint(98, 25)));
  EXPECT_FALSE(r->PtInRegion(TPoint(50, 25)));
  EXPECT_TRUE(r->PtInRegion(TPoint(50, 49)));
  // The same size elsewhere keeps the window region.
  frame.SetFrameBounds(TRect(200, 200, 300, 250));
  EXPECT_EQ(frame.RegionUpdates(), 1);
  frame.SetFrameBounds(TRect(200, 200, 300, 260));
  EXPECT_EQ(frame.RegionUpdates(), 2);

  TcxCustomDragImage image;
  image.HandleNeeded();
  EXPECT_EQ(SendMessageW(image.Handle(), WM_NCHITTEST, 0, 0), LRESULT(HTTRANSPARENT));
  EXPECT_TRUE(GetWindowLongPtrW(image.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
}
