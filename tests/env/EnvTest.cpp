// Proves that the machine can run the program: real windows, real GDI and
// Chinese glyphs through the prefix's font replacements.
#include <windows.h>
#include "gtest.h"
#include <algorithm>
#include <string>

namespace {

HWND MakeEdit() {
  HWND h = CreateWindowExW(0, L"EDIT", L"hello world", WS_OVERLAPPEDWINDOW | ES_LEFT, 0, 0, 200, 30,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  return h;
}

// Renders one UTF-16 text in the given face on a white 64x32 memory bitmap
// and returns the count of non-white pixels plus a hash of their layout.
struct Ink {
  int count = 0;
  unsigned long long hash = 0;
};

Ink DrawText16(const char16_t* text, const char16_t* face) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 64, 32);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBmp = SelectObject(dc, bmp);
  RECT r{0, 0, 64, 32};
  FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfCharSet = DEFAULT_CHARSET;
  for (int i = 0; face[i] && i < 31; ++i) lf.lfFaceName[i] = face[i];
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  int len = 0;
  while (text[len]) ++len;
  TextOutW(dc, 2, 2, reinterpret_cast<LPCWSTR>(text), len);
  Ink ink;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x)
      if ((GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF) {
        ++ink.count;
        ink.hash = ink.hash * 1099511628211ull + unsigned(y * 64 + x);
      }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, oldBmp);
  DeleteObject(bmp);
  DeleteDC(dc);
  return ink;
}

}  // namespace

TEST(Environment, EditSelectionRoundTrip) {
  HWND h = MakeEdit();
  ASSERT_NE(h, nullptr);
  SendMessageW(h, EM_SETSEL, 2, 7);
  DWORD start = 0, end = 0;
  SendMessageW(h, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 7u);
  DestroyWindow(h);
}

TEST(Environment, DrawEdgeOnMemoryDC) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 20, 20);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT r{0, 0, 20, 20};
  FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
  // A sunken edge: shadow on the top-left outer line, highlight on the bottom-right.
  COLORREF topLeft = GetPixel(dc, 0, 0) & 0xFFFFFF;
  COLORREF bottomRight = GetPixel(dc, 19, 19) & 0xFFFFFF;
  COLORREF inside = GetPixel(dc, 10, 10) & 0xFFFFFF;
  EXPECT_EQ(topLeft, GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF);
  EXPECT_EQ(bottomRight, GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF);
  EXPECT_EQ(inside, 0xFFFFFFu);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST(Environment, ChineseGlyphsRender) {
  Ink chinese = DrawText16(u"中文", u"宋体");
  // U+E000 is a private-use code point no font here assigns: it draws the
  // missing-glyph box (or nothing), which is what real glyphs must differ from.
  Ink missing = DrawText16(u"\uE000\uE000", u"宋体");
  EXPECT_GT(chinese.count, 20);
  EXPECT_NE(chinese.hash, missing.hash);
  Ink zhong = DrawText16(u"中", u"宋体");
  Ink wen = DrawText16(u"文", u"宋体");
  EXPECT_NE(zhong.hash, wen.hash) << "two different characters drew the same shape";
}

// Window caption buttons are glyphs of the symbol font Marlett: without it
// the close button shows the letter "r" instead of a cross.
TEST(Environment, CaptionButtonsDrawTheirSymbols) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 32, 28);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  RECT r{0, 0, 32, 28};
  DrawFrameControl(dc, &r, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  // The ink of the glyph (dark pixels), and its mirror image across the
  // middle of its own bounds: a cross is symmetric, a letter is not.
  bool ink[28][32] = {};
  int minX = 32, maxX = -1, count = 0;
  for (int y = 2; y < 26; ++y)
    for (int x = 2; x < 30; ++x) {
      COLORREF c = GetPixel(dc, x, y);
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 0x50) {
        ink[y][x] = true;
        ++count;
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
      }
    }
  int mirrored = 0;
  for (int y = 0; y < 28; ++y)
    for (int x = 0; x < 32; ++x)
      if (ink[y][x] && ink[y][minX + maxX - x]) ++mirrored;
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  EXPECT_GT(count, 8);
  EXPECT_GE(mirrored * 10, count * 9) << count << " dark pixels, " << mirrored << " mirrored";

  HDC face = CreateCompatibleDC(nullptr);
  HFONT marlett = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, L"Marlett");
  HGDIOBJ oldFont = SelectObject(face, marlett);
  char16_t name[LF_FACESIZE] = {};
  GetTextFaceW(face, LF_FACESIZE, reinterpret_cast<LPWSTR>(name));
  SelectObject(face, oldFont);
  DeleteObject(marlett);
  DeleteDC(face);
  EXPECT_EQ(std::u16string(name), u"Marlett");
}
