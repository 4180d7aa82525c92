// Unicode case mapping through ICU; compiled as Linux code (see
// CMakeLists.txt).
#include <unicode/ustring.h>
#include "SysUtils.h"
#include "Utf8.h"

namespace {

String MapCase(const String& s, bool upper) {
  const std::u16string src = Utf8ToUtf16(s);
  std::u16string dst(src.size() + 8, u'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    auto* d = reinterpret_cast<UChar*>(dst.data());
    auto* sp = reinterpret_cast<const UChar*>(src.data());
    const auto cap = static_cast<int32_t>(dst.size());
    const auto len = static_cast<int32_t>(src.size());
    const int32_t n = upper ? u_strToUpper(d, cap, sp, len, "", &status)
                            : u_strToLower(d, cap, sp, len, "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      dst.assign(n + 1, u'\0');   // case mapping may lengthen the text (ß -> SS)
      continue;
    }
    if (U_FAILURE(status)) return s;
    dst.resize(n);
    return Utf16ToUtf8(dst);
  }
  return s;
}

}  // namespace

String AnsiUpperCase(const String& s) { return MapCase(s, true); }
String AnsiLowerCase(const String& s) { return MapCase(s, false); }
