// Included first by every source compiled as Windows code in a unity build.
// Sources of one batch share one translation unit, so the macros of
// Windows' headers that clash with class-library names (GetObject, TextOut,
// DrawText, ...) would reach some sources of a batch and not others and
// rename class members in some of them only. Every source therefore starts
// with Windows' headers and those macros undone, as the class library's own
// sources do.
#if defined(_WIN32) && defined(__cplusplus)
#include "../platform/vcl/VclWindows.h"
#endif
