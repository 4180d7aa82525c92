// Panels, images, timers and splitters under Xvfb.
#include <memory>
#include "ExtCtrls.h"
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
