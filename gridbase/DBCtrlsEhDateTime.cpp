// The date-time edit: a value kept as a date (or Null), shown through a
// mask built from its edit format, elements stepped with the arrow keys, the
// wheel or an up-down button, separators that jump to the next element and
// the drop-down month calendar.
#include <algorithm>
#include "DBCtrlsEh.h"
#include "DateUtils.h"
#include "FormatSettings.h"
#include "PlatformEh.h"
#include "Forms.h"
#include "Streaming.h"
#include "SysUtils.h"
#include "Utf8.h"
#include "VclWindows.h"

TOVANI_IMPLEMENT_CLASS(TCustomDBDateTimeEditEh, TCustomDBEditEh)
TOVANI_IMPLEMENT_CLASS_FACTORY(TDBDateTimeEditEh, TCustomDBDateTimeEditEh)
TOVANI_IMPLEMENT_ENUM_INFO(TDateTimeKindEh, "dtkDateEh", "dtkTimeEh", "dtkDateTimeEh", "dtkCustomEh")

TOVANI_PUBLISHED(TDBDateTimeEditEh) {
  Property("Alignment", &TCustomDBEditEh::Alignment, &TCustomDBEditEh::SetAlignment)
      .Stored(&TCustomDBEditEh::IsAlignmentStored);
  Property("AlwaysShowBorder", &TCustomDBEditEh::AlwaysShowBorder, &TCustomDBEditEh::SetAlwaysShowBorder).Default(false);
  Property("DataField", &TCustomDBEditEh::DataField, &TCustomDBEditEh::SetDataField);
  Property("DataSource", &TCustomDBEditEh::DataSource, &TCustomDBEditEh::SetDataSource);
  Property("EditButton", &TCustomDBEditEh::EditButton, &TCustomDBEditEh::SetEditButton);
  Property("EditButtons", &TCustomDBEditEh::EditButtons, &TCustomDBEditEh::SetEditButtons);
  Property("Flat", &TCustomDBEditEh::Flat, &TCustomDBEditEh::SetFlat).Default(false);
  Property("HighlightRequired", &TCustomDBEditEh::HighlightRequired, &TCustomDBEditEh::SetHighlightRequired)
      .Default(false);
  Property("Images", &TCustomDBEditEh::Images, &TCustomDBEditEh::SetImages);
  Property("Kind", &TCustomDBDateTimeEditEh::Kind, &TCustomDBDateTimeEditEh::SetKind)
      .Stored([](TObject* o) { return static_cast<TCustomDBDateTimeEditEh*>(o)->Kind() != dtkCustomEh; });
  Property("MRUList", &TCustomDBEditEh::MRUList, &TCustomDBEditEh::SetMRUList);
  Property("ReadOnly", &TCustomDBEditEh::ReadOnly, &TCustomDBEditEh::SetReadOnly).Default(false);
  Property("ShowHint", &TCustomDBEditEh::ShowHint, &TCustomDBEditEh::SetShowHint).Default(false);
  Property("Tooltips", &TCustomDBEditEh::Tooltips, &TCustomDBEditEh::SetTooltips).Default(false);
  Property("Value", &TCustomDBEditEh::Value, &TCustomDBEditEh::SetValue)
      .Stored([](TObject* o) { return static_cast<TCustomDBEditEh*>(o)->IsValueStored(); });
  Property("Visible", &TCustomDBEditEh::GetVisible, &TCustomDBEditEh::SetVisible).NoDefault();
  Property("OnButtonClick", &TCustomDBEditEh::OnButtonClick);
  Property("OnButtonDown", &TCustomDBEditEh::OnButtonDown);
  Property("OnCheckDrawRequiredState", &TCustomDBEditEh::OnCheckDrawRequiredState);
  Property("OnCloseUp", &TCustomDBDateTimeEditEh::OnCloseUp);
  Property("OnDropDown", &TCustomDBDateTimeEditEh::OnDropDown);
  Property("OnGetImageIndex", &TCustomDBEditEh::OnGetImageIndex);
  Property("OnUpdateData", &TCustomDBEditEh::OnUpdateData);
}

namespace {

// Format letters in the element order year, month, day, hour, minute, second.
constexpr char32_t kElementLetters[6] = {U'Y', U'M', U'D', U'H', U'N', U'S'};
// Two-digit years read within this many years before the current one.
constexpr Integer kTwoDigitYearWindow = 60;

std::u32string ToU32(const String& s) {
  std::u32string out;
  for (size_t pos = 0; pos < s.size();) out += Utf8Decode(s, pos);
  return out;
}

String FromU32(const std::u32string& s) {
  String out;
  for (char32_t c : s) Utf8Append(out, c);
  return out;
}

char32_t Upper(char32_t c) { return (c >= U'a' && c <= U'z') ? c - 32 : c; }

Integer ElementIndex(char32_t upper) {
  for (Integer i = 0; i < 6; ++i)
    if (kElementLetters[i] == upper) return i;
  return -1;
}

// The characters a display format keeps as format characters.
bool IsDisplayFormatChar(char32_t upper) { return upper == U'/' || upper == U':' || ElementIndex(upper) >= 0; }

// Characters with a meaning of their own in an edit mask.
bool IsMaskChar(char32_t c) {
  static const std::u32string chars = U"!#09;<>ACLacl";
  return chars.find(c) != std::u32string::npos;
}

bool IsSeparatorChar(char32_t c) {
  return c == U'/' || c == U':' || c == char32_t(FormatSettings().DateSeparator) ||
         c == char32_t(FormatSettings().TimeSeparator);
}

Integer DaysInMonth(Integer Year, Integer Month) {
  static const Integer days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month == 2 && IsLeapYear(Word(Year))) return 29;
  return days[Month - 1];
}

// A piece of shown text as a number: blanks are ignored, anything else but
// digits (or nothing at all) gives -1.
Integer ParseNumberPart(const std::u32string& Piece) {
  Integer value = 0;
  bool any = false;
  for (char32_t c : Piece) {
    if (c == U' ') continue;
    if (c < U'0' || c > U'9') return -1;
    any = true;
    if (value < 100000) value = value * 10 + Integer(c - U'0');
  }
  return any ? value : -1;
}

void NormalizeDateParts(TDateTimePartsEh& P) {
  Word y, m, d;
  DecodeDate(Date(), y, m, d);
  if (P[0] < 1) P[0] = y;
  if (P[1] < 1) P[1] = m;
  if (P[2] < 1) P[2] = d;
  if (P[1] > 12) P[1] = 12;
  if (P[0] > 9999) P[0] = 9999;
  if (P[0] >= 0) P[0] = ExpandTwoDigitYearEh(P[0]);
  P[2] = std::min(P[2], DaysInMonth(P[0], P[1]));
}

void NormalizeTimeParts(TDateTimePartsEh& P) {
  for (size_t i = 3; i < 6; ++i)
    if (P[i] < 0) P[i] = 0;
  if (P[3] > 23) P[3] = 23;
  if (P[4] >= 60) P[4] = 59;
  if (P[5] >= 60) P[5] = 59;
}

String Quoted(const String& s) { return "\"" + s + "\""; }

}  // namespace

// ---------------------------------------------------------------------------
// Edit formats

String GetDefaultDateFormatEh(bool FourDigitYear) {
  // The first of D, M, Y in the system short date format gives the order.
  char order = 'D';
  for (char c : FormatSettings().ShortDateFormat) {
    char u = char(Upper(char32_t(c)));
    if (u == 'D' || u == 'M' || u == 'Y') {
      order = u;
      break;
    }
  }
  const char* year = FourDigitYear ? "YYYY" : "YY";
  if (order == 'M') return String("MM/DD/") + year;
  if (order == 'Y') return String(year) + "/MM/DD";
  return String("DD/MM/") + year;
}

String EditFormatToMaskEh(const String& Format, TDateTimeElementMapEh& Map) {
  TDateTimeElementMapEh map{};
  std::u32string f = ToU32(Format), body;
  Integer display = 1;
  char32_t runLetter = 0;
  Integer runLength = 0, runStart = 0;
  bool escaped = false;
  auto closeRun = [&] {
    if (!runLetter) return;
    String letter = FromU32(std::u32string(1, runLetter));
    if (!(runLength == 2 || (runLetter == U'Y' && runLength == 4)))
      throw Exception("Invalid datetime format element length: " + Quoted(letter));
    TDateTimeElementEh& e = map[size_t(ElementIndex(runLetter))];
    if (e.Present) throw Exception("Duplicating datetime format element: " + Quoted(letter));
    e = {runStart, runLength, true};
    body.append(size_t(runLength), U'9');
    runLetter = 0;
  };
  for (size_t i = 0; i < f.size(); ++i) {
    char32_t c = f[i], u = Upper(c);
    if (!escaped && ElementIndex(u) >= 0) {
      if (u == runLetter) {
        ++runLength;
        if (runLength > (u == U'Y' ? 4 : 2))
          throw Exception("Element in EditFormat: " + Quoted(Format) + " is too long. Pos: " + IntToStr(Int64(i + 1)));
      } else {
        closeRun();
        runLetter = u;
        runLength = 1;
        runStart = display;
      }
      ++display;
      continue;
    }
    closeRun();
    if (!escaped && c == U'\\') {
      escaped = true;
      continue;
    }
    escaped = false;
    if (IsMaskChar(c)) body += U'\\';
    body += c;
    ++display;
  }
  closeRun();
  Map = map;
  return "!" + FromU32(body) + ";1; ";
}

String EditFormatToDisplayFormatEh(const String& Format) {
  std::u32string f = ToU32(Format), out;
  bool quoted = false, escaped = false;
  for (char32_t c : f) {
    if (!escaped && c == U'\\') {
      escaped = true;
      continue;
    }
    char32_t u = Upper(c);
    if (!escaped && IsDisplayFormatChar(u)) {
      if (quoted) out += U'\'';
      quoted = false;
      out += u;
    } else {
      if (!quoted) out += U'\'';
      quoted = true;
      if (c == U'\'') out += U"''";
      else out += c;
    }
    escaped = false;
  }
  if (quoted) out += U'\'';
  return FromU32(out);
}

String EditFormatToElementMapEh(const String& Format) {
  std::u32string f = ToU32(Format), out;
  bool escaped = false;
  for (char32_t c : f) {
    if (!escaped && c == U'\\') {
      escaped = true;
      continue;
    }
    char32_t u = Upper(c);
    out += (!escaped && IsDisplayFormatChar(u)) ? u : U' ';
    escaped = false;
  }
  return FromU32(out);
}

Integer ExpandTwoDigitYearEh(Integer Year) {
  if (Year >= 100) return Year;
  Word cy, cm, cd;
  DecodeDate(Date(), cy, cm, cd);
  Integer c = cy, w = kTwoDigitYearWindow;
  Year += ((c - w) / 100) * 100;
  if (w > 0 && Year < c - w) Year += 100;
  return Year;
}

TDateTimePartsEh TextToPartsEh(const String& Text, const TDateTimeElementMapEh& Map) {
  TDateTimePartsEh parts;
  parts.fill(-1);
  std::u32string t = ToU32(Text);
  for (size_t i = 0; i < 6; ++i) {
    const TDateTimeElementEh& e = Map[i];
    if (!e.Present) continue;
    size_t start = size_t(e.Pos - 1);
    parts[i] = start < t.size() ? ParseNumberPart(t.substr(start, size_t(e.Length))) : -1;
  }
  if (parts[0] >= 0) parts[0] = ExpandTwoDigitYearEh(parts[0]);
  return parts;
}

bool PartsToVariantEh(TDateTimePartsEh P, const TDateTimeElementMapEh& Map, Variant& Value, bool Normalize) {
  if (std::all_of(P.begin(), P.end(), [](Integer v) { return v == -1; })) {
    Value = Variant::Null();
    return true;
  }
  if (Normalize) {
    NormalizeDateParts(P);
    NormalizeTimeParts(P);
  } else {
    for (size_t i = 0; i < 3; ++i)
      if (!Map[i].Present && P[i] < 1) P[i] = 1;
    for (size_t i = 3; i < 6; ++i)
      if (!Map[i].Present && P[i] < 0) P[i] = 0;
  }
  bool noDate = P[0] < 0 && P[1] < 0 && P[2] < 0;
  bool valid = true;
  if (!noDate) {
    if (P[0] <= 0 || P[1] <= 0 || P[2] <= 0 || P[0] > 9999 || P[1] > 12 || P[2] > DaysInMonth(P[0], P[1]))
      valid = false;
  }
  if (P[3] < 0 || P[4] < 0 || P[5] < 0 || P[3] > 23 || P[4] > 59 || P[5] > 59) valid = false;
  if (!valid) {
    Value = Variant::Null();
    return false;
  }
  Word y = 1900, mo = 1, d = 1, h = 0, mi = 0, s = 0, ms = 0;
  if (!Value.IsNull() && !Value.IsEmpty()) DecodeDateTime(Value.AsDateTime(), y, mo, d, h, mi, s, ms);
  Word* comp[6] = {&y, &mo, &d, &h, &mi, &s};
  for (size_t i = 0; i < 6; ++i) {
    if (!Map[i].Present) continue;
    if (i < 3 ? P[i] > 0 : P[i] >= 0) *comp[i] = Word(P[i]);
  }
  if (y == 0 && mo == 0 && d == 0) Value = Variant::FromDate(EncodeTime(h, mi, s, ms));
  else Value = Variant::FromDate(EncodeDateTime(y, mo, d, h, mi, s, ms));
  return true;
}

String StepFormatElementEh(const String& Text, const String& ElementMap, bool Up, Integer Pos, Integer& ElementStart,
                           Integer& ElementLength) {
  ElementStart = 0;
  ElementLength = 0;
  std::u32string map = ToU32(ElementMap), t = ToU32(Text);
  Integer n = Integer(map.size());
  if (n == 0) return Text;
  Integer p = std::clamp(Pos, 1, n);
  if (IsSeparatorChar(map[size_t(p - 1)])) {
    ++p;
    if (p > n) return Text;
  }
  char32_t letter = map[size_t(p - 1)];
  if (ElementIndex(letter) < 0) return Text;
  // The letter's first run in the map.
  size_t start = map.find(letter), end = start;
  while (end < map.size() && map[end] == letter) ++end;
  Integer len = Integer(end - start);
  std::u32string piece = start < t.size() ? t.substr(start, size_t(len)) : std::u32string();
  Integer v = ParseNumberPart(piece);
  if (v < 0) v = 0;
  Integer lo = 0, hi = 0;
  switch (letter) {
    case U'D': lo = 1, hi = 31; break;
    case U'M': lo = 1, hi = 12; break;
    case U'H': lo = 0, hi = 23; break;
    case U'N': case U'S': lo = 0, hi = 59; break;
    default: lo = 1, hi = 9999; break;
  }
  v += Up ? 1 : -1;
  if (v > hi) v = lo;
  if (v < lo) v = hi;
  // Zero-padded to the run; a number wider than a two-digit run keeps its
  // last digits so the text still fits the mask.
  std::u32string digits = ToU32(IntToStr(v));
  if (Integer(digits.size()) < len) digits.insert(0, size_t(len) - digits.size(), U'0');
  else if (Integer(digits.size()) > len) digits = digits.substr(digits.size() - size_t(len));
  std::u32string head = t.substr(0, std::min(start, t.size()));
  if (head.size() < start) head.append(start - head.size(), U' ');
  std::u32string tail = end < t.size() ? t.substr(end, 255) : std::u32string();
  ElementStart = Integer(start) + 1;
  ElementLength = len;
  return FromU32(head + digits + tail);
}

bool SelectFormatElementEh(const String& Format, Integer Pos, Integer& Start, Integer& Length) {
  std::u32string f;
  for (char32_t c : ToU32(Format)) f += Upper(c);
  Integer n = Integer(f.size());
  if (n == 0) return false;
  Integer p = std::clamp(Pos, 1, n);
  if (IsSeparatorChar(f[size_t(p - 1)]) && p < n) ++p;
  char32_t letter = f[size_t(p - 1)];
  if (ElementIndex(letter) < 0) return false;
  size_t s = size_t(p - 1);
  while (s > 0 && f[s - 1] == letter) --s;
  size_t e = size_t(p);
  while (e < f.size() && f[e] == letter) ++e;
  Start = Integer(s);
  Length = Integer(e - s);
  return true;
}

// ---------------------------------------------------------------------------
// TCustomDBDateTimeEditEh

TCustomDBDateTimeEditEh::TCustomDBDateTimeEditEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {
  SetControlStyle(ControlStyle() - csSetCaption);
  InstallEditButton(CreateEditButton());
  UpdateFourDigitYear();
  UpdateEditFormat();
}

TCustomDBDateTimeEditEh::~TCustomDBDateTimeEditEh() {
  delete FCalendar;
  FCalendar = nullptr;
}

TEditButtonEh* TCustomDBDateTimeEditEh::CreateEditButton() { return new TVisibleEditButtonEh(this); }

void TCustomDBDateTimeEditEh::DefineProperties(TFiler* Filer) {
  TCustomDBEditEh::DefineProperties(Filer);
  Filer->DefineProperty(
      "EditFormat", [this](TReader* r) { SetEditFormat(r->ReadString()); },
      [this](TWriter* w) { w->WriteString(FEditFormat); }, FKind == dtkCustomEh);
}

void TCustomDBDateTimeEditEh::SetKind(TDateTimeKindEh v) {
  if (v == FKind) return;
  FKind = v;
  UpdateEditFormat();
  DataLinkDataChange();
}

void TCustomDBDateTimeEditEh::SetEditFormat(const String& v) {
  FKind = dtkCustomEh;
  if (v == FEditFormat) return;
  FEditFormat = v;
  UpdateEditFormat();
  DataLinkDataChange();
}

void TCustomDBDateTimeEditEh::UpdateFourDigitYear() {
  bool four = UpperCase(FormatSettings().ShortDateFormat).find("YYY") != String::npos;
  if (four == FFourDigitYear) return;
  FFourDigitYear = four;
  UpdateEditFormat();
}

void TCustomDBDateTimeEditEh::UpdateEditFormat() {
  switch (FKind) {
    case dtkDateEh: FEditFormat = GetDefaultDateFormatEh(FFourDigitYear); break;
    case dtkTimeEh: FEditFormat = "HH:NN:SS"; break;
    case dtkDateTimeEh: FEditFormat = GetDefaultDateFormatEh(FFourDigitYear) + " HH:NN:SS"; break;
    case dtkCustomEh: break;
  }
  if (FEditFormat.empty()) {
    FDisplayFormat.clear();
    FElementMap = TDateTimeElementMapEh{};
    InternalSetEditMask("");
    return;
  }
  // A bad format leaves the mask and the element map as they were.
  FDisplayFormat = EditFormatToDisplayFormatEh(FEditFormat);
  TDateTimeElementMapEh map;
  String mask = EditFormatToMaskEh(FEditFormat, map);
  FElementMap = map;
  InternalSetEditMask(mask);
}

String TCustomDBDateTimeEditEh::FormatValue(const Variant& V) {
  if (V.IsNull() || V.IsEmpty()) return {};
  String s;
  if (IsMasked()) DateTimeToString(s, FDisplayFormat, V.AsDateTime());
  else s = DateTimeToStr(V.AsDateTime());
  return s;
}

void TCustomDBDateTimeEditEh::SetDisplayText(const String& Text) {
  bool old = FInDisplay;
  FInDisplay = true;
  try {
    TCustomDBEditEh::InternalSetText(Text);
  } catch (...) {
    FInDisplay = old;
    throw;
  }
  FInDisplay = old;
}

void TCustomDBDateTimeEditEh::InternalSetValue(const Variant& AValue) {
  if (AValue.IsNull() || AValue.IsEmpty()) {
    FValue = Variant::Null();
    SetDisplayText("");
  } else {
    FValue = VarAsType(AValue, varDate);
    SetDisplayText(FormatValue(FValue));
  }
}

void TCustomDBDateTimeEditEh::InternalSetText(const String& AText) {
  Variant v = FValue;
  if (IsMasked()) {
    if (!PartsToVariantEh(TextToPartsEh(AText, FElementMap), FElementMap, v, false))
      throw Exception("Invalid datetime: " + Quoted(AText));
  } else {
    v = Trim(AText).empty() ? Variant::Null() : Variant::FromDate(StrToDateTime(AText));
  }
  FValue = v;
  SetDisplayText(AText);
}

void TCustomDBDateTimeEditEh::ParseEditText() {
  if (IsMasked()) {
    Variant v = FValue;
    PartsToVariantEh(TextToPartsEh(Text(), FElementMap), FElementMap, v, false);
    FValue = v;
  } else {
    TDateTime d = 0;
    try {
      FValue = TryStrToDateTime(Text(), d) ? Variant::FromDate(d) : Variant::Null();
    } catch (...) {
      FValue = Variant::Null();
    }
  }
  UpdateImageIndex();
}

void TCustomDBDateTimeEditEh::Change() {
  if (!FInDisplay) ParseEditText();
  TCustomDBEditEh::Change();
}

void TCustomDBDateTimeEditEh::ValidateEdit() {
  if (FInValidate) return;
  FInValidate = true;
  try {
    TCustomDBEditEh::ValidateEdit();
    if (IsMasked()) {
      // A partly typed date is completed from today and clamped.
      Variant v = FValue;
      PartsToVariantEh(TextToPartsEh(Text(), FElementMap), FElementMap, v, true);
      FValue = v;
      SetDisplayText(FormatValue(v));
    }
  } catch (...) {
    FInValidate = false;
    throw;
  }
  FInValidate = false;
}

void TCustomDBDateTimeEditEh::DataChanged() {
  bool old = FLoadingText;
  FLoadingText = true;
  try {
    TField* f = DataLink()->GetMainField();
    if (f) {
      if (f->Alignment() != Alignment()) Invalidate();
      InternalSetValue(f->AsVariant());
    } else if (DataLink()->DataIndependent()) {
      InternalSetValue(DataLink()->IndependentValue());
    } else {
      InternalSetValue(Variant::Null());
    }
  } catch (...) {
    FLoadingText = old;
    throw;
  }
  FLoadingText = old;
  UpdateReadOnlyState();
  SetModified(false);
}

void TCustomDBDateTimeEditEh::InternalUpdatePostData() {
  Variant target = IsDataIndependent() ? DataLink()->IndependentValue()
                                       : (DataLink()->GetMainField() ? DataLink()->GetMainField()->AsVariant()
                                                                     : Variant::Null());
  if (IsMasked()) {
    // Only the elements the edit shows replace those of the stored value
    // (a date-only edit keeps the field's time of day).
    TDateTimePartsEh parts;
    parts.fill(-1);
    if (!FValue.IsNull()) {
      Word y, mo, d, h, mi, s, ms;
      DecodeDateTime(FValue.AsDateTime(), y, mo, d, h, mi, s, ms);
      parts = {y, mo, d, h, mi, s};
    }
    PartsToVariantEh(parts, FElementMap, target, true);
  } else {
    target = Trim(Text()).empty() ? Variant::Null() : Variant::FromDate(StrToDateTime(Text()));
  }
  DataLink()->AssignValue(target);
}

String TCustomDBDateTimeEditEh::GetDisplayText() {
  TField* f = DataLink()->GetMainField();
  if (ControlState().Contains(csPaintCopy) && f && !(Designing() && !DataLink()->IsLinkActive())) {
    if (f->IsNull()) return {};
    String s;
    if (IsMasked()) DateTimeToString(s, FDisplayFormat, f->AsDateTime());
    else s = DateTimeToStr(f->AsDateTime());
    return s;
  }
  return TCustomDBEditEh::GetDisplayText();
}

// ---------------------------------------------------------------------------
// Stepping and keys

void TCustomDBDateTimeEditEh::IncrementElement(bool Up) {
  Integer start = 0, length = 0;
  String text = StepFormatElementEh(Text(), EditFormatToElementMapEh(FEditFormat), Up, SelStart() + 1, start, length);
  if (start <= 0) return;
  SetDisplayText(text);
  Change();
  SetSelStart(start - 1);
  SetSelLength(length);
}

void TCustomDBDateTimeEditEh::KeyDown(Word& Key, TShiftState Shift) {
  bool plain = !Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl);
  if (IsMasked() && plain && (Key == VK_UP || Key == VK_DOWN) && !ReadOnly()) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key && InplaceHolder()) InplaceHolder()->InplaceEditKeyDown(this, Key, Shift);
    // The arrow steps the element and is used up (a single-line edit
    // would otherwise move the caret and lose the element's selection).
    if (Key && DataLink()->StartEdit()) {
      IncrementElement(Key == VK_UP);
      Key = 0;
    }
    return;
  }
  if (IsMasked() && plain && (Key == VK_LEFT || Key == VK_RIGHT) && SelLength() > 1) {
    Integer s = SelStart(), l = SelLength();
    SetSelLength(0);
    SetSelStart(Key == VK_LEFT ? s : s + l - 1);
  }
  TCustomDBEditEh::KeyDown(Key, Shift);
}

void TCustomDBDateTimeEditEh::KeyPress(char32_t& Key) {
  if (FCalendarVisible && (Key == VK_RETURN || Key == VK_ESCAPE)) {
    CloseUp(Key == VK_RETURN);
    Key = 0;
    return;
  }
  if (IsMasked() && Key && (Key == char32_t(FormatSettings().DateSeparator) ||
                            Key == char32_t(FormatSettings().TimeSeparator))) {
    // A separator jumps to the next element (the first one after the last).
    std::u32string t = ToU32(Text());
    Integer s = SelStart();
    size_t k = size_t(s) < t.size() ? t.find(Key, size_t(s)) : std::u32string::npos;
    Integer pos = k == std::u32string::npos ? 1 : Integer(k) + 2;
    Integer start = 0, length = 0;
    if (SelectFormatElementEh(GetDefaultDateFormatEh(FFourDigitYear), pos, start, length)) {
      SetSelStart(start);
      SetSelLength(length);
    }
    Key = 0;
    return;
  }
  TCustomDBEditEh::KeyPress(Key);
}

bool TCustomDBDateTimeEditEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEh::DoMouseWheelDown(Shift, MousePos)) return true;
  if (!IsMasked() || !Shift.Empty() || ReadOnly() || !DataLink()->StartEdit()) return false;
  IncrementElement(false);
  return true;
}

bool TCustomDBDateTimeEditEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEh::DoMouseWheelUp(Shift, MousePos)) return true;
  if (!IsMasked() || !Shift.Empty() || ReadOnly() || !DataLink()->StartEdit()) return false;
  IncrementElement(true);
  return true;
}

void TCustomDBDateTimeEditEh::EditButtonDefaultAction(bool Down) {
  if (EditButton()->Style() == ebsUpDownEh) {
    if (IsMasked() && !ReadOnly() && DataLink()->StartEdit()) IncrementElement(!Down);
    return;
  }
  TCustomDBEditEh::EditButtonDefaultAction(Down);
}

void TCustomDBDateTimeEditEh::FilterMRUItem(const String& AItem, bool& Accept) {
  String text = Text();
  char sep = FormatSettings().DateSeparator;
  while (!text.empty() && (text.back() == ' ' || text.back() == sep || text.back() == '/')) text.pop_back();
  std::u16string t16 = Utf8ToUtf16(text);
  String head = Utf16ToUtf8(Utf8ToUtf16(AItem).substr(0, t16.size()));
  Accept = AnsiCompareTextEh(head, text) == 0;
}

// ---------------------------------------------------------------------------
// The calendar

TPopupMonthCalendarEh* TCustomDBDateTimeEditEh::GetCalendar() {
  if (!FCalendar) {
    FCalendar = new TPopupMonthCalendarEh(this);
    FCalendar->SetVisible(false);
  }
  return FCalendar;
}

void TCustomDBDateTimeEditEh::DropDown() {
  TCustomDBEditEh::DropDown();
  if (FCalendarVisible) return;
  if (OnDropDown) OnDropDown(this);
  TPopupMonthCalendarEh* cal = GetCalendar();
  cal->HandleNeeded();
  cal->SetDate(FValue.IsNull() ? Date() : DateOf(FValue.AsDateTime()));
  TPoint p = FitDropDownToControlEh(this, cal, UseRightToLeftAlignment() ? 1 : 0);
  SetWindowPos(cal->Handle(), HWND_TOP, p.X, p.Y, cal->Width(), cal->Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
  FCalendarVisible = true;
  FDroppedDown = true;
}

void TCustomDBDateTimeEditEh::CloseUp(bool Accept) {
  if (!FCalendarVisible) return;
  FCalendarVisible = false;
  if (HWND cap = GetCapture()) SendMessageW(cap, WM_CANCELMODE, 0, 0);
  TPopupMonthCalendarEh* cal = GetCalendar();
  HWND focus = GetFocus();
  if (cal->HandleAllocated()) {
    if (focus && (focus == cal->Handle() || IsChild(cal->Handle(), focus)) && CanFocus()) SetFocus();
    ShowWindow(cal->Handle(), SW_HIDE);
  }
  FDroppedDown = false;
  TCustomDBEditEh::CloseUp(Accept);
  if (HandleAllocated()) {
    TEditButtonControlEh* main = MainButtonControl();
    PostMessageW(Handle(), CM_CALENDARCLOSED_EH, WPARAM(main ? main->Tag() : 0), 0);
  }
  if (Accept && !ReadOnly() && DataLink()->StartEdit()) {
    TDateTime d = DateOf(cal->Date());
    if (!FValue.IsNull()) {
      // The time of day of the value goes with the chosen date.
      double v = FValue.AsDateTime();
      double frac = v - double(Int64(v));
      d = d >= 0 ? d + (frac < 0 ? -frac : frac) : d - (frac < 0 ? -frac : frac);
    }
    Word y, mo, dd, h, mi, s, ms;
    DecodeDateTime(d, y, mo, dd, h, mi, s, ms);
    Variant v = FValue;
    PartsToVariantEh({y, mo, dd, h, mi, s}, FElementMap, v, true);
    InternalSetValue(v);
    DataLink()->SetModified(true);
    SetModified(true);
    if (Focused()) SelectAll();
  }
  if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBDateTimeEditEh::EditButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
  TEditButtonControlEh* main = MainButtonControl();
  if (!FCalendarVisible || !FCalendar || Sender != main || !main || GetCapture() != Handle()) return;
  TPoint screen = main->ClientToScreen({X, Y});
  TPoint p = FCalendar->ScreenToClient(screen);
  if (FCalendar->ClientRect().Contains(p)) {
    main->Perform(WM_CANCELMODE);
    SendMessageW(FCalendar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
  }
}

void TCustomDBDateTimeEditEh::WndProc(TMessage& Message) {
  if (FCalendarVisible && FCalendar && FCalendar->HandleAllocated() &&
      (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN || Message.Msg == WM_CHAR)) {
    Word key = Word(Message.WParam);
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (Message.Msg != WM_CHAR && (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN ||
                                   key == VK_LEFT || key == VK_RIGHT || (ctrl && (key == VK_HOME || key == VK_END)))) {
      SendMessageW(FCalendar->Handle(), Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  }
  TCustomDBEditEh::WndProc(Message);
}

void TCustomDBDateTimeEditEh::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENTER:
      UpdateFourDigitYear();
      break;
    case CM_WANTSPECIALKEY:
      if (FCalendarVisible && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
      }
      break;
    case CM_MOUSEWHEEL:
      if (FCalendarVisible && FCalendar) {
        FCalendar->Perform(Message.Msg, Message.WParam, Message.LParam);
        Message.Result = 1;
        return;
      }
      break;
    case CM_CANCELMODE: {
      TCustomDBEditEh::Dispatch(Message);
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      auto* win = dynamic_cast<TWinControl*>(sender);
      bool own = sender == this || sender == FCalendar ||
                 (win && win->HandleAllocated() && IsOwnWindow(win->Handle(), {FCalendar}));
      if (FCalendarVisible && !own) CloseUp(false);
      return;
    }
    case WM_KILLFOCUS: {
      HWND to = reinterpret_cast<HWND>(Message.WParam);
      if (FCalendarVisible && FCalendar && FCalendar->HandleAllocated() &&
          !(to && (to == FCalendar->Handle() || IsChild(FCalendar->Handle(), to))))
        CloseUp(false);
      break;
    }
  }
  TCustomDBEditEh::Dispatch(Message);
}
