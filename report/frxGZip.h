// The report engine's thin layer over zlib: inflating a complete zlib stream
// into a buffer that grows as needed, the decompression error, and reading
// gzip-framed resources (the preview's toolbar bitmaps).
#pragma once
#include "System.h"

class TStream;
class TMemoryStream;

TOVANI_EXCEPTION(EZLibError, Exception)
TOVANI_EXCEPTION(EZDecompressionError, EZLibError)

// Returns Code when it is not negative; a negative zlib result raises
// EZDecompressionError with zlib's text for it ("data error", ...).
int frxZCheck(int Code);

// Inflates a complete zlib-format stream. OutBuffer is a new block of exactly
// OutSize bytes that the caller frees with free(); on error nothing is
// returned and the error is raised. OutEstimate 0 means "input size".
void frxInflateBuffer(const void* InBuffer, Integer InSize, Integer OutEstimate,
                      void*& OutBuffer, Integer& OutSize);

// Decompresses the gzip-framed data at Source's position and appends the
// result to Dest at its position; FileName receives the stored file name.
// The resource producer keeps the Adler-32 of the content in the header's
// time field, which becomes the zlib trailer.
void frxGZipResourceToStream(TStream* Source, TMemoryStream* Dest, String& FileName);
