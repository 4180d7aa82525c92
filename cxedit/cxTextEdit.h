// The text editor: a styled editor whose typing happens in a borderless
// Windows edit control laid over its client area. Keys, selection,
// clipboard and IME go through that window as Windows delivers them; the
// editor sees every key first (through the inner edit) and may take it.
// Selection positions and lengths are counted in whole characters of the
// UTF-8 text, whatever the window counts internally.
#pragma once
#include "StdCtrls.h"
#include "cxEdit.h"

class TcxCustomTextEdit;

enum TcxEditEchoMode { eemNormal, eemPassword };

// ---------------------------------------------------------------------------
// Properties

class TcxCustomTextEditProperties : public TcxCustomEditProperties {
  TOVANI_CLASS(TcxCustomTextEditProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomTextEditProperties(TPersistent* AOwner = nullptr);
  void Assign(TPersistent* Source) override;
  // A data-bound text editor shows and writes the field's text.
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override { return evsText; }

  // Enter reaches the Windows edit (which beeps) when on; dropped when off.
  bool BeepOnEnter() const { return FBeepOnEnter; }
  void SetBeepOnEnter(bool Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  TcxEditEchoMode EchoMode() const { return FEchoMode; }
  void SetEchoMode(TcxEditEchoMode Value);
  // In characters; 0 is unlimited.
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value);
  char32_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char32_t Value);

 private:
  template <class T>
  void Store(T& AField, const T& AValue) {
    if (AField == AValue) return;
    AField = AValue;
    Changed();
  }
  bool FBeepOnEnter = true;
  TEditCharCase FCharCase = ecNormal;
  TcxEditEchoMode FEchoMode = eemNormal;
  Integer FMaxLength = 0;
  char32_t FPasswordChar = 0;
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

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TcxEditEchoMode EchoMode() const { return FEchoMode; }
  void SetEchoMode(TcxEditEchoMode Value);
  // The echo character while echoing; "*" when none is set.
  char32_t EchoChar() const { return FEchoChar; }
  void SetEchoChar(char32_t Value);
  // The last key came back handled (taken) by the editor.
  bool EditorHandledKey() const { return FEditorHandledKey; }
  bool InnerIsMultiLine() const { return false; }
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
  bool CanFocus() override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TNotifyEvent OnSelChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
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
  void SaveState(TcxCustomInnerTextEditPrevState& AState);
  bool KeyLeftTextAlone(const TcxCustomInnerTextEditPrevState& AState);
  TcxCustomTextEdit* FContainer;
  TAlignment FAlignment = taLeftJustify;
  TcxEditEchoMode FEchoMode = eemNormal;
  char32_t FEchoChar = 0;
  Integer FPendingCount = 0;
  char FPendingByte = 0;
  Integer FSavedSelStart = 0, FSavedSelLength = 0;
  bool FEditorHandledKey = false;
  bool FCreating = false;
  Integer FBoundsLock = 0;
  bool FClipboardByOwner = false;
};

// Saves the state of the inner edit before a key (with the text or not).
void cxSaveInnerEditState(TcxCustomInnerTextEdit* AEdit, TcxCustomInnerTextEditPrevState& AState, bool ASaveText);
// True without a window, when the selection moved, or when the saved text
// equals the current one ignoring case; False when the text was not saved or
// changed with the selection in place.
bool cxInnerEditKeyLeftTextAlone(TcxCustomInnerTextEdit* AEdit, const TcxCustomInnerTextEditPrevState& AState);

// ---------------------------------------------------------------------------
// The text editor

class TcxCustomTextEdit : public TcxCustomEdit {
  TOVANI_CLASS(TcxCustomTextEdit, TcxCustomEdit)
 public:
  explicit TcxCustomTextEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomTextEdit() override;

  TcxCustomTextEditProperties* Properties() const {
    return static_cast<TcxCustomTextEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomTextEditProperties* ActiveProperties() {
    return static_cast<TcxCustomTextEditProperties*>(GetEffectiveProperties());
  }
  TcxCustomInnerTextEdit* InnerTextEdit() const { return FInnerEdit; }

  // The text shown (what the user typed while editing).
  String Text();
  void SetText(const String& Value);
  // Selection in whole characters.
  Integer SelStart();
  void SetSelStart(Integer Value);
  Integer SelLength();
  void SetSelLength(Integer Value);
  String SelText();
  void SetSelText(const String& Value);
  void ClearSelection();
  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  void SelectAll() override;

  void GetDisplayText(String& AText) override { AText = Text(); }
  void SetDisplayValueFromData(const Variant& AValue) override;
  void UpdateDrawValue() override;
  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;

  // Called by the inner edit.
  void InnerKeyDown(Word& Key, TShiftState Shift) { DoInnerKeyDown(Key, Shift); }
  void InnerAfterKeyDown(Word& Key, TShiftState Shift) { NotifyAfterKeyDown(Key, Shift); }
  bool InnerUsesInplaceLook() { return UsesInplaceLook(); }
  bool InnerRequestEditing() { return DataBinding()->IsEditing() || RequestEditing(); }
  void InnerClick() { Click(); }
  void InnerDblClick() { DblClick(); }

 protected:
  void DoSetDisplayValue(const Variant& AValue) override;
  using TcxCustomEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  bool IsEditorKey(Word Key, TShiftState Shift) override;
  bool IsEditorChar(char32_t AChar) override;
  void DoEditKeyPress(char32_t& Key) override;
  bool HasReadOnlyText() override { return true; }
  // Arrows, Home and End move the caret in the inner edit.
  bool HandlesNavigationKeys() override { return true; }

 private:
  // Sets the shown text without it counting as typing.
  void SetInternalText(const String& AText);
  void ApplyPropertiesToInner();
  void InnerChange();
  TcxCustomInnerTextEdit* FInnerEdit = nullptr;
  bool FInternalTextSetting = false;
};

class TcxTextEdit : public TcxCustomTextEdit {
  TOVANI_CLASS(TcxTextEdit, TcxCustomTextEdit)
 public:
  explicit TcxTextEdit(TComponent* AOwner = nullptr, bool AIsInplace = false) : TcxCustomTextEdit(AOwner, AIsInplace) {}
};

// Counts characters of a UTF-8 text against positions of the UTF-16 text the
// edit window keeps.
Integer cxTextCharsToUtf16(const String& AText, Integer AChars);
Integer cxTextUtf16ToChars(const String& AText, Integer AUnits);
