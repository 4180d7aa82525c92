// The drop-down editor: the masked editor with a popup window opened under
// (or beside) its text box. The popup window is made once per editor and
// shown and hidden many times; it is shown through a posted message (so a
// request made twice before the message loop runs opens one popup) and
// closes on Escape, Enter, F4 or Alt+Up/Down, a click elsewhere, an
// application switch, the editor losing the focus, or a modal result of a
// popup that takes the focus. Why it closed (the close-up reason) tells
// whether the popup's value is taken.
//
// The popup window lays itself out from the editor's settings: a border in
// one of four styles, a 3-pixel shadow, an optional system panel with a
// size grip and a close button, and mouse resizing with a hatched frame.
#pragma once
#include <functional>
#include <memory>

#include "cxMaskEdit.h"

class TcxCustomDropDownEdit;
class TcxCustomDropDownEditProperties;
class TcxSizeFrame;

// Private messages of the drop-down editors.
constexpr UINT DXM_POPUPCHAR = 0x8096;        // a typed character for the popup's focused control
constexpr UINT DXM_SYNCPOPUPLIST = 0x8097;    // the open list follows the editor's text

// Why a popup closed; pcrTab, pcrToggle and pcrAccept take its value.
enum TcxPopupCloseReason : Byte { pcrNone, pcrTab, pcrToggle, pcrCancel, pcrAccept };
inline bool cxIsAcceptingCloseReason(TcxPopupCloseReason R) { return R == pcrTab || R == pcrToggle || R == pcrAccept; }

// ---------------------------------------------------------------------------
// The popup window's geometry and painting

// The corner where the size grip and the system panel sit: bit 0 right,
// bit 1 bottom.
enum : Byte { cxGripTopLeft = 0, cxGripTopRight = 1, cxGripBottomLeft = 2, cxGripBottomRight = 3 };

class TcxCustomEditPopupWindowViewInfo;
// Draws a border of one's own: ACanvas is null when only the width is
// wanted.
using TcxEditPopupCustomBorderEvent = std::function<void(TcxCustomEditPopupWindowViewInfo* Sender, TcxCanvas* ACanvas,
                                                         const TRect& R, bool& AHandled, Integer& ABorderWidth)>;

class TcxCustomEditPopupWindowViewInfo : public TcxContainerViewInfo {
  TOVANI_CLASS(TcxCustomEditPopupWindowViewInfo, TcxContainerViewInfo)
 public:
  TcxEditPopupCustomBorderEvent OnCustomDrawBorder;
  // The resolved popup border style 0 to 3 (none, single, frame 3D, flat).
  Integer PopupBorderStyle = 0;
  bool ClientEdge = false;
  bool CloseButton = false;
  TRect CloseButtonRect;
  TcxLookAndFeelKind LookAndFeelKind = lfStandard;
  // 0 not themed, else the themed close button's state 1 normal, 2 hot,
  // 3 pressed.
  Integer CloseButtonNativeState = 0;
  // 1 normal, 2 hot, 3 pressed.
  Integer CloseButtonState = 1;
  Integer MinSysPanelHeight = 0;
  bool Sizeable = false;
  Byte GripCorner = cxGripBottomRight;
  TRect SizeGripRect;        // where the grip is drawn
  TRect SizeGripCornerRect;  // where the grip takes the mouse
  TRect SysPanelBounds;      // the area inside the border the panel is laid in
  Integer ResizeHitWidth = 0;
  Integer SysPanelHeight = 0;
  bool SysPanelStyle = false;

  virtual void Calculate();
  // Draws the border and makes R the rectangle inside it.
  virtual void DrawBorder(TcxCanvas* ACanvas, TRect& R);
  // The frame widths on each side (left, top, right, bottom).
  virtual void CalculateBorderExtent(TRect& AExtent);
  virtual void GetClientExtent(TRect& AExtent) { CalculateBorderExtent(AExtent); }
  virtual Integer GetSysPanelHeight();
  // Whether a point starts a mouse resize, and in which directions (-1, 0,
  // 1 each).
  virtual bool GetSizingDirectionAt(Integer X, Integer Y, Integer& AHorz, Integer& AVert);
  void PaintContent(TcxCanvas* ACanvas) override;

  Integer GetBorderWidth();
  Integer GetClientEdgeWidth();
  bool IsGripAtRight() const { return (GripCorner & 1) != 0; }
  bool IsGripAtBottom() const { return (GripCorner & 2) != 0; }
  // The panel has a separator line above (or below) it.
  bool HasSysPanelSeparator();
  static Integer StandardSysPanelHeight();

 protected:
  virtual void DrawCloseButton(TcxCanvas* ACanvas);
  virtual void DrawSizeGrip(TcxCanvas* ACanvas);
};

class TcxPopupEditPopupWindowViewInfo : public TcxCustomEditPopupWindowViewInfo {
  TOVANI_CLASS(TcxPopupEditPopupWindowViewInfo, TcxCustomEditPopupWindowViewInfo)
 public:
  void DrawBorder(TcxCanvas* ACanvas, TRect& R) override;
};

// ---------------------------------------------------------------------------
// The popup window

class TcxCustomEditPopupWindow : public TcxCustomPopupWindow {
  TOVANI_CLASS(TcxCustomEditPopupWindow, TcxCustomPopupWindow)
 public:
  explicit TcxCustomEditPopupWindow(TWinControl* AOwnerControl);
  ~TcxCustomEditPopupWindow() override;

  TcxCustomDropDownEdit* Edit() const;
  TcxCustomEditPopupWindowViewInfo* ViewInfo() const {
    return static_cast<TcxCustomEditPopupWindowViewInfo*>(TcxCustomPopupWindow::ViewInfo());
  }

  // Settings copied from the editor before every show.
  bool SizeCheckLocked() const { return FSizeCheckLock; }
  void LockSizeCheck(bool ALock) { FSizeCheckLock = ALock; }
  bool PopupAutoSize() const { return FPopupAutoSize; }
  void SetPopupAutoSize(bool Value) { FPopupAutoSize = Value; }
  Integer EditBorderStyle() const { return FBorderStyle; }
  void SetEditBorderStyle(Integer Value);
  bool PopupClientEdge() const { return FPopupClientEdge; }
  void SetPopupClientEdge(bool Value);
  bool CloseButton() const { return FCloseButton; }
  void SetCloseButton(bool Value);
  Integer PopupMinHeight() const { return FPopupMinHeight; }
  void SetPopupMinHeight(Integer Value) { FPopupMinHeight = Value; }
  Integer PopupMinWidth() const { return FPopupMinWidth; }
  void SetPopupMinWidth(Integer Value) { FPopupMinWidth = Value; }
  bool NativeStyle() const { return FNativeStyle; }
  void SetNativeStyle(bool Value);
  Integer PopupHeight() const { return FPopupHeight; }
  void SetPopupHeight(Integer Value) { FPopupHeight = Value; }
  Integer PopupWidth() const { return FPopupWidth; }
  void SetPopupWidth(Integer Value) { FPopupWidth = Value; }
  bool Shadow() const { return FShadow; }
  void SetShadow(bool Value);
  bool PopupSizeable() const { return FPopupSizeable; }
  void SetPopupSizeable(bool Value);
  bool PopupSysPanelStyle() const { return FPopupSysPanelStyle; }
  void SetPopupSysPanelStyle(bool Value);
  Integer MinSysPanelHeight() const { return ViewInfo()->MinSysPanelHeight; }
  void SetMinSysPanelHeight(Integer Value) { ViewInfo()->MinSysPanelHeight = Value; }
  // Whether a mouse resize is in progress (one popup at a time).
  static bool IsResizing();

  virtual void CalculateViewInfo();
  // Sends a character to the window that has the focus.
  virtual void ForwardChar(char32_t Ch);
  virtual void GetMinSize(TSize& ASize);
  // The largest content the popup can show next to its owner: the work
  // area's width (or height) and the larger space on either side.
  void GetMaxContentSize(TSize& ASize);
  // Lays the popup out again (after a resize and before a show).
  void RefreshLayout();
  void UpdateWindowRegion();
  // The owner editor's bounds (in its parent's client coordinates),
  // refreshed before every size computation and layout.
  void RefreshOwnerBounds();

  // The control that gets the focus when the show message arrives.
  TWinControl* ControlToFocus() const { return FControlToFocus; }
  void SetControlToFocus(TWinControl* Value) { FControlToFocus = Value; }
  // Size, position and fitting to the work area, as a show computes them;
  // the size is set, the position answered.
  TPoint ComputePlacement();
  // The window goes (the editor's own window is destroyed); it is made
  // again on the next show.
  void DestroyPopupHandle() {
    if (HandleAllocated()) DestroyHandle();
  }

  void CalcPosition(TPoint& P) override;
  void AdjustSizeToControls() override;
  void Popup(TWinControl* AFocusedControl) override;

 protected:
  TcxContainerViewInfo* CreateViewInfo() override;
  bool CalculateSize() override;
  void DoClosed() override;
  void DoClosing() override;
  void CloseAfterModalResult() override;
  bool CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void AdjustClientRect(TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Resize() override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void MouseLeaveWindow();
  // The border extents on each side.
  TRect Extents();

 private:
  void SetCloseButtonState(Integer AState);
  void EndResize(bool AApply);

  bool FSizeCheckLock = false;
  bool FPopupAutoSize = true;
  Integer FBorderStyle = 0;
  bool FPopupClientEdge = false;
  bool FCloseButton = false;
  Integer FPopupMinHeight = 0, FPopupMinWidth = 0;
  bool FNativeStyle = false;
  Integer FPopupHeight = 0, FPopupWidth = 0;
  bool FShadow = false;
  bool FPopupSizeable = false;
  std::unique_ptr<TcxSizeFrame> FSizeFrame;
  bool FPopupSysPanelStyle = false;
  TWinControl* FControlToFocus = nullptr;
};
using TcxEditPopupWindowFactory = std::function<TcxCustomEditPopupWindow*(TWinControl* AOwnerControl)>;

// The list popup of combo boxes: it keeps a size the user gave it.
class TcxComboBoxPopupWindow : public TcxCustomEditPopupWindow {
  TOVANI_CLASS(TcxComboBoxPopupWindow, TcxCustomEditPopupWindow)
 public:
  using TcxCustomEditPopupWindow::TcxCustomEditPopupWindow;
  void AdjustSizeToControls() override;
};

// The popup of the popup editor and its descendants (date, calculator,
// BLOB editors): a frame-3D border of its own.
class TcxPopupEditPopupWindow : public TcxCustomEditPopupWindow {
  TOVANI_CLASS(TcxPopupEditPopupWindow, TcxCustomEditPopupWindow)
 public:
  explicit TcxPopupEditPopupWindow(TWinControl* AOwnerControl) : TcxCustomEditPopupWindow(AOwnerControl) {
    SetViewInfoObject(CreateViewInfo());
    ViewInfo()->CloseButtonState = 1;
  }

 protected:
  TcxContainerViewInfo* CreateViewInfo() override { return new TcxPopupEditPopupWindowViewInfo(); }
};

// ---------------------------------------------------------------------------
// The look-and-feel the controls inside the popup follow

class TcxEditPopupControlLookAndFeel : public TcxLookAndFeel {
  TOVANI_CLASS(TcxEditPopupControlLookAndFeel, TcxLookAndFeel)
 public:
  explicit TcxEditPopupControlLookAndFeel(TcxCustomDropDownEdit* AEdit);
  TcxLookAndFeelKind EffectiveKind();
  bool EffectiveNativeStyle();
  String EffectiveSkinName();
  // Compares the effective values with the stored ones and announces the
  // changed set.
  void Refresh();
  std::function<void()> OnPopupLookAndFeelChanged;

 private:
  TcxCustomDropDownEdit* FEdit;
};

// ---------------------------------------------------------------------------
// Properties

using TcxEditCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TcxCustomDropDownEditProperties : public TcxCustomMaskEditProperties {
  TOVANI_CLASS(TcxCustomDropDownEditProperties, TcxCustomMaskEditProperties)
 public:
  explicit TcxCustomDropDownEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  void Changed() override;
  TClass GetContainerClass() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreviewMode = false) override;

  // The glyph of the drop-down button (null when it has none).
  TBitmap* ButtonGlyph();
  void SetButtonGlyph(TBitmap* Value);
  Integer GlyphButtonIndex() const { return FGlyphButtonIndex; }
  // The glyph moves to another button.
  void SetGlyphButtonIndex(Integer Value);
  bool ImmediateDropDown() const { return FImmediateDropDown; }
  void SetImmediateDropDown(bool Value) { FImmediateDropDown = Value; }
  bool ImmediatePopup() const { return FImmediatePopup; }
  void SetImmediatePopup(bool Value) { FImmediatePopup = Value; }
  bool ShowButtonPressedWhenOpen() const { return FShowButtonPressedWhenOpen; }
  void SetShowButtonPressedWhenOpen(bool Value);
  TAlignment PopupAlignment() const;
  void SetPopupAlignment(TAlignment Value);
  bool PopupAutoSize() const { return FPopupAutoSize; }
  void SetPopupAutoSize(bool Value) { FPopupAutoSize = Value; }
  bool PopupClientEdge() const { return FPopupClientEdge; }
  void SetPopupClientEdge(bool Value);
  Integer PopupHeight() const { return FPopupHeight; }
  void SetPopupHeight(Integer Value);
  // 0 left edges aligned, 1 centred, 2 right edges aligned.
  Integer PopupHorzAlign() const { return FPopupHorzAlign; }
  void SetPopupHorzAlign(Integer Value) { FPopupHorzAlign = Value; }
  Integer PopupMinHeight() const { return FPopupMinHeight; }
  void SetPopupMinHeight(Integer Value);
  Integer PopupMinWidth() const { return FPopupMinWidth; }
  void SetPopupMinWidth(Integer Value);
  // 1 vertical (below or above the editor), 0 horizontal (beside it).
  Integer PopupOrientation() const { return FPopupOrientation; }
  void SetPopupOrientation(Integer Value) { FPopupOrientation = Value; }
  bool PopupSizeable() const { return FPopupSizeable; }
  void SetPopupSizeable(bool Value);
  bool PopupSysPanelStyle() const { return FPopupSysPanelStyle; }
  void SetPopupSysPanelStyle(bool Value);
  // 0 above, 1 centred, 2 below.
  Integer PopupVertAlign() const { return FPopupVertAlign; }
  void SetPopupVertAlign(Integer Value) { FPopupVertAlign = Value; }
  Integer PopupWidth() const { return FPopupWidth; }
  void SetPopupWidth(Integer Value);
  bool PostPopupValueOnTab() const { return FPostPopupValueOnTab; }
  void SetPostPopupValueOnTab(bool Value) { FPostPopupValueOnTab = Value; }

  TcxEditCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnPopupFinalized;
  TNotifyEvent OnInitPopup;
  TNotifyEvent OnPopup;

  virtual Integer GetDropDownButtonIndex() { return 0; }
  virtual bool DropsDownOnClick() { return false; }
  virtual bool PostsOnPopupClose() { return false; }
  virtual TcxEditPopupWindowFactory GetPopupWindowType();
  virtual bool AllowPopupShrinkToFit() { return true; }
  virtual bool PopupTakesFocus() { return false; }
  // A lookup list of the text editor is shown inside the popup.
  bool ShowsLookupInPopup() override { return true; }

 private:
  void CheckGlyphButton();
  Integer FGlyphButtonIndex = 0;
  bool FImmediateDropDown = true;
  bool FImmediatePopup = false;
  bool FChanging = false;
  bool FShowButtonPressedWhenOpen = false;
  bool FPopupAutoSize = true;
  bool FPopupClientEdge = false;
  Integer FPopupOrientation = 1;
  Integer FPopupHeight = 0;
  Integer FPopupHorzAlign = 0;
  Integer FPopupMinHeight = 0, FPopupMinWidth = 0;
  bool FPopupSizeable = false;
  bool FPopupSysPanelStyle = false;
  Integer FPopupVertAlign = 2;
  Integer FPopupWidth = 0;
  bool FPostPopupValueOnTab = false;
};

// ---------------------------------------------------------------------------
// View data

class TcxCustomDropDownEditViewData : public TcxCustomTextEditViewData {
  TOVANI_CLASS(TcxCustomDropDownEditViewData, TcxCustomTextEditViewData)
 public:
  using TcxCustomTextEditViewData::TcxCustomTextEditViewData;
  // Filled by the editor that makes the view data.
  bool HasPopupWindow = false;
  bool IsHotAndPopup = false;
  // Computed: the drop-down button looks pressed while the popup is open.
  bool ButtonPressedWhileOpen = false;

  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  bool CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) override;
  bool IsButtonForcedPressed(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) override;

 private:
  bool IsDropDownButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex);
};

// What an in-place drop-down editor keeps between activations.
class TcxCustomDropDownEditData : public TcxCustomEditData {
  TOVANI_CLASS(TcxCustomDropDownEditData, TcxCustomEditData)
 public:
  using TcxCustomEditData::TcxCustomEditData;
  bool Initialized = false;
  Integer Width = 0, Height = 0;
};

// ---------------------------------------------------------------------------
// The editor

class TcxCustomDropDownEdit : public TcxCustomMaskEdit {
  TOVANI_CLASS(TcxCustomDropDownEdit, TcxCustomMaskEdit)
 public:
  explicit TcxCustomDropDownEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                                 const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomDropDownEdit() override;

  TcxCustomDropDownEditProperties* Properties() const {
    return static_cast<TcxCustomDropDownEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomDropDownEditProperties* ActiveProperties() {
    return static_cast<TcxCustomDropDownEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomDropDownEditProperties::StaticClass(); }

  TcxCustomEditPopupWindow* PopupWindow() const { return FPopupWindow.get(); }
  TcxEditPopupControlLookAndFeel* PopupControlsLookAndFeel() const { return FPopupControlsLookAndFeel.get(); }
  // Open (not pending): the popup window is in the list of open popups.
  bool HasPopupWindow() override;
  bool DroppedDown() { return HasPopupWindow(); }
  // An in-place editor whose popup is open claims the keys its host (a
  // grid) would take: every key with Ctrl or Alt and the key codes outside
  // 32..255 (Enter, Esc, Tab among them).
  bool IsClickKey(Word Key, TShiftState Shift) override;
  // True opens the popup (unless it is open or its show message is still
  // queued); False closes it with pcrNone.
  void SetDroppedDown(bool Value);
  // A show message is queued for the popup window.
  bool IsPopupPending();
  TcxPopupCloseReason CloseUpReason() const { return FCloseUpReason; }
  bool Focused() override;
  // The editor's bounds in its parent's client coordinates (3 pixels wider
  // with a shadow).
  virtual void GetPopupOwnerBounds(TRect& R);
  bool IsHotAndPopup() const { return FIsHotAndPopup; }
  // Asked while the user resizes the popup: whether a lookup list shown in
  // it takes the content size (which it may adjust to whole rows).
  virtual bool PopupListFitsSize(TSize& AContentSize, const TSize& AMaxContentSize);
  bool PopupSizeChanged() const { return FPopupSizeChanged; }
  void SetPopupSizeChanged(bool Value) { FPopupSizeChanged = Value; }
  bool PopupSizeChangedThisTime() const { return FPopupSizeChangedThisTime; }
  void SetPopupSizeChangedThisTime(bool Value) { FPopupSizeChangedThisTime = Value; }

  virtual bool HasPopupContent() { return false; }
  virtual void CloseUp(TcxPopupCloseReason AReason);
  virtual void DropDown();
  virtual void GetPopupContentSize(TSize& ASize) { ASize = TSize(); }
  virtual void PlacePopupContent(const TRect& AClientRect);

  // In-place activation.
  TcxCustomEditData* Activate(TcxCustomEditData*& AEditData) override;
  void ActivateByKey(char32_t AKey, TcxCustomEditData*& AEditData) override;
  void ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) override;
  bool CanSendActivationKey(char32_t AKey) override;
  TcxCustomEditDataFactory GetEditDataClass() override;
  void InitializeEditData() override;

  bool UpdateState(TPoint MousePos, Integer AButton, TShiftState Shift, bool AIsMouseEvent) override;
  TcxCustomEditViewData* CreateViewData() override;
  void PasteFromClipboard() override;
  void ContainerStyleChanged(TObject* Sender) override;
  void BeforeTabExit(TShiftState Shift) override;

 protected:
  // The drop-down life cycle.
  virtual void BuildPopupWindow();
  virtual void NotifyCloseUp();
  virtual void FinalizePopup();
  virtual void InitializePopup();
  virtual void NotifyPopup();
  virtual TWinControl* GetControlToFocusInPopup();
  virtual void AttachLookupToPopup();
  virtual void ConfigurePopupWindow();
  virtual void PopupLookAndFeelChanged() {}
  virtual void PreparePopup();
  virtual void HandlePopupClosed();
  virtual void HandlePopupCloseQuery(bool& CanClose);
  virtual void HandlePopupClosing() {}
  virtual void HandlePopupShowing() {}
  virtual void HandlePopupShown();
  // A popup whose show message never ran is finalised.
  void CancelPendingPopup();
  void SyncPopupListWithText();

  using TcxCustomMaskEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char32_t& Key) override;
  void KeyPress(char32_t& Key) override;
  void DoButtonDown(Integer AButtonVisibleIndex) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DoExit() override;
  void DoFocusChanged() override;
  void CreateHandle() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  // The typing window shows no hint while the popup is open.
  bool InnerEditMessage(TMessage& Message) override;
  TcxContainerStyleValues GetUnusedStyleValues() override;
  bool WantsTabKey() override;

  bool PopupInitialized() const { return FPopupInitialized; }
  void SetCloseUpReason(TcxPopupCloseReason Value) { FCloseUpReason = Value; }
  bool ListHoverSuppressed() const { return FListHoverSuppressed; }
  void SetListHoverSuppressed(bool Value) { FListHoverSuppressed = Value; }
  TcxCustomDropDownEditData* DropDownEditData();

 private:
  friend class TcxCustomEditPopupWindow;
  void UpdateHotWhileOpen();
  void InplaceTimerFired();
  // The lookup shown in the popup; null when the properties have none.
  IcxTextEditLookupData* PopupLookup();
  // The lookup's key moved by an action: a change the user made is told.
  template <class F>
  void WithLookupKeyWatch(F AAction);
  // Fires an event of the own properties, then the repository item's.
  void FireEvent(TNotifyEvent TcxCustomDropDownEditProperties::*AEvent);

  bool FActivatingByMouse = false;
  bool FIsHotAndPopup = false;
  std::unique_ptr<TcxEditPopupControlLookAndFeel> FPopupControlsLookAndFeel;
  bool FPopupInitialized = false;
  bool FListHoverSuppressed = false;
  bool FPopupSizeChanged = false;
  bool FPopupSizeChangedThisTime = false;
  TcxPopupCloseReason FCloseUpReason = pcrNone;
  std::unique_ptr<TcxCustomEditPopupWindow> FPopupWindow;
  TcxCustomEditData* FEditDataRef = nullptr;
  // Set when Enter or Esc closed the popup: its character is not typed.
  bool FDropNextEnterOrEsc = false;
};

// ---------------------------------------------------------------------------
// Filter helper

class TcxFilterDropDownEditHelper : public TcxFilterMaskEditHelper {
  TOVANI_CLASS(TcxFilterDropDownEditHelper, TcxFilterMaskEditHelper)
 public:
  bool GetEditFlags() const override { return true; }
};
