// The window-control side of the report model: dialog controls and the
// hidden form that holds their controls until they have a dialog page.
#include <windows.h>
#undef GetProp
#undef SetProp

#include <cmath>
#include <memory>

#include "Controls.h"
#include "Forms.h"
#include "Graphics.h"
#include "frxClass.h"

TOVANI_IMPLEMENT_CLASS(TfrxDialogControl, TfrxReportComponent)

namespace {

Integer Round(Extended v) { return Integer(std::nearbyint(v)); }

class TParentForm : public TForm {
  TOVANI_CLASS(TParentForm, TForm)
 public:
  TParentForm() : TForm(nullptr) {}
};

// Owns the hidden form; at the end of the program the controls still on it
// are detached (first control first) before the window goes.
struct TParentFormHolder {
  std::unique_ptr<TParentForm> Form;
  ~TParentFormHolder() {
    if (!Form) return;
    while (Form->ControlCount() > 0) Form->Controls(0)->SetParent(nullptr);
  }
};

}  // namespace

TOVANI_IMPLEMENT_CLASS(TParentForm, TForm)

TWinControl* frxParentForm() {
  static TParentFormHolder holder;
  if (!holder.Form) {
    holder.Form = std::make_unique<TParentForm>();
    holder.Form->HandleNeeded();
  }
  return holder.Form.get();
}

TOVANI_PUBLISHED(TfrxDialogControl) {
  Property("Left", &TfrxDialogControl::Left, &TfrxDialogControl::SetLeft);
  Property("Top", &TfrxDialogControl::Top, &TfrxDialogControl::SetTop);
  Property("Width", &TfrxDialogControl::Width, &TfrxDialogControl::SetWidth);
  Property("Height", &TfrxDialogControl::Height, &TfrxDialogControl::SetHeight);
  Property("Font", &TfrxDialogControl::Font, &TfrxDialogControl::SetFont).Stored(&TfrxDialogControl::IsFontStored);
  Property("GroupIndex", &TfrxDialogControl::GroupIndex, &TfrxDialogControl::SetGroupIndex).Default(0);
  Property("ParentFont", &TfrxDialogControl::ParentFont, &TfrxDialogControl::SetParentFont).Default(true);
  Property("Enabled", &TfrxDialogControl::Enabled, &TfrxDialogControl::SetEnabled).Default(true);
  Property("Hint", &TfrxDialogControl::Hint, &TfrxDialogControl::SetHint);
  Property("ShowHint", &TfrxDialogControl::ShowHint, &TfrxDialogControl::SetShowHint);
  Property("Visible", &TfrxDialogControl::Visible, &TfrxDialogControl::SetVisible).Default(true);
}

TfrxDialogControl::TfrxDialogControl(TComponent* AOwner) : TfrxReportComponent(AOwner) {}

TfrxDialogControl::~TfrxDialogControl() {
  // The children's controls live in this control's window: they go first.
  Clear();
  delete FControl;
  FControl = nullptr;
}

String TfrxDialogControl::BaseName() const {
  String s = ClassName();
  size_t p = s.find("Tfrx");
  if (p != String::npos) s.erase(p, 4);
  p = s.find("Control");
  if (p != String::npos) s.erase(p, 7);
  return s;
}

void TfrxDialogControl::InitControl(TControl* AControl) {
  delete FControl;
  FControl = AControl;
  if (!FControl) return;
  SetParent(Parent());
  FControl->Font()->Assign(Font());
  FControl->SetParentFont(ParentFont());
  FControl->SetVisible(Visible());
  UpdateControlBounds();
}

void TfrxDialogControl::UpdateControlBounds() {
  if (FControl) FControl->SetBounds(Round(Left()), Round(Top()), Round(Width()), Round(Height()));
}

void TfrxDialogControl::SetLeft(Extended Value) {
  TfrxReportComponent::SetLeft(Value);
  if (FControl) FControl->SetLeft(Round(Left()));
}

void TfrxDialogControl::SetTop(Extended Value) {
  TfrxReportComponent::SetTop(Value);
  if (FControl) FControl->SetTop(Round(Top()));
}

void TfrxDialogControl::SetWidth(Extended Value) {
  TfrxReportComponent::SetWidth(Value);
  if (FControl) FControl->SetWidth(Round(Width()));
}

void TfrxDialogControl::SetHeight(Extended Value) {
  TfrxReportComponent::SetHeight(Value);
  if (FControl) FControl->SetHeight(Round(Height()));
}

void TfrxDialogControl::SetVisible(bool Value) {
  TfrxReportComponent::SetVisible(Value);
  if (FControl) FControl->SetVisible(Value);
}

void TfrxDialogControl::SetParentFont(bool Value) {
  TfrxReportComponent::SetParentFont(Value);
  if (FControl) FControl->SetParentFont(Value);
}

void TfrxDialogControl::FontChanged(TObject* Sender) {
  TfrxReportComponent::FontChanged(Sender);
  if (FControl) FControl->Font()->Assign(Font());
}

void TfrxDialogControl::SetParent(TfrxComponent* AParent) {
  TfrxReportComponent::SetParent(AParent);
  if (!FControl) return;
  TWinControl* window = AParent ? AParent->ChildControlParent() : nullptr;
  FControl->SetParent(window ? window : frxParentForm());
}

TWinControl* TfrxDialogControl::ChildControlParent() {
  return FControl && FControl->Is<TWinControl>() ? static_cast<TWinControl*>(FControl) : nullptr;
}

void TfrxDialogControl::SetName(const String& Value) {
  String old = Name();
  bool followsName =
      FControl && FControl->ControlStyle().Contains(csSetCaption) && FControl->Caption() == old && !IsLoading();
  TfrxReportComponent::SetName(Value);
  if (followsName) FControl->SetCaption(Name());
}

bool TfrxDialogControl::Enabled() const { return !FControl || FControl->Enabled(); }
void TfrxDialogControl::SetEnabled(bool Value) {
  if (FControl) FControl->SetEnabled(Value);
}
String TfrxDialogControl::Hint() const { return FControl ? FControl->Hint() : String(); }
void TfrxDialogControl::SetHint(const String& Value) {
  if (FControl) FControl->SetHint(Value);
}
bool TfrxDialogControl::ShowHint() const { return FControl && FControl->ShowHint(); }
void TfrxDialogControl::SetShowHint(bool Value) {
  if (FControl) FControl->SetShowHint(Value);
}
String TfrxDialogControl::Caption() const { return FControl ? FControl->Caption() : String(); }
void TfrxDialogControl::SetCaption(const String& Value) {
  if (FControl) FControl->SetCaption(Value);
}

void TfrxDialogControl::SetFocus() {
  if (TWinControl* w = ChildControlParent()) w->SetFocus();
}

void TfrxDialogControl::Draw(TCanvas* Canvas, Extended, Extended, Extended, Extended) {
  if (!FControl) return;
  Integer w = Round(Width()), h = Round(Height());
  if (w <= 0 || h <= 0) return;
  TBitmap bmp(w, h, pf32bit);
  TCanvas* c = bmp.Canvas();
  c->Lock();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, w, h));
  HDC dc = c->Handle();
  if (FControl->Is<TWinControl>()) {
    static_cast<TWinControl*>(FControl)->PaintTo(dc, 0, 0);
  } else {
    FControl->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    FControl->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  }
  c->Unlock();
  Canvas->Draw(Round(AbsLeft()), Round(AbsTop()), &bmp);
}
