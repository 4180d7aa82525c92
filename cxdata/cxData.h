// The unbound data controller: records live only in its storage, and it is
// active from the start. The lookup grid's controller derives from it and
// answers the items of its control.
#pragma once
#include "cxCustomData.h"

class TcxDataController : public TcxCustomDataController {
  TOVANI_CLASS(TcxDataController, TcxCustomDataController)
 public:
  explicit TcxDataController(TComponent* AOwner);
};
