#include "cxMaskEditModes.h"
#include <windows.h>
#include <algorithm>
#include "cxEditErrors.h"
#include "cxRegExpr.h"

TOVANI_IMPLEMENT_CLASS(TcxMaskEditCustomMode, TObject)
TOVANI_IMPLEMENT_CLASS(TcxMaskEditStandardMode, TcxMaskEditCustomMode)
TOVANI_IMPLEMENT_CLASS(TcxMaskEditRegExprMode, TcxMaskEditCustomMode)
TOVANI_IMPLEMENT_CLASS(TcxMaskEditRegExprExMode, TcxMaskEditRegExprMode)

namespace {
const char* const scxMaskEditRegExprError = "Regular expression errors:";
Integer Len(const TcxChars& S) { return static_cast<Integer>(S.size()); }
}  // namespace

// --- Base --------------------------------------------------------------------

TcxMaskEditCustomMode::TcxMaskEditCustomMode(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties)
    : FEdit(AEdit), FProperties(AProperties) {}

IcxMaskEditProperties& TcxMaskEditCustomMode::GetMaskProperties() const {
  return FEdit ? FEdit->ActiveMaskProperties() : *FProperties;
}

void TcxMaskEditCustomMode::BeepOnError() const {
  if (FEdit && GetMaskProperties().BeepOnError()) FEdit->Beep();
}

void TcxMaskEditCustomMode::SyncDisplayFromValue() {
  if (!FEdit) return;
  String Text = FEdit->IsModified() ? FormatMaskedText(FEdit->Text(), true) : FEdit->PrepareDisplayValue();
  FEdit->SetDisplayValueFromData(Text);
}

// --- Standard mode -------------------------------------------------------------

void TcxMaskEditStandardMode::CompileMask(const String& Mask) {
  FEditMask = Mask;
  if (cxIsBlankMask(Mask)) {
    FMask.Clear();
    return;
  }
  FMask.Compile(Mask);
  if (!FEdit) FNeedUpdate = true;
}

String TcxMaskEditStandardMode::FormatMaskedText(const String& Text, bool ATextHasLiterals) {
  String R = Text;
  FMask.FitText(R, true, ATextHasLiterals);
  return R;
}

String TcxMaskEditStandardMode::GetTextWithoutBlanks(const String& Text, bool ATextHasLiterals) {
  if (FMask.Count() == 0) return Text;
  String R = Text;
  FMask.FitText(R, GetMaskProperties().CharCaseIsNormal(), ATextHasLiterals);
  FMask.StripBlanks(R);
  return R;
}

bool TcxMaskEditStandardMode::IsTextValid(const String& Text) {
  String T = Text;
  if (FMask.IsTextComplete(T)) return true;
  return GetMaskProperties().IgnoreMaskBlank() && Text == FormatMaskedText("");
}

void TcxMaskEditStandardMode::SelectionChanged() {
  if (HasEdit() && FMask.Count() > 0 && FEdit->SelLength() == 0) FEdit->SetSelLengthGuarded(1);
}

void TcxMaskEditStandardMode::SyncDisplayFromValue() {
  TcxMaskEditCustomMode::SyncDisplayFromValue();
  SelectionChanged();
}

void TcxMaskEditStandardMode::ApplyPendingEditValue() {
  if (!FNeedUpdate || !FEdit) return;
  FEdit->SetEditValueQuiet(EmptyEditValue());
  FNeedUpdate = false;
}

bool TcxMaskEditStandardMode::IsCaretAtStart() {
  Integer F = 0;
  while (F < FMask.Count() && FMask.IsLiteral(F)) ++F;
  const Integer Start = FEdit->SelStart();
  return F >= Start && (FEdit->SelLength() < 2 || FEdit->CaretPos() == Start);
}

bool TcxMaskEditStandardMode::IsCaretAtEnd() { return FEdit->SelStart() == cxCharCount(FEdit->Text()); }

void TcxMaskEditStandardMode::PreparePaste() {
  FSavedSelStart = FEdit->SelStart();
  FEdit->SetSelStartGuarded(FSavedSelStart);
  FEdit->SetSelLengthGuarded(FClipboardTextLength);
}

void TcxMaskEditStandardMode::FinishPaste() {
  const Integer TextLen = cxCharCount(FEdit->Text());
  Integer P = std::max(0, std::min(FSavedSelStart + FClipboardTextLength, TextLen - 1));
  FEdit->SetSelStart(P);
  if (IsLiteralAt(P)) {
    FEdit->SetShiftHeld(false);
    PressRight();
  }
}

bool TcxMaskEditStandardMode::PressHome() {
  if (FEdit->ShiftHeld()) return true;
  FEdit->SetSelStart(0);
  if (FMask.Count() > 0 && FMask.IsLiteral(0)) PressRight();
  return false;
}

bool TcxMaskEditStandardMode::PressEnd() {
  if (FEdit->ShiftHeld()) return true;
  FEdit->SetSelStart(cxCharCount(FEdit->Text()));
  return false;
}

bool TcxMaskEditStandardMode::PressLeft() {
  const Integer Start = FEdit->SelStart(), Length = FEdit->SelLength();
  if (FEdit->ShiftHeld()) {
    if (Length != 1) return true;
    FEdit->SetSelStart(Start + 1);
    FEdit->SetSelLength(0);
    FEdit->SendKeyDown(VK_LEFT);
    FEdit->SendKeyDown(VK_LEFT);
    return true;
  }
  if (Length >= 2) {
    const Integer TextLen = cxCharCount(FEdit->Text());
    Integer N = 0;
    if (Start + Length >= TextLen) {
      const Integer Last = std::min(Start + Length, TextLen) - 1;
      bool AllLiterals = true;
      for (Integer i = Start; i <= Last; ++i) AllLiterals = AllLiterals && IsLiteralAt(i);
      if (AllLiterals) N = Last - Start + 1;
    }
    FEdit->SetSelStart(0);
    FEdit->SetSelStart(Start + N);
    return false;
  }
  Integer K = 0;
  while (Start - 1 - K >= 0 && IsLiteralAt(Start - 1 - K)) ++K;
  if (Start > 0 && K < Start) FEdit->SetSelStart(Start - K - 1);
  return false;
}

bool TcxMaskEditStandardMode::PressRight() {
  const Integer Start = FEdit->SelStart(), Length = FEdit->SelLength();
  if (FEdit->ShiftHeld()) {
    if (Length == 1 && FEdit->CaretPos() == Start) FEdit->SetSelLength(0);
    return true;
  }
  const Integer TextLen = cxCharCount(FEdit->Text());
  if (Length < 2) {
    Integer K = 0;
    while (IsLiteralAt(Start + 1 + K)) ++K;
    if (Start + K + 1 <= TextLen) FEdit->SetSelStart(Start + K + 1);
    return false;
  }
  Integer E = Start + Length;
  if (E < TextLen) {
    Integer Run = 0;
    while (E - 1 - Run > Start && IsLiteralAt(E - 1 - Run)) ++Run;
    if (E - 1 - Run == Start && IsLiteralAt(Start)) Run = 0;   // the run reaches back to the start
    E -= 1 + Run;
  }
  FEdit->SetSelStart(0);
  FEdit->SetSelStart(E);
  return false;
}

bool TcxMaskEditStandardMode::PressDelete() {
  const Integer Start = FEdit->SelStart(), Length = FEdit->SelLength();
  TcxChars T = ControlChars();
  for (Integer i = Start; i < Start + Length && i < Len(T); ++i) {
    if (i >= FMask.Count() || FMask.IsLiteral(i)) continue;
    char32_t Blank = GetBlankChar(i + 1);
    if (Blank != 0) T[i] = Blank;
  }
  FEdit->SetDisplayValueFromData(cxCharsToUtf8(T));
  FEdit->SetSelStart(Start);
  return false;
}

bool TcxMaskEditStandardMode::PressBackspace() {
  if (FEdit->SelLength() <= 1) PressLeft();
  PressDelete();
  return false;
}

bool TcxMaskEditStandardMode::PressChar(char32_t& Ch) {
  TcxChars T = ControlChars();
  const Integer Start = FEdit->SelStart();
  if (T.empty() || Start >= Len(T)) return false;
  if (IsLiteralAt(Start)) {
    // Typing skips over literals.
    FEdit->SetShiftHeld(false);
    if (FEdit->SelLength() > 1) PressDelete();
    PressRight();
    if (FEdit->SelStart() != Start) PressChar(Ch);
    return false;
  }
  if (Start >= FMask.Count()) return false;
  if (FMask.Items(Start)->AcceptChar(Ch) && FEdit->AcceptsMaskInput(Ch, Start + 1)) {
    if (Ch == 0) {
      BeepOnError();
      return false;
    }
    if (FEdit->SelLength() > 1) {
      PressDelete();
      T = ControlChars();
    }
    T[Start] = Ch;
    FEdit->SetDisplayValueFromData(cxCharsToUtf8(T));
    FEdit->SetSelStart(Start);
    FEdit->SetShiftHeld(false);
    PressRight();
  }
  return false;
}

// --- Regular-expression mode ------------------------------------------------------

TcxMaskEditRegExprMode::TcxMaskEditRegExprMode(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties)
    : TcxMaskEditCustomMode(AEdit, AProperties), FRegExpr(std::make_unique<TcxRegExpr>()) {
  UpdateCaseInsensitivity();
}

TcxMaskEditRegExprMode::~TcxMaskEditRegExprMode() = default;

void TcxMaskEditRegExprMode::UpdateCaseInsensitivity() {
  FRegExpr->SetCaseInsensitive(GetMaskProperties().CaseInsensitive());
}

void TcxMaskEditRegExprMode::Feed(char32_t Ch) { FRegExpr->Advance(Ch); }

void TcxMaskEditRegExprMode::CompileMask(const String& Mask) {
  FEditMask = Mask;
  if (cxIsBlankMask(Mask)) return;
  try {
    FRegExpr->Compile(Mask);
  } catch (EcxRegExprError& E) {
    String Msg = scxMaskEditRegExprError;
    for (Integer i = 0; i < E.Errors().Count(); ++i) Msg += "\r\n" + E.Errors().Items(i).FullMessage();
    throw EcxMaskEditError(Msg);
  }
}

std::unique_ptr<TcxRegExpr> TcxMaskEditRegExprMode::CompileCopy() const {
  const String* Source = FRegExpr->CompiledSource();
  if (!Source) return nullptr;
  auto R = std::make_unique<TcxRegExpr>();
  R->SetCaseInsensitive(GetMaskProperties().CaseInsensitive());
  try {
    R->Compile(*Source);
  } catch (EcxRegExprError&) {
    return nullptr;
  }
  return R;
}

String TcxMaskEditRegExprMode::FormatMaskedText(const String& Text, bool) {
  if (!FRegExpr->Compiled()) return "";
  FRegExpr->Restart();
  String Accepted;
  FRegExpr->AdvanceText(Text, Accepted);
  return Accepted;
}

bool TcxMaskEditRegExprMode::IsTextValid(const String& Text) {
  if (Text.empty()) return true;
  auto R = CompileCopy();
  if (!R) return false;
  for (char32_t c : cxUtf8ToChars(Text))
    if (!R->Advance(c)) return false;
  return GetMaskProperties().IgnoreMaskBlank() || R->InFinalState();
}

bool TcxMaskEditRegExprMode::IsCaretAtStart() { return FEdit->SelStart() == 0; }
bool TcxMaskEditRegExprMode::IsCaretAtEnd() { return FEdit->SelStart() == cxCharCount(FEdit->Text()); }

void TcxMaskEditRegExprMode::SyncWithCaret() {
  const TcxChars Control = ControlChars();
  if (!((FHead.empty() && FTail.empty() && !Control.empty()) || FResync)) return;
  FResync = false;
  FRegExpr->Restart();
  FTail = Control;
  FHead.clear();
  const Integer Caret = std::min(FEdit->CaretPos(), Len(FTail));
  for (Integer i = 0; i < Caret; ++i) StepRight();
}

void TcxMaskEditRegExprMode::StepLeft() {
  if (FHead.empty()) return;
  FRegExpr->StepBack();
  FTail.insert(FTail.begin(), FHead.back());
  FHead.pop_back();
}

void TcxMaskEditRegExprMode::StepRight() {
  if (FTail.empty()) return;
  Feed(FTail.front());
  FHead.push_back(FTail.front());
  FTail.erase(0, 1);
}

void TcxMaskEditRegExprMode::PrepareSelectAll() {
  SyncWithCaret();
  for (char32_t c : FTail) Feed(c);
  FHead += FTail;
  FTail.clear();
}

bool TcxMaskEditRegExprMode::PressEnd() {
  PrepareSelectAll();
  return true;
}

bool TcxMaskEditRegExprMode::PressHome() {
  SyncWithCaret();
  if (!FHead.empty()) {
    FTail = FHead + FTail;
    FHead.clear();
    FRegExpr->Restart();
  }
  return true;
}

bool TcxMaskEditRegExprMode::PressLeft() {
  SyncWithCaret();
  if (FHead.empty()) return true;
  const Integer Start = FEdit->SelStart(), Length = FEdit->SelLength();
  if (Length > 0 && !FEdit->ShiftHeld()) {
    if (FEdit->CaretPos() == Start + Length) {
      for (Integer i = 0; i < Length; ++i) StepLeft();
      return true;
    }
    if (FEdit->CaretPos() == Start) return true;
  }
  StepLeft();
  return true;
}

bool TcxMaskEditRegExprMode::PressRight() {
  SyncWithCaret();
  if (FTail.empty()) return true;
  const Integer Start = FEdit->SelStart(), Length = FEdit->SelLength();
  if (Length > 0 && !FEdit->ShiftHeld()) {
    if (FEdit->CaretPos() == Start) {
      for (Integer i = 0; i < Length; ++i) StepRight();
      return true;
    }
    if (FEdit->CaretPos() == Start + Length) return true;
  }
  StepRight();
  return true;
}

void TcxMaskEditRegExprMode::CutSelection() {
  const Integer Start = FEdit->SelStart(), Length = FEdit->SelLength();
  if (Length <= 0) return;
  if (Start == Len(FHead)) {
    const Integer n = std::min(Length, Len(FTail));
    FSelection = FTail.substr(0, n);
    FTail.erase(0, n);
    FCursorAtBegin = true;
  } else if (Start + Length == Len(FHead)) {
    FSelection = FHead.substr(FHead.size() - Length);
    FHead.resize(FHead.size() - Length);
    for (Integer i = 0; i < Length; ++i) FRegExpr->StepBack();
    FCursorAtBegin = false;
  }
}

void TcxMaskEditRegExprMode::PutSelectionBack() {
  if (FCursorAtBegin) {
    FTail = FSelection + FTail;
  } else {
    FHead += FSelection;
    for (char32_t c : FSelection) Feed(c);
  }
}

bool TcxMaskEditRegExprMode::TailFits() {
  Integer Accepted = 0;
  bool Fits = true;
  for (char32_t c : FTail) {
    if (!FRegExpr->Advance(c)) {
      Fits = false;
      break;
    }
    ++Accepted;
  }
  for (Integer i = 0; i < Accepted; ++i) FRegExpr->StepBack();
  return Fits;
}

void TcxMaskEditRegExprMode::DropTail() {
  TcxChars Value = cxUtf8ToChars(FEdit->GetDisplayValue());
  const Integer Start = std::min(FEdit->SelStart(), Len(Value));
  Value.erase(Start, FTail.size());
  FEdit->AssignDisplayValue(cxCharsToUtf8(Value));
  FEdit->SetSelStartGuarded(Len(Value));
  FTail.clear();
}

bool TcxMaskEditRegExprMode::PressChar(char32_t& Ch) {
  SyncWithCaret();
  FSelection.clear();
  const bool HadSelection = FEdit->SelLength() > 0;
  if (HadSelection) CutSelection();
  bool Result;
  if (FRegExpr->Advance(Ch)) {
    FHead.push_back(Ch);
    Result = true;
    if (!TailFits()) {
      if (HadSelection) {
        FEdit->SendKeyDown(VK_DELETE);
        FEdit->SendChar(Ch);
        Result = false;
      }
      DropTail();
    }
  } else {
    if (HadSelection) PutSelectionBack();
    Result = false;
  }
  FSelection.clear();
  if (!Result) BeepOnError();
  return Result;
}

bool TcxMaskEditRegExprMode::PressBackspace() {
  SyncWithCaret();
  FSelection.clear();
  bool Result = true;
  if (FEdit->SelLength() > 0) {
    CutSelection();
    if (!TailFits()) {
      FEdit->SendChar(8);
      DropTail();
      Result = false;
    }
  } else if (!FHead.empty()) {
    FRegExpr->StepBack();
    const bool Fits = TailFits();
    FHead.pop_back();
    if (!Fits) DropTail();
  }
  FSelection.clear();
  if (!Result) BeepOnError();
  return Result;
}

bool TcxMaskEditRegExprMode::PressDelete() {
  SyncWithCaret();
  FSelection.clear();
  bool Result = true;
  if (FEdit->SelLength() > 0) {
    CutSelection();
    if (!TailFits()) {
      FEdit->SendKeyDown(VK_DELETE);
      DropTail();
      Result = false;
    }
  } else if (!FTail.empty()) {
    FSelection = FTail.substr(0, 1);
    FTail.erase(0, 1);
    if (!TailFits()) {
      DropTail();
      if (FEdit->SelStart() > 0) FEdit->SetSelStartGuarded(FEdit->SelStart() - 1);
    }
  }
  FSelection.clear();
  if (!Result) BeepOnError();
  return Result;
}

void TcxMaskEditRegExprMode::AssignText(const String& Text) {
  FRegExpr->Restart();
  const TcxChars T = cxUtf8ToChars(Text);
  if (FClipboardTextLength < 1 || T.empty()) {
    FHead.clear();
    FTail = T;
    return;
  }
  const Integer n = std::min(Len(T), (FEdit ? FEdit->SelStart() : 0) + FClipboardTextLength);
  FHead = T.substr(0, n);
  FTail = T.substr(n);
  for (char32_t c : FHead) Feed(c);
  FClipboardTextLength = 0;
}

void TcxMaskEditRegExprMode::SyncDisplayFromValue() {
  TcxMaskEditCustomMode::SyncDisplayFromValue();
  if (!FEdit) return;
  FHead = ControlChars();
  FEdit->SetSelStartGuarded(Len(FHead));
  FTail.clear();
  if (!FRegExpr->Compiled()) return;
  FRegExpr->Restart();
  for (char32_t c : FHead) Feed(c);
}

// --- Extended regular-expression mode ----------------------------------------------

TcxMaskEditRegExprExMode::TcxMaskEditRegExprExMode(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties)
    : TcxMaskEditRegExprMode(AEdit, AProperties) {
  FRegExpr->OnSymbolAdd = [this](char32_t Ch) { FUpdate.push_back(Ch); };
  FRegExpr->OnSymbolDelete = [this] { ++FDeleteCount; };
  FRegExpr->SetForcedContinuation(true);
  FNewCaretPos = -1;
  ResetUpdate();
}

void TcxMaskEditRegExprExMode::ForcedOff() { FRegExpr->SetForcedContinuation(false); }
void TcxMaskEditRegExprExMode::ForcedOnQuiet() { FRegExpr->SetForcedContinuationFlag(true); }

void TcxMaskEditRegExprExMode::ResetUpdate() {
  FUpdate.clear();
  FDeleteCount = 0;
}

void TcxMaskEditRegExprExMode::CompileMask(const String& Mask) {
  ResetUpdate();
  TcxMaskEditRegExprMode::CompileMask(Mask);
  if (!FEdit) FNeedUpdate = true;
}

void TcxMaskEditRegExprExMode::ApplyPendingEditValue() {
  if (!FNeedUpdate || !FEdit) return;
  FEdit->SetEditValueQuiet(cxCharsToUtf8(FUpdate));
  FNeedUpdate = false;
}

String TcxMaskEditRegExprExMode::FormatMaskedText(const String& Text, bool ATextHasLiterals) {
  if (!FRegExpr->Compiled()) return "";
  ForcedOff();
  ResetUpdate();
  String R = TcxMaskEditRegExprMode::FormatMaskedText(Text, ATextHasLiterals);
  FRegExpr->SetForcedContinuation(true);
  R += cxCharsToUtf8(FUpdate);
  return R;
}

String TcxMaskEditRegExprExMode::EmptyEditValue() {
  auto R = CompileCopy();
  if (!R) return "";
  FInternalUpdate.clear();
  R->OnSymbolAdd = [this](char32_t Ch) { FInternalUpdate += cxCharToUtf8(Ch); };
  R->SetForcedContinuation(true);
  return FInternalUpdate;
}

bool TcxMaskEditRegExprExMode::IsTextValid(const String& Text) {
  if (Text.empty()) return true;
  if (Text == EmptyEditValue()) return true;
  auto R = CompileCopy();
  if (!R) return false;
  for (char32_t c : cxUtf8ToChars(Text))
    if (!R->Advance(c)) return false;
  return GetMaskProperties().IgnoreMaskBlank() || R->InFinalState();
}

void TcxMaskEditRegExprExMode::ForwardStep() {
  ResetUpdate();
  Feed(FTail.front());
  const Integer n = std::min(Len(FTail), Len(FUpdate) + 1);
  FHead += FTail.substr(0, n);
  FTail.erase(0, n);
}

void TcxMaskEditRegExprExMode::BackwardStep() {
  ResetUpdate();
  FRegExpr->StepBack();
  Integer n = FRegExpr->AtStart() ? Len(FHead) : std::min(Len(FHead), FDeleteCount + 1);
  FTail = FHead.substr(FHead.size() - n) + FTail;
  FHead.resize(FHead.size() - n);
}

void TcxMaskEditRegExprExMode::SyncWithCaretEx() {
  if (!HasEdit()) return;
  const TcxChars Control = ControlChars();
  if (FHead.empty() && FTail.empty() && !Control.empty()) {
    FTail = Control;
    FRegExpr->Restart();
    FResync = true;
  }
  if (!FResync) return;
  FResync = false;
  const Integer A = FEdit->SelStart(), B = A + FEdit->SelLength();
  while (Len(FHead) < A && !FTail.empty()) {
    ForwardStep();
    if (Len(FHead) > A) {
      BackwardStep();
      FEdit->SetSelStartGuarded(Len(FHead));
      break;
    }
  }
  while (Len(FHead) > A) {
    BackwardStep();
    if (Len(FHead) < A) {
      FEdit->SetSelStartGuarded(Len(FHead));
      break;
    }
  }
  if (A < B) {
    while (Len(FHead) < B && !FTail.empty()) ForwardStep();
    FEdit->SetSelLengthGuarded(Len(FHead) - FEdit->SelStart());
  }
  ResetUpdate();
}

void TcxMaskEditRegExprExMode::CutSelection() {
  ForcedOff();
  TcxMaskEditRegExprMode::CutSelection();
  ForcedOnQuiet();
}

void TcxMaskEditRegExprExMode::PutSelectionBack() {
  ForcedOff();
  TcxMaskEditRegExprMode::PutSelectionBack();
  ForcedOnQuiet();
}

TcxChars TcxMaskEditRegExprExMode::ForcedPrefixAtStart() {
  ResetUpdate();
  ForcedOff();
  FRegExpr->SetForcedContinuation(true);
  TcxChars Prefix = FUpdate;
  ResetUpdate();
  return Prefix;
}

bool TcxMaskEditRegExprExMode::SkipForcedPrefix() {
  if (FEdit->SelStart() != 0 || !FHead.empty() || !FRegExpr->AtStart()) return false;
  const TcxChars Prefix = ForcedPrefixAtStart();
  if (Prefix.empty()) return false;
  // The cut selection goes back in front of the tail (the head is empty, so
  // that is where it stood, whichever end the caret was at); the prefix
  // becomes the head. The selection then starts after the prefix, so the
  // caller's second try cannot come here again: typing always goes on.
  const TcxChars Text = FSelection + FTail;
  const Integer n = std::min(Len(Prefix), Len(Text));
  if (n == 0) return false;
  FSelection.clear();
  FHead = Text.substr(0, n);
  FTail = Text.substr(n);
  const Integer Length = FEdit->SelLength();
  FEdit->SetSelStartGuarded(n);
  FEdit->SetSelLengthGuarded(std::max(0, Length - n));
  return true;
}

void TcxMaskEditRegExprExMode::RefillTail() {
  const TcxChars Tail = FTail;
  for (char32_t c : Tail) {
    Feed(c);
    FEdit->SetSelStartGuarded(FEdit->SelStart() + 1);
  }
  ResetUpdate();
  FRegExpr->SetForcedContinuation(true);
  for (char32_t c : FUpdate) {
    FTail.push_back(c);
    FEdit->SendChar(c);
  }
  ForcedOff();
  for (size_t i = 0; i < FTail.size(); ++i) {
    FRegExpr->StepBack();
    FEdit->SetSelStartGuarded(FEdit->SelStart() - 1);
  }
  ResetUpdate();
}

void TcxMaskEditRegExprExMode::CheckTail() {
  ForcedOff();
  if (TailFits()) RefillTail();
  else DropTail();
  ForcedOnQuiet();
}

bool TcxMaskEditRegExprExMode::PressChar(char32_t& Ch) {
  Prepare();
  FSelection.clear();
  const bool HadSelection = FEdit->SelLength() > 0;
  if (HadSelection) {
    CutSelection();
    if (SkipForcedPrefix()) return PressChar(Ch);
  }
  if (FRegExpr->Advance(Ch)) {
    FHead.push_back(Ch);
    FHead += FUpdate;
    FEdit->SendChar(Ch);
    for (char32_t c : FUpdate) FEdit->SendChar(c);
    ResetUpdate();
    CheckTail();
  } else {
    if (HadSelection) PutSelectionBack();
    BeepOnError();
  }
  FSelection.clear();
  return false;
}

bool TcxMaskEditRegExprExMode::PressBackspace() {
  Prepare();
  FSelection.clear();
  if (FEdit->SelLength() > 0) {
    CutSelection();
    if (SkipForcedPrefix()) return PressBackspace();
    FEdit->SendChar(8);
    CheckTail();
  } else if (!FHead.empty()) {
    FRegExpr->StepBack();
    if (FRegExpr->AtStart() && FEdit->SelStart() == FDeleteCount) {
      // Only forced characters precede the caret: nothing to remove.
      ForcedOff();
      FRegExpr->Restart();
      for (char32_t c : FHead) Feed(c);
      ForcedOnQuiet();
      BeepOnError();
    } else {
      const Integer n = std::min(Len(FHead), FDeleteCount + 1);
      FHead.resize(FHead.size() - n);
      for (Integer i = 0; i < n; ++i) FEdit->SendChar(8);
      CheckTail();
    }
  }
  FSelection.clear();
  ResetUpdate();
  return false;
}

bool TcxMaskEditRegExprExMode::PressDelete() {
  Prepare();
  if (FEdit->SelLength() > 0) return PressBackspace();
  if (FTail.empty()) return false;
  Feed(FTail.front());
  if (FEdit->SelStart() == 0 && !FUpdate.empty() && FHead.empty() && EmptyEditValue() != "") {
    // The caret stands before the forced prefix: it cannot be deleted.
    ForcedOff();
    FRegExpr->Restart();
    ForcedOnQuiet();
    ResetUpdate();
    BeepOnError();
    return false;
  }
  const Integer n = std::min(Len(FTail), Len(FUpdate) + 1);
  for (Integer i = 0; i < n; ++i) FEdit->SendKeyDown(VK_DELETE);
  FTail.erase(0, n);
  FRegExpr->StepBack();
  ResetUpdate();
  CheckTail();
  return false;
}

bool TcxMaskEditRegExprExMode::PressLeft() {
  Prepare();
  const Integer Start = FEdit->SelStart(), Length = FEdit->SelLength();
  if (Length > 0 && !FEdit->ShiftHeld()) {
    if (FEdit->CaretPos() == Start + Length) {
      ForcedOff();
      SyncWithCaret();
      for (Integer i = 0; i < Length; ++i) StepLeft();
      ForcedOnQuiet();
      return true;
    }
    if (FEdit->CaretPos() == Start) return true;
  }
  if (FHead.empty()) return true;
  StepLeft();
  Integer CaretIndex = Start != 0 ? Start : Length;
  if (FRegExpr->AtStart() && CaretIndex == FDeleteCount) --FDeleteCount;
  for (Integer i = 0; i < FDeleteCount && !FHead.empty(); ++i) {
    FTail.insert(FTail.begin(), FHead.back());
    FHead.pop_back();
    FEdit->SendKeyDown(VK_LEFT);
  }
  ResetUpdate();
  return true;
}

bool TcxMaskEditRegExprExMode::PressRight() {
  Prepare();
  const Integer Start = FEdit->SelStart(), Length = FEdit->SelLength();
  if (Length > 0 && !FEdit->ShiftHeld()) {
    if (FEdit->CaretPos() == Start) {
      ForcedOff();
      for (Integer i = 0; i < Length; ++i) StepRight();
      ForcedOnQuiet();
      return true;
    }
    if (FEdit->CaretPos() == Start + Length) return true;
  }
  if (FTail.empty()) return true;
  StepRight();
  for (size_t i = 0; i < FUpdate.size() && !FTail.empty(); ++i) {
    FHead.push_back(FTail.front());
    FTail.erase(0, 1);
    FEdit->SendKeyDown(VK_RIGHT);
  }
  ResetUpdate();
  return true;
}

bool TcxMaskEditRegExprExMode::PressHome() {
  Prepare();
  return TcxMaskEditRegExprMode::PressHome();
}

bool TcxMaskEditRegExprExMode::PressEnd() {
  Prepare();
  ForcedOff();
  bool R = TcxMaskEditRegExprMode::PressEnd();
  ForcedOnQuiet();
  return R;
}

void TcxMaskEditRegExprExMode::PrepareSelectAll() {
  Prepare();
  ForcedOff();
  TcxMaskEditRegExprMode::PrepareSelectAll();
  ForcedOnQuiet();
}

void TcxMaskEditRegExprExMode::PreparePaste() { SyncWithCaretEx(); }

void TcxMaskEditRegExprExMode::FinishPaste() {
  if (FNewCaretPos < 0) return;
  FEdit->SetSelStart(FNewCaretPos);
  FNewCaretPos = -1;
}

void TcxMaskEditRegExprExMode::AssignText(const String& Text) {
  if (!FRegExpr->Compiled()) return;
  ForcedOff();
  FRegExpr->Restart();
  for (char32_t c : cxUtf8ToChars(Text)) Feed(c);
  ResetUpdate();
  FRegExpr->SetForcedContinuation(true);
  FHead = cxUtf8ToChars(Text) + FUpdate;
  FTail.clear();
  ResetUpdate();
  if (FEdit) {
    FResync = true;
    SyncWithCaretEx();
  }
  FClipboardTextLength = 0;
}

void TcxMaskEditRegExprExMode::SyncDisplayFromValue() {
  ForcedOff();
  TcxMaskEditRegExprMode::SyncDisplayFromValue();
  ForcedOnQuiet();
  ResetUpdate();
}

std::unique_ptr<TcxMaskEditCustomMode> cxCreateMaskEditMode(TcxEditMaskKind Kind, IcxMaskEditHost* AEdit,
                                                             IcxMaskEditProperties* AProperties) {
  switch (Kind) {
    case emkRegExpr: return std::make_unique<TcxMaskEditRegExprMode>(AEdit, AProperties);
    case emkRegExprEx: return std::make_unique<TcxMaskEditRegExprExMode>(AEdit, AProperties);
    default: return std::make_unique<TcxMaskEditStandardMode>(AEdit, AProperties);
  }
}
