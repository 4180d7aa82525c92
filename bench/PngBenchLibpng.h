// libpng behind plain functions, for comparing our PNG codec with it.
#pragma once
#include <cstdint>
#include <vector>

// Encodes 8-bit rows (top first) of Channels 3 (RGB) or 4 (RGBA) as a PNG
// file in memory, compressing the picture once.
bool LibpngEncode(const uint8_t* Pixels, int Width, int Height, int Channels, std::vector<uint8_t>& Out);
// Decodes a PNG file in memory to 8-bit rows of Channels 3 (RGB) or 4 (RGBA).
bool LibpngDecode(const std::vector<uint8_t>& File, int Channels, std::vector<uint8_t>& Pixels, int& Width,
                  int& Height);
