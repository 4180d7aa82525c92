#include "dxdbtreeKeys.h"

bool dxKeyIsNull(const Variant& v) { return v.IsNull() || v.IsEmpty(); }

bool dxKeyEqual(const Variant& a, const Variant& b) {
  if (dxKeyIsNull(a) || dxKeyIsNull(b)) return dxKeyIsNull(a) && dxKeyIsNull(b);
  try {
    return VarCompareValue(a, b) == vrEqual;
  } catch (const Exception&) {
    return false;
  }
}

bool dxKeyGreater(const Variant& a, const Variant& b) {
  if (dxKeyIsNull(a) || dxKeyIsNull(b)) return false;
  try {
    return VarCompareValue(a, b) == vrGreaterThan;
  } catch (const Exception&) {
    return false;
  }
}

bool dxLocateKey(TField* field, const Variant& value) {
  if (!field || dxKeyIsNull(value) || !field->DataSet()) return false;
  try {
    return field->DataSet()->Locate(field->FieldName(), value, TLocateOptions());
  } catch (const Exception&) {
    return false;
  }
}
