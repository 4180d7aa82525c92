#include "cxContainer.h"

TOVANI_IMPLEMENT_ENUM_INFO(TcxContainerBorderStyle, "cbsNone", "cbsSingle", "cbsThick", "cbsFlat", "cbs3D",
                           "cbsUltraFlat", "cbsOffice11")

Integer cxContainerBorderWidth(TcxContainerBorderStyle AStyle) {
  static const Integer widths[] = {0, 1, 2, 2, 2, 1, 1};
  return unsigned(AStyle) < 7 ? widths[AStyle] : 0;
}
