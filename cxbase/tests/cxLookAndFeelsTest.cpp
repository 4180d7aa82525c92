// Look-and-feel settings and the controller that exposes the root's values,
// the colour-change and theme-change notifications, the theme manager's
// cached handles and the Office-2003 colours.
#include <memory>
#include <vector>

#include "Graphics.h"
#include "cxLookAndFeels.h"
#include "dxOffice11.h"
#include "dxThemeManager.h"
#include "gtest.h"

namespace {

struct Recorder {
  std::vector<TcxLookAndFeelValues> Changes;
  void Attach(TcxLookAndFeel& lf) {
    lf.OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues v) { Changes.push_back(v); };
  }
};

struct ThemesOff : ::testing::Test {
  void SetUp() override { SetThemesEnabledOverride(false); }
  void TearDown() override { SetThemesEnabledOverride(std::nullopt); }
};

TEST_F(ThemesOff, ControllerDrivesEveryFollower) {
  TcxLookAndFeel follower, ownKind;
  ownKind.SetKind(lfStandard);
  Recorder f, o;
  f.Attach(follower);
  o.Attach(ownKind);
  SetThemesEnabledOverride(true);
  f.Changes.clear();
  o.Changes.clear();
  {
    TcxLookAndFeelController controller;
    controller.SetNativeStyle(true);
    EXPECT_TRUE(controller.NativeStyle());
    EXPECT_TRUE(follower.NativeStyle());
    ASSERT_EQ(f.Changes.size(), 1u);
    EXPECT_EQ(f.Changes[0], TcxLookAndFeelValues{lfvNativeStyle});
    if (dxVisualStylesEnabled(0)) EXPECT_EQ(follower.ActivePainter(), cxNativePainter());
    // A look-and-feel that assigns its kind does not hear the master's kind,
    // but does hear its native style.
    ASSERT_EQ(o.Changes.size(), 1u);
    controller.SetKind(lfFlat);
    EXPECT_EQ(o.Changes.size(), 1u);
    EXPECT_EQ(ownKind.Kind(), lfStandard);
    EXPECT_EQ(follower.Kind(), lfFlat);
    // Visual styles off: the followers announce it and fall back.
    SetThemesEnabledOverride(false);
    EXPECT_EQ(follower.ActivePainter(), cxFlatPainter());
    EXPECT_EQ(ownKind.ActivePainter(), cxStandardPainter());
  }
  // The last controller gone: the root forgets its values.
  EXPECT_TRUE(cxRootLookAndFeel()->AssignedValues().Empty());
  EXPECT_FALSE(follower.NativeStyle());
  EXPECT_EQ(follower.Kind(), lfUltraFlat);
  EXPECT_EQ(follower.ActivePainter(), cxUltraFlatPainter());
}

TEST_F(ThemesOff, ControllersAreListenedToByTheRootOnly) {
  TcxLookAndFeel lf;
  TcxLookAndFeelController first, second;
  lf.RegisterChangeListener(&first);
  EXPECT_FALSE(lf.HasChangeListener(&first));
  EXPECT_TRUE(cxRootLookAndFeel()->HasChangeListener(&first));
  first.SetKind(lfOffice11);
  EXPECT_EQ(lf.ActivePainter(), cxOffice11Painter());
}

TEST_F(ThemesOff, SettingTheValueInEffectAssignsButAnnouncesNothing) {
  TcxLookAndFeel lf;
  Recorder r;
  r.Attach(lf);
  lf.SetKind(lf.Kind());
  EXPECT_TRUE(lf.AssignedValues().Contains(lfvKind));
  EXPECT_TRUE(r.Changes.empty());
  // Taking a value out of the assigned set follows the master again at once.
  TcxLookAndFeel master;
  master.SetKind(lfFlat);
  lf.SetMaster(&master);
  EXPECT_EQ(lf.Kind(), lfUltraFlat);
  lf.SetAssignedValues({});
  EXPECT_EQ(lf.Kind(), lfFlat);
  ASSERT_FALSE(r.Changes.empty());
  EXPECT_EQ(r.Changes.back(), TcxLookAndFeelValues{lfvKind});
  // The master itself or the current master changes nothing.
  r.Changes.clear();
  lf.SetMaster(&lf);
  lf.SetMaster(&master);
  EXPECT_TRUE(r.Changes.empty());
  EXPECT_EQ(lf.Master(), &master);
}

TEST_F(ThemesOff, AssignCopiesAssignedValuesAndMaster) {
  TcxLookAndFeel master, source, target;
  master.SetKind(lfFlat);
  source.SetMaster(&master);
  source.SetNativeStyle(true);
  target.Assign(&source);
  EXPECT_EQ(target.Master(), &master);
  EXPECT_EQ(target.AssignedValues(), TcxLookAndFeelValues{lfvNativeStyle});
  EXPECT_TRUE(target.NativeStyle());
  EXPECT_EQ(target.Kind(), lfFlat);
}

// Leaves while the controller's change travels through the root.
struct SelfRemovingListener : IcxLookAndFeelChangeListener {
  int Told = 0;
  void MasterLookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues) override {
    ++Told;
    Sender->UnregisterChangeListener(this);
  }
};

struct CountingListener : IcxLookAndFeelChangeListener {
  int Told = 0;
  void MasterLookAndFeelChanged(TcxLookAndFeel*, TcxLookAndFeelValues) override { ++Told; }
};

TEST_F(ThemesOff, AListenerLeavesWhileTheControllerNotifies) {
  TcxLookAndFeelController controller;
  SelfRemovingListener leaving;
  CountingListener staying;
  cxRootLookAndFeel()->RegisterChangeListener(&leaving);
  cxRootLookAndFeel()->RegisterChangeListener(&staying);
  controller.SetKind(lfStandard);
  controller.SetKind(lfFlat);
  EXPECT_EQ(leaving.Told, 1);
  EXPECT_EQ(staying.Told, 2);
  cxRootLookAndFeel()->UnregisterChangeListener(&staying);
}

TEST_F(ThemesOff, ASystemColourChangeIsAnnouncedAsNativeStyle) {
  TcxLookAndFeel a, b;
  b.SetNativeStyle(false);
  Recorder ra, rb;
  ra.Attach(a);
  rb.Attach(b);
  ASSERT_NE(cxSystemPaletteChangedListenerWindow(), nullptr);
  SendMessageW(cxSystemPaletteChangedListenerWindow(), WM_SYSCOLORCHANGE, 0, 0);
  ASSERT_FALSE(ra.Changes.empty());
  ASSERT_FALSE(rb.Changes.empty());
  for (const auto& v : ra.Changes) EXPECT_EQ(v, TcxLookAndFeelValues{lfvNativeStyle});
  // The colours were computed again: without visual styles, the classic ones.
  EXPECT_EQ(dxOffice2003Scheme(), 0);
  EXPECT_EQ(COLORREF(Office2003FaceColor()), ColorToRGB(clBtnFace));
}

TEST_F(ThemesOff, NamedStylePaintersFoundIgnoringCase) {
  TcxLookAndFeel lf;
  lf.SetSkinName("Lilian");
  EXPECT_EQ(lf.SkinName(), "Lilian");
  EXPECT_EQ(lf.ActivePainter(), cxUltraFlatPainter());  // no such painter
  cxStylePainterRegistry()->Register("lilian", cxStandardPainter());
  lf.SetSkinName("LILIAN");
  EXPECT_EQ(lf.ActivePainter(), cxStandardPainter());
  // While it draws with a named painter it hears the registry.
  cxStylePainterRegistry()->Unregister("Lilian");
  EXPECT_EQ(lf.ActivePainter(), cxUltraFlatPainter());
  // The native style comes first.
  SetThemesEnabledOverride(true);
  cxStylePainterRegistry()->Register("lilian", cxStandardPainter());
  lf.SetNativeStyle(true);
  if (dxVisualStylesEnabled(0)) EXPECT_EQ(lf.ActivePainter(), cxNativePainter());
  cxStylePainterRegistry()->Unregister("lilian");
}

TEST_F(ThemesOff, StoredValuesRoundTripThroughTheFormStream) {
  TcxLookAndFeelController controller;
  const TPropInfo* p = GetPropInfo(&controller, "NativeStyle");
  ASSERT_NE(p, nullptr);
  SetOrdProp(&controller, p, 1);
  EXPECT_TRUE(cxRootLookAndFeel()->NativeStyle());
  EXPECT_TRUE(IsStoredProp(&controller, p));
  TcxLookAndFeel lf;
  EXPECT_FALSE(IsStoredProp(&lf, GetPropInfo(&lf, "Kind")));
  lf.SetKind(lfOffice11);
  EXPECT_TRUE(IsStoredProp(&lf, GetPropInfo(&lf, "Kind")));
}

// Told in the order of construction.
TEST(ThemeManager, HandlesAndNotifications) {
  std::vector<int> order;
  TdxThemeChangedNotificator first, second;
  first.OnThemeChanged = [&] { order.push_back(1); };
  second.OnThemeChanged = [&] { order.push_back(2); };
  SetThemesEnabledOverride(false);
  EXPECT_FALSE(dxVisualStylesEnabled(0));
  EXPECT_EQ(dxOpenThemeHandle(totButton), nullptr);
  EXPECT_EQ(dxCloseThemeHandle(totButton), 1);
  if (dxIsThemeLibraryLoaded()) EXPECT_EQ(order, (std::vector<int>{1, 2}));
  SetThemesEnabledOverride(true);
  EXPECT_TRUE(dxIsXPOrLater());
  HTHEME button = dxOpenThemeHandle(totButton);
  if (!button) {
    SetThemesEnabledOverride(std::nullopt);
    GTEST_SKIP() << "Wine has no theme in this prefix";
  }
  EXPECT_EQ(dxOpenThemeHandle(totButton), button);
  EXPECT_TRUE(dxCanUseTheme(totButton));
  EXPECT_TRUE(dxVisualStylesEnabled(dxThemeKindBit(totButton) | dxThemeKindBit(totHeader)));
  // Another class list reopens the kind; nil then keeps it.
  HTHEME edit = dxOpenThemeHandle(totButton, u"EDIT");
  EXPECT_NE(edit, nullptr);
  EXPECT_EQ(dxOpenThemeHandle(totButton), edit);
  EXPECT_EQ(dxOpenThemeHandle(totButton, u"edit"), edit);
  // A theme change closes every handle.
  ThemeServices()->ApplyThemeChange();
  EXPECT_EQ(dxCloseThemeHandle(totHeader), 0);
  EXPECT_EQ(order.back(), 2);
  dxOpenThemeHandle(totButton, u"Button");
  SetThemesEnabledOverride(std::nullopt);
}

TEST(Office2003Colors, MixesGradientsAndReferences) {
  // 50 % of white and black, the nearest colour the screen shows.
  const COLORREF mid = COLORREF(dxMixColors(clWhite, clBlack, 50));
  EXPECT_NEAR(GetRValue(mid), 127, 2);
  EXPECT_EQ(COLORREF(dxMixColors(clRed, clBlue, 100)), COLORREF(0x0000FF));

  // The band fill: at most 256 bands, the first the start colour, the last
  // the end colour.
  TBitmap b(600, 4, pf32bit);
  dxPaintGradientBands(b.Canvas()->Handle(), TRect(0, 0, 600, 4), clBlack, true, clWhite);
  EXPECT_EQ(COLORREF(b.Canvas()->Pixels(0, 1)), COLORREF(0));
  EXPECT_EQ(COLORREF(b.Canvas()->Pixels(599, 1)), COLORREF(0xFFFFFF));
  int bands = 1;
  for (int x = 1; x < 600; ++x)
    if (b.Canvas()->Pixels(x, 1) != b.Canvas()->Pixels(x - 1, 1)) ++bands;
  EXPECT_EQ(bands, 256);
  // Through GradientFill, the same ends.
  dxPaintGradient(b.Canvas()->Handle(), TRect(0, 0, 600, 4), clRed, true, clBlue);
  EXPECT_EQ(COLORREF(b.Canvas()->Pixels(0, 1)) & 0xFF, 0xFFu);
  EXPECT_GT(GetBValue(COLORREF(b.Canvas()->Pixels(599, 1))), 240);

  // References: the resources exist while referenced.
  const Integer before = dxOffice2003ColorsRefCount();
  dxAddRefOffice2003Colors();
  dxAddRefOffice2003Colors();
  EXPECT_NE(dxOffice2003ExpandButtonBitmap(true), nullptr);
  EXPECT_NE(dxOffice2003GripDarkBrush(), nullptr);
  dxReleaseOffice2003Colors();
  dxReleaseOffice2003Colors();
  EXPECT_EQ(dxOffice2003ColorsRefCount(), before);
  if (before == 0) EXPECT_EQ(dxOffice2003ExpandButtonBitmap(true), nullptr);

  // The size grip: three rows of dots in the bottom-right corner.
  TBitmap grip(20, 20, pf32bit);
  grip.Canvas()->Brush()->SetColor(clWhite);
  grip.Canvas()->FillRect(TRect(0, 0, 20, 20));
  dxPaintOffice2003SizeGrip(grip.Canvas()->Handle(), TRect(0, 0, 20, 20), clBlack, clRed);
  EXPECT_EQ(COLORREF(grip.Canvas()->Pixels(16, 13)), COLORREF(0));       // lowest row, last dot
  EXPECT_EQ(COLORREF(grip.Canvas()->Pixels(18, 15)), COLORREF(0x0000FF));  // its light shadow
  EXPECT_EQ(COLORREF(grip.Canvas()->Pixels(8, 13)), COLORREF(0));        // lowest row, first dot
  EXPECT_EQ(COLORREF(grip.Canvas()->Pixels(8, 5)), COLORREF(0xFFFFFF));  // nothing above-left
  EXPECT_EQ(COLORREF(grip.Canvas()->Pixels(16, 5)), COLORREF(0));        // the top row's one dot
}

}  // namespace
