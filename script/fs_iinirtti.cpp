#include "fs_iinirtti.h"

#include "IniFiles.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "fs_iclassesrtti.h"

TOVANI_IMPLEMENT_CLASS(TfsIniFunctions, TfsRTTIModule)

void fsRegisterIniRTTI() { fsRegisterRTTIModule(&TfsIniFunctions::CreateModule); }

namespace {

template <class T>
T* Arg(TfsMethodHelper* c, Integer i) {
  TObject* o = fsVariantToObject(c->ParamValue(i));
  if (o && !o->InheritsFrom(T::StaticClass()))
    throw EfsScriptError("A " + String(T::StaticClass()->Name) + " is expected, got a " + o->ClassName());
  return static_cast<T*>(o);
}

template <class T>
T* Required(TfsMethodHelper* c, Integer i, const String& M) {
  T* o = Arg<T>(c, i);
  if (!o) throw EfsScriptError(M + ": a " + String(T::StaticClass()->Name) + " is required");
  return o;
}

String Str(TfsMethodHelper* c, Integer i) { return VarToStr(c->ParamValue(i)); }

Variant CallMethod(TObject* Instance, TClass ClassType, const String& M, TfsMethodHelper* c) {
  if (ClassType == TCustomIniFile::StaticClass()) {
    if (M == "CREATE") {
      // Ini files are made with their file name: the script's instance is made here.
      delete Instance;
      return fsObjectToVariant(new TIniFile(Str(c, 0)));
    }
    auto* ini = fsInstance<TCustomIniFile>(Instance, M);
    if (M == "READINTEGER") return Variant(ini->ReadInteger(Str(c, 0), Str(c, 1), c->ParamValue(2).AsInteger()));
    if (M == "WRITEINTEGER") ini->WriteInteger(Str(c, 0), Str(c, 1), c->ParamValue(2).AsInteger());
    else if (M == "READBOOL") return Variant(ini->ReadBool(Str(c, 0), Str(c, 1), c->ParamValue(2).AsBoolean()));
    else if (M == "WRITEBOOL") ini->WriteBool(Str(c, 0), Str(c, 1), c->ParamValue(2).AsBoolean());
    else if (M == "READDATE")
      return Variant::FromDate(ini->ReadDate(Str(c, 0), Str(c, 1), c->ParamValue(2).AsDateTime()));
    else if (M == "WRITEDATE") ini->WriteDate(Str(c, 0), Str(c, 1), c->ParamValue(2).AsDateTime());
    else if (M == "READDATETIME")
      return Variant::FromDate(ini->ReadDateTime(Str(c, 0), Str(c, 1), c->ParamValue(2).AsDateTime()));
    else if (M == "WRITEDATETIME") ini->WriteDateTime(Str(c, 0), Str(c, 1), c->ParamValue(2).AsDateTime());
    else if (M == "READFLOAT") return Variant(ini->ReadFloat(Str(c, 0), Str(c, 1), c->ParamValue(2).AsDouble()));
    else if (M == "WRITEFLOAT") ini->WriteFloat(Str(c, 0), Str(c, 1), c->ParamValue(2).AsDouble());
    else if (M == "READTIME")
      return Variant::FromDate(ini->ReadTime(Str(c, 0), Str(c, 1), c->ParamValue(2).AsDateTime()));
    else if (M == "WRITETIME") ini->WriteTime(Str(c, 0), Str(c, 1), c->ParamValue(2).AsDateTime());
    else if (M == "READBINARYSTREAM")
      return Variant(ini->ReadBinaryStream(Str(c, 0), Str(c, 1), Required<TStream>(c, 2, M)));
    else if (M == "WRITEBINARYSTREAM") ini->WriteBinaryStream(Str(c, 0), Str(c, 1), Required<TStream>(c, 2, M));
    else if (M == "SECTIONEXISTS") return Variant(ini->SectionExists(Str(c, 0)));
    else if (M == "VALUEEXISTS") return Variant(ini->ValueExists(Str(c, 0), Str(c, 1)));
    else if (M == "WRITETSTRINGS") {
      String section = Str(c, 0);
      TStrings* list = Required<TStrings>(c, 1, M);
      if (c->ParamValue(2).AsBoolean()) ini->EraseSection(section);
      for (Integer i = 0; i < list->Count(); ++i) ini->WriteString(section, "Items" + IntToStr(i), (*list)[i]);
      ini->WriteInteger(section, "Count", list->Count());
    } else if (M == "READTSTRINGS") {
      String section = Str(c, 0);
      TStrings* list = Required<TStrings>(c, 1, M);
      Integer count = ini->ReadInteger(section, "Count", 0);
      if (c->ParamValue(2).AsBoolean()) list->Clear();
      for (Integer i = 0; i < count; ++i) {
        // A count larger than the keys present ends at the first missing one.
        if (!ini->ValueExists(section, "Items" + IntToStr(i))) break;
        list->Add(ini->ReadString(section, "Items" + IntToStr(i), String()));
      }
      return Variant(Integer(0));
    } else if (M == "WRITESTRING") ini->WriteString(Str(c, 0), Str(c, 1), Str(c, 2));
    else if (M == "READSTRING") return Variant(ini->ReadString(Str(c, 0), Str(c, 1), Str(c, 2)));
    else if (M == "READSECTIONVALUESEX") {
      TStrings* list = Required<TStrings>(c, 1, M);
      TStringList lines;
      ini->ReadSectionValues(Str(c, 0), &lines);
      list->Clear();
      for (Integer i = 0; i < lines.Count(); ++i) list->Add(lines.Values(lines.Names(i)));
    } else if (M == "DELETEKEY") ini->DeleteKey(Str(c, 0), Str(c, 1));
    else if (M == "READSECTION") ini->ReadSection(Str(c, 0), Required<TStrings>(c, 1, M));
    else if (M == "READSECTIONS") ini->ReadSections(Required<TStrings>(c, 0, M));
    else if (M == "READSECTIONVALUES") ini->ReadSectionValues(Str(c, 0), Required<TStrings>(c, 1, M));
    else if (M == "ERASESECTION") ini->EraseSection(Str(c, 0));
    else if (M == "SAVEINIFILETOSTREAM" || M == "LOADINIFILEFROMSTREAM") {
      TStream* stream = Arg<TStream>(c, 0);
      if (!stream) return Variant(Integer(0));
      TStringList lines;
      bool save = M == "SAVEINIFILETOSTREAM";
      if (ini->Is<TMemIniFile>()) {
        auto* mem = static_cast<TMemIniFile*>(ini);
        if (save) {
          mem->GetStrings(&lines);
          lines.SaveToStream(stream);
        } else {
          lines.LoadFromStream(stream);
          mem->SetStrings(&lines);
        }
      } else if (ini->Is<TIniFile>()) {
        if (save) {
          lines.LoadFromFile(ini->FileName());
          lines.SaveToStream(stream);
        } else {
          lines.LoadFromStream(stream);
          lines.SaveToFile(ini->FileName());
        }
      }
    }
  } else if (ClassType == TMemIniFile::StaticClass()) {
    if (M == "CREATE") {
      delete Instance;
      return fsObjectToVariant(new TMemIniFile(Str(c, 0)));
    }
    auto* ini = fsInstance<TMemIniFile>(Instance, M);
    if (M == "CLEAR") ini->Clear();
    else if (M == "GETSTRINGS") ini->GetStrings(Required<TStrings>(c, 0, M));
    else if (M == "SETSTRINGS") ini->SetStrings(Required<TStrings>(c, 0, M));
    else return CallMethod(Instance, TCustomIniFile::StaticClass(), M, c);
  } else if (ClassType == TIniFile::StaticClass()) {
    return CallMethod(Instance, TCustomIniFile::StaticClass(), M, c);
  }
  return Variant(Integer(0));
}

Variant ModuleGetProp(TObject* Instance, TClass ClassType, const String& P) {
  if (ClassType == TCustomIniFile::StaticClass() && P == "FILENAME")
    return Variant(fsInstance<TCustomIniFile>(Instance, P)->FileName());
  return Variant(Integer(0));
}

// The members both ini file classes share beyond TCustomIniFile.
void AddSharedMembers(TfsClassVariable* c, const TfsCallerMethodHandler& m, bool Mem) {
  c->AddMethod("procedure WriteString(const Section, Ident, Value: String)", m);
  c->AddMethod("function ReadString(const Section, Ident, Default: String): String;", m);
  c->AddMethod("procedure ReadSectionValuesEx(const Section: String; Strings: TStrings)", m);
  c->AddMethod("procedure DeleteKey(const Section, Ident: String)", m);
  c->AddMethod("procedure ReadSection(const Section: String; Strings: TStrings)", m);
  c->AddMethod("procedure ReadSections(Strings: TStrings)", m);
  c->AddMethod("procedure ReadSectionValues(const Section: String; Strings: TStrings)", m);
  c->AddMethod("procedure EraseSection(const Section: String)", m);
  if (Mem) {
    c->AddMethod("procedure Clear", m);
    c->AddMethod("procedure GetStrings(List: TStrings)", m);
    c->AddMethod("procedure SetStrings(List: TStrings)", m);
  }
  c->AddMethod("procedure SaveIniFileToStream(oStream: TStream)", m);
  c->AddMethod("procedure LoadIniFileFromStream(oStream: TStream)", m);
}

}  // namespace

TfsIniFunctions::TfsIniFunctions(TfsScript* S) : TfsRTTIModule(S) {
  TfsCallerMethodHandler m = CallMethod;
  TfsClassVariable* c = S->AddClass(TCustomIniFile::StaticClass(), "TObject");
  c->AddConstructor("constructor Create(const FileName: String)", m);
  c->AddMethod("function ReadInteger(const Section, Ident: String; Default: LongInt): LongInt", m);
  c->AddMethod("procedure WriteInteger(const Section, Ident: String; Value: LongInt)", m);
  c->AddMethod("function ReadBool(const Section, Ident: String; Default: Boolean): Boolean", m);
  c->AddMethod("procedure WriteBool(const Section, Ident: String; Value: Boolean)", m);
  c->AddMethod("function ReadDate(const Section, Name: String; Default: TDateTime): TDateTime", m);
  c->AddMethod("procedure WriteDate(const Section, Name: String; Value: TDateTime)", m);
  c->AddMethod("function ReadDateTime(const Section, Name: String; Default: TDateTime): TDateTime", m);
  c->AddMethod("procedure WriteDateTime(const Section, Name: String; Value: TDateTime)", m);
  c->AddMethod("function ReadFloat(const Section, Name: String; Default: Double): Double", m);
  c->AddMethod("procedure WriteFloat(const Section, Name: String; Value: Double)", m);
  c->AddMethod("function ReadTime(const Section, Name: String; Default: TDateTime): TDateTime", m);
  c->AddMethod("procedure WriteTime(const Section, Name: String; Value: TDateTime);", m);
  c->AddMethod("function ReadBinaryStream(const Section, Name: String; Value: TStream): Integer", m);
  c->AddMethod("procedure WriteBinaryStream(const Section, Name: String; Value: TStream)", m);
  c->AddMethod("function SectionExists(const Section: String): Boolean", m);
  c->AddMethod("function ValueExists(const Section, Ident: String): Boolean", m);
  c->AddMethod("procedure WriteTStrings(const Section :String; Value :TStrings; IsClear :Boolean = True)", m);
  c->AddMethod("function ReadTStrings(const Section :String; Value :TStrings; IsClear :Boolean = True): String;", m);
  c->AddProperty("FileName", "String", ModuleGetProp);

  c = S->AddClass(TMemIniFile::StaticClass(), "TCustomIniFile");
  c->AddConstructor("constructor Create(const FileName: String)", m);
  AddSharedMembers(c, m, true);
  c = S->AddClass(TIniFile::StaticClass(), "TCustomIniFile");
  AddSharedMembers(c, m, false);
}
