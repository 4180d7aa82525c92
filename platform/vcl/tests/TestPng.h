// Writes what a test drew into a PNG in the build tree, for a person to look at.
#pragma once
#include <string>
class TBitmap;
// Writes the bitmap as an RGB PNG to TOVANI_TEST_BINARY_DIR/name.png; returns the path.
std::string WriteTestPng(TBitmap* bitmap, const std::string& name);
