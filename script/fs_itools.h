// Script type tools and messages: the compile error texts, the language
// registry, type compatibility, literal conversion, the parser of routine
// declaration texts and a few conversions the compiler and run time share.
#pragma once
#include <memory>
#include <vector>

#include "System.h"
#include "Variant.h"

class FormatArg;
class TfsScript;
class TfsCustomVariable;

// Value kinds of script items.
enum TfsVarType {
  fvtInt, fvtBool, fvtFloat, fvtChar, fvtString, fvtClass, fvtArray, fvtVariant, fvtEnum,
  fvtConstructor
};

// Compile error texts. They start as the defaults below; the report's
// string resources replace them when they load their strings.
extern String SLangNotFound;       // "Language '%s' not found"
extern String SInvalidLanguage;    // "Invalid language definition"
extern String SIdRedeclared;       // "Identifier redeclared: "
extern String SUnknownType;        // "Unknown type: "
extern String SIncompatibleTypes;  // "Incompatible types"
extern String SIdUndeclared;       // "Undeclared identifier: "
extern String SClassRequired;      // "Class type required"
extern String SIndexRequired;      // "Index required"
extern String SStringError;        // "Strings doesn't have properties or methods"
extern String SClassError;         // "Class %s does not have a default property"
extern String SArrayRequired;      // "Array type required"
extern String SVarRequired;        // "Variable required"
extern String SNotEnoughParams;    // "Not enough actual parameters"
extern String STooManyParams;      // "Too many actual parameters"
extern String SLeftCantAssigned;   // "Left side cannot be assigned to"
extern String SForError;           // "For loop variable must be numeric variable"
extern String SEventError;         // "Event handler must be a procedure"
// Puts every text back to its default.
void fsResetMessages();

// Language registry: name (case ignored) to grammar text. Registering a
// known name replaces its text in place.
void AddScriptLanguage(const String& Name, const String& Grammar);
// Raises Exception with SLangNotFound formatted with the name when unknown.
String ScriptLanguageGrammar(const String& Name);
std::vector<String> ScriptLanguageNames();

// Kind of the item named TypeName (found through Prog and its parents);
// fvtClass for an unknown or empty name.
TfsVarType TypeOf(const String& TypeName, TfsScript* Prog);
// Both names are registered classes and Source is Target or derives from it.
bool IsDerivedClassName(const String& Target, const String& Source, TfsScript* Prog);
// Compatibility of a source kind with a target kind (operands of operators).
bool KindsCompatible(TfsVarType Target, const String& TargetType, TfsVarType Source,
                     const String& SourceType, TfsScript* Prog);
// KindsCompatible, except that an Integer target refuses a real source.
bool AssignmentCompatible(TfsCustomVariable* Item, TfsCustomVariable* Expr, TfsScript* Prog);
// "Integer", "Boolean", ... for messages (the type name for classes and enums).
String KindName(TfsVarType Kind, const String& TypeName);

// Value of a literal token of the intermediate program: a quoted string,
// an integer (decimal or "$" hexadecimal; 64-bit when it does not fit 32
// bits) or a real number written with a point.
Variant LiteralToVariant(const String& Token);

// Parses a routine declaration such as
//   "macrofunction SUM(Expr: Variant; Band: Variant = 0): Variant"
// into a new item named after the routine (result kind and type, macro flag)
// whose children are the parameters. The caller owns the item.
TfsCustomVariable* ParseMethodDeclaration(const String& Syntax, TfsScript* Prog);

// The elements of a Variant array as arguments of the run-time library's
// Format (which never hands a format text to printf).
class TfsTaggedValues {
 public:
  explicit TfsTaggedValues(const Variant& Values);
  ~TfsTaggedValues();
  const std::vector<FormatArg>& Args() const { return *FArgs; }

 private:
  std::vector<String> FTexts;   // storage the string arguments point into
  std::unique_ptr<std::vector<FormatArg>> FArgs;
};

// Script text (a name, a value) as messages quote it: at most
// MaxMessageText bytes, cut at a character boundary and ended with "...",
// so that a huge identifier or value cannot swell an error message.
constexpr size_t MaxMessageText = 64;
String fsMessageText(const String& S);

// "12:7" to line 12 and column 7; "" gives 0 and 0.
void ParseLineColumn(const String& Text, Integer& Line, Integer& Column);
