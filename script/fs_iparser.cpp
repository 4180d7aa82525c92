// Tokenizer of the script engine.
#include "fs_iparser.h"

#include <algorithm>
#include <cstring>

#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS(TfsParser, TObject)

namespace {

String UpperAscii(const String& s) {
  String r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return r;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

void SplitPair(const String& value, String& open, String& close) {
  size_t comma = value.find(',');
  if (comma == String::npos) {
    open = value;
    close.clear();
  } else {
    open = value.substr(0, comma);
    close = value.substr(comma + 1);
  }
}

void AppendByteOrCode(String& out, unsigned code) {
  if (code < 0x100) {
    out += char(code);
    return;
  }
  // Codes beyond one byte are written as UTF-8, the engine's text encoding.
  if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x110000) {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += '?';
  }
}

}  // namespace

TfsParser::TfsParser() {
  ResetSettings();
  SetSourceText(String());
}

void TfsParser::ResetSettings() {
  ClearKeywords();
  CaseSensitive = false;
  CommentLine1 = "//";
  CommentLine2.clear();
  SetCommentBlock1("{,}");
  SetCommentBlock2("(*,*)");
  StringQuote = '\'';
  HexSequence = "$";
  SetIdentChars("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_");
  SkipChar = 0;
  SkipEOL = true;
}

void TfsParser::SetSourceText(const String& Text) {
  FSource = Text;
  FText = Text;
  FText += '\0';
  FPos = FTokenStart = 1;
  FLines.clear();
  FLines.push_back(0);
  for (size_t i = 0; i < Text.size(); ++i)
    if (Text[i] == '\n') FLines.push_back(Integer(i + 1));
}

void TfsParser::AddKeyword(const String& Word) {
  auto it = std::lower_bound(FKeywords.begin(), FKeywords.end(), Word,
                             [](const String& a, const String& b) { return CompareText(a, b) < 0; });
  FKeywords.insert(it, Word);
  FKeywordsUpper.insert(UpperAscii(Word));
}

void TfsParser::ClearKeywords() {
  FKeywords.clear();
  FKeywordsUpper.clear();
}

void TfsParser::SetCommentBlock1(const String& Value) { SplitPair(Value, FBlock1Open, FBlock1Close); }
void TfsParser::SetCommentBlock2(const String& Value) { SplitPair(Value, FBlock2Open, FBlock2Close); }

void TfsParser::SetIdentChars(const String& Chars) {
  std::memset(FIdentChars, 0, sizeof FIdentChars);
  for (char c : Chars) FIdentChars[static_cast<unsigned char>(c)] = true;
}

void TfsParser::AddIdentChars(Integer From, Integer To) {
  for (Integer c = std::max(From, 0); c <= std::min(To, 255); ++c) FIdentChars[c] = true;
}

bool TfsParser::StartsWith(Integer Pos, const String& S) const {
  if (S.empty() || Pos < 1) return false;
  return FText.compare(size_t(Pos - 1), S.size(), S) == 0;
}

void TfsParser::SkipBlanks() {
  const Integer size = Size();
  for (;;) {
    while (FPos <= size) {
      unsigned char c = static_cast<unsigned char>(At(FPos));
      if (c > 32 || (c == 13 && !SkipEOL)) break;
      ++FPos;
    }
    if (SkipChar && FPos <= size && At(FPos) == SkipChar) {
      ++FPos;
      ReadLineEnd();
      continue;
    }
    if (FPos < size) {
      if (StartsWith(FPos, CommentLine1) || StartsWith(FPos, CommentLine2)) {
        while (FPos <= size && At(FPos) != '\n') ++FPos;
        continue;
      }
      const String* close = nullptr;
      if (!FBlock1Open.empty() && StartsWith(FPos, FBlock1Open)) close = &FBlock1Close;
      else if (!FBlock2Open.empty() && StartsWith(FPos, FBlock2Open)) close = &FBlock2Close;
      if (close) {
        FPos += Integer(close->size());
        while (FPos <= size && !StartsWith(FPos, *close)) ++FPos;
        FPos += Integer(close->size());
        if (close->empty() || FPos > size + 1) FPos = size + 1;   // unclosed: runs to the end
        continue;
      }
    }
    break;
  }
  FTokenStart = FPos;
}

bool TfsParser::ReadLineEnd() {
  SkipBlanks();
  char c = At(FPos);
  if (FPos > Size() || (c != '\r' && c != '\n')) return false;
  while (FPos <= Size() && (At(FPos) == '\r' || At(FPos) == '\n')) ++FPos;
  return true;
}

String TfsParser::ReadPunctuation() {
  if (FPos > Size()) return String();
  unsigned char c = static_cast<unsigned char>(At(FPos));
  if ((c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126)) {
    FTokenStart = FPos;
    ++FPos;
    return String(1, char(c));
  }
  return String();
}

String TfsParser::ReadWord() {
  SkipBlanks();
  if (FPos > Size()) return String();
  char c = At(FPos);
  if (!IsIdentChar(c) || IsDigit(c)) return String();
  while (FPos <= Size() && IsIdentChar(At(FPos))) ++FPos;
  return FText.substr(size_t(FTokenStart - 1), size_t(FPos - FTokenStart));
}

String TfsParser::ReadIdentifier() {
  String w = ReadWord();
  if (!w.empty() && IsReservedWord(w)) return String();
  return w;
}

bool TfsParser::IsReservedWord(const String& Word) const {
  if (!CaseSensitive) return FKeywordsUpper.count(UpperAscii(Word)) != 0;
  return std::find(FKeywords.begin(), FKeywords.end(), Word) != FKeywords.end();
}

// Step 1 of a number: decimal digits, or the hexadecimal prefix and hex digits.
bool TfsParser::ReadIntegerPart(bool& IsHex) {
  Integer start = FPos;
  IsHex = false;
  if (!HexSequence.empty() && StartsWith(FPos, HexSequence)) {
    FPos += Integer(HexSequence.size());
    if (FPos > Size() || !IsHexDigit(At(FPos))) {
      FPos = start;
      return false;
    }
    while (FPos <= Size() && IsHexDigit(At(FPos))) ++FPos;
    IsHex = true;
    return true;
  }
  if (FPos > Size() || !IsDigit(At(FPos))) return false;
  while (FPos <= Size() && IsDigit(At(FPos))) ++FPos;
  return true;
}

String TfsParser::ReadNumber() {
  SkipBlanks();
  bool hex;
  if (!ReadIntegerPart(hex)) return String();
  if (!hex && At(FPos) == '.' && IsDigit(At(FPos + 1))) {
    FPos += 1;
    while (FPos <= Size() && IsDigit(At(FPos))) ++FPos;
    char e = At(FPos);
    if (e == 'e' || e == 'E') {
      Integer p = FPos + 1;
      if (At(p) == '+' || At(p) == '-') ++p;
      if (IsDigit(At(p))) {
        while (IsDigit(At(p))) ++p;
        FPos = p;
      }
    }
  }
  String token = FText.substr(size_t(FTokenStart - 1), size_t(FPos - FTokenStart));
  if (HexSequence != "$" && !HexSequence.empty()) token = StringReplace(token, HexSequence, "$", {rfReplaceAll});
  return token;
}

String TfsParser::ReadStringLiteral() {
  SkipBlanks();
  const bool escapes = StringQuote == '"';
  String value;
  bool any = false;
  for (;;) {
    char c = At(FPos);
    if (FPos <= Size() && c == StringQuote) {
      Integer start = FPos;
      ++FPos;
      String part;
      bool closed = false;
      for (;;) {
        unsigned char ch = static_cast<unsigned char>(At(FPos));
        if (FPos > Size() || (ch < 32 && ch != 9)) break;
        if (escapes && ch == '\\') {
          ++FPos;
          char n = At(FPos);
          if (FPos > Size()) break;
          ++FPos;
          if (n == 'n' || n == 'N') {
            part += '\n';
          } else if (n == 'r' || n == 'R') {
            part += '\r';
          } else if (n == 'x' || n == 'X') {
            unsigned code = 0;
            bool digits = false;
            while (IsHexDigit(At(FPos)) && FPos <= Size()) {
              char h = At(FPos++);
              code = code * 16 + unsigned(IsDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
              if (code > 0x10FFFF) code = 0x110000;
              digits = true;
            }
            if (digits) AppendByteOrCode(part, code);
          } else {
            part += n;
          }
          continue;
        }
        if (ch == static_cast<unsigned char>(StringQuote)) {
          if (!escapes && At(FPos + 1) == StringQuote && FPos + 1 <= Size()) {
            part += StringQuote;
            FPos += 2;
            continue;
          }
          ++FPos;
          closed = true;
          break;
        }
        part += char(ch);
        ++FPos;
      }
      if (!closed) {
        FPos = start;
        break;
      }
      value += part;
      any = true;
    } else if (FPos <= Size() && c == '#') {
      Integer start = FPos;
      ++FPos;
      bool hex;
      Integer numStart = FPos;
      if (!ReadIntegerPart(hex)) {
        FPos = start;
        break;
      }
      String digits = FText.substr(size_t(numStart - 1), size_t(FPos - numStart));
      unsigned code = 0;
      if (hex) {
        for (char h : digits.substr(HexSequence.size())) {
          code = code * 16 + unsigned(IsDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
          if (code > 0x10FFFF) code = 0x110000;
        }
      } else {
        for (char d : digits) {
          code = code * 10 + unsigned(d - '0');
          if (code > 0x10FFFF) code = 0x110000;
        }
      }
      AppendByteOrCode(value, code);
      any = true;
    } else {
      break;
    }
  }
  if (!any) return String();
  return "'" + value + "'";
}

String TfsParser::ReadBracketText() {
  Integer start = FPos;
  int depth = 1;
  bool inDouble = false, inSingle = false;
  while (FPos <= Size()) {
    char c = At(FPos);
    if (c == '"' && !inSingle) {
      inDouble = !inDouble;
    } else if (c == '\'' && !inDouble) {
      inSingle = !inSingle;
    } else if (!inDouble && !inSingle) {
      if (c == '<' || c == '[') {
        ++depth;
      } else if (c == '>' || c == ']') {
        if (--depth == 0) break;
      }
    }
    ++FPos;
  }
  return FText.substr(size_t(start - 1), size_t(FPos - start));
}

void TfsParser::LineColumnAt(Integer Pos, Integer& Line, Integer& Column) const {
  auto it = std::lower_bound(FLines.begin(), FLines.end(), Pos);
  Line = Integer(it - FLines.begin());
  if (Line < 1) Line = 1;
  Column = Pos - FLines[size_t(Line - 1)];
}

String TfsParser::PositionTextAt(Integer Pos) const {
  Integer line, column;
  LineColumnAt(Pos, line, column);
  return IntToStr(line) + ":" + IntToStr(column);
}

Integer TfsParser::OffsetOfLineColumn(Integer Column, Integer Line) const {
  if (Line < 1 || Line > Integer(FLines.size())) return -1;
  return FLines[size_t(Line - 1)] + Column;
}
