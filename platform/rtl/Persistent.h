// TPersistent: the base of every object that can be assigned from another
// object and written to a component stream. It lives in the run-time library
// so that string lists and the other containers can derive from it; the
// streaming classes (TFiler and its readers and writers) are in
// platform/classes.
#pragma once
#include "System.h"

class TFiler;

class TPersistent : public TObject {
  TOVANI_CLASS(TPersistent, TObject)
 public:
  // Copies Source into this object. The default asks Source to assign itself
  // (AssignTo); a null Source or a pair of classes that know nothing of each
  // other raises EConvertError "Cannot assign a <source> to a <dest>".
  virtual void Assign(TPersistent* Source);
  // The path by which the designer and error messages name this object:
  // the owner's path, a dot and the class name (or just the class name).
  virtual String GetNamePath();

  // Lets a class store data that is not a published property (called by the
  // component writer and reader of platform/classes).
  virtual void DefineProperties(TFiler* Filer);

 protected:
  // Copies this object into Dest; the default raises the assign error.
  virtual void AssignTo(TPersistent* Dest);
  // The object that owns this one for naming purposes; null by default.
  virtual TPersistent* GetOwner();
  // Raises EConvertError for an assignment from Source (null gives "nil").
  [[noreturn]] void AssignError(TPersistent* Source);
};
