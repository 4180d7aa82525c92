#include "cxComboBox.h"

#include <climits>

#include "Utf8.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxEditDropDownListStyle, "lsEditFixedList", "lsEditList", "lsFixedList")
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomComboBoxProperties, TcxCustomDropDownEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxComboBoxProperties, TcxCustomComboBoxProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomComboBoxListBox, TcxCustomEditListBox)
TOVANI_IMPLEMENT_CLASS(TcxComboBoxListBox, TcxCustomComboBoxListBox)
TOVANI_IMPLEMENT_CLASS(TcxComboBoxLookupData, TcxCustomTextEditLookupData)
TOVANI_IMPLEMENT_CLASS(TcxCustomComboBoxViewInfo, TcxCustomTextEditViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomComboBoxViewData, TcxCustomDropDownEditViewData)
TOVANI_IMPLEMENT_CLASS(TcxCustomComboBox, TcxCustomDropDownEdit)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxComboBox, TcxCustomComboBox)
TOVANI_IMPLEMENT_CLASS(TcxFilterComboBoxHelper, TcxFilterDropDownEditHelper)

// ---------------------------------------------------------------------------
// Properties

TcxCustomComboBoxProperties::TcxCustomComboBoxProperties(TPersistent* AOwner)
    : TcxCustomDropDownEditProperties(AOwner) {
  cxComboBoxUnitStartup();
}

void TcxCustomComboBoxProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomComboBoxProperties*>(Source);
  if (!s) {
    TcxCustomDropDownEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomDropDownEditProperties::Assign(Source);
    SetDropDownListStyle(s->FDropDownListStyle);
    SetDropDownRows(s->FDropDownRows);
    SetItemHeight(s->FItemHeight);
    FRevertable = s->FRevertable;
    OnDrawItem = s->OnDrawItem;
    OnMeasureItem = s->OnMeasureItem;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomComboBoxProperties::SetDropDownListStyle(TcxEditDropDownListStyle Value) {
  if (FDropDownListStyle == Value) return;
  FDropDownListStyle = Value;
  Changed();
}

void TcxCustomComboBoxProperties::SetDropDownRows(Integer Value) {
  if (Value <= 0 || FDropDownRows == Value) return;
  FDropDownRows = Value;
  Changed();
}

void TcxCustomComboBoxProperties::SetItemHeight(Integer Value) {
  if (FItemHeight == Value) return;
  FItemHeight = Value;
  Changed();
}

TClass TcxCustomComboBoxProperties::GetContainerClass() { return TcxComboBox::StaticClass(); }
TClass TcxCustomComboBoxProperties::GetViewDataClass() { return TcxCustomComboBoxViewData::StaticClass(); }
TClass TcxCustomComboBoxProperties::GetViewInfoClass() { return TcxCustomComboBoxViewInfo::StaticClass(); }
TcxCustomEditViewInfo* TcxCustomComboBoxProperties::CreateViewInfo() { return new TcxCustomComboBoxViewInfo(); }

TcxCustomEditViewData* TcxCustomComboBoxProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                   bool APreviewMode) {
  auto* vd = new TcxCustomComboBoxViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

TcxCustomEditProperties* TcxCustomComboBoxProperties::CreateOfSameClass() {
  return new TcxCustomComboBoxProperties(nullptr);
}

TcxTextEditInputMode TcxCustomComboBoxProperties::GetTextInputMode() {
  switch (FDropDownListStyle) {
    case lsEditFixedList: return timListText;
    case lsFixedList: return timFixedList;
    default: return timFreeText;
  }
}

TcxTextEditLookupDataFactory TcxCustomComboBoxProperties::GetLookupDataType() {
  return [](TcxCustomTextEdit* AOwner) { return new TcxComboBoxLookupData(AOwner); };
}

TcxEditPopupWindowFactory TcxCustomComboBoxProperties::GetPopupWindowType() {
  return [](TWinControl* AOwner) -> TcxCustomEditPopupWindow* { return new TcxComboBoxPopupWindow(AOwner); };
}

// What forms stream of a combo box's settings (the inherited ones under the
// names a combo box gives them).
TOVANI_PUBLISHED(TcxCustomComboBoxProperties) {
  using P = TcxCustomComboBoxProperties;
  Property<bool>(
      "DropDownAutoWidth", [](P* p) { return p->DropDownAutoWidth(); }, [](P* p, bool v) { p->SetDropDownAutoWidth(v); })
      .Default(true);
  Property("DropDownListStyle", &P::DropDownListStyle, &P::SetDropDownListStyle).Default(lsEditList);
  Property("DropDownRows", &P::DropDownRows, &P::SetDropDownRows).Default(8);
  Property<bool>(
      "DropDownSizeable", [](P* p) { return p->DropDownSizeable(); }, [](P* p, bool v) { p->SetDropDownSizeable(v); })
      .Default(false);
  Property<Integer>(
      "DropDownWidth", [](P* p) { return p->DropDownWidth(); }, [](P* p, Integer v) { p->SetDropDownWidth(v); })
      .Default(0);
  Property("ItemHeight", &P::ItemHeight, &P::SetItemHeight).Default(0);
  Property<TStrings*>(
      "Items", [](P* p) -> TStrings* { return p->Items(); }, [](P* p, TStrings* v) { p->SetItems(v); });
  Property("Revertable", &P::Revertable, &P::SetRevertable).Default(false);
  Property<bool>(
      "Sorted", [](P* p) { return p->Sorted(); }, [](P* p, bool v) { p->SetSorted(v); }).Default(false);
}

// ---------------------------------------------------------------------------
// List boxes

TcxCustomComboBoxListBox::TcxCustomComboBoxListBox(TComponent* AOwner) : TcxCustomEditListBox(AOwner) {
  SetStyle(lbOwnerDrawVariable);
}

TcxCustomComboBox* TcxCustomComboBoxListBox::ComboBox() const { return dynamic_cast<TcxCustomComboBox*>(Edit()); }

void TcxCustomComboBoxListBox::CreateParams(TCreateParams& Params) {
  TcxCustomEditListBox::CreateParams(Params);
  if (TcxCustomComboBox* combo = ComboBox())
    if (combo->IsOwnerDrawn()) Params.WindowClass.style |= CS_HREDRAW;
}

bool TcxCustomComboBoxListBox::DoDrawItem(Integer AIndex, const TRect& R, TItemDrawState AState) {
  TcxCustomComboBox* combo = ComboBox();
  if (!combo || !combo->IsOwnerDrawn()) return false;
  combo->DoDrawItem(cxCanvas(), AIndex, R, AState);
  return true;
}

void TcxCustomComboBoxListBox::RecreateStyle() {
  if (HandleAllocated()) RecreateWnd();
}

Integer TcxCustomComboBoxListBox::GetHeight(Integer ARowCount) {
  Integer h = 0;
  for (Integer i = 0; i < ARowCount; ++i) h += GetItemHeight(i);
  return h;
}

void TcxCustomComboBoxListBox::Resize() {
  TcxCustomEditListBox::Resize();
  // The corner between the list's two scroll bars is not repainted by them.
  if (HScrollBar() && VScrollBar() && HScrollBar()->Visible() && VScrollBar()->Visible() && HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void TcxComboBoxListBox::RecreateStyle() {
  TcxCustomComboBox* combo = ComboBox();
  SetItemHeight(GetItemHeight(-1));
  SetStyle(combo && combo->IsOwnerMeasured() ? lbOwnerDrawVariable : lbOwnerDrawFixed);
}

Integer TcxComboBoxListBox::GetItemHeight(Integer AIndex) {
  TcxCustomComboBox* combo = ComboBox();
  Integer h = combo ? combo->ActiveProperties()->ItemHeight() : 0;
  if (h <= 0) h = TcxCustomEditListBox::GetItemHeight(-1);
  if (AIndex >= 0 && combo && combo->IsOwnerMeasured()) combo->DoMeasureItem(AIndex, cxCanvas(), h);
  return h;
}

void TcxComboBoxListBox::SetItemIndex(Integer Value) {
  HoverSuppressed = true;
  TcxCustomComboBoxListBox::SetItemIndex(Value);
}

void TcxComboBoxListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  // The popup opened (or the list moved) under a cursor that stayed put.
  if (HoverSuppressed) {
    HoverSuppressed = false;
    return;
  }
  TcxCustomComboBoxListBox::MouseMove(Shift, X, Y);
}

void TcxComboBoxListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomComboBoxListBox::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  Integer index = ItemAtPos(TPoint(X, Y), true);
  if (index < 0) return;
  if (GetCapture() == Handle()) ReleaseCapture();
  TcxCustomEditListBox::SetItemIndex(index);
  if (TcxCustomComboBox* combo = ComboBox()) combo->CloseUp(pcrAccept);
}

// ---------------------------------------------------------------------------
// Lookup data

TcxCustomComboBox* TcxComboBoxLookupData::ComboBox() const { return dynamic_cast<TcxCustomComboBox*>(Edit()); }

TcxCustomEditListBox* TcxComboBoxLookupData::CreateListBox() { return new TcxComboBoxListBox(Edit()); }

void TcxComboBoxLookupData::AfterListCreated() {
  if (TcxCustomComboBox* combo = ComboBox())
    if (List()) List()->LookAndFeel()->SetMaster(combo->PopupControlsLookAndFeel());
}

void TcxComboBoxLookupData::GetPreferredListSize(TSize& ASize) {
  TcxCustomEditListBox* list = List();
  TcxCustomComboBox* combo = ComboBox();
  if (!list || !combo) {
    ASize = TSize{0, 0};
    return;
  }
  Integer givenWidth = ASize.cx, maxHeight = ASize.cy;
  Integer rows = combo->ActiveProperties()->DropDownRows(), count = ItemCount();
  Integer height = list->GetHeight(std::min(rows, count));
  Integer width = 0;
  for (Integer i = 0; i < count; ++i) width = std::max(width, list->GetItemWidth(i));
  width += 4;
  list->SetScrollWidth(width);
  if (rows < count || (maxHeight > 0 && maxHeight < height)) width += GetSystemMetrics(SM_CXVSCROLL);
  if (givenWidth > 0 && givenWidth < width) height += GetSystemMetrics(SM_CYHSCROLL);
  ASize = TSize{width, height};
}

bool TcxComboBoxLookupData::AllowsPopupResize(TSize& ASize, Integer AMaxHeight, Integer AMaxWidth) {
  TcxCustomEditListBox* list = List();
  if (!list) return true;
  if (ASize.cx == list->Width() && ASize.cy == list->Height()) return true;
  Integer maxHeight = AMaxHeight > 0 ? AMaxHeight : INT_MAX, maxWidth = AMaxWidth > 0 ? AMaxWidth : INT_MAX;
  Integer vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
  bool shrinking = ASize.cy < list->Height();
  Integer count = ItemCount(), rowsHeight = 0, previous = 0, result = -1;
  bool vbarInUse = false;
  for (Integer i = 0; i < count; ++i) {
    rowsHeight += list->GetItemHeight(i);
    bool more = i < count - 1;
    Integer available = ASize.cx - (more ? vbar : 0);
    bool hbarInUse = list->ScrollWidth() > available || ASize.cx > maxWidth;
    Integer total = rowsHeight + (hbarInUse ? hbar : 0);
    vbarInUse = more;
    if (total == ASize.cy && total <= maxHeight) {
      result = total;
      break;
    }
    if (total > ASize.cy || total > maxHeight) {
      // Shrinking keeps the row that passed the asked height; growing (or
      // passing the largest height) drops it.
      result = shrinking && total <= maxHeight ? total : (previous > 0 ? previous : total);
      if (result != total) vbarInUse = true;
      break;
    }
    previous = total;
  }
  if (result < 0) result = previous;
  ASize.cy = result;
  ASize.cx = std::max<Integer>(ASize.cx, vbarInUse ? vbar : 0);
  return true;
}

// ---------------------------------------------------------------------------
// View data and view info

void TcxCustomComboBoxViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                          TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxCustomDropDownEditViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxCustomComboBoxViewInfo*>(AViewInfo);
  if (!vi) return;
  auto* p = static_cast<TcxCustomComboBoxProperties*>(Properties);
  auto* combo = dynamic_cast<TcxCustomComboBox*>(Edit);
  if (combo) {
    vi->ItemIndex = p->DropDownListStyle() == lsFixedList && combo->IsOwnerDrawn() ? combo->ItemIndex() : -1;
    vi->IsOwnerDrawing = vi->ItemIndex != -1;
  }
}

void TcxCustomComboBoxViewData::PrepareViewInfoForPaint(TcxCanvas* ACanvas, const Variant& AEditValue,
                                                        TcxCustomEditViewInfo* AViewInfo) {
  TcxCustomDropDownEditViewData::PrepareViewInfoForPaint(ACanvas, AEditValue, AViewInfo);
  auto* vi = dynamic_cast<TcxCustomComboBoxViewInfo*>(AViewInfo);
  if (!vi) return;
  auto* p = static_cast<TcxCustomComboBoxProperties*>(Properties);
  vi->ItemIndex = p->DropDownListStyle() == lsFixedList && p->OnDrawItem ? p->Items()->IndexOf(VarToStr(AEditValue)) : -1;
  vi->IsOwnerDrawing = vi->ItemIndex != -1;
}

bool TcxCustomComboBoxViewInfo::DrawOwnerContent(TcxCanvas* ACanvas, const TRect& R) {
  if (!IsOwnerDrawing) return false;
  DrawItem(ACanvas, R);
  return true;
}

void TcxCustomComboBoxViewInfo::DrawItem(TcxCanvas* ACanvas, const TRect& R) {
  TItemDrawState state{odsComboBoxEdit};
  if (Focused) {
    state.Include(odsSelected);
    state.Include(odsFocused);
  }
  TCanvas* c = ACanvas->Canvas();
  if (Font) c->Font()->Assign(Font);
  c->Brush()->SetColor(DrawSelectionBar ? clHighlight : BackgroundColor);
  c->Font()->SetColor(DrawSelectionBar ? clHighlightText : TextColor);
  if (auto* combo = dynamic_cast<TcxCustomComboBox*>(Edit)) {
    combo->DoDrawItem(ACanvas, ItemIndex, R, state);
  } else if (auto* p = dynamic_cast<TcxCustomComboBoxProperties*>(Properties)) {
    if (p->OnDrawItem) p->OnDrawItem(nullptr, ACanvas, ItemIndex, R, state);
  }
}

// ---------------------------------------------------------------------------
// The editor

TcxCustomComboBox::TcxCustomComboBox(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomDropDownEdit(AOwner, AIsInplace,
                            AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                              return new TcxCustomComboBoxProperties(O);
                            }) {
  cxComboBoxUnitStartup();
  // A mouse click never fires OnClick: the box clicks when its item changes.
  SetControlStyle(ControlStyle() - csClickEvents);
}

TcxCustomComboBoxListBox* TcxCustomComboBox::ListBox() const {
  return LookupData() ? dynamic_cast<TcxCustomComboBoxListBox*>(LookupData()->List()) : nullptr;
}

bool TcxCustomComboBox::IsOwnerDrawn() {
  return bool(Properties()->OnDrawItem) || bool(ActiveProperties()->OnDrawItem);
}

bool TcxCustomComboBox::IsOwnerMeasured() {
  return bool(Properties()->OnMeasureItem) || bool(ActiveProperties()->OnMeasureItem);
}

void TcxCustomComboBox::DoDrawItem(TcxCanvas* ACanvas, Integer AIndex, const TRect& ARect, TItemDrawState AState) {
  if (Properties()->OnDrawItem) Properties()->OnDrawItem(this, ACanvas, AIndex, ARect, AState);
  if (RepositoryItem() && ActiveProperties()->OnDrawItem)
    ActiveProperties()->OnDrawItem(this, ACanvas, AIndex, ARect, AState);
}

void TcxCustomComboBox::DoMeasureItem(Integer AIndex, TcxCanvas* ACanvas, Integer& AHeight) {
  if (Properties()->OnMeasureItem) Properties()->OnMeasureItem(this, AIndex, ACanvas, AHeight);
  if (RepositoryItem() && ActiveProperties()->OnMeasureItem)
    ActiveProperties()->OnMeasureItem(this, AIndex, ACanvas, AHeight);
}

bool TcxCustomComboBox::CanSyncListWithText() {
  if (LookupKeyChanged()) return false;
  if (HasPopupWindow()) return true;
  TcxCustomComboBoxProperties* p = ActiveProperties();
  TcxTextEditInputMode mode = p->GetTextInputMode();
  bool incremental = (mode == timFreeText && p->IncrementalSearch()) || mode == timListText || mode == timFixedList;
  if (!incremental && IsPopupPending()) return true;
  if (mode != timFreeText) return true;
  if (!Focused()) return false;
  String keyText;
  if (LookupData()) LookupData()->KeyToText(LookupData()->ReadCurrentKey(), keyText);
  return !cxStringsEqual(Text(), keyText, false);
}

void TcxCustomComboBox::SyncListWithText() {
  if (LookupData()) LookupData()->FollowText();
}

void TcxCustomComboBox::ResetPopupHeight() {
  if (ActiveProperties()->PopupSizeable() && IsInplace()) {
    if (TcxCustomDropDownEditData* data = DropDownEditData()) data->Height = 0;
  } else {
    ActiveProperties()->SetPopupHeight(0);
  }
}

bool TcxCustomComboBox::AllowsLookupNavigation(Integer ASource) {
  if (InnerEditNotReady()) return false;
  return !(IsInplace() && !HasPopupWindow() && ASource == 0);
}

bool TcxCustomComboBox::HasPopupContent() { return !LookupData() || !LookupData()->HasNoItems(); }

void TcxCustomComboBox::GetPopupContentSize(TSize& ASize) {
  TcxCustomEditPopupWindow* window = PopupWindow();
  TSize maxSize{0, 0};
  if (window) window->GetMaxContentSize(maxSize);
  TcxCustomComboBoxProperties* p = ActiveProperties();
  Integer width;
  if (p->PopupSizeable() || p->PopupAutoSize()) {
    width = maxSize.cx;
  } else {
    width = p->PopupWidth() < 1 ? Width() : p->PopupWidth();
    if (window) {
      TRect extent;
      window->ViewInfo()->CalculateBorderExtent(extent);
      width -= extent.Left + extent.Right;
    }
    if (maxSize.cx > 0) width = std::min(width, maxSize.cx);
  }
  TSize size{width, maxSize.cy};
  if (LookupData()) LookupData()->PreferredListSize(size);
  ASize.cx = (p->PopupSizeable() || p->PopupAutoSize()) ? size.cx : width;
  ASize.cy = size.cy;
}

TcxCustomEditData* TcxCustomComboBox::Activate(TcxCustomEditData*& AEditData) {
  TcxCustomEditData* r = TcxCustomDropDownEdit::Activate(AEditData);
  SyncListWithText();
  return r;
}

void TcxCustomComboBox::DblClick() {
  TcxCustomDropDownEdit::DblClick();
  if (HasPopupWindow() || !ActiveProperties()->Revertable() || !LookupData()) return;
  HoldChangeEvents(true);
  try {
    Variant before = LookupData()->ReadCurrentKey();
    LookupData()->MoveSelection(lmNext, true);
    if (!cxEditVarEquals(before, LookupData()->ReadCurrentKey()) && CanPostValue() &&
        ActiveProperties()->ImmediatePost() && ValidateInput(true))
      PostValue(false);
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
}

void TcxCustomComboBox::InnerEditChange(TObject* Sender) {
  Variant before = LookupData() ? LookupData()->ReadCurrentKey() : Variant();
  HoldChangeEvents(true);
  HoldClick(true);
  try {
    TcxCustomDropDownEdit::InnerEditChange(Sender);
    if (CanSyncListWithText()) SyncListWithText();
  } catch (...) {
    HoldClick(false);
    HoldChangeEvents(false);
    throw;
  }
  HoldClick(false);
  HoldChangeEvents(false);
  if (LookupData() && !cxEditVarEquals(before, LookupData()->ReadCurrentKey())) MarkChangedAndClick();
}

void TcxCustomComboBox::ConfigurePopupWindow() {
  TcxCustomDropDownEdit::ConfigurePopupWindow();
  // A sizeable list always has the grip panel.
  if (PopupWindow()) PopupWindow()->SetPopupSysPanelStyle(ActiveProperties()->PopupSizeable());
}

void TcxCustomComboBox::PreparePopup() {
  TcxCustomDropDownEdit::PreparePopup();
  if (TcxCustomComboBoxListBox* list = ListBox()) list->Invalidate();
}

void TcxCustomComboBox::HandlePopupShown() {
  TcxCustomDropDownEdit::HandlePopupShown();
  auto* list = dynamic_cast<TcxComboBoxListBox*>(ListBox());
  TPoint cursor;
  cxGetMousePos(cursor);
  if (list && LookupData()->MouseOverList(cursor)) list->HoverSuppressed = true;
}

void TcxCustomComboBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomDropDownEdit::MouseMove(Shift, X, Y);
  // The button was pressed and the mouse dragged into the open list: the
  // list takes over the tracking.
  if (!HandleAllocated() || GetCapture() != Handle() || !HasPopupWindow()) return;
  TcxCustomComboBoxListBox* list = ListBox();
  TcxCustomEditPopupWindow* window = PopupWindow();
  if (!list || !window || !list->HandleAllocated() || !window->HandleAllocated()) return;
  POINT pt{X, Y};
  ::ClientToScreen(Handle(), &pt);
  POINT inWindow = pt;
  ::ScreenToClient(window->Handle(), &inWindow);
  RECT client;
  GetClientRect(window->Handle(), &client);
  if (!PtInRect(&client, inWindow) || !LookupData()->MouseOverList(TPoint(pt.x, pt.y))) return;
  POINT inList = pt;
  ::ScreenToClient(list->Handle(), &inList);
  SendMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inList.x, inList.y));
}

void TcxCustomComboBox::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_LBUTTONUP) {
    TControlState state = ControlState();
    state.Exclude(csClicked);
    SetControlState(state);
  }
  TcxCustomDropDownEdit::Dispatch(Message);
}

TcxComboBox::TcxComboBox(TComponent* AOwner, bool AIsInplace)
    : TcxCustomComboBox(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxComboBoxProperties(O);
      }) {}

TOVANI_PUBLISHED(TcxComboBox) {
  Property<TcxComboBoxProperties*>(
      "Properties", [](TcxComboBox* e) { return e->Properties(); },
      [](TcxComboBox* e, TcxComboBoxProperties* v) { e->SetProperties(v); });
  Property<TcxEditStyle*>(
      "Style", [](TcxComboBox* e) { return e->Style(); }, [](TcxComboBox* e, TcxEditStyle* v) { e->SetStyle(v); });
  Property<String>(
      "Text", [](TcxComboBox* e) { return e->Text(); }, [](TcxComboBox* e, const String& v) { e->SetText(v); })
      .Stored(false);
}

// ---------------------------------------------------------------------------
// Filter helper and registration

void TcxFilterComboBoxHelper::InitFilterProperties(TcxCustomEditProperties* AProperties,
                                                   TcxCustomEditProperties* ASourceProperties,
                                                   bool AKeepButtons) const {
  TcxFilterDropDownEditHelper::InitFilterProperties(AProperties, ASourceProperties, AKeepButtons);
  auto* p = dynamic_cast<TcxCustomComboBoxProperties*>(AProperties);
  if (!p) return;
  p->SetButtonGlyph(nullptr);
  p->SetDropDownRows(8);
  p->SetDropDownListStyle(lsEditList);
  p->SetImmediateDropDown(false);
  p->SetPopupAlignment(taLeftJustify);
  p->SetRevertable(false);
}

namespace {
const TcxFilterComboBoxHelper gComboBoxFilterHelper;

struct TComboBoxUnitRegistration {
  TComboBoxUnitRegistration() {
    cxEditPropertiesRegistry()->AddClass(TcxComboBoxProperties::StaticClass(), "ComboBox|Represents the combo box editor");
    cxRegisterFilterEditHelper(TcxFilterComboBoxHelper::StaticClass(), &gComboBoxFilterHelper);
    cxGetFilterEditsController()->AddClassPair(TcxComboBoxProperties::StaticClass(),
                                               TcxFilterComboBoxHelper::StaticClass());
  }
  ~TComboBoxUnitRegistration() {
    if (cxFilterEditsControllerExists())
      cxGetFilterEditsController()->RemoveClassPair(TcxComboBoxProperties::StaticClass(),
                                                    TcxFilterComboBoxHelper::StaticClass());
  }
};
}  // namespace

void cxComboBoxUnitStartup() { static TComboBoxUnitRegistration registration; }
