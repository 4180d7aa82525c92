// The shell's web browser control: a window that hosts the system's browser
// object, activated in place and kept the size of the window's client area.
// When no browser object can be made (none installed) the control stays an
// empty window in the window colour.
#pragma once
#include "Controls.h"

struct IWebBrowser2;

class TWebBrowser : public TWinControl {
  TOVANI_CLASS(TWebBrowser, TWinControl)
 public:
  explicit TWebBrowser(TComponent* AOwner = nullptr);
  ~TWebBrowser() override;

  // The browser object while the window exists, null before that or when
  // none could be made. The control keeps the reference: callers that hold
  // on to it past the window's life AddRef it themselves.
  IWebBrowser2* DefaultInterface() const { return FBrowser; }
  IWebBrowser2* ControlInterface() const { return FBrowser; }
  // The window the browser object sits in (a child filling the client area),
  // null when there is no browser object.
  HWND HostWindow() const { return FHost; }

  // The control's saved state as a form file carries it (ControlData): kept
  // as read and written back unchanged.
  const std::string& ControlData() const { return FControlData; }
  void SetControlData(const std::string& v) { FControlData = v; }

  void DefineProperties(TFiler* Filer) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;

 private:
  void CreateBrowser();
  void DestroyBrowser();
  void SizeBrowser();
  HWND FHost = nullptr;
  IWebBrowser2* FBrowser = nullptr;
  bool FOleInitialized = false;
  std::string FControlData;
};
