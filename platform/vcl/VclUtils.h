// Internal helpers of the window library: text conversion at the Win32
// boundary (UTF-8 String <-> UTF-16) and small wrappers used by several units.
#pragma once
#include "VclWindows.h"
#include <string>
#include "System.h"
#include "Utf8.h"

namespace vcl {

inline std::u16string ToUtf16(const String& s) { return Utf8ToUtf16(s); }
inline String FromUtf16(const char16_t* s, int length = -1) {
  return length < 0 ? Utf16ToUtf8(s) : Utf16ToUtf8(s, size_t(length));
}
inline String FromUtf16(const std::u16string& s) { return Utf16ToUtf8(s); }
inline LPCWSTR W(const std::u16string& s) { return reinterpret_cast<LPCWSTR>(s.c_str()); }
inline LPWSTR W(std::u16string& s) { return reinterpret_cast<LPWSTR>(s.data()); }
inline String FromW(LPCWSTR s, int length = -1) { return FromUtf16(reinterpret_cast<const char16_t*>(s), length); }

// Text of a window through GetWindowTextW.
String WindowText(HWND wnd);

// A device context for the screen, released at scope end.
class ScreenDC {
 public:
  ScreenDC() : FDC(GetDC(nullptr)) {}
  ~ScreenDC() { ReleaseDC(nullptr, FDC); }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  operator HDC() const { return FDC; }

 private:
  HDC FDC;
};

// Logical pixels per inch of the screen (cached).
int ScreenPixelsPerInch();

String LowerAscii(String s);

}  // namespace vcl
