// The text editor: a styled editor whose typing happens in a borderless
// Windows edit control laid over its client area. Keys, selection,
// clipboard and IME go through that window as Windows delivers them; the
// editor sees every key first (through the inner edit) and may take it.
// Selection positions and lengths are counted in whole characters of the
// UTF-8 text, whatever the window counts internally.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "StdCtrls.h"
#include "cxEdit.h"
#include "cxFilterControlUtils.h"
#include "cxFormats.h"

class TcxCustomTextEdit;

enum TcxEditEchoMode { eemNormal, eemPassword };
TOVANI_ENUM_INFO(TcxEditEchoMode)

// ---------------------------------------------------------------------------
// Properties

// How much typing an editor allows: any text, a text that must be one of
// the lookup items (typed freely), a fixed list (keys pick items, no caret
// editing) or no typing at all.
enum TcxTextEditInputMode { timFreeText, timListText, timFixedList, timNoText };
enum TcxTextEditViewStyle { vsNormal, vsHideCursor, vsButtonsOnly, vsButtonsAutoWidth };
TOVANI_ENUM_INFO(TcxTextEditViewStyle)

class TcxCustomTextEditLookupData;
class TcxCustomEditListBox;
using TcxTextEditLookupDataFactory = std::function<TcxCustomTextEditLookupData*(TcxCustomTextEdit* AOwner)>;
using TcxNewLookupDisplayTextEvent = std::function<void(TObject* Sender, const String& AText)>;

// A set of the 256 one-byte character codes.
struct TcxCharSet {
  uint64_t Bits[4] = {0, 0, 0, 0};
  bool Contains(char32_t C) const { return C < 256 && (Bits[C >> 6] >> (C & 63)) & 1; }
  void Include(char32_t C) {
    if (C < 256) Bits[C >> 6] |= uint64_t(1) << (C & 63);
  }
  bool operator==(const TcxCharSet&) const = default;
};

// The assigned flags of the text settings that fall back to a default.
class TcxTextEditPropertiesValues : public TcxCustomEditPropertiesValues {
  TOVANI_CLASS(TcxTextEditPropertiesValues, TcxCustomEditPropertiesValues)
 public:
  using TcxCustomEditPropertiesValues::TcxCustomEditPropertiesValues;
  void Assign(TPersistent* Source) override;
  void ResetAssigned() override;
  bool DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(bool Value);
  bool EditFormat() const { return FEditFormat; }
  void SetEditFormat(bool Value);
  bool MaxLength() const { return FMaxLength; }
  void SetMaxLength(bool Value);
  // Streamed only when the owner's format text is empty.
  bool IsDisplayFormatStored() const;
  bool IsEditFormatStored() const;

 private:
  bool FDisplayFormat = false, FEditFormat = false, FMaxLength = false;
};

// Text properties hear of changes of the locale's formats from the format
// controller for as long as they live.
class TcxCustomTextEditProperties : public TcxCustomEditProperties, public IcxLocaleFormatListener {
  TOVANI_CLASS(TcxCustomTextEditProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomTextEditProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomTextEditProperties() override;
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  TcxTextEditPropertiesValues* AssignedValues() const {
    return static_cast<TcxTextEditPropertiesValues*>(TcxCustomEditProperties::AssignedValues());
  }

  // Enter reaches the Windows edit (which beeps) when on; dropped when off.
  bool BeepOnEnter() const { return FBeepOnEnter; }
  void SetBeepOnEnter(bool Value);
  TEditCharCase CharCase() const { return FCharCase; }
  virtual void SetCharCase(TEditCharCase Value);
  TcxEditEchoMode EchoMode() const { return FEchoMode; }
  void SetEchoMode(TcxEditEchoMode Value);
  // In characters; 0 is unlimited. Unassigned: the data's maximum length.
  Integer MaxLength();
  void SetMaxLength(Integer Value);
  char32_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char32_t Value);
  // No text cursor: the editor shows its value but takes no typing.
  bool HideCursor() const { return FHideCursor; }
  void SetHideCursor(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value);
  const String& ImeName() const { return FImeName; }
  void SetImeName(const String& Value);
  // Lookup navigation writes the item into the editor at once, even while
  // the list is shown.
  bool ImmediateUpdateText() const { return FImmediateUpdateText; }
  void SetImmediateUpdateText(bool Value) { FImmediateUpdateText = Value; }
  // Free-text editors complete typed text from LookupItems.
  bool IncrementalSearch() const { return FIncrementalSearch; }
  void SetIncrementalSearch(bool Value);
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value);
  bool UseDisplayFormatWhenEditing() const { return FUseDisplayFormatWhenEditing; }
  void SetUseDisplayFormatWhenEditing(bool Value);
  // Number formats for unfocused and focused display.
  String DisplayFormat();
  void SetDisplayFormat(const String& Value);
  String EditFormat();
  void SetEditFormat(const String& Value);
  // The list for incremental lookup (duplicates allowed).
  TStringList* LookupItems() const { return FLookupItems.get(); }
  void SetLookupItems(TStrings* Value);
  bool LookupItemsSorted() const { return FLookupItems->Sorted(); }
  void SetLookupItemsSorted(bool Value);
  TcxTextEditViewStyle ViewStyle();
  void SetViewStyle(TcxTextEditViewStyle Value);
  // Fixed lists: typing extends a highlighted prefix rather than starting
  // again at each key.
  bool KeepFixedListPrefix() const { return FKeepFixedListPrefix; }
  void SetKeepFixedListPrefix(bool Value);
  // Exact lookup requests compare the whole text (the recently-used editor).
  bool ExactMatchLookup() const { return FExactMatchLookup; }
  void SetExactMatchLookup(bool Value);
  // Accepted even when the bound field refuses them.
  const TcxCharSet& AlwaysAcceptedChars() const { return FAlwaysAcceptedChars; }
  void SetAlwaysAcceptedChars(const TcxCharSet& Value) { FAlwaysAcceptedChars = Value; }
  // Set while a change of the system formats is being handled.
  bool FormatChanging() const { return FFormatChanging; }
  TcxNewLookupDisplayTextEvent OnNewLookupDisplayText;

  // Behaviour of the editor kind.
  void LocaleFormatChanged() override { HandleFormatChanged(); }
  virtual void HandleFormatChanged();
  virtual void ValidateValueRange(const Variant& ADisplayValue, String& AErrorText, TcxCustomEdit* AEdit,
                                  bool& AError);
  virtual void GetNullDisplayValue(String& ADisplayValue) { ADisplayValue.clear(); }
  virtual bool IsLookupText(const String& AText);
  virtual void GetDefaultDisplayFormat(String& AFormat) { AFormat.clear(); }
  virtual Integer GetDefaultMaxLength();
  // Rows moved by Page Up and Page Down in the lookup.
  virtual Integer GetLookupPageSize() { return 8; }
  Integer GetPageRowCount() { return GetLookupPageSize(); }
  virtual TcxTextEditInputMode GetTextInputMode();
  // The lookup data class of the editor kind (none: no lookup).
  virtual TcxTextEditLookupDataFactory GetLookupDataType();
  virtual bool UsesThousandSeparator(bool AFlag) { return false; }
  virtual void ResolveEditFormat(bool& AIsCurrency, bool& AUseOnGetText, String& AFormat, TcxCustomEdit* AEdit);
  virtual bool SupportsValueRange() { return false; }
  // Drop-down editors that show the lookup list in their popup.
  virtual bool ShowsLookupInPopup() { return false; }
  bool UsesPopupLookupList() { return ShowsLookupInPopup(); }
  virtual bool IsMultiLine() { return false; }
  virtual bool IsLookupNavigationKey(Word Key, TShiftState Shift) { return false; }
  // 0 the minimum, 1 the maximum.
  virtual bool IsValueBoundDefined(Integer ABound);
  virtual bool HasValueBounds() { return IsValueBoundDefined(0) || IsValueBoundDefined(1); }
  virtual void NotifyChangedHook() { Changed(); }
  virtual void MaxLengthChanged() { Changed(); }
  virtual bool HasLookupData() { return bool(GetLookupDataType()); }
  // Password echo or the character case, as the text is shown.
  virtual void ApplyEchoAndCase(String& AText);
  virtual bool AcceptsDisplayText(String& ADisplayValue);

  // Overrides of the editor properties.
  bool CanValidate() override { return true; }
  Integer GetDisplayFormatFlags() override { return 1; }
  void GetInvalidInputText(String& AText) override;
  // The text of an invalid-input error kind (1: "Value out of bounds").
  void GetInvalidInputTextOf(Integer AErrorKind, String& AText);
  bool HasInnerEditChangeEvents() override { return true; }
  bool DetectsValueChange() override { return true; }
  TClass GetContainerClass() override;
  TClass GetViewDataClass() override;
  TClass GetViewInfoClass() override;
  TcxCustomEditViewInfo* CreateViewInfo() override;
  TcxCustomEditViewData* CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                        bool APreviewMode = false) override;
  TcxCustomEditProperties* CreateOfSameClass() override;
  bool SameDisplayValue(const Variant& V1, const Variant& V2) override;
  String GetDisplayText(const Variant& AEditValue, bool AFullText = true, bool AIsInplace = true) override;
  Integer GetViewOptions() override;
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override;
  bool CanRestoreEditValue() override { return GetTextInputMode() != timNoText; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit) override;
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override { return evsText; }
  void AlignmentChanged() override;
  void SetAlignment(TcxEditAlignment* Value) override;

 protected:
  // The numeric display rule of numeric editors.
  void FormatNumber(const Variant& AValue, String& AText, bool AEditFocused);

 private:
  template <class T>
  void StoreText(T& AField, const T& AValue) {
    if (AField == AValue) return;
    AField = AValue;
    Changed();
  }
  bool FBeepOnEnter = true;
  TEditCharCase FCharCase = ecNormal;
  TcxEditEchoMode FEchoMode = eemNormal;
  Integer FMaxLength = 0;
  char32_t FPasswordChar = 0;
  bool FHideCursor = false, FHideSelection = true, FImmediateUpdateText = false, FIncrementalSearch = true;
  bool FOEMConvert = false, FUseDisplayFormatWhenEditing = false, FKeepFixedListPrefix = true;
  bool FExactMatchLookup = false, FFormatChanging = false;
  TImeMode FImeMode = imDontCare;
  String FImeName, FDisplayFormat, FEditFormat;
  std::unique_ptr<TStringList> FLookupItems;
  TcxCharSet FAlwaysAcceptedChars;
};

// The published text editor properties.
class TcxTextEditProperties : public TcxCustomTextEditProperties {
  TOVANI_CLASS(TcxTextEditProperties, TcxCustomTextEditProperties)
 public:
  using TcxCustomTextEditProperties::TcxCustomTextEditProperties;
  TcxCustomEditProperties* CreateOfSameClass() override { return new TcxTextEditProperties(nullptr); }
};

// ---------------------------------------------------------------------------
// View data and view info

class TcxCustomTextEditViewInfo : public TcxCustomEditViewInfo {
  TOVANI_CLASS(TcxCustomTextEditViewInfo, TcxCustomEditViewInfo)
 public:
  String Text;
  TRect TextRect;
  Cardinal DrawTextFlags = 0;   // text-out flags
  TcxTextEditInputMode InputMode = timFreeText;
  // The inner edit shows the text itself (else the view info paints it).
  bool IsEditShowingText = false;
  bool HasPopupWindow = false;
  // The text is painted on a highlight bar (focused fixed lists).
  bool DrawSelectionBar = false;
  bool ComboStyle = false;
  Integer MaxLineCount = 0;
  Integer SelStart = 0, SelLength = 0;
  TColor SelTextColor = clDefault, SelBackgroundColor = clDefault;

  void PaintContent(TcxCanvas* ACanvas) override;
  void MoveBy(Integer DX, Integer DY) override;
  void AssignFrom(TcxContainerViewInfo* Source) override;
  bool NeedShowHint(TcxCanvas* ACanvas, TPoint P, String& AText, bool& AIsMultiLine) override;
  virtual void DrawText(TcxCanvas* ACanvas);
  // The text base line in the editor's coordinates.
  virtual Integer GetTextOffset();
  // Paints the content itself instead of the text (owner-drawn items);
  // False leaves it to the text painting.
  virtual bool DrawOwnerContent(TcxCanvas* ACanvas, const TRect& R) { return false; }
};

class TcxCustomTextEditViewData : public TcxCustomEditViewData {
  TOVANI_CLASS(TcxCustomTextEditViewData, TcxCustomEditViewData)
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  bool OnGlass = false;
  // Bit 0: an empty text takes no height; bit 1: the text may wrap.
  Integer TextOptions = 0;
  bool HideText = false;
  Integer SelStart = 0, SelLength = 0;
  TColor SelTextColor = clDefault, SelBackgroundColor = clDefault;
  Integer MaxLineCount = 0;
  bool FieldFormatting = false;

  virtual bool HasEditShowingText();
  virtual Integer GetMaxLineCount() { return MaxLineCount; }
  virtual bool IsComboStyle() { return false; }
  bool UsesComboBoxLook() { return IsComboStyle(); }
  virtual void CalculateTextLayout(TcxCanvas* ACanvas, TcxCustomTextEditViewInfo* AViewInfo);
  virtual void PrepareTextForPaint(const String& ADisplayValue, TcxCustomTextEditViewInfo* AViewInfo);
  virtual Cardinal GetDrawTextFlags();
  virtual void GetTextRect(TRect& AInsets);

  void InitFromProperties() override;
  void GetValueDisplayText(const Variant& AEditValue, String& AText) override;
  TSize GetEditContentSize(TcxCanvas* ACanvas, const Variant& AEditValue,
                           const TcxEditSizeProperties& ASizeProperties) override;
  void Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton, TShiftState Shift,
                 TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue,
                               TcxCustomEditViewInfo* AViewInfo) override;
  void CalculateNativeInfo(TcxEditButtonViewInfo* AButton, TcxCustomEditViewInfo* AViewInfo) override;
  void GetContentExtent(TcxCanvas* ACanvas, TcxCustomEditViewInfo* AViewInfo, TRect& AExtent) override;
  TcxTextEditInputMode InputMode();
  // The selection range and its colours go into the view info.
  void PrepareSelection(TcxCustomTextEditViewInfo* AViewInfo);
};

// ---------------------------------------------------------------------------
// The inner edit

// What an inner edit looked like before a key: used to tell whether the edit
// window's own processing changed the text without moving the selection.
struct TcxCustomInnerTextEditPrevState {
  String PrevText;
  Integer PrevSelStart = 0, PrevSelLength = 0;
  bool IsPrevTextSaved = false;
};

class TcxCustomInnerTextEdit : public TCustomEdit, public IcxContainerInnerControl {
  TOVANI_CLASS(TcxCustomInnerTextEdit, TCustomEdit)
 public:
  explicit TcxCustomInnerTextEdit(TComponent* AOwner = nullptr);
  ~TcxCustomInnerTextEdit() override;

  TWinControl* GetControl() override { return this; }
  TcxContainer* GetControlContainer() override;
  TcxCustomTextEdit* Container() const { return FContainer; }

  // The alignment the window types and shows its text with. Changing it
  // makes the window anew; an in-place editor whose properties type
  // left-aligned always keeps the left alignment.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // Editors whose properties type left-aligned but show their text
  // otherwise switch to the left alignment while focused and back when the
  // focus goes.
  virtual void AdjustAlignmentToFocus();
  TcxEditEchoMode EchoMode() const { return FEchoMode; }
  void SetEchoMode(TcxEditEchoMode Value);
  // The echo character while echoing; "*" when none is set.
  char32_t EchoChar() const { return FEchoChar; }
  void SetEchoChar(char32_t Value);
  // The last key came back handled (taken) by the editor.
  bool EditorHandledKey() const { return FEditorHandledKey; }
  // A multi-line edit window (a memo's): Up, Down and the page keys move
  // in its lines.
  bool InnerIsMultiLine();
  // While a double-byte character is being entered: its second byte.
  char PendingLeadByte() const { return FPendingCount == 2 ? FPendingByte : 0; }
  // Selection in characters of the UTF-8 text; during double-byte input
  // the selection saved when the input began.
  Integer CharSelStart();
  void SetCharSelStart(Integer Value);
  Integer CharSelLength();
  void SetCharSelLength(Integer Value);
  // Locks bounds changes (never below 0).
  void LockBounds(bool ALock);
  // Gives the message to the edit window's own procedure.
  LRESULT CallDefWndProc(UINT Msg, WPARAM WParam, LPARAM LParam);
  // Sends the message through this control's own handling, skipping the
  // editor's InnerEditMessage for it (the editor's way to run the inherited
  // handling of a message it took).
  LRESULT PerformOwn(UINT Msg, WPARAM WParam, LPARAM LParam);
  // The editor is going: its kind's message handling is no more asked.
  void EditorDestroying() { FEditorGone = true; }
  bool CanFocus() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // Actions it does not handle go to the editor's data binding.
  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  // Takes the focus without AutoSelect selecting the text this once.
  void SafelySetFocus();

  TNotifyEvent OnSelChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState, Integer, TPoint) override { return false; }
  void Click() override;
  void DblClick() override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  virtual void SetTextMargins();

 private:
  void RefreshEchoChar();
  // The properties type left-aligned and show their text another way.
  bool AlignmentFollowsFocus();
  // A click that switched the alignment made a new window: a second click
  // soon after still counts as a double click.
  void StartDblClickTimer();
  void StopDblClickTimer() { FDblClickTimerRunning = false; }
  bool DblClickTimerRunning();
  void SaveState(TcxCustomInnerTextEditPrevState& AState);
  bool KeyLeftTextAlone(const TcxCustomInnerTextEditPrevState& AState);
  TcxCustomTextEdit* FContainer;
  TAlignment FAlignment = taLeftJustify;
  bool FAlignmentLock = false;
  bool FDblClickTimerRunning = false;
  DWORD FDblClickTimerStart = 0;
  TcxEditEchoMode FEchoMode = eemNormal;
  char32_t FEchoChar = 0;
  Integer FPendingCount = 0;
  char FPendingByte = 0;
  Integer FSavedSelStart = 0, FSavedSelLength = 0;
  bool FEditorHandledKey = false;
  bool FCreating = false;
  Integer FBoundsLock = 0;
  bool FClipboardByOwner = false;
  bool FSkipOwnerMessage = false;
  bool FEditorGone = false;
};

// Saves the state of the inner edit before a key (with the text or not).
void cxSaveInnerEditState(TcxCustomInnerTextEdit* AEdit, TcxCustomInnerTextEditPrevState& AState, bool ASaveText);
// True without a window, when the selection moved, or when the saved text
// equals the current one ignoring case; False when the text was not saved or
// changed with the selection in place.
bool cxInnerEditKeyLeftTextAlone(TcxCustomInnerTextEdit* AEdit, const TcxCustomInnerTextEditPrevState& AState);

// ---------------------------------------------------------------------------
// Lookup data: the list an editor completes typed text from

enum TcxLookupMove { lmFirst, lmLast, lmNext, lmPrior, lmPageUp, lmPageDown };

// How a text editor reaches its lookup (the combo boxes' item list, the
// lookup editors' list grid). The drop-down editors use the second set of
// names; they call the same operations.
class IcxTextEditLookupData {
 public:
  virtual ~IcxTextEditLookupData() = default;
  // Whether the popup may take a size the user drags (ASize: the list size
  // asked for, adjusted to what fits; 0 for no limit).
  virtual bool AllowsPopupResize(TSize& ASize, Integer AMaxHeight, Integer AMaxWidth) = 0;
  // The list follows the current key again.
  virtual void SyncListToKey() = 0;
  virtual void ReleaseVisualArea() = 0;
  virtual void BeforePopup() = 0;
  // The text typed so far, after the popup is shown.
  virtual void AfterPopupShown(const String& ATypedText) = 0;
  virtual bool ContainsText(const String& AText) = 0;
  virtual TWinControl* GetListControl() = 0;
  virtual Variant ReadCurrentKey() = 0;
  virtual void KeyToText(const Variant& AKey, String& AText) = 0;
  virtual TNotifyEvent GetKeyChangedHandler() = 0;
  virtual void SetKeyChangedHandler(const TNotifyEvent& Value) = 0;
  virtual TNotifyEvent GetItemChosenHandler() = 0;
  virtual void SetItemChosenHandler(const TNotifyEvent& Value) = 0;
  // In: the width given and the largest height (0: none); out: the size
  // the list would like.
  virtual void GetPreferredListSize(TSize& ASize) = 0;
  virtual void MoveSelection(TcxLookupMove ADirection, bool ACircular) = 0;
  virtual void CreateList(TWinControl* AParent) = 0;
  virtual bool HasNoItems() = 0;
  virtual bool IsPointInList(const TPoint& AScreenPoint) = 0;
  // Completes a typed prefix: AText becomes the item's own letters, ATail
  // the rest of the item.
  virtual bool FindPrefix(String& AText, String& ATail, bool AFromCurrent) = 0;
  virtual void PlaceList(const TRect& R) = 0;
  virtual void ItemsChanged() = 0;
  // The list's highlighted item becomes the current key.
  virtual void ChooseListItem() = 0;
  virtual void WriteCurrentKey(const Variant& AKey) = 0;
  // The list follows the editor's text.
  virtual void EditTextChanged() = 0;

  // The drop-down editors' names for the same operations.
  bool FitsListSize(TSize& ASize, Integer AMaxHeight, Integer AMaxWidth) {
    return AllowsPopupResize(ASize, AMaxHeight, AMaxWidth);
  }
  void RepositionOnKey() { SyncListToKey(); }
  void ReleaseLookup() { ReleaseVisualArea(); }
  void PrepareLookup() { BeforePopup(); }
  void HintTypedText(const String& AText) { AfterPopupShown(AText); }
  bool HasText(const String& AText) { return ContainsText(AText); }
  TWinControl* ListControl() { return GetListControl(); }
  Variant CurrentKey() { return ReadCurrentKey(); }
  void KeyText(const Variant& AKey, String& AText) { KeyToText(AKey, AText); }
  void PreferredListSize(TSize& ASize) { GetPreferredListSize(ASize); }
  bool NoItems() { return HasNoItems(); }
  bool MouseOverList(const TPoint& AScreenPoint) { return IsPointInList(AScreenPoint); }
  bool FindText(String& AText, String& ATail) { return FindPrefix(AText, ATail, false); }
  void SyncListItems() { ItemsChanged(); }
  void TakeListItem() { ChooseListItem(); }
  void ChangeKey(const Variant& AKey) { WriteCurrentKey(AKey); }
  void FollowText() { EditTextChanged(); }
};

// The lookup of a text editor over its properties' LookupItems: the key is
// an item index (-1 none). The list box is made on demand by the kinds that
// show one (combo boxes); this class has none.
class TcxCustomTextEditLookupData : public TcxInterfacedPersistent, public IcxTextEditLookupData {
  TOVANI_CLASS(TcxCustomTextEditLookupData, TcxInterfacedPersistent)
 public:
  explicit TcxCustomTextEditLookupData(TcxCustomTextEdit* AOwner);
  ~TcxCustomTextEditLookupData() override;

  TcxCustomTextEdit* Edit() const { return FEdit; }
  Integer CurrentKeyIndex() const { return FCurrentKey; }
  Integer ListItemIndex() const { return FListIndex; }
  TcxCustomEditListBox* List() const { return FList; }
  virtual TStrings* Items();
  virtual Integer ItemCount();
  virtual String ItemText(Integer AIndex);
  // The exact or prefix search of the editor's text (see FindPrefix).
  virtual bool SearchItems(String& AText, String& ATail, bool AFromCurrent, bool AExact);
  // The first item equal to the text ignoring case; -1 when none.
  virtual Integer FindItem(const String& AText);

  bool AllowsPopupResize(TSize& ASize, Integer AMaxHeight, Integer AMaxWidth) override { return true; }
  void SyncListToKey() override;
  void ReleaseVisualArea() override {}
  void BeforePopup() override {}
  void AfterPopupShown(const String&) override {}
  bool ContainsText(const String& AText) override { return FindItem(AText) != -1; }
  TWinControl* GetListControl() override;
  Variant ReadCurrentKey() override { return Variant(Integer(FCurrentKey)); }
  void KeyToText(const Variant& AKey, String& AText) override;
  TNotifyEvent GetKeyChangedHandler() override { return FOnKeyChanged; }
  void SetKeyChangedHandler(const TNotifyEvent& Value) override { FOnKeyChanged = Value; }
  TNotifyEvent GetItemChosenHandler() override { return FOnItemChosen; }
  void SetItemChosenHandler(const TNotifyEvent& Value) override { FOnItemChosen = Value; }
  void GetPreferredListSize(TSize& ASize) override { ASize = TSize{0, 0}; }
  void MoveSelection(TcxLookupMove ADirection, bool ACircular) override;
  void CreateList(TWinControl* AParent) override;
  bool HasNoItems() override { return ItemCount() == 0; }
  bool IsPointInList(const TPoint& AScreenPoint) override;
  bool FindPrefix(String& AText, String& ATail, bool AFromCurrent) override {
    return SearchItems(AText, ATail, AFromCurrent, false);
  }
  void PlaceList(const TRect& R) override;
  void ItemsChanged() override;
  void ChooseListItem() override;
  void WriteCurrentKey(const Variant& AKey) override;
  void EditTextChanged() override;

 protected:
  // The list box of the kind (null: no list).
  virtual TcxCustomEditListBox* CreateListBox() { return nullptr; }
  // Called once the list exists.
  virtual void AfterListCreated() {}
  void SetCurrentKeyIndex(Integer AIndex);
  void ListIndexChanged(TObject* Sender);
  void FireItemChosen();
  bool ListVisible();

 private:
  TcxCustomTextEdit* FEdit;
  Integer FCurrentKey = -1;
  Integer FListIndex = -1;
  TcxCustomEditListBox* FList = nullptr;
  TNotifyEvent FOnKeyChanged, FOnItemChosen;
};

// The list a text editor's lookup shows (combo boxes): hot-tracking,
// borderless, its rows the lookup's items, painted by the editor kind.
class TcxCustomEditListBox : public TcxCustomInnerListBox {
  TOVANI_CLASS(TcxCustomEditListBox, TcxCustomInnerListBox)
 public:
  explicit TcxCustomEditListBox(TComponent* AOwner = nullptr);
  TcxCustomTextEdit* Edit() const { return FEdit; }
  bool HotTrack() const { return FHotTrack; }
  void SetHotTrack(bool Value) { FHotTrack = Value; }
  // Sets the item index, updates the scroll bars and fires OnSelChange.
  virtual void SetItemIndex(Integer Value);
  // Adds empty rows or deletes from the end.
  void SetItemCount(Integer ACount);
  void SetScrollWidth(Integer AWidth);
  Integer ScrollWidth();

  // Slots the list kinds answer.
  virtual bool DoDrawItem(Integer AIndex, const TRect& R, TItemDrawState AState) { return false; }
  virtual String GetItemText(Integer AIndex);
  virtual void RecreateStyle() {}
  virtual Integer GetHeight(Integer ARowCount);
  // -1: the general item height.
  virtual Integer GetItemHeight(Integer AIndex = -1);
  virtual Integer GetItemWidth(Integer AIndex);
  // After the list is made and configured by the lookup.
  virtual void AfterCreated() {}

  TNotifyEvent OnSelChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DrawItem(Integer Index, TRect Rect, TItemDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Click() override;
  bool IsDrawItemDefault() override;
  void Dispatch(TMessage& Message) override;

 private:
  TcxCustomTextEdit* FEdit;
  bool FHotTrack = true;
};

// ---------------------------------------------------------------------------
// The text editor

// A text editor hears of changes of the locale's formats from the format
// controller for as long as it lives, and shows its value anew.
class TcxCustomTextEdit : public TcxCustomEdit, public IcxLocaleFormatListener {
  TOVANI_CLASS(TcxCustomTextEdit, TcxCustomEdit)
 public:
  explicit TcxCustomTextEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr,
                             const TcxContainerStyleFactory& AStyleFactory = nullptr);
  ~TcxCustomTextEdit() override;

  TcxCustomTextEditProperties* Properties() const {
    return static_cast<TcxCustomTextEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomTextEditProperties* ActiveProperties() {
    return static_cast<TcxCustomTextEditProperties*>(GetEffectiveProperties());
  }
  TcxCustomTextEditProperties* GetOwnProperties() const { return Properties(); }
  TcxCustomTextEditProperties* GetTextProperties() { return ActiveProperties(); }
  TcxCustomInnerTextEdit* InnerTextEdit() const { return FInnerEdit; }
  TcxCustomInnerTextEdit* QueryInnerTextEdit() const { return FInnerEdit; }
  // The lookup (null for kinds without one).
  TcxCustomTextEditLookupData* LookupData() const { return FLookupData.get(); }
  IcxTextEditLookupData* QueryLookupData() const { return FLookupData.get(); }
  TcxCustomTextEditViewInfo* GetViewInfo() const {
    return static_cast<TcxCustomTextEditViewInfo*>(TcxCustomEdit::GetViewInfo());
  }

  // Enter reaches the inner Windows edit (which beeps) when on; a
  // stand-alone editor drops it when off. Kept by the editor's own
  // properties.
  bool BeepOnEnter() const { return Properties()->BeepOnEnter(); }
  void SetBeepOnEnter(bool Value) { Properties()->SetBeepOnEnter(Value); }

  // The text shown (what the user typed while editing).
  String Text();
  void SetText(const String& Value);
  // Selection in whole characters; 0 (and no effect) where no caret is shown.
  Integer SelStart();
  void SetSelStart(Integer Value);
  Integer SelLength();
  void SetSelLength(Integer Value);
  void SelectRange(Integer AStart, Integer ALength);
  String SelText();
  virtual void SetSelText(const String& Value);
  void ClearSelection();
  virtual void DeleteSelection();
  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void SelectAll() override;
  // The character index at the caret (which end of a selection it is on).
  Integer GetCaretCharIndex();

  // The lookup's current item (-1 none).
  Integer ItemIndex() { return GetItemIndex(); }
  void SetItemIndexValue(Integer Value) { SetItemIndex(Value); }
  virtual Integer GetItemIndex();
  virtual void SetItemIndex(Integer Index);
  virtual TObject* GetSelectedItemObject();
  // The shown text is a typed prefix and a highlighted completion.
  bool LookupSelection() const { return FLookupSelection; }
  void SetLookupSelection(bool Value);
  bool LookupKeyChanged() const { return FLookupKeyChanged; }
  bool IsTyping() const { return FUserAction; }
  // The lookup's key is being moved by keyboard navigation of its list.
  bool IsNavigatingLookup() const { return FNavigating; }

  void GetDisplayText(String& AText) override { AText = Text(); }
  void GetEditingValue(Variant& AValue) override { AValue = Variant(Text()); }
  void SetDisplayValueFromData(const Variant& AValue) override;
  void UpdateDrawValue() override;
  void SynchronizeEditValue() override;
  void PrepareEditText() override;
  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  bool HasReadOnlyText() override;
  Integer GetTextBaseLine() override;
  bool HasTextBaseLine() override { return true; }
  TcxCustomEditData* Activate(TcxCustomEditData*& AEditData) override;

  // Called by the inner edit.
  void InnerKeyDown(Word& Key, TShiftState Shift) { DoInnerKeyDown(Key, Shift); }
  bool InnerUsesInplaceLook() { return UsesInplaceLook(); }
  bool InnerRequestEditing() { return DataBinding()->IsEditing() || RequestEditing(); }
  void InnerClick() { Click(); }
  void InnerDblClick() { DblClick(); }
  void InnerCharHandled(bool AEditorHandled, bool ATextLeftAlone);
  void InnerPendingDone();

  // Lookup operations.
  virtual bool AllowsLookupNavigation(Integer ASource) { return false; }
  virtual void HandleLookupKeyChanged(TObject* Sender);
  virtual void GetLookupText(String& AText) { GetDisplayText(AText); }
  virtual bool SetLookupText(const String& AText) { return CanAcceptText(AText); }
  virtual void ItemIndexAsLookupKey(Integer AIndex, Variant& AKey) { AKey = Variant(AIndex); }
  virtual void LookupKeyAsEditValue(const Variant& AKey, Variant& AEditValue);
  virtual Integer LookupKeyAsItemIndex(const Variant& AKey);
  virtual bool IsStandaloneUnbound();
  virtual void ResetLookupSelection();
  virtual void NotifyNewLookupDisplayText(const String& AText);
  virtual void ChangeText(const String& AText);
  virtual bool CanInsertText(const String& AText, String& ANewText, Integer& ANewCaret);
  virtual void ValidateListText();
  virtual void ReloadDisplayValue();
  void LocaleFormatChanged() override { HandleFormatChanged(); }
  virtual void HandleFormatChanged();
  virtual void UpdateInnerEditAppearance();
  virtual void CheckValueRange();
  virtual void EnforceValueRange() {}
  virtual Integer GetInnerTextHeight();
  virtual void InnerSelectionChanged(TObject* Sender) {}
  virtual void InnerUndoDone() {}
  // Hooks of multi-line kinds: the window style of the inner edit, and
  // whether a tab character is typed into it.
  virtual void AdjustInnerEditParams(TCreateParams& Params) {}
  virtual bool InnerAcceptsTab() { return false; }
  // Whether Enter is typed into the inner edit (a line break) rather than
  // dropped in place or without BeepOnEnter.
  virtual bool InnerAcceptsReturn() { return false; }
  // Multi-line kinds take some messages of the inner edit themselves
  // (True: handled), running its own handling through PerformOwn.
  virtual bool InnerEditMessage(TMessage& Message) { return false; }
  // A key down went through the inner edit's own handling (AState: the
  // text and selection before it). A key that changed the text in place
  // (Delete) is heard of afterwards.
  virtual void InnerKeyDownDone(Word AKey, const TcxCustomInnerTextEditPrevState& AState, bool AEditorHandled);
  // The inner edit has made its window.
  virtual void InnerEditWindowCreated() {}
  // The editor itself is setting the inner edit's text.
  bool InternalTextSetting() const { return FInternalTextSetting; }

 protected:
  void DoSetDisplayValue(const Variant& AValue) override;
  void SetDisplayValueLocked(const Variant& AValue) override;
  using TcxCustomEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  bool IsEditorKey(Word Key, TShiftState Shift) override;
  bool IsEditorChar(char32_t AChar) override;
  bool IsCharValidForData(char32_t AChar) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char32_t& Key) override;
  bool CanAcceptText(const String& AText) override;
  bool SupportsEditing() override;
  void InnerEditChange(TObject* Sender) override;
  void GetEditSizeProperties(TcxEditSizeProperties& AProperties) override;
  void GetInnerControlClip(const TRect& ABounds, TWinControl* AControl, TcxContainerInnerControlClip& AClip) override;
  bool UpdateState(TPoint MousePos, Integer AButton, TShiftState Shift, bool AIsMouseEvent) override;
  void PlaceInnerEdit() override;
  // Arrows, Home and End move the caret in the inner edit.
  bool HandlesNavigationKeys() override { return true; }
  void KeyPress(char32_t& Key) override;
  void DoExit() override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void Dispatch(TMessage& Message) override;
  // Moves the lookup by a key or the wheel; a changed key is the user's
  // change (posted at once with ImmediatePost).
  bool NavigateLookup(TcxLookupMove ADirection);
  // Sets a flag that hides the text cursor's own painting of the text:
  // 1 forces the view info to paint it, 2 forces the inner edit to.
  Integer FEditShowingTextOverride = 0;
  bool FLookupSelectionLocked = false;
  // Puts the clip of the inner edit in step with who paints the text.
  void UpdateInnerClip();
  // Writes text the editor sets into the inner edit.
  virtual void WriteInnerText(const String& AText);

 private:
  friend class TcxCustomTextEditLookupData;
  // Sets the shown text without it counting as typing.
  void SetInternalText(const String& AText);
  void ApplyPropertiesToInner();
  TAlignment InnerEditAlignment();
  void InnerChange();
  void SearchPrefix(String APrefix, bool ASetSelection = true);
  void ApplyFixedListSelection(TcxCustomTextEditViewInfo* AViewInfo);
  TcxCustomInnerTextEdit* FInnerEdit = nullptr;
  std::unique_ptr<TcxCustomTextEditLookupData> FLookupData;
  bool FInternalTextSetting = false;
  bool FLookupSelection = false;
  bool FLookupKeyChanged = false;
  bool FDrawValue = false;
  bool FNavigating = false;
  bool FPlacing = false;
  bool FTextMessage = false;
  Integer FCompletionLength = 0;
  String FLastText;
};

class TcxTextEdit : public TcxCustomTextEdit {
  TOVANI_CLASS(TcxTextEdit, TcxCustomTextEdit)
 public:
  explicit TcxTextEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxTextEditProperties* Properties() const {
    return static_cast<TcxTextEditProperties*>(TcxCustomTextEdit::Properties());
  }
  void SetProperties(TcxTextEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxTextEditProperties::StaticClass(); }
};

// The filter row's text editor set-up.
class TcxFilterTextEditHelper : public TcxCustomFilterEditHelper {
  TOVANI_CLASS(TcxFilterTextEditHelper, TcxCustomFilterEditHelper)
 public:
  TClass GetFilterEditorClass() const override { return TcxTextEdit::StaticClass(); }
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASourceProperties,
                            bool AKeepButtons) const override;
  void WriteFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties,
                        const Variant& AValue) const override;
};

// ---------------------------------------------------------------------------
// Text routines

// Registers the text editor with the editor and filter registries (once).
void cxTextEditUnitStartup();

String cxApplyCharCase(const String& AText, TEditCharCase ACharCase);
// Inserts the locale's thousand separators into a number text (blanks and
// an exponent are kept as they are).
void cxInsertThousandSeparators(String& AText);
// Cuts the exponent ("E..." to the end) off the text.
void cxSplitExponent(String& AText, String& AExponent);
void cxRemoveThousandSeparators(String& AText);
bool cxIsNumberText(const String& AText);
// Reformats the text of a numeric editor while it is typed in, keeping the
// caret after the same digits.
void cxReformatNumberText(TcxCustomTextEdit* AEdit);
// An edit value as the properties show it (a value they do not accept: its
// plain text).
void cxTextEditValueToText(TcxCustomTextEditProperties* AProperties, const Variant& AEditValue, bool AEditFocused,
                           String& AResult);
// The text rectangle's insets of a text editor's view.
void cxGetEditTextRect(TcxCustomTextEditViewData* AViewData, TRect& AInsets);
// The content size of a text for auto size and measuring.
void cxCalcTextEditContentSize(TcxCanvas* ACanvas, TcxCustomTextEditViewData* AViewData, const String& AText,
                               TSize& ASize, Cardinal AFlags, const TcxEditSizeProperties& AEditSizeProperties,
                               Integer ARowCount, bool AAddOffsets);

// Counts characters of a UTF-8 text against positions of the UTF-16 text the
// edit window keeps.
Integer cxTextCharsToUtf16(const String& AText, Integer AChars);
Integer cxTextUtf16ToChars(const String& AText, Integer AUnits);
