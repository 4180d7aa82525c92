#include "frxGZip.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
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
// The file name a gzip header may carry; the resource producer stores a
// short one, so a longer name means a damaged header.
const size_t kMaxFileName = 1024;
// Output is handed on in pieces of this size where it is not kept whole.
const size_t kPiece = 64 * 1024;

voidpf ZAlloc(voidpf, uInt items, uInt size) { return calloc(items, size); }
void ZFree(voidpf, voidpf address) { free(address); }

[[noreturn]] void RaiseZ(int Code) {
  int index = 2 - Code;
  const int count = int(sizeof(kZErrors) / sizeof(kZErrors[0]));
  throw EZDecompressionError(index >= 0 && index < count ? kZErrors[index] : "");
}

// A complete zlib stream held in memory, inflated piece by piece.
class TMemoryInflater {
 public:
  TMemoryInflater(const void* In, Int64 InSize) {
    memset(&FZ, 0, sizeof(FZ));
    FZ.zalloc = ZAlloc;
    FZ.zfree = ZFree;
    FZ.next_in = static_cast<Bytef*>(const_cast<void*>(In));
    FZ.avail_in = uInt(InSize);
    frxZCheck(inflateInit_(&FZ, ZLIB_VERSION, int(sizeof(z_stream))));
  }
  ~TMemoryInflater() { inflateEnd(&FZ); }
  TMemoryInflater(const TMemoryInflater&) = delete;
  TMemoryInflater& operator=(const TMemoryInflater&) = delete;

  // Fills Out with up to Room bytes and returns how many; Done tells that
  // the stream has ended. Raises EZDecompressionError for damaged data and
  // for input that ends before the stream does ("buffer error").
  size_t Fill(Byte* Out, size_t Room, bool& Done) {
    FZ.next_out = Out;
    FZ.avail_out = uInt(Room);
    while (FZ.avail_out > 0 && !FDone) {
      int code = Z_OK;
      switch (frxInflateStep(FZ, code)) {
        case TfrxInflateStep::Progress: break;
        case TfrxInflateStep::End: FDone = true; break;
        case TfrxInflateStep::NeedInput: RaiseZ(Z_BUF_ERROR);
        case TfrxInflateStep::Failed: RaiseZ(code);
      }
    }
    Done = FDone;
    return Room - FZ.avail_out;
  }

 private:
  z_stream FZ;
  bool FDone = false;
};

}  // namespace

int frxZCheck(int Code) {
  if (Code >= 0) return Code;
  RaiseZ(Code);
}

TfrxInflateStep frxInflateStep(z_stream_s& Z, int& Code) {
  Code = inflate(&Z, Z_NO_FLUSH);
  switch (Code) {
    case Z_OK: return TfrxInflateStep::Progress;
    case Z_STREAM_END: return TfrxInflateStep::End;
    case Z_BUF_ERROR:
      // Only "all input used, give me more" lets the caller go on; with
      // input left the call had no room to write, which is no progress.
      if (Z.avail_in == 0 && Z.avail_out != 0) return TfrxInflateStep::NeedInput;
      return TfrxInflateStep::Failed;
    default: return TfrxInflateStep::Failed;
  }
}

Int64 frxInflatedSizeLimit(Int64 InSize) { return InSize <= 0 ? 0 : InSize * 1032 + 1032; }

void frxInflateBuffer(const void* InBuffer, Integer InSize, Integer OutEstimate,
                      void*& OutBuffer, Integer& OutSize, Int64 MaxOut) {
  OutBuffer = nullptr;
  OutSize = 0;
  if (InSize < 0) InSize = 0;
  Int64 cap = std::min(kMaxOutput, frxInflatedSizeLimit(InSize));
  if (MaxOut > 0) cap = std::min(cap, MaxOut);
  // One byte beyond the limit shows a stream that goes on past it.
  const Int64 room = cap + 1;
  Int64 size = OutEstimate > 0 ? OutEstimate : std::max<Int64>((InSize + 255) & ~255, 256);
  size = std::min(size, room);

  struct Block {
    void* p = nullptr;
    ~Block() { free(p); }
  } block;
  block.p = malloc(size_t(size));
  if (!block.p) throw EOutOfMemory("Out of memory");

  TMemoryInflater z(InBuffer, InSize);
  Int64 total = 0;
  bool done = false;
  for (;;) {
    total += Int64(z.Fill(static_cast<Byte*>(block.p) + total, size_t(size - total), done));
    if (total > cap) RaiseZ(Z_MEM_ERROR);
    if (done) break;
    // Full: grow geometrically, so that a large output costs few copies.
    size = std::min(size * 2, room);
    void* grown = realloc(block.p, size_t(size));
    if (!grown) RaiseZ(Z_MEM_ERROR);
    block.p = grown;
  }
  void* exact = realloc(block.p, total > 0 ? size_t(total) : 1);
  if (exact) block.p = exact;
  OutBuffer = block.p;
  block.p = nullptr;
  OutSize = Integer(total);
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
      String name;
      char c;
      for (;;) {
        Source->ReadBuffer(&c, 1);
        if (c == 0) break;
        if (name.size() >= kMaxFileName) RaiseZ(Z_DATA_ERROR);
        name += c;
      }
      FileName = name;
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

  // The output goes straight into Dest, a piece at a time, so that it is
  // held once; a failure puts Dest back as it was.
  const Int64 oldSize = Dest->Size(), oldPos = Dest->Position();
  String overwritten;
  if (oldPos < oldSize) {
    overwritten.resize(size_t(oldSize - oldPos));
    memcpy(overwritten.data(), static_cast<const Byte*>(Dest->Memory()) + oldPos, overwritten.size());
  }
  try {
    TMemoryInflater inflater(z.data(), Int64(z.size()));
    const Int64 cap = std::min(kMaxOutput, frxInflatedSizeLimit(Int64(z.size())));
    std::vector<Byte> piece(kPiece);
    Int64 total = 0;
    bool done = false;
    while (!done) {
      size_t n = inflater.Fill(piece.data(), piece.size(), done);
      total += Int64(n);
      if (total > cap) RaiseZ(Z_MEM_ERROR);
      if (n > 0) Dest->WriteBuffer(piece.data(), LongInt(n));
    }
  } catch (...) {
    Dest->SetSize(oldSize);
    if (!overwritten.empty()) {
      Dest->SetPosition(oldPos);
      Dest->WriteBuffer(overwritten.data(), LongInt(overwritten.size()));
    }
    Dest->SetPosition(oldPos);
    throw;
  }
}
