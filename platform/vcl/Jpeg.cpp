#include "Jpeg.h"
#include <cstring>
#include "JpegCodec.h"
#include "Streams.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TJPEGImage, TGraphic)
TOVANI_IMPLEMENT_CLASS(EJPEG, EInvalidGraphic)

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

bool TJPEGImage::Empty() const { return FData.empty() && !FBitmap; }

Integer TJPEGImage::Width() const {
  if (FBitmap) return FBitmap->Width();
  return FWidth >> FScale;
}

Integer TJPEGImage::Height() const {
  if (FBitmap) return FBitmap->Height();
  return FHeight >> FScale;
}

void TJPEGImage::FreeBitmap() { FBitmap.reset(); }

void TJPEGImage::LoadFromData(const uint8_t* data, size_t size) {
  int w = 0, h = 0, comps = 0;
  std::string error;
  if (!jpegcodec::ReadInfo(data, size, w, h, comps, error)) throw EJPEG("JPEG error: " + error);
  FData.assign(data, data + size);
  FWidth = w;
  FHeight = h;
  FreeBitmap();
  Changed(this);
}

void TJPEGImage::LoadFromStream(TStream* stream) {
  int64_t available = stream->Size() - stream->Position();
  if (available <= 0) throw EJPEG("JPEG error: JPEG data is empty or truncated");
  if (available > (int64_t(256) << 20)) throw EJPEG("JPEG error: JPEG data is too large");
  std::vector<uint8_t> data(static_cast<size_t>(available));
  stream->ReadBuffer(data.data(), LongInt(data.size()));
  LoadFromData(data.data(), data.size());
}

void TJPEGImage::SaveToStream(TStream* stream) {
  JPEGNeeded();
  if (!FData.empty()) stream->WriteBuffer(FData.data(), LongInt(FData.size()));
}

void TJPEGImage::DIBNeeded() {
  if (FBitmap || FData.empty()) return;
  jpegcodec::Image img;
  std::string error;
  static const int denoms[] = {1, 2, 4, 8};
  if (!jpegcodec::Decode(FData.data(), FData.size(), denoms[FScale], FGrayscale || FPixelFormat == jf8Bit,
                         FPerformance == jpBestSpeed, img, error))
    throw EJPEG("JPEG error: " + error);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(img.Width, img.Height);
  size_t srcStride = size_t(img.Width) * size_t(img.Components);
  for (int y = 0; y < img.Height; ++y) {
    auto* dst = static_cast<uint8_t*>(bmp->ScanLine(y));
    const uint8_t* src = img.Pixels.data() + srcStride * size_t(y);
    if (img.Components == 3) {
      std::memcpy(dst, src, srcStride);
    } else {
      for (int x = 0; x < img.Width; ++x) dst[x * 3] = dst[x * 3 + 1] = dst[x * 3 + 2] = src[x];
    }
  }
  FBitmap = std::move(bmp);
}

TBitmap* TJPEGImage::Bitmap() {
  DIBNeeded();
  return FBitmap.get();
}

void TJPEGImage::JPEGNeeded() {
  if (!FData.empty() || !FBitmap || FBitmap->Empty()) return;
  // Compress a 24-bit copy of the bitmap.
  TBitmap copy;
  copy.Assign(FBitmap.get());
  copy.SetPixelFormat(pf24bit);
  int w = copy.Width(), h = copy.Height();
  std::vector<uint8_t> rows;
  int comps = FGrayscale ? 1 : 3;
  rows.resize(size_t(w) * size_t(comps) * size_t(h));
  for (int y = 0; y < h; ++y) {
    auto* src = static_cast<const uint8_t*>(copy.ScanLine(y));
    uint8_t* dst = rows.data() + size_t(w) * size_t(comps) * size_t(y);
    if (comps == 3) {
      std::memcpy(dst, src, size_t(w) * 3);
    } else {
      for (int x = 0; x < w; ++x) dst[x] = uint8_t((src[x * 3] * 29 + src[x * 3 + 1] * 150 + src[x * 3 + 2] * 77) >> 8);
    }
  }
  std::string error;
  std::vector<uint8_t> out;
  if (!jpegcodec::Encode(w, h, comps, rows.data(), size_t(w) * size_t(comps), FQuality, FProgressive, out, error))
    throw EJPEG("JPEG error: " + error);
  FData = std::move(out);
  FWidth = w;
  FHeight = h;
}

void TJPEGImage::SetGrayscale(bool v) {
  if (v == FGrayscale) return;
  JPEGNeeded();
  FGrayscale = v;
  if (!FData.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetScale(TJPEGScale v) {
  if (v == FScale) return;
  JPEGNeeded();
  FScale = v;
  if (!FData.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetPerformance(TJPEGPerformance v) {
  if (v == FPerformance) return;
  JPEGNeeded();
  FPerformance = v;
  if (!FData.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat v) {
  if (v == FPixelFormat) return;
  JPEGNeeded();
  FPixelFormat = v;
  if (!FData.empty()) FreeBitmap();
  Changed(this);
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& rect) {
  DIBNeeded();
  if (FBitmap) canvas->StretchDraw(rect, FBitmap.get());
}

void TJPEGImage::Assign(TPersistent* source) {
  if (source == this) return;
  if (auto* j = dynamic_cast<TJPEGImage*>(source)) {
    FData = j->FData;
    FWidth = j->FWidth;
    FHeight = j->FHeight;
    FQuality = j->FQuality;
    FGrayscale = j->FGrayscale;
    FScale = j->FScale;
    FPerformance = j->FPerformance;
    FPixelFormat = j->FPixelFormat;
    FProgressive = j->FProgressive;
    FreeBitmap();
    if (FData.empty() && j->FBitmap) {
      FBitmap = std::make_unique<TBitmap>();
      FBitmap->Assign(j->FBitmap.get());
    }
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    // Compressed when the data is first needed (SaveToStream).
    FData.clear();
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->Assign(b);
    FWidth = b->Width();
    FHeight = b->Height();
    FScale = jsFullSize;
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) {
  if (auto* b = dynamic_cast<TBitmap*>(dest)) {
    DIBNeeded();
    b->Assign(FBitmap.get());
    return;
  }
  TGraphic::AssignTo(dest);
}
