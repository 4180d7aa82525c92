// Helpers of the script engine tests: a program with the built-in routines
// that compiles and runs a text and reads its variables back.
#pragma once
#include <memory>

#include "Strings.h"
#include "SysUtils.h"
#include "Variant.h"
#include "fs_iinterpreter.h"

struct ScriptRun {
  std::unique_ptr<TfsScript> Script{new TfsScript(nullptr)};

  ScriptRun() { Script->AddRTTI(); }
  // Compiles; false with ErrorText/ErrorLocation set on a compile error.
  bool Compile(const String& Text) {
    Script->Lines()->SetText(Text);
    return Script->Compile();
  }
  // Compiles and runs; a compile error fails the calling test.
  bool Run(const String& Text) {
    if (!Compile(Text)) return false;
    Script->Execute();
    return true;
  }
  Variant Get(const String& Name) {
    TfsCustomVariable* v = Script->Find(Name);
    return v ? v->ReadValue() : Variant::Null();
  }
  String Error() const { return Script->ErrorText + " @" + Script->ErrorLocation; }
};
