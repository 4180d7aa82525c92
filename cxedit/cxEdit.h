// The editor core: every editor of the library is a control (TcxCustomEdit,
// a styled container) paired with a properties object that holds its
// settings and makes its other parts: the view data that measures and lays
// it out, the view info that paints it, its style class, its button
// collection. A repository item lends one properties object to many
// editors. An editor talks to its data through a data binding, which also
// supplies the defaults (alignment, read-only, formats) its properties use
// when they assign nothing themselves.
//
// What the user types goes through one pipeline: the editor marks itself
// changed, validates the shown text when the user leaves or presses Enter
// (OnValidate may refuse it), turns it into the edit value and posts it to
// the binding. A value that cannot be posted keeps the editor in edit with
// the user's text.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Variant.h"
#include "cxContainer.h"
#include "cxEditErrors.h"
#include "cxEditPaintUtils.h"

class TcxCustomEdit;
class TcxCustomEditProperties;
class TcxCustomEditViewData;
class TcxCustomEditViewInfo;
class TcxCustomEditStyle;
class TcxEditStyle;
class TcxEditStyleController;
class TcxEditDataBinding;
class TcxEditRepositoryItem;
class TcxEditRepository;
class TcxCustomEditData;

TOVANI_EXCEPTION(EcxEditValidationError, EcxEditError)

// ---------------------------------------------------------------------------
// Default values provider

// Where an editor's properties take the defaults they do not assign.
class IcxEditDefaultValuesProvider {
 public:
  virtual ~IcxEditDefaultValuesProvider() = default;
  virtual bool CanSetEditMode() = 0;
  // Every live properties object that uses this provider drops it.
  virtual void ReleaseFromUsers() = 0;
  virtual TAlignment DefaultAlignment() = 0;
  // 0 none, 1 blob, 2 picture, 3 memo, 4 OLE object.
  virtual Integer DefaultBlobKind() = 0;
  virtual bool DefaultCanModify() = 0;
  virtual String DefaultDisplayFormat() = 0;
  virtual String DefaultEditFormat() = 0;
  virtual String DefaultEditMask() = 0;
  virtual bool DefaultIsFloatValue() = 0;
  virtual Integer DefaultMaxLength() = 0;
  virtual double DefaultMaxValue() = 0;
  virtual double DefaultMinValue() = 0;
  virtual Integer DefaultPrecision() = 0;
  virtual bool DefaultReadOnly() = 0;
  virtual bool DefaultRequired() = 0;
  virtual TObject* GetInstance() = 0;
  virtual bool IsDataStorage() = 0;
  virtual bool IsBlob() = 0;
  virtual bool IsCurrency() = 0;
  virtual bool IsDataReady() = 0;
  virtual bool HasDisplayFormat(bool AIsCurrencyValueAccepted) = 0;
  virtual bool IsDisplayFormatEmpty() = 0;
  virtual bool HasSetTextHandler() = 0;
  virtual bool AcceptsChar(char32_t AChar) = 0;
};

// Answers constants; a data-aware provider answers from its field.
class TcxCustomEditDefaultValuesProvider : public TcxInterfacedPersistent, public IcxEditDefaultValuesProvider {
  TOVANI_CLASS(TcxCustomEditDefaultValuesProvider, TcxInterfacedPersistent)
 public:
  explicit TcxCustomEditDefaultValuesProvider(TPersistent* AOwner = nullptr) : TcxInterfacedPersistent(AOwner) {}
  ~TcxCustomEditDefaultValuesProvider() override;
  bool CanSetEditMode() override { return true; }
  void ReleaseFromUsers() override;
  TAlignment DefaultAlignment() override { return taLeftJustify; }
  Integer DefaultBlobKind() override { return 3; }
  bool DefaultCanModify() override { return true; }
  String DefaultDisplayFormat() override { return ""; }
  String DefaultEditFormat() override { return ""; }
  String DefaultEditMask() override { return ""; }
  bool DefaultIsFloatValue() override { return false; }
  Integer DefaultMaxLength() override { return 0; }
  double DefaultMaxValue() override { return 0; }
  double DefaultMinValue() override { return 0; }
  Integer DefaultPrecision() override { return 15; }
  bool DefaultReadOnly() override { return false; }
  bool DefaultRequired() override { return false; }
  TObject* GetInstance() override { return this; }
  bool IsDataStorage() override { return false; }
  bool IsBlob() override { return false; }
  bool IsCurrency() override { return false; }
  bool IsDataReady() override { return true; }
  bool HasDisplayFormat(bool) override { return false; }
  bool IsDisplayFormatEmpty() override { return false; }
  bool HasSetTextHandler() override { return false; }
  bool AcceptsChar(char32_t) override { return true; }
  virtual bool IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) { return HasDisplayFormat(AIsCurrencyValueAccepted); }
};

// ---------------------------------------------------------------------------
// Alignment and buttons

enum TcxEditVertAlignment { taTopJustify, taBottomJustify, taVCenter };
TOVANI_ENUM_INFO(TcxEditVertAlignment)
TOVANI_ENUM_INFO(TcxEditButtonKind)

class TcxEditAlignment : public TPersistent {
  TOVANI_CLASS(TcxEditAlignment, TPersistent)
 public:
  explicit TcxEditAlignment(TPersistent* AOwner = nullptr) : FOwner(AOwner) {}
  TAlignment Horz() const { return FHorz; }
  void SetHorz(TAlignment Value);
  TcxEditVertAlignment Vert() const { return FVert; }
  void SetVert(TcxEditVertAlignment Value);
  bool IsHorzStored() const { return FIsHorzAssigned; }
  bool IsHorzAssigned() const { return FIsHorzAssigned; }
  // Horz keeps its value but is no longer the assigned one.
  void Reset();
  void Assign(TPersistent* Source) override;
  // Sets Horz without assigning it and without a notice.
  void SetHorzQuiet(TAlignment Value) { FHorz = Value; }
  TNotifyEvent OnChanged;

 protected:
  TPersistent* GetOwner() override { return FOwner; }

 private:
  friend class TcxCustomEditProperties;
  void DoChanged() { cxCallNotifyEvent(this, OnChanged); }
  TPersistent* FOwner;
  TAlignment FHorz = taLeftJustify;
  TcxEditVertAlignment FVert = taTopJustify;
  bool FIsHorzAssigned = false;
};

class TcxEditButton : public TCollectionItem {
  TOVANI_CLASS(TcxEditButton, TCollectionItem)
 public:
  explicit TcxEditButton(TCollection* ACollection = nullptr);
  ~TcxEditButton() override;
  void Assign(TPersistent* Source) override;

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  const String& VisibleCaption() const { return FVisibleCaption; }
  TAlignment ContentAlignment() const { return FContentAlignment; }
  void SetContentAlignment(TAlignment Value);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // Made (empty) on first read; editing it in place repaints the editor.
  TBitmap* Glyph();
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph != nullptr; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value);
  TcxEditButtonKind Kind() const { return FKind; }
  void SetKind(TcxEditButtonKind Value);
  bool LeftAlignment() const { return FLeftAlignment; }
  void SetLeftAlignment(bool Value);
  bool Stretchable() const { return FStretchable; }
  void SetStretchable(bool Value);
  Integer Tag() const { return FTag; }
  void SetTag(Integer Value);
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer Value);

 private:
  template <class T>
  void Store(T& AField, const T& AValue) {
    if (AField == AValue) return;
    AField = AValue;
    Changed(false);
  }
  String FCaption, FVisibleCaption, FHint;
  TAlignment FContentAlignment = taCenter;
  bool FDefault = false, FEnabled = true, FLeftAlignment = false, FStretchable = true, FVisible = true;
  std::unique_ptr<TBitmap> FGlyph;
  TcxEditButtonKind FKind = bkDown;
  Integer FTag = 0, FWidth = 0;
  TColor FTextColor = clBtnText;
};

class TcxEditButtons : public TOwnedCollection {
  TOVANI_CLASS(TcxEditButtons, TOwnedCollection)
 public:
  explicit TcxEditButtons(TPersistent* AOwner, TClass AButtonClass = nullptr);
  TcxEditButton* Add() { return static_cast<TcxEditButton*>(TCollection::Add()); }
  TcxEditButton* Items(Integer Index) const { return static_cast<TcxEditButton*>(TCollection::Items(Index)); }
  Integer VisibleCount() const;
  TNotifyEvent OnChange;

 protected:
  void Update(TCollectionItem* Item) override { cxCallNotifyEvent(this, OnChange); }
};

// What the painting of one button needs, written by the view data.
struct TcxEditButtonViewInfoData {
  TColor BackgroundColor = clBtnFace;
  String Caption, VisibleCaption;
  TAlignment ContentAlignment = taCenter;
  bool Default = false;
  bool Gradient = false;
  bool IsInplace = false;
  TcxEditButtonKind Kind = bkDown;
  bool LeftAlignment = false;
  bool Leftmost = false, Rightmost = false;
  bool NativeStyle = false;
  Integer State = 1;   // 0 disabled, 1 normal, 2 pressed, 3 hot
  TcxEditButtonStyle Style = bts3D;
  TColor TextColor = clBtnText;
  bool Transparent = false;
  bool NativeDropDown = false;
  Integer NativePart = 0, NativeState = 0;
  bool PartiallyTransparent = false;
  TBitmap* Glyph = nullptr;
  bool EraseBackground = false;
};

class TcxEditButtonViewInfo : public TPersistent {
  TOVANI_CLASS(TcxEditButtonViewInfo, TPersistent)
 public:
  TcxEditButtonViewInfo() = default;
  TcxEditButtonViewInfoData Data;
  TRect Bounds, VisibleBounds;
  Integer ButtonIndex = 0;
  bool Stretchable = true;
  Integer Width = 0;
  // Copies the native state, background colour, bounds, style and state.
  void Assign(TPersistent* Source) override;
  // Empty when nothing that shows differs from AOld; else the bounds. The
  // caller owns the region.
  HRGN GetUpdateRegion(TcxEditButtonViewInfo* AOld);
  // Invalidates the bounds (moved by AOffset) when something that shows
  // differs from AOld.
  bool Repaint(TWinControl* AControl, TcxEditButtonViewInfo* AOld, const TPoint& AOffset);

 private:
  bool DiffersFrom(TcxEditButtonViewInfo* AOld) const;
};

// ---------------------------------------------------------------------------
// Styles

enum TcxEditBorderStyle { ebsNone, ebsSingle, ebsThick, ebsFlat, ebs3D, ebsUltraFlat, ebsOffice11 };
enum TcxEditButtonTransparency { ebtNone, ebtInactive, ebtAlways, ebtHideInactive, ebtHideUnselected };
enum TcxEditPopupBorderStyle { epbsDefault, epbsSingle, epbsFrame3D, epbsFlat };
using TcxEditGradientDirection = TcxDirection;
TOVANI_ENUM_INFO(TcxEditButtonStyle)
TOVANI_ENUM_INFO(TcxEditButtonTransparency)
TOVANI_ENUM_INFO(TcxEditPopupBorderStyle)

// The style values an editor adds to the container's ten.
constexpr TcxContainerStyleValue svButtonStyle = TcxContainerStyleValue(10);
constexpr TcxContainerStyleValue svButtonTransparency = TcxContainerStyleValue(11);
constexpr TcxContainerStyleValue svPopupBorderStyle = TcxContainerStyleValue(12);
constexpr TcxContainerStyleValue svGradientButtons = TcxContainerStyleValue(13);
constexpr TcxContainerStyleValue svGradient = TcxContainerStyleValue(14);
constexpr TcxContainerStyleValue svGradientDirection = TcxContainerStyleValue(15);
constexpr Integer cxEditStyleValueCount = 16;

class TcxCustomEditStyle : public TcxContainerStyle {
  TOVANI_CLASS(TcxCustomEditStyle, TcxContainerStyle)
 public:
  TcxCustomEditStyle(TPersistent* AOwner, bool ADirectAccessMode = false, TcxContainerStyle* AParentStyle = nullptr,
                     TcxContainerStateItem AState = cssNormal);
  void Assign(TPersistent* Source) override;

  TcxEditButtonStyle ButtonStyle();
  void SetButtonStyle(TcxEditButtonStyle Value);
  TcxEditButtonTransparency ButtonTransparency();
  void SetButtonTransparency(TcxEditButtonTransparency Value);
  TcxEditPopupBorderStyle PopupBorderStyle();
  void SetPopupBorderStyle(TcxEditPopupBorderStyle Value);
  bool GradientButtons();
  void SetGradientButtons(bool Value);
  bool Gradient();
  void SetGradient(bool Value);
  TcxEditGradientDirection GradientDirection();
  void SetGradientDirection(TcxEditGradientDirection Value);
  bool PopupCloseButton() { return EditBase()->FPopupCloseButton; }
  void SetPopupCloseButton(bool Value);
  TcxEditBorderStyle GetBorderStyle() { return TcxEditBorderStyle(BorderStyle()); }
  void SetEditBorderStyle(TcxEditBorderStyle Value) { SetBorderStyle(TcxContainerBorderStyle(Value)); }
  TcxCustomEditStyle* GetBaseStyle() { return EditBase(); }
  TcxEditStyleController* ActiveEditStyleController();
  TcxCustomEdit* GetEdit();

  Integer StyleValueCount() override { return cxEditStyleValueCount; }
  bool StyleValueName(TcxContainerStyleValue AValue, String& AName) override;
  bool IsValueAssigned(TcxContainerStyleValue AValue) override;
  TcxContainerStyleValues HiddenSlotValues() override;
  bool StoredEditValue(TcxContainerStyleValue AValue) { return StoredValue(AValue); }

 protected:
  TcxStyleController* GetDefaultController() override;
  virtual TcxEditButtonStyle FallbackButtonStyle();
  virtual TcxEditButtonTransparency FallbackButtonTransparency();
  virtual bool FallbackGradient();
  virtual bool FallbackGradientButtons();
  virtual TcxEditGradientDirection FallbackGradientDirection();
  virtual TcxEditPopupBorderStyle FallbackPopupBorderStyle();

 private:
  TcxCustomEditStyle* EditBase() { return static_cast<TcxCustomEditStyle*>(BaseStyle()); }
  // The style whose stored value is in effect (down the controllers).
  TcxCustomEditStyle* EditValueSource(TcxContainerStyleValue AValue);
  template <class T>
  void StoreOnBase(T TcxCustomEditStyle::*AField, TcxContainerStyleValue AValue, const T& Value);
  TcxEditButtonStyle FButtonStyle = btsDefault;
  TcxEditButtonTransparency FButtonTransparency = ebtNone;
  TcxEditPopupBorderStyle FPopupBorderStyle = epbsDefault;
  bool FGradientButtons = false, FGradient = false;
  TcxEditGradientDirection FGradientDirection = dirDown;
  bool FPopupCloseButton = true;
};

class TcxEditStyle : public TcxCustomEditStyle {
  TOVANI_CLASS(TcxEditStyle, TcxCustomEditStyle)
 public:
  using TcxCustomEditStyle::TcxCustomEditStyle;
  static TcxContainerStyleFactory Factory();
};

class TcxEditStyleController : public TcxStyleController {
  TOVANI_CLASS(TcxEditStyleController, TcxStyleController)
 public:
  explicit TcxEditStyleController(TComponent* AOwner = nullptr);
  TcxEditStyle* Style() const { return static_cast<TcxEditStyle*>(GetStyle()); }
  void SetStyle(TcxEditStyle* Value) { TcxStyleController::SetStyle(Value); }
  TcxEditStyle* StyleDisabled() const { return static_cast<TcxEditStyle*>(GetStyleOfSlot(cssDisabled)); }
  void SetStyleDisabled(TcxEditStyle* Value) { TcxStyleController::SetStyleDisabled(Value); }
  TcxEditStyle* StyleFocused() const { return static_cast<TcxEditStyle*>(GetStyleOfSlot(cssFocused)); }
  void SetStyleFocused(TcxEditStyle* Value) { TcxStyleController::SetStyleFocused(Value); }
  TcxEditStyle* StyleHot() const { return static_cast<TcxEditStyle*>(GetStyleOfSlot(cssHot)); }
  void SetStyleHot(TcxEditStyle* Value) { TcxStyleController::SetStyleHot(Value); }

 protected:
  TcxContainerStyleFactory StyleFactory() override { return TcxEditStyle::Factory(); }
};

// The edit style controller the editor unit makes at start-up.
TcxEditStyleController* cxDefaultEditStyleController();

// ---------------------------------------------------------------------------
// Properties

class TcxCustomEditPropertiesValues : public TPersistent {
  TOVANI_CLASS(TcxCustomEditPropertiesValues, TPersistent)
 public:
  explicit TcxCustomEditPropertiesValues(TPersistent* AOwner = nullptr) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  virtual void ResetAssigned();
  bool MaxValue() const { return FMaxValue; }
  void SetMaxValue(bool Value) { SetFlag(FMaxValue, Value); }
  bool MinValue() const { return FMinValue; }
  void SetMinValue(bool Value) { SetFlag(FMinValue, Value); }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { SetFlag(FReadOnly, Value); }
  TcxCustomEditProperties* Properties() const;

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  void BeginOwnerUpdate();
  void EndOwnerUpdate();
  void NotifyOwnerChanged();

 private:
  friend class TcxCustomEditProperties;
  void SetFlag(bool& AFlag, bool Value);
  TPersistent* FOwner;
  bool FMaxValue = false, FMinValue = false, FReadOnly = false;
};

using TcxEditButtonClickEvent = std::function<void(TObject* Sender, Integer AButtonIndex)>;
using TcxEditValidateEvent =
    std::function<void(TObject* Sender, Variant& DisplayValue, String& ErrorText, bool& Error)>;
using TcxEditClosePopupEvent = std::function<void(TObject* Sender, Integer AReason)>;
enum TcxEditButtonsViewStyle { bvsNormal, bvsButtonsOnly, bvsButtonsAutoWidth };
enum TcxEditValueSource { evsValue, evsText, evsKey };
// Size properties of GetEditSize: width -1 is free.
struct TcxEditSizeProperties {
  Integer Height = -1;
  Integer MaxLineCount = 0;
  Integer Width = -1;
};

class TcxCustomEditProperties : public TcxInterfacedPersistent {
  TOVANI_CLASS(TcxCustomEditProperties, TcxInterfacedPersistent)
 public:
  explicit TcxCustomEditProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomEditProperties() override;
  void Assign(TPersistent* Source) override;

  // Change notices.
  virtual void Changed();
  void BeginUpdate();
  void EndUpdate(bool AInvokeChanged = true);
  void LockChanges(bool ALock) { FChangeLock = ALock; }
  bool IsChangingLocked() const { return FChangeLock || FUpdateCount > 0; }
  bool ChangedMeanwhile() const { return FChangedMeanwhile; }
  Integer NotificationDepth() const { return FNotificationDepth; }
  TNotifyEvent OnPropertiesChanged;

  // Factory answers (descendants name their own parts).
  virtual TClass GetContainerClass();
  virtual TClass GetViewDataClass();
  virtual TClass GetViewInfoClass();
  virtual TcxContainerStyleFactory GetStyleFactory() { return TcxEditStyle::Factory(); }
  virtual TcxCustomEditViewInfo* CreateViewInfo();
  virtual TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                bool APreviewMode = false);
  virtual TcxCustomEditProperties* CreateOfSameClass();

  // Behaviour hooks.
  virtual void AlignmentChanged();
  virtual void SetAlignment(TcxEditAlignment* Value);
  virtual void ButtonsChanged() { Changed(); }
  virtual bool CanValidate() { return false; }
  virtual bool DefaultUseLeftAlignmentOnEditing() { return true; }
  virtual void ClearDefaultValuesProvider() { FProvider = nullptr; }
  virtual void FreeNotification(TComponent* AComponent) {}
  virtual TAlignment GetDefaultHorzAlignment();
  virtual Integer GetDisplayFormatFlags() { return 0; }
  virtual double GetMaxValue();
  virtual double GetMinValue();
  virtual void GetInvalidInputText(String& AText);
  virtual bool UsesFieldDisplayFormat(bool AEditFocused);
  virtual bool HasInnerEditChangeEvents() { return false; }
  virtual bool WantsTabKey() { return false; }
  virtual bool AllowsDirectEditing() { return true; }
  virtual bool DetectsValueChange() { return false; }
  virtual bool SameDisplayValue(const Variant& V1, const Variant& V2);
  virtual void NotifyHook() {}
  virtual String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) {
    return "";
  }
  virtual Integer GetEditFeatureFlags() { return 0; }
  virtual Integer GetViewOptions();
  virtual bool IsActivationKey(char32_t AKey) { return false; }
  virtual bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) { return true; }
  virtual bool CanRestoreEditValue() { return false; }
  virtual void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) {
    ADisplayValue = AEditValue;
  }
  virtual void ResetToDefaults();
  virtual void CopyRuntimeDataTo(TcxCustomEditProperties* ADest) {}
  virtual void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit);
  // Where a data binding takes the value from: the field's value (the old
  // False), its text (the old True) or the lookup key value.
  virtual TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) { return evsValue; }

  // Settings.
  TcxEditAlignment* GetAlignment();
  TcxEditAlignment* Alignment() { return GetAlignment(); }
  TcxEditAlignment* StoredAlignment() const { return FStoredAlignment.get(); }
  bool IsAlignmentStored() const;
  TcxCustomEditPropertiesValues* AssignedValues() const { return FAssignedValues.get(); }
  void SetAssignedValues(TcxCustomEditPropertiesValues* Value) { FAssignedValues->Assign(Value); }
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { Store(FAutoSelect, Value); }
  bool BeepOnError() const { return FBeepOnError; }
  void SetBeepOnError(bool Value) { FBeepOnError = Value; }
  TcxEditButtons* Buttons() const { return FButtons.get(); }
  void SetButtons(TcxEditButtons* Value) { FButtons->Assign(Value); }
  TcxEditButtonsViewStyle ButtonsViewStyle() const { return FButtonsViewStyle; }
  void SetButtonsViewStyle(TcxEditButtonsViewStyle Value) { Store(FButtonsViewStyle, Value); }
  TShortCut ClearKey() const { return FClearKey; }
  void SetClearKey(TShortCut Value) { FClearKey = Value; }
  TShortCut ClickKey() const { return FClickKey; }
  void SetClickKey(TShortCut Value) { FClickKey = Value; }
  bool ImmediatePost() const { return FImmediatePost; }
  void SetImmediatePost(bool Value) { FImmediatePost = Value; }
  double MaxValue() const { return FMaxValue; }
  void SetMaxValue(double Value);
  double MinValue() const { return FMinValue; }
  void SetMinValue(double Value);
  bool GetReadOnly();
  bool ReadOnly() { return GetReadOnly(); }
  void SetReadOnly(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { Store(FTransparent, Value); }
  bool UseLeftAlignmentOnEditing() const { return FUseLeftAlignmentOnEditing; }
  void SetUseLeftAlignmentOnEditing(bool Value) { Store(FUseLeftAlignmentOnEditing, Value); }
  bool UseMouseWheel() const { return FUseMouseWheel; }
  void SetUseMouseWheel(bool Value) { FUseMouseWheel = Value; }
  bool ValidateOnEnter() const { return FValidateOnEnter; }
  void SetValidateOnEnter(bool Value) { FValidateOnEnter = Value; }

  // Defaults.
  IcxEditDefaultValuesProvider* DefaultValuesProvider() const { return FProvider; }
  void AttachDefaultValuesProvider(IcxEditDefaultValuesProvider* AProvider);
  // Stores the provider without a change notice.
  void SetDefaultValuesProviderQuiet(IcxEditDefaultValuesProvider* AProvider) { FProvider = AProvider; }
  // Whether an in-place editor may change its value.
  bool IsEditValueModifiable();
  // Whether a text editor shows the data's own display format.
  bool HasDisplayFormatNow();
  bool HasFocusDependentText() { return HasDisplayFormatNow(); }

  void GetEditSize(TcxCanvas* ACanvas, TcxCustomEditStyle* AStyle, bool AIsInplace, const Variant& AEditValue,
                   TcxEditSizeProperties& AEditSizeProperties, TSize& ASize);
  // True when the handlers changed the display value.
  bool FireValidateEvents(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit);

  TcxEditButtonClickEvent OnButtonClick;
  TNotifyEvent OnChange;
  TNotifyEvent OnEditValueChanged;
  TcxEditValidateEvent OnValidate;
  TcxEditClosePopupEvent OnClosePopup;

  // Every live properties object (null after the editor unit's shut-down).
  static const std::vector<TcxCustomEditProperties*>* LiveProperties();

 protected:
  // Descendants with their own assigned-values class call this in their constructor.
  void SetAssignedValuesObject(TcxCustomEditPropertiesValues* AValues) { FAssignedValues.reset(AValues); }
  template <class T>
  void Store(T& AField, const T& AValue) {
    if (AField == AValue) return;
    AField = AValue;
    Changed();
  }

 private:
  std::unique_ptr<TcxFreeNotificator> FFreeNotificator;
  std::unique_ptr<TcxEditAlignment> FAlignment;
  std::unique_ptr<TcxEditAlignment> FStoredAlignment;
  std::unique_ptr<TcxCustomEditPropertiesValues> FAssignedValues;
  std::unique_ptr<TcxEditButtons> FButtons;
  bool FAutoSelect = true, FBeepOnError = false, FImmediatePost = false, FTransparent = false;
  TcxEditButtonsViewStyle FButtonsViewStyle = bvsNormal;
  TShortCut FClearKey = 0, FClickKey = 16397;
  double FMaxValue = 0, FMinValue = 0;
  bool FReadOnly = false;
  bool FUseLeftAlignmentOnEditing = true, FUseMouseWheel = true, FValidateOnEnter = true;
  IcxEditDefaultValuesProvider* FProvider = nullptr;
  bool FChangeLock = false, FChangedMeanwhile = false;
  Integer FUpdateCount = 0, FNotificationDepth = 0;
};

// ---------------------------------------------------------------------------
// View data

// The parameters a view data fills and an in-place editor copies into every
// view data it creates.
struct TcxEditContentParams {
  TRect ExternalBorderBounds;
  TRect Offsets;   // left, top, right, bottom
  Integer SizeCorrectionX = 0, SizeCorrectionY = 0;
  Integer Options = 2;
};

using TcxEditGetDefaultButtonWidthEvent = std::function<void(TObject* Sender, Integer AIndex, Integer& AWidth)>;
using TcxEditDisplayTextEvent = std::function<void(TObject* Sender, String& AText)>;
using TcxEditButtonStateEvent = std::function<void(TcxCustomEditViewInfo* AViewInfo, Integer& AState)>;

class TcxCustomEditViewData : public TPersistent {
  TOVANI_CLASS(TcxCustomEditViewData, TPersistent)
 public:
  TcxCustomEditViewData(TcxCustomEditProperties* AProperties, TcxCustomEditStyle* AStyle, bool AIsInplace);
  ~TcxCustomEditViewData() override = default;

  TcxCustomEditProperties* Properties;
  TcxCustomEditStyle* Style;
  bool IsInplace;
  TcxCustomEdit* Edit = nullptr;
  bool Enabled = true, Focused = false, IsDesigning = false;
  TcxContainerStateFlags ContainerState{csfNormal};
  bool ActiveOrHot = false;
  Integer ButtonVisibleCount = 0;
  TAlignment HorzAlignment = taLeftJustify;
  TcxEditVertAlignment VertAlignment = taTopJustify;
  bool NativeStyle = false;
  bool ButtonsFillWidth = false;
  TRect Bounds;
  TRect InplaceEditParams;   // the in-place border offsets
  TcxEditContentParams ContentParams;
  bool HScrollBarVisible = false, VScrollBarVisible = false;
  TWinControl* InnerEdit = nullptr;
  HWND WindowHandle = nullptr;
  bool PreviewMode = false;
  Integer LeftLeftmost = -1, LeftRightmost = -1, RightLeftmost = -1, RightRightmost = -1;
  TcxEditGetDefaultButtonWidthEvent OnGetDefaultButtonWidth;
  TcxEditDisplayTextEvent OnGetDisplayText;
  TcxEditButtonStateEvent OnButtonState;

  virtual void CalculateNativeInfo(TcxEditButtonViewInfo* AButton, TcxCustomEditViewInfo* AViewInfo);
  virtual bool CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) { return true; }
  virtual TcxContainerStateFlags GetContainerState(const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                                                   bool AIsMouseEvent);
  virtual void GetContentOffsets(TRect& AOffsets);
  virtual Integer GetNativeState();
  virtual bool HasThickBorderInAnyState();
  virtual void InitFromProperties();
  virtual void GetContentParams(TcxEditContentParams& AParams);
  virtual void ResetInplaceOffsets();
  virtual void GetValueDisplayText(const Variant& AEditValue, String& AText) { AText = ""; }
  virtual void GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace, const TcxEditSizeProperties& ASizeProperties,
                                TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize, TSize& AFixedSize);
  virtual TSize GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& ASizeProperties) {
    return TSize();
  }
  virtual bool IsButtonForcedPressed(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) { return false; }
  virtual void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                         TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent);
  virtual void CalculateButtonBounds(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, TRect& ABounds,
                                     Integer AButtonVisibleIndex);
  virtual void CalculateButtonsViewInfo(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                        TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent);
  virtual void CalculateButtonViewInfo(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, TRect& ABounds,
                                       Integer AButtonVisibleIndex);
  virtual void StretchButtons(TcxCustomEditViewInfo* AViewInfo, Integer AFullWidth, Integer AFreeWidth);
  virtual void PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue,
                                       TcxCustomEditViewInfo* AViewInfo) {}
  virtual TColor GetBorderColor();
  virtual void GetBorderExtent(TRect& AExtent);
  virtual void GetBorderExtentForWidth(Integer AWidth, TRect& AExtent);
  virtual void GetStyleBorderExtent(TRect& AExtent);
  virtual TcxEditBorderStyle GetEffectiveBorderStyle();
  virtual void GetClientExtent(TcxCanvas* ACanvas, TRect& AExtent);
  virtual void GetContentExtent(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, TRect& AExtent);
  virtual void GetFixedPartSizeEx(TcxCanvas* ACanvas, const TcxEditSizeProperties& ASizeProperties, TSize& AFixedSize,
                                  TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize);
  virtual void GetContentSize(TcxCanvas* ACanvas, const Variant& AEditValue, TSize& AContentSize,
                              const TcxEditSizeProperties& ASizeProperties);
  virtual TSize GetTextOffsetsSize();
  virtual bool HasShadow();
  virtual bool IsButtonStretchExcluded(Integer AButtonVisibleIndex) { return false; }
  static bool IsNativeStyle(TcxLookAndFeel* ALookAndFeel);

  TcxCustomEditStyle* GetEditStyle() const { return Style; }
  void SetEditStyle(TcxCustomEditStyle* Value) { Style = Value; }
  TcxEditButtonStyle ResolveButtonsStyle();
  TcxEditPopupBorderStyle ResolvePopupBorderStyle();
  void PrepareDisplayText(const Variant& AEditValue, String& AText);
  void GetEditSize(TcxCanvas* ACanvas, const Variant& AEditValue, const TcxEditSizeProperties& ASizeProperties,
                   TSize& ASize, TcxCustomEditViewInfo* AViewInfo = nullptr);
  Integer ComputePaintOptions();
  Integer GetDefaultButtonWidth(Integer AIndex);

 private:
  void CalculateState(const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift, bool AIsMouseEvent,
                      TcxCustomEditViewInfo* AViewInfo);
};

// ---------------------------------------------------------------------------
// View info

using TcxEditPaintEvent = std::function<void(TcxCustomEditViewInfo* Sender, TcxCanvas* ACanvas)>;
using TcxEditDrawBackgroundEvent = std::function<void(TcxCustomEditViewInfo* Sender, TcxCanvas* ACanvas, bool& AHandled)>;
using TcxEditDrawButtonEvent =
    std::function<void(TcxCustomEditViewInfo* Sender, TcxCanvas* ACanvas, bool& AHandled, Integer AButtonVisibleIndex)>;
using TcxEditDrawButtonBackgroundEvent = std::function<void(TcxCustomEditViewInfo* Sender, TcxCanvas* ACanvas,
                                                            bool& AHandled, Integer AButtonVisibleIndex, const TRect& R)>;
using TcxEditDrawButtonBorderEvent =
    std::function<void(TcxCustomEditViewInfo* Sender, TcxCanvas* ACanvas, bool& AHandled, TRect& AContentRect,
                       TRect& ABackgroundRect, Integer AButtonVisibleIndex)>;

// The background kinds: 0 custom, 1 frame and fill, 2 none, 3 solid,
// 4 parent image, 5 parent's themed background.
enum TcxEditBackgroundKind { ebkCustom, ebkFrameAndFill, ebkNone, ebkSolid, ebkParentImage, ebkParentThemed };

class TcxCustomEditViewInfo : public TcxContainerViewInfo {
  TOVANI_CLASS(TcxCustomEditViewInfo, TcxContainerViewInfo)
 public:
  TcxCustomEditViewInfo();
  ~TcxCustomEditViewInfo() override;

  TcxCustomEdit* Edit = nullptr;
  std::vector<std::unique_ptr<TcxEditButtonViewInfo>> ButtonsInfo;
  Integer PressedButton = -1, SelectedButton = -1;
  bool IsButtonReallyPressed = false;
  TRect InnerEditRect, ShadowRect;
  TColor TextColor = clWindowText;
  TFont* Font = nullptr;
  bool Transparent = false;
  bool IsInplace = false, IsDesigning = false, Enabled = true, Focused = false, EraseBackground = false;
  bool InnerControlVisible = false, PaintCopyMode = false, IsInnerControl = false, HasInplaceBorderOffsets = false;
  Integer PaintOptions = 0;
  TcxEditPopupBorderStyle PopupBorderStyle = epbsDefault;
  TcxCustomEditProperties* Properties = nullptr;
  HWND WindowHandle = nullptr;
  bool IsPaintingButtons = false;
  TcxEditPaintEvent OnPaint;
  TcxEditDrawBackgroundEvent OnDrawBackground;
  TcxEditDrawButtonEvent OnDrawButton;
  TcxEditDrawButtonBackgroundEvent OnDrawButtonBackground;
  TcxEditDrawButtonBorderEvent OnDrawButtonBorder;

  // Container overrides.
  TcxContainerBorderStyle GetBorderStyleKind() override { return BorderStyle; }
  void PaintContent(TcxCanvas* ACanvas) override;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  TcxRegion* GetRepaintRegion(TcxContainerViewInfo* Other) override;
  void MoveBy(Integer DX, Integer DY) override;
  void PaintOn(TcxCanvas* ACanvas) override;

  virtual TcxEditButtonViewInfo* CreateButtonViewInfo() { return new TcxEditButtonViewInfo(); }
  virtual void GetSkinColors(TColor& ABackgroundColor, TColor& ATextColor);
  virtual bool RepaintsOnStateChange() { return true; }
  virtual void DrawButton(TcxCanvas* ACanvas, Integer AButtonVisibleIndex);
  virtual void SetBackgroundDrawHandler(const TcxEditDrawBackgroundEvent& AHandler) { OnDrawBackground = AHandler; }
  virtual void Draw3DButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TColor& ABackgroundColor,
                                  TColor& ATextColor, TRect& AContentRect, TRect& R);
  virtual void DrawFlatButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TColor& ABackgroundColor,
                                    TColor& ATextColor, TRect& AContentRect, TRect& R);
  virtual void DrawHotFlatButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TColor& ABackgroundColor,
                                       TColor& ATextColor, TRect& AContentRect, TRect& R);
  virtual void PaintThemedButtonFrame(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TColor& ABackgroundColor,
                                      TColor& ATextColor, TRect& AContentRect, TRect& R);
  virtual void DrawSimpleButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TColor& ABackgroundColor,
                                      TColor& ATextColor, TRect& AContentRect, TRect& R);
  virtual void DrawUltraFlatButtonBorder(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton,
                                         TColor& ABackgroundColor, TColor& ATextColor, TRect& AContentRect, TRect& R,
                                         bool AIsOffice11);
  virtual void DrawNativeButtonBackground(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, const TRect& R);
  virtual void DrawButtonBackground(TcxCanvas* ACanvas, TcxEditButtonViewInfo* AButton, TColor AColor,
                                    const TRect& R);
  virtual void PaintButton(TcxCanvas* ACanvas, Integer AButtonVisibleIndex);
  virtual void DrawNativeEditBackground(TcxCanvas* ACanvas, bool AFillContent, TcxEditBackgroundKind AKind,
                                        HBRUSH ABrush);
  virtual void DrawButtonBorder(TcxCanvas* ACanvas, Integer AButtonVisibleIndex, TColor& ABackgroundColor,
                                TColor& ATextColor, TRect& AContentRect, TRect& R);
  virtual void DrawButtonContent(TcxCanvas* ACanvas, Integer AButtonVisibleIndex, Integer AContentShift,
                                 TColor ABackgroundColor, TColor ATextColor, const TRect& AContentRect);
  virtual bool HasHotButton();
  virtual bool IsPointOnButton(TPoint P);
  virtual bool NeedShowHint(TcxCanvas* ACanvas, TPoint P, String& AText, bool& AIsMultiLine);
  virtual bool GetHintInfo(TcxCanvas* ACanvas, TPoint P, String& AText, bool& AIsMultiLine, TRect& ATextRect);
  virtual void PrepareButtonTextCanvas(TcxCanvas* ACanvas) {}
  virtual bool Repaint(TWinControl* AControl, TcxCustomEditViewInfo* AOld);
  virtual bool RepaintExcept(TWinControl* AControl, const TRect& AInnerEditRect, TcxCustomEditViewInfo* AOld);

  // The part under a point: -2 outside the border, -1 on no hot button,
  // else the hot button's index in the collection.
  Integer GetPartAt(TPoint P);
  bool PaintBackgroundByHandler(TcxCanvas* ACanvas);
  void PaintBackgroundRect(TcxCanvas* ACanvas, const TRect& R, bool ANoClip, const TRect& AClipRect);
  TcxEditBackgroundKind BackgroundKind();
  bool BackgroundIsTransparent() { auto k = BackgroundKind(); return k != ebkFrameAndFill && k != ebkSolid; }
  bool HasCustomBackground() { return BackgroundKind() == ebkCustom; }
  bool HasCustomButtonDraw(Integer AButtonVisibleIndex);
  void SetButtonCount(Integer ACount);
  Integer ButtonCount() const { return Integer(ButtonsInfo.size()); }
  // Paints every button (nothing while already painting them).
  void PaintButtons(TcxCanvas* ACanvas);
  // A text colour resolved for a button (clDefault: the view info's).
  std::function<TColor(Integer AButtonIndex)> OnGetButtonTextColor;
};

// ---------------------------------------------------------------------------
// Data binding

class TcxEditDataBinding : public TPersistent {
  TOVANI_CLASS(TcxEditDataBinding, TPersistent)
 public:
  explicit TcxEditDataBinding(TcxCustomEdit* AEdit);
  ~TcxEditDataBinding() override;

  virtual void PropertiesChanged();
  virtual void GetDisplayValue(Variant& AValue);
  virtual bool IsModified();
  virtual bool IsEditing();
  virtual void GetStoredValue(Variant& AValue);
  virtual void Reset();
  virtual void AssignDisplayValue(const Variant& AValue);
  virtual bool EnterEditMode();
  virtual void StoreValue(const Variant& AValue) {}
  virtual bool CanPostEditValue();
  virtual bool HasValueToPost() { return IsEditing(); }
  virtual bool ExecuteBindingAction(TBasicAction* AAction) { return false; }
  virtual void DataChanged();
  virtual bool UpdateBindingAction(TBasicAction* AAction) { return false; }
  virtual void UpdateDisplayValue();
  virtual void RefreshBinding() {}

  IcxEditDefaultValuesProvider* QueryDefaultValuesProvider() const { return FProvider.get(); }
  TcxCustomEditDefaultValuesProvider* DefaultValuesProvider() const { return FProvider.get(); }
  bool HasData() { return FProvider->IsDataReady(); }
  void PassDisplayValueToEdit(const Variant& AValue);
  TcxCustomEdit* Edit() const { return FEdit; }

 protected:
  TPersistent* GetOwner() override;
  // Descendants with their own provider class call this in their constructor.
  void SetDefaultValuesProvider(TcxCustomEditDefaultValuesProvider* AProvider);

 private:
  TcxCustomEdit* FEdit;
  std::unique_ptr<TcxCustomEditDefaultValuesProvider> FProvider;
};

// Collects OnChange and OnEditValueChanged while they are held.
class TcxEditChangeEventsCatcher : public TObject {
  TOVANI_CLASS(TcxEditChangeEventsCatcher, TObject)
 public:
  explicit TcxEditChangeEventsCatcher(TcxCustomEdit* AEdit) : FEdit(AEdit) {}
  void Lock(bool ALock, bool AInvokeChanged = true);
  bool IsLocked() const { return FLockCount > 0; }
  Integer LockCount() const { return FLockCount; }
  bool OnChangeEvent = false, OnEditValueChangedEvent = false;

 private:
  TcxCustomEdit* FEdit;
  Integer FLockCount = 0;
};

// Data a host keeps for an in-place editor between activations.
class TcxCustomEditData : public TObject {
  TOVANI_CLASS(TcxCustomEditData, TObject)
 public:
  explicit TcxCustomEditData(TcxCustomEdit* AEdit);
  ~TcxCustomEditData() override;
  virtual void Clear();
  TcxCustomEdit* Edit() const { return FEdit; }
  bool Cleared = false;

 private:
  TcxCustomEdit* FEdit;
  std::unique_ptr<TcxFreeNotificator> FFreeNotificator;
};
using TcxCustomEditDataFactory = std::function<TcxCustomEditData*(TcxCustomEdit*)>;

// ---------------------------------------------------------------------------
// Repository

// Told by a repository item when it goes away or its properties change.
class IcxEditRepositoryItemListener {
 public:
  virtual ~IcxEditRepositoryItemListener() = default;
  virtual void ItemRemoved(TcxEditRepositoryItem* Sender) = 0;
  virtual void PropertiesChanged(TcxEditRepositoryItem* Sender) = 0;
};

class TcxEditRepositoryItem : public TComponent {
  TOVANI_CLASS(TcxEditRepositoryItem, TComponent)
 public:
  explicit TcxEditRepositoryItem(TComponent* AOwner = nullptr);
  ~TcxEditRepositoryItem() override;
  TcxCustomEditProperties* Properties() const { return FProperties.get(); }
  void SetProperties(TcxCustomEditProperties* Value) { FProperties->Assign(Value); }
  TcxEditRepository* Repository() const { return FRepository; }
  void SetRepository(TcxEditRepository* Value);
  virtual void PropertiesChanged(TObject* Sender);
  virtual void AddListener(IcxEditRepositoryItemListener* AListener);
  virtual void RemoveListener(IcxEditRepositoryItemListener* AListener);
  virtual TClass GetPropertiesClass() { return FProperties->ClassType(); }
  // The repository's name and the class name after "TcxEditRepository";
  // an empty name when the item has no repository.
  virtual void GetBaseName(String& AName);
  Integer ListenerCount() const { return Integer(FListeners.size()); }
  TComponent* GetParentComponent() const override;
  bool HasParent() const override { return FRepository != nullptr; }
  void SetParentComponent(TComponent* Value) override;
  // Read from form text, the item joins the repository it is read under.
  void ReadState(TReader* Reader) override;

 protected:
  // Descendants replace the properties with their own class.
  void SetPropertiesObject(TcxCustomEditProperties* AProperties);

 private:
  std::unique_ptr<TcxCustomEditProperties> FProperties;
  TcxEditRepository* FRepository = nullptr;
  std::vector<IcxEditRepositoryItemListener*> FListeners;
};
using TcxEditRepositoryItemFactory = std::function<TcxEditRepositoryItem*(TComponent* AOwner)>;

class TcxEditRepository : public TComponent {
  TOVANI_CLASS(TcxEditRepository, TComponent)
 public:
  explicit TcxEditRepository(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  ~TcxEditRepository() override;
  TcxEditRepositoryItem* CreateItem(const TcxEditRepositoryItemFactory& AItemClass);
  TcxEditRepositoryItem* CreateItemEx(const TcxEditRepositoryItemFactory& AItemClass, TComponent* AOwner);
  Integer Count() const { return Integer(FItems.size()); }
  TcxEditRepositoryItem* Items(Integer Index) const { return FItems.at(Index); }
  void AddItem(TcxEditRepositoryItem* AItem);
  void RemoveItem(TcxEditRepositoryItem* AItem);
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 private:
  std::vector<TcxEditRepositoryItem*> FItems;
};

TcxEditRepository* cxGetDefaultEditRepository();
// The registry of editor properties classes with their descriptions.
TcxRegisteredClasses* cxEditPropertiesRegistry();

// ---------------------------------------------------------------------------
// The editor control

using TcxEditEditingEvent = std::function<void(TObject* Sender, bool& CanEdit)>;
// Makes an editor's properties with the editor as owner.
using TcxEditPropertiesFactory = std::function<TcxCustomEditProperties*(TPersistent* AOwner)>;
using TcxEditAfterKeyDownEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;

class TcxCustomEdit : public TcxContainer, public IcxEditRepositoryItemListener {
  TOVANI_CLASS(TcxCustomEdit, TcxContainer)
 public:
  // Descendants pass the factory of their own properties (null: base
  // properties) and of their style class (null: TcxEditStyle). An in-place
  // editor (made by a host over one cell) says so here.
  explicit TcxCustomEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                         const TcxEditPropertiesFactory& AProperties = nullptr,
                         const TcxContainerStyleFactory& AStyleFactory = nullptr);
  ~TcxCustomEdit() override;

  // Properties and styles.
  TcxCustomEditProperties* Properties() const { return FProperties.get(); }
  void SetProperties(TcxCustomEditProperties* Value) { FProperties->Assign(Value); }
  TcxCustomEditProperties* GetEffectiveProperties();
  TcxCustomEditProperties* ActiveProperties() { return GetEffectiveProperties(); }
  TcxEditRepositoryItem* RepositoryItem() const { return FRepositoryItem; }
  void SetRepositoryItem(TcxEditRepositoryItem* Value);
  TcxEditStyle* Style() const { return static_cast<TcxEditStyle*>(TcxContainer::Style()); }
  TcxEditStyle* StyleDisabled() const { return static_cast<TcxEditStyle*>(TcxContainer::StyleDisabled()); }
  TcxEditStyle* StyleFocused() const { return static_cast<TcxEditStyle*>(TcxContainer::StyleFocused()); }
  TcxEditStyle* StyleHot() const { return static_cast<TcxEditStyle*>(TcxContainer::StyleHot()); }
  TcxCustomEditStyle* GetCurrentStyle() { return static_cast<TcxCustomEditStyle*>(GetStyleForState()); }
  TcxCustomEditViewInfo* GetViewInfo() const { return static_cast<TcxCustomEditViewInfo*>(ViewInfo()); }
  TcxEditDataBinding* DataBinding() const { return FDataBinding.get(); }

  // Value.
  const Variant& EditValue() const { return FEditValue; }
  virtual void SetEditValue(const Variant& Value);
  virtual void SetEditValueQuiet(const Variant& Value);
  virtual void GetEditValue(Variant& AValue) { AValue = FEditValue; }
  virtual void GetCurrentValue(Variant& AValue);
  virtual void GetEditingValue(Variant& AValue) { AValue = FEditValue; }
  virtual void GetDisplayText(String& AText) { AText = ""; }
  String DisplayText() { String s; GetDisplayText(s); return s; }
  virtual void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused);
  virtual void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) {}
  virtual void SetDisplayValueFromData(const Variant& AValue) {}
  virtual void UpdateDrawValue() {}
  virtual void SynchronizeEditValue() {}
  virtual void PrepareEditText() {}
  virtual void GetResetValue(Variant& AValue) { AValue = Null(); }
  virtual void ActivateResetValue();
  virtual void ResetEditValue();
  bool Modified() const { return FModified; }
  void SetModified(bool Value);
  bool EditModified() const { return FUserChanged; }
  void SetEditChanged(bool Value);
  bool Validated() const { return FValidated; }
  bool IsPosting() const { return FPosting; }
  void PushModifiedState();
  void PopModifiedState();
  void HoldChangeEvents(bool ALock, bool AInvokeChanged = true) { FChangeEventsCatcher->Lock(ALock, AInvokeChanged); }
  TcxEditChangeEventsCatcher* ChangeEventsCatcher() const { return FChangeEventsCatcher.get(); }
  void HoldClick(bool ALock);
  void HoldEditValueSetting(bool ALock);
  void MarkChangedAndClick();
  void NotifyChange();
  void NotifyEditValueChanged();
  void NotifyClosePopup(Integer AReason);
  bool HasOnChangeHandler();
  bool HasOnEditValueChangedHandler();
  bool HasOnValidateHandler();

  // Validation and posting.
  virtual bool ValidateInput(bool ARaiseError = false);
  virtual void HandleValidationError(const String& AErrorText, bool AAbort);
  bool CanPostValue();
  virtual void PostValue(bool AValidateFirst = true);
  virtual bool CanModify();
  bool RequestEditing();
  virtual bool IsReadOnlyNow();
  bool IsDataBound() { return FDataBinding->QueryDefaultValuesProvider()->IsDataStorage(); }
  bool UsesEditFormat();
  bool CanUseMouseWheel(TShiftState Shift);

  // In-place editing.
  bool IsInplace() override { return FIsInplace; }
  virtual TcxCustomEditData* Activate(TcxCustomEditData*& AEditData);
  virtual void ActivateByKey(char32_t AKey, TcxCustomEditData*& AEditData);
  virtual void ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData);
  virtual bool EndInplaceEditing();
  bool Activated() const { return FActivated; }
  TcxTimer* InplaceTimer() const { return FInplaceTimer.get(); }
  TcxEditAfterKeyDownEvent OnAfterKeyDown;
  TNotifyEvent OnPostEditValue;   // the in-place post callback

  // View.
  virtual TcxCustomEditViewData* CreateViewData();
  void RecalcViewInfo(TPoint MousePos, Integer AButton, bool AIsMouseEvent, TShiftState Shift);
  void RecalcViewInfoAtCursor();
  bool UpdateState(TPoint MousePos, Integer AButton, TShiftState Shift, bool AIsMouseEvent) override;
  void AdjustInnerControlBounds() override;
  virtual void PaintEditorImage(TcxCanvas* ACanvas);
  Integer GetDefaultButtonVisibleIndex();
  Integer CapturedPressedButton() const { return FCapturedPressedButton; }
  // A claimed key skips the container's key-down handling (OnKeyDown, the
  // Tab focus move) and goes straight to the editor's own key handling.
  virtual bool IsClickKey(Word Key, TShiftState Shift);
  // The properties' ClickKey while a default button answers clicks.
  bool IsDefaultButtonClickKey(Word Key, TShiftState Shift);
  bool IsClearOrClickKey(Word Key, TShiftState Shift);
  void NotifyAfterKeyDown(Word& Key, TShiftState Shift);
  Integer GetHeight();
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  void ComputeAutoSize(Integer& AWidth, Integer& AHeight);
  bool HasAutoWidth();

  // Editing operations (text editors fill these).
  virtual void CopyToClipboard() {}
  virtual void CutToClipboard() {}
  virtual void PasteFromClipboard() {}
  virtual void SelectAll() {}
  virtual bool HasReadOnlyText() { return false; }
  virtual Integer GetTextBaseLine() { return 0; }
  virtual bool HasTextBaseLine() { return false; }
  bool InnerEditNotReady();
  // While RequestEditing runs (the editor is entering edit mode).
  bool IsRequestingEditing() const { return FRequestingEditing; }
  bool HasInnerEdit() const { return InnerControl() != nullptr; }

  TcxEditEditingEvent OnEditing;
  TNotifyEvent OnFocusChanged;

  // Listener of the repository item.
  void ItemRemoved(TcxEditRepositoryItem* Sender) override;
  void PropertiesChanged(TcxEditRepositoryItem* Sender) override;
  virtual void PropertiesChanged(TObject* Sender);

  // Hooks of the editor's kind.
  virtual bool AlignsRight() { return false; }
  virtual void PlaceInnerEdit();
  virtual void BeginPosting() { FPosting = true; }
  virtual void EndPosting() { FPosting = false; }
  virtual bool CanAutoSize() { return !FIsInplace && FAutoSize; }
  virtual bool ButtonsAutoWidth();
  virtual bool IsEditorKey(Word Key, TShiftState Shift) { return false; }
  virtual bool IsEditorChar(char32_t AChar) { return false; }
  virtual void InnerEditChange(TObject* Sender);
  virtual void ClickDefaultButton();
  virtual void DoButtonClick(Integer AButtonVisibleIndex);
  virtual void DoButtonDown(Integer AButtonVisibleIndex) {}
  virtual void DoButtonUp(Integer AButtonVisibleIndex) {}
  virtual void DoEditKeyDown(Word& Key, TShiftState Shift);
  virtual void DoEditKeyPress(char32_t& Key) { CheckEditChar(Key); }
  virtual void DoEditKeyUp(Word& Key, TShiftState Shift) {}
  virtual void BeforeTabExit(TShiftState Shift) {}
  virtual void ValidateOnExit();
  virtual void DoChange();
  virtual void DoEditValueChanged();
  virtual void HandleEnter();
  virtual void AfterEnterHook() {}
  virtual void GetEditSizeProperties(TcxEditSizeProperties& AProperties);
  virtual TcxEditDataBinding* CreateDataBinding();
  virtual TcxCustomEditDataFactory GetEditDataClass() { return nullptr; }
  virtual TClass GetPropertiesClass() { return TcxCustomEditProperties::StaticClass(); }
  virtual void InitializeEditData() {}
  virtual void InitializeViewData(TcxCustomEditViewData* AViewData);
  virtual bool SupportsEditing() { return true; }
  virtual void DoSetDisplayValue(const Variant& AValue) {}
  virtual void InternalSetEditValue(const Variant& Value, bool AValidate);
  virtual void SetDisplayValueLocked(const Variant& AValue);
  virtual bool IsActiveControl();
  virtual bool OwnsChildWindow(HWND AHandle) { return false; }
  virtual bool ForceClick() { return false; }
  virtual bool InPaintCopyMode();
  virtual bool EditValueStored() { return !FEditValue.IsNull(); }
  virtual bool HasNativeParentBackground() { return false; }
  virtual bool IsTransparentBackground() { return !FIsInplace && FTransparent; }
  virtual bool IsCharValidForData(char32_t AChar);
  virtual bool IsSpecialKey(Word Key, TShiftState Shift) { return false; }
  virtual void ProcessButtonStates(TcxCustomEditViewInfo* AOldViewInfo);
  virtual void RepositoryItemChanged() {}
  virtual void ReleasingFocusHook() {}
  virtual bool CanSendActivationKey(char32_t AKey) { return true; }
  virtual bool CanAcceptText(const String& AText) { return false; }
  virtual bool UsesInplaceLook() { return FIsInplace; }
  virtual bool ReloadOnEnter() { return true; }
  virtual bool AcceptsEditKey(Word& Key, TShiftState Shift);
  virtual bool CheckEditChar(char32_t& AChar);
  virtual bool HandlesNavigationKeys() { return false; }
  virtual bool UseNativeThemeFor(TThemedElement AKind);
  virtual bool AcceptsRepositoryItem(TcxEditRepositoryItem* AItem);
  virtual bool WantsTabKey() { return FIsInplace; }

  // Container overrides.
  bool HandlesTabKey() override { return false; }
  void GetBorderExtent(TRect& AExtent) override;
  TcxContainerStyleValues GetUnusedStyleValues() override;
  bool ShowsParentBackground() override { return HasNativeParentBackground() || IsTransparentBackground(); }
  bool IsNativeStyle() override;
  void FocusInnerControl() override;

  // Forwarded input (tests and the inner control).
  void DoKeyDown(Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
  void DoKeyPress(char32_t& Key) { KeyPress(Key); }
  void Click() override;
  void DblClick() override;
  void SetParent(TWinControl* AParent) override;
  void SetName(const String& NewName) override;
  // A visible in-place editor takes its host out of the tab order.
  void GetTabOrderList(std::vector<TWinControl*>& List) override;
  // Height is written only when the editor does not size itself, Width
  // only when its buttons do not set it.
  void DefineProperties(TFiler* Filer) override;

 protected:
  void Loaded() override;
  void ReadState(TReader* Reader) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoEnter() override;
  void DoExit() override;
  void DoFocusChanged() override;
  // An action the control does not handle itself goes to the data binding
  // (a dataset action without a data source acts on the bound dataset).
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  bool CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void CreateHandle() override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // Makes the editor's inner control (text editors) and returns it.
  virtual TWinControl* CreateInnerEdit() { return nullptr; }
  virtual void InitializeInnerEdit();
  void SetReadOnlyOfInnerEdit(bool AReadOnly);
  // Kinds with their own binding (data-aware editors) put it in place in
  // their constructor; the properties take its provider.
  void SetDataBindingObject(TcxEditDataBinding* ABinding);
  // Stores the edit value alone (the kinds that synchronise it with their text).
  void StoreEditValue(const Variant& AValue) { FEditValue = AValue; }

  bool FIsInplace;
  bool FUserAction = false;
  bool FFocusingByError = false;
  // Set by kinds that have an inner control class, until it exists.
  bool FInnerEditClassExists = false;

 private:
  void InitializeEditor(TcxCustomEditProperties* AProperties);
  void DoExitProcessing();
  void HandleHintShow(TMessage& Message);
  TRect EditBounds() const { return TRect(0, 0, Width(), Height()); }

  TcxEditContentParams FInplaceContentParams;
  bool FRequestingEditing = false;
  bool FDestroying = false;

  Variant FEditValue;
  Variant FPrevEditValue;
  bool FModified = false, FUserChanged = false, FValidated = false, FValidating = false;
  bool FPosting = false, FEscHandled = false;
  Integer FClickLockCount = 0, FEditValueSettingLockCount = 0, FValidationLock = 0;
  std::unique_ptr<TcxEditChangeEventsCatcher> FChangeEventsCatcher;
  std::vector<std::pair<bool, bool>> FSavedFlags;
  std::unique_ptr<TcxTimer> FInplaceTimer;
  TcxCustomEditData* FEditData = nullptr;
  Integer FCapturedPressedButton = -1;
  std::unique_ptr<TcxEditDataBinding> FDataBinding;
  std::unique_ptr<TcxCustomEditProperties> FProperties;
  TcxEditRepositoryItem* FRepositoryItem = nullptr;
  bool FAutoSize = true, FTransparent = false;
  bool FLastFocusState = false;
  bool FFirstSize = true, FActivated = false, FDeferredSetup = false;
  bool FCreating = false;
  bool FHandleRequestRunning = false;
};

// ---------------------------------------------------------------------------
// Unit routines

bool cxEditVarEquals(const Variant& V1, const Variant& V2);
bool cxVarSameTypeAndValue(const Variant& V1, const Variant& V2);
TComponent* cxFindOwnerComponent(TPersistent* APersistent);
bool cxIsEditBlankChar(char AChar);
bool cxIsRegionEmpty(HRGN ARegion);
void cxUniteRegion(HRGN ARegion, HRGN AOther);
void cxSendKeyDown(TcxCustomEdit* AEdit, Word AKey);
void cxSendChar(TcxCustomEdit* AEdit, char32_t AChar);
TShiftState cxMouseButtonToShift(TMouseButton AButton);
TShiftState cxButtonCodeToShift(Integer ACode);
void cxEnlargeSize(TSize& ASize, const TSize& AOther);
TcxLookAndFeelKind cxGetEditPopupLookAndFeelKind(TcxCustomEdit* AEdit);
void cxDrawEditFrame(TcxCanvas* ACanvas, TRect& R, TColor ALeftTopColor, TColor ARightBottomColor);
void cxDrawEditRectFrame(TcxCanvas* ACanvas, TRect& R, TColor AColor);

// The screen cursor the editor unit registers at start-up.
constexpr TCursor crcxEditMouseWheel = 4101;

// The editor unit's start-up runs on first use (the default edit style
// controller, the list of live properties, the data library's text hook);
// shut-down frees what it made and is safe to call more than once.
void cxEditUnitStartup();
void cxEditUnitShutdown();

// Paint routines over the editor's view info: the background (border,
// shadow, content fill) and then the buttons.
void cxDrawEditBackgroundAndButtons(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, bool AFillContent,
                                    TcxEditBackgroundKind ANativeBackgroundKind);
// 1 for an in-place editor with buttons, else 0.
Integer cxNativeInnerEditHeightCorrection(TcxCustomEditProperties* AProperties, bool AIsInplace);
bool cxEditViewDataHasShadow(TcxCustomEditViewData* AViewData);
inline TcxLookAndFeelPainterClass cxGetEditPainterClass(bool ANative, TcxLookAndFeelKind AKind) {
  return cxPainterClassFor(ANative, AKind);
}
