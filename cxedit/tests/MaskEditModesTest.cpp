// The mask edit modes driven through a small fake editor that keeps text,
// selection and caret the way an edit control does, and records beeps.
#include <windows.h>
#include "cxEditErrors.h"
#include "cxFormats.h"
#include "cxMaskEditModes.h"
#include "gtest.h"

namespace {

class TFakeProperties : public IcxMaskEditProperties {
 public:
  bool BeepOnError() const override { return Beep; }
  bool IgnoreMaskBlank() const override { return IgnoreBlank; }
  bool CaseInsensitive() const override { return CaseInsens; }
  bool CharCaseIsNormal() const override { return true; }
  bool Beep = true, IgnoreBlank = false, CaseInsens = false;
};

class TFakeEditor : public IcxMaskEditHost {
 public:
  explicit TFakeEditor(TcxEditMaskKind Kind, const String& Mask) {
    Mode = cxCreateMaskEditMode(Kind, this, &Props);
    Mode->CompileMask(Mask);
    SetText(Mode->FormatMaskedText(""));
  }

  // --- what a test does
  void SetText(const String& T) {
    Chars = cxUtf8ToChars(T);
    Start = Length = 0;
    CaretAtStart = false;
    Mode->AssignText(T);
  }
  void Click(Integer Pos) { SetSelStart(Pos); }
  void Select(Integer S, Integer L, bool CaretFirst = false) {
    Start = S;
    Length = L;
    CaretAtStart = CaretFirst;
    Mode->SelectionChanged();
  }
  void Type(char32_t Ch) {
    if (Mode->PressChar(Ch)) InsertChar(Ch);
  }
  void TypeText(const String& T) {
    for (char32_t c : cxUtf8ToChars(T)) Type(c);
  }
  void Key(Word VK) {
    bool Plain = false;
    switch (VK) {
      case VK_BACK: Plain = Mode->PressBackspace(); break;
      case VK_DELETE: Plain = Mode->PressDelete(); break;
      case VK_HOME: Plain = Mode->PressHome(); break;
      case VK_END: Plain = Mode->PressEnd(); break;
      case VK_LEFT: Plain = Mode->PressLeft(); break;
      case VK_RIGHT: Plain = Mode->PressRight(); break;
    }
    if (Plain) PlainKey(VK);
  }
  String Text() const override { return cxCharsToUtf8(Chars); }

  // --- IcxMaskEditHost
  IcxMaskEditProperties& ActiveMaskProperties() override { return Props; }
  bool HasInnerEdit() const override { return true; }
  Integer SelStart() const override { return Start; }
  Integer SelLength() const override { return Length; }
  void SetSelStart(Integer V) override {
    SetSelStartGuarded(V);
    Mode->SelectionChanged();
  }
  void SetSelLength(Integer V) override {
    SetSelLengthGuarded(V);
    Mode->SelectionChanged();
  }
  void SetSelStartGuarded(Integer V) override {
    Start = std::clamp(V, 0, Len());
    Length = 0;
    CaretAtStart = false;
  }
  void SetSelLengthGuarded(Integer V) override {
    Length = std::clamp(V, 0, Len() - Start);
    CaretAtStart = false;
  }
  Integer CaretPos() const override { return CaretAtStart ? Start : Start + Length; }
  bool ShiftHeld() const override { return Shift; }
  void SetShiftHeld(bool V) override { Shift = V; }
  bool IsModified() const override { return Modified; }
  String PrepareDisplayValue() override { return EditValue; }
  void SetDisplayValueFromData(const String& T) override {
    Chars = cxUtf8ToChars(T);
    ClampSelection();
  }
  void SetEditValueQuiet(const String& V) override { EditValue = V; }
  String GetDisplayValue() override { return Text(); }
  void AssignDisplayValue(const String& T) override { SetDisplayValueFromData(T); }
  void SendKeyDown(Word VK) override { PlainKey(VK); }
  void SendChar(char32_t Ch) override {
    if (Ch == 8) PlainKey(VK_BACK);
    else InsertChar(Ch);
  }
  bool AcceptsMaskInput(char32_t&, Integer) override { return true; }
  void Beep() override { ++Beeps; }

  TFakeProperties Props;
  std::unique_ptr<TcxMaskEditCustomMode> Mode;
  TcxChars Chars;
  Integer Start = 0, Length = 0;
  bool CaretAtStart = false, Shift = false, Modified = false;
  int Beeps = 0;
  String EditValue;

 private:
  Integer Len() const { return static_cast<Integer>(Chars.size()); }
  void ClampSelection() {
    Start = std::min(Start, Len());
    Length = std::min(Length, Len() - Start);
  }
  void DeleteSelection() {
    Chars.erase(Start, Length);
    Length = 0;
  }
  void InsertChar(char32_t Ch) {
    DeleteSelection();
    Chars.insert(Chars.begin() + Start, Ch);
    ++Start;
  }
  // What a plain edit control does with a key.
  void PlainKey(Word VK) {
    switch (VK) {
      case VK_BACK:
        if (Length > 0) DeleteSelection();
        else if (Start > 0) Chars.erase(--Start, 1);
        break;
      case VK_DELETE:
        if (Length > 0) DeleteSelection();
        else if (Start < Len()) Chars.erase(Start, 1);
        break;
      case VK_HOME: Start = Length = 0; break;
      case VK_END: Start = Len(); Length = 0; break;
      case VK_LEFT:
        if (Length > 0) Length = 0;
        else if (Start > 0) --Start;
        break;
      case VK_RIGHT:
        if (Length > 0) { Start += Length; Length = 0; }
        else if (Start < Len()) ++Start;
        break;
    }
    CaretAtStart = false;
  }
};

}  // namespace

TEST(MaskEditStandardMode, PhoneMaskTyping) {
  TFakeEditor E(emkStandard, "(999)000-0000");
  EXPECT_EQ(E.Text(), "(___)___-____");
  E.Click(1);
  EXPECT_EQ(E.SelLength(), 1);   // the overwrite caret
  E.Type('1');
  EXPECT_EQ(E.Text(), "(1__)___-____");
  EXPECT_EQ(E.SelStart(), 2);
  // Typing at the ")" first moves over the literals.
  E.Click(4);
  E.Type('5');
  EXPECT_EQ(E.Text(), "(1__)5__-____");
  EXPECT_EQ(E.SelStart(), 6);
  // A character the position rejects is dropped without a beep.
  E.Type('x');
  EXPECT_EQ(E.Text(), "(1__)5__-____");
  EXPECT_EQ(E.Beeps, 0);
  E.TypeText("551234");
  EXPECT_EQ(E.Text(), "(1__)555-1234");
  EXPECT_EQ(E.SelStart(), 13);
  EXPECT_TRUE(E.Mode->IsTextValid(E.Text()));   // 9 is optional
  EXPECT_FALSE(E.Mode->IsTextValid("(123)5_5-1234"));
  EXPECT_EQ(E.Mode->GetTextWithoutBlanks("(1__)555-1234"), "(1  )555-1234");
}

TEST(MaskEditStandardMode, DeleteBackspaceAndCaretMoves) {
  TFakeEditor E(emkStandard, "(999)000-0000");
  E.SetText("(123)456-7890");
  // Backspace at the first position after the leading literal blanks it and
  // stays there.
  E.Click(1);
  E.Key(VK_BACK);
  EXPECT_EQ(E.Text(), "(_23)456-7890");
  EXPECT_EQ(E.SelStart(), 1);
  // Backspace after a literal steps over it.
  E.Click(9);
  E.Key(VK_BACK);
  EXPECT_EQ(E.Text(), "(_23)45_-7890");
  EXPECT_EQ(E.SelStart(), 7);
  // Delete over a selection with literals blanks only the digit positions.
  E.Select(3, 6);
  E.Key(VK_DELETE);
  EXPECT_EQ(E.Text(), "(_2_)___-7890");
  EXPECT_EQ(E.SelStart(), 3);
  // Home skips the leading literal; Left and Right jump over literals.
  E.Key(VK_HOME);
  EXPECT_EQ(E.SelStart(), 1);
  E.Click(3);
  E.Key(VK_RIGHT);
  EXPECT_EQ(E.SelStart(), 5);
  E.Key(VK_LEFT);
  EXPECT_EQ(E.SelStart(), 3);
  E.Key(VK_END);
  EXPECT_EQ(E.SelStart(), 13);
}

TEST(MaskEditStandardMode, DateMaskAndValues) {
  TFakeEditor E(emkStandard, "!9999/99/99;1; ");
  EXPECT_EQ(E.Text(), "    -  -  ");
  E.Click(0);
  E.TypeText("20240229");
  EXPECT_EQ(E.Text(), "2024-02-29");
  EXPECT_TRUE(E.Mode->IsTextValid(E.Text()));
  EXPECT_EQ(E.Mode->EmptyEditValue(), "    -  -  ");
  // Without an editor the mode only compiles and formats.
  TFakeProperties P;
  TcxMaskEditStandardMode M(nullptr, &P);
  M.CompileMask("000-000;0");
  EXPECT_EQ(M.FormatMaskedText("123456", false), "123-456");
  EXPECT_EQ(M.GetTextWithoutBlanks("123-456"), "123456");
  EXPECT_EQ(M.EmptyEditValue(), "      ");
}

TEST(MaskEditRegExprMode, DigitsOnly) {
  TFakeEditor E(emkRegExpr, "\\d+");
  E.SetText("12");
  E.Click(1);
  E.Type('a');
  EXPECT_EQ(E.Text(), "12");
  EXPECT_EQ(E.Beeps, 1);
  E.Type('5');   // the tail "2" still fits
  EXPECT_EQ(E.Text(), "152");
  EXPECT_EQ(E.SelStart(), 2);
  E.Props.Beep = false;
  E.Type('x');
  EXPECT_EQ(E.Beeps, 1);
  E.Key(VK_BACK);
  EXPECT_EQ(E.Text(), "12");
  EXPECT_TRUE(E.Mode->IsTextValid("123"));
  EXPECT_FALSE(E.Mode->IsTextValid("12a"));
  EXPECT_EQ(E.Mode->FormatMaskedText("1a2b3"), "123");
}

TEST(MaskEditRegExprMode, TailThatNoLongerFitsIsDropped) {
  TFakeEditor E(emkRegExpr, "\\d\\d");
  E.SetText("12");
  E.Click(1);
  E.Type('5');
  EXPECT_EQ(E.Text(), "15");
  // Replacing a selection whose tail no longer fits.
  TFakeEditor F(emkRegExpr, "a\\db");
  F.SetText("a1b");
  F.Select(1, 1);
  F.Type('7');
  EXPECT_EQ(F.Text(), "a7b");
  F.Select(0, 1);
  F.Type('a');
  EXPECT_EQ(F.Text(), "a7b");
  // Deleting a character the rest depends on drops the rest.
  TFakeEditor G(emkRegExpr, "x\\d*y?");
  G.SetText("x12y");
  G.Click(0);
  G.Key(VK_DELETE);
  EXPECT_EQ(G.Text(), "");
}

TEST(MaskEditRegExprMode, CompileErrorsBecomeMaskEditErrors) {
  TFakeProperties P;
  TcxMaskEditRegExprMode M(nullptr, &P);
  try {
    M.CompileMask("(a|)\r\n[z-a]");
    FAIL();
  } catch (EcxMaskEditError& E) {
    EXPECT_EQ(E.Message(),
              "Regular expression errors:\r\n"
              "Line1, Char4: The block should not be empty\r\n"
              "Line2, Char4: The starting character of the subrange must be less than the finishing one");
  }
}

TEST(MaskEditRegExprExMode, TimeSeparatorComesAndGoesWithTheDigit) {
  TFakeEditor E(emkRegExprEx, "\\d\\d:\\d\\d");
  EXPECT_EQ(E.Text(), "");
  E.TypeText("12");
  EXPECT_EQ(E.Text(), "12:");
  EXPECT_EQ(E.SelStart(), 3);
  E.TypeText("3");
  EXPECT_EQ(E.Text(), "12:3");
  E.Key(VK_BACK);
  EXPECT_EQ(E.Text(), "12:");
  E.Key(VK_BACK);   // the separator and the second digit together
  EXPECT_EQ(E.Text(), "1");
  EXPECT_EQ(E.SelStart(), 1);
  E.TypeText("7x");
  EXPECT_EQ(E.Text(), "17:");
  EXPECT_EQ(E.Beeps, 1);
  E.TypeText("45");
  EXPECT_EQ(E.Text(), "17:45");
  EXPECT_TRUE(E.Mode->IsTextValid(E.Text()));
  EXPECT_FALSE(E.Mode->IsTextValid("17:4"));
  EXPECT_EQ(E.Mode->FormatMaskedText("09"), "09:");
}

TEST(MaskEditRegExprExMode, ForcedPrefixIsTheEmptyValue) {
  TFakeEditor E(emkRegExprEx, "'ID-'\\d+");
  EXPECT_EQ(E.Mode->EmptyEditValue(), "ID-");
  E.SetText("ID-");
  E.Click(3);
  E.Key(VK_BACK);
  EXPECT_EQ(E.Text(), "ID-");
  EXPECT_EQ(E.Beeps, 1);
  E.TypeText("42");
  EXPECT_EQ(E.Text(), "ID-42");
  E.Key(VK_BACK);
  E.Key(VK_BACK);
  EXPECT_EQ(E.Text(), "ID-");
  EXPECT_TRUE(E.Mode->IsTextValid("ID-"));
  // Without an editor the pending value is the forced prefix.
  TFakeProperties P;
  TcxMaskEditRegExprExMode M(nullptr, &P);
  M.CompileMask("'No.'\\d");
  TFakeEditor Host(emkStandard, "");
  EXPECT_EQ(M.EmptyEditValue(), "No.");
}

TEST(MaskEditRegExprExMode, DateMaskOfTheFormatController) {
  TFakeEditor E(emkRegExprEx, cxGetFormatController()->DateRegExprMask);
  E.TypeText("2024");
  EXPECT_EQ(E.Text(), "2024-");   // the separator follows by itself
  E.TypeText("0515");
  EXPECT_EQ(E.Text(), "2024-05-15");
  EXPECT_TRUE(E.Mode->IsTextValid(E.Text()));
  E.Key(VK_BACK);
  E.Key(VK_BACK);
  EXPECT_EQ(E.Text(), "2024-05-");
  E.Key(VK_BACK);   // the separator goes with the digit before it
  EXPECT_EQ(E.Text(), "2024-0");
  // A smart-input word is typed as it is.
  TFakeEditor W(emkRegExprEx, cxGetFormatController()->DateRegExprMask);
  W.TypeText("eom-1");
  EXPECT_EQ(W.Text(), "eom-1");
  EXPECT_TRUE(W.Mode->IsTextValid(W.Text()));
}

TEST(MaskEditRegExprExMode, TypingOverTheForcedPrefixKeepsItAndGoesOn) {
  // Selecting part of a forced prefix and typing: the prefix stays, the
  // character is tried after it.
  struct Case {
    const char* mask;
    const char* text;
    Integer start;
    const char* typed;
    const char* result;
    int beeps;
  } cases[] = {
      {"ab", "ab", 0, "x", "ab", 1},
      {"ab", "ab", 1, "x", "ab", 1},
      {"'ID-'\\d", "ID-", 0, "x", "ID-", 1},
      {"'ID-'\\d", "ID-", 1, "7", "ID-7", 0},
      {"'ID-'\\d", "ID-4", 0, "7", "ID-7", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(String(c.mask) + " at " + std::to_string(c.start));
    TFakeEditor E(emkRegExprEx, c.mask);
    E.SetText(c.text);
    E.Select(c.start, 1);
    E.TypeText(c.typed);
    EXPECT_EQ(E.Text(), c.result);
    EXPECT_EQ(E.Beeps, c.beeps);
  }
  // Backspace over a selection of the prefix leaves the prefix.
  TFakeEditor E(emkRegExprEx, "ab");
  E.SetText("ab");
  E.Select(0, 1);
  E.Key(VK_BACK);
  EXPECT_EQ(E.Text(), "ab");
}
