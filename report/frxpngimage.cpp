// PNG picture: the chunk container, the chunk classes and their registry,
// reading and writing files, assignment from bitmaps. Pixel data (decoding,
// encoding, drawing, pixel access, resizing) is in frxpngimagePixels.cpp.
#include "frxpngimage.h"

#include <windows.h>

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "Streams.h"
#include "frxGZip.h"
#include "frxpngimageInternal.h"

TOVANI_IMPLEMENT_CLASS(EPngError, Exception)
TOVANI_IMPLEMENT_CLASS(EPngInvalidCRC, Exception)
TOVANI_IMPLEMENT_CLASS(EPngInvalidIHDR, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGMissingMultipleIDAT, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGZLIBError, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGInvalidPalette, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGInvalidFileHeader, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGIHDRNotFirst, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGSizeExceeds, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGUnknownCriticalChunk, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGUnknownCompression, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGUnknownInterlace, Exception)
TOVANI_IMPLEMENT_CLASS(EPngUnexpectedEnd, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGNoImageData, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGOutMemory, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGHeaderNotPresent, Exception)
TOVANI_IMPLEMENT_CLASS(EPNGInvalidNewSize, Exception)

TOVANI_IMPLEMENT_CLASS(TPNGPointerList, TObject)
TOVANI_IMPLEMENT_CLASS(TPNGList, TPNGPointerList)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunk, TObject)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunkIEND, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunkIHDR, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunkIDAT, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunkPLTE, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunkgAMA, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunktRNS, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunkpHYs, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunktIME, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunktEXt, TChunk)
TOVANI_IMPLEMENT_CLASS_FACTORY(TChunkzTXt, TChunktEXt)
TOVANI_IMPLEMENT_CLASS_FACTORY(TPNGObject, TGraphic)

const char* const EPNGZLIBErrorText = "Could not decompress the image because it contains invalid compressed data.";

namespace png_internal {

const char* ErrorText(TClass Kind) {
  struct Entry {
    TClass Kind;
    const char* Text;
  };
  static const Entry kTexts[] = {
      {EPngInvalidCRC::StaticClass(),
       "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of data (crc error)"},
      {EPngInvalidIHDR::StaticClass(),
       "The \"Portable Network Graphics\" image could not be loaded because one of its main piece of data (ihdr) might be corrupted"},
      {EPNGMissingMultipleIDAT::StaticClass(),
       "This \"Portable Network Graphics\" image is invalid because it has missing image parts."},
      {EPNGInvalidPalette::StaticClass(),
       "The \"Portable Network Graphics\" image contains an invalid palette."},
      {EPNGInvalidFileHeader::StaticClass(),
       "The file being readed is not a valid \"Portable Network Graphics\" image because it contains an invalid header. This file may be corruped, try obtaining it again."},
      {EPNGIHDRNotFirst::StaticClass(),
       "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n(IHDR chunk is not the first)"},
      {EPNGSizeExceeds::StaticClass(),
       "This \"Portable Network Graphics\" image is not supported because either it's width or height exceeds the maximum size, which is 65535 pixels length."},
      {EPNGUnknownCriticalChunk::StaticClass(),
       "This \"Portable Network Graphics\" image contains an unknown critical part which could not be decoded."},
      {EPNGUnknownCompression::StaticClass(),
       "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which could not be decoded."},
      {EPNGUnknownInterlace::StaticClass(),
       "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be decoded."},
      {EPngUnexpectedEnd::StaticClass(),
       "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end of the file."},
      {EPNGNoImageData::StaticClass(), "This \"Portable Network Graphics\" image contains no data."},
      {EPNGOutMemory::StaticClass(),
       "Some operation could not be performed because the system is out of resources. Close some windows and try again."},
      {EPNGHeaderNotPresent::StaticClass(),
       "This operation is not valid because the current image contains no valid header."},
      {EPNGInvalidNewSize::StaticClass(), "The new size provided for image resizing is invalid."},
  };
  for (const Entry& e : kTexts)
    if (e.Kind == Kind) return e.Text;
  return "";
}

[[noreturn]] void RaiseZLibError(int Code) {
  static const char* const kTexts[] = {"need dictionary (2)", "stream end (1)",     "(0)",
                                       "file error (-1)",     "stream error (-2)",  "data error (-3)",
                                       "insufficient memory (-4)", "buffer error (-5)",
                                       "incompatible version (-6)"};
  int index = 2 - Code;
  const char* text = index >= 0 && index < 9 ? kTexts[index] : "";
  throw EPNGZLIBError(String(EPNGZLIBErrorText) + "\r\n Description: " + text);
}

void ReadExact(TStream* Stream, void* Buffer, Integer Count) {
  if (Count > 0 && Stream->Read(Buffer, Count) != Count) Raise<EPngUnexpectedEnd>();
}

Cardinal ReadBE32(TStream* Stream) {
  Byte b[4];
  ReadExact(Stream, b, 4);
  return GetBE32(b);
}

void CheckChunkLength(TStream* Stream, Cardinal Size) {
  // A length that runs past the end of the data (or beyond the format's
  // limit) is refused before anything is allocated for it.
  if (Size > 0x7FFFFFFFu) Raise<EPngUnexpectedEnd>();
  Int64 left = Stream->Size() - Stream->Position();
  if (Int64(Size) + 4 > left) Raise<EPngUnexpectedEnd>();
}

void WriteChunk(TStream* Stream, const char Type[4], const Byte* Data, Cardinal Size) {
  Byte head[8];
  PutBE32(head, Size);
  memcpy(head + 4, Type, 4);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(Type), 4);
  if (Size) crc = crc32(crc, Data, Size);
  Byte tail[4];
  PutBE32(tail, Cardinal(crc));
  Stream->WriteBuffer(head, 8);
  if (Size) Stream->WriteBuffer(Data, Integer(Size));
  Stream->WriteBuffer(tail, 4);
}

}  // namespace png_internal

using namespace png_internal;

// ---------------------------------------------------------------------------
// Lists

void* TPNGPointerList::Remove(void* Value) {
  for (size_t i = FItems.size(); i-- > 0;) {
    if (FItems[i] == Value) {
      FItems.erase(FItems.begin() + i);
      FItems.shrink_to_fit();
      return Value;
    }
  }
  return nullptr;
}

TChunk* TPNGList::ItemFromClass(TClass ChunkClass) const {
  for (Cardinal i = 0; i < Count(); ++i)
    if (Items(i) && Items(i)->InheritsFrom(ChunkClass)) return Items(i);
  return nullptr;
}

// ---------------------------------------------------------------------------
// Chunk registry

namespace {
std::vector<TClass>& ChunkClasses() {
  static std::vector<TClass> list = {
      TChunkIEND::StaticClass(), TChunkIHDR::StaticClass(), TChunkIDAT::StaticClass(),
      TChunkPLTE::StaticClass(), TChunkgAMA::StaticClass(), TChunktRNS::StaticClass(),
      TChunkpHYs::StaticClass(), TChunktIME::StaticClass(), TChunktEXt::StaticClass(),
      TChunkzTXt::StaticClass()};
  return list;
}
String TypeOfClass(TClass c) { return String(c->Name).substr(6); }
}  // namespace

void frxRegisterChunkClass(TClass ChunkClass) {
  auto& list = ChunkClasses();
  for (TClass c : list)
    if (c == ChunkClass) return;
  list.push_back(ChunkClass);
}

TChunk* frxCreateChunk(TPNGObject* Owner, const String& ChunkName) {
  TChunk* chunk = nullptr;
  for (TClass c : ChunkClasses()) {
    if (c->Factory && TypeOfClass(c) == ChunkName) {
      chunk = static_cast<TChunk*>(c->Factory());
      break;
    }
  }
  if (!chunk) chunk = new TChunk();
  chunk->SetOwner(Owner);
  chunk->SetName(ChunkName);
  return chunk;
}

// ---------------------------------------------------------------------------
// TChunk

TChunk::TChunk() : FData(1, 0) {}

void TChunk::SetName(const String& Type) {
  for (int i = 0; i < 4; ++i) FName[i] = i < int(Type.size()) ? Type[i] : ' ';
}

String TChunk::ChunkName() const {
  if (ClassType() == TChunk::StaticClass()) return String(FName, 4);
  return TypeOfClass(ClassType());
}

void TChunk::ResizeData(Cardinal Size) {
  FData.assign(size_t(Size) + 1, 0);
  FDataSize = Size;
}

void TChunk::CopyFrom(TChunk* Source) {
  memcpy(FName, Source->FName, 4);
  FData = Source->FData;
  FDataSize = Source->FDataSize;
}

bool TChunk::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  CheckChunkLength(Stream, Size);
  SetName(ChunkName);
  ResizeData(Size);
  ReadExact(Stream, FData.data(), Integer(Size));
  Cardinal stored = ReadBE32(Stream);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(FName), 4);
  if (Size) crc = crc32(crc, FData.data(), Size);
  if (Cardinal(crc) != stored) Raise<EPngInvalidCRC>();
  return true;
}

bool TChunk::SaveData(TStream* Stream) {
  String name = ChunkName();
  char type[4];
  for (int i = 0; i < 4; ++i) type[i] = i < int(name.size()) ? name[i] : ' ';
  WriteChunk(Stream, type, FData.data(), FDataSize);
  return true;
}

bool TChunk::WriteTo(TStream* Stream) { return SaveData(Stream); }

bool TChunkIEND::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  TChunk::ReadFrom(Stream, ChunkName, Size);
  return false;  // ends the chunk loop
}

// ---------------------------------------------------------------------------
// IHDR

TChunkIHDR::TChunkIHDR() = default;
TChunkIHDR::~TChunkIHDR() { FreeImageData(); }

bool TChunkIHDR::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  TChunk::ReadFrom(Stream, ChunkName, Size);
  if (Size < 13) Raise<EPngInvalidIHDR>();
  Cardinal w = GetBE32(FData.data()), h = GetBE32(FData.data() + 4);
  if (w > 65535 || h > 65535) Raise<EPNGSizeExceeds>();
  if (w == 0 || h == 0) Raise<EPngInvalidIHDR>();
  Width = Integer(w);
  Height = Integer(h);
  BitDepth = FData[8];
  ColorType = FData[9];
  CompressionMethod = FData[10];
  FilterMethod = FData[11];
  InterlaceMethod = FData[12];
  if (CompressionMethod != 0) Raise<EPNGUnknownCompression>();
  if (InterlaceMethod > 1) Raise<EPNGUnknownInterlace>();
  // Only the combinations of the PNG format have a row decoder.
  bool valid = false;
  switch (ColorType) {
    case COLOR_GRAYSCALE: valid = BitDepth == 1 || BitDepth == 2 || BitDepth == 4 || BitDepth == 8 || BitDepth == 16; break;
    case COLOR_PALETTE: valid = BitDepth == 1 || BitDepth == 2 || BitDepth == 4 || BitDepth == 8; break;
    case COLOR_RGB:
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA: valid = BitDepth == 8 || BitDepth == 16; break;
  }
  if (!valid) Raise<EPngInvalidIHDR>();
  // The image data that follow must be able to hold the declared picture:
  // deflate expands at most about 1032:1, so a few bytes declaring a huge
  // picture are refused before anything is allocated for it.
  Int64 left = Stream->Size() - Stream->Position();
  if (left < 12) Raise<EPngUnexpectedEnd>();  // not even one more chunk
  if (ImageDataSize(ColorType, BitDepth, Width, Height, InterlaceMethod == 1) > frxInflatedSizeLimit(left))
    Raise<EPNGSizeExceeds>();
  Owner()->InterlaceMode = InterlaceMethod;
  PrepareImageData();
  return true;
}

bool TChunkIHDR::WriteTo(TStream* Stream) {
  // Two-bit images are held with four-bit samples and written that way.
  if (BitDepth == 2) BitDepth = 4;
  InterlaceMethod = Owner()->InterlaceMode;
  ResizeData(13);
  PutBE32(FData.data(), Cardinal(Width));
  PutBE32(FData.data() + 4, Cardinal(Height));
  FData[8] = BitDepth;
  FData[9] = ColorType;
  FData[10] = CompressionMethod;
  FData[11] = FilterMethod;
  FData[12] = InterlaceMethod;
  return SaveData(Stream);
}

void TChunkIHDR::CopyFrom(TChunk* Source) {
  auto* src = dynamic_cast<TChunkIHDR*>(Source);
  if (!src) throw EPngError("The chunks must be compatible to be assigned.");
  TChunk::CopyFrom(Source);
  Width = src->Width;
  Height = src->Height;
  BitDepth = src->BitDepth;
  ColorType = src->ColorType;
  CompressionMethod = src->CompressionMethod;
  FilterMethod = src->FilterMethod;
  InterlaceMethod = src->InterlaceMethod;
  FreeImageData();
  if (!src->FImageData) return;
  PrepareImageData();
  memcpy(FImageData, src->FImageData, size_t(FBytesPerRow) * size_t(Height));
  FAlpha = src->FAlpha;
  SetColorTable(src->FColorTable);
}

// ---------------------------------------------------------------------------
// PLTE

void TChunkPLTE::CopyFrom(TChunk* Source) {
  auto* src = dynamic_cast<TChunkPLTE*>(Source);
  if (!src) throw EPngError("The chunks must be compatible to be assigned.");
  TChunk::CopyFrom(Source);
  FCount = src->FCount;
}

bool TChunkPLTE::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  TChunk::ReadFrom(Stream, ChunkName, Size);
  if (Size % 3 != 0 || Size / 3 > 256) Raise<EPNGInvalidPalette>();
  FCount = Integer(Size / 3);
  TPNGObject* image = Owner();
  TChunkIHDR* header = image->Header();
  std::vector<TPNGColor> table = header->ColorTable();
  for (Integer i = 0; i < FCount && i < Integer(table.size()); ++i) {
    table[i].rgbRed = image->GammaTable[FData[i * 3]];
    table[i].rgbGreen = image->GammaTable[FData[i * 3 + 1]];
    table[i].rgbBlue = image->GammaTable[FData[i * 3 + 2]];
    table[i].rgbReserved = 0;
  }
  header->SetColorTable(table);
  return true;
}

bool TChunkPLTE::WriteTo(TStream* Stream) {
  TPNGObject* image = Owner();
  const auto& table = image->Header()->ColorTable();
  if (FCount == 0) FCount = Integer(table.size());
  Integer n = std::min<Integer>(FCount, Integer(table.size()));
  ResizeData(Cardinal(n * 3));
  for (Integer i = 0; i < n; ++i) {
    FData[i * 3] = image->InverseGamma[table[i].rgbRed];
    FData[i * 3 + 1] = image->InverseGamma[table[i].rgbGreen];
    FData[i * 3 + 2] = image->InverseGamma[table[i].rgbBlue];
  }
  return SaveData(Stream);
}

TPNGColor TChunkPLTE::GetPaletteItem(Byte Index) const {
  if (Index >= FCount) throw EPngError("There is no such palette entry.");
  // The entries as read (a palette may list more colours than the image's
  // bit depth can index), through the gamma table like the image's colours.
  const Byte* gamma = Owner()->GammaTable;
  if (Cardinal(Index) * 3 + 3 <= FDataSize)
    return TPNGColor{gamma[FData[Index * 3 + 2]], gamma[FData[Index * 3 + 1]], gamma[FData[Index * 3]], 0};
  const auto& table = Owner()->Header()->ColorTable();
  return Index < table.size() ? table[Index] : TPNGColor{0, 0, 0, 0};
}

// ---------------------------------------------------------------------------
// gAMA

void TChunkgAMA::CopyFrom(TChunk* Source) {
  auto* src = dynamic_cast<TChunkgAMA*>(Source);
  if (!src) throw EPngError("The chunks must be compatible to be assigned.");
  TChunk::CopyFrom(Source);
  Gamma = src->Gamma;
}

bool TChunkgAMA::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  TChunk::ReadFrom(Stream, ChunkName, Size);
  if (Size >= 4) Gamma = GetBE32(FData.data());
  if (Gamma != 0) Owner()->BuildGammaTables(Gamma);
  return true;
}

bool TChunkgAMA::WriteTo(TStream* Stream) {
  ResizeData(4);
  PutBE32(FData.data(), Gamma);
  return SaveData(Stream);
}

// ---------------------------------------------------------------------------
// tRNS

TChunktRNS::TChunktRNS() { memset(PaletteValues, 255, sizeof(PaletteValues)); }

void TChunktRNS::CopyFrom(TChunk* Source) {
  TChunk::CopyFrom(Source);
  if (auto* src = dynamic_cast<TChunktRNS*>(Source)) {
    memcpy(PaletteValues, src->PaletteValues, sizeof(PaletteValues));
    BitTransparency = src->BitTransparency;
  }
}

bool TChunktRNS::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  if (Size > 256) Raise<EPNGInvalidPalette>();
  TChunk::ReadFrom(Stream, ChunkName, Size);
  memset(PaletteValues, 255, sizeof(PaletteValues));
  TChunkIHDR* header = Owner()->Header();
  // A grey key needs one 16-bit sample, an RGB key three; a shorter chunk
  // names no colour and is left out, as readers of the format do.
  if ((header->ColorType == COLOR_GRAYSCALE && Size < 2) || (header->ColorType == COLOR_RGB && Size < 6)) {
    FIgnored = true;
    return true;
  }
  if (header->ColorType == COLOR_PALETTE) {
    memcpy(PaletteValues, FData.data(), Size);
    // One colour fully transparent and every other one opaque can be drawn
    // with a mask; any other alpha needs blending.
    int notOpaque = 0, clear = 0;
    for (Cardinal i = 0; i < Size; ++i) {
      if (PaletteValues[i] != 255) ++notOpaque;
      if (PaletteValues[i] == 0) ++clear;
    }
    BitTransparency = notOpaque == 1 && clear == 1;
  } else {
    BitTransparency = true;
  }
  return true;
}

bool TChunktRNS::WriteTo(TStream* Stream) { return SaveData(Stream); }

Word TChunktRNS::TransparentSample(int Channel) const {
  Cardinal at = Cardinal(Channel) * 2;
  if (at + 2 > FDataSize) return 0;
  return Word(FData[at] << 8 | FData[at + 1]);
}

// ---------------------------------------------------------------------------
// pHYs, tIME, tEXt, zTXt

void TChunkpHYs::CopyFrom(TChunk* Source) {
  TChunk::CopyFrom(Source);
  if (auto* src = dynamic_cast<TChunkpHYs*>(Source)) {
    PPUnitX = src->PPUnitX;
    PPUnitY = src->PPUnitY;
    UnitType = src->UnitType;
  }
}

bool TChunkpHYs::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  TChunk::ReadFrom(Stream, ChunkName, Size);
  if (Size == 9) {
    PPUnitX = GetBE32(FData.data());
    PPUnitY = GetBE32(FData.data() + 4);
    UnitType = FData[8];
  }
  return true;
}

bool TChunkpHYs::WriteTo(TStream* Stream) {
  ResizeData(9);
  PutBE32(FData.data(), PPUnitX);
  PutBE32(FData.data() + 4, PPUnitY);
  FData[8] = UnitType;
  return SaveData(Stream);
}

void TChunktIME::CopyFrom(TChunk* Source) {
  TChunk::CopyFrom(Source);
  if (auto* src = dynamic_cast<TChunktIME*>(Source)) {
    Year = src->Year;
    Month = src->Month;
    Day = src->Day;
    Hour = src->Hour;
    Minute = src->Minute;
    Second = src->Second;
  }
}

bool TChunktIME::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  TChunk::ReadFrom(Stream, ChunkName, Size);
  if (Size == 7) {
    Year = Word(FData[0] << 8 | FData[1]);
    Month = FData[2];
    Day = FData[3];
    Hour = FData[4];
    Minute = FData[5];
    Second = FData[6];
  }
  return true;
}

bool TChunktIME::WriteTo(TStream* Stream) {
  ResizeData(7);
  FData[0] = Byte(Year >> 8);
  FData[1] = Byte(Year);
  FData[2] = Month;
  FData[3] = Day;
  FData[4] = Hour;
  FData[5] = Minute;
  FData[6] = Second;
  return SaveData(Stream);
}

void TChunktEXt::CopyFrom(TChunk* Source) {
  TChunk::CopyFrom(Source);
  if (auto* src = dynamic_cast<TChunktEXt*>(Source)) {
    Keyword = src->Keyword;
    Text = src->Text;
  }
}

bool TChunktEXt::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  TChunk::ReadFrom(Stream, ChunkName, Size);
  if (Size > 2) {
    const char* p = reinterpret_cast<const char*>(FData.data());
    size_t key = strnlen(p, Size);
    Keyword.assign(p, key);
    Text = key < Size ? String(p + key + 1, Size - key - 1) : String();
  }
  return true;
}

bool TChunktEXt::WriteTo(TStream* Stream) {
  ResizeData(Cardinal(Keyword.size() + 1 + Text.size()));
  memcpy(FData.data(), Keyword.data(), Keyword.size());
  FData[Keyword.size()] = 0;
  memcpy(FData.data() + Keyword.size() + 1, Text.data(), Text.size());
  return SaveData(Stream);
}

namespace {
// A compressed text inflates to at most this; a chunk whose text would be
// larger is treated as damaged (its text stays empty) instead of letting a
// small chunk demand gigabytes.
constexpr Int64 kMaxTextBytes = Int64(4) << 20;
}  // namespace

bool TChunkzTXt::ReadFrom(TStream* Stream, const String& ChunkName, Cardinal Size) {
  TChunk::ReadFrom(Stream, ChunkName, Size);
  Text.clear();
  if (Size >= 4) {
    const char* p = reinterpret_cast<const char*>(FData.data());
    size_t key = strnlen(p, Size);
    Keyword.assign(p, key);
    // After the keyword's zero byte comes the compression-method byte.
    size_t start = key + 2;
    if (start < Size) {
      try {
        void* out = nullptr;
        Integer outSize = 0;
        frxInflateBuffer(FData.data() + start, Integer(Size - start), 0, out, outSize, kMaxTextBytes);
        Text.assign(static_cast<char*>(out), size_t(outSize));
        free(out);
      } catch (const EZLibError&) {
        Text.clear();
      }
    }
  }
  return true;
}

bool TChunkzTXt::WriteTo(TStream* Stream) {
  String text = Text.empty() ? String(" ") : Text;
  uLongf bound = compressBound(uLong(text.size()));
  std::vector<Byte> packed(bound);
  if (compress2(packed.data(), &bound, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()),
                Owner()->DeflateLevel) != Z_OK)
    Raise<EPNGOutMemory>();
  ResizeData(Cardinal(Keyword.size() + 2 + bound));
  memcpy(FData.data(), Keyword.data(), Keyword.size());
  FData[Keyword.size()] = 0;
  FData[Keyword.size() + 1] = 0;  // compression method 0
  memcpy(FData.data() + Keyword.size() + 2, packed.data(), bound);
  return SaveData(Stream);
}

// ---------------------------------------------------------------------------
// TPNGObject: container

TPNGObject::TPNGObject() : FChunks(this) { InitializeGamma(); }

TPNGObject::~TPNGObject() { ClearChunks(); }

void TPNGObject::InitializeGamma() {
  for (int i = 0; i < 256; ++i) GammaTable[i] = InverseGamma[i] = Byte(i);
}

void TPNGObject::BuildGammaTables(Cardinal Gamma) {
  double x = 1.0 / ((double(Gamma) / 100000.0) * 2.2);
  for (int i = 0; i < 256; ++i) InverseGamma[i] = Byte(i);
  for (int i = 0; i < 256; ++i) {
    double v = i == 0 ? (x == 0 ? 1.0 : 0.0) : std::pow(i / 255.0, x);
    double r = std::nearbyint(255.0 * v);
    GammaTable[i] = Byte(r < 0 ? 0 : r > 255 ? 255 : r);
  }
  for (int i = 0; i < 256; ++i) InverseGamma[GammaTable[i]] = Byte(i);
}

void TPNGObject::ClearChunks() {
  InitializeGamma();
  for (Cardinal i = 0; i < FChunks.Count(); ++i) delete FChunks.Items(i);
  FChunks.SetCount(0);
}

TChunkIHDR* TPNGObject::Header() const {
  TChunk* first = FChunks.Items(0);
  if (first && first->ClassType() == TChunkIHDR::StaticClass()) return static_cast<TChunkIHDR*>(first);
  Raise<EPNGHeaderNotPresent>();
}

Integer TPNGObject::Width() const {
  TChunk* first = FChunks.Items(0);
  return first && first->ClassType() == TChunkIHDR::StaticClass() ? static_cast<TChunkIHDR*>(first)->Width : 0;
}

Integer TPNGObject::Height() const {
  TChunk* first = FChunks.Items(0);
  return first && first->ClassType() == TChunkIHDR::StaticClass() ? static_cast<TChunkIHDR*>(first)->Height : 0;
}

HPALETTE TPNGObject::Palette() const {
  TChunk* first = FChunks.Items(0);
  return first && first->ClassType() == TChunkIHDR::StaticClass() ? static_cast<TChunkIHDR*>(first)->ImagePalette()
                                                                  : nullptr;
}

void TPNGObject::SetPalette(HPALETTE Value) {
  TChunk* first = FChunks.Items(0);
  if (!first || first->ClassType() != TChunkIHDR::StaticClass() || !Value) return;
  auto* header = static_cast<TChunkIHDR*>(first);
  if (header->ColorType == COLOR_PALETTE || header->ColorType == COLOR_GRAYSCALE ||
      header->ColorType == COLOR_GRAYSCALEALPHA)
    header->SetImagePalette(Value);
}

HDC TPNGObject::CanvasHandle() const {
  TChunk* first = FChunks.Items(0);
  return first && first->ClassType() == TChunkIHDR::StaticClass() ? static_cast<TChunkIHDR*>(first)->ImageDC()
                                                                  : nullptr;
}

void TPNGObject::Assign(TPersistent* PSource) {
  if (PSource == this) return;
  if (auto* bitmap = dynamic_cast<TBitmap*>(PSource)) {
    AssignBitmapHandle(bitmap->Handle(), bitmap->Transparent(), ColorToRGB(bitmap->TransparentColor() & 0xFFFFFF));
    return;
  }
  auto* Source = dynamic_cast<TPNGObject*>(PSource);
  if (PSource && !Source) {
    TGraphic::Assign(PSource);
    return;
  }
  ClearChunks();
  if (!Source) return;
  DeflateLevel = Source->DeflateLevel;
  FIDATLimit = Source->FIDATLimit;
  InterlaceMode = Source->InterlaceMode;
  WriteFilters = Source->WriteFilters;
  memcpy(GammaTable, Source->GammaTable, 256);
  memcpy(InverseGamma, Source->InverseGamma, 256);
  for (Cardinal i = 0; i < Source->FChunks.Count(); ++i) {
    TChunk* src = Source->FChunks.Items(i);
    auto* chunk = static_cast<TChunk*>(src->ClassType()->Factory());
    chunk->SetOwner(this);
    FChunks.Add(chunk);
    chunk->CopyFrom(src);
  }
}

void TPNGObject::AssignTo(TPersistent* Dest) {
  if (auto* png = dynamic_cast<TPNGObject*>(Dest)) {
    png->Assign(this);
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TPNGObject::Draw(TCanvas* Canvas, const TRect& Rect) {
  RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  Draw(Canvas->Handle(), r);
}

void TPNGObject::LoadFromStream(TStream* Stream) {
  static const Byte kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  ClearChunks();
  Byte sig[8];
  if (Stream->Read(sig, 8) != 8 || memcmp(sig, kSignature, 8) != 0)
    Raise<EPNGInvalidFileHeader>();

  bool haveIDAT = false;
  for (;;) {
    Byte head[8];
    if (Stream->Read(head, 8) != 8) Raise<EPngUnexpectedEnd>();
    Cardinal size = GetBE32(head);
    String type(reinterpret_cast<char*>(head + 4), 4);
    if (FChunks.Count() == 0 && type != "IHDR") Raise<EPNGIHDRNotFirst>();
    // The header owns the picture: a second one is a damaged file.
    if (FChunks.Count() > 0 && type == "IHDR") Raise<EPngInvalidIHDR>();
    if (type == "cHRM" || (type == "IDAT" && haveIDAT)) {
      CheckChunkLength(Stream, size);
      Stream->Seek(Int64(size) + 4, soFromCurrent);
      continue;
    }
    std::unique_ptr<TChunk> chunk(frxCreateChunk(this, type));
    if (chunk->ClassType() == TChunk::StaticClass() && !(Byte(type[0]) & 0x20))
      Raise<EPNGUnknownCriticalChunk>();
    bool more;
    if (chunk->ClassType() == TChunkIDAT::StaticClass()) {
      // The image data live in the header: keep the chunk in the list even
      // when decoding fails part-way, so that the rows read so far remain.
      TChunk* idat = chunk.release();
      FChunks.Add(idat);
      haveIDAT = true;
      more = idat->ReadFrom(Stream, type, size);
    } else {
      more = chunk->ReadFrom(Stream, type, size);
      if (!chunk->Ignored()) FChunks.Add(chunk.release());
    }
    if (!more) break;
  }
  if (!haveIDAT) Raise<EPNGNoImageData>();
}

void TPNGObject::SaveToStream(TStream* Stream) {
  static const Byte kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Stream->WriteBuffer(kSignature, 8);
  for (Cardinal i = 0; i < FChunks.Count(); ++i) FChunks.Items(i)->WriteTo(Stream);
}

namespace {
// Pictures with the PNG signature load through this class.
const bool kRegistered = [] {
  TPicture::RegisterFileFormat("png", "Portable Network Graphics", TPNGObject::StaticClass(),
                               [](const uint8_t* data, size_t size) {
                                 return size >= 8 && memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
                               });
  return true;
}();
}  // namespace

void TPNGObject::AssignBitmapHandle(HBITMAP Handle, Boolean Transparent, COLORREF Colour) {
  ClearChunks();
  BITMAP bm;
  if (!Handle || !GetObjectW(Handle, sizeof(bm), &bm)) Raise<EPNGOutMemory>();
  auto* header = static_cast<TChunkIHDR*>(frxCreateChunk(this, "IHDR"));
  FChunks.Add(header);
  header->Width = bm.bmWidth;
  header->Height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  int bits = bm.bmBitsPixel * bm.bmPlanes;
  if (bits < 16) {
    header->ColorType = COLOR_PALETTE;
    header->BitDepth = Byte(bits <= 1 ? 1 : bits <= 4 ? 4 : 8);
  } else {
    header->ColorType = COLOR_RGB;
    header->BitDepth = 8;
  }
  header->InterlaceMethod = 0;
  InterlaceMode = 0;
  if (header->Width < 1 || header->Height < 1 || header->Width > 65535 || header->Height > 65535) {
    Raise<EPNGSizeExceeds>();
  }
  header->PrepareImageData();

  // Fetch the rows in the header's layout (bottom-up, same bits per pixel).
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } info{};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  info.h.biWidth = header->Width;
  info.h.biHeight = header->Height;
  info.h.biPlanes = 1;
  info.h.biBitCount = Word(header->DIBBits());
  info.h.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  int got = GetDIBits(dc, Handle, 0, UINT(header->Height), header->ImageData(),
                      reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteDC(dc);
  if (got == 0) Raise<EPNGOutMemory>();

  TChunkPLTE* plte = nullptr;
  if (header->ColorType == COLOR_PALETTE) {
    std::vector<TPNGColor> table(size_t(1) << header->DIBBits());
    for (size_t i = 0; i < table.size(); ++i) {
      table[i] = TPNGColor{info.colors[i].rgbBlue, info.colors[i].rgbGreen, info.colors[i].rgbRed, 0};
    }
    header->SetColorTable(table);
    plte = static_cast<TChunkPLTE*>(frxCreateChunk(this, "PLTE"));
    FChunks.Add(plte);
  }
  if (Transparent) {
    std::unique_ptr<TChunktRNS> trns(static_cast<TChunktRNS*>(frxCreateChunk(this, "tRNS")));
    Byte r = GetRValue(Colour), g = GetGValue(Colour), b = GetBValue(Colour);
    bool keep = true;
    if (header->ColorType == COLOR_RGB) {
      trns->ResizeData(6);
      Byte* d = trns->Data();
      d[0] = 0, d[1] = r, d[2] = 0, d[3] = g, d[4] = 0, d[5] = b;
      trns->BitTransparency = true;
    } else {
      // The first palette entry of that colour becomes transparent; with no
      // such entry there is nothing to make transparent.
      const auto& table = header->ColorTable();
      size_t found = table.size();
      for (size_t i = 0; i < table.size(); ++i)
        if (table[i].rgbRed == r && table[i].rgbGreen == g && table[i].rgbBlue == b) {
          found = i;
          break;
        }
      keep = found < table.size();
      if (keep) {
        trns->ResizeData(Cardinal(found + 1));
        for (size_t i = 0; i <= found; ++i) trns->PaletteValues[i] = trns->Data()[i] = i == found ? 0 : 255;
        trns->BitTransparency = true;
      }
    }
    if (keep) FChunks.Add(trns.release());
  }
  FChunks.Add(frxCreateChunk(this, "IDAT"));
  FChunks.Add(frxCreateChunk(this, "IEND"));
}
