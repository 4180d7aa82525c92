// The library's image list: image infos kept beside the system list through
// adds, strips, inserts, moves, replacements and deletes; its form-file
// properties; a compressed round trip keeping pixels and alpha.
#include <memory>

#include "Streaming.h"
#include "Streams.h"
#include "cxGraphics.h"
#include "gtest.h"

namespace {
std::unique_ptr<TBitmap> Solid(int w, int h, TColor c, TPixelFormat pf = pf24bit) {
  auto b = std::make_unique<TBitmap>(w, h, pf);
  b->Canvas()->Brush()->SetColor(c);
  b->Canvas()->FillRect(TRect(0, 0, w, h));
  return b;
}
// The colour of the middle of image i, from the system list and from its info.
COLORREF ListColor(TcxImageList& l, int i) {
  TBitmap b;
  TcxImageList::ExtractImage(l.Handle(), i, nullptr, &b);
  return COLORREF(b.Canvas()->Pixels(8, 8)) & 0xFFFFFF;
}
COLORREF InfoColor(TcxImageList& l, int i) {
  return COLORREF(l.ImageInfos()->Info(i)->Image()->Canvas()->Pixels(8, 8)) & 0xFFFFFF;
}
}  // namespace

TEST(cxImageList, StripsAndSingleImages) {
  TcxImageList list(16, 16);
  auto strip = Solid(48, 16, clRed);
  strip->Canvas()->Brush()->SetColor(clBlue);
  strip->Canvas()->FillRect(TRect(16, 0, 32, 16));
  EXPECT_EQ(list.AddImageWithMask(strip.get(), nullptr), 0);
  ASSERT_EQ(list.Count(), 3);
  ASSERT_EQ(list.ImageInfos()->Count(), 3);
  EXPECT_EQ(list.ImageInfos()->Info(1)->Image()->Width(), 16);
  EXPECT_EQ(InfoColor(list, 1), COLORREF(clBlue));
  EXPECT_EQ(ListColor(list, 1), COLORREF(clBlue));
  auto odd = Solid(20, 16, clGreen);
  list.AddImageWithMask(odd.get(), nullptr);
  ASSERT_EQ(list.ImageInfos()->Count(), 4);
  EXPECT_EQ(list.ImageInfos()->Info(3)->Image()->Width(), 20);   // kept as added
  EXPECT_EQ(cxImageCountInBitmap(strip.get(), 16, 16), 3);
  EXPECT_EQ(cxImageCountInBitmap(odd.get(), 16, 16), 1);

  auto masked = Solid(16, 16, clFuchsia);
  EXPECT_EQ(list.AddMasked(masked.get(), clFuchsia), 4);
  EXPECT_EQ(list.ImageInfos()->Info(4)->MaskColor(), clFuchsia);
  TcxImageInfo info;
  list.ReadImageInfoAt(4, &info);
  EXPECT_EQ(info.MaskColor(), clFuchsia);
  list.ReadImageInfoAt(99, &info);
  EXPECT_EQ(info.MaskColor(), clNone);
  EXPECT_TRUE(info.Image()->Empty());
}

TEST(cxImageList, InsertMoveReplaceDelete) {
  TcxImageList list(16, 16);
  const TColor colors[] = {clRed, clGreen, clBlue};
  for (TColor c : colors) list.AddImageWithMask(Solid(16, 16, c).get(), nullptr);
  int changes = 0;
  list.OnChange = [&](TObject*) { ++changes; };

  list.MoveImage(0, 2);   // A B C -> B C A
  const COLORREF moved[] = {COLORREF(clGreen), COLORREF(clBlue), COLORREF(clRed)};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ListColor(list, i), moved[i]) << i;
    EXPECT_EQ(InfoColor(list, i), moved[i]) << i;
  }
  changes = 0;
  list.ReplaceImage(1, Solid(16, 16, clYellow).get(), nullptr);
  EXPECT_EQ(changes, 1);   // one notification for the whole replacement
  EXPECT_EQ(ListColor(list, 1), COLORREF(clYellow));
  EXPECT_EQ(InfoColor(list, 1), COLORREF(clYellow));
  EXPECT_EQ(list.Count(), 3);

  list.InsertImage(3, Solid(16, 16, clAqua).get(), nullptr);   // at Count: appends
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(ListColor(list, 3), COLORREF(clAqua));
  list.InsertImage(5, Solid(16, 16, clAqua).get(), nullptr);   // beyond: nothing
  EXPECT_EQ(list.Count(), 4);
  list.InsertImage(0, Solid(16, 16, clMaroon).get(), nullptr);
  EXPECT_EQ(InfoColor(list, 0), COLORREF(clMaroon));
  EXPECT_EQ(ListColor(list, 1), COLORREF(clGreen));

  list.DeleteImage(0);
  EXPECT_EQ(list.ImageInfos()->Count(), 4);
  EXPECT_EQ(InfoColor(list, 0), COLORREF(clGreen));
  list.ClearImages();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.ImageInfos()->Count(), 0);
}

TEST(cxImageList, FormFileProperties) {
  TcxImageList ancestor(16, 16), list(16, 16);
  ancestor.AddImageWithMask(Solid(16, 16, clRed).get(), nullptr);
  list.AddImageWithMask(Solid(16, 16, clRed).get(), nullptr);
  ancestor.SetDesignInfo(0x00100010);
  list.SetDesignInfo(0x00200020);
  auto written = [](TcxImageList& l, TPersistent* a) {
    TMemoryStream ms;
    {
      TWriter w(&ms);
      w.SetAncestor(a);
      l.DefineProperties(&w);
    }
    const char* p = static_cast<const char*>(ms.Memory());
    return std::string(p, p + ms.Size());
  };
  std::string onlyDesign = written(list, &ancestor);
  EXPECT_NE(onlyDesign.find("FormatVersion"), std::string::npos);
  EXPECT_NE(onlyDesign.find("DesignInfo"), std::string::npos);
  EXPECT_EQ(onlyDesign.find("ImageInfo"), std::string::npos);
  EXPECT_EQ(onlyDesign.find("Bitmap"), std::string::npos);   // the platform's own data is only read
  list.AddImageWithMask(Solid(16, 16, clBlue).get(), nullptr);
  EXPECT_NE(written(list, &ancestor).find("ImageInfo"), std::string::npos);
  TcxImageList empty(16, 16);
  EXPECT_EQ(written(empty, nullptr).find("ImageInfo"), std::string::npos);
}

TEST(cxImageList, CompressedRoundTripKeepsPixelsAndAlpha) {
  TcxImageList list(16, 16);
  list.SetName("Images");
  list.SetCompressData(true);
  list.SetBkColor(clYellow);
  TcxBitmap image(16, 16);
  TRGBColors px(256);
  for (size_t i = 0; i < px.size(); ++i) {
    uint32_t a = uint32_t(i);   // premultiplied: colour no larger than alpha
    px[i] = cxQuadFromValue(a << 24 | (a / 2) << 16 | (a / 3) << 8 | (a / 4));
  }
  image.SetPixels(px);
  list.AddImageWithMask(&image, nullptr);
  list.AddMasked(Solid(16, 16, clLime).get(), clFuchsia);
  EXPECT_TRUE(list.ImageInfos()->Info(1)->CompressData());

  TMemoryStream ms;
  WriteComponentToStream(&ms, &list);
  ms.SetPosition(0);
  TcxImageList back(16, 16);
  ReadComponentFromStream(&ms, &back);
  ASSERT_EQ(back.Count(), 2);
  ASSERT_EQ(back.ImageInfos()->Count(), 2);
  EXPECT_EQ(back.FormatVersion(), 1);
  EXPECT_TRUE(back.CompressData());
  EXPECT_EQ(back.BkColor(), clYellow);
  TRGBColors got;
  cxGetBitmapPixels(back.ImageInfos()->Info(0)->Image(), false, got);
  ASSERT_EQ(got.size(), px.size());
  for (size_t i = 0; i < px.size(); ++i) ASSERT_EQ(cxQuadValue(got[i]), cxQuadValue(px[i])) << i;
  EXPECT_EQ(back.ImageInfos()->Info(1)->MaskColor(), clFuchsia);
  TcxBitmap out(16, 16);
  back.GetImage(0, &out, nullptr);
  EXPECT_EQ(cxQuadValue(cxQuadFromValue(0)), 0u);
  TRGBColors outPx;
  out.GetPixels(outPx);
  EXPECT_EQ(cxQuadValue(outPx[255]), cxQuadValue(px[255]));

  // Drawing uses the stored image with its alpha.
  TBitmap target(16, 16, pf32bit);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(TRect(0, 0, 16, 16));
  back.Draw(target.Canvas(), 0, 0, 1);
  EXPECT_EQ(COLORREF(target.Canvas()->Pixels(8, 8)) & 0xFFFFFF, COLORREF(clLime));
}
