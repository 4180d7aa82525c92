// The label: Chinese captions wrapped and turned, depth effects and text
// styles drawn in order, caption and value in step, the accelerator passed
// to its focus control.
#include <memory>

#include "FormFile.h"
#include "Forms.h"
#include "Messages.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "cxLabel.h"
#include "gtest.h"

namespace {
struct LabelFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxLabel* L = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(40, 40, 460, 300);
    Form->SetColor(clWhite);
    L = new TcxLabel(Form.get());
    L->SetParent(Form.get());
    L->SetBounds(10, 10, 121, 21);
    L->Style()->Font()->SetName("宋体");
    L->Style()->Font()->SetSize(16);
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  TcxCustomLabelViewInfo* VI() { return static_cast<TcxCustomLabelViewInfo*>(L->GetViewInfo()); }
  void Show(const char* AName) {
    L->Invalidate();
    PumpMessages(2);
    WriteWindowPng(L, AName);
  }
};
}  // namespace

TEST_F(LabelFixture, CaptionAndValueFollowEachOtherAndSizeTheLabel) {
  L->SetCaption("客户名称");
  EXPECT_EQ(VarToStr(L->EditValue()), "客户名称");
  L->SetEditValue(Variant(String("产品")));
  EXPECT_EQ(L->Caption(), "产品");
  PumpMessages(1);
  Integer oneLine = L->Height();
  EXPECT_GT(oneLine, 10);
  EXPECT_EQ(L->GetViewInfo()->BorderStyle, cbsNone);   // labels have no border
  // Word wrap in a fixed width makes more lines.
  L->SetAutoSize(false);
  L->Properties()->SetWordWrap(true);
  L->SetCaption("这是一个很长的标签文字，会在标签的宽度里折成几行");
  L->SetBounds(10, 10, 120, 90);
  Show("cxLabel_wordwrap");
  TcxEditSizeProperties sp;
  sp.Width = 120;
  TSize sz;
  std::unique_ptr<TcxCustomEditViewData> vd(L->CreateViewData());
  vd->GetEditSize(nullptr, L->EditValue(), sp, sz);
  EXPECT_GT(sz.cy, oneLine * 2);
  // An empty caption still sizes to one line.
  L->Properties()->SetWordWrap(false);
  L->SetAutoSize(true);
  L->SetCaption("");
  PumpMessages(1);
  EXPECT_GE(L->Height(), oneLine - 2);
}

TEST_F(LabelFixture, DepthLayersAndTextPoints) {
  L->SetAutoSize(false);
  L->SetBounds(10, 10, 200, 60);
  L->SetCaption("深度");
  struct Case {
    const char* Name;
    TcxLabelEffect Effect;
    TcxLabelOrientation Orientation;
    Word Depth;
    std::vector<TPoint> Layers;
    TPoint Text;
  } cases[] = {
      {"cxLabel_fun", cxleFun, cxoRightBottom, 4, {{4, 4}, {3, 3}, {2, 2}, {1, 1}}, {0, 0}},
      {"cxLabel_cool", cxleCool, cxoLeft, 5, {{0, 0}}, {5, 0}},
      {"cxLabel_extrude", cxleExtrude, cxoBottom, 3, {{0, 3}, {0, 2}, {0, 1}}, {0, 0}},
      {"cxLabel_normal_depth_ignored", cxleNormal, cxoRightBottom, 6, {}, {0, 0}},
  };
  for (const Case& c : cases) {
    L->Properties()->SetLabelEffect(c.Effect);
    L->Properties()->SetOrientation(c.Orientation);
    L->Properties()->SetDepth(c.Depth);
    L->Properties()->SetShadowedColor(clRed);
    Show(c.Name);
    EXPECT_EQ(VI()->LayerPoints, c.Layers) << c.Name;
    EXPECT_EQ(VI()->TextPoint, c.Text) << c.Name;
  }
  // The fading layers end in the shadow colour: red pixels are there.
  L->Properties()->SetLabelEffect(cxleExtrude);
  L->Properties()->SetOrientation(cxoRightBottom);
  L->Properties()->SetDepth(4);
  Show("cxLabel_extrude_red");
  bool red = false;
  for (Integer x = 0; x < 60 && !red; ++x)
    for (Integer y = 0; y < 30 && !red; ++y) red = ClientPixel(L, x, y) == RGB(255, 0, 0);
  EXPECT_TRUE(red);
}

TEST_F(LabelFixture, StylesAndAngles) {
  L->SetAutoSize(false);
  L->SetBounds(10, 10, 160, 160);
  L->SetCaption("标签样式");
  struct Case {
    const char* Name;
    TcxLabelStyle Style;
    Integer Angle;
  } cases[] = {
      {"cxLabel_raised", cxlsRaised, 0},       {"cxLabel_lowered", cxlsLowered, 0},
      {"cxLabel_outline", cxlsOutLine, 0},     {"cxLabel_angle_45", cxlsNormal, 45},
      {"cxLabel_angle_450", cxlsNormal, 450},  {"cxLabel_angle_minus_90", cxlsNormal, -90},
  };
  for (const Case& c : cases) {
    L->Properties()->SetLabelStyle(c.Style);
    L->Properties()->SetAngle(c.Angle);
    Show(c.Name);
    bool ink = false;
    for (Integer x = 0; x < 160 && !ink; x += 2)
      for (Integer y = 0; y < 160 && !ink; y += 2) ink = ClientPixel(L, x, y) != RGB(255, 255, 255);
    EXPECT_TRUE(ink) << c.Name;
  }
  // 90 degrees: the text runs upwards, taller than wide.
  L->SetAutoSize(true);
  L->Properties()->SetAngle(450);
  PumpMessages(1);
  EXPECT_GT(L->Height(), L->Width());
}

TEST_F(LabelFixture, AcceleratorFocusesTheFocusControl) {
  auto* edit = new TEdit(Form.get());
  edit->SetParent(Form.get());
  edit->SetBounds(10, 100, 100, 24);
  L->SetCaption("客户(&N)");
  L->SetFocusControl(L);   // itself: ignored
  EXPECT_EQ(L->FocusControl(), nullptr);
  L->SetFocusControl(edit);
  PumpMessages(1);
  EXPECT_EQ(L->Perform(CM_DIALOGCHAR, 'N', 0), 1);
  PumpMessages(1);
  EXPECT_TRUE(edit->Focused());
  L->Properties()->SetShowAccelChar(false);
  EXPECT_EQ(L->Perform(CM_DIALOGCHAR, 'N', 0), 0);
  delete edit;
  EXPECT_EQ(L->FocusControl(), nullptr);
}

// What the label drew is copied from its cache until a calculation, a new
// background colour or a move asks for it again; a transparent label shows
// what lies behind it.
TEST_F(LabelFixture, CacheIsRedrawnOnlyWhenSomethingChanged) {
  L->SetAutoSize(false);
  L->SetBounds(10, 10, 120, 30);
  L->SetCaption("缓存");
  PumpMessages(1);
  TcxCustomLabelViewInfo* vi = VI();
  TBitmap target(120, 30, pf24bit);
  TcxCanvas canvas(target.Canvas());
  auto cachePixels = [&] {
    std::vector<TColor> p;
    TBitmap* b = vi->CacheBitmap();
    for (Integer x = 0; x < b->Width(); x += 3)
      for (Integer y = 0; y < b->Height(); y += 3) p.push_back(b->Canvas()->Pixels(x, y));
    return p;
  };
  vi->PaintOn(&canvas);
  EXPECT_FALSE(vi->Repaint);
  std::vector<TColor> first = cachePixels();
  vi->Text = "别的文字";   // no calculation: the cached image stays
  vi->PaintOn(&canvas);
  EXPECT_EQ(cachePixels(), first);
  vi->ChangeBackgroundColor(clYellow);
  vi->PaintOn(&canvas);
  EXPECT_NE(cachePixels(), first);
  EXPECT_EQ(ColorToRGB(vi->CacheBitmap()->Canvas()->Pixels(1, 1)), ColorToRGB(clYellow));
  const TRect& c = vi->ClientRect;
  EXPECT_EQ(ColorToRGB(target.Canvas()->Pixels(c.Left + 1, c.Top + 1)), ColorToRGB(clYellow));
  // Transparent: the form's white behind the label, not its own colour.
  L->Style()->SetColor(clAqua);
  L->SetCaption("透明");
  L->SetTransparent(true);
  Show("cxLabel_transparent");
  EXPECT_EQ(ColorToRGB(VI()->CacheBitmap()->Canvas()->Pixels(1, 1)), ColorToRGB(clWhite));
  EXPECT_EQ(ClientPixel(L, c.Left + 1, c.Top + 1), ColorToRGB(clWhite));
}

// In a grid cell the text keeps the editors' text offsets from the cell's
// edges: painted without them it would sit that much further up and left.
TEST_F(LabelFixture, InPlaceTextKeepsTheTextOffsets) {
  const TRect cell(0, 0, 120, 24);
  L->Properties()->Alignment()->SetVert(taTopJustify);
  auto firstInk = [&](bool AOffsets) {
    std::unique_ptr<TcxCustomEditViewInfo> vi(L->Properties()->CreateViewInfo());
    std::unique_ptr<TcxCustomEditViewData> vd(L->Properties()->CreateViewData(L->Style(), true));
    TBitmap bmp;
    bmp.SetWidth(cell.Width());
    bmp.SetHeight(cell.Height());
    TcxCanvas canvas(bmp.Canvas());
    vd->PrepareViewInfoForPaint(&canvas, Variant(String("客户")), vi.get());
    vd->Calculate(&canvas, cell, TPoint(-1, -1), 0, {}, vi.get(), false);
    auto* label = static_cast<TcxCustomLabelViewInfo*>(vi.get());
    EXPECT_EQ(label->InplaceTextOffsets, TRect(1, 1, 1, 1));
    if (!AOffsets) label->InplaceTextOffsets = TRect();
    vi->PaintOn(&canvas);
    TColor background = bmp.Canvas()->Pixels(cell.Right - 1, cell.Bottom - 1);
    TPoint ink(INT_MAX, INT_MAX);
    for (Integer x = 0; x < cell.Width(); ++x)
      for (Integer y = 0; y < cell.Height(); ++y)
        if (bmp.Canvas()->Pixels(x, y) != background) ink = TPoint(std::min(ink.X, x), std::min(ink.Y, y));
    return ink;
  };
  TPoint with = firstInk(true), without = firstInk(false);
  ASSERT_LT(without.X, INT_MAX);
  EXPECT_EQ(with, TPoint(without.X + 1, without.Y + 1));
}

// Each fading layer lies between the background and the shadow colour by
// its share of the depth, cut down to whole steps: the palest first.
TEST_F(LabelFixture, FadingLayerColours) {
  L->SetAutoSize(false);
  L->SetBounds(10, 10, 200, 60);
  L->SetCaption("渐变");
  L->Properties()->SetLabelEffect(cxleFun);
  L->Properties()->SetDepth(4);
  L->Properties()->SetShadowedColor(TColor(RGB(0, 100, 201)));
  L->Style()->SetColor(clWhite);
  Show("cxLabel_fun_colours");
  std::vector<TColor> expected = {TColor(RGB(191, 216, 241)), TColor(RGB(127, 177, 228)), TColor(RGB(63, 138, 214)),
                                  TColor(RGB(0, 100, 201))};
  EXPECT_EQ(VI()->LayerColors, expected);
}

// The size is the text's, plus the editors' content offsets and the style
// offset; the depth only counts in place, where the text is drawn short of it.
TEST_F(LabelFixture, SizeFromTextOffsetsAndDepth) {
  L->SetCaption("尺寸");
  TBitmap bmp(10, 10, pf24bit);
  bmp.Canvas()->Font()->Assign(L->Style()->GetVisibleTextFont());
  TSize text = bmp.Canvas()->TextExtent("尺寸");
  auto size = [&](bool AInplace, bool AContentOnly) {
    std::unique_ptr<TcxCustomEditViewData> vd(L->Properties()->CreateViewData(L->Style(), AInplace));
    vd->Edit = L;
    TcxEditSizeProperties sp;
    TSize sz;
    if (AContentOnly)
      vd->GetContentSize(nullptr, L->EditValue(), sz, sp);
    else
      vd->GetEditSize(nullptr, L->EditValue(), sp, sz);
    return sz;
  };
  TSize standAlone = size(false, true), inplace = size(true, true), whole = size(false, false);
  EXPECT_EQ(standAlone, TSize(text.cx + 2, text.cy + 4));   // offsets 1, 1, 1, 3
  EXPECT_EQ(inplace, TSize(text.cx + 2, text.cy + 2));      // offsets 1, 1, 1, 1
  L->Properties()->SetLabelEffect(cxleCool);
  L->Properties()->SetDepth(5);
  EXPECT_EQ(size(false, true), standAlone);
  EXPECT_EQ(size(true, true), TSize(inplace.cx + 5, inplace.cy + 5));
  PumpMessages(1);
  EXPECT_EQ(TSize(L->Width(), L->Height()), whole);
}

// A bitmap font neither turns nor takes an outline: it is drawn as plain,
// upright text. Such a font is taken from Wine's own bitmap fonts.
TEST_F(LabelFixture, BitmapFontIsDrawnPlainAndUpright) {
  const char* file = "Z:\\usr\\share\\wine\\fonts\\coure.fon";
  if (!AddFontResourceExA(file, FR_PRIVATE, nullptr)) GTEST_SKIP() << "no bitmap font at hand";
  L->Style()->Font()->SetName("Courier");
  L->Style()->Font()->SetSize(10);
  L->SetAutoSize(false);
  L->SetBounds(10, 10, 120, 60);
  L->SetCaption("Plain");
  auto pixels = [&](const char* AName) {
    Show(AName);
    std::vector<COLORREF> p;
    for (Integer y = 0; y < 60; ++y)
      for (Integer x = 0; x < 120; ++x) p.push_back(ClientPixel(L, x, y));
    return p;
  };
  std::vector<COLORREF> plain = pixels("cxLabel_bitmap_font");
  L->Properties()->SetAngle(45);
  EXPECT_EQ(pixels("cxLabel_bitmap_font_angle_45"), plain);
  EXPECT_EQ(VI()->TextPoint, TPoint(0, 0));
  L->Properties()->SetAngle(0);
  L->Properties()->SetLabelStyle(cxlsOutLine);
  EXPECT_EQ(pixels("cxLabel_bitmap_font_outline"), plain);
  Form.reset();
  RemoveFontResourceExA(file, FR_PRIVATE, nullptr);
}

// The label's settings, its state styles and its focus control stream with
// the form; the window exists once loading ends.
TEST_F(LabelFixture, SettingsStreamWithTheForm) {
  Form->SetName("CustomerForm");
  auto* edit = new TEdit(Form.get());
  edit->SetName("CustomerEdit");
  edit->SetParent(Form.get());
  L->SetName("CustomerLabel");
  L->SetCaption("客户(&C)");
  L->SetFocusControl(edit);
  L->Properties()->SetAngle(90);
  L->Properties()->SetLabelEffect(cxleExtrude);
  L->Properties()->SetDepth(3);
  L->StyleDisabled()->SetTextColor(clRed);
  String text = ComponentToText(Form.get());
  EXPECT_NE(text.find("StyleDisabled.TextColor"), String::npos) << text;
  EXPECT_NE(text.find("FocusControl = CustomerEdit"), String::npos) << text;
  auto form = std::make_unique<TForm>(nullptr);
  ReadComponentFromText(text, form.get());
  auto* copy = dynamic_cast<TcxLabel*>(form->FindComponent("CustomerLabel"));
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->HandleAllocated());
  EXPECT_EQ(copy->Caption(), "客户(&C)");
  EXPECT_EQ(copy->FocusControl(), form->FindComponent("CustomerEdit"));
  EXPECT_NE(copy->FocusControl(), nullptr);
  EXPECT_EQ(copy->Properties()->Angle(), 90);
  EXPECT_EQ(copy->Properties()->LabelEffect(), cxleExtrude);
  EXPECT_EQ(copy->Properties()->Depth(), 3);
  EXPECT_EQ(copy->StyleDisabled()->TextColor(), clRed);
}
