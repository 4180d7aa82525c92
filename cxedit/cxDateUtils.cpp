// Date routines: smart input, text-to-date and date-to-text conversion,
// calendar texts and week arithmetic. Texts are read and written through
// the program's fixed zh-CN format profile; the date parser is our own.
#include "cxDateUtils.h"
#include <algorithm>
#include <cmath>
#include "FormatSettings.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "cxDateRtl.h"
#include "cxFormats.h"
#include "cxTextChars.h"

using namespace cxrtl;

Integer cxMinYear = 100;
Integer cxMaxYear = 9999;
TcxSmartInputHook cxSmartInputHook;
bool cxOneCharDayNames = true;
Integer cxTwoDigitYearMax = 2049;

namespace {
// The profile's week: Monday first (0 = Monday in the locale's numbering),
// and week 1 is the week of 1 January.
constexpr Integer kLocaleFirstDayOfWeek = 0;
constexpr Integer kLocaleFirstWeekOfYear = 0;

Integer Mod(Integer a, Integer b) {
  Integer r = a % b;
  return r < 0 ? r + b : r;
}

String Upper(const String& S) { return AnsiUpperCase(S); }

// Replaces every occurrence of What (upper-cased) in T, ignoring case, by
// blanks, one per character.
void BlankOut(TcxChars& T, const TcxChars& What) {
  if (What.empty() || What.size() > T.size()) return;
  TcxChars U = cxUtf8ToChars(Upper(cxCharsToUtf8(T)));
  for (size_t i = 0; i + What.size() <= U.size();) {
    if (U.compare(i, What.size(), What) == 0) {
      for (size_t k = 0; k < What.size(); ++k) T[i + k] = ' ';
      i += What.size();
    } else {
      ++i;
    }
  }
}

bool IsChineseChar(char32_t c) { return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF); }

// --- Our own parser of date and time texts ------------------------------------

bool IsDigits(const String& S) {
  return !S.empty() && std::all_of(S.begin(), S.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A two-digit year by the calendar's two-digit-year window.
Integer WidenYear(const String& Text, Integer Y) {
  if (Text.size() > 2) return Y;
  Integer R = Y + (cxTwoDigitYearMax / 100) * 100;
  if (Y > cxTwoDigitYearMax % 100) R -= 100;
  return R;
}

bool ParseTime(const String& Token, Integer& H, Integer& N, Integer& S, Integer& Z) {
  std::vector<String> Parts;
  String Cur;
  for (char c : Token) {
    if (c == FormatSettings().TimeSeparator || c == ':') {
      Parts.push_back(Cur);
      Cur.clear();
    } else {
      Cur += c;
    }
  }
  Parts.push_back(Cur);
  if (Parts.size() < 2 || Parts.size() > 3) return false;
  String Sec = Parts.size() == 3 ? Parts[2] : "0", Ms = "0";
  size_t Dot = Sec.find('.');
  if (Dot != String::npos) {
    Ms = Sec.substr(Dot + 1);
    Sec = Sec.substr(0, Dot);
  }
  for (const String* P : {&Parts[0], &Parts[1], &Sec, &Ms})
    if (!IsDigits(*P) || P->size() > 3) return false;
  H = std::stoi(Parts[0]);
  N = std::stoi(Parts[1]);
  S = std::stoi(Sec);
  Z = std::stoi((Ms + "00").substr(0, 3));
  return H < 24 && N < 60 && S < 60;
}

// Reads a date and/or time the way a user of this profile writes it: date
// parts in the order of the short date format, separated by the date
// separator, "/", ".", blanks or 年月日; month names; a time h:nn[:ss[.zzz]]
// with an optional AM/PM designator. Two parts without a year are month
// and day of the current year.
bool ParseDateTimeText(const String& Text, TDateTime& Value) {
  const TFormatSettings& FS = FormatSettings();
  String T = Text;
  // Month names become their numbers, longest first (十一月 before 一月).
  std::vector<std::pair<String, Integer>> Names;
  for (Integer m = 0; m < 12; ++m) {
    Names.emplace_back(FS.LongMonthNames[m], m + 1);
    Names.emplace_back(FS.ShortMonthNames[m], m + 1);
  }
  std::sort(Names.begin(), Names.end(), [](auto& a, auto& b) { return a.first.size() > b.first.size(); });
  for (auto& [Name, Month] : Names) {
    if (Name.empty() || IsDigits(Name)) continue;
    String U = Upper(T), N = Upper(Name);
    for (size_t p = U.find(N); p != String::npos; p = U.find(N)) {
      T.replace(p, Name.size(), " " + std::to_string(Month) + " ");
      U = Upper(T);
    }
  }
  // Designators.
  Integer AmPm = 0;   // 1 AM, 2 PM
  for (auto [Word, Kind] : {std::pair<String, Integer>{FS.TimeAMString, 1}, {FS.TimePMString, 2}, {"AM", 1}, {"PM", 2}}) {
    if (Word.empty()) continue;
    String U = Upper(T);
    size_t p = U.find(Upper(Word));
    if (p != String::npos) {
      AmPm = Kind;
      T.replace(p, Word.size(), " ");
      break;
    }
  }
  // Tokens.
  std::vector<String> DateParts;
  String TimeToken;
  String Cur;
  auto Flush = [&]() -> bool {
    if (Cur.empty()) return true;
    if (Cur.find(':') != String::npos || Cur.find(FS.TimeSeparator) != String::npos) {
      if (!TimeToken.empty()) return false;
      TimeToken = Cur;
    } else {
      DateParts.push_back(Cur);
    }
    Cur.clear();
    return true;
  };
  size_t Pos = 0;
  while (Pos < T.size()) {
    size_t Next = Pos;
    const char32_t c = Utf8Decode(T, Next);
    const bool Sep = c == ' ' || c == '\t' || c == '/' || c == '.' || c == '-' || c == ',' ||
                     c == static_cast<unsigned char>(FS.DateSeparator) || c == U'年' || c == U'月' || c == U'日';
    if (c == '.' && !Cur.empty() && (Cur.find(':') != String::npos)) {
      Cur += '.';   // milliseconds of a time
    } else if (Sep) {
      if (!Flush()) return false;
    } else if ((c >= '0' && c <= '9') || c == ':' || c == static_cast<unsigned char>(FS.TimeSeparator)) {
      Cur += static_cast<char>(c);
    } else {
      return false;
    }
    Pos = Next;
  }
  if (!Flush()) return false;
  if (DateParts.empty() && TimeToken.empty()) return false;
  for (const String& P : DateParts)
    if (!IsDigits(P) || P.size() > 4) return false;

  TDateTime DatePart = 0;
  if (!DateParts.empty()) {
    const Integer Order = cxDateOrderOfFormat(FS.ShortDateFormat);
    Integer Y, M, D;
    String YText;
    if (DateParts.size() == 3) {
      const String &A = DateParts[0], &B = DateParts[1], &C = DateParts[2];
      if (Order == 2) { YText = A; M = std::stoi(B); D = std::stoi(C); }
      else if (Order == 1) { D = std::stoi(A); M = std::stoi(B); YText = C; }
      else { M = std::stoi(A); D = std::stoi(B); YText = C; }
      Y = WidenYear(YText, std::stoi(YText));
    } else if (DateParts.size() == 2) {
      Word CY, CM, CD;
      DecodeDate(Date(), CY, CM, CD);
      Y = CY;
      if (Order == 1) { D = std::stoi(DateParts[0]); M = std::stoi(DateParts[1]); }
      else { M = std::stoi(DateParts[0]); D = std::stoi(DateParts[1]); }
    } else {
      return false;
    }
    if (Y < 1 || Y > 9999 || !TryEncodeDate(static_cast<Word>(Y), static_cast<Word>(M), static_cast<Word>(D), DatePart))
      return false;
  }
  TDateTime TimePart = 0;
  if (!TimeToken.empty()) {
    Integer H, N, S, Z;
    if (!ParseTime(TimeToken, H, N, S, Z)) return false;
    if (AmPm != 0) {
      if (H < 1 || H > 12) return false;
      if (AmPm == 2 && H < 12) H += 12;
      if (AmPm == 1 && H == 12) H = 0;
    }
    TimePart = EncodeTime(static_cast<Word>(H), static_cast<Word>(N), static_cast<Word>(S), static_cast<Word>(Z));
  } else if (AmPm != 0) {
    return false;
  }
  Value = DatePart < 0 ? DatePart - TimePart : DatePart + TimePart;
  return true;
}
}  // namespace

const std::vector<String>& cxSmartInputWords() {
  static const std::vector<String> Words = {
      "today", "yesterday", "tomorrow", "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
      "Saturday", "first", "second", "third", "fourth", "fifth", "sixth", "seventh", "bom", "eom", "now"};
  return Words;
}

// --- Calendars and the profile ---------------------------------------------------

Integer cxLocaleCalendarType() { return 1; }

std::unique_ptr<TcxCustomCalendarTable> cxCreateCalendarTable(Integer Type) {
  switch (Type) {
    case 3: return std::make_unique<TcxJapaneseCalendarTable>();
    case 4: return std::make_unique<TcxTaiwanCalendarTable>();
    case 5: return std::make_unique<TcxKoreanCalendarTable>();
    case 6: return std::make_unique<TcxHijriCalendarTable>();
    case 7: return std::make_unique<TcxThaiCalendarTable>();
    case 8: return std::make_unique<TcxHebrewCalendarTable>();
    default: {
      auto T = std::make_unique<TcxGregorianCalendarTable>();
      T->SetCalendarType(Type == 1 || Type == 2 || (Type >= 9 && Type <= 12) ? Type : 1);
      return T;
    }
  }
}

std::unique_ptr<TcxCustomCalendarTable> cxCreateLocaleCalendarTable() { return cxCreateCalendarTable(cxLocaleCalendarType()); }

bool cxIsGregorianCalendar(const TcxCustomCalendarTable* Table) {
  const Integer Id = Table ? Table->CalendarIdent() : cxLocaleCalendarType();
  return Id == 1 || Id == 2 || (Id >= 9 && Id <= 12);
}

void cxLocaleFormatSettings(TFormatSettings& Settings) {
  const TFormatSettings& FS = FormatSettings();
  Settings.DateSeparator = FS.DateSeparator;
  Settings.ShortDateFormat = FS.ShortDateFormat;
  Settings.LongDateFormat = FS.LongDateFormat;
  Settings.TimeSeparator = FS.TimeSeparator;
  Settings.LongTimeFormat = FS.LongTimeFormat;
  Settings.TimeAMString = FS.TimeAMString;
  Settings.TimePMString = FS.TimePMString;
  Settings.ListSeparator = FS.ListSeparator;
}

Integer cxDateOrderOfFormat(const String& Format) {
  for (char c : Format) {
    const char u = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (u == 'D') return 1;
    if (u == 'E' || u == 'Y') return 2;
    if (u == 'M') return 0;
  }
  return 0;
}

// --- Smart input ---------------------------------------------------------------------

void cxSmartInputRegExpr(String& Expr, bool AWithNow) {
  const auto& Words = cxSmartInputWords();
  // An empty word, or a format without a date part, would give an empty
  // alternative, which the mask language does not accept: both are left out.
  String Alts;
  for (size_t i = 0; i < Words.size(); ++i) {
    if (i == 19 && !AWithNow) break;
    if (Words[i].empty()) continue;
    Alts += (Alts.empty() ? "" : "|") + cxQuoteRegExprText(Words[i]);
  }
  if (Alts.empty()) return;
  const String Smart = "(" + Alts + ")((\\+|-)\\d(\\d(\\d\\d?)?)?)?";
  Expr = Expr.empty() ? Smart : "(" + Expr + ")|" + Smart;
}

bool cxSmartTextToDate(const String& Text, TDateTime& Date) {
  const auto& Words = cxSmartInputWords();
  const String T = Trim(Text);
  // Longest words first, so that a word is never taken for its prefix.
  std::vector<Integer> Order(Words.size());
  for (size_t i = 0; i < Order.size(); ++i) Order[i] = static_cast<Integer>(i);
  std::stable_sort(Order.begin(), Order.end(), [&](Integer a, Integer b) {
    if (Words[a].size() != Words[b].size()) return Words[a].size() > Words[b].size();
    return Upper(Words[a]) > Upper(Words[b]);
  });
  Integer Found = -1;
  for (Integer i : Order) {
    const String& W = Words[i];
    if (!W.empty() && T.size() >= W.size() && Upper(T.substr(0, W.size())) == Upper(W)) {
      Found = i;
      break;
    }
  }
  if (Found < 0) return cxSmartInputHook ? cxSmartInputHook(Text, Date) : false;

  const TDateTime Today = cxrtl::Date();
  const Integer DOW = DayOfWeek(Today);
  Word Y, M, D;
  DecodeDate(Today, Y, M, D);
  TDateTime R;
  if (Found == 0) R = Today;
  else if (Found == 1) R = Today - 1;
  else if (Found == 2) R = Today + 1;
  else if (Found <= 9) {
    const Integer k = Found - 3;   // 0 = Sunday
    const Integer Delta = k + 1 - DOW;
    R = Today + (Delta >= 0 ? Delta : 7 + Delta);
  } else if (Found <= 16) {
    const Integer n = Found - 10 + 1;
    R = Today - (cxWeekdayIndex(Today) - (n - 1));
  } else if (Found == 17) R = EncodeDate(Y, M, 1);
  else if (Found == 18) R = EncodeDate(Y, M, DaysInMonth(Y, M));
  else R = Now();

  const String Rest = Trim(T.substr(Words[Found].size()));
  if (Rest.size() >= 2 && (Rest[0] == '+' || Rest[0] == '-')) {
    Integer N;
    if (TryStrToInt(Trim(Rest.substr(1)), N)) R += Rest[0] == '+' ? static_cast<double>(N) : -static_cast<double>(N);
  }
  Date = R;
  return true;
}

void cxNormalizeDateText(String& Text, bool) {
  const TFormatSettings& FS = FormatSettings();
  // The profile serves both as the locale's and as the class library's
  // settings, so AUseLocale chooses between equal values.
  const std::vector<String> Kept = {Upper(Trim(String(1, FS.DateSeparator))), Upper(Trim(String(1, FS.TimeSeparator))),
                                    Upper(Trim(FS.TimeAMString)), Upper(Trim(FS.TimePMString))};
  TcxChars T = cxUtf8ToChars(Text);
  TcxFormatController* C = cxGetFormatController();
  for (const TcxDateTimeFormatInfo* Info : {&C->ParsedDateFormat, &C->ParsedTimeFormat})
    for (const auto& Item : Info->Items) {
      if (Item.Kind != fikLiteral) continue;
      const String L = Upper(Trim(Item.Data));
      if (L.empty() || std::find(Kept.begin(), Kept.end(), L) != Kept.end()) continue;
      BlankOut(T, cxUtf8ToChars(L));
    }
  // Trimmed, inner runs of blanks reduced to one.
  TcxChars R;
  for (char32_t c : T) {
    if (c == ' ' && (R.empty() || R.back() == ' ')) continue;
    R += c;
  }
  while (!R.empty() && R.back() == ' ') R.pop_back();
  for (char32_t& c : R)
    if (c == static_cast<unsigned char>(FS.DateSeparator)) c = ' ';
  Text = cxCharsToUtf8(R);
}

bool cxTryTextToDateTime(const String& Text, bool AUseLocale, TDateTime& Date) {
  Date = NullDate;
  try {
    if (!cxIsGregorianLocaleCalendar()) {
      Date = cxLocaleTextToDateTime(Text);
      return Date != NullDate;
    }
    String T = Text;
    cxNormalizeDateText(T, AUseLocale);
    TDateTime V;
    if (!ParseDateTimeText(T, V)) return false;
    Date = V;
    return true;
  } catch (Exception&) {
    Date = NullDate;
    return false;
  }
}

bool cxTextToDateSmart(const String& Text, TDateTime& Date) {
  const String T = Trim(Text);
  if (T.empty()) {
    Date = NullDate;
    return false;
  }
  try {
    if (!cxIsGregorianLocaleCalendar()) {
      Date = cxLocaleTextToDateTime(T);
      return true;
    }
    if (!cxSmartTextToDate(T, Date)) {
      String N = T;
      cxNormalizeDateText(N, !cxGetFormatController()->UsePlatformDateFormats);
      if (!ParseDateTimeText(N, Date)) {
        Date = NullDate;
        return false;
      }
    }
    Word Y, M, D;
    const bool InRange = Date > -2147483648.0 && Date < 2147483647.0;
    if (InRange) DecodeDate(Date, Y, M, D);
    if (!InRange || D == 0 || Y > cxMaxYear) {
      Date = NullDate;
      return false;
    }
    return true;
  } catch (Exception&) {
    Date = NullDate;
    return false;
  }
}

TDateTime cxCalendarTextToDateTime(const String& Text, const TcxCustomCalendarTable& Table) {
  const TFormatSettings& FS = FormatSettings();
  const TcxChars T = cxUtf8ToChars(Text);
  const char32_t Sep = static_cast<unsigned char>(FS.DateSeparator);
  size_t P = 0;
  auto Token = [&](char32_t Stop) {
    while (P < T.size() && T[P] == ' ') ++P;
    size_t S = P;
    while (P < T.size() && T[P] != Stop) ++P;
    TcxChars R = T.substr(S, P - S);
    if (P < T.size()) ++P;
    return Trim(cxCharsToUtf8(R));
  };
  const Integer YearOffset = FS.ShortDateFormat.find_first_of("eE") != String::npos && Table.Eras().Count() > 0
                                 ? Table.Eras().Items(0)->YearOffset
                                 : 0;
  String A = Token(Sep), B = Token(Sep), C = Token(' ');
  String YT, MT, DT;
  switch (cxDateOrderOfFormat(FS.ShortDateFormat)) {
    case 1: DT = A; MT = B; YT = C; break;
    case 2: YT = A; MT = B; DT = C; break;
    default: MT = A; DT = B; YT = C; break;
  }
  TcxCalendarDateTimeParts Parts;
  Parts.Year = Table.ParseYear(YT);
  Parts.Month = Table.ParseMonth(Parts.Year, MT);
  Parts.Day = Table.ParseDay(DT);
  Parts.Era = Table.Eras().Count() > 0 ? Table.FindEra(YearOffset + 1) : -1;
  TDateTime R = Table.JoinDate(Parts);
  if (P < T.size()) {
    Integer H, N, S, Z;
    if (ParseTime(Trim(cxCharsToUtf8(T.substr(P))), H, N, S, Z))
      R += EncodeTime(static_cast<Word>(H), static_cast<Word>(N), static_cast<Word>(S), static_cast<Word>(Z));
  }
  return R;
}

TDateTime cxLocaleTextToDateTime(const String& Text) {
  const Integer Type = cxLocaleCalendarType();
  if (Type < 3 || Type > 8) {
    TDateTime D;
    return cxTextToDateSmart(Text, D) ? D : NullDate;
  }
  return cxCalendarTextToDateTime(Text, *cxCreateLocaleCalendarTable());
}

// --- Display ------------------------------------------------------------------------------

String cxDateDisplayFormat(bool AFourDigitYear, bool, TDateTime Date) {
  // The platform's and the locale's formats are the same profile here.
  const TFormatSettings& FS = FormatSettings();
  String F = FS.ShortDateFormat;
  if (cxTimePart(Date) != 0) F += " " + FS.LongTimeFormat;
  if (AFourDigitYear) {
    const String L = LowerCase(F);
    const size_t p = L.find("yy");
    if (p != String::npos && L.find("yyy") == String::npos) F.insert(p, "yy");
  }
  return F;
}

String cxDateToLocaleText(bool AFourDigitYear, bool AUsePlatformFormats, TDateTime Date) {
  if (Date == NullDate) return "";
  return FormatDateTime(cxDateDisplayFormat(AFourDigitYear, AUsePlatformFormats, Date), Date, FormatSettings());
}

String cxDateToLocaleText(bool AFourDigitYear, TDateTime Date) {
  return cxDateToLocaleText(AFourDigitYear, cxGetFormatController()->UsePlatformDateFormats, Date);
}

String cxDateTimeToDisplayText(bool AUseFormat, bool AWithTime, bool AFourDigitYear, TDateTime Date) {
  if (Date == NullDate) return "";
  if (!cxIsGregorianLocaleCalendar()) return cxLocaleCalendarDateText(Date);
  if (AUseFormat) {
    TcxFormatController* C = cxGetFormatController();
    return AWithTime ? FormatDateTime(C->DateTimeMaskDisplayFormat, Date, FormatSettings())
                     : FormatDateTime(C->DateMaskDisplayFormat, cxDatePart(Date), FormatSettings());
  }
  return cxDateToLocaleText(AFourDigitYear, Date);
}

String cxLocaleCalendarDateText(TDateTime Date) {
  if (Date == NullDate) return "";
  const TFormatSettings& FS = FormatSettings();
  String R = FormatDateTime(FS.ShortDateFormat, Date, FS);
  if (cxTimePart(Date) > 0) R += " " + FormatDateTime(FS.LongTimeFormat, Date, FS);
  return R;
}

String cxDayNumberText(TDateTime Date) { return FormatDateTime("d", Date, FormatSettings()); }

String cxCalendarDayNumberText(Integer Day, const TcxCustomCalendarTable* Table) {
  std::unique_ptr<TcxCustomCalendarTable> Own;
  if (!Table) Table = (Own = cxCreateLocaleCalendarTable()).get();
  if (!cxIsGregorianCalendar(Table)) return IntToStr(Day);
  return cxDayNumberText(Table->JoinDate(Table->SmallestYear(), 1, Day));
}

String cxDateLongMonthName(const TcxCustomCalendarTable* Table, TDateTime Date) {
  std::unique_ptr<TcxCustomCalendarTable> Own;
  if (!Table) Table = (Own = cxCreateLocaleCalendarTable()).get();
  // The profile names the twelve months; a thirteenth month of a calendar
  // shows its number.
  const Integer M = Table->SplitDate(Date).Month;
  return M >= 1 && M <= 12 ? FormatSettings().LongMonthNames[M - 1] : IntToStr(M);
}

String cxCalendarMonthName(Integer Year, Integer Month, const TcxCustomCalendarTable* Table) {
  std::unique_ptr<TcxCustomCalendarTable> Own;
  if (!Table) Table = (Own = cxCreateLocaleCalendarTable()).get();
  if (!Table->HasMonth(Year, Month)) return "";
  return cxDateLongMonthName(Table, Table->JoinDate(Year, Month, 1));
}

String cxDateYearText(const TcxCustomCalendarTable* Table, TDateTime Date) {
  std::unique_ptr<TcxCustomCalendarTable> Own;
  if (!Table) Table = (Own = cxCreateLocaleCalendarTable()).get();
  return IntToStr(Table->SplitDate(Date).Year);
}

String cxDateMonthYearCaption(const TcxCustomCalendarTable* Table, TDateTime Date) {
  std::unique_ptr<TcxCustomCalendarTable> Own;
  if (!Table) Table = (Own = cxCreateLocaleCalendarTable()).get();
  if (cxIsGregorianCalendar(Table)) {
    // The profile's year-month format: yyyy'年'm'月'.
    TcxCalendarDateTimeParts P = Table->SplitDate(Date);
    return IntToStr(P.Year) + "年" + IntToStr(P.Month) + "月";
  }
  return cxDateLongMonthName(Table, Date) + " " + cxDateYearText(Table, Date);
}

String cxShortDayName(Integer Day) {
  if (Day < 1 || Day > 7) return "";
  const String& Name = FormatSettings().ShortDayNames[Day % 7];
  if (!cxOneCharDayNames || Name.empty()) return Name;
  const TcxChars C = cxUtf8ToChars(Name);
  const bool Chinese = std::any_of(C.begin(), C.end(), IsChineseChar);
  return cxCharToUtf8(Chinese ? C.back() : C.front());
}

// --- Arithmetic ---------------------------------------------------------------------------

bool cxIsLeapYear(Integer Year) { return Mod(Year, 4) == 0 && (Mod(Year, 100) != 0 || Mod(Year, 400) == 0); }

Integer cxDaysPerMonth(Integer Year, Integer Month) {
  static const Integer kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return Month == 2 && cxIsLeapYear(Year) ? 29 : kDays[Month - 1];
}

TDateTime cxTimePart(TDateTime Date) { return std::fabs(Date - std::trunc(Date)); }
TDateTime cxDatePart(TDateTime Date) { return std::trunc(Date); }

Integer cxWeekdayIndex(TDateTime Date) {
  return Mod(DayOfWeek(Date) - cxGetFormatController()->FirstDayOfWeek - 1, 7);
}

Integer cxLocaleStartOfWeek() { return (kLocaleFirstDayOfWeek + 1) % 7; }

TDateTime cxWeekStart(TDateTime Date, Integer StartOfWeek) {
  return std::trunc(Date) - Mod(DayOfWeek(Date) - 1 - StartOfWeek, 7);
}

Integer cxWeekNumber(Integer StartOfWeek, Integer FirstWeekOfYear, TDateTime Date) {
  if (FirstWeekOfYear == 0) FirstWeekOfYear = kLocaleFirstWeekOfYear + 1;
  Word Y, M, D;
  DecodeDate(Date, Y, M, D);
  auto YearOf = [](TDateTime V) {
    Word y, m, d;
    DecodeDate(V, y, m, d);
    return y;
  };
  TDateTime W = cxWeekStart(EncodeDate(Y, 1, 1), StartOfWeek);
  if (FirstWeekOfYear == 2 && YearOf(W) < Y) W += 7;
  if (FirstWeekOfYear == 3 && YearOf(W + 3) < Y) W += 7;
  const Integer Week = static_cast<Integer>(std::trunc((std::trunc(Date) - W) / 7)) + 1;
  if (M == 12) {
    const TDateTime S = cxWeekStart(Date, StartOfWeek);
    Word y, m, d;
    if (FirstWeekOfYear == 1) {
      DecodeDate(S + 6, y, m, d);
      if (m == 1) return 1;
    } else if (FirstWeekOfYear == 3) {
      DecodeDate(S + 3, y, m, d);
      if (m == 1) return 1;
    }
  }
  return Week;
}

TDateTime cxMinSupportedDate() { return EncodeDate(static_cast<Word>(cxMinYear), 1, 1); }
