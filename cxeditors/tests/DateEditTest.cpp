// The date editor: masks by kind and input kind, dates typed in the
// program's format (yyyy-mm-dd), smart words, Null and an emptied text, the
// remembered time, DateOnError, the calendar drop-down keeping the time,
// and the data-aware date editor over a dataset.
#include <memory>

#include "DB.h"
#include "FormatSettings.h"
#include "DateUtils.h"
#include "FormFile.h"
#include "MemDataSet.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxButtons.h"
#include "cxCalendar.h"
#include "cxDBEdit.h"
#include "cxFormats.h"
#include "cxTextEdit.h"
#include "gtest.h"

namespace {
String Ymd(TDateTime v) { return FormatDateTime("yyyy-mm-dd", v); }
String YmdHn(TDateTime v) { return FormatDateTime("yyyy-mm-dd hh:nn", v); }
const TDateTime kNow = EncodeDate(2024, 5, 10) + EncodeTime(9, 45, 0, 0);

void PostKey(Word Key, bool Alt = false) {
  HWND W = GetFocus();
  if (Alt) {
    PostMessageW(W, WM_SYSKEYDOWN, Key, LPARAM(1 | (1 << 29)));
    PostMessageW(W, WM_SYSKEYUP, Key, LPARAM(0xC0000001 | (1 << 29)));
  } else {
    PostMessageW(W, WM_KEYDOWN, Key, 1);
    PostMessageW(W, WM_KEYUP, Key, LPARAM(0xC0000001));
  }
  PumpMessages(3);
}

void PostText(const String& Text) {
  for (char C : Text) PostMessageW(GetFocus(), WM_CHAR, WPARAM(C), 1);
  PumpMessages(3);
}

struct DateEditFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxDateEdit* E = nullptr;
  TcxDateEdit* Other = nullptr;
  void SetUp() override {
    SetClock([] { return kNow; });
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 420, 320);
    E = new TcxDateEdit(Form.get());
    E->SetBounds(10, 10, 180, 24);
    E->SetParent(Form.get());
    Other = new TcxDateEdit(Form.get());
    Other->SetBounds(220, 10, 160, 24);
    Other->SetParent(Form.get());
    Form->Show();
    E->SetFocus();
    PumpMessages(2);
  }
  void TearDown() override {
    Form.reset();
    ResetClock();
  }
  // Free text input: what the user types reaches the date parsing as it is.
  void FreeText() { E->Properties()->SetInputKind(ikStandard); }
  // Replaces the text as the user would (select all, type) and leaves.
  void TypeAndLeave(const String& Text) {
    E->SetFocus();
    PumpMessages(1);
    E->SelectAll();
    PostKey(VK_DELETE);
    PostText(Text);
    Other->SetFocus();
    PumpMessages(2);
  }
};
}  // namespace

TEST_F(DateEditFixture, MaskFollowsKindAndInputKind) {
  TcxDateEditProperties* P = E->Properties();
  EXPECT_EQ(P->InputKind(), ikRegExpr);
  EXPECT_EQ(P->MaskKind(), emkRegExprEx);
  EXPECT_EQ(P->EditMask(), cxGetFormatController()->DateRegExprMask);
  EXPECT_EQ(P->DateButtons(), (TDateButtons{btnClear, btnToday}));
  EXPECT_FALSE(P->AssignedValues()->InputKind());
  P->SetKind(ckDateTime);
  EXPECT_EQ(P->InputKind(), ikMask);
  EXPECT_EQ(P->MaskKind(), emkStandard);
  EXPECT_EQ(P->EditMask(), cxGetFormatController()->DateTimeStandardMask);
  EXPECT_EQ(P->DateButtons(), (TDateButtons{btnClear, btnNow}));
  // Setting the kind it reads already still marks it assigned.
  P->SetInputKind(ikMask);
  EXPECT_TRUE(P->AssignedValues()->InputKind());
  P->SetInputKind(ikStandard);
  EXPECT_EQ(P->EditMask(), "");
}

// The regional settings change while the editors live: the format
// controller tells them, and they show and mask dates in the new format.
TEST_F(DateEditFixture, ChangedShortDateFormatReachesLiveEditors) {
  E->SetDate(EncodeDate(2024, 3, 5));
  Other->Properties()->SetKind(ckDateTime);
  Other->SetDate(EncodeDate(2024, 3, 6) + EncodeTime(7, 8, 9, 0));
  Other->SetFocus();
  PumpMessages(1);
  ASSERT_EQ(E->Text(), "2024-03-05");
  auto announce = [] {
    HWND w = FindWindowW(reinterpret_cast<LPCWSTR>(u"TcxFormatControllerWindow"), nullptr);
    ASSERT_NE(w, nullptr) << "the live editors listen to the format controller";
    SendMessageW(w, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(u"intl"));
  };
  FormatSettings().ShortDateFormat = "dd/mm/yyyy";
  FormatSettings().DateSeparator = '.';
  FormatSettings().LongTimeFormat = "hh:nn";
  announce();
  EXPECT_EQ(E->Text(), "05.03.2024");
  EXPECT_EQ(E->Properties()->EditMask(), cxGetFormatController()->DateRegExprMask);
  EXPECT_NE(E->Properties()->EditMask().find("\\."), String::npos) << E->Properties()->EditMask();
  EXPECT_EQ(Other->Properties()->EditMask(), "!99/99/9999\\ 99:99;1; ");   // "/" is the separator
  EXPECT_EQ(Other->Text(), "06.03.2024 07:08");
  // The new format is typed as well.
  FreeText();
  TypeAndLeave("17.04.2024");
  EXPECT_EQ(Ymd(E->Date()), "2024-04-17");
  ResetFormatSettings();
  announce();
  EXPECT_EQ(E->Text(), "2024-04-17");
}

TEST_F(DateEditFixture, TypedDatesSmartWordsAndNull) {
  FreeText();
  struct Case {
    const char* Typed;
    const char* Stored;   // "" Null
  };
  const Case cases[] = {
      {"2024-06-01", "2024-06-01"}, {"today", "2024-05-10"}, {"tomorrow", "2024-05-11"},
      {"today+3", "2024-05-13"},    {"today-10", "2024-04-30"}, {"", ""},
  };
  for (const Case& c : cases) {
    TypeAndLeave(c.Typed);
    if (*c.Stored == 0) {
      EXPECT_TRUE(VarIsNull(E->EditValue())) << c.Typed;
      EXPECT_EQ(E->Date(), NullDate);
      EXPECT_EQ(E->Text(), "");
    } else {
      EXPECT_EQ(Ymd(E->Date()), c.Stored) << c.Typed;
      EXPECT_EQ(E->Text(), c.Stored) << c.Typed;
    }
  }
}

TEST_F(DateEditFixture, RememberedTimeAndAnEmptiedText) {
  FreeText();
  E->SetEditValue(VarFromDateTime(EncodeDate(2024, 5, 1) + EncodeTime(14, 30, 0, 0)));
  EXPECT_NEAR(E->RememberedTime(), EncodeTime(14, 30, 0, 0), 1e-9);
  // Another date typed without a time keeps 14:30.
  TypeAndLeave("2024-05-20");
  EXPECT_EQ(YmdHn(E->Date()), "2024-05-20 14:30");
  // Emptying the text stores Null, not 1899-12-30 14:30, and forgets the time.
  TypeAndLeave("");
  EXPECT_TRUE(VarIsNull(E->EditValue()));
  EXPECT_EQ(E->RememberedTime(), 0);
  TypeAndLeave("2024-05-21");
  EXPECT_EQ(YmdHn(E->Date()), "2024-05-21 00:00");
  // Without SaveTime a date carries no time.
  E->Properties()->SetSaveTime(false);
  E->SetDate(EncodeDate(2024, 7, 1) + EncodeTime(8, 0, 0, 0));
  E->SetDate(EncodeDate(2024, 7, 2));
  EXPECT_EQ(YmdHn(E->Date()), "2024-07-02 00:00");
}

TEST_F(DateEditFixture, UnreadableTextFollowsDateOnError) {
  FreeText();
  E->SetDate(EncodeDate(2024, 1, 2));
  E->Properties()->SetDateOnError(deNull);
  TypeAndLeave("abc");
  EXPECT_TRUE(VarIsNull(E->EditValue()));
  E->Properties()->SetDateOnError(deToday);
  TypeAndLeave("abc");
  EXPECT_EQ(Ymd(E->Date()), "2024-05-10");
  // deNoChange: an error; the old text comes back and the value stays.
  E->Properties()->SetDateOnError(deNoChange);
  E->SetFocus();
  PumpMessages(1);
  E->SelectAll();
  PostKey(VK_DELETE);
  PostText("abc");
  EXPECT_FALSE(E->ValidateInput(false));
  EXPECT_EQ(Ymd(E->Date()), "2024-05-10");
}

TEST_F(DateEditFixture, CalendarDropDownKeepsTheTime) {
  E->SetEditValue(VarFromDateTime(EncodeDate(2024, 5, 1) + EncodeTime(14, 30, 0, 0)));
  E->SetFocus();
  PumpMessages(1);
  PostKey(VK_F4);
  ASSERT_TRUE(E->DroppedDown());
  TcxPopupCalendar* C = E->Calendar();
  ASSERT_NE(C, nullptr);
  EXPECT_EQ(Ymd(C->FirstDate()), "2024-05-01");
  EXPECT_EQ(Ymd(C->SelectDate()), "2024-05-01");
  WriteWindowPng(E->PopupWindow(), "date_edit_dropdown");
  // Down a week, right a day, Enter: 2024-05-09 with the time kept.
  PostKey(VK_DOWN);
  PostKey(VK_RIGHT);
  PostKey(VK_RETURN);
  PumpMessages(3);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(YmdHn(E->Date()), "2024-05-09 14:30");
  EXPECT_EQ(E->Text(), "2024-05-09");
  // Esc leaves the value alone.
  PostKey(VK_F4);
  ASSERT_TRUE(E->DroppedDown());
  PostKey(VK_RIGHT);
  PostKey(VK_ESCAPE);
  PumpMessages(3);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(Ymd(E->Date()), "2024-05-09");
  // Clear, clicked, gives Null; the calendar's buttons look like the
  // editor's popup.
  E->Style()->LookAndFeel()->SetKind(lfFlat);
  PostKey(VK_F4);
  ASSERT_TRUE(E->DroppedDown());
  TcxButton* clear = E->Calendar()->ClearButton();
  EXPECT_EQ(clear->LookAndFeel()->Kind(), lfFlat);
  PostMessageW(clear->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(clear->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  PumpMessages(3);
  EXPECT_FALSE(E->DroppedDown());
  EXPECT_EQ(E->Text(), "");
  Other->SetFocus();
  PumpMessages(2);
  EXPECT_TRUE(VarIsNull(E->EditValue()));
  WriteWindowPng(Form.get(), "date_edit_form");
}

// ---------------------------------------------------------------------------
// Data-aware

namespace {
std::unique_ptr<TMemDataSet> MakeOrders() {
  auto ds = std::make_unique<TMemDataSet>(nullptr);
  ds->FieldDefs().Add("O_ID", ftInteger);
  ds->FieldDefs().Add("O_OrderDate", ftDateTime);
  ds->CreateDataSet();
  ds->Append();
  ds->FieldByName("O_ID")->SetAsInteger(1);
  ds->FieldByName("O_OrderDate")->SetAsDateTime(EncodeDate(2024, 3, 15) + EncodeTime(10, 20, 0, 0));
  ds->Post();
  ds->Append();
  ds->FieldByName("O_ID")->SetAsInteger(2);
  ds->Post();
  ds->First();
  return ds;
}
}  // namespace

TEST(DBDateEdit, ShowsWritesAndClearsTheField) {
  SetClock([] { return kNow; });
  auto Data = MakeOrders();
  TDataSource Source;
  Source.SetDataSet(Data.get());
  auto Form = std::make_unique<TForm>(nullptr);
  Form->SetBounds(80, 80, 360, 160);
  auto* E = new TcxDBDateEdit(Form.get());
  E->SetBounds(20, 20, 160, 24);
  E->SetParent(Form.get());
  E->Style()->LookAndFeel()->SetKind(lfStandard);
  E->Style()->LookAndFeel()->SetNativeStyle(true);
  auto* Other = new TcxDBDateEdit(Form.get());
  Other->SetBounds(20, 60, 160, 24);
  Other->SetParent(Form.get());
  E->DataBinding()->SetDataSource(&Source);
  E->DataBinding()->SetDataField("O_OrderDate");
  Form->Show();
  PumpMessages(2);
  EXPECT_EQ(E->Text(), "2024-03-15");
  WriteWindowPng(E, "db_date_edit");
  // A typed date goes into the field with the record's time kept.
  E->SetFocus();
  PumpMessages(1);
  E->SelectAll();
  PostKey(VK_DELETE);
  PostText("2024-04-01");
  Other->SetFocus();
  PumpMessages(2);
  EXPECT_EQ(Data->State(), dsEdit);
  Data->Post();
  EXPECT_EQ(YmdHn(Data->FieldByName("O_OrderDate")->AsDateTime()), "2024-04-01 10:20");
  // An emptied text writes Null, not day zero with the time.
  E->SetFocus();
  PumpMessages(1);
  E->SelectAll();
  PostKey(VK_DELETE);
  Other->SetFocus();
  PumpMessages(2);
  Data->Post();
  EXPECT_TRUE(Data->FieldByName("O_OrderDate")->IsNull());
  // The next record, with no date, shows an empty text.
  Data->Next();
  PumpMessages(1);
  EXPECT_EQ(E->Text(), "");
  Form.reset();
  ResetClock();
}

TEST(DBDateEdit, FormFilesCreateAndBindIt) {
  EXPECT_NE(GetClass("TcxDBDateEdit"), nullptr);
  EXPECT_NE(GetClass("TcxDateEdit"), nullptr);
}

TEST(DBDateEdit, TabStopOffFromAFormFileIsKeptAndTabPassesOver) {
  TForm form(nullptr);
  const String text =
      "object F: TForm\n"
      "  Left = 60\n"
      "  Top = 60\n"
      "  Width = 420\n"
      "  Height = 200\n"
      "  object First: TEdit\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    TabOrder = 0\n"
      "  end\n"
      "  object cxDBDateEdit1: TcxDBDateEdit\n"
      "    Left = 10\n"
      "    Top = 40\n"
      "    Width = 121\n"
      "    TabOrder = 1\n"
      "    TabStop = False\n"
      "  end\n"
      "  object cxDateEdit1: TcxDateEdit\n"
      "    Left = 10\n"
      "    Top = 70\n"
      "    Width = 121\n"
      "    TabOrder = 2\n"
      "    TabStop = False\n"
      "  end\n"
      "  object cxTextEdit1: TcxTextEdit\n"
      "    Left = 150\n"
      "    Top = 70\n"
      "    Width = 121\n"
      "    TabOrder = 3\n"
      "    TabStop = False\n"
      "  end\n"
      "  object Last: TEdit\n"
      "    Left = 10\n"
      "    Top = 100\n"
      "    TabOrder = 4\n"
      "  end\n"
      "end\n";
  ReadComponentFromText(text, &form);
  auto* first = dynamic_cast<TEdit*>(form.FindComponent("First"));
  auto* last = dynamic_cast<TEdit*>(form.FindComponent("Last"));
  auto* db = dynamic_cast<TcxDBDateEdit*>(form.FindComponent("cxDBDateEdit1"));
  auto* plain = dynamic_cast<TcxDateEdit*>(form.FindComponent("cxDateEdit1"));
  auto* textEdit = dynamic_cast<TcxTextEdit*>(form.FindComponent("cxTextEdit1"));
  ASSERT_TRUE(first && last && db && plain && textEdit);
  form.Show();
  first->SetFocus();
  PumpMessages(2);
  for (TcxCustomEdit* e : {static_cast<TcxCustomEdit*>(db), static_cast<TcxCustomEdit*>(plain), static_cast<TcxCustomEdit*>(textEdit)})
    EXPECT_FALSE(e->TabStop()) << e->Name();
  // Tab from the first edit passes over the editors (and their inner edits).
  PostKey(VK_TAB);
  EXPECT_TRUE(last->Focused());
  // Made a tab stop again, the data-aware editor is the next one, its
  // inner edit taking the keys; Tab goes on from there.
  db->SetTabStop(true);
  first->SetFocus();
  PumpMessages(2);
  PostKey(VK_TAB);
  EXPECT_TRUE(db->Focused());
  EXPECT_EQ(GetFocus(), db->InnerTextEdit()->Handle());
  PostKey(VK_TAB);
  EXPECT_TRUE(last->Focused());
  // Written out again, only the editor that is no tab stop names TabStop
  // (among its own lines, before any child object).
  auto ownLines = [](TComponent* C) {
    String text = ComponentToText(C);
    return text.substr(0, text.find("\n  object "));
  };
  EXPECT_NE(ownLines(plain).find("TabStop = False"), String::npos);
  EXPECT_EQ(ownLines(db).find("TabStop"), String::npos);
}
