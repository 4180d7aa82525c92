#include <windows.h>
#include "FormatSettings.h"
#include "cxFormats.h"
#include "cxRegExpr.h"
#include "gtest.h"

namespace {
String Describe(const TcxDateTimeFormatInfo& Info) {
  String S;
  for (const auto& I : Info.Items) S += (S.empty() ? "" : ",") + std::to_string(I.Kind) + ":" + I.Data;
  return S;
}
String Parsed(const String& Format) {
  TcxDateTimeFormatInfo Info;
  TcxFormatController::ParseFormat(Format, Info);
  return Describe(Info);
}

// Restores the profile and the controller after a test changed them.
struct TProfileGuard {
  ~TProfileGuard() {
    ResetFormatSettings();
    cxGetFormatController()->Reload();
  }
};

class TListener : public IcxLocaleFormatListener, public IcxSystemTimeListener {
 public:
  void LocaleFormatChanged() override { ++Locale; }
  void SystemTimeChanged() override { ++Time; }
  int Locale = 0, Time = 0;
};
}  // namespace

TEST(FormatController, ParsesFormats) {
  EXPECT_EQ(Parsed("yyyy-M-d"), "1:YYYY,0:-,2:M,0:-,3:D");
  EXPECT_EQ(Parsed("hh:mm"), "4:24HH,10:,5:NN");   // an M after an H is minutes
  EXPECT_EQ(Parsed("mm/dd"), "2:MM,9:,3:DD");
  EXPECT_EQ(Parsed("h:nn AMPM"), "4:12H,10:,5:NN,0: ,8:AMPM");
  EXPECT_EQ(Parsed("hh:nn am/pm"), "4:12HH,10:,5:NN,0: ,8:am/pm");
  EXPECT_EQ(Parsed("yy a/p"), "1:YY,0: ");   // a designator without hours means nothing
  EXPECT_EQ(Parsed("'at' yyyy \"x\" yy"), "0:at ,1:YYYY,0: x ");   // the first year wins
  EXPECT_EQ(Parsed("dddd aaa dd"), "3:DDDD,0:  ");   // later day items are dropped
  EXPECT_EQ(Parsed("ddddd"), "1:YYYY,0:-,2:MM,0:-,3:DD");   // the short date format
  EXPECT_EQ(Parsed(""), "1:YYYY,0:-,2:MM,0:-,3:DD,0: ,4:24H,10:,5:NN,10:,6:SS");
  EXPECT_EQ(Parsed("zzz t"), "7:ZZZ,0: ,4:24H,10:,5:NN");
  EXPECT_EQ(Parsed("gg yyyy"), "");   // eras are not supported
}

TEST(FormatController, ExpansionsAreBounded) {
  // Every "c" repeats the short date format: a thousand of them in it, and
  // three thousand in the time format too, would expand to millions.
  TProfileGuard Guard;
  TFormatSettings& FS = FormatSettings();
  FS.ShortDateFormat = String(1000, 'c');
  FS.LongTimeFormat = String(3000, 'c');
  TcxFormatController* C = cxGetFormatController();
  C->Reload();
  EXPECT_TRUE(C->ParsedDateFormat.Items.empty());
  EXPECT_TRUE(C->ParsedDateTimeFormat.Items.empty());
  EXPECT_EQ(C->DateStandardMask, "");
  // A long format without expansions is taken as it stands.
  EXPECT_EQ(Parsed("yyyy" + String(5000, '.') + "dd"), "1:YYYY,0:" + String(5000, '.') + ",3:DD");
}

TEST(FormatController, ProfileMasksAndFormats) {
  TcxFormatController* C = cxGetFormatController();
  EXPECT_EQ(C->DateStandardMask, "!9999\\-99\\-99;1; ");
  EXPECT_EQ(C->ComputedDateMask, C->DateStandardMask);
  EXPECT_EQ(C->DateTimeStandardMask, "!9999\\-99\\-99\\ 99:99:99;1; ");
  EXPECT_EQ(TcxFormatController::StandardMaskOf(C->ParsedTimeFormat, dtmkTime), "00:00:00;1;0");
  EXPECT_EQ(C->DateMaskDisplayFormat, "yyyy'-'mm'-'dd");
  EXPECT_EQ(C->DateTimeMaskDisplayFormat, "yyyy'-'mm'-'dd' 'hh:nn:ss");
  EXPECT_EQ(C->TwoDigitDateFormat, "yyyy-mm-dd");
  EXPECT_EQ(C->CurrencyDisplayFormat, "￥,0.00;￥-,0.00");
  EXPECT_EQ(C->FirstDayOfWeek, 1);
  const String DateExpr = TcxFormatController::RegExprMaskOf(C->ParsedDateFormat, dtmkDate);
  EXPECT_EQ(DateExpr,
            "\\d\\d\\d\\d'-'((0?[1-9]|1[012])|('1月'|'2月'|'3月'|'4月'|'5月'|'6月'|'7月'|'8月'|'9月'|'10月'|'11月'|'12月'))"
            "'-'([012]?[1-9]|[123]0|31)");
  EXPECT_EQ(TcxFormatController::RegExprMaskOf(C->ParsedTimeFormat, dtmkTime), "([01]?\\d|2[0-3])\\:[0-5]?\\d\\:[0-5]?\\d");
  EXPECT_EQ(C->DateRegExprMask.rfind("(" + DateExpr + ")|('today'", 0), 0u);
  EXPECT_EQ(TcxFormatController::MaskLengthOf(C->ParsedDateFormat), 10);

  // The masks compile and take what a user types (the date-time mask wants
  // the blank before the optional time).
  for (const String* Mask : {&C->DateRegExprMask, &C->DateTimeRegExprMask}) {
    TcxRegExpr R;
    R.SetCaseInsensitive(true);
    ASSERT_NO_THROW(R.Compile(*Mask)) << *Mask;
    const String Tail = Mask == &C->DateTimeRegExprMask ? " " : "";
    for (const String Text : {"2024-5-15" + Tail, "2024-12月-31" + Tail, String("today+3"), String("eom")}) {
      R.Restart();
      String Accepted;
      R.AdvanceText(Text, Accepted);
      EXPECT_EQ(Accepted, Text);
      EXPECT_TRUE(R.InFinalState()) << Text << " in " << *Mask;
    }
  }
  TcxRegExpr DT;
  DT.Compile(C->DateTimeRegExprMask);
  String Accepted;
  DT.AdvanceText("2024-5-15 23:59:00", Accepted);
  EXPECT_TRUE(DT.InFinalState());
}

TEST(FormatController, OtherProfiles) {
  TProfileGuard Guard;
  TFormatSettings& FS = FormatSettings();
  FS.ShortDateFormat = "yyyy-M-d";
  FS.LongTimeFormat = "h:nn AMPM";
  FS.CurrencyDecimals = 0;
  FS.NegCurrFormat = 8;
  FS.CurrencyString = "US$.";
  TcxFormatController* C = cxGetFormatController();
  C->Reload();
  EXPECT_EQ(C->TwoDigitDateFormat, "yyyy-MM-dd");
  EXPECT_EQ(C->DateStandardMask, "!9999\\-99\\-99;1; ");
  EXPECT_EQ(C->DateMaskDisplayFormat, "yyyy'-'mm'-'dd");
  EXPECT_EQ(TcxFormatController::RegExprMaskOf(C->ParsedTimeFormat, dtmkTime),
            "(0?[1-9]|1[012])\\:[0-5]?\\d' '('上午'|'下午')?");
  EXPECT_EQ(TcxFormatController::StandardMaskOf(C->ParsedTimeFormat, dtmkTime), "00:00\\ cc;1;0");
  EXPECT_EQ(C->CurrencyDisplayFormat, "US$'.',0.;-,0. US$'.'");
  // An empty currency symbol still shows the number.
  FS.CurrencyString = "";
  FS.CurrencyDecimals = 2;
  FS.NegCurrFormat = 2;
  C->Reload();
  EXPECT_EQ(C->CurrencyDisplayFormat, ",0.00;-,0.00");
  // An era letter leaves everything empty.
  FS.ShortDateFormat = "gg yyyy";
  C->Reload();
  EXPECT_EQ(C->DateStandardMask, "");
  EXPECT_EQ(C->DateMaskDisplayFormat, "");
  EXPECT_TRUE(C->ParsedDateFormat.Items.empty());
}

TEST(FormatController, ItemAtMaskPosition) {
  TcxFormatController* C = cxGetFormatController();
  TcxDateTimeFormatItemInfo I;
  ASSERT_TRUE(cxFindFormatItemAtMaskPos(C->ParsedDateFormat, 4, I));
  EXPECT_EQ(I.Kind, fikYear);
  EXPECT_EQ(I.ItemZoneStart, 1);
  EXPECT_EQ(I.ItemZoneLength, 4);
  ASSERT_TRUE(cxFindFormatItemAtMaskPos(C->ParsedDateFormat, 6, I));
  EXPECT_EQ(I.Kind, fikMonth);
  EXPECT_EQ(I.ItemZoneStart, 6);
  EXPECT_FALSE(cxFindFormatItemAtMaskPos(C->ParsedDateFormat, 11, I));
  EXPECT_FALSE(cxFindFormatItemAtMaskPos(C->ParsedDateFormat, 0, I));
  TcxDateTimeFormatInfo Time;
  TcxFormatController::ParseFormat("hh:nn AMPM", Time);
  ASSERT_TRUE(cxFindFormatItemAtMaskPos(Time, 7, I));
  EXPECT_EQ(I.Kind, fikAmPm);
  EXPECT_EQ(I.TimeSuffixKind, 2);
  EXPECT_EQ(cxRepeatChar('c', 3), "ccc");
  EXPECT_EQ(cxRepeatChar('c', -1), "");
}

TEST(FormatController, ListenersHearRegionalChanges) {
  TProfileGuard Guard;
  TcxFormatController* C = cxGetFormatController();
  TListener L;
  EXPECT_FALSE(C->HasWindow());
  // Without listeners a change of the settings is not seen.
  FormatSettings().ShortDateFormat = "yyyy/M/d";
  EXPECT_EQ(FindWindowW(reinterpret_cast<LPCWSTR>(u"TcxFormatControllerWindow"), nullptr), nullptr);
  EXPECT_EQ(C->DateStandardMask, "!9999\\-99\\-99;1; ");

  C->AddListener(&L);
  C->AddListener(&L);   // listed once
  HWND Wnd = FindWindowW(reinterpret_cast<LPCWSTR>(u"TcxFormatControllerWindow"), nullptr);
  ASSERT_NE(Wnd, nullptr);
  SendMessageW(Wnd, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(u"intl"));
  EXPECT_EQ(L.Locale, 1);
  EXPECT_EQ(C->DateStandardMask, "!9999/99/99;1; ");
  SendMessageW(Wnd, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(u"windows"));
  EXPECT_EQ(L.Locale, 1);
  SendMessageW(Wnd, WM_TIMECHANGE, 0, 0);
  EXPECT_EQ(L.Time, 1);
  C->RemoveListener(&L);
  EXPECT_FALSE(C->HasWindow());
  EXPECT_FALSE(IsWindow(Wnd));
}

// A short date format without a date part (the date and time format "c" of
// itself, a time format, only literals) still gives masks that compile.
TEST(FormatController, DateFormatsWithoutADatePartGiveCompilingMasks) {
  TProfileGuard Guard;
  TcxFormatController* C = cxGetFormatController();
  for (const char* format : {"c", "hh:nn", "'date'", "gg"}) {
    SCOPED_TRACE(format);
    FormatSettings().ShortDateFormat = format;
    C->Reload();
    for (const String* mask : {&C->DateRegExprMask, &C->DateTimeRegExprMask}) {
      TcxRegExpr R;
      EXPECT_NO_THROW(R.Compile(*mask)) << *mask;
      EXPECT_EQ(mask->find("()"), String::npos) << *mask;
    }
  }
  // Smart words stay typeable without a date part.
  FormatSettings().ShortDateFormat = "'date'";
  C->Reload();
  EXPECT_NE(C->DateRegExprMask.find("'today'"), String::npos) << C->DateRegExprMask;
}
