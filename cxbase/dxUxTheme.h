// The visual-styles service (uxtheme) bound by name at start-up, so that the
// library runs where the service is missing: every name the library does not
// export leaves its function empty, and callers ask dxVisualStylesEnabled or
// dxCanUseTheme (dxThemeManager) before they draw themed.
#pragma once
#include "Themes.h"

// Windows XP (5.1) or later, measured at start-up.
bool dxIsXPOrLater();
bool dxIsThemeLibraryLoaded();
// The bound function of one of the names of the binding; null when the
// library or the export is missing.
FARPROC dxThemeFunction(const char* AName);

// Forwarders to the bound functions. They require the library to be loaded;
// without the function they fail (E_NOTIMPL, null, false) instead of calling.
namespace dxUxTheme {
BOOL IsThemeActive();
HTHEME OpenThemeData(HWND AWnd, const char16_t* AClassList);
HRESULT CloseThemeData(HTHEME ATheme);
HRESULT DrawThemeBackground(HTHEME ATheme, HDC DC, int APart, int AState, const TRect& R,
                            const TRect* AClipRect = nullptr);
HRESULT DrawThemeEdge(HTHEME ATheme, HDC DC, int APart, int AState, const TRect& R, UINT AEdge, UINT AFlags,
                      TRect* AContentRect = nullptr);
// The 8-bit (UTF-8) text converted and drawn; ACount -1 is the whole text.
HRESULT DrawThemeText(HTHEME ATheme, HDC DC, int APart, int AState, const String& AText, DWORD AFlags,
                      DWORD AFlags2, const TRect& R);
// Draws the parent's background and selects the font again that was
// selected before (the parent's painting may change it).
HRESULT DrawThemeParentBackground(HWND AWnd, HDC DC, const TRect* R);
HRESULT GetThemeBackgroundContentRect(HTHEME ATheme, HDC DC, int APart, int AState, const TRect& ABounds,
                                      TRect& AContent);
HRESULT GetThemeBackgroundRegion(HTHEME ATheme, HDC DC, int APart, int AState, const TRect& R, HRGN& ARegion);
// TS_MIN, TS_TRUE or TS_DRAW; without a bounding rectangle when R is null.
HRESULT GetThemePartSize(HTHEME ATheme, HDC DC, int APart, int AState, const TRect* R, THEMESIZE AKind,
                         TSize& ASize);
HRESULT GetThemeColor(HTHEME ATheme, int APart, int AState, int AProp, COLORREF& AColor);
BOOL IsThemeBackgroundPartiallyTransparent(HTHEME ATheme, int APart, int AState);
HRESULT GetCurrentThemeName(String& AFileName, String& AColorName, String& ASizeName);
}  // namespace dxUxTheme
