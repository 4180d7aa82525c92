// The sales statistics window: the orders of a period, of one customer and
// one kind (normal orders or returns), with their total in the list's
// footer and the lines of the current order below. It only reads.
#pragma once
#include "Forms.h"

class TPanel;
class TDBLookupComboboxEh;
class TDateTimePicker;
class TComboBox;
class TButton;
class TDBGridEh;
class TSplitter;
class TADODataSet;
class TDataSource;
class TDataSet;

class TSaleStatForm : public TForm {
  TOVANI_CLASS(TSaleStatForm, TForm)
 public:
  explicit TSaleStatForm(TComponent* AOwner = nullptr);
  ~TSaleStatForm() override;
  void Loaded() override;

  TPanel* Panel1 = nullptr;
  TDBLookupComboboxEh* customer = nullptr;   // its Value: the chosen C_ID, null for all
  TDateTimePicker *dt1 = nullptr, *dt2 = nullptr;
  TComboBox* cb2 = nullptr;                  // "全部", "正常", "退货"
  TButton* Button1 = nullptr;
  TDBGridEh* DBGridEh1 = nullptr;            // the orders, the sum of O_JE in the footer
  TSplitter* Splitter1 = nullptr;
  TDBGridEh* DBGridEh2 = nullptr;            // the lines of the current order
  TADODataSet* d_Customers = nullptr;
  TDataSource* ds_Customers = nullptr;
  TADODataSet* d_Orders = nullptr;
  TDataSource* ds_Orders = nullptr;
  TADODataSet* d_Orders_d = nullptr;
  TDataSource* ds_Orders_d = nullptr;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void Button1Click(TObject* Sender);   // "统计"
  void d_OrdersAfterOpen(TDataSet* DataSet);
  void d_Orders_dAfterOpen(TDataSet* DataSet);
};

extern TSaleStatForm* SaleStatForm;
