#include "FormFile.h"
#include "Classes.h"
#include "Currency.h"
#include "Streaming.h"
#include "Streams.h"
#include "Utf8.h"
#include <charconv>
#include <cmath>
#include <cstring>

TOVANI_IMPLEMENT_CLASS(EParserError, Exception)

namespace {

constexpr int kMaxDepth = 200;

bool SameName(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

bool IsIdentStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsHex(unsigned char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(unsigned char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

String ReadAll(TStream* s) {
  Int64 n = s->Size() - s->Position();
  if (n <= 0) return String();
  if (n > Int64(INT32_MAX)) throw EReadError("Stream read error");
  String r(size_t(n), '\0');
  s->ReadBuffer(r.data(), LongInt(n));
  return r;
}

void WriteAll(TStream* s, const String& data) {
  if (!data.empty()) s->WriteBuffer(data.data(), LongInt(data.size()));
}

// ---------------------------------------------------------------------------
// Text to binary

enum TToken { toEOF, toSymbol, toIdent, toString, toInteger, toFloat };

class TTextParser {
 public:
  explicit TTextParser(const String& text) : FText(text) {
    if (FText.compare(0, 3, "\xEF\xBB\xBF") == 0) FPos = 3;
    Next();
  }

  TToken Token() const { return FToken; }
  char Symbol() const { return FToken == toSymbol ? FValue[0] : '\0'; }
  const String& Value() const { return FValue; }
  char FloatSuffix() const { return FSuffix; }
  bool IsSymbol(char c) const { return FToken == toSymbol && FValue[0] == c; }
  bool IsIdent(const char* word) const { return FToken == toIdent && SameName(FValue, word); }

  [[noreturn]] void Error(const String& what) const {
    throw EParserError(what + " on line " + std::to_string(FLine));
  }
  void CheckSymbol(char c) const {
    if (!IsSymbol(c)) Error(String("'") + c + "' expected");
  }
  void CheckIdent() const {
    if (FToken != toIdent) Error("Identifier expected");
  }

  void Next() {
    SkipBlanks();
    FSuffix = 0;
    FValue.clear();
    if (FPos >= FText.size()) {
      FToken = toEOF;
      return;
    }
    unsigned char c = FText[FPos];
    if (IsIdentStart(c)) {
      size_t start = FPos;
      while (FPos < FText.size() && (IsIdentStart(FText[FPos]) || IsDigit(FText[FPos]) || FText[FPos] == '.')) ++FPos;
      FValue = FText.substr(start, FPos - start);
      FToken = toIdent;
    } else if (c == '\'' || c == '#') {
      ReadString();
      FToken = toString;
    } else if (IsDigit(c) || c == '$') {
      ReadNumber();
    } else {
      FValue = String(1, char(c));
      ++FPos;
      FToken = toSymbol;
    }
  }

 // With the current token '{': the hex digits up to '}' as bytes (they are
  // read as raw text, since "0E5" or "0C" would otherwise read as numbers).
  String ReadBinaryBlock() {
    String bytes;
    int high = -1;
    for (;;) {
      if (FPos >= FText.size()) Error("'}' expected");
      unsigned char c = FText[FPos++];
      if (c == '}') break;
      if (c == '\n') ++FLine;
      if (c <= ' ') continue;
      if (!IsHex(c)) Error("Invalid binary value");
      if (high < 0) {
        high = HexValue(c);
      } else {
        bytes += char(high * 16 + HexValue(c));
        high = -1;
      }
    }
    if (high >= 0) Error("Invalid binary value");
    Next();
    return bytes;
  }

 private:
  void SkipBlanks() {
    while (FPos < FText.size() && (unsigned char)FText[FPos] <= ' ') {
      if (FText[FPos] == '\n') ++FLine;
      ++FPos;
    }
  }

  void ReadString() {
    for (;;) {
      if (FPos < FText.size() && FText[FPos] == '\'') {
        ++FPos;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == '\n' || FText[FPos] == '\r') Error("Unterminated string");
          char ch = FText[FPos++];
          if (ch == '\'') {
            if (FPos < FText.size() && FText[FPos] == '\'') {
              FValue += '\'';
              ++FPos;
              continue;
            }
            break;
          }
          FValue += ch;
        }
      } else if (FPos < FText.size() && FText[FPos] == '#') {
        ++FPos;
        uint32_t code = 0;
        bool any = false;
        if (FPos < FText.size() && FText[FPos] == '$') {
          ++FPos;
          while (FPos < FText.size() && IsHex(FText[FPos])) {
            code = code * 16 + HexValue(FText[FPos++]);
            any = true;
            if (code > 0x10FFFF) Error("Invalid string constant");
          }
        } else {
          while (FPos < FText.size() && IsDigit(FText[FPos])) {
            code = code * 10 + (FText[FPos++] - '0');
            any = true;
            if (code > 0x10FFFF) Error("Invalid string constant");
          }
        }
        if (!any || (code >= 0xD800 && code <= 0xDFFF)) Error("Invalid string constant");
        Utf8Append(FValue, char32_t(code));
      } else {
        return;
      }
    }
  }

  void ReadNumber() {
    size_t start = FPos;
    if (FText[FPos] == '$') {
      ++FPos;
      while (FPos < FText.size() && IsHex(FText[FPos])) ++FPos;
      FValue = FText.substr(start, FPos - start);
      if (FValue.size() < 2) Error("Invalid number");
      FToken = toInteger;
      return;
    }
    bool isFloat = false;
    while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
    if (FPos + 1 < FText.size() && FText[FPos] == '.' && IsDigit(FText[FPos + 1])) {
      isFloat = true;
      ++FPos;
      while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
    }
    if (FPos < FText.size() && (FText[FPos] == 'e' || FText[FPos] == 'E')) {
      size_t p = FPos + 1;
      if (p < FText.size() && (FText[p] == '+' || FText[p] == '-')) ++p;
      if (p < FText.size() && IsDigit(FText[p])) {
        isFloat = true;
        FPos = p;
        while (FPos < FText.size() && IsDigit(FText[FPos])) ++FPos;
      }
    }
    FValue = FText.substr(start, FPos - start);
    if (FPos < FText.size()) {
      char s = FText[FPos];
      if (s == 's' || s == 'S' || s == 'c' || s == 'C' || s == 'd' || s == 'D') {
        FSuffix = char(s | 0x20);
        ++FPos;
        isFloat = true;
      }
    }
    FToken = isFloat ? toFloat : toInteger;
  }

  String FText;
  size_t FPos = 0;
  int FLine = 1;
  TToken FToken = toEOF;
  String FValue;
  char FSuffix = 0;
};

class TTextToBinary {
 public:
  TTextToBinary(TTextParser& p, TWriter& w) : P(p), W(w) {}

  void ConvertObject() {
    if (++FDepth > kMaxDepth) P.Error("Nesting too deep");
    TFilerFlags flags;
    if (P.IsIdent("inherited")) flags.Include(ffInherited);
    else if (P.IsIdent("inline")) flags.Include(ffInline);
    else if (!P.IsIdent("object")) P.Error("'object' expected");
    P.Next();
    P.CheckIdent();
    String name, className = P.Value();
    P.Next();
    if (P.IsSymbol(':')) {
      P.Next();
      P.CheckIdent();
      name = className;
      className = P.Value();
      P.Next();
    }
    Integer childPos = 0;
    if (P.IsSymbol('[')) {
      P.Next();
      childPos = Integer(ReadIntegerValue());
      P.CheckSymbol(']');
      P.Next();
      flags.Include(ffChildPos);
    }
    W.WritePrefix(flags, childPos);
    W.WriteStr(className);
    W.WriteStr(name);
    while (!P.IsIdent("end") && !P.IsIdent("object") && !P.IsIdent("inherited") && !P.IsIdent("inline"))
      ConvertProperty();
    W.WriteListEnd();
    while (!P.IsIdent("end")) ConvertObject();
    W.WriteListEnd();
    P.Next();
    --FDepth;
  }

 private:
  void ConvertProperty() {
    if (P.Token() == toEOF) P.Error("'end' expected");
    P.CheckIdent();
    String name = P.Value();
    P.Next();
    P.CheckSymbol('=');
    P.Next();
    W.WriteStr(name);
    ConvertValue();
  }

  // An index or position in brackets: a 32-bit integer, as the binary
  // form holds it.
  Integer ReadIntegerValue() {
    bool neg = false;
    if (P.IsSymbol('-')) {
      neg = true;
      P.Next();
    }
    if (P.Token() != toInteger) P.Error("Integer expected");
    String text = P.Value();
    Int64 v = ParseInteger(text, neg);
    if (v < INT32_MIN || v > INT32_MAX) P.Error("Invalid integer " + String(neg ? "-" : "") + text);
    P.Next();
    return Integer(v);
  }

  // Decimal integers take their sign here, so that the smallest Int64 (whose
  // magnitude no positive Int64 holds) reads back; hexadecimal ones are the
  // 64 bits as written.
  Int64 ParseInteger(const String& s, bool negative) {
    uint64_t v = 0;
    const char* b = s.data();
    const char* e = s.data() + s.size();
    std::from_chars_result r;
    const bool hex = !s.empty() && s[0] == '$';
    if (hex) r = std::from_chars(b + 1, e, v, 16);
    else r = std::from_chars(b, e, v, 10);
    const String shown = (negative ? "-" : "") + s;
    if (r.ec != std::errc() || r.ptr != e) P.Error("Invalid integer " + shown);
    if (hex) return negative ? Int64(0 - v) : Int64(v);
    if (v > (negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX))) P.Error("Invalid integer " + shown);
    return negative ? Int64(0 - v) : Int64(v);
  }

  void ConvertValue() {
    if (++FDepth > kMaxDepth) P.Error("Nesting too deep");
    switch (P.Token()) {
      case toString: {
        String s = P.Value();
        P.Next();
        while (P.IsSymbol('+')) {
          P.Next();
          if (P.Token() != toString) P.Error("String expected");
          s += P.Value();
          P.Next();
        }
        W.WriteString(s);
        break;
      }
      case toIdent:
        W.WriteIdent(P.Value());
        P.Next();
        break;
      case toInteger:
      case toFloat:
        ConvertNumber(false);
        break;
      case toSymbol:
        switch (P.Symbol()) {
          case '-':
            P.Next();
            if (P.Token() != toInteger && P.Token() != toFloat) P.Error("Number expected");
            ConvertNumber(true);
            break;
          case '[': {
            P.Next();
            W.WriteValue(vaSet);
            if (!P.IsSymbol(']')) {
              for (;;) {
                P.CheckIdent();
                W.WriteStr(P.Value());
                P.Next();
                if (P.IsSymbol(']')) break;
                P.CheckSymbol(',');
                P.Next();
              }
            }
            W.WriteStr(String());
            P.Next();
            break;
          }
          case '(':
            P.Next();
            W.WriteListBegin();
            while (!P.IsSymbol(')')) {
              if (P.Token() == toEOF) P.Error("')' expected");
              ConvertValue();
            }
            W.WriteListEnd();
            P.Next();
            break;
          case '{':
            ConvertBinary();
            break;
          case '<':
            P.Next();
            W.WriteValue(vaCollection);
            while (!P.IsSymbol('>')) {
              if (!P.IsIdent("item")) P.Error("'item' expected");
              P.Next();
              if (P.IsSymbol('[')) {
                P.Next();
                W.WriteInteger(ReadIntegerValue());
                P.CheckSymbol(']');
                P.Next();
              }
              W.WriteListBegin();
              while (!P.IsIdent("end")) ConvertProperty();
              W.WriteListEnd();
              P.Next();
            }
            W.WriteListEnd();
            P.Next();
            break;
          default:
            P.Error("Invalid property value");
        }
        break;
      default:
        P.Error("Invalid property value");
    }
    --FDepth;
  }

  void ConvertNumber(bool negative) {
    if (P.Token() == toInteger) {
      W.WriteInteger(ParseInteger(P.Value(), negative));
      P.Next();
      return;
    }
    const String& s = P.Value();
    size_t end = s.size();
    while (end > 0 && !IsDigit(s[end - 1])) --end;   // drop the suffix
    const String number = (negative ? "-" : "") + s.substr(0, end);
    if (P.FloatSuffix() == 'c') {
      // Amounts are read exactly, not through a double, and must fit.
      Currency c;
      if (!CurrencyFromDecimalText(number, '.', c)) P.Error(String("Currency value out of range: ") + (negative ? "-" : "") + s + "c");
      W.WriteCurrencyRaw(c.Raw());
      P.Next();
      return;
    }
    double d = 0;
    auto r = std::from_chars(number.data(), number.data() + number.size(), d);
    if (r.ec == std::errc::result_out_of_range) {
      // Beyond the range of a double: infinity (as infinity is written) or,
      // for the tiny, zero.
      d = DecimalExponent(s.substr(0, end)) > 0 ? HUGE_VAL : 0.0;
      if (negative) d = -d;
    } else if (r.ec != std::errc() || r.ptr != number.data() + number.size()) {
      P.Error("Invalid number " + s);
    }
    switch (P.FloatSuffix()) {
      case 's': W.WriteSingle(float(d)); break;
      case 'd': W.WriteDate(d); break;
      default: W.WriteFloat(d); break;
    }
    P.Next();
  }

  // The power of ten of the first significant digit of an unsigned decimal
  // number ("1234.5" 3, "0.01" -2, "5e400" 400); used only to tell overflow
  // from underflow.
  static Int64 DecimalExponent(const String& s) {
    size_t i = 0;
    Int64 intDigits = 0, leadingZeros = 0;
    bool significant = false, fraction = false;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
      if (s[i] == '.') {
        fraction = true;
        continue;
      }
      if (!fraction) {
        if (significant || s[i] != '0') significant = true, ++intDigits;
      } else if (!significant) {
        if (s[i] == '0') ++leadingZeros;
        else significant = true;
      }
    }
    Int64 exponent = 0;
    if (i < s.size()) {
      bool negExp = false;
      size_t j = i + 1;
      if (j < s.size() && (s[j] == '+' || s[j] == '-')) negExp = s[j++] == '-';
      for (; j < s.size() && IsDigit(s[j]); ++j)
        if (exponent < 1000000000) exponent = exponent * 10 + (s[j] - '0');
      if (negExp) exponent = -exponent;
    }
    return (intDigits > 0 ? intDigits - 1 : -(leadingZeros + 1)) + exponent;
  }

  void ConvertBinary() {
    W.WriteBinary(P.ReadBinaryBlock());
  }

  TTextParser& P;
  TWriter& W;
  int FDepth = 0;
};

// ---------------------------------------------------------------------------
// Binary to text

String QuoteString(const String& s) {
  if (s.empty()) return "''";
  String out;
  bool inQuote = false;
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = s[i];
    if (c < ' ' || c == 0x7F) {
      if (inQuote) out += '\'';
      inQuote = false;
      out += '#' + std::to_string(c);
      ++i;
      continue;
    }
    size_t next = c < 0x80 ? i + 1 : Utf8NextChar(s, i);
    String ch = s.substr(i, next - i);
    if (c >= 0x80 && !Utf8IsValid(ch)) {
      // A byte that is no UTF-8 stands in the quotes as it is: the reader
      // takes the bytes between quotes unchanged, so the value keeps its
      // bytes (as a code, #228 would come back as the character U+00E4).
      if (!inQuote) out += '\'';
      inQuote = true;
      out += char(c);
      i = i + 1;
      continue;
    }
    if (!inQuote) out += '\'';
    inQuote = true;
    out += c == '\'' ? String("''") : ch;
    i = next;
  }
  if (inQuote) out += '\'';
  return out;
}

String FloatText(double d) {
  if (std::isnan(d)) return "0.0";
  if (std::isinf(d)) return d > 0 ? "1E5000" : "-1E5000";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d);
  String s(buf, r.ptr);
  if (s.find_first_of(".eE") == String::npos) s += ".0";
  return s;
}

// A currency amount exactly, with the decimals it needs ("1.5", "2.0").
String CurrencyText(Int64 raw) {
  const bool negative = raw < 0;
  const uint64_t magnitude = negative ? 0 - uint64_t(raw) : uint64_t(raw);
  String frac = std::to_string(magnitude % 10000);
  frac = String(4 - frac.size(), '0') + frac;
  while (frac.size() > 1 && frac.back() == '0') frac.pop_back();
  return (negative ? "-" : "") + std::to_string(magnitude / 10000) + "." + frac;
}

class TBinaryToText {
 public:
  TBinaryToText(TReader& r, String& out) : R(r), Out(out) {}

  void ConvertObject(int indent) {
    if (++FDepth > kMaxDepth) throw EReadError("Stream read error");
    TFilerFlags flags;
    Integer pos = 0;
    R.ReadPrefix(flags, pos);
    String className = R.ReadStr();
    String name = R.ReadStr();
    Out += String(indent, ' ');
    Out += flags.Contains(ffInherited) ? "inherited " : flags.Contains(ffInline) ? "inline " : "object ";
    Out += name.empty() ? className : name + ": " + className;
    if (flags.Contains(ffChildPos)) Out += " [" + std::to_string(pos) + "]";
    Out += "\r\n";
    while (!R.EndOfList()) ConvertProperty(indent + 2);
    R.ReadListEnd();
    while (!R.EndOfList()) ConvertObject(indent + 2);
    R.ReadListEnd();
    Out += String(indent, ' ') + "end\r\n";
    --FDepth;
  }

 private:
  void ConvertProperty(int indent) {
    Out += String(indent, ' ') + R.ReadStr() + " = ";
    ConvertValue(indent);
    Out += "\r\n";
  }

  void ConvertValue(int indent) {
    if (++FDepth > kMaxDepth) throw EReadError("Stream read error");
    switch (R.NextValue()) {
      case vaList:
        R.ReadValue();
        Out += "(";
        while (!R.EndOfList()) {
          Out += "\r\n" + String(indent + 2, ' ');
          ConvertValue(indent + 2);
        }
        R.ReadListEnd();
        Out += ")";
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32:
      case vaInt64:
        Out += std::to_string(R.ReadInt64());
        break;
      case vaExtended:
      case vaDouble:
        Out += FloatText(R.ReadFloat());
        break;
      case vaSingle:
        Out += FloatText(R.ReadSingle()) + "s";
        break;
      case vaCurrency:
        Out += CurrencyText(R.ReadCurrencyRaw()) + "c";
        break;
      case vaDate:
        Out += FloatText(R.ReadDate()) + "d";
        break;
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        Out += QuoteString(R.ReadString());
        break;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil:
      case vaNull:
        Out += R.ReadIdent();
        break;
      case vaBinary: {
        String bytes = R.ReadBinary();
        static const char* hex = "0123456789ABCDEF";
        Out += "{";
        for (size_t i = 0; i < bytes.size(); ++i) {
          if (i % 32 == 0) Out += "\r\n" + String(indent + 2, ' ');
          Out += hex[(unsigned char)bytes[i] >> 4];
          Out += hex[(unsigned char)bytes[i] & 15];
        }
        Out += "}";
        break;
      }
      case vaSet: {
        R.ReadValue();
        Out += "[";
        bool first = true;
        for (;;) {
          String ident = R.ReadStr();
          if (ident.empty()) break;
          if (!first) Out += ", ";
          Out += ident;
          first = false;
        }
        Out += "]";
        break;
      }
      case vaCollection: {
        R.ReadValue();
        Out += "<";
        while (!R.EndOfList()) {
          Out += "\r\n" + String(indent + 2, ' ') + "item";
          TValueType t = R.NextValue();
          if (t == vaInt8 || t == vaInt16 || t == vaInt32) Out += " [" + std::to_string(R.ReadInteger()) + "]";
          Out += "\r\n";
          R.ReadListBegin();
          while (!R.EndOfList()) ConvertProperty(indent + 4);
          R.ReadListEnd();
          Out += String(indent + 2, ' ') + "end";
        }
        R.ReadListEnd();
        Out += ">";
        break;
      }
      default:
        R.ReadValue();   // not a value type: raises the read error
        throw EReadError("Invalid property value");
    }
    --FDepth;
  }

  TReader& R;
  String& Out;
  int FDepth = 0;
};

}  // namespace

void ObjectTextToBinary(TStream* Input, TStream* Output) {
  String text = ReadAll(Input);
  TTextParser parser(text);
  TWriter writer(Output);
  writer.WriteSignature();
  TTextToBinary conv(parser, writer);
  conv.ConvertObject();
  if (parser.Token() != toEOF) parser.Error("End of file expected");
}

void ObjectBinaryToText(TStream* Input, TStream* Output) {
  TReader reader(Input);
  reader.ReadSignature();
  String out;
  TBinaryToText conv(reader, out);
  conv.ConvertObject(0);
  WriteAll(Output, out);
}

String ObjectTextToBinary(const String& Text) {
  TStringStream in(Text), out;
  ObjectTextToBinary(&in, &out);
  return out.DataString();
}

String ObjectBinaryToText(const String& Binary) {
  TStringStream in(Binary), out;
  ObjectBinaryToText(&in, &out);
  return out.DataString();
}

TComponent* ReadComponentFromText(const String& Text, TComponent* Instance) {
  TMemoryStream bin;
  {
    TStringStream in(Text);
    ObjectTextToBinary(&in, &bin);
  }
  bin.SetPosition(0);
  return ReadComponentFromStream(&bin, Instance);
}

TComponent* ReadComponentFromTextFile(const String& FileName, TComponent* Instance) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  return ReadComponentFromText(ReadAll(&file), Instance);
}

String ComponentToText(TComponent* Instance) {
  TMemoryStream bin;
  WriteComponentToStream(&bin, Instance);
  bin.SetPosition(0);
  TStringStream out;
  ObjectBinaryToText(&bin, &out);
  return out.DataString();
}
