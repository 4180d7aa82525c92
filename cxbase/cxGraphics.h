// Painting helpers of the editor library. Every piece of painting goes
// through TcxCanvas, a thin object around a platform canvas that adds stacks
// of saved device-context states, clip regions and pen/brush/font states,
// clip-region arithmetic with TcxRegion, text output with the library's own
// text flags (embossed disabled text, vertical alignment of wrapped text),
// frames, 3-D edges, bordered fills and bitmap tiling. Beside it: a shared
// screen canvas for measuring text, helpers that paint a control's parent
// behind it, colour helpers and the platform flags.
//
// The bitmap half of the unit (TcxCustomBitmap, TcxBitmap, pixel operations,
// blending, resampling and glyph drawing) follows below.
#pragma once
#include <memory>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "cxClasses.h"
#include "cxGeometry.h"

class TCustomImageList;
class TChangeLink;

// ---------------------------------------------------------------------------
// Platform flags, read once at start-up.

extern bool cxPlatformIs9x;
extern bool cxPlatformIsNT4Up;
extern bool cxPlatformIsVistaUp;
void cxInitPlatformFlags();

// ---------------------------------------------------------------------------
// Text flags of the library, converted to DrawText flags by
// cxTextFlagsToDrawTextFlags. The horizontal alignment is bits 0..2 (1 left,
// 2 right, 4 centre), the vertical one bits 3..5 (8 top, 0x10 bottom, 0x20
// centre).

constexpr Cardinal cxtfLeft = 0x0001;
constexpr Cardinal cxtfRight = 0x0002;
constexpr Cardinal cxtfHCenter = 0x0004;
constexpr Cardinal cxtfTop = 0x0008;
constexpr Cardinal cxtfBottom = 0x0010;
constexpr Cardinal cxtfVCenter = 0x0020;
constexpr Cardinal cxtfSingleLine = 0x0040;
constexpr Cardinal cxtfNoClip = 0x0080;
constexpr Cardinal cxtfExpandTabs = 0x0100;
constexpr Cardinal cxtfShowPrefix = 0x0200;
constexpr Cardinal cxtfWordBreak = 0x0400;
constexpr Cardinal cxtfEndEllipsis = 0x0800;
constexpr Cardinal cxtfCalcRect = 0x1000;
constexpr Cardinal cxtfPathEllipsis = 0x2000;
constexpr Cardinal cxtfNoEditControl = 0x4000;

Cardinal cxTextFlagsToDrawTextFlags(Cardinal Flags);

// Sides of a rectangle.
enum TcxBorder { bLeft, bTop, bRight, bBottom };
using TcxBorders = TSet<TcxBorder>;
inline const TcxBorders cxBordersAll{bLeft, bTop, bRight, bBottom};

// ---------------------------------------------------------------------------
// Regions

enum TcxRegionCombineMode { rcmSet, rcmUnion, rcmDifference, rcmIntersect };

// Owns a GDI region.
class TcxRegion : public TObject {
  TOVANI_CLASS(TcxRegion, TObject)
 public:
  // The empty rectangle (0, 0, 0, 0).
  TcxRegion();
  // Takes ownership of the handle.
  explicit TcxRegion(HRGN AHandle);
  explicit TcxRegion(const TRect& R);
  TcxRegion(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom);
  ~TcxRegion() override;

  HRGN Handle() const { return FHandle; }
  // Deletes the region and forgets the handle.
  void ReleaseHandle();
  // Gives the handle to the caller, who then owns it.
  HRGN ExtractHandle();
  bool HasNoArea() const;
  TRect BoundsRect() const;
  // rcmSet copies Region into this one; the other modes combine this one
  // with Region into this one. Region is freed when ADestroyRegion.
  void CombineWith(TcxRegion* Region, TcxRegionCombineMode Mode, bool ADestroyRegion = true);
  void CombineWith(const TRect& R, TcxRegionCombineMode Mode);
  bool SameAs(const TcxRegion* Region) const;
  bool SameAsHandle(HRGN AHandle) const;
  void Offset(Integer DX, Integer DY);
  bool PtInRegion(TPoint P) const;

 private:
  HRGN FHandle = nullptr;
};

// ---------------------------------------------------------------------------
// Canvas

// A background: colour and an optional tile bitmap, with the text's font and
// colour for those who draw text on it.
struct TcxViewParams {
  TBitmap* Bitmap = nullptr;
  TColor Color = clDefault;
  TFont* Font = nullptr;
  TColor TextColor = clDefault;
};

// A saved font, brush and pen (PushState).
struct TcxCanvasState {
  std::unique_ptr<TFont> Font;
  std::unique_ptr<TBrush> Brush;
  std::unique_ptr<TPen> Pen;
};

class TcxCanvas : public TObject {
  TOVANI_CLASS(TcxCanvas, TObject)
 public:
  explicit TcxCanvas(TCanvas* ACanvas);
  // Regions and states left by unbalanced pushes are freed here.
  ~TcxCanvas() override;

  TCanvas* Canvas() const { return FCanvas; }
  HDC Handle() const;
  TBrush* Brush() const { return FCanvas->Brush(); }
  TFont* Font() const { return FCanvas->Font(); }
  TPen* Pen() const { return FCanvas->Pen(); }
  void SetFont(TFont* AFont) { FCanvas->SetFont(AFont); }
  // Writes the brush colour only when it differs (no new GDI brush otherwise).
  void SetBrushColor(TColor AColor);

  void SetPixel(Integer X, Integer Y, TColor AColor);
  void MoveTo(Integer X, Integer Y) { FCanvas->MoveTo(X, Y); }
  void LineTo(Integer X, Integer Y) { FCanvas->LineTo(X, Y); }
  void DrawPolygon(const TPoint* Points, Integer Count);
  void DrawPolyline(const TPoint* Points, Integer Count);
  void DrawGraphic(Integer X, Integer Y, TGraphic* AGraphic) { FCanvas->Draw(X, Y, AGraphic); }
  void CopyRectFromCanvas(const TRect& DestRect, TCanvas* ASourceCanvas, const TRect& SourceRect);
  void InvertRect(const TRect& R);

  // clNone paints nothing; clDefault keeps the brush colour.
  void FillRectColor(const TRect& R, TColor AColor);
  // Tiles the bitmap over R on a grid anchored at the logical origin, or
  // fills with the brush; with AExcludeRect R then leaves the clip region.
  void FillRectangle(const TRect& R, TBitmap* ABitmap = nullptr, bool AExcludeRect = false);
  void DrawRectBorders(const TRect& R, TColor AColor, Integer AWidth, TcxBorders ABorders, bool AExcludeRect = false);
  void FillRectWithBorders(const TRect& R, const TcxViewParams& AViewParams, TcxBorders ABorders,
                           TColor ABorderColor, Integer ABorderWidth, bool AExcludeRect = false);
  void DrawTwoColorFrame(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor,
                         TcxBorders ABorders = cxBordersAll, Integer AWidth = 1);
  void Draw3DEdge(const TRect& R, bool ASunken, bool AOuter, TcxBorders ABorders = cxBordersAll);
  void DrawFocusRect(const TRect& R);

  // Text in the library's flags; disabled text is embossed.
  void PaintText(const String& AText, TRect R, Cardinal AFlags, bool AEnabled = true);
  // Size of one line of text; (0, 0) when it cannot be measured.
  void MeasureText(const String& AText, TSize& ASize);
  Integer MeasureTextWidth(const String& AText);
  Integer MeasureTextHeight(const String& AText);
  // Assigns the font and measures the height of "Qq".
  Integer FontHeight(TFont* AFont);
  // The rectangle a text block needs, aligned inside R as the flags say.
  void MeasureTextRect(const String& AText, TRect& R, Cardinal AFlags);
  TSize TextExtent(const String& AText);
  Integer TextWidth(const String& AText) { return TextExtent(AText).cx; }
  Integer TextHeight(const String& AText) { return TextExtent(AText).cy; }

  // Stacks. A pop with nothing saved does nothing.
  void PushDC();
  void PopDC();
  void PushClipRegion();
  void PopClipRegion();
  void PushState();
  void PopState();
  Integer SavedDCCount() const { return Integer(FSavedDCs.size()); }
  Integer SavedRegionCount() const { return Integer(FSavedRegions.size()); }
  Integer SavedStateCount() const { return Integer(FSavedStates.size()); }

  void ExcludeFromClip(const TRect& R);
  void IntersectClip(const TRect& R);
  // The current clip region (the caller owns it); (0, 0, 30000, 30000) when
  // the DC has none. With AConsiderOrigin it is in logical coordinates.
  TcxRegion* CopyClipRegion(bool AConsiderOrigin = true);
  // Callers work in logical coordinates; the canvas converts to the device
  // coordinates SelectClipRgn expects. A region not destroyed is left as the
  // caller gave it.
  void ApplyClipRegion(TcxRegion* ARegion, TcxRegionCombineMode AMode = rcmSet, bool AConsiderOrigin = true,
                       bool ADestroyRegion = true);
  TPoint WindowOrigin() const;
  void SetWindowOrigin(TPoint P);
  TPoint ViewportOrigin() const;
  // Viewport origin minus window origin.
  TPoint DeviceOrigin() const;

 private:
  TCanvas* FCanvas;
  std::vector<int> FSavedDCs;
  std::vector<TcxRegion*> FSavedRegions;
  std::vector<TcxCanvasState> FSavedStates;
};

// A canvas on the screen (the desktop window's DC) for measuring text while
// a control has no window.
class TcxScreenCanvas : public TcxCanvas {
  TOVANI_CLASS(TcxScreenCanvas, TcxCanvas)
 public:
  TcxScreenCanvas();
  ~TcxScreenCanvas() override;

 private:
  std::unique_ptr<TCanvas> FScreenCanvas;
};

// One process-wide screen canvas, made on first use.
TcxScreenCanvas* cxSharedScreenCanvas();

// ---------------------------------------------------------------------------
// Unit helpers

// DrawText of the whole text (Count -1) or its first Count characters.
Integer cxDrawTextInRect(HDC DC, const String& AText, TRect& R, Cardinal AFormat, Integer ACount = -1);
bool cxExtTextOutAt(HDC DC, const String& AText, TPoint P, Cardinal AOptions, const TRect& R, Integer ACount = -1);
bool cxTextExtentInDC(HDC DC, const String& AText, TSize& ASize, Integer ACount = -1);
// Measured on the shared screen canvas; AFontSize 0 keeps the font's size.
TSize cxMeasureTextInFont(TFont* AFont, const String& AText, Integer AFontSize = 0);
Integer cxTextWidthInFont(TFont* AFont, const String& AText, Integer AFontSize = 0);
Integer cxTextHeightInFont(TFont* AFont, const String& AText, Integer AFontSize = 0);
bool cxReadLogFont(HFONT AFont, LOGFONTW& ALogFont);
bool cxReadBitmapInfo(HBITMAP ABitmap, BITMAP& ABitmapInfo);
bool cxIsChineseOrArabicText(Byte ACharset, const String& AText);
void cxInvalidateWindowRect(HWND AWnd, const TRect* R, bool AErase);
void cxDeflateRectBy(TRect& R, const TRect& AMargins);
bool cxRectsSameSize(const TRect& R1, const TRect& R2);
TColor cxNearestScreenColor(TColor AColor);
Integer cxClampChannel(Integer AValue);
// Percentages of clBtnFace, clHighlight and clWindow mixed channel by channel.
TColor cxMixSystemColors(ShortInt ABtnFacePercent, ShortInt AHighlightPercent, ShortInt AWindowPercent);
TColor cxLightPressedColor();
TColor cxLightHotColor();
// Paints what the control's parent shows behind Rect (client coordinates of
// the control) onto the canvas.
void cxDrawParentBackground(TControl* AControl, TcxCanvas* ACanvas, const TRect& R);
void cxDrawParentImage(TControl* AControl, TcxCanvas* ACanvas, const TRect& R, bool APaintSiblings = false);
// The visible extent of the current mouse cursor (below its hot spot), for
// placing hints under it.
void cxGetMouseCursorExtent(TSize& ASize);
// The checkered 8 x 8 pattern brush (alternate pixels set).
HBRUSH cxHalftoneBrush();
