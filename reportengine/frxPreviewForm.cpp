// The preview window of reports without a preview control of their own.
#include "frxPreviewForm.h"

#include <windows.h>

TOVANI_IMPLEMENT_CLASS_FACTORY(TfrxPreviewForm, TForm)

TfrxPreviewForm::TfrxPreviewForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("预览");
  SetClientWidth(803);
  SetClientHeight(584);
  SetKeyPreview(true);
  SetPosition(poScreenCenter);
  FPreview = new TfrxPreview(this);
  FPreview->SetParent(this);
  FPreview->SetAlign(alClient);
}

void TfrxPreviewForm::SetupForReport() {
  TfrxReport* report = FPreview->Report;
  if (!report) return;
  TfrxPreviewOptions* o = report->PreviewOptions();
  if (o->Maximized) SetWindowState(wsMaximized);
  FPreview->SetZoom(o->Zoom);
  FPreview->SetZoomMode(o->ZoomMode);
  FPreview->Workspace()->RTL = o->RTLPreview;
  if (!report->ReportOptions()->Name.empty()) SetCaption(report->ReportOptions()->Name);
  if (Visible()) SetActiveControl(FPreview);
}

void TfrxPreviewForm::CancelBClick() {
  if (FPreview->Running())
    FPreview->CancelBuild();
  else
    Close();
}

void TfrxPreviewForm::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key == VK_ESCAPE) CancelBClick();
}

void frxRegisterPreviewWindow() {
  frxPreviewWindowClass = [](TfrxReport* Report) {
    TfrxPreviewWindow w;
    // The window opens on the program's main window.
    auto* form = new TfrxPreviewForm(Application);
    w.Form = form;
    w.Preview = form->Preview();
    w.Init = [form]() { form->SetupForReport(); };
    return w;
  };
}
