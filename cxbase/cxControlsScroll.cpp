// The control's own scroll bars and size grip, the settling of their
// visibility, wheel scrolling and the middle-button autoscroll mode.
#include <algorithm>
#include <cmath>

#include "cxControls.h"

// ---------------------------------------------------------------------------
// TcxControlScrollBar

TOVANI_IMPLEMENT_CLASS(TcxControlScrollBar, TcxScrollBar)

TcxControlScrollBar::TcxControlScrollBar(TComponent* AOwner) : TcxScrollBar(AOwner) {
  SetColor(clBtnFace);
  SetControlStyle(ControlStyle() - csFramed + csNoDesignVisible);
  SetTabStop(false);
  SetVisible(false);
}

TcxControlScrollBar::~TcxControlScrollBar() { cxInvalidateObjectLinks(this); }

void TcxControlScrollBar::ApplyData() {
  if (!Data.Visible) return;
  // The pending values were checked by SetupScrollBar; a page larger than
  // Max (a range starting below 0) is limited so that the bar accepts it.
  Integer page = std::min(Data.PageSize, std::max(Data.Max, 0));
  SetScrollParams(Data.Min, std::max(Data.Max, Data.Min), false, std::max(page, 0),
                  std::clamp(Data.Position, Data.Min, std::max(Data.Max, Data.Min)));
  SetSmallChange(Data.SmallChange);
  SetLargeChange(Data.LargeChange);
}

void TcxControlScrollBar::WndProc(TMessage& Message) {
  if (Message.Msg == CM_DESIGNHITTEST) {
    Message.Result = 1;   // the bars work at design time
    return;
  }
  if (Message.Msg == WM_LBUTTONDOWN) {
    TcxObjectLinkGuard link(this);
    if (auto* control = dynamic_cast<TcxControl*>(Parent())) {
      if (control->CanFocusOnChildClick(this)) control->SetFocus();
    } else if (Parent() && Parent()->CanFocus()) {
      Parent()->SetFocus();
    }
    if (!link.Alive()) return;
  }
  TcxScrollBar::WndProc(Message);
}

// ---------------------------------------------------------------------------
// TcxSizeGrip

TOVANI_IMPLEMENT_CLASS(TcxSizeGrip, TCustomControl)

TcxSizeGrip::TcxSizeGrip(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  SetControlStyle(ControlStyle() + csNoDesignVisible);
  FLookAndFeel = std::make_unique<TcxLookAndFeel>(this);
  FLookAndFeel->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { Invalidate(); };
  SetVisible(false);
}

TcxSizeGrip::~TcxSizeGrip() = default;

void TcxSizeGrip::Paint() {
  Canvas()->Brush()->SetColor(FLookAndFeel->ActivePainter()->GetSizeGripColor());
  Canvas()->FillRect(ClientRect());
}

void TcxSizeGrip::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_ERASEBKGND) {
    Message.Result = 1;
    return;
  }
  TCustomControl::Dispatch(Message);
}

TSize cxSystemScrollBarSizes() { return TSize(GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)); }

// ---------------------------------------------------------------------------
// Building and placing the bars

void TcxControl::BuildScrollBars() {
  if (!HasScrollBars() || FHScrollBar) return;
  auto scrolled = [this](TObject* Sender, TScrollCode Code, Integer& Pos) { OwnBarScrolled(Sender, Code, Pos); };
  FHScrollBar = new TcxControlScrollBar(nullptr);
  FHScrollBar->SetKind(sbHorizontal);
  FHScrollBar->OnScroll = scrolled;
  FVScrollBar = new TcxControlScrollBar(nullptr);
  FVScrollBar->SetKind(sbVertical);
  FVScrollBar->OnScroll = scrolled;
  FSizeGrip = new TcxSizeGrip(nullptr);
  for (TControl* c : std::initializer_list<TControl*>{FHScrollBar, FVScrollBar, FSizeGrip})
    c->SetControlStyle(c->ControlStyle() + csReplicatable);
  FHScrollBar->LookAndFeel()->SetMaster(FLookAndFeel.get());
  FVScrollBar->LookAndFeel()->SetMaster(FLookAndFeel.get());
  FSizeGrip->LookAndFeel()->SetMaster(FLookAndFeel.get());
  if (TcxSettingsController* sc = cxSettingsController()) sc->AddListener(this);
}

void TcxControl::DropScrollBars() {
  if (TcxSettingsController* sc = cxSettingsController()) sc->RemoveListener(this);
  delete FSizeGrip;
  FSizeGrip = nullptr;
  delete FVScrollBar;
  FVScrollBar = nullptr;
  delete FHScrollBar;
  FHScrollBar = nullptr;
}

void TcxControl::AdoptScrollBars() {
  if (!FHScrollBar) return;
  FHScrollBar->SetParent(this);
  FVScrollBar->SetParent(this);
  FSizeGrip->SetParent(this);
}

void TcxControl::UpdateScrollBarControls() {
  if (HasScrollBars()) {
    BuildScrollBars();
    if (HandleAllocated()) AdoptScrollBars();
  } else {
    DropScrollBars();
  }
}

void TcxControl::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RefreshScrollBars();
}

bool TcxControl::HScrollBarVisible() {
  if (!FHScrollBar) return false;
  return FCalculatingScrollBarsParams ? FHScrollBar->Data.Visible : FHScrollBar->IsShown();
}

bool TcxControl::VScrollBarVisible() {
  if (!FVScrollBar) return false;
  return FCalculatingScrollBarsParams ? FVScrollBar->Data.Visible : FVScrollBar->IsShown();
}

TRect TcxControl::GetHScrollBarBounds() {
  TRect cb = GetClientBounds();
  return TRect(cb.Left, cb.Bottom, cb.Right, cb.Bottom + (FHScrollBar ? FHScrollBar->Height() : 0));
}

TRect TcxControl::GetVScrollBarBounds() {
  TRect cb = GetClientBounds();
  return TRect(cb.Right, cb.Top, cb.Right + (FVScrollBar ? FVScrollBar->Width() : 0), cb.Bottom);
}

TRect TcxControl::GetSizeGripBounds() {
  if (!FHScrollBar) return TRect();
  const Integer l = FVScrollBar->Left(), t = FHScrollBar->Top();
  return TRect(l, t, l + FVScrollBar->Width(), t + FHScrollBar->Height());
}

void TcxControl::SetScrollBarsBounds() {
  if (!FHScrollBar) return;
  if (FHScrollBar->IsShown()) FHScrollBar->SetBoundsRect(GetHScrollBarBounds());
  if (FVScrollBar->IsShown()) FVScrollBar->SetBoundsRect(GetVScrollBarBounds());
  if (FSizeGrip->Visible()) FSizeGrip->SetBoundsRect(GetSizeGripBounds());
}

void TcxControl::UpdateScrollBarsState() {
  if (!FHScrollBar) return;
  for (TWinControl* c : std::initializer_list<TWinControl*>{FHScrollBar, FVScrollBar, FSizeGrip})
    if (c->Visible() && c->HandleAllocated()) c->Invalidate();
}

void TcxControl::BringScrollBarsToFront() {
  if (!FHScrollBar) return;
  FHScrollBar->BringToFront();
  FVScrollBar->BringToFront();
  FSizeGrip->BringToFront();
}

void TcxControl::CheckScrollBarSizes() {
  if (!FHScrollBar) return;
  const TSize s = cxSystemScrollBarSizes();
  if (FHScrollBar->Height() == s.cy && FVScrollBar->Width() == s.cx) return;
  FHScrollBar->SetHeight(s.cy);
  FVScrollBar->SetWidth(s.cx);
  DoBoundsChanged();
}

void TcxControl::OwnBarScrolled(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos) {
  auto* bar = dynamic_cast<TcxScrollBar*>(Sender);
  if (bar) ScrollContent(bar->Kind(), ScrollCode, ScrollPos);
}

// ---------------------------------------------------------------------------
// Settling the bars

void TcxControl::SetupScrollBar(TScrollBarKind AKind, Integer AMin, Integer AMax, Integer AStep, Integer APage,
                                Integer APosition, bool AAllowShow, bool AAllowHide) {
  TcxControlScrollBar* bar = AKind == sbHorizontal ? FHScrollBar : FVScrollBar;
  if (!bar) return;
  TcxControlScrollBar::TData& d = bar->Data;
  const bool styleAllows = AKind == sbHorizontal ? (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
                                                 : (FScrollBars == ssVertical || FScrollBars == ssBoth);
  d.AllowShow = AAllowShow && styleAllows;
  d.AllowHide = AAllowHide;
  d.Visible = false;
  if (!d.AllowShow) return;
  if (AMax < AMin || Int64(APage) >= Int64(AMax) - AMin + 1 || APosition < AMin) {
    // Nothing to scroll: hidden, or shown disabled when it may not hide.
    if (!AAllowHide) {
      d.Visible = true;
      d.Enabled = false;
    }
    return;
  }
  d.Min = AMin;
  d.Max = AMax;
  d.Position = APosition;
  d.PageSize = APage;
  d.SmallChange = SmallInt(AStep);
  d.LargeChange = SmallInt(std::clamp(APage, 0, 32767));
  d.Visible = true;
  d.Enabled = true;
}

void TcxControl::CalcPendingScrollBars() {
  FCalculatingScrollBarsParams = true;
  FHScrollBar->Data.Visible = FVScrollBar->Data.Visible = false;
  // A descendant's layout may depend on which bars are shown: define again
  // until the visibilities stay put (bounded, so that a layout that never
  // settles cannot hang the control).
  for (int round = 0; round < 8; ++round) {
    const bool h = FHScrollBar->Data.Visible, v = FVScrollBar->Data.Visible;
    DefineScrollBars();
    if (h == FHScrollBar->Data.Visible && v == FVScrollBar->Data.Visible) break;
  }
  auto& hd = FHScrollBar->Data;
  auto& vd = FVScrollBar->Data;
  if (hd.Visible && vd.Visible && hd.Enabled && vd.Enabled && hd.AllowHide && vd.AllowHide &&
      PageInPixels(sbHorizontal) && PageInPixels(sbVertical)) {
    // Each bar is only needed because the other takes room: both go.
    const bool hSuperfluous = Int64(hd.PageSize) + FVScrollBar->Width() >= Int64(hd.Max) - hd.Min + 1;
    const bool vSuperfluous = Int64(vd.PageSize) + FHScrollBar->Height() >= Int64(vd.Max) - vd.Min + 1;
    if (hSuperfluous && vSuperfluous) {
      auto h = hd, v = vd;
      SetupScrollBar(sbHorizontal, h.Min, h.Max, h.SmallChange, h.PageSize + FVScrollBar->Width(), h.Position,
                     h.AllowShow, h.AllowHide);
      SetupScrollBar(sbVertical, v.Min, v.Max, v.SmallChange, v.PageSize + FHScrollBar->Height(), v.Position,
                     v.AllowShow, v.AllowHide);
    }
  }
  FCalculatingScrollBarsParams = false;
}

void TcxControl::EndScrollBarsUpdate() {
  if (FScrollBarsLockCount == 0) return;
  if (--FScrollBarsLockCount == 0 && FScrollBarsUpdateNeeded) {
    FScrollBarsUpdateNeeded = false;
    RefreshScrollBars();
  }
}

void TcxControl::RefreshScrollBars() {
  if (!FHScrollBar) return;
  if (FScrollBarsLockCount > 0) {
    FScrollBarsUpdateNeeded = true;
    return;
  }
  const bool outermost = !FUpdatingScrollBars;
  if (outermost) {
    FInitialHScrollBarVisible = FHScrollBar->IsShown();
    FInitialVScrollBarVisible = FVScrollBar->IsShown();
  }
  const bool savedUpdating = FUpdatingScrollBars;
  FUpdatingScrollBars = true;
  const bool hWas = FHScrollBar->IsShown(), vWas = FVScrollBar->IsShown();
  try {
    if (!FKeepInitialScrollBarsParams) {
      CalcPendingScrollBars();
      if (!outermost && FHScrollBar->Data.Visible == FInitialHScrollBarVisible &&
          FVScrollBar->Data.Visible == FInitialVScrollBarVisible) {
        // The layout oscillates: keep what is shown, the changed bar disabled.
        FKeepInitialScrollBarsParams = true;
        if (FHScrollBar->IsShown() != FInitialHScrollBarVisible) FHScrollBar->SetEnabled(false);
        if (FVScrollBar->IsShown() != FInitialVScrollBarVisible) FVScrollBar->SetEnabled(false);
      } else {
        for (TcxControlScrollBar* bar : {FHScrollBar, FVScrollBar}) {
          bar->ApplyData();
          bar->SetEnabled(bar->Data.Enabled);
          bar->SetVisible(bar->Data.Visible);
        }
      }
    }
    if (FHScrollBar->IsShown() != hWas || FVScrollBar->IsShown() != vWas) {
      DoBoundsChanged();
    } else {
      FSizeGrip->SetVisible(FHScrollBar->IsShown() && FVScrollBar->IsShown());
      SetScrollBarsBounds();
      if (CanBringScrollBarsToFront()) BringScrollBarsToFront();
    }
  } catch (...) {
    FUpdatingScrollBars = savedUpdating;
    if (outermost) FKeepInitialScrollBarsParams = false;
    throw;
  }
  FUpdatingScrollBars = savedUpdating;
  if (outermost) FKeepInitialScrollBarsParams = false;
}

// ---------------------------------------------------------------------------
// Wheel and lines

TcxMouseWheelScrollingKind TcxControl::GetMouseWheelScrollingKind() {
  return VScrollBarVisible() ? mwskVertical : mwskNone;
}

bool TcxControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  const TcxMouseWheelScrollingKind kind = GetMouseWheelScrollingKind();
  if (kind == mwskNone) return false;
  // Each message scrolls the system's number of lines, whatever the delta.
  const TcxDirection dir = kind == mwskVertical ? (WheelDelta >= 0 ? dirUp : dirDown)
                                                : (WheelDelta >= 0 ? dirLeft : dirRight);
  for (Integer i = 0, n = Mouse->WheelScrollLines(); i < n; ++i) ScrollOneLine(dir);
  return true;
}

void TcxControl::ScrollOneLine(TcxDirection ADirection) {
  if (ADirection == dirNone) return;
  if (!FHScrollBar && !CanScrollWithoutScrollBars(ADirection)) return;
  const bool horz = ADirection == dirLeft || ADirection == dirRight;
  TcxControlScrollBar* bar = horz ? FHScrollBar : FVScrollBar;
  Integer pos = bar ? bar->Position() : 0;
  ScrollContent(horz ? sbHorizontal : sbVertical, ADirection == dirLeft || ADirection == dirUp ? scLineUp : scLineDown,
                pos);
  Update();
}

// ---------------------------------------------------------------------------
// Middle-button autoscroll

namespace {
constexpr int cxAutoScrollBitmapSize = 28;

// The anchor image: a circle with arrows for the directions that scroll.
HBITMAP MakeAnchorBitmap(bool horz, bool vert) {
  TBitmap b(cxAutoScrollBitmapSize, cxAutoScrollBitmapSize, pf24bit);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWindow);
  c->FillRect(TRect(0, 0, cxAutoScrollBitmapSize, cxAutoScrollBitmapSize));
  c->Brush()->SetColor(clWindowText);
  c->Pen()->SetColor(clWindowText);
  const int m = cxAutoScrollBitmapSize / 2;
  c->Ellipse(m - 2, m - 2, m + 2, m + 2);
  if (vert) {
    c->Polygon({TPoint(m, 3), TPoint(m - 5, 9), TPoint(m + 5, 9)});
    c->Polygon({TPoint(m, cxAutoScrollBitmapSize - 4), TPoint(m - 5, cxAutoScrollBitmapSize - 10),
                TPoint(m + 5, cxAutoScrollBitmapSize - 10)});
  }
  if (horz) {
    c->Polygon({TPoint(3, m), TPoint(9, m - 5), TPoint(9, m + 5)});
    c->Polygon({TPoint(cxAutoScrollBitmapSize - 4, m), TPoint(cxAutoScrollBitmapSize - 10, m - 5),
                TPoint(cxAutoScrollBitmapSize - 10, m + 5)});
  }
  return b.ReleaseHandle();
}
}  // namespace

void TcxControl::RunAutoScroll() {
  const bool hShown = HScrollBarVisible(), vShown = VScrollBarVisible();
  if ((!hShown && !vShown) || !HandleAllocated()) return;
  FIsScrollingContent = true;
  TcxObjectLinkGuard link(this);
  const TPoint anchor = cxGetCursorPos();
  const int size = cxAutoScrollBitmapSize, half = size / 2;
  HBITMAP bitmap = MakeAnchorBitmap(hShown, vShown);
  HWND anchorWnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | SS_BITMAP,
                                   anchor.X - half, anchor.Y - half, size, size, Handle(), nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
  if (anchorWnd) {
    SendMessageW(anchorWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    SetWindowRgn(anchorWnd, CreateEllipticRgn(0, 0, size + 1, size + 1), TRUE);
    ShowWindow(anchorWnd, SW_SHOWNOACTIVATE);
  }
  TcxDirection direction = dirNone;
  int speed = 1, ticks = 0;
  bool movedOut = false;
  TPoint lastPoint = anchor;
  const TCursor neutralCursor = hShown && vShown ? crcxFullScroll : hShown ? crcxHorScroll : crcxVerScroll;
  auto setCursor = [&](TCursor c) {
    if (Screen) ::SetCursor(Screen->Cursors(c));
  };
  setCursor(neutralCursor);
  auto recompute = [&](TPoint p) {
    const int dx = p.X - anchor.X, dy = p.Y - anchor.Y;
    const int screenW = GetSystemMetrics(SM_CXVIRTUALSCREEN), screenH = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int zoneX = hShown ? half : screenW, zoneY = vShown ? half : screenH;
    if (std::abs(dx) < zoneX && std::abs(dy) < zoneY) {
      direction = dirNone;
      speed = 0;
      setCursor(neutralCursor);
      return;
    }
    movedOut = true;
    const bool vertical = !hShown || (vShown && std::abs(dy) >= std::abs(dx));
    int distance;
    if (vertical) {
      direction = dy < 0 ? dirUp : dirDown;
      distance = std::abs(dy);
    } else {
      direction = dx < 0 ? dirLeft : dirRight;
      distance = std::abs(dx);
    }
    speed = std::clamp((distance - half) / 5 + 1, 1, 12);
    setCursor(direction == dirUp ? crcxUpScroll : direction == dirDown ? crcxDownScroll
                                 : direction == dirLeft ? crcxLeftScroll : crcxRightScroll);
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
  HWND self = Handle();
  SetCapture(self);
  try {
    bool done = false;
    while (!done && link.Alive() && GetCapture() == self) {
      MSG msg;
      BOOL r = GetMessageW(&msg, nullptr, 0, 0);
      if (r == -1) break;
      if (r == 0) {
        PostQuitMessage(int(msg.wParam));
        break;
      }
      bool dispatch = true;
      switch (msg.message) {
        case WM_PAINT:
          if (msg.hwnd == anchorWnd) {
            ValidateRect(anchorWnd, nullptr);
            dispatch = false;
          }
          break;
        case WM_KEYDOWN:
        case WM_KEYUP:
          if (msg.wParam == VK_ESCAPE) done = true;
          break;
        case WM_TIMER:
          if (!msg.hwnd && msg.wParam == timer) {
            ++ticks;
            if (direction != dirNone && speed > 0 && ticks % (13 - speed) == 0) ScrollOneLine(direction);
            dispatch = false;
          }
          break;
        case WM_MOUSEMOVE: {
          TPoint p(msg.pt.x, msg.pt.y);
          if (!(p == lastPoint)) {
            lastPoint = p;
            recompute(p);
          }
          break;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_MOUSEWHEEL:
          done = true;
          dispatch = false;
          break;
        case WM_MBUTTONUP:
          // A middle click without moving keeps the mode until the next
          // button, the wheel or Esc.
          if (movedOut) done = true;
          break;
      }
      if (dispatch) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  } catch (...) {
    if (GetCapture() == self) ReleaseCapture();
    KillTimer(nullptr, timer);
    if (anchorWnd) DestroyWindow(anchorWnd);
    DeleteObject(bitmap);
    if (link.Alive()) FIsScrollingContent = false;
    throw;
  }
  if (GetCapture() == self) ReleaseCapture();
  KillTimer(nullptr, timer);
  if (anchorWnd) DestroyWindow(anchorWnd);
  DeleteObject(bitmap);
  if (link.Alive()) FIsScrollingContent = false;
}
