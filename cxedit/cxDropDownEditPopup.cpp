// The drop-down editors' popup window: layout (border, shadow, system
// panel with size grip and close button), placement against the editor,
// mouse resizing with a hatched frame, and painting.
#include <algorithm>

#include "cxDropDownEdit.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomEditPopupWindowViewInfo, TcxContainerViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxPopupEditPopupWindowViewInfo, TcxCustomEditPopupWindowViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomEditPopupWindow, TcxCustomPopupWindow)
TOVANI_IMPLEMENT_CLASS(TcxComboBoxPopupWindow, TcxCustomEditPopupWindow)
TOVANI_IMPLEMENT_CLASS(TcxPopupEditPopupWindow, TcxCustomEditPopupWindow)

namespace {
constexpr Integer kShadowSize = 3;

// One mouse resize at a time, whichever popup it is in.
struct TResizeState {
  bool InProgress = false;
  bool SizingCursorSet = false;
  Integer Horz = 0, Vert = 0;
  Integer GrabX = 0, GrabY = 0;
  TRect FinalRect;
  TcxCustomEditPopupWindow* Window = nullptr;
};
TResizeState GResize;

TCursor SizingCursor(Integer H, Integer V) {
  if ((H == -1 && V == -1) || (H == 1 && V == 1)) return crSizeNWSE;
  if ((H == 1 && V == -1) || (H == -1 && V == 1)) return crSizeNESW;
  if (H != 0) return crSizeWE;
  if (V != 0) return crSizeNS;
  return crDefault;
}

TRect Deflated(const TRect& R, Integer D) { return TRect(R.Left + D, R.Top + D, R.Right - D, R.Bottom - D); }
}  // namespace

// ---------------------------------------------------------------------------
// View info

Integer TcxCustomEditPopupWindowViewInfo::StandardSysPanelHeight() {
  return std::max(GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYSIZE));
}

Integer TcxCustomEditPopupWindowViewInfo::GetBorderWidth() {
  if (OnCustomDrawBorder) {
    bool handled = false;
    Integer width = 0;
    OnCustomDrawBorder(this, nullptr, Bounds, handled, width);
    if (handled) return width;
  }
  if (NativeStyle || Painter) return 1;
  static const Integer widths[] = {0, 1, 4, 2};
  return PopupBorderStyle >= 0 && PopupBorderStyle <= 3 ? widths[PopupBorderStyle] : 0;
}

Integer TcxCustomEditPopupWindowViewInfo::GetClientEdgeWidth() {
  if (!ClientEdge) return 0;
  if (NativeStyle || Painter) return 2;
  static const Integer widths[] = {0, 2, 2, 1};
  return PopupBorderStyle >= 0 && PopupBorderStyle <= 3 ? widths[PopupBorderStyle] : 0;
}

bool TcxCustomEditPopupWindowViewInfo::HasSysPanelSeparator() {
  return NativeStyle || PopupBorderStyle == 1 || Painter;
}

Integer TcxCustomEditPopupWindowViewInfo::GetSysPanelHeight() {
  return std::max(StandardSysPanelHeight(), MinSysPanelHeight);
}

void TcxCustomEditPopupWindowViewInfo::CalculateBorderExtent(TRect& AExtent) {
  Integer w = GetBorderWidth() + GetClientEdgeWidth();
  AExtent = TRect(w, w, w, w);
  if (Shadow) {
    AExtent.Right += kShadowSize;
    AExtent.Bottom += kShadowSize;
  }
  if (SysPanelStyle) {
    SysPanelHeight = GetSysPanelHeight();
    Integer h = SysPanelHeight + (HasSysPanelSeparator() ? 1 : 0);
    if (IsGripAtBottom())
      AExtent.Bottom += h;
    else
      AExtent.Top += h;
  } else {
    SysPanelHeight = 0;
  }
  ResizeHitWidth = StandardSysPanelHeight();
}

void TcxCustomEditPopupWindowViewInfo::Calculate() {
  TRect ext;
  CalculateBorderExtent(ext);
  TRect origin(0, 0, Bounds.Width(), Bounds.Height());
  ClientRect = TRect(origin.Left + ext.Left, origin.Top + ext.Top, origin.Right - ext.Right, origin.Bottom - ext.Bottom);
  BorderRect = origin;
  SysPanelBounds = Deflated(origin, GetBorderWidth() + (SysPanelStyle ? 0 : GetClientEdgeWidth()));
  if (Shadow) {
    SysPanelBounds.Right -= kShadowSize;
    SysPanelBounds.Bottom -= kShadowSize;
  }
  // The classic close button: the themed one is not drawn by this program.
  CloseButtonNativeState = 0;
  SizeGripRect = SizeGripCornerRect = CloseButtonRect = TRect();
  if (!SysPanelStyle) return;
  const Integer panel = StandardSysPanelHeight();
  if (Sizeable) {
    const Integer g = panel - 2;
    TRect& r = SizeGripCornerRect;
    r.Left = IsGripAtRight() ? SysPanelBounds.Right - g : SysPanelBounds.Left;
    r.Right = r.Left + g;
    r.Top = IsGripAtBottom() ? SysPanelBounds.Bottom - g : SysPanelBounds.Top;
    r.Bottom = r.Top + g;
    SizeGripRect = r;
    if (IsGripAtRight())
      SizeGripRect.Right -= 2;
    else
      SizeGripRect.Left += 2;
    if (IsGripAtBottom())
      SizeGripRect.Bottom -= 2;
    else
      SizeGripRect.Top += 2;
  }
  if (CloseButton) {
    const Integer size = panel - 4;
    TRect& c = CloseButtonRect;
    if (IsGripAtRight()) {
      c.Left = SysPanelBounds.Left + 2 + 1;
      c.Right = c.Left + size;
    } else {
      c.Right = SysPanelBounds.Right - 2 - 1;
      c.Left = c.Right - size;
    }
    if (IsGripAtBottom()) {
      c.Bottom = SysPanelBounds.Bottom - 2;
      c.Top = c.Bottom - size;
    } else {
      c.Top = SysPanelBounds.Top + 2;
      c.Bottom = c.Top + size;
    }
  }
}

bool TcxCustomEditPopupWindowViewInfo::GetSizingDirectionAt(Integer X, Integer Y, Integer& AHorz, Integer& AVert) {
  AHorz = AVert = 0;
  if (!Sizeable) return false;
  TRect origin(0, 0, Bounds.Width(), Bounds.Height());
  TPoint p(X, Y);
  if (!origin.Contains(p)) return false;
  if (!SizeGripCornerRect.IsEmpty() && SizeGripCornerRect.Contains(p)) {
    AHorz = IsGripAtRight() ? 1 : -1;
    AVert = IsGripAtBottom() ? 1 : -1;
    return true;
  }
  if (SysPanelBounds.Contains(p)) return false;
  // On the border: only the edges on the grip's sides can be taken.
  if (X < ResizeHitWidth && !IsGripAtRight()) AHorz = -1;
  if (X >= origin.Right - ResizeHitWidth && IsGripAtRight()) AHorz = 1;
  if (Y < ResizeHitWidth && !IsGripAtBottom()) AVert = -1;
  if (Y >= origin.Bottom - ResizeHitWidth && IsGripAtBottom()) AVert = 1;
  return true;
}

void TcxCustomEditPopupWindowViewInfo::DrawBorder(TcxCanvas* ACanvas, TRect& R) {
  if (OnCustomDrawBorder) {
    bool handled = false;
    Integer width = 0;
    OnCustomDrawBorder(this, ACanvas, R, handled, width);
    if (handled) {
      R = Deflated(R, width);
      return;
    }
  }
  if (NativeStyle || Painter || PopupBorderStyle == 1) {
    ACanvas->DrawRectBorders(R, clBtnText, 1, cxBordersAll);
    R = Deflated(R, 1);
    return;
  }
  if (PopupBorderStyle == 2 || PopupBorderStyle == 3) {
    ACanvas->Draw3DEdge(R, false, true);
    R = Deflated(R, 1);
    ACanvas->Draw3DEdge(R, false, false);
    R = Deflated(R, 1);
    if (PopupBorderStyle == 2) {
      ACanvas->DrawRectBorders(R, ClientEdge ? clInactiveBorder : clBtnFace, 1, cxBordersAll);
      R = Deflated(R, 1);
      if (ClientEdge)
        ACanvas->DrawRectBorders(R, clBtnFace, 1, cxBordersAll);
      else
        ACanvas->Draw3DEdge(R, true, false);
      R = Deflated(R, 1);
    }
  }
}

void TcxPopupEditPopupWindowViewInfo::DrawBorder(TcxCanvas* ACanvas, TRect& R) {
  if (OnCustomDrawBorder || NativeStyle || Painter || PopupBorderStyle != 2) {
    TcxCustomEditPopupWindowViewInfo::DrawBorder(ACanvas, R);
    return;
  }
  ACanvas->Draw3DEdge(R, false, true);
  R = Deflated(R, 1);
  ACanvas->Draw3DEdge(R, false, false);
  R = Deflated(R, 1);
  ACanvas->DrawRectBorders(R, clInactiveBorder, 1, cxBordersAll);
  R = Deflated(R, 1);
  ACanvas->DrawRectBorders(R, clBtnFace, 1, cxBordersAll);
  R = Deflated(R, 1);
}

void TcxCustomEditPopupWindowViewInfo::DrawCloseButton(TcxCanvas* ACanvas) {
  TcxLookAndFeelPainterClass painter = cxGetEditPainterClass(NativeStyle, LookAndFeelKind);
  TcxButtonState state = CloseButtonState == 3 ? cxbsPressed : CloseButtonState == 2 ? cxbsHot : cxbsNormal;
  ACanvas->FillRectColor(CloseButtonRect, clBtnFace);
  if (painter) {
    painter->PaintFilterCloseButton(ACanvas, CloseButtonRect, state);
  } else {
    RECT r{CloseButtonRect.Left, CloseButtonRect.Top, CloseButtonRect.Right, CloseButtonRect.Bottom};
    DrawFrameControl(ACanvas->Handle(), &r, DFC_CAPTION, DFCS_CAPTIONCLOSE | (state == cxbsPressed ? DFCS_PUSHED : 0));
  }
}

// The grip is drawn for the bottom-right corner and mirrored so that its
// lines point into the grip's corner.
void TcxCustomEditPopupWindowViewInfo::DrawSizeGrip(TcxCanvas* ACanvas) {
  const TRect& r = SizeGripRect;
  if (r.IsEmpty()) return;
  const Integer w = std::max(r.Width(), GetSystemMetrics(SM_CXVSCROLL));
  const Integer h = std::max(r.Height(), GetSystemMetrics(SM_CYHSCROLL));
  TBitmap bmp(w, h, pf24bit);
  bmp.Canvas()->Brush()->SetColor(clBtnFace);
  bmp.Canvas()->FillRect(TRect(0, 0, w, h));
  RECT full{0, 0, w, h};
  DrawFrameControl(bmp.Canvas()->Handle(), &full, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  const bool mirrorX = !IsGripAtRight(), mirrorY = !IsGripAtBottom();
  // The part of the grip that fits, taken from its corner.
  const Integer sx = w - r.Width(), sy = h - r.Height();
  StretchBlt(ACanvas->Handle(), mirrorX ? r.Right - 1 : r.Left, mirrorY ? r.Bottom - 1 : r.Top,
             mirrorX ? -r.Width() : r.Width(), mirrorY ? -r.Height() : r.Height(), bmp.Canvas()->Handle(), sx, sy,
             r.Width(), r.Height(), SRCCOPY);
}

void TcxCustomEditPopupWindowViewInfo::PaintContent(TcxCanvas* ACanvas) {
  TRect R(0, 0, Bounds.Width(), Bounds.Height());
  if (Shadow) {
    R.Right -= kShadowSize;
    R.Bottom -= kShadowSize;
    cxPaintContainerShadow(ACanvas, R);
  }
  DrawBorder(ACanvas, R);
  const Integer edge = GetClientEdgeWidth();
  const Integer panel = SysPanelStyle ? SysPanelHeight + (HasSysPanelSeparator() ? 1 : 0) : 0;
  if (SysPanelStyle && (PopupBorderStyle == 1 || CloseButtonNativeState != 0 || NativeStyle)) {
    TRect c = ClientRect;
    if (ClientEdge) c = Deflated(c, -edge);
    Integer y = IsGripAtBottom() ? c.Bottom : c.Top - 1;
    ACanvas->FillRectColor(TRect(c.Left, y, c.Right, y + 1), clBtnText);
  }
  if (ClientEdge) {
    TRect e = R;
    if (IsGripAtBottom())
      e.Bottom -= panel;
    else
      e.Top += panel;
    ACanvas->Draw3DEdge(e, true, true);
    if (!(PopupBorderStyle == 3 && !NativeStyle) && edge > 1) ACanvas->Draw3DEdge(Deflated(e, 1), true, false);
  }
  if (SysPanelStyle) {
    if (Sizeable && !SizeGripRect.IsEmpty()) {
      DrawSizeGrip(ACanvas);
      ACanvas->ExcludeFromClip(SizeGripRect);
    }
    if (!CloseButtonRect.IsEmpty()) {
      DrawCloseButton(ACanvas);
      ACanvas->ExcludeFromClip(CloseButtonRect);
    }
  }
  ACanvas->FillRectColor(ClientRect, clBtnFace);
  if (SysPanelStyle) {
    TRect strip = R;
    if (IsGripAtBottom())
      strip.Top = strip.Bottom - SysPanelHeight;
    else
      strip.Bottom = strip.Top + SysPanelHeight;
    ACanvas->FillRectColor(strip, clBtnFace);
  }
}

// ---------------------------------------------------------------------------
// The window

TcxCustomEditPopupWindow::TcxCustomEditPopupWindow(TWinControl* AOwnerControl) : TcxCustomPopupWindow(AOwnerControl) {
  SetViewInfoObject(CreateViewInfo());
  ViewInfo()->CloseButtonState = 1;
}

TcxCustomEditPopupWindow::~TcxCustomEditPopupWindow() {
  if (GResize.Window == this) GResize = TResizeState();
  FSizeFrame.reset();
}

TcxContainerViewInfo* TcxCustomEditPopupWindow::CreateViewInfo() { return new TcxCustomEditPopupWindowViewInfo(); }

TcxCustomDropDownEdit* TcxCustomEditPopupWindow::Edit() const {
  return dynamic_cast<TcxCustomDropDownEdit*>(OwnerControl());
}

bool TcxCustomEditPopupWindow::IsResizing() { return GResize.InProgress; }

void TcxCustomEditPopupWindow::SetEditBorderStyle(Integer Value) {
  FBorderStyle = Value;
  ViewInfo()->PopupBorderStyle = Value;
}
void TcxCustomEditPopupWindow::SetPopupClientEdge(bool Value) {
  FPopupClientEdge = Value;
  ViewInfo()->ClientEdge = Value;
}
void TcxCustomEditPopupWindow::SetCloseButton(bool Value) {
  FCloseButton = Value;
  ViewInfo()->CloseButton = Value;
}
void TcxCustomEditPopupWindow::SetNativeStyle(bool Value) {
  FNativeStyle = Value;
  ViewInfo()->NativeStyle = Value;
}
void TcxCustomEditPopupWindow::SetShadow(bool Value) {
  FShadow = Value;
  ViewInfo()->Shadow = Value;
}
void TcxCustomEditPopupWindow::SetPopupSizeable(bool Value) {
  FPopupSizeable = Value;
  ViewInfo()->Sizeable = Value;
}
void TcxCustomEditPopupWindow::SetPopupSysPanelStyle(bool Value) {
  FPopupSysPanelStyle = Value;
  ViewInfo()->SysPanelStyle = Value;
}

void TcxCustomEditPopupWindow::RefreshOwnerBounds() {
  if (TcxCustomDropDownEdit* e = Edit()) {
    TRect r;
    e->GetPopupOwnerBounds(r);
    SetOwnerBounds(r);
  }
}

TRect TcxCustomEditPopupWindow::Extents() {
  TRect e;
  ViewInfo()->GetClientExtent(e);
  return e;
}

void TcxCustomEditPopupWindow::CalculateViewInfo() {
  TcxCustomEditPopupWindowViewInfo* vi = ViewInfo();
  vi->Bounds = cxControlRectAtOrigin(this);
  vi->Calculate();
  if (TcxCustomDropDownEdit* e = Edit())
    if (e->PopupControlsLookAndFeel()) vi->LookAndFeelKind = e->PopupControlsLookAndFeel()->Kind();
  vi->Painter = Style()->LookAndFeel()->SkinPainter();
}

void TcxCustomEditPopupWindow::ForwardChar(char32_t Ch) {
  HWND focus = GetFocus();
  if (!focus) return;
  if (Ch > 0xFFFF) {
    for (char16_t u : Utf8ToUtf16(Utf8Encode(Ch))) SendMessageW(focus, WM_CHAR, u, 0);
  } else {
    SendMessageW(focus, WM_CHAR, WPARAM(Ch), 0);
  }
}

void TcxCustomEditPopupWindow::GetMinSize(TSize& ASize) {
  TRect e = Extents();
  ASize = TSize(e.Left + e.Right, e.Top + e.Bottom);
  if (FPopupSizeable && FPopupSysPanelStyle) {
    const Integer panel = TcxCustomEditPopupWindowViewInfo::StandardSysPanelHeight();
    ASize.cx += (panel - 4) + (panel - 2) + 10;
  }
}

void TcxCustomEditPopupWindow::GetMaxContentSize(TSize& ASize) {
  RefreshOwnerBounds();
  TRect owner = OwnerBounds();
  TWinControl* e = OwnerControl();
  if (e && e->Parent() && e->HandleAllocated() && cxIsChildStyleWindow(e->Handle()))
    owner = TRect(e->Parent()->ClientToScreen(owner.TopLeft()), e->Parent()->ClientToScreen(owner.BottomRight()));
  TRect work = WorkAreaAt(owner.TopLeft());
  const Integer shadow = FShadow ? kShadowSize : 0;
  if (Direction() == pflVertical) {
    ASize.cx = work.Width();
    ASize.cy = std::max(work.Bottom - owner.Bottom, owner.Top + shadow - work.Top);
  } else {
    ASize.cx = std::max(work.Right - owner.Right, owner.Left + shadow - work.Left) + 1;
    ASize.cy = work.Height();
  }
  TRect ext = Extents();
  ASize.cx -= ext.Left + ext.Right;
  ASize.cy -= ext.Top + ext.Bottom;
}

bool TcxCustomEditPopupWindow::CanResize(Integer& NewWidth, Integer& NewHeight) {
  if (FPopupSizeable && !FSizeCheckLock && (NewWidth != Width() || NewHeight != Height())) {
    TSize min;
    GetMinSize(min);
    NewWidth = std::max(NewWidth, std::max<Integer>(min.cx, FPopupMinWidth));
    NewHeight = std::max(NewHeight, std::max<Integer>(min.cy, FPopupMinHeight));
    TcxCustomDropDownEdit* e = Edit();
    if ((NewWidth != Width() || NewHeight != Height()) && e) {
      TRect ext = Extents();
      TSize content(NewWidth - ext.Left - ext.Right, NewHeight - ext.Top - ext.Bottom);
      TSize max;
      GetMaxContentSize(max);
      if (e->PopupListFitsSize(content, max)) {
        NewWidth = std::max<Integer>(content.cx + ext.Left + ext.Right, min.cx);
        NewHeight = std::max<Integer>(content.cy + ext.Top + ext.Bottom, min.cy);
      } else {
        NewWidth = Width();
        NewHeight = Height();
      }
    }
  }
  return TcxCustomPopupWindow::CanResize(NewWidth, NewHeight);
}

bool TcxCustomEditPopupWindow::CalculateSize() {
  TcxCustomDropDownEdit* e = Edit();
  return e && e->ActiveProperties()->AllowPopupShrinkToFit();
}

void TcxCustomEditPopupWindow::AdjustClientRect(TRect& Rect) {
  TRect e = Extents();
  Rect = TRect(e.Left, e.Top, Width() - e.Right, Height() - e.Bottom);
}

void TcxCustomEditPopupWindow::CreateParams(TCreateParams& Params) {
  TcxCustomPopupWindow::CreateParams(Params);
  TcxCustomDropDownEdit* e = Edit();
  if (e && e->IsNativeStyle() && cxDwmCompositionOn()) Params.WindowClass.style |= CS_DROPSHADOW;
}

void TcxCustomEditPopupWindow::AdjustSizeToControls() {
  ViewInfo()->GripCorner = cxGripBottomRight;
  RefreshOwnerBounds();
  TRect ext = Extents();
  TSize min, content;
  GetMinSize(min);
  if (TcxCustomDropDownEdit* e = Edit()) e->GetPopupContentSize(content);
  const TRect owner = OwnerBounds();
  Integer w, h;
  if (FPopupAutoSize)
    w = content.cx + ext.Left + ext.Right;
  else
    w = FPopupWidth != 0 ? FPopupWidth : owner.Width();
  if (FPopupSizeable && FPopupMinWidth > 0) w = std::max(w, FPopupMinWidth);
  if (FPopupAutoSize)
    h = content.cy + ext.Top + ext.Bottom;
  else
    h = FPopupHeight > 0 ? FPopupHeight : std::max<Integer>(FPopupMinHeight, min.cy);
  if (FPopupSizeable && FPopupMinHeight > 0) h = std::max(h, FPopupMinHeight);
  w = std::max<Integer>(w, min.cx);
  h = std::max<Integer>(h, min.cy);
  SetBounds(Left(), Top(), w, h);
}

void TcxComboBoxPopupWindow::AdjustSizeToControls() {
  ViewInfo()->GripCorner = cxGripBottomRight;
  RefreshOwnerBounds();
  TRect ext = Extents();
  TSize min, content;
  GetMinSize(min);
  TcxCustomDropDownEdit* e = Edit();
  if (e) e->GetPopupContentSize(content);
  const bool userSized = e && e->PopupSizeChanged();
  const Integer ownerWidth = OwnerBounds().Width();
  Integer w, h;
  if ((userSized && PopupSizeable()) || (!PopupAutoSize() && PopupWidth() > 0))
    w = PopupWidth();
  else if (PopupAutoSize())
    w = std::max<Integer>(content.cx + ext.Left + ext.Right, ownerWidth);
  else
    w = ownerWidth;
  if (((userSized && PopupSizeable()) || PopupHeight() != 0) && (PopupSizeable() || !PopupAutoSize()))
    h = PopupHeight();
  else
    h = content.cy + ext.Top + ext.Bottom;
  if (PopupSizeable()) {
    w = std::max(w, PopupMinWidth());
    h = std::max(h, PopupMinHeight());
  }
  w = std::max<Integer>(w, min.cx);
  h = std::max<Integer>(h, min.cy);
  SetBounds(Left(), Top(), w, h);
}

void TcxCustomEditPopupWindow::CalcPosition(TPoint& P) {
  RefreshOwnerBounds();
  TcxCustomPopupWindow::CalcPosition(P);
  const Integer w = Width(), h = Height();
  const TRect owner = GetOwnerScreenBounds();
  const TRect work = WorkAreaAt(P);
  const bool left = (AlignHorz() == phaRight && P.X + w == owner.Right && P.X > work.Left) || P.X + w == owner.Left ||
                    (P.X + w == work.Right && P.X < owner.Right);
  const bool above = (AlignVert() == pvaBottom && P.Y + h == owner.Bottom && P.Y > work.Top) ||
                     P.Y + h == owner.Top || (P.Y + h == work.Bottom && P.Y < owner.Bottom);
  ViewInfo()->GripCorner = Byte((left ? 0 : 1) | (above ? 0 : 2));
  // The shadow strip of a popup above the editor lies over the editor.
  if (FShadow && above) P.Y += kShadowSize;
}

TPoint TcxCustomEditPopupWindow::ComputePlacement() {
  AdjustSizeToControls();
  TPoint p(Left(), Top());
  CalcPosition(p);
  AdjustPosition(p);
  return p;
}

void TcxCustomEditPopupWindow::Popup(TWinControl* AFocusedControl) {
  TcxCustomDropDownEdit* e = Edit();
  if (e && (!e->HandleAllocated() || !IsWindowVisible(e->Handle()))) e->FinalizePopup();
  TcxCustomPopupWindow::Popup(AFocusedControl);
}

void TcxCustomEditPopupWindow::DoClosing() {
  TcxCustomPopupWindow::DoClosing();
  FSizeFrame.reset();
}

void TcxCustomEditPopupWindow::DoClosed() {
  if (GResize.Window == this) {
    GResize = TResizeState();
    SetCursor(crDefault);
  }
  TcxCustomPopupWindow::DoClosed();
}

void TcxCustomEditPopupWindow::CloseAfterModalResult() {
  TcxCustomDropDownEdit* e = Edit();
  if (!e) {
    ClosePopup();
    return;
  }
  switch (ModalResult()) {
    case mrOk: e->CloseUp(pcrAccept); break;
    case mrCancel: e->CloseUp(pcrCancel); break;
    default: e->CloseUp(pcrNone); break;
  }
}

void TcxCustomEditPopupWindow::RefreshLayout() {
  RefreshOwnerBounds();
  CalculateViewInfo();
  if (TcxCustomDropDownEdit* e = Edit()) e->PlacePopupContent(ViewInfo()->ClientRect);
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
  Refresh();
}

void TcxCustomEditPopupWindow::UpdateWindowRegion() {
  if (!HandleAllocated()) return;
  TRect R(0, 0, Width(), Height());
  TRect hole;
  if (!FNativeStyle && FShadow) {
    R.Right -= kShadowSize;
    R.Bottom -= kShadowSize;
    if (!ViewInfo()->IsGripAtBottom()) {
      // Above the editor: the bottom shadow strip over the editor is cut out.
      TRect owner = GetOwnerScreenBounds();
      TPoint tl = ScreenToClient(owner.TopLeft());
      TPoint br = ScreenToClient(owner.BottomRight());
      hole = TRect(std::max(tl.X, 0), Height() - kShadowSize, br.X - kShadowSize, Height());
      if (hole.Right <= hole.Left) hole = TRect();
    }
  }
  cxSetContainerRegion(Handle(), R, FNativeStyle, !FNativeStyle && FShadow, hole);
}

void TcxCustomEditPopupWindow::Resize() {
  TcxCustomPopupWindow::Resize();
  if (HandleAllocated()) UpdateWindowRegion();
}

void TcxCustomEditPopupWindow::Paint() {
  TcxCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (vi->Bounds.Width() != Width() || vi->Bounds.Height() != Height()) CalculateViewInfo();
  vi->PaintOn(cxCanvas());
}

void TcxCustomEditPopupWindow::SetCloseButtonState(Integer AState) {
  TcxCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (vi->CloseButtonState == AState) return;
  vi->CloseButtonState = AState;
  if (HandleAllocated() && !vi->CloseButtonRect.IsEmpty()) {
    RECT r{vi->CloseButtonRect.Left, vi->CloseButtonRect.Top, vi->CloseButtonRect.Right, vi->CloseButtonRect.Bottom};
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TcxCustomEditPopupWindow::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomPopupWindow::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TcxCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (!vi->CloseButtonRect.IsEmpty() && vi->CloseButtonRect.Contains(TPoint(X, Y))) {
    if (vi->CloseButtonState != 3) SetCloseButtonState(3);
    SetCapture(Handle());
    return;
  }
  Integer h = 0, v = 0;
  if (!vi->GetSizingDirectionAt(X, Y, h, v) || (h == 0 && v == 0)) return;
  SetCapture(Handle());
  GResize = TResizeState();
  GResize.Window = this;
  GResize.Horz = h;
  GResize.Vert = v;
  GResize.GrabX = h < 0 ? X : Width() - X;
  GResize.GrabY = v < 0 ? Y : Height() - Y;
  GResize.InProgress = true;
  GResize.FinalRect = BoundsRect();
  SetCursor(SizingCursor(h, v));
  GResize.SizingCursorSet = true;
  FSizeFrame = std::make_unique<TcxSizeFrame>(std::max(vi->GetBorderWidth(), 2));
  FSizeFrame->SetPopupParent(this);
  FSizeFrame->SetFrameBounds(BoundsRect());
  FSizeFrame->ShowNoActivate();
}

void TcxCustomEditPopupWindow::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomPopupWindow::MouseMove(Shift, X, Y);
  TcxCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (GResize.InProgress && GResize.Window == this) {
    Integer newW = Width(), newH = Height();
    if (GResize.Horz > 0) newW = X + GResize.GrabX;
    if (GResize.Horz < 0) newW = Width() - (X - GResize.GrabX);
    if (GResize.Vert > 0) newH = Y + GResize.GrabY;
    if (GResize.Vert < 0) newH = Height() - (Y - GResize.GrabY);
    // Growing from inside the window counts only on the grip itself.
    const bool onGrip = !vi->SizeGripCornerRect.IsEmpty() && vi->SizeGripCornerRect.Contains(TPoint(X, Y));
    if (FPopupSysPanelStyle && !onGrip) {
      if (GResize.Horz > 0 && newW > Width() && X < Width()) newW = Width();
      if (GResize.Vert > 0 && newH > Height() && Y < Height()) newH = Height();
    }
    if (!CanResize(newW, newH)) return;
    TRect cur = BoundsRect();
    TRect r = cur;
    if (GResize.Horz > 0) r.Right = r.Left + newW;
    if (GResize.Horz < 0) r.Left = r.Right - newW;
    if (GResize.Vert > 0) r.Bottom = r.Top + newH;
    if (GResize.Vert < 0) r.Top = r.Bottom - newH;
    // One pixel of the editor's span always stays covered.
    TRect owner = GetOwnerScreenBounds();
    if (r.Left > owner.Right - 1) r.Left = owner.Right - 1;
    if (r.Right < owner.Left + 1) r.Right = owner.Left + 1;
    // Not beyond the work area of the monitor under the cursor.
    TRect work = WorkAreaAt(ClientToScreen(TPoint(X, Y)));
    r.Left = std::max(r.Left, work.Left);
    r.Top = std::max(r.Top, work.Top);
    r.Right = std::min(r.Right, work.Right);
    r.Bottom = std::min(r.Bottom, work.Bottom);
    if (r != GResize.FinalRect) {
      if (TcxCustomDropDownEdit* e = Edit()) {
        e->SetPopupSizeChanged(true);
        e->SetPopupSizeChangedThisTime(true);
      }
      GResize.FinalRect = r;
      if (FSizeFrame) FSizeFrame->SetFrameBounds(r);
    }
    return;
  }
  TPoint p(X, Y);
  const bool onClose = !vi->CloseButtonRect.IsEmpty() && vi->CloseButtonRect.Contains(p);
  if (!onClose && vi->CloseButtonState != 1 && !(vi->CloseButtonState == 3 && Shift.Contains(ssLeft)))
    SetCloseButtonState(1);
  else if (onClose && !Shift.Contains(ssLeft) && !Shift.Contains(ssRight) && !Shift.Contains(ssMiddle))
    SetCloseButtonState(2);
  Integer h = 0, v = 0;
  if (vi->GetSizingDirectionAt(X, Y, h, v) && (h != 0 || v != 0)) {
    SetCursor(SizingCursor(h, v));
    GResize.SizingCursorSet = true;
  } else if (Cursor() != crDefault) {
    SetCursor(crDefault);
  }
}

void TcxCustomEditPopupWindow::EndResize(bool AApply) {
  TRect r = GResize.FinalRect;
  GResize = TResizeState();
  if (GetCapture() == Handle()) ReleaseCapture();
  FSizeFrame.reset();
  if (AApply && r != BoundsRect()) {
    LockSizeCheck(true);
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    LockSizeCheck(false);
    RefreshLayout();
    UpdateWindowRegion();
  }
}

void TcxCustomEditPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomPopupWindow::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (GResize.InProgress && GResize.Window == this) {
    EndResize(true);
    Integer h = 0, v = 0;
    SetCursor(ViewInfo()->GetSizingDirectionAt(X, Y, h, v) ? SizingCursor(h, v) : crDefault);
    return;
  }
  TcxCustomEditPopupWindowViewInfo* vi = ViewInfo();
  if (vi->CloseButtonState == 3) {
    if (GetCapture() == Handle()) ReleaseCapture();
    if (!vi->CloseButtonRect.IsEmpty() && vi->CloseButtonRect.Contains(TPoint(X, Y)) && CloseQuery()) {
      TcxObjectLinkGuard link(this);
      if (TcxCustomDropDownEdit* e = Edit()) e->CloseUp(pcrNone);
      if (!link.Alive()) return;
    }
    SetCloseButtonState(IsWindowVisible(Handle()) ? 2 : 1);
  }
}

// With the focus inside the popup, Esc closes it without taking its value
// (a mouse capture is released first), and F4 or Alt+Up/Down toggle it
// closed as they do in the editor.
void TcxCustomEditPopupWindow::KeyDown(Word& Key, TShiftState Shift) {
  const bool captured = HasMouseCapture();
  TcxCustomPopupWindow::KeyDown(Key, Shift);
  TcxCustomDropDownEdit* e = Edit();
  if (Key == 0 || captured || !e || !IsOpen() || !CaptureFocus()) return;
  const bool alt = Shift.Contains(ssAlt);
  if (Key == VK_ESCAPE && !alt) {
    Key = 0;
    e->CloseUp(pcrCancel);
  } else if (((Key == VK_UP || Key == VK_DOWN) && alt) || (Key == VK_F4 && !alt)) {
    Key = 0;
    e->CloseUp(pcrToggle);
  }
}

void TcxCustomEditPopupWindow::MouseLeaveWindow() {
  SetCloseButtonState(1);
  if (!GResize.InProgress && Cursor() != crDefault) SetCursor(crDefault);
}

void TcxCustomEditPopupWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case DXM_POPUPCHAR:
      // A character that arrives after the popup closed is dropped.
      if (IsOpen()) ForwardChar(char32_t(Message.WParam));
      return;
    case DXM_SHOWPOPUPWINDOW:
      Popup(FControlToFocus);
      return;
    case CM_MOUSELEAVE:
      MouseLeaveWindow();
      break;
    case WM_CAPTURECHANGED:
      // The button going up releases the capture before the mouse-up
      // handler runs: the resize ends with the frame's rectangle. Any other
      // loss of the capture cancels it.
      if (GResize.InProgress && GResize.Window == this && reinterpret_cast<HWND>(Message.LParam) != Handle())
        EndResize((GetKeyState(VK_LBUTTON) & 0x8000) == 0);
      break;
  }
  TcxCustomPopupWindow::Dispatch(Message);
}
