#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "Variant.h"
#include <cmath>
#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Deepest nesting of lists and components a stream may have; a deeper
// (corrupt or hostile) stream is refused instead of exhausting the stack.
constexpr int kMaxDepth = 200;

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

bool IsAscii(const String& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// The 10-byte extended format of vaExtended values.
void DoubleToExtended(double d, Byte out[10]) {
  uint64_t mant = 0;
  uint16_t se = std::signbit(d) ? 0x8000 : 0;
  if (std::isnan(d)) {
    mant = 0xC000000000000000ull;
    se |= 0x7FFF;
  } else if (std::isinf(d)) {
    mant = 0x8000000000000000ull;
    se |= 0x7FFF;
  } else if (d != 0) {
    int e = 0;
    double m = std::frexp(std::fabs(d), &e);   // m in [0.5, 1)
    mant = uint64_t(std::ldexp(m, 64));        // exact: m has 53 bits
    se |= uint16_t(e - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) out[i] = Byte(mant >> (8 * i));
  out[8] = Byte(se);
  out[9] = Byte(se >> 8);
}

double ExtendedToDouble(const Byte in[10]) {
  uint64_t mant = 0;
  for (int i = 7; i >= 0; --i) mant = (mant << 8) | in[i];
  uint16_t se = uint16_t(in[8] | (in[9] << 8));
  bool neg = se & 0x8000;
  int exp = se & 0x7FFF;
  double r;
  if (exp == 0 && mant == 0) r = 0;
  else if (exp == 0x7FFF) r = (mant << 1) ? NAN : INFINITY;
  else r = std::ldexp(double(mant), exp - 16383 - 63);
  return neg ? -r : r;
}

TTypeKinds OrdinalKinds() { return TTypeKinds{tkInteger, tkChar, tkWChar, tkEnumeration, tkSet, tkInt64}; }

}  // namespace

TOVANI_IMPLEMENT_CLASS(TFiler, TObject)
TOVANI_IMPLEMENT_CLASS(TReader, TFiler)
TOVANI_IMPLEMENT_CLASS(TWriter, TFiler)

// ===========================================================================
// TReader

TReader::TReader(TStream* AStream) : TFiler(AStream) {}
TReader::~TReader() = default;

void TReader::ReadBytes(void* Buffer, Int64 Count) {
  if (Count <= 0) return;
  FStream->ReadBuffer(Buffer, LongInt(Count));
}

// A length read from the stream, checked against what is left of it before
// anything is allocated for it.
Int64 TReader::ReadLength() {
  int32_t n = 0;
  ReadBytes(&n, 4);
  if (n < 0 || Int64(n) > FStream->Size() - FStream->Position()) throw EReadError("Stream read error");
  return n;
}

void TReader::InvalidValue() { throw EReadError("Invalid property value"); }

TValueType TReader::ReadValue() {
  Byte b = 0;
  ReadBytes(&b, 1);
  if (b > vaDouble) InvalidValue();
  return TValueType(b);
}

// Peeks at the next byte without judging it: a component entry may start
// with a prefix byte that is no value type.
TValueType TReader::NextValue() {
  Byte b = 0;
  ReadBytes(&b, 1);
  FStream->Seek(-1, soFromCurrent);
  return TValueType(b);
}

bool TReader::EndOfList() { return NextValue() == vaNull; }

void TReader::CheckValue(TValueType Expected) {
  if (ReadValue() != Expected) InvalidValue();
}

void TReader::ReadListBegin() { CheckValue(vaList); }
void TReader::ReadListEnd() { CheckValue(vaNull); }

String TReader::ReadStr() {
  Byte len = 0;
  ReadBytes(&len, 1);
  String s(len, '\0');
  ReadBytes(s.data(), len);
  return s;
}

void TReader::SkipValue() {
  if (++FDepth > kMaxDepth) {
    --FDepth;
    throw EReadError("Stream read error");
  }
  struct Guard { int& d; ~Guard() { --d; } } guard{FDepth};
  switch (ReadValue()) {
    case vaNull: break;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaInt8: FStream->Seek(1, soFromCurrent); break;
    case vaInt16: FStream->Seek(2, soFromCurrent); break;
    case vaInt32: FStream->Seek(4, soFromCurrent); break;
    case vaExtended: { Byte b[10]; ReadBytes(b, 10); break; }
    case vaString:
    case vaIdent: ReadStr(); break;
    case vaFalse: case vaTrue: case vaNil: break;
    case vaBinary: case vaLString: case vaUTF8String: FStream->Seek(ReadLength(), soFromCurrent); break;
    case vaWString: {
      int32_t n = 0;
      ReadBytes(&n, 4);
      if (n < 0 || Int64(n) * 2 > FStream->Size() - FStream->Position()) throw EReadError("Stream read error");
      FStream->Seek(Int64(n) * 2, soFromCurrent);
      break;
    }
    case vaSet:
      while (!ReadStr().empty()) {}
      break;
    case vaCollection:
      while (!EndOfList()) {
        if (NextValue() == vaInt8 || NextValue() == vaInt16 || NextValue() == vaInt32) SkipValue();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    case vaSingle: { Byte b[4]; ReadBytes(b, 4); break; }
    case vaCurrency: case vaDate: case vaInt64: case vaDouble: { Byte b[8]; ReadBytes(b, 8); break; }
  }
}

Int64 TReader::ReadInt64() {
  switch (ReadValue()) {
    case vaInt8: { int8_t v; ReadBytes(&v, 1); return v; }
    case vaInt16: { int16_t v; ReadBytes(&v, 2); return v; }
    case vaInt32: { int32_t v; ReadBytes(&v, 4); return v; }
    case vaInt64: { int64_t v; ReadBytes(&v, 8); return v; }
    default: InvalidValue();
  }
}

Integer TReader::ReadInteger() {
  Int64 v = ReadInt64();
  if (v < INT32_MIN || v > INT32_MAX) InvalidValue();
  return Integer(v);
}

bool TReader::ReadBoolean() {
  TValueType t = ReadValue();
  if (t == vaTrue) return true;
  if (t == vaFalse) return false;
  InvalidValue();
}

double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: { ReadValue(); Byte b[10]; ReadBytes(b, 10); return ExtendedToDouble(b); }
    case vaDouble: case vaDate: { ReadValue(); double d; ReadBytes(&d, 8); return d; }
    case vaSingle: { ReadValue(); float f; ReadBytes(&f, 4); return f; }
    case vaCurrency: { ReadValue(); int64_t c; ReadBytes(&c, 8); return double(c) / 10000.0; }
    default: return double(ReadInt64());
  }
}

float TReader::ReadSingle() {
  if (NextValue() == vaSingle) {
    ReadValue();
    float f;
    ReadBytes(&f, 4);
    return f;
  }
  return float(ReadFloat());
}

Int64 TReader::ReadCurrencyRaw() {
  if (NextValue() == vaCurrency) {
    ReadValue();
    int64_t c;
    ReadBytes(&c, 8);
    return c;
  }
  // Any other number must fit the currency range (and be a number at all).
  const double d = ReadFloat();
  try {
    return typinfo_detail::CurrencyRawOf(d);
  } catch (const EMathError&) {
    InvalidValue();
  }
}

TDateTime TReader::ReadDate() { return ReadFloat(); }

String TReader::ReadString() {
  switch (ReadValue()) {
    case vaString: case vaIdent: {
      Byte len = 0;
      ReadBytes(&len, 1);
      String s(len, '\0');
      ReadBytes(s.data(), len);
      return s;
    }
    case vaLString: case vaUTF8String: {
      Int64 n = ReadLength();
      String s(size_t(n), '\0');
      ReadBytes(s.data(), n);
      return s;
    }
    case vaWString: {
      int32_t n = 0;
      ReadBytes(&n, 4);
      if (n < 0 || Int64(n) * 2 > FStream->Size() - FStream->Position()) throw EReadError("Stream read error");
      std::u16string w(size_t(n), u'\0');
      ReadBytes(w.data(), Int64(n) * 2);
      return Utf16ToUtf8(w);
    }
    default: InvalidValue();
  }
}

String TReader::ReadIdent() {
  switch (ReadValue()) {
    case vaIdent: {
      Byte len = 0;
      ReadBytes(&len, 1);
      String s(len, '\0');
      ReadBytes(s.data(), len);
      return s;
    }
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: InvalidValue();
  }
}

String TReader::ReadBinary() {
  CheckValue(vaBinary);
  Int64 n = ReadLength();
  String s(size_t(n), '\0');
  ReadBytes(s.data(), n);
  return s;
}

Variant TReader::ReadVariant() {
  if (++FDepth > kMaxDepth) {
    --FDepth;
    throw EReadError("Stream read error");
  }
  struct Guard { int& d; ~Guard() { --d; } } guard{FDepth};
  switch (NextValue()) {
    case vaNil: ReadValue(); return Variant();
    case vaNull: ReadValue(); return Variant::Null();
    case vaInt8: case vaInt16: case vaInt32: return Variant(ReadInteger());
    case vaInt64: return Variant(static_cast<long long>(ReadInt64()));
    case vaExtended: case vaDouble: return Variant(ReadFloat());
    case vaSingle: return Variant(ReadSingle());
    case vaCurrency: return Variant::FromCurrencyRaw(ReadCurrencyRaw());
    case vaDate: return Variant::FromDate(ReadDate());
    case vaString: case vaLString: case vaUTF8String: case vaWString: return Variant(ReadString());
    case vaIdent: {
      String ident = ReadIdent();
      if (SameName(ident, "Null")) return Variant::Null();
      return Variant(ident);
    }
    case vaFalse: case vaTrue: return Variant(ReadBoolean());
    case vaList: {
      ReadListBegin();
      std::vector<Variant> items;
      while (!EndOfList()) items.push_back(ReadVariant());
      ReadListEnd();
      return VarArrayOf(items);
    }
    default: InvalidValue();
  }
}

void TReader::ReadSignature() {
  char sig[4] = {};
  if (FStream->Read(sig, 4) != 4 || std::memcmp(sig, "TPF0", 4) != 0) throw EReadError("Invalid stream format");
}

void TReader::ReadPrefix(TFilerFlags& Flags, Integer& AChildPos) {
  Flags = TFilerFlags();
  AChildPos = 0;
  Byte b = 0;
  ReadBytes(&b, 1);
  if ((b & 0xF0) == 0xF0) {
    Flags = TFilerFlags::FromMask(b & 0x0F);
    if (Flags.Contains(ffChildPos)) AChildPos = ReadInteger();
  } else {
    FStream->Seek(-1, soFromCurrent);
  }
}

// ---------------------------------------------------------------------------
// Components

void TReader::BeginReferences() {
  FFixups.clear();
  FLoaded.clear();
  FUnresolved.clear();
}

void TReader::EndReferences() {
  FFixups.clear();
  FLoaded.clear();
}

TComponent* TReader::ResolveName(const String& Name) {
  TComponent* root = FLookupRoot ? FLookupRoot : FRoot;
  size_t dot = Name.find('.');
  if (dot == String::npos) {
    if (!root) return FindGlobalComponent(Name);
    if (SameName(Name, root->Name()) || SameName(Name, "Owner")) return root;
    if (TComponent* c = root->FindComponent(Name)) return c;
    return FindGlobalComponent(Name);
  }
  // Root.Component[.Component]: a component of another root (form or data module).
  String first = Name.substr(0, dot);
  TComponent* c = (root && SameName(first, root->Name())) ? root : FindGlobalComponent(first);
  size_t start = dot + 1;
  while (c && start <= Name.size()) {
    size_t next = Name.find('.', start);
    if (next == String::npos) next = Name.size();
    c = c->FindComponent(Name.substr(start, next - start));
    start = next + 1;
  }
  return c;
}

void TReader::FixupReferences() {
  std::vector<TFixup> fixups;
  fixups.swap(FFixups);
  for (const TFixup& f : fixups) {
    TComponent* c = ResolveName(f.Name);
    if (!c) {
      FUnresolved.push_back(f.Name);
      continue;
    }
    try {
      SetObjectProp(f.Instance, f.Prop, c);
    } catch (const EReadError&) {
      throw;
    } catch (const Exception& e) {
      throw EReadError("Error reading " + f.Instance->GetNamePath() + "." + f.Prop->Name + ": " + e.Message());
    }
  }
}

namespace {
// A second instance of the same form or data module gets "Name_1",
// "Name_2", ... so that names stay unique in its owner and among the roots
// that references between roots look up.
String UniqueRootName(TComponent* root, const String& name) {
  auto taken = [root](const String& n) {
    if (root->Owner()) {
      TComponent* c = root->Owner()->FindComponent(n);
      if (c && c != root) return true;
    }
    TComponent* g = FindGlobalComponent(n);
    return g && g != root;
  };
  if (name.empty() || !taken(name)) return name;
  for (int i = 1;; ++i) {
    String candidate = name + "_" + std::to_string(i);
    if (!taken(candidate)) return candidate;
  }
}
}  // namespace

TComponent* TReader::ReadRootComponent(TComponent* ARoot) {
  ReadSignature();
  TFilerFlags flags;
  Integer pos;
  ReadPrefix(flags, pos);
  String className = ReadStr();
  String name = ReadStr();
  bool created = false;
  if (!ARoot) {
    TClass cls = FindClass(className);
    if (!cls->InheritsFrom(TComponent::StaticClass())) throw EReadError("Invalid stream format");
    ARoot = static_cast<TComponent*>(cls->Factory());
    ARoot->AfterConstruction();
    created = true;
  }
  SetRoot(ARoot);
  FOwner = ARoot;
  FParent = ARoot;
  BeginReferences();
  FLoaded.push_back(ARoot);
  try {
    ARoot->FComponentState += TComponentState{csLoading, csReading};
    if (ARoot->Name() != name) ARoot->SetName(UniqueRootName(ARoot, name));
    ARoot->ReadState(this);
    ARoot->FComponentState.Exclude(csReading);
    FixupReferences();
  } catch (...) {
    // FLoaded may hold components that were deleted with a failed parent;
    // walk the live ownership tree instead.
    EndReferences();
    if (created) {
      delete ARoot;
    } else {
      ARoot->FComponentState -= TComponentState{csLoading, csReading};
      for (TComponent* c : ARoot->FComponents) c->FComponentState -= TComponentState{csLoading, csReading};
    }
    throw;
  }
  std::vector<TComponent*> loaded;
  loaded.swap(FLoaded);
  EndReferences();
  for (TComponent* c : loaded) c->Loaded();
  return ARoot;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  if (++FDepth > kMaxDepth) {
    --FDepth;
    throw EReadError("Stream read error");
  }
  struct Guard { int& d; ~Guard() { --d; } } guard{FDepth};
  TFilerFlags flags;
  Integer pos;
  ReadPrefix(flags, pos);
  String className = ReadStr();
  String name = ReadStr();
  TComponent* owner = FOwner ? FOwner : FRoot;
  TComponent* result = Component;
  bool created = false;
  if (!result && flags.Contains(ffInherited)) {
    result = owner ? owner->FindComponent(name) : nullptr;
    if (!result) throw EReadError("Ancestor for '" + Utf8Escaped(name) + "' not found");
    // Read inside one of its own children, the component would become the
    // parent of its own parent: a cycle no writer or window can follow.
    int steps = 0;
    for (TComponent* p = FParent; p && p != result; p = p->GetParentComponent())
      if (p->GetParentComponent() == result || ++steps > 100000)
        throw EReadError("Invalid parent: '" + Utf8Escaped(name) + "' is read inside its own children");
  }
  if (!result) {
    TClass cls = FindClass(className);
    if (!cls->InheritsFrom(TComponent::StaticClass()))
      throw EReadError("Invalid class typecast: " + Utf8Escaped(className) + " is no component");
    result = static_cast<TComponent*>(cls->Factory());
    result->AfterConstruction();
    created = true;
  }
  try {
    result->FComponentState += TComponentState{csLoading, csReading};
    if (created) {
      if (owner) owner->InsertComponent(result);
      result->SetName(name);
    }
    if (FParent && FParent != result) result->SetParentComponent(FParent);
    if (flags.Contains(ffChildPos) && result->Owner()) result->SetComponentIndex(pos);
    FLoaded.push_back(result);
    result->ReadState(this);
    result->FComponentState.Exclude(csReading);
  } catch (...) {
    if (created) {
      FLoaded.erase(std::remove(FLoaded.begin(), FLoaded.end(), result), FLoaded.end());
      delete result;
    }
    throw;
  }
  return result;
}

void TReader::ReadData(TComponent* Instance) {
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  TComponent* saveOwner = FOwner;
  TComponent* saveParent = FParent;
  TComponent* childOwner = Instance->GetChildOwner();
  FOwner = childOwner ? childOwner : FRoot;
  FParent = Instance;
  try {
    while (!EndOfList()) ReadComponent(nullptr);
    ReadListEnd();
  } catch (...) {
    FOwner = saveOwner;
    FParent = saveParent;
    throw;
  }
  FOwner = saveOwner;
  FParent = saveParent;
}

void TReader::ReadProperty(TPersistent* Instance) {
  String path = ReadStr();
  String objName = Instance->GetNamePath();
  TPersistent* target = Instance;
  size_t start = 0;
  try {
    // Walk "Font.Name": every segment but the last names a sub-object.
    for (;;) {
      size_t dot = path.find('.', start);
      if (dot == String::npos) break;
      String seg = path.substr(start, dot - start);
      const TPropInfo* p = GetPropInfo(target, seg);
      TObject* sub = (p && p->Kind() == tkClass && p->GetObj) ? p->GetObj(target) : nullptr;
      if (!sub || !sub->InheritsFrom(TPersistent::StaticClass()))
        throw EReadError("Error reading " + objName + "." + Utf8Escaped(path) + ": Property " + Utf8Escaped(seg) +
                         " does not exist");
      target = static_cast<TPersistent*>(sub);
      start = dot + 1;
    }
    String name = path.substr(start);
    const TPropInfo* prop = GetPropInfo(target, name);
    if (prop && (prop->HasSetter() || prop->Kind() == tkClass)) {
      ReadPropValue(target, prop);
      return;
    }
    // Not published: the object may define it (DefineProperties), and string
    // lists keep their lines as "Strings".
    FPropName = name;
    target->DefineProperties(this);
    if (!FPropName.empty() && SameName(FPropName, "Strings") && target->InheritsFrom(TStrings::StaticClass())) {
      ReadStrings(static_cast<TStrings*>(target));
      FPropName.clear();
    }
    if (!FPropName.empty()) {
      FPropName.clear();
      throw EReadError("Error reading " + objName + "." + Utf8Escaped(path) + ": Property " + Utf8Escaped(name) +
                       " does not exist");
    }
  } catch (const EReadError&) {
    FPropName.clear();
    throw;
  } catch (const Exception& e) {
    FPropName.clear();
    throw EReadError("Error reading " + objName + "." + Utf8Escaped(path) + ": " + e.Message());
  }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* Prop) {
  switch (Prop->Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar: {
      Int64 v;
      TValueType t = NextValue();
      if (t == vaString || t == vaLString || t == vaUTF8String || t == vaWString) {
        String s = ReadString();   // a character written as text
        v = s.empty() ? 0 : (unsigned char)s[0];
      } else {
        v = ReadInt64();
      }
      const TTypeInfo* type = Prop->PropType;
      if (type->MinValue < type->MaxValue && (v < type->MinValue || v > type->MaxValue)) InvalidValue();
      SetOrdProp(Instance, Prop, v);
      break;
    }
    case tkInt64:
      SetOrdProp(Instance, Prop, ReadInt64());
      break;
    case tkEnumeration: {
      String ident = ReadIdent();
      Integer v = GetEnumValue(Prop->PropType, ident);
      if (v < 0) InvalidValue();
      SetOrdProp(Instance, Prop, v);
      break;
    }
    case tkSet: {
      CheckValue(vaSet);
      uint32_t mask = 0;
      for (;;) {
        String ident = ReadStr();
        if (ident.empty()) break;
        Integer v = GetEnumValue(Prop->PropType->CompType, ident);
        if (v < 0 || v >= 32) InvalidValue();
        mask |= uint32_t(1) << v;
      }
      SetOrdProp(Instance, Prop, mask);
      break;
    }
    case tkFloat:
      if (Prop->PropType->FloatType == ftCurr && Prop->SetCurrRaw) Prop->SetCurrRaw(Instance, ReadCurrencyRaw());
      else SetFloatProp(Instance, Prop, ReadFloat());
      break;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      SetStrProp(Instance, Prop, ReadString());
      break;
    case tkMethod: {
      TMethod m;
      if (NextValue() == vaNil) {
        ReadValue();
      } else {
        m.Name = ReadIdent();
        m.Data = FLookupRoot ? FLookupRoot : FRoot;
      }
      SetMethodProp(Instance, Prop, m);
      break;
    }
    case tkClass: {
      TValueType t = NextValue();
      if (t == vaNil) {
        ReadValue();
        if (Prop->SetObj) SetObjectProp(Instance, Prop, nullptr);
        break;
      }
      TObject* current = Prop->GetObj ? Prop->GetObj(Instance) : nullptr;
      if (t == vaCollection) {
        if (!current || !current->InheritsFrom(TCollection::StaticClass())) InvalidValue();
        ReadCollection(static_cast<TCollection*>(current));
        break;
      }
      if (t == vaIdent) {
        TClass declared = GetObjectPropClass(Prop);
        if (!declared || !declared->InheritsFrom(TComponent::StaticClass()) || !Prop->SetObj) InvalidValue();
        FFixups.push_back(TFixup{Instance, Prop, ReadIdent()});
        break;
      }
      InvalidValue();
    }
    case tkVariant:
      SetVariantProp(Instance, Prop, ReadVariant());
      break;
    default:
      InvalidValue();
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  CheckValue(vaCollection);
  Collection->BeginUpdate();
  try {
    Collection->Clear();
    while (!EndOfList()) {
      TValueType t = NextValue();
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) ReadInteger();   // item order, not needed
      TCollectionItem* item = Collection->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    Collection->EndUpdate();
    throw;
  }
  Collection->EndUpdate();
}

void TReader::ReadStrings(TStrings* Strings) {
  ReadListBegin();
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    while (!EndOfList()) Strings->Add(ReadString());
    ReadListEnd();
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

void TReader::DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
  if (!FPropName.empty() && SameName(Name, FPropName) && ReadData) {
    FPropName.clear();
    ReadData(this);
  }
}

void TReader::DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc&, bool) {
  if (!FPropName.empty() && SameName(Name, FPropName) && ReadData) {
    FPropName.clear();
    String bytes = ReadBinary();
    TMemoryStream mem;
    if (!bytes.empty()) mem.WriteBuffer(bytes.data(), LongInt(bytes.size()));
    mem.SetPosition(0);
    ReadData(&mem);
  }
}

// ===========================================================================
// TWriter

void TWriter::WriteBytes(const void* Buffer, Int64 Count) {
  if (Count > 0) FStream->WriteBuffer(Buffer, LongInt(Count));
}

void TWriter::WriteValue(TValueType Value) {
  Byte b = Value;
  WriteBytes(&b, 1);
}

void TWriter::WriteInteger(Int64 Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    int8_t v = int8_t(Value);
    WriteBytes(&v, 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    int16_t v = int16_t(Value);
    WriteBytes(&v, 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    int32_t v = int32_t(Value);
    WriteBytes(&v, 4);
  } else {
    WriteValue(vaInt64);
    int64_t v = Value;
    WriteBytes(&v, 8);
  }
}

void TWriter::WriteFloat(double Value) {
  WriteValue(vaExtended);
  Byte b[10];
  DoubleToExtended(Value, b);
  WriteBytes(b, 10);
}

void TWriter::WriteDouble(double Value) {
  WriteValue(vaDouble);
  WriteBytes(&Value, 8);
}

void TWriter::WriteSingle(float Value) {
  WriteValue(vaSingle);
  WriteBytes(&Value, 4);
}

void TWriter::WriteCurrencyRaw(Int64 Value) {
  WriteValue(vaCurrency);
  WriteBytes(&Value, 8);
}

void TWriter::WriteDate(TDateTime Value) {
  WriteValue(vaDate);
  WriteBytes(&Value, 8);
}

void TWriter::WriteString(const String& Value) {
  if (Value.size() > size_t(INT32_MAX)) throw EWriteError("Stream write error");
  if (IsAscii(Value) && Value.size() <= 255) {
    WriteValue(vaString);
    Byte n = Byte(Value.size());
    WriteBytes(&n, 1);
  } else {
    WriteValue(IsAscii(Value) ? vaLString : vaUTF8String);
    int32_t n = int32_t(Value.size());
    WriteBytes(&n, 4);
  }
  WriteBytes(Value.data(), Int64(Value.size()));
}

void TWriter::WriteIdent(const String& Ident) {
  if (SameName(Ident, "False")) return WriteValue(vaFalse);
  if (SameName(Ident, "True")) return WriteValue(vaTrue);
  if (SameName(Ident, "nil")) return WriteValue(vaNil);
  // Null stays an identifier: as a vaNull byte it would end the list it stands in.
  WriteValue(vaIdent);
  WriteStr(Ident);
}

void TWriter::WriteBinary(const String& Bytes) {
  if (Bytes.size() > size_t(INT32_MAX)) throw EWriteError("Stream write error");
  WriteValue(vaBinary);
  int32_t n = int32_t(Bytes.size());
  WriteBytes(&n, 4);
  WriteBytes(Bytes.data(), Int64(Bytes.size()));
}

void TWriter::WriteStr(const String& Value) {
  if (Value.size() > 255) throw EWriteError("Name too long to be written: " + Value.substr(0, 64));
  Byte n = Byte(Value.size());
  WriteBytes(&n, 1);
  WriteBytes(Value.data(), Int64(Value.size()));
}

void TWriter::WriteSignature() { WriteBytes("TPF0", 4); }

void TWriter::WritePrefix(TFilerFlags Flags, Integer AChildPos) {
  if (Flags.Empty()) return;
  Byte b = Byte(0xF0 | Flags.Mask());
  WriteBytes(&b, 1);
  if (Flags.Contains(ffChildPos)) WriteInteger(AChildPos);
}

void TWriter::WritePropName(const String& Name) { WriteStr(FPropPath + Name); }

void TWriter::WriteRootComponent(TComponent* ARoot) {
  SetRoot(ARoot);
  WriteSignature();
  WriteComponent(ARoot);
}

void TWriter::WriteComponent(TComponent* Component) {
  bool wasWriting = Component->FComponentState.Contains(csWriting);
  Component->FComponentState.Include(csWriting);
  try {
    WritePrefix(TFilerFlags(), 0);
    WriteStr(Component->ClassName());
    WriteStr(Component->Name());
    Component->WriteState(this);
  } catch (...) {
    if (!wasWriting) Component->FComponentState.Exclude(csWriting);
    throw;
  }
  if (!wasWriting) Component->FComponentState.Exclude(csWriting);
}

void TWriter::WriteData(TComponent* Instance) {
  String savePath = FPropPath;
  FPropPath.clear();
  WriteProperties(Instance);
  WriteListEnd();
  if (!IgnoreChildren) Instance->GetChildren([this](TComponent* c) { WriteComponent(c); }, FRoot);
  WriteListEnd();
  FPropPath = savePath;
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (const TPropInfo* p : GetPropList(Instance, tkProperties)) {
    if (!p->HasGetter()) continue;
    if (!p->HasSetter() && p->Kind() != tkClass) continue;
    if (!p->IsStored(Instance)) continue;
    WriteProperty(Instance, p);
  }
  WriteDefinedProperties(Instance);
}

void TWriter::WriteDefinedProperties(TPersistent* Instance) {
  Instance->DefineProperties(this);
  if (Instance->InheritsFrom(TStrings::StaticClass())) {
    auto* s = static_cast<TStrings*>(Instance);
    if (s->Count() > 0) {
      WritePropName("Strings");
      WriteStrings(s);
    }
  }
}

String TWriter::ComponentReference(TComponent* Component) const {
  TComponent* root = FLookupRoot ? FLookupRoot : FRoot;
  if (!Component || Component->Name().empty()) return String();
  if (Component == root || Component->Owner() == root) return Component->Name();
  if (Component->Owner() && !Component->Owner()->Name().empty())
    return Component->Owner()->Name() + "." + Component->Name();
  return Component->Name();
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* Prop) {
  TTypeKind kind = Prop->Kind();
  if (OrdinalKinds().Contains(kind)) {
    Int64 v = Prop->GetOrd(Instance);
    if (Prop->Default != NoDefault && v == Prop->Default) return;
    WritePropName(Prop->Name);
    if (kind == tkEnumeration) {
      if (Prop->PropType->Name == "Boolean") WriteBoolean(v != 0);
      else WriteIdent(GetEnumName(Prop->PropType, Integer(v)));
    } else if (kind == tkSet) {
      WriteValue(vaSet);
      const TTypeInfo* elem = Prop->PropType->CompType;
      for (unsigned i = 0; i < 32; ++i)
        if (uint64_t(v) & (uint64_t(1) << i)) WriteStr(GetEnumName(elem, Integer(i)));
      WriteStr(String());
    } else {
      WriteInteger(v);
    }
    return;
  }
  switch (kind) {
    case tkFloat: {
      double v = Prop->GetFloat(Instance);
      if (v == 0) return;
      WritePropName(Prop->Name);
      switch (Prop->PropType->FloatType) {
        case ftSingle: WriteSingle(float(v)); break;
        case ftCurr:
          WriteCurrencyRaw(Prop->GetCurrRaw ? Prop->GetCurrRaw(Instance) : typinfo_detail::CurrencyRawOf(v));
          break;
        default: WriteFloat(v); break;
      }
      return;
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
      String v = Prop->GetStr(Instance);
      if (v.empty()) return;
      WritePropName(Prop->Name);
      WriteString(v);
      return;
    }
    case tkMethod: {
      TMethod m = Prop->GetMethod(Instance);
      if (m.Name.empty()) return;   // unassigned, or a handler that has no published name
      WritePropName(Prop->Name);
      WriteIdent(m.Name);
      return;
    }
    case tkClass: {
      TObject* obj = Prop->GetObj(Instance);
      if (!obj) return;
      TClass declared = GetObjectPropClass(Prop);
      bool isComponent = obj->InheritsFrom(TComponent::StaticClass());
      if (isComponent && !(static_cast<TComponent*>(obj)->ComponentStyle().Contains(csSubComponent) &&
                           static_cast<TComponent*>(obj)->Owner() == Instance)) {
        if (!Prop->HasSetter()) return;
        String ref = ComponentReference(static_cast<TComponent*>(obj));
        if (ref.empty()) return;
        WritePropName(Prop->Name);
        WriteIdent(ref);
        return;
      }
      (void)declared;
      if (obj->InheritsFrom(TCollection::StaticClass())) {
        WritePropName(Prop->Name);
        WriteCollection(static_cast<TCollection*>(obj));
        return;
      }
      if (obj->InheritsFrom(TPersistent::StaticClass())) {
        String save = FPropPath;
        FPropPath += Prop->Name + ".";
        try {
          WriteProperties(static_cast<TPersistent*>(obj));
        } catch (...) {
          FPropPath = save;
          throw;
        }
        FPropPath = save;
      }
      return;
    }
    case tkVariant: {
      Variant v = GetVariantProp(Instance, Prop);
      if (v.IsEmpty()) return;
      WritePropName(Prop->Name);
      WriteVariant(v);
      return;
    }
    default:
      return;
  }
}

void TWriter::WriteVariant(const Variant& Value) {
  const Variant& v = Value.Deref();
  if (v.IsArray()) {
    if (v.DimCount() != 1) throw EWriteError("Unsupported variant type");
    WriteListBegin();
    for (Integer i = v.LowBound(1); i <= v.HighBound(1); ++i) WriteVariant(v.GetElement(i));
    WriteListEnd();
    return;
  }
  switch (v.Kind()) {
    case varEmpty: WriteValue(vaNil); break;
    case varNull: WriteIdent("Null"); break;
    case varBoolean: WriteBoolean(v.AsBoolean()); break;
    case varShortInt: case varByte: case varSmallint: case varWord: case varInteger:
    case varLongWord: case varInt64:
      WriteInteger(v.AsInt64());
      break;
    case varSingle: WriteSingle(float(v.AsDouble())); break;
    case varDouble: WriteFloat(v.AsDouble()); break;
    case varCurrency: WriteCurrencyRaw(v.AsCurrencyRaw()); break;
    case varDate: WriteDate(v.AsDateTime()); break;
    case varString: case varOleStr: WriteString(v.AsString()); break;
    default: throw EWriteError("Unsupported variant type");
  }
}

void TWriter::WriteCollection(TCollection* Value) {
  WriteValue(vaCollection);
  String save = FPropPath;
  FPropPath.clear();
  try {
    if (Value)
      for (Integer i = 0; i < Value->Count(); ++i) {
        WriteListBegin();
        WriteProperties(Value->Items(i));
        WriteListEnd();
      }
  } catch (...) {
    FPropPath = save;
    throw;
  }
  FPropPath = save;
  WriteListEnd();
}

void TWriter::WriteStrings(TStrings* Value) {
  WriteListBegin();
  for (Integer i = 0; i < Value->Count(); ++i) WriteString(Value->Strings(i));
  WriteListEnd();
}

void TWriter::DefineProperty(const String& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const String& Name, const TStreamProc&, const TStreamProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream mem;
  WriteData(&mem);
  String bytes(size_t(mem.Size()), '\0');
  mem.SetPosition(0);
  if (!bytes.empty()) mem.ReadBuffer(bytes.data(), LongInt(bytes.size()));
  WritePropName(Name);
  WriteBinary(bytes);
}

// ===========================================================================

void WriteComponentToStream(TStream* Stream, TComponent* Instance) {
  TWriter writer(Stream);
  writer.WriteRootComponent(Instance);
}

TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Instance) {
  TReader reader(Stream);
  return reader.ReadRootComponent(Instance);
}
