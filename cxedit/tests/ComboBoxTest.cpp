// The combo box typed into, stepped with Up and Down, dropped down and
// picked from with the mouse, through its real windows.
#include <algorithm>
#include <memory>
#include <vector>

#include "FormFile.h"
#include "Forms.h"
#include "TestWindows.h"
#include "Utf8.h"
#include "cxComboBox.h"
#include "gtest.h"

namespace {
struct ComboFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxComboBox* C = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 360, 300);
    C = new TcxComboBox(Form.get());
    C->SetBounds(20, 20, 200, 24);
    C->SetParent(Form.get());
    for (const char* s : {"北京", "上海", "广州", "深圳", "Beijing"}) C->Properties()->Items()->Add(s);
    Form->Show();
    C->SetFocus();
    PumpMessages(2);
  }
  void TearDown() override { Form.reset(); }
  HWND Inner() { return C->InnerTextEdit()->Handle(); }
  void Type(const String& S) {
    for (size_t pos = 0; pos < S.size();) PostMessageW(Inner(), WM_CHAR, Utf8Decode(S, pos), 1);
    PumpMessages(2);
  }
  void Key(Word K) {
    PostMessageW(Inner(), WM_KEYDOWN, K, 1);
    PostMessageW(Inner(), WM_KEYUP, K, 0xC0000001);
    PumpMessages(3);
  }
  TcxComboBoxListBox* List() { return dynamic_cast<TcxComboBoxListBox*>(C->ListBox()); }
};
}  // namespace

TEST_F(ComboFixture, TypeAheadInTheThreeListStyles) {
  C->Properties()->SetImmediateDropDown(false);
  // Free text: completed from the items, anything else typed as it comes.
  Type("上");
  EXPECT_EQ(C->Text(), "上海");
  EXPECT_EQ(C->SelText(), "海");
  EXPECT_EQ(C->ItemIndex(), 1);
  Type("x");
  EXPECT_EQ(C->Text(), "上x");
  EXPECT_EQ(C->ItemIndex(), -1);

  // Text restricted to the items: a character leading nowhere is refused.
  C->Properties()->SetDropDownListStyle(lsEditFixedList);
  C->SetEditValue(Variant(String()));
  PumpMessages(1);
  Type("z");
  EXPECT_EQ(C->Text(), "");
  Type("be");
  EXPECT_EQ(C->Text(), "Beijing");
  EXPECT_EQ(C->ItemIndex(), 4);

  // Fixed list: keys pick items; the text has no caret.
  C->Properties()->SetDropDownListStyle(lsFixedList);
  C->SetEditValue(Variant(String("北京")));
  PumpMessages(1);
  EXPECT_FALSE(C->HasReadOnlyText());
  Type("深");
  EXPECT_EQ(C->Text(), "深圳");
  EXPECT_EQ(C->ItemIndex(), 3);
  Type("q");   // nothing starts so: the item stays
  EXPECT_EQ(C->Text(), "深圳");
  PumpMessages(2);
  WriteWindowPng(C, "cxComboBox_fixed_list_typed");
  // Up and Down step through the items of a fixed list too.
  Key(VK_UP);
  EXPECT_EQ(C->Text(), "广州");
  PumpMessages(2);
  WriteWindowPng(C, "cxComboBox_fixed_list_focused");
}

TEST_F(ComboFixture, UpDownAndPagesWhileClosed) {
  Integer clicks = 0, changes = 0;
  C->OnClick = [&](TObject*) { ++clicks; };
  C->Properties()->OnChange = [&](TObject*) { ++changes; };
  struct Step {
    Word Key;
    Integer Index;
  };
  const Step steps[] = {{VK_DOWN, 0}, {VK_DOWN, 1}, {VK_NEXT, 4}, {VK_DOWN, 4}, {VK_UP, 3}, {VK_PRIOR, 0}};
  for (const Step& s : steps) {
    Key(s.Key);
    EXPECT_EQ(C->ItemIndex(), s.Index) << s.Key;
    EXPECT_EQ(C->Text(), C->Properties()->Items()->Strings(s.Index));
  }
  EXPECT_FALSE(C->HasPopupWindow());
  EXPECT_EQ(VarToStr(C->EditValue()), "北京");
  EXPECT_GT(clicks, 0);
  EXPECT_GT(changes, 0);
  // DropDownRows is the page: 0 and negative values are ignored.
  C->Properties()->SetDropDownRows(0);
  C->Properties()->SetDropDownRows(-2);
  EXPECT_EQ(C->Properties()->DropDownRows(), 8);
  C->Properties()->SetDropDownRows(2);
  Key(VK_NEXT);
  EXPECT_EQ(C->ItemIndex(), 1);
}

TEST_F(ComboFixture, DroppedDownListFollowsKeysAndTheMouse) {
  C->SetEditValue(Variant(String("上海")));
  PumpMessages(2);
  WriteWindowPng(C, "cxComboBox_closed");
  C->SetDroppedDown(true);
  PumpMessages(4);
  ASSERT_TRUE(C->HasPopupWindow());
  TcxComboBoxListBox* list = List();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Count(), 5);
  EXPECT_EQ(list->ItemIndex(), 1);
  // Five items and eight rows: the list is five rows high.
  EXPECT_EQ(list->Height(), list->GetHeight(5));
  WriteWindowPng(C->PopupWindow(), "cxComboBox_dropped_down_list");

  // With the list open only the highlight moves; Enter takes it.
  Key(VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(C->Text(), "上海");
  Key(VK_RETURN);
  EXPECT_FALSE(C->HasPopupWindow());
  EXPECT_EQ(C->Text(), "广州");
  EXPECT_EQ(C->ItemIndex(), 2);

  // A click on an item closes the list with that item; a button released
  // below the items does nothing.
  C->SetDroppedDown(true);
  PumpMessages(4);
  ASSERT_TRUE(C->HasPopupWindow());
  SendMessageW(list->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(4, list->GetHeight(5) + 10));
  PumpMessages(1);
  EXPECT_TRUE(C->HasPopupWindow());
  TRect r = list->ItemRect(3);
  SendMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.Left + 4, r.Top + 2));
  SendMessageW(list->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(r.Left + 4, r.Top + 2));
  PumpMessages(2);
  EXPECT_FALSE(C->HasPopupWindow());
  EXPECT_EQ(C->CloseUpReason(), pcrAccept);
  EXPECT_EQ(C->Text(), "深圳");
}

TEST_F(ComboFixture, ThreeItemsMakeAThreeRowPopupWithoutScrollBar) {
  C->Properties()->Items()->Clear();
  for (const char* s : {"一", "二", "三"}) C->Properties()->Items()->Add(s);
  TSize size;
  C->SetDroppedDown(true);
  PumpMessages(4);
  ASSERT_TRUE(C->HasPopupWindow());
  C->GetPopupContentSize(size);
  TcxComboBoxListBox* list = List();
  EXPECT_EQ(size.cy, list->GetHeight(3));
  EXPECT_EQ(list->GetHeight(3), 3 * list->GetItemHeight(0));
  EXPECT_FALSE(GetWindowLongW(list->Handle(), GWL_STYLE) & WS_VSCROLL && list->VScrollBar() &&
               list->VScrollBar()->Visible());
  C->SetDroppedDown(false);
}

TEST_F(ComboFixture, RevertableDoubleClickCyclesAndRowsSnap) {
  C->Properties()->SetRevertable(true);
  C->SetItemIndexValue(4);
  EXPECT_EQ(C->Text(), "Beijing");
  C->DblClick();
  EXPECT_EQ(C->ItemIndex(), 0);
  C->DblClick();
  EXPECT_EQ(C->ItemIndex(), 1);

  // Resizing a sizeable popup snaps to whole rows and never past the last.
  C->Properties()->SetDropDownSizeable(true);
  C->SetDroppedDown(true);
  PumpMessages(4);
  ASSERT_TRUE(C->HasPopupWindow());
  TcxComboBoxListBox* list = List();
  Integer row = list->GetItemHeight(0);
  list->SetBounds(list->Left(), list->Top(), 150, 3 * row);
  struct Case {
    Integer Asked;
    Integer Snapped;
  };
  const Case cases[] = {{2 * row + row / 2, 3 * row}, {4 * row + row / 2, 4 * row}, {40 * row, 5 * row}, {3 * row, 3 * row}};
  for (const Case& c : cases) {
    TSize s{150, c.Asked};
    EXPECT_TRUE(C->LookupData()->FitsListSize(s, 0, 0));
    EXPECT_EQ(s.cy, c.Snapped) << c.Asked;
  }
  C->SetDroppedDown(false);
}

TEST_F(ComboFixture, OwnerDrawnAndMeasuredItems) {
  std::vector<Integer> drawn;
  C->Properties()->OnMeasureItem = [](TcxCustomComboBox*, Integer AIndex, TcxCanvas*, Integer& AHeight) {
    AHeight = AIndex == 0 ? 30 : 20;
  };
  C->Properties()->OnDrawItem = [&](TcxCustomComboBox* AControl, TcxCanvas* ACanvas, Integer AIndex,
                                    const TRect& R, TItemDrawState AState) {
    drawn.push_back(AIndex);
    ACanvas->Canvas()->FillRect(R);
    ACanvas->Canvas()->TextOut(R.Left + 16, R.Top + 2, AIndex >= 0 ? "● " + C->Properties()->Items()->Strings(AIndex) : "");
  };
  C->SetDroppedDown(true);
  PumpMessages(4);
  ASSERT_TRUE(C->HasPopupWindow());
  TcxComboBoxListBox* list = List();
  EXPECT_EQ(list->Style(), lbOwnerDrawVariable);
  EXPECT_EQ(list->GetHeight(3), 70);
  EXPECT_EQ(list->ItemRect(1).Top - list->ItemRect(0).Top, 30);
  EXPECT_FALSE(drawn.empty());
  WriteWindowPng(C->PopupWindow(), "cxComboBox_owner_drawn_list");
  C->SetDroppedDown(false);
  PumpMessages(2);

  // A focused fixed list draws its current item through the handler too.
  C->Properties()->SetDropDownListStyle(lsFixedList);
  C->SetItemIndexValue(2);
  drawn.clear();
  C->Invalidate();
  PumpMessages(2);
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), 2), drawn.end());
}

TEST(ComboBoxStreaming, FormFileSetsTheListSettings) {
  TForm form(nullptr);
  const String text =
      "object F: TForm\n"
      "  Left = 0\n"
      "  Top = 0\n"
      "  object cbKind: TcxComboBox\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    Properties.DropDownListStyle = lsFixedList\n"
      "    Properties.DropDownRows = 4\n"
      "    Properties.Items.Strings = (\n"
      "      '销售'\n"
      "      '退货')\n"
      "    Properties.MaxLength = 10\n"
      "    Properties.CharCase = ecUpperCase\n"
      "  end\n"
      "end\n";
  ReadComponentFromText(text, &form);
  auto* c = dynamic_cast<TcxComboBox*>(form.FindComponent("cbKind"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Properties()->DropDownListStyle(), lsFixedList);
  EXPECT_EQ(c->Properties()->DropDownRows(), 4);
  ASSERT_EQ(c->Properties()->Items()->Count(), 2);
  EXPECT_EQ(c->Properties()->Items()->Strings(1), "退货");
  EXPECT_EQ(c->Properties()->MaxLength(), 10);
  EXPECT_EQ(c->Properties()->CharCase(), ecUpperCase);
  EXPECT_EQ(c->Properties()->GetTextInputMode(), timFixedList);
}

TEST_F(ComboFixture, TypingOpensTheListWhichFollowsTheCompletion) {
  Type("广");
  PumpMessages(3);
  ASSERT_TRUE(C->HasPopupWindow());
  EXPECT_EQ(C->Text(), "广州");
  TcxComboBoxListBox* list = List();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->ItemIndex(), 2);
  // Typing on leaves the items: the edit types it and the list keeps open.
  Type("东");
  EXPECT_EQ(C->Text(), "广东");
  Key(VK_ESCAPE);
  EXPECT_FALSE(C->HasPopupWindow());
  EXPECT_EQ(C->Text(), "广东");
}

TEST_F(ComboFixture, WheelStepsThroughTheItemsWhileClosed) {
  C->SetItemIndexValue(1);
  RECT r;
  GetWindowRect(C->Handle(), &r);
  LPARAM at = MAKELPARAM(r.left + 5, r.top + 5);
  SendMessageW(C->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), at);
  EXPECT_EQ(C->ItemIndex(), 2);
  SendMessageW(C->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), at);
  SendMessageW(C->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), at);
  EXPECT_EQ(C->ItemIndex(), 0);
  EXPECT_EQ(C->Text(), "北京");
}
