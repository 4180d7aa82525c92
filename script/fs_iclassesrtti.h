// Scripts' view of the class library's base classes: objects, persistent
// objects, collections, lists, string lists, streams, components and the
// script engine's own XML model.
#pragma once
#include "fs_iinterpreter.h"

class TfsClassesFunctions : public TfsRTTIModule {
  TOVANI_CLASS(TfsClassesFunctions, TfsRTTIModule)
 public:
  explicit TfsClassesFunctions(TfsScript* AScript);
  static TfsRTTIModule* CreateModule(TfsScript* Script) { return new TfsClassesFunctions(Script); }
};

// Enters the module into the registry (once; later calls do nothing).
void fsRegisterClassesRTTI();

// The object a handler works on: EfsScriptError when there is none or it is
// not of class Cls (a script may hold any object in a variable of any class).
TObject* fsCheckedInstance(TObject* Instance, TClass Cls, const String& Member);
template <class T>
T* fsInstance(TObject* Instance, const String& Member) {
  return static_cast<T*>(fsCheckedInstance(Instance, T::StaticClass(), Member));
}
