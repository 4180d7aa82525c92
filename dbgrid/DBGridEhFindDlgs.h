// The find dialog of the data grid: collects the text and the options of a
// search (one column or all, part, whole field or beginning, up, down or
// all records, case and display format) and runs it through the grid's
// center. One instance serves the whole program and keeps its history.
// The lists and boxes are the library's own combo and check boxes, used
// without a data source.
#pragma once
#include <vector>
#include "DBGridEh.h"
#include "DbUtilsEh.h"
#include "Forms.h"

class TLabel;
class TButton;
class TDBComboBoxEh;
class TDBCheckBoxEh;

class TDBGridEhFindDlg : public TForm {
  TOVANI_CLASS(TDBGridEhFindDlg, TForm)
 public:
  explicit TDBGridEhFindDlg(TComponent* AOwner = nullptr);
  ~TDBGridEhFindDlg() override;

  TLabel* Label1 = nullptr;
  TDBComboBoxEh* cbText = nullptr;
  TLabel* Label2 = nullptr;
  TDBComboBoxEh* cbFindIn = nullptr;
  TLabel* cbMatchType = nullptr;
  TDBComboBoxEh* cbMatchinType = nullptr;
  TLabel* Label3 = nullptr;
  TDBComboBoxEh* cbFindDirection = nullptr;
  TDBCheckBoxEh* cbCharCase = nullptr;
  TDBCheckBoxEh* cbUseFormat = nullptr;
  TButton* bFind = nullptr;
  TButton* bCancel = nullptr;
  TLabel* Label4 = nullptr;
  TDBComboBoxEh* dbcTreeFindRange = nullptr;

  TCustomDBGridEh* Grid() const { return FGrid; }
  bool FirstSearch() const { return FFirstSearch; }
  Integer FullHeight() const { return FFullHeight; }
  const TColumnsEhList& SearchColumns() const { return FSearchColumns; }

  void ShowFor(TCustomDBGridEh* AGrid, const String& Text, const String& FieldName,
               const TColumnFieldsArrEh& ColumnFields, bool Modal);
  void FillFindIn();
  void UpdateSearchColumns();

  void FormCreate(TObject* Sender);
  void FormKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void bFindClick(TObject* Sender);
  void bCancelClick(TObject* Sender);
  void cbFindInChange(TObject* Sender);
  void cbTextChange(TObject* Sender);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TCustomDBGridEh* FGrid = nullptr;
  bool FFirstSearch = true;
  Integer FFullHeight = 0;
  TColumnsEhList FSearchColumns;
  // The column of each "Find in" entry ("<All>" has none).
  std::vector<TColumnEh*> FFindInColumns;
};

// The program's one dialog (made on first use, owned by the application).
TDBGridEhFindDlg* DBGridEhFindDlg();
void ExecuteGridFindDialog(TCustomDBGridEh* Grid, const String& Text, const String& FieldName,
                           const TColumnFieldsArrEh& ColumnFields, bool Modal);
// Installs ExecuteGridFindDialog as the grid library's find-dialog
// procedure (unless one is set already).
void InstallDBGridEhFindDialog();
