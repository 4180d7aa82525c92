// ICU converters; compiled as Linux code (see CMakeLists.txt).
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <memory>
#include "CodePage.h"
#include "Utf8.h"

namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenConverter(int codePage, bool forWriting) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* conv = nullptr;
  if (codePage == CP_GBK) {
    conv = ucnv_open("windows-936", &status);
  } else {
    const String name = "windows-" + std::to_string(codePage);
    conv = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status) || !conv) {
      status = U_ZERO_ERROR;
      const String ibm = "ibm-" + std::to_string(codePage);
      conv = ucnv_open(ibm.c_str(), &status);
    }
  }
  if (U_FAILURE(status) || !conv)
    throw EConvertError("Code page " + std::to_string(codePage) + " is not supported");
  // Characters the code page lacks are written as "?", as Windows does.
  // Reading substitutes U+FFFD for malformed bytes (ICU's default).
  if (forWriting) {
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(conv, "?", 1, &status);
  }
  return ConverterPtr(conv);
}

std::u16string ToUtf16(const std::string& bytes, int codePage) {
  if (bytes.empty()) return std::u16string();
  ConverterPtr conv = OpenConverter(codePage, false);
  // Each byte gives at most one UTF-16 unit (a two-byte character gives one
  // or two units, a malformed byte one U+FFFD).
  std::u16string out(bytes.size() + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(out.data()),
                                  static_cast<int32_t>(out.size()), bytes.data(),
                                  static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) throw EConvertError("Code page conversion failed");
  out.resize(n);
  return out;
}

std::string FromUtf16(const std::u16string& text, int codePage) {
  if (text.empty()) return std::string();
  ConverterPtr conv = OpenConverter(codePage, true);
  const int32_t maxBytes = UCNV_GET_MAX_BYTES_FOR_STRING(static_cast<int32_t>(text.size()),
                                                         ucnv_getMaxCharSize(conv.get()));
  std::string out(maxBytes + 1, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                                    reinterpret_cast<const UChar*>(text.data()),
                                    static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) throw EConvertError("Code page conversion failed");
  out.resize(n);
  return out;
}

}  // namespace

String CodePageToUtf8(const std::string& bytes, int codePage) {
  if (codePage == 65001) return Utf16ToUtf8(Utf8ToUtf16(bytes));
  return Utf16ToUtf8(ToUtf16(bytes, codePage));
}

std::string Utf8ToCodePage(const String& text, int codePage) {
  if (codePage == 65001) return Utf16ToUtf8(Utf8ToUtf16(text));
  return FromUtf16(Utf8ToUtf16(text), codePage);
}

String GbkToUtf8(const std::string& bytes) { return CodePageToUtf8(bytes, CP_GBK); }
std::string Utf8ToGbk(const String& text) { return Utf8ToCodePage(text, CP_GBK); }
std::u16string GbkToUtf16(const std::string& bytes) { return ToUtf16(bytes, CP_GBK); }
std::string Utf16ToGbk(const std::u16string& text) { return FromUtf16(text, CP_GBK); }
