#include "Utf8.h"

namespace {

bool IsTrail(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed sequence at `pos` and its code point; 0 when the
// bytes there are not a well-formed character.
size_t DecodeAt(const String& s, size_t pos, char32_t& cp) {
  const size_t n = s.size();
  const unsigned char c = static_cast<unsigned char>(s[pos]);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  size_t len;
  char32_t min;
  if ((c & 0xE0) == 0xC0) {
    len = 2, cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3, cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4, cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (pos + len > n) return 0;
  for (size_t i = 1; i < len; ++i) {
    const unsigned char t = static_cast<unsigned char>(s[pos + i]);
    if (!IsTrail(t)) return 0;
    cp = (cp << 6) | (t & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

size_t Utf8NextChar(const String& s, size_t pos) {
  if (pos >= s.size()) return s.size();
  char32_t cp;
  const size_t len = DecodeAt(s, pos, cp);
  return pos + (len ? len : 1);
}

size_t Utf8CharStart(const String& s, size_t pos) {
  if (pos >= s.size()) return s.size();
  // Back over at most three trail bytes to a lead byte whose sequence covers
  // `pos`; otherwise the byte stands alone.
  size_t start = pos;
  for (int i = 0; i < 3 && start > 0 && IsTrail(static_cast<unsigned char>(s[start])); ++i) --start;
  char32_t cp;
  const size_t len = DecodeAt(s, start, cp);
  return (len && start + len > pos) ? start : pos;
}

size_t Utf8PrevChar(const String& s, size_t pos) {
  if (pos == 0) return 0;
  if (pos > s.size()) pos = s.size();
  return Utf8CharStart(s, pos - 1);
}

size_t Utf8Length(const String& s) {
  size_t count = 0;
  for (size_t p = 0; p < s.size(); p = Utf8NextChar(s, p)) ++count;
  return count;
}

size_t Utf8CharOffset(const String& s, size_t index) {
  size_t p = 0;
  for (; index > 0 && p < s.size(); --index) p = Utf8NextChar(s, p);
  return p;
}

String Utf8CharAt(const String& s, size_t index) {
  const size_t p = Utf8CharOffset(s, index);
  return s.substr(p, Utf8NextChar(s, p) - p);
}

String Utf8Left(const String& s, size_t count) { return s.substr(0, Utf8CharOffset(s, count)); }

char32_t Utf8Decode(const String& s, size_t& pos) {
  if (pos >= s.size()) return 0xFFFD;
  char32_t cp;
  const size_t len = DecodeAt(s, pos, cp);
  pos += len ? len : 1;
  return len ? cp : 0xFFFD;
}

void Utf8Append(String& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

String Utf8Encode(char32_t cp) {
  String out;
  Utf8Append(out, cp);
  return out;
}

bool Utf8IsValid(const String& s) {
  char32_t cp;
  for (size_t p = 0; p < s.size();) {
    const size_t len = DecodeAt(s, p, cp);
    if (!len) return false;
    p += len;
  }
  return true;
}

String Utf8Escaped(const String& s) {
  static const char kHex[] = "0123456789ABCDEF";
  String out;
  out.reserve(s.size());
  char32_t cp;
  for (size_t p = 0; p < s.size();) {
    const size_t len = DecodeAt(s, p, cp);
    if (len) {
      out.append(s, p, len);
      p += len;
    } else {
      const unsigned char b = static_cast<unsigned char>(s[p++]);
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(const String& s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t p = 0; p < s.size();) {
    const char32_t cp = Utf8Decode(s, p);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

String Utf16ToUtf8(const char16_t* s, size_t length) {
  String out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    Utf8Append(out, cp);   // a lone surrogate becomes U+FFFD
  }
  return out;
}

String Utf16ToUtf8(const std::u16string& s) { return Utf16ToUtf8(s.data(), s.size()); }

String Utf16ToUtf8(const char16_t* s) {
  if (!s) return String();
  size_t n = 0;
  while (s[n]) ++n;
  return Utf16ToUtf8(s, n);
}
