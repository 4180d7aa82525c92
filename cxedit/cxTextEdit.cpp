#include "cxTextEdit.h"

#include "SysUtils.h"
#include "Utf8.h"

namespace {
// Sets a flag for the scope and restores it, also when an exception passes.
struct TTextFlagGuard {
  bool& F;
  bool Old;
  TTextFlagGuard(bool& AF, bool AValue) : F(AF), Old(AF) { F = AValue; }
  ~TTextFlagGuard() { F = Old; }
};
}  // namespace

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomTextEditProperties, TcxCustomEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomInnerTextEdit, TCustomEdit)
TOVANI_IMPLEMENT_CLASS(TcxCustomTextEdit, TcxCustomEdit)
TOVANI_IMPLEMENT_CLASS(TcxTextEdit, TcxCustomTextEdit)

// ---------------------------------------------------------------------------
// Character counting

Integer cxTextCharsToUtf16(const String& AText, Integer AChars) {
  Integer units = 0;
  size_t pos = 0;
  for (Integer i = 0; i < AChars && pos < AText.size(); ++i) units += Utf8Decode(AText, pos) > 0xFFFF ? 2 : 1;
  return units;
}

Integer cxTextUtf16ToChars(const String& AText, Integer AUnits) {
  Integer units = 0, chars = 0;
  size_t pos = 0;
  while (units < AUnits && pos < AText.size()) {
    units += Utf8Decode(AText, pos) > 0xFFFF ? 2 : 1;
    ++chars;
  }
  return chars;
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomTextEditProperties::TcxCustomTextEditProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {}

void TcxCustomTextEditProperties::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxCustomTextEditProperties*>(Source)) {
    BeginUpdate();
    try {
      TcxCustomEditProperties::Assign(Source);
      SetBeepOnEnter(s->FBeepOnEnter);
      SetCharCase(s->FCharCase);
      SetEchoMode(s->FEchoMode);
      SetMaxLength(s->FMaxLength);
      SetPasswordChar(s->FPasswordChar);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return;
  }
  TcxCustomEditProperties::Assign(Source);
}

void TcxCustomTextEditProperties::SetBeepOnEnter(bool Value) { Store(FBeepOnEnter, Value); }
void TcxCustomTextEditProperties::SetCharCase(TEditCharCase Value) { Store(FCharCase, Value); }
void TcxCustomTextEditProperties::SetEchoMode(TcxEditEchoMode Value) { Store(FEchoMode, Value); }
void TcxCustomTextEditProperties::SetMaxLength(Integer Value) { Store(FMaxLength, Value < 0 ? 0 : Value); }
void TcxCustomTextEditProperties::SetPasswordChar(char32_t Value) { Store(FPasswordChar, Value); }

// ---------------------------------------------------------------------------
// Inner edit state before a key

void cxSaveInnerEditState(TcxCustomInnerTextEdit* AEdit, TcxCustomInnerTextEditPrevState& AState, bool ASaveText) {
  AState.IsPrevTextSaved = ASaveText;
  if (ASaveText) AState.PrevText = AEdit->Text();
  if (AEdit->HandleAllocated()) {
    AState.PrevSelStart = AEdit->CharSelStart();
    AState.PrevSelLength = AEdit->CharSelLength();
  }
}

bool cxInnerEditKeyLeftTextAlone(TcxCustomInnerTextEdit* AEdit, const TcxCustomInnerTextEditPrevState& AState) {
  if (!AEdit->HandleAllocated()) return true;
  if (AEdit->CharSelStart() != AState.PrevSelStart || AEdit->CharSelLength() != AState.PrevSelLength) return true;
  return AState.IsPrevTextSaved && SameText(AState.PrevText, AEdit->Text());
}

// ---------------------------------------------------------------------------
// The inner edit

TcxCustomInnerTextEdit::TcxCustomInnerTextEdit(TComponent* AOwner)
    : TCustomEdit(AOwner), FContainer(dynamic_cast<TcxCustomTextEdit*>(AOwner)) {
  FCreating = true;
  SetBorderStyle(bsNone);
  SetControlStyle(ControlStyle() + csDoubleClicks);
  SetParentColor(true);
  SetParentFont(false);
  RefreshEchoChar();
  FCreating = false;
}

TcxCustomInnerTextEdit::~TcxCustomInnerTextEdit() = default;

TcxContainer* TcxCustomInnerTextEdit::GetControlContainer() { return FContainer; }

void TcxCustomInnerTextEdit::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TcxCustomInnerTextEdit::SetEchoMode(TcxEditEchoMode Value) {
  if (FEchoMode == Value) return;
  FEchoMode = Value;
  RefreshEchoChar();
}

void TcxCustomInnerTextEdit::SetEchoChar(char32_t Value) {
  if (FEchoChar == Value) return;
  FEchoChar = Value;
  if (FEchoMode == eemPassword) RefreshEchoChar();
}

void TcxCustomInnerTextEdit::RefreshEchoChar() {
  SetPasswordChar(FEchoMode == eemPassword ? (FEchoChar ? FEchoChar : U'*') : 0);
}

Integer TcxCustomInnerTextEdit::CharSelStart() {
  if (!HandleAllocated()) return 0;
  if (FPendingCount > 0) return FSavedSelStart;
  return cxTextUtf16ToChars(Text(), SelStart());
}

void TcxCustomInnerTextEdit::SetCharSelStart(Integer Value) {
  if (!HandleAllocated()) return;
  if (FPendingCount > 0) {
    FSavedSelStart = Value;
    return;
  }
  SetSelStart(cxTextCharsToUtf16(Text(), std::max<Integer>(Value, 0)));
}

Integer TcxCustomInnerTextEdit::CharSelLength() {
  if (!HandleAllocated()) return 0;
  if (FPendingCount > 0) return FSavedSelLength;
  String t = Text();
  Integer s = SelStart();
  return cxTextUtf16ToChars(t, s + SelLength()) - cxTextUtf16ToChars(t, s);
}

void TcxCustomInnerTextEdit::SetCharSelLength(Integer Value) {
  if (!HandleAllocated()) return;
  if (FPendingCount > 0) {
    FSavedSelLength = Value;
    return;
  }
  String t = Text();
  Integer startChars = cxTextUtf16ToChars(t, SelStart());
  Integer s = cxTextCharsToUtf16(t, startChars);
  Integer e = cxTextCharsToUtf16(t, startChars + std::max<Integer>(Value, 0));
  SendMessageW(Handle(), EM_SETSEL, WPARAM(s), LPARAM(e));
}

void TcxCustomInnerTextEdit::LockBounds(bool ALock) {
  if (ALock)
    ++FBoundsLock;
  else if (FBoundsLock > 0)
    --FBoundsLock;
}

LRESULT TcxCustomInnerTextEdit::CallDefWndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  TCustomEdit::DefaultHandler(m);
  return m.Result;
}

bool TcxCustomInnerTextEdit::CanFocus() { return FContainer ? FContainer->CanFocus() : TCustomEdit::CanFocus(); }

void TcxCustomInnerTextEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (FCreating || FBoundsLock > 0) return;
  TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TcxCustomInnerTextEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style &= ~DWORD(ES_LEFT | ES_RIGHT | ES_CENTER | WS_BORDER | WS_DLGFRAME | WS_THICKFRAME);
  Params.Style |= FAlignment == taRightJustify ? ES_RIGHT : FAlignment == taCenter ? ES_CENTER : ES_LEFT;
  Params.Style |= ES_AUTOHSCROLL;
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
}

void TcxCustomInnerTextEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  SetTextMargins();
}

void TcxCustomInnerTextEdit::SetTextMargins() {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(0, 1));
}

// Every key handler clears the editor-handled flag first and sets it when
// the editor took the key; a key still there gets the edit's own handling.
void TcxCustomInnerTextEdit::KeyDown(Word& Key, TShiftState Shift) {
  FEditorHandledKey = false;
  if (FContainer) FContainer->InnerKeyDown(Key, Shift);
  if (Key == 0)
    FEditorHandledKey = true;
  else
    TCustomEdit::KeyDown(Key, Shift);
}

void TcxCustomInnerTextEdit::KeyPress(char32_t& Key) {
  FEditorHandledKey = false;
  // A tab character is never typed into a single-line editor.
  if (Key == U'\t') Key = 0;
  if (FContainer && Key != 0) {
    FContainer->DoInnerKeyPress(Key);
    if ((Key == U'\r' || Key == 27) &&
        (FContainer->IsInplace() || (Key == U'\r' && !FContainer->ActiveProperties()->BeepOnEnter())))
      Key = 0;
  }
  if (Key == 0)
    FEditorHandledKey = true;
  else
    TCustomEdit::KeyPress(Key);
}

void TcxCustomInnerTextEdit::KeyUp(Word& Key, TShiftState Shift) {
  FEditorHandledKey = false;
  if (Key == VK_TAB) Key = 0;
  if (FContainer && Key != 0) FContainer->DoInnerKeyUp(Key, Shift);
  if (Key == 0)
    FEditorHandledKey = true;
  else
    TCustomEdit::KeyUp(Key, Shift);
}

void TcxCustomInnerTextEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomEdit::MouseDown(Button, Shift, X, Y);
  if (!FContainer) return;
  FContainer->SetInnerControlMouseDown(true);
  try {
    FContainer->DoInnerMouseDown(Button, Shift, X + Left(), Y + Top());
  } catch (...) {
    FContainer->SetInnerControlMouseDown(false);
    throw;
  }
  FContainer->SetInnerControlMouseDown(false);
}

void TcxCustomInnerTextEdit::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomEdit::MouseMove(Shift, X, Y);
  if (FContainer) FContainer->DoInnerMouseMove(Shift, X + Left(), Y + Top());
}

void TcxCustomInnerTextEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomEdit::MouseUp(Button, Shift, X, Y);
  if (FContainer) FContainer->DoInnerMouseUp(Button, Shift, X + Left(), Y + Top());
}

void TcxCustomInnerTextEdit::Click() {
  TCustomEdit::Click();
  if (FContainer) FContainer->InnerClick();
}

void TcxCustomInnerTextEdit::DblClick() {
  TCustomEdit::DblClick();
  if (FContainer) FContainer->InnerDblClick();
}

void TcxCustomInnerTextEdit::DefaultHandler(TMessage& Message) {
  if (FContainer && FContainer->InnerControlDefaultHandler(Message)) return;
  TCustomEdit::DefaultHandler(Message);
}

void TcxCustomInnerTextEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE: {
      TCustomEdit::Dispatch(Message);
      Message.Result |= DLGC_WANTCHARS;
      if (FContainer) {
        if (FContainer->InnerUsesInplaceLook() && GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
        if (FContainer->IsInplace() || FContainer->HasPopupWindow()) Message.Result |= DLGC_WANTALLKEYS;
      }
      return;
    }
    case WM_KEYDOWN: {
      TcxCustomInnerTextEditPrevState state;
      SaveState(state);
      FEditorHandledKey = false;
      TCustomEdit::Dispatch(Message);
      // The edit's own processing changed the text in place (Delete): the
      // editor hears of the key afterwards.
      if (FContainer && !FEditorHandledKey && HandleAllocated() && !KeyLeftTextAlone(state)) {
        Word key = Word(Message.WParam);
        FContainer->InnerAfterKeyDown(key, KeyboardStateToShiftState());
      }
      return;
    }
    case WM_CHAR:
      FEditorHandledKey = false;
      TCustomEdit::Dispatch(Message);
      if (FPendingCount > 0) --FPendingCount;
      return;
    case WM_IME_CHAR:
      if (HandleAllocated()) {
        FSavedSelStart = CharSelStart();
        FSavedSelLength = CharSelLength();
      }
      if (Message.WParam > 0xFF) {
        FPendingCount = 2;
        FPendingByte = char(Message.WParam & 0xFF);
      } else {
        FPendingCount = 1;
      }
      TCustomEdit::Dispatch(Message);
      return;
    case WM_IME_COMPOSITION:
      if (FContainer && !FContainer->InnerRequestEditing()) return;
      break;
    case WM_NCPAINT:
      Message.Result = 0;
      return;
    case WM_CUT:
      if (FContainer && !FClipboardByOwner) {
        TTextFlagGuard g(FClipboardByOwner, true);
        if (ReadOnly())
          FContainer->CopyToClipboard();
        else
          FContainer->CutToClipboard();
        return;
      }
      break;
    case WM_PASTE:
    case WM_CLEAR:
      if (ReadOnly()) return;
      if (FContainer && !FClipboardByOwner) {
        TTextFlagGuard g(FClipboardByOwner, true);
        if (Message.Msg == WM_PASTE)
          FContainer->PasteFromClipboard();
        else
          FContainer->ClearSelection();
        return;
      }
      break;
    case EM_SETSEL:
      TCustomEdit::Dispatch(Message);
      cxCallNotifyEvent(this, OnSelChange);
      return;
  }
  TCustomEdit::Dispatch(Message);
}

void TcxCustomInnerTextEdit::SaveState(TcxCustomInnerTextEditPrevState& AState) { cxSaveInnerEditState(this, AState, true); }

bool TcxCustomInnerTextEdit::KeyLeftTextAlone(const TcxCustomInnerTextEditPrevState& AState) {
  return cxInnerEditKeyLeftTextAlone(this, AState);
}

// ---------------------------------------------------------------------------
// The text editor

TcxCustomTextEdit::TcxCustomTextEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomEdit(AOwner, AIsInplace,
                    AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                      return new TcxCustomTextEditProperties(O);
                    }) {
  FInnerEditClassExists = true;
  FInnerEdit = new TcxCustomInnerTextEdit(this);
  FInnerEdit->OnChange = [this](TObject*) { InnerChange(); };
  FInnerEdit->SetParent(this);
  SetInnerControl(FInnerEdit);
  InitializeInnerEdit();
  // The inner edit asks for Tab itself where it wants it.
  if (AIsInplace) SetWantedKeys(TcxWantedKeys{wkAllKeys, wkArrows});
  ApplyPropertiesToInner();
}

TcxCustomTextEdit::~TcxCustomTextEdit() = default;

void TcxCustomTextEdit::ApplyPropertiesToInner() {
  if (!FInnerEdit) return;
  TcxCustomTextEditProperties* p = ActiveProperties();
  FInnerEdit->SetCharCase(p->CharCase());
  FInnerEdit->SetEchoChar(p->PasswordChar());
  FInnerEdit->SetEchoMode(p->EchoMode());
  FInnerEdit->SetMaxLength(p->MaxLength());
}

void TcxCustomTextEdit::PropertiesChanged(TObject* Sender) {
  TcxCustomEdit::PropertiesChanged(Sender);
  if (!InnerEditNotReady()) ApplyPropertiesToInner();
}

String TcxCustomTextEdit::Text() { return FInnerEdit ? FInnerEdit->Text() : String(); }

void TcxCustomTextEdit::SetText(const String& Value) {
  Variant v(Value);
  Variant e;
  DisplayToEditValue(v, e, false);
  SetEditValue(e);
}

void TcxCustomTextEdit::SetInternalText(const String& AText) {
  if (!FInnerEdit || FInnerEdit->Text() == AText) return;
  TTextFlagGuard g(FInternalTextSetting, true);
  FInnerEdit->SetText(AText);
}

void TcxCustomTextEdit::InnerChange() {
  if (FInternalTextSetting) return;
  InnerEditChange(this);
}

void TcxCustomTextEdit::SetDisplayValueFromData(const Variant& AValue) { SetInternalText(VarToStrDef(AValue, "")); }

void TcxCustomTextEdit::UpdateDrawValue() {
  Variant d;
  PrepareDisplayValue(EditValue(), d, Focused());
  SetInternalText(VarToStrDef(d, ""));
  Invalidate();
}

void TcxCustomTextEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  AEditValue = Variant(VarToStrDef(ADisplayValue, ""));
}

void TcxCustomTextEdit::DoSetDisplayValue(const Variant& AValue) {
  SetInternalText(VarToStrDef(AValue, ""));
  Variant e;
  DisplayToEditValue(AValue, e, true);
  InternalSetEditValue(e, false);
}

bool TcxCustomTextEdit::IsEditorKey(Word Key, TShiftState Shift) { return Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift)); }

bool TcxCustomTextEdit::IsEditorChar(char32_t AChar) { return AChar >= 32 || AChar == 8 || AChar == 22 || AChar == 24; }

void TcxCustomTextEdit::DoEditKeyPress(char32_t& Key) {
  // The character itself is typed by the inner edit.
  CheckEditChar(Key);
}

Integer TcxCustomTextEdit::SelStart() { return FInnerEdit ? FInnerEdit->CharSelStart() : 0; }
void TcxCustomTextEdit::SetSelStart(Integer Value) {
  if (FInnerEdit) FInnerEdit->SetCharSelStart(Value);
}
Integer TcxCustomTextEdit::SelLength() { return FInnerEdit ? FInnerEdit->CharSelLength() : 0; }
void TcxCustomTextEdit::SetSelLength(Integer Value) {
  if (FInnerEdit) FInnerEdit->SetCharSelLength(Value);
}

String TcxCustomTextEdit::SelText() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated()) return {};
  String t = Text();
  size_t from = Utf8CharOffset(t, size_t(SelStart()));
  size_t to = Utf8CharOffset(t, size_t(SelStart() + SelLength()));
  return t.substr(from, to - from);
}

void TcxCustomTextEdit::SetSelText(const String& Value) {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated()) return;
  FInnerEdit->SetSelText(Value);
}

void TcxCustomTextEdit::ClearSelection() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated() || IsReadOnlyNow() || !InnerRequestEditing()) return;
  FInnerEdit->CallDefWndProc(WM_CLEAR, 0, 0);
}

void TcxCustomTextEdit::CopyToClipboard() {
  if (FInnerEdit && FInnerEdit->HandleAllocated()) FInnerEdit->CallDefWndProc(WM_COPY, 0, 0);
}

void TcxCustomTextEdit::CutToClipboard() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated()) return;
  if (IsReadOnlyNow() || !InnerRequestEditing()) {
    CopyToClipboard();
    return;
  }
  FInnerEdit->CallDefWndProc(WM_CUT, 0, 0);
}

void TcxCustomTextEdit::PasteFromClipboard() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated() || IsReadOnlyNow() || !InnerRequestEditing()) return;
  FInnerEdit->CallDefWndProc(WM_PASTE, 0, 0);
}

void TcxCustomTextEdit::SelectAll() {
  if (FInnerEdit && FInnerEdit->HandleAllocated()) FInnerEdit->SelectAll();
}
