// The small helpers the label and the check list box share: extents, text
// flags, numeric-text tests, rotated fonts and the colour-name tables.
#include <windows.h>

#include <cstring>

#include "FormatSettings.h"
#include "Graphics.h"
#include "cxExtEditUtils.h"
#include "gtest.h"

TEST(ExtEditUtils, ExtentsNeverGoNegative) {
  EXPECT_EQ(30, cxExtRectWidth(TRect(10, 5, 40, 25)));
  EXPECT_EQ(20, cxExtRectHeight(TRect(10, 5, 40, 25)));
  EXPECT_EQ(0, cxExtRectWidth(TRect(40, 5, 10, 25)));
  EXPECT_EQ(0, cxExtRectHeight(TRect(0, 25, 10, 5)));
}

TEST(ExtEditUtils, TextFlagsForDrawTextAndForTheEditorsOwnOutput) {
  struct Case {
    TAlignment horz;
    TcxEditVertAlignment vert;
    bool ellipsis, wrap;
    Integer tabs;
    bool forDrawText, prefix;
    Integer expected;
  } cases[] = {
      {taLeftJustify, taTopJustify, false, false, 0, true, false, DT_NOPREFIX},
      {taLeftJustify, taTopJustify, false, false, 0, true, true, 0},
      {taRightJustify, taBottomJustify, true, true, 0, true, true, DT_RIGHT | DT_BOTTOM | DT_END_ELLIPSIS | DT_WORDBREAK},
      {taCenter, taVCenter, false, false, 4, true, true, DT_CENTER | DT_VCENTER | DT_EXPANDTABS | DT_TABSTOP},
      {taLeftJustify, taTopJustify, false, false, 0, false, false, 1 | 8},
      {taCenter, taVCenter, true, true, 2, false, true, 4 | 0x20 | 0x800 | 0x400 | 0x100 | 0x200},
      {taRightJustify, taBottomJustify, false, false, 0, false, false, 2 | 0x10},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected | DT_SINGLELINE,
              cxMakeTextFlags(DT_SINGLELINE, c.horz, c.vert, c.ellipsis, c.wrap, c.tabs, c.forDrawText, c.prefix))
        << c.horz << " " << c.vert << " " << c.forDrawText;
}

TEST(ExtEditUtils, EmptyVariantsAndNumericTexts) {
  EXPECT_TRUE(cxIsEmptyVariant(Variant()));
  EXPECT_TRUE(cxIsEmptyVariant(Variant::Null()));
  EXPECT_FALSE(cxIsEmptyVariant(Variant(0)));
  EXPECT_FALSE(cxIsEmptyVariant(Variant(String())));

  EXPECT_TRUE(cxIsIntegerString("  42 "));
  EXPECT_TRUE(cxIsIntegerString("-2147483648"));
  for (const char* s : {"4 2", "", "   ", "2147483648", "1.5", "12a"}) EXPECT_FALSE(cxIsIntegerString(s)) << s;

  for (const char* s : {"-12.5", "0", " 3.25 ", "7."}) EXPECT_TRUE(cxIsFloatString(s)) << s;
  for (const char* s : {"1-2", "1.2.3", "+1", "1e5", "", "-", "1,000"}) EXPECT_FALSE(cxIsFloatString(s)) << s;
  const String huge = "1" + String(309, '0');
  EXPECT_FALSE(cxIsFloatString(huge));

  TFormatSettings saved = FormatSettings();
  FormatSettings().DecimalSeparator = ',';
  EXPECT_TRUE(cxIsFloatString("-12,5"));
  EXPECT_FALSE(cxIsFloatString("12.5"));
  FormatSettings() = saved;
}

TEST(ExtEditUtils, RotatedFontsTurnOnlyTrueTypeFonts) {
  TBitmap bitmap(50, 50, pf24bit);
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(10);
  EXPECT_TRUE(cxPrepareRotatedFont(bitmap.Canvas(), &font, -90));
  EXPECT_EQ(2700, bitmap.Canvas()->Font()->Orientation());
  EXPECT_EQ(0, font.Orientation()) << "the caller's font is left as it was";
  EXPECT_TRUE(cxPrepareRotatedFont(bitmap.Canvas(), &font, 720));
  EXPECT_EQ(0, bitmap.Canvas()->Font()->Orientation());

  // A bitmap font is never turned.
  for (const char* name : {"Terminal", "Fixedsys", "Small Fonts", "System"}) {
    TFont raster;
    raster.SetName(name);
    if (cxPrepareRotatedFont(bitmap.Canvas(), &raster, 45)) continue;
    EXPECT_EQ(0, bitmap.Canvas()->Font()->Orientation()) << name;
    return;
  }
  GTEST_SKIP() << "no bitmap font installed";
}

TEST(ExtEditUtils, ColourNameTablesHoldEachNameOnce) {
  EXPECT_STREQ("clBlack", cxColorNames[0]);
  EXPECT_STREQ("clWindowText", cxColorNames[51]);
  EXPECT_STREQ("Aqua", cxHTML4ColorNames[15]);
  // The family order is a permutation of the alphabetical table.
  for (const char* name : cxX11OrderedByColorNames) {
    int found = 0;
    for (const char* n : cxX11ColorNames) found += std::strcmp(n, name) == 0;
    EXPECT_EQ(1, found) << name;
  }
  for (int i = 1; i < 140; ++i) EXPECT_LT(std::strcmp(cxX11ColorNames[i - 1], cxX11ColorNames[i]), 0) << i;
}
