#include "cxDropDownEdit.h"

#include <algorithm>

#include "SysUtils.h"
#include "Utf8.h"
#include "cxVariants.h"

TOVANI_IMPLEMENT_CLASS(TcxEditPopupControlLookAndFeel, TcxLookAndFeel)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomDropDownEditProperties, TcxCustomMaskEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomDropDownEditViewData, TcxCustomTextEditViewData)
TOVANI_IMPLEMENT_CLASS(TcxCustomDropDownEditData, TcxCustomEditData)
TOVANI_IMPLEMENT_CLASS(TcxCustomDropDownEdit, TcxCustomMaskEdit)
TOVANI_IMPLEMENT_CLASS(TcxFilterDropDownEditHelper, TcxFilterMaskEditHelper)

namespace {
const TcxFilterDropDownEditHelper GDropDownHelper;
const bool GDropDownHelperRegistered =
    (cxRegisterFilterEditHelper(TcxFilterDropDownEditHelper::StaticClass(), &GDropDownHelper), true);

struct TDropDownFlagGuard {
  bool& F;
  bool Old;
  TDropDownFlagGuard(bool& AF, bool AValue) : F(AF), Old(AF) { F = AValue; }
  ~TDropDownFlagGuard() { F = Old; }
};
}  // namespace

// ---------------------------------------------------------------------------
// The look-and-feel of the controls inside the popup

TcxEditPopupControlLookAndFeel::TcxEditPopupControlLookAndFeel(TcxCustomDropDownEdit* AEdit)
    : TcxLookAndFeel(nullptr), FEdit(AEdit) {}

TcxLookAndFeelKind TcxEditPopupControlLookAndFeel::EffectiveKind() { return FEdit->Style()->LookAndFeel()->Kind(); }

bool TcxEditPopupControlLookAndFeel::EffectiveNativeStyle() { return FEdit->GetViewInfo()->NativeStyle; }

String TcxEditPopupControlLookAndFeel::EffectiveSkinName() { return FEdit->Style()->LookAndFeel()->SkinName(); }

void TcxEditPopupControlLookAndFeel::Refresh() {
  bool changed = false;
  if (Kind() != EffectiveKind()) {
    SetKind(EffectiveKind());
    changed = true;
  }
  if (NativeStyle() != EffectiveNativeStyle()) {
    SetNativeStyle(EffectiveNativeStyle());
    changed = true;
  }
  if (SkinName() != EffectiveSkinName()) {
    SetSkinName(EffectiveSkinName());
    changed = true;
  }
  if (changed && OnPopupLookAndFeelChanged) OnPopupLookAndFeelChanged();
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomDropDownEditProperties::TcxCustomDropDownEditProperties(TPersistent* AOwner)
    : TcxCustomMaskEditProperties(AOwner) {
  FImmediateDropDown = true;
  Buttons()->Add()->SetKind(bkDown);
  FGlyphButtonIndex = GetDropDownButtonIndex();
  FPopupOrientation = 1;
  FPopupHorzAlign = 0;
  FPopupVertAlign = 2;
  FPopupAutoSize = true;
}

TClass TcxCustomDropDownEditProperties::GetContainerClass() { return TcxCustomDropDownEdit::StaticClass(); }

TcxCustomEditViewData* TcxCustomDropDownEditProperties::CreateViewData(TcxCustomEditStyle* AStyle, bool AIsInplace,
                                                                       bool APreviewMode) {
  auto* vd = new TcxCustomDropDownEditViewData(this, AStyle, AIsInplace);
  vd->PreviewMode = APreviewMode;
  return vd;
}

TcxEditPopupWindowFactory TcxCustomDropDownEditProperties::GetPopupWindowType() {
  return [](TWinControl* AOwner) { return new TcxCustomEditPopupWindow(AOwner); };
}

TBitmap* TcxCustomDropDownEditProperties::ButtonGlyph() {
  if (FGlyphButtonIndex < 0 || FGlyphButtonIndex >= Buttons()->Count()) return nullptr;
  return Buttons()->Items(FGlyphButtonIndex)->Glyph();
}

void TcxCustomDropDownEditProperties::SetButtonGlyph(TBitmap* Value) {
  if (FGlyphButtonIndex < 0 || FGlyphButtonIndex >= Buttons()->Count()) return;
  TcxEditButton* b = Buttons()->Items(FGlyphButtonIndex);
  b->SetGlyph(Value);
  bool empty = !Value || Value->Empty();
  if (!empty)
    b->SetKind(bkGlyph);
  else if (b->Kind() == bkGlyph)
    b->SetKind(bkDown);
}

void TcxCustomDropDownEditProperties::SetGlyphButtonIndex(Integer Value) {
  if (Value == FGlyphButtonIndex) return;
  if (Value >= 0 && Value < Buttons()->Count()) {
    TcxEditButton* to = Buttons()->Items(Value);
    if (FGlyphButtonIndex >= 0 && FGlyphButtonIndex < Buttons()->Count()) {
      TcxEditButton* from = Buttons()->Items(FGlyphButtonIndex);
      to->SetGlyph(from->Glyph());
      from->SetGlyph(nullptr);
    }
    to->SetKind(bkGlyph);
  }
  FGlyphButtonIndex = Value;
}

void TcxCustomDropDownEditProperties::CheckGlyphButton() {
  if (FGlyphButtonIndex < 0 || FGlyphButtonIndex >= Buttons()->Count()) return;
  TcxEditButton* b = Buttons()->Items(FGlyphButtonIndex);
  bool empty = !b->HasGlyph() || b->Glyph()->Empty();
  if (!empty && b->Kind() != bkGlyph)
    b->SetKind(bkGlyph);
  else if (empty && b->Kind() == bkGlyph)
    b->SetKind(bkDown);
}

void TcxCustomDropDownEditProperties::Changed() {
  if (!FChanging) {
    TDropDownFlagGuard g(FChanging, true);
    CheckGlyphButton();
  }
  TcxCustomMaskEditProperties::Changed();
}

TAlignment TcxCustomDropDownEditProperties::PopupAlignment() const {
  return FPopupHorzAlign == 1 ? taCenter : FPopupHorzAlign == 2 ? taRightJustify : taLeftJustify;
}

void TcxCustomDropDownEditProperties::SetPopupAlignment(TAlignment Value) {
  Integer v = Value == taCenter ? 1 : Value == taRightJustify ? 2 : 0;
  if (v == FPopupHorzAlign) return;
  FPopupHorzAlign = v;
  Changed();
}

void TcxCustomDropDownEditProperties::SetShowButtonPressedWhenOpen(bool Value) {
  if (FShowButtonPressedWhenOpen == Value) return;
  FShowButtonPressedWhenOpen = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupClientEdge(bool Value) {
  if (FPopupClientEdge == Value) return;
  FPopupClientEdge = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupSizeable(bool Value) {
  if (FPopupSizeable == Value) return;
  FPopupSizeable = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupSysPanelStyle(bool Value) {
  if (FPopupSysPanelStyle == Value) return;
  FPopupSysPanelStyle = Value;
  Changed();
}

void TcxCustomDropDownEditProperties::SetPopupWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value > 0 && Value < FPopupMinWidth) Value = FPopupMinWidth;
  FPopupWidth = Value;
}

void TcxCustomDropDownEditProperties::SetPopupHeight(Integer Value) {
  if (Value < FPopupMinHeight) Value = FPopupMinHeight;
  FPopupHeight = Value;
}

void TcxCustomDropDownEditProperties::SetPopupMinWidth(Integer Value) {
  FPopupMinWidth = std::max<Integer>(Value, 0);
  SetPopupWidth(FPopupWidth);
}

void TcxCustomDropDownEditProperties::SetPopupMinHeight(Integer Value) {
  FPopupMinHeight = std::max<Integer>(Value, 0);
  SetPopupHeight(FPopupHeight);
}

void TcxCustomDropDownEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomDropDownEditProperties*>(Source);
  if (!s) {
    TcxCustomMaskEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomMaskEditProperties::Assign(Source);
    SetButtonGlyph(s->ButtonGlyph());
    SetImmediateDropDown(s->ImmediateDropDown());
    SetImmediatePopup(s->ImmediatePopup());
    SetShowButtonPressedWhenOpen(s->ShowButtonPressedWhenOpen());
    SetPopupAutoSize(s->PopupAutoSize());
    SetPopupClientEdge(s->PopupClientEdge());
    SetPopupOrientation(s->PopupOrientation());
    SetPopupMinHeight(s->PopupMinHeight());
    SetPopupMinWidth(s->PopupMinWidth());
    SetPopupHeight(s->PopupHeight());
    SetPopupHorzAlign(s->PopupHorzAlign());
    SetPopupSizeable(s->PopupSizeable());
    SetPopupSysPanelStyle(s->PopupSysPanelStyle());
    SetPopupVertAlign(s->PopupVertAlign());
    SetPopupWidth(s->PopupWidth());
    SetPostPopupValueOnTab(s->PostPopupValueOnTab());
    OnClosePopup = s->OnClosePopup;
    OnCloseQuery = s->OnCloseQuery;
    OnCloseUp = s->OnCloseUp;
    OnInitPopup = s->OnInitPopup;
    OnPopup = s->OnPopup;
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TOVANI_PUBLISHED(TcxCustomDropDownEditProperties) {
  Property("ImmediateDropDown", &TcxCustomDropDownEditProperties::ImmediateDropDown,
           &TcxCustomDropDownEditProperties::SetImmediateDropDown)
      .Default(true);
  Property("ImmediatePopup", &TcxCustomDropDownEditProperties::ImmediatePopup,
           &TcxCustomDropDownEditProperties::SetImmediatePopup)
      .Default(false);
  Property("PopupAlignment", &TcxCustomDropDownEditProperties::PopupAlignment,
           &TcxCustomDropDownEditProperties::SetPopupAlignment)
      .Default(taLeftJustify);
  Property("PopupAutoSize", &TcxCustomDropDownEditProperties::PopupAutoSize,
           &TcxCustomDropDownEditProperties::SetPopupAutoSize)
      .Default(true);
  Property("PopupClientEdge", &TcxCustomDropDownEditProperties::PopupClientEdge,
           &TcxCustomDropDownEditProperties::SetPopupClientEdge)
      .Default(false);
  Property("PopupMinHeight", &TcxCustomDropDownEditProperties::PopupMinHeight,
           &TcxCustomDropDownEditProperties::SetPopupMinHeight)
      .Default(0);
  Property("PopupMinWidth", &TcxCustomDropDownEditProperties::PopupMinWidth,
           &TcxCustomDropDownEditProperties::SetPopupMinWidth)
      .Default(0);
  Property("PopupHeight", &TcxCustomDropDownEditProperties::PopupHeight,
           &TcxCustomDropDownEditProperties::SetPopupHeight)
      .Default(0);
  Property("PopupWidth", &TcxCustomDropDownEditProperties::PopupWidth, &TcxCustomDropDownEditProperties::SetPopupWidth)
      .Default(0);
  Property("PopupSizeable", &TcxCustomDropDownEditProperties::PopupSizeable,
           &TcxCustomDropDownEditProperties::SetPopupSizeable)
      .Default(false);
  Property("PopupSysPanelStyle", &TcxCustomDropDownEditProperties::PopupSysPanelStyle,
           &TcxCustomDropDownEditProperties::SetPopupSysPanelStyle)
      .Default(false);
  Property("PostPopupValueOnTab", &TcxCustomDropDownEditProperties::PostPopupValueOnTab,
           &TcxCustomDropDownEditProperties::SetPostPopupValueOnTab)
      .Default(false);
  Property("OnCloseQuery", &TcxCustomDropDownEditProperties::OnCloseQuery);
  Property("OnCloseUp", &TcxCustomDropDownEditProperties::OnCloseUp);
  Property("OnInitPopup", &TcxCustomDropDownEditProperties::OnInitPopup);
  Property("OnPopup", &TcxCustomDropDownEditProperties::OnPopup);
}

// ---------------------------------------------------------------------------
// View data

bool TcxCustomDropDownEditViewData::IsDropDownButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) {
  if (AButtonVisibleIndex < 0 || AButtonVisibleIndex >= AViewInfo->ButtonCount()) return false;
  auto* p = dynamic_cast<TcxCustomDropDownEditProperties*>(Properties);
  return p && AViewInfo->ButtonsInfo[AButtonVisibleIndex]->ButtonIndex == p->GetDropDownButtonIndex();
}

void TcxCustomDropDownEditViewData::Calculate(TcxCanvas* ACanvas, const TRect& ABounds, TPoint P, Integer AButton,
                                              TShiftState Shift, TcxCustomEditViewInfo* AViewInfo,
                                              bool AIsMouseEvent) {
  auto* p = dynamic_cast<TcxCustomDropDownEditProperties*>(Properties);
  ButtonPressedWhileOpen = (p && p->ShowButtonPressedWhenOpen()) || (NativeStyle && cxDwmCompositionOn());
  TcxCustomTextEditViewData::Calculate(ACanvas, ABounds, P, AButton, Shift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(AViewInfo);
  if (!vi) return;
  // A focused fixed list shows its text on a selection bar while the list
  // is closed, unless the typed prefix is being kept.
  auto* edit = dynamic_cast<TcxCustomTextEdit*>(Edit);
  bool keepsPrefix = edit && edit->LookupSelection() && p && p->KeepFixedListPrefix();
  vi->DrawSelectionBar = InputMode() == timFixedList && !IsInplace && Focused && !vi->Transparent && !HasPopupWindow &&
                         !(NativeStyle && cxDwmCompositionOn()) && !keepsPrefix;
}

// A click on the button of an open popup closes it (through the popup's
// hooks) and does not show the button pressed or open it again.
bool TcxCustomDropDownEditViewData::CanPressButton(TcxCustomEditViewInfo* AViewInfo, Integer AButtonVisibleIndex) {
  if (IsHotAndPopup && IsDropDownButton(AViewInfo, AButtonVisibleIndex)) return false;
  return TcxCustomTextEditViewData::CanPressButton(AViewInfo, AButtonVisibleIndex);
}

bool TcxCustomDropDownEditViewData::IsButtonForcedPressed(TcxCustomEditViewInfo* AViewInfo,
                                                          Integer AButtonVisibleIndex) {
  if (TcxCustomTextEditViewData::IsButtonForcedPressed(AViewInfo, AButtonVisibleIndex)) return true;
  return (HasPopupWindow || IsHotAndPopup) && ButtonPressedWhileOpen && IsDropDownButton(AViewInfo, AButtonVisibleIndex);
}

// ---------------------------------------------------------------------------
// The editor

TcxCustomDropDownEdit::TcxCustomDropDownEdit(TComponent* AOwner, bool AIsInplace,
                                             const TcxEditPropertiesFactory& AProperties)
    : TcxCustomMaskEdit(AOwner, AIsInplace,
                        AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                          return new TcxCustomDropDownEditProperties(O);
                        }) {
  if (!ComponentState().Contains(csDesigning)) BuildPopupWindow();
  FPopupControlsLookAndFeel = std::make_unique<TcxEditPopupControlLookAndFeel>(this);
  FPopupControlsLookAndFeel->OnPopupLookAndFeelChanged = [this] { PopupLookAndFeelChanged(); };
  InplaceTimer()->SetOnTimer([this](TObject*) { InplaceTimerFired(); });
}

TcxCustomDropDownEdit::~TcxCustomDropDownEdit() {
  if (IcxTextEditLookupData* lookup = PopupLookup()) lookup->ReleaseLookup();
  CancelPendingPopup();
  if (FPopupWindow) {
    // The window goes silently: the editor is no longer there to hear it.
    FPopupWindow->OnClosed = nullptr;
    FPopupWindow->OnClosing = nullptr;
    FPopupWindow->OnShowed = nullptr;
    FPopupWindow->OnShowing = nullptr;
    FPopupWindow->OnCloseQuery = nullptr;
    if (FPopupWindow->IsOpen()) FPopupWindow->ClosePopup();
    FPopupWindow.reset();
  }
  FPopupControlsLookAndFeel.reset();
}

void TcxCustomDropDownEdit::BuildPopupWindow() {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  FPopupWindow.reset(p->GetPopupWindowType()(this));
  FPopupWindow->SetCaptureFocus(p->PopupTakesFocus());
  FPopupWindow->SetIsTopMost(!IsInplace());
  FPopupWindow->Style()->LookAndFeel()->SetMaster(Style()->LookAndFeel());
  FPopupWindow->OnCloseQuery = [this](TObject*, bool& CanClose) { HandlePopupCloseQuery(CanClose); };
  FPopupWindow->OnClosed = [this](TObject*) { HandlePopupClosed(); };
  FPopupWindow->OnClosing = [this](TObject*) { HandlePopupClosing(); };
  FPopupWindow->OnShowed = [this](TObject*) { HandlePopupShown(); };
  FPopupWindow->OnShowing = [this](TObject*) { HandlePopupShowing(); };
}

bool TcxCustomDropDownEdit::HasPopupWindow() { return FPopupWindow && FPopupWindow->IsOpen(); }

bool TcxCustomDropDownEdit::Focused() { return TcxCustomMaskEdit::Focused() || HasPopupWindow(); }

bool TcxCustomDropDownEdit::IsPopupPending() {
  if (!FPopupWindow || !FPopupWindow->HandleAllocated()) return false;
  MSG m;
  return PeekMessageW(&m, FPopupWindow->Handle(), DXM_SHOWPOPUPWINDOW, DXM_SHOWPOPUPWINDOW, PM_NOREMOVE | PM_NOYIELD);
}

void TcxCustomDropDownEdit::SetDroppedDown(bool Value) {
  if (Value == HasPopupWindow()) return;
  if (Value) {
    if (!IsPopupPending()) DropDown();
  } else {
    CloseUp(pcrNone);
  }
}

void TcxCustomDropDownEdit::GetPopupOwnerBounds(TRect& R) {
  GetTrackingBounds(R);
  if (GetViewInfo()->Shadow) R.Right += 3;
  R = TRect(R.Left + Left(), R.Top + Top(), R.Right + Left(), R.Bottom + Top());
}

IcxTextEditLookupData* TcxCustomDropDownEdit::PopupLookup() {
  return ActiveProperties()->HasLookupData() ? QueryLookupData() : nullptr;
}

template <class F>
void TcxCustomDropDownEdit::WithLookupKeyWatch(F AAction) {
  IcxTextEditLookupData* lookup = PopupLookup();
  if (!lookup) return;
  Variant before = lookup->CurrentKey();
  HoldClick(true);
  try {
    AAction(lookup);
  } catch (...) {
    HoldClick(false);
    throw;
  }
  HoldClick(false);
  if (!cxVarEqualsStrict(before, lookup->CurrentKey())) MarkChangedAndClick();
}

bool TcxCustomDropDownEdit::PopupListFitsSize(TSize& AContentSize, const TSize& AMaxContentSize) {
  IcxTextEditLookupData* lookup = PopupLookup();
  if (!lookup || !ActiveProperties()->UsesPopupLookupList()) return true;
  return lookup->FitsListSize(AContentSize, AMaxContentSize.cy, AMaxContentSize.cx);
}

void TcxCustomDropDownEdit::FireEvent(TNotifyEvent TcxCustomDropDownEditProperties::*AEvent) {
  TcxCustomDropDownEditProperties* own = Properties();
  if (own->*AEvent) (own->*AEvent)(this);
  TcxCustomDropDownEditProperties* active = ActiveProperties();
  if (RepositoryItem() && active != own && active->*AEvent) (active->*AEvent)(this);
}

void TcxCustomDropDownEdit::InitializePopup() {
  FPopupInitialized = true;
  try {
    FireEvent(&TcxCustomDropDownEditProperties::OnInitPopup);
  } catch (...) {
    FPopupInitialized = false;
    throw;
  }
  if (IcxTextEditLookupData* lookup = PopupLookup()) lookup->PrepareLookup();
}

void TcxCustomDropDownEdit::FinalizePopup() {
  if (!FPopupInitialized) return;
  FPopupInitialized = false;
  // The list follows the current key again.
  if (IcxTextEditLookupData* lookup = PopupLookup()) lookup->RepositionOnKey();
  FireEvent(&TcxCustomDropDownEditProperties::OnPopupFinalized);
}

void TcxCustomDropDownEdit::NotifyPopup() {
  FCloseUpReason = pcrNone;
  FireEvent(&TcxCustomDropDownEditProperties::OnPopup);
}

void TcxCustomDropDownEdit::NotifyCloseUp() {
  NotifyClosePopup(Integer(FCloseUpReason));
  FireEvent(&TcxCustomDropDownEditProperties::OnCloseUp);
}

TWinControl* TcxCustomDropDownEdit::GetControlToFocusInPopup() {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (IcxTextEditLookupData* lookup = PopupLookup())
    if (p->UsesPopupLookupList() && p->PopupTakesFocus())
      if (auto* list = dynamic_cast<TWinControl*>(lookup->ListControl())) return list;
  return InnerTextEdit();
}

void TcxCustomDropDownEdit::AttachLookupToPopup() {
  if (!FPopupWindow || ComponentState().Contains(csDesigning) || !ActiveProperties()->UsesPopupLookupList()) return;
  if (IcxTextEditLookupData* lookup = PopupLookup()) lookup->CreateList(FPopupWindow.get());
}

void TcxCustomDropDownEdit::PlacePopupContent(const TRect& AClientRect) {
  if (!ActiveProperties()->UsesPopupLookupList()) return;
  if (IcxTextEditLookupData* lookup = PopupLookup()) lookup->PlaceList(AClientRect);
}

void TcxCustomDropDownEdit::ConfigurePopupWindow() {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  TcxCustomEditPopupWindow* w = FPopupWindow.get();
  w->SetOwnerParent(Parent());
  w->SetDirection(p->PopupOrientation() == 1 ? pflVertical : pflHorizontal);
  w->SetAlignHorz(TcxPopupHorzAlign(std::clamp<Integer>(p->PopupHorzAlign(), 0, 2)));
  w->SetAlignVert(TcxPopupVertAlign(std::clamp<Integer>(p->PopupVertAlign(), 0, 2)));
  w->SetPopupClientEdge(p->PopupClientEdge());
  w->SetPopupMinHeight(p->PopupMinHeight());
  w->SetPopupMinWidth(p->PopupMinWidth());
  w->SetPopupAutoSize(p->PopupAutoSize());
  w->SetPopupSizeable(p->PopupSizeable());
  w->SetPopupSysPanelStyle(p->PopupSysPanelStyle());
  TcxCustomDropDownEditData* data = DropDownEditData();
  if (IsInplace() && p->PopupSizeable() && data && data->Initialized) {
    w->SetPopupWidth(data->Width);
    w->SetPopupHeight(data->Height);
  } else {
    w->SetPopupWidth(p->PopupWidth());
    w->SetPopupHeight(p->PopupHeight());
  }
  w->SetCloseButton(GetCurrentStyle()->PopupCloseButton());
  TcxCustomEditViewInfo* vi = GetViewInfo();
  w->SetEditBorderStyle(Integer(vi->PopupBorderStyle));
  w->SetNativeStyle(vi->NativeStyle);
  w->SetShadow(vi->Shadow);
}

void TcxCustomDropDownEdit::PreparePopup() {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  TcxCustomEditPopupWindow* w = FPopupWindow.get();
  w->SetCaptureFocus(p->PopupTakesFocus());
  AttachLookupToPopup();
  ConfigurePopupWindow();
  TPoint pos;
  w->LockSizeCheck(true);
  try {
    pos = w->ComputePlacement();
  } catch (...) {
    w->LockSizeCheck(false);
    throw;
  }
  w->LockSizeCheck(false);
  w->SetBounds(pos.X, pos.Y, w->Width(), w->Height());
  w->RefreshLayout();
  w->HandleNeeded();
  w->UpdateWindowRegion();
}

void TcxCustomDropDownEdit::DropDown() {
  if (!FPopupWindow || !HandleAllocated() || !IsWindowVisible(Handle())) return;
  InitializePopup();
  if (!HasPopupContent()) {
    FinalizePopup();
    return;
  }
  PreparePopup();
  FPopupWindow->HandleNeeded();
  FPopupWindow->SetControlToFocus(GetControlToFocusInPopup());
  PostMessageW(FPopupWindow->Handle(), DXM_SHOWPOPUPWINDOW, 0, 0);
}

void TcxCustomDropDownEdit::CloseUp(TcxPopupCloseReason AReason) {
  if (!HasPopupWindow()) return;
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  HoldChangeEvents(true);
  try {
    // An accepting close takes the list's highlighted item.
    if (cxIsAcceptingCloseReason(AReason))
      if (IcxTextEditLookupData* lookup = PopupLookup()) {
        Variant before = lookup->CurrentKey();
        HoldClick(true);
        try {
          lookup->TakeListItem();
        } catch (...) {
          HoldClick(false);
          throw;
        }
        HoldClick(false);
        if (EditModified() && !cxVarEqualsStrict(before, lookup->CurrentKey())) MarkChangedAndClick();
      }
    if (cxIsAcceptingCloseReason(AReason) && !p->PostsOnPopupClose() && p->ImmediatePost() && CanPostValue())
      PostValue(true);
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  FCloseUpReason = AReason;
  FPopupWindow->ClosePopup();
}

void TcxCustomDropDownEdit::HandlePopupShown() {
  UpdateStateFromCursor();
  FPopupWindow->CalculateViewInfo();
  PlacePopupContent(FPopupWindow->ViewInfo()->ClientRect);
  FPopupWindow->UpdateWindowRegion();
  NotifyPopup();
  PrepareEditText();
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (IcxTextEditLookupData* lookup = PopupLookup())
    if (LookupSelection() && p->ImmediateDropDown() && p->PopupTakesFocus()) {
      String text;
      GetDisplayText(text);
      lookup->HintTypedText(text.substr(0, Utf8CharOffset(text, size_t(SelStart()))));
    }
  FPopupSizeChangedThisTime = false;
}

void TcxCustomDropDownEdit::HandlePopupClosed() {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (p->PopupSizeable() && FPopupSizeChangedThisTime) {
    TcxCustomDropDownEditData* data = DropDownEditData();
    if (IsInplace() && data) {
      data->Initialized = true;
      data->Width = FPopupWindow->Width();
      data->Height = FPopupWindow->Height();
    } else {
      p->SetPopupWidth(FPopupWindow->Width());
      p->SetPopupHeight(FPopupWindow->Height());
    }
  }
  FinalizePopup();
  NotifyCloseUp();
  HoldChangeEvents(true);
  try {
    if (p->PostsOnPopupClose() && p->ImmediatePost() && CanPostValue() && ValidateInput(true)) PostValue(false);
  } catch (...) {
    HoldChangeEvents(false);
    throw;
  }
  HoldChangeEvents(false);
  UpdateStateFromCursor();
  if (!HandleAllocated()) UpdateHotWhileOpen();
}

void TcxCustomDropDownEdit::HandlePopupCloseQuery(bool& CanClose) {
  TcxCustomDropDownEditProperties* own = Properties();
  if (own->OnCloseQuery) own->OnCloseQuery(this, CanClose);
  TcxCustomDropDownEditProperties* active = ActiveProperties();
  if (RepositoryItem() && active != own && active->OnCloseQuery) active->OnCloseQuery(this, CanClose);
}

void TcxCustomDropDownEdit::CancelPendingPopup() {
  if (!FPopupWindow || !FPopupWindow->HandleAllocated() || !IsPopupPending()) return;
  MSG m;
  while (PeekMessageW(&m, FPopupWindow->Handle(), DXM_SHOWPOPUPWINDOW, DXM_SHOWPOPUPWINDOW, PM_REMOVE | PM_NOYIELD))
    if (m.message == WM_QUIT) PostQuitMessage(Integer(m.wParam));
  HandlePopupClosed();
}

void TcxCustomDropDownEdit::SyncPopupListWithText() {
  if (!HasPopupWindow()) return;
  WithLookupKeyWatch([](IcxTextEditLookupData* L) { L->FollowText(); });
  IcxTextEditLookupData* lookup = PopupLookup();
  if (!lookup) return;
  switch (ActiveProperties()->GetTextInputMode()) {
    case timFreeText: {
      String text = Text();
      SetLookupSelection(Integer(Utf8Length(text)) == SelStart() && lookup->HasText(text));
      break;
    }
    case timFixedList:
      SetLookupSelection(true);
      break;
    default:
      break;
  }
}

void TcxCustomDropDownEdit::UpdateHotWhileOpen() {
  FIsHotAndPopup = HasPopupWindow() && State().Contains(csfHotTracked);
}

TcxCustomEditViewData* TcxCustomDropDownEdit::CreateViewData() {
  TcxCustomEditViewData* vd = TcxCustomMaskEdit::CreateViewData();
  if (auto* d = dynamic_cast<TcxCustomDropDownEditViewData*>(vd)) {
    d->HasPopupWindow = HasPopupWindow();
    d->IsHotAndPopup = FIsHotAndPopup;
  }
  return vd;
}

bool TcxCustomDropDownEdit::UpdateState(TPoint MousePos, Integer AButton, TShiftState Shift, bool AIsMouseEvent) {
  bool result = TcxCustomMaskEdit::UpdateState(MousePos, AButton, Shift, AIsMouseEvent);
  if (AIsMouseEvent && !(AButton == 2 && Shift.Contains(ssRight))) UpdateHotWhileOpen();
  if (FPopupControlsLookAndFeel) FPopupControlsLookAndFeel->Refresh();
  return result;
}

void TcxCustomDropDownEdit::ContainerStyleChanged(TObject* Sender) {
  if (HandleAllocated() && FPopupControlsLookAndFeel) FPopupControlsLookAndFeel->Refresh();
  TcxCustomMaskEdit::ContainerStyleChanged(Sender);
}

TcxContainerStyleValues TcxCustomDropDownEdit::GetUnusedStyleValues() {
  TcxContainerStyleValues v = TcxCustomMaskEdit::GetUnusedStyleValues();
  for (Integer i = 10; i <= 13; ++i) v.Exclude(TcxContainerStyleValue(i));
  return v;
}

void TcxCustomDropDownEdit::PropertiesChanged(TObject* Sender) {
  if (FPopupWindow) {
    if (!ActiveProperties()->PopupSizeable()) FPopupSizeChanged = false;
    if (HasPopupWindow()) PreparePopup();
  }
  TcxCustomMaskEdit::PropertiesChanged(Sender);
}

// Keys --------------------------------------------------------------------------------

void TcxCustomDropDownEdit::DoEditKeyDown(Word& Key, TShiftState Shift) {
  const bool alt = Shift.Contains(ssAlt);
  if (((Key == VK_UP || Key == VK_DOWN) && alt) || (Key == VK_F4 && !alt)) {
    if (HasPopupWindow())
      CloseUp(pcrToggle);
    else
      SetDroppedDown(true);
    Key = 0;
    return;
  }
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && !alt && HasPopupWindow()) {
    TcxPopupCloseReason reason = Key == VK_ESCAPE ? pcrCancel : RequestEditing() ? pcrAccept : pcrCancel;
    FDropNextEnterOrEsc = true;
    BeginPosting();
    try {
      CloseUp(reason);
    } catch (...) {
      EndPosting();
      throw;
    }
    EndPosting();
    if (!HasPopupWindow()) {
      if (Key == VK_ESCAPE && GetCapture() && (GetCapture() == Handle() || IsChild(Handle(), GetCapture())))
        ReleaseCapture();
      Key = 0;
      return;
    }
    // A close query kept the popup open: the key goes on.
    FDropNextEnterOrEsc = false;
  }
  TcxCustomMaskEdit::DoEditKeyDown(Key, Shift);
}

void TcxCustomDropDownEdit::KeyPress(char32_t& Key) {
  if (FDropNextEnterOrEsc && (Key == U'\r' || Key == 27)) {
    FDropNextEnterOrEsc = false;
    Key = 0;
    return;
  }
  FDropNextEnterOrEsc = false;
  TcxCustomMaskEdit::KeyPress(Key);
}

void TcxCustomDropDownEdit::DoEditKeyPress(char32_t& Key) {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (Key >= 32 && p->ImmediateDropDown() && !HasPopupWindow()) {
    SetDroppedDown(true);
    if (p->PopupTakesFocus() && Key != U'\r' && HasPopupContent() && GetControlToFocusInPopup() && FPopupWindow &&
        FPopupWindow->HandleAllocated()) {
      PostMessageW(FPopupWindow->Handle(), DXM_POPUPCHAR, WPARAM(Key), 0);
      Key = 0;
      return;
    }
  }
  TcxCustomMaskEdit::DoEditKeyPress(Key);
}

void TcxCustomDropDownEdit::BeforeTabExit(TShiftState Shift) {
  if (HasPopupWindow() && ActiveProperties()->PostPopupValueOnTab()) CloseUp(pcrTab);
  TcxCustomMaskEdit::BeforeTabExit(Shift);
}

bool TcxCustomDropDownEdit::WantsTabKey() {
  return (HasPopupWindow() && ActiveProperties()->PostPopupValueOnTab()) || TcxCustomMaskEdit::WantsTabKey();
}

// Mouse ---------------------------------------------------------------------------------

void TcxCustomDropDownEdit::DoButtonDown(Integer AButtonVisibleIndex) {
  TcxCustomMaskEdit::DoButtonDown(AButtonVisibleIndex);
  TcxCustomEditViewInfo* vi = GetViewInfo();
  if (AButtonVisibleIndex >= 0 && AButtonVisibleIndex < vi->ButtonCount() &&
      vi->ButtonsInfo[AButtonVisibleIndex]->ButtonIndex == ActiveProperties()->GetDropDownButtonIndex())
    SetDroppedDown(true);
}

void TcxCustomDropDownEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TcxCustomMaskEdit::MouseDown(Button, Shift, X, Y);
  if (FActivatingByMouse) return;
  if (ActiveProperties()->DropsDownOnClick() && Button == mbLeft &&
      GetViewInfo()->ClientRect.Contains(TPoint(X, Y)) && Focused() && !HasPopupWindow() && !FIsHotAndPopup)
    SetDroppedDown(true);
}

// The wheel over an open list scrolls the list.
bool TcxCustomDropDownEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TcxCustomMaskEdit::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  IcxTextEditLookupData* lookup = PopupLookup();
  if (!lookup || !AllowsLookupNavigation(1) || !HasPopupWindow() || lookup->NoItems()) return false;
  auto* list = dynamic_cast<TWinControl*>(lookup->ListControl());
  if (!list || !list->HandleAllocated()) return false;
  const DWORD keys = DWORD(cxShiftStateToMouseKeys(Shift)) & 0xFFFF;
  const DWORD delta = DWORD(WheelDelta) & 0xFFFF;
  const DWORD pos = (DWORD(MousePos.X) & 0xFFFF) | ((DWORD(MousePos.Y) & 0xFFFF) << 16);
  SendMessageW(list->Handle(), WM_MOUSEWHEEL, WPARAM(keys | (delta << 16)), LPARAM(pos));
  return true;
}

void TcxCustomDropDownEdit::PasteFromClipboard() {
  if (!TcxCustomMaskEdit::Focused()) {
    TcxCustomMaskEdit::PasteFromClipboard();
    return;
  }
  String before = Text();
  BeginPosting();
  try {
    TcxCustomMaskEdit::PasteFromClipboard();
  } catch (...) {
    EndPosting();
    throw;
  }
  EndPosting();
  if (Text() != before && ActiveProperties()->ImmediateDropDown() && !HasPopupWindow()) {
    SetDroppedDown(true);
    if (HandleAllocated()) PostMessageW(Handle(), DXM_SYNCPOPUPLIST, 0, 0);
  }
}

// Focus and window ------------------------------------------------------------------

void TcxCustomDropDownEdit::DoExit() {
  CloseUp(pcrNone);
  TcxCustomMaskEdit::DoExit();
}

void TcxCustomDropDownEdit::DoFocusChanged() {
  if (FPopupWindow && !ActiveProperties()->PopupTakesFocus() && HasPopupWindow()) {
    HWND focus = GetFocus();
    bool innerFocused = InnerTextEdit() && InnerTextEdit()->HandleAllocated() && focus == InnerTextEdit()->Handle();
    bool inPopup = focus && FPopupWindow->HandleAllocated() &&
                   (focus == FPopupWindow->Handle() || IsChild(FPopupWindow->Handle(), focus));
    if (!innerFocused && !inPopup && !(HandleAllocated() && focus == Handle())) CloseUp(pcrNone);
  }
  TcxCustomMaskEdit::DoFocusChanged();
}

void TcxCustomDropDownEdit::CreateHandle() {
  TcxCustomMaskEdit::CreateHandle();
  AttachLookupToPopup();
}

void TcxCustomDropDownEdit::DestroyWnd() {
  if (FPopupWindow) {
    CloseUp(pcrNone);
    FinalizePopup();
    FPopupWindow->DestroyPopupHandle();
  }
  TcxCustomMaskEdit::DestroyWnd();
}

bool TcxCustomDropDownEdit::IsClickKey(Word Key, TShiftState Shift) {
  if (TcxCustomMaskEdit::IsClickKey(Key, Shift)) return true;
  return IsInplace() && HasPopupWindow() &&
         (Shift.Contains(ssCtrl) || Shift.Contains(ssAlt) || Key < 32 || Key > 255);
}

bool TcxCustomDropDownEdit::InnerEditMessage(TMessage& Message) {
  if (Message.Msg != CM_HINTSHOW) return TcxCustomMaskEdit::InnerEditMessage(Message);
  Message.Result = HasPopupWindow() ? 1 : 0;
  return true;
}

void TcxCustomDropDownEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case DXM_SYNCPOPUPLIST:
      if (HasPopupWindow()) SyncPopupListWithText();
      return;
    case CM_HINTSHOW:
      TcxCustomMaskEdit::Dispatch(Message);
      // No hint over an editor whose popup is open.
      if (HasPopupWindow()) Message.Result = 1;
      return;
  }
  TcxCustomMaskEdit::Dispatch(Message);
}

// In-place activation ---------------------------------------------------------------

TcxCustomEditDataFactory TcxCustomDropDownEdit::GetEditDataClass() {
  return [](TcxCustomEdit* AEdit) -> TcxCustomEditData* { return new TcxCustomDropDownEditData(AEdit); };
}

TcxCustomDropDownEditData* TcxCustomDropDownEdit::DropDownEditData() {
  return dynamic_cast<TcxCustomDropDownEditData*>(FEditDataRef);
}

void TcxCustomDropDownEdit::InitializeEditData() {
  if (TcxCustomDropDownEditData* d = DropDownEditData()) {
    d->Initialized = false;
    d->Width = ActiveProperties()->PopupWidth();
    d->Height = ActiveProperties()->PopupHeight();
  }
}

TcxCustomEditData* TcxCustomDropDownEdit::Activate(TcxCustomEditData*& AEditData) {
  if (!AEditData)
    if (auto factory = GetEditDataClass()) AEditData = factory(this);
  FEditDataRef = AEditData;
  TcxCustomEditData* result = TcxCustomMaskEdit::Activate(AEditData);
  TcxCustomDropDownEditData* d = DropDownEditData();
  FPopupSizeChanged = d && d->Initialized && ActiveProperties()->PopupSizeable();
  if (ActiveProperties()->ImmediatePopup()) SetDroppedDown(true);
  return result;
}

void TcxCustomDropDownEdit::ActivateByKey(char32_t AKey, TcxCustomEditData*& AEditData) {
  TcxCustomMaskEdit::ActivateByKey(AKey, AEditData);
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  const bool resent = CanSendActivationKey(AKey);
  if (AKey >= 32 && p->ImmediateDropDown() && !p->ImmediatePopup() && !resent) SetDroppedDown(true);
  if (!resent && HasPopupContent() && GetControlToFocusInPopup() && FPopupWindow && FPopupWindow->HandleAllocated())
    PostMessageW(FPopupWindow->Handle(), DXM_POPUPCHAR, WPARAM(AKey), 0);
}

void TcxCustomDropDownEdit::ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) {
  TDropDownFlagGuard g(FActivatingByMouse, true);
  TcxCustomMaskEdit::ActivateByMouse(Shift, X, Y, AEditData);
}

bool TcxCustomDropDownEdit::CanSendActivationKey(char32_t AKey) {
  TcxCustomDropDownEditProperties* p = ActiveProperties();
  if (!p->ImmediateDropDown()) return true;
  return !(p->PopupTakesFocus() && AKey != U'\r');
}

void TcxCustomDropDownEdit::InplaceTimerFired() {
  InplaceTimer()->SetEnabled(false);
  if (HasPopupWindow()) CloseUp(pcrNone);
  if (TcxCustomDropDownEditData* d = DropDownEditData()) d->Initialized = FPopupSizeChanged;
  CancelPendingPopup();
}
