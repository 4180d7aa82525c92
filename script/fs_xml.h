// The script engine's own small XML model: grammars, the intermediate
// program of the compiler and XML built by scripts all live in it. Elements
// only: a name, the raw attribute text and child elements; character data
// between tags is dropped. Attributes stay one text and are looked up by
// name on demand.
#pragma once
#include <vector>

#include "System.h"

class TStream;

class TfsXMLItem : public TObject {
  TOVANI_CLASS(TfsXMLItem, TObject)
 public:
  TfsXMLItem() = default;
  // Destroys the children, then leaves the parent's list.
  ~TfsXMLItem() override;

  // Appends a new empty child and returns it.
  TfsXMLItem* Add();
  // Appends an existing element (taking it from its former parent).
  void AddItem(TfsXMLItem* Item);
  void InsertItem(Integer Index, TfsXMLItem* Item);
  // Destroys every child.
  void Clear();
  // Index of the first child of that name (case ignored); -1 when none.
  Integer Find(const String& AName) const;
  // The first child of that name; a new empty child of that name is
  // appended when there is none, so callers never get null.
  TfsXMLItem* FindItem(const String& AName);
  // The topmost ancestor.
  TfsXMLItem* Root();
  // Attribute value by name (case ignored), unescaped; "" when absent.
  String Prop(const String& AName) const;
  void SetProp(const String& AName, const String& Value);
  // Becomes a deep copy of Source (cleared when Source is null).
  void CopyTree(const TfsXMLItem* Source);

  Integer Count() const { return Integer(FItems.size()); }
  // EListError for an index out of range.
  TfsXMLItem* Items(Integer Index) const;
  TfsXMLItem* operator[](Integer Index) const { return Items(Index); }
  TfsXMLItem* Parent() const { return FParent; }

  NativeInt Data = 0;   // free for the owner; copied by CopyTree, never written to XML
  String Name;
  String Text;          // raw attribute text, e.g. text="i" pos="1:5"

 private:
  void Detach(TfsXMLItem* Item);
  std::vector<TfsXMLItem*> FItems;
  TfsXMLItem* FParent = nullptr;
};

class TfsXMLDocument : public TObject {
  TOVANI_CLASS(TfsXMLDocument, TObject)
 public:
  TfsXMLDocument();
  ~TfsXMLDocument() override;

  // Reads the header and the first element with its descendants into Root.
  // Format errors raise Exception "Invalid file format"; Root keeps what was
  // read up to the error.
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream);
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName);

  TfsXMLItem* Root() const { return FRoot; }
  bool IndentOutput = false;

 private:
  TfsXMLItem* FRoot;
};

// Attribute value escaping: LF, CR, double quote, < and > as &#NN; and an
// existing "&quot;" as &#34;; unescaping reverses it.
String EscapeXMLText(const String& S);
String UnescapeXMLText(const String& S);
