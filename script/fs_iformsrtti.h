// Scripts' access to the class library's controls, standard controls, forms and the application object, with their events.
#pragma once
#include "fs_iinterpreter.h"

class TfsFormsFunctions : public TfsRTTIModule {
  TOVANI_CLASS(TfsFormsFunctions, TfsRTTIModule)
 public:
  explicit TfsFormsFunctions(TfsScript* AScript);
  static TfsRTTIModule* CreateModule(TfsScript* Script) { return new TfsFormsFunctions(Script); }
};

// Enters the module into the registry (once; later calls do nothing).
void fsRegisterFormsRTTI();
