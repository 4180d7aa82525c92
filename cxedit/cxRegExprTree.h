// Internal to the regular-expression mask unit: character classes,
// quantifiers, automaton states, the parse tree and the automaton.
#pragma once
#include <memory>
#include <vector>
#include "cxRegExpr.h"

char32_t cxRegExprUpper(char32_t Ch);

// --- Character classes -----------------------------------------------------

class TcxRegExprItem {
 public:
  virtual ~TcxRegExprItem() = default;
  // May replace Ch by the class's own character (case-insensitive symbols).
  virtual bool Matches(char32_t& Ch, bool ACaseInsensitive) const = 0;
  virtual std::unique_ptr<TcxRegExprItem> Copy() const = 0;
  // What the class adds to the size of the automaton: one, and one more
  // for every member of a set written out in the mask.
  virtual Integer Size() const { return 1; }
};

class TcxRegExprSymbol : public TcxRegExprItem {
 public:
  explicit TcxRegExprSymbol(char32_t ASymbol) : FSymbol(ASymbol) {}
  bool Matches(char32_t& Ch, bool ACaseInsensitive) const override;
  std::unique_ptr<TcxRegExprItem> Copy() const override { return std::make_unique<TcxRegExprSymbol>(FSymbol); }
  char32_t Symbol() const { return FSymbol; }

 private:
  char32_t FSymbol;
};

class TcxRegExprTimeSeparator : public TcxRegExprItem {
 public:
  bool Matches(char32_t& Ch, bool ACaseInsensitive) const override;
  std::unique_ptr<TcxRegExprItem> Copy() const override { return std::make_unique<TcxRegExprTimeSeparator>(); }
};

class TcxRegExprDateSeparator : public TcxRegExprItem {
 public:
  bool Matches(char32_t& Ch, bool ACaseInsensitive) const override;
  std::unique_ptr<TcxRegExprItem> Copy() const override { return std::make_unique<TcxRegExprDateSeparator>(); }
};

class TcxRegExprSubrange : public TcxRegExprItem {
 public:
  TcxRegExprSubrange(char32_t AFirst, char32_t ALast) : FFirst(AFirst), FLast(ALast) {}
  bool Matches(char32_t& Ch, bool ACaseInsensitive) const override;
  std::unique_ptr<TcxRegExprItem> Copy() const override { return std::make_unique<TcxRegExprSubrange>(FFirst, FLast); }

 private:
  char32_t FFirst, FLast;
};

class TcxRegExprEnumeration : public TcxRegExprItem {
 public:
  explicit TcxRegExprEnumeration(bool AInverse) : FInverse(AInverse) {}
  bool Matches(char32_t& Ch, bool ACaseInsensitive) const override;
  bool Inverse() const { return FInverse; }

 protected:
  virtual bool Test(char32_t& Ch, bool ACaseInsensitive) const = 0;

 private:
  bool FInverse;
};

class TcxRegExprUserEnumeration : public TcxRegExprEnumeration {
 public:
  using TcxRegExprEnumeration::TcxRegExprEnumeration;
  void Add(std::unique_ptr<TcxRegExprItem> Item) {
    FSize += Item->Size();
    FItems.push_back(std::move(Item));
  }
  std::unique_ptr<TcxRegExprItem> Copy() const override;
  Integer Size() const override { return FSize; }

 protected:
  bool Test(char32_t& Ch, bool ACaseInsensitive) const override;

 private:
  std::vector<std::unique_ptr<TcxRegExprItem>> FItems;
  Integer FSize = 1;
};

#define CX_REGEXPR_SET(Cls)                                                          \
  class Cls : public TcxRegExprEnumeration {                                         \
   public:                                                                           \
    using TcxRegExprEnumeration::TcxRegExprEnumeration;                              \
    std::unique_ptr<TcxRegExprItem> Copy() const override { return std::make_unique<Cls>(Inverse()); } \
                                                                                     \
   protected:                                                                        \
    bool Test(char32_t& Ch, bool ACaseInsensitive) const override;                   \
  };
CX_REGEXPR_SET(TcxRegExprDigit)
CX_REGEXPR_SET(TcxRegExprIdLetter)
CX_REGEXPR_SET(TcxRegExprSpace)
#undef CX_REGEXPR_SET

class TcxRegExprAll : public TcxRegExprItem {
 public:
  bool Matches(char32_t&, bool) const override { return true; }
  std::unique_ptr<TcxRegExprItem> Copy() const override { return std::make_unique<TcxRegExprAll>(); }
};

// --- Quantifiers -----------------------------------------------------------

class TcxRegExprQuantifier {
 public:
  virtual ~TcxRegExprQuantifier() = default;
  virtual bool AllowsAbsence() const = 0;
  virtual bool AllowsRepeat() const = 0;
  virtual std::unique_ptr<TcxRegExprQuantifier> Copy() const = 0;
  virtual String Text() const = 0;
};

#define CX_REGEXPR_QUANTIFIER(Cls, Absence, Repeat, Txt)                             \
  class Cls : public TcxRegExprQuantifier {                                          \
   public:                                                                           \
    bool AllowsAbsence() const override { return Absence; }                          \
    bool AllowsRepeat() const override { return Repeat; }                            \
    std::unique_ptr<TcxRegExprQuantifier> Copy() const override { return std::make_unique<Cls>(); } \
    String Text() const override { return Txt; }                                     \
  };
CX_REGEXPR_QUANTIFIER(TcxRegExprSimpleQuantifier, false, false, "")
CX_REGEXPR_QUANTIFIER(TcxRegExprQuestionQuantifier, true, false, "?")
CX_REGEXPR_QUANTIFIER(TcxRegExprStarQuantifier, true, true, "*")
CX_REGEXPR_QUANTIFIER(TcxRegExprPlusQuantifier, false, true, "+")
#undef CX_REGEXPR_QUANTIFIER

// --- Automaton states ------------------------------------------------------

class TcxRegExprState;
using TcxRegExprStates = std::vector<TcxRegExprState*>;

class TcxRegExprState {
 public:
  virtual ~TcxRegExprState() = default;
  void AddSuccessor(TcxRegExprState* State) { FSuccessors.push_back(State); }
  const TcxRegExprStates& Successors() const { return FSuccessors; }

 private:
  TcxRegExprStates FSuccessors;
};

// A state that consumes one character of its class; the start state has no
// class.
class TcxRegExprSimpleState : public TcxRegExprState {
 public:
  explicit TcxRegExprSimpleState(std::unique_ptr<TcxRegExprItem> AItem) : FItem(std::move(AItem)) {}
  bool Final() const { return FFinal; }
  void SetFinal(bool Value) { FFinal = Value; }
  const TcxRegExprItem* Item() const { return FItem.get(); }

 private:
  bool FFinal = false;
  std::unique_ptr<TcxRegExprItem> FItem;
};

// Entry and exit of a group: consumes nothing and is looked through.
class TcxRegExprBlockState : public TcxRegExprState {};

// --- Parse tree ------------------------------------------------------------

class TcxRegExprParserAlts;

class TcxRegExprParserItem {
 public:
  TcxRegExprParserItem() : FQuantifier(std::make_unique<TcxRegExprSimpleQuantifier>()) {}
  virtual ~TcxRegExprParserItem() = default;
  virtual bool CanBeEmpty() const = 0;
  virtual std::unique_ptr<TcxRegExprParserItem> Copy() const = 0;
  virtual void FlagFinal() = 0;
  virtual TcxRegExprState* EntryState() const = 0;
  virtual TcxRegExprState* ExitState() const = 0;
  // Size of the automaton the item holds: its states and the members of
  // their character sets (guards the tree's size).
  virtual Integer Size() const = 0;

  bool AllowsAbsence() const;
  bool AllowsRepeat() const;
  bool HasNoQuantifier() const;
  void ReplaceQuantifier(std::unique_ptr<TcxRegExprQuantifier> Q);
  const TcxRegExprQuantifier* Quantifier() const { return FQuantifier.get(); }

 private:
  std::unique_ptr<TcxRegExprQuantifier> FQuantifier;
};

class TcxRegExprParserSimpleItem : public TcxRegExprParserItem {
 public:
  explicit TcxRegExprParserSimpleItem(std::unique_ptr<TcxRegExprItem> AClass);
  bool CanBeEmpty() const override { return AllowsAbsence(); }
  std::unique_ptr<TcxRegExprParserItem> Copy() const override;
  void FlagFinal() override;
  TcxRegExprState* EntryState() const override { return FState.get(); }
  TcxRegExprState* ExitState() const override { return FState.get(); }
  Integer Size() const override { return FState->Item()->Size(); }

 private:
  std::unique_ptr<TcxRegExprSimpleState> FState;
};

class TcxRegExprParserAlt {
 public:
  bool CanBeEmpty() const;
  bool AllAllowAbsence() const;
  std::unique_ptr<TcxRegExprParserAlt> Copy() const;
  // Entry states of the items from From on, up to and including the first
  // that does not allow absence.
  void EntryStates(TcxRegExprStates& Out, size_t From = 0) const;
  // Links the states; Links counts the successor links made, and linking
  // stops once it passes the automaton's limit (the caller refuses the mask).
  void Link(TcxRegExprState* BlockExit, Int64& Links);
  void LinkExitsTo(TcxRegExprState* State, Int64& Links);
  void FlagFinal();
  void Add(std::unique_ptr<TcxRegExprParserItem> Item) { FItems.push_back(std::move(Item)); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TcxRegExprParserItem* Items(Integer Index) const { return FItems.at(Index).get(); }
  TcxRegExprParserItem* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }
  std::unique_ptr<TcxRegExprParserItem> TakeLast() {
    auto R = std::move(FItems.back());
    FItems.pop_back();
    return R;
  }
  void ReplaceLast(std::unique_ptr<TcxRegExprParserItem> Item);
  Integer Size() const {
    Integer n = 0;
    for (auto& I : FItems) n += I->Size();
    return n;
  }

 private:
  std::vector<std::unique_ptr<TcxRegExprParserItem>> FItems;
};

class TcxRegExprParserAlts {
 public:
  void Add(std::unique_ptr<TcxRegExprParserAlt> Alt) { FAlts.push_back(std::move(Alt)); }
  TcxRegExprParserAlt* AddNew() {
    FAlts.push_back(std::make_unique<TcxRegExprParserAlt>());
    return FAlts.back().get();
  }
  TcxRegExprParserAlt* Last() const { return FAlts.empty() ? nullptr : FAlts.back().get(); }
  Integer Count() const { return static_cast<Integer>(FAlts.size()); }
  TcxRegExprParserAlt* Items(Integer Index) const { return FAlts.at(Index).get(); }
  bool CanBeEmpty() const;
  bool SomeAllAllowAbsence() const;
  void Link(TcxRegExprState* BlockExit, Int64& Links);
  void FlagFinal();
  void EntryStates(TcxRegExprStates& Out) const;
  Integer Size() const {
    Integer n = 0;
    for (auto& A : FAlts) n += A->Size();
    return n;
  }

 private:
  std::vector<std::unique_ptr<TcxRegExprParserAlt>> FAlts;
};

class TcxRegExprParserBlockItem : public TcxRegExprParserItem {
 public:
  TcxRegExprParserBlockItem();
  bool CanBeEmpty() const override;
  std::unique_ptr<TcxRegExprParserItem> Copy() const override;
  void FlagFinal() override;
  TcxRegExprState* EntryState() const override { return FEntry.get(); }
  TcxRegExprState* ExitState() const override { return FExit.get(); }
  Integer Size() const override { return 2 + FAlts->Size(); }
  TcxRegExprParserAlts* Alts() const { return FAlts.get(); }

 private:
  std::unique_ptr<TcxRegExprParserAlts> FAlts;
  std::unique_ptr<TcxRegExprBlockState> FExit;
  std::unique_ptr<TcxRegExprBlockState> FEntry;
};

// --- Automaton -------------------------------------------------------------

class TcxRegExprAutomat {
 public:
  TcxRegExprAutomat(std::unique_ptr<TcxRegExprParserAlts> ATree, TcxRegExpr* AOwner);
  ~TcxRegExprAutomat();

  bool Advance(char32_t& Ch, bool ACaseInsensitive);
  bool StepBack();
  void Restart();
  bool InFinalState() const { return HasFinal(FCurrent); }
  bool AtStart() const { return !FCurrent.empty() && FCurrent.front() == FStart.get(); }
  TcxRegExprStates AllNext() const { return AllNextStates(FCurrent); }
  void RunForced();
  void UndoForced();
  // For tests and benchmarks: the size of the current position.
  size_t CurrentCount() const { return FCurrent.size(); }

  static bool HasFinal(const TcxRegExprStates& S);
  static bool ForcedChar(const TcxRegExprStates& S, char32_t& Ch);
  static TcxRegExprStates AllNextStates(const TcxRegExprStates& S);
  static TcxRegExprStates AdvanceStates(const TcxRegExprStates& S, char32_t& Ch, bool ACaseInsensitive);

 private:
  TcxRegExprStates FCurrent;
  std::unique_ptr<TcxRegExprParserAlts> FTree;
  std::vector<TcxRegExprStates> FHistory;
  TcxRegExpr* FOwner;
  std::unique_ptr<TcxRegExprSimpleState> FStart;
};
