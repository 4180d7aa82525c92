// Controls of the class library: TControl (a rectangle on a parent with
// font, colour, text, mouse handling and the message dispatch chain),
// TWinControl (owns a real window), TGraphicControl (paints on its parent)
// and TCustomControl (a window with its own canvas and Paint).
//
// Messages reach a control through WindowProc (replaceable, by default the
// virtual WndProc), then the virtual Dispatch, where each class handles its
// messages in a switch and calls its base class's Dispatch for the rest;
// the end of the chain is DefaultHandler, which for a window calls its
// default window procedure. No C++ exception leaves a window procedure: it
// is handed to Application->HandleException.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "BasicActions.h"
#include "Classes.h"
#include "Graphics.h"
#include "Messages.h"
#include "TypInfo.h"
#include "Types.h"

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TCustomImageList;
class TDragObject;
class TDragImageList;
class TCustomAction;
class TControl;

// ---------------------------------------------------------------------------
// Enumerations and sets

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
TOVANI_ENUM_INFO(TAlign)
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
TOVANI_ENUM_INFO(TAnchorKind)
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
TOVANI_ENUM_INFO(TMouseButton)
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
TOVANI_ENUM_INFO(TShiftStateItem)
using TShiftState = TSet<TShiftStateItem>;
enum TDragMode { dmManual, dmAutomatic };
TOVANI_ENUM_INFO(TDragMode)
enum TDragKind { dkDrag, dkDock };
TOVANI_ENUM_INFO(TDragKind)
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
TOVANI_ENUM_INFO(TFormBorderStyle)
using TBorderStyle = TFormBorderStyle;   // controls use bsNone and bsSingle
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
TOVANI_ENUM_INFO(TBevelCut)
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
TOVANI_ENUM_INFO(TBevelKind)
enum TBevelEdge { beLeft, beTop, beRight, beBottom };
TOVANI_ENUM_INFO(TBevelEdge)
using TBevelEdges = TSet<TBevelEdge>;
using TBevelWidth = Integer;
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
TOVANI_ENUM_INFO(TBiDiMode)
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese, imSHanguel, imHanguel };
TOVANI_ENUM_INFO(TImeMode)
enum TScrollBarKind { sbHorizontal, sbVertical };
TOVANI_ENUM_INFO(TScrollBarKind)
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
TOVANI_ENUM_INFO(TVerticalAlignment)

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
  csParentBackground
};
using TControlStyle = TSet<TControlStyleItem>;
enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking, csRecreating
};
using TControlState = TSet<TControlStateItem>;

// Cursors: negative values are the standard cursors; positive ones are
// registered with Screen->SetCursors.
using TCursor = SmallInt;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                  crHandPoint = -21, crSizeAll = -22;

using TCaption = String;
using TModalResult = Integer;
constexpr TModalResult mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
                       mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = mrNo + 1,
                       mrNoToAll = mrAll + 1, mrYesToAll = mrNoToAll + 1, mrClose = mrYesToAll + 1;

// Key codes and shortcuts: a shortcut is a virtual key with scShift/scCtrl/scAlt bits.
using TShortCut = Word;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

// ---------------------------------------------------------------------------
// Events

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
// A typed character: one whole character (a code point); set it to 0 to drop it.
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, Integer X, Integer Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, Integer X, Integer Y)>;
using TCanResizeEvent = std::function<void(TObject* Sender, Integer& NewWidth, Integer& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent = std::function<void(TObject* Sender, Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight)>;

// ---------------------------------------------------------------------------
// Helper objects

// Limits on a control's size; 0 means no limit.
class TSizeConstraints : public TPersistent {
  TOVANI_CLASS(TSizeConstraints, TPersistent)
 public:
  explicit TSizeConstraints(TControl* AControl = nullptr) : FControl(AControl) {}
  void Assign(TPersistent* Source) override;
  Integer MaxHeight() const { return FMaxHeight; }
  void SetMaxHeight(Integer v);
  Integer MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(Integer v);
  Integer MinHeight() const { return FMinHeight; }
  void SetMinHeight(Integer v);
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer v);
  TNotifyEvent OnChange;

 protected:
  TPersistent* GetOwner() override;
  void Change();

 private:
  TControl* FControl;
  Integer FMaxHeight = 0, FMaxWidth = 0, FMinHeight = 0, FMinWidth = 0;
};

// A canvas on a control: the control's own window, or for a graphic control
// its parent's window with the origin moved to the control and clipped to it.
class TControlCanvas : public TCanvas {
  TOVANI_CLASS(TControlCanvas, TCanvas)
 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  void SetControl(TControl* v);
  // Releases the device context got from the window.
  void FreeHandle();
  // Text drawing flags follow the control's reading order.
  void UpdateTextFlags() {}

 protected:
  void CreateHandle() override;

 private:
  TControl* FControl = nullptr;
  HDC FDeviceContext = nullptr;
  HWND FWindowHandle = nullptr;
};

// The mouse: cursor position, capture, drag settings.
class TMouse {
 public:
  TPoint CursorPos() const;
  void SetCursorPos(TPoint p);
  HWND Capture() const { return GetCapture(); }
  void SetCapture(HWND h);
  // Pixels the mouse must move before a drag started with Immediate false begins.
  Integer DragThreshold() const { return FDragThreshold; }
  void SetDragThreshold(Integer v) { FDragThreshold = v; }
  bool DragImmediate() const { return FDragImmediate; }
  void SetDragImmediate(bool v) { FDragImmediate = v; }
  bool IsDragging() const;
  bool MousePresent() const { return GetSystemMetrics(SM_MOUSEPRESENT) != 0; }
  bool WheelPresent() const { return GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0; }
  Integer WheelScrollLines() const;

 private:
  Integer FDragThreshold = 5;
  bool FDragImmediate = true;
};
extern TMouse* Mouse;

// What is being dragged; made by the drag source (OnStartDrag) or by the
// library for a control that is dragged.
class TDragObject : public TObject {
  TOVANI_CLASS(TDragObject, TObject)
 public:
  ~TDragObject() override = default;
  virtual TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) { return Accepted ? crDrag : crNoDrop; }
  virtual void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) {}
  virtual String GetName() { return ClassName(); }
  // The images dragged along with the mouse (null: only the cursor).
  virtual TDragImageList* GetDragImages() { return nullptr; }
  void ShowDragImage();
  void HideDragImage();
  TObject* DragTarget() const { return FDragTarget; }
  TPoint DragPos() const { return FDragPos; }
  TPoint DragTargetPos() const { return FDragTargetPos; }
  bool Cancelling() const { return FCancelling; }
  bool Dropped() const { return FDropped; }
  HWND DragHandle() const { return FDragHandle; }
  // The object a drag-over/drop handler sees as Source.
  virtual TObject* SourceObject() { return this; }

 protected:
  friend struct DragState;
  friend class TControl;
  TObject* FDragTarget = nullptr;
  TPoint FDragPos, FDragTargetPos;
  bool FCancelling = false;
  bool FDropped = false;
  HWND FDragHandle = nullptr;
};

class TBaseDragControlObject : public TDragObject {
  TOVANI_CLASS(TBaseDragControlObject, TDragObject)
 public:
  explicit TBaseDragControlObject(TControl* AControl) : FControl(AControl) {}
  TControl* Control() const { return FControl; }
  TDragImageList* GetDragImages() override;
  void Finished(TObject* Target, Integer X, Integer Y, bool Accepted) override;
  TObject* SourceObject() override;

 private:
  TControl* FControl;
};

class TDragControlObject : public TBaseDragControlObject {
  TOVANI_CLASS(TDragControlObject, TBaseDragControlObject)
 public:
  using TBaseDragControlObject::TBaseDragControlObject;
  TCursor GetDragCursor(bool Accepted, Integer X, Integer Y) override;
};

// What CM_DRAG carries in its LParam.
struct TDragRec {
  TPoint Pos;
  TDragObject* Source = nullptr;
  TObject* Target = nullptr;
  bool Docking = false;
};

// What CM_HINTSHOW carries in its LParam: a handler may change the text,
// position and timing, or answer non-zero to suppress the hint.
struct THintInfo {
  TControl* HintControl = nullptr;
  HWND HintWindowClass = nullptr;
  TPoint HintPos;
  Integer HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  TRect CursorRect;
  TPoint CursorPos;
  Integer ReshowTimeout = 0;
  Integer HideTimeout = 0;
  String HintStr;
  void* HintData = nullptr;
};

// The link of a client to a TCustomAction. When a property of the action
// changes, the action first hands the new value to each link's Set...
// (while the action still holds the old value), and a link passes it on to
// its client only while the client's property is "linked": still equal to
// the action's. Afterwards the action's Change reaches the link's OnChange.
// A client class derives its own link and overrides the pairs it has.
class TActionLink : public TBasicActionLink {
  TOVANI_CLASS(TActionLink, TBasicActionLink)
 public:
  using TBasicActionLink::TBasicActionLink;

  // Each is true when the action is a TCustomAction (which has the
  // property); a client's link adds its own comparison.
  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsGroupIndexLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();

  virtual void SetAutoCheck(bool Value) {}
  virtual void SetCaption(const String& Value) {}
  virtual void SetChecked(bool Value) {}
  virtual void SetEnabled(bool Value) {}
  virtual void SetGroupIndex(Integer Value) {}
  virtual void SetHelpContext(Integer Value) {}
  virtual void SetHint(const String& Value) {}
  virtual void SetImageIndex(Integer Value) {}
  virtual void SetShortCut(TShortCut Value) {}
  virtual void SetVisible(bool Value) {}

 protected:
  // The action as a TCustomAction, or null.
  TCustomAction* CustomAction() const;
};

// The link of a control: caption, enabled state, hint and visibility follow
// the action; a click runs the action (TControl::Click).
class TControlActionLink : public TActionLink {
  TOVANI_CLASS(TControlActionLink, TActionLink)
 public:
  explicit TControlActionLink(TControl* AClient);
  TControl* Client() const { return FClient; }

  bool IsCaptionLinked() override;
  bool IsEnabledLinked() override;
  bool IsHintLinked() override;
  bool IsVisibleLinked() override;
  bool IsHelpContextLinked() override;
  void SetCaption(const String& Value) override;
  void SetEnabled(bool Value) override;
  void SetHint(const String& Value) override;
  void SetVisible(bool Value) override;
  void SetHelpContext(Integer Value) override;

 protected:
  TControl* FClient;
};

// The link of a windowed control (the class every windowed control's own
// link derives from).
class TWinControlActionLink : public TControlActionLink {
  TOVANI_CLASS(TWinControlActionLink, TControlActionLink)
 public:
  explicit TWinControlActionLink(TWinControl* AClient);
};

// Parameters of the window a TWinControl creates (CreateParams fills them).
struct TCreateParams {
  String Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Integer X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSW WindowClass{};
  // Name the window class is registered under (the control's class name by default).
  String WinClassName;
  // System class the window class is made from ("EDIT", "BUTTON", ...), empty for our own.
  String SubClassOf;
};

// ---------------------------------------------------------------------------
// TControl

class TControl : public TComponent {
  TOVANI_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* AOwner = nullptr);
  ~TControl() override;

  // Message handling.
  std::function<void(TMessage&)> WindowProc;
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  template <class P> LRESULT Perform(UINT Msg, WPARAM WParam, P* LParam) {
    return Perform(Msg, WParam, reinterpret_cast<LPARAM>(LParam));
  }

  // Parent and position.
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  bool HasParent() const override { return FParent != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  HWND ParentWindow() const;
  Integer Left() const { return FLeft; }
  void SetLeft(Integer v) { SetBounds(v, FTop, FWidth, FHeight); }
  Integer Top() const { return FTop; }
  void SetTop(Integer v) { SetBounds(FLeft, v, FWidth, FHeight); }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v) { SetBounds(FLeft, FTop, v, FHeight); }
  Integer Height() const { return FHeight; }
  void SetHeight(Integer v) { SetBounds(FLeft, FTop, FWidth, v); }
  TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  virtual TRect ClientRect();
  Integer ClientWidth() { return ClientRect().Width(); }
  void SetClientWidth(Integer v);
  Integer ClientHeight() { return ClientRect().Height(); }
  void SetClientHeight(Integer v);
  void SetClientSize(Integer w, Integer h);
  // Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint p) { TPoint o = ClientOrigin(); return {p.X + o.X, p.Y + o.Y}; }
  TPoint ScreenToClient(TPoint p) { TPoint o = ClientOrigin(); return {p.X - o.X, p.Y - o.Y}; }
  TPoint ClientToParent(TPoint p, TWinControl* AParent = nullptr);
  TPoint ParentToClient(TPoint p, TWinControl* AParent = nullptr);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign v);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors v);
  TSizeConstraints* Constraints() { return FConstraints.get(); }
  void SetConstraints(TSizeConstraints* v) { FConstraints->Assign(v); }
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool v);

  // State.
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent up to a shown window visible.
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  // Enabled and every parent enabled.
  bool IsEnabled() const;
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle v) { FControlStyle = v; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState v) { FControlState = v; }

  // Appearance.
  TFont* Font() { return FFont.get(); }
  void SetFont(TFont* v) { FFont->Assign(v); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool v);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool v);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool v) { FParentCtl3D = v; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode v) { FBiDiMode = v; }
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool v) { FParentBiDiMode = v; }
  bool UseRightToLeftAlignment() const { return false; }
  bool UseRightToLeftReading() const { return false; }
  bool UseRightToLeftScrollBar() const { return false; }

  // Text: the caption of a window or the text of an edit.
  String Text() { return GetText(); }
  void SetText(const String& v);
  String Caption() { return GetText(); }
  void SetCaption(const String& v) { SetText(v); }
  Integer GetTextLen() { return Integer(GetText().size()); }

  // Hints and menus.
  const String& Hint() const { return FHint; }
  void SetHint(const String& v) { FHint = v; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool v);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* v);
  // The popup menu shown for this control: its own or its parent's.
  virtual TPopupMenu* GetPopupMenu();
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer v) { FHelpContext = v; }

  // Actions.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* v);
  TControlActionLink* ActionLink() const { return FActionLink.get(); }
  // Makes the link a newly assigned action is held by; a control class
  // whose link knows more of the action (checked state, image) overrides it.
  virtual std::unique_ptr<TControlActionLink> CreateActionLink();
  void InitiateAction();
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

  // Painting.
  void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  // Mouse capture: a graphic control captures through its parent's window.
  bool MouseCapture() const;
  void SetMouseCapture(bool v);

  // Dragging.
  TDragMode DragMode() const { return FDragMode; }
  virtual void SetDragMode(TDragMode v) { FDragMode = v; }
  TDragKind DragKind() const { return FDragKind; }
  void SetDragKind(TDragKind v) { FDragKind = v; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor v) { FDragCursor = v; }
  // Starts dragging this control: at once, or when the mouse has moved
  // Threshold pixels (-1: Mouse->DragThreshold).
  void BeginDrag(bool Immediate, Integer Threshold = -1);
  void EndDrag(bool Drop);
  bool Dragging() const;

  // Events.
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  TConstrainedResizeEvent OnConstrainedResize;
  TContextPopupEvent OnContextPopup;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;

  // The images shown under the mouse while this control is dragged; null
  // for none. The drag protocol shows, moves and hides them.
  virtual TDragImageList* GetDragImages() { return nullptr; }

  // Drag protocol as the class library calls it.
  virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, Integer X, Integer Y);
  virtual void DoStartDrag(TDragObject*& DragObject);
  virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);

  // Runs the click: the action when the control has one, else OnClick.
  virtual void Click();
  virtual void DblClick();
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  friend class TWinControl;
  friend class TControlActionLink;
  friend class TControlCanvas;
  friend struct DragState;

  virtual String GetText();
  virtual void SetTextValue(const String& v);   // stores the text (windows: the window text)
  virtual void Changed() { Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this)); }
  virtual void Resize();
  virtual bool CanResize(Integer& NewWidth, Integer& NewHeight);
  virtual bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) { return true; }
  virtual void ConstrainedResize(Integer& MinWidth, Integer& MinHeight, Integer& MaxWidth, Integer& MaxHeight);
  void DoConstraints(Integer& w, Integer& h);
  // The size SetBounds may give: never negative, within the constraints,
  // and the current size when CanResize refuses the change (not while
  // loading, when the stored size is taken as it is).
  void CheckNewSize(Integer& AWidth, Integer& AHeight);
  virtual void AdjustSize();
  // Tells the parent to lay out its children again.
  void RequestAlign();
  void UpdateAnchorRules();
  virtual void VisibleChanging() {}
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual void FontChanged();
  virtual void ChangeScale(Integer M, Integer D);

  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  virtual bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  virtual void MouseWheelHandler(TMessage& Message);
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  virtual TDragObject* MakeDragObject();

  // Message handlers of TControl.
  void WMMouse(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void WMMouseWheel(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMParentShowHintChanged(TMessage& Message);
  void CMHitTest(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMHintShow(TMessage& Message);
  void CMDrag(TMessage& Message);
  virtual void DoDragMsg(TMessage& Message);

  TWinControl* FParent = nullptr;
  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  // Bounds and parent client size when the anchors were last set.
  TRect FAnchorBounds;
  TPoint FOriginalParentSize;
  std::unique_ptr<TSizeConstraints> FConstraints;
  bool FAutoSize = false;
  bool FVisible = true;
  bool FEnabled = true;
  TControlStyle FControlStyle;
  TControlState FControlState;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  TCursor FCursor = crDefault;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  String FText;
  String FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TPopupMenu* FPopupMenu = nullptr;
  Integer FHelpContext = 0;
  std::unique_ptr<TControlActionLink> FActionLink;
  TDragMode FDragMode = dmManual;
  TDragKind FDragKind = dkDrag;
  TCursor FDragCursor = crDrag;
  bool FIsControl = false;
  Integer FAlignLevel = 0;
};

// ---------------------------------------------------------------------------
// TWinControl

class TWinControl : public TControl {
  TOVANI_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* AOwner = nullptr);
  // Made as the child of a window that is not one of ours (the class
  // library's CreateParented).
  static TWinControl* CreateParented(HWND ParentWindow);
  ~TWinControl() override;
  std::unique_ptr<TControlActionLink> CreateActionLink() override;

  // The window; made on first use (and the parent's first).
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window and makes it again, keeping state (CM_RECREATEWND).
  void RecreateWnd();
  HWND ParentWindowHandle() const { return FParentWindow; }
  void SetParentWindow(HWND v);

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // Sends the message to every child control until one answers non-zero.
  void Broadcast(TMessage& Message);

  // Children.
  Integer ControlCount() const { return Integer(FControls.size()); }
  TControl* Controls(Integer Index) const { return FControls.at(size_t(Index)); }
  // The controls in z-order: graphic controls first, then windowed ones.
  const std::vector<TControl*>& ControlList() const { return FControls; }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control) const;
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false);
  TControl* FindChildControl(const String& ControlName) const;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void DisableAlign() { ++FAlignLevel; }
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return FAlignLevel > 0; }

  // Focus and tab order.
  virtual bool CanFocus();
  virtual void SetFocus();
  virtual bool Focused();
  Integer TabOrder() const;
  void SetTabOrder(Integer v);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool v);
  // Every focusable descendant in tab order.
  virtual void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectFirst();
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  // Painting.
  void Update() override;
  void Repaint() override;
  void PaintTo(HDC DC, Integer X, Integer Y);
  void PaintTo(TCanvas* Canvas, Integer X, Integer Y) { PaintTo(Canvas->Handle(), X, Y); }
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool v) { FDoubleBuffered = v; }
  TBrush* Brush() { return FBrush.get(); }

  TRect ClientRect() override;
  TPoint ClientOrigin() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  bool Showing() const override;

  Integer BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer v);
  // The bevel drawn around the client area, in the non-client area, on the
  // chosen edges; none with bkNone. The cuts, edges and width are for the
  // descendants that publish them.
  TBevelKind BevelKind() const { return FBevelKind; }
  void SetBevelKind(TBevelKind v);
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode v) { FImeMode = v; }
  String ImeName() const { return FImeName; }
  void SetImeName(const String& v) { FImeName = v; }
  bool ParentBackground() const { return FControlStyle.Contains(csParentBackground); }
  void SetParentBackground(bool v);

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Keyboard as the class library processes it.
  bool DoKeyDown(TMessage& Message);
  bool DoKeyPress(TMessage& Message);
  bool DoKeyUp(TMessage& Message);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

 protected:
  friend class TControl;
  friend class TCustomForm;
  friend class TApplication;
  friend LRESULT CALLBACK TovaniWndProc(HWND, UINT, WPARAM, LPARAM);

  TBevelEdges BevelEdges() const { return FBevelEdges; }
  void SetBevelEdges(TBevelEdges v);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut v);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut v);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth v);

  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void DestroyWnd();
  virtual void DestroyWindowHandle();
  virtual void CreateHandle();
  virtual void DestroyHandle();
  // The system class the control is made from, for CreateParams.
  void CreateSubClass(TCreateParams& Params, const char16_t* ControlClassName);
  // Called after the window exists: fonts, text, children.
  virtual void InitializeWindow() {}
  // The control the next window made on this thread belongs to (for
  // windows made by others, such as MDI children made by the MDI client).
  static void SetCreationControl(TWinControl* c);

  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void AdjustClientRect(TRect& Rect);
  void AlignControl(TControl* AControl);
  static void PlacedByParent(TControl* c);
  virtual void ControlsAligned() {}
  void UpdateBounds();
  void UpdateShowing();
  void UpdateControlState();
  bool ParentShowing() const;
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC, TControl* First);
  void PaintHandler(TMessage& Message);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(char32_t& Key);
  virtual bool IsControlMouseMsg(TMessage& Message);
  void SetTextValue(const String& v) override;
  String GetText() override;
  void FontChanged() override;
  virtual void SetZOrder(bool TopMost);
  void ResetIme() {}

  // Message handlers of TWinControl.
  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMMove(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMNotify(TMessage& Message);
  void WMCtlColor(TMessage& Message);
  void WMDrawItem(TMessage& Message);
  void WMMeasureItem(TMessage& Message);
  void WMScroll(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMSysKeyDown(TMessage& Message);
  void CNKeyDown(TMessage& Message);
  void CNChar(TMessage& Message);
  void CNCtlColor(TMessage& Message);
  void CMChildKey(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMEnter(TMessage& Message);
  void CMExit(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMRecreateWnd(TMessage& Message);
  void CMCancelMode(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);

  HWND FHandle = nullptr;
  HWND FParentWindow = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;      // graphic controls first, then windows, each in z-order
  std::vector<TWinControl*> FTabList;
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  bool FShowing = false;
  std::unique_ptr<TBrush> FBrush;
  Integer FBorderWidth = 0;
  TBevelKind FBevelKind = bkNone;
  TImeMode FImeMode = imDontCare;
  String FImeName;
  TPoint FLastClientSize;
  char16_t FPendingHighSurrogate = 0;

 private:
  // How far the bevel reaches in from each chosen edge (0 without a bevel).
  Integer BevelEdgeSize() const;
  // Moves the chosen edges of R in by the bevel.
  void ShrinkByBevel(RECT& R) const;
  // The bevel changed: the window's frame is measured and drawn again.
  void BevelChanged();
  TBevelEdges FBevelEdges{beLeft, beTop, beRight, beBottom};
  TBevelCut FBevelInner = bvRaised;
  TBevelCut FBevelOuter = bvLowered;
  TBevelWidth FBevelWidth = 1;
};

// ---------------------------------------------------------------------------

class TGraphicControl : public TControl {
  TOVANI_CLASS(TGraphicControl, TControl)
 public:
  explicit TGraphicControl(TComponent* AOwner = nullptr);
  ~TGraphicControl() override;
  TCanvas* Canvas() { return FCanvas.get(); }

 protected:
  friend class TWinControl;
  virtual void Paint() {}
  void Dispatch(TMessage& Message) override;

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
  TOVANI_CLASS(TCustomControl, TWinControl)
 public:
  explicit TCustomControl(TComponent* AOwner = nullptr);
  ~TCustomControl() override;
  TCanvas* Canvas() { return FCanvas.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  void Dispatch(TMessage& Message) override;

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

// The window that shows hints: a borderless popup painting its text on the
// hint colour.
class THintWindow : public TCustomControl {
  TOVANI_CLASS(THintWindow, TCustomControl)
 public:
  explicit THintWindow(TComponent* AOwner = nullptr);
  // Shows Hint in Rect (screen coordinates).
  virtual void ActivateHint(TRect Rect, const String& AHint);
  virtual void ActivateHintData(TRect Rect, const String& AHint, void* AData) { ActivateHint(Rect, AHint); }
  // The rectangle the text needs (at 0,0), at most MaxWidth wide.
  virtual TRect CalcHintRect(Integer MaxWidth, const String& AHint, void* AData);
  void ReleaseHandle();
  bool IsHintMsg(const MSG& Msg) const;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};

// ---------------------------------------------------------------------------
// Functions

// The control that owns a window (null when the window is not one of ours).
TWinControl* FindControl(HWND Handle);
// The control of ours under a screen point.
TWinControl* FindVCLWindow(TPoint Pos);
// The control (windowed or graphic) under a screen point.
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);
TCustomForm* GetParentForm(TControl* Control, bool TopForm = true);
// As GetParentForm; EInvalidOperation "Control '%s' has no parent form" when none.
TCustomForm* ValidParentForm(TControl* Control, bool TopForm = true);
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
void CancelDrag();
// A drag image list going away is no longer shown by the drag under way.
void DragImagesDestroyed(TDragImageList* Images);
TShiftState KeysToShiftState(Word Keys);
TShiftState KeyDataToShiftState(LPARAM KeyData);
TShiftState KeyboardStateToShiftState();
// The character after "&" in Caption equals VK (case-insensitive).
bool IsAccel(Word VK, const String& Str);
TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// Passes an exception caught in a window procedure or event to the
// application (Forms sets the handler; until then it is only swallowed).
void HandleControlException(TObject* Sender);
