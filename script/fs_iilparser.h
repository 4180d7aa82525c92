// The compiler of the script host, in two passes. The front end turns the
// source text, under the grammar of the selected language, into the
// intermediate program (an XML document of syntax constructs with their
// positions); the translator then turns that document into the run-time
// objects of the host: variables, routines, statements, designators and
// expressions. Errors of either pass are recorded on the host, never raised.
#pragma once
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "fs_iinterpreter.h"

class TfsParser;
class TfsXMLDocument;
class TfsXMLItem;
class TfsExpression;

class TfsILParser : public TObject {
  TOVANI_CLASS(TfsILParser, TObject)
 public:
  explicit TfsILParser(TfsScript* AProgram);
  ~TfsILParser() override;

  // Selects a language (Exception "Language '%s' not found" when unknown).
  void LoadGrammar(const String& Language);
  // First pass. On return the host's ErrorText and ErrorLocation hold the
  // recorded syntax error (both empty when there was none).
  bool SourceToIntermediate(const String& Text);
  // Second pass; errors go to ErrorText, ErrorLocation and ErrorUnitName.
  void IntermediateToObjects();
  // Builds a designator from a deferred intermediate element at run time.
  TfsDesignator* BuildLateDesignator(TfsXMLItem* Element, TfsScript* Prog);

  TfsXMLDocument* ILScript() const { return FILScript.get(); }
  TfsXMLDocument* Grammar() const { return FGrammar.get(); }
  TfsParser* Parser() const { return FParser.get(); }

  String UnitName;                         // empty for the main text
  std::vector<String> UsesList;            // units included so far
  std::map<String, String> UnitTexts;      // source of every included unit

 private:
  struct RuleInfo;
  enum class DesignatorMode { Plain, New, Delete };

  // First pass.
  const RuleInfo& Info(TfsXMLItem* Item);
  bool RunGrammarItem(TfsXMLItem* Item);
  bool RunRule(TfsXMLItem* Rule);
  bool RunChildren(TfsXMLItem* Item);
  void WrapNode(const String& Node, bool Success, Integer StartPos, size_t StartLine);
  void RecordSyntaxError(const RuleInfo& Info, Integer StartPos);
  void IncludeUnit(const String& Name, size_t& InsertAt);
  void Emit(const String& Line) { FLines.push_back(Line); }

  // Second pass.
  [[noreturn]] void Error(const String& Message);
  void SetErrorPos(TfsXMLItem* Element);
  void BuildBlock(TfsXMLItem* Element, TfsScript* Prog);
  void DeclareRoutines(TfsXMLItem* Element, TfsScript* Prog);
  void DeclareRoutine(TfsXMLItem* Element, TfsScript* Prog, bool IsFunction);
  void BuildStatements(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List);
  void BuildStatement(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List);
  void BuildAssignment(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List);
  void BuildFor(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List, bool VbStyle);
  void BuildWith(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List);
  void BuildVar(TfsXMLItem* Element, TfsScript* Prog, TfsStatement* List);
  void BuildConst(TfsXMLItem* Element, TfsScript* Prog);
  void BuildUses(TfsXMLItem* Element, TfsScript* Prog);
  TfsCustomVariable* CreateVariable(TfsXMLItem* Element, TfsScript* Prog, bool ByRef, bool IsParam,
                                    TfsStatement* List, const String& Name);
  Variant MakeArrayValue(TfsXMLItem* ArrayElement, TfsScript* Prog, Integer& Dims);
  TfsExpression* BuildExpression(TfsXMLItem* Element, TfsScript* Prog);
  void AddExpressionItems(TfsExpression* Expr, TfsXMLItem* Element, TfsScript* Prog);
  TfsSetExpression* BuildSetExpression(TfsXMLItem* Element, TfsScript* Prog);
  TfsDesignator* BuildDesignator(TfsXMLItem* Element, TfsScript* Prog, DesignatorMode Mode);
  bool ResolveWithMember(const String& Name, TfsDesignator* D, TfsXMLItem* Element, TfsScript* Prog,
                         bool& Deferred);
  void BuildOLEChain(TfsDesignator* D, TfsXMLItem* Element, Integer From, TfsScript* Prog);
  void CheckArguments(TfsDesignator* D, TfsScript* Prog);
  TfsVarType ResolveTypeName(String& TypeName);
  TfsClassVariable* RequireClass(const String& Name);
  TfsCustomVariable* FindVariable(TfsScript* Prog, const String& Name);
  void CheckRedeclared(TfsScript* Prog, const String& Name);
  void CheckAssignable(TfsCustomVariable* Item, TfsCustomVariable* Expr);
  TfsDesignator* MakeVariableDesignator(TfsCustomVariable* Var, TfsScript* Prog);
  String SourceOf(TfsXMLItem* Element);
  String NextWithVariableName(TfsScript* Prog);

  TfsScript* FProgram;
  std::unique_ptr<TfsXMLDocument> FGrammar;
  std::unique_ptr<TfsXMLDocument> FILScript;
  std::unique_ptr<TfsParser> FParser;
  TfsXMLItem* FGrammarRoot = nullptr;
  String FLanguage;
  bool FNeedDeclareVars = true;

  // State of one SourceToIntermediate run.
  std::vector<String> FLines;
  String FErrorMsg, FErrorPos;
  bool FTermError = false;
  Integer FDepth = 0;
  std::vector<std::unique_ptr<RuleInfo>> FInfos;
  // A rule's outcome at a source position, kept once the rule has been
  // tried there twice: backtracking over nested constructs then costs no
  // more than reading them once, instead of doubling with each level.
  struct MemoEntry {
    bool Stored = false;
    bool Ok = false;
    bool FromNoError = false;   // the run started with no error recorded
    bool TermError = false;
    Integer EndPos = 0;
    Integer DepthUsed = 0;
    std::vector<String> Lines;
    String ErrorMsg, ErrorPos;   // the recorded error the run left (FromNoError)
  };
  std::unordered_map<uint64_t, MemoEntry> FMemo;   // rule number and position
  Integer FPeakDepth = 0;
  unsigned FIncludes = 0;

  // State of the translator.
  String FErrPos;
  String FCurrentUnit;
  TfsXMLItem* FCurrentBlock = nullptr;
  bool FLateBinding = false;
  struct WithEntry {
    String Name;
    TfsCustomVariable* Var;
  };
  std::vector<WithEntry> FWithList;
  std::map<String, std::unique_ptr<TfsParser>> FUnitParsers;
  std::unordered_map<TfsXMLItem*, TfsXMLItem*> FTypesOf;   // block to its "types" child (nil: none)
};
