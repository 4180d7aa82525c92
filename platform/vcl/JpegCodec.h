// Plain interface to libjpeg for the JPEG picture class. The implementation
// (JpegCodec_linux.cpp) includes libjpeg's header and no Windows header:
// both define `boolean` with different sizes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace jpegcodec {

struct Image {
  int Width = 0;
  int Height = 0;
  int Components = 0;           // 3: B,G,R bytes per pixel; 1: gray
  std::vector<uint8_t> Pixels;  // top-down rows, Width * Components bytes each, unpadded
};

// Largest image decoded (pixels): a corrupt header cannot ask for more.
constexpr int64_t kMaxPixels = int64_t(1) << 28;

// Reads the frame header only. False with a message on bad data.
bool ReadInfo(const uint8_t* data, size_t size, int& width, int& height, int& components, std::string& error);
// scaleDenom 1, 2, 4 or 8; grayscale asks for one component.
bool Decode(const uint8_t* data, size_t size, int scaleDenom, bool grayscale, bool fast, Image& out,
            std::string& error);
// pixels: top-down rows with `stride` bytes, 3 (B,G,R) or 1 component.
bool Encode(int width, int height, int components, const uint8_t* pixels, size_t stride, int quality,
            bool progressive, std::vector<uint8_t>& out, std::string& error);

}  // namespace jpegcodec
