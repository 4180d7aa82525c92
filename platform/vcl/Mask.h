// Masked edits with the class library's edit-mask syntax:
//   "mask;save literals;blank"   e.g. "0000-00-00;1;_"
//   0 digit, 9 optional digit, # optional digit or sign, L letter,
//   l optional letter, A letter or digit, a optional letter or digit,
//   C any character, c optional any character, > upper case, < lower case,
//   <> no case change, \ next character literal, ! optional characters
//   blank at the start, : and / the time and date separators, anything else
//   a literal.
#pragma once
#include <vector>
#include "StdCtrls.h"

TOVANI_EXCEPTION(EDBEditError, Exception)

// A parsed mask.
class TEditMaskInfo {
 public:
  explicit TEditMaskInfo(const String& Mask = String());
  bool Empty() const { return FPositions.empty(); }
  Integer Length() const { return Integer(FPositions.size()); }
  bool SaveLiterals() const { return FSaveLiterals; }
  char32_t BlankChar() const { return FBlank; }
  bool IsLiteral(Integer Pos) const { return FPositions[size_t(Pos)].Kind == 0; }
  // The character as typed at a position: 0 when it is not allowed there.
  char32_t Accept(Integer Pos, char32_t Ch) const;
  // The empty edit text: literals and blanks.
  std::u32string BlankText() const;
  // Edit text from a value (with or without literals as SaveLiterals says).
  std::u32string EditTextOf(const std::u32string& Value) const;
  // The value of an edit text: blanks as spaces, literals kept or left out.
  std::u32string ValueOf(const std::u32string& EditText) const;
  // The first required position that is blank, or -1.
  Integer FirstMissing(const std::u32string& EditText) const;

 private:
  struct Position {
    int Kind = 0;           // 0 literal, else the mask character
    char32_t Literal = 0;
    int Case = 0;           // 1 upper, -1 lower
    bool Required = false;
  };
  std::vector<Position> FPositions;
  bool FSaveLiterals = true;
  char32_t FBlank = U'_';
};

// Formats a value with a mask (the class library's FormatMaskText).
String FormatMaskText(const String& EditMask, const String& Value);

class TCustomMaskEdit : public TCustomEdit {
  TOVANI_CLASS(TCustomMaskEdit, TCustomEdit)
 public:
  explicit TCustomMaskEdit(TComponent* AOwner = nullptr);
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& v);
  bool IsMasked() const { return !FMask.Empty(); }
  // The text as shown, with literals and blank characters.
  String EditText();
  void SetEditText(const String& v);
  // Raises EDBEditError when a required character is missing (and moves the caret there).
  virtual void ValidateEdit();
  void Clear();

 protected:
  String GetText() override;
  void SetTextValue(const String& v) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char32_t& Key) override;
  void Dispatch(TMessage& Message) override;
  // The edit may be changed (the data-aware edits start editing here).
  virtual bool EditCanModify() { return true; }
  virtual void Reset();
  void SetCursor(Integer Pos);
  std::u32string WindowChars();
  void SetWindowChars(const std::u32string& s, Integer caret, bool byUser = false);

 private:
  Integer NextInput(Integer Pos, bool Forward);
  void ClearRange(Integer Start, Integer End);
  String FEditMask;
  TEditMaskInfo FMask;
  bool FSettingText = false;
};

class TMaskEdit : public TCustomMaskEdit {
  TOVANI_CLASS(TMaskEdit, TCustomMaskEdit)
 public:
  explicit TMaskEdit(TComponent* AOwner = nullptr) : TCustomMaskEdit(AOwner) {}
};
