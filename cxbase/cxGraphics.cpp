#include "cxGraphics.h"

#include <algorithm>

#include "Forms.h"
#include "VclUtils.h"

// ---------------------------------------------------------------------------
// Platform flags

bool cxPlatformIs9x = false;
bool cxPlatformIsNT4Up = true;
bool cxPlatformIsVistaUp = false;

void cxInitPlatformFlags() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) return;
  cxPlatformIs9x = info.dwPlatformId == VER_PLATFORM_WIN32s || info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
  cxPlatformIsNT4Up = info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 4;
  cxPlatformIsVistaUp = info.dwMajorVersion >= 6;
}

namespace {
const bool cxPlatformFlagsRead = (cxInitPlatformFlags(), true);

// TCanvas keeps the selection of its font, pen and brush to itself; painting
// through the raw DC needs them selected first. A member pointer named
// through a derived class reaches the protected member lawfully.
struct TCanvasAccess : TCanvas {
  static void Require(TCanvas* c, TCanvasState s) { (c->*(&TCanvasAccess::RequiredState))(s); }
};

HDC PreparedDC(TCanvas* c) {
  TCanvasAccess::Require(c, {csHandleValid, csFontValid, csBrushValid, csPenValid});
  return c->Handle();
}

std::u16string Wide(const String& s, Integer count = -1) {
  return vcl::ToUtf16(count < 0 || size_t(count) >= s.size() ? s : s.substr(0, size_t(count)));
}

RECT* AsRect(TRect& r) { return reinterpret_cast<RECT*>(&r); }
const RECT* AsRect(const TRect& r) { return reinterpret_cast<const RECT*>(&r); }
}  // namespace

// ---------------------------------------------------------------------------

Cardinal cxTextFlagsToDrawTextFlags(Cardinal Flags) {
  Cardinal r = (Flags & cxtfShowPrefix) ? 0 : DT_NOPREFIX;
  if (Flags & cxtfRight) r |= DT_RIGHT;
  if (Flags & cxtfHCenter) r |= DT_CENTER;
  if (Flags & cxtfBottom) r |= DT_BOTTOM;
  if (Flags & cxtfVCenter) r |= DT_VCENTER;
  if (Flags & cxtfSingleLine) r |= DT_SINGLELINE;
  if (Flags & cxtfNoClip) r |= DT_NOCLIP;
  if (Flags & cxtfExpandTabs) r |= DT_EXPANDTABS;
  if (Flags & cxtfWordBreak) {
    r |= DT_WORDBREAK;
    if (!(Flags & cxtfNoEditControl)) r |= DT_EDITCONTROL;
  }
  if (Flags & cxtfEndEllipsis) r |= DT_END_ELLIPSIS;
  if (Flags & cxtfCalcRect) r |= DT_CALCRECT;
  if (Flags & cxtfPathEllipsis) r |= DT_PATH_ELLIPSIS;
  return r;
}

// ---------------------------------------------------------------------------
// TcxRegion

TOVANI_IMPLEMENT_CLASS(TcxRegion, TObject)

TcxRegion::TcxRegion() : FHandle(CreateRectRgn(0, 0, 0, 0)) {}
TcxRegion::TcxRegion(HRGN AHandle) : FHandle(AHandle) {}
TcxRegion::TcxRegion(const TRect& R) : FHandle(CreateRectRgnIndirect(AsRect(R))) {}
TcxRegion::TcxRegion(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
    : FHandle(CreateRectRgn(ALeft, ATop, ARight, ABottom)) {}
TcxRegion::~TcxRegion() { ReleaseHandle(); }

void TcxRegion::ReleaseHandle() {
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

HRGN TcxRegion::ExtractHandle() {
  HRGN h = FHandle;
  FHandle = nullptr;
  return h;
}

bool TcxRegion::HasNoArea() const {
  RECT r;
  return !FHandle || GetRgnBox(FHandle, &r) == NULLREGION;
}

TRect TcxRegion::BoundsRect() const {
  TRect r;
  if (FHandle) GetRgnBox(FHandle, AsRect(r));
  return r;
}

void TcxRegion::CombineWith(TcxRegion* Region, TcxRegionCombineMode Mode, bool ADestroyRegion) {
  if (!Region) return;
  if (!FHandle) FHandle = CreateRectRgn(0, 0, 0, 0);
  static const int modes[] = {RGN_COPY, RGN_OR, RGN_DIFF, RGN_AND};
  CombineRgn(FHandle, Mode == rcmSet ? Region->FHandle : FHandle, Region->FHandle, modes[Mode]);
  if (ADestroyRegion) delete Region;
}

void TcxRegion::CombineWith(const TRect& R, TcxRegionCombineMode Mode) { CombineWith(new TcxRegion(R), Mode, true); }

bool TcxRegion::SameAs(const TcxRegion* Region) const { return Region && SameAsHandle(Region->FHandle); }

bool TcxRegion::SameAsHandle(HRGN AHandle) const {
  TcxRegion other(AHandle);
  bool same = (HasNoArea() && other.HasNoArea()) || (FHandle && AHandle && EqualRgn(FHandle, AHandle));
  other.ExtractHandle();   // not ours to delete
  return same;
}

void TcxRegion::Offset(Integer DX, Integer DY) {
  if (FHandle) OffsetRgn(FHandle, DX, DY);
}

bool TcxRegion::PtInRegion(TPoint P) const { return FHandle && ::PtInRegion(FHandle, P.X, P.Y); }

// ---------------------------------------------------------------------------
// TcxCanvas

TOVANI_IMPLEMENT_CLASS(TcxCanvas, TObject)

TcxCanvas::TcxCanvas(TCanvas* ACanvas) : FCanvas(ACanvas) {}

TcxCanvas::~TcxCanvas() {
  // Callers should balance their pushes; what an unbalanced one left behind
  // is freed here rather than leaked.
  for (TcxRegion* r : FSavedRegions) delete r;
}

HDC TcxCanvas::Handle() const { return FCanvas->Handle(); }

void TcxCanvas::SetBrushColor(TColor AColor) {
  if (Brush()->Color() != AColor) Brush()->SetColor(AColor);
}

void TcxCanvas::SetPixel(Integer X, Integer Y, TColor AColor) { FCanvas->SetPixels(X, Y, AColor); }

void TcxCanvas::DrawPolygon(const TPoint* Points, Integer Count) { FCanvas->Polygon(Points, Count); }

void TcxCanvas::DrawPolyline(const TPoint* Points, Integer Count) { FCanvas->Polyline(Points, Count); }

void TcxCanvas::CopyRectFromCanvas(const TRect& DestRect, TCanvas* ASourceCanvas, const TRect& SourceRect) {
  FCanvas->CopyRect(DestRect, ASourceCanvas, SourceRect);
}

void TcxCanvas::InvertRect(const TRect& R) {
  TCopyMode old = FCanvas->CopyMode();
  FCanvas->SetCopyMode(cmDstInvert);
  FCanvas->CopyRect(R, FCanvas, R);
  FCanvas->SetCopyMode(old == cmDstInvert ? cmSrcCopy : old);
}

void TcxCanvas::FillRectColor(const TRect& R, TColor AColor) {
  if (AColor == clNone) return;
  if (AColor != clDefault) SetBrushColor(AColor);
  FCanvas->FillRect(R);
}

void TcxCanvas::FillRectangle(const TRect& R, TBitmap* ABitmap, bool AExcludeRect) {
  if (IsRectEmpty(R)) return;
  if (ABitmap && !ABitmap->Empty() && ABitmap->Width() > 0 && ABitmap->Height() > 0) {
    const Integer w = ABitmap->Width(), h = ABitmap->Height();
    // Tiles lie on a grid anchored at the logical origin.
    auto first = [](Integer v, Integer size) { return v >= 0 ? v / size : -((-v + size - 1) / size); };
    Integer c1 = first(R.Left, w), c2 = first(R.Right - 1, w);
    Integer r1 = first(R.Top, h), r2 = first(R.Bottom - 1, h);
    for (Integer j = r1; j <= r2; ++j)
      for (Integer i = c1; i <= c2; ++i) {
        TRect tile(i * w, j * h, (i + 1) * w, (j + 1) * h), part;
        if (!IntersectRect(part, tile, R)) continue;
        FCanvas->CopyRect(part, ABitmap->Canvas(), cxShiftedRect(part, -i * w, -j * h));
      }
  } else {
    FCanvas->FillRect(R);
  }
  if (AExcludeRect) ApplyClipRegion(new TcxRegion(R), rcmDifference, true, true);
}

void TcxCanvas::DrawRectBorders(const TRect& R, TColor AColor, Integer AWidth, TcxBorders ABorders, bool AExcludeRect) {
  if (IsRectEmpty(R)) return;
  if (AColor != clDefault) SetBrushColor(AColor);
  if (ABorders.Contains(bLeft))
    FillRectangle(TRect(R.Left, R.Top, std::min(R.Left + AWidth, R.Right), R.Bottom), nullptr, AExcludeRect);
  if (ABorders.Contains(bRight))
    FillRectangle(TRect(std::max(R.Right - AWidth, R.Left), R.Top, R.Right, R.Bottom), nullptr, AExcludeRect);
  if (ABorders.Contains(bTop))
    FillRectangle(TRect(R.Left, R.Top, R.Right, std::min(R.Top + AWidth, R.Bottom)), nullptr, AExcludeRect);
  if (ABorders.Contains(bBottom))
    FillRectangle(TRect(R.Left, std::max(R.Bottom - AWidth, R.Top), R.Right, R.Bottom), nullptr, AExcludeRect);
}

void TcxCanvas::FillRectWithBorders(const TRect& R, const TcxViewParams& AViewParams, TcxBorders ABorders,
                                    TColor ABorderColor, Integer ABorderWidth, bool AExcludeRect) {
  DrawRectBorders(R, ABorderColor, ABorderWidth, ABorders, AExcludeRect);
  TRect inner = R;
  if (ABorders.Contains(bLeft)) inner.Left += ABorderWidth;
  if (ABorders.Contains(bTop)) inner.Top += ABorderWidth;
  if (ABorders.Contains(bRight)) inner.Right -= ABorderWidth;
  if (ABorders.Contains(bBottom)) inner.Bottom -= ABorderWidth;
  if (AViewParams.Color != clDefault && AViewParams.Color != clNone) SetBrushColor(AViewParams.Color);
  FillRectangle(inner, AViewParams.Bitmap, AExcludeRect);
}

void TcxCanvas::DrawTwoColorFrame(const TRect& R, TColor ALeftTopColor, TColor ARightBottomColor, TcxBorders ABorders,
                                  Integer AWidth) {
  if (ABorders.Contains(bLeft)) {
    SetBrushColor(ALeftTopColor);
    FillRectangle(TRect(R.Left, R.Top, R.Left + AWidth, R.Bottom));
  }
  if (ABorders.Contains(bTop)) {
    SetBrushColor(ALeftTopColor);
    FillRectangle(TRect(R.Left, R.Top, R.Right, R.Top + AWidth));
  }
  if (ABorders.Contains(bRight)) {
    SetBrushColor(ARightBottomColor);
    FillRectangle(TRect(R.Right - AWidth, R.Top, R.Right, R.Bottom));
  }
  if (ABorders.Contains(bBottom)) {
    SetBrushColor(ARightBottomColor);
    FillRectangle(TRect(R.Left, R.Bottom - AWidth, R.Right, R.Bottom));
  }
}

void TcxCanvas::Draw3DEdge(const TRect& R, bool ASunken, bool AOuter, TcxBorders ABorders) {
  static const TColor colors[2][2][2] = {
      // [sunken][outer] = {left-top, right-bottom}
      {{clBtnHighlight, clBtnShadow}, {cl3DLight, cl3DDkShadow}},
      {{cl3DDkShadow, cl3DLight}, {clBtnShadow, clBtnHighlight}}};
  const TColor* c = colors[ASunken][AOuter];
  DrawTwoColorFrame(R, c[0], c[1], ABorders, 1);
}

void TcxCanvas::DrawFocusRect(const TRect& R) {
  SetBrushColor(clWhite);
  Font()->SetColor(clBlack);
  PreparedDC(FCanvas);
  FCanvas->DrawFocusRect(R);
}

void TcxCanvas::MeasureText(const String& AText, TSize& ASize) {
  HDC dc = PreparedDC(FCanvas);
  std::u16string w = Wide(AText);
  SIZE s{};
  if (GetTextExtentPoint32W(dc, vcl::W(w), int(w.size()), &s))
    ASize = TSize(s.cx, s.cy);
  else
    ASize = TSize(0, 0);
}

TSize TcxCanvas::TextExtent(const String& AText) {
  TSize s;
  MeasureText(AText, s);
  return s;
}

Integer TcxCanvas::MeasureTextWidth(const String& AText) { return TextExtent(AText).cx; }
Integer TcxCanvas::MeasureTextHeight(const String& AText) { return TextExtent(AText).cy; }

Integer TcxCanvas::FontHeight(TFont* AFont) {
  SetFont(AFont);
  return MeasureTextHeight("Qq");
}

void TcxCanvas::MeasureTextRect(const String& AText, TRect& R, Cardinal AFlags) {
  const Integer w = R.Width(), h = R.Height();
  Cardinal dt = cxTextFlagsToDrawTextFlags(AFlags);
  if (w <= 0 && !AText.empty()) R.Right = R.Left + 1;
  HDC dc = PreparedDC(FCanvas);
  std::u16string text = Wide(AText);
  if (DrawTextW(dc, vcl::W(text), int(text.size()), AsRect(R), (dt | DT_CALCRECT) & ~UINT(DT_VCENTER)) == 0)
    R = TRect(R.Left, R.Top, R.Left, R.Top);
  if (dt & DT_CENTER)
    OffsetRect(R, (w - R.Width()) / 2, 0);
  else if (dt & DT_RIGHT)
    OffsetRect(R, w - R.Width(), 0);
  if (dt & DT_VCENTER)
    OffsetRect(R, 0, (h - R.Height()) / 2);
  else if (dt & DT_BOTTOM)
    OffsetRect(R, 0, h - R.Height());
}

void TcxCanvas::PaintText(const String& AText, TRect R, Cardinal AFlags, bool AEnabled) {
  if (AText.empty()) return;
  const bool useDrawText =
      !(AFlags & cxtfSingleLine) || (AFlags & (cxtfShowPrefix | cxtfEndEllipsis | cxtfPathEllipsis));
  TSize size;
  MeasureText(AText, size);
  if (R.Width() >= size.cx && R.Height() >= size.cy) AFlags |= cxtfNoClip;
  const Integer d = AEnabled ? 0 : 1;
  Cardinal dtFlags = 0, etoOptions = 0;
  if (useDrawText) {
    if (!(AFlags & cxtfSingleLine) && (AFlags & (cxtfBottom | cxtfVCenter))) {
      TRect block(R.Left, R.Top, R.Right - d, R.Bottom);
      MeasureTextRect(AText, block,
                      cxtfLeft | cxtfTop | (AFlags & (cxtfWordBreak | cxtfShowPrefix | cxtfNoEditControl)));
      if (AFlags & cxtfBottom)
        R.Top = R.Bottom - block.Height() - d;
      else
        R.Top = (R.Top + R.Bottom - block.Height()) / 2;
    }
    dtFlags = cxTextFlagsToDrawTextFlags(AFlags);
  } else {
    if (size.cx < R.Width()) {
      if (AFlags & cxtfRight)
        R.Left = R.Right - size.cx - d;
      else if (AFlags & cxtfHCenter)
        R.Left = (R.Left + R.Right - size.cx) / 2;
    }
    if (size.cy < R.Height()) {
      if (AFlags & cxtfBottom)
        R.Top = R.Bottom - size.cy - d;
      else if (AFlags & cxtfVCenter)
        R.Top = (R.Top + R.Bottom - size.cy) / 2;
    }
    etoOptions = (AFlags & cxtfNoClip) ? 0 : ETO_CLIPPED;
  }
  const TBrushStyle oldStyle = Brush()->Style();
  const TColor oldColor = Font()->Color();
  std::u16string text = Wide(AText);
  auto draw = [&] {
    HDC dc = PreparedDC(FCanvas);
    if (useDrawText)
      DrawTextW(dc, vcl::W(text), int(text.size()), AsRect(R), dtFlags);
    else
      ExtTextOutW(dc, R.Left, R.Top, etoOptions, AsRect(R), vcl::W(text), UINT(text.size()), nullptr);
  };
  if (!AEnabled) {
    ++R.Left;
    ++R.Top;
    Brush()->SetStyle(bsClear);
    Font()->SetColor(clBtnHighlight);
    draw();
    OffsetRect(R, -1, -1);
    Font()->SetColor(clBtnShadow);
  }
  draw();
  if (Brush()->Style() != oldStyle) Brush()->SetStyle(oldStyle);
  Font()->SetColor(oldColor);
}

void TcxCanvas::PushDC() { FSavedDCs.push_back(SaveDC(Handle())); }

void TcxCanvas::PopDC() {
  if (FSavedDCs.empty()) return;
  RestoreDC(Handle(), FSavedDCs.back());
  FSavedDCs.pop_back();
  // The restored DC has its earlier objects selected: let the canvas select
  // its own again before the next drawing.
  FCanvas->Refresh();
}

void TcxCanvas::PushClipRegion() { FSavedRegions.push_back(CopyClipRegion(true)); }

void TcxCanvas::PopClipRegion() {
  if (FSavedRegions.empty()) return;
  TcxRegion* r = FSavedRegions.back();
  FSavedRegions.pop_back();
  ApplyClipRegion(r, rcmSet, true, true);
}

void TcxCanvas::PushState() {
  PushDC();
  TcxCanvasState s;
  s.Font = std::make_unique<TFont>();
  s.Font->Assign(Font());
  s.Brush = std::make_unique<TBrush>();
  s.Brush->Assign(Brush());
  s.Pen = std::make_unique<TPen>();
  s.Pen->Assign(Pen());
  FSavedStates.push_back(std::move(s));
}

void TcxCanvas::PopState() {
  if (FSavedStates.empty()) return;
  TcxCanvasState& s = FSavedStates.back();
  Font()->Assign(s.Font.get());
  Brush()->Assign(s.Brush.get());
  Pen()->Assign(s.Pen.get());
  FSavedStates.pop_back();
  PopDC();
}

void TcxCanvas::ExcludeFromClip(const TRect& R) { ExcludeClipRect(Handle(), R.Left, R.Top, R.Right, R.Bottom); }

void TcxCanvas::IntersectClip(const TRect& R) { IntersectClipRect(Handle(), R.Left, R.Top, R.Right, R.Bottom); }

TcxRegion* TcxCanvas::CopyClipRegion(bool AConsiderOrigin) {
  auto* r = new TcxRegion();
  if (GetClipRgn(Handle(), r->Handle()) != 1) {
    delete r;
    r = new TcxRegion(0, 0, 30000, 30000);
  }
  if (AConsiderOrigin) {
    TPoint o = DeviceOrigin();
    r->Offset(-o.X, -o.Y);
  }
  return r;
}

void TcxCanvas::ApplyClipRegion(TcxRegion* ARegion, TcxRegionCombineMode AMode, bool AConsiderOrigin,
                                bool ADestroyRegion) {
  if (!ARegion) return;
  if (AMode != rcmSet) {
    TcxRegion* current = CopyClipRegion(AConsiderOrigin);
    current->CombineWith(ARegion, AMode, ADestroyRegion);
    ApplyClipRegion(current, rcmSet, AConsiderOrigin, true);
    return;
  }
  TPoint o;
  if (AConsiderOrigin) {
    o = DeviceOrigin();
    ARegion->Offset(o.X, o.Y);
  }
  SelectClipRgn(Handle(), ARegion->Handle());
  if (ADestroyRegion)
    delete ARegion;
  else if (AConsiderOrigin)
    ARegion->Offset(-o.X, -o.Y);
}

TPoint TcxCanvas::WindowOrigin() const {
  POINT p{};
  GetWindowOrgEx(Handle(), &p);
  return {p.x, p.y};
}

void TcxCanvas::SetWindowOrigin(TPoint P) { SetWindowOrgEx(Handle(), P.X, P.Y, nullptr); }

TPoint TcxCanvas::ViewportOrigin() const {
  POINT p{};
  GetViewportOrgEx(Handle(), &p);
  return {p.x, p.y};
}

TPoint TcxCanvas::DeviceOrigin() const {
  TPoint v = ViewportOrigin(), w = WindowOrigin();
  return {v.X - w.X, v.Y - w.Y};
}

// ---------------------------------------------------------------------------
// Screen canvas

namespace {
// A canvas on the desktop window's device context.
class TScreenCanvas : public TCanvas {
 public:
  ~TScreenCanvas() override { FreeHandle(); }
  void FreeHandle() {
    if (!HandleAllocated()) return;
    HDC dc = Handle();
    SetHandle(nullptr);
    ReleaseDC(GetDesktopWindow(), dc);
  }

 protected:
  void CreateHandle() override { SetHandle(GetDCEx(GetDesktopWindow(), nullptr, DCX_CACHE | DCX_LOCKWINDOWUPDATE)); }
};

std::unique_ptr<TcxScreenCanvas>& SharedScreenCanvas() {
  static std::unique_ptr<TcxScreenCanvas> canvas;
  return canvas;
}
}  // namespace

TOVANI_IMPLEMENT_CLASS(TcxScreenCanvas, TcxCanvas)

TcxScreenCanvas::TcxScreenCanvas() : TcxCanvas(new TScreenCanvas) { FScreenCanvas.reset(Canvas()); }
TcxScreenCanvas::~TcxScreenCanvas() = default;

TcxScreenCanvas* cxSharedScreenCanvas() {
  auto& c = SharedScreenCanvas();
  if (!c) c = std::make_unique<TcxScreenCanvas>();
  return c.get();
}

// ---------------------------------------------------------------------------
// Unit helpers

Integer cxDrawTextInRect(HDC DC, const String& AText, TRect& R, Cardinal AFormat, Integer ACount) {
  std::u16string w = Wide(AText, ACount);
  return DrawTextW(DC, vcl::W(w), int(w.size()), AsRect(R), AFormat);
}

bool cxExtTextOutAt(HDC DC, const String& AText, TPoint P, Cardinal AOptions, const TRect& R, Integer ACount) {
  std::u16string w = Wide(AText, ACount);
  return ExtTextOutW(DC, P.X, P.Y, AOptions, AsRect(R), vcl::W(w), UINT(w.size()), nullptr);
}

bool cxTextExtentInDC(HDC DC, const String& AText, TSize& ASize, Integer ACount) {
  std::u16string w = Wide(AText, ACount);
  SIZE s{};
  bool ok = GetTextExtentPoint32W(DC, vcl::W(w), int(w.size()), &s);
  ASize = ok ? TSize(s.cx, s.cy) : TSize(0, 0);
  return ok;
}

TSize cxMeasureTextInFont(TFont* AFont, const String& AText, Integer AFontSize) {
  TcxScreenCanvas* c = cxSharedScreenCanvas();
  c->SetFont(AFont);
  if (AFontSize != 0) c->Font()->SetSize(AFontSize);
  return c->TextExtent(AText);
}

Integer cxTextWidthInFont(TFont* AFont, const String& AText, Integer AFontSize) {
  return cxMeasureTextInFont(AFont, AText, AFontSize).cx;
}

Integer cxTextHeightInFont(TFont* AFont, const String& AText, Integer AFontSize) {
  return cxMeasureTextInFont(AFont, AText, AFontSize).cy;
}

bool cxReadLogFont(HFONT AFont, LOGFONTW& ALogFont) {
  return GetObjectW(AFont, sizeof(ALogFont), &ALogFont) == sizeof(ALogFont);
}

bool cxReadBitmapInfo(HBITMAP ABitmap, BITMAP& ABitmapInfo) {
  return GetObjectW(ABitmap, sizeof(ABitmapInfo), &ABitmapInfo) == sizeof(ABitmapInfo);
}

bool cxIsChineseOrArabicText(Byte ACharset, const String& AText) {
  if (ACharset == DEFAULT_CHARSET) {
    CHARSETINFO info{};
    if (TranslateCharsetInfo(reinterpret_cast<DWORD*>(uintptr_t(GetACP())), &info, TCI_SRCCODEPAGE))
      ACharset = Byte(info.ciCharset);
  }
  if (!AText.empty() && static_cast<unsigned char>(AText[0]) < 128) return false;
  return ACharset == GB2312_CHARSET || ACharset == CHINESEBIG5_CHARSET || ACharset == ARABIC_CHARSET;
}

void cxInvalidateWindowRect(HWND AWnd, const TRect* R, bool AErase) {
  ::InvalidateRect(AWnd, R ? AsRect(*R) : nullptr, AErase);
}

void cxDeflateRectBy(TRect& R, const TRect& AMargins) {
  R.Left += AMargins.Left;
  R.Top += AMargins.Top;
  R.Right -= AMargins.Right;
  R.Bottom -= AMargins.Bottom;
}

bool cxRectsSameSize(const TRect& R1, const TRect& R2) {
  return R1.Width() == R2.Width() && R1.Height() == R2.Height();
}

TColor cxNearestScreenColor(TColor AColor) {
  vcl::ScreenDC dc;
  return TColor(GetNearestColor(dc, ColorToRGB(AColor)));
}

Integer cxClampChannel(Integer AValue) { return AValue < 0 ? 0 : AValue > 255 ? 255 : AValue; }

TColor cxMixSystemColors(ShortInt ABtnFacePercent, ShortInt AHighlightPercent, ShortInt AWindowPercent) {
  COLORREF f = ColorToRGB(clBtnFace), h = ColorToRGB(clHighlight), w = ColorToRGB(clWindow);
  if (f == 0 || f == 0xFFFFFF) return TColor(h);
  auto mix = [&](int shift) {
    int fc = int(f >> shift) & 0xFF, hc = int(h >> shift) & 0xFF, wc = int(w >> shift) & 0xFF;
    return cxClampChannel(cxMulDiv(fc, ABtnFacePercent, 100) + cxMulDiv(hc, AHighlightPercent, 100) +
                          cxMulDiv(wc, AWindowPercent, 100));
  };
  return TColor(mix(0) | (mix(8) << 8) | (mix(16) << 16));
}

TColor cxLightPressedColor() { return cxNearestScreenColor(cxMixSystemColors(14, 44, 40)); }
TColor cxLightHotColor() { return cxNearestScreenColor(cxMixSystemColors(-2, 30, 72)); }

namespace {
// Paints a windowed control into the DC at the current origin; a control
// other than the requester's parent gets its non-client frame first.
void PaintWinControlInto(TWinControl* AControl, HDC DC, bool ADrawFrame) {
  if (ADrawFrame) {
    TRect r(0, 0, AControl->Width(), AControl->Height());
    HWND h = AControl->Handle();
    LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE), exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE);
    if (exStyle & WS_EX_CLIENTEDGE)
      DrawEdge(DC, AsRect(r), EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    else if (style & WS_BORDER)
      DrawEdge(DC, AsRect(r), BDR_RAISEDOUTER | BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_MONO);
    IntersectClipRect(DC, r.Left, r.Top, r.Right, r.Bottom);
    OffsetWindowOrgEx(DC, -r.Left, -r.Top, nullptr);
  }
  TControlState state = AControl->ControlState();
  AControl->SetControlState(state + csPaintCopy);
  try {
    AControl->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
    AControl->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  } catch (...) {
    AControl->SetControlState(state);
    throw;
  }
  AControl->SetControlState(state);
}

void DrawParentImageOf(TWinControl* AParent, TControl* ARequester, TcxCanvas* ACanvas, const TRect& R,
                       TPoint AOffset, bool ADrawFrame, bool APaintSiblings) {
  HDC dc = ACanvas->Handle();
  ACanvas->PushDC();
  OffsetWindowOrgEx(dc, AOffset.X, AOffset.Y, nullptr);
  TRect inParent = cxShiftedRect(R, AOffset.X, AOffset.Y);
  if (RectVisible(dc, AsRect(inParent))) PaintWinControlInto(AParent, dc, ADrawFrame);
  ACanvas->PopDC();
  if (!APaintSiblings) return;
  // Windowed, visible children that lie below the requester in z-order.
  for (TControl* c : AParent->ControlList()) {
    if (c == ARequester) break;
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->Visible() || !w->HandleAllocated()) continue;
    DrawParentImageOf(w, ARequester, ACanvas, R, TPoint(AOffset.X - w->Left(), AOffset.Y - w->Top()), true, false);
  }
}
}  // namespace

void cxDrawParentImage(TControl* AControl, TcxCanvas* ACanvas, const TRect& R, bool APaintSiblings) {
  TWinControl* parent = AControl ? AControl->Parent() : nullptr;
  if (!parent) return;
  ACanvas->Canvas()->Lock();
  try {
    DrawParentImageOf(parent, AControl, ACanvas, R, TPoint(AControl->Left(), AControl->Top()), false, APaintSiblings);
  } catch (...) {
    ACanvas->Canvas()->Unlock();
    throw;
  }
  ACanvas->Canvas()->Unlock();
}

void cxDrawParentBackground(TControl* AControl, TcxCanvas* ACanvas, const TRect& R) {
  // The visual-styles library is bound by name when it is there.
  using TIsAppThemed = BOOL(WINAPI*)();
  using TDrawThemeParentBackground = HRESULT(WINAPI*)(HWND, HDC, RECT*);
  static HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
  static auto isAppThemed =
      uxtheme ? reinterpret_cast<TIsAppThemed>(GetProcAddress(uxtheme, "IsAppThemed")) : nullptr;
  static auto drawParent = uxtheme ? reinterpret_cast<TDrawThemeParentBackground>(
                                         GetProcAddress(uxtheme, "DrawThemeParentBackground"))
                                   : nullptr;
  TWinControl* parent = AControl ? AControl->Parent() : nullptr;
  auto* self = dynamic_cast<TWinControl*>(AControl);
  if (!parent || !self || parent->DoubleBuffered() || !isAppThemed || !drawParent || !isAppThemed()) {
    cxDrawParentImage(AControl, ACanvas, R, false);
  } else {
    TRect r = R;
    drawParent(self->Handle(), ACanvas->Handle(), AsRect(r));
  }
}

void cxGetMouseCursorExtent(TSize& ASize) {
  ASize = TSize(GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR));
  ICONINFO info{};
  if (!GetIconInfo(GetCursor(), &info)) return;
  BITMAP mask{};
  if (info.hbmMask && cxReadBitmapInfo(info.hbmMask, mask) && mask.bmBitsPixel == 1 && mask.bmWidthBytes > 0 &&
      mask.bmWidth > 0 && mask.bmHeight > 0) {
    ASize.cx = mask.bmWidth;
    const int rowSize = mask.bmWidthBytes;
    std::vector<BYTE> bits(size_t(rowSize) * size_t(mask.bmHeight));
    if (GetBitmapBits(info.hbmMask, LONG(bits.size()), bits.data()) > 0) {
      // GetBitmapBits gives the rows top-down: the AND mask is the top
      // Width rows, the XOR mask of a monochrome cursor the rows below it.
      // Each is searched from its bottom row up for the lowest row that
      // shows something.
      const int partRows = std::min(mask.bmWidth, mask.bmHeight);
      auto lowestRow = [&](const BYTE* part, BYTE empty) -> int {
        for (int row = partRows - 1; row >= 0; --row)
          for (int b = 0; b < rowSize; ++b)
            if (part[size_t(row) * rowSize + b] != empty) return row + 1;
        return -1;
      };
      int height = lowestRow(bits.data(), 0xFF);
      if (height < 0 && mask.bmHeight >= 2 * mask.bmWidth)
        height = lowestRow(bits.data() + size_t(rowSize) * size_t(partRows), 0);
      if (height >= 0) ASize.cy = height - int(info.yHotspot);
    }
  }
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
}

HBRUSH cxHalftoneBrush() {
  static HBRUSH brush = [] {
    WORD pattern[8];
    for (int i = 0; i < 8; ++i) pattern[i] = WORD(i % 2 ? 0xAA : 0x55);
    HBITMAP bmp = CreateBitmap(8, 8, 1, 1, pattern);
    HBRUSH b = CreatePatternBrush(bmp);
    DeleteObject(bmp);
    return b;
  }();
  return brush;
}
