// Component streaming in the binary component-stream encoding: the writer
// turns a component tree (components, published properties, collections,
// defined properties, references and event-handler names) into a "TPF0"
// stream; the reader rebuilds it, creating components by registered class,
// resolving references after the whole tree was read and binding handler
// names to the published methods of the root.
#pragma once
#include "Classes.h"
#include <functional>

class TStream;
class TStrings;
class Variant;
struct TPropInfo;

enum TValueType : Byte {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse,
  vaTrue, vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate,
  vaWString, vaInt64, vaUTF8String, vaDouble
};

// Prefix flags of a component entry: inherited from an ancestor, child
// position given, inline (a frame).
enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

class TFiler : public TObject {
  TOVANI_CLASS(TFiler, TObject)
 public:
  explicit TFiler(TStream* AStream) : FStream(AStream) {}

  // Lets a class keep data that is no published property (called from its
  // DefineProperties). The reader calls ReadData when the stream holds a
  // property of this name; the writer writes it when HasData is true.
  virtual void DefineProperty(const String& Name, const TReaderProc& ReadData,
                              const TWriterProc& WriteData, bool HasData) = 0;
  // The same for raw bytes (written as vaBinary).
  virtual void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;

  TStream* Stream() const { return FStream; }
  TComponent* Root() const { return FRoot; }
  void SetRoot(TComponent* Value) { FRoot = Value; FLookupRoot = Value; }
  // The component reference names and handler names are relative to.
  TComponent* LookupRoot() const { return FLookupRoot; }
  // The object being compared with while writing (null when none).
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }
  bool IgnoreChildren = false;

 protected:
  TStream* FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
};

// ---------------------------------------------------------------------------

class TReader : public TFiler {
  TOVANI_CLASS(TReader, TFiler)
 public:
  explicit TReader(TStream* AStream);
  ~TReader() override;

  // Values. A value of another type than asked for raises EReadError
  // "Invalid property value"; the end of the stream "Stream read error".
  TValueType ReadValue();
  TValueType NextValue();
  void SkipValue();
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  Integer ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  double ReadFloat();       // any float or integer value
  float ReadSingle();
  Int64 ReadCurrencyRaw();  // scaled by 10000
  TDateTime ReadDate();
  String ReadString();      // any string value, as UTF-8
  String ReadIdent();       // an identifier, False/True/nil included
  String ReadBinary();      // the bytes of a vaBinary value
  String ReadStr();         // a length-prefixed name (class, component and property names)
  // Any value as a Variant: nil is Unassigned, Null is Null, a list a
  // variant array of Variants.
  Variant ReadVariant();
  void ReadSignature();     // EReadError "Invalid stream format" unless "TPF0"
  void ReadPrefix(TFilerFlags& Flags, Integer& AChildPos);

  // Components. ReadRootComponent reads a whole stream into Root (made from
  // the stream's class when null), resolves references and calls Loaded.
  TComponent* ReadRootComponent(TComponent* ARoot);
  // Reads one component entry (its owner is Owner, its parent Parent).
  TComponent* ReadComponent(TComponent* Component);
  // The properties and children of Instance (TComponent::ReadState).
  void ReadData(TComponent* Instance);
  // One property (name and value) into Instance. An unknown name raises
  // EReadError "Error reading <object>.<name>: Property <name> does not exist".
  void ReadProperty(TPersistent* Instance);
  void ReadCollection(TCollection* Collection);
  void ReadStrings(TStrings* Strings);

  // Component references are collected between BeginReferences and
  // EndReferences and resolved by FixupReferences; a name that finds no
  // component leaves the property unchanged and is listed in Unresolved().
  void BeginReferences();
  void FixupReferences();
  void EndReferences();
  const std::vector<String>& Unresolved() const { return FUnresolved; }

  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }

  void DefineProperty(const String& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

 private:
  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    String Name;
  };
  void ReadPropValue(TPersistent* Instance, const TPropInfo* Prop);
  void CheckValue(TValueType Expected);
  void ReadBytes(void* Buffer, Int64 Count);
  Int64 ReadLength();
  TComponent* ResolveName(const String& Name);
  [[noreturn]] void InvalidValue();

  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  std::vector<TFixup> FFixups;
  std::vector<TComponent*> FLoaded;
  std::vector<String> FUnresolved;
  String FPropName;        // the defined property being looked for
  bool FCanHandleExcepts = false;
  int FDepth = 0;
};

// ---------------------------------------------------------------------------

class TWriter : public TFiler {
  TOVANI_CLASS(TWriter, TFiler)
 public:
  explicit TWriter(TStream* AStream) : TFiler(AStream) {}

  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(Int64 Value);     // the smallest integer value type that holds it
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteFloat(double Value);      // vaExtended
  void WriteDouble(double Value);     // vaDouble
  void WriteSingle(float Value);
  void WriteCurrencyRaw(Int64 Value); // scaled by 10000
  void WriteDate(TDateTime Value);
  // ASCII as vaString/vaLString, other text as vaUTF8String.
  void WriteString(const String& Value);
  void WriteIdent(const String& Ident);   // False, True and nil become their own value types
  void WriteBinary(const String& Bytes);
  void WriteStr(const String& Value);     // a length-prefixed name (at most 255 bytes)
  // Unassigned as nil, Null as the identifier Null, arrays (one dimension)
  // as lists;
  // EWriteError "Unsupported variant type" for objects and the like.
  void WriteVariant(const Variant& Value);
  void WriteSignature();
  void WritePrefix(TFilerFlags Flags, Integer AChildPos);

  void WriteRootComponent(TComponent* ARoot);
  void WriteComponent(TComponent* Component);
  // The properties and children of Instance (TComponent::WriteState).
  void WriteData(TComponent* Instance);
  // The stored published properties and the defined properties of Instance.
  void WriteProperties(TPersistent* Instance);
  void WriteProperty(TPersistent* Instance, const TPropInfo* Prop);
  // Only the defined properties of Instance (the report serializer keeps them apart).
  void WriteDefinedProperties(TPersistent* Instance);
  void WriteCollection(TCollection* Value);
  void WriteStrings(TStrings* Value);

  void DefineProperty(const String& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

  // The name under which a reference to Component is written (relative to
  // the lookup root); empty when it cannot be named.
  String ComponentReference(TComponent* Component) const;

 private:
  void WritePropName(const String& Name);
  void WriteBytes(const void* Buffer, Int64 Count);
  String FPropPath;
};

// ---------------------------------------------------------------------------
// Whole streams.

// Writes Instance as a root component stream (signature, component, children).
void WriteComponentToStream(TStream* Stream, TComponent* Instance);
// Reads a root component stream into Instance, or into a new component of the
// stream's class when Instance is null (it then has no owner).
TComponent* ReadComponentFromStream(TStream* Stream, TComponent* Instance);
