#include "cxDrawTextUtils.h"

#include <algorithm>
#include <string_view>

#include "Utf8.h"
#include "VclUtils.h"

bool cxTextLayoutFarEastLocale = true;

namespace {
const char16_t kEllipsis[] = u"...";
constexpr int kEllipsisLength = 3;
constexpr int kTabbedExtentLimit = 4096;

inline LPCWSTR WP(const char16_t* p) { return reinterpret_cast<LPCWSTR>(p); }

// Characters between which a row may end even inside a "word": the scripts
// written without spaces (CJK ideographs, kana, Hangul, full-width forms and
// CJK punctuation).
bool IsCJK(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// A text decoded once: its characters with their byte and UTF-16 offsets,
// so that any run of whole characters is measured straight from the UTF-16
// copy.
struct TCharMap {
  std::u16string U16;
  std::vector<char32_t> Ch;
  std::vector<int> Byte;   // Count() + 1 entries
  std::vector<int> Unit;   // Count() + 1 entries

  void Build(const char* AText, int ALength) {
    String s(AText, size_t(std::max(ALength, 0)));
    size_t pos = 0;
    Ch.clear();
    Byte.clear();
    Unit.clear();
    U16.clear();
    Ch.reserve(s.size());
    while (pos < s.size()) {
      Byte.push_back(int(pos));
      Unit.push_back(int(U16.size()));
      char32_t c = Utf8Decode(s, pos);
      Ch.push_back(c);
      if (c >= 0x10000) {
        c -= 0x10000;
        U16.push_back(char16_t(0xD800 + (c >> 10)));
        U16.push_back(char16_t(0xDC00 + (c & 0x3FF)));
      } else {
        U16.push_back(char16_t(c));
      }
    }
    Byte.push_back(int(s.size()));
    Unit.push_back(int(U16.size()));
  }
  int Count() const { return int(Ch.size()); }
  // The character index at a byte offset (the character containing it).
  int CharAtByte(int AByte) const {
    auto it = std::upper_bound(Byte.begin(), Byte.end(), AByte);
    return std::max(0, int(it - Byte.begin()) - 1);
  }
};

TSize MeasureUnits(HDC DC, const char16_t* P, int N, bool ATabs) {
  SIZE sz{0, 0};
  if (N <= 0) {
    GetTextExtentPoint32W(DC, WP(u""), 0, &sz);
    return TSize(0, sz.cy);
  }
  if (!ATabs) {
    GetTextExtentPoint32W(DC, WP(P), N, &sz);
    return TSize(sz.cx, sz.cy);
  }
  if (N <= kTabbedExtentLimit) {
    DWORD r = GetTabbedTextExtentW(DC, WP(P), N, 0, nullptr);
    return TSize(LOWORD(r), HIWORD(r));
  }
  // The tabbed measurement stops at its limit; DrawText has none.
  RECT r{0, 0, 0, 0};
  DrawTextW(DC, WP(P), N, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
  return TSize(r.right - r.left, r.bottom - r.top);
}

TSize MeasureChars(HDC DC, const TCharMap& M, int A, int B, bool ATabs) {
  return MeasureUnits(DC, M.U16.data() + M.Unit[size_t(A)], M.Unit[size_t(B)] - M.Unit[size_t(A)], ATabs);
}

bool IsBreakChar(char32_t c) { return c == U' ' || c == U'\t'; }
bool IsLineEnd(char32_t c) { return c == U'\r' || c == U'\n'; }

// How many of the characters A.. fit AWidth, from a logarithmic estimate;
// AExtent receives their width.
int EstimateTextFit(HDC DC, const TcxTextLayoutParams& P, const TCharMap& M, int A, int AWidth, int& AExtent) {
  AExtent = 0;
  int length = M.Count() - A;
  if (length <= 0) return 0;
  AWidth = std::max(AWidth, 1);
  TSize whole = MeasureChars(DC, M, A, M.Count(), false);
  if (double(whole.cx) / AWidth > 8.0) return 0;
  int c = length;
  int w = MeasureChars(DC, M, A, A + c, P.ExpandTabs).cx;
  while (c > 1 && w > AWidth) {
    c /= 2;
    w = MeasureChars(DC, M, A, A + c, P.ExpandTabs).cx;
  }
  int lo = c, hi = length, mid = c;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    w = MeasureChars(DC, M, A, A + mid, P.ExpandTabs).cx;
    int diff = lo == hi ? 0 : w - AWidth;
    if (diff < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (diff == 0) break;
    }
  }
  if (w > AWidth && mid > 1) {
    --mid;
    w = MeasureChars(DC, M, A, A + mid, P.ExpandTabs).cx;
  }
  AExtent = w;
  return mid;
}

// Breaks one row off the characters from APos, which then moves past the
// row and the white space and line end that follow it.
void BreakTextRow(HDC DC, const TCharMap& M, int& APos, int AWidth, bool AIsLastRow, const TcxTextLayoutParams& P,
                  TcxTextRow& ARow, const char* ABase) {
  ARow = TcxTextRow();
  int n = M.Count();
  int s = APos;
  if (s >= n) return;
  bool justify = P.HorzAlignment == 3 || P.HorzAlignment == 4;
  bool wrap = !P.SingleLine && (P.WordBreak || justify);
  bool charBreak = wrap && P.CharBreak;
  bool ellipsisRow = AIsLastRow && P.EndEllipsis && !P.FullyVisibleRows && !P.NoClip && !justify;
  bool measuring = wrap || ellipsisRow || P.SingleLine;
  int extent = 0;
  int estimated = measuring ? EstimateTextFit(DC, P, M, s, AWidth, extent) : 0;
  // The last place the row may end: after a space or tab, and between two
  // characters of which one is Chinese (0: none yet).
  int rowLen = 0, breakCount = 0, lastBreak = 0;
  for (int i = s; i < n; ++i) {
    char32_t c = M.Ch[size_t(i)];
    rowLen = i - s + 1;
    if (i > s && (IsCJK(c) || IsCJK(M.Ch[size_t(i - 1)]))) lastBreak = i - s;
    if (IsBreakChar(c)) {
      ++breakCount;
      lastBreak = rowLen;
    }
    if (IsLineEnd(c) && !(ellipsisRow || P.SingleLine)) {
      rowLen = i - s;
      if (P.HorzAlignment == 3) breakCount = 0;
      break;
    }
    if (!measuring || i - s < estimated) continue;
    extent = P.ExpandTabs ? MeasureChars(DC, M, s, i + 1, true).cx : extent + MeasureChars(DC, M, i, i + 1, false).cx;
    if (extent <= AWidth) continue;
    if (ellipsisRow || P.SingleLine) break;
    if (lastBreak > 0) {
      rowLen = lastBreak;
      // The breaks counted past the row's end are not the row's.
      breakCount = 0;
      for (int k = s; k < s + rowLen; ++k)
        if (IsBreakChar(M.Ch[size_t(k)])) ++breakCount;
      break;
    }
    if (!charBreak) continue;
    if (rowLen > 1) rowLen = i - s;
    break;
  }
  int rowEnd = s + rowLen;
  int drawEnd = rowEnd;
  if (justify)
    while (drawEnd > s && IsBreakChar(M.Ch[size_t(drawEnd - 1)])) {
      --drawEnd;
      if (breakCount > 0) --breakCount;
    }
  ARow.Text = ABase + M.Byte[size_t(s)];
  ARow.Length = M.Byte[size_t(drawEnd)] - M.Byte[size_t(s)];
  ARow.BreakCount = breakCount;
  TSize sz = MeasureChars(DC, M, s, drawEnd, P.ExpandTabs);
  ARow.Width = sz.cx;
  ARow.Height = sz.cy;
  int pos = rowEnd;
  while (pos < n && M.Ch[size_t(pos)] == U' ') ++pos;
  if (pos < n && M.Ch[size_t(pos)] == U'\t') ++pos;
  bool skippedCR = false;
  if (pos < n && M.Ch[size_t(pos)] == U'\r') {
    ++pos;
    skippedCR = true;
  }
  if (pos < n && M.Ch[size_t(pos)] == U'\n') ++pos;
  // A row that took nothing (it cannot happen, but a stalled loop must not).
  if (pos == s) ++pos;
  APos = pos;
  if ((skippedCR || pos >= n) && P.HorzAlignment == 3) ARow.BreakCount = 0;
}

bool BuildRows(HDC DC, const TCharMap& M, const char* ABase, const TRect& R, const TcxTextLayoutParams& P,
               TcxTextRows& ARows, Integer& ARowCount, Integer AMaxLineCount) {
  ARows.clear();
  ARowCount = 0;
  int n = M.Count();
  if (n == 0) return true;
  if (P.CalcRect && P.SingleLine) {
    TcxTextRow row;
    row.Text = ABase;
    row.Length = M.Byte.back();
    TSize sz = MeasureChars(DC, M, 0, n, P.ExpandTabs);
    row.Width = sz.cx;
    row.Height = sz.cy;
    ARows.push_back(row);
    ARowCount = 1;
    return true;
  }
  int H = R.Height(), W = R.Width(), T = 0;
  int pos = 0;
  bool last = false;
  while (pos < n && !last && !(AMaxLineCount > 0 && ARowCount == AMaxLineCount)) {
    ++ARowCount;
    if (ARows.size() < size_t(ARowCount)) ARows.reserve(ARows.size() + 4);
    T += P.LineHeight;
    if (P.SingleLine)
      last = true;
    else if (P.VertAlignment != 0 || P.CalcRect)
      last = AMaxLineCount > 0 && ARowCount == AMaxLineCount;
    else if (P.FullyVisibleRows && !P.NoClip)
      last = H < T + P.LineHeight;
    else
      last = H < T;
    TcxTextRow row;
    int start = pos;
    BreakTextRow(DC, M, pos, W, last, P, row, ABase);
    row.StartOffset = M.Byte[size_t(start)];
    ARows.push_back(row);
    if (pos >= n) last = true;
  }
  ARows.shrink_to_fit();
  return !(!P.SingleLine && !P.CalcRect && AMaxLineCount > 0 && ARowCount == AMaxLineCount && pos < n);
}

// The characters of a row.
struct TRowChars {
  TCharMap Map;
  explicit TRowChars(const TcxTextRow& ARow) { Map.Build(ARow.Text, ARow.Length); }
};

Integer HorzPosition(const TRect& R, const TcxTextLayoutParams& P, Integer AWidth) {
  Integer x = R.Left;
  if (P.HorzAlignment == 1)
    x = R.Left + (R.Width() - AWidth) / 2;
  else if (P.HorzAlignment == 2)
    x = R.Right - AWidth;
  if (P.PreventLeftExceed) x = std::max(x, R.Left);
  return x;
}

// A copy of the DC's clip region; null when it has none.
HRGN SaveClip(HDC DC) {
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  if (GetClipRgn(DC, saved) != 1) {
    DeleteObject(saved);
    saved = nullptr;
  }
  return saved;
}

bool RowIsRightToLeft(const TcxTextRow& ARow) { return cxIsRightToLeftText(ARow.Text, ARow.Length); }
}  // namespace

bool cxIsRightToLeftText(const char* AText, Integer ALength) {
  if (!AText || ALength <= 0) return false;
  String s(AText, size_t(ALength));
  size_t pos = 0;
  while (pos < s.size()) {
    char32_t c = Utf8Decode(s, pos);
    if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF)) return true;
    // Latin, CJK and the other left-to-right letters decide the other way;
    // digits, spaces and punctuation decide nothing.
    if ((c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || (c >= 0xC0 && c < 0x0590) || c >= 0x0900) return false;
  }
  return false;
}

void cxPrepareTextLayoutParams(HDC DC, Cardinal AFormat, TcxTextLayoutParams& P) {
  TEXTMETRICW tm{};
  GetTextMetricsW(DC, &tm);
  P = TcxTextLayoutParams();
  P.ExternalLeadingFlag = (AFormat & CXTO_EXTERNALLEADING) != 0;
  P.RowHeight = tm.tmHeight;
  P.ExternalLeading = P.ExternalLeadingFlag ? tm.tmExternalLeading : 0;
  P.LineHeight = P.RowHeight + P.ExternalLeading;
  P.EndEllipsis = (AFormat & CXTO_END_ELLIPSIS) != 0;
  if (P.EndEllipsis) P.EllipsisWidth = MeasureUnits(DC, kEllipsis, kEllipsisLength, false).cx;
  P.BreakChar = Byte(tm.tmBreakChar < 256 ? tm.tmBreakChar : ' ');
  P.HorzAlignment = Byte(std::min<Cardinal>(AFormat & CXTO_HORZ_MASK, 4));
  P.VertAlignment = Byte((AFormat & CXTO_VERT_MASK) >> 4);
  P.WordBreak = (AFormat & CXTO_WORDBREAK) != 0;
  P.SingleLine = (AFormat & CXTO_SINGLELINE) != 0;
  P.ExpandTabs = (AFormat & CXTO_EXPANDTABS) != 0;
  P.FullyVisibleRows = (AFormat & CXTO_EDITCONTROL) != 0;
  P.NoClip = (AFormat & CXTO_NOCLIP) != 0;
  P.AutoIndents = (AFormat & CXTO_AUTOINDENTS) != 0;
  P.PreventLeftExceed = (AFormat & CXTO_PREVENT_LEFT_EXCEED) != 0;
  P.PreventTopExceed = (AFormat & CXTO_PREVENT_TOP_EXCEED) != 0;
  P.CharBreak = (AFormat & CXTO_CHARBREAK) != 0 || cxTextLayoutFarEastLocale;
  P.CalcRowCount = (AFormat & CXTO_CALCROWCOUNT) != 0;
  P.CalcRect = (AFormat & CXTO_CALCRECT) != 0;
  P.MaxCharWidth = tm.tmMaxCharWidth;
  P.CharSet = tm.tmCharSet;
}

void cxPrepareCanvasTextLayoutParams(TcxCanvas* ACanvas, Cardinal AFormat, TcxTextLayoutParams& AParams) {
  HDC dc = ACanvas->Handle();
  SelectObject(dc, ACanvas->Font()->Handle());
  cxPrepareTextLayoutParams(dc, AFormat, AParams);
}

bool cxBuildTextRows(HDC DC, const String& AText, const TRect& R, const TcxTextLayoutParams& AParams,
                     TcxTextRows& ARows, Integer& ARowCount, Integer AMaxLineCount) {
  TCharMap map;
  map.Build(AText.data(), Integer(AText.size()));
  return BuildRows(DC, map, AText.data(), R, AParams, ARows, ARowCount, AMaxLineCount);
}

bool cxBuildCanvasTextRows(TcxCanvas* ACanvas, const String& AText, const TRect& R,
                           const TcxTextLayoutParams& AParams, TcxTextRows& ARows, Integer& ARowCount,
                           Integer AMaxLineCount) {
  HDC dc = ACanvas->Handle();
  SelectObject(dc, ACanvas->Font()->Handle());
  return cxBuildTextRows(dc, AText, R, AParams, ARows, ARowCount, AMaxLineCount);
}

void cxArrangeTextRows(HDC, const TRect& R, TcxTextLayoutParams& P, TcxTextRows& ARows, Integer ARowCount) {
  ARowCount = std::min<Integer>(ARowCount, Integer(ARows.size()));
  if (ARowCount <= 0) return;
  Integer extra = 0;
  if (P.VertAlignment == 3 && ARowCount > 1) {
    Integer g = R.Height() - P.RowHeight;
    if (double(P.RowHeight) < double(g) / (ARowCount - 1)) {
      P.LineHeight = g / (ARowCount - 1);
      extra = g % (ARowCount - 1);
    }
  }
  Integer top = R.Top;
  if (P.VertAlignment == 1)
    top = R.Top + (R.Height() - ARowCount * P.LineHeight) / 2;
  else if (P.VertAlignment == 2)
    top = R.Bottom - ARowCount * P.LineHeight + P.ExternalLeading;
  if (P.PreventTopExceed) top = std::max(top, R.Top);
  for (Integer i = 0; i < ARowCount; ++i) {
    TcxTextRow& row = ARows[size_t(i)];
    row.X = HorzPosition(R, P, row.Width);
    row.Y = top;
    top += P.LineHeight;
    if (extra > 0) {
      ++top;
      --extra;
    }
  }
}

HRGN cxClipToRectSaving(HDC DC, const TRect& R) {
  HRGN saved = SaveClip(DC);
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  return saved;
}

void cxRestoreSavedClip(HDC DC, HRGN& ARegion) {
  SelectClipRgn(DC, ARegion);
  if (ARegion) DeleteObject(ARegion);
  ARegion = nullptr;
}

void cxPaintTextRows(HDC DC, const TRect& R, const TcxTextLayoutParams& P, TcxTextRows& ARows, Integer ARowCount,
                     Integer ASelStart, Integer ASelLength, TColor ASelBkColor, TColor ASelTextColor,
                     bool AEllipsis) {
  ARowCount = std::min<Integer>(ARowCount, Integer(ARows.size()));
  if (ARowCount <= 0) return;
  int oldBkMode = SetBkMode(DC, TRANSPARENT);
  HBRUSH selBrush = nullptr;
  if (ASelLength > 0 && ASelBkColor != clNone) selBrush = CreateSolidBrush(ColorToRGB(ASelBkColor));
  COLORREF textColor = GetTextColor(DC);
  bool justify = P.HorzAlignment == 3 || P.HorzAlignment == 4;
  // Character index of each row's start, for the selection.
  const char* base = ARows[0].Text - ARows[0].StartOffset;
  Integer rowStartChar = 0;
  Integer lastOffset = 0;
  auto drawEllipsis = [&](Integer x, Integer y, const TRect& band) {
    if (x >= band.Right) return;
    TSize sz = MeasureUnits(DC, kEllipsis, kEllipsisLength, false);
    UINT opts = 0;
    if (x + sz.cx > band.Right && !P.NoClip) opts = ETO_CLIPPED;
    RECT clip{band.Left, band.Top, band.Right, band.Bottom};
    ExtTextOutW(DC, x, y, opts, &clip, WP(kEllipsis), kEllipsisLength, nullptr);
  };
  for (Integer i = 0; i < ARowCount; ++i) {
    TcxTextRow& row = ARows[size_t(i)];
    rowStartChar += Integer(Utf8Length(String(base + lastOffset, size_t(row.StartOffset - lastOffset))));
    lastOffset = row.StartOffset;
    bool isLast = i == ARowCount - 1;
    TRect band(R.Left, row.Y, R.Right, row.Y + P.LineHeight);
    bool ellipsis = P.EndEllipsis && isLast && (AEllipsis || row.Width > R.Width());
    if (row.Length <= 0) {
      if (isLast && AEllipsis && P.EndEllipsis) drawEllipsis(row.X, row.Y, band);
      continue;
    }
    TRowChars chars(row);
    const TCharMap& m = chars.Map;
    int count = m.Count();
    bool justified = false;
    if (justify && !ellipsis && row.BreakCount > 0 && R.Width() - row.Width > 0) {
      SetTextJustification(DC, R.Width() - row.Width, row.BreakCount);
      justified = true;
    }
    HRGN savedClip = nullptr;
    bool clipped = false;
    if (!P.NoClip && (row.Width > R.Width() || band.Top < R.Top || band.Bottom > R.Bottom)) {
      TRect cut(band.Left, std::max(band.Top, R.Top), band.Right, std::min(band.Bottom, R.Bottom));
      savedClip = cxClipToRectSaving(DC, cut);
      clipped = true;
    }
    if (ellipsis) {
      // The row keeps the characters that fit beside "..." (at least one)
      // and is placed again by its alignment with the ellipsis after it, so
      // a centred or right-aligned cut row stays inside the rectangle.
      Integer avail = std::max(0, R.Width() - P.EllipsisWidth);
      int fit = 0;
      SIZE sz{};
      GetTextExtentExPointW(DC, WP(m.U16.data()), int(m.U16.size()), avail, &fit, nullptr, &sz);
      int keep = 0;
      while (keep < count && m.Unit[size_t(keep + 1)] <= fit) ++keep;
      keep = std::max(keep, 1);
      count = keep;
      row.Length = m.Byte[size_t(keep)];
      TSize w = MeasureChars(DC, m, 0, keep, P.ExpandTabs);
      row.Width = w.cx;
      row.X = HorzPosition(R, P, row.Width + P.EllipsisWidth);
    }
    int units = m.Unit[size_t(count)];
    bool ellipsisDrawn = false;
    if (ASelLength > 0) {
      Integer s = std::max(ASelStart - rowStartChar, 0);
      Integer e = std::min(ASelStart + ASelLength - rowStartChar, Integer(count));
      if (s < e) {
        Integer xs = MeasureChars(DC, m, 0, s, P.ExpandTabs).cx;
        Integer xe = MeasureChars(DC, m, 0, e, P.ExpandTabs).cx;
        TRect sel(row.X + xs, row.Y, row.X + xe, row.Y + P.LineHeight);
        // Right-to-left rows run from their right end.
        if (RowIsRightToLeft(row)) sel = TRect(row.X + row.Width - xe, row.Y, row.X + row.Width - xs, row.Y + P.LineHeight);
        if (!P.NoClip) {
          sel.Left = std::max(sel.Left, R.Left);
          sel.Right = std::min(sel.Right, R.Right);
          sel.Top = std::max(sel.Top, R.Top);
          sel.Bottom = std::min(sel.Bottom, R.Bottom);
        }
        if (!sel.IsEmpty()) {
          int saved = SaveDC(DC);
          IntersectClipRect(DC, sel.Left, sel.Top, sel.Right, sel.Bottom);
          if (selBrush) {
            RECT rr{sel.Left, sel.Top, sel.Right, sel.Bottom};
            FillRect(DC, &rr, selBrush);
          }
          SetTextColor(DC, ColorToRGB(ASelTextColor));
          if (P.ExpandTabs)
            TabbedTextOutW(DC, row.X, row.Y, WP(m.U16.data()), units, 0, nullptr, row.X);
          else
            TextOutW(DC, row.X, row.Y, WP(m.U16.data()), units);
          if (ellipsis && e >= count) {
            drawEllipsis(row.X + row.Width, row.Y, band);
            ellipsisDrawn = true;
          }
          RestoreDC(DC, saved);
          SetTextColor(DC, textColor);
          // The exclusion must not outlive the row: keep the clip to undo it.
          if (!clipped) {
            savedClip = SaveClip(DC);
            clipped = true;
          }
          ExcludeClipRect(DC, sel.Left, sel.Top, sel.Right, sel.Bottom);
        }
      }
    }
    if (P.ExpandTabs)
      TabbedTextOutW(DC, row.X, row.Y, WP(m.U16.data()), units, 0, nullptr, row.X);
    else
      TextOutW(DC, row.X, row.Y, WP(m.U16.data()), units);
    if (ellipsis && !ellipsisDrawn) drawEllipsis(row.X + row.Width, row.Y, band);
    if (justified) SetTextJustification(DC, 0, 0);
    if (clipped) cxRestoreSavedClip(DC, savedClip);
  }
  if (selBrush) DeleteObject(selBrush);
  SetBkMode(DC, oldBkMode);
}

Integer cxWidestTextRow(const TcxTextRows& ARows, Integer ACount) {
  ACount = std::min<Integer>(ACount, Integer(ARows.size()));
  Integer w = 0;
  for (Integer i = 0; i < ACount; ++i) w = std::max(w, ARows[size_t(i)].Width);
  return w;
}

bool cxTextRectHasRoom(const TcxTextLayoutParams& AParams, const TRect& R) {
  return AParams.CalcRect ? R.Width() > 0 : !R.IsEmpty();
}

TRect cxIndentTextRect(const TRect& R, const TcxTextLayoutParams&, Integer ALeftIndent, Integer ARightIndent) {
  return TRect(R.Left + ALeftIndent, R.Top, R.Right - ARightIndent, R.Bottom);
}

TRect cxUnindentTextRect(const TRect& R, const TcxTextLayoutParams&, Integer ALeftIndent, Integer ARightIndent) {
  return TRect(R.Left - ALeftIndent, R.Top, R.Right + ARightIndent, R.Bottom);
}

void cxMeasureTextSpan(HDC DC, const char* AText, Integer ALength, bool AExpandTabs, TSize& ASize) {
  std::u16string w = Utf8ToUtf16(String(AText ? AText : "", AText ? size_t(std::max(ALength, 0)) : 0));
  ASize = MeasureUnits(DC, w.data(), int(w.size()), AExpandTabs);
}

void cxMeasureTextRow(HDC DC, TcxTextRow& ARow, const TcxTextLayoutParams& AParams) {
  TSize sz;
  cxMeasureTextSpan(DC, ARow.Text, ARow.Length, AParams.ExpandTabs, sz);
  ARow.Width = sz.cx;
  ARow.Height = sz.cy;
}

Integer cxLayoutAndDrawText(HDC DC, const String& AText, TRect& R, Cardinal AFormat, Integer ASelStart,
                            Integer ASelLength, TColor ASelBkColor, TColor ASelTextColor, Integer AMaxLineCount,
                            Integer ALeftIndent, Integer ARightIndent) {
  if (AText.empty()) return 0;
  TcxTextLayoutParams P;
  cxPrepareTextLayoutParams(DC, AFormat, P);
  TRect textRect = cxIndentTextRect(R, P, ALeftIndent, ARightIndent);
  if (!cxTextRectHasRoom(P, textRect)) return 0;
  TCharMap map;
  map.Build(AText.data(), Integer(AText.size()));
  TcxTextRows rows;
  Integer rowCount = 0;
  bool allFit = BuildRows(DC, map, AText.data(), textRect, P, rows, rowCount, AMaxLineCount);
  if (rowCount == 0) return 0;
  if (P.CalcRect) {
    if (AMaxLineCount > 0) rowCount = std::min(rowCount, AMaxLineCount);
    textRect.Right = textRect.Left + cxWidestTextRow(rows, rowCount);
    if (!P.SingleLine) {
      BuildRows(DC, map, AText.data(), textRect, P, rows, rowCount, AMaxLineCount);
      if (AMaxLineCount > 0) rowCount = std::min(rowCount, AMaxLineCount);
    }
    cxArrangeTextRows(DC, textRect, P, rows, rowCount);
    textRect.Bottom = rows[size_t(rowCount - 1)].Y + P.RowHeight;
    R = cxUnindentTextRect(textRect, P, ALeftIndent, ARightIndent);
  } else {
    bool ellipsis = false;
    if (AMaxLineCount > 0 && rowCount >= AMaxLineCount) {
      rowCount = AMaxLineCount;
      ellipsis = !allFit && P.EndEllipsis && P.FullyVisibleRows && !P.SingleLine;
    }
    cxArrangeTextRows(DC, textRect, P, rows, rowCount);
    Integer length = map.Count();
    if (ASelStart < 0 || ASelStart >= length) {
      ASelStart = 0;
      ASelLength = 0;
    } else if (ASelLength > length - ASelStart) {
      ASelLength = length - ASelStart;
    }
    cxPaintTextRows(DC, textRect, P, rows, rowCount, ASelStart, ASelLength, ASelBkColor, ASelTextColor, ellipsis);
  }
  Integer height = rows[size_t(rowCount - 1)].Y + P.RowHeight - textRect.Top;
  if (P.CalcRowCount || height == 0) return rowCount;
  return height;
}

Integer cxLayoutAndDrawCanvasText(TCanvas* ACanvas, const String& AText, TRect& R, Cardinal AFormat,
                                  Integer ASelStart, Integer ASelLength, TColor ASelBkColor, TColor ASelTextColor,
                                  Integer AMaxLineCount, Integer ALeftIndent, Integer ARightIndent) {
  HDC dc = ACanvas->Handle();
  SelectObject(dc, ACanvas->Font()->Handle());
  SetTextColor(dc, ColorToRGB(ACanvas->Font()->Color()));
  return cxLayoutAndDrawText(dc, AText, R, AFormat, ASelStart, ASelLength, ASelBkColor, ASelTextColor,
                             AMaxLineCount, ALeftIndent, ARightIndent);
}

Integer cxLayoutAndDrawTextPlain(HDC DC, const String& AText, TRect& R, Cardinal AFormat, Integer AMaxLineCount,
                                 Integer ALeftIndent, Integer ARightIndent) {
  return cxLayoutAndDrawText(DC, AText, R, AFormat, 0, 0, clNone, clNone, AMaxLineCount, ALeftIndent, ARightIndent);
}

Integer cxLayoutAndDrawCanvasTextPlain(TcxCanvas* ACanvas, const String& AText, TRect& R, Cardinal AFormat,
                                       Integer AMaxLineCount, Integer ALeftIndent, Integer ARightIndent) {
  return cxLayoutAndDrawCanvasText(ACanvas->Canvas(), AText, R, AFormat, 0, 0, clNone, clNone, AMaxLineCount,
                                   ALeftIndent, ARightIndent);
}

Cardinal cxTextOutFlagsFromDrawTextFlags(Cardinal AFlags) {
  Cardinal r = 0;
  if (AFlags & cxtfHCenter) r |= CXTO_CENTER_HORIZONTALLY;
  if (AFlags & cxtfRight) r |= CXTO_RIGHT;
  if (AFlags & cxtfVCenter) r |= CXTO_CENTER_VERTICALLY;
  if (AFlags & cxtfBottom) r |= CXTO_BOTTOM;
  if (AFlags & cxtfSingleLine) r |= CXTO_SINGLELINE;
  if (AFlags & cxtfWordBreak) r |= CXTO_WORDBREAK;
  return r;
}

Cardinal cxDrawTextFlagsFromTextOutFlags(Cardinal AFlags) {
  Cardinal r = 0;
  Cardinal horz = AFlags & CXTO_HORZ_MASK;
  if (horz == CXTO_CENTER_HORIZONTALLY) r |= cxtfHCenter;
  if (horz == CXTO_RIGHT) r |= cxtfRight;
  Cardinal vert = AFlags & CXTO_VERT_MASK;
  if (vert == CXTO_CENTER_VERTICALLY) r |= cxtfVCenter;
  if (vert == CXTO_BOTTOM) r |= cxtfBottom;
  if (AFlags & CXTO_SINGLELINE) r |= cxtfSingleLine;
  if (AFlags & CXTO_WORDBREAK) r |= cxtfWordBreak;
  return r;
}
