// The styled container of the editor library.
#pragma once
#include "cxControls.h"

enum TcxContainerBorderStyle { cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat, cbsOffice11 };
TOVANI_ENUM_INFO(TcxContainerBorderStyle)

// Pixels of each border style: 0, 1, 2, 2, 2, 1, 1.
Integer cxContainerBorderWidth(TcxContainerBorderStyle AStyle);
