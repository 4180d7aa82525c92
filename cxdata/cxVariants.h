// Variant helpers of the data controller: a total three-way order of
// Variants, equality and kind tests, one-dimensional array builders, typed
// little-endian stream access and the tagged Variant stream format in which
// filter criteria and value-type buffers keep their values.
//
// Order: Empty, then Null, then values in the platform's order; arrays after
// every scalar. Comparisons never raise for Variant conversion errors.
//
// Stream strings ("ansi" strings and varString values) are code page 936
// bytes on the stream and UTF-8 in memory. Every reader checks counts and
// lengths against the bytes left in the stream and raises EReadError
// "Stream read error" instead of allocating for, or reading past, a count the
// stream cannot hold.
#pragma once
#include <string>

#include "Variant.h"

class TStream;
class Exception;

// Negative, 0 or positive; a conversion error orders as -1.
int cxVarCompare(const Variant& A, const Variant& B);
bool cxVarEquals(const Variant& A, const Variant& B);
// Equality of editors and filters: a Boolean equals the values whose text is
// the Boolean's text.
bool cxVarEqualsStrict(const Variant& A, const Variant& B);

bool cxVarTypeHoldsDate(TVarType AType);
bool cxVarHoldsDate(const Variant& V);
// Integer, floating, currency and Boolean kinds (not dates).
bool cxVarHoldsNumber(const Variant& V);
bool cxVarTypeHoldsCurrency(TVarType AType);
// Null, or a text kind holding "" (Empty is not soft-null).
bool cxVarIsNullOrEmptyText(const Variant& V);

// The Variant conversion errors (type cast and overflow), which comparisons
// and soft filters treat as "values do not compare".
bool cxIsVarConversionError(const Exception& E);

// One-dimensional varVariant arrays with low bound 0.
Variant cxVarMakePair(const Variant& A, const Variant& B);
Variant cxVarMakeList(const Variant& A);
void cxVarListAppend(Variant& L, const Variant& V);

// Typed stream access, little-endian. Reading past the end raises EReadError.
Byte cxReadByte(TStream* S);
bool cxReadBoolean(TStream* S);
SmallInt cxReadSmallInt(TStream* S);
Word cxReadWord(TStream* S);
Integer cxReadInteger(TStream* S);
Int64 cxReadLargeInt(TStream* S);
Int64 cxReadCurrency(TStream* S);   // value * 10000
TDateTime cxReadDateTime(TStream* S);
double cxReadExtended(TStream* S);  // 80-bit extended, rounded to double
String cxReadAnsiString(TStream* S);
std::u16string cxReadWideString(TStream* S);

inline void cxReadByte(TStream* S, Byte& V) { V = cxReadByte(S); }
inline void cxReadBoolean(TStream* S, bool& V) { V = cxReadBoolean(S); }
inline void cxReadSmallInt(TStream* S, SmallInt& V) { V = cxReadSmallInt(S); }
inline void cxReadWord(TStream* S, Word& V) { V = cxReadWord(S); }
inline void cxReadInteger(TStream* S, Integer& V) { V = cxReadInteger(S); }
inline void cxReadLargeInt(TStream* S, Int64& V) { V = cxReadLargeInt(S); }
inline void cxReadCurrency(TStream* S, Int64& V) { V = cxReadCurrency(S); }
inline void cxReadDateTime(TStream* S, TDateTime& V) { V = cxReadDateTime(S); }
inline void cxReadExtended(TStream* S, double& V) { V = cxReadExtended(S); }
inline void cxReadAnsiString(TStream* S, String& V) { V = cxReadAnsiString(S); }
inline void cxReadWideString(TStream* S, std::u16string& V) { V = cxReadWideString(S); }

void cxWriteByte(TStream* S, Byte V);
void cxWriteBoolean(TStream* S, bool V);
void cxWriteSmallInt(TStream* S, SmallInt V);
void cxWriteWord(TStream* S, Word V);
void cxWriteInteger(TStream* S, Integer V);
void cxWriteLargeInt(TStream* S, Int64 V);
void cxWriteCurrency(TStream* S, Int64 V);   // value * 10000
void cxWriteDateTime(TStream* S, TDateTime V);
void cxWriteExtended(TStream* S, double V);
void cxWriteAnsiString(TStream* S, const String& V);
void cxWriteWideString(TStream* S, const std::u16string& V);

// The tagged Variant stream format. A tag the format does not define raises
// EReadError "Stream read error"; an array that is not one-dimensional or a
// value whose text cannot be made raises EWriteError "Stream write error".
Variant cxReadVariant(TStream* S);
inline void cxReadVariant(TStream* S, Variant& V) { V = cxReadVariant(S); }
void cxWriteVariant(TStream* S, const Variant& V);
