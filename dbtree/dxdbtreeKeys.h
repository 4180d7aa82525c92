// Key comparisons and locates shared by the dataset tree and the lookup
// tree: Null equals Null, a comparison that cannot be made (incompatible
// kinds) counts as neither equal nor greater, and a locate that fails or
// raises counts as not found.
#pragma once
#include "DB.h"
#include "Variant.h"

bool dxKeyIsNull(const Variant& v);
bool dxKeyEqual(const Variant& a, const Variant& b);
bool dxKeyGreater(const Variant& a, const Variant& b);
// Whole-value, case-sensitive locate of value in the field's dataset.
bool dxLocateKey(TField* field, const Variant& value);
