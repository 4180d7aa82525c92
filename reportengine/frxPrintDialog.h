// The print dialog: printer, pages (all, the preview's current page or a
// list), copies and collation, print mode and the sheet to print on, odd or
// even pages, order and duplex. It edits the report's print options just
// before printing; Cancel leaves them and the current printer as they were.
#pragma once
#include "Forms.h"

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;
class TPaintBox;
class TRadioButton;
class TSaveDialog;
class TfrxReport;
class TfrxUpDown;

class TfrxPrintDialog : public TForm {
  TOVANI_CLASS(TfrxPrintDialog, TForm)
 public:
  explicit TfrxPrintDialog(TComponent* AOwner = nullptr);

  // The report whose print options are edited (set before showing).
  TfrxReport* Report = nullptr;
  // 0 = each page's own duplex, 1 vertical, 2 horizontal, 3 simplex; read after OK.
  Integer ADuplexMode = 0;
  // The printer current when the dialog was made.
  Integer OldIndex() const { return FOldIndex; }

  TGroupBox* Label12;
  TLabel *NameL, *WhereL, *WhereL1;
  TComboBox* PrintersCB;
  TButton* PropButton;
  TCheckBox* FileCB;
  TGroupBox* Label1;
  TRadioButton *AllRB, *CurPageRB, *PageNumbersRB;
  TEdit* PageNumbersE;
  TLabel* DescrL;
  TGroupBox* Label2;
  TLabel* CopiesL;
  TEdit* CopiesE;
  TfrxUpDown* UpDown1;
  TCheckBox* CollateCB;
  TPaintBox* CopiesPB;
  TGroupBox* ScaleGB;
  TComboBox* PrintModeCB;
  TLabel* PagSizeL;
  TComboBox* PagPageSizeCB;
  TGroupBox* OtherGB;
  TLabel *PrintL, *OrderL, *DuplexL;
  TComboBox *PrintPagesCB, *OrderCB, *DuplexCB;
  TButton *OkB, *CancelB;
  TSaveDialog* FileDlg;

  void PrintersCBClick();
  void PrintModeCBClick();
  void PropButtonClick();

 protected:
  void DoShow() override;
  void DoHide() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void OkBClick();
  void CopiesPBPaint();
  void PrintersCBDrawItem(Integer Index, TRect Rect);
  void PrintModeCBDrawItem(Integer Index, TRect Rect);
  Integer FOldIndex = -1;
  Integer FLastPaperCode = 0;
  bool FFileCancelled = false;
};

// The copies box's arrows (the system's up-down control on the copies field).
class TfrxUpDown : public TWinControl {
  TOVANI_CLASS(TfrxUpDown, TWinControl)
 public:
  explicit TfrxUpDown(TComponent* AOwner = nullptr);
  // The field the arrows count in.
  TWinControl* Associate = nullptr;
  Integer Min = 1, Max = 32767;
  void SetPosition(Integer Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;

 private:
  Integer FPosition = 1;
};

// Shows the print dialog for the report modally: true on OK, with the
// duplex mode chosen. Printing uses it unless frxPrintDialogQuery is set.
bool frxShowPrintDialog(TfrxReport* Report, Integer& Duplex);
