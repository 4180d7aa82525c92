// Character stepping for the mask engines. Text is UTF-8; a mask position,
// a selection index and a typed key all count whole characters, so the
// engines work on code points and convert at their edges.
#pragma once
#include <string>
#include "System.h"

using TcxChars = std::u32string;

TcxChars cxUtf8ToChars(const String& S);
String cxCharsToUtf8(const TcxChars& S);
String cxCharToUtf8(char32_t Ch);
// Number of characters of a UTF-8 text.
Integer cxCharCount(const String& S);
// ASCII-only case mapping: the masks convert only a-z / A-Z.
char32_t cxUpperAscii(char32_t Ch);
char32_t cxLowerAscii(char32_t Ch);
// Space, #0, tab, line feed, form feed, carriage return.
bool cxIsMaskWhiteSpace(char32_t Ch);
bool cxIsBlankMask(const String& Mask);
