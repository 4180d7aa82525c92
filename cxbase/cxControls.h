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
#include "cxLookAndFeels.h"
#include "cxScrollBar.h"

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

// ---------------------------------------------------------------------------
// The control base.

enum TcxWantedKey { wkAllKeys, wkArrows, wkChars, wkTab };
using TcxWantedKeys = TSet<TcxWantedKey>;
enum TcxControlBorderStyle { cxcbsNone, cxcbsDefault };
enum TcxDirection { dirNone, dirLeft, dirRight, dirUp, dirDown };
enum TcxDnDState { dasNone, dasPending, dasActive };
enum TcxMouseWheelScrollingKind { mwskNone, mwskHorizontal, mwskVertical };

// Told when the control's font changes.
class IcxFontListener {
 public:
  virtual ~IcxFontListener() = default;
  virtual void FontChanged(TObject* Sender, TFont* AFont) = 0;
};

// The object that owned the mouse capture is told when it loses it.
class IcxCaptureLossNotify {
 public:
  virtual ~IcxCaptureLossNotify() = default;
  virtual void CaptureLost() = 0;
};

// The control's own drag-and-drop (moving something inside the control):
// descendants subclass it and return their class from
// GetDragAndDropObjectClass.
class TcxDragAndDropObject : public TObject {
  TOVANI_CLASS(TcxDragAndDropObject, TObject)
 public:
  explicit TcxDragAndDropObject(TcxControl* AControl);
  TcxControl* Control() const { return FControl; }
  TcxCanvas* Canvas() const;
  bool Dirty() const { return FDirty; }
  void SetDirty(bool Value);
  TPoint CurMousePos() const { return FCurMousePos; }
  TPoint PrevMousePos() const { return FPrevMousePos; }
  // Previous := current, current := the point.
  void StoreMousePos(TPoint P);
  void RunStart();
  void RunTrack(TPoint P, bool& Accepted);
  void RunFinish(bool Accepted);
  virtual bool StartsAtMouseDown() { return false; }

 protected:
  virtual void DirtyFlagChanged() {}
  virtual TCursor CursorFor(bool Accepted) { return Accepted ? crDrag : crNoDrop; }
  virtual void AfterDrop(bool Accepted) {}
  virtual void Started() { DirtyFlagChanged(); }
  virtual void Track(TPoint P, bool& Accepted);
  virtual void BeforeFinish() { SetDirty(true); }

 private:
  TcxControl* FControl;
  bool FDirty = false;
  TPoint FCurMousePos{-1, -1};
  TPoint FPrevMousePos{-1, -1};
};
using TcxDragAndDropObjectFactory = std::function<TcxDragAndDropObject*(TcxControl*)>;

// The platform drag object of a TcxControl: frees itself when the drag
// ends; shows the copy cursor while Ctrl is held over an accepting target.
class TcxDragControlObject : public TDragControlObject {
  TOVANI_CLASS(TcxDragControlObject, TDragControlObject)
 public:
  using TDragControlObject::TDragControlObject;
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
};
// Makes the drag object a drag of the control starts with.
using TcxDragControlObjectFactory = std::function<TcxDragControlObject*(TcxControl*)>;

// A scroll bar owned by a TcxControl; SetupScrollBar writes the pending
// parameters and RefreshScrollBars applies them.
class TcxControlScrollBar : public TcxScrollBar {
  TOVANI_CLASS(TcxControlScrollBar, TcxScrollBar)
 public:
  struct TData {
    Integer Min = 0, Max = 100, Position = 0, PageSize = 0;
    SmallInt SmallChange = 1, LargeChange = 1;
    bool Enabled = true, Visible = false, AllowShow = false, AllowHide = false;
  };
  explicit TcxControlScrollBar(TComponent* AOwner = nullptr);
  ~TcxControlScrollBar() override;
  bool IsShown() const { return Visible(); }
  TData Data;
  // Applies the pending range, position, page and steps (when Visible).
  void ApplyData();

 protected:
  void WndProc(TMessage& Message) override;
};

// The corner between the two bars.
class TcxSizeGrip : public TCustomControl {
  TOVANI_CLASS(TcxSizeGrip, TCustomControl)
 public:
  explicit TcxSizeGrip(TComponent* AOwner = nullptr);
  ~TcxSizeGrip() override;
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }

 protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
};

// The images shown while the control is dragged by the platform's drag and
// drop.
class TcxDragImageList : public TDragImageList {
  TOVANI_CLASS(TcxDragImageList, TDragImageList)
 public:
  explicit TcxDragImageList(TComponent* AOwner = nullptr) : TDragImageList(AOwner) {}
};

// The base of the library's custom-drawn windowed controls.
class TcxControl : public TCustomControl, public IcxLookAndFeelOwner {
  TOVANI_CLASS(TcxControl, TCustomControl)
 public:
  explicit TcxControl(TComponent* AOwner = nullptr);
  ~TcxControl() override;

  TcxCanvas* cxCanvas() const { return FcxCanvas.get(); }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TcxLookAndFeel* GetLookAndFeel() override { return FLookAndFeel.get(); }
  virtual TcxLookAndFeelPainterClass GetPainter();

  TcxControlBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TcxControlBorderStyle Value);
  // Explicit inner bounds; empty means the client rectangle.
  void SetInnerBounds(const TRect& R);
  bool FocusOnClick() const { return FFocusOnClick; }
  void SetFocusOnClick(bool Value) { FFocusOnClick = Value; }
  TcxWantedKeys WantedKeys() const { return FWantedKeys; }
  void SetWantedKeys(TcxWantedKeys Value) { FWantedKeys = Value; }
  // A TPopupMenu or a component implementing IcxPopupMenuComponent; anything
  // else is refused (the value becomes null).
  TComponent* PopupMenuComponent() const { return FPopupMenu; }
  void AssignPopupMenu(TComponent* Value);
  // The control's menu is its own (a popup menu or a popup-menu component),
  // also when set as its PopupMenu property, as form files do.
  void SetPopupMenu(TComponent* Value) { AssignPopupMenu(Value); }
  TPopupMenu* GetPopupMenu() override;
  TPoint MouseDownPos() const { return FMouseDownPos; }
  bool MouseButtonPressed() const { return FMouseButtonPressed; }
  TObject* CaptureOwner() const { return FMouseCaptureObject; }
  void SetCaptureOwner(TObject* Value);
  void InvalidateRect(const TRect& R, bool AEraseBackground = false);
  // The drag images (made once, filled by InitDragImages); null unless the
  // control has drag images and they hold an image.
  TDragImageList* GetDragImages() override;
  void AddFontListener(IcxFontListener* AListener);
  void RemoveFontListener(IcxFontListener* AListener);

  virtual TRect GetBounds();
  virtual TRect GetClientBounds();
  virtual Integer GetBorderSize();
  virtual bool GetIsDesigning() { return ComponentState().Contains(csDesigning); }
  bool GetIsLoading() { return ComponentState().Contains(csLoading); }
  virtual bool GetIsFocused() { return Focused(); }
  virtual bool IsInternalControl(TControl* AControl);
  bool CanFocusWithParentForm();
  virtual bool CanFocusOnClick();

  // Own drag-and-drop.
  TcxDnDState DragAndDropState() const { return FDragAndDropState; }
  void SetDragAndDropState(TcxDnDState Value);
  TcxDragAndDropObject* DragAndDropObject();
  void SetDragAndDropObjectFactory(TcxDragAndDropObjectFactory Value) { FDragAndDropObjectFactory = std::move(Value); }
  void CloseDragAndDrop(bool Accepted);
  bool InDragDetectArea(Integer X, Integer Y) { return cxWithinDragThreshold(FMouseDownPos, X, Y); }

  // Own scroll bars.
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TcxControlScrollBar* HScrollBar() const { return FHScrollBar; }
  TcxControlScrollBar* VScrollBar() const { return FVScrollBar; }
  TcxSizeGrip* SizeGrip() const { return FSizeGrip; }
  bool HScrollBarVisible();
  bool VScrollBarVisible();
  void SetupScrollBar(TScrollBarKind AKind, Integer AMin, Integer AMax, Integer AStep, Integer APage,
                      Integer APosition, bool AAllowShow, bool AAllowHide);
  virtual void RefreshScrollBars();
  void BeginScrollBarsUpdate() { ++FScrollBarsLockCount; }
  void EndScrollBarsUpdate();
  void UpdateScrollBarControls();
  void ScrollOneLine(TcxDirection ADirection);
  bool IsScrollingContent() const { return FIsScrollingContent; }
  // Middle-button autoscroll: a modal loop until a button, the wheel or Esc.
  void RunAutoScroll();

  TNotifyEvent OnFocusChanged;

 protected:
  // Hooks.
  virtual bool DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y);
  virtual void NotifyDesignModified() {}
  virtual void ParentBackgroundToggled() {}
  virtual void BeforeMouseDown(TMouseButton Button, Integer X, Integer Y);
  virtual bool CanDragAt(Integer X, Integer Y) { return true; }
  virtual void InternalMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {}
  virtual void BringScrollBarsToFront();
  virtual void EndMouseOperations();
  virtual bool CanFocusOnClickAt(Integer X, Integer Y) { return CanFocusOnClick(); }
  virtual bool CanFocusOnChildClick(TControl* AChild) { return CanFocusOnClick(); }
  virtual TCursor GetCursorAt(Integer X, Integer Y) { return FDefaultCursor; }
  virtual TcxMouseWheelScrollingKind GetMouseWheelScrollingKind();
  virtual bool NeedsEraseBackground() { return false; }
  virtual void InitializeControl();
  virtual void LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {}
  virtual bool CanScrollWithoutScrollBars(TcxDirection ADirection) { return false; }
  virtual TRect GetHScrollBarBounds();
  virtual TRect GetSizeGripBounds();
  virtual TRect GetVScrollBarBounds();
  virtual void DefineScrollBars() {}
  virtual bool PageInPixels(TScrollBarKind AKind) { return false; }
  virtual bool HasScrollBars() { return true; }
  virtual bool CanBringScrollBarsToFront() { return !GetIsDesigning(); }
  virtual void ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) {}
  virtual void SetScrollBarsBounds();
  virtual void UpdateScrollBarsState();
  virtual bool IsCopyDragDrop() { return cxCtrlKeyDown(); }
  virtual bool StillAtMouseDownPoint(Integer X, Integer Y) { return InDragDetectArea(X, Y); }
  virtual void DoColorChanged() {}
  virtual void DoVisibleChanged() {}
  virtual bool MayProcessUnfocusedMouseDown() { return false; }
  virtual void DoBoundsChanged() { RefreshScrollBars(); }
  virtual bool AllowAutoDragAt(Integer X, Integer Y) { return FDragAndDropState == dasNone; }
  virtual void DoCursorChanged() { FDefaultCursor = Cursor(); }
  virtual void DoCancelMode();
  virtual void DoFocusChanged();
  virtual void DoFontChanged();
  virtual bool HandlesDesignHitTest(Integer X, Integer Y, TShiftState Shift);
  virtual bool MayFocus() { return true; }
  virtual void DoMouseEnter(TControl* AControl);
  virtual void DoMouseLeave(TControl* AControl);
  virtual void DoTextChanged() {}
  virtual void DoDragAndDrop(TPoint P, bool& Accepted);
  virtual void DoEndDragAndDrop(bool Accepted);
  virtual bool CanStartDragAndDrop(TPoint P) { return false; }
  virtual bool AllowDragObject(TDragObject* ADragObject) { return true; }
  // The drag object a platform drag of the control starts with when
  // OnStartDrag gives none: a descendant answers its own kind (which frees
  // itself when the drag ends, as TcxDragControlObject does).
  virtual TcxDragControlObjectFactory GetDragObjectClass();
  virtual void DoBeginDragAndDrop();
  virtual TcxDragAndDropObject* CreateDragAndDropObject();
  virtual bool HasDragImages() { return false; }
  virtual TSize GetDragImageSize() { return TSize(0, 0); }
  virtual void PaintDragImage(TcxCanvas* ACanvas, const TRect& R) {}
  virtual TcxDragImageList* CreateDragImages() { return new TcxDragImageList(nullptr); }
  virtual void InitDragImages(TcxDragImageList* AImageList);
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override;

  // Platform overrides.
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void Resize() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DoStartDrag(TDragObject*& DragObject) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool IsPopupMenuShortCutKey(TMessage& Message);

 private:
  friend class TcxControlScrollBar;
  void BuildScrollBars();
  void DropScrollBars();
  void AdoptScrollBars();
  void OwnBarScrolled(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos);
  void CalcPendingScrollBars();
  void CheckScrollBarSizes();

  std::unique_ptr<TcxCanvas> FcxCanvas;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  std::vector<IcxFontListener*> FFontListeners;
  TcxControlBorderStyle FBorderStyle = cxcbsNone;
  TRect FBounds;
  TCursor FDefaultCursor = crDefault;
  bool FFocusOnClick = true;
  TcxWantedKeys FWantedKeys;
  TComponent* FPopupMenu = nullptr;
  TPoint FMouseDownPos;
  bool FMouseButtonPressed = false;
  TObject* FMouseCaptureObject = nullptr;
  TcxDragAndDropObject* FDragAndDropObject = nullptr;
  TcxDragAndDropObjectFactory FDragAndDropObjectFactory;
  TcxDnDState FDragAndDropState = dasNone;
  bool FFinishingDragAndDrop = false;
  TCursor FDragAndDropPrevCursor = crDefault;
  TcxControlScrollBar* FHScrollBar = nullptr;
  TcxControlScrollBar* FVScrollBar = nullptr;
  TcxSizeGrip* FSizeGrip = nullptr;
  std::unique_ptr<TcxDragImageList> FDragImages;
  TScrollStyle FScrollBars = ssBoth;
  Integer FScrollBarsLockCount = 0;
  bool FScrollBarsUpdateNeeded = false;
  bool FCalculatingScrollBarsParams = false;
  bool FUpdatingScrollBars = false;
  bool FInitialHScrollBarVisible = false, FInitialVScrollBarVisible = false;
  bool FKeepInitialScrollBarsParams = false;
  bool FCreatingWindow = false;
  bool FLastParentBackground = true;
  bool FIsScrollingContent = false;
};

// The shared size of the system's scroll bars (vertical width, horizontal height).
TSize cxSystemScrollBarSizes();

// A component that attaches to a TcxControl as a streaming child.
class TcxControlChildComponent : public TcxComponent {
  TOVANI_CLASS(TcxControlChildComponent, TcxComponent)
 public:
  explicit TcxControlChildComponent(TComponent* AOwner = nullptr);
  // Owned by the control's owner when AAssignOwner.
  TcxControlChildComponent(TcxControl* AControl, bool AAssignOwner);
  ~TcxControlChildComponent() override;
  TcxControl* Control() const { return FControl; }
  virtual void SetControl(TcxControl* Value) { FControl = Value; }
  bool GetIsDestroying() const { return IsDestroying(); }
  bool HasParent() const override { return FControl != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  virtual void Initialize() {}

 private:
  TcxControl* FControl = nullptr;
};

// ---------------------------------------------------------------------------
// Popup windows

enum TcxPopupHorzAlign { phaLeft, phaCenter, phaRight };
enum TcxPopupVertAlign { pvaTop, pvaCenter, pvaBottom };
enum TcxPopupFlow { pflHorizontal, pflVertical };
enum TcxPopupWindowFrame { pwfNone, pwfSingle, pwfFlat, pwf3D };

// A borderless stay-on-top window opened next to an owner rectangle: it
// flips to the other side of the owner when the work area has no room,
// keeps itself on the work area on the other axis, sizes itself to its
// children, draws its frame and closes when it or the application loses
// activation while keeping the owner form's caption active.
class TcxPopupWindow : public TForm {
  TOVANI_CLASS(TcxPopupWindow, TForm)
 public:
  TcxPopupWindow();
  ~TcxPopupWindow() override;

  // The owner's rectangle in the owner parent's client coordinates.
  const TRect& OwnerBounds() const { return FOwnerBounds; }
  void SetOwnerBounds(const TRect& R) { FOwnerBounds = R; }
  TControl* OwnerParent() const { return FOwnerParent; }
  void SetOwnerParent(TControl* Value) { FOwnerParent = Value; }
  TcxPopupHorzAlign AlignHorz() const { return FAlignHorz; }
  void SetAlignHorz(TcxPopupHorzAlign Value) { FAlignHorz = Value; }
  TcxPopupVertAlign AlignVert() const { return FAlignVert; }
  void SetAlignVert(TcxPopupVertAlign Value) { FAlignVert = Value; }
  TcxPopupFlow Direction() const { return FDirection; }
  void SetDirection(TcxPopupFlow Value) { FDirection = Value; }
  bool Adjustable() const { return FAdjustable; }
  void SetAdjustable(bool Value) { FAdjustable = Value; }
  Integer BorderSpace() const { return FBorderSpace; }
  void SetBorderSpace(Integer Value) { FBorderSpace = Value; }
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  TcxPopupWindowFrame PopupBorderStyle() const { return FFrame; }
  // The children move back by the old extents; the next AdjustSizeToControls
  // applies the new ones.
  void SetPopupBorderStyle(TcxPopupWindowFrame Value);
  TcxCanvas* cxCanvas() const { return FcxCanvas.get(); }

  virtual void CalcPosition(TPoint& P);
  virtual void AdjustSizeToControls();
  virtual Integer GetBorderExtent(TcxBorder ASide) { return GetFrameWidth(ASide) + FBorderSpace; }
  virtual TRect GetClientBounds();
  virtual Integer GetFrameWidth(TcxBorder ASide);
  virtual TRect GetOwnerScreenBounds();
  virtual void InheritOwnerFont();
  virtual void PaintFrame();
  virtual void ClosePopup() { Hide(); }
  virtual void Popup();

 protected:
  // The work area the popup keeps to (that of the monitor nearest to P).
  virtual TRect WorkAreaAt(const TPoint& P) { return cxWorkAreaAtPoint(P); }
  virtual void VisibleChanged() {}
  void ShiftChildrenBack();
  void CreateParams(TCreateParams& Params) override;
  void Deactivate() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;

 private:
  TRect FOwnerBounds;
  TControl* FOwnerParent = nullptr;
  TcxPopupHorzAlign FAlignHorz = phaLeft;
  TcxPopupVertAlign FAlignVert = pvaBottom;
  TcxPopupFlow FDirection = pflVertical;
  bool FAdjustable = true;
  TcxPopupWindowFrame FFrame = pwfNone;
  Integer FBorderSpace = 0;
  TColor FFrameColor = clWindowText;
  std::unique_ptr<TcxCanvas> FcxCanvas;
  HWND FPrevActiveWindow = nullptr;
};

// A semi-transparent image window used while dragging; the mouse goes
// through it.
class TcxCustomDragImage : public TcxPopupWindow {
  TOVANI_CLASS(TcxCustomDragImage, TcxPopupWindow)
 public:
  TcxCustomDragImage();
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value) { FAlphaBlend = Value; }
  Byte AlphaBlendValue() const { return FAlphaBlendValue; }
  // The window of the popup's parent form (or the active form) owns it.
  TWinControl* PopupParent() const { return FPopupParent; }
  void SetPopupParent(TWinControl* Value) { FPopupParent = Value; }
  // Shown without activation and painted at once.
  void ShowNoActivate();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  bool FAlphaBlend = true;
  Byte FAlphaBlendValue = 180;
  TWinControl* FPopupParent = nullptr;
};

// A hatched sizing frame: a ring as wide as the frame width.
class TcxSizeFrame : public TcxCustomDragImage {
  TOVANI_CLASS(TcxSizeFrame, TcxCustomDragImage)
 public:
  explicit TcxSizeFrame(Integer AFrameWidth = 4);
  ~TcxSizeFrame() override;
  Integer FrameWidth() const { return FFrameWidth; }
  // Screen coordinates.
  void SetFrameBounds(const TRect& R);
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  TcxRegion* Region() const { return FRegion.get(); }
  // How often the window region was replaced (it is kept while unchanged).
  Integer RegionUpdates() const { return FRegionUpdates; }

 protected:
  void Paint() override;
  void FrameRing();
  void ApplyRegion();

 private:
  Integer FFrameWidth;
  std::unique_ptr<TcxRegion> FRegion;
  std::unique_ptr<TBitmap> FPattern;
  Integer FRegionUpdates = 0;
};
