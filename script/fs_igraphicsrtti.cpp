#include "fs_igraphicsrtti.h"

#include "Graphics.h"
#include "SysUtils.h"
#include "fs_iclassesrtti.h"

TOVANI_IMPLEMENT_CLASS(TfsGraphicsFunctions, TfsRTTIModule)

void fsRegisterGraphicsRTTI() { fsRegisterRTTIModule(&TfsGraphicsFunctions::CreateModule); }

namespace {

Integer Int(TfsMethodHelper* c, Integer i) { return c->ParamValue(i).AsInteger(); }
String Str(TfsMethodHelper* c, Integer i) { return VarToStr(c->ParamValue(i)); }
Variant Obj(const TObject* o) { return fsObjectToVariant(o); }

template <class T>
T* Arg(TfsMethodHelper* c, Integer i, const String& M) {
  TObject* o = fsVariantToObject(c->ParamValue(i));
  if (!o || !o->InheritsFrom(T::StaticClass()))
    throw EfsScriptError(M + ": a " + String(T::StaticClass()->Name) + " is required");
  return static_cast<T*>(o);
}

Variant CallMethod(TObject* Instance, TClass ClassType, const String& M, TfsMethodHelper* c) {
  if (ClassType == TFont::StaticClass() || ClassType == TPen::StaticClass() || ClassType == TBrush::StaticClass()) {
    // The instance was made by the class reference's own constructor.
    if (M == "CREATE") return Obj(Instance);
  } else if (ClassType == TGraphic::StaticClass()) {
    if (M == "CREATE") return Obj(Instance);
    auto* g = fsInstance<TGraphic>(Instance, M);
    if (M == "LOADFROMFILE") g->LoadFromFile(Str(c, 0));
    else if (M == "SAVETOFILE") g->SaveToFile(Str(c, 0));
  } else if (ClassType == TCanvas::StaticClass()) {
    if (M == "CREATE") return Obj(Instance);
    auto* cv = fsInstance<TCanvas>(Instance, M);
    if (M == "DRAW") cv->Draw(Int(c, 0), Int(c, 1), Arg<TGraphic>(c, 2, M));
    else if (M == "ELLIPSE") cv->Ellipse(Int(c, 0), Int(c, 1), Int(c, 2), Int(c, 3));
    else if (M == "LINETO") cv->LineTo(Int(c, 0), Int(c, 1));
    else if (M == "MOVETO") cv->MoveTo(Int(c, 0), Int(c, 1));
    else if (M == "RECTANGLE") cv->Rectangle(Int(c, 0), Int(c, 1), Int(c, 2), Int(c, 3));
    else if (M == "ROUNDRECT") cv->RoundRect(Int(c, 0), Int(c, 1), Int(c, 2), Int(c, 3), Int(c, 4), Int(c, 5));
    else if (M == "STRETCHDRAW")
      cv->StretchDraw(TRect(Int(c, 0), Int(c, 1), Int(c, 2), Int(c, 3)), Arg<TGraphic>(c, 4, M));
    else if (M == "TEXTHEIGHT") return Variant(cv->TextHeight(Str(c, 0)));
    else if (M == "TEXTOUT") cv->TextOut(Int(c, 0), Int(c, 1), Str(c, 2));
    else if (M == "TEXTWIDTH") return Variant(cv->TextWidth(Str(c, 0)));
    else if (M == "PIXELS.GET") return Variant(Integer(cv->Pixels(Int(c, 0), Int(c, 1))));
    else if (M == "PIXELS.SET") cv->SetPixels(Int(c, 0), Int(c, 1), TColor(Int(c, 2)));
  } else if (ClassType == TPicture::StaticClass()) {
    auto* p = fsInstance<TPicture>(Instance, M);
    if (M == "LOADFROMFILE") p->LoadFromFile(Str(c, 0));
    else if (M == "SAVETOFILE") p->SaveToFile(Str(c, 0));
  } else if (ClassType == TMetafileCanvas::StaticClass()) {
    if (M == "CREATE") {
      // A metafile canvas is made on its metafile: the instance is made here.
      delete Instance;
      return Obj(new TMetafileCanvas(Arg<TMetafile>(c, 0, M), reinterpret_cast<HDC>(intptr_t(Int(c, 1)))));
    }
  }
  return Variant(Integer(0));
}

Variant ModuleGetProp(TObject* Instance, TClass ClassType, const String& P) {
  if (ClassType == TGraphic::StaticClass()) {
    auto* g = fsInstance<TGraphic>(Instance, P);
    if (P == "HEIGHT") return Variant(g->Height());
    if (P == "WIDTH") return Variant(g->Width());
  } else if (ClassType == TPicture::StaticClass()) {
    auto* p = fsInstance<TPicture>(Instance, P);
    if (P == "HEIGHT") return Variant(p->Height());
    if (P == "WIDTH") return Variant(p->Width());
  } else if (ClassType == TBitmap::StaticClass()) {
    if (P == "CANVAS") return Obj(fsInstance<TBitmap>(Instance, P)->Canvas());
  } else if (ClassType == TCanvas::StaticClass()) {
    auto* cv = fsInstance<TCanvas>(Instance, P);
    if (P == "BRUSH") return Obj(cv->Brush());
    if (P == "FONT") return Obj(cv->Font());
    if (P == "PEN") return Obj(cv->Pen());
  }
  return Variant(Integer(0));
}

void ModuleSetProp(TObject* Instance, TClass ClassType, const String& P, const Variant& V) {
  if (ClassType == TGraphic::StaticClass()) {
    auto* g = fsInstance<TGraphic>(Instance, P);
    if (P == "HEIGHT") g->SetHeight(V.AsInteger());
    else if (P == "WIDTH") g->SetWidth(V.AsInteger());
  }
}

Integer Rgb(Integer R, Integer G, Integer B) { return R + 256 * G + 65536 * B; }

}  // namespace

TfsGraphicsFunctions::TfsGraphicsFunctions(TfsScript* S) : TfsRTTIModule(S) {
  // The class library's colour map, in its order; system colours keep the
  // class library's own encoding so that scripts can hand them to controls.
  static const struct {
    const char* Name;
    Integer Value;
  } colours[] = {
      {"clBlack", Rgb(0, 0, 0)},        {"clMaroon", Rgb(128, 0, 0)},     {"clGreen", Rgb(0, 128, 0)},
      {"clOlive", Rgb(128, 128, 0)},    {"clNavy", Rgb(0, 0, 128)},       {"clPurple", Rgb(128, 0, 128)},
      {"clTeal", Rgb(0, 128, 128)},     {"clGray", Rgb(128, 128, 128)},   {"clSilver", Rgb(192, 192, 192)},
      {"clRed", Rgb(255, 0, 0)},        {"clLime", Rgb(0, 255, 0)},       {"clYellow", Rgb(255, 255, 0)},
      {"clBlue", Rgb(0, 0, 255)},       {"clFuchsia", Rgb(255, 0, 255)},  {"clAqua", Rgb(0, 255, 255)},
      {"clWhite", Rgb(255, 255, 255)},  {"clMoneyGreen", Rgb(192, 220, 192)}, {"clSkyBlue", Rgb(166, 202, 240)},
      {"clCream", Rgb(255, 251, 240)},  {"clMedGray", Rgb(160, 160, 164)},
      {"clActiveBorder", clActiveBorder}, {"clActiveCaption", clActiveCaption}, {"clAppWorkSpace", clAppWorkSpace},
      {"clBackground", clBackground},   {"clBtnFace", clBtnFace},         {"clBtnHighlight", clBtnHighlight},
      {"clBtnShadow", clBtnShadow},     {"clBtnText", clBtnText},         {"clCaptionText", clCaptionText},
      {"clDefault", clDefault},         {"clGradientActiveCaption", clGradientActiveCaption},
      {"clGradientInactiveCaption", clGradientInactiveCaption},           {"clGrayText", clGrayText},
      {"clHighlight", clHighlight},     {"clHighlightText", clHighlightText}, {"clHotLight", clHotLight},
      {"clInactiveBorder", clInactiveBorder}, {"clInactiveCaption", clInactiveCaption},
      {"clInactiveCaptionText", clInactiveCaptionText}, {"clInfoBk", clInfoBk}, {"clInfoText", clInfoText},
      {"clMenu", clMenu},               {"clMenuBar", clMenuBar},         {"clMenuHighlight", clMenuHighlight},
      {"clMenuText", clMenuText},       {"clNone", clNone},               {"clScrollBar", clScrollBar},
      {"cl3DDkShadow", cl3DDkShadow},   {"cl3DLight", cl3DLight},         {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame}, {"clWindowText", clWindowText}};
  for (const auto& k : colours) S->AddConst(k.Name, "Integer", Variant(k.Value));

  S->AddEnumSet("TFontStyles", "fsBold, fsItalic, fsUnderline, fsStrikeout");
  S->AddEnum("TFontPitch", "fpDefault, fpVariable, fpFixed");
  S->AddEnum("TPenStyle", "psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame");
  S->AddEnum("TPenMode",
             "pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen, "
             "pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor");
  S->AddEnum("TBrushStyle", "bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross");

  TfsCallerMethodHandler m = CallMethod;
  TfsPropertyGetter g = ModuleGetProp;
  TfsPropertySetter st = ModuleSetProp;
  for (TClass cls : {TFont::StaticClass(), TPen::StaticClass(), TBrush::StaticClass()})
    S->AddClass(cls, "TPersistent")->AddConstructor("constructor Create", m);

  TfsClassVariable* c = S->AddClass(TCanvas::StaticClass(), "TPersistent");
  c->AddConstructor("constructor Create", m);
  c->AddMethod("procedure Draw(X, Y: Integer; Graphic: TGraphic)", m);
  c->AddMethod("procedure Ellipse(X1, Y1, X2, Y2: Integer)", m);
  c->AddMethod("procedure LineTo(X, Y: Integer)", m);
  c->AddMethod("procedure MoveTo(X, Y: Integer)", m);
  c->AddMethod("procedure Rectangle(X1, Y1, X2, Y2: Integer)", m);
  c->AddMethod("procedure RoundRect(X1, Y1, X2, Y2, X3, Y3: Integer)", m);
  c->AddMethod("procedure StretchDraw(X1, Y1, X2, Y2: Integer; Graphic: TGraphic)", m);
  c->AddMethod("function TextHeight(const Text: string): Integer", m);
  c->AddMethod("procedure TextOut(X, Y: Integer; const Text: string)", m);
  c->AddMethod("function TextWidth(const Text: string): Integer", m);
  c->AddIndexProperty("Pixels", "Integer, Integer", "TColor", m);
  // The canvas's drawing tools (the class library publishes them).
  c->AddProperty("Brush", "TBrush", g);
  c->AddProperty("Font", "TFont", g);
  c->AddProperty("Pen", "TPen", g);

  c = S->AddClass(TGraphic::StaticClass(), "TPersistent");
  c->AddConstructor("constructor Create", m);
  c->AddMethod("procedure LoadFromFile(const Filename: string)", m);
  c->AddMethod("procedure SaveToFile(const Filename: string)", m);
  c->AddProperty("Height", "Integer", g, st);
  c->AddProperty("Width", "Integer", g, st);

  c = S->AddClass(TPicture::StaticClass(), "TPersistent");
  c->AddMethod("procedure LoadFromFile(const Filename: string)", m);
  c->AddMethod("procedure SaveToFile(const Filename: string)", m);
  c->AddProperty("Height", "Integer", g);
  c->AddProperty("Width", "Integer", g);

  S->AddClass(TMetafile::StaticClass(), "TGraphic");
  c = S->AddClass(TMetafileCanvas::StaticClass(), "TCanvas");
  c->AddConstructor("constructor Create(AMetafile: TMetafile; ReferenceDevice: Integer)", m);
  c = S->AddClass(TBitmap::StaticClass(), "TGraphic");
  c->AddProperty("Canvas", "TCanvas", g);
}
