#include "cxTextEdit.h"

#include "DateUtils.h"
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

TOVANI_IMPLEMENT_CLASS(TcxCustomInnerTextEdit, TCustomEdit)
TOVANI_IMPLEMENT_CLASS(TcxCustomTextEdit, TcxCustomEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxTextEdit, TcxCustomTextEdit)
TOVANI_IMPLEMENT_CLASS(TcxFilterTextEditHelper, TcxCustomFilterEditHelper)

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
  // A window being made anew for an alignment keeps that alignment.
  if (FAlignmentLock) return;
  if (FContainer && FContainer->IsInplace() && FContainer->ActiveProperties()->UseLeftAlignmentOnEditing())
    Value = taLeftJustify;
  if (FAlignment == Value) return;
  FAlignment = Value;
  if (!HandleAllocated()) return;
  // The edit window takes its alignment only when it is made.
  TTextFlagGuard g(FAlignmentLock, true);
  RecreateWnd();
}

bool TcxCustomInnerTextEdit::AlignmentFollowsFocus() {
  if (!FContainer || FEditorGone || FContainer->IsDestroying()) return false;
  TcxCustomTextEditProperties* p = FContainer->ActiveProperties();
  return p->UseLeftAlignmentOnEditing() && p->Alignment()->Horz() != taLeftJustify;
}

void TcxCustomInnerTextEdit::AdjustAlignmentToFocus() {
  if (!AlignmentFollowsFocus()) return;
  SetAlignment(Focused() ? taLeftJustify : FContainer->ActiveProperties()->Alignment()->Horz());
  FContainer->UpdateStateFromCursor();
}

void TcxCustomInnerTextEdit::StartDblClickTimer() {
  FDblClickTimerRunning = true;
  FDblClickTimerStart = GetTickCount();
}

bool TcxCustomInnerTextEdit::DblClickTimerRunning() {
  if (FDblClickTimerRunning && GetTickCount() - FDblClickTimerStart >= GetDoubleClickTime())
    FDblClickTimerRunning = false;
  return FDblClickTimerRunning;
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

LRESULT TcxCustomInnerTextEdit::PerformOwn(UINT Msg, WPARAM WParam, LPARAM LParam) {
  FSkipOwnerMessage = true;
  return Perform(Msg, WParam, LParam);
}

bool TcxCustomInnerTextEdit::InnerIsMultiLine() { return FContainer && FContainer->ActiveProperties()->IsMultiLine(); }

void TcxCustomInnerTextEdit::SafelySetFocus() {
  bool autoSelect = AutoSelect();
  SetAutoSelect(false);
  try {
    SetFocus();
  } catch (...) {
    SetAutoSelect(autoSelect);
    throw;
  }
  SetAutoSelect(autoSelect);
}

// A multi-line edit selects its text on entering only when asked to: the
// single-line edit does it by itself.
void TcxCustomInnerTextEdit::DoEnter() {
  if (AutoSelect() && HandleAllocated() && (GetWindowLongW(Handle(), GWL_STYLE) & ES_MULTILINE)) SelectAll();
  TCustomEdit::DoEnter();
}

bool TcxCustomInnerTextEdit::ExecuteAction(TBasicAction* Action) {
  if (TCustomEdit::ExecuteAction(Action)) return true;
  return FContainer && !FEditorGone && FContainer->DataBinding()->ExecuteBindingAction(Action);
}

bool TcxCustomInnerTextEdit::UpdateAction(TBasicAction* Action) {
  if (TCustomEdit::UpdateAction(Action)) return true;
  return FContainer && !FEditorGone && FContainer->DataBinding()->UpdateBindingAction(Action);
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
  // Editors of another kind (the memo) adjust the window they type in.
  if (FContainer) FContainer->AdjustInnerEditParams(Params);
}

void TcxCustomInnerTextEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  SetTextMargins();
  if (FContainer && !FEditorGone) FContainer->InnerEditWindowCreated();
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
  if (Key == U'\t' && !(FContainer && FContainer->InnerAcceptsTab())) Key = 0;
  if (FContainer && Key != 0) {
    FContainer->DoInnerKeyPress(Key);
    if ((Key == U'\r' || Key == 27) && !(Key == U'\r' && FContainer->InnerAcceptsReturn()) &&
        (FContainer->IsInplace() || (Key == U'\r' && !FContainer->BeepOnEnter())))
      Key = 0;
  }
  if (Key == 0)
    FEditorHandledKey = true;
  else
    TCustomEdit::KeyPress(Key);
}

void TcxCustomInnerTextEdit::KeyUp(Word& Key, TShiftState Shift) {
  FEditorHandledKey = false;
  if (Key == VK_TAB && !(FContainer && FContainer->InnerAcceptsTab())) Key = 0;
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
  bool skipOwner = FSkipOwnerMessage;
  FSkipOwnerMessage = false;
  if (FContainer && !skipOwner && !FEditorGone && FContainer->InnerEditMessage(Message)) return;
  switch (Message.Msg) {
    case WM_GETDLGCODE: {
      TCustomEdit::Dispatch(Message);
      Message.Result |= DLGC_WANTCHARS;
      if (FContainer) {
        // Tab (without Ctrl) for in-place editors and editors that ask for it
        // (a drop-down whose open popup takes its value on Tab).
        if ((FContainer->InnerUsesInplaceLook() || FContainer->WantsTabKey()) && GetKeyState(VK_CONTROL) >= 0)
          Message.Result |= DLGC_WANTTAB;
        if (FContainer->IsInplace() || FContainer->HasPopupWindow()) Message.Result |= DLGC_WANTALLKEYS;
      }
      return;
    }
    case WM_SETFOCUS: {
      // The alignment switches before the window takes the focus. Switching
      // makes a new window, which takes the focus (and this message) itself.
      HWND old = Handle();
      AdjustAlignmentToFocus();
      if (!HandleAllocated() || Handle() != old) return;
      break;
    }
    case WM_KILLFOCUS:
      StopDblClickTimer();
      TCustomEdit::Dispatch(Message);
      AdjustAlignmentToFocus();
      return;
    case WM_LBUTTONDOWN:
      if (AlignmentFollowsFocus() && FAlignment != taLeftJustify && !Focused()) {
        // The click lands in the left-aligned window the focus makes.
        SetFocus();
        TCustomEdit::Dispatch(Message);
        StartDblClickTimer();
        return;
      }
      if (DblClickTimerRunning()) {
        Message.Msg = WM_LBUTTONDBLCLK;
        StartDblClickTimer();
      }
      break;
    case WM_LBUTTONDBLCLK:
      if (DblClickTimerRunning()) return;
      break;
    case WM_KEYDOWN: {
      StopDblClickTimer();
      // An open lookup list takes its navigation keys itself.
      if (FContainer && FContainer->HasPopupWindow() &&
          FContainer->ActiveProperties()->IsLookupNavigationKey(Word(Message.WParam), KeyboardStateToShiftState()))
        if (TcxCustomTextEditLookupData* lookup = FContainer->LookupData())
          if (TWinControl* list = lookup->GetListControl()) {
            if (list->HandleAllocated()) SendMessageW(list->Handle(), WM_KEYDOWN, Message.WParam, Message.LParam);
            return;
          }
      TcxCustomInnerTextEditPrevState state;
      SaveState(state);
      FEditorHandledKey = false;
      TCustomEdit::Dispatch(Message);
      if (FContainer && !FEditorGone) FContainer->InnerKeyDownDone(Word(Message.WParam), state, FEditorHandledKey);
      return;
    }
    case WM_CHAR: {
      TcxCustomInnerTextEditPrevState state;
      SaveState(state);
      FEditorHandledKey = false;
      TCustomEdit::Dispatch(Message);
      if (FPendingCount > 0 && --FPendingCount == 0 && FContainer && FContainer->LookupSelection()) {
        SetCharSelStart(FSavedSelStart);
        SetCharSelLength(FSavedSelLength);
      }
      if (FContainer) FContainer->InnerCharHandled(FEditorHandledKey, KeyLeftTextAlone(state));
      return;
    }
    case WM_UNDO:
      TCustomEdit::Dispatch(Message);
      if (FContainer) FContainer->InnerUndoDone();
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

TcxCustomTextEdit::TcxCustomTextEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties,
                                     const TcxContainerStyleFactory& AStyleFactory)
    : TcxCustomEdit(AOwner, AIsInplace,
                    AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                      return new TcxCustomTextEditProperties(O);
                    },
                    AStyleFactory) {
  cxTextEditUnitStartup();
  FInnerEditClassExists = true;
  FInnerEdit = new TcxCustomInnerTextEdit(this);
  FInnerEdit->OnChange = [this](TObject*) { InnerChange(); };
  FInnerEdit->OnSelChange = [this](TObject* Sender) { InnerSelectionChanged(Sender); };
  FInnerEdit->SetColor(clWindow);
  FInnerEdit->SetParent(this);
  SetInnerControl(FInnerEdit);
  InitializeInnerEdit();
  // The inner edit asks for Tab itself where it wants it.
  if (AIsInplace) SetWantedKeys(TcxWantedKeys{wkAllKeys, wkArrows});
  SetBounds(Left(), Top(), 121, 21);
  if (auto factory = Properties()->GetLookupDataType()) {
    FLookupData.reset(factory(this));
    FLookupData->SetItemChosenHandler([this](TObject* Sender) { HandleLookupKeyChanged(Sender); });
  }
  ApplyPropertiesToInner();
  cxGetFormatController()->AddListener(this);
}

TcxCustomTextEdit::~TcxCustomTextEdit() {
  if (cxFormatControllerExists()) cxGetFormatController()->RemoveListener(this);
  if (FInnerEdit) {
    FInnerEdit->EditorDestroying();
    FLastText = FInnerEdit->Text();
    FInnerEdit->OnChange = nullptr;
    FInnerEdit->OnSelChange = nullptr;
  }
  FLookupData.reset();
}

void TcxCustomTextEdit::ApplyPropertiesToInner() {
  if (!FInnerEdit) return;
  TcxCustomTextEditProperties* p = ActiveProperties();
  SetImeMode(p->ImeMode());
  SetImeName(p->ImeName());
  FInnerEdit->SetAlignment(InnerEditAlignment());
  if (!IsInplace()) FInnerEdit->SetAutoSelect(p->AutoSelect());
  FInnerEdit->SetCharCase(p->CharCase());
  FInnerEdit->SetEchoChar(p->PasswordChar());
  FInnerEdit->SetEchoMode(p->EchoMode());
  FInnerEdit->SetHideSelection(p->HideSelection());
  FInnerEdit->SetImeMode(p->ImeMode());
  FInnerEdit->SetImeName(p->ImeName());
  FInnerEdit->SetMaxLength(p->MaxLength());
}

// The properties' alignment (their own or their field's), or the left one
// while a focused editor types left-aligned.
TAlignment TcxCustomTextEdit::InnerEditAlignment() {
  TcxCustomTextEditProperties* p = ActiveProperties();
  if (p->UseLeftAlignmentOnEditing() && FInnerEdit && FInnerEdit->Focused()) return taLeftJustify;
  return p->Alignment()->Horz();
}

void TcxCustomTextEdit::PropertiesChanged(TObject* Sender) {
  if (FLookupData && !InnerEditNotReady()) {
    FLookupData->ItemsChanged();
    if (!FLookupKeyChanged) FLookupData->EditTextChanged();
  }
  if (!InnerEditNotReady()) {
    if (!HasReadOnlyText()) PrepareEditText();
    ApplyPropertiesToInner();
    CheckValueRange();
    if (!IsPosting()) ValidateListText();
    PrepareEditText();
  }
  TcxCustomEdit::PropertiesChanged(Sender);
  UpdateInnerClip();
  if (FInnerEdit) FInnerEdit->Invalidate();
}

String TcxCustomTextEdit::Text() {
  if (!FInnerEdit) return FLastText;
  return FInnerEdit->Text();
}

void TcxCustomTextEdit::SetText(const String& Value) {
  Variant e;
  DisplayToEditValue(Variant(Value), e, false);
  SetEditValue(e);
}

void TcxCustomTextEdit::SetInternalText(const String& AText) {
  if (!FInnerEdit || FInnerEdit->Text() == AText) return;
  TTextFlagGuard g(FInternalTextSetting, true);
  WriteInnerText(AText);
}

void TcxCustomTextEdit::WriteInnerText(const String& AText) { FInnerEdit->SetText(AText); }

void TcxCustomTextEdit::InnerKeyDownDone(Word AKey, const TcxCustomInnerTextEditPrevState& AState,
                                         bool AEditorHandled) {
  // The edit's own processing changed the text in place (Delete): the
  // editor hears of the key afterwards.
  if (AEditorHandled || !FInnerEdit || !FInnerEdit->HandleAllocated() ||
      cxInnerEditKeyLeftTextAlone(FInnerEdit, AState))
    return;
  NotifyAfterKeyDown(AKey, KeyboardStateToShiftState());
}

// The inner edit's text changed: typed by the user, or set by the editor
// (then only OnChange hears of it, unless it is the user's lookup typing).
void TcxCustomTextEdit::InnerChange() {
  if (FInternalTextSetting && !FUserAction) {
    NotifyChange();
    return;
  }
  InnerEditChange(this);
}

void TcxCustomTextEdit::InnerEditChange(TObject* Sender) {
  HoldChangeEvents(true);
  try {
    TcxCustomEdit::InnerEditChange(Sender);
    if (!HasReadOnlyText()) PrepareEditText();
    TcxCustomTextEditProperties* p = ActiveProperties();
    if (Focused() && p->SupportsValueRange() && p->UsesThousandSeparator(FDrawValue)) cxReformatNumberText(this);
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
}

void TcxCustomTextEdit::SetDisplayValueFromData(const Variant& AValue) { SetInternalText(VarToStrDef(AValue, "")); }

void TcxCustomTextEdit::UpdateDrawValue() {
  TcxCustomTextEditProperties* p = ActiveProperties();
  bool editFormat = UsesEditFormat();
  Variant display;
  if (p->CanValidate()) {
    Variant v = EditValue();
    if (p->AcceptsEditValue(v, editFormat)) {
      PrepareDisplayValue(v, display, editFormat);
    } else if (Focused()) {
      String s;
      p->GetNullDisplayValue(s);
      display = Variant(s);
    } else if (EditValue().Kind() == varDate) {
      display = Variant(DateTimeToStr(VarToDateTime(EditValue())));
    } else {
      try {
        display = Variant(VarToStr(EditValue()));
      } catch (const EVariantError&) {
        display = Variant(String());
      }
    }
  } else {
    PrepareDisplayValue(EditValue(), display, editFormat);
  }
  PushModifiedState();
  try {
    TTextFlagGuard g(FDrawValue, true);
    DataBinding()->AssignDisplayValue(display);
  } catch (...) {
    PopModifiedState();
    throw;
  }
  PopModifiedState();
  ResetLookupSelection();
  PrepareEditText();
}

void TcxCustomTextEdit::SynchronizeEditValue() {
  TcxCustomTextEditProperties* p = ActiveProperties();
  Variant old = EditValue();
  Variant v;
  DisplayToEditValue(Variant(Text()), v, UsesEditFormat());
  StoreEditValue(v);
  if (FUserAction)
    SetEditChanged(true);
  else
    SetModified(false);
  if (p->DetectsValueChange() && !cxVarSameTypeAndValue(old, v)) {
    NotifyEditValueChanged();
    if (!p->HasInnerEditChangeEvents()) NotifyChange();
  }
}

void TcxCustomTextEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  AEditValue = ADisplayValue.IsNull() ? Variant(String()) : Variant(VarToStr(ADisplayValue));
}

void TcxCustomTextEdit::DoSetDisplayValue(const Variant& AValue) {
  DataBinding()->AssignDisplayValue(AValue);
  if (FUserAction) return;
  ResetLookupSelection();
  SynchronizeEditValue();
  SetModified(false);
}

void TcxCustomTextEdit::SetDisplayValueLocked(const Variant& AValue) {
  if (FLookupData && ActiveProperties()->GetTextInputMode() == timFreeText) {
    String text = VarToStr(AValue);
    if (!FLookupData->ContainsText(text)) NotifyNewLookupDisplayText(text);
  }
  TcxCustomEdit::SetDisplayValueLocked(AValue);
}

bool TcxCustomTextEdit::CanAcceptText(const String& AText) {
  String text = AText;
  if (!ActiveProperties()->AcceptsDisplayText(text)) return false;
  if (FUserAction && !InnerRequestEditing()) return false;
  DoSetDisplayValue(Variant(text));
  return true;
}

void TcxCustomTextEdit::NotifyNewLookupDisplayText(const String& AText) {
  if (Properties()->OnNewLookupDisplayText) Properties()->OnNewLookupDisplayText(this, AText);
  if (RepositoryItem())
    if (auto* p = dynamic_cast<TcxCustomTextEditProperties*>(RepositoryItem()->Properties()))
      if (p->OnNewLookupDisplayText) p->OnNewLookupDisplayText(this, AText);
}

bool TcxCustomTextEdit::SupportsEditing() { return ActiveProperties()->GetTextInputMode() != timNoText; }

bool TcxCustomTextEdit::IsCharValidForData(char32_t AChar) {
  return TcxCustomEdit::IsCharValidForData(AChar) || ActiveProperties()->AlwaysAcceptedChars().Contains(AChar);
}

// Who paints the text: the inner edit, or (fixed lists, no caret) the view
// info, with the inner edit clipped away.
bool TcxCustomTextEdit::HasReadOnlyText() {
  if (FEditShowingTextOverride == 1) return false;
  if (FEditShowingTextOverride == 2) return true;
  TcxTextEditInputMode mode = ActiveProperties()->GetTextInputMode();
  if (mode == timFixedList || mode == timNoText) return false;
  if (InnerEditNotReady() || ComponentState().Contains(csDesigning)) return false;
  return true;
}

void TcxCustomTextEdit::GetInnerControlClip(const TRect& ABounds, TWinControl* AControl,
                                            TcxContainerInnerControlClip& AClip) {
  if (AControl == FInnerEdit && !HasReadOnlyText()) {
    AClip.IsInside = false;
    AClip.Rect = TRect();
    return;
  }
  TcxCustomEdit::GetInnerControlClip(ABounds, AControl, AClip);
}

void TcxCustomTextEdit::UpdateInnerClip() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated() || !HandleAllocated()) return;
  TRect r = FInnerEdit->BoundsRect();
  AlignControls(FInnerEdit, r);
}

void TcxCustomTextEdit::PlaceInnerEdit() {
  if (!FInnerEdit || FPlacing) return;
  TTextFlagGuard g(FPlacing, true);
  const TRect& client = GetViewInfo()->ClientRect;
  Integer h = GetInnerTextHeight();
  Integer top = client.Top;
  switch (ActiveProperties()->Alignment()->Vert()) {
    case taBottomJustify: top = client.Bottom - h; break;
    case taVCenter: top = client.Top + (client.Bottom - client.Top - h) / 2; break;
    default: break;
  }
  top = std::max(top, client.Top);
  // The edit window is one row of text high and one pixel wider than the
  // client area (its caret may stand after the last character).
  TRect r(client.Left, top, client.Right + 1, std::min<Integer>(top + h, std::max(client.Bottom, top + h)));
  if (FInnerEdit->BoundsRect() != r) FInnerEdit->SetBoundsRect(r);
  UpdateInnerClip();
}

Integer TcxCustomTextEdit::GetInnerTextHeight() {
  TCanvas* c = cxSharedScreenCanvas()->Canvas();
  c->Font()->Assign(FInnerEdit ? FInnerEdit->Font() : Font());
  TEXTMETRICW tm{};
  GetTextMetricsW(c->Handle(), &tm);
  return tm.tmHeight;
}

// The typing window shows the text in the style of the editor's current
// state (normal, focused, hot, disabled): the view info's background and text
// colours and the style's font. Only a real difference is handed on, so a
// state refresh that changes nothing does not repaint the typing window.
void TcxCustomTextEdit::UpdateInnerEditAppearance() {
  if (!FInnerEdit || InnerEditNotReady()) return;
  TFont font;
  font.Assign(GetCurrentStyle()->GetVisibleTextFont());
  font.SetColor(GetViewInfo()->TextColor);
  bool fontChanged = false;
  FInnerEdit->LockBounds(true);
  try {
    FInnerEdit->SetColor(GetViewInfo()->BackgroundColor);
    if (!FInnerEdit->Font()->Equals(font)) {
      FInnerEdit->Font()->Assign(&font);
      fontChanged = true;
    }
  } catch (...) {
    FInnerEdit->LockBounds(false);
    throw;
  }
  FInnerEdit->LockBounds(false);
  // The typing window is one text row high: a new font size moves it.
  if (fontChanged) PlaceInnerEdit();
}

// Every state refresh that changed the look (a style change, focus, enabled
// or read-only, the first refresh after the window is made) passes the look
// on to the typing window.
bool TcxCustomTextEdit::UpdateState(TPoint MousePos, Integer AButton, TShiftState Shift, bool AIsMouseEvent) {
  if (!HandleAllocated() || IsDestroying()) return false;
  bool changed = TcxCustomEdit::UpdateState(MousePos, AButton, Shift, AIsMouseEvent);
  if (changed) UpdateInnerEditAppearance();
  return changed;
}

void TcxCustomTextEdit::CheckValueRange() {
  TcxCustomTextEditProperties* p = ActiveProperties();
  if (DataBinding()->CanPostEditValue() && p->SupportsValueRange() && !InnerEditNotReady() && p->HasValueBounds())
    EnforceValueRange();
}

void TcxCustomTextEdit::HandleFormatChanged() {
  ActiveProperties()->Changed();
  UpdateDrawValue();
}

void TcxCustomTextEdit::ReloadDisplayValue() { DataBinding()->UpdateDisplayValue(); }

void TcxCustomTextEdit::GetEditSizeProperties(TcxEditSizeProperties& AProperties) {
  TcxCustomEdit::GetEditSizeProperties(AProperties);
  AProperties.MaxLineCount = 1;
}

Integer TcxCustomTextEdit::GetTextBaseLine() { return GetViewInfo()->GetTextOffset(); }

// Fixed lists paint the typed prefix, or the inner selection, themselves.
void TcxCustomTextEdit::ApplyFixedListSelection(TcxCustomTextEditViewInfo* AViewInfo) {
  AViewInfo->SelStart = AViewInfo->SelLength = 0;
  TcxTextEditInputMode mode = ActiveProperties()->GetTextInputMode();
  if (mode != timFixedList && mode != timNoText) return;
  if (mode == timNoText || !FLookupSelection || !ActiveProperties()->KeepFixedListPrefix()) return;
  if (AViewInfo->DrawSelectionBar) {
    AViewInfo->SelStart = 0;
    AViewInfo->SelLength = Integer(Utf8Length(AViewInfo->Text)) - FCompletionLength;
    AViewInfo->SelTextColor = clHighlight;
    AViewInfo->SelBackgroundColor = clHighlightText;
  } else if (FInnerEdit) {
    AViewInfo->SelStart = FInnerEdit->CharSelStart();
    AViewInfo->SelLength = FInnerEdit->CharSelLength();
    AViewInfo->SelTextColor = clHighlightText;
    AViewInfo->SelBackgroundColor = clHighlight;
  }
}

void TcxCustomTextEdit::PrepareEditText() {
  if (InnerEditNotReady()) return;
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  auto* tvd = dynamic_cast<TcxCustomTextEditViewData*>(vd.get());
  TcxCustomTextEditViewInfo* vi = GetViewInfo();
  if (tvd)
    tvd->PrepareTextForPaint(Text(), vi);
  else
    vi->Text = Text();
  if (!HandleAllocated()) return;
  RecalcViewInfoAtCursor();
  ApplyFixedListSelection(vi);
  ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TcxCustomTextEdit::SetLookupSelection(bool Value) {
  if (!HandleAllocated() || FLookupSelection == Value || FLookupSelectionLocked) return;
  FLookupSelection = Value;
  if (!Value) FCompletionLength = 0;
  RecalcViewInfoAtCursor();
  PrepareEditText();
}

void TcxCustomTextEdit::ResetLookupSelection() {
  if (FLookupData) SetLookupSelection(false);
}

// ---------------------------------------------------------------------------
// Selection and clipboard

Integer TcxCustomTextEdit::SelStart() {
  TcxTextEditInputMode mode = ActiveProperties()->GetTextInputMode();
  if (mode == timNoText || (mode == timFixedList && !FLookupSelection)) return 0;
  return FInnerEdit ? FInnerEdit->CharSelStart() : 0;
}

void TcxCustomTextEdit::SetSelStart(Integer Value) {
  if (ActiveProperties()->GetTextInputMode() == timNoText) return;
  if (FInnerEdit) FInnerEdit->SetCharSelStart(Value);
}

Integer TcxCustomTextEdit::SelLength() {
  TcxTextEditInputMode mode = ActiveProperties()->GetTextInputMode();
  if (mode == timNoText || (mode == timFixedList && !FLookupSelection)) return 0;
  return FInnerEdit ? FInnerEdit->CharSelLength() : 0;
}

void TcxCustomTextEdit::SetSelLength(Integer Value) {
  if (ActiveProperties()->GetTextInputMode() == timNoText) return;
  if (FInnerEdit) FInnerEdit->SetCharSelLength(Value);
}

void TcxCustomTextEdit::SelectRange(Integer AStart, Integer ALength) {
  SetSelStart(AStart);
  SetSelLength(ALength);
}

String TcxCustomTextEdit::SelText() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated()) return {};
  String t = Text();
  Integer start = FInnerEdit->CharSelStart(), length = FInnerEdit->CharSelLength();
  size_t from = Utf8CharOffset(t, size_t(start));
  size_t to = Utf8CharOffset(t, size_t(start + length));
  return t.substr(from, to - from);
}

Integer TcxCustomTextEdit::GetCaretCharIndex() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated()) return 0;
  HWND h = FInnerEdit->Handle();
  POINT caret;
  if (!GetCaretPos(&caret)) return FInnerEdit->CharSelStart();
  std::u16string w = Utf8ToUtf16(Text());
  Integer lo = 0, hi = Integer(w.size());
  auto xOf = [&](Integer i) -> Integer {
    if (i >= Integer(w.size())) {
      if (w.empty()) return 0;
      LRESULT r = SendMessageW(h, EM_POSFROMCHAR, WPARAM(w.size() - 1), 0);
      return short(LOWORD(r)) + 1;
    }
    return short(LOWORD(SendMessageW(h, EM_POSFROMCHAR, WPARAM(i), 0)));
  };
  while (lo < hi) {
    Integer mid = (lo + hi) / 2;
    if (xOf(mid) < caret.x)
      lo = mid + 1;
    else
      hi = mid;
  }
  return cxTextUtf16ToChars(Text(), lo);
}

// Text to be inserted at the selection, as the editor's rules allow it.
bool TcxCustomTextEdit::CanInsertText(const String& AText, String& ANewText, Integer& ANewCaret) {
  TcxCustomTextEditProperties* p = ActiveProperties();
  TcxTextEditInputMode mode = p->GetTextInputMode();
  if (FUserAction && mode == timNoText) return false;
  if (mode == timFixedList || mode == timNoText) {
    if (FInnerEdit) FInnerEdit->SelectAll();
  }
  String text = Text();
  Integer start = FInnerEdit ? FInnerEdit->CharSelStart() : 0, length = FInnerEdit ? FInnerEdit->CharSelLength() : 0;
  String before = text.substr(0, Utf8CharOffset(text, size_t(start)));
  String after = text.substr(Utf8CharOffset(text, size_t(start + length)));
  Integer maxLength = p->MaxLength();
  if (FUserAction && mode == timFreeText && maxLength > 0) {
    String head = before + AText;
    head = head.substr(0, Utf8CharOffset(head, size_t(maxLength)));
    ANewCaret = Integer(Utf8Length(head));
    if (ANewCaret < start) return false;
    ANewText = head + after;
    ANewText = ANewText.substr(0, Utf8CharOffset(ANewText, size_t(maxLength)));
  } else {
    ANewText = mode == timFixedList ? AText : before + AText + after;
    ANewCaret = start + Integer(Utf8Length(AText));
  }
  if (!p->AcceptsDisplayText(ANewText)) return false;
  return !FUserAction || InnerRequestEditing();
}

void TcxCustomTextEdit::SetSelText(const String& Value) {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated()) return;
  TTextFlagGuard typing(FUserAction, Focused());
  String text;
  Integer caret = 0;
  if (!CanInsertText(Value, text, caret)) return;
  DoSetDisplayValue(Variant(text));
  SetSelStart(caret);
  SetSelLength(0);
}

void TcxCustomTextEdit::DeleteSelection() {
  if (!FInnerEdit || FInnerEdit->CharSelLength() == 0) return;
  TTextFlagGuard typing(FUserAction, Focused());
  String text = Text();
  Integer start = FInnerEdit->CharSelStart(), length = FInnerEdit->CharSelLength();
  String rest = text.substr(0, Utf8CharOffset(text, size_t(start))) + text.substr(Utf8CharOffset(text, size_t(start + length)));
  if (CanAcceptText(rest)) {
    SetSelStart(start);
    SetSelLength(0);
  }
}

void TcxCustomTextEdit::ClearSelection() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated() || IsReadOnlyNow() || !InnerRequestEditing()) return;
  FInnerEdit->CallDefWndProc(WM_CLEAR, 0, 0);
}

void TcxCustomTextEdit::ChangeText(const String& AText) {
  if (!RequestEditing()) return;
  if (FInnerEdit) FInnerEdit->SetText(AText);
  SetEditChanged(true);
}

void TcxCustomTextEdit::CopyToClipboard() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated()) return;
  TcxTextEditInputMode mode = ActiveProperties()->GetTextInputMode();
  if (mode == timFixedList || mode == timNoText) FInnerEdit->SelectAll();
  if (FInnerEdit->CharSelLength() > 0) FInnerEdit->CallDefWndProc(WM_COPY, 0, 0);
}

void TcxCustomTextEdit::CutToClipboard() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated() || FInnerEdit->CharSelLength() == 0) return;
  if (IsReadOnlyNow() || !InnerRequestEditing()) {
    CopyToClipboard();
    return;
  }
  if (Focused()) {
    TTextFlagGuard typing(FUserAction, true);
    String text;
    Integer caret;
    if (CanInsertText("", text, caret)) FInnerEdit->CallDefWndProc(WM_CUT, 0, 0);
  } else {
    FInnerEdit->CallDefWndProc(WM_COPY, 0, 0);
    SetSelText("");
  }
}

namespace {
String ClipboardText() {
  String result;
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(nullptr)) return result;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* p = static_cast<const char16_t*>(GlobalLock(h))) {
      result = Utf16ToUtf8(std::u16string(p));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return result;
}
}  // namespace

void TcxCustomTextEdit::PasteFromClipboard() {
  if (!FInnerEdit || !FInnerEdit->HandleAllocated() || IsReadOnlyNow() || !InnerRequestEditing()) return;
  if (!IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_UNICODETEXT)) return;
  String clip = ClipboardText();
  if (Focused()) {
    TTextFlagGuard typing(FUserAction, true);
    String text;
    Integer caret;
    if (CanInsertText(clip, text, caret)) FInnerEdit->CallDefWndProc(WM_PASTE, 0, 0);
  } else {
    SetSelText(clip);
  }
}

void TcxCustomTextEdit::SelectAll() {
  if (FInnerEdit && FInnerEdit->HandleAllocated()) FInnerEdit->SelectAll();
}

TcxCustomEditData* TcxCustomTextEdit::Activate(TcxCustomEditData*& AEditData) {
  TcxCustomEditData* r = TcxCustomEdit::Activate(AEditData);
  if (FInnerEdit && FInnerEdit->HandleAllocated()) {
    FInnerEdit->SetCharSelStart(0);
    if (ActiveProperties()->AutoSelect()) SelectAll();
  }
  return r;
}

// ---------------------------------------------------------------------------
// Lookup

Integer TcxCustomTextEdit::GetItemIndex() {
  return FLookupData ? LookupKeyAsItemIndex(FLookupData->ReadCurrentKey()) : -1;
}

TObject* TcxCustomTextEdit::GetSelectedItemObject() {
  Integer i = GetItemIndex();
  TStrings* items = ActiveProperties()->LookupItems();
  return i >= 0 && i < items->Count() ? items->Objects(i) : nullptr;
}

Integer TcxCustomTextEdit::LookupKeyAsItemIndex(const Variant& AKey) {
  return VarIsOrdinal(AKey) ? AKey.AsInteger() : -1;
}

void TcxCustomTextEdit::LookupKeyAsEditValue(const Variant& AKey, Variant& AEditValue) {
  String text;
  if (FLookupData) FLookupData->KeyToText(AKey, text);
  DisplayToEditValue(Variant(text), AEditValue, false);
}

bool TcxCustomTextEdit::IsStandaloneUnbound() { return !IsInplace() && !IsDataBound(); }

void TcxCustomTextEdit::SetItemIndex(Integer Index) {
  if (!FLookupData) return;
  Integer before = GetItemIndex();
  HoldClick(true);
  try {
    Variant key;
    ItemIndexAsLookupKey(Index, key);
    FLookupData->WriteCurrentKey(key);
    Variant value;
    LookupKeyAsEditValue(FLookupData->ReadCurrentKey(), value);
    if (!cxEditVarEquals(value, EditValue())) SetEditValue(value);
  } catch (...) {
    HoldClick(false);
    throw;
  }
  HoldClick(false);
  if (GetItemIndex() != before) {
    SetModified(false);
    Click();
  }
}

// An item was chosen in the lookup: it becomes the editor's value.
void TcxCustomTextEdit::HandleLookupKeyChanged(TObject*) {
  if (!FLookupData) return;
  Variant value;
  LookupKeyAsEditValue(FLookupData->ReadCurrentKey(), value);
  bool same = cxEditVarEquals(value, EditValue());
  if (!same && !InnerRequestEditing()) return;
  PushModifiedState();
  bool old = FLookupKeyChanged;
  FLookupKeyChanged = true;
  try {
    SetEditValueQuiet(value);
  } catch (...) {
    FLookupKeyChanged = old;
    PopModifiedState();
    throw;
  }
  PopModifiedState();
  FLookupKeyChanged = false;
  if (!same) SetEditChanged(true);
  SelectAll();
  UpdateStateFromCursor();
}

bool TcxCustomTextEdit::NavigateLookup(TcxLookupMove ADirection) {
  Variant before = FLookupData->ReadCurrentKey();
  HoldChangeEvents(true);
  HoldClick(true);
  try {
    TTextFlagGuard nav(FNavigating, true);
    FLookupData->MoveSelection(ADirection, false);
  } catch (...) {
    HoldClick(false);
    HoldChangeEvents(false);
    throw;
  }
  HoldClick(false);
  bool changed = !cxEditVarEquals(before, FLookupData->ReadCurrentKey());
  try {
    if (changed) {
      MarkChangedAndClick();
      if (CanPostValue() && ActiveProperties()->ImmediatePost() && ValidateInput(true)) PostValue(false);
    }
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  return changed;
}

void TcxCustomTextEdit::ValidateListText() {
  if (InnerEditNotReady()) return;
  TcxCustomTextEditProperties* p = ActiveProperties();
  TcxTextEditInputMode mode = p->GetTextInputMode();
  if (mode != timListText && mode != timFixedList) {
    if (!Modified()) DataBinding()->UpdateDisplayValue();
    return;
  }
  if ((EditModified() && !Validated()) || IsStandaloneUnbound()) {
    String text = Text();
    if (!p->AcceptsDisplayText(text)) {
      String null;
      p->GetNullDisplayValue(null);
      PushModifiedState();
      SetInternalText(null);
      PopModifiedState();
      if (!EditModified()) SynchronizeEditValue();
    }
  } else {
    UpdateDrawValue();
  }
}

// ---------------------------------------------------------------------------
// Keys

bool TcxCustomTextEdit::IsEditorKey(Word Key, TShiftState Shift) {
  if (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) return true;
  if (FLookupData && !FLookupData->HasNoItems() && AllowsLookupNavigation(0) && !HasPopupWindow()) {
    if (Key == VK_PRIOR || Key == VK_NEXT) return true;
    if ((Key == VK_UP || Key == VK_DOWN) && !Shift.Contains(ssAlt)) return true;
  }
  return false;
}

bool TcxCustomTextEdit::IsEditorChar(char32_t AChar) { return AChar >= 32 || AChar == 8 || AChar == 22 || AChar == 24; }

void TcxCustomTextEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TcxCustomTextEditProperties* p = ActiveProperties();
  TcxTextEditInputMode mode = p->GetTextInputMode();
  if (mode == timFixedList && !IsClearOrClickKey(Key, Shift) &&
      (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_DELETE)) {
    SetLookupSelection(false);
    NotifyAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  bool wasLookupSelection = FLookupSelection;
  Word original = Key;
  TcxCustomEdit::DoEditKeyDown(Key, Shift);
  if (original == VK_RETURN && wasLookupSelection) SelectAll();
  if (Key == 0) return;
  switch (Key) {
    case VK_LEFT:
    case VK_RIGHT:
      if (!Shift.Contains(ssShift) && FInnerEdit && FInnerEdit->CharSelLength() > 0) {
        Integer start = FInnerEdit->CharSelStart(), length = FInnerEdit->CharSelLength();
        FInnerEdit->SetCharSelStart(Key == VK_RIGHT ? start + length : start);
        FInnerEdit->SetCharSelLength(0);
        SetLookupSelection(false);
        Key = 0;
        return;
      }
      SetLookupSelection(false);
      break;
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END: {
      bool navigation = Key != VK_HOME && Key != VK_END;
      if ((navigation || mode == timFixedList) && FLookupData && !FLookupData->HasNoItems() &&
          AllowsLookupNavigation(0)) {
        TcxLookupMove move = lmNext;
        bool ctrl = Shift.Contains(ssCtrl);
        switch (Key) {
          case VK_PRIOR: move = ctrl ? lmFirst : lmPageUp; break;
          case VK_NEXT: move = ctrl ? lmLast : lmPageDown; break;
          case VK_END: move = lmLast; break;
          case VK_HOME: move = lmFirst; break;
          case VK_UP: move = lmPrior; break;
          default: move = lmNext; break;
        }
        NavigateLookup(move);
        Key = 0;
        return;
      }
      if (navigation && !(FInnerEdit && FInnerEdit->InnerIsMultiLine())) {
        NotifyAfterKeyDown(Key, Shift);
        Key = 0;
        return;
      }
      if (Key == VK_END && mode != timFixedList && FInnerEdit && FInnerEdit->CharSelLength() == 0)
        SetLookupSelection(false);
      break;
    }
    case VK_DELETE:
      if (mode == timListText) {
        NotifyAfterKeyDown(Key, Shift);
        Key = 0;
        return;
      }
      SetLookupSelection(false);
      break;
  }
}

// Completes a typed prefix from the lookup: the shown text becomes the
// item, the caret stands after the prefix and the rest is selected.
void TcxCustomTextEdit::SearchPrefix(String APrefix, bool) {
  TcxTextEditInputMode mode = ActiveProperties()->GetTextInputMode();
  String tail;
  bool found = FLookupData->FindPrefix(APrefix, tail, false);
  if (APrefix.empty() && mode != timFixedList) DoSetDisplayValue(Variant(String()));
  if (found) {
    DoSetDisplayValue(Variant(APrefix + tail));
    FCompletionLength = Integer(Utf8Length(tail));
    SelectRange(Integer(Utf8Length(APrefix)), FCompletionLength);
    if (FInnerEdit) {
      FInnerEdit->SetCharSelStart(Integer(Utf8Length(APrefix)));
      FInnerEdit->SetCharSelLength(FCompletionLength);
    }
  }
  if (FLookupSelection != found) {
    SetLookupSelection(found);
    if (found) FCompletionLength = Integer(Utf8Length(tail));
  }
  PrepareEditText();
}

void TcxCustomTextEdit::DoEditKeyPress(char32_t& Key) {
  TcxCustomEdit::DoEditKeyPress(Key);
  if (Key == 0) return;
  FLookupKeyChanged = false;
  TcxCustomTextEditProperties* p = ActiveProperties();
  TcxTextEditInputMode mode = p->GetTextInputMode();
  if (mode == timFixedList && !p->KeepFixedListPrefix() && Key == 8) {
    SetLookupSelection(false);
    Key = 0;
    return;
  }
  if (!FLookupData) return;
  Variant before = FLookupData->ReadCurrentKey();
  bool incremental =
      (mode == timFreeText && p->IncrementalSearch()) || mode == timListText || mode == timFixedList;
  bool found = false;
  HoldClick(true);
  try {
    TTextFlagGuard typing(FUserAction, true);
    String text = Text();
    Integer length = Integer(Utf8Length(text));
    Integer start = FInnerEdit ? FInnerEdit->CharSelStart() : 0;
    Integer selLength = FInnerEdit ? FInnerEdit->CharSelLength() : 0;
    if (Key == 8 && incremental) {
      if (mode == timListText && !text.empty() && !FLookupSelection) {
        if (FInnerEdit) {
          FInnerEdit->SetCharSelLength(length - start);
          selLength = length - start;
        }
        FCompletionLength = selLength;
        SetLookupSelection(true);
      }
      if (FLookupSelection) {
        Integer prefixChars = mode == timFixedList ? length - FCompletionLength : start;
        String prefix = text.substr(0, Utf8CharOffset(text, size_t(std::max<Integer>(prefixChars - 1, 0))));
        FLookupKeyChanged = true;
        SearchPrefix(prefix);
        found = FLookupSelection;
      }
      if (mode == timFixedList) Key = 0;
    } else if (Key >= 32 && incremental) {
      bool continues = mode == timListText || mode == timFixedList || (selLength == 0 && start == length) ||
                       selLength > 0 || FLookupSelection;
      if (continues) {
        bool hadLookupSelection = FLookupSelection;
        FLookupKeyChanged = true;
        String ch = Utf8Encode(Key);
        String before = text.substr(0, Utf8CharOffset(text, size_t(start)));
        if (mode == timFixedList) {
          if (FLookupSelection) {
            String typed = text.substr(0, Utf8CharOffset(text, size_t(std::max<Integer>(length - FCompletionLength, 0))));
            SearchPrefix(typed + ch);
            found = FLookupSelection;
            if (!found) {
              SearchPrefix(ch);
              found = FLookupSelection;
            }
          } else {
            SearchPrefix(ch);
            found = FLookupSelection;
          }
          if (!found && !p->KeepFixedListPrefix()) {
            SearchPrefix(ch);
            found = FLookupSelection;
          }
        } else {
          String prefix = selLength > 0 ? before + ch : before + ch + text.substr(before.size());
          SearchPrefix(prefix);
          found = FLookupSelection;
        }
        if (!found && (mode == timListText || mode == timFixedList)) {
          Key = 0;
          if (mode == timListText && !Text().empty()) {
            FLookupSelection = false;
            SetLookupSelection(true);
          }
          if (mode == timFixedList && p->KeepFixedListPrefix() && hadLookupSelection) SetLookupSelection(true);
        }
      }
    }
  } catch (...) {
    HoldClick(false);
    throw;
  }
  HoldClick(false);
  if (!cxEditVarEquals(before, FLookupData->ReadCurrentKey())) MarkChangedAndClick();
  if (found) Key = 0;
}

// After the inner edit typed a character: a character the edit put in
// itself ends the completion.
void TcxCustomTextEdit::InnerCharHandled(bool AEditorHandled, bool ATextLeftAlone) {
  FLookupKeyChanged = false;
  if (!AEditorHandled && ATextLeftAlone) SetLookupSelection(false);
}

void TcxCustomTextEdit::KeyPress(char32_t& Key) { TcxCustomEdit::KeyPress(Key); }

void TcxCustomTextEdit::DoExit() {
  TcxCustomEdit::DoExit();
  SetLookupSelection(false);
}

bool TcxCustomTextEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TcxCustomEdit::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!AllowsLookupNavigation(1) || HasPopupWindow() || !FLookupData || FLookupData->HasNoItems() ||
      !CanUseMouseWheel(Shift) || !InnerRequestEditing())
    return false;
  NavigateLookup(WheelDelta > 0 ? lmPrior : lmNext);
  return true;
}

// Text messages answer with the lookup text (the saved last text once the
// inner edit is gone); setting a text goes through the editor's rules.
void TcxCustomTextEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      String text;
      if (FInnerEdit)
        GetLookupText(text);
      else
        text = FLastText;
      std::u16string w = Utf8ToUtf16(text);
      if (Message.Msg == WM_GETTEXTLENGTH) {
        Message.Result = LRESULT(w.size());
        return;
      }
      Integer size = Integer(Message.WParam);
      if (size < 1 || !Message.LParam) {
        Message.Result = 0;
        return;
      }
      Integer n = std::min<Integer>(size - 1, Integer(w.size()));
      auto* buf = reinterpret_cast<char16_t*>(Message.LParam);
      std::copy(w.begin(), w.begin() + n, buf);
      buf[n] = 0;
      Message.Result = n;
      return;
    }
    case WM_SETTEXT:
      if (FTextMessage) break;
      {
        TTextFlagGuard g(FTextMessage, true);
        String text = Message.LParam ? Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(Message.LParam))) : String();
        Message.Result = SetLookupText(text) ? 1 : 0;
      }
      return;
    case WM_CLEAR: {
      TTextFlagGuard typing(FUserAction, true);
      if (!IsReadOnlyNow() && DataBinding()->HasData()) DeleteSelection();
      return;
    }
  }
  TcxCustomEdit::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// The published editor and its filter helper

TcxTextEdit::TcxTextEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomTextEdit(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxTextEditProperties(O);
      }) {}

void TcxFilterTextEditHelper::InitFilterProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* ASourceProperties,
                                                   bool AKeepButtons) const {
  TcxCustomFilterEditHelper::InitFilterProperties(AProperties, ASourceProperties, AKeepButtons);
  AProperties->SetAutoSelect(true);
  if (auto* p = dynamic_cast<TcxCustomTextEditProperties*>(AProperties)) {
    p->SetHideSelection(true);
    p->SetViewStyle(vsNormal);
  }
}

void TcxFilterTextEditHelper::WriteFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties*,
                                               const Variant& AValue) const {
  AEdit->SetEditValue(AValue);
}

namespace {
const TcxFilterTextEditHelper gTextEditFilterHelper;

// The unit's start-up: the text editor joins the registered editors and
// the filter rows; shut-down leaves the filter rows again.
struct TTextEditUnitRegistration {
  TTextEditUnitRegistration() {
    cxEditPropertiesRegistry()->AddClass(TcxTextEditProperties::StaticClass(),
                                         "TextEdit|Represents a single line text editor");
    cxRegisterFilterEditHelper(TcxFilterTextEditHelper::StaticClass(), &gTextEditFilterHelper);
    cxGetFilterEditsController()->AddClassPair(TcxTextEditProperties::StaticClass(),
                                               TcxFilterTextEditHelper::StaticClass());
  }
  ~TTextEditUnitRegistration() {
    if (cxFilterEditsControllerExists())
      cxGetFilterEditsController()->RemoveClassPair(TcxTextEditProperties::StaticClass(),
                                                    TcxFilterTextEditHelper::StaticClass());
  }
};
}  // namespace

// Registered on first use of the unit (a static library keeps no object
// file that nothing refers to, so the start-up is reached through the class).
void cxTextEditUnitStartup() { static TTextEditUnitRegistration registration; }

TOVANI_PUBLISHED(TcxTextEdit) {
  Property("BeepOnEnter", &TcxCustomTextEdit::BeepOnEnter, &TcxCustomTextEdit::SetBeepOnEnter).Default(true);
}
