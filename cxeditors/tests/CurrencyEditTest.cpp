// The currency editor: "￥" display, typed characters limited by the
// decimal places, Null and NullString, bounds on Value.
#include <memory>

#include "TestPng.h"
#include "TestWindows.h"
#include "cxCurrencyEdit.h"
#include "gtest.h"

namespace {
struct CurrencyFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxCurrencyEdit* E = nullptr;
  TcxCurrencyEdit* Other = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 360, 120);
    E = new TcxCurrencyEdit(Form.get());
    E->SetAutoSize(false);
    E->SetBounds(10, 10, 150, 24);
    E->SetParent(Form.get());
    Other = new TcxCurrencyEdit(Form.get());
    Other->SetAutoSize(false);
    Other->SetBounds(180, 10, 150, 24);
    Other->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
    Leave();
  }
  void TearDown() override { Form.reset(); }
  void Type(const String& S) {
    for (char C : S) SendMessageW(E->InnerTextEdit()->Handle(), WM_CHAR, WPARAM(C), 0);
  }
  void Leave() {
    Other->SetFocus();
    PumpMessages(1);
  }
};
}  // namespace

TEST_F(CurrencyFixture, ShowsTheCurrencyFormat) {
  E->SetValue(1234.5);
  PumpMessages(1);
  EXPECT_EQ(E->Text(), "￥1,234.50");
  EXPECT_EQ(E->Properties()->DecimalPlaces(), 2);
  E->Properties()->SetDisplayFormat("0.000");
  EXPECT_EQ(E->Text(), "1234.500");
  WriteWindowPng(E, "currency_edit");
}

TEST_F(CurrencyFixture, TypingIsLimitedByTheDecimalPlaces) {
  E->SetFocus();
  PumpMessages(1);
  Type("-12,345");   // ',' becomes the decimal separator; a third decimal is refused
  EXPECT_EQ(E->Text(), "-12.34");
  // Digits after an exponent are no decimals.
  EXPECT_TRUE(E->Properties()->IsValidCurrencyText("1.25e123"));
  EXPECT_FALSE(E->Properties()->IsValidCurrencyText("1.255"));
  E->SetText("");
  Type("x");
  EXPECT_EQ(E->Text(), "");
  Type("-");
  EXPECT_EQ(E->Text(), "-");
  E->SetText("");
  Type("8.5");
  Leave();
  EXPECT_EQ(E->Value(), 8.5);
}

TEST_F(CurrencyFixture, NullStringAndNullable) {
  E->Properties()->SetNullString("未填");
  E->SetEditValue(Variant::Null());
  EXPECT_EQ(E->Text(), "未填");
  E->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(E->Text(), "");
  E->SetText("未填");
  Leave();
  EXPECT_TRUE(VarIsNull(E->EditValue()));
  E->Properties()->SetNullable(false);
  E->SetFocus();
  PumpMessages(1);
  E->SetText("5");
  E->SetText("");
  Leave();
  EXPECT_EQ(E->Value(), 0);
  EXPECT_FALSE(VarIsNull(E->EditValue()));
}

TEST_F(CurrencyFixture, OnlyTheMinimumBound) {
  E->Properties()->SetMinValue(10);
  E->SetValue(5);
  EXPECT_EQ(E->Value(), 10);
  E->SetValue(500);
  EXPECT_EQ(E->Value(), 500);
  double V;
  EXPECT_TRUE(cxStrToCurrencyValue("1,000.25", V));
  EXPECT_EQ(V, 1000.25);
  EXPECT_FALSE(cxStrToCurrencyValue("1e999", V));
}
