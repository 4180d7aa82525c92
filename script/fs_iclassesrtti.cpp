#include "fs_iclassesrtti.h"

#include <climits>

#include "Contnrs.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "fs_xml.h"

TOVANI_IMPLEMENT_CLASS(TfsClassesFunctions, TfsRTTIModule)

TObject* fsCheckedInstance(TObject* Instance, TClass Cls, const String& Member) {
  if (!Instance) throw EfsScriptError("Member " + Member + " called on nil");
  if (!Instance->InheritsFrom(Cls))
    throw EfsScriptError("Member " + Member + " called on a " + Instance->ClassName() + ", not on a " + Cls->Name);
  return Instance;
}

void fsRegisterClassesRTTI() { fsRegisterRTTIModule(&TfsClassesFunctions::CreateModule); }

namespace {

template <class T>
T* Arg(TfsMethodHelper* c, Integer i) {
  TObject* o = fsVariantToObject(c->ParamValue(i));
  if (o && !o->InheritsFrom(T::StaticClass()))
    throw EfsScriptError("A " + String(T::StaticClass()->Name) + " is expected, got a " + o->ClassName());
  return static_cast<T*>(o);
}

String Str(TfsMethodHelper* c, Integer i) { return VarToStr(c->ParamValue(i)); }
Integer Int(TfsMethodHelper* c, Integer i) { return c->ParamValue(i).AsInteger(); }
Variant Obj(const TObject* o) { return fsObjectToVariant(o); }

// Index checks of the lists scripts reach.
void CheckIndex(Integer Index, Integer Count, const String& What) {
  if (Index < 0 || Index >= Count)
    throw EListError(What + " index out of bounds (" + IntToStr(Index) + ")");
}

Variant CallMethod(TObject* Instance, TClass ClassType, const String& M, TfsMethodHelper* c) {
  if (ClassType == TObject::StaticClass()) {
    if (M == "CREATE") return Obj(Instance);
    if (M == "FREE") {
      if (!Instance) throw EfsScriptError("Member " + M + " called on nil");
      fsFreeScriptObject(Instance);
      return Variant();
    }
    if (M == "CLASSNAME") return Variant(String(fsCheckedInstance(Instance, TObject::StaticClass(), M)->ClassName()));
  } else if (ClassType == TPersistent::StaticClass()) {
    if (M == "ASSIGN") fsInstance<TPersistent>(Instance, M)->Assign(Arg<TPersistent>(c, 0));
  } else if (ClassType == TCollection::StaticClass()) {
    auto* self = fsInstance<TCollection>(Instance, M);
    if (M == "CLEAR") self->Clear();
    else if (M == "ITEMS.GET") {
      CheckIndex(Int(c, 0), self->Count(), "Collection");
      return Obj(self->Items(Int(c, 0)));
    }
  } else if (ClassType == TList::StaticClass()) {
    auto* self = fsInstance<TList>(Instance, M);
    if (M == "ADD") return Variant(self->Add(fsVariantToObject(c->ParamValue(0))));
    if (M == "CLEAR") self->Clear();
    else if (M == "DELETE") {
      CheckIndex(Int(c, 0), self->Count(), "List");
      self->Delete(Int(c, 0));
    } else if (M == "INDEXOF") return Variant(self->IndexOf(fsVariantToObject(c->ParamValue(0))));
    else if (M == "INSERT") {
      if (Int(c, 0) < 0 || Int(c, 0) > self->Count()) CheckIndex(Int(c, 0), self->Count(), "List");
      self->Insert(Int(c, 0), fsVariantToObject(c->ParamValue(1)));
    } else if (M == "REMOVE") return Variant(self->Remove(fsVariantToObject(c->ParamValue(0))));
    else if (M == "ITEMS.GET") {
      CheckIndex(Int(c, 0), self->Count(), "List");
      return Obj(static_cast<TObject*>(self->Items(Int(c, 0))));
    } else if (M == "ITEMS.SET") {
      CheckIndex(Int(c, 0), self->Count(), "List");
      self->SetItems(Int(c, 0), fsVariantToObject(c->ParamValue(1)));
    }
  } else if (ClassType == TStrings::StaticClass()) {
    auto* self = fsInstance<TStrings>(Instance, M);
    if (M == "ADD") return Variant(self->Add(Str(c, 0)));
    if (M == "ADDOBJECT") return Variant(self->AddObject(Str(c, 0), fsVariantToObject(c->ParamValue(1))));
    if (M == "CLEAR") self->Clear();
    else if (M == "DELETE") {
      CheckIndex(Int(c, 0), self->Count(), "String list");
      self->Delete(Int(c, 0));
    } else if (M == "INDEXOF") return Variant(self->IndexOf(Str(c, 0)));
    else if (M == "INDEXOFNAME") return Variant(self->IndexOfName(Str(c, 0)));
    else if (M == "INDEXOFOBJECT") return Variant(self->IndexOfObject(fsVariantToObject(c->ParamValue(0))));
    else if (M == "INSERT") self->Insert(Int(c, 0), Str(c, 1));
    else if (M == "INSERTOBJECT") self->InsertObject(Int(c, 0), Str(c, 1), fsVariantToObject(c->ParamValue(2)));
    else if (M == "LOADFROMFILE") self->LoadFromFile(Str(c, 0));
    else if (M == "LOADFROMSTREAM") self->LoadFromStream(Arg<TStream>(c, 0));
    else if (M == "SAVETOFILE") self->SaveToFile(Str(c, 0));
    else if (M == "MOVE") {
      CheckIndex(Int(c, 0), self->Count(), "String list");
      CheckIndex(Int(c, 1), self->Count(), "String list");
      self->Move(Int(c, 0), Int(c, 1));
    } else if (M == "SAVETOSTREAM") self->SaveToStream(Arg<TStream>(c, 0));
    else if (M == "NAMES.GET") {
      CheckIndex(Int(c, 0), self->Count(), "String list");
      return Variant(self->Names(Int(c, 0)));
    } else if (M == "OBJECTS.GET") {
      CheckIndex(Int(c, 0), self->Count(), "String list");
      return Obj(self->Objects(Int(c, 0)));
    } else if (M == "OBJECTS.SET") {
      CheckIndex(Int(c, 0), self->Count(), "String list");
      self->SetObjects(Int(c, 0), fsVariantToObject(c->ParamValue(1)));
    } else if (M == "VALUES.GET") return Variant(self->Values(Str(c, 0)));
    else if (M == "VALUES.SET") self->SetValues(Str(c, 0), Str(c, 1));
    else if (M == "STRINGS.GET") {
      CheckIndex(Int(c, 0), self->Count(), "String list");
      return Variant(self->Strings(Int(c, 0)));
    } else if (M == "STRINGS.SET") {
      CheckIndex(Int(c, 0), self->Count(), "String list");
      self->SetStrings(Int(c, 0), Str(c, 1));
    }
  } else if (ClassType == TStringList::StaticClass()) {
    auto* self = fsInstance<TStringList>(Instance, M);
    if (M == "FIND") {
      Integer index = 0;
      bool found = self->Find(Str(c, 0), index);
      c->SetParamValue(1, Variant(index));
      return Variant(found);
    }
    if (M == "SORT") self->Sort();
  } else if (ClassType == TStream::StaticClass()) {
    auto* self = fsInstance<TStream>(Instance, M);
    if (M == "READ") {
      Integer count = Int(c, 1);
      if (count < 0) throw EfsScriptError("TStream.Read: negative count " + IntToStr(count));
      Int64 left = self->Size() - self->Position();
      if (left < 0) left = 0;
      String buffer(size_t(std::min<Int64>(count, left)), '\0');
      Integer n = buffer.empty() ? 0 : self->Read(buffer.data(), Integer(buffer.size()));
      buffer.resize(size_t(n));
      c->SetParamValue(0, Variant(buffer));
      return Variant(n);
    }
    if (M == "WRITE") {
      String buffer = Str(c, 0);
      Integer count = Int(c, 1);
      // Only what the buffer holds can be written.
      if (count < 0 || size_t(count) > buffer.size())
        throw EfsScriptError("TStream.Write: count " + IntToStr(count) + " outside the buffer of " +
                             IntToStr(Integer(buffer.size())) + " bytes");
      return Variant(count == 0 ? 0 : self->Write(buffer.data(), count));
    }
    if (M == "SEEK") return Variant(Integer(self->Seek(Int(c, 0), Word(Int(c, 1)))));
    if (M == "COPYFROM") {
      TStream* source = Arg<TStream>(c, 0);
      if (!source) throw EfsScriptError("TStream.CopyFrom: no source stream");
      return Variant(self->CopyFrom(source, c->ParamValue(1).AsInt64()));
    }
  } else if (ClassType == TFileStream::StaticClass()) {
    if (M == "CREATE") {
      // File streams have no default construction: the script's instance
      // is made here.
      delete Instance;
      return Obj(new TFileStream(Str(c, 0), Word(Int(c, 1))));
    }
  } else if (ClassType == TMemoryStream::StaticClass()) {
    auto* self = fsInstance<TMemoryStream>(Instance, M);
    if (M == "CLEAR") self->Clear();
    else if (M == "LOADFROMSTREAM") self->LoadFromStream(Arg<TStream>(c, 0));
    else if (M == "LOADFROMFILE") self->LoadFromFile(Str(c, 0));
    else if (M == "SAVETOSTREAM") self->SaveToStream(Arg<TStream>(c, 0));
    else if (M == "SAVETOFILE") self->SaveToFile(Str(c, 0));
  } else if (ClassType == TComponent::StaticClass()) {
    if (M == "CREATE") {
      auto* self = fsInstance<TComponent>(Instance, M);
      if (TComponent* owner = Arg<TComponent>(c, 0)) owner->InsertComponent(self);
      return Obj(self);
    }
  } else if (ClassType == TfsXMLItem::StaticClass()) {
    if (M == "CREATE") return Obj(Instance ? Instance : new TfsXMLItem);
    auto* self = fsInstance<TfsXMLItem>(Instance, M);
    if (M == "ADDITEM") {
      TfsXMLItem* item = Arg<TfsXMLItem>(c, 0);
      if (!item) throw EfsScriptError("TfsXMLItem.AddItem: no item");
      for (TfsXMLItem* p = self; p; p = p->Parent())
        if (p == item) throw EfsScriptError("TfsXMLItem.AddItem: an item cannot hold itself");
      self->AddItem(item);
    } else if (M == "CLEAR") self->Clear();
    else if (M == "INSERTITEM") {
      TfsXMLItem* item = Arg<TfsXMLItem>(c, 1);
      if (!item) throw EfsScriptError("TfsXMLItem.InsertItem: no item");
      for (TfsXMLItem* p = self; p; p = p->Parent())
        if (p == item) throw EfsScriptError("TfsXMLItem.InsertItem: an item cannot hold itself");
      if (Int(c, 0) < 0 || Int(c, 0) > self->Count()) CheckIndex(Int(c, 0), self->Count(), "XML item");
      self->InsertItem(Int(c, 0), item);
    } else if (M == "ADD") return Obj(self->Add());
    else if (M == "FIND") return Variant(self->Find(Str(c, 0)));
    else if (M == "FINDITEM") return Obj(self->FindItem(Str(c, 0)));
    else if (M == "ROOT") return Obj(self->Root());
    else if (M == "ITEMS.GET") return Obj(self->Items(Int(c, 0)));
    else if (M == "PROP.GET") return Variant(self->Prop(Str(c, 0)));
    else if (M == "PROP.SET") self->SetProp(Str(c, 0), Str(c, 1));
  } else if (ClassType == TfsXMLDocument::StaticClass()) {
    if (M == "CREATE") return Obj(Instance ? Instance : new TfsXMLDocument);
    auto* self = fsInstance<TfsXMLDocument>(Instance, M);
    if (M == "SAVETOSTREAM") self->SaveToStream(Arg<TStream>(c, 0));
    else if (M == "LOADFROMSTREAM") self->LoadFromStream(Arg<TStream>(c, 0));
    else if (M == "SAVETOFILE") self->SaveToFile(Str(c, 0));
    else if (M == "LOADFROMFILE") self->LoadFromFile(Str(c, 0));
  }
  return Variant(Integer(0));
}

Variant ModuleGetProp(TObject* Instance, TClass ClassType, const String& P) {
  if (ClassType == TCollection::StaticClass()) {
    if (P == "COUNT") return Variant(fsInstance<TCollection>(Instance, P)->Count());
  } else if (ClassType == TList::StaticClass()) {
    if (P == "COUNT") return Variant(fsInstance<TList>(Instance, P)->Count());
  } else if (ClassType == TStrings::StaticClass()) {
    auto* self = fsInstance<TStrings>(Instance, P);
    if (P == "COMMATEXT") return Variant(self->CommaText());
    if (P == "COUNT") return Variant(self->Count());
    if (P == "TEXT") return Variant(self->Text());
  } else if (ClassType == TStringList::StaticClass()) {
    auto* self = fsInstance<TStringList>(Instance, P);
    if (P == "DUPLICATES") return Variant(Integer(self->Duplicates()));
    if (P == "SORTED") return Variant(self->Sorted());
  } else if (ClassType == TStream::StaticClass()) {
    auto* self = fsInstance<TStream>(Instance, P);
    if (P == "POSITION") return Variant(self->Position());
    if (P == "SIZE") return Variant(self->Size());
  } else if (ClassType == TComponent::StaticClass()) {
    if (P == "OWNER") return Obj(fsInstance<TComponent>(Instance, P)->Owner());
  } else if (ClassType == TfsXMLItem::StaticClass()) {
    auto* self = fsInstance<TfsXMLItem>(Instance, P);
    if (P == "DATA") return Variant(Integer(self->Data));
    if (P == "COUNT") return Variant(self->Count());
    if (P == "NAME") return Variant(self->Name);
    if (P == "PARENT") return Obj(self->Parent());
    if (P == "TEXT") return Variant(self->Text);
  } else if (ClassType == TfsXMLDocument::StaticClass()) {
    if (P == "ROOT") return Obj(fsInstance<TfsXMLDocument>(Instance, P)->Root());
  }
  return Variant(Integer(0));
}

void ModuleSetProp(TObject* Instance, TClass ClassType, const String& P, const Variant& V) {
  if (ClassType == TStrings::StaticClass()) {
    auto* self = fsInstance<TStrings>(Instance, P);
    if (P == "COMMATEXT") self->SetCommaText(VarToStr(V));
    else if (P == "TEXT") self->SetText(VarToStr(V));
  } else if (ClassType == TStringList::StaticClass()) {
    auto* self = fsInstance<TStringList>(Instance, P);
    if (P == "DUPLICATES") {
      Integer d = V.AsInteger();
      if (d < dupIgnore || d > dupError) throw EfsScriptError("Duplicates: no such value " + IntToStr(d));
      self->SetDuplicates(TDuplicates(d));
    } else if (P == "SORTED") self->SetSorted(V.AsBoolean());
  } else if (ClassType == TStream::StaticClass()) {
    if (P == "POSITION") fsInstance<TStream>(Instance, P)->SetPosition(V.AsInt64());
  } else if (ClassType == TfsXMLItem::StaticClass()) {
    auto* self = fsInstance<TfsXMLItem>(Instance, P);
    if (P == "DATA") self->Data = V.AsInteger();
    else if (P == "NAME") self->Name = VarToStr(V);
    else if (P == "TEXT") self->Text = VarToStr(V);
  }
}

}  // namespace

TfsClassesFunctions::TfsClassesFunctions(TfsScript* S) : TfsRTTIModule(S) {
  static const struct { const char* Name; Integer Value; } consts[] = {
      {"fmCreate", 0xFFFF}, {"fmOpenRead", 0}, {"fmOpenWrite", 1}, {"fmOpenReadWrite", 2},
      {"fmShareExclusive", 16}, {"fmShareDenyWrite", 32}, {"fmShareDenyNone", 64},
      {"soFromBeginning", 0}, {"soFromCurrent", 1}, {"soFromEnd", 2}};
  for (const auto& k : consts) S->AddConst(k.Name, "Integer", Variant(k.Value));
  S->AddEnum("TDuplicates", "dupIgnore, dupAccept, dupError");
  S->AddEnum("TPrinterOrientation", "poPortrait, poLandscape");

  TfsCallerMethodHandler m = CallMethod;
  TfsPropertyGetter g = ModuleGetProp;
  TfsPropertySetter st = ModuleSetProp;

  TfsClassVariable* c = S->AddClass(TObject::StaticClass(), "");
  c->AddConstructor("constructor Create", m);
  c->AddMethod("procedure Free", m);
  c->AddMethod("function ClassName: String", m);

  c = S->AddClass(TPersistent::StaticClass(), "TObject");
  c->AddMethod("procedure Assign(Source: TPersistent)", m);
  S->AddClass(TCollectionItem::StaticClass(), "TPersistent");
  c = S->AddClass(TCollection::StaticClass(), "TPersistent");
  c->AddMethod("procedure Clear", m);
  c->AddProperty("Count", "Integer", g);
  c->AddDefaultProperty("Items", "Integer", "TCollectionItem", m, true);

  c = S->AddClass(TList::StaticClass(), "TObject");
  c->AddMethod("function Add(Item: TObject): Integer", m);
  c->AddMethod("procedure Clear", m);
  c->AddMethod("procedure Delete(Index: Integer)", m);
  c->AddMethod("function IndexOf(Item: TObject): Integer", m);
  c->AddMethod("procedure Insert(Index: Integer; Item: TObject)", m);
  c->AddMethod("function Remove(Item: TObject): Integer", m);
  c->AddProperty("Count", "Integer", g);
  c->AddDefaultProperty("Items", "Integer", "TObject", m);

  c = S->AddClass(TStrings::StaticClass(), "TPersistent");
  c->AddMethod("function Add(const S: string): Integer", m);
  c->AddMethod("function AddObject(const S: string; AObject: TObject): Integer", m);
  c->AddMethod("procedure Clear", m);
  c->AddMethod("procedure Delete(Index: Integer)", m);
  c->AddMethod("function IndexOf(const S: string): Integer", m);
  c->AddMethod("function IndexOfName(const Name: string): Integer", m);
  c->AddMethod("function IndexOfObject(AObject: TObject): Integer", m);
  c->AddMethod("procedure Insert(Index: Integer; const S: string)", m);
  c->AddMethod("procedure InsertObject(Index: Integer; const S: string; AObject: TObject)", m);
  c->AddMethod("procedure LoadFromFile(const FileName: string)", m);
  c->AddMethod("procedure LoadFromStream(Stream: TStream)", m);
  c->AddMethod("procedure SaveToFile(const FileName: string)", m);
  c->AddMethod("procedure Move(CurIndex, NewIndex: Integer)", m);
  c->AddMethod("procedure SaveToStream(Stream: TStream)", m);
  c->AddProperty("CommaText", "string", g, st);
  c->AddProperty("Count", "Integer", g);
  c->AddIndexProperty("Names", "Integer", "string", m, true);
  c->AddIndexProperty("Objects", "Integer", "TObject", m);
  c->AddIndexProperty("Values", "String", "string", m);
  c->AddDefaultProperty("Strings", "Integer", "string", m);
  c->AddProperty("Text", "string", g, st);

  c = S->AddClass(TStringList::StaticClass(), "TStrings");
  c->AddMethod("function Find(s: String; var Index: Integer): Boolean", m);
  c->AddMethod("procedure Sort", m);
  c->AddProperty("Duplicates", "TDuplicates", g, st);
  c->AddProperty("Sorted", "Boolean", g, st);

  c = S->AddClass(TStream::StaticClass(), "TObject");
  c->AddMethod("function Read(var Buffer: string; Count: Longint): Longint", m);
  c->AddMethod("function Write(Buffer: string; Count: Longint): Longint", m);
  c->AddMethod("function Seek(Offset: Longint; Origin: Word): Longint", m);
  c->AddMethod("function CopyFrom(Source: TStream; Count: Longint): Longint", m);
  c->AddProperty("Position", "Longint", g, st);
  c->AddProperty("Size", "Longint", g);

  c = S->AddClass(TFileStream::StaticClass(), "TStream");
  c->AddConstructor("constructor Create(Filename: String; Mode: Word)", m);
  c = S->AddClass(TMemoryStream::StaticClass(), "TStream");
  c->AddMethod("procedure Clear", m);
  c->AddMethod("procedure LoadFromStream(Stream: TStream)", m);
  c->AddMethod("procedure LoadFromFile(Filename: String)", m);
  c->AddMethod("procedure SaveToStream(Stream: TStream)", m);
  c->AddMethod("procedure SaveToFile(Filename: String)", m);

  c = S->AddClass(TComponent::StaticClass(), "TPersistent");
  c->AddConstructor("constructor Create(AOwner: TComponent)", m);
  c->AddProperty("Owner", "TComponent", g);

  c = S->AddClass(TfsXMLItem::StaticClass(), "TObject");
  c->AddConstructor("constructor Create", m);
  c->AddMethod("procedure AddItem(Item: TfsXMLItem)", m);
  c->AddMethod("procedure Clear", m);
  c->AddMethod("procedure InsertItem(Index: Integer; Item: TfsXMLItem)", m);
  c->AddMethod("function Add: TfsXMLItem", m);
  c->AddMethod("function Find(const Name: String): Integer", m);
  c->AddMethod("function FindItem(const Name: String): TfsXMLItem", m);
  c->AddMethod("function Root: TfsXMLItem", m);
  c->AddProperty("Data", "Integer", g, st);
  c->AddProperty("Count", "Integer", g);
  c->AddDefaultProperty("Items", "Integer", "TfsXMLItem", m, true);
  c->AddIndexProperty("Prop", "String", "String", m);
  c->AddProperty("Name", "String", g, st);
  c->AddProperty("Parent", "TfsXMLItem", g);
  c->AddProperty("Text", "String", g, st);

  c = S->AddClass(TfsXMLDocument::StaticClass(), "TObject");
  c->AddConstructor("constructor Create", m);
  c->AddMethod("procedure SaveToStream(Stream: TStream)", m);
  c->AddMethod("procedure LoadFromStream(Stream: TStream)", m);
  c->AddMethod("procedure SaveToFile(const FileName: String)", m);
  c->AddMethod("procedure LoadFromFile(const FileName: String)", m);
  c->AddProperty("Root", "TfsXMLItem", g);
}
