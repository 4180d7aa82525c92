// The calculator: its form file, the key sequences of the state machine,
// the wheel, the clipboard and the drop-down's talk with its owner.
#include <memory>
#include <vector>
#include "CalculatorEh.h"
#include "Clipbrd.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "TestPng.h"
#include "gtest.h"

namespace {

// Types a key sequence: every character is one key; "\b" is Backspace,
// "\r" Enter, "\x1b" Escape.
void Type(TCalculatorEh& c, const String& keys) {
  for (char k : keys) c.CalcKey(char32_t(static_cast<unsigned char>(k)));
}

TEST(Calculator, FormFileGivesKeysAndDisplay) {
  TCalculatorEh c;
  ASSERT_NE(c.TextBox, nullptr);
  ASSERT_NE(c.spEqual, nullptr);
  EXPECT_EQ(c.DisplayText(), "0");
  EXPECT_EQ(c.spEqual->Caption(), "Ok");
  int keys = 0;
  for (Integer i = 0; i < c.ComponentCount(); ++i)
    if (auto* k = dynamic_cast<TSpeedButtonEh*>(c.Components(i))) {
      ++keys;
      EXPECT_EQ(k->Style(), ebsGlyphEh);
      EXPECT_TRUE(k->Active());
    }
  EXPECT_EQ(keys, 23);
  EXPECT_EQ(c.ClientWidth(), 184);
  EXPECT_EQ(c.ClientHeight(), 127);
  // A key of the form sends its character.
  auto* seven = dynamic_cast<TSpeedButtonEh*>(c.FindComponent("SpeedButton1"));
  ASSERT_NE(seven, nullptr);
  seven->Click();
  EXPECT_EQ(c.DisplayText(), "7");
  EXPECT_EQ(TCalculatorEh::KeyOfTag(18), char32_t(8));
  EXPECT_EQ(TCalculatorEh::KeyOfTag(12), U'A');
}

TEST(Calculator, KeySequences) {
  struct {
    const char* Keys;
    const char* Display;
    const char* Equals;
  } cases[] = {
      {"12+30=", "42", "Ok"},
      {"7+2", "2", "="},
      {"7+2=", "9", "Ok"},
      {"5+10%", "5.5", "Ok"},
      {"50*10%", "5", "Ok"},
      {"0+", "0", "Ok"},              // no operand: Enter would accept
      {"1/0=", "Error", "Ok"},
      {"1/0=12+\x1b", "Error", "Ok"},  // only C leaves the error state
      {"1/0=C", "0", "Ok"},
      {"12\b", "1", "Ok"},
      {"5I\b", "0", "Ok"},            // "-5" less one character
      {"1..5", "1.5", "Ok"},
      {"1234567890123456", "123456789012345", "Ok"},
      {"123456789012345I6", "-123456789012345", "Ok"},
      {"0R", "Error", "Ok"},
      {"4S", "2", "Ok"},
      {"4IS", "Error", "Ok"},
      {"9R", "0.111111111111111", "Ok"},
      {"3*4-2=", "10", "Ok"},
      {"8/2*", "4", "Ok"},
      {"2A", "2", "Ok"},              // the Cancel key does nothing
  };
  for (const auto& c : cases) {
    TCalculatorEh calc;
    Type(calc, c.Keys);
    EXPECT_EQ(calc.DisplayText(), c.Display) << c.Keys;
    EXPECT_EQ(calc.spEqual->Caption(), c.Equals) << c.Keys;
  }
}

TEST(Calculator, WheelAndDelete) {
  TCalculatorEh c;
  Type(c, "2.5");
  c.DoMouseWheelUp({}, {0, 0});
  EXPECT_EQ(c.DisplayText(), "3.5");
  c.DoMouseWheelDown({}, {0, 0});
  c.DoMouseWheelDown({}, {0, 0});
  EXPECT_EQ(c.DisplayText(), "1.5");
  Type(c, "R0R");
  EXPECT_EQ(c.DisplayText(), "Error");
  c.DoMouseWheelUp({}, {0, 0});
  EXPECT_EQ(c.DisplayText(), "Error");
  Word del = VK_DELETE;
  c.KeyDown(del, {});
  EXPECT_EQ(c.DisplayText(), "0");
  EXPECT_EQ(c.Status(), 0);
}

TEST(Calculator, Clipboard) {
  TCalculatorEh c;
  Type(c, "42");
  c.CalcKey(3);
  EXPECT_EQ(Clipboard()->AsText(), "42");
  Clipboard()->SetAsText(" 3.25 ");
  c.CalcKey(22);
  EXPECT_EQ(c.DisplayText(), "3.25");
  // A display in exponent form takes no more digits.
  TCalculatorEh e;
  Type(e, "1");
  Clipboard()->SetAsText("1E20");
  e.CalcKey(22);
  String shown = e.DisplayText();
  EXPECT_NE(shown.find('E'), String::npos) << shown;
  Type(e, "5");
  EXPECT_EQ(e.DisplayText(), shown);
  // Not a number: the conversion error, and the display is unchanged.
  Clipboard()->SetAsText("abc");
  EXPECT_THROW(c.CalcKey(22), EConvertError);
  EXPECT_EQ(c.DisplayText(), "3.25");
}

// An owner of the drop-down that records its close-ups.
struct TCalcOwner : TComponent, IPopupOwnerEh {
  std::vector<bool> Closes;
  void CloseUp(bool Accept) override { Closes.push_back(Accept); }
};

TEST(Calculator, DropDownTalksToItsOwner) {
  TCalcOwner owner;
  auto* popup = new TPopupCalculatorEh(&owner);
  EXPECT_FALSE(popup->CanFocus());
  popup->SetValue(Variant(7.0));
  EXPECT_EQ(popup->DisplayText(), "7");
  EXPECT_TRUE(popup->ResultReady());
  // Enter with an operation pending computes and stays open.
  popup->CalcKey(U'+');
  popup->CalcKey(U'2');
  EXPECT_FALSE(popup->ResultReady());
  popup->CalcKey(13);
  EXPECT_EQ(popup->DisplayText(), "9");
  EXPECT_TRUE(owner.Closes.empty());
  // A second Enter accepts.
  popup->CalcKey(13);
  EXPECT_EQ(owner.Closes, std::vector<bool>{true});
  EXPECT_DOUBLE_EQ(popup->GetValue().AsDouble(), 9.0);
  Word esc = VK_ESCAPE;
  popup->KeyDown(esc, {});
  EXPECT_EQ(esc, 0);
  EXPECT_EQ(owner.Closes, (std::vector<bool>{true, false}));
  popup->Perform(CM_CLOSEUP_EH);
  EXPECT_EQ(owner.Closes.size(), 3u);
  // Pop-up window that is never activated by a click.
  popup->HandleNeeded();
  EXPECT_EQ(popup->Perform(WM_MOUSEACTIVATE), LRESULT(MA_NOACTIVATE));
  EXPECT_TRUE(GetWindowLongW(popup->Handle(), GWL_STYLE) & WS_POPUP);
  EXPECT_EQ(GetWindowLongW(popup->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
  popup->SetFlat(false);
  EXPECT_FALSE(popup->spEqual->Flat());
  // The error state reads as no value.
  popup->CalcKey(U'C');
  popup->CalcKey(U'0');
  popup->CalcKey(U'R');
  EXPECT_TRUE(popup->GetValue().IsNull());
}

TEST(Calculator, WritesPng) {
  TForm form(nullptr);
  form.SetBounds(10, 10, 260, 200);
  auto* c = new TCalculatorEh(&form);
  c->SetParent(&form);
  c->SetBorderStyle(bsSingle);
  form.Show();
  Type(*c, "123.5+4");
  c->Repaint();
  TBitmap shot;
  shot.SetSize(c->Width(), c->Height());
  HDC dc = GetWindowDC(c->Handle());
  BitBlt(shot.Canvas()->Handle(), 0, 0, c->Width(), c->Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(c->Handle(), dc);
  WriteTestPng(&shot, "calculator");
  form.Hide();
}

}  // namespace
