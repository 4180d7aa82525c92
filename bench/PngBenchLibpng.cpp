#include "PngBenchLibpng.h"

// The Wine compiler also defines __WIN32__, which would make libpng's header
// declare its functions with the Windows calling convention; the library
// itself is a Linux build.
#undef __WIN32__
#include <png.h>

#include <cstring>

namespace {
png_uint_32 FormatOf(int Channels) { return Channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA; }
}  // namespace

bool LibpngEncode(const uint8_t* Pixels, int Width, int Height, int Channels, std::vector<uint8_t>& Out) {
  png_image image;
  memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(Width);
  image.height = png_uint_32(Height);
  image.format = FormatOf(Channels);
  // A buffer that holds any result, so that one call compresses the picture
  // (asking for the size first would compress it twice).
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
  Out.resize(size);
  if (!png_image_write_to_memory(&image, Out.data(), &size, 0, Pixels, 0, nullptr)) return false;
  Out.resize(size);
  return true;
}

bool LibpngDecode(const std::vector<uint8_t>& File, int Channels, std::vector<uint8_t>& Pixels, int& Width,
                  int& Height) {
  png_image image;
  memset(&image, 0, sizeof(image));
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, File.data(), File.size())) return false;
  image.format = FormatOf(Channels);
  Pixels.resize(PNG_IMAGE_SIZE(image));
  Width = int(image.width);
  Height = int(image.height);
  return png_image_finish_read(&image, nullptr, Pixels.data(), 0, nullptr) != 0;
}
