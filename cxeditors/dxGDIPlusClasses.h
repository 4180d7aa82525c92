// PNG pictures over GDI+: TdxPNGImage is a graphic holding a GDI+ bitmap,
// registered with TPicture for the "PNG" extension when GDI+ is there, so
// that the image and BLOB editors show, load and save PNG pictures with
// their alpha channel.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "Graphics.h"
#include "dxGDIPlusAPI.h"

class TStream;

// Base of the objects that live on GDI+'s side: allocated and freed with
// GDI+'s own allocator while it is there.
class TdxGPBase : public TObject {
  TOVANI_CLASS(TdxGPBase, TObject)
 public:
  static void* operator new(size_t ASize);
  static void operator delete(void* APointer);
};

// A GDI+ image: its handle (null when none) and, for images made from
// pixels, the pixel array the GDI+ bitmap uses in place.
class TdxGPImage : public TdxGPBase {
  TOVANI_CLASS(TdxGPImage, TdxGPBase)
 public:
  TdxGPImage() = default;
  ~TdxGPImage() override;
  dxgp::GpImage* Handle() const { return FHandle; }
  void SetHandle(dxgp::GpImage* AHandle) { FHandle = AHandle; }
  const std::vector<uint32_t>& Pixels() const { return FPixels; }
  bool HasPixels() const { return !FPixels.empty(); }
  TSize Size() const;

  // Creates the GDI+ bitmap from what the stream holds from its position
  // to its end.
  virtual void ReadImageStream(TStream* AStream);
  // Makes the image from a bitmap's pixels (alpha kept for pf32bit only).
  virtual void NewFromBitmap(TBitmap* ABitmap);
  // Pixels are 32-bit blue-green-red-alpha, top row first; without alpha
  // every pixel becomes opaque.
  virtual void NewFromPixels(Integer AWidth, Integer AHeight, const uint32_t* APixels, bool AHasAlpha);
  // A stream starting with "BM" is read as a bitmap, anything else by GDI+.
  virtual void NewFromStream(TStream* AStream);

 protected:
  dxgp::GpImage* FHandle = nullptr;
  std::vector<uint32_t> FPixels;
};

// The same object on the ordinary heap, used while GDI+ is not available:
// it never gets a handle and reads as an empty picture.
class TdxGPNullImage : public TdxGPImage {
  TOVANI_CLASS(TdxGPNullImage, TdxGPImage)
 public:
  static void* operator new(size_t ASize) { return ::operator new(ASize); }
  static void operator delete(void* APointer) { ::operator delete(APointer); }
};

// A new image of the current image class (TdxGPImage once GDI+ was found at
// start-up, else TdxGPNullImage).
TdxGPImage* dxCreateGPImage();
bool dxImageClassIsGdiPlus();

class TdxPNGImage : public TGraphic {
  TOVANI_CLASS(TdxPNGImage, TGraphic)
 public:
  TdxPNGImage();
  ~TdxPNGImage() override;
  void Assign(TPersistent* Source) override;

  bool Empty() const override { return Width() < 1 || Height() < 1; }
  Integer Width() const override;
  Integer Height() const override;
  void SetWidth(Integer) override {}
  void SetHeight(Integer) override {}
  bool Transparent() const override { return true; }
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  // PNG pictures are not exchanged through the clipboard.
  void LoadFromClipboardFormat(Word, HANDLE, HPALETTE) {}
  void SaveToClipboardFormat(Word&, HANDLE&, HPALETTE&) {}

  TdxGPImage* Image() const { return FImage.get(); }
  virtual bool IsSamePicture(TdxPNGImage* AOther);
  // A new 32-bit bitmap of the picture; the caller owns it.
  virtual TBitmap* GetAsBitmap();
  virtual void SetBitmap(TBitmap* ABitmap);
  virtual void PaintOnDC(HDC DC, const TRect& DestRect);
  virtual void PaintRectOnDC(HDC DC, const TRect& DestRect, const TRect& SourceRect);
  virtual void PaintOnGraphics(dxgp::GpGraphics* AGraphics, const TRect& DestRect, const TRect& SourceRect);
  // The source rectangle PaintOnGraphics draws from for a destination:
  // one pixel less where the picture is enlarged, so that its edge pixels
  // are not blended with what lies outside.
  static TRect AdjustedSourceRect(const TRect& DestRect, const TRect& SourceRect);

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void AssignTo(TPersistent* Dest) override;
  void Changed(TObject* Sender) override;

 private:
  void SetImage(TdxGPImage* AImage);
  std::unique_ptr<TdxGPImage> FImage;
  // The PNG data the picture was read from while it is unchanged: saving
  // writes it back as it was.
  std::vector<uint8_t> FData;
  bool FIsAlphaUsedKnown = false;
};

// Start-up of the picture unit: registers TdxPNGImage with TPicture for
// "PNG" when GDI+ is available. Shut-down unregisters it. Both are counted.
void dxGDIPlusClassesStartup();
void dxGDIPlusClassesShutdown();
