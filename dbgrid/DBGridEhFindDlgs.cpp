// The find dialog of the data grid.
#include "DBGridEhFindDlgs.h"

#include "DBCtrlsEh.h"
#include "Messages.h"
#include "StdCtrls.h"

TOVANI_IMPLEMENT_CLASS(TDBGridEhFindDlg, TForm)

namespace {

const char* const SAllColumnsEh = "<All>";

template <class T>
T* AddControl(TDBGridEhFindDlg* Form, const char* Name, Integer L, Integer T_, Integer W, Integer H) {
  T* c = new T(Form);
  c->SetName(Name);
  c->SetParent(Form);
  c->SetBounds(L, T_, W, H);
  return c;
}

TLabel* AddLabel(TDBGridEhFindDlg* Form, const char* Name, Integer L, Integer T_, const char* Caption) {
  TLabel* l = AddControl<TLabel>(Form, Name, L, T_, 70, 13);
  l->SetCaption(Caption);
  return l;
}

// A list the user picks from (its items are also its keys); Text selects
// the entry.
void FillList(TDBComboBoxEh* Box, std::initializer_list<const char*> Texts, const char* Text) {
  for (const char* t : Texts) {
    Box->Items()->Add(t);
    Box->KeyItems()->Add(t);
  }
  Box->SetItemIndex(Box->Items()->IndexOf(Text));
}

}   // namespace

TDBGridEhFindDlg::TDBGridEhFindDlg(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Find text");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  Font()->SetColor(clWindowText);
  Font()->SetHeight(-10);
  SetClientWidth(505);
  SetClientHeight(150);

  Label1 = AddLabel(this, "Label1", 10, 12, "Fi&nd What:");
  cbText = AddControl<TDBComboBoxEh>(this, "cbText", 88, 9, 316, 21);
  cbText->SetTabOrder(0);
  cbText->EditButton()->SetVisible(false);
  cbText->DropDownBox()->SetRows(17);
  cbText->DropDownBox()->SetSizable(true);
  Label2 = AddLabel(this, "Label2", 10, 35, "Find &in:");
  cbFindIn = AddControl<TDBComboBoxEh>(this, "cbFindIn", 88, 32, 192, 21);
  cbFindIn->SetTabOrder(1);
  cbFindIn->DropDownBox()->SetRows(17);
  cbFindIn->DropDownBox()->SetSizable(true);
  cbMatchType = AddLabel(this, "cbMatchType", 10, 58, "Matc&h:");
  cbMatchinType = AddControl<TDBComboBoxEh>(this, "cbMatchinType", 88, 55, 144, 21);
  cbMatchinType->SetTabOrder(2);
  FillList(cbMatchinType, {"From any part of field", "Whole field", "From beging of field"}, "From any part of field");
  Label3 = AddLabel(this, "Label3", 10, 82, "Sea&rch:");
  cbFindDirection = AddControl<TDBComboBoxEh>(this, "cbFindDirection", 88, 79, 144, 21);
  cbFindDirection->SetTabOrder(3);
  FillList(cbFindDirection, {"Up", "Down", "All"}, "All");
  cbCharCase = AddControl<TDBCheckBoxEh>(this, "cbCharCase", 88, 105, 144, 14);
  cbCharCase->SetTabOrder(4);
  cbCharCase->SetCaption("Match &Case");
  cbCharCase->SetValueChecked("True");
  cbCharCase->SetValueUnchecked("False");
  cbCharCase->SetCheckedValue(false);
  cbUseFormat = AddControl<TDBCheckBoxEh>(this, "cbUseFormat", 260, 105, 144, 14);
  cbUseFormat->SetTabOrder(5);
  cbUseFormat->SetCaption("Match F&ormat");
  cbUseFormat->SetCheckedValue(true);
  bFind = AddControl<TButton>(this, "bFind", 413, 9, 82, 23);
  bFind->SetTabOrder(6);
  bFind->SetCaption("&Find next");
  bCancel = AddControl<TButton>(this, "bCancel", 413, 37, 82, 22);
  bCancel->SetTabOrder(7);
  bCancel->SetCaption("Close");
  bCancel->SetCancel(true);
  bCancel->SetModalResult(mrCancel);
  Label4 = AddLabel(this, "Label4", 10, 128, "Find in Tree:");
  dbcTreeFindRange = AddControl<TDBComboBoxEh>(this, "dbcTreeFindRange", 88, 124, 145, 21);
  dbcTreeFindRange->SetTabOrder(8);
  FillList(dbcTreeFindRange, {"In all nodes", "In expanded nodes", "In current level", "In current node"},
           "In all nodes");

  cbText->OnChange = [this](TObject* s) { cbTextChange(s); };
  cbFindIn->OnChange = [this](TObject* s) { cbFindInChange(s); };
  cbFindDirection->OnChange = [this](TObject* s) { cbTextChange(s); };
  dbcTreeFindRange->OnChange = [this](TObject* s) { cbTextChange(s); };
  bFind->OnClick = [this](TObject* s) { bFindClick(s); };
  bCancel->OnClick = [this](TObject* s) { bCancelClick(s); };
  OnKeyDown = [this](TObject* s, Word& Key, TShiftState Shift) { FormKeyDown(s, Key, Shift); };
  FormCreate(this);
}

TDBGridEhFindDlg::~TDBGridEhFindDlg() {
  if (FGrid) FGrid->RemoveFreeNotification(this);
}

void TDBGridEhFindDlg::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FGrid) {
    FGrid = nullptr;
    FSearchColumns.Clear();
    FFindInColumns.clear();
  }
}

void TDBGridEhFindDlg::FormCreate(TObject*) { FFullHeight = Height(); }

void TDBGridEhFindDlg::ShowFor(TCustomDBGridEh* AGrid, const String& Text, const String& FieldName,
                               const TColumnFieldsArrEh& ColumnFields, bool Modal) {
  (void)FieldName;
  (void)ColumnFields;
  IMemTableTreeEh* tree = AGrid ? AGrid->TreeOfDataSet() : nullptr;
  bool treeMode = tree && tree->TreeViewActive();
  if (treeMode) {
    SetHeight(FFullHeight);
  } else {
    SetHeight(FFullHeight);
    SetClientHeight(dbcTreeFindRange->Top());
  }
  Label4->SetVisible(treeMode);
  dbcTreeFindRange->SetVisible(treeMode);
  cbText->SetText(Text);
  if (FGrid != AGrid) {
    if (FGrid) FGrid->RemoveFreeNotification(this);
    FGrid = AGrid;
    if (FGrid) FGrid->FreeNotification(this);
  }
  FillFindIn();
  Integer selected = -1;
  if (TColumnEh* c = FGrid ? FGrid->CurrentColumn() : nullptr)
    for (size_t i = 0; i + 1 < FFindInColumns.size() && selected < 0; ++i)
      if (cbFindIn->Items()->Strings(Integer(i)) == c->Title()->Caption()) selected = Integer(i);
  cbFindIn->SetItemIndex(selected);
  FFirstSearch = true;
  if (Visible()) Close();
  UpdateSearchColumns();
  if (Modal) {
    SetFormStyle(fsNormal);
    SetActiveControl(cbText);
    ShowModal();
  } else {
    SetFormStyle(fsStayOnTop);
    Show();
    SetActiveControl(cbText);
    SetFocus();
  }
}

void TDBGridEhFindDlg::FillFindIn() {
  TNotifyEvent saved = cbFindIn->OnChange;
  cbFindIn->OnChange = nullptr;
  cbFindIn->Items()->Clear();
  cbFindIn->KeyItems()->Clear();
  FFindInColumns.clear();
  if (FGrid) {
    const TColumnsEhList& cols = FGrid->VisibleColumns();
    for (Integer i = 0; i < cols.Count(); ++i) {
      cbFindIn->Items()->Add(cols[i]->Title()->Caption());
      FFindInColumns.push_back(cols[i]);
    }
  }
  cbFindIn->Items()->Add(SAllColumnsEh);
  FFindInColumns.push_back(nullptr);
  cbFindIn->KeyItems()->Assign(cbFindIn->Items());
  cbFindIn->OnChange = saved;
}

void TDBGridEhFindDlg::UpdateSearchColumns() {
  FSearchColumns.Clear();
  Integer last = cbFindIn->Items()->Count() - 1;
  if (cbFindIn->ItemIndex() < 0) {
    TNotifyEvent saved = cbFindIn->OnChange;
    cbFindIn->OnChange = nullptr;
    cbFindIn->SetItemIndex(last);
    cbFindIn->OnChange = saved;
  }
  Integer i = cbFindIn->ItemIndex();
  if (i == last) {
    for (Integer k = 0; k < last; ++k) FSearchColumns.Add(FFindInColumns[size_t(k)]);
  } else if (i >= 0 && size_t(i) < FFindInColumns.size()) {
    FSearchColumns.Add(FFindInColumns[size_t(i)]);
  }
  cbTextChange(this);
}

void TDBGridEhFindDlg::bFindClick(TObject*) {
  bool reverse = GetKeyState(VK_CONTROL) < 0;
  String text = cbText->Text();
  if (cbText->Items()->IndexOf(text) < 0) cbText->Items()->Add(text);
  if (!FGrid || !FGrid->DataSource() || !FGrid->DataSource()->DataSet() ||
      !FGrid->DataSource()->DataSet()->Active())
    return;
  Integer dir = cbFindDirection->ItemIndex();
  TLocateTextDirectionEh direction = dir == 0 ? ltdUpEh : dir == 1 ? ltdDownEh : ltdAllEh;
  if (reverse) direction = direction == ltdUpEh ? ltdDownEh : ltdUpEh;
  if (!FFirstSearch && direction == ltdAllEh) direction = ltdDownEh;
  Integer m = cbMatchinType->ItemIndex();
  TLocateTextMatchingEh matching = m == 1 ? ltmWholeEh : m == 2 ? ltmFromBegining : ltmAnyPartEh;
  Integer last = cbFindIn->Items()->Count() - 1;
  Integer sel = cbFindIn->ItemIndex();
  bool all = sel == last;
  String fieldName;
  if (sel >= 0 && !all && size_t(sel) < FFindInColumns.size()) fieldName = FFindInColumns[size_t(sel)]->FieldName();
  Integer r = dbcTreeFindRange->ItemIndex();
  TLocateTextTreeFindRangeEh range = r >= 0 && r <= 3 ? TLocateTextTreeFindRangeEh(r) : lttInAllNodesEh;
  TLocateTextOptionsEh options;
  if (!cbCharCase->Checked()) options += ltoCaseInsensitiveEh;
  if (cbUseFormat->Checked()) options += ltoMatchFormatEh;
  if (all) options += ltoAllColumnsEh;
  bool found = FGrid->LocateText(fieldName, text, options, direction, matching, range);
  if (found) FFirstSearch = false;
}

void TDBGridEhFindDlg::bCancelClick(TObject*) { Close(); }

void TDBGridEhFindDlg::cbFindInChange(TObject*) { UpdateSearchColumns(); }

void TDBGridEhFindDlg::cbTextChange(TObject*) { FFirstSearch = true; }

void TDBGridEhFindDlg::FormKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key != VK_RETURN && Key != VK_ESCAPE) return;
  // An open drop-down takes Enter and Escape itself.
  if (TWinControl* active = ActiveControl())
    if (active->Perform(CM_WANTSPECIALKEY, Key, 0) != 0) return;
  if (Key == VK_ESCAPE) {
    if (!FormState().Contains(fsModal)) Close();
  } else {
    bFindClick(bFind);
  }
  cbText->SetModified(false);
}

TDBGridEhFindDlg* DBGridEhFindDlg() {
  static TDBGridEhFindDlg* dlg = nullptr;
  if (!dlg) {
    dlg = new TDBGridEhFindDlg(Application);
    // Freed with the application; forget it then.
    struct TForget : TComponent {
      explicit TForget(TComponent* O) : TComponent(O) {}
      ~TForget() override { dlg = nullptr; }
    };
    new TForget(dlg);
  }
  return dlg;
}

void ExecuteGridFindDialog(TCustomDBGridEh* Grid, const String& Text, const String& FieldName,
                           const TColumnFieldsArrEh& ColumnFields, bool Modal) {
  DBGridEhFindDlg()->ShowFor(Grid, Text, FieldName, ColumnFields, Modal);
}

void InstallDBGridEhFindDialog() {
  if (!ExecuteDBGridEhFindDialogProc) ExecuteDBGridEhFindDialogProc = ExecuteGridFindDialog;
}
