#include "Dialogs.h"
#include <vector>
#include <commdlg.h>
#include "Forms.h"
#include "Printers.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_ENUM_INFO(TMsgDlgType, "mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom")
TOVANI_IMPLEMENT_ENUM_INFO(TMsgDlgBtn, "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll",
                           "mbNoToAll", "mbYesToAll", "mbHelp")

namespace {

thread_local HHOOK ButtonHook = nullptr;
// Set while MessageDlg shows Yes, No and All: a message box has no such
// set, so the abort-retry-ignore box (which Esc cannot dismiss) is shown
// with those three captions.
thread_local bool YesNoAllBox = false;

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
    if (YesNoAllBox) {
      static const struct {
        int Id;
        const char16_t* Text;
      } yesNoAll[] = {{IDABORT, u"是"}, {IDRETRY, u"否"}, {IDIGNORE, u"全部"}};
      for (const auto& n : yesNoAll)
        if (HWND b = GetDlgItem(dlg, n.Id)) SetWindowTextW(b, reinterpret_cast<LPCWSTR>(n.Text));
    }
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
  if (Buttons.Contains(mbAll) && yes && no && !cancel) {
    flags = icons[DlgType] | MB_ABORTRETRYIGNORE | (Buttons.Contains(mbHelp) ? MB_HELP : 0);
    YesNoAllBox = true;
    Integer r;
    try {
      r = ShowMessageBox(owner, Msg, caption, flags);
    } catch (...) {
      YesNoAllBox = false;
      throw;
    }
    YesNoAllBox = false;
    return r == IDABORT ? mrYes : r == IDRETRY ? mrNo : r == IDIGNORE ? mrAll : r;
  }
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

// ---------------------------------------------------------------------------
// Common dialogs

TOVANI_IMPLEMENT_CLASS(TCommonDialog, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TOpenDialog, TCommonDialog)
TOVANI_IMPLEMENT_CLASS_FACTORY(TSaveDialog, TOpenDialog)
TOVANI_IMPLEMENT_CLASS_FACTORY(TFontDialog, TCommonDialog)
TOVANI_IMPLEMENT_CLASS_FACTORY(TColorDialog, TCommonDialog)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPrintDialog, TCommonDialog)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPrinterSetupDialog, TCommonDialog)
TOVANI_IMPLEMENT_ENUM_INFO(TOpenOption, "ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp",
                           "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",
                           "ofFileMustExist", "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate",
                           "ofNoNetworkButton", "ofNoLongNames", "ofOldStyleDialog", "ofNoDereferenceLinks",
                           "ofEnableIncludeNotify", "ofEnableSizing", "ofDontAddToRecent", "ofForceShowHidden")
TOVANI_IMPLEMENT_ENUM_INFO(TFontDialogOption, "fdAnsiOnly", "fdTrueTypeOnly", "fdEffects", "fdFixedPitchOnly",
                           "fdForceFontExist", "fdNoFaceSel", "fdNoOEMFonts", "fdNoSimulations", "fdNoSizeSel",
                           "fdNoStyleSel", "fdNoVectorFonts", "fdShowHelp", "fdWysiwyg", "fdLimitSize", "fdScalableOnly",
                           "fdApplyButton")
TOVANI_IMPLEMENT_ENUM_INFO(TColorDialogOption, "cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor")
TOVANI_IMPLEMENT_ENUM_INFO(TPrintRange, "prAllPages", "prSelection", "prPageNums")
TOVANI_IMPLEMENT_ENUM_INFO(TPrintDialogOption, "poPrintToFile", "poPageNums", "poSelection", "poWarning", "poHelp",
                           "poDisablePrintToFile")

TOVANI_PUBLISHED(TOpenDialog) {
  Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
  Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
  Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
  Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
  Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions).Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
  Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
  Property("OnClose", &TOpenDialog::OnClose);
  Property("OnShow", &TOpenDialog::OnShow);
}

TOVANI_PUBLISHED(TFontDialog) {
  Property("Font", &TFontDialog::Font, &TFontDialog::SetFont);
  Property("MaxFontSize", &TFontDialog::MaxFontSize, &TFontDialog::SetMaxFontSize).Default(0);
  Property("MinFontSize", &TFontDialog::MinFontSize, &TFontDialog::SetMinFontSize).Default(0);
  Property("Options", &TFontDialog::Options, &TFontDialog::SetOptions).Default(TFontDialogOptions{fdEffects});
}

TOVANI_PUBLISHED(TColorDialog) {
  Property("Color", &TColorDialog::Color, &TColorDialog::SetColor).Default(clBlack);
  Property("CustomColors", &TColorDialog::CustomColors, &TColorDialog::SetCustomColors);
  Property("Options", &TColorDialog::Options, &TColorDialog::SetOptions).Default(TColorDialogOptions{});
}

TOVANI_PUBLISHED(TPrintDialog) {
  Property("Collate", &TPrintDialog::Collate, &TPrintDialog::SetCollate).Default(false);
  Property("Copies", &TPrintDialog::Copies, &TPrintDialog::SetCopies).Default(1);
  Property("FromPage", &TPrintDialog::FromPage, &TPrintDialog::SetFromPage).Default(0);
  Property("MaxPage", &TPrintDialog::MaxPage, &TPrintDialog::SetMaxPage).Default(0);
  Property("MinPage", &TPrintDialog::MinPage, &TPrintDialog::SetMinPage).Default(0);
  Property("Options", &TPrintDialog::Options, &TPrintDialog::SetOptions).Default(TPrintDialogOptions{});
  Property("PrintRange", &TPrintDialog::PrintRange, &TPrintDialog::SetPrintRange).Default(prAllPages);
  Property("PrintToFile", &TPrintDialog::PrintToFile, &TPrintDialog::SetPrintToFile).Default(false);
  Property("ToPage", &TPrintDialog::ToPage, &TPrintDialog::SetToPage).Default(0);
}

HWND TCommonDialog::OwnerWindow() { return Application ? Application->ActiveFormHandle() : nullptr; }

namespace {
// Keeps the other windows from being used while a common dialog runs (the
// dialog itself disables only its owner).
struct ModalScope {
  ModalScope() {
    if (Application) Application->ModalStarted();
  }
  ~ModalScope() {
    if (Application) Application->ModalFinished();
  }
};
}  // namespace

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFiles(new TStringList) {}
TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() { return DoExecute(false); }
bool TSaveDialog::Execute() { return DoExecute(true); }

bool TOpenDialog::DoExecute(bool save) {
  // "Text files|*.txt|All|*.*" becomes the double-null list Windows wants.
  std::u16string filter = ToUtf16(FFilter);
  for (auto& c : filter)
    if (c == u'|') c = 0;
  filter.push_back(0);
  filter.push_back(0);
  std::u16string file(32768, u'\0');
  std::u16string initial = ToUtf16(FFileName);
  std::copy(initial.begin(), initial.begin() + long(std::min(initial.size(), file.size() - 1)), file.begin());
  std::u16string dir = ToUtf16(FInitialDir), title = ToUtf16(FTitle), ext = ToUtf16(FDefaultExt);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = OwnerWindow();
  ofn.lpstrFilter = FFilter.empty() ? nullptr : W(filter);
  ofn.nFilterIndex = DWORD(FFilterIndex);
  ofn.lpstrFile = W(file);
  ofn.nMaxFile = DWORD(file.size());
  ofn.lpstrInitialDir = dir.empty() ? nullptr : W(dir);
  ofn.lpstrTitle = title.empty() ? nullptr : W(title);
  ofn.lpstrDefExt = ext.empty() ? nullptr : W(ext);
  static const DWORD flags[] = {OFN_READONLY, OFN_OVERWRITEPROMPT, OFN_HIDEREADONLY, OFN_NOCHANGEDIR, OFN_SHOWHELP,
                                OFN_NOVALIDATE, OFN_ALLOWMULTISELECT, OFN_EXTENSIONDIFFERENT, OFN_PATHMUSTEXIST,
                                OFN_FILEMUSTEXIST, OFN_CREATEPROMPT, OFN_SHAREAWARE, OFN_NOREADONLYRETURN,
                                OFN_NOTESTFILECREATE, OFN_NONETWORKBUTTON, OFN_NOLONGNAMES, 0, OFN_NODEREFERENCELINKS,
                                OFN_ENABLEINCLUDENOTIFY, OFN_ENABLESIZING, OFN_DONTADDTORECENT, OFN_FORCESHOWHIDDEN};
  for (int i = 0; i <= int(ofForceShowHidden); ++i)
    if (FOptions.Contains(TOpenOption(i))) ofn.Flags |= flags[i];
  ofn.Flags |= OFN_EXPLORER;
  if (OnShow) OnShow(this);
  BOOL ok;
  {
    ModalScope scope;
    ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  }
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FFilterIndex = Integer(ofn.nFilterIndex);
  FFiles->Clear();
  // Several files: the folder, then each name, separated by nulls.
  const char16_t* p = file.c_str();
  std::u16string first(p);
  p += first.size() + 1;
  if ((ofn.Flags & OFN_ALLOWMULTISELECT) && *p) {
    std::u16string folder = first;
    if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
    while (*p) {
      std::u16string name(p);
      FFiles->Add(vcl::FromUtf16(folder + name));
      p += name.size() + 1;
    }
  } else {
    FFiles->Add(vcl::FromUtf16(first));
  }
  FFileName = FFiles->Count() > 0 ? FFiles->Strings(0) : String();
  return true;
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), FFont(new TFont) {}
TFontDialog::~TFontDialog() = default;

bool TFontDialog::Execute() {
  LOGFONTW lf{};
  GetObjectW(FFont->Handle(), sizeof(lf), &lf);
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof(cf);
  cf.hwndOwner = OwnerWindow();
  cf.lpLogFont = &lf;
  cf.rgbColors = ColorToRGB(FFont->Color());
  cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS;
  if (FOptions.Contains(fdEffects)) cf.Flags |= CF_EFFECTS;
  if (FOptions.Contains(fdTrueTypeOnly)) cf.Flags |= CF_TTONLY;
  if (FOptions.Contains(fdFixedPitchOnly)) cf.Flags |= CF_FIXEDPITCHONLY;
  if (FOptions.Contains(fdForceFontExist)) cf.Flags |= CF_FORCEFONTEXIST;
  if (FOptions.Contains(fdNoFaceSel)) cf.Flags |= CF_NOFACESEL;
  if (FOptions.Contains(fdNoSizeSel)) cf.Flags |= CF_NOSIZESEL;
  if (FOptions.Contains(fdNoStyleSel)) cf.Flags |= CF_NOSTYLESEL;
  if (FOptions.Contains(fdScalableOnly)) cf.Flags |= CF_SCALABLEONLY;
  if (FOptions.Contains(fdLimitSize)) {
    cf.Flags |= CF_LIMITSIZE;
    cf.nSizeMin = FMinFontSize;
    cf.nSizeMax = FMaxFontSize;
  }
  if (OnShow) OnShow(this);
  BOOL ok;
  {
    ModalScope scope;
    ok = ChooseFontW(&cf);
  }
  if (OnClose) OnClose(this);
  if (!ok) return false;
  TColor color = TColor(cf.rgbColors);
  FFont->SetHandle(CreateFontIndirectW(&lf));
  FFont->SetColor(color);
  return true;
}

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), FCustomColors(new TStringList) {}
TColorDialog::~TColorDialog() = default;

bool TColorDialog::Execute() {
  // Custom colours are kept as "ColorA=RRGGBB" .. "ColorP=..." lines (hexadecimal BGR values).
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) {
    custom[i] = 0xFFFFFF;
    String v = FCustomColors->Values(String("Color") + char('A' + i));
    if (!v.empty()) {
      try {
        custom[i] = COLORREF(StringToColor("$" + v)) & 0xFFFFFF;
      } catch (const EConvertError&) {
      }
    }
  }
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof(cc);
  cc.hwndOwner = OwnerWindow();
  cc.rgbResult = ColorToRGB(FColor);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT;
  if (FOptions.Contains(cdFullOpen)) cc.Flags |= CC_FULLOPEN;
  if (FOptions.Contains(cdPreventFullOpen)) cc.Flags |= CC_PREVENTFULLOPEN;
  if (FOptions.Contains(cdSolidColor)) cc.Flags |= CC_SOLIDCOLOR;
  if (FOptions.Contains(cdAnyColor)) cc.Flags |= CC_ANYCOLOR;
  if (OnShow) OnShow(this);
  BOOL ok;
  {
    ModalScope scope;
    ok = ChooseColorW(&cc);
  }
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FColor = TColor(cc.rgbResult);
  static const char* hex = "0123456789ABCDEF";
  for (int i = 0; i < 16; ++i) {
    String v;
    for (int shift = 20; shift >= 0; shift -= 4) v += hex[(custom[i] >> shift) & 0xF];
    FCustomColors->SetValues(String("Color") + char('A' + i), v);
  }
  return true;
}

namespace {
// The printer chosen in a print or printer-setup dialog becomes the
// program's printer; the dialog's device blocks are freed.
void TakeChosenPrinter(PRINTDLGW& pd) {
  if (pd.hDevNames) {
    auto* names = static_cast<DEVNAMES*>(GlobalLock(pd.hDevNames));
    const wchar_t* base = reinterpret_cast<const wchar_t*>(names);
    String device = vcl::FromW(base + names->wDeviceOffset);
    String driver = vcl::FromW(base + names->wDriverOffset);
    String port = vcl::FromW(base + names->wOutputOffset);
    GlobalUnlock(pd.hDevNames);
    Printer()->SetPrinter(device, driver, port, pd.hDevMode);
  }
  if (pd.hDevMode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames) GlobalFree(pd.hDevNames);
}
}  // namespace

bool TPrintDialog::Execute() {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof(pd);
  pd.hwndOwner = OwnerWindow();
  pd.nCopies = WORD(FCopies);
  pd.nFromPage = WORD(FFromPage);
  pd.nToPage = WORD(FToPage);
  pd.nMinPage = WORD(FMinPage);
  pd.nMaxPage = WORD(FMaxPage);
  pd.Flags = PD_USEDEVMODECOPIESANDCOLLATE;
  if (FCollate) pd.Flags |= PD_COLLATE;
  if (FPrintToFile) pd.Flags |= PD_PRINTTOFILE;
  if (FPrintRange == prSelection) pd.Flags |= PD_SELECTION;
  if (FPrintRange == prPageNums) pd.Flags |= PD_PAGENUMS;
  if (!FOptions.Contains(poPrintToFile)) pd.Flags |= PD_HIDEPRINTTOFILE;
  if (FOptions.Contains(poDisablePrintToFile)) pd.Flags |= PD_DISABLEPRINTTOFILE;
  if (!FOptions.Contains(poPageNums)) pd.Flags |= PD_NOPAGENUMS;
  if (!FOptions.Contains(poSelection)) pd.Flags |= PD_NOSELECTION;
  if (!FOptions.Contains(poWarning)) pd.Flags |= PD_NOWARNING;
  if (OnShow) OnShow(this);
  BOOL ok;
  {
    ModalScope scope;
    ok = PrintDlgW(&pd);
  }
  if (OnClose) OnClose(this);
  if (!ok) return false;
  FCopies = pd.nCopies;
  FFromPage = pd.nFromPage;
  FToPage = pd.nToPage;
  FCollate = (pd.Flags & PD_COLLATE) != 0;
  FPrintToFile = (pd.Flags & PD_PRINTTOFILE) != 0;
  FPrintRange = (pd.Flags & PD_SELECTION) ? prSelection : (pd.Flags & PD_PAGENUMS) ? prPageNums : prAllPages;
  TakeChosenPrinter(pd);
  return true;
}

bool TPrinterSetupDialog::Execute() {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof(pd);
  pd.hwndOwner = OwnerWindow();
  pd.Flags = PD_PRINTSETUP;
  if (OnShow) OnShow(this);
  BOOL ok;
  {
    ModalScope scope;
    ok = PrintDlgW(&pd);
  }
  if (OnClose) OnClose(this);
  if (!ok) return false;
  TakeChosenPrinter(pd);
  return true;
}
