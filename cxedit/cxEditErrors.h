// Error classes of the editor framework. The editor base unit re-exports
// these; every editor error derives from EcxEditError.
#pragma once
#include "System.h"

TOVANI_EXCEPTION(EcxEditError, Exception)
// A mask text that cannot be compiled (standard or regular-expression kind).
TOVANI_EXCEPTION(EcxMaskEditError, EcxEditError)
