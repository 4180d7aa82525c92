// Built-in script routines and types.
#include "fs_isysrtti.h"

#include <windows.h>

#include <cmath>
#include <random>

#include "Collation.h"
#include "DateUtils.h"
#include "FormatSettings.h"
#include "SysUtils.h"
#include "Utf8.h"

TOVANI_IMPLEMENT_CLASS(TfsSysFunctions, TfsRTTIModule)

namespace {

TfsShowMessageProc& ShowMessageProc() {
  static TfsShowMessageProc proc;
  return proc;
}

std::mt19937_64& RandomEngine() {
  static std::mt19937_64 engine(0x5EED);
  return engine;
}

constexpr Int64 MaxArrayElements = 16 * 1024 * 1024;

[[noreturn]] void InvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

double Checked(double v) {
  if (std::isnan(v) || std::isinf(v)) InvalidOp();
  return v;
}

Int64 ToInt64(double v) {
  if (!(v > -9223372036854775808.0 && v < 9223372036854775808.0)) InvalidOp();
  return Int64(v);
}

Word ToWord(const Variant& v) {
  Integer i = v.AsInteger();
  if (i < 0 || i > 65535) throw EConvertError("Invalid argument to date encode");
  return Word(i);
}

Variant DateValue(TDateTime d) { return Variant::FromDate(d); }

// --- ctConv: IntToStr .. DateTimeToStr
Variant ConvFunctions(const String& name, TfsMethodHelper* c) {
  if (name == "INTTOSTR") return Variant(IntToStr(c->ParamValue(0).AsInt64()));
  if (name == "FLOATTOSTR") return Variant(FloatToStr(c->ParamValue(0).AsDouble()));
  if (name == "DATETOSTR") return Variant(DateToStr(c->ParamValue(0).AsDateTime()));
  if (name == "TIMETOSTR") return Variant(TimeToStr(c->ParamValue(0).AsDateTime()));
  if (name == "DATETIMETOSTR") return Variant(DateTimeToStr(c->ParamValue(0).AsDateTime()));
  return Variant();
}

// --- StrToInt .. StrToDateTime
Variant StrToFunctions(const String& name, TfsMethodHelper* c) {
  String s = VarToStr(c->ParamValue(0));
  if (name == "STRTOINT") return Variant(StrToInt(s));
  if (name == "STRTOINT64") return Variant(StrToInt64(s));
  if (name == "STRTOFLOAT") return Variant(double(StrToFloat(s)));
  if (name == "STRTODATE") return DateValue(StrToDate(s));
  if (name == "STRTOTIME") return DateValue(StrToTime(s));
  if (name == "STRTODATETIME") return DateValue(StrToDateTime(s));
  return Variant();
}

// --- ctFormat
Variant FormatFunctions(const String& name, TfsMethodHelper* c) {
  if (name == "FORMAT") {
    // The script's format text goes to our own Format, never to printf.
    TfsTaggedValues args(c->ParamValue(1));
    const auto& a = args.Args();
    String s = Format(VarToStr(c->ParamValue(0)), a.data(), a.size(), FormatSettings());
    fsCheckStringSize(s.size());
    return Variant(std::move(s));
  }
  if (name == "FORMATFLOAT") return Variant(FormatFloat(VarToStr(c->ParamValue(0)), c->ParamValue(1).AsDouble()));
  if (name == "FORMATDATETIME")
    return Variant(FormatDateTime(VarToStr(c->ParamValue(0)), c->ParamValue(1).AsDateTime()));
  if (name == "FORMATMASKTEXT")
    return Variant(fsFormatMaskText(VarToStr(c->ParamValue(0)), VarToStr(c->ParamValue(1))));
  return Variant();
}

// --- ctDate
Variant DateFunctions(const String& name, TfsMethodHelper* c) {
  if (name == "ENCODEDATE")
    return DateValue(EncodeDate(ToWord(c->ParamValue(0)), ToWord(c->ParamValue(1)), ToWord(c->ParamValue(2))));
  if (name == "DECODEDATE") {
    Word y, m, d;
    DecodeDate(c->ParamValue(0).AsDateTime(), y, m, d);
    c->SetParamValue(1, Variant(Integer(y)));
    c->SetParamValue(2, Variant(Integer(m)));
    c->SetParamValue(3, Variant(Integer(d)));
    return Variant();
  }
  if (name == "ENCODETIME")
    return DateValue(EncodeTime(ToWord(c->ParamValue(0)), ToWord(c->ParamValue(1)), ToWord(c->ParamValue(2)),
                                ToWord(c->ParamValue(3))));
  if (name == "DECODETIME") {
    Word h, m, s, ms;
    DecodeTime(c->ParamValue(0).AsDateTime(), h, m, s, ms);
    c->SetParamValue(1, Variant(Integer(h)));
    c->SetParamValue(2, Variant(Integer(m)));
    c->SetParamValue(3, Variant(Integer(s)));
    c->SetParamValue(4, Variant(Integer(ms)));
    return Variant();
  }
  if (name == "DATE") return DateValue(Date());
  if (name == "TIME") return DateValue(Time());
  if (name == "NOW") return DateValue(Now());
  if (name == "DAYOFWEEK") return Variant(DayOfWeek(c->ParamValue(0).AsDateTime()));
  if (name == "ISLEAPYEAR") return Variant(IsLeapYear(ToWord(c->ParamValue(0))));
  if (name == "DAYSINMONTH") {
    static const Integer days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    Integer y = c->ParamValue(0).AsInteger(), m = c->ParamValue(1).AsInteger();
    if (m < 1 || m > 12) throw EConvertError("Invalid month " + IntToStr(m));
    Integer n = days[m - 1];
    if (m == 2 && y >= 0 && y <= 65535 && IsLeapYear(Word(y))) ++n;
    return Variant(n);
  }
  return Variant();
}

String NameCase(const String& s) {
  String r = AnsiLowerCase(s);
  if (r.size() != s.size()) r = LowerCase(s);
  auto upper = [](char ch) { return (ch >= 'a' && ch <= 'z') ? char(ch - 32) : ch; };
  for (size_t i = 0; i < s.size() && i < r.size(); ++i)
    if (i == 0 || s[i - 1] == ' ') r[i] = upper(s[i]);
  return r;
}

// --- ctString
Variant StringFunctions(const String& name, TfsMethodHelper* c) {
  if (name == "LENGTH") {
    Variant v = c->ParamValue(0);
    if (v.IsArray()) return Variant(v.HighBound(1) - v.LowBound(1) + 1);
    return Variant(Integer(VarToStr(v).size()));
  }
  if (name == "COPY")
    return Variant(Copy(VarToStr(c->ParamValue(0)), c->ParamValue(1).AsInteger(), c->ParamValue(2).AsInteger()));
  if (name == "POS") return Variant(Pos(VarToStr(c->ParamValue(0)), VarToStr(c->ParamValue(1))));
  if (name == "DELETE" || name == "DELETESTR") {
    String s = VarToStr(c->ParamValue(0));
    Delete(s, c->ParamValue(1).AsInteger(), c->ParamValue(2).AsInteger());
    c->SetParamValue(0, Variant(s));
    return Variant();
  }
  if (name == "INSERT") {
    String s2 = VarToStr(c->ParamValue(1));
    const String s = VarToStr(c->ParamValue(0));
    fsCheckStringSize(s2.size() + s.size());
    Insert(s, s2, c->ParamValue(2).AsInteger());
    c->SetParamValue(1, Variant(s2));
    return Variant();
  }
  if (name == "UPPERCASE") return Variant(AnsiUpperCase(VarToStr(c->ParamValue(0))));
  if (name == "LOWERCASE") return Variant(AnsiLowerCase(VarToStr(c->ParamValue(0))));
  if (name == "TRIM") return Variant(Trim(VarToStr(c->ParamValue(0))));
  if (name == "NAMECASE") return Variant(NameCase(VarToStr(c->ParamValue(0))));
  if (name == "COMPARETEXT") {
    int r = AnsiCompareText(VarToStr(c->ParamValue(0)), VarToStr(c->ParamValue(1)));
    return Variant(Integer(r < 0 ? -1 : r > 0 ? 1 : 0));
  }
  if (name == "CHR") return Variant(String(1, char(c->ParamValue(0).AsInteger() & 0xFF)));
  if (name == "ORD") {
    String s = VarToStr(c->ParamValue(0));
    return Variant(Integer(s.empty() ? 0 : static_cast<unsigned char>(s[0])));
  }
  if (name == "SETLENGTH") {
    Variant v = c->ParamValue(0);
    Integer len = c->ParamValue(1).AsInteger();
    if (len < 0) len = 0;
    if (len > MaxArrayElements) throw EfsScriptError("SetLength: length " + IntToStr(len) + " is too large");
    if (v.Kind() == varString || v.Kind() == varOleStr) {
      String s = VarToStr(v);
      s.resize(size_t(len), ' ');
      c->SetParamValue(0, Variant(s));
    } else {
      if (!v.IsArray()) throw EfsScriptError("SetLength needs a string or an array");
      v.Redim(v.LowBound(v.DimCount()) + len - 1);
      c->SetParamValue(0, v);
    }
    return Variant();
  }
  return Variant();
}

// --- ctMath
Variant MathFunctions(const String& name, TfsMethodHelper* c) {
  if (name == "PI") return Variant(3.1415926535897932385);
  double e = c->ParamValue(0).AsDouble();
  if (name == "ROUND") return Variant(Integer(uint32_t(uint64_t(ToInt64(std::nearbyint(Checked(e)))))));
  if (name == "TRUNC") return Variant(Integer(uint32_t(uint64_t(ToInt64(std::trunc(Checked(e)))))));
  if (name == "INT") return Variant(std::trunc(e));
  if (name == "FRAC") return Variant(e - std::trunc(e));
  if (name == "SQRT") return Variant(Checked(std::sqrt(e)));
  if (name == "ABS") return Variant(std::fabs(e));
  if (name == "SIN") return Variant(std::sin(e));
  if (name == "COS") return Variant(std::cos(e));
  if (name == "ARCTAN") return Variant(std::atan(e));
  if (name == "TAN") return Variant(std::sin(e) / std::cos(e));
  if (name == "EXP") return Variant(Checked(std::exp(e)));
  if (name == "LN") {
    if (e <= 0) InvalidOp();
    return Variant(std::log(e));
  }
  return Variant();
}

// --- ctOther and VarToStr
Variant OtherFunctions(const String& name, TfsMethodHelper* c) {
  if (name == "VARTOSTR") return Variant(VarToStr(c->ParamValue(0)));
  if (name == "INC" || name == "DEC") {
    Variant v = c->ParamValue(0), d = c->ParamValue(1);
    c->SetParamValue(0, name == "INC" ? v + d : v - d);
    return Variant();
  }
  if (name == "RAISEEXCEPTION") throw Exception(VarToStr(c->ParamValue(0)));
  if (name == "SHOWMESSAGE") {
    String text = VarToStr(c->ParamValue(0));
    if (ShowMessageProc()) {
      ShowMessageProc()(text);
    } else {
      std::u16string w = Utf8ToUtf16(text);
      MessageBoxW(nullptr, reinterpret_cast<LPCWSTR>(w.c_str()), L"", MB_OK | MB_TASKMODAL);
    }
    return Variant();
  }
  if (name == "RANDOMIZE") {
    RandomEngine().seed(uint64_t(GetTickCount64()) ^ uint64_t(GetCurrentProcessId()) << 32);
    return Variant();
  }
  if (name == "RANDOM") return Variant(std::uniform_real_distribution<double>(0.0, 1.0)(RandomEngine()));
  if (name == "VALIDINT") {
    Integer i;
    return Variant(TryStrToInt(VarToStr(c->ParamValue(0)), i));
  }
  if (name == "VALIDFLOAT") {
    Extended e;
    return Variant(TryStrToFloat(VarToStr(c->ParamValue(0)), e));
  }
  if (name == "VALIDDATE") {
    Variant v = c->ParamValue(0);
    TDateTime d;
    try {
      String text = v.Kind() == varDate ? DateToStr(v.AsDateTime()) : VarToStr(v);
      return Variant(TryStrToDate(text, d));
    } catch (const Exception&) {
      return Variant(false);
    }
  }
  if (name == "CREATEOLEOBJECT") return fsCreateOleObject(VarToStr(c->ParamValue(0)), c->Prog);
  if (name == "VARARRAYCREATE") {
    Variant b = c->ParamValue(0);
    if (!b.IsArray()) throw EfsScriptError("VarArrayCreate needs an array of bounds");
    std::vector<Integer> bounds;
    for (Integer i = b.LowBound(); i <= b.HighBound(); ++i) bounds.push_back(b.GetElement(i).AsInteger());
    if (bounds.empty() || bounds.size() % 2 != 0) throw EVariantArrayCreateError("Error creating variant or safe array");
    Int64 total = 1;
    for (size_t i = 0; i < bounds.size(); i += 2) {
      Int64 n = Int64(bounds[i + 1]) - bounds[i] + 1;
      if (n < 0) throw EVariantArrayCreateError("Error creating variant or safe array");
      total *= n;
      if (total > MaxArrayElements) throw EfsScriptError("VarArrayCreate: array too large");
    }
    return VarArrayCreate(bounds, TVarType(c->ParamValue(1).AsInteger()));
  }
  if (name == "VARTYPE") return Variant(Integer(c->ParamValue(0).VType()));
  return Variant();
}

using Group = Variant (*)(const String&, TfsMethodHelper*);

TfsCallerMethodHandler Handler(Group g) {
  return [g](TObject*, TClass, const String& name, TfsMethodHelper* caller) { return g(name, caller); };
}

}  // namespace

void fsSetShowMessageProc(TfsShowMessageProc Proc) { ShowMessageProc() = std::move(Proc); }

String fsFormatMaskText(const String& EditMask, const String& Value) {
  // Mask fields: the mask, whether literals are kept in the value ("0" not),
  // and the blank character.
  String mask = EditMask;
  bool saveLiterals = true;
  char blank = '_';
  {
    size_t semi = mask.rfind(';');
    size_t semi2 = semi == String::npos || semi == 0 ? String::npos : mask.rfind(';', semi - 1);
    if (semi2 != String::npos) {
      String save = mask.substr(semi2 + 1, semi - semi2 - 1);
      String bl = mask.substr(semi + 1);
      saveLiterals = save != "0";
      if (!bl.empty()) blank = bl[0];
      mask = mask.substr(0, semi2);
    }
  }
  String out;
  size_t v = 0;
  int caseMode = 0;   // 1 upper, -1 lower
  for (size_t i = 0; i < mask.size(); ++i) {
    char m = mask[i];
    switch (m) {
      case '!': continue;
      case '>':
        if (i + 1 < mask.size() && mask[i + 1] == '<') {
          caseMode = 0;
          ++i;
        } else {
          caseMode = 1;
        }
        continue;
      case '<': caseMode = -1; continue;
      case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#': {
        char ch = v < Value.size() ? Value[v++] : blank;
        if (caseMode == 1 && ch >= 'a' && ch <= 'z') ch = char(ch - 32);
        if (caseMode == -1 && ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
        out += ch;
        continue;
      }
      default: break;
    }
    char lit = m;
    if (m == '\\' && i + 1 < mask.size()) lit = mask[++i];
    else if (m == ':') lit = FormatSettings().TimeSeparator;
    else if (m == '/') lit = FormatSettings().DateSeparator;
    else if (m == '_') lit = ' ';
    out += lit;
    if (saveLiterals && v < Value.size() && Value[v] == lit) ++v;
  }
  return out;
}

TfsSysFunctions::TfsSysFunctions(TfsScript* S) : TfsRTTIModule(S) {
  for (const char* t : {"Byte", "Word", "Integer", "Longint", "Cardinal", "TColor"}) S->AddType(t, fvtInt);
  S->AddType("Boolean", fvtBool);
  for (const char* t : {"Real", "Single", "Double", "Extended", "Currency", "TDate", "TTime", "TDateTime"})
    S->AddType(t, fvtFloat);
  S->AddType("Char", fvtChar);
  S->AddType("String", fvtString);
  S->AddType("Variant", fvtVariant);
  S->AddType("Pointer", fvtVariant);
  S->AddType("Array", fvtArray);
  S->AddType("Constructor", fvtConstructor);

  S->AddConst("True", "Boolean", Variant(true));
  S->AddConst("False", "Boolean", Variant(false));
  S->AddConst("nil", "Variant", Variant(Integer(0)));
  S->AddConst("Null", "Variant", Variant::Null());

  S->Add("__StringHelper", new TfsStringHelper);
  S->Add("__ArrayHelper", new TfsArrayHelper("__ArrayHelper", -1, fvtVariant, String()));

  S->AddVariable("ExceptionClassName", "String", Variant(String()));
  S->AddVariable("ExceptionMessage", "String", Variant(String()));

  const String conv = "ctConv", date = "ctDate", fmt = "ctFormat", str = "ctString", math = "ctMath",
               other = "ctOther";
  auto add = [&](const char* decl, const String& cat, Group g) { S->AddMethod(decl, Handler(g), cat); };
  add("function IntToStr(i: Integer): String", conv, ConvFunctions);
  add("function FloatToStr(e: Extended): String", conv, ConvFunctions);
  add("function DateToStr(e: Extended): String", conv, ConvFunctions);
  add("function TimeToStr(e: Extended): String", conv, ConvFunctions);
  add("function DateTimeToStr(e: Extended): String", conv, ConvFunctions);
  add("function VarToStr(v: Variant): String", conv, OtherFunctions);
  add("function StrToInt(s: String): Integer", conv, StrToFunctions);
  add("function StrToInt64(s: String): Integer", conv, StrToFunctions);
  add("function StrToFloat(s: String): Extended", conv, StrToFunctions);
  add("function StrToDate(s: String): Extended", conv, StrToFunctions);
  add("function StrToTime(s: String): Extended", conv, StrToFunctions);
  add("function StrToDateTime(s: String): Extended", conv, StrToFunctions);
  add("function Format(Fmt: String; Args: array): String", fmt, FormatFunctions);
  add("function FormatFloat(Fmt: String; Value: Extended): String", fmt, FormatFunctions);
  add("function FormatDateTime(Fmt: String; DateTime: TDateTime): String", fmt, FormatFunctions);
  add("function FormatMaskText(EditMask: string; Value: string): string", fmt, FormatFunctions);
  add("function EncodeDate(Year, Month, Day: Word): TDateTime", date, DateFunctions);
  add("procedure DecodeDate(Date: TDateTime; var Year, Month, Day: Word)", date, DateFunctions);
  add("function EncodeTime(Hour, Min, Sec, MSec: Word): TDateTime", date, DateFunctions);
  add("procedure DecodeTime(Time: TDateTime; var Hour, Min, Sec, MSec: Word)", date, DateFunctions);
  add("function Date: TDateTime", date, DateFunctions);
  add("function Time: TDateTime", date, DateFunctions);
  add("function Now: TDateTime", date, DateFunctions);
  add("function DayOfWeek(aDate: TDateTime): Integer", date, DateFunctions);
  add("function IsLeapYear(Year: Word): Boolean", date, DateFunctions);
  add("function DaysInMonth(nYear, nMonth: Integer): Integer", date, DateFunctions);
  add("function Length(s: Variant): Integer", str, StringFunctions);
  add("function Copy(s: String; from, count: Integer): String", str, StringFunctions);
  add("function Pos(substr, s: String): Integer", str, StringFunctions);
  add("procedure Delete(var s: String; from, count: Integer)", str, StringFunctions);
  add("procedure DeleteStr(var s: String; from, count: Integer)", str, StringFunctions);
  add("procedure Insert(s: String; var s2: String; pos: Integer)", str, StringFunctions);
  add("function Uppercase(s: String): String", str, StringFunctions);
  add("function Lowercase(s: String): String", str, StringFunctions);
  add("function Trim(s: String): String", str, StringFunctions);
  add("function NameCase(s: String): String", str, StringFunctions);
  add("function CompareText(s, s1: String): Integer", str, StringFunctions);
  add("function Chr(i: Integer): Char", str, StringFunctions);
  add("function Ord(ch: Char): Integer", str, StringFunctions);
  add("procedure SetLength(var S: Variant; L: Integer)", str, StringFunctions);
  add("function Round(e: Extended): Integer", math, MathFunctions);
  add("function Trunc(e: Extended): Integer", math, MathFunctions);
  add("function Int(e: Extended): Integer", math, MathFunctions);
  add("function Frac(X: Extended): Extended", math, MathFunctions);
  add("function Sqrt(e: Extended): Extended", math, MathFunctions);
  add("function Abs(e: Extended): Extended", math, MathFunctions);
  add("function Sin(e: Extended): Extended", math, MathFunctions);
  add("function Cos(e: Extended): Extended", math, MathFunctions);
  add("function ArcTan(X: Extended): Extended", math, MathFunctions);
  add("function Tan(X: Extended): Extended", math, MathFunctions);
  add("function Exp(X: Extended): Extended", math, MathFunctions);
  add("function Ln(X: Extended): Extended", math, MathFunctions);
  add("function Pi: Extended", math, MathFunctions);
  add("procedure Inc(var i: Integer; incr: Integer = 1)", other, OtherFunctions);
  add("procedure Dec(var i: Integer; decr: Integer = 1)", other, OtherFunctions);
  add("procedure RaiseException(Param: String)", other, OtherFunctions);
  add("procedure ShowMessage(Msg: Variant)", other, OtherFunctions);
  add("procedure Randomize", other, OtherFunctions);
  add("function Random: Extended", other, OtherFunctions);
  add("function ValidInt(cInt: String): Boolean", other, OtherFunctions);
  add("function ValidFloat(cFlt: String): Boolean", other, OtherFunctions);
  add("function ValidDate(cDate: String): Boolean", other, OtherFunctions);
  add("function CreateOleObject(ClassName: String): Variant", other, OtherFunctions);
  add("function VarArrayCreate(Bounds: Array; Typ: Integer): Variant", other, OtherFunctions);
  add("function VarType(V: Variant): Integer", other, OtherFunctions);

  static const struct { const char* Name; Integer Value; } codes[] = {
      {"varEmpty", 0}, {"varNull", 1}, {"varSmallint", 2}, {"varInteger", 3}, {"varSingle", 4},
      {"varDouble", 5}, {"varCurrency", 6}, {"varDate", 7}, {"varOleStr", 8}, {"varDispatch", 9},
      {"varError", 10}, {"varBoolean", 11}, {"varVariant", 12}, {"varUnknown", 13}, {"varShortInt", 16},
      {"varByte", 17}, {"varWord", 18}, {"varLongWord", 19}, {"varInt64", 20}, {"varStrArg", 72},
      {"varString", 256}, {"varAny", 257}, {"varTypeMask", 4095}, {"varArray", 8192}, {"varByRef", 16384}};
  for (const auto& c : codes) S->AddConst(c.Name, "Integer", Variant(c.Value));
}
