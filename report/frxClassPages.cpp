// Bands, the subreport object, report and data pages with their paper
// sizes, and dialog pages with their window.
#include <windows.h>
#undef GetProp
#undef SetProp

#include <cmath>
#include <mutex>

#include "Strings.h"
#include "SysUtils.h"
#include "frxClass.h"
#include "frxRes.h"
#include "frxUtils.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxBand, TfrxReportComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxReportTitle, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxReportSummary, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxChild, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxHeader, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxFooter, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPageHeader, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPageFooter, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxColumnHeader, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxColumnFooter, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxNullBand, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxOverlay, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxGroupHeader, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxGroupFooter, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDataBand, TfrxBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxMasterData, TfrxDataBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDetailData, TfrxDataBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxSubdetailData, TfrxDataBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDataBand4, TfrxDataBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDataBand5, TfrxDataBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDataBand6, TfrxDataBand)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxSubreport, TfrxView)
TOVANI_IMPLEMENT_CLASS(TfrxPage, TfrxComponent)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxReportPage, TfrxPage)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDataPage, TfrxPage)
TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxDialogPage, TfrxPage)
TOVANI_IMPLEMENT_CLASS(TfrxDialogForm, TForm)

namespace {

Integer Rnd(Extended x) { return Integer(std::nearbyint(x)); }

// A multiple of Step nearest to Value.
Extended Snap(Extended Value, Extended Step) { return std::nearbyint(Value / Step) * Step; }

bool OnDotMatrixPage(TfrxComponent* c) { return c->Parent() && frxIsKindOf(c->Parent(), "TfrxDMPPage"); }

}  // namespace

// ---------------------------------------------------------------------------
// Bands

#define FRX_PUBLISH_BAND_BASICS(C)                                                       \
  Property("Font", &C::Font, &C::SetFont).Stored(&C::IsFontStored);                      \
  Property("Height", &C::Height, &C::SetHeight);                                         \
  Property("Left", &C::Left, &C::SetLeft);                                               \
  Property("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);               \
  Property("Restrictions", &C::Restrictions, &C::SetRestrictions).Default(TfrxRestrictions()); \
  Property("Top", &C::Top, &C::SetTop);                                                  \
  Property("Vertical", &C::Vertical).Default(false);                                     \
  Property("Visible", &C::Visible, &C::SetVisible).Default(true);                        \
  Property("Width", &C::Width, &C::SetWidth);                                            \
  Property("OnAfterCalcHeight", &C::OnAfterCalcHeight);                                  \
  Property("OnAfterPrint", &C::OnAfterPrint);                                            \
  Property("OnBeforePrint", &C::OnBeforePrint)
#define FRX_BOOL(C, Name) Property(#Name, &C::Name).Default(false)
#define FRX_CHILD(C) Property("Child", &C::Child, &C::SetChild)

TOVANI_PUBLISHED(TfrxBand) { FRX_PUBLISH_BAND_BASICS(TfrxBand); }

#define FRX_TITLE_LIKE(C)                                                                  \
  TOVANI_PUBLISHED(C) {                                                                    \
    FRX_PUBLISH_BAND_BASICS(C);                                                            \
    FRX_BOOL(C, AllowSplit);                                                               \
    FRX_CHILD(C);                                                                          \
    FRX_BOOL(C, KeepChild);                                                                \
    FRX_BOOL(C, PrintChildIfInvisible);                                                    \
    FRX_BOOL(C, StartNewPage);                                                             \
    FRX_BOOL(C, Stretched);                                                                \
  }
FRX_TITLE_LIKE(TfrxReportTitle)
FRX_TITLE_LIKE(TfrxReportSummary)
FRX_TITLE_LIKE(TfrxChild)

TOVANI_PUBLISHED(TfrxHeader) {
  FRX_PUBLISH_BAND_BASICS(TfrxHeader);
  FRX_BOOL(TfrxHeader, AllowSplit);
  FRX_CHILD(TfrxHeader);
  FRX_BOOL(TfrxHeader, KeepChild);
  FRX_BOOL(TfrxHeader, PrintChildIfInvisible);
  FRX_BOOL(TfrxHeader, ReprintOnNewPage);
  FRX_BOOL(TfrxHeader, StartNewPage);
  FRX_BOOL(TfrxHeader, Stretched);
}

TOVANI_PUBLISHED(TfrxFooter) {
  FRX_PUBLISH_BAND_BASICS(TfrxFooter);
  FRX_BOOL(TfrxFooter, AllowSplit);
  FRX_CHILD(TfrxFooter);
  FRX_BOOL(TfrxFooter, KeepChild);
  FRX_BOOL(TfrxFooter, PrintChildIfInvisible);
  FRX_BOOL(TfrxFooter, Stretched);
}

TOVANI_PUBLISHED(TfrxPageHeader) {
  FRX_PUBLISH_BAND_BASICS(TfrxPageHeader);
  FRX_CHILD(TfrxPageHeader);
  FRX_BOOL(TfrxPageHeader, PrintChildIfInvisible);
  Property("PrintOnFirstPage", &TfrxPageHeader::PrintOnFirstPage).Default(true);
  FRX_BOOL(TfrxPageHeader, Stretched);
}

TOVANI_PUBLISHED(TfrxPageFooter) {
  FRX_PUBLISH_BAND_BASICS(TfrxPageFooter);
  Property("PrintOnFirstPage", &TfrxPageFooter::PrintOnFirstPage).Default(true);
  Property("PrintOnLastPage", &TfrxPageFooter::PrintOnLastPage).Default(true);
}

TOVANI_PUBLISHED(TfrxColumnHeader) {
  FRX_PUBLISH_BAND_BASICS(TfrxColumnHeader);
  FRX_CHILD(TfrxColumnHeader);
  FRX_BOOL(TfrxColumnHeader, Stretched);
}

TOVANI_PUBLISHED(TfrxColumnFooter) { FRX_PUBLISH_BAND_BASICS(TfrxColumnFooter); }
TOVANI_PUBLISHED(TfrxNullBand) { FRX_PUBLISH_BAND_BASICS(TfrxNullBand); }

TOVANI_PUBLISHED(TfrxOverlay) {
  FRX_PUBLISH_BAND_BASICS(TfrxOverlay);
  FRX_BOOL(TfrxOverlay, PrintOnTop);
}

TOVANI_PUBLISHED(TfrxGroupHeader) {
  FRX_PUBLISH_BAND_BASICS(TfrxGroupHeader);
  FRX_BOOL(TfrxGroupHeader, AllowSplit);
  FRX_CHILD(TfrxGroupHeader);
  Property("Condition", &TfrxGroupHeader::Condition);
  FRX_BOOL(TfrxGroupHeader, DrillDown);
  FRX_BOOL(TfrxGroupHeader, ExpandDrillDown);
  FRX_BOOL(TfrxGroupHeader, KeepChild);
  FRX_BOOL(TfrxGroupHeader, KeepTogether);
  FRX_BOOL(TfrxGroupHeader, ReprintOnNewPage);
  Property("OutlineText", &TfrxGroupHeader::OutlineText);
  FRX_BOOL(TfrxGroupHeader, PrintChildIfInvisible);
  FRX_BOOL(TfrxGroupHeader, ResetPageNumbers);
  FRX_BOOL(TfrxGroupHeader, ShowFooterIfDrillDown);
  FRX_BOOL(TfrxGroupHeader, StartNewPage);
  FRX_BOOL(TfrxGroupHeader, Stretched);
}

TOVANI_PUBLISHED(TfrxGroupFooter) {
  FRX_PUBLISH_BAND_BASICS(TfrxGroupFooter);
  FRX_BOOL(TfrxGroupFooter, AllowSplit);
  FRX_CHILD(TfrxGroupFooter);
  FRX_BOOL(TfrxGroupFooter, HideIfSingleDataRecord);
  FRX_BOOL(TfrxGroupFooter, KeepChild);
  FRX_BOOL(TfrxGroupFooter, PrintChildIfInvisible);
  FRX_BOOL(TfrxGroupFooter, Stretched);
}

TOVANI_PUBLISHED(TfrxDataBand) {
  FRX_PUBLISH_BAND_BASICS(TfrxDataBand);
  FRX_BOOL(TfrxDataBand, AllowSplit);
  FRX_CHILD(TfrxDataBand);
  Property("Columns", &TfrxDataBand::Columns).Default(0);
  Property("ColumnWidth", &TfrxDataBand::ColumnWidth);
  Property("ColumnGap", &TfrxDataBand::ColumnGap);
  Property("DataSet", &TfrxDataBand::DataSet, &TfrxDataBand::SetDataSet).Stored(false);
  Property("DataSetName", &TfrxDataBand::DataSetName, &TfrxDataBand::SetDataSetName);
  FRX_BOOL(TfrxDataBand, FooterAfterEach);
  FRX_BOOL(TfrxDataBand, KeepChild);
  FRX_BOOL(TfrxDataBand, KeepFooter);
  FRX_BOOL(TfrxDataBand, KeepHeader);
  FRX_BOOL(TfrxDataBand, KeepTogether);
  Property("OutlineText", &TfrxDataBand::OutlineText);
  FRX_BOOL(TfrxDataBand, PrintChildIfInvisible);
  FRX_BOOL(TfrxDataBand, PrintIfDetailEmpty);
  Property("RowCount", &TfrxDataBand::RowCount, &TfrxDataBand::SetRowCount).NoDefault();
  FRX_BOOL(TfrxDataBand, StartNewPage);
  FRX_BOOL(TfrxDataBand, Stretched);
  Property("OnMasterDetail", &TfrxDataBand::OnMasterDetail);
}

TfrxBand::TfrxBand(TComponent* AOwner) : TfrxReportComponent(AOwner) {}
TfrxBand::~TfrxBand() = default;

String TfrxBand::GetTypeCaption() { return frxGetResources()->Get("obBand"); }

void TfrxBand::Notification(TComponent* AComponent, TOperation Operation) {
  TfrxReportComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FChild) FChild = nullptr;
}

void TfrxBand::SetChild(TfrxChild* Value) {
  for (TfrxBand* b = Value; b; b = b->FChild)
    if (b == this) throw Exception("Circular child reference is not allowed");
  FChild = Value;
  if (Value) Value->FreeNotification(this);
}

void TfrxBand::SetLeft(Extended Value) {
  TfrxReportComponent::SetLeft(OnDotMatrixPage(this) ? Snap(Value, fr1CharX) : Value);
}

void TfrxBand::SetTop(Extended Value) {
  TfrxReportComponent::SetTop(OnDotMatrixPage(this) ? Snap(Value, fr1CharY) : Value);
}

void TfrxBand::SetHeight(Extended Value) {
  TfrxReportComponent::SetHeight(OnDotMatrixPage(this) ? Snap(Value, fr1CharY) : Value);
}

TClass TfrxBand::KindClass(Integer Index) {
  static const TClass kinds[18] = {
      TfrxReportTitle::StaticClass(),   TfrxReportSummary::StaticClass(), TfrxPageHeader::StaticClass(),
      TfrxPageFooter::StaticClass(),    TfrxHeader::StaticClass(),        TfrxFooter::StaticClass(),
      TfrxMasterData::StaticClass(),    TfrxDetailData::StaticClass(),    TfrxSubdetailData::StaticClass(),
      TfrxDataBand4::StaticClass(),     TfrxDataBand5::StaticClass(),     TfrxDataBand6::StaticClass(),
      TfrxGroupHeader::StaticClass(),   TfrxGroupFooter::StaticClass(),   TfrxChild::StaticClass(),
      TfrxColumnHeader::StaticClass(),  TfrxColumnFooter::StaticClass(),  TfrxOverlay::StaticClass()};
  return Index >= 0 && Index < 18 ? kinds[Index] : nullptr;
}

Integer TfrxBand::KindIndex() const {
  Integer result = 0;
  for (Integer i = 0; i < 18; ++i)
    if (InheritsFrom(KindClass(i))) result = i;
  return result;
}

String TfrxGroupHeader::DifferenceText(TfrxComponent* ATemplate) {
  String s = BaseDifferenceText(ATemplate);
  if (DrillDown) s += " Tag=\"" + IntToStr(FLineThrough) + "\"";
  return s;
}

TfrxDataBand::TfrxDataBand(TComponent* AOwner)
    : TfrxBand(AOwner), FVirtualDataSet(std::make_unique<TfrxUserDataSet>(nullptr)) {
  FVirtualDataSet->SetRangeEnd(reCount);
}

TfrxDataBand::~TfrxDataBand() = default;

String TfrxDataBand::GetTypeCaption() { return frxGetResources()->Get("obDataBand"); }

void TfrxDataBand::Notification(TComponent* AComponent, TOperation Operation) {
  TfrxBand::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) FDataSet = nullptr;
}

void TfrxDataBand::SetDataSet(TfrxDataSet* Value) {
  FDataSet = Value;
  FDataSetName = Value ? Value->UserName() : String();
  if (Value) Value->FreeNotification(this);
}

String TfrxDataBand::DataSetName() const { return FDataSet ? FDataSet->UserName() : FDataSetName; }

void TfrxDataBand::SetDataSetName(const String& Value) {
  FDataSetName = Value;
  FDataSet = LookupDataSet(FDataSet, Value);
  if (FDataSet) FDataSet->FreeNotification(this);
}

void TfrxDataBand::SetRowCount(Integer Value) {
  FRowCount = Value;
  FVirtualDataSet->SetRangeEndCount(Value);
}

void TfrxDataBand::SetCurrentColumn(Integer Value) {
  if (Value > Columns) Value = 1;
  FCurColumn = Value;
  if (Value == 1) FMaxY = FLinesInColumn = FColumnLine = 0;
  SetLeft((Value - 1) * (ColumnWidth + ColumnGap));
}

// ---------------------------------------------------------------------------
// Subreport

TOVANI_PUBLISHED(TfrxSubreport) {
  Property("Page", &TfrxSubreport::Page, &TfrxSubreport::SetPage);
  Property("PrintOnParent", &TfrxSubreport::PrintOnParent).Default(false);
}

TfrxSubreport::TfrxSubreport(TComponent* AOwner) : TfrxView(AOwner) {
  SetfrComponentStyle(frComponentStyle() - csPreviewVisible);
  Frame()->SetTyp({ftLeft, ftRight, ftTop, ftBottom});
  Font()->SetName("Tahoma");
  Font()->SetSize(8);
  SetColor(clSilver);
}

TfrxSubreport::~TfrxSubreport() {
  if (FPage) FPage->SetSubReport(nullptr);
}

String TfrxSubreport::GetTypeCaption() { return frxGetResources()->Get("obSubRep"); }

void TfrxSubreport::Notification(TComponent* AComponent, TOperation Operation) {
  TfrxView::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPage) FPage = nullptr;
}

void TfrxSubreport::SetPage(TfrxReportPage* Value) {
  if (FPage && FPage != Value) FPage->SetSubReport(nullptr);
  FPage = Value;
  if (Value) {
    Value->SetSubReport(this);
    Value->FreeNotification(this);
  }
}

void TfrxSubreport::Draw(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX, Extended OffsetY) {
  TfrxView::Draw(Canvas, ScaleX, ScaleY, OffsetX, OffsetY);
  Canvas->Font()->Assign(Font());
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(FX + 2, FY + 2, Name());
}

// ---------------------------------------------------------------------------
// Paper sizes

const TPaperInfo frxPaperTable[frxPaperTableCount] = {
    {1, 2159, 2794},  {2, 2159, 2794},  {3, 2794, 4318},  {4, 4318, 2794},  {5, 2159, 3556},  {6, 1397, 2159},
    {7, 1842, 2667},  {8, 2970, 4200},  {9, 2100, 2970},  {10, 2100, 2970}, {11, 1480, 2100}, {12, 2500, 3540},
    {13, 1820, 2570}, {14, 2159, 3302}, {15, 2150, 2750}, {16, 2540, 3556}, {17, 2794, 4318}, {18, 2159, 2794},
    {19, 984, 2254},  {20, 1048, 2413}, {21, 1143, 2635}, {22, 1207, 2794}, {23, 1270, 2921}, {24, 4318, 5588},
    {25, 5588, 8636}, {26, 8636, 11176}, {27, 1100, 2200}, {28, 1620, 2290}, {29, 3240, 4580}, {30, 2290, 3240},
    {31, 1140, 1620}, {32, 1140, 2290}, {33, 2500, 3530}, {34, 1760, 2500}, {35, 1760, 1250}, {36, 1100, 2300},
    {37, 984, 1905},  {38, 920, 1651},  {39, 3778, 2794}, {40, 2159, 3048}, {41, 2159, 3302}, {42, 2500, 3530},
    {43, 1000, 1480}, {44, 2286, 2794}, {45, 2540, 2794}, {46, 3810, 2794}, {47, 2200, 2200}, {50, 2355, 3048},
    {51, 2355, 3810}, {52, 2969, 4572}, {53, 2354, 3223}, {54, 2101, 2794}, {55, 2100, 2970}, {56, 2355, 3048},
    {57, 2270, 3560}, {58, 3050, 4870}, {59, 2159, 3223}, {60, 2100, 3300}, {61, 1480, 2100}, {62, 1820, 2570},
    {63, 3220, 4450}, {64, 1740, 2350}, {65, 2010, 2760}, {66, 4200, 5940}, {67, 2970, 4200}, {68, 3220, 4450}};

bool frxLookupPaperSize(Integer PaperSize, Extended& Width, Extended& Height) {
  for (const TPaperInfo& p : frxPaperTable)
    if (p.Code == PaperSize) {
      Width = p.Width / 10.0;
      Height = p.Height / 10.0;
      return true;
    }
  return false;
}

std::function<TfrxPrinterPaper()> frxCurrentPrinterPaper;

// ---------------------------------------------------------------------------
// Report pages

TOVANI_PUBLISHED(TfrxPage) {
  Property("Font", &TfrxPage::Font, &TfrxPage::SetFont).Stored(&TfrxPage::IsFontStored);
  Property("Visible", &TfrxPage::Visible, &TfrxPage::SetVisible).Default(true);
}

TOVANI_PUBLISHED(TfrxReportPage) {
  using C = TfrxReportPage;
  Property("Orientation", &C::Orientation, &C::SetOrientation).Default(poPortrait);
  Property("PaperWidth", &C::PaperWidth, &C::SetPaperWidth);
  Property("PaperHeight", &C::PaperHeight, &C::SetPaperHeight);
  Property("PaperSize", &C::PaperSize, &C::SetPaperSize).NoDefault();
  Property("LeftMargin", &C::LeftMargin);
  Property("RightMargin", &C::RightMargin);
  Property("TopMargin", &C::TopMargin);
  Property("BottomMargin", &C::BottomMargin);
  Property("MirrorMargins", &C::MirrorMargins).Default(false);
  Property("Columns", &C::Columns, &C::SetColumns).Default(0);
  Property("ColumnWidth", &C::ColumnWidth);
  Property("ColumnPositions", &C::ColumnPositions, &C::SetColumnPositions);
  Property("Bin", &C::Bin).Default(7);
  Property("BinOtherPages", &C::BinOtherPages).Default(7);
  Property("BackPicture", &C::BackPicture, &C::SetBackPicture);
  Property("BackPictureVisible", &C::BackPictureVisible).Default(true);
  Property("BackPicturePrintable", &C::BackPicturePrintable).Default(true);
  Property("PageCount", &C::PageCount, &C::SetPageCount).Default(1);
  Property("Color", &C::Color, &C::SetColor).Default(frxclNone);
  Property("DataSet", &C::DataSet, &C::SetDataSet).Stored(false);
  Property("DataSetName", &C::DataSetName, &C::SetDataSetName);
  Property("Duplex", &C::Duplex).Default(dmNone);
  Property("Frame", &C::Frame, &C::SetFrame);
  Property("EndlessHeight", &C::EndlessHeight).Default(false);
  Property("EndlessWidth", &C::EndlessWidth).Default(false);
  Property("LargeDesignHeight", &C::LargeDesignHeight).Default(false);
  Property("OutlineText", &C::OutlineText);
  Property("PrintIfEmpty", &C::PrintIfEmpty).Default(true);
  Property("PrintOnPreviousPage", &C::PrintOnPreviousPage).Default(false);
  Property("ResetPageNumbers", &C::ResetPageNumbers).Default(false);
  Property("TitleBeforeHeader", &C::TitleBeforeHeader).Default(true);
  Property("HGuides", &C::HGuides, &C::SetHGuides);
  Property("VGuides", &C::VGuides, &C::SetVGuides);
  Property("OnAfterPrint", &C::OnAfterPrint);
  Property("OnBeforePrint", &C::OnBeforePrint);
  Property("OnManualBuild", &C::OnManualBuild);
}

TfrxReportPage::TfrxReportPage(TComponent* AOwner)
    : TfrxPage(AOwner),
      FBackPicture(std::make_unique<TfrxPictureView>(nullptr)),
      FColumnPositions(std::make_unique<TStringList>()),
      FHGuides(std::make_unique<TStringList>()),
      FVGuides(std::make_unique<TStringList>()) {
  FBackPicture->SetColor(frxclNone);
  FBackPicture->KeepAspectRatio = false;
  SetPaperSize(9);
}

TfrxReportPage::~TfrxReportPage() {
  if (FSubReport) FSubReport->SetPage(nullptr);
}

String TfrxReportPage::GetTypeCaption() { return frxGetResources()->Get("obRepPage"); }

void TfrxReportPage::Notification(TComponent* AComponent, TOperation Operation) {
  TfrxPage::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == FDataSet) FDataSet = nullptr;
    if (AComponent == FSubReport) FSubReport = nullptr;
  }
}

TStrings* TfrxReportPage::ColumnPositions() const { return FColumnPositions.get(); }
void TfrxReportPage::SetColumnPositions(TStrings* v) { FColumnPositions->Assign(v); }
TStrings* TfrxReportPage::HGuides() const { return FHGuides.get(); }
void TfrxReportPage::SetHGuides(TStrings* v) { FHGuides->Assign(v); }
TStrings* TfrxReportPage::VGuides() const { return FVGuides.get(); }
void TfrxReportPage::SetVGuides(TStrings* v) { FVGuides->Assign(v); }
TColor TfrxReportPage::Color() const { return FBackPicture->Color(); }
void TfrxReportPage::SetColor(TColor v) { FBackPicture->SetColor(v); }
TfrxFrame* TfrxReportPage::Frame() const { return FBackPicture->Frame(); }
void TfrxReportPage::SetFrame(TfrxFrame* v) { FBackPicture->SetFrame(v); }
TPicture* TfrxReportPage::BackPicture() const { return FBackPicture->Picture(); }
void TfrxReportPage::SetBackPicture(TPicture* v) { FBackPicture->SetPicture(v); }

void TfrxReportPage::SetDataSet(TfrxDataSet* Value) {
  FDataSet = Value;
  FDataSetName = Value ? Value->UserName() : String();
  if (Value) Value->FreeNotification(this);
}

String TfrxReportPage::DataSetName() const { return FDataSet ? FDataSet->UserName() : FDataSetName; }

void TfrxReportPage::SetDataSetName(const String& Value) {
  FDataSetName = Value;
  FDataSet = LookupDataSet(FDataSet, Value);
  if (FDataSet) FDataSet->FreeNotification(this);
}

void TfrxReportPage::UpdatePageSize() {
  SetWidth(Rnd(FPaperWidth * fr01cm));
  SetHeight(Rnd(FPaperHeight * fr01cm));
}

void TfrxReportPage::SetPaperWidth(Extended Value) {
  FPaperWidth = frxRound8(Value);
  FPaperSize = 256;
  UpdatePageSize();
}

void TfrxReportPage::SetPaperHeight(Extended Value) {
  FPaperHeight = frxRound8(Value);
  FPaperSize = 256;
  UpdatePageSize();
}

void TfrxReportPage::SetPaperSize(Integer Value) {
  FPaperSize = Value;
  if (Value >= 256) return;
  Extended w, h;
  if (frxLookupPaperSize(Value, w, h)) {
    if (FOrientation == poLandscape) std::swap(w, h);
    FPaperWidth = w;
    FPaperHeight = h;
  }
  UpdatePageSize();
}

void TfrxReportPage::SetOrientation(TPrinterOrientation Value) {
  if (FOrientation == Value) return;
  FOrientation = Value;
  std::swap(FPaperWidth, FPaperHeight);
  const Extended l = LeftMargin, r = RightMargin, t = TopMargin, b = BottomMargin;
  if (Value == poLandscape) {
    LeftMargin = t, RightMargin = b, TopMargin = r, BottomMargin = l;
  } else {
    LeftMargin = b, RightMargin = t, TopMargin = l, BottomMargin = r;
  }
  UpdatePageSize();
}

void TfrxReportPage::SetColumns(Integer Value) {
  FColumns = Value;
  FColumnPositions->Clear();
  if (Value <= 0) return;
  ColumnWidth = (FPaperWidth - LeftMargin - RightMargin) / Value;
  for (Integer i = 0; i < Value; ++i) FColumnPositions->Add(FloatToStr(i * ColumnWidth));
}

void TfrxReportPage::ResetToPrinterDefaults() {
  LeftMargin = RightMargin = TopMargin = BottomMargin = 10;
  TfrxPrinterPaper paper = frxCurrentPrinterPaper ? frxCurrentPrinterPaper() : TfrxPrinterPaper();
  FPaperSize = paper.PaperSize;
  FPaperWidth = paper.PaperWidth;
  FPaperHeight = paper.PaperHeight;
  FOrientation = paper.Orientation;
  UpdatePageSize();
}

TfrxComponent* TfrxReportPage::FirstBandOfClass(TClass BandClass) {
  TList* objects = Objects();
  for (Integer i = 0; i < objects->Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(objects->Items(i));
    if (c->InheritsFrom(BandClass)) return c;
  }
  return nullptr;
}

void TfrxReportPage::AlignChildren() {
  const Extended printableWidth = (FPaperWidth - LeftMargin - RightMargin) * fr01cm;
  const Extended printableHeight = (FPaperHeight - TopMargin - BottomMargin) * fr01cm;
  SetWidth(printableWidth);
  SetHeight(printableHeight);
  TfrxPage::AlignChildren();
  TList* objects = Objects();
  for (Integer i = 0; i < objects->Count(); ++i) {
    auto* c = static_cast<TfrxComponent*>(objects->Items(i));
    if (!c->Is<TfrxBand>()) continue;
    auto* band = static_cast<TfrxBand*>(c);
    if (band->Vertical) band->SetHeight(printableHeight - band->Top());
    else band->SetWidth(Width() - band->Left());
    band->AlignChildren();
  }
  UpdatePageSize();
}

void TfrxReportPage::DrawBackground(TCanvas* Canvas, Extended ScaleX, Extended ScaleY, Extended OffsetX,
                                    Extended OffsetY) {
  FBackPicture->SetWidth((FPaperWidth - LeftMargin - RightMargin) * fr01cm);
  FBackPicture->SetHeight((FPaperHeight - TopMargin - BottomMargin) * fr01cm);
  if (!BackPictureVisible || (IsPrinting() && !BackPicturePrintable)) return;
  FBackPicture->SetIsPrinting(IsPrinting());
  FBackPicture->Draw(Canvas, ScaleX, ScaleY, OffsetX + LeftMargin * fr01cm * ScaleX,
                     OffsetY + TopMargin * fr01cm * ScaleY);
}

// ---------------------------------------------------------------------------
// Data page

TOVANI_PUBLISHED(TfrxDataPage) {
  Property("Height", &TfrxDataPage::Height, &TfrxDataPage::SetHeight);
  Property("Left", &TfrxDataPage::Left, &TfrxDataPage::SetLeft);
  Property("Top", &TfrxDataPage::Top, &TfrxDataPage::SetTop);
  Property("Width", &TfrxDataPage::Width, &TfrxDataPage::SetWidth);
}

TfrxDataPage::TfrxDataPage(TComponent* AOwner) : TfrxPage(AOwner) {
  SetWidth(1000);
  SetHeight(1000);
}

String TfrxDataPage::GetTypeCaption() { return frxGetResources()->Get("obDataPage"); }
