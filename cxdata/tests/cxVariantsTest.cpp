#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "Currency.h"
#include "Streams.h"
#include "cxVariants.h"
#include "gtest.h"

// Bytes allocated while a test counts them (what a reader reserves shows
// here even where it never touches the memory).
namespace {
std::atomic<bool> gCountAllocations{false};
std::atomic<size_t> gAllocated{0};
}  // namespace

void* operator new(size_t n) {
  if (gCountAllocations) gAllocated += n;
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

std::vector<Byte> Bytes(TMemoryStream& S) {
  const Byte* p = static_cast<const Byte*>(S.Memory());
  return std::vector<Byte>(p, p + S.Size());
}

std::vector<Byte> Written(const Variant& V) {
  TMemoryStream s;
  cxWriteVariant(&s, V);
  return Bytes(s);
}

Variant ReadBack(const std::vector<Byte>& Data) {
  TMemoryStream s;
  if (!Data.empty()) s.WriteBuffer(Data.data(), LongInt(Data.size()));
  s.SetPosition(0);
  Variant v = cxReadVariant(&s);
  EXPECT_EQ(s.Position(), s.Size()) << "every byte consumed";
  return v;
}

void ExpectReadError(const std::vector<Byte>& Data) {
  TMemoryStream s;
  if (!Data.empty()) s.WriteBuffer(Data.data(), LongInt(Data.size()));
  s.SetPosition(0);
  try {
    cxReadVariant(&s);
    ADD_FAILURE() << "no error";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
}

}  // namespace

TEST(cxVarCompare, OrderOfEmptyNullValuesAndArrays) {
  const Variant empty, null = Variant::Null();
  struct Case {
    Variant A, B;
    int Expected;
  } cases[] = {
      {empty, null, -1},
      {null, empty, 1},
      {empty, empty, 0},
      {null, null, 0},
      {null, Variant(0), -1},
      {Variant(5), null, 1},
      {Variant(1), Variant(2.5), -1},
      {Variant("b"), Variant("a"), 1},
      {Variant(3), Variant("3"), 0},
      // A conversion error orders as -1 whatever the order of the arguments.
      {Variant("abc"), Variant(5), -1},
      {Variant(5), Variant("abc"), -1},
      // Arrays: the difference of the high bounds, then element by element.
      {VarArrayOf({1, 2}), VarArrayOf({1, 2, 3}), -1},
      {VarArrayOf({1, 3}), VarArrayOf({1, 2}), 1},
      {VarArrayOf({1, VarArrayOf({2})}), VarArrayOf({1, VarArrayOf({2})}), 0},
      {VarArrayOf({1}), null, 1},
      {empty, VarArrayOf({1}), -1},
      {Variant(7), VarArrayOf({}), -1},
  };
  for (const Case& c : cases) {
    int r = cxVarCompare(c.A, c.B);
    EXPECT_EQ(r < 0 ? -1 : (r > 0 ? 1 : 0), c.Expected)
        << VarTypeAsText(c.A.VType()) << " vs " << VarTypeAsText(c.B.VType());
  }
  // The high-bound difference itself is the result, not just its sign.
  EXPECT_EQ(cxVarCompare(VarArrayOf({1, 2, 3, 4}), VarArrayOf({1})), 3);
  EXPECT_TRUE(cxVarEquals(Variant(2), Variant(2.0)));
}

TEST(cxVarEqualsStrict, BooleansCompareThroughTheirText) {
  EXPECT_TRUE(cxVarEqualsStrict(Variant(true), Variant(Variant(true).AsString())));
  EXPECT_FALSE(cxVarEqualsStrict(Variant(true), Variant::Null()));
  EXPECT_TRUE(cxVarEqualsStrict(Variant::Null(), Variant::Null()));
  EXPECT_FALSE(cxVarEqualsStrict(Variant(true), Variant("x")));
  EXPECT_TRUE(cxVarEqualsStrict(Variant(1), Variant(1.0)));
}

TEST(cxVariants, KindTests) {
  EXPECT_TRUE(cxVarIsNullOrEmptyText(Variant::Null()));
  EXPECT_TRUE(cxVarIsNullOrEmptyText(Variant(String())));
  EXPECT_TRUE(cxVarIsNullOrEmptyText(Variant(std::u16string())));
  EXPECT_FALSE(cxVarIsNullOrEmptyText(Variant()));
  EXPECT_FALSE(cxVarIsNullOrEmptyText(Variant(" ")));
  EXPECT_FALSE(cxVarIsNullOrEmptyText(Variant(0)));

  EXPECT_TRUE(cxVarHoldsNumber(Variant(true)));
  EXPECT_TRUE(cxVarHoldsNumber(Variant(Currency(3))));
  EXPECT_TRUE(cxVarHoldsNumber(Variant(uint8_t(3))));
  EXPECT_FALSE(cxVarHoldsNumber(Variant::FromDate(3)));
  EXPECT_FALSE(cxVarHoldsNumber(Variant("3")));
  EXPECT_TRUE(cxVarHoldsDate(Variant::FromDate(3)));
  Variant target = Variant::FromDate(1);
  EXPECT_TRUE(cxVarHoldsDate(Variant::ByRef(target)));
  EXPECT_TRUE(cxVarTypeHoldsCurrency(varCurrency));
  EXPECT_FALSE(cxVarTypeHoldsCurrency(varDouble));
}

TEST(cxVariants, ArrayBuilders) {
  Variant pair = cxVarMakePair(1, "x");
  ASSERT_TRUE(pair.IsArray());
  EXPECT_EQ(pair.LowBound(1), 0);
  EXPECT_EQ(pair.HighBound(1), 1);
  EXPECT_EQ(pair.ElementType(), varVariant);
  EXPECT_EQ(pair.GetElement(1).AsString(), "x");
  Variant list = cxVarMakeList(7);
  cxVarListAppend(list, 8);
  cxVarListAppend(list, Variant::Null());
  ASSERT_EQ(list.HighBound(1), 2);
  EXPECT_EQ(list.GetElement(0).AsInteger(), 7);
  EXPECT_EQ(list.GetElement(1).AsInteger(), 8);
  EXPECT_TRUE(list.GetElement(2).IsNull());
}

TEST(cxVariantStream, IntegersTakeTheSmallestTag) {
  using B = std::vector<Byte>;
  EXPECT_EQ(Written(127), (B{0x02, 0x7F}));
  EXPECT_EQ(Written(-128), (B{0x02, 0x80}));
  EXPECT_EQ(Written(-129), (B{0x03, 0x7F, 0xFF}));
  EXPECT_EQ(Written(40000), (B{0x04, 0x40, 0x9C, 0x00, 0x00}));
  EXPECT_EQ(Written(2147483648LL), (B{19, 0, 0, 0, 0x80, 0, 0, 0, 0}));
  // Values come back in the smallest signed kind that holds them.
  Variant v = ReadBack(Written(uint8_t(200)));
  EXPECT_EQ(v.VType(), varSmallint);
  EXPECT_EQ(v.AsInteger(), 200);
  v = ReadBack(Written(uint32_t(3000000000u)));
  EXPECT_EQ(v.VType(), varInt64);
  EXPECT_EQ(v.AsInt64(), 3000000000LL);
  EXPECT_EQ(ReadBack(Written(int8_t(-5))).VType(), varShortInt);
}

TEST(cxVariantStream, ScalarKindsRoundTrip) {
  const double values[] = {0.1, -1e300, 5e-324, 1.0 / 3};
  for (double d : values) {
    std::vector<Byte> b = Written(d);
    ASSERT_EQ(b.size(), 11u);
    EXPECT_EQ(b[0], 5);
    Variant r = ReadBack(b);
    EXPECT_EQ(r.VType(), varDouble);
    EXPECT_EQ(r.AsDouble(), d);
  }
  // 1.0 as 80-bit extended: mantissa 0x8000000000000000, exponent 0x3FFF.
  EXPECT_EQ(Written(1.0), (std::vector<Byte>{5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));

  Variant single = ReadBack(Written(1.5f));
  EXPECT_EQ(single.VType(), varSingle);
  EXPECT_EQ(single.AsDouble(), 1.5);
  Variant cur = ReadBack(Written(Variant::FromCurrencyRaw(-12345)));
  EXPECT_EQ(cur.VType(), varCurrency);
  EXPECT_EQ(cur.AsCurrencyRaw(), -12345);
  Variant date = ReadBack(Written(Variant::FromDate(45000.25)));
  EXPECT_EQ(date.VType(), varDate);
  EXPECT_EQ(date.AsDateTime(), 45000.25);
  EXPECT_EQ(Written(true), std::vector<Byte>{9});
  EXPECT_EQ(Written(false), std::vector<Byte>{8});
  EXPECT_EQ(Written(Variant()), std::vector<Byte>{13});
  EXPECT_EQ(Written(Variant::Null()), std::vector<Byte>{0});
  EXPECT_TRUE(ReadBack({13}).IsEmpty());
  EXPECT_TRUE(ReadBack({0}).IsNull());
  Variant wide = ReadBack(Written(Variant(u"ab\u4E2D")));
  EXPECT_EQ(wide.VType(), varOleStr);
  EXPECT_EQ(wide.AsWideString(), u"ab\u4E2D");
  EXPECT_EQ(Written(Variant(u"a")), (std::vector<Byte>{18, 1, 0, 0, 0, 'a', 0}));
}

TEST(cxVariantStream, StringsUseCodePage936AndTheirLengthTag) {
  std::vector<Byte> b = Written(String(255, 'x'));
  EXPECT_EQ(b[0], 6);
  EXPECT_EQ(b[1], 255);
  EXPECT_EQ(b.size(), 257u);
  b = Written(String(256, 'x'));
  EXPECT_EQ((std::vector<Byte>(b.begin(), b.begin() + 5)), (std::vector<Byte>{12, 0x00, 0x01, 0x00, 0x00}));
  EXPECT_EQ(ReadBack(b).AsString(), String(256, 'x'));
  // 中 is D6 D0 in code page 936.
  EXPECT_EQ(Written("\xE4\xB8\xAD"), (std::vector<Byte>{6, 2, 0xD6, 0xD0}));
  Variant s = ReadBack({6, 2, 0xD6, 0xD0});
  EXPECT_EQ(s.VType(), varString);
  EXPECT_EQ(s.AsString(), "\xE4\xB8\xAD");
}

TEST(cxVariantStream, NestedArraysKeepTheirShape) {
  Variant v = VarArrayOf({Variant::Null(), "ab", VarArrayOf({true})});
  const std::vector<Byte> expected{0x01, 0x02, 0x03, 0x00, 0x06, 0x02, 0x61, 0x62, 0x01, 0x02, 0x01, 0x09};
  EXPECT_EQ(Written(v), expected);
  Variant r = ReadBack(expected);
  ASSERT_TRUE(r.IsArray());
  ASSERT_EQ(r.HighBound(1), 2);
  EXPECT_TRUE(r.GetElement(0).IsNull());
  EXPECT_EQ(r.GetElement(1).VType(), varString);
  EXPECT_EQ(r.GetElement(1).AsString(), "ab");
  const Variant& inner = r.GetElement(2);
  ASSERT_TRUE(inner.IsArray());
  EXPECT_EQ(inner.HighBound(1), 0);
  EXPECT_EQ(inner.GetElement(0).VType(), varBoolean);
  EXPECT_TRUE(inner.GetElement(0).AsBoolean());

  EXPECT_EQ(Written(VarArrayOf({})), (std::vector<Byte>{1, 2, 0}));
  Variant empty = ReadBack({1, 2, 0});
  ASSERT_TRUE(empty.IsArray());
  EXPECT_EQ(empty.HighBound(1), -1);
  // A count written with the 8-byte form uses its low 32 bits.
  Variant wide = ReadBack({1, 19, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 2, 9});
  EXPECT_EQ(wide.HighBound(1), 0);
}

TEST(cxVariantStream, DamagedStreamsRaiseReadErrors) {
  for (Byte tag : {7, 10, 11, 14, 20, 255}) ExpectReadError({tag});
  ExpectReadError({});                         // nothing at all
  ExpectReadError({4, 1, 2});                  // truncated integer
  ExpectReadError({6, 5, 'a', 'b'});           // string shorter than its length
  ExpectReadError({12, 0xFF, 0xFF, 0xFF, 0x7F});   // 2 GB string in a 5-byte stream
  ExpectReadError({12, 0xFF, 0xFF, 0xFF, 0xFF});   // negative length
  ExpectReadError({18, 0x00, 0x00, 0x00, 0x40});   // huge wide string
  ExpectReadError({1, 4, 0xFF, 0xFF, 0xFF, 0x7F, 2, 1});   // list count beyond the stream
  ExpectReadError({1, 3, 0xFF, 0xFF});         // negative list count
  ExpectReadError({1, 2, 2, 2, 1, 7});         // bad tag inside a list
  // Nesting deeper than any operand has is refused instead of recursing on.
  std::vector<Byte> deep;
  for (int i = 0; i < 100000; ++i) deep.insert(deep.end(), {1, 2, 1});
  deep.push_back(13);
  ExpectReadError(deep);
}

TEST(cxVariantStream, ReservesNoMoreThanTheStreamCanHold) {
  // 256 nested arrays, each claiming 60000 elements, and then 70 KB: each
  // count alone fits in what is left, all of them together do not.
  std::vector<Byte> hostile;
  for (int i = 0; i < 256; ++i) hostile.insert(hostile.end(), {1, 4, 0x60, 0xEA, 0, 0});
  hostile.resize(hostile.size() + 70000, 13);
  gAllocated = 0;
  gCountAllocations = true;
  ExpectReadError(hostile);
  gCountAllocations = false;
  EXPECT_LT(gAllocated.load(), hostile.size() * (sizeof(Variant) + 16) + (1u << 20));
  // Arrays whose counts together fit read as ever.
  std::vector<Byte> fits{1, 2, 3};
  for (int i = 0; i < 2; ++i) fits.insert(fits.end(), {1, 2, 2, 13, 13});
  fits.push_back(0);
  Variant r = ReadBack(fits);
  ASSERT_EQ(r.HighBound(1), 2);
  EXPECT_EQ(r.GetElement(1).HighBound(1), 1);
  EXPECT_TRUE(r.GetElement(2).IsNull());
}

TEST(cxVariantStream, UnwritableValuesRaiseWriteErrors) {
  TMemoryStream s;
  Variant matrix = VarArrayCreate({0, 1, 0, 1}, varVariant);
  try {
    cxWriteVariant(&s, matrix);
    ADD_FAILURE() << "a two-dimensional array was written";
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), "Stream write error");
  }
}

TEST(cxStreamAccess, TypedValuesAreLittleEndian) {
  TMemoryStream s;
  cxWriteSmallInt(&s, -2);
  cxWriteWord(&s, 0x1234);
  cxWriteInteger(&s, 0x01020304);
  cxWriteLargeInt(&s, -1);
  cxWriteBoolean(&s, true);
  cxWriteAnsiString(&s, "ab");
  cxWriteWideString(&s, u"z");
  const std::vector<Byte> expected{0xFE, 0xFF, 0x34, 0x12, 4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                   0xFF, 0xFF, 0xFF, 1, 2, 0, 0, 0, 'a', 'b', 1, 0, 0, 0, 'z', 0};
  EXPECT_EQ(Bytes(s), expected);
  s.SetPosition(0);
  EXPECT_EQ(cxReadSmallInt(&s), -2);
  EXPECT_EQ(cxReadWord(&s), 0x1234);
  Integer i;
  cxReadInteger(&s, i);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(cxReadLargeInt(&s), -1);
  EXPECT_TRUE(cxReadBoolean(&s));
  EXPECT_EQ(cxReadAnsiString(&s), "ab");
  EXPECT_EQ(cxReadWideString(&s), u"z");
  EXPECT_THROW(cxReadByte(&s), EReadError);
  // Any non-zero byte reads as true.
  TMemoryStream t;
  cxWriteByte(&t, 7);
  t.SetPosition(0);
  EXPECT_TRUE(cxReadBoolean(&t));
}
