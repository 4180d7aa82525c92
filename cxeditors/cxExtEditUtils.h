#pragma once
// Small helpers for the label and the check list box: rectangle extents,
// text-drawing flags from alignment and options, empty-value and numeric-text
// tests, font rotation, and the colour-name tables offered to colour pickers.
#include "Types.h"
#include "Variant.h"
#include "cxEdit.h"

class TCanvas;
class TFont;

Integer cxExtRectWidth(const TRect& R);
Integer cxExtRectHeight(const TRect& R);

// Text flags for Windows DrawText (ForDrawText) or for the editor library's
// own text output, from base flags, alignments and options.
Integer cxMakeTextFlags(Integer BaseFlags, TAlignment HorzAlignment, TcxEditVertAlignment VertAlignment,
                        bool EndEllipsis, bool WordWrap, Integer TabCount, bool ForDrawText,
                        bool ShowPrefix = false);

bool cxIsEmptyVariant(const Variant& V);
bool cxIsIntegerString(const String& S);
bool cxIsFloatString(const String& S);

// The canvas takes the font; a TrueType font is turned by Angle degrees.
// Answers whether the font is a vector font.
bool cxPrepareRotatedFont(TCanvas* ACanvas, TFont* AFont, Integer Angle);

// Keeps the canvas's font selected into its device context for direct
// Win32 calls (metrics, DrawText) while it lives; the canvas selects its
// font only when it draws itself.
class TcxCanvasFontSelection {
 public:
  explicit TcxCanvasFontSelection(TCanvas* ACanvas);
  ~TcxCanvasFontSelection();
  TcxCanvasFontSelection(const TcxCanvasFontSelection&) = delete;
  TcxCanvasFontSelection& operator=(const TcxCanvasFontSelection&) = delete;
  HDC DC() const { return FDC; }

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

extern const char* const cxColorNames[52];
extern const char* const cxHTML4ColorNames[16];
extern const char* const cxX11ColorNames[140];
extern const char* const cxX11OrderedByColorNames[140];
