#include "Variant.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>

#include "Collation.h"
#include "Currency.h"
#include "DateUtils.h"
#include "SysUtils.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(EVariantTypeCastError, EVariantError)
TOVANI_IMPLEMENT_CLASS(EVariantOverflowError, EVariantError)
TOVANI_IMPLEMENT_CLASS(EVariantInvalidOpError, EVariantError)
TOVANI_IMPLEMENT_CLASS(EVariantBadIndexError, EVariantError)
TOVANI_IMPLEMENT_CLASS(EVariantNotAnArrayError, EVariantError)
TOVANI_IMPLEMENT_CLASS(EVariantArrayCreateError, EVariantError)
TOVANI_IMPLEMENT_CLASS(EVariantBadVarTypeError, EVariantError)

struct Variant::ArrayData {
  TVarType ElemType = varVariant;
  std::vector<TVarArrayBound> Bounds;
  std::vector<Variant> Items;
};

// Access to the representation for the helpers of this file.
struct VariantAccess {
  static Variant::Data& D(Variant& v) { return v.FData; }
  static const Variant::Data& D(const Variant& v) { return v.FData; }
  static TVarType& T(Variant& v) { return v.FType; }
  static Variant::ArrayData* Arr(const Variant& v) { return v.FData.Arr; }
  static Variant Make(TVarType type, Int64 value) {
    Variant r;
    r.FType = type;
    r.FData.Int = value;
    return r;
  }
  static Variant MakeArray(Variant::ArrayData* data) {
    Variant r;
    r.FType = varArray | data->ElemType;
    r.FData.Arr = data;
    return r;
  }
};

namespace {

using VA = VariantAccess;

// Largest number of elements a variant array may have: a bound taken from a
// file or a script cannot make us allocate without limit.
constexpr Int64 kMaxArrayElements = Int64(1) << 24;

bool IsIntKind(TVarType k) {
  switch (k) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64:
      return true;
    default:
      return false;
  }
}
bool IsFloatKind(TVarType k) { return k == varSingle || k == varDouble; }
bool IsStrKind(TVarType k) { return k == varString || k == varOleStr; }

[[noreturn]] void CastError(TVarType from, TVarType to) {
  throw EVariantTypeCastError("Could not convert variant of type (" + VarTypeAsText(from) +
                              ") into type (" + VarTypeAsText(to) + ")");
}
[[noreturn]] void OverflowError(TVarType from, TVarType to) {
  throw EVariantOverflowError("Overflow while converting variant of type (" +
                              VarTypeAsText(from) + ") into type (" + VarTypeAsText(to) + ")");
}
[[noreturn]] void InvalidOp() { throw EVariantInvalidOpError("Invalid variant operation"); }
[[noreturn]] void BadIndex() {
  throw EVariantBadIndexError("Variant or safe array index out of bounds");
}
[[noreturn]] void NotAnArray() { throw EVariantNotAnArrayError("Variant is not an array"); }
[[noreturn]] void ArrayCreateError() {
  throw EVariantArrayCreateError("Error creating variant or safe array");
}

// Type word for messages: the kind with the array flag, by-reference followed.
TVarType MsgType(const Variant& v) { return v.Deref().VType(); }

String StrOf(const Variant& v) {
  return v.VType() == varOleStr ? Utf16ToUtf8(*VA::D(v).WStr) : *VA::D(v).Str;
}

// Round half to even, as the class library converts floating values to integers.
double RoundEven(double x) { return std::nearbyint(x); }

bool ParseBool(const String& s, bool& b) {
  if (AnsiSameText(s, "True")) {
    b = true;
    return true;
  }
  if (AnsiSameText(s, "False")) {
    b = false;
    return true;
  }
  double d;
  if (TryStrToFloat(s, d)) {
    b = d != 0;
    return true;
  }
  return false;
}

bool DoubleToInt64(double d, Int64& r) {
  d = RoundEven(d);
  // 2^63 is exactly representable; anything at or above it does not fit.
  if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return false;
  r = static_cast<Int64>(d);
  return true;
}

// ---- conversions of a dereferenced, non-array Variant ----------------------

Int64 ToInt64(const Variant& v, TVarType target) {
  const TVarType k = v.VType();
  const auto& d = VA::D(v);
  if (IsIntKind(k)) return d.Int;
  switch (k) {
    case varEmpty: return 0;
    case varBoolean: return d.Bool ? -1 : 0;
    case varObject: return static_cast<Int64>(reinterpret_cast<intptr_t>(d.Ptr));
    case varSingle: case varDouble: case varDate: {
      double x = k == varSingle ? d.Sgl : d.Dbl;
      Int64 r;
      if (!DoubleToInt64(x, r)) OverflowError(k, target);
      return r;
    }
    case varCurrency: {
      // Half to even on the scaled value.
      Int64 q = d.Int / 10000, rem = d.Int % 10000;
      if (rem > 5000 || (rem == 5000 && (q & 1))) ++q;
      else if (rem < -5000 || (rem == -5000 && (q & 1))) --q;
      return q;
    }
    case varString: case varOleStr: {
      String s = StrOf(v);
      Int64 r;
      if (TryStrToInt64(s, r)) return r;
      double x;
      if (TryStrToFloat(s, x)) {
        if (!DoubleToInt64(x, r)) OverflowError(k, target);
        return r;
      }
      bool b;
      if (ParseBool(s, b)) return b ? -1 : 0;
      CastError(k, target);
    }
    default:
      CastError(MsgType(v), target);
  }
}

double ToDouble(const Variant& v, TVarType target) {
  const TVarType k = v.VType();
  const auto& d = VA::D(v);
  if (IsIntKind(k)) return static_cast<double>(d.Int);
  switch (k) {
    case varEmpty: return 0;
    case varBoolean: return d.Bool ? -1 : 0;
    case varSingle: return d.Sgl;
    case varDouble: case varDate: return d.Dbl;
    case varCurrency: return static_cast<double>(d.Int) / 10000.0;
    case varString: case varOleStr: {
      String s = StrOf(v);
      double x;
      if (TryStrToFloat(s, x)) return x;
      bool b;
      if (ParseBool(s, b)) return b ? -1 : 0;
      CastError(k, target);
    }
    default:
      CastError(MsgType(v), target);
  }
}

TDateTime ToDate(const Variant& v) {
  if (IsStrKind(v.VType())) {
    String s = StrOf(v);
    TDateTime t;
    if (TryStrToDateTime(s, t)) return t;
    CastError(v.VType(), varDate);
  }
  return ToDouble(v, varDate);
}

Int64 ToCurrencyRaw(const Variant& v) {
  const TVarType k = v.VType();
  const auto& d = VA::D(v);
  auto fromInt = [&](Int64 i) {
    Int64 r;
    if (__builtin_mul_overflow(i, Int64(10000), &r)) OverflowError(k, varCurrency);
    return r;
  };
  auto fromDouble = [&](double x) {
    if (!(std::fabs(x) < 922337203685477.5807)) OverflowError(k, varCurrency);
    return Currency(x).Raw();
  };
  if (IsIntKind(k)) return fromInt(d.Int);
  switch (k) {
    case varEmpty: return 0;
    case varBoolean: return d.Bool ? -10000 : 0;
    case varCurrency: return d.Int;
    case varSingle: return fromDouble(d.Sgl);
    case varDouble: case varDate: return fromDouble(d.Dbl);
    case varString: case varOleStr: {
      String s = StrOf(v);
      Currency c;
      if (TryStrToCurr(s, c)) return c.Raw();
      double x;
      if (TryStrToFloat(s, x)) OverflowError(k, varCurrency);   // a number, but too large
      bool b;
      if (ParseBool(s, b)) return b ? -10000 : 0;
      CastError(k, varCurrency);
    }
    default:
      CastError(MsgType(v), varCurrency);
  }
}

bool ToBool(const Variant& v) {
  const TVarType k = v.VType();
  const auto& d = VA::D(v);
  if (IsIntKind(k)) return d.Int != 0;
  switch (k) {
    case varEmpty: return false;
    case varBoolean: return d.Bool;
    case varSingle: return d.Sgl != 0;
    case varDouble: case varDate: return d.Dbl != 0;
    case varCurrency: return d.Int != 0;
    case varString: case varOleStr: {
      bool b;
      if (ParseBool(StrOf(v), b)) return b;
      CastError(k, varBoolean);
    }
    default:
      CastError(MsgType(v), varBoolean);
  }
}

String ToStr(const Variant& v) {
  const TVarType k = v.VType();
  const auto& d = VA::D(v);
  if (IsIntKind(k)) return IntToStr(d.Int);
  switch (k) {
    case varEmpty: return String();
    case varBoolean: return d.Bool ? "True" : "False";
    // A Single shows the digits it holds, not those of its double widening.
    case varSingle: return FloatToStrF(d.Sgl, ffGeneral, 7, 0);
    case varDouble: return FloatToStr(d.Dbl);
    case varDate: return DateTimeToStr(d.Dbl);
    case varCurrency: return CurrToStr(Currency::FromRaw(d.Int));
    case varString: return *d.Str;
    case varOleStr: return Utf16ToUtf8(*d.WStr);
    default:
      CastError(MsgType(v), varString);
  }
}

void* ToObject(const Variant& v) {
  const TVarType k = v.VType();
  if (k == varObject) return VA::D(v).Ptr;
  if (k == varEmpty) return nullptr;
  if (IsIntKind(k)) return reinterpret_cast<void*>(static_cast<intptr_t>(VA::D(v).Int));
  CastError(MsgType(v), varObject);
}

// Range check of an integer for a target integer kind.
Variant IntOfKind(Int64 i, TVarType from, TVarType kind) {
  Int64 lo, hi;
  switch (kind) {
    case varShortInt: lo = INT8_MIN; hi = INT8_MAX; break;
    case varByte: lo = 0; hi = UINT8_MAX; break;
    case varSmallint: lo = INT16_MIN; hi = INT16_MAX; break;
    case varWord: lo = 0; hi = UINT16_MAX; break;
    case varInteger: lo = INT32_MIN; hi = INT32_MAX; break;
    case varLongWord: lo = 0; hi = UINT32_MAX; break;
    default: lo = INT64_MIN; hi = INT64_MAX; break;
  }
  if (i < lo || i > hi) OverflowError(from, kind);
  return VA::Make(kind, i);
}

Variant ArrayOf(TVarType elemType, const std::vector<TVarArrayBound>& bounds);

}  // namespace

// ---------------------------------------------------------------------------
// Construction, copying, destruction

Variant::Variant(unsigned long v) {
  if (v <= static_cast<unsigned long>(INT64_MAX)) {
    FType = varInt64;
    FData.Int = static_cast<Int64>(v);
  } else {
    FType = varDouble;
    FData.Dbl = static_cast<double>(v);
  }
}
Variant::Variant(unsigned long long v) : Variant(static_cast<unsigned long>(v)) {}
Variant::Variant(const Currency& v) : FType(varCurrency) { FData.Int = v.Raw(); }
Variant::Variant(const String& v) : FType(varString) { FData.Str = new String(v); }
Variant::Variant(String&& v) : FType(varString) { FData.Str = new String(std::move(v)); }
Variant::Variant(const char* v) : FType(varString) { FData.Str = new String(v ? v : ""); }
Variant::Variant(char v) : FType(varString) { FData.Str = new String(1, v); }
Variant::Variant(const std::u16string& v) : FType(varOleStr) {
  FData.WStr = new std::u16string(v);
}
Variant::Variant(const char16_t* v) : FType(varOleStr) {
  FData.WStr = new std::u16string(v ? v : u"");
}


Variant Variant::FromDate(TDateTime v) {
  Variant r;
  r.FType = varDate;
  r.FData.Dbl = v;
  return r;
}

Variant Variant::FromCurrencyRaw(Int64 scaled) { return VA::Make(varCurrency, scaled); }

Variant Variant::FromObject(const void* obj) {
  Variant r;
  r.FType = varObject;
  r.FData.Ptr = const_cast<void*>(obj);
  return r;
}

Variant Variant::ByRef(Variant& target) {
  Variant r;
  r.FType = varByRef | varVariant;
  // A reference to a reference refers to the final target.
  r.FData.Ref = const_cast<Variant*>(&target.Deref());
  return r;
}

Variant& Variant::AssignOwned(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

void Variant::Release() noexcept {
  if (FType & varArray)
    delete FData.Arr;
  else if (FType == varString)
    delete FData.Str;
  else
    delete FData.WStr;
  FType = varEmpty;
  FData.Int = 0;
}

void Variant::CopyFrom(const Variant& other) {
  if (other.FType & varArray) {
    FData.Arr = new ArrayData(*other.FData.Arr);
  } else if (other.FType == varString) {
    FData.Str = new String(*other.FData.Str);
  } else if (other.FType == varOleStr) {
    FData.WStr = new std::u16string(*other.FData.WStr);
  } else {
    FData = other.FData;
  }
  FType = other.FType;
}

// ---------------------------------------------------------------------------
// Conversions

bool Variant::ConvertToBoolean() const {
  const Variant& v = Deref();
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), varBoolean);
  return ToBool(v);
}

Int64 Variant::ConvertToInt64() const {
  const Variant& v = Deref();
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), varInt64);
  return ToInt64(v, varInt64);
}

Integer Variant::ConvertToInteger() const {
  const Variant& v = Deref();
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), varInteger);
  if (v.FType == varInteger) return static_cast<Integer>(v.FData.Int);
  return static_cast<Integer>(VA::D(IntOfKind(ToInt64(v, varInteger), v.FType, varInteger)).Int);
}

double Variant::ConvertToDouble() const {
  const Variant& v = Deref();
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), varDouble);
  return ToDouble(v, varDouble);
}

TDateTime Variant::AsDateTime() const {
  const Variant& v = Deref();
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), varDate);
  return ToDate(v);
}

Int64 Variant::AsCurrencyRaw() const {
  const Variant& v = Deref();
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), varCurrency);
  return ToCurrencyRaw(v);
}

Currency Variant::AsCurrency() const { return Currency::FromRaw(AsCurrencyRaw()); }

String Variant::AsString() const {
  const Variant& v = Deref();
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), varString);
  return ToStr(v);
}

std::u16string Variant::AsWideString() const {
  const Variant& v = Deref();
  if (v.FType == varOleStr) return *v.FData.WStr;
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), varOleStr);
  return Utf8ToUtf16(ToStr(v));
}

void* Variant::AsObject() const {
  const Variant& v = Deref();
  if (v.IsArray()) CastError(MsgType(v), varObject);
  return ToObject(v);
}

Variant Variant::AsType(TVarType type) const {
  const Variant& v = Deref();
  if (type & varByRef) throw EVariantBadVarTypeError("Invalid variant type");
  if (type & varArray) {
    if (v.FType == type) return v;
    CastError(MsgType(v), type);
  }
  switch (type) {
    case varVariant: return v;
    case varEmpty: return Variant();
    case varNull: return Null();
    default: break;
  }
  if (v.FType == type) return v;
  if (v.IsArray() || v.FType == varNull) CastError(MsgType(v), type);
  switch (type) {
    case varShortInt: case varByte: case varSmallint: case varWord: case varInteger:
    case varLongWord: case varInt64:
      return IntOfKind(ToInt64(v, type), v.FType, type);
    case varSingle: {
      double x = ToDouble(v, type);
      if (std::isfinite(x) && std::fabs(x) > FLT_MAX) OverflowError(v.FType, type);
      return Variant(static_cast<float>(x));
    }
    case varDouble: return Variant(ToDouble(v, type));
    case varDate: return FromDate(ToDate(v));
    case varCurrency: return FromCurrencyRaw(ToCurrencyRaw(v));
    case varBoolean: return Variant(ToBool(v));
    case varString: return Variant(ToStr(v));
    case varOleStr: return Variant(v.AsWideString());
    case varObject: return FromObject(ToObject(v));
    case varDispatch: case varError: case varUnknown: case varStrArg: case varAny:
      CastError(v.FType, type);
    default:
      throw EVariantBadVarTypeError("Invalid variant type");
  }
}

// ---------------------------------------------------------------------------
// Arrays

namespace {

Variant ArrayOf(TVarType elemType, const std::vector<TVarArrayBound>& bounds) {
  Int64 total = 1;
  for (const auto& b : bounds) {
    if (b.ElementCount < 0) ArrayCreateError();
    total *= b.ElementCount;
    if (total > kMaxArrayElements) ArrayCreateError();
  }
  auto* data = new Variant::ArrayData;
  data->ElemType = elemType;
  Variant result = VA::MakeArray(data);   // owns data from here on
  data->Bounds = bounds;
  Variant zero;
  if (elemType != varVariant) zero = Variant().AsType(elemType);
  data->Items.assign(static_cast<size_t>(total), zero);
  return result;
}

bool ValidElementType(TVarType t) {
  switch (t) {
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency:
    case varDate: case varOleStr: case varBoolean: case varVariant: case varShortInt:
    case varByte: case varWord: case varLongWord: case varInt64:
      return true;
    default:
      return false;
  }
}

}  // namespace

Integer Variant::DimCount() const {
  const Variant& v = Deref();
  return v.IsArray() ? static_cast<Integer>(v.FData.Arr->Bounds.size()) : 0;
}

Integer Variant::LowBound(Integer dim) const {
  const Variant& v = Deref();
  if (!v.IsArray()) NotAnArray();
  const auto& b = v.FData.Arr->Bounds;
  if (dim < 1 || dim > static_cast<Integer>(b.size())) BadIndex();
  return b[dim - 1].LowBound;
}

Integer Variant::HighBound(Integer dim) const {
  const Variant& v = Deref();
  if (!v.IsArray()) NotAnArray();
  const auto& b = v.FData.Arr->Bounds;
  if (dim < 1 || dim > static_cast<Integer>(b.size())) BadIndex();
  return static_cast<Integer>(Int64(b[dim - 1].LowBound) + b[dim - 1].ElementCount - 1);
}

TVarType Variant::ElementType() const {
  const Variant& v = Deref();
  if (!v.IsArray()) NotAnArray();
  return v.FData.Arr->ElemType;
}

Integer Variant::ElementCount() const {
  const Variant& v = Deref();
  if (!v.IsArray()) NotAnArray();
  return static_cast<Integer>(v.FData.Arr->Items.size());
}

const Variant& Variant::ElementAt(const Integer* idx, size_t count) const {
  const Variant& v = Deref();
  if (!v.IsArray()) NotAnArray();
  const ArrayData& a = *v.FData.Arr;
  if (count != a.Bounds.size()) BadIndex();
  // The first index varies fastest, as in the class library's safe arrays,
  // so that resizing the last dimension keeps every element in place.
  Int64 offset = 0, stride = 1;
  for (size_t i = 0; i < count; ++i) {
    Int64 rel = Int64(idx[i]) - a.Bounds[i].LowBound;
    if (rel < 0 || rel >= a.Bounds[i].ElementCount) BadIndex();
    offset += rel * stride;
    stride *= a.Bounds[i].ElementCount;
  }
  return a.Items[static_cast<size_t>(offset)];
}

Variant& Variant::ElementAt(const Integer* idx, size_t count) {
  return const_cast<Variant&>(static_cast<const Variant*>(this)->ElementAt(idx, count));
}

const Variant& Variant::GetElement(Integer index) const { return ElementAt(&index, 1); }
const Variant& Variant::GetElement(std::initializer_list<Integer> indexes) const {
  return ElementAt(indexes.begin(), indexes.size());
}
const Variant& Variant::GetElement(const std::vector<Integer>& indexes) const {
  return ElementAt(indexes.data(), indexes.size());
}

void Variant::PutElement(Integer index, const Variant& value) { PutElement(std::vector<Integer>{index}, value); }
void Variant::PutElement(std::initializer_list<Integer> indexes, const Variant& value) {
  PutElement(std::vector<Integer>(indexes), value);
}
void Variant::PutElement(const std::vector<Integer>& indexes, const Variant& value) {
  Variant& self = const_cast<Variant&>(Deref());
  if (!self.IsArray()) NotAnArray();
  TVarType elem = self.FData.Arr->ElemType;
  // Convert first: the array is untouched when the value does not fit. A
  // copy also keeps "a.PutElement(i, a)" safe.
  Variant converted = elem == varVariant ? Variant(value) : value.AsType(elem);
  self.ElementAt(indexes.data(), indexes.size()) = std::move(converted);
}

void Variant::Redim(Integer highBound) {
  Variant& self = const_cast<Variant&>(Deref());
  if (!self.IsArray()) NotAnArray();
  ArrayData& a = *self.FData.Arr;
  TVarArrayBound& last = a.Bounds.back();
  Int64 count = Int64(highBound) - last.LowBound + 1;
  if (count < 0) BadIndex();
  Int64 others = a.Items.size() / (last.ElementCount ? last.ElementCount : 1);
  if (last.ElementCount == 0) {
    others = 1;
    for (size_t i = 0; i + 1 < a.Bounds.size(); ++i) others *= a.Bounds[i].ElementCount;
  }
  if (others * count > kMaxArrayElements) ArrayCreateError();
  Variant zero;
  if (a.ElemType != varVariant) zero = Variant().AsType(a.ElemType);
  a.Items.resize(static_cast<size_t>(others * count), zero);
  last.ElementCount = static_cast<Integer>(count);
}

Variant VarArrayCreate(const std::vector<Integer>& bounds, TVarType elementType) {
  if (bounds.empty() || bounds.size() % 2 != 0 || bounds.size() > 128 ||
      !ValidElementType(elementType))
    ArrayCreateError();
  std::vector<TVarArrayBound> b;
  for (size_t i = 0; i < bounds.size(); i += 2) {
    Int64 count = Int64(bounds[i + 1]) - bounds[i] + 1;
    if (count < 0 || count > kMaxArrayElements) ArrayCreateError();
    b.push_back({bounds[i], static_cast<Integer>(count)});
  }
  return ArrayOf(elementType, b);
}

Variant VarArrayCreate(std::initializer_list<Integer> bounds, TVarType elementType) {
  return VarArrayCreate(std::vector<Integer>(bounds), elementType);
}

Variant VarArrayOf(const std::vector<Variant>& values) {
  if (values.size() > static_cast<size_t>(kMaxArrayElements)) ArrayCreateError();
  Variant r = ArrayOf(varVariant, {{0, static_cast<Integer>(values.size())}});
  VA::Arr(r)->Items = values;
  return r;
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
  return VarArrayOf(std::vector<Variant>(values));
}

Integer VarArrayDimCount(const Variant& v) { return v.DimCount(); }
Integer VarArrayLowBound(const Variant& v, Integer dim) { return v.LowBound(dim); }
Integer VarArrayHighBound(const Variant& v, Integer dim) { return v.HighBound(dim); }
Variant VarArrayGet(const Variant& v, std::initializer_list<Integer> indexes) {
  return v.GetElement(indexes);
}
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<Integer> indexes) {
  v.PutElement(indexes, value);
}
void VarArrayRedim(Variant& v, Integer highBound) { v.Redim(highBound); }

// ---------------------------------------------------------------------------
// Comparison

namespace {

int Sign(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }
int Sign(Int64 a, Int64 b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Three-way comparison of two scalar values, neither Empty nor Null.
// Raises a type-cast error when the kinds have no common ground.
int CompareScalars(const Variant& a, const Variant& b) {
  const TVarType ka = a.VType(), kb = b.VType();
  const bool sa = IsStrKind(ka), sb = IsStrKind(kb);
  if (sa && sb) {
    if (ka == varString && kb == varString) {
      const String& x = *VA::D(a).Str;
      const String& y = *VA::D(b).Str;
      if (x == y) return 0;
      int c = AnsiCompareStr(x, y);
      // Collation may call different texts equal; keep the order total.
      return c != 0 ? c : (x < y ? -1 : 1);
    }
    String x = StrOf(a), y = StrOf(b);
    if (x == y) return 0;
    int c = AnsiCompareStr(x, y);
    return c != 0 ? c : (x < y ? -1 : 1);
  }
  if (sa || sb) {
    // A text next to a value of another kind is converted to that kind.
    const Variant& s = sa ? a : b;
    const Variant& o = sa ? b : a;
    int c;
    TVarType ko = o.VType();
    if (ko == varBoolean) {
      c = Sign(Int64(ToBool(s)), Int64(VA::D(o).Bool));
    } else if (ko == varDate) {
      c = Sign(ToDate(s), VA::D(o).Dbl);
    } else if (ko == varCurrency) {
      c = Sign(ToCurrencyRaw(s), VA::D(o).Int);
    } else if (IsIntKind(ko) || IsFloatKind(ko)) {
      c = Sign(ToDouble(s, ko), ToDouble(o, ko));
    } else {
      CastError(MsgType(s), MsgType(o));
    }
    return sa ? c : -c;
  }
  if (ka == varBoolean && kb == varBoolean)   // False before True
    return Sign(Int64(VA::D(a).Bool), Int64(VA::D(b).Bool));
  if (ka == varObject || kb == varObject) {
    if (ka == varObject && kb == varObject) {
      auto x = reinterpret_cast<uintptr_t>(VA::D(a).Ptr), y = reinterpret_cast<uintptr_t>(VA::D(b).Ptr);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    const Variant& other = ka == varObject ? b : a;
    if (!IsIntKind(other.VType())) CastError(MsgType(a), MsgType(b));
    return Sign(ToInt64(a, varInt64), ToInt64(b, varInt64));
  }
  auto ordinal = [](TVarType k) { return IsIntKind(k) || k == varBoolean; };
  if (ordinal(ka) && ordinal(kb)) return Sign(ToInt64(a, varInt64), ToInt64(b, varInt64));
  if ((ka == varCurrency || ordinal(ka)) && (kb == varCurrency || ordinal(kb))) {
    if (ka == varCurrency && kb == varCurrency) return Sign(VA::D(a).Int, VA::D(b).Int);
    // An integer too large for a Currency still compares, through Double.
    try {
      return Sign(ToCurrencyRaw(a), ToCurrencyRaw(b));
    } catch (EVariantOverflowError&) {
      return Sign(ToDouble(a, varDouble), ToDouble(b, varDouble));
    }
  }
  auto numeric = [&](TVarType k) { return ordinal(k) || k == varCurrency || IsFloatKind(k) || k == varDate; };
  if (numeric(ka) && numeric(kb)) return Sign(ToDouble(a, varDouble), ToDouble(b, varDouble));
  CastError(MsgType(a), MsgType(b));
}

bool ArraysEqual(const Variant& a, const Variant& b) {
  const auto* x = VA::Arr(a);
  const auto* y = VA::Arr(b);
  if (x->Bounds.size() != y->Bounds.size()) return false;
  for (size_t i = 0; i < x->Bounds.size(); ++i)
    if (x->Bounds[i].LowBound != y->Bounds[i].LowBound ||
        x->Bounds[i].ElementCount != y->Bounds[i].ElementCount)
      return false;
  for (size_t i = 0; i < x->Items.size(); ++i)
    if (!(x->Items[i] == y->Items[i])) return false;
  return true;
}

// Ordering with Null taken as Empty and Empty before every value.
int CompareForOrder(const Variant& a0, const Variant& b0) {
  const Variant& a = a0.Deref();
  const Variant& b = b0.Deref();
  if (a.IsArray() || b.IsArray()) InvalidOp();
  const bool ea = a.VType() <= varNull, eb = b.VType() <= varNull;
  if (ea || eb) return ea && eb ? 0 : (ea ? -1 : 1);
  return CompareScalars(a, b);
}

}  // namespace

bool operator==(const Variant& a0, const Variant& b0) {
  const Variant& a = a0.Deref();
  const Variant& b = b0.Deref();
  if (a.IsArray() || b.IsArray()) return a.IsArray() && b.IsArray() && ArraysEqual(a, b);
  const TVarType ka = a.VType(), kb = b.VType();
  if (ka <= varNull || kb <= varNull) return ka == kb;
  return CompareScalars(a, b) == 0;
}

bool operator<(const Variant& a, const Variant& b) { return CompareForOrder(a, b) < 0; }
bool operator<=(const Variant& a, const Variant& b) { return CompareForOrder(a, b) <= 0; }

TVariantRelationship VarCompareValue(const Variant& a0, const Variant& b0) {
  const Variant& a = a0.Deref();
  const Variant& b = b0.Deref();
  const TVarType ka = a.VType(), kb = b.VType();
  if (ka <= varNull || kb <= varNull) return ka == kb ? vrEqual : vrNotEqual;
  if (a.IsArray() || b.IsArray()) return a == b ? vrEqual : vrNotEqual;
  int c = CompareScalars(a, b);
  return c < 0 ? vrLessThan : (c > 0 ? vrGreaterThan : vrEqual);
}

bool VarSameValue(const Variant& a, const Variant& b) {
  try {
    return a == b;
  } catch (EVariantTypeCastError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Arithmetic

namespace {

enum class Op { Add, Sub, Mul, Div, IntDiv, Mod, And, Or, Xor };

// Integer results are Integer unless an operand is Int64 or the value needs 64 bits.
Variant IntResult(Int64 r, TVarType ka, TVarType kb) {
  if (ka != varInt64 && kb != varInt64 && r >= INT32_MIN && r <= INT32_MAX)
    return VA::Make(varInteger, r);
  return VA::Make(varInt64, r);
}

Variant StrResult(String s, TVarType ka, TVarType kb) {
  if (ka == varOleStr && kb == varOleStr) return Variant(Utf8ToUtf16(s));
  return Variant(std::move(s));
}

Variant BinaryOp(Op op, const Variant& a0, const Variant& b0) {
  const Variant* pa = &a0.Deref();
  const Variant* pb = &b0.Deref();
  if (pa->IsArray() || pb->IsArray()) InvalidOp();
  if (pa->VType() == varNull || pb->VType() == varNull) return Null();

  // Empty takes part as 0, or as "" next to a text.
  Variant ta, tb;
  if (pa->VType() == varEmpty) {
    ta = IsStrKind(pb->VType()) ? Variant(String()) : Variant(0);
    pa = &ta;
  }
  if (pb->VType() == varEmpty) {
    tb = IsStrKind(pa->VType()) ? Variant(String()) : Variant(0);
    pb = &tb;
  }
  TVarType ka = pa->VType(), kb = pb->VType();

  if (IsStrKind(ka) && IsStrKind(kb) && op == Op::Add) return StrResult(StrOf(*pa) + StrOf(*pb), ka, kb);

  // A text meets a value: it becomes a date next to a date, a Boolean in a
  // logical operation on Booleans, and a Double otherwise.
  auto fromText = [&](const Variant& s, TVarType other) -> Variant {
    if (other == varDate) return Variant::FromDate(ToDate(s));
    if (other == varBoolean && (op == Op::And || op == Op::Or || op == Op::Xor)) return Variant(ToBool(s));
    return Variant(ToDouble(s, varDouble));
  };
  if (IsStrKind(ka)) {
    ta = fromText(*pa, kb);
    pa = &ta;
    ka = ta.VType();
  }
  if (IsStrKind(kb)) {
    tb = fromText(*pb, ka);
    pb = &tb;
    kb = tb.VType();
  }
  auto numeric = [](TVarType k) {
    return IsIntKind(k) || IsFloatKind(k) || k == varBoolean || k == varCurrency || k == varDate;
  };
  if (!numeric(ka) || !numeric(kb)) InvalidOp();
  const Variant& a = *pa;
  const Variant& b = *pb;

  switch (op) {
    case Op::And: case Op::Or: case Op::Xor: {
      if (ka == varBoolean && kb == varBoolean) {
        bool x = VA::D(a).Bool, y = VA::D(b).Bool;
        return Variant(op == Op::And ? (x && y) : op == Op::Or ? (x || y) : (x != y));
      }
      Int64 x = ToInt64(a, varInt64), y = ToInt64(b, varInt64);
      Int64 r = op == Op::And ? (x & y) : op == Op::Or ? (x | y) : (x ^ y);
      return IntResult(r, ka, kb);
    }
    case Op::IntDiv: case Op::Mod: {
      Int64 x = ToInt64(a, varInt64), y = ToInt64(b, varInt64);
      if (y == 0) throw EDivByZero("Division by zero");
      if (x == INT64_MIN && y == -1) {
        if (op == Op::Mod) return IntResult(0, ka, kb);
        throw EIntOverflow("Integer overflow");
      }
      return IntResult(op == Op::IntDiv ? x / y : x % y, ka, kb);
    }
    case Op::Div: {
      double x = ToDouble(a, varDouble), y = ToDouble(b, varDouble);
      if (y == 0) {
        if (x == 0 || std::isnan(x)) throw EInvalidOp("Invalid floating point operation");
        throw EZeroDivide("Floating point division by zero");
      }
      return Variant(x / y);
    }
    default:
      break;
  }

  // + - *
  if (ka == varDate || kb == varDate) {
    double x = ToDouble(a, varDouble), y = ToDouble(b, varDouble);
    if (op == Op::Mul) return Variant(x * y);
    if (op == Op::Sub) {
      if (ka == varDate && kb == varDate) return Variant(x - y);
      return Variant::FromDate(x - y);
    }
    return Variant::FromDate(x + y);
  }
  if (IsFloatKind(ka) || IsFloatKind(kb)) {
    double x = ToDouble(a, varDouble), y = ToDouble(b, varDouble);
    double r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
    if (ka == varSingle && kb == varSingle) return Variant(static_cast<float>(r));
    return Variant(r);
  }
  if (ka == varCurrency || kb == varCurrency) {
    Currency x = Currency::FromRaw(ToCurrencyRaw(a)), y = Currency::FromRaw(ToCurrencyRaw(b));
    try {
      return Variant(op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y);
    } catch (EInvalidOp&) {
      throw EVariantOverflowError("Overflow while converting variant of type (Currency) into type (Currency)");
    }
  }
  // Integers and Booleans.
  Int64 x = ToInt64(a, varInt64), y = ToInt64(b, varInt64), r;
  bool overflow = op == Op::Add   ? __builtin_add_overflow(x, y, &r)
                  : op == Op::Sub ? __builtin_sub_overflow(x, y, &r)
                                  : __builtin_mul_overflow(x, y, &r);
  if (overflow) {
    // Beyond Int64 the result continues as a Double.
    double dx = static_cast<double>(x), dy = static_cast<double>(y);
    return Variant(op == Op::Add ? dx + dy : op == Op::Sub ? dx - dy : dx * dy);
  }
  return IntResult(r, ka, kb);
}

}  // namespace

Variant operator+(const Variant& a, const Variant& b) { return BinaryOp(Op::Add, a, b); }
Variant operator-(const Variant& a, const Variant& b) { return BinaryOp(Op::Sub, a, b); }
Variant operator*(const Variant& a, const Variant& b) { return BinaryOp(Op::Mul, a, b); }
Variant operator/(const Variant& a, const Variant& b) { return BinaryOp(Op::Div, a, b); }
Variant operator%(const Variant& a, const Variant& b) { return BinaryOp(Op::Mod, a, b); }
Variant operator&(const Variant& a, const Variant& b) { return BinaryOp(Op::And, a, b); }
Variant operator|(const Variant& a, const Variant& b) { return BinaryOp(Op::Or, a, b); }
Variant operator^(const Variant& a, const Variant& b) { return BinaryOp(Op::Xor, a, b); }
Variant VarIntDiv(const Variant& a, const Variant& b) { return BinaryOp(Op::IntDiv, a, b); }
Variant VarMod(const Variant& a, const Variant& b) { return BinaryOp(Op::Mod, a, b); }

Variant operator-(const Variant& a0) {
  const Variant& a = a0.Deref();
  if (a.IsArray()) InvalidOp();
  const TVarType k = a.VType();
  switch (k) {
    case varNull: return Null();
    case varEmpty: return Variant(0);
    case varSingle: return Variant(-VA::D(a).Sgl);
    case varDouble: return Variant(-VA::D(a).Dbl);
    case varDate: return Variant::FromDate(-VA::D(a).Dbl);
    case varCurrency: {
      Int64 r = VA::D(a).Int;
      if (r == INT64_MIN) throw EVariantOverflowError("Overflow while converting variant of type (Currency) into type (Currency)");
      return Variant::FromCurrencyRaw(-r);
    }
    case varString: case varOleStr: return Variant(-ToDouble(a, varDouble));
    default: break;
  }
  if (IsIntKind(k) || k == varBoolean) {
    Int64 x = ToInt64(a, varInt64);
    if (x == INT64_MIN) return Variant(-static_cast<double>(x));
    return IntResult(-x, k, k);
  }
  InvalidOp();
}

Variant operator!(const Variant& a0) {
  const Variant& a = a0.Deref();
  if (a.IsArray()) InvalidOp();
  const TVarType k = a.VType();
  switch (k) {
    case varNull: return Null();
    case varBoolean: return Variant(!VA::D(a).Bool);
    case varString: case varOleStr: {
      String s = StrOf(a);
      Int64 i;
      if (TryStrToInt64(s, i)) return IntResult(~i, varInt64, varInt64);
      bool b;
      if (ParseBool(s, b)) return Variant(!b);
      CastError(k, varBoolean);
    }
    default: break;
  }
  if (k == varEmpty || IsIntKind(k) || IsFloatKind(k) || k == varCurrency || k == varDate)
    return IntResult(~ToInt64(a, varInt64), k, k);
  InvalidOp();
}

Variant operator~(const Variant& a) { return !a; }

// ---------------------------------------------------------------------------
// Free functions

bool VarIsClear(const Variant& v) { return v.IsEmpty(); }

bool VarIsOrdinal(const Variant& v) {
  TVarType k = v.Deref().VType();
  return IsIntKind(k) || k == varBoolean;
}

bool VarIsFloat(const Variant& v) {
  TVarType k = v.Deref().VType();
  return IsFloatKind(k) || k == varCurrency;
}

bool VarIsNumeric(const Variant& v) { return VarIsOrdinal(v) || VarIsFloat(v); }

bool VarIsStr(const Variant& v) {
  TVarType k = v.Deref().VType();
  return IsStrKind(k) || k == varStrArg;
}

bool VarIsType(const Variant& v, TVarType type) { return v.Deref().VType() == type; }

String VarToStr(const Variant& v) { return VarToStrDef(v, String()); }

String VarToStrDef(const Variant& v, const String& def) {
  return v.IsNull() ? def : v.AsString();
}

TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }
Variant VarAsType(const Variant& v, TVarType type) { return v.AsType(type); }
Variant VarFromDateTime(TDateTime v) { return Variant::FromDate(v); }

String VarTypeAsText(TVarType type) {
  String prefix;
  if (type & varByRef) prefix += "ByRef ";
  if (type & varArray) prefix += "Array ";
  const TVarType k = type & varTypeMask;
  static const char* const kNames[] = {"Empty", "Null", "Smallint", "Integer", "Single",
                                       "Double", "Currency", "Date", "OleStr", "Dispatch",
                                       "Error", "Boolean", "Variant", "Unknown", "Decimal"};
  static const char* const kNames16[] = {"ShortInt", "Byte", "Word", "LongWord", "Int64"};
  const char* name = nullptr;
  if (k < sizeof kNames / sizeof *kNames)
    name = kNames[k];
  else if (k >= varShortInt && k <= varInt64)
    name = kNames16[k - varShortInt];
  else if (k == varStrArg)
    name = "StrArg";
  else if (k == varObject)
    name = "Object";
  else if (k == varString)
    name = "String";
  else if (k == varAny)
    name = "Any";
  if (name) return prefix + name;
  char buf[8];
  std::snprintf(buf, sizeof buf, "$%.4X", static_cast<unsigned>(k));
  return prefix + buf;
}
