// The small controls of the preview's windows: colour blending, the
// scrolling window's positions and bars, the flat combo box's list and
// look, and the toolbar panel's alignment.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "Forms.h"
#include "Graphics.h"
#include "frxCtrls.h"
#include "frxpngimage.h"
#include "gtest.h"

namespace {

TEST(frxBlendColor, MixesChannelsWithRounding) {
  struct Case {
    TColor c1, c2;
    Integer amount;
    COLORREF expected;
  };
  const Case cases[] = {
      // A pure blue highlight over a white window at 30: red and green 179.
      {TColor(RGB(0, 0, 255)), clWhite, 30, RGB(179, 179, 255)},
      {TColor(RGB(0, 0, 255)), clWhite, 50, RGB(128, 128, 255)},
      {TColor(RGB(10, 20, 30)), TColor(RGB(200, 100, 0)), 0, RGB(200, 100, 0)},
      // From 100 on, the amount is counted out of 1000.
      {TColor(RGB(0, 0, 255)), clWhite, 100, RGB(230, 230, 255)},
      {TColor(RGB(100, 0, 255)), clBlack, 500, RGB(50, 0, 128)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(COLORREF(frxBlendColor(c.c1, c.c2, c.amount)), c.expected) << c.amount;
  // System colours are blended as their RGB values.
  EXPECT_EQ(frxBlendColor(clHighlight, clWindow, 30),
            frxBlendColor(TColor(ColorToRGB(clHighlight)), TColor(ColorToRGB(clWindow)), 30));
}

class CountingScrollWin : public TfrxScrollWin {
 public:
  using TfrxScrollWin::TfrxScrollWin;
  Integer HChanges = 0, VChanges = 0;

 protected:
  void OnHScrollChange() override { ++HChanges; }
  void OnVScrollChange() override { ++VChanges; }
};

class ScrollWinFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(0, 0, 400, 300);
    Win = new CountingScrollWin(Form.get());
    Win->SetParent(Form.get());
    Win->SetBounds(0, 0, 300, 200);
    Form->Show();
  }
  SCROLLINFO Bar(int bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    FlatSB_GetScrollInfo(Win->Handle(), bar, &si);
    return si;
  }
  std::unique_ptr<TForm> Form;
  CountingScrollWin* Win = nullptr;
};

TEST_F(ScrollWinFixture, PositionsAreClampedAndAnnouncedOncePerChange) {
  EXPECT_EQ(Win->LargeChange(), 10);
  EXPECT_EQ(Win->SmallChange(), 1);
  Win->SetVertRange(1000);
  Win->SetVertPage(200);
  Win->SetVertPosition(5000);
  EXPECT_EQ(Win->VertPosition(), 800);
  EXPECT_EQ(Win->VChanges, 1);
  Win->SetVertPosition(800);
  Win->SetVertPosition(900);
  EXPECT_EQ(Win->VChanges, 1);
  SCROLLINFO si = Bar(SB_VERT);
  EXPECT_EQ(si.nMax, 1000);
  EXPECT_EQ(si.nPage, 200u);
  EXPECT_EQ(si.nPos, 800);
  Win->SetVertPosition(-5);
  EXPECT_EQ(Win->VertPosition(), 0);
  EXPECT_EQ(Win->VChanges, 2);
  EXPECT_EQ(Win->HChanges, 0);

  // A range smaller than the page scrolls nowhere and shows no range; the
  // range setters leave the position as it is.
  Win->SetHorzRange(100);
  Win->SetHorzPage(300);
  Win->SetHorzPosition(50);
  EXPECT_EQ(Win->HorzPosition(), 0);
  EXPECT_EQ(Win->HChanges, 0);
  EXPECT_EQ(Bar(SB_HORZ).nMax, 0);
  Win->SetHorzRange(1000);
  Win->SetHorzPosition(600);
  Win->SetHorzRange(500);
  EXPECT_EQ(Win->HorzPosition(), 600);
}

TEST_F(ScrollWinFixture, ScrollBarMessagesMoveByTheChanges) {
  Win->SetVertRange(1000);
  Win->SetVertPage(200);
  Win->SetSmallChange(8);
  Win->SetLargeChange(300);
  struct Step {
    WORD code;
    Integer expected;
  };
  const Step steps[] = {{SB_LINEDOWN, 8},  {SB_PAGEDOWN, 308}, {SB_LINEUP, 300}, {SB_BOTTOM, 800},
                        {SB_PAGEDOWN, 800}, {SB_PAGEUP, 500},  {SB_TOP, 0},      {SB_ENDSCROLL, 0}};
  for (const Step& s : steps) {
    SendMessageW(Win->Handle(), WM_VSCROLL, MAKEWPARAM(s.code, 0), 0);
    EXPECT_EQ(Win->VertPosition(), s.expected) << s.code;
  }
  EXPECT_EQ(Win->VChanges, 6);
  EXPECT_EQ(SendMessageW(Win->Handle(), WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS);
  EXPECT_TRUE(GetWindowLongW(Win->Handle(), GWL_STYLE) & WS_VSCROLL);
}

class ComboFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(100, 100, 300, 300);
    Combo = new TfrxComboBox(Form.get());
    Combo->SetParent(Form.get());
    Combo->SetBounds(10, 10, 120, 21);
    Other = new TEdit(Form.get());
    Other->SetParent(Form.get());
    Other->SetBounds(10, 100, 100, 21);
    Form->Show();
  }
  std::unique_ptr<TBitmap> Shot() {
    RECT r;
    GetWindowRect(Combo->Handle(), &r);
    auto bmp = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top, pf24bit);
    HDC dc = GetWindowDC(Combo->Handle());
    BitBlt(bmp->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, 0, 0, SRCCOPY);
    ReleaseDC(Combo->Handle(), dc);
    return bmp;
  }
  Integer ListHeightOnScreen() {
    Combo->SetDroppedDown(true);
    RECT r{};
    GetWindowRect(Combo->ListHandle(), &r);
    Combo->SetDroppedDown(false);
    return r.bottom - r.top;
  }
  std::unique_ptr<TForm> Form;
  TfrxComboBox* Combo = nullptr;
  TEdit* Other = nullptr;
};

TEST_F(ComboFixture, ListOpensOneItemHighWhenEmptyAndUpToDropDownCount) {
  ASSERT_NE(Combo->ListHandle(), nullptr);
  const Integer ih = Combo->ItemHeight();
  EXPECT_EQ(ih, frxFontTextHeight(Combo->Font()));
  EXPECT_EQ(GetWindowLongW(Combo->Handle(), GWL_STYLE) & (CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED),
            CBS_DROPDOWN | CBS_OWNERDRAWFIXED);
  EXPECT_EQ(Combo->ListHeight(), ih + 2);
  EXPECT_EQ(ListHeightOnScreen(), ih + 2);
  for (int i = 0; i < 3; ++i) Combo->Items()->Add("50%");
  EXPECT_EQ(ListHeightOnScreen(), 3 * ih + 2);
  for (int i = 0; i < 20; ++i) Combo->Items()->Add("100%");
  EXPECT_EQ(ListHeightOnScreen(), 8 * ih + 2);
  Combo->SetDropDownCount(0);
  EXPECT_EQ(Combo->ListHeight(), ih + 2);
  // The list is as wide as the control unless a width is given.
  Combo->SetDropDownCount(8);
  Combo->SetDroppedDown(true);
  RECT r{};
  GetWindowRect(Combo->ListHandle(), &r);
  EXPECT_EQ(r.right - r.left, Combo->Width());
  Combo->SetDroppedDown(false);
  Combo->SetListWidth(200);
  Combo->SetDroppedDown(true);
  GetWindowRect(Combo->ListHandle(), &r);
  EXPECT_EQ(r.right - r.left, 200);
  Combo->SetDroppedDown(false);
}

TEST_F(ComboFixture, ReadOnlyReachesTheEdit) {
  Combo->SetReadOnly(true);
  EXPECT_TRUE(GetWindowLongW(Combo->EditHandle(), GWL_STYLE) & ES_READONLY);
  Combo->SetReadOnly(false);
  EXPECT_FALSE(GetWindowLongW(Combo->EditHandle(), GWL_STYLE) & ES_READONLY);
  // A re-created window keeps the state.
  Combo->SetReadOnly(true);
  Combo->Font()->SetSize(14);
  EXPECT_EQ(Combo->ItemHeight(), frxFontTextHeight(Combo->Font()));
  EXPECT_TRUE(GetWindowLongW(Combo->EditHandle(), GWL_STYLE) & ES_READONLY);
}

TEST_F(ComboFixture, FrameAndButtonLightUpUnderTheMouse) {
  SetFocus(Other->Handle());
  const Integer w = Combo->Width(), h = Combo->Height();
  RedrawWindow(Combo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  std::unique_ptr<TBitmap> normal = Shot();
  // Outer frame in the button face, button face filled, the arrow's top row
  // in the button text colour.
  const Integer ax = Integer(std::nearbyint(11 / 2.0)) + w - 11 - 4;
  const Integer ay = Integer(std::nearbyint((h - 4) / 2.0)) + 1;
  EXPECT_EQ(ColorToRGB(normal->Canvas()->Pixels(0, h / 2)), ColorToRGB(clBtnFace));
  EXPECT_EQ(ColorToRGB(normal->Canvas()->Pixels(w - 5, 3)), ColorToRGB(clBtnFace));
  EXPECT_EQ(ColorToRGB(normal->Canvas()->Pixels(ax + 2, ay)), ColorToRGB(clBtnText));
  EXPECT_EQ(ColorToRGB(normal->Canvas()->Pixels(ax + 5, ay)), ColorToRGB(clBtnFace));

  Combo->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(Combo->IsActive());
  std::unique_ptr<TBitmap> hot = Shot();
  EXPECT_EQ(ColorToRGB(hot->Canvas()->Pixels(0, h / 2)), ColorToRGB(clHighlight));
  EXPECT_EQ(ColorToRGB(hot->Canvas()->Pixels(w - 5, 3)), ColorToRGB(frxBlendColor(clHighlight, clWindow, 30)));
  EXPECT_EQ(ColorToRGB(hot->Canvas()->Pixels(w - 11 - 4, h / 2)), ColorToRGB(clHighlight));
  TPNGObject png;
  png.Assign(hot.get());
  png.SaveToFile(String(TOVANI_TEST_BINARY_DIR) + "/frx-combo-hot.png");

  Combo->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(Combo->IsActive());
  EXPECT_EQ(ColorToRGB(Shot()->Canvas()->Pixels(0, h / 2)), ColorToRGB(clBtnFace));
  // The focused edit lights it up as well.
  SetFocus(Combo->EditHandle());
  EXPECT_TRUE(Combo->IsActive());
  EXPECT_EQ(ColorToRGB(Shot()->Canvas()->Pixels(0, h / 2)), ColorToRGB(clHighlight));
  SetFocus(Other->Handle());
  EXPECT_EQ(ColorToRGB(Shot()->Canvas()->Pixels(0, h / 2)), ColorToRGB(clBtnFace));
  // Disabled: the button-shadow frame and a grey arrow.
  Combo->SetEnabled(false);
  RedrawWindow(Combo->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  std::unique_ptr<TBitmap> off = Shot();
  EXPECT_EQ(ColorToRGB(off->Canvas()->Pixels(0, h / 2)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(ColorToRGB(off->Canvas()->Pixels(ax + 2, ay)), ColorToRGB(clGrayText));
}

TEST(frxTBPanel, StacksFromTheTopOnAVerticalBar) {
  TForm form(nullptr);
  auto* bar = new TPanel(&form);
  bar->SetParent(&form);
  auto* holder = new TPanel(&form);
  holder->SetParent(bar);
  auto* panel = new TfrxTBPanel(&form);
  EXPECT_EQ(panel->Align(), alLeft);
  EXPECT_EQ(panel->BevelInner(), bvNone);
  EXPECT_EQ(panel->BevelOuter(), bvNone);
  EXPECT_EQ(panel->Width(), 8);
  bar->SetAlign(alTop);
  panel->SetParent(holder);
  EXPECT_EQ(panel->Align(), alLeft);
  bar->SetAlign(alLeft);
  panel->SetParent(nullptr);
  panel->SetParent(holder);
  EXPECT_EQ(panel->Align(), alTop);
  // On anything but a panel the alignment stays.
  panel->SetParent(&form);
  EXPECT_EQ(panel->Align(), alTop);
}

}  // namespace
