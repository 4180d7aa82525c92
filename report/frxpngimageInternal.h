// Helpers shared by the two halves of the PNG picture (container and pixel
// data); not for other users.
#pragma once
#include "System.h"

class TStream;

namespace png_internal {

// The fixed message of a PNG error class.
const char* ErrorText(TClass Kind);
template <class E> [[noreturn]] void Raise() { throw E(ErrorText(E::StaticClass())); }
// EPNGZLIBError with the text of a zlib result code.
[[noreturn]] void RaiseZLibError(int Code);

inline Cardinal GetBE32(const Byte* p) {
  return Cardinal(p[0]) << 24 | Cardinal(p[1]) << 16 | Cardinal(p[2]) << 8 | p[3];
}
inline void PutBE32(Byte* p, Cardinal v) {
  p[0] = Byte(v >> 24), p[1] = Byte(v >> 16), p[2] = Byte(v >> 8), p[3] = Byte(v);
}

// Reads exactly Count bytes or raises EPngUnexpectedEnd.
void ReadExact(TStream* Stream, void* Buffer, Integer Count);
Cardinal ReadBE32(TStream* Stream);
// Refuses a chunk length (plus its CRC) that runs past the end of the data.
void CheckChunkLength(TStream* Stream, Cardinal Size);
// Writes one chunk: length, type, data, CRC-32 of type and data.
void WriteChunk(TStream* Stream, const char Type[4], const Byte* Data, Cardinal Size);

// Bytes of the filtered image data (filter bytes included) of a picture.
Int64 ImageDataSize(Byte ColorType, Byte Depth, Integer Width, Integer Height, bool Interlaced);

// Images whose pixel buffer would exceed this are refused as out of
// resources instead of letting a small file demand gigabytes.
constexpr Int64 kMaxImageBytes = Int64(256) << 20;

}  // namespace png_internal
