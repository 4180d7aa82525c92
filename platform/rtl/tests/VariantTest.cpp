#include "Variant.h"

#include <climits>
#include <functional>

#include "Currency.h"
#include "DateUtils.h"
#include "FormatSettings.h"
#include "gtest.h"

namespace {

// Runs f and answers the class name of what it raised ("" when nothing).
String Raised(const std::function<void()>& f, String* message = nullptr) {
  try {
    f();
  } catch (Exception& e) {
    if (message) *message = e.Message();
    return e.ClassName();
  }
  return "";
}

String Describe(const Variant& v) {
  try {
    return VarTypeAsText(v.VType()) + " " + VarToStr(v);
  } catch (Exception&) {
    return VarTypeAsText(v.VType());
  }
}

// Same value and same kind.
void ExpectSame(const Variant& actual, const Variant& expected, const String& what) {
  EXPECT_EQ(VarTypeAsText(actual.VType()), VarTypeAsText(expected.VType())) << what;
  if (actual.VType() == expected.VType()) {
    EXPECT_TRUE(actual == expected) << what << ": " << Describe(actual) << " instead of " << Describe(expected);
  }
}

}  // namespace

TEST(Variant, KindsOfConstructedValues) {
  struct Case {
    Variant v;
    TVarType type;
  } cases[] = {
      {Variant(), varEmpty},
      {Null(), varNull},
      {true, varBoolean},
      {int8_t(-1), varShortInt},
      {uint8_t(1), varByte},
      {int16_t(1), varSmallint},
      {uint16_t(1), varWord},
      {1, varInteger},
      {1u, varLongWord},
      {Int64(1), varInt64},
      {size_t(1), varInt64},
      {1.5f, varSingle},
      {1.5, varDouble},
      {Currency(1.5), varCurrency},
      {Variant::FromDate(1), varDate},
      {"abc", varString},
      {String("abc"), varString},
      {'x', varString},
      {u"abc", varOleStr},
      {Variant::FromObject(nullptr), varObject},
      {VarArrayOf({1, 2}), varArray | varVariant},
  };
  for (const auto& c : cases) EXPECT_EQ(VarType(c.v), c.type) << VarTypeAsText(c.type);
  EXPECT_TRUE(VarIsNull(Null()));
  EXPECT_TRUE(VarIsEmpty(Unassigned()));
  EXPECT_FALSE(VarIsEmpty(Null()));
  EXPECT_EQ(Variant(UINT64_MAX).VType(), varDouble);
}

TEST(Variant, TypeNames) {
  EXPECT_EQ(VarTypeAsText(varInteger), "Integer");
  EXPECT_EQ(VarTypeAsText(varString), "String");
  EXPECT_EQ(VarTypeAsText(varArray | varVariant), "Array Variant");
  EXPECT_EQ(VarTypeAsText(varByRef | varVariant), "ByRef Variant");
  EXPECT_EQ(VarTypeAsText(0x15), "$0015");
}

TEST(Variant, Conversions) {
  struct Case {
    Variant from;
    TVarType to;
    Variant expected;    // when no error
    const char* error;   // class name of the error, or nullptr
  } cases[] = {
      {"12", varInteger, 12, nullptr},
      {"1.5", varInteger, 2, nullptr},
      {"2.5", varInteger, 2, nullptr},   // half to even
      {2.5, varInteger, 2, nullptr},
      {3.5, varInteger, 4, nullptr},
      {-2.5, varInteger, -2, nullptr},
      {Currency(2.5), varInteger, 2, nullptr},
      {Currency(3.5), varInteger, 4, nullptr},
      {true, varInteger, -1, nullptr},
      {Variant(), varInteger, 0, nullptr},
      {Variant(), varString, "", nullptr},
      {Variant(), varBoolean, false, nullptr},
      {"abc", varInteger, {}, "EVariantTypeCastError"},
      {"", varInteger, {}, "EVariantTypeCastError"},
      {Null(), varInteger, {}, "EVariantTypeCastError"},
      {Null(), varString, {}, "EVariantTypeCastError"},
      {300, varByte, {}, "EVariantOverflowError"},
      {-1, varWord, {}, "EVariantOverflowError"},
      {1e10, varInteger, {}, "EVariantOverflowError"},
      {1e30, varInt64, {}, "EVariantOverflowError"},
      {1e300, varCurrency, {}, "EVariantOverflowError"},
      {1e300, varSingle, {}, "EVariantOverflowError"},
      {Int64(1) << 40, varInteger, {}, "EVariantOverflowError"},
      {Int64(1) << 40, varDouble, 1099511627776.0, nullptr},
      {"true", varBoolean, true, nullptr},
      {"FALSE", varBoolean, false, nullptr},
      {"0", varBoolean, false, nullptr},
      {"2", varBoolean, true, nullptr},
      {"yes", varBoolean, {}, "EVariantTypeCastError"},
      {true, varString, "True", nullptr},
      {false, varString, "False", nullptr},
      {-42, varString, "-42", nullptr},
      {0.1, varString, "0.1", nullptr},
      {1e20, varString, "1E20", nullptr},
      {0.000001, varString, "1E-6", nullptr},
      {0.1f, varString, "0.1", nullptr},   // a Single shows its own digits
      {Currency(1.5), varString, "1.5", nullptr},
      {Currency(-0.0001), varString, "-0.0001", nullptr},
      {12.345, varCurrency, Currency(12.345), nullptr},
      {0.00005, varCurrency, Currency::FromRaw(0), nullptr},   // half to even
      {"1.23456", varCurrency, Currency::FromRaw(12346), nullptr},
      {" 7 ", varDouble, 7.0, nullptr},
      {"1e3", varDouble, 1000.0, nullptr},
      {"0x10", varDouble, {}, "EVariantTypeCastError"},
      {"nan", varDouble, {}, "EVariantTypeCastError"},
      {u"中文", varString, "中文", nullptr},
      {"中文", varOleStr, u"中文", nullptr},
      {"2024-03-05", varDate, Variant::FromDate(EncodeDate(2024, 3, 5)), nullptr},
      {"2024-03-05 14:07", varDate, Variant::FromDate(EncodeDateTime(2024, 3, 5, 14, 7, 0, 0)), nullptr},
      {"someday", varDate, {}, "EVariantTypeCastError"},
      {Variant::FromDate(EncodeDate(2024, 3, 5)), varString, "2024-03-05", nullptr},
      {Variant::FromDate(EncodeDateTime(2024, 3, 5, 14, 7, 9, 0)), varString, "2024-03-05 14:07:09", nullptr},
      {Variant::FromDate(2.5), varDouble, 2.5, nullptr},
      {VarArrayOf({1}), varInteger, {}, "EVariantTypeCastError"},
      {1, varDispatch, {}, "EVariantTypeCastError"},
      {1, 0x0E, {}, "EVariantBadVarTypeError"},
  };
  for (const auto& c : cases) {
    String what = VarTypeAsText(c.from.VType()) + " -> " + VarTypeAsText(c.to);
    if (c.from.VType() == varString) what += " '" + c.from.AsString() + "'";
    if (c.error) {
      EXPECT_EQ(Raised([&] { c.from.AsType(c.to); }), c.error) << what;
    } else {
      try {
        ExpectSame(c.from.AsType(c.to), c.expected, what);
      } catch (Exception& e) {
        ADD_FAILURE() << what << ": " << e.Message();
      }
    }
  }
}

TEST(Variant, ConversionMessagesAndNullText) {
  String msg;
  EXPECT_EQ(Raised([] { Variant("abc").AsDouble(); }, &msg), "EVariantTypeCastError");
  EXPECT_EQ(msg, "Could not convert variant of type (String) into type (Double)");
  EXPECT_EQ(Raised([] { Null().AsInteger(); }, &msg), "EVariantTypeCastError");
  EXPECT_EQ(msg, "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(Raised([] { Variant(300).AsType(varByte); }, &msg), "EVariantOverflowError");
  EXPECT_EQ(msg, "Overflow while converting variant of type (Integer) into type (Byte)");
  EXPECT_TRUE(EVariantTypeCastError::StaticClass()->InheritsFrom(EVariantError::StaticClass()));
  EXPECT_EQ(VarToStr(Null()), "");
  EXPECT_EQ(VarToStrDef(Null(), "-"), "-");
  EXPECT_EQ(VarToStr(Variant()), "");
  EXPECT_EQ(VarToStr(12), "12");
}

TEST(Variant, ObjectReferencesKeepTheirFullWidth) {
  void* p = reinterpret_cast<void*>(uintptr_t(0x123456789ABC));
  Variant v = Variant::FromObject(p);
  EXPECT_EQ(v.AsObject(), p);
  EXPECT_EQ(Variant(v).AsObject(), p);
  EXPECT_EQ(v.AsInt64(), 0x123456789ABC);
  EXPECT_EQ(Raised([&] { v.AsInteger(); }), "EVariantOverflowError");
  EXPECT_EQ(Variant(0).AsObject(), nullptr);    // nil travels as integer 0
  EXPECT_EQ(Variant().AsObject(), nullptr);
  EXPECT_EQ(Variant(Int64(0x123456789ABC)).AsObject(), p);
  EXPECT_TRUE(v == Variant::FromObject(p));
  EXPECT_FALSE(v == Variant::FromObject(nullptr));
  EXPECT_EQ(Raised([] { Variant("x").AsObject(); }), "EVariantTypeCastError");
}

TEST(Variant, Comparisons) {
  // Expected: -1, 0, 1 for the order; 2 for a conversion error.
  struct Case {
    Variant a, b;
    int expected;
  } cases[] = {
      {1, 2, -1},
      {2.5, 2, 1},
      {Int64(1) << 40, INT32_MAX, 1},
      {uint8_t(200), int8_t(-1), 1},
      {Currency(1.5), 1.5, 0},
      {Currency(1.5), 2, -1},
      {Currency(1), Int64(1) << 62, -1},
      {"abc", "abd", -1},
      {"abc", "abc", 0},
      {"abc", u"abc", 0},
      {"李", "张", -1},   // Chinese collation: pinyin order
      {"王", "李", 1},
      {"1", 1, 0},
      {"10", 9, 1},
      {"abc", 5, 2},
      {5, "abc", 2},
      {Variant::FromDate(EncodeDate(2024, 3, 5)), "2024-03-05", 0},
      {"2024-03-06", Variant::FromDate(EncodeDate(2024, 3, 5)), 1},
      {Variant::FromDate(2), 1.5, 1},
      {true, false, 1},
      {true, "True", 0},
      {true, -1, 0},
      {Variant::FromObject(nullptr), 1, -1},   // nil (0) before 1
  };
  for (const auto& c : cases) {
    String what = Describe(c.a) + " vs " + Describe(c.b);
    try {
      bool lt = c.a < c.b, eq = c.a == c.b, gt = c.a > c.b;
      EXPECT_NE(c.expected, 2) << what << ": no error";
      EXPECT_EQ(lt, c.expected < 0) << what;
      EXPECT_EQ(eq, c.expected == 0) << what;
      EXPECT_EQ(gt, c.expected > 0) << what;
      EXPECT_EQ(c.a <= c.b, c.expected <= 0) << what;
      EXPECT_EQ(c.a != c.b, c.expected != 0) << what;
    } catch (EVariantTypeCastError&) {
      EXPECT_EQ(c.expected, 2) << what;
    }
  }
}

TEST(Variant, NullAndEmptyInComparisons) {
  // Null equals Null and nothing else; Empty equals Empty only.
  EXPECT_TRUE(Null() == Null());
  EXPECT_FALSE(Null() == 0);
  EXPECT_FALSE(Null() == "");
  EXPECT_FALSE(Null() == Unassigned());
  EXPECT_TRUE(Unassigned() == Unassigned());
  EXPECT_FALSE(Unassigned() == 0);
  EXPECT_TRUE(Null() != 5);
  // For ordering both sit before every value; no error is raised.
  EXPECT_TRUE(Null() < 0);
  EXPECT_TRUE(Unassigned() < "");
  EXPECT_TRUE(Variant(5) > Null());
  EXPECT_FALSE(Null() < Null());
  EXPECT_EQ(VarCompareValue(Null(), Null()), vrEqual);
  EXPECT_EQ(VarCompareValue(Unassigned(), Unassigned()), vrEqual);
  EXPECT_EQ(VarCompareValue(Null(), 1), vrNotEqual);
  EXPECT_EQ(VarCompareValue(Unassigned(), Null()), vrNotEqual);
  EXPECT_EQ(VarCompareValue(1, 2), vrLessThan);
  EXPECT_EQ(VarCompareValue("b", "a"), vrGreaterThan);
  EXPECT_FALSE(VarSameValue("abc", 5));
}

TEST(Variant, ArraysCompareByContentOnlyForEquality) {
  EXPECT_TRUE(VarArrayOf({1, "a"}) == VarArrayOf({1, "a"}));
  EXPECT_FALSE(VarArrayOf({1, "a"}) == VarArrayOf({1, "b"}));
  EXPECT_FALSE(VarArrayOf({1}) == VarArrayOf({1, 1}));
  EXPECT_FALSE(VarArrayOf({1}) == 1);
  EXPECT_EQ(Raised([] { (void)(VarArrayOf({1}) < VarArrayOf({2})); }), "EVariantInvalidOpError");
}

TEST(Variant, Arithmetic) {
  using F = std::function<Variant()>;
  struct Case {
    const char* what;
    F f;
    Variant expected;
    const char* error;
  } cases[] = {
      {"1+2", [] { return Variant(1) + 2; }, 3, nullptr},
      {"max+1 widens", [] { return Variant(INT32_MAX) + 1; }, Int64(INT32_MAX) + 1, nullptr},
      {"byte+byte", [] { return Variant(uint8_t(200)) + uint8_t(100); }, 300, nullptr},
      {"int64 overflow", [] { return Variant(INT64_MAX) + 1; }, 9223372036854775808.0, nullptr},
      {"int*double", [] { return Variant(2) * 1.25; }, 2.5, nullptr},
      {"single*single", [] { return Variant(1.5f) * 2.0f; }, 3.0f, nullptr},
      {"text+text", [] { return Variant("ab") + "cd"; }, "abcd", nullptr},
      {"ole+ole", [] { return Variant(u"ab") + u"cd"; }, u"abcd", nullptr},
      {"text+number", [] { return Variant("1") + 2; }, 3.0, nullptr},
      {"number-text", [] { return Variant(5) - "1.5"; }, 3.5, nullptr},
      {"bad text+number", [] { return Variant("a") + 1; }, {}, "EVariantTypeCastError"},
      {"null+1", [] { return Null() + 1; }, Null(), nullptr},
      {"1*null", [] { return Variant(1) * Null(); }, Null(), nullptr},
      {"empty+1", [] { return Unassigned() + 1; }, 1, nullptr},
      {"empty+text", [] { return Unassigned() + "x"; }, "x", nullptr},
      {"cur+int", [] { return Variant(Currency(1.5)) + 1; }, Currency(2.5), nullptr},
      {"cur*cur", [] { return Variant(Currency(1.5)) * Currency(1.5); }, Currency(2.25), nullptr},
      {"cur overflow", [] { return Variant::FromCurrencyRaw(INT64_MAX) + Currency(1); }, {}, "EVariantOverflowError"},
      {"date+1", [] { return Variant::FromDate(EncodeDate(2024, 2, 28)) + 1; },
       Variant::FromDate(EncodeDate(2024, 2, 29)), nullptr},
      {"date-date", [] { return Variant::FromDate(10) - Variant::FromDate(7.5); }, 2.5, nullptr},
      {"7/2", [] { return Variant(7) / 2; }, 3.5, nullptr},
      {"7 div 2", [] { return VarIntDiv(7, 2); }, 3, nullptr},
      {"-7 mod 3", [] { return Variant(-7) % 3; }, -1, nullptr},
      {"7.5 div 2", [] { return VarIntDiv(7.5, 2); }, 4, nullptr},   // 7.5 rounds to 8
      {"1 div 0", [] { return VarIntDiv(1, 0); }, {}, "EDivByZero"},
      {"1 mod 0", [] { return VarMod(1, 0); }, {}, "EDivByZero"},
      {"1/0", [] { return Variant(1) / 0; }, {}, "EZeroDivide"},
      {"0/0", [] { return Variant(0) / 0; }, {}, "EInvalidOp"},
      {"min div -1", [] { return VarIntDiv(INT64_MIN, -1); }, {}, "EIntOverflow"},
      {"true and false", [] { return Variant(true) & false; }, false, nullptr},
      {"true or false", [] { return Variant(true) | false; }, true, nullptr},
      {"true xor true", [] { return Variant(true) ^ true; }, false, nullptr},
      {"6 and 3", [] { return Variant(6) & 3; }, 2, nullptr},
      {"6 or 3", [] { return Variant(6) | 3; }, 7, nullptr},
      {"6 xor 3", [] { return Variant(6) ^ 3; }, 5, nullptr},
      {"not true", [] { return !Variant(true); }, false, nullptr},
      {"not 0", [] { return ~Variant(0); }, -1, nullptr},
      {"not null", [] { return !Null(); }, Null(), nullptr},
      {"neg 5", [] { return -Variant(5); }, -5, nullptr},
      {"neg null", [] { return -Null(); }, Null(), nullptr},
      {"neg cur", [] { return -Variant(Currency(1.5)); }, Currency(-1.5), nullptr},
      {"array+1", [] { return VarArrayOf({1}) + 1; }, {}, "EVariantInvalidOpError"},
      {"object+1", [] { return Variant::FromObject(nullptr) + 1; }, {}, "EVariantInvalidOpError"},
  };
  for (const auto& c : cases) {
    if (c.error) {
      EXPECT_EQ(Raised([&] { c.f(); }), c.error) << c.what;
    } else {
      try {
        ExpectSame(c.f(), c.expected, c.what);
      } catch (Exception& e) {
        ADD_FAILURE() << c.what << ": " << e.ClassName() << " " << e.Message();
      }
    }
  }
  Variant total = 0;
  for (int i = 1; i <= 4; ++i) total += i;
  EXPECT_EQ(total.AsInteger(), 10);
}

TEST(Variant, ArrayCreationAndBounds) {
  Variant a = VarArrayCreate({0, 4}, varInteger);
  EXPECT_EQ(VarType(a), varArray | varInteger);
  EXPECT_EQ(VarArrayDimCount(a), 1);
  EXPECT_EQ(VarArrayLowBound(a, 1), 0);
  EXPECT_EQ(VarArrayHighBound(a, 1), 4);
  ExpectSame(a.GetElement(3), 0, "typed elements start as zero");
  VarArrayPut(a, "12", {2});   // converted to the element kind
  ExpectSame(VarArrayGet(a, {2}), 12, "converted element");
  EXPECT_EQ(Raised([&] { a.PutElement(1, "x"); }), "EVariantTypeCastError");
  ExpectSame(a.GetElement(1), 0, "unchanged after a failed put");
  String msg;
  EXPECT_EQ(Raised([&] { a.GetElement(5); }, &msg), "EVariantBadIndexError");
  EXPECT_EQ(msg, "Variant or safe array index out of bounds");
  EXPECT_EQ(Raised([&] { a.GetElement(-1); }), "EVariantBadIndexError");
  EXPECT_EQ(Raised([&] { a.GetElement({1, 1}); }), "EVariantBadIndexError");
  EXPECT_EQ(Raised([&] { VarArrayHighBound(a, 2); }), "EVariantBadIndexError");
  EXPECT_EQ(Raised([] { Variant(1).GetElement(0); }, &msg), "EVariantNotAnArrayError");
  EXPECT_EQ(msg, "Variant is not an array");
  EXPECT_EQ(VarArrayDimCount(1), 0);

  // Bad bounds and element kinds are refused before anything is allocated.
  for (auto bounds : {std::vector<Integer>{}, std::vector<Integer>{0}, std::vector<Integer>{0, -2},
                      std::vector<Integer>{0, INT32_MAX}, std::vector<Integer>{INT32_MIN, INT32_MAX},
                      std::vector<Integer>{0, 100000, 0, 100000}})
    EXPECT_EQ(Raised([&] { VarArrayCreate(bounds, varVariant); }), "EVariantArrayCreateError");
  EXPECT_EQ(Raised([] { VarArrayCreate({0, 1}, varString); }), "EVariantArrayCreateError");
  EXPECT_EQ(Raised([] { VarArrayCreate({0, 1}, varNull); }), "EVariantArrayCreateError");

  Variant empty = VarArrayCreate({0, -1}, varVariant);
  EXPECT_EQ(VarArrayHighBound(empty, 1), -1);
  EXPECT_EQ(empty.ElementCount(), 0);
  EXPECT_EQ(VarArrayHighBound(VarArrayOf(std::vector<Variant>{}), 1), -1);

  Variant odd = VarArrayCreate({-2, 2}, varVariant);
  odd.PutElement(-2, "first");
  EXPECT_EQ(odd.GetElement(-2).AsString(), "first");
}

TEST(Variant, MultiDimensionalArraysAndRedim) {
  Variant m = VarArrayCreate({1, 2, 0, 3}, varVariant);
  EXPECT_EQ(VarArrayDimCount(m), 2);
  EXPECT_EQ(VarArrayLowBound(m, 2), 0);
  EXPECT_EQ(VarArrayHighBound(m, 2), 3);
  for (int i = 1; i <= 2; ++i)
    for (int j = 0; j <= 3; ++j) m.PutElement({i, j}, i * 10 + j);
  EXPECT_EQ(m.GetElement({2, 3}).AsInteger(), 23);
  EXPECT_EQ(m.GetElement({1, 0}).AsInteger(), 10);
  EXPECT_EQ(Raised([&] { m.GetElement({3, 0}); }), "EVariantBadIndexError");
  EXPECT_EQ(Raised([&] { m.GetElement(1); }), "EVariantBadIndexError");
  // Resizing the last dimension keeps the elements that still fit.
  m.Redim(1);
  EXPECT_EQ(VarArrayHighBound(m, 2), 1);
  EXPECT_EQ(m.GetElement({2, 1}).AsInteger(), 21);
  m.Redim(4);
  EXPECT_EQ(m.GetElement({2, 1}).AsInteger(), 21);
  EXPECT_TRUE(m.GetElement({2, 4}).IsEmpty());

  Variant list = VarArrayOf({"a", "b", "c", "d", "e"});
  VarArrayRedim(list, 2);
  EXPECT_EQ(list.ElementCount(), 3);
  EXPECT_EQ(list.GetElement(2).AsString(), "c");
  EXPECT_EQ(Raised([&] { list.Redim(-2); }), "EVariantBadIndexError");
}

TEST(Variant, ArraysCopyDeeplyAndNest) {
  Variant inner = VarArrayOf({true});
  Variant a = VarArrayOf({Null(), "ab", inner});
  Variant b = a;
  b.PutElement(1, "changed");
  EXPECT_EQ(a.GetElement(1).AsString(), "ab");
  const Variant& nested = a.GetElement(2);
  EXPECT_TRUE(nested.IsArray());
  EXPECT_EQ(nested.GetElement(0).VType(), varBoolean);
  // Putting an array into itself stores a copy of the array as it was.
  a.PutElement(0, a);
  EXPECT_TRUE(a.GetElement(0).GetElement(0).IsNull());
  Variant moved = std::move(a);
  EXPECT_TRUE(moved.IsArray());
}

TEST(Variant, ByReferenceFollowsItsTarget) {
  Variant target = 5;
  Variant ref = Variant::ByRef(target);
  EXPECT_EQ(VarType(ref), varByRef | varVariant);
  EXPECT_EQ(ref.Kind(), varInteger);
  EXPECT_EQ(ref.AsInteger(), 5);
  target = Null();
  EXPECT_TRUE(VarIsNull(ref));
  target = VarArrayOf({1, 2});
  EXPECT_TRUE(VarIsArray(ref));
  EXPECT_EQ(VarArrayHighBound(ref, 1), 1);
  target = 7;
  EXPECT_EQ((ref + 1).AsInteger(), 8);
  EXPECT_TRUE(ref == 7);
  ExpectSame(ref.AsType(varString), "7", "by-ref conversion");
}
