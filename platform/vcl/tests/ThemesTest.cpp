// The program's theme switch: forced off, forced on over Wine's own theme,
// and a desktop theme change reaching the listeners.
#include "Graphics.h"
#include "Themes.h"
#include "gtest.h"

namespace {

int CountNonWhite(TBitmap& b, const TRect& r) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if ((COLORREF(b.Canvas()->Pixels(x, y)) & 0xFFFFFF) != 0xFFFFFF) ++n;
  return n;
}

struct ThemeFixture : ::testing::Test {
  void TearDown() override { SetThemesEnabledOverride(std::nullopt); }
};

const TThemedElementDetails PushButton = TThemeServices::GetElementDetails(teButton, BP_PUSHBUTTON, PBS_NORMAL);

}  // namespace

TEST_F(ThemeFixture, ForcedOffNothingThemedIsDrawn) {
  ASSERT_EQ(ThemeServices(), ThemeServices());
  SetThemesEnabledOverride(false);
  EXPECT_FALSE(ThemeServices()->ThemesEnabled());
  EXPECT_EQ(ThemeServices()->Theme(teButton), nullptr);
  TBitmap bmp(60, 30, pf24bit);
  ThemeServices()->DrawElement(bmp.Canvas()->Handle(), PushButton, TRect(0, 0, 60, 30));
  ThemeServices()->DrawText(bmp.Canvas()->Handle(), PushButton, "确定", TRect(0, 0, 60, 30),
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0);
  EXPECT_EQ(CountNonWhite(bmp, TRect(0, 0, 60, 30)), 0);
  EXPECT_EQ(ThemeServices()->ContentRect(bmp.Canvas()->Handle(), PushButton, TRect(0, 0, 60, 30)),
            TRect(0, 0, 60, 30));
  EXPECT_FALSE(ThemeServices()->HasTransparentParts(PushButton));
}

TEST_F(ThemeFixture, ForcedOnElementsAndTextAreDrawnFromTheTheme) {
  SetThemesEnabledOverride(true);
  EXPECT_TRUE(ThemeServices()->ThemesEnabled());
  if (!ThemeServices()->Theme(teButton)) GTEST_SKIP() << "Wine has no theme in this prefix";
  EXPECT_NE(ThemeServices()->Theme(teToolBar), nullptr);
  TBitmap bmp(60, 30, pf24bit);
  HDC dc = bmp.Canvas()->Handle();
  ThemeServices()->DrawElement(dc, PushButton, TRect(0, 0, 60, 30));
  EXPECT_GT(CountNonWhite(bmp, TRect(0, 0, 60, 30)), 100);
  // The content lies inside the border.
  TRect content = ThemeServices()->ContentRect(dc, PushButton, TRect(0, 0, 60, 30));
  EXPECT_GT(content.Left, 0);
  EXPECT_LT(content.Right, 60);

  TBitmap text(60, 30, pf24bit);
  ThemeServices()->DrawText(text.Canvas()->Handle(), PushButton, "确定", TRect(0, 0, 60, 30),
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0);
  EXPECT_GT(CountNonWhite(text, TRect(0, 0, 60, 30)), 10);
}

TEST_F(ThemeFixture, ADesktopThemeChangeReopensHandlesAndTellsTheListener) {
  int changes = 0;
  ThemeServices()->OnThemeChange = [&](TObject* sender) {
    EXPECT_EQ(sender, ThemeServices());
    ++changes;
  };
  SetThemesEnabledOverride(true);
  EXPECT_EQ(changes, 1);
  HTHEME before = ThemeServices()->Theme(teHeader);
  SendMessageW(ThemeServices()->WindowHandle(), WM_THEMECHANGED, 0, 0);
  EXPECT_EQ(changes, 2);
  // The handle is opened again on the next use.
  if (before) EXPECT_NE(ThemeServices()->Theme(teHeader), nullptr);
  ThemeServices()->OnThemeChange = nullptr;
}
