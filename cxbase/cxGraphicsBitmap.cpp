// The bitmap half of the graphics unit: bitmaps with pixel operations, the
// compressed stream form, blending, Lanczos resampling and the glyph
// pipeline every button, check box and image list draws through.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "ImgList.h"
#include "Streaming.h"
#include "Streams.h"
#include "cxGraphics.h"

namespace {

// The pixels of a 32-bit DIB section, bottom row first (the layout of its
// bits), made current with the GDI's drawing first.
uint32_t* DibPixels(TBitmap* B) {
  if (B->Empty() || B->Width() <= 0 || B->Height() <= 0) return nullptr;
  return static_cast<uint32_t*>(B->ScanLine(B->Height() - 1));
}

uint32_t ColorToPixelRGB(TColor C) { return uint32_t(ColorToRGB(C)) & 0xFFFFFF; }

// COLORREF (0x00BBGGRR) to the pixel layout (0x00RRGGBB).
uint32_t RGBOf(TColor C) {
  uint32_t c = ColorToPixelRGB(C);
  return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

Byte ClampByte(double V) { return Byte(cxClampChannel(Integer(std::nearbyint(V)))); }

}  // namespace

RGBQUAD cxColorToRGBQuad(TColor AColor, Byte AAlpha) {
  return cxQuadFromValue(RGBOf(AColor) | uint32_t(AAlpha) << 24);
}

// ---------------------------------------------------------------------------
// TcxCustomBitmap

TOVANI_IMPLEMENT_CLASS(TcxCustomBitmap, TBitmap)

TcxCustomBitmap::TcxCustomBitmap(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat) {
  FcxCanvas = std::make_unique<TcxCanvas>(Canvas());
  BeginChanges();
  SetPixelFormat(APixelFormat);
  TBitmap::SetSize(AWidth, AHeight);
  EndChanges(true);
}

TcxCustomBitmap::TcxCustomBitmap(const TRect& R, TPixelFormat APixelFormat)
    : TcxCustomBitmap(R.Width(), R.Height(), APixelFormat) {}

TcxCustomBitmap::~TcxCustomBitmap() = default;

void TcxCustomBitmap::EndChanges(bool AForce) {
  if (FChangeHold == 0) return;
  --FChangeHold;
  if (FChangeHold == 0 && (AForce || FChangePending)) Changed(this);
}

void TcxCustomBitmap::Changed(TObject* Sender) {
  if (FChangeHold > 0) {
    FChangePending = true;
    return;
  }
  TBitmap::Changed(Sender);
  DoBitmapChanged();
  FChangePending = false;
}

void TcxCustomBitmap::SetSize(Integer AWidth, Integer AHeight) {
  BeginChanges();
  TBitmap::SetSize(AWidth, AHeight);
  EndChanges(false);
}

void TcxCustomBitmap::ClearImage() {
  if (Empty()) return;
  HDC dc = Canvas()->Handle();
  PatBlt(dc, 0, 0, Width(), Height(), BLACKNESS);
  NotifyChanged();
}

void TcxCustomBitmap::CopyBitmap(TBitmap* ASource, DWORD ARasterOp) {
  if (!ASource) return;
  CopyBitmapRect(ASource, ImageRect(), ARasterOp, TPoint());
}

void TcxCustomBitmap::CopyBitmapRect(TBitmap* ASource, const TRect& ADestRect, DWORD ARasterOp,
                                     TPoint ASourceTopLeft) {
  if (!ASource || ASource->Empty()) return;
  BitBlt(Canvas()->Handle(), ADestRect.Left, ADestRect.Top, ADestRect.Width(), ADestRect.Height(),
         ASource->Canvas()->Handle(), ASourceTopLeft.X, ASourceTopLeft.Y, ARasterOp);
  NotifyChanged();
}

void TcxCustomBitmap::RotateQuarter(Integer AAngle, bool AFlip) {
  if ((AAngle == 0 && !AFlip) || Empty()) return;
  const Integer w = Width(), h = Height();
  TRGBColors src;
  cxGetBitmapPixels(this, true, src);
  const bool swaps = AAngle == 1 || AAngle == 2;
  const Integer nw = swaps ? h : w, nh = swaps ? w : h;
  TRGBColors dst(size_t(nw) * size_t(nh));
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      Integer dx = x, dy = y;
      switch (AAngle) {
        case 1:
          dx = y;
          dy = AFlip ? x : w - 1 - x;
          break;
        case 2:
          dx = h - 1 - y;
          dy = AFlip ? w - 1 - x : x;
          break;
        case 3:
          dx = w - 1 - x;
          dy = AFlip ? y : h - 1 - y;
          break;
        default:
          dy = h - 1 - y;   // angle 0: only the flip
          break;
      }
      dst[size_t(dy) * size_t(nw) + size_t(dx)] = src[size_t(y) * size_t(w) + size_t(x)];
    }
  BeginChanges();
  if (swaps) {
    TBitmap::SetHeight(0);
    TBitmap::SetWidth(nw);
    TBitmap::SetHeight(nh);
  }
  cxSetBitmapPixels(this, dst, true);
  EndChanges(true);
}

// ---------------------------------------------------------------------------
// Compressed stream form

namespace {
const uint8_t cxBitmapMagic[4] = {0x58, 0x44, 0x42, 0x4D};
constexpr size_t cxMaxRun = 125;
}  // namespace

std::vector<uint8_t> cxRLEEncode(const uint8_t* AData, size_t ASize) {
  std::vector<uint8_t> out;
  out.reserve(ASize / 2 + 16);
  size_t i = 0;
  while (i < ASize) {
    if (i + 1 < ASize && AData[i + 1] == AData[i]) {
      size_t n = 1;
      while (i + n < ASize && n < cxMaxRun && AData[i + n] == AData[i]) ++n;
      out.push_back(uint8_t(n));
      out.push_back(AData[i]);
      i += n;
    } else {
      // A literal run ends before a byte that equals its predecessor: that
      // pair starts the next repeat run.
      size_t n = 1;
      while (i + n < ASize && n < cxMaxRun && !(i + n + 1 < ASize && AData[i + n + 1] == AData[i + n])) ++n;
      out.push_back(uint8_t(0x80 | n));
      out.insert(out.end(), AData + i, AData + i + n);
      i += n;
    }
  }
  return out;
}

std::vector<uint8_t> cxRLEDecode(const uint8_t* AData, size_t ASize) {
  std::vector<uint8_t> out;
  size_t i = 0;
  while (i < ASize) {
    uint8_t control = AData[i++];
    size_t n = control & 0x7F;
    if (control & 0x80) {
      if (n > ASize - i) throw EReadError("Bitmap data is damaged");
      out.insert(out.end(), AData + i, AData + i + n);
      i += n;
    } else {
      if (i >= ASize) throw EReadError("Bitmap data is damaged");
      out.insert(out.end(), n, AData[i++]);
    }
  }
  return out;
}

void TcxCustomBitmap::WriteData(TStream* AStream) {
  if (!FCompressData) {
    SaveToStream(AStream);
    return;
  }
  TMemoryStream plain;
  SaveToStream(&plain);
  std::vector<uint8_t> packed =
      cxRLEEncode(static_cast<const uint8_t*>(plain.Memory()), size_t(plain.Size()));
  uint8_t header[10];
  uint32_t count = uint32_t(packed.size());
  for (int k = 0; k < 4; ++k) header[k] = uint8_t(count >> (8 * k));
  std::memcpy(header + 4, cxBitmapMagic, 4);
  header[8] = 1;
  header[9] = 0;
  AStream->WriteBuffer(header, 10);
  if (!packed.empty()) AStream->WriteBuffer(packed.data(), LongInt(packed.size()));
}

void TcxCustomBitmap::ReadData(TStream* AStream) {
  const Int64 start = AStream->Position();
  uint8_t header[10];
  if (AStream->Read(header, 10) != 10 || std::memcmp(header + 4, cxBitmapMagic, 4) != 0) {
    AStream->SetPosition(start);
    LoadFromStream(AStream);
    return;
  }
  uint32_t count = uint32_t(header[0]) | uint32_t(header[1]) << 8 | uint32_t(header[2]) << 16 |
                   uint32_t(header[3]) << 24;
  // The count must fit in what the stream still holds: a damaged count ends
  // in an error instead of a huge allocation.
  if (Int64(count) > AStream->Size() - AStream->Position()) throw EReadError("Bitmap data is damaged");
  std::vector<uint8_t> packed(count);
  if (count) AStream->ReadBuffer(packed.data(), LongInt(count));
  std::vector<uint8_t> plain = cxRLEDecode(packed.data(), packed.size());
  TMemoryStream ms;
  if (!plain.empty()) ms.WriteBuffer(plain.data(), LongInt(plain.size()));
  ms.SetPosition(0);
  LoadFromStream(&ms);
}

void TcxCustomBitmap::DefineProperties(TFiler* Filer) {
  TBitmap::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* S) { ReadData(S); }, [this](TStream* S) { WriteData(S); }, !Empty());
}

// ---------------------------------------------------------------------------
// TcxBitmap

TOVANI_IMPLEMENT_CLASS(TcxBitmap, TcxCustomBitmap)

TcxBitmap::TcxBitmap(Integer AWidth, Integer AHeight) : TcxBitmap(AWidth, AHeight, 0) {}

TcxBitmap::TcxBitmap(Integer AWidth, Integer AHeight, uint32_t ABackground)
    : TcxCustomBitmap(AWidth, AHeight, pf32bit), FBackground(ABackground) {
  ClearImage();
}

void TcxBitmap::ClearImage() {
  if (uint32_t* p = DibPixels(this)) {
    std::fill(p, p + size_t(Width()) * size_t(Height()), FBackground);
    NotifyChanged();
  }
}

void TcxBitmap::SetSize(Integer AWidth, Integer AHeight) {
  TcxCustomBitmap::SetSize(AWidth, AHeight);
  ClearImage();
}

void TcxBitmap::GetPixels(TRGBColors& AColors) {
  AColors.clear();
  if (uint32_t* p = DibPixels(this)) {
    size_t n = size_t(Width()) * size_t(Height());
    AColors.resize(n);
    std::memcpy(AColors.data(), p, n * 4);
  }
}

void TcxBitmap::SetPixels(const TRGBColors& AColors) {
  if (uint32_t* p = DibPixels(this)) {
    size_t n = std::min(AColors.size(), size_t(Width()) * size_t(Height()));
    std::memcpy(p, AColors.data(), n * 4);
  }
}

bool TcxBitmap::IsTransparentPixel(uint32_t APixel) const {
  if (APixel == FBackground) return true;
  uint32_t rgb = APixel & 0xFFFFFF;
  return std::find(FTransparentColors.begin(), FTransparentColors.end(), rgb) != FTransparentColors.end();
}

void TcxBitmap::AddTransparentColor(TColor AColor) { FTransparentColors.push_back(RGBOf(AColor)); }

void TcxBitmap::SetTransparentColor(TColor AColor) {
  FTransparentColors.assign(1, RGBOf(AColor));
  FBackground = RGBOf(AColor);
  ApplyPixelOperation(pxoRecoverAlpha);
}

bool TcxBitmap::HasAlphaChannel() {
  uint32_t* p = DibPixels(this);
  if (!p) return false;
  for (size_t i = 0, n = size_t(Width()) * size_t(Height()); i < n; ++i)
    if (p[i] >> 24) return true;
  return false;
}

void TcxBitmap::ApplyPixelOperation(TcxPixelOperation AOperation) {
  uint32_t* p = DibPixels(this);
  if (!p) return;
  const RGBQUAD shadow = cxColorToRGBQuad(clBtnShadow, 192);
  for (size_t i = 0, n = size_t(Width()) * size_t(Height()); i < n; ++i) {
    uint32_t& px = p[i];
    RGBQUAD q = cxQuadFromValue(px);
    const bool transparent = IsTransparentPixel(px);
    auto gray = [&](float r, float g, float b) {
      Byte v = Byte(cxClampChannel(Integer(std::nearbyint(r * q.rgbRed + g * q.rgbGreen + b * q.rgbBlue))));
      q.rgbRed = q.rgbGreen = q.rgbBlue = v;
    };
    switch (AOperation) {
      case pxoLighten:
        if (transparent) continue;
        if (q.rgbReserved == 255) {
          for (Byte* c : {&q.rgbRed, &q.rgbGreen, &q.rgbBlue}) *c = Byte(cxClampChannel(*c + cxMulDiv(255 - *c, 3, 10)));
        } else {
          for (Byte* c : {&q.rgbRed, &q.rgbGreen, &q.rgbBlue, &q.rgbReserved})
            *c = Byte(cxClampChannel(cxMulDiv(*c, 200, 255)));
        }
        break;
      case pxoDisabledGray:
        if (transparent) continue;
        gray(0.299f, 0.587f, 0.114f);
        cxBlendPixel(shadow, q, 238);
        break;
      case pxoAverageGray:
        if (transparent) continue;
        q.rgbRed = q.rgbGreen = q.rgbBlue = Byte((q.rgbRed + q.rgbGreen + q.rgbBlue) / 3);
        break;
      case pxoOpaque: q.rgbReserved = 255; break;
      case pxoMask: px = transparent ? 0xFFFFFFFFu : 0; continue;
      case pxoFadeGray:
        if (transparent) continue;
        gray(0.299f, 0.587f, 0.114f);
        break;
      case pxoDisableGray:
        if (transparent) continue;
        gray(0.0729f, 0.7146f, 0.2125f);
        break;
      case pxoRecoverAlpha:
        if (!transparent && q.rgbReserved == 0) q.rgbReserved = 255;
        break;
      case pxoFillBackground: px = FBackground; continue;
      case pxoClearAlpha: q.rgbReserved = 0; break;
    }
    px = cxQuadValue(q);
  }
  NotifyChanged();
}

void TcxBitmap::AlphaBlendTo(TBitmap* ADest, const TRect& ADestRect, Byte AConstAlpha, bool ASmoothStretch) {
  if (!ADest || Empty()) return;
  cxBlendWithFallback(ADest->Canvas()->Handle(), Canvas()->Handle(), ADestRect, ImageRect(), AConstAlpha,
                      ASmoothStretch);
}

// ---------------------------------------------------------------------------
// Blending and copying

void cxBlendPixel(const RGBQUAD& ASource, RGBQUAD& ADest, Byte AConstAlpha) {
  const double s = AConstAlpha / 255.0;
  const double k = 1 - ASource.rgbReserved * s / 255.0;
  ADest.rgbBlue = ClampByte(ASource.rgbBlue * s + ADest.rgbBlue * k);
  ADest.rgbGreen = ClampByte(ASource.rgbGreen * s + ADest.rgbGreen * k);
  ADest.rgbRed = ClampByte(ASource.rgbRed * s + ADest.rgbRed * k);
  ADest.rgbReserved = ClampByte(ASource.rgbReserved * s + ADest.rgbReserved * k);
}

bool cxAlphaBlendRaw(HDC ADestDC, HDC ASrcDC, const TRect& ADestRect, Byte AConstAlpha, const TRect& ASrcRect) {
  BLENDFUNCTION f{AC_SRC_OVER, 0, AConstAlpha, AC_SRC_ALPHA};
  return GdiAlphaBlend(ADestDC, ADestRect.Left, ADestRect.Top, ADestRect.Width(), ADestRect.Height(), ASrcDC,
                       ASrcRect.Left, ASrcRect.Top, ASrcRect.Width(), ASrcRect.Height(), f);
}

void cxBlendWithFallback(HDC ADestDC, HDC ASrcDC, const TRect& ADestRect, const TRect& ASrcRect, Byte AConstAlpha,
                         bool ASmoothStretch) {
  if (IsRectEmpty(ADestRect) || IsRectEmpty(ASrcRect)) return;
  const bool smooth = ASmoothStretch && !cxRectsSameSize(ADestRect, ASrcRect);
  if (!cxPlatformIs9x && !smooth && cxAlphaBlendRaw(ADestDC, ASrcDC, ADestRect, AConstAlpha, ASrcRect)) return;
  std::unique_ptr<TBitmap> s(cxCopyDCToBitmap(ASrcDC, ASrcRect));
  std::unique_ptr<TBitmap> d(cxCopyDCToBitmap(ADestDC, ADestRect));
  TBitmap t(ADestRect.Width(), ADestRect.Height(), pf32bit);
  if (smooth)
    cxResampleBitmap(s.get(), &t, true);
  else
    cxStretchBitmapOver(&t, s.get());
  const TRect whole(0, 0, ADestRect.Width(), ADestRect.Height());
  if (!cxAlphaBlendRaw(d->Canvas()->Handle(), t.Canvas()->Handle(), whole, AConstAlpha, whole)) {
    uint32_t* tp = DibPixels(&t);
    uint32_t* dp = DibPixels(d.get());
    for (size_t i = 0, n = size_t(whole.Width()) * size_t(whole.Height()); i < n; ++i) {
      RGBQUAD q = cxQuadFromValue(dp[i]);
      cxBlendPixel(cxQuadFromValue(tp[i]), q, AConstAlpha);
      dp[i] = cxQuadValue(q);
    }
  }
  BitBlt(ADestDC, ADestRect.Left, ADestRect.Top, whole.Width(), whole.Height(), d->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void cxPaintBitmap(HDC DC, TBitmap* ABitmap, const TRect& ADestRect, DWORD ARasterOp, TPoint ASourceTopLeft) {
  if (!ABitmap || ABitmap->Empty()) return;
  BitBlt(DC, ADestRect.Left, ADestRect.Top, ADestRect.Width(), ADestRect.Height(), ABitmap->Canvas()->Handle(),
         ASourceTopLeft.X, ASourceTopLeft.Y, ARasterOp);
}

void cxCopyRectBits(HDC ADestDC, HDC ASrcDC, const TRect& ADestRect, DWORD ARasterOp, TPoint ASrcTopLeft) {
  BitBlt(ADestDC, ADestRect.Left, ADestRect.Top, ADestRect.Width(), ADestRect.Height(), ASrcDC, ASrcTopLeft.X,
         ASrcTopLeft.Y, ARasterOp);
}

TBitmap* cxCopyDCToBitmap(HDC DC, const TRect& R) {
  auto* b = new TBitmap(R.Width(), R.Height(), pf32bit);
  if (!b->Empty()) {
    HDC bdc = b->Canvas()->Handle();
    PatBlt(bdc, 0, 0, R.Width(), R.Height(), BLACKNESS);
    BitBlt(bdc, 0, 0, R.Width(), R.Height(), DC, R.Left, R.Top, SRCCOPY);
  }
  return b;
}

void cxStretchBitmapOver(TBitmap* ADest, TBitmap* ASource) {
  if (!ADest || !ASource || ADest->Empty() || ASource->Empty()) return;
  HDC dc = ADest->Canvas()->Handle();
  int old = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, 0, 0, ADest->Width(), ADest->Height(), ASource->Canvas()->Handle(), 0, 0, ASource->Width(),
             ASource->Height(), SRCCOPY);
  SetStretchBltMode(dc, old);
}

TBitmap* cxCreateBitmap(Integer AWidth, Integer AHeight, TPixelFormat APixelFormat) {
  return new TBitmap(AWidth, AHeight, APixelFormat);
}

TBitmap* cxCreateBitmapOfSize(const TSize& ASize, TPixelFormat APixelFormat) {
  return cxCreateBitmap(ASize.cx, ASize.cy, APixelFormat);
}

Integer cxBitsPerPixel(TBitmap* ABitmap) {
  switch (ABitmap->PixelFormat()) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: {
      HDC dc = GetDC(nullptr);
      Integer bits = GetDeviceCaps(dc, BITSPIXEL);
      ReleaseDC(nullptr, dc);
      return bits;
    }
  }
}

void cxGetBitmapPixels(TBitmap* ABitmap, bool ATopDown, TRGBColors& AColors) {
  AColors.clear();
  if (!ABitmap || ABitmap->Empty()) return;
  const Integer w = ABitmap->Width(), h = ABitmap->Height();
  std::unique_ptr<TBitmap> copy;
  TBitmap* src = ABitmap;
  if (ABitmap->PixelFormat() != pf32bit) {
    copy = std::make_unique<TBitmap>(w, h, pf32bit);
    BitBlt(copy->Canvas()->Handle(), 0, 0, w, h, ABitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
    src = copy.get();
  }
  AColors.resize(size_t(w) * size_t(h));
  for (Integer row = 0; row < h; ++row) {
    Integer target = ATopDown ? row : h - 1 - row;
    std::memcpy(&AColors[size_t(target) * size_t(w)], src->ScanLine(row), size_t(w) * 4);
  }
}

void cxSetBitmapPixels(TBitmap* ABitmap, TRGBColors& AColors, bool ATopDown) {
  if (ABitmap && !ABitmap->Empty() && AColors.size() >= size_t(ABitmap->Width()) * size_t(ABitmap->Height())) {
    const Integer w = ABitmap->Width(), h = ABitmap->Height();
    std::unique_ptr<TBitmap> copy;
    TBitmap* dst = ABitmap;
    if (ABitmap->PixelFormat() != pf32bit) {
      copy = std::make_unique<TBitmap>(w, h, pf32bit);
      dst = copy.get();
    }
    for (Integer row = 0; row < h; ++row) {
      Integer source = ATopDown ? row : h - 1 - row;
      std::memcpy(dst->ScanLine(row), &AColors[size_t(source) * size_t(w)], size_t(w) * 4);
    }
    if (copy) BitBlt(ABitmap->Canvas()->Handle(), 0, 0, w, h, copy->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (auto* cx = dynamic_cast<TcxCustomBitmap*>(ABitmap)) cx->NotifyChanged();
  }
  TRGBColors().swap(AColors);
}

TcxBitmap* cxDuplicateBitmap(TBitmap* ASource) {
  if (!ASource) return new TcxBitmap;
  auto* b = new TcxBitmap(ASource->Width(), ASource->Height());
  TRGBColors px;
  cxGetBitmapPixels(ASource, true, px);
  cxSetBitmapPixels(b, px, true);
  return b;
}

void cxMakeGlyphMask(TBitmap* AGlyph, TBitmap* AMask) {
  if (!AGlyph || !AMask) return;
  std::unique_ptr<TcxBitmap> d(cxDuplicateBitmap(AGlyph));
  if (!d->HasAlphaChannel()) d->SetTransparentColor(AGlyph->TransparentColor() & 0xFFFFFF);
  d->ApplyPixelOperation(pxoMask);
  AMask->SetSize(d->Width(), d->Height());
  BitBlt(AMask->Canvas()->Handle(), 0, 0, d->Width(), d->Height(), d->Canvas()->Handle(), 0, 0, SRCCOPY);
}

bool cxHasGlyph(TBitmap* ABitmap) { return ABitmap && !ABitmap->Empty(); }

bool cxHasImage(TCustomImageList* AImageList, Integer AIndex) {
  return AImageList && AIndex >= 0 && AIndex < AImageList->Count();
}

void cxAssignImageList(TCustomImageList* AValue, TCustomImageList*& AField, TChangeLink* AChangeLink,
                       TComponent* ANotifyComponent) {
  if (AValue == AField) return;
  if (AField) {
    if (ANotifyComponent) AField->RemoveFreeNotification(ANotifyComponent);
    if (AChangeLink) AField->UnRegisterChanges(AChangeLink);
  }
  AField = AValue;
  if (AField) {
    if (AChangeLink) AField->RegisterChanges(AChangeLink);
    if (ANotifyComponent) AField->FreeNotification(ANotifyComponent);
  }
  if (AChangeLink) AChangeLink->Change();
}

// ---------------------------------------------------------------------------
// Lanczos-3 resampling

namespace {
double Sinc(double x) {
  if (x == 0) return 1;
  x *= M_PI;
  return std::sin(x) / x;
}
double Lanczos3(double x) { return std::fabs(x) >= 3 ? 0 : Sinc(x) * Sinc(x / 3); }

// One pass over rows of pixels: each output pixel sums its contributors.
uint32_t Contribute(const TContributors& c, const uint32_t* src, size_t stride) {
  int sum[4] = {0, 0, 0, 0};
  for (const TcxContributor& k : c) {
    uint32_t p = src[size_t(k.Pixel) * stride];
    for (int ch = 0; ch < 4; ++ch) sum[ch] += int(p >> (8 * ch) & 0xFF) * k.Weight;
  }
  uint32_t out = 0;
  for (int ch = 0; ch < 4; ++ch) out |= uint32_t(sum[ch] < 0 ? 0 : std::min(255, sum[ch] / 256)) << (8 * ch);
  return out;
}
}  // namespace

double cxResampleScale(Integer ASrcSize, Integer ADestSize) {
  if (ASrcSize == 1) return double(ADestSize) / ASrcSize;
  if (ADestSize == 1) return 1.0 / ASrcSize;
  return double(ADestSize - 1) / double(ASrcSize - 1);
}

void cxBuildContributors(Integer ASrcSize, Integer ADestSize, double AScale, TContributorList& AList) {
  AList.assign(size_t(std::max(ADestSize, 0)), TContributors());
  if (ASrcSize <= 0 || AScale <= 0) return;
  const double f = AScale >= 1 ? 1 : 1 / AScale;
  const double support = 3 * f;
  for (Integer i = 0; i < ADestSize; ++i) {
    TContributors& c = AList[size_t(i)];
    c.reserve(size_t(2 * support + 1));
    const double centre = i / AScale;
    for (Integer j = Integer(std::floor(centre - support)); j <= Integer(std::ceil(centre + support)); ++j) {
      Integer weight = Integer(std::nearbyint(Lanczos3((centre - j) / f) / f * 256));
      if (weight == 0) continue;
      Integer pixel = j < 0 ? -j : j >= ASrcSize ? 2 * ASrcSize - 1 - j : j;
      // Mirroring a very small source can still fall outside it.
      pixel = std::clamp(pixel, 0, ASrcSize - 1);
      c.push_back({pixel, weight});
    }
  }
}

void cxResampleBitmap(TBitmap* ASource, TBitmap* ADest, bool AForceLanczos) {
  if (!ASource || !ADest) return;
  const Integer sw = ASource->Width(), sh = ASource->Height(), dw = ADest->Width(), dh = ADest->Height();
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  ASource->Canvas()->Lock();
  ADest->Canvas()->Lock();
  if (cxPlatformIsNT4Up && !AForceLanczos) {
    HDC dc = ADest->Canvas()->Handle();
    int old = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, dw, dh, ASource->Canvas()->Handle(), 0, 0, sw, sh, SRCCOPY);
    SetStretchBltMode(dc, old);
  } else {
    TRGBColors src;
    cxGetBitmapPixels(ASource, false, src);
    const uint32_t* s = reinterpret_cast<const uint32_t*>(src.data());
    TContributorList list;
    cxBuildContributors(sw, dw, cxResampleScale(sw, dw), list);
    std::vector<uint32_t> tmp(size_t(dw) * size_t(sh));
    for (Integer y = 0; y < sh; ++y)
      for (Integer x = 0; x < dw; ++x)
        tmp[size_t(y) * size_t(dw) + size_t(x)] = Contribute(list[size_t(x)], s + size_t(y) * size_t(sw), 1);
    cxBuildContributors(sh, dh, cxResampleScale(sh, dh), list);
    TRGBColors dst(size_t(dw) * size_t(dh));
    for (Integer x = 0; x < dw; ++x)
      for (Integer y = 0; y < dh; ++y)
        dst[size_t(y) * size_t(dw) + size_t(x)] = cxQuadFromValue(Contribute(list[size_t(y)], tmp.data() + x, size_t(dw)));
    cxSetBitmapPixels(ADest, dst, false);
  }
  ADest->Canvas()->Unlock();
  ASource->Canvas()->Unlock();
}

// ---------------------------------------------------------------------------
// Glyph drawing

namespace {

// The three scratch bitmaps of the glyph pipeline: composition, image, mask.
TcxBitmap* Scratch(int Index, Integer AWidth, Integer AHeight) {
  static std::unique_ptr<TcxBitmap> bitmaps[3];
  auto& b = bitmaps[Index];
  if (!b) {
    b = std::make_unique<TcxBitmap>(AWidth, AHeight);
  } else {
    b->ClearTransparentColors();
    b->SetTransparentBackground(0);
    if (b->Width() != AWidth || b->Height() != AHeight)
      b->SetSize(AWidth, AHeight);
    else
      b->ClearImage();
  }
  return b.get();
}

void CopyPixels(TcxBitmap* ADest, TcxBitmap* ASource) {
  TRGBColors px;
  ASource->GetPixels(px);
  ADest->SetPixels(px);
}

// Copies image AIndex (or the mask) of a system image list into the bitmap,
// which gets the image's size. Answers whether the list's bitmap has 32 bits.
bool ExtractFromImageList(HIMAGELIST AList, Integer AIndex, bool AMask, TcxBitmap* ADest) {
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(AList, AIndex, &info)) return false;
  HBITMAP source = AMask ? info.hbmMask : info.hbmImage;
  if (!source) return false;
  BITMAP bm{};
  bool has32 = cxReadBitmapInfo(source, bm) && bm.bmBitsPixel == 32;
  // The list keeps its bitmaps selected: work on a copy of them.
  HBITMAP copy = HBITMAP(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!copy) return has32;
  const TRect& r = *reinterpret_cast<const TRect*>(&info.rcImage);
  ADest->SetSize(r.Width(), r.Height());
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, copy);
  BitBlt(ADest->Canvas()->Handle(), 0, 0, r.Width(), r.Height(), dc, r.Left, r.Top, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(copy);
  ADest->NotifyChanged();
  return has32;
}

// Paints AColor where the mask is transparent and the pixel AOffset up and
// left of it is not (a shadow or highlight beside the glyph); with AGrow the
// image grows by AOffset at right and bottom to hold it.
void Emboss(TcxBitmap* AImage, TcxBitmap* AMask, Integer AOffset, bool AGrow, TColor AColor) {
  const Integer w = AImage->Width(), h = AImage->Height();
  TRGBColors img, mask;
  AImage->GetPixels(img);
  AMask->GetPixels(mask);
  auto at = [&](const TRGBColors& v, Integer x, Integer y) { return cxQuadValue(v[size_t(h - 1 - y) * size_t(w) + size_t(x)]); };
  auto opaqueAt = [&](Integer x, Integer y) {
    return x >= 0 && y >= 0 && x < w && y < h && at(mask, x, y) != 0xFFFFFFFFu;
  };
  const Integer nw = AGrow ? w + AOffset : w, nh = AGrow ? h + AOffset : h;
  const uint32_t color = cxQuadValue(cxColorToRGBQuad(AColor, 255));
  TRGBColors out(size_t(nw) * size_t(nh));
  for (Integer y = 0; y < nh; ++y)
    for (Integer x = 0; x < nw; ++x) {
      const bool inside = x < w && y < h;
      uint32_t v = inside ? at(img, x, y) : 0;
      if ((!inside || !opaqueAt(x, y)) && opaqueAt(x - AOffset, y - AOffset)) v |= color;
      out[size_t(nh - 1 - y) * size_t(nw) + size_t(x)] = cxQuadFromValue(v);
    }
  if (AGrow) AImage->SetSize(nw, nh);
  AImage->SetPixels(out);
}

}  // namespace

void cxDrawGlyphOrImage(HDC DC, TRect AGlyphRect, const TRect& ADestRect, TBitmap* AGlyph,
                        TCustomImageList* AImageList, Integer AImageIndex, TcxGlyphEffectMode ADrawMode,
                        bool AUseGlyphTransparentColor, TColor ATransparentColor, TBrush* ABackgroundBrush,
                        bool ASmoothStretch) {
  const bool useGlyph = cxHasGlyph(AGlyph);
  if (!useGlyph && !cxHasImage(AImageList, AImageIndex)) return;
  if (IsRectEmpty(ADestRect)) return;

  // Composition: the background the glyph is blended onto.
  TcxBitmap* comp = Scratch(0, ADestRect.Width(), ADestRect.Height());
  HDC cdc = comp->Canvas()->Handle();
  if (ABackgroundBrush) {
    RECT r{0, 0, ADestRect.Width(), ADestRect.Height()};
    ::FillRect(cdc, &r, ABackgroundBrush->Handle());
  } else {
    BitBlt(cdc, 0, 0, ADestRect.Width(), ADestRect.Height(), DC, ADestRect.Left, ADestRect.Top, SRCCOPY);
  }
  OffsetRect(AGlyphRect, -ADestRect.Left, -ADestRect.Top);

  // The image, with alpha only when some pixel has it.
  TcxBitmap* image;
  bool hasAlpha;
  if (useGlyph) {
    image = Scratch(1, AGlyph->Width(), AGlyph->Height());
    TRGBColors px;
    cxGetBitmapPixels(AGlyph, true, px);
    cxSetBitmapPixels(image, px, true);
    hasAlpha = AGlyph->PixelFormat() == pf32bit;
  } else {
    image = Scratch(1, AImageList->Width(), AImageList->Height());
    auto* cxList = dynamic_cast<TcxImageList*>(AImageList);
    TcxImageInfoItem* stored = cxList && AImageIndex < cxList->ImageInfos()->Count()
                                   ? cxList->ImageInfos()->Info(AImageIndex)
                                   : nullptr;
    if (stored && stored->Image()->PixelFormat() == pf32bit) {
      // The image as it was added, alpha and all.
      TRGBColors px;
      cxGetBitmapPixels(stored->Image(), true, px);
      image->SetSize(stored->Image()->Width(), stored->Image()->Height());
      cxSetBitmapPixels(image, px, true);
      hasAlpha = true;
    } else {
      hasAlpha = ExtractFromImageList(AImageList->Handle(), AImageIndex, false, image);
    }
  }
  hasAlpha = hasAlpha && image->HasAlphaChannel();
  if (!hasAlpha) image->ApplyPixelOperation(pxoOpaque);

  // The mask: white where transparent.
  TcxBitmap* mask = Scratch(2, image->Width(), image->Height());
  CopyPixels(mask, image);
  if (!hasAlpha) {
    if (!useGlyph) {
      TcxBitmap listMask(image->Width(), image->Height());
      ExtractFromImageList(AImageList->Handle(), AImageIndex, true, &listMask);
      listMask.ApplyPixelOperation(pxoRecoverAlpha);
      // M := M and not the list's mask: the list's transparent pixels become
      // all zero, which is the mask's background.
      TRGBColors m, lm;
      mask->GetPixels(m);
      listMask.GetPixels(lm);
      for (size_t i = 0; i < m.size() && i < lm.size(); ++i) m[i] = cxQuadFromValue(cxQuadValue(m[i]) & ~cxQuadValue(lm[i]));
      mask->SetPixels(m);
    }
    if (ATransparentColor != clNone) mask->AddTransparentColor(ATransparentColor);
    if (AUseGlyphTransparentColor && useGlyph) mask->AddTransparentColor(AGlyph->TransparentColor() & 0xFFFFFF);
  }
  mask->ApplyPixelOperation(pxoMask);
  {
    // I := I and not M: transparent pixels become all zero.
    TRGBColors i, m;
    image->GetPixels(i);
    mask->GetPixels(m);
    for (size_t k = 0; k < i.size(); ++k) i[k] = cxQuadFromValue(cxQuadValue(i[k]) & ~cxQuadValue(m[k]));
    image->SetPixels(i);
  }

  Byte constAlpha = 255;
  switch (ADrawMode) {
    case gemNormal: break;
    case gemDisabled:
      if (hasAlpha) {
        image->ApplyPixelOperation(pxoDisableGray);
        constAlpha = 151;
      } else {
        image->ApplyPixelOperation(pxoDisabledGray);
        Emboss(image, mask, 1, false, clBtnHighlight);
      }
      break;
    case gemFaded:
      image->ApplyPixelOperation(pxoFadeGray);
      constAlpha = 64;
      break;
    case gemGray: image->ApplyPixelOperation(pxoAverageGray); break;
    case gemDimmed: image->ApplyPixelOperation(pxoLighten); break;
    case gemShadow:
      Emboss(image, mask, 2, true, clBtnShadow);
      AGlyphRect.Right += 2;
      AGlyphRect.Bottom += 2;
      OffsetRect(AGlyphRect, -1, -1);
      break;
  }
  image->AlphaBlendTo(comp, AGlyphRect, constAlpha, ASmoothStretch);
  cxPaintBitmap(DC, comp, ADestRect, SRCCOPY);
}
