#include "cxTextChars.h"
#include "Utf8.h"

TcxChars cxUtf8ToChars(const String& S) {
  TcxChars R;
  R.reserve(S.size());
  size_t Pos = 0;
  while (Pos < S.size()) R.push_back(Utf8Decode(S, Pos));
  return R;
}

String cxCharToUtf8(char32_t Ch) { return Utf8Encode(Ch); }

String cxCharsToUtf8(const TcxChars& S) {
  String R;
  R.reserve(S.size());
  for (char32_t c : S) Utf8Append(R, c);
  return R;
}

Integer cxCharCount(const String& S) { return static_cast<Integer>(cxUtf8ToChars(S).size()); }

char32_t cxUpperAscii(char32_t c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }
char32_t cxLowerAscii(char32_t c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool cxIsMaskWhiteSpace(char32_t c) {
  return c == ' ' || c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool cxIsBlankMask(const String& Mask) {
  for (char c : Mask)
    if (!cxIsMaskWhiteSpace(static_cast<unsigned char>(c))) return false;
  return true;
}
