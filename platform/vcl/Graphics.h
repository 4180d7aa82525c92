// Drawing classes of the class library: colours, the GDI tool objects (font,
// pen, brush), the canvas over a device context, and the graphic classes
// (bitmap, icon, picture with its file-format registry).
#pragma once
#include "VclWindows.h"
#include <functional>
#include <memory>
#include <mutex>
#include <vector>
#include "Persistent.h"
#include "System.h"
#include "TypInfo.h"
#include "Types.h"

class TStream;
class TCanvas;
class TGraphic;
class TBitmap;
class TIcon;

using TNotifyEvent = std::function<void(TObject* Sender)>;

// ---------------------------------------------------------------------------
// Colours: 0x00BBGGRR, or a system colour as 0x80000000 | COLOR_xxx index.

using TColor = Integer;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | unsigned(index)); }

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour: system colours are looked up with GetSysColor;
// clNone and clDefault have no RGB value and give black.
COLORREF ColorToRGB(TColor color);
String ColorToString(TColor color);          // "clRed", "clBtnFace" or "$00BBGGRR"
bool IdentToColor(const String& ident, TColor& color);
TColor StringToColor(const String& s);       // EConvertError for unknown text

// ---------------------------------------------------------------------------
// GDI tool objects.

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
TOVANI_ENUM_INFO(TFontStyle)
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
TOVANI_ENUM_INFO(TFontPitch)
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType };
TOVANI_ENUM_INFO(TFontQuality)
using TFontCharset = Byte;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
TOVANI_ENUM_INFO(TPenStyle)
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
TOVANI_ENUM_INFO(TPenMode)
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
TOVANI_ENUM_INFO(TBrushStyle)

// Base of TFont/TPen/TBrush: an OnChange event and a GDI handle made on
// demand from the object's properties and dropped whenever one changes.
class TGraphicsObject : public TPersistent {
  TOVANI_CLASS(TGraphicsObject, TPersistent)
 public:
  TNotifyEvent OnChange;
  // Owner reported by GetOwner (the control or canvas the object belongs to).
  void SetOwnerObject(TPersistent* owner) { FOwner = owner; }

 protected:
  TPersistent* GetOwner() override { return FOwner; }
  virtual void Changed();
  TPersistent* FOwner = nullptr;
};

class TFont : public TGraphicsObject {
  TOVANI_CLASS(TFont, TGraphicsObject)
 public:
  TFont();
  ~TFont() override;
  void Assign(TPersistent* source) override;

  HFONT Handle();
  // Takes over a font handle made elsewhere: the properties are read back from it.
  void SetHandle(HFONT h);

  const String& Name() const { return FName; }
  void SetName(const String& v);
  Integer Height() const { return FHeight; }
  void SetHeight(Integer v);
  // Point size (positive); a font set by a positive Height reports a negative size.
  Integer Size() const;
  void SetSize(Integer v);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset v);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch v);
  Integer Orientation() const { return FOrientation; }
  void SetOrientation(Integer v);
  TFontQuality Quality() const { return FQuality; }
  void SetQuality(TFontQuality v);
  // Resolution the point size is converted with (the screen's by default).
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer v);

  bool Equals(const TFont& other) const;

 protected:
  void Changed() override;
  void AssignTo(TPersistent* dest) override;

 private:
  void FreeHandle();
  String FName;
  Integer FHeight;
  Integer FPixelsPerInch;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
  TFontCharset FCharset;
  TFontPitch FPitch = fpDefault;
  Integer FOrientation = 0;
  TFontQuality FQuality = fqDefault;
  HFONT FHandle = nullptr;
  bool FOwnsHandle = true;
};

class TPen : public TGraphicsObject {
  TOVANI_CLASS(TPen, TGraphicsObject)
 public:
  TPen() = default;
  ~TPen() override;
  void Assign(TPersistent* source) override;
  HPEN Handle();
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  Integer Width() const { return FWidth; }
  void SetWidth(Integer v);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle v);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode v);

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  TColor FColor = clBlack;
  Integer FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
  HPEN FHandle = nullptr;
};

class TBrush : public TGraphicsObject {
  TOVANI_CLASS(TBrush, TGraphicsObject)
 public:
  TBrush() = default;
  ~TBrush() override;
  void Assign(TPersistent* source) override;
  HBRUSH Handle();
  TColor Color() const { return FColor; }
  // Setting a colour turns a clear brush solid, as the class library does.
  void SetColor(TColor v);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle v);
  // A pattern bitmap (not owned); while set it replaces colour and style.
  TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(TBitmap* v);

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  TBitmap* FBitmap = nullptr;
  HBRUSH FHandle = nullptr;
};

// ---------------------------------------------------------------------------
// Canvas: drawing on a device context with the current pen, brush and font.

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;
using TCopyMode = DWORD;   // a raster operation code (cmSrcCopy = SRCCOPY, ...)
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT,
                    cmSrcAnd = SRCAND, cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE,
                    cmSrcInvert = SRCINVERT, cmSrcPaint = SRCPAINT, cmWhiteness = WHITENESS;
enum TFillStyle { fsSurface, fsBorder };

// Flags of the extended TextRect: DrawText flags of the class library.
enum TTextFormats {
  tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis, tfExpandTabs,
  tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight, tfRtlReading,
  tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak, tfWordEllipsis
};
using TTextFormat = TSet<TTextFormats>;

class TCanvas : public TPersistent {
  TOVANI_CLASS(TCanvas, TPersistent)
 public:
  TCanvas();
  ~TCanvas() override;

  // The device context; a canvas that makes its own (bitmap, control) creates
  // it on first use. Assigning a handle does not pass ownership.
  HDC Handle();
  void SetHandle(HDC h);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TFont* Font() { return FFont.get(); }
  void SetFont(TFont* v) { FFont->Assign(v); }
  TPen* Pen() { return FPen.get(); }
  void SetPen(TPen* v) { FPen->Assign(v); }
  TBrush* Brush() { return FBrush.get(); }
  void SetBrush(TBrush* v) { FBrush->Assign(v); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode v) { FCopyMode = v; }
  TPoint PenPos();
  void SetPenPos(TPoint p);
  Integer TextFlags() const { return FTextFlags; }
  void SetTextFlags(Integer v) { FTextFlags = v; }
  // Clipping rectangle of the device context in logical coordinates.
  TRect ClipRect();

  void MoveTo(Integer x, Integer y);
  void LineTo(Integer x, Integer y);
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3);
  void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Polygon(const TPoint* points, int count);
  void Polygon(std::initializer_list<TPoint> points) { Polygon(points.begin(), int(points.size())); }
  void Polygon(const std::vector<TPoint>& points) { Polygon(points.data(), int(points.size())); }
  void Polyline(const TPoint* points, int count);
  void Polyline(std::initializer_list<TPoint> points) { Polyline(points.begin(), int(points.size())); }
  void Polyline(const std::vector<TPoint>& points) { Polyline(points.data(), int(points.size())); }
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void DrawFocusRect(const TRect& r);
  void FloodFill(Integer x, Integer y, TColor color, TFillStyle style);

  void TextOut(Integer x, Integer y, const String& text);
  // Draws text at (x, y) clipped to r, filling r with the brush unless it is clear.
  void TextRect(const TRect& r, Integer x, Integer y, const String& text);
  // Draws text inside r with DrawText-style formatting; with tfCalcRect only
  // measures and returns the needed rectangle in r.
  void TextRect(TRect& r, const String& text, TTextFormat format);
  TSize TextExtent(const String& text);
  Integer TextWidth(const String& text) { return TextExtent(text).cx; }
  Integer TextHeight(const String& text) { return TextExtent(text).cy; }

  void Draw(Integer x, Integer y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
  void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);

  TColor Pixels(Integer x, Integer y);
  void SetPixels(Integer x, Integer y, TColor color);

  // Serialises drawing from several threads (the class library's hint thread).
  void Lock();
  bool TryLock();
  void Unlock();
  Integer LockCount() const { return FLockCount; }

  // Drops cached GDI selections so the next call reselects pen, brush, font.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();
  // Makes sure the listed parts are selected into the device context.
  void RequiredState(TCanvasState req);
  TCanvasState FState;

 private:
  void DeselectHandles();
  void CreateFont();
  void CreatePen();
  void CreateBrush();
  void FontChanged(TObject*);
  void PenChanged(TObject*);
  void BrushChanged(TObject*);
  HDC FHandle = nullptr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  HGDIOBJ FOldFont = nullptr, FOldPen = nullptr, FOldBrush = nullptr;
  TPoint FPenPos;
  TCopyMode FCopyMode = cmSrcCopy;
  Integer FTextFlags = 0;
  std::recursive_mutex FLock;
  Integer FLockCount = 0;
};

// ---------------------------------------------------------------------------
// Graphics.

class TGraphic : public TPersistent {
  TOVANI_CLASS(TGraphic, TPersistent)
 public:
  virtual bool Empty() const = 0;
  virtual Integer Width() const = 0;
  virtual void SetWidth(Integer v) = 0;
  virtual Integer Height() const = 0;
  virtual void SetHeight(Integer v) = 0;
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool v);
  bool Modified() const { return FModified; }
  void SetModified(bool v);

  virtual void LoadFromStream(TStream* stream) = 0;
  virtual void SaveToStream(TStream* stream) = 0;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  // Form files keep a graphic as its "Data".
  void DefineProperties(TFiler* Filer) override;
  // The graphic's data in form files: its stream image (a bitmap and a JPEG
  // image put their size before it). Reading takes the rest of the stream.
  virtual void ReadData(TStream* stream);
  virtual void WriteData(TStream* stream);

  TNotifyEvent OnChange;

 protected:
  friend class TCanvas;
  friend class TPicture;
  virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
  virtual void Changed(TObject* sender);
  bool FTransparent = false;
  bool FModified = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap held in a DIB section with its own canvas (a memory DC).
class TBitmap : public TGraphic {
  TOVANI_CLASS(TBitmap, TGraphic)
 public:
  TBitmap();
  TBitmap(Integer width, Integer height, TPixelFormat format = pf32bit);
  ~TBitmap() override;
  void Assign(TPersistent* source) override;

  bool Empty() const override { return FHandle == nullptr; }
  Integer Width() const override { return FWidth; }
  void SetWidth(Integer v) override;
  Integer Height() const override { return FHeight; }
  void SetHeight(Integer v) override;
  void SetSize(Integer w, Integer h);
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat v);
  bool Monochrome() const { return FPixelFormat == pf1bit; }
  void SetMonochrome(bool v);

  TCanvas* Canvas();
  HBITMAP Handle();
  // Takes ownership of a bitmap handle; a device-dependent bitmap is copied
  // into a DIB section first.
  void SetHandle(HBITMAP h);
  HBITMAP ReleaseHandle();
  // Bitmap of the transparent parts (white) made from the transparent colour.
  HBITMAP MaskHandle();
  // First byte of a pixel row (row 0 is the top row).
  void* ScanLine(Integer row);
  Integer BytesPerLine() const;

  TColor TransparentColor();
  void SetTransparentColor(TColor v);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode v);

  // BMP files: BITMAPFILEHEADER + BITMAPINFOHEADER (or a later header),
  // uncompressed 1/4/8/16/24/32-bit or BI_BITFIELDS; anything else is refused
  // with EInvalidGraphic.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  // The same without the file header (clipboard CF_DIB, resources).
  void LoadFromDIB(const void* data, size_t size);
  void ReadData(TStream* stream) override;
  void WriteData(TStream* stream) override;

  void FreeImage();
  void Dormant() {}

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;
  void Changed(TObject* sender) override;

 private:
  friend class TBitmapCanvas;
  void Recreate(Integer w, Integer h, TPixelFormat pf, bool keep);
  void LoadDib(const uint8_t* data, size_t size, int64_t bitsOffset);
  std::unique_ptr<TCanvas> FCanvas;
  HBITMAP FHandle = nullptr;
  HBITMAP FMask = nullptr;
  void* FBits = nullptr;
  Integer FWidth = 0;
  Integer FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  TColor FTransparentColor = clDefault;
  TTransparentMode FTransparentMode = tmAuto;
};

class TIcon : public TGraphic {
  TOVANI_CLASS(TIcon, TGraphic)
 public:
  TIcon() = default;
  ~TIcon() override;
  void Assign(TPersistent* source) override;
  bool Empty() const override { return FHandle == nullptr; }
  Integer Width() const override { return FWidth; }
  void SetWidth(Integer v) override;
  Integer Height() const override { return FHeight; }
  void SetHeight(Integer v) override;
  bool Transparent() const override { return true; }
  HICON Handle() const { return FHandle; }
  // Takes ownership of the icon handle.
  void SetHandle(HICON h);
  HICON ReleaseHandle();
  // ICO files: the entry closest to the requested size (32x32 by default).
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  HICON FHandle = nullptr;
  Integer FWidth = 0, FHeight = 0;
  Integer FRequestedWidth = 0, FRequestedHeight = 0;
  std::vector<uint8_t> FData;   // the file as loaded, written back by SaveToStream
};

// An enhanced metafile: a recording of drawing calls that plays back at
// any size. Drawn on by a TMetafileCanvas; its size is kept in hundredths
// of a millimetre (MMWidth, MMHeight) and shown in screen pixels
// (Width, Height). Files and streams hold the .emf format.
class TMetafile : public TGraphic {
  TOVANI_CLASS(TMetafile, TGraphic)
 public:
  TMetafile() = default;
  ~TMetafile() override;
  void Assign(TPersistent* source) override;

  bool Empty() const override { return FHandle == nullptr; }
  Integer Width() const override;
  void SetWidth(Integer v) override;
  Integer Height() const override;
  void SetHeight(Integer v) override;
  Integer MMWidth() const;
  void SetMMWidth(Integer v);
  Integer MMHeight() const;
  void SetMMHeight(Integer v);
  bool Enhanced() const { return true; }
  // Metafiles draw only what was recorded: what lies behind shows through.
  bool Transparent() const override { return true; }
  // The description stored in the file ("creator\0title"), if any.
  String Description() const;

  HENHMETAFILE Handle() const { return FHandle; }
  // Takes ownership of the handle; the size becomes the recorded frame's.
  void SetHandle(HENHMETAFILE h);
  HENHMETAFILE ReleaseHandle();
  void Clear();

  // EMF data; anything else is refused with EInvalidGraphic.
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;

 private:
  friend class TMetafileCanvas;
  HENHMETAFILE FHandle = nullptr;
  Integer FMMWidth = 0, FMMHeight = 0;   // 0: the recorded frame's
};

// Records the drawing done on it into a metafile: the metafile receives the
// recording when the canvas is destroyed. ReferenceDevice is the device
// whose resolution the recording uses (0: the screen).
class TMetafileCanvas : public TCanvas {
  TOVANI_CLASS(TMetafileCanvas, TCanvas)
 public:
  TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice);
  TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice, const String& CreatedBy, const String& Description);
  ~TMetafileCanvas() override;

 private:
  TMetafile* FMetafile;
};

// True when the data starts with an enhanced-metafile header.
bool IsEnhMetafileData(const uint8_t* data, size_t size);

TOVANI_EXCEPTION(EInvalidGraphic, Exception)
TOVANI_EXCEPTION(EInvalidGraphicOperation, Exception)

// Holds one graphic of any registered class and knows the file formats:
// extension → graphic class, used by LoadFromFile and by the file dialogs.
class TPicture : public TPersistent {
  TOVANI_CLASS(TPicture, TPersistent)
 public:
  TPicture();
  ~TPicture() override;
  void Assign(TPersistent* source) override;

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Copies the graphic (a graphic of the same class is made and assigned).
  void SetGraphic(TGraphic* v);
  // The graphic as a bitmap: a picture holding anything else is replaced by an empty bitmap.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* v) { SetGraphic(v); }
  TIcon* Icon();
  Integer Width() const { return FGraphic ? FGraphic->Width() : 0; }
  Integer Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // Chooses the class by the file's extension ("Unknown picture file extension (.%s)").
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  // Chooses the class by the data's signature (BMP, ICO, JPEG and every
  // registered format that answers CanLoad).
  void LoadFromStream(TStream* stream);
  void SaveToStream(TStream* stream);

  // Graphic class registry. `graphicClass` must derive from TGraphic and be
  // creatable by name (TOVANI_IMPLEMENT_CLASS_FACTORY).
  using TSignatureTest = std::function<bool(const uint8_t* data, size_t size)>;
  static void RegisterFileFormat(const String& extension, const String& description, TClass graphicClass,
                                 TSignatureTest signature = {});
  static void UnregisterGraphicClass(TClass graphicClass);
  static TClass FindGraphicClassForExtension(const String& extension);
  // "All (*.bmp;*.jpg)|*.bmp;*.jpg|Bitmaps (*.bmp)|*.bmp|..." for the given base class.
  static String GraphicFilter(TClass graphicClass);
  static String GraphicExtension(TClass graphicClass);
  // Form files keep a picture as its "Data": the graphic's class name (a
  // length byte and the name) and the graphic's own data.
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnChange;

 protected:
  void Changed(TObject* sender);
  void ForceType(TClass graphicClass);

 private:
  std::unique_ptr<TGraphic> FGraphic;
};

// Device-context helpers for code that paints directly.
TGraphic* NewGraphicOfClass(TClass graphicClass);
