#include "cxEditStartup.h"

#include <array>

#include "cxContainer.h"
#include "cxDropDownEdit.h"
#include "cxEditPaintUtils.h"
#include "cxFilterControlUtils.h"
#include "cxFormats.h"
#include "cxMaskEdit.h"
#include "cxPopupEdit.h"
#include "cxTextEdit.h"

namespace {
// Module state ---------------------------------------------------------------------

std::array<Integer, cxEditFrameworkModuleCount> GCounts{};

const char* const kModuleNames[cxEditFrameworkModuleCount] = {
    "cxDWMApi",      "cxContainer", "cxEditPaintUtils", "cxFormats", "cxDateUtils", "cxDrawTextUtils",
    "cxEditUtils",   "cxEdit",      "cxTextEdit",       "cxMaskEdit", "cxDropDownEdit"};

const char* const kDwmNames[] = {"DwmDefWindowProc",       "DwmEnableBlurBehindWindow", "DwmEnableComposition",
                                 "DwmEnableMMCSS",         "DwmExtendFrameIntoClientArea",
                                 "DwmGetColorizationColor", "DwmGetWindowAttribute",     "DwmIsCompositionEnabled",
                                 "DwmSetWindowAttribute"};
constexpr size_t kDwmCount = sizeof(kDwmNames) / sizeof(kDwmNames[0]);
HMODULE GDwmLibrary = nullptr;
FARPROC GDwmProcs[kDwmCount] = {};

bool GScrollBarInfoFound = false;
std::array<HBRUSH, 31> GSystemBrushes{};
Integer GEllipsisLength = 0;
bool GHotLight = false;

const TcxResourceString cxSEditTextEditDescription{"TextEdit|Represents a single line text editor"};
const TcxResourceString cxSEditMaskEditDescription{"MaskEdit|Represents a generic masked edit control."};
const TcxResourceString cxSEditComboBoxDescription{"ComboBox|Represents the combo box editor"};
const TcxResourceString cxSEditPopupEditDescription{"PopupEdit|Represents an edit control with a dropdown list"};

OSVERSIONINFOW PlatformVersion() {
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof(v);
  GetVersionExW(&v);
  return v;
}

// A pair is added once (a start-up after a shut-down, or a unit's own
// first-use registration before it, finds it in place).
void AddFilterPair(TClass AProperties, TClass AHelper) {
  if (!AProperties || !AHelper) return;
  TcxFilterEditsController* c = cxGetFilterEditsController();
  // The controller keeps a pair under the parent of the class given.
  TClass stored = AProperties->Parent ? AProperties->Parent : AProperties;
  Integer index = 0;
  if (c->FindClassPair(stored, index) && c->GetPair(index)->RegisteredClass == AHelper) return;
  c->AddClassPair(AProperties, AHelper);
}

void RemoveFilterPair(TClass AProperties, TClass AHelper) {
  if (!AProperties || !AHelper || !cxFilterEditsControllerExists()) return;
  cxGetFilterEditsController()->RemoveClassPair(AProperties, AHelper);
}

// Classes of other units, found by name (absent until their unit is built
// into the program).
TClass ClassNamed(const char* AName) { return FindClassInfo(AName); }

// Steps ---------------------------------------------------------------------------------

void StartModule(TcxEditFrameworkModule AModule) {
  switch (AModule) {
    case cxmDWMApi:
      cxLoadDwmApiFor(PlatformVersion().dwMajorVersion);
      break;
    case cxmContainer:
      GScrollBarInfoFound = cxScrollBarInfoAvailable();
      cxContainerPopupsStartup();
      break;
    case cxmEditPaintUtils:
      for (Integer i = 0; i < Integer(GSystemBrushes.size()); ++i) GSystemBrushes[size_t(i)] = GetSysColorBrush(i);
      cxSolidBrushCache();
      break;
    case cxmFormats:
    case cxmDateUtils:
      break;
    case cxmDrawTextUtils:
      GEllipsisLength = 3;   // "..."
      break;
    case cxmEditUtils: {
      OSVERSIONINFOW v = PlatformVersion();
      GHotLight = cxIsHotLightPlatform(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion);
      break;
    }
    case cxmEdit:
      cxEditUnitStartup();
      break;
    case cxmTextEdit:
      cxTextEditUnitStartup();
      cxEditPropertiesRegistry()->AddClass(TcxTextEditProperties::StaticClass(),
                                           cxLoadResourceText(cxSEditTextEditDescription));
      AddFilterPair(TcxTextEditProperties::StaticClass(), TcxFilterTextEditHelper::StaticClass());
      break;
    case cxmMaskEdit:
      cxEditPropertiesRegistry()->AddClass(TcxMaskEditProperties::StaticClass(),
                                           cxLoadResourceText(cxSEditMaskEditDescription));
      AddFilterPair(TcxMaskEditProperties::StaticClass(), TcxFilterMaskEditHelper::StaticClass());
      break;
    case cxmDropDownEdit:
      if (TClass combo = ClassNamed("TcxComboBoxProperties"))
        cxEditPropertiesRegistry()->AddClass(combo, cxLoadResourceText(cxSEditComboBoxDescription));
      cxEditPropertiesRegistry()->AddClass(TcxPopupEditProperties::StaticClass(),
                                           cxLoadResourceText(cxSEditPopupEditDescription));
      AddFilterPair(ClassNamed("TcxComboBoxProperties"), ClassNamed("TcxFilterComboBoxHelper"));
      break;
  }
}

void StopModule(TcxEditFrameworkModule AModule) {
  switch (AModule) {
    case cxmDWMApi:
      cxUnloadDwmApi();
      break;
    case cxmContainer:
      cxContainerPopupsShutdown();
      break;
    case cxmEditPaintUtils:
      cxSolidBrushCache()->Clear();
      GSystemBrushes.fill(nullptr);
      break;
    case cxmFormats:
      if (cxFormatControllerExists()) cxFreeFormatController();
      break;
    case cxmDateUtils:
    case cxmDrawTextUtils:
    case cxmEditUtils:
      break;
    case cxmEdit:
      cxEditUnitShutdown();
      break;
    case cxmTextEdit:
      RemoveFilterPair(TcxTextEditProperties::StaticClass(), TcxFilterTextEditHelper::StaticClass());
      break;
    case cxmMaskEdit:
      RemoveFilterPair(TcxMaskEditProperties::StaticClass(), TcxFilterMaskEditHelper::StaticClass());
      break;
    case cxmDropDownEdit:
      RemoveFilterPair(ClassNamed("TcxComboBoxProperties"), ClassNamed("TcxFilterComboBoxHelper"));
      break;
  }
}
}  // namespace

String cxEditFrameworkModuleName(TcxEditFrameworkModule AModule) { return kModuleNames[AModule]; }

bool cxEditModuleStartup(TcxEditFrameworkModule AModule) {
  Integer& count = GCounts[size_t(AModule)];
  const bool acts = count == 0;
  --count;
  if (acts) StartModule(AModule);
  return acts;
}

bool cxEditModuleShutdown(TcxEditFrameworkModule AModule) {
  Integer& count = GCounts[size_t(AModule)];
  const bool acts = count == -1;
  ++count;
  if (acts) StopModule(AModule);
  return acts;
}

Integer cxEditModuleStartupCount(TcxEditFrameworkModule AModule) { return GCounts[size_t(AModule)]; }

void cxEditFrameworkStartup() {
  for (Integer i = 0; i < cxEditFrameworkModuleCount; ++i) cxEditModuleStartup(TcxEditFrameworkModule(i));
}

void cxEditFrameworkShutdown() {
  for (Integer i = cxEditFrameworkModuleCount - 1; i >= 0; --i) cxEditModuleShutdown(TcxEditFrameworkModule(i));
}

void cxEditFrameworkEnsureStarted() {
  for (Integer i = 0; i < cxEditFrameworkModuleCount; ++i)
    if (GCounts[size_t(i)] == 0) cxEditModuleStartup(TcxEditFrameworkModule(i));
}

// Desktop composition ------------------------------------------------------------

bool cxLoadDwmApiFor(DWORD AMajorVersion) {
  if (GDwmLibrary) return true;
  if (AMajorVersion <= 5) return false;
  GDwmLibrary = LoadLibraryW(L"dwmapi.dll");
  if (!GDwmLibrary) return false;
  for (size_t i = 0; i < kDwmCount; ++i)
    GDwmProcs[i] = reinterpret_cast<FARPROC>(GetProcAddress(GDwmLibrary, kDwmNames[i]));
  return true;
}

void cxUnloadDwmApi() {
  if (!GDwmLibrary) return;
  for (FARPROC& p : GDwmProcs) p = nullptr;
  FreeLibrary(GDwmLibrary);
  GDwmLibrary = nullptr;
}

bool cxDwmApiLoaded() { return GDwmLibrary != nullptr; }

FARPROC cxDwmEntryPoint(const char* AName) {
  for (size_t i = 0; i < kDwmCount; ++i)
    if (strcmp(kDwmNames[i], AName) == 0) return GDwmProcs[i];
  return nullptr;
}

// Colours and texts ------------------------------------------------------------------

HBRUSH cxSystemColorBrush(Integer AIndex) {
  return AIndex >= 0 && AIndex < Integer(GSystemBrushes.size()) ? GSystemBrushes[size_t(AIndex)] : nullptr;
}

Integer cxEllipsisLength() { return GEllipsisLength; }

bool cxIsHotLightPlatform(DWORD APlatformId, DWORD AMajorVersion, DWORD AMinorVersion) {
  return (APlatformId == VER_PLATFORM_WIN32_WINDOWS && AMinorVersion != 0) ||
         (APlatformId == VER_PLATFORM_WIN32_NT && AMajorVersion == 5);
}

bool cxHotLightColorAvailable() { return GHotLight; }

TColor cxHotTrackColor() { return GHotLight ? clHotLight : TColor(0xFF0000); }
