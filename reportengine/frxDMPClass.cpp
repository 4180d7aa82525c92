// Dot-matrix objects: snapping to the character grid, the fixed-pitch font
// and its style set, and their difference texts.
#include "frxDMPClass.h"

#include <cmath>

#include "Strings.h"
#include "SysUtils.h"
#include "frxDsgnIntf.h"
#include "frxUnicodeUtils.h"
#include "frxRes.h"
#include "frxXML.h"

TOVANI_IMPLEMENT_ENUM_INFO(TfrxDMPFontStyle, "fsxBold", "fsxItalic", "fsxUnderline", "fsxSuperScript",
                           "fsxSubScript", "fsxCondensed", "fsxWide", "fsx12cpi", "fsx15cpi")
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDMPMemoView, TfrxCustomMemoView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDMPLineView, TfrxCustomLineView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDMPCommand, TfrxView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDMPPage, TfrxReportPage)

namespace {

constexpr Extended X = fr1CharX;
constexpr Extended Y = fr1CharY;

Extended Rnd(Extended v) { return std::nearbyint(v); }
Extended Trc(Extended v) { return std::trunc(v); }

String Attr(const char* Name, const String& Value) { return String(" ") + Name + "=\"" + Value + "\""; }

TfrxDMPPage* DMPPageOf(TfrxComponent* C) { return dynamic_cast<TfrxDMPPage*>(C->GetPage()); }

}  // namespace

TOVANI_PUBLISHED(TfrxDMPMemoView) {
  using C = TfrxDMPMemoView;
  Property("AutoWidth", &C::AutoWidth).Default(false);
  Property("AllowExpressions", &C::AllowExpressions).Default(true);
  Property("DataField", &C::DataField);
  Property("DataSet", &C::DataSet, &C::SetDataSet).Stored(false);
  Property("DataSetName", &C::DataSetName, &C::SetDataSetName);
  Property("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
  Property("ExpressionDelimiters", &C::ExpressionDelimiters).Stored([](TObject* o) {
    return static_cast<C*>(o)->ExpressionDelimiters != "[,]";
  });
  Property("FlowTo", &C::FlowTo, &C::SetFlowTo);
  Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Stored([](TObject* o) { return !static_cast<C*>(o)->ParentFont(); });
  Property("Frame", &C::Frame, &C::SetFrame);
  Property("HAlign", &C::HAlign).Default(haLeft);
  Property("HideZeros", &C::HideZeros).Default(false);
  Property("Memo", &C::Memo, &C::SetMemo);
  Property("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
  Property("RTLReading", &C::RTLReading).Default(false);
  Property("SuppressRepeated", &C::SuppressRepeated).Default(false);
  Property("WordWrap", &C::WordWrap).Default(true);
  Property("TruncOutboundText", &C::TruncOutboundText).Default(true);
  Property("VAlign", &C::VAlign).Default(vaTop);
}

TOVANI_PUBLISHED(TfrxDMPLineView) {
  using C = TfrxDMPLineView;
  Property("FontStyle", &C::FontStyle, &C::SetFontStyle).Stored([](TObject* o) { return !static_cast<C*>(o)->ParentFont(); });
  Property("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
}

TOVANI_PUBLISHED(TfrxDMPCommand) { Property("Command", &TfrxDMPCommand::Command); }

TOVANI_PUBLISHED(TfrxDMPPage) { Property("FontStyle", &TfrxDMPPage::FontStyle, &TfrxDMPPage::SetFontStyle); }

void frxApplyDMPFont(TFont* Font, TfrxDMPFontStyles Styles) {
  Font->SetName("Courier New");
  Font->SetSize(12);
  TFontStyles s;
  if (Styles.Contains(fsxBold)) s += fsBold;
  if (Styles.Contains(fsxItalic)) s += fsItalic;
  if (Styles.Contains(fsxUnderline)) s += fsUnderline;
  Font->SetStyle(s);
}

// ---------------------------------------------------------------------------
// Text

TfrxDMPMemoView::TfrxDMPMemoView(TComponent* AOwner) : TfrxCustomMemoView(AOwner) {
  ApplyFont();
  SetfrComponentStyle(frComponentStyle() - csDefaultDiff);
}

void TfrxDMPMemoView::FontChanged(TObject* Sender) {
  // The grid font is set by the object itself and does not end ParentFont.
  if (!FApplying) TfrxCustomMemoView::FontChanged(Sender);
}

void TfrxDMPMemoView::ApplyFont() {
  FApplying = true;
  frxApplyDMPFont(Font(), FFontStyle);
  FApplying = false;
  CharSpacing = 0;
  LineSpacing = 1;
  GapX = 0;
  GapY = 0;
}

void TfrxDMPMemoView::SetFontStyle(TfrxDMPFontStyles Value) {
  FFontStyle = Value;
  TfrxCustomMemoView::SetParentFont(false);
  ApplyFont();
}

void TfrxDMPMemoView::SetParentFont(bool Value) {
  if (Value) {
    if (TfrxDMPPage* p = DMPPageOf(this)) FFontStyle = p->FontStyle();
  }
  TfrxCustomMemoView::SetParentFont(Value);
  ApplyFont();
}

void TfrxDMPMemoView::SetLeft(Extended Value) {
  TfrxCustomMemoView::SetLeft((Align() == baRight ? Trc(Value / X) : Rnd(Value / X)) * X);
}
void TfrxDMPMemoView::SetTop(Extended Value) { TfrxCustomMemoView::SetTop(Rnd(Value / Y) * Y); }
void TfrxDMPMemoView::SetWidth(Extended Value) { TfrxCustomMemoView::SetWidth(Rnd(Value / X) * X); }
void TfrxDMPMemoView::SetHeight(Extended Value) { TfrxCustomMemoView::SetHeight(Rnd(Value / Y) * Y); }

String TfrxDMPMemoView::GetTypeCaption() { return frxGetResources()->Get("obDMPText"); }

String TfrxDMPMemoView::DifferenceText(TfrxComponent* ATemplate) {
  String s = TfrxCustomMemoView::DifferenceText(ATemplate);
  auto* t = dynamic_cast<TfrxDMPMemoView*>(ATemplate);
  if (t && FFontStyle != t->FFontStyle) s += Attr("FontStyle", IntToStr(Integer(FFontStyle.Mask() & 0x1FF)));
  return s;
}

void TfrxDMPMemoView::DrawFrame() {
  const Integer x = FX, y = FY, x1 = FX1, y1 = FY1;
  FX = Integer(Rnd((AbsLeft() - X / 2) * FScaleX + FOffsetX));
  FY = Integer(Rnd((AbsTop() - Y / 2) * FScaleY + FOffsetY));
  FX1 = Integer(Rnd((AbsLeft() + Width() + X / 2) * FScaleX + FOffsetX));
  FY1 = Integer(Rnd((AbsTop() + Height() + Y / 2) * FScaleY + FOffsetY));
  TfrxCustomMemoView::DrawFrame();
  FX = x;
  FY = y;
  FX1 = x1;
  FY1 = y1;
}

Extended TfrxDMPMemoView::CalcHeight() { return Rnd(TfrxCustomMemoView::CalcHeight() / Y) * Y; }
Extended TfrxDMPMemoView::CalcWidth() { return Rnd(TfrxCustomMemoView::CalcWidth() / X) * X; }

// ---------------------------------------------------------------------------
// Line

void TfrxDMPLineView::SetLeft(Extended Value) {
  Extended v;
  if (Value < 0) v = Trc(Value / X) * X - X / 2;
  else if (Align() == baRight) v = Rnd(Value / X) * X - X / 2;
  else v = Trc(Value / X) * X + X / 2;
  TfrxCustomLineView::SetLeft(v);
}
void TfrxDMPLineView::SetTop(Extended Value) { TfrxCustomLineView::SetTop(Trc(Value / Y) * Y + Y / 2); }
void TfrxDMPLineView::SetWidth(Extended Value) {
  TfrxCustomLineView::SetWidth((Align() == baWidth ? Trc(Value / X) : Rnd(Value / X)) * X);
}

void TfrxDMPLineView::SetFontStyle(TfrxDMPFontStyles Value) {
  FFontStyle = Value;
  TfrxCustomLineView::SetParentFont(false);
}

void TfrxDMPLineView::SetParentFont(bool Value) {
  if (Value)
    if (TfrxDMPPage* p = DMPPageOf(this)) FFontStyle = p->FontStyle();
  TfrxCustomLineView::SetParentFont(Value);
}

String TfrxDMPLineView::GetTypeCaption() { return frxGetResources()->Get("obDMPLine"); }

String TfrxDMPLineView::DifferenceText(TfrxComponent* ATemplate) {
  String s = TfrxView::DifferenceText(ATemplate);
  auto* t = dynamic_cast<TfrxDMPLineView*>(ATemplate);
  if (t && FFontStyle != t->FFontStyle) s += Attr("FontStyle", IntToStr(Integer(FFontStyle.Mask() & 0x1FF)));
  return s;
}

// ---------------------------------------------------------------------------
// Command

void TfrxDMPCommand::SetLeft(Extended Value) { TfrxView::SetLeft(Rnd(Value / X) * X); }
void TfrxDMPCommand::SetTop(Extended Value) { TfrxView::SetTop(Rnd(Value / Y) * Y); }
String TfrxDMPCommand::GetTypeCaption() { return frxGetResources()->Get("obDMPCmd"); }

String TfrxDMPCommand::DifferenceText(TfrxComponent* ATemplate) {
  String s = TfrxView::DifferenceText(ATemplate);
  auto* t = dynamic_cast<TfrxDMPCommand*>(ATemplate);
  if (t && Command != t->Command) s += Attr("Command", frxEscapeXMLText(Command));
  return s;
}

// ---------------------------------------------------------------------------
// Page

TfrxDMPPage::TfrxDMPPage(TComponent* AOwner) : TfrxReportPage(AOwner) {
  FApplying = true;
  frxApplyDMPFont(Font(), FFontStyle);
  FApplying = false;
  SetPaperSize(PaperSize());
}

void TfrxDMPPage::FontChanged(TObject* Sender) {
  if (!FApplying) TfrxReportPage::FontChanged(Sender);
}

void TfrxDMPPage::SetPaperWidth(Extended Value) {
  TfrxReportPage::SetPaperWidth(Value);
  StorePaperDimensions(Rnd(PaperWidth() * fr01cm / X) * X / fr01cm, PaperHeight());
}

void TfrxDMPPage::SetPaperHeight(Extended Value) {
  TfrxReportPage::SetPaperHeight(Value);
  StorePaperDimensions(PaperWidth(), Rnd(PaperHeight() * fr01cm / Y) * Y / fr01cm);
}

void TfrxDMPPage::SetPaperSize(Integer Value) {
  TfrxReportPage::SetPaperSize(Value);
  StorePaperDimensions(Rnd(PaperWidth() * fr01cm / X) * X / fr01cm, Rnd(PaperHeight() * fr01cm / Y) * Y / fr01cm);
}

void TfrxDMPPage::ResetToPrinterDefaults() {
  TfrxReportPage::ResetToPrinterDefaults();
  LeftMargin = RightMargin = X / fr01cm;
  TopMargin = BottomMargin = Y / fr01cm;
  StorePaperDimensions(Trc(PaperWidth() * fr01cm / X) * X / fr01cm, Trc(PaperHeight() * fr01cm / Y) * Y / fr01cm);
}

void TfrxDMPPage::SetFontStyle(TfrxDMPFontStyles Value) {
  FFontStyle = Value;
  FApplying = true;
  frxApplyDMPFont(Font(), FFontStyle);
  FApplying = false;
  TList* all = AllObjects();
  std::vector<TfrxComponent*> list;
  for (Integer i = 0; i < all->Count(); ++i) list.push_back(static_cast<TfrxComponent*>(all->Items(i)));
  for (TfrxComponent* c : list)
    if (c->ParentFont()) c->SetParentFont(true);
}

// ---------------------------------------------------------------------------

void frxRegisterDMPObjects() {
  TfrxObjectCollection* r = frxObjectRegistry();
  r->AddObjectClass(TfrxDMPMemoView::StaticClass(), nullptr, 8, 2, 0);
  r->AddObjectClass(TfrxDMPLineView::StaticClass(), nullptr, 8, 5, 0);
  r->AddObjectClass(TfrxDMPCommand::StaticClass(), nullptr, 8, 21, 0);
}

void frxUnregisterDMPObjects() {
  TfrxObjectCollection* r = frxObjectRegistry();
  r->RemoveObjectClass(TfrxDMPMemoView::StaticClass());
  r->RemoveObjectClass(TfrxDMPLineView::StaticClass());
  r->RemoveObjectClass(TfrxDMPCommand::StaticClass());
}
