// The time editor: the masks by format, the time part under the caret
// stepped by keys and the wheel, typing rules of the time parts, the date
// part kept, midnight with and without Circular, and unreadable values.
#include <memory>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "cxFilterControlUtils.h"
#include "cxTimeEdit.h"
#include "gtest.h"

namespace {
struct TimeFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TcxTimeEdit* E = nullptr;
  TcxTextEdit* Other = nullptr;
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(60, 60, 300, 140);
    E = new TcxTimeEdit(Form.get());
    E->SetAutoSize(false);
    E->SetBounds(10, 10, 160, 24);
    E->SetParent(Form.get());
    Other = new TcxTextEdit(Form.get());
    Other->SetBounds(10, 60, 100, 24);
    Other->SetParent(Form.get());
    Form->Show();
    E->SetFocus();
    PumpMessages(1);
  }
  void TearDown() override { Form.reset(); }
  HWND Inner() { return E->InnerTextEdit()->Handle(); }
  void Key(Word K) { SendMessageW(Inner(), WM_KEYDOWN, K, 0); }
  void Char(char C) { SendMessageW(Inner(), WM_CHAR, WPARAM(C), 0); }
  void Caret(Integer Pos) {
    E->SetSelStart(Pos);
    E->SetSelLength(0);
  }
};
}  // namespace

TEST_F(TimeFixture, MasksAndEmptyValue) {
  EXPECT_EQ(E->Properties()->EditMask(), "00:00:00;1;0");
  EXPECT_EQ(E->Text(), "00:00:00");
  Other->SetFocus();
  PumpMessages(1);
  EXPECT_EQ(E->Text(), "");
  E->Properties()->SetTimeFormat(tfHourMin);
  EXPECT_EQ(E->Properties()->EditMask(), "00:00;1;0");
  // 12-hour masks end in a blank and one 'c' per designator character.
  E->Properties()->SetUse24HourFormat(false);
  EXPECT_EQ(E->Properties()->EditMask(), "00:00 cc;1;0");
}

TEST_F(TimeFixture, TheCaretsPartIsStepped) {
  E->SetTime(EncodeTime(8, 30, 0, 0));
  Caret(4);   // in the minutes
  Key(VK_PRIOR);  // fast up: ten minutes
  EXPECT_EQ(E->Text(), "08:40:00");
  Caret(1);   // in the hours
  Key(VK_UP);
  EXPECT_EQ(E->Text(), "09:40:00");
  Key(VK_NEXT);   // hours are not multiplied
  EXPECT_EQ(E->Text(), "08:40:00");
  Caret(7);   // seconds, by the wheel
  SendMessageW(E->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(10, 10));
  EXPECT_EQ(E->Text(), "08:40:01");
  PumpMessages(1);
  WriteWindowPng(E, "time_edit");
  // Past midnight only with Circular.
  E->SetTime(EncodeTime(23, 30, 0, 0));
  Caret(1);
  Key(VK_UP);
  EXPECT_EQ(E->Text(), "23:30:00");
  E->Properties()->SetCircular(true);
  Key(VK_UP);
  EXPECT_EQ(E->Text(), "00:30:00");
}

TEST_F(TimeFixture, TypingIntoTimeParts) {
  E->SetTime(EncodeTime(8, 30, 0, 0));
  Caret(3);
  Char('9');   // a 9 at the minutes' first digit gives 09
  EXPECT_EQ(E->Text(), "08:09:00");
  Caret(0);
  Char('7');   // 7 hours: 07
  EXPECT_EQ(E->Text(), "07:09:00");
  Caret(0);
  Char('2');
  Char('5');   // 25 is no hour: the first digit becomes 0
  EXPECT_EQ(E->Text(), "05:09:00");
}

TEST_F(TimeFixture, DatePartKeptAndUnreadableValues) {
  const TDateTime D = EncodeDate(2024, 5, 1) + EncodeTime(8, 30, 0, 0);
  E->SetEditValue(VarFromDateTime(D));
  E->SetTime(EncodeTime(9, 15, 0, 0));
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", E->EditValue().AsDouble()), "2024-05-01 09:15");
  // A text that is no time shows as no value, focused or not; never the
  // time of the moment.
  Variant Shown;
  E->Properties()->PrepareDisplayValue(Variant("午饭时间"), Shown, true);
  EXPECT_EQ(VarToStr(Shown), "00:00:00");
  E->Properties()->PrepareDisplayValue(Variant("午饭时间"), Shown, false);
  EXPECT_EQ(VarToStr(Shown), "");
  // With ShowDate an unfocused value with a date shows it.
  E->Properties()->SetShowDate(true);
  E->Properties()->PrepareDisplayValue(VarFromDateTime(D), Shown, false);
  EXPECT_EQ(VarToStr(Shown), DateTimeToStr(D));
}

TEST_F(TimeFixture, SettingsAndFormatChangesShowAtOnce) {
  E->SetTime(EncodeTime(13, 45, 0, 0));
  Other->SetFocus();
  PumpMessages(1);
  // Unfocused, a new format shows without any other action.
  E->Properties()->SetTimeFormat(tfHourMin);
  EXPECT_EQ(E->Text(), "13:45");
  // New designators of the locale reach the 12-hour mask.
  E->Properties()->SetUse24HourFormat(false);
  const String SavedAM = FormatSettings().TimeAMString, SavedPM = FormatSettings().TimePMString;
  FormatSettings().TimeAMString = "上午";
  FormatSettings().TimePMString = "下午";
  E->Properties()->HandleFormatChanged();
  EXPECT_EQ(E->Properties()->EditMask(), "00:00 cc;1;0");
  FormatSettings().TimeAMString = "A";
  FormatSettings().TimePMString = "P";
  E->Properties()->HandleFormatChanged();
  EXPECT_EQ(E->Properties()->EditMask(), "00:00 c;1;0");
  FormatSettings().TimeAMString = SavedAM;
  FormatSettings().TimePMString = SavedPM;
  E->Properties()->HandleFormatChanged();
}

// New designators of the locale, announced by the system while the editor
// lives, reach its 12-hour mask and its text.
TEST_F(TimeFixture, AnnouncedFormatChangeReachesTheTwelveHourMask) {
  E->Properties()->SetUse24HourFormat(false);
  E->SetTime(EncodeTime(15, 30, 0, 0));
  Other->SetFocus();
  PumpMessages(1);
  auto announce = [] {
    HWND w = FindWindowW(reinterpret_cast<LPCWSTR>(u"TcxFormatControllerWindow"), nullptr);
    ASSERT_NE(w, nullptr);
    SendMessageW(w, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(u"intl"));
  };
  FormatSettings().TimeAMString = "AM";
  FormatSettings().TimePMString = "PM";
  announce();
  EXPECT_EQ(E->Properties()->EditMask(), "00:00:00 cc;1;0");
  EXPECT_EQ(cxTimeEditMask(tfHourMin, false), "00:00 cc;1;0");
  EXPECT_EQ(E->Text(), "03:30:00 PM");
  FormatSettings().TimeAMString = "a";
  FormatSettings().TimePMString = "p";
  announce();
  EXPECT_EQ(E->Properties()->EditMask(), "00:00:00 c;1;0");
  EXPECT_EQ(E->Text(), "03:30:00 p");
  ResetFormatSettings();
  announce();
}

TEST_F(TimeFixture, FilterRowsGetAMidnightTimeBox) {
  const TcxCustomFilterEditHelper* H = cxGetFilterEditsController()->FindHelper(TcxTimeEditProperties::StaticClass());
  ASSERT_NE(H, nullptr);
  EXPECT_EQ(H->GetFilterEditorClass(), TcxTimeEdit::StaticClass());
  E->SetTime(EncodeTime(8, 30, 0, 0));
  H->PrepareFilterEdit(E, E->Properties());
  EXPECT_EQ(E->Time(), 0);
}
