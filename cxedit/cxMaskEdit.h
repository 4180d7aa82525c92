// The masked editor: the text editor with an input mask. The properties
// hold the mask (standard edit mask or regular expression) and format
// values without an editor; the editor routes keys, mouse, clipboard and
// value changes through one mode object chosen by the mask kind. A blank
// mask (empty or only white space) makes it a plain text editor.
#pragma once
#include <functional>
#include <memory>

#include "cxFilterControlUtils.h"
#include "cxMaskEditModes.h"
#include "cxTextEdit.h"

class TcxCustomMaskEdit;

using TcxEditMask = String;
TOVANI_ENUM_INFO(TcxEditMaskKind)

// Makes a mode object for an editor (AEdit) or, without one, for a
// properties object alone.
using TcxMaskEditModeFactory =
    std::function<TcxMaskEditCustomMode*(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties)>;

// The text "The edit value is invalid".
String cxMaskEditInvalidValueText();

// ---------------------------------------------------------------------------
// Properties

class TcxCustomMaskEditProperties : public TcxCustomTextEditProperties, public IcxMaskEditProperties {
  TOVANI_CLASS(TcxCustomMaskEditProperties, TcxCustomTextEditProperties)
 public:
  explicit TcxCustomMaskEditProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomMaskEditProperties() override;
  void Assign(TPersistent* Source) override;
  void Changed() override;

  // What the modes read.
  bool BeepOnError() const override { return TcxCustomTextEditProperties::BeepOnError(); }
  bool IgnoreMaskBlank() const override { return FIgnoreMaskBlank; }
  void SetIgnoreMaskBlank(bool Value) { FIgnoreMaskBlank = Value; }
  bool CaseInsensitive() const override { return FCaseInsensitive; }
  // Stays on while CharCase converts.
  void SetCaseInsensitive(bool Value);
  bool CharCaseIsNormal() const override { return CharCase() == ecNormal; }

  bool AlwaysShowBlanksAndLiterals() const { return FAlwaysShowBlanksAndLiterals; }
  void SetAlwaysShowBlanksAndLiterals(bool Value);
  TcxEditMaskKind MaskKind() const { return FMaskKind; }
  // Stores the kind; the mask is compiled when it is next used.
  void SetMaskKind(TcxEditMaskKind Value);
  // The mask in force: for a standard kind with a blank own mask, the bound
  // field's edit mask; else the own mask text.
  TcxEditMask GetEditMask();
  TcxEditMask EditMask() { return GetEditMask(); }
  const TcxEditMask& OwnEditMask() const { return FEditMask; }
  // Compiles the mask first: an invalid mask raises EcxMaskEditError and
  // the previous one stays.
  void SetEditMask(const TcxEditMask& Value);
  // Stores the own mask text without compiling it or a change notice (the
  // editor's kind switch).
  void SetOwnEditMaskQuiet(const TcxEditMask& Value) { FEditMask = Value; }
  bool IsMasked() { return !cxIsBlankMask(GetEditMask()); }
  // The text an empty value shows (the current mode's empty value).
  const String& EmptyMaskText() const { return FEmptyString; }
  const String& GetEmptyMaskText() const { return FEmptyString; }
  void SetEmptyMaskText(const String& Value) { FEmptyString = Value; }

  virtual TcxMaskEditModeFactory GetMaskModeClass(TcxEditMaskKind AMaskKind);
  // A mode of the current kind for AEdit (null: for these properties alone).
  std::unique_ptr<TcxMaskEditCustomMode> CreateMode(IcxMaskEditHost* AEdit);

  TClass GetContainerClass() override;
  Integer GetDisplayFormatFlags() override;
  bool CanValidate() override { return true; }
  // Masked properties have no lookup list.
  bool HasLookupData() override;
  TcxCustomEditProperties* CreateOfSameClass() override;
  bool AcceptsEditValue(Variant& AEditValue, bool AEditFocused) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  void CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError, TcxCustomEdit* AEdit) override;

 private:
  bool FAlwaysShowBlanksAndLiterals = false;
  bool FCaseInsensitive = true;
  TcxEditMask FEditMask;
  String FEmptyString;
  bool FIgnoreMaskBlank = false;
  TcxEditMaskKind FMaskKind = emkStandard;
  bool FMaxLengthSetting = false;
  bool FInChanged = false;
  std::unique_ptr<TcxMaskEditCustomMode> FTempMode;
};

class TcxMaskEditProperties : public TcxCustomMaskEditProperties {
  TOVANI_CLASS(TcxMaskEditProperties, TcxCustomMaskEditProperties)
 public:
  explicit TcxMaskEditProperties(TPersistent* AOwner = nullptr) : TcxCustomMaskEditProperties(AOwner) {}
};

// ---------------------------------------------------------------------------
// The editor

class TcxCustomMaskEdit : public TcxCustomTextEdit {
  TOVANI_CLASS(TcxCustomMaskEdit, TcxCustomTextEdit)
 public:
  explicit TcxCustomMaskEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                             const TcxEditPropertiesFactory& AProperties = nullptr);
  ~TcxCustomMaskEdit() override;

  TcxCustomMaskEditProperties* Properties() const {
    return static_cast<TcxCustomMaskEditProperties*>(TcxCustomEdit::Properties());
  }
  TcxCustomMaskEditProperties* ActiveProperties() {
    return static_cast<TcxCustomMaskEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomMaskEditProperties::StaticClass(); }

  // The mode object and what it sees of this editor.
  TcxMaskEditCustomMode* Mode() const { return FMode.get(); }
  IcxMaskEditHost* MaskHost() const { return FHost.get(); }
  // A mask is set.
  bool IsMasked();
  // The shown text without blanks (kept current on every change).
  const String& BlankFreeText() const { return FBlankFreeText; }
  bool ShiftHeld() const { return FShiftHeld; }

  // Clipboard and selection.
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  // A masked standard editor overwrites as many positions as Value has.
  void SetSelText(const String& Value) override;

  // Value and text.
  void UpdateDrawValue() override;
  void DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void InnerEditChange(TObject* Sender) override;
  void DblClick() override;
  // A masked in-place editor activated by a key does not show the inner
  // edit's intermediate states while the key is laid through the mask.
  void ActivateByKey(char32_t AKey, TcxCustomEditData*& AEditData) override;

  // Sends a key or a character to the inner edit with the mask handling
  // bypassed (the plain edit-control effect).
  void SendKeyDown(Word Key);
  void SendChar(char32_t Ch);

  // Descendants: the text is laid through the mask.
  virtual bool UseMaskForText() { return true; }
  // A descendant may refuse a character typed at a 1-based position, or
  // turn it into #0 (refused with a beep).
  virtual bool AcceptsMaskInput(char32_t& Ch, Integer Position) { return true; }
  // Takes the control's text as the new display value.
  virtual void ApplyControlText();

 protected:
  using TcxCustomTextEdit::PropertiesChanged;
  void PropertiesChanged(TObject* Sender) override;
  void DoSetDisplayValue(const Variant& AValue) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(char32_t& Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void DoEnter() override;
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void InnerSelectionChanged(TObject* Sender) override;
  void InnerUndoDone() override;
  // Replaces the mode by one of the current kind (descendants with modes
  // of their own override GetMaskModeClass of their properties).
  void RecreateMode();
  virtual void ReapplyText(const String& AText);

 private:
  friend class TcxMaskEditHost;
  void SetSelStartGuarded(Integer Value);
  void SetSelLengthGuarded(Integer Value);
  Integer CaretIndex();
  void SetTextByMode(const String& AText);
  void UpdateBlankFreeText();

  bool FSelectionGuard = false;
  std::unique_ptr<TcxMaskEditCustomMode> FMode;
  std::unique_ptr<IcxMaskEditHost> FHost;
  bool FKeyGuard = false;
  bool FShiftHeld = false;
  String FBlankFreeText;
  // Set while the mode works for a key, a paste or a cut: the texts it puts
  // into the control are the user's typing.
  Integer FUserTyping = 0;
  TEditCharCase FModeCharCase = ecNormal;
  TcxEditEchoMode FModeEchoMode = eemNormal;
};

class TcxMaskEdit : public TcxCustomMaskEdit {
  TOVANI_CLASS(TcxMaskEdit, TcxCustomMaskEdit)
 public:
  explicit TcxMaskEdit(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TcxMaskEditProperties* Properties() const {
    return static_cast<TcxMaskEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxMaskEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxMaskEditProperties::StaticClass(); }
};

// ---------------------------------------------------------------------------
// Filter helper

class TcxFilterMaskEditHelper : public TcxCustomFilterEditHelper {
  TOVANI_CLASS(TcxFilterMaskEditHelper, TcxCustomFilterEditHelper)
 public:
  TClass GetFilterEditorClass() const override;
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties* AProperties, TcxValueTypeClass AValueTypeClass,
                                             bool AExtended) const override;
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASourceProperties,
                            bool AKeepButtons) const override;
};
