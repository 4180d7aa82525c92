#include "Currency.h"
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>
#include "gtest.h"

TEST(Currency, FromDoubleRoundsHalfToEven) {
  struct Case {
    double value;
    Int64 raw;
  };
  const Case cases[] = {
      {1.5, 15000},        {0.12345, 1234},   {0.12355, 1236},     {-0.12345, -1234},
      {0.00005, 0},        {0.00015, 2},      {0.03125, 312},      {2.71828, 27183},
      {1e-10, 0},          {-0.0, 0},         {922337203685477.5, 9223372036854775000},
      {1234.5678, 12345678},
  };
  for (const Case& c : cases) EXPECT_EQ(Currency(c.value).Raw(), c.raw) << c.value;
  EXPECT_THROW(Currency(1e300), EInvalidOp);
  EXPECT_THROW(Currency(std::numeric_limits<double>::quiet_NaN()), EInvalidOp);
  EXPECT_THROW(Currency(std::numeric_limits<double>::infinity()), EInvalidOp);
}

// Values of four decimals or fewer take a shortcut; every value must still
// convert as its shortest decimal text does.
TEST(Currency, FromDoubleAgreesWithItsShortestText) {
  auto byText = [](double x) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x);
    Currency c;
    EXPECT_TRUE(CurrencyFromDecimalText(std::string_view(buf, size_t(res.ptr - buf)), '.', c)) << x;
    return c.Raw();
  };
  std::vector<double> values;
  for (Int64 k = -30000; k <= 30000; k += 7) values.push_back(double(k) / 10000.0);
  for (double v : {0.1, 0.7, 1.1, 19.99, 1234.5678, 8589934591.9999, 8589934592.0, 4.5e11 + 0.0001, 9e14, -0.0})
    values.push_back(v);
  uint64_t seed = 12345;
  for (int i = 0; i < 20000; ++i) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    const double base = double(Int64(seed >> 20) % 2000000000) / 10000.0;   // four decimals
    values.push_back(base);
    values.push_back(std::nextafter(base, 1e300));   // just off them
    values.push_back(std::nextafter(base, -1e300));
    values.push_back(base / 3);
  }
  for (double x : values) ASSERT_EQ(Currency(x).Raw(), byText(x)) << x;
}

TEST(Currency, ConversionsAndComparison) {
  EXPECT_EQ(Currency(7).Raw(), 70000);
  EXPECT_EQ(Currency::FromRaw(12345).ToDouble(), 1.2345);
  EXPECT_EQ(Currency::FromRaw(25000).ToInt64(), 2);     // 2.5 -> 2
  EXPECT_EQ(Currency::FromRaw(35000).ToInt64(), 4);     // 3.5 -> 4
  EXPECT_EQ(Currency::FromRaw(-25001).ToInt64(), -3);
  EXPECT_EQ(Currency::FromRaw(-25001).Trunc(), -2);
  EXPECT_TRUE(Currency(1.5) < 2);
  EXPECT_TRUE(Currency(2) == 2.0);
  EXPECT_TRUE(3 > Currency(2.9999));
  EXPECT_THROW(Currency(INT64_MAX), EInvalidOp);
}

TEST(Currency, ArithmeticRoundsHalfToEven) {
  EXPECT_EQ((Currency(1.25) + Currency(2.5)).Raw(), 37500);
  EXPECT_EQ((Currency(1.25) - Currency(2.5)).Raw(), -12500);
  EXPECT_EQ((Currency(19.99) * 3).Raw(), 599700);
  // 0.0005 * 0.5 = 0.00025 -> 0.0002 ; 0.0015 * 0.5 = 0.00075 -> 0.0008
  EXPECT_EQ((Currency(0.0005) * Currency(0.5)).Raw(), 2);
  EXPECT_EQ((Currency(0.0015) * Currency(0.5)).Raw(), 8);
  EXPECT_EQ((Currency(-0.0005) * Currency(0.5)).Raw(), -2);
  EXPECT_EQ((Currency(10) / 3).Raw(), 33333);
  EXPECT_EQ((Currency(-10) / 3).Raw(), -33333);
  EXPECT_EQ((Currency(20) / -3).Raw(), -66667);
  EXPECT_EQ((Currency(0.0001) / 2).Raw(), 0);       // 0.00005 -> 0
  EXPECT_EQ((Currency(0.0003) / 2).Raw(), 2);       // 0.00015 -> 0.0002
  // Large products are exact (no intermediate overflow).
  EXPECT_EQ((Currency(900000000000.0) * Currency(0.5)).Raw(), 4500000000000000);
  EXPECT_THROW(Currency(1) / Currency(), EZeroDivide);
  EXPECT_THROW(Currency::FromRaw(INT64_MAX) + Currency::FromRaw(1), EInvalidOp);
  EXPECT_THROW(Currency(900000000000.0) * Currency(900000000000.0), EInvalidOp);
  EXPECT_THROW(-Currency::FromRaw(INT64_MIN), EInvalidOp);
  Currency c = 5;
  c += 1.5;
  c -= 0.5;
  c *= 2;
  c /= 4;
  EXPECT_EQ(c.Raw(), 30000);
}

TEST(Currency, DecimalText) {
  Currency c;
  EXPECT_TRUE(CurrencyFromDecimalText("-12.34565", '.', c));
  EXPECT_EQ(c.Raw(), -123456);
  EXPECT_TRUE(CurrencyFromDecimalText("1.5e3", '.', c));
  EXPECT_EQ(c.Raw(), 15000000);
  EXPECT_TRUE(CurrencyFromDecimalText("0.000050000000000000000000000000000000000000000000000000000000000000001", '.', c));
  EXPECT_EQ(c.Raw(), 1);
  EXPECT_TRUE(CurrencyFromDecimalText("922337203685477.5807", '.', c));
  EXPECT_FALSE(CurrencyFromDecimalText("922337203685477.5808", '.', c));
  EXPECT_FALSE(CurrencyFromDecimalText("1e99999999999", '.', c));
  EXPECT_TRUE(CurrencyFromDecimalText("1e-99999999999", '.', c));
  EXPECT_EQ(c.Raw(), 0);
  for (const char* bad : {"", "-", ".", "1.2.3", "1e", "1x", " 1"}) EXPECT_FALSE(CurrencyFromDecimalText(bad, '.', c)) << bad;
}
