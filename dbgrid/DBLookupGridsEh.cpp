// The lookup grid and its drop-down form.
#include "DBLookupGridsEh.h"

#include <algorithm>
#include <climits>

#include "DBUtil.h"
#include "Forms.h"
#include "SysUtils.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_ENUM_INFO(TDBLookupGridEhOption, "dlgColumnResizeEh", "dlgColLinesEh", "dlgRowLinesEh",
                           "dlgAutoSortMarkingEh", "dlgMultiSortMarkingEh")
TOVANI_IMPLEMENT_CLASS(TDBLookupGridEh, TCustomDBGridEh)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBLookupGridColumnEh, TDBGridColumnEh)
TOVANI_IMPLEMENT_CLASS(TPopupDataGridEh, TDBLookupGridEh)

const char* const SCircularDataLinkEh = "Circular datalinks are not allowed";
const char* const SPropDefByLookupEh = "Property already defined by lookup field";

std::function<DWORD()> TDBLookupGridEh::SearchTickSource = [] { return GetTickCount(); };

namespace {

// One tick count shared by all lookup grids: a pause of more than two
// seconds between keys starts a new search text.
DWORD GLastSearchTick = 0;
constexpr DWORD SearchPauseMs = 2000;
constexpr size_t SearchTextCap = 32;

}   // namespace

bool KeyValueFitsKeyFieldsEh(const TFieldsArrEh& KeyFields, const Variant& Value) {
  if (KeyFields.size() < 2) return !Value.IsArray();
  return Value.IsArray() && Value.DimCount() == 1 && Value.ElementCount() == Integer(KeyFields.size());
}

// ---------------------------------------------------------------------------
// Construction and properties

TDBGridColumnsEh* TDBLookupGridEh::CreateColumns() {
  return new TDBGridColumnsEh(this, TDBLookupGridColumnEh::StaticClass());
}

void TDBLookupGridColumnEh::SetIndex(Integer Value) {
  auto* g = dynamic_cast<TDBLookupGridEh*>(Grid());
  const Integer old = Index();
  if (!g || Value == old || !g->ListActive() || Value < 0 || Value >= Collection()->Count()) {
    TDBGridColumnEh::SetIndex(Value);
    return;
  }
  // The special row's texts follow their columns.
  TSpecRowEh* spec = g->SpecRow();
  if (!spec->CellsText().empty()) {
    std::vector<String> cells;
    for (Integer i = 0; i < Collection()->Count(); ++i) cells.push_back(spec->CellTextAt(i));
    String moved = cells[size_t(old)];
    cells.erase(cells.begin() + old);
    cells.insert(cells.begin() + Value, moved);
    String joined;
    for (size_t i = 0; i < cells.size(); ++i) joined += (i ? ";" : "") + cells[i];
    spec->SetCellsText(joined);
  }
  if (Stored()) {
    TDBGridColumnEh::SetIndex(Value);
    return;
  }
  // A default column: the list fields take the new order, the list field
  // index keeps pointing at the same column.
  Integer lfi = g->ListFieldIndex();
  if (lfi == old) {
    lfi = Value;
  } else {
    if (old < lfi) --lfi;
    if (lfi >= Value) ++lfi;
  }
  TDBGridColumnsEh* cols = g->Columns();
  cols->BeginUpdate();
  try {
    TDBGridColumnEh::SetIndex(Value);
    String names;
    for (Integer i = 0; i < cols->Count(); ++i) names += (i ? ";" : "") + cols->Item(i)->FieldName();
    g->SetListFieldIndex(lfi);
    g->SetListField(names);
  } catch (...) {
    cols->EndUpdate();
    throw;
  }
  cols->EndUpdate();
}

TDBLookupGridEh::TDBLookupGridEh(TComponent* AOwner) : TCustomDBGridEh(AOwner) {
  RecreateColumns();
  SetControlStyle(ControlStyle() + csReplicatable);
  SetParentColor(false);
  FSpecRow = std::make_unique<TSpecRowEh>(this);
  FSpecRow->OnChanged = [this](TObject*) { SpecRowChanged(); };
  SetOptions({dgColLines, dgRowSelect});
  SetOptionsEh(OptionsEh() + dghTraceColSizing);
  SetFlat(true);
  SetDrawMemoText(true);
  SetTabStop(false);
  SetVTitleMargin(5);
}

TDBLookupGridEh::~TDBLookupGridEh() { FSpecRow->OnChanged = nullptr; }

void TDBLookupGridEh::SetListSource(TDataSource* v) {
  if (v == DataSource()) return;
  SetDataSource(v);
  UpdateListFields();
}

void TDBLookupGridEh::SetKeyField(const String& v) {
  if (v == FKeyField) return;
  FKeyField = v;
  UpdateListFields();
}

void TDBLookupGridEh::SetListField(const String& v) {
  if (v == FListField) return;
  FListField = v;
  UpdateListFields();
}

void TDBLookupGridEh::SetListFieldIndex(Integer v) {
  if (v == FListFieldIndex) return;
  FListFieldIndex = v;
  UpdateListFields();
}

void TDBLookupGridEh::SetKeyValue(const Variant& v) {
  if (VariantsEqualEh(FKeyValue, v)) return;
  FKeyValue = v;
  KeyValueChanged();
}

Integer TDBLookupGridEh::GetDataRowHeight() const {
  return DefaultRowHeight() + (Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

Integer TDBLookupGridEh::GetSpecRowHeight() const { return FSpecRow->Visible() ? GetDataRowHeight() : 0; }

Integer TDBLookupGridEh::GetBorderHeight() const {
  auto* self = const_cast<TDBLookupGridEh*>(this);
  return self->HandleAllocated() ? self->Height() - self->ClientHeight() : 0;
}

Integer TDBLookupGridEh::TitleAreaHeight() const {
  auto* self = const_cast<TDBLookupGridEh*>(this);
  return Options().Contains(dgTitles) && self->TCustomGridEh::RowCount() > 0 ? RowHeights(0) : 0;
}

void TDBLookupGridEh::ApplyHeight() {
  Integer lines = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
  Integer h = TitleAreaHeight() + lines + FRowCount * GetDataRowHeight() + GetBorderHeight() + GetSpecRowHeight();
  if (h != Height()) TCustomDBGridEh::SetBounds(Left(), Top(), Width(), h);
}

void TDBLookupGridEh::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (FInResize) {
    TCustomDBGridEh::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  FInResize = true;
  try {
    Integer rowH = std::max<Integer>(1, GetDataRowHeight());
    Integer fixed = GetBorderHeight() + TitleAreaHeight() + GetSpecRowHeight();
    FRowCount = std::clamp<Integer>((AHeight - fixed) / rowH, 1, 100);
    Integer lines = Options().Contains(dgRowLines) ? GridLineWidth() : 0;
    TCustomDBGridEh::SetBounds(ALeft, ATop, AWidth, fixed + rowH * FRowCount + lines);
  } catch (...) {
    FInResize = false;
    throw;
  }
  FInResize = false;
}

void TDBLookupGridEh::SetRowCount(Integer v) {
  FRowCount = std::clamp<Integer>(v, 1, 100);
  ApplyHeight();
}

void TDBLookupGridEh::SetShowTitles(bool v) {
  TDBGridOptions o = Options();
  if (v) o += dgTitles;
  else o -= dgTitles;
  SetOptions(o);
  ApplyHeight();
}

void TDBLookupGridEh::SetAutoFitColWidths(bool v) {
  if (v == FAutoFitColWidths) return;
  FAutoFitColWidths = v;
  HorzScrollBar()->SetVisible(!v);
  ApplyHeight();
}

void TDBLookupGridEh::SetLookupOptions(TDBLookupGridEhOptions v) {
  FLookupOptions = v;
  TDBGridOptions o = Options() - dgColumnResize - dgColLines - dgRowLines;
  if (v.Contains(dlgColumnResizeEh)) o += dgColumnResize;
  if (v.Contains(dlgColLinesEh)) o += dgColLines;
  if (v.Contains(dlgRowLinesEh)) o += dgRowLines;
  SetOptions(o);
  TDBGridEhOptions e = OptionsEh() - dghAutoSortMarking - dghMultiSortMarking;
  if (v.Contains(dlgAutoSortMarkingEh)) e += dghAutoSortMarking;
  if (v.Contains(dlgMultiSortMarkingEh)) e += dghMultiSortMarking;
  SetOptionsEh(e);
}

Integer TDBLookupGridEh::GetColumnsWidth() {
  Integer w = 0;
  for (Integer i = 0; i < Columns()->Count(); ++i) {
    TColumnEh* c = Columns()->Item(i);
    if (c->Visible()) w += c->Width();
    if (Options().Contains(dgColLines)) w += GridLineWidth();
  }
  return w;
}

TRect TDBLookupGridEh::GetDataRowsRect() {
  Integer top = Options().Contains(dgTitles) ? RowHeights(0) + (Options().Contains(dgRowLines) ? GridLineWidth() : 0) : 0;
  return TRect(0, top, ClientWidth(), ClientHeight());
}

void TDBLookupGridEh::CreateWnd() {
  TCustomDBGridEh::CreateWnd();
  SetRowCount(FRowCount);
}

// ---------------------------------------------------------------------------
// The list side

bool TDBLookupGridEh::CanModify() { return FListActive && !FListReadOnly; }

bool TDBLookupGridEh::IsKeyValueAcceptable(const TFieldsArrEh& KeyFields, const Variant& Value) {
  return KeyValueFitsKeyFieldsEh(KeyFields, Value);
}

void TDBLookupGridEh::UpdateListFields() {
  if (FInUpdateListFields) return;
  FInUpdateListFields = true;
  FListActive = false;
  FListFieldObj = nullptr;
  FListFields.clear();
  FKeyFields.clear();
  auto finish = [this] {
    FInUpdateListFields = false;
    if (FListActive) KeyValueChanged();
    else Invalidate();
  };
  try {
    TDataSet* ds = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    if (ds && !FKeyField.empty()) {
      GetFieldsArrayEh(ds, this, FKeyField, FKeyFields);
      CollectFieldsEh(&FListFields, ds, this, FListField);
      if (FListFields.empty()) FListFields.assign(FKeyFields.begin(), FKeyFields.end());
      if (!FListFields.empty())
        FListFieldObj = FListFieldIndex >= 0 && FListFieldIndex < Integer(FListFields.size())
                            ? FListFields[size_t(FListFieldIndex)]
                            : FListFields[0];
      FListActive = true;
    }
    LayoutChanged();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TDBLookupGridEh::RebuildFieldMap() {
  if (Columns()->IsCustomized() || FListFields.empty()) {
    TCustomDBGridEh::RebuildFieldMap();
    return;
  }
  // Without persistent columns the columns are the list fields.
  DataLink()->SetSparseMap(false);
  for (TField* f : FListFields) DataLink()->AddFieldMapping(f->FieldName());
}

void TDBLookupGridEh::DataLinkActiveChanged(bool Active) {
  TCustomDBGridEh::DataLinkActiveChanged(Active);
  UpdateListFields();
}

void TDBLookupGridEh::DataChanged() { TCustomDBGridEh::DataChanged(); }

bool TDBLookupGridEh::LocateKey() {
  TDataSet* ds = DataLink()->DataSet();
  if (FKeyValue.IsNull() || !ds || !ds->Active() || !IsKeyValueAcceptable(FKeyFields, FKeyValue)) return false;
  try {
    Variant key = FKeyValue;
    bool found = ds->Locate(FKeyField, FKeyValue, {});
    FKeyValue = key;
    return found;
  } catch (const Exception&) {
    return false;
  }
}

bool TDBLookupGridEh::ListAtBeginning() {
  TDataSet* ds = DataLink()->DataSet();
  return !ds || ds->Bof() || ds->RecNo() <= 1;
}

void TDBLookupGridEh::KeyValueChanged() {
  if (FSpecRow->Visible()) {
    FSpecRow->SetSelected(FSpecRow->MatchesKeyValue(FKeyValue));
    if (!FSpecRow->Selected() && !FLockPosition && FSpecRow->ShowIfNotInKeyList() && FListActive && !LocateKey())
      FSpecRow->SetSelected(true);
  } else {
    FSpecRow->SetSelected(false);
  }
  if (FListActive && !FLockPosition) {
    if (!LocateKey() && !FSpecRow->Selected())
      if (TDataSet* ds = DataLink()->DataSet()) ds->First();
  }
  if (FSpecRow->Visible() && FSpecRow->Selected()) FText = FSpecRow->CellTextAt(FListFieldIndex);
  else if (FListFieldObj && FListActive && LocateKey()) FText = FListFieldObj->DisplayText();
  else FText.clear();
  Invalidate();
  if (OnKeyValueChangedInternal) OnKeyValueChangedInternal(this);
}

void TDBLookupGridEh::SelectKeyValue(const Variant& Value) {
  SetKeyValue(Value);
  Invalidate();
  Click();
}

void TDBLookupGridEh::SpecRowChanged() {
  if (ComponentState().Contains(csLoading)) return;
  LayoutChanged();
  ApplyHeight();
  Invalidate();
}

void TDBLookupGridEh::SelectCurrent() {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !ds->Active() || ds->IsEmpty()) return;
  FLockPosition = true;
  try {
    Variant key = ds->FieldValues(FKeyField);
    if (!VariantsEqualEh(key, FKeyValue)) SelectKeyValue(key);
  } catch (...) {
    FLockPosition = false;
    throw;
  }
  FLockPosition = false;
}

void TDBLookupGridEh::SelectSpecRow() {
  FLockPosition = true;
  try {
    if (!VariantsEqualEh(FSpecRow->Value(), FKeyValue)) SelectKeyValue(FSpecRow->Value());
    FSpecRow->SetSelected(true);
  } catch (...) {
    FLockPosition = false;
    throw;
  }
  FLockPosition = false;
  Invalidate();
}

void TDBLookupGridEh::SelectAt(Integer X, Integer Y) {
  Integer title = Options().Contains(dgTitles) ? RowHeights(0) : 0;
  Integer spec = GetSpecRowHeight();
  if (FSpecRow->Visible() && Y > title && Y <= title + spec) {
    SelectSpecRow();
    return;
  }
  if (Y < title + spec) return;
  Y = std::min(Y, ClientHeight() - 1);
  TGridCoord cell = CellAtPoint(X, Y);
  if (cell.Y < TitleOffset()) return;
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !DataLink()->Active()) return;
  Integer distance = cell.Y - TitleOffset() - DataLink()->ActiveRecord();
  if (cell.Y - TitleOffset() >= DataLink()->RecordCount()) return;
  ds->MoveBy(distance);
  SelectCurrent();
}

Integer TDBLookupGridEh::GetKeyRowIndex() {
  if (FKeyValue.IsNull() || !DataLink()->Active()) return -1;
  TDataSet* ds = DataLink()->DataSet();
  Integer saved = DataLink()->ActiveRecord();
  Integer found = -1;
  try {
    for (Integer i = 0; i < DataLink()->RecordCount() && found < 0; ++i) {
      DataLink()->SetActiveRecord(i);
      if (VariantsEqualEh(ds->FieldValues(FKeyField), FKeyValue)) found = i;
    }
  } catch (...) {
    DataLink()->SetActiveRecord(saved);
    throw;
  }
  DataLink()->SetActiveRecord(saved);
  return found;
}

// ---------------------------------------------------------------------------
// Special row and highlight

Integer TDBLookupGridEh::IsFilterRowVisible() const {
  return TCustomDBGridEh::IsFilterRowVisible() + (FSpecRow->Visible() ? 1 : 0);
}

bool TDBLookupGridEh::HighlightDataCell(Integer DataCol, Integer DataRow, TFont* AFont, TColor& Background,
                                        TGridDrawState& State) {
  (void)DataCol;
  (void)DataRow;
  (void)State;
  if (FKeyValue.IsNull() || !DataLink()->Active() || UpdateLock() > 0 || FKeyField.empty()) return false;
  bool match = false;
  try {
    match = VariantsEqualEh(DataLink()->DataSet()->FieldValues(FKeyField), FKeyValue);
  } catch (const Exception&) {
    match = false;
  }
  if (!match) return false;
  Background = clHighlight;
  AFont->SetColor(clHighlightText);
  return true;
}

void TDBLookupGridEh::DrawCell(Integer ACol, Integer ARow, TRect ARect, TGridDrawState AState) {
  Integer specRow = TitleRowCount() + TCustomDBGridEh::IsFilterRowVisible();
  if (!FSpecRow->Visible() || ARow != specRow) {
    TCustomDBGridEh::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  TCanvas* c = Canvas();
  Integer dataCol = RawToDataColumn(ACol);
  if (dataCol < 0) {
    c->Brush()->SetColor(FixedColor());
    c->FillRect(ARect);
    return;
  }
  c->Font()->Assign(FSpecRow->Font());
  c->Brush()->SetColor(FSpecRow->Color());
  if (FSpecRow->Selected()) {
    c->Font()->SetColor(clHighlightText);
    c->Brush()->SetColor(clHighlight);
  }
  TAlignment align = dataCol < Columns()->Count() ? Columns()->Item(dataCol)->Alignment() : taLeftJustify;
  WriteTextEh(c, ARect, true, 2, 2, FSpecRow->CellTextAt(dataCol), align, tlTop, false, false, 0, 0, false);
  c->Font()->SetColor(clWindowText);
  c->Brush()->SetColor(clWindow);
}

// ---------------------------------------------------------------------------
// Keys, typing search and the mouse

void TDBLookupGridEh::KeyDown(Word& Key, TShiftState Shift) {
  if (!CanModify()) {
    TCustomDBGridEh::KeyDown(Key, Shift);
    return;
  }
  Integer rows = std::max<Integer>(1, VisibleRowCount());
  Integer step = 0;
  bool hbar = HorzScrollBar()->IsShowing();
  switch (Key) {
    case VK_PRIOR: step = 1 - rows; break;
    case VK_NEXT: step = rows - 1; break;
    case VK_END: step = INT_MAX; break;
    case VK_HOME: step = INT_MIN; break;
    case VK_UP: step = -1; break;
    case VK_DOWN: step = 1; break;
    case VK_LEFT: step = hbar ? 0 : -1; break;
    case VK_RIGHT: step = hbar ? 0 : 1; break;
  }
  if (step == 0) {
    TCustomDBGridEh::KeyDown(Key, Shift);
    return;
  }
  FSearchText.clear();
  TDataSet* ds = DataLink()->DataSet();
  Key = 0;
  if (!ds || !ds->Active()) return;
  if (step < 0 && FSpecRow->Visible() && (FSpecRow->Selected() || (LocateKey() && ListAtBeginning()))) {
    SelectSpecRow();
    ds->First();
    return;
  }
  if (step > 0 && FSpecRow->Visible() && FSpecRow->Selected()) {
    ds->First();
    SelectCurrent();
    return;
  }
  if (step == INT_MIN) {
    ds->First();
  } else if (step == INT_MAX) {
    ds->Last();
  } else if (!LocateKey()) {
    ds->First();
  } else {
    ds->MoveBy(step);
  }
  SelectCurrent();
}

void TDBLookupGridEh::ProcessSearchKey(char32_t Key) {
  if (!FListFieldObj || FListFieldObj->DataType() != ftString ||
      (FListFieldObj->FieldKind() != fkData && FListFieldObj->FieldKind() != fkInternalCalc))
    return;
  if (Key == 8 || Key == 27) {
    FSearchText.clear();
    return;
  }
  if (Key < 32 || !CanModify()) return;
  DWORD now = SearchTickSource();
  if (now - GLastSearchTick > SearchPauseMs) FSearchText.clear();
  GLastSearchTick = now;
  if (Utf8Length(FSearchText) >= SearchTextCap) return;
  String text = FSearchText + Utf8Encode(Key);
  try {
    TDataSet* ds = DataLink()->DataSet();
    if (ds->Locate(FListFieldObj->FieldName(), Variant(text), {loCaseInsensitive, loPartialKey}))
      SelectKeyValue(ds->FieldValues(FKeyField));
  } catch (const Exception&) {
    // A failed search selects nothing.
  }
  FSearchText = text;
}

void TDBLookupGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  Integer title = Options().Contains(dgTitles) ? RowHeights(0) : 0;
  TGridCoord cell = CellAtPoint(X, Y);
  bool onSpec = FSpecRow->Visible() && Y > title && Y <= title + GetSpecRowHeight();
  if (!onSpec && (cell.Y < TitleOffset() || cell.X < 0)) {
    TCustomDBGridEh::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FSearchText.clear();
  if (!FPopupMode && CanFocus() && !Focused()) {
    SetFocus();
    if (!Focused()) return;
  }
  if (!CanModify()) return;
  FTracking = true;
  SelectAt(X, Y);
}

void TDBLookupGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FTracking) {
    SelectAt(X, Y);
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
    return;
  }
  TCustomDBGridEh::MouseMove(Shift, X, Y);
}

void TDBLookupGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FTracking) {
    FTracking = false;
    SelectAt(X, Y);
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
    return;
  }
  TCustomDBGridEh::MouseUp(Button, Shift, X, Y);
}

bool TDBLookupGridEh::DoMouseWheelDown(TShiftState, TPoint) {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !DataLink()->Active()) return false;
  // Scrolls the list one row beyond the window; the key stays.
  ds->MoveBy(DataLink()->RecordCount() - DataLink()->ActiveRecord());
  return true;
}

bool TDBLookupGridEh::DoMouseWheelUp(TShiftState, TPoint) {
  TDataSet* ds = DataLink()->DataSet();
  if (!ds || !DataLink()->Active()) return false;
  ds->MoveBy(-DataLink()->ActiveRecord() - 1);
  return true;
}

void TDBLookupGridEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_SETFOCUS:
    case WM_VSCROLL:
      FSearchText.clear();
      break;
  }
  TCustomDBGridEh::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// The drop-down grid

TPopupDataGridEh::TPopupDataGridEh(TComponent* AOwner) : TDBLookupGridEh(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  FPopupMode = true;
  FSizeGrip = new TSizeGripEh(this);
  FSizeGrip->SetParent(this);
  SetShowHint(true);
}

void TPopupDataGridEh::CreateParams(TCreateParams& Params) {
  TDBLookupGridEh::CreateParams(Params);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_BORDER)) | WS_POPUP | WS_CLIPCHILDREN;
  if (!Ctl3D()) Params.Style |= WS_BORDER;
  Params.ExStyle = (Params.ExStyle & ~WS_EX_CLIENTEDGE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS | CS_HREDRAW;
  TWinControl* p = Parent();
  Params.WndParent = p && p->HandleAllocated() ? GetAncestor(p->Handle(), GA_ROOT) : nullptr;
}

void TPopupDataGridEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = MA_NOACTIVATE;
      return;
    case WM_SIZE:
      TDBLookupGridEh::Dispatch(Message);
      if (FSizeGrip) FSizeGrip->UpdatePosition();
      FSizeChanged = true;
      return;
    case CM_CHANGEGRIPCORNER_EH:
      if (FSizeGrip) FSizeGrip->ChangePosition(Integer(Message.WParam));
      return;
  }
  TDBLookupGridEh::Dispatch(Message);
}

void TPopupDataGridEh::KeyDown(Word& Key, TShiftState Shift) { TDBLookupGridEh::KeyDown(Key, Shift); }

void TPopupDataGridEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FPressedInside = true;
  TDBLookupGridEh::MouseDown(Button, Shift, X, Y);
}

void TPopupDataGridEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  // The selection follows the mouse while no button is held.
  if (!FTracking && !Shift.Contains(ssLeft) && CanModify() && GetDataRowsRect().Contains(TPoint(X, Y))) {
    SelectAt(X, Y);
    return;
  }
  TDBLookupGridEh::MouseMove(Shift, X, Y);
}

void TPopupDataGridEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TDBLookupGridEh::MouseUp(Button, Shift, X, Y);
  if (!FPressedInside) return;
  FPressedInside = false;
  bool inside = X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight();
  if (!inside) {
    if (OnCloseUp) OnCloseUp(this, false);
  } else if (GetDataRowsRect().Contains(TPoint(X, Y))) {
    if (OnCloseUp) OnCloseUp(this, true);
  }
}
