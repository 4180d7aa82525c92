// Drives modal windows in tests the way a user would: when a form of the
// program is first activated, OnForm posts mouse clicks, characters and keys
// to its controls; calls queued with Then run in order with that input, so a
// test can look at a form between two keystrokes. Message boxes are answered
// with OK (their texts kept); other system dialogs are cancelled.
#pragma once
#include "VclWindows.h"
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "Utf8.h"

class FormDriver {
 public:
  FormDriver() {
    Current = this;
    Hook = SetWindowsHookExW(WH_CBT, HookProc, nullptr, GetCurrentThreadId());
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = CallProc;
      wc.lpszClassName = L"FormDriverCalls";
      RegisterClassW(&wc);
      registered = true;
    }
    Calls = CreateWindowW(L"FormDriverCalls", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~FormDriver() {
    UnhookWindowsHookEx(Hook);
    DestroyWindow(Calls);
    Current = nullptr;
  }

  // Runs on the first activation of each form of the program.
  std::function<void(TCustomForm* Form)> OnForm;
  // Runs after a message box has been answered.
  std::function<void()> AfterBox;
  std::vector<String> Boxes;          // texts of the message boxes
  std::vector<String> OtherDialogs;   // captions of the other system dialogs

  static void Click(TWinControl* C, int X = 4, int Y = 4) {
    PostMessageW(C->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    PostMessageW(C->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  }
  static void Type(TWinControl* C, const String& Text) {
    for (char16_t ch : Utf8ToUtf16(Text)) PostMessageW(C->Handle(), WM_CHAR, WPARAM(ch), 1);
  }
  // Selects the whole text of an edit (Ctrl+A is not an edit key here).
  static void SelectAll(TWinControl* C) { PostMessageW(C->Handle(), EM_SETSEL, 0, -1); }
  static void Key(TWinControl* C, WORD VK) {
    PostMessageW(C->Handle(), WM_KEYDOWN, VK, 1);
    PostMessageW(C->Handle(), WM_KEYUP, VK, 0xC0000001);
  }
  // Runs F after the input posted so far.
  void Then(std::function<void()> F) {
    Queue.push_back(std::move(F));
    PostMessageW(Calls, WM_APP, 0, 0);
  }

 private:
  static inline FormDriver* Current = nullptr;
  HHOOK Hook;
  HWND Calls;
  std::deque<std::function<void()>> Queue;
  std::set<HWND> Seen;

  static LRESULT CALLBACK CallProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP && Current && !Current->Queue.empty()) {
      auto f = std::move(Current->Queue.front());
      Current->Queue.pop_front();
      f();
      return 0;
    }
    return DefWindowProcW(h, m, w, l);
  }
  static LRESULT CALLBACK HookProc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE && Current) Current->Activated(reinterpret_cast<HWND>(w));
    return CallNextHookEx(nullptr, code, w, l);
  }
  void Activated(HWND h) {
    WCHAR cls[64] = {};
    GetClassNameW(h, cls, 63);
    if (Utf16ToUtf8(reinterpret_cast<const char16_t*>(cls)) == "#32770") {
      WCHAR text[512] = {};
      if (GetDlgItemTextW(h, 0xFFFF, text, 511) > 0) {
        Boxes.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(text)));
        PostMessageW(h, WM_COMMAND, IDOK, 0);
        if (AfterBox) AfterBox();
      } else {
        GetWindowTextW(h, text, 511);
        OtherDialogs.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(text)));
        PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
      }
      return;
    }
    if (!Seen.insert(h).second) return;
    if (auto* form = dynamic_cast<TCustomForm*>(FindControl(h)))
      if (OnForm) OnForm(form);
  }
};
