// Helpers shared by the data-access sources: conversion between stored
// values and Variants, value comparison for searching, filtering and
// sorting, and the ";"-separated name lists of the dataset interfaces.
#pragma once
#include <vector>
#include "DB.h"

// Stored value -> Variant of the class library's type for the field type.
Variant DBValueToVariant(const TDBValue& v, TFieldType type);
// Variant -> stored value of a storage kind (Null/Unassigned -> null).
// Raises the conversion error of the Variant when the value does not fit.
TDBValue VariantToDBValue(const Variant& v, TStorageKind kind);

// Variant helpers used across the sources.
bool VarIsNullOrEmpty(const Variant& v);
Integer VarElementCount(const Variant& v);          // 1 for a non-array
Variant VarElement(const Variant& v, Integer i);    // element i of an array, or v itself
Variant VarArrayFromList(const std::vector<Variant>& items);

// The raw value (scaled by 10000) of the Currency a double converts to, as
// Currency(double) gives it (the shortest decimal form of the double rounded
// to four decimals, ties to even), without its cost for the common values.
// False when the value is not finite or out of the Currency range.
bool CurrencyRawFromDouble(double v, Int64& raw);

// Splits "A;B; C" into trimmed names (empty entries dropped).
std::vector<String> SplitFieldNames(const String& names);

// Comparison of two stored values of the same storage kind: negative, 0 or
// positive; null sorts first. Text uses the collation (case-insensitive when
// asked).
int CompareDBValues(const TDBValue& a, const TDBValue& b, TStorageKind kind, bool ignoreCase);

// Text of a stored value for searching (no display formats).
String DBValueToText(const TDBValue& v, TFieldType type);

// SQL LIKE-style match: '*' or '%' any run, '?' or '_' one character; whole
// UTF-8 characters. Case-insensitive when asked.
bool LikeMatch(const String& text, const String& pattern, bool ignoreCase);

// Upper case of a text for case-insensitive comparisons (whole UTF-8).
String FoldCase(const String& s);

// The text between "#" of a Jet date literal: year first ("2024-01-05",
// "2024/1/5") or month first ("01/05/2024", "1-5-24"), optionally followed
// by a time ("13:45", "13:45:10", with AM/PM), or a time alone.
bool ParseJetDateLiteral(const String& text, TDateTime& value);
