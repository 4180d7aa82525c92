// The field family: typed access to the active record's values, texts for
// display and editing, validation and change notification.
#include <cmath>
#include <unordered_map>
#include "DB.h"
#include "DBUtil.h"
#include "DateUtils.h"
#include "Streams.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS(TField, TComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TStringField, TField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TWideStringField, TStringField)
TOVANI_IMPLEMENT_CLASS(TNumericField, TField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TIntegerField, TNumericField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TSmallintField, TIntegerField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TWordField, TIntegerField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TAutoIncField, TIntegerField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TLargeintField, TIntegerField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TFloatField, TNumericField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TCurrencyField, TFloatField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TBCDField, TNumericField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TBooleanField, TField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDateTimeField, TField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDateField, TDateTimeField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TTimeField, TDateTimeField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TBlobField, TField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TMemoField, TBlobField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TWideMemoField, TMemoField)
TOVANI_IMPLEMENT_CLASS_FACTORY(TGraphicField, TBlobField)

namespace {
const char* const SFieldAccessError = "Cannot access field '%s' as type %s";
const char* const SNotEditing = "Dataset not in edit or insert mode";
const char* const SFieldReadOnly = "Field '%s' cannot be modified";
const char* const SFieldRequired = "Field '%s' must have a value";
const char* const SFieldRangeError = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
const char* const SNotBound = "Field '%s' is not bound to a dataset";
const char* const SInvalidBoolValue = "'%s' is not a valid boolean value for field '%s'";
const char* const SFieldIndexError = "Field index out of range";
}  // namespace

// ---------------------------------------------------------------------------
// TField

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::~TField() {
  if (FDataSet) {
    auto& list = FDataSet->FFields.FList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) list.erase(it);
    if (!FDataSet->FInOpen && FDataSet->Active()) FDataSet->DataEvent(deFieldListChange, 0);
  }
}

void TField::SetDataSet(TDataSet* ds) {
  if (ds == FDataSet) return;
  if (FDataSet) FDataSet->CheckInactive();
  if (ds) ds->CheckInactive();
  if (FDataSet) {
    auto& list = FDataSet->FFields.FList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it != list.end()) list.erase(it);
    FDataSet->DataEvent(deFieldListChange, 0);
  }
  FDataSet = ds;
  if (ds) {
    ds->FFields.FList.push_back(this);
    ds->DataEvent(deFieldListChange, 0);
  }
}

TComponent* TField::GetParentComponent() const { return FDataSet; }

void TField::SetParentComponent(TComponent* parent) {
  if (auto* ds = dynamic_cast<TDataSet*>(parent)) SetDataSet(ds);
}

void TField::SetLookupDataSet(TDataSet* v) {
  if (v == FLookupDataSet) return;
  if (FLookupDataSet) FLookupDataSet->RemoveFreeNotification(this);
  FLookupDataSet = v;
  FLookupList.reset();
  if (v) v->FreeNotification(this);
}

// ---------------------------------------------------------------------------
// Lookup cache.

namespace {
// The text identifying a key: the key values' texts, each with its length
// so that no pair of different keys can give the same text.
String LookupKeyText(const Variant& key) {
  String s;
  Integer n = VarElementCount(key);
  for (Integer i = 0; i < n; ++i) {
    String t = VarToStr(VarElement(key, i));
    s += IntToStr(Int64(t.size())) + ":" + t + ";";
  }
  return s;
}
}  // namespace

struct TLookupList::Impl {
  std::unordered_map<String, Variant> Map;
};

TLookupList::TLookupList() : FImpl(std::make_unique<Impl>()) {}
TLookupList::~TLookupList() = default;
void TLookupList::Add(const Variant& key, const Variant& value) { FImpl->Map.emplace(LookupKeyText(key), value); }
void TLookupList::Clear() { FImpl->Map.clear(); }
Integer TLookupList::Count() const { return Integer(FImpl->Map.size()); }
Variant TLookupList::ValueOfKey(const Variant& key) const {
  if (VarIsNullOrEmpty(key)) return Variant::Null();
  auto it = FImpl->Map.find(LookupKeyText(key));
  return it == FImpl->Map.end() ? Variant::Null() : it->second;
}

void TField::SetLookupCache(bool v) {
  FLookupCache = v;
  if (!v) FLookupList.reset();
}

void TField::RefreshLookupList() {
  TDataSet* src = FLookupDataSet;
  if (!src || !src->Active() || FLookupKeyFields.empty() || FLookupResultField.empty()) {
    FLookupList.reset();
    return;
  }
  std::vector<TField*> keys = src->GetFieldList(FLookupKeyFields);
  TField* result = src->FieldByName(FLookupResultField);
  auto list = std::make_unique<TLookupList>();
  // The first record of a key wins, as a search would find it.
  for (Integer i = 0; i < src->ViewCount(); ++i) {
    const TRecordData* rec = src->ViewRecord(i);
    std::vector<Variant> kv;
    bool hasNull = false;
    for (TField* k : keys) {
      TDBValue v = src->RecordFieldValue(rec, k);
      if (DBValueIsNull(v)) { hasNull = true; break; }
      kv.push_back(DBValueToVariant(v, k->DataType()));
    }
    if (hasNull) continue;
    list->Add(kv.size() == 1 ? kv[0] : VarArrayFromList(kv),
              DBValueToVariant(src->RecordFieldValue(rec, result), result->DataType()));
  }
  FLookupList = std::move(list);
}

TDBValue TField::LookupValue(const std::vector<Variant>& keyValues) {
  TDataSet* src = FLookupDataSet;
  if (!src || !src->Active()) return {};
  Variant key = keyValues.size() == 1 ? keyValues[0] : VarArrayFromList(keyValues);
  Variant r;
  if (FLookupCache) {
    if (!FLookupList) RefreshLookupList();
    r = FLookupList ? FLookupList->ValueOfKey(key) : Variant::Null();
  } else {
    r = src->Lookup(FLookupKeyFields, key, FLookupResultField);
  }
  return VariantToDBValue(r, StorageKindOf(FDataType));
}

void TField::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove && c == FLookupDataSet) { FLookupDataSet = nullptr; FLookupList.reset(); }
}

void TField::SetFieldName(const String& v) {
  if (FDataSet) FDataSet->CheckInactive();
  FFieldName = v;
}

void TField::PropertyChanged(bool layoutAffected) {
  if (FDataSet && FDataSet->Active())
    FDataSet->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange, 0);
}

void TField::SetDisplayLabel(const String& v) {
  FDisplayLabel = v == FFieldName ? String() : v;
  PropertyChanged(true);
}

Integer TField::DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
void TField::SetDisplayWidth(Integer v) {
  FDisplayWidth = v;
  PropertyChanged(true);
}
void TField::SetFieldKind(TFieldKind v) {
  if (FDataSet) FDataSet->CheckInactive();
  FFieldKind = v;
}
Integer TField::Index() const { return FDataSet ? FDataSet->FFields.IndexOf(this) : -1; }
void TField::SetIndex(Integer v) {
  if (!FDataSet) return;
  auto& list = FDataSet->FFields.FList;
  if (v < 0 || v >= Integer(list.size())) DatabaseError(SFieldIndexError, FDataSet);
  auto it = std::find(list.begin(), list.end(), this);
  list.erase(it);
  list.insert(list.begin() + v, this);
  PropertyChanged(true);
}
void TField::SetSize(Integer v) {
  if (FDataSet) FDataSet->CheckInactive();
  FSize = v;
}
void TField::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  PropertyChanged(true);
}
void TField::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  PropertyChanged(false);
}
void TField::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  PropertyChanged(false);
}

bool TField::CanModify() const {
  if (FReadOnly || !FDataSet) return false;
  if (FFieldKind != fkData && FFieldKind != fkLookup) return false;
  if (FDataSet->State() == dsSetKey) return true;
  return FDataSet->CanModify();
}

void TField::AccessError(const char* typeName) const {
  DatabaseError(Format(SFieldAccessError, {DisplayName(), typeName}));
}

TDBValue TField::GetData() const {
  const TDBValue* p = ValuePtr();
  return p ? *p : TDBValue{};
}

bool TField::IsNull() const {
  const TDBValue* p = ValuePtr();
  return !p || DBValueIsNull(*p);
}

void TField::SetData(const TDBValue& v) {
  if (!FDataSet) DatabaseError(Format(SNotBound, {DisplayName()}));
  TDataSet* ds = FDataSet;
  TDataSetState st = ds->State();
  if (st == dsCalcFields || st == dsInternalCalc) {
    // Calculated values are stored without notifications.
    if (FFieldKind == fkCalculated || FFieldKind == fkLookup || FFieldKind == fkInternalCalc)
      ds->WriteFieldValue(this, v);
    return;
  }
  if (!IsEditMode(st)) DatabaseError(SNotEditing, ds);
  if (FReadOnly && st != dsSetKey) DatabaseError(Format(SFieldReadOnly, {DisplayName()}), ds);
  if (FFieldKind == fkData && OnValidate) {
    // OnValidate sees the new value; raising rejects it.
    FValidating = true;
    FValidatingValue = v;
    try {
      OnValidate(this);
    } catch (...) {
      FValidating = false;
      FValidatingValue = {};
      throw;
    }
    FValidating = false;
    FValidatingValue = {};
  }
  ds->WriteFieldValue(this, v);
  ds->DataEvent(deFieldChange, reinterpret_cast<NativeInt>(this));
}

void TField::CheckRequired() const {
  if (FRequired && IsNull()) DatabaseError(Format(SFieldRequired, {DisplayName()}), FDataSet);
}

void TField::Clear() { SetData(TDBValue{}); }

String TField::AsString() const { return VarToStr(AsVariant()); }
void TField::SetAsString(const String& v) { SetAsVariant(Variant(v)); }
Integer TField::AsInteger() const { AccessError("Integer"); }
void TField::SetAsInteger(Integer) { AccessError("Integer"); }
Int64 TField::AsLargeInt() const { return AsInteger(); }
void TField::SetAsLargeInt(Int64 v) {
  if (v < INT32_MIN || v > INT32_MAX) AccessError("Largeint");
  SetAsInteger(Integer(v));
}
double TField::AsFloat() const { AccessError("Float"); }
void TField::SetAsFloat(double) { AccessError("Float"); }
Currency TField::AsCurrency() const { return Currency(AsFloat()); }
void TField::SetAsCurrency(Currency v) { SetAsFloat(v.ToDouble()); }
TDateTime TField::AsDateTime() const { AccessError("DateTime"); }
void TField::SetAsDateTime(TDateTime) { AccessError("DateTime"); }
bool TField::AsBoolean() const { AccessError("Boolean"); }
void TField::SetAsBoolean(bool) { AccessError("Boolean"); }

Variant TField::AsVariant() const {
  const TDBValue* p = ValuePtr();
  return p ? DBValueToVariant(*p, FDataType) : Variant::Null();
}

void TField::SetAsVariant(const Variant& v) {
  if (FFieldKind == fkLookup && FDataSet && FDataSet->State() != dsCalcFields && FLookupDataSet) {
    // Choosing a lookup value writes the key of the looked-up record.
    Variant key = (v.IsNull() || v.IsEmpty()) ? Variant::Null()
                                             : FLookupDataSet->Lookup(FLookupResultField, v, FLookupKeyFields);
    FDataSet->SetFieldValues(FKeyFields, key);
    return;
  }
  if (v.IsNull() || v.IsEmpty()) { Clear(); return; }
  SetData(ValueFromVariant(v));
}

TDBValue TField::ValueFromVariant(const Variant& v) const {
  return VariantToDBValue(v, StorageKindOf(FDataType));
}

String TField::FormatText(bool) const { return AsString(); }

String TField::Text() const {
  String t;
  if (OnGetText) {
    OnGetText(const_cast<TField*>(this), t, false);
    return t;
  }
  return IsNull() ? NullText(false) : FormatText(false);
}

String TField::DisplayText() const {
  String t;
  if (OnGetText) {
    OnGetText(const_cast<TField*>(this), t, true);
    return t;
  }
  return IsNull() ? NullText(true) : FormatText(true);
}

void TField::SetText(const String& v) {
  if (OnSetText) OnSetText(this, v);
  else SetTextValue(v);
}

bool TField::IsValidChar(char32_t ch) const { return ch >= 32 || ch == 9; }

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->Active()) return;
  TField* f = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<NativeInt>(&f));
}

// ---------------------------------------------------------------------------
// TFields

TField* TFields::FindField(const String& name) const {
  for (TField* f : FList)
    if (SameText(f->FFieldName, name) || AnsiSameText(f->FFieldName, name)) return f;
  return nullptr;
}

TField* TFields::FieldByName(const String& name) const {
  TField* f = FindField(name);
  if (!f) DatabaseErrorFmtField("Field '%s' not found", name, FDataSet);
  return f;
}

TField* TFields::FieldByNumber(Integer fieldNo) const {
  for (TField* f : FList)
    if (f->FFieldNo == fieldNo) return f;
  return nullptr;
}

Integer TFields::IndexOf(const TField* f) const {
  for (size_t i = 0; i < FList.size(); ++i)
    if (FList[i] == f) return Integer(i);
  return -1;
}

// ---------------------------------------------------------------------------
// String fields

TStringField::TStringField(TComponent* owner) : TField(owner) {
  SetDataType(ftString);
  SetSize(20);
}

String TStringField::AsString() const {
  const TDBValue* v = ValuePtr();
  return v && v->index() == 4 ? std::get<String>(*v) : String();
}
Integer TStringField::AsInteger() const { return IsNull() ? 0 : StrToInt(Trim(AsString())); }
double TStringField::AsFloat() const { return IsNull() ? 0 : StrToFloat(Trim(AsString())); }
bool TStringField::AsBoolean() const {
  String s = UpperCase(Trim(AsString()));
  return !s.empty() && (s[0] == 'T' || s[0] == 'Y');
}
TDateTime TStringField::AsDateTime() const { return IsNull() ? 0 : StrToDateTime(AsString()); }
// A text is stored as it is: no round trip through a Variant (lookup
// fields still go through SetAsVariant to find their key).
void TStringField::SetAsString(const String& v) {
  if (FieldKind() == fkLookup) {
    TField::SetAsString(v);
    return;
  }
  SetData(TDBValue(v));
}
void TStringField::SetAsInteger(Integer v) { SetAsString(IntToStr(v)); }
void TStringField::SetAsFloat(double v) { SetAsString(FloatToStr(v)); }
void TStringField::SetAsBoolean(bool v) { SetAsString(v ? "T" : "F"); }

TWideStringField::TWideStringField(TComponent* owner) : TStringField(owner) { SetDataType(ftWideString); }

// ---------------------------------------------------------------------------
// Numeric fields

TNumericField::TNumericField(TComponent* owner) : TField(owner) { SetAlignment(taRightJustify); }

void TNumericField::SetDisplayFormat(const String& v) {
  if (v == FDisplayFormat) return;
  FDisplayFormat = v;
  PropertyChanged(false);
}
void TNumericField::SetEditFormat(const String& v) {
  if (v == FEditFormat) return;
  FEditFormat = v;
  PropertyChanged(false);
}

bool TNumericField::IsValidChar(char32_t ch) const {
  if ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-') return true;
  switch (DataType()) {
    case ftFloat: case ftCurrency:
      return ch == char32_t(FormatSettings().DecimalSeparator) || ch == 'E' || ch == 'e';
    case ftBCD: case ftFMTBcd:
      return ch == char32_t(FormatSettings().DecimalSeparator);
    default:
      return false;
  }
}

TIntegerField::TIntegerField(TComponent* owner) : TNumericField(owner) { SetDataType(ftInteger); }

void TIntegerField::CheckRange(Int64 v) const {
  Int64 lo = FTypeMin, hi = FTypeMax;
  if (FMinValue != 0 || FMaxValue != 0) { lo = FMinValue; hi = FMaxValue; }
  if (v < lo || v > hi)
    DatabaseError(Format(SFieldRangeError, {IntToStr(v), DisplayName(), IntToStr(lo), IntToStr(hi)}));
}

String TIntegerField::AsString() const { return IsNull() ? String() : IntToStr(AsLargeInt()); }
void TIntegerField::SetAsString(const String& v) {
  String t = Trim(v);
  if (t.empty()) { Clear(); return; }
  SetAsLargeInt(StrToInt64(t));
}
Integer TIntegerField::AsInteger() const { return Integer(AsLargeInt()); }
void TIntegerField::SetAsInteger(Integer v) { SetAsLargeInt(v); }
Int64 TIntegerField::AsLargeInt() const {
  const TDBValue* v = ValuePtr();
  return v && v->index() == 1 ? std::get<Int64>(*v) : 0;
}
void TIntegerField::SetAsLargeInt(Int64 v) {
  CheckRange(v);
  SetData(v);
}
double TIntegerField::AsFloat() const { return double(AsLargeInt()); }
void TIntegerField::SetAsFloat(double v) {
  double r = std::nearbyint(v);
  if (!(r >= double(FTypeMin) && r <= double(FTypeMax)))
    DatabaseError(Format(SFieldRangeError, {FloatToStr(v), DisplayName(), IntToStr(FTypeMin), IntToStr(FTypeMax)}));
  SetAsLargeInt(Int64(r));
}
bool TIntegerField::AsBoolean() const { return AsLargeInt() != 0; }
void TIntegerField::SetAsBoolean(bool v) { SetAsLargeInt(v ? 1 : 0); }

TDBValue TIntegerField::ValueFromVariant(const Variant& v) const {
  Int64 i = v.AsInt64();
  CheckRange(i);
  return i;
}

String TIntegerField::FormatText(bool displayText) const {
  const String& fmt = displayText ? DisplayFormat() : EditFormat();
  if (fmt.empty()) return IntToStr(AsLargeInt());
  return FormatFloat(fmt, double(AsLargeInt()));
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftSmallint);
  FTypeMin = INT16_MIN;
  FTypeMax = INT16_MAX;
}
TWordField::TWordField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftWord);
  FTypeMin = 0;
  FTypeMax = UINT16_MAX;
}
TAutoIncField::TAutoIncField(TComponent* owner) : TIntegerField(owner) { SetDataType(ftAutoInc); }
TLargeintField::TLargeintField(TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftLargeint);
  FTypeMin = INT64_MIN;
  FTypeMax = INT64_MAX;
}

// Float fields

TFloatField::TFloatField(TComponent* owner) : TNumericField(owner) { SetDataType(ftFloat); }

void TFloatField::SetCurrency(bool v) {
  if (v == FCurrency) return;
  FCurrency = v;
  PropertyChanged(false);
}
void TFloatField::SetPrecision(Integer v) {
  if (v < 2) v = 2;
  if (v > 15) v = 15;
  FPrecision = v;
  PropertyChanged(false);
}
double TFloatField::AsFloat() const {
  const TDBValue* v = ValuePtr();
  return v && v->index() == 2 ? std::get<double>(*v) : 0.0;
}
void TFloatField::CheckRange(double v) const {
  if ((FMinValue != 0 || FMaxValue != 0) && (v < FMinValue || v > FMaxValue))
    DatabaseError(Format(SFieldRangeError, {FloatToStr(v), DisplayName(), FloatToStr(FMinValue), FloatToStr(FMaxValue)}));
}
void TFloatField::SetAsFloat(double v) {
  if (!std::isfinite(v)) DatabaseError(Format("'%s' is not a valid floating point value", {FloatToStr(v)}));
  CheckRange(v);
  SetData(v);
}
String TFloatField::AsString() const { return IsNull() ? String() : FloatToStr(AsFloat()); }
void TFloatField::SetAsString(const String& v) {
  String t = Trim(v);
  if (t.empty()) { Clear(); return; }
  SetAsFloat(StrToFloat(t));
}
Integer TFloatField::AsInteger() const {
  double r = std::nearbyint(AsFloat());
  if (r < INT32_MIN || r > INT32_MAX) AccessError("Integer");
  return Integer(r);
}
void TFloatField::SetAsInteger(Integer v) { SetAsFloat(v); }
Int64 TFloatField::AsLargeInt() const { return Int64(std::nearbyint(AsFloat())); }
void TFloatField::SetAsLargeInt(Int64 v) { SetAsFloat(double(v)); }
::Currency TFloatField::AsCurrency() const { return ::Currency(AsFloat()); }
void TFloatField::SetAsCurrency(::Currency v) { SetAsFloat(v.ToDouble()); }
TDBValue TFloatField::ValueFromVariant(const Variant& v) const {
  double d = v.AsDouble();
  if (!std::isfinite(d)) DatabaseError(Format("'%s' is not a valid floating point value", {VarToStr(v)}));
  CheckRange(d);
  return d;
}

String TFloatField::FormatText(bool displayText) const {
  double v = AsFloat();
  const String& fmt = displayText ? DisplayFormat() : EditFormat();
  if (!fmt.empty()) return FormatFloat(fmt, v);
  if (FCurrency) {
    if (displayText) return FloatToStrF(v, ffCurrency, FPrecision, FormatSettings().CurrencyDecimals);
    return FloatToStrF(v, ffFixed, FPrecision, FormatSettings().CurrencyDecimals);
  }
  return FloatToStrF(v, ffGeneral, FPrecision, 0);
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner) {
  SetDataType(ftCurrency);
  FCurrency = true;
}

// BCD fields: the value is a ::Currency (four decimals, exact).

TBCDField::TBCDField(TComponent* owner) : TNumericField(owner) {
  SetDataType(ftBCD);
  SetSize(4);
}
void TBCDField::SetCurrency(bool v) {
  if (v == FCurrency) return;
  FCurrency = v;
  PropertyChanged(false);
}
::Currency TBCDField::AsCurrency() const {
  const TDBValue* v = ValuePtr();
  return v && v->index() == 1 ? ::Currency::FromRaw(std::get<Int64>(*v)) : ::Currency();
}
void TBCDField::CheckRange(::Currency v) const {
  if ((FMinValue != ::Currency() || FMaxValue != ::Currency()) && (v < FMinValue || v > FMaxValue))
    DatabaseError(Format(SFieldRangeError, {CurrToStr(v), DisplayName(), CurrToStr(FMinValue), CurrToStr(FMaxValue)}));
}
void TBCDField::SetAsCurrency(::Currency v) {
  CheckRange(v);
  SetData(v.Raw());
}
double TBCDField::AsFloat() const { return AsCurrency().ToDouble(); }
void TBCDField::SetAsFloat(double v) {
  if (!std::isfinite(v)) DatabaseError(Format("'%s' is not a valid floating point value", {FloatToStr(v)}));
  SetAsCurrency(::Currency(v));
}
String TBCDField::AsString() const { return IsNull() ? String() : CurrToStr(AsCurrency()); }
void TBCDField::SetAsString(const String& v) {
  String t = Trim(v);
  if (t.empty()) { Clear(); return; }
  SetAsCurrency(StrToCurr(t));
}
Integer TBCDField::AsInteger() const {
  Int64 i = AsCurrency().ToInt64();
  if (i < INT32_MIN || i > INT32_MAX) AccessError("Integer");
  return Integer(i);
}
void TBCDField::SetAsInteger(Integer v) { SetAsCurrency(::Currency(v)); }
Int64 TBCDField::AsLargeInt() const { return AsCurrency().ToInt64(); }
void TBCDField::SetAsLargeInt(Int64 v) { SetAsCurrency(::Currency(v)); }
TDBValue TBCDField::ValueFromVariant(const Variant& v) const {
  Int64 raw = v.AsCurrencyRaw();
  CheckRange(::Currency::FromRaw(raw));
  return raw;
}

String TBCDField::FormatText(bool displayText) const {
  ::Currency c = AsCurrency();
  const String& fmt = displayText ? DisplayFormat() : EditFormat();
  if (!fmt.empty()) return FormatCurr(fmt, c);
  if (FCurrency) {
    if (displayText) return CurrToStrF(c, ffCurrency, FormatSettings().CurrencyDecimals);
    return CurrToStrF(c, ffFixed, FormatSettings().CurrencyDecimals);
  }
  return CurrToStr(c);
}

// ---------------------------------------------------------------------------
// Boolean fields

TBooleanField::TBooleanField(TComponent* owner) : TField(owner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const String& v) {
  FDisplayValues = v;
  size_t p = v.find(';');
  if (p == String::npos) {
    FTrueText = v;
    FFalseText.clear();
  } else {
    FTrueText = v.substr(0, p);
    FFalseText = v.substr(p + 1);
  }
  PropertyChanged(false);
}

Integer TBooleanField::DefaultDisplayWidth() const {
  return Integer(std::max(FTrueText.size(), FFalseText.size()));
}

bool TBooleanField::AsBoolean() const {
  const TDBValue* v = ValuePtr();
  return v && v->index() == 3 && std::get<bool>(*v);
}
void TBooleanField::SetAsBoolean(bool v) { SetData(v); }
Integer TBooleanField::AsInteger() const { return AsBoolean() ? 1 : 0; }
void TBooleanField::SetAsInteger(Integer v) { SetAsBoolean(v != 0); }
String TBooleanField::AsString() const {
  if (IsNull()) return {};
  return AsBoolean() ? FTrueText : FFalseText;
}
String TBooleanField::FormatText(bool) const { return AsBoolean() ? FTrueText : FFalseText; }

void TBooleanField::SetAsString(const String& v) {
  if (v.empty()) { Clear(); return; }
  // A leading part of either text is enough, as when typed.
  String u = AnsiUpperCase(v);
  auto starts = [&](const String& full) {
    String f = AnsiUpperCase(full);
    return !f.empty() && f.compare(0, u.size(), u) == 0;
  };
  if (starts(FFalseText)) SetAsBoolean(false);
  else if (starts(FTrueText)) SetAsBoolean(true);
  else DatabaseError(Format(SInvalidBoolValue, {v, DisplayName()}));
}

TDBValue TBooleanField::ValueFromVariant(const Variant& v) const {
  if (v.Kind() == varString || v.Kind() == varOleStr) {
    String s = AnsiUpperCase(VarToStr(v));
    if (!FTrueText.empty() && s == AnsiUpperCase(FTrueText)) return true;
    if (!FFalseText.empty() && s == AnsiUpperCase(FFalseText)) return false;
  }
  return v.AsBoolean();
}

// ---------------------------------------------------------------------------
// Date and time fields

TDateTimeField::TDateTimeField(TComponent* owner) : TField(owner) { SetDataType(ftDateTime); }
TDateField::TDateField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftDate); }
TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner) { SetDataType(ftTime); }

TDateTime TDateField::Normalize(TDateTime v) const { return std::trunc(v); }
TDateTime TTimeField::Normalize(TDateTime v) const { return std::fabs(v - std::trunc(v)); }

void TDateTimeField::SetDisplayFormat(const String& v) {
  if (v == FDisplayFormat) return;
  FDisplayFormat = v;
  PropertyChanged(false);
}

TDateTime TDateTimeField::AsDateTime() const {
  const TDBValue* v = ValuePtr();
  return v && v->index() == 2 ? std::get<double>(*v) : 0.0;
}
void TDateTimeField::SetAsDateTime(TDateTime v) { SetData(Normalize(v)); }
double TDateTimeField::AsFloat() const { return AsDateTime(); }
void TDateTimeField::SetAsFloat(double v) { SetAsDateTime(v); }
String TDateTimeField::AsString() const { return IsNull() ? String() : FormatText(true); }

void TDateTimeField::SetAsString(const String& v) {
  String t = Trim(v);
  if (t.empty()) { Clear(); return; }
  switch (DataType()) {
    case ftDate: SetAsDateTime(StrToDate(t)); break;
    case ftTime: SetAsDateTime(StrToTime(t)); break;
    default: SetAsDateTime(StrToDateTime(t)); break;
  }
}

TDBValue TDateTimeField::ValueFromVariant(const Variant& v) const {
  if (v.Kind() == varString || v.Kind() == varOleStr) {
    String t = Trim(VarToStr(v));
    switch (DataType()) {
      case ftDate: return Normalize(StrToDate(t));
      case ftTime: return Normalize(StrToTime(t));
      default: return Normalize(StrToDateTime(t));
    }
  }
  return Normalize(v.AsDateTime());
}

String TDateTimeField::FormatText(bool displayText) const {
  TDateTime v = AsDateTime();
  if (displayText && !FDisplayFormat.empty()) return FormatDateTime(FDisplayFormat, v);
  switch (DataType()) {
    case ftDate: return DateToStr(v);
    case ftTime: return TimeToStr(v);
    default: return DateTimeToStr(v);
  }
}

// ---------------------------------------------------------------------------
// BLOB fields: the value is the whole byte string.

TBlobField::TBlobField(TComponent* owner) : TField(owner) { SetDataType(ftBlob); }
TMemoField::TMemoField(TComponent* owner) : TBlobField(owner) { SetDataType(ftMemo); }
TWideMemoField::TWideMemoField(TComponent* owner) : TMemoField(owner) { SetDataType(ftWideMemo); }
TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner) { SetDataType(ftGraphic); }

Integer TBlobField::BlobSize() const {
  const TDBValue* v = ValuePtr();
  return v && v->index() == 4 ? Integer(std::get<String>(*v).size()) : 0;
}
String TBlobField::AsString() const {
  const TDBValue* v = ValuePtr();
  return v && v->index() == 4 ? std::get<String>(*v) : String();
}
void TBlobField::SetAsString(const String& v) {
  // An empty BLOB is stored as null, as the database keeps it.
  if (v.empty()) Clear();
  else SetData(v);
}

void TBlobField::LoadFromStream(TStream* stream) {
  Int64 size = stream->Size() - stream->Position();
  if (size < 0) size = 0;
  String data(size_t(size), '\0');
  if (size > 0) stream->ReadBuffer(data.data(), Integer(size));
  SetAsString(data);
}

void TBlobField::SaveToStream(TStream* stream) const {
  String data = AsString();
  if (!data.empty()) stream->WriteBuffer(data.data(), Integer(data.size()));
}

void TBlobField::LoadFromFile(const String& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&fs);
}

void TBlobField::SaveToFile(const String& fileName) const {
  TFileStream fs(fileName, fmCreate);
  SaveToStream(&fs);
}

String TBlobField::FormatText(bool) const { return "(BLOB)"; }
String TBlobField::NullText(bool displayText) const { return displayText ? "(Blob)" : String(); }
String TMemoField::FormatText(bool displayText) const { return displayText ? "(MEMO)" : AsString(); }
String TMemoField::NullText(bool displayText) const { return displayText ? "(Memo)" : String(); }
String TGraphicField::FormatText(bool) const { return "(GRAPHIC)"; }
String TGraphicField::NullText(bool displayText) const { return displayText ? "(Graphic)" : String(); }

// ---------------------------------------------------------------------------

TField* CreateFieldForType(TFieldType t) {
  switch (t) {
    case ftString: case ftFixedChar: case ftGuid: return new TStringField();
    case ftWideString: case ftFixedWideChar: return new TWideStringField();
    case ftSmallint: return new TSmallintField();
    case ftInteger: return new TIntegerField();
    case ftWord: return new TWordField();
    case ftAutoInc: return new TAutoIncField();
    case ftLargeint: return new TLargeintField();
    case ftFloat: return new TFloatField();
    case ftCurrency: return new TCurrencyField();
    case ftBCD: case ftFMTBcd: return new TBCDField();
    case ftBoolean: return new TBooleanField();
    case ftDate: return new TDateField();
    case ftTime: return new TTimeField();
    case ftDateTime: case ftTimeStamp: return new TDateTimeField();
    case ftMemo: case ftFmtMemo: return new TMemoField();
    case ftWideMemo: return new TWideMemoField();
    case ftGraphic: return new TGraphicField();
    case ftBlob: case ftBytes: case ftVarBytes: case ftTypedBinary: case ftParadoxOle:
    case ftDBaseOle: case ftOraBlob: case ftOraClob:
      return new TBlobField();
    default:
      DatabaseError("Field type " + FieldTypeName(t) + " is not supported");
  }
}

TField* TFieldDef::CreateField() const {
  TField* f = CreateFieldForType(DataType);
  f->SetFieldName(Name);
  if (Size) f->SetSize(Size);
  f->SetRequired(Required);
  if (ReadOnly) f->SetReadOnly(true);
  if (auto* b = dynamic_cast<TBCDField*>(f)) {
    if (Precision) b->SetPrecision(Precision);
  }
  return f;
}

TFieldDef& TFieldDefs::Add(const String& name, TFieldType type, Integer size, bool required) {
  FItems.push_back(std::make_unique<TFieldDef>(name, type, size, required));
  FItems.back()->FieldNo = Integer(FItems.size());
  return *FItems.back();
}

TFieldDef* TFieldDefs::Find(const String& name) const {
  Integer i = IndexOf(name);
  return i < 0 ? nullptr : FItems[size_t(i)].get();
}

Integer TFieldDefs::IndexOf(const String& name) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (SameText(FItems[i]->Name, name) || AnsiSameText(FItems[i]->Name, name)) return Integer(i);
  return -1;
}
