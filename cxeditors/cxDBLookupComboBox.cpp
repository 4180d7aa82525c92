#include "cxDBLookupComboBox.h"

#include "cxFilterControlUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxLookupComboBoxProperties, TcxCustomDBLookupEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomLookupComboBox, TcxCustomDBLookupEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxLookupComboBox, TcxCustomLookupComboBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxDBLookupComboBox, TcxCustomLookupComboBox)
TOVANI_IMPLEMENT_CLASS(TcxFilterLookupComboBoxHelper, TcxFilterComboBoxHelper)

// ---------------------------------------------------------------------------
// Filter helper and start-up

TClass TcxFilterLookupComboBoxHelper::GetFilterEditorClass() const { return TcxLookupComboBox::StaticClass(); }

bool TcxFilterLookupComboBoxHelper::AcceptsProperties(TcxCustomEditProperties* ASourceProperties) const {
  auto* p = dynamic_cast<TcxCustomDBLookupEditProperties*>(ASourceProperties);
  return p && p->IsDefinedByLookup();
}

void TcxFilterLookupComboBoxHelper::ReadFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties*, Variant& AValue,
                                                   String& ADisplayText) const {
  AValue = AEdit->EditValue();
  ADisplayText.clear();
  if (auto* e = dynamic_cast<TcxCustomLookupEdit*>(AEdit)) e->LookupEditData()->KeyToText(AValue, ADisplayText);
}

TcxFilterEditOperators TcxFilterLookupComboBoxHelper::GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass,
                                                                          bool) const {
  return cxFilterOperatorBit(1) | cxFilterOperatorBit(2) | cxFilterOperatorBit(9) | cxFilterOperatorBit(10);
}

void TcxFilterLookupComboBoxHelper::InitFilterProperties(TcxCustomEditProperties* AProperties,
                                                         TcxCustomEditProperties* ASourceProperties,
                                                         bool AKeepButtons) const {
  TcxFilterComboBoxHelper::InitFilterProperties(AProperties, ASourceProperties, AKeepButtons);
  if (auto* p = dynamic_cast<TcxLookupComboBoxProperties*>(AProperties)) {
    p->SetDropDownListStyle(lsFixedList);
    p->SetDropDownAutoSize(true);
    p->SetDropDownSizeable(true);
    p->SetIncrementalFiltering(true);
  }
}

namespace {
const TcxFilterLookupComboBoxHelper gLookupComboBoxFilterHelper;

struct TLookupComboBoxUnitRegistration {
  TLookupComboBoxUnitRegistration() {
    cxEditPropertiesRegistry()->AddClass(TcxLookupComboBoxProperties::StaticClass(),
                                         "LookupComboBox|Represents a lookup combo box control");
    cxRegisterFilterEditHelper(TcxFilterLookupComboBoxHelper::StaticClass(), &gLookupComboBoxFilterHelper);
    cxGetFilterEditsController()->AddClassPair(TcxLookupComboBoxProperties::StaticClass(),
                                               TcxFilterLookupComboBoxHelper::StaticClass());
  }
  ~TLookupComboBoxUnitRegistration() {
    if (cxFilterEditsControllerExists())
      cxGetFilterEditsController()->RemoveClassPair(TcxLookupComboBoxProperties::StaticClass(),
                                                    TcxFilterLookupComboBoxHelper::StaticClass());
  }
};
}  // namespace

void cxDBLookupComboBoxUnitStartup() { static TLookupComboBoxUnitRegistration registration; }

// ---------------------------------------------------------------------------
// Properties

TcxLookupComboBoxProperties::TcxLookupComboBoxProperties(TPersistent* AOwner)
    : TcxCustomDBLookupEditProperties(AOwner) {
  cxDBLookupComboBoxUnitStartup();
  FGrid.reset(CreateLookupGrid());
  FGrid->SetInPopup(true);
  FGrid->Options()->OnChanged = [this](TObject* Sender) { ListOptionsChanged(Sender); };
  RegisterListListener();
}

TcxLookupComboBoxProperties::~TcxLookupComboBoxProperties() {
  UnregisterListListener();
  FGrid->Options()->OnChanged = nullptr;
  FGrid.reset();
}

TClass TcxLookupComboBoxProperties::GetContainerClass() { return TcxLookupComboBox::StaticClass(); }

void TcxLookupComboBoxProperties::SetListColumns(TcxLookupDBGridColumns* Value) {
  FGrid->AssignColumns(Value);
  ApplyLookupResultField();
  ClampListFieldIndex();
}

TDataSource* TcxLookupComboBoxProperties::ListSource() {
  return IsDefinedByLookup() ? nullptr : FGrid->DataSource();
}

void TcxLookupComboBoxProperties::SetListSource(TDataSource* Value) {
  if (IsDefinedByLookup() && !Adopting()) DatabaseError(cxLoadResourceText(cxSEditPropertyAlreadyDefinedByLookup));
  if (Value && Value->DataSet()) {
    // The list may not be read from the edited dataset or one of its
    // masters: moving through the list would move the edited record.
    if (TField* field = BoundField()) {
      std::vector<TDataSet*> seen;
      for (TDataSet* ds = field->DataSet(); ds;) {
        if (ds == Value->DataSet()) DatabaseError(cxLoadResourceText(cxSEditCircularDataLinks));
        if (std::find(seen.begin(), seen.end(), ds) != seen.end()) break;
        seen.push_back(ds);
        TDataSource* master = ds->GetDataSource();
        ds = master ? master->DataSet() : nullptr;
      }
    }
  }
  FGrid->SetDataSource(Value);
  Changed();
}

Integer TcxLookupComboBoxProperties::GetListColumnsWidth() {
  Integer w = 0;
  for (Integer i = 0; i < FGrid->Columns()->Count(); ++i) w += FGrid->Columns()->Items(i)->Width();
  return w;
}

void TcxLookupComboBoxProperties::SetListEvents(const TcxLookupGridCloseRequestEvent& ACloseRequest,
                                               const TNotifyEvent& AFocusMoved, const TNotifyEvent& AItemClick) {
  FGrid->OnCloseRequest = ACloseRequest;
  FGrid->OnFocusMoved = AFocusMoved;
  FGrid->OnItemClick = AItemClick;
}

void TcxLookupComboBoxProperties::SetListAppearance(TcxLookAndFeel* ALookAndFeel, TColor AColor, TFont* AFont) {
  FGrid->LookAndFeel()->SetMaster(ALookAndFeel);
  FGrid->SetColor(AColor);
  if (AFont) FGrid->Font()->Assign(AFont);
}

void TcxLookupComboBoxProperties::AddListColumnForField(const String& AFieldName) {
  if (AFieldName.empty() || FGrid->Columns()->FindByFieldName(AFieldName)) return;
  FGrid->BeginUpdate();
  try {
    TcxLookupDBGridColumn* column = FGrid->Columns()->Add();
    column->SetFieldName(AFieldName);
    column->SetIndex(0);
  } catch (...) {
    FGrid->EndUpdate();
    throw;
  }
  FGrid->EndUpdate();
}

Integer TcxLookupComboBoxProperties::FindListColumnByFieldName(const String& AName) {
  TcxLookupDBGridColumn* column = FGrid->Columns()->FindByFieldName(AName);
  return column ? column->Index() : -1;
}

void TcxLookupComboBoxProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxLookupComboBoxProperties*>(Source);
  if (!src) {
    TcxCustomDBLookupEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    SetGridMode(src->GridMode());
    SetListOptions(src->ListOptions());
    if (!IsDefinedByLookup()) {
      SetListSource(src->ListSource());
      SetListColumns(src->ListColumns());
    }
    OnSortingChanged() = src->OnSortingChanged();
    TcxCustomDBLookupEditProperties::Assign(Source);
    if (IsDefinedByLookup()) SetListColumns(src->ListColumns());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TOVANI_PUBLISHED(TcxLookupComboBoxProperties) {
  using P = TcxLookupComboBoxProperties;
  Property("CaseSensitiveSearch", &P::CaseSensitiveSearch, &P::SetCaseSensitiveSearch).Default(false);
  Property("ClearKey", &P::ClearKey, &P::SetClearKey).Default(0);
  Property("DropDownAutoSize", &P::DropDownAutoSize, &P::SetDropDownAutoSize).Default(false);
  Property("DropDownHeight", &P::DropDownHeight, &P::SetDropDownHeight).Default(0);
  Property("DropDownListStyle", &P::DropDownListStyle, &P::SetDropDownListStyle).Default(lsEditFixedList);
  Property("DropDownRows", &P::DropDownRows, &P::SetDropDownRows).Default(8);
  Property("DropDownSizeable", &P::DropDownSizeable, &P::SetDropDownSizeable).Default(false);
  Property("DropDownWidth", &P::DropDownWidth, &P::SetDropDownWidth).Default(0);
  Property("GridMode", &P::GridMode, &P::SetGridMode).Default(false);
  Property("ImmediateDropDown", &P::ImmediateDropDown, &P::SetImmediateDropDown).Default(true);
  Property("ImmediatePost", &P::ImmediatePost, &P::SetImmediatePost).Default(false);
  Property("IncrementalFiltering", &P::IncrementalFiltering, &P::SetIncrementalFiltering).Default(true);
  Property("KeyFieldNames", &P::KeyFieldNames, &P::SetKeyFieldNames);
  Property("ListColumns", &P::ListColumns, &P::SetListColumns);
  Property("ListFieldNames", &P::ListFieldNames, &P::SetListFieldNames).Stored(false);
  Property("ListFieldIndex", &P::ListFieldIndex, &P::SetListFieldIndexValue).Default(0);
  Property("ListOptions", &P::ListOptions, &P::SetListOptions);
  Property("ListSource", &P::ListSource, &P::SetListSource);
  Property("PopupAlignment", &P::PopupAlignment, &P::SetPopupAlignment).Default(Integer(taLeftJustify));
  Property("PostPopupValueOnTab", &P::PostPopupValueOnTab, &P::SetPostPopupValueOnTab).Default(false);
  Property("ValidateOnEnter", &P::ValidateOnEnter, &P::SetValidateOnEnter).Default(true);
  Property("OnChange", &P::OnChange);
  Property("OnEditValueChanged", &P::OnEditValueChanged);
  Property("OnCloseUp", &P::OnCloseUp);
  Property("OnInitPopup", &P::OnInitPopup);
  Property("OnPopup", &P::OnPopup);
}

// ---------------------------------------------------------------------------
// Editors

TcxCustomLookupComboBox::TcxCustomLookupComboBox(TComponent* AOwner, bool AIsInplace)
    : TcxCustomDBLookupEdit(AOwner, AIsInplace, [](TPersistent* AOwner) -> TcxCustomEditProperties* {
        return new TcxLookupComboBoxProperties(AOwner);
      }) {}

TcxDBLookupComboBox::TcxDBLookupComboBox(TComponent* AOwner) : TcxCustomLookupComboBox(AOwner) {
  SetDataBindingObject(new TcxDBLookupEditDataBinding(this));
}

TcxDBLookupEditDataBinding* TcxDBLookupComboBox::DataBinding() const {
  auto* b = dynamic_cast<TcxDBLookupEditDataBinding*>(TcxCustomEdit::DataBinding());
  if (!b) throw EInvalidCast("Invalid class typecast");
  return b;
}

void TcxDBLookupComboBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_GETDATALINK) {
    Message.Result = LRESULT(cxEditDataLinkOf(this));
    return;
  }
  TcxCustomLookupComboBox::Dispatch(Message);
}

namespace {
template <class E>
void PublishEditor(TPublisher<E>& P) {
  P.Property("AutoSize", &E::AutoSize, &E::SetAutoSize).Default(true);
  P.Property("BeepOnEnter", &E::BeepOnEnter, &E::SetBeepOnEnter).Default(true);
  P.template Property<TcxLookupComboBoxProperties*>(
      "Properties", [](E* e) { return e->Properties(); },
      [](E* e, TcxLookupComboBoxProperties* v) { e->SetProperties(v); });
  P.template Property<TcxEditStyle*>("Style", [](E* e) { return e->Style(); },
                                     [](E* e, TcxEditStyle* v) { e->SetStyle(v); });
  P.Property("OnEditing", &E::OnEditing);
}
}  // namespace

TOVANI_PUBLISHED(TcxLookupComboBox) {
  PublishEditor<TcxLookupComboBox>(*this);
  Property("EditValue", &TcxLookupComboBox::EditValue, &TcxLookupComboBox::SetEditValue)
      .Stored([](TObject* o) { return !static_cast<TcxLookupComboBox*>(o)->EditValue().IsNull(); });
}

TOVANI_PUBLISHED(TcxDBLookupComboBox) {
  Property<TcxDBLookupEditDataBinding*>(
      "DataBinding", [](TcxDBLookupComboBox* e) { return e->DataBinding(); },
      [](TcxDBLookupComboBox* e, TcxDBLookupEditDataBinding* v) { e->SetDataBinding(v); });
  PublishEditor<TcxDBLookupComboBox>(*this);
}
