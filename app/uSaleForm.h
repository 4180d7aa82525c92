// The sales window: the sales orders of a period with their customers, the
// lines of the current order below; orders are added and changed in the
// order editor (TSaleEditForm) and deleted with their lines.
#pragma once
#include "Forms.h"

class TToolBar;
class TToolButton;
class TPanel;
class TDateTimePicker;
class TButton;
class TDBGridEh;
class TSplitter;
class TADODataSet;
class TDataSource;
class TDataSet;
class TSaleEditForm;
class TfrxReport;
class TfrxDBDataset;
class TfrxReportComponent;

class TSaleForm : public TForm {
  TOVANI_CLASS(TSaleForm, TForm)
 public:
  explicit TSaleForm(TComponent* AOwner = nullptr);
  ~TSaleForm() override;
  void Loaded() override;

  TToolBar* ToolBar1 = nullptr;
  TToolButton *ToolButton1 = nullptr, *ToolButton3 = nullptr, *ToolButton4 = nullptr, *ToolButton5 = nullptr,
              *ToolButton7 = nullptr;
  TPanel* Panel1 = nullptr;
  // The period of "查询"; a cleared check box leaves that end open.
  TDateTimePicker *dt1 = nullptr, *dt2 = nullptr;
  TButton* Button1 = nullptr;
  TDBGridEh* DBGridEh1 = nullptr;   // the orders
  TSplitter* Splitter1 = nullptr;
  TDBGridEh* DBGridEh2 = nullptr;   // the lines of the current order
  // The orders with their customers' numbers, names and addresses; empty
  // until the first "查询".
  TADODataSet* d_Orders = nullptr;
  TDataSource* ds_Orders = nullptr;
  // The lines of the current order.
  TADODataSet* d_Orders_d = nullptr;
  TDataSource* ds_Orders_d = nullptr;
  // The printed sales order: the header from the current order of the list
  // ("frxDBDataset1"), the lines from its lines ("frxDBDataset2").
  TfrxReport* frxReport1 = nullptr;
  TfrxDBDataset *frxDBDataset1 = nullptr, *frxDBDataset2 = nullptr;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void ToolButton1Click(TObject* Sender);   // "关闭"
  void Button1Click(TObject* Sender);       // "查询"
  void ToolButton3Click(TObject* Sender);   // "添加": a new order in the editor
  void ToolButton4Click(TObject* Sender);   // "修改": the current order in the editor
  void ToolButton5Click(TObject* Sender);   // "删除": the current order with its lines
  void ToolButton7Click(TObject* Sender);   // "打印"
  void d_Orders_dAfterOpen(TDataSet* DataSet);
  // Puts the company name of the settings (参数 "企业名称") into the
  // order's title.
  void frxReport1BeforePrint(TfrxReportComponent* Sender);

  // The query of "查询" for the pickers' current dates.
  String OrderQuery();

 private:
  // Shows the editor modally; after a save the list is read again and
  // positioned on the saved order.
  void RunEditor(TSaleEditForm* Editor);
};

// The sales window created hidden at start-up, and the one the menu opens.
extern TSaleForm* SaleForm;
