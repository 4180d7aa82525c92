// Conversion between UTF-8 and the 8-bit code pages of stored and exchanged
// formats, chiefly code page 936 (GBK, the Simplified Chinese Windows code
// page), through ICU.
//
// Invalid input never fails: a malformed or unmappable byte sequence read
// from a code page becomes U+FFFD, a malformed UTF-8 or UTF-16 sequence
// becomes U+FFFD, and a character the code page cannot represent is written
// as "?" (as Windows writes its default character).
#pragma once
#include <string>
#include "System.h"

constexpr int CP_GBK = 936;

// Code page `codePage` bytes -> UTF-8. Supports 936, 65001 (UTF-8: the text
// is only repaired) and the "windows-N" code pages ICU knows; an unknown code
// page raises EConvertError.
String CodePageToUtf8(const std::string& bytes, int codePage);
std::string Utf8ToCodePage(const String& text, int codePage);

String GbkToUtf8(const std::string& bytes);
std::string Utf8ToGbk(const String& text);
std::u16string GbkToUtf16(const std::string& bytes);
std::string Utf16ToGbk(const std::u16string& text);
