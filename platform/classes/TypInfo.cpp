#include "TypInfo.h"
#include "Utf8.h"
#include <map>
#include <memory>
#include <mutex>

#include "Currency.h"
#include "Variant.h"

namespace {

bool SameName(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

String Upper(const String& s) {
  String r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return r;
}

// What platform/classes hangs on TClassInfo::TypeData: the properties and
// methods the class itself publishes.
struct TClassTypeData {
  std::vector<std::unique_ptr<TPropInfo>> Props;
  std::vector<std::unique_ptr<TMethodInfo>> Methods;
};

TClassTypeData* TypeDataOf(TClass cls, bool create) {
  if (!cls) return nullptr;
  auto* info = const_cast<TClassInfo*>(cls);
  if (!info->TypeData && create) info->TypeData = new TClassTypeData;  // lives as long as the class
  return static_cast<TClassTypeData*>(info->TypeData);
}

// Built-in and registered types by upper-case name.
std::map<String, const TTypeInfo*>& TypeRegistry() {
  static std::map<String, const TTypeInfo*> r;
  return r;
}

// Types made on first use and kept for the life of the process.
const TTypeInfo* Keep(std::unique_ptr<TTypeInfo> t, bool registerName) {
  static std::vector<std::unique_ptr<TTypeInfo>> all;
  const TTypeInfo* p = t.get();
  all.push_back(std::move(t));
  if (registerName) TypeRegistry().emplace(Upper(p->Name), p);
  return p;
}

std::mutex& TypeLock() {
  static std::mutex m;
  return m;
}

[[noreturn]] void PropError(const char* fmt, const String& arg) {
  // fmt contains exactly one %s
  String f = fmt;
  size_t at = f.find("%s");
  throw EPropertyError(f.substr(0, at) + arg + f.substr(at + 2));
}

const TPropInfo* Need(TObject* obj, const TPropInfo* prop) {
  if (!obj) throw EPropertyError("Invalid property access: object is nil");
  if (!prop) throw EPropertyError("Invalid property access: property is nil");
  if (prop->Owner && !obj->InheritsFrom(prop->Owner))
    throw EPropertyError("Property " + prop->Name + " does not exist in " + obj->ClassName());
  return prop;
}

const TPropInfo* Need(TObject* obj, const String& name) {
  if (!obj) throw EPropertyError("Invalid property access: object is nil");
  const TPropInfo* p = GetPropInfo(obj, name);
  if (!p) PropError("Property %s does not exist", name);
  return p;
}

bool IsOrdinal(TTypeKind k) {
  return k == tkInteger || k == tkChar || k == tkWChar || k == tkEnumeration || k == tkSet ||
         k == tkInt64;
}

[[noreturn]] void WrongKind(const TPropInfo* p) { PropError("Invalid property type: %s", p->Name); }

template <class F>
const F& Getter(const TPropInfo* p, const F& f) {
  if (!f) PropError("Property %s is write-only", p->Name);
  return f;
}
template <class F>
const F& Setter(const TPropInfo* p, const F& f) {
  if (!f) PropError("Property %s is read-only", p->Name);
  return f;
}

}  // namespace

Int64 typinfo_detail::CurrencyRawOf(double v) { return Currency(v).Raw(); }

bool TPropInfo::HasGetter() const {
  return GetOrd || GetFloat || GetStr || GetObj || GetMethod || GetVar;
}
bool TPropInfo::HasSetter() const {
  return SetOrd || SetFloat || SetStr || SetObj || SetMethod || SetVar;
}

// ---------------------------------------------------------------------------
// Lookup

TPropList GetPropList(TClass cls, TTypeKinds kinds) {
  std::vector<TClass> chain;
  for (TClass c = cls; c; c = c->Parent) chain.push_back(c);
  TPropList list;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    TClassTypeData* td = TypeDataOf(*it, false);
    if (!td) continue;
    for (auto& p : td->Props) {
      bool replaced = false;
      for (auto& q : list)
        if (SameName(q->Name, p->Name)) {
          q = p.get();
          replaced = true;
          break;
        }
      if (!replaced) list.push_back(p.get());
    }
  }
  if (kinds != tkAny) {
    TPropList filtered;
    for (auto* p : list)
      if (kinds.Contains(p->Kind())) filtered.push_back(p);
    return filtered;
  }
  return list;
}

TPropList GetPropList(const TObject* obj, TTypeKinds kinds) {
  return obj ? GetPropList(obj->ClassType(), kinds) : TPropList();
}

const TPropInfo* GetPropInfo(TClass cls, const String& name) {
  for (TClass c = cls; c; c = c->Parent) {
    TClassTypeData* td = TypeDataOf(c, false);
    if (!td) continue;
    for (auto& p : td->Props)
      if (SameName(p->Name, name)) return p.get();
  }
  return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* obj, const String& name) {
  return obj ? GetPropInfo(obj->ClassType(), name) : nullptr;
}

bool IsPublishedProp(const TObject* obj, const String& name) { return GetPropInfo(obj, name) != nullptr; }

bool IsStoredProp(TObject* obj, const TPropInfo* prop) { return Need(obj, prop)->IsStored(obj); }

TTypeKind PropType(const TObject* obj, const String& name) {
  return Need(const_cast<TObject*>(obj), name)->Kind();
}

bool PropIsType(const TObject* obj, const String& name, TTypeKind kind) { return PropType(obj, name) == kind; }

TClass GetObjectPropClass(const TPropInfo* prop) {
  return prop && prop->PropType && prop->Kind() == tkClass ? prop->PropType->ClassType : nullptr;
}

// ---------------------------------------------------------------------------
// Access

Int64 GetOrdProp(TObject* obj, const TPropInfo* prop) {
  Need(obj, prop);
  if (prop->Kind() == tkClass) return Int64(reinterpret_cast<intptr_t>(Getter(prop, prop->GetObj)(obj)));
  if (!IsOrdinal(prop->Kind())) WrongKind(prop);
  return Getter(prop, prop->GetOrd)(obj);
}

void SetOrdProp(TObject* obj, const TPropInfo* prop, Int64 value) {
  Need(obj, prop);
  if (prop->Kind() == tkClass)
    return SetObjectProp(obj, prop, reinterpret_cast<TObject*>(static_cast<intptr_t>(value)));
  if (!IsOrdinal(prop->Kind())) WrongKind(prop);
  Setter(prop, prop->SetOrd)(obj, value);
}

Int64 GetOrdProp(TObject* obj, const String& name) { return GetOrdProp(obj, Need(obj, name)); }
void SetOrdProp(TObject* obj, const String& name, Int64 value) { SetOrdProp(obj, Need(obj, name), value); }
Int64 GetInt64Prop(TObject* obj, const TPropInfo* prop) { return GetOrdProp(obj, prop); }
void SetInt64Prop(TObject* obj, const TPropInfo* prop, Int64 value) { SetOrdProp(obj, prop, value); }

String GetEnumProp(TObject* obj, const TPropInfo* prop) {
  Need(obj, prop);
  if (prop->Kind() != tkEnumeration) WrongKind(prop);
  return GetEnumName(prop->PropType, Integer(GetOrdProp(obj, prop)));
}

void SetEnumProp(TObject* obj, const TPropInfo* prop, const String& value) {
  Need(obj, prop);
  if (prop->Kind() != tkEnumeration) WrongKind(prop);
  Integer v = GetEnumValue(prop->PropType, value);
  if (v < 0) PropError("Invalid property element: %s", value);
  SetOrdProp(obj, prop, v);
}

String GetEnumProp(TObject* obj, const String& name) { return GetEnumProp(obj, Need(obj, name)); }
void SetEnumProp(TObject* obj, const String& name, const String& value) { SetEnumProp(obj, Need(obj, name), value); }

String GetSetProp(TObject* obj, const TPropInfo* prop, bool brackets) {
  Need(obj, prop);
  if (prop->Kind() != tkSet) WrongKind(prop);
  return SetToString(prop->PropType, uint32_t(GetOrdProp(obj, prop)), brackets);
}

void SetSetProp(TObject* obj, const TPropInfo* prop, const String& value) {
  Need(obj, prop);
  if (prop->Kind() != tkSet) WrongKind(prop);
  SetOrdProp(obj, prop, StringToSet(prop->PropType, value));
}

String GetSetProp(TObject* obj, const String& name, bool brackets) { return GetSetProp(obj, Need(obj, name), brackets); }
void SetSetProp(TObject* obj, const String& name, const String& value) { SetSetProp(obj, Need(obj, name), value); }

double GetFloatProp(TObject* obj, const TPropInfo* prop) {
  Need(obj, prop);
  if (prop->Kind() != tkFloat) WrongKind(prop);
  return Getter(prop, prop->GetFloat)(obj);
}

void SetFloatProp(TObject* obj, const TPropInfo* prop, double value) {
  Need(obj, prop);
  if (prop->Kind() != tkFloat) WrongKind(prop);
  Setter(prop, prop->SetFloat)(obj, value);
}

double GetFloatProp(TObject* obj, const String& name) { return GetFloatProp(obj, Need(obj, name)); }
void SetFloatProp(TObject* obj, const String& name, double value) { SetFloatProp(obj, Need(obj, name), value); }

String GetStrProp(TObject* obj, const TPropInfo* prop) {
  Need(obj, prop);
  if (!prop->GetStr && !prop->SetStr) WrongKind(prop);
  return Getter(prop, prop->GetStr)(obj);
}

void SetStrProp(TObject* obj, const TPropInfo* prop, const String& value) {
  Need(obj, prop);
  if (!prop->GetStr && !prop->SetStr) WrongKind(prop);
  Setter(prop, prop->SetStr)(obj, value);
}

String GetStrProp(TObject* obj, const String& name) { return GetStrProp(obj, Need(obj, name)); }
void SetStrProp(TObject* obj, const String& name, const String& value) { SetStrProp(obj, Need(obj, name), value); }

TObject* GetObjectProp(TObject* obj, const TPropInfo* prop) {
  Need(obj, prop);
  if (prop->Kind() != tkClass) WrongKind(prop);
  return Getter(prop, prop->GetObj)(obj);
}

void SetObjectProp(TObject* obj, const TPropInfo* prop, TObject* value) {
  Need(obj, prop);
  if (prop->Kind() != tkClass) WrongKind(prop);
  if (value && !value->InheritsFrom(prop->PropType->ClassType)) throw EInvalidCast("Invalid class typecast");
  Setter(prop, prop->SetObj)(obj, value);
}

TObject* GetObjectProp(TObject* obj, const String& name) { return GetObjectProp(obj, Need(obj, name)); }
void SetObjectProp(TObject* obj, const String& name, TObject* value) { SetObjectProp(obj, Need(obj, name), value); }

TMethod GetMethodProp(TObject* obj, const TPropInfo* prop) {
  Need(obj, prop);
  if (prop->Kind() != tkMethod) WrongKind(prop);
  return Getter(prop, prop->GetMethod)(obj);
}

void SetMethodProp(TObject* obj, const TPropInfo* prop, const TMethod& value) {
  Need(obj, prop);
  if (prop->Kind() != tkMethod) WrongKind(prop);
  Setter(prop, prop->SetMethod)(obj, value);
}

TMethod GetMethodProp(TObject* obj, const String& name) { return GetMethodProp(obj, Need(obj, name)); }
void SetMethodProp(TObject* obj, const String& name, const TMethod& value) { SetMethodProp(obj, Need(obj, name), value); }

Variant GetVariantProp(TObject* obj, const TPropInfo* prop) {
  Need(obj, prop);
  if (prop->Kind() != tkVariant) WrongKind(prop);
  return Getter(prop, prop->GetVar)(obj);
}

void SetVariantProp(TObject* obj, const TPropInfo* prop, const Variant& value) {
  Need(obj, prop);
  if (prop->Kind() != tkVariant) WrongKind(prop);
  Setter(prop, prop->SetVar)(obj, value);
}

Variant GetPropValue(TObject* obj, const TPropInfo* prop, bool preferStrings) {
  Need(obj, prop);
  switch (prop->Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
      return Variant(Integer(GetOrdProp(obj, prop)));
    case tkInt64:
      return Variant(static_cast<long long>(GetOrdProp(obj, prop)));
    case tkEnumeration:
      if (prop->PropType->Name == "Boolean") return Variant(GetOrdProp(obj, prop) != 0);
      if (preferStrings) return Variant(GetEnumProp(obj, prop));
      return Variant(Integer(GetOrdProp(obj, prop)));
    case tkSet:
      if (preferStrings) return Variant(GetSetProp(obj, prop));
      return Variant(Integer(GetOrdProp(obj, prop)));
    case tkFloat:
      if (prop->PropType->FloatType == ftCurr)
        return Variant::FromCurrencyRaw(prop->GetCurrRaw ? prop->GetCurrRaw(obj)
                                                         : typinfo_detail::CurrencyRawOf(GetFloatProp(obj, prop)));
      return Variant(GetFloatProp(obj, prop));
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      return Variant(GetStrProp(obj, prop));
    case tkVariant:
      return GetVariantProp(obj, prop);
    case tkClass:
      return Variant::FromObject(GetObjectProp(obj, prop));
    default:
      WrongKind(prop);
  }
}

void SetPropValue(TObject* obj, const TPropInfo* prop, const Variant& value) {
  Need(obj, prop);
  switch (prop->Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
      if (prop->Kind() != tkInteger && value.Kind() == varString) {
        String s = value.AsString();
        SetOrdProp(obj, prop, s.empty() ? 0 : (unsigned char)s[0]);
      } else {
        SetOrdProp(obj, prop, value.AsInteger());
      }
      break;
    case tkInt64:
      SetOrdProp(obj, prop, value.AsInt64());
      break;
    case tkEnumeration:
      if (value.Kind() == varString || value.Kind() == varOleStr) SetEnumProp(obj, prop, value.AsString());
      else if (value.Kind() == varBoolean) SetOrdProp(obj, prop, value.AsBoolean() ? 1 : 0);
      else SetOrdProp(obj, prop, value.AsInteger());
      break;
    case tkSet:
      if (value.Kind() == varString || value.Kind() == varOleStr) SetSetProp(obj, prop, value.AsString());
      else SetOrdProp(obj, prop, uint32_t(value.AsInt64()));
      break;
    case tkFloat:
      SetFloatProp(obj, prop, value.AsDouble());
      break;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      SetStrProp(obj, prop, VarToStr(value));
      break;
    case tkVariant:
      SetVariantProp(obj, prop, value);
      break;
    case tkClass:
      SetObjectProp(obj, prop, static_cast<TObject*>(value.IsEmpty() || value.IsNull() ? nullptr : value.AsObject()));
      break;
    default:
      WrongKind(prop);
  }
}

Variant GetPropValue(TObject* obj, const String& name, bool preferStrings) {
  return GetPropValue(obj, Need(obj, name), preferStrings);
}
void SetPropValue(TObject* obj, const String& name, const Variant& value) {
  SetPropValue(obj, Need(obj, name), value);
}

// ---------------------------------------------------------------------------
// Enumerations and sets

String GetEnumName(const TTypeInfo* type, Integer value) {
  if (!type) return String();
  if (type->Kind == tkEnumeration) {
    if (value < 0 || size_t(value) >= type->EnumNames.size()) return String();
    return type->EnumNames[size_t(value)];
  }
  return std::to_string(value);
}

Integer GetEnumValue(const TTypeInfo* type, const String& name) {
  if (!type || type->Kind != tkEnumeration) return -1;
  for (size_t i = 0; i < type->EnumNames.size(); ++i)
    if (SameName(type->EnumNames[i], name)) return Integer(i);
  return -1;
}

namespace {
const TTypeInfo* ElementType(const TTypeInfo* type) {
  if (type && type->Kind == tkSet) return type->CompType;
  return type;
}
String TrimBlanks(const String& s) {
  size_t a = 0, b = s.size();
  while (a < b && (unsigned char)s[a] <= ' ') ++a;
  while (b > a && (unsigned char)s[b - 1] <= ' ') --b;
  return s.substr(a, b - a);
}
}  // namespace

String SetToString(const TTypeInfo* type, uint32_t mask, bool brackets) {
  const TTypeInfo* elem = ElementType(type);
  String r;
  for (unsigned i = 0; i < 32; ++i) {
    if (!(mask & (uint32_t(1) << i))) continue;
    if (!r.empty()) r += ',';
    String name = GetEnumName(elem, Integer(i));
    r += name.empty() ? std::to_string(i) : name;
  }
  return brackets ? "[" + r + "]" : r;
}

uint32_t StringToSet(const TTypeInfo* type, const String& value) {
  const TTypeInfo* elem = ElementType(type);
  String s = TrimBlanks(value);
  if (!s.empty() && s.front() == '[') {
    if (s.back() != ']') PropError("Invalid property element: %s", value);
    s = s.substr(1, s.size() - 2);
  }
  uint32_t mask = 0;
  size_t start = 0;
  while (start <= s.size()) {
    size_t comma = s.find(',', start);
    if (comma == String::npos) comma = s.size();
    String item = TrimBlanks(s.substr(start, comma - start));
    if (!item.empty()) {
      Integer v = GetEnumValue(elem, item);
      if (v < 0 || v >= 32) PropError("Invalid property element: %s", item);
      mask |= uint32_t(1) << v;
    } else if (comma < s.size()) {
      PropError("Invalid property element: %s", item);
    }
    start = comma + 1;
  }
  return mask;
}

const TTypeInfo* FindTypeInfo(const String& name) {
  using namespace typinfo_detail;
  // make sure the built-in names are there
  BooleanType();
  StringType();
  OrdinalType("Integer", otSLong, INT32_MIN, INT32_MAX);
  FloatType(ftDouble);
  std::lock_guard<std::mutex> lock(TypeLock());
  auto it = TypeRegistry().find(Upper(name));
  return it == TypeRegistry().end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------
// Methods

const TMethodInfo* FindPublishedMethod(TClass cls, const String& name) {
  for (TClass c = cls; c; c = c->Parent) {
    TClassTypeData* td = TypeDataOf(c, false);
    if (!td) continue;
    for (auto& m : td->Methods)
      if (SameName(m->Name, name)) return m.get();
  }
  return nullptr;
}

std::vector<const TMethodInfo*> GetMethodList(TClass cls) {
  std::vector<TClass> chain;
  for (TClass c = cls; c; c = c->Parent) chain.push_back(c);
  std::vector<const TMethodInfo*> list;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    if (TClassTypeData* td = TypeDataOf(*it, false))
      for (auto& m : td->Methods) list.push_back(m.get());
  return list;
}

Variant InvokePublishedMethod(TObject* obj, const String& name, std::vector<Variant>& args) {
  const TMethodInfo* m = obj ? FindPublishedMethod(obj->ClassType(), name) : nullptr;
  if (!m) throw EMethodNotFound("Method '" + Utf8Escaped(name) + "' not found");
  if (!m->Invoke) throw EInvalidOperation("Method " + m->Name + " cannot be called late-bound");
  if (Integer(args.size()) != m->ParamCount)
    throw EInvalidArgument("Method " + m->Name + " takes " + std::to_string(m->ParamCount) + " parameters");
  Variant result;
  m->Invoke(obj, args, &result);
  return result;
}

bool SameMethod(const TMethod& a, const TMethod& b) {
  if (!a.Assigned() || !b.Assigned()) return a.Assigned() == b.Assigned();
  return !a.Name.empty() && a.Data == b.Data && SameName(a.Name, b.Name);
}

// ---------------------------------------------------------------------------
// Type construction and registration

namespace typinfo_detail {

const TTypeInfo* OrdinalType(const char* name, TOrdType ot, Int64 min, Int64 max) {
  std::lock_guard<std::mutex> lock(TypeLock());
  auto it = TypeRegistry().find(Upper(name));
  if (it != TypeRegistry().end()) return it->second;
  auto t = std::make_unique<TTypeInfo>();
  t->Kind = tkInteger;
  t->Name = name;
  t->OrdType = ot;
  t->MinValue = min;
  t->MaxValue = max;
  return Keep(std::move(t), true);
}

const TTypeInfo* BooleanType() {
  static const TTypeInfo* info = [] {
    auto t = std::make_unique<TTypeInfo>();
    t->Kind = tkEnumeration;
    t->Name = "Boolean";
    t->OrdType = otUByte;
    t->MaxValue = 1;
    t->EnumNames = {"False", "True"};
    std::lock_guard<std::mutex> lock(TypeLock());
    return Keep(std::move(t), true);
  }();
  return info;
}

const TTypeInfo* CharType(TTypeKind kind) {
  static const TTypeInfo* chars[2] = {nullptr, nullptr};
  std::lock_guard<std::mutex> lock(TypeLock());
  int i = kind == tkWChar ? 1 : 0;
  if (!chars[i]) {
    auto t = std::make_unique<TTypeInfo>();
    t->Kind = kind;
    t->Name = i ? "WideChar" : "Char";
    t->OrdType = i ? otUWord : otUByte;
    t->MaxValue = i ? 0xFFFF : 0xFF;
    chars[i] = Keep(std::move(t), true);
  }
  return chars[i];
}

const TTypeInfo* Int64Type(bool isUnsigned) {
  static const TTypeInfo* types[2] = {nullptr, nullptr};
  std::lock_guard<std::mutex> lock(TypeLock());
  int i = isUnsigned ? 1 : 0;
  if (!types[i]) {
    auto t = std::make_unique<TTypeInfo>();
    t->Kind = tkInt64;
    t->Name = i ? "UInt64" : "Int64";
    t->MinValue = i ? 0 : INT64_MIN;
    t->MaxValue = INT64_MAX;
    types[i] = Keep(std::move(t), true);
  }
  return types[i];
}

const TTypeInfo* FloatType(TFloatType ft) {
  static const TTypeInfo* types[5] = {};
  static const char* names[5] = {"Single", "Double", "Extended", "Comp", "Currency"};
  std::lock_guard<std::mutex> lock(TypeLock());
  if (!types[ft]) {
    auto t = std::make_unique<TTypeInfo>();
    t->Kind = tkFloat;
    t->Name = names[ft];
    t->FloatType = ft;
    types[ft] = Keep(std::move(t), true);
  }
  return types[ft];
}

const TTypeInfo* StringType() {
  static const TTypeInfo* info = [] {
    auto t = std::make_unique<TTypeInfo>();
    t->Kind = tkString;
    t->Name = "String";
    std::lock_guard<std::mutex> lock(TypeLock());
    return Keep(std::move(t), true);
  }();
  return info;
}

const TTypeInfo* VariantType() {
  static const TTypeInfo* info = [] {
    auto t = std::make_unique<TTypeInfo>();
    t->Kind = tkVariant;
    t->Name = "Variant";
    std::lock_guard<std::mutex> lock(TypeLock());
    return Keep(std::move(t), true);
  }();
  return info;
}

const TTypeInfo* SetType(const TTypeInfo* comp) {
  static std::map<const TTypeInfo*, const TTypeInfo*> sets;
  std::lock_guard<std::mutex> lock(TypeLock());
  auto it = sets.find(comp);
  if (it != sets.end()) return it->second;
  auto t = std::make_unique<TTypeInfo>();
  t->Kind = tkSet;
  t->Name = "set of " + (comp ? comp->Name : String("?"));
  t->CompType = comp;
  t->OrdType = otULong;
  const TTypeInfo* p = Keep(std::move(t), false);
  sets.emplace(comp, p);
  return p;
}

const TTypeInfo* ClassType(TClass cls) {
  static std::map<TClass, const TTypeInfo*> classes;
  std::lock_guard<std::mutex> lock(TypeLock());
  auto it = classes.find(cls);
  if (it != classes.end()) return it->second;
  auto t = std::make_unique<TTypeInfo>();
  t->Kind = tkClass;
  t->Name = cls ? cls->Name : "TObject";
  t->ClassType = cls;
  const TTypeInfo* p = Keep(std::move(t), false);
  classes.emplace(cls, p);
  return p;
}

const TTypeInfo* MethodType(const std::type_info& sig) {
  static std::map<const std::type_info*, const TTypeInfo*> methods;
  std::lock_guard<std::mutex> lock(TypeLock());
  for (auto& [k, v] : methods)
    if (*k == sig) return v;
  auto t = std::make_unique<TTypeInfo>();
  t->Kind = tkMethod;
  t->Name = sig == typeid(void(TObject*)) ? "TNotifyEvent" : "TMethod";
  t->Signature = &sig;
  const TTypeInfo* p = Keep(std::move(t), false);
  methods.emplace(&sig, p);
  return p;
}

const TTypeInfo* EnumType(const char* name, std::initializer_list<const char*> names) {
  auto t = std::make_unique<TTypeInfo>();
  t->Kind = tkEnumeration;
  t->Name = name;
  for (const char* n : names) t->EnumNames.push_back(n);
  t->MaxValue = Int64(t->EnumNames.size()) - 1;
  t->OrdType = t->EnumNames.size() <= 256 ? otUByte : otUWord;
  std::lock_guard<std::mutex> lock(TypeLock());
  return Keep(std::move(t), true);
}

TPropInfo* AddProperty(TClass cls, const char* name, const TTypeInfo* type) {
  TClassTypeData* td = TypeDataOf(cls, true);
  for (auto& p : td->Props)
    if (SameName(p->Name, name)) {  // published twice: the later registration wins
      *p = TPropInfo();
      p->Name = name;
      p->PropType = type;
      p->Owner = cls;
      return p.get();
    }
  auto p = std::make_unique<TPropInfo>();
  p->Name = name;
  p->PropType = type;
  p->Owner = cls;
  td->Props.push_back(std::move(p));
  return td->Props.back().get();
}

TMethodInfo* AddMethod(TClass cls, const char* name, const std::type_info& sig) {
  TClassTypeData* td = TypeDataOf(cls, true);
  auto m = std::make_unique<TMethodInfo>();
  m->Name = name;
  m->Owner = cls;
  m->Signature = &sig;
  td->Methods.push_back(std::move(m));
  return td->Methods.back().get();
}

Int64 ArgToInt(const std::vector<Variant>& a, size_t i) { return a[i].AsInt64(); }
double ArgToFloat(const std::vector<Variant>& a, size_t i) { return a[i].AsDouble(); }
bool ArgToBool(const std::vector<Variant>& a, size_t i) { return a[i].AsBoolean(); }
String ArgToStr(const std::vector<Variant>& a, size_t i) { return VarToStr(a[i]); }
TObject* ArgToObject(const std::vector<Variant>& a, size_t i, TClass cls) {
  const Variant& v = a[i];
  if (v.IsEmpty() || v.IsNull()) return nullptr;
  auto* o = static_cast<TObject*>(v.AsObject());
  if (o && cls && !o->InheritsFrom(cls)) throw EInvalidCast("Invalid class typecast");
  return o;
}
const Variant& ArgRef(const std::vector<Variant>& a, size_t i) { return a[i]; }
void IntToArg(Variant* out, Int64 v) {
  *out = (v >= INT32_MIN && v <= INT32_MAX) ? Variant(Integer(v)) : Variant(static_cast<long long>(v));
}
void FloatToArg(Variant* out, double v) { *out = Variant(v); }
void BoolToArg(Variant* out, bool v) { *out = Variant(v); }
void StrToArg(Variant* out, const String& v) { *out = Variant(v); }
void ObjectToArg(Variant* out, TObject* v) { *out = Variant::FromObject(v); }
void VariantToArg(Variant* out, const Variant& v) { *out = v; }
Variant* ArgAt(std::vector<Variant>& a, size_t i) { return &a[i]; }

void MethodDoesNotFit(const TMethodInfo* m, const TPropInfo* prop) {
  throw EPropertyError("Method '" + Utf8Escaped(m->Name) + "' does not fit event " + prop->Name);
}

const TMethodInfo* FindMethodForEvent(const TMethod& m) {
  const TMethodInfo* mi = m.Data ? FindPublishedMethod(m.Data->ClassType(), m.Name) : nullptr;
  if (!mi) throw EMethodNotFound("Method '" + Utf8Escaped(m.Name) + "' not found");
  return mi;
}

}  // namespace typinfo_detail
