// The application's data module and the small services every window of the
// program calls: message boxes, the text prompt, id and document numbers,
// money formats, lists from a table column and the permission test.
#pragma once
#include <windows.h>
#include "Forms.h"
#include "System.h"
#include "Types.h"

class TCanvas;
class TStrings;
class TDataSet;
class TADOConnection;
class TADODataSet;
class TADOQuery;
class TImageList;
class TcxLookAndFeelController;

// The shared data module: the one connection to data.mdb beside the
// program, the logged-in user, a scratch query and the operation list.
// Every window of the program reaches the database through the global
// `DataForm`.
//
// Its components come from its form file uDataForm.dfm: the connection
// connects while the file is read (connBeforeConnect runs first and creates
// data.mdb when there is none), then OnCreate (DataModuleCreate) opens
// d_OP. Make it with Application->CreateForm or TDataModule::Create, which
// read the form file. A database that cannot be opened raises the
// connection's error.
class TCustomDBGridEh;

class TDataForm : public TDataModule {
  TOVANI_CLASS(TDataForm, TDataModule)
 public:
  explicit TDataForm(TComponent* AOwner = nullptr);
  ~TDataForm() override;
  void Loaded() override;

  TADOConnection* conn = nullptr;
  // The logged-in user's row ("select * from Users where U_ID = :id");
  // closed until a login succeeds.
  TADODataSet* User = nullptr;
  // Scratch query of NextDocumentNo, the printed sales order and the users window.
  TADOQuery* Query = nullptr;
  // "select * from OP", open for the whole run.
  TADODataSet* d_OP = nullptr;
  // The toolbar and menu pictures of every window.
  TImageList* ImageList1 = nullptr;
  // Native style for the editor library's controls that follow the global
  // look-and-feel (themed while visual styles are on).
  TcxLookAndFeelController* cxLookAndFeelController1 = nullptr;

  // The program's folder with a trailing separator (set before connecting).
  String AppPath;

  void connBeforeConnect(TObject* Sender);
  void DataModuleCreate(TObject* Sender);

  // Next id of a table from the Keys table (0 when the table has no row).
  Integer NextAutoID(const String& TableName);
  // Next document number of `ColumnName` in `TableName`: today as yyyymmdd
  // followed by a four-digit count (see NextDocumentNumber).
  void NextDocumentNo(const String& TableName, const String& ColumnName, String& Number);
  // Display format "￥#.00" and edit format "#.#" for the dataset's
  // currency fields.
  void SetMoneyFormats(TDataSet* DataSet);
  // Replaces the list's lines with one column of a table, in table order.
  void LoadListFromTable(TStrings* List, const String& TableName, const String& ColumnName);
  // Whether the logged-in user may perform the operation: the administrator
  // always; others when the character of U_P at the operation's OP_ID is "1".
  // Nobody is logged in: no.
  bool HasPermission(const String& Operation);
  // The first column of the first row of a query on the database (Null when
  // it answers no row).
  Variant FirstValue(const String& Sql);
  // Refuses a record of DataSet whose code (CodeField) another row of Table
  // already has: a message naming the row that has it ("编号"P01"已被产品
  // "茶杯"使用...") and the silent abort, so the record stays being edited.
  // An empty code is no conflict. For the BeforePost of the dataset.
  void CheckUniqueCode(TDataSet* DataSet, const String& Table, const String& KeyField, const String& CodeField,
                       const String& NameField, const String& Kind);
  // U_Name of the logged-in user ("" before a login).
  String UserName();
  // Copies the open database to FileName (see BackupDatabase in
  // DatabaseFile.h); false when the copy could not be made.
  bool BackupDatabase(const String& FileName);
  // Copies every column (hidden ones too) and every record of the grid into
  // a new workbook and shows it: titles in row 1, one record per row after
  // it; text, BLOB and unknown fields as texts, others as values. The
  // grid's dataset stays on its record.
  void ExportGridToExcel(TCustomDBGridEh* Grid);
};

extern TDataForm* DataForm;

// The folder of the running program with a trailing separator, where
// data.mdb and the program's other files are. Tests point it elsewhere with
// SetProgramFolder (an empty text returns to the program's own folder).
String ProgramFolder();
void SetProgramFolder(const String& Folder);

// Message boxes with the given owner; an empty caption takes the default
// ("确认", "信息", "错误"). They answer the button pressed (IDOK = 1, IDCANCEL = 2).
Integer MsgConfirm(HWND owner, const String& text, const String& caption = "");
Integer MsgInfo(HWND owner, const String& text, const String& caption = "");
Integer MsgError(HWND owner, const String& text, const String& caption = "");

// Average character size of the canvas font: the width of "A".."Z" and
// "a".."z" divided by 52, and their height.
TSize GetAveCharSize(TCanvas* canvas);

// The component Name of Root (read from Root's form file) as a T; a form
// file without it, or with another class under that name, raises
// EComponentError naming the component.
TComponent* FindFormComponent(TComponent* Root, const String& Name, TClass Class);
template <class T>
void BindComponent(TComponent* Root, const String& Name, T*& Field) {
  Field = static_cast<T*>(FindFormComponent(Root, Name, T::StaticClass()));
}

// Called by a form as it is freed: hides it and takes the keyboard focus
// from it, so that no activation or focus message reaches it while its
// window is destroyed (the window library would otherwise take the dying
// form for the screen's focused form).
void LeaveFocus(TCustomForm* Form);

// A modal one-line text prompt built at run time: answers true and stores
// the typed text in Value when confirmed with "确定"; Cancel or the close
// box answer false and leave Value unchanged.
bool InputTextDialog(const String& Caption, const String& Prompt, String& Value);

// The document number that follows `highest`, the day's highest number so
// far ("" when the day has none): today as yyyymmdd followed by a four-digit
// count, starting at 0001. Raises EConvertError when the four characters
// after the date of `highest` are not digits, and EDatabaseError when the
// day's 9999 numbers are used up, instead of handing out a number again.
String NextDocumentNumber(const String& highest, TDateTime today);
