// The styled container of the editor library and what stands around it.
//
// Every editor is a container: a control that hosts one inner window (an
// edit box, a list box) and draws everything around it, background, border
// in one of seven styles, drop shadow, hot-tracking and focus looks, and the
// library's own scroll bars laid over the inner window's native ones. Its
// colours, font, border and hot tracking come from four styles, one per
// visual state; a value a style leaves open is looked up on a shared style
// controller and then computed. Its geometry and painting live in a view
// info object, recalculated whenever its state changes.
//
// Beside it: the base of the editors' popup windows with the list of open
// popups and the thread hooks that close them when the user clicks
// elsewhere or switches to another application, and the list box used as
// the inner window of list-style containers.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Forms.h"
#include "StdCtrls.h"
#include "cxControls.h"
#include "cxLookAndFeels.h"

class TcxContainer;
class TcxStyleController;
class TcxCustomInnerListBox;
class TChangeLink;

// Private messages of the container and its popups.
constexpr UINT DXM_CONTAINERSETFOCUS = 0x807C;
constexpr UINT DXM_CLOSEPOPUPWINDOW = 0x807D;
constexpr UINT DXM_SHOWPOPUPWINDOW = 0x807E;
constexpr UINT DXM_UPDATESTATEFROMCURSOR = 0x807F;
constexpr UINT DXM_UPDATESCROLLBARS = 0x8080;
constexpr UINT DXM_BUFFEREDPAINTONGLASS = 0x8081;

// ---------------------------------------------------------------------------
// Styles

enum TcxContainerBorderStyle { cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat, cbsOffice11 };
TOVANI_ENUM_INFO(TcxContainerBorderStyle)
TOVANI_ENUM_INFO(TcxBorder)

// The values of a style; the editor styles add their own after these.
enum TcxContainerStyleValue {
  csvBorderColor, csvBorderStyle, csvColor, csvEdges, csvFont, csvHotTrack, csvShadow, csvTextColor, csvTextStyle,
  csvTransparentBorder
};
using TcxContainerStyleValues = TSet<TcxContainerStyleValue>;
constexpr Integer cxContainerStyleValueCount = 10;

// Which of the four styles; also the state a style serves.
enum TcxContainerStateItem { cssNormal, cssFocused, cssDisabled, cssHot };

using TcxStyleChangedEvent = std::function<void(TObject* Sender)>;

class TcxContainerStyle : public TcxInterfacedPersistent {
  TOVANI_CLASS(TcxContainerStyle, TcxInterfacedPersistent)
 public:
  // A state style (AState other than cssNormal) reads base values from
  // AParentStyle. A style in direct-access mode paints without a control:
  // it reads its stored values straight and announces nothing.
  TcxContainerStyle(TPersistent* AOwner, bool ADirectAccessMode = false, TcxContainerStyle* AParentStyle = nullptr,
                    TcxContainerStateItem AState = cssNormal);
  ~TcxContainerStyle() override;
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  // Values (rule: own assigned value, else the controller's style of the
  // same slot, else the fallback).
  TColor BorderColor();
  void SetBorderColor(TColor Value);
  TcxContainerBorderStyle BorderStyle();
  void SetBorderStyle(TcxContainerBorderStyle Value);
  virtual TColor Color();
  void SetColor(TColor Value);
  TcxBorders Edges();
  void SetEdges(TcxBorders Value);
  TFont* Font();
  void SetFont(TFont* Value);
  bool HotTrack();
  void SetHotTrack(bool Value);
  bool Shadow();
  void SetShadow(bool Value);
  virtual TColor TextColor();
  void SetTextColor(TColor Value);
  virtual TFontStyles TextStyle();
  void SetTextStyle(TFontStyles Value);
  bool TransparentBorder();
  void SetTransparentBorder(bool Value);
  TcxLookAndFeel* LookAndFeel() { return BaseStyle()->FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { LookAndFeel()->Assign(Value); }
  // Null while the default controller is in effect.
  TcxStyleController* StyleController();
  void SetStyleController(TcxStyleController* Value);
  TcxContainerStyleValues AssignedValues() const;
  void SetAssignedValues(TcxContainerStyleValues Value);

  // The base style's font with TextColor and TextStyle, rebuilt per call.
  TFont* GetVisibleTextFont();
  // What a container copies into its own Color.
  virtual TColor GetPaintColor();
  // Assigned on this style or on a controller's style of the same slot.
  virtual bool IsValueAssigned(TcxContainerStyleValue AValue);
  TcxContainerStyle* BaseStyle() { return FParentStyle ? FParentStyle : this; }
  bool IsBase() const { return FParentStyle == nullptr; }
  TcxContainerStateItem State() const { return FState; }
  bool DirectAccessMode() const { return FDirectAccessMode; }
  TcxStyleController* GetActiveController();
  TcxContainer* OwnerContainer();
  bool FindStyleValue(const String& AName, TcxContainerStyleValue& AValue);
  bool IsSlotPropertyVisible(const String& AName);
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  virtual void RestoreDefaultValues();
  void ReloadFont();
  bool IsDestroying() const { return FDestroying; }
  // Takes a value's bit off without any other effect (a font or colour the
  // control got from elsewhere is not the style's own).
  void RemoveAssignedValue(TcxContainerStyleValue AValue) { FAssignedValues.Exclude(AValue); }

  virtual Integer StyleValueCount() { return cxContainerStyleValueCount; }
  virtual bool StyleValueName(TcxContainerStyleValue AValue, String& AName);
  virtual bool DrawsBorder() { return IsBase() ? true : BaseStyle()->DrawsBorder(); }
  virtual TcxContainerStyleValues HiddenSlotValues() {
    return {csvEdges, csvFont, csvHotTrack, csvShadow, csvTransparentBorder};
  }

  // Called after changes (a batch inside BeginUpdate/EndUpdate once).
  TcxStyleChangedEvent OnChanged;

  virtual void NotifyChanged();
  virtual void ControllerStylesChanged(TcxStyleController* AController);
  virtual void ControllerGoingAway(TcxStyleController* AController);

 protected:
  virtual TColor FallbackBorderColor();
  virtual TcxContainerBorderStyle FallbackBorderStyle();
  virtual TColor FallbackColor();
  virtual TcxBorders FallbackEdges() { return cxBordersAll; }
  virtual bool FallbackHotTrack() { return true; }
  virtual bool FallbackShadow() { return false; }
  virtual TColor FallbackTextColor();
  virtual TFontStyles FallbackTextStyle();
  virtual bool FallbackTransparentBorder() { return true; }
  virtual void HandleFontChange(TObject* Sender);
  virtual TcxStyleController* GetDefaultController();
  // The style whose own value a state-carried value comes from (this one,
  // or one down the controller chain); null: the fallback applies.
  TcxContainerStyle* ValueSource(TcxContainerStyleValue AValue);
  bool StoredValue(TcxContainerStyleValue AValue);
  void AddAssigned(TcxContainerStyleValue AValue) { FAssignedValues.Include(AValue); }
  bool HasAssigned(TcxContainerStyleValue AValue) const { return FAssignedValues.Contains(AValue); }
  // Values the editor styles keep beside these.
  TcxContainerStyleValues FAssignedValues;

 private:
  friend class TcxStyleController;
  friend struct TcxContainerStylePublisher;
  bool DefaultControllerOwnsThis();
  TcxStyleController* EffectiveController();
  bool StoreStyleController();
  void ResetFont();
  TFont* DirectFont() const { return FFont; }

  TcxContainerStyle* FParentStyle = nullptr;
  TcxContainerStateItem FState = cssNormal;
  bool FDirectAccessMode = false;
  TColor FBorderColor = clWindowFrame;
  TcxContainerBorderStyle FBorderStyle = cbs3D;
  TcxBorders FEdges = cxBordersAll;
  bool FHotTrack = true, FShadow = false, FTransparentBorder = true;
  TFontStyles FTextStyle;
  TColor FColor = clWindow, FTextColor = clWindowText;
  TFont* FFont = nullptr;   // owned by a base style outside direct-access mode
  std::unique_ptr<TFont> FOwnedFont;
  std::unique_ptr<TFont> FVisibleFont;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  TcxStyleController* FController = nullptr;
  Integer FUpdateCount = 0;
  bool FModified = false;
  Integer FFontAssignedLock = 0;
  bool FDestroying = false;
};
using TcxContainerStyleFactory = std::function<TcxContainerStyle*(TPersistent* AOwner, bool ADirectAccessMode,
                                                                  TcxContainerStyle* AParentStyle,
                                                                  TcxContainerStateItem AState)>;

// The four styles of a container or a controller, all of one class.
class TcxContainerStyles : public TObject {
  TOVANI_CLASS(TcxContainerStyles, TObject)
 public:
  TcxContainerStyles(TPersistent* AOwner, const TcxContainerStyleFactory& AFactory);
  ~TcxContainerStyles() override;
  TcxContainerStyle* GetStyleOfSlot(TcxContainerStateItem ASlot) const { return FStyles[ASlot].get(); }
  TcxContainerStyle* Style() const { return FStyles[cssNormal].get(); }
  TcxContainerStyle* StyleFocused() const { return FStyles[cssFocused].get(); }
  TcxContainerStyle* StyleDisabled() const { return FStyles[cssDisabled].get(); }
  TcxContainerStyle* StyleHot() const { return FStyles[cssHot].get(); }
  // Copies the values into the existing entry.
  void SetStyleOfSlot(TcxContainerStateItem ASlot, TcxContainerStyle* Value) { FStyles[ASlot]->Assign(Value); }
  void SetChangeHandler(const TcxStyleChangedEvent& AHandler);

 private:
  std::unique_ptr<TcxContainerStyle> FStyles[4];
};

// Container styles shared among controls.
class TcxStyleController : public TcxComponent {
  TOVANI_CLASS(TcxStyleController, TcxComponent)
 public:
  explicit TcxStyleController(TComponent* AOwner = nullptr);
  ~TcxStyleController() override;
  void Loaded() override;

  TcxContainerStyle* GetStyle() const { return FStyles->Style(); }
  TcxContainerStyle* GetStyleOfSlot(TcxContainerStateItem ASlot) const { return FStyles->GetStyleOfSlot(ASlot); }
  TcxContainerStyle* Style() const { return GetStyle(); }
  void SetStyle(TcxContainerStyle* Value) { FStyles->SetStyleOfSlot(cssNormal, Value); }
  TcxContainerStyle* StyleDisabled() const { return GetStyleOfSlot(cssDisabled); }
  void SetStyleDisabled(TcxContainerStyle* Value) { FStyles->SetStyleOfSlot(cssDisabled, Value); }
  TcxContainerStyle* StyleFocused() const { return GetStyleOfSlot(cssFocused); }
  void SetStyleFocused(TcxContainerStyle* Value) { FStyles->SetStyleOfSlot(cssFocused, Value); }
  TcxContainerStyle* StyleHot() const { return GetStyleOfSlot(cssHot); }
  void SetStyleHot(TcxContainerStyle* Value) { FStyles->SetStyleOfSlot(cssHot, Value); }
  TcxStyleController* FakeStyleController() { return GetStyle()->StyleController(); }
  void SetFakeStyleController(TcxStyleController*) {}

  virtual void RegisterStyle(TcxContainerStyle* AStyle);
  virtual void UnregisterStyle(TcxContainerStyle* AStyle);
  bool IsRegistered(TcxContainerStyle* AStyle) const;
  Integer ListenerCount() const { return Integer(FListeners.size()); }
  void NotifyStylesChanged();
  // Scales the font of the normal style once in the controller's life (a
  // form scaling); without an own font the request goes down the chain.
  void ScaleFont(Integer M, Integer D);
  bool IsDestroying() const { return FDestroying; }

  TcxStyleChangedEvent OnStyleChanged;

 protected:
  // The class of the four styles (editor style controllers make editor styles).
  virtual TcxContainerStyleFactory StyleFactory();
  // Descendants whose StyleFactory differs call this at the end of their constructor.
  void RecreateStyles();

 private:
  std::unique_ptr<TcxContainerStyles> FStyles;
  std::vector<TcxContainerStyle*> FListeners;
  bool FDestroying = false;
  bool FFontScaled = false;
};

// The controller every style without one of its own uses.
TcxStyleController* cxDefaultStyleController();
// Makes a new default controller through AFactory (the editor unit makes an
// edit style controller) and answers it; the previous one is freed when no
// style uses it.
TcxStyleController* cxCreateDefaultStyleController(const std::function<TcxStyleController*()>& AFactory);
// Null: the next request makes a plain default controller again.
void cxSetDefaultStyleController(TcxStyleController* AController);

// ---------------------------------------------------------------------------
// View info

enum TcxContainerStateFlag { csfNormal, csfActive, csfDisabled, csfHotTracked };
using TcxContainerStateFlags = TSet<TcxContainerStateFlag>;
enum TcxContainerHotState { chsNone, chsNormal, chsSelected };

class TcxContainerViewInfo : public TObject {
  TOVANI_CLASS(TcxContainerViewInfo, TObject)
 public:
  TcxContainerViewInfo();
  ~TcxContainerViewInfo() override;

  TColor BackgroundColor = clWindow;
  TColor BorderColor = clWindowFrame;
  TRect BorderRect;
  TcxContainerBorderStyle BorderStyle = cbsNone;
  Integer BorderWidth = 0;
  TRect Bounds;
  TRect ClientRect;
  TcxContainerStateFlags ContainerState{csfNormal};
  TcxBorders Edges = cxBordersAll;
  TcxContainerHotState HotState = chsNone;
  Integer NativePart = 0, NativeState = 0;
  bool NativeStyle = false;
  TcxLookAndFeelPainterClass Painter = nullptr;   // a skin painter; none in this program
  bool Shadow = false;
  TThemedElement ThemedObjectType = teEdit;

  virtual void DrawContainerBackground(TcxCanvas* ACanvas, const TRect& R);
  virtual TcxContainerBorderStyle GetBorderStyleKind() { return BorderStyle; }
  virtual void PaintContent(TcxCanvas* ACanvas);
  virtual void ChangeBackgroundColor(TColor AColor) { BackgroundColor = AColor; }
  virtual void AssignFrom(TcxContainerViewInfo* Source);
  // The caller owns the region.
  virtual TcxRegion* GetRepaintRegion(TcxContainerViewInfo* Other) { return new TcxRegion(); }
  virtual void MoveBy(Integer DX, Integer DY);
  virtual void PaintOn(TcxCanvas* ACanvas) { PaintContent(ACanvas); }
};

// ---------------------------------------------------------------------------
// The container

// Implemented by inner controls: the control itself and its container.
class IcxContainerInnerControl {
 public:
  virtual ~IcxContainerInnerControl() = default;
  virtual TWinControl* GetControl() = 0;
  virtual TcxContainer* GetControlContainer() = 0;
};

struct TcxContainerInnerControlClip {
  bool IsInside = true;
  TRect Rect;
  bool operator==(const TcxContainerInnerControlClip&) const = default;
};

class TcxContainer : public TcxControl, public IcxMouseTrackingCaller {
  TOVANI_CLASS(TcxContainer, TcxControl)
 public:
  explicit TcxContainer(TComponent* AOwner = nullptr);
  ~TcxContainer() override;
  // Descendants with their own style class pass its factory.
  TcxContainer(TComponent* AOwner, const TcxContainerStyleFactory& AStyleFactory);

  TcxContainerStyle* Style() const { return FStyles->Style(); }
  void SetStyle(TcxContainerStyle* Value) { FStyles->SetStyleOfSlot(cssNormal, Value); }
  TcxContainerStyle* StyleDisabled() const { return FStyles->StyleDisabled(); }
  void SetStyleDisabled(TcxContainerStyle* Value) { FStyles->SetStyleOfSlot(cssDisabled, Value); }
  TcxContainerStyle* StyleFocused() const { return FStyles->StyleFocused(); }
  void SetStyleFocused(TcxContainerStyle* Value) { FStyles->SetStyleOfSlot(cssFocused, Value); }
  TcxContainerStyle* StyleHot() const { return FStyles->StyleHot(); }
  void SetStyleHot(TcxContainerStyle* Value) { FStyles->SetStyleOfSlot(cssHot, Value); }
  TcxStyleController* FakeStyleController() { return Style()->StyleController(); }
  void SetFakeStyleController(TcxStyleController*) {}
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo.get(); }
  TWinControl* InnerControl() const { return FInnerControl; }
  TcxLookAndFeelPainterClass GetPainter() override;

  bool UpdateStateFromCursor(bool AIsMouseEvent = false);
  virtual bool UpdateState(TPoint MousePos, Integer AButton, TShiftState Shift, bool AIsMouseEvent);
  bool IsDestroying();
  bool Focused() override;
  void SetFocus() override;
  void Invalidate();
  void Update() override;
  void PostScrollBarsUpdate();
  virtual void ContainerStyleChanged(TObject* Sender);
  virtual TcxContainerStyle* GetActiveStyle();
  virtual void GetVisibleBounds(TRect& R);
  virtual bool UsesWindowRegion();
  virtual bool HasShadow();
  virtual void AdjustInnerControlBounds();
  virtual void GetInnerControlClip(const TRect& ABounds, TWinControl* AControl, TcxContainerInnerControlClip& AClip);
  virtual void SetDragKind(TDragKind Value);
  virtual void GetBorderExtent(TRect& AExtent);
  virtual void GetTrackingBounds(TRect& R);
  virtual bool IsNativeStyle();
  virtual bool IsInplace() { return false; }
  virtual bool HasPopupWindow() { return false; }
  virtual TcxContainerStyleValues GetUnusedStyleValues() { return {}; }
  bool IsStylePropertyVisible(const String& AName, bool AIsStateStyle);
  // Current state (the flags of the last calculation).
  TcxContainerStateFlags State() const { return FViewInfo->ContainerState; }
  virtual void UpdateScrollBars(bool AIsScrolling = false);
  virtual bool InnerControlDefaultHandler(TMessage& Message);
  virtual bool HandleInnerControlKey(TMessage& Message);
  virtual bool DefaultParentColor() { return false; }
  virtual bool ShowsParentBackground() { return false; }
  bool InnerControlMouseDown() const { return FInnerControlMouseDown; }
  void SetInnerControlMouseDown(bool Value) { FInnerControlMouseDown = Value; }
  const TcxContainerInnerControlClip& InnerControlClip() const { return FInnerControlClip; }
  bool SizeGripVisible() const { return FSizeGripVisible; }
  const TRect& SizeGripRect() const { return FSizeGripRect; }
  Integer PopupMenuLockCount() const { return FPopupMenuLockCount; }
  void LockPopupMenu(bool ALock) { FPopupMenuLockCount += ALock ? 1 : -1; }

  // Forwarded by the inner control.
  void DoInnerKeyDown(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
  void DoInnerKeyUp(Word& Key, TShiftState Shift) { KeyUp(Key, Shift); }
  void DoInnerKeyPress(char32_t& Key) { KeyPress(Key); }
  void DoInnerMouseDown(TMouseButton B, TShiftState S, Integer X, Integer Y) { MouseDown(B, S, X, Y); }
  void DoInnerMouseMove(TShiftState S, Integer X, Integer Y) { MouseMove(S, X, Y); }
  void DoInnerMouseUp(TMouseButton B, TShiftState S, Integer X, Integer Y) { MouseUp(B, S, X, Y); }
  bool DoInnerMouseWheel(TShiftState S, Integer D, TPoint P) { return DoMouseWheel(S, D, P); }
  void DoInnerFocusChanged() { DoFocusChanged(); }

  void MouseLeave() override { MouseTrackingLeave(); }

 protected:
  // Hooks of the container, in the order its descendants meet them.
  virtual bool SetFocusNeedless() { return Focused(); }
  virtual void SyncInnerControlLook();
  virtual void CalculateViewInfo(TPoint MousePos, bool AAllowHotTrack);
  virtual bool HandlesTabKey() { return true; }
  virtual bool AllowContextPopupAt(TPoint MousePos) { return true; }
  virtual void DataChange() {}
  virtual void RefreshContainer();
  virtual void MouseTrackingLeave();
  static TcxContainerStyleFactory DefaultStyleFactory();
  // Descendants with their own view info class call this in their constructor.
  void SetViewInfo(TcxContainerViewInfo* AViewInfo) { FViewInfo.reset(AViewInfo); }
  virtual bool CallInnerControlWndProc(TMessage& Message);
  virtual TcxContainerStyle* GetStyleForState();
  virtual bool HostsChildControls() { return false; }

 public:
  // The inner control stands in the tab order for the container while it
  // is the form's active control.
  void GetTabOrderList(std::vector<TWinControl*>& List) override;

 protected:
  virtual bool IsReadOnlyLook() { return false; }
  virtual void UpdateWindowRegion();
  virtual void ClipToWindowShape(TcxCanvas* ACanvas);
  virtual void UpdateData() {}
  virtual void UpdateScrollBar(TcxControlScrollBar* AScrollBar);
  virtual TThemedElement GetNativeThemeType() { return teEdit; }
  virtual Integer GetNativeThemePart();
  virtual Integer GetNativeThemeState();
  virtual void GetScrollBarBoundsInClient(const SCROLLBARINFO& AInfo, TRect& R);
  virtual bool IsScrollBarEnabled(TcxControlScrollBar* AScrollBar, const SCROLLBARINFO& AInfo);
  virtual bool GetInnerScrollBarInfo(SCROLLBARINFO& AInfo, TScrollBarKind AKind);
  virtual bool IsScrollBarVisible(const SCROLLBARINFO& AInfo);
  virtual void FocusInnerControl();
  virtual void SetScrollBarVisible(TcxControlScrollBar* AScrollBar, bool AVisible);
  virtual void ResetInnerControlBounds();
  void SetInnerControl(TWinControl* Value);

  // Platform and control-base overrides.
  bool HasScrollBars() override { return false; }
  bool CanDragAt(Integer X, Integer Y) override { return false; }
  bool CanFocusOnChildClick(TControl* AChild) override { return false; }
  bool CanFocusOnClick() override;
  bool MayFocus() override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  void DoFocusChanged() override;
  void DoMouseEnter(TControl* AControl) override;
  void DoMouseLeave(TControl* AControl) override;
  void DoCursorChanged() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint() override;
  void Resize() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AdjustClientRect(TRect& Rect) override;
  TRect GetClientBounds() override { return FViewInfo->ClientRect; }
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void ChangeScale(Integer M, Integer D) override;
  void CreateHandle() override;
  void CreateParams(TCreateParams& Params) override;
  // The window is made with an empty caption; the text follows through the
  // default window procedure.
  void CreateWindowHandle(const TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  bool FInternalSetting = false;
  Integer FAlignLockCount = 0;
  bool FRefreshLocked = false;

 private:
  void UpdateStyleState();
  void ShowScrollBarFromInfo(TcxControlScrollBar* ABar, TScrollBarKind AKind);

  std::unique_ptr<TcxContainerStyles> FStyles;
  std::unique_ptr<TcxContainerViewInfo> FViewInfo;
  TcxContainerStateFlags FActiveStyleState{csfNormal};
  TcxContainerStyle* FActiveStyle = nullptr;
  TWinControl* FInnerControl = nullptr;
  TcxContainerInnerControlClip FInnerControlClip;
  bool FInnerControlMouseDown = false;
  bool FDestroying = false;
  bool FCreating = false;
  bool FViewInfoCalculated = false;
  bool FUpdatingStateFromCursor = false;
  Integer FPopupMenuLockCount = 0;
  bool FScrollBarsCalculating = false;
  TRect FSizeGripRect;
  bool FSizeGripVisible = false;
};

// ---------------------------------------------------------------------------
// Free functions

Integer cxContainerBorderWidth(TcxContainerBorderStyle AStyle);
Integer cxLookAndFeelBorderWidth(TcxLookAndFeelKind AKind);
TRect cxControlRectAtOrigin(TControl* AControl);
// Moves the named sides of R outward by AWidth.
void cxInflateRectOnEdges(TRect& R, Integer AWidth, TcxBorders AEdges);
// Moves the sides not named inward by AWidth.
void cxDeflateRectOffEdges(TRect& R, Integer AWidth, TcxBorders AEdges);
// The 3-pixel shadow right of and below R, then left out of the clip.
void cxPaintContainerShadow(TcxCanvas* ACanvas, const TRect& R);
void cxFillFrameRing(TcxCanvas* ACanvas, const TRect& AOuter, const TRect& AInner, TColor AColor);
void cxInvalidateFrameRing(HWND AWnd, const TRect& AOuter, const TRect& AInner, bool AErase);
void cxInvalidateControlRect(TWinControl* AControl, const TRect& R, bool AErase);
bool cxStringsEqual(const String& S1, const String& S2, bool ACaseSensitive);
void cxGetMousePos(TPoint& P);
TShiftState cxGetShiftStateFromKeyboard();
bool cxUseNativeTheme(bool ANativeStyle, TThemedElement AKind);
void cxAssignFont(TFont* ADestination, TFont* ASource);
// Button codes of TcxContainer::UpdateState: 0 none, 1 left, 2 right, 3 middle.
Integer cxTranslateMouseButton(TMouseButton AButton);
bool cxScrollBarInfoAvailable();
bool cxGetScrollBarInfo(HWND AWnd, LONG AObjectId, SCROLLBARINFO& AInfo);
// The bounds (plus the bounds moved by 3, 3 with a shadow) less AHole; null
// with ANoRegion.
HRGN cxMakeContainerRegion(const TRect& ABounds, bool ANoRegion, bool AShadow, const TRect& AHole);
// Gives the window that region only when it differs from its current one.
void cxSetContainerRegion(HWND AWnd, const TRect& ABounds, bool ANoRegion, bool AShadow, const TRect& AHole);
TcxContainer* cxContainerOfControl(TControl* AControl);
// The layout switch of the editors: always off in this program.
inline bool cxGetEditLayoutSwitch() { return false; }
// Assigns an image list with its change link and free notification.
void cxSetImageList(TCustomImageList* AValue, TCustomImageList*& AField, TChangeLink* AChangeLink,
                    TcxFreeNotificator* AFreeNotificator);

// ---------------------------------------------------------------------------
// Popup windows

using TcxPopupNotifyEvent = std::function<void(TObject* Sender)>;

class TcxCustomPopupWindow : public TcxPopupWindow {
  TOVANI_CLASS(TcxCustomPopupWindow, TcxPopupWindow)
 public:
  explicit TcxCustomPopupWindow(TWinControl* AOwnerControl);
  ~TcxCustomPopupWindow() override;

  TWinControl* OwnerControl() const { return FOwnerControl; }
  bool CaptureFocus() const { return FCaptureFocus; }
  void SetCaptureFocus(bool Value);
  bool IsTopMost() const { return FTopMost; }
  void SetIsTopMost(bool Value);
  bool ModalMode() const { return FModalMode; }
  void SetModalMode(bool Value) { FModalMode = Value; }
  TcxContainerStyle* Style() const { return FStyle.get(); }
  TcxContainerViewInfo* ViewInfo() const { return FViewInfo.get(); }
  TWinControl* FocusedControl() const { return FFocusedControl; }
  bool IsVisible() const;
  bool IsOpen() const { return IsPopupOpen(this); }
  static bool IsPopupOpen(const TWinControl* AControl);
  static Integer OpenPopupCount();
  static TcxCustomPopupWindow* OpenPopup(Integer AIndex);

  virtual void Popup(TWinControl* AFocusedControl);
  void ClosePopup() override;
  static void PostCloseRequest(TcxCustomPopupWindow* APopup);
  void LockDeactivate(bool ALock) { FDeactivateLockCount += ALock ? 1 : -1; }
  bool DeactivateLocked() const { return FDeactivateLockCount > 0; }
  bool HasMouseCapture();
  virtual bool IsSysKeyAccepted(Word Key);
  // A click that closes the popup is discarded when this answers true.
  virtual bool ConsumesClosingClick(HWND AWnd, UINT AMessage, TShiftState Shift, TPoint P) { return false; }
  bool Focused() override;
  bool CanFocus() override { return Visible(); }
  TRect GetOwnerScreenBounds() override;
  void InheritOwnerFont() override {}

  TcxPopupNotifyEvent OnClosing, OnClosed, OnShowing, OnShowed;

 protected:
  virtual bool CalculateSize() { return false; }
  virtual void DoClosed() { cxCallNotifyEvent(this, OnClosed); }
  virtual void DoClosing() { cxCallNotifyEvent(this, OnClosing); }
  virtual void DoShowed() { cxCallNotifyEvent(this, OnShowed); }
  virtual void DoShowing() { cxCallNotifyEvent(this, OnShowing); }
  virtual bool ErasesBackground() { return false; }
  virtual void CloseAfterModalResult() { ClosePopup(); }
  virtual void StyleChanged(TObject* Sender) {}
  virtual void AdjustPosition(TPoint& APosition);
  virtual TcxContainerStyle* CreateStyle() { return new TcxContainerStyle(this, false); }
  virtual TcxContainerViewInfo* CreateViewInfo() { return new TcxContainerViewInfo(); }
  // Descendants with their own view info class put it in place in their
  // constructor (CreateViewInfo of a descendant is not reached from this
  // class's constructor).
  void SetViewInfoObject(TcxContainerViewInfo* AViewInfo) { FViewInfo.reset(AViewInfo); }
  // The size a window really takes once set (constraints); tests override
  // the work area through TcxPopupWindow::WorkAreaAt.
  void AdjustClientRect(TRect& Rect) override;
  void CreateHandle() override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Deactivate() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Paint() override;
  void VisibleChanged() override;
  void Dispatch(TMessage& Message) override;

 private:
  friend struct TcxPopupHooks;
  TWinControl* FOwnerControl;
  bool FCaptureFocus = true;
  bool FTopMost = false;
  bool FModalMode = true;
  Integer FDeactivateLockCount = 0;
  TWinControl* FFocusedControl = nullptr;
  std::unique_ptr<TcxContainerStyle> FStyle;
  std::unique_ptr<TcxContainerViewInfo> FViewInfo;
  bool FClosingByMessage = false;
};

// Whether a window is the control's own or (AIncludeInner) lies inside it:
// in a windowed child, or in an open popup owned by it or by a control on it.
bool cxHasWindow(TWinControl* AControl, HWND AWnd, bool AIncludeInner);
bool cxIsWindowInControlForm(TWinControl* AControl, HWND AWnd);
// The hooks that close popups are installed (while popups are open).
bool cxPopupHooksInstalled();
// The container unit's start-up sets the owner-window hook (a window in a
// popup belongs to the popup's owner); shut-down closes every open popup,
// which takes the message hooks off, and clears the owner-window hook.
void cxContainerPopupsStartup();
void cxContainerPopupsShutdown();

// ---------------------------------------------------------------------------
// Inner list box

class TcxCustomInnerListBox : public TListBox, public IcxContainerInnerControl {
  TOVANI_CLASS(TcxCustomInnerListBox, TListBox)
 public:
  explicit TcxCustomInnerListBox(TComponent* AOwner = nullptr);
  ~TcxCustomInnerListBox() override;

  TWinControl* GetControl() override { return this; }
  TcxContainer* GetControlContainer() override { return FContainer; }
  TcxContainer* Container() const { return FContainer; }
  void SetContainer(TcxContainer* Value) { FContainer = Value; }
  TcxCanvas* cxCanvas() const { return FCanvas.get(); }
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  TcxScrollBar* HScrollBar() const { return FHScrollBar; }
  TcxScrollBar* VScrollBar() const { return FVScrollBar; }
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  Cardinal AutoCompleteDelay() const { return FAutoCompleteDelay; }
  void SetAutoCompleteDelay(Cardinal Value) { FAutoCompleteDelay = Value; }
  const String& SearchText() const { return FFilter; }
  // The clock of the type-ahead search (milliseconds); tests set their own.
  std::function<DWORD()> TickCount = [] { return GetTickCount(); };
  // The corner between the two own bars, in the list box's window coordinates.
  TRect SizeGripRect();

  virtual void UpdateScrollBars();

 protected:
  virtual void DoIncrementalSearch(char32_t& Key);
  virtual void RepaintIfHandle();
  virtual bool IsDrawItemDefault() { return !OnDrawItem; }
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Click() override;
  void DblClick() override;
  TPopupMenu* GetPopupMenu() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void DestroyWindowHandle() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void ScrollBarScroll(TScrollBarKind AKind, TScrollCode ACode, Integer& APos);
  void PaintSizeGrip(HDC DC);
  void PlaceScrollBar(TcxScrollBar* ABar, TScrollBarKind AKind);
  void LeftButtonDownWithDrag(TMessage& Message);
  void DrawItemMessage(const DRAWITEMSTRUCT& ADis);

  TcxContainer* FContainer = nullptr;
  std::unique_ptr<TcxCanvas> FCanvas;
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  TcxScrollBar* FHScrollBar = nullptr;
  TcxScrollBar* FVScrollBar = nullptr;
  Integer FScrollBarsLockCount = 0;
  bool FScrollBarsCalculating = false;
  bool FRedrawLocked = false;
  bool FAutoComplete = true;
  Cardinal FAutoCompleteDelay = 500;
  String FFilter;
  DWORD FLastKeyTime = 0;
  bool FHasLastKey = false;
};
