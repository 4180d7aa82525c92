// The report engine's XML dialect: a node tree whose attributes stay as the
// raw escaped text of their tag, a document that reads and writes it byte for
// byte, and swapping of large subtrees (prepared pages) to a temporary file.
//
// The document is 8-bit: it neither decodes nor encodes text; which attribute
// values hold UTF-8 and which code page 936 is the serializer's business.
#pragma once
#include <memory>
#include <vector>
#include "System.h"

// <windows.h> maps these names to its window-property functions; the node's
// attribute accessors keep their own names.
#undef GetProp
#undef SetProp

class TStream;
class TfrxXMLDocument;
class Variant;

// The one error the reader raises ("Invalid file format").
TOVANI_EXCEPTION(TfrxInvalidXMLException, Exception)

// One element of the tree. A node owns its children.
class TfrxXMLItem : public TObject {
  TOVANI_CLASS(TfrxXMLItem, TObject)
 public:
  TfrxXMLItem();
  ~TfrxXMLItem() override;  // frees the subtree and leaves the parent's list

  // Frees every child; a Swappable node then counts as not Loaded.
  void Clear();
  TfrxXMLItem* Add();                                  // new last child
  void AddItem(TfrxXMLItem* Item);                     // re-parents Item as last child
  void InsertItem(Integer Index, TfrxXMLItem* Item);   // re-parents Item at Index
  Integer IndexOf(const TfrxXMLItem* Item) const;
  // Position of the first child named Name (case-insensitive), -1 when none.
  Integer Find(const String& Name) const;
  // That child, or a new child of that name appended; never null.
  TfrxXMLItem* FindItem(const String& Name);

  // Attribute access by name over the raw attribute text.
  String GetProp(const String& Name) const;
  void SetProp(const String& Name, const String& Value);
  String Prop(const String& Name) const { return GetProp(Name); }

  Integer Count() const { return FItems ? Integer(FItems->size()) : 0; }
  TfrxXMLItem* Items(Integer Index) const;  // EListError outside 0..Count-1
  TfrxXMLItem* Parent() const { return FParent; }

  const String& Name() const { return FName; }
  void SetName(const String& v) { FName = v; }
  const String& AttrText() const { return FText; }
  void SetAttrText(const String& v) { FText = v; }
  Boolean Loaded() const { return FLoaded; }
  void SetLoaded(Boolean v) { FLoaded = v; }
  Boolean Swappable() const { return FUnloadable; }
  void SetSwappable(Boolean v) { FUnloadable = v; }
  // Start of the node in the document's backing stream while swapped out.
  UInt64 StreamPos() const { return UInt64(FHiOffset) << 32 | FLoOffset; }
  void SetStreamPos(UInt64 v);

 private:
  friend class TfrxXMLDocument;
  friend class TfrxXMLReader;
  void DetachFromParent();

  String FName;
  String FText;
  TfrxXMLItem* FParent = nullptr;
  std::unique_ptr<std::vector<TfrxXMLItem*>> FItems;  // absent: no children
  Boolean FLoaded = true;
  Boolean FUnloadable = false;
  Byte FHiOffset = 0;
  Cardinal FLoOffset = 0;
  // Which backing stream holds the swapped-out copy: the document's temp file
  // (true) or the stream adopted by a partial load (false).
  Boolean FInTempFile = false;
};

// Buffered tag scanner over a stream, from its position at creation up to its
// size at creation. On destruction the stream is put back right after the
// last byte used.
class TfrxXMLReader : public TObject {
  TOVANI_CLASS(TfrxXMLReader, TObject)
 public:
  explicit TfrxXMLReader(TStream* Stream);
  ~TfrxXMLReader() override;

  void ReadDeclaration();  // the first tag must be "<?xml ...>"
  // Reads the next tag into Name and Text; an empty Name means end of data.
  void ReadTag(String& Name, String& Text);
  // Reads one element with its children into Node (see the document's rules).
  void ReadElement(TfrxXMLItem* Node, Boolean ReadWhole);

  Boolean LegacyVersion() const { return FLegacy; }
  Int64 Position() const { return FPosition; }
  void SetPosition(Int64 Value);

 private:
  int ReadByte();  // -1 at the end of data
  void ReadElementAt(TfrxXMLItem* Node, Boolean ReadWhole, int Depth);

  TStream* FStream;
  Int64 FStart = 0;
  Int64 FSize = 0;
  Int64 FPosition = 0;  // logical position of the next byte
  std::vector<char> FBuffer;
  Integer FBufferFill = 0;
  Integer FBufferIndex = 0;
  Boolean FLegacy = false;
};

// Writes a tree as text, optionally indented (CR LF and two blanks a level).
class TfrxXMLWriter : public TObject {
  TOVANI_CLASS(TfrxXMLWriter, TObject)
 public:
  explicit TfrxXMLWriter(TStream* Stream);
  ~TfrxXMLWriter() override;

  Boolean Indented = false;
  // The document, so that swapped-out nodes can be read back while written.
  TfrxXMLDocument* Document = nullptr;

  void WriteHeader();
  void WriteRootItem(TfrxXMLItem* Item);
  void Flush();

 private:
  void WriteItem(TfrxXMLItem* Item, int Level);
  void WriteLn(const String& s, int Level);

  TStream* FStream;
  String FPending;
};

class TfrxXMLDocument : public TObject {
  TOVANI_CLASS(TfrxXMLDocument, TObject)
 public:
  TfrxXMLDocument();
  ~TfrxXMLDocument() override;

  TfrxXMLItem* Root() const { return FRoot.get(); }
  Boolean Indented() const { return FAutoIndent; }
  void SetIndented(Boolean v) { FAutoIndent = v; }
  const String& TempFolder() const { return FTempDir; }
  void SetTempFolder(const String& v) { FTempDir = v; }
  Boolean LegacyVersion() const { return FOldVersion; }

  // Clears the root's children and deletes the temp file.
  void Clear();
  // With AllowPartialLoading, subtrees written swapped out stay in Stream and
  // the document takes ownership of Stream (it is freed by Clear, the next
  // load or the destructor): the caller must not free it.
  void LoadFromStream(TStream* Stream, Boolean AllowPartialLoading = false);
  void SaveToStream(TStream* Stream);

  // Swaps a Loaded, Swappable node out to the temp file / back in.
  void UnloadItem(TfrxXMLItem* Item);
  void LoadItem(TfrxXMLItem* Item);
  // Swapped-out nodes are kept as their text in memory instead of a temp
  // file (a few bytes for each attribute instead of a node object and
  // strings of its own); decided when the first node is swapped out.
  Boolean SwapInMemory() const { return FSwapInMemory; }
  void SetSwapInMemory(Boolean v) { FSwapInMemory = v; }
  // Drops the subtree read back into a swapped-out node whose swapped copy
  // is still its current one (it was only read).
  void DropLoaded(TfrxXMLItem* Item);
  // Forgets every node swapped out to the temp file or memory (for when all
  // of them have been deleted).
  void DropSwapped();

  // Name of the temp file while the document has one (for tests and tools).
  const String& TempFileName() const { return FTempFileName; }

 private:
  friend class TfrxXMLWriter;
  void OpenTempFile();
  void DropTempFile();
  TStream* StreamOf(const TfrxXMLItem* Item) const;
  // Reads the swapped-out subtree of Item back into it.
  void ReadSwapped(TfrxXMLItem* Item);

  std::unique_ptr<TfrxXMLItem> FRoot;
  Boolean FAutoIndent = false;
  String FTempDir;
  String FTempFileName;
  std::unique_ptr<TStream> FTempStream;    // the temp file this document made
  std::unique_ptr<TStream> FSourceStream;  // adopted by a partial load
  Boolean FOldVersion = false;
  Boolean FSwapInMemory = false;
};

// Attribute value escaping: & " < > CR LF become decimal references.
String frxEscapeXMLText(const String& Value);
String frxUnescapeXMLText(const String& Text);
// A double as attribute text that reads back as the same double: the
// FloatToStr form, or 17 significant digits where that form would not.
String frxFloatToXMLText(Double Value);
// A value as escaped attribute text: integers in decimal, floats as
// frxFloatToXMLText, dates by the short date format, strings escaped,
// Booleans "1"/"0"; empty, Null and other kinds give "".
String frxVariantToXMLText(const Variant& Value);
