// The editors' text engine: rows, wrapping (words, characters, Chinese and
// mixed text), line ends, alignment, ellipsis and selection, checked against
// widths measured on the same device context.
#include <windows.h>

#include <memory>

#include "TestPng.h"
#include "Utf8.h"
#include "VclUtils.h"
#include "cxDrawTextUtils.h"
#include "gtest.h"

namespace {
// A bitmap canvas with the program's Chinese font selected.
struct TTextCanvas {
  TBitmap Bitmap;
  explicit TTextCanvas(int w = 400, int h = 200) {
    Bitmap.SetPixelFormat(pf24bit);
    Bitmap.SetWidth(w);
    Bitmap.SetHeight(h);
    TCanvas* c = Bitmap.Canvas();
    c->Font()->SetName("宋体");
    c->Font()->SetSize(12);
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(0, 0, w, h));
    SelectObject(DC(), c->Font()->Handle());
    SetTextColor(DC(), RGB(0, 0, 0));
  }
  HDC DC() { return Bitmap.Canvas()->Handle(); }
  int Width(const String& s) {
    std::u16string w = Utf8ToUtf16(s);
    SIZE sz{};
    GetTextExtentPoint32W(DC(), vcl::W(w), int(w.size()), &sz);
    return sz.cx;
  }
};

// Restores the Far East break rule after a test changed it.
struct TFarEastGuard {
  bool Saved = cxTextLayoutFarEastLocale;
  ~TFarEastGuard() { cxTextLayoutFarEastLocale = Saved; }
};

std::vector<String> RowTexts(HDC dc, const String& text, int width, Cardinal flags, int maxLines = 0,
                             TcxTextRows* outRows = nullptr) {
  TcxTextLayoutParams p;
  cxPrepareTextLayoutParams(dc, flags, p);
  TcxTextRows rows;
  Integer count = 0;
  cxBuildTextRows(dc, text, TRect(0, 0, width, 1000), p, rows, count, maxLines);
  std::vector<String> r;
  for (Integer i = 0; i < count; ++i) r.emplace_back(rows[size_t(i)].Text, size_t(rows[size_t(i)].Length));
  if (outRows) *outRows = rows;
  return r;
}

int CountColor(TBitmap& b, const TRect& r, COLORREF c) {
  int n = 0;
  HDC dc = b.Canvas()->Handle();
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (GetPixel(dc, x, y) == c) ++n;
  return n;
}
}  // namespace

TEST(cxDrawTextUtils, WordWrapSkipsTheBreakingSpace) {
  TTextCanvas c;
  TFarEastGuard g;
  cxTextLayoutFarEastLocale = false;
  int w = c.Width("one two") + 2;
  TcxTextRows rows;
  auto r = RowTexts(c.DC(), "one two three", w, CXTO_WORDBREAK, 0, &rows);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0], "one two ");
  EXPECT_EQ(r[1], "three");
  EXPECT_EQ(rows[1].StartOffset, 8);
  EXPECT_EQ(rows[1].Width, c.Width("three"));

  // A word longer than the row: whole without a character break, cut with
  // one; every row keeps at least one character.
  EXPECT_EQ(RowTexts(c.DC(), "abcdefghij", c.Width("abc"), CXTO_WORDBREAK).size(), 1u);
  auto cut = RowTexts(c.DC(), "abcdefghij", c.Width("abc"), CXTO_WORDBREAK | CXTO_CHARBREAK);
  ASSERT_GE(cut.size(), 3u);
  String joined;
  for (auto& s : cut) {
    EXPECT_FALSE(s.empty());
    EXPECT_LE(c.Width(s), c.Width("abc"));
    joined += s;
  }
  EXPECT_EQ(joined, "abcdefghij");
  auto narrow = RowTexts(c.DC(), "abc", 1, CXTO_WORDBREAK | CXTO_CHARBREAK);
  EXPECT_EQ(narrow, (std::vector<String>{"a", "b", "c"}));
}

TEST(cxDrawTextUtils, ChineseWrapsBetweenCharactersNeverInsideOne) {
  TTextCanvas c;
  TFarEastGuard g;
  struct Case {
    const char* Text;
    const char* Fits;   // the widest text a row may hold
    bool FarEast;
    std::vector<String> Rows;
  };
  const Case cases[] = {
      {"订单管理软件", "订单", false, {"订单", "管理", "软件"}},
      {"订单管理软件", "订单", true, {"订单", "管理", "软件"}},
  };
  for (const Case& k : cases) {
    cxTextLayoutFarEastLocale = k.FarEast;
    auto rows = RowTexts(c.DC(), k.Text, c.Width(k.Fits) + 1, CXTO_WORDBREAK);
    EXPECT_EQ(rows, k.Rows) << k.Text;
  }
  // Mixed text: Latin words stay whole (no character break asked for), the
  // Chinese runs wrap between characters, every row fits and nothing is lost.
  cxTextLayoutFarEastLocale = false;
  const String mixed = "客户Tovani订单管理软件 customer 张三李四";
  for (const char* fits : {"Tovani", "customer", "Tovani订单"}) {
    int w = std::max(c.Width(fits), c.Width("customer")) + 1;
    auto rows = RowTexts(c.DC(), mixed, w, CXTO_WORDBREAK);
    String joined;
    bool wordWhole = false, word2Whole = false;
    for (auto& s : rows) {
      EXPECT_TRUE(Utf8IsValid(s)) << s;
      String trimmed = s;
      while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
      EXPECT_LE(c.Width(trimmed), w) << s;
      if (s.find("Tovani") != String::npos) wordWhole = true;
      if (s.find("customer") != String::npos) word2Whole = true;
      joined += s;
    }
    EXPECT_TRUE(wordWhole && word2Whole) << fits;
    EXPECT_EQ(joined, mixed) << fits;
  }
  // However narrow the row, each one holds whole characters.
  for (bool farEast : {false, true}) {
    cxTextLayoutFarEastLocale = farEast;
    auto rows = RowTexts(c.DC(), "销售订单", 3, CXTO_WORDBREAK);
    EXPECT_EQ(rows, (std::vector<String>{"销", "售", "订", "单"}));
  }
}

TEST(cxDrawTextUtils, LineEndsAndJustification) {
  TTextCanvas c;
  EXPECT_EQ(RowTexts(c.DC(), "a\r\n\r\nb", 300, CXTO_WORDBREAK), (std::vector<String>{"a", "", "b"}));
  EXPECT_EQ(RowTexts(c.DC(), "ab\r\n", 300, CXTO_WORDBREAK), (std::vector<String>{"ab"}));
  EXPECT_EQ(RowTexts(c.DC(), "x\ny", 300, 0), (std::vector<String>{"x", "y"}));

  // Justified rows are stretched except a paragraph's last; distributed ones
  // also the last.
  TcxTextRows rows;
  int w = c.Width("aa bb cc") + 2;
  RowTexts(c.DC(), "aa bb cc dd ee", w, CXTO_JUSTIFY, 0, &rows);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_GT(rows[0].BreakCount, 0);
  EXPECT_EQ(rows[1].BreakCount, 0);
  EXPECT_EQ(String(rows[0].Text, size_t(rows[0].Length)), "aa bb cc");   // trailing space dropped
  RowTexts(c.DC(), "aa bb cc dd ee", w, CXTO_DISTRIBUTE, 0, &rows);
  EXPECT_GT(rows[1].BreakCount, 0);
}

TEST(cxDrawTextUtils, ArrangesByAlignment) {
  TTextCanvas c;
  TcxTextLayoutParams p;
  const TRect R(10, 20, 210, 120);
  struct Case {
    Cardinal Flags;
    int X;   // expected X of the row "ab" (width w)
    int Y;   // expected Y with row height h: 0 top, 1 centre, 2 bottom
  };
  int w = c.Width("ab");
  cxPrepareTextLayoutParams(c.DC(), 0, p);
  int h = p.RowHeight;
  const Case cases[] = {
      {CXTO_LEFT | CXTO_TOP, 10, 20},
      {CXTO_CENTER_HORIZONTALLY | CXTO_CENTER_VERTICALLY, 10 + (200 - w) / 2, 20 + (100 - h) / 2},
      {CXTO_RIGHT | CXTO_BOTTOM, 210 - w, 120 - h},
  };
  for (const Case& k : cases) {
    cxPrepareTextLayoutParams(c.DC(), k.Flags, p);
    TcxTextRows rows;
    Integer n = 0;
    cxBuildTextRows(c.DC(), "ab", R, p, rows, n);
    cxArrangeTextRows(c.DC(), R, p, rows, n);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(rows[0].X, k.X) << k.Flags;
    EXPECT_EQ(rows[0].Y, k.Y) << k.Flags;
  }
  // Vertical distribution spreads three rows over the height.
  cxPrepareTextLayoutParams(c.DC(), CXTO_DISTRIBUTE_VERTICALLY, p);
  TcxTextRows rows;
  Integer n = 0;
  cxBuildTextRows(c.DC(), "a\nb\nc", R, p, rows, n);
  cxArrangeTextRows(c.DC(), R, p, rows, n);
  ASSERT_EQ(n, 3);
  int g = 100 - h;
  EXPECT_EQ(p.LineHeight, g / 2);
  EXPECT_EQ(rows[0].Y, 20);
  EXPECT_EQ(rows[1].Y, 20 + g / 2 + (g % 2 ? 1 : 0));
  EXPECT_EQ(rows[2].Y, 20 + g);
}

TEST(cxDrawTextUtils, MeasuresTextRectanglesAndCounts) {
  TTextCanvas c;
  TcxTextLayoutParams p;
  cxPrepareTextLayoutParams(c.DC(), 0, p);
  // "&" is an ordinary character: no accelerator prefix processing.
  TRect r(0, 0, 500, 0);
  Integer height = cxLayoutAndDrawText(c.DC(), "&File", r, CXTO_CALCRECT | CXTO_SINGLELINE);
  EXPECT_EQ(r.Width(), c.Width("&File"));
  EXPECT_EQ(height, p.RowHeight);
  // Wrapped: as wide as the widest row, as high as the rows.
  TFarEastGuard g;
  cxTextLayoutFarEastLocale = false;
  r = TRect(0, 0, c.Width("one two") + 2, 0);
  height = cxLayoutAndDrawText(c.DC(), "one two three", r, CXTO_CALCRECT | CXTO_WORDBREAK);
  EXPECT_EQ(height, p.RowHeight + p.LineHeight);
  EXPECT_EQ(r.Width(), c.Width("one two "));
  r = TRect(0, 0, c.Width("one two") + 2, 100);
  EXPECT_EQ(cxLayoutAndDrawText(c.DC(), "one two three", r, CXTO_CALCRECT | CXTO_WORDBREAK | CXTO_CALCROWCOUNT), 2);
  // Nothing to draw into: 0 and the rectangle as it was.
  r = TRect(5, 5, 5, 50);
  EXPECT_EQ(cxLayoutAndDrawText(c.DC(), "abc", r, CXTO_CALCRECT), 0);
  EXPECT_EQ(r, TRect(5, 5, 5, 50));
  r = TRect(5, 5, 50, 5);
  EXPECT_EQ(cxLayoutAndDrawText(c.DC(), "abc", r, 0), 0);
  EXPECT_EQ(cxLayoutAndDrawText(c.DC(), "", r, 0), 0);
  // Long tabbed texts are measured past the tabbed-extent limit.
  String longText;
  for (int i = 0; i < 1200; ++i) longText += "ab\tc";
  TSize sz;
  cxMeasureTextSpan(c.DC(), longText.data(), Integer(longText.size()), true, sz);
  std::u16string w = Utf8ToUtf16(longText);
  RECT dr{0, 0, 0, 0};
  DrawTextW(c.DC(), vcl::W(w), int(w.size()), &dr, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
  EXPECT_EQ(sz.cx, dr.right);
  EXPECT_GT(sz.cx, c.Width(String(1200 * 3, 'a')));
}

TEST(cxDrawTextUtils, EllipsisCutsTheLastRow) {
  // The drawn ellipsis row looks exactly like the cut text followed by "...".
  TTextCanvas a(300, 40), b(300, 40);
  const String text = "订单管理软件 Tovani";
  int w = a.Width("订单管理") + a.Width("...") + 2;
  TRect r(0, 0, w, 30);
  cxLayoutAndDrawText(a.DC(), text, r, CXTO_SINGLELINE | CXTO_END_ELLIPSIS);
  std::u16string expected = Utf8ToUtf16("订单管理...");
  SetBkMode(b.DC(), TRANSPARENT);
  TextOutW(b.DC(), 0, 0, vcl::W(expected), int(expected.size()));
  WriteTestPng(&a.Bitmap, "cxDrawTextUtils_ellipsis");
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(GetPixel(a.DC(), x, y), GetPixel(b.DC(), x, y)) << x << "," << y;
  // Nothing is drawn right of the rectangle.
  EXPECT_EQ(CountColor(a.Bitmap, TRect(w, 0, 300, 40), RGB(0, 0, 0)), 0);

  // A centred cut row stays inside its rectangle.
  TTextCanvas cc(300, 40);
  TRect rc(50, 0, 50 + w, 30);
  cxLayoutAndDrawText(cc.DC(), text, rc, CXTO_SINGLELINE | CXTO_END_ELLIPSIS | CXTO_CENTER_HORIZONTALLY);
  EXPECT_GT(CountColor(cc.Bitmap, TRect(50, 0, 50 + w, 30), RGB(0, 0, 0)), 0);
  EXPECT_EQ(CountColor(cc.Bitmap, TRect(0, 0, 50, 40), RGB(0, 0, 0)), 0);
}

TEST(cxDrawTextUtils, SelectedChineseTextHighlightsWhereItIs) {
  // The first two characters of a Chinese text are selected: the highlight
  // lies over them, on the left, not mirrored from the row's right end.
  TTextCanvas c(300, 40);
  const COLORREF sel = RGB(0, 0, 255);
  TRect r(0, 0, 300, 30);
  cxLayoutAndDrawText(c.DC(), "订单管理软件", r, CXTO_SINGLELINE, 0, 2, TColor(sel), clWhite);
  WriteTestPng(&c.Bitmap, "cxDrawTextUtils_selection");
  int w2 = c.Width("订单");
  int all = c.Width("订单管理软件");
  EXPECT_GT(CountColor(c.Bitmap, TRect(0, 0, w2, 20), sel), w2 * 5);
  EXPECT_EQ(CountColor(c.Bitmap, TRect(w2 + 1, 0, 300, 30), sel), 0);
  // The rest is drawn in the text colour.
  EXPECT_GT(CountColor(c.Bitmap, TRect(w2 + 1, 0, all, 30), RGB(0, 0, 0)), 0);
  // Right-to-left text is mirrored from the row's end.
  EXPECT_TRUE(cxIsRightToLeftText("\xd7\xa9\xd7\x9c", 4));
  EXPECT_FALSE(cxIsRightToLeftText("订单", 6));
  EXPECT_FALSE(cxIsRightToLeftText("12 abc", 6));
}

TEST(cxDrawTextUtils, FlagConversions) {
  struct Case {
    Cardinal Canvas, TextOut;
  };
  const Case cases[] = {{cxtfHCenter, CXTO_CENTER_HORIZONTALLY}, {cxtfRight, CXTO_RIGHT},
                        {cxtfVCenter, CXTO_CENTER_VERTICALLY},   {cxtfBottom, CXTO_BOTTOM},
                        {cxtfSingleLine, CXTO_SINGLELINE},       {cxtfWordBreak, CXTO_WORDBREAK}};
  for (const Case& k : cases) {
    EXPECT_EQ(cxTextOutFlagsFromDrawTextFlags(k.Canvas), k.TextOut);
    EXPECT_EQ(cxDrawTextFlagsFromTextOutFlags(k.TextOut), k.Canvas);
  }
  EXPECT_EQ(cxTextOutFlagsFromDrawTextFlags(cxtfLeft | cxtfTop | cxtfEndEllipsis), 0u);
  EXPECT_EQ(cxDrawTextFlagsFromTextOutFlags(CXTO_LEFT | CXTO_TOP), 0u);
}
