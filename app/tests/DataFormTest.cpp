#include "DateUtils.h"
#include "Graphics.h"
#include "uDataForm.h"
#include "gtest.h"

TEST(DataForm, NextDocumentNumber) {
  TDateTime day = EncodeDate(2024, 3, 9);
  struct Case {
    const char* highest;
    const char* expected;
  } cases[] = {
      {"", "202403090001"},               // first number of the day
      {"202403090017", "202403090018"},
      {"202403090099", "202403090100"},
      {"202403099998", "202403099999"},   // the 9999th number
      {"2024030900017", "202403090002"},  // only the four characters after the date count
  };
  for (auto& c : cases) EXPECT_EQ(NextDocumentNumber(c.highest, day), c.expected) << c.highest;
  // The 10,000th number of a day is refused rather than repeated.
  try {
    NextDocumentNumber("202403099999", day);
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("9999"), String::npos) << e.Message();
  }
  // A number whose count is not four digits: the conversion error.
  for (const char* bad : {"20240309ABCD", "20240309-001", "20240309 001", "202403090"}) {
    try {
      NextDocumentNumber(bad, day);
      ADD_FAILURE() << bad;
    } catch (const EConvertError& e) {
      EXPECT_NE(e.Message().find("is not a valid integer value"), String::npos) << e.Message();
    }
  }
}

TEST(DataForm, AverageCharacterSizeOfTheCanvasFont) {
  TBitmap bmp;
  bmp.SetWidth(10);
  bmp.SetHeight(10);
  TCanvas* c = bmp.Canvas();
  c->Font()->SetName("宋体");
  c->Font()->SetSize(9);
  TSize small = GetAveCharSize(c);
  EXPECT_GT(small.cx, 2);
  EXPECT_GT(small.cy, 8);
  c->Font()->SetSize(18);
  TSize big = GetAveCharSize(c);
  EXPECT_GT(big.cx, small.cx);
  EXPECT_GT(big.cy, small.cy);
}
