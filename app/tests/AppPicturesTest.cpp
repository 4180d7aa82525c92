#include "AppPictures.h"
#include <string>
#include "Graphics.h"
#include "ImgList.h"
#include "../../platform/vcl/tests/TestPng.h"
#include "gtest.h"

namespace {

constexpr TColor kBackground = 0x00FF00;   // no picture uses pure green
constexpr TProgramGlyph kGlyphs[] = {TProgramGlyph::Product,  TProgramGlyph::Customer, TProgramGlyph::Sale,
                                     TProgramGlyph::SaleStat, TProgramGlyph::Users,    TProgramGlyph::Password,
                                     TProgramGlyph::Login};

void Fill(TBitmap* b, Integer w, Integer h, TColor colour) {
  b->SetPixelFormat(pf32bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(colour);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
}

// Counts the pixels of a drawn picture that are not the background.
int OpaquePixels(TBitmap* b, TColor background) {
  int n = 0;
  for (Integer y = 0; y < b->Height(); ++y)
    for (Integer x = 0; x < b->Width(); ++x) n += (b->Canvas()->Pixels(x, y) & 0xFFFFFF) != background;
  return n;
}

}  // namespace

TEST(AppPictures, ImageListHoldsTwentySixSmallImages) {
  TImageList list;
  list.SetSize(24, 24);   // whatever the list held before is replaced
  TBitmap stray;
  Fill(&stray, 24, 24, clRed);
  list.AddMasked(&stray, clRed);
  LoadProgramImages(&list);
  EXPECT_EQ(list.Count(), 26);
  EXPECT_EQ(list.Width(), 16);
  EXPECT_EQ(list.Height(), 16);
  LoadProgramImages(&list);
  EXPECT_EQ(list.Count(), 26);
}

TEST(AppPictures, ImagesShowTheBackgroundAroundThePicture) {
  TImageList list;
  LoadProgramImages(&list);
  struct Case {
    int index;
    TPoint opaque, transparent;
  } cases[] = {
      {1, {8, 8}, {1, 8}},      // prior: triangle in the middle, empty at the left
      {7, {7, 7}, {7, 1}},      // delete: the cross's centre, the gap above it
      {10, {7, 7}, {2, 2}},     // add: the plus's centre, a corner beside it
      {19, {4, 8}, {14, 2}},    // close: the door, the space above the arrow
      {25, {3, 5}, {15, 0}},    // refresh classes: the folder, the top-right corner
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    TBitmap out;
    Fill(&out, 16, 16, kBackground);
    list.Draw(out.Canvas(), 0, 0, c.index);
    EXPECT_NE(out.Canvas()->Pixels(c.opaque.X, c.opaque.Y) & 0xFFFFFF, kBackground);
    EXPECT_EQ(out.Canvas()->Pixels(c.transparent.X, c.transparent.Y) & 0xFFFFFF, kBackground);
  }
  // The placeholders between the pictures draw nothing at all.
  for (int index : {4, 14, 18, 21, 23}) {
    TBitmap out;
    Fill(&out, 16, 16, kBackground);
    list.Draw(out.Canvas(), 0, 0, index);
    EXPECT_EQ(OpaquePixels(&out, kBackground), 0) << index;
  }
}

TEST(AppPictures, GlyphsAreLargeTransparentPictures) {
  for (TProgramGlyph g : kGlyphs) {
    SCOPED_TRACE(int(g));
    TBitmap glyph;
    DrawProgramGlyph(&glyph, g);
    ASSERT_EQ(glyph.Width(), 32);
    ASSERT_EQ(glyph.Height(), 32);
    // Buttons that take the bottom-left pixel as the transparent colour agree
    // with the colour the glyph names.
    TColor key = glyph.TransparentColor() & 0xFFFFFF;
    EXPECT_EQ(glyph.Canvas()->Pixels(0, 31) & 0xFFFFFF, key);
    // Drawn over a background: the picture covers a fair part, the rest shows through.
    TBitmap out;
    Fill(&out, 32, 32, kBackground);
    out.Canvas()->Draw(0, 0, &glyph);
    int opaque = OpaquePixels(&out, kBackground);
    EXPECT_GT(opaque, 200);
    EXPECT_LT(opaque, 32 * 32 - 100);
  }
}

// All pictures on one sheet, three times their size, for a person to look at.
TEST(AppPictures, ContactSheet) {
  const int scale = 3, cell = 20, big = 40;
  TBitmap sheet;
  Fill(&sheet, 26 * cell + 4, cell + big + 8, clBtnFace);
  TImageList list;
  LoadProgramImages(&list);
  for (int i = 0; i < 26; ++i) list.Draw(sheet.Canvas(), 4 + i * cell, 4, i);
  int x = 4;
  for (TProgramGlyph g : kGlyphs) {
    TBitmap glyph;
    DrawProgramGlyph(&glyph, g);
    sheet.Canvas()->Draw(x, cell + 8, &glyph);
    x += big;
  }
  TBitmap large;
  Fill(&large, sheet.Width() * scale, sheet.Height() * scale, clBtnFace);
  large.Canvas()->StretchDraw(Rect(0, 0, large.Width(), large.Height()), &sheet);
  std::string path = WriteTestPng(&large, "program_pictures");
  EXPECT_FALSE(path.empty());
}
