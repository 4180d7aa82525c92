#include "dxGDIPlusClasses.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <ole2.h>
#include <zlib.h>

#include "Classes.h"
#include "Streams.h"

TOVANI_IMPLEMENT_CLASS(TdxGPBase, TObject)
TOVANI_IMPLEMENT_CLASS(TdxGPImage, TdxGPBase)
TOVANI_IMPLEMENT_CLASS(TdxGPNullImage, TdxGPImage)
TOVANI_IMPLEMENT_CLASS_FACTORY(TdxPNGImage, TGraphic)

namespace {

bool GImageClassIsGdiPlus = false;
CLSID GPngEncoderClassId{};
Integer GClassesUnitCounter = 0;

bool IsZeroClassId(const CLSID& AId) {
  static const CLSID zero{};
  return std::memcmp(&AId, &zero, sizeof(CLSID)) == 0;
}

void EnsurePngEncoderClassId() {
  if (IsZeroClassId(GPngEncoderClassId)) FindEncoderClassId("image/png", GPngEncoderClassId);
}

// The header of every block from TdxGPBase::operator new: which allocator
// made it, so that a block outliving GDI+ is still freed by its maker.
constexpr size_t kBlockHeader = 16;

bool IsPngSignature(const uint8_t* AData, size_t ASize) {
  static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return ASize >= 8 && std::memcmp(AData, sig, 8) == 0;
}

// Reads a bitmap's pixels as 32-bit top-down colours.
bool ReadBitmapPixels(TBitmap* ABitmap, std::vector<uint32_t>& APixels) {
  Integer w = ABitmap->Width(), h = ABitmap->Height();
  APixels.assign(size_t(std::max(w, 0)) * size_t(std::max(h, 0)), 0);
  if (APixels.empty()) return false;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(nullptr);
  int lines = GetDIBits(dc, ABitmap->Handle(), 0, UINT(h), APixels.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (lines != 0) return true;
  if (ABitmap->PixelFormat() != pf32bit) return false;
  for (Integer y = 0; y < h; ++y) std::memcpy(&APixels[size_t(y) * size_t(w)], ABitmap->ScanLine(y), size_t(w) * 4);
  return true;
}

// Limits on what is handed to GDI+: it keeps a decoded picture twice (the
// decoder's frame and the bitmap made of it) at 4 bytes a pixel, so a header
// declaring a huge picture in a few bytes must be refused before decoding.
constexpr int64_t kMaxImageDataSize = int64_t(256) << 20;
constexpr int64_t kMaxImagePixels = int64_t(1) << 26;

[[noreturn]] void TooLarge() { throw EInvalidGraphic("图片太大"); }
// Data GDI+ must not see, and data GDI+ could not read.
[[noreturn]] void Damaged() { throw EInvalidGraphic("图片数据已损坏"); }

void CheckPixelCount(int64_t AWidth, int64_t AHeight) {
  if (AWidth > 0 && AHeight > 0 && AWidth * AHeight > kMaxImagePixels) TooLarge();
}

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint32_t Be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | p[1]; }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }
uint32_t Le16(const uint8_t* p) { return uint32_t(p[1]) << 8 | p[0]; }

// The chunks of a PNG up to its end chunk, checked as the program's own PNG
// reader checks them: the header first, every chunk inside the data with
// its CRC right. GDI+ is handed no chunk running past the end of the data
// and no damaged image data, and refuses what the other reader refuses.
void CheckPng(const uint8_t* d, size_t n) {
  size_t i = 8;
  for (bool first = true;; first = false) {
    if (i > n || n - i < 12) Damaged();
    const uint32_t len = Be32(d + i);
    const uint8_t* type = d + i + 4;
    if (len > 0x7FFFFFFFu || len > n - i - 12) Damaged();
    if (first) {
      if (std::memcmp(type, "IHDR", 4) != 0 || len < 13) Damaged();
      CheckPixelCount(Be32(type + 4), Be32(type + 8));
    }
    if (uint32_t(crc32(0, type, uInt(len) + 4)) != Be32(type + 4 + len)) Damaged();
    i += size_t(len) + 12;
    if (std::memcmp(type, "IEND", 4) == 0) return;
  }
}

// A bitmap file: its headers inside the data, its size within the limit and,
// uncompressed, its rows inside the data.
void CheckBmp(const uint8_t* d, size_t n) {
  if (n < 26) Damaged();
  const uint32_t offset = Le32(d + 10), headerSize = Le32(d + 14);
  if (headerSize < 12 || headerSize > n - 14 || offset > n) Damaged();
  int64_t w, h, bits, compression = 0;
  if (headerSize == 12) {
    w = Le16(d + 18);
    h = int16_t(Le16(d + 20));
    bits = Le16(d + 24);
  } else {
    if (headerSize < 16) Damaged();
    w = int32_t(Le32(d + 18));
    h = int32_t(Le32(d + 22));
    bits = Le16(d + 28);
    if (headerSize >= 20) compression = Le32(d + 30);
  }
  h = h < 0 ? -h : h;
  if (w <= 0 || h == 0 || bits == 0 || bits > 32) Damaged();
  CheckPixelCount(w, h);
  if (compression == BI_RGB || compression == BI_BITFIELDS) {
    const int64_t stride = (w * bits + 31) / 32 * 4;
    if (int64_t(offset) + stride * h > int64_t(n)) Damaged();
  }
}

// The logical screen and every frame of a GIF (each frame is decoded whole).
void CheckGifSize(const uint8_t* d, size_t n) {
  if (n < 13) return;
  CheckPixelCount(Le16(d + 6), Le16(d + 8));
  size_t i = 13;
  if (d[10] & 0x80) i += size_t(3) << ((d[10] & 7) + 1);
  auto skipSubBlocks = [&] {
    while (i < n && d[i] != 0) i += size_t(d[i]) + 1;
    ++i;
  };
  while (i < n) {
    if (d[i] == 0x21) {   // extension: label, then data sub-blocks
      i += 2;
      skipSubBlocks();
    } else if (d[i] == 0x2C && i + 10 <= n) {   // image descriptor
      CheckPixelCount(Le16(d + i + 5), Le16(d + i + 7));
      uint8_t flags = d[i + 9];
      i += 10;
      if (flags & 0x80) i += size_t(3) << ((flags & 7) + 1);
      ++i;   // LZW code size
      skipSubBlocks();
    } else {
      return;   // trailer or damage: GDI+ decides
    }
  }
}

// The frame header of a JPEG (any SOFn marker).
void CheckJpegSize(const uint8_t* d, size_t n) {
  size_t i = 2;
  while (i + 4 <= n && d[i] == 0xFF) {
    uint8_t m = d[i + 1];
    if (m == 0xFF) {   // fill byte
      ++i;
      continue;
    }
    if (m == 0xD8 || (m >= 0xD0 && m <= 0xD7) || m == 0x01) {
      i += 2;
      continue;
    }
    if (m == 0xDA || m == 0xD9) return;
    if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC && i + 9 <= n) {
      CheckPixelCount(Be16(d + i + 7), Be16(d + i + 5));
      return;
    }
    i += 2 + Be16(d + i + 2);
  }
}

// Width and height of a TIFF's first directory (the frame GDI+ decodes).
void CheckTiffSize(const uint8_t* d, size_t n) {
  if (n < 8) return;
  bool le = d[0] == 'I';
  auto u16 = [&](size_t o) { return le ? Le16(d + o) : Be16(d + o); };
  auto u32 = [&](size_t o) { return le ? Le32(d + o) : Be32(d + o); };
  size_t ifd = u32(4);
  if (ifd + 2 > n) return;
  size_t count = u16(ifd);
  int64_t w = 0, h = 0;
  for (size_t e = 0; e < count && ifd + 2 + e * 12 + 12 <= n; ++e) {
    size_t o = ifd + 2 + e * 12;
    uint32_t tag = u16(o), type = u16(o + 2);
    int64_t value = type == 3 ? u16(o + 8) : type == 4 ? u32(o + 8) : 0;
    if (tag == 256) w = value;
    if (tag == 257) h = value;
  }
  CheckPixelCount(w, h);
}

// Every entry of an icon or cursor: its own PNG or bitmap header tells the
// size decoded, whatever the directory claims.
void CheckIconSize(const uint8_t* d, size_t n) {
  size_t count = Le16(d + 4);
  for (size_t e = 0; e < count && 6 + e * 16 + 16 <= n; ++e) {
    const uint8_t* entry = d + 6 + e * 16;
    size_t offset = Le32(entry + 12);
    if (offset >= n) continue;
    const uint8_t* img = d + offset;
    size_t rest = n - offset;
    if (IsPngSignature(img, rest))
      CheckPng(img, rest);
    else if (rest >= 12)
      CheckPixelCount(std::abs(int64_t(int32_t(Le32(img + 4)))), std::abs(int64_t(int32_t(Le32(img + 8)))) / 2);
  }
}

// Refuses picture data whose header declares more pixels than we decode,
// and PNG and bitmap data whose structure does not hold together.
// Formats not recognised here are left to GDI+.
void CheckDeclaredSize(const uint8_t* d, size_t n) {
  if (IsPngSignature(d, n))
    CheckPng(d, n);
  else if (n >= 2 && d[0] == 'B' && d[1] == 'M')
    CheckBmp(d, n);
  else if (n >= 6 && (std::memcmp(d, "GIF87a", 6) == 0 || std::memcmp(d, "GIF89a", 6) == 0))
    CheckGifSize(d, n);
  else if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF)
    CheckJpegSize(d, n);
  else if (n >= 4 && (std::memcmp(d, "II*\0", 4) == 0 || std::memcmp(d, "MM\0*", 4) == 0))
    CheckTiffSize(d, n);
  else if (n >= 6 && d[0] == 0 && d[1] == 0 && (d[2] == 1 || d[2] == 2) && d[3] == 0)
    CheckIconSize(d, n);
}

}  // namespace

// ---------------------------------------------------------------------------
// GDI+ side objects

void* TdxGPBase::operator new(size_t ASize) {
  bool viaGdiPlus = IsGdiPlusAvailable() && dxGpApi().GdipAlloc;
  void* block = viaGdiPlus ? dxGpApi().GdipAlloc(ASize + kBlockHeader) : std::malloc(ASize + kBlockHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<bool*>(block) = viaGdiPlus;
  return static_cast<char*>(block) + kBlockHeader;
}

void TdxGPBase::operator delete(void* APointer) {
  if (!APointer) return;
  void* block = static_cast<char*>(APointer) - kBlockHeader;
  if (*static_cast<bool*>(block) && IsGdiPlusAvailable() && dxGpApi().GdipFree)
    dxGpApi().GdipFree(block);
  else if (!*static_cast<bool*>(block))
    std::free(block);
  // A GDI+ block whose library is gone went with it.
}

TdxGPImage::~TdxGPImage() {
  if (FHandle && IsGdiPlusAvailable()) dxGpApi().GdipDisposeImage(FHandle);
}

TSize TdxGPImage::Size() const {
  if (!FHandle || !IsGdiPlusAvailable()) return TSize(0, 0);
  float w = 0, h = 0;
  if (dxGpApi().GdipGetImageDimension(FHandle, &w, &h) != 0) return TSize(0, 0);
  return TSize(Integer(w), Integer(h));
}

void TdxGPImage::NewFromPixels(Integer AWidth, Integer AHeight, const uint32_t* APixels, bool AHasAlpha) {
  if (AWidth < 1 || AHeight < 1 || !IsGdiPlusAvailable()) return;
  FPixels.assign(APixels, APixels + size_t(AWidth) * size_t(AHeight));
  if (!AHasAlpha)
    for (uint32_t& p : FPixels) p |= 0xFF000000u;
  dxgp::GpImage* bitmap = nullptr;
  if (dxGpApi().GdipCreateBitmapFromScan0(AWidth, AHeight, AWidth * 4, dxgp::PixelFormat32bppPARGB,
                                          reinterpret_cast<BYTE*>(FPixels.data()), &bitmap) == 0)
    FHandle = bitmap;
}

void TdxGPImage::NewFromBitmap(TBitmap* ABitmap) {
  EnsurePngEncoderClassId();
  std::vector<uint32_t> pixels;
  if (ABitmap) CheckPixelCount(ABitmap->Width(), ABitmap->Height());
  if (!ABitmap || !ReadBitmapPixels(ABitmap, pixels)) return;
  NewFromPixels(ABitmap->Width(), ABitmap->Height(), pixels.data(), ABitmap->PixelFormat() == pf32bit);
}

void TdxGPImage::NewFromStream(TStream* AStream) {
  if (!IsGdiPlusAvailable() || AStream->Size() - AStream->Position() < 14) return;
  char head[14];
  AStream->ReadBuffer(head, 14);
  AStream->Seek(-14, soFromCurrent);
  if (head[0] == 'B' && head[1] == 'M') {
    TBitmap bitmap;
    bitmap.LoadFromStream(AStream);
    NewFromBitmap(&bitmap);
  } else {
    ReadImageStream(AStream);
  }
}

void TdxGPImage::ReadImageStream(TStream* AStream) {
  // What remains from the stream's position: a picture that follows a
  // header in its stream is read whole, not cut short by the header's length.
  Int64 size = AStream->Size() - AStream->Position();
  if (size <= 0) return;
  if (size > kMaxImageDataSize) TooLarge();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, SIZE_T(size));
  if (!block) TooLarge();
  // The block is freed on every path, also when the data is refused.
  std::unique_ptr<void, decltype(&GlobalFree)> owner(block, &GlobalFree);
  void* data = GlobalLock(block);
  LongInt read = data ? AStream->Read(data, LongInt(size)) : 0;
  try {
    if (read != size) Damaged();
    CheckDeclaredSize(static_cast<const uint8_t*>(data), size_t(size));
  } catch (...) {
    if (data) GlobalUnlock(block);
    throw;
  }
  GlobalUnlock(block);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(block, FALSE, &stream) != S_OK) Damaged();
  dxgp::GpImage* bitmap = nullptr;
  const bool ok = dxGpApi().GdipCreateBitmapFromStream(stream, &bitmap) == 0 && bitmap;
  stream->Release();
  // What GDI+ cannot read is a damaged picture, not an empty one.
  if (!ok) Damaged();
  FHandle = bitmap;
}

TdxGPImage* dxCreateGPImage() {
  if (GImageClassIsGdiPlus) return new TdxGPImage();
  return new TdxGPNullImage();
}

bool dxImageClassIsGdiPlus() { return GImageClassIsGdiPlus; }

namespace {
// A copy of an image: GDI+'s clone, or for an image made from pixels a new
// one from those pixels.
TdxGPImage* CloneImage(TdxGPImage* ASource) {
  std::unique_ptr<TdxGPImage> result(dxCreateGPImage());
  if (!ASource->HasPixels()) {
    dxgp::GpImage* clone = nullptr;
    if (ASource->Handle() && IsGdiPlusAvailable() && dxGpApi().GdipCloneImage(ASource->Handle(), &clone) == 0)
      result->SetHandle(clone);
  } else {
    TSize s = ASource->Size();
    result->NewFromPixels(s.cx, s.cy, ASource->Pixels().data(), true);
  }
  return result.release();
}

// Encodes an image as PNG.
bool SaveImageAsPng(TdxGPImage* AImage, std::vector<uint8_t>& AData) {
  if (!AImage->Handle() || !IsGdiPlusAvailable()) return false;
  EnsurePngEncoderClassId();
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK) return false;
  bool ok = dxGpApi().GdipSaveImageToStream(AImage->Handle(), stream, &GPngEncoderClassId, nullptr) == 0;
  if (ok) {
    STATSTG st{};
    HGLOBAL block = nullptr;
    ok = stream->Stat(&st, STATFLAG_NONAME) == S_OK && GetHGlobalFromStream(stream, &block) == S_OK;
    if (ok) {
      const auto* p = static_cast<const uint8_t*>(GlobalLock(block));
      AData.assign(p, p + st.cbSize.QuadPart);
      GlobalUnlock(block);
    }
  }
  stream->Release();
  return ok;
}
}  // namespace

// ---------------------------------------------------------------------------
// PNG picture

TdxPNGImage::TdxPNGImage() = default;
TdxPNGImage::~TdxPNGImage() = default;

void TdxPNGImage::SetImage(TdxGPImage* AImage) {
  if (AImage != FImage.get()) FImage.reset(AImage);
}

void TdxPNGImage::Changed(TObject* Sender) {
  FIsAlphaUsedKnown = false;
  TGraphic::Changed(Sender);
}

Integer TdxPNGImage::Width() const { return FImage ? FImage->Size().cx : 0; }
Integer TdxPNGImage::Height() const { return FImage ? FImage->Size().cy : 0; }

void TdxPNGImage::Assign(TPersistent* Source) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    SetBitmap(bitmap);
  } else if (auto* png = dynamic_cast<TdxPNGImage*>(Source)) {
    if (png == this) return;
    SetImage(png->FImage ? CloneImage(png->FImage.get()) : nullptr);
    FData = png->FData;
    Changed(this);
  } else {
    TGraphic::Assign(Source);
  }
}

void TdxPNGImage::AssignTo(TPersistent* Dest) {
  if (auto* png = dynamic_cast<TdxPNGImage*>(Dest)) {
    png->Assign(this);
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
    std::unique_ptr<TBitmap> b(GetAsBitmap());
    bitmap->Assign(b.get());
  } else {
    TGraphic::AssignTo(Dest);
  }
}

void TdxPNGImage::SetBitmap(TBitmap* ABitmap) {
  IsGdiPlusAvailable();
  std::unique_ptr<TdxGPImage> image(dxCreateGPImage());
  image->NewFromBitmap(ABitmap);
  SetImage(image.release());
  FData.clear();
  Changed(this);
}

TBitmap* TdxPNGImage::GetAsBitmap() {
  auto* result = new TBitmap();
  if (FImage && FImage->Handle() && IsGdiPlusAvailable()) {
    HBITMAP h = nullptr;
    if (dxGpApi().GdipCreateHBITMAPFromBitmap(FImage->Handle(), &h, 0) == 0 && h) result->SetHandle(h);
  }
  if (!result->Empty()) result->SetPixelFormat(pf32bit);
  return result;
}

bool TdxPNGImage::IsSamePicture(TdxPNGImage* AOther) {
  if (!AOther) return false;
  if (Width() != AOther->Width() || Height() != AOther->Height()) return false;
  if (Empty() && AOther->Empty()) return true;
  std::unique_ptr<TBitmap> a(GetAsBitmap()), b(AOther->GetAsBitmap());
  std::vector<uint32_t> pa, pb;
  ReadBitmapPixels(a.get(), pa);
  ReadBitmapPixels(b.get(), pb);
  return pa == pb;
}

void TdxPNGImage::Draw(TCanvas* ACanvas, const TRect& Rect) { PaintOnDC(ACanvas->Handle(), Rect); }

void TdxPNGImage::PaintOnDC(HDC DC, const TRect& DestRect) {
  PaintRectOnDC(DC, DestRect, TRect(0, 0, Width(), Height()));
}

void TdxPNGImage::PaintRectOnDC(HDC DC, const TRect& DestRect, const TRect& SourceRect) {
  if (!FImage || !FImage->Handle() || !IsGdiPlusAvailable()) return;
  dxgp::GpGraphics* graphics = nullptr;
  if (dxGpApi().GdipCreateFromHDC(DC, &graphics) != 0) return;
  PaintOnGraphics(graphics, DestRect, SourceRect);
  dxGpApi().GdipDeleteGraphics(graphics);
}

TRect TdxPNGImage::AdjustedSourceRect(const TRect& DestRect, const TRect& SourceRect) {
  TRect s = SourceRect;
  if (DestRect.Width() > SourceRect.Width() && SourceRect.Width() > 1) s.Right -= 1;
  if (DestRect.Height() > SourceRect.Height() && SourceRect.Height() > 1) s.Bottom -= 1;
  return s;
}

void TdxPNGImage::PaintOnGraphics(dxgp::GpGraphics* AGraphics, const TRect& DestRect, const TRect& SourceRect) {
  if (!FImage || !FImage->Handle()) return;
  if (DestRect.Width() < 1 || DestRect.Height() < 1 || SourceRect.Width() < 1 || SourceRect.Height() < 1) return;
  TRect s = AdjustedSourceRect(DestRect, SourceRect);
  dxGpApi().GdipDrawImageRectRect(AGraphics, FImage->Handle(), float(DestRect.Left), float(DestRect.Top),
                                  float(DestRect.Width()), float(DestRect.Height()), float(s.Left), float(s.Top),
                                  float(s.Width()), float(s.Height()), dxgp::UnitPixel, nullptr, nullptr, nullptr);
}

void TdxPNGImage::LoadFromStream(TStream* Stream) {
  FData.clear();
  if (Stream->Size() - Stream->Position() <= 0) {
    SetImage(nullptr);
    Changed(this);
    return;
  }
  Int64 start = Stream->Position();
  std::unique_ptr<TdxGPImage> image(dxCreateGPImage());
  image->NewFromStream(Stream);
  // Keep the PNG data as read, so that an unchanged picture saves the same bytes.
  if (image->Handle()) {
    Int64 end = Stream->Size();
    uint8_t sig[8] = {};
    Stream->SetPosition(start);
    if (end - start >= 8 && Stream->Read(sig, 8) == 8 && IsPngSignature(sig, 8)) {
      FData.resize(size_t(end - start));
      Stream->SetPosition(start);
      Stream->ReadBuffer(FData.data(), LongInt(FData.size()));
    }
    Stream->SetPosition(end);
  }
  SetImage(image.release());
  Changed(this);
}

void TdxPNGImage::SaveToStream(TStream* Stream) {
  if (!FImage) return;
  if (!FData.empty()) {
    Stream->WriteBuffer(FData.data(), LongInt(FData.size()));
    return;
  }
  std::vector<uint8_t> data;
  if (SaveImageAsPng(FImage.get(), data) && !data.empty()) Stream->WriteBuffer(data.data(), LongInt(data.size()));
}

// ---------------------------------------------------------------------------
// Start-up

namespace {
void ClassesStartUpStep() {
  GImageClassIsGdiPlus = false;
  if (IsGdiPlusAvailable()) {
    EnsurePngEncoderClassId();
    GImageClassIsGdiPlus = true;
    RegisterClasses({TdxPNGImage::StaticClass()});
    TPicture::RegisterFileFormat("PNG", "PNG graphics from Morvane", TdxPNGImage::StaticClass(), IsPngSignature);
  }
}

void ClassesShutDownStep() {
  TPicture::UnregisterGraphicClass(TdxPNGImage::StaticClass());
  UnRegisterClass(TdxPNGImage::StaticClass());
  GImageClassIsGdiPlus = false;
}
}  // namespace

void dxGDIPlusClassesStartup() {
  if (GClassesUnitCounter-- != 0) return;
  // The binding unit comes first.
  dxGDIPlusAPIStartup();
  GetUnitsLoader()->AddUnit(&ClassesStartUpStep, &ClassesShutDownStep);
}

void dxGDIPlusClassesShutdown() {
  if (GClassesUnitCounter++ != -1) return;
  GetUnitsLoader()->RemoveUnit(&ClassesShutDownStep);
  dxGDIPlusAPIShutdown();
}
