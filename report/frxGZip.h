// The report engine's thin layer over zlib: inflating a complete zlib stream
// into a buffer that grows as needed, the decompression error, reading
// gzip-framed resources (the preview's toolbar bitmaps), and the one rule by
// which every reader of compressed data here judges a call of inflate.
#pragma once
#include "System.h"

class TStream;
class TMemoryStream;
struct z_stream_s;

TOVANI_EXCEPTION(EZLibError, Exception)
TOVANI_EXCEPTION(EZDecompressionError, EZLibError)

// Returns Code when it is not negative; a negative zlib result raises
// EZDecompressionError with zlib's text for it ("data error", ...).
int frxZCheck(int Code);

// What one call of inflate (no flush) came to. Anything but progress, a
// request for more input once all input was consumed, or the end of the
// stream is a failure, and Code then holds zlib's result: a stream that asks
// for a preset dictionary (Z_NEED_DICT, a positive code) fails like damaged
// data, so that no reader loops on it.
enum class TfrxInflateStep { Progress, NeedInput, End, Failed };
TfrxInflateStep frxInflateStep(z_stream_s& Z, int& Code);

// Deflate cannot expand data more than about 1032:1, so no valid stream of
// InSize bytes inflates to more than this.
Int64 frxInflatedSizeLimit(Int64 InSize);

// Inflates a complete zlib-format stream. OutBuffer is a new block of exactly
// OutSize bytes that the caller frees with free(); on error nothing is
// returned and the error is raised. OutEstimate 0 means "input size". The
// output is refused ("insufficient memory") beyond MaxOut bytes when MaxOut
// is positive, and always beyond what the input can hold and 1 GiB.
void frxInflateBuffer(const void* InBuffer, Integer InSize, Integer OutEstimate,
                      void*& OutBuffer, Integer& OutSize, Int64 MaxOut = 0);

// Decompresses the gzip-framed data at Source's position and appends the
// result to Dest at its position; FileName receives the stored file name.
// The resource producer keeps the Adler-32 of the content in the header's
// time field, which becomes the zlib trailer. On error Dest is left as it was.
void frxGZipResourceToStream(TStream* Source, TMemoryStream* Dest, String& FileName);
