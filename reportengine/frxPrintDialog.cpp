#include "frxPrintDialog.h"

#include <memory>

#include "Dialogs.h"
#include "ExtCtrls.h"
#include "ImgList.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "VclWindows.h"
#include "frxClass.h"
#include "frxCtrls.h"
#include "frxDialogControls.h"
#include "frxPreviewPages.h"
#include "frxPrinter.h"
#include "frxUtils.h"

#include <commctrl.h>

TOVANI_IMPLEMENT_CLASS(TfrxPrintDialog, TForm)
TOVANI_IMPLEMENT_CLASS(TfrxUpDown, TWinControl)

namespace {

constexpr Integer kCustomPaper = 256;
constexpr Integer kA4 = 9;

// Position in the sheet box of the paper at paper-list Index: the box starts
// with "default" and leaves out the custom entry.
Integer SheetBoxPosition(TfrxCustomPrinter* Printer, Integer Index) {
  if (Index < 0) return -1;
  const Integer custom = Printer->PaperIndexOfCode(kCustomPaper);
  return Index + 1 - (custom >= 0 && custom < Index ? 1 : 0);
}

// A small sheet with a page number, as the copies and print-mode pictures draw them.
void DrawSheet(TCanvas* C, Integer X, Integer Y, Integer W, Integer H, const String& Text) {
  C->Brush()->SetColor(clWhite);
  C->Pen()->SetColor(clBlack);
  C->Rectangle(X, Y, X + W, Y + H);
  if (!Text.empty()) {
    C->Brush()->SetStyle(bsClear);
    C->TextOut(X + 3, Y + 2, Text);
    C->Brush()->SetStyle(bsSolid);
  }
}

// The picture of each print mode (64 x 32): a page, a large page over two
// sheets, two pages on one sheet, a page shrunk onto a sheet.
void DrawPrintMode(TCanvas* C, Integer X, Integer Y, Integer Mode) {
  switch (Mode) {
    case 1:
      DrawSheet(C, X + 4, Y + 2, 26, 28, "");
      DrawSheet(C, X + 34, Y + 2, 26, 28, "");
      C->Pen()->SetStyle(psDot);
      C->Rectangle(X + 8, Y + 6, X + 56, Y + 26);
      C->Pen()->SetStyle(psSolid);
      break;
    case 2:
      DrawSheet(C, X + 18, Y + 2, 28, 28, "");
      DrawSheet(C, X + 20, Y + 4, 11, 24, "");
      DrawSheet(C, X + 33, Y + 4, 11, 24, "");
      break;
    case 3:
      DrawSheet(C, X + 18, Y + 2, 28, 28, "");
      DrawSheet(C, X + 24, Y + 8, 16, 16, "");
      break;
    default:
      DrawSheet(C, X + 22, Y + 2, 20, 28, "");
      break;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TfrxUpDown

TfrxUpDown::TfrxUpDown(TComponent* AOwner) : TWinControl(AOwner) {}

void TfrxUpDown::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"msctls_updown32");
  Params.Style |= UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
}

void TfrxUpDown::InitializeWindow() {
  if (Associate) SendMessageW(Handle(), UDM_SETBUDDY, WPARAM(Associate->Handle()), 0);
  SendMessageW(Handle(), UDM_SETRANGE32, WPARAM(Min), LPARAM(Max));
  SendMessageW(Handle(), UDM_SETPOS32, 0, LPARAM(FPosition));
}

void TfrxUpDown::SetPosition(Integer Value) {
  FPosition = Value < Min ? Min : Value > Max ? Max : Value;
  if (HandleAllocated())
    SendMessageW(Handle(), UDM_SETPOS32, 0, LPARAM(FPosition));
  else if (Associate)
    Associate->SetText(IntToStr(FPosition));
}

// ---------------------------------------------------------------------------
// TfrxPrintDialog

TfrxPrintDialog::TfrxPrintDialog(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  SetClientWidth(557);
  SetClientHeight(334);
  SetCaption(frxRes(200));

  Label12 = frxPlaceControl<TGroupBox>(this, this, 8, 4, 541, 84, frxRes(201));
  NameL = frxPlaceControl<TLabel>(this, Label12, 12, 23, 60, 13, frxRes(212));
  PrintersCB = frxPlaceControl<TComboBox>(this, Label12, 76, 19, 300, 22);
  PrintersCB->SetStyle(csOwnerDrawFixed);
  PrintersCB->SetItemHeight(Screen && Screen->PixelsPerInch() > 96 ? 19 : 16);
  PrintersCB->OnDrawItem = [this](TWinControl*, Integer Index, TRect R, TItemDrawState) {
    PrintersCBDrawItem(Index, R);
  };
  PrintersCB->OnChange = [this](TObject*) { PrintersCBClick(); };
  PropButton = frxPlaceControl<TButton>(this, Label12, 384, 18, 90, 25, frxRes(209));
  PropButton->OnClick = [this](TObject*) { PropButtonClick(); };
  WhereL = frxPlaceControl<TLabel>(this, Label12, 12, 53, 60, 13, frxRes(208));
  WhereL1 = frxPlaceControl<TLabel>(this, Label12, 76, 53, 300, 13);
  FileCB = frxPlaceControl<TCheckBox>(this, Label12, 384, 52, 150, 17, frxRes(210));

  Label1 = frxPlaceControl<TGroupBox>(this, this, 8, 92, 304, 112, frxRes(202));
  AllRB = frxPlaceControl<TRadioButton>(this, Label1, 12, 20, 120, 17, frxRes(3));
  CurPageRB = frxPlaceControl<TRadioButton>(this, Label1, 12, 40, 120, 17, frxRes(4));
  PageNumbersRB = frxPlaceControl<TRadioButton>(this, Label1, 12, 60, 60, 17, frxRes(5));
  PageNumbersE = frxPlaceControl<TEdit>(this, Label1, 76, 58, 216, 21);
  DescrL = frxPlaceControl<TLabel>(this, Label1, 12, 86, 288, 13, frxRes(9));
  DescrL->SetWordWrap(true);
  AllRB->SetCheckedValue(true);
  PageNumbersE->OnEnter = [this](TObject*) { PageNumbersRB->SetCheckedValue(true); };
  PageNumbersRB->OnClick = [this](TObject*) {
    if (Visible() && PageNumbersE->CanFocus()) PageNumbersE->SetFocus();
  };

  Label2 = frxPlaceControl<TGroupBox>(this, this, 320, 92, 229, 112, frxRes(205));
  CopiesL = frxPlaceControl<TLabel>(this, Label2, 12, 25, 40, 13, frxRes(203));
  CopiesE = frxPlaceControl<TfrxDigitsEdit>(this, Label2, 52, 21, 40, 21);
  CopiesE->SetText("1");
  UpDown1 = frxPlaceControl<TfrxUpDown>(this, Label2, 92, 21, 17, 21);
  UpDown1->Associate = CopiesE;
  CollateCB = frxPlaceControl<TCheckBox>(this, Label2, 12, 80, 130, 17, frxRes(204));
  CollateCB->SetCheckedValue(true);
  CollateCB->OnClick = [this](TObject*) { CopiesPB->Invalidate(); };
  CopiesPB = frxPlaceControl<TPaintBox>(this, Label2, 116, 18, 108, 56);
  CopiesPB->OnPaint = [this](TObject*) { CopiesPBPaint(); };

  ScaleGB = frxPlaceControl<TGroupBox>(this, this, 8, 208, 304, 88, frxRes(213));
  PrintModeCB = frxPlaceControl<TComboBox>(this, ScaleGB, 12, 16, 280, 40);
  PrintModeCB->SetStyle(csOwnerDrawFixed);
  PrintModeCB->SetItemHeight(34);
  for (const char* k : {"pmDefault", "pmSplit", "pmJoin", "pmScale"}) PrintModeCB->Items()->Add(frxGetResources()->Get(k));
  PrintModeCB->OnDrawItem = [this](TWinControl*, Integer Index, TRect R, TItemDrawState) {
    PrintModeCBDrawItem(Index, R);
  };
  PrintModeCB->OnChange = [this](TObject*) { PrintModeCBClick(); };
  PagSizeL = frxPlaceControl<TLabel>(this, ScaleGB, 12, 62, 70, 13, frxRes(214));
  PagPageSizeCB = frxPlaceControl<TComboBox>(this, ScaleGB, 86, 58, 206, 21);
  PagPageSizeCB->SetStyle(csDropDownList);
  PagPageSizeCB->SetDropDownCount(16);

  OtherGB = frxPlaceControl<TGroupBox>(this, this, 320, 208, 229, 88, frxRes(207));
  PrintL = frxPlaceControl<TLabel>(this, OtherGB, 12, 22, 60, 13, frxRes(206));
  PrintPagesCB = frxPlaceControl<TComboBox>(this, OtherGB, 60, 18, 160, 21);
  OrderL = frxPlaceControl<TLabel>(this, OtherGB, 12, 44, 60, 13, frxRes(211));
  OrderCB = frxPlaceControl<TComboBox>(this, OtherGB, 60, 40, 160, 21);
  DuplexL = frxPlaceControl<TLabel>(this, OtherGB, 12, 66, 60, 13, frxRes(216));
  DuplexCB = frxPlaceControl<TComboBox>(this, OtherGB, 60, 62, 160, 21);
  for (TComboBox* cb : {PrintPagesCB, OrderCB, DuplexCB}) cb->SetStyle(csDropDownList);
  for (const char* k : {"ppAll", "ppOdd", "ppEven"}) PrintPagesCB->Items()->Add(frxGetResources()->Get(k));
  for (const char* k : {"poDirect", "poReverse"}) OrderCB->Items()->Add(frxGetResources()->Get(k));
  for (const char* k : {"dupDefault", "dupVert", "dupHorz", "dupSimpl"}) DuplexCB->Items()->Add(frxGetResources()->Get(k));
  PrintPagesCB->SetItemIndex(0);
  OrderCB->SetItemIndex(0);
  DuplexCB->SetItemIndex(0);

  OkB = frxPlaceControl<TButton>(this, this, 393, 302, 75, 25, frxRes(1));
  OkB->SetDefault(true);
  OkB->OnClick = [this](TObject*) { OkBClick(); };
  CancelB = frxPlaceControl<TButton>(this, this, 474, 302, 75, 25, frxRes(2));
  CancelB->SetCancel(true);
  CancelB->SetModalResult(mrCancel);
  FileDlg = new TSaveDialog(this);
  FileDlg->SetFilter("Printer files (*.prn)|*.prn");
  FileDlg->SetTitle("Print To File");

  TfrxPrinters* printers = frxGetPrinters();
  PrintersCB->Items()->Assign(printers->Printers());
  PrintersCB->SetItemIndex(printers->PrinterIndex());
  PrintersCBClick();
  FOldIndex = printers->PrinterIndex();
}

void TfrxPrintDialog::DoShow() {
  // The closed box shows the mode's picture too, as high as a list item.
  SendMessageW(PrintModeCB->Handle(), CB_SETITEMHEIGHT, WPARAM(-1), 34);
  if (Report) {
    TfrxPrintOptions* o = Report->PrintOptions();
    UpDown1->SetPosition(o->Copies);
    CollateCB->SetCheckedValue(o->Collate);
    PageNumbersE->SetText(o->PageNumbers);
    if (!o->PageNumbers.empty()) PageNumbersRB->SetCheckedValue(true);
    PrintPagesCB->SetItemIndex(Integer(o->PrintPages));
    OrderCB->SetItemIndex(o->Reverse ? 1 : 0);
    PrintModeCB->SetItemIndex(Integer(o->PrintMode));
    PrintModeCBClick();
    TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter();
    if (o->PrintMode != pmDefault && printer)
      PagPageSizeCB->SetItemIndex(SheetBoxPosition(printer, printer->PaperIndexOfCode(o->PrintOnSheet)));
  }
  TForm::DoShow();
}

void TfrxPrintDialog::PrintersCBClick() {
  TfrxPrinters* printers = frxGetPrinters();
  if (PagPageSizeCB->ItemIndex() > 0)
    if (TfrxCustomPrinter* old = printers->GetCurrentPrinter()) FLastPaperCode = old->PaperCodeOfName(PagPageSizeCB->Text());
  if (PrintersCB->ItemIndex() >= 0) printers->SetPrinterIndex(PrintersCB->ItemIndex());
  TfrxCustomPrinter* printer = printers->GetCurrentPrinter();
  PagPageSizeCB->Items()->Clear();
  PagPageSizeCB->Items()->Add(frxGetResources()->Get("pgDefault"));
  if (!printer) return;
  WhereL1->SetCaption(printer->Port());
  TStringList* papers = printer->Papers();
  const Integer custom = printer->PaperIndexOfCode(kCustomPaper);
  for (Integer i = 0; i < papers->Count(); ++i)
    if (i != custom) PagPageSizeCB->Items()->Add(papers->Strings(i));
  Integer pos = FLastPaperCode != 0 ? SheetBoxPosition(printer, printer->PaperIndexOfCode(FLastPaperCode)) : -1;
  PagPageSizeCB->SetItemIndex(pos >= 0 ? pos : 0);
}

void TfrxPrintDialog::PropButtonClick() {
  if (TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter()) printer->ShowDriverDialog();
}

void TfrxPrintDialog::PrintModeCBClick() {
  if (PrintModeCB->ItemIndex() <= 0) {
    PagPageSizeCB->SetItemIndex(0);
    PagPageSizeCB->SetEnabled(false);
    return;
  }
  PagPageSizeCB->SetEnabled(true);
  TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter();
  if (PagPageSizeCB->ItemIndex() == 0 && printer)
    PagPageSizeCB->SetItemIndex(SheetBoxPosition(printer, printer->PaperIndexOfCode(kA4)));
}

void TfrxPrintDialog::CopiesPBPaint() {
  TCanvas* c = CopiesPB->Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(TRect(0, 0, CopiesPB->Width(), CopiesPB->Height()));
  // Collated: two sets 1-2-3; not collated: the copies of each page together.
  const char* collated[] = {"3", "2", "1", "3", "2", "1"};
  const char* stacked[] = {"3", "3", "2", "2", "1", "1"};
  const char** texts = CollateCB->Checked() ? collated : stacked;
  for (Integer i = 0; i < 6; ++i) {
    const Integer set = i / 3, k = i % 3;
    DrawSheet(c, set * 54 + (2 - k) * 10 + 2, (2 - k) * 6 + 4, 22, 30, texts[i]);
  }
}

void TfrxPrintDialog::PrintersCBDrawItem(Integer Index, TRect R) {
  TCanvas* c = PrintersCB->Canvas();
  c->FillRect(R);
  TImageList* images = frxGetResources()->GetPreviewButtonImages();
  if (images && images->Count() > 2) images->Draw(c, R.Left + 2, R.Top, 2);
  if (Index >= 0 && Index < PrintersCB->Items()->Count())
    c->TextOut(R.Left + 24, R.Top + 1, PrintersCB->Items()->Strings(Index));
}

void TfrxPrintDialog::PrintModeCBDrawItem(Integer Index, TRect R) {
  TCanvas* c = PrintModeCB->Canvas();
  c->FillRect(R);
  if (Index < 0 || Index >= PrintModeCB->Items()->Count()) return;
  const TColor text = c->Font()->Color();
  const TColor back = c->Brush()->Color();
  DrawPrintMode(c, R.Left + 2, R.Top + 1, Index);
  c->Brush()->SetColor(back);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(text);
  c->TextOut(R.Left + 74, R.Top + 10, PrintModeCB->Items()->Strings(Index));
  c->Brush()->SetStyle(bsSolid);
}

void TfrxPrintDialog::OkBClick() {
  // The number of copies is checked first: a wrong one keeps the dialog open
  // before any output file is asked for.
  Integer copies = 0;
  if (!TryStrToInt(CopiesE->Text(), copies) || copies < 1) {
    frxShowErrorBox("'" + CopiesE->Text() + "' is not a valid integer value");
    if (CopiesE->CanFocus()) CopiesE->SetFocus();
    CopiesE->SelectAll();
    return;
  }
  TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter();
  if (printer) printer->SetFileName("");
  FFileCancelled = false;
  if (FileCB->Checked()) {
    if (!FileDlg->Execute()) {
      // Only the output file was refused: the printer chosen stays current.
      FFileCancelled = true;
      SetModalResult(mrCancel);
      return;
    }
    if (printer) printer->SetFileName(ChangeFileExt(FileDlg->FileName(), ".prn"));
  }
  SetModalResult(mrOk);
}

void TfrxPrintDialog::DoHide() {
  if (ModalResult() != mrOk) {
    if (!FFileCancelled) frxGetPrinters()->SetPrinterIndex(FOldIndex);
  } else if (Report) {
    TfrxPrintOptions* o = Report->PrintOptions();
    o->Copies = StrToInt(CopiesE->Text());
    o->Collate = CollateCB->Checked();
    if (AllRB->Checked()) {
      o->PageNumbers.clear();
    } else if (CurPageRB->Checked()) {
      auto* pages = dynamic_cast<TfrxPreviewPages*>(Report->PreviewPages());
      o->PageNumbers = IntToStr(pages ? pages->CurPreviewPage : 1);
    } else {
      o->PageNumbers = PageNumbersE->Text();
    }
    o->PrintPages = TfrxPrintPages(PrintPagesCB->ItemIndex() < 0 ? 0 : PrintPagesCB->ItemIndex());
    ADuplexMode = DuplexCB->ItemIndex() < 0 ? 0 : DuplexCB->ItemIndex();
    o->Reverse = OrderCB->ItemIndex() == 1;
    o->PrintMode = TfrxPrintMode(PrintModeCB->ItemIndex() < 0 ? 0 : PrintModeCB->ItemIndex());
    TfrxCustomPrinter* printer = frxGetPrinters()->GetCurrentPrinter();
    o->PrintOnSheet = printer ? printer->PaperCodeOfName(PagPageSizeCB->Text()) : kCustomPaper;
    // Printing goes to the printer chosen here.
    if (printer) o->Printer = printer->Name();
  }
  TForm::DoHide();
}

void TfrxPrintDialog::KeyDown(Word& Key, TShiftState Shift) {
  TForm::KeyDown(Key, Shift);
  if (Key == VK_F1) frxGetResources()->ShowHelp(this);
}

bool frxShowPrintDialog(TfrxReport* Report, Integer& Duplex) {
  std::unique_ptr<TfrxPrintDialog> dialog(new TfrxPrintDialog(Application));
  dialog->Report = Report;
  dialog->ADuplexMode = Duplex;
  const bool ok = dialog->ShowModal() == mrOk;
  Duplex = dialog->ADuplexMode;
  return ok;
}
