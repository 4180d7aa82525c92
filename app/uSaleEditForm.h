// The order editor: one sales order's header (number, date, customer,
// return flag) and its lines (product, price, quantity, note, with the
// product's descriptive values copied in). Everything stays in the
// datasets' caches until "保存" writes header and lines in one transaction.
#pragma once
#include "Forms.h"

class TPanel;
class TDBText;
class TLabel;
class TButton;
class TDBGridEh;
class TActionList;
class TAction;
class TADODataSet;
class TDataSource;
class TDataSet;
class TField;

class TSaleEditForm : public TForm {
  TOVANI_CLASS(TSaleEditForm, TForm)
 public:
  explicit TSaleEditForm(TComponent* AOwner = nullptr);
  ~TSaleEditForm() override;
  void Loaded() override;

  TPanel *pnl2 = nullptr, *pnl1 = nullptr, *Panel1 = nullptr;
  TDBText *DBText1 = nullptr, *DBText3 = nullptr;
  // The editors of the header and of the current line (any focusable
  // data-aware controls of the form file).
  TWinControl *cxDBDateEdit1 = nullptr, *cxDBCheckBox1 = nullptr, *FCustomer = nullptr, *FProduct = nullptr,
              *FPrice = nullptr, *FQty = nullptr, *FBeiZhu = nullptr;
  TDBGridEh* DBGridEh1 = nullptr;   // the lines, with the sum of OD_JE in its footer
  TButton *Button1 = nullptr, *Button2 = nullptr;
  TActionList* ActionList1 = nullptr;
  TAction* actSearch = nullptr;
  // "select * from Orders where o_id = :o_id" (batch-optimistic).
  TADODataSet* d_Orders = nullptr;
  TDataSource* ds_Orders = nullptr;
  // The order's lines (batch-optimistic, detail of ds_Orders).
  TADODataSet* d_Orders_d = nullptr;
  TDataSource* ds_Orders_d = nullptr;
  // The customer list with one empty entry of the editor's own.
  TADODataSet* d_Customers = nullptr;
  TDataSource* ds_Customers = nullptr;
  TADODataSet* d_Products = nullptr;
  TDataSource* ds_Products = nullptr;

  // A new order: a header with its id, number, today's date and the
  // logged-in user, posted into the cache and in edit state again.
  void NewOrder();
  // The saved order `Id`, in edit state.
  void EditOrder(const Variant& Id);

  void FormCreate(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void FBeiZhuKeyPress(TObject* Sender, char32_t& Key);
  void d_OrdersAfterInsert(TDataSet* DataSet);
  void d_Orders_dAfterOpen(TDataSet* DataSet);
  void d_Orders_dBeforeInsert(TDataSet* DataSet);
  void d_Orders_dAfterInsert(TDataSet* DataSet);
  void d_Orders_dBeforePost(TDataSet* DataSet);
  void ds_Orders_dDataChange(TObject* Sender, TField* Field);
  void Button1Click(TObject* Sender);       // "保存"
  void actSearchExecute(TObject* Sender);   // "查找": another order from the picker

 private:
  void FocusControl(TWinControl* Control);
};

extern TSaleEditForm* SaleEditForm;
