// Windows' headers for the window library and its users. Some names of the
// class library (TStrings::GetObject, RegisterClass, StrToInt,
// TCanvas::TextOut, ...) are also macros of Windows' headers that pick the
// A or W function; they are undefined here so that both meanings work.
// Code calls the wide functions by their full names (GetObjectW, DrawTextW).
#pragma once
#include <windows.h>
#undef GetObject
#undef RegisterClass
#undef StrToInt
#undef CreateFont
#undef DrawText
#undef MessageBox
#undef TextOut
#undef AddForm
#undef GetPrinter
#undef SetPrinter
