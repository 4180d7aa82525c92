// The data-access framework: datasets with the record-buffer model, the field
// family, data sources and data links, field and index definitions and query
// parameters. Every data-aware part of the program reaches data through these
// classes.
//
// Datasets here are client-side: an open dataset keeps all of its records in
// memory (TDataSet owns the record cache) and a descendant decides where the
// records come from and where posted changes go (TMemDataSet keeps them,
// the ADO datasets write them to SQLite).
#pragma once
#include <functional>
#include <memory>
#include <new>
#include <vector>
#include "Classes.h"
#include "DBValue.h"
#include "Sets.h"
#include "System.h"
#include "Currency.h"
#include "Variant.h"

class TDataSet;
class TField;
class TFields;
class TDataSource;
class TDataLink;
class TFieldDefs;
class TParams;
class TStrings;
class TStream;
struct TRecordData;
class TDBFilterExpr;
class TLookupList;

// ---------------------------------------------------------------------------
// Enumerations (class library order: ordinals are used by other libraries).

enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
  ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
  ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
  ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo,
  ftOraTimeStamp, ftOraInterval
};

enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
  dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};

enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
  deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
  deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
enum TDataAction { daFail, daAbort, daRetry };

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

// Published enumerations (their names are in DBPublished.cpp).
struct TTypeInfo;
const TTypeInfo* TovaniEnumInfo(TFieldType);
const TTypeInfo* TovaniEnumInfo(TFieldKind);
const TTypeInfo* TovaniEnumInfo(TFilterOption);

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

// Opaque bookmark: identifies a record for as long as the dataset stays open.
// An empty bookmark identifies nothing.
using TBookmark = String;
using TBookmarkStr = String;

// States in which fields may be written.
inline bool IsEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }

// Raises EDatabaseError; with a component the message is prefixed by its name.
[[noreturn]] void DatabaseError(const String& message, const TDataSet* component = nullptr);
[[noreturn]] void DatabaseErrorFmtField(const String& message, const String& fieldName,
                                        const TDataSet* component = nullptr);

// The storage kind a field type keeps in the record cache.
enum class TStorageKind { None, Int, Float, Currency, Bool, Text };
TStorageKind StorageKindOf(TFieldType t);
bool IsBlobType(TFieldType t);
String FieldTypeName(TFieldType t);

// ---------------------------------------------------------------------------
// Fields.

using TFieldNotifyEvent = std::function<void(TField* sender)>;
using TFieldGetTextEvent = std::function<void(TField* sender, String& text, bool displayText)>;
using TFieldSetTextEvent = std::function<void(TField* sender, const String& text)>;

class TField : public TComponent {
  TOVANI_CLASS(TField, TComponent)
 public:
  explicit TField(TComponent* owner = nullptr);
  ~TField() override;

  // Streaming: persistent fields are written as children of their dataset.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  TDataSet* DataSet() const { return FDataSet; }
  // Attaches the field to a dataset (which then frees it with itself) or
  // detaches it (nullptr). The dataset must be closed.
  void SetDataSet(TDataSet* ds);

  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& v);
  String DisplayName() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  String DisplayLabel() const { return DisplayName(); }
  void SetDisplayLabel(const String& v);
  Integer DisplayWidth() const;
  void SetDisplayWidth(Integer v);
  bool IsDisplayLabelStored() const { return !FDisplayLabel.empty(); }
  bool IsDisplayWidthStored() const { return FDisplayWidth > 0; }
  TFieldType DataType() const { return FDataType; }
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind v);
  Integer FieldNo() const { return FFieldNo; }
  Integer Index() const;
  void SetIndex(Integer v);
  Integer Size() const { return FSize; }
  void SetSize(Integer v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  bool Required() const { return FRequired; }
  void SetRequired(bool v) { FRequired = v; }
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& v) { FEditMask = v; }
  const String& Origin() const { return FOrigin; }
  void SetOrigin(const String& v) { FOrigin = v; }
  bool Calculated() const { return FFieldKind == fkCalculated; }
  void SetCalculated(bool v) { SetFieldKind(v ? fkCalculated : fkData); }
  bool Lookup() const { return FFieldKind == fkLookup; }
  void SetLookup(bool v) { SetFieldKind(v ? fkLookup : fkData); }
  virtual bool IsBlob() const { return false; }
  bool CanModify() const;

  // Lookup fields: the value of LookupResultField of the LookupDataSet record
  // whose LookupKeyFields equal this dataset's KeyFields.
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* v);
  const String& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const String& v) { FKeyFields = v; }
  const String& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const String& v) { FLookupKeyFields = v; }
  const String& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const String& v) { FLookupResultField = v; }
  // With LookupCache the key -> result pairs of the lookup dataset are read
  // once, on first use, and kept; RefreshLookupList reads them again (after
  // the lookup dataset changed).
  bool LookupCache() const { return FLookupCache; }
  void SetLookupCache(bool v);
  void RefreshLookupList();
  // The cached pairs (null until first used or without LookupCache).
  const TLookupList* LookupList() const { return FLookupList.get(); }

  TFieldNotifyEvent OnChange;
  TFieldNotifyEvent OnValidate;
  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

  // Value access (of the dataset's active record).
  bool IsNull() const;
  void Clear();
  virtual String AsString() const;
  virtual void SetAsString(const String& v);
  virtual Integer AsInteger() const;
  virtual void SetAsInteger(Integer v);
  virtual Int64 AsLargeInt() const;
  virtual void SetAsLargeInt(Int64 v);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double v);
  virtual Currency AsCurrency() const;
  virtual void SetAsCurrency(Currency v);
  virtual TDateTime AsDateTime() const;
  virtual void SetAsDateTime(TDateTime v);
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool v);
  virtual Variant AsVariant() const;
  virtual void SetAsVariant(const Variant& v);
  Variant Value() const { return AsVariant(); }
  void SetValue(const Variant& v) { SetAsVariant(v); }
  // Text is the edit text; DisplayText the text shown. Both go through
  // OnGetText when assigned; SetText through OnSetText.
  String Text() const;
  void SetText(const String& v);
  String DisplayText() const;
  // Whether the character (a Unicode code point) may be typed into the field.
  virtual bool IsValidChar(char32_t ch) const;
  // Asks the data-aware control that shows this field to take the focus.
  void FocusControl();

  // Raw access to the stored value of the active record (the storage kind of
  // the field type). SetData validates, stores and notifies.
  TDBValue GetData() const;
  // The same value read in place: null when there is none (no record); it
  // stays valid until the dataset moves or changes.
  inline const TDBValue* ValuePtr() const;
  void SetData(const TDBValue& v);
  // Raises "Field '%s' must have a value" when Required and null.
  void CheckRequired() const;

 protected:
  // The text of a non-null value; display text or edit text.
  virtual String FormatText(bool displayText) const;
  // The text of a null value (empty; BLOB fields show their kind).
  virtual String NullText(bool displayText) const { (void)displayText; return {}; }
  virtual void SetTextValue(const String& text) { SetAsString(text); }
  virtual Integer DefaultDisplayWidth() const { return FSize; }
  // Converts a value assigned through SetAsVariant/SetAsString to storage.
  virtual TDBValue ValueFromVariant(const Variant& v) const;
  [[noreturn]] void AccessError(const char* typeName) const;
  void Notification(TComponent* c, TOperation op) override;
  void SetDataType(TFieldType t) { FDataType = t; }
  void PropertyChanged(bool layoutAffected);

 private:
  friend class TDataSet;
  friend class TFields;
  TDataSet* FDataSet = nullptr;
  String FFieldName, FDisplayLabel, FEditMask, FOrigin;
  String FKeyFields, FLookupKeyFields, FLookupResultField;
  TDataSet* FLookupDataSet = nullptr;
  bool FLookupCache = false;
  std::unique_ptr<TLookupList> FLookupList;
  // The lookup result for key values (one per key field, none null).
  TDBValue LookupValue(const std::vector<Variant>& keyValues);
  TFieldType FDataType = ftUnknown;
  TFieldKind FFieldKind = fkData;
  Integer FFieldNo = 0;
  Integer FSize = 0;
  Integer FDisplayWidth = 0;   // 0: the type's default
  Integer FOffset = -1;        // column in the record cache, or calc slot
  bool FVisible = true, FReadOnly = false, FRequired = false;
  bool FDefaultField = false;  // made by Open, freed by Close
  bool FValidating = false;
  TDBValue FValidatingValue;   // the new value while OnValidate runs
  TAlignment FAlignment = taLeftJustify;
};

// The key -> result pairs of a cached lookup field.
class TLookupList {
 public:
  TLookupList();
  ~TLookupList();
  void Add(const Variant& key, const Variant& value);
  void Clear();
  Integer Count() const;
  // The value of a key (a Variant array for several key fields); Null when absent.
  Variant ValueOfKey(const Variant& key) const;
 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};

class TStringField : public TField {
  TOVANI_CLASS(TStringField, TField)
 public:
  explicit TStringField(TComponent* owner = nullptr);
  bool FixedChar() const { return FFixedChar; }
  void SetFixedChar(bool v) { FFixedChar = v; }
  String AsString() const override;
  Integer AsInteger() const override;
  double AsFloat() const override;
  bool AsBoolean() const override;
  TDateTime AsDateTime() const override;
  void SetAsString(const String& v) override;
  void SetAsInteger(Integer v) override;
  void SetAsFloat(double v) override;
  void SetAsBoolean(bool v) override;
 private:
  bool FFixedChar = false;
};

class TWideStringField : public TStringField {
  TOVANI_CLASS(TWideStringField, TStringField)
 public:
  explicit TWideStringField(TComponent* owner = nullptr);
};

class TNumericField : public TField {
  TOVANI_CLASS(TNumericField, TField)
 public:
  explicit TNumericField(TComponent* owner = nullptr);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& v);
  const String& EditFormat() const { return FEditFormat; }
  void SetEditFormat(const String& v);
  bool IsValidChar(char32_t ch) const override;
 private:
  String FDisplayFormat, FEditFormat;
};

class TIntegerField : public TNumericField {
  TOVANI_CLASS(TIntegerField, TNumericField)
 public:
  explicit TIntegerField(TComponent* owner = nullptr);
  Integer MinValue() const { return FMinValue; }
  Integer MaxValue() const { return FMaxValue; }
  void SetMinValue(Integer v) { FMinValue = v; }
  void SetMaxValue(Integer v) { FMaxValue = v; }
  String AsString() const override;
  void SetAsString(const String& v) override;
  Integer AsInteger() const override;
  void SetAsInteger(Integer v) override;
  Int64 AsLargeInt() const override;
  void SetAsLargeInt(Int64 v) override;
  double AsFloat() const override;
  void SetAsFloat(double v) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool v) override;
 protected:
  String FormatText(bool displayText) const override;
  Integer DefaultDisplayWidth() const override { return 11; }
  TDBValue ValueFromVariant(const Variant& v) const override;
  void CheckRange(Int64 v) const;
  Integer FMinValue = 0, FMaxValue = 0;   // both 0: the type's range
  Int64 FTypeMin = INT32_MIN, FTypeMax = INT32_MAX;
};

class TSmallintField : public TIntegerField {
  TOVANI_CLASS(TSmallintField, TIntegerField)
 public:
  explicit TSmallintField(TComponent* owner = nullptr);
 protected:
  Integer DefaultDisplayWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
  TOVANI_CLASS(TWordField, TIntegerField)
 public:
  explicit TWordField(TComponent* owner = nullptr);
 protected:
  Integer DefaultDisplayWidth() const override { return 5; }
};

class TAutoIncField : public TIntegerField {
  TOVANI_CLASS(TAutoIncField, TIntegerField)
 public:
  explicit TAutoIncField(TComponent* owner = nullptr);
};

class TLargeintField : public TIntegerField {
  TOVANI_CLASS(TLargeintField, TIntegerField)
 public:
  explicit TLargeintField(TComponent* owner = nullptr);
 protected:
  Integer DefaultDisplayWidth() const override { return 15; }
};

class TFloatField : public TNumericField {
  TOVANI_CLASS(TFloatField, TNumericField)
 public:
  explicit TFloatField(TComponent* owner = nullptr);
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool v);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer v);
  // The allowed range; both 0 (the default) allows any value.
  double MinValue() const { return FMinValue; }
  double MaxValue() const { return FMaxValue; }
  void SetMinValue(double v) { FMinValue = v; }
  void SetMaxValue(double v) { FMaxValue = v; }
  String AsString() const override;
  void SetAsString(const String& v) override;
  Integer AsInteger() const override;
  void SetAsInteger(Integer v) override;
  Int64 AsLargeInt() const override;
  void SetAsLargeInt(Int64 v) override;
  double AsFloat() const override;
  void SetAsFloat(double v) override;
  ::Currency AsCurrency() const override;
  void SetAsCurrency(::Currency v) override;
 protected:
  String FormatText(bool displayText) const override;
  Integer DefaultDisplayWidth() const override { return 10; }
  TDBValue ValueFromVariant(const Variant& v) const override;
  void CheckRange(double v) const;
  bool FCurrency = false;
  Integer FPrecision = 15;
  double FMinValue = 0, FMaxValue = 0;
};

class TCurrencyField : public TFloatField {
  TOVANI_CLASS(TCurrencyField, TFloatField)
 public:
  explicit TCurrencyField(TComponent* owner = nullptr);
};

// Fixed-point field with four decimals (the database's currency columns).
class TBCDField : public TNumericField {
  TOVANI_CLASS(TBCDField, TNumericField)
 public:
  explicit TBCDField(TComponent* owner = nullptr);
  bool Currency() const { return FCurrency; }
  void SetCurrency(bool v);
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer v) { FPrecision = v; }
  // The allowed range; both 0 (the default) allows any value.
  ::Currency MinValue() const { return FMinValue; }
  ::Currency MaxValue() const { return FMaxValue; }
  void SetMinValue(::Currency v) { FMinValue = v; }
  void SetMaxValue(::Currency v) { FMaxValue = v; }
  String AsString() const override;
  void SetAsString(const String& v) override;
  Integer AsInteger() const override;
  void SetAsInteger(Integer v) override;
  Int64 AsLargeInt() const override;
  void SetAsLargeInt(Int64 v) override;
  double AsFloat() const override;
  void SetAsFloat(double v) override;
  ::Currency AsCurrency() const override;
  void SetAsCurrency(::Currency v) override;
 protected:
  String FormatText(bool displayText) const override;
  Integer DefaultDisplayWidth() const override { return FPrecision + 2; }
  TDBValue ValueFromVariant(const Variant& v) const override;
  void CheckRange(::Currency v) const;
  bool FCurrency = false;
  Integer FPrecision = 19;
  ::Currency FMinValue, FMaxValue;
};

class TBooleanField : public TField {
  TOVANI_CLASS(TBooleanField, TField)
 public:
  explicit TBooleanField(TComponent* owner = nullptr);
  // "True text;False text"; default "True;False".
  const String& DisplayValues() const { return FDisplayValues; }
  void SetDisplayValues(const String& v);
  String AsString() const override;
  void SetAsString(const String& v) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool v) override;
  Integer AsInteger() const override;
  void SetAsInteger(Integer v) override;
 protected:
  String FormatText(bool displayText) const override;
  Integer DefaultDisplayWidth() const override;
  TDBValue ValueFromVariant(const Variant& v) const override;
 private:
  String FDisplayValues = "True;False", FTrueText = "True", FFalseText = "False";
};

class TDateTimeField : public TField {
  TOVANI_CLASS(TDateTimeField, TField)
 public:
  explicit TDateTimeField(TComponent* owner = nullptr);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& v);
  String AsString() const override;
  void SetAsString(const String& v) override;
  TDateTime AsDateTime() const override;
  void SetAsDateTime(TDateTime v) override;
  double AsFloat() const override;
  void SetAsFloat(double v) override;
 protected:
  String FormatText(bool displayText) const override;
  Integer DefaultDisplayWidth() const override { return 18; }
  TDBValue ValueFromVariant(const Variant& v) const override;
  virtual TDateTime Normalize(TDateTime v) const { return v; }
 private:
  String FDisplayFormat;
};

class TDateField : public TDateTimeField {
  TOVANI_CLASS(TDateField, TDateTimeField)
 public:
  explicit TDateField(TComponent* owner = nullptr);
 protected:
  Integer DefaultDisplayWidth() const override { return 10; }
  TDateTime Normalize(TDateTime v) const override;
};

class TTimeField : public TDateTimeField {
  TOVANI_CLASS(TTimeField, TDateTimeField)
 public:
  explicit TTimeField(TComponent* owner = nullptr);
 protected:
  Integer DefaultDisplayWidth() const override { return 10; }
  TDateTime Normalize(TDateTime v) const override;
};

class TBlobField : public TField {
  TOVANI_CLASS(TBlobField, TField)
 public:
  explicit TBlobField(TComponent* owner = nullptr);
  bool IsBlob() const override { return true; }
  Integer BlobSize() const;
  String AsString() const override;
  void SetAsString(const String& v) override;
  // The bytes of the value; AsBytes/SetAsBytes and the streams copy them.
  String AsBytes() const { return AsString(); }
  void SetAsBytes(const String& v) { SetAsString(v); }
  void LoadFromStream(TStream* stream);
  void SaveToStream(TStream* stream) const;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName) const;
 protected:
  String FormatText(bool displayText) const override;
  String NullText(bool displayText) const override;
  Integer DefaultDisplayWidth() const override { return 10; }
};

class TMemoField : public TBlobField {
  TOVANI_CLASS(TMemoField, TBlobField)
 public:
  explicit TMemoField(TComponent* owner = nullptr);
 protected:
  String FormatText(bool displayText) const override;
  String NullText(bool displayText) const override;
};

class TWideMemoField : public TMemoField {
  TOVANI_CLASS(TWideMemoField, TMemoField)
 public:
  explicit TWideMemoField(TComponent* owner = nullptr);
};

class TGraphicField : public TBlobField {
  TOVANI_CLASS(TGraphicField, TBlobField)
 public:
  explicit TGraphicField(TComponent* owner = nullptr);
 protected:
  String FormatText(bool displayText) const override;
  String NullText(bool displayText) const override;
};

// Makes a field object of the class that the data type calls for.
TField* CreateFieldForType(TFieldType t);

// The dataset's list of field objects in index order.
class TFields {
 public:
  explicit TFields(TDataSet* ds) : FDataSet(ds) {}
  Integer Count() const { return Integer(FList.size()); }
  TField* operator[](Integer i) const { return FList.at(size_t(i)); }
  TField* Fields(Integer i) const { return FList.at(size_t(i)); }
  TField* FindField(const String& name) const;
  TField* FieldByName(const String& name) const;
  TField* FieldByNumber(Integer fieldNo) const;
  Integer IndexOf(const TField* f) const;
  TDataSet* DataSet() const { return FDataSet; }
  auto begin() const { return FList.begin(); }
  auto end() const { return FList.end(); }
 private:
  friend class TDataSet;
  friend class TField;
  TDataSet* FDataSet;
  std::vector<TField*> FList;
};

// ---------------------------------------------------------------------------
// Field and index definitions.

class TFieldDef {
 public:
  TFieldDef(String name, TFieldType type, Integer size = 0, bool required = false)
      : Name(std::move(name)), DataType(type), Size(size), Required(required) {}
  String Name;
  TFieldType DataType;
  Integer Size;
  bool Required;
  Integer Precision = 0;
  Integer FieldNo = 0;
  bool ReadOnly = false;   // e.g. auto-increment columns
  // The class of field that Open makes for this definition.
  TField* CreateField() const;
};

class TFieldDefs {
 public:
  Integer Count() const { return Integer(FItems.size()); }
  TFieldDef& operator[](Integer i) { return *FItems.at(size_t(i)); }
  const TFieldDef& operator[](Integer i) const { return *FItems.at(size_t(i)); }
  TFieldDef& Add(const String& name, TFieldType type, Integer size = 0, bool required = false);
  TFieldDef* Find(const String& name) const;   // null when absent
  Integer IndexOf(const String& name) const;
  void Clear() { FItems.clear(); }
  bool Updated = false;
 private:
  std::vector<std::unique_ptr<TFieldDef>> FItems;
};

// ---------------------------------------------------------------------------
// Query parameters (":name" in SQL texts).

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
// What form files of the ADO datasets say about parameters (kept, not used).
enum TParameterAttribute { paSigned, paNullable, paLong };
using TParameterAttributes = TSet<TParameterAttribute>;
enum TParameterDirection { pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue };
const TTypeInfo* TovaniEnumInfo(TParameterAttribute);
const TTypeInfo* TovaniEnumInfo(TParameterDirection);
const TTypeInfo* TovaniEnumInfo(TParamType);

// One parameter; an item of TParams (form files list them as a collection).
class TParam : public TCollectionItem {
  TOVANI_CLASS(TParam, TCollectionItem)
 public:
  explicit TParam(TCollection* owner = nullptr);
  const String& Name() const { return FName; }
  void SetName(const String& v) { FName = v; }
  TFieldType DataType() const { return FDataType; }
  void SetDataType(TFieldType v) { FDataType = v; }
  TParamType ParamType() const { return FParamType; }
  void SetParamType(TParamType v) { FParamType = v; }
  // Size, precision and scale are kept for form files; values are not cut.
  Integer Size() const { return FSize; }
  void SetSize(Integer v) { FSize = v; }
  Integer Precision() const { return FPrecision; }
  void SetPrecision(Integer v) { FPrecision = v; }
  Integer NumericScale() const { return FNumericScale; }
  void SetNumericScale(Integer v) { FNumericScale = v; }
  TParameterAttributes Attributes() const { return FAttributes; }
  void SetAttributes(TParameterAttributes v) { FAttributes = v; }
  TParameterDirection Direction() const { return FDirection; }
  void SetDirection(TParameterDirection v) { FDirection = v; }
  const Variant& Value() const { return FValue; }
  void SetValue(const Variant& v);
  bool IsNull() const;
  void Clear() { SetValue(Variant::Null()); }
  String AsString() const;
  void SetAsString(const String& v);
  Integer AsInteger() const;
  void SetAsInteger(Integer v);
  double AsFloat() const;
  void SetAsFloat(double v);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime v);
  bool AsBoolean() const;
  void SetAsBoolean(bool v);
  // Takes the field's type and value (master/detail parameters).
  void AssignField(const TField* f);
  void Assign(TPersistent* source) override;
 protected:
  String GetDisplayName() const override { return FName; }
 private:
  String FName;
  TFieldType FDataType = ftUnknown;
  TParamType FParamType = ptInput;
  Integer FSize = 0, FPrecision = 0, FNumericScale = 0;
  TParameterAttributes FAttributes;
  TParameterDirection FDirection = pdInput;
  Variant FValue;   // Unassigned until a value (Null is one) is given
};

class TParams : public TCollection {
  TOVANI_CLASS(TParams, TCollection)
 public:
  explicit TParams(TPersistent* owner = nullptr);
  TParam* Items(Integer i) const { return static_cast<TParam*>(TCollection::Items(i)); }
  TParam* operator[](Integer i) const { return Items(i); }
  TParam* FindParam(const String& name) const;   // case-insensitive
  TParam* ParamByName(const String& name) const;  // "Parameter '%s' not found"
  TParam* CreateParam(TFieldType type, const String& name, TParamType pt = ptInput);
  TParam* AddParameter() { return static_cast<TParam*>(Add()); }
  // Rebuilds the list from the ":name" markers of an SQL text (keeping the
  // values of parameters that remain); "::" and quoted text are skipped.
  void ParseSQL(const String& sql, bool keepValues = true);
  Variant ParamValues(const String& name) const { return ParamByName(name)->Value(); }
  void SetParamValues(const String& name, const Variant& v) { ParamByName(name)->SetValue(v); }
 protected:
  TPersistent* GetOwner() override { return FOwner; }
 private:
  TPersistent* FOwner;
};

// Names of the ":name" parameters of an SQL text, in order of appearance
// (each name once), and the text with every marker replaced by "?".
struct TParsedSQL {
  String Text;
  std::vector<String> Names;   // one entry per marker, in order
};
TParsedSQL ParseSQLParams(const String& sql);

// ---------------------------------------------------------------------------
// Data source and data link.

using TDataChangeEvent = std::function<void(TObject* sender, TField* field)>;

class TDataSource : public TComponent {
  TOVANI_CLASS(TDataSource, TComponent)
 public:
  explicit TDataSource(TComponent* owner = nullptr);
  ~TDataSource() override;
  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* ds);
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool v) { FAutoEdit = v; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  TDataSetState State() const { return FState; }
  // Puts the dataset in edit state when AutoEdit allows it.
  void Edit();
  bool IsLinkedTo(TDataSet* ds) const;
  const std::vector<TDataLink*>& DataLinks() const { return FDataLinks; }

  TNotifyEvent OnStateChange;
  TDataChangeEvent OnDataChange;
  TNotifyEvent OnUpdateData;

 private:
  friend class TDataSet;
  friend class TDataLink;
  // While the dataset's controls are disabled only the links that are no
  // controls (VisualControl false) hear of events (visualOnly false).
  void DataEvent(TDataEvent event, NativeInt info, bool controlsDisabled = false);
  void NotifyDataLinks(TDataEvent event, NativeInt info, bool nonVisualOnly = false);
  void UpdateState();
  void AddDataLink(TDataLink* link);
  void RemoveDataLink(TDataLink* link);
  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FDataLinks;
  TDataSetState FState = dsInactive;
  bool FAutoEdit = true, FEnabled = true;
};

// A connection of a control (or any other client) to a data source: it keeps
// its own window of BufferCount records over the dataset's buffers and turns
// dataset events into the virtual notifications below.
class TDataLink : public TObject {
  TOVANI_CLASS(TDataLink, TObject)
 public:
  TDataLink();
  ~TDataLink() override;
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* ds);
  TDataSet* DataSet() const;
  bool Active() const { return FActive; }
  bool Editing() const { return FEditing; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v);
  // Index of the dataset's active record within this link's window.
  Integer ActiveRecord() const;
  void SetActiveRecord(Integer v);
  Integer BufferCount() const { return FBufferCount; }
  void SetBufferCount(Integer v);
  // Number of records in this link's window.
  Integer RecordCount() const;
  bool Bof() const;
  bool Eof() const;
  // A link that shows data (the default) is muted by DisableControls; other
  // links (master/detail, bookkeeping) keep hearing of every event.
  bool VisualControl() const { return FVisualControl; }
  void SetVisualControl(bool v) { FVisualControl = v; }
  bool DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(bool v) { FDataSourceFixed = v; }
  // Puts the dataset in edit state through the data source; answers Editing.
  bool Edit();
  // Writes pending control data into the record (UpdateData guarded).
  void UpdateRecord();
  virtual Integer MoveBy(Integer distance);
  bool ExecuteAction(TObject* action) { (void)action; return false; }
  bool UpdateAction(TObject* action) { (void)action; return false; }

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataEvent(TDataEvent event, NativeInt info);
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(Integer distance) { (void)distance; DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField** field) { (void)field; }
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* field) { (void)field; }
  virtual void UpdateData() {}
  // Index of the first record of the link's window in the dataset's buffers.
  Integer FirstRecord() const { return FFirstRecord; }

 private:
  friend class TDataSource;
  friend class TDataSet;
  void UpdateState();
  void SetActive(bool v);
  void SetEditing(bool v);
  void UpdateRange();
  TDataSource* FDataSource = nullptr;
  Integer FFirstRecord = 0;
  Integer FBufferCount = 1;
  bool FActive = false, FEditing = false, FReadOnly = false, FUpdating = false;
  bool FDataSourceFixed = false;
  bool FVisualControl = true;
};

// A link to one field of the data source's dataset, for single-field
// controls. It raises "Field '%s' not found" through the control's name.
class TFieldDataLink : public TDataLink {
  TOVANI_CLASS(TFieldDataLink, TDataLink)
 public:
  // The control the link serves: a missing field is reported with its name.
  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* c) { FControl = c; }
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& v);
  TField* Field() const { return FField; }
  bool CanModify() const;
  bool Modified() const { return FModified; }
  void Modified_() { FModified = true; }   // the control changed its data
  void Reset();
  bool Edit() { return TDataLink::Edit(); }

  TNotifyEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent event, NativeInt info) override;
  void EditingChanged() override;
  void FocusControl(TField** field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* field) override;
  void UpdateData() override;

 private:
  void UpdateField();
  String FFieldName;
  TField* FField = nullptr;
  TComponent* FControl = nullptr;
  bool FModified = false;
};

// The field of a dataset named by a control's field property; a missing
// field raises "Field '%s' not found" with the control's name in front.
TField* GetFieldProperty(TDataSet* dataSet, TComponent* control, const String& fieldName);

// ---------------------------------------------------------------------------
// The dataset.

using TDataSetNotifyEvent = std::function<void(TDataSet* dataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* dataSet, EDatabaseError& e, TDataAction& action)>;
using TFilterRecordEvent = std::function<void(TDataSet* dataSet, bool& accept)>;

// The values of one record, by field offset. A record of the store (read
// when the dataset opened, or posted as new) keeps them in the store's
// memory block right after the record (see TRecordArena); values that
// change their count, and those of records made otherwise, are kept in a
// vector of their own.
class TRecordValues {
 public:
  TRecordValues() = default;
  TRecordValues(const TRecordValues&) = delete;
  TRecordValues& operator=(const TRecordValues&) = delete;
  ~TRecordValues() { DropPlaced(); }
  size_t size() const { return FSize; }
  bool empty() const { return FSize == 0; }
  TDBValue& operator[](size_t i) { return FData[i]; }
  const TDBValue& operator[](size_t i) const { return FData[i]; }
  TDBValue* data() { return FData; }
  const TDBValue* data() const { return FData; }
  TDBValue* begin() { return FData; }
  TDBValue* end() { return FData + FSize; }
  const TDBValue* begin() const { return FData; }
  const TDBValue* end() const { return FData + FSize; }
  // New values are null; values beyond the new count are dropped.
  void resize(size_t n);
  TRecordValues& operator=(const std::vector<TDBValue>& v);
  TRecordValues& operator=(std::vector<TDBValue>&& v);
  std::vector<TDBValue> ToVector() const { return std::vector<TDBValue>(begin(), end()); }
  // Moves the values out, leaving none.
  std::vector<TDBValue> Take();
  // Makes n null values at `at`, memory the caller keeps for as long as
  // these values live.
  void Place(TDBValue* at, size_t n);

 private:
  void DropPlaced();
  void UseOwn() {
    FData = FOwn.data();
    FSize = FOwn.size();
  }
  TDBValue* FData = nullptr;
  size_t FSize = 0;
  bool FPlaced = false;
  std::vector<TDBValue> FOwn;
};

struct TRecordBlock;

// One record of the cache.
enum class TRecordStatus : Byte { Unmodified, Modified, Inserted, Deleted };
struct TRecordData {
  TRecordValues Values;
  std::unique_ptr<std::vector<TDBValue>> Original;   // values as read, for pending updates
  UInt64 Id = 0;                    // bookmark identity, unique while open
  Int64 RowKey = 0;                 // the descendant's key of the stored row (e.g. rowid)
  TRecordStatus Status = TRecordStatus::Unmodified;
  bool Pending = false;             // change kept until ApplyUpdates/UpdateBatch
  size_t StoreSlot = 0;             // place in TRecordStore::Records
  TRecordBlock* Block = nullptr;    // the block it lives in (null: made by new)
  // A record of a block gives its place back to the block.
  void operator delete(TRecordData* rec, std::destroying_delete_t);
};

// Memory for the records of a dataset's store: records and their values are
// laid out one after another in large blocks, instead of two allocations
// per record. Each record keeps its block alive; a block is
// freed when its last record is (records may outlive the arena, e.g. when
// moved to another list).
class TRecordArena {
 public:
  TRecordArena() = default;
  TRecordArena(const TRecordArena&) = delete;
  TRecordArena& operator=(const TRecordArena&) = delete;
  ~TRecordArena() { Reset(); }
  // A record with `valueCount` null values.
  std::unique_ptr<TRecordData> New(size_t valueCount);
  // Lets go of the current block (its records still keep it).
  void Reset();

 private:
  TRecordBlock* FBlock = nullptr;
};

// The cached records of a dataset, shared with its clones: a record posted
// or deleted through one dataset is seen by the others.
//
// Discarding a record leaves a hole (null) in Records instead of moving
// every later record, so that deleting k of n records costs O(k), not
// O(n*k); Compact squeezes the holes out, and does so by itself once they
// outnumber the records. Code that walks Records skips the holes or
// compacts first.
struct TRecordStore {
  std::vector<std::unique_ptr<TRecordData>> Records;   // storage order; null: a hole
  size_t Holes = 0;
  UInt64 LastId = 0;                                   // bookmark identities given
  std::vector<TDataSet*> Users;                        // the datasets showing them
  TRecordArena Arena;                                  // memory of the records read
  TRecordData* Add(std::unique_ptr<TRecordData> rec);  // at the end
  // Before another record (at the end when `before` is null): O(n).
  TRecordData* Insert(std::unique_ptr<TRecordData> rec, const TRecordData* before);
  void Discard(TRecordData* rec);                      // frees it
  void Compact();
  void Clear();
  // Renumbers StoreSlot after Records was replaced as a whole.
  void Renumber();
};

// The records a dataset shows, in its order (positions from 0). Removing a
// record leaves a hole that positions skip, counted in a Fenwick tree: a
// removal, and finding a record's position or the record at a position,
// cost O(log n); with no holes, the record at a position is a plain index.
// Holes are squeezed out once they outnumber the records. Adding at the
// end is O(log n); inserting elsewhere rebuilds the view in O(n).
class TRecordView {
 public:
  Integer Count() const { return FLive; }
  bool Empty() const { return FLive == 0; }
  // The record at a position (0 <= pos < Count).
  TRecordData* At(Integer pos) const {
    return FHoles == 0 ? FSlots[size_t(pos)] : FSlots[size_t(SlotAt(pos))];
  }
  // The position of a record by its Id; -1 when it is not shown.
  Integer PosOfId(UInt64 id) const;
  void Assign(std::vector<TRecordData*> records);
  void Clear();
  void Insert(Integer pos, TRecordData* rec);
  bool Remove(const TRecordData* rec);   // false when it is not shown
  // Calls f(record, position) in order until it answers false.
  template <class F>
  void ForEach(F&& f) const {
    Integer pos = 0;
    for (TRecordData* r : FSlots)
      if (r && !f(r, pos++)) return;
  }
 private:
  Integer SlotAt(Integer pos) const;
  Integer LiveBefore(Integer slot) const;   // shown records in slots [0, slot)
  void BuildTree() const;
  void BuildSlotIndex() const;
  void Squeeze();
  std::vector<TRecordData*> FSlots;    // null: a removed record
  Integer FLive = 0;
  Integer FHoles = 0;
  mutable std::vector<Integer> FTree;         // Fenwick tree of shown slots (1-based); with holes only
  mutable std::vector<Integer> FSlotById;     // id -> slot + 1 (0: not shown)
  mutable bool FSlotIndexValid = false;
};

class TDataSet : public TComponent {
  TOVANI_CLASS(TDataSet, TComponent)
 public:
  explicit TDataSet(TComponent* owner = nullptr);
  ~TDataSet() override;

  // Streaming: the persistent fields are the dataset's children.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Loaded() override;

  // Opening and state.
  void Open();
  void Close();
  bool Active() const { return FState != dsInactive; }
  void SetActive(bool v);
  TDataSetState State() const { return FState; }
  bool Modified() const { return FModified; }
  virtual bool CanModify() const { return !FReadOnly; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  bool DefaultFields() const { return FDefaultFields; }
  bool AutoCalcFields() const { return FAutoCalcFields; }
  void SetAutoCalcFields(bool v) { FAutoCalcFields = v; }

  // Fields.
  TFields& Fields() { return FFields; }
  const TFields& Fields() const { return FFields; }
  // Aggregate fields: this data-access layer has none (always empty).
  TFields& AggFields() { return FAggFields; }
  Integer FieldCount() const { return FFields.Count(); }
  TFieldDefs& FieldDefs() { return FFieldDefs; }
  const TFieldDefs& FieldDefs() const { return FFieldDefs; }
  TField* FindField(const String& name) const { return FFields.FindField(name); }
  TField* FieldByName(const String& name) const;
  // The fields named in a ";"-separated list; raises for an unknown name.
  std::vector<TField*> GetFieldList(const String& names) const;
  void GetFieldNames(TStrings* list) const;
  // A stream over a BLOB field's value of the active record: reading gives
  // the bytes; in bmWrite/bmReadWrite mode the bytes written are stored in
  // the field when the stream is freed (the dataset must be editing).
  std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);
  std::vector<String> FieldNames() const;
  Variant FieldValues(const String& names) const;
  void SetFieldValues(const String& names, const Variant& v);

  // Navigation.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  Integer MoveBy(Integer distance);
  bool Bof() const { return FBOF; }
  bool Eof() const { return FEOF; }
  bool IsEmpty() const;
  bool IsSequenced() const { return true; }
  bool IsUniDirectional() const { return false; }
  // 1-based number of the active record in the current order, -1 when none
  // (inserting or empty).
  Integer RecNo() const;
  void SetRecNo(Integer v);
  Integer RecordCount() const;

  // Editing.
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  void UpdateRecord();
  void Refresh();
  void Resync();
  void AppendRecord(const std::vector<Variant>& values);
  void InsertRecord(const std::vector<Variant>& values);
  void ClearFields();

  // Controls.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount != 0; }

  // Bookmarks.
  TBookmark GetBookmark() const;
  void GotoBookmark(const TBookmark& b);
  void FreeBookmark(const TBookmark&) {}
  TBookmark Bookmark() const { return GetBookmark(); }
  // Whether the active record can give a bookmark (open, not inserting, not empty).
  bool BookmarkAvailable() const { return !GetBookmark().empty(); }
  void SetBookmark(const TBookmark& b) { GotoBookmark(b); }
  bool BookmarkValid(const TBookmark& b) const;
  // Negative, 0 or positive by the records' places in the current order; an
  // empty bookmark sorts before every other.
  Integer CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

  // Searching. Locate moves to the first match; Lookup answers the result
  // fields' values of the first match without moving.
  bool Locate(const String& keyFields, const Variant& keyValues, TLocateOptions options);
  Variant Lookup(const String& keyFields, const Variant& keyValues, const String& resultFields);

  // Filtering and sorting of the in-memory records.
  const String& Filter() const { return FFilterText; }
  void SetFilter(const String& v);
  bool Filtered() const { return FFiltered; }
  void SetFiltered(bool v);
  TFilterOptions FilterOptions() const { return FFilterOptions; }
  void SetFilterOptions(TFilterOptions v);
  TFilterRecordEvent OnFilterRecord;
  void SetOnFilterRecord(TFilterRecordEvent e);
  // "[A], [B] DESC": stable; nulls first; text by the collation.
  const String& Sort() const { return FSortText; }
  void SetSort(const String& v);

  // Master/detail: the data source of the master dataset.
  TDataSource* DataSource() const { return FMasterSource; }
  virtual TDataSource* GetDataSource() const { return FMasterSource; }
  bool IsLinkedTo(TDataSource* ds) const;

  // Buffers (for data links).
  Integer BufferCount() const { return FBufferCount; }
  Integer ActiveRecord() const { return FActiveRecord; }
  void SetActiveRecord(Integer v) { FActiveRecord = v; }   // links' temporary switch
  Integer BufferedRecordCount() const { return FRecordCount; }

  // Events.
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
  TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
  TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
  TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
  TDataSetNotifyEvent OnNewRecord, OnCalcFields;
  TDataSetErrorEvent OnPostError, OnDeleteError, OnEditError;

  // Sends an event to the data sources (and through them to their links).
  void DataEvent(TDataEvent event, NativeInt info);
  // Cursor: after direct record cache work, the active record again.
  void CursorPosChanged() {}
  void UpdateCursorPos() {}

  // Record cache access for descendants and library helpers.
  Integer ViewCount() const { return FView.Count(); }
  TRecordData* ViewRecord(Integer i) const;
  // Value of a field for any cached record (data and lookup fields).
  TDBValue RecordFieldValue(const TRecordData* rec, const TField* f) const;
  // The stored value of a data field in a cached record, read in place;
  // null for calculated and lookup fields (use RecordFieldValue).
  const TDBValue* RecordDataValue(const TRecordData* rec, const TField* f) const;

 protected:
  // What a descendant provides.
  // Fills FieldDefs and the record cache (AddRecord) for Open.
  virtual void InternalOpen() = 0;
  virtual void InternalClose() {}
  // Writes a posted record to the store. `values` are the new values (the
  // descendant may complete them, e.g. with an assigned auto-increment key);
  // rec->Values still hold the old ones. For an insert, rec is the new
  // record, not yet in the cache. Raising keeps the dataset in its state.
  virtual void InternalPostRecord(TRecordData* rec, std::vector<TDBValue>& values, bool inserting) {
    (void)rec; (void)values; (void)inserting;
  }
  // Removes a record from the store and the cache (DiscardRecord) or marks
  // it deleted (Status Deleted) to write it later.
  virtual void InternalDeleteRecord(TRecordData* rec);
  // Checks that a record may be edited (Edit); may raise.
  virtual void InternalEditRecord(TRecordData* rec) { (void)rec; }
  // Re-reads the records (Refresh); the default keeps the cache.
  virtual void InternalRefresh();
  // Default values of a new record.
  virtual void InternalInitRecord(TRecordData* rec) { (void)rec; }
  // Whether a cached record belongs to the view at all (e.g. the records of
  // the master's current record); Filter and OnFilterRecord come on top.
  virtual bool RecordInView(const TRecordData* rec) { (void)rec; return true; }
  // Whether filters compare text without regard to case even without
  // foCaseInsensitive (the ADO datasets do).
  virtual bool FilterIgnoresCase() const { return false; }
  virtual void DoOnNewRecord();
  virtual void OpenCursor();
  virtual void CloseCursor();
  virtual void CheckCanModify() const;
  virtual void MasterChanged() {}   // master scrolled or changed: requery details
  void Notification(TComponent* c, TOperation op) override;

  // Record cache for descendants.
  TRecordData* AddRecord();                     // appended to the cache while opening
  // The cached records in storage order (without holes).
  const std::vector<std::unique_ptr<TRecordData>>& Records() const;
  // The same, to fill or take over; after replacing the list as a whole,
  // call RecordsReplaced.
  std::vector<std::unique_ptr<TRecordData>>& RecordStore();
  void RecordsReplaced() { FStore->Renumber(); }
  // Drops the records (a store shared with clones is left to them).
  void ClearRecords();
  // While opening: show the records of another open dataset (a clone).
  void ShareRecords(TDataSet* source);
  // After records of a shared store changed: the other datasets rebuild
  // their views on their next navigation or Resync.
  void StoreChanged();
  // Replaces the cached records: `load` fills the cache (AddRecord); then the
  // first record, or with keepPosition the record with the same RowKey (else
  // the same position), becomes current and the links hear of the change.
  void ReplaceRecords(const std::function<void()>& load, bool keepPosition);
  void RebuildView();                           // after sort/filter/record changes
  // Rebuilds the view and shows it: the record `keep` stays current when it
  // is still visible, else the first record; the links hear of the change.
  void ChangeView(TRecordData* keep);
  // Removes a record from the cache entirely (after it was written away).
  void DiscardRecord(TRecordData* rec);
  void SetMasterSource(TDataSource* ds);
  void CheckActive() const;
  void CheckInactive() const;
  void SetState(TDataSetState s);
  TRecordData* ActiveRecordData() const;   // null when no record
  void CreateFields();
  void DestroyDefaultFields();
  void BindFields(bool binding);
  virtual void DoAfterOpen();
  void SetModified(bool v) { FModified = v; }
  UInt64 NextRecordId() { return ++FStore->LastId; }

 private:
  friend class TField;
  friend class TFields;
  friend class TDataSource;
  friend class TDataLink;
  class MasterLink;

  struct Buffer {
    Integer ViewPos = -1;                 // -1: the record being inserted
    std::vector<TDBValue> Calc;           // calculated and lookup values
  };
  // Reads the active record's value of a field (edit buffer while editing).
  const TDBValue* ReadFieldValue(const TField* f) const;
  // ReadFieldValue's common case (browsing, a stored value): null when it
  // is another case.
  const TDBValue* BrowseValue(const TField* f) const {
    if (FState != dsBrowse || f->FFieldKind != fkData || f->FOffset < 0 || FActiveRecord >= FRecordCount)
      return nullptr;
    Integer pos = FBuffers[size_t(FActiveRecord)].ViewPos;
    if (pos < 0 || pos >= FView.Count()) return nullptr;
    const TRecordData* rec = FView.At(pos);
    return size_t(f->FOffset) < rec->Values.size() ? &rec->Values[size_t(f->FOffset)] : nullptr;
  }
  void WriteFieldValue(TField* f, const TDBValue& v);
  void FillBuffers(Integer firstViewPos, Integer activeIndex);
  void ResyncAt(Integer viewPos);
  void ClearBuffers();
  void CalculateFields(Integer bufferIndex);
  // Calculated and lookup values of a cached record outside the buffers
  // (for filters and searches); OnCalcFields runs for it.
  void CalculateRecord(const TRecordData* rec, std::vector<TDBValue>& calc);
  TDBValue CalculateLookup(TField* f);
  void AddDataSource(TDataSource* ds);
  void RemoveDataSource(TDataSource* ds);
  void UpdateBufferCount();
  void SetBufferCount(Integer v);
  Integer ViewPosOf(UInt64 id) const { return FView.PosOfId(id); }
  bool RecordMatchesFilter(TRecordData* rec);
  void ApplySort(std::vector<TRecordData*>& rows) const;
  bool LocateRecord(const String& keyFields, const Variant& keyValues, TLocateOptions options,
                    Integer& found);
  // Runs op, offering its database errors to handler (retry, abort or fail).
  template <class Op>
  void CheckOperation(Op&& op, const TDataSetErrorEvent& handler);
  void BeginInsertAppend();
  void EndInsertAppend();
  void Notify(const TDataSetNotifyEvent& e) { if (e) e(this); }
  void CheckRequiredFields();
  Integer CalcFieldCount() const;
  Integer FCalcFieldCount = -1;   // while the fields are bound, else -1
  void InitEditRecord();
  void RemoveInsertBuffer();
  void CalcEditBuffer();
  TRecordData* ActiveRecordDataForEdit() const;

  TFields FFields;
  TFields FAggFields{this};
  TFieldDefs FFieldDefs;
  TDataSetState FState = dsInactive;
  std::vector<TDataSource*> FDataSources;
  std::shared_ptr<TRecordStore> FStore;                  // never null
  bool FViewStale = false;                               // a clone changed the records
  void RefreshStaleView();
  TRecordView FView;                                     // current order and filter
  std::vector<Buffer> FBuffers;
  Integer FBufferCount = 1;
  Integer FRecordCount = 0;
  Integer FActiveRecord = 0;
  bool FBOF = true, FEOF = true;
  bool FModified = false;
  bool FReadOnly = false;
  bool FDefaultFields = false;
  bool FAutoCalcFields = true;
  Integer FDisableCount = 0;
  TDataEvent FEnableEvent = deDataSetChange;
  bool FHasPendingEnableEvent = false;
  // Editing: a copy of the record's values, written back by Post.
  std::vector<TDBValue> FEditValues;
  std::unique_ptr<TRecordData> FInsertRecord;
  Integer FEditBuffer = -1;       // buffer of the record being edited or inserted
  Integer FInsertViewPos = 0;     // view position the inserted record will take
  bool FAppending = false;
  bool FCalcEditing = false;      // calculating the edit buffer
  TDataSetState FDisabledState = dsInactive;
  const TRecordData* FFilterRecordPtr = nullptr;   // record tested by OnFilterRecord
  // While calculating a record outside the buffers (CalculateRecord, or the
  // record a filter tests): the record and its calculated values.
  const TRecordData* FCalcRecordPtr = nullptr;
  std::vector<TDBValue>* FCalcTarget = nullptr;
  Integer FCalcSlot = -1;   // buffer being calculated (dsCalcFields)
  // Filter and sort.
  String FFilterText, FSortText;
  bool FFiltered = false;
  TFilterOptions FFilterOptions;
  std::unique_ptr<TDBFilterExpr> FFilterExpr;
  struct SortKey { TField* Field; bool Desc; };
  std::vector<SortKey> FSortKeys;
  TDataSource* FMasterSource = nullptr;
  std::unique_ptr<MasterLink> FMasterLink;
  bool FInOpen = false;
  bool FStreamedActive = false;   // Active read from a form file: opened by Loaded
};

// Field values are read for every record a grid paints or a loop visits:
// the common case is answered here without a call.
inline const TDBValue* TField::ValuePtr() const {
  if (!FDataSet) return nullptr;
  if (FValidating) return &FValidatingValue;
  if (const TDBValue* v = FDataSet->BrowseValue(this)) return v;
  return FDataSet->ReadFieldValue(this);
}

// Describes a field type for error texts ("Integer", "String", ...).
String FieldTypeDisplayName(TFieldType t);
