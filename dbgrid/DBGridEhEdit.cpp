// Editing in the data grid: the column's cell values (check boxes, key and
// pick lists, stepping, the gate every stored value passes), the grid's side
// of in-place editing (what the editor gets, what it accepts, how its text
// returns into the field) and the in-cell editor with its edit buttons.
#include <algorithm>

#include "CalculatorEh.h"
#include "DBGridEh.h"
#include "DBLookupGridsEh.h"
#include "Utf8.h"
#include "ExtCtrls.h"
#include "ImgList.h"
#include "Forms.h"
#include "PlatformEh.h"
#include "SysUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TDBGridInplaceEdit, TInplaceEdit)

namespace {

bool IsMemoType(TField* f) { return f && (f->DataType() == ftMemo || f->DataType() == ftWideMemo); }

bool IsNumberType(TFieldType t) {
  switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd:
      return true;
    default: return false;
  }
}

// Every line break of a text as CR LF, however it was stored.
String NormaliseLineBreaks(const String& s) {
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

// The next ";"-separated part of a list, trimmed.
String NextListPart(const String& list, size_t& pos) {
  size_t end = list.find(';', pos);
  String part = list.substr(pos, end == String::npos ? String::npos : end - pos);
  pos = end == String::npos ? list.size() + 1 : end + 1;
  return Trim(part);
}

bool AllFieldsCanModify(const std::vector<TField*>& list) {
  for (TField* f : list)
    if (!f->CanModify()) return false;
  return true;
}

std::vector<TField*> KeyFieldsOf(TField* lookup) {
  std::vector<TField*> list;
  TDataSet* ds = lookup->DataSet();
  if (ds && !lookup->KeyFields().empty()) list = ds->GetFieldList(lookup->KeyFields());
  return list;
}

}  // namespace

const char* const SDeleteRecordQuestionEh = "Delete record?";
const char* const SNotInListEh = "'%s' is not in the list";
const char* const SDeleteMultipleRecordsQuestionEh = "Delete all selected records?";

TShortCut IncSearchStartShortCut = scCtrl | 'F';
TShortCut FindDialogShortCut = scCtrl | 'F';
TShortCut SearchNextShortCut = scCtrl | VK_RETURN;
TShortCut SearchPriorShortCut = scCtrl | scShift | VK_RETURN;
TShortCut CopyPriorValueShortCut = scCtrl | 222;
Integer IncSearchTimeout = 1500;

// ---------------------------------------------------------------------------
// TColumnEh: cell values

bool TColumnEh::Checkboxes() {
  if (FCheckboxesAssigned) return FCheckboxes;
  TField* f = Field();
  return f && f->DataType() == ftBoolean;
}

void TColumnEh::SetCheckboxes(bool v) {
  FCheckboxes = v;
  FCheckboxesAssigned = true;
  Changed(false);
}

TColumnCellKindEh TColumnEh::GetCellKind() {
  if (Checkboxes()) return cckCheckBox;
  TField* f = Field();
  if (f && f->FieldKind() == fkLookup) return cckLookup;
  if (FPickList->Count() > 0 && FKeyList->Count() == 0) return cckPickList;
  if (FImageList && !FShowImageAndText) return cckImage;
  if (FKeyList->Count() > 0 && FPickList->Count() > 0) return cckKeyPickList;
  return cckText;
}

// The image of the current record: the value's place in the key list (or
// the pick list), else a whole number field's value; NotInKeyListIndex for
// a value in neither.
Integer TColumnEh::CellImageIndex() {
  TField* f = Field();
  if (!f) return -1;
  Integer i = -1;
  if (FKeyList->Count() > 0) {
    i = FKeyList->IndexOf(f->Text());
  } else if (FPickList->Count() > 0) {
    i = FPickList->IndexOf(f->Text());
  } else {
    switch (f->DataType()) {
      case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: {
        if (f->IsNull()) break;
        double v = f->AsFloat();
        if (v >= -2147483648.0 && v <= 2147483647.0) i = Integer(f->AsInteger());
        break;
      }
      default: break;
    }
  }
  return i == -1 ? FNotInKeyListIndex : i;
}

String TColumnEh::CellDisplayText() {
  TField* f = Field();
  if (!f || GetCellKind() == cckImage) return String();
  if (FKeyList->Count() > 0) {
    Integer i = FKeyList->IndexOf(f->Text());
    if (i >= 0 && i < FPickList->Count()) return FPickList->Strings(i);
    if (FNotInKeyListIndex >= 0 && FNotInKeyListIndex < FPickList->Count())
      return FPickList->Strings(FNotInKeyListIndex);
    return String();
  }
  TCustomDBGridEh* g = Grid();
  if (g && g->DrawMemoText() && IsMemoType(f)) return f->AsString();
  return f->DisplayText();
}

bool TColumnEh::KeyEntryMatches(const String& Entry, const String& Value) {
  if (Entry.empty() && Value.empty()) return true;
  size_t pos = 0;
  while (pos < Entry.size())
    if (AnsiCompareTextEh(NextListPart(Entry, pos), Value) == 0) return true;
  if (!Entry.empty() && Entry.back() == ';') return Value.empty();
  return false;
}

TCheckBoxState TColumnEh::CellCheckState() {
  TField* f = Field();
  if (!f) return cbUnchecked;
  if (FKeyList->Count() == 0) {
    if (f->DataType() == ftBoolean) return f->IsNull() ? cbGrayed : f->AsBoolean() ? cbChecked : cbUnchecked;
    if (IsNumberType(f->DataType()) && f->DataType() != ftWord)
      return f->IsNull() ? cbGrayed : f->AsFloat() == 1 ? cbChecked : cbUnchecked;
  }
  String t = f->Text();
  if (FKeyList->Count() > 0 && KeyEntryMatches(FKeyList->Strings(0), t)) return cbChecked;
  if (FKeyList->Count() > 1 && KeyEntryMatches(FKeyList->Strings(1), t)) return cbUnchecked;
  return cbGrayed;
}

void TColumnEh::SetCellCheckState(TCheckBoxState State) {
  TField* f = Field();
  if (!f) return;
  if (State == cbGrayed) {
    WriteCellValue(String(), Variant::Null(), false);
  } else if (f->DataType() == ftBoolean) {
    WriteCellValue(String(), Variant(State == cbChecked), false);
  } else if (IsNumberType(f->DataType()) && f->DataType() != ftWord) {
    WriteCellValue(String(), Variant(State == cbChecked ? 1 : 0), false);
  } else {
    Integer i = State == cbChecked ? 0 : 1;
    String t = i < FKeyList->Count() ? FKeyList->Strings(i) : String();
    size_t pos = 0;
    t = NextListPart(t, pos);
    WriteCellValue(t, Variant(t), true);
  }
}

bool TColumnEh::CanModifyCell(bool StartEdit) {
  TCustomDBGridEh* g = Grid();
  bool editable = true;
  if (g && (g->ReadOnly() || !g->DataLink()->Active() || g->DataLink()->ReadOnly())) editable = false;
  if (ReadOnly()) editable = false;
  TField* f = Field();
  if (!f) editable = false;
  if (editable) {
    TField* target = f;
    if (f->FieldKind() == fkLookup) {
      std::vector<TField*> keys = KeyFieldsOf(f);
      editable = !keys.empty() && AllFieldsCanModify(keys);
      if (editable) target = keys.front();
    }
    if (editable)
      editable = target->CanModify() &&
                 (!target->IsBlob() || target->OnSetText || (g && g->DrawMemoText() && IsMemoType(target))) &&
                 (!g || g->DataEditable());
  }
  if (StartEdit && editable && g) {
    g->DataLink()->Edit();
    editable = g->DataLink()->Editing();
    if (editable) g->DataLink()->Modified();
  }
  return editable;
}

void TColumnEh::WriteCellValue(String Text, Variant Value, bool UseText) {
  TCustomDBGridEh* g = Grid();
  if (!g) return;
  bool handled = false;
  if (OnUpdateData) OnUpdateData(this, Text, Value, UseText, handled);
  TField* f = Field();
  if (handled || !f) return;
  if (UseText) {
    if (g->DrawMemoText() && IsMemoType(f))
      f->SetAsString(Text);
    else
      f->SetText(Text);
  } else if (f->FieldKind() == fkLookup && !f->KeyFields().empty()) {
    SetDataSetFieldValuesEh(f->DataSet(), f->KeyFields(), Value);
  } else {
    f->SetValue(Value);
  }
}

void TColumnEh::StepCellValue(double Step) {
  if (!CanModifyCell(true)) return;
  TCustomDBGridEh* g = Grid();
  TField* f = Field();
  TInplaceEdit* ed = g ? g->InplaceEditor() : nullptr;
  String t = ed ? ed->Text() : f->Text();
  switch (GetCellKind()) {
    case cckCheckBox:
      SetCellCheckState(CellCheckState() == cbChecked ? cbUnchecked : cbChecked);
      return;
    case cckKeyPickList:
    case cckImage: {
      Integer n = FKeyList->Count();
      if (n == 0) return;
      Integer i = FKeyList->IndexOf(f->Text());
      Integer j = Step == 1 ? ((i == -1 || i == n - 1) ? 0 : i + 1) : ((i == -1 || i == 0) ? n - 1 : i - 1);
      WriteCellValue(t, Variant(FKeyList->Strings(j)), false);
      return;
    }
    case cckPickList: {
      Integer n = FPickList->Count();
      Integer i = FPickList->IndexOf(f->Text());
      if (Step == 1 && (i == -1 || i == n - 1)) {
        f->SetText(FPickList->Strings(0));
      } else if (Step != 1 && (i == -1 || i == 0)) {
        f->SetText(FPickList->Strings(n - 1));
      } else {
        String item = FPickList->Strings(Step == 1 ? i + 1 : i - 1);
        WriteCellValue(item, Variant(item), true);
      }
      return;
    }
    case cckLookup:
      if (TDataSet* list = f->LookupDataSet(); list && list->Active()) {
        std::vector<TField*> keys = KeyFieldsOf(f);
        if (keys.empty() || keys.front()->IsNull()) {
          list->First();
        } else if (!list->Locate(f->LookupKeyFields(), f->DataSet()->FieldValues(f->KeyFields()), {})) {
          list->First();
        } else if (Step != 1) {
          if (list->Bof()) list->Last();
          else {
            list->Prior();
            if (list->Bof()) list->Last();
          }
        } else {
          if (list->Eof()) list->First();
          else {
            list->Next();
            if (list->Eof()) list->First();
          }
        }
        WriteCellValue(t, list->FieldValues(f->LookupKeyFields()), false);
        if (TField* r = list->FindField(f->LookupResultField())) f->SetText(r->Text());
        return;
      }
      [[fallthrough]];
    default:
      if (IsNumberType(f->DataType())) {
        Variant v = f->IsNull() ? Variant(-Step) : f->Value();
        v = v + Variant(Step);
        try {
          WriteCellValue(t, v, false);
        } catch (EDatabaseError&) {
        }
      }
      return;
  }
}

Integer TColumnEh::EditButtonsAreaWidth() {
  TCustomDBGridEh* g = Grid();
  bool flat = g && g->Flat();
  Integer b = flat ? FlatButtonWidthEh : GetSystemMetrics(SM_CXVSCROLL);
  Integer w = 0;
  if (TDBGridInplaceEdit::ColumnEditStyle(this) != TDBGridInplaceEdit::esText) w += b + (flat ? 1 : 0);
  for (Integer i = 0; i < FEditButtons->Count(); ++i) {
    TEditButtonEh* eb = FEditButtons->Items(i);
    if (!eb->Visible()) continue;
    w += (eb->Width() > 0 ? eb->Width() : b) + (flat ? 1 : 0);
  }
  return w;
}

void TColumnEh::FillCellParams(TColCellParamsEh* Params) {
  Params->Row = -1;
  Params->Col = -1;
  Params->State = TGridDrawState{};
  Params->Font = Font();
  Params->Background = Color();
  Params->Alignment = Alignment();
  Params->ImageIndex = CellImageIndex();
  Params->Text = CellDisplayText();
  Params->CheckState = CellCheckState();
  Params->ReadOnly = ReadOnly();
}

void TColumnEh::DoGetCellParams(bool EditMode, TColCellParamsEh* Params) {
  if (OnGetCellParams) OnGetCellParams(this, EditMode, Params);
}

// ---------------------------------------------------------------------------
// TCustomDBGridEh: the grid's side of in-place editing

void TCustomDBGridEh::SetDrawMemoText(bool v) {
  if (FDrawMemoText == v) return;
  FDrawMemoText = v;
  Invalidate();
}

TDBGridInplaceEdit* TCustomDBGridEh::InplaceEdit() const { return dynamic_cast<TDBGridInplaceEdit*>(InplaceEditor()); }

TColumnEh* TCustomDBGridEh::CurrentColumn() const {
  Integer i = SelectedIndex();
  return i >= 0 && i < FColumns->Count() ? FColumns->Item(i) : nullptr;
}

TInplaceEdit* TCustomDBGridEh::CreateInplaceEditor() { return new TDBGridInplaceEdit(this); }

bool TCustomDBGridEh::DataEditable() {
  if (!FDataLink->Active()) return false;
  TDataSet* ds = FDataLink->DataSet();
  if (!ds) return false;
  return (FAllowedOperations.Contains(alopUpdateEh) || ds->State() == dsInsert) &&
         (!ds->IsEmpty() || FAllowedOperations.Contains(alopInsertEh) || FAllowedOperations.Contains(alopAppendEh));
}

bool TCustomDBGridEh::IsColumnEditable(Integer DataCol) {
  if (DataCol < 0 || DataCol >= FColumns->Count()) return false;
  return FColumns->Item(DataCol)->CanModifyCell(false) && FOptions.Contains(dgEditing);
}

bool TCustomDBGridEh::EditorAcceptsKey(char32_t Key) {
  TDBGridInplaceEdit* ed = InplaceEdit();
  bool byParams = ed && ed->ReadOnlyByParams();
  TColumnEh* c = CurrentColumn();
  TField* f = c ? c->Field() : nullptr;
  if (!FDataLink->Active() || !f) return byParams && !ed->ReadOnly();
  bool result = byParams ? !ed->ReadOnly() : true;
  if (c->KeyList()->Count() > 0) return result;
  // A typed character outside Latin-1 is text: only the field's own test of
  // the characters it knows applies.
  return result && f->IsValidChar(Key);
}

bool TCustomDBGridEh::EditorCanModify() {
  TColumnEh* c = CurrentColumn();
  if (!c || c->GetCellKind() == cckCheckBox || FIncSearching) return false;
  bool result = false;
  TDBGridInplaceEdit* ed = InplaceEdit();
  if (ed && ed->ReadOnlyByParams()) {
    if (ed->ReadOnly()) return false;
    FDataLink->Edit();
    FDataLink->Modified();
    result = true;
  }
  if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly()) return result;
  if (!c->CanModifyCell(false)) return result;
  FDataLink->Edit();
  if (FDataLink->Editing()) {
    FDataLink->Modified();
    result = true;
  }
  return result;
}

Integer TCustomDBGridEh::GetEditorMaxLength() {
  TColumnEh* c = CurrentColumn();
  if (!c || c->KeyList()->Count() > 0) return 0;
  TField* f = c->Field();
  return f && f->DataType() == ftString ? f->Size() : 0;
}

String TCustomDBGridEh::GetCellEditMask(Integer ACol, Integer ARow) {
  if (!FDataLink->Active()) return String();
  Integer i = RawToDataColumn(ACol);
  if (i < 0 || i >= FColumns->Count()) return String();
  TColumnEh* c = FColumns->Item(i);
  if (!c->EditMask().empty()) return c->EditMask();
  TField* f = c->Field();
  if (!f || c->KeyList()->Count() > 0) return String();
  return f->EditMask();
}

String TCustomDBGridEh::RawCellEditText(Integer ACol) {
  String text;
  FEditKeyValue = Variant::Null();
  if (!FDataLink->Active()) return text;
  Integer i = RawToDataColumn(ACol);
  TColumnEh* c = i >= 0 && i < FColumns->Count() ? FColumns->Item(i) : nullptr;
  TField* f = c ? c->Field() : nullptr;
  if (!f) return text;
  if (c->KeyList()->Count() > 0) {
    Integer k = c->KeyList()->IndexOf(f->Text());
    text = k >= 0 && k < c->PickList()->Count() ? c->PickList()->Strings(k) : String();
  } else if (FDrawMemoText && IsMemoType(f)) {
    text = NormaliseLineBreaks(f->AsString());
  } else {
    text = f->Text();
  }
  if (f->FieldKind() == fkLookup && !f->KeyFields().empty() && f->DataSet())
    FEditKeyValue = f->DataSet()->FieldValues(f->KeyFields());
  return text;
}

String TCustomDBGridEh::GetCellEditText(Integer ACol, Integer ARow) {
  String text = RawCellEditText(ACol);
  Integer i = RawToDataColumn(ACol);
  TColumnEh* c = FDataLink->Active() && i >= 0 && i < FColumns->Count() ? FColumns->Item(i) : nullptr;
  if (c && c->OnGetCellParams) {
    TColCellParamsEh params;
    params.Text = text;
    params.Font = Canvas()->Font();
    c->DoGetCellParams(true, &params);
    text = params.Text;
  }
  FEditText = text;
  return text;
}

void TCustomDBGridEh::SetCellEditText(Integer, Integer, const String& Value) { FEditText = Value; }

void TCustomDBGridEh::UpdateData() {
  TColumnEh* c = CurrentColumn();
  if (!c) return;
  TField* f = c->Field();
  if (!f) {
    c->WriteCellValue(FEditText, Variant(FEditText), true);
    return;
  }
  bool recheck = false;
  switch (c->GetCellKind()) {
    case cckPickList:
      if (c->OnNotInList && c->PickList()->IndexOf(FEditText) < 0) c->OnNotInList(c, FEditText, recheck);
      c->WriteCellValue(FEditText, Variant(FEditText), true);
      return;
    case cckKeyPickList: {
      auto keyOf = [&]() -> bool {
        Integer i = c->PickList()->IndexOf(FEditText);
        if (i >= 0 && i < c->KeyList()->Count()) {
          FEditKeyValue = Variant(c->KeyList()->Strings(i));
          return true;
        }
        return i >= 0;
      };
      if (!keyOf()) {
        FEditKeyValue = Variant::Null();
        if (c->OnNotInList && !FEditText.empty()) {
          c->OnNotInList(c, FEditText, recheck);
          if (recheck && !keyOf()) FEditKeyValue = Variant::Null();
        }
      }
      c->WriteCellValue(FEditText, FEditKeyValue, false);
      return;
    }
    default: break;
  }
  if (f->FieldKind() == fkLookup && !f->KeyFields().empty()) {
    // A typed text names a record of the list; one the list does not have
    // (even after OnNotInList) is refused with a message, and nothing of
    // what was typed is lost.
    TDataSet* list = f->LookupDataSet();
    bool retyped = FEditKeyValue.IsNull() || FEditText != f->Text();
    if (retyped && !FEditText.empty() && list && list->Active()) {
      TLocateOptions ci{loCaseInsensitive};
      bool found = list->Locate(f->LookupResultField(), Variant(FEditText), ci);
      if (!found && c->OnNotInList) {
        c->OnNotInList(c, FEditText, recheck);
        if (recheck) found = list->Locate(f->LookupResultField(), Variant(FEditText), ci);
      }
      if (!found) throw EInvalidGridOperationEh(Format(SNotInListEh, {FEditText}));
      FEditKeyValue = list->FieldValues(f->LookupKeyFields());
    }
    if (AllFieldsCanModify(KeyFieldsOf(f))) {
      f->DataSet()->Edit();
      c->WriteCellValue(FEditText, FEditKeyValue, false);
    }
    return;
  }
  // A memo edited as lines keeps what was typed; other fields parse the
  // text as typed.
  c->WriteCellValue(FEditText, Variant(FEditText), true);
}

void TCustomDBGridEh::RecordChangedInEditor(TField* Field) {
  TColumnEh* c = CurrentColumn();
  TField* f = c ? c->Field() : nullptr;
  if (!f || (Field && Field != f)) return;
  TInplaceEdit* ed = InplaceEditor();
  if (!ed || !ed->IsWindowShown()) return;
  String text;
  if (c->KeyList()->Count() > 0)
    text = c->CellDisplayText();
  else if (FDrawMemoText && IsMemoType(f))
    text = NormaliseLineBreaks(f->AsString());
  else
    text = f->Text();
  if (text != FEditText) {
    RefreshEditorPlacement();
    ed->UnselectAll();
  }
}

void TCustomDBGridEh::RefreshEditorPlacement() {
  if (InplaceEditor() && EditorMode()) ResetEditorPlacement();
}

bool TCustomDBGridEh::EditorCanShow() {
  if (FLayoutLock > 0 || !TCustomGridEh::EditorCanShow()) return false;
  TColumnEh* c = CurrentColumn();
  bool no = !c || c->GetCellKind() == cckCheckBox || c->GetCellKind() == cckImage || FIncSearching;
  if (no) {
    if (TInplaceEdit* ed = InplaceEditor()) ed->HideWindow();
    return false;
  }
  return true;
}

bool TCustomDBGridEh::IsEditorAlwaysShown() const { return FOptions.Contains(dgAlwaysShowEditor); }

void TCustomDBGridEh::ShowEditorEh() { TCustomGridEh::ShowEditor(); }

bool TCustomDBGridEh::AcquireFocus() {
  bool result = true;
  if (FFocusTaking && CanFocus() && !IsDesigning()) {
    SetFocus();
    TInplaceEdit* ed = InplaceEditor();
    auto focused = [&] {
      HWND f = GetFocus();
      return HandleAllocated() && (f == Handle() || (ed && ed->HandleAllocated() && f == ed->Handle()));
    };
    result = focused();
    if (!result && Screen && Screen->ActiveForm() && Screen->ActiveForm()->FormStyle() == fsMDIForm) {
      ::SetFocus(Handle());
      result = focused();
    }
  }
  return result;
}

void TCustomDBGridEh::DoExit() {
  if (FDataLink->Active()) {
    try {
      TDataSet* ds = FDataLink->DataSet();
      if (FOptions.Contains(dgCancelOnExit) && ds && ds->State() == dsInsert && !ds->Modified() &&
          !FDataLink->IsModified())
        ds->Cancel();
      else
        FDataLink->UpdateData();
    } catch (...) {
      // What was typed stays; the focus comes back to it.
      if (CanFocus()) SetFocus();
      throw;
    }
  }
  TCustomGridEh::DoExit();
}

void TCustomDBGridEh::CopyFromPreviousRecord() {
  if (!FDataLink->Active() || FDataLink->ActiveRecord() <= 0) return;
  TColumnEh* c = CurrentColumn();
  TField* f = c ? c->Field() : nullptr;
  if (!f || !c->CanModifyCell(true)) return;
  bool lookup = f->FieldKind() == fkLookup && !f->KeyFields().empty();
  Variant v;
  Integer active = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(active - 1);
  try {
    v = lookup ? f->DataSet()->FieldValues(f->KeyFields()) : f->Value();
  } catch (...) {
    FDataLink->SetActiveRecord(active);
    throw;
  }
  FDataLink->SetActiveRecord(active);
  ClearSelection();
  if (lookup)
    f->DataSet()->SetFieldValues(f->KeyFields(), v);
  else
    f->SetValue(v);
  ShowEditorEh();
  if (TInplaceEdit* ed = InplaceEditor(); ed && ed->IsWindowShown()) ed->SelectAll();
}

void TCustomDBGridEh::SetCellToNull() {
  TColumnEh* c = CurrentColumn();
  TField* f = c ? c->Field() : nullptr;
  if (!f || f->Required() || !c->CanModifyCell(true)) return;
  c->WriteCellValue(String(), Variant::Null(), false);
}

void TCustomDBGridEh::UpdateColumnIme() {
  if (!FOwnImeTaken) {
    FOwnImeMode = ImeMode();
    FOwnImeName = ImeName();
    FOwnImeTaken = true;
  }
  SetImeMode(FOwnImeMode);
  SetImeName(FOwnImeName);
  if (TColumnEh* c = CurrentColumn()) {
    if (c->ImeModeAssigned()) SetImeMode(c->ImeMode());
    if (c->ImeNameAssigned()) SetImeName(c->ImeName());
  }
  if (TInplaceEdit* ed = InplaceEditor()) {
    ed->SetImeMode(ImeMode());
    ed->SetImeName(ImeName());
  }
}

void TCustomDBGridEh::ApplyColumnIme() { UpdateColumnIme(); }

void TCustomDBGridEh::FocusField(TField* Field) {
  if (!Field) return;
  for (Integer i = 0; i < FColumns->Count(); ++i)
    if (FColumns->Item(i)->Field() == Field) MoveCol(DataToRawColumn(i), 0, false);
}

// ---------------------------------------------------------------------------
// TDBGridInplaceEdit

TDBGridInplaceEdit::TDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {
  FButtonsWidth = GetSystemMetrics(SM_CXVSCROLL);
}

TDBGridInplaceEdit::~TDBGridInplaceEdit() {
  // The column's drop-down grid outlives the editor.
  if (FLookupGrid) {
    FLookupGrid->OnCloseUp = nullptr;
    FLookupGrid->RemoveFreeNotification(this);
  }
}

TColumnEh* TDBGridInplaceEdit::Column() const {
  TCustomDBGridEh* g = DBGrid();
  return g ? g->CurrentColumn() : nullptr;
}

Byte TDBGridInplaceEdit::ColumnEditStyle(TColumnEh* Column) {
  if (!Column) return esText;
  switch (Column->ButtonStyle()) {
    case cbsEllipsis: return esEllipsis;
    case cbsUpDown: return esUpDown;
    case cbsDropDown: return esDropDown;
    case cbsNone: return esText;
    case cbsAuto: break;
  }
  TField* f = Column->Field();
  if (!f) return esText;
  TCustomDBGridEh* g = Column->Grid();
  if (f->FieldKind() == fkLookup) {
    std::vector<TField*> keys = KeyFieldsOf(f);
    bool designing = g && g->ComponentState().Contains(csDesigning);
    if (!keys.empty() && (designing || AllFieldsCanModify(keys)) && !Column->ReadOnlyAssignedTrue() && g &&
        !g->ReadOnly() && g->DataLink()->Active() && !g->DataLink()->ReadOnly())
      return esLookup;
  }
  if (Column->PickList()->Count() > 0 && !Column->ReadOnly()) return esPickList;
  switch (f->DataType()) {
    case ftDate: case ftDateTime: case ftTimeStamp:
      if (!Column->ReadOnly()) return esDate;
      break;
    default: break;
  }
  return esText;
}

void TDBGridInplaceEdit::SetEditStyle(Byte v) {
  if (FListVisible && v != FEditStyle) CloseUp(false);
  FEditStyle = v;
  TColumnEh* c = Column();
  switch (v) {
    case esPickList:
      if (!FPickListBox) {
        FPickListBox = new TPopupListboxEh(this);
        FPickListBox->SetVisible(false);
        FPickListBox->SetCtl3D(true);
        FPickListBox->SetParent(this);
        FPickListBox->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
          if (Button == mbLeft) CloseUp(FPickListBox->ClientRect().Contains(TPoint(X, Y)));
        };
      }
      FActiveList = FPickListBox;
      break;
    case esLookup:
      FLookupGrid = c ? c->GetDropDownGrid() : nullptr;
      if (FLookupGrid) {
        FLookupGrid->FreeNotification(this);
        FLookupGrid->OnCloseUp = [this](TObject*, bool Accept) {
          FSpecRowChosen = FLookupGrid && FLookupGrid->SpecRow()->Visible() && FLookupGrid->SpecRow()->Selected();
          CloseUp(Accept);
        };
      }
      FActiveList = FLookupGrid;
      break;
    case esDate:
      if (!FCalendar) {
        FCalendar = new TPopupMonthCalendarEh(this);
        FCalendar->SetVisible(false);
        FCalendar->SetParent(this);
      }
      FActiveList = FCalendar;
      break;
    case esDropDown:
      FActiveList = c && c->Field() && c->Field()->Is<TNumericField>() ? GetCalculator() : nullptr;
      break;
    default:
      FActiveList = nullptr;
      break;
  }
  Invalidate();
}

void TDBGridInplaceEdit::SetWordWrap(bool v) {
  if (FWordWrap == v) return;
  FWordWrap = v;
  if (HandleAllocated()) RecreateWnd();
}

void TDBGridInplaceEdit::CreateParams(TCreateParams& Params) {
  TInplaceEdit::CreateParams(Params);
  if (FWordWrap) Params.Style = (Params.Style & ~DWORD(ES_AUTOHSCROLL)) | ES_MULTILINE;
  TCustomDBGridEh* g = DBGrid();
  FButtonsWidth = g && g->Flat() ? FlatButtonWidthEh + 1 : GetSystemMetrics(SM_CXVSCROLL);
}

void TDBGridInplaceEdit::LoadCellContents() {
  FLoadingContents = true;
  struct TDone {
    bool& Flag;
    ~TDone() { Flag = false; }
  } done{FLoadingContents};
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  SetEditStyle(ColumnEditStyle(c));
  if (c) SetFont(c->Font());
  bool canModify = c && c->CanModifyCell(false);
  // The cell parameters as the handlers see them for the editor: colours
  // and a read-only state of their own.
  // The events run once here, on the text as the field gives it.
  TColCellParamsEh params;
  String text = g->RawCellEditText(g->Col());
  if (c) {
    c->FillCellParams(&params);
    params.Font = Font();
    params.State = TGridDrawState{gdFocused};
    params.Text = text;
    params.ReadOnly = !canModify;
    if (g->OnGetCellParams) g->OnGetCellParams(g, c, params.Font, params.Background, params.State);
    c->DoGetCellParams(true, &params);
    SetColor(params.Background);
  }
  FImageIndex = c ? params.ImageIndex : -1;
  FReadOnlyByParams = c && params.ReadOnly != !canModify;
  SetReadOnly(FReadOnlyByParams ? params.ReadOnly : !canModify);
  SetWordWrap(c && c->WordWrap() && g->WordWrapAllowed());
  SetText("");
  SetEditMask(g->GetCellEditMask(g->Col(), g->Row()));
  if (c) text = params.Text;
  g->SetEditText(text);
  SetText(text);
  SetMaxLength(g->GetEditorMaxLength());
}

void TDBGridInplaceEdit::UpdateEditButtons() {
  TColumnEh* c = Column();
  TCustomDBGridEh* g = DBGrid();
  TEditButtonsEh* extra = c ? c->EditButtons() : nullptr;
  size_t wanted = size_t(extra ? extra->Count() : 0) + 1;
  while (FButtonControls.size() > wanted) {
    TEditButtonControlLineRecEh r = FButtonControls.back();
    FButtonControls.pop_back();
    delete r.EditButtonControl;
    delete r.ButtonLine;
  }
  while (FButtonControls.size() < wanted) {
    TEditButtonControlLineRecEh r;
    r.EditButtonControl = CreateEditButtonControl();
    r.ButtonLine = new TShape(this);
    r.ButtonLine->SetParent(this);
    r.ButtonLine->SetVisible(false);
    FButtonControls.push_back(r);
  }
  bool flat = g && g->Flat();
  Integer defWidth = flat ? FlatButtonWidthEh : GetSystemMetrics(SM_CXVSCROLL);
  Integer clientH = HandleAllocated() ? ClientHeight() : Height();
  struct TSpec {
    bool Visible;
    Integer Width;
  };
  std::vector<TSpec> specs(wanted);
  static const TEditButtonStyleEh defaultStyles[] = {ebsDropDownEh, ebsEllipsisEh, ebsDropDownEh, ebsDropDownEh,
                                                     ebsDropDownEh, ebsUpDownEh,   ebsDropDownEh};
  for (size_t i = 0; i < wanted; ++i) {
    TEditButtonControlEh* b = FButtonControls[i].EditButtonControl;
    bool visible;
    Integer w;
    if (i == 0) {
      visible = FEditStyle != esText;
      b->SetStyle(defaultStyles[FEditStyle]);
      b->SetHint(String());
      w = visible ? defWidth : 0;
    } else {
      TEditButtonEh* eb = extra->Items(Integer(i) - 1);
      visible = eb->Visible();
      b->SetEnabled(eb->Enabled());
      b->SetStyle(eb->Style());
      b->SetHint(eb->Hint());
      w = visible ? (eb->Width() > 0 ? eb->Width() : defWidth) : 0;
    }
    b->SetFlat(flat);
    b->SetTag(Integer(i));
    b->OnButtonDown = [this, b](TObject*, bool top, bool& repeat, bool& handled) {
      EditButtonDown(b, top, repeat, handled);
    };
    b->OnClick = [this, b](TObject*) { EditButtonClick(b); };
    specs[i] = {visible, w};
  }
  // One height for every button: the standard one unless the cell is too
  // low for it.
  Integer height = clientH;
  for (const TSpec& sp : specs)
    if (sp.Visible) {
      Integer h = Integer(sp.Width * 1.5 + 0.5) < clientH ? DefaultEditButtonHeightEh(sp.Width, flat) : clientH;
      height = std::min(height, h);
    }
  Integer x = HandleAllocated() ? ClientWidth() : Width();
  Integer right = x;
  for (size_t k = wanted; k-- > 0;) {
    TEditButtonControlEh* b = FButtonControls[k].EditButtonControl;
    TShape* line = FButtonControls[k].ButtonLine;
    const TSpec& sp = specs[k];
    b->SetVisible(sp.Visible);
    if (!sp.Visible) {
      line->SetVisible(false);
      continue;
    }
    x -= sp.Width;
    b->SetBounds(x, 0, sp.Width, height);
    b->SetEnabled(k == 0 || extra->Items(Integer(k) - 1)->Enabled());
    b->SetActive(true);
    line->Pen()->SetColor(clBtnFace);
    line->SetVisible(flat);
    if (flat) {
      x -= 1;
      line->SetBounds(x, 0, 1, height);
    }
  }
  FButtonsWidth = right - x;
}

TEditButtonControlEh* TDBGridInplaceEdit::CreateEditButtonControl() {
  auto* b = new TEditButtonControlEh(this);
  b->SetParent(this);
  b->SetBounds(0, 0, 10, 17);
  b->SetVisible(true);
  return b;
}

TRect TDBGridInplaceEdit::GetEditRect() {
  TCustomDBGridEh* g = DBGrid();
  TRect r = g && g->Flat() ? TRect(2, 1, Width() - 2, Height() - 1) : TRect(2, 2, Width() - 2, Height());
  HDC dc = GetDC(nullptr);
  HFONT old = HFONT(SelectObject(dc, Font()->Handle()));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (r.Height() < tm.tmHeight && r.Bottom < Height()) ++r.Bottom;
  if (FButtonsWidth > 0) r.Right -= FButtonsWidth;
  TColumnEh* c = Column();
  if (c && c->ImageList() && c->ShowImageAndText()) r.Left += c->ImageList()->Width() + 5;
  if (g && g->IsTreeColumn(g->SelectedIndex())) r.Left += g->TreeAreaWidth() + 1;
  return r;
}

void TDBGridInplaceEdit::UpdateImageIndex() {
  TColumnEh* c = Column();
  if (!c || !c->ImageList()) return;
  Integer index = -1;
  if (c->PickList()->Count() > 0) {
    index = c->PickList()->IndexOf(HandleAllocated() ? Text() : String());
  } else if (TField* f = c->Field()) {
    switch (f->DataType()) {
      case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd: {
        if (f->IsNull()) break;
        double v = f->AsFloat();
        if (v >= -2147483648.0 && v <= 2147483647.0) index = Integer(f->AsInteger());
        break;
      }
      default: break;
    }
  }
  if (index == -1) index = c->NotInKeyListIndex();
  if (index == FImageIndex) return;
  FImageIndex = index;
  Invalidate();
}

void TDBGridInplaceEdit::PaintAdditions(HDC DC) {
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  if (!g || !c) return;
  TCanvas canvas;
  canvas.SetHandle(DC);
  Integer indent = 0;
  if (g->IsTreeColumn(g->SelectedIndex())) {
    canvas.Brush()->SetColor(Color());
    indent = g->DrawTreeArea(&canvas, TRect(0, 0, ClientWidth(), ClientHeight()), false);
  }
  DrawRequiredState(&canvas);
  TCustomImageList* images = c->ImageList();
  if (images && c->ShowImageAndText() && FImageIndex >= 0 && IsWindowVisible(Handle())) {
    TRect r(indent + 2, 0, indent + 2 + images->Width(), ClientHeight());
    // The strip between the image and the text keeps the editor's colour.
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(TRect(indent, 0, std::min(ClientWidth(), r.Right + 5), ClientHeight()));
    TCustomDBGridEh::DrawImageEh(images, &canvas, taCenter, 0, FImageIndex, r);
  }
  canvas.SetHandle(nullptr);
}

void TDBGridInplaceEdit::ApplyTextMargins() {
  if (!HandleAllocated()) return;
  RemoveQueuedMessage(Handle(), WM_USER + 102);
  UpdateEditButtons();
  TRect r = GetEditRect();
  RECT wr{r.Left, r.Top, r.Right, r.Bottom};
  SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&wr));
  SendMessageW(Handle(), EM_SCROLLCARET, 0, 0);
}

void TDBGridInplaceEdit::ButtonDown(bool TopButton) {
  // The drop-down windows of the styles open here; the up-down style steps.
  if (FEditStyle == esUpDown) {
    StepValue(!TopButton);
    return;
  }
  if (!FListVisible) {
    DropDown();
    FButtonPressedForList = true;
  }
}

void TDBGridInplaceEdit::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled) {
  if (HandleAllocated() && GetFocus() != Handle()) ::SetFocus(Handle());
  Handled = false;
  auto* b = static_cast<TEditButtonControlEh*>(Sender);
  TColumnEh* c = Column();
  if (b->Tag() == 0) {
    if (c && c->OnEditButtonDown) c->OnEditButtonDown(c, TopButton, AutoRepeat, Handled);
    if (!Handled) ButtonDown(TopButton);
  } else if (c && b->Tag() - 1 < c->EditButtons()->Count()) {
    TEditButtonEh* eb = c->EditButtons()->Items(b->Tag() - 1);
    if (eb->OnDown) eb->OnDown(eb, TopButton, AutoRepeat, Handled);
  }
}

void TDBGridInplaceEdit::EditButtonClick(TObject* Sender) {
  auto* b = static_cast<TEditButtonControlEh*>(Sender);
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  bool handled = false;
  if (b->Tag() == 0) {
    if ((FEditStyle == esEllipsis || FEditStyle == esDropDown) && g && g->OnEditButtonClick)
      g->OnEditButtonClick(g);
    if (c && c->OnEditButtonClick) c->OnEditButtonClick(c, handled);
  } else if (c && b->Tag() - 1 < c->EditButtons()->Count()) {
    c->EditButtons()->Items(b->Tag() - 1)->Click(c->EditButtons()->Items(b->Tag() - 1), handled);
  }
  // A second click on the button closes the list it opened.
  if (!handled && FListVisible && !FButtonPressedForList && b->Tag() == 0) CloseUp(false);
  FButtonPressedForList = false;
}

void TDBGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift) {
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  if (!g || !c) {
    TInplaceEdit::KeyDown(Key, Shift);
    return;
  }
  TShiftState mods = Shift * TShiftState{ssShift, ssCtrl, ssAlt};
  bool noMods = mods == TShiftState{};
  TColumnCellKindEh kind = c->GetCellKind();
  bool listColumn = kind == cckLookup || kind == cckKeyPickList;
  auto dropPendingChar = [&] {
    if (HandleAllocated()) RemoveQueuedMessage(Handle(), WM_CHAR);
  };
  if ((FEditStyle == esEllipsis || FEditStyle == esDropDown) && Key == VK_RETURN && mods == TShiftState{ssCtrl}) {
    dropPendingChar();
    if (g->OnEditButtonClick) g->OnEditButtonClick(g);
    Key = 0;
    return;
  }
  if (Key == VK_DELETE && noMods && listColumn && c->CanModifyCell(false)) {
    Integer start = SelStart(), len = SelLength();
    std::u32string chars = WindowChars();
    bool all = start == 0 && len == Integer(chars.size());
    if (all && c->CanModifyCell(true)) {
      SetText("");
      g->SetEditText(String());
      g->SetEditKeyValue(Variant::Null());
    } else if (c->OnNotInList && c->CanModifyCell(true)) {
      chars.erase(size_t(start), size_t(len));
      SetWindowChars(chars, start, true);
      g->SetEditText(Text());
    }
    Key = 0;
    return;
  }
  if (Key == VK_BACK && listColumn) {
    if (c->OnNotInList) {
      if (c->CanModifyCell(true)) {
        Integer start = SelStart(), len = SelLength();
        std::u32string chars = WindowChars();
        chars.erase(size_t(start), size_t(len));
        if (start > 0) chars.erase(size_t(start - 1), 1);
        SetWindowChars(chars, std::max(0, start - 1), true);
        g->SetEditText(Text());
      }
      Key = 0;
      return;
    }
    Key = VK_LEFT;
  }
  if (FWordWrap && (Key == VK_UP || Key == VK_DOWN) && noMods) {
    Integer line = Integer(SendMessageW(Handle(), EM_LINEFROMCHAR, WPARAM(-1), 0));
    Integer lines = Integer(SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0));
    bool all = SelStart() == 0 && SelLength() == Integer(WindowChars().size());
    bool leave = g->Options().Contains(dgAlwaysShowEditor) &&
                 ((Key == VK_UP && line == 0) || (Key == VK_DOWN && line >= lines - 1) || all);
    if (!leave) return;   // the edit control moves the caret between lines
  }
  if (Key == VK_RETURN && noMods && g->OptionsEh().Contains(dghEnterAsTab)) {
    g->KeyDown(Key, Shift);
    Key = 0;
    return;
  }
  TShortCut sc = ShortCut(Key, Shift);
  if (sc == CopyPriorValueShortCut) {
    g->KeyDown(Key, Shift);
    Key = 0;
    return;
  }
  if (sc == IncSearchStartShortCut && g->OptionsEh().Contains(dghIncSearch)) {
    g->KeyDown(Key, Shift);
    Key = 0;
    return;
  }
  for (Integer i = 0; i < c->EditButtons()->Count(); ++i) {
    TEditButtonEh* eb = c->EditButtons()->Items(i);
    if (eb->ShortCut() == 0 || eb->ShortCut() != sc) continue;
    bool repeat = false, handled = false;
    if (size_t(i + 1) < FButtonControls.size()) {
      EditButtonDown(FButtonControls[size_t(i + 1)].EditButtonControl, false, repeat, handled);
      EditButtonClick(FButtonControls[size_t(i + 1)].EditButtonControl);
    } else {
      if (eb->OnDown) eb->OnDown(eb, false, repeat, handled);
      eb->Click(eb, handled);
    }
    Key = 0;
    return;
  }
  TInplaceEdit::KeyDown(Key, Shift);
}

void TDBGridInplaceEdit::KeyPress(char32_t& Key) {
  // Typed text completes against the lookup dataset or the pick list,
  // which may use the character up.
  if (Key != 0) {
    String typed = Utf8Encode(Key);
    ProcessTypedText(typed);
    if (typed.empty()) {
      Key = 0;
      return;
    }
  }
  // Ctrl+Enter gives a line feed: a line break only where lines are edited.
  if (Key == 10 && !FWordWrap) {
    Key = 0;
    return;
  }
  // In list columns Backspace was handled as a key (a caret move or the
  // deletion of a whole list text); its character deletes nothing more.
  if (Key == 8)
    if (TColumnEh* c = Column(); c && (c->GetCellKind() == cckLookup || c->GetCellKind() == cckKeyPickList)) {
      Key = 0;
      return;
    }
  TInplaceEdit::KeyPress(Key);
}

void TDBGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TInplaceEdit::MouseDown(Button, Shift, X, Y);
  TColumnEh* c = Column();
  if (c && c->DblClickNextVal() && Shift.Contains(ssDouble)) c->StepCellValue(Shift.Contains(ssShift) ? -1 : 1);
}

void TDBGridInplaceEdit::Change() {
  FTextChanged = true;
  UpdateImageIndex();
  // Text typed into a lookup cell no longer stands for the key it had.
  if (!FLoadingContents)
    if (TColumnEh* c = Column(); c && c->GetCellKind() == cckLookup) DBGrid()->SetEditKeyValue(Variant::Null());
  TInplaceEdit::Change();
}

bool TDBGridInplaceEdit::RequiredStateDrawn() {
  TCustomDBGridEh* g = DBGrid();
  TColumnEh* c = Column();
  if (!g || !c) return false;
  TDataSet* ds = g->DataLink()->DataSet();
  TField* f = c->Field();
  bool draw = c->HighlightRequired() && g->DataLink()->Active() && ds &&
              (ds->State() == dsEdit || ds->State() == dsInsert) && f && f->Required() && f->IsNull();
  if (c->OnCheckDrawRequiredState) c->OnCheckDrawRequiredState(c, HandleAllocated() ? Text() : String(), draw);
  return draw;
}

void TDBGridInplaceEdit::DrawRequiredState(TCanvas* ACanvas) {
  if (!RequiredStateDrawn()) return;
  TRect r = GetEditRect();
  TPen saved;
  saved.Assign(ACanvas->Pen());
  ACanvas->Pen()->SetColor(TColor(255));
  ACanvas->Pen()->SetStyle(psDot);
  ACanvas->Pen()->SetWidth(1);
  Integer y = ClientHeight() - 1;
  ACanvas->MoveTo(r.Left + 2, y);
  ACanvas->LineTo(r.Right - 3, y);
  ACanvas->Pen()->Assign(&saved);
}

void TDBGridInplaceEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: {
      TInplaceEdit::Dispatch(Message);
      if (HandleAllocated()) {
        HDC dc = GetDC(Handle());
        PaintAdditions(dc);
        ReleaseDC(Handle(), dc);
      }
      return;
    }
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ::ScreenToClient(Handle(), &p);
      TRect r = GetEditRect();
      if (!r.Contains(TPoint(p.x, p.y)) && Screen) {
        ::SetCursor(Screen->Cursors(crArrow));
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      // Presses on the margins and buttons do not move the caret.
      TRect r = GetEditRect();
      if (!r.Contains(TPoint(Message.XPos(), Message.YPos())) && GetCapture() != Handle()) return;
      break;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (TCustomDBGridEh* g = DBGrid()) g->InvalidateCell(g->Col(), g->Row());
      break;
  }
  TInplaceEdit::Dispatch(Message);
}
