// The date-time edit: edit formats with their masks and errors, the two-digit
// year window, stepping elements, separators, the calendar, and posting a
// date-only edit into a date-time column of a SQLite table.
#include <memory>
#include "DBCtrlsEh.h"
#include "DBEhAdoSupport.h"
#include "DBEhTestSupport.h"
#include "DateUtils.h"
#include "FormatSettings.h"
#include "SysUtils.h"
#include "TestPng.h"
#include "gtest.h"

namespace {

// Installs a short date format (and separator) for one test.
struct DateFormatScope {
  DateFormatScope(const char* shortDate, char sep) {
    FormatSettings().ShortDateFormat = shortDate;
    FormatSettings().DateSeparator = sep;
  }
  ~DateFormatScope() { ResetFormatSettings(); }
};

String ErrorOf(const String& format) {
  TDateTimeElementMapEh map;
  try {
    EditFormatToMaskEh(format, map);
  } catch (Exception& e) {
    return e.Message();
  }
  return "";
}

TEST(DateTimeEditFormats, DefaultFormatsMasksAndErrors) {
  struct Case {
    const char* shortDate;
    bool four;
    const char* expected;
  } cases[] = {{"yyyy-mm-dd", true, "YYYY/MM/DD"}, {"m/d/yyyy", true, "MM/DD/YYYY"},
               {"dd.mm.yy", false, "DD/MM/YY"},   {"yy/mm/dd", false, "YY/MM/DD"},
               {"hh", true, "DD/MM/YYYY"}};
  for (const Case& c : cases) {
    DateFormatScope scope(c.shortDate, '-');
    EXPECT_EQ(GetDefaultDateFormatEh(c.four), c.expected) << c.shortDate;
  }
  TDateTimeElementMapEh map;
  EXPECT_EQ(EditFormatToMaskEh("YYYY/MM/DD", map), "!9999/99/99;1; ");
  EXPECT_EQ(map[0].Pos, 1);
  EXPECT_EQ(map[0].Length, 4);
  EXPECT_EQ(map[2].Pos, 9);
  EXPECT_FALSE(map[3].Present);
  // Mask characters in the format become literals; an escaped letter too.
  EXPECT_EQ(EditFormatToMaskEh("HH:NN \\h 0", map), "!99:99 h \\0;1; ");
  EXPECT_EQ(map[4].Pos, 4);
  EXPECT_EQ(EditFormatToDisplayFormatEh("yyyy-mm-dd"), "YYYY'-'MM'-'DD");
  EXPECT_EQ(EditFormatToDisplayFormatEh("YYYY/MM/DD HH:NN"), "YYYY/MM/DD' 'HH:NN");
  EXPECT_EQ(EditFormatToElementMapEh("DD.MM.YYYY"), "DD MM YYYY");
  EXPECT_EQ(ErrorOf("DD/MMM/YYYY"), "Element in EditFormat: \"DD/MMM/YYYY\" is too long. Pos: 6");
  EXPECT_EQ(ErrorOf("D/MM/YYYY"), "Invalid datetime format element length: \"D\"");
  EXPECT_EQ(ErrorOf("DD/MM/DD"), "Duplicating datetime format element: \"D\"");
}

TEST(DateTimeEditFormats, TwoDigitYearWindowOfSixtyYears) {
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  Integer first = y - 60;   // the oldest year a two-digit year can mean
  EXPECT_EQ(ExpandTwoDigitYearEh(first % 100), first);
  EXPECT_EQ(ExpandTwoDigitYearEh((first + 99) % 100), first + 99);
  EXPECT_EQ(ExpandTwoDigitYearEh(2024), 2024);
  if (y == 2026) {
    EXPECT_EQ(ExpandTwoDigitYearEh(5), 2005);
    EXPECT_EQ(ExpandTwoDigitYearEh(70), 1970);
  }
  // Parts from a shown text: two-digit years expanded, blanks ignored,
  // anything else unreadable.
  TDateTimeElementMapEh map;
  EditFormatToMaskEh("DD/MM/YY", map);
  TDateTimePartsEh p = TextToPartsEh("3 -1x-  ", map);
  EXPECT_EQ(p[2], 3);
  EXPECT_EQ(p[1], -1);
  EXPECT_EQ(p[0], -1);
}

TEST(DateTimeEditFormats, StepsWrapWithinEachElement) {
  struct Case {
    const char* text;
    int pos;
    bool up;
    const char* expected;
  } cases[] = {
      {"2024-05-31", 10, true, "2024-05-01"},  {"2024-01-15", 6, false, "2024-12-15"},
      {"9999-01-15", 1, true, "0001-01-15"},   {"0001-01-15", 2, false, "9999-01-15"},
      {"2024-01-15", 5, true, "2024-02-15"},   // on the separator: the next element
  };
  String map = EditFormatToElementMapEh("YYYY/MM/DD");
  for (const Case& c : cases) {
    Integer start = 0, length = 0;
    EXPECT_EQ(StepFormatElementEh(c.text, map, c.up, c.pos, start, length), c.expected) << c.text << " " << c.pos;
  }
  Integer start = 0, length = 0;
  EXPECT_EQ(StepFormatElementEh("23:59:00", EditFormatToElementMapEh("HH:NN:SS"), true, 1, start, length),
            "00:59:00");
  EXPECT_EQ(start, 1);
  EXPECT_EQ(length, 2);
}

struct DateTimeEditFixture : DBEhFixture {};

TEST_F(DateTimeEditFixture, ValueTextAndValidation) {
  auto* own = AddEdit<TDBDateTimeEditEh>(nullptr, 40);
  EXPECT_EQ(own->Kind(), dtkDateEh);
  EXPECT_EQ(own->EditFormat(), "YYYY/MM/DD");
  EXPECT_EQ(own->EditMask(), "!9999/99/99;1; ");
  EXPECT_TRUE(own->Value().IsNull());
  // The own value of a date-only edit is the date alone.
  own->SetValue(Variant::FromDate(EncodeDateTime(2024, 5, 1, 14, 30, 0, 0)));
  EXPECT_EQ(own->Text(), "2024-05-01");
  EXPECT_EQ(own->Value().Kind(), varDate);
  EXPECT_DOUBLE_EQ(own->DataLink()->IndependentValue().AsDateTime(), EncodeDate(2024, 5, 1));
  // Bound, a new date keeps the time of day of the field.
  auto* ed = AddEdit<TDBDateTimeEditEh>("C_Date", 10);
  EXPECT_EQ(ed->Text(), "2024-04-30");
  ed->SetText("2024-06-15");
  EXPECT_DOUBLE_EQ(ed->Value().AsDateTime(), EncodeDateTime(2024, 6, 15, 14, 30, 0, 0));
  EXPECT_DOUBLE_EQ(Data->FieldByName("C_Date")->AsDateTime(), EncodeDateTime(2024, 6, 15, 14, 30, 0, 0));
  // A text that is no date is refused and changes nothing.
  try {
    ed->SetText("2024-13-01");
    ADD_FAILURE() << "no error";
  } catch (Exception& e) {
    EXPECT_EQ(e.Message(), "Invalid datetime: \"2024-13-01\"");
  }
  EXPECT_EQ(ed->Text(), "2024-06-15");
  // An impossible day typed is Null until validation clamps it.
  Focus(ed);
  ed->SelectAll();
  TypeText(u"20240231");
  EXPECT_EQ(ed->Text(), "2024-02-31");
  EXPECT_TRUE(ed->Value().IsNull());
  ed->ValidateEdit();
  EXPECT_EQ(ed->Text(), "2024-02-29");
  // Clearing gives Null.
  ed->SetText("");
  EXPECT_TRUE(ed->Value().IsNull());
  EXPECT_TRUE(Data->FieldByName("C_Date")->IsNull());
  Data->Cancel();
  // Kinds switch the format.
  ed->SetKind(dtkTimeEh);
  EXPECT_EQ(ed->EditMask(), "!99:99:99;1; ");
  ed->SetKind(dtkDateTimeEh);
  EXPECT_EQ(ed->EditFormat(), "YYYY/MM/DD HH:NN:SS");
  // A bad custom format keeps the old mask; the kind is custom already.
  EXPECT_THROW(ed->SetEditFormat("DD/MM/DD"), Exception);
  EXPECT_EQ(ed->Kind(), dtkCustomEh);
  EXPECT_EQ(ed->EditMask(), "!9999/99/99 99:99:99;1; ");
}

TEST_F(DateTimeEditFixture, ArrowsStepTheElementAndTheYearWraps) {
  auto* ed = AddEdit<TDBDateTimeEditEh>(nullptr, 10);
  ed->SetValue(Variant::FromDate(EncodeDate(2024, 5, 31)));
  Focus(ed);
  ed->SetSelStart(9);
  PressKey(VK_UP);
  EXPECT_EQ(ed->Text(), "2024-05-01");
  EXPECT_EQ(ed->SelStart(), 8);
  EXPECT_EQ(ed->SelLength(), 2);
  ed->SetSelStart(5);
  PressKey(VK_DOWN);
  EXPECT_EQ(ed->Text(), "2024-04-01");
  // 9999 steps to 0001, read as a two-digit year: 2001 after validation.
  ed->SetValue(Variant::FromDate(EncodeDate(9999, 1, 15)));
  ed->SetSelStart(0);
  PressKey(VK_UP);
  EXPECT_EQ(ed->Text(), "0001-01-15");
  Word y, m, d;
  DecodeDate(ed->Value().AsDateTime(), y, m, d);
  EXPECT_EQ(y, ExpandTwoDigitYearEh(1));
  ed->ValidateEdit();
  EXPECT_EQ(ed->Text(), IntToStr(ExpandTwoDigitYearEh(1)) + "-01-15");
  // Read-only: the arrows change nothing.
  ed->SetReadOnly(true);
  ed->SetSelStart(9);
  PressKey(VK_UP);
  EXPECT_EQ(ed->Text(), IntToStr(ExpandTwoDigitYearEh(1)) + "-01-15");
}

TEST_F(DateTimeEditFixture, SeparatorJumpsToTheNextElement) {
  DateFormatScope scope("dd/mm/yyyy", '/');
  auto* ed = AddEdit<TDBDateTimeEditEh>(nullptr, 10);
  EXPECT_EQ(ed->EditFormat(), "DD/MM/YYYY");
  ed->SetValue(Variant::FromDate(EncodeDate(2024, 5, 12)));
  Focus(ed);
  EXPECT_EQ(ed->Text(), "12/05/2024");
  ed->SetSelStart(0);
  SendMessageW(ed->Handle(), WM_CHAR, '/', 0);
  EXPECT_EQ(ed->SelStart(), 3);
  EXPECT_EQ(ed->SelLength(), 2);
  EXPECT_EQ(ed->Text(), "12/05/2024");
  // From the last element it wraps to the first.
  ed->SetSelStart(7);
  SendMessageW(ed->Handle(), WM_CHAR, '/', 0);
  EXPECT_EQ(ed->SelStart(), 0);
  EXPECT_EQ(ed->SelLength(), 2);
}

TEST_F(DateTimeEditFixture, TwoDigitYearsTypedAreReadInTheWindow) {
  DateFormatScope scope("yy-mm-dd", '-');
  auto* ed = AddEdit<TDBDateTimeEditEh>(nullptr, 10);
  EXPECT_EQ(ed->EditFormat(), "YY/MM/DD");
  EXPECT_EQ(ed->EditMask(), "!99/99/99;1; ");
  Focus(ed);
  ed->SelectAll();
  TypeText(u"050312");
  EXPECT_DOUBLE_EQ(ed->Value().AsDateTime(), EncodeDate(Word(ExpandTwoDigitYearEh(5)), 3, 12));
  ed->SelectAll();
  TypeText(u"700312");
  EXPECT_DOUBLE_EQ(ed->Value().AsDateTime(), EncodeDate(Word(ExpandTwoDigitYearEh(70)), 3, 12));
  EXPECT_EQ(ed->Text(), "70-03-12");
}

TEST_F(DateTimeEditFixture, CalendarChoiceKeepsTheTimeOfDay) {
  auto* ed = AddEdit<TDBDateTimeEditEh>("C_Date", 10);   // 2024-04-30 14:30
  Focus(ed);
  PressKey(VK_DOWN, false, true);   // Alt+Down drops the calendar
  ASSERT_TRUE(ed->CalendarOpen());
  EXPECT_TRUE(ed->DroppedDown());
  EXPECT_DOUBLE_EQ(ed->GetCalendar()->Date(), EncodeDate(2024, 4, 30));
  EXPECT_TRUE(IsWindowVisible(ed->GetCalendar()->Handle()));
  WriteWindowPng(Form.get(), "dbdatetimeEh_calendar");
  ed->GetCalendar()->SetDate(EncodeDate(2024, 6, 10));
  SendMessageW(ed->Handle(), WM_CHAR, VK_RETURN, 0);
  EXPECT_FALSE(ed->CalendarOpen());
  EXPECT_FALSE(IsWindowVisible(ed->GetCalendar()->Handle()));
  EXPECT_DOUBLE_EQ(ed->Value().AsDateTime(), EncodeDateTime(2024, 6, 10, 14, 30, 0, 0));
  EXPECT_EQ(ed->Text(), "2024-06-10");
  // Escape closes without taking the date.
  PressKey(VK_DOWN, false, true);
  ASSERT_TRUE(ed->CalendarOpen());
  ed->GetCalendar()->SetDate(EncodeDate(2020, 1, 1));
  SendMessageW(ed->Handle(), WM_CHAR, VK_ESCAPE, 0);
  EXPECT_FALSE(ed->CalendarOpen());
  EXPECT_EQ(ed->Text(), "2024-06-10");
  Data->Cancel();
}

TEST_F(DateTimeEditFixture, WritesPngsOfItsStates) {
  auto* date = AddEdit<TDBDateTimeEditEh>("C_Date", 10);
  auto* spin = AddEdit<TDBDateTimeEditEh>("C_Date", 40);
  spin->SetKind(dtkDateTimeEh);
  spin->EditButton()->SetStyle(ebsUpDownEh);
  auto* flat = AddEdit<TDBDateTimeEditEh>("C_Date", 70);
  flat->SetFlat(true);
  auto* empty = AddEdit<TDBDateTimeEditEh>(nullptr, 100);
  empty->SetEnabled(false);
  PumpMessages();
  EXPECT_EQ(date->Text(), "2024-04-30");
  WriteWindowPng(Form.get(), "dbdatetimeEh_states");
  Focus(flat);
  WriteWindowPng(Form.get(), "dbdatetimeEh_states_flat_focused");
}

// Posting into the database.
struct DateTimeEditAdo : DBEhAdoFixture {};

TEST_F(DateTimeEditAdo, ADateOnlyEditKeepsTheStoredTimeAndClearingWritesNull) {
  auto* ed = AddControl<TDBDateTimeEditEh>("O_Date", 10);
  auto* other = AddControl<TDBEditEh>("O_Name", 40);
  EXPECT_EQ(ed->Text(), "2024-05-01");
  Focus(ed);
  ed->SetSelStart(9);
  PressKey(VK_UP);
  EXPECT_EQ(Data->State(), dsEdit);
  Focus(other);
  Data->Post();
  EXPECT_EQ(Column("select O_Date from Orders where O_ID = 1"), "2024-05-02 14:30:00");
  // Cleared, the field is cleared.
  ed->SetText("");
  Data->Post();
  EXPECT_EQ(Column("select O_Date from Orders where O_ID = 1"), "NULL");
  // A date typed into an empty field starts at midnight.
  Focus(ed);
  ed->SelectAll();
  TypeText(u"20240709");
  Focus(other);
  Data->Post();
  EXPECT_EQ(Column("select O_Date from Orders where O_ID = 1"), "2024-07-09 00:00:00");
}

}  // namespace
