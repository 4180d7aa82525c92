#include "frxPageSettings.h"

#include <memory>

#include "ExtCtrls.h"
#include "IniFiles.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "VclWindows.h"
#include "frxClass.h"
#include "frxDialogControls.h"
#include "frxPrinter.h"
#include "frxUtils.h"

TOVANI_IMPLEMENT_CLASS(TfrxPageSettingsForm, TForm)

namespace {
constexpr Integer kCustomPaper = 256;

// A small sheet in portrait or landscape, the picture beside the orientation buttons.
void DrawSheet(TImage* Image, bool Landscape) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetWidth(32);
  bmp->SetHeight(32);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect(0, 0, 32, 32));
  c->Brush()->SetColor(clWhite);
  c->Pen()->SetColor(clBlack);
  if (Landscape)
    c->Rectangle(2, 8, 30, 26);
  else
    c->Rectangle(7, 2, 25, 30);
  Image->Picture()->Assign(bmp.get());
}
}  // namespace

TfrxPageSettingsForm::TfrxPageSettingsForm(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetClientWidth(286);
  SetClientHeight(359);
  SizeL = frxPlaceControl<TGroupBox>(this, this, 8, 4, 270, 98);
  SizeCB = frxPlaceControl<TComboBox>(this, SizeL, 10, 18, 250, 21);
  SizeCB->SetStyle(csDropDownList);
  SizeCB->SetDropDownCount(16);
  SizeCB->OnChange = [this](TObject*) { SizeCBClick(); };
  WidthL = frxPlaceControl<TLabel>(this, SizeL, 10, 48, 60, 13);
  WidthE = frxPlaceControl<TEdit>(this, SizeL, 80, 45, 60, 21);
  UnitL1 = frxPlaceControl<TLabel>(this, SizeL, 146, 48, 30, 13);
  HeightL = frxPlaceControl<TLabel>(this, SizeL, 10, 73, 60, 13);
  HeightE = frxPlaceControl<TEdit>(this, SizeL, 80, 70, 60, 21);
  UnitL2 = frxPlaceControl<TLabel>(this, SizeL, 146, 73, 30, 13);
  WidthE->OnChange = [this](TObject*) { WidthEChange(); };
  HeightE->OnChange = [this](TObject*) { WidthEChange(); };
  OrientationL = frxPlaceControl<TGroupBox>(this, this, 8, 106, 270, 62);
  PortraitRB = frxPlaceControl<TRadioButton>(this, OrientationL, 10, 18, 150, 17);
  LandscapeRB = frxPlaceControl<TRadioButton>(this, OrientationL, 10, 38, 150, 17);
  PortraitRB->SetCheckedValue(true);
  PortraitRB->OnClick = [this](TObject*) { PortraitRBClick(); };
  LandscapeRB->OnClick = [this](TObject*) { PortraitRBClick(); };
  PortraitImg = frxPlaceControl<TImage>(this, OrientationL, 220, 20, 32, 32);
  LandscapeImg = frxPlaceControl<TImage>(this, OrientationL, 220, 20, 32, 32);
  DrawSheet(PortraitImg, false);
  DrawSheet(LandscapeImg, true);
  MarginsL = frxPlaceControl<TGroupBox>(this, this, 8, 172, 270, 74);
  auto margin = [this](Integer left, Integer top, TLabel*& label, TEdit*& edit, TLabel*& unit) {
    label = frxPlaceControl<TLabel>(this, MarginsL, left, top + 3, 40, 13);
    edit = frxPlaceControl<TEdit>(this, MarginsL, left + 40, top, 50, 21);
    unit = frxPlaceControl<TLabel>(this, MarginsL, left + 94, top + 3, 30, 13);
  };
  margin(10, 18, LeftL, MarginLeftE, UnitL3);
  margin(10, 44, TopL, MarginTopE, UnitL4);
  margin(140, 18, RightL, MarginRightE, UnitL5);
  margin(140, 44, BottomL, MarginBottomE, UnitL6);
  OtherL = frxPlaceControl<TGroupBox>(this, this, 8, 250, 270, 66);
  ApplyToCurRB = frxPlaceControl<TRadioButton>(this, OtherL, 10, 18, 250, 17);
  ApplyToAllRB = frxPlaceControl<TRadioButton>(this, OtherL, 10, 40, 250, 17);
  ApplyToCurRB->SetCheckedValue(true);
  OKB = frxPlaceControl<TButton>(this, this, 122, 326, 75, 25);
  OKB->SetDefault(true);
  OKB->OnClick = [this](TObject*) { OKBClick(); };
  CancelB = frxPlaceControl<TButton>(this, this, 203, 326, 75, 25);
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
}

Extended TfrxPageSettingsForm::ToDisplayUnits(Extended Value, Integer Units) {
  switch (Units) {
    case 0: case 2: case 3: return Value / 10;
    case 1: return Value / 25.4;
    default: return 0;
  }
}

Extended TfrxPageSettingsForm::FromDisplayUnits(Extended Value, Integer Units) {
  switch (Units) {
    case 0: case 2: case 3: return Value * 10;
    case 1: return Value * 25.4;
    default: return 0;
  }
}

bool TfrxPageSettingsForm::ApplyToAllPages() const { return ApplyToAllRB->Checked(); }

Extended TfrxPageSettingsForm::EditValue(TEdit* Edit) const {
  return FromDisplayUnits(frxParseFloat(Edit->Text()), FUnits);
}

void TfrxPageSettingsForm::ShowValue(TEdit* Edit, Extended Millimetres) {
  Edit->SetText(frxFloatToText(ToDisplayUnits(Millimetres, FUnits)));
}

void TfrxPageSettingsForm::DoShow() {
  FUpdating = true;
  struct Done {
    bool& F;
    ~Done() { F = false; }
  } done{FUpdating};
  SetCaption(frxRes(400));
  SizeL->SetCaption(frxRes(403));
  WidthL->SetCaption(frxRes(401));
  HeightL->SetCaption(frxRes(402));
  OrientationL->SetCaption(frxRes(404));
  PortraitRB->SetCaption(frxRes(410));
  LandscapeRB->SetCaption(frxRes(411));
  MarginsL->SetCaption(frxRes(409));
  LeftL->SetCaption(frxRes(405));
  TopL->SetCaption(frxRes(406));
  RightL->SetCaption(frxRes(407));
  BottomL->SetCaption(frxRes(408));
  OtherL->SetCaption(frxRes(412));
  ApplyToCurRB->SetCaption(frxRes(413));
  ApplyToAllRB->SetCaption(frxRes(414));
  OKB->SetCaption(frxRes(1));
  CancelB->SetCaption(frxRes(2));
  FUnits = 0;
  if (Report) {
    std::unique_ptr<TCustomIniFile> ini(Report->GetIniFile());
    FUnits = ini->ReadInteger("Form.TfrxDesignerForm", "Units", 0);
  }
  String unit;
  if (FUnits == 0 || FUnits == 2 || FUnits == 3)
    unit = frxGetResources()->Get("uCm");
  else if (FUnits == 1)
    unit = frxGetResources()->Get("uInch");
  for (TLabel* l : {UnitL1, UnitL2, UnitL3, UnitL4, UnitL5, UnitL6}) l->SetCaption(unit);
  if (TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter()) {
    SizeCB->Items()->Assign(printer->Papers());
    Integer i = Page ? printer->PaperIndexOfCode(Page->PaperSize()) : -1;
    if (i < 0) i = printer->PaperIndexOfCode(kCustomPaper);
    SizeCB->SetItemIndex(i);
  }
  if (Page) {
    ShowValue(WidthE, Page->PaperWidth());
    ShowValue(HeightE, Page->PaperHeight());
    ShowValue(MarginLeftE, Page->LeftMargin);
    ShowValue(MarginRightE, Page->RightMargin);
    ShowValue(MarginTopE, Page->TopMargin);
    ShowValue(MarginBottomE, Page->BottomMargin);
    if (Page->Orientation() == poLandscape)
      LandscapeRB->SetCheckedValue(true);
    else
      PortraitRB->SetCheckedValue(true);
  }
  PortraitRBClick();
  TForm::DoShow();
}

void TfrxPageSettingsForm::PortraitRBClick() {
  PortraitImg->SetVisible(PortraitRB->Checked());
  LandscapeImg->SetVisible(LandscapeRB->Checked());
  SizeCBClick();
}

void TfrxPageSettingsForm::SizeCBClick() {
  if (FUpdating) return;
  TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter();
  if (!printer) return;
  FUpdating = true;
  struct Done {
    bool& F;
    ~Done() { F = false; }
  } done{FUpdating};
  const Integer code = printer->PaperCodeOfName(SizeCB->Text());
  const Extended w = EditValue(WidthE), h = EditValue(HeightE);
  const TPrinterOrientation o = PortraitRB->Checked() ? poPortrait : poLandscape;
  // The printer keeps width and height in portrait sense for a custom paper,
  // so a custom size is given turned: switching the orientation turns the page.
  if (code == kCustomPaper)
    printer->ApplyPaper(code, h, w, o);
  else
    printer->ApplyPaper(code, w, h, o);
  ShowValue(WidthE, printer->PaperWidth());
  ShowValue(HeightE, printer->PaperHeight());
}

void TfrxPageSettingsForm::WidthEChange() {
  if (FUpdating) return;
  // A size typed by hand is a custom paper.
  SizeCB->SetItemIndex(0);
}

void TfrxPageSettingsForm::OKBClick() {
  // Every number is read before the page changes, so a wrong one changes nothing.
  try {
    for (TEdit* e : {WidthE, HeightE, MarginLeftE, MarginTopE, MarginRightE, MarginBottomE}) frxParseFloat(e->Text());
  } catch (const Exception& e) {
    frxShowErrorBox(e.Message());
    return;
  }
  SetModalResult(mrOk);
}

void TfrxPageSettingsForm::DoHide() {
  if (ModalResult() == mrOk && Page) {
    Page->SetOrientation(PortraitRB->Checked() ? poPortrait : poLandscape);
    Page->SetPaperWidth(EditValue(WidthE));
    Page->SetPaperHeight(EditValue(HeightE));
    if (TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter())
      Page->SetPaperSize(printer->PaperCodeOfName(SizeCB->Text()));
    Page->LeftMargin = EditValue(MarginLeftE);
    Page->TopMargin = EditValue(MarginTopE);
    Page->RightMargin = EditValue(MarginRightE);
    Page->BottomMargin = EditValue(MarginBottomE);
    Page->AlignChildren();
  }
  TForm::DoHide();
}

void TfrxPageSettingsForm::KeyDown(Word& Key, TShiftState Shift) {
  TForm::KeyDown(Key, Shift);
  if (Key == VK_F1) frxGetResources()->ShowHelp(this);
}
