// The container control, its view info and the unit's free functions; how
// the container hosts its inner control, routes messages and lays its own
// scroll bars over the inner control's.
#include <algorithm>

#include "Forms.h"
#include "ImgList.h"
#include "Themes.h"
#include "Utf8.h"
#include "VclUtils.h"
#include "cxGeometry.h"
#include "cxContainer.h"
#include "cxEditPaintUtils.h"

TOVANI_IMPLEMENT_CLASS(TcxContainerViewInfo, TObject)
TOVANI_IMPLEMENT_CLASS(TcxContainer, TcxControl)

// A container is a tab stop from its creation: its form text names TabStop
// only when it is not one.
TOVANI_PUBLISHED(TcxContainer) {
  Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
}

// ---------------------------------------------------------------------------
// Free functions

Integer cxContainerBorderWidth(TcxContainerBorderStyle AStyle) {
  static const Integer widths[] = {0, 1, 2, 2, 2, 1, 1};
  return unsigned(AStyle) < 7 ? widths[AStyle] : 0;
}

Integer cxLookAndFeelBorderWidth(TcxLookAndFeelKind AKind) {
  return AKind == lfFlat || AKind == lfStandard ? 2 : 1;
}

TRect cxControlRectAtOrigin(TControl* AControl) { return TRect(0, 0, AControl->Width(), AControl->Height()); }

void cxInflateRectOnEdges(TRect& R, Integer AWidth, TcxBorders AEdges) {
  if (AEdges.Contains(bLeft)) R.Left -= AWidth;
  if (AEdges.Contains(bTop)) R.Top -= AWidth;
  if (AEdges.Contains(bRight)) R.Right += AWidth;
  if (AEdges.Contains(bBottom)) R.Bottom += AWidth;
}

void cxDeflateRectOffEdges(TRect& R, Integer AWidth, TcxBorders AEdges) {
  if (!AEdges.Contains(bLeft)) R.Left += AWidth;
  if (!AEdges.Contains(bTop)) R.Top += AWidth;
  if (!AEdges.Contains(bRight)) R.Right -= AWidth;
  if (!AEdges.Contains(bBottom)) R.Bottom -= AWidth;
}

void cxPaintContainerShadow(TcxCanvas* ACanvas, const TRect& R) {
  TRect bottom(R.Left + 3, R.Bottom, R.Right, R.Bottom + 3);
  TRect right(R.Right, R.Top + 3, R.Right + 3, R.Bottom + 3);
  cxFillSolidRect(ACanvas, bottom, clBtnShadow);
  cxFillSolidRect(ACanvas, right, clBtnShadow);
  ACanvas->ExcludeFromClip(bottom);
  ACanvas->ExcludeFromClip(right);
}

void cxFillFrameRing(TcxCanvas* ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor) {
  cxFillFrameRingWithBrush(ACanvas, AOuter, AInner, cxBrushFromColor(AColor));
}

void cxInvalidateFrameRing(HWND AWnd, const TRect& AOuter, const TRect& AInner, bool AErase) {
  for (const TRect& R : cxFrameRingStrips(AOuter, AInner)) cxInvalidateWindowRect(AWnd, &R, AErase);
}

void cxInvalidateControlRect(TWinControl* AControl, const TRect& R, bool AErase) {
  if (AControl && AControl->HandleAllocated()) cxInvalidateWindowRect(AControl->Handle(), &R, AErase);
}

bool cxStringsEqual(const String& S1, const String& S2, bool ACaseSensitive) {
  if (ACaseSensitive) return S1 == S2;
  std::u16string a = Utf8ToUtf16(S1), b = Utf8ToUtf16(S2);
  if (a.size() != b.size()) return false;
  CharUpperBuffW(reinterpret_cast<LPWSTR>(a.data()), DWORD(a.size()));
  CharUpperBuffW(reinterpret_cast<LPWSTR>(b.data()), DWORD(b.size()));
  return a == b;
}

void cxGetMousePos(TPoint& P) { P = cxGetCursorPos(); }

TShiftState cxGetShiftStateFromKeyboard() { return KeyboardStateToShiftState(); }

bool cxUseNativeTheme(bool ANativeStyle, TThemedElement AKind) {
  return ANativeStyle && ThemeServices()->ThemesEnabled() && ThemeServices()->Theme(AKind) != nullptr;
}

void cxAssignFont(TFont* ADestination, TFont* ASource) { ADestination->Assign(ASource); }

Integer cxTranslateMouseButton(TMouseButton AButton) {
  switch (AButton) {
    case mbLeft: return 1;
    case mbRight: return 2;
    default: return 3;
  }
}

namespace {
using TGetScrollBarInfo = BOOL(WINAPI*)(HWND, LONG, PSCROLLBARINFO);
TGetScrollBarInfo ScrollBarInfoEntry() {
  static TGetScrollBarInfo entry = reinterpret_cast<TGetScrollBarInfo>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetScrollBarInfo"));
  return entry;
}
}  // namespace

bool cxScrollBarInfoAvailable() { return ScrollBarInfoEntry() != nullptr; }

bool cxGetScrollBarInfo(HWND AWnd, LONG AObjectId, SCROLLBARINFO& AInfo) {
  AInfo = SCROLLBARINFO{};
  AInfo.cbSize = 60;
  return ScrollBarInfoEntry() && ScrollBarInfoEntry()(AWnd, AObjectId, &AInfo);
}

HRGN cxMakeContainerRegion(const TRect& ABounds, bool ANoRegion, bool AShadow, const TRect& AHole) {
  if (ANoRegion) return nullptr;
  HRGN rgn = CreateRectRgn(ABounds.Left, ABounds.Top, ABounds.Right, ABounds.Bottom);
  if (AShadow) {
    HRGN shadow = CreateRectRgn(ABounds.Left + 3, ABounds.Top + 3, ABounds.Right + 3, ABounds.Bottom + 3);
    CombineRgn(rgn, rgn, shadow, RGN_OR);
    DeleteObject(shadow);
  }
  if (!AHole.IsEmpty()) {
    HRGN hole = CreateRectRgn(AHole.Left, AHole.Top, AHole.Right, AHole.Bottom);
    CombineRgn(rgn, rgn, hole, RGN_DIFF);
    DeleteObject(hole);
  }
  return rgn;
}

void cxSetContainerRegion(HWND AWnd, const TRect& ABounds, bool ANoRegion, bool AShadow, const TRect& AHole) {
  HRGN rgn = cxMakeContainerRegion(ABounds, ANoRegion, AShadow, AHole);
  HRGN current = CreateRectRgn(0, 0, 0, 0);
  bool hasCurrent = GetWindowRgn(AWnd, current) != ERROR;
  bool differs = hasCurrent != (rgn != nullptr) || (rgn && !EqualRgn(rgn, current));
  DeleteObject(current);
  if (differs) {
    SetWindowRgn(AWnd, rgn, TRUE);   // the window owns the region now
  } else if (rgn) {
    DeleteObject(rgn);
  }
}

TcxContainer* cxContainerOfControl(TControl* AControl) {
  if (auto* c = dynamic_cast<TcxContainer*>(AControl)) return c;
  if (auto* inner = dynamic_cast<IcxContainerInnerControl*>(AControl)) return inner->GetControlContainer();
  return nullptr;
}

void cxSetImageList(TCustomImageList* AValue, TCustomImageList*& AField, TChangeLink* AChangeLink,
                    TcxFreeNotificator* AFreeNotificator) {
  if (AValue == AField) return;
  if (AField && AFreeNotificator) AFreeNotificator->RemoveSender(AField);
  cxAssignImageList(AValue, AField, AChangeLink, nullptr);
  if (AField && AFreeNotificator) AFreeNotificator->AddSender(AField);
}

// ---------------------------------------------------------------------------
// TcxContainerViewInfo

TcxContainerViewInfo::TcxContainerViewInfo() = default;
TcxContainerViewInfo::~TcxContainerViewInfo() = default;

void TcxContainerViewInfo::AssignFrom(TcxContainerViewInfo* Source) {
  if (Source) ClientRect = Source->ClientRect;
}

void TcxContainerViewInfo::MoveBy(Integer DX, Integer DY) {
  BorderRect = cxShiftedRect(BorderRect, DX, DY);
  Bounds = cxShiftedRect(Bounds, DX, DY);
  ClientRect = cxShiftedRect(ClientRect, DX, DY);
}

void TcxContainerViewInfo::DrawContainerBackground(TcxCanvas* ACanvas, const TRect& R) {
  if (Painter || BorderStyle == cbsSingle || BorderStyle == cbsThick) {
    ACanvas->DrawRectBorders(R, BorderColor, BorderWidth, cxBordersAll);
    return;
  }
  if (BorderStyle != cbsFlat && BorderStyle != cbs3D) return;
  ACanvas->Draw3DEdge(R, true, true, Edges);
  TRect inner = R;
  if (Edges.Contains(bLeft)) ++inner.Left;
  if (Edges.Contains(bTop)) ++inner.Top;
  if (Edges.Contains(bRight)) --inner.Right;
  if (Edges.Contains(bBottom)) --inner.Bottom;
  if (BorderStyle == cbsFlat)
    ACanvas->DrawRectBorders(inner, clBtnFace, 1, cxBordersAll);
  else
    ACanvas->DrawTwoColorFrame(inner, cl3DDkShadow, cl3DLight, Edges);
}

void TcxContainerViewInfo::PaintContent(TcxCanvas* ACanvas) {
  if (NativeStyle) {
    if (BorderStyle == cbsNone) {
      cxFillSolidRect(ACanvas, Bounds, BackgroundColor);
      return;
    }
    TRect content = ThemeServices()->ContentRect(ACanvas->Handle(), {ThemedObjectType, 1, NativeState}, Bounds);
    cxFillSolidRect(ACanvas, content, BackgroundColor);
    COLORREF border = ColorToRGB(clBtnShadow);
    if (HTHEME theme = ThemeServices()->Theme(teComboBox)) GetThemeColor(theme, 1, 1, TMT_BORDERCOLOR, &border);
    cxFillFrameRing(ACanvas, Bounds, content, TColor(border));
    return;
  }
  TRect R = BorderRect;
  R.Left -= BorderWidth;
  R.Top -= BorderWidth;
  if (Edges.Contains(bRight)) R.Right += BorderWidth;
  if (Edges.Contains(bBottom)) R.Bottom += BorderWidth;
  if (Shadow) cxPaintContainerShadow(ACanvas, R);
  if (!Edges.Contains(bRight)) R.Right += BorderWidth;
  if (!Edges.Contains(bBottom)) R.Bottom += BorderWidth;
  DrawContainerBackground(ACanvas, R);
  cxFillSolidRect(ACanvas, BorderRect, BackgroundColor);
}

// ---------------------------------------------------------------------------
// TcxContainer: construction and state

TcxContainerStyleFactory TcxContainer::DefaultStyleFactory() {
  return [](TPersistent* AOwner, bool ADirect, TcxContainerStyle* AParent, TcxContainerStateItem AState) {
    return new TcxContainerStyle(AOwner, ADirect, AParent, AState);
  };
}

TcxContainer::TcxContainer(TComponent* AOwner) : TcxContainer(AOwner, DefaultStyleFactory()) {}

TcxContainer::TcxContainer(TComponent* AOwner, const TcxContainerStyleFactory& AStyleFactory) : TcxControl(AOwner) {
  FCreating = true;
  FInternalSetting = true;
  FStyles = std::make_unique<TcxContainerStyles>(this, AStyleFactory);
  FStyles->SetChangeHandler([this](TObject* Sender) { ContainerStyleChanged(Sender); });
  FActiveStyle = Style();
  FViewInfo = std::make_unique<TcxContainerViewInfo>();
  TcxControl::LookAndFeel()->SetMaster(Style()->LookAndFeel());
  UpdateScrollBarControls();
  SetControlStyle(ControlStyle() + csCaptureMouse + csSetCaption);
  SetTabStop(true);
  if (DefaultParentColor() && !IsInplace() && !Style()->IsValueAssigned(csvColor)) {
    SetParentColor(true);
  } else {
    SetParentColor(false);
    SetColor(clWindow);
  }
  ResetInnerControlBounds();
  FInternalSetting = false;
  FCreating = false;
}

TcxContainer::~TcxContainer() {
  cxEndMouseLeaveTracking(this);
  FDestroying = true;
  SetInnerControl(nullptr);
}

void TcxContainer::CreateWindowHandle(const TCreateParams& Params) {
  TCreateParams p = Params;
  p.Caption.clear();
  TcxControl::CreateWindowHandle(p);
  if (!Params.Caption.empty() && HandleAllocated()) {
    std::u16string text = Utf8ToUtf16(Params.Caption);
    DefWindowProcW(Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

bool TcxContainer::IsDestroying() { return FDestroying || ComponentState().Contains(csDestroying); }

TcxLookAndFeelPainterClass TcxContainer::GetPainter() { return Style()->LookAndFeel()->ActivePainter(); }

bool TcxContainer::Focused() {
  if (GetIsDesigning() || ControlState().Contains(csDestroyingHandle) || !HandleAllocated()) return false;
  HWND focus = GetFocus();
  if (!focus) return false;
  if (focus == Handle()) return true;
  return FInnerControl && FInnerControl->HandleAllocated() && focus == FInnerControl->Handle();
}

bool TcxContainer::IsNativeStyle() { return cxUseNativeTheme(Style()->LookAndFeel()->NativeStyle(), GetNativeThemeType()); }

TcxContainerStyle* TcxContainer::GetStyleForState() {
  TcxContainerStateFlags s = FViewInfo->ContainerState;
  if (s.Contains(csfDisabled)) return StyleDisabled();
  if (s.Contains(csfActive)) return StyleFocused();
  if (Style()->HotTrack() && s.Contains(csfHotTracked)) return StyleHot();
  return Style();
}

TcxContainerStyle* TcxContainer::GetActiveStyle() {
  if (!FActiveStyle || FActiveStyleState != FViewInfo->ContainerState) {
    FActiveStyleState = FViewInfo->ContainerState;
    FActiveStyle = GetStyleForState();
  }
  return FActiveStyle;
}

Integer TcxContainer::GetNativeThemePart() { return cxDwmCompositionOn() ? 3 : 1; }

Integer TcxContainer::GetNativeThemeState() {
  TcxContainerStateFlags s = FViewInfo->ContainerState;
  if (s.Contains(csfDisabled)) return 4;
  if (IsReadOnlyLook()) return 6;
  if (s.Contains(csfActive)) return 5;
  if (s.Contains(csfHotTracked)) return 2;
  return 1;
}

void TcxContainer::CalculateViewInfo(TPoint MousePos, bool AAllowHotTrack) {
  TcxContainerViewInfo* vi = FViewInfo.get();
  vi->NativeStyle = IsNativeStyle();
  vi->Painter = nullptr;
  vi->Bounds = TRect(0, 0, Width(), Height());
  const Integer oldWidth = cxContainerBorderWidth(vi->BorderStyle);
  auto calcState = [&] {
    TcxContainerStateFlags flags;
    if (!Enabled()) {
      flags = {csfDisabled};
    } else if (GetIsDesigning()) {
      flags = {csfNormal};
    } else {
      flags = Focused() ? TcxContainerStateFlags{csfActive} : TcxContainerStateFlags{csfNormal};
      if (AAllowHotTrack) {
        TRect track;
        GetTrackingBounds(track);
        if (track.Contains(MousePos)) flags.Include(csfHotTracked);
      }
    }
    vi->ContainerState = flags;
    TcxContainerStyle* style = GetActiveStyle();
    if (!style->HotTrack())
      vi->HotState = chsNone;
    else if (flags.Contains(csfActive) || flags.Contains(csfHotTracked))
      vi->HotState = chsSelected;
    else
      vi->HotState = chsNormal;
    TcxContainerBorderStyle b = vi->NativeStyle ? Style()->BorderStyle() : style->BorderStyle();
    if (!vi->NativeStyle && (b == cbsUltraFlat || b == cbsOffice11)) b = cbsSingle;
    vi->BorderStyle = b;
  };
  calcState();
  // The tracking area depends on the border: a narrower one needs a second look.
  if (!vi->NativeStyle && cxContainerBorderWidth(vi->BorderStyle) < oldWidth) calcState();
  TcxContainerStyle* style = GetActiveStyle();
  if (vi->NativeStyle) {
    vi->ThemedObjectType = GetNativeThemeType();
    vi->NativePart = GetNativeThemePart();
    vi->NativeState = GetNativeThemeState();
  }
  TRect extent;
  GetBorderExtent(extent);
  vi->BorderRect = TRect(extent.Left, extent.Top, Width() - extent.Right, Height() - extent.Bottom);
  vi->ClientRect = vi->BorderRect;
  vi->BorderWidth = vi->Painter ? 1 : cxContainerBorderWidth(vi->BorderStyle);
  vi->Edges = style->Edges();
  vi->Shadow = HasShadow();
  const TcxContainerStateFlags flags = vi->ContainerState;
  bool highlighted = flags.Contains(csfActive) || (flags.Contains(csfHotTracked) && style->HotTrack()) ||
                     (GetIsDesigning() && Enabled());
  TcxContainerBorderStyle styleBorder = style->BorderStyle();
  if (styleBorder == cbsUltraFlat || styleBorder == cbsOffice11)
    vi->BorderColor = !highlighted ? clBtnShadow : styleBorder == cbsOffice11 ? cxEditHotBorderColor(true) : clHighlight;
  else
    vi->BorderColor = style->BorderColor();
  TColor background = style->Color();
  if (vi->NativeStyle && !Enabled() && !style->IsValueAssigned(csvColor)) {
    COLORREF fill = ColorToRGB(clBtnFace);
    if (HTHEME theme = ThemeServices()->Theme(vi->ThemedObjectType))
      GetThemeColor(theme, vi->NativePart, vi->NativeState, TMT_FILLCOLOR, &fill);
    background = TColor(fill);
  }
  vi->ChangeBackgroundColor(background);
}

void TcxContainer::GetBorderExtent(TRect& AExtent) {
  TcxContainerStyle* style = GetActiveStyle();
  const TcxContainerViewInfo* vi = FViewInfo.get();
  if (style->TransparentBorder() && !vi->Painter) {
    AExtent = TRect(2, 2, 2, 2);
  } else if (!style->DrawsBorder() || (vi->NativeStyle && Style()->BorderStyle() == cbsNone)) {
    AExtent = TRect();
  } else if (vi->NativeStyle) {
    AExtent = TRect(2, 2, 2, 2);
  } else {
    Integer w = cxContainerBorderWidth(vi->BorderStyle);
    TcxBorders edges = style->Edges();
    AExtent = TRect(edges.Contains(bLeft) ? w : 0, edges.Contains(bTop) ? w : 0, edges.Contains(bRight) ? w : 0,
                    edges.Contains(bBottom) ? w : 0);
  }
  if (HasShadow()) {
    AExtent.Right += 3;
    AExtent.Bottom += 3;
  }
}

bool TcxContainer::HasShadow() { return GetActiveStyle()->Shadow() && !FViewInfo->NativeStyle; }

void TcxContainer::GetVisibleBounds(TRect& R) {
  TRect extent;
  GetBorderExtent(extent);
  R = TRect(extent.Left, extent.Top, Width() - extent.Right, Height() - extent.Bottom);
  Integer w = cxContainerBorderWidth(FViewInfo->GetBorderStyleKind());
  R = cxInflatedRect(R, w, w);
  cxDeflateRectOffEdges(R, w, FViewInfo->Edges);
}

bool TcxContainer::UsesWindowRegion() { return !(FViewInfo->NativeStyle && Style()->BorderStyle() != cbsNone); }

void TcxContainer::UpdateWindowRegion() {
  if (!HandleAllocated()) return;
  TRect R;
  GetVisibleBounds(R);
  cxSetContainerRegion(Handle(), R, !UsesWindowRegion(), FViewInfo->Shadow, TRect());
}

void TcxContainer::ClipToWindowShape(TcxCanvas* ACanvas) {
  if (!UsesWindowRegion()) return;
  TRect R;
  GetVisibleBounds(R);
  HRGN rgn = cxMakeContainerRegion(R, false, FViewInfo->Shadow, TRect());
  ACanvas->ApplyClipRegion(new TcxRegion(rgn), rcmIntersect);
}

void TcxContainer::GetTrackingBounds(TRect& R) {
  R = TRect(0, 0, Width(), Height());
  if (IsInplace()) return;
  if (FViewInfo->Shadow) {
    R.Right -= 3;
    R.Bottom -= 3;
  }
  TcxContainerStyle* s = Style();
  if (s->DrawsBorder()) {
    if (FViewInfo->NativeStyle) {
      if (s->TransparentBorder() && s->BorderStyle() == cbsNone) R = cxInflatedRect(R, -2, -2);
    } else if (s->TransparentBorder()) {
      Integer w = cxContainerBorderWidth(FViewInfo->BorderStyle);
      R = cxInflatedRect(R, -(2 - w), -(2 - w));
      cxDeflateRectOffEdges(R, w, s->Edges());
    }
  } else if (s->TransparentBorder()) {
    R = cxInflatedRect(R, -2, -2);
  }
  if (R.Bottom < R.Top) R.Bottom = R.Top;
}

bool TcxContainer::UpdateState(TPoint MousePos, Integer AButton, TShiftState Shift, bool AIsMouseEvent) {
  if (FRefreshLocked || IsDestroying()) return true;
  FViewInfoCalculated = true;
  CalculateViewInfo(MousePos, Shift.Empty() && GetActiveStyle()->HotTrack());
  AdjustInnerControlBounds();
  SyncInnerControlLook();
  UpdateWindowRegion();
  if (HandleAllocated()) {
    if (FInnerControl)
      cxInvalidateFrameRing(Handle(), TRect(0, 0, Width(), Height()), FViewInfo->BorderRect, false);
    else
      TcxControl::InvalidateRect(TRect(0, 0, Width(), Height()), false);
  }
  if (FViewInfo->ContainerState.Contains(csfHotTracked)) {
    TRect track;
    GetTrackingBounds(track);
    cxBeginMouseLeaveTracking(this, track, this);
  }
  return true;
}

bool TcxContainer::UpdateStateFromCursor(bool AIsMouseEvent) {
  if (!HandleAllocated() || IsDestroying() || FUpdatingStateFromCursor) return false;
  FUpdatingStateFromCursor = true;
  TPoint p;
  cxGetMousePos(p);
  HWND under = WindowFromPoint(POINT{p.X, p.Y});
  if (under && (under == Handle() || IsChild(Handle(), under)))
    p = ScreenToClient(p);
  else
    p = TPoint(-1, -1);
  bool result = UpdateState(p, 0, cxGetShiftStateFromKeyboard(), AIsMouseEvent);
  FUpdatingStateFromCursor = false;
  return result;
}

void TcxContainer::MouseTrackingLeave() {
  if (!IsDestroying()) UpdateStateFromCursor(true);
}

void TcxContainer::RefreshContainer() { UpdateStateFromCursor(); }

void TcxContainer::ContainerStyleChanged(TObject*) {
  if (FCreating || IsDestroying() || ComponentState().Contains(csLoading)) return;
  FActiveStyle = nullptr;
  UpdateStateFromCursor();
  FInternalSetting = true;
  if (!ParentColor() || Style()->IsValueAssigned(csvColor)) SetColor(Style()->GetPaintColor());
  // Copying the style's font must not take the control off its parent's font
  // unless the font is the style's own.
  bool parentFont = ParentFont();
  SetFont(Style()->Font());
  if (Style()->AssignedValues().Contains(csvFont))
    SetParentFont(false);
  else if (parentFont && !ParentFont())
    FParentFont = true;
  FInternalSetting = false;
  UpdateStateFromCursor();
}

void TcxContainer::Loaded() {
  TcxControl::Loaded();
  ContainerStyleChanged(Style());
}

bool TcxContainer::IsStylePropertyVisible(const String& AName, bool AIsStateStyle) {
  if (AIsStateStyle && !Style()->IsSlotPropertyVisible(AName)) return false;
  TcxContainerStyleValue v;
  if (!Style()->FindStyleValue(AName, v)) return true;
  return !GetUnusedStyleValues().Contains(v);
}

// ---------------------------------------------------------------------------
// Inner control

void TcxContainer::SetInnerControl(TWinControl* Value) {
  if (FInnerControl == Value) return;
  if (FInnerControl) FInnerControl->RemoveFreeNotification(this);
  FInnerControl = Value;
  if (FInnerControl) FInnerControl->FreeNotification(this);
}

void TcxContainer::Notification(TComponent* AComponent, TOperation Operation) {
  TcxControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FInnerControl) FInnerControl = nullptr;
}

void TcxContainer::ResetInnerControlBounds() { FInnerControlClip = TcxContainerInnerControlClip(); }

void TcxContainer::AdjustInnerControlBounds() {
  if (!FInnerControl || IsDestroying()) return;
  const TRect& R = FViewInfo->ClientRect;
  if (FInnerControl->BoundsRect() == R) return;
  bool locked = FRefreshLocked;
  FRefreshLocked = true;
  FInnerControl->SetBoundsRect(R);
  FRefreshLocked = locked;
}

void TcxContainer::SyncInnerControlLook() {
  if (!FInnerControl) return;
  FInnerControl->SetColor(FViewInfo->BackgroundColor);
  FInnerControl->SetFont(GetActiveStyle()->GetVisibleTextFont());
}

void TcxContainer::AdjustClientRect(TRect& Rect) { Rect = FViewInfo->ClientRect; }

void TcxContainer::GetInnerControlClip(const TRect& ABounds, TWinControl* AControl, TcxContainerInnerControlClip& AClip) {
  TRect child = AControl->BoundsRect();
  TRect visible(std::max(child.Left, ABounds.Left), std::max(child.Top, ABounds.Top),
                std::min(child.Right, ABounds.Right), std::min(child.Bottom, ABounds.Bottom));
  if (visible.IsEmpty()) visible = TRect();
  AClip.IsInside = visible == child;
  // In the child's own coordinates.
  AClip.Rect = visible.IsEmpty() ? TRect() : TRect(visible.Left - child.Left, visible.Top - child.Top,
                                                   visible.Right - child.Left, visible.Bottom - child.Top);
}

void TcxContainer::AlignControls(TControl* AControl, TRect& Rect) {
  if (HostsChildControls()) {
    TcxControl::AlignControls(AControl, Rect);
    return;
  }
  if (FAlignLockCount > 0 || (AControl && IsInternalControl(AControl))) return;
  if (!AControl) {
    TcxControl::AlignControls(AControl, Rect);
    return;
  }
  auto* child = dynamic_cast<TWinControl*>(AControl);
  if (!child || !child->HandleAllocated() || FCreating) return;
  TcxContainerInnerControlClip clip;
  GetInnerControlClip(FViewInfo->ClientRect, child, clip);
  bool changed = true;
  if (child == FInnerControl)
    changed = !((clip.IsInside && FInnerControlClip.IsInside) ||
                (!clip.IsInside && !FInnerControlClip.IsInside && clip.Rect == FInnerControlClip.Rect));
  if (!changed) return;
  if (clip.IsInside) {
    SetWindowRgn(child->Handle(), nullptr, TRUE);
  } else {
    SetWindowRgn(child->Handle(), CreateRectRgn(clip.Rect.Left, clip.Rect.Top, clip.Rect.Right, clip.Rect.Bottom),
                 TRUE);
  }
  if (child == FInnerControl) FInnerControlClip = clip;
}

void TcxContainer::FocusInnerControl() {
  if (FInnerControl && FInnerControl->CanFocus() && !FInnerControl->Focused()) FInnerControl->SetFocus();
}

void TcxContainer::SetFocus() {
  if (GetIsDesigning() || SetFocusNeedless()) return;
  TcxControl::SetFocus();
  if (HandleAllocated() && GetFocus() == Handle()) FocusInnerControl();
}

void TcxContainer::Invalidate() {
  TcxControl::Invalidate();
  if (FInnerControl) FInnerControl->Invalidate();
}

void TcxContainer::Update() {
  TcxControl::Update();
  if (FInnerControl) FInnerControl->Update();
}

void TcxContainer::SetDragKind(TDragKind Value) {
  TcxControl::SetDragKind(Value);
  if (FInnerControl) FInnerControl->SetDragKind(Value);
}

bool TcxContainer::CallInnerControlWndProc(TMessage& Message) {
  if (!FInnerControl) return false;
  Message.Result = FInnerControl->Perform(Message.Msg, Message.WParam, Message.LParam);
  return true;
}

bool TcxContainer::InnerControlDefaultHandler(TMessage& Message) {
  if (Message.Msg == WM_CONTEXTMENU && HandleAllocated()) {
    Message.Result = SendMessageW(Handle(), Message.Msg, Message.WParam, Message.LParam);
    return Message.Result != 0;
  }
  return false;
}

bool TcxContainer::HandleInnerControlKey(TMessage& Message) {
  if ((Message.Msg == CN_KEYDOWN || Message.Msg == CN_SYSKEYDOWN) && IsPopupMenuShortCutKey(Message)) {
    Message.Result = 1;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Input, painting and messages

bool TcxContainer::CanFocusOnClick() {
  return TcxControl::CanFocusOnClick() && !FInnerControlMouseDown &&
         !(FInnerControl && FInnerControl->HandleAllocated() && GetFocus() == FInnerControl->Handle());
}

bool TcxContainer::MayFocus() {
  return !(FInnerControl && FInnerControl->HandleAllocated() && GetFocus() == FInnerControl->Handle());
}

void TcxContainer::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (FPopupMenuLockCount > 0 || (!(MousePos.X == -1 && MousePos.Y == -1) && !AllowContextPopupAt(MousePos))) {
    Handled = true;
    return;
  }
  TcxControl::DoContextPopup(MousePos, Handled);
}

void TcxContainer::DoFocusChanged() {
  TcxControl::DoFocusChanged();
  UpdateStateFromCursor();
}

void TcxContainer::DoMouseEnter(TControl* AControl) {
  TcxControl::DoMouseEnter(AControl);
  UpdateStateFromCursor(true);
  TRect track;
  GetTrackingBounds(track);
  cxBeginMouseLeaveTracking(this, track, this);
}

void TcxContainer::DoMouseLeave(TControl* AControl) {
  TcxControl::DoMouseLeave(AControl);
  UpdateStateFromCursor(true);
  cxEndMouseLeaveTracking(this);
}

void TcxContainer::DoCursorChanged() {
  TcxControl::DoCursorChanged();
  if (FInnerControl) FInnerControl->SetCursor(Cursor());
}

void TcxContainer::KeyDown(Word& Key, TShiftState Shift) {
  TcxControl::KeyDown(Key, Shift);
  if (Key != VK_TAB || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt) || !HandlesTabKey() || !Focused()) return;
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  Key = 0;
  // Forward from the inner control (which follows the container in the tab
  // order), backward from the container itself.
  bool forward = !Shift.Contains(ssShift);
  TWinControl* from = forward && FInnerControl && FInnerControl->TabStop() ? FInnerControl : this;
  form->SelectNext(from, forward, true);
  if (Focused() && GetFocus() == Handle()) FocusInnerControl();
}

void TcxContainer::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxObjectLinkGuard link(this);
  TcxControl::MouseDown(Button, Shift, X, Y);
  if (link.Alive()) UpdateState(TPoint(X, Y), cxTranslateMouseButton(Button), Shift, true);
}

void TcxContainer::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxControl::MouseMove(Shift, X, Y);
  UpdateState(TPoint(X, Y), 0, Shift, true);
  TRect track;
  GetTrackingBounds(track);
  cxBeginMouseLeaveTracking(this, track, this);
}

void TcxContainer::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxObjectLinkGuard link(this);
  TcxControl::MouseUp(Button, Shift, X, Y);
  if (link.Alive()) UpdateState(TPoint(X, Y), cxTranslateMouseButton(Button), Shift, true);
}

void TcxContainer::Paint() {
  HDC dc = cxCanvas()->Handle();
  RECT b{0, 0, Width(), Height()};
  if (!RectVisible(dc, &b)) return;
  if (!FViewInfoCalculated) UpdateStateFromCursor();
  FViewInfo->PaintOn(cxCanvas());
}

void TcxContainer::Resize() {
  TcxControl::Resize();
  if (FCreating) return;
  // A resize during an update must be evaluated.
  FUpdatingStateFromCursor = false;
  UpdateStateFromCursor();
}

void TcxContainer::ChangeScale(Integer M, Integer D) {
  bool internal = FInternalSetting;
  FInternalSetting = !ParentFont();
  TcxControl::ChangeScale(M, D);
  FInternalSetting = internal;
  if (M == D || !Style()->IsValueAssigned(csvFont)) return;
  if (Style()->AssignedValues().Contains(csvFont)) {
    Style()->Font()->SetSize(MulDiv(Style()->Font()->Size(), M, D));
  } else if (ComponentState().Contains(csLoading)) {
    if (TcxStyleController* c = Style()->GetActiveController()) c->ScaleFont(M, D);
  }
}

void TcxContainer::CreateHandle() {
  TcxControl::CreateHandle();
  if (HandleAllocated()) PostMessageW(Handle(), DXM_UPDATESTATEFROMCURSOR, 0, 0);
}

void TcxContainer::CreateParams(TCreateParams& Params) {
  TcxControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TcxContainer::PostScrollBarsUpdate() {
  if (HandleAllocated() && FInnerControl && !IsDestroying()) PostMessageW(Handle(), DXM_UPDATESCROLLBARS, 0, 0);
}

void TcxContainer::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
      if (!Visible()) return;
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case CN_KEYDOWN:
    case CN_KEYUP:
    case CN_CHAR:
      if (FInnerControl && FInnerControl->HandleAllocated()) {
        Message.Result = FInnerControl->Perform(Message.Msg, Message.WParam, Message.LParam);
        return;
      }
      break;
    case DXM_BUFFEREDPAINTONGLASS:
      // Nothing is drawn on glass here: the program paints no glass areas.
      return;
  }
  TcxControl::WndProc(Message);
}

void TcxContainer::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS:
      if (FInnerControl && FInnerControl->HandleAllocated() && HWND(Message.WParam) == FInnerControl->Handle()) return;
      TcxControl::Dispatch(Message);
      if (FInnerControl && FInnerControl->CanFocus()) FocusInnerControl();
      return;
    case WM_KILLFOCUS:
      if (FInnerControl && FInnerControl->HandleAllocated() && HWND(Message.WParam) == FInnerControl->Handle()) return;
      break;
    case WM_NCPAINT:
      Message.Result = 0;
      return;
    case WM_SETCURSOR:
      if (FInnerControl && LOWORD(Message.LParam) == HTCLIENT) {
        TPoint p = ScreenToClient(cxGetCursorPos());
        if (!FViewInfo->ClientRect.Contains(p)) {
          ::SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
          Message.Result = 1;
          return;
        }
      }
      break;
    case WM_WINDOWPOSCHANGING:
      if (IsDestroying()) return;
      TcxControl::Dispatch(Message);
      if (HandleAllocated() && GetFocus() == Handle() && FInnerControl && FInnerControl->CanFocus()) FocusInnerControl();
      return;
    case WM_WINDOWPOSCHANGED:
      TcxControl::Dispatch(Message);
      if (ShowsParentBackground()) UpdateStateFromCursor();
      return;
    case CM_CTL3DCHANGED:
    case CM_SYSCOLORCHANGE:
      TcxControl::Dispatch(Message);
      UpdateStateFromCursor();
      return;
    case DXM_UPDATESTATEFROMCURSOR:
      UpdateStateFromCursor();
      return;
    case DXM_UPDATESCROLLBARS:
      UpdateScrollBars(false);
      return;
    case CM_ENABLEDCHANGED:
      TcxControl::Dispatch(Message);
      for (Integer i = 0; i < ControlCount(); ++i)
        if (auto* bar = dynamic_cast<TcxScrollBar*>(Controls(i))) bar->SetEnabled(Enabled());
      UpdateStateFromCursor();
      return;
    case CM_COLORCHANGED:
      if (FInternalSetting) {
        TcxControl::Dispatch(Message);
        UpdateStateFromCursor();
      } else {
        // A colour set on the control is the normal style's own colour.
        Style()->SetColor(Color());
      }
      return;
    case CM_FONTCHANGED:
      if (FInternalSetting) {
        TcxControl::Dispatch(Message);
        AdjustInnerControlBounds();
        UpdateScrollBars(false);
        UpdateStateFromCursor();
      } else {
        // A font set on the control goes to the normal style; one that came
        // from elsewhere does not become the style's own.
        bool had = Style()->AssignedValues().Contains(csvFont);
        Style()->BeginUpdate();
        Style()->SetFont(Font());
        if (!had) Style()->RemoveAssignedValue(csvFont);
        Style()->EndUpdate();
        TcxControl::Dispatch(Message);
      }
      return;
    case CM_PARENTCOLORCHANGED: {
      bool had = Style()->AssignedValues().Contains(csvColor);
      TcxControl::Dispatch(Message);
      if (!had || ParentColor()) Style()->RemoveAssignedValue(csvColor);
      if (Style()->Color() != Color()) ContainerStyleChanged(Style());
      if (ShowsParentBackground() && !ParentColor()) Invalidate();
      return;
    }
    case CM_PARENTFONTCHANGED: {
      bool had = Style()->AssignedValues().Contains(csvFont);
      TcxControl::Dispatch(Message);
      if (!ParentFont()) Style()->ReloadFont();
      if (!had || ParentFont()) Style()->RemoveAssignedValue(csvFont);
      return;
    }
  }
  TcxControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Own scroll bars over the inner control's

bool TcxContainer::GetInnerScrollBarInfo(SCROLLBARINFO& AInfo, TScrollBarKind AKind) {
  if (!FInnerControl || !FInnerControl->HandleAllocated()) return false;
  return cxGetScrollBarInfo(FInnerControl->Handle(), AKind == sbHorizontal ? LONG(OBJID_HSCROLL) : LONG(OBJID_VSCROLL),
                            AInfo);
}

bool TcxContainer::IsScrollBarVisible(const SCROLLBARINFO& AInfo) {
  return (AInfo.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) == 0;
}

bool TcxContainer::IsScrollBarEnabled(TcxControlScrollBar*, const SCROLLBARINFO& AInfo) {
  return (AInfo.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) == 0 && (!Parent() || Parent()->Enabled());
}

void TcxContainer::GetScrollBarBoundsInClient(const SCROLLBARINFO& AInfo, TRect& R) {
  TRect screen(AInfo.rcScrollBar.left, AInfo.rcScrollBar.top, AInfo.rcScrollBar.right, AInfo.rcScrollBar.bottom);
  TPoint tl = ScreenToClient(screen.TopLeft()), br = ScreenToClient(screen.BottomRight());
  R = TRect(tl, br);
}

void TcxContainer::SetScrollBarVisible(TcxControlScrollBar* AScrollBar, bool AVisible) {
  if (AVisible) {
    AScrollBar->SetVisible(true);
    AScrollBar->BringToFront();
  } else {
    AScrollBar->SetVisible(false);
  }
}

void TcxContainer::UpdateScrollBar(TcxControlScrollBar* AScrollBar) {
  SCROLLBARINFO info;
  TScrollBarKind kind = AScrollBar->Kind();
  if (!GetInnerScrollBarInfo(info, kind) || !IsScrollBarVisible(info)) {
    SetScrollBarVisible(AScrollBar, false);
    return;
  }
  AScrollBar->SetEnabled(IsScrollBarEnabled(AScrollBar, info));
  TRect R;
  GetScrollBarBoundsInClient(info, R);
  AScrollBar->SetBoundsRect(R);
  SetScrollBarVisible(AScrollBar, R.Width() > 0 && R.Height() > 0);
}

void TcxContainer::UpdateScrollBars(bool AIsScrolling) {
  if (!FInnerControl || !HasScrollBars() || IsDestroying() || !cxScrollBarInfoAvailable()) return;
  if (!HScrollBar() || !FInnerControl->HandleAllocated() || FScrollBarsCalculating) return;
  FScrollBarsCalculating = true;
  for (TcxControlScrollBar* bar : {static_cast<TcxControlScrollBar*>(HScrollBar()), VScrollBar()}) {
    if (!AIsScrolling) UpdateScrollBar(bar);
    if (!bar->Visible()) continue;
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(FInnerControl->Handle(), bar->Kind() == sbHorizontal ? SB_HORZ : SB_VERT, &si);
    Integer page = std::min<Integer>(Integer(si.nPage), si.nMax);
    bar->SetScrollParams(si.nMin, std::max<Integer>(si.nMax, si.nMin), true, std::max(page, 0), si.nPos);
    bar->SetSmallChange(1);
  }
  // The corner between the two bars, in the inner control's window.
  bool gridVisible = HScrollBar()->Visible() && VScrollBar()->Visible() &&
                     dynamic_cast<IcxContainerInnerControl*>(FInnerControl) != nullptr;
  TRect grip;
  if (gridVisible) {
    TRect h = HScrollBar()->BoundsRect(), v = VScrollBar()->BoundsRect();
    TPoint origin = FInnerControl->BoundsRect().TopLeft();
    grip = TRect(v.Left - origin.X, h.Top - origin.Y, v.Right - origin.X, h.Bottom - origin.Y);
  }
  if (gridVisible != FSizeGripVisible || grip != FSizeGripRect) {
    FSizeGripVisible = gridVisible;
    FSizeGripRect = grip;
    if (gridVisible) {
      HRGN rgn = CreateRectRgn(grip.Left, grip.Top, grip.Right, grip.Bottom);
      SendMessageW(FInnerControl->Handle(), WM_NCPAINT, WPARAM(rgn), 0);
      DeleteObject(rgn);
    }
  }
  FScrollBarsCalculating = false;
}

void TcxContainer::GetTabOrderList(std::vector<TWinControl*>& List) {
  TcxControl::GetTabOrderList(List);
  if (HostsChildControls() || !FInnerControl) return;
  TCustomForm* form = GetParentForm(this);
  if (!form || form->ActiveControl() != FInnerControl) {
    // Tab reaches the inner control only through the container: a container
    // that is no tab stop keeps its inner control out of the Tab order too.
    if (!TabStop()) List.erase(std::remove(List.begin(), List.end(), FInnerControl), List.end());
    return;
  }
  auto self = std::find(List.begin(), List.end(), static_cast<TWinControl*>(this));
  if (self == List.end()) return;
  // The inner control takes the container's place and is listed only there.
  size_t at = size_t(self - List.begin());
  List.erase(std::remove(List.begin() + at + 1, List.end(), FInnerControl), List.end());
  List[at] = FInnerControl;
}
