#include "frxHtmlHelp.h"

#include <windows.h>

#include "Utf8.h"

namespace {

using THtmlHelpW = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
const UINT kDisplayTopic = 1;

// The library is loaded once and kept until the program ends.
THtmlHelpW HtmlHelpEntry() {
  static THtmlHelpW entry = [] {
    HMODULE lib = LoadLibraryW(reinterpret_cast<LPCWSTR>(u"HHCtrl.OCX"));
    return lib ? reinterpret_cast<THtmlHelpW>(GetProcAddress(lib, "HtmlHelpW")) : nullptr;
  }();
  return entry;
}

}  // namespace

void frxDisplayHelp(void* Wnd, const String& Path) {
  THtmlHelpW entry = HtmlHelpEntry();
  if (!entry) return;
  std::u16string w = Utf8ToUtf16(Path);
  entry(static_cast<HWND>(Wnd), reinterpret_cast<LPCWSTR>(w.c_str()), kDisplayTopic, 0);
}
