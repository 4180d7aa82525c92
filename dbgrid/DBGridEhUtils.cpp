// Small routines shared by the data grid's parts and the glyphs of the row
// indicator and the title sort markers (drawn in code from their patterns).
#include <cstring>
#include <memory>

#include "DBGridEh.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "Utf8.h"

TColor IncSearchColor = clYellow;
TColor IncSearchTextColor = clBlack;
bool DisableGridBufferedPaint = false;

TCellBlockEh MakeGridRect(Integer Left, Integer Top, Integer Right, Integer Bottom) {
  return TCellBlockEh{Left, Top, Right, Bottom};
}

void RaiseInvalidGridOperation(const String& Msg) { throw EInvalidGridOperationEh(Msg); }

void RemoveQueuedMessage(HWND Wnd, UINT Msg) {
  MSG m;
  if (PeekMessageW(&m, Wnd, Msg, Msg, PM_REMOVE) && m.message == WM_QUIT) PostQuitMessage(int(m.wParam));
}

namespace {
Integer WaitCount = 0;
TCursor SavedCursor = crDefault;
}   // namespace

void BeginWaitCursor() {
  if (WaitCount == 0 && Screen) {
    SavedCursor = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
  }
  ++WaitCount;
}

void EndWaitCursor() {
  if (WaitCount <= 0) return;
  if (--WaitCount == 0 && Screen) Screen->SetCursor(SavedCursor);
}

Integer WaitCursorDepth() { return WaitCount; }

void RepaintGridRow(TCustomGridEh* Grid, Integer Row) {
  Integer cols = Grid->ColCount() + Grid->ContraColCount();
  for (Integer c = 0; c < cols; ++c) Grid->InvalidateCell(c, Row);
}

void TransposeRectSize(TRect& R) {
  Integer w = R.Width(), h = R.Height();
  R.Right = R.Left + h;
  R.Bottom = R.Top + w;
}

void MirrorCanvas(TCanvas* Canvas, bool RightToLeft, Integer Width, Integer Height) {
  HDC dc = Canvas->Handle();
  SetMapMode(dc, MM_ANISOTROPIC);
  SetViewportExtEx(dc, Width, Height, nullptr);
  if (RightToLeft) {
    SetWindowOrgEx(dc, Width, 0, nullptr);
    SetWindowExtEx(dc, -Width, Height, nullptr);
  } else {
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, Width, Height, nullptr);
  }
}

bool MeasureCellText(UINT Flags, TCanvas* Canvas, Integer HorzMargin, Integer& TextWidth, Integer& TextHeight,
                     bool WordWrap, const TRect& Cell, const String& Text, Integer VertMargin) {
  Integer avail = Cell.Width() - HorzMargin - 2;
  RECT r{0, 0, std::max<Integer>(1, avail), 0};
  std::u16string w = Utf8ToUtf16(Text);
  DrawTextW(Canvas->Handle(), reinterpret_cast<LPCWSTR>(w.c_str()), Integer(w.size()), &r,
            Flags | DT_CALCRECT | DT_NOPREFIX | (WordWrap ? DT_WORDBREAK : 0));
  TextWidth = r.right - r.left;
  TextHeight = r.bottom - r.top;
  return TextWidth > avail || TextHeight > Cell.Height() - VertMargin + 1;
}

Integer PlainTextWidth(TCanvas* Canvas, const String& Text) {
  RECT r{0, 0, 1, 0};
  std::u16string w = Utf8ToUtf16(Text);
  DrawTextW(Canvas->Handle(), reinterpret_cast<LPCWSTR>(w.c_str()), Integer(w.size()), &r, DT_CALCRECT | DT_NOPREFIX);
  return r.right - r.left;
}

String VariantToQuotedList(const Variant& V) {
  if (!VarIsArray(V)) return VarToStr(V);
  String s;
  for (Integer i = V.LowBound(1); i <= V.HighBound(1); ++i)
    s += "'" + VarToStr(V.GetElement(i)) + "',";
  if (!s.empty()) s.pop_back();
  return s;
}

// ---------------------------------------------------------------------------
// Glyphs

namespace {

// A bitmap from rows of "X" (ink) and "." (background).
std::unique_ptr<TBitmap> Pattern(std::initializer_list<const char*> Rows, TColor Ink, TColor Back) {
  auto b = std::make_unique<TBitmap>();
  Integer w = Integer(std::strlen(*Rows.begin())), h = Integer(Rows.size());
  b->SetWidth(w);
  b->SetHeight(h);
  HDC dc = b->Canvas()->Handle();
  Integer y = 0;
  for (const char* row : Rows) {
    for (Integer x = 0; x < w; ++x) SetPixel(dc, x, y, ColorToRGB(row[x] == 'X' ? Ink : Back));
    ++y;
  }
  return b;
}

const std::initializer_list<const char*> kArrow = {"X.....", "XX....", "XXX...", "XXXX..", "XXXXX.", "XXXXXX",
                                                   "XXXXX.", "XXXX..", "XXX...", "XX....", "X....."};
const TColor kTeal = TColor(0x808000);

std::unique_ptr<TImageList>& IndicatorList() {
  static std::unique_ptr<TImageList> list;
  return list;
}

}   // namespace

void AddHighlightArrow() {
  TImageList* list = IndicatorList().get();
  if (!list) return;
  // The arrow in the search colour on teal, which the mask takes away; a
  // teal search colour is nudged so that it survives the mask.
  TColor ink = ColorToRGB(IncSearchColor) == ColorToRGB(kTeal) ? TColor(0x7F7F00) : IncSearchColor;
  auto arrow = Pattern(kArrow, ink, kTeal);
  if (list->Count() == 7) list->Delete(6);
  list->AddMasked(arrow.get(), kTeal);
}

TImageList* IndicatorImagesEh() {
  std::unique_ptr<TImageList>& list = IndicatorList();
  if (list) return list.get();
  list = std::make_unique<TImageList>(nullptr);
  list->SetSize(6, 11);
  list->AddMasked(Pattern(kArrow, clBlack, clWhite).get(), clWhite);
  list->AddMasked(Pattern({"XX..XX", "..XX..", "..XX..", "..XX..", "..XX..", "..XX..", "..XX..", "..XX..", "..XX..",
                           "..XX..", "XX..XX"},
                          clBlack, clWhite)
                      .get(),
                  clWhite);
  list->AddMasked(Pattern({"......", "......", "......", ".X..X.", "..XX..", "XXXXXX", "..XX..", ".X..X.", "......",
                           "......", "......"},
                          clBlack, clWhite)
                      .get(),
                  clWhite);
  list->AddMasked(Pattern({"......", "......", "......", "..XX..", ".XXXX.", ".XXXX.", ".XXXX.", "..XX..", "......",
                           "......", "......"},
                          clBlack, clWhite)
                      .get(),
                  clWhite);
  list->AddMasked(Pattern({"X.....", "XX....", ".XX...", "..XX..", "XX.XX.", "XX..XX", "XX.XX.", "..XX..", ".XX...",
                           "XX....", "X....."},
                          clBlack, clWhite)
                      .get(),
                  clWhite);
  list->AddMasked(Pattern(kArrow, clWhite, kTeal).get(), kTeal);
  AddHighlightArrow();
  return list.get();
}

TImageList* SortMarkerImagesEh() {
  static std::unique_ptr<TImageList> list;
  if (list) return list.get();
  list = std::make_unique<TImageList>(nullptr);
  list->SetSize(10, 9);
  const TColor fuchsia = TColor(0xFF00FF);
  // Engraved triangles: grey on the shadowed edges, white on the lit one.
  auto marker = [&](bool down) {
    auto b = Pattern({"..........", "..........", "..........", "..........", "..........", "..........",
                      "..........", "..........", ".........."},
                     fuchsia, fuchsia);
    HDC dc = b->Canvas()->Handle();
    COLORREF grey = RGB(128, 128, 128), white = RGB(255, 255, 255);
    for (Integer i = 0; i < 7; ++i) {
      Integer y = down ? 1 + i : 7 - i;
      Integer half = (7 - 1 - i) * 4 / 6;   // from 4 to 0 pixels each side
      Integer l = 5 - half - (i == 0 ? 0 : 0), r = 4 + half;
      if (i == 0) {
        for (Integer x = 1; x <= 8; ++x) SetPixel(dc, x, y, down ? grey : white);
      } else {
        SetPixel(dc, l, y, grey);
        SetPixel(dc, r, y, white);
      }
    }
    return b;
  };
  list->AddMasked(marker(true).get(), fuchsia);
  list->AddMasked(marker(false).get(), fuchsia);
  list->AddMasked(Pattern({"..........", "..........", "..........", ".XXXXXXX..", "..XXXXX...", "...XXX....",
                           "....X.....", "..........", ".........."},
                          clBlack, clWhite)
                      .get(),
                  clWhite);
  return list.get();
}

// ---------------------------------------------------------------------------
// Cursors: the column-select arrow over the foot of a title and the
// record-select arrow over the indicator, drawn in code from their patterns
// ("X" black, "o" white, "." transparent).

namespace {

const char* const kDownArrow[] = {
    "...ooooo...", "...oXXXo...", "...oXXXo...", "...oXXXo...", "...oXXXo...", "...oXXXo...",
    "...oXXXo...", "...oXXXo...", "ooooXXXoooo", "oXXXXXXXXXo", ".oXXXXXXXo.", "..oXXXXXo..",
    "...oXXXo...", "....oXo....", ".....o.....",
};
constexpr Integer kArrowW = 11, kArrowH = 15;

// Pixel of the arrow turned by Kind: 0 pointing down, 1 right, 2 left.
char ArrowPixel(Integer Kind, Integer X, Integer Y) {
  if (Kind == 0) return X < kArrowW && Y < kArrowH ? kDownArrow[Y][X] : '.';
  if (Y >= kArrowW || X >= kArrowH) return '.';
  if (Kind == 2) X = kArrowH - 1 - X;
  return kDownArrow[X][Y];
}

HCURSOR MakeArrowCursor(Integer Kind) {
  Integer cx = GetSystemMetrics(SM_CXCURSOR), cy = GetSystemMetrics(SM_CYCURSOR);
  if (cx < 16 || cy < 16) cx = cy = 32;
  Integer stride = (cx + 15) / 16 * 2;
  std::vector<BYTE> andMask(size_t(stride * cy), 0xFF), xorMask(size_t(stride * cy), 0);
  for (Integer y = 0; y < cy; ++y)
    for (Integer x = 0; x < cx; ++x) {
      char p = ArrowPixel(Kind, x, y);
      if (p == '.') continue;
      BYTE bit = BYTE(0x80 >> (x % 8));
      andMask[size_t(y * stride + x / 8)] &= BYTE(~bit);
      if (p == 'o') xorMask[size_t(y * stride + x / 8)] |= bit;
    }
  // The hot spot is the arrow's tip.
  Integer hx = Kind == 0 ? kArrowW / 2 : Kind == 1 ? kArrowH - 1 : 0;
  Integer hy = Kind == 0 ? kArrowH - 1 : kArrowW / 2;
  // A monochrome cursor: the AND mask above the XOR mask in one bitmap.
  std::vector<BYTE> bits(andMask);
  bits.insert(bits.end(), xorMask.begin(), xorMask.end());
  HBITMAP mask = CreateBitmap(cx, cy * 2, 1, 1, bits.data());
  if (!mask) return nullptr;
  ICONINFO info{};
  info.fIcon = FALSE;
  info.xHotspot = DWORD(hx);
  info.yHotspot = DWORD(hy);
  info.hbmMask = mask;
  HCURSOR cursor = reinterpret_cast<HCURSOR>(CreateIconIndirect(&info));
  DeleteObject(mask);
  return cursor;
}

// Down (column select), right and left (record select).
HCURSOR GridCursors[3] = {};
bool GridUnitStarted = false;

// The unit registers its start-up while the program loads and finalises
// when the program ends.
struct TGridUnitEh {
  TGridUnitEh() { RegisterInitProc(&DBGridEhStartup); }
  ~TGridUnitEh() { DBGridEhFinalization(); }
} GridUnit;

}   // namespace

void DBGridEhStartup() {
  if (GridUnitStarted) return;
  // What every grid shares is made before the first grid: the global style
  // and center, the sort-index font, the cursors, then the image lists.
  GetGlobalGridStyle();
  GetGridEhCenter();
  SortIndexFontEh();
  for (Integer i = 0; i < 3; ++i) {
    GridCursors[i] = MakeArrowCursor(i);
    if (!GridCursors[i]) {
      DBGridEhFinalization();
      throw EOutOfResources("Cannot load cursor resource");
    }
  }
  IndicatorImagesEh();
  SortMarkerImagesEh();
  GridUnitStarted = true;
}

bool DBGridEhStarted() { return GridUnitStarted; }

void DBGridEhFinalization() {
  for (HCURSOR& h : GridCursors)
    if (h) DestroyIcon(reinterpret_cast<HICON>(h)), h = nullptr;
  GridUnitStarted = false;
}

HCURSOR ColumnSelectCursorEh() { return GridCursors[0]; }

HCURSOR RowSelectCursorEh(bool RightToLeft) { return GridCursors[RightToLeft ? 2 : 1]; }
