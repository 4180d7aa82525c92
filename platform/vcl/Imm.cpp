#include "Imm.h"

#include <imm.h>

void SetImeMode(HWND Window, TImeMode Mode) {
  if (!Window) return;
  if (Mode == imDisable) {
    ImmAssociateContextEx(Window, nullptr, 0);
    return;
  }
  // Any other mode wants the window's own context back.
  ImmAssociateContextEx(Window, nullptr, IACE_DEFAULT);
  if (Mode == imDontCare) return;
  HIMC context = ImmGetContext(Window);
  if (!context) return;
  if (Mode == imClose) {
    ImmSetOpenStatus(context, FALSE);
  } else {
    ImmSetOpenStatus(context, TRUE);
    DWORD conversion = 0, sentence = 0;
    ImmGetConversionStatus(context, &conversion, &sentence);
    DWORD wanted = conversion;
    switch (Mode) {
      case imSAlpha: wanted = IME_CMODE_ALPHANUMERIC; break;
      case imAlpha: wanted = IME_CMODE_ALPHANUMERIC | IME_CMODE_FULLSHAPE; break;
      case imHira: wanted = IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE; break;
      case imSKata: wanted = IME_CMODE_NATIVE | IME_CMODE_KATAKANA; break;
      case imKata: wanted = IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE; break;
      case imChinese: wanted = IME_CMODE_NATIVE; break;
      case imSHanguel: wanted = IME_CMODE_NATIVE; break;
      case imHanguel: wanted = IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE; break;
      default: break;  // imOpen: the mode the input method was in
    }
    if (wanted != conversion) ImmSetConversionStatus(context, wanted, sentence);
  }
  ImmReleaseContext(Window, context);
}
