// The input method of a window: whether it may be used, open or closed, and
// its conversion mode (Chinese, alphanumeric, full or half shape, ...).
#pragma once
#include "Controls.h"

// Applies Mode to the window's input context. imDontCare leaves the window
// with its default context as it is; imDisable takes the context away so no
// input method can be used; the other modes open (or close) the input
// method and, for the conversion modes, set that mode.
void SetImeMode(HWND Window, TImeMode Mode);
