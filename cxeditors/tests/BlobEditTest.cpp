// The BLOB editor: what the box shows for each kind and style, and memo
// text edited in its popup, kept on F4 and dropped on Esc.
#include <memory>

#include "Forms.h"
#include "TestWindows.h"
#include "cxBlobEdit.h"
#include "gtest.h"

namespace {
void CALLBACK CloseStrayBlobPopups(HWND, UINT, UINT_PTR, DWORD) {
  while (TcxCustomPopupWindow::OpenPopupCount() > 0) TcxCustomPopupWindow::OpenPopup(0)->ClosePopup();
}

struct BlobFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxBlobEdit* B = nullptr;
  UINT_PTR Timer = 0;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 420, 320);
    B = new TcxBlobEdit(Form.get());
    B->SetBounds(20, 20, 180, 24);
    B->SetParent(Form.get());
    Form->Show();
    PumpMessages(2);
    B->SetFocus();
    PumpMessages(1);
    Timer = SetTimer(nullptr, 0, 4000, &CloseStrayBlobPopups);
  }
  void TearDown() override {
    KillTimer(nullptr, Timer);
    Form.reset();
    PumpMessages(1);
  }
  void PostKey(HWND H, Word K) {
    PostMessageW(H, WM_KEYDOWN, K, 1);
    PostMessageW(H, WM_KEYUP, K, 0xC0000001);
  }
};
}  // namespace

TEST(BlobEditProperties, BoxTextAndIconPerKindAndStyle) {
  TcxBlobEditProperties p;
  Variant memo(String("第一行\r\n第二行"));
  struct Case {
    TcxBlobEditKind Kind;
    TcxBlobPaintStyle Style;
    Variant Value;
    String Text;
    Integer Icon;
  } cases[] = {
      {bekMemo, bpsDefault, Null(), "(memo)", -1},
      {bekMemo, bpsDefault, memo, "(MEMO)", -1},
      {bekPict, bpsDefault, Null(), "(picture)", -1},
      {bekPict, bpsDefault, Variant(String("data")), "(PICTURE)", -1},
      {bekOle, bpsDefault, Variant(String("data")), "", -1},
      {bekMemo, bpsText, memo, "第一行", -1},
      {bekMemo, bpsIcon, Null(), "", 2},
      {bekMemo, bpsIcon, memo, "", 3},
      {bekPict, bpsIcon, Variant(String()), "", 4},
      {bekOle, bpsIcon, Variant(String("x")), "", 7},
      {bekBlob, bpsIcon, Variant(String("x")), "", 1},
  };
  for (const Case& c : cases) {
    p.SetBlobEditKind(c.Kind);
    p.SetBlobPaintStyle(c.Style);
    EXPECT_EQ(p.GetBoxText(c.Value), c.Text) << int(c.Kind) << int(c.Style);
    EXPECT_EQ(p.GetIconIndex(c.Value), c.Icon) << int(c.Kind) << int(c.Style);
  }
  // Unbound, an automatic kind becomes binary.
  TcxBlobEditProperties a;
  EXPECT_EQ(a.ResolveAutoKind(), bekBlob);
  EXPECT_EQ(a.GetDisplayText(Variant(String("x"))), "BLOB");
  EXPECT_EQ(a.GetDisplayText(Null()), "");
  a.SetBlobEditKind(bekMemo);
  EXPECT_EQ(a.GetDisplayText(memo, true), "第一行\r\n第二行");
}

TEST_F(BlobFixture, MemoEditedInThePopupIsKeptOnF4AndDroppedOnEsc) {
  B->Properties()->SetBlobEditKind(bekMemo);
  B->SetEditValue(Variant(String("第一行\r\n第二行")));
  PumpMessages(1);
  WriteWindowPng(B, "cxBlobEdit_memo_icon");
  bool opened = false;
  struct Round {
    Word CloseKey;
    bool Kept;
  };
  for (const Round& r : {Round{VK_ESCAPE, false}, Round{VK_F4, true}}) {
    opened = false;
    B->Properties()->OnPopup = [&](TObject*) {
      opened = true;
      auto* memo = dynamic_cast<TcxPopupMemo*>(B->PopupContent());
      ASSERT_NE(memo, nullptr);
      EXPECT_EQ(memo->Text(), "第一行\r\n第二行");
      HWND inner = memo->InnerTextEdit()->Handle();
      PostMessageW(inner, WM_CHAR, WPARAM(U'新'), 1);
      PostKey(inner, r.CloseKey);
    };
    B->SetDroppedDown(true);
    PumpMessages(3);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(B->DroppedDown());
    String value = VarToStr(B->EditValue());
    EXPECT_EQ(value.find("新") != String::npos, r.Kept) << value;
    EXPECT_NE(value.find("第二行"), String::npos);
  }
  EXPECT_TRUE(B->EditModified());
  B->Properties()->SetBlobPaintStyle(bpsText);
  PumpMessages(1);
  WriteWindowPng(B, "cxBlobEdit_memo_text");
}
