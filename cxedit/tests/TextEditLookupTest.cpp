// The text editor's settings, its completion of typed text from its lookup
// items, the lookup's navigation and the list box that shows the items.
#include <memory>

#include "FormatSettings.h"
#include "Forms.h"
#include "SysUtils.h"
#include "TestWindows.h"
#include "Utf8.h"
#include "cxTextEdit.h"
#include "gtest.h"

namespace {
// Properties of a given input mode (the combo boxes answer theirs).
class TModeProperties : public TcxTextEditProperties {
 public:
  using TcxTextEditProperties::TcxTextEditProperties;
  TcxTextEditInputMode Mode = timFreeText;
  TcxTextEditInputMode GetTextInputMode() override { return Mode; }
};

// A lookup that shows a list box.
class TListLookupData : public TcxCustomTextEditLookupData {
 public:
  using TcxCustomTextEditLookupData::TcxCustomTextEditLookupData;

 protected:
  TcxCustomEditListBox* CreateListBox() override { return new TcxCustomEditListBox(Edit()); }
};

class TListProperties : public TModeProperties {
 public:
  using TModeProperties::TModeProperties;
  TcxTextEditLookupDataFactory GetLookupDataType() override {
    return [](TcxCustomTextEdit* E) { return new TListLookupData(E); };
  }
};

// A text editor whose lookup may be moved by keys (as list editors do).
class TNavigableEdit : public TcxCustomTextEdit {
 public:
  explicit TNavigableEdit(TComponent* AOwner)
      : TcxCustomTextEdit(AOwner, false, [](TPersistent* O) -> TcxCustomEditProperties* {
          return new TListProperties(O);
        }) {}
  TListProperties* Props() { return static_cast<TListProperties*>(Properties()); }
  bool AllowsLookupNavigation(Integer) override { return true; }
};

struct LookupFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TNavigableEdit* E = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(80, 80, 360, 260);
    E = new TNavigableEdit(Form.get());
    E->SetBounds(20, 20, 200, 24);
    E->SetParent(Form.get());
    Form->Show();
    E->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  HWND Inner() { return E->InnerTextEdit()->Handle(); }
  void Type(const String& S) {
    for (size_t pos = 0; pos < S.size();) PostMessageW(Inner(), WM_CHAR, Utf8Decode(S, pos), 1);
    PumpMessages(2);
  }
  void Key(Word K) {
    PostMessageW(Inner(), WM_KEYDOWN, K, 1);
    PostMessageW(Inner(), WM_KEYUP, K, 0xC0000001);
    PumpMessages(2);
  }
  void Items(std::initializer_list<const char*> AItems) {
    TStrings* items = E->Props()->LookupItems();
    items->Clear();
    for (const char* s : AItems) items->Add(s);
  }
};
}  // namespace

TEST_F(LookupFixture, TypedTextIsCompletedFromTheItems) {
  Items({"Apple", "apricot", "北京", "北海"});
  struct Step {
    String Typed;
    String Text;
    Integer SelStart, SelLength;
  };
  const Step steps[] = {
      {"a", "Apple", 1, 4},      // the item's own letters, the rest selected
      {"p", "Apple", 2, 3},
      {"r", "apricot", 3, 4},
      {"\b", "Apple", 2, 3},     // Backspace: the shorter prefix again
      {"x", "Apx", 3, 0},        // nothing starts so: the edit types it
  };
  for (const Step& s : steps) {
    Type(s.Typed);
    EXPECT_EQ(E->Text(), s.Text) << s.Typed;
    EXPECT_EQ(E->SelStart(), s.SelStart) << s.Typed;
    EXPECT_EQ(E->SelLength(), s.SelLength) << s.Typed;
  }
  EXPECT_TRUE(E->EditModified());
  EXPECT_FALSE(E->LookupSelection());

  // Chinese items complete by whole characters.
  E->SetEditValue(Variant(String()));
  Type("北");
  EXPECT_EQ(E->Text(), "北京");
  EXPECT_EQ(E->SelStart(), 1);
  EXPECT_EQ(E->SelText(), "京");
  Type("海");
  EXPECT_EQ(E->Text(), "北海");
  EXPECT_EQ(E->ItemIndex(), 3);
  Key(VK_RETURN);
  EXPECT_EQ(VarToStr(E->EditValue()), "北海");
  WriteWindowPng(Form.get(), "cxTextEdit_incremental_lookup");

  // Without IncrementalSearch a free-text editor just types.
  E->SetEditValue(Variant(String()));
  E->Props()->SetIncrementalSearch(false);
  Type("ap");
  EXPECT_EQ(E->Text(), "ap");
}

TEST_F(LookupFixture, ListTextRefusesWhatMatchesNoItem) {
  Items({"Apple", "apricot"});
  E->Props()->Mode = timListText;
  E->Props()->Changed();
  Type("z");
  EXPECT_EQ(E->Text(), "");
  Type("a");
  EXPECT_EQ(E->Text(), "Apple");
  Type("q");   // refused: the completion stays
  EXPECT_EQ(E->Text(), "Apple");
  EXPECT_EQ(E->SelLength(), 4);
  Type("pr");
  EXPECT_EQ(E->Text(), "apricot");
  // Delete is consumed in this mode (the text is one of the items).
  Key(VK_DELETE);
  EXPECT_EQ(E->Text(), "apricot");

  // A list-restricted text is accepted in another letter case and takes
  // the editor's character case.
  E->Props()->SetCharCase(ecUpperCase);
  String text = "APPLE";
  EXPECT_TRUE(E->Props()->AcceptsDisplayText(text));
  text = "apple";
  EXPECT_TRUE(E->Props()->AcceptsDisplayText(text));
  EXPECT_EQ(text, "APPLE");
  text = "pear";
  EXPECT_FALSE(E->Props()->AcceptsDisplayText(text));
}

TEST_F(LookupFixture, UpDownAndPagesMoveThroughTheItems) {
  Items({"一", "二", "三", "四", "五"});
  Integer changes = 0;
  E->Props()->OnChange = [&](TObject*) { ++changes; };
  struct Step {
    Word Key;
    bool Ctrl;
    String Text;
  };
  const Step steps[] = {
      {VK_DOWN, false, "一"}, {VK_DOWN, false, "二"}, {VK_UP, false, "一"},  {VK_UP, false, "一"},
      {VK_NEXT, true, "五"},  {VK_DOWN, false, "五"}, {VK_PRIOR, true, "一"},
  };
  for (const Step& s : steps) {
    if (s.Ctrl) {
      BYTE state[256];
      GetKeyboardState(state);
      state[VK_CONTROL] = 0x80;
      SetKeyboardState(state);
    }
    Key(s.Key);
    if (s.Ctrl) {
      BYTE state[256];
      GetKeyboardState(state);
      state[VK_CONTROL] = 0;
      SetKeyboardState(state);
    }
    EXPECT_EQ(E->Text(), s.Text) << s.Key;
    EXPECT_EQ(E->ItemIndex(), E->Props()->LookupItems()->IndexOf(s.Text));
  }
  EXPECT_GT(changes, 0);
  EXPECT_EQ(VarToStr(E->EditValue()), "一");
  EXPECT_TRUE(E->EditModified());
}

TEST(TextEditLookup, MoveSelectionTable) {
  TForm form(nullptr);
  auto* e = new TNavigableEdit(&form);
  for (Integer i = 0; i < 20; ++i) e->Props()->LookupItems()->Add(IntToStr(i));
  TcxCustomTextEditLookupData* lookup = e->LookupData();
  struct Case {
    Integer From;
    TcxLookupMove Move;
    bool Circular;
    Integer To;
  };
  const Case cases[] = {
      {0, lmPageDown, false, 7},  {15, lmPageDown, false, 19}, {19, lmPageDown, true, 0},
      {-1, lmPageDown, false, 7}, {10, lmPageUp, false, 3},    {3, lmPageUp, false, 0},
      {0, lmPageUp, true, 19},    {-1, lmPageUp, false, -1},   {19, lmNext, false, 19},
      {19, lmNext, true, 0},      {0, lmPrior, false, 0},      {0, lmPrior, true, 19},
      {5, lmFirst, false, 0},     {5, lmLast, false, 19},
  };
  for (const Case& c : cases) {
    lookup->WriteCurrentKey(Variant(c.From));
    lookup->MoveSelection(c.Move, c.Circular);
    EXPECT_EQ(lookup->CurrentKeyIndex(), c.To) << c.From << " " << int(c.Move);
  }
  // The drop-down editors' names reach the same lookup.
  IcxTextEditLookupData* intf = e->QueryLookupData();
  intf->ChangeKey(Variant(4));
  EXPECT_EQ(intf->CurrentKey().AsInteger(), 4);
  String text;
  intf->KeyText(Variant(4), text);
  EXPECT_EQ(text, "4");
  EXPECT_TRUE(intf->HasText("19"));
  EXPECT_FALSE(intf->NoItems());
  String prefix = "1", tail;
  EXPECT_TRUE(intf->FindText(prefix, tail));
  EXPECT_EQ(tail, "");   // "1" itself
}

TEST_F(LookupFixture, ListBoxShowsTheItemsAndHotTracks) {
  Items({"苹果", "香蕉", "橘子", "葡萄"});
  TcxCustomTextEditLookupData* lookup = E->LookupData();
  lookup->CreateList(Form.get());
  auto* list = static_cast<TcxCustomEditListBox*>(lookup->GetListControl());
  ASSERT_NE(list, nullptr);
  lookup->PlaceList(TRect(20, 50, 220, 50 + list->GetHeight(4)));
  PumpMessages(2);
  EXPECT_EQ(list->Count(), 4);
  EXPECT_EQ(list->GetItemText(1), "香蕉");
  EXPECT_EQ(list->ItemHeight(), list->GetItemHeight(-1));

  // While the list shows, keys move only its highlight; choosing takes it.
  lookup->WriteCurrentKey(Variant(0));
  EXPECT_EQ(E->Text(), "苹果");
  lookup->MoveSelection(lmNext, false);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(lookup->CurrentKeyIndex(), 0);
  // The mouse over an item highlights it.
  TRect r = list->ItemRect(2);
  SendMessageW(list->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(r.Left + 5, r.Top + 2));
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(lookup->ListItemIndex(), 2);
  lookup->ChooseListItem();
  EXPECT_EQ(lookup->CurrentKeyIndex(), 2);
  EXPECT_EQ(E->Text(), "橘子");
  PumpMessages(1);
  WriteWindowPng(Form.get(), "cxTextEdit_edit_list_box");

  // The item count follows the items.
  E->Props()->LookupItems()->Add("西瓜");
  EXPECT_EQ(list->Count(), 5);
  // A point on the list is in it; one beside it is not.
  RECT wr;
  GetWindowRect(list->Handle(), &wr);
  EXPECT_TRUE(lookup->IsPointInList(TPoint(wr.left + 3, wr.top + 3)));
  EXPECT_FALSE(lookup->IsPointInList(TPoint(wr.left - 3, wr.top + 3)));
}

TEST_F(LookupFixture, TextMessagesAndSelectionRules) {
  E->SetEditValue(Variant(String("订单")));
  char16_t buf[8] = {u'x', u'x'};
  EXPECT_EQ(SendMessageW(E->Handle(), WM_GETTEXT, 1, LPARAM(buf)), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(SendMessageW(E->Handle(), WM_GETTEXT, 8, LPARAM(buf)), 2);
  EXPECT_EQ(std::u16string(buf), u"订单");
  EXPECT_EQ(SendMessageW(E->Handle(), WM_GETTEXTLENGTH, 0, 0), 2);
  EXPECT_EQ(SendMessageW(E->Handle(), WM_SETTEXT, 0, LPARAM(u"客户")), 1);
  EXPECT_EQ(E->Text(), "客户");
  EXPECT_EQ(VarToStr(E->EditValue()), "客户");

  // The caret's character index, read back from the edit window's caret.
  E->SelectRange(1, 0);
  EXPECT_EQ(E->GetCaretCharIndex(), 1);
  E->SelectRange(0, 2);
  EXPECT_EQ(E->GetCaretCharIndex(), 2);

  // Inserting while typed in counts whole characters against MaxLength.
  E->Props()->SetMaxLength(3);
  E->SelectRange(2, 0);
  E->SetSelText("一二三");
  EXPECT_EQ(E->Text(), "客户一");
  EXPECT_EQ(E->SelStart(), 3);

  // No caret: the selection reads 0 and cannot be set.
  E->Props()->SetHideCursor(true);
  EXPECT_EQ(E->Props()->ViewStyle(), vsHideCursor);
  E->Props()->Mode = timNoText;   // what HideCursor gives without the test's override
  E->Props()->Changed();
  E->SetSelStart(1);
  EXPECT_EQ(E->SelStart(), 0);
  EXPECT_EQ(E->SelLength(), 0);
  // The view info paints the text itself and the edit window is clipped away.
  EXPECT_FALSE(E->HasReadOnlyText());
  PumpMessages(2);
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(Inner(), rgn), NULLREGION);
  DeleteObject(rgn);
  EXPECT_EQ(E->GetViewInfo()->Text, "客户一");
  WriteWindowPng(E, "cxTextEdit_no_cursor");
}

TEST(TextEditProperties, SettingsAndConversions) {
  TcxTextEditProperties p(nullptr);
  // MaxLength: a negative value is 0, and assigned.
  p.SetMaxLength(-5);
  EXPECT_EQ(p.MaxLength(), 0);
  EXPECT_TRUE(p.AssignedValues()->MaxLength());

  // Value bounds: one assigned bound alone, both only when max > min.
  struct Bounds {
    bool MinAssigned, MaxAssigned;
    double Min, Max;
    bool MinDefined, MaxDefined;
  };
  const Bounds bounds[] = {
      {true, false, 0, 0, true, false}, {false, true, 0, 0, false, true}, {true, true, 5, 3, false, false},
      {true, true, 1, 3, true, true},   {false, false, 0, 0, false, false},
  };
  for (const Bounds& b : bounds) {
    TcxTextEditProperties q(nullptr);
    if (b.MinAssigned) q.SetMinValue(b.Min);
    if (b.MaxAssigned) q.SetMaxValue(b.Max);
    q.AssignedValues()->SetMinValue(b.MinAssigned);
    q.AssignedValues()->SetMaxValue(b.MaxAssigned);
    EXPECT_EQ(q.IsValueBoundDefined(0), b.MinDefined);
    EXPECT_EQ(q.IsValueBoundDefined(1), b.MaxDefined);
  }

  // Password echo and character case in the shown text.
  p.SetEchoMode(eemPassword);
  EXPECT_EQ(p.GetDisplayText(Variant(String("abcd"))), "****");
  p.SetPasswordChar(U'●');
  EXPECT_EQ(p.GetDisplayText(Variant(String("密码"))), "●●");
  p.SetEchoMode(eemNormal);
  p.SetCharCase(ecUpperCase);
  EXPECT_EQ(p.GetDisplayText(Variant(String("abc"))), "ABC");

  // The view style maps onto the buttons view style and HideCursor.
  p.SetViewStyle(vsButtonsOnly);
  EXPECT_EQ(p.ButtonsViewStyle(), bvsButtonsOnly);
  EXPECT_TRUE(p.HideCursor());
  EXPECT_EQ(p.GetTextInputMode(), timNoText);
  p.SetViewStyle(vsNormal);
  EXPECT_FALSE(p.HideCursor());

  // Assign copies the lookup items and only the assigned formats.
  p.LookupItems()->Add("b");
  p.LookupItems()->Add("a");
  p.SetLookupItemsSorted(true);
  p.SetDisplayFormat("0.00");
  TcxTextEditProperties copy(nullptr);
  copy.Assign(&p);
  EXPECT_EQ(copy.LookupItems()->Strings(0), "a");
  EXPECT_TRUE(copy.LookupItemsSorted());
  EXPECT_EQ(copy.DisplayFormat(), "0.00");
  EXPECT_TRUE(copy.AssignedValues()->DisplayFormat());
  EXPECT_FALSE(copy.AssignedValues()->EditFormat());
  EXPECT_EQ(copy.CharCase(), ecUpperCase);
}

TEST(TextEditProperties, ThousandSeparators) {
  TFormatSettings saved = FormatSettings();
  FormatSettings().ThousandSeparator = ',';
  FormatSettings().DecimalSeparator = '.';
  const std::pair<String, String> cases[] = {
      {"12345.678", "12,345.678"}, {"-1234", "-1,234"}, {"12E5", "12E5"},      {"1234567", "1,234,567"},
      {"  999 ", "  999 "},        {"1,2345", "12,345"}, {"123456E-3", "123,456E-3"}, {"", ""},
  };
  for (const auto& c : cases) {
    String s = c.first;
    cxInsertThousandSeparators(s);
    EXPECT_EQ(s, c.second) << c.first;
  }
  EXPECT_TRUE(cxIsNumberText("12,345.5"));
  EXPECT_FALSE(cxIsNumberText(","));
  FormatSettings() = saved;
}

TEST(TextEditProperties, RegisteredWithTheFilterRows) {
  cxTextEditUnitStartup();
  TcxRegisteredClasses* reg = cxEditPropertiesRegistry();
  Integer i = reg->IndexOfClass(TcxTextEditProperties::StaticClass());
  ASSERT_GE(i, 0);
  EXPECT_EQ(reg->GetFullDescription(i), "TextEdit|Represents a single line text editor");
  const TcxCustomFilterEditHelper* helper =
      cxGetFilterEditsController()->FindHelper(TcxTextEditProperties::StaticClass());
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(helper->GetFilterEditorClass(), TcxTextEdit::StaticClass());
  TcxTextEditProperties p(nullptr), source(nullptr);
  p.SetHideCursor(true);
  helper->InitFilterProperties(&p, &source, false);
  EXPECT_EQ(p.ViewStyle(), vsNormal);
  EXPECT_TRUE(p.AutoSelect());
}

namespace {
// The numeric editors' side of the text settings.
class TNumberProperties : public TcxTextEditProperties {
 public:
  using TcxTextEditProperties::TcxTextEditProperties;
  bool Separators = false;
  bool SupportsValueRange() override { return true; }
  bool UsesThousandSeparator(bool) override { return Separators; }
};
}  // namespace

TEST(TextEditProperties, NumbersShownAndCheckedAgainstTheirBounds) {
  TFormatSettings saved = FormatSettings();
  FormatSettings().ThousandSeparator = ',';
  FormatSettings().DecimalSeparator = '.';
  TNumberProperties p(nullptr);
  auto show = [&](const Variant& V, bool AFocused) {
    Variant d;
    p.PrepareDisplayValue(V, d, AFocused);
    return VarToStr(d);
  };
  EXPECT_EQ(show(Null(), false), "");
  EXPECT_EQ(show(Variant(1234.5), false), "1234.5");
  p.SetDisplayFormat("0.00");
  EXPECT_EQ(show(Variant(1234.5), false), "1234.50");
  // Focused without an edit format: the plain number, the display format
  // only with UseDisplayFormatWhenEditing.
  EXPECT_EQ(show(Variant(1234.5), true), "1234.5");
  p.SetUseDisplayFormatWhenEditing(true);
  EXPECT_EQ(show(Variant(1234.5), true), "1234.50");
  p.SetUseDisplayFormatWhenEditing(false);
  p.Separators = true;
  EXPECT_EQ(show(Variant(String("1234567.25")), true), "1,234,567.25");
  EXPECT_THROW(show(VarFromDateTime(1.0), false), EConvertError);

  // Bounds: a value below the assigned minimum is out of bounds.
  p.SetMinValue(0);
  p.AssignedValues()->SetMinValue(true);
  String error;
  bool failed = false;
  p.ValidateValueRange(Variant(-1), error, nullptr, failed);
  EXPECT_TRUE(failed);
  EXPECT_EQ(error, "Value out of bounds");
  failed = false;
  p.ValidateValueRange(Variant(1e9), error, nullptr, failed);
  EXPECT_FALSE(failed);
  FormatSettings() = saved;
}
