#include "frxGZip.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Streams.h"

TOVANI_IMPLEMENT_CLASS(EZLibError, Exception)
TOVANI_IMPLEMENT_CLASS(EZDecompressionError, EZLibError)

namespace {

// zlib's result texts, indexed by 2 - code.
const char* const kZErrors[] = {"need dictionary", "stream end",  "",
                                "file error",      "stream error", "data error",
                                "insufficient memory", "buffer error", "incompatible version"};

// Output never grows beyond this: a stream claiming more is refused as
// corrupt instead of exhausting memory.
const Int64 kMaxOutput = Int64(1) << 30;

voidpf ZAlloc(voidpf, uInt items, uInt size) { return calloc(items, size); }
void ZFree(voidpf, voidpf address) { free(address); }

}  // namespace

int frxZCheck(int Code) {
  if (Code >= 0) return Code;
  int index = 2 - Code;
  const char* text = index < int(sizeof(kZErrors) / sizeof(kZErrors[0])) ? kZErrors[index] : "";
  throw EZDecompressionError(text);
}

void frxInflateBuffer(const void* InBuffer, Integer InSize, Integer OutEstimate,
                      void*& OutBuffer, Integer& OutSize) {
  OutBuffer = nullptr;
  OutSize = 0;
  if (InSize < 0) InSize = 0;
  Integer delta = (InSize + 255) & ~255;
  if (delta == 0) delta = 256;
  if (OutEstimate <= 0) OutEstimate = delta;

  struct Block {
    void* p = nullptr;
    ~Block() { free(p); }
  } block;
  Int64 size = OutEstimate;
  block.p = malloc(size_t(size));
  if (!block.p) throw EOutOfMemory("Out of memory");

  z_stream z;
  memset(&z, 0, sizeof(z));
  z.zalloc = ZAlloc;
  z.zfree = ZFree;
  z.next_in = static_cast<Bytef*>(const_cast<void*>(InBuffer));
  z.avail_in = uInt(InSize);
  z.next_out = static_cast<Bytef*>(block.p);
  z.avail_out = uInt(size);
  frxZCheck(inflateInit_(&z, ZLIB_VERSION, int(sizeof(z_stream))));
  try {
    for (;;) {
      int rc = frxZCheck(inflate(&z, Z_NO_FLUSH));
      if (rc == Z_STREAM_END) break;
      // No progress possible: the input ended before the stream did.
      if (z.avail_out != 0 && z.avail_in == 0) frxZCheck(Z_BUF_ERROR);
      if (z.avail_out != 0) continue;
      if (size + delta > kMaxOutput) frxZCheck(Z_MEM_ERROR);
      size += delta;
      void* grown = realloc(block.p, size_t(size));
      if (!grown) frxZCheck(Z_MEM_ERROR);
      block.p = grown;
      z.next_out = static_cast<Bytef*>(block.p) + z.total_out;
      z.avail_out = uInt(size - Int64(z.total_out));
    }
  } catch (...) {
    inflateEnd(&z);
    throw;
  }
  inflateEnd(&z);
  Integer total = Integer(z.total_out);
  void* exact = realloc(block.p, total > 0 ? size_t(total) : 1);
  if (exact) block.p = exact;
  OutBuffer = block.p;
  block.p = nullptr;
  OutSize = total;
}

void frxGZipResourceToStream(TStream* Source, TMemoryStream* Dest, String& FileName) {
  FileName.clear();
  Byte header[4];
  Source->ReadBuffer(header, 4);
  Byte adler[4] = {0, 0, 0, 0};
  if (header[0] == 0x1F && header[1] == 0x8B && header[2] == 0x08) {
    Source->ReadBuffer(adler, 4);
    Byte skip[2];
    Source->ReadBuffer(skip, 2);
    if (header[3] & 8) {
      char c;
      for (;;) {
        Source->ReadBuffer(&c, 1);
        if (c == 0) break;
        FileName += c;
      }
    }
  }

  // Re-frame as a zlib stream: header, the deflate data without the gzip
  // trailer, and the Adler-32 kept from the header.
  Int64 rest = Source->Size() - Source->Position() - 8;
  if (rest < 0) rest = 0;
  if (rest > kMaxOutput) frxZCheck(Z_MEM_ERROR);
  std::vector<Byte> z(size_t(rest) + 6);
  z[0] = 0x78;
  z[1] = 0xDA;
  if (rest > 0) Source->ReadBuffer(z.data() + 2, Integer(rest));
  memcpy(z.data() + 2 + rest, adler, 4);

  void* out = nullptr;
  Integer outSize = 0;
  frxInflateBuffer(z.data(), Integer(z.size()), 0, out, outSize);
  std::unique_ptr<void, decltype(&free)> holder(out, &free);
  if (outSize > 0) Dest->WriteBuffer(out, outSize);
}
