#include "TestPng.h"
#include <zlib.h>
#include <cstdio>
#include <vector>
#include "Graphics.h"

namespace {
void Put32(std::vector<unsigned char>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back((unsigned char)(v >> s));
}
void Chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  Put32(out, uint32_t(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}
}  // namespace

std::string WriteTestPng(TBitmap* bitmap, const std::string& name) {
  int w = bitmap->Width(), h = bitmap->Height();
  TCanvas* c = bitmap->Canvas();
  std::vector<unsigned char> raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) {
      COLORREF p = COLORREF(c->Pixels(x, y));
      raw.push_back(GetRValue(p));
      raw.push_back(GetGValue(p));
      raw.push_back(GetBValue(p));
    }
  }
  uLongf zsize = compressBound(uLong(raw.size()));
  std::vector<unsigned char> z(zsize);
  compress2(z.data(), &zsize, raw.data(), uLong(raw.size()), 6);
  z.resize(zsize);
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<unsigned char> ihdr;
  Put32(ihdr, uint32_t(w));
  Put32(ihdr, uint32_t(h));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", {});
  std::string path = std::string(TOVANI_TEST_BINARY_DIR) + "/" + name + ".png";
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
  }
  return path;
}
