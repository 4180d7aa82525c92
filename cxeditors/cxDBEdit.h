// The data-aware editors: the binding that connects an editor to one field of
// a dataset (reading the field into the editor, writing the editor's value
// into the field when the editor posts or the dataset asks its controls for
// their data), the provider that answers the editor's defaults from the
// field, the data-aware text editor and the data-aware check box, and the
// field binding of data-aware containers (the check list box).
//
// The editor never posts the record itself: it puts the dataset into edit
// mode through the data source when the user starts a change and writes its
// value into the field; the record is posted by whoever owns the dataset.
#pragma once
#include <memory>

#include "cxDB.h"
#include "cxEdit.h"
#include "cxTextEdit.h"
#include "cxCheckBox.h"
#include "cxCalendar.h"

class TDataSource;
class TField;
class TcxDBEditDataBinding;

// ---------------------------------------------------------------------------
// Defaults from the bound field

class TcxCustomDBEditDefaultValuesProvider : public TcxCustomEditDefaultValuesProvider {
  TOVANI_CLASS(TcxCustomDBEditDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
 public:
  explicit TcxCustomDBEditDefaultValuesProvider(TPersistent* AOwner = nullptr);
  ~TcxCustomDBEditDefaultValuesProvider() override;

  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* Value);
  TField* Field() const { return FField; }
  void SetField(TField* Value);

  bool CanSetEditMode() override;
  TAlignment DefaultAlignment() override;
  Integer DefaultBlobKind() override;
  bool DefaultCanModify() override;
  String DefaultDisplayFormat() override;
  String DefaultEditFormat() override;
  String DefaultEditMask() override;
  bool DefaultIsFloatValue() override;
  Integer DefaultMaxLength() override;
  double DefaultMaxValue() override;
  double DefaultMinValue() override;
  Integer DefaultPrecision() override;
  bool DefaultReadOnly() override;
  bool DefaultRequired() override;
  bool IsDataStorage() override { return true; }
  bool IsBlob() override;
  bool IsCurrency() override;
  bool IsDataReady() override;
  // AForDisplay: the text shown while the editor is not focused.
  bool HasDisplayFormat(bool AForDisplay) override;
  // The field makes its own text (a get-text handler or a date-time format).
  bool IsDisplayFormatEmpty() override { return UsesFieldDisplayText(); }
  bool UsesFieldDisplayText();
  bool HasSetTextHandler() override;
  bool AcceptsChar(char32_t AChar) override;

 private:
  void HandleFreeNotification(TComponent* AComponent);
  TDataSource* FDataSource = nullptr;
  TField* FField = nullptr;
  std::unique_ptr<TcxFreeNotificator> FFreeNotificator;
};

// ---------------------------------------------------------------------------
// The field link

class TcxEditFieldDataLink : public TDataLink {
  TOVANI_CLASS(TcxEditFieldDataLink, TDataLink)
 public:
  TcxEditFieldDataLink(TcxDBEditDataBinding* ADataBinding, TComponent* AControl);
  ~TcxEditFieldDataLink() override;

  TComponent* Control() const { return FControl; }
  TcxDBEditDataBinding* DataBinding() const { return FDataBinding; }
  TField* Field() const { return FField; }
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  // The dataset is in edit mode and this field can be changed.
  bool IsEditing() const { return FEditing; }
  // The editor holds a value not yet written into the field.
  bool Modified() const { return FModified; }
  TField* WatchedField() const { return FWatchedField; }

  bool CanModifyField();
  // Puts the dataset into edit mode (when the field can be changed);
  // answers whether the link is editing now.
  bool StartEdit();
  void MarkModified() { FModified = true; }
  void ClearModified() { FModified = false; }
  // Shows the field's value again.
  void ReloadValue() { RecordChanged(nullptr); }
  void UpdateField();

 protected:
  void ActiveChanged() override;
  void DataEvent(TDataEvent Event, NativeInt Info) override;
  void EditingChanged() override;
  void FocusControl(TField** AField) override;
  void LayoutChanged() override;
  void RecordChanged(TField* AField) override;
  void UpdateData() override;

 private:
  void AssignField(TField* Value);
  void ChangeField(TField* Value);
  void SetEditingState(bool Value);
  void UpdateWatchedField();
  TField* FindField(const String& AName);
  TcxDBEditDataBinding* FDataBinding;
  TComponent* FControl;
  String FFieldName;
  TField* FField = nullptr;
  TField* FWatchedField = nullptr;
  bool FEditing = false;
  bool FModified = false;
  std::unique_ptr<TcxFreeNotificator> FFreeNotificator;
};

// ---------------------------------------------------------------------------
// The editor's binding

class TcxDBEditDataBinding : public TcxEditDataBinding {
  TOVANI_CLASS(TcxDBEditDataBinding, TcxEditDataBinding)
 public:
  explicit TcxDBEditDataBinding(TcxCustomEdit* AEdit);
  ~TcxDBEditDataBinding() override;
  void Assign(TPersistent* Source) override;

  const String& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const String& Value) { FDataLink->SetFieldName(Value); }
  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  TcxEditFieldDataLink* DataLink() const { return FDataLink.get(); }
  TField* Field() const { return FDataLink->Field(); }
  TcxCustomDBEditDefaultValuesProvider* DBDefaultValuesProvider() const {
    return static_cast<TcxCustomDBEditDefaultValuesProvider*>(DefaultValuesProvider());
  }

  // The editor's side of the cycle.
  void PropertiesChanged() override;
  bool IsModified() override;
  bool IsEditing() override;
  void GetStoredValue(Variant& AValue) override;
  void Reset() override;
  void AssignDisplayValue(const Variant& AValue) override;
  bool EnterEditMode() override;
  void StoreValue(const Variant& AValue) override;
  bool CanPostEditValue() override { return false; }
  bool HasValueToPost() override { return IsEditing(); }
  bool ExecuteBindingAction(TBasicAction* AAction) override;
  void DataChanged() override;
  bool UpdateBindingAction(TBasicAction* AAction) override;
  void UpdateDisplayValue() override;

  // The dataset's side.
  virtual void ShowUnboundValue();
  virtual void ReadFieldValue();
  virtual void RefreshFromDataSet() { PropertiesChanged(); }
  virtual void EditingStateChanged();
  virtual bool IsLookupBinding() { return false; }
  virtual void WriteEditorValue();

  void BeginRefresh() { ++FRefreshCount; }
  void EndRefresh() {
    if (FRefreshCount > 0) --FRefreshCount;
  }
  bool IsRefreshing() const { return FRefreshCount > 0; }

 protected:
  // The value source of the effective properties: 0 value, 1 text, 2 key.
  Integer ValueSource(bool AEditFocused);
  void AssignFieldValue(TField* AField, const Variant& AValue);

 private:
  std::unique_ptr<TcxEditFieldDataLink> FDataLink;
  Integer FRefreshCount = 0;
};

// The binding of text editors: without data they show an empty text (their
// component name at design time).
class TcxDBTextEditDataBinding : public TcxDBEditDataBinding {
  TOVANI_CLASS(TcxDBTextEditDataBinding, TcxDBEditDataBinding)
 public:
  using TcxDBEditDataBinding::TcxDBEditDataBinding;
  void AssignDisplayValue(const Variant& AValue) override;
  void ShowUnboundValue() override;
};

// ---------------------------------------------------------------------------
// The data-aware text editor

class TcxDBTextEdit : public TcxCustomTextEdit {
  TOVANI_CLASS(TcxDBTextEdit, TcxCustomTextEdit)
 public:
  explicit TcxDBTextEdit(TComponent* AOwner = nullptr);
  // The binding (raises an invalid-cast error when it is of another class).
  TcxDBTextEditDataBinding* DataBinding() const;
  void SetDataBinding(TcxDBTextEditDataBinding* Value) { DataBinding()->Assign(Value); }
  TcxTextEditProperties* Properties() const {
    return static_cast<TcxTextEditProperties*>(TcxCustomTextEdit::Properties());
  }
  void SetProperties(TcxTextEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxTextEditProperties::StaticClass(); }

 protected:
  void Dispatch(TMessage& Message) override;
};

// ---------------------------------------------------------------------------
// The data-aware check box: its state comes from the field only.

class TcxDBCheckBox : public TcxCustomCheckBox {
  TOVANI_CLASS(TcxDBCheckBox, TcxCustomCheckBox)
 public:
  explicit TcxDBCheckBox(TComponent* AOwner = nullptr);
  TcxDBEditDataBinding* DataBinding() const {
    return static_cast<TcxDBEditDataBinding*>(TcxCustomEdit::DataBinding());
  }
  void SetDataBinding(TcxDBEditDataBinding* Value) { DataBinding()->Assign(Value); }

 protected:
  void Dispatch(TMessage& Message) override;
};

// ---------------------------------------------------------------------------
// Field binding of data-aware containers

class TcxDBFieldDataLink : public TcxCustomFieldDataLink {
  TOVANI_CLASS(TcxDBFieldDataLink, TcxCustomFieldDataLink)
 public:
  using TcxCustomFieldDataLink::TcxCustomFieldDataLink;
  void VisualControlChanged() override;

 protected:
  void FocusControl(TField** AField) override;
};

class TcxDBDataBinding : public TcxCustomDBDataBinding {
  TOVANI_CLASS(TcxDBDataBinding, TcxCustomDBDataBinding)
 public:
  TcxDBDataBinding(TPersistent* AOwner, TComponent* ADataComponent);
};

// Answers CM_GETDATALINK for an editor bound through a TcxDBEditDataBinding.
TDataLink* cxEditDataLinkOf(TcxCustomEdit* AEdit);

// ---------------------------------------------------------------------------
// The data-aware date editor (order, quotation and product dates)

class TcxDBDateEdit : public TcxCustomDateEdit {
  TOVANI_CLASS(TcxDBDateEdit, TcxCustomDateEdit)
 public:
  explicit TcxDBDateEdit(TComponent* AOwner = nullptr);
  // The binding (raises an invalid-cast error when it is of another class).
  TcxDBTextEditDataBinding* DataBinding() const;
  void SetDataBinding(TcxDBTextEditDataBinding* Value) { DataBinding()->Assign(Value); }
  TcxDateEditProperties* Properties() const {
    return static_cast<TcxDateEditProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxDateEditProperties* Value) { Properties()->Assign(Value); }
  TClass GetPropertiesClass() override { return TcxDateEditProperties::StaticClass(); }

 protected:
  void Dispatch(TMessage& Message) override;
};
