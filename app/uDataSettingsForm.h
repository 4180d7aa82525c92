// The lookup lists dialog: one tab per small table (units, colours, cost
// items, picture types, settings), its rows edited in a grid. Rows are
// added, deleted, saved and cancelled with the buttons (the grid's own
// keyboard cannot delete).
#pragma once
#include "Forms.h"

class TTabControl;
class TDBGridEh;
class TButton;
class TActionList;
class TDataSetInsert;
class TDataSetDelete;
class TDataSetPost;
class TDataSetCancel;
class TADODataSet;
class TDataSource;

class TDataSettingsForm : public TForm {
  TOVANI_CLASS(TDataSettingsForm, TForm)
 public:
  explicit TDataSettingsForm(TComponent* AOwner = nullptr);
  ~TDataSettingsForm() override;
  void Loaded() override;

  TTabControl* TabControl2 = nullptr;
  TDBGridEh* DBGridEh1 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;
  TActionList* ActionList1 = nullptr;
  // The buttons' actions; without a data source of their own they act on
  // the grid's.
  TDataSetInsert* DataSetInsert1 = nullptr;
  TDataSetDelete* DataSetDelete1 = nullptr;
  TDataSetPost* DataSetPost1 = nullptr;
  TDataSetCancel* DataSetCancel1 = nullptr;
  // The table of the selected tab; posts written at once.
  TADODataSet* d_Data = nullptr;
  TDataSource* ds_Data = nullptr;

  void FormCreate(TObject* Sender);
  // Loads the table of the selected tab: the key column hidden, the others
  // titled and sized.
  void TabControl2Change(TObject* Sender);
};
