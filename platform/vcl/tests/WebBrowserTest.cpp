// The web browser control under Xvfb: read from a form file, hosting the
// system's browser object across the client area and following the form's
// size, torn down cleanly; an empty window in the window colour when no
// browser object can be made.
#include <objbase.h>
#include <exdisp.h>
#include <memory>
#include "ExtCtrls.h"
#include "FormFile.h"
#include "Forms.h"
#include "SHDocVw.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

class TBrowserHostForm : public TForm {
  TOVANI_CLASS(TBrowserHostForm, TForm)
 public:
  explicit TBrowserHostForm(TComponent* owner = nullptr) : TForm(owner) {}
  TWebBrowser* Browser() { return dynamic_cast<TWebBrowser*>(FindComponent("WebBrowser1")); }
};

const char* const kBrowserFormText = R"(object BrowserHostForm: TBrowserHostForm
  Left = 50
  Top = 40
  Caption = '导航窗口'
  ClientHeight = 300
  ClientWidth = 400
  Color = clWindow
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 400
    Height = 41
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
  end
  object WebBrowser1: TWebBrowser
    Left = 0
    Top = 41
    Width = 400
    Height = 259
    Align = alClient
    TabOrder = 1
    ControlData = {
      4C000000D42900005A1A00000000000000000000000000000000000000000000
      000000004C000000}
  end
end
)";

RECT ClientRectOf(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return r;
}

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectFills(HWND child, HWND parent) {
  ASSERT_TRUE(IsWindow(child));
  RECT c = RectInParent(child), p = ClientRectOf(parent);
  EXPECT_EQ(c.left, 0);
  EXPECT_EQ(c.top, 0);
  EXPECT_EQ(c.right, p.right);
  EXPECT_EQ(c.bottom, p.bottom);
}

}  // namespace

TOVANI_IMPLEMENT_CLASS_FACTORY(TBrowserHostForm, TForm)

TEST(WebBrowser, HostsTheBrowserAcrossTheClientAreaAndFollowsTheForm) {
  RegisterFormResource("TBrowserHostForm", kBrowserFormText);
  std::unique_ptr<TBrowserHostForm> f(TCustomForm::Create<TBrowserHostForm>(nullptr));
  TWebBrowser* wb = f->Browser();
  ASSERT_TRUE(wb);
  EXPECT_EQ(wb->Parent(), f.get());
  EXPECT_EQ(wb->Align(), alClient);
  EXPECT_EQ(wb->TabOrder(), 1);
  // The saved control state is kept byte for byte.
  const std::string& data = wb->ControlData();
  ASSERT_EQ(data.size(), 40u);
  EXPECT_EQ(data.substr(0, 6), std::string("\x4C\0\0\0\xD4\x29", 6));
  EXPECT_EQ(data.substr(36), std::string("\x4C\0\0\0", 4));
  EXPECT_EQ(wb->DefaultInterface(), nullptr);   // no window yet

  f->Show();
  PumpMessages();
  ASSERT_TRUE(wb->HandleAllocated());
  EXPECT_EQ(RectInParent(wb->Handle()).top, 41);
  EXPECT_EQ(wb->Width(), f->ClientWidth());
  EXPECT_EQ(wb->Height(), f->ClientHeight() - 41);

  // The browser object exists, answers through its interface and is
  // activated in place in a window of its own inside the host.
  IWebBrowser2* browser = wb->DefaultInterface();
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(wb->ControlInterface(), browser);
  HWND host = wb->HostWindow();
  ASSERT_TRUE(host);
  EXPECT_EQ(GetParent(host), wb->Handle());
  ExpectFills(host, wb->Handle());
  HWND embedded = GetWindow(host, GW_CHILD);
  ASSERT_TRUE(embedded) << "the browser object has no window in the host";
  ExpectFills(embedded, host);
  READYSTATE state = READYSTATE_UNINITIALIZED;
  EXPECT_TRUE(SUCCEEDED(browser->get_ReadyState(&state)));
  WriteWindowPng(f.get(), "web_browser_form");

  // Resizing the form resizes the control, the host and the browser's window.
  f->SetClientWidth(520);
  f->SetClientHeight(380);
  PumpMessages();
  EXPECT_EQ(wb->Width(), 520);
  EXPECT_EQ(wb->Height(), 380 - 41);
  ExpectFills(host, wb->Handle());
  ExpectFills(embedded, host);
  EXPECT_EQ(ClientRectOf(host).right, 520);
  EXPECT_EQ(ClientRectOf(host).bottom, 380 - 41);

  // Making the window again makes a new browser object in it.
  wb->RecreateWnd();
  PumpMessages();
  EXPECT_FALSE(IsWindow(host));
  ASSERT_TRUE(wb->HostWindow());
  EXPECT_NE(wb->DefaultInterface(), nullptr);
  ExpectFills(wb->HostWindow(), wb->Handle());

  // Destroying the form takes every window of the browser with it.
  HWND handle = wb->Handle();
  host = wb->HostWindow();
  embedded = GetWindow(host, GW_CHILD);
  f.reset();
  PumpMessages();
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_FALSE(IsWindow(host));
  EXPECT_FALSE(IsWindow(embedded));
}

TEST(WebBrowser, FreeingTheControlAloneReleasesTheBrowserAndKeepsTheForm) {
  std::unique_ptr<TForm> f(new TForm(nullptr));
  f->SetClientWidth(300);
  f->SetClientHeight(200);
  auto* wb = new TWebBrowser(f.get());
  wb->SetParent(f.get());
  wb->SetAlign(alClient);
  f->Show();
  PumpMessages();
  HWND host = wb->HostWindow();
  ASSERT_TRUE(host);
  ExpectFills(host, wb->Handle());
  delete wb;
  PumpMessages();
  EXPECT_FALSE(IsWindow(host));
  EXPECT_EQ(f->ControlCount(), 0);
  // A second control on the same thread still gets its browser.
  auto* again = new TWebBrowser(f.get());
  again->SetParent(f.get());
  PumpMessages();
  EXPECT_NE(again->DefaultInterface(), nullptr);
}

TEST(WebBrowser, ControlDataIsWrittenBackUnchanged) {
  RegisterFormResource("TBrowserHostForm", kBrowserFormText);
  std::unique_ptr<TBrowserHostForm> f(TCustomForm::Create<TBrowserHostForm>(nullptr));
  String text = ComponentToText(f.get());
  EXPECT_NE(text.find("4C000000D42900005A1A"), String::npos) << text;
  // A control without saved state writes none.
  f->Browser()->SetControlData("");
  EXPECT_EQ(ComponentToText(f.get()).find("ControlData"), String::npos);
}

namespace {

struct NoBrowserResult {
  bool Created = false, Empty = false;
  COLORREF Colour = CLR_INVALID;
};

// Runs on a thread whose COM apartment does not allow the browser object.
DWORD WINAPI MakeBrowserInMultithreadedApartment(LPVOID p) {
  auto& r = *static_cast<NoBrowserResult*>(p);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  {
    TWebBrowser wb;
    wb.SetParentWindow(parent);
    wb.SetBounds(0, 0, 200, 100);
    wb.HandleNeeded();
    r.Created = wb.HandleAllocated();
    r.Empty = wb.DefaultInterface() == nullptr && wb.HostWindow() == nullptr;
    TBitmap bmp(20, 20, pf24bit);
    SendMessageW(wb.Handle(), WM_ERASEBKGND, WPARAM(bmp.Canvas()->Handle()), 0);
    r.Colour = GetPixel(bmp.Canvas()->Handle(), 5, 5);
  }
  DestroyWindow(parent);
  CoUninitialize();
  return 0;
}

}  // namespace

// Where no browser object can be made the control is an empty window in the
// window colour, and nothing fails.
TEST(WebBrowser, WithoutABrowserObjectTheControlIsAnEmptyWindow) {
  NoBrowserResult result;
  // A thread of Wine's own: Windows calls need one.
  HANDLE thread = CreateThread(nullptr, 0, MakeBrowserInMultithreadedApartment, &result, 0, nullptr);
  ASSERT_TRUE(thread);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_TRUE(result.Created);
  EXPECT_TRUE(result.Empty);
  EXPECT_EQ(result.Colour, GetSysColor(COLOR_WINDOW));
}
