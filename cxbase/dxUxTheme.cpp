#include "dxUxTheme.h"

#include <cstring>
#include <iterator>

#include "VclUtils.h"

namespace {
// Looked up in this order when the library loads.
const char* const BoundNames[] = {
    "CloseThemeData", "DrawThemeBackground", "DrawThemeEdge", "DrawThemeIcon", "DrawThemeParentBackground",
    "DrawThemeText", "DrawThemeTextEx", "EnableThemeDialogTexture", "GetCurrentThemeName", "GetThemeAppProperties",
    "GetThemeBackgroundContentRect", "GetThemeBackgroundRegion", "GetThemeBackgroundExtent", "GetThemeBool",
    "GetThemeColor", "GetThemeDocumentationProperty", "GetThemeEnumValue", "GetThemeFilename", "GetThemeFont",
    "GetThemeInt", "GetThemeIntList", "GetThemeMargins", "GetThemeMetric", "GetThemePartSize", "GetThemePosition",
    "GetThemePropertyOrigin", "GetThemeRect", "GetThemeString", "GetThemeSysBool", "GetThemeSysColor",
    "GetThemeSysColorBrush", "GetThemeSysFont", "GetThemeSysInt", "GetThemeSysSize", "GetThemeSysString",
    "GetThemeTextExtent", "GetThemeTextMetrics", "GetWindowTheme", "HitTestThemeBackground", "IsAppThemed",
    "IsThemeActive", "IsThemePartDefined", "IsThemeBackgroundPartiallyTransparent", "IsThemeDialogTextureEnabled",
    "OpenThemeData", "SetThemeAppProperties", "SetWindowTheme", "BufferedPaintInit", "BufferedPaintUnInit",
    "BeginBufferedPaint", "EndBufferedPaint", "BufferedPaintSetAlpha"};
constexpr size_t BoundCount = std::size(BoundNames);

struct TBinding {
  bool IsXPOrLater = false;
  HMODULE Library = nullptr;
  FARPROC Functions[BoundCount] = {};

  TBinding() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (GetVersionExW(&info))
      IsXPOrLater = info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion != 0);
    InitCommonControls();
    if (!IsXPOrLater) return;
    Library = LoadLibraryW(L"uxtheme.dll");
    if (!Library) return;
    for (size_t i = 0; i < BoundCount; ++i) Functions[i] = GetProcAddress(Library, BoundNames[i]);
  }
  ~TBinding() {
    if (Library) FreeLibrary(Library);
  }
};

TBinding& Binding() {
  static TBinding binding;
  return binding;
}

template <class F>
F Bound(const char* AName) {
  return reinterpret_cast<F>(dxThemeFunction(AName));
}

RECT AsWinRect(const TRect& R) { return RECT{R.Left, R.Top, R.Right, R.Bottom}; }
TRect FromWinRect(const RECT& R) { return TRect(R.left, R.top, R.right, R.bottom); }
}  // namespace

bool dxIsXPOrLater() { return Binding().IsXPOrLater; }
bool dxIsThemeLibraryLoaded() { return Binding().Library != nullptr; }

FARPROC dxThemeFunction(const char* AName) {
  const TBinding& b = Binding();
  for (size_t i = 0; i < BoundCount; ++i)
    if (std::strcmp(BoundNames[i], AName) == 0) return b.Functions[i];
  return nullptr;
}

namespace dxUxTheme {

BOOL IsThemeActive() {
  auto f = Bound<decltype(&::IsThemeActive)>("IsThemeActive");
  return f ? f() : FALSE;
}

HTHEME OpenThemeData(HWND AWnd, const char16_t* AClassList) {
  auto f = Bound<decltype(&::OpenThemeData)>("OpenThemeData");
  return f ? f(AWnd, reinterpret_cast<LPCWSTR>(AClassList)) : nullptr;
}

HRESULT CloseThemeData(HTHEME ATheme) {
  auto f = Bound<decltype(&::CloseThemeData)>("CloseThemeData");
  return f ? f(ATheme) : E_NOTIMPL;
}

HRESULT DrawThemeBackground(HTHEME ATheme, HDC DC, int APart, int AState, const TRect& R, const TRect* AClipRect) {
  auto f = Bound<decltype(&::DrawThemeBackground)>("DrawThemeBackground");
  if (!f) return E_NOTIMPL;
  RECT r = AsWinRect(R), clip{};
  if (AClipRect) clip = AsWinRect(*AClipRect);
  return f(ATheme, DC, APart, AState, &r, AClipRect ? &clip : nullptr);
}

HRESULT DrawThemeEdge(HTHEME ATheme, HDC DC, int APart, int AState, const TRect& R, UINT AEdge, UINT AFlags,
                      TRect* AContentRect) {
  auto f = Bound<decltype(&::DrawThemeEdge)>("DrawThemeEdge");
  if (!f) return E_NOTIMPL;
  RECT r = AsWinRect(R), content{};
  HRESULT hr = f(ATheme, DC, APart, AState, &r, AEdge, AFlags, AContentRect ? &content : nullptr);
  if (AContentRect && SUCCEEDED(hr)) *AContentRect = FromWinRect(content);
  return hr;
}

HRESULT DrawThemeText(HTHEME ATheme, HDC DC, int APart, int AState, const String& AText, DWORD AFlags,
                      DWORD AFlags2, const TRect& R) {
  auto f = Bound<decltype(&::DrawThemeText)>("DrawThemeText");
  if (!f) return E_NOTIMPL;
  const std::u16string text = vcl::ToUtf16(AText);
  RECT r = AsWinRect(R);
  return f(ATheme, DC, APart, AState, vcl::W(text), int(text.size()), AFlags, AFlags2, &r);
}

HRESULT DrawThemeParentBackground(HWND AWnd, HDC DC, const TRect* R) {
  auto f = Bound<decltype(&::DrawThemeParentBackground)>("DrawThemeParentBackground");
  if (!f) return E_NOTIMPL;
  HGDIOBJ font = GetCurrentObject(DC, OBJ_FONT);
  RECT r{};
  if (R) r = AsWinRect(*R);
  HRESULT hr = f(AWnd, DC, R ? &r : nullptr);
  SelectObject(DC, font);
  return hr;
}

HRESULT GetThemeBackgroundContentRect(HTHEME ATheme, HDC DC, int APart, int AState, const TRect& ABounds,
                                      TRect& AContent) {
  auto f = Bound<decltype(&::GetThemeBackgroundContentRect)>("GetThemeBackgroundContentRect");
  if (!f) return E_NOTIMPL;
  RECT bounds = AsWinRect(ABounds), content = bounds;
  HRESULT hr = f(ATheme, DC, APart, AState, &bounds, &content);
  if (SUCCEEDED(hr)) AContent = FromWinRect(content);
  return hr;
}

HRESULT GetThemeBackgroundRegion(HTHEME ATheme, HDC DC, int APart, int AState, const TRect& R, HRGN& ARegion) {
  auto f = Bound<decltype(&::GetThemeBackgroundRegion)>("GetThemeBackgroundRegion");
  ARegion = nullptr;
  if (!f) return E_NOTIMPL;
  RECT r = AsWinRect(R);
  return f(ATheme, DC, APart, AState, &r, &ARegion);
}

HRESULT GetThemePartSize(HTHEME ATheme, HDC DC, int APart, int AState, const TRect* R, THEMESIZE AKind,
                         TSize& ASize) {
  auto f = Bound<decltype(&::GetThemePartSize)>("GetThemePartSize");
  if (!f) return E_NOTIMPL;
  RECT r{};
  if (R) r = AsWinRect(*R);
  SIZE size{};
  HRESULT hr = f(ATheme, DC, APart, AState, R ? &r : nullptr, AKind, &size);
  if (SUCCEEDED(hr)) ASize = TSize(size.cx, size.cy);
  return hr;
}

HRESULT GetThemeColor(HTHEME ATheme, int APart, int AState, int AProp, COLORREF& AColor) {
  auto f = Bound<decltype(&::GetThemeColor)>("GetThemeColor");
  return f ? f(ATheme, APart, AState, AProp, &AColor) : E_NOTIMPL;
}

BOOL IsThemeBackgroundPartiallyTransparent(HTHEME ATheme, int APart, int AState) {
  auto f = Bound<decltype(&::IsThemeBackgroundPartiallyTransparent)>("IsThemeBackgroundPartiallyTransparent");
  return f ? f(ATheme, APart, AState) : FALSE;
}

HRESULT GetCurrentThemeName(String& AFileName, String& AColorName, String& ASizeName) {
  auto f = Bound<decltype(&::GetCurrentThemeName)>("GetCurrentThemeName");
  if (!f) return E_NOTIMPL;
  char16_t file[1024] = {}, color[1024] = {}, size[1024] = {};
  HRESULT hr = f(reinterpret_cast<LPWSTR>(file), 1024, reinterpret_cast<LPWSTR>(color), 1024,
                 reinterpret_cast<LPWSTR>(size), 1024);
  if (FAILED(hr)) return hr;
  AFileName = vcl::FromUtf16(file);
  AColorName = vcl::FromUtf16(color);
  ASizeName = vcl::FromUtf16(size);
  return hr;
}

}  // namespace dxUxTheme
