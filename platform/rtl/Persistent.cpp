#include "Persistent.h"

TOVANI_IMPLEMENT_CLASS(TPersistent, TObject)

void TPersistent::Assign(TPersistent* Source) {
  if (Source)
    Source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  String sourceName = Source ? Source->ClassName() : String("nil");
  throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

TPersistent* TPersistent::GetOwner() { return nullptr; }

String TPersistent::GetNamePath() {
  String result = ClassName();
  if (TPersistent* owner = GetOwner()) {
    String s = owner->GetNamePath();
    if (!s.empty()) result = s + "." + result;
  }
  return result;
}

void TPersistent::DefineProperties(TFiler*) {}
