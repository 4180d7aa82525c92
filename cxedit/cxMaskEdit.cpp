#include "cxMaskEdit.h"

#include <windows.h>

#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxEditMaskKind, "emkStandard", "emkRegExpr", "emkRegExprEx")
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomMaskEditProperties, TcxCustomTextEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxMaskEditProperties, TcxCustomMaskEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomMaskEdit, TcxCustomTextEdit)
TOVANI_IMPLEMENT_CLASS_EX(TcxMaskEdit, TcxCustomMaskEdit, []() -> TObject* { return new TcxMaskEdit(); })
TOVANI_IMPLEMENT_CLASS(TcxFilterMaskEditHelper, TcxCustomFilterEditHelper)

namespace {
const TcxResourceString cxSMaskEditInvalidEditValue{"The edit value is invalid"};

const TcxFilterMaskEditHelper GMaskHelper;
const bool GMaskHelperRegistered =
    (cxRegisterFilterEditHelper(TcxFilterMaskEditHelper::StaticClass(), &GMaskHelper), true);

struct TMaskFlagGuard {
  bool& F;
  bool Old;
  TMaskFlagGuard(bool& AF, bool AValue) : F(AF), Old(AF) { F = AValue; }
  ~TMaskFlagGuard() { F = Old; }
};

struct TMaskCountGuard {
  Integer& C;
  explicit TMaskCountGuard(Integer& AC) : C(AC) { ++C; }
  ~TMaskCountGuard() { --C; }
};

String ClipboardText() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(nullptr)) return {};
  String s;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const char16_t*>(GlobalLock(h))) {
      s = Utf16ToUtf8(std::u16string(p));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return s;
}

bool ClipboardHasText() { return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT); }
}  // namespace

String cxMaskEditInvalidValueText() { return cxLoadResourceText(cxSMaskEditInvalidEditValue); }

// ---------------------------------------------------------------------------
// What a mode sees of its editor

class TcxMaskEditHost : public IcxMaskEditHost {
 public:
  explicit TcxMaskEditHost(TcxCustomMaskEdit* AEdit) : E(AEdit) {}
  IcxMaskEditProperties& ActiveMaskProperties() override { return *E->ActiveProperties(); }
  bool HasInnerEdit() const override { return E->InnerTextEdit() && E->InnerTextEdit()->HandleAllocated(); }
  Integer SelStart() const override { return E->TcxCustomTextEdit::SelStart(); }
  Integer SelLength() const override { return E->TcxCustomTextEdit::SelLength(); }
  void SetSelStart(Integer Value) override { E->TcxCustomTextEdit::SetSelStart(Value); }
  void SetSelLength(Integer Value) override { E->TcxCustomTextEdit::SetSelLength(Value); }
  void SetSelStartGuarded(Integer Value) override { E->SetSelStartGuarded(Value); }
  void SetSelLengthGuarded(Integer Value) override { E->SetSelLengthGuarded(Value); }
  Integer CaretPos() const override { return E->CaretIndex(); }
  String Text() const override { return E->Text(); }
  bool ShiftHeld() const override { return E->FShiftHeld; }
  void SetShiftHeld(bool Value) override { E->FShiftHeld = Value; }
  bool IsModified() const override { return E->Modified(); }
  String PrepareDisplayValue() override {
    Variant d;
    E->TcxCustomEdit::PrepareDisplayValue(E->EditValue(), d, E->Focused());
    return VarToStrDef(d, "");
  }
  void SetDisplayValueFromData(const String& Text) override { E->SetTextByMode(Text); }
  void SetEditValueQuiet(const String& Value) override { E->SetEditValueQuiet(Variant(Value)); }
  String GetDisplayValue() override {
    Variant v;
    E->DataBinding()->GetDisplayValue(v);
    return VarToStrDef(v, "");
  }
  void AssignDisplayValue(const String& Text) override { E->SetTextByMode(Text); }
  void SendKeyDown(Word Key) override { E->SendKeyDown(Key); }
  void SendChar(char32_t Ch) override { E->SendChar(Ch); }
  bool AcceptsMaskInput(char32_t& Ch, Integer Position) override { return E->AcceptsMaskInput(Ch, Position); }
  void Beep() override { MessageBeep(0); }

 private:
  TcxCustomMaskEdit* E;
};

// ---------------------------------------------------------------------------
// Properties

TcxCustomMaskEditProperties::TcxCustomMaskEditProperties(TPersistent* AOwner) : TcxCustomTextEditProperties(AOwner) {
  FMaskKind = emkStandard;
  FAlwaysShowBlanksAndLiterals = false;
  SetValidateOnEnter(true);
  FCaseInsensitive = true;
}

TcxCustomMaskEditProperties::~TcxCustomMaskEditProperties() = default;

void TcxCustomMaskEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomMaskEditProperties*>(Source);
  if (!s) {
    TcxCustomTextEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomTextEditProperties::Assign(Source);
    SetMaskKind(s->MaskKind());
    SetEditMask(s->GetEditMask());
    SetCaseInsensitive(s->CaseInsensitive());
    SetIgnoreMaskBlank(s->IgnoreMaskBlank());
    SetAlwaysShowBlanksAndLiterals(s->AlwaysShowBlanksAndLiterals());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomMaskEditProperties::Changed() {
  if (FInChanged) return TcxCustomTextEditProperties::Changed();
  TMaskFlagGuard g(FInChanged, true);
  FTempMode.reset();
  // A case conversion makes the mask's letters case-insensitive.
  if (CharCase() != ecNormal) FCaseInsensitive = true;
  // A masked editor has no maximum length of its own.
  if (MaxLength() != 0 && IsMasked() && !FMaxLengthSetting) {
    TMaskFlagGuard m(FMaxLengthSetting, true);
    BeginUpdate();
    SetMaxLength(0);
    EndUpdate(false);
  }
  TcxCustomTextEditProperties::Changed();
}

void TcxCustomMaskEditProperties::SetCaseInsensitive(bool Value) {
  FCaseInsensitive = CharCase() != ecNormal ? true : Value;
  Changed();
}

void TcxCustomMaskEditProperties::SetAlwaysShowBlanksAndLiterals(bool Value) {
  if (FAlwaysShowBlanksAndLiterals == Value) return;
  FAlwaysShowBlanksAndLiterals = Value;
  Changed();
}

void TcxCustomMaskEditProperties::SetMaskKind(TcxEditMaskKind Value) {
  if (FMaskKind == Value) return;
  FMaskKind = Value;
  Changed();
}

TcxEditMask TcxCustomMaskEditProperties::GetEditMask() {
  if (FMaskKind == emkStandard && cxIsBlankMask(FEditMask)) {
    IcxEditDefaultValuesProvider* p = DefaultValuesProvider();
    return p ? p->DefaultEditMask() : String();
  }
  return FEditMask;
}

void TcxCustomMaskEditProperties::SetEditMask(const TcxEditMask& Value) {
  if (Value == GetEditMask()) {
    FEditMask = Value;
    return;
  }
  // Compiled first: an invalid mask raises and nothing is stored.
  std::unique_ptr<TcxMaskEditCustomMode> m = CreateMode(nullptr);
  m->CompileMask(Value);
  m.reset();
  FEditMask = Value;
  Changed();
}

TcxMaskEditModeFactory TcxCustomMaskEditProperties::GetMaskModeClass(TcxEditMaskKind AMaskKind) {
  return [AMaskKind](IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties) {
    return cxCreateMaskEditMode(AMaskKind, AEdit, AProperties).release();
  };
}

std::unique_ptr<TcxMaskEditCustomMode> TcxCustomMaskEditProperties::CreateMode(IcxMaskEditHost* AEdit) {
  return std::unique_ptr<TcxMaskEditCustomMode>(GetMaskModeClass(FMaskKind)(AEdit, this));
}

TClass TcxCustomMaskEditProperties::GetContainerClass() { return TcxMaskEdit::StaticClass(); }

bool TcxCustomMaskEditProperties::HasLookupData() {
  return !IsMasked() && TcxCustomTextEditProperties::HasLookupData();
}

TcxCustomEditProperties* TcxCustomMaskEditProperties::CreateOfSameClass() {
  if (ClassType()->Factory) return static_cast<TcxCustomEditProperties*>(ClassType()->Factory());
  return new TcxCustomMaskEditProperties(nullptr);
}

Integer TcxCustomMaskEditProperties::GetDisplayFormatFlags() { return IsMasked() ? 0 : 1; }

bool TcxCustomMaskEditProperties::AcceptsEditValue(Variant& AEditValue, bool AEditFocused) {
  return IsMasked() ? true : TcxCustomTextEditProperties::AcceptsEditValue(AEditValue, AEditFocused);
}

void TcxCustomMaskEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                      bool AEditFocused) {
  IcxEditDefaultValuesProvider* provider = DefaultValuesProvider();
  if (!IsMasked() || (!AEditFocused && provider && provider->HasDisplayFormat(false))) {
    TcxCustomTextEditProperties::PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
    return;
  }
  String s = VarToStrDef(AEditValue, "");
  String mask = GetEditMask();
  // The temporary mode is kept while kind and mask stay the same.
  if (!FTempMode || FTempMode->GetKind() != FMaskKind || FTempMode->EditMask() != mask) {
    FTempMode = CreateMode(nullptr);
    FTempMode->CompileMask(mask);
  }
  if (AEditFocused || FMaskKind != emkStandard || FAlwaysShowBlanksAndLiterals)
    ADisplayValue = Variant(FTempMode->FormatMaskedText(s, false));
  else
    ADisplayValue = Variant(FTempMode->GetTextWithoutBlanks(s, false));
}

void TcxCustomMaskEditProperties::CheckDisplayValue(Variant& ADisplayValue, String& AErrorText, bool& AError,
                                                    TcxCustomEdit* AEdit) {
  if (!AError && IsMasked()) {
    String text = VarToStrDef(ADisplayValue, "");
    bool valid;
    auto* edit = dynamic_cast<TcxCustomMaskEdit*>(AEdit);
    if (edit && edit->Mode()) {
      valid = edit->Mode()->IsTextValid(text);
    } else {
      std::unique_ptr<TcxMaskEditCustomMode> m = CreateMode(nullptr);
      m->CompileMask(GetEditMask());
      valid = m->IsTextValid(text);
    }
    if (!valid) {
      AError = true;
      AErrorText = cxMaskEditInvalidValueText();
    }
  }
  TcxCustomTextEditProperties::CheckDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

TOVANI_PUBLISHED(TcxCustomMaskEditProperties) {
  Property("AlwaysShowBlanksAndLiterals", &TcxCustomMaskEditProperties::AlwaysShowBlanksAndLiterals,
           &TcxCustomMaskEditProperties::SetAlwaysShowBlanksAndLiterals)
      .Default(false);
  Property("CaseInsensitive", &TcxCustomMaskEditProperties::CaseInsensitive,
           &TcxCustomMaskEditProperties::SetCaseInsensitive)
      .Default(true);
  Property("IgnoreMaskBlank", &TcxCustomMaskEditProperties::IgnoreMaskBlank,
           &TcxCustomMaskEditProperties::SetIgnoreMaskBlank)
      .Default(false);
  Property("MaskKind", &TcxCustomMaskEditProperties::MaskKind, &TcxCustomMaskEditProperties::SetMaskKind)
      .Default(emkStandard);
  Property<String>(
      "EditMask", [](TcxCustomMaskEditProperties* P) { return P->OwnEditMask(); },
      [](TcxCustomMaskEditProperties* P, const String& V) { P->SetEditMask(V); });
}

// ---------------------------------------------------------------------------
// The editor

TcxCustomMaskEdit::TcxCustomMaskEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomTextEdit(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomMaskEditProperties(O);
                        }) {
  FHost = std::make_unique<TcxMaskEditHost>(this);
  FShiftHeld = false;
  RecreateMode();
  ActiveProperties()->SetEmptyMaskText(FMode->EmptyEditValue());
}

TcxCustomMaskEdit::~TcxCustomMaskEdit() { FMode.reset(); }

void TcxCustomMaskEdit::RecreateMode() {
  FMode.reset();
  FMode = ActiveProperties()->CreateMode(FHost.get());
}

bool TcxCustomMaskEdit::IsMasked() { return FMode && !cxIsBlankMask(FMode->EditMask()); }

void TcxCustomMaskEdit::UpdateBlankFreeText() {
  FBlankFreeText = IsMasked() ? FMode->GetTextWithoutBlanks(Text(), true) : Text();
}

void TcxCustomMaskEdit::PropertiesChanged(TObject* Sender) {
  if (!FMode || InnerEditNotReady()) {
    TcxCustomTextEdit::PropertiesChanged(Sender);
    return;
  }
  TcxCustomMaskEditProperties* p = ActiveProperties();
  p->LockChanges(true);
  bool kindChanged = false, maskChanged = false, caseChanged = false, echoChanged = false;
  Integer savedSelStart = 0, savedSelLength = 0;
  try {
    String mask = p->GetEditMask();
    // The standard mask takes the separators when it is compiled, so a
    // change of the system formats compiles it again.
    maskChanged = FMode->EditMask() != mask || p->FormatChanging();
    kindChanged = FMode->GetKind() != p->MaskKind();
    caseChanged = p->CharCase() != FModeCharCase;
    bool restore = false;
    if (kindChanged) {
      TcxEditMaskKind old = FMode->GetKind();
      RecreateMode();
      // A mask of one syntax is no mask of the other.
      if ((old == emkStandard) != (p->MaskKind() == emkStandard)) {
        p->SetOwnEditMaskQuiet("");
        restore = true;
      }
      FMode->CompileMask(p->GetEditMask());
      if (IsMasked()) FMode->SyncDisplayFromValue();
      p->SetEmptyMaskText(FMode->EmptyEditValue());
    }
    if (maskChanged) {
      if (p->MaxLength() != 0) p->SetMaxLength(0);
      FMode->CompileMask(mask);
      // A mask changed together with the kind survives.
      if (restore) p->SetOwnEditMaskQuiet(mask);
      if (IsMasked()) {
        FMode->SyncDisplayFromValue();
      } else if (FMode->GetKind() == emkStandard && InnerTextEdit()->HandleAllocated() && SelLength() == 1) {
        Integer start = SelStart();
        SetSelLengthGuarded(0);
        SetSelStartGuarded(start);
      }
      p->SetEmptyMaskText(FMode->EmptyEditValue());
    }
    if (caseChanged) {
      if (p->CharCase() == ecNormal) {
        InnerTextEdit()->SetCharCase(ecNormal);
        FMode->SyncDisplayFromValue();
      }
      FModeCharCase = p->CharCase();
    }
    echoChanged = p->EchoMode() != FModeEchoMode;
    if (echoChanged && InnerTextEdit()->HandleAllocated()) {
      savedSelStart = SelStart();
      savedSelLength = SelLength();
    }
    if (IsMasked() && !EditValue().IsNull()) FMode->ApplyPendingEditValue();
  } catch (...) {
    p->LockChanges(false);
    throw;
  }
  p->LockChanges(false);
  if (auto* re = dynamic_cast<TcxMaskEditRegExprMode*>(FMode.get())) re->UpdateCaseInsensitivity();
  TcxCustomTextEdit::PropertiesChanged(Sender);
  if (echoChanged) {
    if (InnerTextEdit()->HandleAllocated()) {
      SetSelStartGuarded(savedSelStart);
      SetSelLengthGuarded(savedSelLength);
    }
    FModeEchoMode = p->EchoMode();
  }
  // An unfocused editor shows its value by the new settings.
  if (!Focused() && !Modified() && !kindChanged && !maskChanged) DataBinding()->UpdateDisplayValue();
  if (kindChanged || caseChanged || maskChanged) UpdateBlankFreeText();
}

void TcxCustomMaskEdit::SetTextByMode(const String& AText) {
  if (FUserTyping > 0 && InnerTextEdit()) {
    // Typing: the change reaches the editor as the user's.
    if (Text() != AText) InnerTextEdit()->SetText(AText);
    return;
  }
  TcxCustomTextEdit::SetDisplayValueFromData(Variant(AText));
  UpdateBlankFreeText();
}

void TcxCustomMaskEdit::DoSetDisplayValue(const Variant& AValue) {
  if (!IsMasked() || ComponentState().Contains(csLoading)) {
    TcxCustomTextEdit::DoSetDisplayValue(AValue);
    return;
  }
  String s = VarToStrDef(AValue, "");
  TcxCustomMaskEditProperties* p = ActiveProperties();
  if (Focused() || FMode->GetKind() != emkStandard || p->AlwaysShowBlanksAndLiterals())
    TcxCustomTextEdit::DoSetDisplayValue(Variant(FMode->FormatMaskedText(s, true)));
  else
    TcxCustomTextEdit::DoSetDisplayValue(Variant(FMode->GetTextWithoutBlanks(s, true)));
  ReapplyText(Text());
}

void TcxCustomMaskEdit::ReapplyText(const String& AText) {
  if (IsMasked() && UseMaskForText()) FMode->AssignText(AText);
  UpdateBlankFreeText();
}

void TcxCustomMaskEdit::UpdateDrawValue() {
  TcxCustomTextEdit::UpdateDrawValue();
  ReapplyText(Text());
}

void TcxCustomMaskEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) {
  if (!IsMasked()) {
    TcxCustomTextEdit::DisplayToEditValue(ADisplayValue, AEditValue, AEditFocused);
    return;
  }
  String s = VarToStrDef(ADisplayValue, "");
  if (AEditFocused || FMode->GetKind() != emkStandard) {
    AEditValue = Variant(FMode->GetTextWithoutBlanks(s, true));
    return;
  }
  auto* standard = static_cast<TcxMaskEditStandardMode*>(FMode.get());
  if (standard->Mask().SaveLiterals() || !ActiveProperties()->AlwaysShowBlanksAndLiterals())
    TcxCustomTextEdit::DisplayToEditValue(ADisplayValue, AEditValue, AEditFocused);
  else
    AEditValue = Variant(FMode->GetTextWithoutBlanks(s, true));
}

void TcxCustomMaskEdit::InnerEditChange(TObject* Sender) {
  UpdateBlankFreeText();
  TcxCustomTextEdit::InnerEditChange(Sender);
}

void TcxCustomMaskEdit::ApplyControlText() {
  Variant v(Text());
  DoSetDisplayValue(v);
}

void TcxCustomMaskEdit::Loaded() {
  TcxCustomTextEdit::Loaded();
  if (IsMasked()) {
    HoldChangeEvents(true, false);
    try {
      ApplyControlText();
    } catch (...) {
      HoldChangeEvents(false, false);
      throw;
    }
    HoldChangeEvents(false, false);
  }
}

// Keys ------------------------------------------------------------------------------

void TcxCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
  if (FKeyGuard) return;
  TcxCustomTextEdit::KeyDown(Key, Shift);
}

void TcxCustomMaskEdit::KeyPress(char32_t& Key) {
  if (FKeyGuard) return;
  TcxCustomTextEdit::KeyPress(Key);
}

void TcxCustomMaskEdit::KeyUp(Word& Key, TShiftState Shift) {
  if (FKeyGuard) return;
  TcxCustomTextEdit::KeyUp(Key, Shift);
}

void TcxCustomMaskEdit::SendKeyDown(Word Key) {
  if (!InnerTextEdit() || !InnerTextEdit()->HandleAllocated()) return;
  TMaskFlagGuard g(FKeyGuard, true);
  SendMessageW(InnerTextEdit()->Handle(), WM_KEYDOWN, Key, 0);
}

void TcxCustomMaskEdit::SendChar(char32_t Ch) {
  if (!InnerTextEdit() || !InnerTextEdit()->HandleAllocated()) return;
  TMaskFlagGuard g(FKeyGuard, true);
  HWND h = InnerTextEdit()->Handle();
  if (Ch > 0xFFFF) {
    std::u16string w = Utf8ToUtf16(Utf8Encode(Ch));
    for (char16_t u : w) SendMessageW(h, WM_CHAR, u, 0);
  } else {
    SendMessageW(h, WM_CHAR, WPARAM(Ch), 0);
  }
}

void TcxCustomMaskEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (!IsMasked() || IsClearOrClickKey(Key, Shift)) {
    TcxCustomTextEdit::DoEditKeyDown(Key, Shift);
    return;
  }
  if (!AcceptsEditKey(Key, Shift)) {
    NotifyAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  if (Key == VK_TAB) {
    TcxCustomTextEdit::DoEditKeyDown(Key, Shift);
    return;
  }
  FShiftHeld = Shift.Contains(ssShift);
  TMaskCountGuard typing(FUserTyping);
  bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_UP:
    case VK_DOWN:
      if (!HasPopupWindow()) {
        NotifyAfterKeyDown(Key, Shift);
        Key = 0;
      }
      break;
    case VK_LEFT:
      if (ctrl) {
        SendKeyDown(VK_HOME);
        if (!FMode->PressHome()) Key = 0;
      } else {
        bool atStart = FMode->IsCaretAtStart();
        if (!FMode->PressLeft()) {
          if (atStart) NotifyAfterKeyDown(Key, Shift);
          Key = 0;
        }
      }
      break;
    case VK_RIGHT:
      if (ctrl) {
        SendKeyDown(VK_END);
        if (!FMode->PressEnd()) Key = 0;
      } else {
        bool atEnd = FMode->IsCaretAtEnd();
        if (!FMode->PressRight()) {
          if (atEnd) NotifyAfterKeyDown(Key, Shift);
          Key = 0;
        }
      }
      break;
    case VK_DELETE:
      if (Shift.Contains(ssShift)) {
        // Shift+Delete cuts a selection (through the mask) and is Backspace
        // without one.
        if (SelLength() > 0) {
          CutToClipboard();
          Key = 0;
        } else if (!FMode->PressBackspace()) {
          Key = 0;
        }
      } else if (!FMode->PressDelete()) {
        Key = 0;
      }
      break;
    case VK_HOME:
      if (!FMode->PressHome()) Key = 0;
      break;
    case VK_END:
      if (!FMode->PressEnd()) Key = 0;
      break;
  }
  if (Key != 0) TcxCustomTextEdit::DoEditKeyDown(Key, Shift);
}

void TcxCustomMaskEdit::DoEditKeyPress(char32_t& Key) {
  if (!IsMasked()) {
    TcxCustomTextEdit::DoEditKeyPress(Key);
    return;
  }
  if (Key == U'\t' || Key == 27 || !CheckEditChar(Key)) {
    Key = 0;
    return;
  }
  if (Key == U'\r' || Key == 3 || Key == 22 || Key == 24) {
    TcxCustomTextEdit::DoEditKeyPress(Key);
    return;
  }
  TMaskCountGuard typing(FUserTyping);
  bool pass = Key == 8 ? FMode->PressBackspace() : FMode->PressChar(Key);
  if (!pass) Key = 0;
}

// Selection and mouse --------------------------------------------------------------

void TcxCustomMaskEdit::InnerSelectionChanged(TObject*) {
  if (!FSelectionGuard && IsMasked()) FMode->SelectionChanged();
}

void TcxCustomMaskEdit::SetSelStartGuarded(Integer Value) {
  TMaskFlagGuard g(FSelectionGuard, true);
  TcxCustomTextEdit::SetSelStart(Value);
}

void TcxCustomMaskEdit::SetSelLengthGuarded(Integer Value) {
  TMaskFlagGuard g(FSelectionGuard, true);
  TcxCustomTextEdit::SetSelLength(Value);
}

// The end of the selection the caret stands on: the edit window keeps the
// caret at one end; its position tells which.
Integer TcxCustomMaskEdit::CaretIndex() {
  Integer start = SelStart(), length = SelLength();
  if (length == 0 || !InnerTextEdit()->HandleAllocated()) return start;
  HWND h = InnerTextEdit()->Handle();
  POINT caret;
  if (GetFocus() != h || !GetCaretPos(&caret)) return start + length;
  String t = Text();
  auto xAt = [&](Integer chars) -> Integer {
    Integer units = cxTextCharsToUtf16(t, chars);
    LRESULT r = SendMessageW(h, EM_POSFROMCHAR, WPARAM(units), 0);
    if (r == -1) {
      // Past the last character: the right edge of the last one.
      if (units == 0) return 0;
      r = SendMessageW(h, EM_POSFROMCHAR, WPARAM(units - 1), 0);
      return short(LOWORD(r)) + 1;
    }
    return short(LOWORD(r));
  };
  Integer xs = xAt(start), xe = xAt(start + length);
  return std::abs(caret.x - xs) <= std::abs(caret.x - xe) ? start : start + length;
}

void TcxCustomMaskEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (IsMasked() && Button == mbLeft) FMode->SelectionChanged();
  TcxCustomTextEdit::MouseDown(Button, Shift, X, Y);
}

void TcxCustomMaskEdit::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (IsMasked() && Shift.Contains(ssLeft)) {
    bool old = FShiftHeld;
    FShiftHeld = true;
    FMode->SelectionChanged();
    FShiftHeld = old;
  }
  TcxCustomTextEdit::MouseMove(Shift, X, Y);
}

void TcxCustomMaskEdit::DblClick() {
  if (IsMasked()) FMode->PrepareSelectAll();
  TcxCustomTextEdit::DblClick();
}

void TcxCustomMaskEdit::ActivateByKey(char32_t AKey, TcxCustomEditData*& AEditData) {
  HWND inner = InnerTextEdit() && InnerTextEdit()->HandleAllocated() ? InnerTextEdit()->Handle() : nullptr;
  if (!IsMasked() || !inner) {
    TcxCustomTextEdit::ActivateByKey(AKey, AEditData);
    return;
  }
  SendMessageW(inner, WM_SETREDRAW, FALSE, 0);
  try {
    TcxCustomTextEdit::ActivateByKey(AKey, AEditData);
  } catch (...) {
    SendMessageW(inner, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(inner, nullptr, TRUE);
    throw;
  }
  SendMessageW(inner, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(inner, nullptr, TRUE);
}

void TcxCustomMaskEdit::DoEnter() {
  if (IsMasked() && ActiveProperties()->AutoSelect()) FMode->PrepareSelectAll();
  TcxCustomTextEdit::DoEnter();
}

// Clipboard ----------------------------------------------------------------------

void TcxCustomMaskEdit::CutToClipboard() {
  if (!IsMasked()) {
    TcxCustomTextEdit::CutToClipboard();
    return;
  }
  if (Focused() && !RequestEditing()) return;
  CopyToClipboard();
  TMaskCountGuard typing(FUserTyping);
  if (FMode->PressDelete()) SendChar(8);
}

void TcxCustomMaskEdit::PasteFromClipboard() {
  if (!IsMasked()) {
    TcxCustomTextEdit::PasteFromClipboard();
    return;
  }
  if (!ClipboardHasText() || IsReadOnlyNow() || !InnerRequestEditing()) return;
  String s = ClipboardText();
  TMaskCountGuard typing(FUserTyping);
  FMode->SetClipboardTextLength(cxCharCount(s));
  FMode->PreparePaste();
  SetSelText(s);
}

void TcxCustomMaskEdit::SetSelText(const String& Value) {
  if (!IsMasked()) {
    TcxCustomTextEdit::SetSelText(Value);
    return;
  }
  TMaskCountGuard typing(FUserTyping);
  FMode->SetClipboardTextLength(cxCharCount(Value));
  FMode->PreparePaste();
  TcxCustomTextEdit::SetSelText(Value);
  FMode->FinishPaste();
  // The text changed outside the mode's key steps: it reads it again.
  if (FMode->GetKind() != emkStandard) FMode->SelectionChanged();
}

// Messages -----------------------------------------------------------------------

void TcxCustomMaskEdit::Dispatch(TMessage& Message) {
  if (IsMasked()) {
    switch (Message.Msg) {
      case WM_GETTEXTLENGTH:
        Message.Result = LRESULT(Utf8ToUtf16(FBlankFreeText).size());
        return;
      case WM_GETTEXT: {
        std::u16string w = Utf8ToUtf16(FBlankFreeText);
        auto* buf = reinterpret_cast<char16_t*>(Message.LParam);
        size_t cap = size_t(Message.WParam);
        if (!buf || cap == 0) {
          Message.Result = 0;
          return;
        }
        size_t n = std::min(w.size(), cap - 1);
        std::copy(w.begin(), w.begin() + ptrdiff_t(n), buf);
        buf[n] = 0;
        Message.Result = LRESULT(n);
        return;
      }
      case WM_SETTEXT: {
        auto* p = reinterpret_cast<const char16_t*>(Message.LParam);
        String s = p ? Utf16ToUtf8(std::u16string(p)) : String();
        SetEditValueQuiet(Variant(s));
        SetEditValueQuiet(Variant(FBlankFreeText));
        Message.Result = 1;
        return;
      }
    }
  }
  TcxCustomTextEdit::Dispatch(Message);
}

// After the edit window undid a change, the mode reads the text again.
void TcxCustomMaskEdit::InnerUndoDone() {
  if (IsMasked()) ReapplyText(Text());
}

// ---------------------------------------------------------------------------

TcxMaskEdit::TcxMaskEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomMaskEdit(AOwner, AIsInplace,
                        [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxMaskEditProperties(O); }) {}

// ---------------------------------------------------------------------------
// Filter helper

TClass TcxFilterMaskEditHelper::GetFilterEditorClass() const { return TcxMaskEdit::StaticClass(); }

TcxFilterEditOperators TcxFilterMaskEditHelper::GetAllowedOperators(TcxCustomEditProperties* AProperties,
                                                                    TcxValueTypeClass AValueTypeClass,
                                                                    bool AExtended) const {
  TcxFilterEditOperators result = cxOrderedValueFilterOperators(AExtended);
  auto* p = dynamic_cast<TcxCustomMaskEditProperties*>(AProperties);
  bool masked = p && p->IsMasked();
  if (!masked && AValueTypeClass && AValueTypeClass->IsStringType())
    result |= cxFilterOperatorBit(7) | cxFilterOperatorBit(8);
  return result;
}

void TcxFilterMaskEditHelper::InitFilterProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* ASourceProperties,
                                                   bool AKeepButtons) const {
  TcxCustomFilterEditHelper::InitFilterProperties(AProperties, ASourceProperties, AKeepButtons);
  auto* p = dynamic_cast<TcxCustomMaskEditProperties*>(AProperties);
  if (!p) return;
  auto* source = dynamic_cast<TcxCustomMaskEditProperties*>(ASourceProperties);
  // A filter value is typed free-hand: a plain expression mask completes
  // itself there.
  if (source && source->MaskKind() == emkRegExpr) p->SetMaskKind(emkRegExprEx);
  p->SetAutoSelect(!p->IsMasked());
}

TOVANI_PUBLISHED(TcxMaskEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
  Property("Properties", &TcxMaskEdit::Properties, &TcxMaskEdit::SetProperties);
}
