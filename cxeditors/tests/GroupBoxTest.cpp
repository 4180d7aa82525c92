// The group box and panel: caption places, the frame and panel painted in
// each look, children laid out inside the frame, caption text changes.
#include <memory>

#include "Forms.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "cxGroupBox.h"
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

TEST_F(GroupBoxFixture, CaptionPlacesAroundTheFrame) {
  G->Style()->SetShadow(false);
  TSize e = CaptionExtent();
  Integer w = e.cx, h = e.cy, W = 185, H = 105;
  struct Case {
    TcxCaptionAlignment A;
    TRect Expected;
  } cases[] = {
      {alTopLeft, TRect(8, 0, 8 + w, h)},
      {alTopCenter, TRect((W - w) / 2, 0, (W - w) / 2 + w, h)},
      {alTopRight, TRect(W - 8 - w, 0, W - 8, h)},
      {alBottomLeft, TRect(8, H - h, 8 + w, H)},
      {alLeftTop, TRect(0, 8, h, 9 + w)},
      {alLeftBottom, TRect(0, H - 9 - w, h, H - 8)},
      {alRightTop, TRect(W - h, 8, W, 8 + w)},
      {alRightBottom, TRect(W - h, H - 8 - w, W, H - 8)},
      {alCenterCenter, TRect((W - w) / 2, (H - h) / 2, (W - w) / 2 + w, (H - h) / 2 + h)},
  };
  for (const Case& c : cases) {
    G->SetAlignment(c.A);
    PumpMessages(1);
    EXPECT_EQ(VI()->CaptionRect, c.Expected) << int(c.A);
  }
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
    if (!c.Panel && !c.Native) {
      // The frame runs through the middle of the caption's height.
      Integer y = CaptionExtent().cy / 2;
      TColor expected = c.Border == cbs3D || c.Border == cbsFlat ? clBtnShadow : G->Style()->BorderColor();
      if (c.Border == cbsOffice11) expected = cxEditHotBorderColor(true);
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
