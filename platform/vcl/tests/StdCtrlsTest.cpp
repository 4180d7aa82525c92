// Standard controls driven by messages under Xvfb.
#include <memory>
#include <iterator>
#include "Forms.h"
#include "FormFile.h"
#include "SysUtils.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "gtest.h"

namespace {
struct StdFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  void SetUp() override {
    Form.reset(new TForm(nullptr));
    Form->SetBounds(80, 80, 420, 320);
    Form->Show();
    PumpMessages();
  }
  template <class T>
  T* Add(int l, int t, int w, int h) {
    auto* c = new T(Form.get());
    c->SetParent(Form.get());
    c->SetBounds(l, t, w, h);
    return c;
  }
};
}  // namespace

TEST_F(StdFixture, EditTextTypingChangeAndSelection) {
  auto* ed = Add<TEdit>(10, 10, 150, 21);
  int changes = 0;
  ed->OnChange = [&](TObject*) { ++changes; };
  ed->SetText("订单");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ed->Text(), "订单");
  // Typing goes through WM_CHAR into the edit control.
  SendMessageW(ed->Handle(), EM_SETSEL, 2, 2);
  SendMessageW(ed->Handle(), WM_CHAR, 0x53F7, 0);   // 号
  EXPECT_EQ(ed->Text(), "订单号");
  EXPECT_TRUE(ed->Modified());
  EXPECT_EQ(changes, 2);
  // A key handler can swallow a character.
  ed->OnKeyPress = [](TObject*, char32_t& key) {
    if (key == U'x') key = 0;
  };
  SendMessageW(ed->Handle(), WM_CHAR, 'x', 0);
  EXPECT_EQ(ed->Text(), "订单号");
  ed->SetMaxLength(4);
  SendMessageW(ed->Handle(), EM_SETSEL, 3, 3);
  SendMessageW(ed->Handle(), WM_CHAR, 'A', 0);
  SendMessageW(ed->Handle(), WM_CHAR, 'B', 0);
  EXPECT_EQ(ed->Text(), "订单号A");
  ed->SelectAll();
  EXPECT_EQ(ed->SelLength(), 4);
  EXPECT_EQ(ed->SelText(), "订单号A");
  // The text survives the window being made again.
  ed->SetCharCase(ecUpperCase);
  EXPECT_EQ(ed->Text(), "订单号A");
  EXPECT_EQ(ed->MaxLength(), 4);
  EXPECT_EQ(SendMessageW(ed->Handle(), EM_GETLIMITTEXT, 0, 0), 4);
}

TEST_F(StdFixture, MemoLinesFollowTheText) {
  auto* memo = Add<TMemo>(10, 40, 200, 80);
  memo->Lines()->Add("第一行");
  memo->Lines()->Add("second");
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Text(), "第一行\r\nsecond");
  memo->Lines()->Insert(1, "中间");
  memo->Lines()->SetStrings(2, "第三行");
  EXPECT_EQ(memo->Lines()->Strings(1), "中间");
  EXPECT_EQ(memo->Lines()->Count(), 3);
  memo->Lines()->Delete(0);
  EXPECT_EQ(memo->Lines()->Text(), "中间\r\n第三行");
  memo->Lines()->SetText("a\nb\rc");
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_THROW(memo->Lines()->Strings(3), EStringListError);
  // Without WantReturns Enter is left to the form.
  memo->SetWantReturns(false);
  EXPECT_EQ(memo->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS, 0);
}

TEST_F(StdFixture, CheckBoxesAndRadioButtons) {
  auto* cb = Add<TCheckBox>(10, 10, 120, 17);
  cb->SetCaption("启用");
  int clicks = 0;
  cb->OnClick = [&](TObject*) { ++clicks; };
  SendMessageW(cb->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(cb->Checked());
  EXPECT_EQ(SendMessageW(cb->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(clicks, 1);
  cb->SetAllowGrayed(true);
  SendMessageW(cb->Handle(), BM_CLICK, 0, 0);
  SendMessageW(cb->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(cb->State(), cbGrayed);
  cb->SetCheckedValue(false);   // set in code: OnClick runs as well
  EXPECT_EQ(clicks, 4);

  auto* r1 = Add<TRadioButton>(10, 40, 100, 17);
  auto* r2 = Add<TRadioButton>(10, 60, 100, 17);
  r1->SetCheckedValue(true);
  SendMessageW(r2->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked());
  EXPECT_EQ(SendMessageW(r1->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(StdFixture, ComboBoxItemsSortInPinyinOrderAndSelectionFires) {
  auto* combo = Add<TComboBox>(10, 10, 150, 21);
  combo->SetStyle(csDropDownList);
  combo->SetSorted(true);
  combo->Items()->Add("张三");
  combo->Items()->Add("李四");
  combo->Items()->Add("王五");
  ASSERT_EQ(combo->Items()->Count(), 3);
  EXPECT_EQ(combo->Items()->Strings(0), "李四");
  EXPECT_EQ(combo->Items()->Strings(1), "王五");
  EXPECT_EQ(combo->Items()->Strings(2), "张三");
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  // A choice in the list: CBN_SELCHANGE reaches the control as CN_COMMAND.
  SendMessageW(combo->Handle(), CB_SETCURSEL, 1, 0);
  SendMessageW(Form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "王五");
  EXPECT_EQ(changes, 1);
  // Setting the text of a drop-down list picks the item.
  combo->SetText("张三");
  EXPECT_EQ(combo->ItemIndex(), 2);
  // Items and selection survive recreating the window.
  combo->SetStyle(csDropDown);
  EXPECT_EQ(combo->Items()->Count(), 3);
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_NE(combo->EditHandle(), nullptr);
}

TEST_F(StdFixture, OwnerDrawnListBoxPaintsThroughOnDrawItem) {
  auto* lb = Add<TListBox>(10, 10, 150, 100);
  lb->SetStyle(lbOwnerDrawFixed);
  lb->SetItemHeight(20);
  for (const char* s : {"红", "绿", "蓝"}) lb->Items()->Add(s);
  std::vector<Integer> drawn;
  lb->OnDrawItem = [&](TWinControl* c, Integer index, TRect r, TItemDrawState) {
    static const TColor colors[] = {clRed, clLime, clBlue};
    TCanvas* canvas = static_cast<TListBox*>(c)->Canvas();
    canvas->Brush()->SetColor(colors[index]);
    canvas->FillRect(r);
    drawn.push_back(index);
  };
  lb->Invalidate();
  PumpMessages();
  ASSERT_GE(drawn.size(), 3u);
  EXPECT_EQ(lb->ItemRect(1).Top, 20);
  EXPECT_EQ(ClientPixel(lb, 50, 25), COLORREF(0x00FF00));
  EXPECT_EQ(ClientPixel(lb, 50, 45), COLORREF(0xFF0000));
  EXPECT_EQ(lb->ItemAtPos({50, 45}, true), 2);
  EXPECT_EQ(lb->ItemAtPos({50, 95}, true), -1);
  int clicks = 0;
  lb->OnClick = [&](TObject*) { ++clicks; };
  lb->SetItemIndex(1);
  SendMessageW(Form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(lb->Handle()), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(lb->Handle()));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(lb->Selected(1));
  EXPECT_THROW(lb->Selected(5), EListError);
  WriteWindowPng(Form.get(), "stdctrls_listbox");
}

TEST_F(StdFixture, LabelSizesToItsCaptionAndFocusesItsControl) {
  auto* label = Add<TLabel>(10, 10, 10, 10);
  label->SetCaption("客户名称");
  Integer w = label->Width();
  EXPECT_GT(w, 30);
  label->SetCaption("客户名称和地址");
  EXPECT_GT(label->Width(), w);
  auto* ed = Add<TEdit>(100, 10, 100, 21);
  label->SetCaption("&Name");
  label->SetFocusControl(ed);
  EXPECT_EQ(Form->Perform(CM_DIALOGCHAR, 'N', 0), 1);
  PumpMessages();
  EXPECT_TRUE(ed->Focused());
  delete ed;   // the label forgets it
  EXPECT_EQ(label->FocusControl(), nullptr);
}

TEST_F(StdFixture, AnAutoSizedLabelFitsItsTextInItsOwnFont) {
  // The login dialog's hint, in the dialog's font and in a larger one.
  for (Integer height : {-12, -24}) {
    SCOPED_TRACE(height);
    auto* label = Add<TLabel>(10, 40, 10, 10);
    label->Font()->SetName("宋体");
    label->Font()->SetHeight(height);
    label->SetCaption("[管理员]初始密码：3627");
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(label->Font());
    TSize text = probe.Canvas()->TextExtent("[管理员]初始密码：3627");
    EXPECT_EQ(label->Width(), text.cx);
    EXPECT_EQ(label->Height(), text.cy);
    delete label;
  }
}

TEST_F(StdFixture, ScrollBarKeepsItsRange) {
  auto* sb = Add<TScrollBar>(10, 200, 200, 17);
  int changes = 0;
  sb->OnChange = [&](TObject*) { ++changes; };
  sb->SetParams(50, 0, 200);
  EXPECT_EQ(sb->Position(), 50);
  EXPECT_EQ(GetScrollPos(sb->Handle(), SB_CTL), 50);
  sb->SetLargeChange(20);
  SendMessageW(Form->Handle(), WM_HSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(sb->Handle()));
  EXPECT_EQ(sb->Position(), 70);
  sb->SetPosition(1000);
  EXPECT_EQ(sb->Position(), 200);
  EXPECT_EQ(changes, 3);
  EXPECT_THROW(sb->SetParams(0, 10, 5), EInvalidOperation);
}

TEST(ComboBoxStreaming, TheSelectionReadFromAFormFileIsKept) {
  // A form file writes ItemIndex and Text before the items: the selection
  // must still be the one read once the items are there.
  struct Case {
    const char* Style;
    const char* Props;
    Integer Index;
  };
  const Case cases[] = {
      {"csDropDownList", "    ItemIndex = 0\n    Text = '全部'\n", 0},
      {"csDropDownList", "    ItemIndex = 2\n    Text = '退货'\n", 2},
      {"csDropDownList", "    Text = '正常'\n", 1},
      {"csDropDown", "    ItemIndex = 1\n    Text = '正常'\n", 1},
      {"csDropDownList", "    ItemIndex = 7\n", -1},   // out of range: nothing chosen
  };
  String text = "object F: TForm\n  Left = 80\n  Top = 80\n  Width = 300\n  Height = 220\n";
  for (size_t i = 0; i < std::size(cases); ++i)
    text += "  object cb" + IntToStr(Integer(i)) + ": TComboBox\n    Left = 10\n    Top = " +
            IntToStr(Integer(10 + 30 * i)) + "\n    Width = 80\n    Height = 20\n    Style = " + cases[i].Style +
            "\n" + cases[i].Props + "    Items.Strings = (\n      '全部'\n      '正常'\n      '退货')\n  end\n";
  text += "end\n";
  TForm form(nullptr);
  ReadComponentFromText(text, &form);
  auto combo = [&](size_t i) { return dynamic_cast<TComboBox*>(form.FindComponent("cb" + IntToStr(Integer(i)))); };
  for (size_t i = 0; i < std::size(cases); ++i) {
    ASSERT_NE(combo(i), nullptr);
    EXPECT_EQ(combo(i)->ItemIndex(), cases[i].Index) << i;
  }
  form.Show();
  PumpMessages();
  for (size_t i = 0; i < std::size(cases); ++i) {
    TComboBox* cb = combo(i);
    ASSERT_TRUE(cb->HandleAllocated());
    EXPECT_EQ(SendMessageW(cb->Handle(), CB_GETCURSEL, 0, 0), cases[i].Index) << i;
    EXPECT_EQ(cb->Text(), cases[i].Index >= 0 ? cb->Items()->Strings(cases[i].Index) : String()) << i;
  }
}
