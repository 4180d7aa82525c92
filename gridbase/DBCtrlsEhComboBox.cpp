// The combo box edit: a list of item texts that drops down under the edit,
// free text with auto-completion, or key items (each item standing for a
// key that is the control's value) with type-ahead in a read-only edit.
#include <algorithm>
#include "Clipbrd.h"
#include "DBCtrlsEh.h"
#include "Forms.h"
#include "ImgList.h"
#include "PlatformEh.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "VclWindows.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TDropDownBoxEh, TPersistent)
TOVANI_IMPLEMENT_CLASS(TCustomDBComboBoxEh, TCustomDBEditEh)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBComboBoxEh, TCustomDBComboBoxEh)
TOVANI_IMPLEMENT_ENUM_INFO(TDropDownAlign, "daLeft", "daRight", "daCenter")

TOVANI_PUBLISHED(TDropDownBoxEh) {
  Property("Align", &TDropDownBoxEh::Align, &TDropDownBoxEh::SetAlign).Default(daLeft);
  Property("AutoDrop", &TDropDownBoxEh::AutoDrop, &TDropDownBoxEh::SetAutoDrop).Default(false);
  Property("Rows", &TDropDownBoxEh::Rows, &TDropDownBoxEh::SetRows).Default(7);
  Property("Sizable", &TDropDownBoxEh::Sizable, &TDropDownBoxEh::SetSizable).Default(false);
  Property("Width", &TDropDownBoxEh::Width, &TDropDownBoxEh::SetWidth).Default(0);
}

TOVANI_PUBLISHED(TDBComboBoxEh) {
  Property("Alignment", &TCustomDBEditEh::Alignment, &TCustomDBEditEh::SetAlignment)
      .Stored(&TCustomDBEditEh::IsAlignmentStored);
  Property("AlwaysShowBorder", &TCustomDBEditEh::AlwaysShowBorder, &TCustomDBEditEh::SetAlwaysShowBorder).Default(false);
  Property("DataField", &TCustomDBEditEh::DataField, &TCustomDBEditEh::SetDataField);
  Property("DataSource", &TCustomDBEditEh::DataSource, &TCustomDBEditEh::SetDataSource);
  Property("DropDownBox", &TCustomDBComboBoxEh::DropDownBox, &TCustomDBComboBoxEh::SetDropDownBox);
  Property("EditButton", &TCustomDBEditEh::EditButton, &TCustomDBEditEh::SetEditButton);
  Property("EditButtons", &TCustomDBEditEh::EditButtons, &TCustomDBEditEh::SetEditButtons);
  Property("Flat", &TCustomDBEditEh::Flat, &TCustomDBEditEh::SetFlat).Default(false);
  Property("HighlightRequired", &TCustomDBEditEh::HighlightRequired, &TCustomDBEditEh::SetHighlightRequired)
      .Default(false);
  Property("Images", &TCustomDBEditEh::Images, &TCustomDBEditEh::SetImages);
  Property("Items", &TCustomDBComboBoxEh::Items, &TCustomDBComboBoxEh::SetItems);
  Property("KeyItems", &TCustomDBComboBoxEh::KeyItems, &TCustomDBComboBoxEh::SetKeyItems);
  Property("MRUList", &TCustomDBEditEh::MRUList, &TCustomDBEditEh::SetMRUList);
  Property("ReadOnly", &TCustomDBEditEh::ReadOnly, &TCustomDBEditEh::SetReadOnly).Default(false);
  Property("ShowHint", &TCustomDBEditEh::ShowHint, &TCustomDBEditEh::SetShowHint).Default(false);
  Property("Text", &TCustomDBEditEh::Text, &TCustomDBEditEh::SetText)
      .Stored([](TObject* o) { return static_cast<TCustomDBEditEh*>(o)->IsTextStored(); });
  Property("Tooltips", &TCustomDBEditEh::Tooltips, &TCustomDBEditEh::SetTooltips).Default(false);
  Property("Visible", &TCustomDBEditEh::GetVisible, &TCustomDBEditEh::SetVisible).NoDefault();
  Property("OnButtonClick", &TCustomDBEditEh::OnButtonClick);
  Property("OnButtonDown", &TCustomDBEditEh::OnButtonDown);
  Property("OnCloseUp", &TCustomDBComboBoxEh::OnCloseUp);
  Property("OnDropDown", &TCustomDBComboBoxEh::OnDropDown);
  Property("OnGetImageIndex", &TCustomDBEditEh::OnGetImageIndex);
  Property("OnGetItemImageIndex", &TCustomDBComboBoxEh::OnGetItemImageIndex);
  Property("OnNotInList", &TCustomDBComboBoxEh::OnNotInList);
  Property("OnUpdateData", &TCustomDBEditEh::OnUpdateData);
}

void TDropDownBoxEh::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TDropDownBoxEh*>(Source)) {
    FAlign = s->FAlign;
    FRows = s->FRows;
    FWidth = s->FWidth;
    FSizable = s->FSizable;
    return;
  }
  TPersistent::Assign(Source);
}

namespace {

// The first Count UTF-16 units of S (the edit's own text positions).
String HeadUnits(const String& S, size_t Count) {
  std::u16string s = Utf8ToUtf16(S);
  return Utf16ToUtf8(s.substr(0, std::min(Count, s.size())));
}

size_t UnitLength(const String& S) { return Utf8ToUtf16(S).size(); }

}  // namespace

// ---------------------------------------------------------------------------
// Construction and the item lists

TCustomDBComboBoxEh::TCustomDBComboBoxEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {
  FDropDownBox = std::make_unique<TDropDownBoxEh>(this);
  FItems = std::make_unique<TStringList>();
  FItems->OnChange = [this](TObject*) { ItemsChanged(); };
  FKeyItems = std::make_unique<TStringListEh>();
  FKeyItems->SetCaseSensitive(true);
  FKeyItems->OnChange = [this](TObject*) { KeyItemsChanged(); };
  InstallEditButton(CreateEditButton());
}

TCustomDBComboBoxEh::~TCustomDBComboBoxEh() {
  FItems->OnChange = nullptr;
  FKeyItems->OnChange = nullptr;
}

TEditButtonEh* TCustomDBComboBoxEh::CreateEditButton() { return new TVisibleEditButtonEh(this); }

TAlignment TCustomDBComboBoxEh::GetFieldAlignment() {
  return FKeyItemsMode ? taLeftJustify : TCustomDBEditEh::GetFieldAlignment();
}

bool TCustomDBComboBoxEh::IsValidChar(char32_t Key) { return FKeyItemsMode || TCustomDBEditEh::IsValidChar(Key); }

void TCustomDBComboBoxEh::ItemsChanged() {
  UpdateItemsState();
  SyncItemIndex();
  ResetMaxLength();
}

void TCustomDBComboBoxEh::KeyItemsChanged() {
  UpdateItemsState();
  SyncItemIndex();
  ResetMaxLength();
  DataLinkDataChange();
}

void TCustomDBComboBoxEh::UpdateItemsState() {
  FItemsCount = FItems->Count();
  FKeyItemsMode = FKeyItems->Count() > 0;
  if (FKeyItemsMode) {
    FItemsCount = std::min(FItems->Count(), FKeyItems->Count());
    SetLoadedText("", true);
  }
  UpdateReadOnlyState();
}

void TCustomDBComboBoxEh::SyncItemIndex() {
  Integer i = FItems->IndexOf(EditText());
  FItemIndex = i < FItemsCount ? i : -1;
  ListFollows();
  UpdateImageIndex();
}

void TCustomDBComboBoxEh::ListFollows() {
  if (FListVisible && FPopupListbox) FPopupListbox->SetItemIndex(FItemIndex);
}

void TCustomDBComboBoxEh::UpdateReadOnlyState() {
  bool ro = !DataLink()->Editing() || ReadOnly() || FKeyItemsMode;
  TCustomEdit::SetReadOnly(ro);
}

void TCustomDBComboBoxEh::ResetMaxLength() {
  if (MaxLength() > 0 && FKeyItemsMode) SetMaxLength(0);
  else TCustomDBEditEh::ResetMaxLength();
}

Integer TCustomDBComboBoxEh::GetItemsCount() {
  if (FItems->Count() == 0 && OnFillItems) return OnFillItems(this);
  return FItems->Count();
}

// ---------------------------------------------------------------------------
// Selecting items, value and text

void TCustomDBComboBoxEh::InternalSetItemIndex(Integer Index) {
  if (Index == FItemIndex) return;
  GetItemsCount();
  if (Index < 0 || Index >= FItemsCount) {
    FItemIndex = -1;
    FKeyValue = Variant::Null();
  } else {
    FItemIndex = Index;
    if (FKeyItemsMode) FKeyValue = Variant(FKeyItems->Strings(Index));
  }
  Integer keep = FItemIndex;
  UpdateImageIndex();
  ListFollows();
  TCustomDBEditEh::InternalSetText(keep >= 0 ? FItems->Strings(keep) : String());
  // The item chosen stays chosen even when an equal text stands earlier.
  FItemIndex = keep;
  ListFollows();
}

void TCustomDBComboBoxEh::SetItemIndex(Integer v) {
  if (Designing() && !IsDataIndependent()) return;
  BeginBoundEdit();
  InternalSetItemIndex(v);
  try {
    UpdateData();
  } catch (...) {
    DataLink()->ReloadValue();
    throw;
  }
}

void TCustomDBComboBoxEh::SelectNextItem(bool Up) {
  if (!EditCanModify()) return;
  GetItemsCount();
  Integer i = FItemIndex, count = FItemsCount;
  if (count <= 0) return;
  if (Up) {
    if (i > 0) --i;
    else if (i < 0) i = count - 1;
  } else if (i < count - 1) {
    ++i;
  }
  if (i == FItemIndex) return;
  InternalSetItemIndex(i);
  SelectAll();
}

void TCustomDBComboBoxEh::InternalSetText(const String& AText) {
  if (FKeyItemsMode) {
    Integer i = FItems->IndexOf(AText);
    if (i < 0 || i >= FItemsCount) return;   // a text that is not an item changes nothing
    FItemIndex = i;
    UpdateImageIndex();
    ListFollows();
    FKeyValue = Variant(FKeyItems->Strings(i));
    TCustomDBEditEh::InternalSetText(AText);
    FItemIndex = i;
    return;
  }
  TCustomDBEditEh::InternalSetText(AText);
  SyncItemIndex();
}

void TCustomDBComboBoxEh::InternalSetValue(const Variant& AValue) {
  if (!FKeyItemsMode) {
    TCustomDBEditEh::InternalSetValue(AValue);
    SyncItemIndex();
    return;
  }
  FKeyValue = AValue;
  Integer i = -1;
  if (!AValue.IsNull() && !AValue.IsEmpty()) {
    i = FKeyItems->IndexOf(VarToStr(AValue));
    if (i >= FItemsCount) i = -1;
  }
  // A key missing from the key items shows nothing but stays the value.
  TCustomDBEditEh::InternalSetText(i >= 0 ? FItems->Strings(i) : String());
  FItemIndex = i;
  UpdateImageIndex();
  ListFollows();
}

Variant TCustomDBComboBoxEh::GetVariantValue() {
  return FKeyItemsMode ? FKeyValue : TCustomDBEditEh::GetVariantValue();
}

void TCustomDBComboBoxEh::InternalUpdatePostData() {
  // An unbound key-items combo keeps its key itself, so that no key (Null)
  // stays Null instead of turning into an empty text.
  if (IsDataIndependent() && FKeyItemsMode) DataLink()->AssignValue(FKeyValue);
  else if (!IsDataIndependent() || FKeyItemsMode) DataLink()->SetText(VarToStr(GetVariantValue()));
  else DataLink()->SetText(EditText());
}

void TCustomDBComboBoxEh::DataChanged() {
  bool old = FLoadingText;
  FLoadingText = true;
  try {
    TField* f = DataLink()->GetMainField();
    if (f) {
      if (f->Alignment() != Alignment()) Invalidate();
      SetMaskUnlessExplicit(f->EditMask());
      if (!Designing() && (f->DataType() == ftString || f->DataType() == ftWideString) && MaxLength() == 0 &&
          !FKeyItemsMode)
        SetMaxLength(f->Size());
      if ((FFocused && DataLink()->LinkCanModify()) || FKeyItemsMode) InternalSetValue(Variant(f->Text()));
      else SetEditText(f->DisplayText());
    } else if (DataLink()->DataIndependent()) {
      SetMaskUnlessExplicit("");
      if (FKeyItemsMode) InternalSetValue(DataLink()->IndependentValue());
      else SetEditText(VarToStr(DataLink()->IndependentValue()));
    } else {
      SetMaskUnlessExplicit("");
      SetEditText("");
    }
  } catch (...) {
    FLoadingText = old;
    throw;
  }
  FLoadingText = old;
  UpdateReadOnlyState();
  SetModified(false);
}

String TCustomDBComboBoxEh::GetDisplayText() {
  TField* f = DataLink()->GetMainField();
  if (ControlState().Contains(csPaintCopy) && f) {
    String s;
    if (FKeyItemsMode) {
      Integer i = FKeyItems->IndexOf(f->Text());
      if (i >= 0 && i < FItems->Count()) s = FItems->Strings(i);
    } else {
      s = f->DisplayText();
    }
    if (CharCase() == ecUpperCase) s = AnsiUpperCaseEh(s);
    else if (CharCase() == ecLowerCase) s = AnsiLowerCaseEh(s);
    return s;
  }
  return TCustomDBEditEh::GetDisplayText();
}

void TCustomDBComboBoxEh::UpdateData() {
  if (OnNotInList && FItemIndex == -1) {
    bool recheck = false;
    OnNotInList(this, EditText(), recheck);
  }
  TCustomDBEditEh::UpdateData();
}

void TCustomDBComboBoxEh::UpdateImageIndex() {
  FItemImageIndex = -1;
  if (FItemIndex >= 0) {
    FItemImageIndex = FItemIndex;
    if (OnGetItemImageIndex) OnGetItemImageIndex(this, FItemIndex, FItemImageIndex);
  }
  TCustomDBEditEh::UpdateImageIndex();
}

void TCustomDBComboBoxEh::Clear() {
  if (FKeyItemsMode) SetValue(Variant::Null());
  else SetText("");
}

void TCustomDBComboBoxEh::Change() {
  TCustomDBEditEh::Change();
  if (!FKeyItemsMode) SyncItemIndex();
}

// ---------------------------------------------------------------------------
// Searching

void TCustomDBComboBoxEh::SelectBackwards(Integer Start, Integer End) {
  // The anchor stays at End and the caret stands at Start, so the typed
  // part (before the caret) stays and the completion is selected.
  FSelAnchor = End;
  FSelCaret = Start;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, WPARAM(End), LPARAM(Start));
}

bool TCustomDBComboBoxEh::LocateItemText(const String& S, bool Partial) {
  Integer old = FItemIndex;
  if (!EditCanModify()) return false;
  try {
    GetItemsCount();
    size_t n = UnitLength(S);
    Integer found = -1;
    for (Integer i = 0; i < FItemsCount && found < 0; ++i) {
      String item = FItems->Strings(i);
      if (AnsiCompareTextEh(Partial ? HeadUnits(item, n) : item, S) == 0) found = i;
    }
    if (found < 0) {
      if (!FKeyItemsMode) InternalSetItemIndex(-1);
    } else {
      InternalSetItemIndex(found);
      SelectBackwards(Integer(n), Integer(UnitLength(EditText())));
    }
  } catch (...) {
    InternalSetItemIndex(old);
    return false;
  }
  return FItemIndex != old;
}

bool TCustomDBComboBoxEh::IncrementalSearch(const String& S) {
  if (!(IsDataIndependent() || DataLink()->GetMainField()) || !EditCanModify()) return false;
  if (S == "\b") {
    // The selected tail grows backwards by one whole character.
    std::u16string text = Utf8ToUtf16(EditText());
    Integer len = Integer(text.size());
    Integer start = SelStart(), end = start + SelLength();
    if (start == 0 && end == len) {
      Integer caret = len;
      if (caret > 0) --caret;
      if (caret > 0 && text[size_t(caret)] >= 0xDC00 && text[size_t(caret)] < 0xE000) --caret;
      SelectBackwards(caret, len);
    } else {
      Integer caret = start;
      if (caret > 0) --caret;
      if (caret > 0 && text[size_t(caret)] >= 0xDC00 && text[size_t(caret)] < 0xE000) --caret;
      SelectBackwards(caret, end);
    }
    return false;
  }
  GetItemsCount();
  return LocateItemText(HeadUnits(EditText(), size_t(SelStart())) + S, true);
}

// ---------------------------------------------------------------------------
// Keys and mouse

void TCustomDBComboBoxEh::KeyDown(Word& Key, TShiftState Shift) {
  TCustomDBEditEh::KeyDown(Key, Shift);
  if (Key == VK_UP || Key == VK_DOWN) {
    bool wholeText = SelStart() == 0 && SelLength() == Integer(UnitLength(EditText()));
    if (!ReadOnly() && !FListVisible && (!WordWrap() || wholeText) && EditCanModify()) {
      SelectNextItem(Key == VK_UP);
      Key = 0;
    }
  } else if (Key == VK_DELETE && FKeyItemsMode) {
    TField* f = DataLink()->GetMainField();
    if ((IsDataIndependent() || (f && !f->Required())) && !ReadOnly() && EditCanModify()) {
      InternalSetValue(Variant::Null());
      DataLink()->SetModified(true);
      SetModified(true);
    }
    Key = 0;
  }
}

void TCustomDBComboBoxEh::KeyPress(char32_t& Key) {
  if (FListVisible && (Key == VK_RETURN || Key == VK_ESCAPE)) {
    CloseUp(Key == VK_RETURN);
    Key = 0;
    return;
  }
  if (Key >= 32 && FDropDownBox->AutoDrop() && !FListVisible) DropDown();
  TCustomDBEditEh::KeyPress(Key);
  if (!FKeyItemsMode || Key == 0) return;
  if (Key == 8) {
    IncrementalSearch("\b");
    Key = 0;
  } else if (Key >= 32) {
    String typed = GetTypedText();
    IncrementalSearch(typed.empty() ? Utf8Encode(Key) : typed);
    Key = 0;
  }
}

void TCustomDBComboBoxEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (FKeyItemsMode && Button == mbLeft && !GetButtonsRect().Contains({X, Y}) && IsDataLinkUsable() &&
      !FListVisible && !Shift.Contains(ssDouble)) {
    if (CanFocus()) SetFocus();
    FDropDownClick = true;
    DropDown();
  }
  TCustomDBEditEh::MouseDown(Button, Shift, X, Y);
}

void TCustomDBComboBoxEh::Click() {
  if (FListVisible && !FDropDownClick) CloseUp(false);
  FDropDownClick = false;
  TCustomDBEditEh::Click();
}

void TCustomDBComboBoxEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (ForwardDragToList(this, X, Y)) return;
  TCustomDBEditEh::MouseMove(Shift, X, Y);
}

bool TCustomDBComboBoxEh::ForwardDragToList(TControl* Sender, Integer X, Integer Y) {
  if (!FListVisible || !FPopupListbox || !FPopupListbox->HandleAllocated() || !Sender) return false;
  bool captured = GetCaptureControl() == Sender ||
                  (dynamic_cast<TWinControl*>(Sender) && GetCapture() == static_cast<TWinControl*>(Sender)->Handle());
  if (!captured) return false;
  TPoint p = FPopupListbox->ScreenToClient(Sender->ClientToScreen({X, Y}));
  if (!FPopupListbox->ClientRect().Contains(p)) return false;
  Sender->Perform(WM_CANCELMODE);
  SendMessageW(FPopupListbox->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  return true;
}

void TCustomDBComboBoxEh::EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
  if (Sender == MainButtonControl()) ForwardDragToList(MainButtonControl(), X, Y);
  TCustomDBEditEh::EditButtonMouseMove(Sender, Shift, X, Y);
}

bool TCustomDBComboBoxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEh::DoMouseWheelDown(Shift, MousePos)) return true;
  if (!Shift.Empty() || ReadOnly() || !DataLink()->StartEdit()) return false;
  SelectNextItem(false);
  return true;
}

bool TCustomDBComboBoxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEh::DoMouseWheelUp(Shift, MousePos)) return true;
  if (!Shift.Empty() || ReadOnly() || !DataLink()->StartEdit()) return false;
  SelectNextItem(true);
  return true;
}

void TCustomDBComboBoxEh::EditButtonDefaultAction(bool Down) {
  if (EditButton()->Style() == ebsUpDownEh) {
    if (EditCanModify()) SelectNextItem(!Down);
    return;
  }
  TCustomDBEditEh::EditButtonDefaultAction(Down);
}

// ---------------------------------------------------------------------------
// The drop-down list

TPopupListboxEh* TCustomDBComboBoxEh::GetPopupListbox() {
  if (!FPopupListbox) {
    FPopupListbox = new TPopupListboxEh(this);
    FPopupListbox->SetVisible(false);
    FPopupListbox->SetCtl3D(true);
    FPopupListbox->SetParent(this);
    FPopupListbox->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
      ListMouseUp(s, b, sh, x, y);
    };
    FPopupListbox->OnGetImageIndex = [this](TObject*, Integer Index, Integer& ImageIndex) {
      if (OnGetItemImageIndex) OnGetItemImageIndex(this, Index, ImageIndex);
    };
  }
  return FPopupListbox;
}

Integer TCustomDBComboBoxEh::CalcItemsWidth() {
  TControlCanvas* canvas = GetPaintCanvas();
  canvas->Font()->Assign(Font());
  Integer widest = 0;
  for (Integer i = 0; i < FItemsCount; ++i) widest = std::max(widest, canvas->TextWidth(FItems->Strings(i)));
  Integer w = widest + 5;
  if (Images()) w += Images()->Width() + 4;
  return w;
}

void TCustomDBComboBoxEh::DropDown() {
  if (FListVisible) return;
  TCustomDBEditEh::DropDown();
  if (OnDropDown) OnDropDown(this);
  GetItemsCount();
  TPopupListboxEh* lb = GetPopupListbox();
  lb->SetColor(Color());
  lb->SetFont(Font());
  lb->SetImageList(Images());
  Integer itemHeight = lb->GetFontTextHeight();
  if (Images() && EditImage()->UseImageHeight() && itemHeight <= Images()->Height()) itemHeight = Images()->Height();
  lb->SetItemHeight(itemHeight);
  TStrings* items = lb->Items();
  items->BeginUpdate();
  items->Clear();
  for (Integer i = 0; i < FItemsCount; ++i) items->Add(FItems->Strings(i));
  items->EndUpdate();
  lb->HandleNeeded();
  lb->SetItemIndex(FItemIndex);
  Integer width = FDropDownBox->Width() == -1 ? CalcItemsWidth() + (lb->Width() - lb->ClientWidth())
                  : FDropDownBox->Width() > 0 ? FDropDownBox->Width()
                                              : Width();
  lb->SetWidth(std::max(width, Width()));
  lb->SetRowCount(std::min(FDropDownBox->Rows(), std::max(FItemsCount, 1)));
  Integer align = FDropDownBox->Align();
  if (UseRightToLeftAlignment() && align != daCenter) align = align == daLeft ? daRight : daLeft;
  TPoint p = FitDropDownToControlEh(this, lb, align);
  SetWindowPos(lb->Handle(), HWND_TOP, p.X, p.Y, lb->Width(), lb->Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
  lb->SizeGrip()->SetGripVisible(FDropDownBox->Sizable());
  FListVisible = true;
  FDroppedDown = true;
  lb->SetSizeChanged(false);
}

void TCustomDBComboBoxEh::CloseUp(bool Accept) {
  if (!FListVisible || !FPopupListbox) return;
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  TPopupListboxEh* lb = FPopupListbox;
  bool hadFocus = lb->HandleAllocated() && GetFocus() == lb->Handle();
  if (lb->HandleAllocated()) ShowWindow(lb->Handle(), SW_HIDE);
  if (lb->SizeChanged()) {
    // The user's resizing is kept for the next opening.
    FDropDownBox->SetRows(lb->RowCount());
    FDropDownBox->SetWidth(lb->Width());
  }
  if (hadFocus) SetFocus();
  FListVisible = false;
  TCustomDBEditEh::CloseUp(Accept);
  FDroppedDown = false;
  if (OnListSelection) OnListSelection(this, Accept);
  if (Accept && !ReadOnly() && DataLink()->StartEdit()) {
    InternalSetItemIndex(lb->ItemIndex());
    if (Focused()) SelectAll();
  }
  if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBComboBoxEh::ListMouseUp(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  if (Button != mbLeft || !FPopupListbox) return;
  CloseUp(FPopupListbox->ClientRect().Contains({X, Y}));
}

// ---------------------------------------------------------------------------
// Messages

void TCustomDBComboBoxEh::WndProc(TMessage& Message) {
  if (FListVisible && FPopupListbox && FPopupListbox->HandleAllocated() &&
      (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN)) {
    Word key = Word(Message.WParam);
    TShiftState shift = KeyboardStateToShiftState();
    TEditButtonControlEh* control = nullptr;
    bool ctrl = shift.Contains(ssCtrl);
    if (!FindButtonByShortCut(::ShortCut(key, shift), control) &&
        (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN ||
         (ctrl && (key == VK_HOME || key == VK_END)))) {
      SendMessageW(FPopupListbox->Handle(), WM_KEYDOWN, Message.WParam, Message.LParam);
      return;
    }
  }
  TCustomDBEditEh::WndProc(Message);
}

void TCustomDBComboBoxEh::DefaultHandler(TMessage& Message) {
  if (FKeyItemsMode && Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK) {
    // No caret placing or text selection in a list of fixed texts.
    if (Message.Msg == WM_RBUTTONUP && HandleAllocated()) {
      TPoint p = ClientToScreen({Message.XPos(), Message.YPos()});
      SendMessageW(Handle(), WM_CONTEXTMENU, WPARAM(Handle()), MAKELPARAM(p.X, p.Y));
    }
    return;
  }
  TCustomDBEditEh::DefaultHandler(Message);
}

void TCustomDBComboBoxEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CHAR: {
      char32_t ch = char32_t(Message.WParam);
      TCustomDBEditEh::Dispatch(Message);
      if (FKeyItemsMode || ch == 0 || ch == U'.' || GetKeyState(VK_CONTROL) < 0 || !HandleAllocated()) return;
      // Free text: typing at the end completes from the items; an edit
      // inside the text selects an item only when the whole text is one.
      Integer len = Integer(UnitLength(EditText()));
      if (SelStart() == len && SelLength() == 0 && ch != 8) {
        IncrementalSearch("");
      } else {
        Integer caret = SelStart();
        if (LocateItemText(EditText(), false)) SelectBackwards(caret, Integer(UnitLength(EditText())));
      }
      return;
    }
    case WM_PASTE:
      if (FKeyItemsMode) {
        if (Clipboard()->HasFormat(CF_UNICODETEXT) || Clipboard()->HasFormat(CF_TEXT))
          LocateItemText(Clipboard()->AsText(), true);
        return;
      }
      break;
    case WM_SETCURSOR:
      if (FKeyItemsMode) {
        ::SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
        Message.Result = 1;
        return;
      }
      break;
    case WM_KILLFOCUS: {
      HWND to = reinterpret_cast<HWND>(Message.WParam);
      if (FListVisible && FPopupListbox && !(FPopupListbox->HandleAllocated() && to == FPopupListbox->Handle()))
        CloseUp(false);
      break;
    }
    case CM_CANCELMODE: {
      TCustomDBEditEh::Dispatch(Message);
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      auto* win = dynamic_cast<TWinControl*>(sender);
      bool own = sender == this || sender == FPopupListbox ||
                 (win && win->HandleAllocated() && IsOwnWindow(win->Handle(), {FPopupListbox}));
      if (FListVisible && !own) CloseUp(false);
      return;
    }
    case CM_WANTSPECIALKEY:
      if (FListVisible && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
      }
      break;
    case CM_MOUSEWHEEL:
      if (FListVisible && FPopupListbox) {
        if (FPopupListbox->Perform(Message.Msg, Message.WParam, Message.LParam) != 0) {
          Message.Result = 1;
          return;
        }
      }
      break;
  }
  TCustomDBEditEh::Dispatch(Message);
}
