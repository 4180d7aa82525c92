// Scripts' view of the report model: the report, its objects, datasets,
// variables, styles, engine and outline, the report units and the report's
// date and aggregate routines.
#pragma once
#include "fs_iinterpreter.h"

class TfrxReportFunctions : public TfsRTTIModule {
  TOVANI_CLASS(TfrxReportFunctions, TfsRTTIModule)
 public:
  explicit TfrxReportFunctions(TfsScript* AScript);
  static TfsRTTIModule* CreateModule(TfsScript* Script) { return new TfrxReportFunctions(Script); }
};

// Enters the module into the registry (once; later calls do nothing).
void frxRegisterClassRTTI();
