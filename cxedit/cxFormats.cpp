#include "cxFormats.h"
#include <windows.h>
#include <algorithm>
#include <memory>
#include "FormatSettings.h"
#include "SysUtils.h"
#include "cxDateUtils.h"
#include "cxTextChars.h"

TOVANI_IMPLEMENT_CLASS(TcxFormatController, TObject)

namespace {
TcxFormatController*& Singleton() {
  static TcxFormatController* p = nullptr;
  return p;
}

// Frees the singleton when the program ends.
struct TFormatControllerHolder {
  std::unique_ptr<TcxFormatController> Owned;
};
TFormatControllerHolder& Holder() {
  static TFormatControllerHolder h;
  return h;
}

char32_t Up(char32_t c) { return cxUpperAscii(c); }

// The most format text one parse looks at, its expansions included.
constexpr size_t kMaxExpandedFormat = 64 * 1024;

// Algorithm of parsing one format into items (see ParseFormat).
class TFormatParser {
 public:
  explicit TFormatParser(TcxDateTimeFormatInfo& Info) : FInfo(Info) {}

  bool Parse(const String& Format, int Depth) {
    if (Depth >= 2) return true;   // expansions nest at most two levels
    const String& Text = Format.empty() ? String("C") : Format;
    // Expansions multiply: every "c" of a format repeats the whole short
    // date format. What they add up to is bounded, so that a hostile
    // profile is refused (no items) instead of taking seconds and gigabytes.
    if (Text.size() > FBudget) return false;
    FBudget -= Text.size();
    const TcxChars F = cxUtf8ToChars(Text);
    const TFormatSettings& FS = FormatSettings();
    size_t i = 0;
    auto Run = [&](char32_t Letter) {
      size_t k = i;
      while (k < F.size() && Up(F[k]) == Letter) ++k;
      return static_cast<Integer>(k - i);
    };
    auto StartsWith = [&](const char* W) {
      for (size_t k = 0; W[k]; ++k)
        if (i + k >= F.size() || Up(F[i + k]) != static_cast<char32_t>(W[k])) return false;
      return true;
    };
    while (i < F.size()) {
      const char32_t c = F[i];
      const char32_t U = Up(c);
      if (c == '"' || c == '\'') {
        size_t e = i + 1;
        while (e < F.size() && F[e] != c) ++e;
        AddLiteral(cxCharsToUtf8(F.substr(i + 1, e - i - 1)));
        i = std::min(e + 1, F.size());
        continue;
      }
      if (c == '/') { Add(fikDateSeparator, ""); ++i; continue; }
      if (c == ':') { Add(fikTimeSeparator, ""); ++i; continue; }
      Integer N;
      switch (U) {
        case 'A':
          if (StartsWith("AM/PM")) {
            Add(fikAmPm, cxCharsToUtf8(F.substr(i, 5)));
            FAmPmSeen = true;
            i += 5;
          } else if (StartsWith("A/P")) {
            Add(fikAmPm, cxCharsToUtf8(F.substr(i, 3)));
            FAmPmSeen = true;
            i += 3;
          } else if (StartsWith("AMPM")) {
            Add(fikAmPm, "AMPM");
            FAmPmSeen = true;
            i += 4;
          } else if (StartsWith("AAAA")) {
            Add(fikDay, "DDDD");
            i += 4;
          } else if (StartsWith("AAA")) {
            Add(fikDay, "DDD");
            i += 3;
          } else {
            AddLiteral(cxCharToUtf8(c));
            ++i;
          }
          FLastLetter = 'A';
          continue;
        case 'C':
          ++i;
          if (!Parse(FS.ShortDateFormat, Depth + 1)) return false;
          AddLiteral(" ");
          if (!Parse(FS.LongTimeFormat, Depth + 1)) return false;
          FLastLetter = 'C';
          continue;
        case 'D':
          N = Run('D');
          i += N;
          if (N <= 4) Add(fikDay, String(N, 'D'));
          else if (N == 5 ? !Parse(FS.ShortDateFormat, Depth + 1) : !Parse(FS.LongDateFormat, Depth + 1)) return false;
          FLastLetter = 'D';
          continue;
        case 'E':
        case 'Y':
          N = Run(U);
          i += N;
          Add(fikYear, N > 2 ? "YYYY" : "YY");
          FLastLetter = U;
          continue;
        case 'G': return false;   // eras are not supported
        case 'H':
          N = Run('H');
          i += N;
          Add(fikHour, String(std::min(N, 2), 'H'));
          FHourSeen = true;
          FLastLetter = 'H';
          continue;
        case 'M':
          N = Run('M');
          i += N;
          if (FLastLetter == 'H') Add(fikMinute, String(std::min(N, 2), 'N'));
          else Add(fikMonth, String(std::min(N, 4), 'M'));
          FLastLetter = 'M';
          continue;
        case 'N':
          N = Run('N');
          i += N;
          Add(fikMinute, String(std::min(N, 2), 'N'));
          FLastLetter = 'N';
          continue;
        case 'S':
          N = Run('S');
          i += N;
          Add(fikSecond, String(std::min(N, 2), 'S'));
          FLastLetter = 'S';
          continue;
        case 'Z':
          N = Run('Z');
          i += N;
          Add(fikMSec, String(std::min(N, 3), 'Z'));
          FLastLetter = 'Z';
          continue;
        case 'T':
          N = Run('T');
          i += N;
          if (!Parse(N == 1 ? FS.ShortTimeFormat : FS.LongTimeFormat, Depth + 1)) return false;
          FLastLetter = 'T';
          continue;
        default:
          AddLiteral(cxCharToUtf8(c));
          ++i;
      }
    }
    return true;
  }

  void Finish() {
    auto Hour = std::find_if(FInfo.Items.begin(), FInfo.Items.end(), [](auto& I) { return I.Kind == fikHour; });
    if (Hour != FInfo.Items.end()) {
      Hour->Data = (FAmPmSeen ? "12" : "24") + Hour->Data;
      return;
    }
    auto AmPm = std::find_if(FInfo.Items.begin(), FInfo.Items.end(), [](auto& I) { return I.Kind == fikAmPm; });
    if (AmPm != FInfo.Items.end()) {
      FInfo.Items.erase(AmPm);
      FInfo.Defined[fikAmPm] = false;
    }
  }

 private:
  void Add(TcxFormatItemKind Kind, const String& Data) {
    if (Kind != fikLiteral && Kind != fikDateSeparator && Kind != fikTimeSeparator && FInfo.Defined[Kind]) return;
    FInfo.Defined[Kind] = true;
    FInfo.Items.push_back({Kind, Data});
  }
  void AddLiteral(const String& Text) {
    if (!FInfo.Items.empty() && FInfo.Items.back().Kind == fikLiteral) FInfo.Items.back().Data += Text;
    else Add(fikLiteral, Text);
  }

  TcxDateTimeFormatInfo& FInfo;
  size_t FBudget = kMaxExpandedFormat;
  bool FHourSeen = false;
  bool FAmPmSeen = false;
  char32_t FLastLetter = 0;
};

String SeparatorExpr(char Sep) {
  if (Sep == 0) return "";
  if (Sep == ' ') return "' '";
  return String("\\") + Sep;
}

String MonthNamesExpr(bool Long) {
  const TFormatSettings& FS = FormatSettings();
  String R;
  for (int m = 0; m < 12; ++m) R += (m ? "|" : "") + cxQuoteRegExprText(Long ? FS.LongMonthNames[m] : FS.ShortMonthNames[m]);
  return R;
}

Integer AmPmLength() {
  const TFormatSettings& FS = FormatSettings();
  return std::max(cxCharCount(FS.TimeAMString), cxCharCount(FS.TimePMString));
}

Integer ItemMaskLength(const TcxDateTimeFormatItem& I) {
  switch (I.Kind) {
    case fikLiteral: return cxCharCount(I.Data);
    case fikYear: return I.Data.size() == 2 ? 2 : 4;
    case fikMonth:
    case fikDay: return I.Data.size() > 2 ? 3 : 2;
    case fikHour:
    case fikMinute:
    case fikSecond: return 2;
    case fikAmPm: return I.Data.size() == 3 ? 1 : I.Data.size() == 5 ? 2 : AmPmLength();
    case fikDateSeparator:
    case fikTimeSeparator: return 1;
    default: return 0;
  }
}

LRESULT CALLBACK FormatWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TcxFormatController* C = Singleton();
  if (C && (Msg == WM_WININICHANGE || Msg == WM_TIMECHANGE)) {
    // No exception may leave a window procedure.
    try {
      if (C->HandleWindowMessage(Msg, WParam, LParam)) return 0;
    } catch (...) {
    }
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}
}  // namespace

String cxRepeatChar(char Ch, Integer Count) { return Count > 0 ? String(Count, Ch) : String(); }

String cxQuoteRegExprText(const String& Text) {
  String R, Run;
  auto Flush = [&] {
    if (!Run.empty()) R += "'" + Run + "'";
    Run.clear();
  };
  for (char c : Text) {
    if (c == '\'') {
      Flush();
      R += "\\'";
    } else {
      Run += c;
    }
  }
  Flush();
  return R;
}

TcxFormatController* cxGetFormatController() {
  if (!Singleton()) Holder().Owned = std::make_unique<TcxFormatController>();
  return Singleton();
}

bool cxFormatControllerExists() { return Singleton() != nullptr; }

void cxFreeFormatController() { Holder().Owned.reset(); }

TcxFormatController::TcxFormatController() {
  if (!Singleton()) Singleton() = this;
  WeekOfYearRule = 0;
  UsePlatformDateFormats = false;
  Reload();
}

TcxFormatController::~TcxFormatController() {
  ReleaseWindow();
  if (Singleton() == this) Singleton() = nullptr;
}

void TcxFormatController::ParseFormat(const String& Format, TcxDateTimeFormatInfo& Info) {
  Info.Clear();
  TFormatParser P(Info);
  if (!P.Parse(Format, 0)) {
    Info.Clear();
    return;
  }
  P.Finish();
}

String TcxFormatController::CurrencyFormatOfProfile() {
  const TFormatSettings& FS = FormatSettings();
  const String N = ",0." + cxRepeatChar('0', FS.CurrencyDecimals);
  String Sym;
  for (char c : FS.CurrencyString) {
    if (c == ',' || c == '.') Sym += String("'") + c + "'";
    else Sym += c;
  }
  // Without a currency symbol the number alone is shown (the blank that
  // would separate it from the symbol is left out too).
  const String Gap = Sym.empty() ? "" : " ";
  String Pos;
  switch (FS.CurrencyFormat) {
    case 0: Pos = Sym + N; break;
    case 1: Pos = N + Sym; break;
    case 2: Pos = Sym + Gap + N; break;
    default: Pos = N + Gap + Sym; break;
  }
  String Neg;
  switch (FS.NegCurrFormat) {
    case 0: Neg = "(" + Sym + N + ")"; break;
    case 1: Neg = "-" + Sym + N; break;
    case 2: Neg = Sym + "-" + N; break;
    case 3: Neg = Sym + N + "-"; break;
    case 4: Neg = "(" + N + Sym + ")"; break;
    case 5: Neg = "-" + N + Sym; break;
    case 6: Neg = N + "-" + Sym; break;
    case 7: Neg = N + Sym + "-"; break;
    case 8: Neg = "-" + N + Gap + Sym; break;
    case 9: Neg = "-" + Sym + Gap + N; break;
    case 10: Neg = N + Gap + Sym + "-"; break;
    case 11: Neg = Sym + Gap + N + "-"; break;
    case 12: Neg = Sym + Gap + "-" + N; break;
    case 13: Neg = N + "-" + Gap + Sym; break;
    case 14: Neg = "(" + Sym + Gap + N + ")"; break;
    default: Neg = "(" + N + Gap + Sym + ")"; break;
  }
  return Pos + ";" + Neg;
}

void TcxFormatController::Reload() {
  if (!CurrencyFormatFixed) CurrencyDisplayFormat = CurrencyFormatOfProfile();
  if (!FirstDayOfWeekFixed) FirstDayOfWeek = static_cast<Byte>(cxLocaleStartOfWeek());
  UpdateDateTimeMasks(true);
  // Two-digit day and month: every single "d" and single "M" doubled.
  const String& F = FormatSettings().ShortDateFormat;
  String T;
  for (size_t i = 0; i < F.size();) {
    const char c = F[i];
    size_t k = i;
    while (k < F.size() && F[k] == c) ++k;
    T += (k - i == 1 && (c == 'd' || c == 'M')) ? String(2, c) : F.substr(i, k - i);
    i = k;
  }
  TwoDigitDateFormat = T;
}

void TcxFormatController::UpdateDateTimeMasks(bool AWithSmartInput) {
  const TFormatSettings& FS = FormatSettings();
  ParseFormat(FS.ShortDateFormat, ParsedDateFormat);
  ParseFormat(FS.LongTimeFormat, ParsedTimeFormat);
  ParseFormat(FS.ShortDateFormat + " " + FS.LongTimeFormat, ParsedDateTimeFormat);
  ComputedDateMask = StandardMaskOf(ParsedDateFormat, dtmkDate);
  if (!DateStandardMaskFixed) DateStandardMask = ComputedDateMask;
  if (!DateRegExprMaskFixed) {
    DateRegExprMask = RegExprMaskOf(ParsedDateFormat, dtmkDate);
    if (AWithSmartInput) cxSmartInputRegExpr(DateRegExprMask, false);
  }
  if (!DateTimeRegExprMaskFixed) {
    // Without a date or a time part (a format of literals only) the mask
    // has no empty group in its place, which would not compile.
    const String DateExpr = RegExprMaskOf(ParsedDateFormat, dtmkDate);
    const String TimeExpr = RegExprMaskOf(ParsedTimeFormat, dtmkTime);
    DateTimeRegExprMask = DateExpr;
    if (!TimeExpr.empty()) DateTimeRegExprMask += (DateExpr.empty() ? "(" : " ' '(") + TimeExpr + ")?";
    if (AWithSmartInput) cxSmartInputRegExpr(DateTimeRegExprMask, true);
  }
  if (!DateTimeStandardMaskFixed) DateTimeStandardMask = StandardMaskOf(ParsedDateTimeFormat, dtmkDateTime);
  DateMaskDisplayFormat = DisplayFormatOf(ParsedDateFormat);
  DateTimeMaskDisplayFormat = DisplayFormatOf(ParsedDateTimeFormat);
}

String TcxFormatController::RegExprMaskOf(const TcxDateTimeFormatInfo& Info, TcxDateTimeMaskKind Kind) {
  if (Info.Items.empty() || Kind == dtmkDateTime) return "";
  const TFormatSettings& FS = FormatSettings();
  String R;
  for (const TcxDateTimeFormatItem& I : Info.Items) {
    switch (I.Kind) {
      case fikLiteral: R += cxQuoteRegExprText(I.Data); continue;
      case fikDateSeparator: R += SeparatorExpr(FS.DateSeparator); continue;
      case fikTimeSeparator: R += SeparatorExpr(FS.TimeSeparator); continue;
      default: break;
    }
    if (Kind == dtmkDate) {
      if (I.Kind == fikYear) R += I.Data == "YY" ? "\\d\\d" : "\\d\\d\\d\\d";
      else if (I.Kind == fikMonth) R += "((0?[1-9]|1[012])|(" + MonthNamesExpr(I.Data == "MMMM") + "))";
      else if (I.Kind == fikDay) R += "([012]?[1-9]|[123]0|31)";
    } else {
      if (I.Kind == fikHour) R += I.Data.compare(0, 2, "12") == 0 ? "(0?[1-9]|1[012])" : "([01]?\\d|2[0-3])";
      else if (I.Kind == fikMinute || I.Kind == fikSecond) R += "[0-5]?\\d";
      else if (I.Kind == fikAmPm) {
        if (I.Data.size() == 3) R += "(A|P)?";
        else if (I.Data.size() == 5) R += "(AM|PM)?";
        else {
          String Alts;
          for (const String* S : {&FS.TimeAMString, &FS.TimePMString})
            if (!S->empty()) Alts += (Alts.empty() ? "" : "|") + cxQuoteRegExprText(*S);
          if (!Alts.empty()) R += "(" + Alts + ")?";
        }
      }
    }
  }
  return R;
}

String TcxFormatController::StandardMaskOf(const TcxDateTimeFormatInfo& Info, TcxDateTimeMaskKind Kind) {
  if (Info.Items.empty()) return "";
  String R = Kind == dtmkTime ? "" : "!";
  const String Digits = Kind == dtmkTime ? "00" : "99";
  for (const TcxDateTimeFormatItem& I : Info.Items) {
    switch (I.Kind) {
      case fikLiteral:
        for (char32_t c : cxUtf8ToChars(I.Data)) R += "\\" + cxCharToUtf8(c);
        break;
      case fikYear: R += I.Data == "YY" ? "99" : "9999"; break;
      case fikMonth:
      case fikDay: R += I.Data.size() > 2 ? "lll" : "99"; break;
      case fikHour:
      case fikMinute:
      case fikSecond: R += Digits; break;
      case fikAmPm: R += cxRepeatChar('c', ItemMaskLength(I)); break;
      case fikDateSeparator: R += "/"; break;
      case fikTimeSeparator: R += ":"; break;
      default: break;
    }
  }
  return R + (Kind == dtmkTime ? ";1;0" : ";1; ");
}

String TcxFormatController::DisplayFormatOf(const TcxDateTimeFormatInfo& Info) {
  String R;
  for (const TcxDateTimeFormatItem& I : Info.Items) {
    switch (I.Kind) {
      case fikLiteral: R += "'" + I.Data + "'"; break;
      case fikYear: R += I.Data == "YY" ? "yy" : "yyyy"; break;
      case fikMonth: R += I.Data.size() > 2 ? "mmm" : "mm"; break;
      case fikDay: R += I.Data.size() > 2 ? "ddd" : "dd"; break;
      case fikHour: R += "hh"; break;
      case fikMinute: R += "nn"; break;
      case fikSecond: R += "ss"; break;
      case fikAmPm: R += LowerCase(I.Data); break;
      case fikDateSeparator: R += "/"; break;
      case fikTimeSeparator: R += ":"; break;
      default: break;
    }
  }
  return R;
}

Integer TcxFormatController::MaskLengthOf(const TcxDateTimeFormatInfo& Info) {
  Integer R = 0;
  for (const auto& I : Info.Items) R += ItemMaskLength(I);
  return R;
}

bool cxFindFormatItemAtMaskPos(const TcxDateTimeFormatInfo& Info, Integer Position, TcxDateTimeFormatItemInfo& ItemInfo) {
  if (Position <= 0) return false;
  Integer Start = 1;
  for (const auto& I : Info.Items) {
    const Integer L = ItemMaskLength(I);
    if (Position >= Start && Position < Start + L) {
      ItemInfo.Kind = I.Kind;
      ItemInfo.ItemZoneStart = Start;
      ItemInfo.ItemZoneLength = L;
      ItemInfo.TimeSuffixKind = I.Kind != fikAmPm ? 0 : I.Data.size() == 3 ? 0 : I.Data.size() == 5 ? 1 : 2;
      return true;
    }
    Start += L;
  }
  return false;
}

bool TcxFormatController::HandleWindowMessage(Cardinal Msg, NativeUInt WParam, NativeInt LParam) {
  if (Msg == WM_WININICHANGE) {
    const auto* Section = reinterpret_cast<const char16_t*>(LParam);
    if (WParam != 0 || !Section || std::u16string(Section) != u"intl") return false;
    // The program's format profile is fixed: nothing to re-read from the
    // system, but what depends on it is rebuilt.
    Reload();
    // A listener may go while an earlier one is told (an editor freed by a
    // change handler): only those still listed are told.
    const auto Listeners = FListeners;
    for (auto* L : Listeners)
      if (std::find(FListeners.begin(), FListeners.end(), L) != FListeners.end()) L->LocaleFormatChanged();
    return true;
  }
  if (Msg == WM_TIMECHANGE) {
    const auto Listeners = FListeners;
    for (auto* L : Listeners)
      if (std::find(FListeners.begin(), FListeners.end(), L) != FListeners.end())
        if (auto* T = dynamic_cast<IcxSystemTimeListener*>(L)) T->SystemTimeChanged();
    return true;
  }
  return false;
}

void TcxFormatController::AddListener(IcxLocaleFormatListener* Listener) {
  if (!Listener || std::find(FListeners.begin(), FListeners.end(), Listener) != FListeners.end()) return;
  FListeners.push_back(Listener);
  if (FListeners.size() == 1) AllocateWindow();
}

void TcxFormatController::RemoveListener(IcxLocaleFormatListener* Listener) {
  auto It = std::find(FListeners.begin(), FListeners.end(), Listener);
  if (It == FListeners.end()) return;
  FListeners.erase(It);
  if (FListeners.empty()) ReleaseWindow();
}

void TcxFormatController::AllocateWindow() {
  static const char16_t* const kClass = u"TcxFormatControllerWindow";
  static bool Registered = [] {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FormatWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = reinterpret_cast<LPCWSTR>(kClass);
    return RegisterClassW(&wc) != 0;
  }();
  if (!Registered) return;
  // A hidden top-level window: setting-change broadcasts reach only those.
  FWindow = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(kClass), reinterpret_cast<LPCWSTR>(u""), WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void TcxFormatController::ReleaseWindow() {
  if (FWindow) ::DestroyWindow(static_cast<HWND>(FWindow));
  FWindow = nullptr;
}
