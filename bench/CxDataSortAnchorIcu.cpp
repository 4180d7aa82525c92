// The anchor of the Chinese text sort: ICU sort keys of the UTF-8 texts
// (the same "zh" collator settings as the program's collation) and
// std::sort by key, ties by position. Linux code: ICU's headers must not see
// Wine's _WIN32.
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CxDataSortAnchorIcu.h"

std::vector<int> IcuSortOrder(const std::vector<std::string>& texts) {
  static UCollator* coll = [] {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_open("zh", &status);
    ucol_setStrength(c, UCOL_TERTIARY);
    const int32_t none = UCOL_REORDER_CODE_NONE;
    status = U_ZERO_ERROR;
    ucol_setReorderCodes(c, &none, 1, &status);
    return c;
  }();
  std::vector<std::string> keys(texts.size());
  std::u16string u;
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string& s = texts[i];
    u.resize(s.size() + 1);
    int32_t ulen = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(reinterpret_cast<UChar*>(u.data()), int32_t(u.size()), &ulen, s.data(), int32_t(s.size()), &status);
    std::string& k = keys[i];
    k.resize(size_t(ulen) * 4 + 16);
    int32_t n = ucol_getSortKey(coll, reinterpret_cast<const UChar*>(u.data()), ulen,
                                reinterpret_cast<uint8_t*>(k.data()), int32_t(k.size()));
    if (n > int32_t(k.size())) {
      k.resize(size_t(n));
      n = ucol_getSortKey(coll, reinterpret_cast<const UChar*>(u.data()), ulen, reinterpret_cast<uint8_t*>(k.data()), n);
    }
    k.resize(n > 0 ? size_t(n - 1) : 0);
  }
  std::vector<int> order(texts.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const int c = keys[size_t(a)].compare(keys[size_t(b)]);
    return c < 0 || (c == 0 && a < b);
  });
  return order;
}
