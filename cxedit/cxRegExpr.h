// Regular-expression masks: the compiler turns a mask text into a parse tree
// and a nondeterministic automaton of character-class states; the matcher
// runs it one typed character at a time, steps back through a history, and
// in completion mode takes characters that are the only possible
// continuation by itself (reported through OnSymbolAdd / OnSymbolDelete).
//
// Syntax: literals, 'quoted text', . \d \D \w \W \s \S, \xHH, \p (decimal
// separator), / and : (date and time separators), [sets] with ranges and ^,
// (groups) with |, the quantifiers ? * + {n} {n,} {n,m}, and \1..\9 (a copy
// of the n-th group). White space outside quotes is ignored.
#pragma once
#include <functional>
#include <memory>
#include <vector>
#include "System.h"
#include "cxEditErrors.h"

class TcxRegExprError {
 public:
  TcxRegExprError(Integer AColumn, Integer ALine, String AMessage)
      : Column(AColumn), Line(ALine), Message(std::move(AMessage)) {}
  // "Line<n>, Char<c>: message" (place parts only when known).
  String FullMessage() const;

  Integer Column;
  Integer Line;
  String Message;
};

class TcxRegExprErrors {
 public:
  void Add(Integer AColumn, Integer ALine, const String& AMessage) { FItems.emplace_back(AColumn, ALine, AMessage); }
  void Clear() { FItems.clear(); }
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  const TcxRegExprError& Items(Integer Index) const { return FItems.at(Index); }

 private:
  std::vector<TcxRegExprError> FItems;
};

// Raised by Compile; carries the compiler's error list (not a copy), so it
// must not outlive the TcxRegExpr that raised it.
class EcxRegExprError : public EcxEditError {
  TOVANI_CLASS(EcxRegExprError, EcxEditError)
 public:
  explicit EcxRegExprError(const TcxRegExprErrors& AErrors) : EcxEditError(""), FErrors(&AErrors) {}
  const TcxRegExprErrors& Errors() const { return *FErrors; }

 private:
  const TcxRegExprErrors* FErrors;
};

class TcxRegExprAutomat;
class TcxRegExprParserAlts;
class TcxRegExprParserBlockItem;
struct TcxLexem;

class TcxRegExpr : public TObject {
  TOVANI_CLASS(TcxRegExpr, TObject)
 public:
  TcxRegExpr();
  ~TcxRegExpr() override;

  // Compiles the mask; raises EcxRegExprError with every lexing or parsing
  // error. A failed compile leaves the expression not compiled.
  void Compile(const String& Source);
  bool Compiled() const { return FCompiled; }
  // The source when compiled, else null (another expression can compile a
  // copy of it).
  const String* CompiledSource() const { return FCompiled ? &FSource : nullptr; }
  const TcxRegExprErrors& Errors() const { return FErrors; }

  bool CaseInsensitive() const { return FCaseInsensitive; }
  void SetCaseInsensitive(bool Value) { FCaseInsensitive = Value; }

  // Matching; each raises EcxEditError when not compiled.
  // Offers one character; in case-insensitive mode an accepted Ch becomes
  // the expression's own character.
  bool Advance(char32_t& Ch);
  // Offers every character of Text (without completion); Accepted receives
  // the characters taken, as taken.
  void AdvanceText(const String& Text, String& Accepted);
  bool StepBack();
  void Restart();
  bool InFinalState() const;
  bool AtStart() const;

  bool ForcedContinuation() const { return FForcedContinuation; }
  void SetForcedContinuation(bool Value);
  // Stores the flag without running completion (for callers that take
  // characters back and must not have them taken again at once).
  void SetForcedContinuationFlag(bool Value) { FForcedContinuation = Value; }

  std::function<void(char32_t)> OnSymbolAdd;
  std::function<void()> OnSymbolDelete;

 private:
  friend class TcxRegExprAutomat;
  friend class TcxRegExprParser;
  void CheckCompiled() const;
  void DoSymbolAdd(char32_t Ch) { if (OnSymbolAdd) OnSymbolAdd(Ch); }
  void DoSymbolDelete() { if (OnSymbolDelete) OnSymbolDelete(); }
  void Reset();

  std::unique_ptr<TcxRegExprAutomat> FAutomat;
  bool FCaseInsensitive = false;
  bool FCompiled = false;
  TcxRegExprErrors FErrors;
  bool FFirstCompile = true;
  String FSource;
  bool FForcedContinuation = false;
};
