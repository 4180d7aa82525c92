#include "cxTextChars.h"

TcxChars cxUtf8ToChars(const String& S) {
  TcxChars R;
  R.reserve(S.size());
  size_t i = 0, n = S.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    char32_t cp;
    size_t len;
    if (c < 0x80) { cp = c; len = 1; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
    else { R.push_back(0xFFFD); ++i; continue; }   // stray trail byte
    if (i + len > n) { R.push_back(0xFFFD); break; }
    bool ok = true;
    for (size_t k = 1; k < len; ++k) {
      unsigned char t = static_cast<unsigned char>(S[i + k]);
      if ((t & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (t & 0x3F);
    }
    if (!ok) { R.push_back(0xFFFD); ++i; continue; }
    R.push_back(cp);
    i += len;
  }
  return R;
}

String cxCharToUtf8(char32_t c) {
  String R;
  if (c < 0x80) R += static_cast<char>(c);
  else if (c < 0x800) {
    R += static_cast<char>(0xC0 | (c >> 6));
    R += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    R += static_cast<char>(0xE0 | (c >> 12));
    R += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    R += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    R += static_cast<char>(0xF0 | (c >> 18));
    R += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    R += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    R += static_cast<char>(0x80 | (c & 0x3F));
  }
  return R;
}

String cxCharsToUtf8(const TcxChars& S) {
  String R;
  R.reserve(S.size());
  for (char32_t c : S) R += cxCharToUtf8(c);
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
