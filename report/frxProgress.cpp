#include "frxProgress.h"

#include <windows.h>
#include <commctrl.h>
#undef GetProp
#undef SetProp

#include "ExtCtrls.h"
#include "Messages.h"
#include "StdCtrls.h"
#include "frxRes.h"

TOVANI_IMPLEMENT_CLASS(TfrxProgress, TForm)
TOVANI_IMPLEMENT_CLASS(TfrxProgressBar, TWinControl)

TfrxProgressBar::TfrxProgressBar(TComponent* AOwner) : TWinControl(AOwner) {}

void TfrxProgressBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, u"msctls_progress32");
}

void TfrxProgressBar::InitializeWindow() {
  SendMessageW(Handle(), PBM_SETRANGE32, WPARAM(FMin), LPARAM(FMax));
  SendMessageW(Handle(), PBM_SETSTEP, 1, 0);
  SendMessageW(Handle(), PBM_SETPOS, WPARAM(FPosition), 0);
}

void TfrxProgressBar::SetRange(Integer Min, Integer Max) {
  FMin = Min;
  FMax = Max;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETRANGE32, WPARAM(FMin), LPARAM(FMax));
}

void TfrxProgressBar::SetPosition(Integer Value) {
  FPosition = Value;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, WPARAM(FPosition), 0);
}

TfrxProgress::TfrxProgress(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsNone);
  SetPosition(poScreenCenter);
  SetColor(clBtnFace);
  SetClientWidth(271);
  SetClientHeight(101);

  FPanel = new TPanel(this);
  FPanel->SetParent(this);
  FPanel->SetAlign(alClient);
  FPanel->SetBevelWidth(2);

  FLabel = new TLabel(this);
  FLabel->SetParent(FPanel);
  FLabel->SetAutoSize(false);
  FLabel->SetBounds(16, 11, 237, 20);
  FLabel->SetAlignment(taCenter);
  FLabel->Font()->SetName("Tahoma");

  FBar = new TfrxProgressBar(this);
  FBar->SetParent(FPanel);
  FBar->SetBounds(16, 37, 237, 17);

  FCancel = new TButton(this);
  FCancel->SetParent(FPanel);
  FCancel->SetBounds(100, 64, 75, 25);
  FCancel->SetCancel(true);
  FCancel->SetModalResult(2);
  FCancel->Font()->SetName("Tahoma");
  FCancel->SetCaption(frxResourceTextById(2));
  FCancel->OnClick = [this](TObject*) { SetTerminated(true); };

  // The window that was active waits until the work is done.
  FActiveForm = Screen ? Screen->ActiveForm() : nullptr;
  if (FActiveForm) FActiveForm->SetEnabled(false);
  FBar->SetRange(0, 100);
  FBar->SetPosition(0);
}

TfrxProgress::~TfrxProgress() { FormHide(); }

void TfrxProgress::FormHide() {
  if (FActiveForm) {
    FActiveForm->SetEnabled(true);
    FActiveForm = nullptr;
  }
}

void TfrxProgress::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_NCHITTEST) {
    TForm::Dispatch(Message);
    // Dragged by any point of the window.
    if (Message.Result == HTCLIENT) Message.Result = HTCAPTION;
    return;
  }
  if (Message.Msg == WM_SHOWWINDOW && Message.WParam == 0) FormHide();
  TForm::Dispatch(Message);
}

void TfrxProgress::Execute(Integer MaxValue, const String& Msg, bool ShowCancel, bool ShowProgress) {
  FTerminated = false;
  FCancel->SetVisible(ShowCancel);
  SetShowProgressBar(ShowProgress);
  FBar->SetRange(0, MaxValue);
  FBar->SetPosition(0);
  SetMessage(Msg);
  Show();
  if (FActiveForm) {
    // Onto the monitor of the window that was active.
    RECT r;
    GetWindowRect(Handle(), &r);
    HMONITOR m = MonitorFromWindow(FActiveForm->Handle(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (GetMonitorInfoW(m, &mi)) {
      LONG w = r.right - r.left, h = r.bottom - r.top;
      LONG x = std::max(mi.rcWork.left, std::min(r.left, mi.rcWork.right - w));
      LONG y = std::max(mi.rcWork.top, std::min(r.top, mi.rcWork.bottom - h));
      if (x != r.left || y != r.top) SetBounds(x, y, w, h);
    }
  }
  if (Application) Application->ProcessMessages();
}

void TfrxProgress::SetProgressPosition(Integer Value) {
  FPosition = Value;
  FBar->SetPosition(Value);
  BringToFront();
  if (Application) Application->ProcessMessages();
}

void TfrxProgress::SetMessage(const String& Value) {
  FMessage = Value;
  FLabel->SetCaption(Value);
  FLabel->Repaint();
}

void TfrxProgress::SetShowProgressBar(bool Value) {
  FShowProgress = Value;
  FBar->SetVisible(Value);
  FLabel->SetTop(Value ? 15 : 35);
}

void TfrxProgress::SetTerminated(bool Value) {
  FTerminated = Value;
  if (Value) Close();
}
