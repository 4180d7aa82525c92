// Text layout and drawing of report text objects.
//
// TfrxDrawText wraps memo lines at a fixed layout resolution of 600 dots per
// inch, so line breaks do not depend on the device; it understands a small
// set of inline tags (<b>, <i>, <u>, <strike>, <sub>, <sup>, <nowrap>,
// <font color=...>), can hyphenate, measures and cuts the text for memos
// that grow and split across pages, and draws the lines on a screen or
// printer canvas keeping the layout's line widths (WYSIWYG).
//
// Text is UTF-16. Lines wrap at blanks; Chinese (and other ideographic)
// characters are break opportunities of their own, so Chinese text wraps
// between any two characters and mixed text between words; a surrogate pair
// is never split.
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Graphics.h"
#include "System.h"

class TfrxWideStrings;
struct TfrxFloatRect;

using WideString = std::u16string;

enum TfrxHAlign { haLeft, haRight, haCenter, haBlock };
TOVANI_ENUM_INFO(TfrxHAlign)
enum TfrxVAlign { vaTop, vaBottom, vaCenter };
TOVANI_ENUM_INFO(TfrxVAlign)

// The formatting of one visible character of a laid-out line.
struct TfrxHTMLTag {
  Integer Position = 0;   // 1-based index in the plain text (tags and line breaks counted)
  Integer Size = 0;       // points
  Integer AddY = 0;       // 1 for subscript
  TFontStyles Style;
  TColor Color = 0;
  bool Default = false;   // same formatting as the entry before: no font change here
  bool Small = false;     // size differs from the default size
  bool DontWRAP = false;  // inside <nowrap>
  // Copies everything but the no-wrap flag.
  void Assign(const TfrxHTMLTag& Source);
};

// The entries of one laid-out line.
using TfrxHTMLTags = std::vector<TfrxHTMLTag>;

class TfrxHTMLTagsList : public TObject {
  TOVANI_CLASS(TfrxHTMLTagsList, TObject)
 public:
  TfrxHTMLTagsList();
  // Current state = defaults, position counter 1, no lines.
  void Reset(TColor DefColor, Integer DefSize, TFontStyles DefStyle);
  // Adds an empty entry line when at least one exists.
  void StartLine();
  // Adds one entry per visible character of Line to the last entry line,
  // removing the tags from Line (only when tags are allowed).
  void ParseTags(WideString& Line);
  // Splits the last entry line into lines of the given lengths (the rest
  // becomes the last line); a line broken with a hyphen gets an entry for it.
  struct TBreak {
    Integer Count;
    bool Hyphen;
  };
  void SplitLines(const std::vector<TBreak>& Breaks);
  void AppendTag();
  // The position counter moves on (line breaks).
  void Advance(Integer N) { FPosition += N; }

  Integer Count() const { return Integer(FLines.size()); }
  TfrxHTMLTags& Line(Integer Index) { return FLines[size_t(Index)]; }
  bool AllowTags = true;
  TColor DefColor = 0;
  Integer DefSize = 10;
  TFontStyles DefStyle;

 private:
  friend class TfrxDrawText;
  std::vector<TfrxHTMLTags> FLines;
  TColor FColor = 0;
  Integer FSize = 10;
  TFontStyles FStyle;
  Integer FAddY = 0;
  bool FDontWRAP = false;
  Integer FPosition = 1;
};

class TfrxDrawText : public TObject {
  TOVANI_CLASS(TfrxDrawText, TObject)
 public:
  TfrxDrawText();
  ~TfrxDrawText() override;

  // The one lock every layout sequence holds, whichever instance it uses.
  void Acquire();
  void Release();

  void ApplyFont(TFont* Font);
  void ApplyOptions(bool WordWrap, bool AllowTags, Integer Rotation, bool Wysiwyg, bool Clipped,
                    bool WordBreak, bool RTLReading);
  void ApplySpacing(Extended LineSpacing, Extended CharSpacing, Extended ParagraphGap);
  // Unscaled: the text rectangle in report units; Device: in device pixels
  // (also the clipping rectangle).
  void ApplyBounds(const TfrxFloatRect& Unscaled, const TRect& Device, Extended PrintScale, Extended ScaleX,
                   Extended ScaleY);
  void LoadText(const TfrxWideStrings* Text);
  void LoadText(const std::vector<WideString>& Lines);
  void FlagParagraphBreaks(bool FirstBreak, bool LastBreak);
  void PaintText(TCanvas* Canvas, TfrxHAlign HAlign, TfrxVAlign VAlign);

  // Measures in report units.
  Extended TextHeight();
  Extended TextWidth();
  Extended LinePitch();
  Extended SpareHeight();
  // Cuts the layout where the unscaled rectangle ends: returns the text that
  // does not fit (with the formatting in force restored as tags);
  // ParagraphBreak tells whether the cut fell inside a paragraph.
  WideString TakeOverflow(bool& ParagraphBreak);
  // The number of laid-out lines the box has room for.
  Integer FittingLineCount();
  WideString FittingText() const { return FPlainText; }

  static bool IsPrinterCanvas(TCanvas* Canvas);

  // The laid-out lines and their paragraph flags (1 first line of a
  // paragraph, 2 last line, 3 both, 0 inner line).
  Integer LineCount() const { return Integer(FLines.size()); }
  const WideString& LineText(Integer Index) const { return FLines[size_t(Index)]; }
  Integer LineFlags(Integer Index) const { return FFlags[size_t(Index)]; }
  TfrxHTMLTagsList* Tags() { return &FTags; }
  const WideString& PlainText() const { return FPlainText; }
  // The measuring canvas (fonts at 600 dots per inch).
  TCanvas* MeasureCanvas() const;
  // Width of one laid-out line in layout units (600 dpi), as TextWidth counts it.
  Integer LineWidth600(Integer Index);

  // The hook of the drawing code: each run of text it writes, with its
  // device position and per-character advances (for tests and exports).
  struct TRunInfo {
    WideString Text;
    Integer X = 0, Y = 0;
    std::vector<Integer> Advances;
    TFontStyles Style;
    Integer FontHeight = 0;
    Integer Rotation = 0;
  };
  std::function<void(const TRunInfo& Run)> OnTextRun;

 private:
  struct TMeasure;
  void WrapParagraph(const WideString& Source, Integer Width, Integer CharSpacing, Integer FirstWidth);
  // Character widths of Text (the entries of tag line LineIndex) on Canvas,
  // in Canvas pixels, with CharSpacing added to each; Running gives
  // cumulative widths. Returns the total.
  Integer MeasureChars(const WideString& Text, Integer CharSpacing, bool Running, Integer LineIndex,
                       TCanvas* Canvas, std::vector<Integer>& Widths, Integer DeviceHeight = 0);
  // Where words end and where the vowels are, found once for a paragraph.
  struct TWordIndex {
    std::vector<Integer> WordEnd;    // the first separator at or after a character
    std::vector<Integer> LastVowel;  // the last vowel at or before a character, -1: none
  };
  static TWordIndex IndexWords(const WideString& Line);
  WideString HyphenatedPrefix(const WideString& Line, Integer WordStart, Integer Limit, const TWordIndex& Words);
  void AddLine(const WideString& Text);
  void PaintLine(TCanvas* Canvas, const WideString& Line, TfrxHAlign Align, Integer Index, Integer Width,
                 Integer X, Integer Y);
  void PlaceRotatedBox(Integer BlockHeight, Integer& X, Integer& Y, Integer& BoxWidth, Integer& Available,
                       TfrxVAlign VAlign);
  HFONT MakeDeviceFont(TFontStyles Style, Integer Height, Integer Angle) const;
  Integer DeviceFontHeight(TCanvas* Canvas, Integer Size) const;

  std::unique_ptr<TBitmap> FBitmap;
  Integer FFontSize = 10;
  TFontStyles FFontStyle;
  String FFontName = "Arial";
  Byte FFontCharset = 1;
  TColor FFontColor = 0;
  TfrxHTMLTagsList FTags;
  Extended FCharSpacing = 0, FLineSpacing = 0, FParagraphGap = 0;
  Integer FOptions = 0;
  Extended FUnscaledLeft = 0, FUnscaledTop = 0, FUnscaledRight = 0, FUnscaledBottom = 0;
  WideString FPlainText;
  Extended FPrintScale = 1;
  Integer FRotation = 0;
  bool FRTLReading = false;
  TRect FDeviceRect;
  Extended FScaleX = 1, FScaleY = 1;
  std::vector<WideString> FLines;
  std::vector<Integer> FFlags;
  bool FWordBreak = false, FWordWrap = true, FWysiwyg = true;
  // Device character widths of the last measured line (sized to the line).
  std::vector<Integer> FWidths;
};

// The process-wide layout engine (reports have one of their own too).
TfrxDrawText* frxDrawText();
// Spreads Count units evenly over Values[From..To] (both inclusive).
void frxSpreadIncrement(std::vector<Integer>& Values, Integer From, Integer To, Integer Increment, Integer Count);
// A copy of Font's handle with escapement and orientation of Angle degrees.
HFONT frxCreateRotatedFont(TFont* Font, Integer Angle);
// True for characters between which a line may break without a blank
// (ideographs, kana, hangul, full-width forms and CJK punctuation).
bool frxIsBreakableChar(char16_t C);
