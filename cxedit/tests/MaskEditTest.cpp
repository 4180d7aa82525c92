// The masked editor typed through its real edit window with posted keys.
#include <memory>

#include "Forms.h"
#include "TestWindows.h"
#include "Utf8.h"
#include "cxMaskEdit.h"
#include "gtest.h"

namespace {
struct MaskEditFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxMaskEdit* E = nullptr;
  TcxTextEdit* Other = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 360, 160);
    E = new TcxMaskEdit(Form.get());
    // The height is the test's own (the text editor's measured height is
    // not what these tests look at).
    E->SetAutoSize(false);
    E->SetBounds(20, 20, 200, 24);
    E->SetParent(Form.get());
    Other = new TcxTextEdit(Form.get());
    Other->SetBounds(20, 60, 200, 24);
    Other->SetParent(Form.get());
    Form->Show();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  HWND Inner() { return E->InnerTextEdit()->Handle(); }
  void Focus() {
    E->SetFocus();
    PumpMessages(1);
  }
  void SetMask(TcxEditMaskKind Kind, const String& Mask) {
    E->Properties()->SetMaskKind(Kind);
    E->Properties()->SetEditMask(Mask);
  }
  // Characters posted as the keyboard's translation delivers them.
  void Type(const String& S) {
    for (size_t pos = 0; pos < S.size();) {
      char32_t c = Utf8Decode(S, pos);
      PostMessageW(Inner(), WM_CHAR, WPARAM(c), 1);
    }
    PumpMessages(2);
  }
  void Key(Word K) {
    // Backspace and Enter come back from the keyboard's translation as
    // characters too.
    PostMessageW(Inner(), WM_KEYDOWN, K, 1);
    PostMessageW(Inner(), WM_KEYUP, K, 0xC0000001);
    PumpMessages(2);
  }
  void ShiftDelete() {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Key(VK_DELETE);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }
  String ClipboardText() {
    String s;
    if (!OpenClipboard(nullptr)) return s;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
      s = Utf16ToUtf8(std::u16string(static_cast<const char16_t*>(GlobalLock(h))));
      GlobalUnlock(h);
    }
    CloseClipboard();
    return s;
  }
  void SetClipboard(const String& S) {
    std::u16string w = Utf8ToUtf16(S);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * 2);
    memcpy(GlobalLock(h), w.c_str(), (w.size() + 1) * 2);
    GlobalUnlock(h);
    SetClipboardData(CF_UNICODETEXT, h);
    CloseClipboard();
  }
};
}  // namespace

// The phone, time and date masks of the program's forms, typed key by key.
TEST_F(MaskEditFixture, StandardMasksTypedByPostedKeys) {
  struct Case {
    String Mask, Typed, Shown, Value;
  };
  const Case cases[] = {
      {"(999)000-0000;1;_", "0105551234", "(010)555-1234", "(010)555-1234"},
      {"(999)000-0000;0;_", "0105551234", "(010)555-1234", "0105551234"},
      {"!90:00;1;_", "0930", "09:30", "09:30"},
      {"!0000-00-00;1;_", "20240229", "2024-02-29", "2024-02-29"},
      // A letter where a digit is wanted is dropped; typing goes on.
      {"!0000-00-00;1;_", "2024x0102", "2024-01-02", "2024-01-02"},
  };
  for (const Case& c : cases) {
    SetMask(emkStandard, c.Mask);
    E->SetEditValue(Variant(String()));
    Focus();
    E->SetSelStart(0);
    Type(c.Typed);
    EXPECT_EQ(E->Text(), c.Shown) << c.Mask;
    EXPECT_TRUE(E->EditModified()) << c.Mask;
    Key(VK_RETURN);
    EXPECT_EQ(VarToStr(E->EditValue()), c.Value) << c.Mask;
  }
  WriteWindowPng(E, "cxMaskEdit_date");
}

TEST_F(MaskEditFixture, OverwriteCaretLiteralsAndDeletion) {
  SetMask(emkStandard, "(999)000-0000;1;_");
  Focus();
  E->SetSelStart(0);
  PumpMessages(1);
  // The caret is a one-character selection; typing at a literal skips it.
  EXPECT_EQ(E->SelLength(), 1);
  Type("12");
  EXPECT_EQ(E->Text(), "(12_)___-____");
  EXPECT_EQ(E->SelStart(), 3);
  Type("34");
  EXPECT_EQ(E->Text(), "(123)4__-____");
  // Backspace blanks the position left of the caret, never a literal.
  Key(VK_BACK);
  EXPECT_EQ(E->Text(), "(123)___-____");
  EXPECT_EQ(E->SelStart(), 5);
  // Delete over a selection with literals blanks only the digits.
  E->SetSelStart(1);
  E->SetSelLength(6);
  Key(VK_DELETE);
  EXPECT_EQ(E->Text(), "(___)___-____");
  // Shift+Delete cuts the selection through the mask: the digits go to
  // the clipboard and their positions are blanked.
  E->SetSelStart(0);
  Type("987");
  E->SetSelStart(1);
  E->SetSelLength(2);
  ShiftDelete();
  EXPECT_EQ(E->Text(), "(__7)___-____");
  EXPECT_EQ(ClipboardText(), "98");
}

TEST_F(MaskEditFixture, PasteOverwritesPositions) {
  SetMask(emkStandard, "(999)000-0000;1;_");
  Focus();
  E->SetSelStart(5);
  SetClipboard("123");
  PostMessageW(Inner(), WM_PASTE, 0, 0);
  PumpMessages(2);
  EXPECT_EQ(E->Text(), "(___)123-____");
  EXPECT_EQ(E->SelStart(), 9);   // moved over the '-'
  EXPECT_TRUE(E->EditModified());
}

TEST_F(MaskEditFixture, FocusedAndUnfocusedDisplay) {
  SetMask(emkStandard, "999;0;_");
  Other->SetFocus();
  E->SetEditValue(Variant(String("12")));
  PumpMessages(1);
  // Unfocused, an unfilled position shows as a space.
  EXPECT_EQ(E->Text(), "12 ");
  E->Properties()->SetAlwaysShowBlanksAndLiterals(true);
  EXPECT_EQ(E->Text(), "12_");
  E->Properties()->SetAlwaysShowBlanksAndLiterals(false);
  Focus();
  EXPECT_EQ(E->Text(), "12_");
  EXPECT_EQ(VarToStr(E->EditValue()), "12");
  // The window text is the shown text without the mask's blanks.
  wchar_t buf[32] = {};
  SendMessageW(E->Handle(), WM_GETTEXT, 32, LPARAM(buf));
  EXPECT_EQ(Utf16ToUtf8(std::u16string(reinterpret_cast<char16_t*>(buf))), "12 ");
  Other->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(E->Text(), "12 ");
}

TEST_F(MaskEditFixture, IncompleteTextIsInvalid) {
  SetMask(emkStandard, "!0000-00-00;1;_");
  Focus();
  E->SetSelStart(0);
  Type("2024");
  String error;
  E->Properties()->OnValidate = [&](TObject*, Variant&, String& AText, bool& AError) {
    if (AError) error = AText;
  };
  EXPECT_FALSE(E->ValidateInput(false));
  EXPECT_EQ(error, "The edit value is invalid");
  // With IgnoreMaskBlank an empty mask passes.
  E->Properties()->SetIgnoreMaskBlank(true);
  E->SetEditValue(Variant(String()));
  E->SetEditChanged(true);
  EXPECT_TRUE(E->ValidateInput(false));
}

TEST_F(MaskEditFixture, RegularExpressionMasks) {
  E->Properties()->SetBeepOnError(false);
  SetMask(emkRegExpr, "\\d+");
  Focus();
  Type("12a3");
  EXPECT_EQ(E->Text(), "123");
  // Shift+Delete without a selection is Backspace.
  ShiftDelete();
  EXPECT_EQ(E->Text(), "12");
  Type("3");
  // Typing inside keeps a tail that still fits.
  E->SetSelStart(1);
  Type("9");
  EXPECT_EQ(E->Text(), "1923");
  // Automatic completion: the separator comes and goes with the digit.
  SetMask(emkRegExprEx, "\\d\\d:\\d\\d");
  E->SetEditValue(Variant(String()));
  Focus();
  Type("09");
  EXPECT_EQ(E->Text(), "09:");
  Type("45");
  EXPECT_EQ(E->Text(), "09:45");
  Key(VK_BACK);
  Key(VK_BACK);
  EXPECT_EQ(E->Text(), "09:");
  Key(VK_BACK);
  EXPECT_EQ(E->Text(), "0");
  WriteWindowPng(E, "cxMaskEdit_regexpr");
}

TEST_F(MaskEditFixture, PropertyRules) {
  TcxCustomMaskEditProperties* p = E->Properties();
  // A bad expression raises and the old mask stays.
  p->SetMaskKind(emkRegExpr);
  p->SetEditMask("\\d+");
  EXPECT_THROW(p->SetEditMask("(\\d"), EcxMaskEditError);
  EXPECT_EQ(p->GetEditMask(), "\\d+");
  // Crossing between the syntaxes empties the mask...
  p->SetMaskKind(emkStandard);
  EXPECT_EQ(p->GetEditMask(), "");
  // ...but assigning a whole properties object keeps the new one.
  TcxMaskEditProperties src;
  src.SetMaskKind(emkRegExpr);
  src.SetEditMask("[a-z]+");
  p->Assign(&src);
  EXPECT_EQ(p->MaskKind(), emkRegExpr);
  EXPECT_EQ(p->GetEditMask(), "[a-z]+");
  // Case conversion keeps CaseInsensitive on.
  p->SetCharCase(ecUpperCase);
  p->SetCaseInsensitive(false);
  EXPECT_TRUE(p->CaseInsensitive());
  p->SetCharCase(ecNormal);
  p->SetCaseInsensitive(false);
  EXPECT_FALSE(p->CaseInsensitive());
  // A masked editor keeps no maximum length.
  p->SetMaxLength(5);
  EXPECT_EQ(p->MaxLength(), 0);
  // The filter helper: pattern operators only without a mask; a plain
  // expression becomes a completing one.
  const TcxCustomFilterEditHelper* h = cxFilterEditHelper(TcxFilterMaskEditHelper::StaticClass());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->GetFilterEditorClass(), TcxMaskEdit::StaticClass());
  TcxMaskEditProperties filter;
  h->InitFilterProperties(&filter, p, false);
  EXPECT_EQ(filter.MaskKind(), emkRegExprEx);
  EXPECT_FALSE(filter.AutoSelect());
  EXPECT_EQ(h->GetAllowedOperators(p, nullptr, false) & cxFilterOperatorBit(7), 0u);
}

TEST_F(MaskEditFixture, InplaceActivationByKeyTypesThroughTheMask) {
  auto* cell = new TcxMaskEdit(Form.get(), true);
  cell->SetBounds(20, 100, 200, 22);
  cell->SetParent(Form.get());
  cell->Properties()->SetEditMask("(999)000-0000;1;_");
  PumpMessages(1);
  TcxCustomEditData* data = nullptr;
  cell->ActivateByKey(U'8', data);
  PumpMessages(1);
  EXPECT_EQ(cell->Text(), "(8__)___-____");
  EXPECT_TRUE(IsWindowVisible(cell->InnerTextEdit()->Handle()));
  delete data;
}
