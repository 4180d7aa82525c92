#include "frxXMLSerializer.h"

#include <windows.h>
#undef GetProp
#undef SetProp

#include <cmath>

#include "CodePage.h"
#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"
#include "Variant.h"
#include "frxClass.h"
#include "frxRes.h"
#include "frxUnicodeUtils.h"
#include "frxUtils.h"
#include "frxXML.h"

TOVANI_IMPLEMENT_CLASS(TfrxFixupItem, TObject)
TOVANI_IMPLEMENT_CLASS(TfrxXMLSerializer, TObject)

namespace {

// Memo views keep their text in the wide-string list "Memo"; the serializer
// stores it as the UTF-8 attribute "Text".
TfrxWideStrings* MemoLines(TPersistent* Obj) {
  if (!frxIsKindOf(Obj, "TfrxCustomMemoView")) return nullptr;
  const TPropInfo* p = GetPropInfo(Obj, "Memo");
  if (!p || p->Kind() != tkClass || !p->GetObj) return nullptr;
  TObject* v = p->GetObj(Obj);
  return v && v->Is<TfrxWideStrings>() ? static_cast<TfrxWideStrings*>(v) : nullptr;
}

String WithoutFinalLineBreak(String s) {
  if (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0) s.resize(s.size() - 2);
  return s;
}

bool IsStringKind(TTypeKind k) { return k == tkString || k == tkLString || k == tkWString || k == tkUString; }

// Marks a report object as being written for the lifetime of the guard.
class TWritingGuard {
 public:
  explicit TWritingGuard(TPersistent* Obj) {
    if (Obj && Obj->Is<TfrxComponent>()) {
      FComp = static_cast<TfrxComponent*>(Obj);
      FWas = FComp->BeingWritten();
      FComp->SetBeingWritten(true);
    }
  }
  ~TWritingGuard() {
    if (FComp) FComp->SetBeingWritten(FWas);
  }
  TWritingGuard(const TWritingGuard&) = delete;
  TWritingGuard& operator=(const TWritingGuard&) = delete;

 private:
  TfrxComponent* FComp = nullptr;
  bool FWas = false;
};

bool SameVariant(const Variant& a, const Variant& b) {
  bool aNone = a.IsEmpty() || a.IsNull(), bNone = b.IsEmpty() || b.IsNull();
  if (aNone || bNone) return a.IsNull() == b.IsNull() && a.IsEmpty() == b.IsEmpty();
  return VarSameValue(a, b);
}

}  // namespace

TfrxXMLSerializer::TfrxXMLSerializer(TStream* AStream)
    : FStream(AStream), FErrors(std::make_unique<TStringList>()) {
  FErrors->SetSorted(true);
  FErrors->SetDuplicates(dupIgnore);
}

TfrxXMLSerializer::~TfrxXMLSerializer() = default;

TReader* TfrxXMLSerializer::Reader() {
  if (!FReader) {
    FReaderStream = std::make_unique<TMemoryStream>();
    FReader = std::make_unique<TReader>(FReaderStream.get());
  }
  return FReader.get();
}

TfrxComponent* TfrxXMLSerializer::RootFrx() const {
  return FRoot && FRoot->Is<TfrxComponent>() ? static_cast<TfrxComponent*>(FRoot) : nullptr;
}

String TfrxXMLSerializer::StringToXML(const String& S) const { return frxEscapeXMLText(Utf8ToGbk(S)); }

String TfrxXMLSerializer::StringFromXML(const String& S) const {
  String raw = frxUnescapeXMLText(S);
  return LegacyStrings ? GbkToUtf8(raw) : raw;
}

// ---------------------------------------------------------------------------
// Writing attributes

String TfrxXMLSerializer::PropertyText(TPersistent* Obj, const TPropInfo* Prop, const String& Prefix,
                                       TPersistent* Ancestor) {
  // The ancestor is compared only where it has the property.
  TPersistent* anc = Ancestor && Prop->Owner && Ancestor->InheritsFrom(Prop->Owner) ? Ancestor : nullptr;
  auto attr = [&](const String& value) {
    return value.empty() ? String() : " " + Prefix + Prop->Name + "=\"" + value + "\"";
  };
  switch (Prop->Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkSet:
    case tkEnumeration: {
      Int64 v = Prop->GetOrd(Obj);
      bool skip = anc ? v == Prop->GetOrd(anc) : (Prop->Default != NoDefault && v == Prop->Default);
      if (skip && !WriteDefaults) return String();
      if (Prop->Kind() == tkEnumeration) return attr(GetEnumName(Prop->PropType, Integer(v)));
      return attr(IntToStr(v));
    }
    case tkFloat: {
      double v = Prop->GetFloat(Obj);
      if (anc && std::fabs(v - Prop->GetFloat(anc)) < 1e-6 && !WriteDefaults) return String();
      return attr(frxFloatToXMLText(v));
    }
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: {
      String v = Prop->GetStr(Obj);
      if (anc && v == Prop->GetStr(anc) && !WriteDefaults) return String();
      return attr(StringToXML(v));
    }
    case tkVariant: {
      Variant v = Prop->GetVar(Obj);
      if (anc && SameVariant(v, Prop->GetVar(anc)) && !WriteDefaults) return String();
      return attr(StringToXML(VarToStr(v)));
    }
    case tkClass:
      break;
    default:
      return String();   // methods, 64-bit integers and the rest are not stored
  }

  TClass declared = GetObjectPropClass(Prop);
  if (!declared) return String();
  TObject* value = Prop->GetObj(Obj);
  TObject* ancValue = anc ? Prop->GetObj(anc) : nullptr;
  if (declared->InheritsFrom(TComponent::StaticClass())) {
    auto* ref = static_cast<TComponent*>(value);
    auto* ancRef = static_cast<TComponent*>(ancValue);
    if (anc) {
      if (!ref && !ancRef) return String();
      if (ref && ancRef && SameText(ref->Name(), ancRef->Name())) return String();
      if (!ref) return attr("nil");
    }
    if (!ref) return String();
    return attr(frxComponentReferenceText(FRoot, ref));
  }
  if (!declared->InheritsFrom(TPersistent::StaticClass()) || !value) return String();
  if (value->Is<TStrings>()) {
    String text = static_cast<TStrings*>(value)->Text();
    if (ancValue && ancValue->Is<TStrings>() && static_cast<TStrings*>(ancValue)->Text() == text) return String();
    String v = StringToXML(WithoutFinalLineBreak(text));
    return v.empty() ? String() : " " + Prefix + Prop->Name + ".Text=\"" + v + "\"";
  }
  if (value->Is<TfrxWideStrings>()) return String();
  TPersistent* nestedAnc = ancValue && ancValue->Is<TPersistent>() ? static_cast<TPersistent*>(ancValue) : nullptr;
  return ObjectToAttributes(static_cast<TPersistent*>(value), Prefix + Prop->Name + ".", nestedAnc);
}

String TfrxXMLSerializer::DefinedPropertiesHex(TPersistent* Obj, Cardinal* Checksum) {
  TMemoryStream mem;
  TWriter writer(&mem);
  writer.SetRoot(FRoot);
  writer.WriteDefinedProperties(Obj);
  if (mem.Size() == 0) return String();
  if (Checksum) *Checksum = frxStreamChecksum32(&mem);
  return frxStreamToHex(&mem);
}

String TfrxXMLSerializer::ObjectToAttributes(TPersistent* Obj, const String& Prefix, TPersistent* Ancestor) {
  if (!Obj) return String();
  if (!FRoot && Obj->Is<TComponent>()) FRoot = static_cast<TComponent*>(Obj);
  if (!Ancestor && AncestorLookup && Obj->Is<TComponent>())
    Ancestor = AncestorLookup(static_cast<TComponent*>(Obj)->Name());
  TWritingGuard objGuard(Obj);
  TWritingGuard ancGuard(Ancestor);

  String result;
  for (const TPropInfo* p : GetPropList(Obj, tkProperties)) {
    if (!p->HasGetter() || !p->IsStored(Obj)) continue;
    result += PropertyText(Obj, p, Prefix, Ancestor);
  }

  if (TfrxWideStrings* memo = MemoLines(Obj)) {
    TfrxWideStrings* ancMemo = Ancestor ? MemoLines(Ancestor) : nullptr;
    if (!ancMemo || ancMemo->Text() != memo->Text())
      result += " Text=\"" + frxEscapeXMLText(WithoutFinalLineBreak(Utf16ToUtf8(memo->Text()))) + "\"";
  }

  Cardinal crc = 0;
  String data = DefinedPropertiesHex(Obj, &crc);
  if (!data.empty()) {
    Cardinal ancCrc = 0;
    if (!Ancestor || DefinedPropertiesHex(Ancestor, &ancCrc).empty() || ancCrc != crc)
      result += " " + Prefix + "PropData=\"" + data + "\"";
  }
  return result;
}

// ---------------------------------------------------------------------------
// Reading attributes

void TfrxXMLSerializer::AttributesToObject(const String& Text, TPersistent* Obj) {
  size_t i = 0;
  const size_t n = Text.size();
  while (i < n) {
    while (i < n && Text[i] == ' ') ++i;
    size_t eq = Text.find('=', i);
    if (eq == String::npos) break;
    String name = Text.substr(i, eq - i);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name.empty()) break;
    size_t open = Text.find('"', eq + 1);
    if (open == String::npos) break;
    size_t close = Text.find('"', open + 1);
    if (close == String::npos) close = n;
    String value = Text.substr(open + 1, close - open - 1);
    i = close + 1;

    // "Font.Name": walk the sub-objects; an unknown segment leaves a name
    // that matches nothing.
    TPersistent* target = Obj;
    size_t start = 0;
    for (;;) {
      size_t dot = name.find('.', start);
      if (dot == String::npos) break;
      const TPropInfo* p = GetPropInfo(target, name.substr(start, dot - start));
      TObject* sub = (p && p->Kind() == tkClass && p->GetObj) ? p->GetObj(target) : nullptr;
      if (!sub || !sub->Is<TPersistent>()) break;
      target = static_cast<TPersistent*>(sub);
      start = dot + 1;
    }
    try {
      DispatchAttribute(target, name.substr(start), value);
    } catch (const Exception& e) {
      FErrors->Add(e.Message());
    }
  }
}

void TfrxXMLSerializer::DispatchAttribute(TPersistent* Obj, const String& Name, const String& Value) {
  auto* comp = Obj->Is<TfrxComponent>() ? static_cast<TfrxComponent*>(Obj) : nullptr;
  TfrxWideStrings* memo = MemoLines(Obj);
  if (Name.size() == 1) {
    char c = Name[0];
    if (comp && (c == 'l' || c == 't' || c == 'w' || c == 'h')) {
      Extended v = frxParseFloat(Value);
      if (c == 'l') comp->SetLeft(v);
      else if (c == 't') comp->SetTop(v);
      else if (c == 'w') comp->SetWidth(v);
      else comp->SetHeight(v);
      return;
    }
    if (memo && c == 'x') return memo->SetText(GbkToUtf16(frxUnescapeXMLText(Value)));
    if (memo && c == 'u') return memo->SetText(Utf8ToUtf16(frxUnescapeXMLText(Value)));
  }
  if (Name == "Text") {
    if (Obj->Is<TStrings>()) return static_cast<TStrings*>(Obj)->SetText(StringFromXML(Value));
    if (Obj->Is<TfrxWideStrings>())
      return static_cast<TfrxWideStrings*>(Obj)->SetText(GbkToUtf16(frxUnescapeXMLText(Value)));
    if (memo) return memo->SetText(Utf8ToUtf16(frxUnescapeXMLText(Value)));
  }
  if (Name == "PropData") return ReadPropData(Obj, Value);
  if (Name == "Name" && Obj->Is<TfrxReport>()) return;

  const TPropInfo* p = GetPropInfo(Obj, Name);
  if (!p || !p->HasSetter()) return;
  switch (p->Kind()) {
    case tkInteger:
    case tkChar:
    case tkWChar:
    case tkSet:
      SetOrdProp(Obj, p, StrToInt64(Value));
      break;
    case tkEnumeration: {
      Integer v;
      if (!TryStrToInt(Value, v)) v = GetEnumValue(p->PropType, Value);
      // A value the type does not know is refused: the property keeps its value.
      if (v < p->PropType->MinValue || v > p->PropType->MaxValue)
        throw EPropertyError("Invalid value " + Value + " of property " + Obj->ClassName() + "." + p->Name);
      SetOrdProp(Obj, p, v);
      break;
    }
    case tkFloat:
      SetFloatProp(Obj, p, frxParseFloat(Value));
      break;
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString:
      SetStrProp(Obj, p, StringFromXML(Value));
      break;
    case tkClass: {
      TClass declared = GetObjectPropClass(p);
      if (declared && declared->InheritsFrom(TComponent::StaticClass())) AddPendingReference(Obj, p, Value);
      break;
    }
    case tkVariant:
      SetVariantProp(Obj, p, Variant(StringFromXML(Value)));
      break;
    default:
      break;
  }
}

void TfrxXMLSerializer::ReadPropData(TPersistent* Obj, const String& Hex) {
  // Defined properties may hold attribute texts with data of their own
  // (collections); a nested read gets a reader of its own.
  const bool nested = FReadingPropData;
  std::unique_ptr<TMemoryStream> localStream;
  std::unique_ptr<TReader> localReader;
  TMemoryStream* stream;
  TReader* reader;
  if (nested) {
    localStream = std::make_unique<TMemoryStream>();
    localReader = std::make_unique<TReader>(localStream.get());
    localReader->SetRoot(FRoot);
    localReader->BeginReferences();
    stream = localStream.get();
    reader = localReader.get();
  } else {
    reader = Reader();
    stream = FReaderStream.get();
  }
  FReadingPropData = true;
  try {
    stream->SetSize(0);
    frxHexToStream(Hex, stream);
    Int64 size = stream->Size();
    stream->SetPosition(0);
    while (stream->Position() < size) reader->ReadProperty(Obj);
    if (nested) reader->FixupReferences();
  } catch (const std::exception&) {
    // Defined-property data that cannot be read is dropped.
  }
  FReadingPropData = nested;
}

// ---------------------------------------------------------------------------
// References

void TfrxXMLSerializer::AddPendingReference(TPersistent* Target, const TPropInfo* Prop, const String& RefName) {
  auto f = std::make_unique<TfrxFixupItem>();
  f->Target = Target;
  f->Prop = Prop;
  f->RefName = RefName;
  FFixups.push_back(std::move(f));
}

void TfrxXMLSerializer::ClearPendingReferences() { FFixups.clear(); }

void TfrxXMLSerializer::ResolveReferences() {
  std::vector<std::unique_ptr<TfrxFixupItem>> fixups;
  fixups.swap(FFixups);
  for (auto& f : fixups) {
    TComponent* found = nullptr;
    if (TfrxComponent* root = RootFrx()) found = root->FindObject(f->RefName);
    if (!found) found = frxLookupComponent(FRoot, f->RefName);
    if (!found) continue;
    try {
      SetObjectProp(f->Target, f->Prop, found);
    } catch (const Exception& e) {
      FErrors->Add(e.Message());
    }
  }
  if (FReader) {
    FReader->FixupReferences();
    FReader->EndReferences();
  }
}

// ---------------------------------------------------------------------------
// Trees

void TfrxXMLSerializer::ReadTree(TfrxXMLItem* Item, TfrxComponent* Component, std::vector<TfrxComponent*>& Loaded) {
  Component->SetIsLoading(true);
  AttributesToObject(Item->AttrText(), Component);
  Loaded.push_back(Component);
  for (Integer i = 0; i < Item->Count(); ++i) {
    TfrxXMLItem* child = Item->Items(i);
    const String& elem = child->Name();
    bool inherited = SameText(elem, "inherited");
    TClass cls = nullptr;
    if (!inherited) {
      cls = GetClass(elem);
      if (!cls || !cls->InheritsFrom(TfrxComponent::StaticClass())) {
        FErrors->Add(frxGetResources()->Get("xrCantFindClass") + " " + elem);
        continue;
      }
    }
    // A text object holds no objects: what a file puts there would be
    // prepared but neither kept in prepared pages nor shown.
    if (Component->Is<TfrxCustomMemoView>()) {
      FErrors->Add(Component->Name() + " 中不能放入 " + elem + " " + child->GetProp("Name"));
      continue;
    }
    TComponent* existing = FRoot ? FRoot->FindComponent(child->GetProp("Name")) : nullptr;
    if (existing && !existing->Is<TfrxComponent>())
      throw EInvalidCast("Invalid class typecast: " + existing->ClassName() + " is no report object");
    auto* c = static_cast<TfrxComponent*>(existing);
    if (!c) {
      if (inherited) continue;
      c = static_cast<TfrxComponent*>(cls->Factory());
      c->AfterConstruction();
      c->AttachTo(Component);
    }
    ReadTree(child, c, Loaded);
  }
}

void TfrxXMLSerializer::ReadComponentTree(TfrxComponent* Component, TfrxXMLItem* Item) {
  if (!FRoot) FRoot = Component;
  std::unique_ptr<TfrxXMLDocument> doc;
  if (!Item) {
    doc = std::make_unique<TfrxXMLDocument>();
    doc->LoadFromStream(FStream);
    LegacyStrings = doc->LegacyVersion();
    Item = doc->Root();
  }
  TReader* reader = Reader();
  reader->SetRoot(FRoot);
  reader->BeginReferences();
  std::vector<TfrxComponent*> loaded;
  try {
    ReadTree(Item, Component, loaded);
    ResolveReferences();
  } catch (...) {
    for (TfrxComponent* c : loaded) c->SetIsLoading(false);
    ClearPendingReferences();
    reader->EndReferences();
    throw;
  }
  for (TfrxComponent* c : loaded) {
    c->SetIsLoading(false);
    if (!c->Is<TfrxReport>()) c->Loaded();
  }
}

void TfrxXMLSerializer::WriteComponentTree(TfrxComponent* Component, bool SaveChildren, TfrxXMLItem* Item,
                                           bool SaveAsClass) {
  if (!FRoot) FRoot = Component;
  std::unique_ptr<TfrxXMLDocument> doc;
  if (!Item) {
    doc = std::make_unique<TfrxXMLDocument>();
    doc->SetIndented(true);
    Item = doc->Root();
  }
  std::function<void(TfrxComponent*, TfrxXMLItem*, bool)> write = [&](TfrxComponent* c, TfrxXMLItem* node,
                                                                        bool top) {
    node->SetName(c->IsAncestor() && !SaveAsClass ? String("inherited") : c->ClassName());
    String attrs = ObjectToAttributes(c);
    node->SetAttrText(top ? attrs : "Name=\"" + c->Name() + "\"" + attrs);
    if (!SaveChildren) return;
    TList* children = c->Objects();
    for (Integer i = 0; i < children->Count(); ++i)
      write(static_cast<TfrxComponent*>(children->Items(i)), node->Add(), false);
  };
  write(Component, Item, true);
  if (doc) doc->SaveToStream(FStream);
}

// ---------------------------------------------------------------------------
// One-line texts

String TfrxXMLSerializer::ComponentToText(TfrxComponent* Component) {
  return Component->ClassName() + ObjectToAttributes(Component);
}

void TfrxXMLSerializer::WriteComponent(TfrxComponent* Component) {
  String s = "<" + ComponentToText(Component) + "/>";
  FStream->WriteBuffer(s.data(), LongInt(s.size()));
}

TfrxComponent* TfrxXMLSerializer::CreateComponentFromText(TfrxComponent* NewOwner, const String& Text,
                                                         bool SkipReferences) {
  FRoot = NewOwner;
  String text = Trim(Text);
  if (text.empty()) return nullptr;
  size_t blank = text.find(' ');
  String className = text.substr(0, blank);
  String attrs = blank == String::npos ? String() : text.substr(blank + 1);
  TClass cls = FindClass(className);
  if (!cls->InheritsFrom(TfrxComponent::StaticClass())) throw EClassNotFound("Class " + className + " not found");
  auto* c = static_cast<TfrxComponent*>(cls->Factory());
  c->AfterConstruction();
  c->AttachTo(NewOwner);
  TReader* reader = Reader();
  reader->SetRoot(FRoot);
  reader->BeginReferences();
  c->SetIsLoading(true);
  auto finish = [&] {
    if (SkipReferences) {
      ClearPendingReferences();
      reader->EndReferences();
    } else {
      ResolveReferences();
    }
    c->SetIsLoading(false);
    if (!c->Is<TfrxReport>()) c->Loaded();
  };
  try {
    AttributesToObject(attrs, c);
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return c;
}

void TfrxXMLSerializer::ReadObjectText(TComponent* Root, TPersistent* Obj, const String& Text) {
  if (!FRoot) FRoot = Root;
  TReader* reader = Reader();
  reader->SetRoot(Root);
  reader->BeginReferences();
  AttributesToObject(Text, Obj);
  ResolveReferences();
}
