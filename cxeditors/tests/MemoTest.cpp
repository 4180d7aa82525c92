// The memo typed through its real multi-line edit window: CR LF lines,
// Enter with and without WantReturns, scroll bars, display text and the
// length limit of pasted text.
#include <memory>
#include <vector>

#include "Classes.h"
#include "FormFile.h"
#include "Clipbrd.h"
#include "Forms.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "StdCtrls.h"
#include "cxContainer.h"
#include "cxGraphics.h"
#include "cxMemo.h"
#include "gtest.h"

namespace {
struct MemoFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxMemo* M = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 360, 240);
    M = new TcxMemo(Form.get());
    M->SetBounds(20, 20, 200, 90);
    M->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
    M->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  HWND Inner() { return M->InnerTextEdit()->Handle(); }
  void Type(const String& S) {
    for (size_t pos = 0; pos < S.size();) {
      char32_t c = Utf8Decode(S, pos);
      if (c == U'\r') {
        Key(VK_RETURN);
        continue;
      }
      PostMessageW(Inner(), WM_CHAR, c, 1);
    }
    PumpMessages(2);
  }
  void Key(Word K) {
    PostMessageW(Inner(), WM_KEYDOWN, K, 1);
    PostMessageW(Inner(), WM_KEYUP, K, 0xC0000001);
    PumpMessages(2);
  }
};
}  // namespace

TEST_F(MemoFixture, TypesLinesWithCrLfThroughTheEditWindow) {
  LONG style = GetWindowLongW(Inner(), GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  Type("第一行\r第二行 two\rthird");
  EXPECT_EQ(M->Text(), "第一行\r\n第二行 two\r\nthird");
  EXPECT_EQ(M->Lines()->Count(), 3);
  EXPECT_EQ(M->Lines()->Strings(1), "第二行 two");
  EXPECT_EQ(M->CaretPos(), TPoint(5, 2));
  EXPECT_TRUE(M->EditModified());
  // The edit window fills the client area: all three lines stay in view.
  EXPECT_EQ(M->InnerTextEdit()->BoundsRect(), M->GetViewInfo()->ClientRect);
  EXPECT_EQ(SendMessageW(Inner(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // Leaving the editor makes the typed text its value.
  M->PostValue();
  EXPECT_EQ(VarToStr(M->EditValue()), "第一行\r\n第二行 two\r\nthird");
  WriteWindowPng(M, "cxMemo_lines");

  // Without WantReturns a plain Enter types nothing.
  M->Properties()->SetWantReturns(false);
  M->SetEditValue(Variant(String("x")));
  PumpMessages(1);
  M->SetSelStart(1);
  Key(VK_RETURN);
  EXPECT_EQ(M->Text(), "x");
  // Lines set from a list replace the text.
  TStringList l;
  l.Add("甲");
  l.Add("乙");
  M->SetLines(&l);
  EXPECT_EQ(M->Text(), "甲\r\n乙");
  // The lines are the memo's own: a line added to them is in the value.
  M->Lines()->Add("丙");
  EXPECT_EQ(VarToStr(M->EditValue()), "甲\r\n乙\r\n丙");
  EXPECT_EQ(M->Lines()->Strings(2), "丙");
}

// The memo's own scroll bars lie over those of its edit window and scroll
// it: a click on the own bar's arrow moves the text a line.
TEST_F(MemoFixture, OwnScrollBarsScrollTheEditWindow) {
  EXPECT_FALSE(GetWindowLongW(Inner(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(M->VScrollBar(), nullptr);
  M->Properties()->SetWordWrap(false);
  M->Properties()->SetScrollBars(ssBoth);
  PumpMessages(1);
  HWND inner = Inner();
  EXPECT_TRUE(GetWindowLongW(inner, GWL_STYLE) & WS_VSCROLL);
  String text;
  for (int i = 1; i <= 30; ++i)
    text += (i > 1 ? "\r\n" : "") + String("第 ") + IntToStr(i) + " 行 a line long enough to scroll sideways";
  M->SetEditValue(Variant(text));
  PumpMessages(2);
  EXPECT_EQ(M->Text(), text);
  TcxControlScrollBar* vbar = M->VScrollBar();
  ASSERT_NE(vbar, nullptr);
  ASSERT_TRUE(vbar->Visible());
  EXPECT_TRUE(M->HScrollBar()->Visible());
  // The own bar covers the edit window's own.
  SCROLLBARINFO info;
  ASSERT_TRUE(cxGetScrollBarInfo(inner, OBJID_VSCROLL, info));
  EXPECT_EQ(vbar->BoundsRect().TopLeft(), M->ScreenToClient(TPoint(info.rcScrollBar.left, info.rcScrollBar.top)));
  SCROLLINFO si{sizeof(si), SIF_ALL};
  ASSERT_TRUE(GetScrollInfo(inner, SB_VERT, &si));
  EXPECT_EQ(vbar->Max(), si.nMax);

  // A click on the lower arrow of the own bar.
  HWND bar = vbar->Handle();
  RECT br;
  GetClientRect(bar, &br);
  LPARAM at = MAKELPARAM(br.right / 2, br.bottom - 4);
  PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(bar, WM_LBUTTONUP, 0, at);
  PumpMessages(3);
  EXPECT_EQ(SendMessageW(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_EQ(vbar->Position(), GetScrollPos(inner, SB_VERT));
  // Page down in the edit window itself: the own bar follows.
  for (int i = 0; i < 3; ++i) Key(VK_NEXT);
  PumpMessages(2);
  EXPECT_GT(GetScrollPos(inner, SB_VERT), 1);
  EXPECT_EQ(vbar->Position(), GetScrollPos(inner, SB_VERT));
  // The corner between the bars takes the size grip's colour.
  PumpMessages(2);
  WriteWindowPng(M, "cxMemo_scrolled");
  RECT wr;
  GetWindowRect(inner, &wr);
  HDC dc = GetWindowDC(inner);
  COLORREF corner = GetPixel(dc, wr.right - wr.left - 2, wr.bottom - wr.top - 2);
  ReleaseDC(inner, dc);
  EXPECT_EQ(corner, ColorToRGB(M->GetPainter()->GetSizeGripColor()));

  // A resized memo keeps its bars over the edit window's.
  M->SetBounds(20, 20, 260, 140);
  PumpMessages(2);
  ASSERT_TRUE(vbar->Visible());
  ASSERT_TRUE(cxGetScrollBarInfo(inner, OBJID_VSCROLL, info));
  EXPECT_EQ(vbar->BoundsRect().BottomRight(),
            M->ScreenToClient(TPoint(info.rcScrollBar.right, info.rcScrollBar.bottom)));

  // Without scroll bars the own bars go.
  M->Properties()->SetScrollBars(ssNone);
  PumpMessages(1);
  EXPECT_FALSE(GetWindowLongW(Inner(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(M->VScrollBar(), nullptr);
  EXPECT_EQ(M->Text(), text);
}

// A key that changed nothing in the edit window (Left at the start, End at
// the end) is reported after the fact, for a host to use; arrows up and
// down and keys that moved the caret are not.
TEST_F(MemoFixture, KeysThatChangeNothingAreReportedAfterwards) {
  M->SetEditValue(Variant(String("甲乙")));
  M->SetSelStart(0);
  PumpMessages(1);
  std::vector<Word> reported;
  M->OnAfterKeyDown = [&](TObject*, Word& K, TShiftState) { reported.push_back(K); };
  Key(VK_LEFT);
  Key(VK_RIGHT);
  Key(VK_UP);
  Key(VK_END);
  Key(VK_END);
  // A letter key changes the text only with the character it makes.
  Key('A');
  EXPECT_EQ(M->Text(), "甲乙a");
  EXPECT_EQ(reported, (std::vector<Word>{VK_LEFT, VK_END}));
  EXPECT_EQ(M->InnerTextEdit()->Cursor(), crIBeam);
}

// AutoSelect selects the whole text when the memo is entered; focusing
// the edit window safely leaves the selection alone.
TEST_F(MemoFixture, AutoSelectOnEntering) {
  auto* other = new TButton(Form.get());
  other->SetParent(Form.get());
  other->SetBounds(240, 20, 80, 24);
  M->Properties()->SetAutoSelect(true);
  M->SetEditValue(Variant(String("第一行\r\n第二行")));
  other->SetFocus();
  PumpMessages(1);
  M->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(M->SelLength(), 8);
  other->SetFocus();
  M->SetSelStart(0);
  PumpMessages(1);
  M->InnerTextEdit()->SafelySetFocus();
  PumpMessages(1);
  EXPECT_TRUE(M->Focused());
  EXPECT_EQ(M->SelLength(), 0);
}

TEST_F(MemoFixture, PasteKeepsWithinMaxLengthAndNormalisesLineBreaks) {
  M->Properties()->SetMaxLength(10);
  Type("12345");
  Clipboard()->SetAsText("abcdefgh");
  M->PasteFromClipboard();
  EXPECT_EQ(M->Text(), "12345abcde");
  M->Properties()->SetMaxLength(0);
  M->SetEditValue(Variant(String()));
  Clipboard()->SetAsText(String("a\n\rb"));
  M->PasteFromClipboard();
  EXPECT_EQ(M->Text(), "a\r\n\r\nb");
}

TEST(MemoProperties, DisplayTextLineCountAndLineBreaks) {
  TcxMemoProperties p;
  String longLine(300, 'x');
  struct Case {
    String Value;
    bool Full;
    String Expected;
  } cases[] = {
      {"abc\r\ndef", false, "abc"},
      {"abc\r\ndef", true, "abc\r\ndef"},
      {longLine, false, String(250, 'x')},
      {longLine, true, String(250, 'x')},
  };
  for (const Case& c : cases) EXPECT_EQ(p.GetDisplayText(Variant(c.Value), c.Full), c.Expected);
  p.SetVisibleLineCount(-5);
  EXPECT_EQ(p.VisibleLineCount(), 0);
  TcxMemoProperties q;
  q.SetScrollBars(ssBoth);
  q.SetWordWrap(false);
  q.SetWantTabs(true);
  p.Assign(&q);
  EXPECT_EQ(p.ScrollBars(), ssBoth);
  EXPECT_FALSE(p.WordWrap());
  EXPECT_TRUE(p.WantsTabKey());
  struct Break {
    String In, Out;
  } breaks[] = {{"a\n\rb", "a\r\n\r\nb"}, {"a\r\nb", "a\r\nb"}, {"a\rb\nc", "a\rb\nc"}};
  for (const Break& b : breaks) EXPECT_EQ(cxNormalizeMemoLineBreaks(b.In), b.Out);
}

// Text inserted by anyone (EM_REPLACESEL) keeps CR LF line breaks all
// through, however much the text grows; text set on the edit window from
// outside becomes the value.
TEST_F(MemoFixture, EditWindowMessagesKeepLineBreaksAndTheValue) {
  struct Case {
    const char16_t* In;
    String Out;
  } cases[] = {
      {u"a\n\rb", "a\r\n\r\nb"},
      {u"a\n\rb\n\rc\n\rd", "a\r\n\r\nb\r\n\r\nc\r\n\r\nd"},
      {u"x\r\ny\rz\n", "x\r\ny\rz\n"},
  };
  for (const Case& c : cases) {
    M->SetEditValue(Variant(String()));
    SendMessageW(Inner(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.In));
    EXPECT_EQ(M->Text(), c.Out);
    EXPECT_EQ(VarToStr(M->EditValue()), c.Out);
  }
  SetWindowTextW(Inner(), L"外部\r\n设置");
  EXPECT_EQ(VarToStr(M->EditValue()), "外部\r\n设置");
}

// Ctrl+Enter is a line break even without WantReturns; Escape is left to
// the form's Cancel button although the edit window asks for every key.
TEST_F(MemoFixture, CtrlEnterBreaksLinesAndEscapeReachesTheCancelButton) {
  M->Properties()->SetWantReturns(false);
  M->SetEditValue(Variant(String("ab")));
  M->SetSelStart(1);
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  Key(VK_RETURN);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(M->Text(), "a\r\nb");

  auto* cancel = new TButton(Form.get());
  cancel->SetParent(Form.get());
  cancel->SetBounds(240, 20, 80, 24);
  cancel->SetCancel(true);
  int clicks = 0;
  cancel->OnClick = [&](TObject*) { ++clicks; };
  M->SetFocus();
  PumpMessages(1);
  Key(VK_ESCAPE);
  EXPECT_EQ(clicks, 1);
}

// In a grid cell, Enter that is memo text goes to the editor's keys, not to
// the host as a key that moves on.
TEST(MemoInPlace, EnterIsALineBreakNotAHostKey) {
  TForm form(nullptr);
  form.SetBounds(80, 80, 300, 200);
  auto* m = new TcxMemo(&form, true);
  m->SetBounds(10, 10, 200, 80);
  m->SetParent(&form);
  form.Show();
  PumpMessages(1);
  m->SetFocus();
  PumpMessages(1);
  int hostKeys = 0;
  m->OnAfterKeyDown = [&](TObject*, Word& K, TShiftState) { hostKeys += K == VK_RETURN; };
  HWND inner = m->InnerTextEdit()->Handle();
  PostMessageW(inner, WM_CHAR, U'a', 1);
  PostMessageW(inner, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(inner, WM_KEYUP, VK_RETURN, 0xC0000001);
  PumpMessages(2);
  PostMessageW(inner, WM_CHAR, U'b', 1);
  PumpMessages(2);
  EXPECT_EQ(m->Text(), "a\r\nb");
  EXPECT_EQ(hostKeys, 0);
}

namespace {
// The rows of a bitmap that hold ink, as bands of consecutive rows.
Integer InkBands(TBitmap& B) {
  TColor background = B.Canvas()->Pixels(B.Width() - 1, B.Height() - 1);
  Integer bands = 0;
  bool inBand = false;
  for (Integer y = 0; y < B.Height(); ++y) {
    bool ink = false;
    for (Integer x = 0; x < B.Width() && !ink; ++x) ink = B.Canvas()->Pixels(x, y) != background;
    if (ink && !inBand) ++bands;
    inBand = ink;
  }
  return bands;
}
}  // namespace

// Painted without its edit window (in a grid cell), the memo shows its
// lines, wrapped when WordWrap is on, and no more than VisibleLineCount.
TEST(MemoPainting, LinesWrapAndStopAtTheVisibleLineCount) {
  const String three = "第一行\r\n第二行\r\n第三行";
  const String longLine = "一二三四五 一二三四五 一二三四五";
  struct Case {
    String Text;
    bool WordWrap;
    Integer VisibleLines;
    Integer Lines;
  } cases[] = {
      {three, true, 0, 3},
      {three, true, 2, 2},
      {longLine, true, 0, 3},
      {longLine, false, 0, 1},
  };
  for (const Case& c : cases) {
    TcxMemo memo(nullptr);
    TcxMemoProperties* p = memo.Properties();
    p->SetWordWrap(c.WordWrap);
    p->SetVisibleLineCount(c.VisibleLines);
    std::unique_ptr<TcxCustomEditViewInfo> vi(p->CreateViewInfo());
    std::unique_ptr<TcxCustomEditViewData> vd(p->CreateViewData(memo.Style(), true));
    // Room for one and a half words of the long line.
    TcxCanvas* screen = cxSharedScreenCanvas();
    screen->Font()->Assign(memo.Style()->GetVisibleTextFont());
    const Integer width = screen->TextWidth("一二三四五") * 3 / 2;
    TBitmap bmp(width, 100, pf24bit);
    TcxCanvas canvas(bmp.Canvas());
    vd->PrepareViewInfoForPaint(&canvas, Variant(c.Text), vi.get());
    vd->Calculate(&canvas, TRect(0, 0, width, 100), TPoint(-1, -1), 0, {}, vi.get(), false);
    vi->PaintOn(&canvas);
    EXPECT_EQ(InkBands(bmp), c.Lines) << c.Text << " wrap " << c.WordWrap << " lines " << c.VisibleLines;
    if (c.Text == longLine && c.WordWrap) WriteTestPng(&bmp, "cxMemo_inplace_wrapped");
  }
}

// With VisibleLineCount the height follows the line count (AutoSize or
// not); without it the memo keeps the height it is given.
TEST_F(MemoFixture, HeightFollowsTheVisibleLineCount) {
  M->Properties()->SetVisibleLineCount(3);
  M->SetHeight(200);
  Integer three = M->Height();
  M->Properties()->SetVisibleLineCount(6);
  M->SetHeight(200);
  Integer six = M->Height();
  TcxCanvas* c = cxSharedScreenCanvas();
  c->Font()->Assign(M->Style()->GetVisibleTextFont());
  EXPECT_EQ(six - three, 3 * c->TextHeight("Zg"));
  EXPECT_LT(three, 200);
  M->Properties()->SetScrollBars(ssHorizontal);
  M->SetHeight(200);
  EXPECT_EQ(M->Height(), six + GetSystemMetrics(SM_CYHSCROLL));
  WriteWindowPng(M, "cxMemo_six_lines");
  M->Properties()->SetVisibleLineCount(0);
  M->SetHeight(150);
  EXPECT_EQ(M->Height(), 150);
}

// Settings stream with repository items and forms: the memo's own defaults
// (AutoSelect off) are what is left out, and its alignment is horizontal.
TEST(MemoProperties, SettingsStreamAgainstTheMemosDefaults) {
  TcxEditRepositoryMemoItem a;
  a.SetName("Notes");
  TcxMemoProperties* p = a.Properties();
  p->SetAutoSelect(true);
  p->Alignment()->SetHorz(taCenter);
  p->SetScrollBars(ssVertical);
  p->SetWantTabs(true);
  String text = ComponentToText(&a);
  TcxEditRepositoryMemoItem b;
  ReadComponentFromText(text, &b);
  EXPECT_TRUE(b.Properties()->AutoSelect()) << text;
  EXPECT_EQ(b.Properties()->Alignment()->Horz(), taCenter) << text;
  EXPECT_EQ(b.Properties()->Alignment()->Vert(), taTopJustify);
  EXPECT_EQ(b.Properties()->ScrollBars(), ssVertical);
  EXPECT_TRUE(b.Properties()->WantTabs());
  TcxEditRepositoryMemoItem plain;
  EXPECT_EQ(ComponentToText(&plain).find("AutoSelect"), String::npos);
}
