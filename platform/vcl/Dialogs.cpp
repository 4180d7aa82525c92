#include "Dialogs.h"
#include <vector>
#include "Forms.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_ENUM_INFO(TMsgDlgType, "mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom")
TOVANI_IMPLEMENT_ENUM_INFO(TMsgDlgBtn, "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll",
                           "mbNoToAll", "mbYesToAll", "mbHelp")

namespace {

thread_local HHOOK ButtonHook = nullptr;

// Renames the buttons of the message box about to be activated.
LRESULT CALLBACK ButtonTextHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND dlg = reinterpret_cast<HWND>(wParam);
    static const struct {
      int Id;
      const char16_t* Text;
    } names[] = {{IDOK, u"确定"}, {IDCANCEL, u"取消"}, {IDYES, u"是"}, {IDNO, u"否"},
                 {IDABORT, u"中止"}, {IDRETRY, u"重试"}, {IDIGNORE, u"忽略"}, {IDHELP, u"帮助"}};
    for (const auto& n : names)
      if (HWND b = GetDlgItem(dlg, n.Id)) SetWindowTextW(b, reinterpret_cast<LPCWSTR>(n.Text));
    // Other hooks of the thread (tests watching for the box) still see it.
    LRESULT r = CallNextHookEx(nullptr, code, wParam, lParam);
    HHOOK h = ButtonHook;
    ButtonHook = nullptr;
    UnhookWindowsHookEx(h);
    return r;
  }
  return CallNextHookEx(ButtonHook, code, wParam, lParam);
}

}  // namespace

Integer ShowMessageBox(HWND Owner, const String& Text, const String& Caption, UINT Flags) {
  if (ButtonHook) UnhookWindowsHookEx(ButtonHook);
  ButtonHook = SetWindowsHookExW(WH_CBT, ButtonTextHook, nullptr, GetCurrentThreadId());
  Integer r = MessageBoxW(Owner, W(ToUtf16(Text)), W(ToUtf16(Caption)), Flags);
  if (ButtonHook) {
    UnhookWindowsHookEx(ButtonHook);
    ButtonHook = nullptr;
  }
  return r;
}

void ShowMessage(const String& Msg) {
  if (Application) Application->MessageBox(Msg, Application->Title(), MB_OK);
  else ShowMessageBox(nullptr, Msg, String(), MB_OK);
}

Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx) {
  static const UINT icons[] = {MB_ICONWARNING, MB_ICONERROR, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
  static const char* captions[] = {"警告", "错误", "信息", "确认", nullptr};
  UINT flags = icons[DlgType];
  bool yes = Buttons.Contains(mbYes) || Buttons.Contains(mbYesToAll);
  bool no = Buttons.Contains(mbNo) || Buttons.Contains(mbNoToAll);
  bool cancel = Buttons.Contains(mbCancel);
  if (Buttons.Contains(mbAbort) || (Buttons.Contains(mbRetry) && Buttons.Contains(mbIgnore))) flags |= MB_ABORTRETRYIGNORE;
  else if (Buttons.Contains(mbRetry)) flags |= MB_RETRYCANCEL;
  else if (yes || no) flags |= cancel ? MB_YESNOCANCEL : MB_YESNO;
  else flags |= cancel ? MB_OKCANCEL : MB_OK;
  if (Buttons.Contains(mbHelp)) flags |= MB_HELP;
  (void)HelpCtx;
  String caption = captions[DlgType] ? String(captions[DlgType]) : (Application ? Application->Title() : String());
  HWND owner = Application ? Application->ActiveFormHandle() : nullptr;
  return ShowMessageBox(owner, Msg, caption, flags);
}

// ---------------------------------------------------------------------------
// Input box: a dialog made from an in-memory template.

namespace {

struct InputData {
  std::u16string Caption, Prompt, Value;
};

void Align4(std::vector<WORD>& t) {
  if (t.size() % 2) t.push_back(0);
}

void AddString(std::vector<WORD>& t, const std::u16string& s) {
  for (char16_t c : s) t.push_back(WORD(c));
  t.push_back(0);
}

void AddItem(std::vector<WORD>& t, DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls,
             const std::u16string& text) {
  Align4(t);
  DLGITEMTEMPLATE it{};
  it.style = style | WS_CHILD | WS_VISIBLE;
  it.x = x;
  it.y = y;
  it.cx = cx;
  it.cy = cy;
  it.id = id;
  const WORD* p = reinterpret_cast<const WORD*>(&it);
  t.insert(t.end(), p, p + sizeof(it) / 2);
  t.push_back(0xFFFF);
  t.push_back(cls);
  AddString(t, text);
  t.push_back(0);   // no creation data
}

INT_PTR CALLBACK InputDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* d = reinterpret_cast<InputData*>(lParam);
      SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      SetWindowTextW(dlg, W(d->Caption));
      SetDlgItemTextW(dlg, 100, W(d->Prompt));
      SetDlgItemTextW(dlg, 101, W(d->Value));
      SendDlgItemMessageW(dlg, 101, EM_SETSEL, 0, -1);
      // Centred on the screen.
      RECT r;
      GetWindowRect(dlg, &r);
      SetWindowPos(dlg, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                   (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* d = reinterpret_cast<InputData*>(GetWindowLongPtrW(dlg, DWLP_USER));
        int n = GetWindowTextLengthW(GetDlgItem(dlg, 101));
        std::u16string v(size_t(n) + 1, u'\0');
        GetDlgItemTextW(dlg, 101, W(v), n + 1);
        v.resize(size_t(n));
        d->Value = v;
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool InputQuery(const String& ACaption, const String& APrompt, String& Value) {
  std::vector<WORD> t;
  DLGTEMPLATE dt{};
  dt.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dt.cdit = 4;
  dt.cx = 180;
  dt.cy = 63;
  const WORD* p = reinterpret_cast<const WORD*>(&dt);
  t.insert(t.end(), p, p + sizeof(dt) / 2);
  t.push_back(0);   // no menu
  t.push_back(0);   // default class
  t.push_back(0);   // title set at WM_INITDIALOG
  t.push_back(9);   // point size
  AddString(t, u"宋体");
  AddItem(t, SS_LEFT, 8, 6, 164, 10, 100, 0x0082, u"");
  AddItem(t, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 8, 18, 164, 12, 101, 0x0081, u"");
  AddItem(t, BS_DEFPUSHBUTTON | WS_TABSTOP, 68, 40, 50, 14, IDOK, 0x0080, u"确定");
  AddItem(t, BS_PUSHBUTTON | WS_TABSTOP, 122, 40, 50, 14, IDCANCEL, 0x0080, u"取消");
  InputData d{ToUtf16(ACaption), ToUtf16(APrompt), ToUtf16(Value)};
  HWND owner = Application ? Application->ActiveFormHandle() : nullptr;
  INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), owner,
                                      InputDlgProc, reinterpret_cast<LPARAM>(&d));
  if (r != IDOK) return false;
  Value = vcl::FromUtf16(d.Value);
  return true;
}

String InputBox(const String& ACaption, const String& APrompt, const String& ADefault) {
  String v = ADefault;
  if (!InputQuery(ACaption, APrompt, v)) return ADefault;
  return v;
}
