#include "JpegCodec.h"
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

namespace jpegcodec {
namespace {

// libjpeg reports fatal errors through error_exit; we jump back to the
// caller with the formatted message. Nothing with a destructor lives in the
// frames between setjmp and the jump.
struct ErrorManager {
  jpeg_error_mgr Base;
  jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->Message);
  longjmp(err->Jump, 1);
}

void OutputMessage(j_common_ptr) {}  // warnings are not printed

void InitErrors(ErrorManager& err) {
  jpeg_std_error(&err.Base);
  err.Base.error_exit = ErrorExit;
  err.Base.output_message = OutputMessage;
  err.Message[0] = 0;
}

struct Decompressor {
  jpeg_decompress_struct Info;
  ErrorManager Err;
  bool Created = false;
  ~Decompressor() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
};

// Header reading and decompression share the set-up; returns false on error.
bool Start(Decompressor& d, const uint8_t* data, size_t size) {
  InitErrors(d.Err);
  d.Info.err = &d.Err.Base;
  if (setjmp(d.Err.Jump)) return false;
  jpeg_create_decompress(&d.Info);
  d.Created = true;
  d.Info.mem->max_memory_to_use = 512L * 1024 * 1024;
  jpeg_mem_src(&d.Info, const_cast<unsigned char*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&d.Info, TRUE);
  return true;
}

}  // namespace

bool ReadInfo(const uint8_t* data, size_t size, int& width, int& height, int& components, std::string& error) {
  if (!data || size < 4) {
    error = "JPEG data is empty or truncated";
    return false;
  }
  Decompressor d;
  if (!Start(d, data, size)) {
    error = d.Err.Message;
    return false;
  }
  width = int(d.Info.image_width);
  height = int(d.Info.image_height);
  components = d.Info.num_components;
  return true;
}

bool Decode(const uint8_t* data, size_t size, int scaleDenom, bool grayscale, bool fast, Image& out,
            std::string& error) {
  if (!data || size < 4) {
    error = "JPEG data is empty or truncated";
    return false;
  }
  Decompressor d;
  if (!Start(d, data, size)) {
    error = d.Err.Message;
    return false;
  }
  if (int64_t(d.Info.image_width) * d.Info.image_height > kMaxPixels) {
    error = "JPEG image is too large";
    return false;
  }
  if (setjmp(d.Err.Jump)) {
    error = d.Err.Message;
    return false;
  }
  bool gray = grayscale || d.Info.num_components == 1;
  d.Info.out_color_space = gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
  d.Info.scale_num = 1;
  d.Info.scale_denom = unsigned(scaleDenom == 2 || scaleDenom == 4 || scaleDenom == 8 ? scaleDenom : 1);
  if (fast) {
    d.Info.dct_method = JDCT_IFAST;
    d.Info.do_fancy_upsampling = FALSE;
  }
  jpeg_start_decompress(&d.Info);
  out.Width = int(d.Info.output_width);
  out.Height = int(d.Info.output_height);
  out.Components = d.Info.output_components;
  size_t stride = size_t(out.Width) * size_t(out.Components);
  // resize before any jump target can see it half-made; a failure below
  // leaves a partly filled image that the caller discards.
  out.Pixels.assign(stride * size_t(out.Height), 0);
  while (d.Info.output_scanline < d.Info.output_height) {
    JSAMPROW row = out.Pixels.data() + stride * d.Info.output_scanline;
    jpeg_read_scanlines(&d.Info, &row, 1);
  }
  jpeg_finish_decompress(&d.Info);
  return true;
}

namespace {
struct Compressor {
  jpeg_compress_struct Info;
  ErrorManager Err;
  unsigned char* Buffer = nullptr;
  unsigned long Size = 0;
  bool Created = false;
  ~Compressor() {
    if (Created) jpeg_destroy_compress(&Info);
    std::free(Buffer);
  }
};
}  // namespace

bool Encode(int width, int height, int components, const uint8_t* pixels, size_t stride, int quality,
            bool progressive, std::vector<uint8_t>& out, std::string& error) {
  if (width <= 0 || height <= 0 || (components != 1 && components != 3) || !pixels) {
    error = "Nothing to compress";
    return false;
  }
  Compressor c;
  InitErrors(c.Err);
  c.Info.err = &c.Err.Base;
  if (setjmp(c.Err.Jump)) {
    error = c.Err.Message;
    return false;
  }
  jpeg_create_compress(&c.Info);
  c.Created = true;
  jpeg_mem_dest(&c.Info, &c.Buffer, &c.Size);
  c.Info.image_width = JDIMENSION(width);
  c.Info.image_height = JDIMENSION(height);
  c.Info.input_components = components;
  c.Info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&c.Info);
  jpeg_set_quality(&c.Info, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
  if (progressive) jpeg_simple_progression(&c.Info);
  jpeg_start_compress(&c.Info, TRUE);
  while (c.Info.next_scanline < c.Info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + stride * c.Info.next_scanline);
    jpeg_write_scanlines(&c.Info, &row, 1);
  }
  jpeg_finish_compress(&c.Info);
  out.assign(c.Buffer, c.Buffer + c.Size);
  return true;
}

}  // namespace jpegcodec
