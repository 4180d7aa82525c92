// The pocket calculator: key sequences typed as characters and keys, the
// error state, memory keys, precision, paste, a display that is no number,
// sizing, and clicks on the drawn keys.
#include <memory>

#include "Clipbrd.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxCalc.h"
#include "gtest.h"

namespace {
struct CalculatorFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxCalculator* Calc = nullptr;
  Integer Results = 0;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(50, 50, 320, 260);
    Calc = new TcxCalculator(Form.get());
    Calc->SetParent(Form.get());
    Calc->SetBeepOnError(false);
    Calc->OnResult = [this](TObject*) { ++Results; };
    Form->Show();
    Calc->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  // Types a sequence: characters go as WM_CHAR; "sqrt", "C", "CE", "MS",
  // "MR", "MC", "M+", "+/-", "1/x" as their keys.
  String Type(std::initializer_list<const char*> Keys) {
    for (const char* K : Keys) {
      const String S = K;
      const TcxCalcKey Named = S == "sqrt" ? cxckSqrt : S == "C" ? cxckC : S == "CE" ? cxckCE : S == "MS" ? cxckMS
                             : S == "MR" ? cxckMR : S == "MC" ? cxckMC : S == "M+" ? cxckMPlus : S == "+/-" ? cxckSign
                             : S == "1/x" ? cxckRev : cxckNone;
      if (Named != cxckNone) {
        Calc->DoKeyAction(Named);
        continue;
      }
      for (char Ch : S) {
        SendMessageW(Calc->Handle(), WM_CHAR, WPARAM(Ch), 0);
        SendMessageW(Calc->Handle(), WM_KEYUP, 0, 0);
      }
    }
    return Calc->Text();
  }
};
}  // namespace

TEST_F(CalculatorFixture, KeySequences) {
  struct Case {
    std::initializer_list<const char*> Keys;
    const char* Shown;
  };
  const Case cases[] = {
      {{"1", "+", "2", "="}, "3"},
      {{"1", "+", "2", "=", "="}, "3"},
      {{"200", "+", "10", "%"}, "220"},
      {{"50", "*", "10", "%"}, "5"},
      {{"9", "sqrt"}, "3"},
      {{"4", "+", "9", "sqrt", "="}, "7"},
      {{"7", "-", "10", "="}, "-3"},
      {{"1", ".", "5", "*", "4", "="}, "6"},
      {{"12", "\b"}, "1"},
      {{"-", "5", "\b"}, "0"},
      {{"8", "1/x"}, "0.125"},
      {{"6", "+/-"}, "-6"},
  };
  for (const Case& c : cases) {
    Type({"C"});
    EXPECT_EQ(Type(c.Keys), c.Shown) << *c.Keys.begin();
  }
  EXPECT_GE(Results, 1);
  WriteWindowPng(Calc, "calculator");
}

TEST_F(CalculatorFixture, ErrorsStickUntilCleared) {
  const String Error = cxCalcErrorText();
  EXPECT_EQ(Type({"1", "/", "0", "="}), Error);
  EXPECT_EQ(Calc->Status(), 2);
  EXPECT_EQ(Type({"5"}), Error);
  EXPECT_EQ(Type({"C"}), "0");
  EXPECT_EQ(Type({"4", "+/-", "sqrt"}), Error);
  EXPECT_EQ(Type({"CE", "0", "1/x"}), Error);
  Type({"C"});
  EXPECT_EQ(Calc->Status(), 0);
}

TEST_F(CalculatorFixture, ADisplayThatIsNoNumberIsTheErrorState) {
  // The host may put any text in the display; reading it must not throw.
  Calc->SetDisplayText("abc");
  EXPECT_EQ(Calc->GetValue(), 0);
  EXPECT_EQ(Calc->Status(), 2);
  EXPECT_EQ(Calc->Text(), cxCalcErrorText());
  EXPECT_NO_THROW(Type({"+", "1", "="}));
  EXPECT_EQ(Calc->Text(), cxCalcErrorText());
  EXPECT_EQ(Type({"C", "2", "*", "3", "="}), "6");
}

TEST_F(CalculatorFixture, MemoryKeysAndPrecision) {
  Type({"C", "0", "MS"});
  EXPECT_TRUE(Calc->Key(cxckMC).Disabled);
  EXPECT_TRUE(Calc->Key(cxckMR).Disabled);
  Type({"7", "MS"});
  EXPECT_FALSE(Calc->Key(cxckMR).Disabled);
  Type({"3", "M+", "C"});
  EXPECT_EQ(Calc->Memory(), 10);
  EXPECT_EQ(Type({"MR", "5"}), "105");  // recall starts a number digits extend
  Type({"MC"});
  EXPECT_TRUE(Calc->Key(cxckMR).Disabled);
  // Fifteen digits, a sixteenth is dropped; a minus sign allows one more.
  Type({"C", "123456789012345", "6"});
  EXPECT_EQ(Calc->Text(), "123456789012345");
  Calc->SetDisplayText("-12345678901234");
  Type({"5", "6"});
  EXPECT_EQ(Calc->Text(), "-123456789012345");
}

TEST_F(CalculatorFixture, PasteTakesNumbersWithoutTheCurrencySign) {
  Clipboard()->SetAsText("￥1,234.5");
  SendMessageW(Calc->Handle(), WM_CHAR, 22, 0);
  EXPECT_EQ(Calc->Text(), "1234.5");
  EXPECT_EQ(Calc->Status(), 1);
  Clipboard()->SetAsText("many");
  Calc->PasteFromClipboard();
  EXPECT_EQ(Calc->Text(), "0");
  Calc->SetDisplayText("42");
  SendMessageW(Calc->Handle(), WM_CHAR, 3, 0);
  EXPECT_EQ(Clipboard()->AsText(), "42");
}

TEST_F(CalculatorFixture, SizeFollowsTheKeyHeightAndClicksRunKeys) {
  EXPECT_EQ(Calc->ClientWidth(), Calc->CalcWidth());
  EXPECT_EQ(Calc->ClientHeight(), Calc->CalcHeight());
  EXPECT_EQ(Calc->KeyHeight(), 22);
  Calc->SetBounds(0, 0, 400, 300);
  EXPECT_GT(Calc->KeyHeight(), 22);
  EXPECT_EQ(Calc->ClientHeight(), 5 * Calc->KeyHeight() + 6 * MulDiv(Calc->KeyHeight(), 3, 22));
  // "C" ends where "=" ends; the keys do not overlap.
  EXPECT_EQ(Calc->Key(cxckC).Bounds.Right, Calc->Key(cxckEqual).Bounds.Right);
  EXPECT_LT(Calc->Key(cxckBack).Bounds.Right, Calc->Key(cxckCE).Bounds.Left);
  auto ClickKey = [&](TcxCalcKey K) {
    const TRect R = Calc->Key(K).Bounds;
    const LPARAM P = MAKELPARAM((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    SendMessageW(Calc->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, P);
    SendMessageW(Calc->Handle(), WM_LBUTTONUP, 0, P);
  };
  Type({"C"});
  ClickKey(cxck4);
  ClickKey(cxckMul);
  ClickKey(cxck5);
  ClickKey(cxckEqual);
  EXPECT_EQ(Calc->Text(), "20");
  // Released away from the key: nothing.
  const TRect R = Calc->Key(cxck9).Bounds;
  SendMessageW(Calc->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(R.Left + 2, R.Top + 2));
  SendMessageW(Calc->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(R.Right + 40, R.Top + 2));
  EXPECT_EQ(Calc->Text(), "20");
  PumpMessages(1);
  WriteWindowPng(Calc, "calculator_large");
}
