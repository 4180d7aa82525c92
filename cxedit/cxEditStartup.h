// Start-up and shut-down of the editor framework's modules. Each module
// prepares its process-wide state once (desktop-composition entry points,
// the popup owner hook, system-colour brushes, the hot-track colour, the
// editor unit's objects, the editor and filter registrations) and releases
// it at the end. Start-up runs the modules in a fixed order and shut-down in
// the reverse one. A module counts its start-ups from 0: start-up acts only
// when the count was 0 (and decrements it), shut-down only when it was -1
// (and increments it), so nested start-up and shut-down pairs act once.
#pragma once
#include <windows.h>

#include "Graphics.h"

enum TcxEditFrameworkModule {
  cxmDWMApi,
  cxmContainer,
  cxmEditPaintUtils,
  cxmFormats,
  cxmDateUtils,
  cxmDrawTextUtils,
  cxmEditUtils,
  cxmEdit,
  cxmTextEdit,
  cxmMaskEdit,
  cxmDropDownEdit
};
constexpr Integer cxEditFrameworkModuleCount = 11;

// The module's name ("cxDWMApi", "cxContainer", ...).
String cxEditFrameworkModuleName(TcxEditFrameworkModule AModule);
// True when the step acted.
bool cxEditModuleStartup(TcxEditFrameworkModule AModule);
bool cxEditModuleShutdown(TcxEditFrameworkModule AModule);
Integer cxEditModuleStartupCount(TcxEditFrameworkModule AModule);
// Every module in order; shut-down in the reverse order.
void cxEditFrameworkStartup();
void cxEditFrameworkShutdown();
// Starts the modules that have not started (without counting a second
// start-up): for code that needs the registrations in place.
void cxEditFrameworkEnsureStarted();

// Desktop composition entry points: bound at start-up on platforms of major
// version above 5.
bool cxDwmApiLoaded();
// Binds the entry points as the start-up does for a platform's major
// version (false for 5 or lower: nothing is loaded).
bool cxLoadDwmApiFor(DWORD AMajorVersion);
void cxUnloadDwmApi();
FARPROC cxDwmEntryPoint(const char* AName);

// The system's brush of a colour index 0 to 30 (null outside the table or
// before start-up).
HBRUSH cxSystemColorBrush(Integer AIndex);
// The length of the text drawing's ellipsis ("...").
Integer cxEllipsisLength();

// Whether the platform has the hot-light system colour: the consumer
// platform with a minor version other than 0, the NT platform of major
// version 5 exactly.
bool cxIsHotLightPlatform(DWORD APlatformId, DWORD AMajorVersion, DWORD AMinorVersion);
bool cxHotLightColorAvailable();
// COLOR_HOTLIGHT where the platform has it, else pure blue.
TColor cxHotTrackColor();
