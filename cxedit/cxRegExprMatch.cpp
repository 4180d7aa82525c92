// Incremental matcher of regular-expression masks. The position of the
// automaton is a set of simple states; each typed character moves it on,
// the history keeps earlier positions for Backspace, and in completion mode
// characters that are the only possible continuation are taken by
// themselves.
//
// A position is kept free of duplicate states, and block states are
// looked through once per step: nested repetitions such as (\d+)* would
// otherwise double the set on every key, and an empty repeated group would
// loop for ever.
#include <unordered_set>
#include "FormatSettings.h"
#include "cxRegExprTree.h"
#include "cxTextChars.h"

namespace {
const char* const scxRegExprNotCompiled = "Regular expression is not compiled";
// Completion never takes more than this many characters in one run; an
// expression can only reach it when it has a forced cycle without an end.
constexpr int cxMaxForcedRun = 10000;

class TStateCollector {
 public:
  explicit TStateCollector(TcxRegExprStates& Out) : FOut(Out) {}
  void AddSimple(TcxRegExprState* S) {
    if (FSeen.insert(S).second) FOut.push_back(S);
  }
  bool EnterBlock(TcxRegExprState* S) { return FBlocks.insert(S).second; }

 private:
  TcxRegExprStates& FOut;
  std::unordered_set<TcxRegExprState*> FSeen, FBlocks;
};

// What the successors of one state contribute for Ch: simple successors
// that accept it, and (looked through) those behind block states.
void StepSuccessors(const TcxRegExprState* S, char32_t& Ch, bool CI, TStateCollector& Out) {
  for (TcxRegExprState* T : S->Successors()) {
    if (auto* Simple = dynamic_cast<TcxRegExprSimpleState*>(T)) {
      if (Simple->Item() && Simple->Item()->Matches(Ch, CI)) Out.AddSimple(T);
    } else if (Out.EnterBlock(T)) {
      StepSuccessors(T, Ch, CI, Out);
    }
  }
}

void ExpandSuccessors(const TcxRegExprState* S, TStateCollector& Out) {
  for (TcxRegExprState* T : S->Successors()) {
    if (dynamic_cast<TcxRegExprSimpleState*>(T)) Out.AddSimple(T);
    else if (Out.EnterBlock(T)) ExpandSuccessors(T, Out);
  }
}

// The one character a class stands for, when it stands for one.
bool FixedCharOf(const TcxRegExprItem* Item, char32_t& Ch) {
  if (auto* Sym = dynamic_cast<const TcxRegExprSymbol*>(Item)) {
    Ch = Sym->Symbol();
    return true;
  }
  if (dynamic_cast<const TcxRegExprTimeSeparator*>(Item)) {
    Ch = static_cast<unsigned char>(FormatSettings().TimeSeparator);
    return true;
  }
  if (dynamic_cast<const TcxRegExprDateSeparator*>(Item)) {
    Ch = static_cast<unsigned char>(FormatSettings().DateSeparator);
    return true;
  }
  return false;
}
}  // namespace

TcxRegExprStates TcxRegExprAutomat::AdvanceStates(const TcxRegExprStates& S, char32_t& Ch, bool CI) {
  TcxRegExprStates R;
  TStateCollector Out(R);
  for (auto* State : S) StepSuccessors(State, Ch, CI, Out);
  return R;
}

TcxRegExprStates TcxRegExprAutomat::AllNextStates(const TcxRegExprStates& S) {
  TcxRegExprStates R;
  TStateCollector Out(R);
  for (auto* State : S) ExpandSuccessors(State, Out);
  return R;
}

bool TcxRegExprAutomat::HasFinal(const TcxRegExprStates& S) {
  for (auto* State : S)
    if (auto* Simple = dynamic_cast<TcxRegExprSimpleState*>(State); Simple && Simple->Final()) return true;
  return false;
}

bool TcxRegExprAutomat::ForcedChar(const TcxRegExprStates& S, char32_t& Ch) {
  if (S.empty()) return false;
  char32_t First = 0;
  for (size_t i = 0; i < S.size(); ++i) {
    auto* Simple = dynamic_cast<TcxRegExprSimpleState*>(S[i]);
    char32_t c;
    if (!Simple || !FixedCharOf(Simple->Item(), c)) return false;
    if (i == 0) First = c;
    else if (c != First) return false;
  }
  Ch = First;
  return true;
}

TcxRegExprAutomat::TcxRegExprAutomat(std::unique_ptr<TcxRegExprParserAlts> ATree, TcxRegExpr* AOwner)
    : FTree(std::move(ATree)), FOwner(AOwner), FStart(std::make_unique<TcxRegExprSimpleState>(nullptr)) {
  TcxRegExprStates Entries;
  FTree->EntryStates(Entries);
  for (auto* S : Entries) FStart->AddSuccessor(S);
  FStart->SetFinal(FTree->SomeAllAllowAbsence());
  FCurrent = {FStart.get()};
}

TcxRegExprAutomat::~TcxRegExprAutomat() = default;

bool TcxRegExprAutomat::Advance(char32_t& Ch, bool ACaseInsensitive) {
  TcxRegExprStates S = AdvanceStates(FCurrent, Ch, ACaseInsensitive);
  if (S.empty()) return false;
  FHistory.push_back(std::move(FCurrent));
  FCurrent = std::move(S);
  return true;
}

bool TcxRegExprAutomat::StepBack() {
  if (FHistory.empty()) return false;
  FCurrent = std::move(FHistory.back());
  FHistory.pop_back();
  return true;
}

void TcxRegExprAutomat::Restart() {
  FHistory.clear();
  FCurrent = {FStart.get()};
}

void TcxRegExprAutomat::RunForced() {
  for (int Run = 0; Run < cxMaxForcedRun && !HasFinal(FCurrent); ++Run) {
    TcxRegExprStates N = AllNextStates(FCurrent);
    char32_t Ch;
    if (!ForcedChar(N, Ch)) break;
    FOwner->DoSymbolAdd(Ch);
    FHistory.push_back(std::move(FCurrent));
    FCurrent = std::move(N);
  }
}

void TcxRegExprAutomat::UndoForced() {
  char32_t Ch;
  while (ForcedChar(FCurrent, Ch)) {
    if (FHistory.empty()) break;
    TcxRegExprStates P = std::move(FHistory.back());
    FHistory.pop_back();
    char32_t Next;
    if (!ForcedChar(AllNextStates(P), Next) || HasFinal(P)) {
      FHistory.push_back(std::move(P));
      break;
    }
    FOwner->DoSymbolDelete();
    FCurrent = std::move(P);
  }
}

// --- TcxRegExpr: matching ----------------------------------------------------

void TcxRegExpr::CheckCompiled() const {
  if (!FCompiled) throw EcxEditError(scxRegExprNotCompiled);
}

bool TcxRegExpr::Advance(char32_t& Ch) {
  CheckCompiled();
  if (!FAutomat->Advance(Ch, FCaseInsensitive)) return false;
  if (FForcedContinuation && !FAutomat->InFinalState()) FAutomat->RunForced();
  return true;
}

void TcxRegExpr::AdvanceText(const String& Text, String& Accepted) {
  CheckCompiled();
  Accepted.clear();
  for (char32_t c : cxUtf8ToChars(Text))
    if (FAutomat->Advance(c, FCaseInsensitive)) Accepted += cxCharToUtf8(c);
}

bool TcxRegExpr::StepBack() {
  CheckCompiled();
  if (FForcedContinuation) FAutomat->UndoForced();
  return FAutomat->StepBack();
}

void TcxRegExpr::Restart() {
  CheckCompiled();
  FAutomat->Restart();
}

bool TcxRegExpr::InFinalState() const {
  CheckCompiled();
  return FAutomat->InFinalState();
}

bool TcxRegExpr::AtStart() const {
  CheckCompiled();
  return FAutomat->AtStart();
}

void TcxRegExpr::SetForcedContinuation(bool Value) {
  FForcedContinuation = Value;
  if (Value && FCompiled) FAutomat->RunForced();
}
