#include "cxLookupEdit.h"

#include <algorithm>

#include "cxDataUtils.h"
#include "cxTextChars.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomLookupEditLookupData, TcxCustomTextEditLookupData)
TOVANI_IMPLEMENT_CLASS(TcxCustomLookupEditProperties, TcxCustomComboBoxProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomLookupEdit, TcxCustomComboBox)

namespace {
struct TLookupLock {
  TcxCustomLookupEditLookupData* Data;
  explicit TLookupLock(TcxCustomLookupEditLookupData* AData) : Data(AData) { Data->BeginLock(); }
  ~TLookupLock() { Data->EndLock(); }
};
struct TListLock {
  TcxCustomLookupEditProperties* Props;
  explicit TListLock(TcxCustomLookupEditProperties* AProps) : Props(AProps) { Props->BeginListLock(); }
  ~TListLock() { Props->EndListLock(); }
};
}  // namespace

// ---------------------------------------------------------------------------
// Lookup data

TcxCustomLookupEditLookupData::TcxCustomLookupEditLookupData(TcxCustomTextEdit* AOwner)
    : TcxCustomTextEditLookupData(AOwner) {
  FCurrentKey = Variant::Null();
}

TcxCustomLookupEdit* TcxCustomLookupEditLookupData::Editor() const {
  return static_cast<TcxCustomLookupEdit*>(Edit());
}

TcxCustomLookupEditProperties* TcxCustomLookupEditLookupData::ActiveProperties() const {
  return Editor()->ActiveProperties();
}

TcxCustomDataController* TcxCustomLookupEditLookupData::ListController() const {
  return ActiveProperties()->GetListDataController();
}

Integer TcxCustomLookupEditLookupData::ListColumnIndex() const { return ActiveProperties()->GetEffectiveListIndex(); }

Integer TcxCustomLookupEditLookupData::FocusedListRecord() const {
  TcxCustomDataController* dc = ListController();
  return dc ? dc->GetFocusedRecordIndex() : -1;
}

void TcxCustomLookupEditLookupData::FlagMatch(bool Value) {
  if (TcxCustomDataController* dc = ListController()) dc->SetFocusedSelected(Value);
}

void TcxCustomLookupEditLookupData::BeginLock() { ActiveProperties()->Lock(); }
void TcxCustomLookupEditLookupData::EndLock() { ActiveProperties()->Unlock(); }

bool TcxCustomLookupEditLookupData::AllowsPopupResize(TSize& ASize, Integer AMaxHeight, Integer) {
  if (AMaxHeight > 0 && AMaxHeight < ASize.cy) ASize.cy = AMaxHeight;
  if (ActiveProperties()->SnapsListHeight()) ASize.cy = ActiveProperties()->SnapListHeight(ASize.cy);
  return true;
}

void TcxCustomLookupEditLookupData::SyncListToKey() {
  // Once per drop-down (the drop-down editor and the lookup editor may both
  // finalise it).
  if (!FVisible) return;
  TcxCustomLookupEditProperties* props = ActiveProperties();
  ResetFilter();
  FVisible = false;
  props->SetListEvents(nullptr, nullptr, nullptr);
  props->ReleaseListMouse();
  props->ListDeactivated();
  props->EndListLock();
}

void TcxCustomLookupEditLookupData::ReleaseVisualArea() { ActiveProperties()->DetachList(); }

void TcxCustomLookupEditLookupData::BeforePopup() {
  if (FVisible) return;
  TLookupLock lock(this);
  TcxCustomLookupEditProperties* props = ActiveProperties();
  props->BeginListLock();
  props->BeforeListPrepare();
  props->SetListEvents([this](TObject* Sender, bool AAccept) { ListCloseRequest(Sender, AAccept); },
                       [this](TObject* Sender) { ListFocusMoved(Sender); },
                       [this](TObject* Sender) { ListClicked(Sender); });
  TcxCustomEditStyle* style = Editor()->GetCurrentStyle();
  props->SetListAppearance(Editor()->PopupControlsLookAndFeel(), style->Color(), style->GetVisibleTextFont());
  props->ListShown();
  FVisible = true;
  SyncToKey();
  ApplyEditText();
}

bool TcxCustomLookupEditLookupData::ContainsText(const String& AText) { return ActiveProperties()->IsLookupText(AText); }

TWinControl* TcxCustomLookupEditLookupData::GetListControl() { return ActiveProperties()->GetListControl(); }

void TcxCustomLookupEditLookupData::KeyToText(const Variant& AKey, String& AText) {
  ActiveProperties()->GetKeyDisplayText(AKey, AText);
}

void TcxCustomLookupEditLookupData::GetPreferredListSize(TSize& ASize) {
  TcxCustomLookupEditProperties* props = ActiveProperties();
  ASize.cx = props->GetListColumnsWidth();
  Integer rows = props->DropDownRows();
  if (TcxCustomDataController* dc = ListController()) rows = std::min(rows, dc->GetRowCount());
  rows = std::max(rows, 1);
  ASize.cy = props->GetListHeightForRows(rows);
}

void TcxCustomLookupEditLookupData::MoveSelection(TcxLookupMove ADirection, bool ACircular) {
  TcxCustomDataController* dc = ListController();
  if (!dc || dc->GetRecordCount() == 0) return;
  TLookupLock lock(this);
  TcxCustomLookupEditProperties* props = ActiveProperties();
  ResetFilter();
  FitPopupToRows();
  {
    TListLock listLock(props);
    switch (ADirection) {
      case lmFirst: dc->GotoFirst(); break;
      case lmLast: dc->GotoLast(); break;
      default:
        SyncToKey();
        switch (ADirection) {
          case lmNext:
            if (ACircular && dc->IsEOF()) dc->GotoFirst(); else dc->GotoNext();
            break;
          case lmPageDown:
            if (ACircular && dc->IsEOF()) dc->GotoFirst(); else dc->MoveBy(props->DropDownRows());
            break;
          case lmPrior:
            if (ACircular && dc->IsBOF()) dc->GotoLast(); else dc->GotoPrev();
            break;
          case lmPageUp:
            if (ACircular && dc->IsBOF()) dc->GotoLast(); else dc->MoveBy(-props->DropDownRows());
            break;
          default: break;
        }
    }
  }
  SetKeyFromRecord(FocusedListRecord());
  FlagMatch(FocusedListRecord() != -1);
  FireItemSelected();
}

void TcxCustomLookupEditLookupData::CreateList(TWinControl* AParent) {
  if (TWinControl* list = GetListControl()) list->SetParent(AParent);
}

bool TcxCustomLookupEditLookupData::HasNoItems() {
  TcxCustomDataController* dc = ListController();
  return !(ListColumnIndex() != -1 && dc && dc->GetRecordCount() > 0);
}

bool TcxCustomLookupEditLookupData::IsPointInList(const TPoint& AScreenPoint) {
  TWinControl* list = GetListControl();
  if (!list || !list->HandleAllocated()) return false;
  return ActiveProperties()->IsPointInList(list->ScreenToClient(AScreenPoint));
}

Integer TcxCustomLookupEditLookupData::FilteredRecord(const String& AText) {
  TcxCustomDataController* dc = ListController();
  const Integer item = ListColumnIndex();
  Integer record;
  if (!AText.empty()) {
    const String previous = dc->GetIncrementalFilterText();
    record = dc->SetIncrementalFilter(item, AText);
    if (dc->GetFilteredRecordCount() == 0) {
      // The list keeps showing its last matching state unless free text may
      // stand.
      if (ActiveProperties()->DropDownListStyle() != lsEditList) dc->SetIncrementalFilter(item, previous);
      record = -1;
    }
  } else {
    ResetFilter();
    record = ActiveProperties()->FindRecordByText(item, String(), true);
  }
  FitPopupToRows();
  return record;
}

bool TcxCustomLookupEditLookupData::FindPrefix(String& AText, String& ATail, bool) {
  TLookupLock lock(this);
  TcxCustomLookupEditProperties* props = ActiveProperties();
  TcxCustomDataController* dc = ListController();
  const Integer item = ListColumnIndex();
  if (item == -1 || !dc) return false;
  const Integer record = FVisible && props->UsesIncrementalFiltering() ? FilteredRecord(AText)
                                                                        : props->FindRecordByText(item, AText, true);
  if (record == -1) {
    FlagMatch(false);
    return false;
  }
  dc->ChangeFocusedRecordIndex(record);
  SetKeyFromRecord(record);
  const String text = dc->GetDisplayText(record, item);
  const TcxChars chars = cxUtf8ToChars(text);
  const size_t head = std::min(chars.size(), cxUtf8ToChars(AText).size());
  AText = cxCharsToUtf8(chars.substr(0, head));
  ATail = cxCharsToUtf8(chars.substr(head));
  FlagMatch(true);
  return true;
}

void TcxCustomLookupEditLookupData::PlaceList(const TRect& R) {
  TWinControl* list = GetListControl();
  if (!list) return;
  list->SetBoundsRect(R);
  list->HandleNeeded();
  ActiveProperties()->ShowFocusedListRow();
}

void TcxCustomLookupEditLookupData::ChooseListItem() {
  if (!IsFocusedRowSelected()) return;
  SetKeyFromRecord(FocusedListRecord());
  FireItemSelected();
}

void TcxCustomLookupEditLookupData::WriteCurrentKey(const Variant& AKey) {
  FCurrentKey = AKey;
  SyncToKey();
}

void TcxCustomLookupEditLookupData::EditTextChanged() {
  if (!Editor()->CanSyncListWithText()) return;
  TLookupLock lock(this);
  ApplyEditText();
}

void TcxCustomLookupEditLookupData::SetKeyFromRecord(Integer ARecordIndex) {
  FCurrentKey = Variant(ARecordIndex);
}

void TcxCustomLookupEditLookupData::FocusKeyRecord() {
  TcxCustomDataController* dc = ListController();
  if (!dc) return;
  dc->ChangeFocusedRecordIndex(FCurrentKey.IsNull() ? -1 : FCurrentKey.AsInteger());
}

void TcxCustomLookupEditLookupData::ListCloseRequest(TObject*, bool AAccept) {
  Editor()->CloseUp(AAccept ? pcrAccept : pcrCancel);
}

bool TcxCustomLookupEditLookupData::IsFocusedRowSelected() {
  TcxCustomDataController* dc = ListController();
  return dc && dc->GetSelectedCount() == 1 && dc->GetSelectedRowIndex(0) == dc->GetFocusedRowIndex();
}

bool TcxCustomLookupEditLookupData::LocateText(const String& AText) {
  TcxCustomDataController* dc = ListController();
  const Integer item = ListColumnIndex();
  if (item == -1 || !dc) return false;
  const Integer record = ActiveProperties()->FindRecordByText(item, AText, false);
  if (record == -1) {
    FlagMatch(false);
    return false;
  }
  dc->ChangeFocusedRecordIndex(record);
  SetKeyFromRecord(record);
  FlagMatch(true);
  return true;
}

void TcxCustomLookupEditLookupData::ResetFilter() {
  if (TcxCustomDataController* dc = ListController()) dc->ResetIncrementalFilter();
}

void TcxCustomLookupEditLookupData::SyncToKey() {
  FocusKeyRecord();
  ActiveProperties()->ShowFocusedListRow();
}

void TcxCustomLookupEditLookupData::ApplyEditText() {
  TcxCustomLookupEditProperties* props = ActiveProperties();
  if (props->InListDataChange()) return;
  TcxCustomDataController* dc = ListController();
  const String text = Editor()->Text();
  if (FVisible && props->UsesIncrementalFiltering() && dc) {
    if (dc->ChangeIncrementalFilterText(text)) FitPopupToRows();
  }
  const Integer item = ListColumnIndex();
  bool matched = false;
  if (item != -1 && dc) {
    const Integer focused = dc->GetFocusedRecordIndex();
    if (focused != -1 && FVisible && cxTextMatches(dc->GetDisplayText(focused, item), text, false)) {
      matched = true;
    } else {
      const Integer record = props->FindRecordByText(item, text, false);
      if (record != -1) {
        dc->ChangeFocusedRecordIndex(record);
        SetKeyFromRecord(record);
        matched = true;
      }
    }
  }
  FlagMatch(matched);
}

void TcxCustomLookupEditLookupData::FitPopupToRows() {
  TcxCustomLookupEdit* edit = Editor();
  TcxCustomDataController* dc = ListController();
  if (!FVisible || !edit->HasPopupWindow() || !dc) return;
  TcxCustomLookupEditProperties* props = ActiveProperties();
  const Integer rows = std::max(1, std::min(dc->GetRowCount(), props->DropDownRows()));
  const Integer height = props->GetListHeightForRows(rows);
  TWinControl* list = GetListControl();
  if (!list || list->ClientHeight() == height) return;
  if (!edit->PopupSizeChanged()) edit->ResetPopupHeight();
  edit->RelayoutPopup();
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomLookupEditProperties::TcxCustomLookupEditProperties(TPersistent* AOwner)
    : TcxCustomComboBoxProperties(AOwner) {
  FIncrementalFiltering = true;
  SetDropDownHeight(0);
  SetDropDownWidth(0);
  SetDropDownListStyle(lsEditFixedList);
  SetDropDownAutoSize(false);
  SetPopupSizeable(false);
}

void TcxCustomLookupEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomLookupEditProperties*>(Source);
  if (!src) {
    TcxCustomComboBoxProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomComboBoxProperties::Assign(Source);
    if (!IsDefinedByLookup()) SetListFieldIndex(src->FListFieldIndex);
    FSpare = src->FSpare;
    FIncrementalFiltering = src->FIncrementalFiltering;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TClass TcxCustomLookupEditProperties::GetContainerClass() { return TcxCustomLookupEdit::StaticClass(); }

TcxEditValueSource TcxCustomLookupEditProperties::UsesDataDisplayFormat(bool) {
  return EditValueIsText() ? evsText : evsValue;
}

Integer TcxCustomLookupEditProperties::GetViewOptions() {
  Integer options = TcxCustomComboBoxProperties::GetViewOptions();
  if (UsesDataDisplayFormat(false) == evsValue) options |= 0x200;
  return options;
}

void TcxCustomLookupEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue,
                                                        bool AEditFocused) {
  if (EditValueIsText() || (IsLookupFieldBound() && !AEditFocused)) {
    TcxCustomComboBoxProperties::PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
    return;
  }
  String text;
  GetKeyDisplayText(AEditValue, text);
  ADisplayValue = Variant(text);
}

bool TcxCustomLookupEditProperties::IsLookupText(const String& AText) {
  return GetEffectiveListIndex() != -1 && GetListDataController() &&
         FindRecordByText(GetEffectiveListIndex(), AText, false) != -1;
}

TcxTextEditLookupDataFactory TcxCustomLookupEditProperties::GetLookupDataType() {
  return [](TcxCustomTextEdit* AOwner) -> TcxCustomTextEditLookupData* {
    return new TcxCustomLookupEditLookupData(AOwner);
  };
}

bool TcxCustomLookupEditProperties::IsLookupNavigationKey(Word Key, TShiftState Shift) {
  switch (Key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN: return !Shift.Contains(ssAlt);
    case VK_HOME:
    case VK_END: return Shift.Contains(ssCtrl);
    default: return false;
  }
}

void TcxCustomLookupEditProperties::UnregisterListListener() {
  if (TcxCustomDataController* dc = GetListDataController()) dc->RemoveDataChangedListener(this);
}

void TcxCustomLookupEditProperties::RegisterListListener() {
  if (TcxCustomDataController* dc = GetListDataController())
    dc->AddDataChangedListener(this, [this](TObject* Sender) { ListDataChanged(Sender); });
}

Integer TcxCustomLookupEditProperties::FindRecordByText(Integer AItemIndex, const String& AText, bool APartial) {
  TcxCustomDataController* dc = GetListDataController();
  if (!dc) return -1;
  return dc->FindRecordIndexByText(0, AItemIndex, AText, APartial, false, true);
}

Integer TcxCustomLookupEditProperties::GetEffectiveListIndex() {
  const Integer count = GetListColumnCount();
  const Integer index = GetListFieldIndex();
  return index < count ? index : count - 1;
}

void TcxCustomLookupEditProperties::ListDataChanged(TObject*) {
  if (FInListDataChange || IsLocked() || IsListDataLocked()) return;
  FInListDataChange = true;
  try {
    Changed();
  } catch (...) {
    FInListDataChange = false;
    throw;
  }
  FInListDataChange = false;
}

bool TcxCustomLookupEditProperties::IsListDataLocked() {
  TcxCustomDataController* dc = GetListDataController();
  return dc && dc->IsDataChangeLocked();
}

void TcxCustomLookupEditProperties::BeginListLock() {
  if (TcxCustomDataController* dc = GetListDataController()) dc->IncLookupLock();
}

void TcxCustomLookupEditProperties::EndListLock() {
  if (TcxCustomDataController* dc = GetListDataController()) dc->DecLookupLock();
}

void TcxCustomLookupEditProperties::SetListFieldIndex(Integer AIndex) {
  AIndex = std::max(0, std::min(AIndex, GetListColumnCount() - 1));
  if (AIndex == FListFieldIndex) return;
  FListFieldIndex = AIndex;
  Changed();
}

void TcxCustomLookupEditProperties::ClampListFieldIndex() {
  if (FListFieldIndex >= GetListColumnCount()) SetListFieldIndex(GetListColumnCount() - 1);
}

void TcxCustomLookupEditProperties::DetachList() {
  if (TcxCustomLookupGrid* grid = GetListGrid()) grid->SetParent(nullptr);
}

// ---------------------------------------------------------------------------
// Editor

TcxCustomLookupEdit::TcxCustomLookupEdit(TComponent* AOwner, bool AIsInplace,
                                         const TcxEditPropertiesFactory& AProperties)
    : TcxCustomComboBox(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* AOwner) -> TcxCustomEditProperties* {
                          return new TcxCustomLookupEditProperties(AOwner);
                        }) {
  SetWidth(145);
}

TcxCustomLookupEdit::~TcxCustomLookupEdit() {
  // The list belongs to the properties, not to the drop-down window that
  // goes with the editor.
  TWinControl* list = ActiveProperties()->GetListControl();
  if (list && PopupWindow() && list->Parent() == PopupWindow()) ActiveProperties()->DetachList();
}

void TcxCustomLookupEdit::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  TcxCustomLookupEditProperties* props = ActiveProperties();
  if (props->EditValueIsText()) {
    AEditValue = ADisplayValue;
    return;
  }
  TcxCustomLookupEditLookupData* lookup = LookupEditData();
  String keyText;
  lookup->KeyToText(lookup->ReadCurrentKey(), keyText);
  if (VarToStr(ADisplayValue) == keyText && !ADisplayValue.IsNull()) {
    AEditValue = lookup->ReadCurrentKey();
    return;
  }
  if (lookup->LocateText(VarToStr(ADisplayValue)))
    AEditValue = lookup->ReadCurrentKey();
  else
    props->GetNullKey(AEditValue);
}

void TcxCustomLookupEdit::GetEditingValue(Variant& AValue) {
  DisplayToEditValue(Variant(Text()), AValue, UsesEditFormat());
}

void TcxCustomLookupEdit::BeginPosting() {
  LookupEditData()->BeginLock();
  TcxCustomComboBox::BeginPosting();
}

void TcxCustomLookupEdit::EndPosting() {
  TcxCustomComboBox::EndPosting();
  LookupEditData()->EndLock();
}

void TcxCustomLookupEdit::HandleEnter() {
  TcxCustomComboBox::HandleEnter();
  LookupEditData()->EditTextChanged();
}

void TcxCustomLookupEdit::DropDown() {
  TcxCustomComboBox::DropDown();
  LookupEditData()->WriteCurrentKey(EditValue());
}

void TcxCustomLookupEdit::UpdateDrawValue() {
  TcxCustomComboBox::UpdateDrawValue();
  if (HasPopupWindow()) LookupEditData()->WriteCurrentKey(EditValue());
}

void TcxCustomLookupEdit::ReleasingFocusHook() { ActiveProperties()->DetachList(); }

