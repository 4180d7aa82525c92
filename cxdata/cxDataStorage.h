// Typed record storage of the data controller.
//
// Value types: classes used only through their class reference (a pointer
// to the class's one instance), each knowing how one kind of value is kept
// in a record buffer: its size, how a Variant is written there and read
// back, how two stored values compare, its display text, what it owns and
// how it travels through a stream. Fourteen are registered at start-up.
//
// TcxDataStorage keeps one packed, zero-filled heap block per record laid
// out by a list of value defs (columns):
//   byte 0          record flags (1 = internal record in use)
//   bytes 1..4      record id (only while UsesRecordIds)
//   then per def    1 byte null flag (0 = Null), the value area, and for a
//                   text-stored def a pointer-sized display-text holder.
// Records have indexes 0, 1, ...; internal (scratch) records -1, -2, ...
// Pointers kept in record buffers (heap strings, Variants, objects, text
// holders) take a whole pointer's width.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "Variant.h"

class TStream;

// ---------------------------------------------------------------------------
// Value types

class TcxValueType;
using TcxValueTypeClass = const TcxValueType*;

class TcxValueType : public TObject {
  TOVANI_CLASS(TcxValueType, TObject)
 public:
  // Compares the values whose areas start at A and B (through their keys).
  virtual int CompareBuffers(const void* A, const void* B) const;
  // Releases what the area owns (heap string, heap Variant, object).
  virtual void FreeValueBuffer(void* Area) const { (void)Area; }
  // Releases a display-text holder's heap cell, if any.
  virtual void FreeTextBuffer(void* Holder) const;
  virtual Integer GetBufferSize() const { return 0; }
  virtual Variant ReadBufferValue(const void* Area) const;
  // Never raises for conversion errors.
  virtual String GetBufferDisplayText(const void* Area) const;
  virtual String ReadBufferText(const void* Holder) const;
  virtual void LoadValueFromStream(void* Area, TStream* S) const;
  virtual void LoadTextFromStream(void* Holder, TStream* S) const;
  // Stores V converted to the class's kind. A value that does not convert
  // raises the Variant conversion error and leaves the area as it was.
  virtual void WriteBufferValue(void* Area, const Variant& V) const;
  virtual void WriteBufferText(void* Holder, const String& S) const;
  virtual void SaveValueToStream(const void* Area, TStream* S) const;
  virtual void SaveTextToStream(const void* Holder, TStream* S) const;
  // "String" for TcxStringValueType.
  String GetTypeCaption() const;
  // Compares two compare keys (see MakeCompareKey).
  virtual int CompareBufferValues(const void* KeyA, const void* KeyB) const;
  virtual Variant CompareKeyValue(const void* Key) const;
  virtual TVarType GetVariantType() const { return varVariant; }
  // Converts V in place to the class's kind; false (V unchanged) when it
  // does not convert.
  virtual bool IsValueConvertible(Variant& V) const;
  virtual bool IsStringType() const { return false; }
  // The compare key of an area: the area itself, or for the heap-held kinds
  // the heap cell (null when never written).
  virtual const void* MakeCompareKey(const void* Area) const { return Area; }
};

#define CX_VALUE_TYPE(Cls, Parent)              \
  class Cls : public Parent {                   \
    TOVANI_CLASS(Cls, Parent)                   \
   public:                                      \
    static TcxValueTypeClass Class();

CX_VALUE_TYPE(TcxStringValueType, TcxValueType)
  void FreeValueBuffer(void* Area) const override;
  Integer GetBufferSize() const override { return sizeof(void*); }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  Variant CompareKeyValue(const void* Key) const override;
  TVarType GetVariantType() const override { return varString; }
  bool IsStringType() const override { return true; }
  const void* MakeCompareKey(const void* Area) const override;
};
CX_VALUE_TYPE(TcxWideStringValueType, TcxStringValueType)
  void FreeValueBuffer(void* Area) const override;
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  Variant CompareKeyValue(const void* Key) const override;
  TVarType GetVariantType() const override { return varOleStr; }
};
CX_VALUE_TYPE(TcxSmallintValueType, TcxValueType)
  Integer GetBufferSize() const override { return 2; }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varSmallint; }
};
CX_VALUE_TYPE(TcxIntegerValueType, TcxValueType)
  Integer GetBufferSize() const override { return 4; }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varInteger; }
};
CX_VALUE_TYPE(TcxWordValueType, TcxValueType)
  Integer GetBufferSize() const override { return 2; }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varWord; }
};
CX_VALUE_TYPE(TcxBooleanValueType, TcxValueType)
  Integer GetBufferSize() const override { return 1; }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varBoolean; }
};
CX_VALUE_TYPE(TcxFloatValueType, TcxValueType)
  Integer GetBufferSize() const override { return 8; }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varDouble; }
};
CX_VALUE_TYPE(TcxCurrencyValueType, TcxValueType)
  Integer GetBufferSize() const override { return 8; }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varCurrency; }
};
CX_VALUE_TYPE(TcxDateTimeValueType, TcxValueType)
  Integer GetBufferSize() const override { return 8; }
  Variant ReadBufferValue(const void* Area) const override;
  String GetBufferDisplayText(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varDate; }
};
CX_VALUE_TYPE(TcxLargeIntValueType, TcxValueType)
  Integer GetBufferSize() const override { return 8; }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varInt64; }
};
// Binary-coded decimal: precision byte, sign (bit 7) and decimal places
// byte, 32 bytes of digit nibbles (64 digits, most significant first). The
// platform's Variant has no decimal kind, so values read back as Double;
// comparison and display text work on the exact decimal.
CX_VALUE_TYPE(TcxFMTBcdValueType, TcxValueType)
  Integer GetBufferSize() const override { return 34; }
  Variant ReadBufferValue(const void* Area) const override;
  String GetBufferDisplayText(const void* Area) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varDouble; }
};
// SQL time stamp: year (signed 16-bit), month, day, hour, minute, second
// (unsigned 16-bit), fractions (unsigned 32-bit, milliseconds). Reads back
// as a date-time.
CX_VALUE_TYPE(TcxSQLTimeStampValueType, TcxValueType)
  Integer GetBufferSize() const override { return 16; }
  Variant ReadBufferValue(const void* Area) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varDate; }
};
CX_VALUE_TYPE(TcxVariantValueType, TcxValueType)
  void FreeValueBuffer(void* Area) const override;
  Integer GetBufferSize() const override { return sizeof(void*); }
  Variant ReadBufferValue(const void* Area) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  Variant CompareKeyValue(const void* Key) const override;
  const void* MakeCompareKey(const void* Area) const override;
};
// An object reference (pointer-sized); the area owns the object.
CX_VALUE_TYPE(TcxObjectValueType, TcxIntegerValueType)
  void FreeValueBuffer(void* Area) const override;
  Integer GetBufferSize() const override { return sizeof(void*); }
  Variant ReadBufferValue(const void* Area) const override;
  void LoadValueFromStream(void* Area, TStream* S) const override;
  void WriteBufferValue(void* Area, const Variant& V) const override;
  void SaveValueToStream(const void* Area, TStream* S) const override;
  int CompareBufferValues(const void* KeyA, const void* KeyB) const override;
  TVarType GetVariantType() const override { return varObject; }
};
#undef CX_VALUE_TYPE

// The process-wide list of value-type classes (the fourteen are registered
// at start-up, in the order declared above).
class TcxValueTypeClassList : public TObject {
  TOVANI_CLASS(TcxValueTypeClassList, TObject)
 public:
  void Register(TcxValueTypeClass AClass);
  void Unregister(TcxValueTypeClass AClass);
  Integer Count() const { return Integer(FItems.size()); }
  TcxValueTypeClass Items(Integer Index) const { return FItems.at(size_t(Index)); }

 private:
  std::vector<TcxValueTypeClass> FItems;
};
TcxValueTypeClassList* cxGetValueTypeClassList();

// ---------------------------------------------------------------------------
// Value defs

class TcxDataStorage;
class TcxValueDefs;

class TcxValueDef : public TObject {
  TOVANI_CLASS(TcxValueDef, TObject)
 public:
  TcxValueDef(TcxValueDefs* AOwner, TcxValueTypeClass AValueTypeClass);
  // Destroying a def removes its column from the storage.
  ~TcxValueDef() override;

  virtual TObject* LinkedObject() const { return FLinkedObject; }
  virtual bool HasSlot() const;
  virtual void SetLinkedObject(TObject* Value) { FLinkedObject = Value; }
  // Copies the stored and text-stored flags.
  virtual void CopyFrom(TcxValueDef* Source);

  TcxValueDefs* Owner() const { return FOwner; }
  TcxValueTypeClass ValueTypeClass() const { return FValueTypeClass; }
  bool Stored() const { return FStored; }
  bool TextStored() const { return FTextStored; }
  // These only notify: a column's flags change by replacing its def.
  void SetStoredFlag(bool Value);
  void SetTextStoredFlag(bool Value);
  bool KeepsText() const { return HasSlot() && FTextStored; }
  // The slot as the current layout made it (flag changes count only from
  // the next layout, so existing buffers are never read past their end).
  bool HasLaidOutSlot() const { return FSlotSize > 0; }
  bool HasLaidOutText() const { return FLaidOutText; }
  bool IsTextValued() const { return FValueTypeClass->IsStringType(); }
  Integer DataSize() const { return FDataSize; }
  Integer Offset() const { return FOffset; }
  Integer SlotSize() const { return FSlotSize; }

  // Slot operations on a record buffer laid out with this def.
  Variant ReadSlotValue(const Byte* B) const;
  // A value that does not convert raises and leaves the slot (value and
  // Null flag) as it was.
  void WriteSlotValue(Byte* B, const Variant& V) const;
  String ReadSlotDisplayText(const Byte* B) const;
  void WriteSlotDisplayText(Byte* B, const String& S) const;
  void SetSlotNull(Byte* B, bool Null) const;
  bool IsSlotNull(const Byte* B) const { return !B || B[FOffset] == 0; }
  void FreeSlot(Byte* B) const;
  // A missing buffer or a Null slot sorts first.
  int CompareInBuffers(const Byte* B1, const Byte* B2) const;
  int CompareKeys(bool Null1, bool Null2, const void* K1, const void* K2) const;

  // The value area and the display-text holder inside a buffer.
  Byte* ValueArea(Byte* B) const { return B + FOffset + 1; }
  const Byte* ValueArea(const Byte* B) const { return B + FOffset + 1; }
  Byte* TextHolder(Byte* B) const { return B + FOffset + 1 + FDataSize; }
  const Byte* TextHolder(const Byte* B) const { return B + FOffset + 1 + FDataSize; }

 protected:
  friend class TcxValueDefs;
  void ComputeSlot(Integer& Offset);

 private:
  TcxValueDefs* FOwner;
  TcxValueTypeClass FValueTypeClass;
  TObject* FLinkedObject = nullptr;
  bool FStored = true;
  bool FTextStored = false;
  Integer FDataSize = 0;
  Integer FOffset = 0;
  Integer FSlotSize = 0;
  bool FLaidOutText = false;
};

// The twin of a main def in the internal records' layout.
class TcxInternalValueDef : public TcxValueDef {
  TOVANI_CLASS(TcxInternalValueDef, TcxValueDef)
 public:
  using TcxValueDef::TcxValueDef;
  TObject* LinkedObject() const override;
  bool HasSlot() const override { return true; }
  TcxValueDef* MainDef() const;
};

class TcxValueDefs : public TObject {
  TOVANI_CLASS(TcxValueDefs, TObject)
 public:
  explicit TcxValueDefs(TcxDataStorage* AStorage);
  ~TcxValueDefs() override;

  // Adds a column at the end; every existing record gets a Null value in it.
  TcxValueDef* AddDef(TcxValueTypeClass AValueTypeClass, bool AStored, bool ATextStored,
                      TObject* ALinkedObject);
  // Destroys the def and removes its column from every record.
  void RemoveDef(TcxValueDef* ADef);
  void ClearDefs();
  Integer DefCount() const { return Integer(FItems.size()); }
  TcxValueDef* DefAt(Integer Index) const;
  Integer IndexOf(const TcxValueDef* ADef) const;
  // Defs with a slot in the current layout.
  Integer StoredCount() const;
  Integer HeaderSize() const { return FHeaderSize; }
  Integer RecordSize() const { return FRecordSize; }
  TcxDataStorage* Storage() const { return FStorage; }
  bool IsInternal() const { return FInternal; }

  virtual void DefChanged(TcxValueDef* ADef);
  virtual void ComputeLayout(Integer AStart);

 protected:
  // The class of the defs this list makes.
  virtual TcxValueDef* CreateDef(TcxValueTypeClass AValueTypeClass);
  bool FInternal = false;

 private:
  friend class TcxValueDef;
  friend class TcxDataStorage;
  // Takes the def's column out of the records and the def out of the list.
  void DetachDef(TcxValueDef* ADef);

  TcxDataStorage* FStorage;
  std::vector<TcxValueDef*> FItems;
  Integer FHeaderSize = 1;
  Integer FRecordSize = 1;
};

class TcxInternalValueDefs : public TcxValueDefs {
  TOVANI_CLASS(TcxInternalValueDefs, TcxValueDefs)
 public:
  explicit TcxInternalValueDefs(TcxDataStorage* AStorage);
  TcxInternalValueDef* FindByMainDef(const TcxValueDef* AMainDef) const;
  void RemoveByMainDef(const TcxValueDef* AMainDef);

 protected:
  TcxValueDef* CreateDef(TcxValueTypeClass AValueTypeClass) override;
};

// The source of values when a record is loaded (LoadRecord).
class TcxValueDefReader : public TObject {
  TOVANI_CLASS(TcxValueDefReader, TObject)
 public:
  virtual String ReadDisplayText(TcxValueDef* ADef) { (void)ADef; return String(); }
  virtual Variant ReadValue(TcxValueDef* ADef);
  // Defs for which this answers true are skipped.
  virtual bool IsInternalDef(TcxValueDef* ADef) { (void)ADef; return false; }
};

// ---------------------------------------------------------------------------

class TcxDataStorage : public TObject {
  TOVANI_CLASS(TcxDataStorage, TObject)
 public:
  using TForEachValueDefProc =
      std::function<void(TcxValueDef* ADef, Integer ARecordIndex, Integer AArgument,
                         TcxValueDefReader* AReader)>;
  using TInternalRecordsFreedEvent = std::function<void(TcxDataStorage* Sender)>;

  TcxDataStorage();
  ~TcxDataStorage() override;

  TcxValueDefs* ValueDefs() const { return FValueDefs.get(); }
  TcxInternalValueDefs* InternalValueDefs() const { return FInternalValueDefs.get(); }

  Integer AddRecord();
  Integer InsertRecordAt(Integer Index);
  // A negative index releases an internal record.
  void RemoveRecord(Integer Index);
  Integer RecordTotal() const { return Integer(FRecords.size()); }
  void SetRecordTotal(Integer Value);
  Integer InternalRecordCount() const { return Integer(FInternalRecords.size()); }
  Integer AcquireInternalRecord();
  void ReleaseInternalRecord(Integer Index);

  Variant ValueAt(Integer Index, TcxValueDef* ADef);
  void SetValueAt(Integer Index, TcxValueDef* ADef, const Variant& V);
  String DisplayTextAt(Integer Index, TcxValueDef* ADef);
  void SetDisplayTextAt(Integer Index, TcxValueDef* ADef, const String& S);
  int CompareRecordValues(Integer Index1, Integer Index2, TcxValueDef* ADef);
  // True when the value is Null; otherwise Key is the value's compare key.
  bool GetCompareKey(Integer Index, TcxValueDef* ADef, const void*& Key);
  Integer RecordIdAt(Integer Index);
  void SetRecordIdAt(Integer Index, Integer Id);

  void LoadRecord(Integer Index, TcxValueDefReader* AReader);
  void ForEachValueDef(Integer Index, Integer AArgument, TcxValueDefReader* AReader,
                       const TForEachValueDefProc& AMethod);

  void ClearAll(bool KeepInternal);
  void FreeInternalRecords();
  void FreeRecords(bool Remove);
  void BeginLoading() {}
  void EndLoading() {}

  bool UsesRecordIds() const { return FUsesRecordIds; }
  void SetUsesRecordIds(bool Value);
  bool OnlyStoredValues() const { return FOnlyStoredValues; }
  void SetOnlyStoredValues(bool Value);
  bool IsDestroying() const { return FDestroying; }
  // Advances with every change of records or values: a cache built over
  // the storage (a key index) is valid while the stamp stays.
  UInt64 ChangeStamp() const { return FChangeStamp; }

  TcxValueDefs* DefsForRecord(Integer Index) const;
  // Null when the record has no buffer yet.
  Byte* RecordBufferAt(Integer Index) const;
  // Allocates the buffer (zero-filled) when missing.
  Byte* EnsureRecordBuffer(Integer Index);

  TInternalRecordsFreedEvent OnInternalRecordsFreed;

 protected:
  virtual void ApplyLayout(TcxValueDefs* AList);
  virtual void DefsChanged() {}

 private:
  friend class TcxValueDefs;
  Byte*& Entry(Integer Index);
  Byte* EntryOrNull(Integer Index) const;
  void FreeRecordBuffer(Integer Index);
  void AssignIdIfMissing(Integer Index);
  // The def to use for a record: a main def stands for its twin in an
  // internal record; null when there is none.
  TcxValueDef* ResolveValueDef(Integer Index, TcxValueDef* ADef) const;
  // Every record index of a def list (main: 0..n-1, internal: -1..-k).
  std::vector<Integer> RecordIndexesOf(const TcxValueDefs* AList) const;
  void InsertValueDefSlot(TcxValueDefs* AList, TcxValueDef* ADef);
  void RemoveValueDefSlot(TcxValueDefs* AList, TcxValueDef* ADef);

  std::unique_ptr<TcxValueDefs> FValueDefs;
  std::unique_ptr<TcxInternalValueDefs> FInternalValueDefs;
  std::vector<Byte*> FRecords;
  std::vector<Byte*> FInternalRecords;
  Integer FRecordIdCounter = 1;
  bool FUsesRecordIds = false;
  bool FOnlyStoredValues = false;
  bool FDestroying = false;
  UInt64 FChangeStamp = 0;
};

// ---------------------------------------------------------------------------

struct TcxLookupListItem {
  Variant Key;
  String DisplayText;
};

// A key-to-text list kept sorted by key in cxVarCompare order.
class TcxLookupList : public TObject {
  TOVANI_CLASS(TcxLookupList, TObject)
 public:
  void Clear() { FItems.clear(); }
  // True with the index of the key, or false with the insert position.
  bool Find(const Variant& Key, Integer& Index) const;
  void Insert(Integer Index, const Variant& Key, const String& Text);
  Integer Count() const { return Integer(FItems.size()); }
  const TcxLookupListItem& GetItem(Integer Index) const;

 private:
  std::vector<TcxLookupListItem> FItems;
};
