// The text editor's lookup over its LookupItems (the current item, the
// prefix search that completes typed text, keyboard navigation of the
// items) and the list box that shows the items in a combo box's popup.
#include <algorithm>

#include "Utf8.h"
#include "cxTextEdit.h"

TOVANI_IMPLEMENT_CLASS(TcxCustomTextEditLookupData, TcxInterfacedPersistent)
TOVANI_IMPLEMENT_CLASS(TcxCustomEditListBox, TcxCustomInnerListBox)

// ---------------------------------------------------------------------------
// Lookup data

TcxCustomTextEditLookupData::TcxCustomTextEditLookupData(TcxCustomTextEdit* AOwner)
    : TcxInterfacedPersistent(AOwner), FEdit(AOwner) {}

TcxCustomTextEditLookupData::~TcxCustomTextEditLookupData() {
  if (FList) FList->OnSelChange = nullptr;
}

TStrings* TcxCustomTextEditLookupData::Items() { return FEdit->ActiveProperties()->LookupItems(); }
Integer TcxCustomTextEditLookupData::ItemCount() { return Items()->Count(); }

String TcxCustomTextEditLookupData::ItemText(Integer AIndex) {
  return AIndex >= 0 && AIndex < ItemCount() ? Items()->Strings(AIndex) : String();
}

TWinControl* TcxCustomTextEditLookupData::GetListControl() { return FList; }

void TcxCustomTextEditLookupData::KeyToText(const Variant& AKey, String& AText) {
  AText.clear();
  if (!VarIsOrdinal(AKey)) return;
  Integer index = AKey.AsInteger();
  if (index >= 0 && index < ItemCount()) AText = ItemText(index);
}

bool TcxCustomTextEditLookupData::ListVisible() { return FList && FList->HandleAllocated() && IsWindowVisible(FList->Handle()); }

void TcxCustomTextEditLookupData::SyncListToKey() {
  if (FEdit->IsRequestingEditing()) return;
  FListIndex = FCurrentKey;
  if (FList) FList->SetItemIndex(FCurrentKey);
}

Integer TcxCustomTextEditLookupData::FindItem(const String& AText) {
  for (Integer i = 0; i < ItemCount(); ++i)
    if (cxStringsEqual(ItemText(i), AText, false)) return i;
  return -1;
}

// The key moves to an item index (-1 none); the list follows.
void TcxCustomTextEditLookupData::SetCurrentKeyIndex(Integer AIndex) {
  if (AIndex < -1 || AIndex >= ItemCount()) return;
  FCurrentKey = AIndex;
  if (FListIndex == AIndex && AIndex != -1) return;
  FListIndex = AIndex;
  if (FList && FList->Count() > 0) {
    if (AIndex == -1) FList->SetItemIndex(0);
    FList->SetItemIndex(AIndex);
  }
}

bool TcxCustomTextEditLookupData::SearchItems(String& AText, String& ATail, bool AFromCurrent, bool AExact) {
  Integer count = ItemCount();
  if (count == 0) return false;
  TcxTextEditInputMode mode = FEdit->ActiveProperties()->GetTextInputMode();
  if (AExact && FEdit->ActiveProperties()->ExactMatchLookup()) {
    Integer i = FindItem(AText);
    if (i >= 0) {
      ATail.clear();
      SetCurrentKeyIndex(i);
      return true;
    }
    SetCurrentKeyIndex(-1);
    return false;
  }
  if (!AText.empty()) {
    size_t chars = Utf8Length(AText);
    for (Integer i = AFromCurrent ? FListIndex + 1 : 0; i < count; ++i) {
      String item = ItemText(i);
      size_t cut = Utf8CharOffset(item, chars);
      if (Utf8Length(item) < chars || !cxStringsEqual(item.substr(0, cut), AText, false)) continue;
      AText = item.substr(0, cut);
      ATail = item.substr(cut);
      SetCurrentKeyIndex(i);
      return true;
    }
  }
  bool reset = mode == timListText ? (AExact || AText.empty()) : mode == timFixedList ? AExact : true;
  if (reset) SetCurrentKeyIndex(-1);
  return false;
}

void TcxCustomTextEditLookupData::FireItemChosen() { cxCallNotifyEvent(this, FOnItemChosen); }

void TcxCustomTextEditLookupData::WriteCurrentKey(const Variant& AKey) {
  Integer index = VarIsOrdinal(AKey) ? AKey.AsInteger() : -1;
  bool old = FEdit->FLookupKeyChanged;
  FEdit->FLookupKeyChanged = true;
  try {
    Integer before = FCurrentKey;
    SetCurrentKeyIndex(index);
    if (FCurrentKey == before) {
      if (FCurrentKey >= 0 && FCurrentKey < ItemCount() && FEdit->Text() != ItemText(FCurrentKey)) FireItemChosen();
    } else {
      FireItemChosen();
    }
  } catch (...) {
    FEdit->FLookupKeyChanged = old;
    throw;
  }
  FEdit->FLookupKeyChanged = old;
}

void TcxCustomTextEditLookupData::ChooseListItem() {
  if (FListIndex == -1) return;
  if (FListIndex != FCurrentKey && !FEdit->InnerRequestEditing()) return;
  Integer before = FCurrentKey;
  WriteCurrentKey(Variant(FListIndex));
  if (FCurrentKey == before) FireItemChosen();
}

void TcxCustomTextEditLookupData::EditTextChanged() {
  if (FEdit->IsRequestingEditing()) return;
  String text = FEdit->Text();
  if (FListIndex >= 0 && FListIndex < ItemCount() && cxStringsEqual(ItemText(FListIndex), text, false)) return;
  String tail;
  SearchItems(text, tail, false, true);
}

void TcxCustomTextEditLookupData::MoveSelection(TcxLookupMove ADirection, bool ACircular) {
  Integer n = ItemCount();
  if (n == 0) return;
  Integer i = FListIndex != -1 ? FListIndex : FCurrentKey;
  Integer page = FEdit->ActiveProperties()->GetLookupPageSize();
  Integer index = i;
  switch (ADirection) {
    case lmFirst: index = 0; break;
    case lmLast: index = n - 1; break;
    case lmNext:
      index = i + 1;
      if (index >= n) index = ACircular ? 0 : i;
      break;
    case lmPrior:
      index = i - 1;
      if (index < 0) index = ACircular ? n - 1 : i;
      break;
    case lmPageUp:
      if (i == -1)
        index = ACircular ? n - 1 : -1;
      else if (i - page + 1 < 0)
        index = ACircular && i == 0 ? n - 1 : 0;
      else
        index = i - page + 1;
      break;
    case lmPageDown:
      if (i == -1)
        index = page - 1;
      else
        index = i + page - 1;
      if (index >= n) index = ACircular && i == n - 1 ? 0 : n - 1;
      break;
  }
  if (index < -1) index = -1;
  if (!ListVisible() || (FEdit->ActiveProperties()->ImmediateUpdateText() && FEdit->InnerRequestEditing())) {
    WriteCurrentKey(Variant(index));
  } else {
    FListIndex = index;
    if (FList) FList->SetItemIndex(index);
  }
}

void TcxCustomTextEditLookupData::ListIndexChanged(TObject*) {
  if (FList) FListIndex = FList->ItemIndex();
}

void TcxCustomTextEditLookupData::CreateList(TWinControl* AParent) {
  if (!FList) {
    FList = CreateListBox();
    if (!FList) return;
  }
  TcxCustomEditStyle* style = FEdit->GetCurrentStyle();
  FList->SetColor(style->Color());
  FList->Font()->Assign(style->GetVisibleTextFont());
  FList->SetParent(AParent);
  FList->OnSelChange = [this](TObject* Sender) { ListIndexChanged(Sender); };
  FList->SetItemCount(ItemCount());
  FList->SetItemIndex(FListIndex);
  FList->RecreateStyle();
  FList->AfterCreated();
  AfterListCreated();
  EditTextChanged();
}

bool TcxCustomTextEditLookupData::IsPointInList(const TPoint& AScreenPoint) {
  if (!FList || !FList->HandleAllocated()) return false;
  RECT r;
  GetWindowRect(FList->Handle(), &r);
  POINT p{AScreenPoint.X, AScreenPoint.Y};
  return PtInRect(&r, p);
}

void TcxCustomTextEditLookupData::PlaceList(const TRect& R) {
  if (!FList) return;
  FList->SetBoundsRect(R);
  if (FList->HandleAllocated()) FList->SetScrollWidth(0);
}

void TcxCustomTextEditLookupData::ItemsChanged() {
  if (FList) FList->SetItemCount(ItemCount());
}

// ---------------------------------------------------------------------------
// Edit list box

TcxCustomEditListBox::TcxCustomEditListBox(TComponent* AOwner)
    : TcxCustomInnerListBox(AOwner), FEdit(dynamic_cast<TcxCustomTextEdit*>(AOwner)) {
  SetBorderStyle(bsNone);
  SetStyle(lbOwnerDrawFixed);
  if (FEdit) SetContainer(FEdit);
}

void TcxCustomEditListBox::CreateParams(TCreateParams& Params) {
  TcxCustomInnerListBox::CreateParams(Params);
  Params.Style &= ~DWORD(WS_BORDER);
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
}

void TcxCustomEditListBox::CreateWnd() {
  TcxCustomInnerListBox::CreateWnd();
  if (Style() == lbOwnerDrawFixed) SetItemHeight(GetItemHeight(-1));
}

String TcxCustomEditListBox::GetItemText(Integer AIndex) {
  if (FEdit && FEdit->LookupData()) return FEdit->LookupData()->ItemText(AIndex);
  return AIndex >= 0 && AIndex < Items()->Count() ? Items()->Strings(AIndex) : String();
}

Integer TcxCustomEditListBox::GetItemHeight(Integer) {
  TCanvas* c = cxSharedScreenCanvas()->Canvas();
  c->Font()->Assign(Font());
  return c->TextHeight("Wg");
}

Integer TcxCustomEditListBox::GetHeight(Integer ARowCount) { return GetItemHeight(-1) * ARowCount; }

Integer TcxCustomEditListBox::GetItemWidth(Integer AIndex) {
  TCanvas* c = cxSharedScreenCanvas()->Canvas();
  c->Font()->Assign(Font());
  return c->TextWidth(GetItemText(AIndex));
}

void TcxCustomEditListBox::MeasureItem(Integer Index, Integer& Height) { Height = GetItemHeight(Index); }

void TcxCustomEditListBox::DrawItem(Integer Index, TRect Rect, TItemDrawState State) {
  if (DoDrawItem(Index, Rect, State)) return;
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  if (Index < 0 || Index >= Count()) return;
  String text = GetItemText(Index);
  bool rtl = BiDiMode() != bdLeftToRight;
  TRect r = Rect;
  if (rtl)
    r.Right -= 2;
  else
    r.Left += 2;
  std::u16string w = Utf8ToUtf16(text);
  RECT rr = *r.AsRECT();
  SetBkMode(c->Handle(), TRANSPARENT);
  SetTextColor(c->Handle(), ColorToRGB(c->Font()->Color()));
  DrawTextW(c->Handle(), reinterpret_cast<LPCWSTR>(w.c_str()), Integer(w.size()), &rr,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (rtl ? DT_RIGHT | DT_RTLREADING : DT_LEFT));
}

bool TcxCustomEditListBox::IsDrawItemDefault() {
  if (!FEdit) return TcxCustomInnerListBox::IsDrawItemDefault();
  TcxTextEditInputMode mode = FEdit->ActiveProperties()->GetTextInputMode();
  return mode == timFixedList || mode == timNoText;
}

void TcxCustomEditListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomInnerListBox::MouseMove(Shift, X, Y);
  if (!FHotTrack || !HandleAllocated() || GetCapture() == Handle()) return;
  Integer index = ItemAtPos(TPoint(X, Y), true);
  if (index != -1 && index != ItemIndex()) TcxCustomEditListBox::SetItemIndex(index);
}

bool TcxCustomEditListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TcxCustomInnerListBox::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!HandleAllocated()) return false;
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  for (UINT i = 0; i < lines; ++i) SendMessageW(Handle(), WM_VSCROLL, WheelDelta > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
  return true;
}

void TcxCustomEditListBox::SetItemIndex(Integer Value) {
  TcxCustomInnerListBox::SetItemIndex(Value);
  UpdateScrollBars();
  cxCallNotifyEvent(this, OnSelChange);
}

void TcxCustomEditListBox::Click() {
  TcxCustomInnerListBox::Click();
  UpdateScrollBars();
  cxCallNotifyEvent(this, OnSelChange);
}

void TcxCustomEditListBox::SetItemCount(Integer ACount) {
  TStrings* items = Items();
  if (items->Count() == ACount) return;
  items->BeginUpdate();
  try {
    while (items->Count() < ACount) items->Add("");
    while (items->Count() > ACount) items->Delete(items->Count() - 1);
  } catch (...) {
    items->EndUpdate();
    throw;
  }
  items->EndUpdate();
}

void TcxCustomEditListBox::SetScrollWidth(Integer AWidth) {
  if (HandleAllocated()) SendMessageW(Handle(), LB_SETHORIZONTALEXTENT, WPARAM(AWidth), 0);
}

Integer TcxCustomEditListBox::ScrollWidth() {
  return HandleAllocated() ? Integer(SendMessageW(Handle(), LB_GETHORIZONTALEXTENT, 0, 0)) : 0;
}

void TcxCustomEditListBox::Dispatch(TMessage& Message) {
  TcxCustomInnerListBox::Dispatch(Message);
  // Shown while the focus stays in the editor: painted as focused all the same.
  if (Message.Msg == WM_SHOWWINDOW && Message.WParam) {
    TMessage focus;
    focus.Msg = WM_SETFOCUS;
    TListBox::DefaultHandler(focus);
  }
}
