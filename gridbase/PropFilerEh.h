// Property storage interceptors: stand-in objects whose published
// properties say what of a component is worth keeping in a store, and the
// process-wide registry that pairs component classes with them. The form
// interceptor keeps a form's placement.
#pragma once
#include <functional>
#include "Classes.h"
#include "Forms.h"
#include "TypInfo.h"

class TStoragePropertyInterceptor : public TPersistent {
  TOVANI_CLASS(TStoragePropertyInterceptor, TPersistent)
 public:
  explicit TStoragePropertyInterceptor(TObject* ATarget = nullptr) : FTarget(ATarget) {}
  TObject* Target() const { return FTarget; }
  // Whether the interceptor's properties may be stored at all.
  virtual bool CanStoreProperties() { return true; }
  // Called after the stored properties were assigned.
  virtual void AfterPropertiesRead() {}

 protected:
  TObject* FTarget;
};

// Keeps a form's normal bounds, pixels per inch, window state and active
// control; restoring rescales the bounds to the screen and places the form.
class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
  TOVANI_CLASS(TFormStoragePropertyInterceptor, TStoragePropertyInterceptor)
 public:
  explicit TFormStoragePropertyInterceptor(TObject* ATarget = nullptr);
  void AfterPropertiesRead() override;

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* v) { FActiveControl = v; }
  Integer Height() const;
  void SetHeight(Integer v) { FHeight = v; }
  Integer Left() const;
  void SetLeft(Integer v) {
    FLeft = v;
    FPositionPresent = true;
  }
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer v) { FPixelsPerInch = v; }
  Integer Top() const;
  void SetTop(Integer v) {
    FTop = v;
    FPositionPresent = true;
  }
  Integer Width() const;
  void SetWidth(Integer v) { FWidth = v; }
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState v) { FWindowState = v; }
  bool PositionPresent() const { return FPositionPresent; }
  // The form's bounds as they are when it is neither maximised nor minimised.
  TRect NormalBounds() const;

 private:
  TWinControl* FActiveControl = nullptr;
  Integer FHeight = 0, FLeft = 0, FTop = 0, FWidth = 0;
  Integer FPixelsPerInch = 96;
  TWindowState FWindowState = wsNormal;
  bool FPositionPresent = false;
};

using TInterceptorCreatorEh = std::function<TStoragePropertyInterceptor*(TObject* Target)>;

// Pairs TargetClass with InterceptorClass, replacing any earlier interceptor
// of that target class.
void RegisterPropertyInterceptorEh(TClass TargetClass, TClass InterceptorClass, TInterceptorCreatorEh Create);
template <class TInterceptor>
void RegisterPropertyInterceptorEh(TClass TargetClass) {
  RegisterPropertyInterceptorEh(TargetClass, TInterceptor::StaticClass(),
                                [](TObject* t) -> TStoragePropertyInterceptor* { return new TInterceptor(t); });
}
void UnregisterPropertyInterceptorEh(TClass TargetClass, TClass InterceptorClass);
// The interceptor class of a target class or of its nearest registered ancestor; null when none.
TClass GetInterceptorForTargetEh(TClass TargetClass);
// A new interceptor for Target (the caller owns it); null when none is registered.
TStoragePropertyInterceptor* CreateInterceptorForTargetEh(TObject* Target);
