#include "cxRadioGroup.h"

#include "TypInfo.h"

#include <algorithm>

#include "Forms.h"
#include "Messages.h"
#include "SysUtils.h"
#include "Themes.h"
#include "cxComboBox.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxRadioButton, TRadioButton)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxButtonGroupItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TcxButtonGroupItems, TOwnedCollection)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomButtonGroupProperties, TcxCustomGroupBoxProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomButtonGroup, TcxCustomGroupBox)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomRadioGroupButton, TcxRadioButton)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxRadioGroupItem, TcxButtonGroupItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomRadioGroupProperties, TcxCustomButtonGroupProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxRadioGroupProperties, TcxCustomRadioGroupProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomRadioGroup, TcxCustomButtonGroup)
TOVANI_IMPLEMENT_CLASS(TcxGroupBoxButtonViewInfo, TcxEditButtonViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxButtonGroupViewInfo, TcxGroupBoxViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxButtonGroupViewData, TcxGroupBoxViewData)
TOVANI_IMPLEMENT_CLASS(TcxCustomRadioGroupViewInfo, TcxButtonGroupViewInfo)
TOVANI_IMPLEMENT_CLASS(TcxCustomRadioGroupViewData, TcxButtonGroupViewData)
TOVANI_IMPLEMENT_CLASS(TcxRadioGroupButtonViewInfo, TcxGroupBoxButtonViewInfo)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxRadioGroup, TcxCustomRadioGroup)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxEditRepositoryRadioGroupItem, TcxEditRepositoryItem)

namespace {
const TcxResourceString scxSEditRepositoryRadioGroupItem{"RadioGroup|Represents a group of radio buttons"};
Integer GRadioGroupUnitCounter = 0;

// The filter operand of a radio group is one of its items, picked in a
// fixed list of the item captions.
class TcxFilterRadioGroupHelper : public TcxFilterComboBoxHelper {
  TOVANI_CLASS(TcxFilterRadioGroupHelper, TcxFilterComboBoxHelper)
 public:
  void InitFilterProperties(TcxCustomEditProperties* AProperties, TcxCustomEditProperties* ASourceProperties,
                            bool) const override {
    auto* combo = dynamic_cast<TcxCustomComboBoxProperties*>(AProperties);
    auto* radio = dynamic_cast<TcxCustomRadioGroupProperties*>(ASourceProperties);
    if (!combo) return;
    combo->Items()->Clear();
    if (radio)
      for (Integer i = 0; i < radio->Items()->Count(); ++i) combo->Items()->Add(radio->Items(i)->Caption());
    combo->SetDropDownListStyle(lsFixedList);
    combo->AttachDefaultValuesProvider(nullptr);
    ClearPropertiesEvents(combo);
  }
  void ReadFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties, Variant& AValue,
                       String& ADisplayText) const override {
    auto* radio = dynamic_cast<TcxCustomRadioGroupProperties*>(AProperties);
    auto* combo = dynamic_cast<TcxCustomTextEdit*>(AEdit);
    if (!radio || !combo) return TcxFilterComboBoxHelper::ReadFilterValue(AEdit, AProperties, AValue, ADisplayText);
    Integer index = combo->ItemIndex();
    if (index < 0 || index >= radio->Items()->Count()) {
      AValue = radio->DefaultValue();
      ADisplayText = radio->DefaultCaption();
      return;
    }
    AValue = radio->Items(index)->Value();
    ADisplayText = radio->Items(index)->Caption();
  }
  void WriteFilterValue(TcxCustomEdit* AEdit, TcxCustomEditProperties* AProperties, const Variant& AValue) const override {
    auto* combo = dynamic_cast<TcxCustomTextEdit*>(AEdit);
    if (!combo) return;
    Variant index;
    AProperties->PrepareDisplayValue(AValue, index, false);
    combo->SetItemIndexValue(index.AsInteger());
  }
  TcxFilterEditOperators GetAllowedOperators(TcxCustomEditProperties*, TcxValueTypeClass, bool AExtended) const override {
    TcxFilterEditOperators r = cxFilterOperatorBit(1) | cxFilterOperatorBit(2) | cxFilterOperatorBit(9) |
                               cxFilterOperatorBit(10);
    if (AExtended) r |= cxFilterOperatorBit(13) | cxFilterOperatorBit(14);
    return r;
  }
  bool CompareByDisplayText() const override { return true; }
};
const TcxFilterRadioGroupHelper GFilterRadioGroupHelper;

struct TFlag {
  bool& F;
  bool Old;
  TFlag(bool& AF, bool AValue) : F(AF), Old(AF) { F = AValue; }
  ~TFlag() { F = Old; }
};
}  // namespace
TOVANI_IMPLEMENT_CLASS(TcxFilterRadioGroupHelper, TcxFilterComboBoxHelper)

void cxRadioGroupUnitStartup() {
  if (GRadioGroupUnitCounter-- != 0) return;
  cxEditPropertiesRegistry()->AddClass(TcxRadioGroupProperties::StaticClass(),
                                       cxLoadResourceText(scxSEditRepositoryRadioGroupItem));
  cxRegisterFilterEditHelper(TcxFilterRadioGroupHelper::StaticClass(), &GFilterRadioGroupHelper);
  cxGetFilterEditsController()->AddClassPair(TcxRadioGroupProperties::StaticClass(),
                                             TcxFilterRadioGroupHelper::StaticClass());
  cxRegisterRepositoryItemClass(TcxEditRepositoryRadioGroupItem::StaticClass());
}

void cxRadioGroupUnitShutdown() {
  if (GRadioGroupUnitCounter++ != -1) return;
  if (cxFilterEditsControllerExists())
    cxGetFilterEditsController()->RemoveClassPair(TcxRadioGroupProperties::StaticClass(),
                                                  TcxFilterRadioGroupHelper::StaticClass());
}

// ---------------------------------------------------------------------------
// Radio button

TcxRadioButton::TcxRadioButton(TComponent* AOwner) : TRadioButton(AOwner), FLookAndFeel(std::make_unique<TcxLookAndFeel>(nullptr)) {
  SetControlStyle(ControlStyle() + csDoubleClicks + csParentBackground);
  FLookAndFeel->OnChanged = [this](TcxLookAndFeel*, TcxLookAndFeelValues) { Invalidate(); };
  // The glyph pictures every radio button draws from, made once.
  cxGetRadioButtonImageList();
}

TcxRadioButton::~TcxRadioButton() {
  cxEndMouseLeaveTracking(this);
  AssignPopupMenu(nullptr);
}

void TcxRadioButton::AssignPopupMenu(TComponent* Value) {
  if (Value && !dynamic_cast<TPopupMenu*>(Value) && !dynamic_cast<IcxPopupMenuComponent*>(Value)) Value = nullptr;
  if (Value == FPopupMenu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

TPopupMenu* TcxRadioButton::GetPopupMenu() { return dynamic_cast<TPopupMenu*>(FPopupMenu); }

void TcxRadioButton::Notification(TComponent* AComponent, TOperation Operation) {
  TRadioButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

bool TcxRadioButton::ShowPopupMenu(TComponent* AMenu, Integer X, Integer Y) { return cxShowPopupMenu(this, AMenu, X, Y); }

void TcxRadioButton::DoContextPopup(TPoint MousePos, bool& Handled) {
  TRadioButton::DoContextPopup(MousePos, Handled);
  if (Handled) return;
  // A request from the keyboard shows the menu at the button's top-left.
  if (MousePos.X == -1 && MousePos.Y == -1) MousePos = TPoint(0, 0);
  TPoint p = ClientToScreen(MousePos);
  Handled = ShowPopupMenu(FPopupMenu, p.X, p.Y);
}

bool TcxRadioButton::Focused() { return !ComponentState().Contains(csDesigning) && TRadioButton::Focused(); }

void TcxRadioButton::CreateHandle() {
  TRadioButton::CreateHandle();
  UpdateStateFromCursor();
}

void TcxRadioButton::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}

void TcxRadioButton::SetWordWrapCaption(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Invalidate();
}

bool TcxRadioButton::IsNativeStyle() { return cxUseNativeTheme(FLookAndFeel->NativeStyle(), teButton); }

bool TcxRadioButton::IsNativeParentBackground() {
  return IsNativeStyle() && ParentBackground() && !IsInplaceButton() && !FTransparent;
}

void TcxRadioButton::DrawBackground(TcxCanvas* ACanvas) {
  if (!HasTransparentBackground()) ACanvas->FillRectColor(TRect(0, 0, Width(), Height()), Color());
}

void TcxRadioButton::CreateParams(TCreateParams& Params) {
  TRadioButton::CreateParams(Params);
  // The button draws itself in the look-and-feel.
  Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TcxRadioButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM:
      if (!ComponentState().Contains(csDestroying)) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
        DrawItem(dis->hDC, dis->itemAction == ODA_FOCUS);
      }
      Message.Result = 1;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case BM_SETCHECK:
      TRadioButton::Dispatch(Message);
      if (HandleAllocated()) InvalidateRect(Handle(), nullptr, FALSE);
      return;
    case CM_ENABLEDCHANGED:
      TRadioButton::Dispatch(Message);
      EnabledChanged();
      return;
    case CM_MOUSEENTER:
      TRadioButton::Dispatch(Message);
      MouseEnter();
      return;
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      mis->itemWidth = UINT(Width());
      mis->itemHeight = UINT(Height());
      Message.Result = 1;
      return;
    }
    case CM_SYSCOLORCHANGE:
      TRadioButton::Dispatch(Message);
      Invalidate();
      return;
    case WM_WINDOWPOSCHANGED:
      TRadioButton::Dispatch(Message);
      // A see-through button shows what is behind it at its new place.
      if (!ComponentState().Contains(csDestroying) && HandleAllocated() && HasTransparentBackground())
        ::InvalidateRect(Handle(), nullptr, FALSE);
      return;
    case CM_MOUSELEAVE:
      TRadioButton::Dispatch(Message);
      MouseLeave();
      return;
    case WM_CONTEXTMENU:
      if (Message.Result == 0 && !ComponentState().Contains(csDesigning)) {
        TPoint p(Message.XPos(), Message.YPos());
        const bool keyboard = p.X == -1 && p.Y == -1;
        TPoint local = keyboard ? p : ScreenToClient(p);
        // A point beside the button is the window's default handling.
        if (!keyboard && !ClientRect().Contains(local)) {
          DefaultHandler(Message);
          return;
        }
        bool handled = false;
        DoContextPopup(local, handled);
        if (handled) {
          Message.Result = 1;
          return;
        }
        DefaultHandler(Message);   // offered to the parent
        return;
      }
      break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      // The shortcuts of the button's menu work while it has the focus.
      if (cxIsPopupMenuShortCut(FPopupMenu, Message)) {
        Message.Result = 1;
        return;
      }
      break;
    default:
      break;
  }
  TRadioButton::Dispatch(Message);
}

void TcxRadioButton::DoEnter() {
  TRadioButton::DoEnter();
  // Focus arriving on a radio button checks it.
  if (!Checked() && !FClicksDisabled) {
    FClicksDisabled = true;
    SetCheckedValue(true);
    FClicksDisabled = false;
    if (!ComponentState().Contains(csLoading)) Click();
  }
}

void TcxRadioButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TRadioButton::MouseDown(Button, Shift, X, Y);
  UpdateState(Integer(Button), Shift, TPoint(X, Y));
}

void TcxRadioButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TRadioButton::MouseMove(Shift, X, Y);
  UpdateState(-1, Shift, TPoint(X, Y));
  cxBeginMouseLeaveTracking(this, ClientRect(), this);
}

void TcxRadioButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TRadioButton::MouseUp(Button, Shift, X, Y);
  UpdateState(Integer(Button), Shift, TPoint(X, Y));
}

void TcxRadioButton::MouseEnter() {
  UpdateStateFromCursor();
  cxBeginMouseLeaveTracking(this, ClientRect(), this);
}

void TcxRadioButton::MouseLeave() {
  UpdateState(-1, {}, TPoint(-1, -1));
  cxEndMouseLeaveTracking(this);
}

void TcxRadioButton::EnabledChanged() {
  UpdateStateFromCursor();
  Invalidate();
}

void TcxRadioButton::UpdateStateFromCursor() {
  if (!HandleAllocated()) return;
  UpdateState(-1, KeyboardStateToShiftState(), ScreenToClient(cxGetCursorPos()));
}

void TcxRadioButton::UpdateState(Integer, TShiftState Shift, const TPoint& MousePos) {
  const bool inside = ClientRect().Contains(MousePos);
  Integer s;
  if (!Enabled())
    s = 0;
  else if (ComponentState().Contains(csDesigning))
    s = 2;
  else if (HandleAllocated() && GetCapture() == Handle())
    s = inside ? 3 : 1;
  else
    s = inside && Shift.Empty() ? 1 : 2;
  if (s == FState) return;
  FState = s;
  if (HandleAllocated()) {
    RECT r = {FButtonRect.Left - 1, FButtonRect.Top - 1, FButtonRect.Right + 1, FButtonRect.Bottom + 1};
    ::InvalidateRect(Handle(), &r, FALSE);
  }
}

void TcxRadioButton::AdjustTextRect(TRect& R, bool ANative) {
  Integer l, t, r;
  bool right = Alignment() == taRightJustify;
  if (IsInplaceButton()) {
    l = ANative ? 3 : 5, t = 0, r = ANative ? 0 : 1;
  } else if (!ANative) {
    l = right ? 5 : 2, t = -1, r = FWordWrap ? (right ? 2 : 6) : (right ? 0 : 1);
  } else {
    l = right ? 3 : 0, t = -1, r = FWordWrap ? (right ? 0 : 3) : (right ? 0 : 1);
  }
  R.Left += l;
  R.Top += t;
  R.Right -= r;
}

void TcxRadioButton::DrawItem(HDC DC, bool AFocusOnly) {
  TCanvas canvas;
  canvas.SetHandle(DC);
  TcxCanvas c(&canvas);
  TRect client(0, 0, Width(), Height());
  bool native = IsNativeStyle();
  if (!AFocusOnly) {
    if (IsTransparentLook())
      cxDrawParentImage(this, &c, client);
    else if (IsNativeParentBackground())
      cxDrawParentBackground(this, &c, client);
    if (native) DrawBackground(&c);
  }
  TcxLookAndFeelPainterClass painter = FLookAndFeel->PainterForObjectType(totButton);
  if (!painter) painter = FLookAndFeel->ActivePainter();
  TSize g = painter->CalcRadioButtonSize();
  Integer top = (Height() - g.cy) / 2;
  Integer left = Alignment() == taRightJustify ? (native || IsInplaceButton() ? 0 : 1) : Width() - g.cx;
  FButtonRect = TRect(left, top, left + g.cx, top + g.cy);
  static const TcxButtonState states[] = {cxbsDisabled, cxbsHot, cxbsNormal, cxbsPressed};
  painter->PaintRadioButton(&c, left, top, states[std::clamp<Integer>(FState, 0, 3)], Checked(), Focused(),
                            HasTransparentBackground() ? clDefault : Color(), ComponentState().Contains(csDesigning));
  // The rest of the background around the glyph, then the caption.
  c.PushClipRegion();
  c.ExcludeFromClip(FButtonRect);
  if (!AFocusOnly && !native) DrawBackground(&c);
  DrawCaption(&c, native);
  c.PopClipRegion();
}

void TcxRadioButton::DrawCaption(TcxCanvas* ACanvas, bool ANative) {
  TRect text(0, 0, Width(), Height());
  if (Alignment() == taRightJustify)
    text.Left = FButtonRect.Right;
  else
    text.Right = FButtonRect.Left;
  AdjustTextRect(text, ANative);
  TcxLookAndFeelPainterClass painter = FLookAndFeel->ActivePainter();
  const bool groupButton = dynamic_cast<TcxCustomRadioGroupButton*>(this) != nullptr;
  // Window text takes the painter's editor text colour where it has one;
  // otherwise a disabled stand-alone button shows its caption greyed.
  TColor color = clDefault;
  if (Font()->Color() == clWindowText && painter) color = painter->GetEditorTextColor(!Enabled());
  if (color == clDefault) color = Enabled() || groupButton ? Font()->Color() : clBtnShadow;
  ACanvas->SetFont(Font());
  ACanvas->Font()->SetColor(color);
  ACanvas->Brush()->SetStyle(bsClear);
  const Cardinal flags =
      cxtfLeft | cxtfVCenter | cxtfShowPrefix | (FWordWrap ? cxtfWordBreak | cxtfNoClip : cxtfSingleLine);
  if (IsNativeParentBackground()) ACanvas->Canvas()->Refresh();
  // Embossed only for a disabled stand-alone button whose painter has no
  // disabled text colour of its own.
  const bool enabledLook =
      (painter && painter->GetEditorTextColor(true) != clDefault) || groupButton || ANative || Enabled();
  const String caption = Caption();
  ACanvas->PaintText(caption, text, flags, enabledLook);
  ACanvas->Brush()->SetStyle(bsSolid);
  if (!Focused() || caption.empty()) return;
  TRect f = text;
  ACanvas->MeasureTextRect(caption, f, flags);
  InflateRect(f, 1, 1);
  f.Bottom += 1;
  if (IsInplaceButton()) {
    f.Top = std::max<Integer>(f.Top, 1);
    f.Bottom = std::min<Integer>(f.Bottom, Height() - 1);
    f.Right = std::min<Integer>(f.Right, Width());
  }
  ACanvas->Brush()->SetColor(Color());
  ACanvas->Font()->SetColor(color);
  ACanvas->DrawFocusRect(f);
}

// ---------------------------------------------------------------------------
// Items

TcxButtonGroupItem::TcxButtonGroupItem(TCollection* ACollection) : TCollectionItem(ACollection) { ItemChanged(0); }

TcxButtonGroupItem::~TcxButtonGroupItem() = default;

void TcxButtonGroupItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxButtonGroupItem*>(Source)) {
    FCaption = s->FCaption;
    FEnabled = s->FEnabled;
    FTag = s->FTag;
    ItemChanged(2);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TcxButtonGroupItem::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  ItemChanged(2);
}

void TcxButtonGroupItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  ItemChanged(2);
}

void TcxButtonGroupItem::ItemChanged(Integer AOperation) {
  if (auto* items = dynamic_cast<TcxButtonGroupItems*>(Collection())) items->ReportItemChange(Index(), AOperation);
}

TcxButtonGroupItems::TcxButtonGroupItems(TPersistent* AOwner, TClass AItemClass) : TOwnedCollection(AOwner, AItemClass) {}

void TcxButtonGroupItems::ReportItemChange(Integer AIndex, Integer AOperation) {
  auto* p = dynamic_cast<TcxCustomEditProperties*>(GetOwner());
  if (!p || p->IsChangingLocked()) return;
  ChangedItemIndex = AIndex;
  ChangedItemOperation = AOperation;
  IsItemChanging = true;
  try {
    p->Changed();
  } catch (...) {
    IsItemChanging = false;
    throw;
  }
  IsItemChanging = false;
}

void TcxButtonGroupItems::Update(TCollectionItem*) {
  if (auto* p = dynamic_cast<TcxCustomEditProperties*>(GetOwner())) p->Changed();
}

// ---------------------------------------------------------------------------
// Button-group properties

TcxCustomButtonGroupProperties::TcxCustomButtonGroupProperties(TPersistent* AOwner)
    : TcxCustomGroupBoxProperties(AOwner) {
  InitItems();
}

TcxCustomButtonGroupProperties::~TcxCustomButtonGroupProperties() {
  BeginUpdate();
  FItems.reset();
  EndUpdate(false);
}

TcxButtonGroupItems* TcxCustomButtonGroupProperties::CreateItems() {
  return new TcxButtonGroupItems(this, TcxButtonGroupItem::StaticClass());
}

void TcxCustomButtonGroupProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomButtonGroupProperties*>(Source);
  if (!s) {
    TcxCustomGroupBoxProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomGroupBoxProperties::Assign(Source);
    SetColumns(s->FColumns);
    FItems->Assign(s->FItems.get());
    SetWordWrap(s->FWordWrap);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomButtonGroupProperties::SetColumns(Integer Value) { Store(FColumns, std::max<Integer>(Value, 1)); }

Integer TcxCustomButtonGroupProperties::GetColumnCount() {
  Integer count = FItems->Count();
  Integer c = std::min(FColumns, count);
  if (count == 0) return c;
  if (c <= 0) c = 1;
  Integer rows = (count + c - 1) / c;
  return (count + rows - 1) / rows;
}

Integer TcxCustomButtonGroupProperties::GetRowCount() {
  Integer c = std::max<Integer>(GetColumnCount(), 1);
  return (FItems->Count() + c - 1) / c;
}

// ---------------------------------------------------------------------------
// Button group

TcxCustomButtonGroup::TcxCustomButtonGroup(TComponent* AOwner, bool AIsInplace,
                                           const TcxEditPropertiesFactory& AProperties)
    : TcxCustomGroupBox(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomButtonGroupProperties(O);
                        }) {
  SetAutoSize(false);
  SetTabStop(true);
}

TcxCustomButtonGroup::~TcxCustomButtonGroup() {
  // Marked as going first, so that removing the buttons lays nothing out
  // again (a group freed directly, not by its owner, is not marked yet).
  Destroying();
  while (!FButtons.empty()) {
    TWinControl* b = FButtons.back();
    FButtons.pop_back();
    delete b;
  }
}

bool TcxCustomButtonGroup::Focused() {
  if (TcxCustomGroupBox::Focused()) return true;
  for (TWinControl* b : FButtons)
    if (b->Focused()) return true;
  return false;
}

bool TcxCustomButtonGroup::OwnsChildWindow(HWND AHandle) {
  for (TWinControl* b : FButtons)
    if (b->HandleAllocated() && b->Handle() == AHandle) return true;
  return false;
}

void TcxCustomButtonGroup::InitializeButton(TWinControl* AButton) {
  AButton->SetParentShowHint(false);
  AButton->SetParent(this);
  // The mouse on a button is the mouse on the group, in the group's
  // coordinates.
  AButton->OnMouseDown = [this, AButton](TObject*, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    SetInnerControlMouseDown(true);
    try {
      MouseDown(Button, Shift, X + AButton->Left(), Y + AButton->Top());
    } catch (...) {
      SetInnerControlMouseDown(false);
      throw;
    }
    SetInnerControlMouseDown(false);
  };
  AButton->OnMouseMove = [this, AButton](TObject*, TShiftState Shift, Integer X, Integer Y) {
    MouseMove(Shift, X + AButton->Left(), Y + AButton->Top());
  };
  AButton->OnMouseUp = [this, AButton](TObject*, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
    MouseUp(Button, Shift, X + AButton->Left(), Y + AButton->Top());
  };
  // Keys on a button are keys on the group (its events, its arrow keys
  // among the buttons, Escape restoring the value the user changed).
  AButton->OnKeyDown = [this](TObject*, Word& Key, TShiftState Shift) { KeyDown(Key, Shift); };
  AButton->OnKeyPress = [this](TObject*, char32_t& Key) { KeyPress(Key); };
  AButton->OnKeyUp = [this](TObject*, Word& Key, TShiftState Shift) { KeyUp(Key, Shift); };
  // Dragging over a button is dragging over the group.
  AButton->OnDragDrop = [this, AButton](TObject*, TObject* Source, Integer X, Integer Y) {
    DragDrop(Source, X + AButton->Left(), Y + AButton->Top());
  };
  AButton->OnDragOver = [this, AButton](TObject*, TObject* Source, Integer X, Integer Y, TDragState State,
                                        bool& Accept) {
    DragOver(Source, X + AButton->Left(), Y + AButton->Top(), State, Accept);
  };
  // The wheel over a button is left to the button's own handling.
  AButton->OnMouseWheel = [](TObject*, TShiftState, Integer, TPoint, bool& Handled) { Handled = false; };
}

void TcxCustomButtonGroup::SyncButtonCount(Integer ACount) {
  while (Integer(FButtons.size()) > ACount) {
    delete FButtons.back();
    FButtons.pop_back();
  }
  while (Integer(FButtons.size()) < ACount) {
    TWinControl* b = CreateButton();
    FButtons.push_back(b);
    InitializeButton(b);
  }
}

void TcxCustomButtonGroup::UpdateButtonsStyle() {
  TcxContainerStyle* s = GetCurrentStyle();
  for (TWinControl* b : FButtons) {
    b->SetColor(s->Color());
    b->Font()->Assign(Style()->GetVisibleTextFont());
    b->Font()->SetColor(s->GetVisibleTextFont()->Color());
  }
}

void TcxCustomButtonGroup::UpdateButtons() {
  if (FUpdatingButtons) return;
  TFlag updating(FUpdatingButtons, true);
  TcxCustomButtonGroupProperties* p = ActiveProperties();
  SyncButtonCount(p->Items()->Count());
  for (Integer i = 0; i < Integer(FButtons.size()); ++i)
    FButtons[size_t(i)]->SetEnabled(Enabled() && p->Items()->Items(i)->Enabled());
  UpdateButtonsStyle();
  for (TWinControl* b : FButtons) b->SetCursor(Cursor());
  UpdateButtonBounds();
}

void TcxCustomButtonGroup::GetButtonMetrics(bool AWithGlyph, TcxButtonMetrics& AMetrics) {
  AMetrics = TcxButtonMetrics();
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  if (auto* b = dynamic_cast<TcxButtonGroupViewData*>(vd.get())) b->GetButtonMetrics(AWithGlyph, AMetrics);
}

std::vector<TRect> cxCalculateButtonGroupPositions(Integer ACount, Integer AColumns, Integer ARows, const TRect& B,
                                                   const TRect& E, const TcxButtonMetrics& m) {
  std::vector<TRect> result;
  if (ACount <= 0) return result;
  const Integer C = std::max<Integer>(AColumns, 1), R = std::max<Integer>(ARows, 1);
  Integer cw = (B.Right + m.WidthCorrection - B.Left - E.Left - E.Right - (C - 1) * m.Spacing) / C;
  Integer fh = B.Bottom - B.Top - E.Top - E.Bottom;
  Integer rh = fh / R;
  Integer top0 = B.Top + E.Top + (fh % R) / 2;
  for (Integer i = 0; i < ACount; ++i) {
    Integer k = i / R, j = i % R;
    Integer left = B.Left + E.Left + (cw + m.Spacing) * k + m.LeftOffset;
    Integer top = top0 + rh * j;
    result.emplace_back(left, top, left + cw, top + rh);
  }
  return result;
}

std::vector<TRect> TcxCustomButtonGroup::CalculateButtonPositions() {
  TcxCustomButtonGroupProperties* p = ActiveProperties();
  if (p->Items()->Count() == 0) return {};
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  std::unique_ptr<TcxCustomEditViewInfo> vi(GetEffectiveProperties()->CreateViewInfo());
  TRect E;
  vd->GetContentExtent(nullptr, vi.get(), E);
  TcxButtonMetrics m;
  GetButtonMetrics(false, m);
  return cxCalculateButtonGroupPositions(p->Items()->Count(), p->GetColumnCount(), p->GetRowCount(),
                                         TRect(0, 0, Width(), Height()), E, m);
}

// ---------------------------------------------------------------------------
// Item buttons drawn without their windows

TcxCustomEditViewInfo* TcxCustomButtonGroupProperties::CreateViewInfo() { return new TcxButtonGroupViewInfo(); }

TcxCustomEditViewData* TcxCustomButtonGroupProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                      bool APreviewMode) {
  auto* vd = new TcxButtonGroupViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

void TcxGroupBoxButtonViewInfo::GetGlyphRect(const TSize& AGlyphSize, TRect& R, bool, TAlignment AAlignment) {
  R.Top = Bounds.Top + (Bounds.Height() - AGlyphSize.cy) / 2;
  R.Left = AAlignment == taRightJustify ? Bounds.Left : Bounds.Right - AGlyphSize.cx;
  R.Right = R.Left + AGlyphSize.cx;
  R.Bottom = R.Top + AGlyphSize.cy;
}

void TcxButtonGroupViewInfo::DrawButton(TcxCanvas* ACanvas, Integer AButtonVisibleIndex) {
  auto* b = static_cast<TcxGroupBoxButtonViewInfo*>(ButtonsInfo[size_t(AButtonVisibleIndex)].get());
  TRect glyph;
  b->GetGlyphRect(GlyphSize, glyph, PaintCopyMode, ButtonAlignment);
  if (!PaintCopyMode && !IsButtonBackgroundTransparent(b)) PaintBackgroundRect(ACanvas, b->Bounds, false, glyph);
  DrawButtonGlyph(ACanvas, b, glyph);
  DrawButtonCaption(ACanvas, b, glyph);
}

bool TcxButtonGroupViewData::UsesNativeButtons() { return cxUseNativeTheme(Style->LookAndFeel()->NativeStyle(), teButton); }

Cardinal TcxButtonGroupViewData::GetCaptionTextFlags() {
  auto* p = static_cast<TcxCustomButtonGroupProperties*>(Properties);
  Cardinal flags = cxtfLeft | cxtfVCenter | cxtfShowPrefix;
  return flags | (p->WordWrap() ? cxtfWordBreak | cxtfNoClip : cxtfSingleLine);
}

void TcxButtonGroupViewData::GetFixedPartSize(TcxCanvas* ACanvas, bool, const TcxEditSizeProperties& ASizeProperties,
                                              TcxCustomEditViewInfo* AViewInfo, TSize& AMinContentSize,
                                              TSize& AFixedSize) {
  AMinContentSize = TSize(0, 0);
  auto* p = static_cast<TcxCustomButtonGroupProperties*>(Properties);
  TcxCanvas* c = ACanvas ? ACanvas : cxSharedScreenCanvas();
  c->Font()->Assign(Style->GetVisibleTextFont());
  const Integer count = p->Items()->Count();
  const Integer C = std::max<Integer>(p->GetColumnCount(), 1), R = std::max<Integer>(p->GetRowCount(), 1);
  TcxButtonMetrics m;
  GetButtonMetrics(true, m);
  const Integer vertOffsets = ContentParams.Offsets.Top + ContentParams.Offsets.Bottom;
  const Integer th = c->TextHeight("Zg") + vertOffsets;
  if (ASizeProperties.Width >= 0) {
    AFixedSize.cx = ASizeProperties.Width;
    if (count == 0) {
      AFixedSize.cy = th;
      return;
    }
    Integer tw = (ASizeProperties.Width - InplaceEditParams.Left - InplaceEditParams.Right + m.SizeWidthCorrection -
                  (C - 1) * m.Spacing) / C - m.GlyphWidth - m.TextGap;
    tw = std::max<Integer>(tw, 1);
    Integer rowHeight = th;
    if (p->WordWrap())
      for (Integer i = 0; i < count; ++i) {
        const String& caption = p->Items()->Items(i)->Caption();
        if (caption.empty()) continue;
        TRect r(0, 0, tw, 0);
        c->MeasureTextRect(caption, r, cxtfLeft | cxtfTop | cxtfWordBreak | cxtfNoClip | cxtfShowPrefix);
        rowHeight = std::max<Integer>(rowHeight, r.Height() + vertOffsets);
      }
    AFixedSize.cy = rowHeight * R;
    if (!IsInplace) {
      TRect E;
      GetContentExtent(ACanvas, AViewInfo, E);
      AFixedSize.cy += E.Top + E.Bottom;
    }
    return;
  }
  if (count == 0) {
    AFixedSize = TSize(0, th);
    return;
  }
  Integer widest = 0;
  for (Integer i = 0; i < count; ++i) widest = std::max<Integer>(widest, c->TextWidth(p->Items()->Items(i)->Caption()));
  AFixedSize.cx = (widest + m.ExtraWidth + m.GlyphWidth) * C + (C - 1) * m.Spacing + m.LeftMargin;
  AFixedSize.cy = std::max<Integer>(m.GlyphHeight, th) * R;
}

void TcxButtonGroupViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                       TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  TcxGroupBoxViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  static_cast<TcxButtonGroupViewInfo*>(AViewInfo)->CaptionFlags = GetCaptionTextFlags();
}

TcxEditButtonStyle TcxButtonGroupViewData::GetButtonLookStyle(TcxCustomEditViewInfo* AViewInfo) {
  // In a grid the look-and-feel decides; elsewhere the group's border.
  if (IsInplace) {
    switch (Style->LookAndFeel()->Kind()) {
      case lfFlat: return btsFlat;
      case lfUltraFlat: return btsUltraFlat;
      case lfOffice11: return btsOffice11;
      default: return bts3D;
    }
  }
  TcxEditBorderStyle bs = Style->GetBorderStyle();
  if (bs == ebsUltraFlat) return btsUltraFlat;
  if (bs == ebsOffice11) return btsOffice11;
  return AViewInfo->BorderStyle == cbsNone || AViewInfo->BorderStyle == cbs3D ? bts3D : btsFlat;
}

void TcxButtonGroupViewData::CalculateButtonsViewInfo(TcxCanvas*, const TRect& ABounds, TPoint P, Integer AButton,
                                                      TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool) {
  auto* p = static_cast<TcxCustomButtonGroupProperties*>(Properties);
  // A group with its button windows shows those; the view draws the items
  // only where there are no windows (in place) or for a paint copy.
  const bool drawn = !Edit || Edit->InPaintCopyMode();
  const Integer count = drawn ? p->Items()->Count() : 0;
  AViewInfo->SetButtonCount(count);
  AViewInfo->PressedButton = AViewInfo->SelectedButton = -1;
  if (count == 0) return;
  TRect E;
  GetContentExtent(nullptr, AViewInfo, E);
  TcxButtonMetrics m;
  GetButtonMetrics(false, m);
  const Integer rows = std::max<Integer>(p->GetRowCount(), 1);
  std::vector<TRect> rects = cxCalculateButtonGroupPositions(count, p->GetColumnCount(), rows, ABounds, E, m);
  const TcxEditButtonStyle look = GetButtonLookStyle(AViewInfo);
  const TcxEditButtonTransparency t = Style->ButtonTransparency();
  const bool transparent = t == ebtAlways || (t == ebtInactive && !Focused && !ContainerState.Contains(csfHotTracked));
  const bool native = UsesNativeButtons();
  for (Integer i = 0; i < count; ++i) {
    auto* b = static_cast<TcxGroupBoxButtonViewInfo*>(AViewInfo->ButtonsInfo[size_t(i)].get());
    b->ButtonIndex = i;
    b->Bounds = b->VisibleBounds = rects[size_t(i)];
    b->Column = i / rows;
    b->Row = i % rows;
    b->Data.Caption = p->Items()->Items(i)->Caption();
    b->Data.Style = look;
    b->Data.NativeStyle = native;
    b->Data.Transparent = transparent;
    b->Data.BackgroundColor = AViewInfo->BackgroundColor;
    // The item under the mouse is hot, or pressed while the left button
    // went down on it and is held.
    Integer state = 1;
    if (!Enabled) {
      state = 0;
    } else if (!IsDesigning && b->Bounds.Contains(P)) {
      if (AButton == 0 && Shift.Contains(ssLeft)) {
        state = 2;
        AViewInfo->PressedButton = i;
      } else if (!Shift.Contains(ssLeft)) {
        state = 3;
        AViewInfo->SelectedButton = i;
      }
    }
    b->Data.State = state;
    CalculateButtonNativeState(AViewInfo, b);
  }
}

void TcxCustomButtonGroup::UpdateButtonBounds() {
  std::vector<TRect> rects = CalculateButtonPositions();
  for (size_t i = 0; i < FButtons.size() && i < rects.size(); ++i) {
    const TRect& r = rects[i];
    FButtons[i]->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    if (auto* rb = dynamic_cast<TcxRadioButton*>(FButtons[i])) {
      Integer rows = std::max<Integer>(ActiveProperties()->GetRowCount(), 1);
      rb->Column = Integer(i) / rows;
      rb->Row = Integer(i) % rows;
    }
  }
}

void TcxCustomButtonGroup::DoEditKeyDown(Word& Key, TShiftState Shift) {
  for (TWinControl* b : FButtons)
    if (b->Focused()) {
      ButtonKeyDown(b, Key, Shift);
      break;
    }
  if (Key != 0) TcxCustomGroupBox::DoEditKeyDown(Key, Shift);
}

void TcxCustomButtonGroup::ButtonKeyDown(TWinControl* AButton, Word& Key, TShiftState) {
  auto it = std::find(FButtons.begin(), FButtons.end(), AButton);
  if (it == FButtons.end()) return;
  Integer b = Integer(it - FButtons.begin()), count = Integer(FButtons.size());
  Integer R = std::max<Integer>(ActiveProperties()->GetRowCount(), 1);
  Integer k = b / R, j = b % R;
  Integer n = (b - j) + R > count ? count - (b - j) : R;
  Integer target = -1;
  switch (Key) {
    case VK_LEFT: if (k > 0) target = b - R; break;
    case VK_UP: if (j > 0) target = b - 1; break;
    case VK_RIGHT: if (b + R < count) target = b + R; break;
    case VK_DOWN: if (j < n - 1) target = b + 1; break;
    default: return;
  }
  if (target >= 0 && FButtons[size_t(target)]->CanFocus()) FButtons[size_t(target)]->SetFocus();
  // Arrows stay among the group's buttons: at an edge the focus stays put
  // instead of the form moving it on.
  Key = 0;
}

void TcxCustomButtonGroup::PropertiesChanged(TObject* Sender) {
  if (!ComponentState().Contains(csReading)) UpdateButtons();
  TcxCustomGroupBox::PropertiesChanged(Sender);
}

void TcxCustomButtonGroup::ContainerStyleChanged(TObject* Sender) {
  TcxCustomGroupBox::ContainerStyleChanged(Sender);
  if (!FButtons.empty()) UpdateButtons();
}

void TcxCustomButtonGroup::CreateHandle() {
  TcxCustomGroupBox::CreateHandle();
  UpdateButtons();
  UpdateDrawValue();
}

void TcxCustomButtonGroup::Resize() {
  TcxCustomGroupBox::Resize();
  UpdateButtonBounds();
}

void TcxCustomButtonGroup::DoCursorChanged() {
  TcxCustomGroupBox::DoCursorChanged();
  UpdateButtons();
}

void TcxCustomButtonGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
      TcxCustomGroupBox::Dispatch(Message);
      UpdateButtons();
      return;
    case WM_WINDOWPOSCHANGED:
      TcxCustomGroupBox::Dispatch(Message);
      // What shows through the group and its buttons has moved with it.
      if (!ComponentState().Contains(csDestroying) && HandleAllocated() && ShowsParentBackground())
        RedrawWindow(Handle(), nullptr, nullptr, RDW_ALLCHILDREN | RDW_INVALIDATE);
      return;
    default:
      TcxCustomGroupBox::Dispatch(Message);
  }
}

void TcxCustomButtonGroup::ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) {
  Activate(AEditData);
  TPoint p(X, Y);
  if (Parent()) p = ScreenToClient(Parent()->ClientToScreen(p));
  std::vector<TRect> rects = CalculateButtonPositions();
  for (size_t i = 0; i < rects.size() && i < FButtons.size(); ++i) {
    if (!rects[i].Contains(p)) continue;
    TWinControl* b = FButtons[i];
    if (b->HandleAllocated())
      SendMessageW(b->Handle(), Shift.Contains(ssLeft) ? WM_LBUTTONDOWN : WM_LBUTTONUP, cxShiftStateToMouseKeys(Shift),
                   MAKELPARAM(rects[i].Width() / 2, rects[i].Height() / 2));
    break;
  }
}

// ---------------------------------------------------------------------------
// Radio group button

TcxCustomRadioGroupButton::TcxCustomRadioGroupButton(TComponent* AOwner) : TcxRadioButton(AOwner) {
  // The buttons look as the group's style says unless told otherwise.
  if (TcxCustomRadioGroup* g = RadioGroup()) LookAndFeel()->SetMaster(g->Style()->LookAndFeel());
}

bool TcxCustomRadioGroupButton::ExecuteAction(TBasicAction* Action) {
  if (TcxRadioButton::ExecuteAction(Action)) return true;
  TcxCustomRadioGroup* g = RadioGroup();
  return g && g->DataBinding() && g->DataBinding()->ExecuteBindingAction(Action);
}

bool TcxCustomRadioGroupButton::UpdateAction(TBasicAction* Action) {
  if (TcxRadioButton::UpdateAction(Action)) return true;
  TcxCustomRadioGroup* g = RadioGroup();
  return g && g->DataBinding() && g->DataBinding()->UpdateBindingAction(Action);
}

bool TcxCustomRadioGroupButton::CanFocus() {
  TcxCustomRadioGroup* g = RadioGroup();
  if (!g) return TcxRadioButton::CanFocus();
  // A button of a disabled item stays out of reach as well.
  return TcxRadioButton::CanFocus() && g->CanFocusWithParentForm();
}

void TcxCustomRadioGroupButton::WndProc(TMessage& Message) {
  // The shortcuts of the group's menu work from its buttons.
  TcxCustomRadioGroup* g = RadioGroup();
  if (g && g->HandleInnerControlKey(Message)) return;
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && g && g->DragMode() == dmAutomatic &&
      !g->ComponentState().Contains(csDesigning)) {
    // A group dragged automatically starts dragging from any of its
    // buttons, and the button is not pressed.
    g->BeginDrag(false);
    return;
  }
  if (Message.Msg == WM_LBUTTONDOWN) {
    TFlag byMouse(FFocusingByMouse, true);
    TcxRadioButton::WndProc(Message);
    return;
  }
  TcxRadioButton::WndProc(Message);
}

void TcxCustomRadioGroupButton::DefaultHandler(TMessage& Message) {
  if (TcxCustomRadioGroup* g = RadioGroup(); g && g->InnerControlDefaultHandler(Message)) return;
  TcxRadioButton::DefaultHandler(Message);
}

TcxCustomRadioGroup* TcxCustomRadioGroupButton::RadioGroup() const { return dynamic_cast<TcxCustomRadioGroup*>(Owner()); }

bool TcxCustomRadioGroupButton::IsInplaceButton() { return RadioGroup() && RadioGroup()->IsInplace(); }

void TcxCustomRadioGroupButton::SetCheckedQuietly(bool AChecked) {
  TFlag internal(FInternalSettingChecked, true);
  bool old = FClicksDisabled;
  FClicksDisabled = true;
  SetCheckedValue(AChecked);
  FClicksDisabled = old;
}

void TcxCustomRadioGroupButton::Click() {
  TcxRadioButton::Click();
  if (!FInternalSettingChecked && Checked())
    if (TcxCustomRadioGroup* g = RadioGroup()) g->ButtonChecked(this);
}

void TcxCustomRadioGroupButton::DoEnter() {
  TcxCustomRadioGroup* g = RadioGroup();
  if (!g) {
    TcxRadioButton::DoEnter();
    return;
  }
  TRadioButton::DoEnter();
  g->UpdateStateFromCursor();
  // A click checks the button itself when it is released; a grid's group
  // keeps its value until the user picks an item.
  if (!Checked() && !g->IsInplace() && !FFocusingByMouse && g->RequestEditing()) {
    FClicksDisabled = true;
    SetCheckedValue(true);
    FClicksDisabled = false;
    if (!ComponentState().Contains(csLoading)) Click();
  }
}

void TcxCustomRadioGroupButton::DoExit() {
  TcxRadioButton::DoExit();
  if (TcxCustomRadioGroup* g = RadioGroup()) g->UpdateStateFromCursor();
}

void TcxCustomRadioGroupButton::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (FIsClickLocked) return;
    TFlag locked(FIsClickLocked, true);
    // A click checks the button only when the group may change and enters
    // editing (asking its OnEditing and its data).
    const WORD code = HIWORD(Message.WParam);
    TcxCustomRadioGroup* g = RadioGroup();
    if ((code == BN_CLICKED || code == BN_DOUBLECLICKED) && g && !Checked() && !(g->CanModify() && g->RequestEditing()))
      return;
    try {
      TcxRadioButton::Dispatch(Message);
    } catch (...) {
      if (Application) Application->HandleException(this);
      else throw;
    }
    return;
  }
  TcxRadioButton::Dispatch(Message);
  // The focus coming to or leaving a button is the group's focus change,
  // unless it moves between the button and the group itself.
  if ((Message.Msg == WM_SETFOCUS || Message.Msg == WM_KILLFOCUS) && !ComponentState().Contains(csDestroying))
    if (TcxCustomRadioGroup* g = RadioGroup())
      if (!g->HandleAllocated() || HWND(Message.WParam) != g->Handle()) g->DoInnerFocusChanged();
  // In a grid the arrows move among the group's buttons by columns and rows
  // (the group's KeyDown); elsewhere the form moves the focus to the next or
  // previous button, round the group. Tab stays with a group that wants it
  // (in a grid), unless Ctrl is down.
  if (Message.Msg == WM_GETDLGCODE)
    if (TcxCustomRadioGroup* g = RadioGroup()) {
      if (g->IsInplace()) Message.Result |= DLGC_WANTARROWS;
      if (g->WantsTabKey() && GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
    }
}

void TcxCustomRadioGroupButton::KeyPress(char32_t& Key) {
  TcxRadioButton::KeyPress(Key);
  // A read-only group takes no Space or Backspace.
  if ((Key == U' ' || Key == 8) && RadioGroup() && !RadioGroup()->CanModify()) Key = 0;
}

// ---------------------------------------------------------------------------
// Radio items and properties

void TcxRadioGroupItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxRadioGroupItem*>(Source)) FValue = s->FValue;
  TcxButtonGroupItem::Assign(Source);
}

void TcxRadioGroupItem::SetValue(const Variant& AValue) {
  if (cxVarSameTypeAndValue(FValue, AValue)) return;
  FValue = AValue;
  ItemChanged(2);
}

TcxCustomRadioGroupProperties::TcxCustomRadioGroupProperties(TPersistent* AOwner)
    : TcxCustomButtonGroupProperties(AOwner) {
  InitItems();
}

TClass TcxCustomRadioGroupProperties::GetContainerClass() { return TcxRadioGroup::StaticClass(); }

TcxButtonGroupItems* TcxCustomRadioGroupProperties::CreateItems() {
  return new TcxButtonGroupItems(this, TcxRadioGroupItem::StaticClass());
}

void TcxCustomRadioGroupProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomRadioGroupProperties*>(Source);
  if (!s) {
    TcxCustomButtonGroupProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomButtonGroupProperties::Assign(Source);
    SetDefaultCaption(s->FDefaultCaption);
    SetDefaultValue(s->FDefaultValue);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TcxCustomRadioGroupProperties::SetDefaultValue(const Variant& Value) {
  if (cxVarSameTypeAndValue(FDefaultValue, Value)) return;
  FDefaultValue = Value;
  Changed();
}

Integer TcxCustomRadioGroupProperties::GetColumnCount() {
  Integer count = Items()->Count();
  return std::max<Integer>(std::min(Columns(), count), 1);
}

Integer TcxCustomRadioGroupProperties::GetItemIndexOfValue(const Variant& AValue) {
  for (Integer i = 0; i < Items()->Count(); ++i) {
    TcxRadioGroupItem* item = Items(i);
    if (item->Value().IsNull()) {
      if (!AValue.IsNull() && !AValue.IsEmpty() && item->Caption() == VarToStr(AValue)) return i;
    } else if (cxVarEqualsStrict(item->Value(), AValue)) {
      return i;
    }
  }
  return -1;
}

bool TcxCustomRadioGroupProperties::SameDisplayValue(const Variant& V1, const Variant& V2) {
  return GetItemIndexOfValue(V1) == GetItemIndexOfValue(V2);
}

void TcxCustomRadioGroupProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool) {
  ADisplayValue = Variant(GetItemIndexOfValue(AEditValue));
}

String TcxCustomRadioGroupProperties::GetDisplayText(const Variant& AEditValue, bool, bool) {
  Integer i = GetItemIndexOfValue(AEditValue);
  return i < 0 ? FDefaultCaption : Items(i)->Caption();
}

// ---------------------------------------------------------------------------
// Radio group

TcxCustomRadioGroup::TcxCustomRadioGroup(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomButtonGroup(AOwner, AIsInplace,
                           AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                             return new TcxCustomRadioGroupProperties(O);
                           }) {
  cxRadioGroupUnitStartup();
  // Nothing can be dropped on a radio group: its children are its buttons.
  TControlStyle style = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable};
  if (ControlStyle().Contains(csParentBackground)) style += csParentBackground;
  SetControlStyle(style);
}

bool TcxCustomRadioGroup::IsLoadingOrUpdating() const {
  return ComponentState().Contains(csLoading) || ComponentState().Contains(csUpdating);
}

bool TcxCustomRadioGroup::KeepsStoredItemIndex() const {
  return IsLoadingOrUpdating() || ComponentState().Contains(csDesigning);
}

TWinControl* TcxCustomRadioGroup::CreateButton() {
  auto* b = new TcxCustomRadioGroupButton(this);
  b->SetParentBackground(ParentBackground());
  return b;
}

void TcxCustomRadioGroup::SetDragMode(TDragMode Value) {
  TcxCustomButtonGroup::SetDragMode(Value);
  for (TWinControl* b : FButtons) b->SetDragMode(Value);
}

void TcxCustomRadioGroup::SetDragKind(TDragKind Value) {
  TcxCustomButtonGroup::SetDragKind(Value);
  for (TWinControl* b : FButtons) b->SetDragKind(Value);
}

void TcxCustomRadioGroup::ParentBackgroundToggled() {
  TcxCustomButtonGroup::ParentBackgroundToggled();
  for (TWinControl* b : FButtons) b->SetParentBackground(ParentBackground());
}

bool TcxCustomRadioGroup::IsInternalControl(TControl* AControl) {
  if (!AControl) return false;
  return TcxCustomButtonGroup::IsInternalControl(AControl) ||
         std::find(FButtons.begin(), FButtons.end(), AControl) != FButtons.end();
}

bool TcxCustomRadioGroup::SetFocusNeedless() {
  for (TWinControl* b : FButtons)
    if (b->Focused()) return false;
  return TcxCustomButtonGroup::Focused();
}

void TcxCustomRadioGroup::Resize() {
  TcxCustomButtonGroup::Resize();
  if (ComponentState().Contains(csDesigning) && HasNativeParentBackground() && HandleAllocated())
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

TcxCustomRadioGroupButton* TcxCustomRadioGroup::Button(Integer Index) const {
  return Index >= 0 && Index < Integer(FButtons.size()) ? static_cast<TcxCustomRadioGroupButton*>(FButtons[size_t(Index)])
                                                         : nullptr;
}

// ---------------------------------------------------------------------------
// Radio group view data and view info

TcxCustomEditViewInfo* TcxCustomRadioGroupProperties::CreateViewInfo() { return new TcxCustomRadioGroupViewInfo(); }

TcxCustomEditViewData* TcxCustomRadioGroupProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                     bool APreviewMode) {
  auto* vd = new TcxCustomRadioGroupViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

namespace {
TSize RadioGlyphSize(TcxLookAndFeel* ALookAndFeel) {
  TcxLookAndFeelPainterClass painter = ALookAndFeel->PainterForObjectType(totButton);
  if (!painter) painter = ALookAndFeel->ActivePainter();
  return painter ? painter->CalcRadioButtonSize() : TSize(13, 13);
}
}  // namespace

void TcxCustomRadioGroupViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                            TShiftState Shift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  auto* vi = static_cast<TcxCustomRadioGroupViewInfo*>(AViewInfo);
  vi->ButtonAlignment = taRightJustify;
  TcxButtonGroupViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  vi->GlyphSize = RadioGlyphSize(Style->LookAndFeel());
  vi->BackgroundColor = Style->Color();
}

void TcxCustomRadioGroupViewData::PrepareViewInfoForPaint(TcxCanvas*, const Variant& AEditValue,
                                                          TcxCustomEditViewInfo* AViewInfo) {
  auto* vi = static_cast<TcxCustomRadioGroupViewInfo*>(AViewInfo);
  vi->ItemIndex = PreviewMode ? 0 : static_cast<TcxCustomRadioGroupProperties*>(Properties)->GetItemIndexOfValue(AEditValue);
  vi->PaintOptions = ComputePaintOptions();
}

void TcxCustomRadioGroupViewData::GetButtonMetrics(bool AWithGlyph, TcxButtonMetrics& AMetrics) {
  AMetrics = TcxButtonMetrics();
  AMetrics.LeftOffset = IsInplace ? 1 : 6;
  AMetrics.WidthCorrection = IsInplace ? -2 : -6;
  AMetrics.Spacing = 0;
  if (!AWithGlyph) return;
  TSize g = RadioGlyphSize(Style->LookAndFeel());
  AMetrics.GlyphWidth = g.cx;
  AMetrics.GlyphHeight = g.cy;
  const bool native = UsesNativeButtons();
  AMetrics.ExtraWidth = native ? 5 : 7;
  AMetrics.TextGap = native ? 1 : 3;
  AMetrics.LeftMargin = IsInplace ? 1 : 6;
  AMetrics.SizeWidthCorrection = IsInplace ? -5 : -6;
}

void TcxCustomRadioGroupViewData::CalculateButtonNativeState(TcxCustomEditViewInfo* AViewInfo,
                                                             TcxGroupBoxButtonViewInfo* AButton) {
  if (!AButton->Data.NativeStyle) return;
  auto* vi = static_cast<TcxCustomRadioGroupViewInfo*>(AViewInfo);
  // Radio part states: unchecked 1 normal, 2 hot, 3 pressed, 4 disabled;
  // checked 5 to 8 in the same order.
  static const Integer byState[] = {4, 1, 3, 2};
  AButton->Data.NativePart = 2;   // the button theme's radio part
  AButton->Data.NativeState = byState[std::clamp<Integer>(AButton->Data.State, 0, 3)] + (vi->ItemIndex == AButton->ButtonIndex ? 4 : 0);
  HTHEME theme = ThemeServices()->Theme(teButton);
  AButton->Data.PartiallyTransparent =
      theme && IsThemeBackgroundPartiallyTransparent(theme, AButton->Data.NativePart, AButton->Data.NativeState);
}

TcxEditButtonViewInfo* TcxCustomRadioGroupViewInfo::CreateButtonViewInfo() { return new TcxRadioGroupButtonViewInfo(); }

void TcxRadioGroupButtonViewInfo::GetGlyphRect(const TSize& AGlyphSize, TRect& R, bool AIsPaintCopy, TAlignment AAlignment) {
  TcxGroupBoxButtonViewInfo::GetGlyphRect(AGlyphSize, R, AIsPaintCopy, AAlignment);
  if (AIsPaintCopy && !Data.NativeStyle) OffsetRect(R, 1, 0);
}

bool TcxCustomRadioGroupViewInfo::IsButtonBackgroundTransparent(TcxGroupBoxButtonViewInfo* AButton) {
  return Transparent || (AButton->Data.NativeStyle && AButton->Data.PartiallyTransparent);
}

void TcxCustomRadioGroupViewInfo::DrawButtonGlyph(TcxCanvas* ACanvas, TcxGroupBoxButtonViewInfo* AButton,
                                                  const TRect& AGlyphRect) {
  ACanvas->PushClipRegion();
  ACanvas->IntersectClip(AButton->Bounds);
  TcxLookAndFeelKind kind;
  switch (AButton->Data.Style) {
    case btsFlat: kind = lfFlat; break;
    case btsUltraFlat: kind = lfUltraFlat; break;
    case btsOffice11: kind = lfOffice11; break;
    default: kind = lfStandard; break;
  }
  TcxLookAndFeelPainterClass painter = Painter ? Painter : cxGetEditPainterClass(AButton->Data.NativeStyle, kind);
  static const TcxButtonState states[] = {cxbsDisabled, cxbsNormal, cxbsPressed, cxbsHot};
  if (painter)
    painter->PaintRadioButton(ACanvas, AGlyphRect.Left, AGlyphRect.Top, states[std::clamp<Integer>(AButton->Data.State, 0, 3)],
                              ItemIndex == AButton->ButtonIndex, false,
                              IsButtonBackgroundTransparent(AButton) ? clDefault : BackgroundColor, IsDesigning);
  ACanvas->PopClipRegion();
}

void TcxCustomRadioGroupViewInfo::DrawButtonCaption(TcxCanvas* ACanvas, TcxGroupBoxButtonViewInfo* AButton,
                                                    const TRect& AGlyphRect) {
  if (Font) ACanvas->SetFont(Font);
  ACanvas->Font()->SetColor(TextColor);
  TRect text = AButton->Bounds;
  if (ButtonAlignment == taRightJustify)
    text.Left = AGlyphRect.Right;
  else
    text.Right = AGlyphRect.Left;
  if (AButton->Data.NativeStyle) {
    text.Left += 3;
    text.Top -= 1;
    text.Bottom += 1;
  } else {
    text.Left += 5;
    text.Right -= 1;
  }
  if (PaintCopyMode) OffsetRect(text, 0, -1);
  ACanvas->Brush()->SetStyle(bsClear);
  ACanvas->PaintText(AButton->Data.Caption, text, CaptionFlags, true);
  ACanvas->Brush()->SetStyle(bsSolid);
  if (!IsInplace && Focused && !AButton->Data.Caption.empty() && ItemIndex == AButton->ButtonIndex) {
    TRect f = text;
    ACanvas->MeasureTextRect(AButton->Data.Caption, f, CaptionFlags);
    InflateRect(f, 1, 1);
    f.Bottom += 1;
    ACanvas->Brush()->SetColor(BackgroundColor);
    ACanvas->DrawFocusRect(f);
  }
}

Integer TcxCustomRadioGroup::CheckedIndex() const {
  for (Integer i = 0; i < Integer(FButtons.size()); ++i)
    if (static_cast<TcxCustomRadioGroupButton*>(FButtons[size_t(i)])->Checked()) return i;
  return -1;
}

Integer TcxCustomRadioGroup::ItemIndex() {
  if (KeepsStoredItemIndex()) return FStoredItemIndex;
  return CheckedIndex();
}

void TcxCustomRadioGroup::SetItemIndex(Integer Value) {
  if (!IsLoadingOrUpdating()) {
    if (FButtons.size() != size_t(ActiveProperties()->Items()->Count())) UpdateButtons();
    Integer index = std::clamp<Integer>(Value, -1, Integer(FButtons.size()) - 1);
    Variant v;
    DisplayToEditValue(Variant(index), v, false);
    SetEditValueChecked(v, true, false);
  }
  if (KeepsStoredItemIndex()) FStoredItemIndex = Value;
}

void TcxCustomRadioGroup::DisplayToEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  Integer i = ADisplayValue.IsNull() || ADisplayValue.IsEmpty() ? -1 : ADisplayValue.AsInteger();
  TcxCustomRadioGroupProperties* p = ActiveProperties();
  if (i < 0 || i >= p->Items()->Count()) {
    AEditValue = p->DefaultValue();
    return;
  }
  TcxRadioGroupItem* item = p->Items(i);
  AEditValue = item->Value().IsNull() ? Variant(item->Caption()) : item->Value();
}

void TcxCustomRadioGroup::GetDisplayText(String& AText) { AText = ActiveProperties()->GetDisplayText(EditValue()); }

void TcxCustomRadioGroup::InternalSetEditValue(const Variant& Value, bool AValidate) {
  SetEditValueChecked(Value, AValidate, false);
}

void TcxCustomRadioGroup::SetEditValueChecked(const Variant& Value, bool AValidate, bool AFromButton) {
  HoldChangeEvents(true);
  try {
    TcxCustomEdit::InternalSetEditValue(Value, AValidate);
    if (FButtons.size() != size_t(ActiveProperties()->Items()->Count())) UpdateButtons();
    Integer i = ActiveProperties()->GetItemIndexOfValue(Value);
    if (AFromButton || i != CheckedIndex()) {
      CheckItem(i, AFromButton);
      MarkChangedAndClick();
      NotifyChange();
    } else if (!EditModified()) {
      SetModified(false);
    }
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  UpdateStateFromCursor();
}

void TcxCustomRadioGroup::CheckItem(Integer AIndex, bool AFromButton) {
  if (!AFromButton) {
    if (AIndex < 0) {
      if (auto* b = Button(CheckedIndex())) b->SetCheckedQuietly(false);
    } else if (auto* b = Button(AIndex)) {
      b->SetCheckedQuietly(true);
    }
  }
  if (TcxCustomButtonGroup::Focused() && HandleAllocated() && GetFocus() != Handle())
    if (auto* b = Button(AIndex))
      if (b->CanFocus() && !b->Focused()) b->SetFocus();
  if (KeepsStoredItemIndex()) FStoredItemIndex = AIndex;
}

void TcxCustomRadioGroup::ButtonChecked(TcxCustomRadioGroupButton* AButton) {
  auto it = std::find(FButtons.begin(), FButtons.end(), AButton);
  if (it == FButtons.end()) return;
  Integer index = Integer(it - FButtons.begin());
  if (!CanModify()) {
    // A read-only group keeps showing its value.
    CheckItem(ActiveProperties()->GetItemIndexOfValue(EditValue()), false);
    return;
  }
  HoldChangeEvents(true);
  try {
    TFlag user(FUserAction, Focused());
    if (!IsLoadingOrUpdating()) {
      Variant v;
      DisplayToEditValue(Variant(index), v, false);
      SetEditValueChecked(v, true, true);
    }
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  if (Focused() && ActiveProperties()->ImmediatePost() && CanPostValue())
    if (ValidateInput(true)) PostValue(false);
}

void TcxCustomRadioGroup::UpdateButtonsStyle() {
  TcxCustomButtonGroup::UpdateButtonsStyle();
  // The buttons take the look their items would be drawn with; the rest of
  // their look-and-feel follows the group's style (their master).
  TcxLookAndFeelKind kind = lfStandard;
  std::unique_ptr<TcxCustomEditViewData> vd(CreateViewData());
  if (auto* bvd = dynamic_cast<TcxButtonGroupViewData*>(vd.get()); bvd && GetViewInfo()) {
    switch (bvd->GetButtonLookStyle(GetViewInfo())) {
      case btsFlat: kind = lfFlat; break;
      case btsUltraFlat: kind = lfUltraFlat; break;
      case btsOffice11: kind = lfOffice11; break;
      default: kind = lfStandard; break;
    }
  }
  for (TWinControl* w : FButtons) {
    auto* b = static_cast<TcxCustomRadioGroupButton*>(w);
    b->LookAndFeel()->SetKind(kind);
    if (!b->Enabled()) b->Font()->SetColor(StyleDisabled()->GetVisibleTextFont()->Color());
    b->SetTransparent(Transparent());
  }
}

void TcxCustomRadioGroup::UpdateButtons() {
  if (FUpdatingButtons) return;
  Integer index = ActiveProperties()->GetItemIndexOfValue(EditValue());
  TcxCustomButtonGroup::UpdateButtons();
  TcxCustomRadioGroupProperties* p = ActiveProperties();
  for (Integer i = 0; i < Integer(FButtons.size()); ++i) {
    auto* b = Button(i);
    b->SetCaption(p->Items(i)->Caption());
    b->SetWordWrapCaption(p->WordWrap());
    // Dragging as the group drags, however its settings were made (a form
    // file may set them before the buttons exist).
    b->SetDragMode(DragMode());
    b->SetDragKind(DragKind());
  }
  if (!IsLoadingOrUpdating() && CheckedIndex() != index) CheckItem(index, false);
}

void TcxCustomRadioGroup::GetTabOrderList(std::vector<TWinControl*>& List) {
  TcxCustomButtonGroup::GetTabOrderList(List);
  List.erase(std::remove_if(List.begin(), List.end(),
                            [this](TWinControl* c) {
                              return c == this || std::find(FButtons.begin(), FButtons.end(), c) != FButtons.end();
                            }),
             List.end());
  if ((TabStop() || Focused()) && ItemIndex() != -1)
    for (TWinControl* b : FButtons)
      if (b->Enabled()) List.push_back(b);
}

TcxCustomEditData* TcxCustomRadioGroup::Activate(TcxCustomEditData*& AEditData) {
  TcxCustomEditData* result = TcxCustomButtonGroup::Activate(AEditData);
  if (!FButtons.empty()) {
    Integer index = ItemIndex();
    if (auto* b = Button(index < 0 ? 0 : index); b && b->CanFocus()) b->SetFocus();
  }
  return result;
}

void TcxCustomRadioGroup::SetFocus() {
  if (auto* b = Button(CheckedIndex()); b && b->CanFocus()) {
    b->SetFocus();
    return;
  }
  TcxCustomButtonGroup::SetFocus();
}

void TcxCustomRadioGroup::Dispatch(TMessage& Message) {
  // The caption's accelerator focuses the first button in tab order: the
  // checked one.
  if (Message.Msg == CM_DIALOGCHAR && IsAccel(Word(Message.WParam), Caption()) && CanFocus()) {
    TFlag selecting(FSelectingByAccel, true);
    SelectFirst();
    Message.Result = 1;
    return;
  }
  TcxCustomButtonGroup::Dispatch(Message);
}

void TcxCustomRadioGroup::Loaded() {
  TcxCustomButtonGroup::Loaded();
  HoldChangeEvents(true);
  HoldClick(true);
  if (!IsDataBound()) TcxCustomEdit::InternalSetEditValue(ActiveProperties()->DefaultValue(), false);
  Integer stored = FStoredItemIndex;
  if (stored >= 0) SetItemIndex(stored);
  HoldClick(false);
  HoldChangeEvents(false, false);
  UpdateButtons();
}

TcxRadioGroup::TcxRadioGroup(TComponent* AOwner, bool AIsInplace)
    : TcxCustomRadioGroup(AOwner, AIsInplace, [](TPersistent* O) -> TcxCustomEditProperties* {
        return new TcxRadioGroupProperties(O);
      }) {}

// ---------------------------------------------------------------------------
// Streaming

TOVANI_PUBLISHED(TcxButtonGroupItem) {
  Property("Caption", &TcxButtonGroupItem::Caption, &TcxButtonGroupItem::SetCaption);
  Property("Tag", &TcxButtonGroupItem::Tag, &TcxButtonGroupItem::SetTag).Default(0);
}

TOVANI_PUBLISHED(TcxRadioGroupItem) {
  using I = TcxRadioGroupItem;
  Property<Variant>("Value", [](I* i) { return i->Value(); }, [](I* i, const Variant& v) { i->SetValue(v); })
      .Stored([](TObject* o) { return !static_cast<I*>(o)->Value().IsNull(); });
}

TOVANI_PUBLISHED(TcxRadioGroupProperties) {
  using P = TcxRadioGroupProperties;
  Property("ClearKey", &P::ClearKey, &P::SetClearKey).Default(0);
  Property<bool>("ImmediatePost", [](P* p) { return p->ImmediatePost(); }, [](P* p, bool v) { p->SetImmediatePost(v); })
      .Default(false);
  Property<bool>("ReadOnly", [](P* p) { return p->ReadOnly(); }, [](P* p, bool v) { p->SetReadOnly(v); }).Default(false);
  Property("Columns", &P::Columns, &P::SetColumns).Default(1);
  Property("DefaultCaption", &P::DefaultCaption, &P::SetDefaultCaption)
      .Stored([](TObject* o) { return !static_cast<P*>(o)->DefaultCaption().empty(); });
  Property<Variant>(
      "DefaultValue", [](P* p) { return p->DefaultValue(); }, [](P* p, const Variant& v) { p->SetDefaultValue(v); })
      .Stored([](TObject* o) { return !static_cast<P*>(o)->DefaultValue().IsNull(); });
  Property<TcxButtonGroupItems*>(
      "Items", [](P* p) { return p->Items(); }, [](P* p, TcxButtonGroupItems* v) { p->SetItems(v); });
  Property("WordWrap", &P::WordWrap, &P::SetWordWrap).Default(false);
}

TOVANI_PUBLISHED(TcxRadioGroup) {
  using C = TcxRadioGroup;
  Property<TcxRadioGroupProperties*>(
      "Properties", [](C* c) { return c->Properties(); }, [](C* c, TcxRadioGroupProperties* v) { c->Properties()->Assign(v); });
  Property<TcxEditStyle*>("Style", [](C* c) { return c->Style(); }, [](C* c, TcxEditStyle* v) { c->SetStyle(v); });
  Property("Alignment", &C::Alignment, &C::SetAlignment).Default(alTopLeft);
  Property<String>("Caption", [](C* c) { return c->Caption(); }, [](C* c, const String& v) { c->SetCaption(v); });
  Property<Integer>("ItemIndex", [](C* c) { return c->ItemIndex(); }, [](C* c, Integer v) { c->SetItemIndex(v); })
      .Default(-1);
  Property("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
}
