// Answers the dialog boxes a test's code shows (message boxes, the save
// dialog) the way a user would: a Win32 thread of its own watches for
// dialog windows of this process, records their caption and text, and lets
// a handler press a button or fill in a field. Handlers run on that thread
// and reach the dialog by messages only.
#pragma once
#include <windows.h>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class DialogAnswerer {
 public:
  struct Seen {
    std::string Caption;
    std::string Text;    // the message of a message box
  };
  // Called for every new dialog; answers true when it dealt with it. Without
  // a handler (or when it answers false) the dialog gets `DefaultButton`.
  using Handler = std::function<bool(HWND dialog, const Seen& seen)>;

  // Dialogs are windows of the class "#32770" (message boxes, common
  // dialogs); `formClass` adds the forms of the window library ("TForm")
  // for the handler to deal with.
  explicit DialogAnswerer(int defaultButton = IDOK, const char16_t* formClass = nullptr)
      : FDefault(defaultButton), FFormClass(formClass ? formClass : u"") {
    FStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FThread = CreateThread(nullptr, 0, &DialogAnswerer::ThreadProc, this, 0, nullptr);
  }
  ~DialogAnswerer() {
    SetEvent(FStop);
    WaitForSingleObject(FThread, INFINITE);
    CloseHandle(FThread);
    CloseHandle(FStop);
  }
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  void SetHandler(Handler h) {
    std::lock_guard<std::mutex> lock(FMutex);
    FHandler = std::move(h);
  }
  void SetDefaultButton(int id) {
    std::lock_guard<std::mutex> lock(FMutex);
    FDefault = id;
  }
  // The dialogs seen so far, in order.
  std::vector<Seen> Dialogs() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FSeen;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(FMutex);
    FSeen.clear();
  }

  static std::string WindowText(HWND h) {
    int n = GetWindowTextLengthW(h);
    std::u16string w(size_t(n) + 1, u'\0');
    n = GetWindowTextW(h, reinterpret_cast<LPWSTR>(w.data()), n + 1);
    w.resize(size_t(n > 0 ? n : 0));
    return ToUtf8(w);
  }
  // The first child window of a class (and caption, when given).
  static HWND FindChild(HWND parent, const std::string& cls, const std::string& caption = "") {
    Search s{cls, caption};
    EnumChildWindows(parent, &DialogAnswerer::FindChildProc, reinterpret_cast<LPARAM>(&s));
    return s.Found;
  }
  static void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  static void SetText(HWND control, const std::string& text) {
    std::u16string w = ToUtf16(text);
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()));
  }

 private:
  static std::string ToUtf8(const std::u16string& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(w.data()), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(w.data()), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
  }
  static std::u16string ToUtf16(const std::string& s) {
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::u16string w(size_t(n), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), reinterpret_cast<LPWSTR>(w.data()), n);
    return w;
  }
  static LPCWSTR Mark() { return reinterpret_cast<LPCWSTR>(u"TovaniTestAnswered"); }
  struct Search {
    std::string Cls, Caption;
    HWND Found = nullptr;
  };
  static BOOL CALLBACK FindChildProc(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    char16_t c[64] = {};
    GetClassNameW(h, reinterpret_cast<LPWSTR>(c), 64);
    if (ToUtf8(c) == s->Cls && (s->Caption.empty() || WindowText(h) == s->Caption)) {
      s->Found = h;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK EnumProc(HWND h, LPARAM lp) {
    auto* self = reinterpret_cast<DialogAnswerer*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(h)) return TRUE;
    char16_t cls[64] = {};
    GetClassNameW(h, reinterpret_cast<LPWSTR>(cls), 64);
    if (std::u16string(cls) != u"#32770" && (self->FFormClass.empty() || std::u16string(cls) != self->FFormClass))
      return TRUE;
    // Handled dialogs carry a mark; it goes with the window, so a new dialog
    // that gets the handle of an old one is seen again.
    if (GetPropW(h, Mark())) return TRUE;
    self->FFound.push_back(h);
    return TRUE;
  }
  static DWORD WINAPI ThreadProc(LPVOID p) {
    auto* self = static_cast<DialogAnswerer*>(p);
    while (WaitForSingleObject(self->FStop, 20) == WAIT_TIMEOUT) {
      self->FFound.clear();
      EnumWindows(&DialogAnswerer::EnumProc, reinterpret_cast<LPARAM>(self));
      for (HWND h : self->FFound) {
        SetPropW(h, Mark(), reinterpret_cast<HANDLE>(1));
        Seen seen{WindowText(h), WindowText(GetDlgItem(h, 0xFFFF))};
        Handler handler;
        int button;
        {
          std::lock_guard<std::mutex> lock(self->FMutex);
          self->FSeen.push_back(seen);
          handler = self->FHandler;
          button = self->FDefault;
        }
        if (!handler || !handler(h, seen)) Press(h, button);
      }
    }
    return 0;
  }

  HANDLE FStop = nullptr;
  HANDLE FThread = nullptr;
  std::mutex FMutex;
  Handler FHandler;
  int FDefault;
  std::u16string FFormClass;
  std::vector<Seen> FSeen;
  std::vector<HWND> FFound;   // thread only
};
