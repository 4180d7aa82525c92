#include "Graphics.h"
#include <algorithm>
#include <cstring>
#include "Jpeg.h"
#include "PrintedGlyphs.h"
#include "Streaming.h"
#include "Streams.h"
#include "VclUtils.h"

using vcl::ToUtf16;
using vcl::W;

TOVANI_IMPLEMENT_CLASS(TGraphicsObject, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TFont, TGraphicsObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPen, TGraphicsObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TBrush, TGraphicsObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TCanvas, TPersistent)
TOVANI_IMPLEMENT_CLASS(TGraphic, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TBitmap, TGraphic)
TOVANI_IMPLEMENT_CLASS_FACTORY(TIcon, TGraphic)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPicture, TPersistent)
TOVANI_IMPLEMENT_CLASS(EInvalidGraphic, Exception)
TOVANI_IMPLEMENT_CLASS(EInvalidGraphicOperation, Exception)

TOVANI_IMPLEMENT_ENUM_INFO(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
TOVANI_IMPLEMENT_ENUM_INFO(TFontPitch, "fpDefault", "fpVariable", "fpFixed")
TOVANI_IMPLEMENT_ENUM_INFO(TFontQuality, "fqDefault", "fqDraft", "fqProof", "fqNonAntialiased", "fqAntialiased", "fqClearType")
TOVANI_IMPLEMENT_ENUM_INFO(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame")
TOVANI_IMPLEMENT_ENUM_INFO(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                           "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask",
                           "pmXor", "pmNotXor")
TOVANI_IMPLEMENT_ENUM_INFO(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                           "bsCross", "bsDiagCross")

TOVANI_PUBLISHED(TFont) {
  Property("Charset", &TFont::Charset, &TFont::SetCharset);
  Property("Color", &TFont::Color, &TFont::SetColor);
  Property("Height", &TFont::Height, &TFont::SetHeight);
  Property("Name", &TFont::Name, &TFont::SetName);
  Property("Orientation", &TFont::Orientation, &TFont::SetOrientation).Default(0);
  Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  Property("Quality", &TFont::Quality, &TFont::SetQuality).Default(fqDefault);
  Property("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  Property("Style", &TFont::Style, &TFont::SetStyle);
}

TOVANI_PUBLISHED(TPen) {
  Property("Color", &TPen::Color, &TPen::SetColor).Default(clBlack);
  Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
  Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

TOVANI_PUBLISHED(TBrush) {
  Property("Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite);
  Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

// ---------------------------------------------------------------------------
// Colours

COLORREF ColorToRGB(TColor color) {
  if (color == clNone || color == clDefault) return 0;
  if (color < 0) return GetSysColor(color & 0xFF);
  return COLORREF(color) & 0xFFFFFF;
}

namespace {
struct ColorName {
  TColor Value;
  const char* Name;
};
const ColorName kColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
    {clMedGray, "clMedGray"}, {clActiveBorder, "clActiveBorder"}, {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clBackground, "clBackground"}, {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"}, {clBtnShadow, "clBtnShadow"}, {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"}, {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"}, {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"}, {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clInfoBk, "clInfoBk"}, {clInfoText, "clInfoText"},
    {clMenu, "clMenu"}, {clMenuBar, "clMenuBar"}, {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"}, {clNone, "clNone"}, {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"}, {clWindowText, "clWindowText"},
};

bool SameAscii(const String& a, const char* b) { return vcl::LowerAscii(a) == vcl::LowerAscii(b); }
}  // namespace

String ColorToString(TColor color) {
  for (const auto& c : kColorNames)
    if (c.Value == color) return c.Name;
  static const char* hex = "0123456789ABCDEF";
  String s = "$";
  for (int shift = 28; shift >= 0; shift -= 4) s += hex[(uint32_t(color) >> shift) & 0xF];
  return s;
}

bool IdentToColor(const String& ident, TColor& color) {
  for (const auto& c : kColorNames)
    if (SameAscii(ident, c.Name)) {
      color = c.Value;
      return true;
    }
  return false;
}

TColor StringToColor(const String& s) {
  TColor c;
  if (IdentToColor(s, c)) return c;
  // "$00BBGGRR", "0x..." or a decimal number
  const char* p = s.c_str();
  int base = 10;
  bool neg = false;
  if (*p == '-') neg = true, ++p;
  if (*p == '$') base = 16, ++p;
  else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) base = 16, p += 2;
  if (!*p) throw EConvertError("'" + s + "' is not a valid integer value");
  int64_t v = 0;
  for (; *p; ++p) {
    int d;
    if (*p >= '0' && *p <= '9') d = *p - '0';
    else if (base == 16 && *p >= 'a' && *p <= 'f') d = *p - 'a' + 10;
    else if (base == 16 && *p >= 'A' && *p <= 'F') d = *p - 'A' + 10;
    else throw EConvertError("'" + s + "' is not a valid integer value");
    v = v * base + d;
    if (v > 0xFFFFFFFFll) throw EConvertError("'" + s + "' is not a valid integer value");
  }
  return TColor(uint32_t(neg ? -v : v));
}

// ---------------------------------------------------------------------------
// Tool objects

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

TFont::TFont()
    : FName("宋体"), FHeight(-12), FPixelsPerInch(vcl::ScreenPixelsPerInch()), FCharset(DEFAULT_CHARSET) {}

TFont::~TFont() { FreeHandle(); }

void TFont::FreeHandle() {
  if (FHandle && FOwnsHandle) DeleteObject(FHandle);
  FHandle = nullptr;
  FOwnsHandle = true;
}

void TFont::Changed() {
  // Listeners (canvases) deselect the old handle before it is deleted.
  HFONT old = FHandle;
  bool owned = FOwnsHandle;
  FHandle = nullptr;
  FOwnsHandle = true;
  TGraphicsObject::Changed();
  if (old && owned) DeleteObject(old);
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic);
    lf.lfUnderline = FStyle.Contains(fsUnderline);
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut);
    lf.lfCharSet = FCharset;
    lf.lfEscapement = lf.lfOrientation = FOrientation;
    static const BYTE qualities[] = {DEFAULT_QUALITY, DRAFT_QUALITY, PROOF_QUALITY,
                                     NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY, CLEARTYPE_QUALITY};
    lf.lfQuality = qualities[FQuality];
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    std::u16string face = ToUtf16(FName == "Default" ? String("宋体") : FName);
    size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    for (size_t i = 0; i < n; ++i) lf.lfFaceName[i] = face[i];
    FHandle = CreateFontIndirectW(&lf);
    FOwnsHandle = true;
  }
  return FHandle;
}

void TFont::SetHandle(HFONT h) {
  LOGFONTW lf{};
  if (!h || GetObjectW(h, sizeof(lf), &lf) == 0) return;
  HFONT old = FHandle;
  bool owned = FOwnsHandle;
  FHandle = nullptr;
  FName = vcl::FromW(lf.lfFaceName);
  FHeight = lf.lfHeight;
  FStyle = {};
  if (lf.lfWeight >= FW_BOLD) FStyle += fsBold;
  if (lf.lfItalic) FStyle += fsItalic;
  if (lf.lfUnderline) FStyle += fsUnderline;
  if (lf.lfStrikeOut) FStyle += fsStrikeOut;
  FCharset = lf.lfCharSet;
  FOrientation = lf.lfEscapement;
  FPitch = (lf.lfPitchAndFamily & 3) == FIXED_PITCH ? fpFixed : (lf.lfPitchAndFamily & 3) == VARIABLE_PITCH ? fpVariable : fpDefault;
  TGraphicsObject::Changed();
  if (old && owned && old != h) DeleteObject(old);
  FHandle = h;
  FOwnsHandle = true;
}

void TFont::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    if (f == this) return;
    FName = f->FName;
    // The point size is what is kept when resolutions differ.
    FHeight = f->FPixelsPerInch == FPixelsPerInch ? f->FHeight : -MulDiv(f->Size(), FPixelsPerInch, 72);
    if (f->FHeight > 0 && f->FPixelsPerInch == FPixelsPerInch) FHeight = f->FHeight;
    FStyle = f->FStyle;
    FColor = f->FColor;
    FCharset = f->FCharset;
    FPitch = f->FPitch;
    FOrientation = f->FOrientation;
    FQuality = f->FQuality;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}

void TFont::AssignTo(TPersistent* dest) {
  if (auto* f = dynamic_cast<TFont*>(dest)) {
    f->Assign(this);
    return;
  }
  TGraphicsObject::AssignTo(dest);
}

bool TFont::Equals(const TFont& o) const {
  return FName == o.FName && FHeight == o.FHeight && FStyle == o.FStyle && FColor == o.FColor &&
         FCharset == o.FCharset && FPitch == o.FPitch && FOrientation == o.FOrientation;
}

#define TOVANI_SETTER(Cls, Prop, Type, Field) \
  void Cls::Set##Prop(Type v) {               \
    if (Field == v) return;                   \
    Field = v;                                \
    Changed();                                \
  }
TOVANI_SETTER(TFont, Name, const String&, FName)
TOVANI_SETTER(TFont, Height, Integer, FHeight)
TOVANI_SETTER(TFont, Style, TFontStyles, FStyle)
TOVANI_SETTER(TFont, Charset, TFontCharset, FCharset)
TOVANI_SETTER(TFont, Pitch, TFontPitch, FPitch)
TOVANI_SETTER(TFont, Orientation, Integer, FOrientation)
TOVANI_SETTER(TFont, Quality, TFontQuality, FQuality)

void TFont::SetColor(TColor v) {
  if (FColor == v) return;
  FColor = v;
  // The colour is not part of the GDI font: keep the handle.
  TGraphicsObject::Changed();
}

Integer TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }
void TFont::SetSize(Integer v) { SetHeight(-MulDiv(v, FPixelsPerInch, 72)); }
void TFont::SetPixelsPerInch(Integer v) {
  if (v > 0) FPixelsPerInch = v;
}

TPen::~TPen() { FreeHandle(); }
void TPen::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}
void TPen::Changed() {
  HPEN old = FHandle;
  FHandle = nullptr;
  TGraphicsObject::Changed();
  if (old) DeleteObject(old);
}
HPEN TPen::Handle() {
  if (!FHandle) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    LOGPEN lp{};
    lp.lopnStyle = styles[FStyle];
    lp.lopnWidth.x = FWidth;
    lp.lopnColor = ColorToRGB(FColor);
    FHandle = CreatePenIndirect(&lp);
  }
  return FHandle;
}
void TPen::Assign(TPersistent* source) {
  if (auto* p = dynamic_cast<TPen*>(source)) {
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}
TOVANI_SETTER(TPen, Color, TColor, FColor)
TOVANI_SETTER(TPen, Width, Integer, FWidth)
TOVANI_SETTER(TPen, Style, TPenStyle, FStyle)
TOVANI_SETTER(TPen, Mode, TPenMode, FMode)

TBrush::~TBrush() { FreeHandle(); }
void TBrush::FreeHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}
void TBrush::Changed() {
  HBRUSH old = FHandle;
  FHandle = nullptr;
  TGraphicsObject::Changed();
  if (old) DeleteObject(old);
}
HBRUSH TBrush::Handle() {
  if (!FHandle) {
    if (FBitmap && !FBitmap->Empty()) {
      FHandle = CreatePatternBrush(FBitmap->Handle());
    } else {
      LOGBRUSH lb{};
      lb.lbColor = ColorToRGB(FColor);
      switch (FStyle) {
        case bsSolid: lb.lbStyle = BS_SOLID; break;
        case bsClear: lb.lbStyle = BS_HOLLOW; break;
        default:
          lb.lbStyle = BS_HATCHED;
          lb.lbHatch = FStyle - bsHorizontal;  // HS_HORIZONTAL .. HS_DIAGCROSS in the same order
      }
      FHandle = CreateBrushIndirect(&lb);
    }
  }
  return FHandle;
}
void TBrush::Assign(TPersistent* source) {
  if (auto* b = dynamic_cast<TBrush*>(source)) {
    FColor = b->FColor;
    FStyle = b->FStyle;
    FBitmap = b->FBitmap;
    Changed();
    return;
  }
  TGraphicsObject::Assign(source);
}
void TBrush::SetColor(TColor v) {
  if (FColor == v && FStyle != bsClear) return;
  FColor = v;
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}
TOVANI_SETTER(TBrush, Style, TBrushStyle, FStyle)
TOVANI_SETTER(TBrush, Bitmap, TBitmap*, FBitmap)
#undef TOVANI_SETTER

// ---------------------------------------------------------------------------
// Canvas

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
  FFont->OnChange = [this](TObject* s) { FontChanged(s); };
  FPen->OnChange = [this](TObject* s) { PenChanged(s); };
  FBrush->OnChange = [this](TObject* s) { BrushChanged(s); };
  FFont->SetOwnerObject(this);
  FPen->SetOwnerObject(this);
  FBrush->SetOwnerObject(this);
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  RequiredState({csHandleValid});
  return FHandle;
}

void TCanvas::SetHandle(HDC h) {
  if (FHandle == h) return;
  if (FHandle) DeselectHandles();
  FHandle = h;
  FState = h ? TCanvasState{csHandleValid} : TCanvasState{};
  if (h) {
    // Pen position is per device context.
    POINT p;
    if (GetCurrentPositionEx(h, &p)) FPenPos = TPoint(p.x, p.y);
  }
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FState.Contains(csPenValid)) SelectObject(FHandle, FOldPen ? FOldPen : GetStockObject(BLACK_PEN));
  if (FState.Contains(csBrushValid)) SelectObject(FHandle, FOldBrush ? FOldBrush : GetStockObject(HOLLOW_BRUSH));
  if (FState.Contains(csFontValid)) SelectObject(FHandle, FOldFont ? FOldFont : GetStockObject(SYSTEM_FONT));
  FOldPen = FOldBrush = FOldFont = nullptr;
  FState -= TCanvasState{csPenValid, csBrushValid, csFontValid};
}

void TCanvas::RequiredState(TCanvasState req) {
  TCanvasState needed = req - FState;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!FHandle) throw EInvalidOperation("Canvas does not allow drawing");
    FState += csHandleValid;
  }
  if (needed.Contains(csFontValid)) CreateFont();
  if (needed.Contains(csPenValid)) CreatePen();
  if (needed.Contains(csBrushValid)) CreateBrush();
}

void TCanvas::CreateFont() {
  HGDIOBJ old = SelectObject(FHandle, FFont->Handle());
  if (!FOldFont) FOldFont = old;
  SetTextColor(FHandle, ColorToRGB(FFont->Color()));
  FState += csFontValid;
}

void TCanvas::CreatePen() {
  static const int rops[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                             R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,
                             R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN, R2_XORPEN, R2_NOTXORPEN};
  HGDIOBJ old = SelectObject(FHandle, FPen->Handle());
  if (!FOldPen) FOldPen = old;
  SetROP2(FHandle, rops[FPen->Mode()]);
  FState += csPenValid;
}

void TCanvas::CreateBrush() {
  UnrealizeObject(FBrush->Handle());
  HGDIOBJ old = SelectObject(FHandle, FBrush->Handle());
  if (!FOldBrush) FOldBrush = old;
  if (FBrush->Style() == bsSolid) {
    SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    SetBkMode(FHandle, OPAQUE);
  } else {
    // Hatched and clear brushes leave the background alone.
    SetBkColor(FHandle, ~ColorToRGB(FBrush->Color()) & 0xFFFFFF);
    SetBkMode(FHandle, TRANSPARENT);
  }
  FState += csBrushValid;
}

void TCanvas::FontChanged(TObject*) {
  if (FState.Contains(csFontValid)) {
    FState -= csFontValid;
    SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
  }
}
void TCanvas::PenChanged(TObject*) {
  if (FState.Contains(csPenValid)) {
    FState -= csPenValid;
    SelectObject(FHandle, GetStockObject(BLACK_PEN));
  }
}
void TCanvas::BrushChanged(TObject*) {
  if (FState.Contains(csBrushValid)) {
    FState -= csBrushValid;
    SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}
void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::Refresh() { DeselectHandles(); }

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  POINT p{};
  GetCurrentPositionEx(FHandle, &p);
  return {p.x, p.y};
}
void TCanvas::SetPenPos(TPoint p) { MoveTo(p.X, p.Y); }

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  RECT r{};
  GetClipBox(FHandle, &r);
  return {r.left, r.top, r.right, r.bottom};
}

void TCanvas::MoveTo(Integer x, Integer y) {
  RequiredState({csHandleValid});
  MoveToEx(FHandle, x, y, nullptr);
  FPenPos = {x, y};
}

void TCanvas::LineTo(Integer x, Integer y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(FHandle, x, y);
  FPenPos = {x, y};
  Changed();
}

void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(FHandle, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(FHandle, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Arc(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Pie(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Chord(FHandle, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Polygon(const TPoint* points, int count) {
  if (!points || count <= 0) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(FHandle, reinterpret_cast<const POINT*>(points), count);
  Changed();
}

void TCanvas::Polyline(const TPoint* points, int count) {
  if (!points || count <= 0) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(FHandle, reinterpret_cast<const POINT*>(points), count);
  Changed();
}

void TCanvas::FillRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(FHandle, reinterpret_cast<const RECT*>(&r), FBrush->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(FHandle, reinterpret_cast<const RECT*>(&r), FBrush->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& r) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(FHandle, reinterpret_cast<const RECT*>(&r));
  Changed();
}

void TCanvas::FloodFill(Integer x, Integer y, TColor color, TFillStyle style) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ExtFloodFill(FHandle, x, y, ColorToRGB(color), style == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
  Changed();
}

void TCanvas::TextOut(Integer x, Integer y, const String& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  std::u16string w = ToUtf16(text);
  NamePrintedGlyphs(FHandle, w.data(), w.size());
  ExtTextOutW(FHandle, x, y, UINT(FTextFlags), nullptr, W(w), UINT(w.size()), nullptr);
  SIZE sz{};
  GetTextExtentPoint32W(FHandle, W(w), int(w.size()), &sz);
  MoveToEx(FHandle, x + sz.cx, y, nullptr);
  FPenPos = {x + sz.cx, y};
  Changed();
}

void TCanvas::TextRect(const TRect& r, Integer x, Integer y, const String& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED | UINT(FTextFlags);
  if (FBrush->Style() != bsClear) options |= ETO_OPAQUE;
  std::u16string w = ToUtf16(text);
  NamePrintedGlyphs(FHandle, w.data(), w.size());
  ExtTextOutW(FHandle, x, y, options, reinterpret_cast<const RECT*>(&r), W(w), UINT(w.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& r, const String& text, TTextFormat format) {
  static const UINT flags[] = {DT_BOTTOM, DT_CALCRECT, DT_CENTER, DT_EDITCONTROL, DT_END_ELLIPSIS,
                               DT_PATH_ELLIPSIS, DT_EXPANDTABS, DT_EXTERNALLEADING, DT_LEFT,
                               DT_MODIFYSTRING, DT_NOCLIP, DT_NOPREFIX, DT_RIGHT, DT_RTLREADING,
                               DT_SINGLELINE, DT_TOP, DT_VCENTER, DT_WORDBREAK, DT_WORD_ELLIPSIS};
  UINT f = 0;
  for (int i = tfBottom; i <= tfWordEllipsis; ++i)
    if (format.Contains(TTextFormats(i))) f |= flags[i];
  f &= ~UINT(DT_MODIFYSTRING);   // the text is passed by value
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  std::u16string w = ToUtf16(text);
  int oldMode = 0;
  if (FBrush->Style() == bsClear) oldMode = SetBkMode(FHandle, TRANSPARENT);
  if (!(f & DT_CALCRECT)) NamePrintedGlyphs(FHandle, w.data(), w.size());
  DrawTextW(FHandle, W(w), int(w.size()), reinterpret_cast<RECT*>(&r), f);
  if (oldMode) SetBkMode(FHandle, oldMode);
  Changed();
}

TSize TCanvas::TextExtent(const String& text) {
  RequiredState({csHandleValid, csFontValid});
  std::u16string w = ToUtf16(text);
  SIZE sz{};
  if (!GetTextExtentPoint32W(FHandle, W(w), int(w.size()), &sz)) return {};
  if (w.empty()) {
    // An empty text still has the font's line height.
    TEXTMETRICW tm{};
    GetTextMetricsW(FHandle, &tm);
    sz.cy = tm.tmHeight;
  }
  return {sz.cx, sz.cy};
}

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  graphic->Draw(this, r);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  if (!canvas) return;
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC src = canvas->Handle();
  int oldMode = SetStretchBltMode(FHandle, COLORONCOLOR);
  StretchBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top,
             source.Width(), source.Height(), FCopyMode);
  SetStretchBltMode(FHandle, oldMode);
  Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color) {
  if (!bitmap || bitmap->Empty()) return;
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  // Pixels of `color` take the brush, every other pixel is copied.
  HDC src = bitmap->Canvas()->Handle();
  FillRect(dest);
  GdiTransparentBlt(FHandle, dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top,
                    source.Width(), source.Height(), ColorToRGB(color));
  Changed();
}

TColor TCanvas::Pixels(Integer x, Integer y) {
  RequiredState({csHandleValid});
  return TColor(GetPixel(FHandle, x, y));
}

void TCanvas::SetPixels(Integer x, Integer y, TColor color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  SetPixel(FHandle, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::Lock() {
  FLock.lock();
  ++FLockCount;
}
bool TCanvas::TryLock() {
  if (!FLock.try_lock()) return false;
  ++FLockCount;
  return true;
}
void TCanvas::Unlock() {
  --FLockCount;
  FLock.unlock();
}

// ---------------------------------------------------------------------------
// TGraphic

void TGraphic::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  Changed(this);
}

void TGraphic::SetModified(bool v) {
  if (v) Changed(this);
  else FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const String& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const String& fileName) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(&stream);
}

// ---------------------------------------------------------------------------
// Form-file data of graphics and pictures

namespace {
// Form data larger than this is taken for damaged.
constexpr Int64 kMaxGraphicData = Int64(256) << 20;

// A block of form data preceded by its 32-bit size, copied out whole.
void ReadSizedBlock(TStream* stream, TMemoryStream& block) {
  LongInt size = 0;
  stream->ReadBuffer(&size, sizeof(size));
  Int64 left = stream->Size() - stream->Position();
  if (size < 0 || size > left || size > kMaxGraphicData) throw EInvalidGraphic("Picture data is damaged");
  block.SetSize(size);
  if (size > 0) stream->ReadBuffer(block.Memory(), size);
  block.SetPosition(0);
}

// The graphic from a block of form data preceded by its size; false (and
// nothing loaded) for an empty block.
bool LoadSizedGraphic(TGraphic* graphic, TStream* stream) {
  TMemoryStream block;
  ReadSizedBlock(stream, block);
  if (block.Size() == 0) return false;
  graphic->LoadFromStream(&block);
  return true;
}

void SaveSizedGraphic(TGraphic* graphic, TStream* stream) {
  TMemoryStream block;
  if (!graphic->Empty()) graphic->SaveToStream(&block);
  if (block.Size() > kMaxGraphicData) throw EWriteError("Picture is too large to keep in a form");
  LongInt size = LongInt(block.Size());
  stream->WriteBuffer(&size, sizeof(size));
  if (size > 0) stream->WriteBuffer(block.Memory(), size);
}

}  // namespace

void TGraphic::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); }, !Empty());
}

void TGraphic::ReadData(TStream* stream) {
  if (stream->Size() - stream->Position() > kMaxGraphicData) throw EInvalidGraphic("Picture data is damaged");
  LoadFromStream(stream);
}

void TGraphic::WriteData(TStream* stream) { SaveToStream(stream); }

void TBitmap::ReadData(TStream* stream) {
  if (!LoadSizedGraphic(this, stream)) FreeImage();
}

void TBitmap::WriteData(TStream* stream) { SaveSizedGraphic(this, stream); }

void TJPEGImage::ReadData(TStream* stream) { LoadSizedGraphic(this, stream); }

void TJPEGImage::WriteData(TStream* stream) { SaveSizedGraphic(this, stream); }

// ---------------------------------------------------------------------------
// TBitmap

namespace {

// BITMAPINFO with room for a full colour table or the three bit-field masks.
struct DibInfo {
  BITMAPINFOHEADER Header{};
  RGBQUAD Colors[256]{};
  BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

int BitCountOf(TPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

void DefaultPalette(TPixelFormat pf, RGBQUAD* colors) {
  if (pf == pf1bit) {
    colors[1] = {255, 255, 255, 0};
  } else if (pf == pf4bit) {
    static const COLORREF vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 16; ++i)
      colors[i] = {BYTE(vga[i] >> 16), BYTE(vga[i] >> 8), BYTE(vga[i]), 0};
  } else if (pf == pf8bit) {
    // A 6x6x6 colour cube followed by a gray ramp.
    int i = 0;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) colors[i++] = {BYTE(b * 51), BYTE(g * 51), BYTE(r * 51), 0};
    for (int k = 0; i < 256; ++i, ++k) {
      BYTE v = BYTE(k * 255 / 39);
      colors[i] = {v, v, v, 0};
    }
  }
}

int ColorTableSize(TPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 2;
    case pf4bit: return 16;
    case pf8bit: return 256;
    default: return 0;
  }
}

HBITMAP CreateDib(Integer w, Integer h, TPixelFormat pf, const RGBQUAD* palette, void** bits) {
  DibInfo di;
  di.Header.biSize = sizeof(BITMAPINFOHEADER);
  di.Header.biWidth = w;
  di.Header.biHeight = h;
  di.Header.biPlanes = 1;
  di.Header.biBitCount = WORD(BitCountOf(pf));
  di.Header.biCompression = BI_RGB;
  int colors = ColorTableSize(pf);
  if (colors) {
    di.Header.biClrUsed = DWORD(colors);
    if (palette) std::memcpy(di.Colors, palette, sizeof(RGBQUAD) * size_t(colors));
    else DefaultPalette(pf, di.Colors);
  }
  if (pf == pf16bit) {
    di.Header.biCompression = BI_BITFIELDS;
    DWORD* masks = reinterpret_cast<DWORD*>(di.Colors);
    masks[0] = 0xF800;
    masks[1] = 0x07E0;
    masks[2] = 0x001F;
  }
  *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, di.Info(), DIB_RGB_COLORS, bits, nullptr, 0);
  if (!bmp || !*bits) {
    if (bmp) DeleteObject(bmp);
    throw EOutOfMemory("Out of system resources");
  }
  return bmp;
}

// The largest bitmap accepted from a file or a caller (pixels), so that a
// corrupt header cannot ask for gigabytes.
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 28;

void CheckSize(Integer w, Integer h) {
  if (w < 0 || h < 0 || int64_t(w) * h > kMaxBitmapPixels) throw EInvalidGraphic("Bitmap image is not valid");
}

}  // namespace

// A canvas that draws on its bitmap through a memory DC made on demand.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : FBitmap(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }
  void FreeContext() {
    HDC dc = HandleAllocated() ? Handle() : nullptr;
    if (!dc) return;
    SetHandle(nullptr);
    if (FOldBitmap) SelectObject(dc, FOldBitmap);
    FOldBitmap = nullptr;
    DeleteDC(dc);
  }

 protected:
  void CreateHandle() override {
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return;
    if (FBitmap->FHandle) FOldBitmap = SelectObject(dc, FBitmap->FHandle);
    SetHandle(dc);
  }
  void Changed() override {
    TCanvas::Changed();
    FBitmap->Changed(FBitmap);
  }

 private:
  TBitmap* FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::TBitmap(Integer width, Integer height, TPixelFormat format) {
  FPixelFormat = format;
  SetSize(width, height);
}

TBitmap::~TBitmap() {
  FCanvas.reset();
  if (FMask) DeleteObject(FMask);
  if (FHandle) DeleteObject(FHandle);
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = std::make_unique<TBitmapCanvas>(this);
  return FCanvas.get();
}

void TBitmap::Recreate(Integer w, Integer h, TPixelFormat pf, bool keep) {
  CheckSize(w, h);
  HBITMAP newHandle = nullptr;
  void* newBits = nullptr;
  if (w > 0 && h > 0) {
    RGBQUAD palette[256];
    const RGBQUAD* pal = nullptr;
    if (FHandle && pf == FPixelFormat && ColorTableSize(pf)) {
      HDC dc = CreateCompatibleDC(nullptr);
      HGDIOBJ old = SelectObject(dc, FHandle);
      if (GetDIBColorTable(dc, 0, UINT(ColorTableSize(pf)), palette) > 0) pal = palette;
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    newHandle = CreateDib(w, h, pf, pal, &newBits);
    HDC dst = CreateCompatibleDC(nullptr);
    HGDIOBJ oldDst = SelectObject(dst, newHandle);
    PatBlt(dst, 0, 0, w, h, WHITENESS);
    if (keep && FHandle) {
      if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
      HDC src = CreateCompatibleDC(nullptr);
      HGDIOBJ oldSrc = SelectObject(src, FHandle);
      BitBlt(dst, 0, 0, std::min(w, FWidth), std::min(h, FHeight), src, 0, 0, SRCCOPY);
      SelectObject(src, oldSrc);
      DeleteDC(src);
    }
    SelectObject(dst, oldDst);
    DeleteDC(dst);
  }
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
  if (FHandle) DeleteObject(FHandle);
  if (FMask) DeleteObject(FMask);
  FMask = nullptr;
  FHandle = newHandle;
  FBits = newBits;
  FWidth = newHandle ? w : 0;
  FHeight = newHandle ? h : 0;
  if (!newHandle) FWidth = w, FHeight = h;
  FPixelFormat = pf;
}

void TBitmap::SetWidth(Integer v) { SetSize(v, FHeight); }
void TBitmap::SetHeight(Integer v) { SetSize(FWidth, v); }

void TBitmap::SetSize(Integer w, Integer h) {
  if (w == FWidth && h == FHeight && (FHandle || w == 0 || h == 0)) return;
  Recreate(w, h, FPixelFormat, true);
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat v) {
  if (v == pfCustom) throw EInvalidGraphicOperation("Invalid pixel format");
  if (v == FPixelFormat) return;
  Recreate(FWidth, FHeight, v, true);
  Changed(this);
}

void TBitmap::SetMonochrome(bool v) {
  if (v != Monochrome()) SetPixelFormat(v ? pf1bit : pfDevice);
}

HBITMAP TBitmap::Handle() { return FHandle; }

void TBitmap::SetHandle(HBITMAP h) {
  if (h == FHandle) return;
  if (!h) {
    FreeImage();
    return;
  }
  DIBSECTION ds{};
  BITMAP bm{};
  bool isDib = GetObjectW(h, sizeof(ds), &ds) == sizeof(ds) && ds.dsBm.bmBits;
  if (!isDib && GetObjectW(h, sizeof(bm), &bm) == 0) throw EInvalidGraphic("Bitmap image is not valid");
  int w = isDib ? ds.dsBm.bmWidth : bm.bmWidth;
  int hgt = isDib ? ds.dsBm.bmHeight : bm.bmHeight;
  int bpp = isDib ? ds.dsBm.bmBitsPixel : bm.bmBitsPixel;
  TPixelFormat pf = bpp == 1 ? pf1bit : bpp == 4 ? pf4bit : bpp == 8 ? pf8bit : bpp == 16 ? pf16bit
                                                                     : bpp == 24 ? pf24bit : pf32bit;
  if (isDib && ds.dsBmih.biHeight > 0 && (pf != pf16bit || ds.dsBmih.biCompression == BI_BITFIELDS)) {
    // A bottom-up DIB section is what we keep: take it as it is.
    if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
    if (FHandle) DeleteObject(FHandle);
    if (FMask) DeleteObject(FMask);
    FMask = nullptr;
    FHandle = h;
    FBits = ds.dsBm.bmBits;
    FWidth = w;
    FHeight = hgt;
    FPixelFormat = pf;
  } else {
    Recreate(w, hgt, pf, false);
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ oldSrc = SelectObject(src, h);
    HDC dst = CreateCompatibleDC(nullptr);
    HGDIOBJ oldDst = SelectObject(dst, FHandle);
    BitBlt(dst, 0, 0, w, hgt, src, 0, 0, SRCCOPY);
    SelectObject(dst, oldDst);
    SelectObject(src, oldSrc);
    DeleteDC(dst);
    DeleteDC(src);
    DeleteObject(h);
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
  return h;
}

void TBitmap::FreeImage() {
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
  if (FHandle) DeleteObject(FHandle);
  if (FMask) DeleteObject(FMask);
  FHandle = nullptr;
  FMask = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
  Changed(this);
}

Integer TBitmap::BytesPerLine() const { return ((FWidth * BitCountOf(FPixelFormat) + 31) / 32) * 4; }

void* TBitmap::ScanLine(Integer row) {
  if (!FBits || row < 0 || row >= FHeight) throw EInvalidGraphicOperation("Scan line index out of range");
  GdiFlush();
  return static_cast<uint8_t*>(FBits) + size_t(FHeight - 1 - row) * size_t(BytesPerLine());
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1) | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor v) {
  FTransparentColor = v;
  FTransparentMode = v == clDefault ? tmAuto : tmFixed;
  if (FMask) DeleteObject(FMask);
  FMask = nullptr;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode v) {
  if (v == FTransparentMode) return;
  if (v == tmAuto) SetTransparentColor(clDefault);
  else SetTransparentColor(TransparentColor());
}

HBITMAP TBitmap::MaskHandle() {
  if (Empty()) return nullptr;
  if (!FMask) {
    FMask = CreateBitmap(FWidth, FHeight, 1, 1, nullptr);
    HDC src = Canvas()->Handle();
    HDC dst = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dst, FMask);
    COLORREF oldBk = SetBkColor(src, ColorToRGB(TransparentColor() & 0xFFFFFF));
    BitBlt(dst, 0, 0, FWidth, FHeight, src, 0, 0, SRCCOPY);
    SetBkColor(src, oldBk);
    SelectObject(dst, old);
    DeleteDC(dst);
  }
  return FMask;
}

void TBitmap::Changed(TObject* sender) {
  if (FMask) DeleteObject(FMask);
  FMask = nullptr;
  TGraphic::Changed(sender);
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
  if (Empty()) return;
  HDC dst = canvas->Handle();
  HDC src = Canvas()->Handle();
  if (FTransparent) {
    GdiTransparentBlt(dst, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, FWidth, FHeight,
                      ColorToRGB(TransparentColor() & 0xFFFFFF));
  } else {
    int oldMode = SetStretchBltMode(dst, FPixelFormat == pf1bit ? BLACKONWHITE : COLORONCOLOR);
    StretchBlt(dst, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, FWidth, FHeight, canvas->CopyMode());
    SetStretchBltMode(dst, oldMode);
  }
}

void TBitmap::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    FreeImage();
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    FTransparent = b->FTransparent;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    if (b->Empty()) {
      Recreate(b->FWidth, b->FHeight, b->FPixelFormat, false);
    } else {
      RGBQUAD palette[256];
      const RGBQUAD* pal = nullptr;
      if (ColorTableSize(b->FPixelFormat) &&
          GetDIBColorTable(b->Canvas()->Handle(), 0, UINT(ColorTableSize(b->FPixelFormat)), palette) > 0)
        pal = palette;
      if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
      void* bits = nullptr;
      HBITMAP h = CreateDib(b->FWidth, b->FHeight, b->FPixelFormat, pal, &bits);
      GdiFlush();
      std::memcpy(bits, b->FBits, size_t(b->BytesPerLine()) * size_t(b->FHeight));
      if (FHandle) DeleteObject(FHandle);
      if (FMask) DeleteObject(FMask);
      FMask = nullptr;
      FHandle = h;
      FBits = bits;
      FWidth = b->FWidth;
      FHeight = b->FHeight;
      FPixelFormat = b->FPixelFormat;
    }
    Changed(this);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(source)) {
    // Any other graphic is drawn onto a white bitmap of its size.
    if (FPixelFormat == pfDevice) FPixelFormat = pf32bit;
    Recreate(g->Width(), g->Height(), FPixelFormat, false);
    if (!g->Empty()) Canvas()->Draw(0, 0, g);
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

namespace {

// Reads exactly `n` bytes or raises the bitmap error.
void ReadExact(TStream* s, void* buf, LongInt n) {
  if (s->Read(buf, n) != n) throw EInvalidGraphic("Bitmap image is not valid");
}

}  // namespace

void TBitmap::LoadFromStream(TStream* stream) {
  int64_t available = stream->Size() - stream->Position();
  BITMAPFILEHEADER fh{};
  if (available < int64_t(sizeof(fh) + 12)) throw EInvalidGraphic("Bitmap image is not valid");
  ReadExact(stream, &fh, sizeof(fh));
  if (fh.bfType != 0x4D42) throw EInvalidGraphic("Bitmap image is not valid");
  // Read only this bitmap when the header gives its size: a bitmap may be
  // followed by other data in the same stream.
  int64_t length = available - int64_t(sizeof(fh));
  if (fh.bfSize > sizeof(fh) + 12 && int64_t(fh.bfSize) <= available) length = int64_t(fh.bfSize) - int64_t(sizeof(fh));
  std::vector<uint8_t> rest(static_cast<size_t>(length));
  ReadExact(stream, rest.data(), LongInt(rest.size()));
  LoadDib(rest.data(), rest.size(), int64_t(fh.bfOffBits) - int64_t(sizeof(fh)));
}

void TBitmap::LoadFromDIB(const void* data, size_t size) { LoadDib(static_cast<const uint8_t*>(data), size, -1); }

void TBitmap::LoadDib(const uint8_t* p, size_t size, int64_t bitsOffset) {
  auto fail = [] { throw EInvalidGraphic("Bitmap image is not valid"); };
  if (!p || size < 12) fail();
  DWORD hsize;
  std::memcpy(&hsize, p, 4);
  int32_t w = 0, h = 0;
  WORD planes = 0, bpp = 0;
  DWORD compression = BI_RGB, clrUsed = 0;
  DWORD masks[3] = {0, 0, 0};
  bool core = hsize == 12;
  if (core) {
    WORD cw, ch;
    std::memcpy(&cw, p + 4, 2);
    std::memcpy(&ch, p + 6, 2);
    std::memcpy(&planes, p + 8, 2);
    std::memcpy(&bpp, p + 10, 2);
    w = cw;
    h = ch;
  } else {
    if (hsize < 40 || hsize > 124 || size < hsize) fail();
    BITMAPINFOHEADER bi{};
    std::memcpy(&bi, p, sizeof(bi));
    w = bi.biWidth;
    h = bi.biHeight;
    planes = bi.biPlanes;
    bpp = bi.biBitCount;
    compression = bi.biCompression;
    clrUsed = bi.biClrUsed;
    if (hsize >= 52) std::memcpy(masks, p + 40, 12);
  }
  size_t pos = hsize;
  if (compression == BI_BITFIELDS && hsize == 40) {
    if (size < pos + 12) fail();
    std::memcpy(masks, p + pos, 12);
    pos += 12;
  }
  if (planes != 1 || w <= 0 || h == 0 || h == INT32_MIN) fail();
  bool topDown = h < 0;
  if (topDown) h = -h;
  if (int64_t(w) * h > kMaxBitmapPixels) fail();
  TPixelFormat pf;
  switch (bpp) {
    case 1: pf = pf1bit; break;
    case 4: pf = pf4bit; break;
    case 8: pf = pf8bit; break;
    case 16: pf = pf15bit; break;
    case 24: pf = pf24bit; break;
    case 32: pf = pf32bit; break;
    default: fail(); return;
  }
  if (compression == BI_BITFIELDS) {
    if (bpp == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) pf = pf16bit;
    else if (bpp == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) pf = pf15bit;
    else if (bpp == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF) pf = pf32bit;
    else fail();
  } else if (compression != BI_RGB) {
    fail();
  }
  RGBQUAD palette[256]{};
  int tableSize = ColorTableSize(pf);
  if (tableSize) {
    int n = clrUsed ? int(std::min<DWORD>(clrUsed, DWORD(tableSize))) : tableSize;
    if (clrUsed > 256) fail();
    size_t entry = core ? 3 : 4;
    if (size < pos + entry * size_t(clrUsed ? clrUsed : DWORD(tableSize))) fail();
    for (int i = 0; i < n; ++i) {
      const uint8_t* e = p + pos + size_t(i) * entry;
      palette[i] = {e[0], e[1], e[2], 0};
    }
    pos += entry * size_t(clrUsed ? clrUsed : DWORD(tableSize));
  }
  size_t stride = size_t(((int64_t(w) * bpp + 31) / 32) * 4);
  size_t needed = stride * size_t(h);
  if (size < pos + needed) fail();
  // The file header's offset to the pixels wins when it is plausible.
  size_t bitsPos = pos;
  if (bitsOffset >= int64_t(pos) && uint64_t(bitsOffset) + needed <= size) bitsPos = size_t(bitsOffset);
  void* bits = nullptr;
  HBITMAP handle = CreateDib(w, h, pf, tableSize ? palette : nullptr, &bits);
  for (int32_t row = 0; row < h; ++row) {
    // Stored rows are bottom-up unless the height was negative; ours are bottom-up.
    int32_t dstRow = topDown ? h - 1 - row : row;
    std::memcpy(static_cast<uint8_t*>(bits) + size_t(dstRow) * stride, p + bitsPos + size_t(row) * stride, stride);
  }
  if (FCanvas) static_cast<TBitmapCanvas*>(FCanvas.get())->FreeContext();
  if (FHandle) DeleteObject(FHandle);
  if (FMask) DeleteObject(FMask);
  FMask = nullptr;
  FHandle = handle;
  FBits = bits;
  FWidth = w;
  FHeight = h;
  FPixelFormat = pf;
  Changed(this);
}

void TBitmap::SaveToStream(TStream* stream) {
  if (Empty()) return;
  GdiFlush();
  int tableSize = ColorTableSize(FPixelFormat);
  DibInfo di;
  di.Header.biSize = sizeof(BITMAPINFOHEADER);
  di.Header.biWidth = FWidth;
  di.Header.biHeight = FHeight;
  di.Header.biPlanes = 1;
  di.Header.biBitCount = WORD(BitCountOf(FPixelFormat));
  di.Header.biCompression = FPixelFormat == pf16bit ? BI_BITFIELDS : BI_RGB;
  di.Header.biSizeImage = DWORD(BytesPerLine()) * DWORD(FHeight);
  di.Header.biXPelsPerMeter = di.Header.biYPelsPerMeter = 3780;
  size_t extra = 0;
  if (tableSize) {
    di.Header.biClrUsed = DWORD(tableSize);
    GetDIBColorTable(Canvas()->Handle(), 0, UINT(tableSize), di.Colors);
    extra = sizeof(RGBQUAD) * size_t(tableSize);
  } else if (FPixelFormat == pf16bit) {
    DWORD* masks = reinterpret_cast<DWORD*>(di.Colors);
    masks[0] = 0xF800;
    masks[1] = 0x07E0;
    masks[2] = 0x001F;
    extra = 12;
  }
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = DWORD(sizeof(fh) + sizeof(BITMAPINFOHEADER) + extra);
  fh.bfSize = fh.bfOffBits + di.Header.biSizeImage;
  stream->WriteBuffer(&fh, sizeof(fh));
  stream->WriteBuffer(&di, LongInt(sizeof(BITMAPINFOHEADER) + extra));
  stream->WriteBuffer(FBits, LongInt(di.Header.biSizeImage));
}

// ---------------------------------------------------------------------------
// TIcon

TIcon::~TIcon() {
  if (FHandle) DestroyIcon(FHandle);
}

void TIcon::SetWidth(Integer v) {
  if (FHandle) throw EInvalidGraphicOperation("Cannot change the size of an icon");
  FRequestedWidth = v;
}

void TIcon::SetHeight(Integer v) {
  if (FHandle) throw EInvalidGraphicOperation("Cannot change the size of an icon");
  FRequestedHeight = v;
}

void TIcon::SetHandle(HICON h) {
  if (h == FHandle) return;
  if (FHandle) DestroyIcon(FHandle);
  FHandle = h;
  FData.clear();
  FWidth = FHeight = 0;
  ICONINFO ii{};
  if (h && GetIconInfo(h, &ii)) {
    BITMAP bm{};
    if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof(bm), &bm)) {
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight;
    } else if (ii.hbmMask && GetObjectW(ii.hbmMask, sizeof(bm), &bm)) {
      FWidth = bm.bmWidth;
      FHeight = bm.bmHeight / 2;
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
  }
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = FHandle;
  FHandle = nullptr;
  FData.clear();
  FWidth = FHeight = 0;
  return h;
}

void TIcon::Assign(TPersistent* source) {
  if (source == this) return;
  if (!source) {
    SetHandle(nullptr);
    return;
  }
  if (auto* i = dynamic_cast<TIcon*>(source)) {
    SetHandle(i->FHandle ? CopyIcon(i->FHandle) : nullptr);
    FData = i->FData;
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const TRect& r) {
  if (FHandle) DrawIconEx(canvas->Handle(), r.Left, r.Top, FHandle, r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream* stream) {
  int64_t available = stream->Size() - stream->Position();
  if (available < 6 || available > (int64_t(64) << 20)) throw EInvalidGraphic("Icon image is not valid");
  std::vector<uint8_t> data(static_cast<size_t>(available));
  stream->ReadBuffer(data.data(), LongInt(data.size()));
  auto word = [&](size_t at) { return WORD(data[at] | (data[at + 1] << 8)); };
  auto dword = [&](size_t at) {
    return DWORD(data[at]) | (DWORD(data[at + 1]) << 8) | (DWORD(data[at + 2]) << 16) | (DWORD(data[at + 3]) << 24);
  };
  WORD type = word(2), count = word(4);
  if (word(0) != 0 || (type != 1 && type != 2) || count == 0 || data.size() < 6 + size_t(count) * 16)
    throw EInvalidGraphic("Icon image is not valid");
  int wantW = FRequestedWidth > 0 ? FRequestedWidth : GetSystemMetrics(SM_CXICON);
  int wantH = FRequestedHeight > 0 ? FRequestedHeight : GetSystemMetrics(SM_CYICON);
  int best = -1;
  long bestScore = 0;
  for (int i = 0; i < count; ++i) {
    size_t e = 6 + size_t(i) * 16;
    int w = data[e] ? data[e] : 256, h = data[e + 1] ? data[e + 1] : 256;
    int bits = word(e + 6);
    DWORD bytes = dword(e + 8), offset = dword(e + 12);
    if (bytes == 0 || offset > data.size() || bytes > data.size() - offset) continue;
    long score = long(std::abs(w - wantW) + std::abs(h - wantH)) * 64 - bits;
    if (best < 0 || score < bestScore) best = i, bestScore = score;
  }
  if (best < 0) throw EInvalidGraphic("Icon image is not valid");
  size_t e = 6 + size_t(best) * 16;
  int w = data[e] ? data[e] : 256, h = data[e + 1] ? data[e + 1] : 256;
  DWORD bytes = dword(e + 8), offset = dword(e + 12);
  HICON icon = CreateIconFromResourceEx(data.data() + offset, bytes, type == 1, 0x00030000, w, h, LR_DEFAULTCOLOR);
  if (!icon) throw EInvalidGraphic("Icon image is not valid");
  SetHandle(icon);
  FWidth = w;
  FHeight = h;
  FData = std::move(data);
}

void TIcon::SaveToStream(TStream* stream) {
  if (!FData.empty()) {
    stream->WriteBuffer(FData.data(), LongInt(FData.size()));
    return;
  }
  if (!FHandle) return;
  // An icon made from a handle is written as one 32-bit entry with its AND mask.
  int w = FWidth, h = FHeight;
  TBitmap color(w, h, pf32bit);
  HDC dc = color.Canvas()->Handle();
  PatBlt(dc, 0, 0, w, h, BLACKNESS);
  DrawIconEx(dc, 0, 0, FHandle, w, h, 0, nullptr, DI_IMAGE);
  TBitmap mask(w, h, pf1bit);
  DrawIconEx(mask.Canvas()->Handle(), 0, 0, FHandle, w, h, 0, nullptr, DI_MASK);
  GdiFlush();
  size_t colorBytes = size_t(color.BytesPerLine()) * size_t(h);
  size_t maskBytes = size_t(mask.BytesPerLine()) * size_t(h);
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof(bi);
  bi.biWidth = w;
  bi.biHeight = h * 2;
  bi.biPlanes = 1;
  bi.biBitCount = 32;
  bi.biSizeImage = DWORD(colorBytes + maskBytes);
  DWORD imageSize = DWORD(sizeof(bi) + colorBytes + maskBytes);
  uint8_t dir[22] = {0, 0, 1, 0, 1, 0, BYTE(w >= 256 ? 0 : w), BYTE(h >= 256 ? 0 : h), 0, 0, 1, 0, 32, 0};
  std::memcpy(dir + 14, &imageSize, 4);
  DWORD offset = 22;
  std::memcpy(dir + 18, &offset, 4);
  stream->WriteBuffer(dir, 22);
  stream->WriteBuffer(&bi, sizeof(bi));
  // Rows bottom-up, as the bitmaps hold them.
  stream->WriteBuffer(color.ScanLine(h - 1), LongInt(colorBytes));
  stream->WriteBuffer(mask.ScanLine(h - 1), LongInt(maskBytes));
}

// ---------------------------------------------------------------------------
// TPicture and the file-format registry

namespace {

struct FileFormat {
  String Extension;   // lower case, without the dot
  String Description;
  TClass GraphicClass;
  TPicture::TSignatureTest Signature;
};

std::vector<FileFormat>& Formats() {
  static std::vector<FileFormat> formats = [] {
    std::vector<FileFormat> f;
    auto bmp = [](const uint8_t* d, size_t n) { return n >= 2 && d[0] == 'B' && d[1] == 'M'; };
    auto ico = [](const uint8_t* d, size_t n) { return n >= 4 && d[0] == 0 && d[1] == 0 && d[2] == 1 && d[3] == 0; };
    auto jpg = [](const uint8_t* d, size_t n) { return n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF; };
    f.push_back({"jpg", "JPEG Image File", TJPEGImage::StaticClass(), jpg});
    f.push_back({"jpeg", "JPEG Image File", TJPEGImage::StaticClass(), jpg});
    f.push_back({"bmp", "Bitmaps", TBitmap::StaticClass(), bmp});
    f.push_back({"ico", "Icons", TIcon::StaticClass(), ico});
    f.push_back({"emf", "Enhanced Metafiles", TMetafile::StaticClass(), IsEnhMetafileData});
    return f;
  }();
  return formats;
}

String ExtensionOf(const String& fileName) {
  size_t dot = fileName.find_last_of('.');
  size_t slash = fileName.find_last_of("\\/:");
  if (dot == String::npos || (slash != String::npos && dot < slash)) return {};
  return vcl::LowerAscii(fileName.substr(dot + 1));
}

}  // namespace

TGraphic* NewGraphicOfClass(TClass graphicClass) {
  if (!graphicClass || !graphicClass->InheritsFrom(TGraphic::StaticClass()) || !graphicClass->Factory)
    throw EInvalidGraphic("Unsupported graphic class");
  return static_cast<TGraphic*>(graphicClass->Factory());
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(const String& extension, const String& description, TClass graphicClass,
                                  TSignatureTest signature) {
  String ext = vcl::LowerAscii(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  auto& f = Formats();
  for (auto& e : f)
    if (e.Extension == ext) {
      e = {ext, description, graphicClass, std::move(signature)};
      return;
    }
  f.push_back({ext, description, graphicClass, std::move(signature)});
}

void TPicture::UnregisterGraphicClass(TClass graphicClass) {
  auto& f = Formats();
  f.erase(std::remove_if(f.begin(), f.end(), [&](const FileFormat& e) { return e.GraphicClass->InheritsFrom(graphicClass); }),
          f.end());
}

TClass TPicture::FindGraphicClassForExtension(const String& extension) {
  String ext = vcl::LowerAscii(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  for (auto& e : Formats())
    if (e.Extension == ext) return e.GraphicClass;
  return nullptr;
}

String TPicture::GraphicFilter(TClass graphicClass) {
  String all, parts;
  for (auto& e : Formats()) {
    if (graphicClass && !e.GraphicClass->InheritsFrom(graphicClass)) continue;
    if (!all.empty()) all += ';';
    all += "*." + e.Extension;
    parts += "|" + e.Description + " (*." + e.Extension + ")|*." + e.Extension;
  }
  if (all.empty()) return {};
  return "All (" + all + ")|" + all + parts;
}

String TPicture::GraphicExtension(TClass graphicClass) {
  for (auto& e : Formats())
    if (e.GraphicClass == graphicClass) return e.Extension;
  return {};
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::ForceType(TClass graphicClass) {
  if (FGraphic && FGraphic->ClassType() == graphicClass) return;
  FGraphic.reset(NewGraphicOfClass(graphicClass));
  FGraphic->OnChange = [this](TObject* s) { Changed(s); };
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* v) {
  if (v == FGraphic.get()) return;
  std::unique_ptr<TGraphic> copy;
  if (v) {
    copy.reset(NewGraphicOfClass(v->ClassType()));
    copy->Assign(v);
    copy->OnChange = [this](TObject* s) { Changed(s); };
  }
  FGraphic = std::move(copy);
  Changed(this);
}

TBitmap* TPicture::Bitmap() {
  ForceType(TBitmap::StaticClass());
  return static_cast<TBitmap*>(FGraphic.get());
}

TIcon* TPicture::Icon() {
  ForceType(TIcon::StaticClass());
  return static_cast<TIcon*>(FGraphic.get());
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(source)) {
    SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::LoadFromFile(const String& fileName) {
  String ext = ExtensionOf(fileName);
  TClass cls = FindGraphicClassForExtension(ext);
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  std::unique_ptr<TGraphic> g(NewGraphicOfClass(cls));
  g->LoadFromFile(fileName);
  g->OnChange = [this](TObject* s) { Changed(s); };
  FGraphic = std::move(g);
  Changed(this);
}

void TPicture::SaveToFile(const String& fileName) {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

void TPicture::LoadFromStream(TStream* stream) {
  int64_t available = stream->Size() - stream->Position();
  if (available <= 0) {
    SetGraphic(nullptr);
    return;
  }
  uint8_t head[64] = {};   // enough for every signature (EMF: 44 bytes)
  int64_t start = stream->Position();
  LongInt n = stream->Read(head, LongInt(std::min<int64_t>(available, sizeof(head))));
  stream->SetPosition(start);
  TClass cls = nullptr;
  for (auto& e : Formats())
    if (e.Signature && e.Signature(head, size_t(n))) {
      cls = e.GraphicClass;
      break;
    }
  if (!cls) throw EInvalidGraphic("Unknown picture format");
  std::unique_ptr<TGraphic> g(NewGraphicOfClass(cls));
  g->LoadFromStream(stream);
  g->OnChange = [this](TObject* s) { Changed(s); };
  FGraphic = std::move(g);
  Changed(this);
}

void TPicture::SaveToStream(TStream* stream) {
  if (FGraphic) FGraphic->SaveToStream(stream);
}

namespace {
TClass GraphicClassNamed(const String& name) {
  const String key = vcl::LowerAscii(name);
  for (TClass c : {TBitmap::StaticClass(), TIcon::StaticClass(), TMetafile::StaticClass(), TJPEGImage::StaticClass()})
    if (vcl::LowerAscii(c->Name) == key) return c;
  for (auto& e : Formats())
    if (vcl::LowerAscii(e.GraphicClass->Name) == key) return e.GraphicClass;
  return nullptr;
}
}  // namespace

void TPicture::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data",
      [this](TStream* s) {
        uint8_t length = 0;
        String name;
        if (s->Read(&length, 1) == 1) {
          name.assign(length, '\0');
          if (length > 0 && s->Read(&name[0], length) != length) throw EInvalidGraphic("Picture data is damaged");
        }
        if (name.empty()) {
          SetGraphic(nullptr);
          return;
        }
        TClass cls = GraphicClassNamed(name);
        if (!cls) throw EInvalidGraphic("Unknown picture class " + name);
        std::unique_ptr<TGraphic> g(NewGraphicOfClass(cls));
        g->ReadData(s);
        g->OnChange = [this](TObject* sender) { Changed(sender); };
        FGraphic = std::move(g);
        Changed(this);
      },
      [this](TStream* s) {
        String name = FGraphic ? FGraphic->ClassType()->Name : String();
        uint8_t length = uint8_t(std::min<size_t>(name.size(), 255));
        s->WriteBuffer(&length, 1);
        if (length > 0) s->WriteBuffer(name.data(), length);
        if (FGraphic) FGraphic->WriteData(s);
      },
      FGraphic && !FGraphic->Empty());
}
