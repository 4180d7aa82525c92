// Panels, images, timers and splitters under Xvfb.
#include <memory>
#include "ExtCtrls.h"
#include "FormFile.h"
#include "Forms.h"
#include "Jpeg.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {
struct ExtFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(60, 60, 400, 300);
    Form->Show();
    PumpMessages();
  }
  template <class T>
  T* Add(int l, int t, int w, int h) {
    auto* c = new T(Form.get());
    c->SetParent(Form.get());
    c->SetBounds(l, t, w, h);
    return c;
  }
};
}  // namespace

TEST_F(ExtFixture, AJpegFileShowsInAnImage) {
  // A two-colour JPEG written to the build tree and read back by extension.
  TBitmap src(60, 40, pf24bit);
  src.Canvas()->Brush()->SetColor(clRed);
  src.Canvas()->FillRect(Rect(0, 0, 60, 40));
  src.Canvas()->Brush()->SetColor(clBlue);
  src.Canvas()->FillRect(Rect(30, 0, 60, 40));
  TJPEGImage jpg;
  jpg.Assign(&src);
  String path = String(TOVANI_TEST_BINARY_DIR) + "/product.jpg";
  jpg.SaveToFile(path);

  auto* image = Add<TImage>(10, 10, 200, 150);
  image->Picture()->LoadFromFile(path);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(image->Picture()->Graphic()), nullptr);
  EXPECT_EQ(image->Picture()->Width(), 60);
  PumpMessages();
  COLORREF left = ClientPixel(Form.get(), 10 + 10, 10 + 20), right = ClientPixel(Form.get(), 10 + 50, 10 + 20);
  EXPECT_GT(GetRValue(left), 200);
  EXPECT_GT(GetBValue(right), 200);
  // Stretched and proportional: the picture fills the width, keeping its shape.
  image->SetStretch(true);
  image->SetProportional(true);
  EXPECT_EQ(image->DestRect(), Rect(0, 0, 200, 133));
  image->SetAutoSize(true);
  image->Picture()->LoadFromFile(path);
  EXPECT_EQ(image->Width(), 60);
  EXPECT_THROW(image->Picture()->LoadFromFile(String(TOVANI_TEST_BINARY_DIR) + "/missing.jpg"), EFOpenError);
  WriteWindowPng(Form.get(), "extctrls_image");
}

// Pictures are kept in form files: a bitmap to the pixel, a JPEG image as
// its data; damaged data is refused with a clear error.
TEST(PictureFormData, BitmapAndJpegSurviveAFormFile) {
  TForm form(nullptr);
  form.SetName("Form1");
  auto* bmpImage = new TImage(&form);
  bmpImage->SetParent(&form);
  bmpImage->SetName("Image1");
  TBitmap bmp(3, 2, pf24bit);
  const TColor colors[] = {clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};
  for (int i = 0; i < 6; ++i) bmp.Canvas()->SetPixels(i % 3, i / 3, colors[i]);
  bmpImage->Picture()->SetGraphic(&bmp);
  auto* jpgImage = new TImage(&form);
  jpgImage->SetParent(&form);
  jpgImage->SetName("Image2");
  TBitmap src(16, 8, pf24bit);
  src.Canvas()->Brush()->SetColor(clRed);
  src.Canvas()->FillRect(Rect(0, 0, 16, 8));
  TJPEGImage jpg;
  jpg.Assign(&src);
  jpgImage->Picture()->SetGraphic(&jpg);
  auto* empty = new TImage(&form);
  empty->SetParent(&form);
  empty->SetName("Image3");
  String text = ComponentToText(&form);

  TForm back(nullptr);
  ReadComponentFromText(text, &back);
  auto* b1 = dynamic_cast<TImage*>(back.FindComponent("Image1"));
  auto* b2 = dynamic_cast<TImage*>(back.FindComponent("Image2"));
  auto* b3 = dynamic_cast<TImage*>(back.FindComponent("Image3"));
  ASSERT_TRUE(b1 && b2 && b3) << text;
  auto* readBmp = dynamic_cast<TBitmap*>(b1->Picture()->Graphic());
  ASSERT_NE(readBmp, nullptr) << text;
  ASSERT_EQ(readBmp->Width(), 3);
  ASSERT_EQ(readBmp->Height(), 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(readBmp->Canvas()->Pixels(i % 3, i / 3), colors[i]) << i;
  auto* readJpg = dynamic_cast<TJPEGImage*>(b2->Picture()->Graphic());
  ASSERT_NE(readJpg, nullptr);
  EXPECT_EQ(readJpg->Data(), static_cast<TJPEGImage*>(jpgImage->Picture()->Graphic())->Data());
  EXPECT_FALSE(readJpg->Data().empty());
  EXPECT_EQ(b3->Picture()->Graphic(), nullptr);

  // Damaged data: a size beyond the data, an unknown class, a cut name.
  const char* damaged[] = {
      "{07544269746D6170FFFFFF7F00}",   // TBitmap, size 2^31 - 1
      "{0754466F6F426172}",             // "TFooBar"
      "{0954426974}",                   // name longer than the data
      "{07544269746D617004000000424D0000}",   // a bitmap of four bytes
  };
  for (const char* data : damaged) {
    TForm f(nullptr);
    String bad = String("object Form1: TForm\n  object Image1: TImage\n    Picture.Data = ") + data + "\n  end\nend\n";
    try {
      ReadComponentFromText(bad, &f);
      ADD_FAILURE() << data;
    } catch (const EReadError& e) {
      EXPECT_NE(e.Message().find("Image1.Picture.Data"), String::npos) << e.Message();
      EXPECT_NE(e.Message().find("icture"), String::npos) << e.Message();
    }
  }
}

TEST_F(ExtFixture, TimerFiresWhileMessagesRunAndStopsWhenDisabled) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(20);
  timer.OnTimer = [&](TObject*) { ++ticks; };
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  for (int i = 0; i < 50 && ticks < 2; ++i) PumpMessages(1);
  EXPECT_GE(ticks, 2);
  timer.SetEnabled(false);
  int now = ticks;
  for (int i = 0; i < 5; ++i) PumpMessages(1);
  EXPECT_EQ(ticks, now);
  // An exception in OnTimer reaches the application, not the timer's caller.
  int shown = 0;
  Application->OnException = [&](TObject*, Exception*) { ++shown; };
  timer.OnTimer = [&](TObject*) {
    timer.SetEnabled(false);
    throw Exception("timer");
  };
  timer.SetEnabled(true);
  for (int i = 0; i < 50 && shown == 0; ++i) PumpMessages(1);
  EXPECT_EQ(shown, 1);
  Application->OnException = nullptr;
}

TEST_F(ExtFixture, PanelsAlignAndPaintAndTheSplitterResizes) {
  auto* left = Add<TPanel>(0, 0, 100, 10);
  left->SetAlign(alLeft);
  left->SetColor(clYellow);
  left->SetCaption("导航");
  auto* splitter = Add<TSplitter>(100, 0, 4, 10);
  splitter->SetAlign(alLeft);
  auto* client = Add<TPanel>(0, 0, 10, 10);
  client->SetAlign(alClient);
  client->SetColor(clWhite);
  PumpMessages();
  EXPECT_EQ(splitter->Left(), 100);
  EXPECT_EQ(client->Left(), 104);
  EXPECT_EQ(ClientPixel(left, 5, 5), COLORREF(0x00FFFF));
  // Dragging the splitter 40 pixels right widens the left panel.
  SendMessageW(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 50));
  SendMessageW(Form->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(141, 50));
  SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(141, 50));
  EXPECT_EQ(left->Width(), 140);
  EXPECT_EQ(client->Left(), 144);
  WriteWindowPng(Form.get(), "extctrls_panels");
}
