// The format profile every formatting and parsing routine reads. The program
// uses one fixed zh-CN profile whatever the machine's locale; tests may
// change fields of the global profile and restore it with ResetFormatSettings.
#pragma once
#include "System.h"

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '-';
  char TimeSeparator = ':';
  char ListSeparator = ',';
  String CurrencyString = "\xEF\xBF\xA5";   // "￥"
  Byte CurrencyFormat = 0;                   // 0: "￥1"  1: "1￥"  2: "￥ 1"  3: "1 ￥"
  Byte NegCurrFormat = 2;                    // 2: "￥-1"
  Byte CurrencyDecimals = 2;
  String ShortDateFormat = "yyyy-mm-dd";
  String LongDateFormat = "yyyy'\xE5\xB9\xB4'm'\xE6\x9C\x88'd'\xE6\x97\xA5'";  // yyyy'年'm'月'd'日'
  String ShortTimeFormat = "h:nn";
  String LongTimeFormat = "h:nn:ss";
  String TimeAMString = "\xE4\xB8\x8A\xE5\x8D\x88";  // 上午
  String TimePMString = "\xE4\xB8\x8B\xE5\x8D\x88";  // 下午
  String ShortMonthNames[12];
  String LongMonthNames[12];
  String ShortDayNames[7];   // Sunday first
  String LongDayNames[7];
  Word TwoDigitYearCenturyWindow = 50;

  // The fixed zh-CN profile.
  static TFormatSettings ZhCN();
};

// The global profile (modifiable; tests install their own values).
TFormatSettings& FormatSettings();
void ResetFormatSettings();
