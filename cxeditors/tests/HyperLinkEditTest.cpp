// The hyperlink editor: the prefix on confirming and on starting, the start
// key and clicks, start handlers, and the addresses that may reach the
// desktop opener (a stand-in opener records them).
#include <memory>
#include <vector>

#include "TestPng.h"
#include "TestWindows.h"
#include "cxControls.h"
#include "cxHyperLinkEdit.h"
#include "gtest.h"

namespace {
struct HyperLinkFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxHyperLinkEdit* E = nullptr;
  std::vector<String> Opened;
  void SetUp() override {
    cxSetHyperLinkOpener([this](const String& URL) { Opened.push_back(URL); });
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 360, 140);
    E = new TcxHyperLinkEdit(Form.get());
    E->SetAutoSize(false);
    E->SetBounds(10, 10, 300, 24);
    E->SetParent(Form.get());
    Form->Show();
    E->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override {
    Form.reset();
    cxSetHyperLinkOpener(nullptr);
  }
  void CtrlEnter() {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    SendMessageW(E->InnerTextEdit()->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
  }
};
}  // namespace

TEST_F(HyperLinkFixture, ConfirmingAddsThePrefixAndCtrlEnterOpensIt) {
  // A new editor types in the link look.
  EXPECT_EQ(E->InnerTextEdit()->Font()->Color(), clBlue);
  EXPECT_TRUE(E->InnerTextEdit()->Font()->Style().Contains(fsUnderline));
  for (char Ch : String("  www.example.com ")) SendMessageW(E->InnerTextEdit()->Handle(), WM_CHAR, WPARAM(Ch), 0);
  ASSERT_TRUE(E->ValidateInput());
  EXPECT_EQ(VarToStr(E->EditValue()), "http://www.example.com");
  CtrlEnter();
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(Opened[0], "http://www.example.com");
  PumpMessages(1);
  WriteWindowPng(E, "hyperlink_edit");
}

TEST_F(HyperLinkFixture, PrefixRules) {
  TcxCustomHyperLinkEditProperties* P = E->Properties();
  struct Case {
    const char* Text;
    const char* Prefix;
    const char* Result;
  };
  const Case cases[] = {
      {" http://a.cn  ", "http://", "http://a.cn"},      // trimmed, not prefixed again
      {"HTTP://a.cn", "http://", "http://HTTP://a.cn"},  // other letter case: prefixed
      {"a.cn", "", "a.cn"},                              // no prefix
      {"   ", "http://", ""},                            // nothing to prefix
  };
  for (const Case& c : cases) {
    P->SetPrefix(c.Prefix);
    String R;
    P->AddPrefixTo(c.Text, R);
    EXPECT_EQ(R, c.Result) << c.Text;
  }
  // Only on execute: the stored text stays as typed, the opener gets the prefix.
  P->SetPrefix("http://");
  P->SetUsePrefix(upOnlyOnExecute);
  for (char Ch : String("b.cn")) SendMessageW(E->InnerTextEdit()->Handle(), WM_CHAR, WPARAM(Ch), 0);
  ASSERT_TRUE(E->ValidateInput());
  EXPECT_EQ(VarToStr(E->EditValue()), "b.cn");
  EXPECT_TRUE(E->DoStart());
  ASSERT_EQ(Opened.size(), 1u);
  EXPECT_EQ(Opened[0], "http://b.cn");
  EXPECT_FALSE(P->AutoComplete() == false);
  P->SetAutoComplete(false);
  EXPECT_EQ(P->UsePrefix(), upNever);
}

TEST_F(HyperLinkFixture, OnlyWebAndMailAddressesReachTheOpener) {
  E->Properties()->SetUsePrefix(upNever);
  struct Case {
    const char* Text;
    bool Opens;
  };
  const Case cases[] = {
      {"http://www.example.com/a?b=1", true},
      {"https://example.com", true},
      {"mailto:sales@example.com", true},
      {"C:\\Windows\\system32\\calc.exe", false},
      {"calc.exe", false},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"http://", false},
      {"http://a.cn\" && calc", false},
      {"mailto:nobody", false},
      {"", false},
  };
  for (const Case& c : cases) {
    Opened.clear();
    E->SetText(c.Text);
    EXPECT_EQ(E->DoStart(), c.Opens) << c.Text;
    EXPECT_EQ(Opened.size(), c.Opens ? 1u : 0u) << c.Text;
  }
  // A prefix cannot smuggle a path either.
  E->Properties()->SetUsePrefix(upAlways);
  E->Properties()->SetPrefix("file://");
  E->SetText("c:/boot.ini");
  Opened.clear();
  EXPECT_FALSE(E->DoStart());
  EXPECT_TRUE(Opened.empty());
}

TEST_F(HyperLinkFixture, StartHandlersReplaceTheOpenerAndClicksStart) {
  Integer Starts = 0;
  E->Properties()->OnStartClick = [&](TObject* Sender) {
    EXPECT_EQ(Sender, E);
    ++Starts;
  };
  E->SetText("www.example.com");
  CtrlEnter();
  EXPECT_EQ(Starts, 1);
  EXPECT_TRUE(Opened.empty());
  E->Properties()->OnStartClick = nullptr;
  // A double click starts it; with SingleClick a plain click does.
  SendMessageW(E->InnerTextEdit()->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(E->InnerTextEdit()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Opened.size(), 1u);
  E->Properties()->SetSingleClick(true);
  E->SetSelLength(0);
  SendMessageW(E->InnerTextEdit()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(E->InnerTextEdit()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Opened.size(), 2u);
  // A click that ends a selection does not start it.
  E->SetSelStart(0);
  E->SetSelLength(3);
  E->Properties()->SetSingleClick(true);
  SendMessageW(E->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(Opened.size(), 2u);
  // The link colour shows at once.
  E->Properties()->SetLinkColor(clRed);
  EXPECT_EQ(E->InnerTextEdit()->Font()->Color(), clRed);
  EXPECT_TRUE(E->InnerTextEdit()->Font()->Style().Contains(fsUnderline));
}

TEST_F(HyperLinkFixture, TheStyleShowsTheLinkColourUnderlined) {
  // Every state style of the editor takes LinkColor; a colour set on the
  // style does not override the link look.
  E->Style()->SetTextColor(clGreen);
  E->Properties()->SetLinkColor(clMaroon);
  for (TcxEditStyle* S : {static_cast<TcxEditStyle*>(E->Style()), E->StyleFocused(), E->StyleDisabled()}) {
    EXPECT_EQ(S->TextColor(), clMaroon);
    EXPECT_TRUE(S->TextStyle().Contains(fsUnderline));
  }
  EXPECT_EQ(E->InnerTextEdit()->Font()->Color(), clMaroon);
  EXPECT_TRUE(E->InnerTextEdit()->Font()->Style().Contains(fsUnderline));
  // A style that paints without an editor keeps its own colour; one
  // without a container shows the default link blue.
  TcxHyperLinkStyle Direct(nullptr, true);
  Direct.SetTextColor(clGreen);
  EXPECT_EQ(Direct.TextColor(), clGreen);
  TcxHyperLinkStyle Loose(nullptr, false);
  EXPECT_EQ(Loose.TextColor(), clBlue);
  EXPECT_TRUE(Loose.TextStyle().Contains(fsUnderline));
  // With SingleClick the whole editor reacts like a button, under the hand
  // cursor from the first click on.
  E->Properties()->SetSingleClick(true);
  EXPECT_TRUE(E->GetViewInfo()->IsPointOnButton(TPoint(5, 5)));
  TcxCustomEditData* Data = nullptr;
  E->ActivateByMouse({}, 5, 5, Data);
  EXPECT_EQ(E->Cursor(), crcxHandPoint);
  EXPECT_EQ(E->InnerTextEdit()->Cursor(), crcxHandPoint);
}
