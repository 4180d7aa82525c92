// The order picker: every order with its customer and the user who entered
// it; a double click on an order picks it.
#pragma once
#include "Forms.h"

class TDBGridEh;
class TADODataSet;
class TDataSource;

class TSaleListForm : public TForm {
  TOVANI_CLASS(TSaleListForm, TForm)
 public:
  explicit TSaleListForm(TComponent* AOwner = nullptr);
  ~TSaleListForm() override;
  void Loaded() override;

  TDBGridEh* DBGridEh1 = nullptr;
  TADODataSet* d_Orders = nullptr;   // its current record is the picked order
  TDataSource* ds_Orders = nullptr;

  void FormCreate(TObject* Sender);
  void DBGridEh1DblClick(TObject* Sender);
};

extern TSaleListForm* SaleListForm;
