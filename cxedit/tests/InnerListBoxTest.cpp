// The inner list box in a container: input handed to the container, the
// own scroll bars over the native ones with their corner, scrolling by the
// own bars, and the type-ahead search by whole characters.
#include <memory>

#include "StdCtrls.h"
#include "TestWindows.h"
#include "cxContainer.h"
#include "gtest.h"

namespace {
// The list box of the test shows a horizontal bar too when its items are wide.
class TTestInnerListBox : public TcxCustomInnerListBox {
 public:
  using TcxCustomInnerListBox::TcxCustomInnerListBox;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TcxCustomInnerListBox::CreateParams(Params);
    Params.Style |= WS_HSCROLL;
  }
};

class TListContainer : public TcxContainer {
 public:
  explicit TListContainer(TComponent* AOwner) : TcxContainer(AOwner) {
    List = new TTestInnerListBox(this);
    List->SetContainer(this);
    List->SetParent(this);
    SetInnerControl(List);
  }
  TTestInnerListBox* List;
};

struct ListFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TListContainer* C = nullptr;
  DWORD Now = 1000;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(50, 50, 400, 320);
    C = new TListContainer(Form.get());
    C->SetBounds(20, 20, 200, 160);
    C->SetParent(Form.get());
    C->Style()->SetBorderStyle(cbsSingle);
    C->Style()->SetTransparentBorder(false);
    C->List->TickCount = [this] { return Now; };
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  void Type(char32_t ch, DWORD after = 100) {
    Now += after;
    SendMessageW(C->List->Handle(), WM_CHAR, WPARAM(ch), 0);
  }
  String Current() { return C->List->ItemIndex() < 0 ? String() : C->List->Items()->Strings(C->List->ItemIndex()); }
};
}  // namespace

TEST_F(ListFixture, TypeAheadSearchesWholeCharacters) {
  for (const char* s : {"apple", "banana", "bandana", "cherry", "张三", "李四", "李明"}) C->List->Items()->Add(s);
  Type(U'b');
  EXPECT_EQ(Current(), "banana");
  Type(U'a');
  Type(U'n');
  Type(U'd');
  EXPECT_EQ(Current(), "bandana");
  EXPECT_EQ(C->List->SearchText(), "band");
  // After a pause the next key starts a new search.
  Type(U'c', 600);
  EXPECT_EQ(Current(), "cherry");
  Type(U'李', 600);
  EXPECT_EQ(Current(), "李四");
  Type(U'明');
  EXPECT_EQ(Current(), "李明");
  // Backspace takes off the whole character; an empty filter selects the first item.
  Type(U'\b');
  EXPECT_EQ(C->List->SearchText(), "李");
  EXPECT_EQ(Current(), "李四");
  Type(U'\b');
  EXPECT_EQ(C->List->SearchText(), "");
  EXPECT_EQ(Current(), "apple");
  // Without auto-complete nothing is searched.
  C->List->SetAutoComplete(false);
  Type(U'z', 600);
  EXPECT_EQ(C->List->SearchText(), "");
}

TEST_F(ListFixture, InputGoesToTheContainer) {
  Integer downs = 0, presses = 0;
  Word lastKey = 0;
  C->OnKeyDown = [&](TObject*, Word& Key, TShiftState) { ++downs; lastKey = Key; };
  C->OnKeyPress = [&](TObject*, char32_t& Key) {
    ++presses;
    if (Key == U'x') Key = 0;   // the container may swallow a character
  };
  C->List->Items()->Add("x-ray");
  SendMessageW(C->List->Handle(), WM_KEYDOWN, VK_F2, 0);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(lastKey, VK_F2);
  Type(U'x');
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(C->List->SearchText(), "");
  EXPECT_EQ(SendMessageW(C->List->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS, DLGC_WANTCHARS);
  // The list lies on the container's client rectangle.
  C->UpdateState(TPoint(-1, -1), 0, {}, false);
  EXPECT_EQ(C->List->BoundsRect(), C->ViewInfo()->ClientRect);
}

TEST_F(ListFixture, OwnScrollBarsOverTheNativeOnes) {
  for (int i = 0; i < 40; ++i) C->List->Items()->Add("订单 " + std::to_string(i) + " Tovani 客户 名称 很长的一行文字");
  SendMessageW(C->List->Handle(), LB_SETHORIZONTALEXTENT, 600, 0);
  PumpMessages(1);
  TcxScrollBar* v = C->List->VScrollBar();
  TcxScrollBar* h = C->List->HScrollBar();
  ASSERT_TRUE(v->Visible());
  ASSERT_TRUE(h->Visible());
  EXPECT_EQ(v->Parent(), C);
  EXPECT_EQ(h->Parent(), C);
  // Exactly over the native bars.
  SCROLLBARINFO info;
  ASSERT_TRUE(cxGetScrollBarInfo(C->List->Handle(), OBJID_VSCROLL, info));
  TPoint tl = C->ScreenToClient(TPoint(info.rcScrollBar.left, info.rcScrollBar.top));
  EXPECT_EQ(v->BoundsRect().TopLeft(), tl);
  EXPECT_EQ(v->Max(), 39);
  EXPECT_GT(v->PageSize(), 0);
  // The corner between them.
  TRect grip = C->List->SizeGripRect();
  EXPECT_EQ(grip.Width(), v->Width());
  EXPECT_EQ(grip.Height(), h->Height());
  // Scrolling by the own bar scrolls the list, and the list's scrolling moves the bar.
  Integer itemHeight = C->List->ItemRect(1).Top - C->List->ItemRect(0).Top;
  EXPECT_GT(itemHeight, 0);
  v->ScrollByCode(scLineDown);
  v->ScrollByCode(scLineDown);
  EXPECT_EQ(C->List->TopIndex(), 2);
  EXPECT_EQ(C->List->ItemRect(2).Top, 0);
  C->List->SetTopIndex(10);
  EXPECT_EQ(v->Position(), 10);
  v->ScrollByCode(scPageDown);
  EXPECT_GT(C->List->TopIndex(), 10);
  EXPECT_EQ(v->Position(), C->List->TopIndex());
  PumpMessages(1);
  WriteWindowPng(C, "cxContainer_inner_list_box");
  // Few items: the vertical bar goes.
  C->List->Items()->Clear();
  C->List->Items()->Add("one");
  SendMessageW(C->List->Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
  PumpMessages(1);
  EXPECT_FALSE(v->Visible());
  EXPECT_TRUE(C->List->SizeGripRect().IsEmpty());
}

TEST_F(ListFixture, PressOnASelectedItemDragsTheContainerAndKeepsTheSelection) {
  for (const char* s : {"甲", "乙", "丙", "丁"}) C->List->Items()->Add(s);
  C->List->SetMultiSelect(true);
  C->List->SetSelected(1, true);
  C->List->SetSelected(2, true);
  C->SetDragMode(dmAutomatic);
  const Integer h = C->List->ItemHeight();
  SendMessageW(C->List->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, h + h / 2));
  EXPECT_TRUE(C->Dragging());
  EXPECT_TRUE(C->List->Selected(1));
  EXPECT_TRUE(C->List->Selected(2));
  EXPECT_EQ(C->DragMode(), dmAutomatic);
  C->EndDrag(false);
  SendMessageW(C->List->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, h + h / 2));
  EXPECT_FALSE(C->Dragging());
}
