#include "frxClass.h"

#include <windows.h>
#undef GetProp
#undef SetProp

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "CodePage.h"
#include "DateUtils.h"
#include "Graphics.h"
#include "Streaming.h"
#include "Streams.h"
#include "Strings.h"
#include "SysUtils.h"
#include "TypInfo.h"
#include "ImgList.h"
#include "frxDsgnIntf.h"
#include "frxRes.h"
#include "frxUtils.h"
#include "frxVariables.h"
#include "frxXML.h"
#include "frxXMLSerializer.h"

TOVANI_IMPLEMENT_ENUM_INFO(TfrxRestriction, "rfDontModify", "rfDontSize", "rfDontMove", "rfDontDelete", "rfDontEdit")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxAlign, "baNone", "baLeft", "baRight", "baCenter", "baWidth", "baBottom", "baClient")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxFrameStyle, "fsSolid", "fsDash", "fsDot", "fsDashDot", "fsDashDotDot", "fsDouble",
                           "fsAltDot", "fsSquare")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxFrameType, "ftLeft", "ftRight", "ftTop", "ftBottom")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxSilentMode, "simMessageBoxes", "simSilent", "simReThrow")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxPreviewButton, "pbPrint", "pbLoad", "pbSave", "pbExport", "pbZoom", "pbFind",
                           "pbOutline", "pbPageSetup", "pbTools", "pbEdit", "pbNavigator", "pbExportQuick",
                           "pbNoClose", "pbNoFullScreen", "pbNoEmail")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxZoomMode, "zmDefault", "zmWholePage", "zmPageWidth", "zmManyPages")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxPrintMode, "pmDefault", "pmSplit", "pmJoin", "pmScale")
TOVANI_IMPLEMENT_ENUM_INFO(TfrxPrintPages, "ppAll", "ppOdd", "ppEven")

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxComponent, TComponent)
TOVANI_IMPLEMENT_CLASS(TfrxReportComponent, TfrxComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDialogComponent, TfrxReportComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxFrameLine, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxFrame, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxEngineOptions, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPreviewOptions, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPrintOptions, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxReportOptions, TPersistent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxStyleItem, TCollectionItem)
TOVANI_IMPLEMENT_CLASS(TfrxStyles, TCollection)

TfrxPasswordQuery frxPasswordQuery;
TfrxPasswordPrompt frxPasswordPrompt = nullptr;

namespace {

// Serialises XML loading of reports in thread-safe mode.
std::recursive_mutex& frxCriticalSection() {
  static std::recursive_mutex cs;
  return cs;
}

// Report fonts: Arial 10 at 96 dpi, black, DEFAULT_CHARSET.
void InitReportFont(TFont* Font) {
  Font->SetPixelsPerInch(96);
  Font->SetName("Arial");
  Font->SetSize(10);
  Font->SetColor(clBlack);
  Font->SetCharset(DEFAULT_CHARSET);
}

String Quoted(const char* name, const String& value) { return String(" ") + name + "=\"" + value + "\""; }

}  // namespace

bool frxFloatDiff(Extended a, Extended b) { return std::fabs(a - b) > 1e-4; }

Extended frxRound8(Extended x) { return std::nearbyint(x * 1e8) / 1e8; }

bool frxIsKindOf(const TObject* Obj, const char* ClassName) {
  if (!Obj) return false;
  for (TClass c = Obj->ClassType(); c; c = c->Parent)
    if (std::strcmp(c->Name, ClassName) == 0) return true;
  return false;
}

// ---------------------------------------------------------------------------
// TfrxComponent

// Name again, so that names read from XML get the report's uniqueness rule.
TOVANI_PUBLISHED(TfrxComponent) {
  Property("Name", &TfrxComponent::Name, &TfrxComponent::SetName).Stored(false);
}

TComponent* TfrxComponent::ClassLibraryOwner(TComponent* AOwner) {
  if (AOwner && AOwner->Is<TfrxComponent>()) return static_cast<TfrxComponent*>(AOwner)->GetReport();
  return AOwner;
}

TfrxComponent::TfrxComponent(TComponent* AOwner) : TComponent(ClassLibraryOwner(AOwner)) {
  Init();
  if (AOwner && AOwner->Is<TfrxComponent>()) SetParent(static_cast<TfrxComponent*>(AOwner));
}

void TfrxComponent::Init() {
  FFont = std::make_unique<TFont>();
  InitReportFont(FFont.get());
  FFont->OnChange = [this](TObject* Sender) { FontChanged(Sender); };
}

void TfrxComponent::AttachTo(TComponent* AOwner) {
  if (TComponent* owner = ClassLibraryOwner(AOwner)) {
    if (Owner() != owner) {
      if (Owner()) Owner()->RemoveComponent(this);
      owner->InsertComponent(this);
    }
  }
  if (AOwner && AOwner->Is<TfrxComponent>()) SetParent(static_cast<TfrxComponent*>(AOwner));
}

void TfrxComponent::DesignCreate(TComponent* AOwner, Word) {
  FIsDesigning = true;
  AttachTo(AOwner);
}

TfrxComponent::~TfrxComponent() {
  SetParent(nullptr);
  Clear();
  FFont->OnChange = nullptr;
}

void TfrxComponent::SetParentComponent(TComponent* Value) {
  // A form resource creates report objects with their parent as owner; the
  // report that holds the parent owns them instead.
  AttachTo(Value);
}

void TfrxComponent::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (Integer i = 0; i < FObjects.Count(); ++i) Proc(static_cast<TfrxComponent*>(FObjects[i]));
}

void TfrxComponent::SetParent(TfrxComponent* AParent) {
  if (FParent != AParent) {
    if (FParent) FParent->FObjects.Remove(this);
    if (AParent) AParent->FObjects.Add(this);
  }
  FParent = AParent;
  if (FParent) SetParentFont(FParentFont);
}

TList* TfrxComponent::AllObjects() {
  FAllObjects.Clear();
  std::function<void(TfrxComponent*)> add = [&](TfrxComponent* c) {
    TList* children = c->GetObjects();
    for (Integer i = 0; i < children->Count(); ++i) {
      auto* child = static_cast<TfrxComponent*>(children->Items(i));
      FAllObjects.Add(child);
      add(child);
    }
  };
  add(this);
  return &FAllObjects;
}

TfrxReport* TfrxComponent::GetReport() {
  for (TfrxComponent* c = this; c; c = c->FParent)
    if (c->Is<TfrxReport>()) return static_cast<TfrxReport*>(c);
  return nullptr;
}

TfrxComponent* TfrxComponent::GetPage() {
  for (TfrxComponent* c = this; c; c = c->FParent)
    if (frxIsKindOf(c, "TfrxPage")) return c;
  return nullptr;
}

TfrxComponent* TfrxComponent::FindObject(const String& AName) {
  TList* all = AllObjects();
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(all->Items(i));
    if (SameText(c->Name(), AName)) return c;
  }
  return nullptr;
}

void TfrxComponent::Clear() {
  std::vector<TfrxComponent*> children;
  for (Integer i = 0; i < FObjects.Count(); ++i) children.push_back(static_cast<TfrxComponent*>(FObjects[i]));
  for (TfrxComponent* c : children) {
    if (c->ComponentState().Contains(csAncestor)) c->Clear();
    else delete c;
  }
}

bool TfrxComponent::IsLoading() const { return FIsLoading || ComponentState().Contains(csLoading); }

bool TfrxComponent::IsAncestor() const { return FAncestor || ComponentState().Contains(csAncestor); }

String TfrxComponent::BaseName() const {
  String s = ClassName();
  size_t p = s.find("Tfrx");
  if (p != String::npos) s.erase(p, 4);
  p = s.find("View");
  if (p != String::npos) s.erase(p, 4);
  return s;
}

void TfrxComponent::SetName(const String& Value) {
  if (SameText(Value, Name())) return;
  TfrxReport* report = GetReport();
  if (!Value.empty() && report) {
    TfrxComponent* other = report->FindObject(Value);
    if (other && other != this) throw Exception(frxGetResources()->Get("prDupl"));
    if (IsAncestor()) throw Exception("Could not rename " + Name() + ", it was introduced in the ancestor report");
  }
  TComponent::SetName(Value);
}

void TfrxComponent::AssignUniqueName() {
  TfrxComponent* scope = GetReport();
  if (!scope) scope = FParent;
  TStringList names;
  names.SetSorted(true);
  if (scope) {
    TList* all = scope->AllObjects();
    for (Integer i = 0; i < all->Count(); ++i) names.Add(static_cast<TfrxComponent*>(all->Items(i))->Name());
  }
  String base = BaseName();
  for (Integer i = 1;; ++i) {
    String candidate = base + IntToStr(i);
    Integer at;
    if (!names.Find(candidate, at)) {
      SetName(candidate);
      return;
    }
  }
}

void TfrxComponent::SetLeft(Extended Value) {
  if (!FIsDesigning || !FRestrictions.Contains(rfDontMove)) FLeft = Value;
}

void TfrxComponent::SetTop(Extended Value) {
  if (!FIsDesigning || !FRestrictions.Contains(rfDontMove)) FTop = Value;
}

void TfrxComponent::SetWidth(Extended Value) {
  if (!FIsDesigning || !FRestrictions.Contains(rfDontSize)) FWidth = Value;
}

void TfrxComponent::SetHeight(Extended Value) {
  if (!FIsDesigning || !FRestrictions.Contains(rfDontSize)) FHeight = Value;
}

void TfrxComponent::SetBounds(Extended ALeft, Extended ATop, Extended AWidth, Extended AHeight) {
  SetLeft(ALeft);
  SetTop(ATop);
  SetWidth(AWidth);
  SetHeight(AHeight);
}

Extended TfrxComponent::AbsLeft() const {
  if (FParent && !frxIsKindOf(FParent, "TfrxDialogPage")) return FLeft + FParent->AbsLeft();
  return FLeft;
}

Extended TfrxComponent::AbsTop() const {
  if (FParent && !frxIsKindOf(FParent, "TfrxDialogPage")) return FTop + FParent->AbsTop();
  return FTop;
}

void TfrxComponent::SetFont(TFont* Value) {
  FFont->Assign(Value);
  FParentFont = false;
}

void TfrxComponent::SetParentFont(bool Value) {
  if (Value && FParent) SetFont(FParent->Font());
  FParentFont = Value;
}

void TfrxComponent::FontChanged(TObject*) {
  FParentFont = false;
  for (Integer i = 0; i < FObjects.Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(FObjects[i]);
    if (c->FParentFont) c->SetParentFont(true);
  }
}

void TfrxComponent::SetVisible(bool Value) { FVisible = Value; }

String TfrxComponent::GetTypeCaption() { return ClassName(); }

void TfrxComponent::LoadFromStream(TStream* Stream) {
  Clear();
  TfrxReport* report = GetReport();
  TfrxXMLSerializer xs(Stream);
  xs.SetRootComponent(report);
  struct TCurrent {
    TfrxReport* report;
    ~TCurrent() {
      if (report) report->SetXMLSerializer(nullptr);
    }
  } current{report};
  if (report) report->SetXMLSerializer(&xs);
  if (report && report->EngineOptions()->EnableThreadSafe) {
    std::lock_guard<std::recursive_mutex> lock(frxCriticalSection());
    xs.ReadComponentTree(this);
  } else {
    xs.ReadComponentTree(this);
  }
  if (report) report->Errors()->AddStrings(xs.LoadErrors());
}

void TfrxComponent::SaveToStream(TStream* Stream, bool SaveChildren, bool WriteDefaults, bool UseAncestor) {
  TfrxXMLSerializer xs(Stream);
  xs.SetRootComponent(GetReport());
  xs.WriteDefaults = WriteDefaults;
  if (Is<TfrxReport>()) {
    auto* report = static_cast<TfrxReport*>(this);
    xs.AncestorLookup = [report](const String& AName) -> TPersistent* {
      TfrxReport* parent = report->ParentReportObject();
      if (!parent) return nullptr;
      if (SameText(AName, report->Name())) return parent;
      return parent->FindObject(AName);
    };
  }
  xs.WriteComponentTree(this, SaveChildren, nullptr, UseAncestor);
}

void TfrxComponent::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxComponent>()) return;
  TMemoryStream stream;
  static_cast<TfrxComponent*>(Source)->SaveToStream(&stream, false, true);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TfrxComponent::CopyFrom(TfrxComponent* Source, bool UseAncestor) {
  if (!Source) return;
  TMemoryStream stream;
  Source->SaveToStream(&stream, true, true, UseAncestor);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

String TfrxComponent::DifferenceText(TfrxComponent* ATemplate) { return BaseDifferenceText(ATemplate); }

String TfrxComponent::BaseDifferenceText(TfrxComponent* ATemplate) {
  String s;
  TfrxComponent* t = ATemplate;
  if (frxFloatDiff(FLeft, t->FLeft)) s += Quoted("l", FloatToStr(FLeft));
  if (frxFloatDiff(FTop, t->FTop) || frxIsKindOf(this, "TfrxBand")) s += Quoted("t", FloatToStr(FTop));
  bool autoWidth = false;
  if (frxIsKindOf(this, "TfrxCustomMemoView"))
    if (const TPropInfo* p = GetPropInfo(this, "AutoWidth")) autoWidth = p->GetOrd && p->GetOrd(this) != 0;
  if (frxFloatDiff(FWidth, t->FWidth) && !autoWidth) s += Quoted("w", FloatToStr(FWidth));
  if (frxFloatDiff(FHeight, t->FHeight)) s += Quoted("h", FloatToStr(FHeight));
  if (FVisible != t->FVisible) s += Quoted("Visible", FVisible ? "1" : "0");
  if (!FParentFont) {
    TFont* f = FFont.get();
    TFont* tf = t->FFont.get();
    if (f->Name() != tf->Name()) s += Quoted("Font.Name", frxEscapeXMLText(Utf8ToGbk(f->Name())));
    if (f->Size() != tf->Size()) s += Quoted("Font.Size", IntToStr(f->Size()));
    if (f->Color() != tf->Color()) s += Quoted("Font.Color", IntToStr(f->Color()));
    if (f->Style() != tf->Style()) s += Quoted("Font.Style", IntToStr(f->Style().Mask()));
    if (f->Charset() != tf->Charset()) s += Quoted("Font.Charset", IntToStr(f->Charset()));
  }
  if (FParentFont != t->FParentFont) s += Quoted("ParentFont", FParentFont ? "1" : "0");
  if (Tag() != t->Tag()) s += Quoted("Tag", IntToStr(Tag()));
  return s;
}

String TfrxComponent::FullDifferenceText(TfrxComponent* ATemplate) {
  TStringStream stream;
  TfrxXMLSerializer xs(&stream);
  xs.SetRootComponent(GetReport());
  xs.WriteComponent(this);
  const String& line = stream.DataString();
  size_t blank = line.find(' ');
  String s = blank == String::npos ? String() : line.substr(blank + 1, line.size() - blank - 1 - 2);
  if (ATemplate) s += " " + BaseDifferenceText(ATemplate);
  return s;
}

void TfrxComponent::AlignChildren() {
  struct TEntry {
    String Key;
    TfrxComponent* View;
    TfrxAlign Align;
  };
  auto alignOf = [](TfrxComponent* c) {
    const TPropInfo* p = GetPropInfo(c, "Align");
    return p && p->GetOrd ? TfrxAlign(p->GetOrd(c)) : baNone;
  };
  std::vector<TEntry> list;
  for (Integer i = 0; i < FObjects.Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(FObjects[i]);
    if (!frxIsKindOf(c, "TfrxView")) continue;
    String key = c->Left() >= 0 ? "1" + Format("%9.2f", {c->Left()}) : "0" + Format("%9.2f", {-c->Left()});
    list.push_back({key, c, alignOf(c)});
  }
  std::stable_sort(list.begin(), list.end(), [](const TEntry& a, const TEntry& b) { return a.Key < b.Key; });

  const Integer count = Integer(list.size());
  auto neighbour = [&](Integer i, Integer step) -> TfrxComponent* {
    TfrxComponent* v = list[i].View;
    for (Integer j = i; j >= 0 && j < count; j -= step) {
      TfrxComponent* c = list[j].View;
      if (c == v) continue;
      if (c->AbsTop() >= v->AbsTop() + v->Height() - 1e-4 || v->AbsTop() >= c->AbsTop() + c->Height() - 1e-4)
        continue;
      if (list[i].Align == baWidth) {
        if (step == 1 && c->Left() > v->Left()) continue;
        if (step == -1 && v->Left() + v->Width() > c->Left() + c->Width()) continue;
      }
      return c;
    }
    return nullptr;
  };

  for (Integer i = 0; i < count; ++i) {
    if (list[i].Align != baLeft && list[i].Align != baWidth) continue;
    TfrxComponent* nb = neighbour(i, 1);
    list[i].View->SetLeft(nb ? nb->Left() + nb->Width() : 0);
  }
  for (Integer i = count - 1; i >= 0; --i) {
    TfrxComponent* v = list[i].View;
    if (list[i].Align == baRight) {
      TfrxComponent* nb = neighbour(i, -1);
      v->SetLeft((nb ? nb->Left() : Width()) - v->Width());
    } else if (list[i].Align == baWidth) {
      TfrxComponent* nb = neighbour(i, -1);
      v->SetWidth((nb ? nb->Left() : Width()) - v->Left());
    }
  }
  for (Integer i = 0; i < FObjects.Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(FObjects[i]);
    if (!frxIsKindOf(c, "TfrxView")) continue;
    switch (alignOf(c)) {
      case baCenter: c->SetLeft((Width() - c->Width()) / 2); break;
      case baBottom: c->SetTop(Height() - c->Height()); break;
      case baClient: c->SetBounds(0, 0, Width(), Height()); break;
      default: break;
    }
  }
}

// ---------------------------------------------------------------------------
// TfrxReportComponent

TOVANI_PUBLISHED(TfrxReportComponent) {
  Property("Description", &TfrxReportComponent::Description, &TfrxReportComponent::SetDescription);
}

TfrxReportComponent::TfrxReportComponent(TComponent* AOwner) : TfrxComponent(AOwner) {}
TfrxReportComponent::~TfrxReportComponent() = default;

void TfrxReportComponent::BeforePrint() { OriginalRect() = TfrxFloatRect{Left(), Top(), Width(), Height()}; }

void TfrxReportComponent::AfterPrint() {
  const TfrxFloatRect& r = OriginalRect();
  SetBounds(r.Left, r.Top, r.Right, r.Bottom);
}

TfrxFloatRect TfrxReportComponent::GetAbsBounds() {
  return TfrxFloatRect{AbsLeft(), AbsTop(), AbsLeft() + Width(), AbsTop() + Height()};
}

// ---------------------------------------------------------------------------
// TfrxDialogComponent

TOVANI_PUBLISHED(TfrxDialogComponent) {}

TfrxDialogComponent::TfrxDialogComponent(TComponent* AOwner) : TfrxReportComponent(AOwner) {
  SetfrComponentStyle(frComponentStyle() - csPreviewVisible);
  SetWidth(28);
  SetHeight(28);
}

TfrxDialogComponent::~TfrxDialogComponent() { delete FComponent; }

void TfrxDialogComponent::SetComponent(TComponent* v) {
  if (v == FComponent) return;
  delete FComponent;
  FComponent = v;
}

void TfrxDialogComponent::DefineProperties(TFiler* Filer) {
  TfrxReportComponent::DefineProperties(Filer);
  bool inReport = GetReport() != nullptr;
  Filer->DefineProperty(
      "pLeft", [this](TReader* r) { SetLeft(r->ReadInteger()); },
      [this](TWriter* w) { w->WriteInteger(Int64(std::nearbyint(Left()))); }, inReport);
  Filer->DefineProperty(
      "pTop", [this](TReader* r) { SetTop(r->ReadInteger()); },
      [this](TWriter* w) { w->WriteInteger(Int64(std::nearbyint(Top()))); }, inReport);
}

void TfrxDialogComponent::Draw(TCanvas* Canvas, Extended, Extended, Extended, Extended) {
  SetWidth(28);
  SetHeight(28);
  Integer l = Integer(std::nearbyint(Left())), t = Integer(std::nearbyint(Top()));
  TRect r(l, t, l + 28, t + 28);
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->FillRect(r);
  RECT rc{r.Left, r.Top, r.Right, r.Bottom};
  DrawEdge(Canvas->Handle(), &rc, EDGE_RAISED, BF_RECT);
  const Integer image = frxObjectRegistry()->ImageIndexOf(ClassType());
  if (TImageList* images = image >= 0 ? frxGetResources()->GetObjectImages() : nullptr)
    if (image < images->Count()) images->Draw(Canvas, r.Left + 6, r.Top + 6, image);
  Canvas->Font()->SetName("Tahoma");
  Canvas->Font()->SetSize(8);
  Canvas->Font()->SetColor(clBlack);
  Canvas->Font()->SetStyle({});
  Canvas->Brush()->SetColor(clWindow);
  Integer w = Canvas->TextWidth(Name());
  Canvas->TextOut(r.Left + (28 - w) / 2, r.Bottom + 4, Name());
}

// ---------------------------------------------------------------------------
// Frames

TOVANI_PUBLISHED(TfrxFrameLine) {
  Property("Color", &TfrxFrameLine::Color, &TfrxFrameLine::SetColor).Stored(&TfrxFrameLine::IsColorStored);
  Property("Style", &TfrxFrameLine::Style, &TfrxFrameLine::SetStyle).Stored(&TfrxFrameLine::IsStyleStored);
  Property("Width", &TfrxFrameLine::Width, &TfrxFrameLine::SetWidth).Stored(&TfrxFrameLine::IsWidthStored);
}

void TfrxFrameLine::Assign(TPersistent* Source) {
  if (Source && Source->Is<TfrxFrameLine>()) {
    auto* l = static_cast<TfrxFrameLine*>(Source);
    FColor = l->FColor;
    FStyle = l->FStyle;
    FWidth = l->FWidth;
  }
}

bool TfrxFrameLine::IsColorStored() const { return !FFrame || FColor != FFrame->Color(); }
bool TfrxFrameLine::IsStyleStored() const { return !FFrame || FStyle != FFrame->Style(); }
bool TfrxFrameLine::IsWidthStored() const { return !FFrame || FWidth != FFrame->Width(); }

TOVANI_PUBLISHED(TfrxFrame) {
  Property("Color", &TfrxFrame::Color, &TfrxFrame::SetColor).Default(0);
  Property("DropShadow", &TfrxFrame::DropShadow, &TfrxFrame::SetDropShadow).Default(false);
  Property("ShadowColor", &TfrxFrame::ShadowColor, &TfrxFrame::SetShadowColor).Default(0);
  Property("ShadowWidth", &TfrxFrame::ShadowWidth, &TfrxFrame::SetShadowWidth)
      .Stored([](TObject* o) { return static_cast<TfrxFrame*>(o)->ShadowWidth() != 4; });
  Property("Style", &TfrxFrame::Style, &TfrxFrame::SetStyle).Default(fsSolid);
  Property("Typ", &TfrxFrame::Typ, &TfrxFrame::SetTyp).Default(TfrxFrameTypes());
  Property("Width", &TfrxFrame::Width, &TfrxFrame::SetWidth)
      .Stored([](TObject* o) { return static_cast<TfrxFrame*>(o)->Width() != 1; });
  Property("LeftLine", &TfrxFrame::LeftLine, &TfrxFrame::SetLeftLine);
  Property("TopLine", &TfrxFrame::TopLine, &TfrxFrame::SetTopLine);
  Property("RightLine", &TfrxFrame::RightLine, &TfrxFrame::SetRightLine);
  Property("BottomLine", &TfrxFrame::BottomLine, &TfrxFrame::SetBottomLine);
}

TfrxFrame::TfrxFrame()
    : FLeftLine(std::make_unique<TfrxFrameLine>(this)),
      FTopLine(std::make_unique<TfrxFrameLine>(this)),
      FRightLine(std::make_unique<TfrxFrameLine>(this)),
      FBottomLine(std::make_unique<TfrxFrameLine>(this)) {}

TfrxFrame::~TfrxFrame() = default;

void TfrxFrame::SetColor(TColor v) {
  FColor = v;
  for (auto* l : {FLeftLine.get(), FTopLine.get(), FRightLine.get(), FBottomLine.get()}) l->SetColor(v);
}

void TfrxFrame::SetStyle(TfrxFrameStyle v) {
  FStyle = v;
  for (auto* l : {FLeftLine.get(), FTopLine.get(), FRightLine.get(), FBottomLine.get()}) l->SetStyle(v);
}

void TfrxFrame::SetWidth(Extended v) {
  FWidth = v;
  for (auto* l : {FLeftLine.get(), FTopLine.get(), FRightLine.get(), FBottomLine.get()}) l->SetWidth(v);
}

void TfrxFrame::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxFrame>()) return;
  auto* f = static_cast<TfrxFrame*>(Source);
  FColor = f->FColor;
  FDropShadow = f->FDropShadow;
  FShadowColor = f->FShadowColor;
  FShadowWidth = f->FShadowWidth;
  FStyle = f->FStyle;
  FTyp = f->FTyp;
  FWidth = f->FWidth;
  FLeftLine->Assign(f->FLeftLine.get());
  FTopLine->Assign(f->FTopLine.get());
  FRightLine->Assign(f->FRightLine.get());
  FBottomLine->Assign(f->FBottomLine.get());
}

// ---------------------------------------------------------------------------
// Options

TOVANI_PUBLISHED(TfrxEngineOptions) {
  Property("ConvertNulls", &TfrxEngineOptions::ConvertNulls).Default(true);
  Property("DoublePass", &TfrxEngineOptions::DoublePass).Default(false);
  Property("MaxMemSize", &TfrxEngineOptions::MaxMemSize).Default(10);
  Property("PrintIfEmpty", &TfrxEngineOptions::PrintIfEmpty).Default(true);
  Property("SilentMode", &TfrxEngineOptions::SilentMode, &TfrxEngineOptions::SetSilentMode).Default(false);
  Property("NewSilentMode", &TfrxEngineOptions::NewSilentMode).Default(simMessageBoxes);
  Property("TempDir", &TfrxEngineOptions::TempDir);
  Property("UseFileCache", &TfrxEngineOptions::UseFileCache).Default(false);
}

TfrxEngineOptions::TfrxEngineOptions() = default;

void TfrxEngineOptions::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxEngineOptions>()) return;
  auto* o = static_cast<TfrxEngineOptions*>(Source);
  ConvertNulls = o->ConvertNulls;
  DoublePass = o->DoublePass;
  MaxMemSize = o->MaxMemSize;
  PrintIfEmpty = o->PrintIfEmpty;
  NewSilentMode = o->NewSilentMode;
  TempDir = o->TempDir;
  UseFileCache = o->UseFileCache;
}

void TfrxEngineOptions::Clear() {
  ConvertNulls = true;
  DoublePass = false;
}

TOVANI_PUBLISHED(TfrxPreviewOptions) {
  Property("AllowEdit", &TfrxPreviewOptions::AllowEdit).Default(true);
  Property("Buttons", &TfrxPreviewOptions::Buttons).Default(frxDefaultPreviewButtons);
  Property("DoubleBuffered", &TfrxPreviewOptions::DoubleBuffered).Default(true);
  Property("Maximized", &TfrxPreviewOptions::Maximized).Default(true);
  Property("MDIChild", &TfrxPreviewOptions::MDIChild).Default(false);
  Property("Modal", &TfrxPreviewOptions::Modal).Default(true);
  Property("OutlineExpand", &TfrxPreviewOptions::OutlineExpand).Default(true);
  Property("OutlineVisible", &TfrxPreviewOptions::OutlineVisible).Default(false);
  Property("OutlineWidth", &TfrxPreviewOptions::OutlineWidth).Default(120);
  Property("PagesInCache", &TfrxPreviewOptions::PagesInCache).Default(50);
  Property("ThumbnailVisible", &TfrxPreviewOptions::ThumbnailVisible).Default(false);
  Property("ShowCaptions", &TfrxPreviewOptions::ShowCaptions).Default(false);
  Property("Zoom", &TfrxPreviewOptions::Zoom);
  Property("ZoomMode", &TfrxPreviewOptions::ZoomMode).Default(zmDefault);
  Property("PictureCacheInFile", &TfrxPreviewOptions::PictureCacheInFile).Default(false);
}

TfrxPreviewOptions::TfrxPreviewOptions() = default;

void TfrxPreviewOptions::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxPreviewOptions>()) return;
  auto* o = static_cast<TfrxPreviewOptions*>(Source);
  AllowEdit = o->AllowEdit;
  Buttons = o->Buttons;
  DoubleBuffered = o->DoubleBuffered;
  Maximized = o->Maximized;
  MDIChild = o->MDIChild;
  Modal = o->Modal;
  OutlineExpand = o->OutlineExpand;
  OutlineVisible = o->OutlineVisible;
  OutlineWidth = o->OutlineWidth;
  PagesInCache = o->PagesInCache;
  ThumbnailVisible = o->ThumbnailVisible;
  ShowCaptions = o->ShowCaptions;
  Zoom = o->Zoom;
  ZoomMode = o->ZoomMode;
  PictureCacheInFile = o->PictureCacheInFile;
  RTLPreview = o->RTLPreview;
}

void TfrxPreviewOptions::Clear() {
  OutlineExpand = true;
  OutlineVisible = false;
  OutlineWidth = 120;
  PagesInCache = 50;
  ThumbnailVisible = false;
}

TOVANI_PUBLISHED(TfrxPrintOptions) {
  Property("Copies", &TfrxPrintOptions::Copies).Default(1);
  Property("Collate", &TfrxPrintOptions::Collate).Default(true);
  Property("PageNumbers", &TfrxPrintOptions::PageNumbers);
  Property("Printer", &TfrxPrintOptions::Printer);
  Property("PrintMode", &TfrxPrintOptions::PrintMode).Default(pmDefault);
  Property("PrintOnSheet", &TfrxPrintOptions::PrintOnSheet).Default(0);
  Property("PrintPages", &TfrxPrintOptions::PrintPages).Default(ppAll);
  Property("Reverse", &TfrxPrintOptions::Reverse).Default(false);
  Property("ShowDialog", &TfrxPrintOptions::ShowDialog).Default(true);
}

TfrxPrintOptions::TfrxPrintOptions() { Clear(); }

void TfrxPrintOptions::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxPrintOptions>()) return;
  auto* o = static_cast<TfrxPrintOptions*>(Source);
  Copies = o->Copies;
  Collate = o->Collate;
  PageNumbers = o->PageNumbers;
  Printer = o->Printer;
  PrintMode = o->PrintMode;
  PrintOnSheet = o->PrintOnSheet;
  PrintPages = o->PrintPages;
  Reverse = o->Reverse;
  ShowDialog = o->ShowDialog;
}

void TfrxPrintOptions::Clear() {
  Copies = 1;
  Collate = true;
  PageNumbers.clear();
  Printer = frxGetResources()->Get("prDefault");
  PrintMode = pmDefault;
  PrintOnSheet = 0;
  PrintPages = ppAll;
  Reverse = false;
  ShowDialog = true;
  PagesOnSheet = 0;
}

TOVANI_PUBLISHED(TfrxReportOptions) {
  Property("Author", &TfrxReportOptions::Author);
  Property("Compressed", &TfrxReportOptions::Compressed).Default(false);
  Property("ConnectionName", &TfrxReportOptions::ConnectionName);
  Property("CreateDate", &TfrxReportOptions::CreateDate);
  Property("Description", &TfrxReportOptions::Description, &TfrxReportOptions::SetDescription);
  Property("InitString", &TfrxReportOptions::InitString);
  Property("Name", &TfrxReportOptions::Name);
  Property("LastChange", &TfrxReportOptions::LastChange);
  Property("Password", &TfrxReportOptions::Password);
  Property("Picture", &TfrxReportOptions::Picture, &TfrxReportOptions::SetPicture);
  Property("VersionBuild", &TfrxReportOptions::VersionBuild);
  Property("VersionMajor", &TfrxReportOptions::VersionMajor);
  Property("VersionMinor", &TfrxReportOptions::VersionMinor);
  Property("VersionRelease", &TfrxReportOptions::VersionRelease);
}

TfrxReportOptions::TfrxReportOptions()
    : FDescription(std::make_unique<TStringList>()), FPicture(std::make_unique<TPicture>()) {
  Clear();
}

TfrxReportOptions::~TfrxReportOptions() = default;

TStrings* TfrxReportOptions::Description() const { return FDescription.get(); }
void TfrxReportOptions::SetDescription(TStrings* v) { FDescription->Assign(v); }
void TfrxReportOptions::SetPicture(TPicture* v) { FPicture->Assign(v); }

void TfrxReportOptions::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxReportOptions>()) return;
  auto* o = static_cast<TfrxReportOptions*>(Source);
  Author = o->Author;
  Compressed = o->Compressed;
  ConnectionName = o->ConnectionName;
  CreateDate = o->CreateDate;
  FDescription->Assign(o->FDescription.get());
  InitString = o->InitString;
  LastChange = o->LastChange;
  Name = o->Name;
  Password = o->Password;
  FPicture->Assign(o->FPicture.get());
  VersionBuild = o->VersionBuild;
  VersionMajor = o->VersionMajor;
  VersionMinor = o->VersionMinor;
  VersionRelease = o->VersionRelease;
}

void TfrxReportOptions::Clear() {
  if (!Info) {
    Author.clear();
    Compressed = false;
    CreateDate = Now();
    FDescription->Clear();
    LastChange = Now();
    FPicture->Assign(nullptr);
    VersionBuild.clear();
    VersionMajor.clear();
    VersionMinor.clear();
    VersionRelease.clear();
  }
  ConnectionName.clear();
  InitString.clear();
  Name.clear();
  Password.clear();
  PrevPassword.clear();
}

bool TfrxReportOptions::CheckPassword() {
  if (Password.empty() || Password == PrevPassword) return true;
  bool threadSafe = Report && Report->EngineOptions()->EnableThreadSafe;
  String typed;
  bool accepted = false;
  if (!threadSafe && frxPasswordPrompt)
    accepted = frxPasswordPrompt(typed, [this](const String& s) { return s == Password; }) && typed == Password;
  else if (!threadSafe && frxPasswordQuery)
    accepted = frxPasswordQuery(typed) && typed == Password;
  if (accepted) {
    PrevPassword = Password;
    return true;
  }
  if (Report) {
    Report->Errors()->Add(frxGetResources()->Get("Invalid password"));
    frxReportError(Report, frxGetResources()->Get("clErrors") + "\r\n" + Report->Errors()->Text());
  }
  return false;
}

// ---------------------------------------------------------------------------
// Styles

TOVANI_PUBLISHED(TfrxStyleItem) {
  Property("Name", &TfrxStyleItem::Name, &TfrxStyleItem::SetName);
  Property("Color", &TfrxStyleItem::Color, &TfrxStyleItem::SetColor);
  Property("Font", &TfrxStyleItem::Font, &TfrxStyleItem::SetFont);
  Property("Frame", &TfrxStyleItem::Frame, &TfrxStyleItem::SetFrame);
}

TfrxStyleItem::TfrxStyleItem(TCollection* ACollection)
    : TCollectionItem(ACollection),
      FColor(clNone),
      FFont(std::make_unique<TFont>()),
      FFrame(std::make_unique<TfrxFrame>()) {
  InitReportFont(FFont.get());
}

TfrxStyleItem::~TfrxStyleItem() = default;

void TfrxStyleItem::SetFont(TFont* v) { FFont->Assign(v); }

void TfrxStyleItem::SetName(const String& Value) {
  if (TCollection* c = Collection())
    for (Integer i = 0; i < c->Count(); ++i) {
      auto* other = static_cast<TfrxStyleItem*>(c->Items(i));
      if (other != this && AnsiSameText(other->FName, Value)) throw Exception("Duplicate name");
    }
  FName = Value;
}

void TfrxStyleItem::Assign(TPersistent* Source) {
  if (!Source || !Source->Is<TfrxStyleItem>()) return;
  auto* s = static_cast<TfrxStyleItem*>(Source);
  FName = s->FName;
  FColor = s->FColor;
  FFont->Assign(s->FFont.get());
  FFrame->Assign(s->FFrame.get());
}

TfrxStyles::TfrxStyles(TfrxReport* AReport) : TCollection(TfrxStyleItem::StaticClass()), FReport(AReport) {}

TfrxStyleItem* TfrxStyles::Find(const String& AName) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Name(), AName)) return Items(i);
  return nullptr;
}

void TfrxStyles::GetList(TStrings* List) const {
  List->Clear();
  for (Integer i = 0; i < Count(); ++i) List->Add(Items(i)->Name());
}

void TfrxStyles::Apply() {
  if (!FReport) return;
  TList* all = FReport->AllObjects();
  std::vector<TfrxComponent*> memos;
  for (Integer i = 0; i < all->Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(all->Items(i));
    if (frxIsKindOf(c, "TfrxCustomMemoView")) memos.push_back(c);
  }
  for (TfrxComponent* memo : memos) {
    const TPropInfo* p = GetPropInfo(memo, "Style");
    if (!p || p->Kind() != tkString || !p->HasSetter()) continue;
    String style = GetStrProp(memo, p);
    SetStrProp(memo, p, Find(style) ? style : String());
  }
}

void TfrxStyles::SaveToXMLItem(TfrxXMLItem* Item) {
  TfrxXMLSerializer xs(nullptr);
  xs.SetRootComponent(FReport);
  Item->SetName("style");
  Item->SetProp("Name", Utf8ToGbk(FName));
  for (Integer i = 0; i < Count(); ++i) {
    TfrxXMLItem* node = Item->Add();
    node->SetName("item");
    node->SetAttrText(xs.ObjectToAttributes(Items(i)));
  }
}

void TfrxStyles::LoadFromXMLItem(TfrxXMLItem* Item, bool OldFormat) {
  Clear();
  TfrxXMLSerializer xs(nullptr);
  xs.SetRootComponent(FReport);
  xs.LegacyStrings = OldFormat;
  String name = Item->GetProp("Name");
  FName = OldFormat ? GbkToUtf8(name) : name;
  for (Integer i = 0; i < Item->Count(); ++i) {
    TfrxXMLItem* node = Item->Items(i);
    if (SameText(node->Name(), "item")) xs.AttributesToObject(node->AttrText(), Add());
  }
  Apply();
}

void TfrxStyles::SaveToStream(TStream* Stream) {
  TfrxXMLDocument doc;
  doc.SetIndented(true);
  SaveToXMLItem(doc.Root());
  doc.SaveToStream(Stream);
}

void TfrxStyles::SaveToFile(const String& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
}

void TfrxStyles::LoadFromStream(TStream* Stream) {
  Clear();
  TfrxXMLDocument doc;
  doc.LoadFromStream(Stream);
  if (SameText(doc.Root()->Name(), "style")) LoadFromXMLItem(doc.Root(), doc.LegacyVersion());
}

void TfrxStyles::LoadFromFile(const String& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

