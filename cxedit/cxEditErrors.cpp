#include "cxEditErrors.h"

TOVANI_IMPLEMENT_CLASS(EcxEditError, Exception)
TOVANI_IMPLEMENT_CLASS(EcxMaskEditError, EcxEditError)
