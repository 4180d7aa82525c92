// Compile error texts, the language registry, type compatibility, literal
// conversion and routine declaration parsing.
#include "fs_itools.h"

#include <algorithm>

#include "FormatSettings.h"
#include "SysUtils.h"
#include "fs_iinterpreter.h"
#include "fs_iparser.h"
#include "fs_ibasic.h"
#include "fs_icpp.h"
#include "fs_ijs.h"
#include "fs_ipascal.h"

String SLangNotFound, SInvalidLanguage, SIdRedeclared, SUnknownType, SIncompatibleTypes, SIdUndeclared,
    SClassRequired, SIndexRequired, SStringError, SClassError, SArrayRequired, SVarRequired, SNotEnoughParams,
    STooManyParams, SLeftCantAssigned, SForError, SEventError;

void fsResetMessages() {
  SLangNotFound = "Language '%s' not found";
  SInvalidLanguage = "Invalid language definition";
  SIdRedeclared = "Identifier redeclared: ";
  SUnknownType = "Unknown type: ";
  SIncompatibleTypes = "Incompatible types";
  SIdUndeclared = "Undeclared identifier: ";
  SClassRequired = "Class type required";
  SIndexRequired = "Index required";
  SStringError = "Strings doesn't have properties or methods";
  SClassError = "Class %s does not have a default property";
  SArrayRequired = "Array type required";
  SVarRequired = "Variable required";
  SNotEnoughParams = "Not enough actual parameters";
  STooManyParams = "Too many actual parameters";
  SLeftCantAssigned = "Left side cannot be assigned to";
  SForError = "For loop variable must be numeric variable";
  SEventError = "Event handler must be a procedure";
}

namespace {
const bool messagesSet = (fsResetMessages(), true);

struct Language {
  String Name, Grammar;
};

std::vector<Language>& Languages() {
  // The built-in languages register when the registry is first used.
  static std::vector<Language> list{{"JScript", JScriptGrammar()},
                                     {"RodidOdazav", RodidOdazavGrammar()},
                                     {"R++Orodiv", RppOrodivGrammar()},
                                     {"PascalScript", PascalScriptGrammar()}};
  return list;
}
}  // namespace

void AddScriptLanguage(const String& Name, const String& Grammar) {
  for (Language& l : Languages())
    if (SameText(l.Name, Name)) {
      l.Grammar = Grammar;
      return;
    }
  Languages().push_back({Name, Grammar});
}

String ScriptLanguageGrammar(const String& Name) {
  for (const Language& l : Languages())
    if (SameText(l.Name, Name)) return l.Grammar;
  throw Exception(Format(SLangNotFound, {fsMessageText(Name)}));
}

std::vector<String> ScriptLanguageNames() {
  std::vector<String> names;
  for (const Language& l : Languages()) names.push_back(l.Name);
  return names;
}

// ---------------------------------------------------------------------------
// Types

TfsVarType TypeOf(const String& TypeName, TfsScript* Prog) {
  if (!Prog) return fvtClass;
  return Prog->TypeOf(TypeName);
}

bool IsDerivedClassName(const String& Target, const String& Source, TfsScript* Prog) {
  if (!Prog) return false;
  TfsClassVariable* t = Prog->FindClass(Target);
  TfsClassVariable* s = Prog->FindClass(Source);
  if (!t || !s) return false;
  if (t == s) return true;
  if (t->ClassRef && s->ClassRef) return s->ClassRef->InheritsFrom(t->ClassRef);
  // Classes without class references: follow the registered ancestor names.
  for (TfsClassVariable* c = s; c; c = Prog->FindClass(c->AncestorName)) {
    if (c == t) return true;
    if (c->AncestorName.empty()) break;
  }
  return false;
}

bool KindsCompatible(TfsVarType T, const String& TName, TfsVarType S, const String& SName, TfsScript* Prog) {
  switch (T) {
    case fvtInt: return S == fvtInt || S == fvtFloat || S == fvtVariant || S == fvtEnum;
    case fvtBool: return S == fvtBool || S == fvtVariant;
    case fvtFloat: return S == fvtInt || S == fvtFloat || S == fvtVariant;
    case fvtChar:
    case fvtString: return S == fvtChar || S == fvtString || S == fvtVariant;
    case fvtClass: return S == fvtVariant || (S == fvtClass && IsDerivedClassName(TName, SName, Prog));
    case fvtArray: return S == fvtArray || S == fvtVariant;
    case fvtVariant: return true;
    case fvtEnum: return S == fvtInt || S == fvtVariant || (S == fvtEnum && SameText(TName, SName));
    case fvtConstructor: return false;
  }
  return false;
}

bool AssignmentCompatible(TfsCustomVariable* Item, TfsCustomVariable* Expr, TfsScript* Prog) {
  if (Item->Typ == fvtInt && Expr->Typ == fvtFloat) return false;
  return KindsCompatible(Item->Typ, Item->TypeName, Expr->Typ, Expr->TypeName, Prog);
}

String KindName(TfsVarType Kind, const String& TypeName) {
  switch (Kind) {
    case fvtInt: return "Integer";
    case fvtBool: return "Boolean";
    case fvtFloat: return "Extended";
    case fvtChar: return "Char";
    case fvtString: return "String";
    case fvtClass:
    case fvtEnum: return TypeName;
    case fvtArray: return "Array";
    default: return "Variant";
  }
}

// ---------------------------------------------------------------------------
// Literals and declarations

Variant LiteralToVariant(const String& Token) {
  if (Token.empty()) return Variant::Null();
  if (Token[0] == '\'') return Variant(Token.size() >= 2 ? Token.substr(1, Token.size() - 2) : String());
  Int64 i;
  if (TryStrToInt64(Token, i)) {
    if (i >= INT32_MIN && i <= INT32_MAX) return Variant(Integer(i));
    return Variant(i);
  }
  // Real numbers are always written with a point, whatever the profile says.
  TFormatSettings fs = FormatSettings();
  fs.DecimalSeparator = '.';
  fs.ThousandSeparator = 0;
  Extended e;
  if (TryStrToFloat(Token, e, fs)) return Variant(double(e));
  throw EConvertError("'" + Token + "' is not a valid number");
}

TfsCustomVariable* ParseMethodDeclaration(const String& Syntax, TfsScript* Prog) {
  TfsParser parser;
  parser.SetSourceText(Syntax);
  String kind = parser.ReadWord();
  bool isMacro = false;
  if (kind.size() >= 5 && SameText(kind.substr(0, 5), "macro")) {
    isMacro = true;
    kind = kind.substr(5);
  }
  const bool isFunc = SameText(kind, "function");
  String name = parser.ReadWord();
  String resultType;
  if (isFunc) {
    size_t colon = Syntax.rfind(':');
    if (colon != String::npos) {
      TfsParser t;
      t.SetSourceText(Syntax.substr(colon + 1));
      resultType = t.ReadWord();
    }
  }
  auto* item = new TfsCustomVariable(name, TypeOf(resultType, Prog), resultType);
  item->IsMacro = isMacro;
  try {
    parser.SkipBlanks();
    if (parser.ReadPunctuation() == "(") {
      for (;;) {
        // One group: [var|const] a, b: Type [= default]
        std::vector<String> names;
        bool byRef = false;
        for (;;) {
          String w = parser.ReadWord();
          if (w.empty()) break;
          if (names.empty() && SameText(w, "var")) {
            byRef = true;
            continue;
          }
          if (names.empty() && SameText(w, "const")) continue;
          names.push_back(w);
          parser.SkipBlanks();
          Integer save = parser.Position();
          if (parser.ReadPunctuation() != ",") {
            parser.SetPosition(save);
            break;
          }
        }
        parser.SkipBlanks();
        String typeName;
        Variant def = Variant::Null();
        Integer save = parser.Position();
        if (parser.ReadPunctuation() == ":") {
          typeName = parser.ReadWord();
          parser.SkipBlanks();
          save = parser.Position();
          if (parser.ReadPunctuation() == "=") {
            String tok = parser.ReadNumber();
            if (!tok.empty()) {
              def = LiteralToVariant(tok);
            } else if (!(tok = parser.ReadStringLiteral()).empty()) {
              def = LiteralToVariant(tok);
            } else {
              parser.SkipBlanks();
              Integer p = parser.Position();
              if (parser.ReadPunctuation() == "-" && !(tok = parser.ReadNumber()).empty()) {
                def = LiteralToVariant("-" + tok);
              } else {
                parser.SetPosition(p);
                String id = parser.ReadWord();
                TfsCustomVariable* v = id.empty() || !Prog ? nullptr : Prog->Find(id);
                def = v ? v->ReadValue() : Variant::Null();
              }
            }
          } else {
            parser.SetPosition(save);
          }
        } else {
          parser.SetPosition(save);
        }
        for (size_t i = 0; i < names.size(); ++i) {
          bool last = i + 1 == names.size();
          auto* p = new TfsParamItem(names[i], TypeOf(typeName, Prog), typeName, last && !def.IsNull(), byRef);
          if (last) p->DefValue = def;
          item->Add(p);
        }
        parser.SkipBlanks();
        String punct = parser.ReadPunctuation();
        if (punct != ";") break;
      }
    }
  } catch (...) {
    delete item;
    throw;
  }
  return item;
}

// ---------------------------------------------------------------------------
// Format arguments

namespace {

void AddTagged(const Variant& v, std::vector<FormatArg>& args, std::vector<String>& texts) {
  switch (v.Kind()) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
      args.emplace_back(v.AsInteger());
      break;
    case varInt64: args.emplace_back(v.AsInt64()); break;
    case varSingle: case varDouble: case varCurrency: case varDate: args.emplace_back(v.AsDouble()); break;
    case varString: case varOleStr: case varBoolean: case varEmpty: case varNull:
      // Texts (Booleans as True/False) keep their whole length.
      texts.push_back(VarToStr(v));
      args.emplace_back(std::string_view());
      break;
    default: args.emplace_back(Integer(0));
  }
}

}  // namespace

TfsTaggedValues::TfsTaggedValues(const Variant& Values) : FArgs(new std::vector<FormatArg>) {
  if (!Values.IsArray()) {
    if (!Values.IsNull() && !Values.IsEmpty()) AddTagged(Values, *FArgs, FTexts);
  } else {
    Integer lo = Values.LowBound(), hi = Values.HighBound();
    for (Integer i = lo; i <= hi; ++i) AddTagged(Values.GetElement(i), *FArgs, FTexts);
  }
  // Point the text arguments at their storage now that it no longer moves.
  size_t t = 0;
  for (FormatArg& a : *FArgs)
    if (a.GetKind() == FormatArg::kString) a = FormatArg(std::string_view(FTexts[t++]));
}

TfsTaggedValues::~TfsTaggedValues() = default;

String fsMessageText(const String& S) {
  if (S.size() <= MaxMessageText) return S;
  size_t cut = MaxMessageText;
  // Never split a UTF-8 character: back up over its continuation bytes.
  while (cut > 0 && (static_cast<unsigned char>(S[cut]) & 0xC0) == 0x80) --cut;
  return S.substr(0, cut) + "...";
}

void ParseLineColumn(const String& Text, Integer& Line, Integer& Column) {
  Line = Column = 0;
  if (Text.empty()) return;
  size_t colon = Text.find(':');
  Line = StrToIntDef(Text.substr(0, colon), 0);
  if (colon != String::npos) Column = StrToIntDef(Text.substr(colon + 1), 0);
}
