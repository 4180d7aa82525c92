#include "frxGraphicUtils.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "PrintedGlyphs.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxUnicodeUtils.h"

TOVANI_IMPLEMENT_ENUM_INFO(TfrxHAlign, "haLeft", "haRight", "haCenter", "haBlock")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxVAlign, "vaTop", "vaBottom", "vaCenter")
TOVANI_IMPLEMENT_CLASS(TfrxHTMLTagsList, TObject)
TOVANI_IMPLEMENT_CLASS(TfrxDrawText, TObject)

namespace {

// Layout and screen resolutions; their ratio turns report units into layout units.
constexpr Extended kLayoutDpi = 600;
constexpr Extended kScreenDpi = 96;
constexpr Extended kRatio = kLayoutDpi / kScreenDpi;

Integer Rnd(Extended x) { return Integer(std::nearbyint(x)); }

std::recursive_mutex& LayoutLock() {
  static std::recursive_mutex lock;
  return lock;
}

char16_t Upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return char16_t(c - 32);
  if (c >= 0x430 && c <= 0x44F) return char16_t(c - 0x20);  // Cyrillic small letters
  if (c == 0x451) return 0x401;                             // ё
  return c;
}

bool IsBlank(char16_t c) { return c == u' ' || c == 0xA0; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Case-insensitive match of an ASCII upper-case pattern at Pos.
bool MatchAt(const WideString& s, size_t pos, const char* pattern) {
  for (size_t i = 0; pattern[i]; ++i)
    if (pos + i >= s.size() || Upper(s[pos + i]) != char16_t(pattern[i])) return false;
  return true;
}

// The letters of hyphenation (Cyrillic capitals).
const std::u16string kVowels = u"АЕЁИОУЫЭЮЯ";
const std::u16string kConsonants = u"БВГДЖЗЙКЛМНПРСТФХЦЧШЩЬЪ";
const std::u16string kSigns = u"ЬЪ";
constexpr char16_t kShortI = u'Й';

bool In(const std::u16string& set, char16_t c) { return set.find(c) != std::u16string::npos; }

}  // namespace

bool frxIsBreakableChar(char16_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) ||   // CJK radicals, punctuation, kana, ideographs
         (c >= 0xAC00 && c <= 0xD7AF) ||   // hangul
         (c >= 0xF900 && c <= 0xFAFF) ||   // compatibility ideographs
         (c >= 0xFF00 && c <= 0xFFEF);     // full-width forms
}

void frxSpreadIncrement(std::vector<Integer>& Values, Integer From, Integer To, Integer Increment, Integer Count) {
  if (Count <= 0 || From > To) return;
  if (Count == 1) {
    Values[size_t((From + To) / 2)] += Increment;
    return;
  }
  if (From == To) {
    Values[size_t(From)] += Increment * Count;
    return;
  }
  Integer half = std::max<Integer>(1, (To - From + 1) / 2);
  frxSpreadIncrement(Values, From, From + half - 1, Increment, Count / 2);
  frxSpreadIncrement(Values, From + half, To, Increment, Count - Count / 2);
}

HFONT frxCreateRotatedFont(TFont* Font, Integer Angle) {
  LOGFONTW lf{};
  if (!GetObjectW(Font->Handle(), sizeof(lf), &lf)) return nullptr;
  lf.lfEscapement = lf.lfOrientation = Angle * 10;
  return CreateFontIndirectW(&lf);
}

// ---------------------------------------------------------------------------
// Tag entries

void TfrxHTMLTag::Assign(const TfrxHTMLTag& Source) {
  bool dontWrap = DontWRAP;
  *this = Source;
  DontWRAP = dontWrap;
}

TfrxHTMLTagsList::TfrxHTMLTagsList() = default;

void TfrxHTMLTagsList::Reset(TColor ADefColor, Integer ADefSize, TFontStyles ADefStyle) {
  DefColor = FColor = ADefColor;
  DefSize = FSize = ADefSize;
  DefStyle = FStyle = ADefStyle;
  FAddY = 0;
  FDontWRAP = false;
  FPosition = 1;
  FLines.clear();
}

void TfrxHTMLTagsList::StartLine() { FLines.emplace_back(); }

void TfrxHTMLTagsList::AppendTag() {
  if (FLines.empty()) FLines.emplace_back();
  TfrxHTMLTag t;
  t.Position = FPosition;
  t.Size = FSize;
  t.AddY = FAddY;
  t.Style = FStyle;
  t.Color = FColor;
  t.DontWRAP = FDontWRAP;
  t.Small = FSize != DefSize;
  // Same formatting as the entry before, across line boundaries; the very
  // first entry compares with the defaults.
  const TfrxHTMLTag* prev = nullptr;
  for (auto it = FLines.rbegin(); it != FLines.rend() && !prev; ++it)
    if (!it->empty()) prev = &it->back();
  if (!AllowTags) t.Default = true;
  else if (prev)
    t.Default = prev->Style == t.Style && prev->Color == t.Color && prev->Size == t.Size && prev->AddY == t.AddY &&
                prev->DontWRAP == t.DontWRAP;
  else t.Default = t.Style == DefStyle && t.Color == DefColor && t.Size == DefSize;
  FLines.back().push_back(t);
}

void TfrxHTMLTagsList::ParseTags(WideString& Line) {
  WideString out;
  out.reserve(Line.size());
  size_t i = 0;
  while (i < Line.size()) {
    char16_t c = Line[i];
    size_t len = 0;
    if (AllowTags && c == u'<') {
      auto tag = [&](const char* name) { return MatchAt(Line, i, name); };
      if (tag("<B>")) FStyle += fsBold, len = 3;
      else if (tag("<I>")) FStyle += fsItalic, len = 3;
      else if (tag("<U>")) FStyle += fsUnderline, len = 3;
      else if (tag("<SUB>")) FSize = Rnd(DefSize / 1.5), FAddY = 1, len = 5;
      else if (tag("<SUP>")) FSize = Rnd(DefSize / 1.5), FAddY = 0, len = 5;
      else if (tag("<NOWRAP>")) FDontWRAP = true, len = 8;
      else if (tag("<STRIKE>")) FStyle += fsStrikeOut, len = 8;
      else if (tag("</B>")) FStyle -= fsBold, len = 4;
      else if (tag("</I>")) FStyle -= fsItalic, len = 4;
      else if (tag("</U>")) FStyle -= fsUnderline, len = 4;
      else if (tag("</STRIKE>")) FStyle -= fsStrikeOut, len = 9;
      else if (tag("</NOWRAP>")) FDontWRAP = false, len = 9;
      else if (tag("</FONT>")) FColor = DefColor, len = 7;
      else if (tag("</SUB>") || tag("</SUP>")) FSize = DefSize, FAddY = 0, len = 6;
      else if (tag("<FONT COLOR")) {
        size_t p = i + 11;
        while (p < Line.size() && Line[p] == u' ') ++p;
        size_t close = Line.find(u'>', p);
        if (p < Line.size() && Line[p] == u'=' && close != WideString::npos) {
          ++p;
          while (p < close && Line[p] == u' ') ++p;
          WideString value = Line.substr(p, close - p);
          bool found = false;
          TColor color = 0;
          if (value.size() > 3 && value[0] == u'"' && value[1] == u'#' && value.back() == u'"') {
            // RRGGBB in the text; colours keep blue in the high byte.
            WideString hex = value.substr(2, value.size() - 3);
            String h = Utf16ToUtf8(hex);
            char* end = nullptr;
            long rgb = h.empty() ? 0 : std::strtol(h.c_str(), &end, 16);
            if (!h.empty() && end && *end == 0 && h.size() <= 6) {
              color = TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
              found = true;
            }
          } else {
            found = IdentToColor("cl" + Utf16ToUtf8(value), color);
          }
          if (found) {
            FColor = color;
            len = close - i + 1;
          }
        }
      }
    }
    if (len) {
      FPosition += Integer(len);
      i += len;
      continue;
    }
    out += c;
    AppendTag();
    ++FPosition;
    ++i;
  }
  if (out.empty()) {
    out = u" ";
    AppendTag();
  }
  Line = out;
}

void TfrxHTMLTagsList::SplitLines(const std::vector<TBreak>& Breaks) {
  if (FLines.empty() || Breaks.empty()) return;
  // One pass over the entries: every entry is moved once, whatever the
  // number of lines the paragraph makes.
  TfrxHTMLTags whole = std::move(FLines.back());
  FLines.pop_back();
  size_t from = 0;
  for (const TBreak& b : Breaks) {
    // A break that leaves nothing after it splits nothing off.
    if (whole.size() - from <= size_t(std::max<Integer>(b.Count, 0))) break;
    size_t to = from + size_t(std::max<Integer>(b.Count, 0));
    TfrxHTMLTags line(std::make_move_iterator(whole.begin() + std::ptrdiff_t(from)),
                      std::make_move_iterator(whole.begin() + std::ptrdiff_t(to)));
    if (b.Hyphen && !line.empty()) {
      TfrxHTMLTag h;
      h.Assign(line.back());
      line.push_back(h);
    }
    // The entries keep their own positions, so the text of a line begins
    // exactly at its first character whatever the break was.
    FLines.push_back(std::move(line));
    from = to;
  }
  FLines.emplace_back(std::make_move_iterator(whole.begin() + std::ptrdiff_t(from)),
                      std::make_move_iterator(whole.end()));
}

// ---------------------------------------------------------------------------
// TfrxDrawText

TfrxDrawText::TfrxDrawText() : FBitmap(std::make_unique<TBitmap>(1, 1)) { FTags.AllowTags = true; }

TfrxDrawText::~TfrxDrawText() = default;

TfrxDrawText* frxDrawText() {
  static TfrxDrawText instance;
  return &instance;
}

void TfrxDrawText::Acquire() { LayoutLock().lock(); }
void TfrxDrawText::Release() { LayoutLock().unlock(); }

TCanvas* TfrxDrawText::MeasureCanvas() const { return FBitmap->Canvas(); }

void TfrxDrawText::ApplyFont(TFont* Font) {
  FFontSize = Font->Size();
  FFontName = Font->Name();
  FFontStyle = Font->Style();
  FFontCharset = Font->Charset();
  FFontColor = Font->Color();
}

void TfrxDrawText::ApplyOptions(bool WordWrap, bool AllowTags, Integer Rotation, bool Wysiwyg, bool Clipped,
                                bool WordBreak, bool RTLReading) {
  FWordWrap = WordWrap;
  FTags.AllowTags = AllowTags;
  FRotation = ((Rotation % 360) + 360) % 360;
  FWysiwyg = Wysiwyg;
  FWordBreak = WordBreak;
  FRTLReading = RTLReading;
  FOptions = (RTLReading ? ETO_RTLREADING : 0) | (Clipped ? ETO_CLIPPED : 0);
}

void TfrxDrawText::ApplySpacing(Extended LineSpacing, Extended CharSpacing, Extended ParagraphGap) {
  FLineSpacing = LineSpacing;
  FCharSpacing = CharSpacing;
  FParagraphGap = ParagraphGap;
}

void TfrxDrawText::ApplyBounds(const TfrxFloatRect& Unscaled, const TRect& Device, Extended PrintScale,
                               Extended ScaleX, Extended ScaleY) {
  FUnscaledLeft = Unscaled.Left;
  FUnscaledTop = Unscaled.Top;
  FUnscaledRight = Unscaled.Right;
  FUnscaledBottom = Unscaled.Bottom;
  FDeviceRect = Device;
  FPrintScale = PrintScale;
  FScaleX = ScaleX;
  FScaleY = ScaleY;
}

bool TfrxDrawText::IsPrinterCanvas(TCanvas* Canvas) {
  return Canvas && GetDeviceCaps(Canvas->Handle(), TECHNOLOGY) == DT_RASPRINTER;
}

HFONT TfrxDrawText::MakeDeviceFont(TFontStyles Style, Integer Height, Integer Angle) const {
  LOGFONTW lf{};
  lf.lfHeight = Height;
  lf.lfWeight = Style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = Style.Contains(fsItalic);
  lf.lfUnderline = Style.Contains(fsUnderline);
  lf.lfStrikeOut = Style.Contains(fsStrikeOut);
  lf.lfCharSet = FFontCharset;
  lf.lfEscapement = lf.lfOrientation = Angle * 10;
  std::u16string face = Utf8ToUtf16(FFontName);
  face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
  std::copy(face.begin(), face.end(), reinterpret_cast<char16_t*>(lf.lfFaceName));
  return CreateFontIndirectW(&lf);
}

Integer TfrxDrawText::DeviceFontHeight(TCanvas* Canvas, Integer Size) const {
  if (IsPrinterCanvas(Canvas))
    return -Rnd(GetDeviceCaps(Canvas->Handle(), LOGPIXELSY) * Size * FPrintScale / 72);
  return -Rnd(Size * FScaleY * 96 / 72);
}

Integer TfrxDrawText::MeasureChars(const WideString& Text, Integer CharSpacing, bool Running, Integer LineIndex,
                                   TCanvas* Canvas, std::vector<Integer>& Widths, Integer DeviceHeight) {
  const size_t n = Text.size();
  Widths.assign(n, 0);
  if (n == 0) return 0;
  HDC dc = Canvas->Handle();
  const Integer height = DeviceHeight ? DeviceHeight : -Rnd(FFontSize * kLayoutDpi / 72);
  TfrxHTMLTags* tags = LineIndex >= 0 && LineIndex < FTags.Count() ? &FTags.Line(LineIndex) : nullptr;
  auto entry = [&](size_t i) -> const TfrxHTMLTag* {
    if (!tags || tags->empty()) return nullptr;
    return &(*tags)[std::min(i, tags->size() - 1)];
  };
  std::vector<INT> extents(n);
  size_t i = 0;
  while (i < n) {
    // A run of characters of one style is measured in one call.
    const TfrxHTMLTag* e = entry(i);
    TFontStyles style = e && FTags.AllowTags ? e->Style : FFontStyle;
    size_t j = i + 1;
    while (j < n) {
      const TfrxHTMLTag* f = entry(j);
      TFontStyles s = f && FTags.AllowTags ? f->Style : FFontStyle;
      if (s != style) break;
      ++j;
    }
    HFONT font = MakeDeviceFont(style, height, 0);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    INT fit = 0;
    GetTextExtentExPointW(dc, reinterpret_cast<LPCWSTR>(Text.data() + i), INT(j - i), 0, &fit, extents.data() + i,
                          &size);
    SelectObject(dc, old);
    DeleteObject(font);
    for (size_t k = i; k < j; ++k) {
      Integer w = k == i ? extents[k] : extents[k] - extents[k - 1];
      w += CharSpacing;
      const TfrxHTMLTag* f = entry(k);
      if (f && f->Small) w = Rnd(w / 1.5);
      Widths[k] = w;
    }
    i = j;
  }
  Integer total = 0;
  for (size_t k = 0; k < n; ++k) {
    total += Widths[k];
    if (Running) Widths[k] = total;
  }
  return total;
}

TfrxDrawText::TWordIndex TfrxDrawText::IndexWords(const WideString& Line) {
  const size_t n = Line.size();
  TWordIndex w;
  w.WordEnd.resize(n + 1);
  w.LastVowel.resize(n);
  w.WordEnd[n] = Integer(n);
  for (size_t i = n; i-- > 0;)
    w.WordEnd[i] = WideString(u" .,-;").find(Line[i]) != WideString::npos ? Integer(i) : w.WordEnd[i + 1];
  Integer last = -1;
  for (size_t i = 0; i < n; ++i) {
    if (In(kVowels, Upper(Line[i]))) last = Integer(i);
    w.LastVowel[i] = last;
  }
  return w;
}

WideString TfrxDrawText::HyphenatedPrefix(const WideString& Line, Integer WordStart, Integer Limit,
                                          const TWordIndex& Words) {
  // The word runs up to the first separator at or after Limit. Only break
  // points before Limit are tried, so the work is that of the line, not of
  // the word: a text of one long word stays linear.
  const Integer end = Limit < Integer(Line.size()) ? Words.WordEnd[size_t(Limit)] : Integer(Line.size());
  const Integer len = end - WordStart;
  auto at = [&](Integer k) { return Upper(Line[size_t(WordStart + k)]); };
  Integer best = 0;
  if (len > 3) {
    const bool vowelAfter = end > WordStart && Words.LastVowel[size_t(end - 1)] >= WordStart;
    bool vowelBefore = false;
    const Integer last = std::min(len, Limit - WordStart);
    for (Integer p = 1; p < last; ++p) {
      vowelBefore = vowelBefore || In(kVowels, at(p - 1));
      char16_t c = at(p - 1), next = at(p);
      bool point = false;
      if (In(kConsonants, c)) point = !In(kVowels, next) && !In(kSigns, next);
      else if (In(kVowels, c)) {
        point = next != kShortI;
        if (point && In(kConsonants, next) && p + 1 < len && at(p + 1) == next && p + 2 < len && In(kVowels, at(p + 2)))
          point = false;
      }
      if (!point) continue;
      // A vowel at or after p: the last vowel of the word is there.
      if (p > 1 && len - p > 1 && vowelBefore && vowelAfter && Words.LastVowel[size_t(end - 1)] >= WordStart + p)
        best = p;
    }
  }
  if (best == 0 || best == Limit - WordStart) return WideString();
  return Line.substr(size_t(WordStart), size_t(best));
}

void TfrxDrawText::AddLine(const WideString& Text) {
  FLines.push_back(Text);
  FFlags.push_back(0);
}

void TfrxDrawText::WrapParagraph(const WideString& Source, Integer Width, Integer CharSpacing, Integer FirstWidth) {
  FTags.StartLine();
  WideString line = Source;
  FTags.ParseTags(line);
  FTags.Advance(2);
  const Integer n = Integer(line.size());
  if (n <= 1 || !FWordWrap) {
    AddLine(line);
    return;
  }
  std::vector<Integer> cum;
  Integer total = MeasureChars(line, CharSpacing, true, FTags.Count() - 1, MeasureCanvas(), cum);
  if (total <= FirstWidth) {
    AddLine(line);
    return;
  }
  // The line breaks are collected and the entries split once at the end.
  std::vector<TfrxHTMLTagsList::TBreak> breaks;
  TWordIndex words;
  if (FWordBreak) words = IndexWords(line);
  Integer s = 0, o = 0, limit = FirstWidth;
  Integer brk = -1;        // last character kept at the break
  bool brkDrop = false;    // the break character is a blank that is dropped
  TfrxHTMLTags& entries = FTags.Line(FTags.Count() - 1);
  auto entryNoWrap = [&](Integer i) { return FTags.AllowTags && size_t(i) < entries.size() && entries[size_t(i)].DontWRAP; };
  Integer i = 0;
  while (i < n) {
    char16_t c = line[size_t(i)];
    if (c == u' ' && !entryNoWrap(i)) {
      brk = i;
      brkDrop = true;
    }
    if (cum[size_t(i)] - o <= limit) {
      // Ideographs may end a line after themselves.
      if (frxIsBreakableChar(c) && !entryNoWrap(i) && i + 1 < n && !IsLowSurrogate(line[size_t(i + 1)])) {
        brk = i;
        brkDrop = false;
      }
      ++i;
      continue;
    }
    // Character i does not fit. A line may also end just before an ideograph.
    if (i > s && frxIsBreakableChar(c) && !entryNoWrap(i) && !(brk == i - 1 && brkDrop)) {
      brk = i - 1;
      brkDrop = false;
    }
    Integer keptLast;
    bool hyphen = false;
    WideString text;
    if (brk < s) {
      if (i == s) {
        keptLast = s;
        if (s + 1 < n && IsLowSurrogate(line[size_t(s + 1)])) keptLast = s + 1;
        text = line.substr(size_t(s), size_t(keptLast - s + 1));
      } else {
        keptLast = i - 1;
        // Never between the halves of a surrogate pair.
        if (IsLowSurrogate(line[size_t(i)]) && keptLast > s) --keptLast;
        WideString p = FWordBreak ? HyphenatedPrefix(line, s, i, words) : WideString();
        if (!p.empty()) {
          text = p + u"-";
          keptLast = s + Integer(p.size()) - 1;
          hyphen = true;
        } else {
          text = line.substr(size_t(s), size_t(keptLast - s + 1));
        }
      }
    } else {
      WideString p = FWordBreak && brkDrop ? HyphenatedPrefix(line, brk + 1, i, words) : WideString();
      if (!p.empty()) {
        text = line.substr(size_t(s), size_t(brk - s + 1)) + p + u"-";
        keptLast = brk + Integer(p.size());
        hyphen = true;
      } else {
        text = line.substr(size_t(s), size_t(brk - s + (brkDrop ? 0 : 1)));
        keptLast = brk;
      }
    }
    AddLine(text);
    breaks.push_back({keptLast - s + 1, hyphen});
    o = cum[size_t(keptLast)];
    s = keptLast + 1;
    brk = -1;
    brkDrop = false;
    i = s;
    limit = Width;
  }
  if (s < n) AddLine(line.substr(size_t(s)));
  FTags.SplitLines(breaks);
}

void TfrxDrawText::LoadText(const std::vector<WideString>& Source) {
  FPlainText.clear();
  FLines.clear();
  FFlags.clear();
  FTags.Reset(FFontColor, FFontSize, FFontStyle);
  Extended w = FUnscaledRight - FUnscaledLeft;
  if ((FRotation >= 90 && FRotation < 180) || (FRotation >= 270 && FRotation < 360))
    w = FUnscaledBottom - FUnscaledTop;
  for (const WideString& src : Source) {
    WideString line = src.empty() ? WideString(u" ") : src;
    FPlainText += line + u"\r\n";
    size_t before = FLines.size();
    WrapParagraph(line, Rnd(w * kRatio), Rnd(FCharSpacing * kRatio), Rnd((w - FParagraphGap) * kRatio));
    if (FLines.size() > before) {
      FFlags[before] |= 1;
      FFlags.back() |= 2;
    }
  }
}

void TfrxDrawText::LoadText(const TfrxWideStrings* Text) {
  std::vector<WideString> lines;
  if (Text)
    for (Integer i = 0; i < Text->Count(); ++i) lines.push_back(Text->Get(i));
  LoadText(lines);
}

void TfrxDrawText::FlagParagraphBreaks(bool FirstBreak, bool LastBreak) {
  if (FLines.empty()) return;
  if (FirstBreak) FFlags.front() &= ~1;
  if (LastBreak) FFlags.back() &= ~2;
}

Extended TfrxDrawText::LinePitch() { return Rnd(FFontSize * kLayoutDpi / 72) / kRatio + FLineSpacing; }

Extended TfrxDrawText::TextHeight() {
  if (FLines.empty()) return 0;
  HDC dc = MeasureCanvas()->Handle();
  HFONT font = MakeDeviceFont(FFontStyle, -Rnd(FFontSize * kLayoutDpi / 72), 0);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  DeleteObject(font);
  const Extended h = Rnd(FFontSize * kLayoutDpi / 72) / kRatio;
  return Extended(FLines.size()) * (h + FLineSpacing) - FLineSpacing + tm.tmInternalLeading / kRatio;
}

Integer TfrxDrawText::LineWidth600(Integer Index) {
  std::vector<Integer> widths;
  const WideString& line = FLines[size_t(Index)];
  Integer w = MeasureChars(line, 0, false, Index, MeasureCanvas(), widths);
  w += Rnd(Extended(line.size()) * FCharSpacing * kRatio);
  if (FFlags[size_t(Index)] & 1) w += Rnd(FParagraphGap * kRatio);
  return w;
}

Extended TfrxDrawText::TextWidth() {
  Integer best = 0;
  for (Integer i = 0; i < LineCount(); ++i) best = std::max(best, LineWidth600(i));
  return best / kRatio;
}

Extended TfrxDrawText::SpareHeight() {
  const Extended h = FUnscaledBottom - FUnscaledTop + 1;
  const Extended pitch = Rnd(FFontSize * kLayoutDpi / 72) / kRatio + FLineSpacing;
  const Integer n = pitch > 0 ? Integer(std::trunc(h / pitch)) : 0;
  if (n <= 0) return 0;
  Extended r = h - n * pitch;
  return r == 0 ? 0.0001 : r;
}

Integer TfrxDrawText::FittingLineCount() {
  const Extended h = FUnscaledBottom - FUnscaledTop + 1;
  const Extended pitch = Rnd(FFontSize * kLayoutDpi / 72) / kRatio + FLineSpacing;
  const Integer n = pitch > 0 ? Integer(std::trunc(h / pitch)) : 0;
  return std::max<Integer>(0, std::min<Integer>(LineCount(), n));
}

WideString TfrxDrawText::TakeOverflow(bool& ParagraphBreak) {
  ParagraphBreak = false;
  if (FLines.empty()) return WideString();
  const Integer n = FittingLineCount();
  if (n >= LineCount()) return WideString();
  if (n > 0) ParagraphBreak = (FFlags[size_t(n - 1)] & 2) == 0;
  const TfrxHTMLTag* first = nullptr;
  if (n < FTags.Count() && !FTags.Line(n).empty()) first = &FTags.Line(n).front();
  Integer pos = first ? first->Position : 1;
  pos = std::max<Integer>(1, std::min<Integer>(pos, Integer(FPlainText.size()) + 1));
  WideString overflow = FPlainText.substr(size_t(pos - 1));
  if (ParagraphBreak && !overflow.empty() && overflow[0] == u' ') overflow.erase(0, 1);
  FPlainText.resize(size_t(pos - 1));
  const bool hyphen = n > 0 && !FLines[size_t(n - 1)].empty() && FLines[size_t(n - 1)].back() == u'-';
  FLines.resize(size_t(n));
  FFlags.resize(size_t(n));
  if (FWordBreak && hyphen) FPlainText += u"-";
  if (FTags.AllowTags && first) {
    if (first->Style.Contains(fsBold)) overflow = u"<b>" + overflow;
    if (first->Style.Contains(fsItalic)) overflow = u"<i>" + overflow;
    if (first->Style.Contains(fsUnderline)) overflow = u"<u>" + overflow;
    COLORREF rgb = ColorToRGB(first->Color);
    String hex = Format("%.2x%.2x%.2x", {Integer(GetRValue(rgb)), Integer(GetGValue(rgb)), Integer(GetBValue(rgb))});
    overflow = u"<font color=\"#" + Utf8ToUtf16(UpperCase(hex)) + u"\">" + overflow;
  }
  return overflow;
}

// ---------------------------------------------------------------------------
// Drawing

void TfrxDrawText::PlaceRotatedBox(Integer S, Integer& X, Integer& Y, Integer& BoxWidth, Integer& Available,
                                   TfrxVAlign VAlign) {
  const Integer L = FDeviceRect.Left, T = FDeviceRect.Top, R = FDeviceRect.Right, B = FDeviceRect.Bottom;
  const Integer a = FRotation;
  const Extended rad = a * M_PI / 180;
  const Extended c = std::fabs(std::cos(rad)), s = std::fabs(std::sin(rad));
  const Integer W = c > 1e-9 ? Rnd((R - L - s * S) / c) : 0;
  if (a == 0) X = L, Y = T, BoxWidth = R - L, Available = B - T;
  else if (a < 90) X = L, Y = T + Rnd(s * W), BoxWidth = W, Available = S + B - Y - Rnd(c * S);
  else if (a == 90) X = L, Y = B, BoxWidth = B - T, Available = R - L;
  else if (a < 180) X = L + Rnd(c * W), Y = B, BoxWidth = W, Available = S + B - T - Rnd(c * S + s * W);
  else if (a == 180) X = R, Y = B, BoxWidth = R - L, Available = B - T;
  else if (a < 270) X = R, Y = B - Rnd(s * W), BoxWidth = W, Available = S + Y - T - Rnd(c * S);
  else if (a == 270) X = R, Y = T, BoxWidth = B - T, Available = R - L;
  else X = L + Rnd(s * S), Y = T, BoxWidth = W, Available = S + B - T - Rnd(s * W + c * S);
  if (VAlign == vaTop) return;
  Extended sn, cs;
  if (a % 90 == 0) sn = std::sin(rad), cs = std::cos(rad);
  else if (a < 90 || a > 270) sn = 0, cs = 1;
  else sn = 0, cs = -1;
  Extended d = Available - S;
  if (VAlign == vaCenter) d /= 2;
  X += Rnd(d * sn);
  Y += Rnd(d * cs);
}

void TfrxDrawText::PaintText(TCanvas* Canvas, TfrxHAlign HAlign, TfrxVAlign VAlign) {
  if (FLines.empty() || FTags.Count() == 0) return;
  MeasureCanvas()->Lock();
  struct TUnlock {
    TCanvas* c;
    ~TUnlock() { c->Unlock(); }
  } unlock{MeasureCanvas()};
  HDC dc = Canvas->Handle();
  const bool printer = IsPrinterCanvas(Canvas);
  const Integer n = LineCount();
  const Integer hd = -DeviceFontHeight(Canvas, FFontSize);
  const Integer h600 = Rnd(FFontSize * kLayoutDpi / 72);
  Integer T;
  if (printer) {
    const Extended q = kLayoutDpi / GetDeviceCaps(dc, LOGPIXELSY) / FPrintScale;
    T = Rnd(n * FLineSpacing * FScaleY + n * h600 / q);
  } else {
    T = Rnd(n * (FLineSpacing + h600 / kRatio) * FScaleY);
  }
  Integer G = T - n * (Rnd(FLineSpacing * FScaleY) + hd);
  if (!FWysiwyg) G = 0;
  Integer x = 0, y = 0, boxWidth = 0, available = 0;
  PlaceRotatedBox(T, x, y, boxWidth, available, VAlign);
  std::vector<Integer> advances(size_t(std::max<Integer>(n - 1, 0)), Rnd(FLineSpacing * FScaleY) + hd);
  if (n > 1 && G != 0) {
    Integer sign = G < 0 ? -1 : 1, g = std::abs(G);
    if (g < n) frxSpreadIncrement(advances, 0, n - 2, sign, g);
    else {
      for (Integer& a : advances) a += sign * (g / (n - 1));
      frxSpreadIncrement(advances, 0, n - 2, sign, g % (n - 1));
    }
  }
  const Extended rad = FRotation * M_PI / 180;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  for (Integer i = 0; i < n; ++i) {
    const Integer flags = FFlags[size_t(i)];
    Integer indent = (flags & 1) && (HAlign == haLeft || HAlign == haBlock) ? Rnd(FParagraphGap * FScaleX) : 0;
    TfrxHAlign align = HAlign;
    if (HAlign == haBlock && (flags & 2)) align = FRTLReading ? haRight : haLeft;
    PaintLine(Canvas, FLines[size_t(i)], align, i, boxWidth - indent, x + Rnd(indent * std::cos(rad)),
              y - Rnd(indent * std::sin(rad)));
    if (i < n - 1) {
      y += Rnd(advances[size_t(i)] * std::cos(rad));
      x += Rnd(advances[size_t(i)] * std::sin(rad));
    }
  }
  SetBkMode(dc, oldMode);
}

void TfrxDrawText::PaintLine(TCanvas* Canvas, const WideString& Line, TfrxHAlign Align, Integer Index, Integer B,
                             Integer X, Integer Y) {
  const Integer n = Integer(Line.size());
  if (n == 0) return;
  HDC dc = Canvas->Handle();
  const bool printer = IsPrinterCanvas(Canvas);
  std::vector<Integer> layout;
  const Integer s600 = Rnd(FCharSpacing * kRatio), sd = Rnd(FCharSpacing * FScaleX);
  const Integer w600 = MeasureChars(Line, s600, false, Index, MeasureCanvas(), layout);
  const Integer deviceHeight = DeviceFontHeight(Canvas, FFontSize);
  const Integer wd = MeasureChars(Line, sd, false, Index, Canvas, FWidths, deviceHeight);
  Integer v;
  if (!FWysiwyg) v = wd - sd;
  else if (printer) v = Rnd((w600 - s600) * FPrintScale / (kLayoutDpi / GetDeviceCaps(dc, LOGPIXELSX)));
  else v = Rnd((w600 - s600) / kRatio * FScaleX);
  Integer F = v - (wd - sd);
  const Integer E = B - v;
  const Extended rad = FRotation * M_PI / 180;
  const Extended cs = std::cos(rad), sn = std::sin(rad);
  Integer blanks = 0;
  if (Align == haBlock) {
    for (char16_t c : Line)
      if (IsBlank(c)) ++blanks;
    if (blanks == 0) Align = haLeft;
    else F = std::abs(B) - (wd - sd);
  }
  if (Align == haRight) {
    X += Rnd((E + 1) * cs);
    Y -= Rnd((E + 1) * sn);
    const bool slanted = FFontStyle.Contains(fsBold) || FFontStyle.Contains(fsItalic);
    X -= FRotation == 0 && slanted ? 2 : 1;
  } else if (Align == haCenter) {
    X += Rnd(E / 2.0 * cs);
    Y -= Rnd(E / 2.0 * sn);
  }
  const Integer sign = F < 0 ? -1 : 1, f = std::abs(F);
  if (Align == haBlock) {
    Integer k = 0;
    for (Integer i = 0; i < n; ++i)
      if (IsBlank(Line[size_t(i)])) {
        FWidths[size_t(i)] += sign * (f / blanks + (k < f % blanks ? 1 : 0));
        ++k;
      }
  } else if (f > 0) {
    if (f >= n) {
      for (Integer& w : FWidths) w += sign * (f / n);
      frxSpreadIncrement(FWidths, 0, n - 1, sign, f % n);
    } else {
      frxSpreadIncrement(FWidths, 0, n - 1, sign, f);
    }
  }
  TfrxHTMLTags* tags = Index < FTags.Count() ? &FTags.Line(Index) : nullptr;
  auto entry = [&](Integer i) -> TfrxHTMLTag {
    if (!tags || tags->empty() || !FTags.AllowTags) {
      TfrxHTMLTag t;
      t.Size = FFontSize;
      t.Style = FFontStyle;
      t.Color = FFontColor;
      return t;
    }
    return (*tags)[std::min(size_t(i), tags->size() - 1)];
  };
  auto same = [](const TfrxHTMLTag& a, const TfrxHTMLTag& b) {
    return a.Style == b.Style && a.Color == b.Color && a.Size == b.Size && a.AddY == b.AddY;
  };
  RECT clip{FDeviceRect.Left, FDeviceRect.Top, FDeviceRect.Right, FDeviceRect.Bottom};
  Integer i = 0;
  while (i < n) {
    TfrxHTMLTag e = entry(i);
    Integer j = i + 1;
    while (j < n && same(entry(j), e)) ++j;
    Integer height = printer ? -Rnd(e.Size * GetDeviceCaps(dc, LOGPIXELSX) * FPrintScale / 72)
                             : -Rnd(e.Size * FScaleY * 96 / 72);
    HFONT font = MakeDeviceFont(e.Style, height, FRotation);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, ColorToRGB(e.Color));
    const Integer offset = Rnd(e.AddY * e.Size * FScaleY);
    const Integer tx = X + Rnd(offset * sn), ty = Y + Rnd(offset * cs);
    std::vector<INT> dx(FWidths.begin() + i, FWidths.begin() + j);
    if (printer) NamePrintedGlyphs(dc, Line.data() + i, size_t(j - i));
    ExtTextOutW(dc, tx, ty, UINT(FOptions), &clip, reinterpret_cast<LPCWSTR>(Line.data() + i), UINT(j - i),
                dx.data());
    SelectObject(dc, old);
    DeleteObject(font);
    Integer runWidth = 0;
    for (INT w : dx) runWidth += w;
    if (OnTextRun) {
      TRunInfo info;
      info.Text = Line.substr(size_t(i), size_t(j - i));
      info.X = tx;
      info.Y = ty;
      info.Advances.assign(dx.begin(), dx.end());
      info.Style = e.Style;
      info.FontHeight = height;
      info.Rotation = FRotation;
      OnTextRun(info);
    }
    X += Rnd(runWidth * cs);
    Y -= Rnd(runWidth * sn);
    i = j;
  }
}
