// Compiler of regular-expression masks: lexer, parser, parse tree and the
// links of the automaton. The matcher is in cxRegExprMatch.cpp.
#include "cxRegExprTree.h"
#include <algorithm>
#include "FormatSettings.h"
#include "cxTextChars.h"

TOVANI_IMPLEMENT_CLASS(EcxRegExprError, EcxEditError)

namespace {
// Messages of the compiler.
const char* const scxRegExprLine = "Line";
const char* const scxRegExprChar = "Char";
const char* const scxRegExprEmptySourceStream = "The source stream is empty";
const char* const scxRegExprMissing = "Missing '%s'";
const char* const scxRegExprUnnecessary = "Unnecessary '%s'";
const char* const scxRegExprIllegal = "Illegal '%s'";
const char* const scxRegExprNotSpaceAfterBackslash = "The space character is not allowed after '\\'";
const char* const scxRegExprHexNumberExpected = "Hexadecimal number expected";
const char* const scxRegExprHexNumberExpected0 = "Hexadecimal number expected but '%s' found";
const char* const scxRegExprEmptyAlt = "The alternative should not be empty";
const char* const scxRegExprEmptyBlock = "The block should not be empty";
const char* const scxRegExprTooBigReferenceNumber = "Too big reference number";
const char* const scxRegExprIllegalIntegerValue = "Illegal integer value";
const char* const scxRegExprCantUseStar = "The '*' quantifier cannot be applied here";
const char* const scxRegExprCantUsePlus = "The '+' quantifier cannot be applied here";
const char* const scxRegExprIllegalQuantifier = "Illegal quantifier '%s'";
const char* const scxRegExprIncorrectParameterQuantifier = "Incorrect parameter quantifier";
const char* const scxRegExprCantUseParameterQuantifier = "The parameter quantifier cannot be applied here";
const char* const scxRegExprCantCreateEmptyEnum = "Can't create empty enumeration";
const char* const scxRegExprSubrangeOrder = "The starting character of the subrange must be less than the finishing one";
const char* const scxRegExprTooComplex = "The regular expression is too complex";

// Guards against masks whose repeat counts would build an unbounded tree:
// the automaton's size (states and the members of their sets) and its links
// are bounded, which also bounds the work of each typed character.
constexpr Integer cxRegExprMaxRepeat = 1000;
constexpr Integer cxRegExprMaxSize = 100000;
constexpr Int64 cxRegExprMaxLinks = 500000;

// Replaces the one "%s" of a message by Arg (messages are our own constants).
String FormatMsg(const char* Msg, const String& Arg) {
  String M = Msg;
  size_t p = M.find("%s");
  if (p != String::npos) M.replace(p, 2, Arg);
  return M;
}

bool IsAsciiDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool IsWordChar(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsAsciiDigit(c) || c == '_';
}
int HexValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}
}  // namespace

// ---------------------------------------------------------------------------
// Character classes

bool TcxRegExprSymbol::Matches(char32_t& Ch, bool ACaseInsensitive) const {
  if (!ACaseInsensitive) return Ch == FSymbol;
  if (cxRegExprUpper(Ch) != cxRegExprUpper(FSymbol)) return false;
  Ch = FSymbol;
  return true;
}

bool TcxRegExprTimeSeparator::Matches(char32_t& Ch, bool) const {
  return Ch == static_cast<unsigned char>(FormatSettings().TimeSeparator);
}
bool TcxRegExprDateSeparator::Matches(char32_t& Ch, bool) const {
  return Ch == static_cast<unsigned char>(FormatSettings().DateSeparator);
}
bool TcxRegExprSubrange::Matches(char32_t& Ch, bool) const { return FFirst <= Ch && Ch <= FLast; }

bool TcxRegExprEnumeration::Matches(char32_t& Ch, bool ACaseInsensitive) const {
  if (!FInverse) return Test(Ch, ACaseInsensitive);
  char32_t Probe = Ch;
  return !Test(Probe, ACaseInsensitive);
}

bool TcxRegExprUserEnumeration::Test(char32_t& Ch, bool ACaseInsensitive) const {
  for (auto& Item : FItems)
    if (Item->Matches(Ch, ACaseInsensitive)) return true;
  return false;
}

std::unique_ptr<TcxRegExprItem> TcxRegExprUserEnumeration::Copy() const {
  auto R = std::make_unique<TcxRegExprUserEnumeration>(Inverse());
  for (auto& Item : FItems) R->Add(Item->Copy());
  return R;
}

bool TcxRegExprDigit::Test(char32_t& Ch, bool) const { return IsAsciiDigit(Ch); }
bool TcxRegExprIdLetter::Test(char32_t& Ch, bool) const { return IsWordChar(Ch); }
bool TcxRegExprSpace::Test(char32_t& Ch, bool) const { return cxIsMaskWhiteSpace(Ch); }

char32_t cxRegExprUpper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  // Latin-1, Greek and Cyrillic lower-case letters map by a fixed offset.
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 32;
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  return c;
}

// ---------------------------------------------------------------------------
// Parse tree

bool TcxRegExprParserItem::AllowsAbsence() const { return FQuantifier->AllowsAbsence(); }
bool TcxRegExprParserItem::AllowsRepeat() const { return FQuantifier->AllowsRepeat(); }
bool TcxRegExprParserItem::HasNoQuantifier() const {
  return dynamic_cast<TcxRegExprSimpleQuantifier*>(FQuantifier.get()) != nullptr;
}
void TcxRegExprParserItem::ReplaceQuantifier(std::unique_ptr<TcxRegExprQuantifier> Q) {
  if (Q) FQuantifier = std::move(Q);
}

TcxRegExprParserSimpleItem::TcxRegExprParserSimpleItem(std::unique_ptr<TcxRegExprItem> AClass)
    : FState(std::make_unique<TcxRegExprSimpleState>(std::move(AClass))) {}

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParserSimpleItem::Copy() const {
  auto R = std::make_unique<TcxRegExprParserSimpleItem>(FState->Item()->Copy());
  R->ReplaceQuantifier(Quantifier()->Copy());
  return R;
}

void TcxRegExprParserSimpleItem::FlagFinal() { FState->SetFinal(true); }

TcxRegExprParserBlockItem::TcxRegExprParserBlockItem()
    : FAlts(std::make_unique<TcxRegExprParserAlts>()),
      FExit(std::make_unique<TcxRegExprBlockState>()),
      FEntry(std::make_unique<TcxRegExprBlockState>()) {}

bool TcxRegExprParserBlockItem::CanBeEmpty() const { return AllowsAbsence() || FAlts->CanBeEmpty(); }

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParserBlockItem::Copy() const {
  auto R = std::make_unique<TcxRegExprParserBlockItem>();
  R->ReplaceQuantifier(Quantifier()->Copy());
  for (Integer i = 0; i < FAlts->Count(); ++i) R->FAlts->Add(FAlts->Items(i)->Copy());
  return R;
}

void TcxRegExprParserBlockItem::FlagFinal() { FAlts->FlagFinal(); }

bool TcxRegExprParserAlt::CanBeEmpty() const {
  return std::all_of(FItems.begin(), FItems.end(), [](auto& I) { return I->CanBeEmpty(); });
}
bool TcxRegExprParserAlt::AllAllowAbsence() const {
  return std::all_of(FItems.begin(), FItems.end(), [](auto& I) { return I->AllowsAbsence(); });
}

std::unique_ptr<TcxRegExprParserAlt> TcxRegExprParserAlt::Copy() const {
  auto R = std::make_unique<TcxRegExprParserAlt>();
  for (auto& I : FItems) R->Add(I->Copy());
  return R;
}

void TcxRegExprParserAlt::EntryStates(std::vector<TcxRegExprState*>& Out, size_t From) const {
  for (size_t i = From; i < FItems.size(); ++i) {
    Out.push_back(FItems[i]->EntryState());
    if (!FItems[i]->AllowsAbsence()) break;
  }
}

void TcxRegExprParserAlt::Link(TcxRegExprState* BlockExit, Int64& Links) {
  for (size_t i = 0; i < FItems.size(); ++i) {
    // Runs of optional items link each to all that follow: the links can
    // grow with the square of the mask, so they are counted as they go.
    if (Links > cxRegExprMaxLinks) return;
    TcxRegExprParserItem* Item = FItems[i].get();
    std::vector<TcxRegExprState*> Next;
    EntryStates(Next, i + 1);
    Links += static_cast<Int64>(Next.size());
    for (auto* S : Next) Item->ExitState()->AddSuccessor(S);
    if (Item->AllowsRepeat()) Item->ExitState()->AddSuccessor(Item->EntryState());
    if (auto* Block = dynamic_cast<TcxRegExprParserBlockItem*>(Item)) {
      std::vector<TcxRegExprState*> Entries;
      Block->Alts()->EntryStates(Entries);
      Links += static_cast<Int64>(Entries.size()) + 1;
      for (auto* S : Entries) Block->EntryState()->AddSuccessor(S);
      if (Block->Alts()->SomeAllAllowAbsence()) Block->EntryState()->AddSuccessor(Block->ExitState());
      Block->Alts()->Link(Block->ExitState(), Links);
    }
  }
  if (BlockExit) LinkExitsTo(BlockExit, Links);
}

void TcxRegExprParserAlt::LinkExitsTo(TcxRegExprState* State, Int64& Links) {
  for (size_t i = FItems.size(); i-- > 0;) {
    ++Links;
    FItems[i]->ExitState()->AddSuccessor(State);
    if (!FItems[i]->AllowsAbsence()) break;
  }
}

void TcxRegExprParserAlt::FlagFinal() {
  for (size_t i = FItems.size(); i-- > 0;) {
    FItems[i]->FlagFinal();
    if (!FItems[i]->AllowsAbsence()) break;
  }
}

void TcxRegExprParserAlt::ReplaceLast(std::unique_ptr<TcxRegExprParserItem> Item) {
  FItems.back() = std::move(Item);
}

bool TcxRegExprParserAlts::CanBeEmpty() const {
  return std::any_of(FAlts.begin(), FAlts.end(), [](auto& A) { return A->CanBeEmpty(); });
}
bool TcxRegExprParserAlts::SomeAllAllowAbsence() const {
  return std::any_of(FAlts.begin(), FAlts.end(), [](auto& A) { return A->AllAllowAbsence(); });
}
void TcxRegExprParserAlts::Link(TcxRegExprState* BlockExit, Int64& Links) {
  for (auto& A : FAlts) A->Link(BlockExit, Links);
}
void TcxRegExprParserAlts::FlagFinal() {
  for (auto& A : FAlts) A->FlagFinal();
}
void TcxRegExprParserAlts::EntryStates(std::vector<TcxRegExprState*>& Out) const {
  for (auto& A : FAlts) A->EntryStates(Out);
}

// ---------------------------------------------------------------------------
// Lexer

struct TcxLexem {
  Integer Column;
  Byte Kind;
  Integer Line;
  String Text;
};

enum : Byte {
  lkSymbol = 0, lkSpecial, lkInteger, lkAnyChar, lkWord, lkNonWord, lkDigit, lkNonDigit,
  lkSpace, lkNonSpace, lkReference, lkDateSeparator, lkTimeSeparator
};

class TcxRegExprParser {
 public:
  TcxRegExprParser(const TcxChars& Source, TcxRegExprErrors& Errors) : FSrc(Source), FErrors(Errors) {}

  void Lex();
  std::unique_ptr<TcxRegExprParserAlts> Parse();

 private:
  // Reading characters, keeping line and column.
  bool ReadChar(char32_t& c) {
    if (FPos >= FSrc.size()) return false;
    c = FSrc[FPos++];
    if (c == '\r') ++FLine;
    if (c == '\n') FColumn = 0;
    else ++FColumn;
    return true;
  }
  bool PeekChar(char32_t& c) const {
    if (FPos >= FSrc.size()) return false;
    c = FSrc[FPos];
    return true;
  }
  void AddLexem(Byte Kind, const String& Text) { FLexems.push_back({FColumn, Kind, FLine, Text}); }
  void AddLexemAt(Byte Kind, const String& Text, Integer Line, Integer Column) {
    FLexems.push_back({Column, Kind, Line, Text});
  }
  void Error(const String& Msg, Integer Line, Integer Column) { FErrors.Add(Column, Line, Msg); }
  void ErrorNoPlace(const String& Msg) { FErrors.Add(0, 0, Msg); }

  void LexQuoted();
  void LexEscape();
  void LexHex(Integer Line, Integer Column);
  void LexBracket();
  void LexBrace();

  // Parsing.
  enum TAltEnd { aeEnd, aeBar, aeClose };
  bool AtEnd() const { return FLex >= FLexems.size(); }
  const TcxLexem& Cur() const { return FLexems[FLex]; }
  bool IsSpecial(const TcxLexem& L, char c) const { return L.Kind == lkSpecial && L.Text.size() == 1 && L.Text[0] == c; }
  void ErrorAt(const String& Msg, const TcxLexem& L) { Error(Msg, L.Line, L.Column); }
  void ParseAlts(TcxRegExprParserAlts& Alts, bool InBlock);
  TAltEnd ParseAlt(TcxRegExprParserAlt& Alt, bool InBlock);
  void ApplyQuantifier(TcxRegExprParserAlt& Alt, std::unique_ptr<TcxRegExprQuantifier> Q);
  void ParseRepeat(TcxRegExprParserAlt& Alt);
  std::unique_ptr<TcxRegExprParserItem> ParseEnumeration();
  std::unique_ptr<TcxRegExprItem> ClassOfLexem(const TcxLexem& L);
  std::unique_ptr<TcxRegExprParserItem> Counted(std::unique_ptr<TcxRegExprParserItem> Item);

  const TcxChars& FSrc;
  TcxRegExprErrors& FErrors;
  size_t FPos = 0;
  Integer FLine = 1;
  Integer FColumn = 0;
  std::vector<TcxLexem> FLexems;
  size_t FLex = 0;
  std::vector<TcxRegExprParserBlockItem*> FBlocks;
  Integer FSize = 0;
  bool FTooComplex = false;
};

void TcxRegExprParser::LexQuoted() {
  char32_t c;
  for (;;) {
    if (!ReadChar(c)) {
      Error(FormatMsg(scxRegExprMissing, " ' "), FLine, FColumn + 1);
      return;
    }
    if (c == '\'') {
      char32_t n;
      if (PeekChar(n) && n == '\'') {
        ReadChar(n);
        AddLexem(lkSymbol, "'");
        continue;
      }
      return;
    }
    AddLexem(lkSymbol, cxCharToUtf8(c));
  }
}

void TcxRegExprParser::LexHex(Integer Line, Integer Column) {
  int Value = 0;
  for (int k = 0; k < 2; ++k) {
    char32_t c;
    if (!ReadChar(c)) {
      Error(scxRegExprHexNumberExpected, FLine, FColumn + 1);
      return;
    }
    int h = HexValue(c);
    if (h < 0) {
      Error(FormatMsg(scxRegExprHexNumberExpected0, cxCharToUtf8(c)), FLine, FColumn);
      return;
    }
    Value = Value * 16 + h;
  }
  AddLexemAt(lkSymbol, cxCharToUtf8(static_cast<char32_t>(Value)), Line, Column);
}

void TcxRegExprParser::LexEscape() {
  // An escape takes the place of its backslash.
  const Integer Line = FLine, Column = FColumn;
  char32_t c;
  if (!ReadChar(c)) return;
  auto Add = [&](Byte Kind, const String& Text) { AddLexemAt(Kind, Text, Line, Column); };
  if (c >= '1' && c <= '9') return Add(lkReference, cxCharToUtf8(c));
  if (cxIsMaskWhiteSpace(c)) return Error(scxRegExprNotSpaceAfterBackslash, FLine, FColumn);
  switch (c) {
    case 'd': return Add(lkDigit, "d");
    case 'D': return Add(lkNonDigit, "D");
    case 'w': return Add(lkWord, "w");
    case 'W': return Add(lkNonWord, "W");
    case 's': return Add(lkSpace, "s");
    case 'S': return Add(lkNonSpace, "S");
    case 'a': return Add(lkSymbol, "\x07");
    case 'e': return Add(lkSymbol, "\x1B");
    case 'f': return Add(lkSymbol, "\f");
    case 'n': return Add(lkSymbol, "\n");
    case 'r': return Add(lkSymbol, "\r");
    case 't': return Add(lkSymbol, "\t");
    case 'p': return Add(lkSymbol, String(1, FormatSettings().DecimalSeparator));
    case 'x': return LexHex(Line, Column);
    default: return Add(lkSymbol, cxCharToUtf8(c));
  }
}

void TcxRegExprParser::LexBracket() {
  bool First = true;
  char32_t c;
  for (;;) {
    if (!ReadChar(c)) {
      Error(FormatMsg(scxRegExprMissing, "]"), FLine, FColumn + 1);
      return;
    }
    if (cxIsMaskWhiteSpace(c)) continue;
    bool WasFirst = First;
    First = false;
    if (c == ']') { AddLexem(lkSpecial, "]"); return; }
    if (c == '/') { AddLexem(lkDateSeparator, "/"); continue; }
    if (c == ':') { AddLexem(lkTimeSeparator, ":"); continue; }
    if (c == '\'') { LexQuoted(); continue; }
    if (c == '\\') { LexEscape(); continue; }
    if (WasFirst && c == '^') { AddLexem(lkSpecial, "^"); continue; }
    if (!WasFirst && c == '-') {
      // A "-" before "]" is the character itself, else a range.
      size_t p = FPos;
      while (p < FSrc.size() && cxIsMaskWhiteSpace(FSrc[p])) ++p;
      if (p < FSrc.size() && FSrc[p] == ']') { AddLexem(lkSymbol, "-"); continue; }
      AddLexem(lkSpecial, "-");
      if (p >= FSrc.size()) {
        Error(FormatMsg(scxRegExprMissing, "]"), FLine, FColumn + 1);
        FPos = FSrc.size();
        return;
      }
      continue;
    }
    AddLexem(lkSymbol, cxCharToUtf8(c));
  }
}

void TcxRegExprParser::LexBrace() {
  char32_t c;
  for (;;) {
    if (!ReadChar(c)) {
      Error(FormatMsg(scxRegExprMissing, "}"), FLine, FColumn + 1);
      return;
    }
    if (cxIsMaskWhiteSpace(c)) continue;
    if (IsAsciiDigit(c)) {
      const Integer Line = FLine, Column = FColumn;
      String Digits(1, static_cast<char>(c));
      char32_t n;
      while (PeekChar(n) && IsAsciiDigit(n)) {
        ReadChar(n);
        Digits += static_cast<char>(n);
      }
      AddLexemAt(lkInteger, Digits, Line, Column);
      continue;
    }
    if (c == ',') { AddLexem(lkSpecial, ","); continue; }
    if (c == '}') { AddLexem(lkSpecial, "}"); return; }
    if (c == '\'') Error(FormatMsg(scxRegExprIllegal, " ' "), FLine, FColumn);
    else Error(FormatMsg(scxRegExprIllegal, cxCharToUtf8(c)), FLine, FColumn);
  }
}

void TcxRegExprParser::Lex() {
  Integer Parens = 0;
  char32_t c;
  while (ReadChar(c)) {
    if (cxIsMaskWhiteSpace(c)) continue;
    switch (c) {
      case '\'': LexQuoted(); break;
      case '(': ++Parens; AddLexem(lkSpecial, "("); break;
      case ')': --Parens; AddLexem(lkSpecial, ")"); break;
      case '*': case '+': case '?': case '|': AddLexem(lkSpecial, cxCharToUtf8(c)); break;
      case '.': AddLexem(lkAnyChar, "."); break;
      case '/': AddLexem(lkDateSeparator, "/"); break;
      case ':': AddLexem(lkTimeSeparator, ":"); break;
      case '[': AddLexem(lkSpecial, "["); LexBracket(); break;
      case '{': AddLexem(lkSpecial, "{"); LexBrace(); break;
      case '\\': LexEscape(); break;
      default: AddLexem(lkSymbol, cxCharToUtf8(c));
    }
  }
  if (Parens > 0) ErrorNoPlace(FormatMsg(scxRegExprMissing, ")"));
  else if (Parens < 0) ErrorNoPlace(FormatMsg(scxRegExprUnnecessary, ")"));
}

// ---------------------------------------------------------------------------
// Parser

std::unique_ptr<TcxRegExprItem> TcxRegExprParser::ClassOfLexem(const TcxLexem& L) {
  switch (L.Kind) {
    case lkAnyChar: return std::make_unique<TcxRegExprAll>();
    case lkWord: return std::make_unique<TcxRegExprIdLetter>(false);
    case lkNonWord: return std::make_unique<TcxRegExprIdLetter>(true);
    case lkDigit: return std::make_unique<TcxRegExprDigit>(false);
    case lkNonDigit: return std::make_unique<TcxRegExprDigit>(true);
    case lkSpace: return std::make_unique<TcxRegExprSpace>(false);
    case lkNonSpace: return std::make_unique<TcxRegExprSpace>(true);
    case lkDateSeparator: return std::make_unique<TcxRegExprDateSeparator>();
    case lkTimeSeparator: return std::make_unique<TcxRegExprTimeSeparator>();
    default: {
      TcxChars t = cxUtf8ToChars(L.Text);
      return std::make_unique<TcxRegExprSymbol>(t.empty() ? 0 : t[0]);
    }
  }
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParser::Counted(std::unique_ptr<TcxRegExprParserItem> Item) {
  if (Item) FSize += Item->Size();
  if (FSize > cxRegExprMaxSize && !FTooComplex) {
    FTooComplex = true;
    ErrorNoPlace(scxRegExprTooComplex);
  }
  return Item;
}

void TcxRegExprParser::ParseAlts(TcxRegExprParserAlts& Alts, bool InBlock) {
  for (;;) {
    TAltEnd End = ParseAlt(*Alts.AddNew(), InBlock);
    if (End != aeBar || FTooComplex) return;
  }
}

void TcxRegExprParser::ApplyQuantifier(TcxRegExprParserAlt& Alt, std::unique_ptr<TcxRegExprQuantifier> Q) {
  TcxRegExprParserItem* Last = Alt.Last();
  if (Last->HasNoQuantifier()) {
    Last->ReplaceQuantifier(std::move(Q));
    return;
  }
  auto Block = std::make_unique<TcxRegExprParserBlockItem>();
  Block->ReplaceQuantifier(std::move(Q));
  Block->Alts()->AddNew()->Add(Alt.TakeLast());
  FSize += 2;
  Alt.Add(std::move(Block));
}

void TcxRegExprParser::ParseRepeat(TcxRegExprParserAlt& Alt) {
  // The current lexeme is the "{".
  const TcxLexem Brace = Cur();
  ++FLex;
  auto Fail = [&](const TcxLexem& At) {
    ErrorAt(scxRegExprIncorrectParameterQuantifier, At);
    while (!AtEnd()) {
      bool Close = IsSpecial(Cur(), '}');
      ++FLex;
      if (Close) break;
    }
  };
  auto ReadCount = [&](Integer& Value) -> bool {
    if (AtEnd() || Cur().Kind != lkInteger) return false;
    const String& T = Cur().Text;
    if (T.size() > 6) return false;
    Value = std::stoi(T);
    return Value <= cxRegExprMaxRepeat;
  };
  Integer N = 0, M = 0;
  bool Unlimited = false;
  if (!ReadCount(N)) return Fail(AtEnd() ? Brace : Cur());
  ++FLex;
  if (!AtEnd() && IsSpecial(Cur(), '}')) {
    M = N;
    ++FLex;
  } else if (!AtEnd() && IsSpecial(Cur(), ',')) {
    ++FLex;
    if (!AtEnd() && IsSpecial(Cur(), '}')) {
      Unlimited = true;
      ++FLex;
    } else {
      if (!ReadCount(M) || M < N) return Fail(AtEnd() ? Brace : Cur());
      ++FLex;
      if (AtEnd() || !IsSpecial(Cur(), '}')) return Fail(AtEnd() ? Brace : Cur());
      ++FLex;
    }
  } else {
    return Fail(AtEnd() ? Brace : Cur());
  }

  TcxRegExprParserItem* X = Alt.Last();
  if (X->AllowsAbsence()) return ErrorAt(scxRegExprCantUseParameterQuantifier, Brace);
  if (static_cast<Int64>(FSize) + static_cast<Int64>(X->Size()) * (Unlimited ? N + 1 : M) > cxRegExprMaxSize) {
    if (!FTooComplex) ErrorNoPlace(scxRegExprTooComplex);
    FTooComplex = true;
    return;
  }
  auto Block = std::make_unique<TcxRegExprParserBlockItem>();
  TcxRegExprParserAlt* Body = Block->Alts()->AddNew();
  for (Integer i = 0; i < N; ++i) Body->Add(Counted(X->Copy()));
  if (Unlimited) {
    auto Star = X->Copy();
    Star->ReplaceQuantifier(std::make_unique<TcxRegExprStarQuantifier>());
    Body->Add(Counted(std::move(Star)));
  } else if (M > N) {
    // OPT(d) = (X OPT(d + 1))? for d < M - 1, and X? for d = M - 1.
    std::unique_ptr<TcxRegExprParserItem> Opt = Counted(X->Copy());
    Opt->ReplaceQuantifier(std::make_unique<TcxRegExprQuestionQuantifier>());
    for (Integer d = M - 2; d >= N; --d) {
      auto Outer = std::make_unique<TcxRegExprParserBlockItem>();
      Outer->ReplaceQuantifier(std::make_unique<TcxRegExprQuestionQuantifier>());
      TcxRegExprParserAlt* A = Outer->Alts()->AddNew();
      A->Add(Counted(X->Copy()));
      A->Add(std::move(Opt));
      Opt = std::move(Outer);
    }
    Body->Add(std::move(Opt));
  }
  Alt.ReplaceLast(std::move(Block));
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParser::ParseEnumeration() {
  // The current lexeme follows the "[".
  bool Inverse = false;
  if (!AtEnd() && IsSpecial(Cur(), '^')) {
    Inverse = true;
    ++FLex;
  }
  auto Set = std::make_unique<TcxRegExprUserEnumeration>(Inverse);
  if (!AtEnd() && IsSpecial(Cur(), ']')) ErrorAt(scxRegExprCantCreateEmptyEnum, Cur());
  while (!AtEnd()) {
    const TcxLexem& L = Cur();
    if (IsSpecial(L, ']')) {
      ++FLex;
      break;
    }
    if (FLex + 1 < FLexems.size() && IsSpecial(FLexems[FLex + 1], '-')) {
      if (FLex + 2 >= FLexems.size()) {   // the lexer has reported the missing "]"
        FLex = FLexems.size();
        break;
      }
      const TcxLexem& E = FLexems[FLex + 2];
      TcxChars a = cxUtf8ToChars(L.Text), b = cxUtf8ToChars(E.Text);
      char32_t First = a.empty() ? 0 : a[0], Last = b.empty() ? 0 : b[0];
      if (First < Last) Set->Add(std::make_unique<TcxRegExprSubrange>(First, Last));
      else ErrorAt(scxRegExprSubrangeOrder, E);
      FLex += 3;
      while (!AtEnd() && IsSpecial(Cur(), '-')) {
        ErrorAt(FormatMsg(scxRegExprIllegal, "-"), Cur());
        ++FLex;
      }
      continue;
    }
    if (L.Kind != lkSpecial) Set->Add(ClassOfLexem(L));
    ++FLex;
  }
  return Counted(std::make_unique<TcxRegExprParserSimpleItem>(std::move(Set)));
}

TcxRegExprParser::TAltEnd TcxRegExprParser::ParseAlt(TcxRegExprParserAlt& Alt, bool InBlock) {
  if (AtEnd()) {
    ErrorNoPlace(scxRegExprEmptyAlt);
    return aeEnd;
  }
  if (IsSpecial(Cur(), '|')) {
    ErrorAt(scxRegExprEmptyAlt, Cur());
    ++FLex;
    return aeBar;
  }
  if (InBlock && IsSpecial(Cur(), ')')) {
    ErrorAt(scxRegExprEmptyBlock, Cur());
    ++FLex;
    return aeClose;
  }
  while (!AtEnd() && !FTooComplex) {
    const TcxLexem L = Cur();
    switch (L.Kind) {
      case lkInteger:
        ErrorAt(scxRegExprIllegalIntegerValue, L);
        ++FLex;
        continue;
      case lkReference: {
        size_t n = static_cast<size_t>(L.Text[0] - '0');
        if (n - 1 < FBlocks.size()) Alt.Add(Counted(FBlocks[n - 1]->Copy()));
        else ErrorAt(scxRegExprTooBigReferenceNumber, L);
        ++FLex;
        continue;
      }
      case lkSpecial: break;
      default:
        Alt.Add(Counted(std::make_unique<TcxRegExprParserSimpleItem>(ClassOfLexem(L))));
        ++FLex;
        continue;
    }
    const char Op = L.Text[0];
    ++FLex;
    switch (Op) {
      case '(': {
        auto Block = std::make_unique<TcxRegExprParserBlockItem>();
        FBlocks.push_back(Block.get());
        ParseAlts(*Block->Alts(), true);
        FSize += 2;
  Alt.Add(std::move(Block));
        break;
      }
      case '[': Alt.Add(ParseEnumeration()); break;
      case '?':
      case '*':
      case '+': {
        if (!Alt.Last()) {
          ErrorAt(FormatMsg(scxRegExprIllegalQuantifier, String(1, Op)), L);
          break;
        }
        if (Op == '?') {
          ApplyQuantifier(Alt, std::make_unique<TcxRegExprQuestionQuantifier>());
        } else if (Alt.Last()->CanBeEmpty()) {
          ErrorAt(Op == '*' ? scxRegExprCantUseStar : scxRegExprCantUsePlus, L);
        } else if (Op == '*') {
          ApplyQuantifier(Alt, std::make_unique<TcxRegExprStarQuantifier>());
        } else {
          ApplyQuantifier(Alt, std::make_unique<TcxRegExprPlusQuantifier>());
        }
        break;
      }
      case '{':
        if (!Alt.Last()) {
          ErrorAt(scxRegExprIncorrectParameterQuantifier, L);
          while (!AtEnd()) {
            bool Close = IsSpecial(Cur(), '}');
            ++FLex;
            if (Close) break;
          }
        } else {
          --FLex;
          ParseRepeat(Alt);
        }
        break;
      case ')':
        if (InBlock) return aeClose;
        ErrorAt(FormatMsg(scxRegExprIllegal, ")"), L);
        break;
      case '|': return aeBar;
      case '-':
      case ']':
      case '}': ErrorAt(FormatMsg(scxRegExprIllegal, String(1, Op)), L); break;
      default: break;   // "," and "^" mean nothing here
    }
  }
  return aeEnd;
}

std::unique_ptr<TcxRegExprParserAlts> TcxRegExprParser::Parse() {
  auto Alts = std::make_unique<TcxRegExprParserAlts>();
  ParseAlts(*Alts, false);
  return Alts;
}

// ---------------------------------------------------------------------------
// TcxRegExpr: compiling

String TcxRegExprError::FullMessage() const {
  String R;
  if (Line > 0) {
    R = String(scxRegExprLine) + std::to_string(Line);
    if (Column > 0) R += String(", ") + scxRegExprChar + std::to_string(Column);
    R += ": ";
  }
  return R + Message;
}

TOVANI_IMPLEMENT_CLASS(TcxRegExpr, TObject)

TcxRegExpr::TcxRegExpr() = default;
TcxRegExpr::~TcxRegExpr() = default;

void TcxRegExpr::Reset() {
  FSource.clear();
  FErrors.Clear();
  FAutomat.reset();
  FCompiled = false;
}

void TcxRegExpr::Compile(const String& Source) {
  if (!FFirstCompile) Reset();
  FFirstCompile = false;
  FSource = Source;
  const TcxChars Src = cxUtf8ToChars(Source);
  if (std::all_of(Src.begin(), Src.end(), cxIsMaskWhiteSpace)) {
    FErrors.Add(0, 0, scxRegExprEmptySourceStream);
    throw EcxRegExprError(FErrors);
  }
  TcxRegExprParser Parser(Src, FErrors);
  Parser.Lex();
  if (FErrors.Count() > 0) throw EcxRegExprError(FErrors);
  std::unique_ptr<TcxRegExprParserAlts> Tree = Parser.Parse();
  if (FErrors.Count() > 0) throw EcxRegExprError(FErrors);
  Int64 Links = 0;
  Tree->Link(nullptr, Links);
  if (Links > cxRegExprMaxLinks) {
    FErrors.Add(0, 0, scxRegExprTooComplex);
    throw EcxRegExprError(FErrors);
  }
  Tree->FlagFinal();
  FAutomat = std::make_unique<TcxRegExprAutomat>(std::move(Tree), this);
  FCompiled = true;
  if (FForcedContinuation) FAutomat->RunForced();
}
