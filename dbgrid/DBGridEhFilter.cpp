// The filter row: a row under the titles in which the user types a
// condition per column ("> 5", "~ab", "In (1,2)", "=Null", "AND"/"OR" of
// two); Enter applies all of them to the dataset through the grid center
// and the dataset's features (the dataset's own Filter with STFilter.Local,
// else its SQL text).
#include <algorithm>
#include <cmath>

#include "DBGridEh.h"
#include "DateUtils.h"
#include "FormatSettings.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TSTDBGridEhFilter, TPersistent)
TOVANI_IMPLEMENT_CLASS(TSTColumnFilterEh, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TInplaceFilterEditEh, TDBComboBoxEh)

TOVANI_PUBLISHED(TSTDBGridEhFilter) {
  Property("Local", &TSTDBGridEhFilter::Local, &TSTDBGridEhFilter::SetLocal).Default(false);
  Property("Visible", &TSTDBGridEhFilter::Visible, &TSTDBGridEhFilter::SetVisible).Default(false);
}

TOVANI_PUBLISHED(TSTColumnFilterEh) {
  Property("DataField", &TSTColumnFilterEh::DataField, &TSTColumnFilterEh::SetDataField);
  Property("KeyField", &TSTColumnFilterEh::KeyField, &TSTColumnFilterEh::SetKeyField);
  Property("ListField", &TSTColumnFilterEh::ListField, &TSTColumnFilterEh::SetListField);
  Property("ListSource", &TSTColumnFilterEh::ListSource, &TSTColumnFilterEh::SetListSource);
  Property("Visible", &TSTColumnFilterEh::Visible, &TSTColumnFilterEh::SetVisible).Default(true);
}

namespace {

// What the filter builders and the dataset features read of the grids'
// filter rows.
class TGridFilterSource : public IGridFilterSourceEh {
 public:
  bool FilterIsLocal(TCustomDBGridEh* Grid) override { return Grid && Grid->STFilter()->Local(); }
  bool GetColumnFilterTerms(TColumnEh* Column, TColumnFilterTermsEh& Terms) override {
    if (!Column) return false;
    TSTColumnFilterEh* f = Column->STFilter();
    Terms.Expression = f->Expression();
    Terms.FieldName = f->GetFilterFieldName();
    Terms.OwnDataField = !f->DataField().empty();
    Terms.FirstValue = f->GetFirstValue();
    return true;
  }
};

TGridFilterSource GridFilterSource;
const bool GridFilterSourceSet = (SetGridFilterSourceEh(&GridFilterSource), true);

// Each channel grows by its own X-th part.
TColor BrightenColor(TColor Color, Integer X) {
  COLORREF c = ColorToRGB(Color);
  auto up = [X](Integer v) { return std::min<Integer>(255, v + Integer(std::trunc(double(v) / X))); };
  return TColor(RGB(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c))));
}

String ValueText(const Variant& V) {
  switch (V.Kind()) {
    case varDouble: case varSingle: case varCurrency: case varInteger: case varSmallint: case varByte:
    case varInt64:
      return FloatToStr(V.AsDouble());
    case varDate: {
      String s;
      DateTimeToString(s, FormatSettings().ShortDateFormat, V.AsDateTime());
      return s;
    }
    default:
      return "'" + VarToStr(V) + "'";
  }
}

String ConditionText(TFilterRowOperatorEh O, const Variant& V) {
  String op = STFilterOperatorsStrMapEh[O];
  if (O == froNull) return "=" + op;
  if (O == froNotNull) return "<>" + op;
  if (O == froIn || O == froNotIn) {
    String r = op + " (";
    if (V.IsArray()) {
      for (Integer i = V.LowBound(); i <= V.HighBound(); ++i) r += ValueText(V.GetElement(i)) + ",";
      if (r.back() == ',') r.pop_back();
    } else {
      r += ValueText(V);
    }
    return r + ")";
  }
  return op + " " + ValueText(V);
}

}  // namespace

// ---------------------------------------------------------------------------
// Filter-row settings

TPersistent* TSTDBGridEhFilter::GetOwner() { return FGrid; }

void TSTDBGridEhFilter::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSTDBGridEhFilter*>(Source)) {
    SetVisible(s->FVisible);
    FLocal = s->FLocal;
    return;
  }
  TPersistent::Assign(Source);
}

void TSTDBGridEhFilter::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  if (!FGrid) return;
  if (!v && FEditorLockCount == 0) FGrid->LeaveFilterRow();
  FGrid->LayoutChanged();
  FGrid->RefreshEditorPlacement();
}

// ---------------------------------------------------------------------------
// Column filters

TSTColumnFilterEh::TSTColumnFilterEh(TColumnEh* AColumn)
    : FColumn(AColumn),
      FExpression(std::make_unique<TSTFilterExpressionEh>()),
      FValueSourceLink(std::make_unique<TFieldDataLink>()),
      FListTexts(std::make_unique<TStringList>()),
      FListKeys(std::make_unique<TStringList>()) {
  ResetFilterExpression(*FExpression);
  FValueSourceLink->OnActiveChange = [this](TObject*) { FillValueLists(); };
}

TDataSource* TSTColumnFilterEh::ListSource() const { return FValueSourceLink->DataSource(); }

void TSTColumnFilterEh::SetListSource(TDataSource* v) {
  FValueSourceLink->SetDataSource(v);
  FValueList.reset();
}

bool TSTColumnFilterEh::HasValueList() { return ListSource() != nullptr; }

TDatasetFieldValueListEh* TSTColumnFilterEh::GetValueList() {
  TCustomDBGridEh* g = Grid();
  TDataSource* src = ListSource();
  if (!g || !g->DataLink()->Active() || !src || !src->DataSet() || !src->DataSet()->Active()) return nullptr;
  String field = FListField.empty() && FColumn ? FColumn->FieldName() : FListField;
  if (!src->DataSet()->FindField(field)) return nullptr;
  if (!FValueList || FValueList->DataSet() != src->DataSet() || FValueList->FieldName() != field) {
    FValueList = std::make_unique<TDatasetFieldValueListEh>();
    FValueList->SetDataSet(src->DataSet());
    FValueList->SetFieldName(field);
  }
  return FValueList.get();
}

namespace {
TField* ActiveLookupField(TSTColumnFilterEh* F) {
  TCustomDBGridEh* g = F->Grid();
  TField* f = F->OwnerColumn() ? F->OwnerColumn()->Field() : nullptr;
  return g && g->DataLink()->Active() && f && f->FieldKind() == fkLookup ? f : nullptr;
}
}  // namespace

String TSTColumnFilterEh::GetKeyField() {
  if (!FKeyField.empty()) return FKeyField;
  TField* f = ActiveLookupField(this);
  return f ? f->LookupKeyFields() : String();
}

String TSTColumnFilterEh::GetListField() {
  if (!FListField.empty()) return FListField;
  TField* f = ActiveLookupField(this);
  return f ? f->LookupResultField() : String();
}

TDataSet* TSTColumnFilterEh::GetListDataSet() {
  if (ListSource()) return ListSource()->DataSet();
  TField* f = ActiveLookupField(this);
  return f ? f->LookupDataSet() : nullptr;
}

// The list's texts and keys are read afresh whenever the list opens: a
// list read again does not repeat its entries.
void TSTColumnFilterEh::FillValueLists() {
  if (!FValueSourceLink->Active() || FListField.empty() || FKeyField.empty()) return;
  TDataSet* ds = FValueSourceLink->DataSet();
  FListTexts->Clear();
  FListKeys->Clear();
  ds->DisableControls();
  try {
    TField* text = ds->FieldByName(FListField);
    TField* key = ds->FieldByName(FKeyField);
    for (ds->First(); !ds->Eof(); ds->Next()) {
      FListTexts->Add(text->AsString());
      FListKeys->Add(key->AsString());
    }
    ds->First();
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
}

TSTColumnFilterEh::~TSTColumnFilterEh() = default;

TPersistent* TSTColumnFilterEh::GetOwner() { return FColumn; }

TCustomDBGridEh* TSTColumnFilterEh::Grid() const { return FColumn ? FColumn->Grid() : nullptr; }

void TSTColumnFilterEh::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSTColumnFilterEh*>(Source)) {
    FDataField = s->FDataField;
    SetVisible(s->FVisible);
    FKeyField = s->FKeyField;
    FListField = s->FListField;
    SetListSource(s->ListSource());
    return;
  }
  TPersistent::Assign(Source);
}

void TSTColumnFilterEh::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  if (FColumn && FColumn->Collection()) FColumn->ColumnChanged(false);
}

void TSTColumnFilterEh::ParseText(const String& Text) {
  TSTFilterExpressionEh e;
  if (TField* f = FColumn ? FColumn->Field() : nullptr) e.ValueKind = STFldTypeMapEh(f->DataType());
  else e.ValueKind = fvkText;
  if (FColumn && FColumn->KeyList()->Count() > 0 && FColumn->PickList()->Count() > 0) e.ValueKind = fvkText;
  // A column filtered through a value list is typed as list texts, whatever
  // the type of the key field.
  if (!GetKeyField().empty()) e.ValueKind = fvkText;
  ParseFilterExpression(Text, e);   // a parse error leaves everything as it was
  MapListTextsToKeys(e);
  *FExpression = e;
}

// With a key field the typed text is a list text: the filter is on the key
// of the list record showing that text (a text no record shows filters for
// a Null key).
void TSTColumnFilterEh::ParseEnteredText(const String& Text) {
  String key = GetKeyField();
  ParseText(Text);
  if (!key.empty() && FExpression->FirstOperator != froNull && FExpression->FirstOperator != froNotNull) {
    FMatchedKeyValue = Variant::Null();
    if (!Text.empty())
      if (TDataSet* ds = GetListDataSet()) FMatchedKeyValue = ds->Lookup(GetListField(), Variant(Text), key);
    ParseText(String());
    FExpression->ValueKind = fvkText;
    if (FMatchedKeyValue.IsNull()) {
      FExpression->FirstOperator = Text.empty() ? froNone : froNull;
    } else {
      FExpression->FirstOperator = froIn;
      FExpression->FirstOperand = Variant(Text);
    }
  }
  FEnteredText = Text;
}

void TSTColumnFilterEh::SetEnteredText(const String& Text) {
  ParseEnteredText(Text);
  if (TCustomDBGridEh* g = Grid()) g->Invalidate();
}

void TSTColumnFilterEh::Clear() {
  FMatchedKeyValue = Variant::Null();
  SetEnteredText(String());
}

void TSTColumnFilterEh::MapListTextsToKeys(TSTFilterExpressionEh& E) {
  if (!FColumn || FColumn->KeyList()->Count() == 0 || FColumn->PickList()->Count() == 0) return;
  auto map = [&](Variant& v) {
    Integer i = FColumn->PickList()->IndexOf(VarToStr(v));
    if (i >= 0 && i < FColumn->KeyList()->Count()) v = Variant(FColumn->KeyList()->Strings(i));
  };
  auto mapOperand = [&](TFilterRowOperatorEh O, Variant& V) {
    if (O < froEqual || O > froNotIn) return;
    if (V.IsArray()) {
      for (Integer i = V.LowBound(); i <= V.HighBound(); ++i) {
        Variant el = V.GetElement(i);
        map(el);
        V.PutElement(i, el);
      }
    } else if (!V.IsNull()) {
      map(V);
    }
  };
  mapOperand(E.FirstOperator, E.FirstOperand);
  mapOperand(E.SecondOperator, E.SecondOperand);
}

String TSTColumnFilterEh::GetFilterText() {
  const TSTFilterExpressionEh& e = *FExpression;
  if (e.ValueKind == fvkNone || e.FirstOperator == froNone) return String();
  if (ListSource()) {
    // A list filter shows the chosen list texts.
    if (!e.FirstOperand.IsArray()) return VarToStr(e.FirstOperand);
    String r;
    for (Integer i = e.FirstOperand.LowBound(); i <= e.FirstOperand.HighBound(); ++i)
      r += "'" + VarToStr(e.FirstOperand.GetElement(i)) + "',";
    if (!r.empty()) r.pop_back();
    return r;
  }
  String r = ConditionText(e.FirstOperator, e.FirstOperand);
  if (e.Junction != froNone)
    r += String(" ") + STFilterOperatorsStrMapEh[e.Junction] + " " + ConditionText(e.SecondOperator, e.SecondOperand);
  return r;
}

String TSTColumnFilterEh::GetFilterFieldName() {
  if (!FDataField.empty()) return FDataField;
  TCustomDBGridEh* g = Grid();
  TField* f = FColumn ? FColumn->Field() : nullptr;
  if (g && g->DataLink()->Active() && f && f->FieldKind() == fkLookup) return f->KeyFields();
  return FColumn ? FColumn->FieldName() : String();
}

Variant TSTColumnFilterEh::GetFirstValue() {
  return GetKeyField().empty() ? FExpression->FirstOperand : FMatchedKeyValue;
}

TSTColumnFilterEh* TColumnEh::STFilter() {
  if (!FSTFilter) FSTFilter = std::make_unique<TSTColumnFilterEh>(this);
  return FSTFilter.get();
}

void TColumnEh::SetSTFilter(TSTColumnFilterEh* v) { STFilter()->Assign(v); }

// ---------------------------------------------------------------------------
// The filter editor

TInplaceFilterEditEh::TInplaceFilterEditEh(TComponent* AOwner) : TDBComboBoxEh(AOwner) {}

void TInplaceFilterEditEh::SetValueAndText(const Variant& AValue, const String& AText) {
  SetValue(AValue);
  SetText(AText);
}

// Tab moves between the filter cells; the form must not take it.
void TInplaceFilterEditEh::Dispatch(TMessage& Message) {
  TDBComboBoxEh::Dispatch(Message);
  if (Message.Msg == WM_GETDLGCODE) Message.Result |= DLGC_WANTTAB | DLGC_WANTARROWS;
}

void TInplaceFilterEditEh::KeyDown(Word& Key, TShiftState Shift) {
  if (OnGridKeyDown) OnGridKeyDown(Key, Shift);
  if (Key != 0) TDBComboBoxEh::KeyDown(Key, Shift);
}

void TInplaceFilterEditEh::KeyPress(char32_t& Key) {
  // Tab moves between the cells (on key-down); Enter applies.
  if (Key == U'\t') Key = 0;
  if (Key == U'\r') {
    Key = 0;
    if (auto* g = dynamic_cast<TCustomDBGridEh*>(Parent())) g->ApplyFilterNow();
    return;
  }
  if (Key != 0) TDBComboBoxEh::KeyPress(Key);
}

// ---------------------------------------------------------------------------
// The grid's filter row

Integer TCustomDBGridEh::IsFilterRowVisible() const { return FSTFilter && FSTFilter->Visible() ? 1 : 0; }

void TCustomDBGridEh::SetSTFilter(TSTDBGridEhFilter* v) { FSTFilter->Assign(v); }

bool TCustomDBGridEh::IsColumnFilterable(Integer DataCol) {
  if (DataCol < 0 || DataCol >= FColumns->Count()) return false;
  TColumnEh* c = FColumns->Item(DataCol);
  return c->Visible() && c->STFilter()->Visible();
}

void TCustomDBGridEh::DrawFilterCell(Integer DataCol, TRect R, TGridDrawState State) {
  TCanvas* c = Canvas();
  TColumnEh* col = FColumns->Item(DataCol);
  c->Pen()->SetColor(clBlack);
  AssignFontEh(c->Font(), Font());
  c->Font()->SetColor(TColor(RGB(0, 0, 255)));
  TColor background = BrightenColor(FixedColor(), 8);
  HighlightFixedCell(CellInSelection(DataCol + FIndicatorOffset, FTitleOffset - 1), c->Font(), background, caDataColEh,
                     raFilterEh);
  c->Brush()->SetColor(background);
  TRect text = R;
  bool list = col->STFilter()->HasValueList();
  Integer bw = Flat() ? FlatButtonWidthEh : GetSystemMetrics(SM_CXVSCROLL);
  if (list) text.Right = std::max(text.Left, text.Right - bw - (Flat() ? 1 : 0));
  WriteTextEh(c, text, true, 1, 1, col->STFilter()->GetFilterText(), taLeftJustify, col->Layout(), false, false, 0,
              0, false);
  if (list) {
    // The drop-down button of the value list, as tall as an edit button.
    if (Flat()) c->FillRect(TRect(text.Right, R.Top, text.Right + 1, R.Bottom));
    Integer left = text.Right + (Flat() ? 1 : 0);
    Integer bh = std::min<Integer>(R.Height(), DefaultRowHeight());
    TRect b(left, R.Top, std::min(left + bw, R.Right), R.Top + bh);
    if (b.Right > b.Left) PaintButtonFaceEh(c->Handle(), b, background, bfkDropDown, 0, Flat(), false, FDataLink->Active());
    if (bh < R.Height()) c->FillRect(TRect(left, R.Top + bh, R.Right, R.Bottom));
  }
}

void TCustomDBGridEh::EditFilterCell(Integer DataCol) {
  if (!FSTFilter->Visible() || !IsColumnFilterable(DataCol)) return;
  if (FDataLink->Active()) FDataLink->DataSet()->CheckBrowseMode();
  if (!FFilterEdit) {
    FFilterEdit = new TInplaceFilterEditEh(this);
    FFilterEdit->SetVisible(false);
    FFilterEdit->SetParent(this);
    FFilterEdit->SetBorderStyle(bsNone);
    FFilterEdit->Font()->Assign(Font());
    FFilterEdit->Font()->SetColor(TColor(RGB(0, 0, 255)));
    FFilterEdit->SetColor(BrightenColor(FixedColor(), 8));
    FFilterEdit->SetFlat(Flat());
    FFilterEdit->EditButton()->SetVisible(false);
    FFilterEdit->OnGridKeyDown = [this](Word& Key, TShiftState Shift) { FilterEditKeyDown(Key, Shift); };
  }
  if (FFilterCol != DataCol && FFilterCol >= 0 && FFilterEdit->Visible()) HideFilterEditor();
  Integer old = FFilterCol;
  FFilterCol = DataCol;
  FFilterEditing = true;
  HideEditor();
  Integer raw = DataToRawColumn(DataCol);
  if (FOptions.Contains(dgRowSelect)) {
    if (raw >= FixedCols() && raw < LeftCol()) SetLeftCol(raw);
    while (raw >= FixedCols() && LeftCol() < raw && raw >= LeftCol() + VisibleColCount()) SetLeftCol(LeftCol() + 1);
  } else if (raw >= FixedCols() && raw != Col()) {
    SetCol(raw);
  }
  if (old >= 0) InvalidateCell(DataToRawColumn(old), FTitleOffset - 1);
  InvalidateCell(raw, FTitleOffset - 1);
  PlaceFilterEditor(true);
}

void TCustomDBGridEh::PlaceFilterEditor(bool Load) {
  if (FSTFilter->EditorLockCount() > 0) return;
  if (!FSTFilter->Visible() || !IsColumnFilterable(FFilterCol) || !FFilterEditing || !FFilterEdit) {
    LeaveFilterRow();
    return;
  }
  if (FSelection->SelectionType() != gstNon) {
    HideFilterEditor();
    return;
  }
  TRect r = CellClientRect(DataToRawColumn(FFilterCol), FTitleOffset - 1);
  r.Left += 1;
  if (Load) LoadFilterEditor(FFilterCol);
  FFilterEdit->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  FFilterEdit->SetVisible(r.Width() > 0 && r.Height() > 0);
  if (FFilterEdit->Visible() && FFilterEdit->CanFocus()) FFilterEdit->SetFocus();
  if (Load) FFilterEdit->SelectAll();
}

// The filter editor takes the cell's text and, for a column with a value
// list, a drop-down of the list's values under the special entries.
void TCustomDBGridEh::LoadFilterEditor(Integer DataCol) {
  TSTColumnFilterEh* f = FColumns->Item(DataCol)->STFilter();
  FFilterEdit->Items()->Clear();
  FFilterEdit->SetValue(Variant::Null());
  if (!f->HasValueList()) {
    FFilterEdit->OnDropDown = nullptr;
    FFilterEdit->OnListSelection = nullptr;
    FFilterEdit->OnCloseUp = nullptr;
    FFilterEdit->EditButton()->SetVisible(false);
    FFilterEdit->SetText(f->GetFilterText());
    return;
  }
  FFilterEdit->OnCloseUp = [this](TObject*, bool Accept) {
    TDBGridEhCenter* center = Center() ? Center() : GetGridEhCenter();
    if (Accept && center->ApplyFilterOnCloseUp()) ApplyFilterNow();
  };
  FFilterEdit->OnListSelection = [this](TObject* Sender, bool& Accept) { FilterListSelected(Sender, Accept); };
  FFilterEdit->OnDropDown = [this](TObject*) { FillFilterList(); };
  FFilterEdit->EditButton()->SetVisible(true);
  FFilterEdit->DropDownBox()->SetSizable(true);
  FFilterEdit->SetText(f->GetFilterText());
  FFilterEdit->DropDownBox()->SetWidth(f->DropDownWidth() > 0 ? f->DropDownWidth() : 100);
  FFilterEdit->DropDownBox()->SetRows(f->DropDownRows() > 0 ? f->DropDownRows() : 17);
}

namespace {
// The special entries of a filter cell's drop-down, top to bottom, with
// their codes.
struct TFilterListEntry {
  const char* Text;
  NativeInt Code;
};
const TFilterListEntry FilterListEntries[] = {
    {"(Order by descending)", 7}, {"(Order by ascending)", 6}, {"-", 5}, {"(Clear filter)", 4},
    {"(All)", 3},                 {"(Not empty)", 2},          {"(Empty)", 1},
};
}  // namespace

void TCustomDBGridEh::FillFilterList() {
  if (FFilterCol < 0 || FFilterCol >= FColumns->Count()) return;
  TColumnEh* c = FColumns->Item(FFilterCol);
  TStrings* items = FFilterEdit->Items();
  items->BeginUpdate();
  items->Clear();
  if (TDatasetFieldValueListEh* list = c->STFilter()->GetValueList()) items->Assign(list->GetValues());
  if (c->KeyList()->Count() > 0 && c->PickList()->Count() > 0)
    for (Integer i = 0; i < items->Count(); ++i) {
      Integer k = c->KeyList()->IndexOf(items->Strings(i));
      if (k >= 0 && k < c->PickList()->Count()) items->SetStrings(i, c->PickList()->Strings(k));
    }
  const bool sorting = FOptionsEh.Contains(dghAutoSortMarking) && c->Title()->TitleButton();
  for (auto it = std::rbegin(FilterListEntries); it != std::rend(FilterListEntries); ++it) {
    if (it->Code >= 5 && !sorting) continue;
    items->InsertObject(0, it->Text, reinterpret_cast<TObject*>(it->Code));
  }
  items->EndUpdate();
}

void TCustomDBGridEh::FilterListSelected(TObject*, bool& Accept) {
  if (!Accept || FFilterCol < 0 || FFilterCol >= FColumns->Count()) return;
  TColumnEh* c = FColumns->Item(FFilterCol);
  TPopupListboxEh* lb = FFilterEdit->GetPopupListbox();
  c->STFilter()->SetDropDownWidth(lb->Width());
  c->STFilter()->SetDropDownRows(lb->RowCount());
  Integer i = lb->ItemIndex();
  TStrings* items = FFilterEdit->Items();
  if (i < 0 || i >= items->Count()) return;
  NativeInt code = reinterpret_cast<NativeInt>(items->Objects(i));
  if (code == 0) return;
  Accept = false;
  if (code > 5) {
    for (Integer k = 0; k < FColumns->Count(); ++k) FColumns->Item(k)->Title()->SetSortMarker(smNoneEh);
    FSortMarkedColumns.Clear();
  }
  TDBGridEhCenter* center = Center() ? Center() : GetGridEhCenter();
  switch (code) {
    case 1: FFilterEdit->SetText("=Null"); break;
    case 2: FFilterEdit->SetText("<>Null"); break;
    case 3: FFilterEdit->SetText(String()); break;
    case 4: ClearFilter(); break;
    case 6: c->Title()->SetSortMarker(smDownEh); break;
    case 7: c->Title()->SetSortMarker(smUpEh); break;
    default: break;
  }
  if (code == 4 || (code >= 1 && code <= 3 && center->ApplyFilterOnCloseUp())) ApplyFilterNow();
  if (code > 5) SortMarkingChanged();
}

void TCustomDBGridEh::StoreFilterText(Integer DataCol) {
  if (DataCol < 0 || DataCol >= FColumns->Count() || !FFilterEdit) return;
  FColumns->Item(DataCol)->STFilter()->SetEnteredText(FFilterEdit->Text());
}

void TCustomDBGridEh::HideFilterEditor() {
  if (!FFilterEdit || !FFilterEdit->Visible()) return;
  if (Visible() && CanFocus() && FFilterEdit->Focused()) SetFocus();
  FFilterEdit->SetVisible(false);
  if (FFilterCol != -1) {
    StoreFilterText(FFilterCol);
    InvalidateCell(DataToRawColumn(FFilterCol), FTitleOffset - 1);
  }
}

void TCustomDBGridEh::LeaveFilterRow() {
  if (FSTFilter->EditorLockCount() > 0) return;
  HideFilterEditor();
  FFilterEditing = false;
  if (FOptions.Contains(dgAlwaysShowEditor)) ShowEditor();
  else HideEditor();
}

void TCustomDBGridEh::ShowFilterRowEditor(bool Show) {
  if (Show) EditFilterCell(SelectedIndex());
  else LeaveFilterRow();
}

void TCustomDBGridEh::ApplyFilter() {
  LockPaint();
  try {
    if (FCenter) FCenter->ApplyFilter(this);
  } catch (...) {
    UnlockPaint();
    throw;
  }
  UnlockPaint();
}

void TCustomDBGridEh::ApplyFilterNow() {
  if (FFilterEditing && FFilterEdit && FFilterEdit->Visible()) StoreFilterText(FFilterCol);
  Integer left = LeftCol();
  auto after = [&] {
    if (left < ColCount()) SetLeftCol(left);
    PlaceFilterEditor(true);
    if (FSumList->Active()) FSumList->RecalcAll();
    Invalidate();
  };
  try {
    if (OnApplyFilter) OnApplyFilter(this);
    else ApplyFilter();
  } catch (...) {
    after();
    throw;
  }
  after();
}

void TCustomDBGridEh::ClearFilter() {
  LeaveFilterRow();
  for (Integer i = 0; i < FColumns->Count(); ++i) FColumns->Item(i)->STFilter()->Clear();
  Invalidate();
}

void TCustomDBGridEh::MoveFilterCell(bool Forward, bool FromEnd) {
  Integer count = FColumns->Count();
  if (count == 0) return;
  Integer b = FromEnd ? (Forward ? count : -1) : FFilterCol;
  bool dir = FromEnd ? !Forward : Forward;
  Integer i = b;
  for (Integer n = 0; n < count; ++n) {
    i = dir ? i + 1 : i - 1;
    if (i >= count) i = 0;
    if (i < 0) i = count - 1;
    if (i == b) return;
    if (IsColumnFilterable(i)) {
      EditFilterCell(i);
      return;
    }
  }
}

void TCustomDBGridEh::FilterEditKeyDown(Word& Key, TShiftState Shift) {
  // The open drop-down list takes its keys itself.
  if (!FFilterEdit || FFilterEdit->ListVisible()) return;
  String text = FFilterEdit->Text();
  Integer start = FFilterEdit->SelStart(), len = FFilterEdit->SelLength();
  Integer chars = Integer(Utf8Length(text));
  bool all = len == chars;
  bool atEnd = (start >= chars && len == 0) || all;
  bool atStart = chars == 0 || (start == 0 && (len == 0 || all));
  bool ctrl = Shift.Contains(ssCtrl);
  bool plain = !Shift.Contains(ssShift) && !ctrl && !Shift.Contains(ssAlt);
  switch (Key) {
    case VK_TAB:
      if (FOptions.Contains(dgTabs)) MoveFilterCell(!Shift.Contains(ssShift), false);
      Key = 0;
      break;
    case VK_END:
      if (ctrl || atEnd) MoveFilterCell(true, true), Key = 0;
      break;
    case VK_HOME:
      if (ctrl || atStart) MoveFilterCell(false, true), Key = 0;
      break;
    case VK_LEFT:
      if (ctrl || atStart) MoveFilterCell(false, ctrl), Key = 0;
      break;
    case VK_RIGHT:
      if (ctrl || atEnd) MoveFilterCell(true, ctrl), Key = 0;
      break;
    case VK_UP:
      if (plain) Key = 0;
      break;
    case VK_DOWN:
      if ((plain || (ctrl && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt))) && FDataLink->Active()) {
        Integer raw = DataToRawColumn(FFilterCol);
        if (raw >= FixedCols() && raw < ColCount()) SetCol(raw);
        if (!ctrl) FDataLink->MoveBy(-FDataLink->ActiveRecord());
        LeaveFilterRow();
        Key = 0;
      }
      break;
    case VK_F2:
      FFilterEdit->SetSelStart(chars);
      FFilterEdit->SetSelLength(0);
      Key = 0;
      break;
    default: break;
  }
}
