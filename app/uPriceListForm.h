// The quotation window: the quotations with their customers, the lines of
// the current quotation with the picture of the current line's product;
// quotations are added and changed in the quotation editor, deleted with
// their lines, and written to a workbook from the template, shown to the
// user or mailed to the customer.
#pragma once
#include "Forms.h"

class TToolBar;
class TToolButton;
class TDBGridEh;
class TSplitter;
class TPanel;
class TImage;
class TADODataSet;
class TDataSource;
class TDataSet;
class TField;
class TExcel;
class TPriceListEditForm;

class TPriceListForm : public TForm {
  TOVANI_CLASS(TPriceListForm, TForm)
 public:
  explicit TPriceListForm(TComponent* AOwner = nullptr);
  ~TPriceListForm() override;
  void Loaded() override;

  TToolBar* ToolBar1 = nullptr;
  TToolButton *ToolButton1 = nullptr, *ToolButton3 = nullptr, *ToolButton4 = nullptr, *ToolButton5 = nullptr,
              *ToolButton7 = nullptr, *ToolButton8 = nullptr;
  TDBGridEh* DBGridEh1 = nullptr;   // the quotations
  TSplitter* Splitter1 = nullptr;
  TPanel* Panel1 = nullptr;
  TDBGridEh* DBGridEh2 = nullptr;   // the lines of the current quotation
  TImage* Image1 = nullptr;         // the current line's product picture
  TADODataSet* d_PriceList = nullptr;
  TDataSource* ds_PriceList = nullptr;
  // The lines joined with their products.
  TADODataSet* d_PriceList_d = nullptr;
  TDataSource* ds_PriceList_d = nullptr;
  // The pictures stored with the current line's product.
  TADODataSet* d_ProductPic = nullptr;
  TDataSource* ds_ProductPic = nullptr;

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void ToolButton1Click(TObject* Sender);   // "关闭"
  void ToolButton3Click(TObject* Sender);   // "添加"
  void ToolButton4Click(TObject* Sender);   // "修改"
  void ToolButton5Click(TObject* Sender);   // "删除"
  void ToolButton7Click(TObject* Sender);   // "发送邮件"
  void ToolButton8Click(TObject* Sender);   // "导出"
  void d_PriceList_dAfterOpen(TDataSet* DataSet);
  void ds_PriceList_dDataChange(TObject* Sender, TField* Field);

  // The workbook of the current quotation from the template
  // AppPath\mb\price.xlsx: the customer, date and number in its header, one
  // block of three rows per line (the template's rows 4 to 6 copied for
  // every further line) with the product's picture at its right. With
  // ForMail the picture is the product's first stored picture and keeps its
  // size; otherwise it is the product's picture file, scaled to 110 points.
  // Answers the file it was saved as: AppPath\price\<PL_NO>.xlsx.
  String WriteWorkbook(TExcel& Excel, bool ForMail);

 private:
  void RunEditor(TPriceListEditForm* Editor);
};

extern TPriceListForm* PriceListForm;

// A file of the program's folder, named relative to it the Windows way
// ("price\\<PL_NO>.xlsx").
String ProgramFile(const String& Relative);
// The product picture file of a product number: AppPath\Pictures\<P_NO>.jpg.
String ProductPictureFile(const String& ProductNo);
