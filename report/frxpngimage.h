// PNG pictures for reports: TPNGObject keeps an image as the list of its
// chunks; the IHDR chunk owns the decoded pixels as a GDI DIB section (plus an
// alpha plane for images with an alpha channel). Reading, writing, drawing
// with a transparent colour or per-pixel alpha, pixel access and resizing.
#pragma once
#include <vector>

#include "Graphics.h"
#include "System.h"

class TStream;
class TPNGObject;

// GDI handles and structures, declared as the platform's headers declare
// them, so that this header need not pull in <windows.h>.
struct HDC__;
struct HBITMAP__;
struct HPALETTE__;
struct tagRECT;
using TPNGDC = HDC__*;
using TPNGBitmap = HBITMAP__*;
using TPNGPalette = HPALETTE__*;
// A colour as the platform packs it: red in the low byte.
using TPNGColorRef = Cardinal;
// One entry of a DIB colour table (the layout of RGBQUAD).
struct TPNGColor {
  Byte rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

// Errors, each with its fixed message (see frxpngimage.cpp).
TOVANI_EXCEPTION(EPngError, Exception)
TOVANI_EXCEPTION(EPngInvalidCRC, Exception)
TOVANI_EXCEPTION(EPngInvalidIHDR, Exception)
TOVANI_EXCEPTION(EPNGMissingMultipleIDAT, Exception)
TOVANI_EXCEPTION(EPNGZLIBError, Exception)
TOVANI_EXCEPTION(EPNGInvalidPalette, Exception)
TOVANI_EXCEPTION(EPNGInvalidFileHeader, Exception)
TOVANI_EXCEPTION(EPNGIHDRNotFirst, Exception)
TOVANI_EXCEPTION(EPNGSizeExceeds, Exception)
TOVANI_EXCEPTION(EPNGUnknownCriticalChunk, Exception)
TOVANI_EXCEPTION(EPNGUnknownCompression, Exception)
TOVANI_EXCEPTION(EPNGUnknownInterlace, Exception)
TOVANI_EXCEPTION(EPngUnexpectedEnd, Exception)
TOVANI_EXCEPTION(EPNGNoImageData, Exception)
TOVANI_EXCEPTION(EPNGOutMemory, Exception)
TOVANI_EXCEPTION(EPNGHeaderNotPresent, Exception)
TOVANI_EXCEPTION(EPNGInvalidNewSize, Exception)

// Colour types of the PNG format.
constexpr Byte COLOR_GRAYSCALE = 0;
constexpr Byte COLOR_RGB = 2;
constexpr Byte COLOR_PALETTE = 3;
constexpr Byte COLOR_GRAYSCALEALPHA = 4;
constexpr Byte COLOR_RGBALPHA = 6;

// Row filters; TFilters is a set of them (bit n for filter n).
enum TFilter : Byte { pfNone = 0, pfSub = 1, pfUp = 2, pfAverage = 3, pfPaeth = 4 };
using TFilters = Byte;
constexpr TFilters FilterSet(TFilter f) { return TFilters(1u << f); }

enum TPNGTransparencyMode { ptmNone, ptmBit, ptmPartial };

// A growable array of pointers; reallocated to exactly the new count.
class TPNGPointerList : public TObject {
  TOVANI_CLASS(TPNGPointerList, TObject)
 public:
  explicit TPNGPointerList(TPNGObject* Owner) : FOwner(Owner) {}
  Cardinal Count() const { return Cardinal(FItems.size()); }
  void SetCount(Cardinal Value) { FItems.resize(Value); FItems.shrink_to_fit(); }
  void* Get(Cardinal Index) const { return Index < Count() ? FItems[Index] : nullptr; }
  void Set(Cardinal Index, void* Value) {
    if (Index < Count()) FItems[Index] = Value;
  }
  void Add(void* Value) { FItems.push_back(Value); }
  // Removes the last occurrence of Value; returns it, or null when absent.
  void* Remove(void* Value);
  TPNGObject* Owner() const { return FOwner; }

 private:
  TPNGObject* FOwner;
  std::vector<void*> FItems;
};

class TChunk;

// The chunks of an image, in file order.
class TPNGList : public TPNGPointerList {
  TOVANI_CLASS(TPNGList, TPNGPointerList)
 public:
  using TPNGPointerList::TPNGPointerList;
  TChunk* Items(Cardinal Index) const { return static_cast<TChunk*>(Get(Index)); }
  // The first chunk of class ChunkClass (or derived), null when none.
  TChunk* ItemFromClass(TClass ChunkClass) const;
  template <class T> T* Find() const { return static_cast<T*>(ItemFromClass(T::StaticClass())); }
};

// One chunk. A chunk class's type is its class name after "TChunk"; a plain
// TChunk keeps the type it was read with and its raw data.
class TChunk : public TObject {
  TOVANI_CLASS(TChunk, TObject)
 public:
  TChunk();
  virtual String ChunkName() const;
  virtual void CopyFrom(TChunk* Source);
  // Reads the data (Size bytes) and the CRC that follows; false ends the
  // chunk loop of the image.
  virtual bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size);
  virtual bool WriteTo(TStream* Stream);

  TPNGObject* Owner() const { return FOwner; }
  void SetOwner(TPNGObject* Owner) { FOwner = Owner; }
  void SetName(const String& Type);
  const Byte* Data() const { return FData.data(); }
  Byte* Data() { return FData.data(); }
  Cardinal DataSize() const { return FDataSize; }
  void ResizeData(Cardinal Size);
  // Set by ReadFrom for a chunk that was read but is not to be kept.
  bool Ignored() const { return FIgnored; }

 protected:
  // Writes length, type, data and CRC.
  bool SaveData(TStream* Stream);
  // The type as it is written: the class's own, or the one read.
  char FName[4] = {0, 0, 0, 0};
  std::vector<Byte> FData;  // always one spare byte
  Cardinal FDataSize = 0;
  TPNGObject* FOwner = nullptr;
  bool FIgnored = false;
};

class TChunkIEND : public TChunk {
  TOVANI_CLASS(TChunkIEND, TChunk)
 public:
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
};

// The header chunk; it owns the decoded image.
class TChunkIHDR : public TChunk {
  TOVANI_CLASS(TChunkIHDR, TChunk)
 public:
  TChunkIHDR();
  ~TChunkIHDR() override;
  void CopyFrom(TChunk* Source) override;
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;

  Integer Width = 0;
  Integer Height = 0;
  Byte BitDepth = 0;
  Byte ColorType = 0;
  Byte CompressionMethod = 0;
  Byte FilterMethod = 0;
  Byte InterlaceMethod = 0;

  // The decoded image: a bottom-up DIB section selected into ImageDC.
  TPNGBitmap ImageHandle() const { return FImageHandle; }
  TPNGDC ImageDC() const { return FImageDC; }
  TPNGPalette ImagePalette() const { return FImagePalette; }
  void* ImageData() const { return FImageData; }
  Integer BytesPerRow() const { return FBytesPerRow; }
  Integer DIBBits() const { return FDIBBits; }
  Byte* ScanLine(Integer y) const;      // image row y (top = 0)
  // The alpha plane: images with an alpha channel, and grey and RGB images
  // with a transparent colour (0 where the file's sample equals it, else
  // 255, decided on the full-precision samples); null otherwise.
  Byte* AlphaScanLine(Integer y) const;
  // The DIB colour table (gamma already applied), 2^bits entries or none.
  const std::vector<TPNGColor>& ColorTable() const { return FColorTable; }
  void SetColorTable(const std::vector<TPNGColor>& Table);
  // Replaces the image palette (and colour table) with Palette's entries.
  void SetImagePalette(TPNGPalette Palette);

  // Builds a new, zeroed image for the current header fields.
  void PrepareImageData();
  // Rebuilds the grey ramp of grey images through the gamma table.
  void BuildGreyPalette();

 private:
  friend class TPNGObject;
  friend class TChunkIDAT;
  void FreeImageData();
  void ApplyColorTable();

  TPNGBitmap FImageHandle = nullptr;
  TPNGBitmap FOldBitmap = nullptr;
  TPNGDC FImageDC = nullptr;
  TPNGPalette FImagePalette = nullptr;
  void* FImageData = nullptr;
  Integer FBytesPerRow = 0;
  Integer FDIBBits = 0;
  Integer FDIBWidth = 0, FDIBHeight = 0;   // of the DIB section held
  std::vector<Byte> FAlpha;
  std::vector<TPNGColor> FColorTable;
};

// Image data: reading the first IDAT decodes every IDAT that follows it;
// writing produces one or more IDAT chunks.
class TChunkIDAT : public TChunk {
  TOVANI_CLASS(TChunkIDAT, TChunk)
 public:
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;
};

class TChunkPLTE : public TChunk {
  TOVANI_CLASS(TChunkPLTE, TChunk)
 public:
  void CopyFrom(TChunk* Source) override;
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;
  Integer Count() const { return FCount; }
  // The palette entry Index; EPngError beyond the entry count.
  TPNGColor GetPaletteItem(Byte Index) const;

 private:
  Integer FCount = 0;
};

class TChunkgAMA : public TChunk {
  TOVANI_CLASS(TChunkgAMA, TChunk)
 public:
  void CopyFrom(TChunk* Source) override;
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;
  Cardinal Gamma = 1;
};

class TChunktRNS : public TChunk {
  TOVANI_CLASS(TChunktRNS, TChunk)
 public:
  TChunktRNS();
  void CopyFrom(TChunk* Source) override;
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;
  // Alpha of each palette entry (255 where the file gives none).
  Byte PaletteValues[256];
  // Single-colour mode: one colour is fully transparent, all else opaque.
  Boolean BitTransparency = false;
  // The transparent sample of grey and RGB images (red, green, blue).
  Word TransparentSample(int Channel) const;
};

class TChunkpHYs : public TChunk {
  TOVANI_CLASS(TChunkpHYs, TChunk)
 public:
  void CopyFrom(TChunk* Source) override;
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;
  Cardinal PPUnitX = 0, PPUnitY = 0;
  Byte UnitType = 0;
};

class TChunktIME : public TChunk {
  TOVANI_CLASS(TChunktIME, TChunk)
 public:
  void CopyFrom(TChunk* Source) override;
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;
  Word Year = 0;
  Byte Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

class TChunktEXt : public TChunk {
  TOVANI_CLASS(TChunktEXt, TChunk)
 public:
  void CopyFrom(TChunk* Source) override;
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;
  String Keyword;
  String Text;
};

class TChunkzTXt : public TChunktEXt {
  TOVANI_CLASS(TChunkzTXt, TChunktEXt)
 public:
  bool ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) override;
  bool WriteTo(TStream* Stream) override;
};

// Chunk-class registry: classes are tried in registration order by type.
void frxRegisterChunkClass(TClass ChunkClass);
TChunk* frxCreateChunk(TPNGObject* Owner, const String& ChunkName);

// The PNG picture, a graphic of the class library registered for ".png".
class TPNGObject : public TGraphic {
  TOVANI_CLASS(TPNGObject, TGraphic)
 public:
  TPNGObject();
  ~TPNGObject() override;

  // From another image (nil clears; settings and chunks are copied) or from
  // a bitmap (AssignBitmapHandle); anything else is an assignment error.
  void Assign(TPersistent* Source) override;
  void Assign(TPNGObject* Source) { Assign(static_cast<TPersistent*>(Source)); }
  // Builds the image from a GDI bitmap (palette image below 16 bits per
  // pixel, 8-bit RGB otherwise), with a tRNS chunk for Colour if Transparent.
  void AssignBitmapHandle(TPNGBitmap Handle, Boolean Transparent, TPNGColorRef Colour);
  // Draws the image stretched onto Rect of DC (see TransparencyMode).
  void Draw(TPNGDC DC, const tagRECT& Rect);

  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;

  bool Empty() const override { return FChunks.Count() == 0; }
  Integer Width() const override;
  Integer Height() const override;
  void SetWidth(Integer Value) override { Resize(Value, Height()); }
  void SetHeight(Integer Value) override { Resize(Width(), Value); }
  bool Transparent() const override { return TransparencyMode() != ptmNone; }
  TPNGPalette Palette() const;
  void SetPalette(TPNGPalette Value);
  TPNGDC CanvasHandle() const;

  TPNGList& Chunks() { return FChunks; }
  // The first chunk when it is the header; EPNGHeaderNotPresent otherwise.
  TChunkIHDR* Header() const;

  TFilters WriteFilters = FilterSet(pfSub);
  Byte DeflateLevel = 7;
  Integer IDATChunkLimit() const { return FIDATLimit; }
  void SetIDATChunkLimit(Integer Value) { FIDATLimit = Value < 65535 ? 65535 : Value; }
  Byte InterlaceMode = 0;

  Byte GammaTable[256];
  Byte InverseGamma[256];
  void InitializeGamma();
  // Rebuilds both tables for a gAMA value (100000 = gamma 1.0).
  void BuildGammaTables(Cardinal Gamma);

  TPNGTransparencyMode TransparencyMode() const;
  TPNGColorRef TransparentColor() const;
  TPNGColorRef Pixels(Integer X, Integer Y) const;
  void SetPixels(Integer X, Integer Y, TPNGColorRef Value);
  Byte* Scanline(Integer Y) const { return Header()->ScanLine(Y); }
  Byte* AlphaScanline(Integer Y) const { return Header()->AlphaScanLine(Y); }
  void Resize(Integer CX, Integer CY);

  // Frees every chunk and resets the gamma tables.
  void ClearChunks();

 protected:
  void Draw(TCanvas* Canvas, const TRect& Rect) override;
  void AssignTo(TPersistent* Dest) override;

 private:
  TPNGList FChunks;
  Integer FIDATLimit = 65535;
};

// The fixed messages of the error classes (for callers that compare them).
extern const char* const EPNGZLIBErrorText;
