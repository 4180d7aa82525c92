// Property storage interceptors: the registry and the form interceptor's
// placement rules.
#include <memory>
#include "PropFilerEh.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

class TOtherFormInterceptor : public TStoragePropertyInterceptor {
 public:
  using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
  static TClass StaticClass() {
    static TClassInfo info{"TOtherFormInterceptor", TStoragePropertyInterceptor::StaticClass(), nullptr};
    return &info;
  }
  TClass ClassType() const override { return StaticClass(); }
};

TEST(PropFilerEh, RegistryFindsByAncestorAndReplaces) {
  EXPECT_EQ(GetInterceptorForTargetEh(TForm::StaticClass()), TFormStoragePropertyInterceptor::StaticClass());
  EXPECT_EQ(GetInterceptorForTargetEh(TButton::StaticClass()), nullptr);
  RegisterPropertyInterceptorEh<TOtherFormInterceptor>(TCustomForm::StaticClass());
  EXPECT_EQ(GetInterceptorForTargetEh(TForm::StaticClass()), TOtherFormInterceptor::StaticClass());
  UnregisterPropertyInterceptorEh(TCustomForm::StaticClass(), TFormStoragePropertyInterceptor::StaticClass());
  EXPECT_EQ(GetInterceptorForTargetEh(TForm::StaticClass()), TOtherFormInterceptor::StaticClass());
  RegisterPropertyInterceptorEh<TFormStoragePropertyInterceptor>(TCustomForm::StaticClass());
  TForm form(nullptr);
  std::unique_ptr<TStoragePropertyInterceptor> i(CreateInterceptorForTargetEh(&form));
  ASSERT_NE(i, nullptr);
  EXPECT_EQ(i->Target(), &form);
  EXPECT_EQ(i->ClassType(), TFormStoragePropertyInterceptor::StaticClass());
  // What is only restored is never written: no reader.
  EXPECT_FALSE(GetPropInfo(i.get(), "PixelsPerInch")->HasGetter());
  EXPECT_FALSE(GetPropInfo(i.get(), "WindowState")->HasGetter());
  EXPECT_TRUE(GetPropInfo(i.get(), "Width")->HasGetter());
}

TEST(PropFilerEh, MaximisedFormKeepsItsNormalBounds) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 400, 300);
  form.Show();
  form.SetWindowState(wsMaximized);
  PumpMessages(1);
  ASSERT_EQ(form.WindowState(), wsMaximized);
  TFormStoragePropertyInterceptor saved(&form);
  EXPECT_EQ(saved.Left(), 100);
  EXPECT_EQ(saved.Width(), 400);
  EXPECT_EQ(saved.Height(), 300);
  // Restoring onto the maximised form keeps it maximised; the bounds become its normal place.
  TFormStoragePropertyInterceptor restore(&form);
  restore.SetLeft(10);
  restore.SetTop(20);
  restore.SetWidth(500);
  restore.SetHeight(350);
  restore.SetWindowState(wsMaximized);
  restore.SetPixelsPerInch(Screen->PixelsPerInch());
  restore.AfterPropertiesRead();
  EXPECT_EQ(form.WindowState(), wsMaximized);
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  GetWindowPlacement(form.Handle(), &wp);
  EXPECT_EQ(wp.rcNormalPosition.left, 10);
  EXPECT_EQ(wp.rcNormalPosition.right, 510);
  EXPECT_EQ(wp.rcNormalPosition.bottom, 370);
}

TEST(PropFilerEh, BoundsFollowTheScreenResolutionAndKeepCentring) {
  TForm form(nullptr);
  form.SetPosition(poScreenCenter);
  TFormStoragePropertyInterceptor only(&form);
  Integer ppi = Screen->PixelsPerInch();
  only.SetPixelsPerInch(ppi * 2);   // stored on a screen of twice the resolution
  only.SetWidth(1000);
  only.SetHeight(600);
  only.AfterPropertiesRead();
  EXPECT_EQ(form.Width(), 500);
  EXPECT_EQ(form.Height(), 300);
  EXPECT_EQ(form.Position(), poScreenCenter);   // no position was read
  TFormStoragePropertyInterceptor placed(&form);
  placed.SetLeft(30);
  placed.SetPixelsPerInch(ppi);
  placed.AfterPropertiesRead();
  EXPECT_EQ(form.Left(), 30);
  EXPECT_EQ(form.Position(), poDesigned);
}

}  // namespace
