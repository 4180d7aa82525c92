#include "cxLabel.h"

#include "TypInfo.h"

#include <cmath>

#include "Messages.h"
#include "Themes.h"
#include "Utf8.h"
#include "VclUtils.h"
#include "cxExtEditUtils.h"
#include "cxFilterControlUtils.h"
#include "cxTextEdit.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomLabelProperties, TcxCustomEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxLabelProperties, TcxCustomLabelProperties)
TOVANI_IMPLEMENT_CLASS(TcxLabelEditStyle, TcxEditStyle)
TOVANI_IMPLEMENT_CLASS(TcxCustomLabelViewInfo, TcxCustomEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomLabelViewData, TcxCustomEditViewData)
TOVANI_IMPLEMENT_CLASS(TcxCustomLabel, TcxCustomEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxLabel, TcxCustomLabel)
TOVANI_IMPLEMENT_ENUM_INFO(TcxLabelEffect, "cxleNormal", "cxleFun", "cxleExtrude", "cxleCool")
TOVANI_IMPLEMENT_ENUM_INFO(TcxLabelStyle, "cxlsNormal", "cxlsRaised", "cxlsLowered", "cxlsOutLine")
TOVANI_IMPLEMENT_ENUM_INFO(TcxLabelOrientation, "cxoLeft", "cxoRight", "cxoTop", "cxoBottom", "cxoLeftTop",
                           "cxoLeftBottom", "cxoRightTop", "cxoRightBottom")

namespace {
const TcxResourceString scxSEditRepositoryLabelItem{"Label|Represents a Label"};
Integer GLabelUnitCounter = 0;

Integer NormalizedAngle(Integer A) { return ((A % 360) + 360) % 360; }

// The style offset of raised and lowered text: 1, or 2 from 12 points up.
Integer StyleOffset(TcxLabelStyle AStyle, TFont* AFont) {
  if (AStyle != cxlsRaised && AStyle != cxlsLowered) return 0;
  return AFont->Size() >= 12 ? 2 : 1;
}

String CaptionForOutput(const String& AText, bool AShowAccelChar) {
  return AShowAccelChar ? cxStripAccelerators(AText) : AText;
}
}  // namespace

void cxLabelUnitStartup() {
  if (GLabelUnitCounter-- != 0) return;
  cxEditPropertiesRegistry()->AddClass(TcxLabelProperties::StaticClass(), cxLoadResourceText(scxSEditRepositoryLabelItem));
  cxGetFilterEditsController()->AddClassPair(TcxLabelProperties::StaticClass(), TcxFilterTextEditHelper::StaticClass());
}

void cxLabelUnitShutdown() {
  if (GLabelUnitCounter++ != -1) return;
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxLabelProperties::StaticClass(), TcxFilterTextEditHelper::StaticClass());
  cxEditPropertiesRegistry()->RemoveClass(TcxLabelProperties::StaticClass());
}

// ---------------------------------------------------------------------------
// Style and properties

TcxContainerStyleFactory TcxLabelEditStyle::Factory() {
  return [](TPersistent* AOwner, bool ADirect, TcxContainerStyle* AParent, TcxContainerStateItem AState) {
    cxEditUnitStartup();
    return new TcxLabelEditStyle(AOwner, ADirect, AParent, AState);
  };
}

TcxContainerBorderStyle TcxLabelEditStyle::FallbackBorderStyle() {
  return IsBase() ? cbsNone : TcxEditStyle::FallbackBorderStyle();
}

TcxCustomLabelProperties::TcxCustomLabelProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {}
TcxCustomLabelProperties::~TcxCustomLabelProperties() = default;

TClass TcxCustomLabelProperties::GetContainerClass() { return TcxLabel::StaticClass(); }
TcxContainerStyleFactory TcxCustomLabelProperties::GetStyleFactory() { return TcxLabelEditStyle::Factory(); }
TcxCustomEditViewInfo* TcxCustomLabelProperties::CreateViewInfo() { return new TcxCustomLabelViewInfo(); }
TcxCustomEditViewData* TcxCustomLabelProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                bool APreviewMode) {
  auto* vd = new TcxCustomLabelViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

void TcxCustomLabelProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomLabelProperties*>(Source);
  if (!s) {
    TcxCustomEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomEditProperties::Assign(Source);
    SetLabelEffect(s->FLabelEffect);
    SetLabelStyle(s->FLabelStyle);
    SetOrientation(s->FOrientation);
    SetDepth(s->FDepth);
    SetShadowedColor(s->FShadowedColor);
    SetAngle(s->FAngle);
    SetPenWidth(s->FPenWidth);
    SetGlyph(s->FGlyph.get());
    SetShowAccelChar(s->FShowAccelChar);
    SetWordWrap(s->FWordWrap);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TBitmap* TcxCustomLabelProperties::Glyph() {
  if (!FGlyph) {
    FGlyph = std::make_unique<TBitmap>();
    FGlyph->OnChange = [this](TObject*) { Changed(); };
  }
  return FGlyph.get();
}

void TcxCustomLabelProperties::SetGlyph(TBitmap* Value) {
  if (!Value) {
    FGlyph.reset();
  } else {
    Glyph()->Assign(Value);
  }
  Changed();
}

TPoint TcxCustomLabelProperties::GetDepthDelta() {
  if (FLabelEffect == cxleNormal) return TPoint(0, 0);
  switch (FOrientation) {
    case cxoLeft: case cxoRight: return TPoint(FDepth, 0);
    case cxoTop: case cxoBottom: return TPoint(0, FDepth);
    default: return TPoint(FDepth, FDepth);
  }
}

void TcxCustomLabelProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool) {
  ADisplayValue = Variant(VarToStr(AEditValue));
}

String TcxCustomLabelProperties::GetDisplayText(const Variant& AEditValue, bool, bool) { return VarToStr(AEditValue); }

// ---------------------------------------------------------------------------
// View data

void TcxCustomLabelViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                       TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomEditViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  if (IsInplace && (ABounds.Right >= INT_MAX / 2 || ABounds.Bottom >= INT_MAX / 2)) return;
  auto* vi = static_cast<TcxCustomLabelViewInfo*>(AViewInfo);
  auto* p = static_cast<TcxCustomLabelProperties*>(Properties);
  if (vi->BorderStyle == cbsNone) vi->NativeStyle = false;
  if (!IsInplace && Edit) vi->Transparent = Edit->Transparent();
  vi->LabelEffect = p->LabelEffect();
  vi->LabelStyle = p->LabelStyle();
  vi->Orientation = p->Orientation();
  vi->Depth = p->Depth();
  vi->ShadowedColor = p->ShadowedColor();
  vi->ShowAccelChar = p->ShowAccelChar();
  vi->Angle = p->Angle();
  vi->PenWidth = p->PenWidth();
  vi->WordWrap = p->WordWrap();
  vi->Alignment.Assign(p->Alignment());
  vi->Glyph = p->HasGlyph() ? p->Glyph() : nullptr;
  vi->DepthDelta = p->GetDepthDelta();
  vi->TextRect = vi->ClientRect;
  // The editors' text offsets; the one-pixel shifts that text editors add
  // for list-only input apply to stand-alone text editors, never to a label.
  vi->InplaceTextOffsets = ContentParams.Offsets;
  vi->ControlPos = Edit ? TPoint(Edit->Left(), Edit->Top()) : ABounds.TopLeft();
  vi->Repaint = true;
  if (auto* label = dynamic_cast<TcxCustomLabel*>(Edit)) vi->Text = label->Caption();
}

void TcxCustomLabelViewData::PrepareViewInfoForPaint(TcxCanvas*, const Variant& AEditValue,
                                                     TcxCustomEditViewInfo* AViewInfo) {
  PrepareDisplayText(AEditValue, static_cast<TcxCustomLabelViewInfo*>(AViewInfo)->Text);
}

TSize TcxCustomLabelViewData::GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                 const TcxEditSizeProperties& ASizeProperties) {
  auto* p = static_cast<TcxCustomLabelProperties*>(Properties);
  String text = Edit ? static_cast<TcxCustomLabel*>(Edit)->Caption() : VarToStr(AEditValue);
  if (text.empty()) text = " ";
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  TCanvas* canvas = ACanvas ? ACanvas->Canvas() : sc->Canvas();
  // Measuring leaves the caller's canvas font as it was.
  TFont savedFont;
  savedFont.Assign(canvas->Font());
  struct Restore {
    TCanvas* Canvas;
    TFont* Font;
    ~Restore() { Canvas->Font()->Assign(Font); }
  } restore{canvas, &savedFont};
  bool trueType = cxPrepareRotatedFont(canvas, Style->GetVisibleTextFont(), p->Angle());
  Integer angle = trueType ? NormalizedAngle(p->Angle()) : 0;
  Integer s = StyleOffset(p->LabelStyle(), canvas->Font());
  TPoint D = p->GetDepthDelta();
  // The editors' content offsets (left + right, top + bottom).
  const TRect& o = ContentParams.Offsets;
  TSize O(o.Left + o.Right, o.Top + o.Bottom);
  bool border = !IsInplace && Style->BorderStyle() != cbsNone;
  UINT flags = DT_CALCRECT | DT_LEFT | DT_TOP;
  if (angle == 0) {
    if (!p->ShowAccelChar()) flags |= DT_NOPREFIX;
    if (p->WordWrap()) flags |= DT_WORDBREAK;
  } else {
    text = CaptionForOutput(text, p->ShowAccelChar());
    flags |= DT_NOPREFIX;
  }
  Integer width =
      ASizeProperties.Width > 0 ? ASizeProperties.Width - s - O.cx - (border ? 2 : 0) - (IsInplace ? D.X : 0) : 0;
  if (width <= 0) flags &= ~UINT(DT_WORDBREAK);
  std::u16string w = Utf8ToUtf16(text);
  RECT r = {0, 0, std::max<Integer>(width, 1), 0};
  {
    // Measured upright: the extent of a turned font runs along its base line.
    TFont upright;
    upright.Assign(canvas->Font());
    upright.SetOrientation(0);
    HGDIOBJ old = SelectObject(canvas->Handle(), upright.Handle());
    DrawTextW(canvas->Handle(), vcl::W(w), Integer(w.size()), &r, flags);
    SelectObject(canvas->Handle(), old);
  }
  Integer tw = r.right - r.left, th = r.bottom - r.top;
  if (angle != 0) {
    double a = angle * M_PI / 180;
    Integer rw = Integer(std::fabs(std::sin(a)) * th + std::fabs(std::cos(a)) * tw + 0.5);
    Integer rh = Integer(std::fabs(std::cos(a)) * th + std::fabs(std::sin(a)) * tw + 0.5);
    tw = rw;
    th = rh;
  }
  TSize size(tw + O.cx + s + (border ? 2 : 0), th + O.cy + s);
  if (IsInplace) {
    size.cx += D.X;
    size.cy += D.Y;
  }
  return size;
}

// ---------------------------------------------------------------------------
// View info

void TcxCustomLabelViewInfo::PaintContent(TcxCanvas* ACanvas) {
  cxDrawEditBackgroundAndButtons(ACanvas, this, true, BackgroundKind());
  DrawLabel(ACanvas);
}

void TcxCustomLabelViewInfo::DrawPlainText(TcxCanvas* ACanvas, TPoint P, bool ARotated) {
  if (ARotated) {
    std::u16string w = Utf8ToUtf16(CaptionForOutput(Text, ShowAccelChar));
    // The turned font of the canvas, selected for the direct call.
    SelectObject(ACanvas->Handle(), ACanvas->Font()->Handle());
    ExtTextOutW(ACanvas->Handle(), P.X, P.Y, 0, nullptr, vcl::W(w), UINT(w.size()), nullptr);
    return;
  }
  TRect r(TextRect.Left, TextRect.Top, TextRect.Right - DepthDelta.X, TextRect.Bottom - DepthDelta.Y);
  OffsetRect(r, P.X, P.Y);
  // In a cell whose paint options ask for it, a cut text ends in "...".
  bool ellipsis = IsInplace && (PaintOptions & 8) != 0;
  Integer flags = cxMakeTextFlags(0, Alignment.Horz(), Alignment.Vert(), ellipsis, WordWrap, 0, false, ShowAccelChar);
  ACanvas->PaintText(Text, r, Cardinal(flags), true);
}

void TcxCustomLabelViewInfo::DrawTextAt(TcxCanvas* ACanvas, TPoint P, TColor AColor, bool ARotated, bool ANoFallback) {
  ACanvas->Font()->SetColor(AColor);
  HDC dc = ACanvas->Handle();
  SetTextColor(dc, ColorToRGB(AColor));
  SetBkMode(dc, TRANSPARENT);
  if (Glyph && Glyph->Width() > 0 && Glyph->Height() > 0 && FTrueType) {
    // The letters become the clip region, tiled with the glyph.
    BeginPath(dc);
    DrawPlainText(ACanvas, P, ARotated);
    EndPath(dc);
    SelectClipPath(dc, RGN_COPY);
    ACanvas->FillRectangle(TextRect, Glyph);
    SelectClipRgn(dc, nullptr);
    return;
  }
  if (!ANoFallback) DrawPlainText(ACanvas, P, ARotated);
}

void TcxCustomLabelViewInfo::ChangeBackgroundColor(TColor AColor) {
  TcxCustomEditViewInfo::ChangeBackgroundColor(AColor);
  Repaint = true;
}

void TcxCustomLabelViewInfo::MoveBy(Integer DX, Integer DY) {
  TcxCustomEditViewInfo::MoveBy(DX, DY);
  OffsetRect(TextRect, DX, DY);
  if (Transparent) Repaint = true;
}

void TcxCustomLabelViewInfo::DrawLabel(TcxCanvas* ACanvas) {
  LayerPoints.clear();
  LayerColors.clear();
  if (Text.empty()) return;
  TFont savedFont;
  savedFont.Assign(ACanvas->Font());
  TRect content = ClientRect;
  TRect saveText = TextRect;
  TextRect = content;
  if (IsInplace) {
    TextRect.Left += InplaceTextOffsets.Left;
    TextRect.Top += InplaceTextOffsets.Top;
    TextRect.Right -= InplaceTextOffsets.Right;
    TextRect.Bottom -= InplaceTextOffsets.Bottom;
  } else if (BorderStyle != cbsNone) {
    TextRect.Left += 1;
    TextRect.Right -= 1;
  }
  if (!IsInplace && Transparent && PaintCopyMode) {
    // A transparent copy is drawn straight onto what is already there.
    DrawContent(ACanvas, ACanvas, content, content);
  } else {
    if (NativeStyle && !IsInplace)
      if (HTHEME theme = ThemeServices()->Theme(teEdit)) {
        RECT b{Bounds.Left, Bounds.Top, Bounds.Right, Bounds.Bottom}, r;
        if (SUCCEEDED(GetThemeBackgroundContentRect(theme, ACanvas->Handle(), 1 /* edit text */, 1, &b, &r)))
          content = TRect(r.left, r.top, r.right, r.bottom);
      }
    const Integer w = std::max<Integer>(content.Width(), 0), h = std::max<Integer>(content.Height(), 0);
    if (ControlPos != FLastPos || Repaint || Transparent || FCache->Width() != w || FCache->Height() != h) {
      FCache->SetWidth(w);
      FCache->SetHeight(h);
      TcxCanvas cache(FCache->Canvas());
      OffsetRect(TextRect, -content.Left, -content.Top);
      DrawContent(&cache, ACanvas, TRect(0, 0, w, h), content);
      Repaint = false;
      FLastPos = ControlPos;
    }
    BitBlt(ACanvas->Handle(), content.Left, content.Top, w, h, FCache->Canvas()->Handle(), 0, 0, SRCCOPY);
  }
  TextRect = saveText;
  ACanvas->Font()->Assign(&savedFont);
}

void TcxCustomLabelViewInfo::DrawContent(TcxCanvas* ACanvas, TcxCanvas* ATarget, const TRect& ABitmapRect,
                                         const TRect& AContent) {
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(ABitmapRect);
  // Background: the host's handler, what lies behind a transparent label,
  // or the background colour.
  bool painted = false;
  if (OnDrawBackground) {
    TPoint origin = ACanvas->WindowOrigin();
    ACanvas->SetWindowOrigin(TPoint(origin.X + AContent.Left - ABitmapRect.Left, origin.Y + AContent.Top - ABitmapRect.Top));
    OnDrawBackground(this, ACanvas, painted);
    ACanvas->SetWindowOrigin(origin);
  }
  if (!painted && ACanvas != ATarget) {
    if (Transparent && !(IsInplace && Focused)) {
      if (IsInplace) {
        BitBlt(ACanvas->Handle(), ABitmapRect.Left, ABitmapRect.Top, ABitmapRect.Width(), ABitmapRect.Height(),
               ATarget->Handle(), AContent.Left, AContent.Top, SRCCOPY);
      } else if (Edit && !PaintCopyMode) {
        TPoint origin = ACanvas->WindowOrigin();
        ACanvas->SetWindowOrigin(TPoint(AContent.Left, AContent.Top));
        cxDrawParentImage(Edit, ACanvas, AContent);
        ACanvas->SetWindowOrigin(origin);
      }
    } else {
      ACanvas->FillRectColor(ABitmapRect, BackgroundColor);
    }
  }
  FTrueType = cxPrepareRotatedFont(ACanvas->Canvas(), Font ? Font : ATarget->Font(), Angle);
  ACanvas->Font()->SetColor(TextColor);
  Integer angle = FTrueType ? NormalizedAngle(Angle) : 0;
  bool rotated = angle != 0;
  Integer s = StyleOffset(LabelStyle, ACanvas->Font());
  TPoint P(0, 0);
  if (rotated) {
    std::u16string w = Utf8ToUtf16(CaptionForOutput(Text, ShowAccelChar));
    // Measured upright: the turned font's own extent would be turned too.
    TFont upright;
    upright.Assign(ACanvas->Font());
    upright.SetOrientation(0);
    HGDIOBJ old = SelectObject(ACanvas->Handle(), upright.Handle());
    RECT r = {0, 0, 0, 0};
    DrawTextW(ACanvas->Handle(), vcl::W(w), Integer(w.size()), &r, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(ACanvas->Handle(), old);
    double tw = r.right - r.left, th = r.bottom - r.top;
    double cx = (TextRect.Left + TextRect.Right - DepthDelta.X) / 2.0;
    double cy = (TextRect.Top + TextRect.Bottom - DepthDelta.Y) / 2.0;
    double a = angle * M_PI / 180;
    P.X = Integer(std::nearbyint(cx - tw / 2 * std::cos(a) - th / 2 * std::sin(a)));
    P.Y = Integer(std::nearbyint(cy + tw / 2 * std::sin(a) - th / 2 * std::cos(a)));
  }
  ACanvas->Brush()->SetStyle(bsClear);
  TPoint step(0, 0);
  if (LabelEffect != cxleNormal && Depth != 0) {
    step = DepthDelta;
    if (Orientation == cxoRight || Orientation == cxoRightTop || Orientation == cxoRightBottom) {
      P.X += s + DepthDelta.X;
      step.X = -step.X;
    }
    if (Orientation == cxoBottom || Orientation == cxoLeftBottom || Orientation == cxoRightBottom) {
      P.Y += s + DepthDelta.Y;
      step.Y = -step.Y;
    }
    if (LabelEffect == cxleFun || LabelEffect == cxleExtrude) {
      step.X = (step.X > 0) - (step.X < 0);
      step.Y = (step.Y > 0) - (step.Y < 0);
    }
    Integer unit = step.X != 0 ? std::abs(step.X) : std::abs(step.Y);
    Integer n = unit ? Depth / unit : 0;
    COLORREF bg = ColorToRGB(BackgroundColor), sh = ColorToRGB(ShadowedColor);
    for (Integer i = 1; i <= n; ++i) {
      TColor c = ShadowedColor;
      if (LabelEffect == cxleFun) {
        // The integer part of b + i * (t - b) / n, which never goes below
        // zero, so one division of the whole sum truncates it.
        auto mix = [&](int shift) {
          int b = (bg >> shift) & 0xFF, t = (sh >> shift) & 0xFF;
          return ((b * n + i * (t - b)) / n) & 0xFF;
        };
        c = TColor(mix(0) | (mix(8) << 8) | (mix(16) << 16));
      }
      LayerPoints.push_back(P);
      LayerColors.push_back(c);
      DrawTextAt(ACanvas, P, c, rotated, false);
      P.X += step.X;
      P.Y += step.Y;
    }
    if (step.X < 0) P.X -= s;
    if (step.Y < 0) P.Y -= s;
  }
  TextPoint = P;
  bool large = ACanvas->Font()->Size() >= 12;
  switch (LabelStyle) {
    case cxlsRaised:
      DrawTextAt(ACanvas, P, clBtnHighlight, rotated, false);
      if (large) DrawTextAt(ACanvas, TPoint(P.X + 2, P.Y + 2), clBtnShadow, rotated, false);
      DrawTextAt(ACanvas, TPoint(P.X + 1, P.Y + 1), TextColor, rotated, false);
      break;
    case cxlsLowered:
      if (large) DrawTextAt(ACanvas, P, clBtnShadow, rotated, false);
      DrawTextAt(ACanvas, TPoint(P.X + 2, P.Y + 2), clBtnHighlight, rotated, false);
      DrawTextAt(ACanvas, TPoint(P.X + 1, P.Y + 1), TextColor, rotated, false);
      break;
    case cxlsOutLine:
      DrawTextAt(ACanvas, P, TextColor, rotated, FTrueType);
      if (FTrueType) {
        HDC dc = ACanvas->Handle();
        BeginPath(dc);
        DrawPlainText(ACanvas, P, rotated);
        EndPath(dc);
        HPEN pen = CreatePen(PS_SOLID, std::max<Integer>(PenWidth, 1), ColorToRGB(TextColor));
        HGDIOBJ old = SelectObject(dc, pen);
        StrokePath(dc);
        SelectObject(dc, old);
        DeleteObject(pen);
      }
      break;
    default:
      DrawTextAt(ACanvas, P, TextColor, rotated, false);
      break;
  }
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->PopClipRegion();
  ACanvas->Canvas()->Refresh();
}

// ---------------------------------------------------------------------------
// The control

TcxCustomLabel::TcxCustomLabel(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomEdit(AOwner, AIsInplace,
                    AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                      return new TcxCustomLabelProperties(O);
                    },
                    TcxLabelEditStyle::Factory()) {
  cxLabelUnitStartup();
  SetControlStyle(ControlStyle() - csCaptureMouse);
  SetBounds(Left(), Top(), 121, 21);
  SetTabStop(false);
}

TcxCustomLabel::~TcxCustomLabel() { SetFocusControl(nullptr); }

void TcxCustomLabel::SetFocusControl(TWinControl* Value) {
  if (Value == this || Value == FFocusControl) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (FFocusControl) FFocusControl->FreeNotification(this);
}

void TcxCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TcxCustomEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TcxCustomLabel::InternalSetEditValue(const Variant& Value, bool AValidate) {
  TcxCustomEdit::InternalSetEditValue(Value, AValidate);
  if (!FCopyingCaption) {
    FCopyingCaption = true;
    SetText(VarToStr(Value));
    FCopyingCaption = false;
  }
  SetDisplayValueFromData(Variant(Text()));
}

void TcxCustomLabel::SetDisplayValueFromData(const Variant& AValue) {
  if (auto* vi = dynamic_cast<TcxCustomLabelViewInfo*>(GetViewInfo())) vi->Text = VarToStr(AValue);
  UpdateStateFromCursor();
  Invalidate();
}

void TcxCustomLabel::DoTextChanged() {
  TcxCustomEdit::DoTextChanged();
  // A caption set directly becomes the value without the usual change handling.
  if (!FCopyingCaption) {
    FCopyingCaption = true;
    SetEditValueQuiet(Variant(Text()));
    FCopyingCaption = false;
  }
  if (auto* vi = dynamic_cast<TcxCustomLabelViewInfo*>(GetViewInfo())) vi->Text = Text();
  if (CanAutoSize()) {
    Integer w = Width(), h = Height();
    ComputeAutoSize(w, h);
    SetBounds(Left(), Top(), w, h);
  }
  Invalidate();
}

bool TcxCustomLabel::AlignsRight() {
  if (ComponentState().Contains(csReading)) return false;
  TAlignment a = ActiveProperties()->Alignment()->Horz();
  if (UseRightToLeftAlignment() && a != taCenter) a = a == taLeftJustify ? taRightJustify : taLeftJustify;
  return a == taRightJustify;
}

// The base line of unturned text in the text rectangle, placed as the
// vertical alignment puts the text.
Integer TcxCustomLabel::GetTextBaseLine() {
  auto* vi = dynamic_cast<TcxCustomLabelViewInfo*>(GetViewInfo());
  if (!vi) return 0;
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  sc->SetFont(vi->Font ? vi->Font : Style()->GetVisibleTextFont());
  TEXTMETRICW tm{};
  GetTextMetricsW(sc->Handle(), &tm);
  const TRect& r = vi->TextRect;
  switch (vi->Alignment.Vert()) {
    case taBottomJustify: return r.Bottom - tm.tmDescent + 1;
    case taVCenter: return r.Top + (r.Height() - tm.tmHeight) / 2 + tm.tmAscent + 1;
    default: return r.Top + tm.tmAscent + 1;
  }
}

void TcxCustomLabel::Loaded() {
  // The window exists before the loaded settings are applied to it.
  if (cxCanAllocateHandle(this)) HandleNeeded();
  TcxCustomEdit::Loaded();
}

void TcxCustomLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (FFocusControl && Enabled() && ActiveProperties()->ShowAccelChar() && IsAccel(Word(Message.WParam), Text())) {
      if (FFocusControl->CanFocus()) FFocusControl->SetFocus();
      Message.Result = 1;
    }
    return;
  }
  TcxCustomEdit::Dispatch(Message);
}

TcxLabel::TcxLabel(TComponent* AOwner, bool AIsInplace)
    : TcxCustomLabel(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxLabelProperties(O);
      }) {}

// ---------------------------------------------------------------------------
// Streaming

TOVANI_PUBLISHED(TcxLabelProperties) {
  using P = TcxLabelProperties;
  Property<TcxEditAlignment*>(
      "Alignment", [](P* p) { return p->Alignment(); }, [](P* p, TcxEditAlignment* v) { p->Alignment()->Assign(v); });
  Property("Angle", &P::Angle, &P::SetAngle).Default(0);
  Property<Integer>("Depth", [](P* p) { return Integer(p->Depth()); }, [](P* p, Integer v) { p->SetDepth(Word(v)); })
      .Default(0);
  Property<TBitmap*>("Glyph", [](P* p) { return p->Glyph(); }, [](P* p, TBitmap* v) { p->SetGlyph(v); })
      .Stored([](TObject* o) { return static_cast<P*>(o)->HasGlyph(); });
  Property("LabelEffect", &P::LabelEffect, &P::SetLabelEffect).Default(cxleNormal);
  Property("LabelStyle", &P::LabelStyle, &P::SetLabelStyle).Default(cxlsNormal);
  Property("Orientation", &P::Orientation, &P::SetOrientation).Default(cxoRightBottom);
  Property("PenWidth", &P::PenWidth, &P::SetPenWidth).Default(1);
  Property("ShadowedColor", &P::ShadowedColor, &P::SetShadowedColor).Default(clGrayText);
  Property("ShowAccelChar", &P::ShowAccelChar, &P::SetShowAccelChar).Default(true);
  Property("WordWrap", &P::WordWrap, &P::SetWordWrap).Default(false);
}

TOVANI_PUBLISHED(TcxLabel) {
  using C = TcxLabel;
  Property<TcxLabelProperties*>(
      "Properties", [](C* c) { return c->Properties(); }, [](C* c, TcxLabelProperties* v) { c->Properties()->Assign(v); });
  Property<TcxEditStyle*>("Style", [](C* c) { return c->Style(); }, [](C* c, TcxEditStyle* v) { c->SetStyle(v); });
  Property<TcxEditStyle*>(
      "StyleDisabled", [](C* c) { return c->StyleDisabled(); }, [](C* c, TcxEditStyle* v) { c->SetStyleDisabled(v); });
  Property<TcxEditStyle*>(
      "StyleFocused", [](C* c) { return c->StyleFocused(); }, [](C* c, TcxEditStyle* v) { c->SetStyleFocused(v); });
  Property<TcxEditStyle*>("StyleHot", [](C* c) { return c->StyleHot(); }, [](C* c, TcxEditStyle* v) { c->SetStyleHot(v); });
  Property("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(true);
  Property<String>("Caption", [](C* c) { return c->Caption(); }, [](C* c, const String& v) { c->SetCaption(v); });
  Property<TWinControl*>(
      "FocusControl", [](C* c) { return c->FocusControl(); }, [](C* c, TWinControl* v) { c->SetFocusControl(v); });
  Property("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
}
