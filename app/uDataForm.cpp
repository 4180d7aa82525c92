#include "uDataForm.h"

#include <memory>
#include "ADODB.h"
#include "AppPictures.h"
#include "DBGridEh.h"
#include "DatabaseFile.h"
#include "DateUtils.h"
#include "Dialogs.h"
#include "Graphics.h"
#include "ImgList.h"
#include "StdCtrls.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxLookAndFeels.h"
#include "uExcel.h"


TDataForm* DataForm = nullptr;

TOVANI_IMPLEMENT_CLASS(TDataForm, TDataModule)
TOVANI_PUBLISHED(TDataForm) {
  Method("connBeforeConnect", &TDataForm::connBeforeConnect);
  Method("DataModuleCreate", &TDataForm::DataModuleCreate);
}

// The form files of the program's windows (generated from the .dfm files).
void TovaniRegisterForms_app();
namespace {
const bool GFormsRegistered = (TovaniRegisterForms_app(), true);
}

namespace {

// The class library's message box: its buttons read "确定", "取消", "是", "否".
Integer ShowBox(HWND owner, const String& text, const String& caption, const char* defaultCaption, UINT flags) {
  return ShowMessageBox(owner, text, caption.empty() ? String(defaultCaption) : caption, flags);
}

}  // namespace

Integer MsgConfirm(HWND owner, const String& text, const String& caption) {
  return ShowBox(owner, text, caption, "确认", MB_OKCANCEL | MB_ICONQUESTION);
}

Integer MsgInfo(HWND owner, const String& text, const String& caption) {
  return ShowBox(owner, text, caption, "信息", MB_OK | MB_ICONINFORMATION);
}

Integer MsgError(HWND owner, const String& text, const String& caption) {
  return ShowBox(owner, text, caption, "错误", MB_OK | MB_ICONERROR);
}

TSize GetAveCharSize(TCanvas* canvas) {
  // TextExtent selects the canvas's current font before it measures.
  TSize size = canvas->TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return TSize(size.cx / 52, size.cy);
}

TComponent* FindFormComponent(TComponent* Root, const String& Name, TClass Class) {
  TComponent* c = Root->FindComponent(Name);
  if (!c || !c->InheritsFrom(Class))
    throw EComponentError(Format("%s: 窗体文件中缺少 %s (%s)", {Root->ClassName(), Name, String(Class->Name)}));
  return c;
}

void LeaveFocus(TCustomForm* Form) {
  if (!Form->HandleAllocated()) return;
  HWND h = Form->Handle();
  HWND focus = GetFocus();
  if (focus && (focus == h || IsChild(h, focus))) SetFocus(nullptr);
  if (IsWindowVisible(h)) Form->Hide();
}

bool InputTextDialog(const String& Caption, const String& Prompt, String& Value) {
  std::unique_ptr<TForm> form(TCustomForm::Create<TForm>(Application));
  form->Font()->SetName("宋体");
  form->Font()->SetSize(9);
  form->Canvas()->Font()->Assign(form->Font());
  TSize ch = GetAveCharSize(form->Canvas());
  form->SetBorderStyle(bsDialog);
  form->SetCaption(Caption);
  form->SetClientWidth(MulDiv(180, ch.cx, 4));
  form->SetPosition(poScreenCenter);

  auto* prompt = new TLabel(form.get());
  prompt->SetParent(form.get());
  prompt->SetCaption(Prompt);
  prompt->SetLeft(MulDiv(8, ch.cx, 4));
  prompt->SetTop(MulDiv(8, ch.cy, 8));
  prompt->Constraints()->SetMaxWidth(MulDiv(164, ch.cx, 4));
  prompt->SetWordWrap(true);

  auto* edit = new TEdit(form.get());
  edit->SetParent(form.get());
  edit->SetLeft(prompt->Left());
  edit->SetTop(prompt->Top() + prompt->Height() + 5);
  edit->SetWidth(MulDiv(164, ch.cx, 4));
  edit->SetMaxLength(255);
  edit->SetText(Value);
  edit->SelectAll();

  Integer buttonTop = edit->Top() + edit->Height() + 15;
  auto makeButton = [&](const char* caption, TModalResult result, Integer left) {
    auto* b = new TButton(form.get());
    b->SetParent(form.get());
    b->SetCaption(caption);
    b->SetModalResult(result);
    b->SetBounds(left, buttonTop, MulDiv(50, ch.cx, 4), MulDiv(14, ch.cy, 8));
    return b;
  };
  makeButton("确定", mrOk, MulDiv(38, ch.cx, 4))->SetDefault(true);
  TButton* cancel = makeButton("取消", mrCancel, MulDiv(92, ch.cx, 4));
  cancel->SetCancel(true);
  form->SetClientHeight(cancel->Top() + cancel->Height() + 13);

  bool ok = form->ShowModal() == mrOk;
  if (ok) Value = edit->Text();
  LeaveFocus(form.get());
  return ok;
}

String NextDocumentNumber(const String& highest, TDateTime today) {
  String day = FormatDateTime("yyyymmdd", today);
  if (highest.empty()) return day + "0001";
  String count = Copy(highest, 9, 4);
  bool digits = count.size() == 4;
  for (char c : count) digits = digits && c >= '0' && c <= '9';
  if (!digits) throw EConvertError("'" + count + "' is not a valid integer value");
  Integer next = StrToInt(count) + 1;
  if (next > 9999)
    throw EDatabaseError("单据号已用完: " + day + " 这一天已有 9999 个单据号, 无法再生成新的单据号.");
  return day + Format("%.4d", {next});
}

// ---------------------------------------------------------------------------
// Program folder

namespace {
String GProgramFolderOverride;
}

void SetProgramFolder(const String& Folder) {
  GProgramFolderOverride = Folder;
  if (!Folder.empty() && Folder.back() != '\\' && Folder.back() != '/')
    GProgramFolderOverride += Folder.find('\\') != String::npos ? '\\' : '/';
}

String ProgramFolder() {
  if (!GProgramFolderOverride.empty()) return GProgramFolderOverride;
  std::u16string buf(MAX_PATH, u'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(buf.data()), DWORD(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      break;
    }
    buf.resize(buf.size() * 2);
  }
  String path = Utf16ToUtf8(buf);
  size_t slash = path.find_last_of("\\/");
  return slash == String::npos ? String() : path.substr(0, slash + 1);
}

// ---------------------------------------------------------------------------
// TDataForm

TDataForm::TDataForm(TComponent* AOwner) : TDataModule(AOwner) {}

TDataForm::~TDataForm() {
  if (DataForm == this) DataForm = nullptr;
}

void TDataForm::Loaded() {
  TDataModule::Loaded();
  BindComponent(this, "conn", conn);
  BindComponent(this, "User", User);
  BindComponent(this, "Query", Query);
  BindComponent(this, "d_OP", d_OP);
  BindComponent(this, "ImageList1", ImageList1);
  BindComponent(this, "cxLookAndFeelController1", cxLookAndFeelController1);
}

void TDataForm::connBeforeConnect(TObject* Sender) {
  AppPath = ProgramFolder();
  String file = AppPath + "data.mdb";
  // A program folder without its database gets a new one with the
  // required rows; an existing file is used as it stands.
  EnsureDatabaseFile(ToUnixPath(file));
  static_cast<TADOConnection*>(Sender)->SetConnectionString(Format(
      "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%s;Persist Security Info=False;"
      "Jet OLEDB:Database Password=6140397",
      {file}));
}

void TDataForm::DataModuleCreate(TObject*) {
  LoadProgramImages(ImageList1);
  d_OP->Open();
}

Integer TDataForm::NextAutoID(const String& TableName) {
  // One statement takes the id and advances the counter, so two programs
  // on one file cannot both receive it.
  return TakeNextAutoID(conn->Handle(), TableName);
}

void TDataForm::NextDocumentNo(const String& TableName, const String& ColumnName, String& Number) {
  TDateTime today = Date();
  Query->Close();
  Query->SQL()->SetText("select max(" + ColumnName + ") as n from " + TableName + " where " + ColumnName +
                        " like " + QuotedStr(FormatDateTime("yyyymmdd", today) + "%"));
  Query->Open();
  String highest;
  try {
    TField* n = Query->FieldByName("n");
    highest = n->IsNull() ? String() : n->AsString();
  } catch (...) {
    Query->Close();
    throw;
  }
  Query->Close();
  Number = NextDocumentNumber(highest, today);
}

void TDataForm::SetMoneyFormats(TDataSet* DataSet) {
  for (Integer i = 0; i < DataSet->FieldCount(); ++i) {
    TField* f = DataSet->Fields().Fields(i);
    if (auto* bcd = dynamic_cast<TBCDField*>(f)) {
      bcd->SetDisplayFormat("￥#.00");
      bcd->SetEditFormat("#.#");
    }
  }
}

void TDataForm::LoadListFromTable(TStrings* List, const String& TableName, const String& ColumnName) {
  auto table = std::make_unique<TADOTable>();
  table->SetConnection(conn);
  table->SetTableName(TableName);
  table->Open();
  List->BeginUpdate();
  try {
    List->Clear();
    TField* f = table->FieldByName(ColumnName);
    for (table->First(); !table->Eof(); table->Next()) List->Add(f->AsString());
  } catch (...) {
    List->EndUpdate();
    throw;
  }
  List->EndUpdate();
}

bool TDataForm::HasPermission(const String& Operation) {
  if (!User->Active() || User->IsEmpty()) return false;
  if (User->FieldByName("U_Name")->AsString() == AdminUserName) return true;
  if (!d_OP->Locate("OP_Name", Variant(Operation), {})) return false;
  Integer p = d_OP->FieldByName("OP_ID")->AsInteger();
  String rights = User->FieldByName("U_P")->AsString();
  return p >= 1 && p <= Integer(rights.size()) && rights[size_t(p - 1)] == '1';
}

String TDataForm::UserName() {
  if (!User->Active() || User->IsEmpty()) return String();
  return User->FieldByName("U_Name")->AsString();
}

Variant TDataForm::FirstValue(const String& Sql) {
  auto q = std::make_unique<TADODataSet>();
  q->SetConnection(conn);
  q->SetCommandText(Sql);
  q->Open();
  return q->IsEmpty() ? Variant::Null() : q->Fields().Fields(0)->Value();
}

void TDataForm::CheckUniqueCode(TDataSet* DataSet, const String& Table, const String& KeyField,
                                const String& CodeField, const String& NameField, const String& Kind) {
  String code = Trim(DataSet->FieldByName(CodeField)->AsString());
  if (code.empty()) return;
  // Codes name files (a product's picture is Pictures\<code>.jpg), and
  // file names do not tell case apart.
  String sql = "select " + NameField + " from " + Table + " where upper(" + CodeField + ") = upper(" +
               QuotedStr(code) + ")";
  TField* key = DataSet->FieldByName(KeyField);
  if (!key->IsNull()) sql += " and " + KeyField + " <> " + key->AsString();
  Variant other = FirstValue(sql);
  if (other.IsNull()) return;
  MsgError(GetActiveWindow(), "编号\"" + code + "\"已被" + Kind + "\"" + VarToStr(other) + "\"使用，请换一个编号。");
  Abort();
}

bool TDataForm::BackupDatabase(const String& FileName) {
  return ::BackupDatabase(conn->Handle(), ToUnixPath(FileName));
}

void TDataForm::ExportGridToExcel(TCustomDBGridEh* Grid) {
  TDataSource* source = Grid ? Grid->DataSource() : nullptr;
  TDataSet* ds = source ? source->DataSet() : nullptr;
  if (!ds || !ds->Active()) return;   // nothing to copy
  TExcel excel("", false);
  // The record the user was on and the controls come back also when the
  // export fails; the workbook is then discarded with the TExcel object.
  struct TRestore {
    TDataSet* D;
    TBookmark B = D->GetBookmark();
    ~TRestore() {
      try {
        if (!B.empty() && D->BookmarkValid(B)) D->GotoBookmark(B);
      } catch (...) {
      }
      D->EnableControls();
    }
  } restore{ds};
  ds->DisableControls();
  TDBGridColumnsEh* cols = Grid->Columns();
  for (Integer i = 0; i < cols->Count(); ++i) excel.SetCellText(1, i + 1, cols->Item(i)->Title()->Caption());
  int row = 2;
  for (ds->First(); !ds->Eof(); ds->Next(), ++row) {
    for (Integer i = 0; i < cols->Count(); ++i) {
      TField* f = cols->Item(i)->Field();
      if (!f) continue;   // a column without a field leaves its cell empty
      switch (f->DataType()) {
        case ftUnknown: case ftString: case ftBlob: case ftWideString:
          excel.SetCellText(row, i + 1, f->Value());
          break;
        default: excel.SetCellValue(row, i + 1, f->Value()); break;
      }
    }
  }
  excel.SetVisible(true);
}
