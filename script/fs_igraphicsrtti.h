// Scripts' access to the class library's fonts, pens, brushes, canvases, graphics, pictures, metafiles and bitmaps, and the colour constants.
#pragma once
#include "fs_iinterpreter.h"

class TfsGraphicsFunctions : public TfsRTTIModule {
  TOVANI_CLASS(TfsGraphicsFunctions, TfsRTTIModule)
 public:
  explicit TfsGraphicsFunctions(TfsScript* AScript);
  static TfsRTTIModule* CreateModule(TfsScript* Script) { return new TfsGraphicsFunctions(Script); }
};

// Enters the module into the registry (once; later calls do nothing).
void fsRegisterGraphicsRTTI();
