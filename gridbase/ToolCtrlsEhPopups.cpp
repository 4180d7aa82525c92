// Drop-down windows: placement within the work area, the size grip, the
// drop-down list box with incremental search, the list of recent texts and
// the drop-down month calendar.
#include <algorithm>
#include "ImgList.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "ToolCtrlsEh.h"
#include "VclWindows.h"
#include <commctrl.h>

TOVANI_IMPLEMENT_CLASS_FACTORY(TSizeGripEh, TCustomControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPopupListboxEh, TCustomListBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMRUListboxEh, TPopupListboxEh)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMRUListEh, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPopupMonthCalendarEh, TMonthCalendar)

TOVANI_PUBLISHED(TMRUListEh) {
  Property("AutoAdd", &TMRUListEh::AutoAdd, &TMRUListEh::SetAutoAdd).Default(true);
  Property("Active", &TMRUListEh::Active, &TMRUListEh::SetActive).Default(false);
  Property("CaseSensitive", &TMRUListEh::CaseSensitive, &TMRUListEh::SetCaseSensitive).Default(false);
  Property("Items", &TMRUListEh::Items, &TMRUListEh::SetItems);
  Property("Limit", &TMRUListEh::Limit, &TMRUListEh::SetLimit).Default(100);
  Property("Rows", &TMRUListEh::Rows, &TMRUListEh::SetRows).Default(7);
}

namespace {

// The owner window of the drop-down lists: a list box sends its owner-draw
// requests to its owner, and a top-level drop-down has no parent control to
// hand them on, so this hidden window passes them back to the list.
LRESULT CALLBACK DropDownOwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
    if (TWinControl* c = FindControl(dis->hwndItem)) return c->Perform(CN_DRAWITEM, wp, lp);
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND DropDownOwnerWindow() {
  static HWND window = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DropDownOwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TovaniDropDownOwnerEh";
    RegisterClassW(&wc);
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"TovaniDropDownOwnerEh", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           wc.hInstance, nullptr);
  }();
  return window;
}

}  // namespace

// ---------------------------------------------------------------------------
// Placement

TPoint FitDropDownToWorkAreaEh(const TRect& M, const TRect& W, TWinControl* DropDownWin, Integer Align) {
  Integer h = DropDownWin->Height();
  bool above = (M.Bottom + h > W.Bottom && M.Top - h >= W.Top) ||
               (M.Top - h < W.Top && W.Bottom - M.Bottom < M.Top - W.Top);
  TPoint p;
  if (above) {
    if (M.Top - h < W.Top) DropDownWin->SetHeight(M.Top - W.Top);
    p.Y = M.Top - DropDownWin->Height();
    DropDownWin->Perform(CM_CHANGEGRIPCORNER_EH, 2, 0);
  } else {
    if (M.Bottom + h > W.Bottom) DropDownWin->SetHeight(W.Bottom - M.Bottom);
    p.Y = M.Bottom;
    DropDownWin->Perform(CM_CHANGEGRIPCORNER_EH, 3, 0);
  }
  if (W.Width() < DropDownWin->Width()) DropDownWin->SetWidth(W.Width());
  Integer width = DropDownWin->Width();
  p.X = M.Left;
  if (Align == 1) p.X = M.Right - width;
  else if (Align == 2) p.X = M.Left - (width - M.Width()) / 2;
  if (p.X + width > W.Right) {
    p.X = W.Right - width;
    DropDownWin->Perform(CM_CHANGEGRIPCORNER_EH, 0, 0);
  } else if (p.X < W.Left) {
    p.X = W.Left;
    DropDownWin->Perform(CM_CHANGEGRIPCORNER_EH, 1, 0);
  } else {
    DropDownWin->Perform(CM_CHANGEGRIPCORNER_EH, Align == 1 ? 0 : 1, 0);
  }
  return p;
}

TPoint FitDropDownToRectEh(const TRect& MasterAbsRect, TWinControl* DropDownWin, Integer Align) {
  RECT m = *MasterAbsRect.AsRECT();
  HMONITOR mon = MonitorFromRect(&m, MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  TRect work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(mon, &mi)) work = {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
  return FitDropDownToWorkAreaEh(MasterAbsRect, work, DropDownWin, Align);
}

TPoint FitDropDownToControlEh(TControl* MasterWin, TWinControl* DropDownWin, Integer Align) {
  TRect r = MasterWin->BoundsRect();
  if (MasterWin->Parent()) {
    TPoint tl = MasterWin->Parent()->ClientToScreen({r.Left, r.Top});
    r = {tl.X, tl.Y, tl.X + r.Width(), tl.Y + r.Height()};
  }
  return FitDropDownToRectEh(r, DropDownWin, Align);
}

namespace {

bool TakeClick(TControl* Control, bool CheckClientRect) {
  if (!Control) return false;
  TWinControl* w = dynamic_cast<TWinControl*>(Control);
  if (!w) w = Control->Parent();
  if (!w || !w->HandleAllocated()) return false;
  MSG msg;
  if (!PeekMessageW(&msg, w->Handle(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_NOREMOVE)) return false;
  if (msg.message == WM_LBUTTONUP) return false;
  TPoint pt{short(LOWORD(msg.lParam)), short(HIWORD(msg.lParam))};
  if (Control != w) {
    if (w->ControlAtPos(pt, true) != Control) return false;
  } else if (!CheckClientRect) {
    return false;
  }
  if (CheckClientRect) {
    TPoint local = Control == w ? pt : Control->ScreenToClient(w->ClientToScreen(pt));
    if (!Control->ClientRect().Contains(local)) return false;
  }
  PeekMessageW(&msg, w->Handle(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE);
  return true;
}

}  // namespace

bool ClickIsOnControlEh(TControl* Control) { return TakeClick(Control, true); }

bool ClickIsOnButtonEh(TControl* Control) { return TakeClick(Control, false); }

bool IsWithinDoubleClickEh(TPoint OldPos, TPoint NewPos, Integer Interval) {
  return Interval <= Integer(GetDoubleClickTime()) && std::abs(NewPos.X - OldPos.X) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
         std::abs(NewPos.Y - OldPos.Y) <= GetSystemMetrics(SM_CYDOUBLECLK);
}

// ---------------------------------------------------------------------------
// TSizeGripEh

TSizeGripEh::TSizeGripEh(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable + csCaptureMouse);
  SetWidth(GetSystemMetrics(SM_CXVSCROLL));
  SetHeight(GetSystemMetrics(SM_CYHSCROLL));
  SetColor(clBtnFace);
  SetCursor(crSizeNWSE);
}

void TSizeGripEh::SetPosition(uint8_t v) {
  if (v == FPosition) return;
  FPosition = v;
  if (HandleAllocated()) RecreateWnd();
}

void TSizeGripEh::SetTriangular(bool v) {
  FTriangular = v;
  UpdateRegion();
}

void TSizeGripEh::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateRegion();
}

void TSizeGripEh::UpdateRegion() {
  if (HandleAllocated()) {
    Integer w = Width(), h = Height();
    HRGN rgn = nullptr;
    if (FTriangular) {
      POINT pts[3];
      switch (FPosition) {
        case 2: pts[0] = {0, h}, pts[1] = {w, h}, pts[2] = {w, 0}; break;
        case 3: pts[0] = {w, h}, pts[1] = {0, h}, pts[2] = {0, 0}; break;
        case 0: pts[0] = {w - 1, 0}, pts[1] = {0, 0}, pts[2] = {0, h - 1}; break;
        default: pts[0] = {w, h - 1}, pts[1] = {w, 0}, pts[2] = {1, 0}; break;
      }
      rgn = CreatePolygonRgn(pts, 3, WINDING);
    }
    SetWindowRgn(Handle(), rgn, TRUE);
  }
  UpdatePosition();
  SetCursor(FPosition == 0 || FPosition == 2 ? crSizeNWSE : crSizeNESW);
}

void TSizeGripEh::UpdatePosition() {
  if (!Parent() || !HandleAllocated()) return;
  Integer cw = Parent()->ClientWidth(), ch = Parent()->ClientHeight();
  TPoint p{0, 0};
  switch (FPosition) {
    case 1: p = {cw - Width(), 0}; break;
    case 2: p = {cw - Width(), ch - Height()}; break;
    case 3: p = {0, ch - Height()}; break;
    default: break;
  }
  FPositioning = true;
  SetBounds(p.X, p.Y, Width(), Height());
  Invalidate();
  FPositioning = false;
}

void TSizeGripEh::ChangePosition(Integer Where) {
  uint8_t p = FPosition;
  switch (Where) {
    case 0:
      if (p == 1) p = 0;
      else if (p == 2) p = 3;
      break;
    case 1:
      if (p == 0) p = 1;
      else if (p == 3) p = 2;
      break;
    case 2:
      if (p == 2) p = 1;
      else if (p == 3) p = 0;
      break;
    case 3:
      if (p == 1) p = 2;
      else if (p == 0) p = 3;
      break;
  }
  SetPosition(p);
}

void TSizeGripEh::SetGripVisible(bool v) {
  if (HandleAllocated()) ShowWindow(Handle(), v ? SW_SHOW : SW_HIDE);
}

TRect TSizeGripEh::WorkArea() {
  if (WorkAreaSource) return WorkAreaSource();
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return {r.left, r.top, r.right, r.bottom};
}

void TSizeGripEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Parent()) return;
  FInitScreenMousePos = ClientToScreen({X, Y});
  FOldMouseMovePos = FInitScreenMousePos;
  FParentWidth = Parent()->Width();
  FParentHeight = Parent()->Height();
  FParentClientWidth = Parent()->ClientWidth();
  FParentClientHeight = Parent()->ClientHeight();
}

void TSizeGripEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!Shift.Contains(ssLeft) || !MouseCapture() || FPositioning || !Parent()) return;
  TPoint pt = ClientToScreen({X, Y});
  if (pt == FOldMouseMovePos) return;
  TWinControl* p = Parent();
  TRect w = WorkArea();
  Integer dx = pt.X - FInitScreenMousePos.X, dy = pt.Y - FInitScreenMousePos.Y;
  Integer oldCW = p->ClientWidth(), oldCH = p->ClientHeight();
  Integer frameX = p->Width() - p->ClientWidth(), frameY = p->Height() - p->ClientHeight();
  TPoint origin = p->ClientToScreen({0, 0});
  if (FPosition == 1 || FPosition == 2) {
    Integer c = FParentClientWidth + dx;
    Integer edge = origin.X + c + (frameX - (origin.X - p->BoundsRect().Left - (p->Parent() ? 0 : 0)));
    // The screen X of the right window edge for that client width.
    TPoint windowOrigin = p->Parent() ? p->Parent()->ClientToScreen({p->Left(), p->Top()}) : TPoint{p->Left(), p->Top()};
    edge = windowOrigin.X + c + frameX;
    p->SetClientWidth(edge > w.Right ? c - (edge - w.Right) : c);
  } else {
    Integer n = FParentWidth - dx;
    Integer d = origin.X - w.Left - (n - p->Width());
    Integer oldW = p->Width();
    p->SetWidth(d >= 0 ? n : n + d);
    p->SetLeft(p->Left() + oldW - p->Width());
  }
  if (FPosition == 2 || FPosition == 3) {
    Integer c = FParentClientHeight + dy;
    TPoint windowOrigin = p->Parent() ? p->Parent()->ClientToScreen({p->Left(), p->Top()}) : TPoint{p->Left(), p->Top()};
    Integer edge = windowOrigin.Y + c + frameY;
    p->SetClientHeight(edge > w.Bottom ? c - (edge - w.Bottom) : c);
  } else {
    Integer n = FParentHeight - dy;
    Integer d = origin.Y - w.Top - (n - p->Height());
    Integer oldH = p->Height();
    p->SetHeight(d >= 0 ? n : n + d);
    p->SetTop(p->Top() + oldH - p->Height());
  }
  FOldMouseMovePos = pt;
  if (p->ClientWidth() != oldCW || p->ClientHeight() != oldCH) ParentResized();
  UpdatePosition();
}

void TSizeGripEh::ParentResized() {
  if (OnParentResized) OnParentResized(this);
}

void TSizeGripEh::Dispatch(TMessage& Message) {
  TCustomControl::Dispatch(Message);
  if (Message.Msg == WM_MOVE && !FPositioning) UpdatePosition();
}

void TSizeGripEh::Paint() {
  TCanvas* c = Canvas();
  Integer w = Width();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(ClientRect());
  const TColor colors[4] = {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnFace};
  for (Integer i = 1, k = 0; i < w; ++i, ++k) {
    c->Pen()->SetColor(colors[k % 4]);
    Integer s = i - 1;
    switch (FPosition) {
      case 2: c->Polyline({TPoint{s, w}, TPoint{w, s}}); break;
      case 3: c->Polyline({TPoint{0, 1 + s}, TPoint{w - 1 - s, w}}); break;
      case 0: c->Polyline({TPoint{w - 1 - s, -1}, TPoint{-1, w - 1 - s}}); break;
      default: c->Polyline({TPoint{w, w - 1 - s}, TPoint{s, -1}}); break;
    }
  }
}

// ---------------------------------------------------------------------------
// TPopupListboxEh

TPopupListboxEh::TPopupListboxEh(TComponent* AOwner) : TCustomListBox(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  SetStyle(lbOwnerDrawFixed);
  FSizeGrip = new TSizeGripEh(this);
  FSizeGrip->SetParent(this);
  FSizeGrip->SetTriangular(true);
  SetTabStop(false);
  FBorderWidth = Ctl3D() ? 2 : 0;
  TickSource = [] { return GetTickCount(); };
}

void TPopupListboxEh::CreateParams(TCreateParams& Params) {
  TCustomListBox::CreateParams(Params);
  // A top-level window of its own: the field's edit keeps the focus.
  Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP | WS_CLIPCHILDREN;
  Params.Style &= ~WS_BORDER;
  if (!Ctl3D()) Params.Style |= WS_BORDER;
  Params.ExStyle = (Params.ExStyle & ~WS_EX_CLIENTEDGE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = DropDownOwnerWindow();
}

void TPopupListboxEh::CreateWnd() {
  TCustomListBox::CreateWnd();
  // The selection is drawn as focused although the focus stays in the edit.
  DefWindowProcW(Handle(), WM_SETFOCUS, 0, 0);
}

Integer TPopupListboxEh::GetFontTextHeight() {
  TBitmap scratch(1, 1);
  scratch.Canvas()->Font()->Assign(Font());
  TEXTMETRICW tm{};
  GetTextMetricsW(scratch.Canvas()->Handle(), &tm);
  return tm.tmHeight;
}

Integer TPopupListboxEh::RowHeight() {
  Integer h = ItemHeight();
  return h > 0 ? h : std::max(GetFontTextHeight(), 1);
}

Integer TPopupListboxEh::BorderHeight() {
  TCreateParams p;
  CreateParams(p);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
  return (r.bottom - r.top) + 2 * FBorderWidth;
}

void TPopupListboxEh::SetRowCount(Integer N) { SetHeight(std::max(N, 1) * RowHeight() + BorderHeight()); }

void TPopupListboxEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  Integer border = BorderHeight(), row = RowHeight();
  Integer rows = std::max((AHeight - border) / row, 1);
  FRowCount = rows;
  TCustomListBox::SetBounds(ALeft, ATop, AWidth, border + rows * row);
}

void TPopupListboxEh::SetImageList(TCustomImageList* v) {
  FImages = v;
  Invalidate();
}

void TPopupListboxEh::SetVirtualItems(TStrings* v) {
  if (v == FVirtualItems) return;
  FVirtualItems = v;
  SetStyle(v ? lbVirtualOwnerDraw : lbOwnerDrawFixed);
}

String TPopupListboxEh::GetVirtualItemText(Integer Index) {
  return FVirtualItems && Index >= 0 && Index < FVirtualItems->Count() ? FVirtualItems->Strings(Index) : String();
}

void TPopupListboxEh::DrawItem(Integer Index, TRect Rect, TItemDrawState State) {
  String text = FVirtualItems ? GetVirtualItemText(Index) : Items()->Strings(Index);
  TCanvas* c = Canvas();
  if (!FImages) {
    c->FillRect(Rect);
    c->TextRect(Rect, Rect.Left + 2, Rect.Top, text);
    return;
  }
  Integer imageIndex = Index;
  if (OnGetImageIndex) OnGetImageIndex(Owner(), Index, imageIndex);
  TRect imageRect{Rect.Left, Rect.Top, Rect.Left + FImages->Width() + 4, Rect.Bottom};
  TRect textRect{imageRect.Right, Rect.Top, Rect.Right, Rect.Bottom};
  c->FillRect(imageRect);
  DrawClippedImageEh(c->Handle(), imageRect, FImages, imageIndex, State.Contains(odsSelected));
  RECT tr = *textRect.AsRECT();
  std::u16string w = Utf8ToUtf16(text);
  c->Brush();   // keep the selection colours the list set
  c->FillRect(textRect);
  ExtTextOutW(c->Handle(), Rect.Left + FImages->Width() + 5, Rect.Top, ETO_CLIPPED | ETO_OPAQUE, &tr,
              reinterpret_cast<LPCWSTR>(w.c_str()), UINT(w.size()), nullptr);
}

void TPopupListboxEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomListBox::MouseMove(Shift, X, Y);
  TPoint p{X, Y};
  if (p == FMousePos) return;
  if (!Shift.Contains(ssLeft) && !Shift.Contains(ssRight) && !Shift.Contains(ssMiddle)) {
    Integer i = ItemAtPos(p, true);
    if (i >= 0 && i != ItemIndex()) SetItemIndex(i);
  }
  FMousePos = p;
}

void TPopupListboxEh::KeyPress(char32_t& Key) {
  if (Key == 8 || Key == 27) {
    FSearchText.clear();
  } else if (Key >= 32) {
    DWORD now = TickSource ? TickSource() : GetTickCount();
    if (now - FSearchTickCount > 2000) FSearchText.clear();
    FSearchTickCount = now;
    // The search text holds whole characters and at most 32 of them.
    if (Utf8Length(FSearchText) < 32) FSearchText += Utf8Encode(Key);
    if (HandleAllocated()) {
      std::u16string w = Utf8ToUtf16(FSearchText);
      SendMessageW(Handle(), LB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(w.c_str()));
    }
    Key = 0;
  }
  TCustomListBox::KeyPress(Key);
}

bool TPopupListboxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (!TCustomListBox::DoMouseWheelDown(Shift, MousePos)) SetTopIndex(TopIndex() + 1);
  return true;
}

bool TPopupListboxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (!TCustomListBox::DoMouseWheelUp(Shift, MousePos)) SetTopIndex(std::max(TopIndex() - 1, 0));
  return true;
}

void TPopupListboxEh::DrawBorder() {
  if (!Ctl3D() || !HandleAllocated()) return;
  HDC dc = GetWindowDC(Handle());
  RECT r{0, 0, Width(), Height()};
  DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
  InflateRect(&r, -1, -1);
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  ReleaseDC(Handle(), dc);
}

void TPopupListboxEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE: {
      TCustomListBox::Dispatch(Message);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      InflateRect(r, -FBorderWidth, -FBorderWidth);
      return;
    }
    case WM_NCPAINT:
      TCustomListBox::Dispatch(Message);
      DrawBorder();
      return;
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(Message.LParam);
      if (!(wp->flags & SWP_NOSIZE) && !ComponentState().Contains(csDestroying)) {
        wp->cx = std::max(wp->cx, GetSystemMetrics(SM_CXVSCROLL));
        wp->cy = std::max(wp->cy, GetSystemMetrics(SM_CYHSCROLL));
      }
      break;
    }
    case WM_SIZE:
      TCustomListBox::Dispatch(Message);
      if (FSizeGrip) FSizeGrip->UpdatePosition();
      FSizeChanged = true;
      return;
    case CM_CTL3DCHANGED:
      FBorderWidth = Ctl3D() ? 2 : 0;
      if (HandleAllocated()) RecreateWnd();
      break;
    case CM_CHANGEGRIPCORNER_EH:
      if (FSizeGrip) FSizeGrip->ChangePosition(Integer(Message.WParam));
      return;
  }
  TCustomListBox::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// TMRUListboxEh

TMRUListboxEh::TMRUListboxEh(TComponent* AOwner) : TPopupListboxEh(AOwner) {
  FScrollBar = new TScrollBar(this);
  FScrollBar->SetKind(sbVertical);
  FScrollBar->SetControlStyle(FScrollBar->ControlStyle() + csReplicatable);
  FScrollBar->SetWidth(GetSystemMetrics(SM_CXVSCROLL));
  FScrollBar->SetTabStop(false);
  FScrollBar->SetParent(this);
  // The bar scrolls the list.
  FScrollBar->OnScroll = [this](TObject*, TScrollCode, Integer& pos) {
    SetTopIndex(pos);
    pos = TopIndex();
  };
}

void TMRUListboxEh::CreateParams(TCreateParams& Params) {
  TPopupListboxEh::CreateParams(Params);
  Params.Style &= ~(WS_VSCROLL | WS_HSCROLL);
}

TRect TMRUListboxEh::ScrollBarRect() {
  Integer cw = ClientWidth(), ch = ClientHeight(), bw = FScrollBar->Width();
  Integer gh = SizeGrip() ? SizeGrip()->Height() : 0;
  uint8_t pos = SizeGrip() ? SizeGrip()->Position() : 2;
  if (pos == 2) return {cw - bw, 0, cw, ch - gh};
  if (pos == 1) return {cw - bw, gh, cw, ch};
  return {cw - bw, 0, cw, ch};
}

void TMRUListboxEh::RepositionScrollBar() {
  if (!HandleAllocated() || !FScrollBar->HandleAllocated()) return;
  TRect r = ScrollBarRect();
  FPositioning = true;
  MoveWindow(FScrollBar->Handle(), r.Left, r.Top, r.Width(), r.Height(), TRUE);
  FPositioning = false;
}

void TMRUListboxEh::UpdateScrollBar() {
  if (!HandleAllocated()) return;
  FPositioning = true;
  FScrollBar->SetCtl3D(false);
  TRect r = ScrollBarRect();
  FScrollBar->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  FScrollBar->SetPageSize(0);
  Integer visible = ClientHeight() / std::max(RowHeight(), 1);
  uint8_t pos = SizeGrip() ? SizeGrip()->Position() : 2;
  if (Count() > 0 && visible < Count()) {
    FScrollBar->SetParams(TopIndex(), 0, Count() - 1);
    FScrollBar->SetPageSize(visible);
    FScrollBar->SetVisible(true);
    if (SizeGrip()) SizeGrip()->SetTriangular(pos == 0 || pos == 3);
  } else {
    FScrollBar->SetVisible(false);
    if (SizeGrip()) SizeGrip()->SetTriangular(true);
  }
  FPositioning = false;
}

void TMRUListboxEh::Dispatch(TMessage& Message) {
  TPopupListboxEh::Dispatch(Message);
  switch (Message.Msg) {
    case WM_SIZE:
    case CM_CHANGEGRIPCORNER_EH: UpdateScrollBar(); break;
    case CM_MOUSEWHEEL:
    case CM_CHANGED:
      RepositionScrollBar();
      UpdateScrollBar();
      break;
  }
}

// ---------------------------------------------------------------------------
// TMRUListEh

TMRUListEh::TMRUListEh(TPersistent* AOwner) : FItems(new TStringList), FOwner(AOwner) {}

TMRUListEh::~TMRUListEh() = default;

void TMRUListEh::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TMRUListEh*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  SetActive(s->Active());
  SetItems(s->Items());
  SetLimit(s->Limit());
  SetRows(s->Rows());
  SetCaseSensitive(s->CaseSensitive());
}

void TMRUListEh::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  if (OnActiveChanged) OnActiveChanged(this);
}

void TMRUListEh::SetLimit(Integer v) {
  if (v == FLimit) return;
  FLimit = v;
  TrimToLimit();
}

void TMRUListEh::TrimToLimit() {
  while (FItems->Count() > std::max(FLimit, 0)) FItems->Delete(0);
}

namespace {
bool LocaleEqual(const String& a, const String& b, DWORD flags) {
  std::u16string wa = Utf8ToUtf16(a), wb = Utf8ToUtf16(b);
  return CompareStringW(LOCALE_USER_DEFAULT, flags, reinterpret_cast<LPCWSTR>(wa.c_str()), int(wa.size()),
                        reinterpret_cast<LPCWSTR>(wb.c_str()), int(wb.size())) == CSTR_EQUAL;
}
}  // namespace

void TMRUListEh::AddText(const String& Text) {
  if (Trim(Text).empty()) return;
  for (Integer i = 0; i < FItems->Count(); ++i) {
    const String item = FItems->Strings(i);
    bool equal = FCaseSensitive ? item == Text : LocaleEqual(item, Text, NORM_IGNORECASE);
    if (equal) {
      FItems->Move(i, FItems->Count() - 1);
      return;
    }
  }
  FItems->Add(Text);
  TrimToLimit();
}

bool TMRUListEh::FilterItems(TStrings* Strings, const String& Text) {
  Strings->BeginUpdate();
  struct EndUpdate {
    TStrings* S;
    ~EndUpdate() { S->EndUpdate(); }
  } end{Strings};
  Strings->Clear();
  std::u16string prefix = Utf8ToUtf16(Text);
  for (Integer i = 0; i < FItems->Count(); ++i) {
    String item = FItems->Strings(i);
    // The item's first characters, as many as the text has (whole characters).
    std::u16string w = Utf8ToUtf16(item).substr(0, prefix.size());
    bool accept = CompareStringW(LOCALE_USER_DEFAULT, FCaseSensitive ? 0 : NORM_IGNORECASE,
                                 reinterpret_cast<LPCWSTR>(w.c_str()), int(w.size()),
                                 reinterpret_cast<LPCWSTR>(prefix.c_str()), int(prefix.size())) == CSTR_EQUAL;
    if (OnFilterItem) OnFilterItem(this, accept);
    if (accept) Strings->Add(item);
    if (i % 100 == 0 && FCancelIfKeyInQueue) {
      MSG msg;
      if (PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) return false;
    }
  }
  return true;
}

void TMRUListEh::CloseUp(bool Accept) {
  if (CloseUpHandler) CloseUpHandler(this, Accept);
}

void TMRUListEh::DropDown() {
  if (DropDownHandler) DropDownHandler(this);
}

// ---------------------------------------------------------------------------
// TPopupMonthCalendarEh

TPopupMonthCalendarEh::TPopupMonthCalendarEh(TComponent* AOwner) : TMonthCalendar(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  SetCtl3D(true);
  SetParentCtl3D(false);
  FBorderWidth = 2;
}

void TPopupMonthCalendarEh::CreateParams(TCreateParams& Params) {
  TMonthCalendar::CreateParams(Params);
  Params.Style = (Params.Style & ~WS_CHILD) | WS_POPUP;
  if (!Ctl3D()) Params.Style |= WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

void TPopupMonthCalendarEh::CreateWnd() {
  TMonthCalendar::CreateWnd();
  RECT r{};
  SendMessageW(Handle(), MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&r));
  SetBounds(Left(), Top(), r.right - r.left + 2 * FBorderWidth, r.bottom - r.top + 2 * FBorderWidth);
}

void TPopupMonthCalendarEh::CloseOwner(bool Accept) {
  if (auto* owner = dynamic_cast<IPopupOwnerEh*>(Owner())) owner->CloseUp(Accept);
}

void TPopupMonthCalendarEh::KeyDown(Word& Key, TShiftState Shift) {
  TMonthCalendar::KeyDown(Key, Shift);
  if (Key == VK_RETURN || Key == VK_ESCAPE) {
    CloseOwner(Key == VK_RETURN);
    Key = 0;
  }
}

void TPopupMonthCalendarEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TMonthCalendar::MouseDown(Button, Shift, X, Y);
  if (!TRect{0, 0, Width(), Height()}.Contains({X, Y})) CloseOwner(false);
}

void TPopupMonthCalendarEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TMonthCalendar::MouseUp(Button, Shift, X, Y);
  if (!TRect{0, 0, Width(), Height()}.Contains({X, Y}) || !HandleAllocated()) return;
  MCHITTESTINFO hit{};
  hit.cbSize = sizeof(hit);
  hit.pt = {X, Y};
  UINT code = UINT(SendMessageW(Handle(), MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if ((code & MCHT_CALENDARDATE) && code != MCHT_CALENDARDAY && code != MCHT_TITLEBTNNEXT &&
      code != MCHT_TITLEBTNPREV)
    CloseOwner(true);
}

bool TPopupMonthCalendarEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (!TMonthCalendar::DoMouseWheelDown(Shift, MousePos)) SetDate(Date() + 1);
  return true;
}

bool TPopupMonthCalendarEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (!TMonthCalendar::DoMouseWheelUp(Shift, MousePos)) SetDate(Date() - 1);
  return true;
}

void TPopupMonthCalendarEh::DrawBorder() {
  if (!Ctl3D() || !HandleAllocated()) return;
  HDC dc = GetWindowDC(Handle());
  RECT r{0, 0, Width(), Height()};
  DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
  InflateRect(&r, -1, -1);
  DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
  ReleaseDC(Handle(), dc);
}

void TPopupMonthCalendarEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TMonthCalendar::Dispatch(Message);
      Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
      return;
    case CM_WANTSPECIALKEY:
      if (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) {
        CloseOwner(Message.WParam == VK_RETURN);
        Message.Result = 1;
        return;
      }
      break;
    case WM_NCCALCSIZE: {
      TMonthCalendar::Dispatch(Message);
      auto* r = reinterpret_cast<RECT*>(Message.LParam);
      InflateRect(r, -FBorderWidth, -FBorderWidth);
      return;
    }
    case WM_NCPAINT:
      TMonthCalendar::Dispatch(Message);
      DrawBorder();
      return;
    case CM_CTL3DCHANGED:
      FBorderWidth = Ctl3D() ? 2 : 0;
      if (HandleAllocated()) RecreateWnd();
      break;
    case WM_KILLFOCUS: {
      // The focus leaving for a window outside the calendar closes it.
      HWND to = reinterpret_cast<HWND>(Message.WParam);
      if (HandleAllocated() && !(to && IsChild(Handle(), to))) PostMessageW(Handle(), CM_CLOSEUP_EH, 0, 0);
      break;
    }
    case CM_CLOSEUP_EH: CloseOwner(false); return;
  }
  TMonthCalendar::Dispatch(Message);
}
