// Services of the control unit: timers driven by their WM_TIMER messages,
// mouse-leave tracking, the settings controller, drag detection, popup-menu
// helpers and the small input helpers.
#include <memory>

#include "TestWindows.h"
#include "cxControls.h"
#include "gtest.h"

namespace {
void Tick(TcxTimer* t) { SendMessageW(cxTimerWindowHandle(), WM_TIMER, t->Id(), 0); }

// A windowed control that counts the messages the services send it.
class TListener : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int SizeChecks = 0, MouseLeaves = 0;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == DXM_CHECKSCROLLBARSIZES) ++SizeChecks;
    if (m.Msg == CM_MOUSELEAVE) ++MouseLeaves;
    TCustomControl::Dispatch(m);
  }
};

struct TCaller : IcxMouseTrackingCaller {
  int Left = 0;
  void MouseLeave() override { ++Left; }
};
struct TAreaCaller : IcxMouseTrackingAreaCaller {
  int Left = 0;
  bool Inside = true;
  void MouseLeave() override { ++Left; }
  bool PtInCaller(const TPoint&) override { return Inside; }
};

struct WindowFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TListener* Control = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(100, 100, 300, 200);
    Control = new TListener(Form.get());
    Control->SetBounds(10, 10, 100, 50);
    Control->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
};
}  // namespace

TEST(cxTimer, RunsOnlyEnabledWithAHandler) {
  TcxTimer a, b;
  EXPECT_FALSE(a.Running());   // no handler yet
  a.SetInterval(0);
  EXPECT_EQ(a.Interval(), 1000u);   // 0 keeps the interval
  int ticksA = 0, ticksB = 0;
  a.SetOnTimer([&](TObject* s) {
    EXPECT_EQ(s, &a);
    ++ticksA;
  });
  b.SetOnTimer([&](TObject*) { ++ticksB; });
  EXPECT_TRUE(a.Running());
  b.SetInterval(40);
  EXPECT_EQ(b.Interval(), 40u);
  Tick(&a);
  Tick(&a);
  Tick(&b);
  EXPECT_EQ(ticksA, 2);
  EXPECT_EQ(ticksB, 1);
  a.SetEnabled(false);
  EXPECT_FALSE(a.Running());
  Tick(&a);   // a stopped timer is not reached
  EXPECT_EQ(ticksA, 2);
  UINT_PTR goneId;
  {
    TcxTimer gone;
    gone.SetOnTimer([&](TObject*) { ADD_FAILURE(); });
    goneId = gone.Id();
  }
  SendMessageW(cxTimerWindowHandle(), WM_TIMER, goneId, 0);   // freed: nothing happens
  a.SetEnabled(true);
  EXPECT_TRUE(a.Running());
}

TEST_F(WindowFixture, MouseLeaveTracking) {
  TCaller caller;
  TPoint inside = Control->ClientToScreen(TPoint(5, 5));
  SetCursorPos(inside.X, inside.Y);
  cxBeginMouseLeaveTracking(Control, TRect(0, 0, 100, 50), &caller);
  TcxTimer* timer = cxMouseTrackingTimer(&caller);
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->Interval(), 10u);
  cxBeginMouseLeaveTracking(Control, TRect(0, 0, 100, 50), &caller);
  EXPECT_EQ(cxMouseTrackingTimer(&caller), timer);   // one timer per caller
  Tick(timer);
  EXPECT_EQ(caller.Left, 0);
  EXPECT_TRUE(cxMouseTrackingActive(&caller));
  SetCursorPos(5, 5);
  Tick(timer);
  EXPECT_EQ(caller.Left, 1);
  EXPECT_EQ(Control->MouseLeaves, 1);
  EXPECT_FALSE(cxMouseTrackingActive(&caller));

  // A caller that decides by itself.
  TAreaCaller area;
  cxBeginMouseLeaveTracking(Control, TRect(0, 0, 1, 1), &area);
  Tick(cxMouseTrackingTimer(&area));
  EXPECT_EQ(area.Left, 0);
  area.Inside = false;
  Tick(cxMouseTrackingTimer(&area));
  EXPECT_EQ(area.Left, 1);

  // Trackers left at shut-down are freed quietly.
  TCaller c1, c2;
  cxBeginMouseLeaveTracking(nullptr, TRect(0, 0, 10, 10), &c1);
  cxBeginMouseLeaveTracking(Control, TRect(0, 0, 10, 10), &c2);
  EXPECT_EQ(cxFreeMouseTrackingTimers(), 2);
  EXPECT_FALSE(cxMouseTrackingActive(&c1));
  cxEndMouseLeaveTracking(&c2);   // already gone: nothing happens
}

TEST_F(WindowFixture, SettingsControllerTellsListeners) {
  TcxSettingsController* sc = cxSettingsController();
  sc->AddListener(Control);
  sc->AddListener(Control);
  EXPECT_EQ(sc->ListenerCount(), 1);
  ASSERT_NE(sc->Handle(), nullptr);
  SendMessageW(sc->Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
  SendMessageW(sc->Handle(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);   // not about the metrics
  PumpMessages(1);
  EXPECT_EQ(Control->SizeChecks, 1);
  sc->RemoveListener(Control);
  EXPECT_EQ(sc->Handle(), nullptr);
}

TEST_F(WindowFixture, DragDetection) {
  HWND h = Control->Handle();
  PostMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(cxDragDetect(h), ddrCancel);
  PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(cxDragDetect(h), ddrReleased);
  TPoint p = Control->ScreenToClient(cxGetCursorPos());
  PostMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(p.X + 1, p.Y));   // still inside the drag square
  PostMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.X + 40, p.Y + 40));
  EXPECT_EQ(cxDragDetect(h), ddrDrag);
  EXPECT_EQ(GetCapture(), nullptr);
}

namespace {
class TMenuLike : public TComponent, public IcxPopupMenuComponent {
 public:
  TPoint Shown{-1, -1};
  bool IsShortCutKey(TMessage& m) override { return m.WParam == 'Q'; }
  void Popup(Integer X, Integer Y) override { Shown = TPoint(X, Y); }
};
}  // namespace

TEST(cxControlsHelpers, PopupMenusAndText) {
  TMenuLike menu;
  TComponent plain;
  EXPECT_TRUE(cxShowPopupMenu(nullptr, &menu, 10, 20));
  EXPECT_EQ(menu.Shown, TPoint(10, 20));
  EXPECT_FALSE(cxShowPopupMenu(nullptr, &plain, 0, 0));
  EXPECT_FALSE(cxShowPopupMenu(nullptr, nullptr, 0, 0));
  TMessage key{WM_KEYDOWN, 'Q', 0, 0};
  EXPECT_TRUE(cxIsPopupMenuShortCut(&menu, key));
  EXPECT_FALSE(cxIsPopupMenuShortCut(&plain, key));
  TPopupMenu popup;
  EXPECT_GT(cxGetPopupMenuHeight(&popup), 0);

  struct { const char* in; bool replace; const char* out; } strips[] = {
      {"&File", false, "File"}, {"A&&B", false, "A&B"}, {"End&", true, "End_"}, {"End&", false, "End"},
      {"文件(&F)", false, "文件(F)"}};
  for (auto& s : strips) EXPECT_EQ(cxStripAccelerators(s.in, s.replace), s.out) << s.in;
  struct { char32_t ch; bool k0, k1, k2; } numeric[] = {
      {U'5', true, true, true}, {U'-', true, true, true}, {U'.', false, true, true}, {U'e', false, false, true},
      {U'E', false, false, true}, {U'x', false, false, false}};
  for (auto& n : numeric) {
    EXPECT_EQ(cxIsNumericInputChar(n.ch, 0), n.k0) << char(n.ch);
    EXPECT_EQ(cxIsNumericInputChar(n.ch, 1), n.k1) << char(n.ch);
    EXPECT_EQ(cxIsNumericInputChar(n.ch, 2), n.k2) << char(n.ch);
  }
  EXPECT_FALSE(cxIsTextChar(U'\t'));
  EXPECT_TRUE(cxIsTextChar(U'中'));
  EXPECT_EQ(cxShiftStateToMouseKeys({ssShift, ssLeft}), WPARAM(MK_SHIFT | MK_LBUTTON));
  EXPECT_TRUE(cxWithinDragThreshold(TPoint(10, 10), 12, 8));
  EXPECT_FALSE(cxWithinDragThreshold(TPoint(10, 10), 10 + Mouse->DragThreshold(), 10));
  EXPECT_EQ(cxGetOwnerWindow(HWND(0x1234)), HWND(0x1234));
  cxLoadLibraryCursors();
  EXPECT_NE(Screen->Cursors(crcxDragCopy), Screen->Cursors(crDefault));
  EXPECT_NE(Screen->Cursors(crcxFullScroll), nullptr);
  TRect area = cxWorkAreaAtPoint(TPoint(10, 10));
  EXPECT_FALSE(area.IsEmpty());
}
