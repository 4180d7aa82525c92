// The lookup combo box: the editor with which the order and quotation
// windows pick a customer or a product. Its value is the key of the chosen
// record of a list dataset (KeyFieldNames), its text that record's text in
// one list column (ListFieldIndex), and its drop-down a grid of the list
// records (ListSource, ListColumns, ListOptions). The data-aware form writes
// the key into a field of the edited record.
#pragma once
#include "cxDBLookupEdit.h"
#include "cxLookupDBGrid.h"

class TcxLookupComboBoxProperties : public TcxCustomDBLookupEditProperties {
  TOVANI_CLASS(TcxLookupComboBoxProperties, TcxCustomDBLookupEditProperties)
 public:
  explicit TcxLookupComboBoxProperties(TPersistent* AOwner = nullptr);
  ~TcxLookupComboBoxProperties() override;
  void Assign(TPersistent* Source) override;

  TcxCustomLookupDBGrid* Grid() const { return FGrid.get(); }
  TcxLookupDBGridColumns* ListColumns() const { return FGrid->Columns(); }
  void SetListColumns(TcxLookupDBGridColumns* Value);
  TcxLookupDBGridOptions* ListOptions() const { return FGrid->Options(); }
  void SetListOptions(TcxLookupDBGridOptions* Value) { FGrid->AssignOptions(Value); }
  TDataSource* ListSource();
  void SetListSource(TDataSource* Value);
  TcxDataControllerNotifyEvent& OnSortingChanged() { return FGrid->DataController()->OnSortingChanged; }

  virtual TcxCustomLookupDBGrid* CreateLookupGrid() { return new TcxCustomLookupDBGrid(nullptr); }
  virtual void ListOptionsChanged(TObject* Sender) { Changed(); }

  // The hooks of the lookup editors answered with the drop-down grid.
  TClass GetContainerClass() override;
  Integer GetListColumnCount() override { return FGrid ? FGrid->Columns()->Count() : 0; }
  TcxCustomLookupGrid* GetListGrid() override { return FGrid.get(); }
  TcxCustomDataController* GetListDataController() override { return FGrid ? FGrid->DataController() : nullptr; }
  TcxDBDataController* GetListDBDataController() override { return FGrid ? FGrid->DataController() : nullptr; }
  Integer GetListColumnsWidth() override;
  Integer SnapListHeight(Integer AHeight) override { return FGrid->SnapHeightToRows(AHeight); }
  Integer GetListHeightForRows(Integer ARowCount) override { return FGrid->GetHeightForRows(ARowCount); }
  bool IsPointInList(const TPoint& P) override { return FGrid->RowAtPoint(P); }
  void SetListEvents(const TcxLookupGridCloseRequestEvent& ACloseRequest, const TNotifyEvent& AFocusMoved,
                     const TNotifyEvent& AItemClick) override;
  void SetListAppearance(TcxLookAndFeel* ALookAndFeel, TColor AColor, TFont* AFont) override;
  void ListShown() override { FGrid->SaveCursorPos(); }
  void ShowFocusedListRow() override { FGrid->MakeFocusedRowVisible(); }
  void ReleaseListMouse() override { FGrid->SetMouseCapture(false); }
  void BeginListColumnsUpdate() override { FGrid->BeginUpdate(); }
  void EndListColumnsUpdate() override { FGrid->EndUpdate(); }
  void AddListColumnForField(const String& AFieldName) override;
  void SetListFieldNamesText(const String& AText) override { FGrid->SetFieldNames(AText); }
  TField* GetListColumnField(Integer AIndex) override { return FGrid->Columns()->Items(AIndex)->Field(); }
  void GetListColumnFieldName(Integer AIndex, String& AName) override {
    AName = FGrid->Columns()->Items(AIndex)->FieldName();
  }
  Integer FindListColumnByFieldName(const String& AName) override;

 private:
  std::unique_ptr<TcxCustomLookupDBGrid> FGrid;
};

// The lookup combo box in a filter row: the operand is a key, shown as its
// text; equal, not equal, null and not null are offered.
class TcxFilterLookupComboBoxHelper : public TcxFilterComboBoxHelper {
  TOVANI_CLASS(TcxFilterLookupComboBoxHelper, TcxFilterComboBoxHelper)
 public:
  TClass GetFilterEditorClass() const override;
  bool AcceptsProperties(TcxCustomEditProperties* ASourceProperties) const override;
  void ReadFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties, Variant& AValue,
                       String& ADisplayText) const override;
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties* AProperties, TcxValueTypeClass AValueTypeClass,
                                             bool AExtended) const override;
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASourceProperties,
                            bool AKeepButtons) const override;
  bool IsValueAcceptable(TcxValueTypeClass AValueTypeClass, Variant& AValue) const override { return true; }
};

// The unit's start-up (run once, on first use of the lookup combo box
// properties): the properties join the editor registry and the filter rows.
void cxDBLookupComboBoxUnitStartup();

class TcxCustomLookupComboBox : public TcxCustomDBLookupEdit {
  TOVANI_CLASS(TcxCustomLookupComboBox, TcxCustomDBLookupEdit)
 public:
  explicit TcxCustomLookupComboBox(TComponent* AOwner = nullptr, bool AIsInplace = false);
  TClass GetPropertiesClass() override { return TcxLookupComboBoxProperties::StaticClass(); }
  TcxLookupComboBoxProperties* Properties() const {
    return static_cast<TcxLookupComboBoxProperties*>(TcxCustomEdit::Properties());
  }
  void SetProperties(TcxLookupComboBoxProperties* Value) { Properties()->Assign(Value); }
  TcxLookupComboBoxProperties* ActiveProperties() {
    return static_cast<TcxLookupComboBoxProperties*>(GetEffectiveProperties());
  }
};

class TcxLookupComboBox : public TcxCustomLookupComboBox {
  TOVANI_CLASS(TcxLookupComboBox, TcxCustomLookupComboBox)
 public:
  explicit TcxLookupComboBox(TComponent* AOwner = nullptr, bool AIsInplace = false)
      : TcxCustomLookupComboBox(AOwner, AIsInplace) {}
};

class TcxDBLookupComboBox : public TcxCustomLookupComboBox {
  TOVANI_CLASS(TcxDBLookupComboBox, TcxCustomLookupComboBox)
 public:
  explicit TcxDBLookupComboBox(TComponent* AOwner = nullptr);
  TcxDBLookupEditDataBinding* DataBinding() const;
  void SetDataBinding(TcxDBLookupEditDataBinding* Value) { DataBinding()->Assign(Value); }

 protected:
  void Dispatch(TMessage& Message) override;
};
