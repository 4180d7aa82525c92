// Temporary stand-in used only until the run-time library's TPersistent
// lands (CMake adds this folder to the include path only then).
#pragma once
#include "System.h"
class TFiler;
class TPersistent : public TObject {
  TOVANI_CLASS(TPersistent, TObject)
 public:
  virtual void Assign(TPersistent* Source) {
    if (Source) { Source->AssignTo(this); return; }
    AssignError(Source);
  }
  virtual String GetNamePath() { return ClassName(); }
  virtual void DefineProperties(TFiler*) {}
 protected:
  virtual void AssignTo(TPersistent* Dest) { Dest->AssignError(this); }
  virtual TPersistent* GetOwner() { return nullptr; }
  [[noreturn]] void AssignError(TPersistent* Source) {
    throw EConvertError("Cannot assign a " + (Source ? Source->ClassName() : String("nil")) + " to a " + ClassName());
  }
};
inline TClass TPersistent::StaticClass() {
  static TClassInfo info{"TPersistent", TObject::StaticClass(), nullptr};
  return &info;
}
