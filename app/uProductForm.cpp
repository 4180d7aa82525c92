#include "uProductForm.h"

#include <memory>
#include <vector>
#include "ADODB.h"
#include "ActnList.h"
#include "Graphics.h"
#include "ComCtrls.h"
#include "DBActns.h"
#include "DBCtrls.h"
#include "DBCtrlsEh.h"
#include "DBGridEh.h"
#include "DateUtils.h"
#include "ImgList.h"
#include "Jpeg.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "ReportTemplates.h"
#include "dxdbtree.h"
#include "frxClass.h"
#include "frxDBSet.h"
#include "uMainForm.h"
#include "uDataForm.h"
#include "uProductEditForm.h"

TProductForm* ProductForm = nullptr;

TOVANI_IMPLEMENT_CLASS_FACTORY(TProductForm, TForm)
TOVANI_PUBLISHED(TProductForm) {
  Method("FormCreate", &TProductForm::FormCreate);
  Method("FormShow", &TProductForm::FormShow);
  Method("FormClose", &TProductForm::FormClose);
  Method("cbIncludeChildNodesClick", &TProductForm::cbIncludeChildNodesClick);
  Method("ToolButton1Click", &TProductForm::ToolButton1Click);
  Method("ToolButton6Click", &TProductForm::ToolButton6Click);
  Method("ToolButton7Click", &TProductForm::ToolButton7Click);
  Method("ToolButton8Click", &TProductForm::ToolButton8Click);
  Method("ToolButton15Click", &TProductForm::ToolButton15Click);
  Method("ToolButton16Click", &TProductForm::ToolButton16Click);
  Method("ToolButton18Click", &TProductForm::ToolButton18Click);
  Method("ToolButton19Click", &TProductForm::ToolButton19Click);
  Method("ToolButton20Click", &TProductForm::ToolButton20Click);
  Method("ToolButton21Click", &TProductForm::ToolButton21Click);
  Method("ToolButton22Click", &TProductForm::ToolButton22Click);
  Method("ToolButton23Click", &TProductForm::ToolButton23Click);
  Method("ToolButton24Click", &TProductForm::ToolButton24Click);
  Method("ToolButton25Click", &TProductForm::ToolButton25Click);
  Method("ToolButton26Click", &TProductForm::ToolButton26Click);
  Method("d_ProductsAfterInsert", &TProductForm::d_ProductsAfterInsert);
  Method("ds_ProductsDataChange", &TProductForm::ds_ProductsDataChange);
  Method("d_ProductCostsAfterPost", &TProductForm::d_ProductCostsAfterPost);
  Method("d_ProductCostsAfterDelete", &TProductForm::d_ProductCostsAfterDelete);
}

namespace {

bool Editing(TDataSet* ds) {
  return ds->State() == dsEdit || ds->State() == dsInsert || ds->State() == dsSetKey;
}

// The class tree's pictures: a closed folder (0) and an open one (1).
void LoadClassImages(TImageList* List) {
  List->Clear();
  List->SetSize(16, 16);
  List->SetMasked(true);
  for (int open = 0; open < 2; ++open) {
    TBitmap bmp;
    bmp.SetSize(16, 16);
    TCanvas* c = bmp.Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect(0, 0, 16, 16));
    c->Pen()->SetColor(TColor(0x006080));
    c->Brush()->SetColor(TColor(0x40C8F0));
    c->Rectangle(1, 3, 8, 6);
    c->Rectangle(1, 5, 15, 14);
    if (open) {
      c->Brush()->SetColor(TColor(0x80E0FF));
      c->Rectangle(3, 8, 15, 14);
    }
    List->AddMasked(&bmp, clFuchsia);
  }
}

}  // namespace

Currency SumCosts(TDataSet* DataSet) {
  TBookmark mark = DataSet->GetBookmark();
  DataSet->DisableControls();
  struct Restore {
    TDataSet* D;
    const TBookmark& M;
    ~Restore() {
      try {
        if (!M.empty() && D->BookmarkValid(M)) D->GotoBookmark(M);
      } catch (...) {
      }
      D->EnableControls();
    }
  } restore{DataSet, mark};
  Currency sum;
  for (DataSet->First(); !DataSet->Eof(); DataSet->Next()) sum = sum + DataSet->FieldByName("PC_Cost")->AsCurrency();
  return sum;
}

TProductForm::TProductForm(TComponent* AOwner) : TForm(AOwner) {}

TProductForm::~TProductForm() {
  if (ProductForm == this) ProductForm = nullptr;
  LeaveFocus(this);
  // The tree and the data source go after this object's own members: they
  // must not call back into it while they are taken down.
  if (tvClasses) tvClasses->OnChange = nullptr;
  if (ds_Products) ds_Products->OnDataChange = nullptr;
}

void TProductForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "ToolBar1", ToolBar1);
  BindComponent(this, "cbIncludeChildNodes", cbIncludeChildNodes);
  BindComponent(this, "tvClasses", tvClasses);
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "DBGridEh2", DBGridEh2);
  BindComponent(this, "PageControl1", PageControl1);
  BindComponent(this, "cb1", cb1);
  BindComponent(this, "cb3", cb3);
  BindComponent(this, "DBDateTimeEditEh1", DBDateTimeEditEh1);
  BindPicture();
  BindComponent(this, "lbPictureError", lbPictureError);
  BindComponent(this, "ImageList1", ImageList1);
  BindComponent(this, "ActionList1", ActionList1);
  BindComponent(this, "d_Classes", d_Classes);
  BindComponent(this, "ds_Classes", ds_Classes);
  BindComponent(this, "d_Products", d_Products);
  BindComponent(this, "ds_Products", ds_Products);
  BindComponent(this, "frxReport1", frxReport1);
  BindComponent(this, "frxDBDataset1", frxDBDataset1);
  BindComponent(this, "d_ProductPictures", d_ProductPictures);
  BindComponent(this, "d_ProductCosts", d_ProductCosts);
  BindComponent(this, "ds_ProductCosts", ds_ProductCosts);
  BindComponent(this, "d_CostItems", d_CostItems);
  BindComponent(this, "d_PictureType", d_PictureType);
}

void TProductForm::FormCreate(TObject*) {
  // Product pictures are JPEG files: the JPEG graphic must be in the
  // program for the picture loader to know the extension.
  (void)TJPEGImage::StaticClass();
  LoadClassImages(ImageList1);
  LoadReportTemplate(frxReport1, "ProductList", {frxDBDataset1});
  DataForm->LoadListFromTable(cb1->Items(), "B_Units", "UnitName");
  DataForm->LoadListFromTable(cb3->Items(), "B_Colors", "ColorName");
  DataForm->SetMoneyFormats(d_Products);
  // A product's picture file is named by its number: two products with one
  // number would share it.
  d_Products->BeforePost = [](TDataSet* ds) {
    DataForm->CheckUniqueCode(ds, "Products", "P_ID", "P_NO", "P_Name", "产品");
  };
  d_CostItems->Open();
  d_PictureType->Open();
  d_Classes->Open();
  d_Products->Open();
  d_ProductPictures->Open();
  d_ProductCosts->Open();
  DataForm->SetMoneyFormats(d_ProductCosts);
}

void TProductForm::FormShow(TObject*) {
  tvClasses->OnChange = [this](TObject* Sender, TTreeNode* Node) { tvClassesChange(Sender, Node); };
  if (tvClasses->Items()->Count() > 0) {
    tvClasses->Items()->Item(0)->Expand(false);
    tvClassesChange(tvClasses, tvClasses->Selected());
  }
}

void TProductForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

String TProductForm::CollectChildClassIDs(TdxDBTreeNode* Node) {
  String list;
  if (!Node) return list;
  TdxDBTreeNodes* nodes = tvClasses->DBNodes();
  for (Integer i = 0; i < nodes->Count(); ++i) {
    TdxDBTreeNode* n = nodes->GetNodeAt(i);
    if (n != Node && n->HasAsParent(Node)) list += VarToStr(n->KeyValue()) + ";";
  }
  return list;
}

void TProductForm::tvClassesChange(TObject*, TTreeNode*) {
  TdxDBTreeNode* node = tvClasses->CurrentRecordNode();
  // Without a class (an empty class table) the list holds the products
  // without one.
  Variant id = node ? node->KeyValue() : Variant(0);
  Integer includeChild = 0;
  String ids;
  if (cbIncludeChildNodes->Down() && node) {
    String list = CollectChildClassIDs(node);
    if (!list.empty()) {
      includeChild = 1;
      // Delimited on both sides, so that class 5 is not found in "15;".
      ids = ";" + list;
    }
  }
  d_Products->Parameters()->ParamByName("id")->SetValue(id);
  d_Products->Parameters()->ParamByName("IncludeChild")->SetValue(includeChild);
  d_Products->Parameters()->ParamByName("cls_id")->SetValue(ids);
  d_Products->Requery();
}

void TProductForm::cbIncludeChildNodesClick(TObject*) { tvClassesChange(tvClasses, tvClasses->Selected()); }

void TProductForm::ToolButton1Click(TObject*) { Close(); }

void TProductForm::d_ProductsAfterInsert(TDataSet*) {
  TdxDBTreeNode* node = tvClasses->CurrentRecordNode();
  d_Products->FieldByName("CLS_ID")->SetValue(node ? node->KeyValue() : Variant(0));
  d_Products->FieldByName("P_CreateDate")->SetAsDateTime(Date());
  d_Products->FieldByName("P_Enabled")->SetAsBoolean(false);
  // The price and the cost start at 0, as the database would store them: a
  // later write of the cost finds the row as this record has it.
  d_Products->FieldByName("P_Price")->SetAsCurrency(Currency());
  d_Products->FieldByName("P_Cost")->SetAsCurrency(Currency());
}

void TProductForm::EditInDialog() {
  std::unique_ptr<TProductEditForm> dialog(TCustomForm::Create<TProductEditForm>(nullptr));
  TModalResult result = dialog->ShowModal();
  dialog.reset();
  if (result == mrCancel) {
    if (d_Products->State() == dsInsert || d_Products->State() == dsEdit) d_Products->Cancel();
    return;
  }
  // The tree goes to the product's class (the list follows it), the list
  // to the product.
  Variant productId = d_Products->FieldByName("P_ID")->Value();
  Variant classId = d_Products->FieldByName("CLS_ID")->Value();
  d_Classes->Locate("CLS_ID", classId, {});
  if (!d_Products->Locate("P_ID", productId, {})) {
    tvClassesChange(tvClasses, tvClasses->Selected());
    d_Products->Locate("P_ID", productId, {});
  }
}

void TProductForm::ToolButton6Click(TObject*) {
  d_Products->Append();
  EditInDialog();
}

void TProductForm::ToolButton7Click(TObject*) {
  if (d_Products->IsEmpty()) return;
  d_Products->Edit();
  EditInDialog();
}

void TProductForm::ToolButton8Click(TObject*) {
  if (d_Products->IsEmpty()) return;
  if (MsgConfirm(Handle(), "真的要删除记录吗？") != IDOK) return;
  d_Products->Delete();
}

void TProductForm::ToolButton15Click(TObject*) { MainForm->PrintReport("", frxReport1); }

void TProductForm::ToolButton16Click(TObject*) { DataForm->ExportGridToExcel(DBGridEh1); }

void TProductForm::ToolButton19Click(TObject*) { d_Classes->Requery(); }

// ---------------------------------------------------------------------------
// Cost lines

void TProductForm::ToolButton18Click(TObject*) {
  if (!d_Products->IsEmpty()) d_ProductCosts->Append();
}

void TProductForm::ToolButton20Click(TObject*) {
  if (!d_Products->IsEmpty() && !d_ProductCosts->IsEmpty()) d_ProductCosts->Delete();
}

void TProductForm::ToolButton21Click(TObject*) {
  if (d_Products->IsEmpty()) return;
  if (Editing(d_ProductCosts)) d_ProductCosts->Post();
  else if (d_ProductCosts->PendingCount() > 0) WriteCosts();   // a write refused before
}

void TProductForm::ToolButton22Click(TObject*) {
  if (d_Products->IsEmpty()) return;
  if (Editing(d_ProductCosts)) d_ProductCosts->Cancel();
  else if (d_ProductCosts->PendingCount() > 0) d_ProductCosts->CancelBatch();
}

void TProductForm::d_ProductCostsAfterPost(TDataSet*) { WriteCosts(); }
void TProductForm::d_ProductCostsAfterDelete(TDataSet*) { WriteCosts(); }

void TProductForm::WriteCosts() {
  TADOConnection* conn = DataForm->conn;
  bool wasEditing = Editing(d_Products);
  TField* cost = d_Products->FieldByName("P_Cost");
  Variant oldCost = cost->Value();
  // The product as the user has it, edits in progress included.
  std::vector<Variant> values;
  for (Integer i = 0; i < d_Products->FieldCount(); ++i) values.push_back(d_Products->Fields().Fields(i)->Value());
  Variant productId = d_Products->FieldByName("P_ID")->Value();
  bool productWritten = false;
  conn->BeginTrans();
  try {
    // The product first (its own edits in progress go with the new cost),
    // the lines last: the lines' cache takes their write only when nothing
    // after it can fail, so a refused write leaves them pending.
    d_Products->Edit();
    cost->SetAsCurrency(SumCosts(d_ProductCosts));
    d_Products->Post();
    productWritten = true;
    d_ProductCosts->UpdateBatch();
    conn->CommitTrans();
  } catch (...) {
    try {
      conn->RollbackTrans();
    } catch (...) {
    }
    // Nothing was written: the lines keep the user's changes, still to be
    // written ("保存" tries again), and the product keeps the edits it had.
    try {
      if (!productWritten) {
        if (Editing(d_Products)) {
          if (wasEditing) cost->SetValue(oldCost);
          else d_Products->Cancel();
        }
      } else {
        // The product's row went back with the rollback: it is read again,
        // and edits the user had in progress are put back.
        d_Products->Refresh();
        d_Products->Locate("P_ID", productId, {});
        if (wasEditing) {
          d_Products->Edit();
          for (Integer i = 0; i < d_Products->FieldCount() && i < Integer(values.size()); ++i) {
            TField* f = d_Products->Fields().Fields(i);
            if (f != cost && !f->ReadOnly() && f->FieldKind() == fkData) f->SetValue(values[size_t(i)]);
          }
        }
      }
    } catch (...) {
    }
    throw;
  }
}

// ---------------------------------------------------------------------------
// Pictures

String TProductForm::PictureFileName(const String& ProductNo) {
  return DataForm->AppPath + "Pictures\\" + ProductNo + ".jpg";
}

void TProductForm::ToolButton23Click(TObject*) {
  if (!d_Products->IsEmpty()) d_ProductPictures->Append();
}

void TProductForm::ToolButton24Click(TObject*) {
  if (!d_ProductPictures->IsEmpty()) d_ProductPictures->Delete();
}

void TProductForm::ToolButton25Click(TObject*) {
  if (Editing(d_ProductPictures)) d_ProductPictures->Post();
}

void TProductForm::ToolButton26Click(TObject*) {
  if (Editing(d_ProductPictures)) d_ProductPictures->Cancel();
}
