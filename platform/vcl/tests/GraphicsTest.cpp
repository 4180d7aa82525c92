// Canvas, tool objects and graphic classes, checked through the pixels they
// produce on memory bitmaps.
#include <cstring>
#include "Graphics.h"
#include "Jpeg.h"
#include "Streams.h"
#include "TestPng.h"
#include "gtest.h"

namespace {

COLORREF Px(TBitmap& b, int x, int y) { return COLORREF(b.Canvas()->Pixels(x, y)) & 0xFFFFFF; }

int CountNonWhite(TBitmap& b, const TRect& r) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (Px(b, x, y) != 0xFFFFFF) ++n;
  return n;
}

}  // namespace

TEST(Colors, SystemColorsAndNames) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clWindowText), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
  EXPECT_EQ(StringToColor("clwindow"), clWindow);
  EXPECT_EQ(StringToColor("$00FF8000"), 0x00FF8000);
  EXPECT_THROW(StringToColor("purpleish"), EConvertError);
}

TEST(Canvas, ShapesLinesAndPixelsOnABitmap) {
  TBitmap bmp(64, 48, pf24bit);
  TCanvas* c = bmp.Canvas();
  // New bitmaps are white.
  EXPECT_EQ(Px(bmp, 10, 10), 0xFFFFFFu);
  c->Brush()->SetColor(clRed);
  c->FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(Px(bmp, 0, 0), 0x0000FFu);
  EXPECT_EQ(Px(bmp, 9, 9), 0x0000FFu);
  EXPECT_EQ(Px(bmp, 10, 10), 0xFFFFFFu);   // right/bottom edges are exclusive

  c->Pen()->SetColor(clBlue);
  c->Brush()->SetColor(clLime);
  c->Rectangle(20, 0, 30, 10);
  EXPECT_EQ(Px(bmp, 20, 5), 0xFF0000u);     // pen outline
  EXPECT_EQ(Px(bmp, 25, 5), 0x00FF00u);     // brush inside

  c->Brush()->SetColor(clYellow);
  c->FrameRect(Rect(40, 0, 50, 10));
  EXPECT_EQ(Px(bmp, 40, 0), 0x00FFFFu);
  EXPECT_EQ(Px(bmp, 45, 5), 0xFFFFFFu);     // a frame does not fill

  c->Pen()->SetColor(clBlack);
  c->MoveTo(0, 20);
  c->LineTo(30, 20);
  EXPECT_EQ(Px(bmp, 15, 20), 0u);
  EXPECT_EQ(c->PenPos(), Point(30, 20));

  c->SetPixels(60, 40, clFuchsia);
  EXPECT_EQ(c->Pixels(60, 40) & 0xFFFFFF, TColor(0xFF00FF));

  // A clear brush leaves the inside of a shape alone.
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(0, 30, 10, 40);
  EXPECT_EQ(Px(bmp, 5, 35), 0xFFFFFFu);
  c->Brush()->SetColor(clRed);   // setting a colour makes it solid again
  EXPECT_EQ(c->Brush()->Style(), bsSolid);

  c->Brush()->SetColor(clGreen);
  c->Polygon({Point(40, 30), Point(60, 30), Point(50, 45)});
  EXPECT_EQ(Px(bmp, 50, 35), 0x008000u);
  c->Ellipse(12, 30, 30, 46);
  EXPECT_EQ(Px(bmp, 21, 38), 0x008000u);
  WriteTestPng(&bmp, "canvas_shapes");
}

TEST(Canvas, ChineseTextIsMeasuredAndDrawn) {
  TBitmap bmp(120, 40, pf32bit);
  TCanvas* c = bmp.Canvas();
  c->Font()->SetName("宋体");
  c->Font()->SetSize(12);
  EXPECT_EQ(c->Font()->Height(), -16);
  TSize one = c->TextExtent("订");
  TSize two = c->TextExtent("订单");
  EXPECT_GT(one.cx, 0);
  EXPECT_EQ(two.cx, 2 * one.cx);
  EXPECT_GT(c->TextHeight(""), 0);   // empty text still has the line height
  c->Brush()->SetStyle(bsClear);
  c->TextOut(2, 2, "订单管理");
  EXPECT_GT(CountNonWhite(bmp, Rect(0, 0, 120, 40)), 30);
  EXPECT_EQ(c->PenPos().X, 2 + c->TextWidth("订单管理"));
  WriteTestPng(&bmp, "canvas_text");

  // TextRect clips to its rectangle and fills it with the brush.
  TBitmap clip(60, 20, pf24bit);
  clip.Canvas()->Brush()->SetColor(clYellow);
  clip.Canvas()->TextRect(Rect(0, 0, 20, 20), 0, 0, "订单管理软件");
  EXPECT_EQ(Px(clip, 19, 19), 0x00FFFFu);
  EXPECT_EQ(CountNonWhite(clip, Rect(20, 0, 60, 20)), 0);

  TRect calc(0, 0, 40, 0);
  c->TextRect(calc, "订单 管理 软件 订单", {tfCalcRect, tfWordBreak});
  EXPECT_GT(calc.Height(), c->TextHeight("订"));   // wrapped onto several lines
}

TEST(Canvas, FontChangesReachTheDeviceContext) {
  TBitmap bmp(10, 10);
  TCanvas* c = bmp.Canvas();
  c->Font()->SetSize(9);
  int small = c->TextHeight("W");
  c->Font()->SetSize(20);
  EXPECT_GT(c->TextHeight("W"), small);
  c->Font()->SetStyle({fsBold});
  TEXTMETRICW tm{};
  GetTextMetricsW(c->Handle(), &tm);
  EXPECT_GE(tm.tmWeight, FW_BOLD);
  int changes = 0;
  TFont f;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetName("宋体");     // same value: no change
  f.SetColor(clRed);
  f.Assign(c->Font());
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(f.Equals(*c->Font()));
}

TEST(Canvas, CanvasWithoutHandleRefusesDrawing) {
  TCanvas c;
  EXPECT_THROW(c.FillRect(Rect(0, 0, 1, 1)), EInvalidOperation);
}

TEST(Bitmap, ResizeKeepsContentAndCopyRectStretches) {
  TBitmap bmp(10, 10, pf24bit);
  bmp.Canvas()->Brush()->SetColor(clBlue);
  bmp.Canvas()->FillRect(Rect(0, 0, 10, 10));
  bmp.SetSize(20, 15);
  EXPECT_EQ(Px(bmp, 9, 9), 0xFF0000u);
  EXPECT_EQ(Px(bmp, 15, 12), 0xFFFFFFu);

  TBitmap big(40, 30, pf32bit);
  big.Canvas()->CopyRect(Rect(0, 0, 40, 30), bmp.Canvas(), Rect(0, 0, 20, 15));
  EXPECT_EQ(Px(big, 18, 18), 0xFF0000u);
  EXPECT_EQ(Px(big, 35, 25), 0xFFFFFFu);

  // Draw and StretchDraw of one bitmap onto another.
  TBitmap dest(50, 50, pf24bit);
  dest.Canvas()->Draw(5, 5, &bmp);
  EXPECT_EQ(Px(dest, 5, 5), 0xFF0000u);
  EXPECT_EQ(Px(dest, 4, 4), 0xFFFFFFu);
  dest.Canvas()->StretchDraw(Rect(0, 30, 50, 50), &bmp);
  EXPECT_EQ(Px(dest, 20, 35), 0xFF0000u);
}

TEST(Bitmap, TransparentDrawSkipsTheTransparentColour) {
  TBitmap sprite(10, 10, pf24bit);
  sprite.Canvas()->Brush()->SetColor(clFuchsia);
  sprite.Canvas()->FillRect(Rect(0, 0, 10, 10));
  sprite.Canvas()->Brush()->SetColor(clRed);
  sprite.Canvas()->FillRect(Rect(3, 3, 7, 7));
  sprite.SetTransparent(true);
  EXPECT_EQ(sprite.TransparentColor() & 0xFFFFFF, clFuchsia);   // bottom-left pixel
  TBitmap dest(10, 10, pf24bit);
  dest.Canvas()->Brush()->SetColor(clBlue);
  dest.Canvas()->FillRect(Rect(0, 0, 10, 10));
  dest.Canvas()->Draw(0, 0, &sprite);
  EXPECT_EQ(Px(dest, 0, 0), 0xFF0000u);
  EXPECT_EQ(Px(dest, 5, 5), 0x0000FFu);
}

TEST(Bitmap, BmpRoundTripForEveryPixelFormat) {
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(int(pf));
    TBitmap src(13, 7, pf);   // odd width: rows are padded
    src.Canvas()->Brush()->SetColor(clBlack);
    src.Canvas()->FillRect(Rect(0, 0, 5, 3));
    TMemoryStream ms;
    src.SaveToStream(&ms);
    ms.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(&ms);
    EXPECT_EQ(back.Width(), 13);
    EXPECT_EQ(back.Height(), 7);
    EXPECT_EQ(back.PixelFormat(), pf);
    EXPECT_EQ(Px(back, 0, 0), 0u);
    EXPECT_EQ(Px(back, 4, 2), 0u);
    EXPECT_EQ(Px(back, 12, 6), 0xFFFFFFu);
    EXPECT_EQ(Px(back, 5, 3), 0xFFFFFFu);
  }
}

TEST(Bitmap, CorruptBmpDataIsRefused) {
  TBitmap good(4, 4, pf24bit);
  TMemoryStream ms;
  good.SaveToStream(&ms);
  std::vector<uint8_t> bytes(size_t(ms.Size()));
  std::memcpy(bytes.data(), ms.Memory(), bytes.size());

  auto load = [](std::vector<uint8_t> data) {
    TMemoryStream s;
    if (!data.empty()) s.WriteBuffer(data.data(), LongInt(data.size()));
    s.SetPosition(0);
    TBitmap b;
    b.LoadFromStream(&s);
  };
  auto patch32 = [&](size_t at, uint32_t v) {
    auto d = bytes;
    std::memcpy(d.data() + at, &v, 4);
    return d;
  };
  EXPECT_NO_THROW(load(bytes));
  EXPECT_THROW(load({}), EInvalidGraphic);
  EXPECT_THROW(load({'B', 'M', 0, 0}), EInvalidGraphic);
  auto notBmp = bytes;
  notBmp[0] = 'X';
  EXPECT_THROW(load(notBmp), EInvalidGraphic);
  EXPECT_THROW(load(patch32(18, 100000)), EInvalidGraphic);          // width beyond the data
  EXPECT_THROW(load(patch32(18, 0x7FFFFFFF)), EInvalidGraphic);      // absurd width
  EXPECT_THROW(load(patch32(22, 0x80000000u)), EInvalidGraphic);     // absurd top-down height
  EXPECT_THROW(load(patch32(30, 1)), EInvalidGraphic);               // RLE compression
  EXPECT_THROW(load(patch32(14, 200)), EInvalidGraphic);             // unknown header size
  auto truncated = bytes;
  truncated.resize(bytes.size() - 5);
  // bfSize now exceeds the data: the rows are missing.
  EXPECT_THROW(load(truncated), EInvalidGraphic);
}

TEST(Bitmap, ScanLineIsTopDown) {
  TBitmap bmp(4, 3, pf24bit);
  bmp.Canvas()->SetPixels(0, 0, clRed);
  auto* row0 = static_cast<uint8_t*>(bmp.ScanLine(0));
  EXPECT_EQ(row0[2], 0xFF);   // B, G, R
  EXPECT_EQ(row0[0], 0x00);
  EXPECT_THROW(bmp.ScanLine(3), EInvalidGraphicOperation);
}

TEST(Jpeg, EncodesAndDecodesABitmap) {
  TBitmap src(40, 30, pf24bit);
  src.Canvas()->Brush()->SetColor(clRed);
  src.Canvas()->FillRect(Rect(0, 0, 20, 30));
  src.Canvas()->Brush()->SetColor(clBlue);
  src.Canvas()->FillRect(Rect(20, 0, 40, 30));
  TJPEGImage jpg;
  jpg.Assign(&src);
  jpg.SetCompressionQuality(95);
  TMemoryStream ms;
  jpg.SaveToStream(&ms);
  ASSERT_GT(ms.Size(), 100);
  EXPECT_EQ(static_cast<uint8_t*>(ms.Memory())[0], 0xFF);

  ms.SetPosition(0);
  TPicture pic;
  pic.LoadFromStream(&ms);   // chosen by the data's signature
  ASSERT_NE(dynamic_cast<TJPEGImage*>(pic.Graphic()), nullptr);
  EXPECT_EQ(pic.Width(), 40);
  EXPECT_EQ(pic.Height(), 30);
  TBitmap out(40, 30, pf24bit);
  out.Canvas()->Draw(0, 0, pic.Graphic());
  COLORREF left = Px(out, 8, 15), right = Px(out, 32, 15);
  EXPECT_GT(GetRValue(left), 200);
  EXPECT_LT(GetBValue(left), 60);
  EXPECT_GT(GetBValue(right), 200);
  EXPECT_LT(GetRValue(right), 60);

  // Half scale halves the decoded size.
  auto* j = static_cast<TJPEGImage*>(pic.Graphic());
  j->SetScale(jsHalf);
  EXPECT_EQ(j->Width(), 20);
  EXPECT_EQ(j->Bitmap()->Width(), 20);
}

TEST(Jpeg, BadDataGivesAnErrorNotACrash) {
  TJPEGImage jpg;
  const uint8_t junk[] = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3};
  EXPECT_THROW(jpg.LoadFromData(junk, sizeof junk), EJPEG);
  EXPECT_TRUE(jpg.Empty());
  // A valid header followed by cut-off scan data: loading succeeds (header),
  // decoding reports the error or draws what it has, never crashes.
  TBitmap src(64, 64, pf24bit);
  src.Canvas()->Brush()->SetColor(clGreen);
  src.Canvas()->Ellipse(0, 0, 64, 64);
  TJPEGImage full;
  full.Assign(&src);
  TMemoryStream ms;
  full.SaveToStream(&ms);
  std::vector<uint8_t> cut(static_cast<uint8_t*>(ms.Memory()), static_cast<uint8_t*>(ms.Memory()) + ms.Size() / 3);
  TJPEGImage part;
  part.LoadFromData(cut.data(), cut.size());
  try {
    part.DIBNeeded();
  } catch (const EJPEG&) {
  }
}

TEST(Picture, FormatsByExtensionAndSignature) {
  EXPECT_EQ(TPicture::FindGraphicClassForExtension(".JPG"), TJPEGImage::StaticClass());
  EXPECT_EQ(TPicture::FindGraphicClassForExtension("bmp"), TBitmap::StaticClass());
  EXPECT_EQ(TPicture::FindGraphicClassForExtension("xyz"), nullptr);
  String filter = TPicture::GraphicFilter(TGraphic::StaticClass());
  EXPECT_EQ(filter.rfind("All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf|", 0), 0u) << filter;
  EXPECT_NE(filter.find("|Bitmaps (*.bmp)|*.bmp"), String::npos);
  TPicture pic;
  EXPECT_THROW(pic.LoadFromFile("c:\\nowhere\\picture.xyz"), EInvalidGraphic);
  TMemoryStream ms;
  const char text[] = "not a picture";
  ms.WriteBuffer(text, sizeof text);
  ms.SetPosition(0);
  EXPECT_THROW(pic.LoadFromStream(&ms), EInvalidGraphic);

  // Bitmap() turns the picture into a bitmap; Assign copies.
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.Bitmap()->SetSize(5, 6);
  EXPECT_EQ(pic.Width(), 5);
  EXPECT_GE(changes, 2);
  TPicture copy;
  copy.Assign(&pic);
  EXPECT_NE(copy.Graphic(), pic.Graphic());
  EXPECT_EQ(copy.Height(), 6);
}

TEST(Icon, LoadsSavesAndDraws) {
  // An icon made from bitmaps, saved as ICO and read back.
  TBitmap color(16, 16, pf32bit), mask(16, 16, pf1bit);
  color.Canvas()->Brush()->SetColor(clRed);
  color.Canvas()->FillRect(Rect(0, 0, 16, 16));
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(0, 0, 16, 16));
  ICONINFO ii{TRUE, 0, 0, mask.Handle(), color.Handle()};
  TIcon icon;
  icon.SetHandle(CreateIconIndirect(&ii));
  EXPECT_EQ(icon.Width(), 16);
  EXPECT_THROW(icon.SetWidth(32), EInvalidGraphicOperation);
  TMemoryStream ms;
  icon.SaveToStream(&ms);
  ms.SetPosition(0);
  TPicture pic;
  pic.LoadFromStream(&ms);
  ASSERT_NE(dynamic_cast<TIcon*>(pic.Graphic()), nullptr);
  TBitmap out(16, 16, pf24bit);
  out.Canvas()->Draw(0, 0, pic.Graphic());
  EXPECT_EQ(Px(out, 8, 8), 0x0000FFu);

  const uint8_t bad[] = {0, 0, 1, 0, 5, 0, 1, 2};
  TMemoryStream bs;
  bs.WriteBuffer(bad, sizeof bad);
  bs.SetPosition(0);
  TIcon broken;
  EXPECT_THROW(broken.LoadFromStream(&bs), EInvalidGraphic);
}

TEST(Metafile, RecordsOnItsCanvasAndPlaysBackAtAnySize) {
  TMetafile mf;
  EXPECT_TRUE(mf.Empty());
  mf.SetWidth(100);
  mf.SetHeight(50);
  {
    TMetafileCanvas c(&mf, 0, "Tovani", "测试");
    c.Brush()->SetColor(clRed);
    c.Pen()->SetColor(clRed);
    c.Rectangle(0, 0, 50, 50);     // the left half red
  }
  ASSERT_FALSE(mf.Empty());
  EXPECT_NEAR(mf.Width(), 100, 1);
  EXPECT_NEAR(mf.Height(), 50, 1);
  EXPECT_NEAR(mf.MMWidth(), MulDiv(100, 2540, GetDeviceCaps(GetDC(nullptr), LOGPIXELSX)), 1);
  EXPECT_EQ(mf.Description(), "Tovani\n测试");

  // Stretched onto a bitmap twice its size: the left half red, the right
  // half untouched (metafiles are transparent).
  TBitmap bmp(200, 100, pf24bit);
  bmp.Canvas()->StretchDraw(Rect(0, 0, 200, 100), &mf);
  EXPECT_EQ(Px(bmp, 20, 50), 0x0000FFu);
  EXPECT_EQ(Px(bmp, 90, 80), 0x0000FFu);
  EXPECT_EQ(Px(bmp, 150, 50), 0xFFFFFFu);
  TBitmap small(100, 50, pf24bit);
  small.Canvas()->Draw(0, 0, &mf);
  EXPECT_EQ(Px(small, 10, 10), 0x0000FFu);
  EXPECT_EQ(Px(small, 80, 10), 0xFFFFFFu);

  // A stream round trip, and a picture that knows ".emf" by name and data.
  TMemoryStream ms;
  mf.SaveToStream(&ms);
  ms.SetPosition(0);
  TPicture pic;
  pic.LoadFromStream(&ms);
  auto* back = dynamic_cast<TMetafile*>(pic.Graphic());
  ASSERT_TRUE(back);
  EXPECT_NEAR(back->Width(), 100, 1);
  TBitmap again(100, 50, pf24bit);
  again.Canvas()->Draw(0, 0, back);
  EXPECT_EQ(Px(again, 10, 10), 0x0000FFu);
  EXPECT_EQ(TPicture::FindGraphicClassForExtension("EMF"), TMetafile::StaticClass());

  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  String file = String(dir) + "tovani_metafile_test.emf";
  mf.SaveToFile(file);
  TPicture fromFile;
  fromFile.LoadFromFile(file);
  EXPECT_TRUE(dynamic_cast<TMetafile*>(fromFile.Graphic()));
  DeleteFileA(file.c_str());

  // Assign copies the recording.
  TMetafile copy;
  copy.Assign(&mf);
  EXPECT_NE(copy.Handle(), mf.Handle());
  EXPECT_EQ(copy.MMWidth(), mf.MMWidth());
}

TEST(Metafile, CorruptDataIsRefused) {
  TMetafile good;
  {
    TMetafileCanvas c(&good, 0);
    c.Rectangle(0, 0, 10, 10);
  }
  TMemoryStream ms;
  good.SaveToStream(&ms);
  std::vector<uint8_t> bytes(size_t(ms.Size()));
  std::memcpy(bytes.data(), ms.Memory(), bytes.size());
  auto load = [](std::vector<uint8_t> data) {
    TMemoryStream s;
    if (!data.empty()) s.WriteBuffer(data.data(), LongInt(data.size()));
    s.SetPosition(0);
    TMetafile m;
    m.LoadFromStream(&s);
  };
  auto patch32 = [&](size_t at, uint32_t v) {
    auto d = bytes;
    std::memcpy(d.data() + at, &v, 4);
    return d;
  };
  EXPECT_NO_THROW(load(bytes));
  EXPECT_THROW(load({}), EInvalidGraphic);
  EXPECT_THROW(load(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 60)), EInvalidGraphic);    // cut short
  EXPECT_THROW(load(std::vector<uint8_t>(bytes.begin(), bytes.end() - 20)), EInvalidGraphic);      // no end record
  EXPECT_THROW(load(patch32(40, 0x12345678)), EInvalidGraphic);                                     // signature
  EXPECT_THROW(load(patch32(48, 0x7FFFFFF0)), EInvalidGraphic);                                     // total size
  EXPECT_THROW(load(patch32(4, 0xFFFFFFF0)), EInvalidGraphic);                                      // header size
  // A record that claims more than is there.
  auto d = bytes;
  uint32_t headerSize;
  std::memcpy(&headerSize, d.data() + 4, 4);
  uint32_t huge = 0x10000000;
  std::memcpy(d.data() + headerSize + 4, &huge, 4);
  EXPECT_THROW(load(d), EInvalidGraphic);
}
