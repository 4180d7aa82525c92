#include "frxpngimage.h"

#include <zlib.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "Streams.h"
#include "gtest.h"

namespace {

const String kSuite = String(TOVANI_SHARED_TESTDATA) + "/pngsuite/";

std::string ReadFileBytes(const String& path) {
  // The test data path is a Linux path; Wine maps it through drive Z:.
  std::string winPath = "Z:" + path;
  for (char& c : winPath)
    if (c == '/') c = '\\';
  TMemoryStream m;
  m.LoadFromFile(winPath);
  return std::string(static_cast<const char*>(m.Memory()), size_t(m.Size()));
}

std::vector<long> ReadJsonNumbers(const String& path) {
  std::string text = ReadFileBytes(path);
  std::vector<long> out;
  long v = 0;
  bool in = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      v = v * 10 + (c - '0');
      in = true;
    } else if (in) {
      out.push_back(v);
      v = 0;
      in = false;
    }
  }
  if (in) out.push_back(v);
  return out;
}

void LoadBytes(TPNGObject& png, const std::string& bytes) {
  TStringStream s(bytes);
  png.LoadFromStream(&s);
}

std::string SaveBytes(TPNGObject& png) {
  TStringStream s;
  png.SaveToStream(&s);
  return s.DataString();
}

// The alpha of a decoded pixel, from the alpha plane, the palette's tRNS
// values or the transparent colour.
int AlphaAt(TPNGObject& png, int x, int y) {
  TChunkIHDR* h = png.Header();
  auto* trns = png.Chunks().Find<TChunktRNS>();
  switch (h->ColorType) {
    case COLOR_GRAYSCALEALPHA:
    case COLOR_RGBALPHA: return png.AlphaScanline(y)[x];
    case COLOR_PALETTE: {
      if (!trns) return 255;
      const Byte* row = png.Scanline(y);
      int bits = h->DIBBits();
      int index = bits == 8 ? row[x] : (row[x * bits / 8] >> (8 - bits - (x * bits) % 8)) & ((1 << bits) - 1);
      return trns->PaletteValues[index];
    }
    default:
      if (const Byte* a = png.AlphaScanline(y)) return a[x];
      return trns && png.Pixels(x, y) == png.TransparentColor() ? 0 : 255;
  }
}

// Pixels as R, G, B, A bytes, top row first.
std::vector<int> DecodedRGBA(TPNGObject& png) {
  std::vector<int> out;
  for (int y = 0; y < png.Height(); ++y)
    for (int x = 0; x < png.Width(); ++x) {
      TPNGColorRef c = png.Pixels(x, y);
      out.push_back(GetRValue(c));
      out.push_back(GetGValue(c));
      out.push_back(GetBValue(c));
      out.push_back(AlphaAt(png, x, y));
    }
  return out;
}

// The reference pixels of a suite image as this picture class shows them:
// 16-bit samples by their high byte, colours through the image's gamma table
// (grey with alpha is held without it).
std::vector<int> ExpectedRGBA(const String& name, TPNGObject& png) {
  std::vector<long> raw = ReadJsonNumbers(kSuite + "json/" + name + ".json");
  bool wide = png.Header()->BitDepth == 16;
  bool gamma = png.Header()->ColorType != COLOR_GRAYSCALEALPHA;
  std::vector<int> out;
  for (size_t i = 0; i < raw.size(); ++i) {
    int v = int(wide ? raw[i] >> 8 : raw[i]);
    if (i % 4 != 3 && gamma) v = png.GammaTable[v];
    out.push_back(v);
  }
  return out;
}

std::vector<String> SuiteNames(bool corrupt) {
  std::vector<String> names;
  WIN32_FIND_DATAA fd;
  String pattern = "Z:" + kSuite + "png/*.png";
  for (char& c : pattern)
    if (c == '/') c = '\\';
  HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    String n = fd.cFileName;
    n = n.substr(0, n.size() - 4);
    if ((n[0] == 'x') == corrupt) names.push_back(n);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

// A PNG file made of chunks, for hand-made and damaged inputs.
struct PngBuilder {
  std::string bytes = std::string("\x89PNG\r\n\x1a\n", 8);
  static std::string BE32(uint32_t v) {
    std::string s(4, '\0');
    s[0] = char(v >> 24), s[1] = char(v >> 16), s[2] = char(v >> 8), s[3] = char(v);
    return s;
  }
  PngBuilder& Chunk(const std::string& type, const std::string& data, bool goodCrc = true) {
    bytes += BE32(uint32_t(data.size())) + type + data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size()));
    bytes += BE32(uint32_t(goodCrc ? crc : crc ^ 1));
    return *this;
  }
  PngBuilder& IHDR(uint32_t w, uint32_t h, int depth, int type, int compression = 0, int interlace = 0) {
    std::string d = BE32(w) + BE32(h);
    d += char(depth), d += char(type), d += char(compression), d += char(0), d += char(interlace);
    return Chunk("IHDR", d);
  }
  static std::string Deflate(const std::string& raw) {
    uLongf n = compressBound(uLong(raw.size()));
    std::string out(n, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
    out.resize(n);
    return out;
  }
  PngBuilder& IDAT(const std::string& raw) { return Chunk("IDAT", Deflate(raw)); }
  PngBuilder& IEND() { return Chunk("IEND", ""); }
};

// Grey 8-bit 2x2 image data (filter byte None per row).
const std::string kGrey2x2 = std::string("\0\x10\x20\0\x30\x40", 6);

template <class E>
void ExpectError(const std::string& bytes, const char* text = nullptr) {
  TPNGObject png;
  try {
    LoadBytes(png, bytes);
    ADD_FAILURE() << "accepted";
  } catch (const E& e) {
    if (text) {
      EXPECT_STREQ(e.what(), text);
    }
  } catch (const Exception& e) {
    ADD_FAILURE() << "raised " << e.ClassName() << ": " << e.what();
  }
}

template <class E>
void Refuse(const std::string& bytes) {
  ExpectError<E>(bytes);
}

}  // namespace

TEST(frxPngSuite, DecodesEveryImageToItsReferencePixels) {
  std::vector<String> names = SuiteNames(false);
  ASSERT_GT(names.size(), 140u);
  for (const String& name : names) {
    SCOPED_TRACE(name);
    TPNGObject png;
    LoadBytes(png, ReadFileBytes(kSuite + "png/" + name + ".png"));
    std::vector<int> got = DecodedRGBA(png), want = ExpectedRGBA(name, png);
    ASSERT_EQ(got.size(), want.size());
    size_t bad = 0, first = 0;
    for (size_t i = 0; i < got.size(); ++i)
      if (got[i] != want[i] && !bad++) first = i;
    EXPECT_EQ(bad, 0u) << "first difference at pixel " << first / 4 << " channel " << first % 4 << ": "
                       << got[first] << " != " << want[first];
  }
}

TEST(frxPngSuite, EncodedImagesDecodeAgain) {
  for (const String& name : SuiteNames(false)) {
    SCOPED_TRACE(name);
    TPNGObject png;
    LoadBytes(png, ReadFileBytes(kSuite + "png/" + name + ".png"));
    std::vector<int> before = DecodedRGBA(png);
    for (Byte interlace : {0, 1}) {
      png.InterlaceMode = interlace;
      png.WriteFilters = FilterSet(pfNone) | FilterSet(pfSub) | FilterSet(pfUp) | FilterSet(pfAverage) |
                         FilterSet(pfPaeth);
      TPNGObject back;
      LoadBytes(back, SaveBytes(png));
      EXPECT_EQ(DecodedRGBA(back), before) << "interlace " << int(interlace);
    }
  }
}

TEST(frxPngSuite, RefusesCorruptImages) {
  const std::map<String, std::function<void(const std::string&)>> expected = {
      {"xc1n0g08", Refuse<EPngInvalidIHDR>},       {"xc9n2c08", Refuse<EPngInvalidIHDR>},
      {"xcrn0g04", Refuse<EPNGInvalidFileHeader>}, {"xcsn0g01", Refuse<EPngInvalidCRC>},
      {"xd0n2c08", Refuse<EPngInvalidIHDR>},       {"xd3n2c08", Refuse<EPngInvalidIHDR>},
      {"xd9n2c08", Refuse<EPngInvalidIHDR>},       {"xdtn0g01", Refuse<EPNGNoImageData>},
      {"xhdn0g08", Refuse<EPngInvalidCRC>},        {"xlfn0g04", Refuse<EPNGInvalidFileHeader>},
      {"xs1n0g01", Refuse<EPNGInvalidFileHeader>}, {"xs2n0g01", Refuse<EPNGInvalidFileHeader>},
      {"xs4n0g01", Refuse<EPNGInvalidFileHeader>}, {"xs7n0g01", Refuse<EPNGInvalidFileHeader>},
  };
  std::vector<String> names = SuiteNames(true);
  EXPECT_EQ(names.size(), expected.size());
  for (const String& name : names) {
    SCOPED_TRACE(name);
    auto it = expected.find(name);
    ASSERT_NE(it, expected.end());
    it->second(ReadFileBytes(kSuite + "png/" + name + ".png"));
  }
}

TEST(frxPngObject, RefusesDamagedContainers) {
  auto good = [] { return PngBuilder().IHDR(2, 2, 8, 0); };
  ExpectError<EPNGInvalidFileHeader>("GIF89a.......");
  ExpectError<EPNGInvalidFileHeader>("\x89PN");
  ExpectError<EPNGIHDRNotFirst>(PngBuilder().Chunk("gAMA", PngBuilder::BE32(45455)).IHDR(2, 2, 8, 0).bytes,
                                "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
                                "(IHDR chunk is not the first)");
  ExpectError<EPngUnexpectedEnd>(good().IDAT(kGrey2x2).bytes);
  ExpectError<EPNGSizeExceeds>(PngBuilder().IHDR(65536, 1, 8, 0).bytes);
  ExpectError<EPNGSizeExceeds>(PngBuilder().IHDR(1, 65536, 8, 0).bytes);
  ExpectError<EPNGUnknownCompression>(PngBuilder().IHDR(2, 2, 8, 0, 1).bytes);
  ExpectError<EPNGUnknownInterlace>(PngBuilder().IHDR(2, 2, 8, 0, 0, 2).bytes);
  ExpectError<EPngInvalidIHDR>(PngBuilder().IHDR(2, 2, 4, 2).bytes);  // RGB at depth 4
  ExpectError<EPngInvalidIHDR>(PngBuilder().IHDR(0, 2, 8, 0).bytes);
  ExpectError<EPngInvalidIHDR>(PngBuilder().Chunk("IHDR", std::string(12, '\1')).bytes);
  ExpectError<EPNGUnknownCriticalChunk>(good().Chunk("ABCD", "x").IDAT(kGrey2x2).IEND().bytes);
  ExpectError<EPngInvalidCRC>(good().Chunk("tEXt", "a\0b", false).IDAT(kGrey2x2).IEND().bytes,
                              "This \"Portable Network Graphics\" image is not valid because it contains invalid "
                              "pieces of data (crc error)");
  ExpectError<EPNGNoImageData>(good().IEND().bytes);
  // A chunk length beyond the data is refused before anything is allocated.
  std::string huge = good().bytes + PngBuilder::BE32(0x7FFFFFF0u) + "tEXt" + "abc";
  ExpectError<EPngUnexpectedEnd>(huge);
  ExpectError<EPngUnexpectedEnd>(good().bytes + PngBuilder::BE32(0xFFFFFFFFu) + "IDAT");
  // A non-IDAT chunk between image data chunks.
  std::string z = PngBuilder::Deflate(kGrey2x2);
  ExpectError<EPNGMissingMultipleIDAT>(
      good().Chunk("IDAT", z.substr(0, 3)).Chunk("tEXt", "a\0b").Chunk("IDAT", z.substr(3)).IEND().bytes);
  // Damaged compressed data.
  ExpectError<EPNGZLIBError>(good().Chunk("IDAT", "\x78\x9c\xff\xff\xff\xff").IEND().bytes,
                             "Could not decompress the image because it contains invalid compressed data.\r\n"
                             " Description: data error (-3)");
}

TEST(frxPngObject, HostileInputsEndInTheirErrors) {
  // A zlib header that asks for a preset dictionary, and four bytes of its id.
  const std::string needDict("\x78\x20\0\0\0\0\0", 7);
  ExpectError<EPNGZLIBError>(PngBuilder().IHDR(1, 1, 8, 0).Chunk("IDAT", needDict).IEND().bytes,
                             "Could not decompress the image because it contains invalid compressed data.\r\n"
                             " Description: need dictionary (2)");
  // 16384 x 16384 pixels declared by a file of a few dozen bytes: deflate
  // cannot expand what follows that far.
  ExpectError<EPNGSizeExceeds>(PngBuilder().IHDR(16384, 16384, 8, 0).IDAT("").IEND().bytes);
  ExpectError<EPNGSizeExceeds>(PngBuilder().IHDR(4096, 4096, 8, 6, 0, 1).IDAT(std::string(100, '\0')).IEND().bytes);
  // A second header would reallocate the picture and be saved again.
  ExpectError<EPngInvalidIHDR>(PngBuilder().IHDR(2, 2, 8, 0).IHDR(3, 3, 8, 0).IDAT(kGrey2x2).IEND().bytes);
  // A header at the very end of the data.
  ExpectError<EPngUnexpectedEnd>(PngBuilder().IHDR(2, 2, 8, 0).bytes);
}

TEST(frxPngObject, CompressedTextsAreBounded) {
  auto withText = [](const std::string& packed) {
    return PngBuilder().IHDR(2, 2, 8, 0).Chunk("zTXt", std::string("k\0\0", 3) + packed).IDAT(kGrey2x2).IEND().bytes;
  };
  struct Case {
    std::string packed;
    std::string text;
  } cases[] = {
      {PngBuilder::Deflate("hello"), "hello"},
      {PngBuilder::Deflate(std::string(1 << 20, 'a')), std::string(1 << 20, 'a')},
      // Beyond a few MiB, or asking for a dictionary: the text stays empty
      // and the picture loads.
      {PngBuilder::Deflate(std::string(5 << 20, 'a')), ""},
      {std::string("\x78\x20\0\0\0\0\0", 7), ""},
  };
  for (const auto& c : cases) {
    TPNGObject png;
    LoadBytes(png, withText(c.packed));
    auto* z = png.Chunks().Find<TChunkzTXt>();
    ASSERT_TRUE(z);
    EXPECT_EQ(z->Text.size(), c.text.size());
    EXPECT_TRUE(z->Text == c.text);
    EXPECT_EQ(png.Pixels(1, 1), RGB(0x40, 0x40, 0x40));
  }
}

TEST(frxPngObject, ShortTransparentColourIsIgnored) {
  struct Case {
    int type;
    std::string trns;
    TPNGTransparencyMode mode;
  } cases[] = {
      {0, std::string(1, '\0'), ptmNone},
      {0, std::string(2, '\0'), ptmBit},
      {2, std::string(2, '\0'), ptmNone},
      {2, std::string(5, '\0'), ptmNone},
      {2, std::string(6, '\0'), ptmBit},
  };
  for (const auto& c : cases) {
    std::string raw = c.type == 0 ? kGrey2x2 : std::string(2 * (1 + 6), '\0');
    TPNGObject png;
    LoadBytes(png, PngBuilder().IHDR(2, 2, 8, c.type).Chunk("tRNS", c.trns).IDAT(raw).IEND().bytes);
    SCOPED_TRACE(c.trns.size());
    EXPECT_EQ(png.TransparencyMode(), c.mode);
    EXPECT_EQ(png.Chunks().Find<TChunktRNS>() != nullptr, c.mode == ptmBit);
    // Black stays opaque unless a whole key names it.
    EXPECT_EQ(png.AlphaScanline(0) == nullptr, c.mode == ptmNone);
  }
}

TEST(frxPngObject, LargestSizeIsAccepted) {
  // One row of 65535 grey pixels.
  std::string row(65536, '\0');
  TPNGObject png;
  LoadBytes(png, PngBuilder().IHDR(65535, 1, 8, 0).IDAT(row).IEND().bytes);
  EXPECT_EQ(png.Width(), 65535);
}

TEST(frxPngObject, PaletteLimits) {
  auto img = [](const std::string& plte, const std::string& trns) {
    PngBuilder b;
    b.IHDR(2, 1, 8, 3).Chunk("PLTE", plte);
    if (!trns.empty()) b.Chunk("tRNS", trns);
    return b.IDAT(std::string("\0\0\1", 3)).IEND().bytes;
  };
  ExpectError<EPNGInvalidPalette>(img(std::string(770, '\0'), ""));
  ExpectError<EPNGInvalidPalette>(img(std::string(769, '\0'), ""));
  ExpectError<EPNGInvalidPalette>(img(std::string(6, '\0'), std::string(257, '\0')));
  TPNGObject png;
  LoadBytes(png, img(std::string(768, '\x7f'), ""));
  EXPECT_EQ(png.Chunks().Find<TChunkPLTE>()->Count(), 256);
  // An index past the entries of the palette.
  ExpectError<EPngError>(PngBuilder().IHDR(2, 1, 8, 3).Chunk("PLTE", std::string(3, '\0'))
                             .IDAT(std::string("\0\0\1", 3)).IEND().bytes,
                         "There is no such palette entry.");
  TPNGObject two;
  LoadBytes(two, img(std::string(6, '\x7f'), ""));
  EXPECT_NO_THROW(two.Chunks().Find<TChunkPLTE>()->GetPaletteItem(1));
  EXPECT_THROW(two.Chunks().Find<TChunkPLTE>()->GetPaletteItem(2), EPngError);
  // A one-bit image whose palette lists more colours than it can index.
  TPNGObject wide;
  LoadBytes(wide, PngBuilder().IHDR(8, 1, 1, 3).Chunk("PLTE", std::string(30, '\x40'))
                      .IDAT(std::string("\0\x55", 2)).IEND().bytes);
  EXPECT_EQ(wide.Chunks().Find<TChunkPLTE>()->GetPaletteItem(9).rgbRed, wide.GammaTable[0x40]);
  EXPECT_EQ(wide.Pixels(1, 0), RGB(wide.GammaTable[0x40], wide.GammaTable[0x40], wide.GammaTable[0x40]));
}

TEST(frxPngObject, TransparencyModes) {
  std::string plte = std::string("\xff\0\0\0\xff\0\0\0\xff", 9);
  auto img = [&](const std::string& trns) {
    PngBuilder b;
    b.IHDR(3, 1, 8, 3).Chunk("PLTE", plte);
    if (!trns.empty()) b.Chunk("tRNS", trns);
    return b.IDAT(std::string("\0\0\1\2", 4)).IEND().bytes;
  };
  struct Case {
    std::string trns;
    TPNGTransparencyMode mode;
  } cases[] = {
      {"", ptmNone},
      {std::string("\xff\0", 2), ptmBit},
      // One half-transparent entry needs blending, as do two clear ones.
      {std::string("\xff\x80\xff", 3), ptmPartial},
      {std::string("\0\0", 2), ptmPartial},
  };
  for (const auto& c : cases) {
    TPNGObject png;
    LoadBytes(png, img(c.trns));
    EXPECT_EQ(png.TransparencyMode(), c.mode) << c.trns.size();
  }
  TPNGObject png;
  LoadBytes(png, img(std::string("\xff\0", 2)));
  EXPECT_EQ(png.TransparentColor(), RGB(0, 255, 0));
}

TEST(frxPngObject, ChunksOnLoadAndSave) {
  TPNGObject png;
  LoadBytes(png, PngBuilder()
                     .IHDR(2, 2, 8, 0)
                     .Chunk("cHRM", std::string(32, '\0'))
                     .Chunk("prIv", "keep me")
                     .Chunk("zTXt", std::string("k\0\0", 3) + PngBuilder::Deflate(""))
                     .IDAT(kGrey2x2)
                     .IEND()
                     .bytes);
  std::vector<String> types;
  for (Cardinal i = 0; i < png.Chunks().Count(); ++i) types.push_back(png.Chunks().Items(i)->ChunkName());
  EXPECT_EQ(types, (std::vector<String>{"IHDR", "prIv", "zTXt", "IDAT", "IEND"}));
  std::string saved = SaveBytes(png);
  EXPECT_NE(saved.find(PngBuilder::BE32(7) + "prIvkeep me"), std::string::npos);
  TPNGObject back;
  LoadBytes(back, saved);
  auto* z = back.Chunks().Find<TChunkzTXt>();
  ASSERT_TRUE(z);
  EXPECT_EQ(z->Keyword, "k");
  EXPECT_EQ(z->Text, " ");  // an empty text is written as one blank
  EXPECT_EQ(back.Pixels(1, 1), RGB(0x40, 0x40, 0x40));

  png.SetIDATChunkLimit(1000);
  EXPECT_EQ(png.IDATChunkLimit(), 65535);
}

TEST(frxPngObject, ImageDataSplitOverChunksDecodesTheSame) {
  std::string z = PngBuilder::Deflate(kGrey2x2);
  TPNGObject one, split;
  LoadBytes(one, PngBuilder().IHDR(2, 2, 8, 0).Chunk("IDAT", z).IEND().bytes);
  PngBuilder b;
  b.IHDR(2, 2, 8, 0);
  for (char c : z) b.Chunk("IDAT", std::string(1, c));
  LoadBytes(split, b.Chunk("IDAT", "").IEND().bytes);
  EXPECT_EQ(DecodedRGBA(split), DecodedRGBA(one));
}

TEST(frxPngObject, PixelMemoryOfAFreedPictureStartsBlackAgain) {
  // A 3 x 2 RGB picture, all white; then one of the same size whose data
  // ends after its first (red) row: the row not read is black, in the same
  // object and in a new one made after the first was freed.
  auto rgb = [](int rows, char r, char g, char b) {
    std::string raw;
    for (int y = 0; y < rows; ++y) {
      raw += '\0';
      for (int x = 0; x < 3; ++x) raw += r, raw += g, raw += b;
    }
    return PngBuilder().IHDR(3, 2, 8, 2).IDAT(raw).IEND().bytes;
  };
  const std::string white = rgb(2, char(255), char(255), char(255)), redRow = rgb(1, char(255), 0, 0);
  for (bool sameObject : {true, false}) {
    auto first = std::make_unique<TPNGObject>();
    LoadBytes(*first, white);
    ASSERT_EQ(first->Pixels(2, 1), RGB(255, 255, 255));
    std::unique_ptr<TPNGObject> second;
    if (sameObject) {
      second = std::move(first);
    } else {
      first.reset();
      second = std::make_unique<TPNGObject>();
    }
    LoadBytes(*second, redRow);
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(second->Pixels(x, 0), RGB(255, 0, 0)) << sameObject;
      EXPECT_EQ(second->Pixels(x, 1), RGB(0, 0, 0)) << sameObject;
    }
  }
}

TEST(frxPngObject, TwoBitGreyKeepsItsLevels) {
  // Samples 0..3 of one row, written as 4-bit on saving.
  for (int interlace : {0, 1}) {
    TPNGObject png;
    // Adam7 passes of a 4x1 image: pass 1 holds x0, pass 4 x2, pass 6 x1 and x3.
    std::string data = interlace ? std::string("\0\x00\0\x80\0\x70", 6) : std::string("\0\x1B", 2);
    LoadBytes(png, PngBuilder().IHDR(4, 1, 2, 0, 0, interlace).IDAT(data).IEND().bytes);
    EXPECT_EQ(png.Pixels(0, 0), RGB(0, 0, 0)) << interlace;
    EXPECT_EQ(png.Pixels(1, 0), RGB(85, 85, 85)) << interlace;
    EXPECT_EQ(png.Pixels(2, 0), RGB(170, 170, 170)) << interlace;
    EXPECT_EQ(png.Pixels(3, 0), RGB(255, 255, 255)) << interlace;
    EXPECT_EQ(png.Scanline(0)[1] & 0x0F, 15);  // sample 3 is held as 15
    TPNGObject back;
    LoadBytes(back, SaveBytes(png));
    EXPECT_EQ(back.Header()->BitDepth, 4);
    EXPECT_EQ(DecodedRGBA(back), DecodedRGBA(png));
  }
}

TEST(frxPngObject, SixteenBitImagesAreWrittenWithLowBytesZero) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(kSuite + "png/basn2c16.png"));
  png.WriteFilters = FilterSet(pfNone);
  std::string saved = SaveBytes(png);
  size_t at = saved.find("IDAT");
  ASSERT_NE(at, std::string::npos);
  uint32_t len = uint32_t(Byte(saved[at - 4])) << 24 | uint32_t(Byte(saved[at - 3])) << 16 |
                 uint32_t(Byte(saved[at - 2])) << 8 | Byte(saved[at - 1]);
  std::string packed = saved.substr(at + 4, len);
  std::string raw(32 * (1 + 32 * 6), '\0');
  uLongf n = uLongf(raw.size());
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &n, reinterpret_cast<const Bytef*>(packed.data()),
                       uLong(packed.size())),
            Z_OK);
  for (int y = 0; y < 32; ++y)
    for (int i = 1; i < 1 + 32 * 6; i += 2) ASSERT_EQ(raw[y * (1 + 32 * 6) + i + 1], 0) << y << " " << i;
}

TEST(frxPngObject, ImageDataIsSplitAtTheChunkLimit) {
  // Noise does not compress: a little over three chunk limits of data.
  const int w = 300, h = 230;
  std::string raw;
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y) {
    raw += '\0';
    for (int i = 0; i < w * 3; ++i) {
      seed = seed * 1103515245u + 12345u;
      raw += char(seed >> 16);
    }
  }
  TPNGObject png;
  LoadBytes(png, PngBuilder().IHDR(w, h, 8, 2).IDAT(raw).IEND().bytes);
  png.WriteFilters = FilterSet(pfNone);
  std::string saved = SaveBytes(png);
  std::vector<uint32_t> sizes;
  for (size_t at = saved.find("IDAT"); at != std::string::npos; at = saved.find("IDAT", at + 4)) {
    uint32_t len = uint32_t(Byte(saved[at - 4])) << 24 | uint32_t(Byte(saved[at - 3])) << 16 |
                   uint32_t(Byte(saved[at - 2])) << 8 | Byte(saved[at - 1]);
    sizes.push_back(len);
    at += len;
  }
  ASSERT_EQ(sizes.size(), 4u);
  EXPECT_EQ(sizes[0], 65535u);
  EXPECT_EQ(sizes[1], 65535u);
  EXPECT_EQ(sizes[2], 65535u);
  EXPECT_LT(sizes[3], 65535u);
  TPNGObject back;
  LoadBytes(back, saved);
  EXPECT_EQ(DecodedRGBA(back), DecodedRGBA(png));
}

TEST(frxPngObject, FilterChooser) {
  // Row: grey 8-bit ramp 0, 1, 2, ... : Sub gives 0,1,1,1,... (scores high),
  // None 0,1,2,3 (no repeats), Paeth equals Sub on the first row.
  std::string raw = std::string(1, '\0');
  for (int i = 0; i < 16; ++i) raw += char(i);
  TPNGObject png;
  LoadBytes(png, PngBuilder().IHDR(16, 1, 8, 0).IDAT(raw).IEND().bytes);
  auto filterOfFirstRow = [&](TFilters filters) {
    png.WriteFilters = filters;
    std::string saved = SaveBytes(png);
    size_t at = saved.find("IDAT");
    uint32_t len = uint32_t(Byte(saved[at - 1]));
    std::string packed = saved.substr(at + 4, len);
    std::string out(17, '\0');
    uLongf n = 17;
    uncompress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(packed.data()),
               uLong(packed.size()));
    return int(out[0]);
  };
  EXPECT_EQ(filterOfFirstRow(FilterSet(pfSub)), pfSub);
  EXPECT_EQ(filterOfFirstRow(FilterSet(pfPaeth)), pfPaeth);
  EXPECT_EQ(filterOfFirstRow(0), pfNone);
  EXPECT_EQ(filterOfFirstRow(FilterSet(pfNone) | FilterSet(pfSub) | FilterSet(pfPaeth)), pfSub);
  EXPECT_EQ(filterOfFirstRow(FilterSet(pfNone) | FilterSet(pfUp)), pfNone);
}

namespace {
// A 32-bit top-down DIB on a memory DC, filled with one colour.
struct Canvas {
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
  uint32_t* bits = nullptr;
  int w, h;
  Canvas(int W, int H, uint32_t fill) : w(W), h(H) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    old = SelectObject(dc, bmp);
    for (int i = 0; i < W * H; ++i) bits[i] = fill;
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  uint32_t At(int x, int y) {
    GdiFlush();
    return bits[y * w + x] & 0xFFFFFF;
  }
};

// A w x h RGBA image with pixel (x, y) = colour(x, y), alpha(x, y).
void MakeRGBA(TPNGObject& png, int w, int h, const std::function<uint32_t(int, int)>& rgba) {
  std::string raw;
  for (int y = 0; y < h; ++y) {
    raw += '\0';
    for (int x = 0; x < w; ++x) {
      uint32_t v = rgba(x, y);
      raw += char(v >> 24), raw += char(v >> 16), raw += char(v >> 8), raw += char(v);
    }
  }
  LoadBytes(png, PngBuilder().IHDR(w, h, 8, 6).IDAT(raw).IEND().bytes);
}
}  // namespace

TEST(frxPngDraw, AlphaImageBlendsAndScalesByNearestPixel) {
  TPNGObject png;
  // Left column opaque red, right column transparent; second row half green.
  MakeRGBA(png, 2, 2, [](int x, int y) -> uint32_t {
    if (y == 0) return x == 0 ? 0xFF0000FFu : 0x00FF0000u;
    return 0x00FF0080u;
  });
  Canvas c(6, 6, 0x000000FF);  // blue background (BGRA in memory)
  RECT r{1, 1, 5, 5};
  png.Draw(c.dc, r);
  EXPECT_EQ(c.At(0, 0), 0x0000FFu);  // outside the rectangle
  EXPECT_EQ(c.At(1, 1), 0xFF0000u);  // red, doubled
  EXPECT_EQ(c.At(2, 2), 0xFF0000u);
  EXPECT_EQ(c.At(3, 1), 0x0000FFu);  // alpha 0 keeps the destination
  EXPECT_EQ(c.At(4, 2), 0x0000FFu);
  // Half green over blue: (255 * 128 + 127 * 0 + 255) div 256 = 128 green, blue 127.
  EXPECT_EQ(c.At(1, 3), 0x00807Fu);
  EXPECT_EQ(c.At(4, 4), 0x00807Fu);
  // A reversed rectangle is normalised; an empty one draws nothing.
  Canvas d(4, 4, 0);
  RECT rev{2, 2, 0, 0};
  png.Draw(d.dc, rev);
  EXPECT_EQ(d.At(0, 0), 0xFF0000u);
  RECT empty{3, 3, 3, 3};
  png.Draw(d.dc, empty);
  EXPECT_EQ(d.At(3, 3), 0u);
}

TEST(frxPngDraw, OpaqueAndTransparentColourImages) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(kSuite + "png/tbrn2c08.png"));
  ASSERT_EQ(png.TransparencyMode(), ptmBit);
  Canvas c(32, 32, 0x00123456);
  RECT r{0, 0, 32, 32};
  png.Draw(c.dc, r);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      TPNGColorRef p = png.Pixels(x, y);
      uint32_t want = AlphaAt(png, x, y) == 0 ? 0x123456u
                                                  : uint32_t(GetRValue(p)) << 16 | GetGValue(p) << 8 | GetBValue(p);
      ASSERT_EQ(c.At(x, y), want) << x << "," << y;
    }

  TPNGObject plain;
  LoadBytes(plain, ReadFileBytes(kSuite + "png/basn2c08.png"));
  Canvas d(64, 64, 0);
  RECT big{0, 0, 64, 64};
  plain.Draw(d.dc, big);
  TPNGColorRef p = plain.Pixels(5, 7);
  EXPECT_EQ(d.At(11, 15), uint32_t(GetRValue(p)) << 16 | GetGValue(p) << 8 | GetBValue(p));
}

TEST(frxPngObject, ResizeKeepsTheTopLeft) {
  TPNGObject png;
  MakeRGBA(png, 10, 10, [](int x, int y) -> uint32_t { return uint32_t(x * 20) << 24 | uint32_t(y * 20) << 16 | 0x80; });
  png.Resize(20, 5);
  EXPECT_EQ(png.Width(), 20);
  EXPECT_EQ(png.Height(), 5);
  EXPECT_EQ(png.Pixels(9, 4), RGB(180, 80, 0));
  EXPECT_EQ(png.AlphaScanline(4)[9], 0x80);
  EXPECT_EQ(png.Pixels(15, 2), RGB(0, 0, 0));
  EXPECT_EQ(png.AlphaScanline(2)[15], 255);
  EXPECT_THROW(png.Resize(0, 5), EPNGInvalidNewSize);
  png.SetHeight(8);
  EXPECT_EQ(png.Height(), 8);
  EXPECT_EQ(png.Width(), 20);
}

TEST(frxPngObject, PixelsAndAssignment) {
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(kSuite + "png/basn3p04.png"));
  EXPECT_EQ(png.Pixels(-1, 0), 0u);
  png.SetPixels(0, 0, png.Pixels(31, 31));
  EXPECT_EQ(png.Pixels(0, 0), png.Pixels(31, 31));
  png.SetPixels(99, 0, 0);  // outside: nothing

  TPNGObject copy;
  copy.Assign(&png);
  EXPECT_EQ(DecodedRGBA(copy), DecodedRGBA(png));
  EXPECT_EQ(SaveBytes(copy), SaveBytes(png));
  copy.Assign(static_cast<TPersistent*>(nullptr));
  EXPECT_TRUE(copy.Empty());
  EXPECT_EQ(copy.Width(), 0);
  EXPECT_THROW(copy.Header(), EPNGHeaderNotPresent);
}

TEST(frxPngObject, FromBitmapHandle) {
  Canvas c(5, 3, 0x00FF8000);
  SetPixel(c.dc, 2, 1, RGB(1, 2, 3));
  SelectObject(c.dc, c.old);  // the bitmap must not be selected while read
  TPNGObject png;
  png.AssignBitmapHandle(c.bmp, true, RGB(0, 0x80, 0xFF));
  c.old = SelectObject(c.dc, c.bmp);
  EXPECT_EQ(png.Header()->ColorType, COLOR_RGB);
  EXPECT_EQ(png.Width(), 5);
  EXPECT_EQ(png.Height(), 3);
  EXPECT_EQ(png.Pixels(2, 1), RGB(1, 2, 3));
  EXPECT_EQ(png.Pixels(0, 0), RGB(0xFF, 0x80, 0));
  EXPECT_EQ(png.TransparencyMode(), ptmBit);
  TPNGObject back;
  LoadBytes(back, SaveBytes(png));
  EXPECT_EQ(DecodedRGBA(back), DecodedRGBA(png));
  EXPECT_EQ(back.TransparentColor(), RGB(0, 0x80, 0xFF));
}

TEST(frxPngDraw, WritesWhatItDrawsForALook) {
  // A suite image with alpha drawn twice its size over a chequered
  // background, saved as build/report/tests-png-draw.png.
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(kSuite + "png/basn6a08.png"));
  Canvas c(80, 80, 0);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x) c.bits[y * 80 + x] = ((x / 8 + y / 8) % 2) ? 0xFFFFFF : 0xC0C0C0;
  RECT r{8, 8, 72, 72};
  png.Draw(c.dc, r);
  uint32_t corner = c.At(8, 8);
  SelectObject(c.dc, c.old);
  TPNGObject shot;
  shot.AssignBitmapHandle(c.bmp, false, 0);
  c.old = SelectObject(c.dc, c.bmp);
  String path = "Z:" + String(TOVANI_TEST_BINARY_DIR) + "/tests-png-draw.png";
  for (char& ch : path)
    if (ch == '/') ch = '\\';
  shot.SaveToFile(path);
  TPNGObject back;
  back.LoadFromFile(path);
  TPNGColorRef p = back.Pixels(8, 8);
  EXPECT_EQ(uint32_t(GetRValue(p)) << 16 | GetGValue(p) << 8 | GetBValue(p), corner);
}

TEST(frxPngObject, IsAPictureFormatOfTheClassLibrary) {
  EXPECT_EQ(TPicture::FindGraphicClassForExtension("png"), TPNGObject::StaticClass());
  // Drawn through a canvas like any graphic, and assigned from a bitmap.
  TPNGObject png;
  LoadBytes(png, ReadFileBytes(kSuite + "png/basn2c08.png"));
  TBitmap bmp(32, 32, pf24bit);
  bmp.Canvas()->Draw(0, 0, &png);
  EXPECT_EQ(ColorToRGB(bmp.Canvas()->Pixels(3, 4)), png.Pixels(3, 4));
  TPNGObject fromBitmap;
  fromBitmap.Assign(&bmp);
  EXPECT_EQ(fromBitmap.Pixels(3, 4), png.Pixels(3, 4));
}
