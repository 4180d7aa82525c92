#include "cxVariants.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "CodePage.h"
#include "Streams.h"

namespace {

// Deeper nesting than any filter operand has is taken as a damaged stream:
// it would otherwise recurse as deep as the stream is long.
constexpr int MaxArrayNesting = 256;
// Bytes read at once for a string whose length cannot be checked against the
// size of the stream (a stream that cannot seek).
constexpr Int64 ReadChunk = 65536;

[[noreturn]] void ReadError() { throw EReadError("Stream read error"); }
[[noreturn]] void WriteError() { throw EWriteError("Stream write error"); }

// Bytes left in the stream; -1 when the stream cannot tell.
Int64 Remaining(TStream* S) {
  Int64 size = S->Size();
  Int64 pos = S->Position();
  if (size < 0 || pos < 0) return -1;
  return size > pos ? size - pos : 0;
}

// A count of items of ItemSize bytes that the stream must still hold.
void CheckCount(TStream* S, Int64 Count, Int64 ItemSize) {
  if (Count < 0) ReadError();
  Int64 rem = Remaining(S);
  if (rem >= 0 && Count > rem / ItemSize) ReadError();
}

// Count bytes; memory grows only with the bytes actually read.
std::string ReadBytes(TStream* S, Int64 Count) {
  CheckCount(S, Count, 1);
  std::string out;
  while (Int64(out.size()) < Count) {
    Int64 n = std::min(Count - Int64(out.size()), ReadChunk);
    size_t at = out.size();
    out.resize(at + size_t(n));
    S->ReadBuffer(out.data() + at, LongInt(n));
  }
  return out;
}

template <class T> T ReadLE(TStream* S) {
  unsigned char b[sizeof(T)];
  S->ReadBuffer(b, sizeof(T));
  std::make_unsigned_t<T> u = 0;
  for (size_t i = sizeof(T); i-- > 0;) u = (u << 8) | b[i];
  return static_cast<T>(u);
}

template <class T> void WriteLE(TStream* S, T V) {
  unsigned char b[sizeof(T)];
  auto u = static_cast<std::make_unsigned_t<T>>(V);
  for (size_t i = 0; i < sizeof(T); ++i) {
    b[i] = static_cast<unsigned char>(u & 0xFF);
    u = sizeof(T) > 1 ? (u >> 8) : 0;
  }
  S->WriteBuffer(b, sizeof(T));
}

double BitsToDouble(UInt64 bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
UInt64 DoubleToBits(double d) {
  UInt64 bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

// 80-bit extended precision: 64-bit mantissa with its integer bit, 15-bit
// biased exponent, sign. Every double converts exactly.
void DoubleToExtended(double D, unsigned char Out[10]) {
  UInt64 bits = DoubleToBits(D);
  const bool neg = bits >> 63;
  const int e = int((bits >> 52) & 0x7FF);
  const UInt64 m = bits & ((UInt64(1) << 52) - 1);
  UInt64 mant = 0;
  int exp = 0;
  if (e == 0x7FF) {
    exp = 0x7FFF;
    mant = (UInt64(1) << 63) | (m << 11);
  } else if (e == 0) {
    if (m != 0) {   // subnormal double: normal in extended
      int p = 63 - __builtin_clzll(m);
      mant = m << (63 - p);
      exp = p - 1074 + 16383;
    }
  } else {
    mant = (UInt64(1) << 63) | (m << 11);
    exp = e - 1023 + 16383;
  }
  for (int i = 0; i < 8; ++i) Out[i] = static_cast<unsigned char>(mant >> (8 * i));
  const unsigned se = unsigned(exp) | (neg ? 0x8000u : 0u);
  Out[8] = static_cast<unsigned char>(se & 0xFF);
  Out[9] = static_cast<unsigned char>(se >> 8);
}

double ExtendedToDouble(const unsigned char In[10]) {
  UInt64 mant = 0;
  for (int i = 7; i >= 0; --i) mant = (mant << 8) | In[i];
  const unsigned se = unsigned(In[8]) | (unsigned(In[9]) << 8);
  const bool neg = se & 0x8000;
  const int exp = int(se & 0x7FFF);
  double r;
  if (exp == 0x7FFF)
    r = (mant << 1) == 0 ? INFINITY : NAN;
  else if (mant == 0)
    r = 0.0;
  else   // the uint64 conversion rounds to nearest even; ldexp scales exactly
    r = std::ldexp(static_cast<double>(mant), (exp == 0 ? 1 : exp) - 16383 - 63);
  return neg ? -r : r;
}

// The tagged integer: the smallest of tags 2, 3, 4 and 19.
void WriteTaggedInt(TStream* S, Int64 V) {
  if (V >= INT8_MIN && V <= INT8_MAX) {
    cxWriteByte(S, 2);
    WriteLE<int8_t>(S, int8_t(V));
  } else if (V >= INT16_MIN && V <= INT16_MAX) {
    cxWriteByte(S, 3);
    WriteLE<int16_t>(S, int16_t(V));
  } else if (V >= INT32_MIN && V <= INT32_MAX) {
    cxWriteByte(S, 4);
    WriteLE<int32_t>(S, int32_t(V));
  } else {
    cxWriteByte(S, 19);
    WriteLE<int64_t>(S, V);
  }
}

void WriteText(TStream* S, const String& Utf8) {
  std::string bytes = Utf8ToGbk(Utf8);
  if (bytes.size() <= 255) {
    cxWriteByte(S, 6);
    cxWriteByte(S, Byte(bytes.size()));
  } else {
    if (bytes.size() > size_t(INT32_MAX)) WriteError();
    cxWriteByte(S, 12);
    cxWriteInteger(S, Integer(bytes.size()));
  }
  if (!bytes.empty()) S->WriteBuffer(bytes.data(), LongInt(bytes.size()));
}

void WriteVariant(TStream* S, const Variant& V0) {
  const Variant& V = V0.Deref();
  if (V.IsArray()) {
    if (V.DimCount() != 1) WriteError();
    const Integer lo = V.LowBound(1), hi = V.HighBound(1);
    cxWriteByte(S, 1);
    WriteTaggedInt(S, Int64(hi) - lo + 1);
    for (Integer i = lo; i <= hi; ++i) WriteVariant(S, V.GetElement(i));
    return;
  }
  switch (V.Kind()) {
    case varEmpty: cxWriteByte(S, 13); return;
    case varNull: cxWriteByte(S, 0); return;
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord:
    case varLongWord: case varInt64:
      WriteTaggedInt(S, V.AsInt64());
      return;
    case varSingle: {
      cxWriteByte(S, 15);
      float f = float(V.AsDouble());
      UInt64 bits32 = 0;
      std::memcpy(&bits32, &f, 4);
      WriteLE<uint32_t>(S, uint32_t(bits32));
      return;
    }
    case varDouble: cxWriteByte(S, 5); cxWriteExtended(S, V.AsDouble()); return;
    case varCurrency: cxWriteByte(S, 16); cxWriteCurrency(S, V.AsCurrencyRaw()); return;
    case varDate: cxWriteByte(S, 17); cxWriteDateTime(S, V.AsDateTime()); return;
    case varOleStr: cxWriteByte(S, 18); cxWriteWideString(S, V.AsWideString()); return;
    case varBoolean: cxWriteByte(S, V.AsBoolean() ? 9 : 8); return;
    case varString: WriteText(S, V.AsString()); return;
    default: {
      // Any other kind travels as its text.
      String text;
      try {
        text = V.AsString();
      } catch (...) {
        WriteError();
      }
      WriteText(S, text);
      return;
    }
  }
}

// Pending counts the elements of the enclosing arrays still to come after
// this value: each of them takes at least its tag byte too.
Variant ReadVariant(TStream* S, int Depth, Int64 Pending) {
  const Byte tag = cxReadByte(S);
  switch (tag) {
    case 0: return Variant::Null();
    case 1: {
      if (Depth >= MaxArrayNesting) ReadError();
      Int64 count;
      switch (cxReadByte(S)) {
        case 2: count = ReadLE<int8_t>(S); break;
        case 3: count = ReadLE<int16_t>(S); break;
        case 4: count = ReadLE<int32_t>(S); break;
        default: count = Integer(uint32_t(ReadLE<int64_t>(S))); break;   // low 32 bits
      }
      // Every element takes at least its tag byte, and so does every element
      // still to come around this array: the counts of all open arrays
      // together must fit in what is left, so that what is reserved for them
      // never exceeds what the stream can hold. A stream that cannot tell its
      // size gets no reservation beyond a small start.
      if (count < 0) ReadError();
      CheckCount(S, count + Pending, 1);
      std::vector<Variant> items;
      items.reserve(size_t(Remaining(S) >= 0 ? count : std::min<Int64>(count, 64)));
      for (Int64 i = 0; i < count; ++i) items.push_back(ReadVariant(S, Depth + 1, Pending + count - i - 1));
      return VarArrayOf(items);
    }
    case 2: return Variant(ReadLE<int8_t>(S));
    case 3: return Variant(ReadLE<int16_t>(S));
    case 4: return Variant(ReadLE<int32_t>(S));
    case 19: return Variant(static_cast<long long>(ReadLE<int64_t>(S)));
    case 5: return Variant(cxReadExtended(S));
    case 15: {
      uint32_t bits = ReadLE<uint32_t>(S);
      float f;
      std::memcpy(&f, &bits, 4);
      return Variant(f);
    }
    case 16: return Variant::FromCurrencyRaw(cxReadCurrency(S));
    case 17: return Variant::FromDate(cxReadDateTime(S));
    case 6: return Variant(GbkToUtf8(ReadBytes(S, cxReadByte(S))));
    case 12: return Variant(GbkToUtf8(ReadBytes(S, cxReadInteger(S))));
    case 18: return Variant(cxReadWideString(S));
    case 8: return Variant(false);
    case 9: return Variant(true);
    case 13: return Variant();
    default: ReadError();
  }
}

// The element at Index, or Empty when the array has none there.
const Variant& ElementOrEmpty(const Variant& A, Integer Index) {
  static const Variant empty;
  if (Index < A.LowBound(1) || Index > A.HighBound(1)) return empty;
  return A.GetElement(Index);
}

int CompareArrays(const Variant& A, const Variant& B) {
  const bool aa = A.IsArray(), ba = B.IsArray();
  if (aa && !ba) return 1;
  if (ba && !aa) return -1;
  const Integer ha = A.HighBound(1), hb = B.HighBound(1);
  if (ha != hb) return ha - hb;
  if (A.DimCount() != 1 || B.DimCount() != 1) return 0;
  for (Integer i = 0; i <= ha; ++i) {
    int c = cxVarCompare(ElementOrEmpty(A, i), ElementOrEmpty(B, i));
    if (c != 0) return c;
  }
  return 0;
}

int CompareScalars(const Variant& A, const Variant& B) {
  if (A.IsEmpty()) return B.IsEmpty() ? 0 : -1;
  if (B.IsEmpty()) return 1;
  const bool an = A.IsNull(), bn = B.IsNull();
  if (an || bn) return an && bn ? 0 : (an ? -1 : 1);
  try {
    switch (VarCompareValue(A, B)) {
      case vrEqual: return 0;
      case vrLessThan: return -1;
      default: return 1;
    }
  } catch (const EVariantError& e) {
    if (!cxIsVarConversionError(e)) throw;
    return -1;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

bool cxIsVarConversionError(const Exception& E) {
  return E.Is<EVariantTypeCastError>() || E.Is<EVariantOverflowError>();
}

int cxVarCompare(const Variant& A0, const Variant& B0) {
  const Variant& A = A0.Deref();
  const Variant& B = B0.Deref();
  if (A.IsArray() || B.IsArray()) return CompareArrays(A, B);
  return CompareScalars(A, B);
}

bool cxVarEquals(const Variant& A, const Variant& B) { return cxVarCompare(A, B) == 0; }

bool cxVarEqualsStrict(const Variant& A, const Variant& B) {
  if (A.IsNull() || B.IsNull() || (A.Kind() != varBoolean && B.Kind() != varBoolean) ||
      A.IsArray() || B.IsArray())
    return cxVarEquals(A, B);
  try {
    return A.AsString() == B.AsString();
  } catch (const EVariantError& e) {
    if (!cxIsVarConversionError(e)) throw;
    return false;
  }
}

bool cxVarTypeHoldsDate(TVarType AType) { return (AType & varTypeMask) == varDate; }

bool cxVarHoldsDate(const Variant& V) { return !V.IsArray() && cxVarTypeHoldsDate(V.Kind()); }

bool cxVarHoldsNumber(const Variant& V) {
  if (V.IsArray()) return false;
  switch (V.Kind()) {
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency:
    case varBoolean: case varShortInt: case varByte: case varWord: case varLongWord:
    case varInt64:
      return true;
    default:
      return false;
  }
}

bool cxVarTypeHoldsCurrency(TVarType AType) { return (AType & varTypeMask) == varCurrency; }

bool cxVarIsNullOrEmptyText(const Variant& V) {
  if (V.IsNull()) return true;
  if (V.IsArray()) return false;
  const TVarType k = V.Kind();
  if (k == varString || k == varOleStr) return V.AsString().empty();
  return false;
}

Variant cxVarMakePair(const Variant& A, const Variant& B) { return VarArrayOf({A, B}); }

Variant cxVarMakeList(const Variant& A) { return VarArrayOf({A}); }

void cxVarListAppend(Variant& L, const Variant& V) {
  const Integer n = L.HighBound(1) + 1;
  std::vector<Variant> items;
  items.reserve(size_t(n) + 1);
  for (Integer i = 0; i < n; ++i) items.push_back(L.GetElement(i));
  items.push_back(V);
  L = VarArrayOf(items);
}

// ---------------------------------------------------------------------------

Byte cxReadByte(TStream* S) { return ReadLE<uint8_t>(S); }
bool cxReadBoolean(TStream* S) { return cxReadByte(S) != 0; }
SmallInt cxReadSmallInt(TStream* S) { return ReadLE<int16_t>(S); }
Word cxReadWord(TStream* S) { return ReadLE<uint16_t>(S); }
Integer cxReadInteger(TStream* S) { return ReadLE<int32_t>(S); }
Int64 cxReadLargeInt(TStream* S) { return ReadLE<int64_t>(S); }
Int64 cxReadCurrency(TStream* S) { return ReadLE<int64_t>(S); }
TDateTime cxReadDateTime(TStream* S) { return BitsToDouble(ReadLE<uint64_t>(S)); }

double cxReadExtended(TStream* S) {
  unsigned char b[10];
  S->ReadBuffer(b, 10);
  return ExtendedToDouble(b);
}

String cxReadAnsiString(TStream* S) { return GbkToUtf8(ReadBytes(S, cxReadInteger(S))); }

std::u16string cxReadWideString(TStream* S) {
  const Integer n = cxReadInteger(S);
  CheckCount(S, n, 2);
  std::string bytes = ReadBytes(S, Int64(n) * 2);
  std::u16string out(size_t(n), u'\0');
  for (Integer i = 0; i < n; ++i)
    out[i] = char16_t(Byte(bytes[2 * i]) | (Byte(bytes[2 * i + 1]) << 8));
  return out;
}

void cxWriteByte(TStream* S, Byte V) { WriteLE<uint8_t>(S, V); }
void cxWriteBoolean(TStream* S, bool V) { cxWriteByte(S, V ? 1 : 0); }
void cxWriteSmallInt(TStream* S, SmallInt V) { WriteLE<int16_t>(S, V); }
void cxWriteWord(TStream* S, Word V) { WriteLE<uint16_t>(S, V); }
void cxWriteInteger(TStream* S, Integer V) { WriteLE<int32_t>(S, V); }
void cxWriteLargeInt(TStream* S, Int64 V) { WriteLE<int64_t>(S, V); }
void cxWriteCurrency(TStream* S, Int64 V) { WriteLE<int64_t>(S, V); }
void cxWriteDateTime(TStream* S, TDateTime V) { WriteLE<uint64_t>(S, DoubleToBits(V)); }

void cxWriteExtended(TStream* S, double V) {
  unsigned char b[10];
  DoubleToExtended(V, b);
  S->WriteBuffer(b, 10);
}

void cxWriteAnsiString(TStream* S, const String& V) {
  std::string bytes = Utf8ToGbk(V);
  if (bytes.size() > size_t(INT32_MAX)) WriteError();
  cxWriteInteger(S, Integer(bytes.size()));
  if (!bytes.empty()) S->WriteBuffer(bytes.data(), LongInt(bytes.size()));
}

void cxWriteWideString(TStream* S, const std::u16string& V) {
  if (V.size() > size_t(INT32_MAX / 2)) WriteError();
  cxWriteInteger(S, Integer(V.size()));
  std::string bytes(V.size() * 2, '\0');
  for (size_t i = 0; i < V.size(); ++i) {
    bytes[2 * i] = char(V[i] & 0xFF);
    bytes[2 * i + 1] = char(V[i] >> 8);
  }
  if (!bytes.empty()) S->WriteBuffer(bytes.data(), LongInt(bytes.size()));
}

Variant cxReadVariant(TStream* S) { return ReadVariant(S, 0, 0); }

void cxWriteVariant(TStream* S, const Variant& V) { WriteVariant(S, V); }
