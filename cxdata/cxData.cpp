#include "cxData.h"

TOVANI_IMPLEMENT_CLASS(TcxDataController, TcxCustomDataController)

TcxDataController::TcxDataController(TComponent* AOwner) : TcxCustomDataController(AOwner) {
  // An unbound controller has no source to wait for. The provider is made
  // on first use, so a derived controller's own provider class still wins.
  SetActiveFlag(true);
}
