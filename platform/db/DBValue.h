// The value of one column of one record as the in-memory record cache keeps
// it. The field's data type says how to read it: integers (including
// auto-increment and large integers) as Int64, floats, dates and times as
// double, BCD/currency as Int64 scaled by 10000, flags as bool, text, memo
// and binary data as String (raw bytes for binary data).
#pragma once
#include <variant>
#include "System.h"

using TDBValue = std::variant<std::monostate, Int64, double, bool, String>;

inline bool DBValueIsNull(const TDBValue& v) { return v.index() == 0; }
