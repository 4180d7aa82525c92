// libpng behind plain functions, for comparing our PNG codec with it.
#pragma once
#include <cstdint>
#include <vector>

// Encodes 8-bit RGBA rows (top first) as a PNG file in memory.
bool LibpngEncodeRGBA(const uint8_t* Pixels, int Width, int Height, std::vector<uint8_t>& Out);
// Decodes a PNG file in memory to 8-bit RGBA.
bool LibpngDecodeRGBA(const std::vector<uint8_t>& File, std::vector<uint8_t>& Pixels, int& Width, int& Height);
