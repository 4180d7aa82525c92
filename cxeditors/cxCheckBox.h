// The check box editor and what every check of the library shares: the
// drawing of a check in each look, its size, the glyph images of a custom
// check bitmap, and the four text formats that turn the check states of a
// list of items into one edit value and back (the check list box stores a
// user's permissions as one of them).
#pragma once
#include <vector>

#include "Controls.h"
#include "Variant.h"
#include "cxComboBox.h"
#include "cxEdit.h"
#include "cxLookAndFeelPainters.h"

class TBitmap;
class TcxCanvas;

enum TcxCheckBoxNullValueShowingStyle { nssUnchecked, nssInactive, nssGrayedChecked };
enum TcxCheckStatesValueFormat { cvfCaptions, cvfIndices, cvfInteger, cvfStatesString };
TOVANI_ENUM_INFO(TcxCheckBoxNullValueShowingStyle)
TOVANI_ENUM_INFO(TcxCheckStatesValueFormat)
TOVANI_ENUM_INFO(TcxCheckBoxState)

using TcxCheckStates = std::vector<TcxCheckBoxState>;

// The button state of a check: 0 normal, 1 hot, 2 pressed, 3 disabled.
enum TcxCheckButtonState { cxcbsNormal, cxcbsHot, cxcbsPressed, cxcbsDisabled };

// The items whose states a check-states value describes.
class IcxCheckStateItems {
 public:
  virtual ~IcxCheckStateItems() = default;
  virtual Integer GetCount() = 0;
  virtual String GetCaption(Integer AIndex) = 0;
};

// Writing starts from Null; an empty text of the text formats is "".
void cxCheckStatesToEditValue(const TcxCheckStates& AStates, IcxCheckStateItems* AItems, TcxCheckStatesValueFormat AFormat,
                              Variant& AValue);
// Fills one state per item (all unchecked to begin with). A value that
// cannot be read leaves every item unchecked and answers False.
bool cxEditValueToCheckStates(const Variant& AValue, IcxCheckStateItems* AItems, TcxCheckStatesValueFormat AFormat,
                              TcxCheckStates& AStates);

// The image of a glyph strip for a state and button state.
Integer cxCheckGlyphImageIndex(TcxCheckBoxState AState, TcxCheckButtonState AButtonState, bool AAllowGrayed,
                               Integer AGlyphCount);
// A glyph with a picture and a positive image count.
bool cxIsCheckGlyphUsable(TBitmap* AGlyph, Integer AGlyphCount);
// The band between a check's rectangle and its frame: 2 less the frame's
// width (0 for the native look or a glyph, which fill the rectangle).
Integer cxCheckFrameInset(TcxEditBorderStyle ABorderStyle);
Integer cxCheckListFrameInset(TcxLookAndFeelKind AKind);
// The size of a check: a glyph image, the themed check or the system's.
TSize cxCalcEditCheckSize(TcxCanvas* ACanvas, bool ANativeStyle, TBitmap* AGlyph, Integer AGlyphCount);

struct TcxCheckPaintParams {
  TcxCheckBoxState State = cbsUnchecked;
  TcxCheckBoxNullValueShowingStyle NullStyle = nssGrayedChecked;
  bool Focused = false, IsDesigning = false;
  bool DrawBackground = true;
  TColor BackgroundColor = clWindow;
  TColor BorderColor = clBtnShadow;
  bool NativeStyle = false;
  TcxEditBorderStyle BorderStyle = ebsUltraFlat;
  Integer GlyphCount = 6;
  TBitmap* Glyph = nullptr;
  TcxCheckButtonState ButtonState = cxcbsNormal;
  bool AllowGrayed = false;
};
// Draws a check (its frame and content) into ACheckRect.
void cxPaintEditCheckBox(TcxCanvas* ACanvas, const TRect& ACheckRect, const TcxCheckPaintParams& AParams);

// ---------------------------------------------------------------------------
// The check box editor

class TcxCustomCheckBox;

class TcxCustomCheckBoxProperties : public TcxCustomEditProperties {
  TOVANI_CLASS(TcxCustomCheckBoxProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomCheckBoxProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomCheckBoxProperties() override;
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { Store(FAllowGrayed, Value); }
  const String& DisplayChecked() const { return FDisplayChecked; }
  void SetDisplayChecked(const String& Value) { Store(FDisplayChecked, Value); }
  const String& DisplayGrayed() const { return FDisplayGrayed; }
  void SetDisplayGrayed(const String& Value) { Store(FDisplayGrayed, Value); }
  const String& DisplayUnchecked() const { return FDisplayUnchecked; }
  void SetDisplayUnchecked(const String& Value) { Store(FDisplayUnchecked, Value); }
  bool FullFocusRect() const { return FFullFocusRect; }
  void SetFullFocusRect(bool Value) { Store(FFullFocusRect, Value); }
  // Made on first read; a change of the picture is a change of the properties.
  TBitmap* Glyph();
  void SetGlyph(TBitmap* Value);
  bool HasGlyph() const { return FGlyph != nullptr; }
  Integer GlyphCount() const { return FGlyphCount; }
  void SetGlyphCount(Integer Value);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value) { Store(FMultiLine, Value); }
  TcxCheckBoxNullValueShowingStyle NullStyle() const { return FNullStyle; }
  void SetNullStyle(TcxCheckBoxNullValueShowingStyle Value) { Store(FNullStyle, Value); }
  bool UseAlignmentWhenInplace() const { return FUseAlignmentWhenInplace; }
  void SetUseAlignmentWhenInplace(bool Value) { Store(FUseAlignmentWhenInplace, Value); }
  // A value already used by another state (or Null for checked and
  // unchecked) is ignored, except while the owner is read from a stream.
  const Variant& ValueChecked() const { return FValueChecked; }
  void SetValueChecked(const Variant& Value);
  const Variant& ValueGrayed() const { return FValueGrayed; }
  void SetValueGrayed(const Variant& Value);
  const Variant& ValueUnchecked() const { return FValueUnchecked; }
  void SetValueUnchecked(const Variant& Value);
  // The caption an old stream gave the properties (it goes to the editor).
  const String& StreamedCaption() const { return FCaption; }
  bool TakeStreamedCaption(String& ACaption);

  // The state an edit value shows.
  TcxCheckBoxState StateOfValue(const Variant& AValue) const;
  const Variant& ValueOfState(TcxCheckBoxState AState) const;
  virtual bool ShowsCaptionInplace() { return false; }

  bool CanValidate() override { return true; }
  bool HasInnerEditChangeEvents() override { return true; }
  bool DetectsValueChange() override { return true; }
  bool CanRestoreEditValue() override { return true; }
  bool IsActivationKey(char32_t AKey) override { return AKey == U' '; }
  bool SameDisplayValue(const Variant& V1, const Variant& V2) override;
  String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) override;
  Integer GetEditFeatureFlags() override { return TcxCustomEditProperties::GetEditFeatureFlags() | 4; }
  Integer GetViewOptions() override { return 1453; }
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  TClass GetContainerClass() override;
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace, bool APreviewMode = false) override;
  TcxContainerStyleFactory GetStyleFactory() override;

 private:
  bool OwnerLoading();
  bool ValueInUse(const Variant& AValue) const;
  bool FAllowGrayed = false;
  String FCaption;
  bool FCaptionAssigned = false;
  String FDisplayChecked, FDisplayGrayed, FDisplayUnchecked;
  bool FFullFocusRect = false;
  std::unique_ptr<TBitmap> FGlyph;
  Integer FGlyphCount = 6;
  bool FMultiLine = false;
  TcxCheckBoxNullValueShowingStyle FNullStyle = nssGrayedChecked;
  bool FUseAlignmentWhenInplace = false;
  Variant FValueChecked, FValueGrayed, FValueUnchecked;
};

class TcxCheckBoxProperties : public TcxCustomCheckBoxProperties {
  TOVANI_CLASS(TcxCheckBoxProperties, TcxCustomCheckBoxProperties)
 public:
  using TcxCustomCheckBoxProperties::TcxCustomCheckBoxProperties;
};

// The check box draws no border of its own.
class TcxCheckBoxStyle : public TcxEditStyle {
  TOVANI_CLASS(TcxCheckBoxStyle, TcxEditStyle)
 public:
  using TcxEditStyle::TcxEditStyle;
  bool DrawsBorder() override { return false; }
  static TcxContainerStyleFactory Factory();
};

class TcxCustomCheckBoxViewInfo : public TcxCustomEditViewInfo {
  TOVANI_CLASS(TcxCustomCheckBoxViewInfo, TcxCustomEditViewInfo)
 public:
  TRect CheckRect, TextRect, FocusRect;
  TcxCheckBoxState State = cbsUnchecked;
  TcxCheckButtonState CheckButtonState = cxcbsNormal;
  TAlignment Alignment = taLeftJustify;
  TcxEditBorderStyle CheckBorderStyle = ebsUltraFlat;
  TcxCheckBoxNullValueShowingStyle NullStyle = nssGrayedChecked;
  TBitmap* Glyph = nullptr;
  Integer GlyphCount = 6;
  bool AllowGrayed = false;
  String Caption;
  Integer TextFlags = 0;
  bool HasFocusRect = false;

  void PaintContent(TcxCanvas* ACanvas) override;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  void MoveBy(Integer DX, Integer DY) override;
  TcxRegion* GetRepaintRegion(TcxContainerViewInfo* Other) override;
};

class TcxCustomCheckBoxViewData : public TcxCustomEditViewData {
  TOVANI_CLASS(TcxCustomCheckBoxViewData, TcxCustomEditViewData)
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  TcxEditBorderStyle GetEffectiveBorderStyle() override { return ebsNone; }
  void GetFixedPartSize(TcxCanvas* ACanvas, bool AIsInplace, const TcxEditSizeProperties& ASizeProperties,
                        TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize, TSize& AFixedSize) override;
  Integer GetTextFlags();
  // Set by the editor before calculating: Space held down.
  bool SpacePressed = false;
  // The caption of the editor.
  String Caption;
  TcxCheckBoxState State = cbsUnchecked;
};

class TcxCustomCheckBox : public TcxCustomEdit {
  TOVANI_CLASS(TcxCustomCheckBox, TcxCustomEdit)
 public:
  explicit TcxCustomCheckBox(TComponent* AOwner = nullptr, bool AIsInplace = false);

  TcxCustomCheckBoxProperties* Properties() const {
    return static_cast<TcxCustomCheckBoxProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomCheckBoxProperties* ActiveProperties() {
    return static_cast<TcxCustomCheckBoxProperties*>(GetEffectiveProperties());
  }
  void SetProperties(TcxCustomCheckBoxProperties* Value) { Properties()->Assign(Value); }
  TcxCustomCheckBoxViewInfo* CheckViewInfo() const { return static_cast<TcxCustomCheckBoxViewInfo*>(GetViewInfo()); }

  TcxCheckBoxState State();
  void SetState(TcxCheckBoxState Value);
  bool Checked() { return State() == cbsChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbsChecked : cbsUnchecked); }
  // Moves on to the next state as a click does; with ImmediatePost the
  // value is posted at once.
  virtual void Toggle();
  bool SpacePressed() const { return FSpacePressed; }

  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void GetDisplayText(String& AText) override;
  void InternalSetEditValue(const Variant& Value, bool AValidate) override;
  void PropertiesChanged(TObject* Sender) override;
  void ActivateResetValue() override { SetChecked(false); }
  bool ForceClick() override { return IsDataBound(); }
  bool DefaultParentColor() override { return true; }
  void GetEditSizeProperties(TcxEditSizeProperties& AProperties) override;
  void InitializeViewData(TcxCustomEditViewData* AViewData) override;
  void UpdateDrawValue() override;
  TClass GetPropertiesClass() override { return TcxCustomCheckBoxProperties::StaticClass(); }
  using TcxCustomEdit::PropertiesChanged;

 protected:
  void Loaded() override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char32_t& Key) override;
  void DoEditKeyUp(Word& Key, TShiftState Shift) override;
  void DoExit() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  std::unique_ptr<TControlActionLink> CreateActionLink() override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

 private:
  friend class TcxCheckBoxActionLink;
  bool FSpacePressed = false;
  bool FMousePressed = false;
  bool FHasPendingState = false;
  TcxCheckBoxState FPendingState = cbsUnchecked;
};

// The check box's link to an action: the action's Checked sets the box.
class TcxCheckBoxActionLink : public TWinControlActionLink {
  TOVANI_CLASS(TcxCheckBoxActionLink, TWinControlActionLink)
 public:
  explicit TcxCheckBoxActionLink(TcxCustomCheckBox* AClient);
  bool IsCheckedLinked() override;
  void SetChecked(bool Value) override;

 private:
  TcxCustomCheckBox* FCheckBox;
};

class TcxCheckBox : public TcxCustomCheckBox {
  TOVANI_CLASS(TcxCheckBox, TcxCustomCheckBox)
 public:
  explicit TcxCheckBox(TComponent* AOwner = nullptr, bool AIsInplace = false) : TcxCustomCheckBox(AOwner, AIsInplace) {}
};

// A check box in a filter row: a fixed list of the checked and unchecked
// texts; the conditions compare display texts.
class TcxFilterCheckBoxHelper : public TcxFilterComboBoxHelper {
  TOVANI_CLASS(TcxFilterCheckBoxHelper, TcxFilterComboBoxHelper)
 public:
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASourceProperties,
                            bool AKeepButtons) const override;
  void ReadFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties, Variant& AValue,
                       String& ADisplayText) const override;
  void WriteFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties,
                        const Variant& AValue) const override;
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties* AProperties, TcxValueTypeClass AValueTypeClass,
                                             bool AExtended) const override {
    return 1542;
  }
  bool CompareByDisplayText() const override { return true; }
};

// The check box unit's start-up (registers the properties class and its
// filter helper); runs once, shut-down removes the filter pair.
void cxCheckBoxUnitStartup();
void cxCheckBoxUnitShutdown();
