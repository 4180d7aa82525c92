#include "VclUtils.h"

namespace vcl {

String WindowText(HWND wnd) {
  int len = GetWindowTextLengthW(wnd);
  if (len <= 0) return {};
  std::u16string buf(size_t(len) + 1, u'\0');
  int got = GetWindowTextW(wnd, reinterpret_cast<LPWSTR>(buf.data()), len + 1);
  return FromUtf16(buf.data(), got);
}

int ScreenPixelsPerInch() {
  static int ppi = [] {
    ScreenDC dc;
    int v = GetDeviceCaps(dc, LOGPIXELSY);
    return v > 0 ? v : 96;
  }();
  return ppi;
}

String LowerAscii(String s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

}  // namespace vcl
