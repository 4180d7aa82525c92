// The control unit of the editor library.
//
// Process-wide services: a timer component running on one hidden window of
// the library, the hidden message window popups use as their owner, a
// settings controller that tells controls when the system's scroll-bar
// metrics change, polling of the mouse leaving an area (hot-tracking),
// popup-menu helpers that also accept non-menu components, window and
// keyboard helpers, and the library's cursors.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "Menus.h"
#include "cxClasses.h"
#include "cxGeometry.h"
#include "cxGraphics.h"

class TcxControl;

// Private window messages: re-check the scroll-bar metrics (sent or posted
// to a control), and the system controller's wake-up.
constexpr UINT DXM_CHECKSCROLLBARSIZES = 0x8065;
constexpr UINT DXM_SYNCHRONIZE = 0x8066;

// ---------------------------------------------------------------------------
// Hidden windows

// Owns a hidden top-level window whose messages go to WndProc.
class TcxMessageWindow : public TObject {
  TOVANI_CLASS(TcxMessageWindow, TObject)
 public:
  TcxMessageWindow();
  ~TcxMessageWindow() override;
  HWND Handle() const { return FHandle; }

 protected:
  // The default passes the message to DefWindowProc. Exceptions are handed
  // to the application; none leaves the window procedure.
  virtual void WndProc(TMessage& Message);

 private:
  static LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  HWND FHandle = nullptr;
};

// The shared message window (owner of the library's popups); null once the
// unit has finished.
TcxMessageWindow* cxGetMessageWindow();

// ---------------------------------------------------------------------------
// Timer

using TcxTimerEvent = std::function<void(TObject* Sender)>;

// A timer on the library's timer window. It runs while it is enabled and
// has a handler; changing Enabled, Interval or OnTimer restarts it.
class TcxTimer : public TComponent {
  TOVANI_CLASS(TcxTimer, TComponent)
 public:
  explicit TcxTimer(TComponent* AOwner = nullptr);
  ~TcxTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return FInterval; }
  // 0 keeps the previous interval.
  void SetInterval(Cardinal Value);
  const TcxTimerEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TcxTimerEvent Value);
  bool Running() const { return FRunning; }
  // The id of its window timer (WM_TIMER's WParam on cxTimerWindowHandle).
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

 protected:
  virtual void Elapsed();

 private:
  friend class TcxTimerWindow;
  bool CanStart() const { return FEnabled && !FRunning && FOnTimer; }
  void Start();
  void Stop();
  void Restart();
  void SetRunning(bool Value);
  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TcxTimerEvent FOnTimer;
  bool FRunning = false;
};

// The hidden window the timers run on (made on first use).
HWND cxTimerWindowHandle();

// ---------------------------------------------------------------------------
// Settings controller: controls that listen for changes of the system's
// non-client metrics (scroll-bar sizes) get DXM_CHECKSCROLLBARSIZES.

class TcxSettingsController : public TObject {
  TOVANI_CLASS(TcxSettingsController, TObject)
 public:
  ~TcxSettingsController() override;
  void AddListener(TWinControl* AControl);
  void RemoveListener(TWinControl* AControl);
  Integer ListenerCount() const { return Integer(FListeners.size()); }
  // The hidden window that receives the broadcast (null without listeners).
  HWND Handle() const;

 private:
  class TWindow;
  std::vector<TWinControl*> FListeners;
  std::unique_ptr<TWindow> FWindow;
};

TcxSettingsController* cxSettingsController();

// ---------------------------------------------------------------------------
// Mouse leave tracking: every 10 ms the cursor is tested against the bounds;
// once it has left, the control gets CM_MOUSELEAVE (when the cursor is also
// outside its client area) and the caller is told.

class IcxMouseTrackingCaller {
 public:
  virtual ~IcxMouseTrackingCaller() = default;
  virtual void MouseLeave() = 0;
};

// A caller that decides itself which points (client coordinates of the
// control) still count as inside.
class IcxMouseTrackingAreaCaller : public IcxMouseTrackingCaller {
 public:
  virtual bool PtInCaller(const TPoint& P) = 0;
};

// Bounds in the control's client coordinates (screen coordinates without a
// control). Tracking the same caller twice keeps one timer.
void cxBeginMouseLeaveTracking(TWinControl* AControl, const TRect& ABounds, IcxMouseTrackingCaller* ACaller);
void cxEndMouseLeaveTracking(IcxMouseTrackingCaller* ACaller);
bool cxMouseTrackingActive(IcxMouseTrackingCaller* ACaller);
// The timer of a tracked caller (for driving ticks), null when none.
TcxTimer* cxMouseTrackingTimer(IcxMouseTrackingCaller* ACaller);

// ---------------------------------------------------------------------------
// Popup menus and components acting as popup menus.

class IcxPopupMenuComponent {
 public:
  virtual ~IcxPopupMenuComponent() = default;
  virtual bool IsShortCutKey(TMessage& AMessage) = 0;
  virtual void Popup(Integer X, Integer Y) = 0;
};

bool cxIsPopupMenuShortCut(TComponent* AMenu, TMessage& AKeyMessage);
// Shows the menu at a screen point; false when nothing was shown.
bool cxShowPopupMenu(TControl* AControl, TComponent* AMenu, Integer X, Integer Y);
Integer cxGetPopupMenuHeight(TPopupMenu* AMenu);

// ---------------------------------------------------------------------------
// Window and input helpers

bool cxCanAllocateHandle(TWinControl* AControl);
Integer cxDoubleClickTime();
TRect cxWorkAreaAtPoint(const TPoint& P);
TRect cxWorkAreaOfMonitor(HMONITOR AMonitor);
// (-1, -1) when the position cannot be read.
TPoint cxGetCursorPos();
bool cxIsChildStyleWindow(HWND AWnd);
bool cxIsSelfOrChildWindow(HWND AParent, HWND AWnd);
bool cxCtrlKeyDown();
bool cxWithinDragThreshold(const TPoint& AOrigin, Integer X, Integer Y);
TPoint cxMapPointBetweenWindows(HWND AFrom, HWND ATo, TPoint P);
TRect cxMapRectBetweenWindows(HWND AFrom, HWND ATo, const TRect& R);

enum TcxDragDetect { ddrCancel, ddrDrag, ddrReleased };
// Runs right after a mouse-down: captures the mouse and waits until it leaves
// the drag square (ddrDrag), a button goes up (ddrReleased) or Esc is
// pressed (ddrCancel).
TcxDragDetect cxDragDetect(HWND AWnd);

// "+", "-" and digits; kind 1 adds the decimal separator, kind 2 also "e"/"E".
bool cxIsNumericInputChar(char32_t ACh, Integer AKind);
bool cxIsTextChar(char32_t ACh);
// "&File" -> "File", "A&&B" -> "A&B"; a last "&" becomes "_" when asked.
String cxStripAccelerators(const String& ACaption, bool AReplaceTrailingPrefix = false);
WPARAM cxShiftStateToMouseKeys(TShiftState AShift);
inline Word cxNormalizeKey(Word AKey) { return AKey; }

// The framework asks this hook for the window owning a given window (the
// editor popups answer their owner control's window); null: none set.
using TcxGetOwnerWindowProc = HWND (*)(HWND AWnd);
extern TcxGetOwnerWindowProc cxGetOwnerWindowHook;
// The hook's answer, or the window itself when no hook is set.
HWND cxGetOwnerWindow(HWND AWnd);

// ---------------------------------------------------------------------------
// Cursors of the library (Screen->Cursors ids), made at start-up.

constexpr TCursor crcxDragCopy = 2100;
constexpr TCursor crcxFullScroll = 2101;
constexpr TCursor crcxHorScroll = 2102;
constexpr TCursor crcxVerScroll = 2103;
constexpr TCursor crcxUpScroll = 2104;
constexpr TCursor crcxRightScroll = 2105;
constexpr TCursor crcxDownScroll = 2106;
constexpr TCursor crcxLeftScroll = 2107;
constexpr TCursor crcxRemove = 2108;
constexpr TCursor crcxVertSize = 2109;
constexpr TCursor crcxHorzSize = 2110;
constexpr TCursor crcxMultiDrag = 2111;
constexpr TCursor crcxNoDrop = 2112;
constexpr TCursor crcxDrag = 2113;
constexpr TCursor crcxHandPoint = -2099;
constexpr TCursor crcxColorPicker = 2114;
// Registers them with the screen (once; the controls call it as they are made).
void cxLoadLibraryCursors();

// Frees the trackers still running (the unit's shut-down does); answers how
// many there were.
Integer cxFreeMouseTrackingTimers();
// Frees the unit's shared objects; mouse trackers still running are freed
// quietly. Runs at program end; tests may call it to check the teardown.
void cxControlsFinalize();
