// Scripts' access to ini files: TCustomIniFile, TMemIniFile and TIniFile.
#pragma once
#include "fs_iinterpreter.h"

class TfsIniFunctions : public TfsRTTIModule {
  TOVANI_CLASS(TfsIniFunctions, TfsRTTIModule)
 public:
  explicit TfsIniFunctions(TfsScript* AScript);
  static TfsRTTIModule* CreateModule(TfsScript* Script) { return new TfsIniFunctions(Script); }
};

// Enters the module into the registry (once; later calls do nothing).
void fsRegisterIniRTTI();
