// Small functions the report model, the serializer, the engine, the prepared
// pages and the preview share: rectangle areas, component lookup by name, a
// stream checksum and hex text, locale-free numbers, delimiter matching, the
// error-reporting rule of reports, picture drawing, page ranges, collection
// streaming for form resources, temporary files and the program's folder.
#pragma once
#include <vector>

#include "frxClass.h"

class TBitmap;
class TCustomImageList;
class TGraphic;
class TReader;
class TWriter;
struct TRect;

using WideString = std::u16string;

class TfrxRectArea : public TObject {
  TOVANI_CLASS(TfrxRectArea, TObject)
 public:
  TfrxRectArea(Extended ALeft, Extended ATop, Extended ARight, Extended ABottom)
      : Left(ALeft), Top(ATop), Right(ARight), Bottom(ABottom) {}
  // The object's absolute rectangle.
  static TfrxRectArea* CreateFromComponent(TfrxComponent* Component);

  bool OverlapsHorizontally(const TfrxRectArea* Other) const;
  bool OverlapsVertically(const TfrxRectArea* Other) const;
  // The common horizontal stretch (top and bottom 0), owned by the caller;
  // null when the two do not overlap horizontally.
  TfrxRectArea* HorizontalOverlap(const TfrxRectArea* Other) const;

  Extended Left, Top, Right, Bottom;
};

TfrxFloatRect frxMakeRect(Extended Left, Extended Top, Extended Right, Extended Bottom);

// Components and references. "Form.Comp" and "Form.Frame.Comp" name
// components of forms and data modules; a plain name is looked up in Owner
// and, for a report, in the report's own owner. Null when nothing matches;
// an error inside the lookup raises EClassNotFound "Missing <name>".
TComponent* frxLookupComponent(TComponent* Owner, const String& Name);
// The name under which a reference to Component is written relative to Owner.
String frxComponentReferenceText(TComponent* Owner, TComponent* Component);

// CRC-32 (zlib's) of the whole stream; the position is kept.
Cardinal frxStreamChecksum32(TStream* Stream);
// Upper-case hex digits, two per byte, of the whole stream.
String frxStreamToHex(TStream* Stream);
// Decodes pairs of hex digits (either case) and writes them at position 0;
// an odd last digit is ignored, anything else that is no hex digit raises.
void frxHexToStream(const String& Text, TStream* Stream);
// The parts between separators; a final separator adds no empty part.
void frxSplitString(const String& Text, TStrings* List, char Separator);
// "," and "." both as the decimal separator, blanks removed; EConvertError
// for anything else that is no number.
Extended frxParseFloat(const String& Text);
inline Extended frxStrToFloat(const String& Text) { return frxParseFloat(Text); }
// Two decimals when X has a fraction, else the integer form.
String frxFloatToText(Extended X);

// The text between Open at StartPos (1-based) and its matching Close, skipping
// quoted parts; StartPos moves to the first Open, EndPos is the last
// character of Close. Empty (EndPos = StartPos) when no Open stands at
// StartPos. The scan steps over whole UTF-8 characters.
String frxExtractBracketed(const String& Text, const String& Open, const String& Close, Integer& StartPos,
                           Integer& EndPos);
WideString frxExtractBracketedWide(const WideString& Text, const WideString& Open, const WideString& Close,
                                   Integer& StartPos, Integer& EndPos);

// Reports Text by the report's silent mode: message box, nothing, or an
// exception (Exception with Text).
void frxReportError(TfrxReport* Report, const String& Text);
void frxShowErrorBox(const String& Text);

// Lets the application handle its pending window messages, at most once in
// every few milliseconds of work (always with Force). Building and printing
// call this per row, band or page; each pump is a round trip to the window
// server even when nothing is waiting, so pumping every time made the
// server's answers a third of a long report's time.
void frxProcessMessages(bool Force = false);

// Pictures
// Cuts Bitmap into Width by Height tiles, row by row, each added to Images
// masked by its transparent colour; with SecondImages the tiles go in pairs,
// the second of each pair there. Rows starting below the bitmap are not taken.
void frxCutImageStrip(TBitmap* Bitmap, Integer Width, Integer Height, TCustomImageList* Images,
                      TCustomImageList* SecondImages = nullptr);
void frxDrawTransparentBitmap(TCanvas* Canvas, Integer X, Integer Y, TBitmap* Bitmap);
void frxDrawBitmapStretched(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap);
void frxPaintGraphic(TCanvas* Canvas, const TRect& Rect, TGraphic* Graphic, bool Smooth);

// "1,3,5-7" gives 1 3 5 6 7; "9-" runs to LastPage. Blanks are ignored; a
// number that is no integer raises EConvertError.
void frxParsePageNumbers(const String& Text, std::vector<Integer>& List, Integer LastPage);

// Collections kept as defined properties of a report object (the report's
// "Datasets", "Variables" and "Style"): while the XML serializer writes Owner,
// one attribute text per item; otherwise the class library's own collection
// format. Loading accepts both.
void frxStoreCollection(TCollection* Collection, TWriter* Writer, TfrxComponent* Owner);
void frxLoadCollection(TCollection* Collection, TReader* Reader, TfrxComponent* Owner);
// The high-character coding of collection strings: byte 1 followed by c
// stands for c + 128.
String frxDecodeHighChars(const String& S);
String frxEncodeHighChars(const String& S);

// Files and folders
// A new empty file with the prefix "fr" in Dir (or the system's temporary folder).
String frxNewTempFile(const String& Dir);
String frxProgramFileName();
// With the final "\".
String frxProgramFolder();
