// ICU collation; compiled as Linux code (see CMakeLists.txt).
#include <unicode/ucol.h>
#include "Collation.h"
#include "Utf8.h"

namespace {

// The collators of one thread: case-sensitive (tertiary strength) and
// case-insensitive (secondary strength). ICU collators are not shared
// between threads.
class Collators {
 public:
  Collators() : FCase(Open(UCOL_TERTIARY)), FNoCase(Open(UCOL_SECONDARY)) {}
  ~Collators() {
    ucol_close(FCase);
    ucol_close(FNoCase);
  }
  UCollator* Get(bool ignoreCase) const { return ignoreCase ? FNoCase : FCase; }

 private:
  static UCollator* Open(UColAttributeValue strength) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_open("zh", &status);
    if (U_FAILURE(status) || !c) {
      status = U_ZERO_ERROR;
      c = ucol_open("", &status);   // root collation still orders sensibly
    }
    if (!c) throw Exception("Text collation is not available");
    ucol_setStrength(c, strength);
    // The Chinese tailoring puts Han characters before Latin letters; keep
    // the usual script order (digits, Latin, ..., Han) so that ASCII names
    // come first, as in the rest of the desktop.
    const int32_t noReorder = UCOL_REORDER_CODE_NONE;
    status = U_ZERO_ERROR;
    ucol_setReorderCodes(c, &noReorder, 1, &status);
    return c;
  }
  UCollator* FCase;
  UCollator* FNoCase;
};

UCollator* Collator(bool ignoreCase) {
  thread_local Collators collators;
  return collators.Get(ignoreCase);
}

int Compare(const String& a, const String& b, bool ignoreCase) {
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult r = ucol_strcollUTF8(Collator(ignoreCase), a.data(), static_cast<int32_t>(a.size()),
                                              b.data(), static_cast<int32_t>(b.size()), &status);
  if (U_FAILURE(status)) return a < b ? -1 : (a == b ? 0 : 1);
  return r == UCOL_LESS ? -1 : (r == UCOL_EQUAL ? 0 : 1);
}

}  // namespace

int AnsiCompareStr(const String& a, const String& b) { return Compare(a, b, false); }
int AnsiCompareText(const String& a, const String& b) { return Compare(a, b, true); }
bool AnsiSameStr(const String& a, const String& b) { return Compare(a, b, false) == 0; }
bool AnsiSameText(const String& a, const String& b) { return Compare(a, b, true) == 0; }

void AppendCollationSortKey(std::string& out, const String& s, bool ignoreCase) {
  // UTF-16 for ICU, decoded as Utf8ToUtf16 decodes, into a buffer kept by
  // the thread.
  thread_local std::u16string u;
  u.clear();
  for (size_t p = 0; p < s.size();) {
    const char32_t cp = Utf8Decode(s, p);
    if (cp >= 0x10000) {
      u += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      u += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      u += static_cast<char16_t>(cp);
    }
  }
  const UChar* src = reinterpret_cast<const UChar*>(u.data());
  const int32_t len = static_cast<int32_t>(u.size());
  const size_t start = out.size();
  size_t room = u.size() * 4 + 16;
  out.resize(start + room);
  int32_t n = ucol_getSortKey(Collator(ignoreCase), src, len, reinterpret_cast<uint8_t*>(out.data() + start),
                              static_cast<int32_t>(room));
  if (n > static_cast<int32_t>(room)) {
    room = size_t(n);
    out.resize(start + room);
    n = ucol_getSortKey(Collator(ignoreCase), src, len, reinterpret_cast<uint8_t*>(out.data() + start), n);
  }
  out.resize(start + (n > 0 ? size_t(n - 1) : 0));   // without the terminating zero
}

std::string CollationSortKey(const String& s, bool ignoreCase) {
  std::string key;
  AppendCollationSortKey(key, s, ignoreCase);
  return key;
}
