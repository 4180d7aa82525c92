// Published-property reflection: what the streaming system, the report
// serializer, the script engine and the property storage know about a class.
//
// A class publishes its properties and methods once, in its source file:
//
//   TOVANI_PUBLISHED(TMyPanel) {
//     Property("Caption", &TMyPanel::Caption, &TMyPanel::SetCaption);
//     Property("Color", &TMyPanel::Color, &TMyPanel::SetColor).Default(clBtnFace);
//     Property("Font", &TMyPanel::Font, &TMyPanel::SetFont);        // sub-object
//     Property("Lines", &TMyPanel::Lines).Stored(&TMyPanel::LinesStored);
//     Property("OnClick", &TMyPanel::OnClick);                      // event field
//     Method("ButtonClick", &TMyPanel::ButtonClick);                // handler a form file can name
//   }
//
// The kind of each property follows from its C++ type: integers (tkInteger,
// tkInt64), bool and enumerations declared with TOVANI_ENUM_INFO
// (tkEnumeration), TSet<E> (tkSet), char/char16_t (tkChar/tkWChar), float and
// double (tkFloat; Currency as ftCurr), String (tkString), pointers to TObject
// descendants (tkClass), std::function events (tkMethod) and Variant
// (tkVariant). The list of a class holds its ancestors' properties first, in
// declaration order; a class that publishes a name again replaces the
// inherited entry in place (to change its default, for example).
#pragma once
#include "System.h"
#include "Sets.h"
#include <any>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <tuple>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

class Variant;

enum TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass,
  tkMethod, tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord,
  tkInterface, tkInt64, tkDynArray, tkUString
};
using TTypeKinds = TSet<TTypeKind>;
// Every kind a published property can have.
constexpr TTypeKinds tkProperties{tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet,
                                  tkClass, tkMethod, tkWChar, tkLString, tkWString,
                                  tkVariant, tkInt64, tkUString};
constexpr TTypeKinds tkAny = TTypeKinds::FromMask(0x7FFFF);

enum TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

// The ordinal default meaning "no default": such a property is always stored.
constexpr Int64 NoDefault = INT32_MIN;

// Description of a property type.
struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  String Name;                          // "Integer", "TAlign", "TComponent", ...
  TOrdType OrdType = otSLong;           // ordinal kinds
  Int64 MinValue = 0, MaxValue = 0;     // ordinal kinds
  std::vector<String> EnumNames;        // tkEnumeration: the names by ordinal value
  const TTypeInfo* CompType = nullptr;  // tkSet: the element enumeration
  TFloatType FloatType = ftDouble;      // tkFloat
  TClass ClassType = nullptr;           // tkClass: the declared class
  const std::type_info* Signature = nullptr;  // tkMethod: the handler's function type
};

// An event value seen through reflection. Code holds a std::function of the
// event's own type; Data is the object the handler belongs to and Name the
// published method's name when the handler is a bound published method.
// A TMethod with Data and Name but no Code is bound by name when it is
// assigned (that is how form files connect their event handlers).
struct TMethod {
  std::any Code;
  TObject* Data = nullptr;
  String Name;
  bool Assigned() const { return Code.has_value() || !Name.empty(); }
};

// A published method: a member function that form files and scripts can
// name. Bind gives a std::function of the method's own type, bound to the
// object, wrapped so that the event it is stored in still knows its name.
struct TMethodInfo {
  String Name;
  TClass Owner = nullptr;
  const std::type_info* Signature = nullptr;
  std::function<std::any(TObject*)> Bind;
  // Late-bound call (scripts): the arguments as Variants, converted to the
  // parameter types; var parameters (non-const references) are written back
  // into Args; the result, if any, goes to *Result. Empty when a parameter
  // or the result has a type that does not travel in a Variant.
  Integer ParamCount = 0;
  std::function<void(TObject* Self, std::vector<Variant>& Args, Variant* Result)> Invoke;
};

// The callable stored in an event when a published method is bound to it.
template <class Sig> struct TBoundMethod;
template <class R, class... Args>
struct TBoundMethod<R(Args...)> {
  const TMethodInfo* Info = nullptr;
  TObject* Data = nullptr;
  std::function<R(Args...)> Call;
  R operator()(Args... args) const { return Call(std::forward<Args>(args)...); }
};

struct TPropInfo {
  String Name;
  const TTypeInfo* PropType = nullptr;
  TClass Owner = nullptr;               // the class that published it
  Int64 Default = NoDefault;            // ordinal kinds
  bool StoredConst = true;              // used when StoredProc is empty
  std::function<bool(TObject*)> StoredProc;

  // One getter/setter pair is filled, by kind: ordinal kinds (integers,
  // chars, enumerations, sets as bit masks, Int64) use Ord; tkFloat Float;
  // tkString Str; tkClass Obj; tkMethod Method; tkVariant Var.
  std::function<Int64(TObject*)> GetOrd;
  std::function<void(TObject*, Int64)> SetOrd;
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  std::function<String(TObject*)> GetStr;
  std::function<void(TObject*, const String&)> SetStr;
  std::function<TObject*(TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  std::function<TMethod(TObject*)> GetMethod;
  std::function<void(TObject*, const TMethod&)> SetMethod;
  std::function<Variant(TObject*)> GetVar;
  std::function<void(TObject*, const Variant&)> SetVar;
  // Currency properties also give and take their value exactly, scaled by
  // 10000: beyond 2^53 / 10000 a double no longer holds every amount.
  std::function<Int64(TObject*)> GetCurrRaw;
  std::function<void(TObject*, Int64)> SetCurrRaw;

  TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
  bool HasGetter() const;
  bool HasSetter() const;
  bool IsStored(TObject* instance) const {
    return StoredProc ? StoredProc(instance) : StoredConst;
  }
};

// ---------------------------------------------------------------------------
// Property lookup.

using TPropList = std::vector<const TPropInfo*>;

// Published properties in declaration order, ancestors' first; only those
// whose kind is in `kinds`.
TPropList GetPropList(TClass cls, TTypeKinds kinds = tkAny);
TPropList GetPropList(const TObject* obj, TTypeKinds kinds = tkAny);
// Case-insensitive; null when the class publishes no such property.
const TPropInfo* GetPropInfo(TClass cls, const String& name);
const TPropInfo* GetPropInfo(const TObject* obj, const String& name);
bool IsPublishedProp(const TObject* obj, const String& name);
bool IsStoredProp(TObject* obj, const TPropInfo* prop);
TTypeKind PropType(const TObject* obj, const String& name);   // EPropertyError when unknown
bool PropIsType(const TObject* obj, const String& name, TTypeKind kind);
// The declared class of a tkClass property.
TClass GetObjectPropClass(const TPropInfo* prop);

// ---------------------------------------------------------------------------
// Reading and writing properties. The forms taking a name raise EPropertyError
// "Property %s does not exist" for an unknown name; writing a property
// without setter raises EPropertyError "Property %s is read-only"; reading
// one without getter "Property %s is write-only"; using an accessor of the
// wrong kind "Invalid property type: %s".

Int64 GetOrdProp(TObject* obj, const TPropInfo* prop);
void SetOrdProp(TObject* obj, const TPropInfo* prop, Int64 value);
Int64 GetOrdProp(TObject* obj, const String& name);
void SetOrdProp(TObject* obj, const String& name, Int64 value);
Int64 GetInt64Prop(TObject* obj, const TPropInfo* prop);
void SetInt64Prop(TObject* obj, const TPropInfo* prop, Int64 value);
String GetEnumProp(TObject* obj, const TPropInfo* prop);
void SetEnumProp(TObject* obj, const TPropInfo* prop, const String& value);
String GetEnumProp(TObject* obj, const String& name);
void SetEnumProp(TObject* obj, const String& name, const String& value);
String GetSetProp(TObject* obj, const TPropInfo* prop, bool brackets = false);
void SetSetProp(TObject* obj, const TPropInfo* prop, const String& value);
String GetSetProp(TObject* obj, const String& name, bool brackets = false);
void SetSetProp(TObject* obj, const String& name, const String& value);
double GetFloatProp(TObject* obj, const TPropInfo* prop);
void SetFloatProp(TObject* obj, const TPropInfo* prop, double value);
double GetFloatProp(TObject* obj, const String& name);
void SetFloatProp(TObject* obj, const String& name, double value);
String GetStrProp(TObject* obj, const TPropInfo* prop);
void SetStrProp(TObject* obj, const TPropInfo* prop, const String& value);
String GetStrProp(TObject* obj, const String& name);
void SetStrProp(TObject* obj, const String& name, const String& value);
TObject* GetObjectProp(TObject* obj, const TPropInfo* prop);
// Raises EInvalidCast when value is not of the property's declared class.
void SetObjectProp(TObject* obj, const TPropInfo* prop, TObject* value);
TObject* GetObjectProp(TObject* obj, const String& name);
void SetObjectProp(TObject* obj, const String& name, TObject* value);
TMethod GetMethodProp(TObject* obj, const TPropInfo* prop);
// Assigning a TMethod without Code binds the published method Name of Data
// (EMethodNotFound "Method '%s' not found"; a method of another signature
// gives EPropertyError "Method '%s' does not fit event %s"). An unassigned
// TMethod clears the event.
void SetMethodProp(TObject* obj, const TPropInfo* prop, const TMethod& value);
TMethod GetMethodProp(TObject* obj, const String& name);
void SetMethodProp(TObject* obj, const String& name, const TMethod& value);
Variant GetVariantProp(TObject* obj, const TPropInfo* prop);
void SetVariantProp(TObject* obj, const TPropInfo* prop, const Variant& value);
// Any property as a Variant: integers, chars and Int64 as integers, Boolean
// as a Boolean, enumerations and sets by name (by ordinal or bit mask when
// preferStrings is false), floats as doubles (Currency as currency), strings,
// Variants as they are, objects as object references. Methods give
// EPropertyError "Invalid property type: %s".
Variant GetPropValue(TObject* obj, const TPropInfo* prop, bool preferStrings = true);
Variant GetPropValue(TObject* obj, const String& name, bool preferStrings = true);
// The reverse: enumerations and sets take names or numbers, chars a text's
// first byte; conversion errors are the Variant's own.
void SetPropValue(TObject* obj, const TPropInfo* prop, const Variant& value);
void SetPropValue(TObject* obj, const String& name, const Variant& value);

// ---------------------------------------------------------------------------
// Enumerations and sets.

// The name of an ordinal value; "" when out of range.
String GetEnumName(const TTypeInfo* type, Integer value);
// The ordinal of a name (case-insensitive); -1 when the type has no such name.
Integer GetEnumValue(const TTypeInfo* type, const String& name);
// "a,b" (or "[a,b]") of a set mask; set type or its element type accepted.
String SetToString(const TTypeInfo* type, uint32_t mask, bool brackets = false);
// Accepts "a,b", "[a, b]" and ""; EPropertyError "Invalid property element: %s".
uint32_t StringToSet(const TTypeInfo* type, const String& value);

// Types by name: enumerations registered with TOVANI_IMPLEMENT_ENUM_INFO and
// the built-in types. Null when unknown.
const TTypeInfo* FindTypeInfo(const String& name);

// ---------------------------------------------------------------------------
// Published methods.

// Searches the class and its ancestors (case-insensitive); null when none.
const TMethodInfo* FindPublishedMethod(TClass cls, const String& name);
std::vector<const TMethodInfo*> GetMethodList(TClass cls);
// Calls a published method of obj by name with Variant arguments (see
// TMethodInfo::Invoke). EMethodNotFound "Method '%s' not found";
// EInvalidArgument "Method %s takes %d parameters" for a wrong count;
// EInvalidOperation "Method %s cannot be called late-bound" when its types
// do not travel in Variants.
Variant InvokePublishedMethod(TObject* obj, const String& name, std::vector<Variant>& args);
// The published name of a handler (empty when it is not a bound published method).
inline String MethodName(const TMethod& m) { return m.Name; }
// Two event values refer to the same handler: the same published method of
// the same object, or both unassigned.
bool SameMethod(const TMethod& a, const TMethod& b);

// ---------------------------------------------------------------------------
// Type information of C++ types, used by the registration below.

namespace typinfo_detail {
const TTypeInfo* OrdinalType(const char* name, TOrdType ot, Int64 min, Int64 max);
const TTypeInfo* BooleanType();
const TTypeInfo* CharType(TTypeKind kind);
const TTypeInfo* Int64Type(bool isUnsigned);
const TTypeInfo* FloatType(TFloatType ft);
const TTypeInfo* StringType();
const TTypeInfo* VariantType();
const TTypeInfo* SetType(const TTypeInfo* comp);
const TTypeInfo* ClassType(TClass cls);
const TTypeInfo* MethodType(const std::type_info& sig);
const TTypeInfo* EnumType(const char* name, std::initializer_list<const char*> names);

TPropInfo* AddProperty(TClass cls, const char* name, const TTypeInfo* type);
TMethodInfo* AddMethod(TClass cls, const char* name, const std::type_info& sig);
// Binds a published method to the signature Sig of an event (see SetMethodProp).
[[noreturn]] void MethodDoesNotFit(const TMethodInfo* m, const TPropInfo* prop);
const TMethodInfo* FindMethodForEvent(const TMethod& m);
// A double as a currency amount scaled by 10000 (EInvalidOp beyond the range).
Int64 CurrencyRawOf(double v);

template <class T> struct IsSet : std::false_type {};
template <class E> struct IsSet<TSet<E>> : std::true_type { using Element = E; };
template <class T> struct IsFunction : std::false_type {};
template <class Sig> struct IsFunction<std::function<Sig>> : std::true_type { using Signature = Sig; };
template <class T>
concept CurrencyLike = requires(const T& c) {
  { c.Raw() } -> std::convertible_to<Int64>;
  { T::FromRaw(Int64{}) } -> std::same_as<T>;
};
template <class> inline constexpr bool always_false = false;
}  // namespace typinfo_detail

// Enumerations are published by declaring their names once:
//   header:  enum TAlign { alNone, alTop, ... };  TOVANI_ENUM_INFO(TAlign)
//   source:  TOVANI_IMPLEMENT_ENUM_INFO(TAlign, "alNone", "alTop", ...)
// (An enumeration nested in a class declares the function as a friend.)
#define TOVANI_ENUM_INFO(E) const TTypeInfo* TovaniEnumInfo(E);
#define TOVANI_IMPLEMENT_ENUM_INFO(E, ...)                                   \
  const TTypeInfo* TovaniEnumInfo(E) {                                       \
    static const TTypeInfo* info = typinfo_detail::EnumType(#E, {__VA_ARGS__}); \
    return info;                                                             \
  }

template <class V>
const TTypeInfo* TypeInfoOf() {
  using namespace typinfo_detail;
  using T = std::remove_cvref_t<V>;
  if constexpr (std::is_same_v<T, bool>) return BooleanType();
  else if constexpr (std::is_same_v<T, char>) return CharType(tkChar);
  else if constexpr (std::is_same_v<T, char16_t>) return CharType(tkWChar);
  else if constexpr (std::is_enum_v<T>) return TovaniEnumInfo(T{});
  else if constexpr (std::is_integral_v<T> && sizeof(T) == 8) return Int64Type(std::is_unsigned_v<T>);
  else if constexpr (std::is_same_v<T, int8_t>) return OrdinalType("ShortInt", otSByte, INT8_MIN, INT8_MAX);
  else if constexpr (std::is_same_v<T, uint8_t>) return OrdinalType("Byte", otUByte, 0, UINT8_MAX);
  else if constexpr (std::is_same_v<T, int16_t>) return OrdinalType("SmallInt", otSWord, INT16_MIN, INT16_MAX);
  else if constexpr (std::is_same_v<T, uint16_t>) return OrdinalType("Word", otUWord, 0, UINT16_MAX);
  else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) return OrdinalType("Integer", otSLong, INT32_MIN, INT32_MAX);
  else if constexpr (std::is_integral_v<T>) return OrdinalType("Cardinal", otULong, 0, UINT32_MAX);
  else if constexpr (std::is_same_v<T, float>) return FloatType(ftSingle);
  else if constexpr (std::is_floating_point_v<T>) return FloatType(ftDouble);
  else if constexpr (CurrencyLike<T>) return FloatType(ftCurr);
  else if constexpr (std::is_same_v<T, String>) return StringType();
  else if constexpr (IsSet<T>::value) return SetType(TypeInfoOf<typename IsSet<T>::Element>());
  else if constexpr (std::is_pointer_v<T> && std::is_base_of_v<TObject, std::remove_pointer_t<T>>)
    return ClassType(std::remove_pointer_t<T>::StaticClass());
  else if constexpr (IsFunction<T>::value) return MethodType(typeid(typename IsFunction<T>::Signature));
  else if constexpr (std::is_same_v<T, Variant>) return VariantType();
  else static_assert(always_false<T>, "this type cannot be published");
}

// ---------------------------------------------------------------------------
// Registration.

class TPropBuilder {
 public:
  explicit TPropBuilder(TPropInfo* p) : FProp(p) {}
  // The ordinal default: a stored value equal to it is not written.
  template <class T> TPropBuilder& Default(T value) {
    if constexpr (typinfo_detail::IsSet<T>::value) FProp->Default = value.Mask();
    else FProp->Default = static_cast<Int64>(value);
    return *this;
  }
  TPropBuilder& NoDefault() { FProp->Default = ::NoDefault; return *this; }
  TPropBuilder& Stored(bool stored) { FProp->StoredConst = stored; FProp->StoredProc = nullptr; return *this; }
  // A stored predicate: a member function `bool (C::*)() const` or a
  // callable taking TObject*.
  template <class P> TPropBuilder& Stored(P pred);
  TPropInfo* Info() const { return FProp; }

 private:
  TPropInfo* FProp;
};

namespace typinfo_detail {

// The value type behind a getter or setter.
template <class Cls, class A> struct AccessorValue { using type = void; };
template <class Cls, class R, class C> struct AccessorValue<Cls, R (C::*)() const> { using type = std::remove_cvref_t<R>; };
template <class Cls, class R, class C> struct AccessorValue<Cls, R (C::*)()> { using type = std::remove_cvref_t<R>; };
template <class Cls, class R, class C> struct AccessorValue<Cls, R (C::*)() const noexcept> { using type = std::remove_cvref_t<R>; };
template <class Cls, class A, class C> struct AccessorValue<Cls, void (C::*)(A) noexcept> { using type = std::remove_cvref_t<A>; };
template <class Cls, class A, class C> struct AccessorValue<Cls, void (C::*)(A)> { using type = std::remove_cvref_t<A>; };
template <class Cls, class T, class C> struct AccessorValue<Cls, T C::*> {
  using type = std::conditional_t<std::is_member_function_pointer_v<T C::*>, void, T>;
};

template <class Cls, class T, class G>
std::function<T(TObject*)> MakeGetter(G g) {
  if constexpr (std::is_null_pointer_v<G>) return nullptr;
  else if constexpr (std::is_member_pointer_v<G>)
    return [g](TObject* o) -> T { return std::invoke(g, static_cast<Cls*>(o)); };
  else return [g](TObject* o) -> T { return g(static_cast<Cls*>(o)); };
}
template <class Cls, class T, class S>
std::function<void(TObject*, const T&)> MakeSetter(S s) {
  if constexpr (std::is_null_pointer_v<S>) return nullptr;
  else if constexpr (std::is_member_object_pointer_v<S>)
    return [s](TObject* o, const T& v) { static_cast<Cls*>(o)->*s = v; };
  else if constexpr (std::is_member_function_pointer_v<S>)
    return [s](TObject* o, const T& v) { (static_cast<Cls*>(o)->*s)(v); };
  else return [s](TObject* o, const T& v) { s(static_cast<Cls*>(o), v); };
}

// Connects typed accessors to the erased slots of TPropInfo.
template <class T>
void Install(TPropInfo* p, std::function<T(TObject*)> get, std::function<void(TObject*, const T&)> set) {
  using namespace typinfo_detail;
  if constexpr (IsSet<T>::value) {
    if (get) p->GetOrd = [get](TObject* o) -> Int64 { return get(o).Mask(); };
    if (set) p->SetOrd = [set](TObject* o, Int64 v) { set(o, T::FromMask(uint32_t(v))); };
  } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
    if (get) p->GetOrd = [get](TObject* o) -> Int64 { return static_cast<Int64>(get(o)); };
    if (set) p->SetOrd = [set](TObject* o, Int64 v) { set(o, static_cast<T>(v)); };
  } else if constexpr (std::is_floating_point_v<T>) {
    if (get) p->GetFloat = [get](TObject* o) -> double { return get(o); };
    if (set) p->SetFloat = [set](TObject* o, double v) { set(o, static_cast<T>(v)); };
  } else if constexpr (CurrencyLike<T>) {
    if (get) p->GetFloat = [get](TObject* o) -> double { return double(get(o).Raw()) / 10000.0; };
    if (set) p->SetFloat = [set](TObject* o, double v) { set(o, T::FromRaw(CurrencyRawOf(v))); };
    if (get) p->GetCurrRaw = [get](TObject* o) -> Int64 { return get(o).Raw(); };
    if (set) p->SetCurrRaw = [set](TObject* o, Int64 v) { set(o, T::FromRaw(v)); };
  } else if constexpr (std::is_same_v<T, String>) {
    p->GetStr = get;
    p->SetStr = set;
  } else if constexpr (std::is_pointer_v<T>) {
    using C = std::remove_pointer_t<T>;
    if (get) p->GetObj = [get](TObject* o) -> TObject* { return get(o); };
    if (set) p->SetObj = [set](TObject* o, TObject* v) { set(o, static_cast<C*>(v)); };
  } else if constexpr (IsFunction<T>::value) {
    using Sig = typename IsFunction<T>::Signature;
    if (get)
      p->GetMethod = [get](TObject* o) -> TMethod {
        T fn = get(o);
        TMethod m;
        if (!fn) return m;
        if (auto* b = fn.template target<TBoundMethod<Sig>>()) {
          m.Data = b->Data;
          m.Name = b->Info ? b->Info->Name : String();
        }
        m.Code = std::move(fn);
        return m;
      };
    if (set)
      p->SetMethod = [set, p](TObject* o, const TMethod& m) {
        if (!m.Assigned()) return set(o, T());
        if (auto* fn = std::any_cast<T>(&m.Code)) return set(o, *fn);
        const TMethodInfo* mi = FindMethodForEvent(m);
        if (*mi->Signature != typeid(Sig)) MethodDoesNotFit(mi, p);
        set(o, std::any_cast<T>(mi->Bind(m.Data)));
      };
  } else {
    // Variant: the erased slots take the Variant itself.
    p->GetVar = get;
    p->SetVar = set;
  }
}

template <class Sig> struct MethodBinder;
template <class R, class... Args>
struct MethodBinder<R(Args...)> {
  template <class Cls, class M>
  static std::function<std::any(TObject*)> Make(const TMethodInfo* info, M method) {
    return [info, method](TObject* obj) -> std::any {
      TBoundMethod<R(Args...)> b;
      b.Info = info;
      b.Data = obj;
      Cls* self = static_cast<Cls*>(obj);
      b.Call = [self, method](Args... args) -> R { return (self->*method)(std::forward<Args>(args)...); };
      return std::function<R(Args...)>(std::move(b));
    };
  }
};
// Variant conversions for late-bound calls (defined where Variant is known).
Int64 ArgToInt(const std::vector<Variant>& a, size_t i);
double ArgToFloat(const std::vector<Variant>& a, size_t i);
bool ArgToBool(const std::vector<Variant>& a, size_t i);
String ArgToStr(const std::vector<Variant>& a, size_t i);
TObject* ArgToObject(const std::vector<Variant>& a, size_t i, TClass cls);
const Variant& ArgRef(const std::vector<Variant>& a, size_t i);
void IntToArg(Variant* out, Int64 v);
void FloatToArg(Variant* out, double v);
void BoolToArg(Variant* out, bool v);
void StrToArg(Variant* out, const String& v);
void ObjectToArg(Variant* out, TObject* v);
void VariantToArg(Variant* out, const Variant& v);
Variant* ArgAt(std::vector<Variant>& a, size_t i);

template <class T>
constexpr bool Travels() {
  using D = std::remove_cvref_t<T>;
  if constexpr (std::is_pointer_v<D>) return std::is_base_of_v<TObject, std::remove_pointer_t<D>>;
  else return std::is_arithmetic_v<D> || std::is_enum_v<D> || std::is_same_v<D, String> ||
              std::is_same_v<D, Variant> || IsSet<D>::value;
}

template <class D>
D FromArg(const std::vector<Variant>& a, size_t i) {
  if constexpr (std::is_same_v<D, bool>) return ArgToBool(a, i);
  else if constexpr (std::is_integral_v<D> || std::is_enum_v<D>) return static_cast<D>(ArgToInt(a, i));
  else if constexpr (std::is_floating_point_v<D>) return static_cast<D>(ArgToFloat(a, i));
  else if constexpr (std::is_same_v<D, String>) return ArgToStr(a, i);
  else if constexpr (IsSet<D>::value) return D::FromMask(uint32_t(ArgToInt(a, i)));
  else if constexpr (std::is_pointer_v<D>)
    return static_cast<D>(ArgToObject(a, i, std::remove_pointer_t<D>::StaticClass()));
  else return ArgRef(a, i);
}

template <class D>
void ToArg(Variant* out, const D& v) {
  if constexpr (std::is_same_v<D, bool>) BoolToArg(out, v);
  else if constexpr (std::is_integral_v<D> || std::is_enum_v<D>) IntToArg(out, static_cast<Int64>(v));
  else if constexpr (std::is_floating_point_v<D>) FloatToArg(out, v);
  else if constexpr (std::is_same_v<D, String>) StrToArg(out, v);
  else if constexpr (IsSet<D>::value) IntToArg(out, v.Mask());
  else if constexpr (std::is_pointer_v<D>) ObjectToArg(out, v);
  else VariantToArg(out, v);
}

template <class Sig> struct MethodInvoker;
template <class R, class... Args>
struct MethodInvoker<R(Args...)> {
  template <class Cls, class M>
  static void Call(Cls* self, M method, std::vector<Variant>& args, Variant* result) {
    CallWith<Cls>(self, method, args, result, std::index_sequence_for<Args...>());
  }
  template <class Cls, class M, size_t... I>
  static void CallWith(Cls* self, M method, std::vector<Variant>& args, Variant* result, std::index_sequence<I...>) {
    std::tuple<std::remove_cvref_t<Args>...> values(FromArg<std::remove_cvref_t<Args>>(args, I)...);
    if constexpr (std::is_void_v<R>) {
      (self->*method)(std::get<I>(values)...);
    } else {
      auto r = (self->*method)(std::get<I>(values)...);
      if (result) ToArg(result, r);
    }
    // var parameters go back to the caller's arguments
    (WriteBack<Args>(args, I, std::get<I>(values)), ...);
  }
  template <class A, class V>
  static void WriteBack(std::vector<Variant>& args, size_t i, const V& v) {
    if constexpr (std::is_lvalue_reference_v<A> && !std::is_const_v<std::remove_reference_t<A>>) ToArg(ArgAt(args, i), v);
  }
  static constexpr bool Possible() { return (Travels<Args>() && ...) && (std::is_void_v<R> || Travels<R>()); }
};

template <class M> struct MemberClass;
template <class R, class C> struct MemberClass<R (C::*)() const> { using type = C; };
template <class R, class C> struct MemberClass<R (C::*)() const noexcept> { using type = C; };
template <class Sig> struct ParamCountOf;
template <class R, class... Args> struct ParamCountOf<R(Args...)> { static constexpr size_t value = sizeof...(Args); };
template <class M> struct MemberSignature;
template <class R, class C, class... Args> struct MemberSignature<R (C::*)(Args...)> { using type = R(Args...); };

}  // namespace typinfo_detail

template <class P>
TPropBuilder& TPropBuilder::Stored(P pred) {
  if constexpr (std::is_member_function_pointer_v<P>) {
    using C = typename typinfo_detail::MemberClass<P>::type;
    FProp->StoredProc = [pred](TObject* o) -> bool { return (static_cast<C*>(o)->*pred)(); };
  } else {
    FProp->StoredProc = [pred](TObject* o) -> bool { return pred(o); };
  }
  return *this;
}

// Base of the registration blocks written with TOVANI_PUBLISHED.
template <class Cls>
class TPublisher {
 public:
  // Property(name, getter, setter): getter a const member function, a data
  // member or a callable taking Cls*; setter a member function, a data member,
  // a callable (Cls*, value) or nullptr (read-only). Property(name, field)
  // publishes a data member for reading and writing; Property(name, getter)
  // with a member function is read-only. Property<T>(...) names the value
  // type where it cannot be deduced (write-only properties: getter nullptr).
  template <class T = void, class G, class S>
  TPropBuilder Property(const char* name, G getter, S setter) {
    using namespace typinfo_detail;
    using GT = typename AccessorValue<Cls, G>::type;
    using ST = typename AccessorValue<Cls, S>::type;
    using V = std::conditional_t<!std::is_void_v<T>, T,
                                 std::conditional_t<!std::is_void_v<GT>, GT, ST>>;
    static_assert(!std::is_void_v<V>, "name the property type: Property<T>(...)");
    TPropInfo* p = AddProperty(Cls::StaticClass(), name, TypeInfoOf<V>());
    Install<V>(p, MakeGetter<Cls, V>(getter), MakeSetter<Cls, V>(setter));
    return TPropBuilder(p);
  }
  template <class T = void, class G>
  TPropBuilder Property(const char* name, G getter) {
    if constexpr (std::is_member_object_pointer_v<G>) return Property<T>(name, getter, getter);
    else return Property<T>(name, getter, nullptr);
  }
  // A published method (event handler) that form files can name.
  template <class M>
  void Method(const char* name, M method) {
    using Sig = typename typinfo_detail::MemberSignature<M>::type;
    TMethodInfo* m = typinfo_detail::AddMethod(Cls::StaticClass(), name, typeid(Sig));
    m->Bind = typinfo_detail::MethodBinder<Sig>::template Make<Cls>(m, method);
    using Invoker = typinfo_detail::MethodInvoker<Sig>;
    m->ParamCount = Integer(typinfo_detail::ParamCountOf<Sig>::value);
    if constexpr (Invoker::Possible())
      m->Invoke = [method](TObject* obj, std::vector<Variant>& args, Variant* result) {
        Invoker::template Call<Cls>(static_cast<Cls*>(obj), method, args, result);
      };
  }
};

#define TOVANI_PUBLISHED(Cls)                                                  \
  namespace {                                                                  \
  struct TovaniPublished_##Cls : TPublisher<Cls> {                             \
    void Publish();                                                            \
  };                                                                           \
  const bool tovani_published_##Cls = (TovaniPublished_##Cls().Publish(), true); \
  }                                                                            \
  void TovaniPublished_##Cls::Publish()
