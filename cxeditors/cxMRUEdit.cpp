// The MRU editor.
#include "cxMRUEdit.h"

#include <windows.h>

#include "cxClasses.h"
#include "cxFilterControlUtils.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomMRUEditProperties, TcxCustomComboBoxProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxMRUEditProperties, TcxCustomMRUEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomMRUEdit, TcxCustomComboBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxMRUEdit, TcxCustomMRUEdit)

namespace {
const TcxResourceString cxSEditMRUDescription{
    "MRUEdit|Represents a text editor displaying the list of most recently used items (MRU) within a dropdown window"};

void RegisterMRUEdit() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  cxEditPropertiesRegistry()->AddClass(TcxMRUEditProperties::StaticClass(), cxLoadResourceText(cxSEditMRUDescription));
  cxGetFilterEditsController()->AddClassPair(TcxMRUEditProperties::StaticClass(),
                                             TcxFilterTextEditHelper::StaticClass());
}
}  // namespace

TcxCustomMRUEditProperties::TcxCustomMRUEditProperties(TPersistent* AOwner) : TcxCustomComboBoxProperties(AOwner) {
  RegisterMRUEdit();
  BeginUpdate();
  TcxEditButton* B = Buttons()->Add();
  SetGlyphButtonIndex(1);
  B->SetKind(bkEllipsis);
  B->SetDefault(true);
  SetDropDownListStyle(lsEditList);
  SetExactMatchLookup(true);
  EndUpdate(false);
}

void TcxCustomMRUEditProperties::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TcxCustomMRUEditProperties*>(Source);
  if (!S) return TcxCustomComboBoxProperties::Assign(Source);
  BeginUpdate();
  TcxCustomComboBoxProperties::Assign(Source);
  SetMaxItemCount(S->FMaxItemCount);
  SetShowEllipsis(S->FShowEllipsis);
  OnButtonClick = S->OnButtonClick;
  OnDeleteLookupItem = S->OnDeleteLookupItem;
  EndUpdate();
}

void TcxCustomMRUEditProperties::CopyRuntimeDataTo(TcxCustomEditProperties* ADest) {
  TcxCustomComboBoxProperties::CopyRuntimeDataTo(ADest);
  if (auto* D = dynamic_cast<TcxCustomMRUEditProperties*>(ADest)) D->LookupItems()->Assign(LookupItems());
}

TClass TcxCustomMRUEditProperties::GetContainerClass() { return TcxMRUEdit::StaticClass(); }

void TcxCustomMRUEditProperties::CutList() {
  if (FMaxItemCount <= 0) return;
  TStringList* L = LookupItems();
  while (L->Count() > FMaxItemCount) {
    if (OnDeleteLookupItem) OnDeleteLookupItem(this, L->Count() - 1);
    L->Delete(L->Count() - 1);
  }
}

void TcxCustomMRUEditProperties::SetMaxItemCount(Integer Value) {
  if (Value < 0) Value = 0;
  if (FMaxItemCount == Value) return;
  FMaxItemCount = Value;
  CutList();
  Changed();
}

void TcxCustomMRUEditProperties::SetShowEllipsis(bool Value) {
  if (FShowEllipsis == Value) return;
  BeginUpdate();
  FShowEllipsis = Value;
  if (Buttons()->Count() > 1) Buttons()->Items(1)->SetVisible(Value);
  SetGlyphButtonIndex(Value ? 1 : 0);
  EndUpdate();
}

void TcxCustomMRUEditProperties::DoNewLookupDisplayText(const String& AText) {
  if (OnNewLookupDisplayText) OnNewLookupDisplayText(this, AText);
}

void TcxCustomMRUEditProperties::AddItem(const String& AText, bool AFireEvent) {
  if (AText.empty()) return;
  TStringList* L = LookupItems();
  const Integer I = L->IndexOf(AText);
  if (I == 0) return;
  if (I < 0) {
    if (AFireEvent) DoNewLookupDisplayText(AText);
    L->Insert(0, AText);
    CutList();
  } else {
    L->Move(I, 0);
  }
}

TcxCustomMRUEdit::TcxCustomMRUEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomComboBox(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomMRUEditProperties(O);
                        }) {}

TcxMRUEdit::TcxMRUEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomMRUEdit(AOwner, AIsInplace,
                       [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxMRUEditProperties(O); }) {}

void TcxCustomMRUEdit::AddItem(const String& AText) {
  if (AText.empty()) return;
  if (ActiveProperties()->LookupItems()->IndexOf(AText) < 0) NotifyNewLookupDisplayText(AText);
  ActiveProperties()->AddItem(AText, false);
}

void TcxCustomMRUEdit::HandleLookupKeyChanged(TObject* Sender) {
  TcxCustomComboBox::HandleLookupKeyChanged(Sender);
  // A picked item is used again: it moves to the top. Stepping through the
  // list with the keys picks nothing yet.
  if (!IsNavigatingLookup() && (DataBinding()->IsEditing() || RequestEditing())) AddItem(Text());
}

void TcxCustomMRUEdit::PropertiesChanged(TObject* Sender) {
  // The button carrying ButtonGlyph shows it; without one it is the
  // ellipsis (or, with the ellipsis hidden, the drop-down arrow).
  TcxCustomMRUEditProperties* P = ActiveProperties();
  TcxEditButtons* B = P->Buttons();
  TBitmap* Glyph = P->ButtonGlyph();
  const bool NoGlyph = !Glyph || Glyph->Empty();
  P->BeginUpdate();
  if (P->ShowEllipsis() && B->Count() > 1)
    B->Items(1)->SetKind(NoGlyph ? bkEllipsis : bkGlyph);
  else if (!P->ShowEllipsis() && B->Count() > 0)
    B->Items(0)->SetKind(NoGlyph ? bkDown : bkGlyph);
  P->EndUpdate(false);
  TcxCustomComboBox::PropertiesChanged(Sender);
}

void TcxCustomMRUEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_RETURN && !Shift.Contains(ssAlt)) {
    const bool Open = HasPopupWindow();
    if (!Open || !LookupData() || LookupData()->ListItemIndex() < 0) AddItem(Text());
  }
  TcxCustomComboBox::DoEditKeyDown(Key, Shift);
}

void TcxCustomMRUEdit::DoButtonClick(Integer AButtonVisibleIndex) {
  TcxCustomEditViewInfo* VI = GetViewInfo();
  if (AButtonVisibleIndex < 0 || AButtonVisibleIndex >= VI->ButtonCount()) return;
  if (VI->ButtonsInfo[AButtonVisibleIndex]->ButtonIndex != 1) return;
  if (Properties()->OnButtonClick) Properties()->OnButtonClick(this);
  if (RepositoryItem() && ActiveProperties() != Properties() && ActiveProperties()->OnButtonClick)
    ActiveProperties()->OnButtonClick(this);
}

void TcxCustomMRUEdit::SetDisplayValueLocked(const Variant& AValue) {
  AddItem(Text());
  TcxCustomComboBox::SetDisplayValueLocked(AValue);
}

// ---------------------------------------------------------------------------
// What form files store

TOVANI_PUBLISHED(TcxMRUEditProperties) {
  using P = TcxMRUEditProperties;
  Property("DropDownListStyle", &P::DropDownListStyle, &P::SetDropDownListStyle).Default(lsEditList);
  Property("MaxItemCount", &P::MaxItemCount, &P::SetMaxItemCount).Default(0);
  Property("ShowEllipsis", &P::ShowEllipsis, &P::SetShowEllipsis).Default(true);
}

TOVANI_PUBLISHED(TcxMRUEdit) { Property("Properties", &TcxMRUEdit::Properties, &TcxMRUEdit::SetProperties); }
