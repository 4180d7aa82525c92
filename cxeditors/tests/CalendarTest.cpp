// The month calendar on a form: layout per kind and buttons, the 42 days
// with Chinese day and month names, moving the selection by keys, stepping
// months by arrows (with auto-repeat) and by the wheel, choosing by mouse
// and buttons, and the month list.
#include <memory>

#include "DateUtils.h"
#include "FormatSettings.h"
#include "StdCtrls.h"
#include "TestPng.h"
#include "TestWindows.h"
#include "Themes.h"
#include "cxButtons.h"
#include "cxCalendar.h"
#include "cxFormats.h"
#include "gtest.h"

namespace {
class TTestCalendar : public TcxCalendar {
 public:
  using TcxCalendar::TcxCalendar;
  std::vector<TcxPopupCloseReason> Closes;
  void RequestClose(TObject* Sender, TcxPopupCloseReason Reason) override {
    TcxCalendar::RequestClose(Sender, Reason);
    Closes.push_back(Reason);
  }
};

String Ymd(TDateTime v) { return FormatDateTime("yyyy-mm-dd", v); }
String YmdHn(TDateTime v) { return FormatDateTime("yyyy-mm-dd hh:nn", v); }

struct CalendarFixture : ::testing::Test {
  std::unique_ptr<TForm> Form;
  TTestCalendar* Cal = nullptr;
  Integer Chosen = 0;
  void SetUp() override {
    // Friday 2024-05-10 14:30 is "now".
    SetClock([] { return EncodeDate(2024, 5, 10) + EncodeTime(14, 30, 0, 0); });
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(40, 40, 420, 380);
    Cal = new TTestCalendar(Form.get());
    Cal->SetLeft(10);
    Cal->SetTop(10);
    Cal->SetParent(Form.get());
    Cal->SetColor(clWindow);
    Cal->OnDateChosen = [this](TObject*) { ++Chosen; };
    Form->Show();
    Cal->SetFocus();
    PumpMessages(2);
  }
  void TearDown() override {
    Form.reset();
    ResetClock();
  }
  void Key(Word K, bool Ctrl = false) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_CONTROL] = Ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(Cal->Handle(), WM_KEYDOWN, K, 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
  }
  TPoint Center(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }
  void Click(TPoint P) {
    SendMessageW(Cal->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(P.X, P.Y));
    SendMessageW(Cal->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(P.X, P.Y));
  }
};
}  // namespace

TEST_F(CalendarFixture, GridHoldsSixWeeksStartingOnTheFormatsFirstDay) {
  // May 2024 starts on a Wednesday; the week starts on Monday here.
  ASSERT_EQ(cxGetFormatController()->FirstDayOfWeek, 1);
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-05-01");
  EXPECT_EQ(Ymd(Cal->GetFirstVisibleDate()), "2024-04-29");
  EXPECT_EQ(Ymd(Cal->GetLastVisibleDate()), "2024-06-09");
  // A month that starts on the week's first day shows a whole week before it.
  Cal->ShowMonthOf(EncodeDate(2024, 4, 15));
  EXPECT_EQ(Ymd(Cal->GetFirstVisibleDate()), "2024-03-25");
  EXPECT_EQ(Ymd(Cal->DateAtPoint(Center(Cal->DayCellRect(0, 1)))), "2024-04-01");
  EXPECT_EQ(Cal->DateAtPoint(TPoint(1, 1)), NullDate);
}

TEST_F(CalendarFixture, LayoutFollowsKindButtonsAndWeekNumbers) {
  const Integer W = Cal->Width(), H = Cal->Height();
  // Today and Clear share one row, evenly spaced.
  ASSERT_TRUE(Cal->TodayButton()->Visible() && Cal->ClearButton()->Visible());
  EXPECT_FALSE(Cal->NowButton()->Visible() || Cal->OKButton()->Visible());
  EXPECT_EQ(Cal->TodayButton()->Top(), Cal->ClearButton()->Top());
  const Integer Gap = Cal->TodayButton()->Left();
  EXPECT_NEAR(W - (Cal->ClearButton()->Left() + Cal->ClearButton()->Width() - 1), Gap, 1);
  // Only Today: centred.
  Cal->SetCalendarButtons({btnToday});
  EXPECT_FALSE(Cal->ClearButton()->Visible());
  EXPECT_NEAR(Cal->TodayButton()->Left() + Cal->ButtonWidth() / 2, W / 2, 1);
  // No buttons: the button area leaves the height.
  Cal->SetCalendarButtons({});
  EXPECT_EQ(Cal->Height(), H - Cal->ButtonsAreaHeight());
  // Week numbers widen it by their column.
  Cal->SetCalendarButtons({btnClear, btnToday});
  Cal->SetWeekNumbers(true);
  EXPECT_EQ(Cal->Width(), W + Cal->WeekNumberWidth() + 5);
  Cal->SetWeekNumbers(false);
  // Date-time mode: OK always, Now, a clock; Tab moves between the buttons.
  Cal->SetCalendarButtons({btnClear, btnNow});
  Cal->SetKind(ckDateTime);
  EXPECT_TRUE(Cal->OKButton()->Visible() && Cal->NowButton()->Visible() && Cal->ClearButton()->Visible());
  EXPECT_TRUE(Cal->Clock()->Visible());
  EXPECT_GT(Cal->Width(), W);
  EXPECT_FALSE(Cal->WantedKeys().Contains(wkTab));
  EXPECT_TRUE(Cal->OKButton()->TabStop());
  // A forced size is refused.
  const Integer DW = Cal->Width();
  Cal->SetWidth(DW + 50);
  EXPECT_EQ(Cal->Width(), DW);
  PumpMessages(1);
  WriteWindowPng(Cal, "calendar_datetime");
}

TEST_F(CalendarFixture, PaintsChineseNamesTodayAndSelection) {
  Cal->SetWeekNumbers(true);
  Cal->SelectDay(EncodeDate(2024, 5, 21));
  PumpMessages(2);
  WriteWindowPng(Cal, "calendar_may_2024");
  // The selected day is filled with the selection colour, other days with
  // the calendar's colour, and today carries a maroon frame.
  auto CellPixel = [&](TDateTime D, Integer dx, Integer dy) {
    const Integer Index = Integer(D - Cal->GetFirstVisibleDate());
    const TRect R = Cal->DayCellRect(Index % 7, Index / 7);
    return ClientPixel(Cal, R.Left + dx, R.Top + dy);
  };
  EXPECT_EQ(CellPixel(EncodeDate(2024, 5, 21), 2, 2), ColorToRGB(clHighlight));
  EXPECT_EQ(CellPixel(EncodeDate(2024, 5, 22), 2, 2), ColorToRGB(clWindow));
  EXPECT_EQ(CellPixel(EncodeDate(2024, 5, 10), 0, 0), ColorToRGB(clMaroon));
  // The header shows the Chinese month name and the year; the day names
  // are the profile's (一 .. 日), Monday first.
  EXPECT_EQ(cxDateLongMonthName(Cal->CalendarTable(), Cal->FirstDate()), "五月");
  EXPECT_EQ(cxShortDayName(1), "一");
  EXPECT_EQ(cxShortDayName(7), "日");
  // Something dark is drawn in the month caption (its text).
  const TRect M = Cal->MonthCaptionRect();
  bool Ink = false;
  for (Integer X = M.Left; X < M.Right && !Ink; ++X)
    for (Integer Y = M.Top; Y < M.Bottom && !Ink; ++Y) Ink = ClientPixel(Cal, X, Y) == ColorToRGB(clBtnText);
  EXPECT_TRUE(Ink);
}

TEST_F(CalendarFixture, KeysMoveTheSelectionAndTheMonthFollows) {
  Cal->ChooseDate(EncodeDate(2024, 5, 10));
  struct Step {
    Word Key;
    bool Ctrl;
    const char* Expected;
  };
  const Step steps[] = {
      {VK_RIGHT, false, "2024-05-11"}, {VK_LEFT, false, "2024-05-10"}, {VK_DOWN, false, "2024-05-17"},
      {VK_UP, false, "2024-05-10"},    {VK_HOME, false, "2024-05-06"}, {VK_END, false, "2024-05-12"},
      {VK_HOME, true, "2024-05-01"},   {VK_END, true, "2024-05-31"},   {VK_NEXT, false, "2024-06-30"},
      {VK_PRIOR, false, "2024-05-30"}, {VK_UP, false, "2024-05-23"},
  };
  for (const Step& s : steps) {
    Key(s.Key, s.Ctrl);
    EXPECT_EQ(Ymd(Cal->SelectDate()), s.Expected) << s.Key << " " << s.Ctrl;
  }
  // Crossing into another month shows that month.
  Key(VK_PRIOR);
  EXPECT_EQ(Ymd(Cal->SelectDate()), "2024-04-23");
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-04-01");
  PumpMessages(1);
  WriteWindowPng(Cal, "calendar_april_by_keys");
}

TEST_F(CalendarFixture, ArrowsStepMonthsAndYearsAndRepeatWhileHeld) {
  Click(Center(Cal->ArrowRect(1)));
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-06-01");
  Click(Center(Cal->ArrowRect(3)));
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2025-06-01");
  Click(Center(Cal->ArrowRect(2)));
  Click(Center(Cal->ArrowRect(0)));
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-05-01");
  // A release on an arrow chooses nothing and asks for no close.
  EXPECT_EQ(Chosen, 0);
  EXPECT_TRUE(Cal->Closes.empty());
  // Held on the next-month arrow: a step at once and one per timer tick
  // while the cursor stays there.
  const TPoint P = Center(Cal->ArrowRect(1));
  const TPoint S = Cal->ClientToScreen(P);
  SetCursorPos(S.X, S.Y);
  SendMessageW(Cal->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(P.X, P.Y));
  EXPECT_TRUE(Cal->ArrowTimer()->Enabled());
  EXPECT_EQ(Cal->ArrowTimer()->Interval(), 200u);
  SendMessageW(cxTimerWindowHandle(), WM_TIMER, Cal->ArrowTimer()->Id(), 0);
  SendMessageW(cxTimerWindowHandle(), WM_TIMER, Cal->ArrowTimer()->Id(), 0);
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-08-01");
  SendMessageW(Cal->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(P.X, P.Y));
  EXPECT_FALSE(Cal->ArrowTimer()->Enabled());
  EXPECT_EQ(Chosen, 0);
  // The wheel over the captions steps months and years.
  const TRect M = Cal->MonthCaptionRect(), Y = Cal->YearCaptionRect();
  const TPoint MS = Cal->ClientToScreen(Center(M)), YS = Cal->ClientToScreen(Center(Y));
  SendMessageW(Cal->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(MS.X, MS.Y));
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-07-01");
  SendMessageW(Cal->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(YS.X, YS.Y));
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2025-07-01");
}

TEST_F(CalendarFixture, ClickOnADayChoosesItAndAsksToClose) {
  const TDateTime Target = EncodeDate(2024, 6, 3);  // a grey day of the next month
  const Integer Index = Integer(Target - Cal->GetFirstVisibleDate());
  Click(Center(Cal->DayCellRect(Index % 7, Index / 7)));
  EXPECT_EQ(Ymd(Cal->SelectDate()), "2024-06-03");
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-05-01");  // the month shown stays
  EXPECT_EQ(Chosen, 1);
  ASSERT_EQ(Cal->Closes.size(), 1u);
  EXPECT_EQ(Cal->Closes[0], pcrAccept);
}

TEST_F(CalendarFixture, ButtonsChooseTodayNowClearAndOK) {
  Cal->Clock()->SetTime(EncodeTime(8, 15, 0, 0));
  Cal->ChooseDate(EncodeDate(2024, 1, 2));
  Cal->TodayButton()->Click();
  EXPECT_EQ(YmdHn(Cal->SelectDate()), "2024-05-10 08:15");
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-05-01");
  Cal->NowButton()->Click();
  EXPECT_EQ(YmdHn(Cal->SelectDate()), "2024-05-10 14:30");
  EXPECT_EQ(YmdHn(Cal->Clock()->Time()), "1899-12-30 14:30");
  Cal->ChooseDate(EncodeDate(2024, 2, 3));
  Cal->OKButton()->Click();
  EXPECT_EQ(YmdHn(Cal->SelectDate()), "2024-02-03 14:30");
  Cal->ClearButton()->Click();
  EXPECT_EQ(Cal->SelectDate(), NullDate);
  EXPECT_EQ(Chosen, 4);
  EXPECT_EQ(Cal->Closes.size(), 4u);
}

TEST_F(CalendarFixture, MonthListScrollsYearsOrListsTheYearsMonths) {
  TcxMonthListBox* L = Cal->MonthList();
  SendMessageW(Cal->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(Center(Cal->MonthCaptionRect()).X, Center(Cal->MonthCaptionRect()).Y));
  ASSERT_TRUE(L->IsOpen());
  ASSERT_TRUE(L->YearScrolling());
  EXPECT_EQ(L->ItemCount(), 7);
  EXPECT_EQ(Ymd(L->ItemDate(0)), "2024-02-01");
  PumpMessages(1);
  WriteWindowPng(L, "calendar_month_list");
  // Three item heights below the list: one month per 50 ms tick.
  SendMessageW(L->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, L->Height() + 3 * L->ItemHeight() + 2));
  EXPECT_TRUE(L->Timer()->Enabled());
  EXPECT_EQ(L->Timer()->Interval(), 50u);
  SendMessageW(cxTimerWindowHandle(), WM_TIMER, L->Timer()->Id(), 0);
  EXPECT_EQ(Ymd(L->ItemDate(0)), "2024-03-01");
  // Back over the last item and release: that month is shown.
  SendMessageW(L->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 1 + 6 * L->ItemHeight() + 2));
  EXPECT_FALSE(L->Timer()->Enabled());
  SendMessageW(L->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 1 + 6 * L->ItemHeight() + 2));
  EXPECT_FALSE(L->IsOpen());
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-09-01");

  // Months of one year: the twelve months of the shown year; a click takes one.
  Cal->SetYearsInMonthList(false);
  SendMessageW(Cal->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(Center(Cal->MonthCaptionRect()).X, Center(Cal->MonthCaptionRect()).Y));
  ASSERT_TRUE(L->IsOpen());
  EXPECT_EQ(L->ItemCount(), 12);
  EXPECT_EQ(Ymd(L->ItemDate(0)), "2024-01-01");
  SendMessageW(L->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 1 + 2 * L->ItemHeight() + 2));
  SendMessageW(L->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 1 + 2 * L->ItemHeight() + 2));
  EXPECT_FALSE(L->IsOpen());
  EXPECT_EQ(Ymd(Cal->FirstDate()), "2024-03-01");
}

// The buttons are the library's own, painted by it (not by the system) in
// the calendar's look-and-feel, and they work when clicked; the clock
// follows the OK button's look.
TEST_F(CalendarFixture, LibraryButtonsFollowTheCalendarsLookAndWorkByClick) {
  for (TButton* B : {static_cast<TButton*>(Cal->TodayButton()), static_cast<TButton*>(Cal->NowButton()),
                     static_cast<TButton*>(Cal->ClearButton()), static_cast<TButton*>(Cal->OKButton())}) {
    auto* cx = dynamic_cast<TcxButton*>(B);
    ASSERT_NE(cx, nullptr) << B->Caption();
    EXPECT_FALSE(cx->UseSystemPaint());
  }
  // A posted click on Today chooses today and asks to close.
  Cal->ChooseDate(EncodeDate(2024, 1, 2));
  TcxButton* today = Cal->TodayButton();
  ASSERT_TRUE(today->Visible());
  const TPoint p(today->Width() / 2, today->Height() / 2);
  PostMessageW(today->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  PostMessageW(today->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.X, p.Y));
  PumpMessages(2);
  EXPECT_EQ(Ymd(Cal->SelectDate()), "2024-05-10");
  EXPECT_EQ(Chosen, 1);
  ASSERT_EQ(Cal->Closes.size(), 1u);
  EXPECT_EQ(Cal->Closes[0], pcrAccept);

  // A change of the calendar's look reaches the buttons and the clock.
  Cal->LookAndFeel()->SetKind(lfFlat);
  Cal->LookAndFeel()->SetNativeStyle(false);
  for (TcxButton* B : {Cal->TodayButton(), Cal->NowButton(), Cal->ClearButton(), Cal->OKButton()}) {
    EXPECT_EQ(B->LookAndFeel()->Kind(), lfFlat);
    EXPECT_EQ(B->GetPainterClass(), cxFlatPainter());
  }
  EXPECT_EQ(Cal->Clock()->LookAndFeel()->Kind(), lfFlat);
  PumpMessages(1);
  WriteWindowPng(Cal, "calendar_flat_buttons");
  Cal->OKButton()->LookAndFeel()->SetKind(lfStandard);
  EXPECT_EQ(Cal->Clock()->LookAndFeel()->Kind(), lfStandard);
  EXPECT_EQ(Cal->TodayButton()->LookAndFeel()->Kind(), lfFlat);
}

// The calendar draws themed when the Today button's look asks for the
// native style and visual styles are on: the header becomes the themed
// header item. Turning the look (or the visual styles) off again brings back
// the plain face colour.
TEST_F(CalendarFixture, TodayButtonsNativeLookDrawsTheThemedHeader) {
  SetThemesEnabledOverride(true);
  const TRect H = Cal->HeaderRect();
  // Inside the header, clear of the arrows and the captions.
  const TPoint Probe(H.Left + 2, H.Top + 2);
  auto HeaderPixel = [&] {
    Cal->Invalidate();
    PumpMessages(2);
    return ClientPixel(Cal, Probe.X, Probe.Y);
  };
  ASSERT_FALSE(Cal->IsNativeStyle());
  EXPECT_EQ(HeaderPixel(), ColorToRGB(clBtnFace));

  Cal->TodayButton()->LookAndFeel()->SetNativeStyle(true);
  EXPECT_TRUE(Cal->IsNativeStyle());
  EXPECT_NE(HeaderPixel(), ColorToRGB(clBtnFace));
  WriteWindowPng(Cal, "calendar_native_header");
  // Without visual styles the native look cannot be honoured.
  SetThemesEnabledOverride(false);
  EXPECT_FALSE(Cal->IsNativeStyle());
  EXPECT_EQ(HeaderPixel(), ColorToRGB(clBtnFace));
  SetThemesEnabledOverride(true);
  EXPECT_TRUE(Cal->IsNativeStyle());

  Cal->TodayButton()->LookAndFeel()->SetNativeStyle(false);
  EXPECT_FALSE(Cal->IsNativeStyle());
  EXPECT_EQ(HeaderPixel(), ColorToRGB(clBtnFace));
  SetThemesEnabledOverride(std::nullopt);
}
