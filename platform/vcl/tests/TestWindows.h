// Helpers for tests that show real windows under Xvfb.
#pragma once
#include <string>
#include "Forms.h"

// Runs the application's pending messages (and a little time for X).
void PumpMessages(int rounds = 3);
// Writes what the window shows on the screen into the build tree.
std::string WriteWindowPng(TWinControl* control, const std::string& name);
// Colour of a screen pixel at a client point of the control.
COLORREF ClientPixel(TWinControl* control, int x, int y);
