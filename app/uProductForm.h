// The product window: the tree of product classes on the left, the
// products of the chosen class (and, with "查看子类" down, of every class
// below it) in a read-only grid, and below them the chosen product's data,
// its picture and its cost lines. Products are added and edited one at a
// time in the product dialog (TProductEditForm).
#pragma once
#include "Currency.h"
#include "DB.h"
#include "Forms.h"

class TToolBar;
class TToolButton;
class TDBGridEh;
class TDBComboBox;
class TDBDateTimeEditEh;
class TActionList;
class TPageControl;
class TcxImage;
class TImageList;
class TLabel;
class TTreeNode;
class TADODataSet;
class TADOTable;
class TDataSource;
class TfrxReport;
class TfrxDBDataset;
class TdxDBTreeView;
class TdxDBTreeNode;
class TStrings;

class TProductForm : public TForm {
  TOVANI_CLASS(TProductForm, TForm)
 public:
  explicit TProductForm(TComponent* AOwner = nullptr);
  ~TProductForm() override;
  void Loaded() override;

  TToolBar* ToolBar1 = nullptr;
  TToolButton* cbIncludeChildNodes = nullptr;
  TdxDBTreeView* tvClasses = nullptr;
  TDBGridEh* DBGridEh1 = nullptr;
  TDBGridEh* DBGridEh2 = nullptr;
  TPageControl* PageControl1 = nullptr;
  TDBComboBox *cb1 = nullptr, *cb3 = nullptr;
  TDBDateTimeEditEh* DBDateTimeEditEh1 = nullptr;
  // The picture of the current product (read-only image editor).
  TcxImage* Image1 = nullptr;
  // Names a picture file that could not be read (hidden otherwise).
  TLabel* lbPictureError = nullptr;
  TImageList* ImageList1 = nullptr;
  TActionList* ActionList1 = nullptr;
  TADODataSet* d_Classes = nullptr;
  TDataSource* ds_Classes = nullptr;
  // The products of the chosen class, with the sub-classes' when wanted:
  // parameters id, IncludeChild and cls_id (";"-delimited class ids).
  TADODataSet* d_Products = nullptr;
  TDataSource* ds_Products = nullptr;
  // The printed product list over ds_Products (report dataset "产品"): the
  // list as currently filtered.
  TfrxReport* frxReport1 = nullptr;
  TfrxDBDataset* frxDBDataset1 = nullptr;
  TADODataSet* d_ProductPictures = nullptr;
  TADODataSet* d_ProductCosts = nullptr;
  TDataSource* ds_ProductCosts = nullptr;
  TADOTable* d_CostItems = nullptr;
  TADODataSet* d_PictureType = nullptr;

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  // Lists the products of the tree's current class (see ClassFilter).
  void tvClassesChange(TObject* Sender, TTreeNode* Node);
  void cbIncludeChildNodesClick(TObject* Sender);
  void ToolButton1Click(TObject* Sender);
  // "添加" (F1), "修改" (F3): the product in the product dialog.
  void ToolButton6Click(TObject* Sender);
  void ToolButton7Click(TObject* Sender);
  // "删除" (F4): the current product, after a question.
  void ToolButton8Click(TObject* Sender);
  void ToolButton15Click(TObject* Sender);
  void ToolButton16Click(TObject* Sender);
  // "刷新分类": the class tree read again.
  void ToolButton19Click(TObject* Sender);
  // Cost lines: add, delete, save, undo.
  void ToolButton18Click(TObject* Sender);
  void ToolButton20Click(TObject* Sender);
  void ToolButton21Click(TObject* Sender);
  void ToolButton22Click(TObject* Sender);
  // Picture rows: add, delete, save, undo.
  void ToolButton23Click(TObject* Sender);
  void ToolButton24Click(TObject* Sender);
  void ToolButton25Click(TObject* Sender);
  void ToolButton26Click(TObject* Sender);
  // A new product: the current class, today, not approved.
  void d_ProductsAfterInsert(TDataSet* DataSet);
  // The picture of the current product.
  void ds_ProductsDataChange(TObject* Sender, TField* Field);
  // A cost line and the product's cost (the sum of its lines) are written
  // together in one transaction (the lines wait in the dataset until then).
  void d_ProductCostsAfterPost(TDataSet* DataSet);
  void d_ProductCostsAfterDelete(TDataSet* DataSet);

  // The ids of every class below Node (not Node's own), each followed by ";".
  String CollectChildClassIDs(TdxDBTreeNode* Node);
  // The file of a product's picture: AppPath + "Pictures\" + P_NO + ".jpg".
  static String PictureFileName(const String& ProductNo);

 private:
  void BindPicture();
  void EditInDialog();
  void WriteCosts();
};

extern TProductForm* ProductForm;

// The sum of the PC_Cost values of every record of DataSet, exactly (as
// currency); the dataset stays on its record.
Currency SumCosts(TDataSet* DataSet);
