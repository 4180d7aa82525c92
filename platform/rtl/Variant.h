// Variant: a value of one of the class library's Variant kinds, with Null
// and Unassigned (Empty), variant arrays, and the class library's rules for
// conversion, comparison and arithmetic.
//
// Rules in short:
// - Conversions: Empty converts to 0, "" or False; Null raises a conversion
//   error except in VarToStr (which gives ""). Texts convert to numbers,
//   dates and Booleans by parsing ("True"/"False" or a number for
//   Booleans); a text that does not parse raises EVariantTypeCastError
//   "Could not convert variant of type (String) into type (Double)".
//   Floating values convert to integers by rounding half to even; a value
//   out of the target's range raises EVariantOverflowError. True is -1 as a
//   number and "True" as a text.
// - Equality (==): Null equals Null and nothing else; Empty equals Empty
//   only. Ordering (<, >, ...): Empty and Null sort before every value.
//   Numbers compare numerically, texts with each other by collation, a text
//   against a number or date is converted to it first (a conversion error
//   when that fails). Arrays compare only for identity of content (==).
// - Arithmetic: Null in any operation gives Null; Empty acts as 0 (or ""
//   next to a text). Integer results are Integer unless an operand is Int64
//   or the result needs 64 bits (beyond Int64 they continue as Double);
//   Single/Double give Double (Single for two Singles), Currency stays Currency
//   next to integers, a date plus a number is a date, two dates subtract to
//   a Double. "+" of two texts concatenates; a text next to a number is
//   converted to a number first. "/" always gives Double; div and mod work
//   on integers; and/or/xor/not work on Booleans or bitwise on integers.
//   Division by zero raises EDivByZero (div, mod) or EZeroDivide (/).
#pragma once
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "System.h"

class Currency;

// Type codes (the low 12 bits of the type word); varArray and varByRef are flags.
enum : Word {
  varEmpty = 0x0000,
  varNull = 0x0001,
  varSmallint = 0x0002,
  varInteger = 0x0003,
  varSingle = 0x0004,
  varDouble = 0x0005,
  varCurrency = 0x0006,
  varDate = 0x0007,
  varOleStr = 0x0008,
  varDispatch = 0x0009,
  varError = 0x000A,
  varBoolean = 0x000B,
  varVariant = 0x000C,
  varUnknown = 0x000D,
  varShortInt = 0x0010,
  varByte = 0x0011,
  varWord = 0x0012,
  varLongWord = 0x0013,
  varInt64 = 0x0014,
  varStrArg = 0x0048,
  // An object reference, kept at full pointer width. Converts to and from
  // the integer kinds (nil is 0) and compares as that integer.
  varObject = 0x0049,
  varString = 0x0100,
  varAny = 0x0101,
  varTypeMask = 0x0FFF,
  varArray = 0x2000,
  varByRef = 0x4000,
};
using TVarType = Word;

// Errors. All derive from EVariantError; the type-cast error is the one
// that comparison helpers treat as "values not comparable".
TOVANI_EXCEPTION(EVariantTypeCastError, EVariantError)    // "Could not convert variant of type (%s) into type (%s)"
TOVANI_EXCEPTION(EVariantOverflowError, EVariantError)    // "Overflow while converting variant of type (%s) into type (%s)"
TOVANI_EXCEPTION(EVariantInvalidOpError, EVariantError)   // "Invalid variant operation"
TOVANI_EXCEPTION(EVariantBadIndexError, EVariantError)    // "Variant or safe array index out of bounds"
TOVANI_EXCEPTION(EVariantNotAnArrayError, EVariantError)  // "Variant is not an array"
TOVANI_EXCEPTION(EVariantArrayCreateError, EVariantError) // "Error creating variant or safe array"
TOVANI_EXCEPTION(EVariantBadVarTypeError, EVariantError)  // "Invalid variant type"

struct TVarArrayBound {
  Integer LowBound = 0;
  Integer ElementCount = 0;
};

enum TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

class Variant {
 public:
  Variant() noexcept {}   // Empty
  // Copying, moving and destroying a Variant that owns nothing (every kind
  // but texts and arrays) is a plain copy of its two words, done inline: a
  // running script copies values all the time.
  Variant(const Variant& other) {
    if (other.OwnsData()) CopyFrom(other);
    else {
      FType = other.FType;
      FData = other.FData;
    }
  }
  Variant(Variant&& other) noexcept : FType(other.FType), FData(other.FData) {
    other.FType = varEmpty;
    other.FData.Int = 0;
  }
  Variant& operator=(const Variant& other) {
    if (!OwnsData() && !other.OwnsData()) {
      FType = other.FType;
      FData = other.FData;
      return *this;
    }
    return AssignOwned(other);
  }
  Variant& operator=(Variant&& other) noexcept {
    if (this != &other) {
      if (OwnsData()) Release();
      FType = other.FType;
      FData = other.FData;
      other.FType = varEmpty;
      other.FData.Int = 0;
    }
    return *this;
  }
  ~Variant() {
    if (OwnsData()) Release();
  }

  // Implicit construction from the C++ types, each to its natural kind.
  Variant(bool v) : FType(varBoolean) { FData.Bool = v; }
  Variant(int8_t v) : FType(varShortInt) { FData.Int = v; }
  Variant(uint8_t v) : FType(varByte) { FData.Int = v; }
  Variant(int16_t v) : FType(varSmallint) { FData.Int = v; }
  Variant(uint16_t v) : FType(varWord) { FData.Int = v; }
  Variant(int32_t v) : FType(varInteger) { FData.Int = v; }
  Variant(uint32_t v) : FType(varLongWord) { FData.Int = v; }
  Variant(long v) : FType(varInt64) { FData.Int = v; }
  Variant(long long v) : FType(varInt64) { FData.Int = v; }
  // Unsigned 64-bit values above the Int64 range become Double.
  Variant(unsigned long v);
  Variant(unsigned long long v);
  Variant(float v) : FType(varSingle) { FData.Sgl = v; }
  Variant(double v) : FType(varDouble) { FData.Dbl = v; }
  Variant(const Currency& v);
  Variant(const String& v);
  Variant(String&& v);
  Variant(const char* v);
  Variant(char v);   // a one-character text
  Variant(const std::u16string& v);   // varOleStr
  Variant(const char16_t* v);
  Variant(std::nullptr_t) = delete;   // say Null() or Unassigned()
  // Pointers would otherwise turn into Booleans; objects go through FromObject.
  template <class T> Variant(const T*) = delete;

  static Variant Null() {
    Variant r;
    r.FType = varNull;
    return r;
  }
  static Variant Empty() { return Variant(); }
  static Variant FromDate(TDateTime v);
  static Variant FromCurrencyRaw(Int64 scaled);   // value * 10000
  static Variant FromObject(const void* obj);
  // A reference to another Variant: reads follow it; the referenced Variant
  // must outlive this one.
  static Variant ByRef(Variant& target);

  // Type word (with array/by-reference flags), as VarType answers it.
  TVarType VType() const { return FType; }
  // Kind with the by-reference Variant followed and flags removed.
  TVarType Kind() const { return Deref().FType & varTypeMask; }
  bool IsEmpty() const { return Deref().FType == varEmpty; }
  bool IsNull() const { return Deref().FType == varNull; }
  bool IsArray() const { return (Deref().FType & varArray) != 0; }
  bool IsByRef() const { return (FType & varByRef) != 0; }
  // The value behind a by-reference Variant (itself otherwise).
  const Variant& Deref() const { return (FType & varByRef) ? *FData.Ref : *this; }

  // Conversions (see the rules above). They raise EVariantTypeCastError or
  // EVariantOverflowError when the value does not convert.
  // The common kinds answer inline; the rest go through the general rules.
  bool AsBoolean() const { return FType == varBoolean ? FData.Bool : ConvertToBoolean(); }
  Integer AsInteger() const { return FType == varInteger ? Integer(FData.Int) : ConvertToInteger(); }
  Int64 AsInt64() const { return FType == varInteger || FType == varInt64 ? FData.Int : ConvertToInt64(); }
  double AsDouble() const { return FType == varDouble ? FData.Dbl : ConvertToDouble(); }
  TDateTime AsDateTime() const;
  Int64 AsCurrencyRaw() const;   // value * 10000, rounded half to even
  Currency AsCurrency() const;
  String AsString() const;       // Null raises; use VarToStr for ""
  std::u16string AsWideString() const;
  // The object reference of varObject, or of an integer kind (0 is nil).
  void* AsObject() const;
  template <class T> T* AsObjectOf() const { return static_cast<T*>(AsObject()); }

  // Converted to another kind (VarAsType).
  Variant AsType(TVarType type) const;

  // Array access. Indexes are checked against the bounds (EVariantBadIndexError);
  // a non-array raises EVariantNotAnArrayError. Elements put into an array of a
  // typed element kind are converted to that kind.
  Integer DimCount() const;
  Integer LowBound(Integer dim = 1) const;
  Integer HighBound(Integer dim = 1) const;
  TVarType ElementType() const;
  Integer ElementCount() const;   // of all dimensions together
  const Variant& GetElement(Integer index) const;
  const Variant& GetElement(std::initializer_list<Integer> indexes) const;
  const Variant& GetElement(const std::vector<Integer>& indexes) const;
  void PutElement(Integer index, const Variant& value);
  void PutElement(std::initializer_list<Integer> indexes, const Variant& value);
  void PutElement(const std::vector<Integer>& indexes, const Variant& value);
  // Changes the high bound of the last dimension, keeping the elements that fit.
  void Redim(Integer highBound);

  // Comparison. Equality raises nothing but a conversion error between
  // incomparable kinds; ordering raises the same.
  friend bool operator==(const Variant& a, const Variant& b);
  friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
  friend bool operator<(const Variant& a, const Variant& b);
  friend bool operator>(const Variant& a, const Variant& b) { return b < a; }
  friend bool operator<=(const Variant& a, const Variant& b);
  friend bool operator>=(const Variant& a, const Variant& b) { return b <= a; }

  // Arithmetic and logic.
  friend Variant operator+(const Variant& a, const Variant& b);
  friend Variant operator-(const Variant& a, const Variant& b);
  friend Variant operator*(const Variant& a, const Variant& b);
  friend Variant operator/(const Variant& a, const Variant& b);
  friend Variant operator%(const Variant& a, const Variant& b);   // mod
  friend Variant operator&(const Variant& a, const Variant& b);   // and
  friend Variant operator|(const Variant& a, const Variant& b);   // or
  friend Variant operator^(const Variant& a, const Variant& b);   // xor
  friend Variant operator-(const Variant& a);                      // negation
  friend Variant operator!(const Variant& a);                      // not
  friend Variant operator~(const Variant& a);                      // not
  Variant& operator+=(const Variant& b) { return *this = *this + b; }
  Variant& operator-=(const Variant& b) { return *this = *this - b; }
  Variant& operator*=(const Variant& b) { return *this = *this * b; }
  Variant& operator/=(const Variant& b) { return *this = *this / b; }

  // Storage of a variant array; opaque outside Variant.cpp.
  struct ArrayData;

 private:
  friend struct VariantAccess;

  // Texts and arrays own heap storage; every other kind is its two words.
  bool OwnsData() const { return (FType & varArray) != 0 || FType == varString || FType == varOleStr; }
  // Frees the owned storage (OwnsData() is true) and leaves Empty.
  void Release() noexcept;
  void Clear() noexcept {
    if (OwnsData()) Release();
    FType = varEmpty;
    FData.Int = 0;
  }
  void CopyFrom(const Variant& other);
  Variant& AssignOwned(const Variant& other);
  bool ConvertToBoolean() const;
  Integer ConvertToInteger() const;
  Int64 ConvertToInt64() const;
  double ConvertToDouble() const;
  const Variant& ElementAt(const Integer* indexes, size_t count) const;
  Variant& ElementAt(const Integer* indexes, size_t count);

  TVarType FType = varEmpty;
  union Data {
    Int64 Int;       // integer kinds, Currency (scaled), Boolean not used
    double Dbl;      // Double, Date
    float Sgl;
    bool Bool;
    void* Ptr;       // varObject
    Variant* Ref;    // by-reference Variant
    ArrayData* Arr;  // varArray (owned)
    String* Str;     // varString (owned)
    std::u16string* WStr;  // varOleStr (owned)
  } FData{0};
};

// The empty and Null Variants.
inline Variant Unassigned() { return Variant(); }
inline Variant Null() { return Variant::Null(); }

// Free-function forms, as the class library names them.
inline TVarType VarType(const Variant& v) { return v.VType(); }
inline bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
inline bool VarIsNull(const Variant& v) { return v.IsNull(); }
inline bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsClear(const Variant& v);   // Empty
bool VarIsOrdinal(const Variant& v);
bool VarIsFloat(const Variant& v);
bool VarIsNumeric(const Variant& v);   // ordinal or float kinds
bool VarIsStr(const Variant& v);
bool VarIsType(const Variant& v, TVarType type);
// Text of a Variant; Null gives "".
String VarToStr(const Variant& v);
String VarToStrDef(const Variant& v, const String& def);   // def for Null
TDateTime VarToDateTime(const Variant& v);
Variant VarAsType(const Variant& v, TVarType type);
Variant VarFromDateTime(TDateTime v);
// "Integer", "String", "Array Variant", "ByRef Integer", ...
String VarTypeAsText(TVarType type);
// Equal, less, greater; vrNotEqual when exactly one side is Empty or Null.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);
// Bool-returning tests that never raise: a conversion error is "not equal".
bool VarSameValue(const Variant& a, const Variant& b);

// Integer division and modulo (the class library's div and mod).
Variant VarIntDiv(const Variant& a, const Variant& b);
Variant VarMod(const Variant& a, const Variant& b);

// Arrays. Bounds come as pairs of low and high bound, one pair per
// dimension; a high bound of low - 1 gives an empty dimension.
Variant VarArrayCreate(std::initializer_list<Integer> bounds, TVarType elementType);
Variant VarArrayCreate(const std::vector<Integer>& bounds, TVarType elementType);
// A one-dimensional array [0..n-1] of varVariant holding the values.
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);
Integer VarArrayDimCount(const Variant& v);   // 0 for a non-array
Integer VarArrayLowBound(const Variant& v, Integer dim);
Integer VarArrayHighBound(const Variant& v, Integer dim);
Variant VarArrayGet(const Variant& v, std::initializer_list<Integer> indexes);
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<Integer> indexes);
void VarArrayRedim(Variant& v, Integer highBound);
