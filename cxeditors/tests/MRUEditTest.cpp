// The MRU editor: confirmed texts move to the top, the list is cut to
// MaxItemCount, and the ellipsis button is the default button.
#include <memory>
#include <vector>

#include "TestPng.h"
#include "TestWindows.h"
#include "cxMRUEdit.h"
#include "gtest.h"

namespace {
struct MRUFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxMRUEdit* E = nullptr;
  std::vector<Integer> Deleted;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 320, 100);
    E = new TcxMRUEdit(Form.get());
    E->SetAutoSize(false);
    E->SetBounds(10, 10, 200, 24);
    E->SetParent(Form.get());
    E->Properties()->OnDeleteLookupItem = [this](TcxCustomMRUEditProperties*, Integer I) { Deleted.push_back(I); };
    Form->Show();
    E->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  String Items() {
    String S;
    TStringList* L = E->Properties()->LookupItems();
    for (Integer I = 0; I < L->Count(); ++I) S += (I ? "," : "") + L->Strings(I);
    return S;
  }
  void Confirm(const String& Text) {
    E->SetText(Text);
    SendMessageW(E->InnerTextEdit()->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  }
};
}  // namespace

TEST_F(MRUFixture, ConfirmedTextsGoToTheTop) {
  E->Properties()->SetMaxItemCount(3);
  Confirm("北京");
  Confirm("上海");
  Confirm("广州");
  EXPECT_EQ(Items(), "广州,上海,北京");
  Confirm("深圳");   // a fourth: the last goes
  EXPECT_EQ(Items(), "深圳,广州,上海");
  EXPECT_EQ(Deleted, std::vector<Integer>{3});
  Confirm("上海");   // already there: moves up
  EXPECT_EQ(Items(), "上海,深圳,广州");
  Confirm("上海");
  EXPECT_EQ(Items(), "上海,深圳,广州");
  Deleted.clear();
  E->Properties()->LookupItems()->Add("a");
  E->Properties()->LookupItems()->Add("b");
  E->Properties()->SetMaxItemCount(2);
  EXPECT_EQ(Deleted, (std::vector<Integer>{4, 3, 2}));
  EXPECT_EQ(Items(), "上海,深圳");
  WriteWindowPng(E, "mru_edit");
}

TEST_F(MRUFixture, TheEllipsisIsTheDefaultButton) {
  Integer Clicks = 0;
  E->Properties()->OnButtonClick = [&](TObject* Sender) {
    EXPECT_EQ(Sender, E);
    ++Clicks;
  };
  ASSERT_EQ(E->Properties()->Buttons()->Count(), 2);
  EXPECT_EQ(E->Properties()->Buttons()->Items(1)->Kind(), bkEllipsis);
  BYTE State[256];
  GetKeyboardState(State);
  State[VK_CONTROL] = 0x80;
  SetKeyboardState(State);
  SendMessageW(E->InnerTextEdit()->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  State[VK_CONTROL] = 0;
  SetKeyboardState(State);
  EXPECT_EQ(Clicks, 1);
  E->Properties()->SetShowEllipsis(false);
  EXPECT_FALSE(E->Properties()->Buttons()->Items(1)->Visible());
}

TEST_F(MRUFixture, TheGlyphButtonAndPickedItems) {
  // Without the ellipsis the drop-down button keeps its arrow until a glyph
  // is given; the glyph then shows on it.
  TcxMRUEditProperties* P = E->Properties();
  P->SetShowEllipsis(false);
  EXPECT_EQ(P->Buttons()->Items(0)->Kind(), bkDown);
  TBitmap Glyph;
  Glyph.SetSize(8, 8);
  P->SetButtonGlyph(&Glyph);
  EXPECT_EQ(P->Buttons()->Items(0)->Kind(), bkGlyph);
  P->SetShowEllipsis(true);
  EXPECT_EQ(P->Buttons()->Items(1)->Kind(), bkGlyph);
  EXPECT_EQ(P->Buttons()->Items(0)->Kind(), bkDown);
  // An item picked in the open list moves to the top; stepping through the
  // closed box with the keys does not reorder the list.
  for (const char* S : {"c", "b", "a"}) P->LookupItems()->Add(S);
  SendMessageW(E->InnerTextEdit()->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(Items(), "c,b,a");
  E->SetDroppedDown(true);
  PumpMessages(3);
  ASSERT_NE(E->ListBox(), nullptr);
  E->ListBox()->SetItemIndex(2);
  E->CloseUp(pcrAccept);
  PumpMessages(1);
  EXPECT_EQ(E->Text(), "a");
  EXPECT_EQ(Items(), "a,c,b");
}
