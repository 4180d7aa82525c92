#include "cxPopupEdit.h"

#include "TypInfo.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TcxCustomPopupEditProperties, TcxCustomDropDownEditProperties)
TOVANI_IMPLEMENT_CLASS_FACTORY(TcxPopupEditProperties, TcxCustomPopupEditProperties)
TOVANI_IMPLEMENT_CLASS(TcxCustomPopupEdit, TcxCustomDropDownEdit)
TOVANI_IMPLEMENT_CLASS_EX(TcxPopupEdit, TcxCustomPopupEdit, []() -> TObject* { return new TcxPopupEdit(); })

namespace {
const TcxResourceString cxSEditPopupCircularReferencingError{"Circular referencing is not allowed"};
}

// ---------------------------------------------------------------------------
// Properties

TcxCustomPopupEditProperties::TcxCustomPopupEditProperties(TPersistent* AOwner)
    : TcxCustomDropDownEditProperties(AOwner) {
  FPopupControlNotificator = std::make_unique<TcxFreeNotificator>();
  FPopupControlNotificator->OnComponentFreed = [this](TObject*, TComponent* C) { FreeNotification(C); };
  SetPopupAutoSize(true);
  SetPopupMinHeight(100);
  SetPopupMinWidth(100);
  SetPopupHeight(200);
  SetPopupWidth(250);
  SetPopupSizeable(true);
}

TcxCustomPopupEditProperties::~TcxCustomPopupEditProperties() {
  if (FPopupControl) FPopupControlNotificator->RemoveSender(FPopupControl);
}

void TcxCustomPopupEditProperties::SetPopupControl(TControl* Value) {
  if (Value == FPopupControl) return;
  if (FPopupControl) FPopupControlNotificator->RemoveSender(FPopupControl);
  FPopupControl = Value;
  if (FPopupControl) FPopupControlNotificator->AddSender(FPopupControl);
}

void TcxCustomPopupEditProperties::FreeNotification(TComponent* AComponent) {
  TcxCustomDropDownEditProperties::FreeNotification(AComponent);
  if (AComponent == FPopupControl) FPopupControl = nullptr;
}

void TcxCustomPopupEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomPopupEditProperties*>(Source);
  if (!s) {
    TcxCustomDropDownEditProperties::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    TcxCustomDropDownEditProperties::Assign(Source);
    SetPopupControl(s->PopupControl());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TClass TcxCustomPopupEditProperties::GetContainerClass() { return TcxPopupEdit::StaticClass(); }

TcxEditPopupWindowFactory TcxCustomPopupEditProperties::GetPopupWindowType() {
  return [](TWinControl* AOwner) { return new TcxPopupEditPopupWindow(AOwner); };
}

TcxPopupEditProperties::TcxPopupEditProperties(TPersistent* AOwner) : TcxCustomPopupEditProperties(AOwner) {
  SetImmediateDropDown(true);
  SetImmediatePopup(true);
}

TOVANI_PUBLISHED(TcxCustomPopupEditProperties) {
  Property("PopupControl", &TcxCustomPopupEditProperties::PopupControl,
           &TcxCustomPopupEditProperties::SetPopupControl);
  Property("PopupHeight", &TcxCustomPopupEditProperties::PopupHeight,
           &TcxCustomPopupEditProperties::SetPopupHeight)
      .Default(200);
  Property("PopupMinHeight", &TcxCustomPopupEditProperties::PopupMinHeight,
           &TcxCustomPopupEditProperties::SetPopupMinHeight)
      .Default(100);
  Property("PopupMinWidth", &TcxCustomPopupEditProperties::PopupMinWidth,
           &TcxCustomPopupEditProperties::SetPopupMinWidth)
      .Default(100);
  Property("PopupSizeable", &TcxCustomPopupEditProperties::PopupSizeable,
           &TcxCustomPopupEditProperties::SetPopupSizeable)
      .Default(true);
  Property("PopupWidth", &TcxCustomPopupEditProperties::PopupWidth, &TcxCustomPopupEditProperties::SetPopupWidth)
      .Default(250);
}

TOVANI_PUBLISHED(TcxPopupEditProperties) {
  Property("ImmediatePopup", &TcxPopupEditProperties::ImmediatePopup, &TcxPopupEditProperties::SetImmediatePopup)
      .Default(true);
}

// ---------------------------------------------------------------------------
// The editor

TcxCustomPopupEdit::TcxCustomPopupEdit(TComponent* AOwner, bool AIsInplace, const TcxEditPropertiesFactory& AProperties)
    : TcxCustomDropDownEdit(AOwner, AIsInplace,
                            AProperties ? AProperties : [](TPersistent* O) -> TcxCustomEditProperties* {
                              return new TcxCustomPopupEditProperties(O);
                            }) {}

TcxCustomPopupEdit::~TcxCustomPopupEdit() {
  // The borrowed control goes home before the popup window goes.
  if (PopupWindow() && PopupWindow()->IsOpen()) RestorePopupControl();
}

void TcxCustomPopupEdit::ClosePopup(TcxPopupCloseReason AReason) {
  SetCloseUpReason(AReason);
  TcxCustomPopupWindow::PostCloseRequest(PopupWindow());
}

bool TcxCustomPopupEdit::HasPopupContent() { return ActiveProperties()->PopupControl() != nullptr; }

void TcxCustomPopupEdit::GetPopupContentSize(TSize& ASize) {
  TControl* c = ActiveProperties()->PopupControl();
  ASize = c ? TSize(c->Width(), c->Height()) : TSize();
}

void TcxCustomPopupEdit::PlacePopupContent(const TRect& AClientRect) {
  if (TControl* c = ActiveProperties()->PopupControl())
    c->SetBounds(AClientRect.Left, AClientRect.Top, AClientRect.Width(), AClientRect.Height());
}

TWinControl* TcxCustomPopupEdit::GetControlToFocusInPopup() {
  return dynamic_cast<TWinControl*>(ActiveProperties()->PopupControl());
}

void TcxCustomPopupEdit::InitializePopup() {
  TControl* c = ActiveProperties()->PopupControl();
  bool circular = c && (c == PopupWindow() || c == this);
  for (TWinControl* p = Parent(); c && p && !circular; p = p->Parent()) circular = p == c;
  if (circular) throw EcxEditError(cxLoadResourceText(cxSEditPopupCircularReferencingError));
  TcxCustomDropDownEdit::InitializePopup();
}

void TcxCustomPopupEdit::SavePopupControlState() {
  TControl* c = ActiveProperties()->PopupControl();
  if (!c) return;
  FPrevAlign = c->Align();
  if (auto* form = dynamic_cast<TCustomForm*>(c)) {
    FPrevBorderStyle = form->BorderStyle();
    form->SetBorderStyle(bsNone);
  }
  FPrevBounds = c->BoundsRect();
  FPrevParent = c->Parent();
  FPrevVisible = c->Visible();
  FSaved = true;
}

void TcxCustomPopupEdit::RestorePopupControl() {
  TControl* c = ActiveProperties()->PopupControl();
  if (!c || !FSaved) return;
  FSaved = false;
  c->Hide();
  c->SetParent(FPrevParent);
  c->SetAlign(FPrevAlign);
  c->SetBoundsRect(FPrevBounds);
  if (auto* form = dynamic_cast<TCustomForm*>(c)) form->SetBorderStyle(FPrevBorderStyle);
  c->SetVisible(FPrevVisible);
}

void TcxCustomPopupEdit::PreparePopup() {
  TControl* c = ActiveProperties()->PopupControl();
  if (c && !FSaved) {
    SavePopupControlState();
    c->SetParent(PopupWindow());
    c->SetVisible(true);
  }
  TcxCustomDropDownEdit::PreparePopup();
  if (c) c->SetAlign(alClient);
}

void TcxCustomPopupEdit::HandlePopupClosed() {
  RestorePopupControl();
  TcxCustomDropDownEdit::HandlePopupClosed();
}

TcxPopupEdit::TcxPopupEdit(TComponent* AOwner, bool AIsInplace)
    : TcxCustomPopupEdit(AOwner, AIsInplace,
                         [](TPersistent* O) -> TcxCustomEditProperties* { return new TcxPopupEditProperties(O); }) {}

TOVANI_PUBLISHED(TcxPopupEdit) {
  Property("Properties", &TcxPopupEdit::Properties, &TcxPopupEdit::SetProperties);
}
