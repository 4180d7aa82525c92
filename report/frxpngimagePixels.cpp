// PNG picture, pixel side: the image held as a DIB section (plus an alpha
// plane), decoding and encoding of the image data (all colour types and bit
// depths, Adam7 interlacing, the five row filters), drawing with a
// transparent colour or per-pixel alpha, pixel access and resizing.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "Streams.h"
#include "frxGZip.h"
#include "frxpngimage.h"

#include <windows.h>
#include "frxpngimageInternal.h"

using namespace png_internal;

namespace {

// Adam7 passes: starting row and column, row and column step.
struct Pass {
  int Row, Col, RowStep, ColStep;
};
const Pass kAdam7[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                        {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
const Pass kWhole = {0, 0, 1, 1};

// Bytes of one filtered row of Width pixels.
Integer RowBytes(Byte ColorType, Byte Depth, Int64 Width) {
  switch (ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE: return Integer((Width * Depth + 7) / 8);
    case COLOR_RGB: return Integer(Width * Depth * 3 / 8);
    case COLOR_GRAYSCALEALPHA: return Integer(Width * Depth * 2 / 8);
    case COLOR_RGBALPHA: return Integer(Width * Depth * 4 / 8);
  }
  return 0;
}

// Distance in bytes to the corresponding byte of the pixel to the left.
Integer FilterDistance(Byte ColorType, Byte Depth) {
  switch (ColorType) {
    case COLOR_GRAYSCALE: return Depth == 16 ? 2 : 1;
    case COLOR_PALETTE: return 1;
    case COLOR_RGB: return Depth * 3 / 8;
    case COLOR_GRAYSCALEALPHA: return Depth / 4;
    case COLOR_RGBALPHA: return Depth / 2;
  }
  return 1;
}

int PassCount(int Size, int Start, int Step) { return Size > Start ? (Size - Start + Step - 1) / Step : 0; }

// The Paeth predictor: left, then up, then upper-left on ties. Written as
// two selections so that it compiles to conditional moves: the filtered
// bytes of a photograph make its branches unpredictable.
inline Byte Paeth(Byte a, Byte b, Byte c) {
  const int pa = abs(int(b) - int(c));            // |p - a|
  const int pb = abs(int(a) - int(c));            // |p - b|
  const int pc = abs(int(a) + int(b) - 2 * int(c));  // |p - c|
  int best = a, dist = pa;
  best = pb < dist ? b : best;
  dist = pb < dist ? pb : dist;
  return Byte(pc < dist ? c : best);
}

// Undoes the row filter in place; Prior is the previous unfiltered row. The
// first pixel has no left neighbour, so it is done apart from the rest.
// Instantiated for the pixel sizes of 8-bit RGB and RGBA, whose fixed
// distance lets the compiler keep the left pixel in registers.
template <int FixedBpp>
void UnfilterRow(Byte Type, Byte* Row, const Byte* Prior, Integer Count, Integer AnyBpp) {
  const Integer Bpp = FixedBpp ? FixedBpp : AnyBpp;
  const Integer lead = std::min(Bpp, Count);
  switch (Type) {
    case pfSub:
      for (Integer i = Bpp; i < Count; ++i) Row[i] = Byte(Row[i] + Row[i - Bpp]);
      break;
    case pfUp:
      for (Integer i = 0; i < Count; ++i) Row[i] = Byte(Row[i] + Prior[i]);
      break;
    case pfAverage:
      for (Integer i = 0; i < lead; ++i) Row[i] = Byte(Row[i] + (Prior[i] >> 1));
      for (Integer i = lead; i < Count; ++i) Row[i] = Byte(Row[i] + ((int(Row[i - Bpp]) + Prior[i]) >> 1));
      break;
    case pfPaeth:
      for (Integer i = 0; i < lead; ++i) Row[i] = Byte(Row[i] + Prior[i]);
      for (Integer i = lead; i < Count; ++i) Row[i] = Byte(Row[i] + Paeth(Row[i - Bpp], Prior[i], Prior[i - Bpp]));
      break;
    default:  // None and unknown filter types leave the row as it is
      break;
  }
}

void Unfilter(Byte Type, Byte* Row, const Byte* Prior, Integer Count, Integer Bpp) {
  switch (Bpp) {
    case 3: UnfilterRow<3>(Type, Row, Prior, Count, Bpp); break;
    case 4: UnfilterRow<4>(Type, Row, Prior, Count, Bpp); break;
    default: UnfilterRow<0>(Type, Row, Prior, Count, Bpp); break;
  }
}

// Applies a row filter: Out = filtered Raw.
void Filter(Byte Type, const Byte* Raw, const Byte* Prior, Byte* Out, Integer Count, Integer Bpp) {
  for (Integer i = 0; i < Count; ++i) {
    Byte left = i >= Bpp ? Raw[i - Bpp] : 0;
    Byte upLeft = i >= Bpp ? Prior[i - Bpp] : 0;
    switch (Type) {
      case pfSub: Out[i] = Byte(Raw[i] - left); break;
      case pfUp: Out[i] = Byte(Raw[i] - Prior[i]); break;
      case pfAverage: Out[i] = Byte(Raw[i] - ((int(left) + Prior[i]) >> 1)); break;
      case pfPaeth: Out[i] = Byte(Raw[i] - Paeth(left, Prior[i], upLeft)); break;
      default: Out[i] = Raw[i];
    }
  }
}

// Sub-byte samples of a packed row.
inline Byte GetPacked(const Byte* Row, Integer Index, int Bits) {
  Integer bit = Index * Bits;
  return Byte((Row[bit >> 3] >> (8 - Bits - (bit & 7))) & ((1 << Bits) - 1));
}
inline void SetPacked(Byte* Row, Integer Index, int Bits, Byte Value) {
  Integer bit = Index * Bits;
  int shift = 8 - Bits - (bit & 7);
  Byte mask = Byte(((1 << Bits) - 1) << shift);
  Row[bit >> 3] = Byte((Row[bit >> 3] & ~mask) | ((Value << shift) & mask));
}

}  // namespace

Int64 png_internal::ImageDataSize(Byte ColorType, Byte Depth, Integer Width, Integer Height, bool Interlaced) {
  Int64 total = 0;
  for (int p = 0; p < (Interlaced ? 7 : 1); ++p) {
    const Pass& pass = Interlaced ? kAdam7[p] : kWhole;
    Int64 rows = PassCount(Height, pass.Row, pass.RowStep);
    Int64 bytes = RowBytes(ColorType, Depth, PassCount(Width, pass.Col, pass.ColStep));
    if (bytes > 0) total += rows * (bytes + 1);
  }
  return total;
}

namespace {

// Pulls the inflated image data out of consecutive IDAT chunks, checking the
// CRC of each chunk as its end is reached.
class TIDATReader {
 public:
  TIDATReader(TStream* Stream, Cardinal FirstSize) : FStream(Stream), FRemaining(FirstSize), FInput(65535) {
    CheckChunkLength(Stream, FirstSize);
    FCrc = crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4);
    memset(&FZ, 0, sizeof(FZ));
    int rc = inflateInit_(&FZ, ZLIB_VERSION, int(sizeof(z_stream)));
    if (rc != Z_OK) RaiseZLibError(rc);
  }
  ~TIDATReader() { inflateEnd(&FZ); }

  // Fills Out with Count bytes; false when the compressed data ended first.
  bool Read(Byte* Out, Integer Count) {
    FZ.next_out = Out;
    FZ.avail_out = uInt(Count);
    while (FZ.avail_out > 0) {
      if (FEnded) return false;
      if (FZ.avail_in == 0) NextInput();
      int code = Z_OK;
      switch (frxInflateStep(FZ, code)) {
        case TfrxInflateStep::Progress:
        case TfrxInflateStep::NeedInput: break;  // the next chunk follows
        case TfrxInflateStep::End: FEnded = true; break;
        case TfrxInflateStep::Failed: RaiseZLibError(code);
      }
    }
    return true;
  }

  // Consumes the rest of the current chunk and checks its CRC.
  void Finish() {
    while (FRemaining > 0) {
      Integer n = Integer(std::min<Cardinal>(FRemaining, Cardinal(FInput.size())));
      ReadExact(FStream, FInput.data(), n);
      FCrc = crc32(FCrc, FInput.data(), uInt(n));
      FRemaining -= Cardinal(n);
    }
    CheckCrc();
  }

 private:
  void CheckCrc() {
    if (ReadBE32(FStream) != Cardinal(FCrc)) Raise<EPngInvalidCRC>();
  }

  void NextInput() {
    while (FRemaining == 0) {
      CheckCrc();
      Byte head[8];
      ReadExact(FStream, head, 8);
      if (memcmp(head + 4, "IDAT", 4) != 0) Raise<EPNGMissingMultipleIDAT>();
      FRemaining = GetBE32(head);
      CheckChunkLength(FStream, FRemaining);
      FCrc = crc32(0, reinterpret_cast<const Bytef*>("IDAT"), 4);
    }
    Integer n = Integer(std::min<Cardinal>(FRemaining, Cardinal(FInput.size())));
    ReadExact(FStream, FInput.data(), n);
    FCrc = crc32(FCrc, FInput.data(), uInt(n));
    FRemaining -= Cardinal(n);
    FZ.next_in = FInput.data();
    FZ.avail_in = uInt(n);
  }

  TStream* FStream;
  Cardinal FRemaining;
  std::vector<Byte> FInput;
  uLong FCrc;
  z_stream FZ;
  bool FEnded = false;
};

}  // namespace

// ---------------------------------------------------------------------------
// The image held by the header

namespace {

// The DIB section of the last picture freed, kept for the next picture of
// the same size and depth. Every page of a new DIB section is fresh memory
// whose first touch costs a page fault, which on virtual machines takes
// longer than decoding the page's pixels; a program that shows pictures one
// after another (report previews, image lists) reuses one section instead,
// as the C heap reuses freed blocks. One section at most, of bounded size.
struct TSpareDIB {
  HBITMAP Bitmap = nullptr;
  void* Bits = nullptr;
  Integer DIBBits = 0, Width = 0, Height = 0;
};
std::mutex SpareLock;
TSpareDIB Spare;
constexpr Int64 kMaxSpareBytes = Int64(64) << 20;

// Keeps Bitmap (selected into no DC) as the spare; false when it does not qualify.
bool KeepSpare(HBITMAP Bitmap, void* Bits, Integer DIBBits, Integer Width, Integer Height, Integer BytesPerRow) {
  if (!Bitmap || !Bits || Int64(BytesPerRow) * Height > kMaxSpareBytes) return false;
  HBITMAP old;
  {
    std::lock_guard<std::mutex> lock(SpareLock);
    old = Spare.Bitmap;
    Spare = TSpareDIB{Bitmap, Bits, DIBBits, Width, Height};
  }
  if (old) DeleteObject(old);
  return true;
}

// The spare section when it has this size and depth, zeroed; null otherwise.
HBITMAP TakeSpare(Integer DIBBits, Integer Width, Integer Height, Integer BytesPerRow, void*& Bits) {
  TSpareDIB taken;
  {
    std::lock_guard<std::mutex> lock(SpareLock);
    if (!Spare.Bitmap || Spare.DIBBits != DIBBits || Spare.Width != Width || Spare.Height != Height) return nullptr;
    taken = Spare;
    Spare = TSpareDIB{};
  }
  Bits = taken.Bits;
  memset(Bits, 0, size_t(BytesPerRow) * size_t(Height));
  return taken.Bitmap;
}

}  // namespace

void TChunkIHDR::FreeImageData() {
  if (FImageDC) {
    if (FOldBitmap) SelectObject(FImageDC, FOldBitmap);
    DeleteDC(FImageDC);
  }
  if (FImageHandle && !KeepSpare(FImageHandle, FImageData, FDIBBits, FDIBWidth, FDIBHeight, FBytesPerRow))
    DeleteObject(FImageHandle);
  if (FImagePalette) DeleteObject(FImagePalette);
  FImageDC = nullptr;
  FOldBitmap = nullptr;
  FImageHandle = nullptr;
  FImagePalette = nullptr;
  FImageData = nullptr;
  FAlpha.clear();
  FColorTable.clear();
}

void TChunkIHDR::PrepareImageData() {
  FreeImageData();
  switch (ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE:
    case COLOR_GRAYSCALEALPHA: FDIBBits = BitDepth == 1 ? 1 : BitDepth <= 4 ? 4 : 8; break;
    default: FDIBBits = 24;
  }
  FBytesPerRow = Integer(((Int64(FDIBBits) * Width + 31) / 32) * 4);
  Int64 total = Int64(FBytesPerRow) * Height;
  bool alpha = ColorType == COLOR_GRAYSCALEALPHA || ColorType == COLOR_RGBALPHA;
  if (alpha) total += Int64(Width) * Height;
  if (Width < 1 || Height < 1 || total > kMaxImageBytes) Raise<EPNGOutMemory>();

  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } info{};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  info.h.biWidth = Width;
  info.h.biHeight = Height;  // bottom-up
  info.h.biPlanes = 1;
  info.h.biBitCount = Word(FDIBBits);
  info.h.biCompression = BI_RGB;
  FImageDC = CreateCompatibleDC(nullptr);
  if (!FImageDC) Raise<EPNGOutMemory>();
  // A new DIB section (no file mapping given) starts zeroed; the spare one
  // is zeroed when taken.
  FImageHandle = TakeSpare(FDIBBits, Width, Height, FBytesPerRow, FImageData);
  if (!FImageHandle)
    FImageHandle = CreateDIBSection(FImageDC, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &FImageData,
                                    nullptr, 0);
  if (!FImageHandle || !FImageData) {
    FreeImageData();
    Raise<EPNGOutMemory>();
  }
  FDIBWidth = Width;
  FDIBHeight = Height;
  FOldBitmap = static_cast<HBITMAP>(SelectObject(FImageDC, FImageHandle));
  if (alpha) FAlpha.assign(size_t(Width) * size_t(Height), 0);

  if (FDIBBits <= 8) {
    if (ColorType == COLOR_PALETTE) {
      // A halftone palette until the PLTE chunk replaces it.
      std::vector<TPNGColor> table(size_t(1) << FDIBBits);
      HPALETTE halftone = CreateHalftonePalette(nullptr);
      PALETTEENTRY entries[256] = {};
      UINT n = halftone ? GetPaletteEntries(halftone, 0, UINT(table.size()), entries) : 0;
      if (halftone) DeleteObject(halftone);
      for (UINT i = 0; i < n && i < table.size(); ++i)
        table[i] = TPNGColor{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
      SetColorTable(table);
    } else {
      BuildGreyPalette();
    }
  }
}

void TChunkIHDR::BuildGreyPalette() {
  if (FDIBBits > 8 || ColorType == COLOR_PALETTE) return;
  const Byte* gamma = Owner() ? Owner()->GammaTable : nullptr;
  int entries = 1 << FDIBBits;
  std::vector<TPNGColor> table(static_cast<size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    int level = MulDiv(i, 255, entries - 1);
    Byte v = gamma ? gamma[level] : Byte(level);
    table[i] = TPNGColor{v, v, v, 0};
  }
  SetColorTable(table);
}

void TChunkIHDR::SetColorTable(const std::vector<TPNGColor>& Table) {
  FColorTable = Table;
  if (FDIBBits <= 8) FColorTable.resize(size_t(1) << FDIBBits);
  ApplyColorTable();
}

void TChunkIHDR::ApplyColorTable() {
  if (FColorTable.empty() || !FImageDC) return;
  SetDIBColorTable(FImageDC, 0, UINT(FColorTable.size()), reinterpret_cast<const RGBQUAD*>(FColorTable.data()));
  struct {
    WORD version, count;
    PALETTEENTRY entries[256];
  } pal{};
  pal.version = 0x300;
  pal.count = WORD(FColorTable.size());
  for (size_t i = 0; i < FColorTable.size(); ++i)
    pal.entries[i] = PALETTEENTRY{FColorTable[i].rgbRed, FColorTable[i].rgbGreen, FColorTable[i].rgbBlue, 0};
  HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&pal));
  if (FImagePalette) DeleteObject(FImagePalette);
  FImagePalette = palette;
}

void TChunkIHDR::SetImagePalette(HPALETTE Palette) {
  PALETTEENTRY entries[256] = {};
  UINT n = GetPaletteEntries(Palette, 0, 256, entries);
  std::vector<TPNGColor> table = FColorTable;
  for (UINT i = 0; i < n && i < table.size(); ++i)
    table[i] = TPNGColor{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  SetColorTable(table);
  DeleteObject(Palette);
}

Byte* TChunkIHDR::ScanLine(Integer y) const {
  return static_cast<Byte*>(FImageData) + size_t(Height - 1 - y) * size_t(FBytesPerRow);
}

Byte* TChunkIHDR::AlphaScanLine(Integer y) const {
  if (FAlpha.empty()) return nullptr;
  return const_cast<Byte*>(FAlpha.data()) + size_t(y) * size_t(Width);
}

// ---------------------------------------------------------------------------
// Decoding

bool TChunkIDAT::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  SetName(ChunkName);
  TPNGObject* image = Owner();
  TChunkIHDR* header = image->Header();
  // A gAMA chunk may have come after the header.
  header->BuildGreyPalette();

  const Byte type = header->ColorType, depth = header->BitDepth;
  const Byte* gamma = image->GammaTable;
  bool identityGamma = true;
  for (int i = 0; i < 256 && identityGamma; ++i) identityGamma = gamma[i] == i;
  const Integer bpp = FilterDistance(type, depth);
  const Integer bytesPerSample = depth == 16 ? 2 : 1;
  // Palette indices are checked against the palette's entries.
  Integer paletteCount = 0;
  if (type == COLOR_PALETTE) {
    auto* plte = image->Chunks().Find<TChunkPLTE>();
    paletteCount = plte ? plte->Count() : 0;
  }

  // Grey and RGB images with a transparent colour get a mask in the alpha
  // plane, compared on the file's samples: colours that only coincide after
  // the gamma table or the 16-bit reduction stay opaque.
  const TChunktRNS* key = nullptr;
  Word keySample[3] = {0, 0, 0};
  if (type == COLOR_GRAYSCALE || type == COLOR_RGB) {
    key = image->Chunks().Find<TChunktRNS>();
    if (key) {
      if (Int64(header->BytesPerRow()) * header->Height + Int64(header->Width) * header->Height > kMaxImageBytes)
        Raise<EPNGOutMemory>();
      header->FAlpha.assign(size_t(header->Width) * size_t(header->Height), 255);
      for (int c = 0; c < 3; ++c) keySample[c] = key->TransparentSample(c);
    }
  }
  // Two-bit samples are held (and later written) as four-bit ones: grey
  // levels scale by 5 so that 0, 5, 10, 15 keep their brightness, palette
  // indices stay; the transparent grey follows its samples.
  if (depth == 2) {
    header->BitDepth = 4;
    if (key && type == COLOR_GRAYSCALE && key->DataSize() >= 2) {
      auto* writable = const_cast<TChunktRNS*>(key);
      writable->Data()[0] = 0;
      writable->Data()[1] = Byte((keySample[0] & 3) * 5);
    }
  }

  TIDATReader reader(Stream, Size);
  const Integer fullRow = RowBytes(type, depth, header->Width);
  std::vector<Byte> rowA(size_t(fullRow) + 1), rowB(size_t(fullRow) + 1);
  const bool interlaced = header->InterlaceMethod == 1;

  for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
    const Pass& pass = interlaced ? kAdam7[p] : kWhole;
    int cols = PassCount(header->Width, pass.Col, pass.ColStep);
    int rows = PassCount(header->Height, pass.Row, pass.RowStep);
    Integer rowBytes = RowBytes(type, depth, cols);
    if (rowBytes == 0 || rows == 0) continue;
    std::fill(rowA.begin(), rowA.end(), 0);
    std::fill(rowB.begin(), rowB.end(), 0);
    Byte* cur = rowA.data();
    Byte* prior = rowB.data();
    for (int r = 0; r < rows; ++r) {
      // cur[0] is the filter type, the row follows; prior[1..] is the row above.
      if (!reader.Read(cur, rowBytes + 1)) {
        reader.Finish();
        return true;  // the data ended early: keep the rows read so far
      }
      Unfilter(cur[0], cur + 1, prior + 1, rowBytes, bpp);
      const Byte* src = cur + 1;
      int y = pass.Row + r * pass.RowStep;
      Byte* dst = header->ScanLine(y);
      Byte* alpha = header->AlphaScanLine(y);

      if (type == COLOR_GRAYSCALE || type == COLOR_PALETTE) {
        if (type == COLOR_PALETTE) {
          for (int i = 0; i < cols; ++i) {
            Byte index = depth == 8 ? src[i] : GetPacked(src, i, depth);
            if (index >= paletteCount) throw EPngError("There is no such palette entry.");
          }
        }
        if (!interlaced && depth != 2 && depth != 16) {
          memcpy(dst, src, size_t(rowBytes));
        } else {
          for (int i = 0; i < cols; ++i) {
            int x = pass.Col + i * pass.ColStep;
            Byte v;
            if (depth == 16) v = src[i * 2];
            else if (depth == 8) v = src[i];
            else v = GetPacked(src, i, depth);
            if (depth == 2 && type == COLOR_GRAYSCALE) v = Byte(v * 5);
            int bits = header->DIBBits();
            if (bits == 8) dst[x] = v;
            else SetPacked(dst, x, bits, v);
          }
        }
        if (key && type == COLOR_GRAYSCALE) {
          for (int i = 0; i < cols; ++i) {
            Word sample = depth == 16 ? Word(src[i * 2] << 8 | src[i * 2 + 1])
                          : depth == 8 ? src[i] : GetPacked(src, i, depth);
            if (sample == keySample[0]) alpha[pass.Col + i * pass.ColStep] = 0;
          }
        }
      } else if (type == COLOR_RGB && depth == 8 && !interlaced && !key) {
        // The common case: RGB turned into the DIB's BGR, through the gamma
        // table only when it changes something.
        if (identityGamma) {
          for (int x = 0; x < cols; ++x, src += 3, dst += 3) {
            const Byte r = src[0], g = src[1], b = src[2];
            dst[0] = b;
            dst[1] = g;
            dst[2] = r;
          }
        } else {
          for (int x = 0; x < cols; ++x, src += 3, dst += 3) {
            const Byte r = src[0], g = src[1], b = src[2];
            dst[0] = gamma[b];
            dst[1] = gamma[g];
            dst[2] = gamma[r];
          }
        }
      } else if (type == COLOR_RGBALPHA && depth == 8 && !interlaced) {
        // The common case, without per-pixel decisions.
        for (int x = 0; x < cols; ++x, src += 4, dst += 3) {
          dst[0] = gamma[src[2]];
          dst[1] = gamma[src[1]];
          dst[2] = gamma[src[0]];
          alpha[x] = src[3];
        }
      } else if (type == COLOR_RGB || type == COLOR_RGBALPHA) {
        const int channels = type == COLOR_RGB ? 3 : 4;
        const int step = channels * bytesPerSample;
        for (int i = 0; i < cols; ++i) {
          int x = pass.Col + i * pass.ColStep;
          const Byte* s = src + i * step;
          Byte* d = dst + x * 3;
          d[0] = gamma[s[2 * bytesPerSample]];
          d[1] = gamma[s[bytesPerSample]];
          d[2] = gamma[s[0]];
          if (channels == 4) {
            alpha[x] = s[3 * bytesPerSample];
          } else if (key) {
            bool same = true;
            for (int c = 0; c < 3 && same; ++c) {
              Word sample = depth == 16 ? Word(s[c * 2] << 8 | s[c * 2 + 1]) : s[c];
              same = sample == keySample[c];
            }
            if (same) alpha[x] = 0;
          }
        }
      } else {  // grey with alpha: the grey byte is held without gamma
        const int step = 2 * bytesPerSample;
        for (int i = 0; i < cols; ++i) {
          int x = pass.Col + i * pass.ColStep;
          dst[x] = src[i * step];
          alpha[x] = src[i * step + bytesPerSample];
        }
      }
      std::swap(cur, prior);
    }
  }
  reader.Finish();
  return true;
}

// ---------------------------------------------------------------------------
// Encoding

namespace {

// Builds the raw (unfiltered) row y of the whole image width, as written.
void BuildRow(TPNGObject* Image, TChunkIHDR* Header, int y, Byte* Out) {
  const Byte type = Header->ColorType, depth = Header->BitDepth;
  const Byte* src = Header->ScanLine(y);
  const Byte* alpha = Header->AlphaScanLine(y);
  const Byte* inv = Image->InverseGamma;
  const Integer w = Header->Width;
  const bool wide = depth == 16;
  switch (type) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE:
      if (wide) {
        for (Integer x = 0; x < w; ++x) Out[x * 2] = src[x], Out[x * 2 + 1] = 0;
      } else {
        memcpy(Out, src, size_t(RowBytes(type, depth, w)));
      }
      break;
    case COLOR_RGB:
    case COLOR_RGBALPHA: {
      int channels = type == COLOR_RGB ? 3 : 4;
      int bs = wide ? 2 : 1;
      for (Integer x = 0; x < w; ++x) {
        Byte* o = Out + x * channels * bs;
        Byte v[4] = {inv[src[x * 3 + 2]], inv[src[x * 3 + 1]], inv[src[x * 3]], alpha ? alpha[x] : Byte(255)};
        for (int c = 0; c < channels; ++c) {
          o[c * bs] = v[c];
          if (wide) o[c * bs + 1] = 0;
        }
      }
      break;
    }
    case COLOR_GRAYSCALEALPHA:
      for (Integer x = 0; x < w; ++x) {
        if (wide) {
          Out[x * 4] = src[x], Out[x * 4 + 1] = 0, Out[x * 4 + 2] = alpha[x], Out[x * 4 + 3] = 0;
        } else {
          Out[x * 2] = src[x], Out[x * 2 + 1] = alpha[x];
        }
      }
      break;
  }

  // With a transparent colour, pixels of the mask are written as exactly that
  // colour and no other pixel is; only 16-bit and RGB samples can differ.
  auto* key = Image->Chunks().Find<TChunktRNS>();
  if (!key || !alpha || (type != COLOR_RGB && !(type == COLOR_GRAYSCALE && wide))) return;
  const int channels = type == COLOR_RGB ? 3 : 1;
  const int bs = wide ? 2 : 1;
  for (Integer x = 0; x < w; ++x) {
    Byte* o = Out + x * channels * bs;
    bool same = true;
    for (int c = 0; c < channels; ++c) {
      Word k = key->TransparentSample(c);
      if (alpha[x] == 0) {
        if (wide) o[c * bs] = Byte(k >> 8), o[c * bs + 1] = Byte(k);
        else o[c] = Byte(k);
      }
      Word v = wide ? Word(o[c * bs] << 8 | o[c * bs + 1]) : o[c];
      same = same && v == k;
    }
    // An opaque pixel that would read back as the transparent colour (after
    // the 16-bit reduction or the gamma table) moves by one unit.
    if (alpha[x] != 0 && same) o[channels * bs - 1] = Byte(o[channels * bs - 1] ^ 1);
  }
}

// Number of positions j (2 .. n-1) where a byte repeats one of the two before.
Integer Score(const Byte* Row, Integer Count) {
  Integer score = 0;
  for (Integer j = 2; j < Count; ++j)
    if (Row[j] == Row[j - 1] || Row[j] == Row[j - 2]) ++score;
  return score;
}

class TIDATWriter {
 public:
  TIDATWriter(TStream* Stream, Integer Limit, int Level) : FStream(Stream), FOut(size_t(Limit)) {
    memset(&FZ, 0, sizeof(FZ));
    int rc = deflateInit_(&FZ, Level, ZLIB_VERSION, int(sizeof(z_stream)));
    if (rc != Z_OK) RaiseZLibError(rc);
    FZ.next_out = FOut.data();
    FZ.avail_out = uInt(FOut.size());
  }
  ~TIDATWriter() { deflateEnd(&FZ); }

  void Write(const Byte* Data, Integer Count, int Flush = Z_NO_FLUSH) {
    FZ.next_in = const_cast<Byte*>(Data);
    FZ.avail_in = uInt(Count);
    for (;;) {
      int rc = deflate(&FZ, Flush);
      if (rc < 0 && rc != Z_BUF_ERROR) RaiseZLibError(rc);
      if (FZ.avail_out == 0) {
        // A full buffer is one IDAT chunk of exactly the limit.
        WriteChunk(FStream, "IDAT", FOut.data(), Cardinal(FOut.size()));
        FZ.next_out = FOut.data();
        FZ.avail_out = uInt(FOut.size());
        FChunks++;
        continue;
      }
      if (Flush == Z_FINISH ? rc == Z_STREAM_END : FZ.avail_in == 0) break;
    }
  }

  void Finish() {
    Write(nullptr, 0, Z_FINISH);
    Cardinal rest = Cardinal(FOut.size() - FZ.avail_out);
    if (rest > 0 || FChunks == 0) WriteChunk(FStream, "IDAT", FOut.data(), rest);
  }

 private:
  TStream* FStream;
  std::vector<Byte> FOut;
  z_stream FZ;
  int FChunks = 0;
};

}  // namespace

bool TChunkIDAT::WriteTo(TStream* Stream) {
  TPNGObject* image = Owner();
  TChunkIHDR* header = image->Header();
  // The header was written just before; two-bit images are written as four.
  if (header->BitDepth == 2) header->BitDepth = 4;
  const Byte type = header->ColorType, depth = header->BitDepth;
  const Integer bpp = FilterDistance(type, depth);
  const Integer pixelBits = Integer(RowBytes(type, depth, 8));  // bits per pixel
  const Integer fullRow = RowBytes(type, depth, header->Width);
  const TFilters filters = image->WriteFilters;

  std::vector<Byte> line(size_t(fullRow) + 1), raw(size_t(fullRow) + 1), prior(size_t(fullRow) + 1);
  std::vector<Byte> candidates[5];
  for (auto& c : candidates) c.resize(size_t(fullRow) + 1);

  TIDATWriter writer(Stream, image->IDATChunkLimit(), image->DeflateLevel);
  const bool interlaced = image->InterlaceMode == 1;
  for (int p = 0; p < (interlaced ? 7 : 1); ++p) {
    const Pass& pass = interlaced ? kAdam7[p] : kWhole;
    int cols = PassCount(header->Width, pass.Col, pass.ColStep);
    int rows = PassCount(header->Height, pass.Row, pass.RowStep);
    Integer rowBytes = RowBytes(type, depth, cols);
    if (rowBytes == 0 || rows == 0) continue;
    std::fill(prior.begin(), prior.end(), 0);
    for (int r = 0; r < rows; ++r) {
      int y = pass.Row + r * pass.RowStep;
      BuildRow(image, header, y, line.data());
      if (!interlaced) {
        memcpy(raw.data(), line.data(), size_t(rowBytes));
      } else if (pixelBits >= 8) {
        int bytes = pixelBits / 8;
        for (int i = 0; i < cols; ++i)
          memcpy(raw.data() + i * bytes, line.data() + (pass.Col + i * pass.ColStep) * bytes, size_t(bytes));
      } else {
        std::fill(raw.begin(), raw.begin() + rowBytes, 0);
        for (int i = 0; i < cols; ++i)
          SetPacked(raw.data(), i, pixelBits, GetPacked(line.data(), pass.Col + i * pass.ColStep, pixelBits));
      }

      // Choose the filter: a lone filter is taken at once; otherwise the
      // candidate with the most repeated bytes wins (earlier wins ties).
      Byte chosen = pfNone;
      if (filters != 0 && filters != FilterSet(pfNone)) {
        Integer best = 0;
        for (Byte f = pfNone; f <= pfPaeth; ++f) {
          if (!(filters & FilterSet(TFilter(f)))) continue;
          Filter(f, raw.data(), prior.data(), candidates[f].data(), rowBytes, bpp);
          if (filters == FilterSet(TFilter(f))) {
            chosen = f;
            break;
          }
          Integer s = Score(candidates[f].data(), rowBytes);
          if (s > best) best = s, chosen = f;
        }
      }
      if (chosen == pfNone) memcpy(candidates[pfNone].data(), raw.data(), size_t(rowBytes));
      Byte tag = chosen;
      writer.Write(&tag, 1);
      writer.Write(candidates[chosen].data(), rowBytes);
      std::swap(raw, prior);
    }
  }
  writer.Finish();
  return true;
}

// ---------------------------------------------------------------------------
// Transparency, pixels, drawing, resizing

TPNGTransparencyMode TPNGObject::TransparencyMode() const {
  if (Empty()) return ptmNone;
  TChunk* first = FChunks.Items(0);
  if (!first || first->ClassType() != TChunkIHDR::StaticClass()) return ptmNone;
  auto* header = static_cast<TChunkIHDR*>(first);
  auto* trns = FChunks.Find<TChunktRNS>();
  switch (header->ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_RGB: return trns ? ptmBit : ptmNone;
    case COLOR_PALETTE:
      if (!trns) return ptmNone;
      return trns->BitTransparency ? ptmBit : ptmPartial;
    default: return ptmPartial;
  }
}

namespace {
// A grey sample or palette index as held in the DIB row.
inline Byte HeldIndex(const TChunkIHDR* Header, const Byte* Row, Integer X) {
  int bits = Header->DIBBits();
  return bits == 8 ? Row[X] : GetPacked(Row, X, bits);
}
// The transparent grey sample of a tRNS value, in held form.
inline Byte HeldGrey(const TChunkIHDR* Header, Word Value) {
  switch (Header->BitDepth) {
    case 16: return Byte(Value >> 8);
    case 2: return Byte((Value & 3) * 5);
    default: return Byte(Value);
  }
}
}  // namespace

COLORREF TPNGObject::TransparentColor() const {
  auto* trns = FChunks.Find<TChunktRNS>();
  TChunk* first = FChunks.Items(0);
  if (!trns || !first || first->ClassType() != TChunkIHDR::StaticClass()) return 0;
  auto* header = static_cast<TChunkIHDR*>(first);
  const auto& table = header->ColorTable();
  switch (header->ColorType) {
    case COLOR_GRAYSCALE: {
      Byte i = HeldGrey(header, trns->TransparentSample(0));
      if (i >= table.size()) return 0;
      return RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
    }
    case COLOR_RGB: {
      // Samples are held by their high byte at depth 16.
      int shift = header->BitDepth == 16 ? 8 : 0;
      return RGB(GammaTable[Byte(trns->TransparentSample(0) >> shift)],
                 GammaTable[Byte(trns->TransparentSample(1) >> shift)],
                 GammaTable[Byte(trns->TransparentSample(2) >> shift)]);
    }
    case COLOR_PALETTE:
      for (size_t i = 0; i < table.size(); ++i)
        if (trns->PaletteValues[i] == 0) return RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
      return 0;
  }
  return 0;
}

COLORREF TPNGObject::Pixels(Integer X, Integer Y) const {
  TChunk* first = FChunks.Items(0);
  if (!first || first->ClassType() != TChunkIHDR::StaticClass()) return 0;
  auto* header = static_cast<TChunkIHDR*>(first);
  if (X < 0 || Y < 0 || X >= header->Width || Y >= header->Height || !header->ImageData()) return 0;
  const Byte* row = header->ScanLine(Y);
  switch (header->ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE: {
      // The colour table already went through the gamma table.
      const auto& table = header->ColorTable();
      Byte i = HeldIndex(header, row, X);
      return i < table.size() ? RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue) : 0;
    }
    case COLOR_GRAYSCALEALPHA: return RGB(row[X], row[X], row[X]);
    default: return RGB(row[X * 3 + 2], row[X * 3 + 1], row[X * 3]);
  }
}

void TPNGObject::SetPixels(Integer X, Integer Y, COLORREF Value) {
  TChunk* first = FChunks.Items(0);
  if (!first || first->ClassType() != TChunkIHDR::StaticClass()) return;
  auto* header = static_cast<TChunkIHDR*>(first);
  if (X < 0 || Y < 0 || X >= header->Width || Y >= header->Height || !header->ImageData()) return;
  Byte* row = header->ScanLine(Y);
  Byte r = GetRValue(Value), g = GetGValue(Value), b = GetBValue(Value);
  switch (header->ColorType) {
    case COLOR_GRAYSCALE:
    case COLOR_PALETTE: {
      const auto& table = header->ColorTable();
      size_t best = 0;
      long bestDist = 0x7FFFFFFF;
      for (size_t i = 0; i < table.size(); ++i) {
        long dr = long(table[i].rgbRed) - r, dg = long(table[i].rgbGreen) - g, db = long(table[i].rgbBlue) - b;
        long dist = dr * dr + dg * dg + db * db;
        if (dist < bestDist) bestDist = dist, best = i;
      }
      if (header->DIBBits() == 8) row[X] = Byte(best);
      else SetPacked(row, X, header->DIBBits(), Byte(best));
      break;
    }
    case COLOR_GRAYSCALEALPHA: row[X] = r; break;
    default:
      row[X * 3] = b;
      row[X * 3 + 1] = g;
      row[X * 3 + 2] = r;
  }
}

void TPNGObject::Draw(HDC DC, const RECT& Rect) {
  if (Empty()) return;
  TChunkIHDR* header = Header();
  if (!header->ImageData()) return;
  TPNGTransparencyMode mode = TransparencyMode();
  if (mode == ptmNone) {
    int old = SetStretchBltMode(DC, COLORONCOLOR);
    StretchBlt(DC, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, header->ImageDC(), 0, 0,
               header->Width, header->Height, SRCCOPY);
    SetStretchBltMode(DC, old);
    return;
  }

  // Transparent colour and per-pixel alpha are both drawn by blending onto a
  // copy of the destination: alpha 0 keeps it, 255 replaces it.
  RECT r = Rect;
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  if (Int64(w) * h * 4 > kMaxImageBytes) Raise<EPNGOutMemory>();

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC mem = CreateCompatibleDC(DC);
  void* bits = nullptr;
  HBITMAP dib = mem ? CreateDIBSection(mem, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (!mem || !dib || !bits) {
    if (dib) DeleteObject(dib);
    if (mem) DeleteDC(mem);
    Raise<EPNGOutMemory>();
  }
  HGDIOBJ oldBitmap = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, w, h, DC, r.left, r.top, SRCCOPY);
  GdiFlush();

  const auto* trns = FChunks.Find<TChunktRNS>();
  const auto& table = header->ColorTable();
  const Byte type = header->ColorType;
  // The transparent sample for grey and RGB images in held form.
  Byte greyKey = 0;
  COLORREF rgbKey = 0;
  if (trns && type == COLOR_GRAYSCALE) greyKey = HeldGrey(header, trns->TransparentSample(0));
  if (trns && type == COLOR_RGB) rgbKey = TransparentColor();

  const Int64 iw = header->Width, ih = header->Height;
  std::vector<int> srcX(static_cast<size_t>(w));
  for (int x = 0; x < w; ++x) srcX[x] = int(Int64(x) * iw / w);
  for (int y = 0; y < h; ++y) {
    int sy = int(Int64(y) * ih / h);
    const Byte* row = header->ScanLine(sy);
    const Byte* alphaRow = header->AlphaScanLine(sy);
    Byte* out = static_cast<Byte*>(bits) + size_t(y) * size_t(w) * 4;
    for (int x = 0; x < w; ++x, out += 4) {
      int sx = srcX[x];
      Byte cr, cg, cb, a;
      switch (type) {
        case COLOR_GRAYSCALE:
        case COLOR_PALETTE: {
          Byte i = HeldIndex(header, row, sx);
          const TPNGColor& q = table[i < table.size() ? i : 0];
          cr = q.rgbRed, cg = q.rgbGreen, cb = q.rgbBlue;
          if (type == COLOR_PALETTE) a = trns ? trns->PaletteValues[i] : 255;
          else if (alphaRow) a = alphaRow[sx];
          else a = trns && i == greyKey ? 0 : 255;
          break;
        }
        case COLOR_GRAYSCALEALPHA: {
          const TPNGColor& q = table[row[sx]];
          cr = q.rgbRed, cg = q.rgbGreen, cb = q.rgbBlue;
          a = alphaRow[sx];
          break;
        }
        default:
          cb = row[sx * 3], cg = row[sx * 3 + 1], cr = row[sx * 3 + 2];
          if (alphaRow) a = alphaRow[sx];
          else a = RGB(cr, cg, cb) == rgbKey ? 0 : 255;
      }
      out[0] = Byte((cb * a + (255 - a) * out[0] + 255) >> 8);
      out[1] = Byte((cg * a + (255 - a) * out[1] + 255) >> 8);
      out[2] = Byte((cr * a + (255 - a) * out[2] + 255) >> 8);
    }
  }
  BitBlt(DC, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldBitmap);
  DeleteObject(dib);
  DeleteDC(mem);
}

void TPNGObject::Resize(Integer CX, Integer CY) {
  if (CX < 1 || CY < 1) Raise<EPNGInvalidNewSize>();
  TChunkIHDR* header = Header();
  Integer oldW = header->Width, oldH = header->Height;
  // Keep the old pixels while the new image is made.
  std::vector<Byte> oldPixels;
  Integer oldStride = header->BytesPerRow();
  if (header->ImageData()) {
    oldPixels.resize(size_t(oldStride) * size_t(oldH));
    for (Integer y = 0; y < oldH; ++y) memcpy(&oldPixels[size_t(y) * oldStride], header->ScanLine(y), oldStride);
  }
  std::vector<Byte> oldAlpha = header->FAlpha;
  std::vector<TPNGColor> table = header->ColorTable();

  header->Width = CX;
  header->Height = CY;
  try {
    header->PrepareImageData();
  } catch (...) {
    header->Width = oldW;
    header->Height = oldH;
    throw;
  }
  if (!table.empty()) header->SetColorTable(table);
  Integer rows = std::min(oldH, CY);
  Integer bytes = std::min(oldStride, header->BytesPerRow());
  if (!oldPixels.empty())
    for (Integer y = 0; y < rows; ++y) memcpy(header->ScanLine(y), &oldPixels[size_t(y) * oldStride], bytes);
  if (!header->FAlpha.empty()) {
    std::fill(header->FAlpha.begin(), header->FAlpha.end(), 255);
    Integer cols = std::min(oldW, CX);
    if (!oldAlpha.empty())
      for (Integer y = 0; y < rows; ++y)
        memcpy(&header->FAlpha[size_t(y) * CX], &oldAlpha[size_t(y) * oldW], size_t(cols));
  }
}
