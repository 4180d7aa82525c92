// Forms and the application: TCustomForm/TForm (normal, MDI parent, MDI
// child, modal), TScrollingWinControl/TScrollBox, TDataModule, TScreen,
// TApplication with its message loop and exception handling, and
// TApplicationEvents.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>
#include "Controls.h"

class TMainMenu;
class TMenuItem;
class TCustomActionList;
class TStrings;
class THintWindow;
class TTimer;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
TOVANI_ENUM_INFO(TFormStyle)
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
TOVANI_ENUM_INFO(TPosition)
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
TOVANI_ENUM_INFO(TWindowState)
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
TOVANI_ENUM_INFO(TBorderIcon)
using TBorderIcons = TSet<TBorderIcon>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
TOVANI_ENUM_INFO(TCloseAction)
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = std::function<void(TMessage& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, Exception* E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;
using THintEvent = TNotifyEvent;
using TShowHintEvent = std::function<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// ---------------------------------------------------------------------------

// Scroll bar of a scrolling window: the range follows the children when
// the window scrolls automatically.
class TControlScrollBar : public TPersistent {
  TOVANI_CLASS(TControlScrollBar, TPersistent)
 public:
  TControlScrollBar(class TScrollingWinControl* AControl, TScrollBarKind AKind) : FControl(AControl), FKind(AKind) {}
  void Assign(TPersistent* Source) override;
  TScrollBarKind Kind() const { return FKind; }
  Integer Position() const { return FPosition; }
  void SetPosition(Integer v);
  Integer Range() const { return FRange; }
  void SetRange(Integer v);
  Integer Increment() const { return FIncrement; }
  void SetIncrement(Integer v) { FIncrement = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  bool IsScrollBarVisible();
  Integer ScrollPos() const { return FVisible ? FPosition : 0; }

 private:
  friend class TScrollingWinControl;
  void Update();
  void ScrollMessage(TMessage& Message);
  class TScrollingWinControl* FControl;
  TScrollBarKind FKind;
  Integer FPosition = 0;
  Integer FRange = 0;
  Integer FIncrement = 8;
  bool FVisible = true;
  Integer FCalcRange = 0;
};

class TScrollingWinControl : public TWinControl {
  TOVANI_CLASS(TScrollingWinControl, TWinControl)
 public:
  explicit TScrollingWinControl(TComponent* AOwner = nullptr);
  ~TScrollingWinControl() override;
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool v);
  TControlScrollBar* HorzScrollBar() { return FHorzScrollBar.get(); }
  void SetHorzScrollBar(TControlScrollBar* v) { FHorzScrollBar->Assign(v); }
  TControlScrollBar* VertScrollBar() { return FVertScrollBar.get(); }
  void SetVertScrollBar(TControlScrollBar* v) { FVertScrollBar->Assign(v); }
  // Scrolls so that the control is in view.
  void ScrollInView(TControl* AControl);
  void DisableAutoRange() { ++FAutoRangeCount; }
  void EnableAutoRange();

 protected:
  friend class TControlScrollBar;
  void Dispatch(TMessage& Message) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void InitializeWindow() override;
  void CalcAutoRange();
  void ScrollBy(Integer DeltaX, Integer DeltaY);

 private:
  std::unique_ptr<TControlScrollBar> FHorzScrollBar;
  std::unique_ptr<TControlScrollBar> FVertScrollBar;
  bool FAutoScroll = false;
  Integer FAutoRangeCount = 0;
  bool FUpdatingScrollBars = false;
};

class TScrollBox : public TScrollingWinControl {
  TOVANI_CLASS(TScrollBox, TScrollingWinControl)
 public:
  explicit TScrollBox(TComponent* AOwner = nullptr);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  TBorderStyle FBorderStyle = bsSingle;
};

// ---------------------------------------------------------------------------

class TCustomForm : public TScrollingWinControl {
  TOVANI_CLASS(TCustomForm, TScrollingWinControl)
 public:
  // Makes an empty form. The form file of the class (RegisterFormResource)
  // is read by AfterConstruction, which Application->CreateForm and
  // TCustomForm::Create call after the most derived constructor has run.
  explicit TCustomForm(TComponent* AOwner = nullptr);
  ~TCustomForm() override;
  // Reads the class's form file (when one is registered) and runs OnCreate.
  void AfterConstruction() override;

  template <class T>
  static T* Create(TComponent* AOwner) {
    T* f = new T(AOwner);
    try {
      f->AfterConstruction();
    } catch (...) {
      delete f;
      throw;
    }
    return f;
  }

  void Show();
  void Hide() { SetVisible(false); }
  // Shows the form and runs messages until ModalResult is set; returns it.
  // EInvalidOperation "Cannot make a visible window modal" for a visible
  // form, a disabled one or an MDI child.
  virtual Integer ShowModal();
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages pending for it have been handled.
  void Release();
  // Brings the form to the top and activates it (an MDI child within its frame).
  void BringToFront();

  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle v);
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons v);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition v) { FPosition = v; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState v);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool v) { FKeyPreview = v; }
  bool Active() const { return FActive; }
  TFormState FormState() const { return FFormState; }
  TIcon* Icon() { return FIcon.get(); }
  void SetIcon(TIcon* v) { FIcon->Assign(v); }
  bool Scaled() const { return FScaled; }
  void SetScaled(bool v) { FScaled = v; }
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer v) { FPixelsPerInch = v; }
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}
  TCanvas* Canvas() { return FCanvas.get(); }
  // Visible as form files set it: the form shows when it has been made.
  void SetFormVisible(bool v);
  // Design-time text height, kept for form files.
  Integer TextHeight() const { return FTextHeight; }
  void SetTextHeight(Integer v) { FTextHeight = v; }
  TMainMenu* Menu() const { return FMenu; }
  void SetMenu(TMainMenu* v);

  // The control that has (or gets, when the form is activated) the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  // EInvalidOperation "Cannot focus a disabled or invisible window".
  void SetActiveControl(TWinControl* v);
  void FocusControl(TWinControl* Control);
  void SetFocus() override;
  bool SetFocusedControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);
  TWinControl* FocusedControl() const { return FFocusedControl; }
  virtual bool WantChildKey(TControl* Child, TMessage& Message) { return false; }
  virtual bool IsShortCut(TMessage& Message);
  void MouseWheelHandler(TMessage& Message) override;
  bool DoKeyPressChar(char32_t& Key);
  // Updates the actions of the form's action lists and controls.
  void UpdateActions();

  // MDI.
  HWND ClientHandle() const { return FClientHandle; }
  Integer MDIChildCount();
  TCustomForm* MDIChildren(Integer I);
  TCustomForm* ActiveMDIChild();
  TMenuItem* WindowMenu() const { return FWindowMenu; }
  void SetWindowMenu(TMenuItem* v);
  void Cascade();
  void Tile();
  void ArrangeIcons();
  void Next();
  void Previous();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;

  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Styles the window frame will have (also used to size the client area
  // before the window exists).
  void FormFrameStyles(DWORD& Style, DWORD& ExStyle) const;

 protected:
  friend class TApplication;
  friend class TScreen;
  friend class TWinControl;
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void PaintWindow(HDC DC) override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();
  virtual void Paint();
  void SetActive(bool v);
  void SetWindowFocus();
  void CloseModal();
  void MergeMenu(bool MergeState) {}
  // Reads the form file registered for the class, if any.
  void ReadFormResource();

  void WMClose(TMessage& Message);
  void WMActivate(TMessage& Message);
  void WMMDIActivate(TMessage& Message);
  void WMSysCommand(TMessage& Message);
  void WMNCCreate(TMessage& Message);
  void CMActivate(TMessage& Message);
  void CMDeactivate(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMRelease(TMessage& Message);
  void CMTextChanged(TMessage& Message);

  TFormStyle FFormStyle = fsNormal;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TPosition FPosition = poDesigned;
  TWindowState FWindowState = wsNormal;
  bool FKeyPreview = false;
  bool FActive = false;
  bool FScaled = true;
  Integer FPixelsPerInch = 96;
  TFormState FFormState;
  TModalResult FModalResult = mrNone;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  TWinControl* FLastActiveControl = nullptr;
  TMainMenu* FMenu = nullptr;
  TMenuItem* FWindowMenu = nullptr;
  std::unique_ptr<TIcon> FIcon;
  std::unique_ptr<TControlCanvas> FCanvas;
  HWND FClientHandle = nullptr;
  WNDPROC FClientDefProc = nullptr;
  bool FCreated = false;
  bool FShowingChanging = false;
  Integer FTextHeight = 13;
};

class TForm : public TCustomForm {
  TOVANI_CLASS(TForm, TCustomForm)
 public:
  explicit TForm(TComponent* AOwner = nullptr) : TCustomForm(AOwner) {}
};

// A container for non-visual components (connections, datasets) made from
// its own form file.
class TDataModule : public TComponent {
  TOVANI_CLASS(TDataModule, TComponent)
 public:
  explicit TDataModule(TComponent* AOwner = nullptr);
  ~TDataModule() override;
  // Reads the class's form file and runs OnCreate.
  void AfterConstruction() override;
  template <class T>
  static T* Create(TComponent* AOwner) {
    T* d = new T(AOwner);
    try {
      d->AfterConstruction();
    } catch (...) {
      delete d;
      throw;
    }
    return d;
  }
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  // Design-time placement, kept for form files.
  Integer HorizontalOffset() const { return FHorz; }
  void SetHorizontalOffset(Integer v) { FHorz = v; }
  Integer VerticalOffset() const { return FVert; }
  void SetVerticalOffset(Integer v) { FVert = v; }
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}
  Integer DesignHeight() const { return FDesignHeight; }
  void SetDesignHeight(Integer v) { FDesignHeight = v; }
  Integer DesignWidth() const { return FDesignWidth; }
  void SetDesignWidth(Integer v) { FDesignWidth = v; }

 private:
  Integer FHorz = 0, FVert = 0, FDesignHeight = 150, FDesignWidth = 215;
  bool FCreated = false;
};

// Form files: the text of the form file of a form or data module class,
// read when the form is created. Programs register the files of their
// forms at start-up (tovani_form_resources in CMake generates the calls).
void RegisterFormResource(const String& ClassName, const String& FormText);
// The registered text, or empty.
String FindFormResource(const String& ClassName);
// Reads a form file's text into an existing root (form or data module).
void ReadFormText(TComponent* Root, const String& FormText);

// ---------------------------------------------------------------------------

class TScreen : public TComponent {
  TOVANI_CLASS(TScreen, TComponent)
 public:
  explicit TScreen(TComponent* AOwner = nullptr);
  ~TScreen() override;

  Integer FormCount() const { return Integer(FForms.size()); }
  TCustomForm* Forms(Integer I) const { return FForms.at(size_t(I)); }
  Integer CustomFormCount() const { return FormCount(); }
  TCustomForm* CustomForms(Integer I) const { return Forms(I); }
  Integer DataModuleCount() const { return Integer(FDataModules.size()); }
  TDataModule* DataModules(Integer I) const { return FDataModules.at(size_t(I)); }
  TCustomForm* ActiveForm() const { return FActiveForm; }
  TCustomForm* ActiveCustomForm() const { return FActiveForm; }
  TWinControl* ActiveControl() const { return FActiveControl; }
  TCustomForm* FocusedForm() const { return FFocusedForm; }

  // crDefault restores each control's own cursor.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v);
  HCURSOR Cursors(Integer Index);
  void SetCursors(Integer Index, HCURSOR Handle);
  Integer PixelsPerInch() const;
  Integer Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  Integer Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  TRect DesktopRect() const;
  TRect WorkAreaRect() const;
  Integer WorkAreaLeft() const { return WorkAreaRect().Left; }
  Integer WorkAreaTop() const { return WorkAreaRect().Top; }
  Integer WorkAreaWidth() const { return WorkAreaRect().Width(); }
  Integer WorkAreaHeight() const { return WorkAreaRect().Height(); }
  Integer MonitorCount() const { return GetSystemMetrics(SM_CMONITORS); }
  // Work area of the monitor nearest to a rectangle (screen coordinates).
  TRect MonitorWorkAreaRect(const TRect& r) const;
  // Installed font families, sorted.
  TStrings* Fonts();
  // The system's fonts for hints, icon titles and menus.
  TFont* HintFont();
  TFont* IconFont();
  TFont* MenuFont();

  TNotifyEvent OnActiveFormChange;
  TNotifyEvent OnActiveControlChange;

 private:
  friend class TCustomForm;
  friend class TDataModule;
  friend class TApplication;
  void AddForm(TCustomForm* f);
  void RemoveForm(TCustomForm* f);
  void SetActive(TCustomForm* form, TWinControl* control);
  void GetMetricsFonts();
  std::vector<TCustomForm*> FForms;
  std::vector<TDataModule*> FDataModules;
  TCustomForm* FActiveForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCustomForm* FFocusedForm = nullptr;
  TCursor FCursor = crDefault;
  std::map<Integer, HCURSOR> FCursors;
  std::unique_ptr<TStrings> FFonts;
  std::unique_ptr<TFont> FHintFont, FIconFont, FMenuFont;
};

// ---------------------------------------------------------------------------

class TApplicationEvents;

class TApplication : public TComponent {
  TOVANI_CLASS(TApplication, TComponent)
 public:
  explicit TApplication(TComponent* AOwner = nullptr);
  ~TApplication() override;

  void Initialize();
  const String& Title() const { return FTitle; }
  void SetTitle(const String& v);
  // Makes a form (or data module) of class T owned by the application and
  // reads its form file; the first form made becomes the main form.
  template <class T>
  void CreateForm(T*& Reference) {
    T* instance = new T(this);
    Reference = instance;
    try {
      instance->AfterConstruction();
    } catch (...) {
      Reference = nullptr;
      delete instance;
      throw;
    }
    if (auto* f = dynamic_cast<TCustomForm*>(static_cast<TComponent*>(instance)); f && !FMainForm) {
      FMainForm = f;
    }
  }
  TCustomForm* MainForm() const { return FMainForm; }
  void SetMainForm(TCustomForm* f) { FMainForm = f; }
  bool ShowMainForm() const { return FShowMainForm; }
  void SetShowMainForm(bool v) { FShowMainForm = v; }
  bool MainFormOnTaskBar() const { return true; }

  // Shows the main form and runs the message loop until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles every message waiting, then returns.
  void ProcessMessages();
  // Handles one message, or idles (and waits) when there is none.
  void HandleMessage();
  // Shows an exception that reached the application (OnException when
  // assigned); EAbort is silent. Call from a catch block.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  // A message box owned by the active form, captioned with the title by default.
  Integer MessageBox(const String& Text, const String& Caption = String(), UINT Flags = MB_OK);
  HWND Handle();
  HWND ActiveFormHandle();
  String ExeName() const;
  void BringToFront();
  void Minimize();
  void Restore();
  bool Active() const { return FActive; }
  void ModalStarted() { ++FModalLevel; }
  void ModalFinished() { if (FModalLevel > 0) --FModalLevel; }
  Integer ModalLevel() const { return FModalLevel; }
  void NormalizeTopMosts() {}
  void RestoreTopMosts() {}
  const String& HelpFile() const { return FHelpFile; }
  void SetHelpFile(const String& v) { FHelpFile = v; }
  TIcon* Icon() { return FIcon.get(); }
  void UpdateActions() { DoActionIdle(); }

  // Hints.
  const String& Hint() const { return FHint; }
  void SetHint(const String& v);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v);
  TColor HintColor() const { return FHintColor; }
  void SetHintColor(TColor v) { FHintColor = v; }
  Integer HintPause() const { return FHintPause; }
  void SetHintPause(Integer v) { FHintPause = v; }
  Integer HintShortPause() const { return FHintShortPause; }
  void SetHintShortPause(Integer v) { FHintShortPause = v; }
  Integer HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(Integer v) { FHintHidePause = v; }
  void CancelHint();
  void ActivateHint(TPoint CursorPos);
  void HideHint();
  void HintMouseMessage(TControl* Control, TMessage& Message);
  THintWindow* HintWindow() const { return FHintWindow; }

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TMessageEvent OnMessage;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TShortCutEvent OnShortCut;
  TShowHintEvent OnShowHint;

  // Called by a control as it is destroyed (hint and mouse tracking).
  void ControlDestroyed(TControl* Control);
  void RegisterEvents(TApplicationEvents* e);
  void UnregisterEvents(TApplicationEvents* e);
  // A form released before it had a window is freed at the next idle time.
  void ReleaseLater(TCustomForm* f);

 private:
  void DestroyOwnedForms();
  bool IsHintMsg(const MSG& Msg);
  bool ProcessMessage(MSG& Msg);
  void Idle(const MSG& Msg);
  void DoActionIdle();
  void DoMouseIdle();
  bool IsKeyMsg(MSG& Msg);
  bool IsMDIMsg(MSG& Msg);
  bool IsDlgMsg(MSG& Msg);
  bool IsShortCut(TMessage& Message);
  void HintTimerExpired();
  void StartHintTimer(UINT Interval, int Kind);
  void StopHintTimer();
  static LRESULT CALLBACK AppWndProc(HWND, UINT, WPARAM, LPARAM);

  String FTitle;
  TCustomForm* FMainForm = nullptr;
  bool FShowMainForm = true;
  bool FTerminated = false;
  bool FRunning = false;
  bool FActive = true;
  bool FHandleCreated = false;
  HWND FHandle = nullptr;
  Integer FModalLevel = 0;
  String FHelpFile;
  std::unique_ptr<TIcon> FIcon;
  String FHint;
  bool FShowHint = true;
  TColor FHintColor = clInfoBk;
  Integer FHintPause = 500;
  Integer FHintShortPause = 50;
  Integer FHintHidePause = 2500;
  THintWindow* FHintWindow = nullptr;
  TControl* FHintControl = nullptr;
  bool FHintActive = false;
  UINT_PTR FHintTimer = 0;
  int FHintTimerKind = 0;
  TControl* FMouseControl = nullptr;
  std::vector<TApplicationEvents*> FEvents;
  std::vector<TCustomForm*> FReleased;
  Integer FHandlingException = 0;
};

// Puts the application's events on a form: every TApplicationEvents gets
// the application's exceptions, idle time, hints and messages.
class TApplicationEvents : public TComponent {
  TOVANI_CLASS(TApplicationEvents, TComponent)
 public:
  explicit TApplicationEvents(TComponent* AOwner = nullptr);
  ~TApplicationEvents() override;
  void CancelDispatch() { FCancelled = true; }
  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TMessageEvent OnMessage;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TShortCutEvent OnShortCut;
  TShowHintEvent OnShowHint;

 private:
  friend class TApplication;
  bool FCancelled = false;
};

extern TApplication* Application;

// Start-up procedures of the program's units, registered while the program
// loads (before any window can be made) and run by Application->Initialize
// in the order of registration, each time it is called.
void RegisterInitProc(void (*Proc)());
extern TScreen* Screen;
