// Button faces and edit buttons: the face cache, spin halves and dividers,
// flat blending, glyph geometry, tree elements, and the live button's
// press, half tracking and auto-repeat.
#include <memory>
#include <vector>
#include "ActnList.h"
#include "ExtCtrls.h"
#include "TestPng.h"
#include "Themes.h"
#include "ToolCtrlsEh.h"
#include "TypInfo.h"
#include "gtest.h"

namespace {

std::unique_ptr<TBitmap> Surface(int w, int h, TColor fill = clWhite) {
  auto b = std::make_unique<TBitmap>();
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(fill);
  b->Canvas()->FillRect({0, 0, w, h});
  return b;
}

COLORREF Pixel(TBitmap* b, int x, int y) { return GetPixel(b->Canvas()->Handle(), x, y); }

// Classic (unthemed) drawing for the tests that check its pixels.
struct ClassicLook {
  ClassicLook() { SetThemesEnabledOverride(false); }
  ~ClassicLook() { SetThemesEnabledOverride(std::nullopt); }
};

TEST(ButtonFaces, CacheRendersEachLookOnce) {
  ClassicLook classic;
  ResetButtonBitmapCacheEh();
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 0);
  auto b = Surface(40, 40);
  HDC dc = b->Canvas()->Handle();
  PaintButtonFaceEh(dc, {0, 0, 17, 20}, clWindow, bfkDropDown, 0, false, false, true);
  PaintButtonFaceEh(dc, {20, 0, 37, 20}, clWindow, bfkDropDown, 0, false, false, true);
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 1);
  PaintButtonFaceEh(dc, {0, 0, 17, 20}, clWindow, bfkDropDown, 1, false, false, true);
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 2);
  // Two halves of a spin button are two looks.
  PaintButtonFaceEh(dc, {0, 0, 17, 20}, clWindow, bfkUpDown, 0, false, false, true);
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 4);
  PaintButtonFaceEh(dc, {0, 0, 17, 20}, clWindow, bfkUpDown, 0, false, false, true);
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 4);
  // A negative size is a key of size 0 and an empty bitmap.
  TBitmap* empty = ButtonBitmapCacheEh()->GetButtonBitmap({-5, -3, bfkEllipsis});
  EXPECT_EQ(empty->Width(), 0);
  EXPECT_EQ(empty, ButtonBitmapCacheEh()->GetButtonBitmap({0, 0, bfkEllipsis}));
  ResetButtonBitmapCacheEh();
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 0);
  PaintButtonFaceEh(dc, {0, 0, 17, 20}, clWindow, bfkDropDown, 0, false, false, true);
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 1);
  PaintButtonFaceEh(dc, {0, 0, 17, 20}, clWindow, bfkEllipsis, 0, false, false, true);
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 2);
  // Switching the theme renders the faces again.
  SetThemesEnabledOverride(true);
  PaintButtonFaceEh(dc, {0, 0, 17, 20}, clWindow, bfkDropDown, 0, false, false, true);
  EXPECT_EQ(ButtonBitmapCacheEh()->Count(), 1);
}

TEST(ButtonFaces, SpinDividerAndFlatFrame) {
  ClassicLook classic;
  const COLORREF mark = RGB(255, 0, 255);
  // Odd height: the one middle row neither half covers takes the colour.
  auto odd = Surface(17, 21);
  PaintButtonFaceEh(odd->Canvas()->Handle(), {0, 0, 17, 21}, TColor(mark), bfkUpDown, 0, false, false, true);
  EXPECT_EQ(Pixel(odd.get(), 8, 10), mark);
  EXPECT_NE(Pixel(odd.get(), 8, 9), mark);
  EXPECT_NE(Pixel(odd.get(), 8, 11), mark);
  // Even height, 3-D: no divider.
  auto even = Surface(17, 20);
  PaintButtonFaceEh(even->Canvas()->Handle(), {0, 0, 17, 20}, TColor(mark), bfkUpDown, 0, false, false, true);
  for (int y = 0; y < 20; ++y) EXPECT_NE(Pixel(even.get(), 8, y), mark) << y;
  // Flat and inactive: a frame of the colour and a divider, no 3-D edge.
  auto flat = Surface(17, 20);
  PaintButtonFaceEh(flat->Canvas()->Handle(), {0, 0, 17, 20}, TColor(mark), bfkUpDown, 0, true, false, true);
  EXPECT_EQ(Pixel(flat.get(), 0, 5), mark);
  EXPECT_EQ(Pixel(flat.get(), 16, 5), mark);
  EXPECT_EQ(Pixel(flat.get(), 8, 10), mark);
  // A flat inactive drop-down melts into its parent through the frame;
  // active, it shows a thin edge instead.
  auto dd = Surface(17, 20);
  PaintButtonFaceEh(dd->Canvas()->Handle(), {0, 0, 17, 20}, TColor(mark), bfkDropDown, 0, true, false, true);
  EXPECT_EQ(Pixel(dd.get(), 0, 0), mark);
  EXPECT_EQ(Pixel(dd.get(), 16, 19), mark);
  auto active = Surface(17, 20);
  PaintButtonFaceEh(active->Canvas()->Handle(), {0, 0, 17, 20}, TColor(mark), bfkDropDown, 0, true, true, true);
  EXPECT_NE(Pixel(active.get(), 0, 0), mark);
  EXPECT_EQ(Pixel(active.get(), 0, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
}

// The glyph's dark pixels, as a list of rectangles' bounding columns/rows.
struct Ink {
  int minX = 1000, maxX = -1, minY = 1000, maxY = -1, count = 0;
};
Ink InkOf(TBitmap* b, COLORREF ink) {
  Ink r;
  for (int y = 0; y < b->Height(); ++y)
    for (int x = 0; x < b->Width(); ++x)
      if (Pixel(b, x, y) == ink) {
        r.minX = std::min(r.minX, x), r.maxX = std::max(r.maxX, x);
        r.minY = std::min(r.minY, y), r.maxY = std::max(r.maxY, y);
        ++r.count;
      }
  return r;
}

TEST(ButtonFaces, GlyphGeometry) {
  ClassicLook classic;
  const COLORREF text = GetSysColor(COLOR_BTNTEXT);
  // The plus sign's vertical bar stays centred on the horizontal bar.
  for (int size = 5; size <= 30; ++size) {
    auto b = Surface(size, size);
    DrawPlusMinusFaceEh(b->Canvas()->Handle(), {0, 0, size, size}, true, false, true, false, true);
    Ink ink = InkOf(b.get(), text);
    if (ink.count == 0) continue;
    // Symmetric: as much ink left of the centre column as right of it.
    EXPECT_EQ(ink.maxX - ink.minX, ink.maxY - ink.minY) << size;
  }
  // Ellipsis: narrow faces use one-pixel dots and gaps.
  struct {
    int W;
    int Span;   // from the first dot's left to the last dot's right
  } cases[] = {{7, 5}, {8, 8}, {11, 8}, {12, 10}, {20, 10}};
  for (auto c : cases) {
    // A raised face keeps a glyph area two pixels inside its edge.
    auto b = Surface(c.W + 4, 12);
    DrawEllipsisFaceEh(b->Canvas()->Handle(), {0, 0, c.W + 4, 12}, true, false, false, false);
    Ink ink = InkOf(b.get(), text);
    EXPECT_EQ(ink.maxX - ink.minX + 1, c.Span) << c.W;
  }
}

TEST(ButtonFaces, SizesAndAlignment) {
  EXPECT_GT(FlatButtonWidthEh, 0);
  EXPECT_EQ(FlatButtonWidthEh % 2, 1);
  EXPECT_LE(FlatButtonWidthEh, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(DefaultEditButtonHeightEh(11, true), 16);   // 16.5 rounds to even
  EXPECT_EQ(DefaultEditButtonHeightEh(13, true), 20);
  EXPECT_EQ(DefaultEditButtonHeightEh(16, false), 16);
  EXPECT_GT(CheckBoxWidthEh, 0);
  TRect cell{10, 10, 110, 40};
  TRect r = AlignCheckBoxRectEh(cell, taRightJustify, tlBottom);
  EXPECT_EQ(r.Right, 110);
  EXPECT_EQ(r.Bottom, 40);
  r = AlignCheckBoxRectEh(cell, taCenter, tlCenter);
  EXPECT_EQ(r.Left, 10 + 50 - CheckBoxWidthEh / 2);
  r = AlignCheckBoxRectEh({0, 0, 5, 5}, taCenter, tlCenter);
  EXPECT_EQ(r, (TRect{0, 0, 5, 5}));
}

TEST(ButtonFaces, TreeLinesJoinAcrossCells) {
  // Two cells one above the other, odd height: the vertical line of kind 6
  // keeps its one-pixel rhythm across the border (no two dots in a row).
  auto b = Surface(15, 34);
  TCanvas* c = b->Canvas();
  DrawTreeNodeGlyphEh(c, {0, 0, 15, 17}, 6, false);
  DrawTreeNodeGlyphEh(c, {0, 17, 15, 34}, 6, false);
  COLORREF line = ColorToRGB(clBtnShadow);
  for (int y = 1; y < 34; ++y)
    EXPECT_FALSE(Pixel(b.get(), 7, y) == line && Pixel(b.get(), 7, y - 1) == line) << y;
  int dots = 0;
  for (int y = 0; y < 34; ++y) dots += Pixel(b.get(), 7, y) == line;
  EXPECT_GE(dots, 16);
  // A plus box with lines up and down.
  auto box = Surface(17, 17);
  DrawTreeNodeGlyphEh(box->Canvas(), {0, 0, 17, 17}, 3, false);
  EXPECT_EQ(Pixel(box.get(), 8, 8), ColorToRGB(clWindowText));
  EXPECT_EQ(Pixel(box.get(), 8, 6), ColorToRGB(clWindowText));   // vertical bar of the plus
  EXPECT_EQ(Pixel(box.get(), 4, 4), line);                        // box corner
}

TEST(ButtonFaces, WritesFacesPng) {
 for (bool themed : {false, true}) {
  SetThemesEnabledOverride(themed);
  auto b = Surface(6 * 22 + 2, 4 * 24 + 2, clBtnFace);
  HDC dc = b->Canvas()->Handle();
  TButtonFaceKindEh kinds[] = {bfkDropDown, bfkEllipsis, bfkUpDown, bfkCheckBox, bfkPlus, bfkMinus};
  struct Look {
    bool Flat, Active, Enabled;
    int Down;
  } looks[] = {{false, false, true, 0}, {false, false, true, 1}, {true, false, true, 0}, {true, true, false, 0}};
  for (int row = 0; row < 4; ++row)
    for (int k = 0; k < 6; ++k)
      PaintButtonFaceEh(dc, {2 + k * 22, 2 + row * 24, 2 + k * 22 + 18, 2 + row * 24 + 21}, clBtnFace, kinds[k],
                        looks[row].Down, looks[row].Flat, looks[row].Active, looks[row].Enabled, cbChecked);
  WriteTestPng(b.get(), themed ? "button_faces_themed" : "button_faces_classic");
 }
  SetThemesEnabledOverride(std::nullopt);
}

// ---------------------------------------------------------------------------

TEST(EditButton, PropertiesAndDefaults) {
  TEditButtonEh plain;
  EXPECT_FALSE(plain.Visible());
  EXPECT_EQ(plain.ShortCut(), 0);
  EXPECT_TRUE(plain.Enabled());
  EXPECT_TRUE(plain.Glyph()->Transparent());
  plain.SetNumGlyphs(0);
  EXPECT_EQ(plain.NumGlyphs(), 1);
  plain.SetNumGlyphs(7);
  EXPECT_EQ(plain.NumGlyphs(), 4);

  TEditButtonsEh buttons(nullptr, TVisibleEditButtonEh::StaticClass());
  std::vector<TCollectionItem*> changed;
  buttons.ChangeHandler = [&](TCollectionItem* i) { changed.push_back(i); };
  TEditButtonEh* b = buttons.Add();
  EXPECT_TRUE(b->Visible());
  EXPECT_EQ(b->ShortCut(), TShortCut(32808));
  changed.clear();
  b->SetStyle(ebsEllipsisEh);
  b->SetStyle(ebsEllipsisEh);   // unchanged: no notification
  EXPECT_EQ(changed.size(), 1u);
  // An owning edit's handler replaces the collection notification.
  int own = 0;
  TEditButtonEh def(static_cast<TWinControl*>(nullptr));
  def.ChangeHandler = [&](TObject*) { ++own; };
  def.SetWidth(20);
  EXPECT_EQ(own, 1);

  TEditButtonEh copy;
  copy.Assign(b);
  EXPECT_EQ(copy.Style(), ebsEllipsisEh);
  EXPECT_TRUE(copy.Visible());
  EXPECT_EQ(copy.ShortCut(), TShortCut(32808));
}

TEST(EditButton, ClickPrefersOnClickOverAction) {
  TAction action(nullptr);
  int executed = 0;
  action.OnExecute = [&](TObject*) { ++executed; };
  TEditButtonEh b;
  b.SetAction(&action);
  bool handled = false;
  b.Click(&b, handled);
  EXPECT_EQ(executed, 1);
  EXPECT_TRUE(handled);
  int clicks = 0;
  b.OnClick = [&](TObject*, bool&) { ++clicks; };
  handled = false;
  b.Click(&b, handled);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(executed, 1);
  EXPECT_FALSE(handled);
  // Neither: nothing happens.
  TEditButtonEh bare;
  handled = false;
  bare.Click(&bare, handled);
  EXPECT_FALSE(handled);
}

TEST(EditButton, ActionPropertiesAndStorage) {
  TAction action(nullptr);
  action.SetHint("选择");
  action.SetShortCut(TShortCut(VK_F4));
  action.SetVisible(true);
  TEditButtonEh b;
  b.SetHint("旧");
  b.SetAction(&action);   // at run time the action's values overwrite
  EXPECT_EQ(b.Hint(), "选择");
  EXPECT_EQ(b.ShortCut(), TShortCut(VK_F4));
  EXPECT_TRUE(b.Visible());
  // Values equal to the linked action's are not written to the form.
  EXPECT_FALSE(IsStoredProp(&b, GetPropInfo(&b, "Hint")));
  EXPECT_FALSE(IsStoredProp(&b, GetPropInfo(&b, "Visible")));
  b.SetHint("自己的");
  EXPECT_TRUE(IsStoredProp(&b, GetPropInfo(&b, "Hint")));
  // A later change of the action reaches the button.
  action.SetEnabled(false);
  EXPECT_FALSE(b.Enabled());
  b.SetAction(nullptr);
  EXPECT_EQ(b.ActionLink(), nullptr);
  EXPECT_TRUE(IsStoredProp(&b, GetPropInfo(&b, "Enabled")));
}

// ---------------------------------------------------------------------------

struct TTestButton : TEditButtonControlEh {
  using TEditButtonControlEh::MouseDown;
  using TEditButtonControlEh::MouseMove;
  using TEditButtonControlEh::MouseUp;
  std::vector<bool> Downs;   // TopButton of each button-down event
  int Clicks = 0;
  bool StopRepeat = false;
  TTestButton() {
    SetBounds(0, 0, 17, 21);
    SetStyle(ebsUpDownEh);
    OnButtonDown = [this](TObject*, bool top, bool& autoRepeat, bool&) {
      Downs.push_back(top);
      if (StopRepeat) autoRepeat = false;
    };
    OnClick = [this](TObject*) { ++Clicks; };
  }
  bool Repeating() const { return RepeatTimer() && RepeatTimer()->Enabled(); }
};

TEST(EditButtonControl, SpinHalvesByRow) {
  struct {
    int Y;
    int Events;
    bool Top;
  } rows[] = {{9, 1, true}, {10, 0, false}, {11, 0, false}, {12, 1, false}};
  for (auto r : rows) {
    TTestButton b;
    b.MouseDown(mbLeft, {}, 5, r.Y);
    ASSERT_EQ(int(b.Downs.size()), r.Events) << r.Y;
    if (r.Events) EXPECT_EQ(b.Downs[0], r.Top) << r.Y;
    EXPECT_EQ(b.DownButton(), r.Events ? (r.Top ? 1 : 2) : 0) << r.Y;
    b.MouseUp(mbLeft, {}, 5, r.Y);
    EXPECT_EQ(b.DownButton(), 0);
  }
}

TEST(EditButtonControl, AutoRepeatTiming) {
  TTestButton b;
  b.MouseDown(mbLeft, {}, 5, 3);
  EXPECT_EQ(b.Downs.size(), 1u);   // at the press
  ASSERT_TRUE(b.Repeating());
  EXPECT_EQ(b.RepeatTimer()->Interval(), 400u);
  b.RepeatTimerTick();             // after 400 ms
  EXPECT_EQ(b.Downs.size(), 2u);
  EXPECT_EQ(b.RepeatTimer()->Interval(), 100u);
  b.RepeatTimerTick();             // then every 100 ms
  b.RepeatTimerTick();
  EXPECT_EQ(b.Downs.size(), 4u);
  EXPECT_EQ(b.RepeatTimer()->Interval(), 100u);
  b.MouseUp(mbLeft, {}, 5, 3);
  EXPECT_FALSE(b.Repeating());
  EXPECT_EQ(b.Clicks, 1);

  // A handler that refuses auto-repeat at the press starts no timer.
  TTestButton once;
  once.StopRepeat = true;
  once.MouseDown(mbLeft, {}, 5, 3);
  EXPECT_FALSE(once.Repeating());
  // Other styles do not repeat.
  TTestButton dd;
  dd.SetStyle(ebsDropDownEh);
  dd.MouseDown(mbLeft, {}, 5, 15);
  EXPECT_EQ(dd.Downs, std::vector<bool>{true});
  EXPECT_FALSE(dd.Repeating());
}

TEST(EditButtonControl, LeavingTheHalfReleasesIt) {
  TTestButton b;
  b.MouseDown(mbLeft, {}, 5, 3);
  b.MouseMove({ssLeft}, 5, 15);   // onto the lower half
  EXPECT_FALSE(b.IsPressedState());
  b.RepeatTimerTick();            // the timer keeps running but fires nothing
  EXPECT_EQ(b.Downs.size(), 1u);
  b.MouseUp(mbLeft, {}, 5, 15);
  EXPECT_EQ(b.Clicks, 0);          // no click on release there
  EXPECT_FALSE(b.Repeating());
}

TEST(EditButtonControl, HeldDownWhileDroppedDown) {
  TTestButton b;
  b.SetStyle(ebsDropDownEh);
  b.SetHeldDown(true);
  EXPECT_TRUE(b.IsPressedState());
  EXPECT_EQ(b.DownButton(), 1);
  b.SetHeldDown(false);
  EXPECT_FALSE(b.IsPressedState());
  EXPECT_EQ(b.DownButton(), 0);
}

}  // namespace
