#include "PropFilerEh.h"
#include <memory>
#include <vector>

TOVANI_IMPLEMENT_CLASS(TStoragePropertyInterceptor, TPersistent)
TOVANI_IMPLEMENT_CLASS(TFormStoragePropertyInterceptor, TStoragePropertyInterceptor)

// A reader-less property can be assigned from a store but is never written to one.
TOVANI_PUBLISHED(TFormStoragePropertyInterceptor) {
  Property<TWinControl*>("ActiveControl", nullptr, &TFormStoragePropertyInterceptor::SetActiveControl);
  Property("Height", &TFormStoragePropertyInterceptor::Height, &TFormStoragePropertyInterceptor::SetHeight).NoDefault();
  Property("Left", &TFormStoragePropertyInterceptor::Left, &TFormStoragePropertyInterceptor::SetLeft).NoDefault();
  Property<Integer>("PixelsPerInch", nullptr, &TFormStoragePropertyInterceptor::SetPixelsPerInch);
  Property("Top", &TFormStoragePropertyInterceptor::Top, &TFormStoragePropertyInterceptor::SetTop).NoDefault();
  Property("Width", &TFormStoragePropertyInterceptor::Width, &TFormStoragePropertyInterceptor::SetWidth).NoDefault();
  Property<TWindowState>("WindowState", nullptr, &TFormStoragePropertyInterceptor::SetWindowState);
}

namespace {

struct TRegistration {
  TClass Target;
  TClass Interceptor;
  TInterceptorCreatorEh Create;
};

std::vector<TRegistration>& Registry() {
  static std::vector<TRegistration> list;
  return list;
}

// The unit registers the form interceptor when the program starts.
const bool kFormInterceptorRegistered = [] {
  RegisterPropertyInterceptorEh<TFormStoragePropertyInterceptor>(TCustomForm::StaticClass());
  return true;
}();

}  // namespace

void RegisterPropertyInterceptorEh(TClass TargetClass, TClass InterceptorClass, TInterceptorCreatorEh Create) {
  auto& list = Registry();
  std::erase_if(list, [&](const TRegistration& r) { return r.Target == TargetClass; });
  list.push_back({TargetClass, InterceptorClass, std::move(Create)});
}

void UnregisterPropertyInterceptorEh(TClass TargetClass, TClass InterceptorClass) {
  std::erase_if(Registry(),
                [&](const TRegistration& r) { return r.Target == TargetClass && r.Interceptor == InterceptorClass; });
}

namespace {
const TRegistration* FindRegistration(TClass TargetClass) {
  for (TClass c = TargetClass; c; c = c->Parent)
    for (const auto& r : Registry())
      if (r.Target == c) return &r;
  return nullptr;
}
}  // namespace

TClass GetInterceptorForTargetEh(TClass TargetClass) {
  const TRegistration* r = FindRegistration(TargetClass);
  return r ? r->Interceptor : nullptr;
}

TStoragePropertyInterceptor* CreateInterceptorForTargetEh(TObject* Target) {
  if (!Target) return nullptr;
  const TRegistration* r = FindRegistration(Target->ClassType());
  return r && r->Create ? r->Create(Target) : nullptr;
}

// ---------------------------------------------------------------------------

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TObject* ATarget)
    : TStoragePropertyInterceptor(ATarget) {
  if (auto* form = dynamic_cast<TCustomForm*>(ATarget)) {
    TRect r = NormalBounds();
    FLeft = r.Left;
    FTop = r.Top;
    FWidth = r.Width();
    FHeight = r.Height();
    FPixelsPerInch = form->PixelsPerInch();
    FWindowState = form->WindowState();
    FActiveControl = form->ActiveControl();
  }
}

TRect TFormStoragePropertyInterceptor::NormalBounds() const {
  auto* form = dynamic_cast<TCustomForm*>(FTarget);
  if (!form) return TRect();
  if (form->WindowState() != wsNormal && form->HandleAllocated()) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (GetWindowPlacement(form->Handle(), &wp)) {
      const RECT& n = wp.rcNormalPosition;
      return {n.left, n.top, n.right, n.bottom};
    }
  }
  return form->BoundsRect();
}

Integer TFormStoragePropertyInterceptor::Height() const { return NormalBounds().Height(); }
Integer TFormStoragePropertyInterceptor::Left() const { return NormalBounds().Left; }
Integer TFormStoragePropertyInterceptor::Top() const { return NormalBounds().Top; }
Integer TFormStoragePropertyInterceptor::Width() const { return NormalBounds().Width(); }

void TFormStoragePropertyInterceptor::AfterPropertiesRead() {
  Integer screenPpi = Screen ? Screen->PixelsPerInch() : 96;
  if (FPixelsPerInch > 0 && FPixelsPerInch != screenPpi) {
    FLeft = MulDiv(FLeft, screenPpi, FPixelsPerInch);
    FTop = MulDiv(FTop, screenPpi, FPixelsPerInch);
    FWidth = MulDiv(FWidth, screenPpi, FPixelsPerInch);
    FHeight = MulDiv(FHeight, screenPpi, FPixelsPerInch);
  }
  auto* form = dynamic_cast<TCustomForm*>(FTarget);
  if (!form) return;
  form->SetWindowState(FWindowState);
  if (FActiveControl && FActiveControl->CanFocus()) form->SetActiveControl(FActiveControl);
  if (FWindowState != wsNormal && form->HandleAllocated()) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    GetWindowPlacement(form->Handle(), &wp);
    wp.rcNormalPosition = {FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    SetWindowPlacement(form->Handle(), &wp);
  } else {
    form->SetBounds(FLeft, FTop, FWidth, FHeight);
  }
  // A restored place is not centred over again.
  if (FPositionPresent && !form->ComponentState().Contains(csDesigning) &&
      (form->Position() == poScreenCenter || form->Position() == poDesktopCenter))
    form->SetPosition(poDesigned);
}
