#include "cxCheckListBox.h"

#include <algorithm>

#include "Collation.h"
#include "Graphics.h"
#include "ImgList.h"
#include "Messages.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "cxEdit.h"
#include "cxExtEditUtils.h"
#include "cxGeometry.h"
#include "cxGraphics.h"
#include "dxThemeManager.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxCheckListBoxImageLayout, "ilBeforeChecks", "ilAfterChecks")
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCheckListBoxItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TcxCheckListBoxItems, TOwnedCollection)
TOVANI_IMPLEMENT_CLASS(TcxCustomInnerCheckListBox, TcxCustomInnerListBox)
TOVANI_IMPLEMENT_CLASS(TcxCustomCheckListBox, TcxContainer)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCheckListBox, TcxCustomCheckListBox)

namespace {
// Layout of an item, in pixels.
constexpr Integer CheckFrame = 1, ItemLeftMargin = 0, ImageFrame = 1, TextAreaGap = 1, TextIndent = 2,
                  TextWidthExtra = 3;
}  // namespace

// ---------------------------------------------------------------------------
// Items

TcxCustomInnerCheckListBox* TcxCheckListBoxItem::InnerList() const {
  auto* items = dynamic_cast<TcxCheckListBoxItems*>(Collection());
  return items ? items->InnerList() : nullptr;
}

void TcxCheckListBoxItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxCheckListBoxItem*>(Source)) {
    SetText(s->FText);
    SetEnabled(s->FEnabled);
    SetImageIndex(s->FImageIndex);
    FItemObject = s->FItemObject;
    SetState(s->FState);
    SetTag(s->FTag);
    return;
  }
  TCollectionItem::Assign(Source);
}

String TcxCheckListBoxItem::GetDisplayName() const {
  return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
}

void TcxCheckListBoxItem::SetText(const String& Value) {
  if (FText == Value) return;
  FText = Value;
  TcxCustomInnerCheckListBox* list = InnerList();
  if (!list || Collection()->UpdateCount() > 0) return;
  TStrings* lines = list->Items();
  if (Index() < lines->Count()) lines->SetStrings(Index(), Value);
  if (TcxCustomCheckListBox* box = list->CheckListBox())
    if (box->Sorted()) box->SortItems();
  Changed(false);
}

void TcxCheckListBoxItem::SetState(TcxCheckBoxState Value) {
  TcxCustomInnerCheckListBox* list = InnerList();
  TcxCustomCheckListBox* box = list ? list->CheckListBox() : nullptr;
  // The integer format has no grayed state.
  if (Value == cbsGrayed && box && box->EditValueFormat() == cvfInteger) Value = cbsUnchecked;
  if (FState == Value) return;
  FState = Value;
  if (list) list->InvalidateItem(Index());
  auto* items = static_cast<TcxCheckListBoxItems*>(Collection());
  if (box && items && !items->StatesLocked()) box->EditValueFromStates();
}

void TcxCheckListBoxItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed(false);
}

void TcxCheckListBoxItem::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

TcxCheckListBoxItems::TcxCheckListBoxItems(TcxCustomInnerCheckListBox* AOwner)
    : TOwnedCollection(AOwner, TcxCheckListBoxItem::StaticClass()), FInnerList(AOwner) {}

TcxCheckListBoxItems::~TcxCheckListBoxItems() { FInnerList = nullptr; }

Integer TcxCheckListBoxItems::IndexOfText(const String& S) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiCompareText(Items(i)->Text(), S) == 0) return i;
  return -1;
}

void TcxCheckListBoxItems::LockStates(bool ALock, bool AInvokeChanged) {
  if (ALock) {
    ++FStatesLockCount;
    return;
  }
  if (FStatesLockCount <= 0) return;
  if (--FStatesLockCount == 0 && AInvokeChanged) Changed();
}

void TcxCheckListBoxItems::Update(TCollectionItem* Item) {
  TcxCustomInnerCheckListBox* list = FInnerList;
  if (!list) return;
  TStrings* lines = list->Items();
  bool countsDiffer = lines->Count() != Count();
  lines->BeginUpdate();
  try {
    if (!Item) {
      Integer top = list->HandleAllocated() ? list->TopIndex() : 0;
      Integer index = list->HandleAllocated() ? list->ItemIndex() : -1;
      lines->Clear();
      for (Integer i = 0; i < Count(); ++i) lines->Add(Items(i)->Text());
      if (list->HandleAllocated()) {
        list->SetItemIndex(index < Count() ? index : -1);
        list->SetTopIndex(std::min(top, std::max<Integer>(Count() - 1, 0)));
      }
    } else if (countsDiffer) {
      while (lines->Count() < Count()) lines->Add("");
      while (lines->Count() > Count()) lines->Delete(lines->Count() - 1);
    }
  } catch (...) {
    lines->EndUpdate();
    throw;
  }
  lines->EndUpdate();
  TcxCustomCheckListBox* box = list->CheckListBox();
  if (Item) {
    list->InvalidateItem(Item->Index());
  } else {
    if (box && box->Sorted() && !box->FSorting) box->SortItems();
    list->InvalidateClient();
  }
  if (!box) return;
  if (box->Modified())
    box->EditValueFromStates();
  else
    box->StatesFromEditValue();
}

// ---------------------------------------------------------------------------
// The inner list

TcxCustomInnerCheckListBox::TcxCustomInnerCheckListBox(TComponent* AOwner)
    : TcxCustomInnerListBox(AOwner), FCheckItems(std::make_unique<TcxCheckListBoxItems>(this)) {
  SetStyle(lbOwnerDrawFixed);
  SetBorderStyle(bsNone);
}

TcxCustomInnerCheckListBox::~TcxCustomInnerCheckListBox() {
  cxEndMouseLeaveTracking(this);
  FCheckItems->DetachInnerList();
}

TcxCustomCheckListBox* TcxCustomInnerCheckListBox::CheckListBox() const {
  return dynamic_cast<TcxCustomCheckListBox*>(Container());
}

TBitmap* TcxCustomInnerCheckListBox::Glyph() {
  if (!FGlyph) {
    FGlyph = std::make_unique<TBitmap>();
    FGlyph->OnChange = [this](TObject*) { Remeasure(); };
  }
  return FGlyph.get();
}

void TcxCustomInnerCheckListBox::SetGlyph(TBitmap* Value) {
  if (!Value) {
    FGlyph.reset();
    Remeasure();
    return;
  }
  Glyph()->Assign(Value);
}

void TcxCustomInnerCheckListBox::SetGlyphCount(Integer Value) {
  if (FGlyphCount == Value) return;
  FGlyphCount = Value;
  if (FGlyph) Remeasure();
}

void TcxCustomInnerCheckListBox::CreateWnd() {
  TcxCustomInnerListBox::CreateWnd();
  Remeasure();
  UpdateColumnWidth();
}

// Each of the columns takes an equal share of the width, also after resizing.
void TcxCustomInnerCheckListBox::UpdateColumnWidth() {
  if (HandleAllocated() && Columns() > 0)
    SendMessageW(Handle(), LB_SETCOLUMNWIDTH, WPARAM(std::max(1, (Width() + Columns() - 3) / Columns())), 0);
}

void TcxCustomInnerCheckListBox::CreateParams(TCreateParams& Params) {
  TcxCustomInnerListBox::CreateParams(Params);
  TcxCustomCheckListBox* box = CheckListBox();
  if (box && box->OnMeasureItem)
    Params.Style = (Params.Style & ~DWORD(LBS_OWNERDRAWFIXED)) | LBS_OWNERDRAWVARIABLE;
  if ((Params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) == 0) Params.Style |= LBS_OWNERDRAWFIXED;
  FVariableMeasure = (Params.Style & LBS_OWNERDRAWVARIABLE) != 0;
}

namespace {
struct TCheckMetrics {
  TSize Check;      // the check's drawn size
  Integer Inset = 0;
  bool Checks = false;
  TSize Image;      // zero without images
};
}  // namespace

static TCheckMetrics MetricsOf(TcxCustomInnerCheckListBox* AList) {
  TCheckMetrics m;
  TcxCustomCheckListBox* box = AList->CheckListBox();
  if (!box) return m;
  m.Checks = box->ShowChecks();
  bool glyph = AList->HasGlyph() && cxIsCheckGlyphUsable(AList->Glyph(), AList->GlyphCount());
  m.Check = cxCalcEditCheckSize(nullptr, box->IsNativeLook(), glyph ? AList->Glyph() : nullptr, AList->GlyphCount());
  m.Inset = box->IsNativeLook() || glyph ? 0 : cxCheckListFrameInset(box->LookAndFeel()->Kind());
  if (TCustomImageList* images = box->Images()) m.Image = TSize(images->Width(), images->Height());
  return m;
}

Integer TcxCustomInnerCheckListBox::GetItemTextOffset() {
  TCheckMetrics m = MetricsOf(this);
  bool images = m.Image.cx > 0;
  Integer offset = ItemLeftMargin;
  if (m.Checks || images) offset += TextAreaGap;
  if (m.Checks) offset += m.Check.cx - 2 * m.Inset + 2 * CheckFrame;
  if (images) offset += m.Image.cx + 2 * ImageFrame;
  return offset;
}

Integer TcxCustomInnerCheckListBox::CalcItemHeight() {
  TCheckMetrics m = MetricsOf(this);
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  TcxCustomCheckListBox* box = CheckListBox();
  sc->Font()->Assign(box ? box->Style()->GetVisibleTextFont() : Font());
  Integer h = sc->TextHeight("Zg");
  if (m.Checks) h = std::max<Integer>(h, m.Check.cy - 2 * m.Inset + 2 * CheckFrame);
  if (m.Image.cy > 0) h = std::max<Integer>(h, m.Image.cy + 2 * ImageFrame);
  return h;
}

Integer TcxCustomInnerCheckListBox::MeasureRow(Integer AIndex) {
  Integer h = CalcItemHeight();
  if (FVariableMeasure) {
    TcxCustomCheckListBox* box = CheckListBox();
    if (box && box->OnMeasureItem) box->OnMeasureItem(box, AIndex, h);
  }
  // A list box row is 1 to 255 pixels high.
  return std::clamp<Integer>(h, 1, 255);
}

void TcxCustomInnerCheckListBox::Remeasure() {
  if (!HandleAllocated()) return;
  if (FVariableMeasure) {
    const Integer count = Integer(SendMessageW(Handle(), LB_GETCOUNT, 0, 0));
    for (Integer i = 0; i < count; ++i) SendMessageW(Handle(), LB_SETITEMHEIGHT, WPARAM(i), MeasureRow(i));
  } else {
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, MeasureRow(0));
  }
  UpdateScrollBars();
  InvalidateClient();
}

TRect TcxCustomInnerCheckListBox::CheckRect(Integer AIndex) {
  TCheckMetrics m = MetricsOf(this);
  if (!m.Checks || AIndex < 0 || !HandleAllocated()) return TRect();
  TRect item = ItemRect(AIndex);
  Integer w = m.Check.cx - 2 * m.Inset, h = m.Check.cy - 2 * m.Inset;
  Integer left = item.Left + ItemLeftMargin + CheckFrame;
  TcxCustomCheckListBox* box = CheckListBox();
  if (m.Image.cx > 0 && box->ImageLayout() == ilBeforeChecks) left += m.Image.cx + 2 * ImageFrame;
  Integer top = item.Top + (item.Bottom - item.Top - h) / 2;
  return TRect(left, top, left + w, top + h);
}

TRect TcxCustomInnerCheckListBox::ImageRect(const TRect& AItemRect) {
  TCheckMetrics m = MetricsOf(this);
  Integer left = AItemRect.Left + ItemLeftMargin + ImageFrame;
  if (m.Checks && CheckListBox()->ImageLayout() == ilAfterChecks) left += m.Check.cx - 2 * m.Inset + 2 * CheckFrame;
  Integer top = AItemRect.Top + (AItemRect.Bottom - AItemRect.Top - m.Image.cy) / 2;
  return TRect(left, top, left + m.Image.cx, top + m.Image.cy);
}

Integer TcxCustomInnerCheckListBox::CheckAt(Integer X, Integer Y) {
  TcxCustomCheckListBox* box = CheckListBox();
  if (!box || !box->ShowChecks() || !HandleAllocated()) return -1;
  Integer index = ItemAtPos(TPoint(X, Y), true);
  if (index < 0) return -1;
  TRect r = CheckRect(index);
  return X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom ? index : -1;
}

bool TcxCustomInnerCheckListBox::ItemFullyVisible(Integer AIndex) {
  if (AIndex < 0 || !HandleAllocated()) return false;
  TRect item = ItemRect(AIndex);
  TRect client = ClientRect();
  return item.Left >= client.Left && item.Top >= client.Top && item.Right <= client.Right &&
         item.Bottom <= client.Bottom;
}

void TcxCustomInnerCheckListBox::InvalidateItem(Integer AIndex) {
  if (!HandleAllocated() || AIndex < 0 || AIndex >= Items()->Count()) return;
  RECT r = *ItemRect(AIndex).AsRECT();
  InvalidateRect(Handle(), &r, FALSE);
}

void TcxCustomInnerCheckListBox::InvalidateClient() {
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TcxCustomInnerCheckListBox::Toggle(Integer AIndex) {
  if (TcxCustomCheckListBox* box = CheckListBox()) box->ToggleItem(AIndex);
}

void TcxCustomInnerCheckListBox::NotifyCheckClicked(Integer AIndex, TcxCheckBoxState APrevState,
                                                    TcxCheckBoxState ANewState) {
  if (OnClickCheck) OnClickCheck(CheckListBox(), AIndex, APrevState, ANewState);
}

void TcxCustomInnerCheckListBox::SetHotAndPressed(Integer AHot, Integer APressed) {
  if (AHot != FHotCheckIndex) {
    InvalidateItem(FHotCheckIndex);
    FHotCheckIndex = AHot;
    InvalidateItem(FHotCheckIndex);
  }
  if (APressed != FPressedCheckIndex) {
    InvalidateItem(FPressedCheckIndex);
    FPressedCheckIndex = APressed;
    InvalidateItem(FPressedCheckIndex);
  }
}

void TcxCustomInnerCheckListBox::UpdateHotCheck(TPoint P) {
  Integer at = CheckAt(P.X, P.Y);
  if (FCapturedCheckIndex >= 0) {
    SetHotAndPressed(-1, at == FCapturedCheckIndex ? FCapturedCheckIndex : -1);
    return;
  }
  bool held = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0 ||
              GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0;
  SetHotAndPressed(held ? -1 : at, -1);
}

void TcxCustomInnerCheckListBox::MouseLeave() { SetHotAndPressed(-1, -1); }

void TcxCustomInnerCheckListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomInnerListBox::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || Shift.Contains(ssDouble)) return;
  Integer hit = FDownCheckIndex;
  TcxCustomCheckListBox* box = CheckListBox();
  if (hit < 0 || !box || !FCheckItems->Items(hit)->Enabled()) return;
  TDragMode drag = box->DragMode();
  if (drag == dmAutomatic || !FDownCheckFullyVisible) {
    Toggle(hit);
  } else {
    FCapturedCheckIndex = hit;
    SetHotAndPressed(-1, hit);
  }
}

void TcxCustomInnerCheckListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TcxCustomInnerListBox::MouseMove(Shift, X, Y);
  TcxCustomCheckListBox* box = CheckListBox();
  if (box && box->DragMode() == dmAutomatic && GetCapture() != Handle()) FCapturedCheckIndex = -1;
  UpdateHotCheck(TPoint(X, Y));
  if (HandleAllocated()) cxBeginMouseLeaveTracking(this, ClientRect(), this);
}

void TcxCustomInnerCheckListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomInnerListBox::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  TcxCustomCheckListBox* box = CheckListBox();
  if (box && box->DragMode() != dmAutomatic) {
    Integer at = CheckAt(X, Y);
    Integer pressed = FPressedCheckIndex;
    FCapturedCheckIndex = -1;
    SetHotAndPressed(-1, -1);
    if (at >= 0 && at == pressed && FCheckItems->Items(at)->Enabled()) Toggle(at);
  }
  FCapturedCheckIndex = -1;
  UpdateHotCheck(TPoint(X, Y));
}

void TcxCustomInnerCheckListBox::DblClick() {
  TcxCustomInnerListBox::DblClick();
  // The list box tells of a double click twice (the mouse message and its
  // notification): only the notification toggles.
  if (!FInDblClickNotification) return;
  Integer index = ItemIndex();
  if (index < 0 || index >= FCheckItems->Count() || !FCheckItems->Items(index)->Enabled()) return;
  if (FDownCheckIndex == index || FAllowDblClickToggle) Toggle(index);
}

void TcxCustomInnerCheckListBox::Click() {
  TcxCustomCheckListBox* box = CheckListBox();
  if (box && !box->ShowChecks() && !box->RequestEditMode()) return;
  TcxCustomInnerListBox::Click();
}

void TcxCustomInnerCheckListBox::KeyPress(char32_t& Key) {
  if (Key == U' ') {
    Toggle(ItemIndex());
    Key = 0;
  }
  TcxCustomInnerListBox::KeyPress(Key);
}

void TcxCustomInnerCheckListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      Integer x = short(LOWORD(Message.LParam)), y = short(HIWORD(Message.LParam));
      TcxCustomCheckListBox* box = CheckListBox();
      if (box && !box->ShowChecks() && !box->RequestEditMode()) {
        // Without checks a read-only list only takes the focus.
        if (!Focused() && CanFocus()) SetFocus();
        MouseDown(mbLeft, KeysToShiftState(Word(Message.WParam)), x, y);
        return;
      }
      FDownCheckIndex = CheckAt(x, y);
      FDownCheckFullyVisible = ItemFullyVisible(FDownCheckIndex);
      TDragMode old = DragMode();
      SetDragMode(dmManual);
      try {
        TcxCustomInnerListBox::Dispatch(Message);
      } catch (...) {
        SetDragMode(box ? box->DragMode() : old);
        throw;
      }
      SetDragMode(box ? box->DragMode() : old);
      return;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: {
      TcxCustomInnerListBox::Dispatch(Message);
      POINT p;
      GetCursorPos(&p);
      if (HandleAllocated()) {
        ::ScreenToClient(Handle(), &p);
        UpdateHotCheck(TPoint(p.x, p.y));
      }
      return;
    }
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == LBN_DBLCLK) {
        FInDblClickNotification = true;
        try {
          TcxCustomInnerListBox::Dispatch(Message);
        } catch (...) {
          FInDblClickNotification = false;
          throw;
        }
        FInDblClickNotification = false;
        return;
      }
      break;
    case WM_SIZE:
      TcxCustomInnerListBox::Dispatch(Message);
      UpdateColumnWidth();
      return;
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      mis->itemHeight = UINT(MeasureRow(Integer(mis->itemID)));
      Message.Result = 1;
      return;
    }
    case CN_DRAWITEM:
      DrawItemMessage(*reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam));
      Message.Result = 1;
      return;
    case CM_FONTCHANGED:
      TcxCustomInnerListBox::Dispatch(Message);
      Remeasure();
      return;
    case CM_COLORCHANGED:
      TcxCustomInnerListBox::Dispatch(Message);
      InvalidateClient();
      return;
  }
  TcxCustomInnerListBox::Dispatch(Message);
}

void TcxCustomInnerCheckListBox::DrawItemMessage(const DRAWITEMSTRUCT& ADis) {
  TcxCustomCheckListBox* box = CheckListBox();
  if (!box || Integer(ADis.itemID) < 0 || Integer(ADis.itemID) >= FCheckItems->Count()) return;
  Integer index = Integer(ADis.itemID);
  TcxCheckListBoxItem* item = FCheckItems->Items(index);
  TCanvas* canvas = Canvas();
  canvas->SetHandle(ADis.hDC);
  TcxCanvas cx(canvas);
  TRect r(ADis.rcItem.left, ADis.rcItem.top, ADis.rcItem.right, ADis.rcItem.bottom);
  canvas->Font()->Assign(box->Style()->GetVisibleTextFont());
  bool enabled = box->Enabled() && item->Enabled();
  TColor listColor = box->ViewInfo()->BackgroundColor;
  Integer textOffset = GetItemTextOffset();
  TCheckMetrics m = MetricsOf(this);
  // The check and image part.
  cx.FillRectColor(TRect(r.Left, r.Top, r.Left + textOffset, r.Bottom), listColor);
  if (m.Checks) {
    TcxCheckPaintParams p;
    p.State = item->State();
    p.NullStyle = nssGrayedChecked;
    p.ButtonState = !enabled                         ? cxcbsDisabled
                    : index == FPressedCheckIndex    ? cxcbsPressed
                    : index == FHotCheckIndex        ? cxcbsHot
                                                     : cxcbsNormal;
    p.DrawBackground = true;
    p.BackgroundColor = listColor;
    p.BorderColor = clBtnText;
    p.NativeStyle = box->IsNativeLook();
    p.BorderStyle = box->CheckBorderStyle();
    if (p.BorderStyle == ebsFlat && (p.ButtonState == cxcbsHot || p.ButtonState == cxcbsPressed)) p.BorderStyle = ebs3D;
    p.GlyphCount = FGlyphCount;
    p.Glyph = FGlyph.get();
    p.AllowGrayed = FAllowGrayed;
    cxPaintEditCheckBox(&cx, cxInflatedRect(CheckRect(index), m.Inset, m.Inset), p);
  }
  if (TCustomImageList* images = box->Images())
    if (item->ImageIndex() >= 0 && item->ImageIndex() < images->Count()) {
      TRect ir = ImageRect(r);
      images->Draw(canvas, ir.Left, ir.Top, item->ImageIndex(), enabled);
    }
  // The text part.
  bool selected = (ADis.itemState & ODS_SELECTED) && !ComponentState().Contains(csDesigning);
  TColor back = selected ? clHighlight : listColor;
  TColor text = selected ? clHighlightText : box->Style()->TextColor();
  if (!enabled) text = box->StyleDisabled()->TextColor();
  TRect textRect(r.Left + textOffset, r.Top, r.Right, r.Bottom);
  cx.FillRectColor(textRect, back);
  TRect tr = cxInflatedRectSides(textRect, -TextIndent, 0, 0, 0);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(text);
  UINT flags = DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
  if (box->TabWidth() >= 1) flags |= DT_EXPANDTABS | DT_TABSTOP | (UINT(box->TabWidth()) << 8);
  cxDrawTextInRect(ADis.hDC, item->Text(), tr, flags);
  canvas->Brush()->SetStyle(bsSolid);
  if (ADis.itemState & ODS_FOCUS) {
    RECT fr = *textRect.AsRECT();
    ::DrawFocusRect(ADis.hDC, &fr);
  }
  if (box->OnDrawItem) {
    TItemDrawState state;
    if (ADis.itemState & ODS_SELECTED) state.Include(odsSelected);
    if (ADis.itemState & ODS_FOCUS) state.Include(odsFocused);
    box->OnDrawItem(box, index, r, state);
  }
  canvas->SetHandle(nullptr);
}

// ---------------------------------------------------------------------------
// The control

TcxCustomCheckListBox::TcxCustomCheckListBox(TComponent* AOwner, const TcxDataBindingFactory& ABinding)
    : TcxContainer(AOwner), FEditValue(Variant(Int64(0))) {
  FDataBinding.reset(ABinding ? ABinding(this) : new TcxCustomDataBinding(this, this));
  FDataBinding->OnValueChanged = [this] { DataChange(); };
  FDataBinding->OnSourceChanged = [this] {
    if (!IsDestroying()) Invalidate();
  };
  FDataBinding->OnStoreValue = [this] { UpdateData(); };
  FInnerCheckListBox = new TcxCustomInnerCheckListBox(this);
  FInnerCheckListBox->SetContainer(this);
  FInnerCheckListBox->LookAndFeel()->SetMaster(LookAndFeel());
  FInnerCheckListBox->SetParent(this);
  SetInnerControl(FInnerCheckListBox);
  FDataBinding->AssignVisualControl(FInnerCheckListBox);
  SetBounds(Left(), Top(), 121, 97);
  UpdateLook();
  FImageChangeLink = std::make_unique<TChangeLink>();
  FImageChangeLink->OnChange = [this](TObject*) { FInnerCheckListBox->Remeasure(); };
}

TcxCustomCheckListBox::~TcxCustomCheckListBox() {
  if (FImages) FImages->UnRegisterChanges(FImageChangeLink.get());
  FDataBinding->OnValueChanged = nullptr;
  FDataBinding->OnSourceChanged = nullptr;
  FDataBinding->OnStoreValue = nullptr;
  FImageChangeLink.reset();
  FDataBinding.reset();
}

void TcxCustomCheckListBox::SetItems(TcxCheckListBoxItems* Value) {
  Items()->Assign(Value);
  DataChange();
}

void TcxCustomCheckListBox::UpdateLook() {
  TcxLookAndFeel* lf = LookAndFeel();
  switch (lf->Kind()) {
    case lfFlat:
      FCheckBorderStyle = ebsFlat;
      break;
    case lfStandard:
      FCheckBorderStyle = ebs3D;
      break;
    case lfOffice11:
      FCheckBorderStyle = ebsOffice11;
      break;
    default:
      FCheckBorderStyle = ebsUltraFlat;
  }
  FNativeLook = lf->NativeStyle() && dxVisualStylesEnabled() && dxCanUseTheme(totButton) && dxCanUseTheme(totComboBox);
}

void TcxCustomCheckListBox::LookAndFeelChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) {
  TcxContainer::LookAndFeelChanged(Sender, AChangedValues);
  UpdateLook();
  FInnerCheckListBox->Remeasure();
}

bool TcxCustomCheckListBox::RequestEditMode() { return FDataBinding->SetEditMode(); }

void TcxCustomCheckListBox::StatesFromEditValue() {
  TcxCheckStates states(size_t(Items()->Count()), cbsUnchecked);
  if (OnEditValueToCheckStates)
    OnEditValueToCheckStates(this, FEditValue, states);
  else
    cxEditValueToCheckStates(FEditValue, Items(), FEditValueFormat, states);
  states.resize(size_t(Items()->Count()), cbsUnchecked);
  Items()->LockStates(true);
  try {
    for (Integer i = 0; i < Items()->Count(); ++i) Items()->Items(i)->SetState(states[size_t(i)]);
  } catch (...) {
    Items()->LockStates(false, false);
    throw;
  }
  Items()->LockStates(false, false);
}

void TcxCustomCheckListBox::EditValueFromStates() {
  TcxCheckStates states;
  for (Integer i = 0; i < Items()->Count(); ++i) states.push_back(Items()->Items(i)->State());
  Variant value;
  if (OnCheckStatesToEditValue)
    OnCheckStatesToEditValue(this, states, value);
  else
    cxCheckStatesToEditValue(states, Items(), FEditValueFormat, value);
  bool changed = OnEditValueChanged && !cxVarSameTypeAndValue(value, FEditValue);
  FEditValue = value;
  FModified = true;
  if (changed) FireEditValueChanged();
}

void TcxCustomCheckListBox::TakeEditValue(const Variant& AValue) {
  FModified = false;
  bool changed = OnEditValueChanged && !cxVarSameTypeAndValue(AValue, FEditValue);
  FEditValue = AValue;
  StatesFromEditValue();
  if (changed) FireEditValueChanged();
}

void TcxCustomCheckListBox::FireEditValueChanged() { cxCallNotifyEvent(this, OnEditValueChanged); }

void TcxCustomCheckListBox::SetEditValueFormat(TcxCheckStatesValueFormat Value) {
  if (FEditValueFormat == Value) return;
  FEditValueFormat = Value;
  if (FModified) {
    if (Value == cvfInteger) {
      Items()->LockStates(true);
      for (Integer i = 0; i < Items()->Count(); ++i)
        if (Items()->Items(i)->State() == cbsGrayed) Items()->Items(i)->SetState(cbsUnchecked);
      Items()->LockStates(false, false);
    }
    EditValueFromStates();
  } else {
    StatesFromEditValue();
  }
}

void TcxCustomCheckListBox::ToggleItem(Integer AIndex) {
  if (AIndex < 0 || AIndex >= Items()->Count()) return;
  TcxCheckListBoxItem* item = Items()->Items(AIndex);
  if (!item->Enabled()) return;
  if (Focused() && !FDataBinding->SetEditMode()) return;
  TcxCheckBoxState prev = item->State(), next;
  switch (prev) {
    case cbsUnchecked:
      next = AllowGrayed() && FEditValueFormat != cvfInteger ? cbsGrayed : cbsChecked;
      break;
    case cbsChecked:
      next = cbsUnchecked;
      break;
    default:
      next = cbsChecked;
  }
  item->SetState(next);
  FInnerCheckListBox->NotifyCheckClicked(AIndex, prev, next);
}

bool TcxCustomCheckListBox::IsNumericEditValue(const Variant& AValue, bool AAllowEmpty) {
  if (AValue.IsEmpty() || AValue.IsNull() || (VarIsStr(AValue) && AValue.AsString().empty())) return AAllowEmpty;
  if (VarIsNumeric(AValue)) return true;
  if (!VarIsStr(AValue)) return false;
  String s = AValue.AsString();
  return cxIsIntegerString(s) || cxIsFloatString(s);
}

void TcxCustomCheckListBox::SortItems() {
  if (FSorting) return;
  FSorting = true;
  try {
    std::vector<TcxCheckListBoxItem*> order;
    for (Integer i = 0; i < Items()->Count(); ++i) order.push_back(Items()->Items(i));
    std::stable_sort(order.begin(), order.end(), [](TcxCheckListBoxItem* a, TcxCheckListBoxItem* b) {
      return AnsiCompareText(a->Text(), b->Text()) < 0;
    });
    Items()->BeginUpdate();
    for (Integer i = 0; i < Integer(order.size()); ++i) order[size_t(i)]->SetIndex(i);
    Items()->EndUpdate();
  } catch (...) {
    FSorting = false;
    throw;
  }
  FSorting = false;
  FInnerCheckListBox->InvalidateClient();
}

void TcxCustomCheckListBox::SetShowChecks(bool Value) {
  if (FShowChecks == Value) return;
  FShowChecks = Value;
  FInnerCheckListBox->Remeasure();
  DataChange();
}

void TcxCustomCheckListBox::SetSorted(bool Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (Value) SortItems();
}

void TcxCustomCheckListBox::SetImageLayout(TcxCheckListBoxImageLayout Value) {
  if (FImageLayout == Value) return;
  FImageLayout = Value;
  FInnerCheckListBox->InvalidateClient();
}

void TcxCustomCheckListBox::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImageChangeLink.get());
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImageChangeLink.get());
    FImages->FreeNotification(this);
  }
  FInnerCheckListBox->Remeasure();
}

void TcxCustomCheckListBox::SetTabWidth(Integer Value) {
  if (FTabWidth == Value) return;
  FTabWidth = Value;
  FInnerCheckListBox->InvalidateClient();
}

void TcxCustomCheckListBox::SetScrollWidth(Integer Value) {
  FScrollWidth = Value;
  if (FInnerCheckListBox->HandleAllocated())
    SendMessageW(FInnerCheckListBox->Handle(), LB_SETHORIZONTALEXTENT, WPARAM(std::max<Integer>(Value, 0)), 0);
}

void TcxCustomCheckListBox::SetIntegralHeight(bool Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  if (Value) AdjustHeightToRows();
}

void TcxCustomCheckListBox::AdjustHeightToRows() {
  if (!FIntegralHeight || FAdjustingHeight || ComponentState().Contains(csLoading)) return;
  TAlign a = Align();
  if (a == alLeft || a == alRight || a == alClient) return;
  TRect extent;
  GetBorderExtent(extent);
  Integer border = extent.Top + extent.Bottom;
  Integer itemHeight = std::max<Integer>(FInnerCheckListBox->CalcItemHeight(), 1);
  Integer want = Height();
  Integer lines = Items()->Count();
  Integer result = border + itemHeight, previous = result;
  for (Integer rows = 1; rows < 10000; ++rows) {
    Integer total = border + rows * itemHeight;
    Integer clientWidth = Width() - extent.Left - extent.Right - (lines > rows ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    if (FScrollWidth > 0 && clientWidth < FScrollWidth + 4) total += GetSystemMetrics(SM_CYHSCROLL);
    if (total == want) {
      result = total;
      break;
    }
    if (total > want) {
      result = rows == 1 ? total : previous;
      break;
    }
    previous = total;
  }
  if (result == Height()) return;
  FAdjustingHeight = true;
  try {
    SetHeight(result);
  } catch (...) {
    FAdjustingHeight = false;
    throw;
  }
  FAdjustingHeight = false;
}

void TcxCustomCheckListBox::Resize() {
  TcxContainer::Resize();
  AdjustHeightToRows();
}

void TcxCustomCheckListBox::Dispatch(TMessage& Message) {
  TcxContainer::Dispatch(Message);
  if (Message.Msg == CM_FONTCHANGED) {
    FInnerCheckListBox->Remeasure();
    AdjustHeightToRows();
  }
}

Integer TcxCustomCheckListBox::CalcHeightForRows(Integer ARowCount) {
  TRect extent;
  GetBorderExtent(extent);
  return ARowCount * FInnerCheckListBox->CalcItemHeight() + extent.Top + extent.Bottom;
}

Integer TcxCustomCheckListBox::CalcItemWidth(Integer AIndex) {
  TRect extent;
  GetBorderExtent(extent);
  TcxScreenCanvas* sc = cxSharedScreenCanvas();
  sc->Font()->Assign(Style()->GetVisibleTextFont());
  return extent.Left + extent.Right + FInnerCheckListBox->GetItemTextOffset() +
         sc->TextWidth(Items()->Items(AIndex)->Text()) + TextWidthExtra;
}

void TcxCustomCheckListBox::Loaded() {
  TcxContainer::Loaded();
  DataChange();
  // The window is made anew with what the form file set (OnMeasureItem).
  if (FInnerCheckListBox->HandleAllocated()) FInnerCheckListBox->RecreateWnd();
}

void TcxCustomCheckListBox::Notification(TComponent* AComponent, TOperation Operation) {
  TcxContainer::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TcxCustomCheckListBox::DataChange() {
  if (IsDestroying()) return;
  if (FShowChecks) {
    TakeEditValue(FDataBinding->GetStoredValue(0, Focused()));
    return;
  }
  Integer index = -1;
  if (FDataBinding->IsDataAvailable())
    index = Items()->IndexOfText(VarToStrDef(FDataBinding->GetStoredValue(1, Focused()), ""));
  if (FInnerCheckListBox->HandleAllocated()) FInnerCheckListBox->SetItemIndex(index);
}

void TcxCustomCheckListBox::UpdateData() {
  if (FShowChecks) {
    FDataBinding->SetStoredValue(0, FEditValue);
    return;
  }
  Integer index = FInnerCheckListBox->ItemIndex();
  FDataBinding->SetStoredValue(1, Variant(index >= 0 ? Items()->Items(index)->Text() : String()));
}

void TcxCustomCheckListBox::DoExit() {
  if (!IsDestroying() && !FExiting) {
    FExiting = true;
    try {
      FDataBinding->UpdateRecord();
    } catch (...) {
      FExiting = false;
      SetFocus();
      throw;
    }
    FExiting = false;
  }
  TcxContainer::DoExit();
}

void TcxCustomCheckListBox::KeyDown(Word& Key, TShiftState Shift) {
  TcxContainer::KeyDown(Key, Shift);
  if (Key >= VK_PRIOR && Key <= VK_DOWN && !FShowChecks && !RequestEditMode()) Key = 0;
}

void TcxCustomCheckListBox::KeyPress(char32_t& Key) {
  TcxContainer::KeyPress(Key);
  if (Key == 27) {
    FDataBinding->Reset();
  } else if (Key >= 32 && !FShowChecks && !RequestEditMode()) {
    Key = 0;
  }
}

bool TcxCustomInnerCheckListBox::ExecuteAction(TBasicAction* Action) {
  if (TcxCustomInnerListBox::ExecuteAction(Action)) return true;
  TcxCustomCheckListBox* list = CheckListBox();
  return list && list->GetDataBinding()->ExecuteAction(Action);
}

bool TcxCustomInnerCheckListBox::UpdateAction(TBasicAction* Action) {
  if (TcxCustomInnerListBox::UpdateAction(Action)) return true;
  TcxCustomCheckListBox* list = CheckListBox();
  return list && list->GetDataBinding()->UpdateAction(Action);
}

bool TcxCustomCheckListBox::ExecuteAction(TBasicAction* Action) {
  return TcxContainer::ExecuteAction(Action) || FDataBinding->ExecuteAction(Action);
}

bool TcxCustomCheckListBox::UpdateAction(TBasicAction* Action) {
  return TcxContainer::UpdateAction(Action) || FDataBinding->UpdateAction(Action);
}

TOVANI_PUBLISHED(TcxCheckListBoxItem) {
  Property("Text", &TcxCheckListBoxItem::Text, &TcxCheckListBoxItem::SetText);
  Property("State", &TcxCheckListBoxItem::State, &TcxCheckListBoxItem::SetState).Default(cbsUnchecked);
  Property("Enabled", &TcxCheckListBoxItem::Enabled, &TcxCheckListBoxItem::SetEnabled).Default(true);
  Property("ImageIndex", &TcxCheckListBoxItem::ImageIndex, &TcxCheckListBoxItem::SetImageIndex).Default(-1);
  Property("Tag", &TcxCheckListBoxItem::Tag, &TcxCheckListBoxItem::SetTag).Default(0);
}

TOVANI_PUBLISHED(TcxCustomCheckListBox) {
  Property("AllowDblClickToggle", &TcxCustomCheckListBox::AllowDblClickToggle,
           &TcxCustomCheckListBox::SetAllowDblClickToggle)
      .Default(true);
  Property("AllowGrayed", &TcxCustomCheckListBox::AllowGrayed, &TcxCustomCheckListBox::SetAllowGrayed).Default(false);
  Property("AutoComplete", &TcxCustomCheckListBox::AutoComplete, &TcxCustomCheckListBox::SetAutoComplete)
      .Default(true);
  Property("Columns", &TcxCustomCheckListBox::Columns, &TcxCustomCheckListBox::SetColumns).Default(0);
  Property("EditValueFormat", &TcxCustomCheckListBox::EditValueFormat, &TcxCustomCheckListBox::SetEditValueFormat)
      .Default(cvfInteger);
  Property("GlyphCount", &TcxCustomCheckListBox::GlyphCount, &TcxCustomCheckListBox::SetGlyphCount).Default(6);
  Property("IntegralHeight", &TcxCustomCheckListBox::IntegralHeight, &TcxCustomCheckListBox::SetIntegralHeight)
      .Default(false);
  Property("ImageLayout", &TcxCustomCheckListBox::ImageLayout, &TcxCustomCheckListBox::SetImageLayout)
      .Default(ilBeforeChecks);
  Property("Images", &TcxCustomCheckListBox::Images, &TcxCustomCheckListBox::SetImages);
  Property<TcxCheckListBoxItems*>(
      "Items", [](TcxCustomCheckListBox* c) { return c->Items(); },
      [](TcxCustomCheckListBox* c, TcxCheckListBoxItems* v) { c->SetItems(v); });
  Property("ReadOnly", &TcxCustomCheckListBox::ReadOnly, &TcxCustomCheckListBox::SetReadOnly).Default(false);
  Property("ScrollWidth", &TcxCustomCheckListBox::ScrollWidth, &TcxCustomCheckListBox::SetScrollWidth).Default(0);
  Property("ShowChecks", &TcxCustomCheckListBox::ShowChecks, &TcxCustomCheckListBox::SetShowChecks).Default(true);
  Property("Sorted", &TcxCustomCheckListBox::Sorted, &TcxCustomCheckListBox::SetSorted).Default(false);
  Property("TabWidth", &TcxCustomCheckListBox::TabWidth, &TcxCustomCheckListBox::SetTabWidth).Default(0);
  Property<TcxContainerStyle*>(
      "Style", [](TcxCustomCheckListBox* c) { return c->Style(); },
      [](TcxCustomCheckListBox* c, TcxContainerStyle* v) { c->SetStyle(v); });
  Property("OnCheckStatesToEditValue", &TcxCustomCheckListBox::OnCheckStatesToEditValue);
  Property("OnEditValueToCheckStates", &TcxCustomCheckListBox::OnEditValueToCheckStates);
  Property("OnDrawItem", &TcxCustomCheckListBox::OnDrawItem);
  Property("OnMeasureItem", &TcxCustomCheckListBox::OnMeasureItem);
  Property<TcxClickCheckEvent>(
      "OnClickCheck", [](TcxCustomCheckListBox* c) { return c->OnClickCheck(); },
      [](TcxCustomCheckListBox* c, const TcxClickCheckEvent& v) { c->OnClickCheck() = v; });
}
