#include "fs_iformsrtti.h"

#include "Controls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "fs_iclassesrtti.h"
#include "fs_ievents.h"

TOVANI_IMPLEMENT_CLASS(TfsFormsFunctions, TfsRTTIModule)

void fsRegisterFormsRTTI() { fsRegisterRTTIModule(&TfsFormsFunctions::CreateModule); }

namespace {

Integer Int(TfsMethodHelper* c, Integer i) { return c->ParamValue(i).AsInteger(); }
Variant Obj(const TObject* o) { return fsObjectToVariant(o); }

Variant CallMethod(TObject* Instance, TClass ClassType, const String& M, TfsMethodHelper* c) {
  if (ClassType == TControl::StaticClass()) {
    auto* self = fsInstance<TControl>(Instance, M);
    if (M == "HIDE") self->Hide();
    else if (M == "SHOW") self->Show();
    else if (M == "SETBOUNDS") self->SetBounds(Int(c, 0), Int(c, 1), Int(c, 2), Int(c, 3));
  } else if (ClassType == TWinControl::StaticClass()) {
    if (M == "SETFOCUS") fsInstance<TWinControl>(Instance, M)->SetFocus();
  } else if (ClassType == TCustomListBox::StaticClass()) {
    auto* self = fsInstance<TCustomListBox>(Instance, M);
    if (Int(c, 0) < 0 || Int(c, 0) >= self->Items()->Count())
      throw EListError("List index out of bounds (" + IntToStr(Int(c, 0)) + ")");
    if (M == "SELECTED.GET") return Variant(self->Selected(Int(c, 0)));
    if (M == "SELECTED.SET") self->SetSelected(Int(c, 0), c->ParamValue(1).AsBoolean());
  } else if (ClassType == TCustomForm::StaticClass()) {
    auto* self = fsInstance<TCustomForm>(Instance, M);
    if (M == "CLOSE") self->Close();
    else if (M == "HIDE") self->Hide();
    else if (M == "SHOW") self->Show();
    else if (M == "SHOWMODAL") return Variant(Integer(self->ShowModal()));
  } else if (ClassType == TApplication::StaticClass()) {
    auto* self = fsInstance<TApplication>(Instance, M);
    if (M == "MINIMIZE") self->Minimize();
    else if (M == "PROCESSMESSAGES") self->ProcessMessages();
    else if (M == "RESTORE") self->Restore();
  }
  return Variant(Integer(0));
}

Variant ModuleGetProp(TObject* Instance, TClass ClassType, const String& P) {
  if (ClassType == TControl::StaticClass()) {
    if (P == "PARENT") return Obj(fsInstance<TControl>(Instance, P)->Parent());
  } else if (ClassType == TCustomComboBox::StaticClass()) {
    auto* self = fsInstance<TCustomComboBox>(Instance, P);
    if (P == "DROPPEDDOWN") return Variant(self->DroppedDown());
    if (P == "ITEMINDEX") return Variant(self->ItemIndex());
  } else if (ClassType == TCustomListBox::StaticClass()) {
    auto* self = fsInstance<TCustomListBox>(Instance, P);
    if (P == "SELCOUNT") return Variant(self->SelCount());
    if (P == "ITEMINDEX") return Variant(self->ItemIndex());
  } else if (ClassType == TCustomForm::StaticClass()) {
    auto* self = fsInstance<TCustomForm>(Instance, P);
    if (P == "MODALRESULT") return Variant(Integer(self->ModalResult()));
    if (P == "CANVAS") return Obj(self->Canvas());
  } else if (ClassType == TApplication::StaticClass()) {
    if (P == "EXENAME") return Variant(fsInstance<TApplication>(Instance, P)->ExeName());
  }
  return Variant(Integer(0));
}

void ModuleSetProp(TObject* Instance, TClass ClassType, const String& P, const Variant& V) {
  if (ClassType == TControl::StaticClass()) {
    if (P == "PARENT") {
      TObject* o = fsVariantToObject(V);
      if (o && !o->InheritsFrom(TWinControl::StaticClass()))
        throw EfsScriptError("Parent: a TWinControl is required, got a " + o->ClassName());
      fsInstance<TControl>(Instance, P)->SetParent(static_cast<TWinControl*>(o));
    }
  } else if (ClassType == TCustomComboBox::StaticClass()) {
    auto* self = fsInstance<TCustomComboBox>(Instance, P);
    if (P == "DROPPEDDOWN") self->SetDroppedDown(V.AsBoolean());
    else if (P == "ITEMINDEX") self->SetItemIndex(V.AsInteger());
  } else if (ClassType == TCustomListBox::StaticClass()) {
    if (P == "ITEMINDEX") fsInstance<TCustomListBox>(Instance, P)->SetItemIndex(V.AsInteger());
  } else if (ClassType == TCustomForm::StaticClass()) {
    if (P == "MODALRESULT") fsInstance<TCustomForm>(Instance, P)->SetModalResult(TModalResult(V.AsInteger()));
  }
}

}  // namespace

TfsFormsFunctions::TfsFormsFunctions(TfsScript* S) : TfsRTTIModule(S) {
  static const struct {
    const char* Name;
    Integer Value;
  } consts[] = {
      {"mrNone", 0}, {"mrOk", 1}, {"mrCancel", 2}, {"mrAbort", 3}, {"mrRetry", 4}, {"mrIgnore", 5}, {"mrYes", 6},
      {"mrNo", 7}, {"mrAll", 8}, {"mrNoToAll", 9}, {"mrYesToAll", 10},
      {"crDefault", 0}, {"crNone", -1}, {"crArrow", -2}, {"crCross", -3}, {"crIBeam", -4}, {"crSize", -22},
      {"crSizeNESW", -6}, {"crSizeNS", -7}, {"crSizeNWSE", -8}, {"crSizeWE", -9}, {"crUpArrow", -10},
      {"crHourGlass", -11}, {"crDrag", -12}, {"crNoDrop", -13}, {"crHSplit", -14}, {"crVSplit", -15},
      {"crMultiDrag", -16}, {"crSQLWait", -17}, {"crNo", -18}, {"crAppStart", -19}, {"crHelp", -20},
      {"crHandPoint", -21}, {"crSizeAll", -22},
      {"bsNone", 0}, {"bsSingle", 1}, {"bsSizeable", 2}, {"bsDialog", 3}, {"bsToolWindow", 4}, {"bsSizeToolWin", 5},
      {"taLeftJustify", 0}, {"taRightJustify", 1}, {"taCenter", 2},
      // Virtual-key codes.
      {"VK_RBUTTON", 2}, {"VK_CANCEL", 3}, {"VK_MBUTTON", 4}, {"VK_BACK", 8}, {"VK_TAB", 9}, {"VK_RETURN", 13},
      {"VK_SHIFT", 16}, {"VK_CONTROL", 17}, {"VK_MENU", 18}, {"VK_PAUSE", 19}, {"VK_CAPITAL", 20},
      {"VK_ESCAPE", 27}, {"VK_SPACE", 32}, {"VK_PRIOR", 33}, {"VK_NEXT", 34}, {"VK_END", 35}, {"VK_HOME", 36},
      {"VK_LEFT", 37}, {"VK_UP", 38}, {"VK_RIGHT", 39}, {"VK_DOWN", 40}, {"VK_INSERT", 45}, {"VK_DELETE", 46},
      {"VK_HELP", 47}, {"VK_LWIN", 91}, {"VK_RWIN", 92}, {"VK_APPS", 93}, {"VK_MULTIPLY", 106}, {"VK_ADD", 107},
      {"VK_SEPARATOR", 108}, {"VK_SUBTRACT", 109}, {"VK_DECIMAL", 110}, {"VK_DIVIDE", 111}, {"VK_NUMLOCK", 144},
      {"VK_SCROLL", 145}};
  for (const auto& k : consts) S->AddConst(k.Name, "Integer", Variant(k.Value));
  for (Integer i = 0; i <= 9; ++i) S->AddConst("VK_NUMPAD" + IntToStr(i), "Integer", Variant(96 + i));
  for (Integer i = 1; i <= 12; ++i) S->AddConst("VK_F" + IntToStr(i), "Integer", Variant(111 + i));

  for (const char* t : {"TFormBorderStyle", "TBorderStyle", "TAlignment", "TLeftRight"}) S->AddType(t, fvtInt);
  S->AddEnumSet("TShiftState", "ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble");
  S->AddEnumSet("TAnchors", "akLeft, akTop, akRight, akBottom");
  S->AddEnumSet("TBorderIcons", "biSystemMenu, biMinimize, biMaximize, biHelp");
  S->AddEnum("TAlign", "alNone, alTop, alBottom, alLeft, alRight, alClient");
  S->AddEnum("TMouseButton", "mbLeft, mbRight, mbMiddle");
  S->AddEnum("TBevelCut", "bvNone, bvLowered, bvRaised, bvSpace");
  S->AddEnum("TTextLayout", "tlTop, tlCenter, tlBottom");
  S->AddEnum("TEditCharCase", "ecNormal, ecUpperCase, ecLowerCase");
  S->AddEnum("TScrollStyle", "ssNone, ssHorizontal, ssVertical, ssBoth");
  S->AddEnum("TComboBoxStyle", "csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable");
  S->AddEnum("TCheckBoxState", "cbUnchecked, cbChecked, cbGrayed");
  S->AddEnum("TListBoxStyle", "lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable");
  S->AddEnum("TWindowState", "wsNormal, wsMinimized, wsMaximized");
  S->AddEnum("TFormStyle", "fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop");
  S->AddEnum("TPosition", "poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter");
  S->AddEnum("TCloseAction", "caNone, caHide, caFree, caMinimize");

  TfsCallerMethodHandler m = CallMethod;
  TfsPropertyGetter g = ModuleGetProp;
  TfsPropertySetter st = ModuleSetProp;

  TfsClassVariable* c = S->AddClass(TControl::StaticClass(), "TComponent");
  c->AddProperty("Parent", "TWinControl", g, st);
  c->AddMethod("procedure Hide", m);
  c->AddMethod("procedure Show", m);
  c->AddMethod("procedure SetBounds(ALeft, ATop, AWidth, AHeight: Integer)", m);
  c->AddEvent("OnCanResize", &TfsCanResizeEvent::Make);
  c->AddEvent("OnClick", &TfsNotifyEvent::Make);
  c->AddEvent("OnDblClick", &TfsNotifyEvent::Make);
  c->AddEvent("OnMouseDown", &TfsMouseEvent::Make);
  c->AddEvent("OnMouseMove", &TfsMouseMoveEvent::Make);
  c->AddEvent("OnMouseUp", &TfsMouseEvent::Make);
  c->AddEvent("OnResize", &TfsNotifyEvent::Make);

  c = S->AddClass(TWinControl::StaticClass(), "TControl");
  c->AddMethod("procedure SetFocus", m);
  c->AddEvent("OnEnter", &TfsNotifyEvent::Make);
  c->AddEvent("OnExit", &TfsNotifyEvent::Make);
  c->AddEvent("OnKeyDown", &TfsKeyEvent::Make);
  c->AddEvent("OnKeyPress", &TfsKeyPressEvent::Make);
  c->AddEvent("OnKeyUp", &TfsKeyEvent::Make);

  S->AddClass(TCustomControl::StaticClass(), "TWinControl");
  S->AddClass(TGraphicControl::StaticClass(), "TControl");
  S->AddClass(TGroupBox::StaticClass(), "TWinControl");
  S->AddClass(TLabel::StaticClass(), "TControl");
  S->AddClass(TEdit::StaticClass(), "TWinControl");
  S->AddClass(TMemo::StaticClass(), "TWinControl");

  c = S->AddClass(TCustomComboBox::StaticClass(), "TWinControl");
  c->AddProperty("DroppedDown", "Boolean", g, st);
  c->AddProperty("ItemIndex", "Integer", g, st);
  c->AddEvent("OnChange", &TfsNotifyEvent::Make);
  c->AddEvent("OnDropDown", &TfsNotifyEvent::Make);
  c->AddEvent("OnCloseUp", &TfsNotifyEvent::Make);

  S->AddClass(TComboBox::StaticClass(), "TCustomComboBox");
  S->AddClass(TButton::StaticClass(), "TWinControl");
  S->AddClass(TCheckBox::StaticClass(), "TWinControl");
  S->AddClass(TRadioButton::StaticClass(), "TWinControl");

  c = S->AddClass(TCustomListBox::StaticClass(), "TWinControl");
  c->AddProperty("ItemIndex", "Integer", g, st);
  c->AddProperty("SelCount", "Integer", g);
  c->AddIndexProperty("Selected", "Integer", "Boolean", m);

  S->AddClass(TListBox::StaticClass(), "TCustomListBox");
  S->AddClass(TControlScrollBar::StaticClass(), "TPersistent");
  S->AddClass(TScrollingWinControl::StaticClass(), "TWinControl");
  S->AddClass(TScrollBox::StaticClass(), "TScrollingWinControl");

  c = S->AddClass(TCustomForm::StaticClass(), "TScrollingWinControl");
  c->AddMethod("procedure Close", m);
  c->AddMethod("procedure Hide", m);
  c->AddMethod("procedure Show", m);
  c->AddMethod("function ShowModal: Integer", m);
  c->AddEvent("OnActivate", &TfsNotifyEvent::Make);
  c->AddEvent("OnClose", &TfsCloseEvent::Make);
  c->AddEvent("OnCloseQuery", &TfsCloseQueryEvent::Make);
  for (const char* e : {"OnCreate", "OnDestroy", "OnDeactivate", "OnHide", "OnPaint", "OnShow"})
    c->AddEvent(e, &TfsNotifyEvent::Make);
  c->AddProperty("Canvas", "TCanvas", g);
  c->AddProperty("ModalResult", "Integer", g, st);

  S->AddClass(TForm::StaticClass(), "TCustomForm");
  S->AddClass(TDataModule::StaticClass(), "TComponent");

  c = S->AddClass(TApplication::StaticClass(), "TComponent");
  c->AddMethod("procedure Minimize", m);
  c->AddMethod("procedure ProcessMessages", m);
  c->AddMethod("procedure Restore", m);
  c->AddProperty("ExeName", "String", g);
  S->AddObject("Application", Application);
}
