// The lookup editor over a dataset: the key is the value of the list
// dataset's key field(s), the text is the list field's text, searching uses
// the list data controller's records (or, in grid mode, the dataset itself
// with a key-to-text cache), and the editor may be bound to a lookup field,
// whose definition then supplies the list source, the key fields and the
// result field.
#pragma once
#include <memory>

#include "cxDBEdit.h"
#include "cxLookupEdit.h"

class TcxDBDataController;

class TcxCustomDBLookupEditLookupData : public TcxCustomLookupEditLookupData {
  TOVANI_CLASS(TcxCustomDBLookupEditLookupData, TcxCustomLookupEditLookupData)
 public:
  using TcxCustomLookupEditLookupData::TcxCustomLookupEditLookupData;
  void SetKeyFromRecord(Integer ARecordIndex) override;
  void FocusKeyRecord() override;
};

class TcxCustomDBLookupEditProperties : public TcxCustomLookupEditProperties {
  TOVANI_CLASS(TcxCustomDBLookupEditProperties, TcxCustomLookupEditProperties)
 public:
  explicit TcxCustomDBLookupEditProperties(TPersistent* AOwner = nullptr);
  ~TcxCustomDBLookupEditProperties() override;
  void Assign(TPersistent* Source) override;
  void Changed() override;

  String KeyFieldNames();
  void SetKeyFieldNames(const String& Value);
  String ListFieldNames();
  void SetListFieldNames(const String& Value);
  bool CaseSensitiveSearch() const { return FCaseSensitiveSearch; }
  void SetCaseSensitiveSearch(bool Value) { FCaseSensitiveSearch = Value; }
  bool GridMode() const { return FLookupList != nullptr; }
  void SetGridMode(bool Value);
  TcxLookupList* LookupList() const { return FLookupList.get(); }

  // The editor's own field and the lookup field it may be.
  TField* BoundField();
  TField* BoundLookupField();
  TField* ListTextField();
  bool KeyIsListField();
  String LookupResultName();
  TDataSource* LookupListSource() const { return FListSourceInUse; }

  // Hooks answered by the lookup combo box with its list grid.
  virtual void BeginListColumnsUpdate() {}
  virtual void AddListColumnForField(const String& AFieldName) {}
  virtual void SetListFieldNamesText(const String& AText) {}
  virtual void EndListColumnsUpdate() {}
  virtual TField* GetListColumnField(Integer AIndex) { return nullptr; }
  virtual void GetListColumnFieldName(Integer AIndex, String& AName) { AName.clear(); }
  virtual Integer FindListColumnByFieldName(const String& AName) { return -1; }
  virtual TcxDBDataController* GetListDBDataController() { return nullptr; }
  virtual void LinkLookupField();
  virtual void ApplyLookupResultField();
  virtual void LookupSourceFreed(TComponent* AComponent) { LinkLookupField(); }

  // Overrides of the lookup properties.
  void ClearDefaultValuesProvider() override;
  TClass GetContainerClass() override;
  TcxEditValueSource UsesDataDisplayFormat(bool AEditFocused) override;
  bool IsLookupFieldBound() override { return BoundLookupField() != nullptr; }
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  bool EditValueIsText() override;
  void BeginListLock() override;
  void EndListLock() override;
  void SetListFieldIndex(Integer AIndex) override;
  Integer FindRecordByText(Integer AItemIndex, const String& AText, bool APartial) override;
  Integer GetListFieldIndex() override;
  void GetKeyDisplayText(const Variant& AKey, String& AText) override;
  TAlignment GetDefaultHorzAlignment() override;
  Integer GetDefaultMaxLength() override;
  bool UsesIncrementalFiltering() override;
  TcxTextEditLookupDataFactory GetLookupDataType() override;
  void GetNullKey(Variant& AKey) override;

  void ApplyGridMode();
  // Raises "Circular datalinks are not allowed" when the list source's
  // dataset is the bound field's dataset, a master of it or the owner of
  // its nested dataset.
  void CheckCircularLink();
  bool Adopting() const { return FAdopting; }

 private:
  void SetLookupField(TField* AField);
  std::unique_ptr<TDataSource> FCachedListSource;
  bool FCaseSensitiveSearch = false;
  Integer FGridModeLockCount = 0;
  TField* FLookupField = nullptr;
  std::unique_ptr<TcxLookupList> FLookupList;
  TDataSource* FListSourceInUse = nullptr;
  std::unique_ptr<TcxFreeNotificator> FFreeNotificator;
  bool FAdopting = false;
  bool FInChanged = false;
};

class TcxCustomDBLookupEdit : public TcxCustomLookupEdit {
  TOVANI_CLASS(TcxCustomDBLookupEdit, TcxCustomLookupEdit)
 public:
  explicit TcxCustomDBLookupEdit(TComponent* AOwner = nullptr, bool AIsInplace = false,
                                 const TcxEditPropertiesFactory& AProperties = nullptr);
  TcxCustomDBLookupEditProperties* ActiveProperties() {
    return static_cast<TcxCustomDBLookupEditProperties*>(GetEffectiveProperties());
  }
  TClass GetPropertiesClass() override { return TcxCustomDBLookupEditProperties::StaticClass(); }

  void GetResetValue(Variant& AValue) override;
  bool IsCharValidForData(char32_t AChar) override;
  void ItemIndexAsLookupKey(Integer AIndex, Variant& AKey) override;
  void LookupKeyAsEditValue(const Variant& AKey, Variant& AEditValue) override { AEditValue = AKey; }
  Integer LookupKeyAsItemIndex(const Variant& AKey) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;

 protected:
  void HandlePopupClosed() override;
};

// The binding of the data-aware lookup editors: a binding to a lookup field
// with one key field watches that key field.
class TcxDBLookupEditDataBinding : public TcxDBTextEditDataBinding {
  TOVANI_CLASS(TcxDBLookupEditDataBinding, TcxDBTextEditDataBinding)
 public:
  using TcxDBTextEditDataBinding::TcxDBTextEditDataBinding;
  bool IsLookupBinding() override { return true; }
};

extern const TcxResourceString cxSEditPropertyAlreadyDefinedByLookup;   // "Property already defined by lookup field"
extern const TcxResourceString cxSEditCircularDataLinks;               // "Circular datalinks are not allowed"
