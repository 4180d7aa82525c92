#include "Themes.h"

#include <algorithm>
#include "Controls.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS(TThemeServices, TObject)

namespace {
// The class names the element kinds are opened with.
const char16_t* const ElementClassNames[ThemedElementCount] = {
    u"BUTTON",  u"CLOCK",      u"COMBOBOX", u"EDIT",     u"EXPLORERBAR", u"HEADER",   u"LISTVIEW", u"MENU",
    u"PAGE",    u"PROGRESS",   u"REBAR",    u"SCROLLBAR", u"SPIN",       u"STARTPANEL", u"STATUS", u"TAB",
    u"TASKBAND", u"TASKBAR",   u"TOOLBAR",  u"TOOLTIP",  u"TRACKBAR",    u"TRAYNOTIFY", u"TREEVIEW", u"WINDOW"};

std::optional<bool> EnabledOverride;
TThemeServices* Instance = nullptr;

const wchar_t* WindowClassName() { return reinterpret_cast<const wchar_t*>(u"TovaniThemeServices"); }
}  // namespace

TThemeServices::TThemeServices() {
  // uxtheme is linked in; it is "available" when it answers for this
  // program (a theme can be chosen at all).
  FThemesAvailable = true;
  FUseThemes = IsThemeActive() && IsAppThemed();
  // A hidden top-level window: WM_THEMECHANGED is sent to top-level windows.
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(inst, WindowClassName(), &wc)) {
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = inst;
    wc.lpszClassName = WindowClassName();
    RegisterClassW(&wc);
  }
  FWindow = CreateWindowExW(WS_EX_TOOLWINDOW, WindowClassName(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst,
                            nullptr);
  if (FWindow) SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TThemeServices::~TThemeServices() {
  CloseHandles();
  if (FWindow) {
    SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
    DestroyWindow(FWindow);
  }
  if (Instance == this) Instance = nullptr;
}

LRESULT CALLBACK TThemeServices::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_THEMECHANGED) {
    if (auto* self = reinterpret_cast<TThemeServices*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
      try {
        self->ApplyThemeChange();
      } catch (...) {
        // A listener's failure must not unwind through the window procedure.
      }
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool TThemeServices::ThemesEnabled() const {
  if (EnabledOverride) return *EnabledOverride;
  return FThemesAvailable && FUseThemes;
}

HTHEME TThemeServices::Theme(TThemedElement Element) {
  if (!ThemesEnabled() || Element < 0 || Element >= ThemedElementCount) return nullptr;
  if (!FThemes[Element]) FThemes[Element] = OpenThemeData(nullptr, reinterpret_cast<LPCWSTR>(ElementClassNames[Element]));
  return FThemes[Element];
}

void TThemeServices::CloseHandles() {
  for (HTHEME& h : FThemes) {
    if (h) CloseThemeData(h);
    h = nullptr;
  }
}

void TThemeServices::UpdateThemes() {
  CloseHandles();
  FUseThemes = IsThemeActive() && IsAppThemed();
}

void TThemeServices::ApplyThemeChange() {
  UpdateThemes();
  if (OnThemeChange) OnThemeChange(this);
  // A listener may remove itself (or another) while it is told.
  const auto listeners = FChangeListeners;
  for (const auto& l : listeners) {
    const bool stillListed = std::any_of(FChangeListeners.begin(), FChangeListeners.end(),
                                         [&](const auto& e) { return e.first == l.first; });
    if (stillListed && l.second) l.second();
  }
}

void TThemeServices::AddThemeChangeListener(const void* Owner, std::function<void()> Listener) {
  for (auto& l : FChangeListeners)
    if (l.first == Owner) {
      l.second = std::move(Listener);
      return;
    }
  FChangeListeners.emplace_back(Owner, std::move(Listener));
}

void TThemeServices::RemoveThemeChangeListener(const void* Owner) {
  std::erase_if(FChangeListeners, [&](const auto& l) { return l.first == Owner; });
}

void TThemeServices::DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R, const TRect* ClipRect) {
  if (HTHEME h = Theme(Details.Element)) {
    RECT r = *R.AsRECT();
    RECT clip{};
    if (ClipRect) clip = *ClipRect->AsRECT();
    DrawThemeBackground(h, DC, Details.Part, Details.State, &r, ClipRect ? &clip : nullptr);
  }
}

void TThemeServices::DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge, UINT Flags,
                              TRect* ContentRect) {
  if (HTHEME h = Theme(Details.Element)) {
    RECT r = *R.AsRECT();
    RECT content{};
    DrawThemeEdge(h, DC, Details.Part, Details.State, &r, Edge, Flags, ContentRect ? &content : nullptr);
    if (ContentRect) *ContentRect = TRect(content.left, content.top, content.right, content.bottom);
  }
}

void TThemeServices::DrawText(HDC DC, const TThemedElementDetails& Details, const String& S, TRect R, DWORD Flags,
                              DWORD Flags2) {
  if (HTHEME h = Theme(Details.Element)) {
    std::u16string text = ToUtf16(S);
    RECT r = *R.AsRECT();
    DrawThemeText(h, DC, Details.Part, Details.State, W(text), int(text.size()), Flags, Flags2, &r);
  }
}

void TThemeServices::DrawParentBackground(HWND Window, HDC Target, const TThemedElementDetails* Details,
                                          bool OnlyIfTransparent, const TRect* Bounds) {
  if (!ThemesEnabled()) return;
  if (OnlyIfTransparent && Details && !HasTransparentParts(*Details)) return;
  RECT r{};
  if (Bounds) r = *Bounds->AsRECT();
  DrawThemeParentBackground(Window, Target, Bounds ? &r : nullptr);
}

TRect TThemeServices::ContentRect(HDC DC, const TThemedElementDetails& Details, const TRect& BoundingRect) {
  HTHEME h = Theme(Details.Element);
  if (!h) return BoundingRect;
  RECT bounds = *BoundingRect.AsRECT();
  RECT content = bounds;
  if (FAILED(GetThemeBackgroundContentRect(h, DC, Details.Part, Details.State, &bounds, &content))) return BoundingRect;
  return TRect(content.left, content.top, content.right, content.bottom);
}

bool TThemeServices::HasTransparentParts(const TThemedElementDetails& Details) {
  HTHEME h = Theme(Details.Element);
  return h && IsThemeBackgroundPartiallyTransparent(h, Details.Part, Details.State);
}

void TThemeServices::PaintBorder(TWinControl* Control, bool EraseLRCorner) {
  if (!Control || !Control->HandleAllocated() || !ThemesEnabled()) return;
  HWND wnd = Control->Handle();
  if (!(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) return;
  RECT wr;
  GetWindowRect(wnd, &wr);
  TRect draw(0, 0, wr.right - wr.left, wr.bottom - wr.top);
  HDC dc = GetWindowDC(wnd);
  if (EraseLRCorner) {
    LONG style = GetWindowLongW(wnd, GWL_STYLE);
    if ((style & WS_HSCROLL) && (style & WS_VSCROLL)) {
      int w = GetSystemMetrics(SM_CXVSCROLL), hgt = GetSystemMetrics(SM_CYHSCROLL);
      TRect inner(draw.Left + 2, draw.Top + 2, draw.Right - 2, draw.Bottom - 2);
      RECT corner = (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR)
                        ? RECT{inner.Left, inner.Bottom - hgt, inner.Left + w, inner.Bottom}
                        : RECT{inner.Right - w, inner.Bottom - hgt, inner.Right, inner.Bottom};
      FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
    }
  }
  // Only the two-pixel frame is drawn; the client area stays the control's.
  ExcludeClipRect(dc, draw.Left + 2, draw.Top + 2, draw.Right - 2, draw.Bottom - 2);
  DrawElement(dc, GetElementDetails(teEdit, 1 /* EP_EDITTEXT */, 1 /* ETS_NORMAL */), draw);
  ReleaseDC(wnd, dc);
}

TThemeServices* ThemeServices() {
  if (!Instance) Instance = new TThemeServices;
  return Instance;
}

void SetThemesEnabledOverride(std::optional<bool> Enabled) {
  EnabledOverride = Enabled;
  ThemeServices()->ApplyThemeChange();
}
