#include "cxExtEditUtils.h"

#include "FormatSettings.h"
#include "Graphics.h"
#include "SysUtils.h"

#include <cmath>
#include <cstdlib>

Integer cxExtRectWidth(const TRect& R) { return R.Right > R.Left ? R.Right - R.Left : 0; }

Integer cxExtRectHeight(const TRect& R) { return R.Bottom > R.Top ? R.Bottom - R.Top : 0; }

namespace {
// Flags of the three options, indexed by the option's value (False, True):
// first for DrawText, then for the editor library's text output.
const Integer EndEllipsisFlags[2][2] = {{0, 0x8000}, {0, 0x800}};
const Integer WordWrapFlags[2][2] = {{0, 0x10}, {0, 0x400}};
const Integer ShowPrefixFlags[2][2] = {{0x800, 0}, {0, 0x200}};
// Alignment flags: taLeftJustify, taRightJustify, taCenter and taTopJustify,
// taBottomJustify, taVCenter.
const Integer HorzFlags[2][3] = {{0, 2, 1}, {1, 2, 4}};
const Integer VertFlags[2][3] = {{0, 8, 4}, {8, 0x10, 0x20}};
}  // namespace

Integer cxMakeTextFlags(Integer BaseFlags, TAlignment HorzAlignment, TcxEditVertAlignment VertAlignment,
                        bool EndEllipsis, bool WordWrap, Integer TabCount, bool ForDrawText, bool ShowPrefix) {
  const int k = ForDrawText ? 0 : 1;
  Integer flags = BaseFlags | HorzFlags[k][HorzAlignment] | VertFlags[k][VertAlignment] |
                  EndEllipsisFlags[k][EndEllipsis] | WordWrapFlags[k][WordWrap] | ShowPrefixFlags[k][ShowPrefix];
  if (TabCount > 0) flags |= ForDrawText ? (0x40 | 0x80) : 0x100;
  return flags;
}

bool cxIsEmptyVariant(const Variant& V) { return V.IsNull() || V.IsEmpty(); }

bool cxIsIntegerString(const String& S) {
  const String t = Trim(S);
  Integer v;
  return !t.empty() && TryStrToInt(t, v);
}

bool cxIsFloatString(const String& S) {
  const String t = Trim(S);
  if (t.empty()) return false;
  const char sep = FormatSettings().DecimalSeparator;
  bool seenSep = false, seenDigit = false;
  for (size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      seenDigit = true;
    } else if (c == sep && !seenSep) {
      seenSep = true;
    } else if (c == '-' && i == 0) {
    } else {
      return false;
    }
  }
  if (!seenDigit) return false;
  String plain = t;
  if (sep != '.')
    for (char& c : plain)
      if (c == sep) c = '.';
  const double v = std::strtod(plain.c_str(), nullptr);
  return std::isfinite(v) && std::fabs(v) <= 1.7e308;
}

TcxCanvasFontSelection::TcxCanvasFontSelection(TCanvas* ACanvas)
    : FDC(ACanvas->Handle()), FOld(SelectObject(FDC, ACanvas->Font()->Handle())) {}

TcxCanvasFontSelection::~TcxCanvasFontSelection() { SelectObject(FDC, FOld); }

bool cxPrepareRotatedFont(TCanvas* ACanvas, TFont* AFont, Integer Angle) {
  ACanvas->SetFont(AFont);
  TEXTMETRICW tm{};
  {
    // The metrics of this font, not of whatever the canvas last drew with.
    TcxCanvasFontSelection font(ACanvas);
    GetTextMetricsW(font.DC(), &tm);
  }
  const bool vector = (tm.tmPitchAndFamily & TMPF_VECTOR) != 0;
  const Integer a = ((Angle % 360) + 360) % 360;
  if (vector && a != 0) ACanvas->Font()->SetOrientation(a * 10);
  return vector;
}

const char* const cxColorNames[52] = {
  "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple",
  "clTeal", "clGray", "clSilver", "clRed", "clLime", "clYellow",
  "clBlue", "clFuchsia", "clAqua", "clWhite", "clMoneyGreen", "clSkyBlue",
  "clCream", "clMedGray", "clActiveBorder", "clActiveCaption", "clAppWorkSpace", "clBackground",
  "clBtnFace", "clBtnHighlight", "clBtnShadow", "clBtnText", "clCaptionText", "clDefault",
  "clGradientActiveCaption", "clGradientInactiveCaption", "clGrayText", "clHighlight", "clHighlightText", "clHotLight",
  "clInactiveBorder", "clInactiveCaption", "clInactiveCaptionText", "clInfoBk", "clInfoText", "clMenu",
  "clMenuBar", "clMenuHighlight", "clMenuText", "clNone", "clScrollBar", "cl3DDkShadow",
  "cl3DLight", "clWindow", "clWindowFrame", "clWindowText"};

const char* const cxHTML4ColorNames[16] = {
  "Black", "Silver", "Gray", "White", "Maroon", "Red",
  "Purple", "Fuchsia", "Green", "Lime", "Olive", "Yellow",
  "Navy", "Blue", "Teal", "Aqua"};

const char* const cxX11ColorNames[140] = {
  "AliceBlue", "AntiqueWhite", "Aqua", "Aquamarine", "Azure", "Beige",
  "Bisque", "Black", "BlanchedAlmond", "Blue", "BlueViolet", "Brown",
  "BurlyWood", "CadetBlue", "Chartreuse", "Chocolate", "Coral", "CornflowerBlue",
  "Cornsilk", "Crimson", "Cyan", "DarkBlue", "DarkCyan", "DarkGoldenrod",
  "DarkGray", "DarkGreen", "DarkKhaki", "DarkMagenta", "DarkOliveGreen", "DarkOrange",
  "DarkOrchid", "DarkRed", "DarkSalmon", "DarkSeaGreen", "DarkSlateBlue", "DarkSlateGray",
  "DarkTurquoise", "DarkViolet", "DeepPink", "DeepSkyBlue", "DimGray", "DodgerBlue",
  "FireBrick", "FloralWhite", "ForestGreen", "Fuchsia", "Gainsboro", "GhostWhite",
  "Gold", "Goldenrod", "Gray", "Green", "GreenYellow", "Honeydew",
  "HotPink", "IndianRed", "Indigo", "Ivory", "Khaki", "Lavender",
  "LavenderBlush", "LawnGreen", "LemonChiffon", "LightBlue", "LightCoral", "LightCyan",
  "LightGoldenrodYellow", "LightGreen", "LightGrey", "LightPink", "LightSalmon", "LightSeaGreen",
  "LightSkyBlue", "LightSlateGray", "LightSteelBlue", "LightYellow", "Lime", "LimeGreen",
  "Linen", "Magenta", "Maroon", "MediumAquamarine", "MediumBlue", "MediumOrchid",
  "MediumPurple", "MediumSeaGreen", "MediumSlateBlue", "MediumSpringGreen", "MediumTurquoise", "MediumVioletRed",
  "MidnightBlue", "MintCream", "MistyRose", "Moccasin", "NavajoWhite", "Navy",
  "OldLace", "Olive", "OliveDrab", "Orange", "OrangeRed", "Orchid",
  "PaleGoldenrod", "PaleGreen", "PaleTurquoise", "PaleVioletRed", "PapayaWhip", "PeachPuff",
  "Peru", "Pink", "Plum", "PowderBlue", "Purple", "Red",
  "RosyBrown", "RoyalBlue", "SaddleBrown", "Salmon", "SandyBrown", "SeaGreen",
  "Seashell", "Sienna", "Silver", "SkyBlue", "SlateBlue", "SlateGray",
  "Snow", "SpringGreen", "SteelBlue", "Tan", "Teal", "Thistle",
  "Tomato", "Turquoise", "Violet", "Wheat", "White", "WhiteSmoke",
  "Yellow", "YellowGreen"};

const char* const cxX11OrderedByColorNames[140] = {
  "LightPink", "Pink", "Crimson", "LavenderBlush", "PaleVioletRed", "HotPink",
  "DeepPink", "MediumVioletRed", "Orchid", "Thistle", "Plum", "Violet",
  "Magenta", "Fuchsia", "DarkMagenta", "Purple", "MediumOrchid", "DarkViolet",
  "DarkOrchid", "Indigo", "BlueViolet", "MediumPurple", "MediumSlateBlue", "SlateBlue",
  "DarkSlateBlue", "Lavender", "GhostWhite", "Blue", "MediumBlue", "MidnightBlue",
  "DarkBlue", "Navy", "RoyalBlue", "CornflowerBlue", "LightSteelBlue", "LightSlateGray",
  "SlateGray", "DodgerBlue", "AliceBlue", "SteelBlue", "LightSkyBlue", "SkyBlue",
  "DeepSkyBlue", "LightBlue", "PowderBlue", "CadetBlue", "Azure", "LightCyan",
  "PaleTurquoise", "Cyan", "Aqua", "DarkTurquoise", "DarkSlateGray", "DarkCyan",
  "Teal", "MediumTurquoise", "LightSeaGreen", "Turquoise", "Aquamarine", "MediumAquamarine",
  "MediumSpringGreen", "MintCream", "SpringGreen", "MediumSeaGreen", "SeaGreen", "Honeydew",
  "LightGreen", "PaleGreen", "DarkSeaGreen", "LimeGreen", "Lime", "ForestGreen",
  "Green", "DarkGreen", "Chartreuse", "LawnGreen", "GreenYellow", "DarkOliveGreen",
  "YellowGreen", "OliveDrab", "Beige", "LightGoldenrodYellow", "Ivory", "LightYellow",
  "Yellow", "Olive", "DarkKhaki", "LemonChiffon", "PaleGoldenrod", "Khaki",
  "Gold", "Cornsilk", "Goldenrod", "DarkGoldenrod", "FloralWhite", "OldLace",
  "Wheat", "Moccasin", "Orange", "PapayaWhip", "BlanchedAlmond", "NavajoWhite",
  "AntiqueWhite", "Tan", "BurlyWood", "Bisque", "DarkOrange", "Linen",
  "Peru", "PeachPuff", "SandyBrown", "Chocolate", "SaddleBrown", "Seashell",
  "Sienna", "LightSalmon", "Coral", "OrangeRed", "DarkSalmon", "Tomato",
  "MistyRose", "Salmon", "Snow", "LightCoral", "RosyBrown", "IndianRed",
  "Red", "Brown", "FireBrick", "DarkRed", "Maroon", "White",
  "WhiteSmoke", "Gainsboro", "LightGrey", "Silver", "DarkGray", "Gray",
  "DimGray", "Black"};
