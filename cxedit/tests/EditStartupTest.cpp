// Start-up and shut-down of the editor framework's modules: counted steps,
// the platform rules, the registrations and what shut-down releases.
#include <memory>

#include "Collation.h"
#include "ExtCtrls.h"
#include "TestWindows.h"
#include "cxEditPaintUtils.h"
#include "cxEditStartup.h"
#include "cxFilterControlUtils.h"
#include "cxFormats.h"
#include "cxMaskEdit.h"
#include "cxPopupEdit.h"
#include "cxTextEdit.h"
#include "gtest.h"

namespace {
// Brings a module to the state "started once".
void StartOnce(TcxEditFrameworkModule M) {
  while (cxEditModuleStartupCount(M) < 0) cxEditModuleShutdown(M);
  cxEditModuleStartup(M);
}

Integer RegistryIndex(TClass C) { return cxEditPropertiesRegistry()->IndexOfClass(C); }
}  // namespace

TEST(EditStartup, CountedStepsActOnce) {
  const TcxEditFrameworkModule m = cxmDrawTextUtils;
  while (cxEditModuleStartupCount(m) < 0) cxEditModuleShutdown(m);
  EXPECT_TRUE(cxEditModuleStartup(m));
  EXPECT_EQ(cxEllipsisLength(), 3);
  EXPECT_FALSE(cxEditModuleStartup(m));   // nested: counted only
  EXPECT_EQ(cxEditModuleStartupCount(m), -2);
  EXPECT_FALSE(cxEditModuleShutdown(m));
  EXPECT_TRUE(cxEditModuleShutdown(m));
  EXPECT_FALSE(cxEditModuleShutdown(m));  // one shut-down too many changes nothing
  EXPECT_EQ(cxEditModuleStartupCount(m), 1);
  cxEditModuleStartup(m);
  StartOnce(m);
  EXPECT_EQ(cxEditModuleStartupCount(m), -1);
  EXPECT_EQ(cxEditFrameworkModuleName(cxmDropDownEdit), "cxDropDownEdit");
}

TEST(EditStartup, PlatformRules) {
  // Composition entry points only above major version 5.
  cxUnloadDwmApi();
  EXPECT_FALSE(cxLoadDwmApiFor(5));
  EXPECT_FALSE(cxDwmApiLoaded());
  EXPECT_EQ(cxDwmEntryPoint("DwmIsCompositionEnabled"), nullptr);
  if (cxLoadDwmApiFor(6)) EXPECT_NE(cxDwmEntryPoint("DwmIsCompositionEnabled"), nullptr);
  // The hot-light colour.
  struct Case {
    DWORD Platform, Major, Minor;
    bool HotLight;
  };
  const Case cases[] = {{VER_PLATFORM_WIN32_NT, 6, 0, false},
                        {VER_PLATFORM_WIN32_NT, 5, 1, true},
                        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, true},
                        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, false}};
  for (const Case& c : cases)
    EXPECT_EQ(cxIsHotLightPlatform(c.Platform, c.Major, c.Minor), c.HotLight) << c.Major << "." << c.Minor;
  StartOnce(cxmEditUtils);
  EXPECT_EQ(cxHotTrackColor(), cxHotLightColorAvailable() ? clHotLight : TColor(0xFF0000));
  // The system-colour brushes.
  StartOnce(cxmEditPaintUtils);
  EXPECT_EQ(cxSystemColorBrush(COLOR_WINDOW), GetSysColorBrush(COLOR_WINDOW));
  EXPECT_EQ(cxSystemColorBrush(31), nullptr);
  cxEditModuleShutdown(cxmEditPaintUtils);
  EXPECT_EQ(cxSystemColorBrush(COLOR_WINDOW), nullptr);
  cxEditModuleStartup(cxmEditPaintUtils);
  // The format controller goes with its module.
  cxGetFormatController();
  StartOnce(cxmFormats);
  cxEditModuleShutdown(cxmFormats);
  EXPECT_FALSE(cxFormatControllerExists());
  cxEditModuleStartup(cxmFormats);
}

TEST(EditStartup, RegistrationsAndTheirRemoval) {
  cxEditFrameworkEnsureStarted();
  TcxRegisteredClasses* r = cxEditPropertiesRegistry();
  for (auto [cls, text] : {std::pair{TcxMaskEditProperties::StaticClass(), "MaskEdit|Represents a generic masked edit control."},
                           std::pair{TcxPopupEditProperties::StaticClass(), "PopupEdit|Represents an edit control with a dropdown list"},
                           std::pair{TcxTextEditProperties::StaticClass(), "TextEdit|Represents a single line text editor"}}) {
    Integer i = RegistryIndex(cls);
    ASSERT_GE(i, 0) << text;
    EXPECT_EQ(r->GetFullDescription(i), text);
  }
  TcxFilterEditsController* c = cxGetFilterEditsController();
  EXPECT_EQ(c->FindClass(TcxMaskEditProperties::StaticClass()), TcxFilterMaskEditHelper::StaticClass());
  EXPECT_EQ(c->FindClass(TcxTextEditProperties::StaticClass()), TcxFilterTextEditHelper::StaticClass());
  // The masked editor's shut-down takes its filter pair away; a new
  // start-up puts it back once.
  cxEditModuleShutdown(cxmMaskEdit);
  EXPECT_NE(cxGetFilterEditsController()->FindClass(TcxMaskEditProperties::StaticClass()),
            TcxFilterMaskEditHelper::StaticClass());
  Integer pairs = cxGetFilterEditsController()->GetPairCount();
  cxEditModuleStartup(cxmMaskEdit);
  EXPECT_EQ(cxGetFilterEditsController()->FindClass(TcxMaskEditProperties::StaticClass()),
            TcxFilterMaskEditHelper::StaticClass());
  EXPECT_EQ(cxGetFilterEditsController()->GetPairCount(), pairs + 1);
}

// The registry is sorted by the short name before the bar, whatever order
// the modules registered in (the text editor's before the masked editor's).
TEST(EditStartup, RegistryIsSortedByShortName) {
  cxEditFrameworkEnsureStarted();
  const Integer mask = RegistryIndex(TcxMaskEditProperties::StaticClass());
  const Integer popup = RegistryIndex(TcxPopupEditProperties::StaticClass());
  const Integer text = RegistryIndex(TcxTextEditProperties::StaticClass());
  EXPECT_LT(mask, popup);
  EXPECT_LT(popup, text);
  TcxRegisteredClasses* r = cxEditPropertiesRegistry();
  for (Integer i = 1; i < r->Count(); ++i)
    EXPECT_LE(AnsiCompareText(r->GetDescription(i - 1), r->GetDescription(i)), 0) << r->GetDescription(i);
}

// A plain text editor made first, with no masked editor anywhere, finds the
// framework started: the popup owner hook, the hot-track colour and the
// registrations.
TEST(EditStartup, AnyEditorMadeFirstFindsTheFrameworkStarted) {
  for (TcxEditFrameworkModule m : {cxmContainer, cxmEditUtils, cxmMaskEdit}) {
    while (cxEditModuleStartupCount(m) < 0) cxEditModuleShutdown(m);
    ASSERT_EQ(cxEditModuleStartupCount(m), 0);
  }
  ASSERT_EQ(cxGetOwnerWindowHook, nullptr);
  TForm form(nullptr);
  auto* e = new TcxTextEdit(&form);
  (void)e;
  EXPECT_NE(cxGetOwnerWindowHook, nullptr);
  EXPECT_EQ(cxEditModuleStartupCount(cxmEditUtils), -1);
  EXPECT_EQ(cxHotTrackColor(), cxHotLightColorAvailable() ? clHotLight : TColor(0xFF0000));
  EXPECT_EQ(cxGetFilterEditsController()->FindClass(TcxMaskEditProperties::StaticClass()),
            TcxFilterMaskEditHelper::StaticClass());
  EXPECT_GE(RegistryIndex(TcxMaskEditProperties::StaticClass()), 0);
}

TEST(EditStartup, ContainerShutdownClosesPopups) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(60, 60, 300, 200);
  auto* e = new TcxPopupEdit(form.get());
  e->SetBounds(10, 10, 150, 24);
  e->SetParent(form.get());
  auto* panel = new TPanel(form.get());
  panel->SetBounds(10, 60, 100, 60);
  panel->SetParent(form.get());
  e->Properties()->SetPopupControl(panel);
  form->Show();
  PumpMessages(2);
  bool hooks = false;
  e->Properties()->OnPopup = [&](TObject*) {
    hooks = cxPopupHooksInstalled();
    // The container module goes while the popup is open: it closes.
    StartOnce(cxmContainer);
    cxEditModuleShutdown(cxmContainer);
  };
  e->SetDroppedDown(true);
  PumpMessages(3);
  EXPECT_TRUE(hooks);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_FALSE(cxPopupHooksInstalled());
  EXPECT_EQ(cxGetOwnerWindowHook, nullptr);
  EXPECT_EQ(panel->Parent(), form.get());
  cxEditModuleStartup(cxmContainer);
  EXPECT_NE(cxGetOwnerWindowHook, nullptr);
}
