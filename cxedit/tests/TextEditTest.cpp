// The text editor typed, selected and pasted through its real edit window.
#include <memory>

#include "Forms.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "Utf8.h"
#include "cxDrawTextUtils.h"
#include "cxTextEdit.h"
#include "gtest.h"

namespace {
struct TextEditFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxTextEdit* E = nullptr;
  std::vector<String> Log;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 360, 160);
    E = new TcxTextEdit(Form.get());
    E->SetBounds(20, 20, 200, 24);
    E->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  HWND Inner() { return E->InnerTextEdit()->Handle(); }
  // Posted like the keyboard would: key down, the character, key up.
  void Type(const String& S) {
    for (size_t pos = 0; pos < S.size();) {
      char32_t c = Utf8Decode(S, pos);
      if (c > 0xFFFF) {
        std::u16string w = Utf8ToUtf16(Utf8Encode(c));
        for (char16_t u : w) PostMessageW(Inner(), WM_CHAR, u, 1);
      } else {
        PostMessageW(Inner(), WM_CHAR, c, 1);
      }
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

TEST_F(TextEditFixture, TypingGoesThroughTheEditWindow) {
  ASSERT_TRUE(E->InnerTextEdit()->HandleAllocated());
  struct Case {
    String Typed;
    String Text;
    Integer Caret;
  };
  const Case cases[] = {
      {"abc", "abc", 3},
      {"订单号", "订单号", 3},
      {"a\tb", "ab", 2},          // Tab never becomes a character
      {"中文\bx", "中x", 2},      // Backspace removes one whole character
  };
  for (const Case& c : cases) {
    E->SetEditValue(Variant(String()));
    PumpMessages(1);
    Type(c.Typed);
    EXPECT_EQ(E->Text(), c.Text) << c.Typed;
    EXPECT_EQ(E->SelStart(), c.Caret) << c.Typed;
    EXPECT_EQ(E->DisplayText(), c.Text);
    EXPECT_TRUE(E->EditModified());
  }
  // Enter validates and the typed text becomes the edit value.
  Key(VK_RETURN);
  EXPECT_EQ(VarToStr(E->EditValue()), "中x");
  WriteWindowPng(E, "cxTextEdit_typed");
}

TEST_F(TextEditFixture, SelectionCountsWholeCharacters) {
  E->SetEditValue(Variant(String("ab中文😀cd")));
  PumpMessages(1);
  EXPECT_EQ(E->Text(), "ab中文😀cd");
  struct Case {
    Integer Start, Length;
    String Sel;
  };
  const Case cases[] = {{2, 2, "中文"}, {4, 1, "😀"}, {5, 2, "cd"}, {0, 0, ""}, {3, 10, "文😀cd"}};
  for (const Case& c : cases) {
    E->SetSelStart(c.Start);
    E->SetSelLength(c.Length);
    EXPECT_EQ(E->SelStart(), c.Start);
    EXPECT_EQ(E->SelText(), c.Sel) << c.Start;
  }
  // Replacing a selection of whole characters.
  E->SetSelStart(2);
  E->SetSelLength(3);
  E->SetSelText("-");
  EXPECT_EQ(E->Text(), "ab-cd");
  EXPECT_EQ(E->SelStart(), 3);
}

TEST_F(TextEditFixture, PasteCutAndReadOnly) {
  auto setClipboard = [](const String& S) {
    std::u16string w = Utf8ToUtf16(S);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * 2);
    memcpy(GlobalLock(h), w.c_str(), (w.size() + 1) * 2);
    GlobalUnlock(h);
    SetClipboardData(CF_UNICODETEXT, h);
    CloseClipboard();
  };
  E->SetEditValue(Variant(String("客户名称")));
  PumpMessages(1);
  setClipboard("订单");
  E->SetSelStart(2);
  E->SetSelLength(2);
  PostMessageW(Inner(), WM_PASTE, 0, 0);
  PumpMessages(2);
  EXPECT_EQ(E->Text(), "客户订单");
  EXPECT_TRUE(E->EditModified());

  // Cut puts the selection on the clipboard and removes it.
  E->SetSelStart(0);
  E->SetSelLength(2);
  PostMessageW(Inner(), WM_CUT, 0, 0);
  PumpMessages(2);
  EXPECT_EQ(E->Text(), "订单");
  E->SetSelStart(2);
  E->PasteFromClipboard();
  EXPECT_EQ(E->Text(), "订单客户");

  // Read-only: paste and clear are ignored, cut only copies, typing is refused.
  E->Properties()->SetReadOnly(true);
  setClipboard("x");
  E->SelectAll();
  PostMessageW(Inner(), WM_PASTE, 0, 0);
  PostMessageW(Inner(), WM_CLEAR, 0, 0);
  PostMessageW(Inner(), WM_CUT, 0, 0);
  PumpMessages(2);
  Type("z");
  EXPECT_EQ(E->Text(), "订单客户");
  E->SetSelStart(4);
  E->PasteFromClipboard();
  EXPECT_EQ(E->Text(), "订单客户");
}

TEST_F(TextEditFixture, DeleteReportsAfterKeyDownArrowsDoNot) {
  std::vector<Word> keys;
  E->OnAfterKeyDown = [&](TObject*, Word& K, TShiftState) { keys.push_back(K); };
  E->SetEditValue(Variant(String("中文字")));
  PumpMessages(1);
  E->SetSelStart(1);
  E->SetSelLength(0);
  Key(VK_LEFT);
  Key(VK_RIGHT);
  EXPECT_TRUE(keys.empty());
  Key(VK_DELETE);
  EXPECT_EQ(E->Text(), "中字");
  EXPECT_EQ(keys, std::vector<Word>{VK_DELETE});
}

TEST_F(TextEditFixture, EnterAndEchoFollowTheProperties) {
  // The inner window wants characters; the edit's own window gets no border.
  LRESULT code = SendMessageW(Inner(), WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  EXPECT_FALSE(GetWindowLongW(Inner(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(GetWindowLongW(Inner(), GWL_STYLE) & WS_BORDER);

  E->Properties()->SetEchoMode(eemPassword);
  EXPECT_EQ(E->InnerTextEdit()->PasswordChar(), U'*');
  E->Properties()->SetPasswordChar(U'#');
  EXPECT_EQ(E->InnerTextEdit()->PasswordChar(), U'#');
  E->Properties()->SetEchoMode(eemNormal);
  EXPECT_EQ(E->InnerTextEdit()->PasswordChar(), 0u);

  E->Properties()->SetMaxLength(3);
  Type("一二三四五");
  EXPECT_EQ(E->Text(), "一二三");
}

TEST_F(TextEditFixture, AutoSizedHeightIsTheFontsTextPlusTheBorder) {
  // An auto-sized editor is as high as one line of its font plus its border
  // and text margins, whatever height it is given, and follows its font.
  auto textHeight = [&] {
    TBitmap bmp;
    bmp.Canvas()->Font()->Assign(E->Style()->GetVisibleTextFont());
    return bmp.Canvas()->TextHeight("Zg");
  };
  struct Case {
    TcxEditBorderStyle Border;
    Integer FontSize;
  };
  const Case cases[] = {{ebs3D, 9}, {ebsSingle, 9}, {ebsNone, 9}, {ebs3D, 16}};
  for (const Case& c : cases) {
    E->Style()->SetEditBorderStyle(c.Border);
    E->Style()->Font()->SetSize(c.FontSize);
    E->SetBounds(20, 20, 200, 4);
    PumpMessages(1);
    Integer border = cxContainerBorderWidth(TcxContainerBorderStyle(c.Border));
    TRect client = E->GetViewInfo()->ClientRect;
    SCOPED_TRACE(::testing::Message() << "border " << int(c.Border) << ", font size " << c.FontSize);
    EXPECT_GE(E->Height(), textHeight() + 2 * border);
    EXPECT_LE(E->Height(), textHeight() + 2 * border + 8);
    EXPECT_GE(client.Height(), textHeight());   // the inner edit shows a whole line
  }
  WriteWindowPng(E, "cxTextEdit_autosized");
}

namespace {
// What the inner edit window shows on the screen.
std::unique_ptr<TBitmap> CaptureWindow(TWinControl* AControl) {
  HWND h = AControl->Handle();
  UpdateWindow(h);
  RECT r;
  GetWindowRect(h, &r);
  auto bmp = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top, pf24bit);
  HDC screen = GetDC(nullptr);
  BitBlt(bmp->Canvas()->Handle(), 0, 0, bmp->Width(), bmp->Height(), screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return bmp;
}

int CountPixels(TBitmap& ABmp, COLORREF AColor) {
  int n = 0;
  for (int y = 0; y < ABmp.Height(); ++y)
    for (int x = 0; x < ABmp.Width(); ++x) n += GetPixel(ABmp.Canvas()->Handle(), x, y) == AColor;
  return n;
}
}  // namespace

TEST_F(TextEditFixture, TypedTextShowsTheStyleColoursAndFont) {
  const COLORREF back = RGB(0, 0, 128), yellow = RGB(255, 255, 0), magenta = RGB(255, 0, 255);
  E->SetHeight(30);
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(12);
  E->Style()->SetFont(&font);
  E->Style()->SetColor(TColor(back));
  E->Style()->SetTextColor(TColor(yellow));
  E->SetFocus();
  PumpMessages(1);
  Type("WWW");
  ASSERT_EQ(E->Text(), "WWW");
  TcxCustomInnerTextEdit* inner = E->InnerTextEdit();
  EXPECT_EQ(inner->Font()->Size(), 12);
  // The typing window is one row of the style's font high.
  EXPECT_GE(inner->Height(), 16);

  auto bmp = CaptureWindow(inner);
  WriteTestPng(bmp.get(), "cxTextEdit_style_colours");
  EXPECT_GT(CountPixels(*bmp, yellow), 20);
  EXPECT_EQ(CountPixels(*bmp, RGB(0, 0, 0)), 0) << "text in the default colour";
  EXPECT_EQ(GetPixel(bmp->Canvas()->Handle(), bmp->Width() - 3, bmp->Height() / 2), back);

  // A style change while focused reaches the typing window at once.
  E->Style()->SetTextColor(TColor(magenta));
  PumpMessages(1);
  bmp = CaptureWindow(inner);
  EXPECT_EQ(CountPixels(*bmp, yellow), 0);
  EXPECT_GT(CountPixels(*bmp, magenta), 20);
  WriteWindowPng(E, "cxTextEdit_style_colours_changed");
}

namespace {
// Left and right ends of the pixels of a colour in a captured window
// (-1, -1 when none).
std::pair<int, int> ColourSpan(TBitmap& ABmp, COLORREF AColor) {
  int lo = -1, hi = -1;
  for (int x = 0; x < ABmp.Width(); ++x)
    for (int y = 0; y < ABmp.Height(); ++y)
      if (GetPixel(ABmp.Canvas()->Handle(), x, y) == AColor) {
        if (lo < 0) lo = x;
        hi = x;
        break;
      }
  return {lo, hi};
}
}  // namespace

// Right alignment asked by the properties: the text stands at the right,
// unfocused; focused it is typed left-aligned unless the properties keep
// their alignment while editing.
TEST_F(TextEditFixture, RightAlignmentUnfocusedAndWhileEditing) {
  const COLORREF red = RGB(255, 0, 0);
  E->Style()->SetTextColor(TColor(red));
  E->Properties()->Alignment()->SetHorz(taRightJustify);
  E->SetText("123");
  auto* other = new TcxTextEdit(Form.get());
  other->SetBounds(20, 70, 200, 24);
  other->SetParent(Form.get());
  other->SetFocus();
  PumpMessages(2);
  auto span = [&] {
    PumpMessages(1);
    auto bmp = CaptureWindow(E);
    return ColourSpan(*bmp, red);
  };
  const int width = E->Width();
  auto [lo, hi] = span();
  WriteWindowPng(E, "cxTextEdit_right_unfocused");
  ASSERT_GE(lo, 0) << "no text drawn";
  EXPECT_GT(lo, width / 2) << "unfocused text stands at the right";
  EXPECT_GT(hi, width - 12);
  EXPECT_EQ(E->InnerTextEdit()->Alignment(), taRightJustify);

  // Focused: typed left-aligned, the text and its unmodified state kept.
  E->SetFocus();
  Key(VK_END);
  std::tie(lo, hi) = span();
  WriteWindowPng(E, "cxTextEdit_right_focused");
  EXPECT_EQ(E->InnerTextEdit()->Alignment(), taLeftJustify);
  EXPECT_LT(lo, 12) << "focused text is typed from the left";
  EXPECT_EQ(E->Text(), "123");
  EXPECT_FALSE(E->EditModified()) << "making the window anew is no change of the user";
  Type("4");
  EXPECT_EQ(E->Text(), "1234");

  // Leaving shows it at the right again.
  other->SetFocus();
  std::tie(lo, hi) = span();
  EXPECT_GT(lo, width / 2);
  EXPECT_EQ(E->Text(), "1234");

  // A click into the unfocused editor lands in the left-aligned window.
  RECT r;
  GetWindowRect(Inner(), &r);
  const POINT click{4, (r.bottom - r.top) / 2};
  PostMessageW(Inner(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(click.x, click.y));
  PostMessageW(Inner(), WM_LBUTTONUP, 0, MAKELPARAM(click.x, click.y));
  PumpMessages(2);
  EXPECT_TRUE(E->Focused());
  EXPECT_EQ(E->InnerTextEdit()->Alignment(), taLeftJustify);
  EXPECT_EQ(E->Text(), "1234");
  // A second click within the double-click time is a double click, though
  // the window was made anew by the first: it selects the word.
  PostMessageW(Inner(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(click.x, click.y));
  PostMessageW(Inner(), WM_LBUTTONUP, 0, MAKELPARAM(click.x, click.y));
  PumpMessages(2);
  EXPECT_EQ(E->SelLength(), 4);

  // Kept right-aligned while editing when the properties ask for it.
  other->SetFocus();
  E->Properties()->SetUseLeftAlignmentOnEditing(false);
  E->SetFocus();
  Key(VK_END);   // the selected text would show in the highlight colours
  std::tie(lo, hi) = span();
  WriteWindowPng(E, "cxTextEdit_right_kept_focused");
  EXPECT_EQ(E->InnerTextEdit()->Alignment(), taRightJustify);
  EXPECT_GT(lo, width / 2);
  EXPECT_GT(hi, width - 12);
  Type("5");
  EXPECT_EQ(E->Text(), "12345");
  std::tie(lo, hi) = span();
  EXPECT_GT(hi, width - 12) << "typed text grows from the right";
}

namespace {
// The rows of a bitmap that hold ink: how many bands of consecutive rows,
// and the first row with ink (-1 when none).
std::pair<int, int> InkRows(TBitmap& B) {
  const TColor background = B.Canvas()->Pixels(B.Width() - 1, B.Height() - 1);
  int bands = 0, first = -1;
  bool inBand = false;
  for (int y = 0; y < B.Height(); ++y) {
    bool ink = false;
    for (int x = 0; x < B.Width() && !ink; ++x) ink = B.Canvas()->Pixels(x, y) != background;
    if (ink && first < 0) first = y;
    if (ink && !inBand) ++bands;
    inBand = ink;
  }
  return {bands, first};
}
}  // namespace

// Painted in a host that lets its text wrap (a grid row of several lines):
// the text is measured in rows. One row stays a single centred line;
// several rows are word-broken and centred while they fit, and start at
// the top when they are higher than the cell.
TEST(TextEditWrappedLayout, RowsAreMeasuredAndStartAtTheTopWhenTooHigh) {
  TcxTextEdit edit(nullptr);
  TcxCustomEditProperties* p = edit.Properties();
  TcxScreenCanvas* screen = cxSharedScreenCanvas();
  screen->Font()->Assign(edit.Style()->GetVisibleTextFont());
  const int row = screen->TextHeight("Zg");
  const String words = "一二三四五 一二三四五 一二三四五";
  const int width = screen->TextWidth("一二三四五") * 3 / 2;   // one word and a half a row
  struct Case {
    const char* Name;
    String Text;
    int Height;
    bool WordBreak, Centred;
    int Bands;
  } cases[] = {
      {"one row", "一二三四五", 5 * row, false, true, 1},
      {"three rows that fit", words, 8 * row, true, true, 3},
      {"three rows in two rows' height", words, 2 * row + row / 2, true, false, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::unique_ptr<TcxCustomEditViewInfo> base(p->CreateViewInfo());
    auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(base.get());
    std::unique_ptr<TcxCustomEditViewData> vdBase(p->CreateViewData(edit.Style(), true));
    auto* vd = dynamic_cast<TcxCustomTextEditViewData*>(vdBase.get());
    ASSERT_TRUE(vi && vd);
    vd->TextOptions = 2;   // the host lets the text wrap
    vd->VertAlignment = taVCenter;
    TBitmap bmp(width, c.Height, pf24bit);
    TcxCanvas canvas(bmp.Canvas());
    vd->PrepareViewInfoForPaint(&canvas, Variant(c.Text), vi);
    vd->Calculate(&canvas, TRect(0, 0, width, c.Height), TPoint(-1, -1), 0, {}, vi, false);
    EXPECT_EQ((vi->DrawTextFlags & CXTO_WORDBREAK) != 0, c.WordBreak);
    EXPECT_EQ((vi->DrawTextFlags & CXTO_SINGLELINE) != 0, !c.WordBreak);
    EXPECT_EQ((vi->DrawTextFlags & CXTO_VERT_MASK) == CXTO_CENTER_VERTICALLY, c.Centred);
    vi->PaintOn(&canvas);
    auto [bands, first] = InkRows(bmp);
    EXPECT_EQ(bands, c.Bands);
    if (c.Centred)
      EXPECT_GT(first, row / 2) << "centred in the cell";
    else
      EXPECT_LT(first, row / 2) << "from the top";
    WriteTestPng(&bmp, std::string("cxTextEdit_wrapped_") + std::to_string(c.Bands));
  }
}

// A right-aligned text may use the last pixel of its rectangle: a text one
// pixel wider than the rectangle still stays on one line, where a
// left-aligned one wraps.
TEST(TextEditWrappedLayout, RightAlignedTextMeasuresOnePixelWider) {
  TcxTextEdit edit(nullptr);
  TcxCustomEditProperties* p = edit.Properties();
  TcxScreenCanvas* screen = cxSharedScreenCanvas();
  screen->Font()->Assign(edit.Style()->GetVisibleTextFont());
  const String text = "订单 金额";
  const int textWidth = screen->TextWidth(text);
  for (TAlignment align : {taLeftJustify, taRightJustify}) {
    std::unique_ptr<TcxCustomEditViewInfo> base(p->CreateViewInfo());
    auto* vi = dynamic_cast<TcxCustomTextEditViewInfo*>(base.get());
    std::unique_ptr<TcxCustomEditViewData> vdBase(p->CreateViewData(edit.Style(), true));
    auto* vd = dynamic_cast<TcxCustomTextEditViewData*>(vdBase.get());
    ASSERT_TRUE(vi && vd);
    vd->TextOptions = 2;
    vd->HorzAlignment = align;
    TBitmap bmp(200, 60, pf24bit);
    TcxCanvas canvas(bmp.Canvas());
    vd->PrepareViewInfoForPaint(&canvas, Variant(text), vi);
    // The cell is chosen so that the text rectangle is one pixel narrower
    // than the text.
    vd->Calculate(&canvas, TRect(0, 0, 200, 60), TPoint(-1, -1), 0, {}, vi, false);
    const int insets = 200 - vi->TextRect.Width();
    vd->Calculate(&canvas, TRect(0, 0, textWidth - 1 + insets, 60), TPoint(-1, -1), 0, {}, vi, false);
    ASSERT_EQ(vi->TextRect.Width(), textWidth - 1);
    EXPECT_EQ((vi->DrawTextFlags & CXTO_SINGLELINE) != 0, align == taRightJustify) << int(align);
  }
}
