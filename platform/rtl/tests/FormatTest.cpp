// Number text: FloatToStr(F), FormatFloat, FormatCurr, the parsing routines
// and Format, over the zh-CN profile.
#include <cmath>
#include <limits>
#include "SysUtils.h"
#include "gtest.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

template <class F>
String ConvertErrorOf(F f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return "(no error)";
}

}  // namespace

TEST(FloatText, FloatToStrGeneral) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},           {1.5, "1.5"},        {-1.5, "-1.5"},
      {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},          {123456789012345.0, "123456789012345"},
      {1e15, "1E15"},     {1e20, "1E20"},      {0.00001, "0.00001"},
      {0.000001, "1E-6"}, {-1.23e-7, "-1.23E-7"},
      {kNaN, "NAN"},      {kInf, "INF"},       {-kInf, "-INF"},
      {-0.0, "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
}

TEST(FloatText, FloatToStrF) {
  struct Case {
    double value;
    TFloatFormat format;
    int precision, digits;
    const char* text;
  };
  const Case cases[] = {
      {1234.5678, ffFixed, 15, 2, "1234.57"},
      {1.005, ffFixed, 15, 2, "1.01"},          // decimal look, not binary tie-break
      {0.125, ffFixed, 15, 2, "0.13"},
      {-0.001, ffFixed, 15, 2, "0.00"},         // no "-0.00"
      {0.5, ffFixed, 15, 0, "1"},
      {9.999, ffFixed, 15, 2, "10.00"},
      {1e20, ffFixed, 15, 2, "1E20"},           // more digits than the precision
      {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
      {-999.999, ffNumber, 15, 2, "-1,000.00"},
      {123.0, ffNumber, 15, 0, "123"},
      {1234.5, ffCurrency, 15, 2, "\xEF\xBF\xA5" "1,234.50"},
      {-1234.5, ffCurrency, 15, 2, "\xEF\xBF\xA5-1,234.50"},
      {1234.5, ffExponent, 4, 2, "1.235E+03"},
      {-0.00012345, ffExponent, 3, 0, "-1.23E-4"},
      {0, ffExponent, 15, 3, "0.00000000000000E+000"},
      {123.456, ffGeneral, 4, 0, "123.5"},
      {123456, ffGeneral, 4, 0, "1.235E5"},
      {123456, ffGeneral, 4, 2, "1.235E05"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FloatToStrF(c.value, c.format, c.precision, c.digits), c.text) << c.value << " " << c.format;
}

TEST(FloatText, FormatFloatPictures) {
  struct Case {
    const char* format;
    double value;
    const char* text;
  };
  const Case cases[] = {
      {"\xEF\xBF\xA5#.00", 0.5, "\xEF\xBF\xA5.50"},   // "#" is optional: no leading zero
      {"\xEF\xBF\xA5#.00", 1234.5, "\xEF\xBF\xA5" "1234.50"},
      {"\xEF\xBF\xA5#.00", -3, "-\xEF\xBF\xA5" "3.00"},
      {"#.#", 3.14, "3.1"},
      {"#.#", 3, "3"},
      {"#.##", 0, ""},
      {"0", 0, "0"},
      {"0.00", 1.005, "1.01"},
      {"0.00", 0.125, "0.13"},
      {"0.0", -0.04, "0.0"},
      {"0000", 12, "0012"},
      {"#0#", 5, "05"},
      {"00.00", 1.5, "01.50"},
      {"0", 12345, "12345"},
      {"0", 1e20, "100000000000000000000"},
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0.00", -1234.5, "-1,234.50"},
      {"#,##0", 999.5, "1,000"},
      {"#,##0.00", 12.3, "12.30"},
      {"0.00;(0.00);'zero'", -1.5, "(1.50)"},
      {"0.00;(0.00);'zero'", 0, "zero"},
      {"0.00;(0.00);'zero'", -0.001, "zero"},
      {"0.00;(0.00)", -0.001, "0.00"},
      {"0.00;;", -1.5, "-1.50"},
      {"SUM=0.00;SUM=-0.00", -2.5, "SUM=-2.50"},
      {"\"SUM=\"#,##0.00", 1234.5, "SUM=1,234.50"},
      {"'a;b'0", 7, "a;b7"},
      {"0.00E+00", 12345, "1.23E+04"},
      {"0.00E-00", 0.00012345, "1.23E-04"},
      {"0.00E-00", 12345, "1.23E04"},
      {"0.###e+0", 1500, "1.5e+3"},
      {"0.00E+00", 0, "0.00E+00"},
      {"#.##%", 0.5, ".5%"},
      {"", 1.5, "1.5"},
      {"0.00", kNaN, "NAN"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.format, c.value), c.text) << c.format << " " << c.value;
}

TEST(FloatText, CurrencyText) {
  EXPECT_EQ(FormatCurr("#,##0.00", Currency(1234.565)), "1,234.57");
  EXPECT_EQ(FormatCurr("0.0000", Currency::FromRaw(1)), "0.0001");
  EXPECT_EQ(FormatCurr("0.00;-0.00", Currency::FromRaw(INT64_MIN)), "-922337203685477.58");
  EXPECT_EQ(CurrToStr(Currency(1.5)), "1.5");
  EXPECT_EQ(CurrToStr(Currency()), "0");
  EXPECT_EQ(CurrToStr(Currency::FromRaw(INT64_MAX)), "922337203685477.5807");
  EXPECT_EQ(CurrToStrF(Currency(-1234.5), ffCurrency, 2), "\xEF\xBF\xA5-1,234.50");
  EXPECT_EQ(CurrToStrF(Currency(2), ffFixed, 4), "2.0000");
}

TEST(FloatText, ProfileIsRead) {
  TFormatSettings fs = TFormatSettings::ZhCN();
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = '.';
  fs.CurrencyString = "EUR";
  fs.CurrencyFormat = 3;
  fs.NegCurrFormat = 8;
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, fs), "1.234,50");
  EXPECT_EQ(FloatToStrF(1234.5, ffCurrency, 15, 2, fs), "1.234,50 EUR");
  EXPECT_EQ(FloatToStrF(-1234.5, ffCurrency, 15, 2, fs), "-1.234,50 EUR");
  EXPECT_EQ(StrToFloat("1,5", fs), 1.5);
  EXPECT_THROW(StrToFloat("1.5", fs), EConvertError);
  EXPECT_EQ(StrToCurr("2,25", fs).Raw(), 22500);
}

TEST(FloatText, ParseFloat) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  };
  const Case cases[] = {
      {"1.5", true, 1.5},      {" -2.5e3 ", true, -2500}, {"+3", true, 3},   {"1.", true, 1},
      {".5", true, 0.5},       {"1E-2", true, 0.01},      {"1e-400", true, 0},
      {"1e400", false, 0},     {"1,5", false, 0},         {"abc", false, 0}, {"", false, 0},
      {"1e", false, 0},        {"1.2.3", false, 0},       {"0x10", false, 0},
      {"inf", false, 0},       {"nan", false, 0},         {".", false, 0},   {"- 1", false, 0},
  };
  for (const Case& c : cases) {
    Extended v = -1;
    EXPECT_EQ(TryStrToFloat(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
  }
  EXPECT_EQ(StrToFloatDef("x", 7.5), 7.5);
  EXPECT_EQ(ConvertErrorOf([] { StrToFloat("abc"); }), "'abc' is not a valid floating point value");
}

TEST(FloatText, ParseCurrency) {
  EXPECT_EQ(StrToCurr("12.345678").Raw(), 123457);
  EXPECT_EQ(StrToCurr("1.23455").Raw(), 12346);   // tie: to even
  EXPECT_EQ(StrToCurr("1.23445").Raw(), 12344);
  EXPECT_EQ(StrToCurr("  -5 ").Raw(), -50000);
  EXPECT_EQ(StrToCurrDef("x", 3).Raw(), 30000);
  Currency c;
  EXPECT_FALSE(TryStrToCurr("1e20", c));
  EXPECT_EQ(ConvertErrorOf([] { StrToCurr("12,5"); }), "'12,5' is not a valid floating point value");
}

TEST(Format, Conversions) {
  int local = 0;
  struct Case {
    String got;
    const char* want;
  };
  const Case cases[] = {
      {Format("%d", {42}), "42"},
      {Format("%5d|%-5d|", {42, 42}), "   42|42   |"},
      {Format("%.4d", {7}), "0007"},
      {Format("%.4d", {-7}), "-0007"},
      {Format("%3d%3d%3d", {255, 0, 128}), "255  0128"},
      {Format("%D", {Int64(-9000000000)}), "-9000000000"},
      {Format("%u", {-1}), "4294967295"},
      {Format("%d", {UINT64_MAX}), "18446744073709551615"},
      {Format("%x", {255}), "FF"},
      {Format("%x", {-1}), "FFFFFFFF"},
      {Format("%x", {Int64(-1)}), "FFFFFFFFFFFFFFFF"},
      {Format("%.4x", {255}), "00FF"},
      {Format("%s=%d", {"a", 3}), "a=3"},
      {Format("%s", {String("str")}), "str"},
      {Format("%s%s", {'c', static_cast<const char*>(nullptr)}), "c"},
      {Format("%1:s %0:s", {"a", "b"}), "b a"},
      {Format("%0:s %s %s", {"a", "b", "c"}), "a b c"},
      {Format("%1:s %s", {"a", "b", "c"}), "b c"},
      {Format("%*d|%-*d|%*d|", {4, 1, 3, 2, -3, 3}), "   1|2  |3  |"},
      {Format("%.*f", {1, 2.25}), "2.3"},
      {Format("%.2s|%4s|%-3s|", {"中文字", "中", "中"}), "中文|   中|中  |"},
      {Format("100%%", {}), "100%"},
      {Format("%5.1f", {3.14159}), "  3.1"},
      {Format("%9.2f", {1234.5}), "  1234.50"},
      {Format("%9.2f", {-12.0}), "   -12.00"},
      {Format("%f", {1.0 / 3}), "0.33"},
      {Format("%.0f", {2.5}), "3"},
      {Format("%n", {1234567.5}), "1,234,567.50"},
      {Format("%m", {1234.5}), "\xEF\xBF\xA5" "1,234.50"},
      {Format("%m", {Currency(-5)}), "\xEF\xBF\xA5-5.00"},
      {Format("%7m", {1.5}), "  \xEF\xBF\xA5" "1.50"},
      {Format("%.3f", {Currency(1.2345)}), "1.235"},
      {Format("%e", {1234.5}), "1.23450000000000E+003"},
      {Format("%.3e", {-1234.5}), "-1.23E+003"},
      {Format("%g", {0.5}), "0.5"},
      {Format("%.3g", {1234.5}), "1.23E003"},   // general format: no "+"
      {Format("%p", {nullptr}), "0000000000000000"},
      {Format("%p", {reinterpret_cast<void*>(0xABC)}), "0000000000000ABC"},
      {Format("no specs", {1}), "no specs"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
  EXPECT_EQ(Format("%p", {&local}).size(), 16u);
  const std::vector<FormatArg> args = {"x", 2};
  EXPECT_EQ(Format("%s%d", args), "x2");
}

TEST(Format, BadFormatsRaiseConvertError) {
  struct Case {
    const char* format;
    std::vector<FormatArg> args;
    const char* message;
  };
  const Case cases[] = {
      {"%d", {"x"}, "Format '%d' invalid or incompatible with argument"},
      {"%s", {5}, "Format '%s' invalid or incompatible with argument"},
      {"%f", {5}, "Format '%f' invalid or incompatible with argument"},
      {"%x", {1.5}, "Format '%x' invalid or incompatible with argument"},
      {"%p", {5}, "Format '%p' invalid or incompatible with argument"},
      {"a%q", {1}, "Format 'a%q' invalid or incompatible with argument"},
      {"abc%", {}, "Format 'abc%' invalid or incompatible with argument"},
      {"%5", {1}, "Format '%5' invalid or incompatible with argument"},
      {"%*d", {"w", 1}, "Format '%*d' invalid or incompatible with argument"},
      {"%99999999d", {1}, "Format '%99999999d' invalid or incompatible with argument"},
      {"%.99999999d", {1}, "Format '%.99999999d' invalid or incompatible with argument"},
      {"%*d", {100000000, 1}, "Format '%*d' invalid or incompatible with argument"},
      {"%d", {}, "No argument for format '%d'"},
      {"%d %d", {1}, "No argument for format '%d %d'"},
      {"%5:s", {"a"}, "No argument for format '%5:s'"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertErrorOf([&] { Format(c.format, c.args); }), c.message) << c.format;
  }
}
