#include "FormatSettings.h"

TFormatSettings TFormatSettings::ZhCN() {
  TFormatSettings fs;
  static const char* const kDigits[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十", "十一", "十二"};
  for (int i = 0; i < 12; ++i) {
    fs.ShortMonthNames[i] = std::to_string(i + 1) + "月";
    fs.LongMonthNames[i] = String(kDigits[i]) + "月";
  }
  static const char* const kShortDays[] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
  static const char* const kLongDays[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
  for (int i = 0; i < 7; ++i) {
    fs.ShortDayNames[i] = kShortDays[i];
    fs.LongDayNames[i] = kLongDays[i];
  }
  return fs;
}

TFormatSettings& FormatSettings() {
  static TFormatSettings fs = TFormatSettings::ZhCN();
  return fs;
}

void ResetFormatSettings() { FormatSettings() = TFormatSettings::ZhCN(); }
