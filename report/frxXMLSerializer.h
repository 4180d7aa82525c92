// Report objects to report XML and back. A component becomes one element
// named after its class, its published properties the element's attribute
// text and its children child elements. The attribute text also serves on
// its own: as the one-line form of an object (class name, blank, attributes)
// that prepared pages keep, and as the text form of collection items and
// styles.
//
// Report XML is 8-bit code page 936 text except memo texts, which are UTF-8:
// string values are converted between this program's UTF-8 and code page 936
// here, on the way out and on the way in.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "System.h"

class TComponent;
class TMemoryStream;
class TPersistent;
class TReader;
class TStream;
class TStringList;
class TfrxComponent;
class TfrxXMLItem;
struct TPropInfo;

// A component reference read from XML, resolved once the whole tree is read.
class TfrxFixupItem : public TObject {
  TOVANI_CLASS(TfrxFixupItem, TObject)
 public:
  TPersistent* Target = nullptr;
  const TPropInfo* Prop = nullptr;
  String RefName;
};

class TfrxXMLSerializer : public TObject {
  TOVANI_CLASS(TfrxXMLSerializer, TObject)
 public:
  // Stream may be null when only nodes or texts are used.
  explicit TfrxXMLSerializer(TStream* AStream);
  ~TfrxXMLSerializer() override;

  // Writes Component (and its children) into Item, or as a new indented
  // document into Stream when Item is null. SaveAsClass names inherited
  // objects by their class instead of "inherited".
  void WriteComponentTree(TfrxComponent* Component, bool SaveChildren = true, TfrxXMLItem* Item = nullptr,
                          bool SaveAsClass = false);
  // Reads Component and its children from Item, or from the document in
  // Stream when Item is null. Property errors and unknown classes go to
  // LoadErrors; malformed XML raises.
  void ReadComponentTree(TfrxComponent* Component, TfrxXMLItem* Item = nullptr);

  // The attribute text of Obj: one blank, Prefix, name, "=" and the quoted
  // value per stored property; values equal to the default (or, with an
  // Ancestor, to the ancestor's) are left out.
  String ObjectToAttributes(TPersistent* Obj, const String& Prefix = String(), TPersistent* Ancestor = nullptr);
  void AttributesToObject(const String& Text, TPersistent* Obj);
  // Class name followed by the attribute text.
  String ComponentToText(TfrxComponent* Component);
  // "<" + ComponentToText + "/>" to Stream.
  void WriteComponent(TfrxComponent* Component);
  // A new component from its one-line form, owned by NewOwner; null for an
  // empty text, EClassNotFound for an unknown class.
  TfrxComponent* CreateComponentFromText(TfrxComponent* NewOwner, const String& Text, bool SkipReferences);
  // Reads an attribute text into any persistent object, resolving references in Root.
  void ReadObjectText(TComponent* Root, TPersistent* Obj, const String& Text);

  void AddPendingReference(TPersistent* Target, const TPropInfo* Prop, const String& RefName);
  void ResolveReferences();
  void ClearPendingReferences();

  // Each distinct load error once, sorted.
  TStringList* LoadErrors() const { return FErrors.get(); }
  // The root the reference names are relative to: the report, as a rule.
  // Set by the first read or write when still null.
  TComponent* RootComponent() const { return FRoot; }
  void SetRootComponent(TComponent* Value) { FRoot = Value; }
  TStream* Stream() const { return FStream; }
  bool WriteDefaults = false;
  // True: 8-bit attribute values are code page 936; false: UTF-8.
  bool LegacyStrings = true;
  // Asked for the ancestor of an object by name while writing (inherited reports).
  std::function<TPersistent*(const String& Name)> AncestorLookup;

 private:
  void ReadTree(TfrxXMLItem* Item, TfrxComponent* Component, std::vector<TfrxComponent*>& Loaded);
  void DispatchAttribute(TPersistent* Obj, const String& Name, const String& Value);
  void ReadPropData(TPersistent* Obj, const String& Hex);
  String DefinedPropertiesHex(TPersistent* Obj, Cardinal* Checksum);
  String PropertyText(TPersistent* Obj, const TPropInfo* Prop, const String& Prefix, TPersistent* Ancestor);
  String StringToXML(const String& S) const;
  String StringFromXML(const String& S) const;
  TfrxComponent* RootFrx() const;
  TReader* Reader();

  TStream* FStream;
  TComponent* FRoot = nullptr;
  std::unique_ptr<TStringList> FErrors;
  std::vector<std::unique_ptr<TfrxFixupItem>> FFixups;
  std::unique_ptr<TMemoryStream> FReaderStream;
  std::unique_ptr<TReader> FReader;
  bool FReadingPropData = false;
};
