#include "ReportTestObjects.h"

#include "StdCtrls.h"
#include "Streaming.h"
#include "frxUtils.h"

TOVANI_IMPLEMENT_ENUM_INFO(TTestKind, "tkFirst", "tkSecond", "tkThird")
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxTestView, TfrxReportComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxTestBox, TfrxReportComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxTestMemoView, TfrxTestView)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxTestButtonControl, TfrxDialogControl)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxTestGroupControl, TfrxDialogControl)

TfrxTestButtonControl::TfrxTestButtonControl(TComponent* AOwner) : TfrxDialogControl(AOwner) {
  InitControl(new TButton());
}

TfrxTestGroupControl::TfrxTestGroupControl(TComponent* AOwner) : TfrxDialogControl(AOwner) {
  InitControl(new TGroupBox());
}

namespace {

// The published set of a report object: bounds, font with its stored rule, visibility.
template <class Pub, class Cls>
void PublishBasics(Pub& pub) {
  pub.Property("Left", &Cls::Left, &Cls::SetLeft);
  pub.Property("Top", &Cls::Top, &Cls::SetTop);
  pub.Property("Width", &Cls::Width, &Cls::SetWidth);
  pub.Property("Height", &Cls::Height, &Cls::SetHeight);
  pub.Property("Font", &Cls::Font, &Cls::SetFont).Stored(&Cls::IsFontStored);
  pub.Property("ParentFont", &Cls::ParentFont, &Cls::SetParentFont).Default(true);
  pub.Property("Restrictions", &Cls::Restrictions, &Cls::SetRestrictions).Default(TfrxRestrictions());
  pub.Property("Visible", &Cls::Visible, &Cls::SetVisible).Default(true);
}

}  // namespace

TOVANI_PUBLISHED(TfrxTestView) {
  PublishBasics<TovaniPublished_TfrxTestView, TfrxTestView>(*this);
  Property("Caption", &TfrxTestView::Caption);
  Property("Flag", &TfrxTestView::Flag).Default(true);
  Property("Count", &TfrxTestView::Count).Default(0);
  Property("Kind", &TfrxTestView::Kind).Default(tkFirst);
  Property("Data", &TfrxTestView::Data);
  Property("Link", &TfrxTestView::Link, &TfrxTestView::SetLink);
  Property("Lines", &TfrxTestView::Lines, &TfrxTestView::SetLines);
  Property("Frame", &TfrxTestView::Frame, &TfrxTestView::SetFrame);
}

TOVANI_PUBLISHED(TfrxTestBox) { PublishBasics<TovaniPublished_TfrxTestBox, TfrxTestBox>(*this); }

TfrxTestView::TfrxTestView(TComponent* AOwner) : TfrxReportComponent(AOwner) {}

void TfrxTestView::DefineProperties(TFiler* Filer) {
  TfrxReportComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "Vars", [this](TReader* r) { frxLoadCollection(&FVars, r, this); },
      [this](TWriter* w) { frxStoreCollection(&FVars, w, this); }, FVars.Count() > 0);
}
