#include <memory>
#include "cxEditPaintUtils.h"

#include <algorithm>

#include "ImgList.h"
#include "Themes.h"
#include "cxLookAndFeels.h"
#include "dxOffice11.h"

// ---------------------------------------------------------------------------
// Solid-brush cache

TOVANI_IMPLEMENT_CLASS(TcxSolidBrushCache, TObject)

namespace {
constexpr Integer kSystemColorCount = 31;

bool IsCachedSystemColor(TColor AColor) {
  uint32_t v = uint32_t(AColor);
  return (v & 0xFFFFFF00u) == 0x80000000u && (v & 0xFF) < uint32_t(kSystemColorCount);
}
}  // namespace

TcxSolidBrushCache::TcxSolidBrushCache(Integer AMaxDepth) : FMaxDepth(std::max(1, AMaxDepth)) {
  FColors.reserve(size_t(FMaxDepth));
  FBrushes.reserve(size_t(FMaxDepth));
  FCounts.reserve(size_t(FMaxDepth));
}

TcxSolidBrushCache::~TcxSolidBrushCache() { Clear(); }

void TcxSolidBrushCache::Clear() {
  for (HBRUSH b : FBrushes) DeleteObject(b);
  FColors.clear();
  FBrushes.clear();
  FCounts.clear();
}

Integer TcxSolidBrushCache::UseCount(TColor AColor) const {
  auto it = std::lower_bound(FColors.begin(), FColors.end(), uint32_t(AColor));
  if (it == FColors.end() || *it != uint32_t(AColor)) return -1;
  return Integer(FCounts[size_t(it - FColors.begin())]);
}

HBRUSH TcxSolidBrushCache::GetBrush(TColor AColor) {
  // The system's brushes of the system colours belong to the system.
  if (IsCachedSystemColor(AColor)) return GetSysColorBrush(int(uint32_t(AColor) & 0xFF));
  uint32_t key = uint32_t(AColor);
  auto it = std::lower_bound(FColors.begin(), FColors.end(), key);
  size_t pos = size_t(it - FColors.begin());
  if (it != FColors.end() && *it == key) {
    ++FCounts[pos];
    return FBrushes[pos];
  }
  if (Integer(FColors.size()) >= FMaxDepth) {
    // The least used entry (the first of equal counts) makes room.
    size_t victim = size_t(std::min_element(FCounts.begin(), FCounts.end()) - FCounts.begin());
    DeleteObject(FBrushes[victim]);
    FColors.erase(FColors.begin() + ptrdiff_t(victim));
    FBrushes.erase(FBrushes.begin() + ptrdiff_t(victim));
    FCounts.erase(FCounts.begin() + ptrdiff_t(victim));
    if (victim < pos) --pos;
  }
  HBRUSH brush = CreateSolidBrush(ColorToRGB(AColor));
  FColors.insert(FColors.begin() + ptrdiff_t(pos), key);
  FBrushes.insert(FBrushes.begin() + ptrdiff_t(pos), brush);
  FCounts.insert(FCounts.begin() + ptrdiff_t(pos), 0);
  return brush;
}

TcxSolidBrushCache* cxSolidBrushCache() {
  static TcxSolidBrushCache cache(128);
  return &cache;
}

HBRUSH cxBrushFromColor(TColor AColor) { return cxSolidBrushCache()->GetBrush(AColor); }

void cxWinFillRect(HDC DC, const TRect& R, HBRUSH ABrush) {
  RECT r{R.Left, R.Top, R.Right, R.Bottom};
  FillRect(DC, &r, ABrush);
}

void cxFillSolidRect(HDC DC, const TRect& R, TColor AColor) {
  if (AColor == clNone) return;
  cxWinFillRect(DC, R, cxBrushFromColor(AColor));
}

void cxFillSolidRect(TcxCanvas* ACanvas, const TRect& R, TColor AColor) { cxFillSolidRect(ACanvas->Handle(), R, AColor); }

std::vector<TRect> cxFrameRingStrips(const TRect& AOuter, const TRect& AInner) {
  std::vector<TRect> strips;
  if (AOuter.IsEmpty() || AOuter == AInner) return strips;
  if (AInner.IsEmpty()) return {AOuter};
  auto add = [&](const TRect& R) {
    if (!R.IsEmpty()) strips.push_back(R);
  };
  add(TRect(AOuter.Left, AOuter.Top, AInner.Left, AOuter.Bottom));
  add(TRect(AInner.Left, AOuter.Top, AInner.Right, AInner.Top));
  add(TRect(AInner.Right, AOuter.Top, AOuter.Right, AOuter.Bottom));
  add(TRect(AInner.Left, AInner.Bottom, AInner.Right, AOuter.Bottom));
  return strips;
}

void cxFillFrameRingWithBrush(TcxCanvas* ACanvas, const TRect& AOuter, const TRect& AInner, HBRUSH ABrush) {
  for (const TRect& R : cxFrameRingStrips(AOuter, AInner)) cxWinFillRect(ACanvas->Handle(), R, ABrush);
}

// ---------------------------------------------------------------------------
// Desktop composition

namespace {
struct TDwmApi {
  HMODULE Library = nullptr;
  bool Loaded = false;
  HRESULT(WINAPI* IsCompositionEnabled)(BOOL*) = nullptr;
  ~TDwmApi() {
    if (Library) FreeLibrary(Library);
  }
};

TDwmApi& DwmApi() {
  static TDwmApi api;
  return api;
}
bool GDwmTried = false;
}  // namespace

bool cxLoadDwmApi() {
  TDwmApi& api = DwmApi();
  if (GDwmTried) return api.Loaded;
  GDwmTried = true;
  OSVERSIONINFOW vi{};
  vi.dwOSVersionInfoSize = sizeof(vi);
  if (!GetVersionExW(&vi) || vi.dwMajorVersion <= 5) return false;
  api.Library = LoadLibraryW(L"dwmapi.dll");
  if (!api.Library) return false;
  api.IsCompositionEnabled =
      reinterpret_cast<HRESULT(WINAPI*)(BOOL*)>(GetProcAddress(api.Library, "DwmIsCompositionEnabled"));
  api.Loaded = true;
  return true;
}

bool cxDwmLoaded() { return cxLoadDwmApi(); }

bool cxDwmCompositionOn() {
  if (!cxLoadDwmApi() || !DwmApi().IsCompositionEnabled) return false;
  BOOL enabled = FALSE;
  return SUCCEEDED(DwmApi().IsCompositionEnabled(&enabled)) && enabled;
}

// ---------------------------------------------------------------------------
// Arrows, sides and polylines

TSize cxCalcArrowSize(const TSize& ASize, TcxArrowPointing ADirection) {
  Integer m = std::min(ASize.cx, ASize.cy);
  Integer w = (m - 1) / 2;
  if (w % 2 == 0) ++w;
  Integer h = w / 2 + 1;
  return (ADirection == apUp || ADirection == apDown) ? TSize(w, h) : TSize(h, w);
}

void cxDrawEditArrow(TcxCanvas* ACanvas, Integer AArrowSize, const TRect& R, TcxArrowPointing ADirection,
                     bool AIsDouble, bool AOffset, TColor AColor) {
  if (AArrowSize <= 0) return;
  Integer n = AIsDouble ? 2 : 1;
  bool vertical = ADirection == apUp || ADirection == apDown;
  Integer blockW = vertical ? 2 * AArrowSize - 1 : n * AArrowSize;
  Integer blockH = vertical ? n * AArrowSize : 2 * AArrowSize - 1;
  Integer x0 = R.Left + (R.Width() - blockW) / 2;
  Integer y0 = R.Top + (R.Height() - blockH) / 2;
  if (AOffset) {
    ++x0;
    ++y0;
  }
  HDC dc = ACanvas->Handle();
  HBRUSH brush = cxBrushFromColor(AColor);
  for (Integer a = 0; a < n; ++a) {
    for (Integer i = 0; i < AArrowSize; ++i) {
      // Line i of the triangle from its tip (up, left) or its base (down, right).
      Integer half = (ADirection == apUp || ADirection == apLeft) ? i : AArrowSize - 1 - i;
      TRect line;
      if (vertical) {
        Integer y = y0 + a * AArrowSize + i;
        line = TRect(x0 + AArrowSize - 1 - half, y, x0 + AArrowSize + half, y + 1);
      } else {
        Integer x = x0 + a * AArrowSize + i;
        line = TRect(x, y0 + AArrowSize - 1 - half, x + 1, y0 + AArrowSize + half);
      }
      cxWinFillRect(dc, line, brush);
    }
  }
}

void cxDrawRectSides(TcxCanvas* ACanvas, TRect& R, TcxBorders ABorders, TColor AColor) {
  HDC dc = ACanvas->Handle();
  HBRUSH brush = cxBrushFromColor(AColor);
  if (ABorders.Contains(bLeft)) {
    cxWinFillRect(dc, TRect(R.Left, R.Top, R.Left + 1, R.Bottom), brush);
    ++R.Left;
  }
  if (ABorders.Contains(bRight)) {
    cxWinFillRect(dc, TRect(R.Right - 1, R.Top, R.Right, R.Bottom), brush);
    --R.Right;
  }
  if (ABorders.Contains(bTop)) {
    cxWinFillRect(dc, TRect(R.Left, R.Top, R.Right, R.Top + 1), brush);
    ++R.Top;
  }
  if (ABorders.Contains(bBottom)) {
    cxWinFillRect(dc, TRect(R.Left, R.Bottom - 1, R.Right, R.Bottom), brush);
    --R.Bottom;
  }
}

void cxDrawOrthoPolyline(TcxCanvas* ACanvas, const TPoint* APoints, Integer ACount, TColor AColor, bool AUseBrush) {
  if (!APoints || ACount < 0) return;
  HDC dc = ACanvas->Handle();
  if (!AUseBrush) {
    ACanvas->Pen()->SetColor(AColor);
    ACanvas->DrawPolyline(APoints, ACount + 1);
    ACanvas->SetPixel(APoints[ACount].X, APoints[ACount].Y, AColor);
    return;
  }
  HBRUSH brush = cxBrushFromColor(AColor);
  for (Integer i = 0; i < ACount; ++i) {
    const TPoint& a = APoints[i];
    const TPoint& b = APoints[i + 1];
    cxWinFillRect(dc, TRect(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X) + 1, std::max(a.Y, b.Y) + 1),
                  brush);
  }
  cxWinFillRect(dc, TRect(APoints[ACount].X, APoints[ACount].Y, APoints[ACount].X + 1, APoints[ACount].Y + 1), brush);
}

// ---------------------------------------------------------------------------
// Glyphs and images

bool cxIsGlyphUsable(TBitmap* AGlyph) {
  return AGlyph && !AGlyph->Empty() && AGlyph->Width() > 0 && AGlyph->Height() > 0;
}

bool cxIsImageListUsable(TCustomImageList* AImageList) {
  return AImageList && AImageList->Width() > 0 && AImageList->Height() > 0;
}

void cxDrawGlyphOnCxCanvas(TcxCanvas* ACanvas, Integer X, Integer Y, TBitmap* AGlyph, bool AEnabled,
                           TColor ABackgroundColor, TBitmap* ABuffer) {
  if (!cxIsGlyphUsable(AGlyph)) return;
  TRect R(X, Y, X + AGlyph->Width(), Y + AGlyph->Height());
  if (!ABuffer) {
    if (ABackgroundColor != clNone) cxFillSolidRect(ACanvas, R, ABackgroundColor);
    // The glyph's bottom-left pixel is its transparent colour, as for
    // glyphs of buttons everywhere in the library.
    cxDrawGlyphOrImage(ACanvas->Handle(), R, R, AGlyph, nullptr, -1, AEnabled ? gemNormal : gemDisabled, true,
                       clDefault);
    return;
  }
  // Composed off-screen first (the background behind the glyph, or what the
  // canvas shows there), then put on the canvas in one go.
  ABuffer->SetWidth(R.Width());
  ABuffer->SetHeight(R.Height());
  TRect local(0, 0, R.Width(), R.Height());
  TcxCanvas buffer(ABuffer->Canvas());
  if (ABackgroundColor != clNone)
    cxFillSolidRect(&buffer, local, ABackgroundColor);
  else
    BitBlt(buffer.Handle(), 0, 0, R.Width(), R.Height(), ACanvas->Handle(), X, Y, SRCCOPY);
  cxDrawGlyphOrImage(buffer.Handle(), local, local, AGlyph, nullptr, -1, AEnabled ? gemNormal : gemDisabled, true,
                     clDefault);
  BitBlt(ACanvas->Handle(), X, Y, R.Width(), R.Height(), buffer.Handle(), 0, 0, SRCCOPY);
}

void cxDrawGlyphAt(TCanvas* ACanvas, Integer X, Integer Y, TBitmap* AGlyph, bool AEnabled, TColor ABackgroundColor,
                   TBitmap* ABuffer) {
  TcxCanvas canvas(ACanvas);
  cxDrawGlyphOnCxCanvas(&canvas, X, Y, AGlyph, AEnabled, ABackgroundColor, ABuffer);
}

void cxDrawImageListImage(TcxCanvas* ACanvas, TCustomImageList* AImageList, Integer AIndex, const TRect& R,
                          TColor ABackgroundColor, bool AEnabled, TBitmap* ABitmap) {
  if (!cxIsImageListUsable(AImageList)) return;
  Integer w = AImageList->Width(), h = AImageList->Height();
  // The image is drawn into a bitmap at its origin (the caller's, or one
  // filled with the background) and the bitmap is put at R's top-left.
  std::unique_ptr<TBitmap> own;
  TBitmap* bmp = ABitmap;
  if (!bmp) {
    own = std::make_unique<TBitmap>();
    own->SetWidth(w);
    own->SetHeight(h);
    bmp = own.get();
    TcxCanvas c(bmp->Canvas());
    if (ABackgroundColor != clNone)
      cxFillSolidRect(&c, TRect(0, 0, w, h), ABackgroundColor);
    else
      BitBlt(c.Handle(), 0, 0, w, h, ACanvas->Handle(), R.Left, R.Top, SRCCOPY);
  }
  TRect image(0, 0, w, h);
  cxDrawGlyphOrImage(bmp->Canvas()->Handle(), image, image, nullptr, AImageList, AIndex,
                     AEnabled ? gemNormal : gemDisabled);
  BitBlt(ACanvas->Handle(), R.Left, R.Top, bmp->Width(), bmp->Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------
// Painters, borders and buttons

TcxLookAndFeelPainterClass cxPainterClassFor(bool ANative, TcxLookAndFeelKind AKind) {
  if (ANative && ThemeServices()->ThemesEnabled()) return cxNativePainter();
  switch (AKind) {
    case lfFlat: return cxFlatPainter();
    case lfStandard: return cxStandardPainter();
    case lfOffice11: return cxOffice11Painter();
    default: return cxUltraFlatPainter();
  }
}

Integer cxEditBorderWidth(TcxContainerBorderStyle AStyle, TcxLookAndFeelPainterClass AStylePainter) {
  if (AStylePainter) return AStyle == cbsThick ? 2 : 1;
  return cxContainerBorderWidth(AStyle);
}

namespace {
// The horizontal (or vertical) margins of part 1 state 1 of a theme class,
// measured on a 100 x 100 rectangle.
TRect ThemeMargins(TcxCanvas* ACanvas, TThemedElement AElement) {
  TRect R(0, 0, 100, 100);
  TRect content = ThemeServices()->ContentRect(ACanvas->Handle(), {AElement, 1, 1}, R);
  return TRect(content.Left - R.Left, content.Top - R.Top, R.Right - content.Right, R.Bottom - content.Bottom);
}

bool ThemeOpens(TThemedElement AElement) {
  return ThemeServices()->ThemesEnabled() && ThemeServices()->Theme(AElement) != nullptr;
}
}  // namespace

Integer cxCalcEditButtonWidth(TcxCanvas* ACanvas, TcxEditButtonMetrics& AMetrics) {
  TThemedElement element = AMetrics.ComboStyle ? teComboBox : teButton;
  if (AMetrics.Native) AMetrics.Native = ThemeOpens(element);
  Integer margin = 4;
  if (AMetrics.Native) {
    TRect m = ThemeMargins(ACanvas, element);
    margin = m.Left + m.Right;
  }
  Integer arrowWidth = GetSystemMetrics(SM_CYHSCROLL);
  if (AMetrics.FixedWidth > 0) return std::max(AMetrics.FixedWidth, margin);
  if (AMetrics.Kind == bkGlyph && cxIsGlyphUsable(AMetrics.Glyph)) return AMetrics.Glyph->Width() + margin;
  if (AMetrics.Kind == bkText) return std::max(arrowWidth, margin + ACanvas->TextWidth(AMetrics.Caption) + 3);
  return arrowWidth;
}

Integer cxEditButtonsContentVerticalOffset(TcxCanvas* ACanvas, TcxEditButtonStyle AStyle, bool ANative) {
  if (ANative && ThemeOpens(teButton)) {
    TRect m = ThemeMargins(ACanvas, teButton);
    return m.Top + m.Bottom;
  }
  switch (AStyle) {
    case btsDefault: return 0;
    case bts3D: return 4;
    default: return 2;
  }
}

TColor cxHotTrackTextColor() {
  static const TColor color = [] {
    OSVERSIONINFOW vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
    bool hasHotLight = false;
    if (GetVersionExW(&vi))
      hasHotLight = (vi.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && vi.dwMinorVersion != 0) ||
                    (vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion == 5);
    return hasHotLight ? SystemColor(COLOR_HOTLIGHT) : TColor(0xFF0000);
  }();
  return color;
}

TColor cxEditHotBorderColor(bool AOffice11) {
  return AOffice11 ? Office2003FocusFrameColor() : clHighlight;
}

TColor cxFlatButtonStateColor(bool APressed, bool AOffice11) {
  TcxLookAndFeelPainterClass painter = cxPainterClassFor(false, AOffice11 ? lfOffice11 : lfUltraFlat);
  return painter->GetButtonFaceColor(APressed ? cxbsPressed : cxbsHot);
}

void cxSetCanvasLogFont(TcxCanvas* ACanvas, const LOGFONTW& ALogFont) {
  HFONT font = CreateFontIndirectW(&ALogFont);
  if (font) ACanvas->Font()->SetHandle(font);
}

bool cxGetCanvasLogFont(TcxCanvas* ACanvas, LOGFONTW& ALogFont) {
  return cxReadLogFont(ACanvas->Font()->Handle(), ALogFont);
}
