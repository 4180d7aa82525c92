// Common controls under Xvfb: status bar, pages, tool bar, date picker, tree view.
#include <memory>
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "DateUtils.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {
struct ComFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(40, 40, 480, 360);
    Form->Show();
    PumpMessages();
  }
  template <class T>
  T* Add(int l, int t, int w, int h) {
    auto* c = new T(Form.get());
    c->SetParent(Form.get());
    c->SetBounds(l, t, w, h);
    return c;
  }
  static String PanelText(TStatusBar* sb, int i) {
    wchar_t buf[128] = {};
    SendMessageW(sb->Handle(), SB_GETTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(buf));
    char out[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, buf, -1, out, 255, nullptr, nullptr);
    return out;
  }
};
}  // namespace

TEST_F(ComFixture, StatusBarPanelsShowTheirTexts) {
  auto* sb = new TStatusBar(Form.get());
  sb->SetParent(Form.get());
  TStatusPanel* user = sb->Panels()->Add();
  user->SetWidth(150);
  sb->Panels()->Add()->SetWidth(100);
  user->SetText("当前用户：张三");
  EXPECT_EQ(PanelText(sb, 0), "当前用户：张三");
  EXPECT_EQ(sb->Align(), alBottom);
  EXPECT_EQ(sb->Top() + sb->Height(), Form->ClientHeight());
  EXPECT_NEAR(sb->PanelRect(1).Left, 150, 3);
  sb->SetSimplePanel(true);
  sb->SetSimpleText("就绪");
  EXPECT_TRUE(SendMessageW(sb->Handle(), SB_ISSIMPLE, 0, 0));
  EXPECT_EQ(PanelText(sb, 0), "就绪");
  WriteWindowPng(Form.get(), "comctrls_statusbar");
}

TEST_F(ComFixture, PageControlSwitchesSheets) {
  auto* pc = Add<TPageControl>(10, 10, 300, 200);
  auto* a = new TTabSheet(Form.get());
  a->SetPageControl(pc);
  a->SetCaption("客户");
  auto* b = new TTabSheet(Form.get());
  b->SetPageControl(pc);
  b->SetCaption("产品");
  PumpMessages();
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(pc->ActivePage(), a);
  EXPECT_TRUE(a->Visible());
  EXPECT_FALSE(b->Visible());
  EXPECT_EQ(SendMessageW(pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
  // The sheet fills the display area.
  TRect display = pc->DisplayRect();
  EXPECT_EQ(a->BoundsRect(), display);
  // A tab chosen by the user (TCN_SELCHANGE) changes the page, unless OnChanging refuses.
  int changes = 0;
  bool allow = false;
  pc->OnChange = [&](TObject*) { ++changes; };
  pc->OnChanging = [&](TObject*, bool& ok) { ok = allow; };
  NMHDR hdr{pc->Handle(), UINT_PTR(GetDlgCtrlID(pc->Handle())), UINT(TCN_SELCHANGING)};
  EXPECT_EQ(SendMessageW(Form->Handle(), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr)), 1);
  allow = true;
  SendMessageW(pc->Handle(), TCM_SETCURSEL, 1, 0);
  hdr.code = UINT(TCN_SELCHANGE);
  SendMessageW(Form->Handle(), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
  EXPECT_EQ(pc->ActivePage(), b);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(b->Visible());
  // A hidden tab: the next page skips it; removing the active page activates another.
  a->SetTabVisible(false);
  EXPECT_EQ(SendMessageW(pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
  delete b;
  EXPECT_EQ(pc->ActivePage(), a);
  EXPECT_EQ(pc->PageCount(), 1);
}

TEST_F(ComFixture, ToolBarLaysOutButtonsAndClicks) {
  auto* bar = new TToolBar(Form.get());
  bar->SetParent(Form.get());
  bar->SetShowCaptions(true);
  TToolButton* buttons[3];
  for (int i = 0; i < 3; ++i) {
    buttons[i] = new TToolButton(Form.get());
    buttons[i]->SetParent(bar);
  }
  buttons[0]->SetCaption("新增");
  buttons[1]->SetStyle(tbsSeparator);
  buttons[2]->SetCaption("退出");
  buttons[2]->SetStyle(tbsCheck);
  PumpMessages();
  EXPECT_EQ(bar->ButtonCount(), 3);
  EXPECT_EQ(buttons[0]->Left(), 0);
  EXPECT_EQ(buttons[1]->Left(), buttons[0]->Width());
  EXPECT_LT(buttons[1]->Width(), buttons[0]->Width());
  EXPECT_EQ(buttons[2]->Left(), buttons[1]->Left() + buttons[1]->Width());
  int clicks = 0;
  buttons[0]->OnClick = [&](TObject*) { ++clicks; };
  TPoint p = buttons[0]->ClientToParent({5, 5});
  SendMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  SendMessageW(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.X, p.Y));
  EXPECT_EQ(clicks, 1);
  buttons[2]->Click();
  EXPECT_TRUE(buttons[2]->Down());
  WriteWindowPng(Form.get(), "comctrls_toolbar");
}

// A panel between buttons (holding a combo box, say) takes its place in the
// row with its own width, also when it is aligned left and when an earlier
// button is hidden.
TEST_F(ComFixture, ToolBarPlacesOtherControlsInTheRow) {
  auto* bar = new TToolBar(Form.get());
  bar->SetParent(Form.get());
  auto* first = new TToolButton(Form.get());
  first->SetParent(bar);
  auto* panel = new TPanel(Form.get());
  panel->SetAlign(alLeft);
  panel->SetWidth(49);
  panel->SetParent(bar);
  auto* last = new TToolButton(Form.get());
  last->SetParent(bar);
  PumpMessages();
  EXPECT_EQ(panel->Left(), first->Width());
  EXPECT_EQ(panel->Width(), 49);
  EXPECT_EQ(last->Left(), panel->Left() + 49);
  first->SetVisible(false);
  PumpMessages();
  EXPECT_EQ(panel->Left(), 0);
  EXPECT_EQ(last->Left(), 49);
  delete panel;
  PumpMessages();
  EXPECT_EQ(last->Left(), 0);
}

TEST_F(ComFixture, DateTimePickerKeepsDateAndCheckBox) {
  auto* dtp = Add<TDateTimePicker>(10, 10, 150, 21);
  TDateTime d = EncodeDate(2024, 2, 29) + EncodeTime(10, 30, 0, 0);
  int changes = 0;
  dtp->OnChange = [&](TObject*) { ++changes; };
  dtp->SetDateTime(d);
  EXPECT_EQ(changes, 1);
  SYSTEMTIME st{};
  SendMessageW(dtp->Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_DOUBLE_EQ(dtp->Date(), EncodeDate(2024, 2, 29));
  EXPECT_NEAR(dtp->Time(), EncodeTime(10, 30, 0, 0), 1e-6);
  // The user picks another day: the time stays.
  SYSTEMTIME pick{};
  DateTimeToSystemTime(EncodeDate(2024, 3, 1), pick);
  SendMessageW(dtp->Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&pick));
  NMDATETIMECHANGE nm{};
  nm.nmhdr = {dtp->Handle(), UINT_PTR(GetDlgCtrlID(dtp->Handle())), UINT(DTN_DATETIMECHANGE)};
  nm.dwFlags = GDT_VALID;
  nm.st = pick;
  SendMessageW(Form->Handle(), WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
  EXPECT_DOUBLE_EQ(dtp->Date(), EncodeDate(2024, 3, 1));
  EXPECT_NEAR(dtp->Time(), EncodeTime(10, 30, 0, 0), 1e-6);
  // With its check box, unchecked means no date; the value survives a new window.
  dtp->SetShowCheckbox(true);
  dtp->SetChecked(false);
  EXPECT_FALSE(dtp->Checked());
  dtp->SetChecked(true);
  EXPECT_TRUE(dtp->Checked());
  EXPECT_DOUBLE_EQ(dtp->Date(), EncodeDate(2024, 3, 1));
  dtp->SetMinDate(EncodeDate(2020, 1, 1));
  EXPECT_THROW(dtp->SetDate(EncodeDate(2019, 12, 31)), EInvalidOperation);
}

TEST_F(ComFixture, TreeViewNodesLiveBeforeAndAcrossTheWindow) {
  auto* tv = new TTreeView(Form.get());
  TTreeNodes* items = tv->Items();
  // Nodes made before the control has a window.
  TTreeNode* root = items->Add(nullptr, "全部");
  TTreeNode* b = items->AddChild(root, "王");
  TTreeNode* a = items->AddChild(root, "李");
  TTreeNode* c = items->AddChild(b, "张");
  EXPECT_EQ(items->Count(), 4);
  EXPECT_EQ(c->Level(), 2);
  EXPECT_EQ(root->GetNext(), b);
  EXPECT_EQ(b->GetNext(), c);
  EXPECT_EQ(c->GetNext(), a);
  EXPECT_EQ(a->GetPrev(), c);
  EXPECT_EQ(items->Item(3), a);
  EXPECT_EQ(a->AbsoluteIndex(), 3);
  EXPECT_TRUE(c->HasAsParent(root));

  tv->SetParent(Form.get());
  tv->SetBounds(10, 10, 200, 200);
  PumpMessages();
  ASSERT_NE(root->ItemId(), nullptr);
  EXPECT_EQ(items->GetNode(c->ItemId()), c);
  EXPECT_EQ(SendMessageW(tv->Handle(), TVM_GETCOUNT, 0, 0), 4);
  root->Expand(false);
  EXPECT_TRUE(root->Expanded());

  // Selecting fires OnChange; nodes keep their state when the window is made again.
  TTreeNode* changed = nullptr;
  tv->OnChange = [&](TObject*, TTreeNode* n) { changed = n; };
  a->SetSelected(true);
  EXPECT_EQ(changed, a);
  EXPECT_EQ(tv->Selected(), a);
  tv->SetShowLines(false);   // recreates the window
  EXPECT_EQ(SendMessageW(tv->Handle(), TVM_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(tv->Selected(), a);
  EXPECT_TRUE(root->Expanded());

  // Sorting in pinyin order, moving and deleting.
  tv->AlphaSort(true);
  EXPECT_EQ(root->Item(0), a);   // 李 before 王
  c->MoveTo(root, naAddChild);
  EXPECT_EQ(c->Parent(), root);
  EXPECT_EQ(b->Count(), 0);
  EXPECT_EQ(SendMessageW(tv->Handle(), TVM_GETCOUNT, 0, 0), 4);
  c->MoveTo(c, naAddChild);      // onto itself: nothing
  root->MoveTo(a, naAddChild);   // into its own subtree: nothing
  EXPECT_EQ(root->Parent(), nullptr);
  std::vector<String> deleted;
  tv->OnDeletion = [&](TObject*, TTreeNode* n) { deleted.push_back(n->Text()); };
  b->Delete();
  EXPECT_EQ(items->Count(), 3);
  EXPECT_EQ(deleted, std::vector<String>{"王"});
  EXPECT_EQ(SendMessageW(tv->Handle(), TVM_GETCOUNT, 0, 0), 3);

  // Node under a point.
  TRect r = a->DisplayRect(true);
  EXPECT_EQ(tv->GetNodeAt(r.Left + 2, r.Top + 2), a);
  EXPECT_TRUE(tv->GetHitTestInfoAt(r.Left + 2, r.Top + 2).Contains(htOnLabel));
  WriteWindowPng(Form.get(), "comctrls_tree");
  items->Clear();
  EXPECT_EQ(SendMessageW(tv->Handle(), TVM_GETCOUNT, 0, 0), 0);
}

// A tree whose nodes drag by themselves: a click focuses the tree and selects
// the node under the mouse (also when another control had the focus), and
// only a mouse that leaves the node with the button down starts a drag.
TEST_F(ComFixture, TreeViewWithAutomaticDragTakesClicksAndStartsDrags) {
  auto* edit = Add<TEdit>(220, 10, 100, 21);
  auto* tv = Add<TTreeView>(10, 10, 200, 200);
  tv->SetDragMode(dmAutomatic);
  TTreeNode* root = tv->Items()->Add(nullptr, "全部");
  TTreeNode* a = tv->Items()->AddChild(root, "李");
  TTreeNode* b = tv->Items()->AddChild(root, "王");
  root->Expand(false);
  a->SetSelected(true);
  int starts = 0;
  tv->OnStartDrag = [&](TObject*, TDragObject*&) { ++starts; };
  PumpMessages();
  edit->SetFocus();
  ASSERT_FALSE(tv->Focused());

  // The tree watches the mouse until the button comes up.
  TRect r = b->DisplayRect(true);
  LPARAM at = MAKELPARAM(r.Left + 3, r.Top + 3);
  PostMessageW(tv->Handle(), WM_LBUTTONUP, 0, at);
  SendMessageW(tv->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PumpMessages();
  EXPECT_EQ(tv->Selected(), b);
  EXPECT_TRUE(tv->Focused());
  EXPECT_EQ(starts, 0);
  EXPECT_FALSE(tv->Dragging());

  // Leaving the node with the button down drags the node under the mouse.
  r = a->DisplayRect(true);
  PostMessageW(tv->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.Left + 3, r.Top + 60));
  SendMessageW(tv->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Left + 3, r.Top + 3));
  EXPECT_EQ(tv->Selected(), a);
  EXPECT_EQ(starts, 1);
  EXPECT_TRUE(tv->Dragging());
  tv->EndDrag(false);
  EXPECT_FALSE(tv->Dragging());
}
