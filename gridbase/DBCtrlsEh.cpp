// The field data link and the data side of the library's edit base: binding
// to a field or keeping an own value, the edit and display formats, the
// posting setters, key handling, entering and leaving, and in-place mode.
#include "DBCtrlsEh.h"
#include <algorithm>
#include "DBCtrls.h"
#include "Forms.h"
#include "Menus.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "VclWindows.h"

TOVANI_IMPLEMENT_CLASS(TFieldDataLinkEh, TDataLink)
TOVANI_IMPLEMENT_CLASS(TCustomDBEditEh, TCustomMaskEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBEditEh, TCustomDBEditEh)

TOVANI_PUBLISHED(TDBEditEh) {
  Property("Alignment", &TCustomDBEditEh::Alignment, &TCustomDBEditEh::SetAlignment)
      .Stored(&TCustomDBEditEh::IsAlignmentStored);
  Property("AlwaysShowBorder", &TCustomDBEditEh::AlwaysShowBorder, &TCustomDBEditEh::SetAlwaysShowBorder).Default(false);
  Property("DataField", &TCustomDBEditEh::DataField, &TCustomDBEditEh::SetDataField);
  Property("DataSource", &TCustomDBEditEh::DataSource, &TCustomDBEditEh::SetDataSource);
  Property("EditButton", &TCustomDBEditEh::EditButton, &TCustomDBEditEh::SetEditButton);
  Property("EditButtons", &TCustomDBEditEh::EditButtons, &TCustomDBEditEh::SetEditButtons);
  Property("Flat", &TCustomDBEditEh::Flat, &TCustomDBEditEh::SetFlat).Default(false);
  Property("HighlightRequired", &TCustomDBEditEh::HighlightRequired, &TCustomDBEditEh::SetHighlightRequired)
      .Default(false);
  Property("Images", &TCustomDBEditEh::Images, &TCustomDBEditEh::SetImages);
  Property("MRUList", &TCustomDBEditEh::MRUList, &TCustomDBEditEh::SetMRUList);
  Property("ReadOnly", &TCustomDBEditEh::ReadOnly, &TCustomDBEditEh::SetReadOnly).Default(false);
  Property("ShowHint", &TCustomDBEditEh::ShowHint, &TCustomDBEditEh::SetShowHint).Default(false);
  Property("Text", &TCustomDBEditEh::Text, &TCustomDBEditEh::SetText).Stored([](TObject* o) { return static_cast<TCustomDBEditEh*>(o)->IsTextStored(); });
  Property("Tooltips", &TCustomDBEditEh::Tooltips, &TCustomDBEditEh::SetTooltips).Default(false);
  Property("Value", &TCustomDBEditEh::Value, &TCustomDBEditEh::SetValue).Stored([](TObject* o) { return static_cast<TCustomDBEditEh*>(o)->IsValueStored(); });
  Property("Visible", &TCustomDBEditEh::GetVisible, &TCustomDBEditEh::SetVisible).NoDefault();
  Property("OnButtonClick", &TCustomDBEditEh::OnButtonClick);
  Property("OnButtonDown", &TCustomDBEditEh::OnButtonDown);
  Property("OnCheckDrawRequiredState", &TCustomDBEditEh::OnCheckDrawRequiredState);
  Property("OnGetImageIndex", &TCustomDBEditEh::OnGetImageIndex);
  Property("OnUpdateData", &TCustomDBEditEh::OnUpdateData);
}

namespace {

bool IsMemoField(TField* f) { return f && (f->DataType() == ftMemo || f->DataType() == ftWideMemo || f->DataType() == ftFmtMemo); }
bool IsStringField(TField* f) { return f && (f->DataType() == ftString || f->DataType() == ftWideString); }

// A Variant as edit text: Null, arrays and values without a text give ''.
String VariantText(const Variant& v) {
  if (v.IsNull() || v.IsEmpty() || v.IsArray()) return {};
  try {
    return VarToStr(v);
  } catch (...) {
    return {};
  }
}


}  // namespace

// ---------------------------------------------------------------------------
// TFieldDataLinkEh

TFieldDataLinkEh::TFieldDataLinkEh() { SetVisualControl(true); }

void TFieldDataLinkEh::SetDataSource(TDataSource* ds) {
  if (ds == DataSource()) return;
  TDataLink::SetDataSource(ds);
  UpdateDataIndependent();
}

void TFieldDataLinkEh::ChangeFieldName(const String& Name) {
  if (Name == FFieldName) return;
  FFieldName = Name;
  UpdateFields();
  UpdateDataIndependent();
}

void TFieldDataLinkEh::SetMultiFields(bool v) {
  if (v == FMultiFields) return;
  FMultiFields = v;
  UpdateFields();
}

void TFieldDataLinkEh::UpdateDataIndependent() {
  bool independent = !DataSource() && FFieldName.empty();
  if (independent == FDataIndependent) return;
  FDataIndependent = independent;
  FIndependentValue = Variant::Null();
  LayoutChanged();
  if (independent) RecordChanged(nullptr);
}

bool TFieldDataLinkEh::IsBoundField(TField* Field) const {
  return Field && std::find(FFields.begin(), FFields.end(), Field) != FFields.end();
}

bool TFieldDataLinkEh::IsLinkActive() const { return FDataIndependent || (Active() && GetMainField()); }

bool TFieldDataLinkEh::IsDataSetOpen() const { return DataSet() && DataSet()->Active(); }

bool TFieldDataLinkEh::LinkCanModify() const {
  if (FDataIndependent) return true;
  TField* f = GetMainField();
  return f && f->CanModify();
}

void TFieldDataLinkEh::UpdateFields() {
  TFieldsArrEh list;
  if (Active() && !FFieldName.empty()) {
    if (FMultiFields) {
      if (FControl) CollectFieldsEh(&list, DataSet(), FControl, FFieldName);
      else list = DataSet()->GetFieldList(FFieldName);
    } else {
      list.push_back(FControl ? GetFieldProperty(DataSet(), FControl, FFieldName) : DataSet()->FieldByName(FFieldName));
    }
  }
  SetFields(list);
}

void TFieldDataLinkEh::SetFields(const TFieldsArrEh& List) {
  FFields = List;
  EditingChanged();
  RecordChanged(nullptr);
}

void TFieldDataLinkEh::ActiveChanged() {
  UpdateFields();
  if (OnActiveChange) OnActiveChange(this);
}

void TFieldDataLinkEh::LayoutChanged() { UpdateFields(); }

void TFieldDataLinkEh::DataEvent(TDataEvent Event, NativeInt Info) {
  TDataLink::DataEvent(Event, Info);
  if (Event == deDisabledStateChange) {
    if (Info) UpdateFields();
    else FFields.clear();
  }
}

void TFieldDataLinkEh::EditingChanged() { SetEditing(TDataLink::Editing() && LinkCanModify()); }

void TFieldDataLinkEh::SetEditing(bool v) {
  if (v == FEditing) return;
  FEditing = v;
  FModified = false;
  if (OnEditingChange) OnEditingChange(this);
}

void TFieldDataLinkEh::RecordChanged(TField* Field) {
  // A change of another field of the record leaves the control's unposted
  // text (and its Modified mark) alone: only a reload of this control's
  // own value makes its text equal the stored one again.
  if (!Field || IsBoundField(Field)) {
    if (OnDataChange) OnDataChange(this);
    FModified = false;
  }
}

void TFieldDataLinkEh::FocusControl(TField** Field) {
  if (!Field || !IsBoundField(*Field)) return;
  auto* c = dynamic_cast<TWinControl*>(FControl);
  if (c && c->CanFocus()) {
    *Field = nullptr;
    c->SetFocus();
  }
}

bool TFieldDataLinkEh::StartEdit() {
  if (FDataIndependent) {
    if (!FEditing && !ReadOnly()) {
      FEditing = true;
      FModified = false;
      if (OnEditingChange) OnEditingChange(this);
    }
  } else if (LinkCanModify()) {
    TDataLink::Edit();
  }
  return FEditing;
}

void TFieldDataLinkEh::SetText(const String& Text) {
  if (FDataIndependent) {
    FIndependentValue = Variant(Text);
    RecordChanged(nullptr);
    return;
  }
  TField* f = GetMainField();
  if (!f) return;
  if (IsMemoField(f)) f->SetAsString(Text);
  else f->SetText(Text);
}

void TFieldDataLinkEh::AssignValue(const Variant& Value) {
  if (FDataIndependent) {
    FIndependentValue = Value;
    RecordChanged(nullptr);
    return;
  }
  if (FFields.size() > 1) {
    if (VariantsEqualEh(Value, Variant::Null())) {
      for (TField* f : FFields) f->Clear();
    } else {
      Integer low = Value.LowBound();
      for (size_t i = 0; i < FFields.size(); ++i) FFields[i]->SetValue(Value.GetElement(low + Integer(i)));
    }
  } else if (TField* f = GetMainField()) {
    f->SetValue(Value);
  }
}

void TFieldDataLinkEh::UpdateData() {
  if (FDataIndependent) {
    if (FModified && OnUpdateData) OnUpdateData(this);
    FEditing = false;
  } else if (FModified && GetMainField() && OnUpdateData) {
    OnUpdateData(this);
  }
  FModified = false;
}

// ---------------------------------------------------------------------------
// TCustomDBEditEh: construction

TCustomDBEditEh::TCustomDBEditEh(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetControlStyle(ControlStyle() + csCaptureMouse + csReplicatable);
  InstallDataLink(CreateDataLink());
  InstallEditButton(CreateEditButton());
  FEditButtons.reset(CreateEditButtons());
  FEditButtons->ChangeHandler = [this](TCollectionItem*) { ButtonsChanged(); };
  FEditImage.reset(CreateEditImage());
  FMRUList = std::make_unique<TMRUListEh>(this);
  FMRUList->DropDownHandler = [this](TObject*) { MRUListDropDown(); };
  FMRUList->CloseUpHandler = [this](TObject*, bool Accept) { MRUListCloseUp(Accept); };
  UpdateReadOnlyState();
  UpdateImageIndex();
}

TCustomDBEditEh::~TCustomDBEditEh() {
  FDataLink->OnDataChange = nullptr;
  FDataLink->OnEditingChange = nullptr;
  FDataLink->OnUpdateData = nullptr;
  FDataLink->OnActiveChange = nullptr;
  FDataLink->SetDataSource(nullptr);
  FMRUList->DropDownHandler = nullptr;
  FMRUList->CloseUpHandler = nullptr;
  FEditButtons->ChangeHandler = nullptr;
  if (FEditButton) FEditButton->ChangeHandler = nullptr;
}

void TCustomDBEditEh::InstallDataLink(TFieldDataLinkEh* Link) {
  std::unique_ptr<TFieldDataLinkEh> old = std::move(FDataLink);
  if (old) {
    old->OnDataChange = old->OnEditingChange = old->OnUpdateData = old->OnActiveChange = nullptr;
    old->SetDataSource(nullptr);
  }
  FDataLink.reset(Link);
  FDataLink->SetControl(this);
  FDataLink->OnDataChange = [this](TObject*) { DataLinkDataChange(); };
  FDataLink->OnEditingChange = [this](TObject*) { EditingChanged(); };
  FDataLink->OnUpdateData = [this](TObject*) { UpdateData(); };
  FDataLink->OnActiveChange = [this](TObject*) { ActiveChanged(); };
}

void TCustomDBEditEh::InstallEditButton(TEditButtonEh* Button) {
  FEditButton.reset(Button);
  FEditButton->ChangeHandler = [this](TObject*) { ButtonsChanged(); };
  ButtonsChanged();
}

TFieldDataLinkEh* TCustomDBEditEh::CreateDataLink() { return new TFieldDataLinkEh; }
TEditButtonEh* TCustomDBEditEh::CreateEditButton() { return new TEditButtonEh(this); }
TEditButtonsEh* TCustomDBEditEh::CreateEditButtons() {
  return new TEditButtonsEh(this, TVisibleEditButtonEh::StaticClass());
}
TEditImageEh* TCustomDBEditEh::CreateEditImage() { return new TEditImageEh(this); }

void TCustomDBEditEh::DefineProperties(TFiler* Filer) {
  TCustomMaskEdit::DefineProperties(Filer);
  Filer->DefineProperty(
      "EditMask", [this](TReader* r) { SetEditMask(r->ReadString()); },
      [this](TWriter* w) { w->WriteString(EditMask()); }, FEditMaskStored);
}

void TCustomDBEditEh::Loaded() {
  TCustomMaskEdit::Loaded();
  ResetMaxLength();
  if (Designing()) DataLinkDataChange();
  UpdateActiveState();
}

void TCustomDBEditEh::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomMaskEdit::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FDataLink && AComponent == FDataLink->DataSource()) SetDataSource(nullptr);
  if (FEditImage && AComponent == FEditImage->Images()) FEditImage->SetImages(nullptr);
  if (auto* menu = dynamic_cast<TPopupMenu*>(AComponent)) {
    if (FEditButton && FEditButton->DropdownMenu() == menu) FEditButton->SetDropdownMenu(nullptr);
    if (FEditButtons)
      for (Integer i = 0; i < FEditButtons->Count(); ++i)
        if (FEditButtons->Items(i)->DropdownMenu() == menu) FEditButtons->Items(i)->SetDropdownMenu(nullptr);
  }
}

bool TCustomDBEditEh::ExecuteAction(TBasicAction* Action) {
  return TCustomMaskEdit::ExecuteAction(Action) || DataLinkExecuteAction(FDataLink.get(), Action);
}

bool TCustomDBEditEh::UpdateAction(TBasicAction* Action) {
  return TCustomMaskEdit::UpdateAction(Action) || DataLinkUpdateAction(FDataLink.get(), Action);
}

// ---------------------------------------------------------------------------
// Properties

TAlignment TCustomDBEditEh::Alignment() { return FAlignmentStored ? FAlignment : GetFieldAlignment(); }

void TCustomDBEditEh::SetAlignment(TAlignment v) {
  bool changed = !FAlignmentStored || v != FAlignment;
  FAlignment = v;
  FAlignmentStored = true;
  if (!changed) return;
  if (FWordWrap) RecreateWnd();
  else Invalidate();
}

void TCustomDBEditEh::SetAlwaysShowBorder(bool v) {
  if (v == FAlwaysShowBorder) return;
  FAlwaysShowBorder = v;
  UpdateActiveState();
}

void TCustomDBEditEh::SetEditMask(const String& v) {
  if (FEditMaskStored && v == EditMask()) return;
  bool loading = ComponentState().Contains(csLoading);
  String remembered;
  if (loading && IsDataIndependent()) remembered = EditText();
  InternalSetEditMask(v);
  FEditMaskStored = true;
  if (loading && IsDataIndependent()) InternalSetText(remembered);
  if (IsDataIndependent()) InternalUpdatePostData();
  else DataLinkDataChange();
}

void TCustomDBEditEh::SetFlat(bool v) {
  if (v == FFlat) return;
  FFlat = v;
  RecreateWnd();
}

void TCustomDBEditEh::SetReadOnly(bool v) {
  if (v == FReadOnly) return;
  FReadOnly = v;
  EditingChanged();
}

void TCustomDBEditEh::SetWordWrap(bool v) {
  if (v == FWordWrap) return;
  FWordWrap = v;
  RecreateWnd();
}

String TCustomDBEditEh::GetDataField() const { return FDataLink->FieldName(); }
TDataSource* TCustomDBEditEh::GetDataSource() const { return FDataLink->DataSource(); }

void TCustomDBEditEh::SetDataField(const String& Value) {
  if (!Designing()) ResetMaxLength();
  FDataLink->ChangeFieldName(Value);
  UpdateEditButtonControlsState();
  Invalidate();
}

void TCustomDBEditEh::SetDataSource(TDataSource* Value) {
  if (!(FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading))) {
    if (TDataSource* old = FDataLink->DataSource()) old->RemoveFreeNotification(this);
    FDataLink->SetDataSource(Value);
  }
  if (Value) Value->FreeNotification(this);
  DataLinkDataChange();
  Invalidate();
}

bool TCustomDBEditEh::IsTextStored() { return IsDataIndependent() && !Text().empty(); }
bool TCustomDBEditEh::IsValueStored() { return IsDataIndependent() && !GetVariantValue().IsNull(); }

bool TCustomDBEditEh::IsDataLinkUsable() { return Enabled() && FDataLink && FDataLink->IsLinkActive(); }
bool TCustomDBEditEh::IsDataIndependent() { return FDataLink->DataIndependent(); }

TAlignment TCustomDBEditEh::GetFieldAlignment() {
  TField* f = FDataLink->GetMainField();
  return f ? f->Alignment() : taLeftJustify;
}

String TCustomDBEditEh::GetFieldEditMask() {
  TField* f = FDataLink->GetMainField();
  return f ? f->EditMask() : String();
}

Variant TCustomDBEditEh::GetVariantValue() { return Variant(Text()); }

bool TCustomDBEditEh::IsValidChar(char32_t Key) {
  TField* f = FDataLink->GetMainField();
  return !f || f->IsValidChar(Key);
}

void TCustomDBEditEh::ActiveChanged() {
  ResetMaxLength();
  UpdateEditButtonControlsState();
}

void TCustomDBEditEh::EditingChanged() { UpdateReadOnlyState(); }

void TCustomDBEditEh::ResetMaxLength() {
  if (MaxLength() <= 0 || !FDataLink->DataSource() || !FDataLink->DataSet()) return;
  TField* f = FDataLink->DataSet()->FindField(FDataLink->FieldName());
  if (IsStringField(f) && f->Size() == MaxLength()) SetMaxLength(0);
}

// ---------------------------------------------------------------------------
// Loading and writing the value

void TCustomDBEditEh::DataLinkDataChange() {
  DataChanged();
  UpdateEditButtonControlsState();
}

void TCustomDBEditEh::SetLoadedText(const String& Text, bool AsEditText) {
  bool old = FLoadingText;
  FLoadingText = true;
  try {
    if (AsEditText) SetEditText(Text);
    else InternalSetText(Text);
  } catch (...) {
    FLoadingText = old;
    throw;
  }
  FLoadingText = old;
}

void TCustomDBEditEh::SetMaskUnlessExplicit(const String& Mask) {
  if (!FEditMaskStored && EditMask() != Mask) InternalSetEditMask(Mask);
}

void TCustomDBEditEh::DataChanged() {
  TField* f = FDataLink->GetMainField();
  if (f) {
    if (f->Alignment() != Alignment()) Invalidate();
    SetMaskUnlessExplicit(f->EditMask());
    if (!Designing() && IsStringField(f) && MaxLength() == 0) SetMaxLength(f->Size());
    if (FFocused && FDataLink->LinkCanModify()) SetLoadedText(IsMemoField(f) ? f->AsString() : f->Text(), false);
    else SetLoadedText(IsMemoField(f) ? f->AsString() : f->DisplayText(), true);
  } else if (FDataLink->DataIndependent()) {
    SetMaskUnlessExplicit("");
    SetLoadedText(VariantText(FDataLink->IndependentValue()), true);
  } else {
    SetMaskUnlessExplicit("");
    SetLoadedText("", true);
  }
  UpdateReadOnlyState();
  SetModified(false);
}

void TCustomDBEditEh::InternalSetText(const String& AText) {
  unsigned reported = FChangeCount;
  String old = EditText();
  TControl::SetText(AText);
  // The native edit does not report every text the program sets; one it
  // left unreported is reported here, as typing would be.
  if (FChangeCount == reported && EditText() != old) Change();
}

void TCustomDBEditEh::InternalSetValue(const Variant& AValue) { InternalSetText(VariantText(AValue)); }

void TCustomDBEditEh::InternalUpdatePostData() {
  if (FDataLink->DataIndependent()) FDataLink->SetText(EditText());
  else FDataLink->SetText(Text());
}

void TCustomDBEditEh::BeginBoundEdit() {
  if (IsDataIndependent()) return;
  if (TDataSource* ds = FDataLink->DataSource())
    if (TDataSet* d = ds->DataSet()) d->Edit();
}

void TCustomDBEditEh::PostAfterSet() {
  if (FInUpdateData) return;
  try {
    UpdateData();
  } catch (...) {
    FDataLink->ReloadValue();
    throw;
  }
}

void TCustomDBEditEh::SetText(const String& v) {
  if (Designing() && !IsDataIndependent()) return;
  BeginBoundEdit();
  InternalSetText(v);
  PostAfterSet();
}

void TCustomDBEditEh::SetVariantValue(const Variant& v) {
  if (Designing() && !IsDataIndependent()) return;
  BeginBoundEdit();
  InternalSetValue(v);
  PostAfterSet();
}

void TCustomDBEditEh::Clear() { SetText(""); }

bool TCustomDBEditEh::CallOnUpdateData() {
  bool handled = false;
  FInUpdateData = true;
  try {
    if (OnUpdateData) OnUpdateData(this, handled);
  } catch (...) {
    FInUpdateData = false;
    throw;
  }
  FInUpdateData = false;
  return handled;
}

void TCustomDBEditEh::UpdateData() {
  if (FFocused) ValidateEdit();
  if (!CallOnUpdateData()) InternalUpdatePostData();
  SetModified(false);
  if (FMRUList->Active() && FMRUList->AutoAdd() && Showing()) FMRUList->AddText(Text());
}

void TCustomDBEditEh::UpdateReadOnlyState() {
  bool ro = FReadOnly;
  if (!ro) {
    ro = !FDataLink->Editing();
    // A handler of OnUpdateData may store the value itself (a calculated
    // or lookup field) while the record is being edited.
    TDataSet* ds = FDataLink->DataSet();
    if (ro && OnUpdateData && ds && ds->State() == dsEdit) ro = false;
  }
  if (!ro && FInplaceEditHolderIntf) ro = !FInplaceEditHolderIntf->InplaceEditCanModify(this);
  TCustomEdit::SetReadOnly(ro);
}

bool TCustomDBEditEh::EditCanModify() { return FDataLink->StartEdit(); }

void TCustomDBEditEh::Reset() {
  FDataLink->ReloadValue();
  SelectAll();
}

void TCustomDBEditEh::Change() {
  ++FChangeCount;
  if (!FLoadingText) {
    FDataLink->SetModified(true);
    SetModified(true);
  }
  TCustomMaskEdit::Change();
  UpdateImageIndex();
}

void TCustomDBEditEh::SetFocused(bool Value) {
  if (FFocused == Value) return;
  FFocused = Value;
  if (Alignment() != taLeftJustify && !IsMasked()) Invalidate();
  FDataLink->ReloadValue();
}

// ---------------------------------------------------------------------------
// Keys

TEditButtonEh* TCustomDBEditEh::FindButtonByShortCut(TShortCut Short, TEditButtonControlEh*& Control) {
  Control = nullptr;
  if (Short == 0) return nullptr;
  auto control = [&](size_t i) { return i < FButtonControlList.size() ? FButtonControlList[i].EditButtonControl : nullptr; };
  if (FEditButton->Visible() && FEditButton->ShortCut() == Short && control(0)) {
    Control = control(0);
    return FEditButton.get();
  }
  for (Integer i = 0; i < FEditButtons->Count(); ++i) {
    TEditButtonEh* b = FEditButtons->Items(i);
    if (b->Visible() && b->ShortCut() == Short && control(size_t(i) + 1)) {
      Control = control(size_t(i) + 1);
      return b;
    }
  }
  return nullptr;
}

void TCustomDBEditEh::KeyDown(Word& Key, TShiftState Shift) {
  if (FInplaceEditHolderIntf) {
    FInplaceEditHolderIntf->InplaceEditKeyDown(this, Key, Shift);
    if (Key == 0) return;
  }
  bool startsEditing = (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) && !FReadOnly;
  if (startsEditing && IsMasked()) FDataLink->StartEdit();
  TCustomMaskEdit::KeyDown(Key, Shift);
  if (Key == 0) return;
  TEditButtonControlEh* control = nullptr;
  if (FindButtonByShortCut(::ShortCut(Key, Shift), control)) {
    bool autoRepeat = false, handled = false;
    if (control->OnButtonDown) control->OnButtonDown(control, false, autoRepeat, handled);
    control->Click();
    Key = 0;
    return;
  }
  if (Key == 'A' && Shift == TShiftState{ssCtrl}) SelectAll();
  if (startsEditing) FDataLink->StartEdit();
}

void TCustomDBEditEh::KeyUp(Word& Key, TShiftState Shift) {
  if (FInplaceEditHolderIntf) {
    FInplaceEditHolderIntf->InplaceEditKeyUp(this, Key, Shift);
    if (Key == 0) return;
  }
  TCustomMaskEdit::KeyUp(Key, Shift);
}

void TCustomDBEditEh::KeyPress(char32_t& Key) {
  if (FInplaceEditHolderIntf) {
    FInplaceEditHolderIntf->InplaceEditKeyPress(this, Key);
    if (Key == 0) return;
  }
  // A mask places typed characters itself, and only into an edit that is
  // not read-only: editing starts first, so that the first character typed
  // into a browsing record goes through the mask like every other.
  if (IsMasked() && (Key == 8 || Key >= 32) && !FReadOnly) FDataLink->StartEdit();
  TCustomMaskEdit::KeyPress(Key);
  if (Key == 0) return;
  if (Key >= 32 && FDataLink->GetMainField() && !IsValidChar(Key)) {
    MessageBeep(0);
    Key = 0;
    return;
  }
  // Every whole character starts editing (a Chinese character as well as
  // a Latin letter).
  if ((Key == 8 || Key == 22 || Key == 24 || Key >= 32) && !FReadOnly) FDataLink->StartEdit();
  if (Key == 27) {
    FDataLink->ReloadValue();
    SelectAll();
    Key = 0;
    return;
  }
  if (Key == 8 && EditText().empty() && FMRUList->Active() && Showing() && !FDroppedDown) FMRUList->DropDown();
}

// ---------------------------------------------------------------------------
// Messages

void TCustomDBEditEh::AdjustMaskCursor() {
  if (!IsMasked() || !HandleAllocated() || SelLength() != 0) return;
  SetSelStart(std::max(SelStart() - 2, 0));
}

bool TCustomDBEditEh::IsOwnWindow(HWND Wnd, std::initializer_list<TWinControl*> Controls) {
  if (!Wnd) return false;
  if (HandleAllocated() && (Wnd == Handle() || IsChild(Handle(), Wnd))) return true;
  for (TWinControl* c : Controls)
    if (c && c->HandleAllocated() && (Wnd == c->Handle() || IsChild(c->Handle(), Wnd))) return true;
  return false;
}

void TCustomDBEditEh::WndProc(TMessage& Message) {
  if (FInplaceEditHolderIntf) {
    FInplaceEditHolderIntf->InplaceEditWndProc(this, Message);
    if (Message.Result != 0) return;
    if (Message.Msg == WM_SETFOCUS) {
      TCustomForm* form = GetParentForm(this);
      auto* holder = dynamic_cast<TWinControl*>(FInplaceEditHolder);
      if (form && holder && !form->SetFocusedControl(holder)) return;
      Dispatch(Message);
      return;
    }
    if (Message.Msg == WM_LBUTTONDOWN) {
      TPoint pos;
      Integer time = 0;
      FInplaceEditHolderIntf->GetMouseDownInfo(pos, time);
      TPoint now = ClientToScreen({Message.XPos(), Message.YPos()});
      if (IsWithinDoubleClickEh(pos, now, Integer(GetMessageTime()) - time)) Message.Msg = WM_LBUTTONDBLCLK;
    }
  }
  if (MRUListOpen() && (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN || Message.Msg == WM_CHAR)) {
    TShiftState shift = KeyboardStateToShiftState();
    Word key = Word(Message.WParam);
    if (Message.Msg != WM_CHAR) {
      bool ctrl = shift.Contains(ssCtrl), alt = shift.Contains(ssAlt);
      if (((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) && !alt) ||
          (ctrl && (key == VK_HOME || key == VK_END))) {
        SendMessageW(FMRUListbox->Handle(), WM_KEYDOWN, Message.WParam, Message.LParam);
        return;
      }
    }
    if (key == VK_RETURN || key == VK_ESCAPE) {
      MRUListCloseUp(key == VK_RETURN);
      // The character that follows the key belongs to the closed list.
      MSG msg;
      if (Message.Msg != WM_CHAR && HandleAllocated()) PeekMessageW(&msg, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
      return;
    }
  }
  TCustomMaskEdit::WndProc(Message);
}

void TCustomDBEditEh::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR:
      // The single-line edit takes no line breaks and no tabs (and so
      // never beeps on them).
      if ((Message.WParam == VK_RETURN && !FWantReturns) || (Message.WParam == VK_TAB && !FWantTabs) ||
          Message.WParam == 10)
        return;
      break;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: {
      TPoint p{Message.XPos(), Message.YPos()};
      if (HandleAllocated() && GetCapture() != Handle() &&
          (GetButtonsRect().Contains(p) || (FImageWidth > 0 && GetImageRect().Contains(p))))
        return;
      break;
    }
  }
  TCustomMaskEdit::DefaultHandler(Message);
  if (FMRUUpdatePending) {
    FMRUUpdatePending = false;
    UpdateMRUList();
  }
}

void TCustomDBEditEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR: {
      // The whole character being typed, for type-ahead.
      char16_t unit = char16_t(Message.WParam);
      char32_t ch = unit;
      if (unit >= 0xDC00 && unit < 0xE000 && FPendingHighSurrogate)
        ch = 0x10000 + ((char32_t(FPendingHighSurrogate) - 0xD800) << 10) + (unit - 0xDC00);
      FTypedText = (unit >= 0xD800 && unit < 0xDC00) ? String() : Utf8Encode(ch);
      try {
        TCustomMaskEdit::Dispatch(Message);
      } catch (...) {
        FTypedText.clear();
        throw;
      }
      FTypedText.clear();
      return;
    }
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS;
      if (FWantTabs) code |= DLGC_WANTTAB;
      if (FWantReturns) code |= DLGC_WANTALLKEYS;
      if (auto* holder = dynamic_cast<TWinControl*>(FInplaceEditHolder))
        if (holder->Perform(WM_GETDLGCODE) & DLGC_WANTTAB) code |= DLGC_WANTTAB;
      Message.Result = code;
      return;
    }
    case WM_PASTE:
    case WM_CUT:
    case WM_UNDO:
      FDataLink->StartEdit();
      break;
    case CN_COMMAND:
      TCustomMaskEdit::Dispatch(Message);
      if (HIWORD(Message.WParam) == EN_CHANGE && !FLoadingText) UpdateMRUList();
      return;
    case CM_ENTER:
      SetFocused(true);
      TCustomMaskEdit::Dispatch(Message);
      if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
      return;
    case CM_EXIT:
      if (IsMasked() && !Designing()) {
        ValidateEdit();
        AdjustMaskCursor();
      }
      DoExit();
      try {
        FDataLink->UpdateRecord();
      } catch (...) {
        // The value stays unposted: the user corrects it where it is.
        SelectAll();
        SetFocus();
        throw;
      }
      SetFocused(false);
      AdjustMaskCursor();
      return;
    case CM_WANTSPECIALKEY: {
      Word key = Word(Message.WParam);
      if ((key == VK_RETURN || key == VK_ESCAPE) && MRUListOpen() && FMRUListbox->ItemIndex() >= 0) {
        Message.Result = 1;
        return;
      }
      TCustomMaskEdit::Dispatch(Message);
      if (key == VK_ESCAPE && Modified()) Message.Result = 1;
      return;
    }
    case CM_GETDATALINK: Message.Result = reinterpret_cast<LRESULT>(FDataLink.get()); return;
    case CM_SHOWINGCHANGED:
      if (!FInplaceMode) TCustomMaskEdit::Dispatch(Message);
      return;
    case CM_EDITIMAGECHANGED_EH: RecreateWnd(); return;
  }
  if (DispatchVisual(Message)) return;
  TCustomMaskEdit::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// In-place mode

void TCustomDBEditEh::SetInplaceEditHolder(TObject* Holder) {
  if (Holder && Holder == FInplaceEditHolder) return;
  if (!Holder) {
    FInplaceEditHolder = nullptr;
    FInplaceEditHolderIntf = nullptr;
    FInplaceMode = false;
    return;
  }
  auto* intf = dynamic_cast<IInplaceEditHolderEh*>(Holder);
  if (!intf) throw Exception("InplaceEditHolder have to support IInplaceEditHolderEh interface");
  FInplaceEditHolder = Holder;
  FInplaceEditHolderIntf = intf;
  FInplaceMode = true;
}

void TCustomDBEditEh::ShowAtRect(const TRect& Rect) {
  if (!FInplaceMode) {
    SetBoundsRect(Rect);
    return;
  }
  if (Rect.Width() <= 0 || Rect.Height() <= 0) {
    HideEdit();
    return;
  }
  HandleNeeded();
  Invalidate();
  Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(FInplaceEditHolder));
  SetWindowPos(Handle(), HWND_TOP, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
               SWP_SHOWWINDOW | SWP_NOREDRAW);
  SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
  Invalidate();
  auto* holder = dynamic_cast<TWinControl*>(FInplaceEditHolder);
  if (holder && holder->Focused()) ::SetFocus(Handle());
}

void TCustomDBEditEh::HideEdit() {
  if (!FInplaceMode) {
    TControl::SetVisible(false);
    return;
  }
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  bool hadFocus = Focused();
  Invalidate();
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  auto* holder = dynamic_cast<TWinControl*>(FInplaceEditHolder);
  if (hadFocus && holder && holder->HandleAllocated()) ::SetFocus(holder->Handle());
}

bool TCustomDBEditEh::GetVisible() {
  if (FInplaceMode) return HandleAllocated() && IsWindowVisible(Handle());
  return TControl::Visible();
}

void TCustomDBEditEh::SetVisible(bool v) {
  if (!v && FInplaceMode) HideEdit();
  else TControl::SetVisible(v);
}

void TCustomDBEditEh::SetFocus() {
  if (FInplaceMode) {
    if (HandleAllocated() && IsWindowVisible(Handle())) ::SetFocus(Handle());
    return;
  }
  TCustomMaskEdit::SetFocus();
}

// ---------------------------------------------------------------------------
// The drop-down protocol of the descendants

TEditButtonControlEh* TCustomDBEditEh::MainButtonControl() const {
  return FButtonControlList.empty() ? nullptr : FButtonControlList[0].EditButtonControl;
}

void TCustomDBEditEh::DropDown() {
  if (TEditButtonControlEh* c = MainButtonControl()) c->SetHeldDown(true);
  if (MRUListOpen()) MRUListCloseUp(false);
}

void TCustomDBEditEh::CloseUp(bool) {
  if (TEditButtonControlEh* c = MainButtonControl()) c->SetHeldDown(false);
}

void TCustomDBEditEh::EditButtonDefaultAction(bool) {
  if (FEditButton->Style() == ebsUpDownEh || FDroppedDown) return;
  DropDown();
  FDropDownClick = true;
}
