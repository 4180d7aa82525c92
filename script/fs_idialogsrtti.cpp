#include "fs_idialogsrtti.h"

#include "Dialogs.h"
#include "SysUtils.h"
#include "fs_iclassesrtti.h"

TOVANI_IMPLEMENT_CLASS(TfsDialogsFunctions, TfsRTTIModule)

void fsRegisterDialogsRTTI() { fsRegisterRTTIModule(&TfsDialogsFunctions::CreateModule); }

namespace {

String Str(TfsMethodHelper* c, Integer i) { return VarToStr(c->ParamValue(i)); }

// A set value: a set constructor gives the array of its members' bits, a
// set variable or constant their union.
uint32_t SetMask(const Variant& V) {
  if (!V.IsArray()) return uint32_t(V.AsInteger());
  uint32_t mask = 0;
  for (Integer i = V.LowBound(), hi = V.HighBound(); i <= hi; ++i) mask |= uint32_t(V.GetElement(i).AsInteger());
  return mask;
}

Variant CallMethod(TObject* Instance, TClass ClassType, const String& M, TfsMethodHelper* c) {
  if (ClassType == TCommonDialog::StaticClass()) {
    if (M == "EXECUTE") return Variant(fsInstance<TCommonDialog>(Instance, M)->Execute());
  } else if (!ClassType) {
    if (M == "MESSAGEDLG")
      return Variant(MessageDlg(Str(c, 0), TMsgDlgType(c->ParamValue(1).AsInteger()),
                                TMsgDlgButtons::FromMask(SetMask(c->ParamValue(2))),
                                c->ParamValue(3).AsInteger()));
    if (M == "INPUTBOX") return Variant(InputBox(Str(c, 0), Str(c, 1), Str(c, 2)));
    if (M == "INPUTQUERY") {
      String value = Str(c, 2);
      bool ok = InputQuery(Str(c, 0), Str(c, 1), value);
      c->SetParamValue(2, Variant(value));
      return Variant(ok);
    }
  }
  return Variant(Integer(0));
}

}  // namespace

TfsDialogsFunctions::TfsDialogsFunctions(TfsScript* S) : TfsRTTIModule(S) {
  S->AddEnumSet("TOpenOptions",
                "ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, "
                "ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, "
                "ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, "
                "ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing");
  S->AddEnumSet("TColorDialogOptions", "cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor");
  S->AddEnumSet("TFontDialogOptions",
                "fdAnsiOnly, fdTrueTypeOnly, fdEffects, fdFixedPitchOnly, fdForceFontExist, fdNoFaceSel, "
                "fdNoOEMFonts, fdNoSimulations, fdNoSizeSel, fdNoStyleSel, fdNoVectorFonts, fdShowHelp, "
                "fdWysiwyg, fdLimitSize, fdScalableOnly, fdApplyButton");
  S->AddEnumSet("TPrintDialogOptions",
                "poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile");
  S->AddEnumSet("TMsgDlgButtons",
                "mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp");
  S->AddEnum("TFileEditStyle", "fsEdit, fsComboBox");
  S->AddEnum("TFontDialogDevice", "fdScreen, fdPrinter, fdBoth");
  S->AddEnum("TPrintRange", "prAllPages, prSelection, prPageNums");
  S->AddEnum("TMsgDlgType", "mtWarning, mtError, mtInformation, mtConfirmation, mtCustom");

  TfsCallerMethodHandler m = CallMethod;
  TfsClassVariable* c = S->AddClass(TCommonDialog::StaticClass(), "TComponent");
  c->AddMethod("function Execute: Boolean", m);
  for (TClass cls : {TOpenDialog::StaticClass(), TSaveDialog::StaticClass(), TColorDialog::StaticClass(),
                     TFontDialog::StaticClass(), TPrintDialog::StaticClass(),
                     TPrinterSetupDialog::StaticClass()})
    S->AddClass(cls, "TCommonDialog");

  S->AddMethod("function MessageDlg(Msg: string; DlgType: TMsgDlgType; Buttons: TMsgDlgButtons; HelpCtx: Longint): Integer",
               m, "ctOther");
  S->AddMethod("function InputBox(ACaption, APrompt, ADefault: string): string", m, "ctOther");
  S->AddMethod("function InputQuery(ACaption, APrompt: string; var Value: string): Boolean", m, "ctOther");
}
