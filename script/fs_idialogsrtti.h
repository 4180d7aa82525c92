// Scripts' access to the class library's common dialogs (open, save, colour, font, print) and the message, input-box and input-query routines.
#pragma once
#include "fs_iinterpreter.h"

class TfsDialogsFunctions : public TfsRTTIModule {
  TOVANI_CLASS(TfsDialogsFunctions, TfsRTTIModule)
 public:
  explicit TfsDialogsFunctions(TfsScript* AScript);
  static TfsRTTIModule* CreateModule(TfsScript* Script) { return new TfsDialogsFunctions(Script); }
};

// Enters the module into the registry (once; later calls do nothing).
void fsRegisterDialogsRTTI();
