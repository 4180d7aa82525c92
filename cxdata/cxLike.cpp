#include "cxLike.h"

#include <cstring>
#include <vector>

#include "Utf8.h"

namespace {

enum class TToken : Byte { AnyString, AnyChar, Literal };

struct TPatternItem {
  TToken Kind;
  size_t Start = 0;   // literal character: its bytes in the pattern
  size_t Length = 0;
};

std::vector<TPatternItem> ParsePattern(const String& P, char AnyString, char AnyChar, char Escape) {
  std::vector<TPatternItem> items;
  bool escaped = false;
  for (size_t pos = 0; pos < P.size();) {
    const size_t next = Utf8NextChar(P, pos);
    const bool single = next - pos == 1;
    const char c = P[pos];
    if (!escaped && single && Escape != 0 && c == Escape) {
      escaped = true;
    } else if (!escaped && single && c == AnyString) {
      if (items.empty() || items.back().Kind != TToken::AnyString)
        items.push_back({TToken::AnyString});
    } else if (!escaped && single && c == AnyChar) {
      items.push_back({TToken::AnyChar});
    } else {
      items.push_back({TToken::Literal, pos, next - pos});
      escaped = false;
    }
    pos = next;
  }
  return items;
}

}  // namespace

bool cxLikeMatch(const String& Text, const String& Pattern, char AnyString, char AnyChar,
                 char Escape) {
  const std::vector<TPatternItem> items = ParsePattern(Pattern, AnyString, AnyChar, Escape);
  const size_t n = items.size();
  size_t t = 0, p = 0;
  // The last any-string wildcard seen and the text position its match ends
  // at; on a mismatch it takes one more character and the rest is retried.
  size_t starItem = SIZE_MAX, starText = 0;
  while (t < Text.size()) {
    if (p < n && items[p].Kind == TToken::AnyString) {
      starItem = p++;
      starText = t;
      continue;
    }
    if (p < n) {
      const size_t next = Utf8NextChar(Text, t);
      const TPatternItem& it = items[p];
      if (it.Kind == TToken::AnyChar ||
          (next - t == it.Length && std::memcmp(Text.data() + t, Pattern.data() + it.Start, it.Length) == 0)) {
        t = next;
        ++p;
        continue;
      }
    }
    if (starItem == SIZE_MAX) return false;
    p = starItem + 1;
    starText = Utf8NextChar(Text, starText);
    t = starText;
  }
  while (p < n && items[p].Kind == TToken::AnyString) ++p;
  return p == n;
}

bool cxMatchesLike(const String& Text, const String& Pattern, char AnyString, char AnyChar) {
  return cxLikeMatch(Text, Pattern, AnyString, AnyChar, 0);
}

void cxCollapseWildcardRuns(String& S, char Wildcard) {
  String out;
  out.reserve(S.size());
  for (char c : S)
    if (!(c == Wildcard && !out.empty() && out.back() == Wildcard)) out += c;
  S = std::move(out);
}

Integer cxStripLikeWildcards(String& S, char AnyString) {
  cxCollapseWildcardRuns(S, AnyString);
  if (Utf8Length(S) < 2) return 0;
  Integer result = 0;
  const bool trailing = S.back() == AnyString;
  if (S.front() == AnyString) {
    S.erase(0, 1);
    result = 2;
  }
  if (trailing && !S.empty()) {
    S.pop_back();
    result += 1;
  }
  return result;
}
