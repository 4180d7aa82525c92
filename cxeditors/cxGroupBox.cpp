#include "cxGroupBox.h"

#include "TypInfo.h"

#include <algorithm>

#include "Messages.h"
#include "Themes.h"
#include "Utf8.h"
#include "VclUtils.h"
#include "cxExtEditUtils.h"
#include "dxOffice11.h"

TOVANI_IMPLEMENT_CLASS(TcxPanelStyle, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomGroupBoxProperties, TcxCustomEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxGroupBoxViewInfo, TcxCustomEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxGroupBoxViewData, TcxCustomEditViewData)
TOVANI_IMPLEMENT_CLASS(TcxCustomGroupBox, TcxCustomEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxGroupBox, TcxCustomGroupBox)
TOVANI_IMPLEMENT_ENUM_INFO(TcxCaptionAlignment, "alTopLeft", "alTopCenter", "alTopRight", "alBottomLeft",
                           "alBottomCenter", "alBottomRight", "alLeftTop", "alLeftCenter", "alLeftBottom", "alRightTop",
                           "alRightCenter", "alRightBottom", "alCenterCenter")
TOVANI_IMPLEMENT_ENUM_INFO(TcxPanelOffice11BackgroundKind, "pobkGradient", "pobkOffice11Color", "pobkStyleColor")

namespace {
Integer GGroupBoxUnitCounter = 0;
constexpr int kButtonGroupBoxPart = 4;   // BP_GROUPBOX of the button theme
}  // namespace

// Nothing of the group box is registered: the start-up only counts its use.
void cxGroupBoxUnitStartup() { --GGroupBoxUnitCounter; }
void cxGroupBoxUnitShutdown() { ++GGroupBoxUnitCounter; }

TcxGroupBoxCaptionSide cxCaptionAlignmentToSide(TcxCaptionAlignment A) {
  if (A <= alTopRight) return gcsTop;
  if (A <= alBottomRight) return gcsBottom;
  if (A <= alLeftBottom) return gcsLeft;
  if (A <= alRightBottom) return gcsRight;
  return gcsCenter;
}

Integer cxCaptionHorzPlace(TcxCaptionAlignment A) {
  switch (A) {
    case alTopLeft: case alBottomLeft: case alLeftTop: case alLeftCenter: case alLeftBottom: return 0;
    case alTopCenter: case alBottomCenter: case alCenterCenter: return 1;
    default: return 2;
  }
}

Integer cxCaptionVertPlace(TcxCaptionAlignment A) {
  switch (A) {
    case alTopLeft: case alTopCenter: case alTopRight: case alLeftTop: case alRightTop: return 0;
    case alLeftCenter: case alRightCenter: case alCenterCenter: return 1;
    default: return 2;
  }
}

// ---------------------------------------------------------------------------
// Panel style

TPersistent* TcxPanelStyle::GetOwner() { return FOwner; }

void TcxPanelStyle::Changed() {
  if (FOwner) FOwner->PanelStyleChanged();
}

void TcxPanelStyle::SetActive(bool Value) {
  if (FActive == Value) return;
  FActive = Value;
  Changed();
}

void TcxPanelStyle::SetCaptionIndent(Integer Value) {
  Value = std::max<Integer>(Value, 2);
  if (FCaptionIndent == Value) return;
  FCaptionIndent = Value;
  if (FActive) Changed();
}

void TcxPanelStyle::SetOfficeBackgroundKind(TcxPanelOffice11BackgroundKind Value) {
  if (FOfficeBackgroundKind == Value) return;
  FOfficeBackgroundKind = Value;
  if (FActive && FOwner && FOwner->Style()->LookAndFeel()->Kind() == lfOffice11) Changed();
}

void TcxPanelStyle::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  if (FActive) Changed();
}

void TcxPanelStyle::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxPanelStyle*>(Source)) {
    SetActive(s->FActive);
    SetCaptionIndent(s->FCaptionIndent);
    SetWordWrap(s->FWordWrap);
    SetOfficeBackgroundKind(s->FOfficeBackgroundKind);
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// Properties

TClass TcxCustomGroupBoxProperties::GetContainerClass() { return TcxGroupBox::StaticClass(); }
TClass TcxCustomGroupBoxProperties::GetViewDataClass() { return TcxGroupBoxViewData::StaticClass(); }
TClass TcxCustomGroupBoxProperties::GetViewInfoClass() { return TcxGroupBoxViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomGroupBoxProperties::CreateViewInfo() { return new TcxGroupBoxViewInfo(); }
TcxCustomEditViewData* TcxCustomGroupBoxProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                   bool APreviewMode) {
  auto* vd = new TcxGroupBoxViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

// ---------------------------------------------------------------------------
// View data

TcxGroupBoxViewData::TcxGroupBoxViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle,
                                         bool AIsInplace)
    : TcxCustomEditViewData(AProperties, AStyle, AIsInplace) {
  if (!Style) return;
  NativeStyle = UsesNativeTheme(Style->LookAndFeel());
  GetContentParams(ContentParams);
}

bool TcxGroupBoxViewData::UsesNativeTheme(TcxLookAndFeel* ALookAndFeel) {
  if (!ALookAndFeel || ALookAndFeel->SkinPainter()) return false;
  return cxUseNativeTheme(ALookAndFeel->NativeStyle() || ALookAndFeel->Kind() == lfOffice11, teEdit);
}

TcxCustomGroupBox* TcxGroupBoxViewData::GroupBox() const { return dynamic_cast<TcxCustomGroupBox*>(Edit); }

bool TcxGroupBoxViewData::HasShadow() {
  TcxCustomGroupBox* g = GroupBox();
  return g && g->HasShadow() && TcxCustomEditViewData::HasShadow();
}

TColor TcxGroupBoxViewData::GetBorderColor() {
  TcxEditBorderStyle b = Style->GetBorderStyle();
  if (b == ebsUltraFlat || b == ebsOffice11) return Enabled ? cxEditHotBorderColor(b == ebsOffice11) : clBtnShadow;
  return Style->BorderColor();
}

void TcxGroupBoxViewData::GetBorderExtent(TRect& AExtent) {
  TcxCustomEditViewData::GetBorderExtent(AExtent);
  TcxCustomGroupBox* g = GroupBox();
  if (!g || IsInplace || g->PanelStyle()->Active() || g->Alignment() == alCenterCenter) return;
  Integer h = g->CaptionHeight();
  switch (cxCaptionAlignmentToSide(g->Alignment())) {
    case gcsTop: AExtent.Top = h / 2 + 1; break;
    case gcsBottom: AExtent.Bottom = h / 2 + 1; break;
    case gcsLeft: AExtent.Left = h / 2; break;
    case gcsRight: AExtent.Right = h / 2; break;
    default: break;
  }
}

void TcxGroupBoxViewData::GetContentExtent(TcxCanvas*, TcxCustomEditViewInfo*, TRect& AExtent) {
  // The base border extent (without the caption's half line), then room
  // for the caption on its side.
  TcxCustomEditViewData::GetBorderExtent(AExtent);
  TcxCustomGroupBox* g = GroupBox();
  if (!g || IsInplace || g->PanelStyle()->Active() || g->Alignment() == alCenterCenter) return;
  Integer room = g->CaptionHeight() + AExtent.Top + 3;
  switch (cxCaptionAlignmentToSide(g->Alignment())) {
    case gcsTop: AExtent.Top = room; break;
    case gcsBottom: AExtent.Bottom = room; break;
    case gcsLeft: AExtent.Left = room; break;
    case gcsRight: AExtent.Right = room; break;
    default: break;
  }
}

void TcxGroupBoxViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                    TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  auto* vi = static_cast<TcxGroupBoxViewInfo*>(AViewInfo);
  vi->IsDesigning = IsDesigning;
  TcxCustomEditViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  TcxCustomGroupBox* g = GroupBox();
  vi->GroupBox = g;
  vi->CaptionRect = vi->TextRect = TRect();
  if (IsInplace || !g) return;
  g->UpdateCaptionFont();
  g->UpdateCaptionText();
  const String& text = g->CaptionText();
  TcxCaptionAlignment a = g->Alignment();
  Integer W = ABounds.Width(), H = ABounds.Height();
  if (g->PanelStyle()->Active()) {
    // The panel and its caption inside it.
    TRect panel(0, 0, W, H);
    if (vi->Shadow) {
      panel.Right -= 3;
      panel.Bottom -= 3;
    }
    vi->PanelRect = panel;
    Integer bw = cxContainerBorderWidth(vi->BorderStyle);
    Integer indent = g->PanelStyle()->CaptionIndent();
    TRect content = panel;
    InflateRect(content, -bw, -bw);
    Integer hp = cxCaptionHorzPlace(a), vp = cxCaptionVertPlace(a);
    if (hp == 0) content.Left += indent;
    if (hp == 2) content.Right -= indent;
    if (vp == 0) content.Top += indent;
    if (vp == 2) content.Bottom -= indent;
    TRect t = content;
    if (!text.empty()) {
      TcxScreenCanvas* sc = cxSharedScreenCanvas();
      sc->SetFont(g->CaptionFont());
      std::u16string w = Utf8ToUtf16(text);
      RECT r = {0, 0, std::max<Integer>(content.Width(), 1), 0};
      UINT flags = DT_CALCRECT | (g->PanelStyle()->WordWrap() ? DT_WORDBREAK : DT_SINGLELINE);
      TcxCanvasFontSelection font(sc->Canvas());
      DrawTextW(font.DC(), vcl::W(w), Integer(w.size()), &r, flags);
      Integer tw = r.right - r.left, th = r.bottom - r.top;
      t = TRect(content.Left, content.Top, content.Left + tw, content.Top + th);
      if (hp == 2) t.Left = content.Right - tw;
      if (hp == 1) t.Left = content.Left + (content.Width() - tw) / 2;
      if (vp == 2) t.Top = content.Bottom - th;
      if (vp == 1) t.Top = content.Top + (content.Height() - th) / 2;
      t.Right = t.Left + tw;
      t.Bottom = t.Top + th;
    } else {
      t = TRect(content.Left, content.Top, content.Left, content.Top);
    }
    vi->TextRect = t;
    IntersectRect(vi->CaptionRect, t, content);
    return;
  }
  // The frame: its caption side moved inward to the middle of the caption.
  Integer h = g->CaptionHeight();
  TRect frame(0, 0, W, H);
  if (a != alCenterCenter) switch (cxCaptionAlignmentToSide(a)) {
      case gcsTop: frame.Top = h / 2; break;
      case gcsBottom: frame.Bottom -= h / 2; break;
      case gcsLeft: frame.Left = h / 2; break;
      case gcsRight: frame.Right -= h / 2; break;
      default: break;
    }
  vi->FrameRect = frame;
  if (text.empty()) return;
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  TFont upright;
  upright.Assign(g->CaptionFont());
  upright.SetOrientation(0);
  sc->SetFont(&upright);
  TSize ext = sc->TextExtent(text);
  Integer w = ext.cx, th = ext.cy;
  Integer s = vi->Shadow ? 3 : 0;
  TRect r(8, 0, 8 + w, th);
  switch (a) {
    case alLeftTop: r = TRect(0, 8, th, 9 + w); break;
    case alLeftCenter: {
      Integer D = H - s - (H - s - w) / 2;
      r = TRect(0, D - w - 1, th, D);
      break;
    }
    case alLeftBottom: r = TRect(0, H - s - 9 - w, th, H - s - 8); break;
    case alRightTop: r = TRect(W - th, 8, W, 8 + w); break;
    case alRightCenter: {
      Integer M = (H - w) / 2;
      r = TRect(W - th, M, W, M + w);
      break;
    }
    case alRightBottom: r = TRect(W - th, H - 8 - w, W, H - 8); break;
    default: {
      Integer hp = cxCaptionHorzPlace(a);
      if (hp == 1) r.Left = (W - s - w) / 2;
      if (hp == 2) r.Left = W - s - 8 - w;
      r.Right = r.Left + w;
      if (cxCaptionAlignmentToSide(a) == gcsBottom) {
        r.Top = H - th;
        r.Bottom = H;
      } else if (a == alCenterCenter) {
        r.Top = (H - s - th) / 2;
        r.Bottom = r.Top + th;
      }
      break;
    }
  }
  vi->CaptionRect = vi->TextRect = r;
}

// ---------------------------------------------------------------------------
// View info

void TcxGroupBoxViewInfo::PaintContent(TcxCanvas* ACanvas) {
  if (IsInplace) {
    // Without a control (a grid cell) the editor's usual background and
    // item buttons.
    if (!Edit)
      TcxCustomEditViewInfo::PaintContent(ACanvas);
    else if (!PaintBackgroundByHandler(ACanvas))
      ACanvas->FillRectColor(Bounds, BackgroundColor);
    return;
  }
  DrawBackground(ACanvas);
  ACanvas->PushClipRegion();
  DrawCaption(ACanvas);
  bool panel = GroupBox && GroupBox->PanelStyle()->Active();
  if (!panel && !IsRectEmpty(CaptionRect)) ACanvas->ExcludeFromClip(CaptionRect);
  DrawBorder(ACanvas);
  ACanvas->PopClipRegion();
  if (Edit && Edit->InPaintCopyMode()) PaintButtons(ACanvas);
}

void TcxGroupBoxViewInfo::DrawBackground(TcxCanvas* ACanvas) {
  bool panel = GroupBox && GroupBox->PanelStyle()->Active();
  TRect whole = Bounds;
  if (NativeStyle) {
    ACanvas->PushClipRegion();
    if (panel) {
      DrawNativePanelBackground(ACanvas);
    } else if (GroupBox && GroupBox->IsTransparentBackground()) {
      cxDrawParentImage(GroupBox, ACanvas, whole);
    } else if (GroupBox && GroupBox->HasNativeParentBackground() && IsFramePartiallyTransparent()) {
      // The frame's theme part lets the parent's themed background show.
      cxDrawParentBackground(GroupBox, ACanvas, whole);
      ACanvas->Canvas()->Refresh();
    } else {
      ACanvas->FillRectColor(whole, BackgroundColor);
    }
    ACanvas->PopClipRegion();
    return;
  }
  if (Shadow) cxPaintContainerShadow(ACanvas, panel ? PanelRect : BorderRect);
  if (Transparent) return;
  if (GroupBox && GroupBox->IsTransparentBackground()) {
    cxDrawParentImage(GroupBox, ACanvas, whole);
    return;
  }
  ACanvas->FillRectColor(panel ? PanelRect : whole, BackgroundColor);
}

bool TcxGroupBoxViewInfo::IsFramePartiallyTransparent() {
  HTHEME theme = ThemeServices()->Theme(teButton);
  return theme && IsThemeBackgroundPartiallyTransparent(theme, kButtonGroupBoxPart, Enabled ? 1 : 2);
}

// A themed panel (native style, or the Office-2003 kind) paints its
// background with the look-and-feel's painter: the parent's image when
// transparent, the parent's themed background or the background colour
// under the native style, or by OfficeBackgroundKind under Office 2003.
void TcxGroupBoxViewInfo::DrawNativePanelBackground(TcxCanvas* ACanvas) {
  TcxLookAndFeel* lf = GroupBox->Style()->LookAndFeel();
  TcxLookAndFeelPainterClass p = lf->ActivePainter();
  TRect r = PanelRect;
  if (BorderStyle != cbsNone && p) InflateRect(r, -p->GetBorderWidth(), -p->GetBorderWidth());
  if (!p) {
    ACanvas->FillRectColor(r, BackgroundColor);
  } else if (GroupBox->IsTransparentBackground()) {
    ACanvas->IntersectClip(r);
    p->PaintPanelBackground(ACanvas, GroupBox, PanelRect, clDefault, clDefault);
  } else if (lf->NativeStyle()) {
    if (GroupBox->HasNativeParentBackground())
      cxDrawParentBackground(GroupBox, ACanvas, r);
    else
      p->PaintPanelBackground(ACanvas, GroupBox, r, BackgroundColor, clDefault);
  } else if (lf->Kind() == lfOffice11) {
    TColor from = Office2003HeaderStartColor(), to = Office2003HeaderEndColor();
    switch (GroupBox->PanelStyle()->OfficeBackgroundKind()) {
      case pobkGradient: p->PaintPanelBackground(ACanvas, GroupBox, r, from, to); break;
      case pobkOffice11Color: p->PaintPanelBackground(ACanvas, GroupBox, r, dxMixColors(from, to, 50), clDefault); break;
      default: p->PaintPanelBackground(ACanvas, GroupBox, r, BackgroundColor, clDefault); break;
    }
  } else {
    ACanvas->FillRectColor(r, BackgroundColor);
  }
}

void TcxGroupBoxViewInfo::DrawCaption(TcxCanvas* ACanvas) {
  if (!GroupBox || IsRectEmpty(CaptionRect)) return;
  // Everything, a custom drawing too, stays inside the caption rectangle.
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(CaptionRect);
  const String& text = GroupBox->CaptionText();
  if (text.empty() || GroupBox->DoCustomDrawCaption(ACanvas, CaptionRect, Painter)) {
    ACanvas->PopClipRegion();
    return;
  }
  GroupBox->PrepareCaptionCanvas(ACanvas, NativeStyle);
  ACanvas->Brush()->SetStyle(bsClear);
  HDC dc = ACanvas->Handle();
  std::u16string w = Utf8ToUtf16(text);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(ACanvas->Font()->Color()));
  SelectObject(dc, ACanvas->Font()->Handle());
  TcxCaptionAlignment a = GroupBox->Alignment();
  bool panel = GroupBox->PanelStyle()->Active();
  RECT tr = {TextRect.Left, TextRect.Top, TextRect.Right, TextRect.Bottom};
  if (GroupBox->IsSideCaption()) {
    bool left = cxCaptionAlignmentToSide(a) == gcsLeft;
    ExtTextOutW(dc, left ? TextRect.Left : TextRect.Right, left ? TextRect.Bottom - 1 : TextRect.Top + 1, ETO_CLIPPED,
                &tr, vcl::W(w), UINT(w.size()), nullptr);
  } else if (!panel) {
    DrawTextW(dc, vcl::W(w), Integer(w.size()), &tr, DT_SINGLELINE);
  } else {
    UINT flags = 0;
    Integer hp = cxCaptionHorzPlace(a), vp = cxCaptionVertPlace(a);
    if (hp == 1) flags |= DT_CENTER;
    if (hp == 2) flags |= DT_RIGHT;
    if (vp == 1) flags |= DT_VCENTER;
    if (vp == 2) flags |= DT_BOTTOM;
    flags |= GroupBox->PanelStyle()->WordWrap() ? DT_WORDBREAK : DT_SINGLELINE;
    DrawTextW(dc, vcl::W(w), Integer(w.size()), &tr, flags);
  }
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->PopClipRegion();
}

void TcxGroupBoxViewInfo::DrawBorder(TcxCanvas* ACanvas) {
  bool panel = GroupBox && GroupBox->PanelStyle()->Active();
  if (NativeStyle) {
    if (panel) {
      if (BorderStyle != cbsNone)
        if (TcxLookAndFeelPainterClass p = GroupBox->Style()->LookAndFeel()->ActivePainter())
          p->PaintPanelBorders(ACanvas, PanelRect);
      return;
    }
    if (BorderStyle == cbsNone) return;
    if (HTHEME theme = ThemeServices()->Theme(teButton)) {
      RECT r = {FrameRect.Left, FrameRect.Top, FrameRect.Right, FrameRect.Bottom};
      DrawThemeBackground(theme, ACanvas->Handle(), kButtonGroupBoxPart, Enabled ? 1 : 2, &r, nullptr);
    }
    return;
  }
  // The frame: the border rectangle grown outward by the border width.
  TRect r = panel ? PanelRect : BorderRect;
  Integer bw = cxContainerBorderWidth(BorderStyle);
  if (!panel) {
    if (Edges.Contains(bLeft)) r.Left -= bw;
    if (Edges.Contains(bTop)) r.Top -= bw;
    if (Edges.Contains(bRight)) r.Right += bw;
    if (Edges.Contains(bBottom)) r.Bottom += bw;
  }
  switch (BorderStyle) {
    case cbsSingle: case cbsUltraFlat: case cbsOffice11:
      ACanvas->DrawRectBorders(r, BorderColor, 1, Edges);
      break;
    case cbsThick: ACanvas->DrawRectBorders(r, BorderColor, 2, Edges); break;
    case cbsFlat: {
      ACanvas->DrawRectBorders(r, clBtnShadow, 1, Edges);
      TRect inner = r;
      InflateRect(inner, -1, -1);
      ACanvas->DrawRectBorders(inner, clBtnHighlight, 1, Edges);
      break;
    }
    case cbs3D: {
      bool ctl3D = !GroupBox || GroupBox->Ctl3D();
      if (ctl3D) {
        // An etched line: shadow, then highlight one pixel lower-right.
        TRect a = r;
        a.Right -= 1;
        a.Bottom -= 1;
        ACanvas->DrawRectBorders(a, clBtnShadow, 1, Edges);
        OffsetRect(a, 1, 1);
        ACanvas->DrawRectBorders(a, clBtnHighlight, 1, Edges);
      } else {
        ACanvas->DrawRectBorders(r, clWindowFrame, 1, Edges);
        TRect inner = r;
        InflateRect(inner, -1, -1);
        ACanvas->DrawRectBorders(inner, BackgroundColor, 1, Edges);
      }
      break;
    }
    default: break;
  }
}

// ---------------------------------------------------------------------------
// The control

TcxCustomGroupBox::TcxCustomGroupBox(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomEdit(AOwner, AIsInplace,
                    AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                      return new TcxCustomGroupBoxProperties(O);
                    }) {
  cxGroupBoxUnitStartup();
  SetControlStyle(ControlStyle() + csAcceptsControls + csCaptureMouse + csClickEvents);
  SetBounds(Left(), Top(), 185, 105);
  FCaptionFont = std::make_unique<TFont>();
  UpdateCaptionFont();
  SetTabStop(false);
  FPanelStyle.reset(CreatePanelStyle());
}

TcxCustomGroupBox::~TcxCustomGroupBox() {
  FPanelStyle.reset();
  FCaptionFont.reset();
}

bool TcxCustomGroupBox::IsSideCaption() const {
  return FAlignment >= alLeftTop && FAlignment <= alRightBottom && !(FPanelStyle && FPanelStyle->Active());
}

void TcxCustomGroupBox::SetAlignment(TcxCaptionAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  PanelStyleChanged();
}

void TcxCustomGroupBox::PanelStyleChanged() {
  if (!FPanelStyle) return;
  UpdateCaptionFont();
  UpdateCaptionText();
  UpdateStateFromCursor();
  RedrawNonClientArea();
  Realign();
  Invalidate();
}

void TcxCustomGroupBox::RedrawNonClientArea() {
  if (!HandleAllocated() || !SupportsNonClientArea()) return;
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, 0x37);
  RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
}

Integer TcxCustomGroupBox::CaptionHeight() {
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  TFont upright;
  upright.Assign(FCaptionFont.get());
  upright.SetOrientation(0);
  sc->SetFont(&upright);
  return sc->TextHeight("Qq");
}

void TcxCustomGroupBox::UpdateCaptionFont() {
  if (!FCaptionFont || IsInplace()) return;
  FCaptionFont->Assign(GetCurrentStyle()->GetVisibleTextFont());
  if (!IsSideCaption()) return;
  // Side captions run upwards on the left and downwards on the right; only
  // TrueType fonts turn, so another font is replaced by Arial.
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  sc->SetFont(FCaptionFont.get());
  TEXTMETRICW tm{};
  {
    TcxCanvasFontSelection font(sc->Canvas());
    GetTextMetricsW(font.DC(), &tm);
  }
  if (!(tm.tmPitchAndFamily & TMPF_TRUETYPE)) FCaptionFont->SetName("Arial");
  Integer angle = FAlignment <= alLeftBottom ? 900 : 2700;
  if (FCaptionFont->Orientation() != angle) FCaptionFont->SetOrientation(angle);
}

void TcxCustomGroupBox::UpdateCaptionText() {
  String text = Text();
  if (IsSideCaption()) text = cxStripAccelerators(text, true);
  // Compared exactly: a change of letter case only is a change too.
  if (text == FCaptionText) return;
  FCaptionText = text;
  RedrawNonClientArea();
}

bool TcxCustomGroupBox::IsNonClientCaption() {
  return !FPanelStyle->Active() && SupportsNonClientArea() && Style()->LookAndFeel()->SkinPainter() &&
         !Caption().empty();
}

void TcxCustomGroupBox::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  TcxCustomEdit::LookAndFeelChanged(Sender, AChangedValues);
  RedrawNonClientArea();
  Invalidate();
}

void TcxCustomGroupBox::PrepareCaptionCanvas(TcxCanvas* ACanvas, bool ANative) {
  ACanvas->SetFont(FCaptionFont.get());
  if (ANative)
    if (HTHEME theme = ThemeServices()->Theme(teButton)) {
      COLORREF c;
      if (SUCCEEDED(GetThemeColor(theme, kButtonGroupBoxPart, Enabled() ? 1 : 2, 3803, &c)))
        ACanvas->Font()->SetColor(TColor(c));
    }
}

bool TcxCustomGroupBox::DoCustomDrawCaption(TcxCanvas* ACanvas, const TRect& R, TcxLookAndFeelPainterClass APainter) {
  bool done = false;
  if (OnCustomDrawCaption) OnCustomDrawCaption(this, ACanvas->Canvas(), R, APainter, done);
  return done;
}

bool TcxCustomGroupBox::DoCustomDrawContentBackground(TcxCanvas* ACanvas, const TRect& R,
                                                      TcxLookAndFeelPainterClass APainter) {
  bool done = false;
  if (OnCustomDrawContentBackground) OnCustomDrawContentBackground(this, ACanvas->Canvas(), R, APainter, done);
  return done;
}

void TcxCustomGroupBox::Paint() {
  bool done = false;
  if (OnCustomDraw) OnCustomDraw(this, done);
  if (!done) TcxCustomEdit::Paint();
}

void TcxCustomGroupBox::AdjustClientRect(TRect& Rect) {
  if (ComponentState().Contains(csDestroying) || !FPanelStyle) return;
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  std::unique_ptr<TcxCustomEditViewInfo> vi(GetEffectiveProperties()->CreateViewInfo());
  TRect extent;
  vd->GetContentExtent(nullptr, vi.get(), extent);
  Rect = TRect(extent.Left, extent.Top, Width() - extent.Right, Height() - extent.Bottom);
}

bool TcxCustomGroupBox::IsNativeStyle() { return TcxGroupBoxViewData::UsesNativeTheme(Style()->LookAndFeel()); }

bool TcxCustomGroupBox::UsesWindowRegion() { return FPanelStyle && FPanelStyle->Active() ? false : TcxCustomEdit::UsesWindowRegion(); }

void TcxCustomGroupBox::ContainerStyleChanged(TObject* Sender) {
  UpdateCaptionFont();
  TcxCustomEdit::ContainerStyleChanged(Sender);
}

void TcxCustomGroupBox::GetVisibleBounds(TRect& R) {
  TcxCustomEdit::GetVisibleBounds(R);
  switch (cxCaptionAlignmentToSide(FAlignment)) {
    case gcsTop: R.Top = 0; break;
    case gcsBottom: R.Bottom = Height(); break;
    case gcsLeft: R.Left = 0; break;
    case gcsRight: R.Right = Width(); break;
    default: break;
  }
}

bool TcxCustomGroupBox::HasShadow() {
  bool place = (FPanelStyle && FPanelStyle->Active()) || FAlignment <= alTopRight ||
               (FAlignment >= alLeftTop && FAlignment <= alLeftBottom);
  return place && !IsNativeStyle() && TcxCustomEdit::HasShadow();
}

TcxContainerStyle* TcxCustomGroupBox::GetStyleForState() {
  return State().Contains(csfDisabled) ? StyleDisabled() : Style();
}

bool TcxCustomGroupBox::HasNativeParentBackground() {
  return IsNativeStyle() && ParentBackground() && !IsInplace() && !Transparent();
}

void TcxCustomGroupBox::DoFontChanged() {
  TcxCustomEdit::DoFontChanged();
  Realign();
}

void TcxCustomGroupBox::DoTextChanged() {
  TcxCustomEdit::DoTextChanged();
  UpdateCaptionText();
  UpdateStateFromCursor();
  Invalidate();
}

void TcxCustomGroupBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (IsAccel(Word(Message.WParam), Text()) && CanFocus()) {
      FSelectingFirstByAccel = true;
      SelectFirst();
      FSelectingFirstByAccel = false;
      Message.Result = 1;
      return;
    }
  }
  TcxCustomEdit::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Streaming

TOVANI_PUBLISHED(TcxPanelStyle) {
  using P = TcxPanelStyle;
  Property("Active", &P::Active, &P::SetActive).Default(false);
  Property("CaptionIndent", &P::CaptionIndent, &P::SetCaptionIndent).Default(2);
  Property("OfficeBackgroundKind", &P::OfficeBackgroundKind, &P::SetOfficeBackgroundKind).Default(pobkOffice11Color);
  Property("WordWrap", &P::WordWrap, &P::SetWordWrap).Default(false);
}

TOVANI_PUBLISHED(TcxGroupBox) {
  using C = TcxGroupBox;
  Property("Alignment", &C::Alignment, &C::SetAlignment).Default(alTopLeft);
  Property<String>("Caption", [](C* c) { return c->Caption(); }, [](C* c, const String& v) { c->SetCaption(v); });
  Property<TcxPanelStyle*>(
      "PanelStyle", [](C* c) { return c->PanelStyle(); }, [](C* c, TcxPanelStyle* v) { c->SetPanelStyle(v); });
  Property<TcxEditStyle*>("Style", [](C* c) { return c->Style(); }, [](C* c, TcxEditStyle* v) { c->SetStyle(v); });
  Property("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
}
