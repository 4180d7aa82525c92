// The button editor: one default ellipsis button; clicks and Ctrl+Enter
// report the button's index.
#include <memory>
#include <vector>

#include "FormFile.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxButtonEdit.h"
#include "gtest.h"

TEST(ButtonEdit, ClicksReportTheButtonIndex) {
  auto Form = std::make_unique<TForm>(nullptr);
  Form->SetBounds(60, 60, 300, 100);
  auto* E = new TcxButtonEdit(Form.get());
  E->SetAutoSize(false);
  E->SetBounds(10, 10, 200, 24);
  E->SetParent(Form.get());
  ASSERT_EQ(E->Properties()->Buttons()->Count(), 1);
  EXPECT_EQ(E->Properties()->Buttons()->Items(0)->Kind(), bkEllipsis);
  EXPECT_TRUE(E->Properties()->Buttons()->Items(0)->Default());
  E->Properties()->Buttons()->Add()->SetKind(bkDown);
  std::vector<Integer> Clicks;
  E->Properties()->OnButtonClick = [&](TObject*, Integer I) { Clicks.push_back(I); };
  Form->Show();
  E->SetFocus();
  PumpMessages(1);
  // Ctrl+Enter clicks the default button.
  BYTE State[256];
  GetKeyboardState(State);
  State[VK_CONTROL] = 0x80;
  SetKeyboardState(State);
  SendMessageW(E->InnerTextEdit()->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  State[VK_CONTROL] = 0;
  SetKeyboardState(State);
  ASSERT_EQ(Clicks.size(), 1u);
  EXPECT_EQ(Clicks[0], 0);
  // A click on each drawn button.
  TcxCustomEditViewInfo* VI = E->GetViewInfo();
  ASSERT_EQ(VI->ButtonCount(), 2);
  for (Integer I = 0; I < VI->ButtonCount(); ++I) {
    const TRect R = VI->ButtonsInfo[I]->Bounds;
    const LPARAM P = MAKELPARAM((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    SendMessageW(E->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, P);
    SendMessageW(E->Handle(), WM_LBUTTONUP, 0, P);
  }
  ASSERT_EQ(Clicks.size(), 3u);
  EXPECT_EQ((std::vector<Integer>{Clicks[1], Clicks[2]}), (std::vector<Integer>{VI->ButtonsInfo[0]->ButtonIndex, VI->ButtonsInfo[1]->ButtonIndex}));
  PumpMessages(1);
  WriteWindowPng(E, "button_edit");
}

TEST(ButtonEdit, AFormKeepsExactlyItsStoredButtons) {
  TForm Form(nullptr);
  ReadComponentFromText(
      "object Form1: TForm\n"
      "  object beCustomer: TcxButtonEdit\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    Properties.Buttons = <\n"
      "      item\n"
      "        Kind = bkGlyph\n"
      "      end\n"
      "      item\n"
      "        Kind = bkText\n"
      "        Caption = '清除'\n"
      "      end>\n"
      "  end\n"
      "end\n",
      &Form);
  auto* E = dynamic_cast<TcxButtonEdit*>(Form.FindComponent("beCustomer"));
  ASSERT_NE(E, nullptr);
  ASSERT_EQ(E->Properties()->Buttons()->Count(), 2);
  EXPECT_EQ(E->Properties()->Buttons()->Items(0)->Kind(), bkGlyph);
  EXPECT_EQ(E->Properties()->Buttons()->Items(1)->Caption(), "清除");
}
