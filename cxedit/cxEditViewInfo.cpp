// Painting of an editor from its calculated view info: the background in
// one of six ways, the border through the container's rules, every button
// with its border, background and content in the look of its buttons
// style, and the parts that changed since an older view info.
#include <algorithm>

#include "Themes.h"
#include "Forms.h"
#include "cxEdit.h"
#include "cxGraphics.h"
#include "dxOffice11.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomEditViewInfo, TcxContainerViewInfo)

namespace {
bool Empty(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }
constexpr Cardinal kTextFlagsBase = 0xA60;
Cardinal AlignmentFlags(TAlignment A) {
  switch (A) {
    case taLeftJustify: return cxtfLeft;
    case taRightJustify: return cxtfRight;
    default: return cxtfHCenter;
  }
}
}  // namespace

TcxCustomEditViewInfo::TcxCustomEditViewInfo() = default;
TcxCustomEditViewInfo::~TcxCustomEditViewInfo() = default;

void TcxCustomEditViewInfo::SetButtonCount(Integer ACount) {
  if (ACount < 0) ACount = 0;
  while (Integer(ButtonsInfo.size()) > ACount) ButtonsInfo.pop_back();
  while (Integer(ButtonsInfo.size()) < ACount) ButtonsInfo.emplace_back(CreateButtonViewInfo());
}

// Background ----------------------------------------------------------------

TcxEditBackgroundKind TcxCustomEditViewInfo::BackgroundKind() {
  if (IsInplace) {
    if (OnDrawBackground) {
      bool handled = false;
      OnDrawBackground(this, nullptr, handled);
      if (handled) return ebkCustom;
    }
    return Transparent || (Edit && Edit->IsTransparentBackground()) ? ebkNone : ebkSolid;
  }
  if (Transparent) return ebkParentImage;
  if (Edit && Edit->HasNativeParentBackground()) return ebkParentThemed;
  return NativeStyle ? ebkSolid : ebkFrameAndFill;
}

bool TcxCustomEditViewInfo::PaintBackgroundByHandler(TcxCanvas* ACanvas) {
  if (!IsInplace || !OnDrawBackground) return false;
  bool handled = false;
  OnDrawBackground(this, ACanvas, handled);
  return handled;
}

void TcxCustomEditViewInfo::PaintBackgroundRect(TcxCanvas* ACanvas, const TRect& R, bool ANoClip,
                                                const TRect& AClipRect) {
  ACanvas->PushDC();
  if (!ANoClip) ACanvas->ExcludeFromClip(AClipRect);
  switch (BackgroundKind()) {
    case ebkCustom:
      ACanvas->IntersectClip(R);
      PaintBackgroundByHandler(ACanvas);
      break;
    case ebkFrameAndFill: cxDrawEditBackgroundAndButtons(ACanvas, this, true, ebkFrameAndFill); break;
    case ebkNone: break;
    case ebkSolid: cxFillSolidRect(ACanvas, R, BackgroundColor); break;
    case ebkParentImage:
      if (Edit) cxDrawParentImage(Edit, ACanvas, R, true);
      break;
    case ebkParentThemed:
      if (Edit) cxDrawParentImage(Edit, ACanvas, R, false);
      break;
  }
  ACanvas->PopDC();
}

void TcxCustomEditViewInfo::DrawNativeEditBackground(TcxCanvas* ACanvas, bool AFillContent,
                                                     TcxEditBackgroundKind AKind, HBRUSH ABrush) {
  TRect content = Bounds;
  bool border = BorderStyle != cbsNone;
  if (!IsInplace && border) {
    content = TRect(Bounds.Left + 3, Bounds.Top + 3, Bounds.Right - 4, Bounds.Bottom - 3);
    if (HTHEME theme = ThemeServices()->Theme(teEdit)) {
      Integer part = cxDwmCompositionOn() ? 6 : 1;
      ACanvas->PushClipRegion();
      ACanvas->ExcludeFromClip(content);
      if (IsThemeBackgroundPartiallyTransparent(theme, part, NativeState) && Edit)
        cxDrawParentImage(Edit, ACanvas, Bounds, false);
      DrawThemeBackground(theme, ACanvas->Handle(), part, NativeState, Bounds.AsRECT(), nullptr);
      ACanvas->PopClipRegion();
    }
  }
  if (Transparent) return;
  if (!IsInplace && border)
    cxFillFrameRingWithBrush(ACanvas, content, BorderRect, ABrush);
  else
    cxWinFillRect(ACanvas->Handle(), content, ABrush);
}

void TcxCustomEditViewInfo::PaintContent(TcxCanvas* ACanvas) {
  cxDrawEditBackgroundAndButtons(ACanvas, this, true, BackgroundKind());
}

void TcxCustomEditViewInfo::PaintOn(TcxCanvas* ACanvas) {
  if (OnPaint) OnPaint(this, ACanvas);
  TcxContainerViewInfo::PaintOn(ACanvas);
}

void TcxCustomEditViewInfo::PaintButtons(TcxCanvas* ACanvas) {
  if (IsPaintingButtons) return;
  if (Edit && Edit->OwnsChildWindow(WindowFromDC(ACanvas->Handle()))) return;
  IsPaintingButtons = true;
  for (Integer i = 0; i < ButtonCount(); ++i) PaintButton(ACanvas, i);
  IsPaintingButtons = false;
}

// Buttons --------------------------------------------------------------------

void TcxCustomEditViewInfo::PaintButton(TcxCanvas* ACanvas, Integer i) {
  TcxEditButtonViewInfo* b = ButtonsInfo[i].get();
  b->Data.BackgroundColor = BackgroundColor;
  if (Empty(b->VisibleBounds)) return;
  bool clip = b->Bounds.Left < BorderRect.Left || b->Bounds.Top < BorderRect.Top || b->Bounds.Right > BorderRect.Right ||
              b->Bounds.Bottom > BorderRect.Bottom;
  if (clip) {
    ACanvas->PushClipRegion();
    ACanvas->IntersectClip(b->VisibleBounds);
  }
  bool handled = false;
  if (OnDrawButton) OnDrawButton(this, ACanvas, handled, i);
  if (!handled) DrawButton(ACanvas, i);
  if (clip) ACanvas->PopClipRegion();
}

void TcxCustomEditViewInfo::DrawButton(TcxCanvas* ACanvas, Integer i) {
  TcxEditButtonViewInfo* b = ButtonsInfo[i].get();
  TColor textColor = clBtnText, bk = clBtnFace;
  TRect r = b->Bounds;
  std::unique_ptr<TBitmap> bitmap;
  std::unique_ptr<TcxCanvas> bmpCanvas;
  TcxCanvas* c = ACanvas;
  if ((b->Data.Kind == bkGlyph && b->Data.Glyph && cxIsGlyphUsable(b->Data.Glyph)) || Painter) {
    bitmap = std::make_unique<TBitmap>();
    bitmap->SetWidth(r.Right - r.Left);
    bitmap->SetHeight(r.Bottom - r.Top);
    bmpCanvas = std::make_unique<TcxCanvas>(bitmap->Canvas());
    bmpCanvas->SetWindowOrigin(TPoint(r.Left, r.Top));
    c = bmpCanvas.get();
  }
  TRect content;
  DrawButtonBorder(c, i, bk, textColor, content, r);
  if (!Empty(r)) {
    bool handled = false;
    if (OnDrawButtonBackground) OnDrawButtonBackground(this, c, handled, i, r);
    if (!handled) {
      if (NativeStyle)
        DrawNativeButtonBackground(c, b, r);
      else
        DrawButtonBackground(c, b, bk, r);
    }
  }
  if (!Empty(content)) DrawButtonContent(c, i, b->Data.State == 2 && !Edit ? 1 : 0, bk, textColor, content);
  if (bitmap) {
    bmpCanvas->SetWindowOrigin(TPoint(0, 0));
    ACanvas->Canvas()->Draw(b->Bounds.Left, b->Bounds.Top, bitmap.get());
  }
}

void TcxCustomEditViewInfo::DrawButtonBorder(TcxCanvas* ACanvas, Integer i, TColor& ABackgroundColor,
                                             TColor& ATextColor, TRect& AContentRect, TRect& R) {
  TcxEditButtonViewInfo* b = ButtonsInfo[i].get();
  bool handled = false;
  if (OnDrawButtonBorder) OnDrawButtonBorder(this, ACanvas, handled, AContentRect, R, i);
  if (handled) return;
  if (b->Data.NativeState != 0) return PaintThemedButtonFrame(ACanvas, b, ABackgroundColor, ATextColor, AContentRect, R);
  if (Painter) {
    AContentRect = R;
    TColor bk = clDefault, tx = clDefault;
    GetSkinColors(bk, tx);
    if (bk == clDefault) bk = Edit ? Edit->Style()->Color() : (b->Data.State == 0 ? clBtnFace : clWindow);
    ABackgroundColor = bk;
    ATextColor = tx == clDefault ? clBtnText : tx;
    return;
  }
  switch (b->Data.Style) {
    case btsFlat: DrawFlatButtonBorder(ACanvas, b, ABackgroundColor, ATextColor, AContentRect, R); break;
    case btsSimple:
      if (b->Data.State == 2 || b->Data.State == 3)
        DrawFlatButtonBorder(ACanvas, b, ABackgroundColor, ATextColor, AContentRect, R);
      else
        DrawSimpleButtonBorder(ACanvas, b, ABackgroundColor, ATextColor, AContentRect, R);
      break;
    case btsHotFlat: DrawHotFlatButtonBorder(ACanvas, b, ABackgroundColor, ATextColor, AContentRect, R); break;
    case btsUltraFlat: DrawUltraFlatButtonBorder(ACanvas, b, ABackgroundColor, ATextColor, AContentRect, R, false); break;
    case btsOffice11: DrawUltraFlatButtonBorder(ACanvas, b, ABackgroundColor, ATextColor, AContentRect, R, true); break;
    default: Draw3DButtonBorder(ACanvas, b, ABackgroundColor, ATextColor, AContentRect, R); break;
  }
}

namespace {
TColor Face(TcxCustomEditViewInfo* VI, TcxEditButtonViewInfo* B) {
  return B->Data.Transparent ? VI->BackgroundColor : clBtnFace;
}
void LineLeft(TcxCanvas* C, TRect& R, TColor Color) {
  C->FillRectColor(TRect(R.Left, R.Top, R.Left + 1, R.Bottom), Color);
  ++R.Left;
}
void LineRight(TcxCanvas* C, TRect& R, TColor Color) {
  C->FillRectColor(TRect(R.Right - 1, R.Top, R.Right, R.Bottom), Color);
  --R.Right;
}
}  // namespace

void TcxCustomEditViewInfo::Draw3DButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                               TColor& ABackgroundColor, TColor& ATextColor, TRect& AContentRect,
                                               TRect& R) {
  TColor face = Face(this, AButton);
  ABackgroundColor = face;
  if (AButton->Data.State == 2) {
    cxDrawEditRectFrame(ACanvas, R, clBtnShadow);
    cxDrawEditRectFrame(ACanvas, R, face);
  } else {
    cxDrawEditFrame(ACanvas, R, cl3DLight, cl3DDkShadow);
    cxDrawEditFrame(ACanvas, R, clBtnHighlight, clBtnShadow);
  }
  AContentRect = R;
}

void TcxCustomEditViewInfo::DrawFlatButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                                 TColor& ABackgroundColor, TColor& ATextColor, TRect& AContentRect,
                                                 TRect& R) {
  TColor face = Face(this, AButton);
  ABackgroundColor = face;
  LineLeft(ACanvas, R, face);
  if (AButton->Data.State == 2)
    cxDrawEditFrame(ACanvas, R, clBtnShadow, clBtnHighlight);
  else
    cxDrawEditFrame(ACanvas, R, clBtnHighlight, clBtnShadow);
  LineRight(ACanvas, R, face);
  AContentRect = R;
}

void TcxCustomEditViewInfo::DrawSimpleButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                                   TColor& ABackgroundColor, TColor& ATextColor, TRect& AContentRect,
                                                   TRect& R) {
  if (!Transparent) cxDrawEditRectFrame(ACanvas, R, BackgroundColor);
  TColor face = Face(this, AButton);
  ABackgroundColor = face;
  LineLeft(ACanvas, R, face);
  LineRight(ACanvas, R, face);
  AContentRect = R;
}

void TcxCustomEditViewInfo::DrawHotFlatButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                                    TColor& ABackgroundColor, TColor& ATextColor,
                                                    TRect& AContentRect, TRect& R) {
  Integer s = AButton->Data.State;
  if (AButton->Data.Transparent)
    ABackgroundColor = BackgroundColor;
  else
    ABackgroundColor = s == 2 ? clBtnText : s == 3 ? clBtnShadow : clBtnFace;
  bool touchesContent = AButton->Data.LeftAlignment ? AButton->Data.Rightmost : AButton->Data.Leftmost;
  if (touchesContent) {
    cxDrawEditRectFrame(ACanvas, R, clBtnShadow);
  } else {
    // Shadow lines on the outer sides, the inner side in the face colour.
    TRect r = R;
    ACanvas->FillRectColor(TRect(r.Left, r.Top, r.Right, r.Top + 1), clBtnShadow);
    ACanvas->FillRectColor(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom), clBtnShadow);
    if (AButton->Data.LeftAlignment) {
      ACanvas->FillRectColor(TRect(r.Left, r.Top, r.Left + 1, r.Bottom), clBtnShadow);
      ACanvas->FillRectColor(TRect(r.Right - 1, r.Top, r.Right, r.Bottom), ABackgroundColor);
    } else {
      ACanvas->FillRectColor(TRect(r.Right - 1, r.Top, r.Right, r.Bottom), clBtnShadow);
      ACanvas->FillRectColor(TRect(r.Left, r.Top, r.Left + 1, r.Bottom), ABackgroundColor);
    }
    InflateRect(R, -1, -1);
  }
  if (s <= 1)
    ATextColor = clBtnText;
  else
    ATextColor = s == 3 && AButton->Data.Transparent ? clBtnShadow : clWindow;
  LineLeft(ACanvas, R, ABackgroundColor);
  LineRight(ACanvas, R, ABackgroundColor);
  AContentRect = R;
}

void TcxCustomEditViewInfo::DrawUltraFlatButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                                      TColor& ABackgroundColor, TColor& ATextColor,
                                                      TRect& AContentRect, TRect& R, bool AIsOffice11) {
  Integer s = AButton->Data.State;
  bool hotOrPressed = s == 2 || s == 3;
  if (AButton->Data.Transparent)
    ABackgroundColor = BackgroundColor;
  else if (hotOrPressed)
    ABackgroundColor = cxFlatButtonStateColor(s == 2, AIsOffice11);
  else
    ABackgroundColor = AIsOffice11 ? cxOffice11Painter()->GetButtonFaceColor(cxbsNormal) : clBtnFace;
  TColor frame = cxEditHotBorderColor(AIsOffice11);
  bool noBorder = IsInplace ? (PaintOptions & 4) == 0 : BorderStyle == cbsNone;
  if (!hotOrPressed || noBorder) {
    if (hotOrPressed)
      cxDrawEditRectFrame(ACanvas, R, frame);
    else if (!Transparent)
      cxDrawEditRectFrame(ACanvas, R, ABackgroundColor);
    else
      InflateRect(R, -1, -1);
    AContentRect = TRect(R.Left - 1, R.Top, R.Right + 1, R.Bottom);
    return;
  }
  bool left = AButton->Data.LeftAlignment;
  bool outerFirst = left ? AButton->Data.Leftmost : AButton->Data.Rightmost;
  bool meetsBorder = left ? R.Left <= BorderRect.Left : R.Right >= BorderRect.Right;
  if (left) {
    if (outerFirst) ++R.Left; else LineLeft(ACanvas, R, frame);
    if (!meetsBorder) LineRight(ACanvas, R, frame); else --R.Right;
  } else {
    if (!outerFirst) LineLeft(ACanvas, R, frame); else ++R.Left;
    if (!meetsBorder) LineRight(ACanvas, R, frame); else --R.Right;
  }
  InflateRect(R, -1, -1);
  AContentRect = R;
}

void TcxCustomEditViewInfo::PaintThemedButtonFrame(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                                   TColor& ABackgroundColor, TColor& ATextColor,
                                                   TRect& AContentRect, TRect& R) {
  if (AButton->Data.NativeDropDown) {
    AContentRect = TRect();
    return;
  }
  AContentRect = R;
  if (HTHEME theme = ThemeServices()->Theme(teButton))
    GetThemeBackgroundContentRect(theme, ACanvas->Handle(), 1, AButton->Data.NativeState, AButton->Bounds.AsRECT(),
                                  AContentRect.AsRECT());
}

void TcxCustomEditViewInfo::DrawNativeButtonBackground(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                                       const TRect& R) {
  HTHEME theme = ThemeServices()->Theme(AButton->Data.NativeDropDown ? teComboBox : teButton);
  if (!theme) return;
  Integer part = 1;
  if (AButton->Data.NativeDropDown && !IsInplace && cxDwmCompositionOn()) part = AButton->Data.LeftAlignment ? 7 : 6;
  DrawThemeBackground(theme, ACanvas->Handle(), part, AButton->Data.NativeState, R.AsRECT(), nullptr);
}

void TcxCustomEditViewInfo::DrawButtonBackground(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TColor AColor,
                                                 const TRect& R) {
  const auto& d = AButton->Data;
  if (d.Style == btsOffice11 && d.Gradient && !d.Transparent && d.State != 0 && !Painter) {
    TColor c1 = Office2003HeaderStartColor(), c2 = Office2003HeaderEndColor();
    if (d.State == 3) c1 = Office2003HotColor(), c2 = Office2003HotEndColor();
    if (d.State == 2) c1 = Office2003PressedColor(), c2 = Office2003PressedEndColor();
    TRect g(AButton->Bounds.Left, BorderRect.Top, AButton->Bounds.Right, BorderRect.Bottom);
    if (d.State == 1) InflateRect(g, 0, 1);
    ACanvas->PushClipRegion();
    ACanvas->IntersectClip(R);
    dxPaintGradient(ACanvas->Handle(), g, c1, false, c2);
    ACanvas->PopClipRegion();
    return;
  }
  cxFillSolidRect(ACanvas, R, AColor);
}

void TcxCustomEditViewInfo::DrawButtonContent(TcxCanvas* ACanvas, Integer i, Integer AContentShift,
                                              TColor ABackgroundColor, TColor ATextColor, const TRect& AContentRect) {
  TcxEditButtonViewInfo* b = ButtonsInfo[i].get();
  const auto& d = b->Data;
  bool disabled = d.State == 0;
  ACanvas->PushState();
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(AContentRect);
  Integer cw = AContentRect.Right - AContentRect.Left, ch = AContentRect.Bottom - AContentRect.Top;
  auto place = [&](Integer w, Integer h) {
    TPoint p(AContentRect.Left + (cw - w) / 2, AContentRect.Top + (ch - h) / 2);
    if (AContentShift) {
      if (p.X + w + 1 <= AContentRect.Right) ++p.X;
      if (p.Y + h + 1 <= AContentRect.Bottom) ++p.Y;
    }
    return p;
  };
  if (Painter) {
    static const TcxButtonState kStates[] = {cxbsDisabled, cxbsNormal, cxbsPressed, cxbsHot};
    Integer kind = d.Kind == bkEllipsis ? 3 : d.Kind == bkDown ? 1 : 2;
    Painter->PaintEditButton(ACanvas, b->Bounds, kind, kStates[std::clamp<Integer>(d.State, 0, 3)]);
  }
  if (!Painter || d.Kind == bkGlyph || d.Kind == bkText) {
    switch (d.Kind) {
      case bkEllipsis: {
        Integer dot = cw > 11 ? 2 : 1;
        Integer w = 3 * dot + 4;
        TPoint p = place(w, dot);
        auto dots = [&](Integer dx, TColor color) {
          for (Integer k = 0; k < 3; ++k) {
            Integer x = p.X + dx + k * (dot + 2);
            ACanvas->FillRectColor(TRect(x, p.Y + dx, x + dot, p.Y + dx + dot), color);
          }
        };
        if (disabled) {
          dots(1, clBtnHighlight);
          dots(0, clBtnShadow);
        } else {
          dots(0, ATextColor);
        }
        break;
      }
      case bkDown: {
        TRect r(b->Bounds.Left, AContentRect.Top, b->Bounds.Right, AContentRect.Bottom);
        if (d.IsInplace) r.Top = b->Bounds.Top, r.Bottom = b->Bounds.Bottom;
        if (AContentShift) OffsetRect(r, 1, 1);
        if (disabled) {
          TRect r1 = r;
          OffsetRect(r1, 1, 1);
          cxStandardPainter()->PaintArrow(ACanvas, r1, apDown, clBtnHighlight);
          cxStandardPainter()->PaintArrow(ACanvas, r, apDown, clBtnShadow);
        } else {
          cxStandardPainter()->PaintArrow(ACanvas, r, apDown, ATextColor);
        }
        break;
      }
      case bkGlyph:
        if (d.Glyph && cxIsGlyphUsable(d.Glyph)) {
          Integer w = std::min<Integer>(cw, d.Glyph->Width()), h = std::min<Integer>(ch, d.Glyph->Height());
          TPoint p = place(w, h);
          cxDrawGlyphOnCxCanvas(ACanvas, p.X, p.Y, d.Glyph, !disabled, clNone);
        }
        break;
      case bkText: {
        ACanvas->Brush()->SetStyle(bsClear);
        if (Font) ACanvas->Font()->Assign(Font);
        TRect r = AContentRect;
        r.Left += 1;
        r.Right -= 2;
        if (!IsInplace) r.Top += 1, r.Bottom -= 1;
        TColor color = (d.Style == btsHotFlat && (d.State == 2 || d.State == 3)) ? ATextColor
                       : d.TextColor == clDefault                              ? TextColor
                                                                               : d.TextColor;
        if (AContentShift) OffsetRect(r, 1, 1);
        Cardinal flags = AlignmentFlags(d.ContentAlignment) | kTextFlagsBase;
        if (disabled) {
          TRect r1 = r;
          OffsetRect(r1, 1, 1);
          ACanvas->Font()->SetColor(clBtnHighlight);
          ACanvas->PaintText(d.Caption, r1, flags);
          color = clBtnShadow;
        }
        ACanvas->Font()->SetColor(color);
        ACanvas->PaintText(d.Caption, r, flags);
        break;
      }
    }
  }
  ACanvas->PopClipRegion();
  ACanvas->PopState();
}

void TcxCustomEditViewInfo::GetSkinColors(TColor& ABackgroundColor, TColor& ATextColor) {
  ABackgroundColor = clDefault;
  ATextColor = clDefault;
  if (!Painter || IsInplace || !Edit) return;
  TcxContainerStyle* cur = Edit->GetCurrentStyle();
  TcxContainerStyle* normal = Edit->Style();
  if (!cur->IsValueAssigned(csvColor) && !normal->IsValueAssigned(csvColor))
    ABackgroundColor = Painter->GetEditorBackColor(!Enabled);
  if (!cur->IsValueAssigned(csvTextColor) && !normal->IsValueAssigned(csvTextColor))
    ATextColor = Painter->GetEditorTextColor(!Enabled);
}

bool TcxCustomEditViewInfo::HasHotButton() {
  for (auto& b : ButtonsInfo)
    if (b->Data.State == 3) return true;
  return false;
}

bool TcxCustomEditViewInfo::IsPointOnButton(TPoint P) {
  P.X -= Bounds.Left;
  P.Y -= Bounds.Top;
  for (auto& b : ButtonsInfo) {
    TRect r = b->Bounds;
    OffsetRect(r, -Bounds.Left, -Bounds.Top);
    if (PtInRect(r, P)) return true;
  }
  return false;
}

bool TcxCustomEditViewInfo::HasCustomButtonDraw(Integer i) {
  bool h = false;
  TRect a, b;
  if (OnDrawButtonBorder) OnDrawButtonBorder(this, nullptr, h, a, b, i);
  if (!h && OnDrawButtonBackground) OnDrawButtonBackground(this, nullptr, h, i, a);
  if (!h && OnDrawButton) OnDrawButton(this, nullptr, h, i);
  return h;
}

// Hints ----------------------------------------------------------------------

Integer TcxCustomEditViewInfo::GetPartAt(TPoint P) {
  if (!PtInRect(BorderRect, P)) return -2;
  for (auto& b : ButtonsInfo)
    if (b->Data.State == 3) return b->ButtonIndex;
  return -1;
}

bool TcxCustomEditViewInfo::GetHintInfo(TcxCanvas* ACanvas, TPoint P, String& AText, bool& AIsMultiLine,
                                        TRect& ATextRect) {
  AText = "";
  AIsMultiLine = false;
  Integer part = GetPartAt(P);
  if (part >= 0 && Properties && part < Properties->Buttons()->Count()) {
    AText = Properties->Buttons()->Items(part)->Hint();
    size_t bar = AText.find('|');
    if (bar != String::npos) AText.resize(bar);
    // Where a hint window would show the text: under the mouse cursor.
    THintWindow hint(nullptr);
    Integer screenWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
    ATextRect = hint.CalcHintRect(screenWidth, AText, nullptr);
    TSize cursor{};
    cxGetMouseCursorExtent(cursor);
    OffsetRect(ATextRect, P.X, P.Y + cursor.cy);
  }
  return !AText.empty();
}

bool TcxCustomEditViewInfo::NeedShowHint(TcxCanvas* ACanvas, TPoint P, String& AText, bool& AIsMultiLine) {
  TRect r;
  return GetHintInfo(ACanvas, P, AText, AIsMultiLine, r);
}

// Changes ---------------------------------------------------------------------

bool TcxCustomEditViewInfo::Repaint(TWinControl* AControl, TcxCustomEditViewInfo* AOld) {
  return RepaintExcept(AControl, TRect(), AOld);
}

bool TcxCustomEditViewInfo::RepaintExcept(TWinControl* AControl, const TRect& AInnerEditRect,
                                          TcxCustomEditViewInfo* AOld) {
  if (!AControl || !AControl->HandleAllocated()) return false;
  HWND wnd = AControl->Handle();
  TRect r = Bounds;
  OffsetRect(r, -Bounds.Left, -Bounds.Top);
  TRect inner = AInnerEditRect;
  IntersectRect(inner, inner, ClientRect);
  if (!AOld) {
    cxInvalidateFrameRing(wnd, r, inner, false);
    return false;
  }
  bool result = false;
  bool changed = AOld->NativeState != NativeState || AOld->BackgroundColor != BackgroundColor ||
                 AOld->ButtonCount() != ButtonCount() ||
                 (!(AOld->ContainerState == ContainerState) && RepaintsOnStateChange());
  if (changed) {
    cxInvalidateFrameRing(wnd, r, inner, AOld->EraseBackground);
    result = true;
  } else if ((BorderStyle != cbsNone && AOld->BorderColor != BorderColor) || AOld->BorderStyle != BorderStyle) {
    cxInvalidateFrameRing(wnd, r, BorderRect, false);
    result = true;
  }
  if (AOld->ButtonCount() == ButtonCount())
    for (Integer i = 0; i < ButtonCount(); ++i)
      if (ButtonsInfo[i]->Repaint(AControl, AOld->ButtonsInfo[i].get(), TPoint(-Bounds.Left, -Bounds.Top))) result = true;
  return result;
}

TcxRegion* TcxCustomEditViewInfo::GetRepaintRegion(TcxContainerViewInfo* Other) {
  TcxRegion* region = TcxContainerViewInfo::GetRepaintRegion(Other);
  auto* old = dynamic_cast<TcxCustomEditViewInfo*>(Other);
  if (!old) return region;
  bool same = ((BorderStyle == cbsNone) || old->BorderColor == BorderColor) && old->BorderStyle == BorderStyle &&
              old->NativeState == NativeState && old->ButtonCount() == ButtonCount();
  if (same) {
    for (Integer i = 0; i < ButtonCount(); ++i) {
      HRGN r = ButtonsInfo[i]->GetUpdateRegion(old->ButtonsInfo[i].get());
      if (!cxIsRegionEmpty(r)) cxUniteRegion(region->Handle(), r);
      DeleteObject(r);
    }
  } else if (!Empty(Bounds)) {
    HRGN r = CreateRectRgn(Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Bottom);
    cxUniteRegion(region->Handle(), r);
    DeleteObject(r);
  }
  return region;
}

void TcxCustomEditViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  if (auto* s = dynamic_cast<TcxCustomEditViewInfo*>(Source)) {
    ChangeBackgroundColor(s->BackgroundColor);
    BorderColor = s->BorderColor;
    BorderStyle = s->BorderStyle;
    ContainerState = s->ContainerState;
    NativeState = s->NativeState;
    SetButtonCount(s->ButtonCount());
    for (Integer i = 0; i < ButtonCount(); ++i) ButtonsInfo[i]->Assign(s->ButtonsInfo[i].get());
    PressedButton = s->PressedButton;
    SelectedButton = s->SelectedButton;
    EraseBackground = s->EraseBackground;
    BorderRect = s->BorderRect;
    Bounds = s->Bounds;
  }
  TcxContainerViewInfo::AssignFrom(Source);
}

void TcxCustomEditViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxContainerViewInfo::MoveBy(DX, DY);
  OffsetRect(InnerEditRect, DX, DY);
  OffsetRect(ShadowRect, DX, DY);
  for (auto& b : ButtonsInfo) {
    OffsetRect(b->Bounds, DX, DY);
    OffsetRect(b->VisibleBounds, DX, DY);
  }
}

// ---------------------------------------------------------------------------
// Paint utilities that need the editor classes

void cxDrawEditBackgroundAndButtons(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, bool AFillContent,
                                    TcxEditBackgroundKind ANativeBackgroundKind) {
  TcxCustomEditViewInfo* vi = AViewInfo;
  bool excluded = !vi->ButtonsInfo.empty() && !vi->ButtonsInfo[0]->Data.PartiallyTransparent;
  if (excluded) {
    ACanvas->PushClipRegion();
    for (auto& b : vi->ButtonsInfo) ACanvas->ExcludeFromClip(b->VisibleBounds);
  }
  HBRUSH brush = cxBrushFromColor(vi->BackgroundColor);
  if (vi->PaintBackgroundByHandler(ACanvas)) {
  } else if (vi->NativeStyle) {
    vi->DrawNativeEditBackground(ACanvas, AFillContent, ANativeBackgroundKind, brush);
  } else {
    Integer w = cxEditBorderWidth(vi->BorderStyle, vi->Painter);
    TRect r = vi->BorderRect;
    r.Left -= w;
    r.Top -= w;
    if (vi->Edges.Contains(bRight)) r.Right += w;
    if (vi->Edges.Contains(bBottom)) r.Bottom += w;
    if (vi->Shadow) cxPaintContainerShadow(ACanvas, r);
    if (!vi->Edges.Contains(bRight)) r.Right += w;
    if (!vi->Edges.Contains(bBottom)) r.Bottom += w;
    if (vi->BorderStyle != cbsNone) {
      if (vi->Painter) {
        if (!(vi->Transparent && vi->IsInplace) && vi->Edit) cxDrawParentImage(vi->Edit, ACanvas, r);
        ACanvas->DrawRectBorders(r, vi->BorderColor, w, cxBordersAll);
      } else {
        vi->DrawContainerBackground(ACanvas, r);
      }
    }
    if (vi->IsInplace) {
      if (!vi->Transparent) {
        if (AFillContent)
          cxWinFillRect(ACanvas->Handle(), vi->Bounds, brush);
        else if (vi->Edit && vi->Edit->HasInnerEdit())
          cxFillFrameRingWithBrush(ACanvas, vi->Bounds, vi->BorderRect, brush);
      }
    } else if (AFillContent && !vi->Transparent) {
      cxWinFillRect(ACanvas->Handle(), vi->BorderRect, brush);
    }
  }
  if (excluded) ACanvas->PopClipRegion();
  vi->PaintButtons(ACanvas);
}

Integer cxNativeInnerEditHeightCorrection(TcxCustomEditProperties* AProperties, bool AIsInplace) {
  return AIsInplace && AProperties->Buttons()->Count() > 0 ? 1 : 0;
}

bool cxEditViewDataHasShadow(TcxCustomEditViewData* AViewData) {
  TcxCustomEditStyle* s = AViewData->Style;
  return s->Shadow() && !TcxCustomEditViewData::IsNativeStyle(s->LookAndFeel());
}
