// Mask edit modes: a masked editor hands every mask-specific decision to one
// mode object chosen by its mask kind: how the mask is compiled, how a value
// becomes the shown text and back, and what each editing key does to the
// text and the caret.
//   emkStandard  fixed-length text through TcxStandardMask, overwrite caret;
//   emkRegExpr   free text tested character by character by TcxRegExpr;
//   emkRegExprEx as emkRegExpr, and characters the expression forces are
//                inserted by themselves and removed with the one that caused
//                them.
// A mode serves an editor (through IcxMaskEditHost) or, without one, a
// properties object alone (compiling and formatting only). Positions and
// lengths count whole characters.
#pragma once
#include <memory>
#include "System.h"
#include "cxStandardMask.h"
#include "cxTextChars.h"

class TcxRegExpr;

enum TcxEditMaskKind : Byte { emkStandard, emkRegExpr, emkRegExprEx };

// What a mode reads of the masked editor's properties.
class IcxMaskEditProperties {
 public:
  virtual ~IcxMaskEditProperties() = default;
  virtual bool BeepOnError() const = 0;
  virtual bool IgnoreMaskBlank() const = 0;
  virtual bool CaseInsensitive() const = 0;
  // The editor's CharCase is ecNormal.
  virtual bool CharCaseIsNormal() const = 0;
};

// What a mode needs of its masked editor. The plain selection setters let
// the editor report the change to the mode (SelectionChanged); the guarded
// ones do not.
class IcxMaskEditHost {
 public:
  virtual ~IcxMaskEditHost() = default;
  virtual IcxMaskEditProperties& ActiveMaskProperties() = 0;
  // The inner edit control exists (has a window).
  virtual bool HasInnerEdit() const = 0;
  virtual Integer SelStart() const = 0;
  virtual Integer SelLength() const = 0;
  virtual void SetSelStart(Integer Value) = 0;
  virtual void SetSelLength(Integer Value) = 0;
  virtual void SetSelStartGuarded(Integer Value) = 0;
  virtual void SetSelLengthGuarded(Integer Value) = 0;
  // The character index at the caret: tells which end of a selection the
  // caret is on.
  virtual Integer CaretPos() const = 0;
  virtual String Text() const = 0;
  virtual bool ShiftHeld() const = 0;
  virtual void SetShiftHeld(bool Value) = 0;
  // Text typed since the value was set.
  virtual bool IsModified() const = 0;
  // The edit value as display text (the properties' PrepareDisplayValue
  // with the editor's focus state).
  virtual String PrepareDisplayValue() = 0;
  virtual void SetDisplayValueFromData(const String& Text) = 0;
  virtual void SetEditValueQuiet(const String& Value) = 0;
  virtual String GetDisplayValue() = 0;
  virtual void AssignDisplayValue(const String& Text) = 0;
  // Plain edit-control effect of a key or character, the editor's own mask
  // handling bypassed.
  virtual void SendKeyDown(Word Key) = 0;
  virtual void SendChar(char32_t Ch) = 0;
  // The editor may refuse or change (to #0: refuse with a beep) a character
  // typed at a 1-based position.
  virtual bool AcceptsMaskInput(char32_t& Ch, Integer Position) = 0;
  virtual void Beep() = 0;
};

class TcxMaskEditCustomMode : public TObject {
  TOVANI_CLASS(TcxMaskEditCustomMode, TObject)
 public:
  // AEdit may be null; AProperties is used only then.
  TcxMaskEditCustomMode(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties);

  virtual TcxEditMaskKind GetKind() const { return emkStandard; }
  virtual void FinishPaste() = 0;
  virtual void CompileMask(const String& Mask) = 0;
  virtual String EmptyEditValue() = 0;
  virtual String FormatMaskedText(const String& Text, bool ATextHasLiterals = true) = 0;
  virtual void PrepareSelectAll() = 0;
  virtual bool IsCaretAtStart() = 0;
  virtual bool IsCaretAtEnd() = 0;
  virtual bool IsTextValid(const String& Text) = 0;
  virtual void SelectionChanged() = 0;
  virtual void PreparePaste() = 0;
  // Key operations: true lets the key go on to the inner edit's own
  // processing, false means the mode has done everything.
  virtual bool PressBackspace() = 0;
  virtual bool PressDelete() = 0;
  virtual bool PressEnd() = 0;
  virtual bool PressHome() = 0;
  virtual bool PressLeft() = 0;
  virtual bool PressRight() = 0;
  virtual bool PressChar(char32_t& Ch) = 0;
  virtual void AssignText(const String& Text) = 0;
  virtual void SyncDisplayFromValue();
  virtual void ApplyPendingEditValue() = 0;
  virtual String GetTextWithoutBlanks(const String& Text, bool ATextHasLiterals = true) = 0;

  const String& EditMask() const { return FEditMask; }
  // Set by the editor just before a paste.
  void SetClipboardTextLength(Integer Value) { FClipboardTextLength = Value; }

 protected:
  IcxMaskEditProperties& GetMaskProperties() const;
  bool HasEdit() const { return FEdit && FEdit->HasInnerEdit(); }
  void BeepOnError() const;
  TcxChars ControlChars() const { return cxUtf8ToChars(FEdit->Text()); }

  IcxMaskEditHost* FEdit;
  IcxMaskEditProperties* FProperties;
  String FEditMask;
  Integer FClipboardTextLength = 0;
  bool FNeedUpdate = false;
};

class TcxMaskEditStandardMode : public TcxMaskEditCustomMode {
  TOVANI_CLASS(TcxMaskEditStandardMode, TcxMaskEditCustomMode)
 public:
  using TcxMaskEditCustomMode::TcxMaskEditCustomMode;

  TcxEditMaskKind GetKind() const override { return emkStandard; }
  void FinishPaste() override;
  void CompileMask(const String& Mask) override;
  String EmptyEditValue() override { return FMask.EmptyValueText(); }
  String FormatMaskedText(const String& Text, bool ATextHasLiterals = true) override;
  void PrepareSelectAll() override {}
  bool IsCaretAtStart() override;
  bool IsCaretAtEnd() override;
  bool IsTextValid(const String& Text) override;
  void SelectionChanged() override;
  void PreparePaste() override;
  bool PressBackspace() override;
  bool PressDelete() override;
  bool PressEnd() override;
  bool PressHome() override;
  bool PressLeft() override;
  bool PressRight() override;
  bool PressChar(char32_t& Ch) override;
  void AssignText(const String&) override { SelectionChanged(); }
  void SyncDisplayFromValue() override;
  void ApplyPendingEditValue() override;
  String GetTextWithoutBlanks(const String& Text, bool ATextHasLiterals = true) override;

  // The character an emptied 1-based position shows; #0 leaves it as it
  // is. The time and date modes answer per position.
  virtual char32_t GetBlankChar(Integer Position) { return FMask.BlankChar(); }
  const TcxStandardMask& Mask() const { return FMask; }

 private:
  bool IsLiteralAt(Integer Index) const { return Index >= 0 && Index < FMask.Count() && FMask.IsLiteral(Index); }

  TcxStandardMask FMask;
  Integer FSavedSelStart = 0;
};

class TcxMaskEditRegExprMode : public TcxMaskEditCustomMode {
  TOVANI_CLASS(TcxMaskEditRegExprMode, TcxMaskEditCustomMode)
 public:
  TcxMaskEditRegExprMode(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties);
  ~TcxMaskEditRegExprMode() override;

  TcxEditMaskKind GetKind() const override { return emkRegExpr; }
  void FinishPaste() override {}
  void CompileMask(const String& Mask) override;
  String EmptyEditValue() override { return ""; }
  String FormatMaskedText(const String& Text, bool ATextHasLiterals = true) override;
  void PrepareSelectAll() override;
  bool IsCaretAtStart() override;
  bool IsCaretAtEnd() override;
  bool IsTextValid(const String& Text) override;
  void SelectionChanged() override { FResync = true; }
  void PreparePaste() override {}
  bool PressBackspace() override;
  bool PressDelete() override;
  bool PressEnd() override;
  bool PressHome() override;
  bool PressLeft() override;
  bool PressRight() override;
  bool PressChar(char32_t& Ch) override;
  void AssignText(const String& Text) override;
  void SyncDisplayFromValue() override;
  void ApplyPendingEditValue() override {}
  String GetTextWithoutBlanks(const String& Text, bool = true) override { return Text; }

  // Follows the properties' CaseInsensitive (called on a properties change).
  void UpdateCaseInsensitivity();
  TcxRegExpr& Matcher() const { return *FRegExpr; }
  // The mirror of the control text around the caret.
  String Head() const { return cxCharsToUtf8(FHead); }
  String Tail() const { return cxCharsToUtf8(FTail); }

 protected:
  virtual void CutSelection();
  virtual void PutSelectionBack();
  void SyncWithCaret();
  void StepLeft();
  void StepRight();
  bool TailFits();
  void DropTail();
  void Feed(char32_t Ch);
  // A fresh matcher compiled from this one's source; null when there is
  // none.
  std::unique_ptr<TcxRegExpr> CompileCopy() const;

  bool FCursorAtBegin = false;
  TcxChars FHead;
  std::unique_ptr<TcxRegExpr> FRegExpr;
  TcxChars FSelection;
  TcxChars FTail;
  bool FResync = false;
};

class TcxMaskEditRegExprExMode : public TcxMaskEditRegExprMode {
  TOVANI_CLASS(TcxMaskEditRegExprExMode, TcxMaskEditRegExprMode)
 public:
  TcxMaskEditRegExprExMode(IcxMaskEditHost* AEdit, IcxMaskEditProperties* AProperties);

  TcxEditMaskKind GetKind() const override { return emkRegExprEx; }
  void FinishPaste() override;
  void CompileMask(const String& Mask) override;
  String EmptyEditValue() override;
  String FormatMaskedText(const String& Text, bool ATextHasLiterals = true) override;
  void PrepareSelectAll() override;
  bool IsTextValid(const String& Text) override;
  void PreparePaste() override;
  bool PressBackspace() override;
  bool PressDelete() override;
  bool PressEnd() override;
  bool PressHome() override;
  bool PressLeft() override;
  bool PressRight() override;
  bool PressChar(char32_t& Ch) override;
  void AssignText(const String& Text) override;
  void SyncDisplayFromValue() override;
  void ApplyPendingEditValue() override;

 protected:
  void CutSelection() override;
  void PutSelectionBack() override;

 private:
  void ResetUpdate();
  void SyncWithCaretEx();
  void Prepare() { SyncWithCaretEx(); ResetUpdate(); }
  void ForcedOff();
  // Switches completion back on without letting it take characters now.
  void ForcedOnQuiet();
  // The forced prefix the matcher takes at its start (switching completion
  // off and on); the matcher is left at its start.
  TcxChars ForcedPrefixAtStart();
  void ForwardStep();
  void BackwardStep();
  void RefillTail();
  void CheckTail();
  // The selection covers a forced prefix at position 0: the head becomes
  // the prefix and the selection starts after it. False when there is none.
  bool SkipForcedPrefix();

  String FInternalUpdate;
  Integer FDeleteCount = 0;
  Integer FNewCaretPos = -1;
  TcxChars FUpdate;
};

// Creates the mode of a mask kind.
std::unique_ptr<TcxMaskEditCustomMode> cxCreateMaskEditMode(TcxEditMaskKind Kind, IcxMaskEditHost* AEdit,
                                                             IcxMaskEditProperties* AProperties);
