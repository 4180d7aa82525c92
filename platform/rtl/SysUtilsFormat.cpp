// Format: our own parser of the class library's format strings. Nothing here
// hands a caller's format string to printf.
#include <algorithm>
#include <optional>
#include "FloatText.h"
#include "Utf8.h"

namespace {

// Widths and precisions above this are taken for a broken format rather than
// allowed to allocate without bound.
constexpr Int64 kMaxWidth = 1 << 20;

class Formatter {
 public:
  Formatter(const String& format, const FormatArg* args, size_t count, const TFormatSettings& fs)
      : FFormat(format), FArgs(args), FCount(count), FS(fs) {}

  String Run() {
    String out;
    const size_t n = FFormat.size();
    for (size_t i = 0; i < n;) {
      const size_t pct = FFormat.find('%', i);
      if (pct == String::npos) {
        out.append(FFormat, i, String::npos);
        break;
      }
      out.append(FFormat, i, pct - i);
      i = pct + 1;
      if (i < n && FFormat[i] == '%') {
        out += '%';
        ++i;
        continue;
      }
      out += Spec(i);
    }
    return out;
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError("Format '" + FFormat + "' invalid or incompatible with argument");
  }

  const FormatArg& NextArg() {
    if (FNext >= FCount) throw EConvertError("No argument for format '" + FFormat + "'");
    return FArgs[FNext++];
  }

  // Digits or "*" at `i`; nullopt when neither is there.
  std::optional<Int64> Number(size_t& i) {
    if (i < FFormat.size() && FFormat[i] == '*') {
      ++i;
      const FormatArg& a = NextArg();
      if (a.GetKind() != FormatArg::kInteger || a.AsInt() > kMaxWidth || a.AsInt() < -kMaxWidth) Invalid();
      return a.AsInt();
    }
    if (i >= FFormat.size() || FFormat[i] < '0' || FFormat[i] > '9') return std::nullopt;
    Int64 v = 0;
    for (; i < FFormat.size() && FFormat[i] >= '0' && FFormat[i] <= '9'; ++i) {
      v = v * 10 + (FFormat[i] - '0');
      if (v > kMaxWidth) Invalid();
    }
    return v;
  }

  // One "%" [index ":"] ["-"] [width] ["." precision] type; `i` is just
  // after the "%".
  String Spec(size_t& i) {
    bool left = false;
    std::optional<Int64> width = Number(i);
    if (width && i < FFormat.size() && FFormat[i] == ':') {
      if (*width < 0 || *width >= static_cast<Int64>(FCount))
        throw EConvertError("No argument for format '" + FFormat + "'");
      FNext = static_cast<size_t>(*width);
      ++i;
      width.reset();
    }
    if (!width) {
      if (i < FFormat.size() && FFormat[i] == '-') {
        left = true;
        ++i;
      }
      width = Number(i);
    }
    if (width && *width < 0) {   // a negative "*" width justifies left
      left = true;
      width = -*width;
    }
    Int64 precision = -1;   // default
    if (i < FFormat.size() && FFormat[i] == '.') {
      ++i;
      precision = Number(i).value_or(-1);
      if (precision < 0) precision = -1;
    }
    if (i >= FFormat.size()) Invalid();
    const char type = static_cast<char>(FFormat[i] | 0x20);   // either case
    ++i;
    const FormatArg& a = NextArg();
    String text = Convert(type, a, precision);
    // Width counts characters ("￥" of %m is one).
    const Int64 len = static_cast<Int64>(Utf8Length(text));
    if (width && *width > len) {
      const String pad(*width - len, ' ');
      text = left ? text + pad : pad + text;
    }
    return text;
  }

  String Convert(char type, const FormatArg& a, Int64 precision) {
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        if (a.GetKind() != FormatArg::kInteger) Invalid();
        const UInt64 bits = a.Is64() ? static_cast<UInt64>(a.AsInt())
                                     : static_cast<UInt64>(static_cast<uint32_t>(a.AsInt()));
        String digits;
        bool negative = false;
        if (type == 'x') {
          digits = IntToHexBits(bits, 0);
        } else if (type == 'u' || a.IsUnsigned()) {
          digits = UIntToStr(bits);
        } else {
          negative = a.AsInt() < 0;
          digits = UIntToStr(negative ? 0ull - static_cast<UInt64>(a.AsInt()) : static_cast<UInt64>(a.AsInt()));
        }
        if (precision > static_cast<Int64>(digits.size())) digits.insert(0, precision - digits.size(), '0');
        return negative ? "-" + digits : digits;
      }
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        // A double shows with 15 significant digits at most, except where
        // the precision asks for its significant digits (%e, %g).
        const bool significant = type == 'e' || type == 'g';
        TFloatRec rec;
        int valuePrecision;
        if (a.GetKind() == FormatArg::kFloat) {
          rec = FloatToRec(a.AsFloat(), significant ? 18 : kDefaultFloatPrecision);
          valuePrecision = kDefaultFloatPrecision;
        } else if (a.GetKind() == FormatArg::kCurrency) {
          rec = CurrToRec(a.AsCurrency());
          valuePrecision = kCurrencyPrecision;
        } else {
          Invalid();
        }
        const int digits = static_cast<int>(std::min<Int64>(precision, 18));
        switch (type) {
          case 'e':
            return FloatRecToText(rec, ffExponent, precision < 0 ? 15 : std::max(digits, 1), 3, FS);
          case 'g':
            return FloatRecToText(rec, ffGeneral, precision < 0 ? 15 : std::max(digits, 1), 3, FS);
          case 'f':
            return FloatRecToText(rec, ffFixed, valuePrecision, precision < 0 ? 2 : digits, FS);
          case 'n':
            return FloatRecToText(rec, ffNumber, valuePrecision, precision < 0 ? 2 : digits, FS);
          default:
            return FloatRecToText(rec, ffCurrency, valuePrecision, precision < 0 ? FS.CurrencyDecimals : digits, FS);
        }
      }
      case 's': {
        String text;
        if (a.GetKind() == FormatArg::kString) text = String(a.AsString());
        else if (a.GetKind() == FormatArg::kChar) text = String(1, a.AsChar());
        else Invalid();
        // Precision: at most that many characters, never half a character.
        if (precision >= 0) text = Utf8Left(text, static_cast<size_t>(precision));
        return text;
      }
      case 'p': {
        if (a.GetKind() != FormatArg::kPointer) Invalid();
        return IntToHexBits(reinterpret_cast<UInt64>(a.AsPointer()), 16);
      }
      default:
        Invalid();
    }
  }

  const String& FFormat;
  const FormatArg* FArgs;
  size_t FCount;
  const TFormatSettings& FS;
  size_t FNext = 0;
};

}  // namespace

String Format(const String& format, const FormatArg* args, size_t count, const TFormatSettings& fs) {
  return Formatter(format, args, count, fs).Run();
}

String Format(const String& format, std::initializer_list<FormatArg> args) {
  return Format(format, args.begin(), args.size(), FormatSettings());
}

String Format(const String& format, const std::vector<FormatArg>& args) {
  return Format(format, args.data(), args.size(), FormatSettings());
}
