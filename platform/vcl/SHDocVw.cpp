// The web browser control. The browser object is hosted through the system's
// control-hosting window ("AtlAxWin" of atl.dll), which makes the object
// named by its window text and is its client site and in-place frame, so we
// need no OLE site of our own.
#include "SHDocVw.h"
#include <ole2.h>
#include <exdisp.h>
#include "Streaming.h"
#include "Streams.h"

TOVANI_IMPLEMENT_CLASS_FACTORY(TWebBrowser, TWinControl)

namespace {

using AtlAxWinInitProc = BOOL(WINAPI*)();
using AtlAxGetControlProc = HRESULT(WINAPI*)(HWND, IUnknown**);

struct HostLibrary {
  AtlAxGetControlProc GetControl = nullptr;
  bool Ready = false;
};

// Loads the hosting library once and registers its window class. It stays
// loaded for the life of the program: host windows of its class may exist
// at any time.
const HostLibrary& Host() {
  static const HostLibrary lib = [] {
    HostLibrary l;
    HMODULE m = LoadLibraryW(L"atl.dll");
    if (!m) return l;
    auto init = reinterpret_cast<AtlAxWinInitProc>(reinterpret_cast<void*>(GetProcAddress(m, "AtlAxWinInit")));
    l.GetControl =
        reinterpret_cast<AtlAxGetControlProc>(reinterpret_cast<void*>(GetProcAddress(m, "AtlAxGetControl")));
    l.Ready = init && l.GetControl && init();
    return l;
  }();
  return lib;
}

// The browser's class as the host window's text. The host makes whatever
// its text names, and reads text that is no class as a page to show; so the
// window is only made once the class is known to be there.
const char16_t kBrowserClassText[] = u"{8856F961-340A-11D0-A96B-00C04FD705A2}";

bool BrowserInstalled() {
  IClassFactory* factory = nullptr;
  if (FAILED(CoGetClassObject(CLSID_WebBrowser, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory))))
    return false;
  factory->Release();
  return true;
}

}  // namespace

TWebBrowser::TWebBrowser(TComponent* AOwner) : TWinControl(AOwner) {
  FWidth = 100;
  FHeight = 50;
  // Until a page is shown the control is an empty window in the window colour.
  FParentColor = false;
  SetColor(clWindow);
}

TWebBrowser::~TWebBrowser() {
  // The base destructor can no longer reach our DestroyWnd.
  DestroyHandle();
}

void TWebBrowser::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  // Painting the background must not draw over the browser's windows.
  Params.Style |= WS_CLIPCHILDREN;
}

void TWebBrowser::CreateWnd() {
  TWinControl::CreateWnd();
  CreateBrowser();
}

void TWebBrowser::DestroyWnd() {
  DestroyBrowser();
  TWinControl::DestroyWnd();
}

void TWebBrowser::CreateBrowser() {
  HRESULT hr = OleInitialize(nullptr);
  // S_FALSE: already initialized on this thread, still to be balanced.
  FOleInitialized = SUCCEEDED(hr);
  if (!FOleInitialized) return;
  const HostLibrary& lib = Host();
  if (!lib.Ready || !BrowserInstalled()) return;

  RECT r;
  GetClientRect(FHandle, &r);
  FHost = CreateWindowExW(0, L"AtlAxWin", reinterpret_cast<LPCWSTR>(kBrowserClassText),
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, r.right, r.bottom,
                          FHandle, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!FHost) return;
  IUnknown* object = nullptr;
  IWebBrowser2* browser = nullptr;
  if (SUCCEEDED(lib.GetControl(FHost, &object)) && object &&
      SUCCEEDED(object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)))) {
    FBrowser = browser;
    SizeBrowser();
  } else {
    DestroyWindow(FHost);
    FHost = nullptr;
  }
  if (object) object->Release();
}

void TWebBrowser::DestroyBrowser() {
  // Our reference goes first; destroying the host window then deactivates
  // and closes the object and lets go of the last one.
  if (FBrowser) {
    FBrowser->Release();
    FBrowser = nullptr;
  }
  if (FHost) {
    DestroyWindow(FHost);
    FHost = nullptr;
  }
  if (FOleInitialized) {
    OleUninitialize();
    FOleInitialized = false;
  }
}

// Keeps the host window and the object's in-place rectangle on the client area.
void TWebBrowser::SizeBrowser() {
  if (!FHost) return;
  RECT r;
  GetClientRect(FHandle, &r);
  MoveWindow(FHost, 0, 0, r.right, r.bottom, TRUE);
  IOleInPlaceObject* inplace = nullptr;
  if (FBrowser &&
      SUCCEEDED(FBrowser->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inplace)))) {
    inplace->SetObjectRects(&r, &r);
    inplace->Release();
  }
}

void TWebBrowser::Dispatch(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (Message.Msg == WM_SIZE) SizeBrowser();
}

void TWebBrowser::DefineProperties(TFiler* Filer) {
  TWinControl::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "ControlData",
      [this](TStream* s) {
        Int64 size = s->Size() - s->Position();
        std::string data(size_t(size > 0 ? size : 0), '\0');
        if (!data.empty()) s->ReadBuffer(data.data(), LongInt(data.size()));
        FControlData = std::move(data);
      },
      [this](TStream* s) {
        if (!FControlData.empty()) s->WriteBuffer(FControlData.data(), LongInt(FControlData.size()));
      },
      !FControlData.empty());
}
