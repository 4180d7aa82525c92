// The lookup combo box.
#include "DBLookupEh.h"
#include "Clipbrd.h"

#include <algorithm>

#include "DBUtil.h"
#include "Forms.h"
#include "Messages.h"
#include "TypInfo.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TLookupComboboxDropDownBoxEh, TPersistent)
TOVANI_IMPLEMENT_CLASS(TCustomDBLookupComboboxEh, TCustomDBEditEh)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBLookupComboboxEh, TCustomDBLookupComboboxEh)

// What form files set of the combo box.
TOVANI_IMPLEMENT_ENUM_INFO(TDBLookupComboboxEhStyle, "csDropDownEh", "csDropDownListEh")

TOVANI_PUBLISHED(TLookupComboboxDropDownBoxEh) {
  using B = TLookupComboboxDropDownBoxEh;
  Property("Align", &B::Align, &B::SetAlign).Default(daLeft);
  Property("AutoDrop", &B::AutoDrop, &B::SetAutoDrop).Default(false);
  Property("Rows", &B::Rows, &B::SetRows).Default(7);
  Property("ShowTitles", &B::ShowTitles, &B::SetShowTitles).Default(false);
  Property("Sizable", &B::Sizable, &B::SetSizable).Default(false);
  Property("SpecRow", &B::SpecRow, &B::SetSpecRow);
  Property("Width", &B::Width, &B::SetWidth).Default(0);
}

TOVANI_PUBLISHED(TDBLookupComboboxEh) {
  using C = TDBLookupComboboxEh;
  Property<String>("DataField", [](C* c) { return c->DataField(); }, [](C* c, const String& v) { c->SetDataField(v); });
  Property<TDataSource*>("DataSource", [](C* c) { return c->DataSource(); },
                         [](C* c, TDataSource* v) { c->SetDataSource(v); });
  Property<TLookupComboboxDropDownBoxEh*>("DropDownBox", [](C* c) { return c->DropDownBox(); },
                                          [](C* c, TLookupComboboxDropDownBoxEh* v) { c->SetDropDownBox(v); });
  Property<String>("KeyField", [](C* c) { return c->KeyField(); }, [](C* c, const String& v) { c->SetKeyField(v); });
  Property<String>("ListField", [](C* c) { return c->ListField(); },
                   [](C* c, const String& v) { c->SetListField(v); });
  Property<Integer>("ListFieldIndex", [](C* c) { return c->ListFieldIndex(); },
                    [](C* c, Integer v) { c->SetListFieldIndex(v); })
      .Default(0);
  Property<TDataSource*>("ListSource", [](C* c) { return c->ListSource(); },
                         [](C* c, TDataSource* v) { c->SetListSource(v); });
  Property<TDBLookupComboboxEhStyle>("Style", [](C* c) { return c->Style(); },
                                     [](C* c, TDBLookupComboboxEhStyle v) { c->SetStyle(v); })
      .Default(csDropDownListEh);
  PublishDropDownBoxEventsEh<TCustomDBLookupComboboxEh>(*this);
}

// ---------------------------------------------------------------------------
// The drop-down settings

TLookupComboboxDropDownBoxEh::TLookupComboboxDropDownBoxEh(TCustomDBLookupComboboxEh* AOwner)
    : TColumnDropDownBoxEh(AOwner) {}

TLookupComboboxDropDownBoxEh::~TLookupComboboxDropDownBoxEh() { SpecRow()->OnChanged = nullptr; }

// ---------------------------------------------------------------------------
// The list link

class TCustomDBLookupComboboxEh::TListSourceLinkEh : public TDataLink {
 public:
  explicit TListSourceLinkEh(TCustomDBLookupComboboxEh* AOwner) : FOwner(AOwner) {}
  TCustomDBLookupComboboxEh* FOwner;

 protected:
  void ActiveChanged() override {
    if (FOwner) FOwner->UpdateListFields();
  }
  void LayoutChanged() override {
    if (FOwner) FOwner->UpdateListFields();
  }
};

// ---------------------------------------------------------------------------
// Construction

TCustomDBLookupComboboxEh::TCustomDBLookupComboboxEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {
  DataLink()->SetMultiFields(true);
  FListLink = std::make_unique<TListSourceLinkEh>(this);
  FLookupSource = std::make_unique<TDataSource>();
  FDropDownBox = std::make_unique<TLookupComboboxDropDownBoxEh>(this);
  FDropDownBox->SpecRow()->OnChanged = [this](TObject*) { SpecRowChanged(); };
  FDataList = new TPopupDataGridEh(this);
  FDataList->SetVisible(false);
  FDataList->SetParent(this);
  FDataList->SetCtl3D(true);
  FDataList->OnCloseUp = [this](TObject*, bool Accept) { CloseUp(Accept); };
  UpdateReadOnlyState();
}

TCustomDBLookupComboboxEh::~TCustomDBLookupComboboxEh() {
  FDropDownBox->SpecRow()->OnChanged = nullptr;
  FListLink->FOwner = nullptr;
  FListLink->SetDataSource(nullptr);
  if (FDataList) FDataList->OnCloseUp = nullptr;
}

void TCustomDBLookupComboboxEh::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomDBEditEh::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FListSource) SetListSource(nullptr);
  if (FDropDownBox && AComponent == FDropDownBox->ListSource()) {
    FDropDownBox->SetListSource(nullptr);
    UpdateListLinkDataSource();
  }
  if (AComponent == FDataList) FDataList = nullptr;
}

bool TCustomDBLookupComboboxEh::Unbound() const {
  return !DataSource() && DataField().empty() && !FListSource && FListField.empty() && FKeyField.empty();
}

Integer TCustomDBLookupComboboxEh::Len16(const String& S) const { return Integer(Utf8ToUtf16(S).size()); }

// ---------------------------------------------------------------------------
// Properties

void TCustomDBLookupComboboxEh::CheckNotLookup() const {
  if (FLookupMode) throw EDatabaseError(SPropDefByLookupEh);
}

void TCustomDBLookupComboboxEh::SetKeyField(const String& v) {
  CheckNotLookup();
  if (v == FKeyField) return;
  FKeyField = v;
  UpdateListFields();
}

void TCustomDBLookupComboboxEh::SetListField(const String& v) {
  if (v == FListField) return;
  FListField = v;
  UpdateListFields();
}

void TCustomDBLookupComboboxEh::SetListFieldIndex(Integer v) {
  if (v == FListFieldIndex) return;
  FListFieldIndex = v;
  UpdateListFields();
}

void TCustomDBLookupComboboxEh::SetListSource(TDataSource* v) {
  if (v) CheckNotLookup();
  if (v == FListSource) return;
  if (FListSource) FListSource->RemoveFreeNotification(this);
  FListSource = v;
  if (v) v->FreeNotification(this);
  UpdateListLinkDataSource();
  UpdateListFields();
}

TDataSource* TCustomDBLookupComboboxEh::MainListSource() const {
  return FLookupMode ? FLookupSource.get() : FListSource;
}

bool TCustomDBLookupComboboxEh::UsesDropDownBoxListSource() const {
  return FDropDownBox->ListSource() != nullptr && !ComponentState().Contains(csDesigning) &&
         const_cast<TCustomDBLookupComboboxEh*>(this)->Focused();
}

void TCustomDBLookupComboboxEh::UpdateListLinkDataSource() {
  FListLink->SetDataSource(UsesDropDownBoxListSource() ? FDropDownBox->ListSource() : MainListSource());
}

void TCustomDBLookupComboboxEh::SetFocused(bool Value) {
  TCustomDBEditEh::SetFocused(Value);
  if (FDropDownBox->ListSource()) UpdateListLinkDataSource();
}

void TCustomDBLookupComboboxEh::NotifyListSource(TComponent* Component) {
  if (Component) Component->FreeNotification(this);
}

Byte TCustomDBLookupComboboxEh::GetDropDownGridOptions() { return Byte(FDataList->LookupOptions().Mask()); }

void TCustomDBLookupComboboxEh::SetDropDownGridOptions(Byte Options) {
  FDataList->SetLookupOptions(TDBLookupGridEhOptions::FromMask(Options));
}

void TCustomDBLookupComboboxEh::SetStyle(TDBLookupComboboxEhStyle v) {
  FStyle = v;
  UpdateReadOnlyState();
}

void TCustomDBLookupComboboxEh::SetDataField(const String& Value) {
  if (Value == FDataField) return;
  FDataField = Value;
  DataLinkChanged();
}

void TCustomDBLookupComboboxEh::SetDataSource(TDataSource* Value) {
  TCustomDBEditEh::SetDataSource(Value);
  if (Value && FListLink->DataSet() && FListLink->DataSet()->IsLinkedTo(Value))
    throw EDatabaseError(SCircularDataLinkEh);
  DataLinkChanged();
}

void TCustomDBLookupComboboxEh::ActiveChanged() {
  TCustomDBEditEh::ActiveChanged();
  DataLinkChanged();
}

void TCustomDBLookupComboboxEh::DataLinkChanged() {
  if (FInDataLinkChanged) return;
  FInDataLinkChanged = true;
  try {
    TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
    TField* lookup = nullptr;
    if (ds && ds->Active() && !FDataField.empty() && SplitFieldNames(FDataField).size() == 1) {
      TField* f = ds->FindField(FDataField);
      if (f && f->FieldKind() == fkLookup) lookup = f;
    }
    String linkFields = FDataField;
    if (lookup) {
      FLookupMode = true;
      FLookupField = lookup;
      FLookupSource->SetDataSet(lookup->LookupDataSet());
      FKeyField = lookup->LookupKeyFields();
      UpdateListLinkDataSource();
      // The edit binds to the key fields the lookup field reads.
      linkFields = lookup->KeyFields();
    } else if (FLookupMode) {
      FLookupMode = false;
      FLookupField = nullptr;
      FKeyField.clear();
      FLookupSource->SetDataSet(nullptr);
      UpdateListLinkDataSource();
    }
    if (DataLink()->FieldName() != linkFields) TCustomDBEditEh::SetDataField(linkFields);
    UpdateReadOnlyState();
    UpdateListFields();
    if (!Unbound()) DataLink()->ReloadValue();
  } catch (...) {
    FInDataLinkChanged = false;
    throw;
  }
  FInDataLinkChanged = false;
}

void TCustomDBLookupComboboxEh::SetKeyValue(const Variant& v) {
  if (VariantsEqualEh(FKeyValue, v)) return;
  FKeyValue = v;
  KeyValueChanged();
}

Variant TCustomDBLookupComboboxEh::GetVariantValue() {
  if (FTextValue) return Variant(Text());
  return FKeyValue;
}

void TCustomDBLookupComboboxEh::InternalSetValue(const Variant& AValue) {
  FTextValue = false;
  SetKeyValue(AValue);
}

// ---------------------------------------------------------------------------
// The list side

bool TCustomDBLookupComboboxEh::CanModify(bool StartEditing) {
  if (!(Unbound() || FListActive) || ReadOnly()) return false;
  if (DataLink()->BoundFieldCount() > 0) {
    for (Integer i = 0; i < DataLink()->BoundFieldCount(); ++i)
      if (!DataLink()->BoundFieldAt(i)->CanModify()) return false;
    if (StartEditing) return DataLink()->StartEdit();
  } else if (DataSource()) {
    return false;
  }
  return true;
}

bool TCustomDBLookupComboboxEh::IsValidChar(char32_t) { return true; }

bool TCustomDBLookupComboboxEh::IsKeyValueAcceptable(const TFieldsArrEh& KeyFields, const Variant& Value) {
  return KeyValueFitsKeyFieldsEh(KeyFields, Value);
}

bool TCustomDBLookupComboboxEh::LocateKey() {
  TDataSet* ds = FListLink->DataSet();
  if (!ds || !ds->Active() || FKeyValue.IsNull() || !IsKeyValueAcceptable(FKeyFields, FKeyValue)) return false;
  try {
    Variant key = FKeyValue;
    bool found = ds->Locate(FKeyField, FKeyValue, {});
    FKeyValue = key;
    return found;
  } catch (const Exception&) {
    return false;
  }
}

String TCustomDBLookupComboboxEh::GetFieldText(TField* Field) {
  if (!Field) return String();
  if (Field->DataType() == ftMemo || Field->DataType() == ftWideMemo) return Field->AsString();
  return Field->DisplayText();
}

void TCustomDBLookupComboboxEh::SetEditTextQuiet(const String& Text) {
  bool modified = Modified();
  bool linkModified = DataLink()->Modified();
  SetLoadedText(Text, false);
  SetModified(modified);
  DataLink()->SetModified(linkModified);
}

// Runs Work with OnChange held back, then fires it once when the text
// changed (however many text changes Work made).
void TCustomDBLookupComboboxEh::ChangeTextOnce(const std::function<void()>& Work) {
  if (FHoldingChange) {
    Work();
    return;
  }
  TNotifyEvent saved = OnChange;
  String before = Text();
  bool changed = false;
  FHoldingChange = true;
  OnChange = [&changed](TObject*) { changed = true; };
  try {
    Work();
  } catch (...) {
    OnChange = saved;
    FHoldingChange = false;
    throw;
  }
  OnChange = saved;
  FHoldingChange = false;
  if ((changed || Text() != before) && OnChange) OnChange(this);
}

// A text the user's choice brings: OnChange once when it differs.
void TCustomDBLookupComboboxEh::SetChosenText(const String& Text_) {
  if (Text_ == Text()) return;
  ChangeTextOnce([&] { SetEditTextQuiet(Text_); });
}

void TCustomDBLookupComboboxEh::ChooseText() {
  TSpecRowEh* spec = FDropDownBox->SpecRow();
  if (spec->Visible() && (spec->MatchesKeyValue(FKeyValue) || (spec->ShowIfNotInKeyList() && !LocateKey())))
    SetEditTextQuiet(spec->CellTextAt(FListFieldIndex));
  else if (LocateKey())
    SetEditTextQuiet(GetFieldText(FListFieldObj));
  else
    SetEditTextQuiet(String());
}

void TCustomDBLookupComboboxEh::UpdateListFields() {
  if (FListVisible) return;
  FListActive = false;
  FListFieldObj = nullptr;
  FListFields.clear();
  FKeyFields.clear();
  TDataSet* ds = FListLink->Active() ? FListLink->DataSet() : nullptr;
  if (ds && !FKeyField.empty()) {
    if (DataSource() && ds->IsLinkedTo(DataSource())) throw EDatabaseError(SCircularDataLinkEh);
    GetFieldsArrayEh(ds, this, FKeyField, FKeyFields);
    CollectFieldsEh(&FListFields, ds, this, FListField);
    if (FLookupMode && FLookupField) {
      // The lookup field's result field is the list field, first of the list.
      FListFieldObj = GetFieldProperty(ds, this, FLookupField->LookupResultField());
      if (std::find(FListFields.begin(), FListFields.end(), FListFieldObj) == FListFields.end())
        FListFields.insert(FListFields.begin(), FListFieldObj);
    } else {
      if (FListFields.empty()) FListFields.assign(FKeyFields.begin(), FKeyFields.end());
      if (!FListFields.empty())
        FListFieldObj = FListFieldIndex >= 0 && FListFieldIndex < Integer(FListFields.size())
                            ? FListFields[size_t(FListFieldIndex)]
                            : FListFields[0];
    }
    FListActive = true;
  }
  UpdateReadOnlyState();
  if (FFocused || !Unbound()) {
    if (FListActive && !FTextValue) ChooseText();
    else if (!FTextValue) SetEditTextQuiet(String());
  }
  Invalidate();
}

void TCustomDBLookupComboboxEh::UpdateReadOnlyState() {
  TCustomDBEditEh::UpdateReadOnlyState();
  // Only the drop-down style types freely.
  if (FStyle == csDropDownListEh && HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, TRUE, 0);
}

void TCustomDBLookupComboboxEh::KeyValueChanged() {
  DataLink()->SetModified(true);
  SetModified(true);
  if (!Unbound() && FListActive) {
    TSpecRowEh* spec = FDropDownBox->SpecRow();
    if (LocateKey() && !(spec->Visible() && spec->MatchesKeyValue(FKeyValue)))
      SetChosenText(GetFieldText(FListFieldObj));
  }
  if (FListVisible && FDataList) FDataList->SetKeyValue(FKeyValue);
  if (FStyle == csDropDownListEh && HandleAllocated()) SelectAllText();
  if (OnKeyValueChanged) OnKeyValueChanged(this);
}

void TCustomDBLookupComboboxEh::SelectKeyValue(const Variant& Value) {
  SetKeyValue(Value);
  if (!InUpdateData()) {
    try {
      UpdateData();
    } catch (...) {
      DataLink()->ReloadValue();
      throw;
    }
  }
  TSpecRowEh* spec = FDropDownBox->SpecRow();
  if (FListActive && !LocateKey() && !spec->MatchesKeyValue(FKeyValue) &&
      !(spec->Visible() && spec->ShowIfNotInKeyList()))
    SetEditTextQuiet(String());
}

void TCustomDBLookupComboboxEh::SpecRowChanged() {
  if (ComponentState().Contains(csLoading)) return;
  DataChanged();
  UpdateListFields();
  if (FDataList) FDataList->SetSpecRow(FDropDownBox->SpecRow());
}

void TCustomDBLookupComboboxEh::SelectAllText() {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0x7FFFFFFF, 0);
}

void TCustomDBLookupComboboxEh::SelectNextPrior(bool Up) {
  TDataSet* ds = FListLink->DataSet();
  if (!CanModify(true) || !FListLink->Active() || !ds) return;
  if (LocateKey()) ds->MoveBy(Up ? -1 : 1);
  else ds->First();
  SetKeyValue(ds->FieldValues(FKeyField));
  if (FFocused) SelectAllText();
}

// ---------------------------------------------------------------------------
// Typing

bool TCustomDBLookupComboboxEh::LocateStr(const String& Str, bool PartialKey) {
  if (!FListActive || !CanModify(true) || !FListFieldObj) return false;
  TDataSet* ds = FListLink->DataSet();
  try {
    TLocateOptions options{loCaseInsensitive};
    if (PartialKey) options += loPartialKey;
    if (!ds->Locate(FListFieldObj->FieldName(), Variant(Str), options)) {
      if (FStyle == csDropDownEh) SetKeyValue(Variant::Null());
      return false;
    }
    // The internal text changes report one change, at the end.
    ChangeTextOnce([&] {
      FTextValue = false;
      SetKeyValue(ds->FieldValues(FKeyField));
      String full = GetFieldText(FListFieldObj);
      if (full != Text()) TControl::SetText(full);
      if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, WPARAM(Len16(full)), LPARAM(Len16(Str)));
    });
    return true;
  } catch (const Exception&) {
    if (FStyle == csDropDownEh) {
      SetKeyValue(Variant::Null());
    } else {
      SetEditTextQuiet(Text());
      if (HandleAllocated()) SetSelStart(Len16(Text()));
    }
    return false;
  }
}

void TCustomDBLookupComboboxEh::ProcessSearchStr(const String& Str) {
  if (!FListFieldObj || (FListFieldObj->FieldKind() != fkData && FListFieldObj->FieldKind() != fkInternalCalc) ||
      !CanModify(true))
    return;
  std::u16string text = Utf8ToUtf16(Text());
  Integer start = HandleAllocated() ? SelStart() : Integer(text.size());
  Integer length = HandleAllocated() ? SelLength() : 0;
  if (Str == "\b") {
    // Backspace widens the selected (untyped) tail by one character.
    if (start == 0 && length == Integer(text.size())) {
      SendMessageW(Handle(), EM_SETSEL, WPARAM(text.size()), LPARAM(text.empty() ? 0 : text.size() - 1));
    } else if (start > 0) {
      SendMessageW(Handle(), EM_SETSEL, WPARAM(text.size()), LPARAM(start - 1));
    }
    return;
  }
  String before = Utf16ToUtf8(text.substr(0, size_t(std::min<Integer>(start, Integer(text.size())))));
  LocateStr(before + Str, true);
}

void TCustomDBLookupComboboxEh::KeyDown(Word& Key, TShiftState Shift) {
  TCustomDBEditEh::KeyDown(Key, Shift);
  if (Key == 0) return;
  TSpecRowEh* spec = FDropDownBox->SpecRow();
  if (FListActive && spec->Visible() && ShortCut(Key, Shift) == spec->ShortCut()) {
    SetKeyValue(spec->Value());
    SetChosenText(spec->CellTextAt(FListFieldIndex));
    SelectAllText();
    Key = 0;
    return;
  }
  if (FListVisible && FDataList) {
    bool ctrl = Shift.Contains(ssCtrl);
    if (Key == VK_CONTROL || Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN ||
        (ctrl && (Key == VK_HOME || Key == VK_END))) {
      FDataList->KeyDown(Key, Shift);
      Key = 0;
    }
    return;
  }
  if ((Key == VK_UP || Key == VK_DOWN) && FListActive && CanModify(true) && !Shift.Contains(ssAlt)) {
    SelectNextPrior(Key == VK_UP);
    Key = 0;
    return;
  }
  if (Key == VK_DELETE && FStyle == csDropDownListEh && CanModify(true)) {
    bool allSelected = HandleAllocated() && SelStart() == 0 && SelLength() == Len16(Text());
    if ((allSelected && DataLink()->BoundFieldCount() > 0) || DataLink()->BoundFieldCount() == 0 ||
        !DataLink()->GetMainField()->Required()) {
      SetKeyValue(Variant::Null());
      SetChosenText(String());
    }
    Key = 0;
  }
}

void TCustomDBLookupComboboxEh::KeyPress(char32_t& Key) {
  if (FListVisible && (Key == U'\r' || Key == 27)) {
    CloseUp(Key == U'\r');
    Key = 0;
    return;
  }
  TCustomDBEditEh::KeyPress(Key);
  if (Key == 0) return;
  if (Key == 8 && FStyle == csDropDownListEh) {
    ProcessSearchStr("\b");
    Key = 0;
    return;
  }
  if (Key >= 32) {
    if (FDropDownBox->AutoDrop() && FListActive && !FListVisible) DropDown();
    if (FStyle == csDropDownListEh) {
      String typed = GetTypedText().empty() ? Utf8Encode(Key) : GetTypedText();
      ProcessSearchStr(typed);
      Key = 0;
    }
  }
}

void TCustomDBLookupComboboxEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  // In the list style a press on the text opens the list.
  bool onText = !GetButtonsRect().Contains(TPoint(X, Y));
  if (Button == mbLeft && !Shift.Contains(ssDouble) && onText && FStyle == csDropDownListEh && IsDataLinkUsable() &&
      !FListVisible) {
    DropDown();
    FOpenedByPress = true;
  }
  TCustomDBEditEh::MouseDown(Button, Shift, X, Y);
}

void TCustomDBLookupComboboxEh::Click() {
  TCustomDBEditEh::Click();
  if (FStyle == csDropDownListEh && FListVisible && !FOpenedByPress) CloseUp(false);
  FOpenedByPress = false;
}

bool TCustomDBLookupComboboxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (FListVisible && FDataList) return FDataList->DoMouseWheelDown(Shift, MousePos);
  if (Shift.Contains(ssShift) || ReadOnly() || !CanModify(true)) return false;
  SelectNextPrior(false);
  return true;
}

bool TCustomDBLookupComboboxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (FListVisible && FDataList) return FDataList->DoMouseWheelUp(Shift, MousePos);
  if (Shift.Contains(ssShift) || ReadOnly() || !CanModify(true)) return false;
  SelectNextPrior(true);
  return true;
}

void TCustomDBLookupComboboxEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR: {
      char32_t ch = char32_t(Message.WParam);
      bool before = HandleAllocated();
      Integer oldStart = before ? SelStart() : 0;
      TCustomDBEditEh::Dispatch(Message);
      if (FStyle != csDropDownEh || ch == 0 || ch == VK_DELETE || ch == 27 || ch == U'\r' || ch == 9 ||
          GetKeyState(VK_MENU) < 0 || GetKeyState(VK_CONTROL) < 0 || !HandleAllocated())
        return;
      Integer len = Len16(Text());
      if (SelStart() == len && SelLength() == 0 && ch != 8) {
        ProcessSearchStr(String());
      } else if (LocateStr(Text(), false)) {
        SendMessageW(Handle(), EM_SETSEL, WPARAM(Len16(Text())), LPARAM(oldStart + (ch == 8 ? -1 : 1)));
      }
      return;
    }
    case WM_KEYDOWN:
      // Delete in free text: the edit deletes, then the rest is located.
      if (Message.WParam == VK_DELETE && FStyle == csDropDownEh && HandleAllocated()) {
        if (!CanModify(true)) return;
        Integer oldStart = SelStart();
        TCustomDBEditEh::Dispatch(Message);
        if (LocateStr(Text(), false)) SendMessageW(Handle(), EM_SETSEL, WPARAM(Len16(Text())), LPARAM(oldStart));
        return;
      }
      break;
    case WM_CUT:
      if (!CanModify(true)) return;
      TCustomDBEditEh::Dispatch(Message);
      if (FStyle == csDropDownEh) LocateStr(Text(), false);
      return;
    case WM_PASTE:
      if (!CanModify(true)) return;
      if (FStyle == csDropDownEh) {
        TCustomDBEditEh::Dispatch(Message);
        LocateStr(Text(), false);
      } else if (Clipboard()->HasFormat(CF_UNICODETEXT) || Clipboard()->HasFormat(CF_TEXT)) {
        // A fixed list takes pasted text as typed search text.
        ProcessSearchStr(Clipboard()->AsText());
      }
      return;
    case CM_WANTSPECIALKEY:
      if (FListVisible && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_KILLFOCUS:
      if (FListVisible && FDataList && HWND(Message.WParam) != FDataList->Handle()) CloseUp(false);
      break;
  }
  TCustomDBEditEh::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Loading and posting the value

void TCustomDBLookupComboboxEh::DataChanged() {
  if (DataLink()->DataIndependent() && FTextValue) {
    String text = VarToStr(DataLink()->IndependentValue());
    SetEditTextQuiet(text);
    LocateStr(text, false);
    FTextValue = FKeyValue.IsNull();
    SetModified(false);
    return;
  }
  Variant key = Variant::Null();
  if (DataLink()->BoundFieldCount() > 0 && DataLink()->IsDataSetOpen())
    key = DataLink()->DataSet()->FieldValues(DataLink()->FieldName());
  else if (DataLink()->DataIndependent())
    key = DataLink()->IndependentValue();
  FKeyValue = key;
  if (FListActive) ChooseText();
  else if (!Unbound()) SetEditTextQuiet(String());
  SetModified(false);
}

void TCustomDBLookupComboboxEh::UpdateData() {
  if (FListActive && OnNotInList && FListFieldObj) {
    TDataSet* ds = FListLink->DataSet();
    if (!ds->Locate(FListFieldObj->FieldName(), Variant(Text()), {loCaseInsensitive})) {
      bool recheck = false;
      OnNotInList(this, Text(), recheck);
      if (recheck && ds->Locate(FListFieldObj->FieldName(), Variant(Text()), {loCaseInsensitive}))
        SetKeyValue(ds->FieldValues(FKeyField));
    }
  }
  if (FFocused) ValidateEdit();
  if (CallOnUpdateData()) return;
  TSpecRowEh* spec = FDropDownBox->SpecRow();
  if (DataLink()->DataIndependent() && FListActive && !LocateKey() && !Text().empty() && FStyle == csDropDownEh &&
      !spec->Visible()) {
    FTextValue = true;
    DataLink()->AssignValue(Variant(Text()));
  } else {
    FTextValue = false;
    DataLink()->AssignValue(FKeyValue);
  }
  SetModified(false);
}

// ---------------------------------------------------------------------------
// The drop-down

void TCustomDBLookupComboboxEh::EditButtonDefaultAction(bool Down) {
  if (FListVisible) {
    CloseUp(false);
    return;
  }
  TCustomDBEditEh::EditButtonDefaultAction(Down);
}

void TCustomDBLookupComboboxEh::DropDown() {
  if (FListVisible || !FListActive || !FDataList) return;
  if (CanFocus() && !Focused()) SetFocus();
  if (OnDropDown) OnDropDown(this);
  TPopupDataGridEh* g = FDataList;
  g->SetKeyValue(Variant::Null());
  g->SetSpecRow(FDropDownBox->SpecRow());
  g->SetColor(Color());
  g->SetFont(Font());
  g->SetShowTitles(FDropDownBox->ShowTitles());
  g->SetUseMultiTitle(FDropDownBox->UseMultiTitle());
  g->SetListReadOnly(!CanModify(false));
  TDataSet* ds = FListLink->DataSet();
  Integer rows = FDropDownBox->Rows();
  Integer count = ds->RecordCount();
  if (count > 0 && count < rows) rows = count;
  g->SetKeyField(FKeyField);
  String names;
  for (TField* f : FListFields) names += f->FieldName() + ";";
  g->SetListField(names);
  Integer index = 0;
  for (size_t i = 0; i < FListFields.size(); ++i)
    if (FListFields[i] == FListFieldObj) index = Integer(i);
  g->SetListFieldIndex(index);
  g->SetAutoFitColWidths(false);
  g->SetListSource(FListLink->DataSource());
  g->HandleNeeded();
  g->SetRowCount(rows);
  Integer width = FDropDownBox->Width();
  if (width == -1) g->SetClientWidth(g->GetColumnsWidth());
  else g->SetWidth(width <= 0 ? Width() : width);
  if (g->Width() < Width()) g->SetWidth(Width());
  g->SetAutoFitColWidths(FDropDownBox->AutoFitColWidths());
  g->SetKeyValue(FKeyValue);
  g->SetListReadOnly(!CanModify(false));
  TPoint p = FitDropDownToControlEh(this, g, Integer(FDropDownBox->Align()));
  SetWindowPos(g->Handle(), HWND_TOP, p.X, p.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  g->SetVisible(true);
  g->SizeGrip()->SetGripVisible(FDropDownBox->Sizable());
  g->SetRowCount(rows);
  FListVisible = true;
  Invalidate();
  g->SetSizeChanged(false);
  TCustomDBEditEh::DropDown();
  FDroppedDown = true;
}

void TCustomDBLookupComboboxEh::CloseUp(bool Accept) {
  if (!FListVisible || !FDataList) return;
  TPopupDataGridEh* g = FDataList;
  if (GetCapture()) SendMessageW(GetCapture(), WM_CANCELMODE, 0, 0);
  Variant chosen = g->KeyValue();
  if (g->HandleAllocated())
    SetWindowPos(g->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  g->SetVisible(false);
  FListVisible = false;
  if (g->SizeChanged()) {
    FDropDownBox->SetRows(g->RowCount());
    FDropDownBox->SetWidth(g->Width());
  }
  g->SetAutoFitColWidths(false);
  g->SetListSource(nullptr);
  Invalidate();
  FDroppedDown = false;
  TCustomDBEditEh::CloseUp(Accept);
  if (Accept && CanModify(true)) {
    FTextValue = false;
    SetKeyValue(chosen);
    TSpecRowEh* spec = FDropDownBox->SpecRow();
    if (spec->Visible() && (spec->MatchesKeyValue(chosen) || (spec->ShowIfNotInKeyList() && !LocateKey())))
      SetChosenText(spec->CellTextAt(FListFieldIndex));
    else if (LocateKey())
      SetChosenText(GetFieldText(FListFieldObj));
    SelectAllText();
  }
  if (FStyle == csDropDownEh) SelectAllText();
  if (OnCloseUp) OnCloseUp(this, Accept);
}
