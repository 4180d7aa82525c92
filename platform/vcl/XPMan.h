// The themed-controls marker component of forms: the program's manifest
// asks for version 6 of the common controls; nothing to do at run time.
#pragma once
#include "Classes.h"

class TXPManifest : public TComponent {
  TOVANI_CLASS(TXPManifest, TComponent)
 public:
  explicit TXPManifest(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
};
