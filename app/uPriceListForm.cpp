#include "uPriceListForm.h"

#include <windows.h>
#include <memory>
#include "ADODB.h"
#include "ComCtrls.h"
#include "DBGridEh.h"
#include "ExtCtrls.h"
#include "MapiControl.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "uDataForm.h"
#include "uExcel.h"
#include "uPriceListEditForm.h"
#include "uSaleData.h"

TPriceListForm* PriceListForm = nullptr;

TOVANI_IMPLEMENT_CLASS_FACTORY(TPriceListForm, TForm)
TOVANI_PUBLISHED(TPriceListForm) {
  Method("FormCreate", &TPriceListForm::FormCreate);
  Method("FormClose", &TPriceListForm::FormClose);
  Method("ToolButton1Click", &TPriceListForm::ToolButton1Click);
  Method("ToolButton3Click", &TPriceListForm::ToolButton3Click);
  Method("ToolButton4Click", &TPriceListForm::ToolButton4Click);
  Method("ToolButton5Click", &TPriceListForm::ToolButton5Click);
  Method("ToolButton7Click", &TPriceListForm::ToolButton7Click);
  Method("ToolButton8Click", &TPriceListForm::ToolButton8Click);
  Method("d_PriceList_dAfterOpen", &TPriceListForm::d_PriceList_dAfterOpen);
  Method("ds_PriceList_dDataChange", &TPriceListForm::ds_PriceList_dDataChange);
}

namespace {

bool IsFile(const String& name) {
  std::u16string w = Utf8ToUtf16(name);
  DWORD a = GetFileAttributesW(reinterpret_cast<LPCWSTR>(w.c_str()));
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The quotation template mb\price.xlsx. A program folder without one gets
// the program's own, as it gets its own data.mdb: the title and header labels
// in rows 1 to 3 with the cells the export fills (B2 customer, D2 date, G2
// number), and the block of one line in rows 4 to 6 with the product labels
// and column 7 wide enough for the picture. A template the user put there
// is used as it is.
String QuotationTemplate() {
  String file = ProgramFile("mb\\price.xlsx");
  if (IsFile(file)) return file;
  std::u16string dir = Utf8ToUtf16(ProgramFile("mb"));
  CreateDirectoryW(reinterpret_cast<LPCWSTR>(dir.c_str()), nullptr);
  auto book = TWorkbook::CreateNew();
  TWorksheet& s = book->Sheet(1);
  s.SetText(1, 1, "报价单");
  s.SetText(2, 1, "客户：");
  s.SetText(2, 3, "日期：");
  s.SetText(2, 5, "单号：");
  s.SetText(3, 1, "产品资料");
  s.SetText(3, 7, "图片");
  s.SetText(4, 1, "编号");
  s.SetText(5, 1, "名称");
  s.SetText(4, 3, "颜色");
  s.SetText(5, 3, "尺寸");
  s.SetText(4, 5, "毛重");
  s.SetText(5, 5, "净重");
  s.SetText(6, 5, "单价");
  s.SetNumberFormat(2, 4, "yyyy-mm-dd");
  s.SetNumberFormat(6, 6, "\"￥\"#,##0.00");
  s.SetColumnWidth(2, 16);
  s.SetColumnWidth(4, 12);
  s.SetColumnWidth(6, 12);
  s.SetColumnWidth(7, 24);   // a picture 110 points wide, 8 in
  book->SaveAs(file);
  return file;
}

String TempFolder() {
  char16_t dir[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH, reinterpret_cast<LPWSTR>(dir));
  return Utf16ToUtf8(std::u16string(dir, n));
}

}  // namespace

String ProgramFile(const String& Relative) {
  // The program folder names its files the Windows way; a folder given as a
  // Linux path (tests) keeps its own separator.
  const String& folder = DataForm->AppPath;
  String rel = Relative;
  if (folder.find('\\') == String::npos)
    for (char& c : rel)
      if (c == '\\') c = '/';
  return folder + rel;
}

String ProductPictureFile(const String& ProductNo) { return ProgramFile("Pictures\\" + ProductNo + ".jpg"); }

TPriceListForm::TPriceListForm(TComponent* AOwner) : TForm(AOwner) {}

TPriceListForm::~TPriceListForm() {
  if (PriceListForm == this) PriceListForm = nullptr;
  LeaveFocus(this);
}

void TPriceListForm::Loaded() {
  TForm::Loaded();
  BindComponent(this, "ToolBar1", ToolBar1);
  BindComponent(this, "ToolButton1", ToolButton1);
  BindComponent(this, "ToolButton3", ToolButton3);
  BindComponent(this, "ToolButton4", ToolButton4);
  BindComponent(this, "ToolButton5", ToolButton5);
  BindComponent(this, "ToolButton7", ToolButton7);
  BindComponent(this, "ToolButton8", ToolButton8);
  BindComponent(this, "DBGridEh1", DBGridEh1);
  BindComponent(this, "Splitter1", Splitter1);
  BindComponent(this, "Panel1", Panel1);
  BindComponent(this, "DBGridEh2", DBGridEh2);
  BindComponent(this, "Image1", Image1);
  BindComponent(this, "d_PriceList", d_PriceList);
  BindComponent(this, "ds_PriceList", ds_PriceList);
  BindComponent(this, "d_PriceList_d", d_PriceList_d);
  BindComponent(this, "ds_PriceList_d", ds_PriceList_d);
  BindComponent(this, "d_ProductPic", d_ProductPic);
  BindComponent(this, "ds_ProductPic", ds_ProductPic);
}

void TPriceListForm::FormCreate(TObject*) {
  d_PriceList->Open();
  d_PriceList_d->Open();
  d_ProductPic->Open();
}

void TPriceListForm::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TPriceListForm::ToolButton1Click(TObject*) { Close(); }

void TPriceListForm::d_PriceList_dAfterOpen(TDataSet* DataSet) { DataForm->SetMoneyFormats(DataSet); }

void TPriceListForm::ds_PriceList_dDataChange(TObject*, TField* Field) {
  if (Field || !Image1) return;
  String file = d_PriceList_d->IsEmpty() ? String() : ProductPictureFile(d_PriceList_d->FieldByName("P_NO")->AsString());
  try {
    if (!file.empty() && IsFile(file)) {
      Image1->Picture()->LoadFromFile(file);
      return;
    }
  } catch (const Exception&) {
    // A picture file that cannot be read shows as no picture.
  }
  Image1->Picture()->SetGraphic(nullptr);
}

void TPriceListForm::RunEditor(TPriceListEditForm* Editor) {
  if (Editor->ShowModal() != mrOk) return;
  Variant id = Editor->d_PriceList->FieldByName("PL_ID")->Value();
  d_PriceList->Requery();
  d_PriceList->Locate("PL_ID", id, {});
}

void TPriceListForm::ToolButton3Click(TObject*) {
  std::unique_ptr<TPriceListEditForm> editor(TCustomForm::Create<TPriceListEditForm>(nullptr));
  editor->NewPriceList();
  RunEditor(editor.get());
  LeaveFocus(editor.get());
}

void TPriceListForm::ToolButton4Click(TObject*) {
  if (d_PriceList->IsEmpty()) return;
  std::unique_ptr<TPriceListEditForm> editor(TCustomForm::Create<TPriceListEditForm>(nullptr));
  editor->EditPriceList(d_PriceList->FieldByName("PL_ID")->Value());
  RunEditor(editor.get());
  LeaveFocus(editor.get());
}

void TPriceListForm::ToolButton5Click(TObject*) {
  if (d_PriceList->IsEmpty()) return;
  if (MsgConfirm(Handle(), "确定要删除记录吗?") != IDOK) return;
  DeleteDocument(PriceListTables, d_PriceList->FieldByName("PL_ID")->AsInteger());
  d_PriceList->Delete();   // (from the list's cache; it is never written back)
}

String TPriceListForm::WriteWorkbook(TExcel& Excel, bool ForMail) {
  TDataSet* head = d_PriceList;
  TDataSet* lines = d_PriceList_d;
  Excel.SetRangeText("B2", head->FieldByName("c_name")->Value());
  Excel.SetRangeValue("D2", head->FieldByName("PL_Date")->Value());
  Excel.SetRangeText("G2", head->FieldByName("PL_NO")->Value());
  // The template's rows 4 to 6 are the block of one line; every further
  // line gets a copy four rows further down.
  Excel.Sheet->CopyRows(4, 6);
  Integer n = lines->RecordCount();
  for (Integer k = 0; k + 1 < n; ++k) Excel.Sheet->Paste(4 * k + 8, 1);
  Integer i = 0;
  for (lines->First(); !lines->Eof(); lines->Next(), ++i) {
    int r = 4 * i + 4;
    Excel.SetCellText(r, 2, lines->FieldByName("P_NO")->Value());
    Excel.SetCellText(r + 1, 2, lines->FieldByName("P_Name")->Value());
    Excel.SetCellText(r, 4, lines->FieldByName("P_Color")->Value());
    Excel.SetCellText(r + 1, 4, lines->FieldByName("P_Size")->Value());
    Excel.SetCellValue(r, 6, lines->FieldByName("P_GWeight")->Value());
    Excel.SetCellValue(r + 1, 6, lines->FieldByName("P_NWeight")->Value());
    Excel.SetCellText(r + 2, 2, lines->FieldByName("P_NO")->Value());
    Excel.SetCellValue(r + 2, 6, lines->FieldByName("PLD_Price")->Value());
    if (ForMail) {
      if (d_ProductPic->IsEmpty()) continue;
      String file = TempFolder() + "picfile.jpg";
      static_cast<TBlobField*>(d_ProductPic->FieldByName("PP_Picture"))->SaveToFile(file);
      TWorkbookPicture& pic = Excel.Sheet->InsertPicture(file, r, 7);
      pic.Left += 8;
      pic.Top += 8;
    } else {
      String file = ProductPictureFile(lines->FieldByName("P_NO")->AsString());
      if (!IsFile(file)) continue;
      TWorkbookPicture& pic = Excel.Sheet->InsertPicture(file, r, 7);
      pic.Left += 8;
      pic.Top += 8;
      if (pic.Width() > pic.Height()) pic.SetWidth(110);
      else pic.SetHeight(110);
    }
  }
  std::u16string folder = Utf8ToUtf16(ProgramFile("price"));
  CreateDirectoryW(reinterpret_cast<LPCWSTR>(folder.c_str()), nullptr);   // (when missing)
  String file = ProgramFile("price\\" + head->FieldByName("PL_NO")->AsString() + ".xlsx");
  Excel.SaveAs(file);
  return file;
}

void TPriceListForm::ToolButton8Click(TObject*) {
  if (d_PriceList->IsEmpty()) return;
  TExcel excel(QuotationTemplate(), false);
  WriteWorkbook(excel, false);
  excel.SetVisible(true);
}

void TPriceListForm::ToolButton7Click(TObject*) {
  if (d_PriceList->IsEmpty()) return;
  String file;
  {
    TExcel excel(QuotationTemplate(), false);
    file = WriteWorkbook(excel, true);
  }
  auto* mail = new TMapiControl(this);
  std::unique_ptr<TMapiControl> owned(mail);
  mail->SetShowDialog(true);
  mail->SetSubject("报价");
  mail->SetBody("");
  mail->AttachedFiles()->Add(file);
  mail->Recipients()->Add(d_PriceList->FieldByName("c_email")->AsString());
  mail->Sendmail();
}
