#include "cxScrollBar.h"

#include "cxControls.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// Geometry

TOVANI_IMPLEMENT_CLASS(TcxScrollBarViewInfo, TObject)

Integer TcxScrollBarViewInfo::TrackStart() const {
  return FScrollBar->Kind() == sbHorizontal ? StartArrowRect.Right : StartArrowRect.Bottom;
}

Integer TcxScrollBarViewInfo::TrackEnd() const {
  return FScrollBar->Kind() == sbHorizontal ? EndArrowRect.Left : EndArrowRect.Top;
}

Integer TcxScrollBarViewInfo::ThumbStart() const {
  return FScrollBar->Kind() == sbHorizontal ? ThumbRect.Left : ThumbRect.Top;
}

Integer TcxScrollBarViewInfo::ThumbLength() const {
  return FScrollBar->Kind() == sbHorizontal ? ThumbRect.Width() : ThumbRect.Height();
}

void TcxScrollBarViewInfo::Layout() {
  const bool horz = FScrollBar->Kind() == sbHorizontal;
  const Integer w = FScrollBar->Width(), h = FScrollBar->Height();
  const Integer length = horz ? w : h;
  const Integer system = GetSystemMetrics(horz ? SM_CYHSCROLL : SM_CXVSCROLL);
  const Integer arrow = std::min(system, length / 2);
  if (horz) {
    StartArrowRect = TRect(0, 0, arrow, h);
    EndArrowRect = TRect(w - arrow, 0, w, h);
  } else {
    StartArrowRect = TRect(0, 0, w, arrow);
    EndArrowRect = TRect(0, h - arrow, w, h);
  }
  LayoutThumb();
}

void TcxScrollBarViewInfo::SetThumbStart(Integer AStart) {
  const Integer size = ThumbLength();
  if (FScrollBar->Kind() == sbHorizontal)
    ThumbRect = TRect(AStart, 0, AStart + size, FScrollBar->Height());
  else
    ThumbRect = TRect(0, AStart, FScrollBar->Width(), AStart + size);
  LayoutPageAreas();
}

void TcxScrollBarViewInfo::LayoutThumb() {
  ThumbRect = TRect();
  TrackBeforeRect = TrackAfterRect = TRect();
  if (!FScrollBar->Enabled()) return;
  const Integer l = TrackLength();
  const Integer min = FScrollBar->Min(), max = FScrollBar->Max(), page = FScrollBar->PageSize();
  const Integer pos = FScrollBar->Position();
  const bool horz = FScrollBar->Kind() == sbHorizontal;
  Integer size, start;
  if (page != 0) {
    size = std::min(l, cxMulDiv(page, l, max - min + 1));
    if (l < MinThumbSize || max == min) return;
    size = std::max(size, MinThumbSize);
    // D is 0 when the page covers the whole range: cxMulDiv answers 0 there.
    const Integer d = max - min - page + 1;
    start = TrackStart() + cxMulDiv(l - size, std::min(pos - min, d), d);
  } else {
    size = GetSystemMetrics(horz ? SM_CXHTHUMB : SM_CYVTHUMB);
    if (l < size) return;
    start = (l - size <= 0 || max == min) ? TrackStart() : TrackStart() + cxMulDiv(l - size, pos - min, max - min);
  }
  if (horz)
    ThumbRect = TRect(start, 0, start + size, FScrollBar->Height());
  else
    ThumbRect = TRect(0, start, FScrollBar->Width(), start + size);
  LayoutPageAreas();
}

void TcxScrollBarViewInfo::LayoutPageAreas() {
  if (!HasThumb()) {
    TrackBeforeRect = TrackAfterRect = TRect();
    return;
  }
  if (FScrollBar->Kind() == sbHorizontal) {
    TrackBeforeRect = TRect(TrackStart(), 0, ThumbRect.Left, FScrollBar->Height());
    TrackAfterRect = TRect(ThumbRect.Right, 0, TrackEnd(), FScrollBar->Height());
  } else {
    TrackBeforeRect = TRect(0, TrackStart(), FScrollBar->Width(), ThumbRect.Top);
    TrackAfterRect = TRect(0, ThumbRect.Bottom, FScrollBar->Width(), TrackEnd());
  }
}

// ---------------------------------------------------------------------------
// TcxScrollBar

TOVANI_IMPLEMENT_CLASS(TcxScrollBar, TCustomControl)

TcxScrollBar::TcxScrollBar(TComponent* AOwner) : TCustomControl(AOwner) {
  FBitmap = std::make_unique<TBitmap>(1, 1, pf32bit);
  FBitmapCanvas = std::make_unique<TcxCanvas>(FBitmap->Canvas());
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { LookAndFeelUpdated(); };
  FThemeChangedNotificator = std::make_unique<TdxThemeChangedNotificator>();
  FThemeChangedNotificator->OnThemeChanged = [this] { VisualStyleChanged(); };
  SetControlStyle({csCaptureMouse, csFramed, csOpaque});
  FTimer = std::make_unique<TcxTimer>();
  FTimer->SetEnabled(false);
  FTimer->SetInterval(400);
  FTimer->SetOnTimer([this](TObject*) { RepeatTick(); });
  SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYHSCROLL));
  ViewInfo()->MinThumbSize = MinThumbSize();
  CalcGeometry();
}

TcxScrollBar::~TcxScrollBar() {
  FThemeChangedNotificator.reset();
  FTimer.reset();
  cxInvalidateObjectLinks(this);
}

TcxScrollBarViewInfo* TcxScrollBar::ViewInfo() {
  if (!FViewInfo) FViewInfo.reset(CreateViewInfo());
  return FViewInfo.get();
}

TcxLookAndFeelPainterClass TcxScrollBar::Painter() const { return FLookAndFeel->PainterForObjectType(totScrollBar); }

void TcxScrollBar::CalcGeometry() { ViewInfo()->Layout(); }

void TcxScrollBar::SetKind(TScrollBarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  if (IsLoading())
    CalcGeometry();
  else
    SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

void TcxScrollBar::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  const bool changed = AWidth != Width() || AHeight != Height();
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (changed && Width() > 0 && Height() > 0 && FBitmap) {
    FBitmap->SetSize(Width(), Height());
    CalcGeometry();
  } else if (FViewInfo) {
    CalcGeometry();
  }
}

void TcxScrollBar::SetScrollParams(Integer AMin, Integer AMax, bool ARedraw, Integer APageSize, Integer APosition) {
  if (AMax < AMin || AMax < APageSize) throw EInvalidOperation("Scrollbar property out of range");
  bool redraw = ARedraw && HandleAllocated();
  APosition = std::clamp(APosition, AMin, AMax);
  if (AMin == FMin && AMax == FMax && APageSize == FPageSize && APosition == FPosition) {
    redraw = false;
  } else {
    FMin = AMin;
    FMax = AMax;
    FPageSize = APageSize;
  }
  if (APosition == FPosition) {
    ViewInfo()->LayoutThumb();
    if (redraw) Repaint();
  } else {
    SetEnabled(true);
    FPosition = APosition;
    ViewInfo()->LayoutThumb();
    if (redraw) Repaint();
    FireChange();
  }
}

void TcxScrollBar::FireChange() {
  Changed();
  if (OnChange) OnChange(this);
}

void TcxScrollBar::FireScroll(TScrollCode ACode, Integer& APos) {
  if (OnScroll) OnScroll(this, ACode, APos);
}

Integer TcxScrollBar::MinThumbSize() { return Painter()->CalcScrollBarMinThumbSize(FKind == sbVertical); }

bool TcxScrollBar::HotTrackEnabled() { return Painter()->HasHotTrackButtons(); }

void TcxScrollBar::LookAndFeelUpdated() {
  ViewInfo()->MinThumbSize = MinThumbSize();
  CalcGeometry();
  Invalidate();
}

void TcxScrollBar::VisualStyleChanged() {
  ViewInfo()->MinThumbSize = MinThumbSize();
  CalcGeometry();
  cxRebuildScrollBarBitmaps();
  Invalidate();
  if (Parent()) Parent()->Realign();
}

TcxScrollBarArea TcxScrollBar::PartAt(TPoint P) {
  if (!TRect(0, 0, Width(), Height()).Contains(P)) return sbaNone;
  TcxScrollBarViewInfo* vi = ViewInfo();
  if (vi->StartArrowRect.Contains(P)) return sbaStartArrow;
  if (vi->EndArrowRect.Contains(P)) return sbaEndArrow;
  if (!vi->HasThumb()) return sbaNone;
  if (vi->ThumbRect.Contains(P)) return sbaThumb;
  if (vi->TrackBeforeRect.Contains(P)) return sbaTrackBefore;
  if (vi->TrackAfterRect.Contains(P)) return sbaTrackAfter;
  return sbaNone;
}

TcxButtonState TcxScrollBar::PartState(TcxScrollBarArea APart) {
  if (!Enabled()) return cxbsDisabled;
  if (APart == sbaThumb && !HotTrackEnabled()) return cxbsNormal;
  if (FPressedPart != sbaNone) return APart == FPressedPart && APart == FHotPart ? cxbsPressed : cxbsNormal;
  if (APart == FHotPart && !ComponentState().Contains(csDesigning)) return cxbsHot;
  return cxbsNormal;
}

void TcxScrollBar::PaintPart(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxScrollBarArea APart) {
  Painter()->PaintScrollBarPart(ACanvas, FKind == sbHorizontal, R, TcxScrollBarPart(APart), AState);
}

void TcxScrollBar::PaintAllParts(TcxCanvas* ACanvas) {
  TcxScrollBarViewInfo* vi = ViewInfo();
  if (!vi->HasThumb())
    PaintPart(ACanvas, TRect(0, 0, Width(), Height()), Enabled() ? cxbsNormal : cxbsDisabled, sbaTrackBefore);
  else
    PaintPart(ACanvas, vi->ThumbRect, PartState(sbaThumb), sbaThumb);
  PaintPart(ACanvas, vi->StartArrowRect, PartState(sbaStartArrow), sbaStartArrow);
  PaintPart(ACanvas, vi->EndArrowRect, PartState(sbaEndArrow), sbaEndArrow);
  if (!IsRectEmpty(vi->TrackBeforeRect)) PaintPart(ACanvas, vi->TrackBeforeRect, PartState(sbaTrackBefore), sbaTrackBefore);
  if (!IsRectEmpty(vi->TrackAfterRect)) PaintPart(ACanvas, vi->TrackAfterRect, PartState(sbaTrackAfter), sbaTrackAfter);
}

void TcxScrollBar::Paint() {
  if (FBitmap->Width() != Width() || FBitmap->Height() != Height()) FBitmap->SetSize(Width(), Height());
  PaintAllParts(FBitmapCanvas.get());
  BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), FBitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
}

TScrollCode TcxScrollBar::CodeOfPart(TcxScrollBarArea A) const {
  switch (A) {
    case sbaStartArrow: return scLineUp;
    case sbaEndArrow: return scLineDown;
    case sbaTrackBefore: return scPageUp;
    case sbaTrackAfter: return scPageDown;
    default: return scEndScroll;
  }
}

void TcxScrollBar::ScrollByCode(TScrollCode ACode) {
  Integer pos = FPosition;
  switch (ACode) {
    case scLineUp: pos -= FSmallChange; break;
    case scLineDown: pos += FSmallChange; break;
    case scPageUp: pos -= FLargeChange; break;
    case scPageDown: pos += FLargeChange; break;
    case scTop: pos = FMin; break;
    case scBottom: pos = FMax; break;
    default: break;
  }
  pos = std::clamp(pos, FMin, FMax);
  FireScroll(ACode, pos);
  pos = std::clamp(pos, FMin, FMax);
  if (pos == FPosition) return;
  if (ACode == scTrack) {
    // While tracking only the value changes: the thumb stays under the mouse.
    FPosition = pos;
    Repaint();
  } else {
    SetPosition(pos);
  }
}

Integer TcxScrollBar::PositionFromThumb() {
  TcxScrollBarViewInfo* vi = ViewInfo();
  return FMin + cxMulDiv(FMax - FMin - (FPageSize > 0 ? FPageSize - 1 : 0), vi->ThumbStart() - vi->TrackStart(),
                         vi->TrackLength() - vi->ThumbLength());
}

void TcxScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TcxScrollBarArea part = PartAt(TPoint(X, Y));
  if (part == sbaNone) return;
  if (part == sbaThumb) {
    FDownPoint = TPoint(X, Y);
    FSavedPosition = FPosition;
    FSavedThumbStart = ViewInfo()->ThumbStart();
    FPressedPart = FHotPart = part;
    ScrollByCode(scTrack);
  } else {
    FPressedPart = FHotPart = part;
    ScrollByCode(CodeOfPart(part));
    FTimer->SetInterval(400);
    FTimer->SetEnabled(true);
  }
  Repaint();
}

void TcxScrollBar::RepeatTick() {
  if (MouseCapture() && IsRepeatingPart(FPressedPart)) {
    if (FTimer->Interval() == 400) FTimer->SetInterval(60);
    ScrollByCode(CodeOfPart(FPressedPart));
    FTimer->SetEnabled(PartAt(ScreenToClient(cxGetCursorPos())) == FPressedPart);
  } else {
    EndPress();
  }
}

void TcxScrollBar::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  const TPoint p(X, Y);
  if (FPressedPart == sbaThumb) {
    const bool horz = FKind == sbHorizontal;
    TRect tolerance = horz ? TRect(-34, -136, Width() + 34, Height() + 136)
                           : TRect(-136, -34, Width() + 136, Height() + 34);
    TcxScrollBarViewInfo* vi = ViewInfo();
    if (FUnlimitedTracking || tolerance.Contains(p)) {
      Integer delta = horz ? X - FDownPoint.X : Y - FDownPoint.Y;
      Integer start = std::clamp(FSavedThumbStart + delta, vi->TrackStart(), std::max(vi->TrackStart(), vi->TrackEnd() - vi->ThumbLength()));
      vi->SetThumbStart(start);
      Repaint();
      Integer pos = PositionFromThumb();
      if (pos != FPosition) {
        FPosition = pos;
        ScrollByCode(scTrack);
      }
    } else if (FSavedPosition != FPosition) {
      SetPosition(FSavedPosition);
      ScrollByCode(scTrack);
    }
    return;
  }
  TcxScrollBarArea part = PartAt(p);
  if (IsRepeatingPart(FPressedPart)) FTimer->SetEnabled(part == FPressedPart);
  if (part != FHotPart) {
    FHotPart = part;
    if (HotTrackEnabled()) Repaint();
  }
}

void TcxScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  EndPress();
  FHotPart = PartAt(TPoint(X, Y));
}

void TcxScrollBar::EndPress() {
  if (FPressedPart == sbaNone) return;
  if (FPressedPart == sbaThumb) {
    // The tracked position was stored silently: the drag ends with one
    // change notification for the whole of it.
    if (FPosition != FSavedPosition) FireChange();
    ScrollByCode(scPosition);
  }
  FTimer->SetEnabled(false);
  FPressedPart = FHotPart = sbaNone;
  ScrollByCode(scEndScroll);
  ViewInfo()->LayoutThumb();
  Invalidate();
}

void TcxScrollBar::MouseEnterHook() {
  if (HotTrackEnabled() || IsRepeatingPart(FPressedPart)) Repaint();
}

void TcxScrollBar::MouseLeaveHook() {
  if (FPressedPart == sbaThumb) return;
  FHotPart = sbaNone;
  Invalidate();
}

void TcxScrollBar::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL: ScrollByCode(TScrollCode(LOWORD(Message.WParam))); return;
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_CANCELMODE:
      TCustomControl::Dispatch(Message);
      EndPress();
      return;
    case CM_ENABLEDCHANGED:
      TCustomControl::Dispatch(Message);
      CalcGeometry();
      if (!Enabled()) EndPress();
      Invalidate();
      return;
    case CM_VISIBLECHANGED:
      TCustomControl::Dispatch(Message);
      if (!Visible()) EndPress();
      return;
    case CM_SYSCOLORCHANGE:
      cxRebuildScrollBarBitmaps();
      TCustomControl::Dispatch(Message);
      return;
    case CM_CTL3DCHANGED:
      TCustomControl::Dispatch(Message);
      LookAndFeelUpdated();
      return;
    case CM_MOUSEENTER:
      TCustomControl::Dispatch(Message);
      MouseEnterHook();
      return;
    case CM_MOUSELEAVE:
      TCustomControl::Dispatch(Message);
      MouseLeaveHook();
      return;
  }
  TCustomControl::Dispatch(Message);
}
