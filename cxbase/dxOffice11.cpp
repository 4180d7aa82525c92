#include "dxOffice11.h"

#include <memory>

#include "SysUtils.h"
#include "cxGraphics.h"
#include "dxThemeManager.h"

namespace {
enum TRole {
  rFace, rLightFace, rHeaderStart, rHeaderEnd, rHeaderShadow, rHeaderLightEdge, rPanel, rPanelText, rBorder,
  rFocusFrame, rHot, rHotEnd, rPressed, rPressedEnd, rText, rDisabledText, rGroupRow, rSelection, rDarkBorder,
  rControl, rGripDark, rGripLight, rGroupingPanel, rHeaderMiddle, RoleCount
};

constexpr TColor Rgb(int r, int g, int b) { return TColor(r | g << 8 | b << 16); }

// The scheme tables: blue, olive, silver. The grouping panel is a mix of two
// scheme colours (below).
const TColor SchemeColors[3][RoleCount] = {
    {Rgb(158, 190, 245), Rgb(195, 218, 249), Rgb(221, 236, 254), Rgb(129, 169, 226), Rgb(106, 140, 203),
     Rgb(241, 249, 255), Rgb(42, 102, 201), Rgb(255, 255, 255), Rgb(0, 45, 150), Rgb(0, 0, 128),
     Rgb(255, 244, 204), Rgb(255, 208, 145), Rgb(255, 211, 142), Rgb(254, 145, 78), Rgb(0, 0, 0),
     Rgb(141, 141, 141), Rgb(190, 218, 251), Rgb(251, 230, 148), Rgb(0, 45, 150), Rgb(196, 218, 250),
     Rgb(39, 65, 118), Rgb(255, 255, 255), 0, 0},
    {Rgb(217, 217, 167), Rgb(242, 240, 228), Rgb(244, 247, 222), Rgb(183, 198, 145), Rgb(96, 128, 88),
     Rgb(244, 247, 222), Rgb(116, 134, 94), Rgb(255, 255, 255), Rgb(117, 141, 94), Rgb(63, 93, 56),
     Rgb(255, 244, 204), Rgb(255, 208, 145), Rgb(255, 211, 142), Rgb(254, 145, 78), Rgb(0, 0, 0),
     Rgb(141, 141, 141), Rgb(175, 186, 145), Rgb(251, 230, 148), Rgb(96, 128, 88), Rgb(242, 241, 228),
     Rgb(81, 94, 51), Rgb(255, 255, 255), 0, 0},
    {Rgb(215, 215, 229), Rgb(243, 243, 247), Rgb(243, 244, 250), Rgb(153, 151, 181), Rgb(110, 109, 143),
     Rgb(255, 255, 255), Rgb(122, 121, 153), Rgb(255, 255, 255), Rgb(124, 124, 148), Rgb(75, 75, 111),
     Rgb(255, 244, 204), Rgb(255, 208, 145), Rgb(255, 211, 142), Rgb(254, 145, 78), Rgb(0, 0, 0),
     Rgb(141, 141, 141), Rgb(229, 229, 235), Rgb(251, 230, 148), Rgb(124, 124, 148), Rgb(243, 243, 247),
     Rgb(84, 84, 117), Rgb(255, 255, 255), 0, 0}};
const TColor GroupingPanelPairs[3][2] = {{Rgb(0, 53, 145), Rgb(123, 164, 224)},
                                         {Rgb(96, 119, 107), Rgb(181, 196, 143)},
                                         {Rgb(118, 116, 146), Rgb(147, 145, 176)}};

struct TOffice2003State {
  bool Computed = false;
  Integer Scheme = 0;
  TColor Colors[RoleCount] = {};
  Integer RefCount = 0;
  HBRUSH GripDarkBrush = nullptr, GripLightBrush = nullptr;
  std::unique_ptr<TBitmap> ExpandMinus, ExpandPlus;
};

TOffice2003State& State() {
  static TOffice2003State state;
  return state;
}

TColor Sys(TColor c) { return TColor(ColorToRGB(c)); }

void ComputeColors() {
  TOffice2003State& s = State();
  s.Scheme = dxDetectOffice2003Scheme();
  TColor* c = s.Colors;
  if (s.Scheme) {
    for (int i = 0; i < RoleCount; ++i) c[i] = SchemeColors[s.Scheme - 1][i];
    c[rGroupingPanel] = dxMixColors(GroupingPanelPairs[s.Scheme - 1][0], GroupingPanelPairs[s.Scheme - 1][1], 50);
  } else {
    c[rFace] = Sys(clBtnFace);
    c[rLightFace] = dxMixColors(clBtnFace, clWindow, 20);
    c[rHeaderStart] = dxMixColors(clBtnFace, clWindow, 22);
    c[rHeaderEnd] = dxMixColors(clBtnFace, clWindow, 96);
    c[rHeaderShadow] = dxMixColors(clBtnShadow, clWindow, 70);
    c[rHeaderLightEdge] = clWhite;
    c[rPanel] = Sys(clBtnShadow);
    c[rPanelText] = Sys(clBtnHighlight);
    c[rBorder] = Sys(clBtnShadow);
    c[rFocusFrame] = Sys(clHighlight);
    c[rHot] = c[rHotEnd] = cxNearestScreenColor(cxMixSystemColors(-2, 30, 72));
    c[rPressed] = c[rPressedEnd] = cxNearestScreenColor(cxMixSystemColors(14, 44, 40));
    c[rText] = Sys(clBtnText);
    c[rDisabledText] = Sys(clGrayText);
    c[rGroupRow] = Sys(clBtnFace);
    c[rSelection] = cxMixSystemColors(41, 11, 48);
    c[rDarkBorder] = Sys(clBtnShadow);
    c[rControl] = Sys(clBtnFace);
    c[rGripDark] = dxMixColors(clBtnShadow, clWindow, 76);
    c[rGripLight] = Sys(clWindow);
    c[rGroupingPanel] = dxMixColors(clBtnShadow, clBtnFace, 50);
  }
  c[rHeaderMiddle] = dxMixColors(c[rHeaderStart], c[rHeaderEnd], 50);
  s.Computed = true;
}

TColor Role(TRole r) {
  if (!State().Computed) ComputeColors();
  return State().Colors[r];
}

// An expand button: a frame with a lighter top-left corner, a face running
// from white to a light blue-grey, and a black minus or plus.
std::unique_ptr<TBitmap> MakeExpandButton(bool AExpanded) {
  auto b = std::make_unique<TBitmap>(11, 11, pf24bit);
  TCanvas* c = b->Canvas();
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) {
      TColor color;
      if (x == 0 && y == 0) color = Rgb(158, 174, 191);
      else if (x == 0 || y == 0 || x == 10 || y == 10) color = Rgb(46, 70, 95);
      else {
        const int t = (y - 1) * 255 / 8;
        color = Rgb(255 - t * 55 / 255, 255 - t * 43 / 255, 255 - t * 32 / 255);
      }
      c->SetPixels(x, y, color);
    }
  for (int x = 3; x <= 7; ++x) c->SetPixels(x, 5, clBlack);
  if (!AExpanded)
    for (int y = 3; y <= 7; ++y) c->SetPixels(5, y, clBlack);
  return b;
}

void CreateResources() {
  TOffice2003State& s = State();
  s.GripDarkBrush = CreateSolidBrush(COLORREF(Role(rGripDark)));
  s.GripLightBrush = CreateSolidBrush(COLORREF(Role(rGripLight)));
  s.ExpandMinus = MakeExpandButton(true);
  s.ExpandPlus = MakeExpandButton(false);
}

void DestroyResources() {
  TOffice2003State& s = State();
  if (s.GripDarkBrush) DeleteObject(s.GripDarkBrush);
  if (s.GripLightBrush) DeleteObject(s.GripLightBrush);
  s.GripDarkBrush = s.GripLightBrush = nullptr;
  s.ExpandMinus.reset();
  s.ExpandPlus.reset();
}

using TGradientFill = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

TGradientFill GradientFillFunction() {
  static HMODULE lib = LoadLibraryW(L"msimg32.dll");
  static TGradientFill f = lib ? reinterpret_cast<TGradientFill>(GetProcAddress(lib, "GradientFill")) : nullptr;
  return f;
}

int Channel(TColor c, int shift) { return int((COLORREF(ColorToRGB(c)) >> shift) & 0xFF); }
}  // namespace

Integer dxDetectOffice2003Scheme() {
  if (!dxVisualStylesEnabled(0)) return 0;
  String file, color, size;
  if (FAILED(dxUxTheme::GetCurrentThemeName(file, color, size))) return 0;
  const size_t slash = file.find_last_of("\\/");
  const String name = AnsiUpperCase(slash == String::npos ? file : file.substr(slash + 1));
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  const bool laterSystem = GetVersionExW(&info) && info.dwMajorVersion > 5;
  if (name != "LUNA.MSSTYLES" && !laterSystem) return 0;
  const String colorName = AnsiUpperCase(color);
  if (colorName == "NORMALCOLOR") return 1;
  if (colorName == "HOMESTEAD") return 2;
  if (colorName == "METALLIC") return 3;
  return 0;
}

Integer dxOffice2003Scheme() {
  if (!State().Computed) ComputeColors();
  return State().Scheme;
}

bool dxIsOffice2003SchemeActive() { return dxVisualStylesEnabled(0) && dxOffice2003Scheme() != 0; }

void dxAddRefOffice2003Colors() {
  TOffice2003State& s = State();
  if (s.RefCount++ == 0) {
    ComputeColors();
    CreateResources();
  }
}

void dxReleaseOffice2003Colors() {
  TOffice2003State& s = State();
  if (s.RefCount == 0) return;
  if (--s.RefCount == 0) DestroyResources();
}

void dxRecalcOffice2003Colors() {
  ComputeColors();
  if (State().RefCount > 0) {
    DestroyResources();
    CreateResources();
  }
}

Integer dxOffice2003ColorsRefCount() { return State().RefCount; }

TColor Office2003FaceColor() { return Role(rFace); }
TColor Office2003LightFaceColor() { return Role(rLightFace); }
TColor Office2003HeaderStartColor() { return Role(rHeaderStart); }
TColor Office2003HeaderEndColor() { return Role(rHeaderEnd); }
TColor Office2003HeaderShadowColor() { return Role(rHeaderShadow); }
TColor Office2003HeaderLightEdgeColor() { return Role(rHeaderLightEdge); }
TColor Office2003PanelColor() { return Role(rPanel); }
TColor Office2003PanelTextColor() { return Role(rPanelText); }
TColor Office2003BorderColor() { return Role(rBorder); }
TColor Office2003FocusFrameColor() { return Role(rFocusFrame); }
TColor Office2003HotColor() { return Role(rHot); }
TColor Office2003HotEndColor() { return Role(rHotEnd); }
TColor Office2003PressedColor() { return Role(rPressed); }
TColor Office2003PressedEndColor() { return Role(rPressedEnd); }
TColor Office2003TextColor() { return Role(rText); }
TColor Office2003DisabledTextColor() { return Role(rDisabledText); }
TColor Office2003GroupRowColor() { return Role(rGroupRow); }
TColor Office2003SelectionColor() { return Role(rSelection); }
TColor Office2003DarkBorderColor() { return Role(rDarkBorder); }
TColor Office2003ControlColor() { return Role(rControl); }
TColor Office2003GripDarkColor() { return Role(rGripDark); }
TColor Office2003GripLightColor() { return Role(rGripLight); }
TColor Office2003GroupingPanelColor() { return Role(rGroupingPanel); }
TColor dxOffice2003HeaderMiddleColor() { return Role(rHeaderMiddle); }
TColor dxOffice2003PanelGradientColor1() { return Role(rHeaderStart); }
TColor dxOffice2003PanelGradientColor2() { return Role(rHeaderEnd); }

TBitmap* dxOffice2003ExpandButtonBitmap(bool AExpanded) {
  return AExpanded ? State().ExpandMinus.get() : State().ExpandPlus.get();
}
HBRUSH dxOffice2003GripDarkBrush() { return State().GripDarkBrush; }
HBRUSH dxOffice2003GripLightBrush() { return State().GripLightBrush; }

TColor dxMixColors(TColor A, TColor B, Integer APercent) {
  auto mix = [&](int shift) {
    const int v = cxMulDiv(Channel(B, shift), 100 - APercent, 100) + cxMulDiv(Channel(A, shift), APercent, 100);
    return v > 255 ? 255 : v < 0 ? 0 : v;
  };
  return cxNearestScreenColor(TColor(mix(0) | mix(8) << 8 | mix(16) << 16));
}

void dxPaintGradientBands(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2) {
  const Integer extent = AHorizontal ? R.Right - R.Left : R.Bottom - R.Top;
  if (extent <= 0 || R.Right <= R.Left || R.Bottom <= R.Top) return;
  const Integer n = extent < 256 ? extent : 256;
  for (Integer i = 0; i < n; ++i) {
    const Integer from = cxMulDiv(i, extent, n), to = cxMulDiv(i + 1, extent, n);
    if (to <= from) continue;
    auto channel = [&](int shift) {
      const int a = Channel(AColor1, shift), b = Channel(AColor2, shift);
      return a + (n > 1 ? cxMulDiv(i, b - a, n - 1) : 0);
    };
    HBRUSH brush = CreateSolidBrush(RGB(channel(0), channel(8), channel(16)));
    RECT band = AHorizontal ? RECT{R.Left + from, R.Top, R.Left + to, R.Bottom}
                            : RECT{R.Left, R.Top + from, R.Right, R.Top + to};
    FillRect(DC, &band, brush);
    DeleteObject(brush);
    if (to >= extent) break;
  }
}

void dxPaintGradient(HDC DC, const TRect& R, TColor AColor1, bool AHorizontal, TColor AColor2) {
  if (R.Right <= R.Left || R.Bottom <= R.Top) return;
  if (ColorToRGB(AColor1) == ColorToRGB(AColor2)) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(AColor1));
    RECT r{R.Left, R.Top, R.Right, R.Bottom};
    FillRect(DC, &r, brush);
    DeleteObject(brush);
    return;
  }
  TGradientFill fill = GradientFillFunction();
  if (!fill) return dxPaintGradientBands(DC, R, AColor1, AHorizontal, AColor2);
  auto vertex = [](Integer x, Integer y, TColor c) {
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = COLOR16(Channel(c, 0) << 8);
    v.Green = COLOR16(Channel(c, 8) << 8);
    v.Blue = COLOR16(Channel(c, 16) << 8);
    v.Alpha = 0;
    return v;
  };
  TRIVERTEX vertices[2] = {vertex(R.Left, R.Top, AColor1), vertex(R.Right, R.Bottom, AColor2)};
  GRADIENT_RECT rect{0, 1};
  fill(DC, vertices, 2, &rect, 1, AHorizontal ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V);
}

void dxPaintOffice2003SizeGrip(HDC DC, const TRect& R, TColor ADarkColor, TColor ALightColor) {
  HBRUSH dark = ADarkColor == clDefault ? dxOffice2003GripDarkBrush() : nullptr;
  HBRUSH light = ALightColor == clDefault ? dxOffice2003GripLightBrush() : nullptr;
  const bool ownDark = !dark, ownLight = !light;
  if (ownDark) dark = CreateSolidBrush(ColorToRGB(ADarkColor == clDefault ? Office2003GripDarkColor() : ADarkColor));
  if (ownLight)
    light = CreateSolidBrush(ColorToRGB(ALightColor == clDefault ? Office2003GripLightColor() : ALightColor));
  // Rows 4 pixels apart from 3 pixels above the bottom: three, two and one
  // dots, 4 pixels apart, starting 12, 8 and 4 pixels from the right edge.
  for (int row = 0; row < 3; ++row) {
    const int top = R.Bottom - 3 - 4 * (row + 1);
    for (int dot = 0; dot < 3 - row; ++dot) {
      const int left = R.Right - 12 + 4 * (row + dot);
      RECT lightDot{left + 1, top + 1, left + 3, top + 3}, darkDot{left, top, left + 2, top + 2};
      FillRect(DC, &lightDot, light);
      FillRect(DC, &darkDot, dark);
    }
  }
  if (ownDark) DeleteObject(dark);
  if (ownLight) DeleteObject(light);
}
