// The lookup grid bound to a dataset: its data controller reads the records
// of a data source's dataset, its columns name dataset fields, and its
// options add the data controller's sync mode (the list's focused row and the
// list dataset's current record follow each other). The lookup combo box
// shows one of these as the list of its drop-down.
#pragma once
#include "DB.h"
#include "cxDBData.h"
#include "cxDBEdit.h"
#include "cxLookupGrid.h"

class TcxCustomLookupDBGrid;
class TStrings;

class TcxLookupGridDBDataController : public TcxDBDataController {
  TOVANI_CLASS(TcxLookupGridDBDataController, TcxDBDataController)
 public:
  // A lookup list neither follows nor moves its dataset's cursor, and does
  // not track inserts, unless its options switch sync mode on.
  explicit TcxLookupGridDBDataController(TComponent* AOwner);
  TObject* GetItem(Integer Index) const override;
  void DataScrolled() override;
  TcxCustomLookupDBGrid* Grid() const;
};

// Draws a column's values with its field's formats and alignment.
class TcxLookupDBGridDefaultValuesProvider : public TcxCustomDBEditDefaultValuesProvider {
  TOVANI_CLASS(TcxLookupDBGridDefaultValuesProvider, TcxCustomDBEditDefaultValuesProvider)
 public:
  explicit TcxLookupDBGridDefaultValuesProvider(TPersistent* AOwner = nullptr)
      : TcxCustomDBEditDefaultValuesProvider(AOwner) {}
  bool IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) override;
};

class TcxLookupDBGridColumn : public TcxLookupGridColumn {
  TOVANI_CLASS(TcxLookupDBGridColumn, TcxLookupGridColumn)
 public:
  explicit TcxLookupDBGridColumn(TCollection* ACollection = nullptr) : TcxLookupGridColumn(ACollection) {}
  void Assign(TPersistent* Source) override;

  String FieldName();
  void SetFieldName(const String& Value);
  // Null while the dataset is closed or the name matches no field.
  TField* Field();
  TcxCustomLookupDBGrid* DBGrid() const;
  // The column's provider takes the column's field.
  void LinkField();

  void GetDefaultCaption(String& ACaption) override;
  TcxEditRepositoryItem* GetDefaultRepositoryItem() override;
  Integer GetDefaultWidth() override;
  TcxCustomEditDefaultValuesProvider* CreateDefaultValuesProvider() override;

 private:
  // The name given before the column joined a grid.
  String FPendingFieldName;
};

class TcxLookupDBGridColumns : public TcxLookupGridColumns {
  TOVANI_CLASS(TcxLookupDBGridColumns, TcxLookupGridColumns)
 public:
  using TcxLookupGridColumns::TcxLookupGridColumns;
  TcxLookupDBGridColumn* Add() { return static_cast<TcxLookupDBGridColumn*>(TCollection::Add()); }
  TcxLookupDBGridColumn* Items(Integer Index) const {
    return static_cast<TcxLookupDBGridColumn*>(TCollection::Items(Index));
  }
  // The first column whose field name equals Name ignoring case.
  TcxLookupDBGridColumn* FindByFieldName(const String& AName) const;
};

class TcxLookupDBGridOptions : public TcxLookupGridOptions {
  TOVANI_CLASS(TcxLookupDBGridOptions, TcxLookupGridOptions)
 public:
  using TcxLookupGridOptions::TcxLookupGridOptions;
  void Assign(TPersistent* Source) override;
  // The sync mode of the grid's data controller (False without a grid).
  bool SyncMode() const;
  void SetSyncMode(bool Value);
};

class TcxCustomLookupDBGrid : public TcxCustomLookupGrid {
  TOVANI_CLASS(TcxCustomLookupDBGrid, TcxCustomLookupGrid)
 public:
  explicit TcxCustomLookupDBGrid(TComponent* AOwner = nullptr);

  TcxLookupDBGridColumns* Columns() const { return static_cast<TcxLookupDBGridColumns*>(TcxCustomLookupGrid::Columns()); }
  TcxLookupDBGridOptions* Options() const { return static_cast<TcxLookupDBGridOptions*>(TcxCustomLookupGrid::Options()); }
  TcxLookupGridDBDataController* DataController() const {
    return static_cast<TcxLookupGridDBDataController*>(TcxCustomLookupGrid::DataController());
  }
  TDataSource* DataSource() const;
  void SetDataSource(TDataSource* Value);
  String KeyFieldNames() const;
  void SetKeyFieldNames(const String& Value);
  // Columns for the ";"-separated field names, the old ones cleared.
  void SetFieldNames(const String& AText);
  virtual void CreateColumnsForFields(TStrings* ANames);

 protected:
  TClass GetColumnClass() override;
  TcxLookupGridColumns* CreateColumns() override;
  TcxCustomDataController* CreateDataControllerObject() override;
  TcxLookupGridOptions* CreateOptions() override;
  void HandleDataChange() override;
  void DefineScrollBars() override;
  void ScrollContent(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& APosition) override;

 private:
  bool UsesDataSetScrolling();
};
