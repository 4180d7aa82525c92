// Bitmaps of the editor library: run-length stream form, rotation, pixel
// operations, resampling, blending and the glyph pipeline, checked by
// pixels on memory bitmaps.
#include <memory>

#include "ImgList.h"
#include "Streams.h"
#include "TestPng.h"
#include "cxGraphics.h"
#include "gtest.h"

namespace {
uint32_t PixelAt(TBitmap* b, int x, int y) {
  TRGBColors px;
  cxGetBitmapPixels(b, true, px);
  return cxQuadValue(px[size_t(y) * size_t(b->Width()) + size_t(x)]);
}
// The RGB part of a canvas pixel as a COLORREF.
COLORREF Rgb(TBitmap* b, int x, int y) { return COLORREF(b->Canvas()->Pixels(x, y)) & 0xFFFFFF; }

void FillPixels(TcxBitmap& b, uint32_t v) {
  TRGBColors px(size_t(b.Width()) * size_t(b.Height()), cxQuadFromValue(v));
  b.SetPixels(px);
}
}  // namespace

TEST(cxBitmapStream, RunLengthPackets) {
  std::vector<uint8_t> same(300, 7);
  EXPECT_EQ(cxRLEEncode(same.data(), same.size()), (std::vector<uint8_t>{125, 7, 125, 7, 50, 7}));
  const uint8_t b[] = {1, 2, 3, 3};
  EXPECT_EQ(cxRLEEncode(b, 4), (std::vector<uint8_t>{0x82, 1, 2, 0x02, 3}));
  const uint8_t lone[] = {9};
  EXPECT_EQ(cxRLEEncode(lone, 1), (std::vector<uint8_t>{0x81, 9}));
  std::vector<uint8_t> mixed;
  for (int i = 0; i < 1000; ++i) mixed.push_back(uint8_t((i / 7) % 3 == 0 ? 0 : i * 31));
  std::vector<uint8_t> packed = cxRLEEncode(mixed.data(), mixed.size());
  EXPECT_EQ(cxRLEDecode(packed.data(), packed.size()), mixed);
  const uint8_t damaged[] = {0x85, 1, 2};   // a literal run past the end
  EXPECT_THROW(cxRLEDecode(damaged, 3), EReadError);
  const uint8_t noValue[] = {0x05};
  EXPECT_THROW(cxRLEDecode(noValue, 1), EReadError);
}

TEST(cxBitmapStream, CompressedFormKeepsPixelsAndAlpha) {
  TcxBitmap source(5, 3);
  TRGBColors px(15);
  for (size_t i = 0; i < px.size(); ++i) px[i] = cxQuadFromValue(uint32_t(i * 0x01020304u) | 0x40000000u);
  source.SetPixels(px);
  source.SetCompressData(true);
  TMemoryStream ms;
  source.WriteData(&ms);
  const uint8_t* bytes = static_cast<const uint8_t*>(ms.Memory());
  EXPECT_EQ(bytes[4], 0x58);
  EXPECT_EQ(bytes[7], 0x4D);
  EXPECT_EQ(bytes[8], 1);
  ms.SetPosition(0);
  TcxBitmap back;
  back.ReadData(&ms);
  ASSERT_EQ(back.Width(), 5);
  TRGBColors got;
  cxGetBitmapPixels(&back, false, got);
  for (size_t i = 0; i < px.size(); ++i) EXPECT_EQ(cxQuadValue(got[i]), cxQuadValue(px[i])) << i;

  // The uncompressed form is read as well.
  TMemoryStream plain;
  source.SetCompressData(false);
  source.WriteData(&plain);
  plain.SetPosition(0);
  TcxBitmap again;
  again.ReadData(&plain);
  EXPECT_EQ(PixelAt(&again, 4, 2), PixelAt(&source, 4, 2));

  // A damaged count is refused before anything is allocated.
  TMemoryStream bad;
  const uint8_t header[10] = {0xFF, 0xFF, 0xFF, 0x7F, 0x58, 0x44, 0x42, 0x4D, 1, 0};
  bad.WriteBuffer(header, 10);
  bad.SetPosition(0);
  EXPECT_THROW(again.ReadData(&bad), EReadError);
}

TEST(cxCustomBitmap, RotationAndChangeHolds) {
  // 3 x 2, pixel values 1..6 row by row (top row first).
  struct Case {
    int angle;
    bool flip;
    int w, h;
    std::vector<uint32_t> expected;   // top row first
  } cases[] = {
      {1, false, 2, 3, {3, 6, 2, 5, 1, 4}},   // counter-clockwise: top-left is the old top-right
      {1, true, 2, 3, {1, 4, 2, 5, 3, 6}},
      {2, false, 2, 3, {4, 1, 5, 2, 6, 3}},
      {2, true, 2, 3, {6, 3, 5, 2, 4, 1}},
      {3, false, 3, 2, {6, 5, 4, 3, 2, 1}},
      {3, true, 3, 2, {3, 2, 1, 6, 5, 4}},
      {0, true, 3, 2, {4, 5, 6, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    TcxBitmap b(3, 2);
    TRGBColors px;
    for (uint32_t v = 1; v <= 6; ++v) px.push_back(cxQuadFromValue(v));
    cxSetBitmapPixels(&b, px, true);
    b.RotateQuarter(c.angle, c.flip);
    ASSERT_EQ(b.Width(), c.w);
    ASSERT_EQ(b.Height(), c.h);
    TRGBColors got;
    cxGetBitmapPixels(&b, true, got);
    std::vector<uint32_t> values;
    for (auto& q : got) values.push_back(cxQuadValue(q));
    EXPECT_EQ(values, c.expected) << "angle " << c.angle << " flip " << c.flip;
  }

  TcxCustomBitmap b(4, 4);
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.BeginChanges();
  b.BeginChanges();
  b.SetSize(8, 8);
  b.NotifyChanged();
  b.EndChanges();
  EXPECT_EQ(changes, 0);
  b.EndChanges();   // the pending change fires once
  EXPECT_EQ(changes, 1);
  b.EndChanges(true);   // no hold: nothing
  EXPECT_EQ(changes, 1);
}

TEST(cxBitmap, PixelOperations) {
  TcxBitmap b(2, 1);
  TRGBColors px = {cxQuadFromValue(0x00FF00FF), cxQuadFromValue(0x00102030)};   // magenta, dark blue-ish
  b.SetPixels(px);
  EXPECT_FALSE(b.HasAlphaChannel());
  b.SetTransparentColor(clFuchsia);   // magenta is transparent; the rest becomes opaque
  TRGBColors got;
  b.GetPixels(got);
  EXPECT_EQ(cxQuadValue(got[0]), 0x00FF00FFu);
  EXPECT_EQ(cxQuadValue(got[1]), 0xFF102030u);
  EXPECT_TRUE(b.HasAlphaChannel());
  b.ApplyPixelOperation(pxoAverageGray);
  b.GetPixels(got);
  EXPECT_EQ(cxQuadValue(got[0]), 0x00FF00FFu);   // transparent pixels are skipped
  EXPECT_EQ(cxQuadValue(got[1]), 0xFF202020u);   // (0x10 + 0x20 + 0x30) / 3
  b.ApplyPixelOperation(pxoLighten);
  b.GetPixels(got);
  EXPECT_EQ(cxQuadValue(got[1]), 0xFF636363u);   // 32 + MulDiv(223, 3, 10) = 32 + 67
  b.ApplyPixelOperation(pxoMask);
  b.GetPixels(got);
  EXPECT_EQ(cxQuadValue(got[0]), 0xFFFFFFFFu);
  EXPECT_EQ(cxQuadValue(got[1]), 0u);

  TcxBitmap g(1, 1);
  FillPixels(g, 0x80644B32);   // A 0x80, R 100, G 75, B 50
  g.ApplyPixelOperation(pxoLighten);
  EXPECT_EQ(PixelAt(&g, 0, 0), 0x644E3B27u);   // alpha not 255: every channel * 200 / 255
  FillPixels(g, 0xFF644B32);
  g.ApplyPixelOperation(pxoFadeGray);
  EXPECT_EQ(PixelAt(&g, 0, 0), 0xFF505050u);   // Round(0.299*100 + 0.587*75 + 0.114*50) = 80
  FillPixels(g, 0xFF644B32);
  g.ApplyPixelOperation(pxoDisableGray);
  EXPECT_EQ(PixelAt(&g, 0, 0), 0xFF484848u);   // Round(0.0729*100 + 0.7146*75 + 0.2125*50) = 72
  g.ApplyPixelOperation(pxoClearAlpha);
  EXPECT_EQ(PixelAt(&g, 0, 0), 0x00484848u);
  g.SetTransparentBackground(0x11223344);
  g.ApplyPixelOperation(pxoFillBackground);
  EXPECT_EQ(PixelAt(&g, 0, 0), 0x11223344u);

  RGBQUAD dest = cxQuadFromValue(0xFF000000);
  cxBlendPixel(cxQuadFromValue(0x80808080), dest, 255);   // half-transparent gray over black
  EXPECT_EQ(cxQuadValue(dest), 0xFF808080u);
}

TEST(cxBitmap, Resampling) {
  EXPECT_DOUBLE_EQ(cxResampleScale(1, 10), 10.0);
  EXPECT_DOUBLE_EQ(cxResampleScale(10, 1), 0.1);
  EXPECT_DOUBLE_EQ(cxResampleScale(3, 5), 2.0);
  TContributorList list;
  cxBuildContributors(10, 1, 0.1, list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_GT(list[0].size(), 10u);   // the support widens ten times when shrinking
  for (auto& c : list[0]) {
    EXPECT_GE(c.Pixel, 0);
    EXPECT_LT(c.Pixel, 10);
  }

  // Enlarging 3 to 5 puts every other output on a source pixel exactly.
  TBitmap src(3, 1, pf32bit);
  TRGBColors px = {cxQuadFromValue(0xFF102030), cxQuadFromValue(0xFF405060), cxQuadFromValue(0xFFA0B0C0)};
  cxSetBitmapPixels(&src, px, true);
  TBitmap dst(5, 1, pf32bit);
  cxResampleBitmap(&src, &dst, true);
  EXPECT_EQ(PixelAt(&dst, 0, 0), 0xFF102030u);
  EXPECT_EQ(PixelAt(&dst, 2, 0), 0xFF405060u);
  EXPECT_EQ(PixelAt(&dst, 4, 0), 0xFFA0B0C0u);
  // A uniform image stays (nearly) uniform when shrunk.
  TBitmap wide(10, 10, pf32bit), one(1, 1, pf32bit);
  TRGBColors flat(100, cxQuadFromValue(0xFF646464));
  cxSetBitmapPixels(&wide, flat, true);
  cxResampleBitmap(&wide, &one, true);
  uint32_t v = PixelAt(&one, 0, 0);
  EXPECT_NEAR(int(v & 0xFF), 100, 3);
  TBitmap none(0, 0, pf32bit);
  cxResampleBitmap(&none, &one, true);   // a zero size does nothing
  EXPECT_EQ(PixelAt(&one, 0, 0), v);
}

namespace {
// A 16 x 16 glyph: a red 8 x 8 square in the middle of a fuchsia field.
std::unique_ptr<TBitmap> MakeGlyph(TPixelFormat pf) {
  auto g = std::make_unique<TBitmap>(16, 16, pf);
  g->Canvas()->Brush()->SetColor(clFuchsia);
  g->Canvas()->FillRect(TRect(0, 0, 16, 16));
  g->Canvas()->Brush()->SetColor(clRed);
  g->Canvas()->FillRect(TRect(4, 4, 12, 12));
  return g;
}
std::unique_ptr<TBitmap> WhiteTarget(int w, int h) {
  auto t = std::make_unique<TBitmap>(w, h, pf32bit);
  t->Canvas()->Brush()->SetColor(clWhite);
  t->Canvas()->FillRect(TRect(0, 0, w, h));
  return t;
}
}  // namespace

TEST(cxDrawGlyphOrImage, AllZeroAlphaCountsAsNone) {
  auto glyph = MakeGlyph(pf32bit);   // drawn by GDI: every alpha byte is 0
  auto target = WhiteTarget(40, 40);
  HDC dc = target->Canvas()->Handle();
  cxDrawGlyphOrImage(dc, TRect(2, 2, 18, 18), TRect(0, 0, 40, 40), glyph.get(), nullptr, -1, gemNormal, true);
  EXPECT_EQ(Rgb(target.get(), 10, 10), COLORREF(clRed));     // made opaque
  EXPECT_EQ(Rgb(target.get(), 3, 3), COLORREF(clWhite));     // its transparent colour decides the mask
  // Without the transparent colour the whole glyph is opaque.
  cxDrawGlyphOrImage(dc, TRect(20, 2, 36, 18), TRect(0, 0, 40, 40), glyph.get(), nullptr, -1, gemNormal, false);
  EXPECT_EQ(Rgb(target.get(), 21, 3), COLORREF(clFuchsia));
  // An explicit transparent colour does the same as the glyph's own.
  cxDrawGlyphOrImage(dc, TRect(2, 20, 18, 36), TRect(0, 0, 40, 40), glyph.get(), nullptr, -1, gemNormal, false,
                     clFuchsia);
  EXPECT_EQ(Rgb(target.get(), 3, 21), COLORREF(clWhite));
  EXPECT_EQ(Rgb(target.get(), 10, 28), COLORREF(clRed));
  // Nothing to draw: nothing happens.
  cxDrawGlyphOrImage(dc, TRect(0, 0, 40, 40), TRect(0, 0, 40, 40), nullptr, nullptr, 0, gemNormal);
  EXPECT_EQ(Rgb(target.get(), 10, 10), COLORREF(clRed));
}

TEST(cxDrawGlyphOrImage, AlphaAndEffects) {
  // Premultiplied: a half-transparent black square.
  TBitmap glyph(4, 4, pf32bit);
  TRGBColors px(16, cxQuadFromValue(0x80000000));
  cxSetBitmapPixels(&glyph, px, true);
  auto target = WhiteTarget(60, 20);
  HDC dc = target->Canvas()->Handle();
  cxDrawGlyphOrImage(dc, TRect(0, 0, 4, 4), TRect(0, 0, 60, 20), &glyph, nullptr, -1, gemNormal);
  EXPECT_NEAR(int(GetRValue(Rgb(target.get(), 1, 1))), 127, 2);

  // Opaque black glyph, faded: gray blended at constant alpha 64.
  TBitmap black(4, 4, pf24bit);
  black.Canvas()->Brush()->SetColor(clBlack);
  black.Canvas()->FillRect(TRect(0, 0, 4, 4));
  cxDrawGlyphOrImage(dc, TRect(10, 0, 14, 4), TRect(0, 0, 60, 20), &black, nullptr, -1, gemFaded);
  EXPECT_NEAR(int(GetRValue(Rgb(target.get(), 11, 1))), 255 - 64, 2);

  // Shadow: the glyph one pixel up and left, the shadow to its lower right.
  cxDrawGlyphOrImage(dc, TRect(30, 10, 34, 14), TRect(0, 0, 60, 20), &black, nullptr, -1, gemShadow);
  EXPECT_EQ(Rgb(target.get(), 29, 9), COLORREF(clBlack));
  EXPECT_EQ(Rgb(target.get(), 32, 12), COLORREF(clBlack));
  EXPECT_EQ(Rgb(target.get(), 33, 13), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Rgb(target.get(), 34, 14), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Rgb(target.get(), 35, 15), COLORREF(clWhite));
  EXPECT_EQ(Rgb(target.get(), 28, 8), COLORREF(clWhite));

  // Disabled without alpha: gray, with a highlight one pixel to the lower
  // right where the glyph is transparent (composed on black here, since the
  // highlight colour may be white).
  auto glyph16 = MakeGlyph(pf24bit);
  TBrush blackBrush;
  blackBrush.SetColor(clBlack);
  cxDrawGlyphOrImage(dc, TRect(40, 0, 56, 16), TRect(40, 0, 60, 20), glyph16.get(), nullptr, -1, gemDisabled, true,
                     clNone, &blackBrush);
  EXPECT_NE(Rgb(target.get(), 48, 8), COLORREF(clRed));
  EXPECT_NE(Rgb(target.get(), 48, 8), COLORREF(clBlack));
  EXPECT_EQ(Rgb(target.get(), 52, 12), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Rgb(target.get(), 53, 13), COLORREF(clBlack));
  EXPECT_EQ(Rgb(target.get(), 43, 3), COLORREF(clBlack));
  WriteTestPng(target.get(), "cxglyph_effects");
}

TEST(cxDrawGlyphOrImage, ImageListImagesUseTheirMask) {
  TImageList list;
  auto glyph = MakeGlyph(pf24bit);
  ASSERT_EQ(list.AddMasked(glyph.get(), clFuchsia), 0);
  EXPECT_TRUE(cxHasImage(&list, 0));
  EXPECT_FALSE(cxHasImage(&list, 1));
  auto target = WhiteTarget(20, 20);
  cxDrawGlyphOrImage(target->Canvas()->Handle(), TRect(2, 2, 18, 18), TRect(0, 0, 20, 20), nullptr, &list, 0,
                     gemNormal);
  EXPECT_EQ(Rgb(target.get(), 10, 10), COLORREF(clRed));
  EXPECT_EQ(Rgb(target.get(), 3, 3), COLORREF(clWhite));
  // Gray: the average of red's channels.
  cxDrawGlyphOrImage(target->Canvas()->Handle(), TRect(2, 2, 18, 18), TRect(0, 0, 20, 20), nullptr, &list, 0,
                     gemGray);
  EXPECT_EQ(Rgb(target.get(), 10, 10), COLORREF(0x555555));
}

TEST(cxBitmap, HelpersOnBitmaps) {
  auto glyph = MakeGlyph(pf24bit);
  TBitmap mask(1, 1, pf24bit);
  cxMakeGlyphMask(glyph.get(), &mask);
  ASSERT_EQ(mask.Width(), 16);
  EXPECT_EQ(Rgb(&mask, 0, 0), COLORREF(clWhite));   // the bottom-left colour is transparent
  EXPECT_EQ(Rgb(&mask, 8, 8), COLORREF(clBlack));
  std::unique_ptr<TcxBitmap> dup(cxDuplicateBitmap(glyph.get()));
  EXPECT_EQ(Rgb(dup.get(), 8, 8), COLORREF(clRed));
  EXPECT_EQ(cxBitsPerPixel(glyph.get()), 24);
  std::unique_ptr<TBitmap> copy(cxCopyDCToBitmap(glyph->Canvas()->Handle(), TRect(4, 4, 6, 6)));
  EXPECT_EQ(copy->Width(), 2);
  EXPECT_EQ(Rgb(copy.get(), 0, 0), COLORREF(clRed));
  EXPECT_FALSE(cxHasGlyph(nullptr));
  EXPECT_TRUE(cxHasGlyph(glyph.get()));

  TImageList a, b;
  TCustomImageList* field = nullptr;
  TChangeLink link;
  int changes = 0;
  link.OnChange = [&](TObject*) { ++changes; };
  TComponent owner;
  cxAssignImageList(&a, field, &link, &owner);
  EXPECT_EQ(field, &a);
  EXPECT_EQ(changes, 1);
  cxAssignImageList(&a, field, &link, &owner);   // unchanged: nothing
  EXPECT_EQ(changes, 1);
  cxAssignImageList(&b, field, &link, &owner);
  EXPECT_EQ(field, &b);
  EXPECT_EQ(changes, 2);
  cxAssignImageList(nullptr, field, &link, &owner);
}
