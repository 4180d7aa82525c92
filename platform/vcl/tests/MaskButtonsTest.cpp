// Masked edits and glyph buttons.
#include <memory>
#include "Buttons.h"
#include "Forms.h"
#include "Mask.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {
struct MaskFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(120, 120, 300, 200);
    Form->Show();
    PumpMessages();
  }
  void Type(TWinControl* c, const char16_t* text) {
    for (const char16_t* p = text; *p; ++p) SendMessageW(c->Handle(), WM_CHAR, *p, 0);
  }
};
}  // namespace

TEST(MaskText, FormatsValuesThroughMasks) {
  struct Case {
    const char* Mask;
    const char* Value;
    const char* Expected;
  } cases[] = {
      {"0000-00-00;1;_", "20240229", "2024-02-29"},
      {"0000-00-00;1;_", "2024-02-29", "2024-02-29"},
      {"0000-00-00;0;_", "20240229", "20240229"},
      {">LL-000;0;_", "ab123", "AB123"},
      {"(999)000;1;_", "12", "(12 )"},
      {"\\0\\0-00;1;*", "12", "00-12"},
      {"", "anything", "anything"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatMaskText(c.Mask, c.Value), c.Expected) << c.Mask;
  TEditMaskInfo info("00:00;1; ");
  EXPECT_EQ(info.Length(), 5);
  EXPECT_TRUE(info.IsLiteral(2));
  EXPECT_EQ(info.BlankChar(), U' ');
  EXPECT_EQ(info.Accept(0, U'x'), 0u);
  EXPECT_EQ(info.Accept(0, U'7'), U'7');
}

TEST_F(MaskFixture, TypingFollowsTheMaskAndExitChecksRequiredCharacters) {
  auto* ed = new TMaskEdit(Form.get());
  ed->SetParent(Form.get());
  ed->SetEditMask("0000-00-00;1;_");
  EXPECT_EQ(ed->EditText(), "____-__-__");
  ed->SetFocus();
  PumpMessages();
  ed->SetSelStart(0);
  Type(ed, u"2024x05");   // a letter is refused; the literal is skipped
  EXPECT_EQ(ed->EditText(), "2024-05-__");
  EXPECT_EQ(ed->Text(), "2024-05-");
  SendMessageW(ed->Handle(), WM_CHAR, 8, 0);   // backspace blanks the last digit
  EXPECT_EQ(ed->EditText(), "2024-0_-__");
  // Leaving with required digits missing is refused.
  EXPECT_THROW(ed->Perform(CM_EXIT), EDBEditError);
  ed->SetText("2024-05-06");
  EXPECT_EQ(ed->EditText(), "2024-05-06");
  EXPECT_NO_THROW(ed->ValidateEdit());
  // Without a mask it is a plain edit.
  ed->SetEditMask("");
  EXPECT_EQ(ed->Text(), "2024-05-06");
  Type(ed, u"x");
  EXPECT_EQ(ed->MaxLength(), 0);
}

TEST_F(MaskFixture, SpeedButtonsOfAGroupKeepOneDownAndBitBtnKindsSetCaptions) {
  auto* a = new TSpeedButton(Form.get());
  auto* b = new TSpeedButton(Form.get());
  a->SetParent(Form.get());
  b->SetParent(Form.get());
  a->SetBounds(10, 10, 23, 22);
  b->SetBounds(40, 10, 23, 22);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  a->SetDown(true);
  SendMessageW(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 15));
  SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(45, 15));
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(clicks, 1);
  // Pressing the down button of a group without AllowAllUp keeps it down.
  SendMessageW(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 15));
  SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(45, 15));
  EXPECT_TRUE(b->Down());

  auto* ok = new TBitBtn(Form.get());
  ok->SetParent(Form.get());
  ok->SetBounds(10, 60, 80, 26);
  ok->SetKind(bkOK);
  EXPECT_EQ(ok->Caption(), "确定");
  EXPECT_EQ(ok->ModalResult(), mrOk);
  TBitmap glyph(16, 16, pf24bit);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(Rect(4, 4, 12, 12));
  ok->SetGlyph(&glyph);
  EXPECT_EQ(ok->Kind(), bkCustom);
  PumpMessages();
  // The glyph is drawn left of the caption, its transparent colour left out.
  bool red = false;
  for (int x = 2; x < 40 && !red; ++x)
    if (ClientPixel(ok, x, 13) == COLORREF(0x0000FF)) red = true;
  EXPECT_TRUE(red);
  WriteWindowPng(Form.get(), "buttons");
}
