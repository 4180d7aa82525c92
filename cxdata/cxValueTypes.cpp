// The value types of the record storage.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "SysUtils.h"
#include "cxDataStorage.h"
#include "cxVariants.h"

namespace {

template <class T> T Get(const void* P) {
  T v;
  std::memcpy(&v, P, sizeof v);
  return v;
}
template <class T> void Put(void* P, T V) { std::memcpy(P, &V, sizeof V); }

template <class T> int Order(T A, T B) { return A < B ? -1 : (A > B ? 1 : 0); }

}  // namespace

TOVANI_IMPLEMENT_CLASS(TcxValueType, TObject)

#define CX_IMPLEMENT_VALUE_TYPE(Cls, Parent) \
  TOVANI_IMPLEMENT_CLASS(Cls, Parent)        \
  TcxValueTypeClass Cls::Class() {           \
    static const Cls instance;               \
    return &instance;                        \
  }

CX_IMPLEMENT_VALUE_TYPE(TcxStringValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxWideStringValueType, TcxStringValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxSmallintValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxIntegerValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxWordValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxBooleanValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxFloatValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxCurrencyValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxDateTimeValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxLargeIntValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxFMTBcdValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxSQLTimeStampValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxVariantValueType, TcxValueType)
CX_IMPLEMENT_VALUE_TYPE(TcxObjectValueType, TcxIntegerValueType)
TOVANI_IMPLEMENT_CLASS(TcxValueTypeClassList, TObject)

// ---------------------------------------------------------------------------
// Base

int TcxValueType::CompareBuffers(const void* A, const void* B) const {
  return CompareBufferValues(MakeCompareKey(A), MakeCompareKey(B));
}

void TcxValueType::FreeTextBuffer(void* Holder) const {
  delete Get<String*>(Holder);
  Put<String*>(Holder, nullptr);
}

Variant TcxValueType::ReadBufferValue(const void*) const { return Variant::Null(); }

String TcxValueType::GetBufferDisplayText(const void* Area) const {
  try {
    return VarToStr(ReadBufferValue(Area));
  } catch (const EVariantError& e) {
    if (!cxIsVarConversionError(e)) throw;
    return String();
  }
}

String TcxValueType::ReadBufferText(const void* Holder) const {
  const String* p = Get<String*>(Holder);
  return p ? *p : String();
}

void TcxValueType::LoadValueFromStream(void* Area, TStream* S) const {
  WriteBufferValue(Area, cxReadVariant(S));
}

void TcxValueType::LoadTextFromStream(void* Holder, TStream* S) const {
  WriteBufferText(Holder, cxReadAnsiString(S));
}

void TcxValueType::WriteBufferValue(void*, const Variant&) const {}

void TcxValueType::WriteBufferText(void* Holder, const String& S) const {
  if (String* p = Get<String*>(Holder))
    *p = S;
  else
    Put<String*>(Holder, new String(S));
}

void TcxValueType::SaveValueToStream(const void* Area, TStream* S) const {
  cxWriteVariant(S, ReadBufferValue(Area));
}

void TcxValueType::SaveTextToStream(const void* Holder, TStream* S) const {
  cxWriteAnsiString(S, ReadBufferText(Holder));
}

String TcxValueType::GetTypeCaption() const {
  String s = ClassName();
  if (s.compare(0, 3, "Tcx") == 0) s.erase(0, 3);
  size_t p = s.find("ValueType");
  if (p != String::npos) s.erase(p, 9);
  return s;
}

int TcxValueType::CompareBufferValues(const void* KeyA, const void* KeyB) const {
  return cxVarCompare(CompareKeyValue(KeyA), CompareKeyValue(KeyB));
}

Variant TcxValueType::CompareKeyValue(const void* Key) const { return ReadBufferValue(Key); }

bool TcxValueType::IsValueConvertible(Variant& V) const {
  if (V.IsNull() || GetVariantType() == varVariant) return true;
  try {
    V = V.AsType(GetVariantType());
    return true;
  } catch (const EVariantError& e) {
    if (!cxIsVarConversionError(e)) throw;
    return false;
  }
}

// ---------------------------------------------------------------------------
// Texts

void TcxStringValueType::FreeValueBuffer(void* Area) const { FreeTextBuffer(Area); }

Variant TcxStringValueType::ReadBufferValue(const void* Area) const {
  return CompareKeyValue(MakeCompareKey(Area));
}

void TcxStringValueType::LoadValueFromStream(void* Area, TStream* S) const {
  WriteBufferText(Area, cxReadAnsiString(S));
}

void TcxStringValueType::WriteBufferValue(void* Area, const Variant& V) const {
  WriteBufferText(Area, V.AsString());
}

void TcxStringValueType::SaveValueToStream(const void* Area, TStream* S) const {
  cxWriteAnsiString(S, ReadBufferText(Area));
}

int TcxStringValueType::CompareBufferValues(const void* KeyA, const void* KeyB) const {
  if (!KeyA || !KeyB) return KeyA ? 1 : (KeyB ? -1 : 0);
  int c = static_cast<const String*>(KeyA)->compare(*static_cast<const String*>(KeyB));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Variant TcxStringValueType::CompareKeyValue(const void* Key) const {
  return Key ? Variant(*static_cast<const String*>(Key)) : Variant::Null();
}

const void* TcxStringValueType::MakeCompareKey(const void* Area) const {
  return Get<const void*>(Area);
}

void TcxWideStringValueType::FreeValueBuffer(void* Area) const {
  delete Get<std::u16string*>(Area);
  Put<std::u16string*>(Area, nullptr);
}

Variant TcxWideStringValueType::ReadBufferValue(const void* Area) const {
  return CompareKeyValue(MakeCompareKey(Area));
}

namespace {
void PutWide(void* Area, std::u16string W) {
  if (auto* p = Get<std::u16string*>(Area))
    *p = std::move(W);
  else
    Put<std::u16string*>(Area, new std::u16string(std::move(W)));
}
}  // namespace

void TcxWideStringValueType::LoadValueFromStream(void* Area, TStream* S) const {
  PutWide(Area, cxReadWideString(S));
}

void TcxWideStringValueType::WriteBufferValue(void* Area, const Variant& V) const {
  PutWide(Area, V.AsWideString());
}

void TcxWideStringValueType::SaveValueToStream(const void* Area, TStream* S) const {
  // The UTF-16 text is written as it is (no detour through code page 936).
  const auto* p = Get<const std::u16string*>(Area);
  cxWriteWideString(S, p ? *p : std::u16string());
}

int TcxWideStringValueType::CompareBufferValues(const void* KeyA, const void* KeyB) const {
  if (!KeyA || !KeyB) return KeyA ? 1 : (KeyB ? -1 : 0);
  int c = static_cast<const std::u16string*>(KeyA)->compare(*static_cast<const std::u16string*>(KeyB));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Variant TcxWideStringValueType::CompareKeyValue(const void* Key) const {
  return Key ? Variant(*static_cast<const std::u16string*>(Key)) : Variant::Null();
}

// ---------------------------------------------------------------------------
// Fixed-size numbers. Writes convert first and store only a value that fits,
// so a failed conversion leaves the area untouched.

Variant TcxSmallintValueType::ReadBufferValue(const void* A) const { return Variant(Get<int16_t>(A)); }
void TcxSmallintValueType::LoadValueFromStream(void* A, TStream* S) const { Put<int16_t>(A, cxReadSmallInt(S)); }
void TcxSmallintValueType::WriteBufferValue(void* A, const Variant& V) const {
  Put<int16_t>(A, int16_t(V.AsType(varSmallint).AsInteger()));
}
void TcxSmallintValueType::SaveValueToStream(const void* A, TStream* S) const { cxWriteSmallInt(S, Get<int16_t>(A)); }
int TcxSmallintValueType::CompareBufferValues(const void* A, const void* B) const {
  return int(Get<int16_t>(A)) - int(Get<int16_t>(B));
}

Variant TcxIntegerValueType::ReadBufferValue(const void* A) const { return Variant(Get<int32_t>(A)); }
void TcxIntegerValueType::LoadValueFromStream(void* A, TStream* S) const { Put<int32_t>(A, cxReadInteger(S)); }
void TcxIntegerValueType::WriteBufferValue(void* A, const Variant& V) const { Put<int32_t>(A, V.AsInteger()); }
void TcxIntegerValueType::SaveValueToStream(const void* A, TStream* S) const { cxWriteInteger(S, Get<int32_t>(A)); }
int TcxIntegerValueType::CompareBufferValues(const void* A, const void* B) const {
  return Order(Get<int32_t>(A), Get<int32_t>(B));
}

Variant TcxWordValueType::ReadBufferValue(const void* A) const { return Variant(Get<uint16_t>(A)); }
void TcxWordValueType::LoadValueFromStream(void* A, TStream* S) const { Put<uint16_t>(A, cxReadWord(S)); }
void TcxWordValueType::WriteBufferValue(void* A, const Variant& V) const {
  Put<uint16_t>(A, uint16_t(V.AsType(varWord).AsInteger()));
}
void TcxWordValueType::SaveValueToStream(const void* A, TStream* S) const { cxWriteWord(S, Get<uint16_t>(A)); }
int TcxWordValueType::CompareBufferValues(const void* A, const void* B) const {
  return int(Get<uint16_t>(A)) - int(Get<uint16_t>(B));
}

Variant TcxBooleanValueType::ReadBufferValue(const void* A) const { return Variant(Get<uint8_t>(A) != 0); }
void TcxBooleanValueType::LoadValueFromStream(void* A, TStream* S) const { Put<uint8_t>(A, cxReadBoolean(S) ? 1 : 0); }
void TcxBooleanValueType::WriteBufferValue(void* A, const Variant& V) const { Put<uint8_t>(A, V.AsBoolean() ? 1 : 0); }
void TcxBooleanValueType::SaveValueToStream(const void* A, TStream* S) const { cxWriteBoolean(S, Get<uint8_t>(A) != 0); }
int TcxBooleanValueType::CompareBufferValues(const void* A, const void* B) const {
  return int(Get<uint8_t>(A)) - int(Get<uint8_t>(B));
}

Variant TcxFloatValueType::ReadBufferValue(const void* A) const { return Variant(Get<double>(A)); }
void TcxFloatValueType::LoadValueFromStream(void* A, TStream* S) const { Put<double>(A, cxReadExtended(S)); }
void TcxFloatValueType::WriteBufferValue(void* A, const Variant& V) const { Put<double>(A, V.AsDouble()); }
void TcxFloatValueType::SaveValueToStream(const void* A, TStream* S) const { cxWriteExtended(S, Get<double>(A)); }
int TcxFloatValueType::CompareBufferValues(const void* A, const void* B) const {
  const double a = Get<double>(A), b = Get<double>(B);
  return a == b ? 0 : (a < b ? -1 : 1);
}

Variant TcxCurrencyValueType::ReadBufferValue(const void* A) const { return Variant::FromCurrencyRaw(Get<Int64>(A)); }
void TcxCurrencyValueType::LoadValueFromStream(void* A, TStream* S) const { Put<Int64>(A, cxReadCurrency(S)); }
void TcxCurrencyValueType::WriteBufferValue(void* A, const Variant& V) const { Put<Int64>(A, V.AsCurrencyRaw()); }
void TcxCurrencyValueType::SaveValueToStream(const void* A, TStream* S) const { cxWriteCurrency(S, Get<Int64>(A)); }
int TcxCurrencyValueType::CompareBufferValues(const void* A, const void* B) const {
  return Order(Get<Int64>(A), Get<Int64>(B));
}

Variant TcxDateTimeValueType::ReadBufferValue(const void* A) const { return Variant::FromDate(Get<double>(A)); }
String TcxDateTimeValueType::GetBufferDisplayText(const void* A) const {
  try {
    return VarToStr(ReadBufferValue(A));
  } catch (const EVariantError& e) {
    if (!cxIsVarConversionError(e)) throw;
    return DateTimeToStr(Get<double>(A));
  }
}
void TcxDateTimeValueType::LoadValueFromStream(void* A, TStream* S) const { Put<double>(A, cxReadDateTime(S)); }
void TcxDateTimeValueType::WriteBufferValue(void* A, const Variant& V) const { Put<double>(A, V.AsDateTime()); }
void TcxDateTimeValueType::SaveValueToStream(const void* A, TStream* S) const { cxWriteDateTime(S, Get<double>(A)); }
int TcxDateTimeValueType::CompareBufferValues(const void* A, const void* B) const {
  const double a = Get<double>(A), b = Get<double>(B);
  return a == b ? 0 : (a < b ? -1 : 1);
}

Variant TcxLargeIntValueType::ReadBufferValue(const void* A) const {
  return Variant(static_cast<long long>(Get<Int64>(A)));
}
void TcxLargeIntValueType::LoadValueFromStream(void* A, TStream* S) const { Put<Int64>(A, cxReadLargeInt(S)); }
void TcxLargeIntValueType::WriteBufferValue(void* A, const Variant& V) const { Put<Int64>(A, V.AsInt64()); }
void TcxLargeIntValueType::SaveValueToStream(const void* A, TStream* S) const { cxWriteLargeInt(S, Get<Int64>(A)); }
int TcxLargeIntValueType::CompareBufferValues(const void* A, const void* B) const {
  return Order(Get<Int64>(A), Get<Int64>(B));
}

// ---------------------------------------------------------------------------
// Binary-coded decimal

namespace {

constexpr int BcdMaxDigits = 64;

// A decimal: Digits (no leading zeros; "" for zero) times 10^-Places.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Places = 0;
};

[[noreturn]] void BcdCastError() {
  throw EVariantTypeCastError("Could not convert variant of type (String) into type (FMTBcd)");
}
[[noreturn]] void BcdOverflow() {
  throw EVariantOverflowError("Overflow while converting variant of type (String) into type (FMTBcd)");
}

void Normalize(TDecimal& D) {
  // Drop trailing fraction zeros beyond what 64 digits can keep, then
  // leading zeros.
  while (D.Places > 0 && (int(D.Digits.size()) > BcdMaxDigits || D.Places > 63)) {
    D.Digits.pop_back();
    --D.Places;
  }
  size_t lead = 0;
  while (lead < D.Digits.size() && int(D.Digits.size() - lead) > D.Places && D.Digits[lead] == '0') ++lead;
  D.Digits.erase(0, lead);
  if (D.Digits.find_first_not_of('0') == std::string::npos) {
    D.Digits.clear();
    D.Places = 0;
    D.Negative = false;
  }
  if (int(D.Digits.size()) > BcdMaxDigits) BcdOverflow();
}

// "[-+]digits[.digits][E[+-]digits]", with "." or the profile's separator.
TDecimal ParseDecimal(const String& Text) {
  const String s = Trim(Text);
  const char sep = FormatSettings().DecimalSeparator;
  TDecimal d;
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) d.Negative = s[i++] == '-';
  bool any = false, point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      d.Digits += c;
      if (point) ++d.Places;
      any = true;
    } else if ((c == '.' || c == sep) && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) BcdCastError();
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    int e = 0;
    bool digits = false;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      e = std::min(e * 10 + (s[i] - '0'), 1000);
      digits = true;
    }
    if (!digits) BcdCastError();
    if (neg) {
      d.Places += e;
    } else if (e <= d.Places) {
      d.Places -= e;
    } else {
      d.Digits.append(size_t(e - d.Places), '0');
      d.Places = 0;
    }
  }
  if (i != s.size()) BcdCastError();
  Normalize(d);
  return d;
}

TDecimal DecodeBcd(const Byte* A) {
  TDecimal d;
  const int precision = std::min<int>(A[0], BcdMaxDigits);
  d.Negative = (A[1] & 0x80) != 0;
  d.Places = std::min(A[1] & 0x3F, precision);
  for (int i = 0; i < precision; ++i) {
    const Byte b = A[2 + i / 2];
    const int nibble = (i % 2 == 0) ? (b >> 4) : (b & 0x0F);
    d.Digits += char('0' + std::min(nibble, 9));
  }
  Normalize(d);
  return d;
}

void EncodeBcd(const TDecimal& D, Byte* A) {
  Byte out[34] = {0};
  out[0] = Byte(D.Digits.size());
  out[1] = Byte((D.Negative ? 0x80 : 0) | D.Places);
  for (size_t i = 0; i < D.Digits.size(); ++i) {
    const Byte nibble = Byte(D.Digits[i] - '0');
    out[2 + i / 2] |= (i % 2 == 0) ? Byte(nibble << 4) : nibble;
  }
  std::memcpy(A, out, sizeof out);
}

String DecimalText(const TDecimal& D, char Sep) {
  if (D.Digits.empty()) return "0";
  std::string intPart = D.Digits.substr(0, D.Digits.size() - size_t(D.Places));
  std::string frac = D.Digits.substr(D.Digits.size() - size_t(D.Places));
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  String s = D.Negative ? "-" : "";
  s += intPart.empty() ? "0" : intPart;
  if (!frac.empty()) s += Sep + frac;
  return s;
}

int CompareDecimals(const TDecimal& A, const TDecimal& B) {
  const int sa = A.Digits.empty() ? 0 : (A.Negative ? -1 : 1);
  const int sb = B.Digits.empty() ? 0 : (B.Negative ? -1 : 1);
  if (sa != sb) return sa < sb ? -1 : 1;
  if (sa == 0) return 0;
  // Same sign: compare magnitudes with the fractions aligned.
  const int places = std::max(A.Places, B.Places);
  std::string a = A.Digits + std::string(size_t(places - A.Places), '0');
  std::string b = B.Digits + std::string(size_t(places - B.Places), '0');
  int c = a.size() != b.size() ? (a.size() < b.size() ? -1 : 1) : (a < b ? -1 : (a > b ? 1 : 0));
  return sa < 0 ? -c : c;
}

}  // namespace

Variant TcxFMTBcdValueType::ReadBufferValue(const void* A) const {
  return Variant(std::strtod(DecimalText(DecodeBcd(static_cast<const Byte*>(A)), '.').c_str(), nullptr));
}

String TcxFMTBcdValueType::GetBufferDisplayText(const void* A) const {
  return DecimalText(DecodeBcd(static_cast<const Byte*>(A)), FormatSettings().DecimalSeparator);
}

void TcxFMTBcdValueType::WriteBufferValue(void* A, const Variant& V) const {
  EncodeBcd(ParseDecimal(V.AsString()), static_cast<Byte*>(A));
}

int TcxFMTBcdValueType::CompareBufferValues(const void* A, const void* B) const {
  return CompareDecimals(DecodeBcd(static_cast<const Byte*>(A)), DecodeBcd(static_cast<const Byte*>(B)));
}

// ---------------------------------------------------------------------------
// SQL time stamp

namespace {
struct TTimeStamp {
  int16_t Year;
  uint16_t Month, Day, Hour, Minute, Second;
  uint32_t Fractions;
};
static_assert(sizeof(TTimeStamp) == 16);
}  // namespace

Variant TcxSQLTimeStampValueType::ReadBufferValue(const void* A) const {
  const TTimeStamp t = Get<TTimeStamp>(A);
  TDateTime d, tm;
  if (t.Year < 1 || !TryEncodeDate(Word(t.Year), t.Month, t.Day, d) ||
      !TryEncodeTime(t.Hour, t.Minute, t.Second, Word(std::min<uint32_t>(t.Fractions, 999)), tm))
    return Variant::Null();
  return Variant::FromDate(d >= 0 ? d + tm : d - tm);
}

void TcxSQLTimeStampValueType::WriteBufferValue(void* A, const Variant& V) const {
  const TDateTime value = V.AsDateTime();
  Word y, m, d, h, n, s, ms;
  DecodeDateTime(value, y, m, d, h, n, s, ms);
  Put<TTimeStamp>(A, TTimeStamp{int16_t(y), m, d, h, n, s, ms});
}

int TcxSQLTimeStampValueType::CompareBufferValues(const void* A, const void* B) const {
  const TTimeStamp a = Get<TTimeStamp>(A), b = Get<TTimeStamp>(B);
  if (a.Year != b.Year) return Order(a.Year, b.Year);
  if (a.Month != b.Month) return Order(a.Month, b.Month);
  if (a.Day != b.Day) return Order(a.Day, b.Day);
  if (a.Hour != b.Hour) return Order(a.Hour, b.Hour);
  if (a.Minute != b.Minute) return Order(a.Minute, b.Minute);
  if (a.Second != b.Second) return Order(a.Second, b.Second);
  return Order(a.Fractions, b.Fractions);
}

// ---------------------------------------------------------------------------
// Variants and objects

void TcxVariantValueType::FreeValueBuffer(void* Area) const {
  delete Get<Variant*>(Area);
  Put<Variant*>(Area, nullptr);
}

Variant TcxVariantValueType::ReadBufferValue(const void* Area) const {
  return CompareKeyValue(MakeCompareKey(Area));
}

void TcxVariantValueType::WriteBufferValue(void* Area, const Variant& V) const {
  if (Variant* p = Get<Variant*>(Area))
    *p = V.Deref();
  else
    Put<Variant*>(Area, new Variant(V.Deref()));
}

int TcxVariantValueType::CompareBufferValues(const void* KeyA, const void* KeyB) const {
  if (!KeyA || !KeyB) return KeyA ? 1 : (KeyB ? -1 : 0);
  return cxVarCompare(*static_cast<const Variant*>(KeyA), *static_cast<const Variant*>(KeyB));
}

Variant TcxVariantValueType::CompareKeyValue(const void* Key) const {
  return Key ? *static_cast<const Variant*>(Key) : Variant::Null();
}

const void* TcxVariantValueType::MakeCompareKey(const void* Area) const {
  return Get<const void*>(Area);
}

void TcxObjectValueType::FreeValueBuffer(void* Area) const {
  delete static_cast<TObject*>(Get<void*>(Area));
  Put<void*>(Area, nullptr);
}

Variant TcxObjectValueType::ReadBufferValue(const void* A) const {
  return Variant::FromObject(Get<void*>(A));
}

void TcxObjectValueType::LoadValueFromStream(void*, TStream*) const {}

void TcxObjectValueType::WriteBufferValue(void* A, const Variant& V) const {
  Put<void*>(A, V.AsObject());
}

void TcxObjectValueType::SaveValueToStream(const void*, TStream*) const {}

int TcxObjectValueType::CompareBufferValues(const void* A, const void* B) const {
  return Order(reinterpret_cast<uintptr_t>(Get<void*>(A)), reinterpret_cast<uintptr_t>(Get<void*>(B)));
}

// ---------------------------------------------------------------------------

void TcxValueTypeClassList::Register(TcxValueTypeClass AClass) {
  for (TcxValueTypeClass c : FItems)
    if (c == AClass) return;
  FItems.push_back(AClass);
}

void TcxValueTypeClassList::Unregister(TcxValueTypeClass AClass) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if (*it == AClass) {
      FItems.erase(it);
      return;
    }
}

TcxValueTypeClassList* cxGetValueTypeClassList() {
  static TcxValueTypeClassList list;
  return &list;
}

namespace {
const bool ValueTypesRegistered = [] {
  TcxValueTypeClassList* list = cxGetValueTypeClassList();
  for (TcxValueTypeClass c :
       {TcxStringValueType::Class(), TcxWideStringValueType::Class(), TcxSmallintValueType::Class(),
        TcxIntegerValueType::Class(), TcxWordValueType::Class(), TcxBooleanValueType::Class(),
        TcxFloatValueType::Class(), TcxCurrencyValueType::Class(), TcxDateTimeValueType::Class(),
        TcxLargeIntValueType::Class(), TcxFMTBcdValueType::Class(), TcxSQLTimeStampValueType::Class(),
        TcxVariantValueType::Class(), TcxObjectValueType::Class()})
    list->Register(c);
  return true;
}();
}  // namespace
