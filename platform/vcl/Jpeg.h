// JPEG pictures: TJPEGImage keeps the compressed data and decodes it into a
// bitmap when it is drawn (libjpeg through JpegCodec.h).
#pragma once
#include <memory>
#include <vector>
#include "Graphics.h"

enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum TJPEGPixelFormat { jf24Bit, jf8Bit };
using TJPEGQualityRange = Integer;   // 1..100

class TJPEGImage : public TGraphic {
  TOVANI_CLASS(TJPEGImage, TGraphic)
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  void Assign(TPersistent* source) override;

  bool Empty() const override;
  Integer Width() const override;
  Integer Height() const override;
  // The size of a JPEG follows its data.
  void SetWidth(Integer) override {}
  void SetHeight(Integer) override {}

  // Reads the JPEG from the stream's position to its end ("JPEG error: ..."
  // for data that is not a JPEG).
  void LoadFromStream(TStream* stream) override;
  void SaveToStream(TStream* stream) override;
  void LoadFromData(const uint8_t* data, size_t size);
  void ReadData(TStream* stream) override;
  void WriteData(TStream* stream) override;

  // Decoded picture, made on demand.
  void DIBNeeded();
  // Compressed data, made from the bitmap of an assigned picture on demand.
  void JPEGNeeded();
  void Compress() { JPEGNeeded(); }
  TBitmap* Bitmap();
  const std::vector<uint8_t>& Data() const { return FData; }

  TJPEGQualityRange CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(TJPEGQualityRange v) { FQuality = v < 1 ? 1 : v > 100 ? 100 : v; }
  bool Grayscale() const { return FGrayscale; }
  void SetGrayscale(bool v);
  TJPEGScale Scale() const { return FScale; }
  void SetScale(TJPEGScale v);
  TJPEGPerformance Performance() const { return FPerformance; }
  void SetPerformance(TJPEGPerformance v);
  TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat v);
  bool ProgressiveEncoding() const { return FProgressive; }
  void SetProgressiveEncoding(bool v) { FProgressive = v; }
  bool Smoothing() const { return FSmoothing; }
  void SetSmoothing(bool v) { FSmoothing = v; }

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;
  void AssignTo(TPersistent* dest) override;

 private:
  void FreeBitmap();
  std::vector<uint8_t> FData;
  std::unique_ptr<TBitmap> FBitmap;
  Integer FWidth = 0, FHeight = 0;   // of the data at full size
  TJPEGQualityRange FQuality = 90;
  bool FGrayscale = false;
  bool FProgressive = false;
  bool FSmoothing = true;
  TJPEGScale FScale = jsFullSize;
  TJPEGPerformance FPerformance = jpBestQuality;
  TJPEGPixelFormat FPixelFormat = jf24Bit;
};

TOVANI_EXCEPTION(EJPEG, EInvalidGraphic)
