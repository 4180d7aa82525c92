#include "cxStandardMask.h"
#include <algorithm>
#include <unordered_map>
#include "FormatSettings.h"

TOVANI_IMPLEMENT_CLASS(TcxStandardMaskCustomItem, TObject)
TOVANI_IMPLEMENT_CLASS(TcxStandardMaskLiteralItem, TcxStandardMaskCustomItem)
TOVANI_IMPLEMENT_CLASS(TcxStandardMaskManyItem, TcxStandardMaskCustomItem)
TOVANI_IMPLEMENT_CLASS(TcxStandardMaskAlphaItem, TcxStandardMaskManyItem)
TOVANI_IMPLEMENT_CLASS(TcxStandardMaskAlphaNumericItem, TcxStandardMaskManyItem)
TOVANI_IMPLEMENT_CLASS(TcxStandardMaskASCIIItem, TcxStandardMaskManyItem)
TOVANI_IMPLEMENT_CLASS(TcxStandardMaskNumericItem, TcxStandardMaskManyItem)
TOVANI_IMPLEMENT_CLASS(TcxStandardMaskNumericSymbolItem, TcxStandardMaskManyItem)
TOVANI_IMPLEMENT_CLASS(TcxStandardMask, TObject)

namespace {
bool IsAsciiLetter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char32_t c) { return c >= '0' && c <= '9'; }
}  // namespace

void TcxStandardMaskManyItem::ConvertCase(char32_t& Ch) const {
  if (FCaseConversion == cxMaskCaseUpper) Ch = cxUpperAscii(Ch);
  else if (FCaseConversion == cxMaskCaseLower) Ch = cxLowerAscii(Ch);
}

bool TcxStandardMaskManyItem::AcceptChar(char32_t& Ch) {
  char32_t Original = Ch;
  ConvertCase(Ch);
  return Accepts(Original);
}

bool TcxStandardMaskAlphaItem::Accepts(char32_t c) const { return IsAsciiLetter(c); }
bool TcxStandardMaskAlphaNumericItem::Accepts(char32_t c) const { return IsAsciiLetter(c) || IsAsciiDigit(c); }
bool TcxStandardMaskASCIIItem::Accepts(char32_t) const { return true; }
bool TcxStandardMaskNumericItem::Accepts(char32_t c) const { return IsAsciiDigit(c); }
bool TcxStandardMaskNumericSymbolItem::Accepts(char32_t c) const {
  return IsAsciiDigit(c) || c == '+' || c == '-';
}

void TcxStandardMask::Clear() {
  FMask.clear();
  FLeading = false;
  FSaveLiterals = true;
  FBlank = '_';
  FItems.clear();
}

void TcxStandardMask::Compile(const String& Mask) {
  Clear();
  FMask = Mask;
  TcxChars M = cxUtf8ToChars(Mask);
  if (!M.empty() && M[0] == '!') {
    FLeading = true;
    M.erase(0, 1);
  }
  Parse(M);
}

void TcxStandardMask::Parse(const TcxChars& M) {
  Byte CaseSetting = cxMaskCaseNone;
  const size_t n = M.size();
  auto AddLiteral = [&](char32_t c) { FItems.push_back(std::make_unique<TcxStandardMaskLiteralItem>(c)); };
  for (size_t i = 0; i < n; ++i) {
    char32_t c = M[i];
    switch (c) {
      case '>': CaseSetting = cxMaskCaseUpper; break;
      case '<':
        if (i + 1 < n && M[i + 1] == '>') {
          CaseSetting = cxMaskCaseNone;
          ++i;
        } else {
          CaseSetting = cxMaskCaseLower;
        }
        break;
      case '\\':
        if (i + 1 < n) AddLiteral(M[++i]);
        break;
      case 'L': FItems.push_back(std::make_unique<TcxStandardMaskAlphaItem>(CaseSetting, false)); break;
      case 'l': FItems.push_back(std::make_unique<TcxStandardMaskAlphaItem>(CaseSetting, true)); break;
      case 'A': FItems.push_back(std::make_unique<TcxStandardMaskAlphaNumericItem>(CaseSetting, false)); break;
      case 'a': FItems.push_back(std::make_unique<TcxStandardMaskAlphaNumericItem>(CaseSetting, true)); break;
      case 'C': FItems.push_back(std::make_unique<TcxStandardMaskASCIIItem>(CaseSetting, false)); break;
      case 'c': FItems.push_back(std::make_unique<TcxStandardMaskASCIIItem>(CaseSetting, true)); break;
      case '0': FItems.push_back(std::make_unique<TcxStandardMaskNumericItem>(CaseSetting, false)); break;
      case '9': FItems.push_back(std::make_unique<TcxStandardMaskNumericItem>(CaseSetting, true)); break;
      case '#': FItems.push_back(std::make_unique<TcxStandardMaskNumericSymbolItem>(CaseSetting, true)); break;
      case ':': AddLiteral(static_cast<unsigned char>(FormatSettings().TimeSeparator)); break;
      case '/': AddLiteral(static_cast<unsigned char>(FormatSettings().DateSeparator)); break;
      case ';': {
        size_t Rest = n - i - 1;
        if (Rest == 3 && M[i + 2] == ';' && (M[i + 1] == '0' || M[i + 1] == '1')) {
          FSaveLiterals = M[i + 1] == '1';
          FBlank = M[i + 3];
          i = n;
        } else if (Rest == 1 && (M[i + 1] == '0' || M[i + 1] == '1')) {
          FSaveLiterals = M[i + 1] == '1';
          i = n;
        } else {
          AddLiteral(';');
        }
        break;
      }
      default: AddLiteral(c);
    }
  }
}

bool TcxStandardMask::IsLiteral(Integer Index) const {
  return dynamic_cast<TcxStandardMaskLiteralItem*>(FItems.at(Index).get()) != nullptr;
}

String TcxStandardMask::EmptyMaskText() const {
  TcxChars R;
  for (auto& Item : FItems) {
    if (auto* L = dynamic_cast<TcxStandardMaskLiteralItem*>(Item.get())) R += L->Literal();
    else R += FBlank;
  }
  return cxCharsToUtf8(R);
}

String TcxStandardMask::EmptyValueText() const {
  TcxChars R;
  for (auto& Item : FItems) {
    if (auto* L = dynamic_cast<TcxStandardMaskLiteralItem*>(Item.get())) {
      if (FSaveLiterals) R += L->Literal();
    } else {
      R += U' ';
    }
  }
  return cxCharsToUtf8(R);
}

namespace {

// Answers, for a character and a scan start, whether any position from
// there on would stop FitText's scan for it (take it, or take it as a
// blank). FitText scans only for characters that some position takes, so
// every scan moves its start on and the whole fit stays linear; without
// this, each rejected character would cost the rest of the mask.
//
// Positions are numbered in scan order (from the end for a leading mask).
// Character-class positions take a character by its kind alone (letter,
// digit, sign, other); a literal position takes exactly its character, and
// the character a literal sees is the typed one as converted by the last
// case-converting class position scanned before it.
class TFitIndex {
 public:
  TFitIndex(const TcxStandardMask& Mask, bool LiteralsTake, char32_t Blank) : FBlank(Blank) {
    const Integer Cnt = Mask.Count();
    FNextConversion.assign(static_cast<size_t>(Cnt) + 1, Cnt);
    Byte LastConversion = cxMaskCaseNone;
    for (Integer t = 0; t < Cnt; ++t) {
      TcxStandardMaskCustomItem* Item = Mask.Items(Mask.Leading() ? Cnt - 1 - t : t);
      if (auto* Literal = dynamic_cast<TcxStandardMaskLiteralItem*>(Item)) {
        if (!LiteralsTake) continue;
        const char32_t L = Literal->Literal();
        FLiterals[L].push_back(t);
        if (LastConversion == cxMaskCaseUpper) FUpperLiterals[L].push_back(t);
        if (LastConversion == cxMaskCaseLower) FLowerLiterals[L].push_back(t);
        continue;
      }
      FLastClass = t;
      static const char32_t kProbes[kKinds] = {'a', '0', '+', '!'};
      for (int k = 0; k < kKinds; ++k) {
        char32_t Probe = kProbes[k];
        if (Item->AcceptChar(Probe)) FLastOfKind[k] = t;
      }
      auto* Many = static_cast<TcxStandardMaskManyItem*>(Item);
      if (Many->CaseConversion() != cxMaskCaseNone) LastConversion = Many->CaseConversion();
    }
    for (Integer t = Cnt; t-- > 0;) {
      TcxStandardMaskCustomItem* Item = Mask.Items(Mask.Leading() ? Cnt - 1 - t : t);
      auto* Many = dynamic_cast<TcxStandardMaskManyItem*>(Item);
      FNextConversion[t] = Many && Many->CaseConversion() != cxMaskCaseNone ? t : FNextConversion[t + 1];
    }
  }

  bool Stops(char32_t Ch, Integer From) const {
    if (FLastOfKind[KindOf(Ch)] >= From) return true;
    if ((Ch == FBlank || Ch == ' ') && FLastClass >= From) return true;
    if (!IsAsciiLetter(Ch)) return AnyIn(FLiterals, Ch, From, kEnd);
    // Up to the first case-converting position the letter stays as typed;
    // after it, it has the case of the last such position before the literal.
    const Integer Converted = FNextConversion[From];
    return AnyIn(FLiterals, Ch, From, Converted) ||
           AnyIn(FUpperLiterals, cxUpperAscii(Ch), Converted + 1, kEnd) ||
           AnyIn(FLowerLiterals, cxLowerAscii(Ch), Converted + 1, kEnd);
  }

 private:
  static constexpr int kKinds = 4;
  static constexpr Integer kEnd = 0x7FFFFFFF;
  using TPositions = std::unordered_map<char32_t, std::vector<Integer>>;

  static int KindOf(char32_t c) {
    if (IsAsciiLetter(c)) return 0;
    if (IsAsciiDigit(c)) return 1;
    if (c == '+' || c == '-') return 2;
    return 3;
  }
  // A position of Ch in [First, Last).
  static bool AnyIn(const TPositions& Map, char32_t Ch, Integer First, Integer Last) {
    auto It = Map.find(Ch);
    if (It == Map.end()) return false;
    auto At = std::lower_bound(It->second.begin(), It->second.end(), First);
    return At != It->second.end() && *At < Last;
  }

  char32_t FBlank;
  Integer FLastOfKind[kKinds] = {-1, -1, -1, -1};
  Integer FLastClass = -1;
  std::vector<Integer> FNextConversion;
  TPositions FLiterals, FUpperLiterals, FLowerLiterals;
};

}  // namespace

void TcxStandardMask::FitText(String& Text, bool AUseConvertedChar, bool ATextHasLiterals) const {
  TcxChars Result = cxUtf8ToChars(EmptyMaskText());
  const TcxChars Input = cxUtf8ToChars(Text);
  const Integer Cnt = Count();
  const Integer InLen = static_cast<Integer>(Input.size());
  const Integer Step = FLeading ? -1 : 1;
  Integer Pos = FLeading ? Cnt - 1 : 0;
  const TFitIndex Index(*this, FSaveLiterals || ATextHasLiterals, FBlank);
  for (Integer k = 0; k < InLen; ++k) {
    const char32_t Original = Input[FLeading ? InLen - 1 - k : k];
    // A character no position takes is dropped without a scan.
    if (!Index.Stops(Original, FLeading ? Cnt - 1 - Pos : Pos)) continue;
    char32_t Ch = Original;   // keeps the conversions of rejecting positions
    for (Integer p = Pos; p >= 0 && p < Cnt; p += Step) {
      const bool Literal = IsLiteral(p);
      if (Literal && !FSaveLiterals && !ATextHasLiterals) continue;
      if (FItems[p]->AcceptChar(Ch)) {
        Result[p] = AUseConvertedChar ? Ch : Original;
        Pos = p + Step;
        break;
      }
      if (!Literal && (Original == FBlank || Original == ' ')) {
        Pos = p + Step;
        break;
      }
    }
  }
  Text = cxCharsToUtf8(Result);
}

void TcxStandardMask::StripBlanks(String& Text) const {
  const TcxChars T = cxUtf8ToChars(Text);
  const size_t n = std::min(T.size(), FItems.size());
  TcxChars R;
  for (size_t i = 0; i < n; ++i) {
    if (IsLiteral(static_cast<Integer>(i))) {
      if (FSaveLiterals) R += T[i];
    } else {
      R += T[i] == FBlank ? U' ' : T[i];
    }
  }
  Text = cxCharsToUtf8(R);
}

bool TcxStandardMask::IsTextComplete(String& Text) const {
  TcxChars T = cxUtf8ToChars(Text);
  if (T.size() != FItems.size()) return false;
  bool Complete = true;
  for (size_t i = 0; i < T.size() && Complete; ++i) {
    const char32_t Original = T[i];
    if (FItems[i]->AcceptChar(T[i])) continue;
    auto* Many = dynamic_cast<TcxStandardMaskManyItem*>(FItems[i].get());
    if (Many && Many->Optional() && (Original == FBlank || Original == ' ')) continue;
    Complete = false;
  }
  Text = cxCharsToUtf8(T);
  return Complete;
}
