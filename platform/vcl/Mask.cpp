#include "Mask.h"
#include <algorithm>
#include "FormatSettings.h"
#include "Utf8.h"
#include "VclUtils.h"

TOVANI_IMPLEMENT_CLASS(EDBEditError, Exception)
TOVANI_IMPLEMENT_CLASS(TCustomMaskEdit, TCustomEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMaskEdit, TCustomMaskEdit)

TOVANI_PUBLISHED(TMaskEdit) { Property("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask); }

namespace {

std::u32string ToChars(const String& s) {
  std::u32string out;
  size_t pos = 0;
  while (pos < s.size()) out.push_back(Utf8Decode(s, pos));
  return out;
}

String FromChars(const std::u32string& s) {
  String out;
  for (char32_t c : s) Utf8Append(out, c);
  return out;
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
// Letters: ASCII letters and every character beyond ASCII (Chinese counts as a letter).
bool IsLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c >= 0x80; }

char32_t Upper(char32_t c) { return c >= U'a' && c <= U'z' ? c - 32 : c; }
char32_t Lower(char32_t c) { return c >= U'A' && c <= U'Z' ? c + 32 : c; }

}  // namespace

TEditMaskInfo::TEditMaskInfo(const String& Mask) {
  std::u32string m = ToChars(Mask);
  // The mask part ends at the first ';' that no '\' escapes.
  size_t end = 0;
  for (; end < m.size(); ++end) {
    if (m[end] == U'\\') {
      ++end;
      continue;
    }
    if (m[end] == U';') break;
  }
  if (end < m.size()) {
    size_t second = m.find(U';', end + 1);
    std::u32string save = m.substr(end + 1, second == std::u32string::npos ? std::u32string::npos : second - end - 1);
    if (!save.empty()) FSaveLiterals = save[0] != U'0';
    if (second != std::u32string::npos && second + 1 < m.size()) FBlank = m[second + 1];
  }
  int caseMode = 0;
  for (size_t i = 0; i < end; ++i) {
    char32_t c = m[i];
    Position p;
    switch (c) {
      case U'!': continue;
      case U'>':
        if (i + 1 < end && m[i + 1] == U'<') {
          caseMode = 0;
          ++i;
        } else {
          caseMode = 1;
        }
        continue;
      case U'<': caseMode = -1; continue;
      case U'\\':
        if (i + 1 < end) {
          p.Literal = m[++i];
          FPositions.push_back(p);
        }
        continue;
      case U'0': case U'9': case U'#': case U'L': case U'l': case U'A': case U'a': case U'C': case U'c':
        p.Kind = int(c);
        p.Case = caseMode;
        p.Required = c == U'0' || c == U'L' || c == U'A' || c == U'C';
        FPositions.push_back(p);
        continue;
      case U':': p.Literal = char32_t(FormatSettings().TimeSeparator); break;
      case U'/': p.Literal = char32_t(FormatSettings().DateSeparator); break;
      case U'_': p.Literal = U' '; break;
      default: p.Literal = c; break;
    }
    FPositions.push_back(p);
  }
}

char32_t TEditMaskInfo::Accept(Integer Pos, char32_t Ch) const {
  if (Pos < 0 || Pos >= Length()) return 0;
  const Position& p = FPositions[size_t(Pos)];
  bool ok = false;
  switch (p.Kind) {
    case '0': case '9': ok = IsDigit(Ch); break;
    case '#': ok = IsDigit(Ch) || Ch == U'+' || Ch == U'-'; break;
    case 'L': case 'l': ok = IsLetter(Ch); break;
    case 'A': case 'a': ok = IsLetter(Ch) || IsDigit(Ch); break;
    case 'C': case 'c': ok = Ch >= 32; break;
    default: return 0;
  }
  if (!ok) return 0;
  return p.Case > 0 ? Upper(Ch) : p.Case < 0 ? Lower(Ch) : Ch;
}

std::u32string TEditMaskInfo::BlankText() const {
  std::u32string s;
  for (const Position& p : FPositions) s.push_back(p.Kind == 0 ? p.Literal : FBlank);
  return s;
}

std::u32string TEditMaskInfo::EditTextOf(const std::u32string& Value) const {
  std::u32string s = BlankText();
  size_t v = 0;
  for (size_t i = 0; i < FPositions.size() && v < Value.size(); ++i) {
    const Position& p = FPositions[i];
    if (p.Kind == 0) {
      // A value with literals carries them in place.
      if (FSaveLiterals && Value[v] == p.Literal) ++v;
      continue;
    }
    char32_t c = Value[v++];
    char32_t a = Accept(Integer(i), c);
    s[i] = a ? a : FBlank;
  }
  return s;
}

std::u32string TEditMaskInfo::ValueOf(const std::u32string& EditText) const {
  std::u32string v;
  for (size_t i = 0; i < FPositions.size(); ++i) {
    const Position& p = FPositions[i];
    char32_t c = i < EditText.size() ? EditText[i] : FBlank;
    if (p.Kind == 0) {
      if (FSaveLiterals) v.push_back(p.Literal);
    } else {
      v.push_back(c == FBlank ? U' ' : c);
    }
  }
  // Trailing blanks of optional positions are dropped.
  while (!v.empty() && v.back() == U' ') v.pop_back();
  return v;
}

Integer TEditMaskInfo::FirstMissing(const std::u32string& EditText) const {
  for (size_t i = 0; i < FPositions.size(); ++i)
    if (FPositions[i].Required && (i >= EditText.size() || EditText[i] == FBlank || EditText[i] == U' ')) return Integer(i);
  return -1;
}

String FormatMaskText(const String& EditMask, const String& Value) {
  TEditMaskInfo info(EditMask);
  if (info.Empty()) return Value;
  return FromChars(info.ValueOf(info.EditTextOf(ToChars(Value))));
}

// ---------------------------------------------------------------------------

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

std::u32string TCustomMaskEdit::WindowChars() { return ToChars(TCustomEdit::GetText()); }

void TCustomMaskEdit::SetWindowChars(const std::u32string& s, Integer caret, bool byUser) {
  FSettingText = true;
  TCustomEdit::SetTextValue(FromChars(s));
  FSettingText = false;
  Perform(CM_TEXTCHANGED);
  if (byUser) SetModified(true);
  SetCursor(caret);
}

void TCustomMaskEdit::SetEditMask(const String& v) {
  String value = GetText();
  FEditMask = v;
  FMask = TEditMaskInfo(v);
  if (IsMasked()) {
    SetMaxLength(FMask.Length());
    SetWindowChars(FMask.EditTextOf(ToChars(value)), 0);
  } else {
    SetMaxLength(0);
    TCustomEdit::SetTextValue(value);
  }
}

String TCustomMaskEdit::EditText() { return TCustomEdit::GetText(); }

void TCustomMaskEdit::SetEditText(const String& v) {
  if (!IsMasked()) {
    TCustomEdit::SetTextValue(v);
    return;
  }
  std::u32string chars = ToChars(v);
  chars.resize(size_t(FMask.Length()), FMask.BlankChar());
  SetWindowChars(chars, 0);
}

String TCustomMaskEdit::GetText() {
  if (!IsMasked()) return TCustomEdit::GetText();
  return FromChars(FMask.ValueOf(WindowChars()));
}

void TCustomMaskEdit::SetTextValue(const String& v) {
  if (!IsMasked() || FSettingText) {
    TCustomEdit::SetTextValue(v);
    return;
  }
  FSettingText = true;
  TCustomEdit::SetTextValue(FromChars(FMask.EditTextOf(ToChars(v))));
  FSettingText = false;
}

void TCustomMaskEdit::Clear() { SetText(""); }

void TCustomMaskEdit::Reset() { SetModified(false); }

void TCustomMaskEdit::SetCursor(Integer Pos) {
  if (!HandleAllocated()) return;
  // The window counts UTF-16 units.
  std::u32string chars = WindowChars();
  Integer units = 0;
  for (Integer i = 0; i < Pos && i < Integer(chars.size()); ++i) units += chars[size_t(i)] > 0xFFFF ? 2 : 1;
  SendMessageW(Handle(), EM_SETSEL, WPARAM(units), LPARAM(units));
}

Integer TCustomMaskEdit::NextInput(Integer Pos, bool Forward) {
  if (Forward) {
    while (Pos < FMask.Length() && FMask.IsLiteral(Pos)) ++Pos;
    return Pos;
  }
  while (Pos >= 0 && FMask.IsLiteral(Pos)) --Pos;
  return Pos;
}

void TCustomMaskEdit::ClearRange(Integer Start, Integer End) {
  std::u32string chars = WindowChars();
  std::u32string blank = FMask.BlankText();
  for (Integer i = Start; i < End && i < Integer(chars.size()); ++i) chars[size_t(i)] = blank[size_t(i)];
  SetWindowChars(chars, Start, true);
  Change();
}

namespace {
// Selection in characters from the window's UTF-16 selection.
void CharSelection(HWND h, const std::u32string& chars, Integer& start, Integer& end) {
  DWORD s = 0, e = 0;
  SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  Integer units = 0;
  start = end = Integer(chars.size());
  for (Integer i = 0; i <= Integer(chars.size()); ++i) {
    if (DWORD(units) == s && start == Integer(chars.size())) start = i;
    if (DWORD(units) == e) {
      end = i;
      break;
    }
    if (i < Integer(chars.size())) units += chars[size_t(i)] > 0xFFFF ? 2 : 1;
  }
  if (start > end) start = end;
}
}  // namespace

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (!IsMasked() || Key == 0 || ReadOnly()) return;
  if (Key == VK_DELETE) {
    if (!EditCanModify()) {
      Key = 0;
      return;
    }
    std::u32string chars = WindowChars();
    Integer s, e;
    CharSelection(Handle(), chars, s, e);
    ClearRange(s, e == s ? s + 1 : e);
    Key = 0;
  }
}

void TCustomMaskEdit::KeyPress(char32_t& Key) {
  TCustomEdit::KeyPress(Key);
  if (!IsMasked() || Key == 0) return;
  if (Key == 27) {
    Reset();
    Key = 0;
    return;
  }
  if (ReadOnly()) return;
  std::u32string chars = WindowChars();
  Integer s, e;
  CharSelection(Handle(), chars, s, e);
  if (Key == 8) {   // backspace: the previous input character becomes blank
    Key = 0;
    if (!EditCanModify()) return;
    if (e > s) {
      ClearRange(s, e);
      return;
    }
    Integer p = NextInput(s - 1, false);
    if (p >= 0) ClearRange(p, p + 1);
    return;
  }
  if (Key < 32) return;
  Integer p = NextInput(s, true);
  char32_t accepted = FMask.Accept(p, Key);
  Key = 0;
  if (!accepted) {
    MessageBeep(0);
    return;
  }
  if (!EditCanModify()) return;
  std::u32string blank = FMask.BlankText();
  for (Integer i = s; i < e && i < Integer(chars.size()); ++i) chars[size_t(i)] = blank[size_t(i)];
  chars[size_t(p)] = accepted;
  SetWindowChars(chars, NextInput(p + 1, true), true);
  Change();
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked()) return;
  Integer missing = FMask.FirstMissing(WindowChars());
  if (missing >= 0) {
    if (CanFocus()) SetFocus();
    SetCursor(missing);
    throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
  }
}

void TCustomMaskEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_EXIT:
      if (IsMasked() && Modified()) ValidateEdit();
      break;
    case WM_PASTE:
      if (IsMasked()) {
        // Pasted text is typed character by character through the mask.
        if (!OpenClipboard(Handle())) return;
        String text;
        if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
          text = vcl::FromUtf16(static_cast<const char16_t*>(GlobalLock(h)));
          GlobalUnlock(h);
        }
        CloseClipboard();
        for (char32_t c : ToChars(text)) {
          char32_t k = c;
          KeyPress(k);
        }
        return;
      }
      break;
    case WM_CUT:
    case WM_CLEAR:
      if (IsMasked()) {
        if (Message.Msg == WM_CUT) SendMessageW(Handle(), WM_COPY, 0, 0);
        std::u32string chars = WindowChars();
        Integer s, e;
        CharSelection(Handle(), chars, s, e);
        if (e > s && EditCanModify()) ClearRange(s, e);
        return;
      }
      break;
  }
  TCustomEdit::Dispatch(Message);
}
