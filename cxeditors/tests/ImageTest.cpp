// PNG pictures over Wine's GDI+ and the image editor: alpha kept and
// drawn, pictures behind a header read whole, values from a SQLite BLOB
// column saved back byte for byte, painting and the clipboard.
#include <sqlite3.h>
#include <zlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ADODB.h"
#include "ChildTestRun.h"
#include "Clipbrd.h"
#include "FormFile.h"
#include "Forms.h"
#include "Jpeg.h"
#include "Streams.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "Utf8.h"
#include "cxDropDownEdit.h"
#include "cxImage.h"
#include "dxGDIPlusClasses.h"
#include "gtest.h"

namespace {

// A w x h 32-bit bitmap: left half opaque red, right half half-transparent
// blue (premultiplied), with a green pixel at (1, 1).
std::unique_ptr<TBitmap> AlphaBitmap(Integer w, Integer h) {
  auto b = std::make_unique<TBitmap>(w, h, pf32bit);
  for (Integer y = 0; y < h; ++y) {
    auto* row = static_cast<uint32_t*>(b->ScanLine(y));
    for (Integer x = 0; x < w; ++x) row[x] = x < w / 2 ? 0xFFFF0000u : 0x80000080u;
  }
  static_cast<uint32_t*>(b->ScanLine(1))[1] = 0xFF00FF00u;
  return b;
}

String StreamBytes(TGraphic* g) {
  TMemoryStream ms;
  g->SaveToStream(&ms);
  return String(static_cast<const char*>(ms.Memory()), size_t(ms.Size()));
}

String PngBytes(Integer w, Integer h) {
  TdxPNGImage png;
  auto b = AlphaBitmap(w, h);
  png.Assign(b.get());
  return StreamBytes(&png);
}

String JpegBytes(Integer w, Integer h) {
  TBitmap b(w, h, pf24bit);
  b.Canvas()->Brush()->SetColor(clYellow);
  b.Canvas()->FillRect(TRect(0, 0, w, h));
  b.Canvas()->Brush()->SetColor(clNavy);
  b.Canvas()->FillRect(TRect(0, 0, w / 2, h / 2));
  TJPEGImage jpeg;
  jpeg.Assign(&b);
  jpeg.JPEGNeeded();
  return StreamBytes(&jpeg);
}

uint32_t PixelOf(TBitmap* b, Integer x, Integer y) { return static_cast<uint32_t*>(b->ScanLine(y))[x]; }

}  // namespace

TEST(GdiPlusBinding, LoadsWineGdiPlusAndBindsEveryFunction) {
  ASSERT_TRUE(IsGdiPlusAvailable());
  EXPECT_EQ(dxGdiPlusFunctionNames().size(), 91u);
  for (const char* name : dxGdiPlusFunctionNames()) EXPECT_NE(dxGdiPlusProc(name), nullptr) << name;
  CLSID id{};
  EXPECT_EQ(FindEncoderClassId("IMAGE/PNG", id), 0);
  EXPECT_EQ(FindEncoderClassId("image/none", id), 1);
  // The picture unit registered PNG with the picture registry.
  cxImageUnitStartup();
  EXPECT_TRUE(dxImageClassIsGdiPlus());
  EXPECT_EQ(TPicture::FindGraphicClassForExtension("png"), TdxPNGImage::StaticClass());
  EXPECT_EQ(cxGetGraphicClassList().size(), 5u);
}

namespace {
std::vector<int> GSteps;
void StartA() { GSteps.push_back(1); }
void StopA() { GSteps.push_back(-1); }
void StartB() { GSteps.push_back(2); }
void StopB() { GSteps.push_back(-2); }
}  // namespace

TEST(GdiPlusBinding, UnitsLoaderRunsStepsInOrderAndShutsDownInReverse) {
  GSteps.clear();
  {
    TdxUnitsLoader loader;
    loader.AddUnit(&StartA, &StopA);   // a program runs start-up steps at once
    loader.AddUnit(&StartB, &StopB);
    loader.AddUnit(nullptr, nullptr);
    EXPECT_EQ(GSteps, (std::vector<int>{1, 2}));
    loader.RemoveUnit(&StopA);         // removed and run now
    loader.RemoveUnit(&StopA);         // no longer there: nothing
    EXPECT_EQ(GSteps, (std::vector<int>{1, 2, -1}));
    loader.AddUnit(&StartA, &StopA);
  }
  EXPECT_EQ(GSteps, (std::vector<int>{1, 2, -1, 1, -1, -2}));
}

TEST(PngImage, KeepsAlphaThroughPngAndDrawsBlended) {
  ASSERT_TRUE(IsGdiPlusAvailable());
  String data = PngBytes(20, 10);
  ASSERT_GT(data.size(), 8u);
  EXPECT_EQ(data.substr(1, 3), "PNG");
  TdxPNGImage png;
  TMemoryStream ms;
  ms.WriteBuffer(data.data(), LongInt(data.size()));
  ms.SetPosition(0);
  png.LoadFromStream(&ms);
  ASSERT_EQ(png.Width(), 20);
  ASSERT_EQ(png.Height(), 10);
  std::unique_ptr<TBitmap> back(png.GetAsBitmap());
  EXPECT_EQ(back->PixelFormat(), pf32bit);
  EXPECT_EQ(PixelOf(back.get(), 1, 1), 0xFF00FF00u);
  EXPECT_EQ(PixelOf(back.get(), 15, 5) >> 24, 0x80u);
  // Drawn through GDI+ on white: red stays red, the blue half blends.
  TBitmap target(60, 30, pf24bit);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect(TRect(0, 0, 60, 30));
  target.Canvas()->StretchDraw(TRect(0, 0, 60, 30), &png);
  EXPECT_EQ(target.Canvas()->Pixels(5, 25), clRed);
  TColor blended = target.Canvas()->Pixels(50, 20);
  EXPECT_NEAR((blended >> 16) & 0xFF, 0xFF, 2);        // blue channel
  EXPECT_NEAR(blended & 0xFF, 0x7F, 3);                // red: half of the white
  WriteTestPng(&target, "dxPNGImage_alpha_on_white");
}

TEST(PngImage, StreamsBitmapsAndEmptyPictures) {
  ASSERT_TRUE(IsGdiPlusAvailable());
  TdxPNGImage png;
  // 13 bytes are too few for any picture.
  TMemoryStream small;
  small.WriteBuffer("0123456789abc", 13);
  small.SetPosition(0);
  png.LoadFromStream(&small);
  EXPECT_TRUE(png.Empty());
  // A stream beginning with "BM" is read as a bitmap; 24-bit pixels become opaque.
  TBitmap b24(8, 6, pf24bit);
  b24.Canvas()->Brush()->SetColor(clBlue);
  b24.Canvas()->FillRect(TRect(0, 0, 8, 6));
  TMemoryStream bmp;
  b24.SaveToStream(&bmp);
  bmp.SetPosition(0);
  png.LoadFromStream(&bmp);
  ASSERT_EQ(png.Width(), 8);
  std::unique_ptr<TBitmap> back(png.GetAsBitmap());
  EXPECT_EQ(PixelOf(back.get(), 3, 3), 0xFF0000FFu);
  // A pf32bit bitmap keeps its alpha bytes.
  auto b32 = AlphaBitmap(4, 4);
  png.Assign(b32.get());
  back.reset(png.GetAsBitmap());
  EXPECT_EQ(PixelOf(back.get(), 3, 0) >> 24, 0x80u);
  // An empty PNG assigned to another empties it.
  TdxPNGImage empty;
  png.Assign(&empty);
  EXPECT_TRUE(png.Empty());
  TMemoryStream none;
  png.SaveToStream(&none);
  EXPECT_EQ(none.Size(), 0);
}

TEST(PngImage, PictureBehindAHeaderIsReadWhole) {
  ASSERT_TRUE(IsGdiPlusAvailable());
  String data = PngBytes(12, 7);
  TMemoryStream ms;
  ms.WriteBuffer("HEADER!!", 8);
  ms.WriteBuffer(data.data(), LongInt(data.size()));
  ms.SetPosition(8);
  TdxPNGImage png;
  png.LoadFromStream(&ms);
  EXPECT_EQ(png.Width(), 12);
  EXPECT_EQ(png.Height(), 7);
  // Unchanged, it saves the very bytes it was read from.
  EXPECT_EQ(StreamBytes(&png), data);
}

// Damaged pictures end in a clear error or an empty picture, never a crash:
// a truncated file, a header followed by garbage, and a header claiming a
// picture of 2^31 - 1 pixels square.
TEST(PngImage, DamagedDataEndsInAnErrorOrNoPicture) {
  ASSERT_TRUE(IsGdiPlusAvailable());
  String good = PngBytes(12, 7);
  String huge = good;
  // IHDR width and height (bytes 16..23) set to 0x7FFFFFFF.
  for (size_t i = 16; i < 24; ++i) huge[i] = (i % 4 == 0) ? char(0x7F) : char(0xFF);
  const String cases[] = {good.substr(0, good.size() / 2), good.substr(0, 8) + String(200, 'x'), huge};
  for (const String& data : cases) {
    TMemoryStream ms;
    ms.WriteBuffer(data.data(), LongInt(data.size()));
    ms.SetPosition(0);
    TdxPNGImage png;
    try {
      png.LoadFromStream(&ms);
      std::unique_ptr<TBitmap> drawn(png.Empty() ? nullptr : png.GetAsBitmap());
      if (drawn) {
        EXPECT_LE(Int64(drawn->Width()) * drawn->Height(), Int64(12 * 7));
      }
    } catch (const Exception& e) {
      EXPECT_FALSE(e.Message().empty());
    }
  }
}

namespace {
String Le16s(uint32_t v) { return String{char(v & 0xFF), char(v >> 8 & 0xFF)}; }
String Le32s(uint32_t v) { return Le16s(v & 0xFFFF) + Le16s(v >> 16); }
}  // namespace

// A picture declaring far more pixels than its data could hold is refused
// from its header, before GDI+ would set aside memory for it; as an edit
// value it simply gives no picture.
TEST(PngImage, HugeDeclaredSizesAreRefusedBeforeDecoding) {
  ASSERT_TRUE(IsGdiPlusAvailable());
  String png = PngBytes(12, 7);
  for (size_t i : {16, 20}) png.replace(i, 4, String("\0\0\x4E\x20", 4));   // 20000 x 20000
  String jpeg = JpegBytes(16, 8);
  size_t sof = jpeg.find("\xFF\xC0");
  ASSERT_NE(sof, String::npos);
  jpeg.replace(sof + 5, 4, "\xFF\xFF\xFF\xFF");                              // 65535 x 65535
  String bih = Le32s(40) + Le32s(30000) + Le32s(60000) + Le16s(1) + Le16s(32) + String(24, '\0');
  const struct {
    const char* Name;
    String Data;
  } cases[] = {
      {"png", png},
      {"jpeg", jpeg},
      {"gif screen", "GIF89a" + Le16s(40000) + Le16s(40000) + String(3, '\0') + ";" + String(8, '\0')},
      {"gif frame", "GIF89a" + Le16s(10) + Le16s(10) + String(3, '\0') + "," + Le32s(0) + Le16s(60000) +
                        Le16s(60000) + String(1, '\0') + "\x02" + String(1, '\0') + ";"},
      {"tiff", "II*" + String(1, '\0') + Le32s(8) + Le16s(2) + Le16s(256) + Le16s(3) + Le32s(1) + Le32s(50000) +
                   Le16s(257) + Le16s(3) + Le32s(1) + Le32s(50000) + Le32s(0)},
      {"icon", Le16s(0) + Le16s(1) + Le16s(1) + String(4, '\0') + Le16s(1) + Le16s(32) + Le32s(bih.size()) +
                   Le32s(22) + bih},
  };
  cxImageUnitStartup();
  for (const auto& c : cases) {
    TMemoryStream ms;
    ms.WriteBuffer(c.Data.data(), LongInt(c.Data.size()));
    ms.SetPosition(0);
    TdxPNGImage image;
    try {
      image.LoadFromStream(&ms);
      ADD_FAILURE() << c.Name << " was not refused";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "图片太大") << c.Name;
    }
    TPicture pic;
    cxLoadPicture(&pic, TdxPNGImage::StaticClass(), Variant(c.Data));
    EXPECT_TRUE(!pic.Graphic() || pic.Graphic()->Empty()) << c.Name;
  }
}

namespace {
String Be32s(uint32_t v) { return String{char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)}; }
String Chunk(const String& type, const String& data) {
  String td = type + data;
  return Be32s(uint32_t(data.size())) + td + Be32s(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(td.data()), uInt(td.size()))));
}
}  // namespace

// Data whose structure does not hold together never reaches GDI+, and what
// GDI+ cannot read is an error too: each is refused as damaged, as the
// program's own PNG reader refuses the same PNG bytes.
TEST(PngImage, DamagedStructureIsRefusedBeforeGdiPlus) {
  ASSERT_TRUE(IsGdiPlusAvailable());
  const String good = PngBytes(12, 7);
  const size_t iend = good.size() - 12;
  const size_t idat = good.find("IDAT") - 4;
  ASSERT_NE(good.find("IDAT"), String::npos);
  const uint32_t idatLen = uint32_t(uint8_t(good[idat])) << 24 | uint32_t(uint8_t(good[idat + 1])) << 16 |
                           uint32_t(uint8_t(good[idat + 2])) << 8 | uint8_t(good[idat + 3]);
  String badCrc = good;
  badCrc[idat + 8 + idatLen] ^= 1;
  String badZlib = good.substr(0, idat) + Chunk("IDAT", String(idatLen, 'z')) + good.substr(idat + 12 + idatLen);
  String bmp = "BM" + Le32s(54 + 30) + Le32s(0) + Le32s(54) + Le32s(40) + Le32s(100) + Le32s(100) + Le16s(1) +
               Le16s(24) + String(24, '\0') + String(30, '\x55');
  const struct {
    const char* Name;
    String Data;
  } cases[] = {
      {"chunk length 0x7FFFFF00 after the image data",
       good.substr(0, iend) + Be32s(0x7FFFFF00u) + "tEXt" + String(8, 'a') + good.substr(iend)},
      {"damage after the image data", good.substr(0, iend) + String(12, '\xA5')},
      {"no end chunk", good.substr(0, iend)},
      {"image data with a wrong CRC", badCrc},
      {"image data GDI+ cannot inflate", badZlib},
      {"bitmap rows past the end of the data", bmp},
  };
  for (const auto& c : cases) {
    TMemoryStream ms;
    ms.WriteBuffer(c.Data.data(), LongInt(c.Data.size()));
    ms.SetPosition(0);
    std::unique_ptr<TdxGPImage> image(dxCreateGPImage());
    try {
      image->ReadImageStream(&ms);
      ADD_FAILURE() << c.Name << " was not refused";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message(), "图片数据已损坏") << c.Name;
    }
    EXPECT_EQ(image->Handle(), nullptr) << c.Name;
  }
}

TEST(PngImage, SourceRectangleAndSamePicture) {
  struct Case {
    TRect Dest, Source, Expected;
  } cases[] = {
      {TRect(0, 0, 20, 20), TRect(0, 0, 10, 10), TRect(0, 0, 9, 9)},
      {TRect(0, 0, 5, 5), TRect(0, 0, 10, 10), TRect(0, 0, 10, 10)},
      {TRect(0, 0, 20, 5), TRect(0, 0, 10, 10), TRect(0, 0, 9, 10)},
      {TRect(0, 0, 20, 20), TRect(0, 0, 1, 1), TRect(0, 0, 1, 1)},
  };
  for (const Case& c : cases) EXPECT_EQ(TdxPNGImage::AdjustedSourceRect(c.Dest, c.Source), c.Expected);

  ASSERT_TRUE(IsGdiPlusAvailable());
  TdxPNGImage a, b, e1, e2;
  EXPECT_TRUE(e1.IsSamePicture(&e2));
  auto bits = AlphaBitmap(6, 6);
  a.Assign(bits.get());
  b.Assign(bits.get());
  EXPECT_TRUE(a.IsSamePicture(&b));
  static_cast<uint32_t*>(bits->ScanLine(5))[5] = 0xFF123456u;
  b.Assign(bits.get());
  EXPECT_FALSE(a.IsSamePicture(&b));
  EXPECT_FALSE(a.IsSamePicture(&e1));
}

// ---------------------------------------------------------------------------
// Picture values

TEST(ImageValue, LoadsByClassOrRegistryAndSkipsTheGraphicHeader) {
  cxImageUnitStartup();
  String png = PngBytes(10, 5);
  String jpeg = JpegBytes(16, 8);
  String header(8, '\0');
  uint16_t one = 1, type = 0x0100;
  uint32_t size = uint32_t(png.size());
  std::memcpy(&header[0], &one, 2);
  std::memcpy(&header[2], &type, 2);
  std::memcpy(&header[4], &size, 4);
  struct Case {
    const char* Name;
    Variant Value;
    TClass Class;
    TClass Expected;
    Integer Width;
  } cases[] = {
      {"png by registry", Variant(png), nullptr, TdxPNGImage::StaticClass(), 10},
      {"jpeg by registry", Variant(jpeg), nullptr, TJPEGImage::StaticClass(), 16},
      {"jpeg by class", Variant(jpeg), TJPEGImage::StaticClass(), TJPEGImage::StaticClass(), 16},
      {"png behind the header", Variant(header + png), TdxPNGImage::StaticClass(), TdxPNGImage::StaticClass(), 10},
      {"six bytes", Variant(String("abcdef")), nullptr, nullptr, 0},
      {"not a picture", Variant(String("not a picture at all")), TBitmap::StaticClass(), nullptr, 0},
      {"jpeg read as bitmap", Variant(jpeg), TBitmap::StaticClass(), nullptr, 0},
      {"a number", Variant(12), nullptr, nullptr, 0},
  };
  for (const Case& c : cases) {
    TPicture pic;
    TBitmap seed(3, 3);
    pic.SetGraphic(&seed);
    cxLoadPicture(&pic, c.Class, c.Value);
    if (!c.Expected) {
      EXPECT_TRUE(!pic.Graphic() || pic.Graphic()->Empty()) << c.Name;
      EXPECT_EQ(cxSavePicture(&pic), "") << c.Name;
      continue;
    }
    ASSERT_NE(pic.Graphic(), nullptr) << c.Name;
    EXPECT_EQ(pic.Graphic()->ClassType(), c.Expected) << c.Name;
    EXPECT_EQ(pic.Width(), c.Width) << c.Name;
  }
}

// A program that has read PNG pictures through GDI+ ends cleanly: the
// picture unit's and the binding's shut-down steps never run on registries
// that the ending process has already destroyed ("double free" at exit).
// The first test is what the process does; the second runs it and reads
// what the process printed while it ended.
TEST(ImageValue, ReadsPngPicturesThenTheProcessEnds) {
  if (!IsChildTestRun()) GTEST_SKIP() << "run by ImageValue.AProgramThatReadPngPicturesEndsCleanly";
  cxImageUnitStartup();
  const String png = PngBytes(10, 5);
  TPicture byValue;
  cxLoadPicture(&byValue, nullptr, Variant(png));
  ASSERT_NE(byValue.Graphic(), nullptr);
  EXPECT_EQ(byValue.Graphic()->ClassType(), TdxPNGImage::StaticClass());
  const String file = String(TOVANI_TEST_BINARY_DIR) + "/exit-check.png";
  FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(png.data(), 1, png.size(), f);
  std::fclose(f);
  TPicture byFile;
  byFile.LoadFromFile("Z:" + file);
  EXPECT_EQ(byFile.Width(), 10);
  std::remove(file.c_str());
  // A step that would show a shut-down run while the process ends.
  GetUnitsLoader()->AddUnit(nullptr, [] { std::printf("a GDI+ shut-down step ran at exit\n"); });
}

TEST(ImageValue, AProgramThatReadPngPicturesEndsCleanly) {
  TChildTestRun run = RunTestInChildProcess("ImageValue.ReadsPngPicturesThenTheProcessEnds");
  ASSERT_TRUE(run.Started);
  ASSERT_TRUE(run.Finished) << run.Output;
  EXPECT_NE(run.Output.find("[  PASSED  ] 1 test."), std::string::npos) << run.Output;
  EXPECT_EQ(run.AfterSummary(), "") << run.Output;
  EXPECT_EQ(run.ExitCode, 0u) << run.Output;
}

TEST(ImageValue, ProportionalFitAndGraphicClassNames) {
  struct Case {
    TRect Client;
    Integer W, H;
    TRect Expected;
  } cases[] = {
      {TRect(0, 0, 40, 40), 100, 50, TRect(0, 0, 40, 20)},
      {TRect(0, 0, 40, 40), 50, 100, TRect(0, 0, 20, 40)},
      {TRect(5, 5, 45, 25), 10, 10, TRect(5, 5, 25, 25)},   // small pictures grow
      {TRect(0, 0, 0, 10), 10, 10, TRect(0, 0, 0, 10)},
  };
  for (const Case& c : cases) EXPECT_EQ(cxGetProportionalRect(c.Client, c.W, c.H), c.Expected);

  TcxImageProperties p;
  EXPECT_EQ(p.GraphicClass(), TBitmap::StaticClass());
  EXPECT_FALSE(p.IsGraphicClassNameStored());
  p.SetGraphicClassName("tjpegimage");
  EXPECT_EQ(p.GraphicClass(), TJPEGImage::StaticClass());
  p.SetGraphicClassName("TNoSuchGraphic");
  EXPECT_EQ(p.GraphicClass(), TJPEGImage::StaticClass());
  p.SetGraphicClassName("");
  EXPECT_EQ(p.GraphicClass(), nullptr);
  EXPECT_EQ(p.GetGraphicClass(nullptr, -1, true), TBitmap::StaticClass());
  EXPECT_EQ(p.GetGraphicClass(nullptr, -1, false), nullptr);
  EXPECT_EQ(p.GetDisplayText(Null()), "");
}

// ---------------------------------------------------------------------------
// The editor

namespace {
struct ImageFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxImage* E = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 320, 240);
    E = new TcxImage(Form.get());
    E->SetBounds(10, 10, 140, 100);
    E->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  // A blue 300 x 200 picture with a yellow first column of 8 pixels, larger
  // than the editor, drawn from its top-left corner.
  void ShowLargePicture() {
    TBitmap b(300, 200, pf24bit);
    b.Canvas()->Brush()->SetColor(clBlue);
    b.Canvas()->FillRect(TRect(0, 0, 300, 200));
    b.Canvas()->Brush()->SetColor(clYellow);
    b.Canvas()->FillRect(TRect(0, 0, 8, 200));
    E->Properties()->SetCenter(false);
    E->Properties()->SetShowFocusRect(false);
    E->Picture()->SetGraphic(&b);
    PumpMessages(1);
  }
};
}  // namespace

TEST_F(ImageFixture, JpegAndPngFromASqliteBlobSaveBackByteIdentical) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-cxeditors-tests";
  ::mkdir(dir.c_str(), 0755);
  std::string path = dir + "/pictures.mdb";
  std::remove(path.c_str());
  String pictures[2] = {JpegBytes(48, 32), PngBytes(40, 30)};
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE Pictures (PP_ID INTEGER PRIMARY KEY, PP_Picture BLOB, PP_Copy BLOB)", nullptr,
                 nullptr, nullptr);
    for (int i = 0; i < 2; ++i) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(db, "INSERT INTO Pictures (PP_ID, PP_Picture) VALUES (?, ?)", -1, &st, nullptr);
      sqlite3_bind_int(st, 1, i + 1);
      sqlite3_bind_blob(st, 2, pictures[i].data(), int(pictures[i].size()), SQLITE_TRANSIENT);
      ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
      sqlite3_finalize(st);
    }
    sqlite3_close(db);
  }
  TADOConnection conn;
  conn.SetLoginPrompt(false);
  conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
  conn.Open();
  TADOQuery q;
  q.SetConnection(&conn);
  q.SQL()->SetText("select * from Pictures order by PP_ID");
  q.Open();
  E->Properties()->SetGraphicClass(nullptr);   // the data tells the format
  const TClass classes[2] = {TJPEGImage::StaticClass(), TdxPNGImage::StaticClass()};
  const char* names[2] = {"cxImage_jpeg_from_blob", "cxImage_png_from_blob"};
  for (int i = 0; i < 2; ++i) {
    E->SetEditValue(q.FieldByName("PP_Picture")->AsVariant());
    PumpMessages(1);
    ASSERT_NE(E->Picture()->Graphic(), nullptr);
    EXPECT_EQ(E->Picture()->Graphic()->ClassType(), classes[i]);
    EXPECT_FALSE(E->Modified());
    WriteWindowPng(E, names[i]);
    Variant v;
    E->GetEditValue(v);
    EXPECT_EQ(v.AsString(), pictures[i]);
    q.Edit();
    q.FieldByName("PP_Copy")->SetAsVariant(v);
    q.Post();
    q.Next();
  }
  q.Close();
  conn.Close();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT PP_Picture, PP_Copy FROM Pictures ORDER BY PP_ID", -1, &st, nullptr);
  int rows = 0;
  while (sqlite3_step(st) == SQLITE_ROW) {
    String a(static_cast<const char*>(sqlite3_column_blob(st, 0)), size_t(sqlite3_column_bytes(st, 0)));
    String b(static_cast<const char*>(sqlite3_column_blob(st, 1)), size_t(sqlite3_column_bytes(st, 1)));
    EXPECT_EQ(a, b);
    ++rows;
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  EXPECT_EQ(rows, 2);
  std::remove(path.c_str());
}

TEST_F(ImageFixture, PaintsCentredStretchedAndTheCaption) {
  TBitmap b(100, 50, pf24bit);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(TRect(0, 0, 100, 50));
  E->Properties()->SetShowFocusRect(false);
  E->Properties()->SetStretch(true);
  E->Style()->SetColor(clWhite);
  E->SetBounds(10, 10, 44, 44);   // 40 x 40 inside the 3D border
  E->Picture()->SetGraphic(&b);
  PumpMessages(2);
  TRect c = E->GetViewInfo()->ClientRect;
  ASSERT_EQ(c.Width(), 40);
  auto* vi = static_cast<TcxImageViewInfo*>(E->GetViewInfo());
  EXPECT_EQ(vi->PictureRect(c), TRect(c.Left, c.Top + 10, c.Left + 40, c.Top + 30));
  EXPECT_EQ(ColorToRGB(TColor(ClientPixel(E, c.Left + 20, c.Top + 20))), ColorToRGB(clRed));
  EXPECT_EQ(ColorToRGB(TColor(ClientPixel(E, c.Left + 20, c.Top + 3))), ColorToRGB(clWhite));
  WriteWindowPng(E, "cxImage_stretched_centred");
  // Without a picture the caption shows.
  E->Properties()->SetCaption("无图片");
  E->Picture()->Assign(nullptr);
  E->SetBounds(10, 10, 140, 100);
  PumpMessages(2);
  EXPECT_TRUE(E->EditValue().IsNull());
  WriteWindowPng(E, "cxImage_caption");
}

TEST_F(ImageFixture, ClipboardKeysAndMenuStates) {
  TBitmap b(30, 20, pf24bit);
  b.Canvas()->Brush()->SetColor(clGreen);
  b.Canvas()->FillRect(TRect(0, 0, 30, 20));
  E->Picture()->SetGraphic(&b);
  bool changed = false;
  E->Properties()->OnChange = [&](TObject*) { changed = true; };
  Word key = VK_INSERT;
  E->DoKeyDown(key, TShiftState{ssCtrl});      // copy
  ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  key = VK_DELETE;
  E->DoKeyDown(key, TShiftState{ssShift});     // cut
  EXPECT_TRUE(E->EditValue().IsNull());
  EXPECT_TRUE(changed);
  EXPECT_TRUE(E->EditModified());
  char32_t ch = 22;                            // Ctrl+V
  E->DoKeyPress(ch);
  ASSERT_NE(E->Picture()->Graphic(), nullptr);
  EXPECT_EQ(E->Picture()->Width(), 30);
  EXPECT_EQ(E->Picture()->Bitmap()->Canvas()->Pixels(5, 5), clGreen);
  EXPECT_FALSE(E->EditValue().IsNull());

  struct Case {
    TClass Class;
    bool Cut, Copy, Paste;
  } cases[] = {
      {TBitmap::StaticClass(), true, true, true},
      {TIcon::StaticClass(), false, false, false},
  };
  for (const Case& c : cases) {
    E->Properties()->SetGraphicClass(c.Class);
    TMenuItem* items = E->PrepareContextMenu()->Items();
    ASSERT_EQ(items->Count(), 9);
    EXPECT_EQ(items->Items(0)->Enabled(), c.Cut);
    EXPECT_EQ(items->Items(1)->Enabled(), c.Copy);
    EXPECT_EQ(items->Items(2)->Enabled(), c.Paste);
    EXPECT_EQ(items->Items(6)->Caption(), "Save &As...");
    EXPECT_FALSE(items->Items(8)->Visible());   // no custom item by default
  }
  E->Properties()->SetReadOnly(true);
  TMenuItem* items = E->PrepareContextMenu()->Items();
  EXPECT_FALSE(items->Items(3)->Enabled());   // Delete
  EXPECT_FALSE(items->Items(5)->Enabled());   // Load...
  EXPECT_TRUE(items->Items(6)->Enabled());    // Save As...
}

TEST_F(ImageFixture, ALargePictureScrollsInEightPixelSteps) {
  ShowLargePicture();
  TRect c = E->GetViewInfo()->ClientRect;
  EXPECT_TRUE(E->HScrollBarVisible());
  EXPECT_TRUE(E->VScrollBarVisible());
  Integer pos = 0;
  E->ScrollPicture(sbHorizontal, scLineDown, pos);
  EXPECT_EQ(pos, 8);
  EXPECT_EQ(E->TopLeft().X, 8);
  pos = 100000;
  E->ScrollPicture(sbVertical, scPosition, pos);
  EXPECT_EQ(pos, 200 - c.Height());   // limited to what is left below the page
  PumpMessages(2);
  // The yellow first column has scrolled out of view.
  EXPECT_EQ(ClientPixel(E, c.Left + 2, c.Top + 10), ColorToRGB(clBlue));
  WriteWindowPng(E, "cxImage_scrolled");
  E->ScrollPicture(sbHorizontal, scLineUp, pos);
  EXPECT_EQ(pos, 0);
}

// Scrolled away from its corner, a picture that comes to fit its editor is
// drawn from the corner again, and a grown page keeps the offset within the
// picture.
TEST_F(ImageFixture, ScrollOffsetFollowsTheShownBars) {
  ShowLargePicture();
  Integer pos = 100000;
  E->ScrollPicture(sbHorizontal, scPosition, pos);
  EXPECT_EQ(pos, 300 - E->GetViewInfo()->ClientRect.Width());
  E->SetBounds(10, 10, 240, 100);             // a wider page: the offset shrinks with it
  PumpMessages(1);
  ASSERT_TRUE(E->HScrollBarVisible());
  EXPECT_EQ(E->TopLeft().X, 300 - E->GetViewInfo()->ClientRect.Width());
  E->SetBounds(10, 10, 310, 215);             // the whole picture fits
  PumpMessages(2);
  EXPECT_FALSE(E->HScrollBarVisible());
  EXPECT_EQ(E->TopLeft(), TPoint(0, 0));
  TRect c = E->GetViewInfo()->ClientRect;
  EXPECT_EQ(ClientPixel(E, c.Left + 2, c.Top + 10), ColorToRGB(clYellow));
}

namespace {
void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR Id, DWORD) {
  KillTimer(nullptr, Id);
  EndMenu();
}
}  // namespace

TEST_F(ImageFixture, KeyboardContextMenuOpensAtTenTenOfTheClientArea) {
  TPopupMenu* menu = E->PrepareContextMenu();
  TPoint at(-1, -1);
  menu->OnPopup = [&](TObject*) {
    at = menu->PopupPoint();
    SetTimer(nullptr, 0, 20, CloseMenuSoon);
  };
  SendMessageW(E->Handle(), WM_CONTEXTMENU, WPARAM(E->Handle()), LPARAM(-1));
  EXPECT_EQ(at, E->ClientToScreen(TPoint(10, 10)));
  // With a popup menu of its own the editor leaves the menu to the platform.
  TPopupMenu own(Form.get());
  E->AssignPopupMenu(&own);
  at = TPoint(-1, -1);
  bool ownShown = false;
  own.OnPopup = [&](TObject*) {
    ownShown = true;
    SetTimer(nullptr, 0, 20, CloseMenuSoon);
  };
  SendMessageW(E->Handle(), WM_CONTEXTMENU, WPARAM(E->Handle()), LPARAM(-1));
  EXPECT_TRUE(ownShown);
  EXPECT_EQ(at, TPoint(-1, -1));
  E->AssignPopupMenu(nullptr);
}

TEST(ImageProperties, SettingsAndMenuLayoutStreamWithARepositoryItem) {
  TcxEditRepositoryImageItem a;
  a.SetName("Photo");
  TcxImageProperties* p = a.Properties();
  p->SetStretch(true);
  p->SetCaption("无图片");
  p->SetGraphicClassName("");
  p->PopupMenuLayout()->SetMenuItems(TcxPopupMenuItems{pmiCopy, pmiCustom});
  p->PopupMenuLayout()->SetCustomMenuItemCaption("扫描...");
  String text = ComponentToText(&a);
  EXPECT_NE(text.find("IsGraphicClassNameEmpty = True"), String::npos) << text;
  TcxEditRepositoryImageItem b;
  ReadComponentFromText(text, &b);
  TcxImageProperties* q = b.Properties();
  EXPECT_TRUE(q->Stretch());
  EXPECT_EQ(q->Caption(), "无图片");
  EXPECT_EQ(q->GraphicClass(), nullptr);
  EXPECT_EQ(q->PopupMenuLayout()->MenuItems(), (TcxPopupMenuItems{pmiCopy, pmiCustom}));
  EXPECT_EQ(q->PopupMenuLayout()->CustomMenuItemCaption(), "扫描...");
  // Defaults are not written.
  String plain = ComponentToText(std::make_unique<TcxEditRepositoryImageItem>().get());
  EXPECT_EQ(plain.find("MenuItems"), String::npos) << plain;
}

namespace {
// Answers the picture dialog once it shows: notes whether the editor counts
// as focused meanwhile, then opens the given file or cancels. Any further
// dialog (a message about the file) is cancelled, so that nothing waits.
struct TDialogAnswer {
  TcxCustomImage* Editor = nullptr;
  std::u16string FileName;   // empty: cancel
  HWND Answered = nullptr;
  bool FocusedMeanwhile = false;
};
TDialogAnswer GAnswer;

BOOL CALLBACK FindDialog(HWND AWnd, LPARAM AResult) {
  WCHAR cls[16] = {};
  GetClassNameW(AWnd, cls, 16);
  if (IsWindowVisible(AWnd) && lstrcmpW(cls, L"#32770") == 0) {
    *reinterpret_cast<HWND*>(AResult) = AWnd;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  if (GAnswer.Answered || GAnswer.FileName.empty()) {
    if (!GAnswer.Answered) GAnswer.FocusedMeanwhile = GAnswer.Editor->Focused();
    GAnswer.Answered = dialog;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  GAnswer.Answered = dialog;
  GAnswer.FocusedMeanwhile = GAnswer.Editor->Focused();
  SetDlgItemTextW(dialog, 0x47c, reinterpret_cast<const WCHAR*>(GAnswer.FileName.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

void RunLoad(TcxCustomImage* AEditor, const std::u16string& AFileName) {
  GAnswer = TDialogAnswer{AEditor, AFileName};
  UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerDialog);
  AEditor->ExecuteMenuCommand(pmiLoad);
  KillTimer(nullptr, timer);
}
}  // namespace

// Load... through the open dialog: the editor counts as focused while it
// runs; a cancelled dialog changes nothing and reports a cancel; an
// accepted one loads the file as the user's change.
TEST_F(ImageFixture, LoadThroughTheOpenDialog) {
  std::vector<Integer> reasons;
  E->Properties()->OnClosePopup = [&](TObject*, Integer AReason) { reasons.push_back(AReason); };
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/tovani-cxeditors-tests";
  ::mkdir(dir.c_str(), 0755);
  String data = PngBytes(24, 16);
  std::string path = dir + "/load.png";
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  RunLoad(E, u"");
  ASSERT_NE(GAnswer.Answered, nullptr);
  EXPECT_TRUE(GAnswer.FocusedMeanwhile);
  EXPECT_TRUE(E->EditValue().IsNull());
  std::string windowsPath = "Z:" + path;
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  RunLoad(E, Utf8ToUtf16(windowsPath));
  ASSERT_NE(E->Picture()->Graphic(), nullptr);
  EXPECT_EQ(E->Picture()->Graphic()->ClassType(), TdxPNGImage::StaticClass());
  EXPECT_EQ(E->EditValue().AsString(), data);
  EXPECT_TRUE(E->EditModified());
  EXPECT_EQ(reasons, (std::vector<Integer>{pcrCancel, pcrAccept}));
  WriteWindowPng(E, "cxImage_loaded_png");
  std::remove(path.c_str());
}
