#include "frxClassRTTI.h"

#include "DateUtils.h"
#include "Graphics.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "frxClass.h"
#include "frxUnicodeUtils.h"
#include "frxVariables.h"
#include "fs_iclassesrtti.h"

// Scripts know the wide string list of memo texts as TWideStrings.
class TWideStrings : public TfrxWideStrings {
  TOVANI_CLASS(TWideStrings, TfrxWideStrings)
 public:
  TWideStrings() = default;
};

TOVANI_IMPLEMENT_CLASS(TfrxReportFunctions, TfsRTTIModule)
TOVANI_IMPLEMENT_CLASS_FACTORY(TWideStrings, TfrxWideStrings)

void frxRegisterClassRTTI() { fsRegisterRTTIModule(&TfrxReportFunctions::CreateModule); }

namespace {

template <class T>
T* Arg(TfsMethodHelper* c, Integer i) {
  TObject* o = fsVariantToObject(c->ParamValue(i));
  if (o && !o->InheritsFrom(T::StaticClass()))
    throw EfsScriptError("A " + String(T::StaticClass()->Name) + " is expected, got a " + o->ClassName());
  return static_cast<T*>(o);
}

String Str(TfsMethodHelper* c, Integer i) { return VarToStr(c->ParamValue(i)); }
Variant Obj(const TObject* o) { return fsObjectToVariant(o); }
WideString Wide(const Variant& v) { return Utf8ToUtf16(VarToStr(v)); }
Variant FromWide(const WideString& s) { return Variant(Utf16ToUtf8(s)); }

// Classes that live in units the report model does not know by type: their
// members are reached through published properties and the class name.
TClass ClassByName(const char* Name) { return GetClass(Name); }

Variant CallMethod(TObject* Instance, TClass ClassType, const String& M, TfsMethodHelper* c) {
  if (ClassType == TWideStrings::StaticClass()) {
    if (M == "CREATE") {
      // A new list; the instance made for the class name is not used.
      delete Instance;
      return Obj(new TWideStrings);
    }
    auto* self = fsInstance<TfrxWideStrings>(Instance, M);
    auto check = [self](Integer i) {
      if (i < 0 || i >= self->Count()) throw EListError("Wide string list index out of bounds (" + IntToStr(i) + ")");
    };
    if (M == "ADD") return Variant(self->Add(Wide(c->ParamValue(0))));
    if (M == "ADDOBJECT") return Variant(self->AddObject(Wide(c->ParamValue(0)), fsVariantToObject(c->ParamValue(1))));
    if (M == "CLEAR") self->Clear();
    else if (M == "DELETE") self->Delete(c->ParamValue(0).AsInteger());
    else if (M == "INDEXOF") return Variant(self->IndexOf(Wide(c->ParamValue(0))));
    else if (M == "INSERT") self->Insert(c->ParamValue(0).AsInteger(), Wide(c->ParamValue(1)));
    else if (M == "LOADFROMFILE") self->LoadFromFile(Str(c, 0));
    else if (M == "LOADFROMSTREAM") self->LoadFromStream(Arg<TStream>(c, 0));
    else if (M == "SAVETOFILE") self->SaveToFile(Str(c, 0));
    else if (M == "SAVETOSTREAM") self->SaveToStream(Arg<TStream>(c, 0));
    else if (M == "OBJECTS.GET") {
      check(c->ParamValue(0).AsInteger());
      return Obj(self->Objects(c->ParamValue(0).AsInteger()));
    } else if (M == "OBJECTS.SET") {
      check(c->ParamValue(0).AsInteger());
      self->PutObject(c->ParamValue(0).AsInteger(), fsVariantToObject(c->ParamValue(1)));
    } else if (M == "STRINGS.GET") {
      check(c->ParamValue(0).AsInteger());
      return FromWide(self->Strings(c->ParamValue(0).AsInteger()));
    } else if (M == "STRINGS.SET") {
      check(c->ParamValue(0).AsInteger());
      self->SetStrings(c->ParamValue(0).AsInteger(), Wide(c->ParamValue(1)));
    }
  } else if (ClassType == TfrxDataSet::StaticClass()) {
    auto* ds = fsInstance<TfrxDataSet>(Instance, M);
    if (M == "OPEN") ds->Open();
    else if (M == "CLOSE") ds->Close();
    else if (M == "FIRST") ds->First();
    else if (M == "NEXT") ds->Next();
    else if (M == "PRIOR") ds->Prior();
    else if (M == "EOF") return Variant(ds->Eof());
    else if (M == "FIELDSCOUNT") return Variant(ds->FieldsCount());
    else if (M == "HASFIELD") return Variant(ds->HasField(Str(c, 0)));
    else if (M == "ISBLOBFIELD") return Variant(ds->IsBlobField(Str(c, 0)));
    else if (M == "RECORDCOUNT") return Variant(ds->RecordCount());
    else if (M == "GETFIELDLIST") {
      TStrings* list = Arg<TStrings>(c, 0);
      if (!list) throw EfsScriptError("GetFieldList: a TStrings is required");
      ds->GetFieldList(list);
    } else if (M == "DISPLAYTEXT.GET") return FromWide(ds->GetDisplayText(Str(c, 0)));
    else if (M == "DISPLAYWIDTH.GET") return Variant(ds->GetDisplayWidth(Str(c, 0)));
    else if (M == "FIELDTYPE.GET") return Variant(Integer(ds->GetFieldType(Str(c, 0))));
    else if (M == "VALUE.GET") return ds->GetValue(Str(c, 0));
  } else if (ClassType == TfrxComponent::StaticClass()) {
    auto* self = fsInstance<TfrxComponent>(Instance, M);
    if (M == "CLEAR") self->Clear();
    else if (M == "FINDOBJECT") return Obj(self->FindObject(Str(c, 0)));
    else if (M == "LOADFROMSTREAM") {
      TStream* s = Arg<TStream>(c, 0);
      if (!s) throw EfsScriptError("LoadFromStream: a stream is required");
      self->LoadFromStream(s);
    } else if (M == "SAVETOSTREAM") {
      TStream* s = Arg<TStream>(c, 0);
      if (!s) throw EfsScriptError("SaveToStream: a stream is required");
      self->SaveToStream(s, c->ParamValue(1).AsBoolean(), false, false);
    } else if (M == "SETBOUNDS") {
      self->SetBounds(c->ParamValue(0).AsDouble(), c->ParamValue(1).AsDouble(), c->ParamValue(2).AsDouble(),
                      c->ParamValue(3).AsDouble());
    }
  } else if (ClassType == TfrxDialogControl::StaticClass()) {
    if (M == "SETFOCUS") fsInstance<TfrxDialogControl>(Instance, M)->SetFocus();
  } else if (ClassType == TfrxVariables::StaticClass()) {
    if (M == "CREATE") return Obj(Instance ? Instance : new TfrxVariables);
    auto* self = fsInstance<TfrxVariables>(Instance, M);
    if (M == "VARIABLES.GET") return self->Variables(Str(c, 0));
    if (M == "VARIABLES.SET") self->SetVariables(Str(c, 0), c->ParamValue(1));
  } else if (ClassType == TfrxArray::StaticClass()) {
    if (M == "CREATE") return Obj(Instance ? Instance : new TfrxArray);
    auto* self = fsInstance<TfrxArray>(Instance, M);
    if (M == "VARIABLES.GET") return self->Variables(c->ParamValue(0));
    if (M == "VARIABLES.SET") self->SetVariables(c->ParamValue(0), c->ParamValue(1));
  } else if (ClassType == TfrxStyles::StaticClass()) {
    if (M == "CREATE") {
      delete Instance;
      return Obj(new TfrxStyles(Arg<TfrxReport>(c, 0)));
    }
    auto* self = fsInstance<TfrxStyles>(Instance, M);
    if (M == "ITEMS.GET") {
      Integer i = c->ParamValue(0).AsInteger();
      if (i < 0 || i >= self->Count()) throw EListError("Style index out of bounds (" + IntToStr(i) + ")");
      return Obj(self->Items(i));
    }
    if (M == "ADD") return Obj(self->Add());
    if (M == "FIND") return Obj(self->Find(Str(c, 0)));
    if (M == "APPLY") self->Apply();
    else if (M == "GETLIST") {
      TStrings* list = Arg<TStrings>(c, 0);
      if (!list) throw EfsScriptError("GetList: a TStrings is required");
      self->GetList(list);
    } else if (M == "LOADFROMFILE") self->LoadFromFile(Str(c, 0));
    else if (M == "LOADFROMSTREAM") self->LoadFromStream(Arg<TStream>(c, 0));
    else if (M == "SAVETOFILE") self->SaveToFile(Str(c, 0));
    else if (M == "SAVETOSTREAM") self->SaveToStream(Arg<TStream>(c, 0));
  } else if (ClassType == TfrxReport::StaticClass()) {
    auto* self = fsInstance<TfrxReport>(Instance, M);
    if (M == "CALC") return self->CalcInScript(Str(c, 0));
    if (M == "GETDATASET") return Obj(self->GetDataset(Str(c, 0)));
    if (M == "LOADFROMFILE") return Variant(self->LoadFromFile(Str(c, 0)));
    if (M == "SAVETOFILE") self->SaveToFile(Str(c, 0));
    else if (M == "SHOWREPORT") self->ShowReport(true);
  } else if (ClassType == TfrxCustomEngine::StaticClass()) {
    auto* self = fsInstance<TfrxCustomEngine>(Instance, M);
    if (M == "ADDANCHOR") {
      if (self->PreviewPages()) self->PreviewPages()->AddAnchor(Str(c, 0));
    } else if (M == "NEWPAGE") self->NewPage();
    else if (M == "NEWCOLUMN") self->NewColumn();
    else if (M == "SHOWBAND") {
      auto* band = Arg<TfrxComponent>(c, 0);
      if (!band) throw EfsScriptError("ShowBand: a band is required");
      self->ShowBand(band);
    } else if (M == "STOPREPORT") self->StopReport();
    else if (M == "FREESPACE") return Variant(double(self->FreeSpace()));
    else if (M == "GETANCHORPAGE")
      return Variant(self->PreviewPages() ? self->PreviewPages()->GetAnchorPage(Str(c, 0)) : 1);
  } else if (ClassType == TfrxCustomOutline::StaticClass()) {
    auto* self = fsInstance<TfrxCustomOutline>(Instance, M);
    if (M == "ADDITEM") {
      TfrxCustomEngine* engine = self->Engine();
      self->AddItem(Str(c, 0), engine ? Integer(std::nearbyint(engine->CurY)) : 0);
    } else if (M == "LEVELROOT") self->LevelRoot();
    else if (M == "LEVELUP") self->LevelUp();
  } else if (ClassType == nullptr) {
    // Global routines.
    if (M == "DAYOF" || M == "MONTHOF" || M == "YEAROF") {
      TDateTime d = c->ParamValue(0).AsDateTime();
      const char* fmt = M == "DAYOF" ? "d" : M == "MONTHOF" ? "m" : "yyyy";
      return Variant(StrToInt(FormatDateTime(fmt, d)));
    }
  } else if (TClass picture = ClassByName("TfrxPictureView"); picture && ClassType == picture) {
    if (M == "LOADFROMFILE") {
      TObject* self = fsCheckedInstance(Instance, picture, M);
      if (const TPropInfo* p = GetPropInfo(self, "Picture"))
        if (auto* pic = dynamic_cast<TPicture*>(GetObjectProp(self, p))) pic->LoadFromFile(Str(c, 0));
    }
  } else if (ClassType == TfrxDialogPage::StaticClass()) {
    if (M == "SHOWMODAL") return Variant(fsInstance<TfrxDialogPage>(Instance, M)->ShowModal());
  } else if (ClassType == TfrxStretcheable::StaticClass()) {
    if (M == "CALCHEIGHT") return Variant(double(fsInstance<TfrxStretcheable>(Instance, M)->CalcHeight()));
  } else if (ClassType == TfrxCustomMemoView::StaticClass()) {
    if (M == "CALCWIDTH") return Variant(double(fsInstance<TfrxCustomMemoView>(Instance, M)->CalcWidth()));
  }
  return Variant(Integer(0));
}

Variant ModuleGetProp(TObject* Instance, TClass ClassType, const String& P) {
  if (ClassType == TWideStrings::StaticClass()) {
    auto* self = fsInstance<TfrxWideStrings>(Instance, P);
    if (P == "COUNT") return Variant(self->Count());
    if (P == "TEXT") return FromWide(self->Text());
  } else if (ClassType == TfrxDataSet::StaticClass()) {
    if (P == "RECNO") return Variant(fsInstance<TfrxDataSet>(Instance, P)->RecNo());
  } else if (ClassType == TfrxComponent::StaticClass()) {
    auto* self = fsInstance<TfrxComponent>(Instance, P);
    if (P == "OBJECTS") return Obj(self->Objects());
    if (P == "ALLOBJECTS") return Obj(self->AllObjects());
    if (P == "PARENT") return Obj(self->Parent());
    if (P == "PAGE") return Obj(self->GetPage());
    if (P == "ABSLEFT") return Variant(double(self->AbsLeft()));
    if (P == "ABSTOP") return Variant(double(self->AbsTop()));
  } else if (ClassType == TfrxEngineOptions::StaticClass()) {
    if (P == "DESTROYFORMS") return Variant(fsInstance<TfrxEngineOptions>(Instance, P)->DestroyForms);
  } else if (ClassType == TfrxReport::StaticClass()) {
    auto* self = fsInstance<TfrxReport>(Instance, P);
    if (P == "TERMINATED") return Variant(self->Terminated());
    if (P == "VARIABLES") return Obj(self->Variables());
    if (P == "STYLES") return Obj(self->Styles());
  } else if (ClassType == TfrxCustomMemoView::StaticClass() && P == "VALUE") {
    return fsInstance<TfrxCustomMemoView>(Instance, P)->Value;
  } else if (ClassType == TfrxBand::StaticClass() && P == "OVERFLOW") {
    return Variant(fsInstance<TfrxBand>(Instance, P)->Overflow);
  } else if (ClassType) {
    // Fields of classes of other units, reached by their published values.
    for (const char* name : {"TagStr", "Overflow", "ModalResult", "Text", "AnsiText", "Lines", "Value"}) {
      if (!SameText(P, name)) continue;
      TObject* self = fsCheckedInstance(Instance, ClassType, P);
      const TPropInfo* prop = GetPropInfo(self, name);
      if (!prop || !prop->HasGetter()) return Variant(Integer(0));
      switch (prop->Kind()) {
        case tkClass: return Obj(GetObjectProp(self, prop));
        case tkVariant: return GetVariantProp(self, prop);
        case tkString: case tkLString: case tkWString: case tkUString: return Variant(GetStrProp(self, prop));
        default: return Variant(Integer(GetOrdProp(self, prop)));
      }
    }
  }
  return Variant(Integer(0));
}

void ModuleSetProp(TObject* Instance, TClass ClassType, const String& P, const Variant& V) {
  if (ClassType == TWideStrings::StaticClass()) {
    if (P == "TEXT") fsInstance<TfrxWideStrings>(Instance, P)->SetText(Wide(V));
  } else if (ClassType == TfrxComponent::StaticClass()) {
    if (P == "PARENT") {
      auto* self = fsInstance<TfrxComponent>(Instance, P);
      TObject* parent = fsVariantToObject(V);
      if (parent && !parent->Is<TfrxComponent>()) throw EfsScriptError("Parent: a report object is required");
      for (auto* p = static_cast<TfrxComponent*>(parent); p; p = p->Parent())
        if (p == self) throw EfsScriptError("Parent: an object cannot be its own parent");
      self->SetParent(static_cast<TfrxComponent*>(parent));
    }
  } else if (ClassType == TfrxEngineOptions::StaticClass()) {
    if (P == "DESTROYFORMS") fsInstance<TfrxEngineOptions>(Instance, P)->DestroyForms = V.AsBoolean();
  } else if (ClassType == TfrxReport::StaticClass()) {
    if (P == "TERMINATED") fsInstance<TfrxReport>(Instance, P)->SetTerminated(V.AsBoolean());
  } else if (ClassType) {
    for (const char* name : {"TagStr", "ModalResult", "Text", "AnsiText", "Lines"}) {
      if (!SameText(P, name)) continue;
      TObject* self = fsCheckedInstance(Instance, ClassType, P);
      const TPropInfo* prop = GetPropInfo(self, name);
      if (!prop || !prop->HasSetter()) return;
      switch (prop->Kind()) {
        case tkClass: {
          TObject* o = fsVariantToObject(V);
          if (auto* target = dynamic_cast<TPersistent*>(GetObjectProp(self, prop)))
            if (auto* src = dynamic_cast<TPersistent*>(o)) target->Assign(src);
          return;
        }
        case tkString: case tkLString: case tkWString: case tkUString: SetStrProp(self, prop, VarToStr(V)); return;
        default: SetOrdProp(self, prop, V.AsInteger()); return;
      }
    }
  }
}

}  // namespace

TfrxReportFunctions::TfrxReportFunctions(TfsScript* S) : TfsRTTIModule(S) {
  S->AddConst("fr01cm", "Extended", Variant(double(fr01cm)));
  S->AddConst("fr1cm", "Extended", Variant(double(fr1cm)));
  S->AddConst("fr01in", "Extended", Variant(double(fr01in)));
  S->AddConst("fr1in", "Extended", Variant(double(fr1in)));
  S->AddConst("fr1CharX", "Extended", Variant(double(fr1CharX)));
  S->AddConst("fr1CharY", "Extended", Variant(double(fr1CharY)));
  S->AddConst("clTransparent", "Integer", Variant(Integer(0x1FFFFFFF)));
  S->AddConst("crHand", "Integer", Variant(150));
  S->AddConst("crZoom", "Integer", Variant(151));
  S->AddConst("crFormat", "Integer", Variant(152));

  S->AddEnum("TfrxStretchMode", "smDontStretch, smActualHeight, smMaxHeight");
  S->AddEnum("TfrxShiftMode", "smDontShift, smAlways, smWhenOverlapped");
  S->AddEnum("TfrxDuplexMode", "dmNone, dmVertical, dmHorizontal, dmSimplex");
  S->AddEnum("TfrxAlign", "baNone, baLeft, baRight, baCenter, baWidth, baBottom");
  S->AddEnum("TfrxFrameStyle", "fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble");
  S->AddEnumSet("TfrxFrameTypes", "ftLeft, ftRight, ftTop, ftBottom");
  S->AddEnum("TfrxHAlign", "haLeft, haRight, haCenter, haBlock");
  S->AddEnum("TfrxVAlign", "vaTop, vaBottom, vaCenter");
  S->AddEnumSet("TfrxRestrictions", "rfDontModify, rfDontSize, rfDontMove, rfDontDelete");
  S->AddEnum("TfrxShapeKind", "skRectangle, skRoundRectangle, skEllipse, skTriangle, skDiamond, skDiagonal1, skDiagonal2");
  // The preview buttons in the order of the preview options' set; scripts
  // also know the outline button as pbTree, and pbRefresh (no button of
  // this preview) as the empty set.
  S->AddEnumSet("TfrxPreviewButtons",
                "pbPrint, pbLoad, pbSave, pbExport, pbZoom, pbFind, pbOutline, pbPageSetup, pbTools, pbEdit, "
                "pbNavigator, pbExportQuick, pbNoClose, pbNoFullScreen, pbNoEmail");
  S->AddConst("pbTree", "Integer", Variant(Integer(1 << pbOutline)));
  S->AddConst("pbRefresh", "Integer", Variant(Integer(0)));
  S->AddEnum("TfrxZoomMode", "zmDefault, zmWholePage, zmPageWidth, zmManyPages");
  S->AddEnum("TfrxPrintPages", "ppAll, ppOdd, ppEven");
  S->AddEnumSet("TfrxDMPFontStyles",
                "fsxBold, fsxItalic, fsxUnderline, fsxSuperScript, fsxSubScript, fsxCondensed, fsxWide, fsx12cpi, fsx15cpi");
  S->AddEnum("TfrxRangeBegin", "rbFirst, rbCurrent");
  S->AddEnum("TfrxRangeEnd", "reLast, reCurrent, reCount");
  S->AddEnum("TfrxFieldType", "fftNumeric, fftString, fftBoolean");
  S->AddEnum("TfrxFormatKind", "fkText, fkNumeric, fkDateTime, fkBoolean");

  TfsCallerMethodHandler m = CallMethod;
  TfsPropertyGetter g = ModuleGetProp;
  TfsPropertySetter st = ModuleSetProp;
  // A class of another unit, registered when that unit is in the program.
  auto add = [S](const char* Name, const char* Ancestor) -> TfsClassVariable* {
    TClass cls = GetClass(Name);
    return cls ? S->AddClass(cls, Ancestor) : nullptr;
  };

  add("TJPEGImage", "TGraphic");
  add("TPNGObject", "TGraphic");
  if (S->FindClass("TPersistent")) {
    TfsClassVariable* c = S->AddClass(TWideStrings::StaticClass(), "TPersistent");
    c->AddConstructor("constructor Create", m);
    c->AddMethod("function Add(const S: string): Integer", m);
    c->AddMethod("function AddObject(const S: string; AObject: TObject): Integer", m);
    c->AddMethod("procedure Clear", m);
    c->AddMethod("procedure Delete(Index: Integer)", m);
    c->AddMethod("function IndexOf(const S: string): Integer", m);
    c->AddMethod("procedure Insert(Index: Integer; const S: string)", m);
    c->AddMethod("procedure LoadFromFile(const FileName: string)", m);
    c->AddMethod("procedure LoadFromStream(Stream: TStream)", m);
    c->AddMethod("procedure SaveToFile(const FileName: string)", m);
    c->AddMethod("procedure SaveToStream(Stream: TStream)", m);
    c->AddProperty("Count", "Integer", g);
    c->AddIndexProperty("Objects", "Integer", "TObject", m);
    c->AddDefaultProperty("Strings", "Integer", "string", m);
    c->AddProperty("Text", "string", g, st);
  }

  TfsClassVariable* c = S->AddClass(TfrxDataSet::StaticClass(), "TComponent");
  c->AddMethod("procedure Open", m);
  c->AddMethod("procedure Close", m);
  c->AddMethod("procedure First", m);
  c->AddMethod("procedure Next", m);
  c->AddMethod("procedure Prior", m);
  c->AddMethod("function Eof: Boolean", m);
  c->AddMethod("function FieldsCount: Integer", m);
  c->AddMethod("function HasField(const fName: String): Boolean", m);
  c->AddMethod("function IsBlobField(const fName: String): Boolean", m);
  c->AddMethod("function RecordCount: Integer", m);
  c->AddMethod("procedure GetFieldList(List: TStrings)", m);
  c->AddProperty("RecNo", "Integer", g);
  c->AddIndexProperty("DisplayText", "String", "String", m, true);
  c->AddIndexProperty("DisplayWidth", "String", "Integer", m, true);
  c->AddIndexProperty("FieldType", "String", "TfrxFieldType", m, true);
  c->AddIndexProperty("Value", "String", "Variant", m, true);
  S->AddClass(TfrxUserDataSet::StaticClass(), "TfrxDataSet");
  S->AddClass(TfrxCustomDBDataSet::StaticClass(), "TfrxDataSet");
  add("TfrxDBDataset", "TfrxCustomDBDataSet");

  c = S->AddClass(TfrxComponent::StaticClass(), "TComponent");
  c->AddMethod("procedure Clear", m);
  c->AddMethod("function FindObject(s: String): TfrxComponent", m);
  c->AddMethod("procedure LoadFromStream(Stream: TStream)", m);
  c->AddMethod("procedure SaveToStream(Stream: TStream; SaveChildren: Boolean = True)", m);
  c->AddMethod("procedure SetBounds(ALeft, ATop, AWidth, AHeight: Extended)", m);
  c->AddProperty("Objects", "TList", g);
  c->AddProperty("AllObjects", "TList", g);
  c->AddProperty("Parent", "TfrxComponent", g, st);
  c->AddProperty("Page", "TfrxPage", g);
  c->AddProperty("AbsLeft", "Extended", g);
  c->AddProperty("AbsTop", "Extended", g);
  S->AddClass(TfrxReportComponent::StaticClass(), "TfrxComponent");
  S->AddClass(TfrxDialogComponent::StaticClass(), "TfrxReportComponent");
  c = S->AddClass(TfrxDialogControl::StaticClass(), "TfrxReportComponent");
  c->AddMethod("procedure SetFocus", m);
  S->AddClass(TfrxFrameLine::StaticClass(), "TPersistent");
  S->AddClass(TfrxFrame::StaticClass(), "TPersistent");
  if ((c = add("TfrxView", "TfrxReportComponent"))) c->AddProperty("TagStr", "String", g, st);
  add("TfrxShapeView", "TfrxView");
  if ((c = add("TfrxStretcheable", "TfrxView"))) c->AddMethod("function CalcHeight: Extended", m);
  add("TfrxHighlight", "TPersistent");
  add("TfrxFormat", "TPersistent");
  if ((c = add("TfrxCustomMemoView", "TfrxStretcheable"))) {
    c->AddMethod("function CalcWidth: Extended", m);
    c->AddProperty("Text", "String", g, st);
    c->AddProperty("AnsiText", "String", g, st);
    c->AddProperty("Lines", "TWideStrings", g, st);
    c->AddProperty("Value", "Variant", g);
  }
  for (const char* n : {"TfrxMemoView", "TfrxSysMemoView", "TfrxDMPMemoView"}) add(n, "TfrxCustomMemoView");
  add("TfrxCustomLineView", "TfrxStretcheable");
  add("TfrxLineView", "TfrxCustomLineView");
  add("TfrxDMPLineView", "TfrxCustomLineView");
  add("TfrxDMPCommand", "TfrxView");
  if ((c = add("TfrxPictureView", "TfrxView"))) c->AddMethod("procedure LoadFromFile(filename: String)", m);
  add("TfrxSubreport", "TfrxView");
  if ((c = add("TfrxBand", "TfrxReportComponent"))) c->AddProperty("Overflow", "Boolean", g);
  for (const char* n : {"TfrxDataBand", "TfrxHeader", "TfrxFooter"}) add(n, "TfrxBand");
  for (const char* n : {"TfrxMasterData", "TfrxDetailData", "TfrxSubdetailData", "TfrxDataBand4", "TfrxDataBand5",
                        "TfrxDataBand6"})
    add(n, "TfrxDataBand");
  for (const char* n : {"TfrxPageHeader", "TfrxPageFooter", "TfrxColumnHeader", "TfrxColumnFooter",
                        "TfrxGroupHeader", "TfrxGroupFooter", "TfrxReportTitle", "TfrxReportSummary", "TfrxChild",
                        "TfrxOverlay"})
    add(n, "TfrxBand");
  add("TfrxPage", "TfrxComponent");
  add("TfrxReportPage", "TfrxPage");
  if ((c = add("TfrxDialogPage", "TfrxPage"))) {
    c->AddMethod("function ShowModal: Integer", m);
    c->AddProperty("ModalResult", "Integer", g, st);
  }
  add("TfrxDMPPage", "TfrxReportPage");
  add("TfrxDataPage", "TfrxPage");
  c = S->AddClass(TfrxEngineOptions::StaticClass(), "TPersistent");
  c->AddProperty("DestroyForms", "Boolean", g, st);
  S->AddClass(TfrxPrintOptions::StaticClass(), "TPersistent");
  S->AddClass(TfrxPreviewOptions::StaticClass(), "TPersistent");
  S->AddClass(TfrxReportOptions::StaticClass(), "TPersistent");
  S->AddClass(TfrxVariable::StaticClass(), "TCollectionItem");
  c = S->AddClass(TfrxVariables::StaticClass(), "TCollection");
  c->AddConstructor("constructor Create", m);
  c->AddDefaultProperty("Variables", "String", "Variant", m);
  S->AddClass(TfrxStyleItem::StaticClass(), "TCollectionItem");
  c = S->AddClass(TfrxStyles::StaticClass(), "TCollection");
  c->AddConstructor("constructor Create(AReport: TfrxReport)", m);
  c->AddDefaultProperty("Items", "Integer", "TfrxStyleItem", m, true);
  c->AddMethod("function Add: TfrxStyleItem", m);
  c->AddMethod("function Find(const Name: String): TfrxStyleItem", m);
  c->AddMethod("procedure Apply", m);
  c->AddMethod("procedure GetList(List: TStrings)", m);
  c->AddMethod("procedure LoadFromFile(const FileName: String)", m);
  c->AddMethod("procedure LoadFromStream(Stream: TStream)", m);
  c->AddMethod("procedure SaveToFile(const FileName: String)", m);
  c->AddMethod("procedure SaveToStream(Stream: TStream)", m);
  c = S->AddClass(TfrxArray::StaticClass(), "TCollection");
  c->AddConstructor("constructor Create", m);
  c->AddDefaultProperty("Variables", "Variant", "Variant", m);
  S->AddObject("frxGlobalVariables", frxGlobalVariables());

  c = S->AddClass(TfrxReport::StaticClass(), "TfrxComponent");
  c->AddMethod("function Calc(const Expr: String): Variant", m);
  c->AddMethod("function GetDataset(const Alias: String): TfrxDataset", m);
  c->AddMethod("function LoadFromFile(const FileName: String): Boolean", m);
  c->AddMethod("procedure SaveToFile(const FileName: String)", m);
  c->AddMethod("procedure ShowReport", m);
  c->AddProperty("Terminated", "Boolean", g, st);
  c->AddProperty("Variables", "TfrxVariables", g);
  c->AddProperty("Styles", "TfrxStyles", g);

  c = S->AddClass(TfrxCustomEngine::StaticClass(), "TPersistent");
  c->AddMethod("procedure AddAnchor(const Text: String)", m);
  c->AddMethod("procedure NewPage", m);
  c->AddMethod("procedure NewColumn", m);
  c->AddMethod("procedure ShowBand(Band: TfrxBand)", m);
  c->AddMethod("procedure StopReport", m);
  c->AddMethod("function FreeSpace: Extended", m);
  c->AddMethod("function GetAnchorPage(const Text: String): Integer", m);
  add("TfrxEngine", "TfrxCustomEngine");
  c = S->AddClass(TfrxCustomOutline::StaticClass(), "TPersistent");
  c->AddMethod("procedure AddItem(const Text: String)", m);
  c->AddMethod("procedure LevelRoot", m);
  c->AddMethod("procedure LevelUp", m);
  add("TfrxOutline", "TfrxCustomOutline");

  S->AddMethod("function DayOf(Date: TDateTime): Integer", m, "ctDate");
  S->AddMethod("function MonthOf(Date: TDateTime): Integer", m, "ctDate");
  S->AddMethod("function YearOf(Date: TDateTime): Integer", m, "ctDate");
  S->AddMethod("function IIF(Expr: Boolean; TrueValue, FalseValue: Variant): Variant", m, "ctOther");
  for (const char* fn : {"SUM", "AVG", "MIN", "MAX"})
    S->AddMethod(String("function ") + fn + "(Expr: Variant; Band: Variant = 0; Flags: Integer = 0): Variant", m,
                 "ctAggregate");
  S->AddMethod("function COUNT(Band: Variant = 0; Flags: Integer = 0): Variant", m, "ctAggregate");
}
