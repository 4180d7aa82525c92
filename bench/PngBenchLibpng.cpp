#include "PngBenchLibpng.h"

// The Wine compiler also defines __WIN32__, which would make libpng's header
// declare its functions with the Windows calling convention; the library
// itself is a Linux build.
#undef __WIN32__
#include <png.h>

#include <cstring>

bool LibpngEncodeRGBA(const uint8_t* Pixels, int Width, int Height, std::vector<uint8_t>& Out) {
  png_image image;
  memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(Width);
  image.height = png_uint_32(Height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, Pixels, 0, nullptr)) return false;
  Out.resize(size);
  return png_image_write_to_memory(&image, Out.data(), &size, 0, Pixels, 0, nullptr) != 0;
}

bool LibpngDecodeRGBA(const std::vector<uint8_t>& File, std::vector<uint8_t>& Pixels, int& Width, int& Height) {
  png_image image;
  memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, File.data(), File.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  Pixels.resize(PNG_IMAGE_SIZE(image));
  Width = int(image.width);
  Height = int(image.height);
  return png_image_finish_read(&image, nullptr, Pixels.data(), 0, nullptr) != 0;
}
