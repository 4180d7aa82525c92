// The small borderless window that shows what a report does while it
// builds, prints or exports: a message line, an optional progress bar and
// a Cancel button. While it is shown the window that was active is disabled.
#pragma once
#include "Forms.h"

class TButton;
class TLabel;
class TPanel;
class TfrxProgressBar;

class TfrxProgress : public TForm {
  TOVANI_CLASS(TfrxProgress, TForm)
 public:
  explicit TfrxProgress(TComponent* AOwner = nullptr);
  ~TfrxProgress() override;

  // Shows the window with the message, the Cancel button and the bar as asked.
  void Execute(Integer MaxValue, const String& Msg, bool ShowCancel, bool ShowProgress);
  void Reset() { SetProgressPosition(0); }

  Integer ProgressPosition() const { return FPosition; }
  // Moves the bar, brings the window to the front and lets messages run.
  void SetProgressPosition(Integer Value);
  const String& Message() const { return FMessage; }
  // Shows the text at once.
  void SetMessage(const String& Value);
  bool ShowProgressBar() const { return FShowProgress; }
  void SetShowProgressBar(bool Value);
  bool Terminated() const { return FTerminated; }
  // Setting true also closes the window.
  void SetTerminated(bool Value);

  TLabel* LMessage() const { return FLabel; }
  TButton* CancelB() const { return FCancel; }
  TfrxProgressBar* Bar() const { return FBar; }
  // The form disabled while the window exists (null when none was active).
  TCustomForm* ActiveFormAtStart() const { return FActiveForm; }

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  void FormHide();
  TPanel* FPanel;
  TLabel* FLabel;
  TfrxProgressBar* FBar;
  TButton* FCancel;
  TCustomForm* FActiveForm = nullptr;
  String FMessage;
  Integer FPosition = 0;
  bool FShowProgress = false;
  bool FTerminated = false;
};

// The system progress bar control.
class TfrxProgressBar : public TWinControl {
  TOVANI_CLASS(TfrxProgressBar, TWinControl)
 public:
  explicit TfrxProgressBar(TComponent* AOwner = nullptr);
  void SetRange(Integer Min, Integer Max);
  void SetPosition(Integer Value);
  Integer Position() const { return FPosition; }
  Integer Max() const { return FMax; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;

 private:
  Integer FMin = 0, FMax = 100, FPosition = 0;
};
