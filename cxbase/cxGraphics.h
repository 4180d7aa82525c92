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
#include "ImgList.h"
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

// ---------------------------------------------------------------------------
// Bitmaps, glyph effects, alpha blending and resampling.
//
// Pixels are 32-bit values in the device-independent layout: byte 0 blue,
// 1 green, 2 red, 3 alpha; colour channels count as premultiplied by alpha
// when blending.

class TStream;

using TRGBColors = std::vector<RGBQUAD>;

// A TColor (system colours resolved) as a pixel with the given alpha.
RGBQUAD cxColorToRGBQuad(TColor AColor, Byte AAlpha = 0);
inline uint32_t cxQuadValue(const RGBQUAD& Q) {
  return uint32_t(Q.rgbBlue) | uint32_t(Q.rgbGreen) << 8 | uint32_t(Q.rgbRed) << 16 | uint32_t(Q.rgbReserved) << 24;
}
inline RGBQUAD cxQuadFromValue(uint32_t V) {
  return RGBQUAD{Byte(V), Byte(V >> 8), Byte(V >> 16), Byte(V >> 24)};
}

// A bitmap with a TcxCanvas, grouped change notifications and an optional
// run-length compressed stream form.
class TcxCustomBitmap : public TBitmap {
  TOVANI_CLASS(TcxCustomBitmap, TBitmap)
 public:
  TcxCustomBitmap() : TcxCustomBitmap(0, 0) {}
  TcxCustomBitmap(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat = pf24bit);
  explicit TcxCustomBitmap(const TRect& R, TPixelFormat APixelFormat = pf24bit);
  ~TcxCustomBitmap() override;

  TcxCanvas* cxCanvas() const { return FcxCanvas.get(); }
  // Changes inside a hold are announced once, by the last forced release or
  // by the next change after the holds are gone.
  void BeginChanges() { ++FChangeHold; }
  void EndChanges(bool AForce = false);
  void SetSize(Integer AWidth, Integer AHeight);
  void CopyBitmap(TBitmap* ASource, DWORD ARasterOp = SRCCOPY);
  void CopyBitmapRect(TBitmap* ASource, const TRect& ADestRect, DWORD ARasterOp = SRCCOPY,
                      TPoint ASourceTopLeft = TPoint());
  TRect ImageRect() const { return TRect(0, 0, Width(), Height()); }
  // Angle 0 (flip only), 1 quarter turn counter-clockwise, 2 quarter turn
  // clockwise, 3 half turn; AFlip mirrors vertically as well.
  void RotateQuarter(Integer AAngle, bool AFlip = false);
  virtual void ClearImage();
  // Announces a change (or records it while held).
  void NotifyChanged() { Changed(this); }

  bool CompressData() const { return FCompressData; }
  void SetCompressData(bool Value) { FCompressData = Value; }
  // The stream form: the bitmap's own form, run-length compressed when
  // CompressData is on; reading accepts both.
  void ReadData(TStream* AStream);
  void WriteData(TStream* AStream);
  void DefineProperties(TFiler* Filer) override;

 protected:
  void Changed(TObject* Sender) override;
  virtual void DoBitmapChanged() {}

 private:
  std::unique_ptr<TcxCanvas> FcxCanvas;
  Integer FChangeHold = 0;
  bool FChangePending = false;
  bool FCompressData = false;
};

enum TcxPixelOperation {
  pxoLighten, pxoDisabledGray, pxoAverageGray, pxoOpaque, pxoMask, pxoFadeGray, pxoDisableGray,
  pxoRecoverAlpha, pxoFillBackground, pxoClearAlpha
};

// Always 32 bits per pixel, with transparent colours for the glyph pipeline.
class TcxBitmap : public TcxCustomBitmap {
  TOVANI_CLASS(TcxBitmap, TcxCustomBitmap)
 public:
  TcxBitmap() : TcxBitmap(0, 0) {}
  TcxBitmap(Integer AWidth, Integer AHeight);
  // The background pixel value is what ClearImage fills with and what counts
  // as transparent exactly.
  TcxBitmap(Integer AWidth, Integer AHeight, uint32_t ABackground);
  explicit TcxBitmap(const TRect& R) : TcxBitmap(R.Width(), R.Height()) {}

  // Fills the image with the background pixel (black, alpha 0, by default).
  void ClearImage() override;
  void SetSize(Integer AWidth, Integer AHeight);
  // Pixels row by row, bottom row first.
  void GetPixels(TRGBColors& AColors);
  void SetPixels(const TRGBColors& AColors);
  void ApplyPixelOperation(TcxPixelOperation AOperation);
  bool HasAlphaChannel();
  // The only transparent colour; the background becomes it with alpha 0;
  // pixels of other colours without alpha become opaque.
  void SetTransparentColor(TColor AColor);
  void AddTransparentColor(TColor AColor);
  void ClearTransparentColors() { FTransparentColors.clear(); }
  uint32_t TransparentBackground() const { return FBackground; }
  void SetTransparentBackground(uint32_t Value) { FBackground = Value; }
  bool IsTransparentPixel(uint32_t APixel) const;
  void AlphaBlendTo(TBitmap* ADest, const TRect& ADestRect, Byte AConstAlpha = 255, bool ASmoothStretch = false);

 private:
  std::vector<uint32_t> FTransparentColors;   // RGB, alpha dropped
  uint32_t FBackground = 0;
};

// Blends one premultiplied pixel over another at a constant alpha.
void cxBlendPixel(const RGBQUAD& ASource, RGBQUAD& ADest, Byte AConstAlpha);
// AlphaBlend with per-pixel alpha; false when it is not available or fails.
bool cxAlphaBlendRaw(HDC ADestDC, HDC ASrcDC, const TRect& ADestRect, Byte AConstAlpha, const TRect& ASrcRect);
// AlphaBlend, or (when smoothing a stretch) Lanczos resampling and blending
// pixel by pixel.
void cxBlendWithFallback(HDC ADestDC, HDC ASrcDC, const TRect& ADestRect, const TRect& ASrcRect,
                         Byte AConstAlpha = 255, bool ASmoothStretch = false);
void cxPaintBitmap(HDC DC, TBitmap* ABitmap, const TRect& ADestRect, DWORD ARasterOp = SRCCOPY,
                   TPoint ASourceTopLeft = TPoint());
void cxCopyRectBits(HDC ADestDC, HDC ASrcDC, const TRect& ADestRect, DWORD ARasterOp = SRCCOPY,
                    TPoint ASrcTopLeft = TPoint());
// A new 32-bit bitmap of the rectangle's size holding what the DC shows there.
TBitmap* cxCopyDCToBitmap(HDC DC, const TRect& R);
void cxStretchBitmapOver(TBitmap* ADest, TBitmap* ASource);
TBitmap* cxCreateBitmap(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat = pf24bit);
TBitmap* cxCreateBitmapOfSize(const TSize& ASize, TPixelFormat APixelFormat = pf24bit);
Integer cxBitsPerPixel(TBitmap* ABitmap);
// Any bitmap's pixels as 32-bit values, top row first when ATopDown.
void cxGetBitmapPixels(TBitmap* ABitmap, bool ATopDown, TRGBColors& AColors);
// Writes them back and frees the array.
void cxSetBitmapPixels(TBitmap* ABitmap, TRGBColors& AColors, bool ATopDown);
TcxBitmap* cxDuplicateBitmap(TBitmap* ASource);
// Mask of the glyph: transparent pixels white, others black.
void cxMakeGlyphMask(TBitmap* AGlyph, TBitmap* AMask);
bool cxHasGlyph(TBitmap* ABitmap);
bool cxHasImage(TCustomImageList* AImageList, Integer AIndex);
// Moves the change link and the free notification from the old list to the
// new one and tells the link once.
void cxAssignImageList(TCustomImageList* AValue, TCustomImageList*& AField, TChangeLink* AChangeLink,
                       TComponent* ANotifyComponent);

// Resampling. Lanczos-3 in two separable passes with 8-bit fixed-point
// weights; StretchBlt with HALFTONE on NT systems unless Lanczos is forced.
void cxResampleBitmap(TBitmap* ASource, TBitmap* ADest, bool AForceLanczos = false);
// The scale of one pass (what the contributor lists are built for).
double cxResampleScale(Integer ASrcSize, Integer ADestSize);
struct TcxContributor {
  Integer Pixel;    // source index, mirrored at the edges
  Integer Weight;   // x 256
};
using TContributors = std::vector<TcxContributor>;
using TContributorList = std::vector<TContributors>;
void cxBuildContributors(Integer ASrcSize, Integer ADestSize, double AScale, TContributorList& AList);

// The run-length packets of the compressed stream form: a control byte with
// bit 7 set starts a literal run of (control & 0x7F) bytes; clear, the next
// byte repeats (control & 0x7F) times. Runs hold 1 to 125 bytes.
std::vector<uint8_t> cxRLEEncode(const uint8_t* AData, size_t ASize);
// EReadError for packets that run past the end of the data.
std::vector<uint8_t> cxRLEDecode(const uint8_t* AData, size_t ASize);

// Glyph drawing modes.
enum TcxGlyphEffectMode { gemNormal, gemDisabled, gemFaded, gemGray, gemDimmed, gemShadow };

// Draws a glyph, or image AImageIndex of the image list, into DC: per-pixel
// alpha when the image has it (an all-zero alpha counts as none), otherwise
// the transparent colour or the list's mask; then the effect of the mode.
// GlyphRect is where the image goes, DestRect the area composed off screen
// (its background from ABackgroundBrush, or what the DC shows).
void cxDrawGlyphOrImage(HDC DC, TRect AGlyphRect, const TRect& ADestRect, TBitmap* AGlyph,
                        TCustomImageList* AImageList, Integer AImageIndex, TcxGlyphEffectMode ADrawMode,
                        bool AUseGlyphTransparentColor = false, TColor ATransparentColor = clNone,
                        TBrush* ABackgroundBrush = nullptr, bool ASmoothStretch = false);

// ---------------------------------------------------------------------------
// Image list with stored image info: beside the system image list it keeps
// each image's bitmap, mask and mask colour as added, so images keep their
// alpha channel, read back unchanged and are stored in the form file in the
// library's own (optionally compressed) form. Drawing goes through the glyph
// pipeline, so disabled images get the library's disabled look.

class TcxImageInfo : public TPersistent {
  TOVANI_CLASS(TcxImageInfo, TPersistent)
 public:
  TcxImageInfo();
  ~TcxImageInfo() override;
  void Assign(TPersistent* Source) override;
  TcxCustomBitmap* Image() const { return FImage.get(); }
  TcxCustomBitmap* Mask() const { return FMask.get(); }
  TColor MaskColor() const { return FMaskColor; }
  void SetMaskColor(TColor Value) { FMaskColor = Value; }
  // Null gives an empty bitmap.
  virtual void AssignImage(TBitmap* Value);
  virtual void AssignMask(TBitmap* Value);

 private:
  std::unique_ptr<TcxCustomBitmap> FImage, FMask;
  TColor FMaskColor = clNone;
};

class TcxImageInfoItem : public TCollectionItem {
  TOVANI_CLASS(TcxImageInfoItem, TCollectionItem)
 public:
  explicit TcxImageInfoItem(TCollection* ACollection = nullptr);
  TcxImageInfoItem(TCollection* ACollection, TBitmap* AImage, TBitmap* AMask, TColor AMaskColor);
  void Assign(TPersistent* Source) override;
  TcxImageInfo* ImageInfo() const { return FImageInfo.get(); }
  TBitmap* Image() const { return FImageInfo->Image(); }
  void SetImage(TBitmap* Value) { FImageInfo->AssignImage(Value); }
  TBitmap* Mask() const { return FImageInfo->Mask(); }
  void SetMask(TBitmap* Value) { FImageInfo->AssignMask(Value); }
  TColor MaskColor() const { return FImageInfo->MaskColor(); }
  void SetMaskColor(TColor Value) { FImageInfo->SetMaskColor(Value); }
  bool CompressData() const;
  void SetCompressData(bool Value);

 private:
  std::unique_ptr<TcxImageInfo> FImageInfo;
};

class TcxImageList;

class TcxImageInfoCollection : public TCollection {
  TOVANI_CLASS(TcxImageInfoCollection, TCollection)
 public:
  explicit TcxImageInfoCollection(TcxImageList* AImageList);
  bool CompressData() const { return FCompressData; }
  void SetCompressData(bool Value);
  TcxImageInfoItem* AddInfo(TBitmap* AImage, TBitmap* AMask, TColor AMaskColor);
  void MoveItem(Integer ACurIndex, Integer ANewIndex);
  // -1 clears the collection.
  void DeleteItem(Integer AIndex);
  TcxImageInfoItem* Info(Integer AIndex) const { return static_cast<TcxImageInfoItem*>(Items(AIndex)); }

 protected:
  TPersistent* GetOwner() override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  TcxImageList* FImageList;
  bool FCompressData = false;
};

class TcxImageList : public TDragImageList {
  TOVANI_CLASS(TcxImageList, TDragImageList)
 public:
  explicit TcxImageList(TComponent* AOwner = nullptr);
  TcxImageList(Integer AWidth, Integer AHeight);
  ~TcxImageList() override;

  TcxImageInfoCollection* ImageInfos() const { return FImages.get(); }
  bool CompressData() const { return FImages->CompressData(); }
  void SetCompressData(bool Value) { FImages->SetCompressData(Value); }
  Integer FormatVersion() const { return FFormatVersion; }

  // Each answers the index of the first image added, or -1.
  Integer AddImageWithMask(TBitmap* AImage, TBitmap* AMask);
  // Records the image beside the system list (the platform's AddMasked,
  // which it hides, does not).
  Integer AddMasked(TBitmap* AImage, TColor AMaskColor);
  // Nothing for Index < 0 or > Count.
  void InsertImage(Integer AIndex, TBitmap* AImage, TBitmap* AMask);
  void ReplaceImage(Integer AIndex, TBitmap* AImage, TBitmap* AMask);
  void MoveImage(Integer ACurIndex, Integer ANewIndex);
  // -1 deletes all.
  void DeleteImage(Integer AIndex);
  void ClearImages() { DeleteImage(-1); }
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate(bool ANotify = true);
  bool IsUpdateLocked() const { return FUpdateCount > 0; }
  // The image (and mask) as stored; nothing for a bad index.
  void GetImage(Integer AIndex, TBitmap* AImage, TBitmap* AMask);
  void ReadImageInfoAt(Integer AIndex, TcxImageInfo* AInfo);
  Integer AddFromInfo(TcxImageInfo* AInfo);
  void Assign(TPersistent* Source) override;
  // Draws through the glyph pipeline (disabled images in the library's look).
  void Draw(TCanvas* ACanvas, Integer X, Integer Y, Integer AIndex, bool AEnabled = true);
  void DefineProperties(TFiler* Filer) override;

  // Image AIndex (or the whole bitmap for -1) of a system image list.
  static void ExtractImage(HIMAGELIST AHandle, Integer AIndex, TBitmap* AMask, TBitmap* AImage);
  // Bits per pixel of the list's image bitmap; 0 when unknown.
  static Integer ImagePixelFormat(HIMAGELIST AHandle);

 protected:
  void Change() override;
  void StoreImageInfo(TBitmap* AImage, TBitmap* AMask, TColor AMaskColor);
  void RebuildImageInfoFromHandle();
  void ReloadFromImageInfo();

 private:
  std::unique_ptr<TcxImageInfoCollection> FImages;
  Integer FUpdateCount = 0;
  bool FSynchronizing = false;
  Integer FFormatVersion = 1;
};

bool cxImageListsEqual(TCustomImageList* AList1, TCustomImageList* AList2);
// 1 when the bitmap is not a whole number of images, else columns x rows.
Integer cxImageCountInBitmap(TBitmap* ABitmap, Integer AWidth, Integer AHeight);
void cxDrawBitmapOver(TBitmap* ADest, TBitmap* ASource);
TBitmap* cxDuplicateTBitmap(TBitmap* ASource);
HBITMAP cxCopyBitmapHandle(HBITMAP AHandle);
