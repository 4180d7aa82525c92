// Edit buttons: the streamed button description, its action link, the
// collection of extra buttons and the live button control with spin halves
// and auto-repeat.
#include <algorithm>
#include "ActnList.h"
#include "ExtCtrls.h"
#include "Menus.h"
#include "ToolCtrlsEh.h"
#include "VclWindows.h"

TOVANI_IMPLEMENT_ENUM_INFO(TEditButtonStyleEh, "ebsDropDownEh", "ebsEllipsisEh", "ebsGlyphEh", "ebsUpDownEh",
                           "ebsPlusEh", "ebsMinusEh")
TOVANI_IMPLEMENT_CLASS(TEditButtonActionLinkEh, TBasicActionLink)
TOVANI_IMPLEMENT_CLASS_FACTORY(TEditButtonEh, TCollectionItem)
TOVANI_IMPLEMENT_CLASS_FACTORY(TVisibleEditButtonEh, TEditButtonEh)
TOVANI_IMPLEMENT_CLASS(TEditButtonsEh, TCollection)
TOVANI_IMPLEMENT_CLASS_FACTORY(TEditButtonControlEh, TSpeedButton)
TOVANI_IMPLEMENT_CLASS_FACTORY(TSpeedButtonEh, TEditButtonControlEh)

namespace {
constexpr TShortCut AltDownShortCut = TShortCut(scAlt | VK_DOWN);   // 32808
}

TOVANI_PUBLISHED(TEditButtonEh) {
  Property("Action", &TEditButtonEh::Action, &TEditButtonEh::SetAction);
  Property("DropdownMenu", &TEditButtonEh::DropdownMenu, &TEditButtonEh::SetDropdownMenu);
  Property("Enabled", &TEditButtonEh::Enabled, &TEditButtonEh::SetEnabled)
      .Default(true)
      .Stored(&TEditButtonEh::IsEnabledStored);
  Property("Glyph", &TEditButtonEh::Glyph, &TEditButtonEh::SetGlyph);
  Property("Hint", &TEditButtonEh::Hint, &TEditButtonEh::SetHint).Stored(&TEditButtonEh::IsHintStored);
  Property("NumGlyphs", &TEditButtonEh::NumGlyphs, &TEditButtonEh::SetNumGlyphs).Default(1);
  Property("ShortCut", &TEditButtonEh::ShortCut, &TEditButtonEh::SetShortCut)
      .Default(0)
      .Stored(&TEditButtonEh::IsShortCutStored);
  Property("Style", &TEditButtonEh::Style, &TEditButtonEh::SetStyle).Default(ebsDropDownEh);
  Property("Visible", &TEditButtonEh::Visible, &TEditButtonEh::SetVisible)
      .Default(false)
      .Stored(&TEditButtonEh::IsVisibleStored);
  Property("Width", &TEditButtonEh::Width, &TEditButtonEh::SetWidth).Default(0);
  Property("OnClick", &TEditButtonEh::OnClick);
  Property("OnDown", &TEditButtonEh::OnDown);
}

TOVANI_PUBLISHED(TVisibleEditButtonEh) {
  Property("ShortCut", &TEditButtonEh::ShortCut, &TEditButtonEh::SetShortCut)
      .Default(AltDownShortCut)
      .Stored(&TEditButtonEh::IsShortCutStored);
  Property("Visible", &TEditButtonEh::Visible, &TEditButtonEh::SetVisible)
      .Default(true)
      .Stored(&TEditButtonEh::IsVisibleStored);
}

TOVANI_PUBLISHED(TSpeedButtonEh) {
  Property("Active", &TEditButtonControlEh::Active, &TEditButtonControlEh::SetActive).NoDefault();
  Property("Style", &TEditButtonControlEh::Style, &TEditButtonControlEh::SetStyle).Default(ebsDropDownEh);
}

TButtonFaceKindEh ButtonFaceKindOfStyleEh(TEditButtonStyleEh Style) {
  switch (Style) {
    case ebsEllipsisEh: return bfkEllipsis;
    case ebsUpDownEh: return bfkUpDown;
    case ebsPlusEh: return bfkPlus;
    case ebsMinusEh: return bfkMinus;
    default: return bfkDropDown;
  }
}

// ---------------------------------------------------------------------------
// TEditButtonActionLinkEh

TEditButtonActionLinkEh::TEditButtonActionLinkEh(TEditButtonEh* AClient) : TBasicActionLink(AClient), FButton(AClient) {}

namespace {
TCustomAction* AsCustomAction(TBasicAction* a) { return dynamic_cast<TCustomAction*>(a); }
}  // namespace

bool TEditButtonActionLinkEh::IsEnabledLinked() {
  auto* a = AsCustomAction(Action());
  return a && a->Enabled() == FButton->Enabled();
}
bool TEditButtonActionLinkEh::IsHintLinked() {
  auto* a = AsCustomAction(Action());
  return a && a->Hint() == FButton->Hint();
}
bool TEditButtonActionLinkEh::IsShortCutLinked() {
  auto* a = AsCustomAction(Action());
  return a && a->ShortCut() == FButton->ShortCut();
}
bool TEditButtonActionLinkEh::IsVisibleLinked() {
  auto* a = AsCustomAction(Action());
  return a && a->Visible() == FButton->Visible();
}
void TEditButtonActionLinkEh::SetEnabled(bool Value) {
  if (IsEnabledLinked()) FButton->SetEnabled(Value);
}
void TEditButtonActionLinkEh::SetHint(const String& Value) {
  if (IsHintLinked()) FButton->SetHint(Value);
}
void TEditButtonActionLinkEh::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) FButton->FShortCut = Value;
}
void TEditButtonActionLinkEh::SetVisible(bool Value) {
  if (IsVisibleLinked()) FButton->SetVisible(Value);
}

// ---------------------------------------------------------------------------
// TEditButtonEh

TEditButtonEh::TEditButtonEh(TCollection* ACollection) : TCollectionItem(nullptr) {
  if (ACollection) ACollection->BeginUpdate();
  Init();
  if (ACollection) {
    SetCollection(ACollection);
    ACollection->EndUpdate();
  }
}

TEditButtonEh::TEditButtonEh(TWinControl* AOwnerEdit) : TCollectionItem(nullptr) {
  Init();
  FOwnerEdit = AOwnerEdit;
}

void TEditButtonEh::Init() {
  FEnabled = true;
  FGlyph = std::make_unique<TBitmap>();
  FGlyph->SetTransparent(true);
  FShortCut = 0;
  FNumGlyphs = 1;
}

TEditButtonEh::~TEditButtonEh() = default;

void TEditButtonEh::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TEditButtonEh*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetAction(src->Action());
  SetDropdownMenu(src->DropdownMenu());
  SetEnabled(src->Enabled());
  SetGlyph(src->Glyph());
  SetHint(src->Hint());
  SetNumGlyphs(src->NumGlyphs());
  SetShortCut(src->ShortCut());
  SetStyle(src->Style());
  SetVisible(src->Visible());
  SetWidth(src->Width());
  OnClick = src->OnClick;
  OnDown = src->OnDown;
}

void TEditButtonEh::NotifyChanged() {
  if (ChangeHandler) ChangeHandler(this);
  else if (Collection()) Changed(false);
}

void TEditButtonEh::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  NotifyChanged();
}

void TEditButtonEh::SetGlyph(TBitmap* v) {
  FGlyph->Assign(v);
  NotifyChanged();
}

void TEditButtonEh::SetHint(const String& v) {
  if (v == FHint) return;
  FHint = v;
  NotifyChanged();
}

void TEditButtonEh::SetNumGlyphs(Integer v) {
  v = std::clamp(v, 1, 4);
  if (v == FNumGlyphs) return;
  FNumGlyphs = v;
  NotifyChanged();
}

void TEditButtonEh::SetStyle(TEditButtonStyleEh v) {
  if (v == FStyle) return;
  FStyle = v;
  NotifyChanged();
}

void TEditButtonEh::SetVisible(bool v) {
  if (v == FVisible) return;
  FVisible = v;
  NotifyChanged();
}

void TEditButtonEh::SetWidth(Integer v) {
  if (v == FWidth) return;
  FWidth = v;
  NotifyChanged();
}

TBasicAction* TEditButtonEh::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

TEditButtonActionLinkEh* TEditButtonEh::CreateActionLink() { return new TEditButtonActionLinkEh(this); }

void TEditButtonEh::SetAction(TBasicAction* v) {
  if (!v) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) FActionLink.reset(CreateActionLink());
  FActionLink->SetAction(v);
  FActionLink->OnChange = [this](TObject* Sender) { ActionChanged(Sender); };
  TakeActionProperties(v, v->ComponentState().Contains(csLoading));
}

void TEditButtonEh::ActionChanged(TObject* Sender) {
  if (Sender && Sender == Action()) TakeActionProperties(Action(), false);
}

void TEditButtonEh::TakeActionProperties(TBasicAction* Action, bool CheckDefaults) {
  auto* a = AsCustomAction(Action);
  if (!a) return;
  if (!CheckDefaults || Enabled()) SetEnabled(a->Enabled());
  if (!CheckDefaults || Hint().empty()) SetHint(a->Hint());
  if (!CheckDefaults || ShortCut() == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || Visible()) SetVisible(a->Visible());
}

bool TEditButtonEh::IsEnabledStored() const { return !FActionLink || !FActionLink->IsEnabledLinked(); }
bool TEditButtonEh::IsHintStored() const { return !FActionLink || !FActionLink->IsHintLinked(); }
bool TEditButtonEh::IsShortCutStored() const { return !FActionLink || !FActionLink->IsShortCutLinked(); }
bool TEditButtonEh::IsVisibleStored() const { return !FActionLink || !FActionLink->IsVisibleLinked(); }

TEditButtonControlEh* TEditButtonEh::CreateEditButtonControl() {
  auto* c = new TEditButtonControlEh(FOwnerEdit);
  c->SetControlStyle(c->ControlStyle() + csReplicatable);
  c->SetWidth(10);
  c->SetHeight(17);
  c->SetVisible(true);
  c->SetTransparent(false);
  c->SetParent(FOwnerEdit);
  return c;
}

void TEditButtonEh::Click(TObject* Sender, bool& Handled) {
  if (OnClick) {
    OnClick(Sender, Handled);
    return;
  }
  if (FActionLink && FActionLink->Action()) {
    TComponent* target = FOwnerEdit;
    if (!target && Collection()) target = dynamic_cast<TComponent*>(static_cast<TEditButtonsEh*>(Collection())->Owner());
    FActionLink->Execute(target);
    Handled = true;
  }
}

void TEditButtonEh::RefreshActionState() {
  if (FActionLink) FActionLink->Update();
}

// ---------------------------------------------------------------------------
// TVisibleEditButtonEh

TVisibleEditButtonEh::TVisibleEditButtonEh(TCollection* ACollection) : TEditButtonEh(static_cast<TCollection*>(nullptr)) {
  if (ACollection) ACollection->BeginUpdate();
  FVisible = true;
  FShortCut = AltDownShortCut;
  if (ACollection) {
    SetCollection(ACollection);
    ACollection->EndUpdate();
  }
}

TVisibleEditButtonEh::TVisibleEditButtonEh(TWinControl* AOwnerEdit) : TEditButtonEh(AOwnerEdit) {
  FVisible = true;
  FShortCut = AltDownShortCut;
}

// ---------------------------------------------------------------------------
// TEditButtonsEh

TEditButtonsEh::TEditButtonsEh(TPersistent* AOwner, TClass AItemClass) : TCollection(AItemClass), FOwner(AOwner) {}

void TEditButtonsEh::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (ChangeHandler) ChangeHandler(Item);
}

// ---------------------------------------------------------------------------
// TEditButtonControlEh

TEditButtonControlEh::TEditButtonControlEh(TComponent* AOwner) : TSpeedButton(AOwner) {}

TEditButtonControlEh::~TEditButtonControlEh() = default;

void TEditButtonControlEh::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  Invalidate();
}

void TEditButtonControlEh::SetStyle(TEditButtonStyleEh v) {
  if (v == FStyle) return;
  FStyle = v;
  Invalidate();
}

void TEditButtonControlEh::SetHeldDown(bool v) {
  if (v == FHeldDown) return;
  FHeldDown = v;
  if (v) {
    SetGroupIndex(1);
    SetDown(true);
    SetAllowAllUp(false);
    FDownButton = 1;
  } else {
    SetAllowAllUp(true);
    SetDown(false);
    SetGroupIndex(0);
    FDownButton = 0;
  }
  Invalidate();
}

void TEditButtonControlEh::NotifyButtonDown(bool TopButton, bool& AutoRepeat) {
  bool handled = false;
  if (OnButtonDown) OnButtonDown(this, TopButton, AutoRepeat, handled);
}

void TEditButtonControlEh::UpdateDownButton(Integer X, Integer Y) {
  Integer old = FDownButton;
  if (!IsPressedState()) {
    FDownButton = 0;
  } else if (FStyle == ebsUpDownEh) {
    Integer h = Height();
    // The middle row (two rows for an odd height) presses neither half.
    if (Y < h / 2) FDownButton = 1;
    else if (Y > h - h / 2) FDownButton = 2;
    else FDownButton = 0;
  } else {
    FDownButton = 1;
  }
  (void)X;
  if (FDownButton != old) Invalidate();
}

void TEditButtonControlEh::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  bool autoRepeat = FStyle == ebsUpDownEh;
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (IsEnabled()) {
    FTracking = true;
    if (!Down()) FPressed = true;
  }
  UpdateDownButton(X, Y);
  if (FDownButton == 0) return;
  NotifyButtonDown(FDownButton == 1, autoRepeat);
  if (autoRepeat) StartRepeatTimer(400);
}

void TEditButtonControlEh::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TSpeedButton::MouseMove(Shift, X, Y);
  if (FTracking) {
    bool pressed = !Down() && ClientRect().Contains({X, Y});
    if (pressed != FPressed) {
      FPressed = pressed;
      Invalidate();
    }
  }
  if (!MouseCapture() && !FTracking) return;
  if (FStyle != ebsUpDownEh || !IsPressedState()) return;
  Integer h = Height();
  if ((FDownButton == 2 && Y < h / 2) || (FDownButton == 1 && Y > h - h / 2)) {
    // The pressed half is released when the mouse leaves it.
    FPressed = false;
    Invalidate();
  }
}

void TEditButtonControlEh::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  bool suppress = FStyle == ebsUpDownEh && !IsPressedState();
  if (suppress) FSuppressClick = true;
  try {
    TSpeedButton::MouseUp(Button, Shift, X, Y);
  } catch (...) {
    FSuppressClick = false;
    throw;
  }
  FSuppressClick = false;
  if (Button == mbLeft) {
    FTracking = false;
    FPressed = false;
  }
  UpdateDownButton(X, Y);
  StopRepeatTimer();
}

void TEditButtonControlEh::Click() {
  if (!FSuppressClick) TSpeedButton::Click();
}

void TEditButtonControlEh::StartRepeatTimer(Cardinal Interval) {
  if (!FRepeatTimer) {
    FRepeatTimer = new TTimer(this);
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->OnTimer = [this](TObject*) { RepeatTimerTick(); };
  }
  if (FRepeatTimer->Enabled() && FRepeatTimer->Interval() == Interval) return;
  FRepeatTimer->SetEnabled(false);
  FRepeatTimer->SetInterval(Interval);
  FRepeatTimer->SetEnabled(true);
}

void TEditButtonControlEh::StopRepeatTimer() {
  if (FRepeatTimer && FRepeatTimer->Enabled()) FRepeatTimer->SetEnabled(false);
}

void TEditButtonControlEh::RepeatTimerTick() {
  bool autoRepeat = FStyle == ebsUpDownEh;
  if (!IsPressedState()) return;   // moved off: keeps running until release
  if (FRepeatTimer && FRepeatTimer->Interval() == 400) StartRepeatTimer(100);
  NotifyButtonDown(FDownButton == 1, autoRepeat);
  if (!autoRepeat) StopRepeatTimer();
}

void TEditButtonControlEh::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  bool pressed = IsPressedState();
  if (FStyle != ebsGlyphEh) {
    TColor color = Parent() ? Parent()->Color() : clBtnFace;
    PaintButtonFaceEh(dc, r, color, ButtonFaceKindOfStyleEh(FStyle), pressed ? FDownButton : 0, Flat(), FActive,
                      IsEnabled(), cbUnchecked);
    return;
  }
  if (!ThemesEnabledEh() && Flat()) {
    int saved = SaveDC(dc);
    IntersectClipRect(dc, r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    TSpeedButton::Paint();
    RestoreDC(dc, saved);
    RECT rc = *r.AsRECT();
    if (FActive) {
      DrawEdge(dc, &rc, pressed ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT);
    } else {
      HBRUSH b = CreateSolidBrush(ColorToRGB(Parent() ? Parent()->Color() : clBtnFace));
      FrameRect(dc, &rc, b);
      DeleteObject(b);
    }
    return;
  }
  TSpeedButton::Paint();
}
