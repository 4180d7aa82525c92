// The image combo box: the edit value is the selected item's value, an
// unknown value shows the default description, new items take the image
// of their position while the image list has one, and the list draws the
// images beside the descriptions.
#include <cstdlib>
#include <memory>

#include "FormFile.h"
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

namespace {
std::unique_ptr<TImageList> MakeImages(Integer ASize, std::initializer_list<TColor> AColors) {
  auto Images = std::make_unique<TImageList>(nullptr);
  Images->SetWidth(ASize);
  Images->SetHeight(ASize);
  for (TColor C : AColors) {
    TBitmap B;
    B.SetSize(ASize, ASize);
    B.Canvas()->Brush()->SetColor(C);
    B.Canvas()->FillRect(TRect(0, 0, ASize, ASize));
    Images->Add(&B, nullptr);
  }
  return Images;
}

struct ImageComboFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  std::unique_ptr<TImageList> Images = MakeImages(16, {clRed, clLime, clBlue});
  TcxImageComboBox* E = nullptr;
  TcxImageComboBoxProperties* P = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 360, 300);
    E = new TcxImageComboBox(Form.get());
    E->SetAutoSize(false);
    E->SetBounds(10, 10, 200, 24);
    E->SetParent(Form.get());
    P = E->Properties();
    P->SetImages(Images.get());
    const char* Names[] = {"现金", "转账", "支票"};
    for (Integer I = 0; I < 3; ++I) {
      TcxImageComboBoxItem* Item = P->Items()->Add();
      Item->SetDescription(Names[I]);
      Item->SetValue(Variant(Integer(10 * (I + 1))));
    }
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  TcxImageComboBoxViewInfo* VI() { return static_cast<TcxImageComboBoxViewInfo*>(E->GetViewInfo()); }
};
}  // namespace

TEST_F(ImageComboFixture, TheListFollowsTheEditValue) {
  E->SetEditValue(Variant(Integer(20)));
  EXPECT_EQ(E->ItemIndex(), 1);
  E->SetEditValue(Variant(Integer(99)));
  EXPECT_EQ(E->ItemIndex(), -1);
  EXPECT_EQ(E->EditValue().AsInteger(), 99);
  // A text equal to a description does not select: only the value does.
  E->SetEditValue(Variant(String("支票")));
  EXPECT_EQ(E->ItemIndex(), -1);
  E->SetEditValue(Variant(Integer(30)));
  E->SetFocus();
  E->SetDroppedDown(true);
  PumpMessages(3);
  ASSERT_NE(E->ListBox(), nullptr);
  EXPECT_EQ(E->ListBox()->ItemIndex(), 2);
  E->SetDroppedDown(false);
  // A key moves to the next item and its value becomes the edit value.
  SendMessageW(E->InnerTextEdit()->Handle(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(E->ItemIndex(), 1);
  EXPECT_EQ(E->EditValue().AsInteger(), 20);
}

TEST_F(ImageComboFixture, TheImageTakesItsPlaceBesideTheText) {
  E->SetEditValue(Variant(Integer(10)));
  PumpMessages(1);
  // Left: the image 2 pixels in, the text area (the typing window) after it.
  TRect IR = VI()->ImageRect;
  EXPECT_EQ(IR.Right - IR.Left, 16);
  EXPECT_EQ(IR.Left, VI()->ContentRect.Left + 2);
  EXPECT_EQ(E->InnerTextEdit()->Left(), IR.Right + 2);
  const TPoint Mid((IR.Left + IR.Right) / 2, (IR.Top + IR.Bottom) / 2);
  EXPECT_EQ(ClientPixel(E, Mid.X, Mid.Y), RGB(255, 0, 0));
  WriteWindowPng(E, "image_combo_box_left");
  // Right: the image at the right end, the text ends 2 pixels before it.
  P->SetImageAlign(iaRight);
  E->SetEditValue(Variant(Integer(30)));
  PumpMessages(1);
  IR = VI()->ImageRect;
  EXPECT_EQ(IR.Right, VI()->ContentRect.Right - 2);
  EXPECT_EQ(VI()->ClientRect.Right, IR.Left - 2);
  EXPECT_LE(E->InnerTextEdit()->Left() + E->InnerTextEdit()->Width(), IR.Left);
  EXPECT_EQ(ClientPixel(E, (IR.Left + IR.Right) / 2, (IR.Top + IR.Bottom) / 2), RGB(0, 0, 255));
  WriteWindowPng(E, "image_combo_box_right");
  // Without descriptions: the image alone, centred.
  P->SetShowDescriptions(false);
  PumpMessages(1);
  IR = VI()->ImageRect;
  const TRect& C = VI()->ContentRect;
  EXPECT_LE(std::abs((IR.Left - C.Left) - (C.Right - IR.Right)), 1);
  EXPECT_TRUE(VI()->Text.empty());
  EXPECT_EQ(E->Text(), "");
  EXPECT_EQ(E->EditValue().AsInteger(), 30);
  WriteWindowPng(E, "image_combo_box_image_only");
  // The default image for a value no item has; none drawn when out of range.
  P->SetShowDescriptions(true);
  P->SetDefaultImageIndex(1);
  E->SetEditValue(Variant(Integer(77)));
  PumpMessages(1);
  EXPECT_EQ(VI()->ImageIndex, 1);
  // Disabled: the image is drawn in the disabled look, not in its colour.
  E->SetEditValue(Variant(Integer(10)));
  E->SetEnabled(false);
  PumpMessages(1);
  IR = VI()->ImageRect;
  EXPECT_NE(ClientPixel(E, (IR.Left + IR.Right) / 2, (IR.Top + IR.Bottom) / 2), RGB(255, 0, 0));
  WriteWindowPng(E, "image_combo_box_disabled");
}

TEST_F(ImageComboFixture, ListRowsMeasureImagesAndWrappedText) {
  auto Large = MakeImages(32, {clRed, clLime, clBlue});
  P->Items()->Items(2)->SetDescription("一段很长的说明文字，在下拉列表里需要折成好几行才能显示完整的内容");
  E->SetFocus();
  // LargeImages set the least row height in the list.
  P->SetLargeImages(Large.get());
  E->SetDroppedDown(true);
  PumpMessages(3);
  TcxCustomComboBoxListBox* L = E->ListBox();
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(L->GetItemHeight(0), 34);
  // The popup is at least as wide as the image, the gaps and the widest text.
  TSize S;
  E->GetPopupContentSize(S);
  EXPECT_GT(S.cx, 32 + 8 + L->GetItemWidth(2) - 1);
  E->SetDroppedDown(false);
  PumpMessages(1);
  // Wrapped: the long description takes several lines, the popup the editor's width.
  P->SetLargeImages(nullptr);
  P->SetMultiLineText(true);
  E->SetDroppedDown(true);
  PumpMessages(3);
  L = E->ListBox();
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(L->GetItemHeight(0), std::max(L->GetItemHeight(0), 18));
  EXPECT_GT(L->GetItemHeight(2), 2 * (L->GetItemHeight(0) - 2));
  EXPECT_EQ(L->GetItemWidth(2), 0);
  E->GetPopupContentSize(S);
  EXPECT_EQ(S.cx, 0);
  if (E->PopupWindow()) WriteWindowPng(E->PopupWindow(), "image_combo_box_multiline_list");
  E->SetDroppedDown(false);
  // A freed image list is no longer used.
  Large.reset();
  Images.reset();
  EXPECT_EQ(P->Images(), nullptr);
  EXPECT_EQ(P->LargeImages(), nullptr);
  PumpMessages(1);
}

TEST_F(ImageComboFixture, DisplayComparisonAndOptions) {
  // The same display: equal descriptions (case counts) and, with images, equal images.
  P->Items()->Items(1)->SetDescription("现金");
  EXPECT_FALSE(P->SameDisplayValue(Variant(Integer(10)), Variant(Integer(20))));
  P->Items()->Items(1)->SetImageIndex(0);
  EXPECT_TRUE(P->SameDisplayValue(Variant(Integer(10)), Variant(Integer(20))));
  EXPECT_EQ(P->GetDisplayText(Variant(Integer(30))), "支票");
  EXPECT_EQ(P->GetViewOptions() & 64, 64);
  P->SetShowDescriptions(false);
  EXPECT_EQ(P->GetViewOptions() & 64, 0);
  // The copy carries every setting.
  P->SetMultiLineText(true);
  P->SetImageAlign(iaRight);
  TcxImageComboBoxProperties Copy;
  Copy.Assign(P);
  EXPECT_TRUE(Copy.MultiLineText());
  EXPECT_EQ(Copy.ImageAlign(), iaRight);
  EXPECT_EQ(Copy.Images(), Images.get());
  EXPECT_EQ(Copy.Items()->Count(), 3);
}

TEST(ImageComboBox, AFormStoresItsItems) {
  TForm Form(nullptr);
  ReadComponentFromText(
      "object Form1: TForm\n"
      "  object icbPay: TcxImageComboBox\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    Properties.DefaultDescription = '（无）'\n"
      "    Properties.ImageAlign = iaRight\n"
      "    Properties.Items = <\n"
      "      item\n"
      "        Description = '现金'\n"
      "        ImageIndex = 0\n"
      "        Value = 1\n"
      "      end\n"
      "      item\n"
      "        Description = '转账'\n"
      "        Value = 'T'\n"
      "      end>\n"
      "    EditValue = 'T'\n"
      "  end\n"
      "end\n",
      &Form);
  auto* E = dynamic_cast<TcxImageComboBox*>(Form.FindComponent("icbPay"));
  ASSERT_NE(E, nullptr);
  TcxImageComboBoxProperties* P = E->Properties();
  ASSERT_EQ(P->Items()->Count(), 2);
  EXPECT_EQ(P->Items()->Items(0)->Value().AsInteger(), 1);
  EXPECT_EQ(P->Items()->Items(0)->ImageIndex(), 0);
  EXPECT_EQ(VarToStr(P->Items()->Items(1)->Value()), "T");
  EXPECT_EQ(P->Items()->Items(1)->ImageIndex(), -1);
  EXPECT_EQ(P->ImageAlign(), iaRight);
  EXPECT_EQ(P->DefaultDescription(), "（无）");
  EXPECT_EQ(P->DropDownListStyle(), lsFixedList);
  EXPECT_EQ(E->ItemIndex(), 1);
  EXPECT_EQ(E->Text(), "转账");
}

TEST(ImageComboBox, ValuesCompareAsTheDataControllerDoes) {
  TcxImageComboBoxProperties P;
  TcxImageComboBoxItem* A = P.Items()->Add();
  A->SetValue(Variant(String("1")));
  TcxImageComboBoxItem* B = P.Items()->Add();
  B->SetValue(Variant(true));
  Integer Changes = 0;
  P.OnPropertiesChanged = [&](TObject*) { ++Changes; };
  // The integer 1 where the text '1' was is a new value, even though the
  // two compare equal; the same text again is none.
  A->SetValue(Variant(String("1")));
  EXPECT_EQ(Changes, 0);
  A->SetValue(Variant(Integer(1)));
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(P.FindItemByValue(Variant(String("1"))), A);
  EXPECT_EQ(P.FindItemByValue(Variant(Integer(2))), nullptr);
  EXPECT_EQ(P.FindItemByValue(Variant::Null()), nullptr);
  // A Boolean matches its text form.
  EXPECT_EQ(P.FindItemByValue(Variant(VarToStr(Variant(true)))), B);
}
