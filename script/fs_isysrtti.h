// The built-in routines and types every script program receives first:
// base type names, True/False/nil/Null, the Variant type codes, the string
// and array element helpers, the exception variables of try..except and
// the standard routines (conversion, formatting, dates, strings, maths and
// the rest).
#pragma once
#include <functional>

#include "fs_iinterpreter.h"

class TfsSysFunctions : public TfsRTTIModule {
  TOVANI_CLASS(TfsSysFunctions, TfsRTTIModule)
 public:
  explicit TfsSysFunctions(TfsScript* AScript);
  static TfsRTTIModule* CreateModule(TfsScript* Script) { return new TfsSysFunctions(Script); }
};

// ShowMessage shows its text through this procedure; the window library
// may route it to its own message box. By default a Win32 message box.
using TfsShowMessageProc = std::function<void(const String& Text)>;
void fsSetShowMessageProc(TfsShowMessageProc Proc);

// The mask formatting of edit masks ("mask;save-literals;blank") behind the
// scripts' FormatMaskText (named apart from the class library's own).
String fsFormatMaskText(const String& EditMask, const String& Value);
