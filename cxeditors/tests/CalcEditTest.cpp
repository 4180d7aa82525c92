// The calculator editor: keys typed in its drop-down calculator change the
// editor's text, Enter takes the result, Esc closes, "=" closes with
// QuickClose, and the number display follows Precision and
// ScientificFormat.
#include <memory>

#include "Clipbrd.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxCalc.h"
#include "gtest.h"

namespace {
void PostKey(Word Key) {
  HWND W = GetFocus();
  PostMessageW(W, WM_KEYDOWN, Key, 1);
  PostMessageW(W, WM_KEYUP, Key, LPARAM(0xC0000001));
  PumpMessages(3);
}
void PostChars(const char* S) {
  for (; *S; ++S) {
    PostMessageW(GetFocus(), WM_CHAR, WPARAM(*S), 1);
    PostMessageW(GetFocus(), WM_KEYUP, 0, LPARAM(0xC0000001));
  }
  PumpMessages(3);
}

struct CalcEditFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxCalcEdit* E = nullptr;
  TcxCalcEdit* Other = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 420, 320);
    E = new TcxCalcEdit(Form.get());
    E->SetBounds(10, 10, 160, 24);
    E->SetParent(Form.get());
    E->Properties()->SetBeepOnError(false);
    Other = new TcxCalcEdit(Form.get());
    Other->SetBounds(220, 10, 160, 24);
    Other->SetParent(Form.get());
    Form->Show();
    E->SetFocus();
    PumpMessages(2);
  }
  void TearDown() override { Form.reset(); }
};
}  // namespace

TEST_F(CalcEditFixture, ThePopupCalculatorWorksOnTheText) {
  PostKey(VK_F4);
  ASSERT_TRUE(E->DroppedDown());
  PostChars("12+30");
  EXPECT_EQ(E->Text(), "30");
  WriteWindowPng(E->PopupWindow(), "calc_edit_dropdown");
  PostKey(VK_RETURN);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(E->Text(), "42");
  Other->SetFocus();
  PumpMessages(2);
  EXPECT_EQ(E->Value(), 42);
  // "=" with QuickClose closes at once.
  E->Properties()->SetQuickClose(true);
  E->SetFocus();
  PumpMessages(1);
  PostKey(VK_F4);
  ASSERT_TRUE(E->DroppedDown());
  PostChars("*2=");
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(E->Text(), "84");
  // Esc closes without computing more.
  PostKey(VK_F4);
  PostKey(VK_ESCAPE);
  EXPECT_FALSE(E->DroppedDown());
}

TEST_F(CalcEditFixture, DisplayFollowsPrecisionAndScientificFormat) {
  Variant D;
  E->Properties()->PrepareDisplayValue(Variant(1234.5), D, false);
  EXPECT_EQ(VarToStr(D), "1234.5");
  E->Properties()->SetScientificFormat(true);
  E->Properties()->PrepareDisplayValue(Variant(1234.5), D, false);
  EXPECT_EQ(VarToStr(D), "1.2345E+3");
  E->Properties()->PrepareDisplayValue(Variant(1000.0), D, false);
  EXPECT_EQ(VarToStr(D), "1E+3");
  Variant V;
  EXPECT_TRUE(E->Properties()->TextToValue("  ", V));
  EXPECT_TRUE(VarIsNull(V));
  EXPECT_FALSE(E->Properties()->TextToValue("12x", V));
}

TEST_F(CalcEditFixture, TypingKeepsTheTextANumber) {
  struct Case {
    const char* Typed;
    const char* Shown;
  };
  const Case cases[] = {
      {"12a3", "123"},      // letters are dropped
      {"-5", "-5"},         // a lone minus starts a number
      {"1,5", "1.5"},       // a comma is the decimal separator
      {"1.2.3", "1.23"},    // a second separator is dropped
      {"7-", "7"},          // a minus after digits is no number
  };
  for (const Case& c : cases) {
    E->SetText("");
    for (const char* S = c.Typed; *S; ++S) SendMessageW(E->InnerTextEdit()->Handle(), WM_CHAR, WPARAM(*S), 1);
    EXPECT_EQ(E->Text(), c.Shown) << c.Typed;
  }
  // Pasting goes through the calculator: a currency sign is dropped.
  Clipboard()->SetAsText("￥1234.5");
  E->PasteFromClipboard();
  EXPECT_EQ(E->Text(), "1234.5");
  Clipboard()->SetAsText("abc");
  E->PasteFromClipboard();
  EXPECT_EQ(E->Text(), "0");
}
