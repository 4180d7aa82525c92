// The format controller: turns the program's format profile (short date
// format, long time format, separators, month names, AM/PM strings,
// currency settings, first day of the week) into what the editors need: a
// currency display format, parsed date/time formats, date and date-time
// edit masks in the standard and the regular-expression mask languages, and
// display formats matching those masks. It reloads on a change of the
// regional settings and tells its listeners.
#pragma once
#include <vector>
#include "System.h"

enum TcxFormatItemKind : Byte {
  fikLiteral, fikYear, fikMonth, fikDay, fikHour, fikMinute, fikSecond, fikMSec, fikAmPm,
  fikDateSeparator, fikTimeSeparator
};

struct TcxDateTimeFormatItem {
  TcxFormatItemKind Kind = fikLiteral;
  // Literal text; "YY"/"YYYY"; "M".."MMMM"; "D".."DDDD"; "12H"/"24HH"...;
  // "N"/"NN"; "S"/"SS"; "Z".."ZZZ"; the AM/PM text as written or "AMPM".
  String Data;
};

struct TcxDateTimeFormatInfo {
  bool Defined[11] = {};
  std::vector<TcxDateTimeFormatItem> Items;
  void Clear() { *this = TcxDateTimeFormatInfo(); }
};

// What cxFindFormatItemAtMaskPos reports.
struct TcxDateTimeFormatItemInfo {
  TcxFormatItemKind Kind = fikLiteral;
  Integer ItemZoneStart = 0;    // 1-based position in the standard mask
  Integer ItemZoneLength = 0;
  Integer TimeSuffixKind = 0;   // fikAmPm: 0 "A/P", 1 "AM/PM", 2 the profile's strings
};

class IcxLocaleFormatListener {
 public:
  virtual ~IcxLocaleFormatListener() = default;
  virtual void LocaleFormatChanged() = 0;
};

// A listener that also implements this hears of system time changes.
class IcxSystemTimeListener {
 public:
  virtual ~IcxSystemTimeListener() = default;
  virtual void SystemTimeChanged() = 0;
};

enum TcxDateTimeMaskKind { dtmkDate, dtmkTime, dtmkDateTime };

class TcxFormatController : public TObject {
  TOVANI_CLASS(TcxFormatController, TObject)
 public:
  TcxFormatController();
  ~TcxFormatController() override;

  // The hidden window's messages: WM_WININICHANGE for "intl" reloads and
  // tells the listeners, WM_TIMECHANGE tells the system-time listeners.
  // Answers false for messages it leaves to the default procedure.
  virtual bool HandleWindowMessage(Cardinal Msg, NativeUInt WParam, NativeInt LParam);
  virtual void AddListener(IcxLocaleFormatListener* Listener);
  virtual void RemoveListener(IcxLocaleFormatListener* Listener);

  void Reload();
  void UpdateDateTimeMasks(bool AWithSmartInput);
  // True while the hidden window exists (there are listeners).
  bool HasWindow() const { return FWindow != nullptr; }

  static Integer MaskLengthOf(const TcxDateTimeFormatInfo& Info);
  static void ParseFormat(const String& Format, TcxDateTimeFormatInfo& Info);
  static String StandardMaskOf(const TcxDateTimeFormatInfo& Info, TcxDateTimeMaskKind Kind);
  static String RegExprMaskOf(const TcxDateTimeFormatInfo& Info, TcxDateTimeMaskKind Kind);
  static String DisplayFormatOf(const TcxDateTimeFormatInfo& Info);
  static String CurrencyFormatOfProfile();

  bool CurrencyFormatFixed = false, DateRegExprMaskFixed = false, DateTimeRegExprMaskFixed = false,
       DateStandardMaskFixed = false, DateTimeStandardMaskFixed = false, FirstDayOfWeekFixed = false;
  String CurrencyDisplayFormat;
  String TwoDigitDateFormat;
  String ComputedDateMask;
  TcxDateTimeFormatInfo ParsedDateFormat;
  TcxDateTimeFormatInfo ParsedDateTimeFormat;
  Byte WeekOfYearRule = 0;
  String DateMaskDisplayFormat;
  String DateTimeMaskDisplayFormat;
  String DateRegExprMask;
  String DateTimeRegExprMask;
  String DateStandardMask;
  String DateTimeStandardMask;
  Byte FirstDayOfWeek = 0;
  TcxDateTimeFormatInfo ParsedTimeFormat;
  bool UsePlatformDateFormats = false;

 private:
  void AllocateWindow();
  void ReleaseWindow();
  std::vector<IcxLocaleFormatListener*> FListeners;
  void* FWindow = nullptr;
};

TcxFormatController* cxGetFormatController();
// Whether the controller exists now; freeing it (the formats unit's
// shut-down) lets the next request make a new one.
bool cxFormatControllerExists();
void cxFreeFormatController();
bool cxFindFormatItemAtMaskPos(const TcxDateTimeFormatInfo& Info, Integer Position, TcxDateTimeFormatItemInfo& ItemInfo);
String cxRepeatChar(char Ch, Integer Count);
// Quotes a text for the regular-expression mask language: apostrophes
// become \' and the other characters are enclosed in apostrophes.
String cxQuoteRegExprText(const String& Text);
