// The page-settings dialog of the preview: paper size (from the current
// printer's list or custom), orientation and margins of one prepared page,
// in the unit the designer uses, applied to that page or to every page.
#pragma once
#include "Forms.h"

class TButton;
class TComboBox;
class TEdit;
class TGroupBox;
class TImage;
class TLabel;
class TRadioButton;
class TfrxReport;
class TfrxReportPage;

class TfrxPageSettingsForm : public TForm {
  TOVANI_CLASS(TfrxPageSettingsForm, TForm)
 public:
  explicit TfrxPageSettingsForm(TComponent* AOwner = nullptr);

  // Millimetres to the unit (0 centimetres, 1 inches, 2 pixels, 3 characters) and back.
  static Extended ToDisplayUnits(Extended Value, Integer Units);
  static Extended FromDisplayUnits(Extended Value, Integer Units);
  bool ApplyToAllPages() const;

  TfrxReportPage* Page = nullptr;
  TfrxReport* Report = nullptr;
  Integer Units() const { return FUnits; }

  TGroupBox* SizeL;
  TComboBox* SizeCB;
  TLabel *WidthL, *HeightL, *UnitL1, *UnitL2;
  TEdit *WidthE, *HeightE;
  TGroupBox* OrientationL;
  TRadioButton *PortraitRB, *LandscapeRB;
  TImage *PortraitImg, *LandscapeImg;
  TGroupBox* MarginsL;
  TLabel *LeftL, *TopL, *RightL, *BottomL, *UnitL3, *UnitL4, *UnitL5, *UnitL6;
  TEdit *MarginLeftE, *MarginTopE, *MarginRightE, *MarginBottomE;
  TGroupBox* OtherL;
  TRadioButton *ApplyToCurRB, *ApplyToAllRB;
  TButton *OKB, *CancelB;

  void PortraitRBClick();
  void SizeCBClick();
  void WidthEChange();

 protected:
  void DoShow() override;
  void DoHide() override;
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  void OKBClick();
  Extended EditValue(TEdit* Edit) const;
  void ShowValue(TEdit* Edit, Extended Millimetres);
  Integer FUnits = 0;
  bool FUpdating = false;
};
