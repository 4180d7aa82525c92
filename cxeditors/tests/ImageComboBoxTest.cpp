// The image combo box: the edit value is the selected item's value, an
// unknown value shows the default description, new items take the image
// of their position while the image list has one, and the list draws the
// images beside the descriptions.
#include <memory>

#include "Graphics.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxImageComboBox.h"
#include "gtest.h"

TEST(ImageComboBox, ItemsValuesAndImages) {
  auto Form = std::make_unique<TForm>(nullptr);
  Form->SetBounds(60, 60, 320, 260);
  auto Images = std::make_unique<TImageList>(nullptr);
  Images->SetWidth(16);
  Images->SetHeight(16);
  for (TColor C : {clRed, clGreen, clBlue}) {
    TBitmap B;
    B.SetSize(16, 16);
    B.Canvas()->Brush()->SetColor(C);
    B.Canvas()->FillRect(TRect(0, 0, 16, 16));
    Images->Add(&B, nullptr);
  }
  auto* E = new TcxImageComboBox(Form.get());
  E->SetAutoSize(false);
  E->SetBounds(10, 10, 180, 24);
  E->SetParent(Form.get());
  TcxImageComboBoxProperties* P = E->Properties();
  P->SetImages(Images.get());
  P->SetDefaultDescription("（无）");
  const char* Names[] = {"现金", "转账", "支票", "赊账"};
  for (Integer I = 0; I < 4; ++I) {
    TcxImageComboBoxItem* Item = P->Items()->Add();
    Item->SetDescription(Names[I]);
    Item->SetValue(Variant(Integer(I + 1)));
  }
  // Three images: the fourth item has none.
  EXPECT_EQ(P->Items()->Items(2)->ImageIndex(), 2);
  EXPECT_EQ(P->Items()->Items(3)->ImageIndex(), -1);
  Form->Show();
  PumpMessages(1);
  E->SetEditValue(Variant(Integer(2)));
  EXPECT_EQ(E->Text(), "转账");
  E->SetEditValue(Variant(Integer(9)));
  EXPECT_EQ(E->Text(), "（无）");
  EXPECT_EQ(E->EditValue().AsInteger(), 9);
  // Two items with one value: the first is shown.
  P->Items()->Items(3)->SetValue(Variant(Integer(1)));
  E->SetEditValue(Variant(Integer(1)));
  EXPECT_EQ(E->Text(), "现金");
  // Picking in the list gives the item's value.
  E->SetFocus();
  PumpMessages(1);
  SendMessageW(E->InnerTextEdit()->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  Variant V;
  E->GetEditingValue(V);
  ASSERT_GE(E->ItemIndex(), 0);
  EXPECT_EQ(V.AsInteger(), P->Items()->Items(E->ItemIndex())->Value().AsInteger());
  E->SetDroppedDown(true);
  PumpMessages(3);
  if (E->PopupWindow()) WriteWindowPng(E->PopupWindow(), "image_combo_box_list");
  E->SetDroppedDown(false);
  PumpMessages(1);
  WriteWindowPng(E, "image_combo_box");
  EXPECT_EQ(P->FindItemByText("支票"), P->Items()->Items(2));
  P->SetShowDescriptions(false);
  EXPECT_EQ(P->FindItemByText("支票"), nullptr);
  Form.reset();
}
