// The application's data module and the small services every window of the
// program calls: message boxes, the text prompt, id and document numbers,
// money formats, lists from a table column and the permission test.
#pragma once
#include <windows.h>
#include "System.h"
#include "Types.h"

class TCanvas;

// Message boxes with the given owner; an empty caption takes the default
// ("确认", "信息", "错误"). They answer the button pressed (IDOK = 1, IDCANCEL = 2).
Integer MsgConfirm(HWND owner, const String& text, const String& caption = "");
Integer MsgInfo(HWND owner, const String& text, const String& caption = "");
Integer MsgError(HWND owner, const String& text, const String& caption = "");

// Average character size of the canvas font: the width of "A".."Z" and
// "a".."z" divided by 52, and their height.
TSize GetAveCharSize(TCanvas* canvas);

// The document number that follows `highest`, the day's highest number so
// far ("" when the day has none): today as yyyymmdd followed by a four-digit
// count, starting at 0001. Raises EConvertError when the four characters
// after the date of `highest` are not digits, and EDatabaseError when the
// day's 9999 numbers are used up, instead of handing out a number again.
String NextDocumentNumber(const String& highest, TDateTime today);
