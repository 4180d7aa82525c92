// The control layer under Xvfb: message dispatch, notifications, layout,
// mouse and keyboard, drag and drop, and exceptions in event handlers.
#include <memory>
#include <vector>
#include "Controls.h"
#include "Forms.h"
#include "ImgList.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {

// A windowed control that logs the messages it dispatches and paints itself.
class TProbe : public TCustomControl {
 public:
  explicit TProbe(TComponent* owner = nullptr) : TCustomControl(owner) { SetBounds(0, 0, 40, 20); }
  std::vector<String> Log;
  TColor PaintColor = clRed;
  int KeyDowns = 0;

 protected:
  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case WM_SETTEXT: Log.push_back("settext"); break;
      case CM_ENTER: Log.push_back("enter"); break;
      case CM_EXIT: Log.push_back("exit"); break;
      case CM_FONTCHANGED: Log.push_back("fontchanged"); break;
      case CM_PARENTFONTCHANGED: Log.push_back("parentfontchanged"); break;
      case CM_COLORCHANGED: Log.push_back("colorchanged"); break;
      case CM_TEXTCHANGED: Log.push_back("textchanged"); break;
      case CM_VISIBLECHANGED: Log.push_back("visiblechanged"); break;
      case CM_ENABLEDCHANGED: Log.push_back("enabledchanged"); break;
      case CM_SHOWINGCHANGED: Log.push_back("showingchanged"); break;
      case CM_MOUSEENTER: Log.push_back("mouseenter"); break;
      case CM_MOUSELEAVE: Log.push_back("mouseleave"); break;
    }
    // Everything goes on to the base classes and the default procedure.
    TCustomControl::Dispatch(m);
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(PaintColor);
    Canvas()->FillRect(ClientRect());
  }
};

class TGraphicProbe : public TGraphicControl {
 public:
  explicit TGraphicProbe(TComponent* owner = nullptr) : TGraphicControl(owner) { SetBounds(0, 0, 30, 30); }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FillRect(ClientRect());
  }
};

struct FormFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(50, 50, 400, 300);
    Form->SetCaption("测试窗体");
  }
  void TearDown() override { Form.reset(); }
  template <class T>
  T* Add(int l, int t, int w, int h) {
    auto* c = new T(Form.get());
    c->SetBounds(l, t, w, h);
    c->SetParent(Form.get());
    return c;
  }
};

String WindowTextOf(HWND h) {
  wchar_t buf[64] = {};
  GetWindowTextW(h, buf, 64);
  std::u16string s(reinterpret_cast<char16_t*>(buf));
  String out;
  for (char16_t c : s) out += char(c);
  return out;
}

}  // namespace

TEST_F(FormFixture, MessagesPassThroughWindowProcDispatchAndTheDefaultProcedure) {
  auto* p = Add<TProbe>(10, 10, 50, 20);
  Form->Show();
  PumpMessages();
  ASSERT_TRUE(p->HandleAllocated());
  // A handler that calls its base class ends in the window's default
  // procedure, which stores the text.
  p->Log.clear();
  SendMessageW(p->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
  EXPECT_EQ(WindowTextOf(p->Handle()), "abc");
  EXPECT_EQ(p->Text(), "abc");
  ASSERT_GE(p->Log.size(), 2u);
  EXPECT_EQ(p->Log[0], "settext");
  EXPECT_EQ(p->Log[1], "textchanged");

  // WindowProc can be replaced and chained; Perform and real messages both use it.
  auto old = p->WindowProc;
  int hooked = 0;
  p->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER + 5) {
      ++hooked;
      m.Result = 42;
      return;
    }
    old(m);
  };
  EXPECT_EQ(p->Perform(WM_USER + 5), 42);
  EXPECT_EQ(SendMessageW(p->Handle(), WM_USER + 5, 0, 0), 42);
  EXPECT_EQ(hooked, 2);
  p->WindowProc = old;
  // Our own messages never reach Windows' procedures.
  EXPECT_EQ(p->Perform(CM_BASE + 90), 0);
  // Pointers travel whole in a message.
  TMessage big{WM_USER + 6, WPARAM(0x123456789ABCull), LPARAM(0x7EDCBA987654ll), 0};
  EXPECT_EQ(sizeof(big.WParam), sizeof(void*));
  WriteWindowPng(Form.get(), "controls_dispatch");
}

TEST_F(FormFixture, ParentFontAndColorFollowTheParentUntilSetOwn) {
  Form->Font()->SetSize(12);
  Form->SetColor(clYellow);
  auto* p = Add<TProbe>(0, 0, 10, 10);
  EXPECT_EQ(p->Font()->Size(), 12);
  EXPECT_EQ(p->Color(), clYellow);
  EXPECT_TRUE(p->ParentFont());
  p->Log.clear();
  Form->Font()->SetColor(clRed);
  EXPECT_EQ(p->Font()->Color(), clRed);
  ASSERT_GE(p->Log.size(), 2u);
  EXPECT_EQ(p->Log[0], "parentfontchanged");
  EXPECT_EQ(p->Log[1], "fontchanged");
  EXPECT_TRUE(p->ParentFont());
  // Its own font ends the inheritance.
  p->Font()->SetSize(20);
  EXPECT_FALSE(p->ParentFont());
  Form->Font()->SetSize(8);
  EXPECT_EQ(p->Font()->Size(), 20);
  p->SetParentFont(true);
  EXPECT_EQ(p->Font()->Size(), 8);
}

TEST_F(FormFixture, AlignAndAnchorsLayOutChildren) {
  Form->SetClientSize(400, 300);
  Form->Show();
  PumpMessages();
  ASSERT_EQ(Form->ClientWidth(), 400);
  auto* top = Add<TProbe>(0, 0, 10, 30);
  top->SetAlign(alTop);
  auto* bottom = Add<TProbe>(0, 0, 10, 20);
  bottom->SetAlign(alBottom);
  auto* left = Add<TProbe>(0, 0, 50, 10);
  left->SetAlign(alLeft);
  auto* client = Add<TProbe>(0, 0, 10, 10);
  client->SetAlign(alClient);
  client->PaintColor = clLime;
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 400, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 280, 400, 300));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 50, 280));
  EXPECT_EQ(client->BoundsRect(), Rect(50, 30, 400, 280));
  // A second top control placed below the first stays below it.
  auto* top2 = Add<TProbe>(0, 35, 10, 10);
  top2->SetAlign(alTop);
  EXPECT_EQ(top2->BoundsRect(), Rect(0, 30, 400, 40));
  EXPECT_EQ(client->Top(), 40);
  top2->Hide();
  EXPECT_EQ(client->Top(), 30);

  // Anchored controls follow the parent's size.
  client->SetAlign(alNone);
  client->SetBounds(100, 100, 50, 50);
  client->SetAnchors({akLeft, akTop, akRight, akBottom});
  auto* corner = Add<TProbe>(300, 200, 20, 20);
  corner->SetAnchors({akRight, akBottom});
  Form->SetClientSize(500, 400);
  PumpMessages();
  EXPECT_EQ(client->BoundsRect(), Rect(100, 100, 250, 250));
  EXPECT_EQ(corner->BoundsRect(), Rect(400, 300, 420, 320));
  EXPECT_EQ(top->Width(), 500);
  WriteWindowPng(Form.get(), "controls_align");
  // The painted colours are where the layout put the controls.
  EXPECT_EQ(ClientPixel(Form.get(), 120, 120), COLORREF(0x00FF00));
  EXPECT_EQ(ClientPixel(Form.get(), 5, 5), COLORREF(0x0000FF));
}

TEST_F(FormFixture, MouseMessagesClickAndReachGraphicControls) {
  auto* p = Add<TProbe>(10, 10, 60, 30);
  auto* g = Add<TGraphicProbe>(100, 50, 30, 30);
  Form->Show();
  PumpMessages();
  int clicks = 0;
  std::vector<TPoint> downs;
  p->OnClick = [&](TObject*) { ++clicks; };
  p->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, Integer x, Integer y) {
    if (b == mbLeft) downs.push_back({x, y});
  };
  SendMessageW(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(p->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0], Point(5, 6));
  // Released outside the control: no click.
  SendMessageW(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
  SendMessageW(p->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(500, 6));
  EXPECT_EQ(clicks, 1);

  // A graphic control gets the parent's mouse messages in its own coordinates.
  TPoint got(-1, -1);
  int gclicks = 0;
  g->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer x, Integer y) { got = {x, y}; };
  g->OnClick = [&](TObject*) { ++gclicks; };
  SendMessageW(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, 55));
  SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(110, 55));
  EXPECT_EQ(got, Point(10, 5));
  EXPECT_EQ(gclicks, 1);
  EXPECT_EQ(ClientPixel(Form.get(), 115, 65), COLORREF(0xFF0000));
  WriteWindowPng(Form.get(), "controls_mouse");
}

TEST_F(FormFixture, KeysAndWholeCharactersReachKeyEvents) {
  auto* p = Add<TProbe>(10, 10, 60, 30);
  Form->Show();
  PumpMessages();
  Word lastKey = 0;
  p->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    lastKey = key;
    key = 0;
  };
  SendMessageW(p->Handle(), WM_KEYDOWN, VK_F2, 0);
  EXPECT_EQ(lastKey, VK_F2);

  std::vector<char32_t> chars;
  p->OnKeyPress = [&](TObject*, char32_t& key) { chars.push_back(key); };
  SendMessageW(p->Handle(), WM_CHAR, 0x8BA2, 0);   // 订
  SendMessageW(p->Handle(), WM_CHAR, 0xD842, 0);   // 𠮷 as two halves
  SendMessageW(p->Handle(), WM_CHAR, 0xDFB7, 0);
  ASSERT_EQ(chars.size(), 2u);
  EXPECT_EQ(chars[0], U'订');
  EXPECT_EQ(chars[1], char32_t(0x20BB7));

  // The form sees keys first with KeyPreview and can take them.
  Form->SetKeyPreview(true);
  int formKeys = 0;
  Form->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
    ++formKeys;
    if (key == VK_F3) key = 0;
  };
  lastKey = 0;
  SendMessageW(p->Handle(), WM_KEYDOWN, VK_F3, 0);
  EXPECT_EQ(formKeys, 1);
  EXPECT_EQ(lastKey, 0);
  SendMessageW(p->Handle(), WM_KEYDOWN, VK_F4, 0);
  EXPECT_EQ(formKeys, 2);
  EXPECT_EQ(lastKey, VK_F4);
}

TEST_F(FormFixture, AnExceptionInAnEventHandlerIsShownOnceAndTheProgramGoesOn) {
  auto* p = Add<TProbe>(10, 10, 60, 30);
  Form->Show();
  PumpMessages();
  int thrown = 0;
  p->OnClick = [&](TObject*) {
    ++thrown;
    throw EConvertError("坏的数字");
  };
  std::vector<String> shown;
  Application->OnException = [&](TObject* sender, Exception* e) {
    EXPECT_EQ(sender, p);
    shown.push_back(e->Message());
  };
  SendMessageW(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(p->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "坏的数字");
  // The control still works, and EAbort is silent.
  p->OnClick = [&](TObject*) { Abort(); };
  SendMessageW(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(p->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(shown.size(), 1u);
  Application->OnException = nullptr;
}

namespace {
// Watches for message boxes, reads their text and closes them.
struct BoxWatcher {
  static inline std::vector<String> Texts;
  static inline std::vector<String> OkCaptions;
  static inline HHOOK Hook = nullptr;
  static BOOL CALLBACK Child(HWND h, LPARAM) {
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    std::u16string t(reinterpret_cast<char16_t*>(text));
    if (lstrcmpiW(cls, L"Static") == 0 && !t.empty()) Texts.push_back(vcl_test_utf8(t));
    if (GetDlgCtrlID(h) == IDOK) OkCaptions.push_back(vcl_test_utf8(t));
    return TRUE;
  }
  static String vcl_test_utf8(const std::u16string& s) {
    char buf[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(s.c_str()), int(s.size()), buf, 511, nullptr, nullptr);
    return buf;
  }
  static void CALLBACK Close(HWND d, UINT, UINT_PTR, DWORD) {
    KillTimer(d, 77);
    EnumChildWindows(d, Child, 0);
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
  static LRESULT CALLBACK Proc(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE) {
      HWND dlg = reinterpret_cast<HWND>(w);
      wchar_t cls[32] = {};
      GetClassNameW(dlg, cls, 32);
      if (lstrcmpW(cls, L"#32770") == 0) {
        // Read once the box has its texts.
        PostMessageW(dlg, WM_NULL, 0, 0);
        SetTimer(dlg, 77, 50, Close);
      }
    }
    return CallNextHookEx(Hook, code, w, l);
  }
  BoxWatcher() {
    Texts.clear();
    OkCaptions.clear();
    Hook = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~BoxWatcher() { UnhookWindowsHookEx(Hook); }
};
}  // namespace

TEST_F(FormFixture, WithoutOnExceptionTheMessageIsShownInABox) {
  auto* p = Add<TProbe>(10, 10, 60, 30);
  Form->Show();
  PumpMessages();
  p->OnClick = [&](TObject*) { throw Exception("数据库错误"); };
  BoxWatcher watch;
  SendMessageW(p->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(p->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_EQ(BoxWatcher::Texts.size(), 1u);
  EXPECT_EQ(BoxWatcher::Texts[0], "数据库错误.");
  ASSERT_EQ(BoxWatcher::OkCaptions.size(), 1u);
  EXPECT_EQ(BoxWatcher::OkCaptions[0], "确定");
}

TEST_F(FormFixture, DragAndDropBetweenControls) {
  auto* source = Add<TProbe>(10, 10, 60, 30);
  auto* target = Add<TProbe>(200, 100, 60, 30);
  Form->Show();
  PumpMessages();
  std::vector<String> log;
  target->OnDragOver = [&](TObject*, TObject* src, Integer, Integer, TDragState st, bool& accept) {
    if (st == dsDragEnter) log.push_back("enter");
    accept = src == source;
  };
  target->OnDragDrop = [&](TObject*, TObject* src, Integer x, Integer y) {
    log.push_back("drop " + std::to_string(x) + "," + std::to_string(y));
    EXPECT_EQ(src, source);
  };
  TObject* endTarget = nullptr;
  source->OnEndDrag = [&](TObject*, TObject* t, Integer, Integer) {
    log.push_back("end");
    endTarget = t;
  };
  TPoint start = source->ClientToScreen({5, 5});
  SetCursorPos(start.X, start.Y);
  source->BeginDrag(true);
  EXPECT_TRUE(source->Dragging());
  TPoint over = target->ClientToScreen({7, 8});
  SetCursorPos(over.X, over.Y);
  PumpMessages();
  SendMessageW(GetCapture(), WM_MOUSEMOVE, 0, 0);
  SendMessageW(GetCapture(), WM_LBUTTONUP, 0, 0);
  EXPECT_FALSE(source->Dragging());
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log.front(), "enter");
  EXPECT_EQ(log[log.size() - 2], "drop 7,8");
  EXPECT_EQ(log.back(), "end");
  EXPECT_EQ(endTarget, target);

  // Escape cancels: the end event has no target.
  log.clear();
  SetCursorPos(start.X, start.Y);
  source->BeginDrag(true);
  SendMessageW(GetCapture(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(source->Dragging());
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "end");
  EXPECT_EQ(endTarget, nullptr);
}

namespace {
// A control dragged with an image of itself under the mouse.
class TImageDragProbe : public TProbe {
 public:
  explicit TImageDragProbe(TComponent* owner) : TProbe(owner), Images(new TDragImageList(this)) {
    Images->SetSize(16, 16);
    TBitmap face(16, 16, pf24bit);
    face.Canvas()->Brush()->SetColor(clRed);
    face.Canvas()->FillRect(TRect(0, 0, 16, 16));
    Images->AddMasked(&face, clWhite);
    Images->SetDragImage(0, 4, 6);
  }
  TDragImageList* GetDragImages() override { return Images; }
  TDragImageList* Images;
};
}  // namespace

TEST_F(FormFixture, DraggedImagesFollowTheMouseForTheLengthOfTheDrag) {
  auto* source = new TImageDragProbe(Form.get());
  source->SetBounds(10, 10, 60, 30);
  source->SetParent(Form.get());
  auto* target = Add<TProbe>(200, 100, 60, 30);
  target->SetControlStyle(target->ControlStyle() + csDisplayDragImage);
  Form->Show();
  PumpMessages();
  POINT pos{}, hot{};
  EXPECT_EQ(ImageList_GetDragImage(&pos, &hot), nullptr);

  TPoint start = source->ClientToScreen({5, 5});
  SetCursorPos(start.X, start.Y);
  source->BeginDrag(true);
  EXPECT_TRUE(source->Images->Dragging());
  ASSERT_NE(ImageList_GetDragImage(&pos, &hot), nullptr);
  EXPECT_EQ(hot.x, 4);
  EXPECT_EQ(hot.y, 6);
  EXPECT_EQ(source->Images->DragHandle(), GetDesktopWindow());

  TPoint over = target->ClientToScreen({7, 8});
  SetCursorPos(over.X, over.Y);
  SendMessageW(GetCapture(), WM_MOUSEMOVE, 0, 0);
  ASSERT_NE(ImageList_GetDragImage(&pos, &hot), nullptr);
  EXPECT_EQ(pos.x, over.X);
  EXPECT_EQ(pos.y, over.Y);

  // Choosing another image during the drag keeps it where it was.
  EXPECT_FALSE(source->Images->SetDragImage(5, 0, 0));
  EXPECT_TRUE(source->Images->SetDragImage(0, 1, 2));
  ASSERT_NE(ImageList_GetDragImage(&pos, &hot), nullptr);
  EXPECT_EQ(hot.x, 1);
  EXPECT_EQ(pos.x, over.X);

  SendMessageW(GetCapture(), WM_LBUTTONUP, 0, 0);
  EXPECT_FALSE(source->Dragging());
  EXPECT_FALSE(source->Images->Dragging());
  EXPECT_EQ(ImageList_GetDragImage(&pos, &hot), nullptr);

  // An empty list has nothing to drag.
  TDragImageList empty;
  EXPECT_FALSE(empty.BeginDrag(GetDesktopWindow(), 0, 0));
  EXPECT_FALSE(empty.Dragging());
}

TEST_F(FormFixture, VisibleAndEnabledChangesReachTheWindow) {
  auto* p = Add<TProbe>(10, 10, 60, 30);
  Form->Show();
  PumpMessages();
  p->Log.clear();
  p->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(p->Handle()));
  EXPECT_FALSE(p->Showing());
  p->SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(p->Handle()));
  p->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(p->Handle()));
  std::vector<String> expected = {"visiblechanged", "showingchanged", "visiblechanged", "showingchanged", "enabledchanged"};
  EXPECT_EQ(p->Log, expected);
  // A control made while its parent is hidden gets its window when shown.
  auto* later = new TProbe(Form.get());
  Form->Hide();
  later->SetParent(Form.get());
  EXPECT_FALSE(later->HandleAllocated());
  Form->Show();
  EXPECT_TRUE(later->HandleAllocated());
  EXPECT_TRUE(later->Showing());
}

namespace {

// A control that publishes its bevel, as the descendants that offer one do.
class TBevelProbe : public TProbe {
 public:
  using TProbe::TProbe;
  using TWinControl::SetBevelEdges;
  using TWinControl::SetBevelInner;
  using TWinControl::SetBevelOuter;
  using TWinControl::SetBevelWidth;
};

// A pixel of the control's whole window (frame included) as it has drawn it.
COLORREF WindowPixel(TWinControl* c, int x, int y) {
  RedrawWindow(c->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC dc = GetWindowDC(c->Handle());
  COLORREF color = GetPixel(dc, x, y);
  ReleaseDC(c->Handle(), dc);
  return color;
}

// The client area in the coordinates of the whole window.
TRect ClientInWindow(TWinControl* c) {
  RECT w, r;
  GetWindowRect(c->Handle(), &w);
  GetClientRect(c->Handle(), &r);
  MapWindowPoints(c->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  return {r.left - w.left, r.top - w.top, r.right - w.left, r.bottom - w.top};
}

}  // namespace

// A bevel lies in the non-client area: the client area shrinks by it on the
// chosen edges (children are laid out in what is left) and its lines are
// drawn there as the kind says.
TEST_F(FormFixture, ABevelShrinksTheClientAreaAndIsDrawnAroundIt) {
  // Before the window exists the client size already leaves the bevel out.
  TBevelProbe early(nullptr);
  early.SetBounds(0, 0, 100, 60);
  early.SetBevelKind(bkTile);
  EXPECT_EQ(early.ClientRect(), Rect(0, 0, 96, 56));

  Form->Show();
  auto* p = Add<TBevelProbe>(20, 20, 100, 60);
  // What the control lays out in its client area.
  auto* inside = new TGraphicProbe(Form.get());
  inside->SetParent(p);
  inside->SetAlign(alClient);
  PumpMessages();
  ASSERT_EQ(ClientInWindow(p), Rect(0, 0, 100, 60));
  const COLORREF kBlue = 0xFF0000;

  struct Case {
    const char* name;
    TBevelKind kind;
    TBevelEdges edges;
    TBevelCut inner, outer;
    TBevelWidth width;
    TRect client;   // in window coordinates
  };
  const TBevelEdges all{beLeft, beTop, beRight, beBottom};
  const Case cases[] = {
      {"tile, the default cuts", bkTile, all, bvRaised, bvLowered, 1, Rect(2, 2, 98, 58)},
      {"flat", bkFlat, all, bvRaised, bvLowered, 1, Rect(2, 2, 98, 58)},
      {"top and bottom, one cut, wide", bkSoft, {beTop, beBottom}, bvNone, bvRaised, 3, Rect(0, 3, 100, 57)},
      {"a space counts as a cut", bkTile, {beLeft}, bvSpace, bvLowered, 2, Rect(4, 0, 100, 60)},
      {"no kind, no bevel", bkNone, all, bvRaised, bvLowered, 1, Rect(0, 0, 100, 60)},
  };
  for (const Case& c : cases) {
    p->SetBevelKind(c.kind);
    p->SetBevelEdges(c.edges);
    p->SetBevelInner(c.inner);
    p->SetBevelOuter(c.outer);
    p->SetBevelWidth(c.width);
    PumpMessages(1);
    EXPECT_EQ(ClientInWindow(p), c.client) << c.name;
    EXPECT_EQ(p->ClientWidth(), c.client.Width()) << c.name;
    EXPECT_EQ(inside->BoundsRect(), Rect(0, 0, c.client.Width(), c.client.Height())) << c.name;
    EXPECT_EQ(WindowPixel(p, c.client.Left, c.client.Top), kBlue) << c.name;
  }

  // Tile: a lowered outer and a raised inner line, an etched frame.
  p->SetBevelKind(bkTile);
  p->SetBevelEdges(all);
  p->SetBevelInner(bvRaised);
  p->SetBevelOuter(bvLowered);
  p->SetBevelWidth(1);
  PumpMessages(1);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  EXPECT_EQ(WindowPixel(p, 0, 30), shadow);
  EXPECT_EQ(WindowPixel(p, 1, 30), light);
  EXPECT_EQ(WindowPixel(p, 50, 0), shadow);
  EXPECT_EQ(WindowPixel(p, 99, 30), light);
  EXPECT_EQ(WindowPixel(p, 98, 30), shadow);
  EXPECT_EQ(WindowPixel(p, 50, 59), light);
  {
    TBitmap shot(p->Width(), p->Height(), pf24bit);
    HDC dc = GetWindowDC(p->Handle());
    BitBlt(shot.Canvas()->Handle(), 0, 0, p->Width(), p->Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(p->Handle(), dc);
    WriteTestPng(&shot, "controls_bevel_tile");
  }
  // Flat: the same line all round, no light and shadow sides.
  p->SetBevelKind(bkFlat);
  PumpMessages(1);
  EXPECT_EQ(WindowPixel(p, 0, 30), WindowPixel(p, 99, 30));
  EXPECT_EQ(WindowPixel(p, 50, 0), WindowPixel(p, 50, 59));
  EXPECT_NE(WindowPixel(p, 0, 30), kBlue);
  // A wide bevel: the line outside, the control's colour between it and the client area.
  p->SetBevelKind(bkTile);
  p->SetBevelInner(bvNone);
  p->SetBevelWidth(3);
  PumpMessages(1);
  EXPECT_EQ(WindowPixel(p, 0, 30), shadow);
  EXPECT_EQ(WindowPixel(p, 1, 30), COLORREF(ColorToRGB(p->Color())));
  EXPECT_EQ(WindowPixel(p, 2, 30), COLORREF(ColorToRGB(p->Color())));
  EXPECT_EQ(WindowPixel(p, 3, 30), kBlue);
}
