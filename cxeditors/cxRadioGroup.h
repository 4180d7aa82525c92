// Radio buttons painted in the library's look-and-feel, the button-group
// base (a captioned frame holding one child button per item, laid out in
// columns), and the radio group: an editor whose value is the value of the
// checked item.
#pragma once
#include <memory>
#include <vector>

#include "StdCtrls.h"
#include "cxEditRepositoryItems.h"
#include "cxFilterControlUtils.h"
#include "cxGroupBox.h"

class TcxCustomButtonGroup;
class TcxCustomRadioGroup;

// ---------------------------------------------------------------------------
// Radio button

class TcxRadioButton : public TRadioButton, public IcxMouseTrackingCaller {
  TOVANI_CLASS(TcxRadioButton, TRadioButton)
 public:
  explicit TcxRadioButton(TComponent* AOwner = nullptr);
  ~TcxRadioButton() override;
  TcxLookAndFeel* LookAndFeel() const { return FLookAndFeel.get(); }
  void SetLookAndFeel(TcxLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool WordWrapCaption() const { return FWordWrap; }
  void SetWordWrapCaption(bool Value);
  // A TPopupMenu or a component implementing IcxPopupMenuComponent; anything
  // else is stored as null. A freed menu is forgotten.
  TComponent* PopupMenuComponent() const { return FPopupMenu; }
  void AssignPopupMenu(TComponent* Value);
  TPopupMenu* GetPopupMenu() override;
  // 0 disabled, 1 hot, 2 normal, 3 pressed.
  Integer State() const { return FState; }
  const TRect& ButtonRect() const { return FButtonRect; }
  Integer Column = 0, Row = 0;
  // Paints the button onto a device context (its owner-draw painting).
  virtual void DrawItem(HDC DC, bool AFocusOnly);
  virtual bool IsInplaceButton() { return false; }
  bool IsNativeStyle();
  // A themed button shows its parent's themed background behind it.
  virtual bool IsNativeParentBackground();
  virtual bool IsTransparentLook() { return FTransparent && !IsInplaceButton(); }
  bool HasTransparentBackground() { return IsNativeParentBackground() || IsTransparentLook(); }
  // The mouse has left the button: it is no longer hot.
  void MouseLeave() override;
  // Never focused while designed.
  bool Focused() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DoEnter() override;
  void DoContextPopup(TPoint MousePos, bool& Handled) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  // Shows the menu at a screen point; false when nothing was shown.
  virtual bool ShowPopupMenu(TComponent* AMenu, Integer X, Integer Y);
  // Recomputes State from a mouse button (-1: none), the shift state and a
  // point in client coordinates.
  virtual void UpdateState(Integer AButton, TShiftState Shift, const TPoint& MousePos);
  // The state as the cursor and the keyboard make it now.
  void UpdateStateFromCursor();
  virtual void AdjustTextRect(TRect& R, bool ANative);
  // Fills the button with its colour unless its background is see-through.
  virtual void DrawBackground(TcxCanvas* ACanvas);
  // The caption beyond the glyph, and the focus rectangle around it.
  virtual void DrawCaption(TcxCanvas* ACanvas, bool ANative);
  virtual void EnabledChanged();
  virtual void MouseEnter();

 private:
  std::unique_ptr<TcxLookAndFeel> FLookAndFeel;
  TComponent* FPopupMenu = nullptr;
  TRect FButtonRect;
  Integer FState = 2;
  bool FTransparent = false, FWordWrap = false;
};

// ---------------------------------------------------------------------------
// Button-group base

class TcxButtonGroupItem : public TCollectionItem {
  TOVANI_CLASS(TcxButtonGroupItem, TCollectionItem)
 public:
  explicit TcxButtonGroupItem(TCollection* ACollection = nullptr);
  ~TcxButtonGroupItem() override;
  void Assign(TPersistent* Source) override;
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }

 protected:
  void ItemChanged(Integer AOperation);

 private:
  String FCaption;
  bool FEnabled = true;
  Integer FTag = 0;
};

class TcxButtonGroupItems : public TOwnedCollection {
  TOVANI_CLASS(TcxButtonGroupItems, TOwnedCollection)
 public:
  TcxButtonGroupItems(TPersistent* AOwner, TClass AItemClass);
  TcxButtonGroupItem* Items(Integer Index) const { return static_cast<TcxButtonGroupItem*>(TCollection::Items(Index)); }
  // The item change being reported: its index and 0 added, 1 deleted, 2 changed.
  Integer ChangedItemIndex = -1, ChangedItemOperation = 0;
  bool IsItemChanging = false;
  void ReportItemChange(Integer AIndex, Integer AOperation);

 protected:
  void Update(TCollectionItem* Item) override;
};

class TcxCustomButtonGroupProperties : public TcxCustomGroupBoxProperties {
  TOVANI_CLASS(TcxCustomButtonGroupProperties, TcxCustomGroupBoxProperties)
 public:
  explicit TcxCustomButtonGroupProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomButtonGroupProperties() override;
  void Assign(TPersistent* Source) override;
  Integer GetEditFeatureFlags() override { return TcxCustomGroupBoxProperties::GetEditFeatureFlags() | 2; }
  Integer GetViewOptions() override { return Items()->Count() == 0 ? 0x58F : 0x5AF; }
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreviewMode = false) override;

  // Never below 1.
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  TcxButtonGroupItems* Items() const { return FItems.get(); }
  void SetItems(TcxButtonGroupItems* Value) { FItems->Assign(Value); }
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value) { Store(FWordWrap, Value); }
  // Balanced columns: 4 items in 3 columns give 2 columns of 2.
  virtual Integer GetColumnCount();
  Integer GetRowCount();

 protected:
  virtual TcxButtonGroupItems* CreateItems();
  void InitItems() { FItems.reset(CreateItems()); }

 private:
  Integer FColumns = 1;
  std::unique_ptr<TcxButtonGroupItems> FItems;
  bool FWordWrap = false;
};

// The metrics of item buttons in a group.
struct TcxButtonMetrics {
  Integer TextGap = 0, SizeWidthCorrection = 0, ExtraWidth = 0, LeftMargin = 0, LeftOffset = 0, WidthCorrection = 0,
          Spacing = 0, GlyphWidth = 0, GlyphHeight = 0;
};

// The item buttons' rectangles within the bounds B: C columns of R rows,
// filled column by column, inside the content extent E.
std::vector<TRect> cxCalculateButtonGroupPositions(Integer ACount, Integer AColumns, Integer ARows, const TRect& B,
                                                   const TRect& E, const TcxButtonMetrics& AMetrics);

// One item button of a group as drawn without its window (in place, in a
// grid cell, or as a paint copy of a data-aware group).
class TcxGroupBoxButtonViewInfo : public TcxEditButtonViewInfo {
  TOVANI_CLASS(TcxGroupBoxButtonViewInfo, TcxEditButtonViewInfo)
 public:
  Integer Column = 0, Row = 0;
  // The glyph centred vertically at the left edge (glyph on the left of
  // the text, taRightJustify) or at the right edge.
  virtual void GetGlyphRect(const TSize& AGlyphSize, TRect& R, bool AIsPaintCopy, TAlignment AAlignment);
};

class TcxButtonGroupViewInfo : public TcxGroupBoxViewInfo {
  TOVANI_CLASS(TcxButtonGroupViewInfo, TcxGroupBoxViewInfo)
 public:
  TSize GlyphSize;
  Cardinal CaptionFlags = 0;
  void DrawButton(TcxCanvas* ACanvas, Integer AButtonVisibleIndex) override;
  TcxEditButtonViewInfo* CreateButtonViewInfo() override { return new TcxGroupBoxButtonViewInfo(); }
  virtual void DrawButtonCaption(TcxCanvas*, TcxGroupBoxButtonViewInfo*, const TRect&) {}
  virtual void DrawButtonGlyph(TcxCanvas*, TcxGroupBoxButtonViewInfo*, const TRect&) {}
  virtual bool IsButtonBackgroundTransparent(TcxGroupBoxButtonViewInfo*) { return Transparent; }
};

class TcxButtonGroupViewData : public TcxGroupBoxViewData {
  TOVANI_CLASS(TcxButtonGroupViewData, TcxGroupBoxViewData)
 public:
  using TcxGroupBoxViewData::TcxGroupBoxViewData;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void CalculateButtonsViewInfo(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                                TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  virtual void GetButtonMetrics(bool AWithGlyph, TcxButtonMetrics& AMetrics) { AMetrics = TcxButtonMetrics(); }
  // The automatic size: the items' columns and rows of captions beside
  // their glyphs (the content size is always empty).
  void GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace, const TcxEditSizeProperties& ASizeProperties,
                        TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize, TSize& AFixedSize) override;
  virtual void CalculateButtonNativeState(TcxCustomEditViewInfo*, TcxGroupBoxButtonViewInfo*) {}
  virtual Cardinal GetCaptionTextFlags();
  bool UsesNativeButtons();
  // The look of the item buttons: in a grid by the look-and-feel's kind,
  // elsewhere by the group's border.
  TcxEditButtonStyle GetButtonLookStyle(TcxCustomEditViewInfo* AViewInfo);
};

class TcxCustomButtonGroup : public TcxCustomGroupBox {
  TOVANI_CLASS(TcxCustomButtonGroup, TcxCustomGroupBox)
 public:
  explicit TcxCustomButtonGroup(TComponent* AOwner = nullptr, bool AIsInplace = false,
                                const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomButtonGroup() override;
  TcxCustomButtonGroupProperties* ActiveProperties() {
    return static_cast<TcxCustomButtonGroupProperties*>(GetEffectiveProperties());
  }
  const std::vector<TWinControl*>& Buttons() const { return FButtons; }
  bool SupportsNonClientArea() override { return false; }
  bool Focused() override;
  bool OwnsChildWindow(HWND AHandle) override;
  virtual void UpdateButtons();
  virtual void UpdateButtonBounds();
  // The rectangle of each item button within the group.
  std::vector<TRect> CalculateButtonPositions();
  virtual void GetButtonMetrics(bool AWithGlyph, TcxButtonMetrics& AMetrics);
  // Arrow keys from a button move the focus among the buttons.
  void ButtonKeyDown(TWinControl* AButton, Word& Key, TShiftState Shift);
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  // In a grid, the click that activates the group goes on to the button
  // under the mouse.
  void ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) override;

 protected:
  virtual TWinControl* CreateButton() = 0;
  virtual void InitializeButton(TWinControl* AButton);
  virtual void SyncButtonCount(Integer ACount);
  virtual void UpdateButtonsStyle();
  using TcxCustomGroupBox::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void ContainerStyleChanged(TObject* Sender) override;
  void CreateHandle() override;
  void Resize() override;
  void Dispatch(TMessage& Message) override;
  void DoCursorChanged() override;
  bool CanAutoSize() override { return !IsInplace() && AutoSize(); }
  bool HostsChildControls() override { return FSelectingByAccel; }
  std::vector<TWinControl*> FButtons;
  bool FSelectingByAccel = false;
  bool FUpdatingButtons = false;
};

// ---------------------------------------------------------------------------
// Radio group

class TcxCustomRadioGroupButton : public TcxRadioButton {
  TOVANI_CLASS(TcxCustomRadioGroupButton, TcxRadioButton)
 public:
  explicit TcxCustomRadioGroupButton(TComponent* AOwner = nullptr);
  TcxCustomRadioGroup* RadioGroup() const;
  bool IsInplaceButton() override;
  // Checks or unchecks without reporting back to the group.
  void SetCheckedQuietly(bool AChecked);
  void Click() override;
  // Actions the button cannot handle go to the group's data.
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  bool CanFocus() override;

 protected:
  void KeyPress(char32_t& Key) override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  // Focus from the keyboard checks the button, unless the group is in a grid.
  void DoEnter() override;
  void DoExit() override;

 private:
  bool FInternalSettingChecked = false;
  bool FFocusingByMouse = false;
  bool FIsClickLocked = false;
};

class TcxRadioGroupItem : public TcxButtonGroupItem {
  TOVANI_CLASS(TcxRadioGroupItem, TcxButtonGroupItem)
 public:
  explicit TcxRadioGroupItem(TCollection* ACollection = nullptr) : TcxButtonGroupItem(ACollection) {}
  void Assign(TPersistent* Source) override;
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& AValue);

 private:
  Variant FValue = Null();
};

class TcxCustomRadioGroupProperties : public TcxCustomButtonGroupProperties {
  TOVANI_CLASS(TcxCustomRadioGroupProperties, TcxCustomButtonGroupProperties)
 public:
  explicit TcxCustomRadioGroupProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  TClass GetContainerClass() override;
  String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) override;
  bool DetectsValueChange() override { return true; }
  bool CanRestoreEditValue() override { return true; }
  bool HasInnerEditChangeEvents() override { return true; }
  Integer GetViewOptions() override { return TcxCustomButtonGroupProperties::GetViewOptions() | 0x210; }
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreviewMode = false) override;
  // Two values display alike when they check the same item.
  bool SameDisplayValue(const Variant& V1, const Variant& V2) override;
  // The display value is the index of the value's item (-1: none).
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  // Radio groups keep the asked number of equal columns.
  Integer GetColumnCount() override;
  TcxRadioGroupItem* Items(Integer Index) const { return static_cast<TcxRadioGroupItem*>(Items()->Items(Index)); }
  using TcxCustomButtonGroupProperties::Items;
  // The first item whose value equals the value (an item without a value:
  // whose caption equals its text, with case); -1 when none.
  Integer GetItemIndexOfValue(const Variant& AValue);
  const String& DefaultCaption() const { return FDefaultCaption; }
  void SetDefaultCaption(const String& Value) { Store(FDefaultCaption, Value); }
  const Variant& DefaultValue() const { return FDefaultValue; }
  void SetDefaultValue(const Variant& Value);

 protected:
  TcxButtonGroupItems* CreateItems() override;

 private:
  String FDefaultCaption;
  Variant FDefaultValue = Null();
};

class TcxRadioGroupButtonViewInfo : public TcxGroupBoxButtonViewInfo {
  TOVANI_CLASS(TcxRadioGroupButtonViewInfo, TcxGroupBoxButtonViewInfo)
 public:
  // Moved a pixel right in a paint copy of a button that is not themed.
  void GetGlyphRect(const TSize& AGlyphSize, TRect& R, bool AIsPaintCopy, TAlignment AAlignment) override;
};

// The radio group drawn without its buttons' windows.
class TcxCustomRadioGroupViewInfo : public TcxButtonGroupViewInfo {
  TOVANI_CLASS(TcxCustomRadioGroupViewInfo, TcxButtonGroupViewInfo)
 public:
  // The checked item as painted (-1: none).
  Integer ItemIndex = -1;
  void DrawButtonCaption(TcxCanvas* ACanvas, TcxGroupBoxButtonViewInfo* AButton, const TRect& AGlyphRect) override;
  void DrawButtonGlyph(TcxCanvas* ACanvas, TcxGroupBoxButtonViewInfo* AButton, const TRect& AGlyphRect) override;
  bool IsButtonBackgroundTransparent(TcxGroupBoxButtonViewInfo* AButton) override;
  TcxEditButtonViewInfo* CreateButtonViewInfo() override;
};

class TcxCustomRadioGroupViewData : public TcxButtonGroupViewData {
  TOVANI_CLASS(TcxCustomRadioGroupViewData, TcxButtonGroupViewData)
 public:
  using TcxButtonGroupViewData::TcxButtonGroupViewData;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) override;
  void GetButtonMetrics(bool AWithGlyph, TcxButtonMetrics& AMetrics) override;
  void CalculateButtonNativeState(TcxCustomEditViewInfo* AViewInfo, TcxGroupBoxButtonViewInfo* AButton) override;
};

class TcxRadioGroupProperties : public TcxCustomRadioGroupProperties {
  TOVANI_CLASS(TcxRadioGroupProperties, TcxCustomRadioGroupProperties)
 public:
  explicit TcxRadioGroupProperties(TPersistent* AOwner = nullptr) : TcxCustomRadioGroupProperties(AOwner) {}
};

class TcxCustomRadioGroup : public TcxCustomButtonGroup {
  TOVANI_CLASS(TcxCustomRadioGroup, TcxCustomButtonGroup)
 public:
  explicit TcxCustomRadioGroup(TComponent* AOwner = nullptr, bool AIsInplace = false,
                               const TcxEditPropertiesFactory& AProperties = nullptr);
  TcxCustomRadioGroupProperties* ActiveProperties() {
    return static_cast<TcxCustomRadioGroupProperties*>(GetEffectiveProperties());
  }
  TcxCustomRadioGroupProperties* Properties() const {
    return static_cast<TcxCustomRadioGroupProperties*>(TcxCustomEdit::Properties());
  }
  Integer ItemIndex();
  void SetItemIndex(Integer Value);
  TcxCustomRadioGroupButton* Button(Integer Index) const;
  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void InternalSetEditValue(const Variant& Value, bool AValidate) override;
  void GetDisplayText(String& AText) override;
  void ButtonChecked(TcxCustomRadioGroupButton* AButton);
  void UpdateButtons() override;
  // The group is no tab stop of its own: its buttons are, while an item is
  // checked (a radio button is a tab stop while checked).
  void GetTabOrderList(std::vector<TWinControl*>& List) override;
  // The checked button takes the focus when there is one.
  void SetFocus() override;
  // In place, activation focuses the checked button (the first when none
  // is checked); resetting the value unchecks all.
  TcxCustomEditData* Activate(TcxCustomEditData*& AEditData) override;
  void ActivateResetValue() override { SetItemIndex(-1); }
  // The buttons are made from the items, never streamed.
  void GetChildren(const TGetChildProc&, TComponent*) override {}
  // Dragging and a parent-background change apply to the buttons too.
  void SetDragMode(TDragMode Value) override;
  void SetDragKind(TDragKind Value) override;
  bool IsInternalControl(TControl* AControl) override;

 protected:
  void Dispatch(TMessage& Message) override;
  TWinControl* CreateButton() override;
  void UpdateButtonsStyle() override;
  void Loaded() override;
  void Resize() override;
  void ParentBackgroundToggled() override;
  bool SetFocusNeedless() override;

 private:
  void SetEditValueChecked(const Variant& Value, bool AValidate, bool AFromButton);
  void CheckItem(Integer AIndex, bool AFromButton);
  Integer CheckedIndex() const;
  bool IsLoadingOrUpdating() const;
  // While loading, updating or designed, the item index is kept aside.
  bool KeepsStoredItemIndex() const;
  Integer FStoredItemIndex = -1;
};

class TcxRadioGroup : public TcxCustomRadioGroup {
  TOVANI_CLASS(TcxRadioGroup, TcxCustomRadioGroup)
 public:
  explicit TcxRadioGroup(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxRadioGroupProperties* Properties() const {
    return static_cast<TcxRadioGroupProperties*>(TcxCustomEdit::Properties());
  }
};

CX_EDIT_REPOSITORY_ITEM(TcxEditRepositoryRadioGroupItem, TcxRadioGroupProperties)

void cxRadioGroupUnitStartup();
void cxRadioGroupUnitShutdown();
