// The drop-down editor opened and closed by keyboard and mouse, with a list
// box as its popup content the way a combo box shows its items.
#include <memory>

#include "StdCtrls.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "Utf8.h"
#include "cxDropDownEdit.h"
#include "gtest.h"

namespace {
// A drop-down editor whose popup shows a list box of a fixed size.
class TTestDropDown : public TcxCustomDropDownEdit {
 public:
  explicit TTestDropDown(TComponent* AOwner, bool AInplace = false) : TcxCustomDropDownEdit(AOwner, AInplace) {
    SetAutoSize(false);
    List = new TListBox(this);
    List->SetBounds(0, 0, 160, 90);
    List->SetParent(PopupWindow());
    List->Items()->Add("北京");
    List->Items()->Add("上海");
  }
  bool HasPopupContent() override { return Content; }
  void GetPopupContentSize(TSize& ASize) override { ASize = TSize(160, 90); }
  void PlacePopupContent(const TRect& R) override { List->SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  TListBox* List;
  bool Content = true;
};

// The text editor's lookup shown as a list in the popup, the way the combo
// boxes show their items.
class TListLookup : public TcxCustomTextEditLookupData {
 public:
  using TcxCustomTextEditLookupData::TcxCustomTextEditLookupData;

 protected:
  TcxCustomEditListBox* CreateListBox() override { return new TcxCustomEditListBox(Edit()); }
};

class TListProperties : public TcxCustomDropDownEditProperties {
 public:
  using TcxCustomDropDownEditProperties::TcxCustomDropDownEditProperties;
  TcxTextEditLookupDataFactory GetLookupDataType() override {
    return [](TcxCustomTextEdit* E) -> TcxCustomTextEditLookupData* { return new TListLookup(E); };
  }
};

class TListDropDown : public TcxCustomDropDownEdit {
 public:
  explicit TListDropDown(TComponent* AOwner)
      : TcxCustomDropDownEdit(AOwner, false,
                              [](TPersistent* O) -> TcxCustomEditProperties* { return new TListProperties(O); }) {
    SetAutoSize(false);
  }
  bool HasPopupContent() override { return QueryLookupData() && !QueryLookupData()->NoItems(); }
  void GetPopupContentSize(TSize& ASize) override { ASize = TSize(Width(), 60); }
  // Keys and the wheel move the lookup, as in a combo box.
  bool AllowsLookupNavigation(Integer) override { return true; }
};

void ClickAt(TWinControl* AControl, int x, int y) {
  TPoint p = AControl->ClientToScreen(TPoint(x, y));
  SetCursorPos(p.X, p.Y);
  PumpMessages(1);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  PumpMessages(3);
}

void SetShift(bool ADown, Word AKey) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[AKey] = ADown ? 0x80 : 0;
  SetKeyboardState(keys);
}

struct DropDownFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TTestDropDown* E = nullptr;
  TEdit* Other = nullptr;
  std::vector<String> Log;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 400, 300);
    E = new TTestDropDown(Form.get());
    E->SetBounds(20, 20, 200, 24);
    E->SetParent(Form.get());
    Other = new TEdit(Form.get());
    Other->SetBounds(20, 220, 150, 24);
    Other->SetParent(Form.get());
    TcxCustomDropDownEditProperties* p = E->Properties();
    p->OnInitPopup = [this](TObject*) { Log.push_back("init"); };
    p->OnPopup = [this](TObject*) { Log.push_back("popup"); };
    p->OnCloseUp = [this](TObject*) { Log.push_back("closeup"); };
    p->OnPopupFinalized = [this](TObject*) { Log.push_back("finalized"); };
    p->OnClosePopup = [this](TObject*, Integer R) { Log.push_back("reason " + IntToStr(R)); };
    Form->Show();
    PumpMessages(2);
    E->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override {
    Form.reset();
    PumpMessages(1);
  }
  HWND Inner() { return E->InnerTextEdit()->Handle(); }
  void Key(Word K, bool AAlt = false) {
    if (AAlt) {
      PostMessageW(Inner(), WM_SYSKEYDOWN, K, 0x20000001);
      PostMessageW(Inner(), WM_SYSKEYUP, K, 0xE0000001);
    } else {
      PostMessageW(Inner(), WM_KEYDOWN, K, 1);
      PostMessageW(Inner(), WM_KEYUP, K, 0xC0000001);
    }
    PumpMessages(2);
  }
  String Joined() {
    String s;
    for (auto& l : Log) s += (s.empty() ? "" : ",") + l;
    Log.clear();
    return s;
  }
};
}  // namespace

TEST_F(DropDownFixture, KeyboardOpensAndClosesWithReasons) {
  // F4 opens; the popup shows when the message loop delivers its message.
  Key(VK_F4);
  ASSERT_TRUE(E->DroppedDown());
  EXPECT_TRUE(IsWindowVisible(E->PopupWindow()->Handle()));
  EXPECT_EQ(Joined(), "init,popup");
  // The focus stays in the text box; the popup lies under the editor's
  // visible frame.
  EXPECT_EQ(GetFocus(), Inner());
  TRect owner;
  E->GetPopupOwnerBounds(owner);
  EXPECT_EQ(E->PopupWindow()->BoundsRect().TopLeft(), Form->ClientToScreen(TPoint(owner.Left, owner.Bottom)));
  WriteWindowPng(E, "cxDropDownEdit_closed");
  WriteWindowPng(E->PopupWindow(), "cxDropDownEdit_popup");
  // F4 again toggles it closed: an accepting reason.
  Key(VK_F4);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(E->CloseUpReason(), pcrToggle);
  EXPECT_EQ(Joined(), "finalized,reason 2,closeup");
  EXPECT_FALSE(IsWindowVisible(E->PopupWindow()->Handle()));

  struct Case {
    Word Key;
    bool Alt;
    TcxPopupCloseReason Reason;
  };
  const Case cases[] = {{VK_ESCAPE, false, pcrCancel}, {VK_RETURN, false, pcrAccept}, {VK_UP, true, pcrToggle}};
  for (const Case& c : cases) {
    Key(VK_DOWN, true);   // Alt+Down opens
    ASSERT_TRUE(E->DroppedDown()) << c.Key;
    if (c.Alt) SetShift(true, VK_MENU);
    Key(c.Key, c.Alt);
    if (c.Alt) SetShift(false, VK_MENU);
    EXPECT_FALSE(E->DroppedDown()) << c.Key;
    EXPECT_EQ(E->CloseUpReason(), c.Reason) << c.Key;
  }
  EXPECT_EQ(TcxCustomPopupWindow::OpenPopupCount(), 0);
  EXPECT_EQ(GetFocus(), Inner());
}

TEST_F(DropDownFixture, OpensOncePendingAndNotWithoutContent) {
  E->SetDroppedDown(true);
  E->SetDroppedDown(true);
  EXPECT_FALSE(E->DroppedDown());   // pending until the message loop runs
  EXPECT_TRUE(E->IsPopupPending());
  PumpMessages(2);
  EXPECT_TRUE(E->DroppedDown());
  EXPECT_EQ(Joined(), "init,popup");
  E->SetDroppedDown(false);
  EXPECT_EQ(E->CloseUpReason(), pcrNone);
  Log.clear();
  // Nothing to show: the popup is initialised and finalised at once.
  E->Content = false;
  E->SetDroppedDown(true);
  PumpMessages(2);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(Joined(), "init,finalized");
  // A handler of OnInitPopup that fails leaves nothing open.
  E->Content = true;
  E->Properties()->OnInitPopup = [](TObject*) { throw Exception("refused"); };
  EXPECT_THROW(E->DropDown(), Exception);
  PumpMessages(2);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_FALSE(E->IsPopupPending());
}

TEST_F(DropDownFixture, TypingOpensTheList) {
  PostMessageW(Inner(), WM_CHAR, WPARAM(U'上'), 1);
  PumpMessages(2);
  EXPECT_TRUE(E->DroppedDown());
  EXPECT_EQ(E->Text(), "上");
  // Typing goes on into the text box while the list is open.
  PostMessageW(Inner(), WM_CHAR, WPARAM(U'海'), 1);
  PumpMessages(2);
  EXPECT_EQ(E->Text(), "上海");
  EXPECT_TRUE(E->DroppedDown());
  // Esc closes the list and is consumed; the next Esc reaches the editor.
  Key(VK_ESCAPE);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(E->Text(), "上海");
}

TEST_F(DropDownFixture, MouseOpensClosesAndMovesTheFocus) {
  // The drop-down button is the rightmost part of the editor.
  ClickAt(E, E->Width() - 6, E->Height() / 2);
  ASSERT_TRUE(E->DroppedDown());
  EXPECT_EQ(GetFocus(), Inner());
  // A click into the list keeps the popup open.
  ClickAt(E->List, 20, 10);
  EXPECT_TRUE(E->DroppedDown());
  // A click on the button of the open popup closes it, and does not open
  // it again.
  ClickAt(E, E->Width() - 6, E->Height() / 2);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_FALSE(E->IsPopupPending());
  // Open again and click another control: it closes and the focus moves.
  ClickAt(E, E->Width() - 6, E->Height() / 2);
  ASSERT_TRUE(E->DroppedDown());
  ClickAt(Other, 10, 10);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(GetFocus(), Other->Handle());
  // The focus leaving by other means closes it too.
  E->SetFocus();
  PumpMessages(1);
  E->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(E->DroppedDown());
  Other->SetFocus();
  PumpMessages(1);
  EXPECT_FALSE(E->DroppedDown());
  // Another application becoming active closes it.
  E->SetFocus();
  E->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(E->DroppedDown());
  SendMessageW(Form->Handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(TcxCustomPopupWindow::OpenPopupCount(), 0);
}

TEST_F(DropDownFixture, DestroyedEditorLeavesNoWindow) {
  // Destroyed with its show message still queued: the popup is finalised.
  E->SetDroppedDown(true);
  HWND popup = E->PopupWindow()->Handle();
  delete E;
  E = nullptr;
  EXPECT_EQ(Joined(), "init,finalized,reason 0,closeup");
  PumpMessages(2);
  EXPECT_FALSE(IsWindow(popup));
  // Destroyed while open.
  auto* e2 = new TTestDropDown(Form.get());
  e2->SetBounds(20, 60, 200, 24);
  e2->SetParent(Form.get());
  PumpMessages(1);
  e2->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(e2->DroppedDown());
  popup = e2->PopupWindow()->Handle();
  delete e2;
  PumpMessages(2);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(TcxCustomPopupWindow::OpenPopupCount(), 0);
  EXPECT_FALSE(cxPopupHooksInstalled());
}

TEST_F(DropDownFixture, PopupSizeRules) {
  TcxCustomDropDownEditProperties* p = E->Properties();
  p->SetPopupMinWidth(100);
  p->SetPopupWidth(50);
  EXPECT_EQ(p->PopupWidth(), 100);
  p->SetPopupMinWidth(-5);
  EXPECT_EQ(p->PopupMinWidth(), 0);
  p->SetPopupWidth(-3);
  EXPECT_EQ(p->PopupWidth(), 0);
  p->SetPopupMinHeight(40);
  p->SetPopupHeight(10);
  EXPECT_EQ(p->PopupHeight(), 40);
  p->SetPopupAlignment(taRightJustify);
  EXPECT_EQ(p->PopupHorzAlign(), 2);

  // Not auto-sized: the editor's width and the given height.
  p->SetPopupAutoSize(false);
  p->SetPopupHeight(120);
  E->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(E->DroppedDown());
  TcxCustomEditPopupWindow* w = E->PopupWindow();
  EXPECT_EQ(w->Width(), w->OwnerBounds().Width());
  EXPECT_EQ(w->Height(), 120);
  E->SetDroppedDown(false);
  // A sizeable popup with the system panel is never narrower than its
  // close button, grip and 10 pixels.
  p->SetPopupSizeable(true);
  p->SetPopupSysPanelStyle(true);
  p->SetPopupWidth(10);
  E->SetDroppedDown(true);
  PumpMessages(2);
  TSize min;
  w->GetMinSize(min);
  const Integer panel = TcxCustomEditPopupWindowViewInfo::StandardSysPanelHeight();
  TRect ext;
  w->ViewInfo()->CalculateBorderExtent(ext);
  EXPECT_EQ(min.cx, ext.Left + ext.Right + (panel - 4) + (panel - 2) + 10);
  EXPECT_GE(w->Width(), min.cx);
  EXPECT_FALSE(w->ViewInfo()->CloseButtonRect.IsEmpty());
  EXPECT_FALSE(w->ViewInfo()->SizeGripRect.IsEmpty());
  WriteWindowPng(w, "cxDropDownEdit_syspanel");
  E->SetDroppedDown(false);
}

TEST_F(DropDownFixture, GripResizeKeepsTheSize) {
  TcxCustomDropDownEditProperties* p = E->Properties();
  p->SetPopupSizeable(true);
  p->SetPopupSysPanelStyle(true);
  E->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(E->DroppedDown());
  TcxCustomEditPopupWindow* w = E->PopupWindow();
  const Integer w0 = w->Width(), h0 = w->Height();
  TRect grip = w->ViewInfo()->SizeGripCornerRect;
  ASSERT_FALSE(grip.IsEmpty());
  TPoint from = w->ClientToScreen(TPoint((grip.Left + grip.Right) / 2, (grip.Top + grip.Bottom) / 2));
  SetCursorPos(from.X, from.Y);
  PumpMessages(1);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &in, sizeof(INPUT));
  PumpMessages(2);
  EXPECT_TRUE(TcxCustomEditPopupWindow::IsResizing());
  SetCursorPos(from.X + 40, from.Y + 30);
  PumpMessages(2);
  in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof(INPUT));
  PumpMessages(2);
  EXPECT_FALSE(TcxCustomEditPopupWindow::IsResizing());
  EXPECT_EQ(w->Width(), w0 + 40);
  EXPECT_EQ(w->Height(), h0 + 30);
  // A stand-alone editor keeps the size the user gave in its properties.
  E->SetDroppedDown(false);
  EXPECT_EQ(p->PopupWidth(), w0 + 40);
  EXPECT_EQ(p->PopupHeight(), h0 + 30);
}

TEST_F(DropDownFixture, OpensUpwardWithItsShadowOverTheEditor) {
  E->Style()->SetShadow(true);
  // Near the bottom of the screen the popup opens above the editor.
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Form->SetBounds(60, work.bottom - 80, 400, 80);
  PumpMessages(2);
  E->SetFocus();
  E->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(E->DroppedDown());
  TcxCustomEditPopupWindow* w = E->PopupWindow();
  EXPECT_FALSE(w->ViewInfo()->IsGripAtBottom());
  TRect owner;
  E->GetPopupOwnerBounds(owner);
  // 3 pixels lower than flush with the editor's top.
  EXPECT_EQ(w->Top() + w->Height(), Form->ClientToScreen(owner.TopLeft()).Y + 3);
  // The window region leaves out the shadow strip over the editor.
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(w->Handle(), rgn), ERROR);
  EXPECT_FALSE(PtInRegion(rgn, 10, w->Height() - 1));
  EXPECT_TRUE(PtInRegion(rgn, 10, w->Height() - 5));
  DeleteObject(rgn);
  WriteWindowPng(w, "cxDropDownEdit_upward");
}

TEST_F(DropDownFixture, LookupListInThePopup) {
  auto* e = new TListDropDown(Form.get());
  e->SetBounds(20, 100, 200, 24);
  e->SetParent(Form.get());
  for (const char* item : {"北京", "上海", "广州", "深圳", "杭州", "南京"}) e->Properties()->LookupItems()->Add(item);
  Integer changes = 0;
  e->Properties()->OnChange = [&](TObject*) { ++changes; };
  PumpMessages(1);
  e->SetFocus();
  PumpMessages(1);
  HWND inner = e->InnerTextEdit()->Handle();
  PostMessageW(inner, WM_KEYDOWN, VK_F4, 1);
  PumpMessages(2);
  ASSERT_TRUE(e->DroppedDown());
  TWinControl* list = e->QueryLookupData()->ListControl();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Parent(), e->PopupWindow());
  EXPECT_EQ(list->BoundsRect(), e->PopupWindow()->ViewInfo()->ClientRect);
  EXPECT_EQ(GetFocus(), inner);
  // Down moves the list's highlight; Enter takes the item.
  PostMessageW(inner, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageW(inner, WM_KEYDOWN, VK_DOWN, 1);
  PumpMessages(2);
  WriteWindowPng(e->PopupWindow(), "cxDropDownEdit_list");
  PostMessageW(inner, WM_KEYDOWN, VK_RETURN, 1);
  PumpMessages(2);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(e->CloseUpReason(), pcrAccept);
  EXPECT_EQ(e->Text(), "上海");
  EXPECT_GT(changes, 0);
  // Esc after moving the highlight leaves the text as it was.
  PostMessageW(inner, WM_KEYDOWN, VK_F4, 1);
  PumpMessages(2);
  ASSERT_TRUE(e->DroppedDown());
  // The wheel over the editor scrolls the open list.
  TPoint at = e->ClientToScreen(TPoint(10, 10));
  HWND listWnd = e->QueryLookupData()->ListControl()->Handle();
  SendMessageW(listWnd, LB_SETTOPINDEX, 0, 0);
  SendMessageW(e->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(at.X, at.Y));
  PumpMessages(1);
  EXPECT_GT(SendMessageW(listWnd, LB_GETTOPINDEX, 0, 0), 0);
  PostMessageW(inner, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageW(inner, WM_KEYDOWN, VK_ESCAPE, 1);
  PumpMessages(3);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(e->Text(), "上海");
  // Tab takes the highlighted item when PostPopupValueOnTab is on, and the
  // focus moves on.
  e->Properties()->SetPostPopupValueOnTab(true);
  PostMessageW(inner, WM_KEYDOWN, VK_F4, 1);
  PumpMessages(2);
  ASSERT_TRUE(e->DroppedDown());
  PostMessageW(inner, WM_KEYDOWN, VK_DOWN, 1);
  PostMessageW(inner, WM_KEYDOWN, VK_TAB, 1);
  PumpMessages(3);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(e->CloseUpReason(), pcrTab);
  EXPECT_EQ(e->Text(), "广州");
  EXPECT_NE(GetFocus(), inner);
}

TEST_F(DropDownFixture, InplaceEditorKeepsAUserSizeInItsEditData) {
  class TInplaceDropDown : public TcxCustomDropDownEdit {
   public:
    explicit TInplaceDropDown(TComponent* AOwner) : TcxCustomDropDownEdit(AOwner, true) {
      List = new TListBox(this);
      List->SetParent(PopupWindow());
    }
    bool HasPopupContent() override { return true; }
    void GetPopupContentSize(TSize& ASize) override { ASize = TSize(120, 80); }
    void PlacePopupContent(const TRect& R) override { List->SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    TListBox* List;
  };
  auto* e = new TInplaceDropDown(Form.get());
  e->SetBounds(20, 140, 180, 22);
  e->SetParent(Form.get());
  TcxCustomDropDownEditProperties* p = e->Properties();
  p->SetPopupSizeable(true);
  p->SetPopupSysPanelStyle(true);
  p->SetPopupAutoSize(false);   // an auto-sized popup takes its content's size
  p->SetPopupHeight(100);
  PumpMessages(1);
  TcxCustomEditData* data = nullptr;
  e->Activate(data);
  ASSERT_NE(dynamic_cast<TcxCustomDropDownEditData*>(data), nullptr);
  e->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(e->DroppedDown());
  TcxCustomEditPopupWindow* w = e->PopupWindow();
  TRect grip = w->ViewInfo()->SizeGripCornerRect;
  TPoint from = w->ClientToScreen(TPoint((grip.Left + grip.Right) / 2, (grip.Top + grip.Bottom) / 2));
  SetCursorPos(from.X, from.Y);
  PumpMessages(1);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &in, sizeof(INPUT));
  PumpMessages(2);
  EXPECT_TRUE(TcxCustomEditPopupWindow::IsResizing());
  SetCursorPos(from.X + 30, from.Y + 20);
  PumpMessages(2);
  in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof(INPUT));
  PumpMessages(2);
  const Integer width = w->Width(), height = w->Height();
  e->SetDroppedDown(false);
  // The size goes into the edit data, not into the properties.
  auto* d = static_cast<TcxCustomDropDownEditData*>(data);
  EXPECT_TRUE(d->Initialized);
  EXPECT_EQ(d->Width, width);
  EXPECT_EQ(d->Height, height);
  EXPECT_EQ(p->PopupWidth(), 0);
  // The next activation opens the popup at that size.
  e->Activate(data);
  EXPECT_TRUE(e->PopupSizeChanged());
  e->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(e->DroppedDown());
  EXPECT_EQ(w->Width(), width);
  EXPECT_EQ(w->Height(), height);
  e->SetDroppedDown(false);
  delete e;
  delete data;
}

// An in-place editor (in a grid) with an open popup claims the keys its
// host would take: Enter, Esc and keys with Ctrl go to the popup, not to
// the host's key handler; with the popup closed, or in a stand-alone
// editor, the host hears them.
TEST_F(DropDownFixture, InplaceEditorWithOpenPopupClaimsTheHostsKeys) {
  auto* cell = new TTestDropDown(Form.get(), true);
  cell->SetBounds(20, 120, 200, 22);
  cell->SetParent(Form.get());
  std::vector<Word> host;
  cell->OnKeyDown = [&](TObject*, Word& Key, TShiftState) { host.push_back(Key); };
  E->OnKeyDown = cell->OnKeyDown;
  PumpMessages(1);
  cell->SetFocus();
  PumpMessages(1);
  HWND inner = cell->InnerTextEdit()->Handle();
  auto key = [&](HWND AWnd, Word K) {
    PostMessageW(AWnd, WM_KEYDOWN, K, 1);
    PostMessageW(AWnd, WM_KEYUP, K, 0xC0000001);
    PumpMessages(2);
  };
  auto open = [&] {
    cell->SetDroppedDown(true);
    PumpMessages(2);
    ASSERT_TRUE(cell->DroppedDown());
    host.clear();
  };

  key(inner, VK_RETURN);   // closed: the host moves on
  EXPECT_EQ(host, std::vector<Word>{VK_RETURN});
  open();
  key(inner, VK_RETURN);
  EXPECT_TRUE(host.empty());
  EXPECT_FALSE(cell->DroppedDown());
  EXPECT_EQ(cell->CloseUpReason(), pcrAccept);
  open();
  key(inner, VK_ESCAPE);
  EXPECT_TRUE(host.empty());
  EXPECT_FALSE(cell->DroppedDown());
  EXPECT_EQ(cell->CloseUpReason(), pcrCancel);
  open();
  SetShift(true, VK_CONTROL);
  key(inner, VK_HOME);   // a grid's "first row"
  SetShift(false, VK_CONTROL);
  EXPECT_TRUE(host.empty());
  EXPECT_TRUE(cell->DroppedDown());
  key(inner, 'A');   // an ordinary key still reaches the host
  EXPECT_EQ(host, std::vector<Word>{'A'});
  cell->SetDroppedDown(false);

  // A claimed key still gets the editor's usual handling: Ctrl+Left in a
  // masked text moves as in a stand-alone editor (to the first place the
  // mask lets the user type).
  Integer caret[2];
  for (int i = 0; i < 2; ++i) {
    TTestDropDown* ed = i == 0 ? E : cell;
    ed->Properties()->SetMaskKind(emkStandard);
    ed->Properties()->SetEditMask("(000)000;1;_");
    ed->SetFocus();
    PumpMessages(1);
    ed->SetText("(123)456");
    ed->SetSelStart(8);
    ed->SetDroppedDown(true);
    PumpMessages(2);
    ASSERT_TRUE(ed->DroppedDown());
    SetShift(true, VK_CONTROL);
    key(ed->InnerTextEdit()->Handle(), VK_LEFT);
    SetShift(false, VK_CONTROL);
    caret[i] = ed->SelStart();
    ed->SetDroppedDown(false);
  }
  EXPECT_EQ(caret[0], 1);
  EXPECT_EQ(caret[1], caret[0]);
  E->Properties()->SetEditMask("");

  // A stand-alone editor claims nothing.
  E->SetFocus();
  E->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(E->DroppedDown());
  host.clear();
  key(Inner(), VK_RETURN);
  EXPECT_EQ(host, std::vector<Word>{VK_RETURN});
  EXPECT_FALSE(E->DroppedDown());
}

// No hint shows over the typing window while the popup is open, nor over
// the editor itself.
TEST_F(DropDownFixture, NoHintWhileThePopupIsOpen) {
  E->SetHint("城市");
  E->SetShowHint(true);
  auto hint = [&](TWinControl* AControl) {
    THintInfo info;
    info.HintControl = AControl;
    info.CursorPos = TPoint(10, 10);
    return AControl->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  };
  EXPECT_EQ(hint(E->InnerTextEdit()), 0);
  EXPECT_EQ(hint(E), 0);
  E->SetDroppedDown(true);
  PumpMessages(2);
  ASSERT_TRUE(E->DroppedDown());
  EXPECT_EQ(hint(E->InnerTextEdit()), 1);
  EXPECT_EQ(hint(E), 1);
  E->SetDroppedDown(false);
  EXPECT_EQ(hint(E->InnerTextEdit()), 0);
}
