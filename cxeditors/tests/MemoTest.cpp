// The memo typed through its real multi-line edit window: CR LF lines,
// Enter with and without WantReturns, scroll bars, display text and the
// length limit of pasted text.
#include <memory>

#include "Classes.h"
#include "Clipbrd.h"
#include "Forms.h"
#include "TestWindows.h"
#include "SysUtils.h"
#include "Utf8.h"
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
}

TEST_F(MemoFixture, ScrollBarsComeFromTheEditWindow) {
  EXPECT_FALSE(GetWindowLongW(Inner(), GWL_STYLE) & WS_VSCROLL);
  M->Properties()->SetScrollBars(ssVertical);
  PumpMessages(1);
  HWND inner = Inner();
  EXPECT_TRUE(GetWindowLongW(inner, GWL_STYLE) & WS_VSCROLL);
  String text;
  for (int i = 1; i <= 30; ++i) text += (i > 1 ? "\r\n" : "") + String("行 ") + IntToStr(i);
  M->SetEditValue(Variant(text));
  PumpMessages(1);
  EXPECT_EQ(M->Text(), text);
  SCROLLINFO si{sizeof(si), SIF_ALL};
  ASSERT_TRUE(GetScrollInfo(inner, SB_VERT, &si));
  EXPECT_GT(si.nMax, Integer(si.nPage));
  SendMessageW(inner, WM_VSCROLL, SB_PAGEDOWN, 0);
  PumpMessages(1);
  EXPECT_GT(SendMessageW(inner, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  WriteWindowPng(M, "cxMemo_scrolled");
  M->Properties()->SetScrollBars(ssNone);
  PumpMessages(1);
  EXPECT_FALSE(GetWindowLongW(Inner(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_EQ(M->Text(), text);
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
