// The preview control as the report sees it: the report hands it itself and
// its prepared pages and tells it about builds; the report engine library
// supplies the control.
#pragma once
#include "Controls.h"
#include "frxClass.h"

class TfrxCustomPreview : public TCustomControl {
  TOVANI_CLASS(TfrxCustomPreview, TCustomControl)
 public:
  explicit TfrxCustomPreview(TComponent* AOwner = nullptr) : TCustomControl(AOwner) {}

  // Binds the display to the pages and applies the preview options; called
  // once Report and PreviewPages are set.
  virtual void InitFromReport() = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  // Prepares the report again, keeping the page and position.
  virtual void RefreshReport() = 0;
  // Builds only (ptRunning): started, a page finished (its index), ended.
  virtual void ProgressStarted(TfrxReport* Report, TfrxProgressType ProgressType, Integer Progress) = 0;
  virtual void ProgressAdvanced(TfrxReport* Report, TfrxProgressType ProgressType, Integer Progress) = 0;
  virtual void ProgressStopped(TfrxReport* Report, TfrxProgressType ProgressType, Integer Progress) = 0;

  TfrxReport* Report = nullptr;
  TfrxCustomPreviewPages* PreviewPages = nullptr;
};
