// The library's button: painted in each look, driven by an action, colours
// by state, glyph cells, the split arrow part, groups and the no-focus mode.
#include <memory>

#include "ActnList.h"
#include "Forms.h"
#include "ImgList.h"
#include "StdCtrls.h"
#include "TestWindows.h"
#include "cxButtons.h"
#include "gtest.h"

namespace {
struct ButtonFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TEdit* Other = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 420, 200);
    Other = new TEdit(Form.get());
    Other->SetBounds(10, 150, 100, 22);
    Other->SetParent(Form.get());
  }
  void TearDown() override { Form.reset(); }
  TcxButton* MakeButton(Integer X, Integer Y, const String& ACaption) {
    auto* b = new TcxButton(Form.get());
    b->SetBounds(X, Y, 75, 25);
    b->SetCaption(ACaption);
    b->SetParent(Form.get());
    return b;
  }
  void Show() {
    Form->Show();
    PumpMessages(1);
    Other->SetFocus();
    PumpMessages(1);
  }
  static void ClickAt(TWinControl* C, Integer X, Integer Y) {
    PostMessageW(C->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    PostMessageW(C->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
    PumpMessages(3);
  }
};
}  // namespace

TEST_F(ButtonFixture, PaintsInEachLook) {
  struct Case {
    TcxLookAndFeelKind Kind;
    bool Native;
    const char* Name;
  };
  const Case cases[] = {{lfStandard, false, "standard"}, {lfFlat, false, "flat"}, {lfUltraFlat, false, "ultraflat"},
                        {lfOffice11, false, "office11"}, {lfStandard, true, "native"}};
  std::vector<TcxButton*> buttons;
  Integer x = 5;
  for (const Case& c : cases) {
    TcxButton* b = MakeButton(x, 10, "提交保存");
    b->LookAndFeel()->SetKind(c.Kind);
    b->LookAndFeel()->SetNativeStyle(c.Native);
    buttons.push_back(b);
    x += 80;
  }
  TcxButton* disabled = MakeButton(5, 50, "撤消修改");
  disabled->SetEnabled(false);
  Show();
  for (size_t i = 0; i < buttons.size(); ++i) {
    WriteWindowPng(buttons[i], std::string("cxButton_") + cases[i].Name);
    // The face is painted (not left black or white) around the caption.
    COLORREF face = ClientPixel(buttons[i], 6, 12);
    EXPECT_NE(face, RGB(0, 0, 0)) << cases[i].Name;
  }
  WriteWindowPng(disabled, "cxButton_disabled");
  EXPECT_EQ(disabled->CalcButtonState(), cxbsDisabled);
  // The Office look draws with the themed or the standard painter.
  TcxLookAndFeelPainterClass office = buttons[3]->GetPainterClass();
  EXPECT_TRUE(office == cxNativePainter() || office == cxStandardPainter());
}

TEST_F(ButtonFixture, ActionGivesCaptionEnabledStateAndExecution) {
  TAction action(Form.get());
  action.SetCaption("添加明细");
  Integer executed = 0;
  action.OnExecute = [&](TObject*) { ++executed; };
  TcxButton* b = MakeButton(10, 10, "");
  b->SetAction(&action);
  Show();
  EXPECT_EQ(b->Caption(), "添加明细");
  ClickAt(b, 30, 12);
  EXPECT_EQ(executed, 1);
  // The action's image comes from its list.
  TActionList list(Form.get());
  TImageList images(Form.get());
  images.SetWidth(16);
  images.SetHeight(16);
  TBitmap pic;
  pic.SetWidth(16);
  pic.SetHeight(16);
  images.Add(&pic, nullptr);
  list.SetImages(&images);
  action.SetActionList(&list);
  action.SetImageIndex(0);
  PumpMessages(1);
  EXPECT_EQ(b->GlyphObject()->Images(), &images);
  EXPECT_EQ(b->GlyphObject()->ImageIndex(), 0);
  EXPECT_TRUE(b->GlyphObject()->HasImage());
  action.SetEnabled(false);
  PumpMessages(1);
  EXPECT_FALSE(b->Enabled());
  ClickAt(b, 30, 12);
  EXPECT_EQ(executed, 1);
  WriteWindowPng(b, "cxButton_action_disabled");
}

TEST(cxButtonColors, AssignedSetAndStateLookup) {
  TcxButton b(nullptr);
  TcxButtonColors* c = b.Colors();
  c->SetColor(cxbcHot, clRed);
  EXPECT_TRUE(c->AssignedColors().Contains(cxbcHot));
  c->SetColor(cxbcHot, clNone);
  EXPECT_FALSE(c->AssignedColors().Contains(cxbcHot));
  EXPECT_EQ(c->GetColor(cxbcHot), clDefault);
  // Only Default assigned: the normal state uses it, the hot state the painter's.
  c->SetColor(cxbcDefault, clYellow);
  EXPECT_EQ(c->ColorOfState(cxbsNormal), clYellow);
  EXPECT_EQ(c->ColorOfState(cxbsHot), clDefault);
  c->SetColor(cxbcNormal, clLime);
  EXPECT_EQ(c->ColorOfState(cxbsHot), clLime);
  EXPECT_EQ(c->TextColorOfState(cxbsHot), clDefault);
  // At run time the assigned set cannot be set.
  c->SetAssignedColors({});
  EXPECT_TRUE(c->AssignedColors().Contains(cxbcDefault));
}

TEST(cxButtonGlyph, CellsLayoutAndMargins) {
  TcxButtonGlyph g;
  struct Case {
    Integer W, H, Num;
  };
  for (const Case& c : {Case{64, 16, 4}, Case{80, 16, 1}, Case{30, 16, 1}, Case{32, 16, 2}}) {
    TBitmap bmp;
    bmp.SetWidth(c.W);
    bmp.SetHeight(c.H);
    g.SetGlyph(&bmp);
    EXPECT_EQ(g.NumGlyphs(), c.Num) << c.W << "x" << c.H;
  }
  g.SetNumGlyphs(7);
  EXPECT_EQ(g.NumGlyphs(), 4);
  g.SetNumGlyphs(0);
  EXPECT_EQ(g.NumGlyphs(), 1);
  // Pressed shows cell 2 with three or more cells, else cell 0.
  g.SetNumGlyphs(2);
  EXPECT_EQ(g.CellOfState(cxbsPressed), 0);
  g.SetNumGlyphs(3);
  EXPECT_EQ(g.CellOfState(cxbsPressed), 2);
  EXPECT_EQ(g.CellOfState(cxbsDisabled), 1);
  // Without an image the caption is centred.
  TcxButtonGlyph plain;
  TBitmap canvasHolder;
  canvasHolder.SetWidth(10);
  canvasHolder.SetHeight(10);
  TPoint gp;
  TRect tr;
  plain.ArrangeContent(canvasHolder.Canvas(), TRect(0, 0, 100, 20), TPoint(0, 0), "OK", blGlyphLeft, -1, 4, 0, false,
                       gp, tr);
  Integer textWidth = tr.Right - tr.Left;
  EXPECT_EQ(tr.Left, (100 - textWidth) / 2);
}

TEST_F(ButtonFixture, SplitButtonOpensItsMenuFromTheArrowPart) {
  TPopupMenu menu(Form.get());
  TcxButton* b = MakeButton(10, 10, "打印");
  b->SetWidth(90);
  b->SetKind(cxbkDropDownButton);
  b->SetDropDownMenu(&menu);
  Integer clicks = 0, dropDowns = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->OnDropDownMenuPopup = [&](TObject*, TPopupMenu*& M, bool& Handled) {
    EXPECT_EQ(M, &menu);
    ++dropDowns;
    Handled = true;   // the test shows no real menu
  };
  Show();
  ClickAt(b, 85, 12);
  EXPECT_EQ(dropDowns, 1);
  EXPECT_EQ(clicks, 0);
  ClickAt(b, 20, 12);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(dropDowns, 1);
  // Alt+Down opens it from the keyboard.
  b->SetFocus();
  PumpMessages(1);
  PostMessageW(b->Handle(), WM_SYSKEYDOWN, VK_DOWN, 1 | (1 << 29));
  PumpMessages(3);
  EXPECT_EQ(dropDowns, 2);
  WriteWindowPng(b, "cxButton_split");
}

TEST_F(ButtonFixture, GroupsAndTheNoFocusMode) {
  TcxButton* a = MakeButton(10, 10, "甲");
  TcxButton* b = MakeButton(90, 10, "乙");
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  Integer clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  Show();
  ClickAt(a, 20, 12);
  EXPECT_TRUE(a->Down());
  ClickAt(b, 20, 12);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(clicks, 1);
  // A down button without AllowAllUp stays down.
  ClickAt(b, 20, 12);
  EXPECT_TRUE(b->Down());
  WriteWindowPng(b, "cxButton_down");
  // Without focus but outside a group: clicks still come, once each.
  TcxButton* c = MakeButton(170, 10, "丙");
  c->SetCanBeFocused(false);
  Integer cClicks = 0;
  c->OnClick = [&](TObject*) { ++cClicks; };
  Other->SetFocus();
  PumpMessages(1);
  ClickAt(c, 20, 12);
  EXPECT_EQ(cClicks, 1);
  EXPECT_EQ(GetFocus(), Other->Handle());
  EXPECT_FALSE(c->Down());
}

TEST_F(ButtonFixture, GlyphsShareOneListPerSizeAndDrawTransparently) {
  TBitmap glyph;
  glyph.SetWidth(16);
  glyph.SetHeight(16);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(TRect(0, 0, 16, 16));
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(TRect(4, 4, 12, 12));
  TcxButton* a = MakeButton(10, 10, "");
  TcxButton* b = MakeButton(100, 10, "");
  a->SetGlyph(&glyph);
  b->SetGlyph(&glyph);
  Show();
  ASSERT_NE(a->GlyphObject()->GlyphList(), nullptr);
  EXPECT_EQ(a->GlyphObject()->GlyphList(), b->GlyphObject()->GlyphList());
  EXPECT_EQ(a->GlyphObject()->GlyphList()->UsedCount(), 2);
  // The glyph sits centred: red inside, the face (not fuchsia) around it.
  Integer gx = (75 - 16) / 2, gy = (25 - 16) / 2;
  EXPECT_EQ(ClientPixel(a, gx + 8, gy + 8), RGB(255, 0, 0));
  EXPECT_NE(ClientPixel(a, gx + 1, gy + 1), RGB(255, 0, 255));
  WriteWindowPng(a, "cxButton_glyph");
  // Disabled: the single cell is embossed, no red left.
  a->SetEnabled(false);
  PumpMessages(2);
  EXPECT_NE(ClientPixel(a, gx + 8, gy + 8), RGB(255, 0, 0));
  WriteWindowPng(a, "cxButton_glyph_disabled");
  // The lists go with the last glyph.
  Form.reset();
  EXPECT_EQ(cxButtonGlyphCache(), nullptr);
}
