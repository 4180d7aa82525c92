// UTF-8 helpers. String holds UTF-8; code that walks text character by
// character steps over whole characters with these. Malformed bytes count as
// one character each and decode as U+FFFD, so no input makes a loop stall or
// read past the end. UTF-16 (std::u16string) is used only at the Win32
// boundary: cast `.c_str()` to LPCWSTR there.
#pragma once
#include <cstddef>
#include <string>
#include "System.h"

// Byte offset of the character after the one starting at `pos` (s.size() at
// the end).
size_t Utf8NextChar(const String& s, size_t pos);
// Byte offset of the start of the character before `pos` (0 at the start).
size_t Utf8PrevChar(const String& s, size_t pos);
// Byte offset of the start of the character containing byte `pos`.
size_t Utf8CharStart(const String& s, size_t pos);
// Number of characters.
size_t Utf8Length(const String& s);
// The character with the 0-based character index `index` ("" when beyond).
String Utf8CharAt(const String& s, size_t index);
// Byte offset of the character with the 0-based character index (s.size()
// when beyond).
size_t Utf8CharOffset(const String& s, size_t index);
// Decodes the character at `pos` and advances `pos` past it; U+FFFD for a
// malformed sequence (advancing one byte).
char32_t Utf8Decode(const String& s, size_t& pos);
// Encodes a code point; surrogates and values above U+10FFFF give U+FFFD.
String Utf8Encode(char32_t cp);
void Utf8Append(String& out, char32_t cp);
// True when `s` is well-formed UTF-8 (no overlongs, surrogates or values
// above U+10FFFF).
bool Utf8IsValid(const String& s);
// The text with every byte that is not part of a well-formed character
// written as \xNN: bytes from a file or stream quoted in a message stay
// valid text, and well-formed text is returned unchanged.
String Utf8Escaped(const String& s);
// Leading `count` characters, never cutting a character in two.
String Utf8Left(const String& s, size_t count);

std::u16string Utf8ToUtf16(const String& s);
String Utf16ToUtf8(const std::u16string& s);
String Utf16ToUtf8(const char16_t* s, size_t length);
String Utf16ToUtf8(const char16_t* zeroTerminated);
