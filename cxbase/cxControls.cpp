// Process-wide services of the control unit: hidden windows, timers, the
// settings controller, mouse-leave tracking, popup-menu and window helpers,
// cursors and the unit's shut-down.
#include "cxControls.h"

#include <algorithm>
#include <cmath>

#include "FormatSettings.h"
#include "ImgList.h"
#include "Utf8.h"
#include "VclUtils.h"

namespace {
// Set when the unit has finished: no shared object is made any more.
bool cxControlsFinalized = false;

template <class F>
void GuardedCall(F&& f) {
  try {
    f();
  } catch (...) {
    HandleControlException(nullptr);
  }
}
}  // namespace

// ---------------------------------------------------------------------------
// TcxMessageWindow

TOVANI_IMPLEMENT_CLASS(TcxMessageWindow, TObject)

namespace {
const wchar_t cxMessageWindowClass[] = L"TcxMessageWindow";

void RegisterMessageWindowClass(WNDPROC proc) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = cxMessageWindowClass;
  RegisterClassW(&wc);
  registered = true;
}
}  // namespace

TcxMessageWindow::TcxMessageWindow() {
  RegisterMessageWindowClass(&TcxMessageWindow::StdWndProc);
  // A hidden top-level window: it also hears broadcasts such as WM_SETTINGCHANGE.
  FHandle = CreateWindowExW(WS_EX_TOOLWINDOW, cxMessageWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (FHandle) SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TcxMessageWindow::~TcxMessageWindow() {
  if (FHandle) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
}

void TcxMessageWindow::WndProc(TMessage& Message) {
  Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

LRESULT CALLBACK TcxMessageWindow::StdWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TcxMessageWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (!self) return DefWindowProcW(h, msg, wp, lp);
  TMessage m{msg, wp, lp, 0};
  try {
    self->WndProc(m);
  } catch (...) {
    HandleControlException(nullptr);
  }
  return m.Result;
}

namespace {
std::unique_ptr<TcxMessageWindow>& SharedMessageWindow() {
  static std::unique_ptr<TcxMessageWindow> w;
  return w;
}
}  // namespace

TcxMessageWindow* cxGetMessageWindow() {
  auto& w = SharedMessageWindow();
  if (!w && !cxControlsFinalized) w = std::make_unique<TcxMessageWindow>();
  return w.get();
}

// ---------------------------------------------------------------------------
// Timers

class TcxTimerWindow : public TcxMessageWindow {
 public:
  std::vector<TcxTimer*> ActiveTimers;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_TIMER) {
      // Only timers still running are reached: one freed meanwhile is gone
      // from the list.
      for (TcxTimer* t : ActiveTimers)
        if (t->Id() == Message.WParam) {
          t->Elapsed();
          return;
        }
      return;
    }
    TcxMessageWindow::WndProc(Message);
  }
};

namespace {
std::unique_ptr<TcxTimerWindow>& SharedTimerWindow() {
  static std::unique_ptr<TcxTimerWindow> w;
  return w;
}
TcxTimerWindow* TimerWindow() {
  auto& w = SharedTimerWindow();
  if (!w && !cxControlsFinalized) w = std::make_unique<TcxTimerWindow>();
  return w.get();
}
}  // namespace

HWND cxTimerWindowHandle() {
  TcxTimerWindow* w = TimerWindow();
  return w ? w->Handle() : nullptr;
}

TOVANI_IMPLEMENT_CLASS(TcxTimer, TComponent)

TcxTimer::TcxTimer(TComponent* AOwner) : TComponent(AOwner) {}

TcxTimer::~TcxTimer() { Stop(); }

void TcxTimer::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Restart();
}

void TcxTimer::SetInterval(Cardinal Value) {
  if (Value == 0 || Value == FInterval) return;
  FInterval = Value;
  Restart();
}

void TcxTimer::SetOnTimer(TcxTimerEvent Value) {
  FOnTimer = std::move(Value);
  Restart();
}

void TcxTimer::Restart() {
  Stop();
  Start();
}

void TcxTimer::Start() {
  if (!CanStart()) return;
  TcxTimerWindow* w = TimerWindow();
  SetRunning(w && SetTimer(w->Handle(), Id(), FInterval, nullptr) != 0);
}

void TcxTimer::Stop() {
  if (!FRunning) return;
  if (TcxTimerWindow* w = SharedTimerWindow().get()) KillTimer(w->Handle(), Id());
  SetRunning(false);
}

void TcxTimer::SetRunning(bool Value) {
  FRunning = Value;
  TcxTimerWindow* w = SharedTimerWindow().get();
  if (!w) return;
  auto& list = w->ActiveTimers;
  auto it = std::find(list.begin(), list.end(), this);
  if (Value && it == list.end()) list.push_back(this);
  if (!Value && it != list.end()) list.erase(it);
}

void TcxTimer::Elapsed() {
  if (FOnTimer) FOnTimer(this);
}

// ---------------------------------------------------------------------------
// Settings controller

TOVANI_IMPLEMENT_CLASS(TcxSettingsController, TObject)

class TcxSettingsController::TWindow : public TcxMessageWindow {
 public:
  explicit TWindow(TcxSettingsController* AOwner) : FOwner(AOwner) {}

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_SETTINGCHANGE && Message.WParam == SPI_SETNONCLIENTMETRICS) {
      for (TWinControl* c : FOwner->FListeners)
        if (c->HandleAllocated()) SendNotifyMessageW(c->Handle(), DXM_CHECKSCROLLBARSIZES, 0, 0);
      Message.Result = 0;
      return;
    }
    TcxMessageWindow::WndProc(Message);
  }

 private:
  TcxSettingsController* FOwner;
};

TcxSettingsController::~TcxSettingsController() = default;

void TcxSettingsController::AddListener(TWinControl* AControl) {
  if (!AControl || std::find(FListeners.begin(), FListeners.end(), AControl) != FListeners.end()) return;
  FListeners.push_back(AControl);
  if (!FWindow) FWindow = std::make_unique<TWindow>(this);
}

void TcxSettingsController::RemoveListener(TWinControl* AControl) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AControl);
  if (it == FListeners.end()) return;
  FListeners.erase(it);
  if (FListeners.empty()) FWindow.reset();
}

HWND TcxSettingsController::Handle() const { return FWindow ? FWindow->Handle() : nullptr; }

namespace {
std::unique_ptr<TcxSettingsController>& SharedSettingsController() {
  static std::unique_ptr<TcxSettingsController> c;
  return c;
}
}  // namespace

TcxSettingsController* cxSettingsController() {
  auto& c = SharedSettingsController();
  if (!c && !cxControlsFinalized) c = std::make_unique<TcxSettingsController>();
  return c.get();
}

// ---------------------------------------------------------------------------
// Mouse leave tracking

namespace {
class TMouseTrackingTimer : public TcxTimer {
 public:
  TMouseTrackingTimer(TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller)
      : Control(AControl), Bounds(ABounds), Caller(ACaller) {
    if (Control) FControlLink = cxCreateObjectLink(Control);
    SetInterval(10);
    SetOnTimer([](TObject*) {});   // the ticks are handled by Elapsed
  }
  ~TMouseTrackingTimer() override { cxReleaseObjectLink(FControlLink); }
  TWinControl* LiveControl() const { return FControlLink && FControlLink->Ref ? Control : nullptr; }
  // Ends the tracking: frees the timer, or, from inside its own tick, lets
  // the tick free it when it is done.
  void End() {
    if (FInTick) {
      FEnded = true;
      SetEnabled(false);
    } else {
      delete this;
    }
  }

  TWinControl* Control;
  TRect Bounds;   // screen coordinates
  IcxMouseTrackingCaller* Caller;

 protected:
  void Elapsed() override;

 private:
  TcxObjectLink* FControlLink = nullptr;
  bool FInTick = false;
  bool FEnded = false;
};

std::vector<TMouseTrackingTimer*>& TrackingTimers() {
  static std::vector<TMouseTrackingTimer*> list;
  return list;
}

TMouseTrackingTimer* FindTracking(IcxMouseTrackingCaller* ACaller) {
  for (TMouseTrackingTimer* t : TrackingTimers())
    if (t->Caller == ACaller) return t;
  return nullptr;
}

void TMouseTrackingTimer::Elapsed() {
  TPoint p = cxGetCursorPos();
  TWinControl* control = Control ? LiveControl() : nullptr;
  bool inside;
  if (auto* area = dynamic_cast<IcxMouseTrackingAreaCaller*>(Caller))
    inside = control && control->HandleAllocated() && area->PtInCaller(control->ScreenToClient(p));
  else
    inside = Bounds.Contains(p);
  if (inside) return;
  FInTick = true;
  if (control && control->HandleAllocated() && !control->ClientRect().Contains(control->ScreenToClient(p)))
    control->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(control));
  IcxMouseTrackingCaller* caller = Caller;
  cxEndMouseLeaveTracking(caller);
  caller->MouseLeave();
  delete this;   // the tracking has ended: nothing touches the timer after this
}
}  // namespace

void cxBeginMouseLeaveTracking(TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller) {
  if (cxControlsFinalized || !ACaller || FindTracking(ACaller)) return;
  TRect bounds = ABounds;
  if (AControl && AControl->HandleAllocated()) {
    TPoint tl = AControl->ClientToScreen(bounds.TopLeft()), br = AControl->ClientToScreen(bounds.BottomRight());
    bounds = TRect(tl, br);
  }
  TrackingTimers().push_back(new TMouseTrackingTimer(AControl, bounds, ACaller));
}

void cxEndMouseLeaveTracking(IcxMouseTrackingCaller* ACaller) {
  auto& list = TrackingTimers();
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i]->Caller == ACaller) {
      TMouseTrackingTimer* t = list[i];
      list.erase(list.begin() + long(i));
      t->End();
      return;
    }
}

bool cxMouseTrackingActive(IcxMouseTrackingCaller* ACaller) { return FindTracking(ACaller) != nullptr; }

TcxTimer* cxMouseTrackingTimer(IcxMouseTrackingCaller* ACaller) { return FindTracking(ACaller); }

// ---------------------------------------------------------------------------
// Popup menus

bool cxIsPopupMenuShortCut(TComponent* AMenu, TMessage& AKeyMessage) {
  if (!AMenu) return false;
  if (auto* c = dynamic_cast<IcxPopupMenuComponent*>(AMenu)) return c->IsShortCutKey(AKeyMessage);
  if (auto* m = dynamic_cast<TPopupMenu*>(AMenu)) return m->WindowHandle() && m->IsShortCut(AKeyMessage);
  return false;
}

bool cxShowPopupMenu(TControl* AControl, TComponent* AMenu, Integer X, Integer Y) {
  if (!AMenu) return false;
  if (auto* c = dynamic_cast<IcxPopupMenuComponent*>(AMenu)) {
    c->Popup(X, Y);
    return true;
  }
  if (auto* m = dynamic_cast<TPopupMenu*>(AMenu); m && m->AutoPopup()) {
    m->SetPopupComponent(AControl);
    m->Popup(X, Y);
    return true;
  }
  return false;
}

Integer cxGetPopupMenuHeight(TPopupMenu* AMenu) {
  if (!AMenu) return 0;
  TcxScreenCanvas canvas;
  canvas.SetFont(Screen->MenuFont());
  const Integer itemHeight = canvas.TextHeight("Qg") + 4;
  Integer total = 0;
  TMenuItem* items = AMenu->Items();
  for (Integer i = 0; items && i < items->Count(); ++i) {
    TMenuItem* item = items->Items(i);
    if (!item->Visible()) continue;
    Integer h = itemHeight;
    if (AMenu->OwnerDraw() || AMenu->Images() || !item->Bitmap()->Empty()) {
      if (AMenu->Images()) h = std::max(h, AMenu->Images()->Height() + 4);
      if (item->OnMeasureItem) {
        Integer w = 0;
        item->OnMeasureItem(item, canvas.Canvas(), w, h);
      }
    }
    total += h;
  }
  return total + 4;
}

// ---------------------------------------------------------------------------
// Window and input helpers

bool cxCanAllocateHandle(TWinControl* AControl) {
  if (!AControl) return false;
  if (AControl->HandleAllocated()) return true;
  if (AControl->ComponentState().Contains(csDestroying)) return false;
  if (AControl->ParentWindowHandle()) return true;
  if (AControl->Parent()) return cxCanAllocateHandle(AControl->Parent());
  return dynamic_cast<TCustomForm*>(AControl) != nullptr;
}

Integer cxDoubleClickTime() { return Integer(GetDoubleClickTime()); }

TRect cxWorkAreaOfMonitor(HMONITOR AMonitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  TRect r;
  if (AMonitor && GetMonitorInfoW(AMonitor, &info))
    r = *reinterpret_cast<TRect*>(&info.rcWork);
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, r.AsRECT(), 0);
  return r;
}

TRect cxWorkAreaAtPoint(const TPoint& P) {
  return cxWorkAreaOfMonitor(MonitorFromPoint(POINT{P.X, P.Y}, MONITOR_DEFAULTTONEAREST));
}

TPoint cxGetCursorPos() {
  POINT p;
  if (!GetCursorPos(&p)) return TPoint(-1, -1);
  return TPoint(p.x, p.y);
}

bool cxIsChildStyleWindow(HWND AWnd) { return (GetWindowLongPtrW(AWnd, GWL_STYLE) & WS_CHILD) != 0; }

bool cxIsSelfOrChildWindow(HWND AParent, HWND AWnd) {
  return AParent && (AWnd == AParent || IsChild(AParent, AWnd));
}

bool cxCtrlKeyDown() { return GetAsyncKeyState(VK_CONTROL) < 0; }

bool cxWithinDragThreshold(const TPoint& AOrigin, Integer X, Integer Y) {
  const Integer t = Mouse->DragThreshold();
  return std::abs(X - AOrigin.X) < t && std::abs(Y - AOrigin.Y) < t;
}

TPoint cxMapPointBetweenWindows(HWND AFrom, HWND ATo, TPoint P) {
  MapWindowPoints(AFrom, ATo, P.AsPOINT(), 1);
  return P;
}

TRect cxMapRectBetweenWindows(HWND AFrom, HWND ATo, const TRect& R) {
  TRect r = R;
  MapWindowPoints(AFrom, ATo, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TcxDragDetect cxDragDetect(HWND AWnd) {
  const TPoint start = cxGetCursorPos();
  const Integer t = Mouse->DragThreshold();
  const TRect square(start.X - t, start.Y - t, start.X + t, start.Y + t);
  TcxDragDetect result = ddrCancel;
  SetCapture(AWnd);
  bool done = false;
  while (!done && GetCapture() == AWnd) {
    MSG msg;
    BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == -1) break;
    if (r == 0) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    switch (msg.message) {
      case WM_KEYDOWN:
      case WM_KEYUP:
        if (msg.wParam == VK_ESCAPE) done = true;
        break;
      case WM_MOUSEMOVE:
        if (msg.hwnd == AWnd) {
          POINT p{SmallInt(LOWORD(msg.lParam)), SmallInt(HIWORD(msg.lParam))};
          ClientToScreen(AWnd, &p);
          if (!square.Contains(TPoint(p.x, p.y))) {
            result = ddrDrag;
            done = true;
          }
        }
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
      case WM_MBUTTONUP:
        result = ddrReleased;
        done = true;
        break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (GetCapture() == AWnd) ReleaseCapture();
  return result;
}

bool cxIsNumericInputChar(char32_t ACh, Integer AKind) {
  if (ACh == U'+' || ACh == U'-' || (ACh >= U'0' && ACh <= U'9')) return true;
  if (AKind == 1 || AKind == 2) {
    if (ACh == char32_t(static_cast<unsigned char>(FormatSettings().DecimalSeparator))) return true;
  }
  return AKind == 2 && (ACh == U'e' || ACh == U'E');
}

bool cxIsTextChar(char32_t ACh) { return ACh >= 32; }

String cxStripAccelerators(const String& ACaption, bool AReplaceTrailingPrefix) {
  String out;
  out.reserve(ACaption.size());
  for (size_t i = 0; i < ACaption.size(); ++i) {
    if (ACaption[i] != '&') {
      out += ACaption[i];
      continue;
    }
    if (i + 1 < ACaption.size()) {
      out += ACaption[++i];   // the character after "&" is kept
    } else if (AReplaceTrailingPrefix) {
      out += '_';
    }
  }
  return out;
}

WPARAM cxShiftStateToMouseKeys(TShiftState AShift) {
  WPARAM keys = 0;
  if (AShift.Contains(ssShift)) keys |= MK_SHIFT;
  if (AShift.Contains(ssCtrl)) keys |= MK_CONTROL;
  if (AShift.Contains(ssLeft)) keys |= MK_LBUTTON;
  if (AShift.Contains(ssRight)) keys |= MK_RBUTTON;
  if (AShift.Contains(ssMiddle)) keys |= MK_MBUTTON;
  return keys;
}

TcxGetOwnerWindowProc cxGetOwnerWindowHook = nullptr;

HWND cxGetOwnerWindow(HWND AWnd) { return cxGetOwnerWindowHook ? cxGetOwnerWindowHook(AWnd) : AWnd; }

// ---------------------------------------------------------------------------
// Cursors. The library's own cursors are drawn here: 32 x 32 monochrome
// shapes (arrows, a centre dot, a cross); the others are system cursors.

namespace {
struct TCursorShape {
  bool Ink[32][32] = {};
  void Triangle(TPoint a, TPoint b, TPoint c) {
    auto side = [](TPoint p, TPoint q, int x, int y) { return (q.X - p.X) * (y - p.Y) - (q.Y - p.Y) * (x - p.X); };
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        int d1 = side(a, b, x, y), d2 = side(b, c, x, y), d3 = side(c, a, x, y);
        bool neg = d1 < 0 || d2 < 0 || d3 < 0, pos = d1 > 0 || d2 > 0 || d3 > 0;
        if (!(neg && pos)) Ink[y][x] = true;
      }
  }
  void Box(int l, int t, int r, int b) {
    for (int y = std::max(t, 0); y < std::min(b, 32); ++y)
      for (int x = std::max(l, 0); x < std::min(r, 32); ++x) Ink[y][x] = true;
  }
  void Dot() {
    for (int y = 13; y < 19; ++y)
      for (int x = 13; x < 19; ++x)
        if ((x - 15.5) * (x - 15.5) + (y - 15.5) * (y - 15.5) <= 7) Ink[y][x] = true;
  }
  void Up() { Triangle({16, 1}, {10, 8}, {22, 8}); }
  void Down() { Triangle({16, 30}, {10, 23}, {22, 23}); }
  void Left() { Triangle({1, 16}, {8, 10}, {8, 22}); }
  void Right() { Triangle({30, 16}, {23, 10}, {23, 22}); }
  // A black shape with a white outline one pixel wide.
  HCURSOR Make(int hotX, int hotY) const {
    BYTE andMask[32 * 4], xorMask[32 * 4];
    for (int y = 0; y < 32; ++y)
      for (int bx = 0; bx < 4; ++bx) {
        BYTE a = 0xFF, x = 0;
        for (int bit = 0; bit < 8; ++bit) {
          int px = bx * 8 + bit;
          bool ink = Ink[y][px], edge = false;
          for (int dy = -1; dy <= 1 && !ink; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
              int ny = y + dy, nx = px + dx;
              if (ny >= 0 && ny < 32 && nx >= 0 && nx < 32 && Ink[ny][nx]) edge = true;
            }
          if (ink) a &= BYTE(~(0x80 >> bit));                       // black
          if (edge) a &= BYTE(~(0x80 >> bit)), x |= BYTE(0x80 >> bit);   // white
        }
        andMask[y * 4 + bx] = a;
        xorMask[y * 4 + bx] = x;
      }
    return CreateCursor(GetModuleHandleW(nullptr), hotX, hotY, 32, 32, andMask, xorMask);
  }
};

HCURSOR ScrollCursor(bool up, bool down, bool left, bool right) {
  TCursorShape s;
  s.Dot();
  if (up) s.Up();
  if (down) s.Down();
  if (left) s.Left();
  if (right) s.Right();
  return s.Make(16, 16);
}

HCURSOR SystemCursor(LPCWSTR id) { return LoadCursorW(nullptr, id); }

void LoadLibraryCursors() {
  static bool loaded = false;
  if (loaded || !Screen) return;
  loaded = true;
  TCursorShape copy;
  copy.Triangle({0, 0}, {0, 16}, {11, 11});
  copy.Box(17, 20, 27, 22);
  copy.Box(21, 16, 23, 26);
  TCursorShape remove;
  for (int i = 4; i < 28; ++i) remove.Box(i - 1, i - 1, i + 2, i + 2), remove.Box(30 - i, i - 1, 33 - i, i + 2);
  const struct {
    TCursor Id;
    HCURSOR Cursor;
  } cursors[] = {
      {crcxDragCopy, copy.Make(0, 0)},
      {crcxFullScroll, ScrollCursor(true, true, true, true)},
      {crcxHorScroll, ScrollCursor(false, false, true, true)},
      {crcxVerScroll, ScrollCursor(true, true, false, false)},
      {crcxUpScroll, ScrollCursor(true, false, false, false)},
      {crcxRightScroll, ScrollCursor(false, false, false, true)},
      {crcxDownScroll, ScrollCursor(false, true, false, false)},
      {crcxLeftScroll, ScrollCursor(false, false, true, false)},
      {crcxRemove, remove.Make(16, 16)},
      {crcxVertSize, SystemCursor(MAKEINTRESOURCEW(32645))},   // IDC_SIZENS
      {crcxHorzSize, SystemCursor(MAKEINTRESOURCEW(32644))},   // IDC_SIZEWE
      {crcxMultiDrag, SystemCursor(MAKEINTRESOURCEW(32512))},  // IDC_ARROW
      {crcxNoDrop, SystemCursor(MAKEINTRESOURCEW(32648))},     // IDC_NO
      {crcxDrag, SystemCursor(MAKEINTRESOURCEW(32512))},
      {crcxHandPoint, SystemCursor(MAKEINTRESOURCEW(32649))},  // IDC_HAND
      {crcxColorPicker, SystemCursor(MAKEINTRESOURCEW(32515))},  // IDC_CROSS
  };
  for (const auto& c : cursors) Screen->SetCursors(c.Id, c.Cursor);
}

// Unit start-up and shut-down.
struct TcxControlsUnit {
  TcxControlsUnit() {
    cxInitPlatformFlags();
    LoadLibraryCursors();
  }
  ~TcxControlsUnit() { cxControlsFinalize(); }
} cxControlsUnit;
}  // namespace

void cxLoadLibraryCursors() { LoadLibraryCursors(); }

Integer cxFreeMouseTrackingTimers() {
  std::vector<TMouseTrackingTimer*> left;
  left.swap(TrackingTimers());
  for (TMouseTrackingTimer* t : left) delete t;
  return Integer(left.size());
}

void cxControlsFinalize() {
  cxControlsFinalized = true;
  // Trackers still running at shut-down are freed quietly: raising here
  // would only turn a forgotten end-tracking into a crash during teardown.
  cxFreeMouseTrackingTimers();
  SharedSettingsController().reset();
  SharedTimerWindow().reset();
  SharedMessageWindow().reset();
}
