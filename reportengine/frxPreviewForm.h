// The preview window: the window a report opens for its prepared pages when
// it has no preview control of its own.
#pragma once
#include "Forms.h"
#include "frxPreview.h"

// The window a report shows its prepared pages in when it has no preview
// control of its own: the preview fills it; Escape cancels a running build
// and closes the window once the report is finished.
class TfrxPreviewForm : public TForm {
  TOVANI_CLASS(TfrxPreviewForm, TForm)
 public:
  explicit TfrxPreviewForm(TComponent* AOwner = nullptr);
  TfrxPreview* Preview() { return FPreview; }
  // Runs after the report has connected the preview to itself.
  void SetupForReport();
  void CancelBClick();

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;

 private:
  TfrxPreview* FPreview;
};

// Makes reports without a preview control show their pages in the window.
void frxRegisterPreviewWindow();
