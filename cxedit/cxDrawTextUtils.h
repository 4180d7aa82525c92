// The editors' own text engine: it is the one place that measures, wraps
// and draws editor text. It breaks a text into rows for a rectangle (at
// spaces and tabs, between Chinese characters, and inside a word only when
// asked), places the rows by horizontal and vertical alignment (justified
// and distributed included), cuts the last visible row with an ellipsis,
// draws the rows clipped to the rectangle with an optional selected range in
// its own colours, or only measures.
//
// Text is UTF-8 and rows always hold whole characters. Row offsets and
// lengths count bytes of the caller's text (rows point into it, so the text
// must outlive them); selection positions count characters, as the editors'
// selections do. "&" is an ordinary character here: the engine knows no
// accelerator prefixes.
#pragma once
#include <vector>

#include "Graphics.h"
#include "cxGraphics.h"

// Text-out flags.
constexpr Cardinal CXTO_LEFT = 0x0;
constexpr Cardinal CXTO_CENTER_HORIZONTALLY = 0x1;
constexpr Cardinal CXTO_RIGHT = 0x2;
constexpr Cardinal CXTO_JUSTIFY = 0x3;
constexpr Cardinal CXTO_DISTRIBUTE = 0x4;
constexpr Cardinal CXTO_HORZ_MASK = 0x7;
constexpr Cardinal CXTO_TOP = 0x00;
constexpr Cardinal CXTO_CENTER_VERTICALLY = 0x10;
constexpr Cardinal CXTO_BOTTOM = 0x20;
constexpr Cardinal CXTO_DISTRIBUTE_VERTICALLY = 0x30;
constexpr Cardinal CXTO_VERT_MASK = 0x30;
constexpr Cardinal CXTO_PREVENT_LEFT_EXCEED = 0x40;
constexpr Cardinal CXTO_PREVENT_TOP_EXCEED = 0x80;
constexpr Cardinal CXTO_WORDBREAK = 0x100;
constexpr Cardinal CXTO_SINGLELINE = 0x200;
constexpr Cardinal CXTO_EXPANDTABS = 0x400;
constexpr Cardinal CXTO_END_ELLIPSIS = 0x800;
constexpr Cardinal CXTO_EXTERNALLEADING = 0x2000;
constexpr Cardinal CXTO_EDITCONTROL = 0x4000;   // only rows that fit completely
constexpr Cardinal CXTO_NOCLIP = 0x8000;
constexpr Cardinal CXTO_AUTOINDENTS = 0x10000;  // carried for callers
constexpr Cardinal CXTO_CHARBREAK = 0x20000;
constexpr Cardinal CXTO_CALCRECT = 0x100000;
constexpr Cardinal CXTO_CALCROWCOUNT = 0x200000;

// The break opportunities of a Far East locale: a word longer than its row
// may be cut between characters even without CXTO_CHARBREAK. The program's
// fixed Chinese profile turns it on; tests may turn it off.
extern bool cxTextLayoutFarEastLocale;

struct TcxTextLayoutParams {
  Integer RowHeight = 0;
  Integer ExternalLeading = 0;
  Integer LineHeight = 0;   // the vertical step between rows
  Integer EllipsisWidth = 0;
  Byte BreakChar = ' ';
  Byte HorzAlignment = 0;   // 0..4
  Byte VertAlignment = 0;   // 0..3
  bool WordBreak = false;
  bool SingleLine = false;
  bool ExpandTabs = false;
  bool EndEllipsis = false;
  bool ExternalLeadingFlag = false;
  bool FullyVisibleRows = false;
  bool NoClip = false;
  bool AutoIndents = false;
  bool PreventLeftExceed = false;
  bool PreventTopExceed = false;
  bool CharBreak = false;
  bool CalcRowCount = false;
  bool CalcRect = false;
  Integer MaxCharWidth = 0;
  Byte CharSet = 0;
};

struct TcxTextRow {
  const char* Text = nullptr;   // the row's first byte inside the caller's text
  Integer Length = 0;           // bytes
  Integer Width = 0, Height = 0;
  Integer BreakCount = 0;       // spaces and tabs; 0: the row is not stretched
  Integer X = 0, Y = 0;
  Integer StartOffset = 0;      // byte offset of the row in the whole text
};
using TcxTextRows = std::vector<TcxTextRow>;

void cxPrepareTextLayoutParams(HDC DC, Cardinal AFormat, TcxTextLayoutParams& AParams);
void cxPrepareCanvasTextLayoutParams(TcxCanvas* ACanvas, Cardinal AFormat, TcxTextLayoutParams& AParams);
// Breaks the text into rows for R. False when the rows stopped at
// AMaxLineCount (> 0) with text left over (the caller shows an ellipsis).
bool cxBuildTextRows(HDC DC, const String& AText, const TRect& R, const TcxTextLayoutParams& AParams,
                     TcxTextRows& ARows, Integer& ARowCount, Integer AMaxLineCount = 0);
bool cxBuildCanvasTextRows(TcxCanvas* ACanvas, const String& AText, const TRect& R,
                           const TcxTextLayoutParams& AParams, TcxTextRows& ARows, Integer& ARowCount,
                           Integer AMaxLineCount = 0);
// Sets X and Y of each row; vertical distribution may change LineHeight.
void cxArrangeTextRows(HDC DC, const TRect& R, TcxTextLayoutParams& AParams, TcxTextRows& ARows, Integer ARowCount);
// Draws arranged rows in the DC's text colour; characters ASelStart ..
// ASelStart + ASelLength - 1 of the text in the selection colours.
void cxPaintTextRows(HDC DC, const TRect& R, const TcxTextLayoutParams& AParams, TcxTextRows& ARows,
                     Integer ARowCount, Integer ASelStart, Integer ASelLength, TColor ASelBkColor,
                     TColor ASelTextColor, bool AEllipsis);
Integer cxWidestTextRow(const TcxTextRows& ARows, Integer ACount);
bool cxTextRectHasRoom(const TcxTextLayoutParams& AParams, const TRect& R);
TRect cxIndentTextRect(const TRect& R, const TcxTextLayoutParams& AParams, Integer ALeftIndent, Integer ARightIndent);
TRect cxUnindentTextRect(const TRect& R, const TcxTextLayoutParams& AParams, Integer ALeftIndent,
                         Integer ARightIndent);
// The extent of ALength bytes of text; tabs at the default tab width.
void cxMeasureTextSpan(HDC DC, const char* AText, Integer ALength, bool AExpandTabs, TSize& ASize);
void cxMeasureTextRow(HDC DC, TcxTextRow& ARow, const TcxTextLayoutParams& AParams);

// One call: lay out and draw (or, with CXTO_CALCRECT, measure into R). The
// text's height, or its row count (CXTO_CALCROWCOUNT, or a height of 0).
Integer cxLayoutAndDrawText(HDC DC, const String& AText, TRect& R, Cardinal AFormat, Integer ASelStart = 0,
                            Integer ASelLength = 0, TColor ASelBkColor = clNone, TColor ASelTextColor = clNone,
                            Integer AMaxLineCount = 0, Integer ALeftIndent = 0, Integer ARightIndent = 0);
Integer cxLayoutAndDrawCanvasText(TCanvas* ACanvas, const String& AText, TRect& R, Cardinal AFormat,
                                  Integer ASelStart = 0, Integer ASelLength = 0, TColor ASelBkColor = clNone,
                                  TColor ASelTextColor = clNone, Integer AMaxLineCount = 0,
                                  Integer ALeftIndent = 0, Integer ARightIndent = 0);
Integer cxLayoutAndDrawTextPlain(HDC DC, const String& AText, TRect& R, Cardinal AFormat, Integer AMaxLineCount = 0,
                                 Integer ALeftIndent = 0, Integer ARightIndent = 0);
Integer cxLayoutAndDrawCanvasTextPlain(TcxCanvas* ACanvas, const String& AText, TRect& R, Cardinal AFormat,
                                       Integer AMaxLineCount = 0, Integer ALeftIndent = 0, Integer ARightIndent = 0);

// The current clip region is copied (null when there is none) and the clip
// cut to R; the restore puts the copy back and frees it.
HRGN cxClipToRectSaving(HDC DC, const TRect& R);
void cxRestoreSavedClip(HDC DC, HRGN& ARegion);

// Between these flags and the canvas text flags (cxtf...).
Cardinal cxTextOutFlagsFromDrawTextFlags(Cardinal AFlags);
Cardinal cxDrawTextFlagsFromTextOutFlags(Cardinal AFlags);

// Whether a text reads right to left (its first strong character is Hebrew
// or Arabic).
bool cxIsRightToLeftText(const char* AText, Integer ALength);
