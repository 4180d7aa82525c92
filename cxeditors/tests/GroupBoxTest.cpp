// The group box and panel: caption places, the frame and panel painted in
// each look, children laid out inside the frame, caption text changes.
#include <memory>

#include "Forms.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "Themes.h"
#include "cxGroupBox.h"
#include "dxOffice11.h"
#include "gtest.h"

namespace {
struct GroupBoxFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxGroupBox* G = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(40, 40, 420, 300);
    Form->SetColor(clBtnFace);
    G = new TcxGroupBox(Form.get());
    G->SetBounds(10, 10, 185, 105);
    G->SetParent(Form.get());
    G->SetCaption("订单信息");
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  TcxGroupBoxViewInfo* VI() { return static_cast<TcxGroupBoxViewInfo*>(G->GetViewInfo()); }
  TSize CaptionExtent() {
    TcxScreenCanvas* sc = cxSharedScreenCanvas();
    TFont f;
    f.Assign(G->CaptionFont());
    f.SetOrientation(0);
    sc->SetFont(&f);
    return sc->TextExtent(G->CaptionText());
  }
};
}  // namespace

// The shadow (s = 3) is only kept clear for captions on the top or the left:
// it is never shown for the other places, which therefore ignore it.
TEST_F(GroupBoxFixture, CaptionPlacesAroundTheFrame) {
  TSize e = CaptionExtent();
  Integer w = e.cx, h = e.cy, W = 185, H = 105;
  for (bool shadow : {false, true}) {
    G->Style()->SetShadow(shadow);
    Integer s = shadow ? 3 : 0;
    Integer D = H - s - (H - s - w) / 2, M = (H - w) / 2;
    struct Case {
      TcxCaptionAlignment A;
      TRect Expected;
    } cases[] = {
        {alTopLeft, TRect(8, 0, 8 + w, h)},
        {alTopCenter, TRect((W - s - w) / 2, 0, (W - s - w) / 2 + w, h)},
        {alTopRight, TRect(W - s - 8 - w, 0, W - s - 8, h)},
        {alBottomLeft, TRect(8, H - h, 8 + w, H)},
        {alBottomCenter, TRect((W - w) / 2, H - h, (W - w) / 2 + w, H)},
        {alBottomRight, TRect(W - 8 - w, H - h, W - 8, H)},
        {alLeftTop, TRect(0, 8, h, 9 + w)},
        {alLeftCenter, TRect(0, D - w - 1, h, D)},
        {alLeftBottom, TRect(0, H - s - 9 - w, h, H - s - 8)},
        {alRightTop, TRect(W - h, 8, W, 8 + w)},
        {alRightCenter, TRect(W - h, M, W, M + w)},
        {alRightBottom, TRect(W - h, H - 8 - w, W, H - 8)},
        {alCenterCenter, TRect((W - w) / 2, (H - h) / 2, (W - w) / 2 + w, (H - h) / 2 + h)},
    };
    for (const Case& c : cases) {
      G->SetAlignment(c.A);
      PumpMessages(1);
      EXPECT_EQ(VI()->CaptionRect, c.Expected) << int(c.A) << (shadow ? " with shadow" : "");
    }
  }
  G->Style()->SetShadow(false);
  // Side captions turn the font; the others keep it upright.
  G->SetAlignment(alLeftCenter);
  EXPECT_EQ(G->CaptionFont()->Orientation(), 900);
  G->SetAlignment(alRightCenter);
  EXPECT_EQ(G->CaptionFont()->Orientation(), 2700);
  PumpMessages(1);
  WriteWindowPng(G, "cxGroupBox_right_caption");
  G->SetAlignment(alTopLeft);
  EXPECT_EQ(G->CaptionFont()->Orientation(), 0);
}

TEST_F(GroupBoxFixture, ChildrenSitInsideTheFrameBelowTheCaption) {
  auto* child = new TEdit(Form.get());
  child->SetParent(G);
  child->SetAlign(alClient);
  PumpMessages(1);
  Integer h = CaptionExtent().cy;
  EXPECT_GE(child->Top(), h + 2);
  EXPECT_LT(child->Left(), 6);
  EXPECT_LE(child->Top() + child->Height(), G->Height());
  G->SetAlignment(alLeftTop);
  PumpMessages(1);
  EXPECT_GE(child->Left(), h + 2);
  G->PanelStyle()->SetActive(true);
  PumpMessages(1);
  EXPECT_LT(child->Top(), h);   // a panel's caption sits inside, under its children
}

TEST_F(GroupBoxFixture, FrameAndPanelInEachLook) {
  struct Case {
    const char* Name;
    TcxLookAndFeelKind Kind;
    bool Native;
    TcxContainerBorderStyle Border;
    bool Panel;
  } cases[] = {
      {"standard_3d", lfStandard, false, cbs3D, false},
      {"flat", lfFlat, false, cbsFlat, false},
      {"ultraflat_single", lfUltraFlat, false, cbsSingle, false},
      {"office11", lfOffice11, false, cbsOffice11, false},
      {"native", lfStandard, true, cbs3D, false},
      {"panel_standard", lfStandard, false, cbs3D, true},
      {"panel_office11", lfOffice11, false, cbsSingle, true},
      {"panel_native", lfStandard, true, cbs3D, true},
  };
  for (const Case& c : cases) {
    G->Style()->LookAndFeel()->SetKind(c.Kind);
    G->Style()->LookAndFeel()->SetNativeStyle(c.Native);
    G->Style()->SetBorderStyle(c.Border);
    G->PanelStyle()->SetActive(c.Panel);
    G->Invalidate();
    PumpMessages(2);
    WriteWindowPng(G, std::string("cxGroupBox_") + c.Name);
    if (!c.Panel && !c.Native && c.Kind != lfOffice11) {
      // The frame runs through the middle of the caption's height.
      Integer y = CaptionExtent().cy / 2;
      TColor expected = c.Border == cbs3D || c.Border == cbsFlat ? clBtnShadow : G->Style()->BorderColor();
      // On the outer pixel column, or one in where the border is one pixel wide.
      EXPECT_TRUE(ClientPixel(G, 0, y + 20) == ColorToRGB(expected) || ClientPixel(G, 1, y + 20) == ColorToRGB(expected))
          << c.Name;
      EXPECT_EQ(VI()->CaptionRect.Left, 8) << c.Name;
    }
    if (c.Panel) {
      EXPECT_GT(VI()->PanelRect.Width(), 0) << c.Name;
    }
  }
}

TEST_F(GroupBoxFixture, PanelCaptionAndIndent) {
  G->PanelStyle()->SetActive(true);
  G->PanelStyle()->SetCaptionIndent(0);
  EXPECT_EQ(G->PanelStyle()->CaptionIndent(), 2);
  G->SetAlignment(alCenterCenter);
  PumpMessages(1);
  TRect t = VI()->TextRect;
  TRect p = VI()->PanelRect;
  EXPECT_NEAR((t.Left + t.Right) / 2, (p.Left + p.Right) / 2, 1);
  EXPECT_NEAR((t.Top + t.Bottom) / 2, (p.Top + p.Bottom) / 2, 1);
  G->SetCaption("一个很长的面板标题会在面板里折行显示出来");
  G->PanelStyle()->SetWordWrap(true);
  PumpMessages(1);
  EXPECT_GT(VI()->TextRect.Height(), CaptionExtent().cy);
  WriteWindowPng(G, "cxGroupBox_panel_wordwrap");
}

TEST_F(GroupBoxFixture, CaptionCaseChangeIsShown) {
  G->SetCaption("Orders");
  PumpMessages(1);
  EXPECT_EQ(G->CaptionText(), "Orders");
  G->SetCaption("ORDERS");
  PumpMessages(1);
  EXPECT_EQ(G->CaptionText(), "ORDERS");
  // Side captions drop the accelerator prefix.
  G->SetCaption("&Orders");
  G->SetAlignment(alLeftCenter);
  EXPECT_EQ(G->CaptionText(), "Orders");
}

// The caption without a frame line through it; the frame keeps the same
// distance on every side.
TEST_F(GroupBoxFixture, CentredCaptionLeavesTheFrameAlone) {
  G->Style()->SetShadow(false);
  G->SetAlignment(alCenterCenter);
  PumpMessages(1);
  const TRect& b = VI()->BorderRect;
  EXPECT_EQ(b.Left, b.Top);
  EXPECT_EQ(G->Width() - b.Right, G->Height() - b.Bottom);
  EXPECT_EQ(b.Left, G->Width() - b.Right);
  auto* child = new TEdit(Form.get());
  child->SetParent(G);
  child->SetAlign(alClient);
  PumpMessages(1);
  EXPECT_EQ(child->Top(), child->Left());
}

// A side caption turns only in a vector font: a bitmap font gives way to
// Arial. Such a font is taken from Wine's own bitmap fonts for this process.
TEST_F(GroupBoxFixture, SideCaptionInABitmapFontTurnsInArial) {
  const char* file = "Z:\\usr\\share\\wine\\fonts\\coure.fon";
  if (!AddFontResourceExA(file, FR_PRIVATE, nullptr)) GTEST_SKIP() << "no bitmap font at hand";
  G->Style()->Font()->SetName("Courier");
  G->SetAlignment(alTopLeft);
  EXPECT_EQ(G->CaptionFont()->Name(), "Courier");
  G->SetAlignment(alLeftBottom);
  EXPECT_EQ(G->CaptionFont()->Name(), "Arial");
  EXPECT_EQ(G->CaptionFont()->Orientation(), 900);
  PumpMessages(1);
  WriteWindowPng(G, "cxGroupBox_bitmap_font_left_caption");
  G->SetAlignment(alTopLeft);   // upright again in the style's own font
  EXPECT_EQ(G->CaptionFont()->Name(), "Courier");
  Form.reset();
  RemoveFontResourceExA(file, FR_PRIVATE, nullptr);
}

// Under the Office-2003 kind the frame is the themed one; the panel's
// background follows OfficeBackgroundKind.
TEST_F(GroupBoxFixture, Office2003LookIsThemed) {
  if (!ThemeServices()->ThemesEnabled()) GTEST_SKIP() << "no visual styles";
  G->Style()->SetBorderStyle(cbs3D);
  auto pixels = [&] {
    G->Invalidate();
    PumpMessages(2);
    std::vector<COLORREF> p;
    for (Integer y = 0; y < G->Height(); y += 2)
      for (Integer x = 0; x < G->Width(); x += 2) p.push_back(ClientPixel(G, x, y));
    return p;
  };
  G->Style()->LookAndFeel()->SetNativeStyle(true);
  std::vector<COLORREF> native = pixels();
  G->Style()->LookAndFeel()->SetNativeStyle(false);
  G->Style()->LookAndFeel()->SetKind(lfOffice11);
  EXPECT_TRUE(VI()->NativeStyle);
  EXPECT_EQ(pixels(), native);
  WriteWindowPng(G, "cxGroupBox_office11_themed");

  G->SetCaption("");
  G->PanelStyle()->SetActive(true);
  G->Style()->SetColor(clYellow);
  struct Case {
    TcxPanelOffice11BackgroundKind Kind;
    const char* Name;
    TColor Expected;
  } cases[] = {
      {pobkStyleColor, "cxGroupBox_panel_office11_style_color", clYellow},
      {pobkOffice11Color, "cxGroupBox_panel_office11_color",
       dxMixColors(Office2003HeaderStartColor(), Office2003HeaderEndColor(), 50)},
      {pobkGradient, "cxGroupBox_panel_office11_gradient", clNone},
  };
  for (const Case& c : cases) {
    G->PanelStyle()->SetOfficeBackgroundKind(c.Kind);
    G->Invalidate();
    PumpMessages(2);
    WriteWindowPng(G, c.Name);
    if (c.Expected != clNone) EXPECT_EQ(ClientPixel(G, G->Width() / 2, G->Height() / 2), ColorToRGB(c.Expected)) << c.Name;
  }
}

// A themed frame is partly transparent: what its parent draws shows
// through it, unless the group box does not take its parent's background.
TEST_F(GroupBoxFixture, ThemedFrameShowsTheParentBackground) {
  if (!ThemeServices()->ThemesEnabled()) GTEST_SKIP() << "no visual styles";
  Form->SetColor(clAqua);
  G->Style()->SetColor(clYellow);
  G->Style()->LookAndFeel()->SetNativeStyle(true);
  for (bool parentBackground : {true, false}) {
    G->SetParentBackground(parentBackground);
    Form->Invalidate();
    G->Invalidate();
    PumpMessages(2);
    EXPECT_EQ(ClientPixel(G, G->Width() / 2, G->Height() / 2), ColorToRGB(parentBackground ? clAqua : clYellow));
  }
}

// The caption's own drawing stays inside the caption rectangle; a disabled
// caption takes the disabled style's text colour.
TEST_F(GroupBoxFixture, CaptionDrawingAndDisabledColour) {
  G->Style()->SetShadow(false);
  TRect drawn;
  G->OnCustomDrawCaption = [&](TObject*, TCanvas* ACanvas, const TRect& R, TcxLookAndFeelPainterClass, bool& ADone) {
    drawn = R;
    TRect wide = R;
    InflateRect(wide, 10, 10);
    ACanvas->Brush()->SetColor(clRed);
    ACanvas->FillRect(wide);
    ADone = true;
  };
  G->Invalidate();
  PumpMessages(2);
  EXPECT_EQ(drawn, VI()->CaptionRect);
  EXPECT_EQ(ClientPixel(G, drawn.Left + 1, drawn.Top + 1), ColorToRGB(clRed));
  EXPECT_NE(ClientPixel(G, drawn.Left + 1, drawn.Bottom + 4), ColorToRGB(clRed));
  EXPECT_NE(ClientPixel(G, drawn.Right + 4, drawn.Top + 1), ColorToRGB(clRed));

  G->OnCustomDrawCaption = nullptr;
  G->StyleDisabled()->SetTextColor(clRed);
  G->SetEnabled(false);
  G->Invalidate();
  PumpMessages(2);
  WriteWindowPng(G, "cxGroupBox_disabled");
  bool red = false;
  for (Integer x = drawn.Left; x < drawn.Right && !red; ++x)
    for (Integer y = drawn.Top; y < drawn.Bottom && !red; ++y) red = ClientPixel(G, x, y) == ColorToRGB(clRed);
  EXPECT_TRUE(red);
}
