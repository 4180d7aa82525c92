// The bridge between the editor library and the data-access classes: field
// helpers that read and write field values as Variants (also for ";"-lists
// of key fields), answer whether a field is edited as text or shows
// formatted text and name fields in filter text; a registry that maps
// dataset classes to adapter objects, most specific class first; and the
// data binding of a single-field data-aware editor with its field link.
#pragma once
#include <memory>
#include <vector>

#include "DB.h"
#include "Variant.h"
#include "cxDataUtils.h"

class TStrings;

// ---------------------------------------------------------------------------
// Field helpers

// Aggregate fields: their value; a null field: Null; a wide-string field:
// its text as a wide string; otherwise the field's Variant value.
Variant cxGetFieldValue(TField* AField);
// No fields: Null; one: its value; several: a Variant array [0..n-1].
Variant cxGetFieldListValue(TDataSet* ADataSet, const std::vector<TField*>& AFields);
// A date-time field given a floating-point number takes it as a date-time.
void cxSetFieldValue(TField* AField, const Variant& AValue);
void cxSetFieldListValue(TDataSet* ADataSet, const std::vector<TField*>& AFields, const Variant& AValue);
// A lookup field can be changed when every one of its key fields can.
bool cxCanModifyLookupField(TField* AField);
// A float or BCD field shown as currency by default (currency flag, no
// display format, no get-text handler).
bool cxIsDefaultCurrencyField(TField* AField);
bool cxCanEditFieldText(TField* AField, bool AnyType);
bool cxFieldHasTextFormat(TField* AField, bool AFlag);
// The name a field has in filter text: its origin unless UseFieldName or
// the origin is empty, else its name, bracketed when it is no identifier.
String cxFieldFilterName(TField* AField, bool UseFieldName);
// Encloses a name that is not a valid identifier in "[" "]"; a "]" inside
// the name is doubled so that the bracket cannot be closed early.
void cxQuoteFieldName(String& S);
bool cxSameTextNoCase(const String& A, const String& B);
bool cxIsMultiFieldList(const String& S);
Integer cxFieldNameCount(const String& S);
void cxSplitFieldNames(const String& S, TStrings* AList);

// ---------------------------------------------------------------------------
// Adapter registry

class TcxDBAdapterItem : public TObject {
  TOVANI_CLASS(TcxDBAdapterItem, TObject)
 public:
  explicit TcxDBAdapterItem(TClass ADataSetClass) : FDataSetClass(ADataSetClass) {}
  TClass DataSetClass() const { return FDataSetClass; }

 private:
  TClass FDataSetClass;
};

// A class of adapter items: its class reference and how to make one.
struct TcxDBAdapterItemClass {
  TClass Class;
  TcxDBAdapterItem* (*Create)(TClass ADataSetClass);
};
template <class T>
TcxDBAdapterItemClass cxDBAdapterItemClass() {
  return {T::StaticClass(), [](TClass c) -> TcxDBAdapterItem* { return new T(c); }};
}

class TcxDBAdapterList : public TObject {
  TOVANI_CLASS(TcxDBAdapterList, TObject)
 public:
  ~TcxDBAdapterList() override { ClearAdapters(); }
  // The most specific registration for the class (or an ancestor); without
  // one, Index is where a registration for the class would go (-1: at the
  // end).
  virtual bool FindAdapter(TClass ADataSetClass, Integer& Index);
  virtual void RegisterAdapter(TClass ADataSetClass, const TcxDBAdapterItemClass& AItemClass);
  virtual void UnregisterAdapter(TClass ADataSetClass, TClass AItemClass);
  TcxDBAdapterItem* GetItem(Integer Index) const { return FItems.at(size_t(Index)).get(); }
  Integer Count() const { return Integer(FItems.size()); }
  void ClearAdapters() { FItems.clear(); }

 private:
  std::vector<std::unique_ptr<TcxDBAdapterItem>> FItems;
};

// ---------------------------------------------------------------------------
// Data binding of a single-field editor

class TcxCustomDBDataBinding;

class TcxCustomFieldDataLink : public TDataLink {
  TOVANI_CLASS(TcxCustomFieldDataLink, TDataLink)
 public:
  explicit TcxCustomFieldDataLink(TcxCustomDBDataBinding* ABinding);

  TcxCustomDBDataBinding* DataBinding() const { return FDataBinding; }
  TField* Field() const { return FField; }
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  bool IsEditing() const { return FEditing; }
  bool Modified() const { return FModified; }
  bool CanModifyField() const;
  bool EditField();
  void SetFieldModified() { FModified = true; }
  void ResetField() { RecordChanged(nullptr); }

  virtual void ExtraHook() {}
  virtual void FieldChanged() {}
  virtual void VisualControlChanged() {}

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void EditingChanged() override;
  void LayoutChanged() override;
  void RecordChanged(TField* AField) override;
  void UpdateData() override;

 private:
  friend class TcxCustomDBDataBinding;
  void UpdateField();
  void SetField(TField* Value);
  void SetEditingFlag(bool Value);

  TcxCustomDBDataBinding* FDataBinding;
  String FFieldName;
  TField* FField = nullptr;
  bool FEditing = false;
  bool FModified = false;
};

class TcxCustomDBDataBinding : public TcxCustomDataBinding {
  TOVANI_CLASS(TcxCustomDBDataBinding, TcxCustomDataBinding)
 public:
  TcxCustomDBDataBinding(TPersistent* AOwner, TComponent* ADataComponent);
  ~TcxCustomDBDataBinding() override;

  bool IsModified() const override;
  bool IsReadOnly() const override;
  void ChangeReadOnly(bool Value) override;
  bool CanModify() const override;
  bool ExecuteAction(TObject* Action) override;
  bool UpdateAction(TObject* Action) override;
  Variant GetStoredValue(Integer ValueSource, bool ForEditing) override;
  bool IsControlReadOnly() const override;
  bool IsDataAvailable() const override;
  bool IsDataAware() const override { return true; }
  void Reset() override;
  bool SetEditMode() override;
  void SetStoredValue(Integer ValueSource, const Variant& Value) override;
  void UpdateRecord() override;

  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value) { FDataLink->SetDataSource(Value); }
  TcxCustomFieldDataLink* DataLink() const { return FDataLink.get(); }
  TField* Field() const { return FDataLink->Field(); }
  bool RefreshLocked() const { return FRefreshLockCount > 0; }

 protected:
  friend class TcxCustomFieldDataLink;
  void VisualControlAssigned() override { FDataLink->VisualControlChanged(); }
  void NotifyValueChanged() {
    if (!RefreshLocked()) FireDataChanged();
  }
  void DoFireDataSetChanged() { FireDataSetChanged(); }
  void DoFireUpdateData() { FireUpdateData(); }
  // A descendant with a link class of its own puts it in place from its
  // constructor (the base makes a TcxCustomFieldDataLink).
  void ReplaceDataLink(std::unique_ptr<TcxCustomFieldDataLink> ALink) { FDataLink = std::move(ALink); }

 private:
  void StoreValue(TField* AField, const Variant& Value);
  std::unique_ptr<TcxCustomFieldDataLink> FDataLink;
  Integer FRefreshLockCount = 0;
};
