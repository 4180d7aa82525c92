// The quotation editor: a quotation's header (number, date, customer, note)
// and its lines (product and quoted price). Everything stays in the
// datasets' caches until "保存" writes header and lines in one transaction.
#pragma once
#include "Forms.h"

class TButton;
class TDBGridEh;
class TADODataSet;
class TDataSource;
class TDataSet;
class TField;

class TPriceListEditForm : public TForm {
  TOVANI_CLASS(TPriceListEditForm, TForm)
 public:
  explicit TPriceListEditForm(TComponent* AOwner = nullptr);
  ~TPriceListEditForm() override;
  void Loaded() override;

  // The header's and the line's editors (focusable data-aware controls).
  TWinControl *DBEdit1 = nullptr, *cxDBDateEdit1 = nullptr, *cxDBLookupComboBox1 = nullptr, *DBMemo1 = nullptr,
              *FPNO = nullptr, *FPrice = nullptr;
  TDBGridEh* DBGridEh1 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr, *Button5 = nullptr,
          *Button6 = nullptr;
  TADODataSet* d_PriceList = nullptr;
  TDataSource* ds_PriceList = nullptr;
  TADODataSet* d_Customers = nullptr;
  TDataSource* ds_Customers = nullptr;
  TADODataSet* d_PriceList_d = nullptr;
  TDataSource* ds_PriceList_d = nullptr;
  TADODataSet* d_Products = nullptr;
  TDataSource* ds_Products = nullptr;

  // A new quotation: its id, number and today's date, posted into the cache.
  void NewPriceList();
  // The saved quotation `Id`.
  void EditPriceList(const Variant& Id);

  void FormCreate(TObject* Sender);
  void d_PriceListAfterInsert(TDataSet* DataSet);
  void ds_PriceList_dDataChange(TObject* Sender, TField* Field);
  void FPNOKeyPress(TObject* Sender, char32_t& Key);
  void FPriceKeyPress(TObject* Sender, char32_t& Key);
  void Button1Click(TObject* Sender);   // "保存"
  void Button3Click(TObject* Sender);   // "添加明细"
  void Button4Click(TObject* Sender);   // "保存明细"
  void Button5Click(TObject* Sender);   // "撤消修改"
  void Button6Click(TObject* Sender);   // "删除明细"

 private:
  void PostLine();
};

extern TPriceListEditForm* PriceListEditForm;
