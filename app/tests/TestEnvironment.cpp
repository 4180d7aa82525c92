// Test display set-up that must happen before the first window exists.
//
// On a bare X display (Xvfb, no window manager) Wine waits two seconds for
// every hidden managed window to be withdrawn, which makes each message box
// and dialog of a test cost two seconds. Windows of this test program are
// therefore unmanaged: Wine's per-program setting, written before the X11
// driver starts, affects no other program of the prefix.
#include <windows.h>

namespace {

const bool GUnmanagedWindows = [] {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER,
                      reinterpret_cast<LPCWSTR>(u"Software\\Wine\\AppDefaults\\app_tests.exe\\X11 Driver"), 0,
                      nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, reinterpret_cast<LPCWSTR>(u"Managed"), 0, REG_SZ, reinterpret_cast<const BYTE*>(u"N"),
                   2 * sizeof(char16_t));
    RegCloseKey(key);
  }
  return true;
}();

}  // namespace
