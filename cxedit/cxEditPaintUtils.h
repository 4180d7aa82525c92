// Drawing primitives of the editors: a process-wide cache of solid brushes
// (painting code fills in any colour without making and deleting GDI
// brushes each time), the desktop-composition test, and the editors' small
// painting routines (arrows, glyphs, borders, orthogonal polylines, button
// sizes, hot-track colours, font transfer between canvases).
#pragma once
#include <memory>
#include <vector>

#include "cxContainer.h"
#include "cxGraphics.h"
#include "cxLookAndFeelPainters.h"

class TCustomImageList;

// ---------------------------------------------------------------------------
// Solid-brush cache

// Colours kept sorted (unsigned comparison) with a use count each; when the
// cache is full the least used entry makes room. System colours are served
// from the system's own brushes and never enter the cache. The cache owns
// the brushes it made: callers must not delete them.
class TcxSolidBrushCache : public TObject {
  TOVANI_CLASS(TcxSolidBrushCache, TObject)
 public:
  explicit TcxSolidBrushCache(Integer AMaxDepth = 128);
  ~TcxSolidBrushCache() override;

  HBRUSH GetBrush(TColor AColor);
  // Deletes every cached brush (a palette change makes them stale).
  virtual void Clear();

  Integer Depth() const { return Integer(FColors.size()); }
  Integer MaxDepth() const { return FMaxDepth; }
  // Hits of a cached colour since it was added; -1 when it is not cached.
  Integer UseCount(TColor AColor) const;
  bool Contains(TColor AColor) const { return UseCount(AColor) >= 0; }

 private:
  Integer FMaxDepth;
  std::vector<uint32_t> FColors;
  std::vector<HBRUSH> FBrushes;
  std::vector<uint32_t> FCounts;
};

// The process-wide cache (depth 128).
TcxSolidBrushCache* cxSolidBrushCache();
HBRUSH cxBrushFromColor(TColor AColor);
inline HBRUSH cxBrushFromColor(TcxCanvas*, TColor AColor) { return cxBrushFromColor(AColor); }
inline HBRUSH cxBrushFromColor(TCanvas*, TColor AColor) { return cxBrushFromColor(AColor); }
void cxFillSolidRect(TcxCanvas* ACanvas, const TRect& R, TColor AColor);
void cxFillSolidRect(HDC DC, const TRect& R, TColor AColor);
void cxWinFillRect(HDC DC, const TRect& R, HBRUSH ABrush);
// Outer minus Inner as four strips (left and right full height, top and
// bottom between them); nothing when Outer is empty or equals Inner, all of
// Outer when Inner is empty.
void cxFillFrameRingWithBrush(TcxCanvas* ACanvas, const TRect& AOuter, const TRect& AInner, HBRUSH ABrush);
// The four strips themselves (empty ones left out).
std::vector<TRect> cxFrameRingStrips(const TRect& AOuter, const TRect& AInner);

// ---------------------------------------------------------------------------
// Desktop composition: the desktop window manager library is bound at run
// time (absent on older systems).

bool cxLoadDwmApi();
bool cxDwmLoaded();
bool cxDwmCompositionOn();

// ---------------------------------------------------------------------------
// Editor painting

// Draws one or two filled triangles centred in R; AOffset (a pressed
// button) moves them one pixel right and down.
void cxDrawEditArrow(TcxCanvas* ACanvas, Integer AArrowSize, const TRect& R, TcxArrowPointing ADirection,
                     bool AIsDouble, bool AOffset, TColor AColor);
// The arrow that fits a box: (width, height) for up and down, swapped for
// left and right.
TSize cxCalcArrowSize(const TSize& ASize, TcxArrowPointing ADirection);
// A one-pixel line along each named side (left, right, top, bottom in that
// order); each drawn side of R moves in by one.
void cxDrawRectSides(TcxCanvas* ACanvas, TRect& R, TcxBorders ABorders, TColor AColor);
// ACount horizontal or vertical segments between ACount + 1 points, the end
// pixel included.
void cxDrawOrthoPolyline(TcxCanvas* ACanvas, const TPoint* APoints, Integer ACount, TColor AColor, bool AUseBrush);
// A glyph with its transparent colour knocked out; disabled glyphs in the
// disabled look. Over ABackgroundColor, or the canvas as it is for clNone.
// With ABuffer the glyph is composed in that bitmap first (over the
// background, or over what the canvas shows) and then drawn.
void cxDrawGlyphOnCxCanvas(TcxCanvas* ACanvas, Integer X, Integer Y, TBitmap* AGlyph, bool AEnabled,
                           TColor ABackgroundColor = clNone, TBitmap* ABuffer = nullptr);
void cxDrawGlyphAt(TCanvas* ACanvas, Integer X, Integer Y, TBitmap* AGlyph, bool AEnabled,
                   TColor ABackgroundColor = clNone, TBitmap* ABuffer = nullptr);
// One image at R's top-left, drawn through ABitmap (or a bitmap of the
// list's image size filled with ABackgroundColor).
void cxDrawImageListImage(TcxCanvas* ACanvas, TCustomImageList* AImageList, Integer AIndex, const TRect& R,
                          TColor ABackgroundColor, bool AEnabled, TBitmap* ABitmap = nullptr);
bool cxIsGlyphUsable(TBitmap* AGlyph);
bool cxIsImageListUsable(TCustomImageList* AImageList);

// The painter for a native flag and a look-and-feel kind.
TcxLookAndFeelPainterClass cxPainterClassFor(bool ANative, TcxLookAndFeelKind AKind);
// The border width of an editor border style (the container's numbering);
// with a style painter 2 for thick borders and 1 otherwise.
Integer cxEditBorderWidth(TcxContainerBorderStyle AStyle, TcxLookAndFeelPainterClass AStylePainter = nullptr);

enum TcxEditButtonKind { bkEllipsis, bkDown, bkGlyph, bkText };
enum TcxEditButtonStyle { btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat, btsUltraFlat, btsOffice11 };

struct TcxEditButtonMetrics {
  bool Native = false;       // in: the native look is asked for; out: it is used
  bool ComboStyle = false;   // the native look of a combo box's button
  TcxEditButtonKind Kind = bkDown;
  TBitmap* Glyph = nullptr;
  String Caption;
  Integer FixedWidth = 0;
};
Integer cxCalcEditButtonWidth(TcxCanvas* ACanvas, TcxEditButtonMetrics& AMetrics);
Integer cxEditButtonsContentVerticalOffset(TcxCanvas* ACanvas, TcxEditButtonStyle AStyle, bool ANative);

// The colour of hot-tracked captions: the system hot-light colour where the
// platform has one, else pure blue.
TColor cxHotTrackTextColor();
TColor cxEditHotBorderColor(bool AOffice11);
TColor cxFlatButtonStateColor(bool APressed, bool AOffice11);

// Font transfer between canvases through the logical-font record.
void cxSetCanvasLogFont(TcxCanvas* ACanvas, const LOGFONTW& ALogFont);
bool cxGetCanvasLogFont(TcxCanvas* ACanvas, LOGFONTW& ALogFont);
