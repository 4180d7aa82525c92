// HTML Help, loaded at run time: help requests do nothing when the library
// or its entry point is missing.
#pragma once
#include "System.h"

// Shows Path ("file.chm::/topic.htm") for the window Wnd (an HWND).
void frxDisplayHelp(void* Wnd, const String& Path);
